#include "events/maze3d/rc_level_tables.h"

#include <algorithm>

#include "events/maze3d/rc_world.h"

namespace {

struct KeptZones {
  MazeZoneRecord zones[12];
  int zoneCount;
  // The monsters whose places are known: object index, heading, x, y; the
  // others of a zone wait at its middle, facing +x.
  int32_t known[3][4];
  int knownCount;
  int monsterCount;  // monsters 36 .. 36 + count - 1 are placed
};

const KeptZones kZones[3] = {
    {{
         {1, 832, 1728, 1056, 2272, {36, 37, 63, -1}},
         {1, 416, 416, 480, 480, {38, -1, -1, -1}},
         {1, 1504, 864, 1568, 960, {39, -1, -1, -1}},
         {1, 1216, 1888, 1472, 2048, {40, 41, 42, -1}},
         {1, 1600, 1312, 2016, 1664, {43, 44, 45, -1}},
         {1, 1600, 2240, 2016, 2688, {46, 47, 48, -1}},
         {1, 2080, 1888, 2304, 2048, {49, 50, 51, -1}},
         {1, 2560, 1824, 2720, 2176, {52, 53, -1, -1}},
         {1, 1760, 2848, 1856, 2944, {54, -1, -1, -1}},
         {1, 2560, 64, 2688, 256, {55, 56, -1, -1}},
         {1, 3904, 3744, 4000, 4000, {57, 58, -1, -1}},
         {1, 3616, 2304, 3808, 2496, {59, 60, 61, 62}},
     },
     12,
     {{36, 675, 1200, 880}, {37, 1125, 1200, 3184}, {38, 900, 832, 448}},
     3,
     28},
    {{
         {1, 576, 1664, 832, 1856, {36, -1, -1, -1}},
         {1, 1824, 832, 2016, 928, {37, -1, -1, -1}},
         {1, 1792, 3136, 2048, 3296, {38, -1, -1, -1}},
         {1, 3264, 2144, 3488, 2272, {39, -1, -1, -1}},
         {1, 992, 320, 1152, 608, {40, 41, 42, 43}},
         {1, 1088, 3648, 1312, 3776, {44, 45, 46, 47}},
         {1, 2752, 320, 3040, 448, {48, 49, 50, 51}},
         {1, 2656, 3520, 2816, 3744, {52, 53, 54, 55}},
         {1, 1904, 1968, 2224, 2288, {56, 57, 58, -1}},
         {1, 2624, 1536, 2752, 1696, {59, 60, -1, -1}},
         {1, 1344, 1568, 1472, 1728, {61, 62, -1, -1}},
     },
     11,
     {{36, 1125, 640, 2240}, {37, 1575, 1600, 672}},
     2,
     27},
    {{
         {1, 48, 1600, 176, 1792, {36, 37, 38, -1}},
         {1, 1248, 2144, 1568, 2304, {39, 40, -1, -1}},
         {1, 1568, 320, 1664, 480, {41, 42, 43, 44}},
         {1, 1632, 800, 1792, 960, {45, 46, -1, -1}},
         {1, 1712, 432, 1888, 544, {47, 48, 49, 50}},
         {1, 2720, 1184, 2880, 1504, {51, 52, 53, 54}},
         {1, 2832, 656, 3152, 1008, {55, 56, 57, 58}},
         {1, 3904, 2912, 4032, 3072, {59, 60, 61, 62}},
     },
     8,
     {{36, 475, 160, 128}, {37, 1325, 160, 2400}},
     2,
     27},
};

#include "events/maze3d/rc_level_areas.inc"

}  // namespace

void MazeKeptZones(int level, MazeLevel* out) {
  if (level < 0 || level > 2) return;
  const KeptZones& k = kZones[level];
  for (int z = 0; z < kMazeZoneCount; ++z)
    out->zones[z] = z < k.zoneCount ? k.zones[z] : MazeZoneRecord{0, 0, 0, 0, 0, {-1, -1, -1, -1}};
  out->zoneCount = uint32_t(k.zoneCount);
  out->monsterCount = uint32_t(k.monsterCount);
  for (int m = 0; m < kMazeMonsterCount; ++m) out->monsters[m] = MazeMonsterPlace{};
  for (int z = 0; z < k.zoneCount; ++z)
    for (int32_t id : k.zones[z].objectId) {
      if (id < kMazeFirstMonster) break;
      const MazeZoneRecord& r = k.zones[z];
      out->monsters[id - kMazeFirstMonster] = MazeMonsterPlace{0, (r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2};
    }
  for (int i = 0; i < k.knownCount; ++i)
    out->monsters[k.known[i][0] - kMazeFirstMonster] = MazeMonsterPlace{k.known[i][1], k.known[i][2], k.known[i][3]};
}

const int32_t (*MazeKeptAreas(int level, int* count))[4] {
  if (level < 0 || level > 2) {
    *count = 0;
    return nullptr;
  }
  *count = kAreaCounts[level];
  return kAreas[level];
}
