#pragma once
// Vectors and affine transforms of the 3D scene layer. The space is
// left-handed: x to the right, y up, z forward (away from a camera). Points
// are row vectors: a frame's matrix carries a point of the frame into its
// parent as p' = p.x * row 0 + p.y * row 1 + p.z * row 2 + row 3, and the
// transform of a child within its grandparent is child * parent.
//
// Plain float arithmetic only (the build turns contraction off), so every
// machine computes the same bits.

struct RMVector {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  RMVector() = default;
  RMVector(float px, float py, float pz) : x(px), y(py), z(pz) {}
  bool operator==(const RMVector& o) const { return x == o.x && y == o.y && z == o.z; }
  bool operator!=(const RMVector& o) const { return !(*this == o); }
  RMVector operator+(const RMVector& o) const { return {x + o.x, y + o.y, z + o.z}; }
  RMVector operator-(const RMVector& o) const { return {x - o.x, y - o.y, z - o.z}; }
  RMVector operator*(float s) const { return {x * s, y * s, z * s}; }
};

float Dot(const RMVector& a, const RMVector& b);
RMVector Cross(const RMVector& a, const RMVector& b);
float Length(const RMVector& v);
// The vector scaled to length 1; false (and *out unchanged) for a zero or
// non-finite vector.
bool Normalize(const RMVector& v, RMVector* out);
bool IsFinite(const RMVector& v);

// An affine transform: rows 0 to 2 are the images of the x, y and z axes,
// row 3 the translation.
struct RMMatrix {
  float m[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}};

  static RMMatrix Identity() { return RMMatrix(); }
  bool operator==(const RMMatrix& o) const;
  bool operator!=(const RMMatrix& o) const { return !(*this == o); }

  RMVector Row(int i) const { return {m[i][0], m[i][1], m[i][2]}; }
  void SetRow(int i, const RMVector& v) {
    m[i][0] = v.x;
    m[i][1] = v.y;
    m[i][2] = v.z;
  }
  RMVector Translation() const { return Row(3); }
  void SetTranslation(const RMVector& t) { SetRow(3, t); }

  // The point moved by the whole transform / the direction by its linear part.
  RMVector TransformPoint(const RMVector& p) const;
  RMVector TransformDirection(const RMVector& d) const;
  // Largest factor by which the linear part lengthens a vector along an axis
  // (the longest row): bounds how far a sphere's radius grows.
  float MaxScale() const;
  bool IsFinite() const;
};

// `a` applied first, then `b`.
RMMatrix Multiply(const RMMatrix& a, const RMMatrix& b);
// The inverse transform; false (and *out unchanged) when the linear part is
// singular or anything is not finite.
bool Invert(const RMMatrix& a, RMMatrix* out);
// The rotation whose z axis points along `dir` and whose y axis lies in the
// plane of `dir` and `up` (on the side of `up`); translation 0. False for a
// zero direction or an `up` parallel to it.
bool OrientationFromVectors(const RMVector& dir, const RMVector& up, RMMatrix* out);
