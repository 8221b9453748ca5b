// Tile pictures: validation of the file, Draw at every alignment against a
// per-pixel reference (with clipping), and colour remapping.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "base/pkc.h"
#include "graphics/mbm_writer.h"
#include "graphics/tile_picture.h"
#include "tests/sprites/fixtures.h"

namespace {

constexpr int kW = 24, kH = 20;

TEST(TilePicture, LoadsAndKnowsEveryPixel) {
  std::vector<uint8_t> pic;
  TileMapPicture t;
  ASSERT_TRUE(t.LoadFromMemory(fixtures::TileFile(kW, kH, &pic)));
  EXPECT_EQ(t.GetError(), kTilePictureOk);
  EXPECT_EQ(t.GetWidth(), kW);
  EXPECT_EQ(t.GetHeight(), kH);
  EXPECT_LT(t.GetTileCount(), uint32_t(kW / 4 * kH / 4)) << "repeated cells share a tile";
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(t.PixelAt(x, y), pic[y * kW + x]) << x << "," << y;
}

TEST(TilePicture, RefusesDamagedFiles) {
  const std::vector<uint8_t> good = fixtures::TileFile(kW, kH, nullptr);
  auto with = [&](size_t at, uint32_t v) {
    auto f = good;
    fixtures::Put32(&f, at, v);
    return f;
  };
  const uint32_t tiles = good[1064] | (good[1065] << 8);
  const size_t mapAt = 1072 + 16 * tiles;
  struct Case {
    const char* what;
    std::vector<uint8_t> file;
    uint32_t error;
  } cases[] = {
      {"empty", {}, kTilePictureErrTruncated},
      {"shorter than the counts", {good.begin(), good.begin() + 1070}, kTilePictureErrTruncated},
      {"map cut short", {good.begin(), good.end() - 1}, kTilePictureErrTruncated},
      {"tiles past the end", with(1064, 0x10000000u), kTilePictureErrTruncated},
      {"width not a multiple of 4", with(4, kW + 1), kTilePictureErrBadHeader},
      {"negative height", with(8, uint32_t(-kH)), kTilePictureErrBadHeader},
      {"zero width", with(4, 0), kTilePictureErrBadHeader},
      {"huge width", with(4, 0x7FFFFFFC), kTilePictureErrBadHeader},
      {"remap count above tile count", with(1068, tiles + 1), kTilePictureErrBadCounts},
      {"no tiles", with(1064, 0), kTilePictureErrBadCounts},
      {"map entry past the tiles", [&] { auto f = good; f[mapAt + 6] = uint8_t(tiles); f[mapAt + 7] = 0; return f; }(),
       kTilePictureErrBadMap},
  };
  for (const Case& c : cases) {
    TileMapPicture t;
    EXPECT_FALSE(t.LoadFromMemory(c.file)) << c.what;
    EXPECT_EQ(t.GetError(), c.error) << c.what;
    EXPECT_FALSE(t.IsLoaded()) << c.what;
    // An empty picture draws and remaps nothing.
    std::vector<uint8_t> target(64 * 64, 7);
    t.DrawToBuffer(target.data(), 64, 64, 64, 0, 0, 64, 64, 0, 0);
    EXPECT_EQ(target, std::vector<uint8_t>(64 * 64, 7)) << c.what;
    t.RemapColours(fixtures::Palette().data(), 0, 256);
  }
}

TEST(TilePicture, ReadsPlainAndPkcFiles) {
  std::vector<uint8_t> pic;
  const std::vector<uint8_t> file = fixtures::TileFile(kW, kH, &pic);
  std::vector<uint8_t> packed;
  ASSERT_TRUE(PkcCompressBuffer(file.data(), file.size(), &packed));
  const std::string dir = fixtures::BuildDir() + "/sprite-fixtures";
  std::filesystem::create_directories(dir);
  for (const auto& [name, bytes] : {std::pair{std::string("plain.bbm"), file}, {std::string("packed.bbm"), packed}}) {
    ASSERT_TRUE(WriteMbmFile(dir + "/" + name, bytes));
    TileMapPicture t((dir + "/" + name).c_str());
    ASSERT_TRUE(t.IsLoaded()) << name << " error " << t.GetError();
    EXPECT_EQ(t.PixelAt(kW - 1, kH - 1), pic[kH * kW - 1]) << name;
    ASSERT_NE(t.GetPalette(), nullptr);
    EXPECT_EQ(0, std::memcmp(t.GetPalette(), &file[40], 1024));
  }
  // A damaged file on disk is refused like one in memory.
  ASSERT_TRUE(WriteMbmFile(dir + "/short.bbm", {file.begin(), file.end() - 2}));
  TileMapPicture shortFile((dir + "/short.bbm").c_str());
  EXPECT_FALSE(shortFile.IsLoaded());
  EXPECT_EQ(shortFile.GetError(), kTilePictureErrTruncated);
}

// A PKC file is small on disk whatever size its header claims: a tile
// picture that claims far more than any picture needs is refused before
// anything is allocated or inflated for it, even when it begins well.
TEST(TilePicture, RefusesAFileClaimingFarMoreThanAPictureNeeds) {
  std::vector<uint8_t> content = fixtures::TileFile(kW, kH, nullptr);
  content.resize(size_t{80} << 20, 0);
  std::vector<uint8_t> packed;
  ASSERT_TRUE(PkcCompressBuffer(content.data(), content.size(), &packed));
  ASSERT_LT(packed.size(), size_t{1} << 20);
  const std::string dir = fixtures::BuildDir() + "/sprite-fixtures";
  std::filesystem::create_directories(dir);
  ASSERT_TRUE(WriteMbmFile(dir + "/claims-80-mib.bbm", packed));
  TileMapPicture t((dir + "/claims-80-mib.bbm").c_str());
  EXPECT_FALSE(t.IsLoaded());
  EXPECT_EQ(t.GetError(), kPkcErrMemory);
}

TEST(TilePicture, MissingFileGivesEmptyPicture) {
  TileMapPicture t("no/such/picture.bbm");
  EXPECT_FALSE(t.IsLoaded());
  EXPECT_NE(t.GetError(), kTilePictureOk);
  EXPECT_EQ(t.GetPalette(), nullptr);
}

// The naive reference: every pixel of the window that lies inside the picture
// and the target, one at a time.
std::vector<uint8_t> Reference(const std::vector<uint8_t>& pic, std::vector<uint8_t> target, int tw, int th,
                               int dstX, int dstY, int w, int h, int srcX, int srcY) {
  // Only the part of the window that can reach the target is walked.
  for (int y = 0; y < std::min(h, 64); ++y)
    for (int x = 0; x < std::min(w, 64); ++x) {
      const int64_t sx = int64_t{srcX} + x, sy = int64_t{srcY} + y, dx = int64_t{dstX} + x, dy = int64_t{dstY} + y;
      if (sx < 0 || sy < 0 || sx >= kW || sy >= kH || dx < 0 || dy < 0 || dx >= tw || dy >= th) continue;
      target[dy * tw + dx] = pic[sy * kW + sx];
    }
  return target;
}

TEST(TilePicture, DrawAtEveryAlignmentEqualsReference) {
  std::vector<uint8_t> pic;
  TileMapPicture t;
  ASSERT_TRUE(t.LoadFromMemory(fixtures::TileFile(kW, kH, &pic)));
  const int tw = 30, th = 26;
  const std::vector<uint8_t> blank(tw * th, 0);
  for (int srcY = 0; srcY < 8; ++srcY)
    for (int srcX = 0; srcX < 8; ++srcX)
      for (int w : {1, 2, 3, 4, 5, 7, 8, 9, 13, 16})
        for (int h : {1, 3, 4, 6, 9}) {
          for (auto [dx, dy] : {std::pair{0, 0}, {3, 5}, {1, 2}}) {
            std::vector<uint8_t> target = blank;
            t.DrawToBuffer(target.data(), tw, tw, th, dx, dy, w, h, srcX, srcY);
            ASSERT_EQ(target, Reference(pic, blank, tw, th, dx, dy, w, h, srcX, srcY))
                << "src " << srcX << "," << srcY << " size " << w << "x" << h;
          }
        }
}

TEST(TilePicture, DrawIsClippedToPictureAndTarget) {
  std::vector<uint8_t> pic;
  TileMapPicture t;
  ASSERT_TRUE(t.LoadFromMemory(fixtures::TileFile(kW, kH, &pic)));
  const int tw = 16, th = 12;
  const std::vector<uint8_t> blank(tw * th, 0);
  struct Case {
    int dstX, dstY, w, h, srcX, srcY;
  } cases[] = {
      {-3, -2, 10, 8, 1, 2},    // past the target's top-left
      {10, 8, 10, 8, 5, 3},     // past its bottom-right
      {0, 0, 100, 100, 0, 0},   // larger than picture and target
      {2, 1, 10, 10, -5, -3},   // negative source corner
      {0, 0, 8, 8, 20, 17},     // source running past the picture's end
      {0, 0, 8, 8, 24, 20},     // source wholly outside
      {-100, -100, 8, 8, 0, 0}, // destination wholly outside
      {0, 0, -4, 5, 0, 0},      // negative size
      {5, 5, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFF0, 3},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> target = blank;
    t.DrawToBuffer(target.data(), tw, tw, th, c.dstX, c.dstY, c.w, c.h, c.srcX, c.srcY);
    EXPECT_EQ(target, Reference(pic, blank, tw, th, c.dstX, c.dstY, c.w, c.h, c.srcX, c.srcY))
        << c.dstX << "," << c.dstY << " " << c.w << "x" << c.h << " from " << c.srcX << "," << c.srcY;
  }
}

TEST(TilePicture, RemapColoursUsesOnlyTheRange) {
  std::vector<uint8_t> pic;
  TileMapPicture t;
  ASSERT_TRUE(t.LoadFromMemory(fixtures::TileFile(kW, kH, &pic)));
  // The target palette equals the picture's own: a full-range remap changes
  // nothing, a remap to 0..254 never yields 255.
  std::vector<uint8_t> own(t.GetPalette(), t.GetPalette() + 1024);
  t.RemapColours(own.data(), 0, 256);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(t.PixelAt(x, y), pic[y * kW + x]);
  // Make entry 255 the only exact match of another colour, then exclude it.
  own[255 * 4] = own[200 * 4], own[255 * 4 + 1] = own[200 * 4 + 1], own[255 * 4 + 2] = own[200 * 4 + 2];
  t.RemapColours(own.data(), 0, 255);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_NE(t.PixelAt(x, y), 255);
}

}  // namespace
