// 3D MAZE renderer. BM_MazeRenderVsFloatAnchor draws the single view (320
// ray columns of two pixels, 640 x 400: walls, sky panorama, textured floor
// and the level's things) of the first generated level from a round of
// cameras, and in the same run, frame by frame, the same views with a plain
// floating-point ray caster written here as the anchor: one ray per column
// from std::sin and std::cos, a grid walk in doubles, the same wall, sky and
// floor texels, a floor point computed for every pixel. Counters: ours_us,
// anchor_us (mean per view) and ratio (ours over the anchor; target at most
// 0.7).
//
// BM_MazeFrameWithHud draws a whole frame of the single view: the view with
// its things, the status bar with faces, bars, scores and items, and the
// automap. Counters: frame_us and period_pct (its share of the 62 ms frame
// period of a maze running at 16 frames a second; target under 5).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/paths.h"
#include "bench/batches.h"
#include "events/maze3d/maze3d_data.h"
#include "events/maze3d/rc_hud.h"
#include "events/maze3d/rc_loader.h"
#include "events/maze3d/rc_navgraph.h"
#include "events/maze3d/rc_raycaster.h"
#include "events/maze3d/rc_support.h"
#include "events/maze3d/rc_tables.h"
#include "events/maze3d/rc_world.h"

namespace {

using namespace mazeassets;

constexpr double kMazeFramePeriodMs = 62.0;

std::string DataFile(const char* rel) {
  return ResolvePath(JoinPath(std::string(KEL_BINARY_DIR) + "/gamedata/data", rel));
}

// The first level with its sky, floor tables, things and a round of cameras.
struct MazeScene {
  bool ok = false;
  std::vector<MazeViewRecord> views;
  uint8_t* keyMan = nullptr;
  uint8_t* monster = nullptr;
  std::vector<uint8_t> frame = std::vector<uint8_t>(size_t(kFrameWidth) * kFrameHeight, 0);

  MazeScene() {
    MazeResetWorld();
    RcLoader loader;
    const std::string level = DataFile(kLevelFile[0]);
    if (!loader.LoadData(DataFile(kEngineFile).c_str()) || !loader.LoadTextures(level.c_str(), &g_mazeLevel) ||
        !loader.LoadFloor(level.c_str(), &g_mazeLevel) || !MazeBuildTables())
      return;
    g_mazeLevel.skyPicture = loader.LoadBmpPixels(DataFile(kSkyFile[3]).c_str(), &g_mazeLevel.skyWidth,
                                                  &g_mazeLevel.skyHeight);
    g_mazeLevel.floorColour = uint8_t(kSkyFloorColour[3]);
    keyMan = loader.LoadSpriteRle(DataFile(kKeyManSprite).c_str());
    monster = loader.LoadSpriteRle(DataFile(kMonsterSprite).c_str());
    MazeNavGraph nav;
    if (!g_mazeLevel.skyPicture || !keyMan || !monster ||
        !nav.LoadFiles(DataFile(kNodeFile[0]).c_str(), DataFile(kHopFile[0]).c_str()))
      return;
    g_mazeObjects[0] = MazeObjectRecord{1, 0, 0, 0, keyMan, nav.KeyManPoint(0)[0], nav.KeyManPoint(0)[1], 0, 0, 0, 0};
    const uint8_t* poses[kMonsterPoses];
    RcWalkPoses(monster, 0, kMonsterPoses, kDirections, poses);
    for (uint32_t m = 0; m < g_mazeLevel.monsterCount; ++m) {
      MazeObjectRecord& o = g_mazeObjects[kMazeFirstMonster + m];
      o.active = 1;
      o.pose = poses[kMonsterSpitFirst];
      o.x = g_mazeLevel.monsters[m].x;
      o.y = g_mazeLevel.monsters[m].y;
      o.heading = uint16_t(g_mazeLevel.monsters[m].heading);
    }
    // Cameras at every node of the level, looking along its corridors and
    // between them.
    for (int k = 0; k < nav.nodeCount(); k += 3)
      for (int heading : {0, 300, 450, 1000, 1350, 1600}) {
        MazeViewRecord v{};
        v.flags = kRunnerStartFlags;
        v.player = 3;
        v.viewIndex = 65;
        v.viewOffset = -10;
        v.viewValue = g_floorRowTables[65];
        v.x = nav.NodeX(k) + 5;
        v.y = nav.NodeY(k) + 7;
        v.heading = int16_t(heading);
        v.moveHeading = uint16_t(heading);
        views.push_back(v);
      }
    g_mazeFrame = frame.data();
    g_mazePitch = kFrameWidth;
    ok = !views.empty();
  }
  ~MazeScene() {
    g_mazeFrame = nullptr;
    RcFree(keyMan);
    RcFree(monster);
    MazeFreeLevel(&g_mazeLevel);
    MazeFreeTables();
    MazeResetWorld();
  }
};

// The anchor: the simple floating-point ray caster a capable engineer would
// write for the same picture. Tables are built once (per angle unit: the
// ray's direction, the distance along it between two grid lines; per
// column: the cosine that corrects the fish-eye), taken from the game's own
// angle tables so that it looks from the same camera and meets the same
// walls at the same distances. Per frame: a grid walk in doubles for each
// column, the wall column stepped down its texels, the sky copied, and the
// floor cast row by row (one division a row, then one step a pixel along
// each run of floor between two walls, whose ends are the exact floor
// points).
class FloatCaster {
 public:
  FloatCaster() {
    for (int a = 0; a < kMazeTurn; ++a) {
      cos_[a] = g_cosTable[a] / 65536.0;
      sin_[a] = g_sinTable[a] / 65536.0;
      // Distance along the ray from one line of the grid to the next (0
      // for a ray parallel to those lines).
      alongX_[a] = std::abs(g_invCosTable[a]) / 1024.0;
      alongY_[a] = std::abs(g_invSinTable[a]) / 256.0;
    }
    for (int c = 0; c < kRayColumnCount; ++c) {
      const int rel = std::abs(c - kRayColumnCount / 2);
      cosRel_[c] = g_cosTable[rel] / 65536.0;
      invCosRel_[c] = g_invCosTable[rel] / 1024.0;
    }
  }

  void Render(const MazeViewRecord& v, uint8_t* frame, int pitch) {
    const MazeLevel& lv = g_mazeLevel;
    const int horizon = std::clamp(200 + v.viewOffset, 1, kViewRows - 1);
    const int eye = std::clamp<int>(v.viewIndex, 1, 127), h = 128 - eye;
    const double x = v.x, y = v.y;
    const int first = WrapAngle(v.heading - kRayColumnCount / 2);
    for (int c = 0, a = first; c < kRayColumnCount; ++c, a = a + 1 == kMazeTurn ? 0 : a + 1) {
      floorFrom_[c] = kViewRows;
      // The grid walk: to the nearer of the next x line and the next y line.
      const double dx = cos_[a], dy = sin_[a];
      const bool east = g_cosTable[a] > 0, south = g_sinTable[a] > 0;
      const bool walkX = a != 450 && a != 1350, walkY = a != 0 && a != 900;
      int lineX = (int(x) & ~31) + (east ? 32 : 0), lineY = (int(y) & ~31) + (south ? 32 : 0);
      double tX = walkX ? std::abs(lineX - x) * alongX_[a] : 1e30;
      double tY = walkY ? std::abs(lineY - y) * alongY_[a] : 1e30;
      double t = -1;
      int texture = 0, column = 0;
      while (lineX >= 32 && lineX <= 4064 && lineY >= 32 && lineY <= 4064) {
        if (tX <= tY) {
          const double hitY = y + tX * dy;
          if (hitY < 32 || hitY >= 4064) break;
          if (const uint16_t w = lv.xWalls[(int(hitY) >> 5) * 128 + (lineX >> 5)]) {
            t = tX;
            texture = w - 1;
            column = east ? int(hitY) & 31 : 31 - (int(hitY) & 31);
            break;
          }
          lineX += east ? 32 : -32;
          tX += 32 * alongX_[a];
        } else {
          const double hitX = x + tY * dx;
          if (hitX < 32 || hitX >= 4064) break;
          if (const uint16_t w = lv.yWalls[(lineY >> 5) * 128 + (int(hitX) >> 5)]) {
            t = tY;
            texture = w - 1;
            column = south ? 31 - (int(hitX) & 31) : int(hitX) & 31;
            break;
          }
          lineY += south ? 32 : -32;
          tY += 32 * alongY_[a];
        }
      }
      if (t < 0) continue;
      if (uint32_t(texture) >= lv.wallTextureCount) texture = 0;
      // The distance square to the view, in whole units: the wall's height.
      const int dist = int(std::floor(std::floor(t) * cosRel_[c]));
      const double step = std::min(dist, kWallStepLast) / 256.0;  // texels a row
      const uint8_t* texels = lv.wallTextures + texture * 4096 + column * 128;
      uint8_t* base = frame + 2 * c;
      int k = 0;
      for (double row = 0; k < horizon && row < h; ++k, row += step) {
        uint8_t* p = base + (horizon - 1 - k) * pitch;
        p[0] = p[1] = texels[h - 1 - int(row)];
      }
      const int skyRows = horizon - k;
      k = 0;
      for (double row = 0; horizon + k < kViewRows && row < eye; ++k, row += step) {
        uint8_t* p = base + (horizon + k) * pitch;
        p[0] = p[1] = texels[h + int(row)];
      }
      floorFrom_[c] = horizon + k;
      if (skyRows == 0) continue;
      const uint8_t* sky = lv.skyPicture + (kViewRows - horizon) * lv.skyWidth + a;
      for (int yy = 0; yy < skyRows; ++yy, sky += lv.skyWidth) {
        uint8_t* p = base + yy * pitch;
        p[0] = p[1] = *sky;
      }
    }
    // The floor, row by row.
    for (int yy = horizon + 1; yy < kViewRows; ++yy) {
      const int r = yy - horizon;
      const int rowDistance = eye * 256 / r;
      uint8_t* row = frame + yy * pitch;
      for (int c = 0; c < kRayColumnCount;) {
        if (floorFrom_[c] > yy) {
          ++c;
          continue;
        }
        int end = c + 1;
        while (end < kRayColumnCount && floorFrom_[end] <= yy) ++end;
        // The exact floor points at both ends of the run, then straight
        // steps between them in 16.16.
        double x0, y0, x1, y1;
        FloorPoint(v, rowDistance, c, &x0, &y0);
        FloorPoint(v, rowDistance, end - 1, &x1, &y1);
        const int n = end - 1 - c;
        const int64_t sx = n ? int64_t((x1 - x0) * 65536.0) / n : 0, sy = n ? int64_t((y1 - y0) * 65536.0) / n : 0;
        int64_t fx = int64_t(x0) << 16, fy = int64_t(y0) << 16;
        for (; c < end; ++c, fx += sx, fy += sy) {
          const int ix = int(fx >> 16), iy = int(fy >> 16);
          if (uint32_t(ix) >= 4096u || uint32_t(iy) >= 4096u) continue;
          const uint32_t f = lv.floorMap[(iy >> 5) * 128 + (ix >> 5)];
          if (f - 1 >= lv.floorTextureCount) continue;
          row[2 * c] = row[2 * c + 1] = lv.floorTextures[(f - 1) * 1024 + (iy & 31) * 32 + (ix & 31)];
        }
      }
    }
  }

 private:
  void FloorPoint(const MazeViewRecord& v, int rowDistance, int c, double* px, double* py) const {
    const int a = WrapAngle(v.heading - kRayColumnCount / 2 + c);
    const double along = std::floor(rowDistance * invCosRel_[c]);
    *px = std::max(0.0, std::floor(cos_[a] * along) + v.x);
    *py = std::max(0.0, std::floor(sin_[a] * along) + v.y);
  }

  double cos_[kMazeTurn], sin_[kMazeTurn], alongX_[kMazeTurn], alongY_[kMazeTurn];
  double cosRel_[kRayColumnCount], invCosRel_[kRayColumnCount];
  int floorFrom_[kRayColumnCount];
};

// The share of equal pixels of two views.
double SamePixels(const uint8_t* a, const uint8_t* b, size_t n) {
  size_t same = 0;
  for (size_t i = 0; i < n; ++i) same += a[i] == b[i];
  return n ? double(same) / double(n) : 1.0;
}

void BM_MazeRenderVsFloatAnchor(benchmark::State& state) {
  MazeScene scene;
  if (!scene.ok) {
    state.SkipWithError("the generated maze data did not load");
    return;
  }
  RayCaster caster;
  FloatCaster anchor;
  const size_t viewBytes = size_t(kFrameWidth) * kViewRows;
  std::vector<uint8_t> anchorFrame(viewBytes);
  // Both draw every view once, from cleared frames, for the comparison.
  double same = 0;
  for (const MazeViewRecord& v : scene.views) {
    std::fill(scene.frame.begin(), scene.frame.end(), 0);
    std::fill(anchorFrame.begin(), anchorFrame.end(), 0);
    caster.SetCamera(v);
    caster.CastColumns();
    caster.CollectSprites();
    caster.RenderSingleView();
    anchor.Render(v, anchorFrame.data(), kFrameWidth);
    same += SamePixels(scene.frame.data(), anchorFrame.data(), viewBytes);
  }
  // Then in rounds: every view by ours, then every view by the anchor.
  InterleavedBatches batches(2);
  for (auto _ : state) {
    batches.Batch(0, 1, [&] {
      for (const MazeViewRecord& v : scene.views) {
        caster.SetCamera(v);
        caster.CastColumns();
        caster.CollectSprites();
        caster.RenderSingleView();
      }
    });
    batches.Batch(1, 1, [&] {
      for (const MazeViewRecord& v : scene.views) anchor.Render(v, anchorFrame.data(), kFrameWidth);
    });
  }
  if (batches.Empty()) return;
  const double views = double(scene.views.size());
  state.counters["ours_us"] = batches.Best(0) / views * 1e6;
  state.counters["anchor_us"] = batches.Best(1) / views * 1e6;
  batches.ReportRatio(state, "ratio", 0, 1);
  state.counters["same_pixels"] = same / views;
  state.counters["views"] = views;
}
BENCHMARK(BM_MazeRenderVsFloatAnchor)->Unit(benchmark::kMillisecond);

void BM_MazeFrameWithHud(benchmark::State& state) {
  MazeScene scene;
  if (!scene.ok) {
    state.SkipWithError("the generated maze data did not load");
    return;
  }
  MazeHud hud;
  g_mazeHud = &hud;
  hud.LoadPictures((std::string(KEL_BINARY_DIR) + "/gamedata/data").c_str());
  RcLoader loader;
  for (int p = 0; p < 4; ++p) {
    hud.SetFace(p, loader.LoadPicture(DataFile(kFaceFile[p]).c_str(), kFaceW, kFaceH));
    hud.SetMapIcon(p, loader.LoadPicture(DataFile(kMapIcon[p]).c_str(), kMapIconSize, kMapIconSize));
    hud.SetWeaponIcon(p, loader.LoadPicture(DataFile(kWeaponIcon[p]).c_str(), kWeaponIconW, kWeaponIconH));
    hud.energy[p] = 15 * p + 10;
    hud.weaponUnits[p] = 3 * p;
    g_mazePlayers[p].score = 200 + 1234 * p;
    g_mazeRunners[p].flags = kRunnerInPlay;
  }
  hud.faceCounter[1] = 4;
  std::memset(hud.explored[0], 1, sizeof hud.explored[0]);  // the whole map known: the most to draw
  g_mazeViewPlayer1 = 0;
  RayCaster caster;
  double seconds = 0;
  int64_t frames = 0;
  size_t i = 0;
  for (auto _ : state) {
    const MazeViewRecord& v = scene.views[i++ % scene.views.size()];
    auto t0 = std::chrono::steady_clock::now();
    caster.SetCamera(v);
    caster.CastColumns();
    caster.CollectSprites();
    caster.RenderSingleView();
    hud.DrawHud();
    MazeRunnerRecord viewer = g_mazeRunners[0];
    viewer.screenX = 320;
    hud.DrawAutomap(viewer);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    benchmark::DoNotOptimize(scene.frame.data());
    ++frames;
  }
  g_mazeHud = nullptr;
  if (frames == 0) return;
  const double frameMs = seconds / double(frames) * 1e3;
  state.counters["frame_us"] = frameMs * 1e3;
  state.counters["period_pct"] = frameMs / kMazeFramePeriodMs * 100.0;
}
BENCHMARK(BM_MazeFrameWithHud)->Unit(benchmark::kMicrosecond);

}  // namespace
