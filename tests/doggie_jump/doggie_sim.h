#pragma once
// A jump run by the actors alone, without the screen: one jumper and the
// dogs in the actor table, updated frame by frame as the screen does (from
// the last kind down) until the jumper has landed for good or is down.
#include <cstdint>
#include <functional>
#include <vector>

struct SimJump {
  int result = -1;          // distance run past the pit, or -1 (a fall or short)
  int distance = 0;         // distance run at the end
  int finalState = -1;      // 11..13 landed, 16 down after a fall
  int frames = 0;
  int fellInZone = -1;      // the dog zone of a fall
  std::vector<int> takeOffAt;  // distance run at each take-off
  std::vector<int> landedAt;   // distance run at each landing
};

// Runs player 0's jumper of a jumper row for at most maxFrames: a computer
// of plan `plan`, or a person when `person` is set, whose input state
// `input(frame, state)` fills (held << 7 | presses, cut down as the screen
// does before the jumper reads it). `seed` seeds the random numbers.
SimJump RunActorJump(int row, bool person, int plan, uint32_t seed, int maxFrames = 3000,
                     const std::function<void(int frame, uint8_t* state)>& input = {},
                     const std::function<void(int frame)>& watch = {});
