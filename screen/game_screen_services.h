#pragma once
// The global services the shell creates at start-up and destroys at
// shut-down (shell/shell.h), and the few calls of theirs the shell and the
// screen base make. Every call here is safe when its service does not exist
// (tests run screens without a display, a session or a sound device).
#include <string>

class BitmapFont;
class DDPalette;
class DDSurface;
class FacePanel;
class Sprite;

// Start-up fonts, sprites, palette and sound slots (null / -1 when absent).
extern BitmapFont* g_screenText;  // "menu\char.mbm"
extern Sprite* g_dialogSprite;    // "menu\dialog.mbm"
extern BitmapFont* g_menuFont;    // "menu\font8s.mbm"
extern DDPalette* g_blackPalette;
extern FacePanel* g_facePanel;
extern int g_musicSound;
extern int g_naviSound;
extern int g_selectSound;
extern int g_warningSound;

// Paths under the configured directories.
std::string ShellVideoPath(const char* relative);
std::string ShellProgramPath(const char* relative);
std::string ShellDataPath(const char* relative);
// 1 when cut-scenes use the draw-procedure player (DDEMULATION is 0).
int ShellUseDrawPlayer();

// Display.
DDSurface* ShellBackSurface();
DDSurface* ShellPrimarySurface();
void ShellClearDisplay();       // back, then primary surface, colour 0
void ShellSetGameVideoMode();   // 640x480x8 with a back buffer
void ShellValidateWindow();
void ShellFlip();
// Saves the back buffer as DATAPATH "sshot<n>.bmp" with the first n above
// the last one taken whose file does not exist. Returns the path, "" on failure.
std::string ShellTakeScreenshot();
// The quit picture: credits for 4 s with a fade in and out.
void ShellShowCreditsPicture();
void ShellDrawScreenText(int x, int y, const char* text);
void ReleasePalette(DDPalette* palette);

// Input.
void ShellPollInput();
bool ShellMenuKeyPressed();  // fire 3 or Escape, as an edge
void ShellResetInput();
void ShellBindPlayerKeys();  // the two players' default keys for a new game
void ShellResumeInput();     // joysticks enabled and polling
void ShellSuspendInput();
void ShellShowCursor(bool shown);

// Sound.
void ShellEnableSound(bool on);
void ShellPlayNaviSound();
void ShellStopMusic();
void ShellUnloadMusic();

// Window events: the shell installs its pump with its services, tests their
// own (null: nothing is pumped). deferActivation: a screen is being built.
// Returns the pump it replaces.
using ShellEventPump = void (*)(bool deferActivation);
ShellEventPump ShellSetEventPump(ShellEventPump pump);
ShellEventPump ShellGetEventPump();
void ShellPumpEvents(bool deferActivation);

// Scripted input for tests and the event harness: while installed, the
// local players' input maps are replaced by the script (which 0 first, 1
// second local player; false: no scripted input this time) and the wait
// boxes' keys ('D', 'Q') come from it.
struct ScriptedInput {
  virtual ~ScriptedInput() = default;
  virtual bool ActionMap(int which, unsigned char actions[10]) = 0;
  virtual bool KeyPress(char key) = 0;
};
void ShellSetScriptedInput(ScriptedInput* script);
ScriptedInput* ShellGetScriptedInput();
bool ShellScriptedInput(int which, unsigned char actions[10]);
bool ShellScriptedKeyPress(char key);

// Network session.
void ShellCloseSession();
void ShellSendChat(const char* text);
// The next waiting chat line with its sender's name; false when none waits.
bool ShellPopChat(std::string* from, std::string* text);
