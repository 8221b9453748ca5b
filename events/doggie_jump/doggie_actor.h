#pragma once
// The actors of NICE DOGGIE JUMP. DoggieActor is the base of every actor of
// the event and its own Update is the jumper: the athlete who runs up,
// hops, steps and jumps over three zones of dogs into the pit, driven by a
// person's two fire buttons or by the computer's plan. The jumper never
// moves across the picture while it runs: it adds a step to its distance
// run each frame and the course (doggie_course.h) scrolls left by that
// step. All actors live in one table indexed by kind, which the screen owns
// and walks to its end, skipping empty entries.
#include <cstdint>

class DDSurface;
class DoggieActor;
class Sprite;

// ----------------------------------------------------------------- tables
inline constexpr int kDoggieActorSlots = 100;
inline constexpr int kDoggieSpriteSlots = 100;
inline constexpr int kDoggieSoundSlots = 55;

// The actors by kind (null: empty). The screen owns them.
extern DoggieActor* g_doggieActors[kDoggieActorSlots];
// The event's sprites (null: not loaded): 0 trees, 1 the course, 2 the
// dogs, 3 the stars, 4 the pits, 5 the judge, 10 the current jumper, 20
// the power meter. The screen owns them and clears the entries it frees.
extern Sprite* g_doggieSprites[kDoggieSpriteSlots];
// Sound manager slot of each of the event's sounds (-1: none).
extern int32_t g_doggieSounds[kDoggieSoundSlots];
extern int32_t g_doggieAnnounceSound;
// Each sound's length in frames, from its file; and the frames left of each
// call started in the logic step. The turn's phases wait for these, not for
// the sound device: every machine counts the same frames, whether or not it
// loaded or can play the sound.
extern int32_t g_doggieSoundFrames[kDoggieSoundSlots];
extern int32_t g_doggieSoundLeft[kDoggieSoundSlots];
// The player now jumping (-1 before the first turn).
extern int32_t g_doggieJumper;
// Frames since the current turn began.
extern int32_t g_doggieJumpFrames;
// The stopwatch restarted when a turn begins; the host sends its reading.
extern int32_t g_doggieJumpClock;
// Each player's best distance in hundredths of a metre (0: none yet).
extern int32_t g_doggieResults[4];
// The 300 x 300 picture the title actor draws into.
extern DDSurface* g_doggieTitleSurface;
// Set when a computer's jump was skipped this frame.
extern int32_t g_doggieSkipFlag;
// The host's stopwatch reading at a person's release, as this frame's
// exchange brought it (the screen copies it from the host's output record).
extern uint32_t g_doggieHostClockMs;

enum DoggieSpriteEntry : int {
  kSpriteTrees = 0,
  kSpriteBack = 1,
  kSpriteDogs = 2,
  kSpriteStars = 3,
  kSpritePit = 4,
  kSpriteJudge = 5,
  kSpriteJumper = 10,
  kSpriteMeter = 20,
};

// Kinds of the table.
enum DoggieKind : int {
  kKindSky = 0,
  kKindMoon = 1,
  kKindBats = 2,
  kKindCloudFirst = 3,   // 3..7
  kKindHorizon = 10,
  kKindHedgeFirst = 11,  // 11..15
  kKindHouseFirst = 20,  // 20..23
  kKindGroundFirst = 30, // 30..34
  kKindTreeFirst = 41,   // 41..43
  kKindCat = 44,
  kKindStandFirst = 45,  // 45..47
  kKindPit1 = 51,
  kKindPit2 = 54,
  kKindPit3 = 57,
  kKindDogFirst = 61,    // 61..68
  kKindDogLast = 68,
  kKindJumperFirst = 70, // 70..73, jumper i is player i
  kKindStars = 75,
  kKindJudge = 76,
  kKindTitle = 80,
};

// Common actor states (the jumper's own are in doggie_rules.h).
enum DoggieActorState : int {
  kActorActive = 14,
  kActorPassive = 16,   // the judge waiting, the title finished
  kActorHidden = 17,    // neither updated nor drawn
  kActorFinished = 18,  // the screen deletes it
};

class DoggieActor {
 public:
  DoggieActor(int kind, int linkA, int linkB, int x, int y);
  virtual ~DoggieActor() = default;
  DoggieActor(const DoggieActor&) = delete;
  DoggieActor& operator=(const DoggieActor&) = delete;

  // One frame; for the base class, the jumper.
  virtual void Update();
  // The frame at (x, y) onto the back buffer, when the actor has a sprite.
  virtual void Draw();

  int kind;
  int linkB, linkA;
  int x, y;
  int phase = 0;          // take-offs made in this jump (0 hop, 1 step, 2 jump)
  int row = 0;            // jumper row
  int distance = 0;       // course units run since the turn began
  int frame = 1;
  int controller = 0;     // 11 a person, 12 the computer; the course's mode
  int speed = 0;
  int state = 0;
  int height = 0, width = 0;
  int counter = 0;
  int step = 0;           // units moved this frame: the course scrolls by it
  int hit = 0;            // a dog: the jumper fell in its zone
  int planStep = 0;       // the computer's next take-off (0..2, 3 when done)
  int flightY = 0;
  int meterShown = 0;
  int meterPosition = 0;  // 0..8
  int subState = 0;
  int idle = 0;
  int groundY = 0;
  int driftCount = 0;
  int plan = 0;           // the computer's plan 0..17 of this turn
  int driftWholeFall = 0; // fell from a run: drifts all the way down
  int firstFrame = 0, lastFrame = 0;
  int decay = 0;          // frames without a press while running
  int pause = 0;          // of a reaction, or a dog's rest between leaps
  int flightCounter = 0;
  double angle = 0, vertical = 0, horizontal = 0, flightTime = 0, range = 0;
  double animationLength = 0, timeStep = 0, startY = 0, flightClock = 0;
  double beforeMiddle = 0, extraFrames = 0, holdEnd = 0;
  int middleFrame = 0;
  Sprite* sprite = nullptr;
  DDSurface* frameSurface = nullptr;  // the pit edges draw from it

 protected:
  // The steps of the jumper's frame.
  void ReadPersonInput(int* presses, bool* takeOff);
  void ReadComputerPlan(int* presses, bool* takeOff);
  void CheckDogZones();
  void TakeOffNow();
  // Running in state 0 or 1 (the state it ran in, before a take-off).
  void Run(int runState);
  void SetState(int newState);  // and its first frame
};

// The current jumper's actor (null when there is none).
DoggieActor* CurrentJumper();
// The current jumper's step this frame: how far the course scrolls.
int CourseScroll();

// Plays / stops / asks one of the event's sounds (0..54); nothing is heard
// when it is not loaded. A slot out of range is nothing. DoggieSoundPlaying
// asks the sound device: it decides what else is heard, never the game.
void PlayDoggieSound(int sound, bool loop = false);
void PlayDoggieSoundOnce(int sound);  // unless it already plays
void StopDoggieSound(int sound);
bool DoggieSoundPlaying(int sound);
// A call that does not loop lasts its file's frames whatever this machine
// plays (CountDoggieCall: the frames without the sound). DoggieCallGoing
// asks for those frames; TickDoggieCalls counts one off every call once a
// logic frame.
void CountDoggieCall(int sound);
bool DoggieCallGoing(int sound);
void TickDoggieCalls();

// Stores an actor at its kind, deleting what stood there.
void PutDoggieActor(DoggieActor* actor);
// Deletes every actor and clears the table.
void DeleteDoggieActors();
