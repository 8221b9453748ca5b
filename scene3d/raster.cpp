#include "scene3d/raster.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// A value interpolated over the triangle: c + dx * x + dy * y, x and y in
// pixels. Set up in double from the exact vertex positions.
struct Plane {
  double c = 0, dx = 0, dy = 0;
  double At(double x, double y) const { return c + dx * x + dy * y; }
};

struct Setup {
  double x[3], y[3], det;
};

Setup MakeSetup(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) {
  Setup s;
  const RasterVertex* v[3] = {&a, &b, &c};
  for (int i = 0; i < 3; ++i) {
    s.x[i] = v[i]->x / double(kSubpixelScale);
    s.y[i] = v[i]->y / double(kSubpixelScale);
  }
  s.det = (s.x[1] - s.x[0]) * (s.y[2] - s.y[0]) - (s.x[2] - s.x[0]) * (s.y[1] - s.y[0]);
  return s;
}

Plane MakePlane(const Setup& s, double a0, double a1, double a2) {
  Plane p;
  p.dx = ((a1 - a0) * (s.y[2] - s.y[0]) - (a2 - a0) * (s.y[1] - s.y[0])) / s.det;
  p.dy = ((a2 - a0) * (s.x[1] - s.x[0]) - (a1 - a0) * (s.x[2] - s.x[0])) / s.det;
  p.c = a0 - p.dx * s.x[0] - p.dy * s.y[0];
  return p;
}

// Texel coordinate to 16.16 fixed point, held within a range where the
// stepping below cannot overflow (a NaN becomes the low end).
constexpr double kFixedLimit = double(int64_t(1) << 46);
inline int64_t ToFixed(double texels) {
  double f = texels * 65536.0;
  f = f > -kFixedLimit ? f : -kFixedLimit;  // a NaN fails the test and becomes the low end
  f = f < kFixedLimit ? f : kFixedLimit;
  // Floor without a library call: truncate, then step down for negatives
  // with a fraction (texel positions are mostly positive: they skip that).
  const int64_t i = static_cast<int64_t>(f);
  if (f >= 0) return i;
  return i - (double(i) > f ? 1 : 0);
}

// Pixels x0 .. x0 + n - 1 of a textured row: depth and the fixed texel
// position step straight along. Returns the pixels written.
struct TexturedRun {
  const uint8_t* texels;
  const uint8_t* shade;
  int64_t pitch, wmask, hmask;
  float diz;
};

inline int64_t DrawRun(const TexturedRun& t, uint8_t* row, float* zrow, int x0, int n, float iz,
                       int64_t fu, int64_t fv, int64_t dfu, int64_t dfv) {
  int64_t written = 0;
  for (int x = x0; x < x0 + n; ++x) {
    if (iz > zrow[x]) {
      row[x] = t.shade[t.texels[((fv >> 16) & t.hmask) * t.pitch + ((fu >> 16) & t.wmask)]];
      zrow[x] = iz;
      ++written;
    }
    iz += t.diz;
    fu += dfu;
    fv += dfv;
  }
  return written;
}

// a / n rounded toward zero, as the division, for 0 < n < kPerspectiveStep
// and |a| < 2^61 (texel positions are held within 2^46): a multiply by the
// reciprocal rounded up, whose error stays below what could carry the
// quotient past a whole number.
inline int64_t DivideShortRun(int64_t a, int n) {
  static_assert(kPerspectiveStep == 8, "a reciprocal for every short run");
  static constexpr uint64_t kReciprocal[kPerspectiveStep] = {
      0, 0, ~uint64_t(0) / 2 + 1, ~uint64_t(0) / 3 + 1, ~uint64_t(0) / 4 + 1,
      ~uint64_t(0) / 5 + 1, ~uint64_t(0) / 6 + 1, ~uint64_t(0) / 7 + 1};
  if (n == 1) return a;
  const uint64_t m = a < 0 ? uint64_t(0) - uint64_t(a) : uint64_t(a);
  const uint64_t q = uint64_t((static_cast<unsigned __int128>(m) * kReciprocal[n]) >> 64);
  return a < 0 ? -int64_t(q) : int64_t(q);
}

float SafeReciprocal(float v) {
  // Depth is positive inside the view; rounding at a far corner must not
  // turn it into a division by zero.
  return v > 1e-30f ? 1.0f / v : 1e30f;
}

}  // namespace

int64_t RasterFlatTriangle(const RasterTarget& target, const RasterVertex& a,
                           const RasterVertex& b, const RasterVertex& c, uint8_t colour) {
  const Setup s = MakeSetup(a, b, c);
  if (!(s.det > 0)) return 0;
  const Plane pz = MakePlane(s, a.invz, b.invz, c.invz);
  const float diz = static_cast<float>(pz.dx);
  int64_t written = 0;
  ForEachTriangleSpan(a, b, c, target.left, target.top, target.right, target.bottom,
                      [&](int y, int x0, int x1) {
                        uint8_t* row = target.pixels + static_cast<std::ptrdiff_t>(y) * target.pitch;
                        float* zrow = target.depth + static_cast<std::ptrdiff_t>(y) * target.depthPitch;
                        float iz = static_cast<float>(pz.At(x0 + 0.5, y + 0.5));
                        for (int x = x0; x < x1; ++x) {
                          if (iz > zrow[x]) {
                            zrow[x] = iz;
                            row[x] = colour;
                            ++written;
                          }
                          iz += diz;
                        }
                      });
  return written;
}

// A row of a perspective-correct triangle with the exact texel positions
// at the start and at the end of its first run worked out: the reciprocals
// and conversions of one row are done before the row above it is drawn, so
// that they overlap with its drawing instead of holding up every short row.
struct PerspectiveRow {
  int y, x0, x1, n;          // n: the first run's length
  float iz, izEnd, sz, tz;   // 1 / z at the start and the end of the first run; s / z, t / z at its end
  int64_t fu, fv, fuEnd, fvEnd;
};

int64_t RasterTexturedTriangle(const RasterTarget& target, const RasterVertex& a,
                               const RasterVertex& b, const RasterVertex& c,
                               const RasterTexture& texture, bool perspective) {
  const Setup s = MakeSetup(a, b, c);
  if (!(s.det > 0)) return 0;
  const Plane pz = MakePlane(s, a.invz, b.invz, c.invz);
  const Plane ps = MakePlane(s, a.s, b.s, c.s);
  const Plane pt = MakePlane(s, a.t, b.t, c.t);
  const float diz = static_cast<float>(pz.dx);
  const float dsz = static_cast<float>(ps.dx);
  const float dtz = static_cast<float>(pt.dx);
  const TexturedRun run{texture.texels, texture.shade, texture.pitch, texture.width - 1,
                        texture.height - 1, diz};
  int64_t written = 0;

  if (!perspective) {
    ForEachTriangleSpan(
        a, b, c, target.left, target.top, target.right, target.bottom, [&](int y, int x0, int x1) {
          uint8_t* row = target.pixels + static_cast<std::ptrdiff_t>(y) * target.pitch;
          float* zrow = target.depth + static_cast<std::ptrdiff_t>(y) * target.depthPitch;
          const double cx = x0 + 0.5, cy = y + 0.5;
          written += DrawRun(run, row, zrow, x0, x1 - x0, static_cast<float>(pz.At(cx, cy)),
                             ToFixed(ps.At(cx, cy)), ToFixed(pt.At(cx, cy)), ToFixed(ps.dx), ToFixed(pt.dx));
        });
    return written;
  }

  // Exact texel positions at the ends of every run of kPerspectiveStep
  // pixels, straight steps in between.
  auto begin = [&](PerspectiveRow& r, int y, int x0, int x1) {
    r.y = y;
    r.x0 = x0;
    r.x1 = x1;
    const double cx = x0 + 0.5, cy = y + 0.5;
    r.iz = static_cast<float>(pz.At(cx, cy));
    r.sz = static_cast<float>(ps.At(cx, cy));
    r.tz = static_cast<float>(pt.At(cx, cy));
    const float z = SafeReciprocal(r.iz);
    r.fu = ToFixed(double(r.sz) * z);
    r.fv = ToFixed(double(r.tz) * z);
    r.n = std::min(kPerspectiveStep, x1 - x0);
    if (r.n == 1) {  // one pixel: no step to find, and no run after it
      r.izEnd = r.iz;
      r.fuEnd = r.fu;
      r.fvEnd = r.fv;
      return;
    }
    r.izEnd = r.iz + diz * float(r.n);
    r.sz += dsz * float(r.n);
    r.tz += dtz * float(r.n);
    const float zEnd = SafeReciprocal(r.izEnd);
    r.fuEnd = ToFixed(double(r.sz) * zEnd);
    r.fvEnd = ToFixed(double(r.tz) * zEnd);
  };
  // The end of the next run is worked out before a run is drawn, for the
  // same reason.
  auto draw = [&](PerspectiveRow r) {
    uint8_t* row = target.pixels + static_cast<std::ptrdiff_t>(r.y) * target.pitch;
    float* zrow = target.depth + static_cast<std::ptrdiff_t>(r.y) * target.depthPitch;
    for (int x = r.x0;;) {
      const int xNext = x + r.n;
      const int nNext = std::min(kPerspectiveStep, r.x1 - xNext);
      float izNext = r.izEnd;
      int64_t fuNext = r.fuEnd, fvNext = r.fvEnd;
      // A last run of one pixel needs no step, so not its end either.
      if (nNext > 1) {
        izNext = r.izEnd + diz * float(nNext);
        r.sz += dsz * float(nNext);
        r.tz += dtz * float(nNext);
        const float zNext = SafeReciprocal(izNext);
        fuNext = ToFixed(double(r.sz) * zNext);
        fvNext = ToFixed(double(r.tz) * zNext);
      }
      // Whole runs step by a shift (a floor division), the last one
      // divides (rounding toward zero).
      const int64_t dfu = r.n == kPerspectiveStep ? (r.fuEnd - r.fu) >> kPerspectiveShift
                                                  : DivideShortRun(r.fuEnd - r.fu, r.n);
      const int64_t dfv = r.n == kPerspectiveStep ? (r.fvEnd - r.fv) >> kPerspectiveShift
                                                  : DivideShortRun(r.fvEnd - r.fv, r.n);
      written += DrawRun(run, row, zrow, x, r.n, r.iz, r.fu, r.fv, dfu, dfv);
      if (nNext <= 0) break;
      x = xNext;
      r.n = nNext;
      r.iz = r.izEnd;
      r.fu = r.fuEnd;
      r.fv = r.fvEnd;
      r.izEnd = izNext;
      r.fuEnd = fuNext;
      r.fvEnd = fvNext;
    }
  };
  PerspectiveRow rows[2];
  int pending = -1;
  ForEachTriangleSpan(a, b, c, target.left, target.top, target.right, target.bottom,
                      [&](int y, int x0, int x1) {
                        const int next = pending == 0 ? 1 : 0;
                        begin(rows[next], y, x0, x1);
                        if (pending >= 0) draw(rows[pending]);
                        pending = next;
                      });
  if (pending >= 0) draw(rows[pending]);
  return written;
}

int64_t RasterDecal(const RasterTarget& target, const RasterRect& rect, float invz,
                    const RasterTexture& texture) {
  const float w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (!(w > 0.0f) || !(h > 0.0f) || !std::isfinite(w) || !std::isfinite(h)) return 0;
  // Pixels whose centres lie inside: left edge in, right edge out.
  auto first = [](float edge, int lo, int hi) {
    const double v = std::ceil(double(edge) - 0.5);
    return static_cast<int>(std::clamp(v, double(lo), double(hi)));
  };
  const int x0 = first(rect.left, target.left, target.right);
  const int x1 = first(rect.right, target.left, target.right);
  const int y0 = first(rect.top, target.top, target.bottom);
  const int y1 = first(rect.bottom, target.top, target.bottom);
  if (x0 >= x1 || y0 >= y1) return 0;
  const double uScale = texture.width / double(w), vScale = texture.height / double(h);
  const int64_t du = ToFixed(uScale);
  const int64_t uStart = ToFixed((x0 + 0.5 - rect.left) * uScale);
  const int64_t umax = texture.width - 1, vmax = texture.height - 1;
  const uint8_t* transparent = texture.transparent;
  int64_t written = 0;
  for (int y = y0; y < y1; ++y) {
    const int64_t v = std::clamp<int64_t>(ToFixed((y + 0.5 - rect.top) * vScale) >> 16, 0, vmax);
    const uint8_t* src = texture.texels + v * texture.pitch;
    uint8_t* row = target.pixels + static_cast<std::ptrdiff_t>(y) * target.pitch;
    float* zrow = target.depth + static_cast<std::ptrdiff_t>(y) * target.depthPitch;
    int64_t fu = uStart;
    for (int x = x0; x < x1; ++x, fu += du) {
      const uint8_t texel = src[std::clamp<int64_t>(fu >> 16, 0, umax)];
      if (transparent && transparent[texel]) continue;
      if (invz > zrow[x]) {
        zrow[x] = invz;
        row[x] = texture.shade[texel];
        ++written;
      }
    }
  }
  return written;
}
