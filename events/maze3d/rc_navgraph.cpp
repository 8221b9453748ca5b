#include "events/maze3d/rc_navgraph.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "screen/config.h"
#include "base/byte_order.h"
#include "base/debug.h"
#include "base/paths.h"
#include "base/pkc.h"
#include "base/random.h"
#include "events/maze3d/rc_level_tables.h"
#include "events/maze3d/rc_world.h"

namespace {

int Mod(int32_t v, int n) {
  const int r = v % n;  // the remainder of a signed division, made non-negative
  return r < 0 ? r + n : r;
}

}  // namespace

MazeNavGraph::MazeNavGraph() = default;
MazeNavGraph::~MazeNavGraph() = default;

bool MazeNavGraph::Load(int level) {
  if (level < 0 || level > 2) return false;
  const std::string n = std::to_string(level + 1);
  const std::string nod = JoinPath(g_dataPath.c_str(), "maze\\grid" + n + ".nod");
  const std::string bin = JoinPath(g_dataPath.c_str(), "maze\\grid" + n + ".bin");
  if (!LoadFiles(nod.c_str(), bin.c_str())) return false;
  if (!areasInFile_) UseKeptAreas(level);
  return true;
}

void MazeNavGraph::UseKeptAreas(int level) {
  int count = 0;
  const int32_t(*kept)[4] = MazeKeptAreas(level, &count);
  // Area k names node k: never more areas than the graph has nodes.
  areaCount_ = std::clamp(std::min(count, nodeCount_), 0, kRcNavMaxAreas);
  for (int k = 0; k < areaCount_; ++k)
    for (int j = 0; j < 4; ++j) areas_[k][j] = kept[k][j];
  for (int j = 0; j < 4; ++j) areas_[areaCount_][j] = -1;
}

bool MazeNavGraph::LoadFiles(const char* nodPath, const char* binPath) {
  std::vector<uint8_t> nod, bin;
  const size_t nodMax = size_t(NavNodeFileSize(kRcNavMaxNodes, kRcNavMaxAreas));
  if (PkcReadWhole(nodPath, nodMax, &nod) != PkcWhole::kOk) {
    DebugPrintf("Maze file %s refused: cannot be read or too large", nodPath);
    return false;
  }
  if (PkcReadWhole(binPath, kRcNavHopBytes, &bin) != PkcWhole::kOk) {
    DebugPrintf("Maze file %s refused: cannot be read or too large", binPath);
    return false;
  }
  std::string why;
  if (!LoadMemory(nod.data(), nod.size(), bin.data(), bin.size(), &why)) {
    DebugPrintf("Maze file %s refused: %s", why.rfind("next-hop", 0) == 0 ? binPath : nodPath, why.c_str());
    return false;
  }
  return true;
}

bool MazeNavGraph::Fail(std::string* why, const char* reason) {
  if (why) *why = reason;
  return false;
}

bool MazeNavGraph::LoadMemory(const uint8_t* nod, size_t nodSize, const uint8_t* hop, size_t hopSize,
                              std::string* why) {
  if (!nod || nodSize < size_t(NavNodeFileSize(0, 0))) return Fail(why, "the node file is short");
  const uint32_t n = GetLe32(nod);
  if (n < 1 || n > uint32_t(kRcNavMaxNodes)) return Fail(why, "the node count is out of range");
  const size_t areaField = size_t(kRcNavNodesOffset) + 32 * n;
  if (nodSize < areaField + 4) return Fail(why, "the node file is short");
  // A file that ends with the word after the y order carries no areas (that
  // word is then not a count): the graph takes those kept for its level.
  const bool areasInFile = nodSize != size_t(NavNodeFileSize(int(n), 0));
  const uint32_t a = areasInFile ? GetLe32(nod + areaField) : 0;
  if (a > uint32_t(kRcNavMaxAreas) || a > n) return Fail(why, "the area count is out of range");
  if (nodSize != size_t(NavNodeFileSize(int(n), int(a)))) return Fail(why, "the node file's size does not match its counts");
  if (!hop || hopSize != size_t(kRcNavHopBytes)) return Fail(why, "next-hop table is not 65536 bytes");
  auto inWorld = [](int32_t v) { return v >= 0 && v < kMazeWorldSize; };

  // Everything is checked in a scratch copy first: a refused file leaves the
  // graph as it was.
  auto g = std::make_unique<MazeNavGraph>();
  g->nodeCount_ = int(n);
  g->areaCount_ = int(a);
  for (int k = 0; k < kRcNavPoints; ++k) {
    g->points_[k][0] = int32_t(GetLe32(nod + kRcNavPointsOffset + 8 * k));
    g->points_[k][1] = int32_t(GetLe32(nod + kRcNavPointsOffset + 8 * k + 4));
    if (!inWorld(g->points_[k][0]) || !inWorld(g->points_[k][1])) return Fail(why, "a place lies outside the world");
  }
  const uint8_t* p = nod + kRcNavNodesOffset;
  for (uint32_t k = 0; k < n; ++k)
    for (int j = 0; j < 4; ++j) {
      const int32_t v = int32_t(GetLe32(p + 16 * k + 4 * j));
      if (v < -1 || v >= int32_t(n)) return Fail(why, "a neighbour is not a node");
      g->neighbours_[k][j] = v;
    }
  p += 16 * n;
  std::vector<uint8_t> seen(n, 0);
  for (uint32_t k = 0; k < n; ++k) {
    const uint32_t node = GetLe32(p + 8 * k);
    const int32_t x = int32_t(GetLe32(p + 8 * k + 4));
    if (node >= n || seen[node]) return Fail(why, "the x order does not hold every node once");
    if (!inWorld(x) || (k > 0 && x < g->xOrderX_[k - 1])) return Fail(why, "the x order is not ascending");
    seen[node] = 1;
    g->xOrderNode_[k] = int32_t(node);
    g->xOrderX_[k] = x;
    g->yOrderPos_[node] = int32_t(k);  // every node finds its x-order entry
  }
  p += 8 * n;
  for (uint32_t k = 0; k < n; ++k) {
    const int32_t y = int32_t(GetLe32(p + 8 * k + 4));
    if (!inWorld(y) || (k > 0 && y < g->yOrderY_[k - 1])) return Fail(why, "the nodes are not numbered by ascending y");
    g->yOrderY_[k] = y;
  }
  p += 8 * n + 4;
  for (uint32_t k = 0; k < a; ++k) {
    int32_t* r = g->areas_[k];
    for (int j = 0; j < 4; ++j) r[j] = int32_t(GetLe32(p + 16 * k + 4 * j));
    if (!inWorld(r[0]) || !inWorld(r[1]) || !inWorld(r[2]) || !inWorld(r[3]) || r[0] > r[2] || r[1] > r[3])
      return Fail(why, "an area lies outside the world");
  }
  for (int j = 0; j < 4; ++j) g->areas_[a][j] = -1;
  for (uint32_t f = 0; f < n; ++f)
    for (uint32_t t = 0; t < n; ++t)
      if (hop[f * 256 + t] >= n) return Fail(why, "next-hop table names a node the graph lacks");
  std::memcpy(g->nextHop_, hop, kRcNavHopBytes);

  nodeCount_ = g->nodeCount_;
  areaCount_ = g->areaCount_;
  areasInFile_ = areasInFile;
  std::memcpy(points_, g->points_, sizeof points_);
  std::memcpy(neighbours_, g->neighbours_, sizeof neighbours_);
  std::memcpy(xOrderNode_, g->xOrderNode_, sizeof xOrderNode_);
  std::memcpy(xOrderX_, g->xOrderX_, sizeof xOrderX_);
  std::memcpy(yOrderPos_, g->yOrderPos_, sizeof yOrderPos_);
  std::memcpy(yOrderY_, g->yOrderY_, sizeof yOrderY_);
  std::memcpy(nextHop_, g->nextHop_, sizeof nextHop_);
  std::memcpy(areas_, g->areas_, sizeof areas_);
  std::memset(visited_, 0, sizeof visited_);
  std::memset(taken_, 0, sizeof taken_);
  return true;
}

int MazeNavGraph::LowerBound(bool byY, int32_t v) const {
  const int32_t* keys = byY ? yOrderY_ : xOrderX_;
  int lo = 0, hi = nodeCount_ - 1;
  if (keys[hi] < v) return hi;  // every entry is smaller: the last one
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (keys[mid] >= v) hi = mid;
    else lo = mid + 1;
  }
  return lo;
}

int MazeNavGraph::NearestNode(int32_t x, int32_t y) {
  if (nodeCount_ == 0) return 0;
  for (int k = 0; k < kRcNavMaxNodes; ++k) {
    distances_[k] = 32768;
    visited_[k] = 0;
  }
  auto score = [&](int node) {
    const int32_t dx = (x >> 5) - (NodeX(node) >> 5), dy = (y >> 5) - (NodeY(node) >> 5);
    const int64_t d = int64_t(dx) * dx + int64_t(dy) * dy;
    distances_[node] = uint32_t(std::min<int64_t>(d, 0xFFFFFFFF));
  };
  const int a = LowerBound(false, x);
  for (int k = a; k < nodeCount_ && xOrderX_[k] == xOrderX_[a]; ++k) score(xOrderNode_[k]);
  const int b = LowerBound(true, y);
  for (int k = b; k < nodeCount_ && yOrderY_[k] == yOrderY_[b]; ++k) score(k);
  int best = 0;
  for (int k = 1; k < nodeCount_; ++k)
    if (distances_[k] < distances_[best]) best = k;
  return best;
}

int MazeNavGraph::AreaAt(int32_t x, int32_t y) {
  for (int k = 0; k < areaCount_; ++k) {
    const int32_t* r = areas_[k];
    if (x >= r[0] && x <= r[2] && y >= r[1] && y <= r[3]) return k;
  }
  // Drawn from the shared generator so that every machine agrees; never a
  // node the graph lacks.
  const int bound = std::max(1, std::min(100, areaCount_ > 0 ? areaCount_ : nodeCount_));
  return RandomInt(bound);
}

int32_t MazeNavGraph::WaypointInArea(int32_t x, int32_t y, int32_t* out) {
  const int k = AreaAt(x, y);
  out[0] = NodeX(k);
  out[1] = NodeY(k);
  return out[1];
}

int32_t* MazeNavGraph::DoorPoint(int32_t v) { return points_[Mod(v, 4)]; }

int32_t* MazeNavGraph::TakeStartPoint(int32_t v) {
  const int r = Mod(v, 8);
  int slot = r;
  for (int i = 0; i < 8; ++i) {
    slot = (r + i) % 8;
    if (!taken_[slot]) break;
  }
  taken_[slot] = 1;
  return points_[4 + slot];
}

int32_t* MazeNavGraph::KeyManPoint(int32_t v) { return points_[12 + Mod(v, 8)]; }

int32_t* MazeNavGraph::TakeRingPoint(int32_t v) {
  const int r = Mod(v, 16);
  int slot = r;
  for (int i = 0; i < 16; ++i) {
    slot = (r + i) % 16;
    if (!taken_[8 + slot]) break;
  }
  taken_[8 + slot] = 1;
  return points_[20 + slot];
}

bool MazeNavGraph::IsDoorPoint(int32_t x, int32_t y) const {
  for (int k = 0; k < 4; ++k)
    if (points_[k][0] == x && points_[k][1] == y) return true;
  return false;
}

void MazeNavGraph::NextHopList(int32_t* out, const int32_t* from, const int32_t* to) {
  NextWaypoint(from, to, out);
  out[2] = -1;
  out[3] = -1;
}

void MazeNavGraph::NextWaypoint(const int32_t* from, const int32_t* to, int32_t* out) {
  const int a = NearestNode(from[0], from[1]);
  const int b = NearestNode(to[0], to[1]);
  const int next = nextHop_[a * 256 + b];
  out[0] = NodeX(next);
  out[1] = NodeY(next);
}

int32_t MazeNavGraph::NodeX(int k) const {
  if (k < 0 || k >= nodeCount_) return 0;
  return xOrderX_[yOrderPos_[k]];
}

int32_t MazeNavGraph::NodeY(int k) const {
  if (k < 0 || k >= nodeCount_) return 0;
  return yOrderY_[k];
}

int MazeNavGraph::FindPath(int32_t* out, const int32_t* from, const int32_t* to) {
  if (nodeCount_ == 0) {
    out[0] = out[1] = -1;
    return 0;
  }
  const int start = NearestNode(from[0], from[1]);
  const int end = NearestNode(to[0], to[1]);
  std::vector<int> parent(size_t(nodeCount_), -1), stack{start};
  std::memset(visited_, 0, sizeof visited_);
  visited_[start] = 1;
  while (!stack.empty() && !visited_[end]) {
    const int k = stack.back();
    stack.pop_back();
    for (int j = 0; j < 4; ++j) {
      const int m = neighbours_[k][j];
      if (m < 0 || visited_[m]) continue;
      visited_[m] = 1;
      parent[size_t(m)] = k;
      stack.push_back(m);
    }
  }
  std::vector<int> path;
  if (visited_[end])
    for (int k = end; k != -1; k = parent[size_t(k)]) path.push_back(k);
  std::reverse(path.begin(), path.end());
  int pairs = 0;
  for (int k : path) {
    out[2 * pairs] = NodeX(k);
    out[2 * pairs + 1] = NodeY(k);
    ++pairs;
  }
  out[2 * pairs] = out[2 * pairs + 1] = -1;
  return pairs;
}
