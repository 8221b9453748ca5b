#include "graphics/sprite_palette.h"

#include <algorithm>
#include <climits>

int NearestQuad(const uint8_t* quads, int first, int count, int red, int green, int blue, int excluded) {
  first = std::clamp(first, 0, 256);
  const int last = std::clamp(first + std::max(count, 0), first, 256);
  int best = -1, bestDistance = INT_MAX;
  for (int i = first; i < last; ++i) {
    if (i == excluded) continue;
    const int db = quads[i * 4] - blue, dg = quads[i * 4 + 1] - green, dr = quads[i * 4 + 2] - red;
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

void BuildNearestTable(const uint8_t* sourceQuads, const uint8_t* targetQuads, int first, int count,
                       bool keepTransparent, uint8_t table[256]) {
  for (int i = 0; i < 256; ++i) {
    if (keepTransparent && i == 1) {
      table[i] = 1;
      continue;
    }
    const int n = NearestQuad(targetQuads, first, count, sourceQuads[i * 4 + 2], sourceQuads[i * 4 + 1],
                              sourceQuads[i * 4], keepTransparent ? 1 : -1);
    table[i] = static_cast<uint8_t>(n < 0 ? i : n);
  }
}
