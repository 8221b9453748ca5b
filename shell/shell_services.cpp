// The shell's services: made in ShellStartup's order and destroyed in
// ShellShutdown's. The screens reach them only through the null-safe calls of
// screen/game_screen_services.h.
#include <memory>
#include <string>

#include "base/debug.h"
#include "base/player_records.h"
#include "base/stopwatch.h"
#include "graphics/bitmap_font.h"
#include "graphics/display.h"
#include "graphics/paint.h"
#include "graphics/sprite.h"
#include "input/input.h"
#include "input/joystick.h"
#include "net/net_session.h"
#include "platform/cursor_set.h"
#include "platform/joystick_reader.h"
#include "platform/main_loop.h"
#include "platform/message_box.h"
#include "platform/presenter.h"
#include "platform/window_events.h"
#include "screen/config.h"
#include "screen/face_panel.h"
#include "screen/game_screen_services.h"
#include "shell/screen_factory.h"
#include "shell/shell.h"
#include "sound/sound.h"

namespace {

std::unique_ptr<Presenter> g_presenter;

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
BitmapFont* LoadFont(const char* relative) { return LoadFontFile(ShellProgramPath(relative)).release(); }

void CreateShellFonts() {
  g_screenText = LoadFont("menu\\char.mbm");
  g_dialogSprite = LoadSpriteOrNull(ShellProgramPath("menu\\dialog.mbm").c_str(), kSpriteLoadAll);
  g_menuFont = LoadFont("menu\\font8s.mbm");
}

// The window procedure, as the main loop runs it; a change of focus while
// a screen is being built waits until it stands.
void PumpWindow(bool deferActivation) {
  MainLoopHooks hooks;
  hooks.activate = [deferActivation](bool active) {
    if (deferActivation) {
      ShellQueueActivation(active);
    } else {
      ShellActivate(active);
    }
  };
  hooks.paint = PaintWindow;
  PumpWindowEvents(hooks);
}

}  // namespace

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
  if (!ShellGetEventPump()) ShellSetEventPump(PumpWindow);
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
  if (ShellGetEventPump() == PumpWindow) ShellSetEventPump(nullptr);
}
