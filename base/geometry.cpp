#include "base/geometry.h"

#include <cmath>
#include <utility>

Point2f& Point2f::RotateQuarterTurns(int n) {
  float ox = x;
  float oy = y;
  switch (((n % 4) + 4) % 4) {
    case 1: x = -oy; y = ox; break;
    case 2: x = -ox; y = -oy; break;
    case 3: x = oy; y = -ox; break;
    default: break;
  }
  return *this;
}

Rect4f& Rect4f::RotateQuarterTurns(int n) {
  Point2f a(left, top);
  Point2f b(right, bottom);
  a.RotateQuarterTurns(n);
  b.RotateQuarterTurns(n);
  left = a.x;
  top = a.y;
  right = b.x;
  bottom = b.y;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  return *this;
}

Rect4f Rect4f::Intersect(const Rect4f& o) const {
  float l = left > o.left ? left : o.left;
  float t = top > o.top ? top : o.top;
  float r = right < o.right ? right : o.right;
  float b = bottom < o.bottom ? bottom : o.bottom;
  if (l < r && t < b) return Rect4f(l, t, r, b);
  return Rect4f();
}

bool RectsOverlap(const Rect4f& a, const Rect4f& b) { return !a.Intersect(b).IsZero(); }

float DistanceSquared(const Point2f& a, const Point2f& b) {
  float dx = a.x - b.x;
  float dy = a.y - b.y;
  return dx * dx + dy * dy;
}

float SqrtF(float v) { return v > 0.0f ? std::sqrt(v) : 0.0f; }

namespace {
// Which side of the line a-b the point p lies on (0 on the line).
float Side(const Point2f& a, const Point2f& b, const Point2f& p) {
  return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
}
int Sign(float v) { return v > 0.0f ? 1 : (v < 0.0f ? -1 : 0); }
}  // namespace

bool SegmentsIntersect(const Point2f& p1, const Point2f& p2, const Point2f& p3, const Point2f& p4) {
  // Signs rather than products of the cross values: products can overflow
  // float for far-apart points and underflow to 0 for near ones.
  int d1 = Sign(Side(p3, p4, p1));
  int d2 = Sign(Side(p3, p4, p2));
  int d3 = Sign(Side(p1, p2, p3));
  int d4 = Sign(Side(p1, p2, p4));
  if (d1 == 0 && d2 == 0 && d3 == 0 && d4 == 0) {
    // All four on one line: they touch only when their extents overlap.
    auto overlap = [](float a1, float a2, float b1, float b2) {
      if (a1 > a2) std::swap(a1, a2);
      if (b1 > b2) std::swap(b1, b2);
      return a1 <= b2 && b1 <= a2;
    };
    return overlap(p1.x, p2.x, p3.x, p4.x) && overlap(p1.y, p2.y, p3.y, p4.y);
  }
  return d1 * d2 <= 0 && d3 * d4 <= 0;
}

bool LineIntersection(const Point2f& p1, const Point2f& p2, const Point2f& p3, const Point2f& p4,
                      Point2f* out) {
  float d1x = p2.x - p1.x;
  float d1y = p2.y - p1.y;
  float d2x = p4.x - p3.x;
  float d2y = p4.y - p3.y;
  float denom = d1x * d2y - d1y * d2x;
  if (denom == 0.0f || !std::isfinite(denom)) {
    *out = p1;
    return false;
  }
  float t = ((p3.x - p1.x) * d2y - (p3.y - p1.y) * d2x) / denom;
  out->x = p1.x + t * d1x;
  out->y = p1.y + t * d1y;
  return true;
}
