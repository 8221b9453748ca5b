#pragma once
// The rasteriser: triangles and decals into an 8-bit target with a depth
// buffer. Everything that decides which pixel is covered is integer
// arithmetic, so the same scene gives the same bytes on every machine and
// in every build.
//
// Vertices are in screen pixels with 4 fractional bits. A pixel belongs to a
// triangle when its centre lies inside it; a centre exactly on an edge
// belongs to the triangle for which that edge is a top edge (horizontal,
// the triangle below it) or a left edge. Two triangles sharing an edge
// therefore never both draw, nor both leave out, a pixel along it.
//
// Depth is 1 / z (0 is infinitely far): a pixel is written only when it is
// strictly nearer than what is there, so of two equal depths the first
// drawn stays.
#include <cstdint>

constexpr int kSubpixelBits = 4;
constexpr int kSubpixelScale = 1 << kSubpixelBits;
// Perspective-correct texturing divides once per this many pixels of a row
// and steps the texture coordinates straight in between.
constexpr int kPerspectiveShift = 3;
constexpr int kPerspectiveStep = 1 << kPerspectiveShift;

struct RasterTarget {
  uint8_t* pixels = nullptr;  // pixel (x, y) at pixels[y * pitch + x]
  int pitch = 0;
  float* depth = nullptr;     // depth of (x, y) at depth[y * depthPitch + x]
  int depthPitch = 0;
  // Only pixels with left <= x < right and top <= y < bottom are drawn.
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct RasterVertex {
  int32_t x = 0, y = 0;  // screen position in 1/16 pixel
  float invz = 0.0f;     // 1 / z
  // Texture coordinates in texels: divided by z for perspective-correct
  // triangles, as they are for straight interpolation.
  float s = 0.0f, t = 0.0f;
};

struct RasterTexture {
  const uint8_t* texels = nullptr;  // row r at texels[r * pitch]
  int pitch = 0;
  int width = 0, height = 0;        // powers of two on triangles (they repeat)
  const uint8_t* shade = nullptr;   // texel index -> target index (256 entries)
  const uint8_t* transparent = nullptr;  // decals: 256 flags, nonzero = left out; or null
};

// Screen rectangle of a decal, in pixels (edges, not centres).
struct RasterRect {
  float left = 0, top = 0, right = 0, bottom = 0;
};

// Calls span(y, x0, x1) for every row y whose pixels x0 <= x < x1 the
// triangle covers, cut to the rectangle. Triangles are drawn only when
// their corners run clockwise on the screen (y down); others, and those
// without area, cover nothing.
template <typename SpanFn>
void ForEachTriangleSpan(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c,
                         int left, int top, int right, int bottom, SpanFn&& span);

// Each returns the number of pixels written.
int64_t RasterFlatTriangle(const RasterTarget& target, const RasterVertex& a,
                           const RasterVertex& b, const RasterVertex& c, uint8_t colour);
int64_t RasterTexturedTriangle(const RasterTarget& target, const RasterVertex& a,
                               const RasterVertex& b, const RasterVertex& c,
                               const RasterTexture& texture, bool perspective);
// The texture stretched over the rectangle at one depth, transparent texels
// left out. Any texture size.
int64_t RasterDecal(const RasterTarget& target, const RasterRect& rect, float invz,
                    const RasterTexture& texture);

// ---------------------------------------------------------------------------

namespace raster_detail {
// Floor and ceiling of a / 16 (arithmetic shifts floor in C++20).
inline int64_t FloorDiv16(int64_t a) { return a >> kSubpixelBits; }
inline int64_t CeilDiv16(int64_t a) { return -((-a) >> kSubpixelBits); }
inline int64_t FloorDiv(int64_t a, int64_t b) {  // b > 0
  int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}
inline int64_t CeilDiv(int64_t a, int64_t b) {  // b > 0
  int64_t q = a / b;
  return (a % b != 0 && a > 0) ? q + 1 : q;
}
inline int64_t Min3(int64_t a, int64_t b, int64_t c) {
  return a < b ? (a < c ? a : c) : (b < c ? b : c);
}
inline int64_t Max3(int64_t a, int64_t b, int64_t c) {
  return a > b ? (a > c ? a : c) : (b > c ? b : c);
}
// One edge of a triangle, walked row by row. Its condition on a pixel
// centre (px, py), both in 1/16 pixel, is k - dy * px >= 0 with
// k = dx * (py - y0) + dy * x0 - bias; that bounds px by k / dy, whose
// floor is kept as quotient and remainder and stepped without dividing.
struct Edge {
  int64_t dx = 0, dy = 0;
  int64_t divisor = 1;  // |dy|
  int64_t q = 0, r = 0;    // floor(k / divisor) and the remainder, 0 <= r < divisor
  int64_t stepQ = 0, stepR = 0;  // the same for k's step from one row to the next
  int64_t k = 0;          // only for horizontal edges

  void Start(const RasterVertex& from, const RasterVertex& to, int64_t firstRowY) {
    dx = int64_t(to.x) - from.x;
    dy = int64_t(to.y) - from.y;
    const bool topLeft = dy < 0 || (dy == 0 && dx > 0);
    k = dx * (firstRowY - from.y) + dy * from.x - (topLeft ? 0 : 1);
    if (dy == 0) return;
    divisor = dy > 0 ? dy : -dy;
    q = FloorDiv(k, divisor);
    r = k - q * divisor;
    const int64_t step = dx * kSubpixelScale;
    stepQ = FloorDiv(step, divisor);
    stepR = step - stepQ * divisor;
  }
  void NextRow() {
    if (dy == 0) {
      k += dx * kSubpixelScale;
      return;
    }
    q += stepQ;
    r += stepR;
    if (r >= divisor) {
      ++q;
      r -= divisor;
    }
  }
};
}  // namespace raster_detail

template <typename SpanFn>
void ForEachTriangleSpan(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c,
                         int left, int top, int right, int bottom, SpanFn&& span) {
  using namespace raster_detail;
  const int64_t area =
      (int64_t(b.x) - a.x) * (int64_t(c.y) - a.y) - (int64_t(b.y) - a.y) * (int64_t(c.x) - a.x);
  if (area <= 0) return;
  constexpr int64_t kHalf = kSubpixelScale / 2;
  int64_t y0 = CeilDiv16(Min3(a.y, b.y, c.y) - kHalf);
  int64_t y1 = FloorDiv16(Max3(a.y, b.y, c.y) - kHalf) + 1;
  if (y0 < top) y0 = top;
  if (y1 > bottom) y1 = bottom;
  if (y0 >= y1) return;
  Edge edges[3];
  const int64_t firstRow = y0 * kSubpixelScale + kHalf;
  edges[0].Start(a, b, firstRow);
  edges[1].Start(b, c, firstRow);
  edges[2].Start(c, a, firstRow);
  for (int64_t y = y0; y < y1; ++y) {
    int64_t lo = left, hi = right;
    // Each edge keeps the centres on its inner side (or on it, for a top or
    // left edge): a bound on x for a slanted edge, all or nothing for a
    // horizontal one.
    for (Edge& e : edges) {
      if (e.dy > 0) {
        const int64_t bound = FloorDiv16(e.q - kHalf) + 1;
        if (bound < hi) hi = bound;
      } else if (e.dy < 0) {
        const int64_t bound = CeilDiv16(-e.q - kHalf);
        if (bound > lo) lo = bound;
      } else if (e.k < 0) {
        hi = lo;
      }
      e.NextRow();
    }
    if (lo < hi) span(static_cast<int>(y), static_cast<int>(lo), static_cast<int>(hi));
  }
}
