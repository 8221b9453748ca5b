#pragma once
// The mesh of a track piece built from its two wall lines: the floor
// between them, a wall standing on each line and facing into the track, and
// the walls' tops. The game's piece meshes are made this way from the same
// wall lines its collision uses, so the picture and the walls agree.
#include <string>
#include <vector>

#include "scene3d/math3d.h"
#include "scene3d/xfile.h"

struct TrackPieceLook {
  std::string floorPicture;  // texture names (in the texture folder)
  std::string wallPicture;
  float floorRepeat = 64.0f;  // the floor picture repeats every this many units along
  float wallHeight = 8.0f;
  float topWidth = 4.0f;      // the tops reach this far outwards
};

// `leftWall` and `rightWall` hold equally many points (x, floor height, z)
// from the entry to the exit: the left wall is on the left seen along the
// piece (the track runs along +z in a piece's own frame). Faces run
// clockwise seen from the side that shows (from above, from the track).
XFile BuildTrackPieceX(const std::vector<RMVector>& leftWall, const std::vector<RMVector>& rightWall,
                       const TrackPieceLook& look);
