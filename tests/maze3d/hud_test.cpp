// The status bar and automap, and the small shared functions: numbers and
// energy bars as drawn, explored cells at the map's edges, the power
// animation of a face, the automap showing only what was explored, the item
// choice by action bytes, the integer square root and the heading of a vector.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/player_records.h"
#include "events/maze3d/rc_hud.h"
#include "events/maze3d/rc_loader.h"
#include "events/maze3d/rc_raycaster.h"
#include "events/maze3d/rc_support.h"
#include "events/maze3d/rc_tables.h"
#include "events/maze3d/rc_world.h"
#include "tests/maze3d/maze_fixture.h"

namespace {

class HudTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MazeResetWorld();
    g_mazeHud = &hud_;
    g_mazeFrame = frame_.data();
    g_mazePitch = 640;
  }
  void TearDown() override {
    g_mazeFrame = nullptr;
    MazeResetWorld();
  }
  // Columns of row band [y0, y1) within [x0, x1) holding any white pixel.
  std::vector<int> WhiteColumns(int x0, int x1, int y0, int y1) const {
    std::vector<int> cols;
    for (int x = x0; x < x1; ++x)
      for (int y = y0; y < y1; ++y)
        if (frame_[size_t(y) * 640 + x] == 255) {
          cols.push_back(x);
          break;
        }
    return cols;
  }
  uint8_t At(int x, int y) const { return frame_[size_t(y) * 640 + x]; }
  static uint8_t* Picture(size_t bytes, uint8_t value) {
    auto* p = static_cast<uint8_t*>(RcAlloc(uint32_t(bytes)));
    std::memset(p, value, bytes);
    return p;
  }
  MazeHud hud_;
  std::vector<uint8_t> frame_ = std::vector<uint8_t>(640 * 480, 7);
};

TEST_F(HudTest, NumbersDrawTheirDigitsAndNoSign) {
  hud_.DrawNumber(100, 100, 0);
  const std::vector<int> zero = WhiteColumns(90, 140, 100, 106);
  ASSERT_FALSE(zero.empty());
  EXPECT_GE(zero.front(), 100);
  EXPECT_LE(zero.back(), 104);  // one glyph of advance 6
  std::fill(frame_.begin(), frame_.end(), 7);
  hud_.DrawNumber(100, 100, 12);
  const std::vector<int> twelve = WhiteColumns(90, 140, 100, 106);
  std::fill(frame_.begin(), frame_.end(), 7);
  hud_.DrawNumber(100, 100, -12);
  EXPECT_EQ(WhiteColumns(90, 140, 100, 106), twelve);
  // Glyphs are white with a black shadow below and to the right.
  EXPECT_EQ(At(twelve.back() + 1, 102), 0);
}

TEST_F(HudTest, EnergyBarsTakeTheirColourByLength) {
  struct Case { int32_t length; uint8_t colour; };
  for (const Case& c : {Case{10, 2}, Case{11, 3}, Case{20, 3}, Case{21, 1}, Case{60, 1}, Case{99, 1}}) {
    SCOPED_TRACE(c.length);
    hud_.energy[0] = c.length;
    hud_.DrawScores();
    EXPECT_EQ(At(89, 406), c.colour);
    EXPECT_EQ(At(89 + std::min(c.length, 60) - 1, 415), c.colour);
    if (c.length < 60) {
      EXPECT_EQ(At(89 + c.length, 415), 0);
    }
  }
  hud_.energy[0] = 0;
  hud_.DrawScores();
  EXPECT_EQ(At(89, 406), 0);
  EXPECT_FALSE(WhiteColumns(99, 149, 407, 414).empty());  // the label stays
}

TEST_F(HudTest, ExploredCellsStopAtTheMapsEdges) {
  g_mazeViewPlayer1 = 0;
  g_mazeViewPlayer2 = kMazeNoPlayer;
  g_mazeRunners[0].x = 5;
  g_mazeRunners[0].y = 5;
  hud_.NoteExplored();
  int count = 0;
  for (uint8_t v : hud_.explored[0]) count += v;
  EXPECT_EQ(count, 6 * 5);  // rows 0..5, columns 0..4
  EXPECT_EQ(hud_.explored[0][5 * 128 + 4], 1);
  g_mazeRunners[0].x = 127 * 32 + 3;
  g_mazeRunners[0].y = 127 * 32 + 3;
  hud_.NoteExplored();
  EXPECT_EQ(hud_.explored[0][122 * 128 + 122], 1);
  EXPECT_EQ(hud_.explored[0][121 * 128 + 127], 0);
  for (uint8_t v : hud_.explored[1]) ASSERT_EQ(v, 0);  // no second viewed player
}

TEST_F(HudTest, APowerAnimationRunsUnderTheFaceAndStartsAgain) {
  uint8_t* power = static_cast<uint8_t*>(RcAlloc(kHudFaceBytes * kHudPowerFrames));
  for (int f = 0; f < kHudPowerFrames; ++f) std::memset(power + f * kHudFaceBytes, 100 + f, kHudFaceBytes);
  hud_.SetPower(power);
  uint8_t* face = Picture(kHudFaceBytes, 0);
  face[20 * 64 + 20] = 33;  // one pixel of face, the rest transparent
  hud_.SetFace(0, face);
  hud_.faceCounter[0] = 10;
  hud_.DrawFaces();
  EXPECT_EQ(At(12, 407), 110);  // power frame 10 under the face
  EXPECT_EQ(At(32, 427), 33);
  hud_.AnimateFaces();
  EXPECT_EQ(hud_.faceCounter[0], 0);
  EXPECT_EQ(hud_.faceCounter[1], 255);
  hud_.faceCounter[0] = 255;
  hud_.DrawFaces();
  EXPECT_EQ(At(12, 407), 0);  // the face alone, opaque
}

TEST_F(HudTest, TheAutomapShowsOnlyExploredWallsPlayersAndTheDoor) {
  g_mazeViewPlayer1 = 0;
  g_mazeYWalls[10 * 128 + 10] = 1;   // explored below
  g_mazeXWalls[10 * 128 + 12] = 1;
  g_mazeYWalls[60 * 128 + 60] = 1;   // never explored
  hud_.explored[0][10 * 128 + 10] = 1;
  hud_.explored[0][10 * 128 + 12] = 1;
  hud_.explored[0][40 * 128 + 40] = 1;
  hud_.SetMapIcon(2, Picture(kHudMapIconBytes, 44));
  hud_.SetMapIcon(kHudDoorIcon, Picture(kHudMapIconBytes, 45));
  g_mazeRunners[2].flags = kRunnerInPlay;
  g_mazeRunners[2].x = 40 * 32 + 5;
  g_mazeRunners[2].y = 40 * 32 + 5;
  MazeRunnerRecord viewer{};
  viewer.player = 0;
  viewer.screenX = 320;
  hud_.doorCell = kHudDoorStartCell;
  hud_.DrawAutomap(viewer);
  const int left = 320 + 54, top = 8;
  EXPECT_EQ(At(left + 20, top + 20), 255);  // y-wall of cell (10, 10)
  EXPECT_EQ(At(left + 22, top + 20), 255);
  EXPECT_EQ(At(left + 24, top + 21), 255);  // x-wall of cell (10, 12)
  EXPECT_EQ(At(left + 120, top + 120), 7);  // unexplored: untouched
  EXPECT_EQ(At(left + 80 - 10, top + 80 - 8), 44);  // runner 2's icon around its cell
  // The door shows once it has moved and its cell is explored.
  hud_.doorCell = 10 * 128 + 12;
  hud_.DrawAutomap(viewer);
  EXPECT_EQ(At(left + 24 - 10, top + 24 - 8), 45);
}

TEST_F(HudTest, ItemChoiceFollowsTheActionBytes) {
  struct Case { uint8_t b6, b7, b8; int32_t units; uint16_t pills; uint16_t mode; uint8_t icon; };
  const Case cases[] = {
      {1, 1, 0, 5, 5, 0, kHudIconFists},  // fists win over the weapon
      {0, 1, 0, 5, 0, 1, 2},              // the weapon: player 2's own icon
      {0, 1, 0, 0, 3, 2, kHudIconPill},   // no units: the pills
      {0, 1, 0, 0, 0, 0, kHudIconFists},  // neither: the fists
      {0, 0, 1, 0, 2, 2, kHudIconPill},
      {0, 0, 1, 9, 0, 0, kHudIconFists},
      {0, 0, 0, 9, 9, 7, 7},              // nothing pressed: nothing changes
  };
  for (const Case& c : cases) {
    std::memset(g_playerStates, 0, sizeof g_playerStates);
    g_playerStates[2][6] = c.b6;
    g_playerStates[2][7] = c.b7;
    g_playerStates[2][8] = c.b8;
    hud_.weaponUnits[2] = c.units;
    hud_.powerPills[2] = c.pills;
    hud_.itemIcon[2] = 7;
    uint16_t mode = 7;
    MazeSelectItem(2, mode);
    EXPECT_EQ(mode, c.mode);
    EXPECT_EQ(hud_.itemIcon[2], c.icon);
  }
  std::memset(g_playerStates, 0, sizeof g_playerStates);
}

TEST_F(HudTest, TheColumnBetweenTwoViewsIsBlack) {
  hud_.ClearColumn();
  for (int y = 0; y < 400; y += 13) {
    EXPECT_EQ(At(317, y), 7);
    for (int x = 318; x <= 321; ++x) EXPECT_EQ(At(x, y), 0);
    EXPECT_EQ(At(322, y), 7);
  }
  EXPECT_EQ(At(320, 400), 7);
}

TEST(MazeSupport, SquareRootsAndHeadings) {
  LoadFixtureTables();
  struct Root { int32_t n, root; };
  for (const Root& r : {Root{-5, 0}, Root{0, 0}, Root{1, 0}, Root{2, 1}, Root{3, 1}, Root{4, 2}, Root{639999, 799},
                        Root{640000, 800}, Root{INT32_MAX, 46340}})
    EXPECT_EQ(IntSqrt(r.n), r.root) << r.n;
  struct Heading { int32_t dx, dy, a; };
  int first = 0;
  while (g_tanTable[first] < 65536) ++first;  // the first tangent not below one
  for (const Heading& h : {Heading{0, 0, 1350}, Heading{5, 0, 0}, Heading{-5, 0, 900}, Heading{0, 5, 450},
                           Heading{0, -5, 1350}, Heading{7, 7, first}, Heading{-7, 7, 900 - first},
                           Heading{-7, -7, 900 + first}, Heading{7, -7, 1800 - first}, Heading{1, 4000, 450},
                           Heading{4000, 1, 1}})
    EXPECT_EQ(AngleOf(h.dx, h.dy), h.a) << h.dx << "," << h.dy;
  // Every heading a vector along it comes back to within one unit.
  for (int a = 0; a < kMazeTurn; a += 7) {
    const int32_t dx = (g_cosTable[a] * 2000) >> 16, dy = (g_sinTable[a] * 2000) >> 16;
    const int back = AngleOf(dx, dy);
    const int diff = std::abs(back - a) % kMazeTurn;
    EXPECT_LE(std::min(diff, kMazeTurn - diff), 1) << a;
  }
}

TEST(MazeSupport, TheRenderRateIsCappedAndNeverZero) {
  struct Case { uint32_t ms; uint16_t rate; };
  for (const Case& c : {Case{0, 16}, Case{1, 16}, Case{500, 16}, Case{625, 16}, Case{626, 15}, Case{1000, 10},
                        Case{1001, 9}, Case{10000, 1}, Case{20000, 1}, Case{0xFFFFFFFF, 1}})
    EXPECT_EQ(MazeRenderRate(c.ms), c.rate) << c.ms;
}

TEST(MazeSupport, PlayersNearAndTheTopScore) {
  MazeResetWorld();
  for (int i = 0; i < 4; ++i) g_mazeRunners[i].x = g_mazeRunners[i].y = 1000;
  g_mazeRunners[1].x = 1800;  // exactly 800 away: not near
  g_mazeRunners[2].x = 1799;  // 799: near
  g_mazeRunners[3].y = 4000;
  EXPECT_EQ(MazePlayersNear(0), 0b0101u);
  EXPECT_EQ(MazePlayersNear(3), 0b1000u);
  g_mazeObjects[40].x = 1000;
  g_mazeObjects[40].y = 1799;
  EXPECT_EQ(MazeObjectNear(0, 40), 1u);
  EXPECT_EQ(MazeObjectNear(3, 40), 0u);
  g_mazePlayers[0].score = -40;
  g_mazePlayers[1].score = -3;
  g_mazePlayers[2].score = -90;
  g_mazePlayers[3].score = -3;
  EXPECT_EQ(MazeTopScore(), -3);
  MazeResetWorld();
}

}  // namespace
