// The sprite pass: the things collected for a view are drawn farthest first,
// scaled like walls (128 texel columns, as high as a wall and standing on the
// floor), each screen column hidden where the wall of its ray column is
// nearer. A texel column is decoded only when the screen column reaches a
// new one.
#include <algorithm>

#include "events/maze3d/rc_loader.h"
#include "events/maze3d/rc_raycaster.h"
#include "events/maze3d/rc_tables.h"

bool RaySpriteRenderer::DecodeColumn(const uint8_t* frame, int t) { return RcDecodeColumn(frame, t, column_); }

void RaySpriteRenderer::DrawColumn(uint8_t* top, int step) {
  const int h = 128 - eye_;
  const intptr_t pitch = g_mazePitch;
  // Upwards from the row above the horizon, texel rows h - 1 and up.
  uint8_t* dst = top + size_t(horizon_ - 1) * pitch;
  const int64_t upLimit = int64_t(h) << 21, downLimit = int64_t(eye_) << 21;
  int64_t acc = 0;
  for (int k = 0; k < horizon_ && acc < upLimit; ++k, acc += step, dst -= pitch) {
    const uint8_t t = column_[h - 1 - int(acc >> 21)];
    if (t) *dst = t;
  }
  dst = top + size_t(horizon_) * pitch;
  acc = 0;
  for (int k = 0; k < kViewRows - horizon_ && acc < downLimit; ++k, acc += step, dst += pitch) {
    const uint8_t t = column_[h + int(acc >> 21)];
    if (t) *dst = t;
  }
}

void RaySpriteRenderer::Draw(const MazeViewRecord& view, int count, bool single) {
  eye_ = std::clamp<int>(view.viewIndex, 1, 127);
  horizon_ = std::clamp(200 + view.viewOffset, 1, kViewRows - 1);
  // In the single view a sprite column is one pixel of 640 and covers half
  // a ray column; in a split view one pixel of 318, a whole ray column.
  const int edge = single ? 80 : 40;
  const int width = single ? kFrameWidth : kSplitColumns;
  uint8_t* const left = g_mazeFrame + (single ? 0 : view.screenX);
  for (int i = 0; i < count; ++i) {
    const RaySprite& s = g_raySprites[i];
    if (!s.frame || s.step <= 0) continue;
    const int64_t step = s.step;
    const int64_t start = (single ? 2 * int64_t(s.position) : int64_t(s.position)) - (int64_t(1) << 27) / step;
    int64_t acc = 0;
    int x = 0;
    if (start < edge) {
      acc = (edge - start) * step;
      if ((acc >> 21) >= 128) continue;  // wholly left of the view
    } else {
      x = int(std::min<int64_t>(start - edge, width));
    }
    int decoded = -1;
    bool drawable = false;
    for (; x < width; ++x) {
      const int t = int(acc >> 21);
      if (s.distance <= g_rayColumns[single ? x >> 1 : x].distance) {
        if (t != decoded) {
          drawable = DecodeColumn(s.frame, t);
          decoded = t;
        }
        if (drawable) DrawColumn(left + x, int(step));
      }
      acc += step;
      if ((acc >> 21) >= 128) break;
    }
  }
}

void RaySpriteRenderer::DrawSpritesSplit(const MazeViewRecord& view, int count) { Draw(view, count, false); }
void RaySpriteRenderer::DrawSpritesSingle(const MazeViewRecord& view, int count) { Draw(view, count, true); }
