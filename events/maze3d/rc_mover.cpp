#include "events/maze3d/rc_mover.h"

#include <algorithm>
#include <cstdlib>

#include "events/maze3d/rc_hud.h"
#include "events/maze3d/rc_support.h"
#include "events/maze3d/rc_tables.h"
#include "sound/sound.h"

MazeMover g_mazeMover;

namespace {

// Wall segments by cell; a cell outside the map counts as walled.
bool XW(int r, int c) { return !MazeCellInMap(r, c) || g_mazeXWalls[r * kMazeCells + c] != 0; }
bool YW(int r, int c) { return !MazeCellInMap(r, c) || g_mazeYWalls[r * kMazeCells + c] != 0; }
int Sign(int32_t v) { return (v > 0) - (v < 0); }
int32_t InWorld(int64_t v) { return int32_t(std::clamp<int64_t>(v, 0, kMazeWorldSize - 1)); }

}  // namespace

bool MazeMover::SubStep(int s, Model model) {
  x1_ = InWorld(x0_ + ((int64_t(g_cosTable[heading_]) * s) >> 16));
  y1_ = InWorld(y0_ + ((int64_t(g_sinTable[heading_]) * s) >> 16));
  bool stopped = false;
  if (model == Model::kA) {
    if (g_mazeRoundState < 2) ClampA();
  } else if (model == Model::kShot || g_mazeRoundState < 2) {  // the winner walks out through the door
    stopped = ClampB(model == Model::kShot);
  }
  // A clamp against the map's last cells could reach past the world.
  x1_ = InWorld(x1_);
  y1_ = InWorld(y1_);
  return stopped;
}

void MazeMover::ExitTest(int cell) {
  if (g_mazeRoundState != 0 || !g_mazeHud || g_mazeHud->doorCell != cell || owner_ > 3) return;
  const MazePlayerRecord& p = g_mazePlayers[owner_];
  if (p.hasKey == 1 && p.action == 1) {
    g_mazeRoundState = 1;
    g_mazeWinner = owner_;
  }
}

// Model A: a body a whole cell from any wall in its way, tested in the cell
// of the new point. The first rule that matches decides.
void MazeMover::ClampA() {
  const int r = y1_ >> 5, c = x1_ >> 5;
  const int32_t cx = x1_ & ~31, cy = y1_ & ~31;
  const int sx = Sign(x1_ - x0_);
  int sy = Sign(y1_ - y0_);
  if (sx != 0 && sy == 0) sy = -1;
  const int m = margin_;
  auto clampX = [&] { x1_ = sx < 0 ? cx + 32 + m : cx - m; };
  auto clampY = [&] { y1_ = sy < 0 ? cy + 32 + m : cy - m; };
  if (sx == 0) {
    if (sy > 0 && (YW(r + 1, c - 1) || YW(r + 1, c) || YW(r + 1, c + 1))) clampY();
    if (sy < 0 && (YW(r, c - 1) || YW(r, c) || YW(r, c + 1))) {
      ExitTest(r * kMazeCells + c);
      clampY();
    }
    return;
  }
  const int yRow = sy < 0 ? r : r + 1;       // the leading y-line's row of segments
  const int xCol = sx < 0 ? c : c + 1;       // the leading x-line's column
  const int behindCol = sx < 0 ? c + 1 : c - 1, aheadCol = sx < 0 ? c - 1 : c + 1;
  const int behindRow = sy > 0 ? r - 1 : r + 1;
  if (YW(yRow, c) || YW(yRow, behindCol)) {
    clampY();
    if (XW(r, xCol) || XW(behindRow, xCol)) clampX();
  } else if (XW(r - 1, xCol) || XW(r, xCol) || XW(r + 1, xCol)) {
    clampX();
  } else if (YW(yRow, aheadCol)) {
    clampY();
  }
}

// Model B: a body 22 units inside the cell of its start point. A clamp only
// moves a coordinate inwards. True when one moved the point.
bool MazeMover::ClampB(bool shot) {
  const int r = y0_ >> 5, c = x0_ >> 5;
  const int32_t cx = x0_ & ~31, cy = y0_ & ~31;
  const int m = shot ? 0 : margin_;
  const int32_t W = cx + 22 + m, E = cx + 10 - m, N = cy + 22 + m, S = cy + 10 - m;
  const int32_t bx = x1_, by = y1_;
  auto toW = [&] { x1_ = std::max(x1_, W); };
  auto toE = [&] { x1_ = std::min(x1_, E); };
  auto toN = [&] { y1_ = std::max(y1_, N); };
  auto toS = [&] { y1_ = std::min(y1_, S); };
  const bool west = XW(r, c) || (XW(r - 1, c) && XW(r + 1, c));
  const bool east = XW(r, c + 1) || (XW(r - 1, c + 1) && XW(r + 1, c + 1));
  const bool north = YW(r, c) || (YW(r, c - 1) && YW(r, c + 1));
  const bool south = YW(r + 1, c) || (YW(r + 1, c - 1) && YW(r + 1, c + 1));
  const auto moved = [&] { return x1_ != bx || y1_ != by; };
  if (x1_ == x0_) {
    if (y1_ >= y0_) {
      if (south) toS();
      if (YW(r + 1, c - 1)) {
        if (x1_ < cx + 22) toS();
      } else if (YW(r + 1, c + 1)) {
        if (x1_ > cx + 10) toS();
      }
    } else {
      if (north && y1_ < N) {
        if (!shot) ExitTest(r * kMazeCells + c);
        toN();
      }
      if (YW(r, c - 1)) {
        if (x1_ < cx + 22) toN();
      } else if (YW(r, c + 1)) {
        if (x1_ > cx + 10) toN();
      }
    }
    return moved();
  }
  if (x1_ < x0_ && west) {
    toW();
    if (shot) {
      if (YW(r, c) || YW(r, c + 1)) toN();
      if (YW(r + 1, c) || YW(r + 1, c + 1)) toS();
      return moved();
    }
    if (YW(r, c) || YW(r, c + 1)) toN();
    else if (YW(r + 1, c) || YW(r + 1, c + 1)) toS();
    return moved();
  }
  if (x1_ > x0_ && east) {
    toE();
    if (shot) {
      if (YW(r, c) || YW(r, c - 1)) toN();
      if (YW(r + 1, c) || YW(r + 1, c - 1)) toS();
      return moved();
    }
    if (YW(r, c) || YW(r, c - 1)) {
      toN();
      return moved();
    }
    if (YW(r + 1, c) || YW(r + 1, c - 1)) {
      toS();
      return moved();
    }
  }
  // Moving in x with the leading x side open (or, east, clamped with no
  // y-line beside it): by the y motion.
  const bool up = y1_ <= y0_;
  const int yRow = up ? r : r + 1;
  const int xCol = x1_ < x0_ ? c : c + 1;
  auto clampY = [&] { up ? toN() : toS(); };
  auto clampX = [&] { x1_ < x0_ ? toW() : toE(); };
  if (up ? north : south) {
    clampY();
    if (XW(up ? r + 1 : r - 1, xCol)) clampX();
  } else {
    if ((x1_ < cx + 22 && YW(yRow, c - 1)) || (x1_ > cx + 10 && YW(yRow, c + 1))) clampY();
    if ((y1_ < cy + 22 && XW(r - 1, xCol)) || (y1_ > cy + 10 && XW(r + 1, xCol))) clampX();
  }
  return moved();
}

uint16_t MazeMover::Probe() {
  uint16_t hit = 0xFFFF;
  MazeObjectRecord& key = g_mazeObjects[kMazeKeyManObject];
  if (key.active && std::abs(x1_ - key.x) < 20 && std::abs(y1_ - key.y) < 20 && owner_ < 4) {
    key.active = 0;
    MazePlayerRecord& p = g_mazePlayers[owner_];
    p.hasKey = 1;
    p.score += 5000;
    MazeDoorSet();
    if (g_soundManager) {
      if (g_mazeTkoSound >= 0 && g_soundManager->IsPlaying(g_mazeTkoSound)) g_soundManager->Stop(g_mazeTkoSound);
      const int keySound = g_mazePlayerSounds[owner_][7];
      if (keySound >= 0) g_soundManager->Play(keySound, 0, 999999, 999999, 999999, 0);
    }
  }
  auto push = [&](int32_t ox, int32_t oy, int32_t R) {
    if (std::abs(x1_ - ox) >= R || std::abs(y1_ - oy) >= R) return false;
    const int32_t dx = x0_ - ox, dy = y0_ - oy;
    if (std::abs(dx) < R) {
      y1_ = dy < 0 ? oy - R : oy + R;
    } else if (std::abs(dy) < R) {
      x1_ = dx < 0 ? ox - R : ox + R;
    } else {
      y1_ = dy < 0 ? oy - R : oy + R;
      x1_ = dx < 0 ? ox - R : ox + R;
    }
    x1_ = InWorld(x1_);
    y1_ = InWorld(y1_);
    return true;
  };
  // Every awake monster is a body, rising, waiting or dying, and so is
  // every runner in play, standing or lying: each blocks a walk and each is
  // what a blow lands on.
  for (int i = kMazeFirstMonster; i <= kMazeLastMonster; ++i) {
    const MazeObjectRecord& o = g_mazeObjects[i];
    if (o.active == 1 && push(o.x, o.y, 16)) hit = uint16_t(i);
  }
  for (int i = 0; i < 4; ++i) {
    const MazeRunnerRecord& o = g_mazeRunners[i];
    if ((o.flags & kRunnerInPlay) && i != owner_ && push(o.x, o.y, radius_ + o.radius)) hit = uint16_t(i);
  }
  return hit;
}

uint16_t MazeMover::ShotHit() const {
  for (int i = 0; i < 4; ++i) {
    const MazeRunnerRecord& r = g_mazeRunners[i];
    if ((r.flags & kRunnerInPlay) && r.player != owner_ && std::abs(x1_ - r.x) < 20 && std::abs(y1_ - r.y) < 20)
      return uint16_t(i);
  }
  for (int i = kMazeFirstMonster; i <= kMazeLastMonster; ++i) {
    const MazeObjectRecord& o = g_mazeObjects[i];
    if (o.active == 1 && std::abs(x1_ - o.x) < 16 && std::abs(y1_ - o.y) < 16) return uint16_t(i);
  }
  return 0xFFFF;
}

uint32_t MazeMover::MoveBody(MazeRunnerRecord& runner, int subStep, Model model) {
  x0_ = runner.x;
  y0_ = runner.y;
  heading_ = uint16_t(WrapAngle(runner.moveHeading));
  owner_ = runner.player;
  radius_ = runner.radius;
  margin_ = runner.wallMargin;
  uint32_t r = kMoveNothing;
  int d = runner.moveDistance;
  const int s = d < 0 ? -subStep : subStep;
  // A wall does not end the walk: each sub-step starts from the clamped
  // point, so the body slides along walls.
  while (std::abs(d) > subStep) {
    SubStep(s, model);
    r &= uint32_t(Probe()) | 0xFFFF0000u;
    if (r != kMoveNothing) break;
    d -= s;
    x0_ = x1_;
    y0_ = y1_;
  }
  if (r == kMoveNothing) {
    SubStep(d, model);
    r &= uint32_t(Probe()) | 0xFFFF0000u;
  }
  runner.x = x1_;
  runner.y = y1_;
  return r;
}

uint32_t MazeMover::MoveCharacter(MazeRunnerRecord& runner) { return MoveBody(runner, 20, Model::kA); }
uint32_t MazeMover::MoveCharacterWide(MazeRunnerRecord& runner) { return MoveBody(runner, 22, Model::kB); }

uint32_t MazeMover::MoveShot(MazeObjectRecord& shot) {
  x0_ = shot.x;
  y0_ = shot.y;
  heading_ = uint16_t(WrapAngle(shot.heading));
  owner_ = uint16_t(shot.shooter);
  margin_ = 0;
  uint32_t r = kMoveNothing;
  int d = shot.step;
  auto one = [&](int s) {
    if (SubStep(s, Model::kShot)) r &= 0xFFFFu;
    r &= uint32_t(ShotHit()) | 0xFFFF0000u;
  };
  while (d > 22) {
    one(22);
    if (r != kMoveNothing) break;
    d -= 22;
    x0_ = x1_;
    y0_ = y1_;
  }
  if (r == kMoveNothing) one(d);
  shot.x = x1_;
  shot.y = y1_;
  return r;
}

// The split screen camera's test: model A's rules on the new point's cell,
// each clamp a test of the distance to that wall.
bool MazeMover::SlideBlocked() const {
  const int r = y1_ >> 5, c = x1_ >> 5;
  const int32_t cx = x1_ & ~31, cy = y1_ & ~31;
  const int sx = Sign(x1_ - x0_);
  int sy = Sign(y1_ - y0_);
  if (sx != 0 && sy == 0) sy = -1;
  const bool yTest = sy < 0 ? y1_ < cy + 20 : y1_ > cy + 12;
  const bool xTest = sx < 0 ? x1_ < cx + 20 : x1_ > cx + 12;
  if (sx == 0) {
    if (sy > 0 && (YW(r + 1, c - 1) || YW(r + 1, c) || YW(r + 1, c + 1))) return yTest;
    if (sy < 0 && (YW(r, c - 1) || YW(r, c) || YW(r, c + 1))) return yTest;
    return false;
  }
  const int yRow = sy < 0 ? r : r + 1, xCol = sx < 0 ? c : c + 1;
  const int behindCol = sx < 0 ? c + 1 : c - 1, aheadCol = sx < 0 ? c - 1 : c + 1;
  const int behindRow = sy > 0 ? r - 1 : r + 1;
  if (YW(yRow, c) || YW(yRow, behindCol)) {
    if (yTest) return true;
    return (XW(r, xCol) || XW(behindRow, xCol)) && xTest;
  }
  if (XW(r - 1, xCol) || XW(r, xCol) || XW(r + 1, xCol)) return xTest;
  if (YW(yRow, aheadCol)) return yTest;
  return false;
}

// The single view camera's test, on the new point's cell.
bool MazeMover::ShortBlocked() const {
  const int r = y1_ >> 5, c = x1_ >> 5;
  const int32_t cx = x1_ & ~31, cy = y1_ & ~31;
  if ((XW(r, c) && XW(r, c + 1)) || (YW(r, c) && YW(r + 1, c))) return true;
  if (x1_ < x0_ ? (XW(r, c) && x1_ < cx + 10) : (XW(r, c + 1) && x1_ > cx + 22)) return true;
  return y1_ > y0_ ? (YW(r + 1, c) && y1_ > cy + 22) : (YW(r, c) && y1_ < cy + 10);
}

uint32_t MazeMover::MoveCamera(MazeViewRecord& view, int subStep, bool slide) {
  x0_ = view.x;
  y0_ = view.y;
  heading_ = uint16_t(WrapAngle(view.moveHeading));
  g_mazeCameraPulledIn = 0;
  int d = view.moveDistance;
  // Backs off from the start point by 2 while the wall test says blocked;
  // never past the start (a camera that cannot step back at all stays).
  auto backOff = [&](int s) {
    for (;; s -= 2) {
      if (s <= 0) {
        x1_ = x0_;
        y1_ = y0_;
        g_mazeCameraPulledIn = 1;
        return 0;
      }
      x1_ = InWorld(x0_ + ((int64_t(g_cosTable[heading_]) * s) >> 16));
      y1_ = InWorld(y0_ + ((int64_t(g_sinTable[heading_]) * s) >> 16));
      if (!(slide ? SlideBlocked() : ShortBlocked())) return s;
      g_mazeCameraPulledIn = 1;
    }
  };
  while (std::abs(d) > subStep) {
    const int s = backOff(subStep);
    if (g_mazeCameraPulledIn) break;
    d -= s;
    x0_ = x1_;
    y0_ = y1_;
  }
  if (!g_mazeCameraPulledIn) backOff(d);
  view.x = x1_;
  view.y = y1_;
  return 1;
}

uint32_t MazeMover::MoveSlide(MazeViewRecord& view) { return MoveCamera(view, 20, true); }
uint32_t MazeMover::MoveShort(MazeViewRecord& view) { return MoveCamera(view, 10, false); }
