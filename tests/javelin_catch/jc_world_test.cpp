// The JAVELIN CATCH field without a screen: catching and picking up, bombs
// and their explosions, thrown weapons, the field's edge, knock-outs, the
// buttons, a full object table, and the computer's choices (it catches
// javelins, runs from bombs and throws only from afar).
#include <gtest/gtest.h>

#include <cstring>

#include "base/player_records.h"
#include "base/random.h"
#include "events/javelin_catch/jc_world.h"
#include "tests/support/event_harness.h"

using namespace jc;

namespace {

constexpr uint8_t kHeld = 0x80;
// State bytes of g_playerStates.
constexpr int kRightByte = 0, kDownByte = 1, kLeftByte = 2, kUpByte = 3, kActionByte = 4;

class JcWorldTest : public testing::Test {
 protected:
  void SetUp() override {
    for (int p = 0; p < 4; ++p) g_players[p] = FixturePlayer(p, true, "P");
    std::memset(g_playerStates, 0, sizeof g_playerStates);
    SeedRandom(5);
  }
  void TearDown() override { std::memset(g_playerStates, 0, sizeof g_playerStates); }

  // Four contestants at their corners; `computers` a bit a player.
  static void Make(JcWorld& w, uint8_t computers = 0) {
    for (int p = 0; p < 4; ++p) {
      w.MakeContestant(p, g_players[p].character, DefaultJcd(g_players[p].character));
      w.objects[p].speed = WalkingSpeed(g_players[p].speed);
    }
    w.computer = computers;
  }
  static void Frame(JcWorld& w, int n = 1) {
    for (int i = 0; i < n; ++i) {
      ++w.frameCounter;
      w.StepObjects();
    }
  }
  static void Place(JcWorld& w, int p, int32_t x, int32_t y) {
    w.objects[p].x = x;
    w.objects[p].y = y;
  }
};

}  // namespace

TEST_F(JcWorldTest, ACatchCountsWhenTheJavelinIsLowEnough) {
  JcWorld w;
  Make(w);
  Place(w, 0, 100, 100);
  w.PutFalling(8, kJavelin, 105, 100);
  // Low enough from the 54th fall (height 22): caught in the next frame.
  Frame(w, 54);
  EXPECT_EQ(w.objects[8].z, 400 - 54 * 7);
  EXPECT_EQ(w.contestant[0].score, 0);
  Frame(w);
  EXPECT_EQ(w.contestant[0].score, 1);
  EXPECT_EQ(w.objects[8].cls, kEmpty);
  EXPECT_EQ(w.objects[0].state, kCatching);
  // The catch animation plays out and the contestant stands again.
  Frame(w, 10);
  EXPECT_EQ(w.objects[0].state, kStanding);
}

TEST_F(JcWorldTest, WhatLiesOnTheGroundCanStillBePickedUp) {
  JcWorld w;
  Make(w);
  Place(w, 0, 100, 100);
  g_players[0].energy = 50;
  const int32_t money = g_players[0].money, units = g_players[0].weaponUnits;
  w.PutFalling(8, kJavelin, 300, 300);
  w.PutFalling(9, kJuice, 200, 100);
  w.PutFalling(10, kAmmunition, 100, 250);
  w.PutFalling(11, kMoney, 400, 100);
  Frame(w, 80);
  for (int s = 8; s < 12; ++s) {
    EXPECT_EQ(w.objects[s].cls, kFalling) << s;
    EXPECT_EQ(w.objects[s].z, 1) << s;  // lying, for the rest of the event
  }
  const struct {
    int slot;
    int32_t x, y;
  } visits[] = {{8, 310, 300}, {9, 190, 110}, {10, 100, 240}, {11, 420, 100}};
  for (const auto& v : visits) {
    Place(w, 0, v.x, v.y);
    Frame(w, 12);
    EXPECT_EQ(w.objects[v.slot].cls, kEmpty) << v.slot;
  }
  EXPECT_EQ(w.contestant[0].score, 1);
  EXPECT_GE(g_players[0].energy, 60);
  EXPECT_EQ(g_players[0].weaponUnits, units + 10);
  EXPECT_EQ(g_players[0].money, money + 1000);
  // Juice never fills above 100.
  g_players[0].energy = 95;
  w.PutFalling(12, kJuice, 420, 100);
  Frame(w, 60);
  EXPECT_EQ(g_players[0].energy, 100);
}

TEST_F(JcWorldTest, ABombCaughtInTheHandsExplodesThere) {
  JcWorld w;
  Make(w);
  Place(w, 0, 100, 100);
  g_players[0].energy = 100;
  w.PutFalling(8, kBomb, 105, 100);
  Frame(w, 55);
  ASSERT_EQ(w.objects[8].cls, kExplosion);
  // 5 units off, squared distance 25: 29 lost (a point may come back as he reels).
  EXPECT_NEAR(g_players[0].energy, 100 - 29, 1);
  EXPECT_EQ(w.objects[0].state, kReeling);
  EXPECT_EQ(w.objects[0].bombHit, 1);
  EXPECT_EQ(w.contestant[0].score, 0);
}

TEST_F(JcWorldTest, ExplosionsHurtBySquaredDistanceOnce) {
  const struct {
    int32_t dx, loss;
  } cases[] = {{0, 30}, {70, 3}, {71, 0}, {40, 18}};
  for (const auto& c : cases) {
    JcWorld w;
    Make(w);
    Place(w, 0, 200, 200);
    g_players[0].energy = 100;
    w.PutExplosion(20, 200 + c.dx, 200);
    EXPECT_EQ(g_players[0].energy, 100 - c.loss) << c.dx;
    EXPECT_EQ(w.objects[0].state, c.loss ? kReeling : kStanding) << c.dx;
    // The explosion burns on and goes, hurting nobody again.
    int frames = 0;
    while (w.objects[20].cls == kExplosion && frames < 200) {
      Frame(w);
      ++frames;
    }
    EXPECT_EQ(frames, 15 + 4 * 14) << c.dx;
    EXPECT_GE(g_players[0].energy, 100 - c.loss) << c.dx;
  }
  // Energy never drops below nothing.
  JcWorld w;
  Make(w);
  Place(w, 0, 200, 200);
  g_players[0].energy = 10;
  w.PutExplosion(20, 200, 200);
  EXPECT_EQ(g_players[0].energy, 0);
}

TEST_F(JcWorldTest, ALandingBombExplodesInItsOwnSlot) {
  JcWorld w;
  Make(w);
  w.PutFalling(30, kBomb, 300, 200);
  Frame(w, 57);
  EXPECT_EQ(w.objects[30].cls, kFalling);
  EXPECT_EQ(w.objects[30].z, 1);
  Frame(w);
  EXPECT_EQ(w.objects[30].cls, kExplosion);
  EXPECT_EQ(w.objects[30].type, kTypeBlast);
}

TEST_F(JcWorldTest, AWeaponHitsTheFirstRivalStandingNotItsThrowerNorOneLying) {
  JcWorld w;
  Make(w);
  for (int p = 0; p < 4; ++p) Place(w, p, 200 + 5 * p, 200);
  w.objects[1].reaction = kKnockedOut;
  w.objects[1].state = kReeling;
  g_players[2].energy = g_players[3].energy = 100;
  w.PutWeapon(4, 0, 205, 200, 3, 20, 20);
  w.objects[0].weaponInFlight = 1;
  w.Interact(4);
  EXPECT_EQ(w.objects[4].cls, kEmpty);
  EXPECT_EQ(w.objects[0].weaponInFlight, 0);
  EXPECT_LT(g_players[2].energy, 100);
  EXPECT_EQ(w.objects[2].state, kReeling);
  EXPECT_EQ(g_players[3].energy, 100);
}

TEST_F(JcWorldTest, AWeaponLeavesTheFieldShortOfItsFarEdge) {
  JcWorld w;
  Make(w);
  w.PutWeapon(5, 1, 100, 335, 1, 20, 20);
  w.objects[1].weaponInFlight = 1;
  Frame(w);
  EXPECT_EQ(w.objects[5].cls, kWeapon);
  EXPECT_EQ(w.objects[5].y, 350);  // past where contestants may walk, unclamped
  Frame(w);
  EXPECT_EQ(w.objects[5].cls, kEmpty);
  EXPECT_EQ(w.objects[1].weaponInFlight, 0);
}

TEST_F(JcWorldTest, ContestantsStopAtTheEdgeWithABounceTurn) {
  JcWorld w;
  Make(w);
  Place(w, 0, 1, 100);
  g_playerStates[0][kLeftByte] = kHeld;  // screen left: -x -y
  Frame(w);
  EXPECT_EQ(w.objects[0].x, 0);
  EXPECT_EQ(w.objects[0].y, 100);
  EXPECT_EQ(w.objects[0].bounce, 4);
  for (int i = 0; i < 200; ++i) {
    Frame(w);
    for (int p = 0; p < 4; ++p) {
      ASSERT_GE(w.objects[p].x, 0);
      ASSERT_LE(w.objects[p].x, kFieldMaxX);
      ASSERT_GE(w.objects[p].y, 0);
      ASSERT_LE(w.objects[p].y, kFieldMaxY);
    }
  }
}

TEST_F(JcWorldTest, AKnockedOutContestantLiesUntilHisEnergyIsBackAboveNine) {
  JcWorld w;
  Make(w);
  Place(w, 0, 200, 200);
  g_players[0].energy = 1;
  w.TakeHit(0, 1, 50);
  EXPECT_EQ(w.objects[0].reaction, kKnockedOut);
  EXPECT_EQ(g_players[0].energy, 0);
  int frames = 0;
  while (w.objects[0].reaction == kKnockedOut && frames < 1000) {
    Frame(w);
    ++frames;
    if (w.objects[0].reaction == kKnockedOut) {
      ASSERT_LE(g_players[0].energy, 10);
    }
  }
  EXPECT_EQ(w.objects[0].reaction, kGettingUp);
  EXPECT_GE(frames, 16 * 10);
  Frame(w, 20);
  EXPECT_EQ(w.objects[0].state, kStanding);
  EXPECT_EQ(w.objects[0].reaction, kNoReaction);
}

TEST_F(JcWorldTest, ThePunchOfAHeldButtonAndTheWeaponModeWithoutUnits) {
  JcWorld w;
  Make(w);
  Place(w, 0, 200, 200);
  Place(w, 1, 215, 200);  // in reach to the +x side
  w.objects[0].direction = 3;
  g_players[1].energy = 100;
  g_playerStates[0][kActionByte] = kHeld | 1;
  Frame(w);
  g_playerStates[0][kActionByte] = 0;
  EXPECT_EQ(w.objects[0].state, kActing);
  Frame(w, 10);
  EXPECT_LT(g_players[1].energy, 100);
  EXPECT_GT(w.objects[1].x, 215);  // pushed away

  // Weapon mode and no units: the held button does nothing, and nothing is
  // caught while it is held.
  JcWorld v;
  Make(v);
  Place(v, 0, 100, 100);
  v.objects[0].mode = kModeWeapon;
  g_players[0].weaponUnits = 0;
  v.PutFalling(8, kJavelin, 100, 110);
  g_playerStates[0][kActionByte] = kHeld;
  Frame(v, 70);
  EXPECT_EQ(v.contestant[0].score, 0);
  EXPECT_EQ(v.objects[0].state, kStanding);
  g_playerStates[0][kActionByte] = 0;
  Frame(v);
  EXPECT_EQ(v.contestant[0].score, 1);
  // The mode button walks the modes: weapon -> pill -> hand -> (no units) pill.
  const int32_t want[] = {kModePill, kModeHand, kModePill};
  for (int32_t m : want) {
    g_playerStates[0][5] = 1;
    Frame(v);
    g_playerStates[0][5] = 0;
    EXPECT_EQ(v.objects[0].mode, m);
  }
}

TEST_F(JcWorldTest, APersonSlidesPastALyingRivalButStopsAtAStandingOne) {
  for (bool lying : {true, false}) {
    JcWorld w;
    Make(w);
    Place(w, 0, 200, 200);
    Place(w, 1, 225, 225);
    w.objects[0].speed = 5;
    if (lying) {
      w.objects[1].reaction = kKnockedOut;
      w.objects[1].state = kReeling;
      w.objects[1].frames = 1000;  // he stays down
    }
    g_playerStates[0][kRightByte] = kHeld;  // screen right: +x +y, straight at him
    Frame(w);
    const bool moved = w.objects[0].x != 200 || w.objects[0].y != 200;
    EXPECT_EQ(moved, lying) << (lying ? "went round him" : "stopped in front of him");
    if (lying) EXPECT_NE(w.objects[0].direction, 2);
    std::memset(g_playerStates, 0, sizeof g_playerStates);
  }
}

TEST_F(JcWorldTest, AFullTableSkipsTheShotWithoutDrawingRandomNumbers) {
  JcWorld w;
  Make(w);
  for (int s = kFirstFallingSlot; s < kSlots - 2; ++s) w.PutFalling(s, kJavelin, 10, 10);
  EXPECT_EQ(w.SpawnFallingObject(), kSlots - 2);
  EXPECT_EQ(w.SpawnFallingObject(), kSlots - 1);
  const uint32_t before = RandomState();
  EXPECT_EQ(w.SpawnFallingObject(), -1);
  EXPECT_EQ(RandomState(), before);
  // The cannon still turns over its salvos.
  for (int i = 0; i < 200; ++i) w.StepCannon();
  EXPECT_EQ(RandomState(), before);
}

TEST_F(JcWorldTest, TheComputerWaitsRunsFromBombsAndForgetsItsTarget) {
  JcWorld w;
  Make(w, 0x1);
  Place(w, 0, 200, 200);
  w.objects[0].computerTarget = 3;
  EXPECT_EQ(w.ChooseDirection(0), kNoDirection);  // nothing falls
  EXPECT_EQ(w.objects[0].computerTarget, 0);

  const struct {
    int kind;
    int32_t x, y;
    int dir;
    bool flees;
  } cases[] = {
      {kBomb, 230, 200, 7, true},       // 30 units: away from it
      {kBomb, 300, 200, 3, false},      // far: towards it, until 40 units
      {kJavelin, 300, 200, 3, false},
      {kJavelin, 210, 205, kNoDirection, false},  // under it: wait
      {kMoney, 200, 100, 5, false},
  };
  for (const auto& c : cases) {
    JcWorld v;
    Make(v, 0x1);
    Place(v, 0, 200, 200);
    v.objects[0].computerTarget = 9;  // no throws now
    v.PutFalling(8, c.kind, c.x, c.y);
    EXPECT_EQ(v.ChooseDirection(0), c.dir) << c.kind << " at " << c.x << "," << c.y;
    EXPECT_EQ(v.objects[0].flee != 0, c.flees);
  }
}

TEST_F(JcWorldTest, TheComputerThrowsOnlyFromAfar) {
  int farThrows = 0;
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    for (int32_t cx : {330, 420}) {
      SeedRandom(seed * 2654435761u);
      JcWorld w;
      Make(w, 0x1);
      Place(w, 0, cx, 300);
      Place(w, 1, 300, 300);
      Place(w, 2, 10, 10);
      Place(w, 3, 10, 20);
      w.PutFalling(8, kJavelin, 310, 300);
      w.ChooseDirection(0);
      const bool threw = w.objects[0].computerTarget == 2;
      if (cx == 330) {
        EXPECT_FALSE(threw) << "seed " << seed;  // within 70 units of him
      }
      if (threw) {
        ++farThrows;
        EXPECT_EQ(w.objects[0].mode, kModeWeapon);
        EXPECT_EQ(w.contestant[0].computerAction, kHeld);
      }
    }
  }
  EXPECT_GT(farThrows, 3);  // a toss of a coin each time
}

TEST_F(JcWorldTest, ComputersCatchJavelinsOverManySeeds) {
  int seedsWithCatches = 0, total = 0;
  for (uint32_t seed = 1; seed <= 8; ++seed) {
    SeedRandom(seed);
    for (int p = 0; p < 4; ++p) g_players[p] = FixturePlayer((p + seed) % 6, false, "CPU");
    JcWorld w;
    Make(w, 0xF);
    int catches = 0;
    for (int f = 2; f <= kLastPlayFrame; ++f) {
      w.frameCounter = f;
      w.PlayFrame();
      for (int p = 0; p < 4; ++p) {
        ASSERT_GE(g_players[p].energy, 0);
        ASSERT_LE(g_players[p].energy, 100);
        ASSERT_GE(g_players[p].weaponUnits, 0);
      }
    }
    for (int p = 0; p < 4; ++p) catches += w.contestant[p].score;
    total += catches;
    seedsWithCatches += catches > 0 ? 1 : 0;
  }
  EXPECT_GE(seedsWithCatches, 7);
  EXPECT_GT(total, 8);
}
