// Program entry: one copy per user, one window (or the memory presenter when
// headless), and the loop that hands the window's events to the window
// procedure and runs the shell one frame at a time while the game has the
// focus. The program ends only through the shell's own shutdown: the main
// menu's quit, a fatal start-up error, SIGINT or SIGTERM.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/debug.h"
#include "events/climbing/climbing_event.h"
#include "events/computer_throw/computer_throw_event.h"
#include "events/doggie_jump/doggie_jump_event.h"
#include "events/hippo_run/hippo_run_event.h"
#include "events/javelin_catch/javelin_event.h"
#include "events/kickboxing/kickboxing_event.h"
#include "events/troubled_waters/swim_event.h"
#include "frontend/computer_training.h"
#include "frontend/front_end.h"
#include "events/figure_skating/figure_skating_event.h"
#include "events/maze3d/maze3d_event.h"
#include "events/roller_derby/derby_event.h"
#include "graphics/display.h"
#include "graphics/font_raster.h"
#include "graphics/paint.h"
#include "platform/cursor_set.h"
#include "platform/joystick_reader.h"
#include "platform/keyboard.h"
#include "platform/main_loop.h"
#include "platform/message_box.h"
#include "platform/notice_window.h"
#include "platform/presenter.h"
#include "platform/quit_request.h"
#include "platform/single_instance.h"
#include "platform/window_events.h"
#include "screen/game_screen.h"
#include "shell/shell.h"
#include "video/video_screen.h"

namespace {

// A copy started while another runs waits this long for it to go; one that
// said it is leaving (its player chose QUIT) is waited for longer, through
// its credits picture and shutdown.
constexpr uint32_t kLockGraceMs = 1500;
constexpr uint32_t kLockLeavingMs = 15000;

// The message in the system's sans-serif font with a margin round it, ink
// 255 on paper 0; empty when the system has no font to draw it with.
std::vector<uint8_t> DrawNotice(const char* text, int* width, int* height) {
  FontRequest request;
  request.height = 20;
  request.pitchAndFamily = 0x22;  // variable pitch, swiss
  RasterFont font;
  constexpr int kFirst = 0x20;
  if (!RasterizeSystemFont(request, kFirst, 0xE0, &font) || font.height <= 0 || font.glyphs.empty())
    return {};
  auto glyph = [&font](unsigned char c) -> const RasterGlyph& {
    size_t i = c >= kFirst ? c - kFirst : '?' - kFirst;
    return font.glyphs[i < font.glyphs.size() ? i : 0];
  };
  int textW = 0;
  for (const char* p = text; *p; ++p) textW += glyph(static_cast<unsigned char>(*p)).advance;
  constexpr int kMargin = 24;
  *width = std::max(textW + 2 * kMargin, 240);
  *height = font.height + 2 * kMargin;
  std::vector<uint8_t> picture(static_cast<size_t>(*width) * *height, 0);
  int x = (*width - textW) / 2;
  for (const char* p = text; *p; ++p) {
    const RasterGlyph& g = glyph(static_cast<unsigned char>(*p));
    for (int gy = 0; gy < font.height; ++gy)
      for (int gx = 0; gx < g.advance; ++gx)
        if (g.pixels[static_cast<size_t>(gy) * g.advance + gx])
          picture[static_cast<size_t>(kMargin + gy) * *width + x + gx] = 255;
    x += g.advance;
  }
  return picture;
}

// Another copy runs: the player is told where he looks, in the system's box
// or, when the desktop cannot show one, in a window of our own. Headless
// runs and a desktop without either say it on stderr.
void TellAnotherCopyRuns() {
  const char* text = TextOf(1012, "Another copy of Kelvanthrop is running.");
  if (IsHeadlessEnvironment()) {
    ShowMessageBox(text, kWindowTitle, kMbIconExclamation);
    return;
  }
  // The terminal, if any, hears it too.
  std::fprintf(stderr, "%s\n", text);
  std::fflush(stderr);
  if (ShowSystemMessageBox(text, kWindowTitle, kMbIconExclamation)) return;
  int w = 0;
  int h = 0;
  std::vector<uint8_t> picture = DrawNotice(text, &w, &h);
  if (!picture.empty()) ShowNoticeWindow(kWindowTitle, picture.data(), w, h);
}

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
  if (lock.AcquireWaiting(kLockGraceMs, kLockLeavingMs) ==
      SingleInstanceLock::Result::kAnotherRunning) {
    TellAnotherCopyRuns();
    QuitPlatform();
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
  RegisterJavelinCatchEvent();
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
  // A copy started from now on waits for this one instead of refusing.
  lock.MarkLeaving();

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
