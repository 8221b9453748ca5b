#pragma once
// The rules of PLATFORM KICKBOXING as plain functions: the platform's
// geometry and the isometric projection, directions, the input and item
// choices, the attack chain, damage, walking speed, energy, fall scores,
// places, the pillar rules and the face moods.
#include <cstdint>

namespace kick {

// ------------------------------------------------------------ the platform
// World units: x and y on the floor, z the height. The platform is 10 x 10
// cells; cell id = row x 10 + column (row from y, column from x).
inline constexpr double kCellSize = 37.855;
inline constexpr double kCellHalf = 18.927;
inline constexpr double kPlatformSize = 378.55;
inline constexpr int kGrid = 10;
inline constexpr int kCells = 100;
// Off the platform the ground lies here; a fighter who reaches it is out.
inline constexpr float kBottom = -165.0f;
inline constexpr float kPillarUp = 100.0f;
inline constexpr float kPillarRadius = 18.927f;
inline constexpr float kFighterRadius = 10.0f;
inline constexpr float kWeaponRadius = 10.0f;

// The frame period, the clock and the length of the fight.
inline constexpr int kFramePeriodMs = 65;
inline constexpr int kClockStart = 180;
inline constexpr int kFramesPerClockSecond = 15;

struct ScreenPoint {
  int32_t x = 0, y = 0;
};
// The point of the whole scene (about 1700 x 800) that shows a world point.
ScreenPoint ProjectToScreen(float x, float y, float z);
// A view's camera over the fighter drawn at scene point `fighter`: the
// fighter stands `viewCentre` pixels from the screen's left and 200 from its
// top, the camera's y held within 0..400 (the scene's height); its x follows
// the fighter wherever he goes.
ScreenPoint ViewCamera(ScreenPoint fighter, int viewCentre);
// The cameras of the first picture of a split view, before anyone moved
// (left view, right view).
inline constexpr ScreenPoint kFirstPictureCamera[2] = {{324, 180}, {317, 36}};
// The centre of a cell's pillar.
float CellCentreX(int cell);
float CellCentreY(int cell);
// True when the point is on the platform or on its edge (0..378.55).
bool OnPlatform(float x, float y);
// The cell column (or row) of a coordinate on the platform, 0..9.
int GridIndex(float v);
// The cells of the platform from the back corner (90) to the front corner
// (9), diagonal by diagonal, each diagonal by rising column.
void BackToFrontCells(int out[kCells]);

// -------------------------------------------------------------- directions
// Eight directions at 45-degree steps: 0 +x, 1 +x+y, 2 +y, 3 -x+y, 4 -x,
// 5 -x-y, 6 -y, 7 +x-y. Rows of a multi-direction animation start at the
// screen's up and go clockwise.
void MoveInDirection(float* x, float* y, int direction, double distance);
int DirectionToSpriteRow(int direction);
// The direction whose sector holds (dx, dy): an axis direction when the other
// component is less than half of this one, a diagonal otherwise.
int DirectionTo(float dx, float dy);
// A person's direction from the held arrows of an input state (bytes 0
// right, 1 down, 2 left, 3 up), -1 for none; up is the screen's up.
int HumanDirection(const uint8_t state[10]);

// ------------------------------------------------------------ items, attacks
enum Item : int32_t { kFists = 1, kWeapon = 2, kPill = 3 };
// The item after a person's buttons (pressed counts of bytes 5 next, 6 fists,
// 7 weapon, 8 pill), with the weapon units and pills the record holds.
int ChooseItem(int item, const uint8_t state[10], int32_t weaponUnits, int32_t pills);
// The item once a frame's use is done: nothing left of the chosen one falls
// back to the pill, then to the fists.
int CheckedItem(int item, int32_t weaponUnits, int32_t pills);

enum FighterState : int32_t {
  kStanding = 0, kIdle = 1, kWalking = 2, kPunch = 3, kKick = 4, kSpecial = 5, kHit = 6, kHitHard = 7,
  kKnocked = 8, kGettingUp = 9, kDropping = 10, kLanding = 11, kThrowing = 12
};
// The attack that fists start: within 15 frames of the last one the chain
// goes punch, kick, special, punch...; later always a punch.
int AttackAfter(int lastAttack, int32_t framesSinceAttack);
// Energy a melee attack takes (twice for the special attack), and a thrown
// weapon; never below 0, so a blow never heals.
float MeleeDamage(int32_t strength, int32_t endurance, int powerLevel, bool special);
float WeaponDamage(int32_t weaponPower, int32_t endurance, int powerLevel);
// Points of a landed attack.
inline constexpr int32_t kPunchPoints = 5, kKickPoints = 10, kSpecialPoints = 20, kKnockOutPoints = 20;
inline constexpr int32_t kWeaponPoints = 3, kWeaponKnockOutPoints = 15, kFallPushPoints = 5;
// Distance of one walking step: 4..7 by speed x power level.
int WalkStep(int32_t speed, int powerLevel);
// Energy back a frame: lying 0.07, standing or idle 0.05, else 0.035.
float EnergyGain(int state);
// The score of a fighter who falls off while `othersDown` others have reached
// the bottom: -400, -300, -200, -100.
int32_t FallScore(int othersDown);
// Energy written back into the record: whole units, 0..100.
int32_t EnergyToRecord(float energy);

// ---------------------------------------------------------------- places
// Places 0..3: most points first, of equal points more energy, then the lower
// player index.
void RankFighters(const int32_t score[4], const float energy[4], int32_t placeOf[4]);
// The face of the status band: 0 knocked, 3 hit, 2 powered up or in a special
// attack, 4 falling, 1 worn out, 5 fit.
int FighterMood(int state, int powerLevel, float z, float energy);

// ---------------------------------------------------------------- pillars
// Pillar states.
enum PillarState : uint8_t { kPillarStanding = 0, kPillarRising = 1, kPillarSinking = 2, kPillarDown = 3 };
// A cell may be raised when its pillar stands still (up or down) and none of
// the twelve cells within one step, or two along a row or column, is moving
// or up. `state` holds the 100 pillars' states.
bool CellMayRise(int cell, const uint8_t state[kCells]);
// Whether a chosen pillar rises with the fighters where they stand: the
// overlap of the pillar's square with each fighter's rectangle (60 x 50,
// reaching up from its feet) replaces a start of 4000, and the pillar rises
// when the value is above 1200 (no fighter near, or one squarely on it).
bool PillarRisesUnder(int cell, const float fighterX[4], const float fighterY[4]);

}  // namespace kick
