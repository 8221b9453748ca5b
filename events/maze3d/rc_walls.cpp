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

// Writes one pixel, or two side by side in the single view.
template <bool kDouble>
inline void Put(uint8_t* dst, uint8_t t) {
  if (kDouble) {
    const uint16_t two = uint16_t(t | (t << 8));
    std::memcpy(dst, &two, 2);
  } else {
    *dst = t;
  }
}

// Rows a part of a wall column covers: up to `rows`, while acc = k * step
// stays below the limit (the texel rows of that part).
inline int PartRows(int rows, int32_t limit, int32_t step) {
  if (step <= 0) return rows;
  return std::min<int64_t>(rows, (int64_t(limit) + step - 1) / step);
}

template <bool kDouble>
void DrawWalls(const MazeViewRecord& view, int columns, int left) {
  const int horizon = HorizonRow(view), eye = EyeHeight(view), h = 128 - eye;
  // Texel rows stay within 32 bits: the steps are at most 2^28 (the engine
  // tables are checked so) and the limits below 2^28.
  const int32_t topLimit = h << 21, bottomLimit = eye << 21;
  const int below = kViewRows - horizon;
  const intptr_t pitch = g_mazePitch;
  for (int c = 0; c < columns; ++c) {
    const RayColumn& col = g_rayColumns[c];
    if (!col.hit || !g_mazeLevel.wallTextures) continue;
    const uint8_t* texels = g_mazeLevel.wallTextures + size_t(col.texture) * 4096 + size_t(col.textureColumn) * 128;
    const int32_t step = WallStepAt(col.distance);
    uint8_t* const base = g_mazeFrame + size_t(horizon) * pitch + (kDouble ? 2 * c : left + c);
    // Upwards from the row above the horizon: texel rows h - 1 and up.
    const int up = PartRows(horizon, topLimit, step);
    const uint8_t* upTexels = texels + h - 1;
    uint8_t* dst = base - pitch;
    int32_t acc = 0;
    for (int k = 0; k < up; ++k, acc += step, dst -= pitch) Put<kDouble>(dst, upTexels[-(acc >> 21)]);
    if (up < horizon) g_wallTopSpan[c] = uint16_t(up);
    // Downwards from the horizon row: texel rows h and down.
    const int down = PartRows(below, bottomLimit, step);
    const uint8_t* downTexels = texels + h;
    dst = base;
    acc = 0;
    for (int k = 0; k < down; ++k, acc += step, dst += pitch) Put<kDouble>(dst, downTexels[acc >> 21]);
    if (down < below) g_wallBottomSpan[c] = uint16_t(down);
  }
}

}  // namespace

void RcDrawWallColumns(const MazeViewRecord& view) { DrawWalls<false>(view, kSplitColumns, view.screenX); }

void RcDrawWallColumnsDouble(const MazeViewRecord& view) { DrawWalls<true>(view, kRayColumnCount, 0); }
