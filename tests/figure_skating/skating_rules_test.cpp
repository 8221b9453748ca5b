// The rules of FULL CONTACT FIGURE SKATING as tables of cases: the rink's
// projection, steps at the sides and corners, momentum for fixed input,
// directions, boxes, blows, jump points, draw order, places and the clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "events/figure_skating/skating_rules.h"

using namespace skaterules;

namespace {

TEST(SkatingRules, RinkPointsLandOnThePictureWhereTheRinkIsDrawn) {
  // The picture position is (0.917 (x + y) + 345, 0.399 (x - y) + 390),
  // each part cut towards zero; the screen position lies 40 rows lower.
  struct Case { int x, y, px, py; } cases[] = {
      {0, 0, 345, 390}, {525, 0, 826, 599}, {0, 345, 661, 253}, {525, 345, 1142, 461},
      {262, 172, 743, 425}, {-10, 0, 336, 387},  // a weapon past the side: towards zero
  };
  for (const Case& c : cases) {
    Point p = RinkToPicture(c.x, c.y);
    EXPECT_EQ(p.x, c.px) << c.x << "," << c.y;
    EXPECT_EQ(p.y, c.py) << c.x << "," << c.y;
    Point s = RinkToScreen(c.x, c.y, 0);
    EXPECT_EQ(s.y, c.py + 40);
    EXPECT_EQ(RinkToScreen(c.x, c.y, 40).y, c.py) << "height lifts the drawing";
  }
}

TEST(SkatingRules, StepsStopAtTheSidesAndFollowTheRoundedCorners) {
  struct Case {
    int x, y, dir, dist, mult, facing;
    bool limits;
    int ex, ey, edge;
  } cases[] = {
      {200, 200, 3, 5, 1, 3, true, 205, 200, kEdgeFree},   // straight
      {200, 200, 2, 5, 1, 2, true, 204, 204, kEdgeFree},   // diagonal: 3.5355 + 0.5 cut
      {200, 200, 6, 5, 1, 6, true, 196, 196, kEdgeFree},   // 200 - 3.5355 + 0.5 = 196.96
      {200, 200, 3, 5, 2, 3, true, 210, 200, kEdgeFree},   // a power pill doubles the step
      {3, 200, 7, 6, 1, 7, true, 0, 200, kEdgeSide},       // stopped at x = 0
      {200, 343, 0, 6, 1, 0, true, 200, 345, kEdgeSide},   // y past 345: clamped, x back to the old
      {520, 200, 4, 10, 1, 4, true, 525, 200, kEdgeSide},  // x clamped, y kept from before the step
      {20, 20, 6, 4, 1, 6, true, 23, 23, kEdgeCorner},     // pulled onto the arc round (80, 80)
      {20, 20, 6, 4, 1, 2, true, 23, 23, kEdgeFree},       // the same facing away from the corner
      {500, 300, 2, 2, 1, 2, true, 501, 301, kEdgeCorner}, // inside the (445, 265) square, on the ice
      {520, 200, 3, 15, 1, 3, false, 535, 200, kEdgeFree}, // a weapon knows no sides
  };
  for (const Case& c : cases) {
    Step s = StepOnRink(c.x, c.y, c.dir, c.dist, c.mult, c.facing, c.limits);
    EXPECT_EQ(s.x, c.ex) << c.x << "," << c.y << " dir " << c.dir;
    EXPECT_EQ(s.y, c.ey) << c.x << "," << c.y << " dir " << c.dir;
    EXPECT_EQ(s.edge, c.edge) << c.x << "," << c.y << " dir " << c.dir;
  }
  // Every step from anywhere on the ice stays on it.
  for (int x = 0; x <= kRinkMaxX; x += 15)
    for (int y = 0; y <= kRinkMaxY; y += 15)
      for (int d = 0; d < 8; ++d) {
        Step s = StepOnRink(x, y, d, 14, 2, d, true);
        ASSERT_TRUE(s.x >= 0 && s.x <= kRinkMaxX && s.y >= 0 && s.y <= kRinkMaxY) << x << "," << y << " " << d;
      }
}

TEST(SkatingRules, MomentumBuildsEveryFourthFrameAndDecaysEverySixth) {
  Momentum m;
  std::vector<int> speeds;
  for (int f = 0; f < 24; ++f) {
    Accelerate(&m, 2, 5);
    speeds.push_back(m.speed[2]);
  }
  // One more every fourth frame of held input, never above the top speed.
  EXPECT_EQ(speeds, (std::vector<int>{0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 5}));
  int d = -1;
  EXPECT_EQ(LargestSpeed(m, &d), 5);
  EXPECT_EQ(d, 2);
  // Let go: the speed falls by one at the decay clock's 5, 11, 17, ...
  speeds.clear();
  for (int f = 0; f < 12; ++f) {
    Accelerate(&m, kNoDirection, 5);
    speeds.push_back(m.speed[2]);
  }
  EXPECT_EQ(speeds, (std::vector<int>{5, 5, 5, 5, 4, 4, 4, 4, 4, 4, 3, 3}));
  // Turning: the new direction gains while the old one decays; the facing
  // follows the larger speed, the first direction on a tie.
  for (int f = 0; f < 8; ++f) Accelerate(&m, 4, 5);
  EXPECT_EQ(m.speed[4], 2);
  EXPECT_EQ(m.speed[2], 2);
  EXPECT_EQ(LargestSpeed(m, &d), 2);
  EXPECT_EQ(d, 2) << "a tie keeps the first direction";
  for (int f = 0; f < 4; ++f) Accelerate(&m, 4, 5);
  EXPECT_EQ(LargestSpeed(m, &d), 3);
  EXPECT_EQ(d, 4);
  EXPECT_EQ(m.speed[2], 1);
}

TEST(SkatingRules, DirectionsFromKeysAndTowardsATarget) {
  auto keys = [](bool right, bool down, bool left, bool up) {
    uint8_t s[4] = {uint8_t(right ? 0x80 : 0), uint8_t(down ? 0x80 : 0), uint8_t(left ? 0x80 : 0),
                    uint8_t(up ? 0x80 : 0)};
    return DirectionFromInput(s);
  };
  EXPECT_EQ(keys(true, false, false, true), 1);
  EXPECT_EQ(keys(true, true, false, false), 3);
  EXPECT_EQ(keys(false, true, true, false), 5);
  EXPECT_EQ(keys(false, false, true, true), 7);
  EXPECT_EQ(keys(false, false, false, true), 0);
  EXPECT_EQ(keys(true, false, false, false), 2);
  EXPECT_EQ(keys(false, true, false, false), 4);
  EXPECT_EQ(keys(false, false, true, false), 6);
  EXPECT_EQ(keys(false, false, false, false), kNoDirection);
  uint8_t pressedOnly[4] = {1, 0, 0, 0};
  EXPECT_EQ(DirectionFromInput(pressedOnly), kNoDirection) << "only held keys steer";

  struct Case { int dx, dy, dir; } cases[] = {
      {100, 10, 3}, {10, 100, 1}, {50, 50, 2}, {-100, 10, 7}, {-10, 100, 1}, {-50, 50, 0},
      {-100, -10, 7}, {-10, -100, 5}, {-50, -50, 6}, {100, -10, 3}, {10, -100, 5}, {50, -50, 4},
  };
  for (const Case& c : cases) EXPECT_EQ(DirectionTowards(c.dx, c.dy), c.dir) << c.dx << "," << c.dy;
}

TEST(SkatingRules, BoxesOfStrikesAndCollisions) {
  // The reach grows the way the skater faces, 5 or 6 units a speed unit.
  Box r = ReachBox(100, 100, 3, 5);
  EXPECT_EQ(r.left, 90);
  EXPECT_EQ(r.right, 141);
  EXPECT_TRUE(r.Meets(StrikeBox(146, 100, false)));
  EXPECT_FALSE(r.Meets(StrikeBox(147, 100, false))) << "right edges are outside";
  EXPECT_TRUE(r.Meets(StrikeBox(151, 100, true))) << "a lying skater is a larger target";
  EXPECT_FALSE(ReachBox(100, 100, 7, 5).Meets(StrikeBox(146, 100, false))) << "nothing behind";
  // Collisions: 7 + 14 apart meet, one more does not; a skater lying across
  // the way blocks further.
  EXPECT_TRUE(MoverBox(100, 100).Meets(ObstacleBox(121, 100, false, 0)));
  EXPECT_FALSE(MoverBox(100, 100).Meets(ObstacleBox(122, 100, false, 0)));
  EXPECT_TRUE(MoverBox(100, 100).Meets(ObstacleBox(130, 100, true, 3)));
  EXPECT_FALSE(MoverBox(100, 100).Meets(ObstacleBox(130, 100, true, 1)));
  EXPECT_TRUE(MoverBox(100, 100).Meets(ObstacleBox(100, 138, true, 1)));
  // A weapon strikes within 20 units, the far edges outside.
  EXPECT_TRUE(WeaponBox(100, 100).Holds(80, 120));
  EXPECT_FALSE(WeaponBox(100, 100).Holds(121, 100));
}

TEST(SkatingRules, BlowsNeverHealAndPointsGrowWithSpeed) {
  struct Case { int mult, strength, endurance, damage; } cases[] = {
      {1, 100, 50, 10}, {1, 50, 20, 8}, {1, 150, 30, 21}, {2, 100, 30, 16},
      {2, 100, 50, 0},  {2, 100, 60, 0},  // under a pill a strong body takes nothing, never gains
      {1, 0, 10, 0},    {1, 100, 0, 20},
  };
  for (const Case& c : cases)
    EXPECT_EQ(BlowDamage(c.mult, c.strength, c.endurance), c.damage)
        << c.mult << " " << c.strength << " " << c.endurance;
  struct Jump { int kind, speed, score; } jumps[] = {
      {8, 0, 1}, {8, 5, 6}, {9, 5, 12}, {10, 6, 28}, {10, 0, 4}, {7, 5, 0},
  };
  for (const Jump& j : jumps) EXPECT_EQ(JumpScore(j.kind, j.speed), j.score) << j.kind << " " << j.speed;
  // The jump kind runs through 8, 9, 10 with the play frame.
  EXPECT_EQ(JumpKindAt(0), 8);
  EXPECT_EQ(JumpKindAt(1), 9);
  EXPECT_EQ(JumpKindAt(2), 10);
  EXPECT_EQ(JumpKindAt(2700), 8);
  struct Speed { int speed, top; } speeds[] = {{0, 4}, {34, 4}, {35, 5}, {54, 5}, {55, 6}, {69, 6}, {70, 7}, {100, 7}};
  for (const Speed& s : speeds) EXPECT_EQ(TopSpeedFromPlayerSpeed(s.speed), s.top) << s.speed;
  EXPECT_EQ(LeapOffset(4, 4).x, -29);
  EXPECT_EQ(LeapOffset(7, 2).y, -19);
  EXPECT_EQ(LeapOffset(3, 11).x, 0) << "from step 11 on the take-off point";
}

TEST(SkatingRules, DrawOrderIsAStrictWeakOrder) {
  std::vector<DrawKey> keys = {{0, 10, 50, 0}, {1, 200, 10, 1}, {0, 10, 50, 2}, {0, 9, 50, 3},
                               {0, 10, 60, 4}, {1, 100, 10, 5}, {0, 300, 0, 6}, {0, 10, 50, 7}};
  for (const DrawKey& a : keys) {
    EXPECT_FALSE(DrawsBefore(a, a));
    for (const DrawKey& b : keys) {
      if (DrawsBefore(a, b)) {
        EXPECT_FALSE(DrawsBefore(b, a));
      }
      for (const DrawKey& c : keys) {
        if (DrawsBefore(a, b) && DrawsBefore(b, c)) {
          EXPECT_TRUE(DrawsBefore(a, c));
        }
      }
    }
  }
  // Lying skaters first, then further up the rink (larger y), then the
  // smaller x, then the lower slot: one order whatever the input's order.
  std::vector<int> expected = {5, 1, 4, 3, 0, 2, 7, 6};
  for (int round = 0; round < 8; ++round) {
    std::rotate(keys.begin(), keys.begin() + 1, keys.end());
    std::vector<DrawKey> sorted = keys;
    std::sort(sorted.begin(), sorted.end(), DrawsBefore);
    std::vector<int> order;
    for (const DrawKey& k : sorted) order.push_back(k.index);
    EXPECT_EQ(order, expected);
  }
}

TEST(SkatingRules, PlacesByPointsThenEnergyThenPlayer) {
  struct Case {
    int score[4], percent[4], place[4];
  } cases[] = {
      {{10, 40, 20, 30}, {0, 0, 0, 0}, {3, 0, 2, 1}},
      {{30, 30, 5, 0}, {40, 90, 100, 100}, {1, 0, 2, 3}},   // equal points: more energy first
      {{30, 30, 30, 30}, {50, 50, 50, 50}, {0, 1, 2, 3}},   // all equal: player order
      {{0, 0, 7, 0}, {10, 70, 0, 70}, {3, 1, 0, 2}},
  };
  for (const Case& c : cases) {
    int place[4] = {-1, -1, -1, -1};
    RankByScore(c.score, c.percent, place);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(place[i], c.place[i]) << i;
  }
  EXPECT_EQ(EnergyPercent(50, 100), 50);
  EXPECT_EQ(EnergyPercent(50, 200), 25);
  EXPECT_EQ(EnergyPercent(50, 0), 0) << "no maximum, no division";
}

TEST(SkatingRules, FacesOfTheStatusBand) {
  struct Case { MoodInput in; int mood; } cases[] = {
      {{12, 10, 1, 0, 80, 100}, 2},  // just scored
      {{10, 10, 2, 0, 80, 100}, 2},  // under a pill
      {{0, 0, 1, 3, 9, 100}, 0},     // down and nearly spent
      {{0, 0, 1, 3, 24, 100}, 1},    // down, below a quarter
      {{0, 0, 1, 3, 60, 100}, 3},    // down
      {{0, 0, 1, 1, 49, 100}, 4},    // below half
      {{0, 0, 1, 1, 50, 100}, 5},
      {{0, 0, 1, 1, 50, 0}, 5},      // no maximum energy: no division
  };
  for (const Case& c : cases) EXPECT_EQ(SkaterMood(c.in), c.mood);
}

TEST(SkatingRules, TheClockAndItsLastBeeps) {
  EXPECT_EQ(ClockText(SecondsLeft(2)), "3 : 00") << "the first play frame";
  EXPECT_EQ(ClockText(SecondsLeft(kPlayFrames)), "0 : 00") << "the last play frame";
  EXPECT_EQ(ClockText(179), "2 : 59");
  EXPECT_EQ(ClockText(5), "0 : 05");
  EXPECT_EQ(ClockText(-1), "");
  std::vector<int> beeps;
  for (int f = 2; f <= kPlayFrames; ++f)
    if (BeepAt(f)) beeps.push_back(f);
  EXPECT_EQ(beeps, (std::vector<int>{2640, 2655, 2670, 2685, 2700}));
}

}  // namespace
