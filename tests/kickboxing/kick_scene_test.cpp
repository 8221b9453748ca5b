// The PLATFORM KICKBOXING scene without a screen: ground and collision, the
// pillars and what they do to the fighters on them, the attack chain and its
// points, falls and their scores, power pills, thrown weapons, sparks and
// dust, a full effect table, the computer's choices and the draw order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "base/player_records.h"
#include "base/random.h"
#include "events/kickboxing/kick_actors.h"
#include "events/kickboxing/kick_fighter.h"
#include "events/kickboxing/kick_scene.h"
#include "tests/support/event_harness.h"

using namespace kick;

namespace {

constexpr uint8_t kHeld = 0x80;
// Input-state bytes (as exchanged): 0 right, 1 down, 2 left, 3 up, 4 action.
constexpr int kRightByte = 0, kDownByte = 1, kLeftByte = 2, kUpByte = 3, kActionByte = 4;

class KickSceneTest : public testing::Test {
 protected:
  void SetUp() override {
    SeedRandom(11);
    auto players = ComputerFixtures();
    std::memcpy(g_players, players.data(), sizeof g_players);
    std::memset(g_playerStates, 0, sizeof g_playerStates);
    scene.MakePillars();
    scene.MakeFighters();
  }
  void TearDown() override { scene.DeleteActors(); }

  KickboxingFighter& F(int i) { return *scene.Fighter(i); }
  KickboxingPillar& P(int cell) { return *scene.Pillar(cell); }
  // A person who does nothing unless the test says so.
  void Person(int i) { g_players[i].human = 1; }
  void Put(int i, float x, float y, int facing = 0) {
    F(i).x = x;
    F(i).y = y;
    F(i).facing = static_cast<uint8_t>(facing);
    F(i).Project();
  }
  // The others far off in their corners, people who do nothing.
  void OthersAside(int except) {
    for (int i = 0; i < 4; ++i)
      if (i != except) Person(i);
  }
  void RaisePillar(int cell, float z, int slot = 0) {
    scene.pillarSlots[slot] = cell;
    P(cell).z = z;
    P(cell).state = z > 0 ? kPillarStanding : kPillarDown;
  }
  void Frame() {
    ++scene.playFrame;
    scene.UpdateActors();
  }
  void Hold(int i, std::initializer_list<int> bytes) {
    std::memset(g_playerStates[i], 0, kPlayerStateSize);
    for (int b : bytes) g_playerStates[i][b] = kHeld | 1;
  }
  int EffectCount(int kind) const {
    int n = 0;
    for (int s = kEffectSlotFirst; s < kActorSlots; ++s) n += (scene.actors[s] && scene.actors[s]->kind == kind) ? 1 : 0;
    return n;
  }

  KickboxingScene scene;
};

TEST_F(KickSceneTest, GroundAtTheEdgeAndBelowIt) {
  RaisePillar(9, 50);
  EXPECT_FLOAT_EQ(scene.GroundHeightAt(378.55f, 10), 50);  // the edge reads column 9
  EXPECT_FLOAT_EQ(scene.GroundHeightAt(378.56f, 10), kBottom);
  EXPECT_FLOAT_EQ(scene.GroundHeightAt(-0.01f, 10), kBottom);
  EXPECT_FLOAT_EQ(scene.GroundHeightAt(0, 0), 0);
  EXPECT_FLOAT_EQ(scene.GroundHeightAt(360, 30), 50);
}

TEST_F(KickSceneTest, CollisionWithPillarsByHeightAndWithFighters) {
  const float cx = CellCentreX(45), cy = CellCentreY(45);
  Put(0, cx - 25, cy);  // its square overlaps the pillar's
  const struct {
    float pillarZ;
    bool inSlot;
    float fighterZ;
    int want;
  } cases[] = {{20, true, 0, 45},  {12, true, 0, -1}, {13, true, 0, 45}, {20, false, 0, -1},
               {100, true, 90, -1}, {100, true, 80, 45}, {20, true, -1, -1}};
  for (const auto& c : cases) {
    RaisePillar(45, c.pillarZ);
    if (!c.inSlot) scene.pillarSlots[0] = -1;
    F(0).z = c.fighterZ;
    EXPECT_EQ(scene.Collide(kFighterSlot, 1), c.want) << c.pillarZ << " " << c.inSlot << " " << c.fighterZ;
  }
  // Fighters meet square to square, whatever their heights; below the
  // floor's level nothing is met when pillars are asked for too.
  RaisePillar(45, 0);
  F(0).z = 0;
  Put(1, cx - 25 + 19, cy + 5);
  F(1).z = 300;
  EXPECT_EQ(scene.Collide(kFighterSlot, 3), kFighterSlot + 1);
  EXPECT_EQ(scene.Collide(kFighterSlot, 2), kFighterSlot + 1);
  Put(1, cx - 25 + 20.5f, cy);
  EXPECT_EQ(scene.Collide(kFighterSlot, 2), -1);
  Put(1, cx - 25 + 10, cy);
  F(0).z = -0.5f;
  EXPECT_EQ(scene.Collide(kFighterSlot, 3), -1);
  EXPECT_EQ(scene.Collide(kFighterSlot, 2), kFighterSlot + 1);
  // Off the platform nothing is met at all.
  Put(0, -5, cy);
  Put(1, -6, cy);
  F(0).z = 0;
  EXPECT_EQ(scene.Collide(kFighterSlot, 3), -1);
}

TEST_F(KickSceneTest, AFighterRidesAPillarUpAndDown) {
  OthersAside(0);
  Person(0);
  const int cell = 44;
  Put(0, CellCentreX(cell), CellCentreY(cell));
  scene.pillarSlots[0] = cell;
  P(cell).state = kPillarRising;
  for (int f = 0; f < 60; ++f) {
    Frame();
    EXPECT_FLOAT_EQ(F(0).z, P(cell).z) << f;
  }
  EXPECT_EQ(P(cell).state, kPillarStanding);
  EXPECT_FLOAT_EQ(F(0).z, 100);
  EXPECT_EQ(F(0).standingCell, cell);
  P(cell).state = kPillarSinking;
  for (int f = 0; f < 60; ++f) {
    Frame();
    EXPECT_FLOAT_EQ(F(0).z, P(cell).z) << f;
  }
  EXPECT_EQ(P(cell).state, kPillarDown);
  EXPECT_FLOAT_EQ(F(0).z, 0);
}

TEST_F(KickSceneTest, AHighPillarBlocksALowStepIsClimbed) {
  OthersAside(0);
  Person(0);
  const float y = CellCentreY(44);
  for (float height : {13.0f, 12.0f}) {
    SCOPED_TRACE(height);
    Put(0, CellCentreX(44) - 10, y, 0);
    F(0).z = 0;
    F(0).state = kStanding;
    RaisePillar(45, height);
    Hold(0, {kRightByte, kDownByte});  // +x on the platform
    for (int f = 0; f < 20; ++f) Frame();
    if (height > 12) {
      // Stopped at the pillar's side: the squares meet no further.
      EXPECT_LT(F(0).x, CellCentreX(45) - kPillarRadius - kFighterRadius + 8);
      EXPECT_FLOAT_EQ(F(0).z, 0);
    } else {
      EXPECT_GT(F(0).x, CellCentreX(45) - kPillarRadius);
      EXPECT_FLOAT_EQ(F(0).z, height);
    }
  }
}

TEST_F(KickSceneTest, HoldingTheActionChainsPunchKickSpecial) {
  OthersAside(0);
  Person(0);
  g_players[0] = FixturePlayer(2, true, "ZARU");   // strength 60
  g_players[1] = FixturePlayer(1, true, "VUDA");   // endurance 40, energy 50
  scene.DeleteActors();
  scene.MakePillars();
  scene.MakeFighters();
  OthersAside(0);
  Put(0, 100, 100, 0);
  Put(1, 120, 100, 4);
  std::vector<int> attacks;
  int victimStates = 0;
  Hold(0, {kActionByte});
  for (int f = 0; f < 40; ++f) {
    const int before = F(0).state;
    Frame();
    if (F(0).state != before && F(0).state >= kPunch && F(0).state <= kSpecial) attacks.push_back(F(0).state);
    victimStates |= 1 << F(1).state;
  }
  ASSERT_GE(attacks.size(), 4u);
  EXPECT_EQ(attacks[0], kPunch);
  EXPECT_EQ(attacks[1], kKick);
  EXPECT_EQ(attacks[2], kSpecial);
  EXPECT_EQ(attacks[3], kPunch);
  // 5 for the punch, 10 for the kick, 20 for the special, which knocks the
  // victim flying; the punch after it finds nobody.
  EXPECT_EQ(F(0).score, 35);
  EXPECT_TRUE(victimStates & (1 << kHit));
  EXPECT_TRUE(victimStates & (1 << kHitHard));
  EXPECT_TRUE(victimStates & (1 << kKnocked));
  EXPECT_EQ(F(1).lastHitter, kFighterSlot);
  EXPECT_GT(F(1).x, 120 + 30);  // thrown along the attacker's facing
  const float damage = MeleeDamage(60, 40, 1, false);
  EXPECT_NEAR(F(1).energy, 50 - 4 * damage, 3.0);  // two blows and a double one, less what came back
  // Waiting between blows starts the chain again.
  F(0).Project();
  std::memset(g_playerStates[0], 0, kPlayerStateSize);
  for (int f = 0; f < 20; ++f) Frame();
  Hold(0, {kActionByte});
  Frame();
  EXPECT_EQ(F(0).state, kPunch);
}

TEST_F(KickSceneTest, MeleeReachesLevelOrHigherVictimsOnly) {
  Put(0, 100, 100, 0);
  const struct {
    float dx, dz;
    int want;
  } cases[] = {{20, 0, 1}, {20, -1, -1}, {20, 49, 1}, {20, 50, -1}, {39.5f, 0, 1}, {40, 0, -1}, {-20, 0, -1}};
  for (const auto& c : cases) {
    Put(1, 100 + c.dx, 100);
    F(1).z = F(0).z + c.dz;
    EXPECT_EQ(F(0).FindMeleeTarget(), c.want) << c.dx << " " << c.dz;
  }
  Put(1, 120, 100);
  F(1).z = 0;
  F(1).state = kKnocked;
  EXPECT_EQ(F(0).FindMeleeTarget(), -1);  // a fighter lying down is not hit again
}

TEST_F(KickSceneTest, FallsScoreByTheOrderOfReachingTheBottom) {
  for (int i = 0; i < 4; ++i) Person(i);
  // Fighters 0 and 1 walk off the left and the back edge together; 2 waits
  // until 0 has reached the bottom, then walks off the front edge.
  Put(0, 3, 150, 4);
  Put(1, 150, 376, 2);
  Put(2, 376, 150, 0);
  Hold(0, {kLeftByte, kUpByte});
  Hold(1, {kRightByte, kUpByte});
  int framesToBottom = 0;
  for (int f = 0; f < 60 && F(0).z > kBottom; ++f, ++framesToBottom) Frame();
  EXPECT_FLOAT_EQ(F(0).z, kBottom);
  EXPECT_EQ(F(0).score, -400);
  EXPECT_EQ(F(1).score, -400);  // started falling before 0 was down
  Hold(2, {kRightByte, kDownByte});
  for (int f = 0; f < 40; ++f) Frame();
  EXPECT_EQ(F(2).score, -200);  // two were down already
  EXPECT_FLOAT_EQ(F(2).z, kBottom);
  EXPECT_EQ(F(3).score, 0);
  // Down there a fighter takes no input and idles.
  Hold(0, {kRightByte, kActionByte});
  Frame();
  EXPECT_EQ(F(0).state, kIdle);
  EXPECT_TRUE(scene.CrowdQuiet() == (scene.playFrame >= scene.crowdQuietFrame));
}

TEST_F(KickSceneTest, KnockingSomeoneOffTheEdgeScoresEveryFrameOfHisFall) {
  for (int i = 0; i < 4; ++i) Person(i);
  F(0).score = 10;
  Put(1, 6, 150, 0);
  F(1).score = 25;  // lost whatever he had
  KickboxingFighter& v = F(1);
  v.pending.state = kKnocked;
  v.pending.x = v.x;
  v.pending.y = v.y;
  v.pending.facing = 0;
  v.pending.flightDirection = 4;  // -x: off the edge
  v.pending.flightSpeed = 8;
  v.lastHitter = kFighterSlot;
  for (int f = 0; f < 60; ++f) Frame();
  EXPECT_FLOAT_EQ(v.z, kBottom);
  EXPECT_EQ(v.score, -400);
  // 165 at 12 a frame: 14 frames of falling, 5 points each.
  EXPECT_EQ(F(0).score, 10 + 14 * kFallPushPoints);
}

TEST_F(KickSceneTest, APowerPillWhileOneWorksIsNotUsed) {
  OthersAside(0);
  Person(0);
  g_players[0].powerPills = 2;
  std::memset(g_playerStates[0], 0, kPlayerStateSize);
  g_playerStates[0][8] = 1;  // choose the pill
  Frame();
  EXPECT_EQ(F(0).item, kPill);
  Hold(0, {kActionByte});
  Frame();
  EXPECT_EQ(F(0).powerLevel, 2);
  EXPECT_EQ(g_players[0].powerPills, 1);
  for (int f = 0; f < 30; ++f) Frame();
  EXPECT_EQ(F(0).powerLevel, 2);
  EXPECT_EQ(g_players[0].powerPills, 1);
  // It wears off after 240 frames.
  std::memset(g_playerStates[0], 0, kPlayerStateSize);
  for (int f = 0; f < 240; ++f) Frame();
  EXPECT_EQ(F(0).powerLevel, 1);
}

class KickWeaponTest : public KickSceneTest {
 protected:
  KickboxingWeapon* Throw(int player, float x, float y, float z, int facing) {
    const int s = scene.FindFreeActorSlot();
    auto* w = new KickboxingWeapon(&scene, s, player, g_players[player].character);
    w->x = x;
    w->y = y;
    w->z = z;
    w->facing = static_cast<uint8_t>(facing);
    return w;
  }
  int Weapons() const { return EffectCount(kKindWeapon); }
};

TEST_F(KickWeaponTest, AWeaponOffThePlatformFliesOnToItsEnd) {
  for (int i = 0; i < 4; ++i) Person(i);
  Throw(0, -20, 200, 0, 4);
  int frames = 0;
  while (Weapons() > 0 && frames < 100) {
    Frame();
    ++frames;
  }
  EXPECT_EQ(frames, 41);
}

TEST_F(KickWeaponTest, WhatAWeaponHitsAndWhatItPasses) {
  for (int i = 0; i < 4; ++i) Person(i);
  Put(0, 100, 200, 0);
  Put(1, 160, 200, 4);
  Put(2, 220, 200, 4);
  F(1).state = kKnocked;  // lying: flown over
  F(1).step = 15;
  F(1).energy = 5;
  Throw(0, 100, 200, 0, 0);  // from the thrower's own square
  // ZOVI's ship starts high above, comes down for six frames, flies on, and
  // still hits: the fighters' test does not ask for heights.
  Throw(0, 110, 200, 250, 0)->character = 5;
  for (int f = 0; f < 16; ++f) Frame();
  EXPECT_EQ(F(1).score, 0);
  EXPECT_EQ(F(1).lastHitter, -1);
  EXPECT_EQ(F(0).score, 2 * kWeaponPoints);  // both hit fighter 2
  EXPECT_EQ(F(2).lastHitter, kFighterSlot);
  EXPECT_EQ(Weapons(), 0);
  // Below the floor's level it meets nobody; a raised pillar stops it.
  Throw(0, 200, 200, -1, 0);
  Frame();
  EXPECT_EQ(F(2).lastHitter, kFighterSlot);
  EXPECT_EQ(F(0).score, 2 * kWeaponPoints);
  scene.DeleteActors();
  scene.MakePillars();
  scene.MakeFighters();
  for (int i = 0; i < 4; ++i) Person(i);
  RaisePillar(77, 100);
  Throw(0, CellCentreX(77) - 40, CellCentreY(77), 50, 0);
  Frame();
  EXPECT_EQ(Weapons(), 1);
  Frame();
  EXPECT_EQ(Weapons(), 0);
  // A weapon that empties the victim knocks him flying for 15.
  Put(3, 300, 100, 4);
  F(3).energy = 1;
  Throw(0, 270, 100, 0, 0);
  for (int f = 0; f < 3; ++f) Frame();
  EXPECT_EQ(F(0).score, kWeaponKnockOutPoints);
  EXPECT_EQ(F(3).state, kKnocked);
  EXPECT_LE(F(3).energy, 0);
}

TEST_F(KickSceneTest, AFullEffectTableMakesNoSparksAndNoWeapon) {
  for (int i = 0; i < 4; ++i) Person(i);
  for (int s = kEffectSlotFirst; s < kActorSlots; ++s) new KickboxingDustCloud(&scene, s);
  EXPECT_EQ(scene.FindFreeActorSlot(), -1);
  scene.SpawnHitSparks(100, 100, 50);
  EXPECT_EQ(EffectCount(kKindSpark), 0);
  // The throw still costs its unit.
  g_players[0].weaponUnits = 3;
  F(0).item = kWeapon;
  F(0).StartAction();
  EXPECT_EQ(F(0).state, kThrowing);
  EXPECT_EQ(g_players[0].weaponUnits, 2);
  for (int s = kEffectSlotFirst; s < kActorSlots; ++s) scene.actors[s]->step = 0;
  for (int f = 0; f < kReleaseStep[0] + 1; ++f) {
    for (int s = kEffectSlotFirst; s < kActorSlots; ++s)
      if (scene.actors[s]) scene.actors[s]->step = 0;  // the clouds stay
    F(0).Update();
  }
  EXPECT_EQ(EffectCount(kKindWeapon), 0);
}

TEST_F(KickSceneTest, SparksAndDustLiveFiveFrames) {
  for (int i = 0; i < 4; ++i) Person(i);
  scene.SpawnHitSparks(100, 100, 50);
  ASSERT_EQ(EffectCount(kKindSpark), 2);
  const auto* a = static_cast<KickboxingHitSpark*>(scene.actors[kEffectSlotFirst]);
  const auto* b = static_cast<KickboxingHitSpark*>(scene.actors[kEffectSlotFirst + 1]);
  EXPECT_LE(a->vx, -2);
  EXPECT_GE(b->vx, 2);
  EXPECT_EQ(a->vy, a->vx);
  EXPECT_GE(a->frame, 10);
  EXPECT_LE(a->frame, 13);
  new KickboxingDustCloud(&scene, scene.FindFreeActorSlot());
  for (int f = 0; f < 5; ++f) Frame();
  EXPECT_EQ(EffectCount(kKindSpark), 2);
  EXPECT_EQ(EffectCount(kKindDust), 1);
  Frame();
  EXPECT_EQ(EffectCount(kKindSpark) + EffectCount(kKindDust), 0);
}

TEST_F(KickSceneTest, AWornOutComputerOnlyWanders) {
  OthersAside(0);
  g_players[0].human = 0;
  F(0).energy = static_cast<float>(g_players[0].energy / 4) - 2;
  for (int f = 0; f < 30; ++f) {
    Frame();
    EXPECT_LT(F(0).target, 0) << f;
  }
  // Fit again, it picks someone to chase once it has planned anew.
  F(0).energy = 100;
  F(0).plan = -1;
  F(0).target = 0;
  Frame();
  EXPECT_GE(F(0).target, 1);
}

TEST_F(KickSceneTest, PillarCyclingKeepsItsRulesAndAlwaysReturns) {
  // A long run of the computer fighters among rising and sinking pillars:
  // never more than eight pillars off the floor, none near another.
  int raisedAtOnce = 0;
  for (int f = 0; f < 6000; ++f) {
    scene.CyclePillars();
    Frame();
    uint8_t states[kCells];
    int raised = 0;
    for (int c = 0; c < kCells; ++c) {
      states[c] = P(c).state;
      raised += states[c] != kPillarDown ? 1 : 0;
    }
    raisedAtOnce = std::max(raisedAtOnce, raised);
    ASSERT_LE(raised, kPillarSlotCount);
    for (int c = 0; c < kCells; ++c) {
      if (states[c] == kPillarDown) continue;
      uint8_t others[kCells];
      std::memcpy(others, states, sizeof others);
      others[c] = kPillarDown;
      ASSERT_TRUE(CellMayRise(c, others)) << "pillar " << c << " too near another at frame " << f;
    }
  }
  EXPECT_GE(raisedAtOnce, 2);
  // With no cell to offer, a free slot gives up for the frame.
  for (int c = 0; c < kCells; ++c) P(c).state = kPillarRising;
  for (int32_t& s : scene.pillarSlots) s = -1;
  for (int f = 0; f < 2000; ++f) scene.CyclePillars();
  for (int32_t s : scene.pillarSlots) EXPECT_EQ(s, -1);
}

TEST_F(KickSceneTest, DrawListsByEdgeAndDepthAndPillarsUnderTheirFighters) {
  Put(0, -20, 100);   // beyond the left edge: behind the platform
  Put(1, 100, 400);   // beyond the back edge: behind
  Put(2, 390, 100);   // beyond the front edge: in front
  Put(3, 200, 200);
  RaisePillar(55, 100);
  P(55).Project();
  // A fighter on the pillar's back half: his floor point lies behind the
  // pillar's, yet he stands on top of it.
  F(3).standingCell = 55;
  F(3).z = 100;
  Put(3, CellCentreX(55) - 5, CellCentreY(55) + 5);
  scene.BuildDrawLists();
  auto slots = [](const PtrList& l) {
    std::vector<int> v;
    for (ListPos p = l.GetHeadPosition(); p; p = p->next) v.push_back(static_cast<int>(ListValueToInt(p->data)));
    return v;
  };
  EXPECT_EQ(slots(scene.backList), (std::vector<int>{101, 100}));  // by depth: 101 lies further back
  EXPECT_EQ(slots(scene.frontList), (std::vector<int>{102}));
  EXPECT_EQ(slots(scene.middleList), (std::vector<int>{55, 103}));
  // Without him on it, the depth decides.
  F(3).standingCell = -1;
  scene.BuildDrawLists();
  EXPECT_EQ(slots(scene.middleList), (std::vector<int>{103, 55}));
}

}  // namespace
