// Program entry: one copy per user, one window (or the memory presenter when
// headless), and the loop that hands the window's events to the window
// procedure and runs the shell one frame at a time while the game has the
// focus. The program ends only through the shell's own shutdown: the main
// menu's quit, a fatal start-up error, SIGINT or SIGTERM.
#include <cstdlib>
#include <memory>
#include <string>

#include "base/clock.h"
#include "base/debug.h"
#include "events/climbing/climbing_event.h"
#include "events/computer_throw/computer_throw_event.h"
#include "events/doggie_jump/doggie_jump_event.h"
#include "events/hippo_run/hippo_run_event.h"
#include "events/kickboxing/kickboxing_event.h"
#include "events/troubled_waters/swim_event.h"
#include "frontend/computer_training.h"
#include "frontend/front_end.h"
#include "events/figure_skating/figure_skating_event.h"
#include "events/maze3d/maze3d_event.h"
#include "events/roller_derby/derby_event.h"
#include "graphics/display.h"
#include "graphics/paint.h"
#include "platform/cursor_set.h"
#include "platform/joystick_reader.h"
#include "platform/keyboard.h"
#include "platform/main_loop.h"
#include "platform/message_box.h"
#include "platform/presenter.h"
#include "platform/quit_request.h"
#include "platform/single_instance.h"
#include "platform/window_events.h"
#include "screen/game_screen.h"
#include "shell/shell.h"
#include "video/video_screen.h"

namespace {

// The window and what lives with it. False when there is no window to run in.
bool InitInstance(std::unique_ptr<Presenter>* presenter) {
  std::string error;
  *presenter = CreatePresenter(&error);
  if (!*presenter) {
    DebugPrintf("no window: %s\n", error.c_str());
    return false;
  }
  SetDisplayPresenter(presenter->get());
  SetMessageBoxParent((*presenter)->GetWindow());
  ResetKeyboardState();
  g_cursorSet = new CursorSet;
  g_appActive = 1;
  return ShellStartup();
}

}  // namespace

int main(int, char**) {
  // SIGINT and SIGTERM are ours (they end through the shutdown), and the
  // window's close button is not a request to quit.
  SetProgramEventHints();
  InstallQuitSignalHandlers();

  SingleInstanceLock lock;
  if (lock.Acquire() == SingleInstanceLock::Result::kAnotherRunning) {
    ShowMessageBox(TextOf(1012, "Another copy of Kelvanthrop is running."), kWindowTitle,
                   kMbIconExclamation);
    return 0;
  }

  // Headless runs are unpaced: every wait of the game passes at once.
  const bool headless = IsHeadlessEnvironment();
  VirtualClock virtualClock;
  if (headless) SetClock(&virtualClock);

  std::string sdlError;
  if (!StartEventSubsystem(&sdlError)) {
    DebugPrintf("SDL: %s\n", sdlError.c_str());
    return 0;
  }

  // KELVANTHROP_EXIT_AT_MENU=1 ends the program through its ordinary shutdown
  // once the main menu has run a frame: the benchmarks time the start-up.
  const char* exitAtMenuEnv = std::getenv("KELVANTHROP_EXIT_AT_MENU");
  const bool exitAtMenu = exitAtMenuEnv && *exitAtMenuEnv && *exitAtMenuEnv != '0';
  int menuFrames = 0;

  RegisterVideoScreens();  // the cut-scene screen
  RegisterFrontEndScreens();  // menus, new game, shop, ceremony, hall of fame
  RegisterComputerThrowEvent();
  RegisterDoggieJumpEvent();
  RegisterTroubledWatersEvent();
  RegisterHippoRunEvent();
  RegisterFigureSkatingEvent();
  RegisterClimbingEvent();
  RegisterMaze3DEvent();
  RegisterKickboxingEvent();
  RegisterRollerDerbyEvent();
  RegisterComputerTrainingIfAsked();  // KELVANTHROP_COMPUTER_TRAINING=<event>, for the benchmarks

  std::unique_ptr<Presenter> presenter;
  if (InitInstance(&presenter)) {
    MainLoopHooks hooks;
    hooks.runFrame = [&virtualClock, headless, exitAtMenu, &menuFrames] {
      uint32_t before = TimeGetTime();
      int r = ShellRunFrame();
      // A screen that only watches the clock (Sleep(0) until its period
      // has passed) must still see time go by on the virtual clock.
      if (headless && TimeGetTime() == before) virtualClock.Advance(1);
      if (exitAtMenu && g_shellState == 0 && g_currentScreen && ++menuFrames >= 2) {
        DebugPrintf("main menu reached, leaving as asked\n");
        return 1;
      }
      return r;
    };
    hooks.activate = ShellActivate;
    hooks.paint = PaintWindow;
    RunMainLoop(hooks);
  }

  ShellShutdown();
  delete g_cursorSet;
  g_cursorSet = nullptr;
  SetMessageBoxParent(nullptr);
  SetDisplayPresenter(nullptr);
  presenter.reset();
  CloseSdlJoysticks();
  QuitPlatform();
  SetClock(nullptr);
  return 0;
}
