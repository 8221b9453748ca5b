#pragma once
// RayCaster: the first-person view of the maze, drawn into the locked 8-bit
// back buffer (g_mazeFrame, g_mazePitch; the view in rows 0..399). One ray per
// column of 320 is cast over the two wall maps with 16.16 walks and the angle
// tables; each hit becomes a textured wall column drawn outwards from the
// horizon, the spans the walls leave tell the sky and floor passes where to
// draw, and the things are drawn last, column by column, hidden where a wall
// of that column is nearer. Integer arithmetic only and no allocation per
// frame.
//
// Per view and frame, with the back buffer locked: SetCamera, CastColumns,
// CollectSprites, then RenderSplitView (318 one-pixel columns from the view's
// screenX) or RenderSingleView (320 two-pixel columns across 640).
//
// Every map read stays inside the 128 x 128 map, a ray that runs along an
// axis never walks the lines it is parallel to, distances index the wall step
// table within its 5702 entries, and a thing at the camera is drawn at
// distance 1 rather than dividing by a zero step.
#include <cstdint>

#include "events/maze3d/rc_tables.h"
#include "events/maze3d/rc_world.h"

inline constexpr int kViewRows = 400;
inline constexpr int kFrameWidth = 640, kFrameHeight = 480;
inline constexpr int kSplitColumns = 318;
inline constexpr int kMaxRaySprites = kMazeObjectCount + 4;
inline constexpr uint8_t kFlatSkyColour = 0x41;
inline constexpr uint16_t kNoSpan = 0xFFFF;

// The locked back buffer: its first byte and the bytes per row (640 x 480).
extern uint8_t* g_mazeFrame;
extern int32_t g_mazePitch;

struct RayColumn {
  uint32_t hit;            // 1 when the ray met a wall
  uint32_t texture;        // wall texture number
  uint32_t textureColumn;  // 0..31
  int32_t distance;        // corrected distance; 0x7FFFFFFF without a hit
};
extern RayColumn g_rayColumns[kRayColumnCount];
// Wall rows drawn above the horizon and from it down in each column;
// kNoSpan where the wall fills that half or there is no wall. Every entry is
// kNoSpan between views.
extern uint16_t g_wallTopSpan[kRayColumnCount];
extern uint16_t g_wallBottomSpan[kRayColumnCount];

struct RaySprite {
  int32_t distance;       // corrected distance, 1..: the sort key
  int32_t step;           // the wall step of that distance
  uint16_t position;      // angle from the view heading - 200, 0..400
  const uint8_t* frame;   // the chosen direction frame's record (its byte count first)
};
extern RaySprite g_raySprites[kMaxRaySprites];

// Sets both span tables to kNoSpan.
void RcClearColumnSpans();
// Walls of columns 0..317 from the view's screenX, one pixel each.
void RcDrawWallColumns(const MazeViewRecord& view);
// Walls of columns 0..319 from x 0, two pixels each.
void RcDrawWallColumnsDouble(const MazeViewRecord& view);

class RaySkyRenderer {
 public:
  void DrawPanorama(const MazeViewRecord& view);
  void DrawFlat(const MazeViewRecord& view);
  void DrawPanoramaDoubled(const MazeViewRecord& view);

 private:
  void Draw(const MazeViewRecord& view, bool picture, bool doubled);
};

class RayFloorRenderer {
 public:
  void DrawFloorSplit(const MazeViewRecord& view);
  void FillColumnsSplit(const MazeViewRecord& view);
  void DrawFloorSingle(const MazeViewRecord& view);
  void FillColumnsSingle(const MazeViewRecord& view);
  // The world point of floor row r (from the horizon) in column c.
  void FloorPoint(int r, int c, int32_t* x, int32_t* y) const;

 private:
  void Begin(const MazeViewRecord& view);
  void DrawFloor(const MazeViewRecord& view, bool doubled);
  void Fill(const MazeViewRecord& view, bool doubled);
  void DrawSpan(int r, int first, int last, int32_t x0, int32_t y0, int32_t x1, int32_t y1, bool doubled);

  uint16_t heading_ = 0;
  int16_t offset_ = 0;
  uint16_t screenX_ = 0;
  int32_t cameraX_ = 0, cameraY_ = 0;
  int horizon_ = 200;
  const int32_t* rows_ = nullptr;
};

class RaySpriteRenderer {
 public:
  void DrawSpritesSplit(const MazeViewRecord& view, int count);
  void DrawSpritesSingle(const MazeViewRecord& view, int count);

 private:
  void Draw(const MazeViewRecord& view, int count, bool single);
  // Decodes texel column t of the sprite's frame into the column buffer;
  // false when the column is empty.
  bool DecodeColumn(const uint8_t* frame, int t);
  void DrawColumn(uint8_t* top, int step);

  int eye_ = 65;
  int horizon_ = 200;
  uint8_t column_[128] = {};
};

class RayCaster {
 public:
  RayCaster();
  ~RayCaster();
  RayCaster(const RayCaster&) = delete;
  RayCaster& operator=(const RayCaster&) = delete;

  void SetCamera(const MazeViewRecord& view);
  void CastColumns();
  void CollectSprites();
  void RenderSplitView();
  void RenderSingleView();
  int spriteCount() const { return spriteCount_; }

  // AngleOf and IntSqrt of a camera-relative offset.
  static int32_t AngleTo(int32_t dx, int32_t dy);
  static int32_t SqrtDistance(int32_t n);
  // The frame to draw of a pose (its first of eight direction records) for
  // a thing facing `heading`, seen by this view's viewer.
  const uint8_t* PickDirectionFrame(int heading, const uint8_t* pose) const;
  void SortSprites();

 private:
  void CastColumn(int c, int a);
  void AddSprite(int32_t x, int32_t y, int heading, const uint8_t* pose, int32_t farLimit, int lo, int hi);

  MazeViewRecord view_{};
  uint16_t heading_ = 0;
  uint16_t moveHeading_ = 0;
  int32_t x_ = 0, y_ = 0;
  int spriteCount_ = 0;
  RaySkyRenderer sky_;
  RayFloorRenderer floor_;
  RaySpriteRenderer sprites_;
};
