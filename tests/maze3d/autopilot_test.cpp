// The auto-pilot's unsticking as a table: a computer player who does not
// move punches, then walks on turning right and left on alternate frames
// through the toggle all auto-pilots share, counts its escapes, and at the
// third starts its route afresh from the node of the area it stands in.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/player_records.h"
#include "events/maze3d/maze_autopilot.h"
#include "events/maze3d/rc_hud.h"
#include "events/maze3d/rc_navgraph.h"
#include "events/maze3d/rc_support.h"
#include "events/maze3d/rc_tables.h"
#include "events/maze3d/rc_world.h"
#include "events/maze3d/rc_writer.h"
#include "tests/maze3d/maze_fixture.h"

namespace {

class AutoPilotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MazeResetWorld();
    LoadFixtureTables();
    const RcNavData data = SmallGraph();
    const RcBytes nod = RcWriteNavNodes(data), hop = RcWriteNavHops(data);
    ASSERT_TRUE(nav_.LoadMemory(nod.data(), nod.size(), hop.data(), hop.size()));
    g_mazeNavGraph = &nav_;
    g_mazeHud = &hud_;
    g_mazeRoundState = 0;
    g_mazeTurnToggle = 1;
    g_mazeChaseFlag = 0;
    // The exit door's cell: its corner is node 4's place (640, 960).
    hud_.doorCell = uint16_t((960 >> 5) * 128 + (640 >> 5));
  }
  void TearDown() override { MazeResetWorld(); }

  // A computer player carrying the key, standing at (330, 330) in node 0's
  // area while his route point is node 1.
  std::unique_ptr<MazeAutoPilot> StuckCarrier(int p) {
    g_mazeRunners[p].x = 330;
    g_mazeRunners[p].y = 330 + 10 * p;
    g_mazeRunners[p].flags = kRunnerStartFlags;
    g_mazePlayers[p].energy = 50 << 16;
    g_mazePlayers[p].hasKey = 1;
    points_[p][0] = 640;
    points_[p][1] = 320;
    g_mazePlayerPoints[p] = points_[p];
    return std::make_unique<MazeAutoPilot>(p);
  }
  // Faces the runner exactly towards the auto-pilot's target.
  static void Face(int p, const MazeAutoPilot& a) {
    int32_t h = AngleOf(a.targetX() - g_mazeRunners[p].x, a.targetY() - g_mazeRunners[p].y);
    if (h >= kMazeTurn) h -= kMazeTurn;
    g_mazeRunners[p].heading = int16_t(h);
    g_mazeRunners[p].moveHeading = uint16_t(h);
  }
  static std::string Keys(int p) {
    std::string k;
    for (int b = 0; b <= 8; ++b)
      if (g_playerStates[p][b]) k += char('0' + b);
    return k;
  }

  MazeNavGraph nav_;
  MazeHud hud_;
  int32_t points_[4][2] = {};
};

TEST_F(AutoPilotTest, AStuckPlayerPunchesThenTurnsBothWaysOnAlternateFrames) {
  auto a = StuckCarrier(2);
  a->Think();  // plans: the first hop from node 1 towards the door is node 3
  ASSERT_EQ(a->targetX(), 640);
  ASSERT_EQ(a->targetY(), 640);
  Face(2, *a);
  // Frame by frame, the runner never moving: the keys, the stuck count
  // after the frame, the escapes.
  struct Step { const char* keys; int stuck, escapes; };
  const Step steps[] = {
      {"3", 1, 0},  {"3", 2, 0},  {"3", 3, 0},  {"3", 4, 0},     // walks at the target
      {"46", 5, 0}, {"46", 6, 0}, {"46", 7, 0}, {"46", 8, 0},    // punches
      {"03", 10, 0}, {"23", 12, 0}, {"03", 14, 0}, {"23", 16, 0},  // right, left, ...
      {"03", 18, 0}, {"23", 20, 0},
      {"3", 0, 1},                                               // an escape counted; on again
  };
  for (size_t f = 0; f < std::size(steps); ++f) {
    SCOPED_TRACE(f);
    a->Think();
    EXPECT_EQ(Keys(2), steps[f].keys);
    EXPECT_EQ(a->stuckCount(), steps[f].stuck);
    EXPECT_EQ(a->escapeCount(), steps[f].escapes);
  }
  // The second escape fifteen frames on; the target stays.
  for (int f = 0; f < 15; ++f) a->Think();
  EXPECT_EQ(a->escapeCount(), 2);
  EXPECT_EQ(a->targetX(), 640);
  EXPECT_EQ(a->targetY(), 640);
  // The third: the route point moves to the node of the area the runner
  // stands in (node 0), the target is dropped and the route planned afresh
  // from there: node 1 is the first hop towards the door.
  for (int f = 0; f < 15; ++f) a->Think();
  EXPECT_EQ(a->escapeCount(), 0);
  EXPECT_EQ(a->stuckCount(), 0);
  EXPECT_EQ(a->targetX(), 640);
  EXPECT_EQ(a->targetY(), 320);
  EXPECT_EQ(g_mazePlayerPoints[2][0], 640);
  EXPECT_EQ(g_mazePlayerPoints[2][1], 320);
}

TEST_F(AutoPilotTest, TwoStuckPlayersShareTheTurnToggle) {
  // Thought in slot order every frame, the one toggle gives the first the
  // right turn and the second the left one, frame after frame.
  auto a = StuckCarrier(2);
  auto b = StuckCarrier(3);
  a->Think();
  b->Think();
  Face(2, *a);
  Face(3, *b);
  for (int f = 0; f < 8; ++f) {
    a->Think();
    b->Think();
  }
  for (int f = 0; f < 5; ++f) {
    SCOPED_TRACE(f);
    a->Think();
    b->Think();
    EXPECT_EQ(Keys(2), "03");
    EXPECT_EQ(Keys(3), "23");
  }
}

}  // namespace
