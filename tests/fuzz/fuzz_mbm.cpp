// Fuzz target of the .mbm sprite reader and the run-length decoder: whatever
// the bytes, opening, querying and drawing the frames stays inside the
// buffers.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/display.h"
#include "graphics/palette.h"
#include "graphics/rle_codec.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The same bytes read as a bare run-length stream of a small frame.
  if (size >= 2) {
    const int w = 1 + data[0] % 40, h = 1 + data[1] % 20;
    std::vector<uint8_t> target(32 * 24, 0);
    ValidateTrle(data + 2, size - 2, w, h);
    BlitTrleClipped(data + 2, size - 2, w, h, target.data(), 32, 32, 24, static_cast<int8_t>(data[0]) / 8,
                    static_cast<int8_t>(data[1]) / 8, BlitRect{0, 0, 32, 24});
  }

  const uint32_t flags = (size & 1) ? 0x00u : 0x28u;
  Sprite sprite;
  sprite.OpenMemory(std::vector<uint8_t>(data, data + size), flags);
  const int count = sprite.FrameCount();
  if (count == 0) return 0;
  DDSurface target(64, 48, 4);
  uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(255 - i);
  PaletteEntry entries[256] = {};
  for (int i = 0; i < 256; ++i) entries[i] = {uint8_t(i), uint8_t(i * 3), uint8_t(i * 7), 0};
  DDPalette* palette = CreateDisplayPalette(kDisplayPaletteCaps, entries);
  for (int n = 0; n <= count + 1 && n < 6; ++n) {
    sprite.GetFrameName(n);
    sprite.GetFrameDataSize(n);
    sprite.ReadFrameBits(n);
    const BitmapInfoHeader* h = sprite.GetFrameInfo(n);
    sprite.DrawFrame(n, &target, -3, 40);
    sprite.DrawFrame(n, &target, 60, -2);
    sprite.DrawFrameVariant(n, &target, 5, 5, table, 1 + n % 2);
    if (h) {
      const int rows = h->height < 0 ? -h->height : h->height;
      std::vector<uint8_t> buffer(static_cast<size_t>(h->width) * rows);
      sprite.DrawFrameToBuffer(n, buffer.data(), h->width, 1);
    }
    sprite.ReplaceColour(n, 3, 4);
    sprite.GetFrameSurface(n);
  }
  sprite.MatchPalette(palette, 0, 256, 1, 0);
  sprite.DrawFrame(1, &target, 0, 0);
  palette->Release();
  return 0;
}
