// The shell's services as the screens reach them: the start-up fonts,
// sprites and sounds, and null-safe calls into the display, input, sound and
// network session (the shell makes and destroys them: shell/shell_services.cpp).
#include "screen/game_screen_services.h"

#include <cstdio>

#include "base/clock.h"
#include "base/debug.h"
#include "base/paths.h"
#include "base/player_records.h"
#include "graphics/bitmap_font.h"
#include "graphics/display.h"
#include "graphics/fade.h"
#include "graphics/sprite.h"
#include "input/input.h"
#include "input/joystick.h"
#include "net/net_session.h"
#include "platform/cursor_set.h"
#include "screen/config.h"
#include "sound/sound.h"

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
int g_lastScreenshot = 0;

std::string Under(const String& dir, const char* relative) {
  return JoinPath(dir.c_str(), relative ? relative : "");
}

}  // namespace

// --- Paths -----------------------------------------------------------------

std::string ShellVideoPath(const char* relative) { return Under(g_videoPath, relative); }
std::string ShellProgramPath(const char* relative) { return Under(g_exePath, relative); }
std::string ShellDataPath(const char* relative) { return Under(g_dataPath, relative); }
int ShellUseDrawPlayer() { return g_ddEmulation == 0 ? 1 : 0; }


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

ShellEventPump ShellGetEventPump() { return g_eventPump; }

void ShellPumpEvents(bool deferActivation) {
  if (g_eventPump) g_eventPump(deferActivation);
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
