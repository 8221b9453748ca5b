#pragma once
// The rules of FULL CONTACT FIGURE SKATING as plain functions: where a rink
// point lies on the picture, steps with the rink's sides and rounded
// corners, momentum and turning, the computer's way to its target, the boxes
// of strikes and collisions, damage, jump points, the draw order, the clock
// and the final places. The actors and the screen are built on these.
#include <cstdint>
#include <string>

namespace skaterules {

// The rink in rink units; the corners are arcs of this radius.
inline constexpr int kRinkMaxX = 525, kRinkMaxY = 345, kCornerRadius = 80;
inline constexpr int kNoDirection = 8;
// The play: 2700 frames of 66 ms, 15 a second.
inline constexpr int kFramePeriodMs = 66;
inline constexpr int kFramesPerSecond = 15;
inline constexpr int kPlayFrames = 2700;
inline constexpr int kEventSeconds = 180;

// Screen position of a rink point at height z: the picture's pixel lies 40
// rows higher (the rink is drawn from the camera's y - 40).
struct Point {
  int x = 0, y = 0;
};
Point RinkToScreen(int x, int y, int z);
Point RinkToPicture(int x, int y);

// Edge flags of a step: free, stopped at a side, inside a corner square.
enum : uint8_t { kEdgeFree = 0, kEdgeSide = 4, kEdgeCorner = 8 };

// One straight step of `distance` x `multiplier` in direction 0..7 from
// (x, y); with `limits` the rink's sides and corners stop it. `facing` is the
// mover's own facing: a corner does not count as met when it faces away.
struct Step {
  int x = 0, y = 0;
  uint8_t edge = kEdgeFree;
};
Step StepOnRink(int x, int y, int direction, int distance, int multiplier, int facing, bool limits);

// Momentum of a skater: the speed in each direction and its decay clocks.
struct Momentum {
  int speed[8] = {};
  int decay[8] = {};
  int acceleration = 0;
};
// One frame of input direction d (8: none): every other direction slows by
// one every sixth frame, and d gains one every fourth frame up to topSpeed.
void Accelerate(Momentum* m, int d, int topSpeed);
// The largest speed (and the first direction that has it).
int LargestSpeed(const Momentum& m, int* direction = nullptr);

// A person's direction from the held bits of the four direction bytes of an
// input state (0 right, 1 down, 2 left, 3 up).
int DirectionFromInput(const uint8_t state[4]);
// The direction (0..7) a skater takes towards a point dx, dy away.
int DirectionTowards(int dx, int dy);

// Boxes: left and top inside, right and bottom outside.
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Holds(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool Meets(const Box& o) const;
};
// An attack's reach from (x, y) in `facing`, growing by topSpeed.
Box ReachBox(int x, int y, int facing, int topSpeed);
// What an attack can strike of a skater at (x, y).
Box StrikeBox(int x, int y, bool lying);
// A skater's own box when it moves, and what it runs into of another
// (grown when that one lies, by the way it lies).
Box MoverBox(int x, int y);
Box ObstacleBox(int x, int y, bool lying, int facing);
// A thrown weapon at (x, y) strikes a skater standing inside this box.
Box WeaponBox(int x, int y);
inline int DistanceSquared(int x1, int y1, int x2, int y2) {
  return (x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2);
}

// Energy a blow takes: strength is the attacker's (or the weapon's power),
// endurance the struck player's, multiplier 2 under a power pill. Never
// below 0: a blow never heals.
int BlowDamage(int multiplier, int strength, int endurance);
// Points of a landed jump of kind 8, 9 or 10 at the largest speed.
int JumpPoints(int kind);
int JumpScore(int kind, int largestSpeed);
// The kind of jump started at play frame `clock`.
int JumpKindAt(int clock);
// RADEROZI's third jump: the offset from the take-off point at step 1..10.
Point LeapOffset(int facing, int step);

// Top speed from the player's speed.
int TopSpeedFromPlayerSpeed(int speed);

// Draw order: lying skaters first, then the larger rink y, then the smaller
// x, then the lower table index. A strict weak order.
struct DrawKey {
  int lying = 0;
  int x = 0, y = 0;
  int index = 0;
};
bool DrawsBefore(const DrawKey& a, const DrawKey& b);

// The energy of a player as a share of the skater's maximum (0 without one).
int EnergyPercent(int energy, int maxEnergy);
// Places 0..3 from scores, then the higher energy percentage, then the lower
// player index.
void RankByScore(const int score[4], const int energyPercent[4], int place[4]);

// Status-band face of a skater.
struct MoodInput {
  int score = 0, shownScore = 0;
  int speedMultiplier = 1;
  int state = 0;
  int energy = 0, maxEnergy = 0;
};
int SkaterMood(const MoodInput& in);

// The clock: seconds left at a play frame, its text ("3 : 00"), and whether
// the last-seconds beep sounds at that frame.
int SecondsLeft(int playFrame);
std::string ClockText(int seconds);
bool BeepAt(int playFrame);

}  // namespace skaterules
