// The shell: creates the global services, runs the current screen one frame
// at a time and moves from screen to screen by its state table.
#include "shell/shell.h"

#include <cstdio>
#include <string>

#include "base/debug.h"
#include "base/paths.h"
#include "base/player_records.h"
#include "platform/keyboard.h"
#include "platform/single_instance.h"
#include "screen/face_panel.h"
#include "screen/game_screen.h"
#include "screen/game_screen_services.h"
#include "shell/cheat.h"
#include "shell/screen_factory.h"

namespace {

bool g_servicesUp = false;
bool g_quit = false;
// A screen is being built (its constructor may pump window messages while it
// waits for other players): activation changes wait until it stands.
bool g_constructing = false;
int g_pendingActivation = -1;

void ApplyPendingActivation() {
  if (g_constructing || g_pendingActivation < 0) return;
  int active = g_pendingActivation;
  g_pendingActivation = -1;
  ShellActivate(active != 0);
}

// Builds a screen through a maker, with activation changes held back until
// the constructor has returned.
template <typename F>
GameScreen* Build(F&& make) {
  g_constructing = true;
  GameScreen* screen = make();
  g_constructing = false;
  if (screen) g_currentScreen = screen;
  ApplyPendingActivation();
  return screen;
}

void DeleteCurrentScreen() {
  GameScreen* screen = g_currentScreen;
  g_currentScreen = nullptr;
  delete screen;
}

void ToMainMenu() {
  g_shellState = kShellMainMenu;
  Build([] { return MakeMainMenuScreen(); });
}

void ToCutScene(const char* path, int nextState) {
  g_shellState = nextState;
  Build([path] { return MakeCutScene(path); });
}

// Leaves the championship road for the closing ceremony, or the next event's
// cut-scene, passing over events that have no screen.
void ToNextEventOrCeremony() {
  int next = NextAvailableEvent(g_eventIndex);
  if (next > 10) {
    g_shellState = kShellEnding;
    Build([] { return MakeEndingScreen(1); });
    return;
  }
  g_eventIndex = next - 1;
  g_shellState = kShellCutScene;
  Build([] {
    StartEventIntroVideo();
    GameScreen* s = g_currentScreen;
    return s;
  });
}

void QuitGame() {
  // A copy the player starts during the credits picture and the shutdown
  // waits for this one to go.
  MarkInstanceLeaving();
  // The screen goes first: it may still use the services shut down below.
  DeleteCurrentScreen();
  ShellCloseSession();
  ShellStopMusic();
  ShellShowCreditsPicture();
  ShellShutdown();
  g_quit = true;
}

// Runs the state table on the result of the current screen. `code` is the
// hidden code matched this frame in the event state, else -1.
void Advance(int r, int code) {
  bool noScreen = g_currentScreen == nullptr;
  switch (g_shellState) {
    case kShellIntro1:
      if (r == 0) return;
      DeleteCurrentScreen();
      ToCutScene("video\\intro.avi", kShellIntro2);
      return;
    case kShellIntro2:
    case kShellCredits:
      if (r == 0) return;
      DeleteCurrentScreen();
      ShellSetGameVideoMode();
      FlushInput(0);
      ToMainMenu();
      return;
    case kShellMainMenu:
      if (r == 0) return;
      if (r == -1) {
        QuitGame();
        return;
      }
      DeleteCurrentScreen();
      if (r == 2) {
        ToCutScene("video\\credits.avi", kShellCredits);
      } else if (r == 3) {
        g_shellState = kShellEnding;
        Build([] { return MakeEndingScreen(0); });
      } else {
        g_trainingEvent = ChosenTrainingEvent();
        ShellBindPlayerKeys();
        g_shellState = kShellNewGame;
        Build([] { return MakeNewGameScreen(); });
      }
      return;
    case kShellNewGame:
      if (r == 0) return;
      DeleteCurrentScreen();
      if (r == -1) {
        ToMainMenu();
      } else if (r == 2) {
        ShellUnloadMusic();
        g_shellState = kShellShop;
        Build([] { return MakeShopScreen(); });
      } else {
        ShellUnloadMusic();
        if (g_trainingEvent < 1) {
          g_eventIndex = 0;
          ToNextEventOrCeremony();
        } else if (!Build([] { return CreateEventScreen(g_trainingEvent); })) {
          ToMainMenu();  // the chosen event has no screen
        }
      }
      return;
    case kShellEvent:
      if (r == 0 && code != kCheatEndEvent) return;
      if ((r == 1 || code == kCheatEndEvent) && g_currentScreen) g_currentScreen->BroadcastEventEnd();
      DeleteCurrentScreen();
      if (r == -1) {
        ToMainMenu();
      } else {
        g_shellState = kShellShop;
        Build([] { return MakeShopScreen(); });
      }
      return;
    case kShellShop:
      if (r == 0) return;
      DeleteCurrentScreen();
      if (g_trainingEvent < 1 && r != -1) {
        ToNextEventOrCeremony();
      } else {
        ToMainMenu();
      }
      return;
    case kShellCutScene:
      if (!noScreen && r == 0) return;
      DeleteCurrentScreen();
      ShellSetGameVideoMode();
      ShellValidateWindow();
      {
        int next = NextAvailableEvent(g_eventIndex);
        if (next > 10) {
          g_eventIndex = 10;
          g_shellState = kShellEnding;
          Build([] { return MakeEndingScreen(1); });
          return;
        }
        // The event's constructor already reads its own number.
        g_eventIndex = next;
        if (!Build([next] { return CreateEventScreen(next); })) ToMainMenu();
      }
      return;
    case kShellEnding:
      if (r == 0) return;
      DeleteCurrentScreen();
      ToMainMenu();
      return;
    default:
      DebugPrintf("Unknown shell state %d.\n", static_cast<int>(g_shellState));
      DeleteCurrentScreen();
      ToMainMenu();
      return;
  }
}

}  // namespace

bool ShellStartup() {
  g_quit = false;
  if (!ShellCreateServices()) return false;
  g_servicesUp = true;
  g_shellState = kShellIntro1;
  Build([] { return MakeCutScene("video\\intro1.avi"); });
  return true;
}

void ShellQueueActivation(bool active) { g_pendingActivation = active ? 1 : 0; }

int ShellRunFrame() {
  if (g_quit) return 1;
  ApplyPendingActivation();
  if (IsKeyDown(kVkF12) && IsKeyDown(kVkF11)) {
    ShellTakeScreenshot();
    ClearKeysDown();
    // The two presses made the picture; they do not open the chat line too.
    ClearKey(kVkF11);
    ClearKey(kVkF12);
  }
  int code = -1;
  if (g_shellState == kShellEvent) {
    code = MatchCheatCode();
    ApplyCheatCode(code);
    // Over the network the code ends the event as another machine's end
    // would: the frame whose input is already out is played (the others
    // may play it), and the exchange after it returns 1, which ends the
    // screen as its own end does.
    if (code == kCheatEndEvent && g_currentScreen && g_currentScreen->RequestEventEnd()) code = -1;
  }
  int r = 0;
  if (g_currentScreen) {
    r = g_currentScreen->Run();
  } else if (g_shellState == kShellMainMenu) {
    // Without a main menu there is nowhere to go: the program ends.
    DebugPrintf("The main menu cannot be shown.\n");
    QuitGame();
    return 1;
  } else if (g_shellState == kShellNewGame) {
    r = -1;  // back to the menu
  } else {
    r = 1;  // a screen that could not be built ends at once
  }
  Advance(r, code);
  return g_quit ? 1 : 0;
}

void ShellShutdown() {
  if (!g_servicesUp) return;
  g_servicesUp = false;
  DeleteCurrentScreen();
  ShellDestroyServices();
}

void ShellActivate(bool active) {
  if (g_constructing) {
    g_pendingActivation = active ? 1 : 0;
    return;
  }
  ShellEnableSound(active);
  if (!g_currentScreen) return;
  if (active) {
    ShellResumeInput();
    g_currentScreen->OnActivate();
    ShellShowCursor(false);
  } else {
    g_currentScreen->OnDeactivate();
    ShellSuspendInput();
    ShellShowCursor(true);
  }
}
