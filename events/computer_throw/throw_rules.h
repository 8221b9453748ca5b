#pragma once
// The rules of COMPUTER THROW that do not need a screen: the distance text,
// the judge's spoken announcement, the release of the computer, its flight
// until it lands, the per-character computer tables, a skipped throw and the
// places at the end. The actors and the screen call these, and the tests
// check them one by one.
#include <cstdint>
#include <string>

namespace throwrules {

// World units are hundredths of a metre; the throwing line stands at 1980
// and a computer that comes down before 1981 is a foul.
inline constexpr int kThrowLine = 1980;
inline constexpr int kFoulBelow = 1981;
// The ground line of the picture.
inline constexpr int kGroundY = 280;
// While the computer flies it is kept at or left of this screen column: the
// world scrolls instead.
inline constexpr int kFlightScrollX = 320;

// Sound slots of the event's sound set.
enum ThrowSound : int {
  kSoundAttempt1 = 0,      // 0-2: at the start of attempt 1..3
  kSoundLetGo = 3,         // let go and landing
  kSoundSpin = 4,          // a completed spin of a computer-controlled run-up
  kSoundWindUp = 6,        // each turn of the wind-up
  kSoundFoul = 8,
  kSoundAfterFoul = 9,
  kSoundAfterValid = 10,
  kSoundNumber0 = 11,      // 11-30: the numbers 0..19
  kSoundTens20 = 31,       // 31-38: the tens 20..90
  kSoundPoint = 39,        // between metres and hundredths
  kSoundUnit = 40,         // after the hundredths
  kSoundCrowd = 41,        // looped from the fade-in on
  kSoundHandOver = 42,
  kSoundOpening = 43,
  kSoundClosing1 = 44,     // 44-46: after the announcement of attempt 1..3
};
inline constexpr int kSoundSetSize = 47;
inline constexpr int kSoundSetSizeLowMemory = 44;

// "12.34 m": the digits of a distance in hundredths with a point before the
// last two. Negative values (never a real distance) print as their sign and
// digits so that nothing is lost.
std::string FormatDistance(int hundredths, const char* unit = "m");

// The announcement queue of a distance: six sound slots, -1 for an entry
// that is passed over. Metres and hundredths are said with the numbers 0..19
// and the tens 20..90; at 100 m or more the tens would run past their slots,
// so the metres are then left out (the text on the board stays right).
struct Announcement {
  int slots[6];
};
Announcement BuildAnnouncement(int hundredths);

// The release of the computer from the contestant's hands.
struct ReleaseInput {
  int angleIndex = 0;     // 0..9 from the aim (below 0 counts as 10)
  int power = 0;          // the contestant's power
  int strength = 0;       // from the player record
  bool human = false;
  // A person's power is scaled by the frame rate of the throw: frames
  // counted since the throw began over the milliseconds it took (sent
  // through the input records so that every machine agrees).
  int frames = 0;
  uint32_t elapsedMs = 0;
  int handHeight = 0;     // pixels above the ground line
};
// The most power a release can have, whatever the records and the input
// say: a throw beyond it would fly for hours.
inline constexpr int kMaxReleasePower = 1000;
struct ReleaseResult {
  int kind = 0;           // throw kind 0..3
  int angleIndex = 0;     // index after the kind's rule (kind 0 aims at index 1)
  int power = 0;          // release power after strength, rate and the kind's minimum
  double angle = 0;       // radians
  double vertical = 0;
  double horizontal = 0;
  double topTime = 0;
  double topHeight = 0;
  double flightTime = 0;
  double reach = 0;
  double timeStep = 0;
};
// The scale of a person's power: frames per second over 16, at most 1 (the
// game's own pace) and 0 when no frame was counted. The time is counted in
// milliseconds and at least one, so a release in the first second (or on a
// stopped clock) never divides by zero.
// Throw kind of an aim: below 4 an underarm lob, 4-5 a push, 6-7 a heave,
// 8 and up (and below 0, which counts as 10) a high throw.
int KindOfAngleIndex(int angleIndex);
double HumanRateScale(int frames, uint32_t elapsedMs);
ReleaseResult ComputeRelease(const ReleaseInput& in);

// The increments of a power level (SetLevel): run-up, and three values that
// advance with it, and whether the animation takes an extra frame.
struct Level {
  int inc[4];
  bool extraFrame;
};
Level LevelOf(int power);

// The flight of the computer frame by frame, from its release: where it
// comes down (world position) and on which screen column, and after how
// many frames. The actor runs the same steps; this is the table of them.
struct FlightStart {
  ReleaseResult release;
  int runUp = 0;       // world position at release
  int x = 0;           // screen column at release
  int y = 0;           // screen row of its bottom at release
};
struct FlightEnd {
  int runUp = 0;       // world position where it came down
  int x = 0;
  int frames = 0;      // flight frames until it touched the ground
};
FlightEnd SimulateFlight(const FlightStart& start);
// One flight step: the actor and SimulateFlight both call it. t is the
// flight time so far, shift what the world has scrolled already. Returns
// true when the computer has come down.
struct FlightState {
  double t = 0;
  int x = 0, y = 0;
  int runUp = 0;
  int shift = 0;       // pixels the world has scrolled during the flight
  int inc[4] = {0, 0, 0, 0};
  int frame = 1;
};
bool FlightStep(const FlightStart& start, FlightState* s);

// The distance of a computer that came down at world position `runUp`, or
// 0 for a foul.
inline int DistanceOf(int runUp) { return runUp < kFoulBelow ? 0 : runUp - kThrowLine; }

// How a computer-controlled contestant throws: when it stops idling, how
// many spins it makes before it pushes, where it starts to aim and the power
// it lets go with.
struct ComputerRow {
  int idleLimit;
  int spinsBeforePush;
  int aimAt;
  int releasePower;
};
inline constexpr int kComputerRows = 20;
// Row r (wrapped to 0..19) of throw character c (0..5).
const ComputerRow& GetComputerRow(int throwChar, int row);

// A computer's throw skipped by the player: a random draw r of 0..1199 gives
// a foul below 101 (one time in twelve), else r + 500 hundredths.
inline int SkippedThrowDistance(int r) { return r < 101 ? 0 : r + 500; }

// Places from the four best distances: a bubble sort in decreasing order of
// at most three passes, stopping when a pass swaps nothing; equal distances
// keep their order, so the lower contestant ranks first.
struct Standing {
  int order[4];      // contestant index by place
  int distance[4];   // distance by place
  int placeOf[4];    // place by contestant
};
Standing RankContestants(const int best[4]);

}  // namespace throwrules
