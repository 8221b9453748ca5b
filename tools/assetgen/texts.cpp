// Help texts of the in-game options overlay: a general page and one page per
// event (menu\txt\help<event>.txt).
#include <string>

#include "tools/assetgen/gen.h"

namespace assetgen {

namespace {

const char* const kGeneral =
    "KELVANTHROP - HELP\n"
    "\n"
    "Four athletes meet in ten comic events. Play alone against the computer,\n"
    "two on one machine, or over a network.\n"
    "\n"
    "ESCAPE or ACTION 3   open and close this menu\n"
    "F12                  type a message or a command\n"
    "F11 + F12            save a screenshot\n"
    "\n"
    "Between events the shop sells training, weapons, power pills and energy\n"
    "juice. Type SAVE GAME 1 to SAVE GAME 5 in the shop to save the\n"
    "championship, and LOAD GAME 1 to LOAD GAME 5 on the new game screen to\n"
    "carry on.\n";

const char* const kEventHelp[10] = {
    "COMPUTER THROW\n\nTap ACTION 2 to spin up and build power. Hold ACTION 1 to aim: the\n"
    "needle swings through the angles. Let go to throw. Cross the line and the\n"
    "judge calls a foul. Three attempts each; the longest throw counts.\n",
    "CRAZY CLIMBING\n\nClimb the skyscraper with the direction keys. Dodge what falls from the\n"
    "sky and the window sills, and reach out for money, ammunition and juice.\n"
    "ACTION 1 with UP or DOWN and a side punches or kicks; ACTION 2 chooses\n"
    "the weapon or a power pill, which ACTION 1 then throws or takes. On the\n"
    "roof wait for the helicopter's ladder. Fastest off the roof wins.\n",
    "HIPPO RUN\n\nPush your hippo along the course with ACTION 1 and steer with the\n"
    "direction keys. Mind the cars. Watch the map to see where the others are.\n",
    "NICE DOGGIE JUMP\n\nRun up with ACTION 2, then hop, step and jump over the dogs with\n"
    "ACTION 1. Land in the pit for distance; three attempts each.\n",
    "TROUBLED WATERS\n\nSwim through the underwater maze to the exit. Sharks, eels and jellyfish\n"
    "get in the way; air pumps refill your lungs. ACTION 1 throws a weapon.\n",
    "FULL CONTACT FIGURE SKATING\n\nSkate with the direction keys, punch with ACTION 1 and kick with\n"
    "ACTION 2. Style and hits score points.\n",
    "3D MAZE\n\nFind your way out of the maze before the others. The direction keys walk\n"
    "and turn; ACTION 1 fires.\n",
    "PLATFORM KICKBOXING\n\nPunch with ACTION 1 and kick with ACTION 2. Knock the others off the\n"
    "platform for points, and stay on it yourself.\n",
    "JAVELIN CATCH\n\nRun under the falling javelins and catch them with ACTION 1. Keep away\n"
    "from the bombs. Every catch scores.\n",
    "ROLLER DERBY\n\nTwo laps of the twisting track. ACTION 1 speeds up, ACTION 2 fires your\n"
    "weapon, and the mines are best avoided.\n"};

Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

}  // namespace

void GenerateTexts(Output& out) {
  out.Write(Root::Program, "menu\\txt\\genHelp.txt", ToBytes(kGeneral));
  for (int e = 1; e <= kHelpPages; ++e)
    out.Write(Root::Program, "menu\\txt\\help" + std::to_string(e) + ".txt", ToBytes(kEventHelp[e - 1]));
}

}  // namespace assetgen
