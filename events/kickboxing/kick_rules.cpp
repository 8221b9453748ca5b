#include "events/kickboxing/kick_rules.h"

#include <algorithm>
#include <cmath>

#include "input/held_direction.h"

namespace kick {

namespace {

constexpr double kDiagonalStep = 0.70710678;  // the square root of one half
bool Pressed(const uint8_t* in, int b) { return (in[b] & 0x7F) != 0; }

// Win32-style integer rectangles: the overlap's area, 0 when they only touch.
int OverlapArea(int l1, int t1, int r1, int b1, int l2, int t2, int r2, int b2) {
  const int l = std::max(l1, l2), t = std::max(t1, t2), r = std::min(r1, r2), b = std::min(b1, b2);
  if (r <= l || b <= t) return -1;
  return (r - l) * (b - t);
}

}  // namespace

ScreenPoint ProjectToScreen(float x, float y, float z) {
  ScreenPoint p;
  p.x = static_cast<int32_t>((double(x) + double(y)) * 0.91785705 + 450.0);
  p.y = static_cast<int32_t>((double(x) - double(y)) * 0.42042568 - double(z) + 380.0);
  return p;
}

ScreenPoint ViewCamera(ScreenPoint fighter, int viewCentre) {
  return ScreenPoint{fighter.x - viewCentre, std::clamp(fighter.y - 200, 0, 400)};
}

float CellCentreX(int cell) { return static_cast<float>((cell % kGrid) * kCellSize + kCellHalf); }
float CellCentreY(int cell) { return static_cast<float>((cell / kGrid) * kCellSize + kCellHalf); }

bool OnPlatform(float x, float y) { return !(x < 0 || y < 0 || x > kPlatformSize || y > kPlatformSize); }

int GridIndex(float v) { return std::clamp(static_cast<int>(double(v) / kCellSize), 0, kGrid - 1); }

void BackToFrontCells(int out[kCells]) {
  int n = 0;
  for (int d = 0; d <= 2 * (kGrid - 1); ++d)
    for (int column = 0; column < kGrid; ++column) {
      const int row = (kGrid - 1) - (d - column);
      if (row >= 0 && row < kGrid) out[n++] = row * kGrid + column;
    }
}

void MoveInDirection(float* x, float* y, int direction, double distance) {
  static const int kDx[8] = {1, 1, 0, -1, -1, -1, 0, 1};
  static const int kDy[8] = {0, 1, 1, 1, 0, -1, -1, -1};
  const int d = direction & 7;
  const double step = (d & 1) ? distance * kDiagonalStep : distance;
  *x = static_cast<float>(double(*x) + kDx[d] * step);
  *y = static_cast<float>(double(*y) + kDy[d] * step);
}

int DirectionToSpriteRow(int direction) {
  static const int kRow[8] = {3, 2, 1, 0, 7, 6, 5, 4};
  return kRow[direction & 7];
}

int DirectionTo(float dx, float dy) {
  const double ax = std::fabs(double(dx)), ay = std::fabs(double(dy));
  if (2 * ay < ax) return dx >= 0 ? 0 : 4;
  if (2 * ax < ay) return dy >= 0 ? 2 : 6;
  if (dx >= 0) return dy >= 0 ? 1 : 7;
  return dy >= 0 ? 3 : 5;
}

int HumanDirection(const uint8_t s[10]) {
  // The fighters count their eighths from right, anticlockwise.
  const int d = HeldDirection(s);
  return d < 0 ? -1 : (3 - d) & 7;
}

int ChooseItem(int item, const uint8_t s[10], int32_t weaponUnits, int32_t pills) {
  if (Pressed(s, 6)) return kFists;
  if (Pressed(s, 7) && weaponUnits >= 1) return kWeapon;
  if (Pressed(s, 8) && pills >= 1) return kPill;
  if (Pressed(s, 5)) {
    switch (item) {
      case kFists: return weaponUnits > 0 ? kWeapon : (pills > 0 ? kPill : kFists);
      case kWeapon: return pills > 0 ? kPill : kFists;
      default: return kFists;
    }
  }
  return item;
}

int CheckedItem(int item, int32_t weaponUnits, int32_t pills) {
  if (item == kWeapon && weaponUnits <= 0) return pills > 0 ? kPill : kFists;
  if (item == kPill && pills <= 0) return kFists;
  if (item != kWeapon && item != kPill) return kFists;
  return item;
}

int AttackAfter(int lastAttack, int32_t framesSinceAttack) {
  if (framesSinceAttack > 15) return kPunch;
  if (lastAttack == kPunch) return kKick;
  if (lastAttack == kKick) return kSpecial;
  return kPunch;
}

float MeleeDamage(int32_t strength, int32_t endurance, int powerLevel, bool special) {
  const double d = (100.0 - double(endurance) * powerLevel) * (double(strength) * 5.0 / 50.0) / 50.0 + 0.5;
  return static_cast<float>(std::max(0.0, special ? 2 * d : d));
}

float WeaponDamage(int32_t weaponPower, int32_t endurance, int powerLevel) {
  const double d = (double(weaponPower) * 5.0 / 50.0) * (100.0 - double(powerLevel) * endurance) / 50.0;
  return static_cast<float>(std::max(0.0, d));
}

int WalkStep(int32_t speed, int powerLevel) {
  const int64_t v = int64_t(speed) * powerLevel;
  if (v < 35) return 4;
  if (v < 55) return 5;
  if (v < 70) return 6;
  return 7;
}

float EnergyGain(int state) {
  if (state == kKnocked) return 0.07f;
  if (state == kStanding || state == kIdle) return 0.05f;
  return 0.035f;
}

int32_t FallScore(int othersDown) { return othersDown * 100 - 400; }

int32_t EnergyToRecord(float energy) {
  if (!(energy > 0)) return 0;  // also a damaged value that is not a number
  return std::min<int32_t>(100, static_cast<int32_t>(energy));
}

void RankFighters(const int32_t score[4], const float energy[4], int32_t placeOf[4]) {
  bool placed[4] = {false, false, false, false};
  for (int p = 0; p < 4; ++p) {
    int best = -1;
    for (int i = 0; i < 4; ++i) {
      if (placed[i]) continue;
      if (best < 0 || score[i] > score[best] || (score[i] == score[best] && energy[i] > energy[best])) best = i;
    }
    placed[best] = true;
    placeOf[best] = p;
  }
}

int FighterMood(int state, int powerLevel, float z, float energy) {
  if (state == kKnocked) return 0;
  if (state == kHit || state == kHitHard) return 3;
  if (powerLevel == 2) return 2;
  if (z < 0) return 4;
  if (state == kSpecial) return 2;
  if (energy < 10) return 1;
  return 5;
}

bool CellMayRise(int cell, const uint8_t state[kCells]) {
  if (cell < 0 || cell >= kCells) return false;
  if (state[cell] != kPillarStanding && state[cell] != kPillarDown) return false;
  static const int kNear[12][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1},
                                   {1, 0},   {1, 1},  {-2, 0}, {2, 0},  {0, -2}, {0, 2}};
  const int column = cell % kGrid, row = cell / kGrid;
  for (const auto& o : kNear) {
    const int c = column + o[0], r = row + o[1];
    if (c < 0 || c >= kGrid || r < 0 || r >= kGrid) continue;
    if (state[r * kGrid + c] != kPillarDown) return false;
  }
  return true;
}

bool PillarRisesUnder(int cell, const float fighterX[4], const float fighterY[4]) {
  const double px = CellCentreX(cell), py = CellCentreY(cell);
  const int l = static_cast<int>(std::floor(px - kPillarRadius)), t = static_cast<int>(std::floor(py - kPillarRadius));
  const int r = static_cast<int>(std::floor(px + kPillarRadius)), b = static_cast<int>(std::floor(py + kPillarRadius));
  int value = 4000;
  for (int i = 0; i < 4; ++i) {
    const double fx = fighterX[i], fy = fighterY[i];
    // A fighter far off the grid (a fall's end) cannot be near.
    if (!(std::fabs(fx) < 1e6 && std::fabs(fy) < 1e6)) continue;
    const int area = OverlapArea(l, t, r, b, static_cast<int>(std::floor(fx - 30)), static_cast<int>(std::floor(fy - 50)),
                                 static_cast<int>(std::floor(fx + 30)), static_cast<int>(std::floor(fy)));
    if (area >= 0) value = area;
  }
  return value > 1200;
}

}  // namespace kick
