#pragma once
// The engine tables of "maze\rcengine.dat": angle-indexed trigonometry in
// fixed point and the wall step table. The angle unit is 1/1800 of a turn:
// 0 points along +x, 450 along +y, 900 along -x, 1350 along -y.
//
// At the axis angles the tables that would hold an infinite value (tan and
// the x steps at 450 and 1350, cot, 1/sin and the y steps at 0 and 900,
// 1/cos at 450 and 1350) hold exactly 0, and every user of them treats a ray
// along an axis as one that never crosses the lines it runs parallel to.
#include <cstdint>

inline constexpr int kMazeTurn = 1800;
inline constexpr int kMazeQuarterTurn = 450;
inline constexpr int kRayColumnCount = 320;
inline constexpr int kWallStepEntries = 5702;
inline constexpr int kWallStepLast = kWallStepEntries - 1;

extern int32_t g_sinTable[kMazeTurn];     // sin a, 16.16
extern int32_t g_cosTable[kMazeTurn];     // cos a, 16.16
extern int32_t g_tanTable[kMazeTurn];     // tan a, 16.16; ascending over 0..449
extern int32_t g_invSinTable[kMazeTurn];  // 256 / sin a
extern int32_t g_invCosTable[kMazeTurn];  // 1024 / cos a
extern int32_t g_cotTable[kMazeTurn];     // cot a, 16.16
extern int32_t g_xStepTable[kMazeTurn];   // 32 cot a, 16.16
extern int32_t g_yStepTable[kMazeTurn];   // 32 tan a, 16.16
// Texture advance per screen row, in 2^-21 texels, of a wall or sprite at
// corrected distance d (0..5701).
extern int32_t g_wallStepTable[kWallStepEntries];

// The eight angle tables in file order.
extern int32_t* const g_rcAngleTables[8];

inline int WrapAngle(int a) {
  a %= kMazeTurn;
  return a < 0 ? a + kMazeTurn : a;
}

// The wall step of a distance; distances past the table use its last entry
// and negative ones its first.
inline int32_t WallStepAt(int32_t distance) {
  if (distance < 0) distance = 0;
  if (distance > kWallStepLast) distance = kWallStepLast;
  return g_wallStepTable[distance];
}

// Checks the tables' shape where the engine relies on it: sine and cosine
// within one, the tangent ascending over the first quadrant, the wall steps
// non-negative and small enough that a column's texel walk stays in 32 bits.
// Null when they pass, else a short reason.
const char* CheckEngineTables(const int32_t* const angleTables[8], const int32_t* wallSteps);
