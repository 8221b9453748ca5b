// ROLLER DERBY rules as plain functions: sound by distance, damage, hit
// boxes, turning and viewing directions, the chase camera, the leader,
// places and the end of the race, faces, the clock and the views' layout.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "events/roller_derby/derby_rules.h"

using namespace derby;
namespace da = derbyassets;

namespace {

TEST(DerbyRules, SoundFallsWithDistance) {
  EXPECT_EQ(SoundVolumeAt(0.0f), 0);
  EXPECT_EQ(SoundVolumeAt(200.0f * 200.0f), -200);
  EXPECT_EQ(SoundVolumeAt(2000000.0f), -10000);
  EXPECT_EQ(SoundVolumeAt(1e12f), -10000);
  EXPECT_EQ(SoundVolumeAt(NAN), -10000);
}

// Damage follows strength or weapon power against endurance and pills, and
// a hit never heals, however tough and pilled-up the victim.
TEST(DerbyRules, DamageIsNeverNegative) {
  EXPECT_EQ(PunchDamage(50, 1, 1, 50), 5);      // 5 * 1.0 + 0.5
  EXPECT_EQ(PunchDamage(100, 2, 1, 0), 40);     // 20 * 2.0 + 0.5
  EXPECT_EQ(PunchDamage(100, 1, 2, 50), 0);     // 10 * 0 + 0.5
  EXPECT_EQ(PunchDamage(100, 1, 2, 100), 0);    // would heal 20
  EXPECT_EQ(WeaponDamage(100, 1, 50), 11);      // energy 100 keeps trunc(100 - 10.5) = 89
  EXPECT_EQ(WeaponDamage(150, 1, 0), 31);       // 30.5
  EXPECT_EQ(WeaponDamage(100, 2, 100), 0);      // would heal 19.5
  for (int e = 0; e <= 100; e += 10)
    for (int b = 1; b <= 2; ++b) {
      EXPECT_GE(PunchDamage(100, 2, b, e), 0);
      EXPECT_GE(WeaponDamage(150, b, e), 0);
    }
}

TEST(DerbyRules, PunchAndWeaponReach) {
  // Facing +x (heading 0): the punch box 1.8 ahead, 1.2 either way, meets a
  // skater's box of 1.5 either way.
  EXPECT_TRUE(PunchReaches(0, 0, 0, 3.0f, 0));
  EXPECT_TRUE(PunchReaches(0, 0, 0, 4.4f, 0));
  EXPECT_FALSE(PunchReaches(0, 0, 0, 4.6f, 0));   // outside 4.5
  EXPECT_FALSE(PunchReaches(0, 0, 0, -3.0f, 0));  // behind
  EXPECT_FALSE(PunchReaches(0, 0, kPi, 3.0f, 0));
  // A weapon flying 14 this frame hits a skater 10 ahead through its
  // sampled points (0, 2.8 .. 11.2), and misses one 17 ahead.
  EXPECT_TRUE(WeaponPathHits({0, 0}, {14, 0}, {10, 0}));
  EXPECT_FALSE(WeaponPathHits({0, 0}, {14, 0}, {17, 0}));
  EXPECT_FALSE(WeaponPathHits({0, 0}, {14, 0}, {5, 4}));
}

TEST(DerbyRules, TurningAndViewing) {
  EXPECT_FLOAT_EQ(TurnRate(0), kPi / 24);
  EXPECT_FLOAT_EQ(TurnRate(10), kPi / 74);
  EXPECT_FLOAT_EQ(StrideAcceleration(50, false), 1.7f);
  EXPECT_FLOAT_EQ(StrideAcceleration(50, true), 3.4f);
  // A camera looking along the skater's heading sees his back (0), one
  // facing it his front (4); turned a quarter to his left, his right side.
  EXPECT_EQ(ViewDirection(1.0f, 1.0f), 0);
  EXPECT_EQ(ViewDirection(1.0f, 1.0f + kPi), 4);
  EXPECT_EQ(ViewDirection(kPi / 2, 0.0f), 2);
  EXPECT_EQ(ViewDirection(0.0f, kPi / 2), 6);
  EXPECT_EQ(ViewDirection(0.0f, 0.39f), 0);
  EXPECT_EQ(ViewDirection(0.0f, 0.40f), 7);
}

TEST(DerbyRules, ChaseCamera) {
  const TrackShape& t = Track();
  // On the start straight, heading +z: 28 behind, lifted by the skater's
  // height.
  CameraPlace c = ChaseCamera(t, 96, 0, 400, kPi / 2, 2.5f, 0);
  EXPECT_NEAR(c.x, 96, 1e-4);
  EXPECT_NEAR(c.z, 372, 1e-4);
  EXPECT_FLOAT_EQ(c.y, 2.5f);
  // 24 frames after the finish it has swung round to face him, and stays.
  c = ChaseCamera(t, 96, 0, 400, kPi / 2, 2.5f, 24);
  EXPECT_NEAR(c.z, 428, 1e-3);
  EXPECT_FLOAT_EQ(ChaseCamera(t, 96, 0, 400, kPi / 2, 2.5f, 100).heading, c.heading);
  EXPECT_FLOAT_EQ(ChaseCamera(t, 96, 0, 400, kPi / 2, 2.5f, 12).heading, kPi);
  // A skater facing across the start straight towards its left wall: his
  // camera, 28 behind him, is pulled in to just inside the right wall (x 128).
  c = ChaseCamera(t, 110, 0, 400, kPi, 2.5f, 0);
  EXPECT_NEAR(c.x, 127.9f, 1e-3);
  EXPECT_NEAR(c.z, 400, 1e-3);
}

// A skater pressed against any wall of any piece (on the line 5 inside the
// walls that his middle never crosses), facing any way: his camera keeps
// out of him and stays on the track side of the barrier.
TEST(DerbyRules, TheChaseCameraKeepsOutOfItsSkaterEverywhere) {
  const TrackShape& t = Track();
  int cases = 0;
  for (int piece = 0; piece < kPieces; ++piece) {
    const TrackEdges& e = t.innerEdges[piece];
    const int half = e.count / 2;
    for (int wall = 0; wall < 2; ++wall)
      for (int i = wall * half; i + 1 < (wall + 1) * half; ++i) {
        const Point2f at((e.points[i].x + e.points[i + 1].x) / 2, (e.points[i].y + e.points[i + 1].y) / 2);
        for (int k = 0; k < 16; ++k) {
          const float heading = static_cast<float>(k) * kPi / 8;
          const CameraPlace c = ChaseCamera(t, at.x, 0, at.y, heading, 2.5f, 0);
          const float gap = std::hypot(c.x - at.x, c.z - at.y);
          EXPECT_GE(gap, kCameraNearest - 0.01f) << "piece " << piece << " at " << at.x << ", " << at.y
                                                 << " heading " << k << "/8 pi";
          EXPECT_LE(gap, kChaseDistance + 0.01f);
          Point2f from = at, to(c.x, c.z), hit;
          EXPECT_EQ(CrossesEdge(t, t.outerEdges, &from, &to, &hit), 0) << "piece " << piece << " heading " << k;
          ++cases;
        }
      }
  }
  EXPECT_GT(cases, kPieces * 16 * 2);
}

// The camera keeps out of every skater, not only the one it follows: where
// another stands in its place, it comes nearer its own skater or swings
// round him, and stays on the track.
TEST(DerbyRules, TheChaseCameraKeepsOutOfTheOtherSkaters) {
  const TrackShape& t = Track();
  auto check = [&](Point2f at, float heading, const std::vector<Point2f>& others, const std::string& what) {
    const CameraPlace c = ChaseCamera(t, at.x, 0, at.y, heading, 2.5f, 0, others.data(), int(others.size()));
    const float gap = std::hypot(c.x - at.x, c.z - at.y);
    EXPECT_GE(gap, kCameraNearest - 0.01f) << what;
    EXPECT_LE(gap, kChaseDistance + 0.01f) << what;
    for (const Point2f& o : others)
      EXPECT_GE(std::hypot(c.x - o.x, c.z - o.y), kCameraNearest - 0.01f) << what << ": the skater at " << o.x << ", " << o.y;
    Point2f from = at, to(c.x, c.z), hit;
    EXPECT_EQ(CrossesEdge(t, t.outerEdges, &from, &to, &hit), 0) << what;
    return c;
  };
  // On the start straight, heading +z, the camera's own place is (96, 372).
  const Point2f me(96, 400);
  struct Case {
    const char* what;
    std::vector<Point2f> others;
  };
  const Case cases[] = {
      {"one in the camera's place", {{96, 372}}},
      {"one just behind him", {{96, 390}}},
      {"one off to the side behind", {{101, 377}}},
      {"a pack behind him", {{96, 372}, {90, 382}, {103, 386}}},
      {"a pack all round him", {{96, 384}, {84, 396}, {108, 396}}},
  };
  for (const Case& k : cases) check(me, kPi / 2, k.others, k.what);
  // Nobody near: the camera stands where it always stood.
  const CameraPlace alone = check(me, kPi / 2, {{96, 460}, {20, 10}}, "others far away");
  EXPECT_NEAR(alone.x, 96, 1e-4);
  EXPECT_NEAR(alone.z, 372, 1e-4);
  // At every wall of every piece, facing any way, with another skater
  // standing where the camera would stand without him.
  int n = 0;
  for (int piece = 0; piece < kPieces; ++piece) {
    const TrackEdges& e = t.innerEdges[piece];
    const int half = e.count / 2;
    for (int wall = 0; wall < 2; ++wall)
      for (int i = wall * half; i + 1 < (wall + 1) * half; i += 2) {
        const Point2f at((e.points[i].x + e.points[i + 1].x) / 2, (e.points[i].y + e.points[i + 1].y) / 2);
        for (int k = 0; k < 16; k += 2) {
          const float heading = static_cast<float>(k) * kPi / 8;
          const CameraPlace own = ChaseCamera(t, at.x, 0, at.y, heading, 2.5f, 0);
          check(at, heading, {{own.x, own.z}},
                "piece " + std::to_string(piece) + " wall point " + std::to_string(i) + " heading " + std::to_string(k) + "/8 pi");
          ++n;
        }
      }
  }
  EXPECT_GT(n, kPieces * 8);
}

TEST(DerbyRules, LeaderAndPlaces) {
  const int32_t unique[4] = {10, 30, 20, 0};
  EXPECT_EQ(FindLeader(unique), 1);
  const int32_t tie[4] = {30, 30, 20, 0};
  EXPECT_EQ(FindLeader(tie), -1);
  const int32_t laterGreater[4] = {30, 30, 40, 0};
  EXPECT_EQ(FindLeader(laterGreater), 2);
  const int32_t none[4] = {0, 0, 0, 0};
  EXPECT_EQ(FindLeader(none), -1);

  // Two finished; the rest by progress, the lower player first among equals.
  int32_t places[4] = {-1, 0, -1, 1};
  const int32_t progress[4] = {100, 192, 100, 192};
  AssignRemainingPlaces(places, progress, 2);
  EXPECT_EQ(places[0], 2);
  EXPECT_EQ(places[2], 3);
  int32_t open[4] = {-1, -1, -1, -1};
  const int32_t p2[4] = {5, 90, 40, 90};
  AssignRemainingPlaces(open, p2, 0);
  EXPECT_EQ(open[1], 0);
  EXPECT_EQ(open[3], 1);
  EXPECT_EQ(open[2], 2);
  EXPECT_EQ(open[0], 3);
}

TEST(DerbyRules, WhenTheRaceEnds) {
  struct Case {
    const char* what;
    bool wait[4];
    int32_t finished[4];
    int32_t third;
    int32_t clock;
    bool over;
  };
  const Case cases[] = {
      {"the local player just finished", {true, false, false, false}, {10, -1, -1, -1}, -1, 90, false},
      {"the local player finished 55 frames ago", {true, false, false, false}, {55, -1, -1, -1}, -1, 90, true},
      {"two local players, one still racing", {true, true, false, false}, {80, -1, -1, -1}, -1, 90, false},
      {"both local players in", {true, true, false, false}, {80, 60, -1, -1}, -1, 90, true},
      {"third computer in 55 frames ago", {true, false, false, false}, {-1, 70, 60, 55}, 3, 90, true},
      {"third computer just in", {true, false, false, false}, {-1, 70, 60, 54}, 3, 90, false},
      {"nobody waited for (a network game of computers)", {false, false, false, false}, {-1, 70, -1, -1}, -1, 90,
       false},
      {"time is up", {true, false, false, false}, {-1, -1, -1, -1}, -1, kTimeLimitSeconds, true},
  };
  for (const Case& c : cases) {
    EndInput in;
    for (int p = 0; p < 4; ++p) {
      in.waitFor[p] = c.wait[p];
      in.finishedFrames[p] = c.finished[p];
    }
    in.thirdFinisher = c.third;
    in.clockSeconds = c.clock;
    EXPECT_EQ(RaceOver(in), c.over) << c.what;
  }
}

TEST(DerbyRules, FacesClockAndMap) {
  EXPECT_EQ(FaceMood(da::kHit, true, 2, 50), 3);
  EXPECT_EQ(FaceMood(da::kSkating, true, 1, 1), 2);
  EXPECT_EQ(FaceMood(da::kSkating, false, 2, 50), 2);
  EXPECT_EQ(FaceMood(da::kFallen, false, 1, 1), 0);
  EXPECT_EQ(FaceMood(da::kFallen, false, 1, 15), 1);
  EXPECT_EQ(FaceMood(da::kFallen, false, 1, 50), 4);
  EXPECT_EQ(FaceMood(da::kStriding, false, 1, 50), 5);
  EXPECT_EQ(ClockText(0), "0 : 00");
  EXPECT_EQ(ClockText(65), "1 : 05");
  EXPECT_EQ(ClockText(600), "10 : 00");
  EXPECT_EQ(MapFacePosition(96, 320).x, 449);
  EXPECT_EQ(MapFacePosition(96, 320).y, 68);
}

TEST(DerbyRules, ViewLayouts) {
  auto same = [](const ViewRect& r, ViewRect e) {
    return r.x == e.x && r.y == e.y && r.width == e.width && r.height == e.height;
  };
  ViewLayout one = LayOutViews(640, 400, false, false);
  ASSERT_EQ(one.views, 1);
  EXPECT_TRUE(same(one.view[0], {64, 40, 512, 320}));
  ASSERT_EQ(one.borders, 4);
  EXPECT_TRUE(same(one.border[0], {0, 0, 640, 40}));
  EXPECT_TRUE(same(one.border[1], {0, 360, 640, 40}));
  EXPECT_TRUE(same(one.border[2], {0, 40, 64, 320}));
  EXPECT_TRUE(same(one.border[3], {576, 40, 64, 320}));
  EXPECT_TRUE(same(LayOutViews(320, 200, false, false).view[0], {32, 20, 256, 160}));

  ViewLayout two = LayOutViews(320, 200, true, false);
  ASSERT_EQ(two.views, 2);
  EXPECT_TRUE(same(two.view[0], {16, 20, 128, 160}));
  EXPECT_TRUE(same(two.view[1], {176, 20, 128, 160}));
  ASSERT_EQ(two.borders, 5);
  const ViewRect strips[5] = {{0, 0, 320, 20}, {0, 180, 320, 20}, {0, 20, 16, 160}, {144, 20, 32, 160}, {304, 20, 16, 160}};
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(same(two.border[i], strips[i])) << i;
  EXPECT_TRUE(same(LayOutViews(640, 400, true, false).view[1], {352, 40, 256, 320}));

  ViewLayout big = LayOutViews(640, 400, true, true);
  EXPECT_EQ(big.borders, 0);
  EXPECT_TRUE(same(big.view[0], {0, 0, 320, 400}));
  EXPECT_TRUE(same(big.view[1], {320, 0, 320, 400}));
}

}  // namespace
