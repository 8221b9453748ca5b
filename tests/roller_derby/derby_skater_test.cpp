// ROLLER DERBY skaters, weapons and mines on a world without a screen:
// skating for fixed inputs, collisions and walls, laps, punches, throws,
// pills, mines, the computer's choices, and computer skaters finishing two
// laps whatever the seed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "base/player_records.h"
#include "base/random.h"
#include "events/roller_derby/derby_objects.h"
#include "events/roller_derby/derby_rules.h"
#include "events/roller_derby/derby_skater.h"
#include "graphics/mbm_writer.h"
#include "graphics/sprite.h"
#include "tests/support/event_harness.h"

using namespace derby;
namespace da = derbyassets;

namespace {

// A sprite of `frames` square frames, a dot in the middle of each.
std::unique_ptr<Sprite> PlainSprite(int frames, int size) {
  std::vector<MbmFrameSpec> specs(static_cast<size_t>(frames));
  for (MbmFrameSpec& f : specs) {
    f.width = f.height = size;
    f.pixels.assign(static_cast<size_t>(size) * size, 1);
    f.pixels[static_cast<size_t>(size) * size / 2 + size / 2] = 7;
    f.runLength = true;
  }
  std::vector<uint8_t> palette(1024, 0);
  for (int i = 0; i < 256; ++i) palette[i * 4] = palette[i * 4 + 1] = palette[i * 4 + 2] = static_cast<uint8_t>(i);
  auto s = std::make_unique<Sprite>();
  s->OpenMemory(BuildMbm(specs, &palette), 0);
  return s;
}

// Input-state bytes of a frame (held << 7 | presses).
constexpr int kLeft = 2, kUp = 3, kFire1 = 4, kFire4 = 7, kFire5 = 8;

class DerbyWorldTest : public testing::Test {
 protected:
  void SetUp() override {
    std::memcpy(savedPlayers_, g_players, sizeof g_players);
    std::memcpy(savedStates_, g_playerStates, sizeof g_playerStates);
    std::memcpy(savedLocal_, g_localPlayers, sizeof g_localPlayers);
    savedMode_ = g_playMode;
    const auto fixtures = ComputerFixtures();
    std::copy(fixtures.begin(), fixtures.end(), g_players);
    std::memset(g_playerStates, 0, sizeof g_playerStates);
    g_localPlayers[0] = 0;
    g_localPlayers[1] = 1;
    g_playMode = 0;
    SeedRandom(1);
  }
  void TearDown() override {
    world_.Clear();
    std::memcpy(g_players, savedPlayers_, sizeof g_players);
    std::memcpy(g_playerStates, savedStates_, sizeof g_playerStates);
    std::memcpy(g_localPlayers, savedLocal_, sizeof g_localPlayers);
    g_playMode = savedMode_;
  }

  // A skater of player p at (x, z) heading `heading`, driven by its input.
  DerbySkater* Skater(int p, float x, float z, float heading = kPi / 2, int character = 0) {
    auto* s = new DerbySkater(&world_, 16, 16, 16, 16, nullptr);
    s->objectIndex = kFirstSkaterSlot + p;
    s->x = s->lastX = x;
    s->z = s->lastZ = z;
    s->heading = heading;
    s->height = 2.5f;
    s->character = character;
    s->acceleration = StrideAcceleration(g_players[p].speed, false);
    s->FindPiece();
    s->y = TrackHeight(s->pieceIndex, Point2f(x, z));
    world_.objects[s->objectIndex] = s;
    return s;
  }
  void Hold(int p, std::initializer_list<int> bytes) {
    std::memset(g_playerStates[p], 0, kPlayerStateSize);
    for (int b : bytes) g_playerStates[p][b] = 0x81;
  }
  // One race frame, as the event runs it.
  void Frame() {
    for (int k = 0; k < kObjectSlots; ++k)
      if (DerbyObject* o = world_.objects[k]) o->Update(world_.objects);
  }

  DerbyWorld world_;
  PlayerRecord savedPlayers_[4];
  uint8_t savedStates_[4][kPlayerStateSize];
  int32_t savedLocal_[3];
  int32_t savedMode_ = 0;
};

TEST_F(DerbyWorldTest, StridesGiveSpeedOnlyAtTheirStartAndOnlyWhenRested) {
  DerbySkater* s = Skater(0, 96, 330);
  g_players[0].energy = 100;
  Hold(0, {kUp});
  const float a = s->acceleration;
  Frame();
  EXPECT_EQ(s->state, da::kStriding);
  EXPECT_FLOAT_EQ(s->speed, a);
  EXPECT_EQ(g_players[0].energy, 97);
  // The rest of the stride (8 frames for RIZAZ) only coasts.
  for (int f = 1; f < 8; ++f) {
    const float before = s->speed;
    Frame();
    EXPECT_LT(s->speed, before) << f;
  }
  Frame();  // the stride is over: the next push
  EXPECT_GT(s->speed, a);
  EXPECT_EQ(g_players[0].energy, 94);

  // Tired (energy 9): he turns and brakes, but gains nothing.
  DerbySkater* t = Skater(1, 96, 400);
  g_players[1].energy = 9;
  Hold(1, {kUp, kLeft});
  Frame();
  EXPECT_EQ(t->speed, 0.0f);
  EXPECT_GT(t->heading, kPi / 2);
  EXPECT_EQ(g_players[1].energy, 9);
}

TEST_F(DerbyWorldTest, APillDoublesThePushAndIsNotTakenTwice) {
  DerbySkater* s = Skater(0, 96, 330);
  g_players[0].powerPills = 2;
  Hold(0, {kFire5});  // pick the pill
  Frame();
  EXPECT_EQ(s->item, 2);
  Hold(0, {kFire1});  // and take it
  Frame();
  EXPECT_EQ(s->boost, 2);
  EXPECT_EQ(g_players[0].powerPills, 1);
  Frame();  // still on the pill: the second stays in the box
  EXPECT_EQ(g_players[0].powerPills, 1);
  Hold(0, {kUp});
  s->speed = 0;
  s->state = da::kSkating;
  s->frameCounter = 0;
  Frame();
  EXPECT_FLOAT_EQ(s->speed, 2 * s->acceleration);
  for (int f = 0; f < 200; ++f) Frame();
  EXPECT_EQ(s->boost, 1);
}

TEST_F(DerbyWorldTest, SkatersBumpAndTheFastOneIsKnocked) {
  DerbySkater* a = Skater(0, 96, 330);
  DerbySkater* b = Skater(1, 96, 334);  // 4 ahead
  a->speed = 6;
  Frame();
  // 6 on would take him within 3 of b: back where he was, 2 slower, knocked.
  EXPECT_FLOAT_EQ(a->z, 330.0f);
  EXPECT_NEAR(a->speed, 6 * 0.992f - 2, 1e-4);
  EXPECT_EQ(a->state, da::kHit);
  // A slow bump only stops him.
  a->state = da::kSkating;
  a->speed = 2.5f;
  b->z = 331.5f + 2.9f;
  Frame();
  EXPECT_EQ(a->state, da::kSkating);
  EXPECT_FLOAT_EQ(a->speed, 2.5f * 0.992f - 2.0f);
}

TEST_F(DerbyWorldTest, WallsStopCostAndSlide) {
  // Coasting into the right wall of the start straight (x 123 inside).
  DerbySkater* s = Skater(0, 120, 330, 0.0f);
  s->speed = 3.0f / 0.992f;  // 3.0 when it moves
  g_players[0].energy = 50;
  Frame();
  EXPECT_EQ(s->x, 120.0f);
  EXPECT_EQ(s->speed, 0.0f);
  EXPECT_EQ(g_players[0].energy, 50);
  EXPECT_EQ(s->state, da::kSkating);
  s->speed = 5.0f;
  Frame();
  EXPECT_EQ(g_players[0].energy, 49);
  EXPECT_EQ(s->state, da::kHit);

  // Pushing into it at an angle: he slides along it.
  DerbySkater* t = Skater(1, 120, 360, kPi / 4);
  t->speed = 6.0f;
  Hold(1, {kUp});
  Frame();
  EXPECT_GT(t->z, 360.0f);
  EXPECT_LT(t->x, 123.0f);
  EXPECT_GT(t->speed, 0.0f);
}

// A wall segment of no length (or a move that meets a wall at a corner)
// leaves no direction to slide in: the skater stops where he was.
TEST_F(DerbyWorldTest, ASlideAlongAWallOfNoLengthStops) {
  TrackShape shape = Track();
  // The start straight's right wall cut to a point at (123, 320), its
  // second segment running on from there.
  TrackEdges& e = shape.innerEdges[0];
  e.count = 6;
  const Point2f first[3] = {{69, 320}, {69, 448}, {69, 448}};
  const Point2f second[3] = {{123, 320}, {123, 320}, {123, 448}};
  for (int i = 0; i < 3; ++i) {
    e.points[i] = first[i];
    e.points[3 + i] = second[i];
  }
  world_.track = &shape;
  DerbySkater* s = Skater(0, 121, 318.5f, kPi / 4);
  s->FindPiece();
  ASSERT_EQ(s->pieceIndex, 23);
  s->x = 121;
  s->z = 319;
  s->pieceIndex = 0;
  s->speed = 4.0f;
  Hold(0, {kUp});
  for (int f = 0; f < 3; ++f) Frame();
  EXPECT_TRUE(std::isfinite(s->x) && std::isfinite(s->z));
  EXPECT_LE(s->x, 123.0f);
  world_.track = &Track();
}

TEST_F(DerbyWorldTest, LapsCountAcrossTheLineBothWays) {
  DerbySkater* s = Skater(0, 96, 318);
  ASSERT_EQ(s->pieceIndex, 23);
  s->speed = 4;
  Frame();
  EXPECT_EQ(s->pieceIndex, 0);
  EXPECT_EQ(s->laps, 1);
  EXPECT_EQ(s->progress, 96);
  s->heading = 3 * kPi / 2;  // back over the line
  s->speed = 8;
  Frame();
  EXPECT_EQ(s->pieceIndex, 23);
  EXPECT_EQ(s->laps, 0);
}

TEST_F(DerbyWorldTest, APunchHurtsWhoIsInReach) {
  DerbySkater* a = Skater(0, 96, 330);
  DerbySkater* b = Skater(1, 96, 333.5f);
  b->speed = 0;
  g_players[0].strength = 100;
  g_players[1].endurance = 50;
  g_players[1].energy = 80;
  SeedRandom(3);
  Hold(0, {kFire1});
  Frame();
  ASSERT_TRUE(a->state == da::kAttack1 || a->state == da::kAttack2);
  Hold(0, {});
  const int at = static_cast<int>(da::kSkaterAnimations[0][a->state].frameCount) / 2;
  for (int f = 1; f < at; ++f) Frame();
  EXPECT_EQ(g_players[1].energy, 80);
  Frame();
  EXPECT_EQ(g_players[1].energy, 80 - PunchDamage(100, 1, 1, 50));
  EXPECT_EQ(b->state, da::kHit);
  EXPECT_NE(b->starPicture, 0);
}

TEST_F(DerbyWorldTest, AThrownWeaponHitsTheSkaterAheadButNeverItsThrower) {
  std::unique_ptr<Sprite> sheet = PlainSprite(6, 32);
  world_.weaponSprites[0] = sheet.get();
  DerbySkater* a = Skater(0, 96, 330);
  DerbySkater* fallen = Skater(2, 96, 350);
  fallen->state = da::kFallen;  // lying in the way: flown over
  g_players[2].energy = 0;
  DerbySkater* b = Skater(1, 96, 372);
  g_players[0].weaponUnits = 3;
  g_players[1].energy = 100;  // at the top: nothing comes back before the hit
  g_players[1].endurance = 50;
  Hold(0, {kFire4});  // pick the weapon
  Frame();
  EXPECT_EQ(a->item, 1);
  Hold(0, {kFire1});  // throw it
  Frame();
  EXPECT_EQ(a->state, da::kThrowing);
  Hold(0, {});
  Frame();
  EXPECT_EQ(g_players[0].weaponUnits, 3);
  Frame();  // frame 2 of the throw: it leaves the hand
  EXPECT_EQ(g_players[0].weaponUnits, 2);
  ASSERT_NE(world_.objects[kFirstWeaponSlot], nullptr);
  EXPECT_NEAR(world_.objects[kFirstWeaponSlot]->z, 344, 1e-3) << "14 on in the frame it was thrown";
  for (int f = 0; f < 3 && world_.objects[kFirstWeaponSlot]; ++f) Frame();
  EXPECT_EQ(world_.objects[kFirstWeaponSlot], nullptr);
  EXPECT_EQ(g_players[1].energy, 100 - WeaponDamage(g_players[0].weaponPower, 1, 50));
  EXPECT_EQ(b->state, da::kHit);
  EXPECT_EQ(fallen->starPicture, 0);
  EXPECT_EQ(a->starPicture, 0);
  EXPECT_EQ(a->state, da::kThrowing);
  world_.Clear();
}

TEST_F(DerbyWorldTest, MinesCatchWhoRunsOverThem) {
  struct Case {
    Point2f now, before;
    bool hit;
  };
  const Point2f m(100, 400);
  const Case cases[] = {
      {{100, 400}, {100, 400}, true},    // standing on it
      {{104.9f, 400}, {104.9f, 390}, true},  // 4.9 beside
      {{105.1f, 410}, {105.1f, 390}, false},  // 5.1 beside, passing
      {{100, 412}, {100, 388}, true},    // jumping it in one frame
      {{102.5f, 412}, {102.5f, 388}, false},  // beside the square
      {{120, 400}, {80, 400}, false},    // too far (15) after the move
  };
  for (const Case& c : cases) EXPECT_EQ(RunsOverMine(m, c.now, c.before), c.hit) << c.now.x << "," << c.now.y;

  DerbySkater* s = Skater(0, 96, 400);
  g_players[0].energy = 60;
  auto* mine = new DerbyMine(&world_);
  mine->objectIndex = kFirstMineSlot;
  mine->x = 96;
  mine->z = 400;
  world_.objects[kFirstMineSlot] = mine;
  Frame();
  EXPECT_EQ(world_.objects[kFirstMineSlot], nullptr) << "a mine goes off once";
  EXPECT_EQ(g_players[0].energy, 35);
  EXPECT_EQ(s->state, da::kFallen);
}

TEST_F(DerbyWorldTest, TheComputersChoices) {
  // On the start piece's last quarter the line wants lane 1: from the
  // middle, steer right.
  DerbySkater* s = Skater(0, 96, 420);
  s->UpdateQuarter();
  ASSERT_EQ(s->quarter, 3);
  ControlFlags f;
  s->ComputerControl(&f);
  EXPECT_TRUE(f.right);
  EXPECT_FALSE(f.left);
  EXPECT_TRUE(f.accelerate);  // energy, stride over, slow on a straight

  // Far off the line (lane -2): crawl between 2.5 and 3.
  DerbySkater* off = Skater(1, 72, 350);
  off->speed = 3.5f;
  ControlFlags g;
  off->ComputerControl(&g);
  EXPECT_TRUE(g.brake);
  EXPECT_FALSE(g.accelerate);

  // What is ahead: a skater 20 away blocks asin(6.5 / 20) either side; one
  // 6.5 or nearer is not seen.
  world_.Clear();
  DerbySkater* me = Skater(0, 96, 330);
  Skater(1, 96, 350);
  int entry = -1;
  float low = 0, high = 0;
  me->FindObstacle(&entry, &low, &high);
  EXPECT_EQ(entry, kFirstSkaterSlot + 1);
  EXPECT_NEAR(high, std::asin(0.325f), 1e-5);
  EXPECT_NEAR(low, -std::asin(0.325f), 1e-5);
  world_.objects[kFirstSkaterSlot + 1]->z = 336;
  me->FindObstacle(&entry, &low, &high);
  EXPECT_EQ(entry, -1);

  // On a turn at 8 with the heading off by more than pi/12: brake.
  world_.Clear();
  const da::TrackLayoutEntry& turn = da::kTrackLayout[1];
  DerbySkater* t = Skater(0, turn.x + 128 - 128 * std::cos(0.3f), turn.z + 128 * std::sin(0.3f));
  t->heading = TrackHeadingAt(1, t->x, t->z) + kPi / 6;
  t->speed = 8;
  t->UpdateQuarter();
  ControlFlags h;
  t->ComputerControl(&h);
  EXPECT_TRUE(h.brake);
  EXPECT_FALSE(h.accelerate);
}

// Four computer skaters, any characters, with the mines on the track:
// each goes round twice, whatever the random draws of their fights.
TEST_F(DerbyWorldTest, ComputerSkatersFinishTwoLapsOnEverySeed) {
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    world_.Clear();
    SeedRandom(seed);
    for (int p = 0; p < 4; ++p) {
      g_players[p] = FixturePlayer(static_cast<int>((seed + p) % 6), false, "CPU");
      world_.computer[p] = true;
      DerbySkater* s = Skater(p, 76.0f + 10.0f * p, 320.0f, kPi / 2, g_players[p].character);
      s->acceleration = StrideAcceleration(g_players[p].speed, true);
    }
    PlaceMines(&world_);
    int frames = 0;
    auto allDone = [&] {
      for (int p = 0; p < 4; ++p)
        if (world_.Skater(p)->laps < kRaceLaps) return false;
      return true;
    };
    for (; frames < kTimeLimitSeconds * kFramesPerClockSecond && !allDone(); ++frames) Frame();
    EXPECT_TRUE(allDone()) << "after " << frames << " frames";
    for (int p = 0; p < 4; ++p) {
      EXPECT_GE(g_players[p].energy, 0);
      EXPECT_LE(g_players[p].energy, 100);
      EXPECT_GE(world_.Skater(p)->progress, kRaceLaps * 96);
    }
  }
}

}  // namespace
