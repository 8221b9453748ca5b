// The two players' controls: control modes, key sets and joystick set-ups,
// read from and written to the settings store.
#include <cstdio>
#include <vector>

#include "base/registry.h"
#include "input/input.h"
#include "input/joystick.h"
#include "platform/keyboard.h"

const int32_t kDefaultKeySets[2][kKeySetSize] = {
    {kVkUp, kVkDown, kVkLeft, kVkRight, kVkControl, kVkShift},
    {'W', 'S', 'A', 'D', kVkSpace, 'Q'},
};
const int32_t kDefaultJoystickConfig[kJoyConfigSize] = {4, 5, 6, 7, 8, 9, 10};

int32_t g_controlModes[2] = {kControlKeys1, kControlKeys2};
int32_t g_keySets[2][kKeySetSize] = {
    {kVkUp, kVkDown, kVkLeft, kVkRight, kVkControl, kVkShift},
    {'W', 'S', 'A', 'D', kVkSpace, 'Q'},
};
int32_t g_joystickConfig1[kJoyConfigSize] = {4, 5, 6, 7, 8, 9, 10};
int32_t g_joystickConfig2[kJoyConfigSize] = {4, 5, 6, 7, 8, 9, 10};

namespace {
const char* const kKeySuffix[kKeySetSize] = {"U", "D", "L", "R", "A1", "A2"};
constexpr int32_t kModeOrder[4] = {kControlKeys1, kControlKeys2, kControlJoy1, kControlJoy2};

bool ValidMode(int32_t m) {
  return m == kControlKeys1 || m == kControlKeys2 || m == kControlJoy1 || m == kControlJoy2;
}

// A key a set may hold: a real key, not a mouse button or an unused low code.
bool ValidKey(int32_t vk) { return vk >= kVkBack && vk <= 0xFE; }

bool ValidButton(int32_t b) { return b >= Joystick::kFirstRealButton && b < Joystick::kButtonCount; }

bool SetUsable(const int32_t* keys) {
  for (int i = 0; i < kKeySetSize; ++i) {
    if (!ValidKey(keys[i])) return false;
    for (int j = 0; j < i; ++j)
      if (keys[i] == keys[j]) return false;
  }
  return true;
}

bool SetsOverlap(const int32_t* a, const int32_t* b) {
  for (int i = 0; i < kKeySetSize; ++i)
    for (int j = 0; j < kKeySetSize; ++j)
      if (a[i] == b[j]) return true;
  return false;
}

bool JoyConfigUsable(const int32_t* cfg) {
  for (int i = 0; i < kJoyConfigSize; ++i) {
    if (!ValidButton(cfg[i])) return false;
    for (int j = 0; j < i; ++j)
      if (cfg[i] == cfg[j]) return false;
  }
  return true;
}

void CopyDefaults(int32_t* dst, const int32_t* src, int n) {
  for (int i = 0; i < n; ++i) dst[i] = src[i];
}

void ReadJoyConfig(int joystick, int32_t* cfg) {
  char name[16];
  for (int i = 0; i < kJoyConfigSize; ++i) {
    if (i == kJoyStartRow)
      std::snprintf(name, sizeof name, "JOY%dSTART", joystick);
    else
      std::snprintf(name, sizeof name, "JOY%dB%d", joystick, i + 1);
    cfg[i] = RegReadInt(kRegConfig, name, kDefaultJoystickConfig[i]);
  }
  if (!JoyConfigUsable(cfg)) CopyDefaults(cfg, kDefaultJoystickConfig, kJoyConfigSize);
}

void AddJoyConfig(int joystick, const int32_t* cfg, std::vector<RegValue>* out) {
  char name[16];
  for (int i = 0; i < kJoyConfigSize; ++i) {
    if (i == kJoyStartRow)
      std::snprintf(name, sizeof name, "JOY%dSTART", joystick);
    else
      std::snprintf(name, sizeof name, "JOY%dB%d", joystick, i + 1);
    out->push_back(RegIntValue(name, cfg[i]));
  }
}
}  // namespace

void ResetControlsToDefaults() {
  g_controlModes[0] = kControlKeys1;
  g_controlModes[1] = kControlKeys2;
  CopyDefaults(g_keySets[0], kDefaultKeySets[0], kKeySetSize);
  CopyDefaults(g_keySets[1], kDefaultKeySets[1], kKeySetSize);
  CopyDefaults(g_joystickConfig1, kDefaultJoystickConfig, kJoyConfigSize);
  CopyDefaults(g_joystickConfig2, kDefaultJoystickConfig, kJoyConfigSize);
}

void LoadControls() {
  int32_t m1 = RegReadInt(kRegConfig, "PLAYER1CONTROL", kControlKeys1);
  int32_t m2 = RegReadInt(kRegConfig, "PLAYER2CONTROL", kControlKeys2);
  if (!ValidMode(m1)) m1 = kControlKeys1;
  if (!ValidMode(m2)) m2 = m1 == kControlKeys2 ? kControlKeys1 : kControlKeys2;
  // Two players never share one mode.
  if (m1 == m2) m2 = m1 == kControlKeys2 ? kControlKeys1 : kControlKeys2;
  g_controlModes[0] = m1;
  g_controlModes[1] = m2;

  char name[16];
  for (int set = 0; set < 2; ++set) {
    for (int k = 0; k < kKeySetSize; ++k) {
      std::snprintf(name, sizeof name, "KEY%d%s", set + 1, kKeySuffix[k]);
      g_keySets[set][k] = RegReadInt(kRegConfig, name, kDefaultKeySets[set][k]);
    }
    if (!SetUsable(g_keySets[set])) CopyDefaults(g_keySets[set], kDefaultKeySets[set], kKeySetSize);
  }
  // No key may serve both players.
  if (SetsOverlap(g_keySets[0], g_keySets[1])) {
    CopyDefaults(g_keySets[1], kDefaultKeySets[1], kKeySetSize);
    if (SetsOverlap(g_keySets[0], g_keySets[1]))
      CopyDefaults(g_keySets[0], kDefaultKeySets[0], kKeySetSize);
  }
  ReadJoyConfig(1, g_joystickConfig1);
  ReadJoyConfig(2, g_joystickConfig2);
}

bool SaveControls() {
  // One save of the store for all of them (none when nothing changed).
  std::vector<RegValue> values = {RegIntValue("PLAYER1CONTROL", g_controlModes[0]),
                                  RegIntValue("PLAYER2CONTROL", g_controlModes[1])};
  char name[16];
  for (int set = 0; set < 2; ++set) {
    for (int k = 0; k < kKeySetSize; ++k) {
      std::snprintf(name, sizeof name, "KEY%d%s", set + 1, kKeySuffix[k]);
      values.push_back(RegIntValue(name, g_keySets[set][k]));
    }
  }
  AddJoyConfig(1, g_joystickConfig1, &values);
  AddJoyConfig(2, g_joystickConfig2, &values);
  return RegWriteValues(kRegConfig, values);
}

int32_t NextControlMode(int32_t current, int32_t otherPlayersMode, bool joystick1Connected,
                        bool joystick2Connected) {
  int start = 0;
  for (int i = 0; i < 4; ++i)
    if (kModeOrder[i] == current) start = i;
  for (int step = 1; step < 4; ++step) {
    int32_t m = kModeOrder[(start + step) % 4];
    if (m == otherPlayersMode) continue;
    if (m == kControlJoy1 && !joystick1Connected) continue;
    if (m == kControlJoy2 && !joystick2Connected) continue;
    return m;
  }
  return current;
}

int32_t CycleControlMode(int player) {
  if (player != 0 && player != 1) return kControlKeys1;
  bool j1 = g_joystick1 && g_joystick1->IsConnected();
  bool j2 = g_joystick2 && g_joystick2->IsConnected();
  g_controlModes[player] = NextControlMode(g_controlModes[player], g_controlModes[1 - player], j1, j2);
  BindDefaultActions();
  return g_controlModes[player];
}
