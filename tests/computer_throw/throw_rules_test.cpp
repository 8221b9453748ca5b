// The rules of COMPUTER THROW as tables: the distance text, the spoken
// announcement, the release and the flight, the foul line, the places, and
// the contestants' own behaviour (aim, idle spins, the six characters).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "base/player_records.h"
#include "events/computer_throw/computer_throw_data.h"
#include "events/computer_throw/throw_actor.h"
#include "events/computer_throw/throw_rules.h"
#include "tests/computer_throw/throw_sim.h"

using namespace throwrules;

namespace {

TEST(ThrowRules, DistanceText) {
  struct Case {
    int hundredths;
    const char* text;
  } cases[] = {
      {0, "0.00 m"},     {5, "0.05 m"},         {99, "0.99 m"},      {500, "5.00 m"},
      {1234, "12.34 m"}, {10000, "100.00 m"},   {123456, "1234.56 m"}, {-5, "-0.05 m"},
      {2147483647, "21474836.47 m"}, {-2147483647 - 1, "-21474836.48 m"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDistance(c.hundredths), c.text) << c.hundredths;
  EXPECT_EQ(FormatDistance(1234, "M"), "12.34 M");
}

TEST(ThrowRules, AnnouncementQueue) {
  const int N = kSoundNumber0, T = kSoundTens20, P = kSoundPoint, U = kSoundUnit;
  struct Case {
    int hundredths;
    int slots[6];
  } cases[] = {
      // five, the point, zero, zero, metres
      {500, {-1, N + 5, P, N + 0, N + 0, U}},
      // twelve, the point, thirty four, metres
      {1234, {-1, N + 12, P, T + 1, N + 4, U}},
      // 100 m and more: no sound says the metres, the rest is still said
      {10000, {-1, -1, P, N + 0, N + 0, U}},
      {12345, {-1, -1, P, T + 2, N + 5, U}},
      {0, {-1, N + 0, P, N + 0, N + 0, U}},
      {1915, {-1, N + 19, P, -1, N + 15, U}},
      {2507, {T + 0, N + 5, P, N + 0, N + 7, U}},
      {4020, {T + 2, -1, P, T + 0, -1, U}},
      {9999, {T + 7, N + 9, P, T + 7, N + 9, U}},
  };
  for (const Case& c : cases) {
    Announcement a = BuildAnnouncement(c.hundredths);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(a.slots[i], c.slots[i]) << c.hundredths << " entry " << i;
  }
  // Whatever the distance, every entry is a number, a tens word, the point
  // or the unit, never a slot past them.
  for (int d = 0; d <= 300000; d += 7) {
    Announcement a = BuildAnnouncement(d);
    for (int s : a.slots) ASSERT_TRUE(s == -1 || (s >= kSoundNumber0 && s <= kSoundUnit)) << d;
  }
}

TEST(ThrowRules, ReleasePhysics) {
  struct Case {
    ReleaseInput in;
    int kind, index, power;
    double vertical, horizontal, flightTime, reach, timeStep;
  } cases[] = {
      // A low aim is an underarm lob along the ground with at least 100.
      {{0, 10, 50, false, 0, 0, 37}, 0, 1, 100, 0.0, 100.0, 2.7479, 91.5971, 0.18126},
      // Index 5: a 40-degree push.
      {{5, 40, 50, false, 0, 0, 37}, 1, 5, 100, 64.2788, 76.6044, 13.6705, 349.0730, 0.33418},
      {{6, 20, 30, false, 0, 0, 60}, 2, 6, 46, 35.2380, 29.5682, 8.6131, 84.8914, 0.59445},
      {{9, 10, 40, false, 0, 0, 37}, 3, 9, 55, 54.1644, 9.5506, 11.6994, 37.2456, 1.20308},
      // An angle index below 0 counts as 10: straight up.
      {{-1, 50, 40, false, 0, 0, 37}, 3, 10, 120, 120.0, 0.0, 24.7943, 0.0, 4.13239},
      // A person at 15 frames a second throws with 15/16 of the power.
      {{5, 40, 50, true, 15, 1000, 37}, 1, 5, 93, 59.7792, 71.2421, 12.7902, 303.7342, 0.35164},
      // Let go within the first second, or on a clock that stood still: the
      // rate is capped at the game's own, nothing is divided by zero.
      {{5, 40, 50, true, 3, 0, 37}, 1, 5, 100, 64.2788, 76.6044, 13.6705, 349.0730, 0.33418},
      {{5, 40, 50, true, 100, 10, 37}, 1, 5, 100, 64.2788, 76.6044, 13.6705, 349.0730, 0.33418},
      // No frame counted: only the kind's least power.
      {{5, 40, 50, true, 0, 500, 37}, 1, 5, 40, 25.7115, 30.6418, 6.4229, 65.6029, 0.51136},
  };
  for (const Case& c : cases) {
    ReleaseResult r = ComputeRelease(c.in);
    SCOPED_TRACE(testing::Message() << "index " << c.in.angleIndex << " power " << c.in.power
                                    << " human " << c.in.human);
    EXPECT_EQ(r.kind, c.kind);
    EXPECT_EQ(r.angleIndex, c.index);
    EXPECT_EQ(r.power, c.power);
    EXPECT_NEAR(r.vertical, c.vertical, 1e-3);
    EXPECT_NEAR(r.horizontal, c.horizontal, 1e-3);
    EXPECT_NEAR(r.flightTime, c.flightTime, 1e-3);
    EXPECT_NEAR(r.reach, c.reach, 1e-3);
    EXPECT_NEAR(r.timeStep, c.timeStep, 1e-4);
    EXPECT_TRUE(std::isfinite(r.topHeight));
  }
  // Index 5 aims at 40 degrees.
  EXPECT_NEAR(ComputeRelease({5, 40, 50, false, 0, 0, 37}).angle * 180.0 / M_PI, 40.0, 1e-9);
  // Records or input far out of range: the power is capped and the flight
  // still comes down in a sensible time.
  ReleaseResult wild = ComputeRelease({5, 127 * 100000, 2147483647, false, 0, 0, 37});
  EXPECT_EQ(wild.power, kMaxReleasePower);
  FlightStart far;
  far.release = wild;
  far.x = 177;
  far.y = 243;
  EXPECT_LT(SimulateFlight(far).frames, 5000);
  EXPECT_EQ(ComputeRelease({5, 40, -2147483647 - 1, false, 0, 0, 37}).power, 40);
  // A hand below the ground line reads as on the ground, not as a root of a
  // negative number.
  ReleaseResult low = ComputeRelease({1, 40, 50, false, 0, 0, -500});
  EXPECT_TRUE(std::isfinite(low.flightTime));
  EXPECT_EQ(low.flightTime, 0.0);
}

TEST(ThrowRules, FlightTable) {
  auto start = [](ReleaseInput in, int x, int y, int runUp) {
    FlightStart s;
    s.release = ComputeRelease(in);
    s.runUp = runUp;
    s.x = x;
    s.y = y;
    return s;
  };
  FlightStart grounded;
  grounded.release.power = 15;
  grounded.release.timeStep = 0.1;
  grounded.x = 100;
  grounded.y = 280;
  struct Case {
    FlightStart start;
    int runUp, x, frames;
  } cases[] = {
      // Power 100 at 40 degrees, from 15 m: it flies past the middle of the
      // picture, which then scrolls, and comes down 17.50 m further on.
      {start({5, 40, 50, false, 0, 0, 37}, 177, 243, 1500), 3250, 316, 42},
      {start({6, 20, 30, false, 0, 0, 60}, 150, 220, 1800), 2220, 313, 16},
      // The flat lob.
      {start({0, 10, 50, false, 0, 0, 37}, 177, 243, 1900), 2390, 317, 17},
      // Already on the ground: down in its first frame.
      {grounded, 10, 100, 1},
  };
  for (const Case& c : cases) {
    FlightEnd e = SimulateFlight(c.start);
    EXPECT_EQ(e.runUp, c.runUp);
    EXPECT_EQ(e.x, c.x);
    EXPECT_EQ(e.frames, c.frames);
  }
  // A broken release (no time step) still comes down at once.
  FlightStart broken = start({5, 40, 50, false, 0, 0, 37}, 177, 243, 700);
  broken.release.timeStep = 0.0;
  EXPECT_EQ(SimulateFlight(broken).frames, 1);
  broken.release.timeStep = std::nan("");
  EXPECT_EQ(SimulateFlight(broken).frames, 1);
}

TEST(ThrowRules, FoulLine) {
  struct Case {
    int position, distance;
  } cases[] = {{0, 0}, {1979, 0}, {1980, 0}, {1981, 1}, {2480, 500}, {3214, 1234}, {-50, 0}};
  for (const Case& c : cases) EXPECT_EQ(DistanceOf(c.position), c.distance) << c.position;
  EXPECT_EQ(kFoulBelow, 1981);
}

TEST(ThrowRules, SkippedThrow) {
  struct Case {
    int r, distance;
  } cases[] = {{0, 0}, {100, 0}, {101, 601}, {600, 1100}, {1199, 1699}};
  for (const Case& c : cases) EXPECT_EQ(SkippedThrowDistance(c.r), c.distance) << c.r;
  // One in twelve is a foul.
  int fouls = 0;
  for (int r = 0; r < 1200; ++r) fouls += SkippedThrowDistance(r) == 0;
  EXPECT_EQ(fouls, 101);
}

TEST(ThrowRules, PlacesWithTies) {
  struct Case {
    int best[4];
    int order[4];
  } cases[] = {
      {{0, 0, 0, 0}, {0, 1, 2, 3}},
      // Equal distances: the lower contestant ranks first.
      {{100, 200, 200, 50}, {1, 2, 0, 3}},
      {{300, 300, 100, 300}, {0, 1, 3, 2}},
      {{500, 700, 700, 700}, {1, 2, 3, 0}},
      // Fully reversed needs all three passes.
      {{1, 2, 3, 4}, {3, 2, 1, 0}},
      {{4, 3, 2, 1}, {0, 1, 2, 3}},
  };
  for (const Case& c : cases) {
    Standing s = RankContestants(c.best);
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(s.order[k], c.order[k]) << "place " << k;
      EXPECT_EQ(s.distance[k], c.best[c.order[k]]);
      EXPECT_EQ(s.placeOf[c.order[k]], k);
    }
  }
}

TEST(ThrowRules, PowerLevels) {
  struct Case {
    int power, inc0, inc1, inc2, inc3;
    bool extra;
  } cases[] = {{0, 5, 1, 1, 1, false},     {10, 5, 1, 1, 1, false},   {11, 10, 2, 1, 2, false},
               {15, 10, 2, 1, 2, false},   {16, 15, 4, 2, 3, true},   {20, 15, 4, 2, 3, true},
               {21, 20, 8, 2, 4, true},    {500, 20, 8, 2, 4, true}};
  for (const Case& c : cases) {
    Level l = LevelOf(c.power);
    EXPECT_EQ(l.inc[0], c.inc0) << c.power;
    EXPECT_EQ(l.inc[1], c.inc1) << c.power;
    EXPECT_EQ(l.inc[2], c.inc2) << c.power;
    EXPECT_EQ(l.inc[3], c.inc3) << c.power;
    EXPECT_EQ(l.extraFrame, c.extra) << c.power;
  }
}

// --- The contestant on its own ------------------------------------------------

TEST(ThrowContestant, AngleCyclesWhileAiming) {
  // A person holds the first action from the first frame: the angle index
  // steps 1..9, 0, 1 ... once a frame; let go after five frames aims at 40
  // degrees (index 5, a push).
  std::vector<int> seen;
  SimThrow t = RunActorThrow(throwassets::kThrowCharOfCharacter[2], true, 0, 400,
                             [&](int f, uint8_t* s) {
                               if (f < 5) s[kFirstActionByte] = 0x80 | (f == 0 ? 1 : 0);
                             });
  EXPECT_EQ(t.angleIndex, 5);
  EXPECT_EQ(t.kind, 1);

  // Holding on: the whole cycle.
  for (auto*& a : g_throwActors) a = nullptr;
  ThrowActor c(0);
  c.character = 4;
  c.state = kStStand;
  c.frame = throwassets::kSheetLayout[4].standFrame;
  g_throwActors[0] = &c;
  g_players[0].human = 1;
  for (int f = 0; f < 12; ++f) {
    std::fill(g_playerStates[0], g_playerStates[0] + kPlayerStateSize, 0);
    g_playerStates[0][kFirstActionByte] = 0x80;
    c.Update(g_throwActors);
    ASSERT_EQ(c.state, kStAim);
    seen.push_back(c.var[kVarAngle]);
  }
  g_throwActors[0] = nullptr;
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1, 2}));
}

TEST(ThrowContestant, IdlePersonSpinsEvery100Frames) {
  // A person who never pushes stands, and after more than 100 idle frames
  // turns once on the spot; the spin takes the sheet's spin frames.
  for (auto*& a : g_throwActors) a = nullptr;
  const int tc = 3;
  const auto& L = throwassets::kSheetLayout[tc];
  ThrowActor c(0);
  c.character = tc;
  c.state = kStStand;
  c.frame = L.standFrame;
  g_throwActors[0] = &c;
  g_players[0].human = 1;
  std::vector<int> spinStarts;
  for (int f = 0; f < 500; ++f) {
    std::fill(g_playerStates[0], g_playerStates[0] + kPlayerStateSize, 0);
    int spins = c.var[kVarSpins];
    c.Update(g_throwActors);
    ASSERT_EQ(c.state, kStStand) << f;
    ASSERT_EQ(c.power, 0);
    ASSERT_EQ(c.var[kVarRunUp], 0);
    if (c.var[kVarSpins] != spins) {
      spinStarts.push_back(f);
      EXPECT_EQ(c.frame, L.spinFirst);
    }
  }
  g_throwActors[0] = nullptr;
  const int spinLength = L.standFrame - L.spinFirst;
  ASSERT_EQ(spinStarts.size(), 4u);
  EXPECT_EQ(spinStarts[0], 100);
  for (size_t i = 1; i < spinStarts.size(); ++i)
    EXPECT_EQ(spinStarts[i] - spinStarts[i - 1], 101 + spinLength);
}

TEST(ThrowContestant, PastTheLineTheComputerIsDropped) {
  // A person who pushes and never aims runs up to the line and drops the
  // computer there: it breaks at the feet.
  SimThrow t = RunActorThrow(0, true, 0, 2000, [](int, uint8_t* s) { s[kSecondActionByte] = 1; });
  EXPECT_TRUE(t.dropped);
  ASSERT_GE(t.landedAt, kThrowLine);
  EXPECT_LT(t.landedAt, kThrowLine + 100);
}

TEST(ThrowContestant, SixCharactersThrowDifferently) {
  // Every character's twenty computer rows: each throw comes down, and the
  // characters differ in how far and how steadily they throw.
  std::map<int, std::vector<int>> distances;
  for (int c = 0; c < 6; ++c) {
    for (int r = 0; r < kComputerRows; ++r) {
      SimThrow t = RunActorThrow(c, false, r, 3000);
      ASSERT_GE(t.landedAt, 0) << "character " << c << " row " << r;
      distances[c].push_back(DistanceOf(t.landedAt));
    }
  }
  auto mean = [&](int c) {
    return std::accumulate(distances[c].begin(), distances[c].end(), 0) / kComputerRows;
  };
  auto spread = [&](int c) {
    auto [lo, hi] = std::minmax_element(distances[c].begin(), distances[c].end());
    return *hi - *lo;
  };
  std::set<std::vector<int>> profiles;
  for (auto& [c, d] : distances) {
    std::vector<int> sorted = d;
    std::sort(sorted.begin(), sorted.end());
    profiles.insert(sorted);
  }
  EXPECT_EQ(profiles.size(), 6u);
  const int ape = 0, kangaroo = 1, alien = 2, slob = 3, stud = 4, amazon = 5;
  // The stud throws far and always alike; the alien is all over the place;
  // the slob stays short; the ape and the amazon beat the kangaroo.
  EXPECT_LT(spread(stud), spread(alien) / 4);
  EXPECT_LT(mean(slob), mean(kangaroo));
  EXPECT_GT(mean(stud), mean(kangaroo));
  EXPECT_GT(mean(ape), mean(kangaroo));
  EXPECT_GT(mean(amazon), mean(kangaroo));
  EXPECT_GT(*std::max_element(distances[alien].begin(), distances[alien].end()),
            *std::max_element(distances[stud].begin(), distances[stud].end()));
  // Every row of a character is a real choice: not all rows throw alike.
  for (auto& [c, d] : distances) EXPECT_GT(std::set<int>(d.begin(), d.end()).size(), 10u) << c;
}

}  // namespace
