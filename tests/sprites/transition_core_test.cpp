// The ordered-dither dissolve, as a table of steps, types and pixel widths.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/transition_core.h"

namespace {

TEST(Dissolve, MatrixHoldsEachStepOnce) {
  std::vector<int> seen(65, 0);
  for (auto& row : kDissolveMatrix)
    for (uint8_t m : row) ++seen.at(m);
  for (int v = 1; v <= 64; ++v) EXPECT_EQ(seen[v], 1) << v;
}

// For each step: how many of the 64 pixels of every 8x8 cell show the end
// picture, for every type and pixel width.
TEST(Dissolve, StepTable) {
  struct Row {
    unsigned t;
    int type;
    int perCell;  // pixels of each 8x8 cell that show the end picture
  } table[] = {
      {0, kTransitionPlain, 0},  {1, kTransitionPlain, 1},   {2, kTransitionPlain, 2},
      {33, kTransitionPlain, 33}, {64, kTransitionPlain, 64}, {65, kTransitionPlain, 0},
      {1000, kTransitionPlain, 0},
      // The end picture is transparent (the key) on its even columns: half of
      // the cell never changes.
      {64, kTransitionSkipKeyed, 32}, {16, kTransitionSkipKeyed, 0}, {17, kTransitionSkipKeyed, 1},
      // The destination is transparent on even columns only: only those change.
      {64, kTransitionIntoKeyed, 32}, {1, kTransitionIntoKeyed, 1}, {16, kTransitionIntoKeyed, 16},
      {64, 3, 0}, {64, -1, 0},
  };
  const int w = 16, h = 16;
  for (int bpp : {1, 2, 4}) {
    const uint32_t key = 1, dstValue = 0x0505, endValue = 0x7777;
    for (const Row& r : table) {
      std::vector<uint8_t> dst(w * h * bpp), src(w * h * bpp);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const uint32_t d = (r.type == kTransitionIntoKeyed && x % 2 == 0) ? key : dstValue;
          const uint32_t s = (r.type == kTransitionSkipKeyed && x % 2 == 0) ? key : endValue;
          std::memcpy(&dst[(y * w + x) * bpp], &d, bpp);
          std::memcpy(&src[(y * w + x) * bpp], &s, bpp);
        }
      DissolvePixels(dst.data(), w * bpp, src.data(), w * bpp, w, h, bpp, r.type, key, r.t, 0, 0);
      for (int cy = 0; cy < 2; ++cy)
        for (int cx = 0; cx < 2; ++cx) {
          int changed = 0;
          for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
              uint32_t v = 0;
              std::memcpy(&v, &dst[((cy * 8 + y) * w + cx * 8 + x) * bpp], bpp);
              changed += v == (endValue & (bpp == 1 ? 0xFF : 0xFFFF));
            }
          EXPECT_EQ(changed, r.perCell) << "bpp " << bpp << " t " << r.t << " type " << r.type;
        }
    }
  }
}

TEST(Dissolve, StepOrderFollowsTheMatrixFromTheAreaCorner) {
  // Step 1 of a 10-wide area changes columns 0 and 8 of row 0 only, and a
  // clipped area that starts at column 3, row 4 of the rectangle uses that
  // part of the matrix.
  std::vector<uint8_t> dst(10 * 8, 0), src(10 * 8, 9);
  DissolvePixels(dst.data(), 10, src.data(), 10, 10, 8, 1, kTransitionPlain, 1, 1, 0, 0);
  for (int i = 0; i < 80; ++i) EXPECT_EQ(dst[i], (i == 0 || i == 8) ? 9 : 0) << i;
  std::vector<uint8_t> part(5 * 4, 0), partSrc(5 * 4, 9);
  DissolvePixels(part.data(), 5, partSrc.data(), 5, 5, 4, 1, kTransitionPlain, 1, 2, 4, 3);
  // Matrix row 4 holds 2 at column 4 (area column 1 of the part).
  for (int i = 0; i < 20; ++i) EXPECT_EQ(part[i], i == 1 ? 9 : 0) << i;
}

TEST(Dissolve, ThreeBytePixelsAreNotDissolved) {
  std::vector<uint8_t> dst(8 * 8 * 3, 0), src(8 * 8 * 3, 9);
  DissolvePixels(dst.data(), 24, src.data(), 24, 8, 8, 3, kTransitionPlain, 1, 64, 0, 0);
  EXPECT_EQ(dst, std::vector<uint8_t>(8 * 8 * 3, 0));
}

}  // namespace
