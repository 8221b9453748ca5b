#include "events/doggie_jump/doggie_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace doggierules {

using namespace doggieassets;

int DogZoneAt(int distance) {
  for (int z = 0; z < 3; ++z)
    if (distance > kDogZones[z].from && distance < kDogZones[z].to) return z;
  return -1;
}

int RowOfCharacter(int character) {
  return kRowOfCharacter[(character >= 0 && character < 6) ? character : 0];
}

const FrameRange& JumperFrames(int row, int state) {
  return kJumperFrames[std::clamp(row, 0, kRows - 1)][std::clamp(state, 0, kFrameStates - 1)];
}

int ReactionStepBack(int row, int state) {
  // RAREZ VUDA, RADEROZI, ZOVI, then the three whose reactions are alike.
  static constexpr int kStepBack[kRows][3] = {{10, 19, 19}, {25, 27, 6}, {4, 7, 6},
                                              {14, 14, 14}, {14, 14, 14}, {14, 14, 14}};
  return kStepBack[std::clamp(row, 0, kRows - 1)][std::clamp(state - kJumpReactLow, 0, 2)];
}

int RunStep(int speed) {
  if (speed < 11) return 5;
  if (speed < 21) return 10;
  if (speed < 31) return 15;
  return 20;
}

int FlightStep(int speed, int phase) {
  if (phase > 2) {
    if (speed >= 51) return 30;
    if (speed >= 41) return 25;
  }
  return RunStep(speed);
}

double HumanSpeedScale(int frames, uint32_t hostMs) {
  // No reading (the host's record has not come, or the release was in the
  // first millisecond): the frame rate is unknown, the speed stays.
  if (hostMs == 0) return 1.0;
  const double seconds = static_cast<double>(hostMs) / 1000.0;
  return (static_cast<double>(frames) / seconds) / 16.0;
}

TakeOff ComputeTakeOff(const TakeOffInput& in) {
  TakeOff o;
  const int row = std::clamp(in.row, 0, kRows - 1);
  int speed = ClampSpeed(in.speed);
  const int phase = std::clamp(in.phase, 0, 2);
  if (phase == 0) {
    o.state = kJumpTakeOffHop;
    if (row == 0) speed = ClampSpeed(static_cast<long long>(speed * 1.2));  // the ape's spring
  } else if (phase == 1) {
    o.state = kJumpTakeOffStep;
  } else {
    o.state = kJumpTakeOffJump;
    speed = ClampSpeed(static_cast<long long>(speed * 2.0));
  }
  o.phase = in.distance < kBoard ? 0 : phase + 1;
  o.flight = JumperFrames(row, o.state + 1);
  const FrameRange& flight = o.flight;
  if (in.person) {
    const double scaled = speed * HumanSpeedScale(in.jumpFrames, in.hostMs);
    speed = ClampSpeed(static_cast<long long>(std::min(scaled, static_cast<double>(kMaxSpeed))));
  }
  int v = std::max(speed, 20);
  int position = in.meterPosition;
  if (position < 2) {
    // Let go too soon: a flat, weak take-off.
    position = 2;
    v /= 4;
  } else if (position > 6) {
    position = 6;
  }
  o.meterPosition = position;
  o.v = v;
  o.angle = (10.0 * position - 10.0) * (3.141592653 / 180.0);
  o.vertical = v * std::sin(o.angle);
  o.horizontal = v * std::cos(o.angle);
  o.flightTime = (std::sqrt(19.6 * in.meterShown + o.vertical * o.vertical) + o.vertical) / 9.8;
  o.range = o.horizontal * o.flightTime;
  // The ape, the kangaroo and the alien fly their hop as long as the others
  // however few pictures it has.
  o.animationLength = row <= 2 ? 14.0 : static_cast<double>(flight.last - flight.first);
  o.extraFrames = o.state == kJumpTakeOffHop ? o.animationLength : (o.state == kJumpTakeOffStep ? 20.0 : 30.0);
  o.frames = o.range / 200.0 + o.extraFrames;
  o.timeStep = o.frames > 0 ? o.flightTime / o.frames : 0.0;
  o.middleFrame = (flight.first + flight.last) / 2;
  o.beforeMiddle = o.middleFrame - flight.first;
  o.holdEnd = o.frames - (flight.last - o.middleFrame);
  o.speed = v < 21 ? 0 : speed;
  return o;
}

bool FlightFrame(const FlightShape& shape, FlightState* s) {
  ++s->counter;
  if (s->counter < shape.beforeMiddle || s->counter > shape.holdEnd) ++s->frame;
  const double t = s->t;
  const double y = shape.startY - 0.5 * (t * shape.vertical - 4.9 * t * t);
  // A flight that does not move on in time, or leaves every sensible
  // height, ends now rather than never.
  const bool sane = shape.timeStep > 0 && std::isfinite(y) && std::fabs(y) < 1e7;
  s->y = sane ? static_cast<int>(y) : static_cast<int>(shape.groundY);
  s->t = t + shape.timeStep;
  if (!sane || s->y > shape.groundY || s->frame > shape.frames.last) {
    s->y = static_cast<int>(shape.groundY);
    s->frame = std::min(s->frame, shape.frames.last);
    return true;
  }
  return false;
}

int FlightFrames(const FlightShape& shape, int limit) {
  FlightState s;
  s.frame = shape.frames.first;
  s.y = static_cast<int>(shape.startY);
  for (int n = 1; n <= limit; ++n)
    if (FlightFrame(shape, &s)) return n;
  return limit;
}

FlightShape ShapeOf(const TakeOff& o, int startY) {
  FlightShape shape;
  shape.frames = o.flight;
  shape.startY = startY;
  shape.groundY = startY;
  shape.vertical = o.vertical;
  shape.timeStep = o.timeStep;
  shape.beforeMiddle = o.beforeMiddle;
  shape.holdEnd = o.holdEnd;
  return shape;
}

int FlightLength(const TakeOff& o, int startY) {
  return (1 + FlightFrames(ShapeOf(o, startY))) * FlightStep(o.speed, o.phase);
}

namespace {

// The computer's plans, one row of eighteen per jumper row. Plan 0 of each
// row is the classic one; the others keep to the row's ranges and to the
// character: the ape runs fastest and takes off early and flat, the
// kangaroo bounces high on the hop, the alien takes off anywhere, the slob
// is slow and steep (and once in a while runs into the second pit), the
// stud is steady, the amazon runs long and may go for a step too late.
constexpr Plan kPlanTable[kRows][kPlans] = {
    // RAREZ VUDA
    {{{86, 1680, 5, 2220, 4, 2870, 5}}, {{89, 1690, 4, 2200, 4, 2850, 5}}, {{84, 1685, 5, 2240, 3, 2880, 4}},
     {{80, 1680, 6, 2190, 5, 2860, 6}}, {{88, 1700, 3, 2260, 4, 2900, 5}}, {{75, 1682, 5, 2176, 6, 2820, 7}},
     {{87, 1695, 4, 2230, 3, 2870, 4}}, {{78, 1688, 6, 2210, 5, 2840, 6}}, {{83, 1680, 4, 2250, 4, 2890, 3}},
     {{89, 1692, 5, 2180, 5, 2800, 7}}, {{73, 1680, 6, 2200, 6, 2860, 5}}, {{85, 1698, 3, 2280, 3, 2910, 4}},
     {{81, 1684, 5, 2225, 4, 2830, 6}}, {{86, 1690, 4, 2300, 3, 2950, 3}}, {{77, 1686, 6, 2190, 5, 2850, 5}},
     {{88, 1680, 5, 2235, 4, 2880, 5}}, {{79, 1696, 4, 2215, 5, 2815, 7}}, {{84, 1688, 5, 2245, 4, 2870, 6}}},
    // RADEROZI
    {{{70, 1700, 6, 2210, 5, 2880, 6}}, {{72, 1690, 6, 2200, 5, 2870, 6}}, {{75, 1695, 5, 2220, 4, 2860, 5}},
     {{68, 1680, 6, 2180, 6, 2850, 7}}, {{80, 1700, 5, 2240, 4, 2880, 5}}, {{66, 1685, 6, 2160, 7, 2820, 7}},
     {{85, 1705, 4, 2250, 3, 2890, 4}}, {{74, 1688, 6, 2200, 5, 2840, 6}}, {{78, 1692, 5, 2230, 4, 2870, 5}},
     {{88, 1700, 4, 2260, 3, 2880, 4}}, {{69, 1682, 6, 2140, 7, 2800, 7}}, {{76, 1698, 5, 2215, 5, 2855, 6}},
     {{71, 1686, 6, 2190, 6, 2830, 6}}, {{82, 1702, 5, 2245, 4, 2875, 5}}, {{67, 1684, 6, 2170, 6, 2810, 7}},
     {{79, 1694, 5, 2225, 5, 2865, 5}}, {{73, 1690, 6, 2205, 5, 2845, 6}}, {{86, 1696, 4, 2280, 3, 2890, 3}}},
    // ZOVI
    {{{78, 1690, 5, 2200, 4, 2900, 4}}, {{60, 1680, 6, 2100, 7, 2800, 7}}, {{85, 1718, 2, 2300, 3, 2915, 4}},
     {{72, 1700, 4, 2150, 5, 2850, 6}}, {{66, 1685, 6, 2250, 3, 2880, 5}}, {{81, 1710, 3, 2180, 6, 2830, 7}},
     {{63, 1682, 5, 2120, 6, 2810, 6}}, {{84, 1705, 4, 2280, 4, 2905, 4}}, {{69, 1695, 5, 2230, 5, 2860, 5}},
     {{76, 1715, 2, 2210, 4, 2890, 4}}, {{61, 1688, 6, 2140, 7, 2820, 7}}, {{80, 1698, 4, 2260, 3, 2870, 6}},
     {{74, 1692, 5, 2190, 5, 2840, 5}}, {{65, 1680, 6, 2170, 6, 2800, 6}}, {{83, 1712, 3, 2250, 4, 2910, 4}},
     {{70, 1702, 4, 2160, 5, 2850, 7}}, {{77, 1686, 5, 2240, 4, 2880, 5}}, {{62, 1696, 6, 2110, 7, 2830, 6}}},
    // RIZAZ
    {{{68, 1703, 3, 2260, 4, 2883, 5}}, {{61, 1650, 7, 2100, 8, 2800, 8}}, {{72, 1705, 3, 2250, 4, 2900, 3}},
     {{65, 1680, 5, 2200, 6, 2850, 6}}, {{70, 1690, 4, 2240, 5, 2870, 5}}, {{63, 1660, 7, 2150, 7, 2820, 7}},
     {{67, 1700, 3, 2280, 4, 2890, 4}}, {{62, 1670, 6, 2180, 7, 2840, 6}}, {{71, 1695, 4, 2240, 4, 2920, 3}},
     {{64, 1665, 6, 2120, 8, 2810, 8}}, {{69, 1685, 5, 2220, 5, 2860, 5}}, {{66, 1675, 5, 2190, 6, 2830, 7}},
     {{72, 1704, 3, 2340, 4, 2950, 3}}, {{61, 1655, 7, 2110, 8, 2800, 7}}, {{68, 1688, 4, 2250, 5, 2880, 4}},
     {{63, 1672, 6, 2160, 7, 2845, 6}}, {{70, 1698, 4, 2270, 4, 2895, 5}}, {{65, 1662, 6, 2140, 7, 2815, 8}}},
    // ZARU
    {{{73, 1705, 5, 2200, 4, 2870, 6}}, {{70, 1700, 5, 2190, 5, 2860, 6}}, {{72, 1702, 5, 2210, 4, 2875, 5}},
     {{68, 1695, 6, 2180, 5, 2850, 6}}, {{71, 1700, 5, 2220, 4, 2880, 5}}, {{65, 1690, 6, 2185, 6, 2840, 7}},
     {{73, 1704, 4, 2230, 4, 2890, 5}}, {{69, 1698, 5, 2200, 5, 2865, 6}}, {{60, 1680, 6, 2180, 6, 2820, 7}},
     {{72, 1700, 5, 2250, 4, 2900, 4}}, {{67, 1692, 6, 2195, 5, 2855, 6}}, {{73, 1705, 4, 2277, 4, 2920, 3}},
     {{55, 1680, 7, 2180, 7, 2800, 7}}, {{70, 1696, 5, 2215, 5, 2870, 5}}, {{64, 1688, 6, 2190, 6, 2835, 6}},
     {{71, 1703, 5, 2240, 4, 2885, 5}}, {{66, 1694, 6, 2205, 5, 2850, 6}}, {{62, 1686, 6, 2185, 6, 2825, 7}}},
    // RAZIRAZO
    {{{67, 1670, 5, 2250, 4, 2880, 6}}, {{79, 1720, 4, 2340, 4, 2920, 4}}, {{63, 1660, 6, 2200, 6, 2840, 8}},
     {{75, 1700, 5, 2260, 4, 2900, 5}}, {{70, 1680, 5, 2230, 5, 2870, 6}}, {{66, 1665, 6, 2220, 5, 2850, 7}},
     {{77, 1710, 4, 2270, 4, 2910, 5}}, {{72, 1690, 5, 2280, 4, 2890, 6}}, {{64, 1662, 7, 2210, 6, 2830, 8}},
     {{78, 1715, 4, 2275, 4, 2915, 4}}, {{69, 1675, 6, 2240, 5, 2860, 7}}, {{74, 1695, 5, 2250, 5, 2880, 6}},
     {{65, 1668, 6, 2230, 6, 2845, 7}}, {{76, 1705, 4, 2270, 4, 2905, 5}}, {{71, 1685, 5, 2260, 5, 2875, 6}},
     {{68, 1672, 6, 2245, 5, 2855, 7}}, {{73, 1698, 5, 2265, 4, 2895, 5}}, {{79, 1718, 4, 2240, 5, 2920, 4}}},
};

constexpr PlanRange kPlanRanges[kRows] = {
    {{73, 1680, 3, 2176, 3, 2800, 3}, {89, 1700, 6, 2300, 6, 2950, 7}},
    {{66, 1680, 4, 2140, 3, 2800, 3}, {88, 1705, 6, 2280, 7, 2890, 7}},
    {{60, 1680, 2, 2100, 3, 2800, 4}, {85, 1718, 6, 2300, 7, 2915, 7}},
    {{61, 1650, 3, 2100, 4, 2800, 3}, {72, 1705, 7, 2340, 8, 2950, 8}},
    {{55, 1680, 4, 2180, 4, 2800, 3}, {73, 1705, 7, 2277, 7, 2950, 7}},
    {{63, 1660, 4, 2200, 4, 2800, 4}, {79, 1720, 7, 2340, 7, 2920, 8}},
};

}  // namespace

const Plan& GetPlan(int row, int plan) {
  return kPlanTable[std::clamp(row, 0, kRows - 1)][((plan % kPlans) + kPlans) % kPlans];
}

const PlanRange& GetPlanRange(int row) { return kPlanRanges[std::clamp(row, 0, kRows - 1)]; }

std::string FormatDistance(int hundredths, char unit) {
  // Through a 64-bit value: the most negative int has no positive twin.
  long long v = hundredths;
  const char* sign = v < 0 ? "-" : "";
  v = std::llabs(v);
  char text[48];
  std::snprintf(text, sizeof text, "%s%lld.%02lld %c", sign, v / 100, v % 100, unit);
  return text;
}

namespace {

// The spoken pair of a number 0..99: (first, second), -1 for nothing. A
// number up to 20 has its own sound; above, tens and units (no units for
// a round ten). With leadingZero a single digit is said "zero n".
void SayPair(int n, bool leadingZero, int* first, int* second) {
  if (n < 10 && leadingZero) {
    *first = kSoundNumber0;
    *second = kSoundNumber0 + n;
  } else if (n <= 20) {
    *first = -1;
    *second = kSoundNumber0 + n;
  } else if (n < 30) {
    *first = kSoundNumber0 + 20;
    *second = (n % 10) ? kSoundNumber0 + n % 10 : -1;
  } else {
    *first = kSoundTens30 + (n / 10 - 3);
    *second = (n % 10) ? kSoundNumber0 + n % 10 : -1;
  }
}

}  // namespace

Announcement BuildAnnouncement(int hundredths) {
  Announcement a{{-1, -1, -1, -1, -1, -1}};
  if (hundredths < 0) hundredths = 0;
  const int metres = hundredths / 100;
  const int cents = hundredths % 100;
  if (metres < 100) SayPair(metres, false, &a.slots[0], &a.slots[1]);
  a.slots[2] = kSoundPoint;
  SayPair(cents, true, &a.slots[3], &a.slots[4]);
  a.slots[5] = kSoundUnit;
  return a;
}

Standing RankResults(const int results[4]) {
  Standing s;
  for (int i = 0; i < 4; ++i) {
    s.order[i] = i;
    s.result[i] = results[i];
  }
  for (int pass = 1; pass <= 3; ++pass) {
    bool swapped = false;
    for (int k = 0; k < 4 - pass; ++k) {
      if (s.result[k] < s.result[k + 1]) {
        std::swap(s.result[k], s.result[k + 1]);
        std::swap(s.order[k], s.order[k + 1]);
        swapped = true;
      }
    }
    if (!swapped) break;
  }
  for (int k = 0; k < 4; ++k) s.placeOf[s.order[k]] = k;
  return s;
}

int DoggieStandingLookup(const int results[4], int jumper) {
  if (jumper < 0 || jumper > 3) return 3;
  return RankResults(results).placeOf[jumper];
}

int ReactionOfPlace(int place) {
  if (place == 0) return kJumpReactHigh;
  if (place == 1) return kJumpReactMid;
  return kJumpReactLow;
}

}  // namespace doggierules
