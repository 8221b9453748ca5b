#include "scene3d/clip.h"

#include <algorithm>

namespace {

// Signed distance-like value of a point from plane `bit`: >= 0 inside.
float PlaneValue(uint32_t bit, const ClipVertex& p, const ClipPlanes& planes) {
  switch (bit) {
    case kClipFront: return p.z - planes.front;
    case kClipBack: return planes.back - p.z;
    case kClipLeft: return p.x + planes.kx * p.z;
    case kClipRight: return planes.kx * p.z - p.x;
    case kClipBottom: return p.y + planes.ky * p.z;
    default: return planes.ky * p.z - p.y;  // kClipTop
  }
}

ClipVertex Cut(uint32_t bit, const ClipVertex& in, float din, const ClipVertex& out, float dout,
               const ClipPlanes& planes) {
  const float t = din / (din - dout);
  ClipVertex r;
  r.x = in.x + (out.x - in.x) * t;
  r.y = in.y + (out.y - in.y) * t;
  r.z = in.z + (out.z - in.z) * t;
  r.u = in.u + (out.u - in.u) * t;
  r.v = in.v + (out.v - in.v) * t;
  // On the depth planes the depth is known exactly.
  if (bit == kClipFront) r.z = planes.front;
  if (bit == kClipBack) r.z = planes.back;
  return r;
}

}  // namespace

uint32_t ClipOutcode(const ClipVertex& p, const ClipPlanes& planes) {
  uint32_t code = 0;
  for (int i = 0; i < kClipPlaneCount; ++i) {
    const uint32_t bit = 1u << i;
    // A NaN compares false and so counts as outside.
    if (!(PlaneValue(bit, p, planes) >= 0.0f)) code |= bit;
  }
  return code;
}

int ClipPolygon(const ClipVertex* in, int n, const ClipPlanes& planes, uint32_t mask,
                ClipVertex* out) {
  // Each edge gives at most two corners, so a plane can at most double the
  // count; a convex polygon gains at most one, and more is cut back.
  ClipVertex buffers[2][2 * kMaxClipVertices];
  const ClipVertex* src = in;
  int count = std::min(n, kMaxClipVertices);
  int which = 0;
  for (int i = 0; i < kClipPlaneCount && count > 0; ++i) {
    const uint32_t bit = 1u << i;
    if (!(mask & bit)) continue;
    ClipVertex* dst = buffers[which];
    int m = 0;
    for (int k = 0; k < count; ++k) {
      const ClipVertex& prev = src[(k + count - 1) % count];
      const ClipVertex& cur = src[k];
      const float dp = PlaneValue(bit, prev, planes);
      const float dc = PlaneValue(bit, cur, planes);
      const bool prevIn = dp >= 0.0f, curIn = dc >= 0.0f;
      if (prevIn && curIn) {
        dst[m++] = cur;
      } else if (prevIn) {
        dst[m++] = Cut(bit, prev, dp, cur, dc, planes);
      } else if (curIn) {
        dst[m++] = Cut(bit, cur, dc, prev, dp, planes);
        dst[m++] = cur;
      }
    }
    count = m < 3 ? 0 : std::min(m, kMaxClipVertices);
    src = dst;
    which ^= 1;
  }
  std::copy(src, src + count, out);
  return count;
}
