// HIPPO RUN's rule book between actors and the runner's own frame, on a
// small table of actors without a screen: punches, shoves, thrown weapons,
// a full table, and the runner's keys, pills and items.
#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "base/player_records.h"
#include "events/hippo_run/hippo_actor.h"
#include "events/hippo_run/hippo_contacts.h"
#include "events/hippo_run/hippo_rules.h"
#include "events/hippo_run/hippo_run_data.h"

namespace ha = hippoassets;

namespace {

class HippoTable : public testing::Test {
 protected:
  void SetUp() override {
    std::memset(g_hippoActors, 0, sizeof g_hippoActors);
    for (int32_t& s : g_hippoSoundSlots) s = -1;
    std::memset(g_playerStates, 0, sizeof g_playerStates);
    g_hippoRaceFrames = 100;
    for (int i = 0; i < 4; ++i) {
      InitPlayerRecord(&g_players[i], i);
      g_players[i].human = 1;
    }
  }
  void TearDown() override {
    for (HippoActor*& a : g_hippoActors) {
      delete a;
      a = nullptr;
    }
  }
  static HippoActor* Runner(int i, int x, int y, int dir, int state) {
    auto* r = new HippoActor(i, 4 + i, 0, x, y, dir);
    r->kind = kKindRunner;
    r->state = state;
    r->row = ha::RowOfCharacter(g_players[i].character);
    r->frameWidth = ha::kRunnerW;
    r->frameHeight = ha::kRunnerH;
    r->energy = 50;
    r->strength = 50;
    r->endurance = 50;
    r->weaponPower = 100;
    r->pushPower = 7;
    r->speed = 5;
    r->controller = kControlPerson;
    for (int v = 0; v < 5; ++v) r->voiceSounds[v] = -1;
    g_hippoActors[i] = r;
    return r;
  }
  static HippoActor* HippoAt(int i, int x, int y, int state) {
    auto* h = new Hippo(4 + i, 0, i, x, y, 1);
    h->kind = kKindHippo;
    h->state = state;
    h->energy = 60;
    h->speed = 6;
    h->frameWidth = ha::kHippoW;
    h->frameHeight = ha::kHippoH;
    g_hippoActors[4 + i] = h;
    return h;
  }
  static int CountKind(int kind) {
    int n = 0;
    for (const HippoActor* a : g_hippoActors) n += (a && a->kind == kind) ? 1 : 0;
    return n;
  }
};

TEST_F(HippoTable, PunchesLandOnlyFacingTheVictimAndOncePerPunch) {
  struct Case {
    const char* what;
    int aState, aDir, aHitDealt;
    int bX, bState;
    bool hit;
    int bStateAfter;
  } cases[] = {
      // A at (100, 100); B to the right of A (direction 3 from A) unless said.
      {"wind-up facing", 1, 3, 0, 130, 3, true, 8},
      {"wind-up one step off", 1, 2, 0, 130, 3, true, 8},
      {"wind-up two steps off", 1, 1, 0, 130, 3, false, 3},
      {"punch facing", 4, 3, 0, 130, 3, true, 7},
      {"punch already landed", 4, 3, 1, 130, 3, false, 3},
      {"wind-up on one reeling from a wind-up", 1, 3, 0, 130, 8, false, 8},
      {"punch on one reeling from a wind-up", 4, 3, 0, 130, 8, true, 7},
      {"knocked out: untouchable", 4, 3, 0, 130, 5, false, 5},
      {"out of reach", 4, 3, 0, 151, 3, false, 3},
      {"standing next to each other", 3, 3, 0, 130, 3, false, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    HippoActor* a = Runner(0, 100, 100, c.aDir, c.aState);
    HippoActor* b = Runner(1, c.bX, 100, 7, c.bState);
    a->hitDealt = c.aHitDealt;
    a->phase = 2;
    b->hitDelay = 9;
    HippoResolveContacts(g_hippoActors, kHippoSlots, 0);
    EXPECT_EQ(b->state, c.bStateAfter);
    if (c.hit) {
      EXPECT_EQ(a->hitDealt, 1);
      EXPECT_EQ(b->energy, 50 - hipporules::HitDamage(50, 50));
      EXPECT_EQ(b->direction, (c.aDir + 4) % 8) << "knocked the way the punch went";
      EXPECT_EQ(CountKind(kKindExplosion), 2);
    } else {
      EXPECT_EQ(b->energy, 50);
      EXPECT_EQ(CountKind(kKindExplosion), 0);
      // Near enough, both standing: they block each other this frame (one
      // lying knocked out blocks nobody).
      const bool near = c.bX - 100 < 50;
      EXPECT_EQ(a->contact, (near && c.bState != 5) ? 3 : 0);
      EXPECT_EQ(b->contact, (near && c.bState != 5) ? 3 : 0);
      if (near && c.bState != 5) {
        EXPECT_EQ(a->contactDirection, 3);
        EXPECT_EQ(b->contactDirection, 7);
        EXPECT_EQ(b->hitDelay, 0);
      }
    }
    TearDown();
  }
}

TEST_F(HippoTable, ThePunchedRunnerStrikesBackAndAPunchBelowZeroKnocksOut) {
  // The later slot punches the earlier one.
  HippoActor* a = Runner(0, 100, 100, 3, 3);
  HippoActor* b = Runner(1, 130, 100, 7, 4);
  a->energy = 2;
  HippoResolveContacts(g_hippoActors, kHippoSlots, 0);
  EXPECT_EQ(b->hitDealt, 1);
  EXPECT_EQ(a->state, ha::kStateKnockedOut);
  EXPECT_EQ(a->phase, 0);
  EXPECT_LT(a->energy, 0);
}

TEST_F(HippoTable, ShovesNeedThePushFromBehindAndSomeEnergy) {
  struct Case {
    const char* what;
    int runnerState, runnerY, energy, hippoState;
    bool shove, contact;
  } cases[] = {
      // The hippo at (200, 1000); the runner 20 to the right of it.
      {"push from behind", 0, 950, 50, 9, true, false},
      {"push, hippo getting up", 0, 950, 50, 6, true, false},
      {"push with 6 energy", 0, 950, 6, 9, true, false},
      {"push with 5 energy", 0, 950, 5, 9, false, true},
      {"push on a walking hippo", 0, 950, 50, 3, false, true},
      {"push on a knocked-out hippo", 0, 950, 50, 5, false, true},
      {"push from in front", 0, 1001, 50, 9, false, true},
      {"standing behind it", 3, 950, 50, 9, false, true},
      {"reeling behind it", 8, 950, 50, 9, false, false},
      {"too far behind", 0, 880, 50, 9, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    HippoActor* r = Runner(0, 220, c.runnerY, 1, c.runnerState);
    HippoActor* h = HippoAt(0, 200, 1000, c.hippoState);
    r->energy = c.energy;
    HippoResolveContacts(g_hippoActors, kHippoSlots, 0);
    if (c.shove) {
      EXPECT_EQ(h->state, 3);
      EXPECT_EQ(h->speed, 7) << "the runner's push power";
      EXPECT_EQ(r->energy, c.energy - 1);
    } else {
      EXPECT_EQ(h->state, c.hippoState);
      EXPECT_EQ(r->energy, c.energy);
    }
    EXPECT_EQ(r->contact, c.contact ? 3 : 0);
    EXPECT_EQ(h->contact, c.contact ? 3 : 0);
    if (c.contact) EXPECT_EQ(r->contactDirection, hipporules::DirectionTo(220, c.runnerY, 200, 1000));
    TearDown();
  }
}

TEST_F(HippoTable, AShovedHippoWalksUpTheCourseButNotIntoWhatHoldsIt) {
  HippoActor* r = Runner(0, 220, 950, 1, 0);
  HippoActor* h = HippoAt(0, 200, 1000, 9);
  HippoResolveContacts(g_hippoActors, kHippoSlots, 0);
  ASSERT_EQ(h->state, 3);
  h->Update(g_hippoActors);
  EXPECT_EQ(h->worldY, 1007);
  // Touched by a runner again (its contact direction stays 0): it stands.
  r->state = 3;
  r->worldY += 7;
  HippoResolveContacts(g_hippoActors, kHippoSlots, 0);
  EXPECT_EQ(h->contact, 3);
  h->Update(g_hippoActors);
  EXPECT_EQ(h->worldY, 1007);
  // Left alone it walks to the end of its steps, then idles.
  r->worldY = 0;
  for (int k = 0; k < 10; ++k) h->Update(g_hippoActors);
  EXPECT_EQ(h->state, 9);
  EXPECT_EQ(h->worldY, 1000 + 5 * 7) << "five steps of 7 (one held back)";
}

TEST_F(HippoTable, ThrownWeaponsStrikeOthersButNeverTheirThrower) {
  struct Case {
    const char* what;
    int row;        // the weapon's row: 1 is the wide saucer
    int targetX;    // a runner at (targetX, 500); the weapon at (100, 500)
    int owner;      // 0 throws at runner 1 standing there
    int state;
    bool hit;
  } cases[] = {
      {"banana on a rival", 0, 110, 0, 3, true},
      {"banana just past a rival", 0, 128, 0, 3, false},
      {"saucer reaches further", 1, 128, 0, 3, true},
      {"on the thrower himself", 0, 110, 1, 3, false},
      {"on a knocked-out rival", 0, 110, 0, 5, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    Runner(0, 400, 2000, 1, 3);
    HippoActor* target = Runner(1, c.targetX, 500, 1, c.state);
    auto* w = new HippoRunnerEffect(20, 0, c.owner, 100, 500, 3);
    w->kind = kKindWeapon;
    w->row = c.row;
    w->phase = 30;
    g_hippoActors[20] = w;
    HippoResolveContacts(g_hippoActors, kHippoSlots, 1);
    if (c.hit) {
      EXPECT_EQ(g_hippoActors[20], nullptr) << "the weapon is gone";
      EXPECT_EQ(target->state, ha::kStateHit1);
      EXPECT_EQ(target->energy, 50 - hipporules::HitDamage(100, 50));
      EXPECT_EQ(CountKind(kKindExplosion), 2);
    } else {
      EXPECT_NE(g_hippoActors[20], nullptr);
      EXPECT_EQ(target->state, c.state);
      EXPECT_EQ(target->energy, 50);
    }
    TearDown();
  }
}

TEST_F(HippoTable, AWeaponKnocksAHippoOutAtZero) {
  Runner(0, 400, 2000, 1, 3);
  HippoActor* h = HippoAt(1, 200, 1000, 9);
  h->energy = 20;  // one banana of power 100 takes 20 from a hippo
  auto* w = new HippoRunnerEffect(20, 0, 0, 200 + 50 - 40, 1000 + 55 - 50, 3);
  w->kind = kKindWeapon;
  g_hippoActors[20] = w;
  HippoResolveContacts(g_hippoActors, kHippoSlots, 1);
  EXPECT_EQ(g_hippoActors[20], nullptr);
  EXPECT_EQ(h->energy, 0);
  EXPECT_EQ(h->state, 5);
  // It stays down until it has regained more than 10.
  for (int k = 0; k < 200; ++k) h->Update(g_hippoActors);
  EXPECT_EQ(h->state, 5);
  for (int k = 0; k < 60; ++k) h->Update(g_hippoActors);
  EXPECT_NE(h->state, 5);
}

TEST_F(HippoTable, AFullTableDropsNewActors) {
  for (int k = 0; k < kHippoSlots; ++k) {
    auto* f = new HippoFlag(k, 0, 0, 0, 0, 0);
    f->kind = kKindFlag;
    g_hippoActors[k] = f;
  }
  EXPECT_EQ(HippoFindFreeSlot(), -1);
  EXPECT_EQ(HippoPlaceActor(new HippoExplosion(0, 0, 0, 0, 0, 0)), -1);
  SpawnHippoExplosion(10, 10, 1, 4);
  EXPECT_EQ(CountKind(kKindExplosion), 0);
  delete g_hippoActors[42];
  g_hippoActors[42] = nullptr;
  EXPECT_EQ(HippoFindFreeSlot(), 42);
  SpawnHippoExplosion(10, 10, 1, 4);
  ASSERT_NE(g_hippoActors[42], nullptr);
  EXPECT_EQ(g_hippoActors[42]->ownIndex, 42);
  EXPECT_EQ(g_hippoActors[42]->kind, kKindExplosion);
}

// Each player's hippo shows its own look of every table frame (his number
// on the cloth); a sheet of the one shared look serves all four as it is.
TEST(HippoLooks, EachPlayersHippoShowsItsOwnFrames) {
  namespace ha = hippoassets;
  for (int frame = 1; frame <= ha::kHippoLookFrames; ++frame) {
    int shown[4];
    for (int p = 0; p < 4; ++p) {
      shown[p] = HippoLookFrame(frame, p, ha::kHippoFrames);
      EXPECT_GE(shown[p], 1);
      EXPECT_LE(shown[p], ha::kHippoFrames);
      EXPECT_EQ((shown[p] - 1) % ha::kHippoLookFrames + 1, frame) << "the same pose";
      for (int q = 0; q < p; ++q) EXPECT_NE(shown[p], shown[q]) << "frame " << frame;
      EXPECT_EQ(HippoLookFrame(frame, p, ha::kHippoLookFrames), frame) << "one look for all";
    }
  }
  // Out of range: the frame as it is (the sprite draws nothing for it).
  EXPECT_EQ(HippoLookFrame(0, 2, ha::kHippoFrames), 0);
  EXPECT_EQ(HippoLookFrame(3, 9, ha::kHippoFrames), 3 + 3 * ha::kHippoLookFrames);
}

TEST_F(HippoTable, TheRunnersKeysItemsAndPills) {
  HippoActor* r = Runner(0, 250, 1000, 1, 3);
  r->Update(g_hippoActors);
  const int px = r->pictureX, py = r->pictureY;
  // Opposite keys: he faces up and nothing else happens this frame.
  r->worldX = 260;
  g_playerStates[0][0] = 1;  // right
  g_playerStates[0][2] = 1;  // left
  r->Update(g_hippoActors);
  EXPECT_EQ(r->direction, 0);
  EXPECT_EQ(r->worldX, 260);
  EXPECT_EQ(r->pictureX, px);
  EXPECT_EQ(r->pictureY, py);
  std::memset(g_playerStates, 0, sizeof g_playerStates);

  // Fire 2 steps through the items, past the weapon when none is left.
  r->selectedItem = kItemPunch;
  r->weaponUnits = 0;
  g_playerStates[0][5] = 1;
  r->Update(g_hippoActors);
  EXPECT_EQ(r->selectedItem, kItemPill);
  r->weaponUnits = 3;
  r->selectedItem = kItemPunch;
  r->Update(g_hippoActors);
  EXPECT_EQ(r->selectedItem, kItemWeapon);
  std::memset(g_playerStates, 0, sizeof g_playerStates);

  // A pill doubles speed and strength for 225 frames; a second while it
  // works uses none.
  r->powerPills = 2;
  r->selectedItem = kItemPill;
  g_playerStates[0][4] = 1;  // fire 1
  r->Update(g_hippoActors);
  EXPECT_EQ(r->pillActive, 1);
  EXPECT_EQ(r->powerPills, 1);
  EXPECT_EQ(r->speed, 10);
  EXPECT_EQ(r->strength, 100);
  EXPECT_EQ(r->state, ha::kStateStand);
  r->Update(g_hippoActors);
  EXPECT_EQ(r->powerPills, 1);
  std::memset(g_playerStates, 0, sizeof g_playerStates);
  for (int k = 0; k < 230; ++k) r->Update(g_hippoActors);
  EXPECT_EQ(r->pillActive, 0);
  EXPECT_EQ(r->speed, 5);
  EXPECT_EQ(r->strength, 50);
}

TEST_F(HippoTable, AComputerRunnerTouchingHisHippoFromTheSideTurnsAway) {
  g_players[0].human = 0;
  HippoActor* r = Runner(0, 170, 1010, 2, 3);
  HippoActor* h = HippoAt(0, 200, 1000, 9);
  r->controller = kControlComputer;
  r->energy = 10;  // tired: he looks for a fight or a way out
  r->computerState = 0;
  r->computerStep = 2;
  int moved = 0;
  for (int f = 0; f < 60; ++f) {
    HippoResolveContacts(g_hippoActors, kHippoSlots, 0);
    const int before = r->worldX + r->worldY;
    r->Update(g_hippoActors);
    h->Update(g_hippoActors);
    if (r->worldX + r->worldY != before) ++moved;
  }
  EXPECT_GT(moved, 5) << "he froze against his hippo";
}

TEST_F(HippoTable, TwoComputerRunnersWhoMeetFightItOut) {
  // Touching a rival within reach, a tired computer runner punches him
  // instead of turning about (else the two would circle each other for
  // good); the one knocked down blocks nobody, and he goes on.
  for (int i : {0, 1}) g_players[i].human = 0;
  HippoActor* a = Runner(0, 100, 1000, 3, 3);
  HippoActor* b = Runner(1, 140, 1000, 7, 3);
  HippoAt(0, 100, 1300, 9);
  HippoAt(1, 250, 1300, 9);
  for (HippoActor* r : {a, b}) {
    r->controller = kControlComputer;
    r->energy = 10;
    r->computerStep = 2;
  }
  b->energy = 200;  // he cannot be knocked out
  bool punched = false, knockedOut = false;
  for (int f = 0; f < 200 && !knockedOut; ++f) {
    HippoResolveContacts(g_hippoActors, kHippoSlots, 0);
    for (HippoActor* r : {a, b}) r->Update(g_hippoActors);
    punched = punched || a->state == ha::kStateWindUp || b->state == ha::kStateWindUp;
    knockedOut = a->state == ha::kStateKnockedOut;
  }
  EXPECT_TRUE(punched);
  ASSERT_TRUE(knockedOut);
  HippoResolveContacts(g_hippoActors, kHippoSlots, 0);
  EXPECT_EQ(b->contact, 0) << "a runner lying there blocks nobody";
}

}  // namespace
