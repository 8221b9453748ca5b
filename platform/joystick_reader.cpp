#include "platform/joystick_reader.h"

#include <SDL.h>

#include "base/debug.h"
#include "platform/presenter.h"

namespace {
constexpr int kMaxSticks = 2;

class SdlReader : public JoystickReader {
 public:
  bool Read(int id, JoystickSnapshot* out) override {
    *out = JoystickSnapshot{};
    if (id < 0 || id >= kMaxSticks) return false;
    // Headless runs are scripted: a stick plugged into the machine must not
    // change what they do.
    if (IsHeadlessEnvironment()) return false;
    if (!Start()) return false;
    SDL_JoystickUpdate();
    SDL_Joystick*& js = sticks_[id];
    if (js && !SDL_JoystickGetAttached(js)) {
      SDL_JoystickClose(js);
      js = nullptr;
    }
    if (!js) {
      if (id >= SDL_NumJoysticks()) return false;
      js = SDL_JoystickOpen(id);
      if (!js) return false;
      DebugPrintf("joystick %d: %s\n", id + 1, SDL_JoystickName(js));
    }
    out->connected = true;
    if (SDL_JoystickNumAxes(js) >= 2) {
      out->axisX = SDL_JoystickGetAxis(js, 0);
      out->axisY = SDL_JoystickGetAxis(js, 1);
    }
    // A hat counts as the stick when it is pushed.
    if (SDL_JoystickNumHats(js) > 0) {
      Uint8 hat = SDL_JoystickGetHat(js, 0);
      if (hat & SDL_HAT_LEFT) out->axisX = -32768;
      if (hat & SDL_HAT_RIGHT) out->axisX = 32767;
      if (hat & SDL_HAT_UP) out->axisY = -32768;
      if (hat & SDL_HAT_DOWN) out->axisY = 32767;
    }
    int n = SDL_JoystickNumButtons(js);
    if (n > 32) n = 32;
    if (n < 0) n = 0;
    out->buttonCount = n;
    for (int b = 0; b < n; ++b)
      if (SDL_JoystickGetButton(js, b)) out->buttons |= 1u << b;
    return true;
  }

  void CloseAll() {
    for (SDL_Joystick*& js : sticks_) {
      if (js) SDL_JoystickClose(js);
      js = nullptr;
    }
    if (started_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    started_ = false;
    failed_ = false;
  }

 private:
  bool Start() {
    if (started_) return true;
    if (failed_) return false;
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
      DebugPrintf("joysticks unavailable: %s\n", SDL_GetError());
      failed_ = true;
      return false;
    }
    started_ = true;
    return true;
  }

  SDL_Joystick* sticks_[kMaxSticks] = {};
  bool started_ = false;
  bool failed_ = false;
};

SdlReader& Reader() {
  static SdlReader reader;
  return reader;
}
}  // namespace

JoystickReader& SdlJoystickReader() { return Reader(); }
void CloseSdlJoysticks() { Reader().CloseAll(); }
