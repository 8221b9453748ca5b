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
    "COMPUTER THROW\n\nTap {ACTION 2} again and again to spin up and build power; hold {ACTION 1} "
    "to aim and let go to throw. The computer must come down past the line, or it is a foul. Hold "
    "{ACTION 1} while a computer player runs up to skip its throw. Three attempts each; the "
    "longest throw counts.\n",
    "CRAZY CLIMBING\n\nClimb the skyscraper with {UP} and move along the wall with {LEFT} and "
    "{RIGHT}. Dodge what falls from the sky and the window sills, and reach out for money, "
    "ammunition and juice. {ACTION 1} with {UP} or {DOWN} and a side punches or kicks. "
    "{ACTION 2} steps from the fists to the weapon and the power pill (shown in your panel); "
    "{ACTION 1} with a direction then throws the weapon, or takes a pill. On the roof wait for "
    "the helicopter's ladder. Fastest off the roof wins.\n",
    "HIPPO RUN\n\nWalk with {DIRECTIONS}. You start with the punch: while you stand, "
    "{ACTION 2} steps to the weapon, the power pill and the push, and back to the punch (the "
    "one shown in your panel). With the push chosen, walk up behind your hippo and push it up "
    "the course with {ACTION 1}. Mind the cars. Watch the map to see where the others are. "
    "Fastest time wins.\n",
    "NICE DOGGIE JUMP\n\nTap {ACTION 2} again and again to run up. Hold {ACTION 1} to show the "
    "power meter and let go to take off: hop, step and jump, each over its own pit of dogs. "
    "Land in the pit for distance: a fall over the dogs or a landing short of the pit is a "
    "foul. Hold {ACTION 1} while a computer player runs up to skip its jump. Three attempts "
    "each.\n",
    "TROUBLED WATERS\n\nSwim through the underwater maze to the exit with {DIRECTIONS}. "
    "Sharks, eels and jellyfish get in the way; air pumps refill your lungs. {ACTION 1} throws "
    "your weapon the way you swim. {ACTION 2} switches to the power pill, which {ACTION 1} "
    "then takes, and back to the weapon (shown in your panel). Fastest time wins.\n",
    "FULL CONTACT FIGURE SKATING\n\nSkate with {DIRECTIONS}; the skater keeps his momentum. "
    "{ACTION 1} attacks. {ACTION 2} steps from the attack to the weapon, the power pill "
    "and the jump, and back (shown in your panel): {ACTION 1} then throws, takes a pill or "
    "jumps. Only landed jumps score, the more the faster you skate; a jump needs energy. Most "
    "points wins.\n",
    "3D MAZE\n\nCatch the key man and carry his key to the exit door. Walk with {UP} and "
    "{DOWN}, turn with {LEFT} and {RIGHT}. {ACTION 1} throws your weapon; {ACTION 2} steps to "
    "the power pill and the fists, and back to the weapon (shown in your panel), which "
    "{ACTION 1} then uses.\n",
    "PLATFORM KICKBOXING\n\nMove with {DIRECTIONS}. {ACTION 1} punches; pressed again at once "
    "it kicks, and a third time makes the special attack. {ACTION 2} steps from the fists to "
    "the weapon and the power pill (shown in your panel), which {ACTION 1} then throws or "
    "takes. Blows score points; whoever falls off the platform loses his.\n",
    "JAVELIN CATCH\n\nRun with {DIRECTIONS} (two held together run straight along the "
    "field's edges) and stand where something falls to catch it: a javelin is a point, juice "
    "energy, a crate ammunition, a bag money; a bomb explodes. Nothing is caught while "
    "{ACTION 1} is held. {ACTION 1} punches; {ACTION 2} steps to the weapon and the power pill "
    "(shown in your panel), which {ACTION 1} then throws or takes. Most javelins wins.\n",
    "ROLLER DERBY\n\nTwo laps of the twisting track. {UP} pushes off (each stride costs a "
    "little energy), {DOWN} brakes, {LEFT} and {RIGHT} steer. {ACTION 1} punches; {ACTION 2} "
    "steps to the weapon and the power pill (shown in your panel), which {ACTION 1} then "
    "throws or takes. Mind the mines. Fastest time wins.\n"};

Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

}  // namespace

void GenerateTexts(Output& out) {
  out.Write(Root::Program, "menu\\txt\\genHelp.txt", ToBytes(kGeneral));
  for (int e = 1; e <= kHelpPages; ++e)
    out.Write(Root::Program, "menu\\txt\\help" + std::to_string(e) + ".txt", ToBytes(kEventHelp[e - 1]));
}

}  // namespace assetgen
