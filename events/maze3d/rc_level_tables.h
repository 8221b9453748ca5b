#pragma once
// What the game keeps of its three levels for files that do not carry it:
// the zones and monster places of a level file without a zone table, and
// the navigation areas of a navigation file without an area table. The
// generated files carry both themselves; files made to the plain layouts
// (a player's own, or another data set) take these by their level number.
#include <cstdint>

struct MazeLevel;

// Fills the level's zones and monster places with those kept for level
// 0..2 (nothing for another number).
void MazeKeptZones(int level, MazeLevel* out);

// The areas kept for level 0..2: *count rectangles {x1, y1, x2, y2}
// (inclusive), area k belonging to node k; null and 0 for another number.
const int32_t (*MazeKeptAreas(int level, int* count))[4];
