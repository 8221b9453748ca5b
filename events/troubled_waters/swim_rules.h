#pragma once
// The rules of TROUBLED WATERS as plain functions: direction tables, the
// computer's aim, damage, speed and air, places and the race clock.
#include <cstdint>
#include <string>

namespace swim {

inline constexpr int32_t kFullAir = 50000;
inline constexpr int32_t kRaceFramesPerSecond = 15;
// A contestant who has not finished after ten minutes has not finished.
inline constexpr int32_t kTimeLimitSeconds = 600;
inline constexpr int32_t kNotFinished = 600;
inline constexpr int kZovi = 5;

enum CreatureKind : int32_t { kShark = 1, kEel = 2, kJelly = 3 };

// Six swimming directions by (facing x, facing y), each -1..1.
int DirectionGroup(int fx, int fy);
// Eight bump directions.
int BumpDirection(int fx, int fy);
// 0 up-right, 1 right, 2 down-right, 3 down-left, 4 left, 5 up-left, 6
// down, 7 up; -1 standing still. ZOVI has no straight up or down throw.
int ThrowDirection(int vx, int vy, int character);
// True when a creature at (dx, dy) from the swimmer lies in the line of a
// throw in direction d.
bool AimAtCreature(int d, int dx, int dy);
// Energy a creature's contact takes: never below 0 (a bite never heals).
int32_t CreatureDamage(int kind, int32_t endurance);
// The horizontal speed limit from the player's speed: 5..10.
int32_t SpeedStepFor(int32_t speed);
// Air lost a counted frame: 50000 / (endurance x 7), endurance at least 1.
int32_t AirLossFor(int32_t endurance);
// Air as a share of a full tank, 0..100 (below 0 for an overdrawn tank).
int32_t AirPercent(int32_t air);
// The computer swimmer goes looking for a pump off its route only when its
// tank is as good as empty (below 50 of 50000); it refills anyway at every
// pump it passes. Looking from half a tank on took it off the route to pumps
// behind it, and cost more than the air it saved.
inline constexpr int32_t kSeekPumpBelowAir = 50;
bool WantsPump(int32_t air);
// The race clock's whole seconds after a number of race frames.
int32_t RaceSeconds(int32_t raceFrameCounter);
// "m : ss" as the clock shows it.
std::string ClockText(int32_t seconds);
// The face of a swimmer: 3 hurt, 2 at ease (pump, finished, high up), 0 out of
// air, 1 short of air, 5 fit, 4 tired.
struct MoodInput {
  int32_t stun, state, y, moodYLimit, place, air, energy, energyCap;
};
int SwimmerMood(const MoodInput& m);
// Final places: the furthest right first; equal x by the larger air share,
// then the lower player index.
void RankSwimmers(const int32_t x[4], const int32_t air[4], int32_t placeOf[4]);
// The row of the background picture (`pictureRows` high) shown in row `row`
// of a view whose camera is at `cameraY`: the picture comes round again and
// again as the view sinks, and above the maze too. 0 for an empty picture.
int BackgroundRow(int32_t cameraY, int row, int pictureRows);

// The explored map's box on the screen (220 x 220 at the top). With one
// view it stands in the top right corner. With two views each camera holds
// its swimmer in the middle of his 320-pixel view, where a map in the right
// corner would stand over the second swimmer; there it stands over the join
// of the views, clear of both swimmers.
inline constexpr int kMapSize = 220;
struct ScreenBox {
  int x, y, width, height;
};
ScreenBox MapArea(int views);

}  // namespace swim
