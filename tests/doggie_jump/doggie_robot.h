#pragma once
// A person at the keys of a NICE DOGGIE JUMP jumper, for the tests: runs
// with a press of fire 2 every other frame, and for each take-off holds
// fire 1 until the meter reaches an aim chosen so that the take-off comes
// after the board and before the next dogs, then lets go. It sees the
// jumper `lag` frames before its input takes effect.
#include <cstdint>

class DoggieActor;

struct DoggieRobot {
  int lag = 1;
  int aim = -1;  // of the take-off under way (-1: none)
  // The input bytes (held << 7 | presses) for the jumper as it stands.
  void Input(const DoggieActor& jumper, uint8_t state[10]);
};
