// The renderer's geometry and passes, case by case: rays along and next to
// the axes, the x-wall winning a tie, texture columns reading the same way
// from either side, the fish-eye correction, walls filling the view, rays
// that leave the map, the sky's rows, and which things the sprite pass
// collects and how it orders them.
#include <gtest/gtest.h>

#include <cstring>

#include "events/maze3d/rc_loader.h"
#include "events/maze3d/rc_raycaster.h"
#include "events/maze3d/rc_support.h"
#include "events/maze3d/rc_tables.h"
#include "events/maze3d/rc_world.h"
#include "tests/maze3d/render_fixture.h"

namespace {

// An empty world of the fixture's textures: walls placed by each test.
class RenderCase : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(g_mazeLevel.xWalls, 0, sizeof g_mazeLevel.xWalls);
    std::memset(g_mazeLevel.yWalls, 0, sizeof g_mazeLevel.yWalls);
  }
  const RayColumn& Cast(int32_t x, int32_t y, int heading, int column = 160) {
    caster_.SetCamera(RenderFixture::View(x, y, heading));
    caster_.CastColumns();
    return g_rayColumns[column];
  }
  RenderFixture fx_;
  RayCaster caster_;
};

TEST_F(RenderCase, TextureColumnsReadTheSameWayFromEitherSide) {
  // x-wall on x = 1024 (column 32) at row 32; y-wall on y = 1056 (row 33) at column 32.
  g_mazeXWalls[32 * 128 + 32] = 5;
  g_mazeXWalls[32 * 128 + 34] = 6;
  g_mazeYWalls[33 * 128 + 32] = 7;
  g_mazeYWalls[31 * 128 + 32] = 8;
  struct Case { int32_t x, y; int heading; uint32_t texture, column; };
  const Case cases[] = {
      {1040, 1045, 900, 4, 31 - 21},  // looking along -x at an x-wall: mirrored
      {1040, 1045, 0, 5, 21},         // along +x: as stored
      {1045, 1040, 450, 6, 31 - 21},  // along +y at a y-wall: mirrored
      {1045, 1030, 1350, 7, 21},      // along -y: as stored
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.heading);
    const RayColumn& col = Cast(c.x, c.y, c.heading);
    ASSERT_EQ(col.hit, 1u);
    EXPECT_EQ(col.texture, c.texture);
    EXPECT_EQ(col.textureColumn, c.column);
  }
}

TEST_F(RenderCase, AnXWallWinsATieAndTheMiddleColumnIsNotCorrected) {
  // A ray at 45 degrees from (1040, 1040) meets x = 1088 and y = 1088 at
  // the same point, the corner of both walls.
  g_mazeXWalls[34 * 128 + 34] = 5;
  g_mazeYWalls[34 * 128 + 34] = 9;
  const RayColumn& col = Cast(1040, 1040, 225);
  ASSERT_EQ(col.hit, 1u);
  EXPECT_EQ(col.texture, 4u);
  // Length 48 * 1448 >> 10, with no fish-eye factor in column 160.
  EXPECT_EQ(col.distance, (48 * 1448) >> 10);
  // The edge columns are corrected by cos 160 and cos 159.
  std::memset(g_mazeLevel.yWalls, 0, sizeof g_mazeLevel.yWalls);
  for (int r = 0; r < 128; ++r) g_mazeXWalls[r * 128 + 40] = 5;
  Cast(1040, 1040, 0);
  EXPECT_EQ(g_rayColumns[160].distance, 1280 - 1040);
  EXPECT_LT(g_rayColumns[0].distance, g_rayColumns[1].distance + 1);
  EXPECT_NEAR(g_rayColumns[0].distance, 240, 1);
  EXPECT_NEAR(g_rayColumns[319].distance, 240, 1);
}

TEST_F(RenderCase, RaysAlongAndBesideTheAxesNeverLeaveTheMap) {
  // Walls all round the map's inner edge, a few posts, and cameras on cell
  // lines and corners: every heading, every column, under the sanitizers.
  // A ray that passes exactly through the corner of two walls meets
  // neither, so a few columns may find no wall.
  for (int i = 1; i < 127; ++i) {
    g_mazeXWalls[i * 128 + 1] = g_mazeXWalls[i * 128 + 127] = 1;
    g_mazeYWalls[1 * 128 + i] = g_mazeYWalls[127 * 128 + i] = 1;
  }
  g_mazeXWalls[64 * 128 + 70] = 2;
  g_mazeYWalls[70 * 128 + 64] = 3;
  const int32_t spots[][2] = {{2048, 2048}, {2048, 2050}, {2049, 2048}, {40, 40}, {4060, 4060}, {2048, 33}};
  for (const auto& s : spots)
    for (int h = 0; h < kMazeTurn; h += 1) {
      caster_.SetCamera(RenderFixture::View(s[0], s[1], h));
      caster_.CastColumns();
      int hits = 0;
      for (int c = 0; c < kRayColumnCount; ++c) {
        if (!g_rayColumns[c].hit) continue;
        ++hits;
        ASSERT_GE(g_rayColumns[c].distance, 0);
        ASSERT_LT(g_rayColumns[c].distance, 5800);
        ASSERT_LT(g_rayColumns[c].textureColumn, 32u);
      }
      ASSERT_GE(hits, kRayColumnCount - 2) << s[0] << "," << s[1] << " heading " << h;
    }
}

TEST_F(RenderCase, ARayThatLeavesTheMapPaintsNothing) {
  fx_.Clear(7);
  MazeViewRecord v = RenderFixture::View(2048, 2048, 300);
  fx_.Render(caster_, v, true);
  for (int c = 0; c < kRayColumnCount; ++c) EXPECT_EQ(g_rayColumns[c].hit, 0u);
  for (int y = 0; y < kViewRows; y += 7)
    for (int x = 0; x < kFrameWidth; x += 5) ASSERT_EQ(fx_.At(x, y), 7);
}

TEST_F(RenderCase, AWallAtTheCameraFillsTheViewAndLeavesNoSpans) {
  for (int r = 0; r < 128; ++r) g_mazeXWalls[r * 128 + 33] = 38;
  caster_.SetCamera(RenderFixture::View(1054, 1040, 0));
  caster_.CastColumns();
  RcDrawWallColumnsDouble(RenderFixture::View(1054, 1040, 0));
  for (int c = 140; c < 180; ++c) {
    EXPECT_EQ(g_wallTopSpan[c], kNoSpan);
    EXPECT_EQ(g_wallBottomSpan[c], kNoSpan);
  }
  RcClearColumnSpans();
}

TEST_F(RenderCase, TheSkyShowsItsLowestRowJustAboveTheHorizon) {
  for (int r = 0; r < 128; ++r) g_mazeXWalls[r * 128 + 60] = 38;
  for (int16_t offset : {int16_t(-10), int16_t(0), int16_t(100)}) {
    SCOPED_TRACE(offset);
    fx_.Clear(7);
    MazeViewRecord v = RenderFixture::View(1040, 1040, 0);
    v.viewOffset = offset;
    fx_.Render(caster_, v, true);
    const int horizon = 200 + offset;
    // Column 200 (pixel 400) looks along heading 40: sky column 40.
    const int first = 200 - offset;  // the panorama row on screen row 0
    EXPECT_EQ(fx_.At(400, 0), 64 + first * 31 / 400);
    // The wall stands on the horizon; the sky's row 399 lies on the wall's top.
    EXPECT_NE(fx_.At(400, horizon), 7);
    int top = 0;
    while (top < horizon && fx_.At(400, top) >= 64 && fx_.At(400, top) <= 95) ++top;
    ASSERT_GT(top, 0);
    ASSERT_LT(top, horizon);
    EXPECT_EQ(fx_.At(400, top - 1), 64 + (first + top - 1) * 31 / 400);
  }
}

TEST_F(RenderCase, TheSpritePassCollectsTheWindowAndOrdersFarthestFirst) {
  for (int r = 0; r < 128; ++r) g_mazeXWalls[r * 128 + 100] = 38;  // a wall at x 3200
  auto place = [&](int i, int heading) {
    // A thing about 1000 units from the camera at (1040, 2048) whose angle
    // from it is exactly the heading.
    MazeObjectRecord& o = g_mazeObjects[kMazeFirstMonster + i];
    o.active = 1;
    o.pose = fx_.postPose();
    for (int dx = 700; dx < 800; ++dx) {
      const int dy0 = int((int64_t(dx) * g_sinTable[heading]) / g_cosTable[heading]);
      for (int dy = dy0 - 2; dy <= dy0 + 2; ++dy)
        if (AngleOf(dx, dy) == heading) {
          o.x = 1040 + dx;
          o.y = 2048 + dy;
          return;
        }
    }
    FAIL() << "no point at exactly " << heading;
  };
  place(0, 200);   // the window's edge: heading + 200
  place(1, 201);   // just outside it
  place(2, 1600);  // heading - 200
  caster_.SetCamera(RenderFixture::View(1040, 2048, 0));
  caster_.CastColumns();
  caster_.CollectSprites();
  ASSERT_EQ(caster_.spriteCount(), 2);
  // Beyond the farthest wall: dropped, even at the view's middle.
  MazeObjectRecord& far = g_mazeObjects[kMazeFirstMonster + 3];
  far.active = 1;
  far.x = 3300;
  far.y = 2048;
  far.pose = fx_.postPose();
  // Two near ones straight ahead, at 300 and 150.
  MazeObjectRecord& a = g_mazeObjects[kMazeFirstMonster + 4];
  MazeObjectRecord& b = g_mazeObjects[kMazeFirstMonster + 5];
  a = far;
  a.x = 1340;
  b = far;
  b.x = 1190;
  caster_.CollectSprites();
  ASSERT_EQ(caster_.spriteCount(), 4);
  for (int i = 1; i < 4; ++i) EXPECT_GE(g_raySprites[i - 1].distance, g_raySprites[i].distance);
  EXPECT_EQ(g_raySprites[2].distance, 300);
  EXPECT_EQ(g_raySprites[3].distance, 150);
  EXPECT_EQ(g_raySprites[3].position, 200);
}

TEST_F(RenderCase, TheViewersOwnCharacterStandsInTheMiddleEvenAtTheCamera) {
  for (int r = 0; r < 128; ++r) g_mazeXWalls[r * 128 + 100] = 38;
  MazeRunnerRecord& me = g_mazeRunners[1];
  me.player = 1;
  me.x = 1040;  // right at the camera: a pulled-in camera
  me.y = 2048;
  me.pose = fx_.postPose();
  MazeViewRecord v = RenderFixture::View(1040, 2048, 0);
  v.player = 1;
  g_mazeRoundState = 0;
  g_mazeCameraPulledIn = 1;
  fx_.Clear(7);
  fx_.Render(caster_, v, true);
  ASSERT_EQ(caster_.spriteCount(), 1);
  EXPECT_EQ(g_raySprites[0].position, 200);
  EXPECT_EQ(g_raySprites[0].distance, 1);  // not 0: a zero step would divide by zero
  EXPECT_GE(fx_.At(320, 300), 96);  // the post fills the middle of the view
  EXPECT_LE(fx_.At(320, 300), 111);
  // Not pulled in: at the camera's distance.
  g_mazeCameraPulledIn = 0;
  g_mazeCameraDistance = 100;
  caster_.CollectSprites();
  EXPECT_EQ(g_raySprites[0].distance, 100);
  // Once the exit sequence runs it is drawn only in play and in the window.
  g_mazeRoundState = 2;
  caster_.CollectSprites();
  EXPECT_EQ(caster_.spriteCount(), 0);
  g_mazeRoundState = -1;
}

TEST_F(RenderCase, DirectionFramesTurnWithTheThingsHeading) {
  caster_.SetCamera(RenderFixture::View(1040, 2048, 0));
  const uint8_t* pose = fx_.postPose();
  // Facing the viewer (heading 900 for a viewer looking along 0): frame 0;
  // each eighth of a turn further: the next frame.
  for (int k = 0; k < 8; ++k)
    EXPECT_EQ(caster_.PickDirectionFrame(WrapAngle(900 + 225 * k), pose), RcRecordAt(pose, k)) << k;
}

}  // namespace
