// 3D MAZE levels: three 128 x 128 mazes with their textures, zones, monsters
// and navigation files, and the validator that reads them back through the
// engine's own readers and checks every promise the game relies on.
//
// A level is a grid of hubs joined by corridors three cells wide (a
// spanning tree with a few extra loops): small hubs of 3 x 3 cells, rooms of
// 7 x 7, dead ends where the tree ends. Walls stand on every cell edge
// between open and solid cells. The navigation graph has a node in the
// middle of each hub's centre cell, one in each corridor no hub takes into
// its area, and one at each exit door; its edges run straight along the
// corridors' middle lines, so a character walking from node to node never
// meets a wall, and one that overshoots a node by a step still stands clear
// of the corners of every corridor leaving it. Every node's area is an open
// rectangle seen whole from the node. Each start place is a home node of
// its own in a corner cell of its hub, where a computer player waiting there
// stands off every route; monsters wait in the hubs' corners too.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/debug.h"
#include "events/maze3d/rc_format.h"
#include "events/maze3d/rc_loader.h"
#include "events/maze3d/rc_navgraph.h"
#include "events/maze3d/rc_support.h"
#include "events/maze3d/rc_tables.h"
#include "events/maze3d/rc_world.h"
#include "events/maze3d/rc_writer.h"
#include "tools/assetgen/maze.h"

namespace assetgen {

using namespace mazeassets;

namespace {

constexpr int kGrid = 10;    // hubs a side
constexpr int kPitch = 12;   // cells from one hub's centre to the next
constexpr int kOrigin = 10;  // the first hub's centre cell
constexpr int kRoomHalf = 3, kHubHalf = 1;
constexpr int kLevelTextures = 12;  // after the door's 36
constexpr int kFloorTextures = 6;
enum Dir { kNorth, kEast, kSouth, kWest };
constexpr int kDr[4] = {-1, 0, 1, 0}, kDc[4] = {0, 1, 0, -1};

struct Hub {
  int gr = 0, gc = 0;  // grid place
  int row = 0, col = 0;  // centre cell
  int half = kHubHalf;
  int corridor[4] = {-1, -1, -1, -1};
  int absorbed = -1;  // the corridor this hub's area takes in
  int node = -1;
  bool door = false;
  int r0() const { return row - half; }
  int r1() const { return row + half; }
  int c0() const { return col - half; }
  int c1() const { return col + half; }
};

struct Corridor {
  int a = 0, b = 0;  // hubs; a is west of or north of b
  bool horizontal = false;
  int r0 = 0, r1 = 0, c0 = 0, c1 = 0;  // open cells
  int owner = -1;                      // hub whose area takes it in, -1 none
  int node = -1;                       // its own node when no hub takes it
};

struct Plan {
  int index = 0;
  std::vector<Hub> hubs;
  std::vector<Corridor> corridors;
  std::vector<int> doors, starts, keyPlaces, rooms;
  std::array<std::array<bool, 128>, 128> open{};
  RcNavData nav;
  std::vector<int> nodeHub;  // hub of each node, -1 for corridor and door nodes
  std::vector<std::array<int32_t, 2>> keyManPoints;
};

int HubAt(int gr, int gc) { return gr * kGrid + gc; }

// The maze: a spanning tree by a randomised depth-first walk, then loops.
void Layout(Plan& plan, MazeRng& rng, int loops) {
  plan.hubs.resize(kGrid * kGrid);
  for (int gr = 0; gr < kGrid; ++gr)
    for (int gc = 0; gc < kGrid; ++gc) {
      Hub& h = plan.hubs[HubAt(gr, gc)];
      h.gr = gr;
      h.gc = gc;
      h.row = kOrigin + kPitch * gr;
      h.col = kOrigin + kPitch * gc;
    }
  auto join = [&](int a, int d) {
    const Hub& ha = plan.hubs[a];
    const int b = HubAt(ha.gr + kDr[d], ha.gc + kDc[d]);
    Corridor c;
    c.a = d == kEast || d == kSouth ? a : b;
    c.b = d == kEast || d == kSouth ? b : a;
    c.horizontal = d == kEast || d == kWest;
    const int id = int(plan.corridors.size());
    plan.corridors.push_back(c);
    plan.hubs[a].corridor[d] = id;
    plan.hubs[b].corridor[(d + 2) % 4] = id;
  };
  std::vector<bool> seen(plan.hubs.size(), false);
  std::vector<int> stack{rng.Int(int(plan.hubs.size()))};
  seen[stack.back()] = true;
  while (!stack.empty()) {
    const int a = stack.back();
    const Hub& h = plan.hubs[a];
    int options[4], n = 0;
    for (int d = 0; d < 4; ++d) {
      const int gr = h.gr + kDr[d], gc = h.gc + kDc[d];
      if (gr >= 0 && gr < kGrid && gc >= 0 && gc < kGrid && !seen[HubAt(gr, gc)]) options[n++] = d;
    }
    if (n == 0) {
      stack.pop_back();
      continue;
    }
    const int d = options[rng.Int(n)];
    const int b = HubAt(h.gr + kDr[d], h.gc + kDc[d]);
    join(a, d);
    seen[b] = true;
    stack.push_back(b);
  }
  for (int added = 0, tries = 0; added < loops && tries < 1000; ++tries) {
    const int a = rng.Int(int(plan.hubs.size()));
    const int d = rng.Int(4);
    const Hub& h = plan.hubs[a];
    const int gr = h.gr + kDr[d], gc = h.gc + kDc[d];
    if (gr < 0 || gr >= kGrid || gc < 0 || gc >= kGrid || h.corridor[d] >= 0) continue;
    join(a, d);
    ++added;
  }
}

int Degree(const Hub& h) {
  int n = 0;
  for (int c : h.corridor) n += c >= 0;
  return n;
}

// Picks hubs far apart: each next pick is the candidate farthest (in grid
// steps) from those picked, ties by the generator.
std::vector<int> Spread(const Plan& plan, std::vector<int> candidates, int count, MazeRng& rng,
                        const std::vector<int>& avoid) {
  std::vector<int> picked;
  while (int(picked.size()) < count && !candidates.empty()) {
    int best = -1, bestScore = -1;
    for (size_t i = 0; i < candidates.size(); ++i) {
      const Hub& h = plan.hubs[candidates[i]];
      int score = 1000;
      for (const std::vector<int>* list : {static_cast<const std::vector<int>*>(&picked), &avoid})
        for (int p : *list) {
          const Hub& q = plan.hubs[p];
          score = std::min(score, std::abs(q.gr - h.gr) + std::abs(q.gc - h.gc));
        }
      score = score * 8 + rng.Int(8);
      if (score > bestScore) {
        bestScore = score;
        best = int(i);
      }
    }
    picked.push_back(candidates[best]);
    candidates.erase(candidates.begin() + best);
  }
  return picked;
}

void ChoosePlaces(Plan& plan, MazeRng& rng, int roomCount) {
  // Exit doors: small hubs with no corridor to the north, dead ends first,
  // in the middle rows so that the winner walks out within the map.
  std::vector<int> deadEnds, others;
  for (int i = 0; i < int(plan.hubs.size()); ++i) {
    const Hub& h = plan.hubs[i];
    if (h.corridor[kNorth] >= 0 || h.gr == 0) continue;
    (Degree(h) == 1 ? deadEnds : others).push_back(i);
  }
  plan.doors = Spread(plan, deadEnds, 4, rng, {});
  if (plan.doors.size() < 4) {
    std::vector<int> more = Spread(plan, others, 4 - int(plan.doors.size()), rng, plan.doors);
    plan.doors.insert(plan.doors.end(), more.begin(), more.end());
  }
  if (plan.doors.size() != 4) throw std::runtime_error("maze level: no room for four exit doors");
  for (int d : plan.doors) plan.hubs[d].door = true;
  // Rooms away from the doors.
  std::vector<int> roomCandidates;
  for (int i = 0; i < int(plan.hubs.size()); ++i)
    if (!plan.hubs[i].door) roomCandidates.push_back(i);
  plan.rooms = Spread(plan, roomCandidates, roomCount, rng, plan.doors);
  for (int r : plan.rooms) plan.hubs[r].half = kRoomHalf;
  // Start places spread over the small hubs that are neither doors nor
  // rooms, dead ends first (no route passes through them).
  std::vector<int> deadEndStarts, otherStarts;
  for (int i = 0; i < int(plan.hubs.size()); ++i)
    if (!plan.hubs[i].door && plan.hubs[i].half == kHubHalf && Degree(plan.hubs[i]) < 4)  // room for the home's edge
      (Degree(plan.hubs[i]) == 1 ? deadEndStarts : otherStarts).push_back(i);
  std::vector<int> avoid = plan.doors;
  avoid.insert(avoid.end(), plan.rooms.begin(), plan.rooms.end());
  plan.starts = Spread(plan, deadEndStarts, 8, rng, avoid);
  if (plan.starts.size() < 8) {
    avoid.insert(avoid.end(), plan.starts.begin(), plan.starts.end());
    std::vector<int> more = Spread(plan, otherStarts, 8 - int(plan.starts.size()), rng, avoid);
    plan.starts.insert(plan.starts.end(), more.begin(), more.end());
  }
  // The key man waits in the rooms.
  plan.keyPlaces = plan.rooms;
  while (plan.keyPlaces.size() < 8) plan.keyPlaces.push_back(plan.rooms[plan.keyPlaces.size() % plan.rooms.size()]);
}

void Carve(Plan& plan) {
  for (Hub& h : plan.hubs)
    for (int r = h.r0(); r <= h.r1(); ++r)
      for (int c = h.c0(); c <= h.c1(); ++c) plan.open[r][c] = true;
  for (Corridor& c : plan.corridors) {
    const Hub& a = plan.hubs[c.a];
    const Hub& b = plan.hubs[c.b];
    if (c.horizontal) {
      c.r0 = a.row - 1;
      c.r1 = a.row + 1;
      c.c0 = a.c1() + 1;
      c.c1 = b.c0() - 1;
    } else {
      c.c0 = a.col - 1;
      c.c1 = a.col + 1;
      c.r0 = a.r1() + 1;
      c.r1 = b.r0() - 1;
    }
    for (int r = c.r0; r <= c.r1; ++r)
      for (int col = c.c0; col <= c.c1; ++col) plan.open[r][col] = true;
  }
}

// Areas: a small hub takes one of its corridors into its area (the two make
// one rectangle); the corridors no hub takes get nodes of their own.
void Absorb(Plan& plan, MazeRng& rng) {
  std::vector<int> order(plan.corridors.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = int(i);
  for (size_t i = order.size(); i > 1; --i) std::swap(order[i - 1], order[size_t(rng.Int(int(i)))]);
  for (int id : order) {
    Corridor& c = plan.corridors[id];
    for (int hub : {c.a, c.b}) {
      Hub& h = plan.hubs[hub];
      if (h.half == kHubHalf && h.absorbed < 0) {
        h.absorbed = id;
        c.owner = hub;
        break;
      }
    }
  }
}

// Hops from every node to `to` over the edges (-1 where none leads);
// neighbour(k, j) is node k's j-th neighbour (0..3) or -1.
template <typename Neighbour>
std::vector<int> HopsTo(int n, int to, Neighbour neighbour) {
  std::vector<int> dist(size_t(n), -1);
  std::deque<int> queue{to};
  dist[size_t(to)] = 0;
  while (!queue.empty()) {
    const int k = queue.front();
    queue.pop_front();
    for (int j = 0; j < 4; ++j) {
      const int m = neighbour(k, j);
      if (m >= 0 && dist[size_t(m)] < 0) {
        dist[size_t(m)] = dist[size_t(k)] + 1;
        queue.push_back(m);
      }
    }
  }
  return dist;
}

void BuildGraph(Plan& plan) {
  struct Pending {
    int32_t x, y;
    std::array<int32_t, 4> area;
    int hub;
  };
  std::vector<Pending> nodes;
  auto rect = [](int r0, int r1, int c0, int c1) {
    return std::array<int32_t, 4>{c0 * 32, r0 * 32, (c1 + 1) * 32 - 1, (r1 + 1) * 32 - 1};
  };
  for (int i = 0; i < int(plan.hubs.size()); ++i) {
    Hub& h = plan.hubs[i];
    int r0 = h.r0(), r1 = h.r1(), c0 = h.c0(), c1 = h.c1();
    if (h.absorbed >= 0) {
      const Corridor& c = plan.corridors[h.absorbed];
      r0 = std::min(r0, c.r0);
      r1 = std::max(r1, c.r1);
      c0 = std::min(c0, c.c0);
      c1 = std::max(c1, c.c1);
    }
    h.node = int(nodes.size());
    nodes.push_back({h.col * 32 + 16, h.row * 32 + 16, rect(r0, r1, c0, c1), i});
  }
  for (Corridor& c : plan.corridors) {
    if (c.owner >= 0) continue;
    c.node = int(nodes.size());
    const int32_t x = (c.horizontal ? (c.c0 + c.c1) / 2 : plan.hubs[c.a].col) * 32 + 16;
    const int32_t y = (c.horizontal ? plan.hubs[c.a].row : (c.r0 + c.r1) / 2) * 32 + 16;
    nodes.push_back({x, y, rect(c.r0, c.r1, c.c0, c.c1), -1});
  }
  std::vector<int> doorNode;
  for (int d : plan.doors) {
    const Hub& h = plan.hubs[d];
    doorNode.push_back(int(nodes.size()));
    // The door node stands on the door's line in the middle of its middle
    // cell, straight north of the hub's node: a walk to it ends pressed
    // against the door, in the cell that opens it. Its area is empty.
    nodes.push_back({h.col * 32 + 16, (h.row - 1) * 32, {0, 0, 0, 0}, -2});
  }
  // A home node in the north-west cell of each start hub, off the lines
  // through the hub's node: a computer player waits at his home while
  // another carries the key, and there he stands in nobody's way.
  std::vector<int> homeNode;
  for (int st : plan.starts) {
    const Hub& h = plan.hubs[st];
    homeNode.push_back(int(nodes.size()));
    nodes.push_back({h.col * 32 - 16, h.row * 32 - 16, {0, 0, 0, 0}, -3});
  }
  // Edges.
  std::vector<std::vector<int>> adj(nodes.size());
  auto link = [&](int a, int b) {
    adj[a].push_back(b);
    adj[b].push_back(a);
  };
  for (const Corridor& c : plan.corridors) {
    const int na = plan.hubs[c.a].node, nb = plan.hubs[c.b].node;
    if (c.owner >= 0) {
      link(na, nb);
    } else {
      link(na, c.node);
      link(c.node, nb);
    }
  }
  for (size_t k = 0; k < plan.doors.size(); ++k) link(plan.hubs[plan.doors[k]].node, doorNode[k]);
  for (size_t k = 0; k < plan.starts.size(); ++k) link(plan.hubs[plan.starts[k]].node, homeNode[k]);
  // Numbered by ascending y (then x).
  std::vector<int> order(nodes.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = int(i);
  std::sort(order.begin(), order.end(), [&](int a, int b) {
    return nodes[a].y != nodes[b].y ? nodes[a].y < nodes[b].y : nodes[a].x < nodes[b].x;
  });
  std::vector<int> number(nodes.size());
  for (size_t k = 0; k < order.size(); ++k) number[order[k]] = int(k);
  RcNavData& nav = plan.nav;
  nav.nodes.assign(nodes.size(), {});
  nav.areas.assign(nodes.size(), {});
  plan.nodeHub.assign(nodes.size(), -1);
  for (size_t old = 0; old < nodes.size(); ++old) {
    const int k = number[old];
    nav.nodes[k].x = nodes[old].x;
    nav.nodes[k].y = nodes[old].y;
    nav.areas[k] = nodes[old].area;
    plan.nodeHub[k] = nodes[old].hub;
    std::vector<int> ns;
    for (int m : adj[old]) ns.push_back(number[m]);
    std::sort(ns.begin(), ns.end());
    if (ns.size() > 4) throw std::runtime_error("maze level: a node with more than four neighbours");
    for (size_t j = 0; j < ns.size(); ++j) nav.nodes[k].neighbour[j] = ns[j];
  }
  for (Hub& h : plan.hubs) h.node = number[h.node];
  for (Corridor& c : plan.corridors)
    if (c.node >= 0) c.node = number[c.node];
  // Next hops: a breadth-first search from each destination; the next hop
  // is the neighbour one step nearer (the lowest-numbered of equals).
  const int n = int(nav.nodes.size());
  if (n > kRcNavMaxAreas) throw std::runtime_error("maze level: too many nodes for the area table");
  for (int t = 0; t < n; ++t) {
    const std::vector<int> dist = HopsTo(n, t, [&](int k, int j) { return nav.nodes[k].neighbour[j]; });
    for (int f = 0; f < n; ++f) {
      int hop = f;
      if (f == t) hop = t;
      else
        for (int m : nav.nodes[f].neighbour)
          if (m >= 0 && dist[m] == dist[f] - 1) {
            hop = m;
            break;
          }
      nav.nextHop[size_t(f) * 256 + size_t(t)] = uint8_t(hop);
    }
  }
  // The special points.
  auto nodePoint = [&](int node) { return std::array<int32_t, 2>{nav.nodes[node].x, nav.nodes[node].y}; };
  for (int k = 0; k < 4; ++k) nav.points[k] = nodePoint(number[doorNode[k]]);
  for (int k = 0; k < 8; ++k) nav.points[4 + k] = nodePoint(number[homeNode[k]]);
  for (int k = 0; k < 8; ++k) {
    const Hub& h = plan.hubs[plan.keyPlaces[k]];
    // Off the node, inside the room: the key man is walked to from the node.
    const int32_t dx = (k & 1) ? 48 : -40, dy = (k & 2) ? 40 : -48;
    nav.points[12 + k] = {h.col * 32 + 16 + dx, h.row * 32 + 16 + dy};
  }
  int ring = 0;
  for (int k = 0; k < n && ring < 16; k += std::max(1, n / 16)) {
    if (plan.nodeHub[k] < 0) continue;
    nav.points[20 + ring++] = nodePoint(k);
  }
  for (int k = 0; ring < 16; ++k) nav.points[20 + ring++] = nodePoint(plan.hubs[k].node);
}

// ---------------------------------------------------------------- textures

uint32_t Hash(uint32_t a, uint32_t b, uint32_t c) {
  uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA6Bu ^ (c + 0x165667B1u) * 0xC2B2AE35u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  return h;
}
double Noise(int x, int y, int seed) { return (Hash(uint32_t(x), uint32_t(y), uint32_t(seed)) & 0xFFFF) / 65535.0; }
// Smooth value noise of cell size s.
double Smooth(int x, int y, int s, int seed) {
  const int x0 = x / s, y0 = y / s;
  const double fx = double(x % s) / s, fy = double(y % s) / s;
  auto n = [&](int i, int j) { return Noise(x0 + i, y0 + j, seed); };
  const double a = n(0, 0) + (n(1, 0) - n(0, 0)) * fx, b = n(0, 1) + (n(1, 1) - n(0, 1)) * fx;
  return a + (b - a) * fy;
}
// An index of a ramp of `count` entries from `first`, for t in 0..1.
uint8_t Ramp(int first, int count, double t) {
  return uint8_t(first + std::clamp(int(t * count), 0, count - 1));
}
constexpr int kStone = 16, kWarm = 32, kGreen = 48;
constexpr int kBrickDark = 56, kBrick = 57, kBrickLight = 58, kGold = 59, kLight = 60, kSign = 61,
              kSteel = 62, kDarkRed = 63;

using Texture = std::vector<uint8_t>;  // 32 x 128, top row first (converted on writing)

Texture Blank(uint8_t c) { return Texture(32 * 128, c); }
void Set(Texture& t, int x, int y, uint8_t c) {
  if (x >= 0 && x < 32 && y >= 0 && y < 128) t[size_t(y) * 32 + size_t(x)] = c;
}

Texture StoneBlocks(int seed, int ramp, double base) {
  Texture t = Blank(0);
  for (int y = 0; y < 128; ++y) {
    const int course = y / 16, off = (course & 1) ? 8 : 0;
    for (int x = 0; x < 32; ++x) {
      const int bx = (x + off) % 16, by = y % 16;
      const int block = (x + off) / 16;
      const bool mortar = bx == 0 || by == 0;
      double v = base + 0.25 * Noise(block, course, seed) + 0.18 * Smooth(x, y, 4, seed + 1) - 0.09;
      if (by == 1 || bx == 1) v += 0.12;
      if (by == 15 || bx == 15) v -= 0.12;
      Set(t, x, y, mortar ? uint8_t(ramp + 2) : Ramp(ramp, 16, v));
    }
  }
  return t;
}

Texture Bricks(int seed) {
  Texture t = Blank(0);
  for (int y = 0; y < 128; ++y) {
    const int course = y / 8, off = (course & 1) ? 4 : 0;
    for (int x = 0; x < 32; ++x) {
      const int bx = (x + off) % 8, by = y % 8;
      const bool mortar = bx == 0 || by == 0;
      const double n = Noise((x + off) / 8, course, seed);
      uint8_t c = n < 0.3 ? kBrickDark : n < 0.8 ? kBrick : kBrickLight;
      if (!mortar && Noise(x, y, seed + 3) < 0.08) c = kBrickDark;
      Set(t, x, y, mortar ? uint8_t(kStone + 9) : c);
    }
  }
  return t;
}

Texture Planks(int seed, int ramp) {
  Texture t = Blank(0);
  for (int x = 0; x < 32; ++x) {
    const int plank = x / 8;
    for (int y = 0; y < 128; ++y) {
      double v = 0.35 + 0.25 * Noise(plank, 0, seed) + 0.15 * std::sin((y + plank * 17) * 0.35 + Smooth(x, y, 6, seed) * 4);
      if (x % 8 == 0) v = 0.05;
      if ((y + plank * 40) % 128 == 0) v = 0.1;
      Set(t, x, y, Ramp(ramp, 16, v));
    }
  }
  // A dark skirting board at the foot.
  for (int y = 118; y < 128; ++y)
    for (int x = 0; x < 32; ++x) Set(t, x, y, uint8_t(ramp + (y == 118 ? 10 : 2)));
  return t;
}

Texture Hedge(int seed) {
  Texture t = Blank(0);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 32; ++x) {
      double v = 0.2 + 0.6 * Smooth(x, y, 3, seed) + 0.2 * Noise(x, y, seed + 1);
      if (y < 6) v *= double(y) / 6;  // the ragged top
      uint8_t c = Ramp(kGreen, 8, v);
      if (Noise(x / 2, y / 2, seed + 9) > 0.985) c = kGold;  // a few flowers
      if (y < 4 && Noise(x, 0, seed + 5) > 0.5) c = kGreen;
      Set(t, x, y, c);
    }
  return t;
}

Texture MetalPanel(int seed, bool stripes) {
  Texture t = Blank(0);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 32; ++x) {
      const int py = y % 64;
      double v = 0.45 + 0.1 * Smooth(x, y, 16, seed) + (x < 2 ? 0.2 : 0) - (x > 29 ? 0.2 : 0);
      if (py < 2) v += 0.25;
      if (py > 61) v -= 0.25;
      uint8_t c = Ramp(kStone, 16, v);
      if ((x == 4 || x == 27) && (py == 6 || py == 57)) c = uint8_t(kStone + 14);  // rivets
      if (stripes && y >= 100 && y < 120) c = ((x + y) / 6) % 2 ? kGold : uint8_t(kStone + 1);
      Set(t, x, y, c);
    }
  return t;
}

Texture Pipes(int seed) {
  Texture t = MetalPanel(seed, false);
  for (int y = 0; y < 128; ++y)
    for (int x = 6; x < 26; ++x) {
      const int dx = x - 16;
      const double v = 0.9 - std::abs(dx) / 12.0;
      Set(t, x, y, (y % 40) < 3 ? uint8_t(kSteel) : Ramp(kGreen, 8, v));
    }
  return t;
}

Texture Circuit(int seed) {
  Texture t = Blank(kGreen + 1);
  MazeRng rng(static_cast<uint64_t>(seed));
  for (int i = 0; i < 10; ++i) {
    int x = rng.Int(32), y = rng.Int(128);
    for (int s = 0; s < 40; ++s) {
      Set(t, x, y, kGreen + 6);
      if (rng.Int(5) == 0) Set(t, x, y, kGold);
      if (rng.Int(2)) x = (x + 1) % 32;
      else y = (y + 1) % 128;
    }
  }
  for (int y = 0; y < 128; ++y) {
    Set(t, 0, y, kStone + 3);
    Set(t, 31, y, kStone + 3);
  }
  return t;
}

// A decoration over a base texture: a window, a banner, a torch, a sign.
Texture Decorate(Texture t, int kind) {
  switch (kind) {
    case 0:  // window with a bright pane
      for (int y = 30; y < 70; ++y)
        for (int x = 6; x < 26; ++x) {
          const bool frame = x < 8 || x > 23 || y < 32 || y > 67 || x == 15 || x == 16 || y == 49;
          Set(t, x, y, frame ? uint8_t(kWarm + 3) : (x + y) % 7 == 0 ? uint8_t(kLight) : uint8_t(kFlatSky));
        }
      break;
    case 1:  // a red banner with a gold stripe
      for (int y = 10; y < 90; ++y)
        for (int x = 8; x < 24; ++x) {
          const int tip = y > 80 ? std::abs(x - 16) : 99;
          if (y - 80 > 8 - tip) continue;
          Set(t, x, y, (x == 11 || x == 20) ? uint8_t(kGold) : uint8_t(kDarkRed + (y > 12 ? 0 : 0)));
        }
      break;
    case 2:  // a torch: bracket and flame
      for (int y = 50; y < 76; ++y) Set(t, 16, y, kStone + 1), Set(t, 15, y, kStone + 2);
      for (int y = 36; y < 50; ++y)
        for (int x = 11; x < 21; ++x) {
          const double r = std::hypot(x - 15.5, (y - 46) * 0.6);
          if (r < 4.5 - (50 - y) * 0.2) Set(t, x, y, r < 2 ? uint8_t(kLight) : uint8_t(kGold));
        }
      break;
    default:  // an arrow sign
      for (int y = 40; y < 60; ++y)
        for (int x = 4; x < 28; ++x) {
          const bool inside = x < 18 ? std::abs(y - 50) < 4 : std::abs(y - 50) < 28 - x;
          Set(t, x, y, inside ? uint8_t(kSign) : uint8_t(kStone + 2));
        }
      break;
  }
  return t;
}

// 5 x 7 letters of the exit sign.
const char* const kLetterE = "11111100001000011110100001000011111";
const char* const kLetterX = "10001100010101000100010101000110001";
const char* const kLetterI = "11111001000010000100001000010011111";
const char* const kLetterT = "11111001000010000100001000010000100";

// The exit door, twelve stages from shut to open, each three cells wide.
std::vector<Texture> DoorStages() {
  std::vector<Texture> out;
  for (int s = 0; s < 12; ++s) {
    std::vector<uint8_t> pic(96 * 128, 0);
    auto put = [&](int x, int y, uint8_t c) {
      if (x >= 0 && x < 96 && y >= 0 && y < 128) pic[size_t(y) * 96 + size_t(x)] = c;
    };
    const double open = s / 11.0;
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 96; ++x) {
        // Stone surround.
        uint8_t c = Ramp(kStone, 16, 0.45 + 0.2 * Noise(x / 8, y / 8, 77));
        const bool doorway = x >= 10 && x < 86 && y >= 24;
        if (doorway) {
          // Light beyond the door, brighter towards the middle.
          const double glow = 1.0 - std::abs(x - 48) / 48.0;
          c = glow > 0.5 ? uint8_t(kLight) : uint8_t(kGold);
          // Two steel leaves slide apart from the middle.
          const int gap = int(open * 38);
          const bool left = x < 48 - gap, right = x >= 48 + gap;
          if (left || right) {
            const int lx = left ? x - 10 : 85 - x;
            c = Ramp(kStone, 16, 0.3 + 0.25 * (lx % 12 < 2 ? 0 : 1) + 0.1 * Noise(lx / 4, y / 4, 5));
            if ((y - 24) % 26 < 2) c = uint8_t(kStone + 2);
            if (lx > 30 && lx < 34 && y > 70 && y < 80) c = kGold;  // handles
          }
        }
        if (x >= 8 && x < 88 && y >= 22 && y < 24) c = uint8_t(kStone + 14);
        put(x, y, c);
      }
    // The EXIT sign above, lit brighter as the door opens.
    for (int y = 4; y < 18; ++y)
      for (int x = 28; x < 68; ++x) put(x, y, uint8_t(kStone + 1));
    const char* letters[4] = {kLetterE, kLetterX, kLetterI, kLetterT};
    for (int l = 0; l < 4; ++l)
      for (int j = 0; j < 7; ++j)
        for (int i = 0; i < 5; ++i)
          if (letters[l][j * 5 + i] == '1') put(32 + l * 9 + i, 7 + j, s % 2 || s == 0 ? uint8_t(kSign) : uint8_t(kGreen + 7));
    for (int k = 0; k < 3; ++k) {
      Texture t = Blank(0);
      for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 32; ++x) Set(t, x, y, pic[size_t(y) * 96 + size_t(k * 32 + x)]);
      out.push_back(std::move(t));
    }
  }
  return out;
}

using Floor = std::vector<uint8_t>;  // 32 x 32
Floor FloorTiles(int seed, int ramp, int count, int tile) {
  Floor f(1024);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const bool grout = x % tile == 0 || y % tile == 0;
      const double v = 0.35 + 0.3 * Noise(x / tile, y / tile, seed) + 0.1 * Noise(x, y, seed + 1);
      f[size_t(y) * 32 + size_t(x)] = grout ? uint8_t(ramp + 1) : Ramp(ramp, count, v);
    }
  return f;
}
Floor FloorPlanks(int seed) {
  Floor f(1024);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const double v = 0.3 + 0.2 * Noise(0, y / 8, seed) + 0.15 * std::sin(x * 0.4 + y);
      f[size_t(y) * 32 + size_t(x)] = y % 8 == 0 ? uint8_t(kWarm + 1) : Ramp(kWarm, 16, v);
    }
  return f;
}
Floor FloorGrass(int seed) {
  Floor f(1024);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      f[size_t(y) * 32 + size_t(x)] = Ramp(kGreen, 8, 0.2 + 0.5 * Noise(x, y, seed) * Noise(x / 2, y, seed + 2) + 0.2);
  return f;
}
Floor FloorChecker(int a, int b) {
  Floor f(1024);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) f[size_t(y) * 32 + size_t(x)] = uint8_t(((x / 16) ^ (y / 16)) & 1 ? a : b);
  return f;
}
Floor FloorGrate(int seed) {
  Floor f(1024);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const bool bar = x % 8 < 2 || y % 8 < 2;
      f[size_t(y) * 32 + size_t(x)] = bar ? Ramp(kStone, 16, 0.55 + 0.1 * Noise(x, y, seed)) : uint8_t(kStone + 1);
    }
  return f;
}

struct Style {
  std::vector<Texture> walls;  // kLevelTextures
  std::vector<Floor> floors;   // kFloorTextures
  // Which wall textures (0-based after the door) the parts of the level use.
  int corridor[2], hub, room, deadEnd, decor[3];
  int corridorFloor, hubFloor, roomFloor;
};

Style LevelStyle(int level) {
  Style s;
  const int seed = 100 * (level + 1);
  if (level == 0) {  // a castle: stone blocks, bricks, wood, torches
    s.walls = {StoneBlocks(seed, kStone, 0.45), StoneBlocks(seed + 1, kStone, 0.3), Bricks(seed + 2),
               Planks(seed + 3, kWarm), StoneBlocks(seed + 4, kWarm, 0.35), Bricks(seed + 5)};
    s.walls.push_back(Decorate(s.walls[0], 2));
    s.walls.push_back(Decorate(s.walls[0], 1));
    s.walls.push_back(Decorate(s.walls[2], 0));
    s.walls.push_back(Decorate(s.walls[1], 3));
    s.walls.push_back(StoneBlocks(seed + 6, kStone, 0.6));
    s.walls.push_back(Planks(seed + 7, kStone));
    s.floors = {FloorTiles(seed, kStone, 16, 16), FloorPlanks(seed + 1), FloorTiles(seed + 2, kWarm, 16, 8),
                FloorChecker(kStone + 3, kStone + 9), FloorGrass(seed + 3), FloorGrate(seed + 4)};
    s.corridor[0] = 0; s.corridor[1] = 1; s.hub = 4; s.room = 2; s.deadEnd = 3;
    s.decor[0] = 6; s.decor[1] = 7; s.decor[2] = 9;
    s.corridorFloor = 0; s.hubFloor = 2; s.roomFloor = 3;
  } else if (level == 1) {  // a garden: hedges, fences, stone
    s.walls = {Hedge(seed), Hedge(seed + 1), Planks(seed + 2, kWarm), StoneBlocks(seed + 3, kStone, 0.55),
               Hedge(seed + 4), Bricks(seed + 5)};
    s.walls.push_back(Decorate(s.walls[3], 0));
    s.walls.push_back(Decorate(s.walls[2], 3));
    s.walls.push_back(Decorate(s.walls[5], 1));
    s.walls.push_back(Decorate(s.walls[3], 2));
    s.walls.push_back(StoneBlocks(seed + 6, kWarm, 0.5));
    s.walls.push_back(Planks(seed + 7, kWarm));
    s.floors = {FloorGrass(seed), FloorTiles(seed + 1, kWarm, 16, 16), FloorPlanks(seed + 2),
                FloorTiles(seed + 3, kStone, 16, 8), FloorChecker(kWarm + 5, kWarm + 11), FloorGrass(seed + 4)};
    s.corridor[0] = 0; s.corridor[1] = 1; s.hub = 4; s.room = 3; s.deadEnd = 2;
    s.decor[0] = 6; s.decor[1] = 7; s.decor[2] = 8;
    s.corridorFloor = 0; s.hubFloor = 1; s.roomFloor = 4;
  } else {  // a factory: metal panels, pipes, circuits
    s.walls = {MetalPanel(seed, false), MetalPanel(seed + 1, true), Pipes(seed + 2), Circuit(seed + 3),
               MetalPanel(seed + 4, false), StoneBlocks(seed + 5, kStone, 0.2)};
    s.walls.push_back(Decorate(s.walls[0], 3));
    s.walls.push_back(Decorate(s.walls[4], 0));
    s.walls.push_back(Decorate(s.walls[3], 2));
    s.walls.push_back(Decorate(s.walls[5], 1));
    s.walls.push_back(Bricks(seed + 6));
    s.walls.push_back(MetalPanel(seed + 7, true));
    s.floors = {FloorGrate(seed), FloorChecker(kStone + 2, kStone + 6), FloorTiles(seed + 1, kStone, 16, 16),
                FloorTiles(seed + 2, kGreen, 8, 8), FloorPlanks(seed + 3), FloorGrate(seed + 4)};
    s.corridor[0] = 0; s.corridor[1] = 4; s.hub = 1; s.room = 2; s.deadEnd = 3;
    s.decor[0] = 6; s.decor[1] = 7; s.decor[2] = 9;
    s.corridorFloor = 0; s.hubFloor = 1; s.roomFloor = 2;
  }
  return s;
}

// ---------------------------------------------------------------- the level file

void FillLevel(const Plan& plan, const Style& style, MazeLevel* level, MazeRng& rng) {
  // Which part of the level each open cell belongs to.
  enum Part : uint8_t { kSolid, kCorridor, kHub, kRoom, kDeadEnd };
  std::vector<uint8_t> part(128 * 128, kSolid);
  for (const Corridor& c : plan.corridors)
    for (int r = c.r0; r <= c.r1; ++r)
      for (int col = c.c0; col <= c.c1; ++col) part[size_t(r) * 128 + size_t(col)] = kCorridor;
  for (const Hub& h : plan.hubs)
    for (int r = h.r0(); r <= h.r1(); ++r)
      for (int c = h.c0(); c <= h.c1(); ++c)
        part[size_t(r) * 128 + size_t(c)] = h.half == kRoomHalf ? kRoom : Degree(h) == 1 ? kDeadEnd : kHub;
  auto wallTexture = [&](uint8_t p, int r, int c) -> uint16_t {
    int t = 0;
    switch (p) {
      case kCorridor: t = style.corridor[((r / 3) + (c / 3)) & 1]; break;
      case kRoom: t = style.room; break;
      case kDeadEnd: t = style.deadEnd; break;
      default: t = style.hub; break;
    }
    if (rng.Int(14) == 0) t = style.decor[rng.Int(3)];
    return uint16_t(kMazeDoorTextures + t + 1);
  };
  for (int r = 0; r < 128; ++r)
    for (int c = 0; c < 128; ++c) {
      const bool here = plan.open[r][c];
      const bool west = c > 0 && plan.open[r][c - 1];
      const bool north = r > 0 && plan.open[r - 1][c];
      const size_t i = size_t(r) * 128 + size_t(c);
      if (here != west) level->xWalls[i] = wallTexture(here ? part[i] : part[i - 1], r, c);
      if (here != north) level->yWalls[i] = wallTexture(here ? part[i] : part[i - 128], r, c);
      // Solid cells have floor too: the floor row at a wall's foot may
      // sample a point on the wall's line, which belongs to the cell beyond.
      const int f = part[i] == kRoom ? style.roomFloor : part[i] == kHub || part[i] == kDeadEnd ? style.hubFloor
                                                                                                 : style.corridorFloor;
      level->floorMap[i] = uint16_t(f + 1);
    }
  // Door hubs wear the stone of the door's surround on the door's line
  // until the door is put there.
  level->wallTextureCount = kMazeDoorTextures + kLevelTextures;
  level->floorTextureCount = kFloorTextures;
  level->wallTextures = static_cast<uint8_t*>(RcAlloc(level->wallTextureCount * 4096));
  level->floorTextures = static_cast<uint8_t*>(RcAlloc(level->floorTextureCount * 1024));
  std::vector<Texture> all = DoorStages();
  all.insert(all.end(), style.walls.begin(), style.walls.end());
  for (size_t t = 0; t < all.size(); ++t)
    for (int x = 0; x < 32; ++x)
      for (int y = 0; y < 128; ++y) level->wallTextures[t * 4096 + size_t(x) * 128 + size_t(y)] = all[t][size_t(y) * 32 + size_t(x)];
  for (size_t f = 0; f < style.floors.size(); ++f) std::memcpy(level->floorTextures + f * 1024, style.floors[f].data(), 1024);
  // Zones: each room, and some dead ends, wake their monsters.
  std::vector<int> zoneHubs = plan.rooms;
  for (int i = 0; i < int(plan.hubs.size()) && zoneHubs.size() < kMazeZoneCount; ++i) {
    const Hub& h = plan.hubs[i];
    const bool start = std::find(plan.starts.begin(), plan.starts.end(), i) != plan.starts.end();
    if (h.half == kHubHalf && Degree(h) == 1 && !h.door && !start && rng.Int(3) == 0) zoneHubs.push_back(i);
  }
  int monster = 0;
  level->zoneCount = 0;
  for (int hub : zoneHubs) {
    if (monster >= kMazeMonsterCount || level->zoneCount >= uint32_t(kMazeZoneCount)) break;
    const Hub& h = plan.hubs[hub];
    MazeZoneRecord& z = level->zones[level->zoneCount++];
    z.used = 1;
    z.x1 = h.c0() * 32;
    z.y1 = h.r0() * 32;
    z.x2 = (h.c1() + 1) * 32 - 1;
    z.y2 = (h.r1() + 1) * 32 - 1;
    const int count = std::min(h.half == kRoomHalf ? 2 + rng.Int(3) : 1, kMazeMonsterCount - monster);
    for (int m = 0; m < 4; ++m) z.objectId[m] = -1;
    for (int m = 0; m < count; ++m) {
      z.objectId[m] = kMazeFirstMonster + monster;
      MazeMonsterPlace& p = level->monsters[monster++];
      // In the corners of the hub, clear of its walls and of the lines
      // through its node along which every route and the walk to the key
      // man run: a monster is a body, and one that stands in a corridor's
      // way, rising again as long as someone stands in its zone, would wall
      // the corridor in.
      static constexpr int kCorner[4][2] = {{1, 1}, {-1, -1}, {1, -1}, {-1, 1}};
      const int reach = h.half == kRoomHalf ? 92 : 28;
      p.x = h.col * 32 + 16 + kCorner[m][0] * reach;
      p.y = h.row * 32 + 16 + kCorner[m][1] * reach;
      p.heading = rng.Int(kMazeTurn);
    }
  }
  level->monsterCount = uint32_t(monster);
}

// ---------------------------------------------------------------- validation

[[noreturn]] void Invalid(int level, const std::string& what) {
  throw std::runtime_error("maze level " + std::to_string(level + 1) + ": " + what);
}

// The open cells: those a walk from the first start place reaches.
std::vector<uint8_t> g_open;
bool CellOpen(const MazeLevel&, int r, int c) { return r >= 0 && r < 128 && c >= 0 && c < 128 && g_open[r * 128 + c]; }

// Checks the files as the game will read them: through RcLoader and
// MazeNavGraph, against the level's own walls.
void Validate(int level, const std::string& dir) {
  auto path = [&](const char* rel) {
    std::string p = dir + "/" + rel;
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
  };
  auto lv = std::make_unique<MazeLevel>();
  RcLoader loader;
  if (!loader.LoadTextures(path(kLevelFile[level]).c_str(), lv.get()) ||
      !loader.LoadFloor(path(kLevelFile[level]).c_str(), lv.get()))
    Invalid(level, "the level file does not load");
  auto nav = std::make_unique<MazeNavGraph>();
  if (!nav->LoadFiles(path(kNodeFile[level]).c_str(), path(kHopFile[level]).c_str()))
    Invalid(level, "the navigation files do not load");
  const int n = nav->nodeCount();
  if (nav->areaCount() != n) Invalid(level, "not one area per node");
  g_open.assign(128 * 128, 0);
  MazeFloodCells(lv->xWalls, lv->yWalls, (nav->point(4)[1] >> 5) * 128 + (nav->point(4)[0] >> 5), g_open.data());

  // Walls stand exactly between open and solid cells, and the map's border
  // rows and columns are solid, so no walk and no ray leaves the map.
  for (int r = 0; r < 128; ++r)
    for (int c = 0; c < 128; ++c) {
      const bool here = CellOpen(*lv, r, c);
      if ((r < 2 || r > 125 || c < 2 || c > 125) && here) Invalid(level, "an open cell at the map's edge");
      if ((here != CellOpen(*lv, r, c - 1)) != (lv->xWalls[r * 128 + c] != 0)) Invalid(level, "an x-wall out of place");
      if ((here != CellOpen(*lv, r - 1, c)) != (lv->yWalls[r * 128 + c] != 0)) Invalid(level, "a y-wall out of place");
    }
  // Every open cell lies in one area; every area is open and whole.
  std::vector<int> owner(128 * 128, -1);
  for (int k = 0; k < n; ++k) {
    const int32_t* a = nav->area(k);
    if (a[0] == 0 && a[1] == 0 && a[2] == 0 && a[3] == 0) continue;
    if ((a[0] & 31) || (a[1] & 31) || (a[2] & 31) != 31 || (a[3] & 31) != 31) Invalid(level, "an area off the cell grid");
    for (int r = a[1] >> 5; r <= a[3] >> 5; ++r)
      for (int c = a[0] >> 5; c <= a[2] >> 5; ++c) {
        if (!CellOpen(*lv, r, c)) Invalid(level, "an area over solid cells");
        if (owner[r * 128 + c] >= 0) Invalid(level, "two areas overlap");
        owner[r * 128 + c] = k;
      }
    if (nav->AreaAt(nav->NodeX(k), nav->NodeY(k)) != k) Invalid(level, "a node outside its own area");
  }
  for (int i = 0; i < 128 * 128; ++i)
    if (CellOpen(*lv, i / 128, i % 128) && owner[i] < 0) Invalid(level, "an open cell in no area");
  // Edges: both ways, straight along a corridor's middle line, through open
  // cells with a cell of room on either side.
  for (int k = 0; k < n; ++k)
    for (int j = 0; j < 4; ++j) {
      const int m = nav->neighbour(k, j);
      if (m < 0) continue;
      bool back = false;
      for (int i = 0; i < 4; ++i) back = back || nav->neighbour(m, i) == k;
      if (!back) Invalid(level, "an edge one way only");
      const int x0 = nav->NodeX(k), y0 = nav->NodeY(k), x1 = nav->NodeX(m), y1 = nav->NodeY(m);
      if (x0 != x1 && y0 != y1) {
        // Only the step from a start hub's node into its home's cell, both open.
        bool home = false;
        for (int p = 4; p < 12; ++p)
          home = home || (nav->point(p)[0] == x0 && nav->point(p)[1] == y0) ||
                 (nav->point(p)[0] == x1 && nav->point(p)[1] == y1);
        if (!home || std::abs(x1 - x0) != 32 || std::abs(y1 - y0) != 32 || !CellOpen(*lv, y0 >> 5, x0 >> 5) ||
            !CellOpen(*lv, y1 >> 5, x1 >> 5))
          Invalid(level, "an edge that is not straight along an axis");
        continue;
      }
      const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
      for (int s = 0; s <= steps; ++s) {
        const int x = x0 + (x1 - x0) * s / std::max(1, steps), y = y0 + (y1 - y0) * s / std::max(1, steps);
        const int r = y >> 5, c = x >> 5;
        const bool alongX = y0 == y1;
        for (int side = -1; side <= 1; ++side)
          if (!CellOpen(*lv, alongX ? r + side : r, alongX ? c : c + side)) Invalid(level, "an edge through a wall");
      }
    }
  // The cheap nearest-node search finds each node at its own place, each
  // start place's node, and the door nodes at the door corners the
  // computer players head for.
  for (int k = 0; k < n; ++k)
    if (nav->NearestNode(nav->NodeX(k), nav->NodeY(k)) != k) Invalid(level, "a node its own search does not find");
  for (int p = 0; p < 12; ++p) {
    const int32_t* pt = nav->point(p);
    const int k = nav->NearestNode(pt[0], pt[1]);
    if (nav->NodeX(k) != pt[0] || nav->NodeY(k) != pt[1]) Invalid(level, "a door or start place that is not a node");
  }
  // Doors: three y-wall cells in one row, each a wall, open cells south of
  // them, room north of them for the winner's walk out.
  for (int d = 0; d < 4; ++d) {
    const int32_t* pt = nav->point(d);
    const int r = pt[1] >> 5, c = pt[0] >> 5;
    if ((pt[0] & 31) != 16 || (pt[1] & 31) || r < 6 || c < 1 || c > 126) Invalid(level, "a door place off its line");
    for (int k = -1; k <= 1; ++k)
      if (!lv->yWalls[r * 128 + c + k] || !CellOpen(*lv, r, c + k) || CellOpen(*lv, r - 1, c + k))
        Invalid(level, "a door place without a wall three cells wide");
  }
  // Key-man places and monsters stand in open cells inside an area.
  for (int p = 12; p < 36; ++p) {
    const int32_t* pt = nav->point(p);
    if (!CellOpen(*lv, pt[1] >> 5, pt[0] >> 5)) Invalid(level, "a place in a solid cell");
  }
  for (uint32_t m = 0; m < lv->monsterCount; ++m)
    if (!CellOpen(*lv, lv->monsters[m].y >> 5, lv->monsters[m].x >> 5)) Invalid(level, "a monster in a solid cell");
  // The next-hop table: from every node to every other, as many hops as a
  // breadth-first search over the edges counts.
  for (int t = 0; t < n; ++t) {
    const std::vector<int> dist = HopsTo(n, t, [&](int k, int j) { return nav->neighbour(k, j); });
    for (int f = 0; f < n; ++f) {
      if (dist[f] < 0) Invalid(level, "a node no route reaches");
      int hops = 0;
      for (int k = f; k != t && hops <= n; ++hops) k = nav->nextHop(k, t);
      if (hops != dist[f]) Invalid(level, "the next-hop table is not a shortest route");
    }
  }
  // Every start, door and key-man place lies in the one open region the
  // first start place reaches.
  for (int p = 0; p < 20; ++p)
    if (!CellOpen(*lv, nav->point(p)[1] >> 5, nav->point(p)[0] >> 5)) Invalid(level, "a place no start reaches");
  MazeFreeLevel(lv.get());
}

}  // namespace

void GenerateMazeLevels(Output& out) {
  const int roomCounts[3] = {8, 9, 10};
  const int loops[3] = {10, 14, 18};
  for (int level = 0; level < kLevels; ++level) {
    MazeRng rng(uint64_t(0x3D3A2E00 + level * 7919));
    Plan plan;
    plan.index = level;
    Layout(plan, rng, loops[level]);
    ChoosePlaces(plan, rng, roomCounts[level]);
    Carve(plan);
    Absorb(plan, rng);
    BuildGraph(plan);
    auto lv = std::make_unique<MazeLevel>();
    std::memset(lv.get(), 0, sizeof(MazeLevel));
    FillLevel(plan, LevelStyle(level), lv.get(), rng);
    // Stored compressed: the maps are mostly empty.
    const Bytes files[3] = {EncodePkc(RcWriteLevel(*lv)), RcWriteNavNodes(plan.nav), RcWriteNavHops(plan.nav)};
    const char* const names[3] = {kLevelFile[level], kNodeFile[level], kHopFile[level]};
    // Read back through the game's loaders from a copy of the part's own:
    // the tree has them only once the part is done.
    const std::string scratch = out.Scratch();
    for (int i = 0; i < 3; ++i) {
      out.Write(Root::Data, names[i], files[i]);
      WriteFile(scratch, names[i], files[i]);
    }
    MazeFreeLevel(lv.get());
    Validate(level, scratch);
  }
}

}  // namespace assetgen
