#include "events/troubled_waters/swim_course.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "base/random.h"
#include "events/troubled_waters/swim_route.h"

namespace swim {

int32_t RandomStartFrame(int32_t frames) {
  const int32_t f = RandomInt(frames - 2) + 1;
  return std::clamp(f, 1, std::max(1, frames));
}

namespace {

void PlaceDecoration(SwimCourse& course, const MazeGrid& maze, MazeGrid& objects, const CourseSprites& sprites,
                     int r, int c) {
  if (objects.At(r, c) != 0 || !(RandomUnit() < 0.6)) return;
  int k = static_cast<int>(RandomUnit() * 16 + 0.5) + 1;
  if (k > 16) k = 16;
  auto add = [&](int kind, int x, int y) { course.decorations.push_back({kind, x, y}); };
  const int width = (k >= 1 && k <= kDecorationKinds) ? sprites.decorationWidth[k] : 0;
  const int x = 100 * c + width / 2;
  if (k <= 3) {
    if (c + 1 < kMazeSize && maze.At(r, c + 1) == kFloor) {
      objects.Set(r, c, static_cast<uint8_t>(k));
      objects.Set(r, c + 1, 255);
      add(k, x, 100 * r - 10);
    }
  } else if (k == 9) {
    if (c + 5 <= 99 && maze.At(r, c) == kFloor && maze.At(r, c + 1) == kFloor && maze.At(r, c + 2) == kFloor &&
        maze.At(r, c + 3) == kFloor && maze.At(r, c + 4) == kFloor) {
      objects.Set(r, c, 9);
      for (int i = 1; i <= 4; ++i) objects.Set(r, c + i, 255);
    }
    add(9, x, 100 * r - 30);
  } else if (k >= 14) {
    objects.Set(r, c, 16);
    add(16, 100 * c + 48, 100 * r - 10);
    if (c + 1 < kMazeSize && maze.At(r, c + 1) == kFloor) {
      objects.Set(r, c + 1, 15);
      add(15, 100 * c + 148, 100 * r - 10);
    }
    if (c + 2 < kMazeSize && maze.At(r, c + 2) == kFloor) {
      objects.Set(r, c + 2, 14);
      add(14, 100 * c + 248, 100 * r - 10);
    }
  } else {
    objects.Set(r, c, static_cast<uint8_t>(k));
    add(k, x, 100 * r - 10);
  }
}

void OpenStartPool(MazeGrid& m, int e) {
  for (int c = 0; c <= 2; ++c) {
    m.Set(e - 1, c, kWater);
    m.Set(e - 2, c, 5);
    m.Set(e + 2, c, kWater);
    m.Set(e + 3, c, kFloor);
  }
  m.Set(e + 3, 1, 0);
  m.Set(e - 2, 2, 15);
  m.Set(e - 1, 2, 16);
  m.Set(e - 1, 3, 5);
  m.Set(e + 2, 2, 9);
  m.Set(e + 3, 2, 11);
  m.Set(e + 2, 3, 1);
}

}  // namespace

SwimCourse LayOutCourse(MazeGrid& maze, const CourseSprites& sprites) {
  SwimCourse course;
  maze.Alloc(kMazeSize, kMazeSize);
  // The placing scan's scratch layer: 0 free, 255 taken, else the kind there.
  MazeGrid objects;
  objects.Alloc(kMazeSize, kMazeSize);
  GenerateSwimMaze(maze);

  for (int r = 0; r < kMazeSize; ++r) {
    if (maze.Water(r, 0) && course.entryRow == -1) course.entryRow = r;
    if (maze.Water(r, 99)) {
      course.exitRow = r;
      if (!maze.Water(r - 1, 99)) maze.Set(r - 1, 99, 4);
      if (!maze.Water(r + 1, 99)) maze.Set(r + 1, 99, 2);
    } else if (maze.At(r, 99) == 0) {
      maze.Set(r, 99, 3);
    }
    for (int c = 0; c < kMazeSize; ++c) {
      const uint8_t v = maze.At(r, c);
      if (v == kFloor && c > 5) {
        const bool first = course.pumps.empty();
        const PumpPlace* last = first ? nullptr : &course.pumps.back();
        if (first || (static_cast<int>(course.pumps.size()) < kMaxPumps &&
                      (r >= last->y / 100 + 6 || std::abs(c - last->x / 100) > 7))) {
          const int32_t frame = RandomStartFrame(sprites.pumpFrames);
          course.pumps.push_back({100 * c + 50, 100 * r - 40, frame});
          objects.Set(r, c, 255);
        }
        PlaceDecoration(course, maze, objects, sprites, r, c);
      } else if (v == kWater) {
        // A run of open water is a room of the route's mesh (cut below);
        // the cell after it gets no object checks.
        while (c < kMazeSize && maze.At(r, c) == kWater) ++c;
      }
    }
  }
  objects.Free();
  // The scan changed no open water, so the rooms are those it passed over.
  const std::vector<std::unique_ptr<MazeRoom>> owned = CutRooms(maze);
  const std::vector<MazeRoom*> rooms = RoomPointers(owned);
  course.roomCount = static_cast<int32_t>(rooms.size());

  {
    RouteFinder finder(rooms);
    course.routeFound =
        finder.FindRoute({0, 100 * course.entryRow + 50}, {9999, 100 * course.exitRow + 50}) != 0;
    course.routeExpansions = finder.Expansions();
    course.routeBudgetSpent = finder.BudgetSpent();
    std::vector<MazeRoom*> route;
    for (MazeRoom* r = finder.NextStep(true); r; r = finder.NextStep(false)) route.push_back(r);
    course.routeRooms = static_cast<int32_t>(route.size());
    WriteRoute(maze, route);
  }
  CleanUpRouteEnds(maze, course.entryRow, course.exitRow);
  OpenStartPool(maze, course.entryRow);
  course.startOffset = (course.entryRow - 1) * 100;
  return course;
}

CreaturePlace PlaceCreature(const MazeGrid& maze) {
  // The channel crosses every column, so a draw finds water within a few
  // tries; the bound only keeps a damaged grid from looping for ever.
  for (int tries = 0; tries < 10000; ++tries) {
    const int c = RandomInt(90) + 5;
    int r = 2;
    while (r < 99 && (!maze.Water(r, c) || !maze.Water(r, c - 1))) ++r;
    if (r <= 98) return {100 * c, 100 * r + 50};
  }
  return {100 * 5, 100 * 2 + 50};
}

}  // namespace swim
