#include "graphics/pixel_format.h"

PixelFormat MakePixelFormat(int code) {
  PixelFormat f;
  auto rgb = [&f](uint32_t bits, uint32_t r, uint32_t g, uint32_t b) {
    f.flags = kPfRgb;
    f.rgbBitCount = bits;
    f.redMask = r;
    f.greenMask = g;
    f.blueMask = b;
  };
  switch (code) {
    case 1: f.flags = kPfRgb | kPfPaletteIndexed1; f.rgbBitCount = 1; break;
    case 2: f.flags = kPfRgb | kPfPaletteIndexed2; f.rgbBitCount = 2; break;
    case 3: f.flags = kPfRgb | kPfPaletteIndexed4; f.rgbBitCount = 4; break;
    case 4: f.flags = kPfRgb | kPfPaletteIndexed8; f.rgbBitCount = 8; break;
    case 6: rgb(8, 0xE0, 0x1C, 0x03); break;
    case 7: rgb(16, 0x7C00, 0x03E0, 0x001F); break;
    case 8: rgb(16, 0x001F, 0x03E0, 0x7C00); break;
    case 9: rgb(16, 0xF800, 0x07E0, 0x001F); break;
    case 10: rgb(16, 0x001F, 0x07E0, 0xF800); break;
    case 11: rgb(24, 0xFF0000, 0xFF00, 0xFF); break;
    case 12: rgb(24, 0xFF, 0xFF00, 0xFF0000); break;
    case 13: rgb(32, 0xFF0000, 0xFF00, 0xFF); break;
    case 14: rgb(32, 0xFF, 0xFF00, 0xFF0000); break;
    default: break;  // 5 and unknown codes: empty
  }
  return f;
}

int PixelFormatBits(int code) { return static_cast<int>(MakePixelFormat(code).rgbBitCount); }

int PixelFormatCode(const PixelFormat& f) {
  switch (f.rgbBitCount) {
    case 1: return 1;
    case 2: return 2;
    case 4: return 3;
    case 8: return (f.flags & kPfPaletteIndexed8) ? 4 : 6;
    case 16:
      if (f.greenMask == 0x3E0) return f.redMask == 0x7C00 ? 7 : 8;
      return f.redMask == 0xF800 ? 9 : 10;
    case 24: return f.redMask == 0xFF0000 ? 11 : 12;
    case 32: return f.redMask == 0xFF0000 ? 13 : 14;
    default: return 0;
  }
}

int SurfaceBytesPerPixel(int code) {
  if (code == kFormatIndexed8) return 1;
  if (code == kFormatRgb555 || code == kFormatRgb565) return 2;
  return 0;
}
