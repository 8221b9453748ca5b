#pragma once
// The direction a player steers with the arrows he holds.
#include <cstdint>

// The direction the four held arrows of an input record point to (bytes 0
// right, 1 down, 2 left, 3 up; held is the top bit): 0 up, then clockwise
// in eighths to 7 up and left; -1 for none. Held pairs are tried clockwise
// from up and right, then single arrows from up, so opposite arrows do not
// cancel.
int HeldDirection(const uint8_t* state);
