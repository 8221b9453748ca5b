// Movement and collision as tables: walking into and along walls, corners,
// the exit door, the exit sequence, backwards, pushing out of bodies, the
// key man, shots, the cameras' back-off, and moves at the map's edge.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "events/maze3d/rc_hud.h"
#include "events/maze3d/rc_mover.h"
#include "events/maze3d/rc_tables.h"
#include "events/maze3d/rc_world.h"
#include "tests/maze3d/maze_fixture.h"

namespace {

// A room of 6 x 6 cells: x 1280..1471, y 1280..1471 (columns and rows 40..45).
class MoverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MazeResetWorld();
    LoadFixtureTables();
    for (int r = 40; r <= 45; ++r)
      for (int c = 40; c <= 45; ++c) g_mazeLevel.floorMap[r * 128 + c] = 1;
    WallsFromFloor(&g_mazeLevel, 40);
    g_mazeRoundState = 0;
    g_mazeHud = &hud_;
  }
  void TearDown() override { MazeResetWorld(); }
  static MazeRunnerRecord Runner(int player, int32_t x, int32_t y, int heading, int distance, uint16_t radius = 7) {
    MazeRunnerRecord r{};
    r.flags = kRunnerStartFlags;
    r.player = uint16_t(player);
    r.x = x;
    r.y = y;
    r.heading = int16_t(heading);
    r.moveHeading = uint16_t(heading);
    r.moveDistance = int16_t(distance);
    r.radius = radius;
    return r;
  }
  MazeHud hud_;
};

struct WalkCase {
  const char* name;
  int32_t x, y;
  int heading, distance;
  int32_t wantX, wantY;
};

TEST_F(MoverTest, WideBodiesKeep22UnitsFromWallsAndSlideAlongThem) {
  const WalkCase cases[] = {
      {"east into the wall", 1440, 1370, 0, 60, 1450, 1370},
      {"west into the wall", 1300, 1370, 900, 60, 1302, 1370},
      {"north into the wall", 1370, 1300, 1350, 60, 1370, 1302},
      {"south into the wall", 1370, 1440, 450, 60, 1370, 1450},
      {"into the south-east corner", 1430, 1430, 225, 90, 1450, 1450},
      {"into the north-west corner", 1320, 1320, 1125, 90, 1302, 1302},
      {"along the north wall", 1300, 1302, 1750, 66, 1363, 1302},
      {"free in the room", 1340, 1340, 0, 44, 1384, 1340},
      {"backwards", 1400, 1370, 0, -44, 1356, 1370},
      {"standing", 1400, 1370, 0, 0, 1400, 1370},
  };
  for (const WalkCase& c : cases) {
    SCOPED_TRACE(c.name);
    MazeRunnerRecord r = Runner(0, c.x, c.y, c.heading, c.distance);
    EXPECT_EQ(g_mazeMover.MoveCharacterWide(r), kMoveNothing);
    EXPECT_EQ(r.x, c.wantX);
    EXPECT_EQ(r.y, c.wantY);
  }
}

TEST_F(MoverTest, SplitScreenBodiesKeepAWholeCellFromWalls) {
  const WalkCase cases[] = {
      {"east into the wall", 1400, 1370, 0, 100, 1440, 1370},
      {"west into the wall", 1350, 1370, 900, 100, 1312, 1370},
      {"north into the wall", 1370, 1350, 1350, 100, 1370, 1312},
      {"south into the wall", 1370, 1400, 450, 100, 1370, 1440},
      {"along the south wall", 1300, 1440, 50, 80, 1376, 1440},
      {"free", 1340, 1340, 0, 40, 1380, 1340},
  };
  for (const WalkCase& c : cases) {
    SCOPED_TRACE(c.name);
    MazeRunnerRecord r = Runner(0, c.x, c.y, c.heading, c.distance);
    g_mazeMover.MoveCharacter(r);
    EXPECT_EQ(r.x, c.wantX);
    EXPECT_EQ(r.y, c.wantY);
  }
}

TEST_F(MoverTest, OnlyAWalkingKeyCarrierStraightIntoTheDoorLeaves) {
  // The door's middle cell: the room's north row, column 42.
  hud_.doorCell = 40 * 128 + 42;
  struct Case { const char* name; int heading; uint32_t hasKey; uint16_t action; int32_t state; bool wide; bool leaves; };
  const Case cases[] = {
      {"straight north, wide", 1350, 1, 1, 0, true, true},
      {"straight north, split", 1350, 1, 1, 0, false, true},
      {"diagonally", 1300, 1, 1, 0, true, false},
      {"without the key", 1350, 0, 1, 0, true, false},
      {"attacking", 1350, 1, 2, 0, true, false},
      {"someone already won", 1350, 1, 1, 1, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_mazeRoundState = c.state;
    g_mazeWinner = 3;
    g_mazePlayers[2].hasKey = c.hasKey;
    g_mazePlayers[2].action = c.action;
    MazeRunnerRecord r = Runner(2, 42 * 32 + 16, 40 * 32 + 40, c.heading, 40);
    if (c.wide) g_mazeMover.MoveCharacterWide(r);
    else g_mazeMover.MoveCharacter(r);
    EXPECT_EQ(g_mazeRoundState, c.leaves ? 1 : c.state);
    EXPECT_EQ(g_mazeWinner, c.leaves ? 2 : 3);
  }
}

TEST_F(MoverTest, TheExitSequenceWalksThroughWalls) {
  g_mazeRoundState = 2;
  for (bool wide : {true, false}) {
    MazeRunnerRecord r = Runner(0, 1370, 1300, 1350, 90);
    if (wide) g_mazeMover.MoveCharacterWide(r);
    else g_mazeMover.MoveCharacter(r);
    EXPECT_EQ(r.y, 1210);
  }
}

TEST_F(MoverTest, BodiesPushOutOfEachOtherAndMonsters) {
  g_mazeRunners[1] = Runner(1, 1355, 1352, 0, 0);
  // Standing inside another body: a step of 0 still probes and pushes out.
  MazeRunnerRecord me = Runner(0, 1350, 1350, 0, 0);
  EXPECT_EQ(g_mazeMover.MoveCharacterWide(me) & 0xFFFF, 1u);
  EXPECT_EQ(me.x, 1350);
  EXPECT_EQ(me.y, 1352 - 14);
  // A runner out of play is no obstacle.
  g_mazeRunners[1].flags = 0;
  me = Runner(0, 1350, 1350, 0, 0);
  EXPECT_EQ(g_mazeMover.MoveCharacterWide(me), kMoveNothing);
  // A monster stops a walk at 16 units; the walk ends at the first touch.
  MazeObjectRecord& m = g_mazeObjects[40];
  m.active = 1;
  m.x = 1400;
  m.y = 1340;
  m.state = 1;
  me = Runner(0, 1330, 1340, 0, 100);
  EXPECT_EQ(g_mazeMover.MoveCharacterWide(me), 0xFFFF0000u | 40u);
  EXPECT_EQ(me.x, 1400 - 16);
}

// What blocks a walk, and so what a blow reaches (the attack's probe is a
// step of 6 that reports what it touched): every awake monster whatever its
// state, every runner in play whatever his action; never a sleeping
// monster, a runner out of play or the walker himself.
TEST_F(MoverTest, EveryAwakeMonsterAndEveryRunnerInPlayIsABody) {
  struct Case {
    const char* name;
    int object;         // 36..63 a monster, 0..3 a runner
    uint32_t active;    // monsters
    uint32_t state;     // monsters: 0 rising, 1 waiting, 2 dying
    uint32_t flags;     // runners
    uint16_t action;    // runners
    bool body;
  };
  const Case cases[] = {
      {"a rising monster", 41, 1, 0, 0, 0, true},
      {"a waiting monster", 41, 1, 1, 0, 0, true},
      {"a dying monster", 41, 1, 2, 0, 0, true},
      {"a sleeping monster", 41, 0, 0, 0, 0, false},
      {"a standing rival", 1, 0, 0, kRunnerStartFlags, 0, true},
      {"a rival hit", 1, 0, 0, kRunnerStartFlags, 5, true},
      {"a rival lying knocked down", 1, 0, 0, kRunnerStartFlags, 6, true},
      {"a rival getting up", 1, 0, 0, kRunnerStartFlags, 7, true},
      {"a rival out of play", 1, 0, 0, 0, 6, false},
      {"the walker's own runner", 0, 0, 0, kRunnerStartFlags, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MazeResetWorld();
    LoadFixtureTables();
    WallsFromFloor(&g_mazeLevel, 40);
    g_mazeRoundState = 0;
    g_mazeHud = &hud_;
    // Whatever it is stands 10 units east of the walker, in the open.
    if (c.object >= kMazeFirstMonster) {
      MazeObjectRecord& m = g_mazeObjects[c.object];
      m.active = c.active;
      m.state = c.state;
      m.x = 1360;
      m.y = 1350;
    } else {
      g_mazeRunners[c.object] = Runner(c.object, 1360, 1350, 0, 0);
      g_mazeRunners[c.object].flags = c.flags;
      g_mazePlayers[c.object].action = c.action;
    }
    for (bool wide : {true, false}) {
      MazeRunnerRecord me = Runner(0, 1350, 1350, 0, 6);
      const uint32_t r = wide ? g_mazeMover.MoveCharacterWide(me) : g_mazeMover.MoveCharacter(me);
      EXPECT_EQ(r, c.body ? (0xFFFF0000u | uint32_t(c.object)) : kMoveNothing) << (wide ? "wide" : "split");
      EXPECT_EQ(me.x != 1356 || me.y != 1350, c.body) << "pushed aside, " << (wide ? "wide" : "split");
    }
  }
}

TEST_F(MoverTest, CatchingTheKeyManGivesTheKeyAndPoints) {
  g_mazeObjects[0].active = 1;
  g_mazeObjects[0].x = 1400;
  g_mazeObjects[0].y = 1340;
  g_mazePlayers[3].score = 200;
  MazeRunnerRecord me = Runner(3, 1340, 1340, 0, 50);
  EXPECT_EQ(g_mazeMover.MoveCharacterWide(me), kMoveNothing);  // the key man is no obstacle
  EXPECT_EQ(g_mazeObjects[0].active, 0u);
  EXPECT_EQ(g_mazePlayers[3].hasKey, 1u);
  EXPECT_EQ(g_mazePlayers[3].score, 5200);
  // Once caught nobody can catch him.
  me = Runner(1, 1390, 1340, 0, 20);
  g_mazeMover.MoveCharacterWide(me);
  EXPECT_EQ(g_mazePlayers[1].hasKey, 0u);
}

TEST_F(MoverTest, ShotsStopAtWallsAndHitTheFirstBodyOnTheirWay) {
  auto shot = [](int32_t x, int32_t y, int heading, uint16_t step, uint32_t shooter) {
    MazeObjectRecord s{};
    s.active = 1;
    s.x = x;
    s.y = y;
    s.heading = uint16_t(heading);
    s.step = step;
    s.shooter = shooter;
    return s;
  };
  MazeObjectRecord s = shot(1340, 1370, 0, 40, 0);
  EXPECT_EQ(g_mazeMover.MoveShot(s), kMoveNothing);  // free flight
  EXPECT_EQ(s.x, 1380);
  s = shot(1420, 1370, 0, 100, 0);
  EXPECT_EQ(g_mazeMover.MoveShot(s) >> 16, 0u);  // a wall stopped it
  EXPECT_EQ(s.x, 1450);
  // A runner in its way, not its thrower.
  g_mazeRunners[2] = Runner(2, 1390, 1372, 0, 0);
  s = shot(1340, 1370, 0, 100, 0);
  EXPECT_EQ(g_mazeMover.MoveShot(s), 0xFFFF0000u | 2u);
  s = shot(1340, 1370, 0, 100, 2);
  EXPECT_EQ(g_mazeMover.MoveShot(s) & 0xFFFF, 0xFFFFu);
  // A monster's shot fired diagonally can hit its own monster at once.
  g_mazeObjects[50].active = 1;
  g_mazeObjects[50].x = 1340;
  g_mazeObjects[50].y = 1340;
  s = shot(1340, 1340, 225, 40, 50);
  EXPECT_EQ(g_mazeMover.MoveShot(s), 0xFFFF0000u | 50u);
  // During the exit sequence shots still stop at walls.
  g_mazeRoundState = 2;
  g_mazeRunners[2].flags = 0;
  s = shot(1420, 1400, 0, 100, 0);
  EXPECT_EQ(g_mazeMover.MoveShot(s) >> 16, 0u);
}

TEST_F(MoverTest, CamerasBackOffFromWallsButNeverPastTheirStart) {
  // A cell walled on both sides (row 44, column 43): a camera in it is too
  // near a wall however short its step.
  g_mazeXWalls[44 * 128 + 43] = g_mazeXWalls[44 * 128 + 44] = 40;
  struct Case { const char* name; bool slide; int32_t x, y; int heading, distance; bool pulledIn; int32_t wantX, wantY; };
  const Case cases[] = {
      {"room to step back: short", false, 1300, 1370, 0, 100, false, 1400, 1370},
      {"room to step back: slide", true, 1300, 1370, 0, 100, false, 1400, 1370},
      {"a wall behind: short", false, 1400, 1370, 0, 100, true, 1462, 1370},
      {"a wall behind: slide", true, 1400, 1370, 0, 100, true, 1452, 1370},
      {"walled in: short", false, 43 * 32 + 16, 44 * 32 + 16, 1350, 100, true, 43 * 32 + 16, 44 * 32 + 16},
      {"walled in, an odd distance: short", false, 43 * 32 + 16, 44 * 32 + 16, 1350, 7, true, 43 * 32 + 16, 44 * 32 + 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MazeViewRecord v = Runner(0, c.x, c.y, c.heading, c.distance);
    EXPECT_EQ(c.slide ? g_mazeMover.MoveSlide(v) : g_mazeMover.MoveShort(v), 1u);
    EXPECT_EQ(g_mazeCameraPulledIn, c.pulledIn ? 1u : 0u);
    EXPECT_EQ(v.x, c.wantX);
    EXPECT_EQ(v.y, c.wantY);
  }
}

TEST_F(MoverTest, MovesAtTheMapsEdgeStayInTheWorld) {
  std::memset(g_mazeLevel.xWalls, 0, sizeof g_mazeLevel.xWalls);
  std::memset(g_mazeLevel.yWalls, 0, sizeof g_mazeLevel.yWalls);
  const int32_t spots[][2] = {{2, 2}, {4093, 4093}, {0, 4095}};
  for (int heading = 0; heading < kMazeTurn; heading += 75)
    for (const auto& at : spots)
      for (int model = 0; model < 4; ++model) {
        MazeRunnerRecord r = Runner(0, at[0], at[1], heading, 150);
        if (model == 0) g_mazeMover.MoveCharacter(r);
        if (model == 1) g_mazeMover.MoveCharacterWide(r);
        if (model == 2) g_mazeMover.MoveSlide(r);
        if (model == 3) g_mazeMover.MoveShort(r);
        EXPECT_GE(r.x, 0);
        EXPECT_LT(r.x, kMazeWorldSize);
        EXPECT_GE(r.y, 0);
        EXPECT_LT(r.y, kMazeWorldSize);
      }
}

}  // namespace
