#pragma once
// A throw run by the actors alone, without the screen: one contestant and
// the computer in the actor table, updated frame by frame on a given input
// until the computer is down.
#include <cstdint>
#include <functional>

#include "events/computer_throw/throw_actor.h"

struct SimThrow {
  int landedAt = -1;    // world position of the computer when down (-1 never)
  int frames = 0;       // frames until it was down
  int releaseFrame = -1;
  int angleIndex = -1;  // at release
  int kind = -1;
  int power = -1;       // release power
  int spins = 0;
  bool dropped = false; // let go at the feet instead of thrown
};

// Runs contestant 0 (throw character `throwChar`, player record character
// from it, computer row `row` or a person when human) for at most
// `maxFrames`. `input(frame, state)` fills the player's state bytes (held <<
// 7 | presses) for a person.
SimThrow RunActorThrow(int throwChar, bool human, int row, int maxFrames,
                       const std::function<void(int frame, uint8_t* state)>& input = {});
