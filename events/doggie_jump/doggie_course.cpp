#include "events/doggie_jump/doggie_course.h"

#include <new>

#include "events/doggie_jump/doggie_jump_data.h"
#include "events/doggie_jump/doggie_rules.h"
#include "graphics/display.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"

using namespace doggierules;
namespace da = doggieassets;

namespace {

int FrameWidth(Sprite* s, int frame) {
  const BitmapInfoHeader* h = s ? s->GetFrameInfo(frame) : nullptr;
  return h ? h->width : 0;
}

int FrameHeight(Sprite* s, int frame) {
  const BitmapInfoHeader* h = s ? s->GetFrameInfo(frame) : nullptr;
  return h ? (h->height < 0 ? -h->height : h->height) : 0;
}

// Gone off the left edge: back in at `to`.
void WrapTo(DoggieActor* a, int to) {
  if (a->x <= -a->width) a->x = to;
}

// An actor of class T at its kind, with its sprite, frame and width from
// that frame, in state 14.
template <typename T>
T* Make(int kind, int x, int y, int spriteEntry, int frame, int linkA = 0, int linkB = 0) {
  T* a = new (std::nothrow) T(kind, linkA, linkB, x, y);
  if (!a) return nullptr;
  a->sprite = spriteEntry >= 0 ? g_doggieSprites[spriteEntry] : nullptr;
  a->frame = frame;
  a->state = kActorActive;
  a->width = FrameWidth(a->sprite, frame);
  a->height = FrameHeight(a->sprite, frame);
  PutDoggieActor(a);
  return a;
}

}  // namespace

// --------------------------------------------------------------- layers

void DoggieTiledLayer::Draw() {
  if (!sprite || !g_backDDSurface) return;
  for (int i = 0; i < repeat; ++i) sprite->DrawFrame(frame, g_backDDSurface, width * i, y);
}

void DoggieBlinker::Update() {
  ++counter;
  if (blinkPhase == 0 && counter > 9) {
    ++frame;
    blinkPhase = 1;
    counter = 0;
  } else if (blinkPhase == 1 && counter > 9) {
    --frame;
    blinkPhase = 0;
    counter = 0;
  }
}

void DoggieNinthLayer::Update() {
  if (++counter >= 3) {
    x -= CourseScroll() / 3;
    counter = 0;
    WrapTo(this, 640);
  }
}

void DoggieThirdLayer::Update() {
  x -= CourseScroll() / 3;
  WrapTo(this, 640);
}

void DoggieWrapLayer::Update() {
  x -= CourseScroll();
  if (controller == kWrapTiles) {
    // The track repeats tile by tile; what a frame scrolled past the tile's
    // end is kept, so the seams never jump.
    while (width > 0 && x <= homeX - width) x += width;
  } else {
    WrapTo(this, 1420);
  }
}

void DoggieScroller::Update() { x -= CourseScroll(); }

// ------------------------------------------------------------------ pits

void DoggiePit::Update() {
  x -= CourseScroll();
  if (x < -width) {
    state = kActorFinished;
    return;
  }
  if (x > -width && x < 640 && !DoggieSoundPlaying(kSoundOneDog) && !DoggieSoundPlaying(kSoundTwoDogs) &&
      !DoggieSoundPlaying(kSoundFiveDogs)) {
    PlayDoggieSound(kind == kKindPit1 ? kSoundOneDog : (kind == kKindPit2 ? kSoundTwoDogs : kSoundFiveDogs));
  }
}

PitSlices PitSlicesOf(int sliceRow) {
  static constexpr PitSlices kSlices[10] = {{8, -2}, {8, -2}, {4, -2}, {2, -2}, {1, 2},
                                            {1, 2},  {2, 2},  {4, 2},  {8, 2},  {1, 0}};
  return kSlices[(sliceRow >= 0 && sliceRow <= 9) ? sliceRow : 9];
}

int PitSliceRowAt(int x, int kept) {
  for (int i = 0; i <= 8; ++i)
    if (x > 640 - 80 * i) return 9 - i;
  return kept;
}

void DoggiePitEdge::Update() {
  x -= CourseScroll();
  sliceRow = PitSliceRowAt(x, sliceRow);
}

void DoggiePitEdge::Draw() {
  DDSurface* back = g_backDDSurface;
  if (!back || !frameSurface || width <= 0 || height <= 0) return;
  const PitSlices s = PitSlicesOf(sliceRow);
  const int h = height / s.count;
  if (h <= 0) return;
  for (int k = 0; k < s.count; ++k) back->Blt(x + s.lean * k, y + k * h, width, h, frameSurface, 0, k * h);
}

// ----------------------------------------------------------- cat and dogs

void DoggieCat::Update() {
  x -= CourseScroll();
  if (x < -width) {
    state = kActorFinished;
    return;
  }
  if (++frame > da::kCatLast) {
    frame = da::kCatFirst;
    ++soundCounter;
  }
  // The count restarts whether or not the sound could play, so the cat
  // does the same on every machine.
  if (soundCounter > 40) {
    PlayDoggieSoundOnce(kSoundCat);
    soundCounter = 0;
  }
}

void DoggieDog::Update() {
  x -= CourseScroll();
  if (++counter > pause) {
    if (++frame > lastFrame) {
      frame = firstFrame;
      counter = 0;
      if (hit) state = kActorFinished;
    }
  }
}

void DoggieStars::Update() {
  PlayDoggieSoundOnce(kSoundStars);
  if (++frame > 9) {
    frame = 1;
    if (++cycles == 2) {
      if (DoggieActor* j = CurrentJumper()) {
        j->state = kJumpDone;
        j->range = 0;
      }
    }
  }
}

// ----------------------------------------------------------- judge, title

void DoggieJudge::Update() {
  if (state == kJudgeWalking) {
    if (x >= kJudgeStopX) {
      x -= 15;
      frame = (frame + 1) % da::kJudgeWalkLast + 1;
      board = -99;
    } else {
      state = kJudgeMeasuring;
      frame = da::kJudgeWalkLast + 1;
    }
  } else if (state == kJudgeMeasuring) {
    if (frame < da::kJudgeBoardFrame) ++frame;
    if (frame >= da::kJudgeBoardFrame) board = 1;
  }
}

void DoggieTitleIcon::Update() {
  if (frame < lastIconFrame) {
    ++frame;
  } else {
    frame = 1;
  }
}

void DoggieTitleIcon::Draw() {
  if (state == kActorPassive || !g_doggieTitleSurface) return;
  g_doggieTitleSurface->FillRect(0, 0, 300, 300, 1);
  if (sprite) sprite->DrawFrame(frame, g_doggieTitleSurface, x, y);
}

// --------------------------------------------------------------- making

DoggieActor* NewDoggieStars(int x, int y) {
  DoggieStars* s = new (std::nothrow) DoggieStars(kKindStars, 0, 0, x, y);
  if (!s) return nullptr;
  s->sprite = g_doggieSprites[kSpriteStars];
  s->frame = 1;
  s->state = kActorActive;
  return s;
}

void CreateDoggieCourse(Sprite* title, bool lowMemory) {
  // The sky, the moon and the bats.
  if (auto* a = Make<DoggieTiledLayer>(kKindSky, 0, 0, kSpriteBack, da::kBackSky))
    a->repeat = a->width > 0 ? 640 / a->width : 0;
  Make<DoggieStill>(kKindMoon, 400, 70, kSpriteBack, da::kBackMoon);
  Make<DoggieStill>(kKindBats, 100, 30, kSpriteBack, da::kBackBats);
  // Five clouds; two of them keep their shape.
  static constexpr int kCloudX[5] = {50, 200, 300, 400, 500};
  static constexpr int kCloudY[5] = {30, 70, 50, 60, 30};
  for (int i = 0; i < 5; ++i) {
    if (auto* a = Make<DoggieBlinker>(kKindCloudFirst + i, kCloudX[i], kCloudY[i], kSpriteBack, da::kBackCloud)) {
      a->blinkPhase = (i == 1 || i == 3) ? 2 : 0;
      a->counter = (2 * i + 2) % 9;
    }
  }
  if (auto* a = Make<DoggieTiledLayer>(kKindHorizon, 0, 220, kSpriteBack, da::kBackHorizon))
    a->repeat = a->width > 0 ? 640 / a->width : 0;
  for (int i = 0; i < 5; ++i) Make<DoggieNinthLayer>(kKindHedgeFirst + i, 160 * i, 240, kSpriteBack, da::kBackHedge);
  static constexpr int kHouseX[4] = {0, 206, 412, 618};
  static constexpr int kHouseY[4] = {120, 120, 130, 130};
  for (int i = 0; i < 4; ++i)
    Make<DoggieThirdLayer>(kKindHouseFirst + i, kHouseX[i], kHouseY[i], kSpriteBack, da::kBackHouses);
  for (int i = 0; i < 5; ++i) {
    if (auto* a = Make<DoggieWrapLayer>(kKindGroundFirst + i, 160 * i, 320, kSpriteBack, da::kBackGround)) {
      a->controller = kWrapTiles;
      a->homeX = 160 * i;
    }
  }
  for (int i = 0; i < 3; ++i)
    if (auto* a = Make<DoggieWrapLayer>(kKindTreeFirst + i, 500 * i + 100, 30, kSpriteTrees, 1 + i))
      a->controller = kWrapTrees;
  Make<DoggieCat>(kKindCat, 400, 300, kSpriteDogs, da::kCatFirst);
  const int standWidth = FrameWidth(g_doggieSprites[kSpriteBack], da::kBackHouses);
  for (int i = 0; i < 3; ++i)
    if (auto* a = Make<DoggieScroller>(kKindStandFirst + i, 300 * i + 1000, 240, kSpriteBack, da::kBackStand + i))
      a->width = standWidth;

  // The pits and their edges.
  struct PitPlace { int kind, x, frame, linkA, linkB; };
  static constexpr PitPlace kPits[9] = {
      {51, 2000, 1, 52, 53}, {52, 1982, 4, 51, 0}, {53, 2220, 4, 51, 0},
      {54, 2550, 2, 55, 56}, {55, 2534, 4, 54, 0}, {56, 2850, 4, 54, 0},
      {57, 3200, 3, 58, 59}, {58, 3184, 4, 57, 0}, {59, 3744, 4, 57, 0}};
  for (const PitPlace& p : kPits) {
    if (p.frame != da::kPitEdgeFrame) {
      Make<DoggiePit>(p.kind, p.x, 370, kSpritePit, p.frame, p.linkA, p.linkB);
    } else if (auto* e = Make<DoggiePitEdge>(p.kind, p.x, 370, kSpritePit, p.frame, p.linkA, p.linkB)) {
      e->frameSurface = e->sprite ? e->sprite->GetFrameSurface(da::kPitEdgeFrame) : nullptr;
      e->sprite = nullptr;  // drawn in slices from the kept surface
    }
  }

  // The dogs: (x, y), their frames, the frame they start from, their rest.
  struct DogPlace { int x, y, first, startCounter, pause; };
  static constexpr DogPlace kDogs[8] = {
      {2000, 197, 1, 5, 10},  {2550, 243, 21, 10, 20}, {2650, 187, 41, 15, 20}, {3250, 197, 1, 5, 10},
      {3250, 243, 21, 10, 15}, {3450, 187, 41, 15, 20}, {3350, 193, 61, 7, 15}, {3400, 238, 81, 17, 20}};
  for (int i = 0; i < 8; ++i) {
    const DogPlace& d = kDogs[i];
    if (auto* a = Make<DoggieDog>(kKindDogFirst + i, d.x, d.y, kSpriteDogs, d.first)) {
      a->firstFrame = d.first;
      a->lastFrame = d.first + da::kDogFramesEach - 1;
      a->counter = d.startCounter;
      a->pause = d.pause;
    }
  }

  // The four jumpers (the turn gives the current one its sprite), the
  // judge and the title.
  for (int i = 0; i < 4; ++i)
    if (auto* a = Make<DoggieActor>(kKindJumperFirst + i, 100, 120, -1, 1)) a->state = kActorHidden;
  if (auto* a = Make<DoggieJudge>(kKindJudge, 640, 180, kSpriteJudge, 1)) a->state = kJudgeWaiting;
  if (auto* a = Make<DoggieTitleIcon>(kKindTitle, 0, 0, -1, 1)) {
    a->sprite = title;
    a->lastIconFrame = lowMemory ? 1 : da::kIconFrames;
  }
}
