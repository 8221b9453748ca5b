// The rules of PLATFORM KICKBOXING as tables: projection and directions, the
// input and item choices, the attack chain, damage, walking, falls, places
// with ties, face moods, the pillar rules and the fighters' animation table.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

#include "events/kickboxing/kick_rules.h"
#include "events/kickboxing/kickboxing_data.h"

using namespace kick;

namespace {

uint8_t HeldByte() { return 0x80; }

TEST(KickRules, ProjectionPutsThePlatformsCornersWhereTheSceneDrawsThem) {
  struct Case {
    float x, y, z;
    int sx, sy;
  };
  const Case cases[] = {
      {0, 0, 0, 450, 380},                // the left corner
      {378.55f, 378.55f, 0, 1144, 380},   // the right corner
      {0, 378.55f, 0, 797, 220},          // the back corner
      {378.55f, 0, 0, 797, 539},          // the front corner
      {18.927f, 18.927f, 100, 484, 280},  // a raised pillar of cell 0
      {-10, -10, -165, 431, 545},         // below the edge
  };
  for (const Case& c : cases) {
    const ScreenPoint p = ProjectToScreen(c.x, c.y, c.z);
    EXPECT_EQ(p.x, c.sx) << c.x << "," << c.y << "," << c.z;
    EXPECT_EQ(p.y, c.sy) << c.x << "," << c.y << "," << c.z;
  }
}

// A view follows its fighter: the camera's y stays within the scene, its x
// is never held, so a fighter at the left corner stays where his view puts
// him (the right half of a split view at 480).
TEST(KickRules, ViewCamerasFollowTheFighter) {
  struct Case {
    ScreenPoint fighter;
    int centre;
    ScreenPoint camera;
  };
  const Case cases[] = {
      {{797, 380}, 320, {477, 180}},
      {{431, 545}, 480, {-49, 345}},   // below the left corner, in the right view
      {{450, 150}, 160, {290, 0}},     // high up: the camera's y stops at 0
      {{1144, 700}, 320, {824, 400}},  // low down: at 400
  };
  for (const Case& c : cases) {
    const ScreenPoint p = ViewCamera(c.fighter, c.centre);
    EXPECT_EQ(p.x, c.camera.x) << c.fighter.x << "," << c.fighter.y << " in a view centred at " << c.centre;
    EXPECT_EQ(p.y, c.camera.y) << c.fighter.x << "," << c.fighter.y << " in a view centred at " << c.centre;
  }
}

TEST(KickRules, CellsAndTheirOrderFromBackToFront) {
  EXPECT_FLOAT_EQ(CellCentreX(0), 18.927f);
  EXPECT_FLOAT_EQ(CellCentreY(90), 9 * 37.855f + 18.927f);
  EXPECT_FLOAT_EQ(CellCentreX(9), 9 * 37.855f + 18.927f);
  EXPECT_EQ(GridIndex(378.55f), 9);  // the edge still reads the last column
  EXPECT_EQ(GridIndex(-3), 0);
  EXPECT_EQ(GridIndex(37.86f), 1);
  EXPECT_TRUE(OnPlatform(378.55f, 0));
  EXPECT_FALSE(OnPlatform(378.56f, 0));
  EXPECT_FALSE(OnPlatform(5, -0.01f));
  int order[kCells];
  BackToFrontCells(order);
  const int head[10] = {90, 80, 91, 70, 81, 92, 60, 71, 82, 93};
  const int tail[5] = {18, 29, 8, 19, 9};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(order[i], head[i]);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(order[95 + i], tail[i]);
  EXPECT_EQ(std::set<int>(order, order + kCells).size(), 100u);
}

TEST(KickRules, DirectionsMovesAndSpriteRows) {
  const double d = 10 * 0.70710678;
  const struct {
    int dir;
    double dx, dy;
    int row;
  } cases[] = {{0, 10, 0, 3}, {1, d, d, 2}, {2, 0, 10, 1}, {3, -d, d, 0},
               {4, -10, 0, 7}, {5, -d, -d, 6}, {6, 0, -10, 5}, {7, d, -d, 4}};
  for (const auto& c : cases) {
    float x = 100, y = 100;
    MoveInDirection(&x, &y, c.dir, 10);
    EXPECT_FLOAT_EQ(x, static_cast<float>(100 + c.dx)) << c.dir;
    EXPECT_FLOAT_EQ(y, static_cast<float>(100 + c.dy)) << c.dir;
    EXPECT_EQ(DirectionToSpriteRow(c.dir), c.row);
    // The way to a point straight along a direction is that direction.
    EXPECT_EQ(DirectionTo(static_cast<float>(c.dx), static_cast<float>(c.dy)), c.dir);
  }
  // Sector borders lie where one component is twice the other.
  EXPECT_EQ(DirectionTo(10, 4.9f), 0);
  EXPECT_EQ(DirectionTo(10, 5), 1);
  EXPECT_EQ(DirectionTo(4.9f, 10), 2);
  EXPECT_EQ(DirectionTo(-10, -5), 5);
  EXPECT_EQ(DirectionTo(3, -20), 6);
}

TEST(KickRules, ArrowsGiveTheScreensDirections) {
  // Bytes: 0 right, 1 down, 2 left, 3 up.
  const struct {
    bool right, down, left, up;
    int dir;
  } cases[] = {{false, false, false, false, -1}, {true, false, false, true, 2}, {true, true, false, false, 0},
               {false, true, true, false, 6},    {false, false, true, true, 4},  {false, false, false, true, 3},
               {true, false, false, false, 1},   {false, true, false, false, 7}, {false, false, true, false, 5},
               {true, true, true, true, 2}};
  for (const auto& c : cases) {
    uint8_t s[10] = {};
    s[0] = c.right ? HeldByte() : 1;  // a press alone is not a held arrow
    s[1] = c.down ? HeldByte() : 0;
    s[2] = c.left ? HeldByte() : 0;
    s[3] = c.up ? HeldByte() : 0;
    EXPECT_EQ(HumanDirection(s), c.dir) << c.right << c.down << c.left << c.up;
  }
}

TEST(KickRules, ItemButtonsAndWhatIsLeft) {
  // Buttons (pressed counts): 5 next, 6 fists, 7 weapon, 8 pill.
  const struct {
    int item, button, units, pills, want;
  } cases[] = {
      {kWeapon, 6, 5, 5, kFists},   {kFists, 7, 1, 0, kWeapon},  {kFists, 7, 0, 3, kFists},
      {kFists, 8, 0, 1, kPill},     {kFists, 8, 3, 0, kFists},   {kFists, 5, 2, 2, kWeapon},
      {kFists, 5, 0, 2, kPill},     {kFists, 5, 0, 0, kFists},   {kWeapon, 5, 2, 2, kPill},
      {kWeapon, 5, 2, 0, kFists},   {kPill, 5, 2, 2, kFists},    {kPill, -1, 2, 2, kPill},
  };
  for (const auto& c : cases) {
    uint8_t s[10] = {};
    if (c.button >= 0) s[c.button] = 1;
    EXPECT_EQ(ChooseItem(c.item, s, c.units, c.pills), c.want) << c.item << " " << c.button;
  }
  // Fists go before the weapon when both buttons came.
  uint8_t both[10] = {};
  both[6] = both[7] = 1;
  EXPECT_EQ(ChooseItem(kPill, both, 3, 3), kFists);
  const struct {
    int item, units, pills, want;
  } left[] = {{kWeapon, 0, 1, kPill}, {kWeapon, 0, 0, kFists}, {kWeapon, 1, 0, kWeapon},
              {kPill, 3, 0, kFists},  {kPill, 0, 1, kPill},    {99, 1, 1, kFists}};
  for (const auto& c : left) EXPECT_EQ(CheckedItem(c.item, c.units, c.pills), c.want) << c.item;
}

TEST(KickRules, TheAttackChain) {
  const struct {
    int last;
    int32_t frames;
    int want;
  } cases[] = {{0, 30, kPunch},       {kPunch, 15, kKick},   {kKick, 15, kSpecial}, {kSpecial, 0, kPunch},
               {kPunch, 16, kPunch},  {kKick, 16, kPunch},   {kKick, 5, kSpecial},  {kThrowing, 3, kPunch}};
  for (const auto& c : cases) EXPECT_EQ(AttackAfter(c.last, c.frames), c.want) << c.last << " " << c.frames;
}

TEST(KickRules, DamageNeverHeals) {
  const struct {
    int32_t strength, endurance;
    int level;
    bool special;
    float want;
  } melee[] = {
      {40, 70, 1, false, 30 * 4.0f / 50 + 0.5f},  // RIZAZ on RIZAZ
      {40, 70, 1, true, 2 * (30 * 4.0f / 50 + 0.5f)},
      {60, 30, 1, false, 70 * 6.0f / 50 + 0.5f},
      {60, 70, 2, false, 0},  // a powered-up victim of high endurance takes nothing
      {200, 140, 1, true, 0},
      {60, 0, 1, false, 100 * 6.0f / 50 + 0.5f},
  };
  for (const auto& c : melee)
    EXPECT_FLOAT_EQ(MeleeDamage(c.strength, c.endurance, c.level, c.special), c.want) << c.strength << " " << c.endurance;
  const struct {
    int32_t power, endurance;
    int level;
    float want;
  } weapon[] = {{100, 70, 1, 10 * 30 / 50.0f}, {150, 30, 1, 15 * 70 / 50.0f}, {50, 40, 2, 5 * 20 / 50.0f},
                {100, 60, 2, 0},                {100, 101, 1, 0}};
  for (const auto& c : weapon) EXPECT_FLOAT_EQ(WeaponDamage(c.power, c.endurance, c.level), c.want) << c.power;
}

TEST(KickRules, WalkingEnergyFallsAndTheRecord) {
  const struct {
    int32_t speed;
    int level, step;
  } walk[] = {{20, 1, 4}, {34, 1, 4}, {35, 1, 5}, {54, 1, 5}, {55, 1, 6}, {69, 1, 6}, {70, 1, 7}, {30, 2, 6}, {65, 2, 7}};
  for (const auto& c : walk) EXPECT_EQ(WalkStep(c.speed, c.level), c.step) << c.speed << " " << c.level;
  EXPECT_FLOAT_EQ(EnergyGain(kKnocked), 0.07f);
  EXPECT_FLOAT_EQ(EnergyGain(kStanding), 0.05f);
  EXPECT_FLOAT_EQ(EnergyGain(kIdle), 0.05f);
  EXPECT_FLOAT_EQ(EnergyGain(kWalking), 0.035f);
  EXPECT_FLOAT_EQ(EnergyGain(kPunch), 0.035f);
  for (int down = 0; down < 4; ++down) EXPECT_EQ(FallScore(down), -400 + 100 * down);
  const struct {
    float energy;
    int32_t want;
  } rec[] = {{55.9f, 55}, {100.0f, 100}, {-12.5f, 0}, {0.4f, 0}, {std::numeric_limits<float>::quiet_NaN(), 0}, {1e9f, 100}};
  for (const auto& c : rec) EXPECT_EQ(EnergyToRecord(c.energy), c.want) << c.energy;
}

TEST(KickRules, PlacesByPointsThenEnergyThenIndex) {
  const struct {
    int32_t score[4];
    float energy[4];
    int32_t place[4];
  } cases[] = {
      {{10, 40, 20, 30}, {50, 50, 50, 50}, {3, 0, 2, 1}},
      {{20, 20, 20, 20}, {10, 40, 30, 20}, {3, 0, 1, 2}},  // equal points: more energy first
      {{5, 5, 5, 5}, {60, 60, 60, 60}, {0, 1, 2, 3}},      // all equal: the lower index
      // Fallers behind those who stayed, the later fallers higher; equal
      // fall scores by energy.
      {{-400, 15, -300, -300}, {90, 2, 10, 30}, {3, 0, 2, 1}},
      {{-400, -400, 0, -400}, {1, 1, 0, 1}, {1, 2, 0, 3}},
  };
  for (const auto& c : cases) {
    int32_t place[4];
    RankFighters(c.score, c.energy, place);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(place[i], c.place[i]) << i;
  }
}

TEST(KickRules, FaceMoodsFirstMatchWins) {
  const struct {
    int state, level;
    float z, energy;
    int mood;
  } cases[] = {{kKnocked, 2, -50, 5, 0}, {kHit, 2, 0, 50, 3},       {kHitHard, 1, 0, 50, 3},
               {kWalking, 2, -10, 5, 2}, {kWalking, 1, -10, 5, 4},  {kSpecial, 1, 0, 5, 2},
               {kStanding, 1, 0, 9.9f, 1}, {kStanding, 1, 0, 10, 5}};
  for (const auto& c : cases) EXPECT_EQ(FighterMood(c.state, c.level, c.z, c.energy), c.mood) << c.state;
}

TEST(KickRules, ARaisedPillarKeepsItsNeighboursDown) {
  uint8_t states[kCells];
  std::fill(states, states + kCells, uint8_t(kPillarDown));
  EXPECT_TRUE(CellMayRise(44, states));
  // Within one cell, or two along a row or column, nothing may be up or moving.
  for (int other : {33, 34, 35, 43, 45, 53, 54, 55, 24, 64, 42, 46}) {
    for (uint8_t s : {kPillarStanding, kPillarRising, kPillarSinking}) {
      states[other] = s;
      EXPECT_FALSE(CellMayRise(44, states)) << other << " " << int(s);
    }
    states[other] = kPillarDown;
  }
  // Two cells away on a diagonal, or a knight's move, is far enough.
  for (int other : {22, 66, 26, 62, 23, 65}) {
    states[other] = kPillarStanding;
    EXPECT_TRUE(CellMayRise(44, states)) << other;
    states[other] = kPillarDown;
  }
  // The cell itself may stand up already, but not be on the move; cells off
  // the grid do not count.
  states[44] = kPillarStanding;
  EXPECT_TRUE(CellMayRise(44, states));
  states[44] = kPillarSinking;
  EXPECT_FALSE(CellMayRise(44, states));
  states[44] = kPillarDown;
  EXPECT_TRUE(CellMayRise(0, states));
  EXPECT_FALSE(CellMayRise(-1, states));
  EXPECT_FALSE(CellMayRise(100, states));
}

TEST(KickRules, APillarRisesUnderNobodyOrUnderAFighterSquarelyOnIt) {
  const int cell = 55;
  const float cx = CellCentreX(cell), cy = CellCentreY(cell);
  const float far = -1e9f;
  const struct {
    float x, y;
    bool rises;
  } cases[] = {
      {far, far, true},                  // nobody near
      {cx, cy + 18, true},               // squarely on it: 37 x 37 of overlap
      {cx + 40, cy, false},              // a corner of it: a small overlap
      {cx, cy + 60, false},              // in front, reaching over a little
      {cx + 60, cy, true},               // beside it, not touching
  };
  for (const auto& c : cases) {
    const float fx[4] = {c.x, far, far, far}, fy[4] = {c.y, far, far, far};
    EXPECT_EQ(PillarRisesUnder(cell, fx, fy), c.rises) << c.x - cx << "," << c.y - cy;
  }
  // The last fighter that touches the pillar decides.
  const float fx[4] = {cx, cx + 40, far, far}, fy[4] = {cy + 18, cy, far, far};
  EXPECT_FALSE(PillarRisesUnder(cell, fx, fy));
}

TEST(KickRules, EveryAnimationFrameIsOnItsSheet) {
  using namespace kickassets;
  for (int ch = 0; ch < kCharacters; ++ch) {
    int highest = 0;
    for (int state = 0; state < kFighterStates; ++state)
      for (int row = 0; row < 8; ++row)
        for (int step = -1; step <= kAnimTable[ch][state].length + 3; ++step) {
          const int f = AnimFrame(ch, state, step, row);
          EXPECT_GE(f, 1);
          EXPECT_LE(f, kFighterFrames[ch]) << ch << " " << state << " " << row << " " << step;
          highest = std::max(highest, f);
        }
    EXPECT_GE(highest + 3, kFighterFrames[ch]) << "a sheet far longer than its animations";
  }
  // ZOVI's throw holds its third picture while the ship comes down.
  EXPECT_EQ(AnimFrame(kZovi, kThrowState, 2, 0), AnimFrame(kZovi, kThrowState, 4, 0));
  EXPECT_EQ(AnimFrame(kZovi, kThrowState, 11, 1), 361 + 10 + 9);
  // A step past the end holds the last picture.
  EXPECT_EQ(AnimFrame(0, kPunch, 9, 2), 577 + 5 * 2 + 4);
}

}  // namespace
