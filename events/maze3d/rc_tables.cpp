#include "events/maze3d/rc_tables.h"

int32_t g_sinTable[kMazeTurn];
int32_t g_cosTable[kMazeTurn];
int32_t g_tanTable[kMazeTurn];
int32_t g_invSinTable[kMazeTurn];
int32_t g_invCosTable[kMazeTurn];
int32_t g_cotTable[kMazeTurn];
int32_t g_xStepTable[kMazeTurn];
int32_t g_yStepTable[kMazeTurn];
int32_t g_wallStepTable[kWallStepEntries];

int32_t* const g_rcAngleTables[8] = {g_sinTable,   g_cosTable,   g_tanTable,   g_invSinTable,
                                     g_invCosTable, g_cotTable, g_xStepTable, g_yStepTable};

const char* CheckEngineTables(const int32_t* const t[8], const int32_t* wallSteps) {
  const int32_t* sinT = t[0];
  const int32_t* cosT = t[1];
  const int32_t* tanT = t[2];
  for (int a = 0; a < kMazeTurn; ++a)
    if (sinT[a] < -65536 || sinT[a] > 65536 || cosT[a] < -65536 || cosT[a] > 65536)
      return "sine or cosine beyond one";
  // The fish-eye factor of the 320 columns (offsets 0..160) is a cosine near 1.
  for (int a = 0; a <= 160; ++a)
    if (cosT[a] <= 0) return "cosine of the view's columns not positive";
  for (int a = 1; a < kMazeQuarterTurn; ++a)
    if (tanT[a] < tanT[a - 1]) return "tangent not ascending over the first quadrant";
  // A column walks its texels with k * step up to 400 rows: 400 * 2^26 < 2^35
  // would not fit, but the walk stops once the texel row leaves the wall
  // (128 << 21 = 2^28), so one step beyond that must still fit in 31 bits.
  // A sprite's width is 2^27 / step, so only distance 0 may have no step.
  for (int d = 0; d < kWallStepEntries; ++d)
    if (wallSteps[d] < (d == 0 ? 0 : 1) || wallSteps[d] > (1 << 28)) return "wall step out of range";
  return nullptr;
}
