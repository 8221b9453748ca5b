#pragma once
// The rules of CRAZY CLIMBING that need neither a screen nor an actor: box
// tests, the climb step pattern, damage, the hazard table, the cameras and
// scrolls of the views, the helicopter's loudness, the clock text, the
// places at the end and the faces' moods. The climbers, the objects and the
// screen call these; the tests check them one by one.
#include <cstdint>
#include <string>

namespace climbrules {

// World heights: the wall is climbable to the roof at 2400; a climber is
// placed on reaching 2700 (lifted by the helicopter).
inline constexpr int kRoofHeight = 2400;
inline constexpr int kPlacedHeight = 2700;
inline constexpr int kObjectStartHeight = 2800;
// Objects keep their height this much above the climbers' convention.
inline constexpr int kObjectLift = 58;
// The street: left and right edges of the climbable wall, and the doorway
// band nobody climbs past near the street.
inline constexpr int kWallLeft = 60, kWallRight = 580;
inline constexpr int kDoorLeft = 255, kDoorRight = 387, kDoorTop = 175;
// Sound decisions: a height is in a local view when it lies strictly
// between the local climber's height - 58 and + 342.
inline constexpr int kViewBelow = 58, kViewAbove = 342;
// Results: seconds of the race clock (15 race frames a second); a climber
// who never finishes gets 600, which is also when the race is called off.
inline constexpr int kFramesPerSecond = 15;
inline constexpr int kNotFinished = 600;

// A rectangle (left, top, right, bottom) with right and bottom excluded. The
// climbing event keeps heights upward, so `top` is the lower height and
// `bottom` the upper one; the tests are the same either way.
struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};
bool IsEmpty(const Rect& r);
// The overlap of two rectangles (empty when they do not meet).
Rect Intersect(const Rect& a, const Rect& b);
inline bool Meet(const Rect& a, const Rect& b) { return !IsEmpty(Intersect(a, b)); }
bool Contains(const Rect& r, int x, int y);

// A box of columns a..c and rows b..d of a frame of half size (halfW,
// halfH), kept as the offsets (halfW - a, halfH - b, halfW - c, halfH - d).
struct BoxOffsets {
  int32_t off[4] = {};
};
BoxOffsets MakeBox(int halfW, int halfH, const int box[4]);
// The box of something centred at (x, centre) in climber heights.
inline Rect BoxAt(const BoxOffsets& b, int x, int centre) {
  return {x - b.off[0], centre + b.off[3], x - b.off[2], centre + b.off[1]};
}
// The same box cut at the centre: the upper half (a climber's hit box).
inline Rect UpperBoxAt(const BoxOffsets& b, int x, int centre) {
  return {x - b.off[0], centre, x - b.off[2], centre + b.off[1]};
}
// The box overlaps the doorway band near the street.
inline bool OverDoorway(const Rect& r) { return r.right > kDoorLeft && r.left < kDoorRight; }
// One edge on each side of x 255 or of x 387.
inline bool StraddlesDoorway(const Rect& r) {
  return (r.left < kDoorLeft && r.right > kDoorLeft) || (r.left < kDoorRight && r.right > kDoorRight);
}

// The climb speed from the speed stat: 2.0 + 0.1 per full ten above 20
// (integer division toward zero, so slow athletes still get 2.0 or less).
float ClimbSpeedOf(int speedStat);
// The climb step of this frame. While climbing (`climbing`: the state was
// 1 on entry) the counter n runs: when trunc(n x speed) / n is whole the step
// is 2 and n grows, otherwise the step is trunc(speed) + 1 and n starts
// again at 1; in any other state n is 1 and the step 2.
int ClimbStep(int32_t* counter, float speed, bool climbing);

// Energy after a blow or a thrown weapon: the damage never goes below 0
// (strong endurance with a pill must not heal) and the energy stays 0..100.
double BlowDamage(int attackerMultiplier, int strength, int ownMultiplier, int endurance);
double WeaponDamage(int power, int ownMultiplier, int endurance);
int EnergyAfter(int energy, double damage);
inline int AddEnergy(int energy, int gain) {
  int e = energy + gain;
  return e < 0 ? 0 : (e > 100 ? 100 : e);
}
// Adds without passing the largest 32-bit value (money, weapon units).
int32_t SaturatingAdd(int32_t value, int32_t gain);

// A hazard of kind 0..14 strikes with level kind / 2 + 1: 3 energy and a
// drop of 100 a level.
inline int HazardLevel(int kind) { return kind / 2 + 1; }
// The explosion kind an object of `kind` leaves where it ended at height y:
// 0 big, 1 small, 2 a snowman burst, 3 a snowman on the street; -1 none
// (the energy juice only clinks).
int ExplosionKindOf(int kind, int y);
// The falling sound (a screen sound of climbing_data.h) of an object kind.
int FallingSoundOf(int kind);

// Views: the camera is the height shown at the view's top row; the scroll
// the world column shown at its left edge.
inline int CameraHeight(int climberHeight) {
  return climberHeight <= kRoofHeight ? climberHeight + 342 : kRoofHeight + 342;
}
int HorizontalScroll(int climberX, bool split);
// Sound decisions of a local climber at height h.
inline bool InView(int y, int h) { return h - kViewBelow < y && y < h + kViewAbove; }
// An object (58 higher) is heard a little further up.
inline bool ObjectInView(int y, int h) { return h - kViewBelow < y && y - kViewBelow < h + kViewAbove; }

// The helicopter loop's volume (hundredths of a decibel) for a helicopter
// at y and the first local climber at h; false when it is to be left as it
// is (0 or louder, or quieter than -10000).
bool HelicopterVolume(int helicopterY, int climberHeight, int32_t* volume);

// "m : ss" of a clock in seconds: minutes without a leading zero.
std::string ClockText(int seconds);
// The race clock after a frame: one second every 15 race frames.
inline int ClockAfterFrame(int clock, uint32_t frameCounter) {
  return frameCounter % kFramesPerSecond == 0 ? clock + 1 : clock;
}
// A result value: the clock when placed, never worse than not finishing.
inline int ResultOf(int clock) { return clock < kNotFinished ? clock : kNotFinished; }

// Places of the climbers not yet placed (place below 0), after those placed
// during the race: the greatest height first, ties to the lower index. The
// places given by the order of reaching 2700 stay.
void RankUnplaced(const int32_t heights[4], int32_t places[4]);

// The status-band face of a climber: 3 hurt, 2 effort, 0 calm, 1 happy,
// 4 shouting, 5 sad (rows of the face pictures).
struct MoodInput {
  bool knockedOff = false;
  int state = 10;
  bool placed = false;
  int energy = 100;
  bool pill = false;
  int height = 0;
  int moodThreshold = 60;
};
int FaceMood(const MoodInput& in);

}  // namespace climbrules
