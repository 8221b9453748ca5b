#pragma once
// Small functions the maze screens, characters and renderer share: the floor
// row-distance tables, an integer square root, the heading of a vector,
// proximity tests, the top score, the direct item choice and the exit door's
// three operations.
#include <cstdint>

// 128 tables of 400 i32 in one block: table k (the eye height in texels)
// holds at r the distance of the floor seen r rows below the horizon,
// ((k << 24) / r) >> 16; entries 0..3 and table 0 are 0.
inline constexpr int kFloorTableCount = 128;
inline constexpr int kFloorTableRows = 400;
extern const int32_t* g_floorRowTables[kFloorTableCount];

// Builds the floor tables (true) or leaves them unset when out of memory.
bool MazeBuildTables();
// Releases the floor tables and the level's sky picture.
void MazeFreeTables();

// The frame rate a machine runs the maze at, from the milliseconds ten
// timed renders took: ten over the seconds (truncated), at most 16 and at
// least 1. Ten renders measured as no time at all run at 16.
uint16_t MazeRenderRate(uint32_t elapsedMs);

// floor(sqrt(n)); 0 for n below 2.
int32_t IntSqrt(int32_t n);
// The heading 0..1799 of the vector (dx, dy); 1350 for (0, 0).
int32_t AngleOf(int32_t dx, int32_t dy);
// Bit mask of the runners within 800 units of runner p (bit p always set).
uint32_t MazePlayersNear(uint16_t p);
// 1 when object i is within 800 units of runner p.
uint32_t MazeObjectNear(uint16_t p, int i);
// The highest score of the four players.
int32_t MazeTopScore();
// Item choice by action bytes 6 (fists), 7 (weapon) and 8 (power pill) of
// player p's input state: 0 fists, 1 weapon, 2 power pill; the HUD's icon of
// p follows (p its weapon, 4 pill, 5 fists).
void MazeSelectItem(uint16_t p, uint16_t& itemMode);
// Marks in reached (128 x 128) every cell a walk from startCell reaches
// without crossing a wall of the two maps; returns how many.
int MazeFloodCells(const uint16_t* xWalls, const uint16_t* yWalls, int startCell, uint8_t* reached);
// The exit door (on g_mazeHud): placed at a door place of the navigation
// graph chosen by the runners' positions, once; raised and lowered a stage
// (three textures) at a time.
void MazeDoorSet();
void MazeDoorRaise();
void MazeDoorLower();
