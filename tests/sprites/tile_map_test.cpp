// The older tile map: a hand-written map file over a sprite of tiles, drawn
// from any first cell (wrapping both ways, partial tiles at the edges)
// against a per-pixel reference, and damaged maps refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "graphics/mbm_writer.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "graphics/tile_map.h"
#include "tests/sprites/fixtures.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTw = 5, kTh = 3;      // tile size
constexpr int kRows = 3, kCols = 4;  // the map
constexpr int kFrames = 4;           // tiles in the sprite
constexpr uint8_t kBackground = 250;

// Cell frame indexes, top row first: -1 empty, 9 past the sprite's frames.
const int32_t kCells[kRows][kCols] = {{0, 1, 2, 3}, {3, -1, 0, 9}, {2, 2, 1, 0}};

std::vector<uint8_t> TilePixels(int frame) { return fixtures::Picture(kTw, kTh, 40 + frame); }

// A map file written byte by byte: the four sizes, the name, the cells (the
// first two words of each cell are not read and hold noise).
std::vector<uint8_t> MapFile(const std::string& spriteName) {
  std::vector<uint8_t> f;
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) f.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  put32(kTw);
  put32(kTh);
  put32(kRows);
  put32(kCols);
  f.push_back(static_cast<uint8_t>(spriteName.size()));
  f.insert(f.end(), spriteName.begin(), spriteName.end());
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kCols; ++c) {
      put32(0xDEAD0000u + r);
      put32(0xBEEF0000u + c);
      put32(static_cast<uint32_t>(kCells[r][c]));
    }
  return f;
}

class TileMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(KEL_BINARY_DIR) / "test-home" / "tile_map" / std::to_string(::getpid());
    fs::create_directories(dir_ / "maps");
    std::vector<MbmFrameSpec> frames;
    for (int i = 0; i < kFrames; ++i) {
      MbmFrameSpec f;
      f.name = "t" + std::to_string(i);
      f.width = kTw;
      f.height = kTh;
      f.pixels = TilePixels(i);
      frames.push_back(f);
    }
    const std::vector<uint8_t> palette = fixtures::Palette();
    ASSERT_TRUE(WriteMbmFile((dir_ / "maps" / "tiles.mbm").string(), BuildMbm(frames, &palette)));
    Write("level.map", MapFile("tiles.mbm"));
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream(dir_ / "maps" / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                                static_cast<std::streamsize>(bytes.size()));
  }
  std::string MapPath(const std::string& name) const { return (dir_ / "maps" / name).string(); }
  fs::path dir_;
};

TEST_F(TileMapTest, DrawsFromAnyCellWrappingBothWays) {
  TileMap map;
  ASSERT_EQ(map.Load(MapPath("level.map").c_str(), 0x20), 1);
  EXPECT_EQ(map.SpriteName(), "tiles.mbm");
  EXPECT_EQ(map.Rows(), kRows);
  EXPECT_EQ(map.Columns(), kCols);
  EXPECT_EQ(map.FrameIndexAt(1, 1), -1);
  struct Case {
    int x, y, width, height, firstColumn, firstRow;
  } cases[] = {
      {0, 0, kTw * kCols, kTh * kRows, 0, 0},  // the map once, whole tiles
      {3, 2, 23, 11, 1, 2},                    // partial tiles at the right and bottom
      {-4, -2, 40, 20, 5, 7},                  // wrapping past the last cell, cut by the target
      {10, 5, 17, 8, -1, -4},                  // negative first cells wrap backwards
  };
  for (const Case& c : cases) {
    DDSurface target(36, 24, 4);
    target.FillRect(0, 0, 36, 24, kBackground);
    map.Draw(&target, c.x, c.y, c.width, c.height, c.firstColumn, c.firstRow);
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 36; ++x) {
        uint8_t want = kBackground;
        const int px = x - c.x, py = y - c.y;
        if (px >= 0 && py >= 0 && px < c.width && py < c.height) {
          const int row = (((c.firstRow + py / kTh) % kRows) + kRows) % kRows;
          const int col = (((c.firstColumn + px / kTw) % kCols) + kCols) % kCols;
          const int32_t frame = kCells[row][col];
          if (frame >= 0 && frame < kFrames) want = TilePixels(frame)[(py % kTh) * kTw + px % kTw];
        }
        ASSERT_EQ(target.Row(y)[x], want) << "case at " << c.x << "," << c.y << " pixel " << x << "," << y;
      }
  }
}

TEST_F(TileMapTest, RefusesDamagedMapsAndDrawsNothing) {
  const std::vector<uint8_t> good = MapFile("tiles.mbm");
  auto with = [&](size_t at, uint32_t v) {
    auto f = good;
    fixtures::Put32(&f, at, v);
    return f;
  };
  struct Case {
    const char* what;
    std::vector<uint8_t> file;
  } cases[] = {
      {"empty", {}},
      {"cut in its sizes", {good.begin(), good.begin() + 10}},
      {"cut in its cells", {good.begin(), good.end() - 1}},
      {"tile width 0", with(0, 0)},
      {"huge tile height", with(4, 0x7FFFFFFF)},
      {"no rows", with(8, 0)},
      {"rows and columns past the file", with(12, 0x40000000)},
      {"no sprite name", [&] { auto f = good; f[16] = 0; return f; }()},
      {"a sprite that is not there", MapFile("missing.mbm")},
  };
  for (const Case& c : cases) {
    Write("bad.map", c.file);
    TileMap map;
    EXPECT_EQ(map.Load(MapPath("bad.map").c_str(), 0x20), 0) << c.what;
    EXPECT_FALSE(map.IsLoaded()) << c.what;
    DDSurface target(8, 8, 4);
    target.FillRect(0, 0, 8, 8, kBackground);
    map.Draw(&target, 0, 0, 8, 8, 0, 0);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) ASSERT_EQ(target.Row(y)[x], kBackground) << c.what;
  }
  TileMap none;
  EXPECT_EQ(none.Load(MapPath("no-such.map").c_str(), 0x20), 0);
}

}  // namespace
