#pragma once
// MazeZoneTable: where a level's monsters stand and when they wake. Each
// zone is a rectangle of the world (inclusive bounds) with up to four
// monsters (object records 36..63) that become active while any runner
// stands in it. The zones and the monsters' places come with the level file,
// or from the game's own tables for a level without them.
#include <cstdint>

#include "events/maze3d/rc_world.h"

class MazeZoneTable {
 public:
  // Takes the level's zones (those after its count unused) and writes the
  // heading and place of each of its monsters into their object records.
  void Init(const MazeLevel& level);
  // The first zone, in order, that holds the point; null for none. The scan
  // ends at the first unused zone.
  const MazeZoneRecord* ZoneAt(int32_t x, int32_t y) const;
  // Wakes (active 1) the monsters of the zone each runner 0..3 stands in,
  // in play or not; monsters already awake stay so.
  void ActivatePlayerZones();
  const MazeZoneRecord& zone(int k) const { return zones_[k]; }

 private:
  MazeZoneRecord zones_[kMazeZoneCount] = {};
};
