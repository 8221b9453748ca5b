// The route mesh and the bounded route finder: rooms and links, the search
// against a brute-force cheapest route on small mazes, and the budget.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <set>

#include "base/random.h"
#include "events/troubled_waters/swim_course.h"
#include "events/troubled_waters/swim_route.h"
#include "tests/troubled_waters/maze_text.h"

using namespace swim;
using swimtest::MazeFromText;

namespace {

// The cost the finder gives a room sequence: each door clamped from the
// point where the route entered the room; the last leg is measured from the
// point where the route entered the room before the last.
int32_t SequenceCost(std::vector<MazeRoom*> seq, RoutePoint start, RoutePoint end) {
  int32_t cost = 0;
  RoutePoint p = start, entered = start;
  for (size_t i = 0; i + 1 < seq.size(); ++i) {
    seq[i]->ClampDoorPoint(p, *seq[i + 1]);
    seq[i]->DistanceFromDoor(p);
    cost += seq[i]->Distance();
    entered = p;
    p = seq[i]->DoorPoint();
  }
  return cost + RouteDistance(end.x - entered.x, end.y - entered.y);
}

// Every simple room sequence from the start room to the end room.
int32_t BruteForceCost(MazeRoom* from, MazeRoom* to, RoutePoint start, RoutePoint end) {
  int32_t best = INT32_MAX;
  std::vector<MazeRoom*> seq{from};
  std::set<MazeRoom*> on{from};
  std::function<void(MazeRoom*)> walk = [&](MazeRoom* r) {
    if (r == to) {
      best = std::min(best, SequenceCost(seq, start, end));
      return;
    }
    for (MazeRoom* n : r->Neighbours()) {
      if (on.count(n)) continue;
      seq.push_back(n);
      on.insert(n);
      walk(n);
      on.erase(n);
      seq.pop_back();
    }
  };
  walk(from);
  return best;
}

bool Linked(const MazeRoom* a, const MazeRoom* b) {
  const auto& n = a->Neighbours();
  return std::find(n.begin(), n.end(), b) != n.end();
}

const char* const kSmallMazes[] = {
    // Two ways round a block: the shorter one must win.
    "##########\n"
    "#........#\n"
    "#.######.#\n"
    "..######..\n"
    "#.######.#\n"
    "#........#\n"
    "##########\n",
    // A snake with dead ends.
    "############\n"
    "......#....#\n"
    "#####.#.##.#\n"
    "#.....#.#..#\n"
    "#.#####.#.##\n"
    "#.......#...\n"
    "############\n",
    // Open halls with pillars: many routes of near cost.
    "############\n"
    "....#...#..#\n"
    "#.#...#...##\n"
    "#...#...#...\n"
    "##.#..#...##\n"
    "#....#..#..#\n"
    "############\n",
    // A grid of crossings.
    "#############\n"
    "#.#.#.#.#.#.#\n"
    ".............\n"
    "#.#.#.#.#.#.#\n"
    "#............\n"
    "#.#.#.#.#.#.#\n"
    "#############\n",
};

}  // namespace

TEST(SwimRoute, RoomsAreRunsOfOpenWaterLinkedAcrossRows) {
  MazeGrid m = MazeFromText(
      "..#..\n"
      "#.#.#\n"
      "##.##\n");
  auto owned = CutRooms(m);
  std::vector<MazeRoom*> rooms = RoomPointers(owned);
  ASSERT_EQ(rooms.size(), 5u);
  EXPECT_EQ(rooms[0]->topLeftX, 0);
  EXPECT_EQ(rooms[0]->topRightX, 200);
  EXPECT_EQ(rooms[1]->topLeftX, 300);
  RouteFinder finder(rooms);
  EXPECT_TRUE(Linked(rooms[0], rooms[2]));   // (0,0..1) over (1,1)
  EXPECT_TRUE(Linked(rooms[1], rooms[3]));   // (0,3..4) over (1,3)
  EXPECT_FALSE(Linked(rooms[2], rooms[4]));  // (1,1) and (2,2) meet at a corner only
  EXPECT_FALSE(Linked(rooms[3], rooms[4]));
  // Neighbours come newest first.
  MazeRoom a(0, 0, 100, 100, 0, 100), b(0, 0, 1, 1, 0, 1), c(0, 0, 1, 1, 0, 1);
  a.AddNeighbour(&b);
  a.AddNeighbour(&c);
  EXPECT_EQ(a.NextNeighbour(true), &c);
  EXPECT_EQ(a.NextNeighbour(false), &b);
  EXPECT_EQ(a.NextNeighbour(false), nullptr);
}

TEST(SwimRoute, ContainsDistanceAndDoors) {
  const MazeRoom r(100, 200, 500, 200, 200, 500);
  EXPECT_TRUE(r.Contains(200, 100));  // edges are inside
  EXPECT_TRUE(r.Contains(500, 200));
  EXPECT_FALSE(r.Contains(501, 150));
  EXPECT_FALSE(r.Contains(300, 99));
  // A slanted room: inside the narrow part only by the side tests.
  const MazeRoom t(0, 100, 200, 100, 0, 300);
  EXPECT_TRUE(t.Contains(60, 60));
  EXPECT_FALSE(t.Contains(10, 10));
  struct Case { int dx, dy, want; };
  for (const Case& c : {Case{0, 0, 0}, Case{300, 0, 300}, Case{0, -400, 400}, Case{300, 400, 502},
                        Case{100, 100, 141}, Case{9999, 50, 9999}})
    EXPECT_EQ(RouteDistance(c.dx, c.dy), c.want) << c.dx << "," << c.dy;
  // The door goes onto the shared edge, as near the point as it can.
  MazeRoom below(200, 300, 400, 300, 300, 400);
  MazeRoom room(100, 200, 500, 200, 200, 500);
  room.ClampDoorPoint({100, 150}, below);
  EXPECT_EQ(room.DoorPoint(), (RoutePoint{300, 200}));
  room.ClampDoorPoint({450, 150}, below);
  EXPECT_EQ(room.DoorPoint(), (RoutePoint{400, 200}));
  MazeRoom above(0, 250, 350, 100, 250, 350);
  room.ClampDoorPoint({320, 150}, above);
  EXPECT_EQ(room.DoorPoint(), (RoutePoint{320, 100}));
}

TEST(SwimRoute, FinderMatchesTheBruteForceCheapestRoute) {
  for (const char* text : kSmallMazes) {
    SCOPED_TRACE(text);
    MazeGrid m = MazeFromText(text);
    auto owned = CutRooms(m);
    std::vector<MazeRoom*> rooms = RoomPointers(owned);
    int entry = -1, exit = -1;
    for (int r = 0; r < m.Rows(); ++r) {
      if (m.Water(r, 0) && entry < 0) entry = r;
      if (m.Water(r, m.Stride() - 1)) exit = r;
    }
    const RoutePoint start{0, entry * 100 + 50}, end{m.Stride() * 100 - 1, exit * 100 + 50};
    RouteFinder finder(rooms);
    ASSERT_EQ(finder.FindRoute(start, end), 1);
    EXPECT_FALSE(finder.BudgetSpent());
    MazeRoom* from = finder.FindRoomAt(start);
    MazeRoom* to = finder.FindRoomAt(end);
    const int32_t want = BruteForceCost(from, to, start, end);
    EXPECT_EQ(finder.BestCost(), want);
    std::vector<MazeRoom*> route = finder.BestRoute();
    ASSERT_FALSE(route.empty());
    EXPECT_EQ(route.front(), from);
    EXPECT_EQ(route.back(), to);
    EXPECT_EQ(SequenceCost(route, start, end), want);
    for (size_t i = 0; i + 1 < route.size(); ++i) EXPECT_TRUE(Linked(route[i], route[i + 1]));
    EXPECT_EQ(route.back()->DoorPoint(), end);
  }
}

TEST(SwimRoute, SameRoomNoRoomAndTheBudget) {
  MazeGrid m = MazeFromText(
      "######\n"
      "......\n"
      "######\n");
  auto owned = CutRooms(m);
  std::vector<MazeRoom*> rooms = RoomPointers(owned);
  RouteFinder finder(rooms);
  ASSERT_EQ(finder.FindRoute({0, 150}, {599, 150}), 1);
  ASSERT_EQ(finder.BestRoute().size(), 1u);
  EXPECT_EQ(finder.BestRoute()[0]->DoorPoint(), (RoutePoint{599, 150}));
  EXPECT_EQ(finder.BestRoute()[0]->Distance(), 599);
  // A point on rock is in no room: no route, nothing to follow.
  EXPECT_EQ(finder.FindRoute({0, 50}, {599, 150}), 0);
  EXPECT_TRUE(finder.BestRoute().empty());
  EXPECT_EQ(finder.NextStep(true), nullptr);

  // A spent budget still gives a whole route, and every machine stops at
  // the same count: two searches of one maze agree.
  MazeGrid big = MazeFromText(kSmallMazes[3]);
  auto bigOwned = CutRooms(big);
  std::vector<MazeRoom*> bigRooms = RoomPointers(bigOwned);
  RouteFinder cut(bigRooms);
  const RoutePoint start{0, 250}, end{1299, 450};
  ASSERT_EQ(cut.FindRoute(start, end, 3), 1);
  EXPECT_TRUE(cut.BudgetSpent());
  const std::vector<MazeRoom*> first = cut.BestRoute();
  ASSERT_FALSE(first.empty());
  for (size_t i = 0; i + 1 < first.size(); ++i) EXPECT_TRUE(Linked(first[i], first[i + 1]));
  EXPECT_EQ(first.back()->DoorPoint(), end);
  ASSERT_EQ(cut.FindRoute(start, end, 3), 1);
  EXPECT_EQ(cut.BestRoute(), first);
  // With the whole budget the same maze finds the cheapest.
  ASSERT_EQ(cut.FindRoute(start, end), 1);
  EXPECT_FALSE(cut.BudgetSpent());
  EXPECT_LE(cut.BestCost(), SequenceCost(first, start, end));
}
