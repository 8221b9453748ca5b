#include "events/maze3d/rc_zones.h"

void MazeZoneTable::Init(const MazeLevel& level) {
  for (int k = 0; k < kMazeZoneCount; ++k) {
    zones_[k] = level.zones[k];
    if (uint32_t(k) >= level.zoneCount) zones_[k].used = 0;
  }
  for (uint32_t m = 0; m < level.monsterCount && m < uint32_t(kMazeMonsterCount); ++m) {
    MazeObjectRecord& o = g_mazeObjects[kMazeFirstMonster + m];
    o.heading = uint16_t(level.monsters[m].heading);
    o.x = level.monsters[m].x;
    o.y = level.monsters[m].y;
  }
}

const MazeZoneRecord* MazeZoneTable::ZoneAt(int32_t x, int32_t y) const {
  for (const MazeZoneRecord& z : zones_) {
    if (!z.used) break;
    if (x >= z.x1 && x <= z.x2 && y >= z.y1 && y <= z.y2) return &z;
  }
  return nullptr;
}

void MazeZoneTable::ActivatePlayerZones() {
  for (const MazeRunnerRecord& r : g_mazeRunners) {
    const MazeZoneRecord* z = ZoneAt(r.x, r.y);
    if (!z) continue;
    for (int32_t id : z->objectId) {
      if (id < kMazeFirstMonster || id > kMazeLastMonster) break;
      g_mazeObjects[id].active = 1;
    }
  }
}
