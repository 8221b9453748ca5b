// The ROLLER DERBY track in the ground plane: the 24 pieces join one to the
// next (footprints, walls, heights, headings), the lookups of piece, height
// and neighbours, wall crossings, the track sense of the computer, and the
// generated meshes against the same tables.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "base/geometry.h"
#include "base/pkc.h"
#include "events/roller_derby/derby_track.h"
#include "scene3d/xfile.h"

using namespace derby;
namespace da = derbyassets;

namespace {

Point2f Exit(int row) {
  const da::TrackLayoutEntry& r = da::kTrackLayout[row];
  Point2f local = da::IsStraight(r.type) ? Point2f(0, 128) : Point2f(da::IsLeftTurn(r.type) ? -128.0f : 128.0f, 128);
  local.RotateQuarterTurns(static_cast<int>(r.direction));
  return Point2f(r.x + local.x, r.z + local.y);
}

bool Near(Point2f a, Point2f b, float tolerance = 0.01f) {
  return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance;
}

// Every piece hands over to the next where it begins: position, height,
// heading, footprint edge and both walls.
TEST(DerbyTrack, EachPieceJoinsTheNext) {
  const TrackShape& t = Track();
  for (int r = 0; r < kPieces; ++r) {
    SCOPED_TRACE("row " + std::to_string(r));
    const int n = (r + 1) % kPieces;
    const da::TrackLayoutEntry& next = da::kTrackLayout[n];
    const Point2f exit = Exit(r);
    EXPECT_TRUE(Near(exit, Point2f(next.x, next.z)));
    // The surface at the very end of a piece is where the next one starts.
    const da::TrackLayoutEntry& row = da::kTrackLayout[r];
    const float endHeight = row.y + da::kPieceRise[row.type];
    EXPECT_NEAR(endHeight, next.y, 1e-4);
    Point2f local(0, 127.999f);
    if (!da::IsStraight(row.type)) {
      const float a = kPi / 2 * 0.99999f, side = da::IsLeftTurn(row.type) ? -1.0f : 1.0f;
      local = Point2f(side * (128 - 128 * std::cos(a)), 128 * std::sin(a));
    }
    local.RotateQuarterTurns(static_cast<int>(row.direction));
    const Point2f nearEnd(row.x + local.x, row.z + local.y);
    EXPECT_NEAR(TrackHeight(r, nearEnd), endHeight, 0.01);
    EXPECT_NEAR(TrackHeight(n, Point2f(next.x, next.z)), next.y, 1e-4);
    EXPECT_NEAR(WrapPi(TrackHeadingAt(r, nearEnd.x, nearEnd.y) - g_directionAngles[next.direction]), 0.0f, 0.001f);
    // The exit lies on the shared edge of the two footprints, inside the
    // next one (a point on a shared edge belongs to the piece for which it
    // is a left or top edge).
    const Rect4f& a = t.pieceBounds[r];
    const Rect4f& b = t.pieceBounds[n];
    const bool share = a.right == b.left || a.left == b.right || a.bottom == b.top || a.top == b.bottom;
    EXPECT_TRUE(share);
    // Both walls run on: the last points of this piece's walls are the first
    // of the next's.
    for (const TrackEdges* edges : {t.innerEdges, t.outerEdges}) {
      const TrackEdges& e = edges[r];
      const TrackEdges& f = edges[n];
      const int h = e.count / 2, g = f.count / 2;
      const Point2f ends[2] = {e.points[h - 1], e.points[e.count - 1]};
      const Point2f starts[2] = {f.points[0], f.points[g]};
      const bool sameOrder = Near(ends[0], starts[0]) && Near(ends[1], starts[1]);
      const bool swapped = Near(ends[0], starts[1]) && Near(ends[1], starts[0]);
      EXPECT_TRUE(sameOrder || swapped);
    }
  }
}

TEST(DerbyTrack, FootprintsCoverTheTrackWithoutOverlapping) {
  const TrackShape& t = Track();
  EXPECT_EQ(t.pieceBounds[1], Rect4f(64, 448, 224, 608));
  EXPECT_EQ(t.pieceBounds[2], Rect4f(224, 544, 352, 608));
  for (int r = 0; r < kPieces; ++r) {
    const Rect4f& a = t.pieceBounds[r];
    EXPECT_GE(a.left, 64);
    EXPECT_LE(a.right, 1536);
    EXPECT_GE(a.top, 32);
    EXPECT_LE(a.bottom, 864);
    for (int s = r + 1; s < kPieces; ++s) EXPECT_FALSE(RectsOverlap(a, t.pieceBounds[s])) << r << " and " << s;
  }
  EXPECT_FALSE(Rect4f(-32, 0, 32, 128).Contains(Point2f(32, 50)));
  EXPECT_TRUE(Rect4f(-32, 0, 32, 128).Contains(Point2f(-32, 0)));
  EXPECT_EQ(FindPiece(t, Point2f(96, 320)), 0);
  EXPECT_EQ(FindPiece(t, Point2f(96, 448)), 1);
  EXPECT_EQ(FindPiece(t, Point2f(0, 0)), kNoPiece);
  // Every mine lies on the track but one, which no lookup finds.
  for (int k = 0; k < kMines; ++k)
    EXPECT_EQ(FindPiece(t, g_minePositions[k]) == kNoPiece, k == 4) << "mine " << k;
}

TEST(DerbyTrack, NeighboursAndHeights) {
  bool sel[kPieces];
  SelectNearPieces(0, sel);
  for (int r = 0; r < kPieces; ++r) EXPECT_EQ(sel[r], r >= 21 || r <= 3) << r;
  SelectNearPieces(22, sel);
  for (int r = 0; r < kPieces; ++r) EXPECT_EQ(sel[r], r >= 19 || r <= 1) << r;
  for (int r : {22, 23, 0, 1, 2, 3, 4}) EXPECT_TRUE(IsNearPiece(1, r)) << r;
  for (int r : {5, 21}) EXPECT_FALSE(IsNearPiece(1, r)) << r;
  EXPECT_EQ(TrackHeight(kNoPiece, Point2f(96, 320)), 0.0f);
  EXPECT_EQ(TrackHeight(5, Point2f(608, 832)), -16.0f);        // entry of a descending straight
  EXPECT_NEAR(TrackHeight(5, Point2f(672, 832)), -24.0f, 1e-4);  // halfway down
  EXPECT_NEAR(TrackHeight(9, Point2f(1120 + 128 - 128 * std::cos(kPi / 4), 448 - 128 * std::sin(kPi / 4))),
              -8.0f, 1e-3);  // halfway round a climbing turn
}

// Moves against the walls of the start piece (x 64..128, walls at 69 and
// 123 inside) and of the first turn.
TEST(DerbyTrack, WallCrossings) {
  const TrackShape& t = Track();
  struct Case {
    Point2f from, to;
    int result;
  };
  const Case cases[] = {
      {{96, 330}, {96, 340}, 0},   // down the middle
      {{96, 330}, {130, 340}, -1},  // through the right wall of its own piece
      {{0, 0}, {96, 330}, 0},      // from nowhere: never a crossing
      {{96, 440}, {130, 460}, 1},  // past the end of its own wall into the next piece's
  };
  for (const Case& c : cases) {
    Point2f from = c.from, to = c.to, hit(-1, -1);
    const int r = CrossesEdge(t, t.innerEdges, &from, &to, &hit);
    EXPECT_EQ(r, c.result) << c.to.x << "," << c.to.y;
    if (r == 0) {
      EXPECT_EQ(from, c.from);
      EXPECT_EQ(to, c.to);
      continue;
    }
    // The move's points became the crossed segment's ends, and the hit lies
    // on it and on the move.
    EXPECT_TRUE(SegmentsIntersect(c.from, c.to, from, to));
    EXPECT_NEAR(std::fabs((to.x - from.x) * (hit.y - from.y) - (to.y - from.y) * (hit.x - from.x)), 0.0f, 0.01f);
  }
  // A straight's right wall, crossed: its two ends.
  Point2f from(96, 330), to(130, 340), hit;
  ASSERT_EQ(CrossesEdge(t, t.innerEdges, &from, &to, &hit), -1);
  EXPECT_EQ(from, Point2f(123, 320));
  EXPECT_EQ(to, Point2f(123, 448));
  EXPECT_FLOAT_EQ(hit.x, 123.0f);
}

TEST(DerbyTrack, LanesQuartersAndHeadings) {
  struct Case {
    int piece;
    float x, z;
    int lane, quarter;
  };
  const Case cases[] = {
      {0, 96, 330, 0, 0},   {0, 108, 330, 1, 0},  {0, 113, 400, 2, 2}, {0, 80, 440, -1, 3},
      {0, 70, 360, -2, 1},  {13, 1336, 64, 0, 1},  // a straight towards -x: 40 along
      {13, 1336, 76, 1, 1},                       // its right is +z
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LaneCodeAt(c.piece, c.x, c.z), c.lane) << c.piece << " " << c.x << "," << c.z;
    EXPECT_EQ(QuarterAt(c.piece, c.x, c.z), c.quarter) << c.piece << " " << c.x << "," << c.z;
  }
  // A turn: quarter 0 in its first half, 1 in the second; heading along the arc.
  const da::TrackLayoutEntry& turn = da::kTrackLayout[1];  // right turn from +z to +x, centre (224, 448)
  for (float deg : {5.0f, 40.0f, 50.0f, 85.0f}) {
    const float a = deg * kPi / 180;
    const float x = turn.x + 128 - 128 * std::cos(a), z = turn.z + 128 * std::sin(a);
    EXPECT_EQ(QuarterAt(1, x, z), deg < 45 ? 0 : 1) << deg;
    EXPECT_NEAR(WrapPi(TrackHeadingAt(1, x, z) - (kPi / 2 - a)), 0.0f, 1e-4) << deg;
    EXPECT_EQ(LaneCodeAt(1, x, z), 0);
  }
  EXPECT_EQ(g_racingLine[0 * 4 + 3], 1);
}

// The meshes the generator wrote stand on the track the logic follows: each
// floor corner at the height the event gives that point, each wall's foot
// on the wall line the skaters and cameras collide with.
TEST(DerbyTrack, GeneratedMeshesFollowTheTables) {
  const std::string dir = std::string(KEL_BINARY_DIR) + "/gamedata/data/rd/";
  ASSERT_TRUE(std::filesystem::exists(dir + "sl.x")) << "made by the gamedata target";
  for (int type = 0; type < da::kPieceTypes; ++type) {
    SCOPED_TRACE(da::kPieceFiles[type]);
    PkcFile* f = PkcOpen((dir + da::kPieceFiles[type]).c_str());
    ASSERT_NE(f, nullptr);
    std::vector<uint8_t> bytes(static_cast<size_t>(PkcGetSize(f)));
    ASSERT_EQ(PkcRead(f, bytes.data(), static_cast<int32_t>(bytes.size())), static_cast<int32_t>(bytes.size()));
    PkcClose(f);
    XFile x;
    std::string why;
    ASSERT_TRUE(ParseXFile(bytes.data(), bytes.size(), &x, &why)) << why;
    ASSERT_EQ(x.meshes.size(), 1u);
    const bool straight = da::IsStraight(static_cast<uint32_t>(type));
    const bool right = da::IsRightTurn(static_cast<uint32_t>(type));
    const da::WallPoint* wall = straight ? da::kStraightWall : da::kLeftTurnWall;
    const int count = straight ? 4 : 10;
    int onWall = 0;
    for (const auto& v : x.meshes[0].positions) {
      const Point2f ground(v[0], v[2]);
      for (int k = 0; k < count; ++k) {
        const Point2f w(right ? -wall[k].x : wall[k].x, wall[k].z);
        if (!Near(ground, w, 1e-3f)) continue;
        // A corner on a wall line: either the floor (or the wall's foot) at
        // the track's height there, or the wall's top above it.
        const float floor = PieceRiseAt(static_cast<uint32_t>(type), w);
        EXPECT_TRUE(std::fabs(v[1] - floor) < 1e-3f || std::fabs(v[1] - floor - da::kWallHeight) < 1e-3f)
            << v[0] << "," << v[1] << "," << v[2];
        ++onWall;
      }
    }
    EXPECT_GE(onWall, count * 2) << "every wall point carries the floor and the wall";
  }
}

}  // namespace
