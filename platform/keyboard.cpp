#include "platform/keyboard.h"

#include <SDL.h>

#include <cstring>

namespace {
uint32_t g_keyDown[kKeyCount];
uint32_t g_keyPressCount[kKeyCount];
uint32_t g_keyPressSerial[kKeyCount];
uint32_t g_keyClearSerial[kKeyCount];
char g_typedChars[kTypedRingSize];
int32_t g_typedRead = 0;
int32_t g_typedWrite = 0;

bool ValidKey(int vk) { return vk >= 0 && vk < kKeyCount; }

void ClearCount(int vk) {
  g_keyPressCount[vk] = 0;
  g_keyClearSerial[vk] = g_keyPressSerial[vk];
}
}  // namespace

int32_t g_mouseX = 0;
int32_t g_mouseY = 0;

bool IsKeyDown(int vk) { return ValidKey(vk) && g_keyDown[vk] != 0; }

void ClearKeysDown() { std::memset(g_keyDown, 0, sizeof g_keyDown); }

void ClearKey(int vk) {
  if (!ValidKey(vk)) return;
  g_keyDown[vk] = 0;
  ClearCount(vk);
}

uint32_t GetKeyPressCount(int vk) { return ValidKey(vk) ? g_keyPressCount[vk] : 0; }

void ClearKeyPressCounts() {
  for (int vk = 0; vk < kKeyCount; ++vk) ClearCount(vk);
}

bool HasTypedChar() { return g_typedRead != g_typedWrite; }

char ReadTypedChar() {
  if (g_typedRead == g_typedWrite) return 0;
  char c = g_typedChars[g_typedRead];
  g_typedRead = (g_typedRead + 1) % kTypedRingSize;
  return c;
}

void ClearTypedChars() { g_typedRead = g_typedWrite = 0; }

void FlushInput(int drain) {
  // Key and text events not yet handled would otherwise arrive after the
  // flush and count as fresh presses.
  if (drain && SDL_WasInit(SDL_INIT_EVENTS)) {
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_KEYDOWN, SDL_TEXTINPUT);
  }
  ClearKeysDown();
  ClearKeyPressCounts();
  ClearTypedChars();
}

void KeyboardKeyDown(int vk, bool repeat) {
  if (!ValidKey(vk)) return;
  g_keyDown[vk] = 1;
  if (repeat) return;
  if (++g_keyPressCount[vk] > 127) g_keyPressCount[vk] = 1;
  ++g_keyPressSerial[vk];
}

void KeyboardKeyUp(int vk) {
  if (ValidKey(vk)) g_keyDown[vk] = 0;
}

void KeyboardTypedChar(char c) {
  int next = (g_typedWrite + 1) % kTypedRingSize;
  if (next == g_typedRead) return;  // full: 15 characters wait
  g_typedChars[g_typedWrite] = c;
  g_typedWrite = next;
}

void MouseButtonDown(int index) {
  if (index != kVkLButton && index != kVkRButton) return;
  g_keyDown[index] = 1;
  ++g_keyPressCount[index];
  ++g_keyPressSerial[index];
}

void MouseButtonUp(int index) {
  if (index == kVkLButton || index == kVkRButton) g_keyDown[index] = 0;
}

void MouseMoveTo(int x, int y) {
  g_mouseX = x;
  g_mouseY = y;
}

void ResetKeyboardState() {
  std::memset(g_keyDown, 0, sizeof g_keyDown);
  std::memset(g_keyPressCount, 0, sizeof g_keyPressCount);
  // The serials keep running so that an action map's remembered values stay
  // comparable; the clear marks every earlier press as gone.
  std::memcpy(g_keyClearSerial, g_keyPressSerial, sizeof g_keyClearSerial);
  ClearTypedChars();
  g_mouseX = g_mouseY = 0;
}

uint32_t KeyPressSerial(int vk) { return ValidKey(vk) ? g_keyPressSerial[vk] : 0; }
uint32_t KeyClearSerial(int vk) { return ValidKey(vk) ? g_keyClearSerial[vk] : 0; }
