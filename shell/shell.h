#pragma once
// The shell: creates the global services, runs the current screen one frame at
// a time and moves from screen to screen. The program entry calls these.

// Creates every global service in order and the first screen. False when the
// program cannot run (the reason has already been shown to the player).
bool ShellStartup();
// Runs one frame of the current screen. 0 while the game goes on; nonzero once
// the player has quit from the main menu and the program should end.
int ShellRunFrame();
// Destroys every service in order (settings and controls are written first).
void ShellShutdown();
// The application gained (true) or lost (false) the focus.
void ShellActivate(bool active);
// An activation change that must wait (a screen is being built): the shell
// applies the last one queued once the screen stands.
void ShellQueueActivation(bool active);

// ShellStartup's services in their order, and their destruction in
// ShellShutdown's order. False when the display cannot be made (the player
// has been told through FatalExit). The services also install the window's
// event pump (ShellSetEventPump) unless one is installed already.
bool ShellCreateServices();
void ShellDestroyServices();
