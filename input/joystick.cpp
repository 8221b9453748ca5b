#include "input/joystick.h"

Joystick* g_joystick1 = nullptr;
Joystick* g_joystick2 = nullptr;

Joystick* GetJoystick(int number) {
  return number == 1 ? g_joystick1 : number == 2 ? g_joystick2 : nullptr;
}

namespace {
bool ValidButton(int b) { return b >= 0 && b < Joystick::kButtonCount; }
}  // namespace

namespace {
int g_sdlUsers = 0;  // joysticks reading the SDL devices
}  // namespace

Joystick::Joystick(int id, JoystickReader* reader)
    : id_(id), reader_(reader ? reader : &SdlJoystickReader()) {
  if (reader_ == &SdlJoystickReader()) ++g_sdlUsers;
}

Joystick::~Joystick() {
  if (reader_ == &SdlJoystickReader() && --g_sdlUsers == 0) CloseSdlJoysticks();
}

void Joystick::StartPolling() {
  if (polling_) return;
  polling_ = true;
  adopt_ = true;
  Poll();
}

void Joystick::StopPolling() {
  polling_ = false;
  // Nothing stays held while nobody reads the device; a button still down
  // when polling starts again is no new press.
  for (int b = 0; b < kButtonCount; ++b) SetButton(b, false);
}

void Joystick::Poll() {
  if (!polling_) return;
  JoystickSnapshot s;
  if (!reader_->Read(id_, &s) || !s.connected) {
    connected_ = false;
    realButtons_ = 0;
    for (int b = 0; b < kButtonCount; ++b) SetButton(b, false);
    return;
  }
  // Buttons already held when the device appears or polling starts are
  // taken as they are, not as presses.
  bool adopt = !connected_ || adopt_;
  adopt_ = false;
  connected_ = true;
  realButtons_ = s.buttonCount;
  bool down[kButtonCount] = {};
  down[0] = s.axisX < -kAxisThreshold;
  down[1] = s.axisX > kAxisThreshold;
  down[2] = s.axisY < -kAxisThreshold;
  down[3] = s.axisY > kAxisThreshold;
  for (int b = 0; b < 32 && b < s.buttonCount; ++b)
    down[kFirstRealButton + b] = (s.buttons >> b) & 1u;
  for (int b = 0; b < kButtonCount; ++b) {
    if (adopt) {
      if (down[b])
        held_ |= uint64_t{1} << b;
      else
        held_ &= ~(uint64_t{1} << b);
      continue;
    }
    SetButton(b, down[b]);
  }
}

void Joystick::SetButton(int b, bool down) {
  uint64_t bit = uint64_t{1} << b;
  bool was = (held_ & bit) != 0;
  if (down && !was) ++pressSerial_[b];
  if (down)
    held_ |= bit;
  else
    held_ &= ~bit;
}

bool Joystick::IsButtonDown(int button) const {
  return ValidButton(button) && (held_ >> button) & 1u;
}

int Joystick::GetButtonPressCount(int button) {
  if (!ValidButton(button)) return 0;
  uint32_t base = readSerial_[button];
  if (static_cast<int32_t>(clearSerial_[button] - base) > 0) base = clearSerial_[button];
  uint32_t n = pressSerial_[button] - base;
  readSerial_[button] = pressSerial_[button];
  return n > 127 ? 127 : static_cast<int>(n);
}

void Joystick::ClearButtonPressCounts() {
  for (int b = 0; b < kButtonCount; ++b) clearSerial_[b] = pressSerial_[b];
}

uint32_t Joystick::ButtonPressSerial(int button) const {
  return ValidButton(button) ? pressSerial_[button] : 0;
}

uint32_t Joystick::ButtonClearSerial(int button) const {
  return ValidButton(button) ? clearSerial_[button] : 0;
}

void Joystick::SetEnabled(bool enabled) {
  if (enabled != enabled_) ClearButtonPressCounts();
  enabled_ = enabled;
}
