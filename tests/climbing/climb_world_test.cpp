// CRAZY CLIMBING race without a screen: the hazard schedule, the objects,
// the climbers' steps for fixed inputs, the roof and the helicopter, and
// the places. The race runs on the player records and input records as the
// screen leaves them, with no pictures and a sound device that only listens.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "base/player_records.h"
#include "base/random.h"
#include "events/climbing/climb_world.h"
#include "tests/support/event_harness.h"

using namespace climbrules;
namespace ca = climbassets;

namespace {

class ListeningSounds : public ClimbSoundSink {
 public:
  void Play(int sound, bool) override { played.push_back(sound); }
  void Stop(int) override {}
  bool IsPlaying(int) const override { return false; }
  void SetVolume(int, int32_t) override {}
  int Count(int sound) const { return static_cast<int>(std::count(played.begin(), played.end(), sound)); }
  std::vector<int> played;
};

// Action bytes of the input records.
constexpr uint8_t kHold = 0x81;

class ClimbWorldTest : public testing::Test {
 protected:
  void SetUp() override {
    auto fixtures = ComputerFixtures();
    fixtures[0] = FixturePlayer(0, true, "ANNA");
    for (int i = 0; i < 4; ++i) g_players[i] = fixtures[i];
    std::memset(g_playerStates, 0, sizeof g_playerStates);
    g_localPlayers[0] = 0;
    g_localPlayers[1] = 1;
    g_playMode = 0;
    SeedRandom(7);
    w.sounds = &sounds;
    w.spawnDelay = 1 << 30;  // nothing falls unless a test says so
  }
  void Make() { w.CreateClimbers(); }
  // A climber hanging on at (x, h), its start behind it.
  Climber* Free(int i, int x, int h) {
    Climber* c = w.climbers[i];
    c->pullUp = 0;
    c->x = x;
    c->h = h;
    c->state = kClIdle;
    c->frame = c->animBase = c->first[ca::kRowIdle];
    c->animLength = c->count[ca::kRowIdle];
    return c;
  }
  // Moves the others far out of the way.
  void Park(int except) {
    for (int i = 0; i < 4; ++i)
      if (i != except) Free(i, 100 + 140 * i, 0)->h = 0;
  }
  void Input(int player, std::initializer_list<int> held) {
    std::memset(g_playerStates[player], 0, kPlayerStateSize);
    for (int b : held) g_playerStates[player][b] = kHold;
  }
  ClimbFallingObject* Drop(int slot, int kind, int x, int y) {
    delete w.falling[slot];
    auto* o = new ClimbFallingObject(kind, nullptr);
    o->world = &w;
    o->x = x;
    o->y = y;
    o->serial = w.nextSerial++;
    w.falling[slot] = o;
    return o;
  }
  // One frame of one climber as the race runs it.
  void Step(Climber* c) {
    c->CheckContact();
    c->Update();
  }

  ClimbWorld w;
  ListeningSounds sounds;
};

// ---------------------------------------------------------------------------
// The hazard schedule

TEST_F(ClimbWorldTest, HazardScheduleAgainstTime) {
  // The spawn times, kinds and columns follow one order of draws: the delay
  // (when there is none), the kind, the new object's column.
  struct Spawn {
    int frame, kind, x;
  };
  SeedRandom(1234);
  std::vector<Spawn> want;
  {
    int delay = 0, counter = 0;
    for (int f = 1; f <= 3000; ++f) {
      if (delay == 0) delay = RandomInt(100);
      if (++counter >= delay + 5) {
        const int kind = RandomInt(18);
        want.push_back({f, kind, RandomInt(520) + 60});
        counter = delay = 0;
      }
    }
  }
  SeedRandom(1234);
  w.spawnDelay = 0;
  std::vector<Spawn> got;
  std::set<uint32_t> seen;
  for (int f = 1; f <= 3000; ++f) {
    w.UpdateFallingObjects();
    for (ClimbFallingObject* o : w.falling) {
      if (!o || seen.count(o->serial)) continue;
      seen.insert(o->serial);
      got.push_back({f, o->kind, o->x});
    }
  }
  ASSERT_EQ(got.size(), want.size());
  std::set<int> kinds;
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].frame, want[i].frame) << i;
    EXPECT_EQ(got[i].kind, want[i].kind) << i;
    EXPECT_EQ(got[i].x, want[i].x) << i;
    EXPECT_GE(got[i].x, 60);
    EXPECT_LE(got[i].x, 579);
    kinds.insert(got[i].kind);
    if (i > 0) {
      EXPECT_GE(got[i].frame - got[i - 1].frame, 5);
      EXPECT_LE(got[i].frame - got[i - 1].frame, 104);
    }
  }
  EXPECT_GE(got.front().frame, 5);  // the earliest spawn is the 5th frame
  EXPECT_EQ(kinds.size(), 18u);     // every kind comes
  const double mean = double(got.back().frame - got.front().frame) / double(got.size() - 1);
  EXPECT_GT(mean, 40);
  EXPECT_LT(mean, 70);
}

TEST_F(ClimbWorldTest, ASpawnPastItsDelayStillComesAndAFullSkyDropsIt) {
  // A counter that has run past delay + 5 spawns at once (not never).
  w.spawnDelay = 10;
  w.spawnCounter = 40;
  w.UpdateFallingObjects();
  EXPECT_NE(w.falling[0], nullptr);
  EXPECT_EQ(w.spawnCounter, 0);
  EXPECT_EQ(w.spawnDelay, 0);
  // With all ten slots busy the spawn is dropped and the schedule restarts.
  for (int s = 0; s < kClimbFallingSlots; ++s) Drop(s, 3, 300, 2800);
  const uint32_t next = w.nextSerial;
  w.spawnDelay = 10;
  w.spawnCounter = 14;
  w.UpdateFallingObjects();
  EXPECT_EQ(w.nextSerial, next);
  EXPECT_EQ(w.spawnCounter, 0);
  EXPECT_EQ(w.spawnDelay, 0);
}

TEST_F(ClimbWorldTest, ObjectsFallToTheStreetAndLandWithTheirEffects) {
  Make();
  Free(0, 128, 0);  // the local climber at the street hears what lands
  struct Case {
    int kind, updates, explosion, sound;
  } cases[] = {
      {3, 278, 1, ca::kSndSmallExplosion},  // 278 frames from 2800 to 20
      {8, 277, 3, ca::kSndSnowGround},      // a snowman ends at 30
      {12, 278, 0, ca::kSndBigExplosion},
      {17, 278, -1, ca::kSndClayPot},       // the juice only clinks
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    sounds.played.clear();
    for (ClimbExplosion*& e : w.explosions) {
      delete e;
      e = nullptr;
    }
    ClimbFallingObject* o = Drop(0, c.kind, 300, kObjectStartHeight);
    for (int u = 1; u < c.updates; ++u) {
      o->Update();
      ASSERT_FALSE(o->ended) << "update " << u;
    }
    w.UpdateFallingObjects();  // the last step down
    EXPECT_EQ(w.falling[0], nullptr);
    EXPECT_EQ(sounds.Count(c.sound), 1);
    if (c.explosion < 0) {
      EXPECT_EQ(w.explosions[0], nullptr);
    } else {
      ASSERT_NE(w.explosions[0], nullptr);
      EXPECT_EQ(w.explosions[0]->frameCount, ca::kExplosions[c.explosion].frames);
    }
  }
  // Far above the local view: an explosion, but nothing heard.
  sounds.played.clear();
  Free(0, 128, 2000);
  for (ClimbExplosion*& e : w.explosions) {
    delete e;
    e = nullptr;
  }
  Drop(0, 3, 300, 30);
  w.UpdateFallingObjects();
  EXPECT_NE(w.explosions[0], nullptr);
  EXPECT_EQ(sounds.Count(ca::kSndSmallExplosion), 0);
  // An explosion runs its frames once and goes.
  for (int f = 0; f < 9; ++f) w.UpdateExplosions();
  EXPECT_NE(w.explosions[0], nullptr);
  w.UpdateExplosions();
  EXPECT_EQ(w.explosions[0], nullptr);
  // With every explosion slot busy, an object leaves neither explosion nor sound.
  for (ClimbExplosion*& e : w.explosions) e = new ClimbExplosion(0, 0, 1, nullptr);
  Free(0, 128, 0);
  Drop(0, 3, 300, 30);
  w.UpdateFallingObjects();
  EXPECT_EQ(w.falling[0], nullptr);
  EXPECT_EQ(sounds.Count(ca::kSndSmallExplosion), 0);
}

TEST_F(ClimbWorldTest, FlowerPotsSitOnSillsFallAndUseOnlyTheFirstFiveExplosions) {
  w.BuildWindows();
  const int pots = w.PlaceFlowerPots();
  int flagged = 0;
  for (const ClimbWindow* win : w.windows) flagged += win->potFlag;
  EXPECT_EQ(pots, flagged);
  ASSERT_GT(pots, 0);
  ClimbFlowerPot* p = w.pots[0];
  const ClimbWindow* win = w.windows[p->windowIndex];
  EXPECT_GE(p->x - win->x, 10);
  EXPECT_LE(p->x - win->x, 30);
  EXPECT_EQ(p->y - win->y, p->firstFrame == 1 ? 10 : 14);
  // Falling: the window's flag goes, the pot drops 10 a frame.
  p->state = 1;
  p->y = 35;
  w.UpdateFlowerPots();
  EXPECT_EQ(w.pots[0], nullptr);  // below 29: gone, with an explosion
  EXPECT_NE(w.explosions[0], nullptr);
  EXPECT_EQ(sounds.Count(ca::kSndSmallExplosion), 1);
  // With slots 0 to 4 busy a landing pot vanishes silently.
  for (int e = 0; e < kClimbPotExplosionSlots; ++e)
    if (!w.explosions[e]) w.explosions[e] = new ClimbExplosion(0, 0, 1, nullptr);
  ASSERT_GT(pots, 1);
  w.pots[1]->state = 1;
  w.pots[1]->y = 35;
  w.UpdateFlowerPots();
  EXPECT_EQ(w.pots[1], nullptr);
  for (int e = kClimbPotExplosionSlots; e < kClimbExplosionSlots; ++e) EXPECT_EQ(w.explosions[e], nullptr);
  EXPECT_EQ(sounds.Count(ca::kSndSmallExplosion), 1);
}

// ---------------------------------------------------------------------------
// Thrown weapons

TEST_F(ClimbWorldTest, WeaponsWearObjectsDownByTheirPower) {
  Make();
  Park(-1);
  struct Case {
    int character, power, kind, hits;
  } cases[] = {
      {1, 50, 5, 2},    // RAREZ VUDA against a television
      {1, 50, 12, 3},   // ... and a piano
      {5, 150, 14, 1},  // ZOVI's ship breaks anything
      {0, 100, 16, 1},  // a pickup can be shot down
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    ClimbFallingObject* o = Drop(0, c.kind, 400, 1500);
    int hits = 0;
    while (!o->ended && hits < 5) {
      ClimbWeapon weapon(400 - 15, 1500 - kObjectLift, 2, c.character, nullptr, c.power, 3);
      weapon.world = &w;
      EXPECT_FALSE(weapon.Update());  // it ends on the object
      ++hits;
    }
    EXPECT_EQ(hits, c.hits);
  }
  // Straight up it leaves the field above 2700.
  ClimbWeapon up(300, 2690, 0, 0, nullptr, 100, 3);
  up.world = &w;
  EXPECT_FALSE(up.Update());
}

TEST_F(ClimbWorldTest, WeaponsStrikeOthersNeverTheirThrower) {
  g_players[2].character = 0;  // two climbers of one character
  Make();
  Park(-1);
  Climber* thrower = Free(0, 300, 1000);
  Climber* twin = Free(2, 360, 1000);
  g_players[2].energy = 80;
  g_players[2].endurance = 50;
  // Over the thrower itself: nothing happens.
  ClimbWeapon own(300, 1000, 2, 0, nullptr, 100, 0);
  own.world = &w;
  EXPECT_TRUE(own.Update());
  EXPECT_EQ(thrower->engagement, kClEngFree);
  // The other climber of the same character is struck: 100 x 5 / 50 x 50 / 50 + 0.5.
  ClimbWeapon shot(330, 1000, 2, 0, nullptr, 100, 0);
  shot.world = &w;
  EXPECT_FALSE(shot.Update());
  EXPECT_EQ(twin->engagement, kClEngStruck);
  EXPECT_EQ(twin->facing, kClFaceRight);
  EXPECT_EQ(g_players[2].energy, EnergyAfter(80, 10.5));
  EXPECT_GT(twin->weaponStarFrame, 0);
  // With endurance and a pill a hit costs nothing, but never gives energy.
  twin->engagement = kClEngFree;
  twin->pillMultiplier = 2;
  g_players[2].endurance = 90;
  ClimbWeapon weak(330, 1000, 2, 0, nullptr, 150, 0);
  weak.world = &w;
  EXPECT_FALSE(weak.Update());
  EXPECT_EQ(g_players[2].energy, EnergyAfter(80, 10.5));
}

TEST_F(ClimbWorldTest, AGrazeOfAClimberMayStillHitAnObject) {
  Make();
  Park(-1);
  Climber* c = Free(1, 300, 1000);
  // A weapon flying right whose box will overlap the climber's by 3 rows...
  ClimbWeapon graze(285, 0, 2, 0, nullptr, 100, 0);
  graze.world = &w;
  graze.y = c->ContactBox().top - graze.box.off[1] + 3;
  // ... and an object right where it arrives.
  ClimbFallingObject* o = Drop(0, 3, 300, graze.y + kObjectLift);
  EXPECT_FALSE(graze.Update());
  EXPECT_EQ(c->engagement, kClEngFree);
  EXPECT_EQ(o->hitPoints, 50 - 100);
  EXPECT_TRUE(o->ended);
}

// ---------------------------------------------------------------------------
// The climber's steps for fixed inputs

TEST_F(ClimbWorldTest, StartPullsUpOntoTheWallThenClimbsAndMoves) {
  g_players[0].speed = 20;
  Make();
  Climber* c = w.climbers[0];
  EXPECT_EQ(c->x, 128);
  EXPECT_EQ(w.climbers[1]->x, 216);
  EXPECT_EQ(w.climbers[2]->x, 424);
  EXPECT_EQ(w.climbers[3]->x, 512);
  for (int f = 0; f < c->count[ca::kRowPullUp]; ++f) {
    EXPECT_EQ(c->state, kClPullUp);
    Input(0, {kClInUp});  // no key counts while pulling up
    Step(c);
    EXPECT_EQ(g_playerStates[0][kClInUp], 0);
  }
  EXPECT_EQ(c->pullUp, 0);
  EXPECT_EQ(c->h, 10);
  // Climbing: 2 a frame at speed 20.
  Input(0, {kClInUp});
  for (int f = 0; f < 20; ++f) Step(c);
  EXPECT_EQ(c->state, kClClimb);
  EXPECT_EQ(c->h, 50);
  // Sideways 3 a frame, facing the way it goes; 6 with a pill.
  Input(0, {kClInRight});
  Step(c);
  EXPECT_EQ(c->x, 131);
  EXPECT_EQ(c->facing, kClFaceRight);
  c->pillMultiplier = 2;
  c->pillTimer = 100;
  Input(0, {kClInLeft});
  Step(c);
  EXPECT_EQ(c->x, 125);
  EXPECT_EQ(c->facing, kClFaceLeft);
  // No key: hanging on.
  Input(0, {});
  Step(c);
  EXPECT_EQ(c->state, kClIdle);
}

TEST_F(ClimbWorldTest, PeopleCannotClimbTheDoorway) {
  Make();
  for (int i = 1; i < 4; ++i) Free(i, 150 * i, 2000);
  Climber* c = Free(0, 230, 0);
  Input(0, {kClInRight});
  for (int f = 0; f < 30; ++f) Step(c);
  EXPECT_EQ(c->x, 320);  // along the street past the door
  EXPECT_EQ(c->h, 0);
  Input(0, {kClInUp});
  for (int f = 0; f < 10; ++f) Step(c);
  EXPECT_EQ(c->h, 0);  // but not up in front of it
}

TEST_F(ClimbWorldTest, NoEnergyLeftFallsToTheStreetLiesAndGetsUp) {
  Make();
  Park(0);
  Climber* c = Free(0, 128, 500);
  g_players[0].energy = 0;
  Step(c);
  EXPECT_EQ(c->state, kClFall);
  EXPECT_EQ(c->fallTarget, 0);
  int frames = 0;
  while (c->state != kClDown && frames < 200) {
    Step(c);
    ++frames;
  }
  EXPECT_LT(c->h, 120);
  // 80 frames on the street (from the one it lands in), then up again.
  int atStreet = 0;
  while (c->state != kClGetUp && atStreet < 200) {
    Step(c);
    if (c->h == 0) ++atStreet;
  }
  EXPECT_EQ(atStreet, 80);
  EXPECT_EQ(c->state, kClGetUp);
  EXPECT_GT(g_players[0].energy, 0);  // the street restored a little
  int up = 0;
  while (c->state == kClGetUp && up < 100) {
    Step(c);
    ++up;
  }
  EXPECT_EQ(c->state, kClIdle);
}

TEST_F(ClimbWorldTest, HazardsKnockClimbersDownByTheirWeight) {
  Make();
  Park(0);
  struct Case {
    int kind, energyLost, drop;
  } cases[] = {{0, 3, 100}, {4, 9, 300}, {9, 15, 500}, {14, 24, 800}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    Climber* cl = Free(0, 300, 1500);
    cl->fallTarget = 0;
    cl->knockedOff = 0;
    g_players[0].energy = 80;
    ClimbFallingObject* o = Drop(0, c.kind, 300, 1500 + kObjectLift + 40);
    Input(0, {});
    Step(cl);
    EXPECT_EQ(g_players[0].energy, 80 - c.energyLost);
    EXPECT_EQ(cl->fallTarget, 1500 - c.drop);
    EXPECT_EQ(cl->state, kClFall);
    EXPECT_GT(cl->hitStarFrame, 0);
    EXPECT_EQ(o->ended, c.kind == ca::kKindBomb ? 1 : 0);  // only the bomb ends
    delete w.falling[0];
    w.falling[0] = nullptr;
    while (cl->state == kClFall) Step(cl);
    EXPECT_EQ(cl->state, kClCatch);
    EXPECT_LE(cl->h, 1500 - c.drop);
    EXPECT_GT(cl->h, 1500 - c.drop - 6);
  }
}

TEST_F(ClimbWorldTest, PickupsGoToTheFirstClimberAndOnlyTheClaimedOneCounts) {
  Make();
  Park(-1);
  Climber* a = Free(0, 300, 1000);
  Climber* b = Free(1, 310, 1000);
  b->h = 1000;
  g_players[0].money = 0;
  // Money just above both: the first in player order claims it.
  ClimbFallingObject* m = Drop(0, ca::kKindMoney, 300, 1000 + 140);
  a->CheckContact();
  b->CheckContact();
  a->engagement = b->engagement = kClEngFree;  // no fight now
  a->Update();
  b->Update();
  EXPECT_EQ(a->grabbed, 0);
  EXPECT_EQ(b->grabbed, -1);
  EXPECT_EQ(m->claimed, 1);
  EXPECT_EQ(a->state, kClGrab);
  // It comes down to the hands and is taken.
  int frames = 0;
  while (w.falling[0] && frames < 40) {
    m->y -= 10;
    a->Update();
    ++frames;
  }
  EXPECT_EQ(w.falling[0], nullptr);
  EXPECT_EQ(g_players[0].money, 1000);

  // A claimed pickup replaced by another object in its slot before it is
  // caught: the newcomer is not collected.
  Climber* c = Free(0, 300, 1000);
  c->grabbed = -1;
  g_players[0].weaponUnits = 0;
  Drop(0, ca::kKindAmmunition, 300, 1000 + 140);
  c->Update();
  ASSERT_EQ(c->grabbed, 0);
  Drop(0, ca::kKindAmmunition, 300, 1000 + 40);  // a new one, right at the hands
  for (int f = 0; f < 5; ++f) c->Update();
  EXPECT_EQ(g_players[0].weaponUnits, 0);
  EXPECT_NE(w.falling[0], nullptr);
}

TEST_F(ClimbWorldTest, APunchUpLandsOnceAndPushesTheOneAboveAway) {
  g_players[1].human = 1;
  Make();
  Park(-1);
  Climber* low = Free(0, 271, 1000);
  Climber* high = Free(1, 330, 1040);
  g_players[0].strength = 60;
  g_players[1].energy = 90;
  g_players[1].endurance = 40;
  auto frame = [&] {
    for (Climber* c : w.climbers) c->CheckContact();
    for (Climber* c : w.climbers) c->Update();
  };
  // Moving right, then striking up-right as the two meet.
  Input(0, {kClInRight});
  Input(1, {});
  frame();
  Input(0, {kClInFire, kClInRight, kClInUp});
  frame();
  EXPECT_EQ(low->state, kClPunch);
  EXPECT_EQ(low->engagement, kClEngAttacking);
  EXPECT_EQ(low->target, 1);
  // The one above learns of it and reacts; the blow counts once.
  for (int f = 0; f < 6; ++f) frame();
  EXPECT_EQ(high->state, kClHit);
  // 60 x 5 / 50 x (100 - 40) / 50 + 0.5 = 7.7
  EXPECT_EQ(g_players[1].energy, EnergyAfter(90, 7.7));
  EXPECT_EQ(high->x, 340);  // pushed 10 away from the one below
}

TEST_F(ClimbWorldTest, AThrowSpendsOneUnitAtTheTenthFrame) {
  Make();
  Park(0);
  Climber* c = Free(0, 300, 1000);
  g_players[0].weaponUnits = 3;
  c->selected = kClItemWeapon;
  Input(0, {kClInFire, kClInUp});
  Step(c);
  EXPECT_EQ(c->state, kClThrow);
  EXPECT_EQ(c->throwDirection, 0);
  int released = -1;
  for (int f = 1; f < 15 && released < 0; ++f) {
    Step(c);
    for (ClimbWeapon* wp : c->weapons)
      if (wp) released = f;
  }
  EXPECT_EQ(released, 10);
  EXPECT_EQ(g_players[0].weaponUnits, 2);
  // All twenty in the air: no throw, and the unit is kept.
  for (ClimbWeapon*& wp : c->weapons)
    if (!wp) wp = new ClimbWeapon(300, 1500, 0, 0, nullptr, 100, 0);
  for (ClimbWeapon* wp : c->weapons) wp->world = nullptr;  // they fly on and on
  for (int f = 0; f < 20; ++f) Step(c);
  EXPECT_EQ(g_players[0].weaponUnits, 2);
  // A selection with nothing left to use falls back to none.
  g_players[0].weaponUnits = 0;
  Input(0, {});
  Step(c);
  EXPECT_EQ(c->selected, kClItemNone);
}

TEST_F(ClimbWorldTest, APillDoublesTheClimbForTwoHundredFrames) {
  Make();
  Park(0);
  Climber* c = Free(0, 300, 500);
  g_players[0].powerPills = 1;
  Input(0, {kClInCycle});
  g_playerStates[0][kClInCycle] = 0x01;  // pressed: none -> pill (no weapon units)
  g_players[0].weaponUnits = 0;
  Step(c);
  EXPECT_EQ(c->selected, kClItemPill);
  Input(0, {kClInFire});
  Step(c);
  EXPECT_EQ(c->pillMultiplier, 2);
  EXPECT_EQ(g_players[0].powerPills, 0);
  EXPECT_EQ(sounds.Count(ca::kSndPowerPill), 1);
  Input(0, {kClInUp});
  const int before = c->h;
  Step(c);
  EXPECT_EQ(c->h - before, 4);
  for (int f = 0; f < 200; ++f) Step(c);
  EXPECT_EQ(c->pillMultiplier, 1);
}

TEST_F(ClimbWorldTest, TheComputerDodgesHazardsMeetsPickupsAndAvoidsTheDoor) {
  Make();
  Park(1);
  Climber* c = Free(1, 300, 1000);
  // A hazard coming down on its right: it moves left.
  Drop(0, 3, 310, 1200);
  Step(c);
  EXPECT_EQ(g_playerStates[1][kClInLeft], 0x80);
  EXPECT_EQ(g_playerStates[1][kClInRight], 0);
  EXPECT_EQ(g_playerStates[1][kClInUp], 0);
  // A pickup on its right: it goes for it.
  Free(1, 300, 1000);
  Drop(0, ca::kKindJuice, 330, 1200);
  Step(c);
  EXPECT_EQ(g_playerStates[1][kClInRight], 0x80);
  EXPECT_EQ(g_playerStates[1][kClInLeft], 0);
  // Nothing above: up.
  delete w.falling[0];
  w.falling[0] = nullptr;
  Free(1, 300, 1000);
  Step(c);
  EXPECT_EQ(g_playerStates[1][kClInUp], 0x80);
  // On the street in front of the door: away from it.
  Free(1, 300, 0);
  Step(c);
  EXPECT_EQ(g_playerStates[1][kClInLeft], 0x80);
  // Far behind the others while climbing, it takes a pill.
  g_players[1].powerPills = 2;
  Free(1, 300, 100)->state = kClClimb;
  w.climbers[3]->h = 800;
  Step(c);
  EXPECT_EQ(c->pillMultiplier, 2);
  EXPECT_EQ(g_players[1].powerPills, 1);
}

// ---------------------------------------------------------------------------
// The roof, the helicopter, places

TEST_F(ClimbWorldTest, TheHelicopterLiftsAClimberOffTheRoofAndPlacesIt) {
  Make();
  Park(0);
  Climber* c = Free(0, 300, 2399);
  Input(0, {kClInUp});
  int frames = 0, clockWhenPlaced = -1;
  while (g_players[0].place < 0 && frames < 400) {
    const int clock = w.clock;
    ASSERT_EQ(w.RaceFrame(), 0) << frames;
    if (g_players[0].place >= 0) clockWhenPlaced = clock;
    if (w.helicopter) {
      EXPECT_EQ(w.helicopter->x, 300 - ca::kLadderOffsetX);
    }
    if (c->roofStage == kClRoofWaiting && c->state == kClIdle) {
      EXPECT_EQ(c->h, 2403);  // on the roof, not yet placed
    }
    ++frames;
  }
  EXPECT_EQ(g_players[0].place, 0);
  EXPECT_EQ(c->roofStage, kClRoofAboard);
  EXPECT_GE(c->h, kPlacedHeight);
  EXPECT_EQ(g_players[0].result, clockWhenPlaced);
  // The only person placed: the race is over with the next frame.
  EXPECT_EQ(w.RaceFrame(), 1);
  EXPECT_EQ(sounds.Count(ca::kSndCheer), 1);
}

TEST_F(ClimbWorldTest, OneHelicopterAtATimeAndOneClimberWaiting) {
  for (int i = 0; i < 4; ++i) g_players[i].human = 1;
  Make();
  for (int i = 0; i < 3; ++i) Free(i, 130 + 150 * i, 2400);
  Free(3, 560, 0);
  for (int i = 0; i < 4; ++i) Input(i, {});
  w.RaceFrame();
  EXPECT_NE(w.helicopter, nullptr);
  EXPECT_EQ(w.pendingHelicopterX, 280);
  EXPECT_EQ(w.climbers[0]->roofStage, kClRoofWaiting);
  EXPECT_EQ(w.climbers[1]->roofStage, kClRoofWaiting);
  EXPECT_EQ(w.climbers[2]->roofStage, kClRoofClimbing);  // tries again every frame
  // Each is cheered once, not each frame it waits.
  for (int f = 0; f < 50; ++f) w.RaceFrame();
  EXPECT_EQ(sounds.Count(ca::kSndCheer), 3);
  // All three are lifted in turn, in the order they asked; the third to be
  // placed ends the race and the fourth is placed with it.
  int frames = 0, end = 0;
  while (!end && frames < 2000) {
    end = w.RaceFrame();
    ++frames;
  }
  EXPECT_EQ(end, 1);
  EXPECT_EQ(g_players[0].place, 0);
  EXPECT_EQ(g_players[1].place, 1);
  EXPECT_EQ(g_players[2].place, 2);
  EXPECT_EQ(g_players[3].place, 3);
}

TEST_F(ClimbWorldTest, HowTheRaceEnds) {
  // No person among the four: over at once.
  for (int i = 0; i < 4; ++i) g_players[i].human = 0;
  Make();
  EXPECT_EQ(w.RaceFrame(), 1);
  // Three placed: the fourth gets place 3 in the same frame.
  w.persons = 1;
  for (int i = 0; i < 4; ++i) g_players[i].place = -1;
  w.placeCounter = 3;
  EXPECT_EQ(w.RaceFrame(), 1);
  EXPECT_EQ(g_players[0].place, 3);
  // The time is up at 600 seconds.
  g_players[0].place = -1;
  w.placeCounter = 0;
  w.clock = 599;
  Park(-1);
  EXPECT_EQ(w.RaceFrame(), 0);
  w.clock = 600;
  EXPECT_EQ(w.RaceFrame(), 1);
}

TEST_F(ClimbWorldTest, TwoClimbersPlacedInOneFrameGoInPlayerOrder) {
  g_players[0].human = 0;
  g_players[3].human = 1;
  Make();
  Park(-1);
  w.placeCounter = 2;
  g_players[0].place = 0;
  g_players[2].place = 1;
  // Both aboard helicopters rising past 2700 in the same frame.
  for (int i : {1, 3}) {
    Climber* c = Free(i, 200 + 100 * i, 2696);
    c->roofStage = kClRoofAboard;
  }
  w.helicopter = new ClimbHelicopter(300, nullptr, &w);
  w.helicopter->state = kHeliRising;
  for (int i = 0; i < 4; ++i) Input(i, {});
  EXPECT_EQ(w.RaceFrame(), 0);
  EXPECT_EQ(g_players[1].place, 2);
  EXPECT_EQ(g_players[3].place, 3);
  // 2 -> 4: the end by places is passed over; no person is left climbing.
  EXPECT_EQ(w.RaceFrame(), 1);
}

}  // namespace
