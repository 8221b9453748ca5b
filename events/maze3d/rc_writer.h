#pragma once
// Writers of the maze engine's files: the data generator makes the game's
// default data with them and the tests make their fixtures, so that the one
// description of each layout is in rc_format.h.
#include <array>
#include <cstdint>
#include <vector>

struct MazeLevel;

using RcBytes = std::vector<uint8_t>;

// The engine tables by their definitions (rc_tables.h): eight angle tables
// of 1800 entries in file order and the wall step table of 5702. Where a
// value is infinite (a ray along an axis) the entry is exactly 0; sine and
// cosine are exactly 0 and one on the axes, so a move along an axis keeps
// the other coordinate. The wall step of d is d * 8192, which makes a wall's
// foot meet the floor row the floor tables put at the same distance.
void RcComputeEngineTables(int32_t* const angleTables[8], int32_t* wallSteps);

// "maze\rcengine.dat" from the eight angle tables (file order) and the wall
// step table.
RcBytes RcWriteEngineFile(const int32_t* const angleTables[8], const int32_t* wallSteps);

// A level file: header, zones and monsters, the floor section at offset 1108,
// then the wall section. The level's texture counts and blocks are written.
// Without the zone table the gap after the header is left zero, as in a
// level that takes the zones the game keeps for its number.
RcBytes RcWriteLevel(const MazeLevel& level, bool zoneTable = true);

// One engine sprite frame from a 128 x 128 picture (top row first, texel 0
// transparent): 128 run-length columns.
RcBytes RcEncodeSpriteFrame(const uint8_t* texels);
// An engine sprite file: the palette (1024 bytes, .bmp colour table layout)
// and the frames as RcEncodeSpriteFrame made them.
RcBytes RcWriteSpriteFile(const uint8_t palette[1024], const std::vector<RcBytes>& frames);

// The navigation graph of a level as its files hold it.
struct RcNavData {
  std::array<std::array<int32_t, 2>, 36> points{};  // door, start, key-man and ring places
  struct Node {
    int32_t x = 0, y = 0;
    std::array<int32_t, 4> neighbour{-1, -1, -1, -1};
  };
  std::vector<Node> nodes;  // numbered by ascending y
  std::vector<std::array<int32_t, 4>> areas;  // x1, y1, x2, y2 of node k's area
  std::vector<uint8_t> nextHop = std::vector<uint8_t>(256 * 256, 0);  // [from * 256 + to]
};
// "maze\gridN.nod": the x and y orders are made from the node positions.
// With no areas the file ends after the y order's trailing word (0), as a
// graph whose areas the game keeps for its level number.
RcBytes RcWriteNavNodes(const RcNavData& nav);
// "maze\gridN.bin".
RcBytes RcWriteNavHops(const RcNavData& nav);
