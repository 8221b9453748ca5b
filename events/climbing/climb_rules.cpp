#include "events/climbing/climb_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "events/climbing/climbing_data.h"

namespace climbrules {

bool IsEmpty(const Rect& r) { return r.left >= r.right || r.top >= r.bottom; }

Rect Intersect(const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (IsEmpty(r)) return Rect{};
  return r;
}

bool Contains(const Rect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

BoxOffsets MakeBox(int halfW, int halfH, const int box[4]) {
  BoxOffsets b;
  b.off[0] = halfW - box[0];
  b.off[1] = halfH - box[1];
  b.off[2] = halfW - box[2];
  b.off[3] = halfH - box[3];
  return b;
}

float ClimbSpeedOf(int speedStat) {
  // Computed in double and kept as a 32-bit float, as the climbers use it.
  return static_cast<float>(2.0 + 0.1 * ((speedStat - 20) / 10));
}

int ClimbStep(int32_t* counter, float speed, bool climbing) {
  if (!climbing || *counter < 1) {
    *counter = 1;
    return 2;
  }
  const int32_t n = *counter;
  // The product in double: in single precision 10 x 2.1f rounds up to 21
  // and a speed of 30 would step 3 after nine steps of 2 instead of ten.
  const int a = static_cast<int>(static_cast<double>(n) * static_cast<double>(speed));
  if (a % n == 0) {
    // Far past any pattern's length the counter stops growing.
    if (n < 1000000) *counter = n + 1;
    return 2;
  }
  *counter = 1;
  return static_cast<int>(speed) + 1;
}

double BlowDamage(int attackerMultiplier, int strength, int ownMultiplier, int endurance) {
  double d = (double(attackerMultiplier) * strength * 5.0 / 50.0) * (100.0 - double(ownMultiplier) * endurance) /
                 50.0 +
             0.5;
  return d > 0 ? d : 0.0;
}

double WeaponDamage(int power, int ownMultiplier, int endurance) {
  double d = double(power) * 5.0 / 50.0 * (100.0 - double(ownMultiplier) * endurance) / 50.0 + 0.5;
  return d > 0 ? d : 0.0;
}

int EnergyAfter(int energy, double damage) {
  double e = std::trunc(double(energy) - (damage > 0 ? damage : 0.0));
  if (e < 0) return 0;
  if (e > 100) return 100;
  return static_cast<int>(e);
}

int32_t SaturatingAdd(int32_t value, int32_t gain) {
  int64_t v = int64_t(value) + gain;
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

int ExplosionKindOf(int kind, int y) {
  if (kind == climbassets::kKindSnowman) return y <= 38 ? 3 : 2;
  if (kind >= 9 && kind <= 14) return 0;
  if (kind == climbassets::kKindJuice) return -1;
  return 1;
}

int FallingSoundOf(int kind) {
  using namespace climbassets;
  switch (kind) {
    case 1: return kSndPhone;
    case 5: return kSndTelevision;
    case 7: return kSndToilet;
    case 11: return kSndFridge;
    case 12: return kSndPiano;
    case 13: return kSndSatellite;
    case 14: return kSndSubmarine;
    default: return kSndFalling;
  }
}

int HorizontalScroll(int climberX, bool split) {
  if (!split) return 0;
  if (climberX < 160) return 0;
  if (climberX > 480) return 320;
  return climberX - 160;
}

bool HelicopterVolume(int helicopterY, int climberHeight, int32_t* volume) {
  const int v = ((150 - helicopterY) + std::min(climberHeight, kRoofHeight)) * 5;
  if (v < -10000 || v >= 0) return false;
  *volume = v;
  return true;
}

std::string ClockText(int seconds) {
  if (seconds < 0) seconds = 0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d : %s%d", seconds / 60, seconds % 60 < 10 ? "0" : "", seconds % 60);
  return buf;
}

void RankUnplaced(const int32_t heights[4], int32_t places[4]) {
  int next = 0;
  bool taken[4] = {};
  for (int i = 0; i < 4; ++i) {
    if (places[i] >= 0 && places[i] <= 3) {
      taken[i] = true;
      next = std::max(next, places[i] + 1);
    }
  }
  for (int k = next; k < 4; ++k) {
    int best = -1;
    for (int i = 0; i < 4; ++i) {
      if (taken[i]) continue;
      if (best < 0 || heights[i] > heights[best]) best = i;  // ties stay with the lower index
    }
    if (best < 0) break;
    places[best] = k;
    taken[best] = true;
  }
}

int FaceMood(const MoodInput& in) {
  if (in.knockedOff || in.state == 5) return 3;
  if (in.placed || in.state == 8) return 2;
  if (in.energy < 2) return 0;
  if (in.pill) return 2;
  if (in.state == 3 && in.height == 0) return 0;
  if (in.state == 3) return 1;
  if (in.energy < 20) return 1;
  return in.energy >= in.moodThreshold / 2 ? 5 : 4;
}

}  // namespace climbrules
