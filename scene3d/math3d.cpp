#include "scene3d/math3d.h"

#include <cmath>

float Dot(const RMVector& a, const RMVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

RMVector Cross(const RMVector& a, const RMVector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Length(const RMVector& v) { return std::sqrt(Dot(v, v)); }

bool IsFinite(const RMVector& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool Normalize(const RMVector& v, RMVector* out) {
  if (!IsFinite(v)) return false;
  const float len = Length(v);
  if (!(len > 0.0f) || !std::isfinite(len)) return false;
  *out = {v.x / len, v.y / len, v.z / len};
  return true;
}

bool RMMatrix::operator==(const RMMatrix& o) const {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c)
      if (m[r][c] != o.m[r][c]) return false;
  return true;
}

RMVector RMMatrix::TransformPoint(const RMVector& p) const {
  return {p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0],
          p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1],
          p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2]};
}

RMVector RMMatrix::TransformDirection(const RMVector& d) const {
  return {d.x * m[0][0] + d.y * m[1][0] + d.z * m[2][0],
          d.x * m[0][1] + d.y * m[1][1] + d.z * m[2][1],
          d.x * m[0][2] + d.y * m[1][2] + d.z * m[2][2]};
}

float RMMatrix::MaxScale() const {
  float best = 0.0f;
  for (int r = 0; r < 3; ++r) {
    const float len = Length(Row(r));
    if (len > best) best = len;
  }
  return best;
}

bool RMMatrix::IsFinite() const {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c)
      if (!std::isfinite(m[r][c])) return false;
  return true;
}

RMMatrix Multiply(const RMMatrix& a, const RMMatrix& b) {
  RMMatrix out;
  for (int r = 0; r < 3; ++r) out.SetRow(r, b.TransformDirection(a.Row(r)));
  out.SetRow(3, b.TransformPoint(a.Row(3)));
  return out;
}

bool Invert(const RMMatrix& a, RMMatrix* out) {
  if (!a.IsFinite()) return false;
  // The inverse of the linear part by cofactors, in double so that a
  // well-conditioned matrix comes back to float within rounding.
  const double m00 = a.m[0][0], m01 = a.m[0][1], m02 = a.m[0][2];
  const double m10 = a.m[1][0], m11 = a.m[1][1], m12 = a.m[1][2];
  const double m20 = a.m[2][0], m21 = a.m[2][1], m22 = a.m[2][2];
  const double c00 = m11 * m22 - m12 * m21;
  const double c01 = m02 * m21 - m01 * m22;
  const double c02 = m01 * m12 - m02 * m11;
  const double det = m00 * c00 + m10 * c01 + m20 * c02;
  if (!(std::fabs(det) > 1e-30) || !std::isfinite(det)) return false;
  const double inv = 1.0 / det;
  double r[3][3] = {
      {c00 * inv, c01 * inv, c02 * inv},
      {(m12 * m20 - m10 * m22) * inv, (m00 * m22 - m02 * m20) * inv, (m02 * m10 - m00 * m12) * inv},
      {(m10 * m21 - m11 * m20) * inv, (m01 * m20 - m00 * m21) * inv, (m00 * m11 - m01 * m10) * inv},
  };
  RMMatrix result;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) result.m[i][j] = static_cast<float>(r[i][j]);
  const double t[3] = {a.m[3][0], a.m[3][1], a.m[3][2]};
  for (int j = 0; j < 3; ++j)
    result.m[3][j] = static_cast<float>(-(t[0] * r[0][j] + t[1] * r[1][j] + t[2] * r[2][j]));
  if (!result.IsFinite()) return false;
  *out = result;
  return true;
}

bool OrientationFromVectors(const RMVector& dir, const RMVector& up, RMMatrix* out) {
  RMVector z, x;
  if (!Normalize(dir, &z)) return false;
  if (!Normalize(Cross(up, z), &x)) return false;
  RMMatrix r;
  r.SetRow(0, x);
  r.SetRow(1, Cross(z, x));
  r.SetRow(2, z);
  r.SetTranslation({0, 0, 0});
  *out = r;
  return true;
}
