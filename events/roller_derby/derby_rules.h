#pragma once
// ROLLER DERBY rules as plain functions: damage, sound by distance, the hit
// tests of punches and weapons, the chase camera, the skater's turn rate and
// viewing direction, the leader, places and the end of the race, the race
// clock, the face panel's moods and the layout of one or two views.
#include <cstdint>
#include <string>

#include "base/geometry.h"
#include "events/roller_derby/derby_track.h"

namespace derby {

// The race: two laps; the event ends once those it waits for have been over
// the line this many frames, or at the time limit.
inline constexpr int kRaceLaps = 2;
inline constexpr int kFinishedFrames = 55;
inline constexpr int kTimeLimitSeconds = 600;  // also the result of a skater who never finished
inline constexpr int kFramesPerClockSecond = 10;

// Volume (hundredths of a decibel) of a sound whose squared distance to the
// listener is d: 0 close by, falling to silence (-10000) 1414 away.
int32_t SoundVolumeAt(float d);

// Energy a punch costs its victim: the attacker's strength and power pill
// against the victim's endurance and pill. Never below 0: a pill and high
// endurance make a punch harmless, not healing.
int32_t PunchDamage(int32_t strength, int32_t boost, int32_t victimBoost, int32_t victimEndurance);
// Energy a thrown weapon costs: the thrower's weapon power against the
// victim's endurance and pill; never below 0.
int32_t WeaponDamage(int32_t weaponPower, int32_t victimBoost, int32_t victimEndurance);
// A punch from (x, z) facing `heading` reaches a skater at (xj, zj).
bool PunchReaches(float x, float z, float heading, float xj, float zj);
// A weapon flying from -> to in a frame passes a skater at `target`: boxes
// of 2 round five points along the flight against 1.5 round the skater.
bool WeaponPathHits(Point2f from, Point2f to, Point2f target);

// How fast a skater turns at a speed (radians a frame).
float TurnRate(float speed);
// Speed gained by one stride: from the speed stat, doubled for the computer.
float StrideAcceleration(int32_t speedStat, bool computer);
// Which of the eight pictures shows a skater of `heading` to a camera
// looking along `cameraHeading`: 0 from behind, 4 from the front.
int ViewDirection(float cameraHeading, float heading);

// Where a chase camera stands: 28 behind the skater (turned round to face
// him over the 24 frames after he finished), lifted by his height, pulled
// in to just inside the walls; never nearer him than kCameraNearest where
// the track has room for that: where the wall behind him is nearer, the
// camera swings round him to a side with room. It keeps as far from the
// other skaters (`others`, their x and z) as from him: pulled in nearer him,
// or swung round him, where one of them stands in its place.
inline constexpr float kChaseDistance = 28.0f;
// Twice a skater's half width (his picture is 16 wide): nearer, he fills
// most of the view.
inline constexpr float kCameraNearest = 16.0f;
// The bar between two views on the screen (x and width, 400 high).
inline constexpr int kViewBarX = 319, kViewBarWidth = 3;
struct CameraPlace {
  float x, y, z, heading;
};
CameraPlace ChaseCamera(const TrackShape& track, float sx, float sy, float sz, float sheading, float sheight,
                        int32_t finishedFrames, const Point2f* others = nullptr, int otherCount = 0);

// The player whose progress is strictly greatest, -1 when it is shared or 0.
int FindLeader(const int32_t progress[4]);
// Gives the places from `given` on to the players without one, by progress
// (the lower player first among equals).
void AssignRemainingPlaces(int32_t places[4], const int32_t progress[4], int given);

// Whether the race is over. `waitFor[p]`: the player must have finished
// (the local players on one machine; every person in a network game);
// `finished[p]` frames since he did (-1 not yet); `thirdFinisher` the
// player who took third place (-1 none yet).
struct EndInput {
  bool waitFor[4] = {false, false, false, false};
  int32_t finishedFrames[4] = {-1, -1, -1, -1};
  int32_t thirdFinisher = -1;
  int32_t clockSeconds = 0;
};
bool RaceOver(const EndInput& in);

// The face of a player on the status band: 3 hit, 2 finished or on a pill,
// 0 exhausted, 1 tired, 4 fallen, 5 else.
int FaceMood(int32_t state, bool placed, int32_t boost, int32_t energy);

// "m : ss".
std::string ClockText(int32_t seconds);

// The views on the render surface (W x H): one, or two side by side; without
// the big viewport each shrinks to 80 % with the strips round it cleared.
struct ViewRect {
  int x, y, width, height;
};
struct ViewLayout {
  int views = 1;
  ViewRect view[2];
  int borders = 0;
  ViewRect border[5];
};
ViewLayout LayOutViews(int width, int height, bool twoViews, bool bigViewport);

// Where the track map shows a skater's face (top left, screen pixels).
struct MapPoint {
  int x, y;
};
MapPoint MapFacePosition(float x, float z);

}  // namespace derby
