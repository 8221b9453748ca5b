#include "platform/main_loop.h"

#include <SDL.h>

#include "platform/message_box.h"
#include "platform/quit_request.h"
#include "platform/window_events.h"

namespace {
// While inactive the loop sleeps in the event queue, waking this often to
// notice a quit signal.
constexpr int kInactiveWaitMs = 100;
}  // namespace

void MainWindowProc(const SDL_Event& event, const MainLoopHooks& hooks) {
  WindowEventHandlers handlers;
  handlers.activate = [&hooks](bool active) {
    int32_t flag = active ? 1 : 0;
    if (flag == g_appActive) return;
    g_appActive = flag;
    if (hooks.activate) hooks.activate(active);
  };
  handlers.close = [] {
    if (!g_appActive)
      ShowMessageBox(TextOf(1043, "Please quit Kelvanthrop in the game main menu."),
                     TextOf(10500, "KELVANTHROP"), kMbOk);
  };
  handlers.expose = [&hooks] {
    if (hooks.paint) hooks.paint();
  };
  HandleWindowEvent(event, handlers);
}

void RunMainLoop(const MainLoopHooks& hooks) {
  SDL_Event e;
  while (!IsQuitRequested()) {
    if (SDL_PollEvent(&e)) {
      MainWindowProc(e, hooks);
      continue;
    }
    if (g_appActive) {
      if (hooks.runFrame && hooks.runFrame() != 0) break;
    } else if (SDL_WaitEventTimeout(&e, kInactiveWaitMs)) {
      MainWindowProc(e, hooks);
    }
  }
}

void PumpWindowEvents(const MainLoopHooks& hooks) {
  if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
  SDL_Event event;
  while (SDL_PollEvent(&event)) MainWindowProc(event, hooks);
}

void SetProgramEventHints() {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
}

bool StartEventSubsystem(std::string* error) {
  if (SDL_Init(SDL_INIT_EVENTS) == 0) return true;
  if (error) *error = SDL_GetError();
  return false;
}

void QuitPlatform() { SDL_Quit(); }
