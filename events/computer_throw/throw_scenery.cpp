#include "events/computer_throw/throw_scenery.h"

#include <algorithm>
#include <new>

#include "events/computer_throw/computer_throw_data.h"
#include "events/computer_throw/throw_rules.h"
#include "graphics/display.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"

using namespace throwassets;

namespace {

// Screen column of a contestant's feet.
constexpr int kFeetX = kContestantDrawX + kContestantW / 2;

// A frame counter of the scenery's own that moves on only in Update.
void Tick(ThrowActor* a) {
  const int every = std::max(1, a->var[kSvFrameEvery]);
  const int frames = std::max(1, a->var[kSvFrames]);
  ++a->var[kSvTick];
  a->frame = a->var[kSvFirstFrame] + (a->var[kSvTick] / every) % frames;
}

// Screen column of a world position seen with a parallax.
int ScreenX(ThrowActor** table, int worldX, int parallax) {
  long long camera = ThrowCameraX(table);
  return static_cast<int>(worldX - camera * parallax / 100);
}

// Props, signs and the backdrop: stand at a world position.
class PropActor : public ThrowActor {
 public:
  using ThrowActor::ThrowActor;
  void Update(ThrowActor** table) override {
    Tick(this);
    if (mode == kPlaceBackdrop) {
      x = 0;
      y = 0;
      return;
    }
    x = ScreenX(table, var[kSvHomeX], var[kSvParallax]);
    y = var[kSvHomeY];
  }
  void Draw() override {
    // Nothing to draw far off the picture (the field is long).
    if (x < -700 || x > 700) return;
    ThrowActor::Draw();
  }
};

// The sand: one strip, repeated as the world scrolls.
class GroundActor : public ThrowActor {
 public:
  using ThrowActor::ThrowActor;
  void Update(ThrowActor** table) override {
    int camera = ThrowCameraX(table);
    x = -(((camera % kGroundStripW) + kGroundStripW) % kGroundStripW);
    y = kGroundY;
  }
  void Draw() override {
    if (state == kStGone || !sprite || !g_backDDSurface) return;
    sprite->DrawFrame(frame, g_backDDSurface, x, y);
    sprite->DrawFrame(frame, g_backDDSurface, x + kGroundStripW, y);
  }
};

// Gulls cross the sky from right to left, wings flapping, bobbing; the
// scrolling world carries them along a little.
class GullActor : public ThrowActor {
 public:
  using ThrowActor::ThrowActor;
  void Update(ThrowActor** table) override {
    Tick(this);
    int camera = ThrowCameraX(table);
    int moved = camera - var[kSvTick + 1];
    var[kSvTick + 1] = camera;
    x -= std::max(1, var[kSvSpeed]) + moved / 2;
    if (x < -kGullW - 20) x = 640 + (var[kSvHomeX] % 200);
    if (x > 900) x = -kGullW;
    static constexpr int kBob[8] = {0, 1, 2, 3, 3, 2, 1, 0};
    y = var[kSvHomeY] + kBob[(var[kSvTick] / 3) % 8];
  }
};

// Clouds drift slowly and hardly follow the world.
class CloudActor : public ThrowActor {
 public:
  using ThrowActor::ThrowActor;
  void Update(ThrowActor** table) override {
    ++var[kSvTick];
    int drift = var[kSvTick] / 8;
    int span = 640 + kCloudW;
    int sx = ScreenX(table, var[kSvHomeX] - drift, var[kSvParallax]);
    x = ((sx + kCloudW) % span + span) % span - kCloudW;
    y = var[kSvHomeY];
  }
};

// The shadow of the flying computer, wider the lower it flies.
class ShadowActor : public ThrowActor {
 public:
  using ThrowActor::ThrowActor;
  void Update(ThrowActor** table) override {
    ThrowActor* computer = table ? table[kKindComputer] : nullptr;
    if (!computer) return;
    x = computer->x;
    y = kGroundY - kShadowH / 2;
    int height = kGroundY - computer->y;
    frame = height < 40 ? 1 : height < 100 ? 2 : height < 180 ? 3 : 4;
  }
};

// A drum on the field: a computer coming down next to it knocks it over and
// it rolls away.
class DrumActor : public ThrowActor {
 public:
  using ThrowActor::ThrowActor;
  void Update(ThrowActor** table) override {
    x = ScreenX(table, var[kSvHomeX] + var[kSvSpeed], 100);
    y = var[kSvHomeY];
    ThrowActor* computer = table ? table[kKindComputer] : nullptr;
    if (state == 0 && computer && (computer->state == kStLanding || computer->state == kStLanded)) {
      int cx = computer->x + kComputerW / 2;
      if (cx > x - 10 && cx < x + kDrumW + 10) state = 1;
    }
    if (state == 1) {
      ++var[kSvTick];
      frame = 2 + (var[kSvTick] / 2) % (kDrumFrames - 1);
      if (var[kSvTick] < 40) var[kSvSpeed] += 4;  // rolls on for a while
    } else {
      frame = 1;
    }
  }
};

// The judge walks out from the right, reads the tape, shows the board or
// waves a foul, and walks back.
class JudgeActor : public ThrowActor {
 public:
  using ThrowActor::ThrowActor;
  void Update(ThrowActor** table) override {
    y = kJudgeY;
    switch (state) {
      case kJudgeWaiting:
        x = kJudgeAwayX;
        frame = 1;
        break;
      case kJudgeMeasuring:
        if (frame < kJudgeWalkLast) ++frame;
        x = std::max(kJudgeStandX, x - 6);
        break;
      case kJudgeBoard:
        if (frame < kJudgeBoardFirst || frame >= kJudgeBoardLast) frame = kJudgeBoardFirst;
        else ++frame;
        break;
      case kJudgeFoul:
        if (frame < kJudgeFoulFirst || frame >= kJudgeFoulLast) frame = kJudgeFoulFirst;
        else ++frame;
        break;
      case kJudgeLeaving:
        frame = 1 + (frame % 40);
        x += 6;
        if (x >= kJudgeAwayX) {
          x = kJudgeAwayX;
          state = kJudgeWaiting;
        }
        break;
      default:
        break;
    }
    (void)table;
  }
  void Draw() override {
    if (x >= 640) return;
    ThrowActor::Draw();
  }
};

// The title card: animated here, dissolved over the picture by the screen.
class TitleActor : public ThrowActor {
 public:
  using ThrowActor::ThrowActor;
  void Update(ThrowActor** table) override {
    Tick(this);
    (void)table;
  }
  void Draw() override {}
};

}  // namespace

int ThrowCameraX(ThrowActor** table) {
  ThrowActor* a = (table && g_throwInPlay >= 0 && g_throwInPlay <= kKindComputer) ? table[g_throwInPlay] : nullptr;
  if (!a) return -kFeetX;
  if (g_throwInPlay == kKindComputer) {
    // The world keeps the computer where the flight has put it on the picture.
    return a->var[kVarRunUp] - (kFeetX + a->x - a->var[kVarStartX]);
  }
  return a->var[kVarRunUp] - kFeetX;
}

ThrowActor* NewSceneryActor(int kind, int placement, Sprite* sprite, int homeX, int homeY,
                            int firstFrame, int frames, int frameEvery, int parallax) {
  ThrowActor* a = nullptr;
  switch (placement) {
    case kPlaceSky:
      a = new (std::nothrow) GullActor(kind);
      break;
    case kPlaceCloud:
      a = new (std::nothrow) CloudActor(kind);
      break;
    case kPlaceJudge:
      a = new (std::nothrow) JudgeActor(kind);
      break;
    case kPlaceShadow:
      a = new (std::nothrow) ShadowActor(kind);
      break;
    case kPlaceTitle:
      a = new (std::nothrow) TitleActor(kind);
      break;
    case kPlaceGround:
      a = new (std::nothrow) GroundActor(kind);
      break;
    case kPlaceDrum:
      a = new (std::nothrow) DrumActor(kind);
      break;
    default:
      a = new (std::nothrow) PropActor(kind);
      break;
  }
  if (!a) return nullptr;
  a->mode = placement;
  a->sprite = sprite;
  a->var[kSvHomeX] = homeX;
  a->var[kSvHomeY] = homeY;
  a->var[kSvParallax] = parallax;
  a->var[kSvFirstFrame] = firstFrame;
  a->var[kSvFrames] = std::max(1, frames);
  a->var[kSvFrameEvery] = std::max(1, frameEvery);
  PlaceScenery(a);
  return a;
}

void PlaceScenery(ThrowActor* a) {
  if (!a) return;
  // The home and animation survive; what moved is put back.
  const int homeX = a->var[kSvHomeX], homeY = a->var[kSvHomeY];
  a->state = 0;
  a->frame = std::max(1, a->var[kSvFirstFrame]);
  a->var[kSvTick] = 0;
  a->var[kSvTick + 1] = 0;
  a->x = homeX;
  a->y = homeY;
  switch (a->mode) {
    case kPlaceSky:
      a->var[kSvSpeed] = 2 + (homeX / 97) % 3;
      break;
    case kPlaceJudge:
      a->x = kJudgeAwayX;
      a->y = kJudgeY;
      a->state = kJudgeWaiting;
      break;
    case kPlaceShadow:
      a->state = kStGone;
      break;
    case kPlaceDrum:
      a->frame = 1;
      a->var[kSvSpeed] = 0;
      break;
    default:
      break;
  }
}
