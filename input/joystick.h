#pragma once
// One joystick of a player. It is read on the main thread once a frame
// (PollInput); the stick's directions act as buttons 0 left, 1 right, 2 up
// and 3 down once pushed beyond a third of their travel, and the device's
// real buttons are buttons 4..35.
#include <cstdint>

#include "platform/joystick_reader.h"

class Joystick {
 public:
  static constexpr int kButtonCount = 36;
  static constexpr int kFirstRealButton = 4;
  static constexpr int kAxisThreshold = 32768 / 3;

  // id 0 or 1. reader null: the SDL devices.
  explicit Joystick(int id, JoystickReader* reader = nullptr);
  ~Joystick();  // the last joystick on the SDL devices lets go of them
  Joystick(const Joystick&) = delete;
  Joystick& operator=(const Joystick&) = delete;

  // Polling runs from construction and while the game is active; a stopped
  // joystick has every button released and counts no presses.
  void StartPolling();
  void StopPolling();
  bool IsPolling() const { return polling_; }
  // Reads the device once (PollInput calls it every frame).
  void Poll();

  bool IsConnected() const { return connected_; }
  // The number of real buttons; the button set-up needs 7.
  int IsConfigurable() const { return connected_ ? realButtons_ : 0; }

  bool IsButtonDown(int button) const;
  // Presses of the button since the previous call for it (read and cleared).
  int GetButtonPressCount(int button);
  void ClearButtonPressCounts();

  // For the action maps: a running count of presses per button and the count
  // at the last clear (see KeyPressSerial).
  uint32_t ButtonPressSerial(int button) const;
  uint32_t ButtonClearSerial(int button) const;

  // Disabled joysticks do not reach the action maps (the device is still
  // read, so the button set-up screen can see presses).
  void SetEnabled(bool enabled);
  bool IsEnabled() const { return enabled_; }

 private:
  void SetButton(int button, bool down);
  int id_;
  JoystickReader* reader_;
  bool polling_ = true;
  bool adopt_ = true;
  bool enabled_ = true;
  bool connected_ = false;
  int realButtons_ = 0;
  uint64_t held_ = 0;
  uint32_t pressSerial_[kButtonCount] = {};
  uint32_t clearSerial_[kButtonCount] = {};
  uint32_t readSerial_[kButtonCount] = {};
};

extern Joystick* g_joystick1;
extern Joystick* g_joystick2;
// The player's joystick by number 1 or 2 (null when it does not exist).
Joystick* GetJoystick(int number);
