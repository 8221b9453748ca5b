// The shell's services: made in ShellStartup's order, destroyed in
// ShellShutdown's, and reached by the shell and the screen base only through
// the null-safe calls below.
#include "app/game_screen_services.h"

#include <SDL.h>

#include <cstdio>

#include "app/config.h"
#include "app/face_panel.h"
#include "app/input.h"
#include "app/joystick.h"
#include "platform/joystick_reader.h"
#include "app/net_session.h"
#include "app/screen_factory.h"
#include "app/shell.h"
#include "app/sound.h"
#include "base/debug.h"
#include "base/paths.h"
#include "base/player_records.h"
#include "base/registry.h"
#include "base/stopwatch.h"
#include "graphics/display.h"
#include "graphics/fade.h"
#include "graphics/paint.h"
#include "graphics/bitmap_font.h"
#include "graphics/sprite.h"
#include "platform/cursor_set.h"
#include "base/clock.h"
#include "platform/keyboard.h"
#include "platform/main_loop.h"
#include "platform/message_box.h"
#include "platform/presenter.h"
#include "platform/window_events.h"

BitmapFont* g_screenText = nullptr;
Sprite* g_dialogSprite = nullptr;
BitmapFont* g_menuFont = nullptr;
DDPalette* g_blackPalette = nullptr;
FacePanel* g_facePanel = nullptr;
int g_musicSound = -1;
int g_naviSound = -1;
int g_selectSound = -1;
int g_warningSound = -1;

namespace {

void (*g_eventPump)(bool) = nullptr;
ScriptedInput* g_scriptedInput = nullptr;
std::unique_ptr<Presenter> g_presenter;
int g_lastScreenshot = 0;

std::string Under(const String& dir, const char* relative) {
  return JoinPath(dir.c_str(), relative ? relative : "");
}

int LoadMenuSound(const char* relative) {
  if (!g_soundManager) return -1;
  int slot = g_soundManager->AllocSlot();
  if (slot < 0) return -1;
  std::string path = ShellProgramPath(relative);
  if (!g_soundManager->LoadWaveFile(slot, path.c_str(), 0, 1, 0)) {
    DebugPrintf("Cannot load the sound %s.\n", path.c_str());
  }
  return slot;
}

void FreeSound(int* slot) {
  if (g_soundManager && *slot >= 0) g_soundManager->FreeSlot(*slot);
  *slot = -1;
}

template <typename T>
void DeleteAndClear(T*& p) {
  delete p;
  p = nullptr;
}

// A font of the program directory, or null when it cannot be read (texts in
// it are then not drawn).
BitmapFont* LoadFont(const char* relative) {
  std::string path = ShellProgramPath(relative);
  BitmapFont* font = new BitmapFont(path.c_str(), 0x20, 0xE0, kSpriteLoadAll);
  if (!font->IsValid()) {
    DebugPrintf("Cannot load the font %s.\n", path.c_str());
    delete font;
    font = nullptr;
  }
  return font;
}

void CreateShellFonts() {
  g_screenText = LoadFont("menu\\char.mbm");
  std::string dialog = ShellProgramPath("menu\\dialog.mbm");
  g_dialogSprite = new Sprite(dialog.c_str(), kSpriteLoadAll, -1);
  if (g_dialogSprite->FrameCount() == 0) {
    DebugPrintf("Cannot load the dialog pictures %s.\n", dialog.c_str());
    DeleteAndClear(g_dialogSprite);
  }
  g_menuFont = LoadFont("menu\\font8s.mbm");
}

}  // namespace

// --- Paths -----------------------------------------------------------------

std::string ShellVideoPath(const char* relative) { return Under(g_videoPath, relative); }
std::string ShellProgramPath(const char* relative) { return Under(g_exePath, relative); }
std::string ShellDataPath(const char* relative) { return Under(g_dataPath, relative); }
int ShellUseDrawPlayer() { return g_ddEmulation == 0 ? 1 : 0; }

// --- Start-up and shut-down --------------------------------------------------

bool ShellCreateServices() {
  if (!g_cursorSet) g_cursorSet = new CursorSet();
  g_cursorSet->Hide();
  g_netSession = new NetSession();
  LoadConfiguration();
  LoadControls();
  if (!g_joystick1) g_joystick1 = new Joystick(0);
  if (!g_joystick2) g_joystick2 = new Joystick(1);

  // The program's entry has made the window; without one (tests, tools)
  // the display gets a presenter of its own.
  Presenter* presenter = GetDisplayPresenter();
  if (!presenter) {
    std::string error;
    g_presenter = CreatePresenter(&error);
    if (!g_presenter) DebugPrintf("No window: %s\n", error.c_str());
    presenter = g_presenter.get();
  }
  if (!InitDirectDraw(presenter, g_ddEmulation) || !SetVideoMode(640, 480, 8, 2, 0)) {
    // Nothing can be shown without a display: the player is told and the
    // program ends through its normal shut-down.
    FatalExit();
    ShellDestroyServices();
    return false;
  }
  if (g_presenter) SetMessageBoxParent(g_presenter->GetWindow());

  g_timers = new StopwatchBank();
  g_soundManager = new SoundManager(nullptr);
  // Sound follows the focus from here on (ShellActivate); the game starts
  // with it when it starts in front.
  if (g_appActive) g_soundManager->Enable(1);
  CreateInputMaps();
  BindDefaultActions();
  ApplyConfiguredMixerVolumes();
  CreateShellFonts();
  g_musicSound = g_soundManager->AllocSlot();
  g_naviSound = LoadMenuSound("sounds\\menu\\naviA.wav");
  g_selectSound = LoadMenuSound("sounds\\menu\\select2.wav");
  g_warningSound = LoadMenuSound("sounds\\menu\\warning.wav");
  PaletteEntry black[256] = {};
  g_blackPalette = CreateDisplayPalette(kDisplayPaletteCaps, black);
  CreateRegisteredServices();  // the hall of fame
  g_facePanel = new FacePanel();
  return true;
}

void ShellDestroyServices() {
  SaveConfiguration();
  SaveControls();
  FreeSound(&g_musicSound);
  FreeSound(&g_naviSound);
  FreeSound(&g_selectSound);
  FreeSound(&g_warningSound);
  DeleteAndClear(g_timers);
  DeleteAndClear(g_soundManager);
  DestroyRegisteredServices();
  DestroyInputMaps();
  DeleteAndClear(g_joystick1);
  DeleteAndClear(g_joystick2);
  CloseSdlJoysticks();
  DeleteAndClear(g_screenText);
  if (g_blackPalette) g_blackPalette->Release();
  g_blackPalette = nullptr;
  DeleteAndClear(g_facePanel);
  DeleteAndClear(g_dialogSprite);
  DeleteAndClear(g_menuFont);
  if (g_backDDSurface) {
    g_backDDSurface->FillRect(0, 0, 640, 480, 0);
    g_backDDSurface->FillRect(0, 0, 640, 480, 0);
  }
  ReleaseDirectDraw();
  if (g_presenter) {
    SetMessageBoxParent(nullptr);
    if (GetDisplayPresenter() == g_presenter.get()) SetDisplayPresenter(nullptr);
    g_presenter.reset();
  }
  DeleteAndClear(g_netSession);
  if (g_cursorSet) g_cursorSet->Show();
}

// --- Display -----------------------------------------------------------------

DDSurface* ShellBackSurface() { return g_backDDSurface; }
DDSurface* ShellPrimarySurface() { return g_primaryDDSurface; }

void ShellClearDisplay() {
  if (g_backDDSurface) g_backDDSurface->FillRect(0, 0, 640, 480, 0);
  if (g_primaryDDSurface) g_primaryDDSurface->FillRect(0, 0, 640, 480, 0);
}

void ShellSetGameVideoMode() {
  if (IsDirectDrawReady()) SetVideoMode(640, 480, 8, 2, 0);
}

void ShellValidateWindow() {}

void ShellFlip() {
  if (IsDirectDrawReady()) FlipScreen();
}

std::string ShellTakeScreenshot() {
  if (!IsDirectDrawReady()) return "";
  // Numbers already taken (in this run or an earlier one) are skipped, so
  // no screenshot ever replaces another.
  std::string path;
  int n = g_lastScreenshot;
  do {
    ++n;
    char name[32];
    std::snprintf(name, sizeof name, "sshot%d.bmp", n);
    path = ShellDataPath(name);
  } while (FileExists(path) && n < 1000000);
  g_lastScreenshot = n;
  FlipScreen();
  uint16_t status = SaveScreenshot(path.c_str());
  FlipScreen();
  if (status != 0) {
    DebugPrintf("Cannot write the screenshot %s (%u).\n", path.c_str(), status);
    return "";
  }
  return path;
}

void ShellShowCreditsPicture() {
  if (!IsDirectDrawReady() || !g_primaryDDSurface) return;
  std::string path = ShellProgramPath("menu\\credits.mbm");
  Sprite credits(path.c_str(), kSpriteLoadAll, -1);
  DDPalette* palette = credits.GetFramePalette(1);
  if (credits.FrameCount() > 0 && palette) {
    credits.DrawFrame(1, g_primaryDDSurface, 0, 0);
    FadePalette(palette, 16, 1);
    SleepMs(4000);
    FadePalette(palette, 16, 0);
  }
}

void ShellDrawScreenText(int x, int y, const char* text) {
  if (!g_screenText || !g_backDDSurface || !text) return;
  g_screenText->SetFlags(0);
  g_screenText->DrawText(g_backDDSurface, x, y, text);
}

void ReleasePalette(DDPalette* palette) {
  if (palette) palette->Release();
}

// --- Input -------------------------------------------------------------------

void ShellPollInput() { PollInput(); }
bool ShellMenuKeyPressed() { return IsFire3Active(0) || IsEscapeActive(0); }
void ShellResetInput() { ResetInput(); }

void ShellBindPlayerKeys() {
  if (g_player1Map) BindPlayerDefaultKeys(g_player1Map, 0);
  if (g_player2Map) BindPlayerDefaultKeys(g_player2Map, 1);
}

void ShellResumeInput() {
  SetJoysticksEnabled(1);
  if (g_joystick1) g_joystick1->StartPolling();
  if (g_joystick2) g_joystick2->StartPolling();
}

void ShellSuspendInput() {
  if (g_joystick1) g_joystick1->StopPolling();
  if (g_joystick2) g_joystick2->StopPolling();
}

void ShellShowCursor(bool shown) {
  if (!g_cursorSet) return;
  if (shown) {
    g_cursorSet->Show();
  } else {
    g_cursorSet->Hide();
  }
}

ShellEventPump ShellSetEventPump(ShellEventPump pump) {
  ShellEventPump old = g_eventPump;
  g_eventPump = pump;
  return old;
}

void ShellPumpEvents(bool deferActivation) {
  if (g_eventPump) {
    g_eventPump(deferActivation);
    return;
  }
  if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
  // The window procedure, as the main loop runs it; a change of focus while
  // a screen is being built waits until it stands.
  MainLoopHooks hooks;
  hooks.activate = [deferActivation](bool active) {
    if (deferActivation) {
      ShellQueueActivation(active);
    } else {
      ShellActivate(active);
    }
  };
  hooks.paint = PaintWindow;
  SDL_Event event;
  while (SDL_PollEvent(&event)) MainWindowProc(event, hooks);
}

void ShellSetScriptedInput(ScriptedInput* script) { g_scriptedInput = script; }
ScriptedInput* ShellGetScriptedInput() { return g_scriptedInput; }
bool ShellScriptedInput(int which, unsigned char actions[10]) {
  return g_scriptedInput && g_scriptedInput->ActionMap(which, actions);
}
bool ShellScriptedKeyPress(char key) { return g_scriptedInput && g_scriptedInput->KeyPress(key); }

// --- Sound -------------------------------------------------------------------

void ShellEnableSound(bool on) {
  if (g_soundManager) g_soundManager->Enable(on ? 1 : 0);
}

void ShellPlayNaviSound() {
  if (g_soundManager && g_naviSound >= 0) {
    g_soundManager->Play(g_naviSound, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
  }
}

void ShellStopMusic() {
  if (g_soundManager && g_musicSound >= 0) g_soundManager->Stop(g_musicSound);
}

void ShellUnloadMusic() {
  if (g_soundManager && g_musicSound >= 0) {
    g_soundManager->Stop(g_musicSound);
    g_soundManager->Unload(g_musicSound);
  }
}

// --- Network session ---------------------------------------------------------

void ShellCloseSession() {
  if (g_netSession) g_netSession->Close();
}

void ShellSendChat(const char* text) {
  if (g_netSession) g_netSession->SendChat(g_localPlayers[0], kNetToAllButSelf, text);
}

bool ShellPopChat(std::string* from, std::string* text) {
  if (!g_netSession) return false;
  int slot = -1;
  if (!g_netSession->PopChat(&slot, text)) return false;
  const char* name = g_netSession->GetPlayerName(slot);
  *from = name ? name : "";
  return true;
}
