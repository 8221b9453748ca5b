#pragma once
// Everything of the NICE DOGGIE JUMP course that is not the jumper: sky and
// ground layers, clouds, trees, the pits with their dog sounds, the dogs,
// a cat, the stars over a fallen jumper, the judge and the title. The
// screen makes them anew for every turn (CreateDoggieCourse) and updates
// them from kind 99 down to 0, so the course reads the current jumper's
// step of this frame and scrolls left by it (or a part of it). None of them
// draws a random number, and none waits on a sound: a sound only plays.
#include "events/doggie_jump/doggie_actor.h"

// The layers tiled across the picture (kinds 0, 10): the frame repeated
// 640 / width times from the left; x is not used.
class DoggieTiledLayer : public DoggieActor {
 public:
  using DoggieActor::DoggieActor;
  void Update() override {}
  void Draw() override;
  int repeat = 1;
};

// Pictures that stand still (kinds 1, 2).
class DoggieStill : public DoggieActor {
 public:
  using DoggieActor::DoggieActor;
  void Update() override {}
};

// The clouds (kinds 3..7): a cloud of phase 0 or 1 changes its shape every
// ten frames; phase 2 never does.
class DoggieBlinker : public DoggieActor {
 public:
  using DoggieActor::DoggieActor;
  void Update() override;
  int blinkPhase = 0;
};

// The far hedges (kinds 11..15): a third of the scroll every third frame;
// gone off the left, they come back at the right.
class DoggieNinthLayer : public DoggieActor {
 public:
  using DoggieActor::DoggieActor;
  void Update() override;
};

// The houses (kinds 20..23): a third of the scroll.
class DoggieThirdLayer : public DoggieActor {
 public:
  using DoggieActor::DoggieActor;
  void Update() override;
};

// The full scroll, wrapping: the track tiles (mode 6) round their home
// column, the trees (mode 7) back to 1420.
class DoggieWrapLayer : public DoggieActor {
 public:
  using DoggieActor::DoggieActor;
  void Update() override;
  int homeX = 0;
};
inline constexpr int kWrapTiles = 6;
inline constexpr int kWrapTrees = 7;

// The stands beside the run-up (kinds 45..47): scroll by and are gone.
class DoggieScroller : public DoggieActor {
 public:
  using DoggieActor::DoggieActor;
  void Update() override;
};

// A dog pit (kinds 51, 54, 57): while on the picture and none of the three
// pit sounds plays, it plays its own.
class DoggiePit : public DoggieActor {
 public:
  using DoggieActor::DoggieActor;
  void Update() override;
};

// The edges of the pits (kinds 52, 53, 55, 56, 58, 59): frame 4 of the pit
// picture drawn in slices that lean with the edge's place on the picture.
class DoggiePitEdge : public DoggieActor {
 public:
  using DoggieActor::DoggieActor;
  void Update() override;
  void Draw() override;
  int sliceRow = 0;  // 0..9, kept while the edge is left of the picture
};
// Slices (count, lean in pixels per slice) of a slice row.
struct PitSlices {
  int count;
  int lean;
};
PitSlices PitSlicesOf(int sliceRow);
// The slice row of an edge at column x: 9 - i for the first i of 0..8 with
// x > 640 - 80 i; `kept` when there is none.
int PitSliceRowAt(int x, int kept);

// The cat (kind 44): sits on the wall, washes, miaows now and then.
class DoggieCat : public DoggieActor {
 public:
  using DoggieActor::DoggieActor;
  void Update() override;
  int soundCounter = 0;
};

// A dog (kinds 61..68): rests, then leaps and snaps; a dog whose zone the
// jumper fell into leaves at the end of its leap.
class DoggieDog : public DoggieActor {
 public:
  using DoggieActor::DoggieActor;
  void Update() override;
};

// The stars over a fallen jumper (kind 75): turning; at their second turn
// the jumper is done.
class DoggieStars : public DoggieActor {
 public:
  using DoggieActor::DoggieActor;
  void Update() override;
  int cycles = 0;
};

// The judge (kind 76): waits (16) off the picture; sent out (0) he walks in
// to 461, then measures (1) until frame 79, where he holds up the board.
class DoggieJudge : public DoggieActor {
 public:
  using DoggieActor::DoggieActor;
  void Update() override;
  bool BoardUp() const { return board == 1; }
  int board = 0;  // 1 while the board is up, -99 while he walks
};
inline constexpr int kJudgeWaiting = 16;
inline constexpr int kJudgeWalking = 0;
inline constexpr int kJudgeMeasuring = 1;
inline constexpr int kJudgeStopX = 461;
inline constexpr int kJudgeAwayX = 640;

// The title (kind 80): its frames in turn, drawn into the title picture
// until it has finished (16).
class DoggieTitleIcon : public DoggieActor {
 public:
  using DoggieActor::DoggieActor;
  void Update() override;
  void Draw() override;
  int lastIconFrame = 1;
};

// Makes the whole course of a turn into g_doggieActors from the sprites of
// g_doggieSprites and the title sprite (the four jumpers included, without
// their sprites); lowMemory gives the title one frame.
void CreateDoggieCourse(Sprite* title, bool lowMemory);
// The stars over a fallen jumper at (x, y), or null.
DoggieActor* NewDoggieStars(int x, int y);
