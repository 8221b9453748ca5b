#pragma once
// The keyboard and mouse state every screen polls. The window procedure fills
// it from the window's events; screens read it between frames. Keys are
// indexed by Windows virtual-key code (0..255) because the stored key
// bindings and the key-name strings (100 + code) are numbered that way; the
// mouse buttons sit at index 1 (left) and 2 (right).
//
// Main thread only.
#include <cstdint>

// Virtual-key codes the program names itself.
enum : int {
  kVkLButton = 0x01,
  kVkRButton = 0x02,
  kVkCancel = 0x03,
  kVkMButton = 0x04,
  kVkBack = 0x08,
  kVkTab = 0x09,
  kVkClear = 0x0C,
  kVkReturn = 0x0D,
  kVkShift = 0x10,
  kVkControl = 0x11,
  kVkMenu = 0x12,  // Alt
  kVkPause = 0x13,
  kVkCapital = 0x14,
  kVkEscape = 0x1B,
  kVkSpace = 0x20,
  kVkPrior = 0x21,
  kVkNext = 0x22,
  kVkEnd = 0x23,
  kVkHome = 0x24,
  kVkLeft = 0x25,
  kVkUp = 0x26,
  kVkRight = 0x27,
  kVkDown = 0x28,
  kVkSelect = 0x29,
  kVkPrint = 0x2A,
  kVkSnapshot = 0x2C,
  kVkInsert = 0x2D,
  kVkDelete = 0x2E,
  kVkHelp = 0x2F,
  kVk0 = 0x30,  // '0'..'9' are 0x30..0x39, 'A'..'Z' are 0x41..0x5A
  kVkA = 0x41,
  kVkLWin = 0x5B,
  kVkRWin = 0x5C,
  kVkApps = 0x5D,
  kVkNumpad0 = 0x60,  // .. kVkNumpad0 + 9
  kVkMultiply = 0x6A,
  kVkAdd = 0x6B,
  kVkSubtract = 0x6D,
  kVkDecimal = 0x6E,
  kVkDivide = 0x6F,
  kVkF1 = 0x70,  // .. F24 = 0x87
  kVkF11 = 0x7A,
  kVkF12 = 0x7B,
  kVkNumLock = 0x90,
  kVkScroll = 0x91,
  kVkOem1 = 0xBA,       // ;:
  kVkOemPlus = 0xBB,    // =+
  kVkOemComma = 0xBC,   // ,<
  kVkOemMinus = 0xBD,   // -_
  kVkOemPeriod = 0xBE,  // .>
  kVkOem2 = 0xBF,       // /?
  kVkOem3 = 0xC0,       // `~
  kVkOem4 = 0xDB,       // [{
  kVkOem5 = 0xDC,       // backslash |
  kVkOem6 = 0xDD,       // ]}
  kVkOem7 = 0xDE,       // '"
  kVkOem102 = 0xE2,     // the extra key left of Z on European keyboards
};

inline constexpr int kKeyCount = 256;
inline constexpr int kTypedRingSize = 16;  // holds at most 15 characters

// The display the mouse position is given in, whatever the window's size.
inline constexpr int kPointerAreaWidth = 640;
inline constexpr int kPointerAreaHeight = 480;

// --- What the screens read ------------------------------------------------
bool IsKeyDown(int vk);            // false for codes outside 0..255
void ClearKeysDown();              // every down flag
void ClearKey(int vk);             // down flag and press count of one key
uint32_t GetKeyPressCount(int vk);  // presses since the last clear (1..127, then 1 again)
void ClearKeyPressCounts();
bool HasTypedChar();
char ReadTypedChar();  // 0 when the ring is empty
void ClearTypedChars();
// With drain, the keyboard events still waiting in the window's queue are
// thrown away first; then down flags, press counts and typed characters are
// cleared.
void FlushInput(int drain);

extern int32_t g_mouseX;  // last pointer position in display coordinates
extern int32_t g_mouseY;

// --- What the window procedure feeds in -------------------------------------
// A key went down. A repeat (the key was already held and the system repeats
// it) sets the down flag but is no new press.
void KeyboardKeyDown(int vk, bool repeat);
void KeyboardKeyUp(int vk);
// A typed character; dropped when the ring already holds 15.
void KeyboardTypedChar(char c);
// Mouse buttons: index 1 left, 2 right. Their press counts are not capped.
void MouseButtonDown(int index);
void MouseButtonUp(int index);
void MouseMoveTo(int x, int y);  // display coordinates
// Everything back to the start state (tests, start-up).
void ResetKeyboardState();

// --- For the input action maps ----------------------------------------------
// A per-key count of presses that never goes back to 0 (it wraps at 2^32),
// and the value it had when the key's presses were last cleared. A map that
// remembers the serial it saw last knows how many new presses came since,
// and presses before a clear never reach it.
uint32_t KeyPressSerial(int vk);
uint32_t KeyClearSerial(int vk);
