// The rules of NICE DOGGIE JUMP as plain functions: the course, the steps,
// the take-off physics for fixed meter positions, a flight, the computer's
// plans, the distance text and its announcement, a skipped jump, places.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "events/doggie_jump/doggie_jump_data.h"
#include "events/doggie_jump/doggie_rules.h"

using namespace doggierules;

namespace {

TEST(DoggieRules, DogZonesHaveExclusiveBounds) {
  struct Case { int distance, zone; };
  for (const Case& c : std::vector<Case>{{0, -1}, {1825, -1}, {1826, 0}, {2019, 0}, {2020, -1}, {2380, -1},
                                         {2381, 1}, {2634, 1}, {2635, -1}, {3025, -1}, {3026, 2}, {3524, 2},
                                         {kPitStart, -1}, {9999, -1}}) {
    EXPECT_EQ(DogZoneAt(c.distance), c.zone) << c.distance;
  }
}

TEST(DoggieRules, StepsOnTheGroundAndInTheAir) {
  struct Case { int speed, phase, run, flight; };
  for (const Case& c : std::vector<Case>{{0, 1, 5, 5}, {10, 1, 5, 5}, {11, 1, 10, 10}, {20, 2, 10, 10},
                                         {21, 2, 15, 15}, {30, 1, 15, 15}, {31, 2, 20, 20}, {50, 2, 20, 20},
                                         {40, 3, 20, 20}, {41, 3, 20, 25}, {50, 3, 20, 25}, {51, 3, 20, 30},
                                         {999, 3, 20, 30}}) {
    EXPECT_EQ(RunStep(c.speed), c.run) << c.speed;
    EXPECT_EQ(FlightStep(c.speed, c.phase), c.flight) << c.speed << " phase " << c.phase;
  }
}

TEST(DoggieRules, RowsOfTheCharactersAndBadNumbers) {
  // RIZAZ 3, RAREZ VUDA 0, ZARU 4, RAZIRAZO 5, RADEROZI 1, ZOVI 2; a number
  // from a damaged record is RIZAZ's, never an index out of the tables.
  const int want[6] = {3, 0, 4, 5, 1, 2};
  for (int c = 0; c < 6; ++c) EXPECT_EQ(RowOfCharacter(c), want[c]);
  for (int bad : {-1, 6, 1000, -2147483647}) EXPECT_EQ(RowOfCharacter(bad), 3);
  EXPECT_EQ(JumperFrames(99, 99).first, JumperFrames(5, 15).first);
  EXPECT_EQ(JumperFrames(-3, -3).first, 1);
}

// RIZAZ's hop at speed 100 from the ground row 220, for every meter
// position: positions 0 and 1 are a flat take-off with a quarter of the
// speed, 7 and 8 count as 6. Worked out by hand from the flight formulas.
TEST(DoggieRules, HopPhysicsForEachMeterPosition) {
  struct Case { int position, v, usedPosition; double degrees, flightTime, range, frames; int flightFrames, length; };
  const std::vector<Case> cases = {
      {0, 25, 2, 10, 0.8860, 21.813, 12.1091, 14, 300},  {1, 25, 2, 10, 0.8860, 21.813, 12.1091, 14, 300},
      {2, 100, 2, 10, 3.5438, 349.0, 13.745, 15, 320},    {3, 100, 3, 20, 6.98, 655.906, 15.2795, 17, 360},
      {4, 100, 4, 30, 10.2041, 883.699, 16.4185, 18, 380}, {5, 100, 5, 40, 13.1181, 1004.906, 17.0245, 19, 400},
      {6, 100, 6, 50, 15.6336, 1004.906, 17.0245, 19, 400}, {7, 100, 6, 50, 15.6336, 1004.906, 17.0245, 19, 400},
      {8, 100, 6, 50, 15.6336, 1004.906, 17.0245, 19, 400},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    TakeOffInput in;
    in.row = 3;
    in.phase = 0;
    in.speed = 100;
    in.meterPosition = c.position;
    in.distance = 1750;
    const TakeOff o = ComputeTakeOff(in);
    EXPECT_EQ(o.state, kJumpTakeOffHop);
    EXPECT_EQ(o.phase, 1);
    EXPECT_EQ(o.v, c.v);
    EXPECT_EQ(o.meterPosition, c.usedPosition);
    EXPECT_EQ(o.speed, 100) << "v of 21 and more keeps the speed";
    EXPECT_NEAR(o.angle * 180.0 / M_PI, c.degrees, 1e-6);
    EXPECT_NEAR(o.flightTime, c.flightTime, 1e-4);
    EXPECT_NEAR(o.range, c.range, 1e-3);
    EXPECT_NEAR(o.frames, c.frames, 1e-4);
    EXPECT_EQ(o.flight.first, 25);
    EXPECT_EQ(o.flight.last, 37);
    EXPECT_EQ(FlightFrames(ShapeOf(o, 220)), c.flightFrames);
    EXPECT_EQ(FlightLength(o, 220), c.length);
  }
}

TEST(DoggieRules, TakeOffsByPhaseRowAndBoard) {
  struct Case {
    int row, phase, speed, position, meterShown, distance;
    int state, phaseAfter, v, speedAfter, flightFrames, length;
  };
  const std::vector<Case> cases = {
      // ZARU's jump: double speed, the computer's meter still showing.
      {4, 2, 80, 3, 1, 3000, kJumpTakeOffJump, 3, 160, 160, 40, 1230},
      {4, 2, 80, 5, 1, 3000, kJumpTakeOffJump, 3, 160, 160, 44, 1350},
      {4, 2, 80, 8, 1, 3000, kJumpTakeOffJump, 3, 160, 160, 44, 1350},
      // The ape springs a fifth harder in the hop only.
      {0, 0, 50, 4, 1, 1750, kJumpTakeOffHop, 1, 60, 60, 17, 360},
      {0, 1, 50, 4, 1, 2200, kJumpTakeOffStep, 2, 50, 50, -1, -1},
      // Before the board: a hop that does not count.
      {3, 0, 100, 5, 0, 1699, kJumpTakeOffHop, 0, 100, 100, -1, -1},
      {3, 2, 100, 5, 0, 1500, kJumpTakeOffJump, 0, 200, 200, -1, -1},
      // Let go too soon and too slow: a quarter of 60 is below 21, the
      // jumper stops.
      {3, 0, 60, 1, 0, 1750, kJumpTakeOffHop, 1, 15, 0, 14, 75},
      // Standing still: at least 20.
      {3, 0, 0, 4, 0, 1750, kJumpTakeOffHop, 1, 20, 0, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.row) + " " + std::to_string(c.phase) + " " + std::to_string(c.speed));
    TakeOffInput in;
    in.row = c.row;
    in.phase = c.phase;
    in.speed = c.speed;
    in.meterPosition = c.position;
    in.meterShown = c.meterShown;
    in.distance = c.distance;
    const TakeOff o = ComputeTakeOff(in);
    EXPECT_EQ(o.state, c.state);
    EXPECT_EQ(o.phase, c.phaseAfter);
    EXPECT_EQ(o.v, c.v);
    EXPECT_EQ(o.speed, c.speedAfter);
    if (c.flightFrames >= 0) {
      EXPECT_EQ(FlightFrames(ShapeOf(o, 220)), c.flightFrames);
      EXPECT_EQ(FlightLength(o, 220), c.length);
    }
  }
}

TEST(DoggieRules, APersonsTakeOffIsScaledByTheHostsStopwatch) {
  struct Case { int frames; uint32_t ms; double scale; };
  for (const Case& c : std::vector<Case>{{32, 2000, 1.0}, {30, 2000, 0.9375}, {16, 500, 2.0}, {15, 999, 0.93843843},
                                         {0, 5000, 0.0}, {40, 0, 1.0}}) {
    EXPECT_NEAR(HumanSpeedScale(c.frames, c.ms), c.scale, 1e-6) << c.frames << " in " << c.ms << " ms";
  }
  TakeOffInput in;
  in.row = 3;
  in.phase = 1;
  in.speed = 100;
  in.meterPosition = 4;
  in.distance = 2200;
  in.person = true;
  in.jumpFrames = 30;
  in.hostMs = 2000;
  EXPECT_EQ(ComputeTakeOff(in).speed, 93);
  // No reading yet (0 ms, which the division would not survive): the
  // speed stays as it was.
  in.hostMs = 0;
  EXPECT_EQ(ComputeTakeOff(in).speed, 100);
  // A reading of a millisecond over many frames cannot run away.
  in.hostMs = 1;
  in.jumpFrames = 2000000000;
  EXPECT_EQ(ComputeTakeOff(in).speed, kMaxSpeed);
  // The computer is never scaled.
  in.person = false;
  EXPECT_EQ(ComputeTakeOff(in).speed, 100);
}

TEST(DoggieRules, FlightsThatCannotMoveOnEndAtOnce) {
  FlightShape shape;
  shape.frames = {10, 20};
  shape.startY = 220;
  shape.groundY = 220;
  shape.vertical = 50;
  shape.timeStep = 0;  // a flight that never advances in time
  shape.holdEnd = 5;
  EXPECT_EQ(FlightFrames(shape), 1);
  shape.timeStep = 0.5;
  shape.vertical = 1e300;  // far beyond any height once the clock moves
  EXPECT_EQ(FlightFrames(shape), 2);
  FlightState s;
  s.frame = 10;
  shape.vertical = 0;
  shape.holdEnd = 0;
  shape.frames = {10, 10};  // no frames to play: down when it passes the last
  EXPECT_TRUE(FlightFrame(shape, &s));
  EXPECT_EQ(s.frame, 10);
  EXPECT_EQ(s.y, 220);
}

TEST(DoggieRules, DistanceTexts) {
  struct Case { int hundredths; const char* text; };
  for (const Case& c : std::vector<Case>{{1234, "12.34 m"}, {2105, "21.05 m"}, {100, "1.00 m"}, {56, "0.56 m"},
                                         {5, "0.05 m"}, {0, "0.00 m"}, {1, "0.01 m"}, {-250, "-2.50 m"}}) {
    EXPECT_EQ(FormatDistance(c.hundredths), c.text);
  }
  EXPECT_EQ(FormatDistance(2147483647), "21474836.47 m");
  EXPECT_EQ(FormatDistance(-2147483647 - 1), "-21474836.48 m");
}

TEST(DoggieRules, AnnouncementsSayMetresPointHundredthsUnit) {
  const int n0 = kSoundNumber0, pt = kSoundPoint, un = kSoundUnit;
  auto tens = [](int t) { return t == 2 ? kSoundNumber0 + 20 : kSoundTens30 + t - 3; };
  struct Case { int hundredths; int slots[6]; };
  const std::vector<Case> cases = {
      {2105, {n0 + 20, n0 + 1, pt, n0, n0 + 5, un}},        // 21.05: twenty, one, point, zero, five
      {2000, {-1, n0 + 20, pt, n0, n0, un}},                 // 20.00: twenty, point, zero, zero
      {1234, {-1, n0 + 12, pt, tens(3), n0 + 4, un}},        // 12.34
      {735, {-1, n0 + 7, pt, tens(3), n0 + 5, un}},          // 7.35
      {1015, {-1, n0 + 10, pt, -1, n0 + 15, un}},            // 10.15: fifteen whole
      {1020, {-1, n0 + 10, pt, -1, n0 + 20, un}},
      {1021, {-1, n0 + 10, pt, tens(2), n0 + 1, un}},        // twenty-one as twenty, one
      {3090, {tens(3), -1, pt, tens(9), -1, un}},            // 30.90: thirty, point, ninety
      {9999, {tens(9), n0 + 9, pt, tens(9), n0 + 9, un}},
      {56, {-1, n0, pt, tens(5), n0 + 6, un}},               // 0.56
      {12345, {-1, -1, pt, tens(4), n0 + 5, un}},            // 123.45: no sound says 123
  };
  for (const Case& c : cases) {
    const Announcement a = BuildAnnouncement(c.hundredths);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(a.slots[i], c.slots[i]) << c.hundredths << " position " << i;
  }
  // However far a jump went, every position names one of the announcer's
  // sounds or nothing.
  for (int d = 0; d < 3000000; d += 37) {
    const Announcement a = BuildAnnouncement(d);
    for (int s : a.slots) ASSERT_TRUE(s == -1 || (s >= kSoundNumber0 && s <= kSoundUnit)) << d;
  }
  for (int d : {2147483647, -5}) {
    for (int s : BuildAnnouncement(d).slots) EXPECT_TRUE(s == -1 || (s >= kSoundNumber0 && s <= kSoundUnit)) << d;
  }
}

TEST(DoggieRules, TheAnnouncerNamesTheRightFiles) {
  // 21.05 m as the sound files say it.
  const Announcement a = BuildAnnouncement(2105);
  const char* files[6] = {"sounds\\n20.wav", "sounds\\n01.wav", "sounds\\npoint.wav",
                          "sounds\\n00.wav", "sounds\\n05.wav", "sounds\\nmeter.wav"};
  for (int i = 0; i < 6; ++i)
    EXPECT_STREQ(doggieassets::DoggieSoundFile(1, a.slots[i]).path, files[i]) << i;
  EXPECT_STREQ(doggieassets::DoggieSoundFile(1, kSoundTens30 + 6).path, "sounds\\n90.wav");
  EXPECT_STREQ(doggieassets::DoggieSoundFile(2, kSoundTakeOff1 + 2).path, "sounds\\rocket.wav");
  EXPECT_STREQ(doggieassets::DoggieSoundFile(0, kSoundVoice1 + 1).path, "extra\\god\\larjump3.wav");
  EXPECT_STREQ(doggieassets::DoggieSoundFile(5, kSoundLand1 + 2).path, "sounds\\am_land.wav");
}

TEST(DoggieRules, SkippedJumps) {
  struct Case { int r, distance; };
  for (const Case& c : std::vector<Case>{{0, 0}, {100, 0}, {101, 301}, {500, 700}, {1099, 1299}})
    EXPECT_EQ(SkippedJumpDistance(c.r), c.distance) << c.r;
}

TEST(DoggieRules, PlacesByBestDistanceTiesToTheLowerPlayer) {
  struct Case { int results[4]; int order[4]; };
  const std::vector<Case> cases = {
      {{0, 0, 0, 0}, {0, 1, 2, 3}},
      {{100, 200, 300, 400}, {3, 2, 1, 0}},
      {{500, 700, 700, 100}, {1, 2, 0, 3}},
      {{300, 300, 900, 300}, {2, 0, 1, 3}},
      {{0, 0, 0, 1}, {3, 0, 1, 2}},
      {{-5, 0, 0, 0}, {1, 2, 3, 0}},
  };
  for (const Case& c : cases) {
    const Standing s = RankResults(c.results);
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(s.order[k], c.order[k]) << "place " << k;
      EXPECT_EQ(s.result[k], c.results[c.order[k]]);
      EXPECT_EQ(s.placeOf[c.order[k]], k);
      EXPECT_EQ(DoggieStandingLookup(c.results, c.order[k]), k);
    }
  }
  const int r[4] = {1, 2, 3, 4};
  EXPECT_EQ(DoggieStandingLookup(r, -1), 3);
  EXPECT_EQ(DoggieStandingLookup(r, 4), 3);
  EXPECT_EQ(ReactionOfPlace(0), kJumpReactHigh);
  EXPECT_EQ(ReactionOfPlace(1), kJumpReactMid);
  EXPECT_EQ(ReactionOfPlace(2), kJumpReactLow);
  EXPECT_EQ(ReactionOfPlace(3), kJumpReactLow);
}

TEST(DoggieRules, EighteenPlansPerCharacterInsideTheirRanges) {
  // Plan 0 of each row, as the characters have always jumped.
  const int planZero[6][7] = {{86, 1680, 5, 2220, 4, 2870, 5}, {70, 1700, 6, 2210, 5, 2880, 6},
                              {78, 1690, 5, 2200, 4, 2900, 4}, {68, 1703, 3, 2260, 4, 2883, 5},
                              {73, 1705, 5, 2200, 4, 2870, 6}, {67, 1670, 5, 2250, 4, 2880, 6}};
  const int lo[6][7] = {{73, 1680, 3, 2176, 3, 2800, 3}, {66, 1680, 4, 2140, 3, 2800, 3},
                        {60, 1680, 2, 2100, 3, 2800, 4}, {61, 1650, 3, 2100, 4, 2800, 3},
                        {55, 1680, 4, 2180, 4, 2800, 3}, {63, 1660, 4, 2200, 4, 2800, 4}};
  const int hi[6][7] = {{89, 1700, 6, 2300, 6, 2950, 7}, {88, 1705, 6, 2280, 7, 2890, 7},
                        {85, 1718, 6, 2300, 7, 2915, 7}, {72, 1705, 7, 2340, 8, 2950, 8},
                        {73, 1705, 7, 2277, 7, 2950, 7}, {79, 1720, 7, 2340, 7, 2920, 8}};
  for (int row = 0; row < kRows; ++row) {
    std::set<std::vector<int>> distinct;
    for (int k = 0; k < 7; ++k) {
      EXPECT_EQ(GetPlan(row, 0).v[k], planZero[row][k]) << "row " << row << " value " << k;
      EXPECT_EQ(GetPlanRange(row).lo[k], lo[row][k]);
      EXPECT_EQ(GetPlanRange(row).hi[k], hi[row][k]);
    }
    for (int p = 0; p < kPlans; ++p) {
      const Plan& plan = GetPlan(row, p);
      for (int k = 0; k < 7; ++k) {
        EXPECT_GE(plan.v[k], lo[row][k]) << "row " << row << " plan " << p << " value " << k;
        EXPECT_LE(plan.v[k], hi[row][k]) << "row " << row << " plan " << p << " value " << k;
      }
      distinct.insert(std::vector<int>(plan.v, plan.v + 7));
    }
    EXPECT_EQ(distinct.size(), size_t(kPlans)) << "row " << row << ": every plan its own";
  }
  EXPECT_EQ(&GetPlan(2, 18), &GetPlan(2, 0));
  EXPECT_EQ(&GetPlan(2, -1), &GetPlan(2, 17));
  EXPECT_EQ(&GetPlan(-4, 3), &GetPlan(0, 3));
}

TEST(DoggieRules, SpeedsStayInRange) {
  EXPECT_EQ(ClampSpeed(-4), 0);
  EXPECT_EQ(ClampSpeed(500), 500);
  EXPECT_EQ(ClampSpeed(1LL << 40), kMaxSpeed);
}

}  // namespace
