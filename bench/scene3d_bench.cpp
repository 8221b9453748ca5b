// The 3D scene layer's speed.
//
// BM_SceneTrackView: one full 640x400 view of a stretch of seven track
// pieces with four skater decals (128 x 128 pictures redrawn every frame,
// as the event redraws them), rendered from a chase camera on the start
// piece. Counter period_pct: the frame's time as a share of the event's
// 100 ms frame period (target under 5).
//
// BM_SceneFillVsBarycentric: the rasteriser's fill of a screen of textured,
// perspective-correct, depth-tested triangles against the plain rasteriser
// a capable engineer would write (edge functions stepped across each
// triangle's box, one reciprocal a triangle and one a pixel), written here
// as the anchor and timed in interleaved batches with ours. Counters: ratio
// (our fastest batch over the anchor's; target at most 0.5) with ratio_lo
// and ratio_hi (the range of the batches' own ratios), and same_pixels (the
// share of equal pixels of the two pictures).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "base/paths.h"
#include "bench/batches.h"
#include "graphics/pixel_format.h"
#include "graphics/surface.h"
#include "scene3d/raster.h"
#include "scene3d/rm.h"
#include "tests/support/scene_fixtures.h"

namespace {

constexpr double kFramePeriodMs = 100.0;

void BM_SceneTrackView(benchmark::State& state) {
  const std::string folder = std::string(KEL_BINARY_DIR) + "/bench-scene3d";
  if (!WriteSceneFixtures(folder)) {
    state.SkipWithError("cannot write the scene fixtures");
    return;
  }
  FixtureDevice screen(640, 400);
  RMDevice* device = screen.Device();
  const PaletteEntry* entries = screen.Entries();
  RMFrame* scene = RMGetD3DRM()->CreateFrame(nullptr);
  RMViewportRecord* view = RMCreateViewport(device, scene, 0, 0, 640, 400);
  RMGetViewportHandle(view)->SetField(0.7f);

  // Seven pieces: start, straight, left turn, straight, right turn, two
  // straights, placed end to end as the track layout places them.
  struct Piece {
    const char* file;
    float x, z;
    int direction;  // 0 +z, 1 -x, 2 -z, 3 +x
  };
  const Piece pieces[] = {{"start.x", 0, 0, 0},     {"sl.x", 0, 128, 0},
                          {"tll.x", 0, 256, 0},     {"sl.x", -128, 384, 1},
                          {"trl.x", -256, 384, 1},  {"sl.x", -384, 512, 0},
                          {"sl.x", -384, 640, 0}};
  const RMVector forward[4] = {{0, 0, 1}, {-1, 0, 0}, {0, 0, -1}, {1, 0, 0}};
  std::vector<RMFrame*> frames;
  for (const Piece& p : pieces) {
    RMFrame* f = RMLoadFrameFromFile(JoinPath(folder, p.file).c_str(), folder.c_str(), scene, 1,
                                     kRMRenderUnlitFlat, 8, 50.0f);
    if (!f) {
      state.SkipWithError(RMLastErrorText().c_str());
      return;
    }
    f->SetPosition(scene, p.x, 0, p.z);
    const RMVector& d = forward[p.direction];
    f->SetOrientation(scene, d.x, d.y, d.z, 0, 1, 0);
    frames.push_back(f);
  }
  // Four skaters on the start piece, each a 16 x 16 decal of a 128 x 128
  // picture.
  std::vector<RMImage*> pictures, images;
  std::vector<RMTexture*> textures;
  for (int p = 0; p < 4; ++p) {
    pictures.push_back(MakeFigureImage(128, p));
    images.push_back(RMCreateImage(128, 128, entries));
    RMTexture* texture = RMCreateTexture(images.back());
    RMFrame* decal = RMCreateDecalFrame(texture, 16, 16, scene, 1, RMColorRGB(0, 255, 0));
    textures.push_back(texture);
    texture->Release();  // the decal frame holds it
    decal->SetPosition(scene, -20.0f + 10.0f * p, 0, 30.0f + 8.0f * p);
    frames.push_back(decal);
  }
  RMFrame* camera = RMGetCameraHandle(view);
  camera->SetPosition(scene, -10, 12.5f, 2);
  camera->SetOrientation(scene, 0, -12.5f, 28, 0, 1, 0);

  auto frame = [&] {
    for (size_t p = 0; p < images.size(); ++p) {
      std::memcpy(images[p]->pixels, pictures[p]->pixels, images[p]->storage.size());
      textures[p]->Changed(1, 0);
    }
    RMRender(view, nullptr);
    RMUpdateDevice(device);
  };
  double seconds = 0;
  int64_t count = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    frame();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    ++count;
    benchmark::ClobberMemory();
  }
  const double ms = seconds * 1000.0 / double(count ? count : 1);
  state.counters["frame_ms"] = ms;
  state.counters["period_pct"] = ms / kFramePeriodMs * 100.0;
  state.counters["triangles"] = RMGetViewportHandle(view)->GetLastStats().trianglesDrawn;

  for (RMFrame* f : frames) f->Release();
  for (RMImage* i : pictures) RMFreeImage(i);
  for (RMImage* i : images) RMFreeImage(i);
  RMReleaseViewport(view);
  scene->Release();
}

BENCHMARK(BM_SceneTrackView)->Unit(benchmark::kMillisecond);

// A screen of triangles: a floor receding from the bottom of the screen to
// the top, in cells of 16 x 16 pixels, each cell two triangles.
struct FillScene {
  static constexpr int kW = 640, kH = 400, kCell = 16;
  std::vector<uint8_t> pixels = std::vector<uint8_t>(kW * kH);
  std::vector<float> depth = std::vector<float>(kW * kH);
  std::vector<uint8_t> texels = std::vector<uint8_t>(64 * 64);
  uint8_t shade[256];
  std::vector<RasterVertex> corners;  // three per triangle

  FillScene() {
    for (int i = 0; i < 64 * 64; ++i) texels[i] = uint8_t((i * 37) ^ (i >> 6));
    for (int i = 0; i < 256; ++i) shade[i] = uint8_t(255 - i);
    auto corner = [](int x, int y) {
      RasterVertex v;
      v.x = x * kSubpixelScale;
      v.y = y * kSubpixelScale;
      const float z = 1.0f + float(kH - y) * 0.02f;  // farther up the screen
      v.invz = 1.0f / z;
      v.s = float(x) * 0.25f * z * v.invz * 4.0f;   // texels: one texel per pixel at the bottom
      v.t = float(y) * 0.25f * z * v.invz * 4.0f;
      return v;
    };
    for (int y = 0; y < kH; y += kCell)
      for (int x = 0; x < kW; x += kCell) {
        const RasterVertex a = corner(x, y), b = corner(x + kCell, y),
                           c = corner(x + kCell, y + kCell), d = corner(x, y + kCell);
        corners.insert(corners.end(), {a, b, c, a, c, d});
      }
  }
  RasterTarget Target() { return WholeTarget(pixels.data(), depth.data(), kW, kH); }
  RasterTexture Texture() {
    RasterTexture t;
    t.texels = texels.data();
    t.pitch = 64;
    t.width = t.height = 64;
    t.shade = shade;
    return t;
  }
};

int64_t FillOurs(FillScene& f) {
  std::memset(f.depth.data(), 0, f.depth.size() * sizeof(float));
  const RasterTarget target = f.Target();
  const RasterTexture tex = f.Texture();
  int64_t written = 0;
  for (size_t i = 0; i < f.corners.size(); i += 3)
    written += RasterTexturedTriangle(target, f.corners[i], f.corners[i + 1], f.corners[i + 2], tex,
                                      true);
  return written;
}

// The anchor: the plain rasteriser a capable engineer would write. Per
// triangle: the three edge functions and the planes of 1 / z, s / z and
// t / z, with one reciprocal of the area; per row the edge functions are
// evaluated once at the box's first pixel and stepped across it; per
// covered pixel the depth test and one reciprocal of 1 / z for the
// perspective-correct texel. Pixels on an edge belong to the triangle for
// which it is a top or left edge, as in ours.
struct AnchorTarget {
  std::vector<uint8_t> pixels = std::vector<uint8_t>(FillScene::kW * FillScene::kH);
  std::vector<float> depth = std::vector<float>(FillScene::kW * FillScene::kH);
};

int64_t FillAnchor(const FillScene& f, AnchorTarget& out) {
  std::memset(out.depth.data(), 0, out.depth.size() * sizeof(float));
  int64_t written = 0;
  for (size_t i = 0; i < f.corners.size(); i += 3) {
    const RasterVertex* v = &f.corners[i];
    float x[3], y[3];
    for (int k = 0; k < 3; ++k) {
      x[k] = float(v[k].x) / kSubpixelScale;
      y[k] = float(v[k].y) / kSubpixelScale;
    }
    // Edge k runs from corner k + 1 to corner k + 2 and is 0 at corner k's
    // opposite side: e(px, py) = a * px + b * py + c, positive inside.
    float ea[3], eb[3], ec[3];
    bool topLeft[3];
    for (int k = 0; k < 3; ++k) {
      const int p = (k + 1) % 3, q = (k + 2) % 3;
      ea[k] = -(y[q] - y[p]);
      eb[k] = x[q] - x[p];
      ec[k] = -(ea[k] * x[p] + eb[k] * y[p]);
      topLeft[k] = y[q] < y[p] || (y[q] == y[p] && x[q] > x[p]);
    }
    const float area = ea[0] * x[0] + eb[0] * y[0] + ec[0];
    if (!(area > 0)) continue;
    const float inv = 1.0f / area;
    // The planes of 1 / z, s / z, t / z: value = w0 * a0 + w1 * a1 + w2 * a2, over the area.
    auto plane = [&](float a0, float a1, float a2, float* dx, float* dy, float* c) {
      *dx = (ea[0] * a0 + ea[1] * a1 + ea[2] * a2) * inv;
      *dy = (eb[0] * a0 + eb[1] * a1 + eb[2] * a2) * inv;
      *c = (ec[0] * a0 + ec[1] * a1 + ec[2] * a2) * inv;
    };
    float zx, zy, zc, sx, sy, sc, tx, ty, tc;
    plane(v[0].invz, v[1].invz, v[2].invz, &zx, &zy, &zc);
    plane(v[0].s, v[1].s, v[2].s, &sx, &sy, &sc);
    plane(v[0].t, v[1].t, v[2].t, &tx, &ty, &tc);
    const int x0 = std::max(0, int(std::floor(std::min({x[0], x[1], x[2]}))));
    const int x1 = std::min(FillScene::kW, int(std::ceil(std::max({x[0], x[1], x[2]}))));
    const int y0 = std::max(0, int(std::floor(std::min({y[0], y[1], y[2]}))));
    const int y1 = std::min(FillScene::kH, int(std::ceil(std::max({y[0], y[1], y[2]}))));
    for (int py = y0; py < y1; ++py) {
      const float cx = x0 + 0.5f, cy = py + 0.5f;
      float w[3];
      for (int k = 0; k < 3; ++k) w[k] = ea[k] * cx + eb[k] * cy + ec[k];
      float iz = zx * cx + zy * cy + zc, sz = sx * cx + sy * cy + sc, tz = tx * cx + ty * cy + tc;
      uint8_t* row = out.pixels.data() + size_t(py) * FillScene::kW;
      float* zrow = out.depth.data() + size_t(py) * FillScene::kW;
      for (int px = x0; px < x1; ++px) {
        const bool inside = (w[0] > 0 || (w[0] == 0 && topLeft[0])) && (w[1] > 0 || (w[1] == 0 && topLeft[1])) &&
                            (w[2] > 0 || (w[2] == 0 && topLeft[2]));
        if (inside && iz > zrow[px]) {
          const float z = 1.0f / iz;
          const int u = int(std::floor(sz * z)), t = int(std::floor(tz * z));
          row[px] = f.shade[f.texels[size_t(t & 63) * 64 + (u & 63)]];
          zrow[px] = iz;
          ++written;
        }
        for (int k = 0; k < 3; ++k) w[k] += ea[k];
        iz += zx;
        sz += sx;
        tz += tx;
      }
    }
  }
  return written;
}

void BM_SceneFillVsBarycentric(benchmark::State& state) {
  FillScene f;
  AnchorTarget anchor;
  const int64_t ours = FillOurs(f);
  const int64_t theirs = FillAnchor(f, anchor);
  size_t same = 0;
  for (size_t i = 0; i < f.pixels.size(); ++i) same += f.pixels[i] == anchor.pixels[i];
  // In rounds: a batch of ours, then a batch of the anchor.
  InterleavedBatches batches(2);
  for (auto _ : state) {
    batches.Batch(0, 4, [&] { FillOurs(f); });
    batches.Batch(1, 4, [&] { FillAnchor(f, anchor); });
  }
  if (batches.Empty()) return;
  batches.ReportRatio(state, "ratio", 0, 1);
  state.counters["ours_ms"] = batches.Best(0) * 1e3;
  state.counters["anchor_ms"] = batches.Best(1) * 1e3;
  state.counters["pixels"] = double(ours);
  state.counters["anchor_pixels"] = double(theirs);
  state.counters["same_pixels"] = double(same) / double(f.pixels.size());
}
BENCHMARK(BM_SceneFillVsBarycentric)->Unit(benchmark::kMillisecond);

}  // namespace
