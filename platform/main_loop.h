#pragma once
// The program's main loop and window procedure. Each turn handles the
// window's waiting events; when none waits it runs one frame while the game
// has the focus, or sleeps in the event queue while it has not. There is no
// timer: the screens pace themselves.
#include <functional>
#include <string>

union SDL_Event;

struct MainLoopHooks {
  std::function<int()> runFrame;        // one frame; nonzero ends the loop
  std::function<void(bool)> activate;   // after every change of g_appActive
  std::function<void()> paint;          // the window must be painted again
};

// The window procedure: keyboard and mouse into their state; focus changes
// set g_appActive and call activate; a close request never ends the game,
// and while the game is inactive it tells the player where to quit.
void MainWindowProc(const SDL_Event& event, const MainLoopHooks& hooks);

// Runs until runFrame gives nonzero or a quit is requested (signal, fatal
// error). SDL's event subsystem must be running.
void RunMainLoop(const MainLoopHooks& hooks);

// Hands every window event waiting now to MainWindowProc; nothing when SDL's
// event subsystem is not running (tests, tools).
void PumpWindowEvents(const MainLoopHooks& hooks);

// The program's start of SDL, in two steps. First, before anything else:
// SIGINT and SIGTERM stay the program's own (they end through its shutdown)
// and closing the window is not a request to quit. Then the event subsystem;
// false with SDL's reason when it cannot start.
void SetProgramEventHints();
bool StartEventSubsystem(std::string* error);
// Ends what is left of SDL, as the program's very last step.
void QuitPlatform();
