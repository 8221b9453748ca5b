#include "events/figure_skating/skating_rules.h"

#include <algorithm>
#include <cmath>

#include "input/held_direction.h"

namespace skaterules {

namespace {

// 23.5 degrees: the rink's isometric angle.
constexpr double kCos = 0.917060;
constexpr double kSin = 0.398749;
constexpr double kDiagonal = 0.7071;

struct Corner {
  int cx, cy;
  bool lowX, lowY;    // which quadrant of the rink the corner's square is
  int awayFacing[3];  // facings that point away from the corner
};
constexpr Corner kCorners[4] = {
    {80, 80, true, true, {1, 2, 3}},
    {445, 80, false, true, {0, 1, 7}},
    {80, 265, true, false, {3, 4, 5}},
    {445, 265, false, false, {5, 6, 7}},
};

// A diagonal component: rounded to the nearest unit, as the rink always has been.
int Diagonal(int old, double delta) { return static_cast<int>(old + delta + 0.5); }

}  // namespace

Point RinkToScreen(int x, int y, int z) {
  return {static_cast<int>(kCos * (x + y)) + 345, static_cast<int>(kSin * (x - y)) + 430 - z};
}

Point RinkToPicture(int x, int y) {
  Point p = RinkToScreen(x, y, 0);
  p.y -= 40;
  return p;
}

Step StepOnRink(int x, int y, int direction, int distance, int multiplier, int facing, bool limits) {
  const int ox = x, oy = y;
  const int s = multiplier * distance;
  const double d = s * kDiagonal;
  Step r{x, y, kEdgeFree};
  switch (direction & 7) {
    case 0: r.x = Diagonal(ox, -d); r.y = Diagonal(oy, d); break;
    case 1: r.y = oy + s; break;
    case 2: r.x = Diagonal(ox, d); r.y = Diagonal(oy, d); break;
    case 3: r.x = ox + s; break;
    case 4: r.x = Diagonal(ox, d); r.y = Diagonal(oy, -d); break;
    case 5: r.y = oy - s; break;
    case 6: r.x = Diagonal(ox, -d); r.y = Diagonal(oy, -d); break;
    case 7: r.x = ox - s; break;
  }
  if (!limits) return r;
  if (r.x < 0) { r.x = 0; r.y = oy; r.edge = kEdgeSide; }
  if (r.x > kRinkMaxX) { r.x = kRinkMaxX; r.y = oy; r.edge = kEdgeSide; }
  if (r.y < 0) { r.y = 0; r.x = ox; r.edge = kEdgeSide; }
  if (r.y > kRinkMaxY) { r.y = kRinkMaxY; r.x = ox; r.edge = kEdgeSide; }
  for (const Corner& c : kCorners) {
    const bool inX = c.lowX ? r.x < c.cx : r.x > c.cx;
    const bool inY = c.lowY ? r.y < c.cy : r.y > c.cy;
    if (!inX || !inY) continue;
    const int dx = r.x - c.cx, dy = r.y - c.cy;
    const double f = std::sqrt(double(kCornerRadius * kCornerRadius) / double(dx * dx + dy * dy));
    if (f < 1.0) {
      r.x = c.cx + (dx < 0 ? -1 : 1) * static_cast<int>(std::abs(dx) * f + 0.5);
      r.y = c.cy + (dy < 0 ? -1 : 1) * static_cast<int>(std::abs(dy) * f + 0.5);
    }
    const bool away = facing == c.awayFacing[0] || facing == c.awayFacing[1] || facing == c.awayFacing[2];
    if (!away) r.edge = kEdgeCorner;
  }
  return r;
}

void Accelerate(Momentum* m, int d, int topSpeed) {
  for (int e = 0; e < 8; ++e) {
    if (e == d) continue;
    ++m->decay[e];
    if (m->decay[e] % 6 == 5 && m->speed[e] > 0) --m->speed[e];
  }
  if (d < 0 || d > 7) return;
  m->decay[d] = 0;
  if (++m->acceleration > 3) {
    m->acceleration = 0;
    m->speed[d] = std::min(m->speed[d] + 1, std::max(topSpeed, 0));
  }
}

int LargestSpeed(const Momentum& m, int* direction) {
  int best = 0, at = 0;
  for (int e = 0; e < 8; ++e)
    if (m.speed[e] > best) best = m.speed[e], at = e;
  if (direction) *direction = at;
  return best;
}

int DirectionFromInput(const uint8_t state[4]) {
  const int d = HeldDirection(state);
  return d < 0 ? kNoDirection : d;
}

int DirectionTowards(int dx, int dy) {
  if (dx >= 0 && dy >= 0) return 2 * dy < dx ? 3 : (2 * dx < dy ? 1 : 2);
  if (dx <= 0 && dy >= 0) return 2 * dy < -dx ? 7 : (-2 * dx < dy ? 1 : 0);
  if (dx <= 0 && dy <= 0) return -2 * dy < -dx ? 7 : (-2 * dx < -dy ? 5 : 6);
  return -2 * dy < dx ? 3 : (2 * dx < -dy ? 5 : 4);
}

bool Box::Meets(const Box& o) const {
  return std::max(left, o.left) < std::min(right, o.right) && std::max(top, o.top) < std::min(bottom, o.bottom);
}

Box ReachBox(int x, int y, int facing, int r) {
  Box b{x - 10, y - 10, x + 11, y + 11};
  switch (facing & 7) {
    case 0: b.left -= 5 * r; b.bottom += 5 * r; break;
    case 1: b.bottom += 6 * r; break;
    case 2: b.right += 5 * r; b.bottom += 5 * r; break;
    case 3: b.right += 6 * r; break;
    case 4: b.right += 5 * r; b.top -= 5 * r; break;
    case 5: b.top -= 6 * r; break;
    case 6: b.left -= 5 * r; b.top -= 5 * r; break;
    case 7: b.left -= 6 * r; break;
  }
  return b;
}

Box StrikeBox(int x, int y, bool lying) {
  const int g = lying ? 11 : 6;
  return {x - g, y - g, x + g + 1, y + g + 1};
}

Box MoverBox(int x, int y) { return {x - 7, y - 7, x + 8, y + 8}; }

Box ObstacleBox(int x, int y, bool lying, int facing) {
  Box b{x - 14, y - 14, x + 14, y + 14};
  if (!lying) return b;
  int gx = 15, gy = 15;
  if ((facing & 7) == 1 || (facing & 7) == 5) gx = 5, gy = 20;
  if ((facing & 7) == 3 || (facing & 7) == 7) gx = 20, gy = 5;
  return {b.left - gx, b.top - gy, b.right + gx, b.bottom + gy};
}

Box WeaponBox(int x, int y) { return {x - 20, y - 20, x + 21, y + 21}; }

int BlowDamage(int multiplier, int strength, int endurance) {
  const double m = multiplier;
  const int damage = static_cast<int>(m * strength * 5.0 / 50.0 * (100.0 - m * endurance) / 50.0 + 0.5);
  return std::max(damage, 0);
}

int JumpPoints(int kind) { return kind == 10 ? 4 : kind == 9 ? 2 : kind == 8 ? 1 : 0; }

int JumpScore(int kind, int largestSpeed) { return (largestSpeed + 1) * JumpPoints(kind); }

int JumpKindAt(int clock) { return 8 + (clock % 3 + 3) % 3; }

Point LeapOffset(int facing, int step) {
  static constexpr Point kLeap[8][10] = {
      {{0, 0}, {16, -10}, {18, -8}, {30, 1}, {17, 13}, {-6, 12}, {-10, 8}, {-7, 5}, {-4, 3}, {-2, 3}},
      {{0, 0}, {18, 4}, {18, 7}, {20, 22}, {2, 21}, {-12, 4}, {-12, 1}, {-8, 1}, {-5, 1}, {-4, 1}},
      {{0, 0}, {10, 16}, {8, 18}, {-1, 30}, {-13, 16}, {-12, -6}, {-8, -10}, {-5, -7}, {-3, -4}, {-2, -2}},
      {{0, 0}, {-4, 18}, {-7, 18}, {-23, 21}, {-21, 3}, {-3, 13}, {1, -12}, {1, -9}, {1, -5}, {-1, 3}},
      {{0, 0}, {-16, 10}, {-18, 8}, {-29, -1}, {-16, -12}, {6, -12}, {9, -7}, {7, -5}, {4, -3}, {2, -2}},
      {{0, 0}, {-18, -4}, {-18, -7}, {-20, -21}, {-2, -20}, {12, -4}, {12, 1}, {8, 1}, {5, 1}, {3, -1}},
      {{0, 0}, {-10, -16}, {-8, -18}, {1, -30}, {13, -16}, {12, 6}, {8, 10}, {5, 7}, {3, 4}, {3, 2}},
      {{0, 0}, {4, -19}, {7, -18}, {22, -20}, {21, -3}, {4, 12}, {-1, 13}, {-1, 8}, {-1, 5}, {1, 4}},
  };
  if (step < 1 || step > 10) return {0, 0};
  return kLeap[facing & 7][step - 1];
}

int TopSpeedFromPlayerSpeed(int speed) {
  if (speed < 35) return 4;
  if (speed < 55) return 5;
  if (speed < 70) return 6;
  return 7;
}

bool DrawsBefore(const DrawKey& a, const DrawKey& b) {
  if (a.lying != b.lying) return a.lying > b.lying;
  if (a.y != b.y) return a.y > b.y;
  if (a.x != b.x) return a.x < b.x;
  return a.index < b.index;
}

int EnergyPercent(int energy, int maxEnergy) { return maxEnergy > 0 ? energy * 100 / maxEnergy : 0; }

void RankByScore(const int score[4], const int energyPercent[4], int place[4]) {
  bool placed[4] = {};
  for (int p = 0; p < 4; ++p) {
    int best = -1;
    for (int i = 0; i < 4; ++i) {
      if (placed[i]) continue;
      if (best < 0 || score[i] > score[best] ||
          (score[i] == score[best] && energyPercent[i] > energyPercent[best]))
        best = i;
    }
    placed[best] = true;
    place[best] = p;
  }
}

int SkaterMood(const MoodInput& in) {
  if (in.score > in.shownScore) return 2;
  if (in.speedMultiplier == 2) return 2;
  if (in.state == 3 && in.energy < 10) return 0;
  if (in.state == 3 && in.energy < in.maxEnergy / 4) return 1;
  if (in.state == 3) return 3;
  if (in.energy < in.maxEnergy / 2) return 4;
  return 5;
}

int SecondsLeft(int playFrame) { return kEventSeconds - playFrame / kFramesPerSecond; }

std::string ClockText(int seconds) {
  if (seconds < 0 || seconds > kEventSeconds) return "";
  std::string s = std::to_string(seconds / 60) + " : ";
  if (seconds % 60 < 10) s += "0";
  return s + std::to_string(seconds % 60);
}

bool BeepAt(int playFrame) { return SecondsLeft(playFrame) <= 4 && playFrame % kFramesPerSecond == 0; }

}  // namespace skaterules
