// Fuzz target of the tile-picture reader: a damaged file is refused, a good one
// draws any window without leaving the target.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/tile_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TileMapPicture picture;
  if (!picture.LoadFromMemory(std::vector<uint8_t>(data, data + size))) return 0;
  std::vector<uint8_t> target(40 * 30, 0);
  const int sx = size > 40 ? data[40] % 64 - 8 : 0, sy = size > 41 ? data[41] % 64 - 8 : 0;
  picture.DrawToBuffer(target.data(), 40, 40, 30, 0, 0, 40, 30, 0, 0);
  picture.DrawToBuffer(target.data(), 40, 40, 30, -5, 3, 37, 29, sx, sy);
  picture.DrawToBuffer(target.data(), 40, 40, 30, 7, -2, 1000, 1000, picture.GetWidth() - 3, 1);
  std::vector<uint8_t> palette(1024);
  for (size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<uint8_t>(i * 13);
  picture.RemapColours(palette.data(), 0, 255);
  picture.DrawToBuffer(target.data(), 40, 40, 30, 1, 1, 9, 9, 2, 3);
  return 0;
}
