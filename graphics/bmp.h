#pragma once
// The .bmp picture layout (little-endian file header, 40-byte info header,
// RGBQUAD table, rows padded to 4 bytes, bottom-up unless the height is
// negative) and the copy of such pixel rows into a surface.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/palette.h"

class DDSurface;

constexpr uint32_t kBiRgb = 0;

// The 40-byte info header, field for field.
struct BitmapInfoHeader {
  uint32_t size = 40;
  int32_t width = 0;
  int32_t height = 0;  // negative: rows top-down
  uint16_t planes = 1;
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
  uint32_t clrUsed = 0;
  uint32_t clrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40, "info header is 40 bytes");

// Reads an info header from 40 little-endian bytes.
BitmapInfoHeader ReadBitmapInfoHeader(const uint8_t* bytes);
// Bytes of one pixel row of a DIB: width * bits rounded up to 4 bytes.
size_t DibRowBytes(int width, int bitCount);

// Copies uncompressed 8-bit (or, into 16-bit surfaces, 16-bit) DIB rows into
// the top-left of a surface of that depth, turning bottom-up rows the right way.
// `bitsSize` bounds the reads. 0 done; 1 bad header or too few bytes; 4 no
// surface; 5 depth mismatch.
uint16_t CopyDibToSurface(const BitmapInfoHeader& header, const uint8_t* bits, size_t bitsSize,
                          DDSurface* surface);

// Unpacks one stored DIB row of `width` pixels: palettised rows (1, 4 or 8
// bits) into one index a pixel, true-colour rows (16 bits as x-5-5-5, 24 or
// 32) into blue, green, red bytes. False for any other bit count.
bool UnpackDibRow(const uint8_t* src, int width, int bitCount, uint8_t* dst);

// A decoded picture: rows top-down, packed (1 byte a pixel for palettised
// pictures, 3 bytes blue-green-red for 24 and 32-bit ones).
struct BmpImage {
  int width = 0;
  int height = 0;
  int bitCount = 0;          // as in the file: 1, 4, 8, 24 or 32
  bool palettised = false;   // pixels are indices into `palette`
  RgbQuad palette[256] = {}; // unused entries are black
  std::vector<uint8_t> pixels;
};

// Decodes an uncompressed .bmp held in memory; every size and offset is
// checked against `size`. False for anything malformed or unsupported.
bool DecodeBmp(const uint8_t* data, size_t size, BmpImage* out);
// Encodes 8-bit rows (top-down, `pitch` bytes apart) with a 256-entry palette.
std::vector<uint8_t> EncodeBmp8(const uint8_t* pixels, int width, int height, int pitch,
                                const PaletteEntry palette[256]);
// Saves a 16-bit surface as a 24-bit .bmp (screenshots of the 16-bit mode).
uint16_t SaveBmp24(const DDSurface& surface, const char* path);
// Reads a whole picture file through the data-file reader (plain or
// PKC-compressed). False when it cannot be read or is larger than `maxBytes`;
// then *error (when given) holds the reader's code, kPkcErrMemory for a file
// too large.
bool ReadPictureFile(const std::string& path, std::vector<uint8_t>* out,
                     size_t maxBytes = 64u << 20, uint32_t* error = nullptr);
