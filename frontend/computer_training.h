#pragma once
// A training of one event played by four computer players, straight from
// the start: no cut-scenes and no menus. The benchmarks measure the real
// program in an event this way (KELVANTHROP_COMPUTER_TRAINING=<event>); the
// program ends when the training is over and the menu would come back.

// Reads KELVANTHROP_COMPUTER_TRAINING; when it names an event (1..10), puts
// the stand-ins into the shell's registry (after RegisterFrontEndScreens and
// the video screens) and returns true.
bool RegisterComputerTrainingIfAsked();
