// Fuzz target of the .bmp reader: whatever the bytes, loading into 8 and 16
// bits, drawing the result and saving it stay inside the buffers.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/bmp.h"
#include "graphics/palette.h"
#include "graphics/surface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PaletteEntry entries[256];
  for (int i = 0; i < 256; ++i) entries[i] = {uint8_t(i), uint8_t(i * 5), uint8_t(255 - i), 0};
  DDPalette* palette = new DDPalette(kDisplayPaletteCaps, entries);

  // 8 bits, true-colour pictures matched to the palette already attached.
  DDSurface picture(2, 2, kFormatIndexed8);
  picture.SetPalette(palette);
  if (picture.LoadBmp(data, size) == kDDOk) {
    DDSurface target(64, 48, kFormatIndexed8);
    target.BltKeyed(-5, 40, picture.GetWidth(), picture.GetHeight(), &picture, 0, 0);
    BlitSurfaceRect(&target, 3, -2, 70, 9, &picture, 1, 1, picture.GetWidth(),
                    picture.GetHeight(), kBltKeySrc, nullptr);
    picture.RemapToPaletteRange(palette, 10, 20);
  }
  // 16 bits.
  DDSurface wide;
  wide.LoadBmp(data, size, 0, kFormatRgb565);

  // The header alone, copied as DIB rows into a small surface.
  if (size >= 40) {
    BitmapInfoHeader h = ReadBitmapInfoHeader(data);
    DDSurface small(16, 8, kFormatIndexed8);
    CopyDibToSurface(h, data + 40, size - 40, &small);
  }
  palette->Release();
  return 0;
}
