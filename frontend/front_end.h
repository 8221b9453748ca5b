#pragma once
// Puts the front end's screens (main menu, new game, shop, closing
// ceremony and hall of fame), the training choice and the hall-of-fame
// table into the shell's registry. Called by the program before start-up.
void RegisterFrontEndScreens();
