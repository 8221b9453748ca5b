// The wall pass: each column with a hit becomes a textured wall column drawn
// outwards from the horizon in two runs, one accumulator each; how far the
// wall reaches goes into the span tables for the sky and floor passes.
#include <algorithm>
#include <cstring>

#include "events/maze3d/rc_raycaster.h"
#include "events/maze3d/rc_tables.h"

namespace {

// The horizon row of a view, kept inside the view.
int HorizonRow(const MazeViewRecord& view) { return std::clamp(200 + view.viewOffset, 1, kViewRows - 1); }
// The eye height in texels, 1..127.
int EyeHeight(const MazeViewRecord& view) { return std::clamp<int>(view.viewIndex, 1, 127); }

template <bool kDouble>
void DrawWalls(const MazeViewRecord& view, int columns, int left) {
  const int horizon = HorizonRow(view), eye = EyeHeight(view), h = 128 - eye;
  const int64_t topLimit = int64_t(h) << 21, bottomLimit = int64_t(eye) << 21;
  const intptr_t pitch = g_mazePitch;
  for (int c = 0; c < columns; ++c) {
    const RayColumn& col = g_rayColumns[c];
    if (!col.hit || !g_mazeLevel.wallTextures) continue;
    const uint8_t* texels = g_mazeLevel.wallTextures + size_t(col.texture) * 4096 + size_t(col.textureColumn) * 128;
    const int64_t step = WallStepAt(col.distance);
    uint8_t* const base = g_mazeFrame + size_t(horizon) * pitch + (kDouble ? 2 * c : left + c);
    // Upwards from the row above the horizon: texel rows h - 1 and up.
    uint8_t* dst = base - pitch;
    int64_t acc = 0;
    int k = 0;
    for (; k < horizon && acc < topLimit; ++k, acc += step, dst -= pitch) {
      const uint8_t t = texels[h - 1 - int(acc >> 21)];
      dst[0] = t;
      if (kDouble) dst[1] = t;
    }
    if (k < horizon) g_wallTopSpan[c] = uint16_t(k);
    // Downwards from the horizon row: texel rows h and down.
    dst = base;
    acc = 0;
    const int below = kViewRows - horizon;
    for (k = 0; k < below && acc < bottomLimit; ++k, acc += step, dst += pitch) {
      const uint8_t t = texels[h + int(acc >> 21)];
      dst[0] = t;
      if (kDouble) dst[1] = t;
    }
    if (k < below) g_wallBottomSpan[c] = uint16_t(k);
  }
}

}  // namespace

void RcDrawWallColumns(const MazeViewRecord& view) { DrawWalls<false>(view, kSplitColumns, view.screenX); }

void RcDrawWallColumnsDouble(const MazeViewRecord& view) { DrawWalls<true>(view, kRayColumnCount, 0); }
