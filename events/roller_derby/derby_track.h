#pragma once
// The ROLLER DERBY track in the ground plane: the footprint and wall lines
// of each of the 24 placed pieces (built from the layout and the piece
// shapes of events/roller_derby/roller_derby_data.h), which piece a point lies on, the
// height of the track surface, wall crossings of a move, the pieces near a
// piece, and the track sense of a position (the heading the track has there,
// the lane across it, the quarter of the piece reached). A Point2f holds
// world (x, z); a Rect4f holds x from left to right and z from top to
// bottom. Plain functions of the tables: the skaters, weapons, cameras and
// mines follow the track through them, and the tests check them alone.
#include <cstdint>

#include "base/geometry.h"
#include "events/roller_derby/roller_derby_data.h"

namespace derby {

inline constexpr int kPieces = derbyassets::kPieces;
inline constexpr int kNoPiece = kPieces;  // a point on no piece
// pi as the track tables take it.
inline constexpr float kPi = static_cast<float>(3.14159265359);

// Two wall lines of count / 2 points each (the first wall's points, then the
// second's), consecutive points joined by straight segments.
struct TrackEdges {
  int32_t count = 0;
  Point2f points[10];
};

// The footprints of the placed pieces, one element per layout row.
struct TrackShape {
  Rect4f pieceBounds[kPieces];
  TrackEdges innerEdges[kPieces];  // 5 inside the walls: skaters and weapons
  TrackEdges outerEdges[kPieces];  // on the walls: the chase cameras
};

// Built once from the tables.
const TrackShape& Track();
TrackShape BuildTrackShape();

// The heading of travel along a piece of direction 0..3 (a heading h moves
// along (cos h, sin h) in (x, z)).
extern const float g_directionAngles[4];
// Where the fifteen mines lie.
inline constexpr int kMines = 15;
extern const Point2f g_minePositions[kMines];
// The lane (-1 left, 0 middle, 1 right) the computer wants at quarter q of
// piece r, at r * 4 + q.
extern const int8_t g_racingLine[kPieces * 4];

const derbyassets::TrackLayoutEntry& LayoutRow(int piece);  // piece taken modulo 24

// The first piece whose footprint holds the point (left and top edges
// inside); kNoPiece when none does.
int FindPiece(const TrackShape& track, Point2f p);
// `piece` lies within three pieces of `pieceIndex` along the loop.
bool IsNearPiece(int pieceIndex, int piece);
// The seven pieces centre - 3 .. centre + 3 round the loop.
void SelectNearPieces(int centre, bool selected[kPieces]);

// Height of the track surface above a piece's entry at a point of its own
// plane (local x across, local y along travel): level pieces 0, straights
// linearly by the distance along, turns by the angle swept round their
// centre.
float PieceRiseAt(uint32_t type, Point2f local);
// The surface height of a placed piece at a world ground point (0 for a
// piece outside 0..23).
float TrackHeight(int piece, Point2f p);

// Whether a ground move from -> to crosses a wall of `edges`: -1 a wall of
// the piece `from` lies on (the crossing nearest to from), 1 a wall of the
// piece `to` lies on, or when `to` lies on none of the next and then the
// previous piece (the crossing nearest to to), 0 none, also when `from` lies
// on no piece. On a crossing `from` and `to` become the crossed wall
// segment's ends and `hit` the crossing point; otherwise all three stay.
int CrossesEdge(const TrackShape& track, const TrackEdges (&edges)[kPieces], Point2f* from, Point2f* to,
                Point2f* hit);

// Track sense on a piece (0..23) at world (x, z).
// The heading of the track there.
float TrackHeadingAt(int piece, float x, float z);
// The sideways place: -2 beyond 17 left of the middle line, -1 beyond 10,
// 0 within 10, 1 and 2 the same to the right.
int LaneCodeAt(int piece, float x, float z);
// The quarter of the piece reached, 0..3 (on a turn 0 in its first half,
// 1 in its second).
int QuarterAt(int piece, float x, float z);

// An angle brought into 0 .. 2 pi and into -pi .. pi.
float WrapTwoPi(float a);
float WrapPi(float a);

}  // namespace derby
