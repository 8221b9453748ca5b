#include "events/maze3d/rc_support.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/player_records.h"
#include "events/maze3d/rc_hud.h"
#include "events/maze3d/rc_loader.h"
#include "events/maze3d/rc_navgraph.h"
#include "events/maze3d/rc_tables.h"
#include "events/maze3d/rc_world.h"

const int32_t* g_floorRowTables[kFloorTableCount];

bool MazeBuildTables() {
  if (g_floorRowTables[0]) return true;
  auto* block = static_cast<int32_t*>(RcAlloc(kFloorTableCount * kFloorTableRows * sizeof(int32_t)));
  if (!block) return false;
  for (int k = 1; k < kFloorTableCount; ++k)
    for (int r = 4; r < kFloorTableRows; ++r)
      block[k * kFloorTableRows + r] = ((int32_t(k) << 24) / r) >> 16;
  for (int k = 0; k < kFloorTableCount; ++k) g_floorRowTables[k] = block + k * kFloorTableRows;
  return true;
}

void MazeFreeTables() {
  RcFree(const_cast<int32_t*>(g_floorRowTables[0]));
  for (const int32_t*& t : g_floorRowTables) t = nullptr;
  RcFree(g_mazeLevel.skyPicture);
  g_mazeLevel.skyPicture = nullptr;
  g_mazeLevel.skyWidth = g_mazeLevel.skyHeight = 0;
}

uint16_t MazeRenderRate(uint32_t elapsedMs) {
  // Seconds in 16.16; a fast machine can time ten renders as 0 ms.
  const uint64_t seconds = (uint64_t(elapsedMs) << 16) / 1000;
  if (seconds == 0) return 16;
  const uint64_t rate = 0xA0000 / seconds;
  return uint16_t(std::clamp<uint64_t>(rate, 1, 16));
}

int32_t IntSqrt(int32_t n) {
  if (n < 2) return 0;
  uint32_t v = uint32_t(n), root = 0, rem = 0;
  for (int i = 0; i < 16; ++i) {
    root <<= 1;
    rem = (rem << 2) | (v >> 30);
    v <<= 2;
    const uint32_t trial = root * 2 + 1;
    if (rem >= trial) {
      rem -= trial;
      ++root;
    }
  }
  return int32_t(root);
}

int32_t AngleOf(int32_t dx, int32_t dy) {
  if (dx == 0) return dy > 0 ? 450 : 1350;
  if (dy == 0) return dx > 0 ? 0 : 900;
  int base = 0;
  if (dx < 0 && dy > 0) base = 450;
  else if (dx < 0 && dy < 0) base = 900;
  else if (dx > 0 && dy < 0) base = 1350;
  const int64_t ax = std::llabs(int64_t(dx)), ay = std::llabs(int64_t(dy));
  const int64_t t = (ay << 16) / ax;
  int a;
  if (t > g_tanTable[449]) {
    a = 450;
  } else {
    a = t > g_tanTable[400] ? 400 : 0;
    if (a == 0)
      while (a + 50 <= 449 && t >= g_tanTable[a + 50]) a += 50;
    while (a < 449 && t > g_tanTable[a]) ++a;
  }
  switch (base) {
    case 450: return 900 - a;
    case 900: return 900 + a;
    case 1350: return 1800 - a;
    default: return a;
  }
}

namespace {
bool Within800(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const int64_t dx = int64_t(x1) - x2, dy = int64_t(y1) - y2;
  const int64_t d2 = dx * dx + dy * dy;
  return d2 <= INT32_MAX && IntSqrt(int32_t(d2)) < 800;
}
}  // namespace

uint32_t MazePlayersNear(uint16_t p) {
  if (p > 3) return 0;
  uint32_t mask = 0;
  const MazeRunnerRecord& me = g_mazeRunners[p];
  for (int i = 0; i < 4; ++i)
    if (i == p || Within800(g_mazeRunners[i].x, g_mazeRunners[i].y, me.x, me.y)) mask |= 1u << i;
  return mask;
}

uint32_t MazeObjectNear(uint16_t p, int i) {
  if (p > 3 || i < 0 || i >= kMazeObjectCount) return 0;
  return Within800(g_mazeRunners[p].x, g_mazeRunners[p].y, g_mazeObjects[i].x, g_mazeObjects[i].y) ? 1 : 0;
}

int32_t MazeTopScore() {
  int32_t top = g_mazePlayers[0].score;
  for (int i = 1; i < 4; ++i)
    if (g_mazePlayers[i].score > top) top = g_mazePlayers[i].score;
  return top;
}

void MazeSelectItem(uint16_t p, uint16_t& itemMode) {
  if (p > 3 || !g_mazeHud) return;
  MazeHud& hud = *g_mazeHud;
  const uint8_t* in = g_playerStates[p];
  auto fists = [&] {
    itemMode = 0;
    hud.itemIcon[p] = kHudIconFists;
  };
  if (in[6]) {
    fists();
  } else if (in[7]) {
    itemMode = 1;
    if (hud.weaponUnits[p] > 0) {
      hud.itemIcon[p] = uint8_t(p);
    } else if (hud.powerPills[p]) {
      itemMode = 2;
      hud.itemIcon[p] = kHudIconPill;
    } else {
      fists();
    }
  } else if (in[8]) {
    itemMode = 2;
    if (hud.powerPills[p]) hud.itemIcon[p] = kHudIconPill;
    else fists();
  }
}

int MazeFloodCells(const uint16_t* xWalls, const uint16_t* yWalls, int startCell, uint8_t* reached) {
  std::memset(reached, 0, kMazeMapEntries);
  if (startCell < 0 || startCell >= kMazeMapEntries) return 0;
  std::vector<int> stack{startCell};
  reached[startCell] = 1;
  int count = 1;
  while (!stack.empty()) {
    const int i = stack.back();
    stack.pop_back();
    const int r = i / kMazeCells, c = i % kMazeCells;
    // North, east, south, west: the wall on the way and the cell beyond.
    const bool open[4] = {r > 0 && !yWalls[i], c < kMazeCells - 1 && !xWalls[i + 1],
                          r < kMazeCells - 1 && !yWalls[i + kMazeCells], c > 0 && !xWalls[i]};
    const int next[4] = {i - kMazeCells, i + 1, i + kMazeCells, i - 1};
    for (int d = 0; d < 4; ++d)
      if (open[d] && !reached[next[d]]) {
        reached[next[d]] = 1;
        ++count;
        stack.push_back(next[d]);
      }
  }
  return count;
}

void MazeDoorSet() {
  if (!g_mazeHud || !g_mazeNavGraph) return;
  MazeHud& hud = *g_mazeHud;
  if (hud.doorCell != kHudDoorStartCell) return;
  for (int k = 0; k < 3; ++k) g_mazeYWalls[hud.doorCell - 1 + k] = hud.doorSaved[k];
  int32_t s = 0;
  for (const MazeRunnerRecord& r : g_mazeRunners) s += r.x + r.y;
  const int32_t* point = g_mazeNavGraph->DoorPoint(s);
  // The door's three cells stay in one row of the map whatever the point.
  int row = std::clamp(point[1] >> 5, 0, kMazeCells - 1);
  int col = std::clamp(point[0] >> 5, 1, kMazeCells - 2);
  hud.doorCell = uint16_t(row * kMazeCells + col);
  for (int k = 0; k < 3; ++k) {
    hud.doorSaved[k] = g_mazeYWalls[hud.doorCell - 1 + k];
    g_mazeYWalls[hud.doorCell - 1 + k] = uint16_t(k + 1);
  }
}

namespace {
// The door's middle cell, or false when it has no neighbours in the map.
bool DoorCells(int* middle) {
  if (!g_mazeHud) return false;
  *middle = g_mazeHud->doorCell;
  return *middle >= 1 && *middle < kMazeMapEntries - 1;
}
}  // namespace

void MazeDoorRaise() {
  int c;
  if (!DoorCells(&c)) return;
  // The door's stages end at map values 34..36 (textures 33..35).
  if (g_mazeYWalls[c] >= kMazeDoorTextures - 1) return;
  for (int k = -1; k <= 1; ++k) g_mazeYWalls[c + k] = uint16_t(g_mazeYWalls[c + k] + 3);
  if (g_mazeYWalls[c] == kMazeDoorTextures - 1) g_mazeRoundState = 2;
}

void MazeDoorLower() {
  int c;
  if (!DoorCells(&c)) return;
  if (g_mazeYWalls[c] <= 2) return;
  for (int k = -1; k <= 1; ++k) g_mazeYWalls[c + k] = uint16_t(g_mazeYWalls[c + k] - 3);
  if (g_mazeYWalls[c] == 2) ++g_mazeRoundState;
}
