#include "tests/doggie_jump/doggie_robot.h"

#include <algorithm>
#include <cstdlib>

#include "events/doggie_jump/doggie_actor.h"
#include "events/doggie_jump/doggie_rules.h"

using namespace doggierules;

void DoggieRobot::Input(const DoggieActor& j, uint8_t state[10]) {
  const bool onFoot = j.state == kJumpRunSlow || j.state == kJumpRunFast || j.state == kJumpStand;
  if (!onFoot) {
    aim = -1;
    return;
  }
  if (j.meterShown) {
    // Let go once the meter will have reached the aim when this acts.
    if (aim < 0 || j.meterPosition + lag < aim) state[4] = 0x80;
    return;
  }
  // Where each take-off may come and where its flight must end: after the
  // board and before the first dogs, then clear of each zone of dogs.
  static constexpr int kUntil[3] = {1820, 2375, 3020};
  static constexpr int kLandFrom[3] = {2030, 2645, kPitStart + 30};
  static constexpr int kLandUntil[3] = {2370, 3015, 99999};
  const int p = std::clamp(j.phase, 0, 2);
  const int step = RunStep(j.speed);
  // The distance at which a take-off of aim a is triggered: the keys act
  // `lag` frames on, the meter shows, runs a positions and is let go.
  auto trigger = [&](int a) { return j.distance + (a + lag) * step; };
  int best = -1, bestMargin = -1000000;
  for (int a = 2; a <= 6; ++a) {
    const int t = trigger(a);
    if (t + step > kUntil[p] || (p == 0 && t < kBoard + 10)) continue;
    TakeOffInput in;
    in.row = j.row;
    in.phase = p;
    in.speed = j.speed;
    in.meterPosition = a;
    in.distance = t;
    const TakeOff o = ComputeTakeOff(in);
    const int land = t + step + FlightLength(o, j.y);
    const int margin = std::min(land - kLandFrom[p], kLandUntil[p] - land);
    if (margin > bestMargin) {
      bestMargin = margin;
      best = a;
    }
  }
  if (best < 0 && p == 0 && trigger(2) < kBoard + 10) {
    state[5] = 1;  // run up to the board
    return;
  }
  aim = best < 0 ? 2 : best;
  state[4] = 0x80;
}
