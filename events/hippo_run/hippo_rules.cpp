#include "events/hippo_run/hippo_rules.h"

#include <algorithm>
#include <cmath>

#include "events/hippo_run/hippo_run_data.h"

namespace hipporules {

namespace ha = hippoassets;

Pixel Project(int worldX, int worldY) {
  return {static_cast<int>((worldX + worldY) * ha::kProjectX + ha::kProjectOriginX),
          static_cast<int>((worldX - worldY) * ha::kProjectY + ha::kProjectOriginY)};
}

void Move(int direction, int distance, int* x, int* y) {
  const int h = distance / 2;
  switch (direction) {
    case 0: *x -= h; *y += h; break;
    case 1: *y += distance; break;
    case 2: *x += h; *y += h; break;
    case 3: *x += distance; break;
    case 4: *x += h; *y -= h; break;
    case 5: *y -= distance; break;
    case 6: *x -= h; *y -= h; break;
    case 7: *x -= distance; break;
    default: break;
  }
}

int DirectionFromKeys(bool left, bool right, bool up, bool down) {
  const int keys = (left ? 1 : 0) | (right ? 2 : 0) | (up ? 4 : 0) | (down ? 8 : 0);
  switch (keys) {
    case 4: return 0;
    case 4 | 2: return 1;
    case 2: return 2;
    case 2 | 8: return 3;
    case 8: return 4;
    case 8 | 1: return 5;
    case 1: return 6;
    case 1 | 4: return 7;
    default: return 8;
  }
}

int Distance(int x1, int y1, int x2, int y2) {
  const double dx = static_cast<double>(x2) - x1, dy = static_cast<double>(y2) - y1;
  return static_cast<int>(std::sqrt(dx * dx + dy * dy));
}

int DirectionTo(int x1, int y1, int x2, int y2) {
  // The angle of point 2 seen from point 1, counter-clockwise from +x with
  // y growing up the course, in whole degrees 0..359.
  int a;
  if (y2 == y1) {
    a = x1 <= x2 ? 0 : 180;
  } else if (x2 == x1) {
    a = y2 > y1 ? 90 : 270;
  } else {
    // Single precision as the game always computed it, so that the sector
    // borders stay where they were.
    const float ratio = std::fabs(static_cast<float>(y2 - y1) / static_cast<float>(x2 - x1));
    a = static_cast<int>(static_cast<double>(std::atan(ratio)) * 57.3);
    if (y2 > y1 && x2 < x1) a = 180 - a;
    else if (y2 < y1 && x1 <= x2) a = 360 - a;
    else if (y2 < y1 && x2 < x1) a = a + 180;
  }
  a %= 360;  // a full turn is the same as none
  // Sectors of 45 degrees centred on the eight directions: 0 degrees is +x
  // (direction 3), 90 is +y (direction 1) and so on.
  static const int kSector[8] = {3, 2, 1, 0, 7, 6, 5, 4};
  const int sector = ((a + 22) / 45) % 8;
  return kSector[sector];
}

bool IsBehind(int direction, int x1, int y1, int x2, int y2) {
  switch (direction) {
    case 0: return y2 < y1 && x2 > x1;
    case 1: return y2 < y1;
    case 2: return y2 < y1 && x2 < x1;
    case 3: return x2 < x1;
    case 4: return y2 > y1 && x2 < x1;
    case 5: return y2 > y1;
    case 6: return y2 > y1 && x2 > x1;
    case 7: return x2 > x1;
    default: return false;
  }
}

void TurnSequence(int d, int out[10]) {
  d = ((d % 8) + 8) % 8;
  out[0] = (d + 4) % 8;
  out[1] = (out[0] + 2) % 8;
  out[2] = out[3] = out[1];
  out[4] = (out[3] + 2) % 8;
  out[5] = out[6] = out[4];
  out[7] = (out[6] + 2) % 8;
  out[8] = out[7];
  out[9] = (out[8] + 2) % 8;
}

int TopSpeedOf(int speed) {
  if (speed < 35) return 4;
  if (speed < 55) return 5;
  if (speed < 70) return 6;
  return 7;
}

int HitDamage(int power, int endurance) {
  const double d = power * 5 / 50.0 * (100 - endurance) / 50.0;
  return d > 0 ? static_cast<int>(d) : 0;
}

bool Overlap(const Box& a, const Box& b) {
  if (a.left >= a.right || a.top >= a.bottom || b.left >= b.right || b.top >= b.bottom) return false;
  return std::max(a.left, b.left) < std::min(a.right, b.right) &&
         std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

void RankByHippo(const int hippoY[4], int order[4]) {
  for (int i = 0; i < 4; ++i) order[i] = i;
  // Stable: equal hippos keep player order.
  std::stable_sort(order, order + 4, [&](int a, int b) { return hippoY[a] > hippoY[b]; });
}

bool DrawsBefore(const DepthKey& a, const DepthKey& b) {
  if (a.y != b.y) return a.y > b.y;
  if (a.x != b.x) return a.x < b.x;
  return a.slot < b.slot;
}

FinishStep CheckFinish(FinishState* s, const FinishInput& in) {
  FinishStep step;
  if (s->lineHold > 0) --s->lineHold;
  auto place = [&](int runner) {
    for (int p = 0; p < 4; ++p)
      if (s->order[p] < 0) {
        s->order[p] = runner;
        s->finished[runner] = 1;
        s->finishFrame[runner] = in.raceFrames;
        return true;
      }
    return false;
  };
  for (int i = 0; i < 4; ++i) {
    if (in.hippoY[i] > ha::kFinishLineY && !s->finished[i] && place(i) && s->lineHold == 0) {
      step.commentary = i;
      s->lineHold = kLineCommentaryFrames;
    }
  }
  int placed = 0;
  bool anyHuman = false, humanRunning = false;
  for (int k = 0; k < 4; ++k) {
    if (s->order[k] >= 0) ++placed;
    if (in.human[k]) {
      anyHuman = true;
      if (!s->finished[k]) humanRunning = true;
    }
  }
  if (in.raceFrames >= kRaceFrameLimit) {
    step.over = true;
    return step;
  }
  if (placed > 2) {
    step.over = s->lineHold == 0;
    return step;
  }
  if (humanRunning || !anyHuman) return step;
  for (int i = 0; i < 4; ++i)
    if (!s->finished[i]) place(i);
  step.over = s->lineHold == 0;
  return step;
}

void FillFreePlaces(FinishState* s, const int hippoY[4]) {
  int order[4];
  RankByHippo(hippoY, order);
  for (int r = 0; r < 4; ++r) {
    const int runner = order[r];
    bool placed = false;
    for (int p = 0; p < 4; ++p) placed = placed || s->order[p] == runner;
    if (placed) continue;
    for (int p = 0; p < 4; ++p)
      if (s->order[p] < 0) {
        s->order[p] = runner;
        break;
      }
  }
}

int ResultSeconds(const FinishState& s, int runner) {
  if (runner < 0 || runner > 3 || !s.finished[runner]) return kNotFinishedSeconds;
  return s.finishFrame[runner] / kFramesPerSecond;
}

int MapFaceY(int hippoY) { return 140 - static_cast<int>((hippoY - 300) / 2300.0 * 100.0); }

Pixel CameraFor(Pixel follow, int offsetX, int offsetY, int viewW, int viewH, int pictureW,
                int pictureH) {
  Pixel c{follow.x - offsetX, follow.y - offsetY};
  c.x = std::clamp(c.x, 0, std::max(0, pictureW - viewW));
  c.y = std::clamp(c.y, 0, std::max(0, pictureH - viewH));
  return c;
}

}  // namespace hipporules
