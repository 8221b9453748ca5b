// Fuzz target of the maze's navigation reader: whatever the bytes (the last
// 65536 of them the next-hop table when there are more), a graph the reader
// accepts answers every query with nodes it has.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "events/maze3d/rc_navgraph.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> hop(65536, 0);
  size_t nodSize = size;
  if (size > 65536) {
    nodSize = size - 65536;
    hop.assign(data + nodSize, data + size);
  }
  auto nav = std::make_unique<MazeNavGraph>();
  if (!nav->LoadMemory(data, nodSize, hop.data(), hop.size())) return 0;
  const int n = nav->nodeCount();
  if (n < 1 || n > 256) std::abort();
  const int32_t probes[6][2] = {{0, 0}, {4095, 4095}, {-5, 70000}, {2048, 17}, {nav->NodeX(n - 1), nav->NodeY(0)},
                                {nav->point(5)[0], nav->point(5)[1]}};
  int32_t out[4], path[2 * 258];
  for (const auto& p : probes) {
    if (nav->NearestNode(p[0], p[1]) >= n) std::abort();
    if (nav->AreaAt(p[0], p[1]) >= n) std::abort();
    nav->WaypointInArea(p[0], p[1], out);
    for (const auto& q : probes) {
      nav->NextHopList(out, p, q);
      if (out[2] != -1) std::abort();
      if (nav->FindPath(path, p, q) > n) std::abort();
    }
  }
  for (int v : {-7, 0, 3, 1000001}) {
    nav->DoorPoint(v);
    nav->KeyManPoint(v);
    nav->TakeRingPoint(v);
  }
  for (int i = 0; i < 10; ++i) nav->TakeStartPoint(i * 3 - 4);
  return 0;
}
