// The rules as plain functions, and the actors driven on a world without a
// screen: a swimmer's speed for held keys, a weapon's flight to the grid's
// edge and into a creature.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/player_records.h"
#include "base/random.h"
#include "events/troubled_waters/swim_actors.h"
#include "events/troubled_waters/swim_course.h"
#include "events/troubled_waters/swim_data.h"
#include "events/troubled_waters/swim_rules.h"
#include "events/troubled_waters/swimmer.h"
#include "events/troubled_waters/troubled_waters_data.h"
#include "tests/support/event_harness.h"

using namespace swim;

namespace sa = swimassets;

TEST(SwimRules, DirectionsAndThrows) {
  struct Case { int fx, fy, group, bump; };
  for (const Case& c : {Case{-1, -1, 2, 3}, Case{-1, 0, 3, 4}, Case{-1, 1, 4, 5}, Case{0, -1, 1, 2}, Case{0, 0, 0, 2},
                        Case{0, 1, 5, 6}, Case{1, -1, 1, 1}, Case{1, 0, 0, 0}, Case{1, 1, 5, 7}}) {
    EXPECT_EQ(DirectionGroup(c.fx, c.fy), c.group) << c.fx << "," << c.fy;
    EXPECT_EQ(BumpDirection(c.fx, c.fy), c.bump) << c.fx << "," << c.fy;
  }
  struct Throw { int vx, vy, character, d; };
  for (const Throw& t : {Throw{3, -2, 0, 0}, Throw{3, 0, 0, 1}, Throw{3, 2, 0, 2}, Throw{-3, 2, 0, 3}, Throw{-3, 0, 0, 4},
                         Throw{-3, -2, 0, 5}, Throw{0, 2, 0, 6}, Throw{0, -2, 0, 7}, Throw{0, 0, 0, -1},
                         Throw{0, 2, kZovi, -1}, Throw{0, -2, kZovi, -1}, Throw{2, 2, kZovi, 2}})
    EXPECT_EQ(ThrowDirection(t.vx, t.vy, t.character), t.d) << t.vx << "," << t.vy;
  struct Aim { int d, dx, dy; bool yes; };
  for (const Aim& a : {Aim{1, 300, 20, true}, Aim{1, 300, 50, false}, Aim{1, 600, 0, false}, Aim{0, 200, -200, true},
                       Aim{0, 200, -150, false}, Aim{4, -100, 0, true}, Aim{6, 10, 100, true}, Aim{7, 10, 100, false},
                       Aim{3, -100, 100, true}, Aim{5, -100, -100, true}, Aim{2, 100, 100, true}})
    EXPECT_EQ(AimAtCreature(a.d, a.dx, a.dy), a.yes) << a.d << " " << a.dx << "," << a.dy;
}

TEST(SwimRules, DamageSpeedAirAndClock) {
  EXPECT_EQ(CreatureDamage(kShark, 50), 10);
  EXPECT_EQ(CreatureDamage(kEel, 50), 7);
  EXPECT_EQ(CreatureDamage(kJelly, 50), 5);
  EXPECT_EQ(CreatureDamage(kShark, 150), 0);  // a trained athlete is not healed by a bite
  struct Speed { int speed, step; };
  for (const Speed& s : {Speed{0, 5}, Speed{24, 5}, Speed{25, 6}, Speed{44, 7}, Speed{45, 8}, Speed{69, 9}, Speed{70, 10}})
    EXPECT_EQ(SpeedStepFor(s.speed), s.step) << s.speed;
  EXPECT_EQ(AirLossFor(50), 142);
  EXPECT_EQ(AirLossFor(0), 7142);  // no division by zero
  // The computer looks for a pump only with its tank (all but) empty; the
  // tank may end overdrawn.
  for (int32_t air : {-7142, 0, 49}) EXPECT_TRUE(WantsPump(air)) << air;
  for (int32_t air : {50, 24999, kFullAir}) EXPECT_FALSE(WantsPump(air)) << air;
  EXPECT_EQ(RaceSeconds(14), 0);
  EXPECT_EQ(RaceSeconds(15), 1);
  EXPECT_EQ(ClockText(0), "0 : 00");
  EXPECT_EQ(ClockText(65), "1 : 05");
  EXPECT_EQ(ClockText(600), "10 : 00");
}

TEST(SwimRules, MoodsAndPlaces) {
  struct Case { MoodInput m; int mood; };
  const Case cases[] = {
      {{3, 1, 500, 0, -1, 40000, 80, 100}, 3},  // stunned
      {{0, 5, 500, 0, -1, 40000, 80, 100}, 3},  // bumped
      {{0, 4, 500, 0, -1, 40000, 80, 100}, 2},  // at the pump
      {{0, 1, 500, 0, 1, 40000, 80, 100}, 2},   // finished
      {{0, 1, 500, 0, -1, 0, 80, 100}, 0},      // no air
      {{0, 1, 500, 0, -1, 25000, 80, 100}, 1},  // half a tank
      {{0, 1, 500, 0, -1, 40000, 50, 100}, 5},
      {{0, 1, 500, 0, -1, 40000, 49, 100}, 4},
  };
  for (const Case& c : cases) EXPECT_EQ(SwimmerMood(c.m), c.mood);
  struct Rank { int32_t x[4], air[4], place[4]; };
  const Rank ranks[] = {
      {{10100, 9000, 10200, 500}, {0, 0, 0, 0}, {1, 2, 0, 3}},
      {{5000, 5000, 5000, 5000}, {10000, 40000, 40000, 20000}, {3, 0, 1, 2}},  // air, then the index
      {{-20000, -30000, 100, 100}, {0, 0, 0, 0}, {2, 3, 0, 1}},                // far left still ranked
  };
  for (const Rank& r : ranks) {
    int32_t place[4];
    RankSwimmers(r.x, r.air, place);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(place[i], r.place[i]) << i;
  }
}

TEST(SwimRules, FramesAndRowsStayInTheirPictures) {
  // A random first frame of a short sprite (or of none) is still one of its
  // frames, and takes one draw whatever the count, as on every machine.
  for (int32_t frames : {0, 1, 2, 3, 12}) {
    SeedRandom(99);
    for (int i = 0; i < 300; ++i) {
      const int32_t f = RandomStartFrame(frames);
      EXPECT_GE(f, 1) << frames;
      EXPECT_LE(f, std::max(1, frames)) << frames;
    }
    const uint32_t after = RandomState();
    SeedRandom(99);
    for (int i = 0; i < 300; ++i) Rand15();
    EXPECT_EQ(RandomState(), after) << frames;
  }
  // The background comes round as the view sinks, above the maze too, and
  // never reads a row past its picture.
  struct Row { int32_t cameraY; int row, rows, want; };
  for (const Row& r : {Row{0, 0, 400, 0}, Row{0, 399, 400, 399}, Row{16 * 10, 395, 400, 5}, Row{-16 * 3, 0, 400, 397},
                       Row{-15, 0, 400, 0}, Row{10000 * 16, 0, 400, 0}, Row{2147483647, 399, 400, 126},
                       Row{-2147483647, 0, 400, 273}, Row{5000, 100, 7, 6}, Row{5000, 100, 0, 0}})
    EXPECT_EQ(BackgroundRow(r.cameraY, r.row, r.rows), r.want) << r.cameraY << " " << r.row << " " << r.rows;
}

namespace {

// A world of open water with one swimmer of player 0.
struct OpenWater {
  MazeGrid maze;
  SwimWorld world;
  std::unique_ptr<Swimmer> swimmer;
  explicit OpenWater(bool human) {
    maze.Alloc(kMazeSize, kMazeSize);
    for (int r = 1; r < 99; ++r)
      for (int c = 0; c < 100; ++c) maze.Set(r, c, kWater);
    world.maze = &maze;
    auto f = ComputerFixtures();
    std::memcpy(g_players, f.data(), sizeof g_players);
    g_players[0].human = human ? 1 : 0;
    world.persons = human ? 1 : 0;
    swimmer = std::make_unique<Swimmer>(0, &world, nullptr, DefaultSwimmerData());
    swimmer->speedStep = 7;
    swimmer->airLoss = 100;
    swimmer->PlaceAt(1000, 5050);
    world.swimmers[0] = swimmer.get();
    std::memset(g_playerStates, 0, sizeof g_playerStates);
  }
  ~OpenWater() {
    for (SwimWeapon*& w : world.weapons) delete w;
  }
};

}  // namespace

// The map never stands over a swimmer that a view's camera holds in its
// middle (half the view's width, 200 down), with one view or two, and stays
// on the screen above the status band.
TEST(SwimRules, TheMapLeavesEachViewsSwimmerInSight) {
  for (int views = 1; views <= 2; ++views) {
    const int w = 640 / views;
    const ScreenBox m = MapArea(views);
    EXPECT_GE(m.x, 0);
    EXPECT_LE(m.x + m.width, 640);
    EXPECT_LE(m.y + m.height, 400);
    for (int v = 0; v < views; ++v) {
      const int x = v * w + w / 2 - sa::kSwimmerW / 2, y = 200 - sa::kSwimmerH / 2;
      const bool overlap = x < m.x + m.width && m.x < x + sa::kSwimmerW && y < m.y + m.height && m.y < y + sa::kSwimmerH;
      EXPECT_FALSE(overlap) << views << " views, view " << v;
    }
  }
}

TEST(SwimActors, HeldKeysBuildSpeedUpToTheLimit) {
  OpenWater w(true);
  Swimmer& s = *w.swimmer;
  for (int f = 0; f < 12; ++f) {
    ++w.world.raceFrame;
    g_playerStates[0][0] = 0x80;  // right held
    s.Update();
  }
  EXPECT_EQ(s.vx, 7);
  EXPECT_EQ(s.state, kSwimming);
  EXPECT_EQ(s.x, 1000 + 1 + 2 + 3 + 4 + 5 + 6 + 7 * 6);
  EXPECT_LT(s.air, kFullAir);
  // Released: drag takes one off every ten frames.
  for (int f = 0; f < 10; ++f) {
    ++w.world.raceFrame;
    g_playerStates[0][0] = 0;
    s.Update();
  }
  EXPECT_EQ(s.vx, 6);
  // A power pill lifts the limit.
  g_players[0].powerPills = 1;
  g_playerStates[0][8] = 1;
  s.Update();
  EXPECT_EQ(s.pillTime, 200);
  EXPECT_EQ(g_players[0].powerPills, 0);
}

TEST(SwimActors, WeaponsFlyStraightAndEndAtTheEdgeOrInACreature) {
  OpenWater w(true);
  // Diagonal 15 a frame on each axis, straight 21.
  auto* diag = new SwimWeapon(&w.world, 5000, 5000, 2, 0, 0);
  diag->Update();
  EXPECT_EQ(diag->x, 5015);
  EXPECT_EQ(diag->y, 5015);
  auto* up = new SwimWeapon(&w.world, 5000, 5000, 7, 0, 1);
  EXPECT_EQ(up->frame, 1);  // up and down show the frames of direction 0
  up->Update();
  EXPECT_EQ(up->y, 4979);
  // Out past the right edge of the grid: it ends there instead of reading
  // past the row.
  auto* out = new SwimWeapon(&w.world, 9990, 5000, 1, 0, 2);
  out->Update();
  EXPECT_EQ(w.world.weapons[2], nullptr);
  // Into a shark: the shark backs off and the weapon is gone.
  SeaCreature shark(kShark, &w.world, nullptr, 6000, 5050);
  w.world.sharks[0] = &shark;
  auto* hit = new SwimWeapon(&w.world, 6000 - 21, 5050, 1, 0, 3);
  hit->Update();
  EXPECT_EQ(w.world.weapons[3], nullptr);
  EXPECT_EQ(shark.cooldown, 150);
  EXPECT_GE(shark.starFrame, 1);
  EXPECT_LE(shark.starFrame, 11);
  // Past the other edges and corners as well (the border rows opened, so
  // that only the edge ends the flight).
  for (int c = 0; c < kMazeSize; ++c) {
    w.maze.Set(0, c, kWater);
    w.maze.Set(kMazeSize - 1, c, kWater);
  }
  struct Edge { int32_t x, y; int d; };
  for (const Edge& e : {Edge{10, 5000, 4}, Edge{5000, 10, 7}, Edge{5000, 9990, 6}, Edge{10, 10, 5}, Edge{9990, 9990, 2},
                        Edge{10, 9990, 3}, Edge{9990, 10, 0}}) {
    new SwimWeapon(&w.world, e.x, e.y, e.d, 0, 4);
    w.world.weapons[4]->Update();
    EXPECT_EQ(w.world.weapons[4], nullptr) << e.x << "," << e.y << " direction " << e.d;
  }
  // With every slot taken a throw does nothing.
  for (int i = 0; i < kWeaponSlots; ++i)
    if (!w.world.weapons[i]) new SwimWeapon(&w.world, 5000, 5000, 1, 0, i);
  EXPECT_EQ(w.world.FreeWeaponSlot(), -1);
  w.world.sharks[0] = nullptr;
}

TEST(SwimActors, AComputerSwimmerActsOnlyOnItsOwnChoice) {
  // What was in a computer player's record before (a throw and a pill held
  // over from a person who left, or from the frame before) is gone before
  // it chooses: in open water with no creature it neither throws nor takes
  // a pill.
  OpenWater w(false);
  Swimmer& s = *w.swimmer;
  g_players[0].powerPills = 2;
  g_players[0].weaponUnits = 5;
  std::memset(g_playerStates[0], 0x81, kPlayerStateSize);
  ++w.world.raceFrame;
  s.Update();
  EXPECT_EQ(g_players[0].powerPills, 2);
  EXPECT_EQ(g_players[0].weaponUnits, 5);
  EXPECT_EQ(s.pillTime, 0);
  EXPECT_EQ(w.world.FreeWeaponSlot(), 0);
  for (int b = 4; b < kPlayerStateSize; ++b) EXPECT_EQ(g_playerStates[0][b], 0) << b;
  // The same bytes in a person's record are his keys: he throws.
  OpenWater p(true);
  g_players[0].weaponUnits = 5;
  std::memset(g_playerStates[0], 0, kPlayerStateSize);
  g_playerStates[0][7] = 1;     // throw
  g_playerStates[0][0] = 0x81;  // right
  ++p.world.raceFrame;
  p.swimmer->Update();
  EXPECT_EQ(g_players[0].weaponUnits, 4);
}

TEST(SwimActors, AComputerSwimmerHoldsTheRowOfItsRoute) {
  // A route along row 50 through open water. A computer swimmer swimming
  // along it with speed left over upwards or downwards stays in the row
  // (the water off the route is where it would only wander), but sinks or
  // rises on when the route goes on into the next row.
  struct Case {
    int32_t y, vy;
    bool routeGoesOn;
    int wantRow;
  };
  for (const Case& c : {Case{5070, 5, false, 50}, Case{5030, -5, false, 50}, Case{5070, 5, true, 51},
                        Case{5030, -5, true, 49}}) {
    SCOPED_TRACE(testing::Message() << "vy " << c.vy << (c.routeGoesOn ? ", route goes on" : ""));
    OpenWater w(false);
    Swimmer& s = *w.swimmer;
    for (int col = 5; col < 90; ++col) {
      w.maze.Set(50, col, kRouteCell);
      if (c.routeGoesOn) w.maze.Set(50 + (c.vy > 0 ? 1 : -1), col, kRouteCell);
    }
    s.PlaceAt(1000, c.y);
    s.vx = 5;
    s.vy = c.vy;
    int lastRow = 50;
    for (int f = 0; f < 60; ++f) {
      ++w.world.raceFrame;
      s.Update();
      lastRow = s.y / kCellPixels;
      if (!c.routeGoesOn) {
        ASSERT_EQ(lastRow, 50) << "frame " << f;
      }
    }
    EXPECT_EQ(lastRow, c.wantRow);
    EXPECT_GT(s.x, 1000 + 60 * 4) << "it swam on along the route";
  }
}

TEST(SwimActors, ATurnPlaysFromTheWayTheSwimmerLastFacedAfterAStop) {
  // A person swims one way, lets go until he floats still, then swims off
  // another way: the turn (or none) is judged from where he last faced, not
  // from the stillness of the frame before.
  constexpr uint8_t kRightKey = 0, kDownKey = 1, kLeftKey = 2;
  struct Case {
    const char* what;
    std::vector<uint8_t> first, then;
    bool turn;
    int group;  // of the turn's first direction, or of the new swimming direction
    bool halved;
  };
  const Case cases[] = {
      {"right, then left", {kRightKey}, {kLeftKey}, true, 0, false},
      {"left, then right", {kLeftKey}, {kRightKey}, true, 3, false},
      {"down-left, then down-right", {kDownKey, kLeftKey}, {kDownKey, kRightKey}, true, 4, true},
      {"left, then left again", {kLeftKey}, {kLeftKey}, false, 3, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OpenWater w(true);
    Swimmer& s = *w.swimmer;
    s.PlaceAt(5000, 5050);
    auto frame = [&](const std::vector<uint8_t>& keys) {
      std::memset(g_playerStates[0], 0, kPlayerStateSize);
      for (uint8_t k : keys) g_playerStates[0][k] = 0x80;
      ++w.world.raceFrame;
      s.Update();
    };
    for (int f = 0; f < 12; ++f) frame(c.first);
    for (int f = 0; f < 100; ++f) frame({});
    ASSERT_EQ(s.vx, 0);
    ASSERT_EQ(s.vy, 0);
    ASSERT_EQ(s.state, kFloating);
    frame(c.then);
    ASSERT_EQ(s.state, kSwimming);
    EXPECT_EQ(s.turning, c.turn ? 1 : 0);
    if (c.turn) {
      EXPECT_EQ(s.animFirst, s.firstFrame[3] + s.count[3] * c.group);
      EXPECT_EQ(s.animLength, c.halved ? s.count[3] / 2 : s.count[3]);
    } else {
      EXPECT_EQ(s.animFirst, s.firstFrame[0] + s.count[0] * c.group);
    }
    EXPECT_EQ(s.frame, s.animFirst);
  }
}
