#pragma once
// Clipping in camera space (x right, y up, z forward from the camera). A
// triangle is cut to the slab between the front and back planes and to a
// guard band some way outside the viewport's sides, so that every vertex
// that reaches the rasteriser projects to a sensible screen position; the
// rasteriser cuts to the viewport itself.
#include <cstdint>

struct ClipVertex {
  float x = 0, y = 0, z = 0;
  float u = 0, v = 0;  // texture coordinates, carried along
};

// A point is inside when front <= z <= back, |x| <= kx * z and |y| <= ky * z.
struct ClipPlanes {
  float front = 1.0f;
  float back = 100.0f;
  float kx = 1.0f;
  float ky = 1.0f;
};

// Outcode bits: the planes a point lies outside of.
constexpr uint32_t kClipFront = 1;
constexpr uint32_t kClipBack = 2;
constexpr uint32_t kClipLeft = 4;
constexpr uint32_t kClipRight = 8;
constexpr uint32_t kClipBottom = 16;
constexpr uint32_t kClipTop = 32;
constexpr int kClipPlaneCount = 6;
// A triangle cut by all six planes has at most this many corners.
constexpr int kMaxClipVertices = 3 + kClipPlaneCount;

uint32_t ClipOutcode(const ClipVertex& p, const ClipPlanes& planes);

// Cuts the convex polygon `in` (n corners, n <= kMaxClipVertices - number
// of planes in `mask`) by the planes whose bits are in `mask`, in the order
// front, back, left, right, bottom, top. Writes the corners left to `out`
// (room for kMaxClipVertices) in the same turning order and returns their
// count, 0 when nothing is left. A new corner on an edge is always computed
// from the edge's inside end, so two triangles sharing an edge get the same
// corner bit for bit.
int ClipPolygon(const ClipVertex* in, int n, const ClipPlanes& planes, uint32_t mask,
                ClipVertex* out);
