#include "input/input.h"

#include "input/joystick.h"
#include "platform/keyboard.h"

InputActionMap* g_inputMap = nullptr;
InputActionMap* g_player1Map = nullptr;
InputActionMap* g_player2Map = nullptr;

namespace {
bool ValidAction(int a) { return a >= 0 && a < InputActionMap::kActionCount; }

const int32_t* JoyConfigFor(int joystick) {
  return joystick == 2 ? g_joystickConfig2 : g_joystickConfig1;
}

// The key set (0, 1) of a keyboard mode, -1 for a joystick mode.
int KeySetOf(int32_t mode) {
  return mode == kControlKeys1 ? 0 : mode == kControlKeys2 ? 1 : -1;
}
int JoystickOf(int32_t mode) {
  return mode == kControlJoy1 ? 1 : mode == kControlJoy2 ? 2 : 0;
}
}  // namespace

// --- InputActionMap ----------------------------------------------------------

void InputActionMap::Clear() {
  for (Slot& s : slots_) s = Slot{};
}

void InputActionMap::BindKey(int action, int vk) {
  if (!ValidAction(action)) return;
  if (vk <= 0 || vk >= kKeyCount) {
    Unbind(action);
    return;
  }
  Slot& s = slots_[action];
  s = Slot{};
  s.binding.source = InputSource::kKey;
  s.binding.code = static_cast<uint16_t>(vk);
  Resync(s);
}

void InputActionMap::BindButton(int action, int joystick, int button) {
  if (!ValidAction(action)) return;
  if ((joystick != 1 && joystick != 2) || button < 0 || button >= Joystick::kButtonCount) {
    Unbind(action);
    return;
  }
  Slot& s = slots_[action];
  s = Slot{};
  s.binding.source = InputSource::kJoystick;
  s.binding.joystick = static_cast<uint8_t>(joystick);
  s.binding.code = static_cast<uint16_t>(button);
  Resync(s);
}

void InputActionMap::Unbind(int action) {
  if (ValidAction(action)) slots_[action] = Slot{};
}

InputBinding InputActionMap::GetBinding(int action) const {
  return ValidAction(action) ? slots_[action].binding : InputBinding{};
}

void InputActionMap::ReadSource(const InputBinding& b, bool* held, uint32_t* serial,
                                uint32_t* clear) const {
  *held = false;
  *serial = 0;
  *clear = 0;
  if (b.source == InputSource::kKey) {
    *held = IsKeyDown(b.code);
    *serial = KeyPressSerial(b.code);
    *clear = KeyClearSerial(b.code);
  } else if (b.source == InputSource::kJoystick) {
    const Joystick* j = GetJoystick(b.joystick);
    if (!j) return;
    *serial = j->ButtonPressSerial(b.code);
    // A disabled or unplugged stick reaches no map: its presses are cleared
    // as they come.
    if (!j->IsEnabled() || !j->IsConnected() || !j->IsPolling()) {
      *clear = *serial;
      return;
    }
    *held = j->IsButtonDown(b.code);
    *clear = j->ButtonClearSerial(b.code);
  }
}

void InputActionMap::Resync(Slot& s) {
  bool held;
  uint32_t serial, clear;
  ReadSource(s.binding, &held, &serial, &clear);
  s.lastSerial = serial;
  s.pending = 0;
  s.lastPoll = 0;
}

void InputActionMap::Poll() {
  for (Slot& s : slots_) {
    if (s.binding.source == InputSource::kNone) continue;
    bool held;
    uint32_t serial, clear;
    ReadSource(s.binding, &held, &serial, &clear);
    uint32_t base = s.lastSerial;
    // Presses before the source's last clear never count.
    if (static_cast<int32_t>(clear - base) > 0) base = clear;
    uint32_t fresh = serial - base;
    if (static_cast<int32_t>(fresh) < 0) fresh = 0;
    s.lastSerial = serial;
    s.held = held ? 1 : 0;
    s.lastPoll = fresh > 127 ? 127 : static_cast<uint8_t>(fresh);
    uint32_t total = s.pending + fresh;
    s.pending = total > 127 ? 127 : static_cast<uint8_t>(total);
  }
}

void InputActionMap::Reset() {
  for (Slot& s : slots_) Resync(s);
}

bool InputActionMap::IsHeld(int action) const {
  return ValidAction(action) && slots_[action].held != 0;
}

bool InputActionMap::IsActive(int action) const {
  return ValidAction(action) && slots_[action].lastPoll != 0;
}

int InputActionMap::NewPresses(int action) const {
  return ValidAction(action) ? slots_[action].lastPoll : 0;
}

int InputActionMap::PendingPresses(int action) const {
  return ValidAction(action) ? slots_[action].pending : 0;
}

uint8_t InputActionMap::TakeState(int action) {
  if (!ValidAction(action)) return 0;
  Slot& s = slots_[action];
  uint8_t v = static_cast<uint8_t>((s.held ? 0x80 : 0) | (s.pending & 0x7F));
  s.pending = 0;
  return v;
}

// --- The three maps and their bindings --------------------------------------

void CreateInputMaps() {
  if (!g_player1Map) g_player1Map = new InputActionMap;
  if (!g_player2Map) g_player2Map = new InputActionMap;
  if (!g_inputMap) g_inputMap = new InputActionMap;
  BindPlayerDefaultKeys(g_player1Map, 0);
  BindPlayerDefaultKeys(g_player2Map, 1);
  BindDefaultActions();
}

void DestroyInputMaps() {
  delete g_player1Map;
  g_player1Map = nullptr;
  delete g_player2Map;
  g_player2Map = nullptr;
  delete g_inputMap;
  g_inputMap = nullptr;
}

void BindPlayerDefaultKeys(InputActionMap* map, int player) {
  if (!map || (player != 0 && player != 1)) return;
  map->Clear();
  int32_t mode = g_controlModes[player];
  int set = KeySetOf(mode);
  if (set >= 0) {
    const int32_t* keys = g_keySets[set];
    map->BindKey(kActionUp, keys[kKeyUp]);
    map->BindKey(kActionDown, keys[kKeyDown]);
    map->BindKey(kActionLeft, keys[kKeyLeft]);
    map->BindKey(kActionRight, keys[kKeyRight]);
    map->BindKey(kActionFire1, keys[kKeyAction1]);
    map->BindKey(kActionFire2, keys[kKeyAction2]);
    return;
  }
  int joy = JoystickOf(mode);
  if (joy == 0) return;
  const int32_t* cfg = JoyConfigFor(joy);
  map->BindButton(kActionLeft, joy, 0);
  map->BindButton(kActionRight, joy, 1);
  map->BindButton(kActionUp, joy, 2);
  map->BindButton(kActionDown, joy, 3);
  for (int i = 0; i < 6; ++i) map->BindButton(kActionFire1 + i, joy, cfg[i]);
  map->BindButton(kActionStart, joy, cfg[kJoyStartRow]);
}

void BindDefaultActions() {
  if (!g_inputMap) return;
  InputActionMap* m = g_inputMap;
  m->Clear();
  bool arrowsTaken = false;
  for (int p = 0; p < 2; ++p) {
    int32_t mode = g_controlModes[p];
    int set = KeySetOf(mode);
    if (set >= 0) {
      const int32_t* keys = g_keySets[set];
      m->BindKey(kSharedLeft + p, keys[kKeyLeft]);
      m->BindKey(kSharedRight + p, keys[kKeyRight]);
      m->BindKey(kSharedUp + p, keys[kKeyUp]);
      m->BindKey(kSharedDown + p, keys[kKeyDown]);
      m->BindKey(kSharedFire1 + p, keys[kKeyAction1]);
      m->BindKey(kSharedFire2 + p, keys[kKeyAction2]);
      // A key set has no third action.
      for (int k = 0; k < kKeySetSize; ++k)
        if (keys[k] == kVkUp || keys[k] == kVkDown || keys[k] == kVkLeft || keys[k] == kVkRight)
          arrowsTaken = true;
      continue;
    }
    int joy = JoystickOf(mode);
    if (joy == 0) continue;
    const int32_t* cfg = JoyConfigFor(joy);
    m->BindButton(kSharedLeft + p, joy, 0);
    m->BindButton(kSharedRight + p, joy, 1);
    m->BindButton(kSharedUp + p, joy, 2);
    m->BindButton(kSharedDown + p, joy, 3);
    m->BindButton(kSharedFire1 + p, joy, cfg[0]);
    m->BindButton(kSharedFire2 + p, joy, cfg[1]);
    m->BindButton(kSharedFire3 + p, joy, cfg[2]);
  }
  m->BindKey(kSharedEscape, kVkEscape);
  m->BindKey(kSharedEnter, kVkReturn);
  if (!arrowsTaken) {
    m->BindKey(kSharedMenuUp, kVkUp);
    m->BindKey(kSharedMenuDown, kVkDown);
    m->BindKey(kSharedMenuLeft, kVkLeft);
    m->BindKey(kSharedMenuRight, kVkRight);
  }
}

// --- Queries ------------------------------------------------------------------

namespace {
bool PairActive(int first, int which) {
  if (!g_inputMap) return false;
  if (which == 1) return g_inputMap->IsActive(first);
  if (which == 2) return g_inputMap->IsActive(first + 1);
  return g_inputMap->IsActive(first) || g_inputMap->IsActive(first + 1);
}

bool DirectionActive(int first, int menuAction, int which) {
  if (PairActive(first, which)) return true;
  return g_inputMap && which != 1 && which != 2 && g_inputMap->IsActive(menuAction);
}
int DirectionPresses(int first, int menuAction, int which) {
  if (!g_inputMap) return 0;
  if (which == 1) return g_inputMap->NewPresses(first);
  if (which == 2) return g_inputMap->NewPresses(first + 1);
  return g_inputMap->NewPresses(first) + g_inputMap->NewPresses(first + 1) +
         g_inputMap->NewPresses(menuAction);
}
}  // namespace

int LeftPresses(int which) { return DirectionPresses(kSharedLeft, kSharedMenuLeft, which); }
int RightPresses(int which) { return DirectionPresses(kSharedRight, kSharedMenuRight, which); }
int UpPresses(int which) { return DirectionPresses(kSharedUp, kSharedMenuUp, which); }
int DownPresses(int which) { return DirectionPresses(kSharedDown, kSharedMenuDown, which); }

bool IsLeftActive(int which) { return DirectionActive(kSharedLeft, kSharedMenuLeft, which); }
bool IsRightActive(int which) { return DirectionActive(kSharedRight, kSharedMenuRight, which); }
bool IsUpActive(int which) { return DirectionActive(kSharedUp, kSharedMenuUp, which); }
bool IsDownActive(int which) { return DirectionActive(kSharedDown, kSharedMenuDown, which); }
bool IsFire1Active(int which) { return PairActive(kSharedFire1, which); }
bool IsFire2Active(int which) { return PairActive(kSharedFire2, which); }
bool IsFire3Active(int which) { return PairActive(kSharedFire3, which); }
bool IsEscapeActive(int) { return g_inputMap && g_inputMap->IsActive(kSharedEscape); }
bool IsEnterActive(int) { return g_inputMap && g_inputMap->IsActive(kSharedEnter); }

bool IsAnyActionActive(int which) {
  return IsLeftActive(which) || IsRightActive(which) || IsUpActive(which) || IsDownActive(which) ||
         IsFire1Active(which) || IsFire2Active(which) || IsFire3Active(which) ||
         IsEscapeActive(which) || IsEnterActive(which);
}

void PollInput() {
  if (g_joystick1) g_joystick1->Poll();
  if (g_joystick2) g_joystick2->Poll();
  if (g_inputMap) g_inputMap->Poll();
  if (g_player1Map) g_player1Map->Poll();
  if (g_player2Map) g_player2Map->Poll();
}

void ResetInput() {
  if (g_inputMap) g_inputMap->Reset();
}

void SetJoysticksEnabled(int flag) {
  FlushInput(flag);
  if (g_joystick1) g_joystick1->SetEnabled(flag != 0);
  if (g_joystick2) g_joystick2->SetEnabled(flag != 0);
}
