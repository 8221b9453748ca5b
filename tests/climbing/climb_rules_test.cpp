// CRAZY CLIMBING rules without a screen: steps, damage, hazards, views,
// the clock, places and faces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "events/climbing/climb_rules.h"
#include "events/climbing/climbing_data.h"

using namespace climbrules;
namespace ca = climbassets;

namespace {

TEST(ClimbRules, BoxesMeetOnlyWhenTheyOverlapRightAndBottomExcluded) {
  const Rect a{0, 0, 10, 10};
  struct Case {
    Rect b;
    bool meet;
  } cases[] = {
      {{9, 9, 20, 20}, true},     // one pixel in common
      {{10, 0, 20, 10}, false},   // touching on the right edge
      {{0, 10, 10, 20}, false},   // touching on the bottom edge
      {{-5, -5, 0, 0}, false},
      {{2, 2, 3, 3}, true},       // inside
      {{5, 5, 5, 8}, false},      // empty itself
  };
  for (const Case& c : cases) EXPECT_EQ(Meet(a, c.b), c.meet) << c.b.left << "," << c.b.top;
  EXPECT_TRUE(Contains(a, 0, 0));
  EXPECT_FALSE(Contains(a, 10, 5));
  const Rect o = Intersect(a, {4, -3, 30, 6});
  EXPECT_EQ(o.left, 4);
  EXPECT_EQ(o.top, 0);
  EXPECT_EQ(o.right, 10);
  EXPECT_EQ(o.bottom, 6);
}

TEST(ClimbRules, ClimbStepPatternFollowsTheSpeedStat) {
  // Steps of the first twelve frames of a climb, by the speed stat.
  struct Case {
    int speed;
    std::vector<int> steps;
  } cases[] = {
      {0, {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2}},   // 1.8: still 2 a frame
      {25, {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2}},
      {30, {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3, 2}},  // ten of 2, then 3
      {45, {2, 2, 2, 2, 3, 2, 2, 2, 2, 3, 2, 2}},
      {50, {2, 2, 2, 3, 2, 2, 2, 3, 2, 2, 2, 3}},
      {69, {2, 2, 3, 2, 2, 3, 2, 2, 3, 2, 2, 3}},
      {75, {2, 3, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3}},
      {100, {2, 3, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3}},  // 2.8 alternates like 2.5
  };
  for (const Case& c : cases) {
    const float speed = ClimbSpeedOf(c.speed);
    int32_t n = 1;
    std::vector<int> got;
    for (size_t i = 0; i < c.steps.size(); ++i) got.push_back(ClimbStep(&n, speed, true));
    EXPECT_EQ(got, c.steps) << "speed stat " << c.speed;
    // Stopping starts the pattern afresh.
    EXPECT_EQ(ClimbStep(&n, speed, false), 2);
    EXPECT_EQ(n, 1);
  }
  EXPECT_FLOAT_EQ(ClimbSpeedOf(20), 2.0f);
  EXPECT_FLOAT_EQ(ClimbSpeedOf(100), 2.8f);
  EXPECT_FLOAT_EQ(ClimbSpeedOf(5), 1.9f);  // (5 - 20) / 10 truncates to -1
}

TEST(ClimbRules, DamageNeverHealsAndEnergyStaysInRange) {
  struct Case {
    int energy;
    double damage;
    int after;
  } cases[] = {
      {50, 4.7, 45}, {3, 10.0, 0}, {100, 0.0, 100}, {40, -25.0, 40}, {150, 0.0, 100}, {-5, 1.0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(EnergyAfter(c.energy, c.damage), c.after) << c.energy << " " << c.damage;
  // A blow: strength 50 against endurance 50, no pills: 5 x 1 + 0.5.
  EXPECT_DOUBLE_EQ(BlowDamage(1, 50, 1, 50), 5.5);
  EXPECT_DOUBLE_EQ(BlowDamage(2, 50, 1, 50), 10.5);
  // Endurance past 100 (or 60 doubled by a pill) would heal: no damage.
  EXPECT_DOUBLE_EQ(BlowDamage(1, 80, 2, 60), 0.0);
  EXPECT_DOUBLE_EQ(WeaponDamage(150, 2, 90), 0.0);
  EXPECT_DOUBLE_EQ(WeaponDamage(100, 1, 50), 10.5);
  EXPECT_EQ(AddEnergy(95, 10), 100);
  EXPECT_EQ(AddEnergy(3, -5), 0);
  EXPECT_EQ(SaturatingAdd(2147483000, 1000), 2147483647);
}

TEST(ClimbRules, EveryKindOfObjectLandsWithItsOwnEffect) {
  struct Case {
    int kind, level, explosion, sound;
  } cases[] = {
      {0, 1, 1, ca::kSndFalling},     {1, 1, 1, ca::kSndPhone},      {2, 2, 1, ca::kSndFalling},
      {3, 2, 1, ca::kSndFalling},     {4, 3, 1, ca::kSndFalling},    {5, 3, 1, ca::kSndTelevision},
      {6, 4, 1, ca::kSndFalling},     {7, 4, 1, ca::kSndToilet},     {9, 5, 0, ca::kSndFalling},
      {10, 6, 0, ca::kSndFalling},    {11, 6, 0, ca::kSndFridge},    {12, 7, 0, ca::kSndPiano},
      {13, 7, 0, ca::kSndSatellite},  {14, 8, 0, ca::kSndSubmarine}, {15, 8, 1, ca::kSndFalling},
      {16, 9, 1, ca::kSndFalling},    {17, 9, -1, ca::kSndFalling},
  };
  for (const Case& c : cases) {
    if (c.kind < ca::kFirstPickup) {
      EXPECT_EQ(HazardLevel(c.kind), c.level) << c.kind;
    }
    EXPECT_EQ(ExplosionKindOf(c.kind, 20), c.explosion) << c.kind;
    EXPECT_EQ(FallingSoundOf(c.kind), c.sound) << c.kind;
  }
  // A snowman on the street squashes, one shot down higher bursts.
  EXPECT_EQ(ExplosionKindOf(ca::kKindSnowman, 30), 3);
  EXPECT_EQ(ExplosionKindOf(ca::kKindSnowman, 38), 3);
  EXPECT_EQ(ExplosionKindOf(ca::kKindSnowman, 39), 2);
}

TEST(ClimbRules, CamerasScrollsAndWhatIsHeard) {
  EXPECT_EQ(CameraHeight(0), 342);
  EXPECT_EQ(CameraHeight(2400), 2742);
  EXPECT_EQ(CameraHeight(2403), 2742);  // the building stops on the roof
  const int scrolls[][2] = {{100, 0}, {159, 0}, {160, 0}, {300, 140}, {480, 320}, {481, 320}};
  for (const auto& s : scrolls) {
    EXPECT_EQ(HorizontalScroll(s[0], true), s[1]) << s[0];
    EXPECT_EQ(HorizontalScroll(s[0], false), 0);
  }
  // Strictly between h - 58 and h + 342; objects a little higher.
  EXPECT_FALSE(InView(942, 1000));
  EXPECT_TRUE(InView(943, 1000));
  EXPECT_TRUE(InView(1341, 1000));
  EXPECT_FALSE(InView(1342, 1000));
  EXPECT_TRUE(ObjectInView(1399, 1000));
  EXPECT_FALSE(ObjectInView(1400, 1000));
  int32_t v = 0;
  EXPECT_TRUE(HelicopterVolume(2899, 2400, &v));
  EXPECT_EQ(v, -1745);
  EXPECT_FALSE(HelicopterVolume(2548, 2400, &v));  // loud enough: left as it is
  EXPECT_FALSE(HelicopterVolume(2899, 0, &v));     // below -10000
}

TEST(ClimbRules, ClockReadsMinutesAndTwoDigitSeconds) {
  EXPECT_EQ(ClockText(0), "0 : 00");
  EXPECT_EQ(ClockText(7), "0 : 07");
  EXPECT_EQ(ClockText(750), "12 : 30");
  // The first second passes at the fifteenth race frame.
  int clock = 0;
  for (uint32_t f = 2; f <= 14; ++f) clock = ClockAfterFrame(clock, f);
  EXPECT_EQ(clock, 0);
  EXPECT_EQ(ClockAfterFrame(clock, 15), 1);
  EXPECT_EQ(ResultOf(599), 599);
  EXPECT_EQ(ResultOf(600), 600);
  EXPECT_EQ(ResultOf(700), 600);  // never worse than not finishing
}

TEST(ClimbRules, PlacesByOrderOfFinishingThenByHeight) {
  struct Case {
    int32_t heights[4];
    int32_t places[4];
    int32_t want[4];
  } cases[] = {
      // Nobody placed: the highest first, ties to the lower index.
      {{100, 500, 500, 20}, {-1, -1, -1, -1}, {2, 0, 1, 3}},
      // Two placed during the race keep their places whatever their heights.
      {{2755, 3107, 900, 1200}, {1, 0, -1, -1}, {1, 0, 3, 2}},
      // All four placed: nothing changes.
      {{0, 0, 0, 0}, {3, 2, 1, 0}, {3, 2, 1, 0}},
      // Everyone at the street.
      {{0, 0, 0, 0}, {-1, -1, -1, -1}, {0, 1, 2, 3}},
  };
  for (const Case& c : cases) {
    int32_t places[4];
    for (int i = 0; i < 4; ++i) places[i] = c.places[i];
    RankUnplaced(c.heights, places);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(places[i], c.want[i]) << "climber " << i;
  }
}

TEST(ClimbRules, FaceMoodsInTheirOrder) {
  struct Case {
    MoodInput in;
    int mood;
  } cases[] = {
      {{true, 10, true, 100, true, 500, 60}, 3},   // knocked off beats everything
      {{false, 5, false, 100, false, 500, 60}, 3},
      {{false, 10, true, 1, false, 500, 60}, 2},   // placed
      {{false, 8, false, 50, false, 500, 60}, 2},  // catching a pickup
      {{false, 10, false, 1, true, 500, 60}, 0},   // no energy left
      {{false, 10, false, 50, true, 500, 60}, 2},  // a pill works
      {{false, 3, false, 50, false, 0, 60}, 0},    // lying on the street
      {{false, 3, false, 50, false, 30, 60}, 1},   // dropping down
      {{false, 1, false, 19, false, 500, 60}, 1},
      {{false, 1, false, 30, false, 500, 60}, 5},  // at least half the threshold
      {{false, 1, false, 29, false, 500, 60}, 4},
      {{false, 1, false, 27, false, 500, 55}, 5},  // 55 / 2 = 27
  };
  for (const Case& c : cases) EXPECT_EQ(FaceMood(c.in), c.mood) << "state " << c.in.state << " energy " << c.in.energy;
}

TEST(ClimbRules, DataTablesAgreeWithThemselves) {
  for (int c = 0; c < ca::kCharacters; ++c) {
    const ca::ClimberLayout& L = ca::kLayouts[c];
    EXPECT_GE(L.frames, 314);
    EXPECT_LE(L.frames, 400);
    // Every frame any row plays lies in the sheet.
    for (int r = 0; r < ca::kRows; ++r) {
      const int runs = (r == 0 || r == 5 || r == 6 || r == 7) ? 2 : r == ca::kRowThrow ? L.throwRuns : 1;
      EXPECT_LE(L.first[r] + runs * L.count[r] - 1, L.frames) << "character " << c << " row " << r;
    }
    // A grab plays count[8] frames of a throw run.
    EXPECT_EQ(L.count[ca::kRowGrab], L.count[ca::kRowThrow]);
    // Getting up plays rows 3 and 2 backwards, so they lie side by side.
    EXPECT_EQ(L.first[ca::kRowFall] + L.count[ca::kRowFall], L.first[ca::kRowDown]);
    // The box lies inside the frame.
    const ca::ClimberShape& s = ca::kShapes[c];
    EXPECT_LT(s.box[2], s.w);
    EXPECT_LT(s.box[3], s.h);
  }
  for (const ca::ObjectKind& o : ca::kObjects) {
    EXPECT_LE(o.box[2], o.w) << o.sprite;
    EXPECT_LE(o.box[3], o.h) << o.sprite;
  }
}

}  // namespace
