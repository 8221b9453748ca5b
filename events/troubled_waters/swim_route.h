#pragma once
// The computer swimmers' route. The water of every maze row is cut into
// rooms (one per run of open cells), rooms of neighbouring rows that share an
// edge are linked, and a depth-first branch-and-bound search finds the
// cheapest room sequence from the entry to the exit, which is then written
// into the maze as route codes the computer swimmers follow.
//
// The search is exhaustive on ordinary mazes, but a few mazes in a hundred
// make it expand hundreds of thousands of rooms: it stops after a fixed
// number of expansions and keeps the best route found by then. The budget is
// a count, not a time, so every machine stops at the same place.
#include <cstdint>
#include <memory>
#include <vector>

#include "events/troubled_waters/swim_maze.h"

namespace swim {

struct RoutePoint {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const RoutePoint& o) const { return x == o.x && y == o.y; }
};

// A trapezoid room: horizontal top and bottom edges (world units). This
// event only makes rectangles one row high.
class MazeRoom {
 public:
  MazeRoom(int32_t topY, int32_t topLeftX, int32_t topRightX, int32_t bottomY, int32_t bottomLeftX,
           int32_t bottomRightX);

  void GetTopEdge(int32_t* y, int32_t* left, int32_t* right) const;
  // The same in cells: the row, the first column and the column past the last.
  void GetTopEdgeCells(int32_t* row, int32_t* first, int32_t* end) const;
  // Neighbours are visited newest first.
  void AddNeighbour(MazeRoom* room);
  void RemoveNeighbour(MazeRoom* room);
  MazeRoom* NextNeighbour(bool restart);
  const std::vector<MazeRoom*>& Neighbours() const { return neighbours_; }  // oldest first
  bool Contains(int32_t x, int32_t y) const;
  // The shared edge's left end and its length less one; 0 when not touching.
  int32_t SharedEdge(const MazeRoom& other, RoutePoint* out) const;
  void LinkIfTouching(MazeRoom& other);
  void SetDoorPoint(RoutePoint p) { door_ = p; }
  RoutePoint DoorPoint() const { return door_; }
  int32_t Distance() const { return distance_; }
  // Puts the door on the edge shared with the neighbour, as near p as it goes.
  void ClampDoorPoint(RoutePoint p, const MazeRoom& neighbour);
  // distance = an integer estimate of |door - p|.
  void DistanceFromDoor(RoutePoint p);

  int32_t topY, topLeftX, topRightX, bottomY, bottomLeftX, bottomRightX;
  bool onPath = false;  // on the search's stack

 private:
  std::vector<MazeRoom*> neighbours_;
  int cursor_ = 0;  // counts down from the newest
  RoutePoint door_;
  int32_t distance_ = 0;
};

// |a - b| estimated with one Newton step from the octagonal distance.
int32_t RouteDistance(int32_t dx, int32_t dy);

inline constexpr int64_t kRouteExpansionBudget = 100000;

class RouteFinder {
 public:
  // Links every pair of touching rooms once, in list order.
  explicit RouteFinder(const std::vector<MazeRoom*>& rooms);
  MazeRoom* FindRoomAt(RoutePoint p) const;
  // 1 when a route was found. budget: the number of expansions after which
  // the best route so far is kept (when none has been found by then, the
  // route with the fewest rooms is taken instead).
  int FindRoute(RoutePoint from, RoutePoint to, int64_t budget = kRouteExpansionBudget);
  MazeRoom* NextStep(bool restart);

  const std::vector<MazeRoom*>& BestRoute() const { return best_; }
  int32_t BestCost() const { return bestCost_; }
  int64_t Expansions() const { return expansions_; }
  bool BudgetSpent() const { return budgetSpent_; }

 private:
  void LinkRooms();
  MazeRoom* NextFreeNeighbour(bool restart);
  void NextCandidate(bool restart);
  void PlaceDoors();
  void FewestRooms();

  const std::vector<MazeRoom*>& rooms_;
  RoutePoint start_, end_;
  MazeRoom* startRoom_ = nullptr;
  MazeRoom* endRoom_ = nullptr;
  MazeRoom* current_ = nullptr;
  RoutePoint currentPoint_;
  MazeRoom* candidate_ = nullptr;
  std::vector<MazeRoom*> best_;
  int32_t bestCost_ = INT32_MAX;
  size_t routeCursor_ = 0;
  std::vector<MazeRoom*> path_;
  int32_t pathCost_ = 0;
  int64_t expansions_ = 0;
  bool budgetSpent_ = false;
};

// The rooms of a maze, row by row: one for every run of open water (255).
std::vector<std::unique_ptr<MazeRoom>> CutRooms(const MazeGrid& m);
// Every room's pointer, in the same order.
std::vector<MazeRoom*> RoomPointers(const std::vector<std::unique_ptr<MazeRoom>>& rooms);

// Writes the route into the maze: every cell of each room becomes a route
// cell and a turn sign marks where the route leaves the row. Writes stay in
// the grid and only ever touch water.
void WriteRoute(MazeGrid& m, const std::vector<MazeRoom*>& route);
// After the route is written: the start row is opened again (the swimmers
// start on open water) and the exit cells lose their turn signs.
void CleanUpRouteEnds(MazeGrid& m, int entryRow, int exitRow);

}  // namespace swim
