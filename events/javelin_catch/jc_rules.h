#pragma once
// The rules of JAVELIN CATCH as plain functions: the field and its isometric
// projection, the eight directions and the step, the boxes of movement,
// reach and catching, what the cannon fires and when, the damage of blows
// and explosions, the computer's heading, the clock, the drawing order and
// the places.
#include <cstdint>
#include <string>

namespace jc {

// ------------------------------------------------------------ time and field
inline constexpr int kFramePeriodMs = 66;
inline constexpr int kFramesPerSecond = 15;
inline constexpr int kSeconds = 180;
// Play runs for frame counter values 2 .. kLastPlayFrame (the counter is 1
// while the title shows); the event ends on the frame after.
inline constexpr int kLastPlayFrame = kSeconds * kFramesPerSecond;

// World units: x 0..529, y 0..349 on the ground, z the height above it.
inline constexpr int32_t kFieldMaxX = 529;
inline constexpr int32_t kFieldMaxY = 349;
// Thrown weapons leave the field here (a little short of the far edge).
inline constexpr int32_t kFlightMaxY = 339;

// The object table: contestants in 0..3 (their player index), thrown weapons
// searched from 4, what the cannon fires and explosions from 8.
inline constexpr int kSlots = 150;
inline constexpr int kFirstWeaponSlot = 4;
inline constexpr int kFirstFallingSlot = 8;

// ------------------------------------------------------------ directions
// 0 -x+y (screen up), 1 +y, 2 +x+y (screen right), 3 +x, 4 +x-y (screen
// down), 5 -y, 6 -x-y (screen left), 7 -x; 8 none.
inline constexpr int kNoDirection = 8;
int Turn(int direction, int steps);
struct Position {
  int32_t x = 0, y = 0;
};
// A step of `distance` units: whole on an axis, distance x 0.7071 (rounded)
// on each coordinate of a diagonal. No direction (8 or more) moves nothing.
Position StepFrom(int32_t x, int32_t y, int direction, int32_t distance);
// A contestant's step: StepFrom, then kept on the field. A coordinate that
// ran off the field is set to the edge and the other one goes back to where
// it was; *bounced tells whether that happened.
Position ConfinedStep(int32_t x, int32_t y, int direction, int32_t distance, bool* bounced);

// A person's direction from the held arrows (state bytes 0 right, 1 down,
// 2 left, 3 up); kNoDirection when none is held.
int HumanDirection(const uint8_t state[10]);
// The computer's heading towards an offset: an axis direction when the
// other component is less than half of it, else the diagonal.
int DirectionTowards(int32_t dx, int32_t dy);

// ------------------------------------------------------------ projection
struct ScreenPos {
  int32_t x = 0, y = 0;
};
// The field picture's point that shows a world point.
ScreenPos Project(int32_t x, int32_t y, int32_t z);
// A view shows the field picture from row camY - kFieldPictureLift at its
// top, and draws everything else at screen point - camera: the cannon's
// pieces of the picture and the near fence at these screen points.
inline constexpr int32_t kFieldPictureLift = 40;
inline constexpr ScreenPos kCannonAt{292, 180};
inline constexpr ScreenPos kFenceAt{316, 416};
int32_t DistanceSquared(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// ------------------------------------------------------------ boxes
// Left and top inclusive, right and bottom exclusive.
struct Box {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool Contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool Meets(const Box& o) const {
    return left < o.right && o.left < right && top < o.bottom && o.top < bottom && left < right && top < bottom &&
           o.left < o.right && o.top < o.bottom;
  }
  Box Grown(int32_t n) const { return {left - n, top - n, right + n, bottom + n}; }
};
// Around a contestant's position after a step, stretched in its direction:
// the rivals it walks into.
Box MovementBox(int32_t x, int32_t y, int direction, int32_t speed);
// Before a contestant, stretched in its facing: the rivals its fist reaches.
Box ReachBox(int32_t x, int32_t y, int facing, int32_t speed);
// 20 units every way: what a contestant catches, what a weapon hits, where a
// computer waits under a falling object.
Box AroundBox(int32_t x, int32_t y, int32_t half);

// ------------------------------------------------------------ the cannon
enum Kind : int32_t { kJavelin = 0, kBomb = 1, kJuice = 2, kAmmunition = 3, kMoney = 4, kKinds = 5 };
struct KindLook {
  int32_t anchorX, anchorY, firstFrame, frameCount;
};
// The objects picture's frames and anchors of each kind.
extern const KindLook kKindLook[kKinds];
// What a uniform draw r in [0, 1] makes the cannon fire: bomb 40 %, javelin
// 20 %, juice 15 %, ammunition 13 %, money 12 %.
int32_t KindFromDraw(double r);

// Frames of the objects picture besides the kinds'.
inline constexpr int kBlastFirst = 12, kBlastFrames = 15;
inline constexpr int kFireFirst = 27, kFireFrames = 14;
inline constexpr int kSmokeFirst = 41, kSmokeFrames = 14;
inline constexpr int kShadowFrame = 55;
inline constexpr int kCannonFrames = 20;

// Salvos of three shots nine frames apart; the picture runs its 20 frames
// after the last shot and the next salvo starts 60 frames after that.
struct Cannon {
  int32_t tick = 0;
  int32_t firing = 0;
  int32_t shots = 0;
  int32_t frame = kCannonFrames;  // the picture's frame to draw
};
// One frame of the cannon; true when it fires a shot in this frame.
bool CannonStep(Cannon* cannon);
inline constexpr int32_t kFallStart = 400;
inline constexpr int32_t kFallStep = 7;
inline constexpr int32_t kCatchHeight = 24;

// ------------------------------------------------------------ damage
// Energy an explosion takes from a contestant at squared distance d2: 30 at
// the blast's centre down to 3 at 70 units, nothing from 71 units on.
int32_t ExplosionEnergyLoss(int32_t d2);
// A contestant's energy after a blow of `power` (the attacker's strength, or
// the thrower's weapon power) while its speed multiplier is `multiplier` and
// its endurance `endurance`. A blow never heals and never leaves less than 0.
int32_t EnergyAfterBlow(int32_t energy, int32_t multiplier, int32_t power, int32_t endurance);
// Step length from the player's speed value.
int32_t WalkingSpeed(int32_t speedValue);

// ------------------------------------------------------------ clock, places
// Seconds left shown at a frame counter value (180 on the first play frame,
// 0 on the last), and as "m : ss".
int32_t SecondsLeft(int32_t frameCounter);
std::string ClockText(int32_t seconds);
// The clock beeps once in each of its last five seconds.
bool BeepsAt(int32_t frameCounter);

// Energy as a percentage of the maximum; a maximum of 0 or less (a damaged
// data file) counts as 100.
int32_t EnergyRatio(int32_t energy, int32_t maxEnergy);
// Places 0..3 by javelins caught, then the higher energy ratio, then the
// lower player index.
void PlaceByCatches(const int32_t score[4], const int32_t ratio[4], int32_t place[4]);

// The face shown on the status band: 2 scored or under a pill, 0..1 hurt
// badly while reeling, 3 reeling, 4 tired, 5 fine.
int32_t ContestantFace(bool scored, bool pillActs, bool reeling, int32_t energy, int32_t maxEnergy);

// ------------------------------------------------------------ drawing order
struct DrawKey {
  int32_t slot = 0;
  bool lying = false;  // a knocked-out contestant: under everything
  int32_t y = 0;       // an explosion's blast counts 40 units nearer
  int32_t x = 0;
};
// Lying contestants first, then further back (greater y) first, then the
// smaller x, then the lower slot: a strict weak order.
bool DrawsBefore(const DrawKey& a, const DrawKey& b);

}  // namespace jc
