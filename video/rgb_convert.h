#pragma once
// Colour conversion of decoded cut-scene frames into the display: the lookup
// tables indexed by a 15-bit RGB555 value, the split palette of the 8-bit
// display, and one converter per source depth, destination format and scale
// mode (1x, 2x doubled, 2x with scan lines).
//
// Source frames are device-independent pictures: 16-bit RGB555 (bits 14-10
// red, 9-5 green, 4-0 blue, little-endian) or 24-bit blue-green-red, rows
// padded to 4 bytes and stored bottom-up.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/palette.h"

// The three tables, each built on first use and kept until exit. Only the
// 32768 entries of real RGB555 values exist; callers mask the unused top bit.
class RgbLookupTables {
 public:
  // Two palette indexes per colour for the split palette: low byte the
  // red-green index, high byte the blue-green index.
  const uint16_t* PairTable();
  // RGB555 -> RGB565 (green's lowest bit 0).
  const uint16_t* Rgb565Table();
  // The RGB565 value in both halves, for writing two equal pixels at once.
  const uint32_t* DoubledRgb565Table();

 private:
  std::vector<uint16_t> pair_;
  std::vector<uint16_t> rgb565_;
  std::vector<uint32_t> doubled_;
};

inline constexpr int kRgb555Colours = 32768;

// The one set of tables of the program.
RgbLookupTables& GetRgbLookupTables();

// Single entries, by the same formulas as the tables.
uint16_t PairTableEntry(uint16_t rgb555);
uint16_t Rgb565TableEntry(uint16_t rgb555);
// RGB555 of a 24-bit pixel (each channel's top five bits).
inline uint16_t Rgb24To555(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
}
// RGB565 of a 24-bit pixel (green keeps six bits).
inline uint16_t Rgb24To565(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

// The 256 entries of the 8-bit display while a cut-scene plays: 0-127 red
// and green, 128-255 blue and green (16 levels of red and blue, 8 of green).
void BuildSplitPalette(PaletteEntry out[256]);

enum VideoScaleMode : int {
  kVideoScale1x = 0,
  kVideoScale2xDoubled = 1,    // every pixel twice across, every row on two lines
  kVideoScale2xScanLines = 2,  // every pixel twice across, every row on one line, a line skipped
};

// Bytes of one stored row of a picture: width * bits / 8 rounded up to 4.
size_t DibStride(int width, int bitCount);

// A source picture as the converters read it: `top` is the row shown at the
// top, `rowStep` the byte distance to the row shown below it (negative for
// bottom-up pictures).
struct VideoFrameSource {
  const uint8_t* top = nullptr;
  ptrdiff_t rowStep = 0;
  int width = 0;
  int height = 0;
  int bitCount = 0;  // 16 (RGB555) or 24
};

// A bottom-up picture whose first stored row is the bottom one.
VideoFrameSource BottomUpFrame(const uint8_t* bits, int width, int height, int bitCount);

// A locked destination: pixels, pitch in bytes, size and format code (4
// 8-bit split palette, 7 RGB555, 9 RGB565).
struct VideoFrameDest {
  uint8_t* bits = nullptr;
  int pitch = 0;
  int width = 0;
  int height = 0;
  int formatCode = 0;
};

// Converts the picture onto the destination with its top-left corner at x, y
// (not negative). What does not fit the destination is cut off. False when
// the combination of depth and format has no converter (nothing drawn).
bool ConvertVideoFrame(const VideoFrameSource& src, const VideoFrameDest& dst, int x, int y,
                       VideoScaleMode mode);
