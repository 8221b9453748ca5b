#include "events/maze3d/rc_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include "base/byte_order.h"
#include "events/maze3d/rc_format.h"
#include "events/maze3d/rc_tables.h"
#include "events/maze3d/rc_world.h"

namespace {

void Put16(RcBytes& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void Put32(RcBytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
void PutMap(RcBytes& b, const uint16_t* map) {
  for (int i = 0; i < kMazeMapEntries; ++i) Put16(b, map[i]);
}

}  // namespace

namespace {
int32_t Fixed(double v, double scale) {
  const double r = std::nearbyint(v * scale);
  if (r > 2147483647.0) return INT32_MAX;
  if (r < -2147483648.0) return INT32_MIN;
  return int32_t(r);
}
}  // namespace

void RcComputeEngineTables(int32_t* const t[8], int32_t* wallSteps) {
  for (int a = 0; a < kMazeTurn; ++a) {
    const double th = a * 2.0 * M_PI / kMazeTurn;
    const bool xAxis = a % 900 == 0;    // 0, 900: along x
    const bool yAxis = a % 900 == 450;  // 450, 1350: along y
    const double s = xAxis ? 0.0 : yAxis ? (a == 450 ? 1.0 : -1.0) : std::sin(th);
    const double c = yAxis ? 0.0 : xAxis ? (a == 0 ? 1.0 : -1.0) : std::cos(th);
    t[0][a] = Fixed(s, 65536);
    t[1][a] = Fixed(c, 65536);
    t[2][a] = yAxis ? 0 : Fixed(s / c, 65536);
    t[3][a] = xAxis ? 0 : Fixed(256.0 / s, 1);
    t[4][a] = yAxis ? 0 : Fixed(1024.0 / c, 1);
    t[5][a] = xAxis ? 0 : Fixed(c / s, 65536);
    t[6][a] = xAxis ? 0 : Fixed(32.0 * c / s, 65536);
    t[7][a] = yAxis ? 0 : Fixed(32.0 * s / c, 65536);
  }
  for (int d = 0; d < kWallStepEntries; ++d) wallSteps[d] = d * 8192;
}

RcBytes RcWriteEngineFile(const int32_t* const angleTables[8], const int32_t* wallSteps) {
  RcBytes b;
  b.reserve(kRcEngineFileSize);
  Put32(b, kRcEngineMagic);
  Put32(b, kRcEngineVersion);
  Put32(b, kRcEngineColumns);
  Put32(b, kMazeTurn);          // unread: entries of an angle table
  Put32(b, kWallStepEntries);   // unread: entries of the wall step table
  for (int t = 0; t < kRcAngleTableCount; ++t)
    for (int a = 0; a < kMazeTurn; ++a) Put32(b, uint32_t(angleTables[t][a]));
  for (int d = 0; d < kWallStepEntries; ++d) Put32(b, uint32_t(wallSteps[d]));
  return b;
}

RcBytes RcWriteLevel(const MazeLevel& level, bool zoneTable) {
  const uint32_t floorBytes = kRcMapBytes + level.floorTextureCount * kRcFloorTextureBytes;
  const uint32_t floorOffset = kRcLevelFirstSection;
  const uint32_t wallOffset = floorOffset + floorBytes;
  RcBytes b;
  Put32(b, kRcLevelMagic);
  Put32(b, floorOffset);
  Put32(b, 1);  // unread: format revision
  Put32(b, wallOffset);
  Put32(b, 0);
  Put32(b, 128);
  Put32(b, 128);
  Put16(b, 32);
  Put16(b, 32);
  Put32(b, level.floorTextureCount);
  Put32(b, 0);
  Put32(b, level.wallTextureCount);
  // The gap: zones and monster places, or nothing at all.
  const size_t gap = b.size();
  if (!zoneTable) {
    b.resize(gap + kRcLevelGapSize, 0);
  } else {
    Put32(b, kRcZoneMagic);
    Put32(b, level.zoneCount);
    Put32(b, level.monsterCount);
    for (int k = 0; k < kRcZoneRecords; ++k) {
      const MazeZoneRecord& z = level.zones[k];
      const bool used = uint32_t(k) < level.zoneCount;
      for (int32_t v : {z.x1, z.y1, z.x2, z.y2}) Put32(b, used ? uint32_t(v) : 0);
      for (int m = 0; m < 4; ++m) Put32(b, used ? uint32_t(z.objectId[m]) : 0xFFFFFFFFu);
    }
    for (int k = 0; k < kRcMonsterRecords; ++k) {
      const MazeMonsterPlace& p = level.monsters[k];
      const bool used = uint32_t(k) < level.monsterCount;
      for (int32_t v : {p.heading, p.x, p.y}) Put32(b, used ? uint32_t(v) : 0);
    }
    b.resize(gap + kRcLevelGapSize, 0);
  }
  PutMap(b, level.floorMap);
  if (level.floorTextureCount)
    b.insert(b.end(), level.floorTextures, level.floorTextures + level.floorTextureCount * kRcFloorTextureBytes);
  PutMap(b, level.xWalls);
  PutMap(b, level.yWalls);
  if (level.wallTextureCount)
    b.insert(b.end(), level.wallTextures, level.wallTextures + level.wallTextureCount * kRcWallTextureBytes);
  return b;
}

RcBytes RcEncodeSpriteFrame(const uint8_t* texels) {
  RcBytes b;
  for (int x = 0; x < kRcSpriteSize; ++x) {
    RcBytes codes;
    int y = 0;
    // The last opaque texel: the transparent rest of the column needs no code.
    int last = kRcSpriteSize - 1;
    while (last >= 0 && texels[last * kRcSpriteSize + x] == 0) --last;
    while (y <= last) {
      const bool opaque = texels[y * kRcSpriteSize + x] != 0;
      int run = 0;
      while (y + run <= last && (texels[(y + run) * kRcSpriteSize + x] != 0) == opaque) ++run;
      Put16(codes, uint32_t((opaque ? kRcCodeLiteral : kRcCodeSkip) | run));
      if (opaque)
        for (int k = 0; k < run; ++k) codes.push_back(texels[(y + k) * kRcSpriteSize + x]);
      y += run;
    }
    Put16(b, uint32_t(codes.size()));
    b.insert(b.end(), codes.begin(), codes.end());
  }
  return b;
}

RcBytes RcWriteSpriteFile(const uint8_t palette[1024], const std::vector<RcBytes>& frames) {
  RcBytes b;
  Put32(b, kRcSecrMagic);
  Put32(b, uint32_t(frames.size()));  // unread: the number of frames
  Put32(b, 0);                        // the total size, set below
  b.resize(kRcSecrHeaderSize, 0);
  b.insert(b.end(), palette, palette + 1024);
  for (const RcBytes& f : frames) {
    Put32(b, uint32_t(f.size()));
    b.insert(b.end(), f.begin(), f.end());
  }
  PutLe32(b.data() + kRcSecrTotalField, uint32_t(b.size()));
  return b;
}

RcBytes RcWriteNavNodes(const RcNavData& nav) {
  const int n = int(nav.nodes.size());
  RcBytes b;
  Put32(b, uint32_t(n));
  for (const auto& p : nav.points) {
    Put32(b, uint32_t(p[0]));
    Put32(b, uint32_t(p[1]));
  }
  for (const RcNavData::Node& node : nav.nodes)
    for (int32_t v : node.neighbour) Put32(b, uint32_t(v));
  std::vector<int> byX(static_cast<size_t>(n));
  std::iota(byX.begin(), byX.end(), 0);
  std::stable_sort(byX.begin(), byX.end(), [&](int a, int c) { return nav.nodes[a].x < nav.nodes[c].x; });
  for (int k : byX) {
    Put32(b, uint32_t(k));
    Put32(b, uint32_t(nav.nodes[k].x));
  }
  for (int k = 0; k < n; ++k) {
    Put32(b, 0);  // filled in by the reader: the node's place in the x order
    Put32(b, uint32_t(nav.nodes[k].y));
  }
  Put32(b, uint32_t(nav.areas.size()));
  for (const auto& a : nav.areas)
    for (int32_t v : a) Put32(b, uint32_t(v));
  return b;
}

RcBytes RcWriteNavHops(const RcNavData& nav) { return nav.nextHop; }
