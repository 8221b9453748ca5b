#pragma once
// The actors of COMPUTER THROW: the four contestants (kinds 0-3, one per
// player), the thrown computer (kind 4) and, through subclasses, the scenery
// (throw_scenery.h). All of them live in one table indexed by kind, which
// the screen owns and every loop walks to its end, skipping empty slots.
#include <cstdint>

class Sprite;
class ThrowActor;

// The table: kinds 0-3 contestants, 4 the computer, 5 its shadow, 6-16
// scenery and the judge, 17-49 signs and scenery, 50-72 props, 73 and 74
// the last prop and the title card. Every loop over it runs to the end.
inline constexpr int kThrowActorSlots = 100;
extern ThrowActor* g_throwActors[kThrowActorSlots];

// Event-wide values the actors share with the screen.
extern int32_t g_throwCurrent;   // current contestant 0..3
extern int32_t g_throwInPlay;    // actor in play: a contestant 0..3 or 4, the computer
extern int32_t g_frameCounter;   // frames since the current throw began
// The milliseconds since the current throw began, as the contestant's
// machine sent them in its output record (a person's power is scaled by
// the frame rate over that time).
extern uint32_t g_throwElapsedMs;
// Sound slot of the sound manager for each of the event's 47 sounds (-1: none).
extern int32_t g_throwSoundSlots[47];
// Each sound's length in frames, from its file; and the frames left of each
// call started in the logic step. The turn's phases wait for these, not for
// the sound device: every machine counts the same frames, whether or not it
// loaded or can play the sound.
extern int32_t g_throwSoundFrames[47];
extern int32_t g_throwSoundLeft[47];
// The world position the picture is centred on (the run-up position of the
// actor in play) and how far the world moved this frame; scenery follows it.
extern int32_t g_throwCamera;

// Kinds of the table.
enum ThrowKind : int {
  kKindComputer = 4,
  kKindShadow = 5,
  kKindGull1 = 6,
  kKindGull2 = 7,
  kKindPipe = 8,
  kKindDrum1 = 9,
  kKindDrum2 = 10,
  kKindGull3 = 11,
  kKindGull4 = 12,
  kKindCloud1 = 13,
  kKindCloud3 = 15,
  kKindJudge = 16,
  kKindSceneryFirst = 17,
  kKindSceneryLast = 49,
  kKindPropFirst = 50,
  kKindSpeaker = 73,
  kKindIcon = 74,
};

// Modes: 0 a person, 3 the computer plays this contestant, 2 absent;
// scenery uses 8..21 as its placement code.
enum ThrowMode : int { kModeHuman = 0, kModeAbsent = 2, kModeComputerPlayer = 3 };

// Actor states.
enum ThrowState : int {
  kStStand = 0,
  kStSlowWind = 1,
  kStFastWind = 2,
  kStAim = 3,
  kStThrow = 4,
  kStThrowEnd = 5,
  kStLanded = 12,
  kStFlight = 13,
  kStWalkOff = 15,
  kStGone = 16,
  kStLanding = 18,
};

// Variables of the contestant and the computer.
enum ThrowVar : int {
  kVarRunUp = 0,
  kVarRunUp2 = 2,
  kVarRunUp4 = 4,
  kVarFlightShift = 6,  // pixels the world scrolled during the flight
  kVarFlightY = 7,
  kVarHandHeight = 8,
  kVarAngle = 9,
  kVarInc0 = 10,        // 10-13: the increments of this frame
  kVarIdle = 14,
  kVarThrowKind = 15,
  kVarLastFrame = 16,
  kVarSpins = 17,
  kVarLandingKind = 18,
  kVarRow = 19,
  kVarThrows = 20,
  kVarDecay = 21,
  kVarStartX = 22,      // screen column at release
  kVarFlightOnce = 24,
};
// Doubles of the release.
enum ThrowDouble : int {
  kDblAngle = 0,
  kDblVertical = 1,
  kDblHorizontal = 2,
  kDblTopTime = 3,
  kDblTopHeight = 4,
  kDblFlightTime = 5,
  kDblReach = 6,
  kDblStartHeight = 7,
  kDblTimeStep = 8,
  kDblStartY = 9,
  kDblTime = 10,
  kDblReachCopy = 11,
};

// Action bytes of a player's input state the contestants read: the first
// action (held: aim) and the second (presses: push).
inline constexpr int kFirstActionByte = 4;
inline constexpr int kSecondActionByte = 5;

// Where a contestant stands on the picture: its frame's top-left corner at
// (0, 0) of its own coordinates is drawn here.
inline constexpr int kContestantDrawX = 40;

class ThrowActor {
 public:
  explicit ThrowActor(int kind);
  virtual ~ThrowActor() = default;
  ThrowActor(const ThrowActor&) = delete;
  ThrowActor& operator=(const ThrowActor&) = delete;

  // Frame 1, position and power 0, every variable and double 0.
  virtual void Reset();
  // The frame at (x, y) (moved by the draw offset) unless gone.
  virtual void Draw();
  virtual void Update(ThrowActor** table);
  // The increments of a power level, and a quicker animation at the top two.
  virtual void SetLevel(int power);
  // Advances the run-up by the increments.
  virtual void Move();
  // A contestant that reached `limit` with the computer still in its hands
  // drops it at its feet. 1 when it did.
  virtual int Release(int limit);

  int kind;
  int x = 0, y = 0;
  int power = 0;
  // Only drawing reads these: where (0, 0) of the actor lands on the picture.
  int drawOffsetX = 0, drawOffsetY = 0;
  int frame = 1;
  int mode = kModeAbsent;
  int character = 0;  // throw character 0..5
  int state = kStGone;
  int32_t var[30] = {};
  double dbl[30] = {};
  Sprite* sprite = nullptr;

 protected:
  void UpdateContestant(ThrowActor** table);
  void UpdateComputer(ThrowActor** table);
  void ReadInput(int* pushes, bool* aimHeld);
  void Animate();
  void ThrowNow(ThrowActor** table);
  void HandOver(ThrowActor** table);
};

// Plays / stops one of the event's sounds (nothing is heard when it is not
// loaded). A call that does not loop lasts its file's frames whatever this
// machine plays; ThrowSoundPlaying asks for those frames, TickThrowSounds
// counts one off every call once a logic frame.
void PlayThrowSound(int sound, bool loop = false);
void StopThrowSound(int sound);
bool ThrowSoundPlaying(int sound);
void TickThrowSounds();
// Whether the sound device is playing the sound here (never for a decision).
bool ThrowSoundAudible(int sound);

// The player slot of a contestant kind (0..3), whose record and input it uses.
inline int PlayerOfContestant(int kind) { return kind & 3; }
