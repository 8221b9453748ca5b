// JAVELIN CATCH rules as tables: projection, steps, headings, the cannon's
// salvos, explosion and blow damage, the clock, places and the drawing order.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "events/javelin_catch/jc_rules.h"

using namespace jc;

TEST(JcRules, ProjectionOfTheFieldCorners) {
  const struct {
    int32_t x, y, z, sx, sy;
  } cases[] = {
      {0, 0, 0, 351, 433},
      {529, 349, 0, 1156, 504},
      {529, 0, 0, 836, 643},
      {0, 349, 0, 671, 294},
      {100, 100, 400, 534, 33},
  };
  for (const auto& c : cases) {
    const ScreenPos s = Project(c.x, c.y, c.z);
    EXPECT_EQ(s.x, c.sx) << c.x << "," << c.y;
    EXPECT_EQ(s.y, c.sy) << c.x << "," << c.y;
  }
}

TEST(JcRules, StepsOnAxesAndDiagonals) {
  const struct {
    int dir, distance;
    int32_t x, y;
  } cases[] = {
      {0, 10, 93, 107},   {1, 10, 100, 110}, {2, 10, 107, 107}, {3, 10, 110, 100},
      {4, 10, 107, 93},   {5, 10, 100, 90},  {6, 10, 93, 93},   {7, 10, 90, 100},
      {8, 10, 100, 100},  {2, 5, 104, 104},  // 3.5355 + 0.5 truncated
      {6, 5, 96, 96},     // 100 - 3.5355 + 0.5 = 96.96
  };
  for (const auto& c : cases) {
    const Position p = StepFrom(100, 100, c.dir, c.distance);
    EXPECT_EQ(p.x, c.x) << "direction " << c.dir;
    EXPECT_EQ(p.y, c.y) << "direction " << c.dir;
  }
}

TEST(JcRules, ConfinedStepStopsAtTheEdgeKeepingTheOtherCoordinate) {
  const struct {
    int32_t x, y;
    int dir, distance;
    int32_t ex, ey;
    bool bounced;
  } cases[] = {
      {3, 100, 6, 10, 0, 100, true},       // diagonal into x = 0: y unchanged
      {3, 100, 0, 10, 0, 100, true},
      {525, 100, 3, 10, kFieldMaxX, 100, true},
      {200, 2, 5, 10, 200, 0, true},
      {200, 345, 1, 10, 200, kFieldMaxY, true},
      {200, 200, 2, 10, 207, 207, false},
      {0, 0, 6, 10, 0, 0, true},            // the corner
  };
  for (const auto& c : cases) {
    bool bounced = false;
    const Position p = ConfinedStep(c.x, c.y, c.dir, c.distance, &bounced);
    EXPECT_EQ(p.x, c.ex) << c.x << "," << c.y << " dir " << c.dir;
    EXPECT_EQ(p.y, c.ey) << c.x << "," << c.y << " dir " << c.dir;
    EXPECT_EQ(bounced, c.bounced) << c.x << "," << c.y << " dir " << c.dir;
  }
}

TEST(JcRules, DirectionsFromArrowsAndTowardsATarget) {
  // State bytes: 0 right, 1 down, 2 left, 3 up.
  const struct {
    bool right, down, left, up;
    int dir;
  } arrows[] = {
      {true, false, false, true, 1}, {true, true, false, false, 3}, {false, true, true, false, 5},
      {false, false, true, true, 7}, {false, false, false, true, 0}, {true, false, false, false, 2},
      {false, true, false, false, 4}, {false, false, true, false, 6}, {false, false, false, false, 8},
  };
  for (const auto& a : arrows) {
    uint8_t s[10] = {};
    s[0] = a.right ? 0x80 : 0;
    s[1] = a.down ? 0x80 : 0;
    s[2] = a.left ? 0x80 : 0;
    s[3] = a.up ? 0x80 : 0;
    EXPECT_EQ(HumanDirection(s), a.dir);
  }
  const struct {
    int32_t dx, dy;
    int dir;
  } towards[] = {
      {100, 10, 3},  {10, 100, 1},  {50, 50, 2},  {-100, 10, 7}, {-10, 100, 1}, {-50, 50, 0},
      {-100, -10, 7}, {-10, -100, 5}, {-50, -50, 6}, {100, -10, 3}, {10, -100, 5}, {50, -50, 4},
      {0, 0, 2},
  };
  for (const auto& t : towards) EXPECT_EQ(DirectionTowards(t.dx, t.dy), t.dir) << t.dx << "," << t.dy;
  // Every heading moves closer to the target it was chosen for.
  for (const auto& t : towards) {
    if (!t.dx && !t.dy) continue;
    const Position p = StepFrom(0, 0, DirectionTowards(t.dx, t.dy), 5);
    EXPECT_LT(DistanceSquared(p.x, p.y, t.dx, t.dy), DistanceSquared(0, 0, t.dx, t.dy)) << t.dx << "," << t.dy;
  }
}

TEST(JcRules, CannonFiresSalvosOfThreeNineFramesApart) {
  Cannon c;
  std::vector<int> shots;
  std::vector<int> frames;
  for (int f = 1; f <= 300; ++f) {
    if (CannonStep(&c)) shots.push_back(f);
    frames.push_back(c.frame);
  }
  EXPECT_EQ(shots, (std::vector<int>{60, 69, 78, 158, 167, 176, 256, 265, 274}));
  // The picture runs 1..20 after the last shot and rests on 20 between salvos.
  EXPECT_EQ(frames[59 - 1], kCannonFrames);
  EXPECT_EQ(frames[60 - 1], 1);
  EXPECT_EQ(frames[78 - 1], 1);
  EXPECT_EQ(frames[97 - 1], 20);
  EXPECT_EQ(frames[98 - 1], kCannonFrames);
  EXPECT_EQ(c.firing, 0);
}

TEST(JcRules, WhatTheCannonFires) {
  const struct {
    double r;
    int32_t kind;
  } cases[] = {{0.0, kBomb},    {0.399, kBomb},        {0.4, kJavelin},       {0.599, kJavelin},
               {0.6, kJuice},   {0.749, kJuice},       {0.75, kAmmunition},   {0.879, kAmmunition},
               {0.88, kMoney},  {1.0, kMoney}};
  for (const auto& c : cases) EXPECT_EQ(KindFromDraw(c.r), c.kind) << c.r;
}

TEST(JcRules, ExplosionDamageBySquaredDistance) {
  const struct {
    int32_t d2, loss;
  } cases[] = {{0, 30},     {24, 30},    {25, 29},   {48, 29},   {49, 28},   {120, 28},  {1599, 20},
               {1600, 18},  {2008, 16},  {2009, 14}, {4488, 6},  {4489, 3},  {4900, 3},  {5040, 3},
               {5041, 0},   {100000, 0}, {INT32_MAX, 0}};
  for (const auto& c : cases) EXPECT_EQ(ExplosionEnergyLoss(c.d2), c.loss) << c.d2;
  // Nearer never hurts less.
  for (int32_t d2 = 1; d2 < 6000; ++d2) ASSERT_LE(ExplosionEnergyLoss(d2), ExplosionEnergyLoss(d2 - 1)) << d2;
}

TEST(JcRules, BlowsNeverHealNorLeaveLessThanNothing) {
  const struct {
    int32_t energy, multiplier, power, endurance, after;
  } cases[] = {
      {50, 1, 100, 50, 39},   // 50 - 10 x 50 / 50 - 0.5
      {50, 2, 100, 40, 41},   // under a pill: 50 - 20 x (100 - 80) / 50 - 0.5
      {100, 1, 150, 100, 99}, // nothing from the formula but its half point
      {50, 1, 100, 150, 50},  // endurance above 100 would heal 10: a blow never heals
      {50, 2, 100, 60, 50},   // likewise under a pill
      {5, 1, 400, 0, 0},      // more than is left
      {0, 1, 100, 50, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(EnergyAfterBlow(c.energy, c.multiplier, c.power, c.endurance), c.after)
        << c.energy << " " << c.multiplier << " " << c.power << " " << c.endurance;
}

TEST(JcRules, WalkingSpeedFromTheSpeedValue) {
  const struct {
    int32_t value, speed;
  } cases[] = {{0, 4}, {34, 4}, {35, 5}, {54, 5}, {55, 6}, {69, 6}, {70, 7}, {150, 7}};
  for (const auto& c : cases) EXPECT_EQ(WalkingSpeed(c.value), c.speed) << c.value;
}

TEST(JcRules, ClockReadsThreeMinutesDownToNothingAndBeepsFiveTimes) {
  EXPECT_EQ(ClockText(SecondsLeft(2)), "3 : 00");
  EXPECT_EQ(ClockText(SecondsLeft(kLastPlayFrame)), "0 : 00");
  EXPECT_EQ(ClockText(125), "2 : 05");
  EXPECT_EQ(ClockText(59), "0 : 59");
  std::vector<int> beeps, seconds;
  for (int f = 2; f <= kLastPlayFrame; ++f)
    if (BeepsAt(f)) {
      beeps.push_back(f);
      seconds.push_back(SecondsLeft(f));
    }
  EXPECT_EQ(beeps, (std::vector<int>{2640, 2655, 2670, 2685, 2700}));
  EXPECT_EQ(seconds, (std::vector<int>{4, 3, 2, 1, 0}));
}

TEST(JcRules, PlacesByCatchesThenEnergyThenPlayer) {
  const struct {
    int32_t score[4], ratio[4], place[4];
  } cases[] = {
      {{3, 1, 2, 0}, {50, 50, 50, 50}, {0, 2, 1, 3}},
      {{2, 2, 2, 2}, {10, 40, 30, 20}, {3, 0, 1, 2}},
      {{1, 1, 1, 1}, {50, 50, 50, 50}, {0, 1, 2, 3}},  // all equal: the lower player first
      {{0, 5, 5, 0}, {90, 20, 20, 90}, {2, 0, 1, 3}},
  };
  for (const auto& c : cases) {
    int32_t place[4];
    PlaceByCatches(c.score, c.ratio, place);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(place[i], c.place[i]) << i;
  }
  // A maximum energy of 0 (a damaged data file) divides nothing.
  EXPECT_EQ(EnergyRatio(50, 0), 50);
  EXPECT_EQ(EnergyRatio(50, -3), 50);
  EXPECT_EQ(EnergyRatio(30, 60), 50);
}

TEST(JcRules, FacesOnTheStatusBand) {
  const struct {
    bool scored, pill, reeling;
    int32_t energy, max, face;
  } cases[] = {
      {true, false, true, 5, 100, 2},  {false, true, false, 80, 100, 2}, {false, false, true, 9, 100, 0},
      {false, false, true, 20, 100, 1}, {false, false, true, 60, 100, 3}, {false, false, false, 40, 100, 4},
      {false, false, false, 60, 100, 5}, {false, false, false, 60, 0, 5},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ContestantFace(c.scored, c.pill, c.reeling, c.energy, c.max), c.face) << c.energy;
}

TEST(JcRules, DrawingOrderIsAStrictWeakOrder) {
  // Lying contestants first; further back (greater y) first; at equal y the
  // smaller x; at an equal place the lower slot.
  const DrawKey lying{3, true, 10, 10}, back{9, false, 300, 50}, front{2, false, 20, 400};
  const DrawKey left{12, false, 100, 10}, right{8, false, 100, 20}, twin{5, false, 100, 10};
  EXPECT_TRUE(DrawsBefore(lying, back));
  EXPECT_TRUE(DrawsBefore(back, front));
  EXPECT_TRUE(DrawsBefore(left, right));
  EXPECT_TRUE(DrawsBefore(twin, left));
  const std::vector<DrawKey> keys = {lying, back, front, left, right, twin, {7, true, 5, 5}, {6, false, 300, 50}};
  for (const DrawKey& a : keys) {
    EXPECT_FALSE(DrawsBefore(a, a));
    for (const DrawKey& b : keys) {
      if (a.slot != b.slot) {
        EXPECT_NE(DrawsBefore(a, b), DrawsBefore(b, a)) << a.slot << " " << b.slot;
      }
      for (const DrawKey& c : keys) {
        if (DrawsBefore(a, b) && DrawsBefore(b, c)) {
          EXPECT_TRUE(DrawsBefore(a, c));
        }
      }
    }
  }
}

TEST(JcRules, BoxesOfMovementReachAndCatching) {
  // A catch box reaches 20 units each way, and no further.
  const Box around = AroundBox(100, 100, 20);
  EXPECT_TRUE(around.Contains(80, 80));
  EXPECT_TRUE(around.Contains(120, 120));
  EXPECT_FALSE(around.Contains(121, 100));
  EXPECT_FALSE(around.Contains(100, 79));
  // Stretched in the direction of travel only.
  const Box move = MovementBox(100, 100, 3, 5);
  EXPECT_EQ(move.right, 100 + 11 + 15);
  EXPECT_EQ(move.left, 90);
  const Box reach = ReachBox(100, 100, 5, 5);
  EXPECT_EQ(reach.top, 94 - 30);
  EXPECT_EQ(reach.bottom, 107);
  EXPECT_TRUE(Box({0, 0, 10, 10}).Meets({9, 9, 20, 20}));
  EXPECT_FALSE(Box({0, 0, 10, 10}).Meets({10, 0, 20, 10}));
}
