// The skaters and their weapons on a bare rink (no screen): rams, the
// boards, jumps, the two-hit combination, power pills, blows and getting up,
// and thrown weapons, each as a small table or a short scripted run.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>

#include "base/player_records.h"
#include "events/figure_skating/figure_skating_data.h"
#include "events/figure_skating/skating_actors.h"
#include "tests/support/event_harness.h"

namespace {

// Four skaters of the given characters in a table of their own, every
// player a person unless told, no input.
class SkaterTest : public testing::Test {
 protected:
  void SetUp() override {
    std::memcpy(saved_, g_players, sizeof g_players);
    std::memset(g_playerStates, 0, sizeof g_playerStates);
    Make({0, 1, 2, 3});
  }
  void TearDown() override {
    for (SkatingActor*& a : table_) {
      delete a;
      a = nullptr;
    }
    std::memcpy(g_players, saved_, sizeof g_players);
    std::memset(g_playerStates, 0, sizeof g_playerStates);
  }
  void Make(std::array<int, 4> characters, bool human = true) {
    for (SkatingActor*& a : table_) {
      delete a;
      a = nullptr;
    }
    for (int i = 0; i < 4; ++i) {
      g_players[i] = FixturePlayer(characters[i], human, "P");
      table_[i] = new Skater(nullptr, i);
      S(i)->topSpeed = 5;
      // Far apart, out of each other's way.
      S(i)->x = 60 + 130 * i;
      S(i)->y = 60 + 70 * i;
    }
  }
  Skater* S(int i) { return static_cast<Skater*>(table_[i]); }
  void Frame() {
    for (int pass = 0; pass < 2; ++pass)
      for (int i = 0; i < kSkatingActorSlots; ++i) {
        SkatingActor* a = table_[i];
        if (!a) continue;
        pass == 0 ? a->PreUpdate(table_) : a->Update(table_);
        if (table_[i] != a) delete a;
      }
  }
  static void Hold(int player, int byte, bool held) {
    g_playerStates[player][byte] = held ? 0x81 : 0;
  }

  SkatingActor* table_[kSkatingActorSlots] = {};
  PlayerRecord saved_[4];
};

TEST_F(SkaterTest, ARamAtTopSpeedKnocksASkaterFlat) {
  struct Case { int speed; bool victimDown; bool fell; int energyLost; } cases[] = {
      {5, false, true, 20},   // at top speed: flat on the ice
      {4, false, false, 0},   // slower: the rammer only stops
      {5, true, false, 0},    // one already down is not rammed again
  };
  for (const Case& c : cases) {
    Make({0, 1, 2, 3});
    Skater* a = S(0);
    Skater* b = S(1);
    a->x = 200, a->y = 150, a->direction = 3;
    b->x = 222, b->y = 150;
    if (c.victimDown) {
      b->state = kSkDown;
      b->fallStatus = kStaggering;
      b->animLength = 50;
    }
    a->state = kSkGlide;
    a->animLength = 8;
    a->momentum.speed[3] = c.speed;
    Hold(0, 0, true);  // right: keep pushing into it
    const int before = g_players[1].energy;
    a->Update(table_);
    EXPECT_EQ(b->IsLying(), c.fell) << "speed " << c.speed;
    EXPECT_EQ(before - g_players[1].energy, c.energyLost) << "speed " << c.speed;
    EXPECT_LE(a->momentum.speed[3], 1) << "the rammer loses its speed";
  }
}

TEST_F(SkaterTest, TheBoardsStopAPersonAndPunishTheComputer) {
  struct Case { bool human; int speed; bool falls; int energyLost; } cases[] = {
      {true, 5, false, 0},
      {false, 5, true, 20},
      {false, 3, false, 5},
  };
  for (const Case& c : cases) {
    Make({0, 1, 2, 3}, c.human);
    Skater* s = S(0);
    s->x = 523, s->y = 170, s->direction = 3;
    s->momentum.speed[3] = c.speed;
    s->state = kSkGlide;
    s->animLength = 8;
    s->targetX = 300, s->targetY = 170;  // far off: no jump on arrival
    if (c.human) Hold(0, 0, true);
    s->Update(table_);  // glides into the side
    EXPECT_EQ(s->x, 525);
    const int before = g_players[0].energy;
    s->Update(table_);  // and meets it
    EXPECT_EQ(s->IsLying(), c.falls) << "human " << c.human << " speed " << c.speed;
    EXPECT_EQ(before - g_players[0].energy, c.energyLost) << "human " << c.human << " speed " << c.speed;
    if (!c.human) {
      EXPECT_EQ(s->targetX, 262) << "a computer heads for the middle";
      if (!c.falls) {
        EXPECT_EQ(skaterules::LargestSpeed(s->momentum), 0) << "stopped dead";
      }
    }
  }
}

TEST_F(SkaterTest, JumpsScoreBySpeedAndFailNearTheSides) {
  struct Case { int x, energyInAir; bool lands; int score; } cases[] = {
      {260, 80, true, (5 + 1) * 1},  // a kind-8 jump at top speed 5
      {3, 80, false, 0},             // begun within top speed of a side
      {260, 5, false, 0},            // runs out of energy in the air
  };
  for (const Case& c : cases) {
    Make({0, 1, 2, 3});
    Skater* s = S(0);
    s->x = c.x, s->y = 170, s->direction = 3;
    s->momentum.speed[3] = 4;
    g_players[0].energy = 80;
    s->StartJump();
    ASSERT_EQ(s->state, kSkJump);
    ASSERT_EQ(s->jumpKind, 8) << "a bare rink's play clock stands at 0";
    g_players[0].energy = c.energyInAir;
    int frames = 0;
    while (s->state == kSkJump && frames < 40) {
      Hold(0, 0, true);  // right and down: speed in direction 3 up to the top
      Hold(0, 1, true);
      s->Update(table_);
      ++frames;
    }
    EXPECT_EQ(s->state, c.lands ? kSkSteer : kSkDown) << c.x << " " << c.energyInAir;
    EXPECT_EQ(s->score, c.score);
    if (c.lands) {
      EXPECT_EQ(c.energyInAir - g_players[0].energy, frames) << "each jump frame costs 1";
    }
    EXPECT_GE(g_players[0].energy, 0);
  }
  // No jump without 20 energy.
  Make({0, 1, 2, 3});
  g_players[0].energy = 19;
  S(0)->StartJump();
  EXPECT_EQ(S(0)->state, kSkSteer);
}

TEST_F(SkaterTest, AttackHeldInExactlyTwoFramesStrikesTwice) {
  struct Case { int heldFrames; int blows; } cases[] = {{1, 1}, {2, 2}, {3, 1}};
  for (const Case& c : cases) {
    Make({2, 1, 2, 3});
    Skater* a = S(0);
    Skater* b = S(1);
    a->x = 200, a->y = 150, a->direction = 3;
    b->x = 215, b->y = 150;
    g_players[1].endurance = 0;
    int blows = 0, lastEnergy = g_players[1].energy;
    for (int f = 0; f < 60; ++f) {
      Hold(0, 4, f < c.heldFrames);
      Frame();
      if (g_players[1].energy < lastEnergy) ++blows;
      lastEnergy = g_players[1].energy;
      // Keep the victim where it is, on its feet.
      b->x = 215, b->y = 150;
      b->state = kSkSteer, b->fallStatus = kOnFeet;
    }
    EXPECT_EQ(blows, c.blows) << "held in " << c.heldFrames << " frames";
  }
}

TEST_F(SkaterTest, APowerPillDoublesTheStepForItsTime) {
  Skater* s = S(0);
  g_players[0].powerPills = 2;
  g_playerStates[0][8] = 1;  // action 8 selects the pill
  Frame();
  g_playerStates[0][8] = 0;
  EXPECT_EQ(s->selected, kSelPill);
  Hold(0, 4, true);
  Frame();
  Hold(0, 4, false);
  EXPECT_EQ(s->speedMultiplier, 2);
  EXPECT_EQ(g_players[0].powerPills, 1);
  EXPECT_EQ(s->selected, kSelJump) << "the selection moves on to the jump";
  int doubled = 1;
  // A second pill cannot be taken while one acts.
  g_playerStates[0][8] = 1;
  Hold(0, 4, true);
  Frame();
  g_playerStates[0][8] = 0;
  Hold(0, 4, false);
  ++doubled;
  EXPECT_EQ(g_players[0].powerPills, 1);
  // Every step is doubled.
  const int x = s->x;
  s->SkatingActor::Move(3, 4);
  EXPECT_EQ(s->x, x + 8);
  while (s->speedMultiplier == 2 && doubled < 400) {
    Frame();
    if (s->speedMultiplier == 2) ++doubled;
  }
  EXPECT_EQ(doubled, 1 + kPillFrames) << "the frame it is taken and 225 more";
}

TEST_F(SkaterTest, BlowsStaggerOrFellAndTheFallenGetUpAtTen) {
  struct Case { int energy, multiplier, after; } cases[] = {
      {60, 1, 50},  // strength 100 against endurance 50: 10
      {60, 2, 60},  // under a pill m = 2 in both places: nothing taken, nothing given
      {1, 1, 0},    // too weak to stand: flat, and never below 0
      {0, 1, 0},
  };
  for (const Case& c : cases) {
    Make({0, 1, 2, 3});
    Skater* s = S(1);
    g_players[1].energy = c.energy;
    g_players[1].endurance = 50;
    s->speedMultiplier = uint8_t(c.multiplier);
    s->TakeHit(0, 100, table_);
    EXPECT_EQ(g_players[1].energy, c.after) << c.energy << " x" << c.multiplier;
    EXPECT_EQ(s->fallStatus, c.energy < 2 ? kLying : kStaggering);
    EXPECT_EQ(s->state, kSkDown);
    EXPECT_EQ(s->starFrame, 2) << "the play clock stands at 0";
  }
  // Flat with no energy: stays down until it has 10 again, one a 11 frames.
  Make({0, 1, 2, 3});
  Skater* s = S(1);
  g_players[1].energy = 0;
  s->TakeHit(0, 100, table_);
  int frames = 0;
  while (s->fallStatus == kLying && frames < 500) {
    s->Update(table_);
    ++frames;
  }
  EXPECT_EQ(g_players[1].energy, 10);
  EXPECT_GE(frames, 100);
  EXPECT_LE(frames, 112);
  while (s->state == kSkDown && frames < 600) {
    s->Update(table_);
    ++frames;
  }
  EXPECT_EQ(s->fallStatus, kOnFeet);
  EXPECT_EQ(s->state, kSkSteer);
}

TEST_F(SkaterTest, WeaponsFlyOverTheFallenAndStrikeTheFirstOnItsFeet) {
  g_players[0].weaponUnits = 3;
  g_players[2].endurance = 50;
  Skater* t = S(0);
  t->x = 100, t->y = 170, t->direction = 3;
  S(1)->x = 160, S(1)->y = 170;  // lying in the way
  S(1)->state = kSkDown, S(1)->fallStatus = kLying, S(1)->animLength = 500;
  S(2)->x = 250, S(2)->y = 175;  // on its feet further on
  S(3)->x = 400, S(3)->y = 30;
  g_playerStates[0][7] = 1;  // action 7 selects the throw
  Frame();
  g_playerStates[0][7] = 0;
  Hold(0, 4, true);
  bool flew = false;
  int before1 = 0, before2 = 0;
  for (int f = 0; f < 40; ++f) {
    before1 = g_players[1].energy;
    before2 = g_players[2].energy;
    S(2)->regeneration = 0;  // no point of energy back in the frame of the strike
    Frame();
    Hold(0, 4, false);
    bool flying = false;
    for (int i = kFirstWeaponSlot; i < kSkatingActorSlots; ++i) flying = flying || table_[i];
    if (flew && !flying) break;  // the frame of the strike
    flew = flew || flying;
  }
  ASSERT_TRUE(flew);
  EXPECT_EQ(g_players[0].weaponUnits, 2);
  EXPECT_GE(g_players[1].energy, before1) << "over the one lying";
  EXPECT_EQ(g_players[2].energy, before2 - 10) << "RIZAZ's weapon power 100 against endurance 50";
  EXPECT_EQ(S(2)->fallStatus, kStaggering);
}

TEST_F(SkaterTest, AWeaponThatLeavesTheRinkIsRemoved) {
  auto* w = new SkatingProjectile(nullptr, 4, 0, 520, 170, 3);
  table_[4] = w;
  Frame();  // on the ice: flies out
  ASSERT_EQ(table_[4], w);
  EXPECT_EQ(w->x, 535);
  Frame();  // outside at the start of its update: removed
  EXPECT_EQ(table_[4], nullptr);
}

}  // namespace
