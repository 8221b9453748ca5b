#pragma once
// MazeNavGraph: the road map of a maze level for the computer players and
// for placing things. Up to 256 nodes with four neighbours each, the
// next-hop table between every pair of nodes, 36 special points (door
// places 0..3, start places 4..11, key-man places 12..19, a ring of 16 more)
// and one rectangular area per node that tells in which node's area a world
// point lies. Loaded from "maze\gridN.nod" and "maze\gridN.bin"; every count,
// index and order of the files is checked first. Only the taken flags and
// the points handed out change afterwards (the auto-pilot overwrites the
// points it was given with the nodes its route passes).
#include <cstddef>
#include <cstdint>
#include <string>

#include "events/maze3d/rc_format.h"

class MazeNavGraph {
 public:
  MazeNavGraph();
  virtual ~MazeNavGraph();

  // Level 0..2: "maze\grid1.nod" and "maze\grid1.bin" (2, 3) under the data
  // directory. False (the graph unchanged) when a file is missing or damaged;
  // the path and the reason go to the debug output. A node file without an
  // area table takes the areas the game keeps for the level.
  bool Load(int level);
  bool LoadFiles(const char* nodPath, const char* binPath);
  // The files' bytes; *why (when given) gets the reason of a refusal.
  bool LoadMemory(const uint8_t* nod, size_t nodSize, const uint8_t* hop, size_t hopSize,
                  std::string* why = nullptr);
  bool loaded() const { return nodeCount_ > 0; }
  // Whether the node file carried its own areas; UseKeptAreas puts those
  // kept for level 0..2 in their place.
  bool areasInFile() const { return areasInFile_; }
  void UseKeptAreas(int level);

  // A cheap nearest node: among the nodes of the first x-order column at or
  // right of x and of the first y-order row at or below y, the one closest
  // in cells (the lowest index on a tie).
  int NearestNode(int32_t x, int32_t y);
  // The first area containing the point (inclusive bounds); when none does, a
  // node drawn from the shared generator (below 100 and below the area count).
  int AreaAt(int32_t x, int32_t y);
  // Writes the position of the node AreaAt finds into out[0], out[1]; returns its y.
  int32_t WaypointInArea(int32_t x, int32_t y, int32_t* out);
  // Door place v mod 4.
  int32_t* DoorPoint(int32_t v);
  // The first free start place from slot v mod 8 on (taken afterwards). A graph
  // hands out eight; past that the last slot's place is given again.
  int32_t* TakeStartPoint(int32_t v);
  // Key-man place v mod 8.
  int32_t* KeyManPoint(int32_t v);
  // out[0], out[1] = the next node on the way from the node nearest `from` to
  // the node nearest `to`; out[2], out[3] = -1, -1.
  void NextHopList(int32_t* out, const int32_t* from, const int32_t* to);
  int32_t NodeX(int k) const;
  int32_t NodeY(int k) const;

  // Kept with the graph, not used by the game's steering.
  void NextWaypoint(const int32_t* from, const int32_t* to, int32_t* out);
  // A path found by depth-first search from the node nearest `from` to the
  // node nearest `to`: (x, y) pairs ended by (-1, -1) in out (room for 257
  // pairs); returns the number of pairs.
  int FindPath(int32_t* out, const int32_t* from, const int32_t* to);
  int32_t* TakeRingPoint(int32_t v);
  bool IsDoorPoint(int32_t x, int32_t y) const;

  int nodeCount() const { return nodeCount_; }
  int areaCount() const { return areaCount_; }
  int neighbour(int k, int j) const { return neighbours_[k][j]; }
  int nextHop(int from, int to) const { return nextHop_[from * 256 + to]; }
  const int32_t* point(int k) const { return points_[k]; }
  const int32_t* area(int k) const { return areas_[k]; }

 private:
  bool Fail(std::string* why, const char* reason);
  int LowerBound(bool byY, int32_t v) const;

  int nodeCount_ = 0;
  int areaCount_ = 0;
  bool areasInFile_ = false;
  int32_t points_[kRcNavPoints][2] = {};
  int32_t neighbours_[kRcNavMaxNodes][4] = {};
  int32_t xOrderNode_[kRcNavMaxNodes] = {};
  int32_t xOrderX_[kRcNavMaxNodes] = {};
  int32_t yOrderPos_[kRcNavMaxNodes] = {};  // node k's place in the x order
  int32_t yOrderY_[kRcNavMaxNodes] = {};
  uint32_t visited_[kRcNavMaxNodes] = {};
  uint32_t taken_[kRcNavMaxNodes] = {};
  uint32_t distances_[kRcNavMaxNodes] = {};
  uint8_t nextHop_[kRcNavHopBytes] = {};
  int32_t areas_[kRcNavMaxAreas + 1][4] = {};
};
