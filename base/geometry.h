#pragma once
// Plane geometry in floats: points, axis-aligned rectangles and the segment
// tests the events' collision code is built on. All arithmetic is plain float
// (no contraction) so every machine computes the same bits.
#include <cstdint>

struct Point2f {
  float x = 0.0f;
  float y = 0.0f;

  Point2f() = default;
  Point2f(float px, float py) : x(px), y(py) {}
  explicit Point2f(const Point2f* p) : x(p ? p->x : 0.0f), y(p ? p->y : 0.0f) {}

  bool operator==(const Point2f& o) const { return x == o.x && y == o.y; }
  bool operator!=(const Point2f& o) const { return !(*this == o); }
  Point2f& operator+=(const Point2f& o) {
    x += o.x;
    y += o.y;
    return *this;
  }
  Point2f& operator-=(const Point2f& o) {
    x -= o.x;
    y -= o.y;
    return *this;
  }
  // Turns the point about the origin by n quarter turns (n taken modulo 4,
  // negative n turning the other way): 1 gives (-y, x), 2 (-x, -y), 3 (y, -x).
  Point2f& RotateQuarterTurns(int n);
};

struct Rect4f {
  float left = 0.0f;
  float top = 0.0f;
  float right = 0.0f;
  float bottom = 0.0f;

  Rect4f() = default;
  Rect4f(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}

  bool operator==(const Rect4f& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const Rect4f& o) const { return !(*this == o); }
  // Moves the rectangle by the point.
  Rect4f& operator+=(const Point2f& p) {
    left += p.x;
    right += p.x;
    top += p.y;
    bottom += p.y;
    return *this;
  }
  bool IsZero() const { return left == 0.0f && top == 0.0f && right == 0.0f && bottom == 0.0f; }

  // Both corners turned as points, then sorted so left <= right, top <= bottom.
  Rect4f& RotateQuarterTurns(int n);
  // The common part, or the all-zero rectangle when the two do not meet
  // (rectangles that only touch along an edge do not meet).
  Rect4f Intersect(const Rect4f& other) const;
  // Left and top edges inside, right and bottom edges outside.
  bool Contains(const Point2f& p) const {
    return left <= p.x && p.x < right && top <= p.y && p.y < bottom;
  }
};

// The intersection of a and b is not the all-zero rectangle.
bool RectsOverlap(const Rect4f& a, const Rect4f& b);
float DistanceSquared(const Point2f& a, const Point2f& b);
float SqrtF(float v);  // 0 for negative input
// The segments p1-p2 and p3-p4 cross or touch: each segment's end points lie
// on opposite sides of (or on) the other segment's line.
bool SegmentsIntersect(const Point2f& p1, const Point2f& p2, const Point2f& p3, const Point2f& p4);
// Writes the intersection of the lines p1-p2 and p3-p4 to *out. For parallel
// (or degenerate) lines there is none: *out becomes p1 and false is returned.
bool LineIntersection(const Point2f& p1, const Point2f& p2, const Point2f& p3, const Point2f& p4,
                      Point2f* out);
