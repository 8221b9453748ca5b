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

#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/paths.h"
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

// The anchor: a plain floating-point ray caster of the same level, drawing
// the same 320 doubled columns with the same texels.
void FloatRender(const MazeViewRecord& v, uint8_t* frame, int pitch) {
  const double unit = 2.0 * M_PI / kMazeTurn;
  const double x = v.x, y = v.y;
  const int horizon = 200 + v.viewOffset, eye = v.viewIndex, h = 128 - eye;
  const MazeLevel& lv = g_mazeLevel;
  for (int c = 0; c < kRayColumnCount; ++c) {
    const double rel = (c - kRayColumnCount / 2) * unit;
    const double a = v.heading * unit + rel;
    const double dx = std::cos(a), dy = std::sin(a);
    // Walk the grid of cells, line by line, to the first wall.
    int cellX = int(x) >> 5, cellY = int(y) >> 5;
    const int stepX = dx > 0 ? 1 : -1, stepY = dy > 0 ? 1 : -1;
    const double inf = 1e30;
    const double deltaX = std::fabs(dx) > 1e-12 ? 32.0 / std::fabs(dx) : inf;
    const double deltaY = std::fabs(dy) > 1e-12 ? 32.0 / std::fabs(dy) : inf;
    double maxX = std::fabs(dx) > 1e-12 ? (dx > 0 ? ((cellX + 1) * 32.0 - x) / dx : (x - cellX * 32.0) / -dx) : inf;
    double maxY = std::fabs(dy) > 1e-12 ? (dy > 0 ? ((cellY + 1) * 32.0 - y) / dy : (y - cellY * 32.0) / -dy) : inf;
    double t = -1;
    int texture = 0, column = 0;
    for (int steps = 0; steps < 512 && t < 0; ++steps) {
      if (maxX < maxY) {
        const int line = dx > 0 ? cellX + 1 : cellX;
        const double hitY = y + maxX * dy;
        const int row = int(hitY) >> 5;
        if (line < 1 || line > 127 || row < 1 || row > 126) break;
        if (const uint16_t w = lv.xWalls[row * 128 + line]) {
          t = maxX;
          texture = w - 1;
          column = int(hitY) & 31;
          if (dx < 0) column = 31 - column;
        }
        cellX += stepX;
        maxX += deltaX;
      } else {
        const int line = dy > 0 ? cellY + 1 : cellY;
        const double hitX = x + maxY * dx;
        const int col = int(hitX) >> 5;
        if (line < 1 || line > 127 || col < 1 || col > 126) break;
        if (const uint16_t w = lv.yWalls[line * 128 + col]) {
          t = maxY;
          texture = w - 1;
          column = int(hitX) & 31;
          if (dy > 0) column = 31 - column;
        }
        cellY += stepY;
        maxY += deltaY;
      }
    }
    if (t < 0) continue;
    const double cosRel = std::cos(rel);
    const double dist = std::max(1.0, t * cosRel);
    const double texelsPerRow = dist / 256.0;
    const uint8_t* texels = lv.wallTextures + texture * 4096 + column * 128;
    uint8_t* base = frame + 2 * c;
    int top = 0;  // sky rows above the wall
    for (int k = 0; k < horizon; ++k) {
      const double row = h - 1 - k * texelsPerRow;
      if (row < 0) {
        top = horizon - k;
        break;
      }
      uint8_t* p = base + (horizon - 1 - k) * pitch;
      p[0] = p[1] = texels[int(row)];
    }
    int floorFrom = kViewRows;
    for (int k = 0; horizon + k < kViewRows; ++k) {
      const double row = h + k * texelsPerRow;
      if (row >= 128) {
        floorFrom = horizon + k;
        break;
      }
      uint8_t* p = base + (horizon + k) * pitch;
      p[0] = p[1] = texels[int(row)];
    }
    const int skyColumn = ((v.heading - 160 + c) % kMazeTurn + kMazeTurn) % kMazeTurn;
    for (int yy = 0; yy < top; ++yy) {
      uint8_t* p = base + yy * pitch;
      p[0] = p[1] = lv.skyPicture[(200 - v.viewOffset + yy) * lv.skyWidth + skyColumn];
    }
    for (int yy = floorFrom; yy < kViewRows; ++yy) {
      const double along = eye * 256.0 / (yy - horizon) / cosRel;
      const double px = x + dx * along, py = y + dy * along;
      if (px < 0 || py < 0 || px >= 4096 || py >= 4096) continue;
      const int ix = int(px), iy = int(py);
      const int f = lv.floorMap[(iy >> 5) * 128 + (ix >> 5)];
      if (!f) continue;
      uint8_t* p = base + yy * pitch;
      p[0] = p[1] = lv.floorTextures[(f - 1) * 1024 + (iy & 31) * 32 + (ix & 31)];
    }
  }
}

void BM_MazeRenderVsFloatAnchor(benchmark::State& state) {
  MazeScene scene;
  if (!scene.ok) {
    state.SkipWithError("the generated maze data did not load");
    return;
  }
  RayCaster caster;
  std::vector<uint8_t> anchorFrame(size_t(kFrameWidth) * kViewRows);
  double ours = 0, anchor = 0;
  int64_t views = 0;
  size_t i = 0;
  for (auto _ : state) {
    const MazeViewRecord& v = scene.views[i++ % scene.views.size()];
    auto t0 = std::chrono::steady_clock::now();
    caster.SetCamera(v);
    caster.CastColumns();
    caster.CollectSprites();
    caster.RenderSingleView();
    auto t1 = std::chrono::steady_clock::now();
    FloatRender(v, anchorFrame.data(), kFrameWidth);
    auto t2 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(scene.frame.data());
    benchmark::DoNotOptimize(anchorFrame.data());
    ours += std::chrono::duration<double>(t1 - t0).count();
    anchor += std::chrono::duration<double>(t2 - t1).count();
    ++views;
  }
  if (views == 0 || anchor <= 0) return;
  state.counters["ours_us"] = ours / double(views) * 1e6;
  state.counters["anchor_us"] = anchor / double(views) * 1e6;
  state.counters["ratio"] = ours / anchor;
}
BENCHMARK(BM_MazeRenderVsFloatAnchor)->Unit(benchmark::kMicrosecond);

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
