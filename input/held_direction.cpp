#include "input/held_direction.h"

int HeldDirection(const uint8_t* state) {
  auto held = [state](int b) { return (state[b] & 0x80) != 0; };
  const bool right = held(0), down = held(1), left = held(2), up = held(3);
  if (up && right) return 1;
  if (right && down) return 3;
  if (down && left) return 5;
  if (left && up) return 7;
  if (up) return 0;
  if (right) return 2;
  if (down) return 4;
  if (left) return 6;
  return -1;
}
