#include "events/roller_derby/derby_track.h"

#include <cmath>
#include <initializer_list>

namespace derby {

namespace da = derbyassets;

const float g_directionAngles[4] = {
    static_cast<float>(3.14159265359 / 2), static_cast<float>(3.14159265359),
    static_cast<float>(3.14159265359 * 3 / 2), 0.0f};

const Point2f g_minePositions[kMines] = {
    {96, 400},   {435, 625},  {743, 809},  {760, 836}, {589, 976}, {1471, 259}, {1261, 324}, {1481, 181},
    {1105, 76},  {889, 660},  {366, 240},  {74, 252},  {104, 254}, {983, 259},  {530, 321},
};

const int8_t g_racingLine[kPieces * 4] = {
    0,  0,  0,  1,  1,  1,  1,  0,  0,  0,  0,  -1, -1, -1, 0,  0,  1,  1,  1,  0,  0,  0,  0,  1,
    1,  1,  0,  -1, -1, -1, 0,  1,  1,  1,  0,  -1, -1, -1, -1, 0,  0,  0,  0,  1,  1,  1,  1,  1,
    1,  1,  1,  0,  0,  0,  0,  0,  0,  0,  1,  1,  1,  1,  0,  -1, -1, -1, -1, 0,  0,  0,  0,  0,
    0,  0,  -1, -1, -1, -1, -1, -1, -1, -1, 0,  1,  1,  1,  1,  1,  1,  1,  0,  0,  0,  0,  0,  0,
};

namespace {

constexpr float kHalfPi = kPi / 2;
constexpr float kTwoPi = kPi * 2;

int Wrap24(int r) {
  while (r < 0) r += kPieces;
  while (r >= kPieces) r -= kPieces;
  return r;
}

Point2f LocalPoint(const da::TrackLayoutEntry& row, Point2f p) {
  Point2f local(p.x - row.x, p.y - row.z);
  local.RotateQuarterTurns(-static_cast<int>(row.direction));
  return local;
}

// A shape point of a piece placed in the world.
Point2f Placed(const da::TrackLayoutEntry& row, float x, float z) {
  Point2f p(x, z);
  p.RotateQuarterTurns(static_cast<int>(row.direction));
  p += Point2f(row.x, row.z);
  return p;
}

void FillEdges(const da::TrackLayoutEntry& row, const da::WallPoint* points, int count, bool mirror,
               TrackEdges* out) {
  out->count = count;
  for (int i = 0; i < count; ++i)
    out->points[i] = Placed(row, mirror ? -points[i].x : points[i].x, points[i].z);
}

// Turn centre of a piece, in the world.
Point2f TurnCentre(const da::TrackLayoutEntry& row) {
  Point2f c(da::IsLeftTurn(row.type) ? -128.0f : 128.0f, 0.0f);
  c.RotateQuarterTurns(static_cast<int>(row.direction));
  c += Point2f(row.x, row.z);
  return c;
}

// Every wall segment of one piece that the move crosses: where, and the
// index of the segment's first point.
struct Crossings {
  int n = 0;
  Point2f at[8];
  int first[8];
};

void TestWalls(const TrackEdges& e, Point2f from, Point2f to, Crossings* out) {
  const int half = e.count / 2;
  for (int i = 0; i + 1 < half; ++i) {
    for (int wall = 0; wall < 2; ++wall) {
      const int k = wall * half + i;
      const Point2f& a = e.points[k];
      const Point2f& b = e.points[k + 1];
      if (out->n < 8 && SegmentsIntersect(from, to, a, b)) {
        LineIntersection(from, to, a, b, &out->at[out->n]);
        out->first[out->n] = k;
        ++out->n;
      }
    }
  }
}

// The crossing nearest to `near` (the first of equals).
int Nearest(const Crossings& c, Point2f near) {
  int best = 0;
  float bestD = DistanceSquared(c.at[0], near);
  for (int i = 1; i < c.n; ++i) {
    const float d = DistanceSquared(c.at[i], near);
    if (d < bestD) {
      bestD = d;
      best = i;
    }
  }
  return best;
}

}  // namespace

float WrapTwoPi(float a) {
  if (!std::isfinite(a)) return 0.0f;
  while (a < 0.0f) a += kTwoPi;
  while (a >= kTwoPi) a -= kTwoPi;
  return a;
}

float WrapPi(float a) {
  if (!std::isfinite(a)) return 0.0f;
  while (a < -kPi) a += kTwoPi;
  while (a > kPi) a -= kTwoPi;
  return a;
}

const da::TrackLayoutEntry& LayoutRow(int piece) { return da::kTrackLayout[Wrap24(piece)]; }

TrackShape BuildTrackShape() {
  TrackShape t;
  for (int r = 0; r < kPieces; ++r) {
    const da::TrackLayoutEntry& row = da::kTrackLayout[r];
    const da::ShapeRect& s = da::IsStraight(row.type)   ? da::kStraightShape
                             : da::IsLeftTurn(row.type) ? da::kLeftTurnShape
                                                        : da::kRightTurnShape;
    Rect4f b(s.left, s.top, s.right, s.bottom);
    b.RotateQuarterTurns(static_cast<int>(row.direction));
    b += Point2f(row.x, row.z);
    t.pieceBounds[r] = b;
    if (da::IsStraight(row.type)) {
      FillEdges(row, da::kStraightWall, 4, false, &t.outerEdges[r]);
      FillEdges(row, da::kStraightInner, 4, false, &t.innerEdges[r]);
    } else {
      const bool mirror = da::IsRightTurn(row.type);
      FillEdges(row, da::kLeftTurnWall, 10, mirror, &t.outerEdges[r]);
      FillEdges(row, da::kLeftTurnInner, 10, mirror, &t.innerEdges[r]);
    }
  }
  return t;
}

const TrackShape& Track() {
  static const TrackShape track = BuildTrackShape();
  return track;
}

int FindPiece(const TrackShape& track, Point2f p) {
  for (int r = 0; r < kPieces; ++r)
    if (track.pieceBounds[r].Contains(p)) return r;
  return kNoPiece;
}

bool IsNearPiece(int pieceIndex, int piece) {
  for (int k = 0; k < 7; ++k)
    if (Wrap24(pieceIndex + k - 3) == piece) return true;
  return false;
}

void SelectNearPieces(int centre, bool selected[kPieces]) {
  for (int r = 0; r < kPieces; ++r) selected[r] = false;
  for (int k = 0; k < 7; ++k) selected[Wrap24(centre + k - 3)] = true;
}

float PieceRiseAt(uint32_t type, Point2f local) {
  const float rise = type < static_cast<uint32_t>(da::kPieceTypes) ? da::kPieceRise[type] : 0.0f;
  if (rise == 0.0f) return 0.0f;
  if (da::IsStraight(type)) return local.y / 128.0f * rise;
  const float swept = da::IsLeftTurn(type) ? std::atan2(local.y, local.x + 128.0f)
                                           : std::atan2(local.y, 128.0f - local.x);
  return swept * 2.0f / kPi * rise;
}

float TrackHeight(int piece, Point2f p) {
  if (piece < 0 || piece >= kPieces) return 0.0f;
  const da::TrackLayoutEntry& row = da::kTrackLayout[piece];
  return row.y + PieceRiseAt(row.type, LocalPoint(row, p));
}

int CrossesEdge(const TrackShape& track, const TrackEdges (&edges)[kPieces], Point2f* from, Point2f* to,
                Point2f* hit) {
  const int p = FindPiece(track, *from);
  if (p == kNoPiece) return 0;
  auto take = [&](const TrackEdges& e, const Crossings& c, Point2f near, int result) {
    const int i = Nearest(c, near);
    *hit = c.at[i];
    *from = e.points[c.first[i]];
    *to = e.points[c.first[i] + 1];
    return result;
  };
  Crossings c;
  TestWalls(edges[p], *from, *to, &c);
  if (c.n) return take(edges[p], c, *from, -1);
  const int q = FindPiece(track, *to);
  if (q != kNoPiece) {
    TestWalls(edges[q], *from, *to, &c);
    return c.n ? take(edges[q], c, *to, 1) : 0;
  }
  for (int other : {Wrap24(p + 1), Wrap24(p - 1)}) {
    TestWalls(edges[other], *from, *to, &c);
    if (c.n) return take(edges[other], c, *to, 1);
  }
  return 0;
}

float TrackHeadingAt(int piece, float x, float z) {
  const da::TrackLayoutEntry& row = LayoutRow(piece);
  if (da::IsStraight(row.type)) return g_directionAngles[row.direction & 3];
  const Point2f c = TurnCentre(row);
  const float a = std::atan2(z - c.y, x - c.x);
  return da::IsLeftTurn(row.type) ? a + kHalfPi : a - kHalfPi;
}

int LaneCodeAt(int piece, float x, float z) {
  const da::TrackLayoutEntry& row = LayoutRow(piece);
  float lane;
  if (da::IsStraight(row.type)) {
    switch (row.direction & 3) {
      case 0: lane = x - row.x; break;
      case 1: lane = z - row.z; break;
      case 2: lane = row.x - x; break;
      default: lane = row.z - z; break;
    }
  } else {
    const Point2f c = TurnCentre(row);
    const float r = std::sqrt((x - c.x) * (x - c.x) + (z - c.y) * (z - c.y));
    lane = da::IsLeftTurn(row.type) ? r - 128.0f : 128.0f - r;
  }
  if (lane < -17.0f) return -2;
  if (lane < -10.0f) return -1;
  if (lane < 10.0f) return 0;
  if (lane < 17.0f) return 1;
  return 2;
}

int QuarterAt(int piece, float x, float z) {
  const da::TrackLayoutEntry& row = LayoutRow(piece);
  const int dir = static_cast<int>(row.direction & 3);
  if (da::IsStraight(row.type)) {
    float along;
    switch (dir) {
      case 0: along = z - row.z; break;
      case 1: along = row.x - x; break;
      case 2: along = row.z - z; break;
      default: along = x - row.x; break;
    }
    return along < 32.0f ? 0 : along < 64.0f ? 1 : along < 96.0f ? 2 : 3;
  }
  const Point2f c = TurnCentre(row);
  const float a = std::atan2(z - c.y, x - c.x);
  float swept;
  if (da::IsLeftTurn(row.type)) {
    swept = a - kHalfPi * static_cast<float>(dir);
  } else {
    static const float kBase[4] = {kPi, kPi * 3 / 2, kTwoPi, kHalfPi};
    swept = kBase[dir] - a;
  }
  swept = WrapTwoPi(swept);
  return swept < kPi / 4 ? 0 : swept < kHalfPi ? 1 : swept < kPi * 3 / 4 ? 2 : 3;
}

}  // namespace derby
