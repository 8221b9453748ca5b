#pragma once
// The whole course of one TROUBLED WATERS race as the event's constructor
// lays it out: the carved maze, the entry and exit rows, where the air
// pumps, decorations and weeds stand, the computer swimmers' route written
// into the maze, the opened start pool and the creatures' start places. Every
// random draw is made here in the one order every machine follows.
#include <cstdint>
#include <vector>

#include "events/troubled_waters/swim_maze.h"

namespace swim {

inline constexpr int kMaxPumps = 199;
inline constexpr int kCreaturesPerKind = 8;
inline constexpr int kDecorationKinds = 13;  // 1..13 decorations, 14..16 weeds
inline constexpr int kWeedFirstKind = 14;

struct PumpPlace {
  int32_t x, y, frame;  // frame: the pump's first animation frame
};
struct DecorationPlace {
  int32_t kind, x, y;
};
struct CreaturePlace {
  int32_t x, y;
};

// What the layout needs of the pictures: the decoration frames' widths
// (kinds 1..13, index = kind) and the air pump's frame count.
struct CourseSprites {
  int32_t decorationWidth[kDecorationKinds + 1] = {};
  int32_t pumpFrames = 0;
};

struct SwimCourse {
  int32_t entryRow = -1;
  int32_t exitRow = -1;
  int32_t startOffset = 0;  // (entry row - 1) x 100, added to the swimmers' start y
  std::vector<PumpPlace> pumps;
  std::vector<DecorationPlace> decorations;  // in the order they were placed
  bool routeFound = false;
  int32_t routeRooms = 0;
  int32_t roomCount = 0;
  int64_t routeExpansions = 0;
  bool routeBudgetSpent = false;
};

// Carves the maze into `maze` from the generator's current state, scans it
// for the entry, the exit, the pumps and decorations (drawing their random
// numbers), finds and writes the route and opens the start pool.
SwimCourse LayOutCourse(MazeGrid& maze, const CourseSprites& sprites);

// Start places of the creatures of one kind, drawn in turn (8 sharks, then 8
// jellyfish, then 8 eels): a column from 5 to 94 and the first row from 2
// down whose cell and the cell to its left are both water.
CreaturePlace PlaceCreature(const MazeGrid& maze);

// A first animation frame drawn for a sprite of n frames: 1 .. n - 2, and 1
// when there are fewer than three.
int32_t RandomStartFrame(int32_t frames);

}  // namespace swim
