// The jumper and the course of NICE DOGGIE JUMP run by their actors alone,
// without the screen: the computer's plans over the dogs, a person's hop
// before the board, falls in the dog zones, a short last landing, presses
// in the air, and the course actors' own rules.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/player_records.h"
#include "events/doggie_jump/doggie_actor.h"
#include "events/doggie_jump/doggie_course.h"
#include "events/doggie_jump/doggie_jump_data.h"
#include "events/doggie_jump/doggie_rules.h"
#include "tests/doggie_jump/doggie_robot.h"
#include "tests/doggie_jump/doggie_sim.h"

using namespace doggierules;

namespace {

class DoggieActorTest : public testing::Test {
 protected:
  void TearDown() override {
    DeleteDoggieActors();
    g_doggieJumper = -1;
  }
};

TEST_F(DoggieActorTest, ComputerPlansClearTheDogsAndLandInThePit) {
  // Every row's plans over a few seeds: the take-offs come after the board
  // and before each zone, and a jump that does not fall lands in the pit
  // at a distance a triple jumper would be proud of. A plan or two of the
  // clumsier characters runs into the second pit: they are allowed one.
  for (int row = 0; row < kRows; ++row) {
    int clean = 0, total = 0, sum = 0;
    for (int plan = 0; plan < kPlans; ++plan) {
      for (uint32_t seed : {3u, 77u, 1234u}) {
        SCOPED_TRACE("row " + std::to_string(row) + " plan " + std::to_string(plan));
        const SimJump s = RunActorJump(row, false, plan, seed);
        ++total;
        ASSERT_GT(s.frames, 0) << "the jump ends";
        if (s.result < 0) continue;
        ++clean;
        sum += s.result;
        ASSERT_EQ(s.takeOffAt.size(), 3u);
        EXPECT_GE(s.takeOffAt[0], kBoard);
        EXPECT_LE(s.takeOffAt[0], kDogZones[0].from + 20);
        EXPECT_GE(s.landedAt[0], kDogZones[0].to);
        EXPECT_LE(s.landedAt[1], kDogZones[2].from);
        EXPECT_GT(s.result, 0);
        EXPECT_LT(s.result, 3000);
      }
    }
    EXPECT_GE(clean, total - 3) << "row " << row;
    ASSERT_GT(clean, 0);
    EXPECT_GT(sum / clean, 400) << "row " << row << " jumps on average past 4 m";
  }
}

TEST_F(DoggieActorTest, TheSameSeedTheSameJump) {
  const SimJump a = RunActorJump(2, false, 5, 99);
  const SimJump b = RunActorJump(2, false, 5, 99);
  EXPECT_EQ(a.result, b.result);
  EXPECT_EQ(a.frames, b.frames);
  EXPECT_EQ(a.takeOffAt, b.takeOffAt);
}

TEST_F(DoggieActorTest, ARunWithoutATakeOffEndsInTheFirstPit) {
  // A person who only runs: at the first zone the dogs get him; the dog
  // of that zone leaves, the stars turn twice and he is done, no result.
  bool dogHit = false;
  const SimJump s = RunActorJump(
      3, true, 0, 1, 3000, [](int, uint8_t* st) { st[5] = 1; },
      [&](int) {
        if (const DoggieActor* dog = g_doggieActors[kKindDogFirst]) dogHit = dogHit || dog->hit;
      });
  EXPECT_EQ(s.fellInZone, 0);
  EXPECT_EQ(s.finalState, kJumpDone);
  EXPECT_EQ(s.result, -1);
  EXPECT_TRUE(s.takeOffAt.empty());
  EXPECT_TRUE(dogHit);
  EXPECT_EQ(g_doggieResults[0], 0);
}

TEST_F(DoggieActorTest, ATakeOffBeforeTheBoardIsNotTheHop) {
  // A person jumps at once from a short run-up: a hop that does not count,
  // so the next take-off is a hop again.
  std::vector<int> states;
  int frame = 0;
  RunActorJump(
      3, true, 0, 1, 160,
      [&](int f, uint8_t* st) {
        frame = f;
        if (f < 20) st[5] = 1;                  // a short run
        if (f >= 20 && f < 24) st[4] = 0x80;    // fire 1 for a moment
        if (f >= 60 && f < 70) st[5] = 1;       // then run on
        if (f >= 70 && f < 74) st[4] = 0x80;
      },
      [&](int) {
        const DoggieActor* j = g_doggieActors[kKindJumperFirst];
        if (states.empty() || states.back() != j->state) states.push_back(j->state);
        if (j->state == kJumpTakeOffHop) {
          EXPECT_LT(j->distance, kBoard);
          EXPECT_EQ(j->phase, 0);
        }
      });
  int hops = 0;
  for (int s : states) {
    hops += s == kJumpTakeOffHop;
    EXPECT_NE(s, kJumpTakeOffStep) << "no step follows a hop before the board";
  }
  EXPECT_EQ(hops, 2);
}

TEST_F(DoggieActorTest, ZonesAndTheStatesThatMayCrossThem) {
  // Only the flight of the zone's own take-off passes its dogs; a faller,
  // the fallen and the done are left alone.
  struct Case { int state, distance; bool falls; };
  const std::vector<Case> cases = {
      {kJumpFlightHop, 1900, false},   {kJumpFlightStep, 1900, true}, {kJumpRunFast, 1900, true},
      {kJumpStand, 1900, true},        {kJumpReleased, 1900, true},   {kJumpFlightStep, 2400, false},
      {kJumpFlightHop, 2400, true},    {kJumpLandStep, 2400, true},   {kJumpFlightJump, 3100, false},
      {kJumpLandJump, 3100, true},     {kJumpLying, 2400, false},
      {kJumpDone, 3100, false},        {kJumpRunFast, 2200, false},   {kJumpLandJump, 3525, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.state) + " at " + std::to_string(c.distance));
    DeleteDoggieActors();
    CreateDoggieCourse(nullptr, false);
    g_doggieJumper = 0;
    g_players[0].human = 1;
    DoggieActor* j = g_doggieActors[kKindJumperFirst];
    j->row = 3;
    j->state = c.state;
    j->subState = 1;
    j->distance = c.distance;
    j->y = 220;
    j->groundY = 220;
    j->startY = 220;
    j->timeStep = 0.1;
    j->holdEnd = 1000;
    j->frame = JumperFrames(3, std::min(c.state, 15)).first;
    std::memset(g_playerStates[0], 0, kPlayerStateSize);
    j->Update();
    EXPECT_EQ(j->state == kJumpFall, c.falls) << "now " << j->state;
  }
}

TEST_F(DoggieActorTest, TheLastLandingStoresOnlyABetterResultPastThePit) {
  // The end of the jump's landing at a distance: the best so far stays
  // unless the pit was passed by more; a landing short of the pit (or on
  // the pit's edge) changes nothing; the reaction follows the place.
  struct Case { int distance, before, after, reaction; };
  const std::vector<Case> cases = {
      {3000, 250, 250, kJumpReactLow},  {kPitStart, 0, 0, kJumpReactLow}, {3600, 250, 250, kJumpReactLow},
      {3900, 250, 375, kJumpReactHigh}, {4000, 0, 475, kJumpReactHigh},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.distance);
    DeleteDoggieActors();
    CreateDoggieCourse(nullptr, false);
    g_doggieJumper = 1;
    g_players[1].human = 0;
    for (int p = 0; p < 4; ++p) g_doggieResults[p] = p == 1 ? c.before : 300;
    DoggieActor* j = g_doggieActors[kKindJumperFirst + 1];
    j->row = 4;
    j->state = kJumpLandJump;
    j->subState = 1;
    j->frame = JumperFrames(4, kJumpLandJump).last;
    j->distance = c.distance;
    j->planStep = 3;
    j->Update();
    EXPECT_EQ(g_doggieResults[1], c.after);
    EXPECT_EQ(j->state, c.reaction);
  }
  for (int32_t& r : g_doggieResults) r = 0;
}

TEST_F(DoggieActorTest, PressingInTheAirRaisesTheStep) {
  // A slow hop from a short run (the speed drops to nothing at the
  // take-off): a person who presses fire 2 in the air moves on faster.
  auto hop = [](bool pressInAir) {
    return RunActorJump(3, true, 0, 1, 150, [&](int f, uint8_t* st) {
      DoggieActor* j = g_doggieActors[kKindJumperFirst];
      if (f < 8) st[5] = 1;
      if (f >= 8 && f < 12) st[4] = 0x80;
      if (pressInAir && j && j->state == kJumpFlightHop) st[5] = 3;
    });
  };
  const SimJump still = hop(false), pressing = hop(true);
  ASSERT_EQ(still.takeOffAt.size(), 1u);
  ASSERT_EQ(pressing.takeOffAt.size(), 1u);
  ASSERT_EQ(still.landedAt.size(), 1u);
  ASSERT_EQ(pressing.landedAt.size(), 1u);
  EXPECT_EQ(still.takeOffAt[0], pressing.takeOffAt[0]);
  EXPECT_GT(pressing.landedAt[0] - pressing.takeOffAt[0], still.landedAt[0] - still.takeOffAt[0] + 50);
}

TEST_F(DoggieActorTest, AHammeredButtonCannotRunTheSpeedAway) {
  int top = 0;
  RunActorJump(
      1, true, 0, 1, 400, [](int, uint8_t* st) { st[5] = 127; },
      [&](int) { top = std::max(top, g_doggieActors[kKindJumperFirst] ? g_doggieActors[kKindJumperFirst]->speed : 0); });
  EXPECT_EQ(top, kMaxSpeed);
}

TEST_F(DoggieActorTest, ThePersonsTakeOffUsesTheHostsReading) {
  // A person lets go on the host: the reading at the release, as the
  // exchange brings it, scales the take-off; the same reading gives the
  // same take-off on every machine.
  int before = -1, after = -1;
  RunActorJump(
      3, true, 0, 1, 200,
      [&](int f, uint8_t* st) {
        g_doggieHostClockMs = 4000;  // 60 frames in 4 s: 15 a second
        g_doggieJumpFrames = 60;
        if (f < 80) st[5] = 1;
        if (f >= 80 && f < 85) st[4] = 0x80;
      },
      [&](int) {
        const DoggieActor* j = g_doggieActors[kKindJumperFirst];
        if (j->state == kJumpReleased) before = j->speed;
        if (j->state == kJumpTakeOffHop && after < 0) after = j->speed;
      });
  ASSERT_GT(before, 0);
  EXPECT_EQ(after, static_cast<int>(before * (60 / 4.0) / 16.0));
}

// --- the course -----------------------------------------------------------

TEST_F(DoggieActorTest, PitEdgesLeanByTheirPlaceOnThePicture) {
  struct Case { int x, kept, row; };
  for (const Case& c : std::vector<Case>{{700, 0, 9}, {641, 0, 9}, {640, 0, 8}, {561, 3, 8}, {400, 0, 5},
                                         {100, 0, 2}, {1, 0, 1}, {0, 4, 4}, {-50, 7, 7}}) {
    EXPECT_EQ(PitSliceRowAt(c.x, c.kept), c.row) << c.x;
  }
  struct Slices { int row, count, lean; };
  for (const Slices& s : std::vector<Slices>{{0, 8, -2}, {1, 8, -2}, {2, 4, -2}, {3, 2, -2}, {4, 1, 2},
                                             {5, 1, 2},  {6, 2, 2},  {7, 4, 2},  {8, 8, 2},  {9, 1, 0}, {42, 1, 0}}) {
    EXPECT_EQ(PitSlicesOf(s.row).count, s.count) << s.row;
    EXPECT_EQ(PitSlicesOf(s.row).lean, s.lean) << s.row;
  }
  CreateDoggieCourse(nullptr, false);
  EXPECT_EQ(static_cast<DoggiePitEdge*>(g_doggieActors[52])->sliceRow, 0) << "before its first update";
}

TEST_F(DoggieActorTest, TwoOfTheFiveCloudsKeepTheirShape) {
  CreateDoggieCourse(nullptr, false);
  std::vector<std::vector<int>> frames(5);
  for (int f = 0; f < 60; ++f)
    for (int i = 0; i < 5; ++i) {
      DoggieActor* c = g_doggieActors[kKindCloudFirst + i];
      c->Update();
      frames[i].push_back(c->frame);
    }
  for (int i = 0; i < 5; ++i) {
    bool changed = false;
    for (int f : frames[i]) {
      EXPECT_TRUE(f == doggieassets::kBackCloud || f == doggieassets::kBackCloud + 1);
      changed = changed || f != doggieassets::kBackCloud;
    }
    EXPECT_EQ(changed, i != 1 && i != 3) << "cloud " << i;
  }
}

TEST_F(DoggieActorTest, TheJudgeWalksInMeasuresAndHoldsUpTheBoard) {
  CreateDoggieCourse(nullptr, false);
  auto* judge = static_cast<DoggieJudge*>(g_doggieActors[kKindJudge]);
  ASSERT_NE(judge, nullptr);
  for (int f = 0; f < 20; ++f) judge->Update();
  EXPECT_EQ(judge->x, kJudgeAwayX) << "he waits until he is sent";
  judge->state = kJudgeWalking;
  int walked = 0;
  while (judge->state == kJudgeWalking && walked < 100) {
    judge->Update();
    ++walked;
    if (judge->state != kJudgeWalking) break;
    EXPECT_GE(judge->frame, 1);
    EXPECT_LE(judge->frame, doggieassets::kJudgeWalkLast);
    EXPECT_FALSE(judge->BoardUp());
  }
  EXPECT_EQ(judge->x, 460);
  EXPECT_EQ(walked, 13);
  int measured = 0;
  while (!judge->BoardUp() && measured < 200) {
    judge->Update();
    ++measured;
  }
  EXPECT_EQ(judge->frame, doggieassets::kJudgeBoardFrame);
  EXPECT_EQ(measured, doggieassets::kJudgeBoardFrame - doggieassets::kJudgeWalkLast - 1);
  judge->Update();
  EXPECT_EQ(judge->frame, doggieassets::kJudgeBoardFrame) << "he stays with the board up";
}

TEST_F(DoggieActorTest, AHitDogLeavesAtTheEndOfItsLeap) {
  CreateDoggieCourse(nullptr, false);
  DoggieActor* dog = g_doggieActors[kKindDogFirst + 1];
  DoggieActor* other = g_doggieActors[kKindDogFirst + 2];
  dog->hit = 1;
  for (int f = 0; f < 200; ++f) {
    dog->Update();
    other->Update();
    EXPECT_GE(other->frame, other->firstFrame);
    EXPECT_LE(other->frame, other->lastFrame);
    if (dog->state == kActorFinished) break;
  }
  EXPECT_EQ(dog->state, kActorFinished);
  EXPECT_EQ(dog->frame, dog->firstFrame);
  EXPECT_NE(other->state, kActorFinished);
}

TEST_F(DoggieActorTest, TheStarsTurnTwiceAndTheJumperIsDone) {
  CreateDoggieCourse(nullptr, false);
  g_doggieJumper = 2;
  DoggieActor* j = g_doggieActors[kKindJumperFirst + 2];
  j->state = kJumpLying;
  j->range = 400;
  PutDoggieActor(NewDoggieStars(150, 318));
  DoggieActor* stars = g_doggieActors[kKindStars];
  ASSERT_NE(stars, nullptr);
  int frames = 0;
  while (j->state == kJumpLying && frames < 100) {
    stars->Update();
    ++frames;
  }
  EXPECT_EQ(j->state, kJumpDone);
  EXPECT_EQ(j->range, 0);
  EXPECT_EQ(frames, 18);
}

TEST_F(DoggieActorTest, TheCourseScrollsByTheJumpersStepAndThingsLeave) {
  CreateDoggieCourse(nullptr, false);
  g_doggieJumper = 1;
  DoggieActor* j = g_doggieActors[kKindJumperFirst + 1];
  j->step = 20;
  DoggieActor* cat = g_doggieActors[kKindCat];
  DoggieActor* pit = g_doggieActors[kKindPit1];
  DoggieActor* tile = g_doggieActors[kKindGroundFirst + 2];
  DoggieActor* house = g_doggieActors[kKindHouseFirst + 1];
  const int pitX = pit->x, houseX = house->x;
  for (int f = 0; f < 3; ++f) {
    for (int k = kDoggieActorSlots - 1; k >= 0; --k)
      if (DoggieActor* a = g_doggieActors[k]; a && k != kKindJumperFirst + 1 && a->state != kActorHidden) a->Update();
  }
  EXPECT_EQ(pit->x, pitX - 60);
  EXPECT_EQ(house->x, houseX - 18);
  EXPECT_GE(tile->x, 320 - 160);
  EXPECT_LE(tile->x, 320);
  // The cat has gone off the left after enough of the course.
  j->step = 30;
  for (int f = 0; f < 40; ++f) cat->Update();
  EXPECT_EQ(cat->state, kActorFinished);
}

}  // namespace
