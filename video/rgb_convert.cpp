#include "video/rgb_convert.h"

#include <algorithm>
#include <cstring>

namespace {

inline uint16_t Load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}
inline void Store16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }
inline void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

// The RGB555 value of pixel i of a row (the unused top bit dropped, so that
// it always indexes inside the tables).
inline uint16_t Pixel555(const uint8_t* row, int i, int bitCount) {
  if (bitCount == 16) return Load16(row + 2 * i) & 0x7fff;
  const uint8_t* p = row + 3 * i;
  return Rgb24To555(p[2], p[1], p[0]);
}

// The pixel in the destination's 16-bit format.
inline uint16_t Pixel16(const uint8_t* row, int i, int bitCount, int formatCode,
                        const uint16_t* rgb565) {
  if (bitCount == 24) {
    const uint8_t* p = row + 3 * i;
    return formatCode == 9 ? Rgb24To565(p[2], p[1], p[0]) : Rgb24To555(p[2], p[1], p[0]);
  }
  uint16_t v = Load16(row + 2 * i);
  return formatCode == 9 ? rgb565[v & 0x7fff] : v;
}

}  // namespace

uint16_t PairTableEntry(uint16_t v) {
  int red4 = (v >> 11) & 15;   // top four bits of red
  int green5 = (v >> 5) & 31;
  int blue4 = (v >> 1) & 15;   // top four bits of blue
  int low = red4 * 8 + (green5 >> 2);
  int high = 128 + blue4 * 8 + (std::min(green5 + 2, 31) >> 2);
  return static_cast<uint16_t>(low | (high << 8));
}

uint16_t Rgb565TableEntry(uint16_t v) {
  // Red and green move up one bit; green's new lowest bit stays 0 (a mask
  // of 0xffe0 would carry blue's top bit into it).
  return static_cast<uint16_t>(((v << 1) & 0xffc0) | (v & 31));
}

const uint16_t* RgbLookupTables::PairTable() {
  if (pair_.empty()) {
    pair_.resize(kRgb555Colours);
    for (int v = 0; v < kRgb555Colours; ++v) pair_[v] = PairTableEntry(static_cast<uint16_t>(v));
  }
  return pair_.data();
}

const uint16_t* RgbLookupTables::Rgb565Table() {
  if (rgb565_.empty()) {
    rgb565_.resize(kRgb555Colours);
    for (int v = 0; v < kRgb555Colours; ++v) rgb565_[v] = Rgb565TableEntry(static_cast<uint16_t>(v));
  }
  return rgb565_.data();
}

const uint32_t* RgbLookupTables::DoubledRgb565Table() {
  if (doubled_.empty()) {
    const uint16_t* single = Rgb565Table();
    doubled_.resize(kRgb555Colours);
    for (int v = 0; v < kRgb555Colours; ++v) doubled_[v] = uint32_t{single[v]} * 0x10001u;
  }
  return doubled_.data();
}

RgbLookupTables& GetRgbLookupTables() {
  static RgbLookupTables tables;
  return tables;
}

void BuildSplitPalette(PaletteEntry out[256]) {
  for (int i = 0; i < 128; ++i) {
    out[i] = PaletteEntry{static_cast<uint8_t>((i >> 3) * 16), static_cast<uint8_t>((i & 7) * 16),
                          0, 0};
    out[128 + i] = PaletteEntry{0, static_cast<uint8_t>((i & 7) * 16),
                                static_cast<uint8_t>((i >> 3) * 16), 0};
  }
}

size_t DibStride(int width, int bitCount) {
  if (width <= 0 || bitCount <= 0) return 0;
  size_t bits = static_cast<size_t>(width) * static_cast<size_t>(bitCount);
  return ((bits + 31) / 32) * 4;
}

VideoFrameSource BottomUpFrame(const uint8_t* bits, int width, int height, int bitCount) {
  VideoFrameSource s;
  ptrdiff_t stride = static_cast<ptrdiff_t>(DibStride(width, bitCount));
  s.top = (bits && height > 0) ? bits + stride * (height - 1) : bits;
  s.rowStep = -stride;
  s.width = width;
  s.height = height;
  s.bitCount = bitCount;
  return s;
}

bool ConvertVideoFrame(const VideoFrameSource& src, const VideoFrameDest& dst, int x, int y,
                       VideoScaleMode mode) {
  const int bits = src.bitCount;
  const int code = dst.formatCode;
  if ((bits != 16 && bits != 24) || (code != 4 && code != 7 && code != 9)) return false;
  if (!src.top || !dst.bits || src.width <= 0 || src.height <= 0 || x < 0 || y < 0) return true;
  const int scale = mode == kVideoScale1x ? 1 : 2;
  int cols = std::min(src.width, (dst.width - x) / scale);
  int rows = std::min(src.height, (dst.height - y) / scale);
  if (cols <= 0 || rows <= 0) return true;
  auto srcRow = [&](int r) { return src.top + src.rowStep * r; };
  auto dstLine = [&](int line) { return dst.bits + static_cast<ptrdiff_t>(dst.pitch) * (y + line); };
  RgbLookupTables& tables = GetRgbLookupTables();

  if (code == 4) {
    const uint16_t* pair = tables.PairTable();
    if (mode == kVideoScale1x) {
      // Checkerboard: rows and pixels in pairs (an odd last row or column is
      // left out); the first pixel of a pair gives both bytes, in the order
      // red-green, blue-green on the first row and the other way round on
      // the second, so that the eye mixes each 2x2 block into the colour.
      rows &= ~1;
      cols &= ~1;
      for (int r = 0; r < rows; ++r) {
        const uint8_t* s = srcRow(r);
        uint8_t* d = dstLine(r) + x;
        const bool second = (r & 1) != 0;
        for (int i = 0; i < cols; i += 2) {
          uint16_t p = pair[Pixel555(s, i, bits)];
          uint8_t lo = static_cast<uint8_t>(p), hi = static_cast<uint8_t>(p >> 8);
          d[i] = second ? hi : lo;
          d[i + 1] = second ? lo : hi;
        }
      }
      return true;
    }
    for (int r = 0; r < rows; ++r) {
      const uint8_t* s = srcRow(r);
      uint8_t* d0 = dstLine(2 * r) + x;
      uint8_t* d1 = mode == kVideoScale2xDoubled ? dstLine(2 * r + 1) + x : nullptr;
      for (int i = 0; i < cols; ++i) {
        uint16_t p = pair[Pixel555(s, i, bits)];
        uint8_t lo = static_cast<uint8_t>(p), hi = static_cast<uint8_t>(p >> 8);
        d0[2 * i] = lo;
        d0[2 * i + 1] = hi;
        if (d1) {
          d1[2 * i] = hi;
          d1[2 * i + 1] = lo;
        }
      }
    }
    return true;
  }

  // 16-bit destinations.
  const uint16_t* rgb565 = code == 9 ? tables.Rgb565Table() : nullptr;
  if (mode == kVideoScale1x) {
    for (int r = 0; r < rows; ++r) {
      const uint8_t* s = srcRow(r);
      uint8_t* d = dstLine(r) + 2 * x;
      if (bits == 16 && code == 7) {
        std::memcpy(d, s, static_cast<size_t>(cols) * 2);
        continue;
      }
      for (int i = 0; i < cols; ++i) Store16(d + 2 * i, Pixel16(s, i, bits, code, rgb565));
    }
    return true;
  }
  // A 24-bit source has no scan-line form: its rows are always doubled.
  const bool twoLines = mode == kVideoScale2xDoubled || bits == 24;
  const uint32_t* doubled = (code == 9 && bits == 16) ? tables.DoubledRgb565Table() : nullptr;
  for (int r = 0; r < rows; ++r) {
    const uint8_t* s = srcRow(r);
    uint8_t* d0 = dstLine(2 * r) + 2 * x;
    for (int i = 0; i < cols; ++i) {
      uint32_t v;
      if (doubled) {
        v = doubled[Load16(s + 2 * i) & 0x7fff];
      } else {
        v = uint32_t{Pixel16(s, i, bits, code, rgb565)} * 0x10001u;
      }
      Store32(d0 + 4 * i, v);
    }
    if (twoLines) std::memcpy(dstLine(2 * r + 1) + 2 * x, d0, static_cast<size_t>(cols) * 4);
  }
  return true;
}
