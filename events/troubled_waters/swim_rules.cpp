#include "events/troubled_waters/swim_rules.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace swim {

int DirectionGroup(int fx, int fy) {
  static const int kGroups[3][3] = {{2, 3, 4}, {1, 0, 5}, {1, 0, 5}};  // [fx + 1][fy + 1]
  return kGroups[std::clamp(fx, -1, 1) + 1][std::clamp(fy, -1, 1) + 1];
}

int BumpDirection(int fx, int fy) {
  static const int kDirs[3][3] = {{3, 4, 5}, {2, 2, 6}, {1, 0, 7}};
  return kDirs[std::clamp(fx, -1, 1) + 1][std::clamp(fy, -1, 1) + 1];
}

int ThrowDirection(int vx, int vy, int character) {
  if (vx > 0) return vy < 0 ? 0 : (vy == 0 ? 1 : 2);
  if (vx < 0) return vy > 0 ? 3 : (vy == 0 ? 4 : 5);
  if (vy == 0) return -1;
  if (character == kZovi) return -1;
  return vy > 0 ? 6 : 7;
}

bool AimAtCreature(int d, int dx, int dy) {
  switch (d) {
    case 0: return 0 < dx && dx < 500 && -300 < dy && dy < 0 && std::abs(dx + dy) < dx / 10;
    case 1: return 0 < dx && dx < 500 && std::abs(dy) < 40;
    case 2: return 0 < dx && dx < 500 && 0 < dy && dy < 300 && std::abs(dx - dy) < dx / 10;
    case 3: return -500 < dx && dx < 0 && 0 < dy && dy < 300 && std::abs(-dx - dy) < dy / 10;
    case 4: return -500 < dx && dx < 0 && std::abs(dy) < 40;
    case 5: return -500 < dx && dx < 0 && -300 < dy && dy < 0 && std::abs(dy - dx) < -dy / 10;
    case 6: return dy > 40 && std::abs(dx) < 40;
    case 7: return dy < -40 && std::abs(dx) < 40;
    default: return false;
  }
}

int32_t CreatureDamage(int kind, int32_t endurance) {
  const int factor = kind == kShark ? 10 : (kind == kEel ? 7 : 5);
  const double d = (100 - endurance) * factor / 50.0 + 0.5;
  return std::max<int32_t>(0, static_cast<int32_t>(d));
}

int32_t SpeedStepFor(int32_t speed) {
  if (speed < 25) return 5;
  if (speed < 35) return 6;
  if (speed < 45) return 7;
  if (speed < 55) return 8;
  if (speed < 70) return 9;
  return 10;
}

int32_t AirLossFor(int32_t endurance) { return kFullAir / (std::max<int32_t>(1, endurance) * 7); }

int32_t AirPercent(int32_t air) { return air * 100 / kFullAir; }

bool WantsPump(int32_t air) { return air < kSeekPumpBelowAir; }

int32_t RaceSeconds(int32_t raceFrameCounter) { return raceFrameCounter / kRaceFramesPerSecond; }

std::string ClockText(int32_t seconds) {
  char buf[32];
  const int32_t s = std::max(0, seconds);
  std::snprintf(buf, sizeof buf, "%d : %s%d", s / 60, (s % 60) < 10 ? "0" : "", s % 60);
  return buf;
}

int SwimmerMood(const MoodInput& m) {
  if (m.stun != 0 || m.state == 5) return 3;
  if (m.y <= m.moodYLimit || m.state == 4 || m.place >= 0) return 2;
  if (m.air <= 0) return 0;
  if (AirPercent(m.air) < 51) return 1;
  return m.energy >= (m.energyCap >> 1) ? 5 : 4;
}

void RankSwimmers(const int32_t x[4], const int32_t air[4], int32_t placeOf[4]) {
  int32_t xs[4];
  std::copy(x, x + 4, xs);
  for (int p = 0; p < 4; ++p) {
    int32_t bestX = INT32_MIN, bestAir = INT32_MIN;
    int chosen = -1;
    for (int i = 0; i < 4; ++i) {
      if (xs[i] == INT32_MIN) continue;
      const int32_t a = AirPercent(air[i]);
      if (chosen < 0 || xs[i] > bestX || (xs[i] == bestX && a > bestAir)) {
        bestX = xs[i];
        bestAir = a;
        chosen = i;
      }
    }
    placeOf[chosen] = p;
    xs[chosen] = INT32_MIN;
  }
}

int BackgroundRow(int32_t cameraY, int row, int pictureRows) {
  if (pictureRows <= 0) return 0;
  // The background scrolls at a sixteenth of the maze's speed.
  const int64_t y = static_cast<int64_t>(static_cast<int>(cameraY / 16.0)) + row;
  return static_cast<int>((y % pictureRows + pictureRows) % pictureRows);
}

ScreenBox MapArea(int views) {
  if (views > 1) return {320 - kMapSize / 2, 0, kMapSize, kMapSize};
  return {640 - kMapSize, 0, kMapSize, kMapSize};
}

}  // namespace swim
