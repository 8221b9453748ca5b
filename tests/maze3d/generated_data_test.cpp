// The generated maze data as the event reads it: every file loads through the
// engine's loaders at the sizes and frame counts the event walks, and each
// level's navigation graph routes every node to every other in as few hops as
// a breadth-first search finds.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/paths.h"
#include "events/maze3d/maze3d_data.h"
#include "events/maze3d/rc_hud.h"
#include "events/maze3d/rc_level_tables.h"
#include "events/maze3d/rc_loader.h"
#include "events/maze3d/rc_mover.h"
#include "events/maze3d/rc_navgraph.h"
#include "events/maze3d/rc_raycaster.h"
#include "events/maze3d/rc_support.h"
#include "events/maze3d/rc_tables.h"
#include "events/maze3d/rc_world.h"
#include "tests/maze3d/maze_fixture.h"

namespace {

using namespace mazeassets;

std::string DataFile(const char* rel) {
  return ResolvePath(JoinPath(std::string(KEL_GAMEDATA_DIR) + "/data", rel));
}

TEST(MazeData, EngineSpritesHoldTheFramesTheEventWalks) {
  struct Want { const char* path; int frames; };
  std::vector<Want> wants = {{kKeyManSprite, kKeyManFrames},
                             {kExplosionSprite, kExplosionFrames},
                             {kMonsterSprite, kMonsterFrames}};
  for (int c = 0; c < kCharacters; ++c) {
    wants.push_back({kWeaponSprite[c], kWeaponFrames});
    wants.push_back({kCharacterSprite[c], kCharacterPoses[c].total() * kDirections});
  }
  for (const Want& w : wants) {
    SCOPED_TRACE(w.path);
    RcLoader loader;
    uint32_t count = 0;
    uint8_t* block = loader.LoadSpriteRle(DataFile(w.path).c_str(), &count);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(count, uint32_t(w.frames));
    uint8_t palette[1024];
    EXPECT_TRUE(loader.LoadSecrPalette(DataFile(w.path).c_str(), palette));
    RcFree(block);
  }
}

TEST(MazeData, CharacterPicturesUseTheirOwnThirtyTwoColours) {
  for (int c = 0; c < kCharacters; ++c) {
    SCOPED_TRACE(kFaceFile[c]);
    RcLoader loader;
    for (const char* path : {kFaceFile[c], kMapIcon[c]}) {
      const bool face = path == kFaceFile[c];
      uint8_t* px = loader.LoadPicture(DataFile(path).c_str(), face ? kFaceW : kMapIconSize, face ? kFaceH : kMapIconSize);
      ASSERT_NE(px, nullptr);
      int used = 0;
      for (int i = 0; i < (face ? kFaceW * kFaceH : kMapIconSize * kMapIconSize); ++i) {
        EXPECT_LE(px[i], kCharacterColours);
        used += px[i] != 0;
      }
      EXPECT_GT(used, 40);
      RcFree(px);
    }
    uint32_t count = 0;
    uint8_t* block = loader.LoadSpriteRle(DataFile(kCharacterSprite[c]).c_str(), &count);
    ASSERT_NE(block, nullptr);
    uint8_t column[128];
    for (const uint8_t* r = block; ; r = RcNextRecord(r)) {
      for (int t = 0; t < 128; t += 9)
        if (RcDecodeColumn(r, t, column)) {
          for (uint8_t v : column) ASSERT_LE(v, kCharacterColours);
        }
      if (RcNextRecord(r) == r) break;
    }
    RcFree(block);
    uint8_t night[1024], sun[1024];
    EXPECT_TRUE(loader.LoadBmpPalette(DataFile(kNightPalette[c]).c_str(), night));
    EXPECT_TRUE(loader.LoadBmpPalette(DataFile(kSunsetPalette[c]).c_str(), sun));
  }
}

TEST(MazeData, PicturesHaveTheSizesTheEventDrawsBy) {
  struct Want { const char* path; int w, h; };
  std::vector<Want> wants = {{kStatusPicture, 640, 80},
                             {kIconStrip, kWeaponIconW, 4 * kWeaponIconH},
                             {kPowerPicture, kFaceW, 11 * kFaceH},
                             {kDoorMapIcon, kMapIconSize, kMapIconSize},
                             {kIntroPicture, kIntroSize, kIntroPictureFrames * kIntroSize},
                             {kSplitNightSky, kSkyW, kSkyH}};
  for (const char* s : kSkyFile) wants.push_back({s, kSkyW, kSkyH});
  for (const char* w : kWeaponIcon) wants.push_back({w, kWeaponIconW, kWeaponIconH});
  for (const Want& w : wants) {
    SCOPED_TRACE(w.path);
    RcLoader loader;
    uint8_t* px = loader.LoadPicture(DataFile(w.path).c_str(), w.w, w.h);
    ASSERT_NE(px, nullptr);
    RcFree(px);
  }
  // Each sky carries the maze palette: the flat sky in the sky's colours,
  // its pixels only in the sky's range.
  for (const char* s : kSkyFile) {
    SCOPED_TRACE(s);
    RcLoader loader;
    int32_t w = 0, h = 0;
    uint8_t* px = loader.LoadBmpPixels(DataFile(s).c_str(), &w, &h);
    ASSERT_NE(px, nullptr);
    for (int i = 0; i < w * h; i += 17) {
      ASSERT_GE(px[i], kSkyFirst);
      ASSERT_LE(px[i], kSkyLast);
    }
    RcFree(px);
  }
}

struct LoadedLevel {
  std::unique_ptr<MazeLevel> level = std::make_unique<MazeLevel>();
  std::unique_ptr<MazeNavGraph> nav = std::make_unique<MazeNavGraph>();
  explicit LoadedLevel(int n) {
    std::memset(level.get(), 0, sizeof(MazeLevel));
    RcLoader loader;
    EXPECT_TRUE(loader.LoadTextures(DataFile(kLevelFile[n]).c_str(), level.get()));
    EXPECT_TRUE(loader.LoadFloor(DataFile(kLevelFile[n]).c_str(), level.get()));
    EXPECT_TRUE(nav->LoadFiles(DataFile(kNodeFile[n]).c_str(), DataFile(kHopFile[n]).c_str()));
  }
  ~LoadedLevel() { MazeFreeLevel(level.get()); }
};

TEST(MazeData, LevelsHoldTheDoorTexturesZonesAndMonsters) {
  RcLoader loader;
  ASSERT_TRUE(loader.LoadData(DataFile(kEngineFile).c_str()));
  for (int n = 0; n < kLevels; ++n) {
    SCOPED_TRACE(kLevelFile[n]);
    LoadedLevel l(n);
    EXPECT_GE(l.level->wallTextureCount, uint32_t(kMazeDoorTextures));
    EXPECT_GT(l.level->floorTextureCount, 0u);
    EXPECT_GT(l.level->zoneCount, 4u);
    EXPECT_GT(l.level->monsterCount, 10u);
    EXPECT_GE(l.nav->nodeCount(), kRcNavPoints);
    // A monster named by a zone is one the level places.
    for (uint32_t z = 0; z < l.level->zoneCount; ++z)
      for (int id : l.level->zones[z].objectId)
        if (id >= 0) {
          EXPECT_LT(uint32_t(id - kMazeFirstMonster), l.level->monsterCount);
        }
  }
}

// The game keeps each generated level's areas for a navigation file that
// does not carry its own; the generated files and the kept tables agree
// (scripts/maze_kept_areas.py remakes the tables after the generator changes).
TEST(MazeData, TheAreasTheGameKeepsAreTheGeneratedLevelsOwn) {
  for (int n = 0; n < kLevels; ++n) {
    SCOPED_TRACE(kNodeFile[n]);
    LoadedLevel l(n);
    ASSERT_TRUE(l.nav->areasInFile());
    int count = 0;
    const int32_t(*kept)[4] = MazeKeptAreas(n, &count);
    ASSERT_EQ(count, l.nav->areaCount()) << "run scripts/maze_kept_areas.py";
    for (int k = 0; k < count; ++k)
      for (int j = 0; j < 4; ++j) ASSERT_EQ(kept[k][j], l.nav->area(k)[j]) << "area " << k << "; run scripts/maze_kept_areas.py";
  }
}

TEST(MazeData, EveryNodeReachesEveryOtherInTheFewestHops) {
  for (int n = 0; n < kLevels; ++n) {
    SCOPED_TRACE(kNodeFile[n]);
    LoadedLevel l(n);
    const MazeNavGraph& nav = *l.nav;
    const int count = nav.nodeCount();
    for (int to = 0; to < count; ++to) {
      std::vector<int> dist(size_t(count), -1);
      std::deque<int> queue{to};
      dist[size_t(to)] = 0;
      while (!queue.empty()) {
        const int k = queue.front();
        queue.pop_front();
        for (int j = 0; j < 4; ++j) {
          const int m = nav.neighbour(k, j);
          if (m >= 0 && dist[size_t(m)] < 0) {
            dist[size_t(m)] = dist[size_t(k)] + 1;
            queue.push_back(m);
          }
        }
      }
      for (int from = 0; from < count; ++from) {
        ASSERT_GE(dist[size_t(from)], 0) << from << " -> " << to;
        int hops = 0, at = from;
        while (at != to && hops <= count) {
          const int next = nav.nextHop(at, to);
          // Each hop is to a neighbour, one step nearer.
          bool neighbour = false;
          for (int j = 0; j < 4; ++j) neighbour = neighbour || nav.neighbour(at, j) == next;
          ASSERT_TRUE(neighbour) << at << " -> " << next;
          at = next;
          ++hops;
        }
        ASSERT_EQ(hops, dist[size_t(from)]) << from << " -> " << to;
      }
    }
  }
}

TEST(MazeData, NavigationPlacesLieWhereTheComputerPlayersLookForThem) {
  for (int n = 0; n < kLevels; ++n) {
    SCOPED_TRACE(kNodeFile[n]);
    LoadedLevel l(n);
    MazeNavGraph& nav = *l.nav;
    const MazeLevel& lv = *l.level;
    // Every place lies in the open region a walk from the first start reaches.
    std::vector<uint8_t> open(128 * 128);
    const int cells = MazeFloodCells(lv.xWalls, lv.yWalls, (nav.point(4)[1] >> 5) * 128 + (nav.point(4)[0] >> 5),
                                     open.data());
    EXPECT_GT(cells, 2000);
    EXPECT_LT(cells, 128 * 128 / 2);  // closed: the walk never reaches the map's edge
    for (int p = 0; p < kRcNavPoints; ++p) {
      const int32_t* pt = nav.point(p);
      EXPECT_TRUE(open[(pt[1] >> 5) * 128 + (pt[0] >> 5)]) << "place " << p << " stands in a solid cell";
    }
    for (int d = 0; d < 4; ++d) {
      // A door place is a node on the north wall of a cell three cells wide:
      // walking straight north from the node below it leads into the door.
      const int32_t* pt = nav.point(d);
      const int cell = (pt[1] >> 5) * 128 + (pt[0] >> 5);
      for (int k = -1; k <= 1; ++k) EXPECT_NE(lv.yWalls[cell + k], 0);
      const int node = nav.NearestNode(pt[0], pt[1]);
      EXPECT_EQ(nav.NodeX(node), pt[0]);
      EXPECT_EQ(nav.NodeY(node), pt[1]);
      bool belowIsNeighbour = false;
      for (int j = 0; j < 4; ++j) {
        const int m = nav.neighbour(node, j);
        belowIsNeighbour = belowIsNeighbour || (m >= 0 && nav.NodeX(m) == pt[0] && nav.NodeY(m) > pt[1]);
      }
      EXPECT_TRUE(belowIsNeighbour);
    }
    // The key man's places lie in an area whose node sees them.
    for (int k = 12; k < 20; ++k) {
      const int32_t* pt = nav.point(k);
      const int area = nav.AreaAt(pt[0], pt[1]);
      const int32_t* r = nav.area(area);
      EXPECT_TRUE(pt[0] >= r[0] && pt[0] <= r[2] && pt[1] >= r[1] && pt[1] <= r[3]);
    }
  }
}

}  // namespace

namespace {

// Renders each level from each start place, looking along each axis, with
// the generated sky, textures and things: every pixel of the view is
// painted (the level is closed, so every ray meets a wall and every wall's
// column gets sky and floor). The first frame of each level is written as a
// PNG for a person to look at.
TEST(MazeData, EveryStartPlaceShowsAClosedPaintedView) {
  RcLoader loader;
  ASSERT_TRUE(loader.LoadData(DataFile(kEngineFile).c_str()));
  ASSERT_TRUE(MazeBuildTables());
  uint8_t palette[1024];
  ASSERT_TRUE(loader.LoadBmpPalette(DataFile(kSkyFile[3]).c_str(), palette));
  uint8_t* keyMan = loader.LoadSpriteRle(DataFile(kKeyManSprite).c_str());
  uint8_t* monster = loader.LoadSpriteRle(DataFile(kMonsterSprite).c_str());
  ASSERT_NE(keyMan, nullptr);
  ASSERT_NE(monster, nullptr);
  const uint8_t* monsterPoses[kMonsterPoses];
  ASSERT_TRUE(RcWalkPoses(monster, 0, kMonsterPoses, kDirections, monsterPoses));
  std::vector<uint8_t> frame(640 * 480);
  for (int n = 0; n < kLevels; ++n) {
    SCOPED_TRACE(kLevelFile[n]);
    MazeResetWorld();
    LoadedLevel l(n);
    std::memcpy(&g_mazeLevel, l.level.get(), sizeof(MazeLevel));
    g_mazeLevel.skyPicture = loader.LoadBmpPixels(DataFile(kSkyFile[n]).c_str(), &g_mazeLevel.skyWidth,
                                                  &g_mazeLevel.skyHeight);
    g_mazeLevel.floorColour = uint8_t(kSkyFloorColour[n]);
    g_mazeObjects[0] = MazeObjectRecord{1, 0, 0, 0, keyMan, l.nav->KeyManPoint(n)[0], l.nav->KeyManPoint(n)[1], 0, 0, 0, 0};
    for (uint32_t m = 0; m < g_mazeLevel.monsterCount; ++m) {
      MazeObjectRecord& o = g_mazeObjects[kMazeFirstMonster + m];
      o.active = 1;
      o.poseIndex = kMonsterSpitFirst;
      o.pose = monsterPoses[kMonsterSpitFirst];
      o.heading = uint16_t(g_mazeLevel.monsters[m].heading);
      o.x = g_mazeLevel.monsters[m].x;
      o.y = g_mazeLevel.monsters[m].y;
    }
    g_mazeFrame = frame.data();
    g_mazePitch = 640;
    RayCaster caster;
    for (int s = 4; s < 12; ++s)
      for (int heading : {0, 450, 900, 1350}) {
        std::fill(frame.begin(), frame.end(), uint8_t(1));
        MazeViewRecord v{};
        v.flags = kRunnerStartFlags;
        v.player = 3;
        v.viewIndex = 65;
        v.viewOffset = -10;
        v.viewValue = g_floorRowTables[65];
        v.x = l.nav->point(s)[0];
        v.y = l.nav->point(s)[1];
        v.heading = int16_t(heading);
        v.moveHeading = uint16_t(heading);
        caster.SetCamera(v);
        caster.CastColumns();
        caster.CollectSprites();
        caster.RenderSingleView();
        int unpainted = 0;
        for (int i = 0; i < 640 * 400; ++i) unpainted += frame[i] == 1;
        if (unpainted) {
          for (int i = 0; i < 640 * 400; ++i)
            if (frame[i] == 1) ADD_FAILURE() << "unpainted " << i % 640 << "," << i / 640;
          WriteIndexedPng(std::string(KEL_BINARY_DIR) + "/test-home/maze3d/unpainted.png", frame.data(), 640, 400, 640, palette);
        }
        ASSERT_EQ(unpainted, 0) << "start " << s << " heading " << heading;
        if (s == 4 && heading == 0) {
          const std::string png = std::string(KEL_BINARY_DIR) + "/test-home/maze3d/level" + std::to_string(n + 1) + ".png";
          std::filesystem::create_directories(std::string(KEL_BINARY_DIR) + "/test-home/maze3d");
          WriteIndexedPng(png, frame.data(), 640, 400, 640, palette);
        }
      }
    g_mazeFrame = nullptr;
    RcFree(g_mazeLevel.skyPicture);
    std::memset(&g_mazeLevel, 0, sizeof(MazeLevel));  // the blocks stay with the loaded level
  }
  RcFree(keyMan);
  RcFree(monster);
  MazeFreeTables();
  MazeResetWorld();
}

}  // namespace

namespace {

// A whole single-view frame of the generated data, written as a PNG for a
// person to look at: a level, its sky, the viewer's own character in front
// of the camera, the key man and the monsters, the status bar with four
// faces, bars, scores and items, and the automap.
TEST(MazeData, AWholeFrameDrawsFromTheGeneratedData) {
  RcLoader loader;
  ASSERT_TRUE(loader.LoadData(DataFile(kEngineFile).c_str()));
  ASSERT_TRUE(MazeBuildTables());
  MazeResetWorld();
  LoadedLevel l(1);
  std::memcpy(&g_mazeLevel, l.level.get(), sizeof(MazeLevel));
  uint8_t palette[1024];
  ASSERT_TRUE(loader.LoadBmpPalette(DataFile(kSkyFile[2]).c_str(), palette));
  g_mazeLevel.skyPicture = loader.LoadBmpPixels(DataFile(kSkyFile[2]).c_str(), &g_mazeLevel.skyWidth, &g_mazeLevel.skyHeight);
  g_mazeLevel.floorColour = uint8_t(kSkyFloorColour[2]);
  MazeHud hud;
  g_mazeHud = &hud;
  ASSERT_TRUE(hud.LoadPictures((std::string(KEL_GAMEDATA_DIR) + "/data").c_str()));
  // Four characters (RADEROZI, RIZAZ, ZOVI, ZARU) in the four bands.
  const int characters[4] = {4, 0, 5, 2};
  uint8_t* blocks[4] = {};
  for (int p = 0; p < 4; ++p) {
    const int ch = characters[p], band = kBandFirst + 32 * p;
    uint32_t count = 0;
    blocks[p] = loader.LoadSpriteRle(DataFile(kCharacterSprite[ch]).c_str(), &count);
    ASSERT_NE(blocks[p], nullptr);
    RcLoader::ShiftSpriteColours(1, uint8_t(band), blocks[p], count);
    uint8_t* face = loader.LoadPicture(DataFile(kFaceFile[ch]).c_str(), kFaceW, kFaceH);
    uint8_t* icon = loader.LoadPicture(DataFile(kMapIcon[ch]).c_str(), kMapIconSize, kMapIconSize);
    ASSERT_TRUE(face && icon);
    RcLoader::ShiftColours(1, uint8_t(band), face, kFaceW * kFaceH);
    RcLoader::ShiftColours(1, uint8_t(band), icon, kMapIconSize * kMapIconSize);
    hud.SetFace(p, face);
    hud.SetMapIcon(p, icon);
    hud.SetWeaponIcon(p, loader.LoadPicture(DataFile(kWeaponIcon[ch]).c_str(), kWeaponIconW, kWeaponIconH));
    uint8_t own[1024];
    ASSERT_TRUE(loader.LoadSecrPalette(DataFile(kCharacterSprite[ch]).c_str(), own));
    RcLoader::CopyPaletteRange(own, palette, 1, uint8_t(band), 32);
    MazeRunnerRecord& r = g_mazeRunners[p];
    r.flags = kRunnerStartFlags;
    r.player = uint16_t(p);
    r.pose = RcRecordAt(blocks[p], 8 * (1 + p));  // a walking pose
    r.x = l.nav->point(4 + p)[0];
    r.y = l.nav->point(4 + p)[1];
    g_mazePlayers[p].score = 200 + 5000 * (p == 1) + 70 * p;
    g_mazePlayers[p].hasKey = p == 1;
    hud.energy[p] = 12 + 16 * p;
    hud.weaponUnits[p] = 3 + p;
  }
  hud.itemIcon[2] = kHudIconPill;
  hud.powerPills[2] = 2;
  hud.faceCounter[3] = 6;
  // The viewer stands in its start hub looking along a corridor, the camera
  // 100 behind it.
  g_mazeViewPlayer1 = 0;
  g_mazeRoundState = 0;
  g_mazeCameraDistance = 100;
  MazeRunnerRecord& me = g_mazeRunners[0];
  hud.NoteExplored();
  MazeViewRecord v{};
  for (int heading : {0, 450, 900, 1350}) {
    me.heading = int16_t(heading);
    me.moveHeading = uint16_t(heading);
    v = me;
    v.viewIndex = 65;
    v.viewOffset = -10;
    v.viewValue = g_floorRowTables[65];
    v.moveHeading = uint16_t(WrapAngle(heading + 900));
    v.moveDistance = 100;
    g_mazeMover.MoveShort(v);
    v.heading = int16_t(heading);
    v.moveHeading = uint16_t(heading);
    if (!g_mazeCameraPulledIn) break;
  }
  ASSERT_EQ(g_mazeCameraPulledIn, 0u);
  std::vector<uint8_t> frame(640 * 480, 1);
  g_mazeFrame = frame.data();
  g_mazePitch = 640;
  RayCaster caster;
  caster.SetCamera(v);
  caster.CastColumns();
  caster.CollectSprites();
  caster.RenderSingleView();
  hud.DrawHud();
  me.screenX = 320;
  hud.DrawAutomap(me);
  EXPECT_GE(caster.spriteCount(), 1);
  // The whole frame is painted, and the viewer's own character stands in
  // the middle of the view in its band's colours.
  int unpainted = 0, band = 0;
  for (int i = 0; i < 640 * 400; ++i) unpainted += frame[i] == 1;  // the view never uses colour 1
  for (int y = 200; y < 400; ++y)
    for (int x = 300; x < 340; ++x) band += frame[y * 640 + x] >= kBandFirst && frame[y * 640 + x] < kBandFirst + 32;
  EXPECT_EQ(unpainted, 0);
  EXPECT_GT(band, 200);
  std::filesystem::create_directories(std::string(KEL_BINARY_DIR) + "/test-home/maze3d");
  EXPECT_TRUE(WriteIndexedPng(std::string(KEL_BINARY_DIR) + "/test-home/maze3d/frame.png", frame.data(), 640, 480, 640, palette));
  g_mazeFrame = nullptr;
  g_mazeHud = nullptr;
  RcFree(g_mazeLevel.skyPicture);
  std::memset(&g_mazeLevel, 0, sizeof(MazeLevel));
  for (uint8_t* b : blocks) RcFree(b);
  MazeFreeTables();
  MazeResetWorld();
}

}  // namespace
