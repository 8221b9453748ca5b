// The 3D scene layer's speed.
//
// BM_SceneTrackView: one full 640x400 view of a stretch of seven track
// pieces with four skater decals (128 x 128 pictures redrawn every frame,
// as the event redraws them), rendered from a chase camera on the start
// piece. Counter period_pct: the frame's time as a share of the event's
// 100 ms frame period (target under 5).
//
// BM_SceneFillVsBarycentric: the rasteriser's fill of a screen of textured,
// perspective-correct, depth-tested triangles against a plain rasteriser
// that tests every pixel of each triangle's box with barycentric weights
// and divides for every pixel, written here as the anchor. Counter ratio:
// our time over the anchor's (target at most 0.5).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "base/paths.h"
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

// The anchor: every pixel of the box, three edge functions, barycentric
// weights, one division per pixel.
int64_t FillBarycentric(FillScene& f) {
  std::memset(f.depth.data(), 0, f.depth.size() * sizeof(float));
  int64_t written = 0;
  for (size_t i = 0; i < f.corners.size(); i += 3) {
    const RasterVertex* v = &f.corners[i];
    float x[3], y[3];
    for (int k = 0; k < 3; ++k) {
      x[k] = float(v[k].x) / kSubpixelScale;
      y[k] = float(v[k].y) / kSubpixelScale;
    }
    auto edge = [](float ax, float ay, float bx, float by, float px, float py) {
      return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    };
    const float area = edge(x[0], y[0], x[1], y[1], x[2], y[2]);
    if (area <= 0) continue;
    const int x0 = std::max(0, int(std::floor(std::min({x[0], x[1], x[2]}))));
    const int x1 = std::min(FillScene::kW, int(std::ceil(std::max({x[0], x[1], x[2]}))));
    const int y0 = std::max(0, int(std::floor(std::min({y[0], y[1], y[2]}))));
    const int y1 = std::min(FillScene::kH, int(std::ceil(std::max({y[0], y[1], y[2]}))));
    for (int py = y0; py < y1; ++py) {
      for (int px = x0; px < x1; ++px) {
        const float cx = px + 0.5f, cy = py + 0.5f;
        const float w0 = edge(x[1], y[1], x[2], y[2], cx, cy);
        const float w1 = edge(x[2], y[2], x[0], y[0], cx, cy);
        const float w2 = edge(x[0], y[0], x[1], y[1], cx, cy);
        if (w0 < 0 || w1 < 0 || w2 < 0) continue;
        const float b0 = w0 / area, b1 = w1 / area, b2 = w2 / area;
        const float invz = b0 * v[0].invz + b1 * v[1].invz + b2 * v[2].invz;
        float& zb = f.depth[size_t(py) * FillScene::kW + px];
        if (!(invz > zb)) continue;
        const float u = (b0 * v[0].s + b1 * v[1].s + b2 * v[2].s) / invz;
        const float t = (b0 * v[0].t + b1 * v[1].t + b2 * v[2].t) / invz;
        const uint8_t texel = f.texels[size_t(int(std::floor(t)) & 63) * 64 + (int(std::floor(u)) & 63)];
        f.pixels[size_t(py) * FillScene::kW + px] = f.shade[texel];
        zb = invz;
        ++written;
      }
    }
  }
  return written;
}

template <typename F>
double NanosPerCall(F&& fn, int calls) {
  fn();  // warm up
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; ++i) {
    fn();
    benchmark::ClobberMemory();
  }
  return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() /
         calls;
}

void BM_SceneFillVsBarycentric(benchmark::State& state) {
  FillScene f;
  int64_t ours = 0, anchor = 0;
  for (auto _ : state) {
    ours = FillOurs(f);
    benchmark::ClobberMemory();
  }
  anchor = FillBarycentric(f);
  const double oursNs = NanosPerCall([&] { FillOurs(f); }, 20);
  const double anchorNs = NanosPerCall([&] { FillBarycentric(f); }, 20);
  state.counters["ratio"] = oursNs / anchorNs;
  state.counters["ours_ms"] = oursNs / 1e6;
  state.counters["anchor_ms"] = anchorNs / 1e6;
  state.counters["pixels"] = double(ours);
  state.counters["anchor_pixels"] = double(anchor);
}
BENCHMARK(BM_SceneFillVsBarycentric)->Unit(benchmark::kMillisecond);

}  // namespace
