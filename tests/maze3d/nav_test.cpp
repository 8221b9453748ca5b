// The navigation graph's queries on a small graph, its damaged files refused
// by name, the zones waking their monsters, and the exit door placed at a
// door place and opened and closed stage by stage.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "base/byte_order.h"
#include "base/random.h"
#include "events/maze3d/rc_format.h"
#include "events/maze3d/rc_hud.h"
#include "events/maze3d/rc_level_tables.h"
#include "events/maze3d/rc_navgraph.h"
#include "events/maze3d/rc_support.h"
#include "events/maze3d/rc_world.h"
#include "events/maze3d/rc_writer.h"
#include "events/maze3d/rc_zones.h"
#include "tests/maze3d/maze_fixture.h"

namespace {

std::unique_ptr<MazeNavGraph> Load(const RcNavData& data) {
  auto g = std::make_unique<MazeNavGraph>();
  const RcBytes nod = RcWriteNavNodes(data), hop = RcWriteNavHops(data);
  EXPECT_TRUE(g->LoadMemory(nod.data(), nod.size(), hop.data(), hop.size()));
  return g;
}

TEST(MazeNav, NearestNodesLookAlongOneColumnAndOneRow) {
  auto g = Load(SmallGraph());
  ASSERT_EQ(g->nodeCount(), 5);
  EXPECT_EQ(g->NodeX(3), 640);
  EXPECT_EQ(g->NodeY(3), 640);
  struct Case { int32_t x, y; int node; };
  const Case cases[] = {
      {640, 640, 3},    // on a node
      {630, 330, 1},    // the column x >= 630 is x = 640: nodes 1, 3, 4; the row y >= 330 is y = 640
      {5000, 320, 2},   // right of every node: the last of the x order (x 960) and the row y = 320
      {0, 0, 0},        // column x 320, row y 320: nodes 0, 1, 2; node 0 nearest
      {640, 5000, 4},   // below every node: the last row
  };
  for (const Case& c : cases) EXPECT_EQ(g->NearestNode(c.x, c.y), c.node) << c.x << "," << c.y;
  // One hop at a time along the route.
  int32_t out[4];
  const int32_t from[2] = {320, 320}, to[2] = {640, 960};
  g->NextHopList(out, from, to);
  EXPECT_EQ(out[0], 640);
  EXPECT_EQ(out[1], 320);
  EXPECT_EQ(out[2], -1);
  EXPECT_EQ(out[3], -1);
  int32_t path[2 * 258];
  ASSERT_EQ(g->FindPath(path, from, to), 4);
  EXPECT_EQ(path[6], 640);
  EXPECT_EQ(path[7], 960);
  EXPECT_EQ(path[8], -1);
}

TEST(MazeNav, AreasAndTheirFallbackDrawFromTheSharedGenerator) {
  auto g = Load(SmallGraph());
  EXPECT_EQ(g->AreaAt(1000, 330), 2);
  EXPECT_EQ(g->AreaAt(0, 0), 4);  // only (0, 0) lies in node 4's empty area
  int32_t out[2];
  EXPECT_EQ(g->WaypointInArea(700, 700, out), 640);
  EXPECT_EQ(out[0], 640);
  // Outside every area: a node from the shared generator, below the count.
  SeedRandom(99);
  const uint32_t before = RandomState();
  for (int i = 0; i < 50; ++i) {
    const int k = g->AreaAt(3000, 3000);
    EXPECT_GE(k, 0);
    EXPECT_LT(k, 5);
  }
  EXPECT_NE(RandomState(), before);
  SeedRandom(99);
  const int first = g->AreaAt(3000, 3000);
  SeedRandom(99);
  EXPECT_EQ(g->AreaAt(3000, 3000), first);
}

// A node file in the plain layout ends with the word after the y order,
// whatever it holds: it loads without areas, and the graph takes the areas
// the game keeps for its level (never more than it has nodes).
TEST(MazeNav, AGraphWithoutAreasTakesThoseKeptForItsLevel) {
  RcNavData plain = SmallGraph();
  plain.areas.clear();
  RcBytes nod = RcWriteNavNodes(plain);
  ASSERT_EQ(nod.size(), size_t(NavNodeFileSize(5, 0)));
  PutLe32(nod.data() + nod.size() - 4, 0xDEADBEEF);
  const RcBytes hop = RcWriteNavHops(plain);
  MazeNavGraph g;
  std::string why;
  ASSERT_TRUE(g.LoadMemory(nod.data(), nod.size(), hop.data(), hop.size(), &why)) << why;
  EXPECT_FALSE(g.areasInFile());
  EXPECT_EQ(g.areaCount(), 0);
  g.UseKeptAreas(0);
  int count = 0;
  const int32_t(*kept)[4] = MazeKeptAreas(0, &count);
  ASSERT_GT(count, 5);
  ASSERT_EQ(g.areaCount(), 5);
  for (int j = 0; j < 4; ++j) EXPECT_EQ(g.area(4)[j], kept[4][j]);
  EXPECT_EQ(g.area(5)[0], -1);  // the end of the table
  EXPECT_EQ(g.AreaAt(kept[2][0], kept[2][1]), 2);
  // The same graph with its own areas keeps them.
  const RcBytes own = RcWriteNavNodes(SmallGraph());
  ASSERT_TRUE(g.LoadMemory(own.data(), own.size(), hop.data(), hop.size()));
  EXPECT_TRUE(g.areasInFile());
  EXPECT_EQ(g.AreaAt(1000, 330), 2);
}

TEST(MazeNav, PlacesAreHandedOutInRings) {
  auto g = Load(SmallGraph());
  // Start places: slot v mod 8, or the next free one.
  const int32_t* a = g->TakeStartPoint(3);
  const int32_t* b = g->TakeStartPoint(11);  // slot 3 is taken: slot 4
  EXPECT_EQ(a, g->point(4 + 3));
  EXPECT_EQ(b, g->point(4 + 4));
  EXPECT_EQ(g->TakeStartPoint(-1), g->point(4 + 7));  // a negative index counts from the end
  for (int i = 0; i < 20; ++i) EXPECT_NE(g->TakeStartPoint(i), nullptr);  // never hangs when all are taken
  EXPECT_EQ(g->DoorPoint(-6), g->point(2));
  EXPECT_EQ(g->KeyManPoint(13), g->point(12 + 5));
  EXPECT_TRUE(g->IsDoorPoint(644, 960));
  EXPECT_FALSE(g->IsDoorPoint(640, 960));
}

TEST(MazeNav, DamagedNavigationFilesAreRefusedByName) {
  const RcNavData good = SmallGraph();
  const RcBytes nod = RcWriteNavNodes(good), hop = RcWriteNavHops(good);
  const size_t nodes = kRcNavNodesOffset, xOrder = nodes + 16 * 5, yOrder = xOrder + 8 * 5, areas = yOrder + 8 * 5;
  struct Case {
    const char* name;
    std::function<void(RcBytes&, RcBytes&)> damage;
    bool hopFile;  // the refusal names the next-hop file
  };
  const Case cases[] = {
      {"short", [](RcBytes& n, RcBytes&) { n.pop_back(); }, false},
      {"no-nodes", [](RcBytes& n, RcBytes&) { PutLe32(n.data(), 0); }, false},
      {"too-many", [](RcBytes& n, RcBytes&) { PutLe32(n.data(), 300); }, false},
      {"count", [](RcBytes& n, RcBytes&) { PutLe32(n.data(), 4); }, false},
      {"areas", [&](RcBytes& n, RcBytes&) { PutLe32(n.data() + areas, 6); }, false},
      {"neighbour", [&](RcBytes& n, RcBytes&) { PutLe32(n.data() + nodes + 4, 5); }, false},
      {"x-order-twice", [&](RcBytes& n, RcBytes&) { PutLe32(n.data() + xOrder + 8, 0); }, false},
      {"x-order-down", [&](RcBytes& n, RcBytes&) { PutLe32(n.data() + xOrder + 4, 4000); }, false},
      {"y-order-down", [&](RcBytes& n, RcBytes&) { PutLe32(n.data() + yOrder + 4, 4000); }, false},
      {"place", [](RcBytes& n, RcBytes&) { PutLe32(n.data() + kRcNavPointsOffset, 0xFFFFFFF0); }, false},
      {"area-upside-down", [&](RcBytes& n, RcBytes&) { PutLe32(n.data() + areas + 4, 4000); }, false},
      {"hop-short", [](RcBytes&, RcBytes& h) { h.pop_back(); }, true},
      {"hop-node", [](RcBytes&, RcBytes& h) { h[2 * 256 + 4] = 5; }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RcBytes n = nod, h = hop;
    c.damage(n, h);
    const std::string nodPath = WriteTestFile(std::string(c.name) + ".nod", n);
    const std::string hopPath = WriteTestFile(std::string(c.name) + ".bin", h);
    MazeNavGraph g;
    DebugCapture debug;
    EXPECT_FALSE(g.LoadFiles(nodPath.c_str(), hopPath.c_str()));
    EXPECT_TRUE(debug.Mentions(c.hopFile ? hopPath : nodPath));
    EXPECT_FALSE(g.loaded());
  }
  // Missing files.
  MazeNavGraph g;
  DebugCapture debug;
  EXPECT_FALSE(g.LoadFiles("no/such/grid1.nod", "no/such/grid1.bin"));
  EXPECT_TRUE(debug.Mentions("no/such/grid1.nod"));
}

TEST(MazeZones, ZonesWakeTheirMonstersWhileARunnerStandsInThem) {
  MazeResetWorld();
  auto level = FixtureLevel();
  // Overlapping zones: the first one that holds a point counts.
  level->zoneCount = 3;
  level->zones[2] = {1, 40 * 32, 40 * 32, 45 * 32, 45 * 32, {39, -1, 40, -1}};
  MazeZoneTable zones;
  zones.Init(*level);
  EXPECT_EQ(g_mazeObjects[38].x, 1584);  // the level's third monster
  EXPECT_EQ(g_mazeObjects[38].heading, 900);
  EXPECT_EQ(zones.ZoneAt(41 * 32, 41 * 32), &zones.zone(0));
  EXPECT_EQ(zones.ZoneAt(49 * 32, 30 * 32), &zones.zone(1));
  EXPECT_EQ(zones.ZoneAt(10, 10), nullptr);
  // Runners: one in the room, others outside every zone, in play or not.
  for (MazeRunnerRecord& r : g_mazeRunners) r.x = r.y = 10;
  g_mazeRunners[2].x = 41 * 32;
  g_mazeRunners[2].y = 41 * 32;
  g_mazeObjects[36].active = 0;  // a monster that died: woken again
  g_mazeObjects[38].active = 1;  // another zone's: stays awake
  zones.ActivatePlayerZones();
  EXPECT_EQ(g_mazeObjects[36].active, 1u);
  EXPECT_EQ(g_mazeObjects[37].active, 1u);
  EXPECT_EQ(g_mazeObjects[38].active, 1u);
  EXPECT_EQ(g_mazeObjects[39].active, 0u);  // the third zone is never reached
  MazeFreeLevel(level.get());
  MazeResetWorld();
}

TEST(MazeDoor, TheDoorMovesOnceAndOpensAndClosesStageByStage) {
  MazeResetWorld();
  auto g = Load(SmallGraph());
  MazeHud hud;
  g_mazeHud = &hud;
  g_mazeNavGraph = g.get();
  g_mazeYWalls[1] = 7;
  g_mazeYWalls[2] = 8;
  g_mazeYWalls[3] = 9;
  hud.doorSaved[0] = 7;
  hud.doorSaved[1] = 8;
  hud.doorSaved[2] = 9;
  // The runners' coordinates sum to 4 (mod 4 = 0): door place 0, (644, 960).
  for (MazeRunnerRecord& r : g_mazeRunners) r.x = r.y = 0;
  g_mazeRunners[0].x = 4;
  const int cell = (960 >> 5) * 128 + (644 >> 5);
  g_mazeYWalls[cell - 1] = 40;
  g_mazeYWalls[cell] = 41;
  g_mazeYWalls[cell + 1] = 42;
  MazeDoorSet();
  EXPECT_EQ(hud.doorCell, cell);
  EXPECT_EQ(g_mazeYWalls[1], 7);  // the old place gets its walls back
  EXPECT_EQ(g_mazeYWalls[cell - 1], 1);
  EXPECT_EQ(g_mazeYWalls[cell], 2);
  EXPECT_EQ(g_mazeYWalls[cell + 1], 3);
  EXPECT_EQ(hud.doorSaved[1], 41);
  g_mazeRunners[0].x = 5;  // a second catch elsewhere changes nothing
  MazeDoorSet();
  EXPECT_EQ(hud.doorCell, cell);
  // Eleven raises bring it to 34, 35, 36 and end play.
  g_mazeRoundState = 1;
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(g_mazeRoundState, 1);
    MazeDoorRaise();
  }
  EXPECT_EQ(g_mazeYWalls[cell - 1], 34);
  EXPECT_EQ(g_mazeYWalls[cell], 35);
  EXPECT_EQ(g_mazeYWalls[cell + 1], 36);
  EXPECT_EQ(g_mazeRoundState, 2);
  MazeDoorRaise();  // fully open: no further
  EXPECT_EQ(g_mazeYWalls[cell], 35);
  g_mazeRoundState = 7;
  for (int i = 0; i < 11; ++i) MazeDoorLower();
  EXPECT_EQ(g_mazeYWalls[cell], 2);
  EXPECT_EQ(g_mazeRoundState, 8);
  MazeDoorLower();  // closed: no further
  EXPECT_EQ(g_mazeYWalls[cell], 2);
  EXPECT_EQ(g_mazeRoundState, 8);
  MazeResetWorld();
}

}  // namespace
