// Contact sheets of the 3D MAZE's own files, read back through the engine's
// loaders: every engine sprite frame (as tall as it shows on screen), each
// level's map with its navigation graph, places and zones, and each level's
// wall and floor textures.
#include <cairo.h>

#include <cmath>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "events/maze3d/rc_format.h"
#include "events/maze3d/rc_loader.h"
#include "events/maze3d/rc_navgraph.h"
#include "events/maze3d/rc_support.h"
#include "events/maze3d/rc_world.h"
#include "tools/assetgen/maze.h"

namespace assetgen {

using namespace mazeassets;

namespace {

std::string DataPath(const std::string& gamedata, const char* rel) {
  std::string p = gamedata + "/data/" + DiskName(rel);
  return p;
}

struct Sheet {
  cairo_surface_t* s;
  int w, h;
  Sheet(int width, int height) : w(width), h(height) {
    s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 0.55, 0.55, 0.6);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(s);
  }
  ~Sheet() { cairo_surface_destroy(s); }
  void Put(int x, int y, const uint8_t* pal, uint8_t index) {
    if (x < 0 || y < 0 || x >= w || y >= h) return;
    auto* row = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s) + size_t(y) * cairo_image_surface_get_stride(s));
    row[x] = 0xFF000000u | uint32_t(pal[index * 4 + 2]) << 16 | uint32_t(pal[index * 4 + 1]) << 8 | pal[index * 4];
  }
  bool Save(const std::string& png) { return SavePng(s, png); }
};

bool SpriteSheet(const std::string& file, const std::string& png) {
  RcLoader loader;
  uint32_t count = 0;
  uint8_t* block = loader.LoadSpriteRle(file.c_str(), &count);
  uint8_t pal[1024];
  if (!block || !loader.LoadSecrPalette(file.c_str(), pal)) {
    RcFree(block);
    return false;
  }
  // Eight frames a row (one pose), each shown 64 x 128 as on screen.
  const int perRow = 8, cellW = 66, cellH = 130;
  const int rows = int((count + perRow - 1) / perRow);
  Sheet sheet(perRow * cellW, rows * cellH);
  const uint8_t* rec = block;
  uint8_t column[128];
  for (uint32_t f = 0; f < count; ++f, rec = RcNextRecord(rec)) {
    const int ox = int(f % perRow) * cellW + 1, oy = int(f / perRow) * cellH + 1;
    for (int x = 0; x < 64; ++x) {
      if (!RcDecodeColumn(rec, x * 2, column)) continue;
      for (int y = 0; y < 128; ++y)
        if (column[y]) sheet.Put(ox + x, oy + y, pal, column[y]);
    }
  }
  RcFree(block);
  return sheet.Save(png);
}

bool LevelSheets(const std::string& gamedata, int level, const std::string& pngDir) {
  auto lv = std::make_unique<MazeLevel>();
  RcLoader loader;
  const std::string file = DataPath(gamedata, kLevelFile[level]);
  uint8_t pal[1024];
  if (!loader.LoadTextures(file.c_str(), lv.get()) || !loader.LoadFloor(file.c_str(), lv.get()) ||
      !loader.LoadBmpPalette(DataPath(gamedata, kSkyFile[3]).c_str(), pal)) {
    MazeFreeLevel(lv.get());
    return false;
  }
  MazeNavGraph nav;
  const bool haveNav = nav.LoadFiles(DataPath(gamedata, kNodeFile[level]).c_str(),
                                     DataPath(gamedata, kHopFile[level]).c_str());
  // The map: 6 pixels a cell, floors in their textures' middle colour,
  // walls white, zones red, graph edges yellow, nodes and places marked.
  const int kCell = 6;
  Sheet map(128 * kCell, 128 * kCell);
  std::vector<uint8_t> open(128 * 128, 1);
  if (haveNav) MazeFloodCells(lv->xWalls, lv->yWalls, (nav.point(4)[1] >> 5) * 128 + (nav.point(4)[0] >> 5), open.data());
  for (int r = 0; r < 128; ++r)
    for (int c = 0; c < 128; ++c) {
      const int f = lv->floorMap[r * 128 + c];
      const uint8_t colour = f && open[r * 128 + c] ? lv->floorTextures[(f - 1) * 1024 + 16 * 32 + 16] : 0;
      for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x) map.Put(c * kCell + x, r * kCell + y, pal, colour);
      for (int k = 0; k < kCell; ++k) {
        if (lv->xWalls[r * 128 + c]) map.Put(c * kCell, r * kCell + k, pal, 255);
        if (lv->yWalls[r * 128 + c]) map.Put(c * kCell + k, r * kCell, pal, 255);
      }
    }
  cairo_t* cr = cairo_create(map.s);
  const double u = kCell / 32.0;
  for (uint32_t z = 0; z < lv->zoneCount; ++z) {
    const MazeZoneRecord& zone = lv->zones[z];
    cairo_rectangle(cr, zone.x1 * u, zone.y1 * u, (zone.x2 - zone.x1) * u, (zone.y2 - zone.y1) * u);
    cairo_set_source_rgba(cr, 1, 0.2, 0.2, 0.8);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
  }
  for (uint32_t m = 0; m < lv->monsterCount; ++m) {
    cairo_arc(cr, lv->monsters[m].x * u, lv->monsters[m].y * u, 3, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 1, 0.2, 0.2);
    cairo_fill(cr);
  }
  if (haveNav) {
    cairo_set_line_width(cr, 1.5);
    for (int k = 0; k < nav.nodeCount(); ++k)
      for (int j = 0; j < 4; ++j) {
        const int m = nav.neighbour(k, j);
        if (m < k) continue;
        cairo_move_to(cr, nav.NodeX(k) * u, nav.NodeY(k) * u);
        cairo_line_to(cr, nav.NodeX(m) * u, nav.NodeY(m) * u);
      }
    cairo_set_source_rgba(cr, 1, 0.9, 0.1, 0.8);
    cairo_stroke(cr);
    for (int k = 0; k < nav.nodeCount(); ++k) {
      cairo_rectangle(cr, nav.NodeX(k) * u - 2, nav.NodeY(k) * u - 2, 4, 4);
      cairo_set_source_rgb(cr, 1, 0.9, 0.1);
      cairo_fill(cr);
    }
    // Doors green, starts blue, key-man places magenta.
    for (int p = 0; p < 20; ++p) {
      const int32_t* pt = nav.point(p);
      cairo_arc(cr, pt[0] * u, pt[1] * u, p < 4 ? 7 : 5, 0, 2 * M_PI);
      if (p < 4) cairo_set_source_rgb(cr, 0.1, 1, 0.3);
      else if (p < 12) cairo_set_source_rgb(cr, 0.2, 0.5, 1);
      else cairo_set_source_rgb(cr, 1, 0.2, 1);
      cairo_set_line_width(cr, 2.5);
      cairo_stroke(cr);
    }
  }
  cairo_destroy(cr);
  const std::string name = "data_maze_final" + std::to_string(level + 1);
  bool ok = map.Save(pngDir + "/" + name + "_map.png");
  // Textures: walls 32 x 128 in rows of twelve, then the floors.
  const int walls = int(lv->wallTextureCount), floors = int(lv->floorTextureCount);
  Sheet tex(12 * 36, ((walls + 11) / 12) * 132 + 36);
  for (int t = 0; t < walls; ++t)
    for (int x = 0; x < 32; ++x)
      for (int y = 0; y < 128; ++y)
        tex.Put((t % 12) * 36 + 2 + x, (t / 12) * 132 + 2 + y, pal, lv->wallTextures[t * 4096 + x * 128 + y]);
  for (int f = 0; f < floors; ++f)
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        tex.Put(f * 36 + 2 + x, ((walls + 11) / 12) * 132 + 2 + y, pal, lv->floorTextures[f * 1024 + y * 32 + x]);
  ok = tex.Save(pngDir + "/" + name + "_textures.png") && ok;
  MazeFreeLevel(lv.get());
  return ok;
}

}  // namespace

int WriteMazeContactSheets(const std::string& gamedata, const std::string& pngDir) {
  int failed = 0;
  for (auto [path, picture] : MazeFiles()) {
    const std::string rel = DiskName(path);
    if (picture || rel.size() < 4 || rel.compare(rel.size() - 4, 4, ".mbm") != 0) continue;
    std::string name = "data_" + rel;
    for (char& c : name)
      if (c == '/' || c == '.') c = '_';
    if (!SpriteSheet(DataPath(gamedata, path), pngDir + "/" + name + ".png")) {
      std::fprintf(stderr, "contact sheet failed: %s\n", path);
      ++failed;
    }
  }
  for (int level = 0; level < kLevels; ++level)
    if (!LevelSheets(gamedata, level, pngDir)) {
      std::fprintf(stderr, "contact sheet failed: %s\n", kLevelFile[level]);
      ++failed;
    }
  return failed;
}

}  // namespace assetgen
