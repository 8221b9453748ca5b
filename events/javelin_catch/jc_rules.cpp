#include "events/javelin_catch/jc_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "input/held_direction.h"

namespace jc {

namespace {

constexpr double kDiagonal = 0.7071;
// The camera looks down at 23.5 degrees.
constexpr double kCos = 0.91706007438041;
constexpr double kSin = 0.39874906892524;

int32_t Truncate(double v) { return static_cast<int32_t>(v); }

}  // namespace

int Turn(int direction, int steps) {
  const int d = (direction + steps) % 8;
  return d < 0 ? d + 8 : d;
}

Position StepFrom(int32_t x, int32_t y, int direction, int32_t distance) {
  Position p{x, y};
  if (direction < 0 || direction >= kNoDirection) return p;
  const double h = distance * kDiagonal;
  auto diagonal = [h](int32_t v, int sign) { return Truncate(v + sign * h + 0.5); };
  switch (direction) {
    case 0: p.x = diagonal(x, -1); p.y = diagonal(y, +1); break;
    case 1: p.y = y + distance; break;
    case 2: p.x = diagonal(x, +1); p.y = diagonal(y, +1); break;
    case 3: p.x = x + distance; break;
    case 4: p.x = diagonal(x, +1); p.y = diagonal(y, -1); break;
    case 5: p.y = y - distance; break;
    case 6: p.x = diagonal(x, -1); p.y = diagonal(y, -1); break;
    case 7: p.x = x - distance; break;
    default: break;
  }
  return p;
}

Position ConfinedStep(int32_t x, int32_t y, int direction, int32_t distance, bool* bounced) {
  Position p = StepFrom(x, y, direction, distance);
  bool b = false;
  if (p.x < 0) { p.x = 0; p.y = y; b = true; }
  if (p.x > kFieldMaxX) { p.x = kFieldMaxX; p.y = y; b = true; }
  if (p.y < 0) { p.y = 0; p.x = x; b = true; }
  if (p.y > kFieldMaxY) { p.y = kFieldMaxY; p.x = x; b = true; }
  // A step from a place off the field (never the case in play) ends on it.
  p.x = std::clamp(p.x, 0, kFieldMaxX);
  p.y = std::clamp(p.y, 0, kFieldMaxY);
  if (bounced) *bounced = b;
  return p;
}

int HumanDirection(const uint8_t s[10]) {
  const int d = HeldDirection(s);
  return d < 0 ? kNoDirection : d;
}

int DirectionTowards(int32_t dx, int32_t dy) {
  if (dx >= 0 && dy >= 0) {
    if (2 * dy < dx) return 3;
    if (2 * dx < dy) return 1;
    return 2;
  }
  if (dx <= 0 && dy >= 0) {
    if (2 * dy < -dx) return 7;
    if (-2 * dx < dy) return 1;
    return 0;
  }
  if (dx <= 0 && dy <= 0) {
    if (-2 * dy < -dx) return 7;
    if (-2 * dx < -dy) return 5;
    return 6;
  }
  if (-2 * dy < dx) return 3;
  if (2 * dx < -dy) return 5;
  return 4;
}

ScreenPos Project(int32_t x, int32_t y, int32_t z) {
  return {Truncate(kCos * (x + y)) + 351, Truncate(kSin * (x - y)) + 433 - z};
}

int32_t DistanceSquared(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  // Positions stay within a few thousand units; the square is taken in 64
  // bits and capped so that far-off points only compare as far.
  const int64_t dx = int64_t(x1) - x2, dy = int64_t(y1) - y2;
  return static_cast<int32_t>(std::min<int64_t>(dx * dx + dy * dy, INT32_MAX));
}

Box MovementBox(int32_t x, int32_t y, int direction, int32_t s) {
  Box b{x - 10, y - 10, x + 11, y + 11};
  switch (direction) {
    case 0: b.left -= 2 * s; b.bottom += 2 * s; break;
    case 1: b.bottom += 3 * s; break;
    case 2: b.right += 2 * s; b.bottom += 2 * s; break;
    case 3: b.right += 3 * s; break;
    case 4: b.right += 2 * s; b.top -= 2 * s; break;
    case 5: b.top -= 3 * s; break;
    case 6: b.left -= 2 * s; b.top -= 2 * s; break;
    case 7: b.left -= 3 * s; break;
    default: break;
  }
  return b;
}

Box ReachBox(int32_t x, int32_t y, int facing, int32_t s) {
  Box b{x - 6, y - 6, x + 7, y + 7};
  switch (facing) {
    case 0: b.left -= 5 * s; b.bottom += 5 * s; break;
    case 1: b.bottom += 6 * s; break;
    case 2: b.right += 5 * s; b.bottom += 5 * s; break;
    case 3: b.right += 6 * s; break;
    case 4: b.right += 5 * s; b.top -= 5 * s; break;
    case 5: b.top -= 6 * s; break;
    case 6: b.left -= 5 * s; b.top -= 5 * s; break;
    case 7: b.left -= 6 * s; break;
    default: break;
  }
  return b;
}

Box AroundBox(int32_t x, int32_t y, int32_t half) { return {x - half, y - half, x + half + 1, y + half + 1}; }

const KindLook kKindLook[kKinds] = {
    {65, 105, 1, 1},  // javelin
    {9, 80, 2, 5},    // bomb
    {20, 34, 7, 5},   // juice
    {20, 31, 56, 5},  // ammunition
    {19, 33, 61, 5},  // money
};

int32_t KindFromDraw(double r) {
  if (r < 0.4) return kBomb;
  if (r < 0.6) return kJavelin;
  if (r < 0.75) return kJuice;
  if (r < 0.88) return kAmmunition;
  return kMoney;
}

bool CannonStep(Cannon* c) {
  bool fire = false;
  ++c->tick;
  if (!c->firing && c->tick > 59) {
    c->tick = 1;
    c->firing = 1;
    c->shots = 1;
    fire = true;
  }
  if (c->firing) {
    if (c->tick < 21) {
      if (c->tick == 10 && c->shots < 3) {
        c->tick = 1;
        ++c->shots;
        fire = true;
      }
      c->frame = c->tick;
    } else {
      c->tick = 0;
      c->firing = 0;
      c->frame = kCannonFrames;
    }
  }
  return fire;
}

int32_t ExplosionEnergyLoss(int32_t d2) {
  static constexpr struct {
    int32_t below, loss;
  } kTable[] = {{25, 30},   {49, 29},   {121, 28},  {225, 27},  {361, 26},  {529, 25},  {729, 24},
                {961, 23},  {1225, 22}, {1521, 21}, {1600, 20}, {1849, 18}, {2009, 16}, {2601, 14},
                {3025, 12}, {3481, 10}, {3969, 8},  {4489, 6},  {5041, 3}};
  for (const auto& row : kTable)
    if (d2 < row.below) return row.loss;
  return 0;
}

int32_t EnergyAfterBlow(int32_t energy, int32_t multiplier, int32_t power, int32_t endurance) {
  const double m = multiplier;
  const double after = energy - (m * power * 5.0 / 50.0) * (100.0 - m * endurance) / 50.0 - 0.5;
  // A tough contestant (endurance above 100, or above 50 under a pill) would
  // gain from the formula: a blow never heals.
  return std::clamp(Truncate(after), 0, std::max(energy, 0));
}

int32_t WalkingSpeed(int32_t v) {
  if (v < 35) return 4;
  if (v < 55) return 5;
  if (v < 70) return 6;
  return 7;
}

int32_t SecondsLeft(int32_t frameCounter) { return std::max(kSeconds - frameCounter / kFramesPerSecond, 0); }

std::string ClockText(int32_t t) {
  char text[32];
  std::snprintf(text, sizeof text, "%d : %02d", t / 60, t % 60);
  return text;
}

bool BeepsAt(int32_t frameCounter) {
  return SecondsLeft(frameCounter) < 5 && frameCounter % kFramesPerSecond == 0 && frameCounter <= kLastPlayFrame;
}

int32_t EnergyRatio(int32_t energy, int32_t maxEnergy) {
  if (maxEnergy <= 0) maxEnergy = 100;
  return static_cast<int32_t>(int64_t(energy) * 100 / maxEnergy);
}

void PlaceByCatches(const int32_t score[4], const int32_t ratio[4], int32_t place[4]) {
  int order[4] = {0, 1, 2, 3};
  std::sort(order, order + 4, [&](int a, int b) {
    if (score[a] != score[b]) return score[a] > score[b];
    if (ratio[a] != ratio[b]) return ratio[a] > ratio[b];
    return a < b;
  });
  for (int i = 0; i < 4; ++i) place[order[i]] = i;
}

int32_t ContestantFace(bool scored, bool pillActs, bool reeling, int32_t energy, int32_t maxEnergy) {
  if (maxEnergy <= 0) maxEnergy = 100;
  if (scored || pillActs) return 2;
  if (reeling) {
    if (energy < 10) return 0;
    if (energy < (maxEnergy >> 2)) return 1;
    return 3;
  }
  if (energy < (maxEnergy >> 1)) return 4;
  return 5;
}

bool DrawsBefore(const DrawKey& a, const DrawKey& b) {
  if (a.lying != b.lying) return a.lying;
  if (a.y != b.y) return a.y > b.y;
  if (a.x != b.x) return a.x < b.x;
  return a.slot < b.slot;
}

}  // namespace jc
