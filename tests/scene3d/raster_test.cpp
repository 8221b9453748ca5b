// The rasteriser: which pixels a triangle covers (against a plain
// per-pixel test of the same rule), shared edges drawn exactly once, the
// depth test, perspective-correct texturing and decals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "scene3d/raster.h"
#include "tests/support/scene_fixtures.h"

namespace {

constexpr int kW = 96, kH = 64;

struct Canvas {
  std::vector<uint8_t> pixels = std::vector<uint8_t>(kW * kH, 0);
  std::vector<float> depth = std::vector<float>(kW * kH, 0.0f);
  RasterTarget Target() { return WholeTarget(pixels.data(), depth.data(), kW, kH); }
  uint8_t At(int x, int y) const { return pixels[size_t(y) * kW + x]; }
};

RasterVertex V(double x, double y, float invz = 1.0f, float s = 0, float t = 0) {
  RasterVertex v;
  v.x = int32_t(std::lround(x * kSubpixelScale));
  v.y = int32_t(std::lround(y * kSubpixelScale));
  v.invz = invz;
  v.s = s;
  v.t = t;
  return v;
}

// The rule written the plain way: the pixel centre lies inside, or on a top
// or left edge of a clockwise (on screen) triangle.
bool Covers(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c, int px, int py) {
  const int64_t cx = int64_t(px) * 16 + 8, cy = int64_t(py) * 16 + 8;
  const RasterVertex* v[3] = {&a, &b, &c};
  const int64_t area = (int64_t(b.x) - a.x) * (c.y - a.y) - (int64_t(b.y) - a.y) * (c.x - a.x);
  if (area <= 0) return false;
  for (int i = 0; i < 3; ++i) {
    const RasterVertex& p = *v[i];
    const RasterVertex& q = *v[(i + 1) % 3];
    const int64_t dx = q.x - p.x, dy = q.y - p.y;
    const int64_t e = dx * (cy - p.y) - dy * (cx - p.x);
    const bool topLeft = dy < 0 || (dy == 0 && dx > 0);
    if (e < 0 || (e == 0 && !topLeft)) return false;
  }
  return true;
}

std::vector<int> Coverage(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c,
                          int left = 0, int top = 0, int right = kW, int bottom = kH) {
  std::vector<int> hits(kW * kH, 0);
  ForEachTriangleSpan(a, b, c, left, top, right, bottom, [&](int y, int x0, int x1) {
    for (int x = x0; x < x1; ++x) ++hits[size_t(y) * kW + x];
  });
  return hits;
}

uint32_t g_seed = 1;
double Rand(double lo, double hi) {
  g_seed = g_seed * 1103515245u + 12345u;
  return lo + (hi - lo) * double((g_seed >> 8) & 0xFFFF) / 65535.0;
}

TEST(SceneRaster, CoverageFollowsTheTopLeftRule) {
  struct Tri {
    const char* what;
    RasterVertex a, b, c;
  };
  std::vector<Tri> tris = {
      {"right angle on pixel centres", V(10.5, 10.5), V(30.5, 10.5), V(10.5, 30.5)},
      {"edges on pixel edges", V(10, 10), V(30, 10), V(10, 30)},
      {"flat bottom", V(20, 5), V(40, 25), V(2, 25)},
      {"sliver", V(1, 1), V(90, 3), V(1, 1.2)},
      {"tall thin", V(50.5, 0.5), V(51.5, 60.5), V(50.5, 60.5)},
      {"poking out of the target", V(-30, -10), V(140, 20), V(-5, 90)},
      {"degenerate", V(5, 5), V(20, 20), V(35, 35)},
      {"counter-clockwise", V(10, 10), V(10, 30), V(30, 10)},
  };
  g_seed = 7;
  for (int i = 0; i < 300; ++i)
    tris.push_back({"random", V(Rand(-10, 106), Rand(-10, 74)), V(Rand(-10, 106), Rand(-10, 74)),
                    V(Rand(-10, 106), Rand(-10, 74))});
  for (const Tri& t : tris) {
    SCOPED_TRACE(t.what);
    const std::vector<int> hits = Coverage(t.a, t.b, t.c);
    int mismatches = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        mismatches += hits[size_t(y) * kW + x] != int(Covers(t.a, t.b, t.c, x, y));
    EXPECT_EQ(mismatches, 0);
  }
  // Cut to a rectangle: nothing outside it.
  const std::vector<int> cut = Coverage(V(-30, -10), V(140, 20), V(-5, 90), 20, 10, 50, 30);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      if (x < 20 || x >= 50 || y < 10 || y >= 30) {
        ASSERT_EQ(cut[size_t(y) * kW + x], 0);
      }
  EXPECT_EQ(cut[size_t(20) * kW + 30], 1);
}

// A square cut into triangles round inner points (a fan, and a grid with
// random corners): every pixel of the square is drawn exactly once.
TEST(SceneRaster, SharedEdgesAreDrawnOnce) {
  g_seed = 99;
  for (int round = 0; round < 20; ++round) {
    std::vector<int> hits(kW * kH, 0);
    auto add = [&](const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) {
      ForEachTriangleSpan(a, b, c, 0, 0, kW, kH, [&](int y, int x0, int x1) {
        for (int x = x0; x < x1; ++x) ++hits[size_t(y) * kW + x];
      });
    };
    // Grid corners jittered inside the square; the square's own border kept.
    const int n = 4;
    RasterVertex grid[n + 1][n + 1];
    for (int j = 0; j <= n; ++j)
      for (int i = 0; i <= n; ++i) {
        const bool border = i == 0 || j == 0 || i == n || j == n;
        grid[j][i] = V(8 + i * 20 + (border ? 0 : Rand(-7, 7)), 2 + j * 15 + (border ? 0 : Rand(-5, 5)));
      }
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i) {
        const RasterVertex &p = grid[j][i], &q = grid[j][i + 1], &r = grid[j + 1][i + 1],
                           &s = grid[j + 1][i];
        if ((i + j + round) % 2) {
          add(p, q, r);
          add(p, r, s);
        } else {
          add(p, q, s);
          add(q, r, s);
        }
      }
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const bool inside = x >= 8 && x < 88 && y >= 2 && y < 62;
        ASSERT_EQ(hits[size_t(y) * kW + x], inside ? 1 : 0) << "pixel " << x << "," << y;
      }
  }
}

TEST(SceneRaster, NearerWinsAndTheFirstOfEqualsStays) {
  Canvas c;
  const RasterTarget t = c.Target();
  EXPECT_GT(RasterFlatTriangle(t, V(0, 0, 0.1f), V(60, 0, 0.1f), V(0, 60, 0.1f), 10), 0);
  // Nearer (1/z larger) covers it; farther does not; equal does not.
  RasterFlatTriangle(t, V(0, 0, 0.5f), V(20, 0, 0.5f), V(0, 20, 0.5f), 20);
  RasterFlatTriangle(t, V(0, 0, 0.05f), V(40, 0, 0.05f), V(0, 40, 0.05f), 30);
  RasterFlatTriangle(t, V(0, 0, 0.1f), V(60, 0, 0.1f), V(0, 60, 0.1f), 40);
  EXPECT_EQ(c.At(2, 2), 20);
  EXPECT_EQ(c.At(25, 5), 10);
  EXPECT_FLOAT_EQ(c.depth[size_t(5) * kW + 25], 0.1f);
  EXPECT_EQ(c.At(70, 5), 0);
  // Depth varies over a slanted triangle: the far half of a crossing
  // triangle stays hidden.
  Canvas d;
  const RasterTarget td = d.Target();
  RasterFlatTriangle(td, V(0, 0, 0.3f), V(90, 0, 0.3f), V(0, 60, 0.3f), 1);
  RasterFlatTriangle(td, V(0, 0, 0.1f), V(90, 0, 0.5f), V(0, 60, 0.1f), 2);
  EXPECT_EQ(d.At(80, 2), 2);  // 1/z near 0.48 there
  EXPECT_EQ(d.At(5, 30), 1);  // 1/z near 0.1 there
}

// A floor square seen in perspective: each pixel shows the texel that the
// exact perspective division gives (within one texel where the steps of
// kPerspectiveStep pixels approximate it), where straight interpolation is
// far off.
TEST(SceneRaster, TexturesArePerspectiveCorrect) {
  std::vector<uint8_t> texels(64 * 64);
  for (int v = 0; v < 64; ++v)
    for (int u = 0; u < 64; ++u) texels[size_t(v) * 64 + u] = uint8_t(v);  // row number
  uint8_t identity[256];
  for (int i = 0; i < 256; ++i) identity[i] = uint8_t(i);
  RasterTexture tex;
  tex.texels = texels.data();
  tex.pitch = 64;
  tex.width = tex.height = 64;
  tex.shade = identity;
  // Corners at depths 1 (bottom) and 8 (top): texture rows 0 at the top.
  const float zNear = 1.0f, zFar = 8.0f;
  auto corner = [&](double x, double y, float z, float u, float v, bool persp) {
    return V(x, y, 1.0f / z, persp ? u / z : u, persp ? v / z : v);
  };
  for (bool persp : {true, false}) {
    Canvas c;
    const RasterTarget t = c.Target();
    const RasterVertex tl = corner(40, 4, zFar, 0, 0, persp), tr = corner(56, 4, zFar, 64, 0, persp),
                       br = corner(94, 60, zNear, 64, 64, persp), bl = corner(2, 60, zNear, 0, 64, persp);
    RasterTexturedTriangle(t, tl, tr, br, tex, persp);
    RasterTexturedTriangle(t, tl, br, bl, tex, persp);
    int worst = 0;
    for (int y = 5; y < 59; ++y) {
      // Exact: screen row y + 0.5 between the edges is at 1/z interpolated.
      const double f = (y + 0.5 - 4) / 56.0;
      const double invz = (1 - f) / zFar + f / zNear;
      const double v = (f / zNear * 64) / invz;
      const int x = 48;  // the middle column, inside on every row
      worst = std::max(worst, std::abs(int(c.At(x, y)) - int(std::floor(v))));
    }
    if (persp)
      EXPECT_LE(worst, 1);
    else
      EXPECT_GE(worst, 10);
  }
}

TEST(SceneRaster, DecalsLeaveOutTheirTransparentColour) {
  // A 4 x 4 picture: a border of index 7 round transparent index 1.
  const uint8_t texels[16] = {7, 7, 7, 7, 7, 1, 1, 7, 7, 1, 1, 7, 7, 7, 7, 7};
  uint8_t shade[256];
  for (int i = 0; i < 256; ++i) shade[i] = uint8_t(i + 100);
  uint8_t transparent[256] = {};
  transparent[1] = 1;
  RasterTexture tex;
  tex.texels = texels;
  tex.pitch = 4;
  tex.width = tex.height = 4;
  tex.shade = shade;
  tex.transparent = transparent;
  Canvas c;
  std::fill(c.pixels.begin(), c.pixels.end(), 3);
  const RasterTarget t = c.Target();
  // 4 x 4 texels stretched over 16 x 16 pixels at (10, 10).
  EXPECT_EQ(RasterDecal(t, RasterRect{10, 10, 26, 26}, 0.5f, tex), 16 * 16 - 8 * 8);
  EXPECT_EQ(c.At(10, 10), 107);
  EXPECT_EQ(c.At(25, 25), 107);
  EXPECT_EQ(c.At(17, 17), 3);  // seen through
  EXPECT_EQ(c.At(9, 10), 3);
  EXPECT_EQ(c.At(26, 10), 3);
  // Behind something nearer: hidden; half off the target: cut.
  Canvas d;
  const RasterTarget td = d.Target();
  RasterFlatTriangle(td, V(0, 0, 0.9f), V(40, 0, 0.9f), V(0, 40, 0.9f), 5);
  EXPECT_EQ(RasterDecal(td, RasterRect{0, 0, 16, 16}, 0.5f, tex), 0);
  EXPECT_EQ(d.At(0, 0), 5);
  RasterDecal(td, RasterRect{-8, 50, 8, 66}, 0.5f, tex);
  EXPECT_EQ(d.At(1, 62), 107);
  EXPECT_EQ(d.At(2, 56), 0);  // transparent: what was there (nothing) stays
}

}  // namespace
