#pragma once
// The rules of NICE DOGGIE JUMP that need no screen: the course and its dog
// zones, the run-up and flight steps, the take-off physics, one frame of a
// flight, the computer players' plans, the distance text and its spoken
// announcement, a skipped jump and the places. The jumper actor and the
// screen call these, and the tests check them one by one.
#include <cstdint>
#include <string>

#include "events/doggie_jump/doggie_jump_data.h"

namespace doggierules {

using doggieassets::FrameRange;
using doggieassets::kRows;

// ------------------------------------------------------------------ course
// Course units are hundredths of a metre of distance run since the turn
// began. A take-off before the board does not count; the dogs of each zone
// must be passed in the flight of the hop, the step and the jump in turn;
// the jump is measured from the start of the pit. Zone bounds are exclusive.
inline constexpr int kBoard = 1700;
inline constexpr int kPitStart = 3525;
// A person may skip a computer's jump until its run-up reaches this.
inline constexpr int kSkipBefore = 1750;
struct DogZone {
  int from, to;      // exclusive
  int flightState;   // the only state in which the jumper may be inside
  int firstDog, lastDog;  // actor kinds of the zone's dogs
};
inline constexpr DogZone kDogZones[3] = {
    {1825, 2020, 3, 61, 61}, {2380, 2635, 6, 62, 63}, {3025, 3525, 9, 64, 68}};
// The zone (0..2) a distance lies in, or -1.
int DogZoneAt(int distance);

// ------------------------------------------------------------------ jumper
enum JumperState : int {
  kJumpRunSlow = 0,
  kJumpRunFast = 1,
  kJumpTakeOffHop = 2,
  kJumpFlightHop = 3,
  kJumpLandHop = 4,
  kJumpTakeOffStep = 5,
  kJumpFlightStep = 6,
  kJumpLandStep = 7,
  kJumpTakeOffJump = 8,
  kJumpFlightJump = 9,
  kJumpLandJump = 10,
  kJumpReactLow = 11,
  kJumpReactMid = 12,
  kJumpReactHigh = 13,
  kJumpStand = 14,
  kJumpFall = 15,
  kJumpDone = 16,   // after a fall, once the stars have turned
  kJumpHidden = 17,
  kJumpFinished = 18,  // (scenery that has left the course)
  kJumpLying = 19,
  kJumpReleased = 59,  // fire 1 let go: the take-off comes next frame
};
// Who drives a jumper.
inline constexpr int kControllerPerson = 11;
inline constexpr int kControllerComputer = 12;

// The jumper row of a player-record character; a number out of range is
// taken as RIZAZ (character 0), never used as an index.
int RowOfCharacter(int character);
// The frames of a jumper state (0..15) of a row; other states and rows are
// clamped into the table.
const FrameRange& JumperFrames(int row, int state);
// Frames a reaction (states 11..13) steps back before it plays its end again.
int ReactionStepBack(int row, int state);
inline int RowOffset(int row) { return doggieassets::kRowOffset[(row >= 0 && row < kRows) ? row : 0]; }

// The highest speed a jumper can have: far above anything a run-up gives,
// it keeps a hammered button or a broken stopwatch reading from overflowing
// the speed and the flight.
inline constexpr int kMaxSpeed = 999;
inline int ClampSpeed(long long speed) {
  return speed < 0 ? 0 : (speed > kMaxSpeed ? kMaxSpeed : static_cast<int>(speed));
}

// Course units a frame of running moves at a speed: 5 below 11, 10 below
// 21, 15 below 31, 20 from 31.
int RunStep(int speed);
// The same in the air; phase is the take-offs made (1 hop, 2 step, 3 jump):
// the jump's flight goes on to 25 at 41..50 and 30 from 51.
int FlightStep(int speed, int phase);

// The scale of a person's take-off speed: the frames counted since the turn
// began over the host's stopwatch reading in seconds, against 16 frames a
// second. A reading of 0 (none came) keeps the speed.
double HumanSpeedScale(int frames, uint32_t hostMs);

// A take-off, from the jumper as it stands when it is triggered.
struct TakeOffInput {
  int row = 0;
  int phase = 0;          // take-offs made in this jump before this one
  int speed = 0;
  int meterPosition = 0;  // 0..8
  int meterShown = 0;     // 1 while the meter still runs (the computer)
  int distance = 0;       // distance run
  bool person = false;
  int jumpFrames = 0;     // frames since the turn began
  uint32_t hostMs = 0;    // the host's stopwatch at the release
};
struct TakeOff {
  int state = 0;          // 2, 5 or 8
  int phase = 0;          // after it: 1..3, or 0 before the board
  int speed = 0;          // the jumper's speed from now on
  int meterPosition = 0;  // 2..6
  int v = 0;              // speed of the take-off
  double angle = 0;       // radians
  double vertical = 0, horizontal = 0;
  double flightTime = 0, range = 0;
  double animationLength = 0, extraFrames = 0, frames = 0, timeStep = 0;
  int middleFrame = 0;
  double beforeMiddle = 0, holdEnd = 0;
  FrameRange flight{0, 0};  // the frames of the flight that follows
};
TakeOff ComputeTakeOff(const TakeOffInput& in);

// One frame of a flight (sub-state 1 of states 3, 6, 9): the flight frame
// counter moves on, the picture advances except while it holds the middle
// frame, the height follows the throw parabola at half scale. Returns true
// when the jumper is down (below the ground or past the flight's frames).
struct FlightState {
  int frame = 0;
  int counter = 0;
  double t = 0;
  int y = 0;
};
struct FlightShape {
  FrameRange frames{0, 0};
  double startY = 0, groundY = 0;
  double vertical = 0, timeStep = 0;
  double beforeMiddle = 0, holdEnd = 0;
};
bool FlightFrame(const FlightShape& shape, FlightState* s);
// Frames of sub-state 1 until the jumper is down (at most `limit`).
int FlightFrames(const FlightShape& shape, int limit = 100000);
// The shape of the flight a take-off starts from screen row startY.
FlightShape ShapeOf(const TakeOff& o, int startY);
// The course a flight covers, from the frame the jumper leaves the ground
// to the frame it is down, at the take-off's speed (a person who presses on
// in the air goes further).
int FlightLength(const TakeOff& o, int startY);

// ----------------------------------------------------------- the computer
// A plan: [0] speed, [1] distance after which the hop's meter runs, [2]
// meter position of the hop, [3] and [4] the same for the step, [5] and [6]
// for the jump.
inline constexpr int kPlans = 18;
inline constexpr int kPlanValues = 7;
struct Plan {
  int v[kPlanValues];
};
// Plan p (wrapped to 0..17) of a row (clamped).
const Plan& GetPlan(int row, int plan);
// The lowest and highest value each column of a row's plans may take.
struct PlanRange {
  int lo[kPlanValues];
  int hi[kPlanValues];
};
const PlanRange& GetPlanRange(int row);

// -------------------------------------------------------- results and texts
// "12.34 m": the metres, a point and two digits of hundredths, a blank and
// the unit letter; below a metre with a leading "0" ("0.56 m").
std::string FormatDistance(int hundredths, char unit = 'm');

// Sound slots of the event (a slot holds the table entry slot + 1).
enum DoggieSound : int {
  kSoundOneDog = 0,
  kSoundTwoDogs = 1,
  kSoundFiveDogs = 2,
  kSoundCat = 3,
  kSoundStars = 5,
  kSoundFall = 6,
  kSoundNight = 7,
  kSoundAttempt1 = 8,   // 8..10
  kSoundNumber0 = 11,   // 11..31: 0..20
  kSoundTens30 = 32,    // 32..38: 30..90
  kSoundPoint = 39,
  kSoundUnit = 40,
  kSoundFoul = 41,
  kSoundRun = 42,
  kSoundCheer = 43,
  kSoundBoos = 44,
  kSoundIdle = 45,
  kSoundVoice1 = 46,    // 46..48: the jumper after a foul in attempt 1..3
  kSoundTakeOff1 = 49,  // 49..51: hop, step, jump
  kSoundLand1 = 52,     // 52..54
};

// The announcement of a distance: six slots, -1 for a position that is
// passed over: [0] [1] the metres, [2] the point, [3] [4] the hundredths,
// [5] the unit. Numbers up to 20 are said whole, larger ones as tens and
// units. Metres of 100 and more have no sound of their own and are left
// out (the board shows them); every slot stays among the event's sounds.
struct Announcement {
  int slots[6];
};
Announcement BuildAnnouncement(int hundredths);

// A computer's jump skipped by a person: a draw r of 0..1099 is a foul (0)
// below 101, else r + 200 hundredths.
inline int SkippedJumpDistance(int r) { return r < 101 ? 0 : r + 200; }

// Places from the four best distances, larger first; a bubble sort of at
// most three passes that swaps only a smaller left value, so equal results
// keep the lower player first.
struct Standing {
  int order[4];    // player by place
  int result[4];   // result by place
  int placeOf[4];  // place by player
};
Standing RankResults(const int results[4]);
// The place (0..3) of the jumper among the results; a jumper out of range
// counts as last.
int DoggieStandingLookup(const int results[4], int jumper);
// The reaction after the last landing: the leader is delighted, the second
// pleased, the others disappointed.
int ReactionOfPlace(int place);

}  // namespace doggierules
