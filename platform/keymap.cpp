#include "platform/keymap.h"

#include <SDL_scancode.h>

#include "platform/keyboard.h"

namespace {
struct KeyRow {
  SDL_Scancode scancode;
  int vk;
};

constexpr KeyRow kRows[] = {
    {SDL_SCANCODE_RETURN, kVkReturn},
    {SDL_SCANCODE_ESCAPE, kVkEscape},
    {SDL_SCANCODE_BACKSPACE, kVkBack},
    {SDL_SCANCODE_TAB, kVkTab},
    {SDL_SCANCODE_SPACE, kVkSpace},
    {SDL_SCANCODE_MINUS, kVkOemMinus},
    {SDL_SCANCODE_EQUALS, kVkOemPlus},
    {SDL_SCANCODE_LEFTBRACKET, kVkOem4},
    {SDL_SCANCODE_RIGHTBRACKET, kVkOem6},
    {SDL_SCANCODE_BACKSLASH, kVkOem5},
    {SDL_SCANCODE_NONUSHASH, kVkOem5},
    {SDL_SCANCODE_SEMICOLON, kVkOem1},
    {SDL_SCANCODE_APOSTROPHE, kVkOem7},
    {SDL_SCANCODE_GRAVE, kVkOem3},
    {SDL_SCANCODE_COMMA, kVkOemComma},
    {SDL_SCANCODE_PERIOD, kVkOemPeriod},
    {SDL_SCANCODE_SLASH, kVkOem2},
    {SDL_SCANCODE_CAPSLOCK, kVkCapital},
    {SDL_SCANCODE_PRINTSCREEN, kVkSnapshot},
    {SDL_SCANCODE_SCROLLLOCK, kVkScroll},
    {SDL_SCANCODE_PAUSE, kVkPause},
    {SDL_SCANCODE_INSERT, kVkInsert},
    {SDL_SCANCODE_HOME, kVkHome},
    {SDL_SCANCODE_PAGEUP, kVkPrior},
    {SDL_SCANCODE_DELETE, kVkDelete},
    {SDL_SCANCODE_END, kVkEnd},
    {SDL_SCANCODE_PAGEDOWN, kVkNext},
    {SDL_SCANCODE_RIGHT, kVkRight},
    {SDL_SCANCODE_LEFT, kVkLeft},
    {SDL_SCANCODE_DOWN, kVkDown},
    {SDL_SCANCODE_UP, kVkUp},
    {SDL_SCANCODE_NUMLOCKCLEAR, kVkNumLock},
    {SDL_SCANCODE_KP_DIVIDE, kVkDivide},
    {SDL_SCANCODE_KP_MULTIPLY, kVkMultiply},
    {SDL_SCANCODE_KP_MINUS, kVkSubtract},
    {SDL_SCANCODE_KP_PLUS, kVkAdd},
    {SDL_SCANCODE_KP_ENTER, kVkReturn},
    {SDL_SCANCODE_KP_0, kVkNumpad0},
    {SDL_SCANCODE_KP_PERIOD, kVkDecimal},
    {SDL_SCANCODE_NONUSBACKSLASH, kVkOem102},
    {SDL_SCANCODE_APPLICATION, kVkApps},
    {SDL_SCANCODE_HELP, kVkHelp},
    {SDL_SCANCODE_SELECT, kVkSelect},
    {SDL_SCANCODE_LCTRL, kVkControl},
    {SDL_SCANCODE_RCTRL, kVkControl},
    {SDL_SCANCODE_LSHIFT, kVkShift},
    {SDL_SCANCODE_RSHIFT, kVkShift},
    {SDL_SCANCODE_LALT, kVkMenu},
    {SDL_SCANCODE_RALT, kVkMenu},
    {SDL_SCANCODE_LGUI, kVkLWin},
    {SDL_SCANCODE_RGUI, kVkRWin},
};

struct Table {
  unsigned char vk[SDL_NUM_SCANCODES] = {};
  Table() {
    for (int i = 0; i < 26; ++i) vk[SDL_SCANCODE_A + i] = static_cast<unsigned char>(kVkA + i);
    // SDL orders the digit row 1..9, 0.
    for (int i = 0; i < 9; ++i) vk[SDL_SCANCODE_1 + i] = static_cast<unsigned char>(kVk0 + 1 + i);
    vk[SDL_SCANCODE_0] = kVk0;
    for (int i = 0; i < 12; ++i) vk[SDL_SCANCODE_F1 + i] = static_cast<unsigned char>(kVkF1 + i);
    for (int i = 0; i < 12; ++i) vk[SDL_SCANCODE_F13 + i] = static_cast<unsigned char>(kVkF1 + 12 + i);
    for (int i = 0; i < 9; ++i) vk[SDL_SCANCODE_KP_1 + i] = static_cast<unsigned char>(kVkNumpad0 + 1 + i);
    for (const KeyRow& r : kRows) vk[r.scancode] = static_cast<unsigned char>(r.vk);
  }
};

const Table& GetTable() {
  static const Table table;
  return table;
}
}  // namespace

int ScancodeToVirtualKey(int sdlScancode) {
  if (sdlScancode < 0 || sdlScancode >= SDL_NUM_SCANCODES) return 0;
  return GetTable().vk[sdlScancode];
}
