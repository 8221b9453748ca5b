#include "tests/maze3d/maze_fixture.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "events/maze3d/rc_loader.h"
#include "events/maze3d/rc_tables.h"

void LoadFixtureTables() { RcComputeEngineTables(g_rcAngleTables, g_wallStepTable); }

void WallsFromFloor(MazeLevel* lv, uint16_t wallValue) {
  auto open = [&](int r, int c) { return r >= 0 && r < 128 && c >= 0 && c < 128 && lv->floorMap[r * 128 + c] != 0; };
  for (int r = 0; r < 128; ++r)
    for (int c = 0; c < 128; ++c) {
      lv->xWalls[r * 128 + c] = open(r, c) != open(r, c - 1) ? wallValue : 0;
      lv->yWalls[r * 128 + c] = open(r, c) != open(r - 1, c) ? wallValue : 0;
    }
}

std::unique_ptr<MazeLevel> FixtureLevel() {
  auto lv = std::make_unique<MazeLevel>();
  std::memset(lv.get(), 0, sizeof(MazeLevel));
  for (int r = 40; r <= 55; ++r)
    for (int c = 40; c <= 59; ++c) lv->floorMap[r * 128 + c] = 1 + ((r + c) & 1);
  for (int r = 20; r <= 39; ++r)
    for (int c = 48; c <= 50; ++c) lv->floorMap[r * 128 + c] = 2;
  WallsFromFloor(lv.get(), 37);
  // Some variety: the room's east wall in texture 37, the corridor's west in 38.
  for (int r = 40; r <= 55; ++r) lv->xWalls[r * 128 + 60] = 38;
  for (int r = 20; r <= 39; ++r) lv->xWalls[r * 128 + 48] = 39;
  lv->wallTextureCount = 40;
  lv->floorTextureCount = 2;
  lv->wallTextures = static_cast<uint8_t*>(RcAlloc(lv->wallTextureCount * 4096));
  lv->floorTextures = static_cast<uint8_t*>(RcAlloc(lv->floorTextureCount * 1024));
  for (uint32_t t = 0; t < lv->wallTextureCount; ++t)
    for (int x = 0; x < 32; ++x)
      for (int y = 0; y < 128; ++y)
        lv->wallTextures[t * 4096 + x * 128 + y] = uint8_t(16 + (t * 7 + (x / 4) * 3 + (y / 8) * 5) % 48);
  for (uint32_t f = 0; f < lv->floorTextureCount; ++f)
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) lv->floorTextures[f * 1024 + y * 32 + x] = uint8_t(((x / 8 + y / 8) & 1) ? 32 + f : 44 + f);
  lv->zoneCount = 2;
  lv->zones[0] = {1, 40 * 32, 40 * 32, 60 * 32 - 1, 56 * 32 - 1, {36, 37, -1, -1}};
  lv->zones[1] = {1, 48 * 32, 20 * 32, 51 * 32 - 1, 40 * 32 - 1, {38, -1, -1, -1}};
  for (int k = 2; k < kMazeZoneCount; ++k) lv->zones[k] = {0, 0, 0, 0, 0, {-1, -1, -1, -1}};
  lv->monsterCount = 3;
  lv->monsters[0] = {675, 1400, 1400};
  lv->monsters[1] = {1125, 1800, 1700};
  lv->monsters[2] = {900, 1584, 800};
  return lv;
}

std::string TestFolder() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string dir = std::string(KEL_BINARY_DIR) + "/test-home/maze3d/" + info->test_suite_name() + "." + info->name();
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

std::string WriteTestFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  static std::string dir;
  static const ::testing::TestInfo* forTest = nullptr;
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (info != forTest) {
    dir = TestFolder();
    forTest = info;
  }
  const std::string path = dir + "/" + name;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path;
}

DebugCapture::DebugCapture() {
  saved_ = SetDebugSink([this](const std::string& line) { lines_.push_back(line); });
}
DebugCapture::~DebugCapture() { SetDebugSink(saved_); }

bool DebugCapture::Mentions(const std::string& text) const {
  for (const std::string& l : lines_)
    if (l.find(text) != std::string::npos) return true;
  return false;
}

bool WriteIndexedPng(const std::string& path, const uint8_t* pixels, int width, int height, int pitch,
                     const uint8_t palette[1024]) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> row(size_t(width) * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint8_t i = pixels[size_t(y) * pitch + x];
      row[x * 3] = palette[i * 4 + 2];
      row[x * 3 + 1] = palette[i * 4 + 1];
      row[x * 3 + 2] = palette[i * 4];
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
  return true;
}

// Five nodes: a row along y = 320 (x 320, 640, 960), one below the middle
// (640, 640) and one below that (640, 960); numbered by ascending y, then x.
RcNavData SmallGraph() {
  RcNavData nav;
  const int32_t xy[5][2] = {{320, 320}, {640, 320}, {960, 320}, {640, 640}, {640, 960}};
  const int32_t links[5][4] = {{1, -1, -1, -1}, {0, 2, 3, -1}, {1, -1, -1, -1}, {1, 4, -1, -1}, {3, -1, -1, -1}};
  for (int k = 0; k < 5; ++k) {
    RcNavData::Node n;
    n.x = xy[k][0];
    n.y = xy[k][1];
    for (int j = 0; j < 4; ++j) n.neighbour[j] = links[k][j];
    nav.nodes.push_back(n);
    nav.areas.push_back({xy[k][0] - 96, xy[k][1] - 96, xy[k][0] + 95, xy[k][1] + 95});
  }
  nav.areas[4] = {0, 0, 0, 0};  // node 4 has an empty area
  for (int p = 0; p < 36; ++p) nav.points[p] = {xy[p % 5][0], xy[p % 5][1]};
  nav.points[0] = {644, 960};
  nav.points[1] = {100, 100};
  // Next hops along the tree.
  const int path[5][5] = {{0, 1, 1, 1, 1}, {0, 1, 2, 3, 3}, {1, 1, 2, 1, 1}, {1, 1, 1, 3, 4}, {3, 3, 3, 3, 4}};
  for (int f = 0; f < 5; ++f)
    for (int t = 0; t < 5; ++t) nav.nextHop[f * 256 + t] = uint8_t(path[f][t]);
  return nav;
}
