#include "events/maze3d/rc_raycaster.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "events/maze3d/rc_loader.h"
#include "events/maze3d/rc_support.h"
#include "events/maze3d/rc_tables.h"

uint8_t* g_mazeFrame = nullptr;
int32_t g_mazePitch = 0;
RayColumn g_rayColumns[kRayColumnCount];
uint16_t g_wallTopSpan[kRayColumnCount];
uint16_t g_wallBottomSpan[kRayColumnCount];
RaySprite g_raySprites[kMaxRaySprites];

namespace {

constexpr int64_t kMapLow = 32, kMapHigh = 4064;
constexpr int32_t kNoHitDistance = 0x7FFFFFFF;

int32_t ClampDistance(int64_t d) { return int32_t(std::clamp<int64_t>(d, 0, kNoHitDistance)); }

}  // namespace

void RcClearColumnSpans() {
  for (int c = 0; c < kRayColumnCount; ++c) g_wallTopSpan[c] = g_wallBottomSpan[c] = kNoSpan;
}

RayCaster::RayCaster() {
  for (RayColumn& col : g_rayColumns) col = RayColumn{0, 0, 0, kNoHitDistance};
  RcClearColumnSpans();
}

RayCaster::~RayCaster() = default;

void RayCaster::SetCamera(const MazeViewRecord& view) {
  view_ = view;
  heading_ = uint16_t(WrapAngle(view.heading));
  moveHeading_ = uint16_t(WrapAngle(view.moveHeading));
  x_ = view.x;
  y_ = view.y;
}

void RayCaster::CastColumns() {
  int a = WrapAngle(heading_ - kRayColumnCount / 2);
  for (int c = 0; c < kRayColumnCount; ++c) {
    CastColumn(c, a);
    if (++a == kMazeTurn) a = 0;
  }
}

// One ray over the two wall maps. The walks use 64-bit coordinates so that
// no table value, however large next to an axis, can overflow them; a ray
// along an axis does not walk the lines it runs parallel to.
void RayCaster::CastColumn(int c, int a) {
  const int64_t x = x_, y = y_;
  const int64_t originX = x_ & ~31, originY = y_ & ~31;
  int64_t xLength = kNoHitDistance, yLength = kNoHitDistance;
  uint16_t xValue = 0, yValue = 0;
  int64_t xCross = 0, yCross = 0;
  if (a != 450 && a != 1350) {
    const bool west = a >= 450 && a < 1350;
    int64_t lineX = west ? originX : originX + 32;
    const int64_t stepX = west ? -32 : 32;
    const int64_t stepY = west ? -int64_t(g_yStepTable[a]) : int64_t(g_yStepTable[a]);
    int64_t crossY = (lineX - x) * g_tanTable[a] + (y << 16);
    while (lineX >= kMapLow && lineX <= kMapHigh && crossY >= (kMapLow << 16) && crossY < (kMapHigh << 16)) {
      const uint16_t v = g_mazeXWalls[(crossY >> 21) * kMazeCells + (lineX >> 5)];
      if (v) {
        xValue = v;
        xCross = crossY;
        xLength = ((lineX - x) * g_invCosTable[a]) >> 10;
        // Seen from the east the texture runs the other way.
        if (lineX < x) xCross = -1 - crossY;
        break;
      }
      lineX += stepX;
      crossY += stepY;
    }
  }
  if (a != 0 && a != 900) {
    const bool north = a >= 900;
    int64_t lineY = north ? originY : originY + 32;
    const int64_t stepY = north ? -32 : 32;
    const int64_t stepX = north ? -int64_t(g_xStepTable[a]) : int64_t(g_xStepTable[a]);
    int64_t crossX = (lineY - y) * g_cotTable[a] + (x << 16);
    while (crossX >= (kMapLow << 16) && crossX < (kMapHigh << 16) && lineY >= kMapLow && lineY <= kMapHigh) {
      const uint16_t v = g_mazeYWalls[(lineY >> 5) * kMazeCells + (crossX >> 21)];
      if (v) {
        yValue = v;
        yCross = crossX;
        yLength = ((lineY - y) * g_invSinTable[a]) >> 8;
        if (y < lineY) yCross = -1 - crossX;
        break;
      }
      lineY += stepY;
      crossX += stepX;
    }
  }
  RayColumn& col = g_rayColumns[c];
  if (!xValue && !yValue) {
    col.hit = 0;
    col.distance = kNoHitDistance;  // a column without a wall hides nothing
    return;
  }
  // On a tie the x-wall stands.
  const bool useY = yValue && (!xValue || yLength < xLength);
  const int64_t length = useY ? yLength : xLength;
  const int64_t cross = useY ? yCross : xCross;
  // A mirrored crossing was stored as -1 - c: its column is 31 - (c & 31).
  const uint32_t column = cross >= 0 ? uint32_t((cross >> 16) & 31) : uint32_t(31 - (((-1 - cross) >> 16) & 31));
  const uint32_t value = useY ? yValue : xValue;
  col.hit = 1;
  // A map value past the level's textures (never in a checked level) shows
  // the first texture rather than reading past the block.
  col.texture = value - 1 < g_mazeLevel.wallTextureCount ? value - 1 : 0;
  col.textureColumn = column;
  col.distance = ClampDistance((int64_t(g_cosTable[std::abs(kRayColumnCount / 2 - c)]) * length) >> 16);
}

int32_t RayCaster::AngleTo(int32_t dx, int32_t dy) { return AngleOf(dx, dy); }
int32_t RayCaster::SqrtDistance(int32_t n) { return IntSqrt(n); }

const uint8_t* RayCaster::PickDirectionFrame(int heading, const uint8_t* pose) const {
  if (!pose) return nullptr;
  int base = moveHeading_ - 115;
  if (base < 0) base += kMazeTurn;
  int t = WrapAngle(heading) + 900;
  if (t >= kMazeTurn) t -= kMazeTurn;
  int d = t - base;
  if (d < 0) d += kMazeTurn;
  return RcRecordAt(pose, std::min(d / 225, 7));
}

void RayCaster::AddSprite(int32_t x, int32_t y, int heading, const uint8_t* pose, int32_t farLimit, int lo, int hi) {
  if (!pose || spriteCount_ >= kMaxRaySprites) return;
  const int64_t dx = int64_t(x) - x_, dy = int64_t(y) - y_;
  const int64_t d2 = dx * dx + dy * dy;
  if (d2 > INT32_MAX) return;  // farther than any wall of a 4096-unit world
  const int a = AngleTo(int32_t(dx), int32_t(dy));
  int position;
  if (lo <= hi) {
    if (a < lo || a > hi) return;
    position = a - lo;
  } else if (a <= hi) {
    position = (kMazeTurn - lo) + a;
  } else if (a >= lo) {
    position = a - lo;
  } else {
    return;
  }
  const int32_t distance = int32_t((int64_t(g_cosTable[std::abs(position - 200)]) * SqrtDistance(int32_t(d2))) >> 16);
  if (distance > farLimit) return;
  RaySprite& s = g_raySprites[spriteCount_++];
  s.distance = std::max(distance, 1);
  s.step = WallStepAt(s.distance);
  s.position = uint16_t(position);
  s.frame = PickDirectionFrame(heading, pose);
}

void RayCaster::CollectSprites() {
  spriteCount_ = 0;
  const int lo = WrapAngle(heading_ - 200), hi = WrapAngle(heading_ + 200);
  int32_t farLimit = 0;
  for (int c = 0; c < kSplitColumns; ++c)
    if (g_rayColumns[c].hit) farLimit = std::max(farLimit, g_rayColumns[c].distance);
  for (const MazeObjectRecord& o : g_mazeObjects)
    if (o.active) AddSprite(o.x, o.y, o.heading, o.pose, farLimit, lo, hi);
  for (const MazeRunnerRecord& r : g_mazeRunners) {
    if (r.player == view_.player && g_mazeRoundState < 2) {
      // The viewer's own character stands in the middle of its view, at the
      // camera's distance, or nearer when a wall pulled the camera in.
      if (!r.pose || spriteCount_ >= kMaxRaySprites) continue;
      int64_t distance = g_mazeCameraDistance;
      if (g_mazeCameraPulledIn) {
        const int64_t dx = int64_t(r.x) - x_, dy = int64_t(r.y) - y_;
        distance = (int64_t(IntSqrt(int32_t(std::min<int64_t>(dx * dx + dy * dy, INT32_MAX)))) * g_cosTable[0]) >> 16;
      }
      RaySprite& s = g_raySprites[spriteCount_++];
      s.distance = int32_t(std::clamp<int64_t>(distance, 1, kWallStepLast));
      s.step = WallStepAt(s.distance);
      s.position = 200;
      s.frame = PickDirectionFrame(r.moveHeading, r.pose);
    } else if (r.flags & kRunnerInPlay) {
      AddSprite(r.x, r.y, r.moveHeading, r.pose, farLimit, lo, hi);
    }
  }
  SortSprites();
}

void RayCaster::SortSprites() {
  // Farthest first, so that nearer things are drawn over farther ones.
  for (int i = 0; i < spriteCount_; ++i)
    for (int j = i + 1; j < spriteCount_; ++j)
      if (g_raySprites[j].distance > g_raySprites[i].distance) std::swap(g_raySprites[i], g_raySprites[j]);
}

void RayCaster::RenderSplitView() {
  if (!g_mazeFrame) return;
  RcDrawWallColumns(view_);
  if (view_.flags & kRunnerSkyPicture) sky_.DrawPanorama(view_);
  else sky_.DrawFlat(view_);
  if (view_.flags & kRunnerTexturedFloor) floor_.DrawFloorSplit(view_);
  else floor_.FillColumnsSplit(view_);
  sprites_.DrawSpritesSplit(view_, spriteCount_);
}

void RayCaster::RenderSingleView() {
  if (!g_mazeFrame) return;
  RcDrawWallColumnsDouble(view_);
  sky_.DrawPanoramaDoubled(view_);
  if (view_.flags & kRunnerTexturedFloor) floor_.DrawFloorSingle(view_);
  else floor_.FillColumnsSingle(view_);
  sprites_.DrawSpritesSingle(view_, spriteCount_);
}
