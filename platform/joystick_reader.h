#pragma once
// Reading a joystick's present state. The game reads its joysticks on the
// main thread once a frame; the reader is an interface so that tests can
// play a scripted stick instead of a device.
#include <cstdint>

struct JoystickSnapshot {
  bool connected = false;
  int16_t axisX = 0;    // -32768 left .. 32767 right
  int16_t axisY = 0;    // -32768 up .. 32767 down
  int buttonCount = 0;  // real buttons the device has (at most 32 are read)
  uint32_t buttons = 0;  // bit i: real button i held
};

class JoystickReader {
 public:
  virtual ~JoystickReader() = default;
  // The state of the id-th joystick (0 or 1). False, with a disconnected
  // snapshot, when there is no such device.
  virtual bool Read(int id, JoystickSnapshot* out) = 0;
};

// The SDL joystick devices, in the order SDL lists them. Opens a device when
// it appears and lets go of it when it is unplugged. Headless, there are none.
JoystickReader& SdlJoystickReader();
// Lets go of every SDL device (at shutdown).
void CloseSdlJoysticks();
