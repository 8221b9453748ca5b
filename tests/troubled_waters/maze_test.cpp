// The maze generator and the course laid out on it: stored mazes of fixed
// seeds, the carving rules over a thousand seeds, and the writes near the
// grid's edges that must stay inside it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <queue>
#include <sstream>
#include <string>

#include "base/random.h"
#include "events/troubled_waters/swim_course.h"
#include "events/troubled_waters/swim_maze.h"
#include "events/troubled_waters/swim_route.h"
#include "tests/troubled_waters/maze_text.h"

using namespace swim;
using swimtest::MazeFromText;
using swimtest::MazeText;

namespace {

const std::string kFixtures = std::string(KEL_SOURCE_DIR) + "/tests/troubled_waters/fixtures/";

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Compares with a stored maze; KEL_SWIM_WRITE_FIXTURES=1 stores it instead.
void ExpectStored(const std::string& name, const MazeGrid& m) {
  const std::string path = kFixtures + name;
  const std::string text = MazeText(m);
  if (std::getenv("KEL_SWIM_WRITE_FIXTURES")) {
    std::ofstream(path) << text;
    return;
  }
  const std::string stored = ReadText(path);
  ASSERT_FALSE(stored.empty()) << "no fixture " << path;
  EXPECT_EQ(text, stored) << name;
}

MazeGrid Carve(uint32_t seed) {
  SeedRandom(seed);
  MazeGrid m;
  m.Alloc(kMazeSize, kMazeSize);
  GenerateSwimMaze(m);
  return m;
}

// A path of water cells (sides touching) from column 0 to column 99.
bool WaterPathAcross(const MazeGrid& m) {
  std::vector<char> seen(kMazeSize * kMazeSize, 0);
  std::queue<int> q;
  for (int r = 0; r < kMazeSize; ++r)
    if (m.Water(r, 0)) {
      seen[r * kMazeSize] = 1;
      q.push(r * kMazeSize);
    }
  const int dr[4] = {-1, 1, 0, 0}, dc[4] = {0, 0, -1, 1};
  while (!q.empty()) {
    const int v = q.front();
    q.pop();
    const int r = v / kMazeSize, c = v % kMazeSize;
    if (c == kMazeSize - 1) return true;
    for (int i = 0; i < 4; ++i) {
      const int rr = r + dr[i], cc = c + dc[i];
      if (!m.Inside(rr, cc) || !m.Water(rr, cc) || seen[rr * kMazeSize + cc]) continue;
      seen[rr * kMazeSize + cc] = 1;
      q.push(rr * kMazeSize + cc);
    }
  }
  return false;
}

}  // namespace

TEST(SwimMaze, FixedSeedsCarveTheStoredMazes) {
  for (uint32_t seed : {1u, 77u, 4242u}) ExpectStored("maze_" + std::to_string(seed) + ".txt", Carve(seed));
  // The whole course: route, its clean-up and the start pool.
  SeedRandom(1);
  MazeGrid m;
  CourseSprites sprites;
  sprites.pumpFrames = 8;
  for (int k = 1; k <= kDecorationKinds; ++k) sprites.decorationWidth[k] = 60;
  LayOutCourse(m, sprites);
  ExpectStored("course_1.txt", m);
}

TEST(SwimMaze, CarvingRulesHoldOverAThousandSeeds) {
  for (uint32_t seed = 1; seed <= 1000; ++seed) {
    SCOPED_TRACE(seed);
    const MazeGrid m = Carve(seed);
    // The entry: one row pair, even, 4..28, and nothing else open at column 0.
    int entry = -1;
    for (int r = 0; r < kMazeSize; ++r)
      if (m.Water(r, 0)) {
        if (entry < 0) entry = r;
        ASSERT_TRUE(r == entry || r == entry + 1) << "column 0 open at row " << r;
      }
    ASSERT_GE(entry, 4);
    ASSERT_LE(entry, 28);
    ASSERT_EQ(entry % 2, 0);
    ASSERT_TRUE(m.Water(entry, 1) && m.Water(entry + 1, 0) && m.Water(entry + 1, 1));
    // Rows 0, 1, 98 and 99 hold no water; codes are known ones.
    for (int c = 0; c < kMazeSize; ++c)
      for (int r : {0, 1, 98, 99}) ASSERT_FALSE(m.Water(r, c)) << r << "," << c;
    for (uint8_t v : m.Cells()) ASSERT_TRUE(v <= 20 || v == kWater) << int(v);
    // The exit: water at column 99.
    bool exit = false;
    for (int r = 0; r < kMazeSize; ++r) exit = exit || m.Water(r, kMazeSize - 1);
    ASSERT_TRUE(exit);
    ASSERT_TRUE(WaterPathAcross(m));
  }
}

TEST(SwimMaze, CourseOverAThousandSeedsKeepsAPathAndARoute) {
  CourseSprites sprites;
  sprites.pumpFrames = 8;
  int budgetSpent = 0;
  for (uint32_t seed = 1; seed <= 1000; ++seed) {
    SCOPED_TRACE(seed);
    SeedRandom(seed);
    MazeGrid m;
    const SwimCourse course = LayOutCourse(m, sprites);
    ASSERT_EQ(m.Size(), kMazeSize * kMazeSize);
    ASSERT_TRUE(course.routeFound);
    ASSERT_TRUE(WaterPathAcross(m));
    ASSERT_EQ(course.startOffset, (course.entryRow - 1) * 100);
    ASSERT_LE(static_cast<int>(course.pumps.size()), kMaxPumps);
    for (const PumpPlace& p : course.pumps) {
      ASSERT_GE(p.x / 100, 6);  // never in the first six columns
      ASSERT_GE(p.frame, 1);
      ASSERT_LE(p.frame, 6);
    }
    // The route leads from the start area to the exit column.
    bool routeAtExit = false;
    for (int r = 0; r < kMazeSize; ++r) routeAtExit = routeAtExit || IsRouteCode(m.At(r, kMazeSize - 1));
    ASSERT_TRUE(routeAtExit);
    budgetSpent += course.routeBudgetSpent ? 1 : 0;
  }
  // The search is cut short on a few mazes only.
  EXPECT_LT(budgetSpent, 40);
}

TEST(SwimMaze, TurnTableAndItsZeroDraw) {
  float t[4] = {9, 9, 9, 9};
  TurnTable(t, 7);  // an unknown direction leaves the table alone
  EXPECT_EQ(t[0], 9.0f);
  TurnTable(t, 2);
  EXPECT_EQ(t[0], 0.0f);  // a draw of exactly 0 while going down turns up
  EXPECT_EQ(t[3], 1.1f);
  TurnTable(t, 1);
  EXPECT_EQ(t[2], 1.1f);
  EXPECT_EQ(t[3], 1.1f);  // right never turns straight back
}

TEST(SwimMaze, ReadsAndWritesOutsideTheGridTouchNoOtherCell) {
  MazeGrid m;
  m.Alloc(3, 4);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) m.Set(r, c, kWater);
  const std::vector<uint8_t> before = m.Cells();
  m.Set(1, -1, 7);  // once the last cell of row 0
  m.Set(0, 4, 7);   // once the first cell of row 1
  m.Set(-1, 0, 7);
  m.Set(3, 0, 7);
  SetWallIfClosed(m, 1, 4, 3);
  EXPECT_EQ(m.Cells(), before);
  EXPECT_EQ(m.At(1, -1), kRock);
  EXPECT_EQ(m.At(1, 4), kRock);
  EXPECT_EQ(m.AtPoint(-5, 10), kRock);
}

TEST(SwimMaze, RouteEndsStayInTheirRows) {
  // The entry row open all the way across: the clean-up stops at column 99
  // instead of running on into the next row.
  MazeGrid m;
  m.Alloc(kMazeSize, kMazeSize);
  for (int c = 0; c < kMazeSize; ++c) {
    m.Set(10, c, kRouteCell);
    m.Set(11, c, kRouteCell);
  }
  CleanUpRouteEnds(m, 10, 40);
  for (int c = 0; c < kMazeSize; ++c) EXPECT_EQ(m.At(11, c), c == 0 ? kRouteCell : kWater) << c;
  EXPECT_EQ(m.At(12, 0), kRock);

  // A room reaching the right edge whose door lies at x 10000, and one at
  // the left edge whose door lies on rock at column 0: the signs land in the
  // room's own row.
  MazeGrid g = MazeFromText(
      "##########\n"
      "######....\n"
      "######....\n"
      "..########\n"
      "..########\n");
  MazeRoom right(100, 600, 1000, 200, 600, 1000);
  right.SetDoorPoint({1000, 200});
  MazeRoom left(300, 0, 200, 400, 0, 200);
  left.SetDoorPoint({0, 300});
  WriteRoute(g, {&right, &left});
  EXPECT_EQ(MazeText(g),
            "##########\n"
            "######rrrv\n"
            "######....\n"
            "r^########\n"
            "..########\n");
}
