// HIPPO RUN's rules as plain functions: directions and moves, who is behind
// whom, damage, the ranking and the draw order, the finish with its places
// and times, the time text and the camera.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "events/hippo_run/hippo_rules.h"
#include "events/hippo_run/hippo_run_data.h"
#include "screen/event_records.h"

using namespace hipporules;

namespace {

TEST(HippoRules, DirectionToLeadsTowardsThePoint) {
  struct Case {
    int x1, y1, x2, y2, want;
  } cases[] = {
      // Straight along each axis; equal y and a point beside another are
      // along x (3 or 7), never up or down the course.
      {0, 0, 100, 0, 3}, {0, 0, -100, 0, 7}, {0, 0, 0, 100, 1}, {0, 0, 0, -100, 5},
      {50, 50, 50, 50, 3},
      // The diagonals.
      {0, 0, 100, 100, 2}, {0, 0, -100, 100, 0}, {0, 0, -100, -100, 6}, {0, 0, 100, -100, 4},
      // Angles that round to 0 or 360 degrees are still along +x.
      {0, 0, 1000, 1, 3}, {0, 0, 1000, -1, 3},
      // Near the borders of the 45-degree sectors (22/23 and 67/68 degrees).
      {0, 0, 100, 40, 3}, {0, 0, 100, 43, 2}, {0, 0, 100, 240, 2}, {0, 0, 100, 260, 1},
      {0, 0, -100, 40, 7}, {0, 0, -100, -43, 6}, {0, 0, 100, -40, 3}, {0, 0, 40, -100, 5},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DirectionTo(c.x1, c.y1, c.x2, c.y2), c.want) << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2;
  // Every direction leads back to the start the opposite way.
  for (int d = 0; d < 8; ++d) {
    int x = 0, y = 0;
    Move(d, 100, &x, &y);
    EXPECT_EQ(DirectionTo(0, 0, x, y), d);
    EXPECT_EQ(DirectionTo(x, y, 0, 0), (d + 4) % 8);
  }
}

TEST(HippoRules, MovesAndKeys) {
  struct Case {
    int dir, dx, dy;
  } moves[] = {{0, -5, 5}, {1, 0, 11}, {2, 5, 5}, {3, 11, 0}, {4, 5, -5}, {5, 0, -11}, {6, -5, -5}, {7, -11, 0}, {8, 0, 0}, {-1, 0, 0}};
  for (const Case& m : moves) {
    int x = 100, y = 100;
    Move(m.dir, 11, &x, &y);
    EXPECT_EQ(x - 100, m.dx) << m.dir;
    EXPECT_EQ(y - 100, m.dy) << m.dir;
  }
  struct Keys {
    bool l, r, u, d;
    int want;
  } keys[] = {{0, 0, 1, 0, 0}, {0, 1, 1, 0, 1}, {0, 1, 0, 0, 2}, {0, 1, 0, 1, 3}, {0, 0, 0, 1, 4},
              {1, 0, 0, 1, 5}, {1, 0, 0, 0, 6}, {1, 0, 1, 0, 7}, {0, 0, 0, 0, 8}, {1, 1, 0, 0, 8},
              {0, 0, 1, 1, 8}, {1, 1, 1, 0, 8}, {1, 1, 1, 1, 8}};
  for (const Keys& k : keys) EXPECT_EQ(DirectionFromKeys(k.l, k.r, k.u, k.d), k.want);
}

TEST(HippoRules, BehindByFacing) {
  // Point 1 at (100, 100); is point 2 behind someone facing each direction?
  struct Case {
    int dir, x2, y2;
    bool want;
  } cases[] = {
      {1, 100, 50, true},   {1, 100, 150, false}, {1, 40, 99, true},   {5, 100, 150, true},
      {0, 150, 50, true},   {0, 50, 50, false},   {2, 50, 50, true},   {2, 150, 50, false},
      {3, 50, 100, true},   {7, 150, 100, true},  {4, 50, 150, true},  {6, 150, 150, true},
      {3, 100, 100, false}, {9, 0, 0, false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsBehind(c.dir, 100, 100, c.x2, c.y2), c.want) << c.dir << " " << c.x2 << "," << c.y2;
}

TEST(HippoRules, TurnAboutSpeedDamageAndBoxes) {
  int seq[10];
  TurnSequence(1, seq);
  EXPECT_EQ(std::vector<int>(seq, seq + 10), (std::vector<int>{5, 7, 7, 7, 1, 1, 1, 3, 3, 5}));
  TurnSequence(7, seq);
  EXPECT_EQ(std::vector<int>(seq, seq + 10), (std::vector<int>{3, 5, 5, 5, 7, 7, 7, 1, 1, 3}));

  struct Speed {
    int speed, top;
  } speeds[] = {{0, 4}, {34, 4}, {35, 5}, {54, 5}, {55, 6}, {69, 6}, {70, 7}, {200, 7}};
  for (const Speed& s : speeds) EXPECT_EQ(TopSpeedOf(s.speed), s.top) << s.speed;

  struct Damage {
    int power, endurance, want;
  } damage[] = {{50, 50, 5}, {100, 50, 10}, {150, 50, 15}, {40, 70, 2}, {100, 0, 20}, {100, 100, 0},
                // A hit never heals, however tough the athlete has become.
                {100, 150, 0}, {0, 50, 0}, {-50, 50, 0}};
  for (const Damage& d : damage) EXPECT_EQ(HitDamage(d.power, d.endurance), d.want) << d.power << "/" << d.endurance;

  // Right and bottom edges lie outside; boxes that only touch do not meet.
  EXPECT_TRUE(Overlap(BoxAround(0, 0, 25), BoxAround(49, 49, 25)));
  EXPECT_FALSE(Overlap(BoxAround(0, 0, 25), BoxAround(50, 0, 25)));
  EXPECT_FALSE(Overlap(Box{0, 0, 0, 10}, Box{-5, -5, 5, 5}));
}

TEST(HippoRules, RankingKeepsPlayerOrderOnTies) {
  struct Case {
    int y[4];
    int order[4];
  } cases[] = {
      {{300, 300, 300, 300}, {0, 1, 2, 3}},
      {{300, 900, 600, 1200}, {3, 1, 2, 0}},
      {{900, 900, 300, 900}, {0, 1, 3, 2}},
      {{100, 2600, 2600, 50}, {1, 2, 0, 3}},
  };
  for (const Case& c : cases) {
    int order[4];
    RankByHippo(c.y, order);
    EXPECT_EQ(std::vector<int>(order, order + 4), std::vector<int>(c.order, c.order + 4));
  }
}

TEST(HippoRules, DrawOrderIsAStrictWeakOrder) {
  // Far up the course first; level actors left to right; equal ones by slot.
  std::vector<DepthKey> keys = {{500, 10, 3}, {500, 10, 1}, {900, 0, 7}, {500, -20, 9}, {100, 400, 0}, {500, 10, 2}};
  for (const DepthKey& a : keys) {
    EXPECT_FALSE(DrawsBefore(a, a)) << "irreflexive";
    for (const DepthKey& b : keys) {
      if (DrawsBefore(a, b)) EXPECT_FALSE(DrawsBefore(b, a)) << "asymmetric";
      for (const DepthKey& c : keys)
        if (DrawsBefore(a, b) && DrawsBefore(b, c)) EXPECT_TRUE(DrawsBefore(a, c)) << "transitive";
    }
  }
  std::sort(keys.begin(), keys.end(), DrawsBefore);
  std::vector<int> slots;
  for (const DepthKey& k : keys) slots.push_back(k.slot);
  EXPECT_EQ(slots, (std::vector<int>{7, 9, 1, 2, 3, 0}));
}

// --- The finish ---------------------------------------------------------------

struct Race {
  FinishState state;
  FinishInput in;
  // Runs frames until the race is over (or `frames` ran out); the frame it ended.
  int RunUntilOver(int frames) {
    for (int f = 0; f < frames; ++f) {
      ++in.raceFrames;
      if (CheckFinish(&state, in).over) return in.raceFrames;
    }
    return -1;
  }
};
constexpr int kLine = hippoassets::kFinishLineY;

TEST(HippoFinish, ThreeHipposEndTheRaceOnceTheCommentaryHasHadItsFrames) {
  Race r;
  r.in.human[2] = true;  // a person is still pushing far behind
  int over = -1;
  for (int f = 1; f <= 400 && over < 0; ++f) {
    r.in.raceFrames = f;
    if (f == 150) r.in.hippoY[0] = kLine + 1;
    // Two more cross together in one frame: they share the time, and player
    // order decides between them.
    if (f == 160) {
      r.in.hippoY[1] = kLine + 40;
      r.in.hippoY[3] = kLine + 2;
    }
    const FinishStep s = CheckFinish(&r.state, r.in);
    if (f == 150) EXPECT_EQ(s.commentary, 0);
    if (f == 160) EXPECT_EQ(s.commentary, -1) << "one commentary at a time";
    if (s.over) over = f;
  }
  EXPECT_EQ(std::vector<int>(r.state.order, r.state.order + 4), (std::vector<int>{0, 1, 3, -1}));
  EXPECT_EQ(ResultSeconds(r.state, 0), 10);
  EXPECT_EQ(r.state.finishFrame[1], 160);
  EXPECT_EQ(r.state.finishFrame[3], 160);
  // The end waits for the first commentary's frames, not for a sound device.
  EXPECT_EQ(over, 150 + kLineCommentaryFrames);
  // The person who never arrived: fourth, not finished.
  const int hippoY[4] = {r.in.hippoY[0], r.in.hippoY[1], 400, r.in.hippoY[3]};
  FillFreePlaces(&r.state, hippoY);
  EXPECT_EQ(r.state.order[3], 2);
  EXPECT_EQ(ResultSeconds(r.state, 2), kNotFinishedSeconds);
}

TEST(HippoFinish, OncePeopleAreInTheComputersStillRunningTakeTheFreePlaces) {
  Race r;
  r.in.human[1] = true;
  r.in.hippoY[1] = kLine + 5;
  r.in.hippoY[3] = 2000;  // ahead of 0 and 2, but they are placed in player order
  r.in.raceFrames = 450;
  FinishStep s = CheckFinish(&r.state, r.in);
  EXPECT_FALSE(s.over) << "the commentary first";
  EXPECT_EQ(std::vector<int>(r.state.order, r.state.order + 4), (std::vector<int>{1, 0, 2, 3}));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ResultSeconds(r.state, i), 30) << i;
  EXPECT_EQ(r.RunUntilOver(100), 450 + kLineCommentaryFrames);
}

TEST(HippoFinish, WithoutPeopleTheComputersRaceOnAndNobodyFinishesAtTheStart) {
  Race r;
  for (int i = 0; i < 4; ++i) r.in.hippoY[i] = 300;
  for (int f = 0; f < 200; ++f) {
    ++r.in.raceFrames;
    EXPECT_FALSE(CheckFinish(&r.state, r.in).over);
  }
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(r.state.finished[i]);
  // The time limit ends it whoever is still running, with "not finished".
  r.in.hippoY[2] = kLine + 1;
  r.in.raceFrames = kRaceFrameLimit - 1;
  EXPECT_FALSE(CheckFinish(&r.state, r.in).over);
  EXPECT_EQ(r.RunUntilOver(1), kRaceFrameLimit);
  EXPECT_EQ(ResultSeconds(r.state, 2), (kRaceFrameLimit - 1) / kFramesPerSecond);
  const int hippoY[4] = {900, 300, r.in.hippoY[2], 900};
  FillFreePlaces(&r.state, hippoY);
  EXPECT_EQ(std::vector<int>(r.state.order, r.state.order + 4), (std::vector<int>{2, 0, 3, 1}));
  for (int i : {0, 1, 3}) EXPECT_EQ(ResultSeconds(r.state, i), kNotFinishedSeconds);
}

TEST(HippoFinish, FreePlacesNeverRepeatARunner) {
  // A placed runner whose hippo ranks last still keeps only his own place.
  FinishState s;
  s.order[0] = 3;
  s.finished[3] = 1;
  const int hippoY[4] = {800, 900, 700, 100};
  FillFreePlaces(&s, hippoY);
  EXPECT_EQ(std::vector<int>(s.order, s.order + 4), (std::vector<int>{3, 1, 0, 2}));
}

TEST(HippoRules, TimeTextMapAndCamera) {
  // The time panel and the record read minutes and seconds.
  char text[32];
  EXPECT_STREQ(FormatEventResult(3, 0, text, sizeof text), "0 : 00");
  EXPECT_STREQ(FormatEventResult(3, 9, text, sizeof text), "0 : 09");
  EXPECT_STREQ(FormatEventResult(3, 75, text, sizeof text), "1 : 15");
  EXPECT_STREQ(FormatEventResult(3, kNotFinishedSeconds, text, sizeof text), "10 : 00");
  EXPECT_EQ(MapFaceY(300), 140);
  EXPECT_EQ(MapFaceY(2600), 40);
  EXPECT_EQ(MapFaceY(hippoassets::kFinishLineY), 43);

  // The camera follows, but never shows anything beyond the course picture.
  const int w = hippoassets::kCourseW, h = hippoassets::kCourseH;
  struct Case {
    Pixel follow;
    int viewW;
    Pixel want;
  } cases[] = {{{1000, 1000}, 640, {680, 710}}, {{100, 100}, 640, {0, 0}},
               {{w, h}, 640, {w - 640, h - 400}}, {{w - 10, 500}, 320, {w - 320, 210}},
               {{-500, -500}, 320, {0, 0}}};
  for (const Case& c : cases) {
    const Pixel cam = CameraFor(c.follow, c.viewW / 2, 290, c.viewW, 400, w, h);
    EXPECT_EQ(cam.x, c.want.x);
    EXPECT_EQ(cam.y, c.want.y);
  }
  // The start and the line lie on the picture.
  for (int x : {0, 500})
    for (int y : {0, 3000}) {
      const Pixel p = Project(x, y);
      EXPECT_GE(p.x, 0);
      EXPECT_LT(p.x, w);
      EXPECT_GE(p.y, 0);
      EXPECT_LT(p.y, h);
    }
}

}  // namespace
