#include "graphics/transition_core.h"

#include <cstring>

const uint8_t kDissolveMatrix[8][8] = {
    {1, 33, 9, 41, 3, 35, 11, 43},  {49, 17, 57, 25, 51, 19, 59, 27},
    {13, 45, 5, 37, 15, 47, 7, 39}, {61, 29, 53, 21, 63, 31, 55, 23},
    {4, 36, 12, 44, 2, 34, 10, 42}, {52, 20, 60, 28, 50, 18, 58, 26},
    {16, 48, 8, 40, 14, 46, 6, 38}, {64, 32, 56, 24, 62, 30, 54, 22},
};

namespace {

template <typename Pixel>
void Dissolve(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int width,
              int height, int type, uint32_t key, unsigned t, int firstRow, int firstColumn) {
  const Pixel k = static_cast<Pixel>(key);
  for (int r = 0; r < height; ++r) {
    const uint8_t* m = kDissolveMatrix[(firstRow + r) & 7];
    uint8_t* d = dst + r * dstPitch;
    const uint8_t* s = src + r * srcPitch;
    for (int c = 0; c < width; ++c) {
      if (m[(firstColumn + c) & 7] > t) continue;
      Pixel sp, dp;
      std::memcpy(&sp, s + c * sizeof(Pixel), sizeof(Pixel));
      if (type == kTransitionSkipKeyed && sp == k) continue;
      if (type == kTransitionIntoKeyed) {
        std::memcpy(&dp, d + c * sizeof(Pixel), sizeof(Pixel));
        if (dp != k) continue;
      }
      std::memcpy(d + c * sizeof(Pixel), &sp, sizeof(Pixel));
    }
  }
}

}  // namespace

void DissolvePixels(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch,
                    int width, int height, int bytesPerPixel, int type, uint32_t key, unsigned t,
                    int firstRow, int firstColumn) {
  if (!dst || !src || width <= 0 || height <= 0 || t > 64) return;
  if (type < kTransitionPlain || type > kTransitionIntoKeyed || firstRow < 0 || firstColumn < 0) return;
  switch (bytesPerPixel) {
    case 1:
      Dissolve<uint8_t>(dst, dstPitch, src, srcPitch, width, height, type, key, t, firstRow, firstColumn);
      break;
    case 2:
      Dissolve<uint16_t>(dst, dstPitch, src, srcPitch, width, height, type, key, t, firstRow, firstColumn);
      break;
    case 4:
      Dissolve<uint32_t>(dst, dstPitch, src, srcPitch, width, height, type, key, t, firstRow, firstColumn);
      break;
    default:
      break;  // 3-byte pixels are not dissolved
  }
}
