// Clipping, as tables: polygons cut by the front, back and side planes in
// camera space, and whole triangles through a viewport (crossing the front
// plane, behind the camera, beyond the back plane, out to a side).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "graphics/pixel_format.h"
#include "graphics/surface.h"
#include "scene3d/clip.h"
#include "scene3d/rm.h"
#include "tests/support/scene_fixtures.h"

namespace {

ClipVertex P(float x, float y, float z, float u = 0, float v = 0) {
  ClipVertex p;
  p.x = x;
  p.y = y;
  p.z = z;
  p.u = u;
  p.v = v;
  return p;
}

TEST(SceneClip, PolygonsAreCutByEachPlane) {
  ClipPlanes planes;
  planes.front = 1;
  planes.back = 100;
  planes.kx = planes.ky = 1;  // sides at 45 degrees
  struct Case {
    const char* what;
    ClipVertex in[3];
    std::vector<ClipVertex> out;
  };
  const Case cases[] = {
      {"wholly inside", {P(0, 0, 5), P(1, 0, 5), P(0, 1, 5)}, {P(0, 0, 5), P(1, 0, 5), P(0, 1, 5)}},
      {"two corners behind the front plane", {P(0, 0, 3), P(2, 0, -1, 8, 0), P(0, 2, -1, 0, 8)},
       {P(0, 1, 1, 0, 4), P(0, 0, 3), P(1, 0, 1, 4, 0)}},
      {"one corner behind the front plane", {P(0, 0, 0), P(2, 0, 5), P(0, 2, 5)},
       {P(0, 0.4f, 1), P(0.4f, 0, 1), P(2, 0, 5), P(0, 2, 5)}},
      {"behind the camera", {P(0, 0, -5), P(1, 0, -5), P(0, 1, -6)}, {}},
      {"beyond the back plane", {P(0, 0, 150), P(10, 0, 150), P(0, 10, 101)}, {}},
      {"crossing the back plane", {P(0, 0, 90), P(10, 0, 110), P(0, 10, 110)},
       {P(0, 5, 100), P(0, 0, 90), P(5, 0, 100)}},
      {"out to the right side", {P(0, 0, 10), P(30, 0, 10, 3, 0), P(0, 5, 10)},
       {P(0, 0, 10), P(10, 0, 10, 1, 0), P(10, 5.0f - 5.0f / 3.0f, 10, 1, 0), P(0, 5, 10)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    uint32_t orCode = 0, andCode = ~0u;
    for (const ClipVertex& p : c.in) {
      orCode |= ClipOutcode(p, planes);
      andCode &= ClipOutcode(p, planes);
    }
    ClipVertex out[kMaxClipVertices];
    const int n = ClipPolygon(c.in, 3, planes, orCode, out);
    ASSERT_EQ(n, int(c.out.size()));
    if (c.out.empty()) {
      EXPECT_NE(andCode, 0u);  // the cheap test already says so
    }
    for (int i = 0; i < n; ++i) {
      EXPECT_NEAR(out[i].x, c.out[i].x, 1e-5f) << "corner " << i;
      EXPECT_NEAR(out[i].y, c.out[i].y, 1e-5f) << "corner " << i;
      EXPECT_NEAR(out[i].z, c.out[i].z, 1e-5f) << "corner " << i;
      EXPECT_NEAR(out[i].u, c.out[i].u, 1e-5f) << "corner " << i;
      EXPECT_NEAR(out[i].v, c.out[i].v, 1e-5f) << "corner " << i;
    }
  }
}

// Two triangles sharing an edge that crosses the front plane, walked in
// opposite directions, get the same new corner to the last bit (else a
// crack could open between them).
TEST(SceneClip, SharedEdgesAreCutIdentically) {
  ClipPlanes planes;
  planes.front = 1.3f;
  planes.back = 5000;
  planes.kx = planes.ky = 3;
  const ClipVertex p = P(0.37f, -0.91f, 7.13f, 0.1f, 0.2f), q = P(-0.55f, 0.23f, -2.9f, 5.3f, 1.1f);
  const ClipVertex first[3] = {p, q, P(2.1f, 0.7f, 9.5f)};
  const ClipVertex second[3] = {q, p, P(-3.3f, -1.7f, 6.1f)};
  ClipVertex a[kMaxClipVertices], b[kMaxClipVertices];
  const int na = ClipPolygon(first, 3, planes, kClipFront, a);
  const int nb = ClipPolygon(second, 3, planes, kClipFront, b);
  auto onFront = [](const ClipVertex* v, int n) {
    for (int i = 0; i < n; ++i)
      if (v[i].z == 1.3f && v[i].x < 0.37f && v[i].x > -0.55f) return v[i];
    return ClipVertex();
  };
  const ClipVertex ca = onFront(a, na), cb = onFront(b, nb);
  EXPECT_EQ(ca.z, 1.3f);
  EXPECT_EQ(std::memcmp(&ca, &cb, sizeof ca), 0);
}

// Whole triangles through a viewport, camera at the origin looking along +z.
TEST(SceneClip, TrianglesThroughAViewport) {
  const int live = RMLiveObjectCount();
  auto screen = std::make_unique<FixtureDevice>(64, 48);
  DDSurface& surface = screen->Surface();
  RMFrame* scene = RMGetD3DRM()->CreateFrame(nullptr);
  RMViewportRecord* view = RMCreateViewport(screen->Device(), scene, 8, 8, 48, 32);
  ASSERT_NE(view, nullptr);
  RMViewport* viewport = RMGetViewportHandle(view);
  EXPECT_EQ(viewport->GetBack(), 5000.0f);

  struct Case {
    const char* what;
    RMVector a, b, c;  // clockwise seen from the camera
    int clipped, rejected, backFaces;
    bool drawsSomething;
  };
  const Case cases[] = {
      {"in view", {-1, -1, 5}, {0, 1, 5}, {1, -1, 5}, 0, 0, 0, true},
      {"crossing the front plane", {-1, -1, 0.2f}, {0, 1, 5}, {1, -1, 5}, 1, 0, 0, true},
      {"behind the camera", {-1, -1, -5}, {0, 1, -5}, {1, -1, -5}, 0, 0, 1, false},
      {"behind the camera, turned to it", {1, -1, -5}, {0, 1, -5}, {-1, -1, -5}, 0, 1, 0, false},
      {"beyond the back plane", {-900, -900, 5100}, {0, 900, 5100}, {900, -900, 5100}, 0, 1, 0, false},
      {"crossing the back plane", {-900, -900, 4000}, {0, 900, 6000}, {900, -900, 6000}, 1, 0, 0, true},
      {"far out to the side", {5000, -1, 5}, {5001, 1, 5}, {5002, -1, 5}, 0, 1, 0, false},
      {"wider than the view", {-50, -50, 5}, {0, 50, 5}, {50, -50, 5}, 0, 0, 0, true},
      {"far wider than the view", {-5000, -50, 5}, {0, 5000, 5}, {5000, -50, 5}, 1, 0, 0, true},
      {"seen from behind", {1, -1, 5}, {0, 1, 5}, {-1, -1, 5}, 0, 0, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // A speck in view (too small to cover a pixel) keeps the mesh from
    // being skipped whole, so that the triangle itself meets the planes.
    RMMesh* mesh = RMMesh::Create();
    ASSERT_EQ(mesh->SetGeometry({c.a, c.b, c.c, {0, 0, 10}, {0, 1e-4f, 10}, {1e-4f, 0, 10}}, {},
                                {RMTriangle{{0, 1, 2}, 0}, RMTriangle{{3, 4, 5}, 0}}),
              kRMOk);
    RMFrame* holder = RMFrame::Create(scene);
    holder->AddVisual(mesh);
    mesh->Release();
    for (int y = 0; y < 48; ++y) std::memset(surface.Row(y), 77, 64);
    ASSERT_EQ(RMRender(view, nullptr), kRMOk);
    const RMRenderStats& s = viewport->GetLastStats();
    EXPECT_EQ(s.trianglesClipped, c.clipped);
    EXPECT_EQ(s.trianglesRejected, c.rejected);
    EXPECT_EQ(s.backFaces, c.backFaces);
    EXPECT_EQ(s.pixelsWritten > 0, c.drawsSomething);
    // Only the viewport's rectangle is touched.
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x)
        if (x < 8 || x >= 56 || y < 8 || y >= 40) {
          ASSERT_EQ(surface.Row(y)[x], 77) << x << "," << y;
        }
    EXPECT_EQ(s.meshesCulled, 0);
    if (std::string(c.what).find("wider") != std::string::npos) {
      EXPECT_EQ(s.pixelsWritten, 48 * 32);
    }
    scene->DeleteChild(holder);
    holder->Release();
  }
  // Without the speck, a mesh wholly out of view is skipped before its
  // triangles are looked at.
  RMMesh* behind = RMMesh::Create();
  behind->SetGeometry({{-1, -1, -5}, {0, 1, -5}, {1, -1, -5}}, {}, {RMTriangle{{0, 1, 2}, 0}});
  scene->AddVisual(behind);
  behind->Release();
  RMRender(view, nullptr);
  EXPECT_EQ(viewport->GetLastStats().meshesCulled, 1);
  EXPECT_EQ(viewport->GetLastStats().triangles, 0);

  RMReleaseViewport(view);
  scene->Release();
  screen.reset();
  EXPECT_EQ(RMLiveObjectCount(), live);
}

}  // namespace
