// The maze engine's loaders: good files of each kind read back as written
// (plain or PKC-compressed), and a table of damaged files, each refused whole
// with its path on the debug output and nothing of it kept.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "base/pkc.h"
#include "events/maze3d/rc_format.h"
#include "events/maze3d/rc_level_tables.h"
#include "events/maze3d/rc_loader.h"
#include "events/maze3d/rc_tables.h"
#include "events/maze3d/rc_world.h"
#include "events/maze3d/rc_writer.h"
#include "graphics/bmp.h"
#include "tests/maze3d/maze_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes EngineBytes() {
  std::vector<int32_t> t[8], steps(kWallStepEntries);
  const int32_t* tables[8];
  int32_t* out[8];
  for (int i = 0; i < 8; ++i) {
    t[i].resize(kMazeTurn);
    tables[i] = out[i] = t[i].data();
  }
  RcComputeEngineTables(out, steps.data());
  return RcWriteEngineFile(tables, steps.data());
}

Bytes LevelBytes() {
  auto lv = FixtureLevel();
  Bytes b = RcWriteLevel(*lv);
  MazeFreeLevel(lv.get());
  return b;
}

// A frame: a filled disc of colour c; column t empty when t is 3.
Bytes DiscFrame(uint8_t c) {
  std::vector<uint8_t> px(128 * 128, 0);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x)
      if (x != 3 && (x - 64) * (x - 64) + (y - 80) * (y - 80) < 40 * 40) px[y * 128 + x] = uint8_t(c + (y & 1));
  return RcEncodeSpriteFrame(px.data());
}

Bytes SpriteBytes(int frames) {
  uint8_t palette[1024];
  for (int i = 0; i < 1024; ++i) palette[i] = uint8_t(i * 7);
  std::vector<Bytes> f;
  for (int i = 0; i < frames; ++i) f.push_back(DiscFrame(uint8_t(1 + i)));
  return RcWriteSpriteFile(palette, f);
}

// An 8-bit picture w x h whose pixel (x, y) is (x + 3 y) & 255, stored
// bottom row first.
Bytes PictureBytes(int w, int h) {
  std::vector<uint8_t> px(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px[size_t(y) * w + x] = uint8_t(x + 3 * y);
  PaletteEntry pal[256];
  for (int i = 0; i < 256; ++i) pal[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
  return EncodeBmp8(px.data(), w, h, w, pal);
}

void Put32(Bytes& b, size_t at, uint32_t v) { PutLe32(b.data() + at, v); }

TEST(MazeLoader, EngineTablesLoadWholeAndKeepTheAxesExact) {
  RcLoader loader;
  ASSERT_TRUE(loader.LoadData(WriteTestFile("rcengine.dat", EngineBytes()).c_str()));
  // The axes: sine and cosine exact, the unbounded tables 0 where their
  // users would divide or step.
  EXPECT_EQ(g_cosTable[0], 65536);
  EXPECT_EQ(g_sinTable[450], 65536);
  for (int a : {450, 1350}) {
    EXPECT_EQ(g_cosTable[a], 0);
    EXPECT_EQ(g_tanTable[a], 0);
    EXPECT_EQ(g_invCosTable[a], 0);
    EXPECT_EQ(g_yStepTable[a], 0);
  }
  for (int a : {0, 900}) {
    EXPECT_EQ(g_sinTable[a], 0);
    EXPECT_EQ(g_cotTable[a], 0);
    EXPECT_EQ(g_invSinTable[a], 0);
    EXPECT_EQ(g_xStepTable[a], 0);
  }
  // Next to the axes the values are large but their users' products fit.
  EXPECT_GT(g_tanTable[449], 18000000);
  EXPECT_LT(int64_t(g_yStepTable[449]) + (4064 << 16), int64_t(INT32_MAX));
  EXPECT_EQ(g_wallStepTable[kWallStepLast], kWallStepLast * 8192);
}

TEST(MazeLoader, DamagedEngineFilesLeaveTheTablesAsTheyWere) {
  LoadFixtureTables();
  const int32_t before = g_tanTable[100];
  struct Case { const char* name; std::function<void(Bytes&)> damage; };
  const Case cases[] = {
      {"short.dat", [](Bytes& b) { b.pop_back(); }},
      {"long.dat", [](Bytes& b) { b.push_back(0); }},
      {"magic.dat", [](Bytes& b) { b[0] ^= 1; }},
      {"columns.dat", [](Bytes& b) { Put32(b, 8, 640); }},
      {"tangent.dat", [](Bytes& b) { Put32(b, 20 + 2 * 7200 + 4 * 100, 0x7FFFFFFF); }},
      {"step.dat", [](Bytes& b) { Put32(b, 57620 + 4 * 10, 0xFFFFFFFF); }},
      {"nostep.dat", [](Bytes& b) { Put32(b, 57620 + 4 * 1, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes b = EngineBytes();
    c.damage(b);
    const std::string path = WriteTestFile(c.name, b);
    DebugCapture debug;
    RcLoader loader;
    EXPECT_FALSE(loader.LoadData(path.c_str()));
    EXPECT_TRUE(debug.Mentions(path));
    EXPECT_EQ(g_tanTable[100], before);
  }
}

TEST(MazeLoader, LevelReadsBackPlainAndCompressed) {
  auto want = FixtureLevel();
  const Bytes plain = RcWriteLevel(*want);
  // The floor section starts at 1108, so the wall maps stand at the wall offset.
  ASSERT_EQ(GetLe32(plain.data() + kRcLevelFloorOffset), uint32_t(kRcLevelFirstSection));
  const uint32_t wallOffset = GetLe32(plain.data() + kRcLevelWallOffset);
  EXPECT_EQ(GetLe16(plain.data() + wallOffset + 2 * (40 * 128 + 60)), 38);
  Bytes packed;
  ASSERT_TRUE(PkcCompressBuffer(plain.data(), plain.size(), &packed));
  for (const Bytes* bytes : {static_cast<const Bytes*>(&plain), static_cast<const Bytes*>(&packed)}) {
    auto got = std::make_unique<MazeLevel>();
    std::memset(got.get(), 0, sizeof(MazeLevel));
    const std::string path = WriteTestFile(bytes == &plain ? "plain.rce" : "packed.rce", *bytes);
    RcLoader loader;
    ASSERT_TRUE(loader.LoadTextures(path.c_str(), got.get()));
    ASSERT_TRUE(loader.LoadFloor(path.c_str(), got.get()));
    EXPECT_EQ(0, std::memcmp(got->xWalls, want->xWalls, sizeof want->xWalls));
    EXPECT_EQ(0, std::memcmp(got->yWalls, want->yWalls, sizeof want->yWalls));
    EXPECT_EQ(0, std::memcmp(got->floorMap, want->floorMap, sizeof want->floorMap));
    ASSERT_EQ(got->wallTextureCount, 40u);
    ASSERT_EQ(got->floorTextureCount, 2u);
    EXPECT_EQ(0, std::memcmp(got->wallTextures, want->wallTextures, 40 * 4096));
    EXPECT_EQ(0, std::memcmp(got->floorTextures, want->floorTextures, 2 * 1024));
    ASSERT_EQ(got->zoneCount, 2u);
    EXPECT_EQ(got->zones[0].x2, 60 * 32 - 1);
    EXPECT_EQ(got->zones[0].objectId[1], 37);
    EXPECT_EQ(got->zones[0].objectId[2], -1);
    EXPECT_EQ(got->zones[5].used, 0u);
    ASSERT_EQ(got->monsterCount, 3u);
    EXPECT_EQ(got->monsters[2].heading, 900);
    EXPECT_EQ(got->monsters[2].y, 800);
    MazeFreeLevel(got.get());
  }
  MazeFreeLevel(want.get());
}

// A level in the plain layout: fewer wall textures than the exit door's 36
// stages and nothing where the zone table would follow the header. It loads
// (the door's missing stages are drawn with the first texture) and takes
// the zones and monster places the game keeps for its level number.
TEST(MazeLoader, PlainLevelsWithoutZonesOrDoorTexturesLoad) {
  auto want = FixtureLevel();
  for (uint16_t* map : {want->xWalls, want->yWalls})
    for (int i = 0; i < kMazeMapEntries; ++i)
      if (map[i]) map[i] = uint16_t(1 + map[i] % 4);
  want->wallTextureCount = 4;
  for (bool zoneTable : {false, true}) {
    SCOPED_TRACE(zoneTable ? "its own zones" : "no zone table");
    const Bytes bytes = RcWriteLevel(*want, zoneTable);
    const std::string path = WriteTestFile(zoneTable ? "zoned.rce" : "plain.rce", bytes);
    auto got = std::make_unique<MazeLevel>();
    std::memset(got.get(), 0, sizeof(MazeLevel));
    RcLoader loader;
    ASSERT_TRUE(loader.LoadTextures(path.c_str(), got.get()));
    ASSERT_TRUE(loader.LoadFloor(path.c_str(), got.get()));
    EXPECT_EQ(got->wallTextureCount, 4u);
    EXPECT_EQ(0, std::memcmp(got->xWalls, want->xWalls, sizeof want->xWalls));
    EXPECT_EQ(got->zoneTable, zoneTable ? 1u : 0u);
    EXPECT_EQ(got->zoneCount, zoneTable ? 2u : 0u);
    EXPECT_EQ(got->monsterCount, zoneTable ? 3u : 0u);
    MazeFreeLevel(got.get());
  }
  MazeFreeLevel(want.get());
  // The zones kept for the first level: twelve, the known monster places,
  // the others of a zone at its middle.
  MazeLevel kept{};
  MazeKeptZones(0, &kept);
  ASSERT_EQ(kept.zoneCount, 12u);
  EXPECT_EQ(kept.zones[0].x1, 832);
  EXPECT_EQ(kept.zones[0].objectId[2], 63);
  EXPECT_EQ(kept.zones[12].used, 0u);
  ASSERT_EQ(kept.monsterCount, 28u);
  EXPECT_EQ(kept.monsters[0].heading, 675);
  EXPECT_EQ(kept.monsters[0].x, 1200);
  EXPECT_EQ(kept.monsters[2].y, 448);
  EXPECT_EQ(kept.monsters[27].x, (832 + 1056) / 2);  // monster 63, of zone 0
  MazeKeptZones(2, &kept);
  EXPECT_EQ(kept.zoneCount, 8u);
  EXPECT_EQ(kept.monsterCount, 27u);  // monster 63 keeps what the screen gave it
}

TEST(MazeLoader, DamagedLevelsAreRefusedByName) {
  const Bytes good = LevelBytes();
  const uint32_t floorOffset = GetLe32(good.data() + kRcLevelFloorOffset);
  const uint32_t wallOffset = GetLe32(good.data() + kRcLevelWallOffset);
  const size_t gap = kRcLevelHeaderSize;
  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
    bool wallsRefused, floorRefused;
  };
  const Case cases[] = {
      {"short.rce", [](Bytes& b) { b.resize(b.size() - 1); }, true, false},
      {"header.rce", [](Bytes& b) { b.resize(30); }, true, true},
      {"magic.rce", [](Bytes& b) { b[3] = 'X'; }, true, true},
      {"width.rce", [](Bytes& b) { Put32(b, kRcLevelMapWidth, 64); }, true, true},
      {"cell16.rce", [](Bytes& b) { PutLe16(b.data() + kRcLevelCellWidth, 16); }, true, true},
      {"textureless.rce", [](Bytes& b) { Put32(b, kRcLevelWallCount, 0); }, true, false},
      {"walls-huge.rce", [](Bytes& b) { Put32(b, kRcLevelWallCount, 0x40000000); }, true, false},
      {"floors-huge.rce", [](Bytes& b) { Put32(b, kRcLevelFloorCount, 0xFFFFFFFF); }, false, true},
      {"wall-offset.rce", [](Bytes& b) { Put32(b, kRcLevelWallOffset, 0xFFFFFF00); }, true, false},
      {"wall-before.rce", [&](Bytes& b) { Put32(b, kRcLevelWallOffset, floorOffset - 2000); }, true, false},
      {"floor-offset.rce", [](Bytes& b) { Put32(b, kRcLevelFloorOffset, 8); }, true, true},
      {"floor-past.rce", [](Bytes& b) { Put32(b, kRcLevelFloorOffset, uint32_t(b.size())); }, true, true},
      {"x-texture.rce", [&](Bytes& b) { PutLe16(b.data() + wallOffset + 2 * 5000, 41); }, true, false},
      {"y-texture.rce", [&](Bytes& b) { PutLe16(b.data() + wallOffset + kRcMapBytes + 2 * 77, 0xFFFF); }, true, false},
      {"floor-texture.rce", [&](Bytes& b) { PutLe16(b.data() + floorOffset + 2 * 9, 3); }, false, true},
      {"zones.rce", [&](Bytes& b) { Put32(b, gap + 4, 17); }, true, false},
      {"monsters.rce", [&](Bytes& b) { Put32(b, gap + 8, 29); }, true, false},
      {"zone-rect.rce", [&](Bytes& b) { Put32(b, gap + kRcZoneTableOffset + 8, 10); }, true, false},
      {"zone-object.rce", [&](Bytes& b) { Put32(b, gap + kRcZoneTableOffset + 16, 5); }, true, false},
      {"monster-out.rce", [&](Bytes& b) { Put32(b, gap + kRcMonsterTableOffset + 4, 4090); }, true, false},
      {"monster-turn.rce", [&](Bytes& b) { Put32(b, gap + kRcMonsterTableOffset, 1800); }, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes b = good;
    c.damage(b);
    const std::string path = WriteTestFile(c.name, b);
    auto lv = FixtureLevel();  // what a refused load must leave alone
    const uint16_t mapBefore = lv->xWalls[40 * 128 + 60];
    DebugCapture debug;
    RcLoader loader;
    EXPECT_EQ(loader.LoadTextures(path.c_str(), lv.get()), !c.wallsRefused);
    EXPECT_EQ(loader.LoadFloor(path.c_str(), lv.get()), !c.floorRefused);
    EXPECT_EQ(debug.Mentions(path), c.wallsRefused || c.floorRefused);
    if (c.wallsRefused) {
      EXPECT_EQ(lv->wallTextures, nullptr);
      EXPECT_EQ(lv->wallTextureCount, 0u);
      EXPECT_EQ(lv->xWalls[40 * 128 + 60], mapBefore);
    }
    if (c.floorRefused) {
      EXPECT_EQ(lv->floorTextures, nullptr);
    }
    MazeFreeLevel(lv.get());
  }
}

TEST(MazeLoader, SpriteRecordsWalkSafelyToTheBlockEnd) {
  const Bytes file = SpriteBytes(10);
  Bytes packed;
  ASSERT_TRUE(PkcCompressBuffer(file.data(), file.size(), &packed));
  RcLoader loader;
  uint32_t count = 0;
  uint8_t* block = loader.LoadSpriteRle(WriteTestFile("ten.mbm", packed).c_str(), &count);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(count, 10u);
  EXPECT_EQ(RcRecordCount(block), 10u);
  // Poses of eight records: one fits, two do not; a walk never leaves the block.
  const uint8_t* poses[2];
  EXPECT_TRUE(RcWalkPoses(block, 0, 1, 8, poses));
  EXPECT_FALSE(RcWalkPoses(block, 0, 2, 8, poses));
  EXPECT_TRUE(RcWalkPoses(block, 2, 1, 8, poses));
  const uint8_t* last = RcRecordAt(block, 9);
  EXPECT_EQ(RcRecordAt(block, 500), last);
  EXPECT_EQ(RcNextRecord(last), last);
  // Decoding: the disc's texels, the empty column, nothing past the frame.
  uint8_t col[128];
  ASSERT_TRUE(RcDecodeColumn(RcRecordAt(block, 4), 64, col));
  EXPECT_EQ(col[79], 6);  // frame 4 is colour 5, odd rows one more
  EXPECT_EQ(col[80], 5);
  EXPECT_EQ(col[81], 6);
  EXPECT_EQ(col[30], 0);
  EXPECT_FALSE(RcDecodeColumn(block, 3, col));
  // The palette is the file's.
  uint8_t pal[1024];
  ASSERT_TRUE(loader.LoadSecrPalette(WriteTestFile("ten2.mbm", file).c_str(), pal));
  EXPECT_EQ(pal[100], uint8_t(700));
  RcFree(block);
}

TEST(MazeLoader, ColourShiftsTouchLiteralTexelsOnly) {
  RcLoader loader;
  uint32_t count = 0;
  uint8_t* block = loader.LoadSpriteRle(WriteTestFile("two.mbm", SpriteBytes(2)).c_str(), &count);
  ASSERT_NE(block, nullptr);
  const uint32_t size = RcRecordBytes(block) + 4 + RcRecordBytes(RcRecordAt(block, 1)) + 4;
  Bytes before(block, block + size);
  RcLoader::ShiftSpriteColours(1, 0x7F, block, 1);  // the first record only
  uint8_t col[128];
  ASSERT_TRUE(RcDecodeColumn(block, 64, col));
  EXPECT_EQ(col[80], 0x7F);       // 1 + 0x7E
  EXPECT_EQ(col[81], 0x80);
  EXPECT_EQ(RcRecordCount(block), 2u);  // lengths and codes untouched: the walk still works
  ASSERT_TRUE(RcDecodeColumn(RcRecordAt(block, 1), 64, col));
  EXPECT_EQ(col[80], 2);          // the second record is not shifted
  EXPECT_TRUE(std::equal(before.begin() + RcRecordBytes(block) + 4, before.end(), block + RcRecordBytes(block) + 4));
  RcFree(block);

  uint8_t px[4] = {0, 1, 32, 200};
  RcLoader::ShiftColours(1, 0x7F, px, 4);
  EXPECT_EQ(px[0], 0);
  EXPECT_EQ(px[1], 0x7F);
  EXPECT_EQ(px[2], 0x9E);
  EXPECT_EQ(px[3], uint8_t(200 + 0x7E));

  uint8_t src[1024], dst[1024];
  for (int i = 0; i < 1024; ++i) src[i] = uint8_t(i), dst[i] = 0xEE;
  RcLoader::CopyPaletteRange(src, dst, 1, 0x9F, 32);
  EXPECT_EQ(dst[0x9F * 4], 4);      // entry 1's blue
  EXPECT_EQ(dst[0x9F * 4 + 3], 0xEE);
  EXPECT_EQ(dst[0xBE * 4 + 2], uint8_t(32 * 4 + 2));
  EXPECT_EQ(dst[0xBF * 4], 0xEE);   // one past the range
  RcLoader::CopyPaletteRange(src, dst, 1, 250, 32);  // cut at entry 255
  EXPECT_EQ(dst[255 * 4], uint8_t(6 * 4));
}

TEST(MazeLoader, DamagedSpriteFilesAreRefusedByName) {
  const Bytes good = SpriteBytes(3);
  const size_t first = kRcSecrRecordsOffset;  // the first record's byte count
  const uint32_t n0 = GetLe32(good.data() + first);
  struct Case { const char* name; std::function<void(Bytes&)> damage; };
  const Case cases[] = {
      {"short.mbm", [](Bytes& b) { b.resize(b.size() - 1); }},
      {"tiny.mbm", [](Bytes& b) { b.resize(8); }},
      {"magic.mbm", [](Bytes& b) { b[1] = 0; }},
      {"total-small.mbm", [](Bytes& b) { Put32(b, kRcSecrTotalField, 1000); }},
      {"total-huge.mbm", [](Bytes& b) { Put32(b, kRcSecrTotalField, 0xFFFFFFF0); }},
      {"record-past.mbm", [&](Bytes& b) { Put32(b, first, n0 + 100000); }},
      {"record-cut.mbm", [&](Bytes& b) { Put32(b, kRcSecrTotalField, uint32_t(first + 2)); }},
      {"column-length.mbm", [&](Bytes& b) { PutLe16(b.data() + first + 4, 0x1FFF); }},
      {"column-flags.mbm", [&](Bytes& b) { PutLe16(b.data() + first + 4, 0x8000); }},
      {"record-extra.mbm", [&](Bytes& b) {  // a frame with bytes after its 128 columns
         Put32(b, first, n0 + 2);
         b.insert(b.begin() + long(first + 4 + n0), {0, 0});
         Put32(b, kRcSecrTotalField, uint32_t(b.size()));
       }},
      {"frame-short.mbm", [&](Bytes& b) { Put32(b, first, 100); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes b = good;
    c.damage(b);
    const std::string path = WriteTestFile(c.name, b);
    DebugCapture debug;
    RcLoader loader;
    EXPECT_EQ(loader.LoadSpriteRle(path.c_str()), nullptr);
    EXPECT_TRUE(debug.Mentions(path));
  }
  // A column whose codes say more texels than it holds, and one taller than
  // the frame: built by hand.
  for (int bad = 0; bad < 3; ++bad) {
    SCOPED_TRACE(bad);
    Bytes frame;
    for (int col = 0; col < 128; ++col) {
      if (col != 7) {
        frame.insert(frame.end(), {0, 0});
        continue;
      }
      uint16_t words[3][3] = {{4, 0x4000 | 5, 0}, {4, 0x2000 | 100, 0x2000 | 29}, {2, 0x6001, 0}};
      const int count = words[bad][0] / 2;
      frame.push_back(uint8_t(words[bad][0]));
      frame.push_back(0);
      for (int w = 1; w <= count; ++w) {
        frame.push_back(uint8_t(words[bad][w]));
        frame.push_back(uint8_t(words[bad][w] >> 8));
      }
    }
    EXPECT_NE(RcCheckFrame(frame.data(), uint32_t(frame.size())), nullptr);
  }
}

TEST(MazeLoader, PicturesComeTopRowFirstAndBadOnesAreRefused) {
  RcLoader loader;
  int32_t w = 0, h = 0;
  // Stored bottom row first: row 0 of the block is the picture's top row.
  uint8_t* px = loader.LoadBmpPixels(WriteTestFile("up.bmp", PictureBytes(20, 6)).c_str(), &w, &h);
  ASSERT_NE(px, nullptr);
  EXPECT_EQ(w, 20);
  EXPECT_EQ(h, 6);
  EXPECT_EQ(px[0], 0);
  EXPECT_EQ(px[5 * 20 + 1], 16);
  RcFree(px);
  // A negative height is stored top row first and comes back as stored.
  Bytes down = PictureBytes(20, 6);
  Put32(down, 22, uint32_t(-6));
  Bytes rows(down.begin() + kRcBmpPixelOffset, down.end());
  for (int y = 0; y < 6; ++y)
    std::copy(rows.begin() + (5 - y) * 20, rows.begin() + (6 - y) * 20, down.begin() + kRcBmpPixelOffset + y * 20);
  px = loader.LoadBmpPixels(WriteTestFile("down.bmp", down).c_str(), &w, &h);
  ASSERT_NE(px, nullptr);
  EXPECT_EQ(h, 6);
  EXPECT_EQ(px[5 * 20 + 1], 16);
  RcFree(px);
  // Rows padded to four bytes (a width of 7) are read past their padding.
  px = loader.LoadBmpPixels(WriteTestFile("odd.bmp", PictureBytes(7, 3)).c_str(), &w, &h);
  ASSERT_NE(px, nullptr);
  EXPECT_EQ(px[2 * 7 + 6], 12);
  RcFree(px);
  // FlipRows gives a new block, rows reversed.
  uint8_t rowsIn[6] = {1, 2, 3, 4, 5, 6};
  uint8_t* flipped = RcLoader::FlipRows(2, 3, rowsIn);
  ASSERT_NE(flipped, nullptr);
  EXPECT_EQ(flipped[0], 5);
  EXPECT_EQ(flipped[5], 2);
  RcFree(flipped);
  uint8_t pal[1024];
  ASSERT_TRUE(loader.LoadBmpPalette(WriteTestFile("pal.bmp", PictureBytes(4, 4)).c_str(), pal));
  EXPECT_EQ(pal[4 * 10 + 1], 245);  // green of entry 10

  struct Case { const char* name; std::function<void(Bytes&)> damage; bool paletteToo; };
  const Case cases[] = {
      {"magic.bmp", [](Bytes& b) { b[0] = 'X'; }, true},
      {"bits.bmp", [](Bytes& b) { PutLe16(b.data() + 28, 24); }, true},
      {"packed.bmp", [](Bytes& b) { Put32(b, 30, 1); }, false},
      {"width.bmp", [](Bytes& b) { Put32(b, 18, 0); }, false},
      {"height.bmp", [](Bytes& b) { Put32(b, 22, 0x80000000u); }, false},
      {"huge.bmp", [](Bytes& b) { Put32(b, 18, 100000); Put32(b, 22, 100000); }, false},
      {"short.bmp", [](Bytes& b) { b.resize(b.size() - 1); }, false},
      {"cut.bmp", [](Bytes& b) { b.resize(60); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes b = PictureBytes(20, 6);
    c.damage(b);
    const std::string path = WriteTestFile(c.name, b);
    DebugCapture debug;
    EXPECT_EQ(loader.LoadBmpPixels(path.c_str()), nullptr);
    EXPECT_TRUE(debug.Mentions(path));
    EXPECT_EQ(loader.LoadBmpPalette(path.c_str(), pal), !c.paletteToo);
  }
  // A picture of the wrong size where one size is needed.
  DebugCapture debug;
  const std::string path = WriteTestFile("face.bmp", PictureBytes(64, 40));
  EXPECT_EQ(loader.LoadPicture(path.c_str(), 64, 48), nullptr);
  EXPECT_TRUE(debug.Mentions(path));
  px = loader.LoadPicture(path.c_str(), 64, 30, true);
  EXPECT_NE(px, nullptr);
  RcFree(px);
}

TEST(MazeLoader, MissingFilesAreReportedByName) {
  DebugCapture debug;
  RcLoader loader;
  auto lv = std::make_unique<MazeLevel>();
  std::memset(lv.get(), 0, sizeof(MazeLevel));
  uint8_t pal[1024];
  EXPECT_FALSE(loader.LoadData("no/such/rcengine.dat"));
  EXPECT_FALSE(loader.LoadTextures("no/such/level.rce", lv.get()));
  EXPECT_FALSE(loader.LoadFloor("no/such/level.rce", lv.get()));
  EXPECT_EQ(loader.LoadSpriteRle("no/such/sprite.mbm"), nullptr);
  EXPECT_EQ(loader.LoadBmpPixels("no/such/picture.bmp"), nullptr);
  EXPECT_FALSE(loader.LoadBmpPalette("no/such/palette.bmp", pal));
  EXPECT_FALSE(loader.LoadSecrPalette("no/such/palette.mbm", pal));
  for (const char* name : {"rcengine.dat", "level.rce", "sprite.mbm", "picture.bmp", "palette.bmp", "palette.mbm"})
    EXPECT_TRUE(debug.Mentions(std::string("no/such/") + name)) << name;
}

}  // namespace
