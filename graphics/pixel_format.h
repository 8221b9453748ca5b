#pragma once
// Pixel-format codes of the surfaces and the format records they stand for.
// Code 4 is the game's normal 8-bit palettised format; surfaces can be made in
// codes 4, 7 (RGB555) and 9 (RGB565).
#include <cstdint>

// Format flags, as the records carry them.
constexpr uint32_t kPfRgb = 0x40;
constexpr uint32_t kPfPaletteIndexed4 = 0x08;
constexpr uint32_t kPfPaletteIndexed8 = 0x20;
constexpr uint32_t kPfPaletteIndexed1 = 0x800;
constexpr uint32_t kPfPaletteIndexed2 = 0x1000;

constexpr int kFormatIndexed8 = 4;
constexpr int kFormatRgb555 = 7;
constexpr int kFormatRgb565 = 9;

// A colour of 8-bit parts as one pixel of a 16-bit format (565 for code 9,
// else 555).
inline uint16_t PackRgb16(int formatCode, uint32_t r, uint32_t g, uint32_t b) {
  return static_cast<uint16_t>(formatCode == kFormatRgb565 ? ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)
                                                           : ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
}

struct PixelFormat {
  uint32_t size = 32;
  uint32_t flags = 0;
  uint32_t fourCC = 0;
  uint32_t rgbBitCount = 0;
  uint32_t redMask = 0;
  uint32_t greenMask = 0;
  uint32_t blueMask = 0;
  uint32_t alphaMask = 0;
};

// The record of a code 1..14; any other code gives an empty record.
PixelFormat MakePixelFormat(int code);
// Bits per pixel of a code (0 for code 5 and unknown codes).
int PixelFormatBits(int code);
// The code of a record, by its bit count and masks (0 when unknown).
int PixelFormatCode(const PixelFormat& format);
// Bytes per pixel of the formats a surface can have (1 or 2), 0 otherwise.
int SurfaceBytesPerPixel(int code);
