// Help texts of the in-game options overlay: a general page and one page per
// event (menu\txt\help<event>.txt).
#include <string>

#include "tools/assetgen/gen.h"

namespace assetgen {

namespace {

// Each line of a help file is one paragraph: the overlay wraps it to its
// own width by the font's real widths, so the texts carry no line breaks of
// their own. {ACTION 1}, {ACTION 2}, {DIRECTIONS} and the like are replaced
// with the keys the player has when the page is shown.
const char* const kGeneral =
    "KELVANTHROP - HELP\n"
    "\n"
    "Four athletes meet in ten comic events. Play alone against the computer, two on one "
    "machine, or over a network.\n"
    "\n"
    "Esc: open and close this menu.\n"
    "F12: type a message or a command.\n"
    "F11 + F12: save a screenshot.\n"
    "\n"
    "Between events the shop sells training, weapons, power pills and energy juice. Type SAVE "
    "GAME 1 to SAVE GAME 5 in the shop to save the championship, and LOAD GAME 1 to LOAD GAME 5 "
    "on the new game screen to carry on.\n";

const char* const kEventHelp[10] = {
    "COMPUTER THROW\n\nTap {ACTION 2} to spin up and build power; hold {ACTION 1} to aim and let go "
    "to throw. The computer must come down past the line, or it is a foul. Hold {ACTION 1} while "
    "a computer player runs up to skip its throw. Three attempts each; the longest throw "
    "counts.\n",
    "CRAZY CLIMBING\n\nClimb the skyscraper with {DIRECTIONS}. Dodge what falls from the sky and "
    "the window sills, and reach out for money, ammunition and juice. {ACTION 1} with {UP} or "
    "{DOWN} and a side punches or kicks; {ACTION 2} chooses the weapon or a power pill, which "
    "{ACTION 1} then throws or takes. On the roof wait for the helicopter's ladder. Fastest off "
    "the roof wins.\n",
    "HIPPO RUN\n\nPush your hippo along the course with {ACTION 1} and steer with {DIRECTIONS}. "
    "Mind the cars. Watch the map to see where the others are.\n",
    "NICE DOGGIE JUMP\n\nRun up with {ACTION 2}, then hop, step and jump over the dogs with "
    "{ACTION 1}. Land in the pit for distance: a fall over the dogs or a landing short of the "
    "pit is a foul. Hold {ACTION 1} while a computer player runs up to skip its jump. Three "
    "attempts each.\n",
    "TROUBLED WATERS\n\nSwim through the underwater maze to the exit with {DIRECTIONS}. Sharks, "
    "eels and jellyfish get in the way; air pumps refill your lungs. {ACTION 1} throws a "
    "weapon.\n",
    "FULL CONTACT FIGURE SKATING\n\nSkate with {DIRECTIONS}, punch with {ACTION 1} and kick with "
    "{ACTION 2}. Style and hits score points.\n",
    "3D MAZE\n\nFind your way out of the maze before the others. Walk and turn with {DIRECTIONS}; "
    "{ACTION 1} fires.\n",
    "PLATFORM KICKBOXING\n\nPunch with {ACTION 1} and kick with {ACTION 2}; move with "
    "{DIRECTIONS}. Knock the others off the platform for points, and stay on it yourself.\n",
    "JAVELIN CATCH\n\nRun under the falling javelins with {DIRECTIONS} and catch them with "
    "{ACTION 1}. Keep away from the bombs. Every catch scores.\n",
    "ROLLER DERBY\n\nTwo laps of the twisting track. {ACTION 1} speeds up, {ACTION 2} fires your "
    "weapon, {DIRECTIONS} steer, and the mines are best avoided.\n"};

Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

}  // namespace

void GenerateTexts(Output& out) {
  out.Write(Root::Program, "menu\\txt\\genHelp.txt", ToBytes(kGeneral));
  for (int e = 1; e <= kHelpPages; ++e)
    out.Write(Root::Program, "menu\\txt\\help" + std::to_string(e) + ".txt", ToBytes(kEventHelp[e - 1]));
}

}  // namespace assetgen
