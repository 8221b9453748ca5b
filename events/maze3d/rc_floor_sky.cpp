// The sky and floor passes: the sky fills each column from the top of the
// view down to its wall's top, the floor from the wall's foot to row 399,
// both as pictures or flat colours; each pass sets the span entries it used
// back to kNoSpan for the next view.
#include <algorithm>
#include <iterator>
#include <cstdlib>
#include <cstring>

#include "events/maze3d/rc_raycaster.h"
#include "events/maze3d/rc_support.h"
#include "events/maze3d/rc_tables.h"

namespace {

int HorizonRow(const MazeViewRecord& view) { return std::clamp(200 + view.viewOffset, 1, kViewRows - 1); }

}  // namespace

// ---------------------------------------------------------------- sky

void RaySkyRenderer::Draw(const MazeViewRecord& view, bool picture, bool doubled) {
  const int horizon = HorizonRow(view);
  const int columns = doubled ? kRayColumnCount : kSplitColumns;
  const int left = doubled ? 0 : view.screenX;
  // The panorama's row 399 stands just above the horizon.
  const int firstRow = kViewRows - horizon;
  const uint8_t* sky = g_mazeLevel.skyPicture;
  if (!sky || g_mazeLevel.skyWidth < kMazeTurn || g_mazeLevel.skyHeight < kViewRows) picture = false;
  const intptr_t pitch = g_mazePitch, skyPitch = g_mazeLevel.skyWidth;
  int angle = WrapAngle(view.heading - kRayColumnCount / 2);
  for (int c = 0; c < columns; ++c, angle = angle + 1 == kMazeTurn ? 0 : angle + 1) {
    const uint16_t span = g_wallTopSpan[c];
    if (span == kNoSpan) continue;
    g_wallTopSpan[c] = kNoSpan;
    uint8_t* dst = g_mazeFrame + (doubled ? 2 * c : left + c);
    const int rows = horizon - span;
    if (picture) {
      const uint8_t* src = sky + size_t(firstRow) * skyPitch + angle;
      for (int y = 0; y < rows; ++y, dst += pitch, src += skyPitch) {
        dst[0] = *src;
        if (doubled) dst[1] = *src;
      }
    } else {
      for (int y = 0; y < rows; ++y, dst += pitch) {
        dst[0] = kFlatSkyColour;
        if (doubled) dst[1] = kFlatSkyColour;
      }
    }
  }
}

void RaySkyRenderer::DrawPanorama(const MazeViewRecord& view) { Draw(view, true, false); }
void RaySkyRenderer::DrawFlat(const MazeViewRecord& view) { Draw(view, false, false); }
void RaySkyRenderer::DrawPanoramaDoubled(const MazeViewRecord& view) { Draw(view, true, true); }

// ---------------------------------------------------------------- floor

void RayFloorRenderer::Begin(const MazeViewRecord& view) {
  heading_ = uint16_t(WrapAngle(view.heading));
  offset_ = view.viewOffset;
  screenX_ = view.screenX;
  cameraX_ = view.x;
  cameraY_ = view.y;
  horizon_ = HorizonRow(view);
  rows_ = view.viewValue;
  if (!rows_) rows_ = g_floorRowTables[std::clamp<int>(view.viewIndex, 1, 127)];
}

void RayFloorRenderer::FloorPoint(int r, int c, int32_t* x, int32_t* y) const {
  const int a = WrapAngle(heading_ - kRayColumnCount / 2 + c);
  const int64_t d = (int64_t(rows_[r]) * g_invCosTable[std::abs(c - kRayColumnCount / 2)]) >> 10;
  const int64_t px = ((int64_t(g_cosTable[a]) * d) >> 16) + cameraX_;
  const int64_t py = ((int64_t(g_sinTable[a]) * d) >> 16) + cameraY_;
  *x = int32_t(std::clamp<int64_t>(px, 0, INT32_MAX));
  *y = int32_t(std::clamp<int64_t>(py, 0, INT32_MAX));
}

void RayFloorRenderer::DrawSpan(int r, int first, int last, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                                bool doubled) {
  const int n = last - first;
  const int64_t xStep = n > 0 ? ((int64_t(x1) - x0) << 16) / n : 0;
  const int64_t yStep = n > 0 ? ((int64_t(y1) - y0) << 16) / n : 0;
  int64_t ax = int64_t(x0) << 16, ay = int64_t(y0) << 16;
  uint8_t* dst = g_mazeFrame + size_t(horizon_ + r) * g_mazePitch + (doubled ? 2 * first : screenX_ + first);
  const uint16_t* map = g_mazeLevel.floorMap;
  const uint8_t* textures = g_mazeLevel.floorTextures;
  const uint32_t count = g_mazeLevel.floorTextureCount;
  const int width = doubled ? 2 : 1;
  // Points between two ends inside the map lie inside it too; otherwise each
  // is checked (points outside the map are not drawn; a closed level never
  // shows any).
  const bool inside = uint32_t(x0) < uint32_t(kMazeWorldSize) && uint32_t(y0) < uint32_t(kMazeWorldSize) &&
                      uint32_t(x1) < uint32_t(kMazeWorldSize) && uint32_t(y1) < uint32_t(kMazeWorldSize);
  for (int i = 0; i <= n; ++i, ax += xStep, ay += yStep, dst += width) {
    const int32_t x = int32_t(ax >> 16), y = int32_t(ay >> 16);
    if (!inside && (uint32_t(x) >= uint32_t(kMazeWorldSize) || uint32_t(y) >= uint32_t(kMazeWorldSize))) continue;
    const uint32_t e = map[(y >> 5) * kMazeCells + (x >> 5)];
    if (e - 1 >= count) continue;  // no floor texture here (entry 0), or one past the level's
    const uint8_t t = textures[(e - 1) * 1024 + ((y & 31) << 5) + (x & 31)];
    if (doubled) {
      const uint16_t two = uint16_t(t | (t << 8));
      std::memcpy(dst, &two, 2);
    } else {
      dst[0] = t;
    }
  }
}

void RayFloorRenderer::DrawFloor(const MazeViewRecord& view, bool doubled) {
  Begin(view);
  const int columns = doubled ? kRayColumnCount : kSplitColumns;
  if (!g_mazeLevel.floorTextures || !rows_) {
    Fill(view, doubled);
    return;
  }
  // Row by row from the highest wall foot down, the floor shows in the
  // columns whose wall foot lies at or above the row; each run of such
  // columns is one span. A column joins the runs at its foot's row and stays
  // in them below it, so the columns are kept in a bit set, filled from
  // buckets by foot row, and the runs are read from it a word at a time.
  constexpr int kWords = (kRayColumnCount + 63) / 64;
  int16_t head[kViewRows];
  int16_t next[kRayColumnCount];
  uint64_t open[kWords] = {};
  std::fill(std::begin(head), std::end(head), int16_t(-1));
  int r = kViewRows;
  const int rows = kViewRows - horizon_;
  for (int c = columns - 1; c >= 0; --c) {
    const int foot = g_wallBottomSpan[c];
    if (foot >= rows) continue;  // no floor in this column (kNoSpan, or the wall reaches the bottom)
    next[c] = head[foot];
    head[foot] = int16_t(c);
    r = std::min(r, foot);
  }
  for (; r < rows; ++r) {
    for (int c = head[r]; c >= 0; c = next[c]) open[c >> 6] |= uint64_t(1) << (c & 63);
    int c = 0;
    while (c < columns) {
      // The next open column from c, then the end of its run.
      int w = c >> 6;
      uint64_t bits = open[w] & (~uint64_t(0) << (c & 63));
      while (!bits && ++w < kWords) bits = open[w];
      if (!bits) break;
      const int first = w * 64 + __builtin_ctzll(bits);
      uint64_t gaps = ~open[w] & (~uint64_t(0) << (first & 63));
      while (!gaps && ++w < kWords) gaps = ~open[w];
      const int end = std::min(gaps ? w * 64 + __builtin_ctzll(gaps) : kWords * 64, columns);
      int32_t sx, sy, ex, ey;
      FloorPoint(r, first, &sx, &sy);
      FloorPoint(r, end - 1, &ex, &ey);
      DrawSpan(r, first, end - 1, sx, sy, ex, ey, doubled);
      c = end;
    }
  }
  for (int col = 0; col < columns; ++col) g_wallBottomSpan[col] = kNoSpan;
}

void RayFloorRenderer::Fill(const MazeViewRecord& view, bool doubled) {
  const int horizon = HorizonRow(view);
  const int columns = doubled ? kRayColumnCount : kSplitColumns;
  const int left = doubled ? 0 : view.screenX;
  const uint8_t colour = g_mazeLevel.floorColour;
  for (int c = 0; c < columns; ++c) {
    const uint16_t span = g_wallBottomSpan[c];
    if (span == kNoSpan) continue;
    g_wallBottomSpan[c] = kNoSpan;
    uint8_t* dst = g_mazeFrame + size_t(horizon + span) * g_mazePitch + (doubled ? 2 * c : left + c);
    for (int y = horizon + span; y < kViewRows; ++y, dst += g_mazePitch) {
      dst[0] = colour;
      if (doubled) dst[1] = colour;
    }
  }
}

void RayFloorRenderer::DrawFloorSplit(const MazeViewRecord& view) { DrawFloor(view, false); }
void RayFloorRenderer::FillColumnsSplit(const MazeViewRecord& view) { Fill(view, false); }
void RayFloorRenderer::DrawFloorSingle(const MazeViewRecord& view) { DrawFloor(view, true); }
void RayFloorRenderer::FillColumnsSingle(const MazeViewRecord& view) { Fill(view, true); }
