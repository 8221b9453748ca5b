#include "graphics/rle_codec.h"

#include <algorithm>
#include <cstring>

BlitRect IntersectRect(const BlitRect& a, const BlitRect& b) {
  BlitRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
             std::min(a.bottom, b.bottom)};
  if (r.Empty()) r = BlitRect{};
  return r;
}

std::vector<uint8_t> EncodeTrle(const uint8_t* pixels, ptrdiff_t pitch, int width, int height,
                                uint8_t transparent) {
  std::vector<uint8_t> out;
  if (width <= 0 || height <= 0) return out;
  out.reserve(static_cast<size_t>(width + 2) * static_cast<size_t>(height));
  for (int r = 0; r < height; ++r) {
    const uint8_t* row = pixels + r * pitch;
    int cx = 0;
    while (cx < width) {
      if (row[cx] == transparent) {
        int end = cx;
        while (end < width && row[end] == transparent) ++end;
        if (end == width) break;  // the end code covers a transparent tail
        int run = end - cx;
        while (run > 0) {
          int n = std::min(run, 127);
          out.push_back(static_cast<uint8_t>(n));
          run -= n;
        }
        cx = end;
      } else {
        int end = cx;
        while (end < width && end - cx < 128 && row[end] != transparent) ++end;
        out.push_back(static_cast<uint8_t>(0x7F + (end - cx)));
        out.insert(out.end(), row + cx, row + end);
        cx = end;
      }
    }
    out.push_back(0);
  }
  return out;
}

bool ValidateTrle(const uint8_t* data, size_t size, int width, int height) {
  if (width <= 0 || height <= 0 || (size && !data)) return false;
  size_t p = 0;
  for (int r = 0; r < height; ++r) {
    int cx = 0;
    for (;;) {
      if (p >= size) return false;
      const uint8_t c = data[p++];
      if (c == 0) break;
      if (c < 0x80) {
        cx += c;
      } else {
        const size_t n = c - 0x7Fu;
        if (n > size - p) return false;
        p += n;
        cx += static_cast<int>(n);
      }
      if (cx > width) return false;
    }
  }
  return p == size;
}

namespace {

inline void WriteSpan(uint8_t* d, const uint8_t* s, int n, BlitMode mode, const uint8_t* table) {
  switch (mode) {
    case BlitMode::kCopy:
      std::memcpy(d, s, static_cast<size_t>(n));
      break;
    case BlitMode::kTable:
      for (int i = 0; i < n; ++i) d[i] = table[s[i]];
      break;
    case BlitMode::kShadow:
      for (int i = 0; i < n; ++i) d[i] = table[d[i]];
      break;
  }
}

// The part of the target that may be written: clip, target and frame rectangle.
BlitRect DrawArea(int width, int height, int targetWidth, int targetHeight, int x, int y,
                  const BlitRect& clip) {
  BlitRect area = IntersectRect(clip, BlitRect{0, 0, targetWidth, targetHeight});
  // 64-bit edges of the frame so that positions near INT_MAX cannot overflow.
  const int64_t fr = int64_t{x} + width, fb = int64_t{y} + height;
  BlitRect frame{x, y, static_cast<int>(std::min<int64_t>(fr, INT32_MAX)),
                 static_cast<int>(std::min<int64_t>(fb, INT32_MAX))};
  return IntersectRect(area, frame);
}

}  // namespace

void BlitTrleClipped(const uint8_t* data, size_t size, int width, int height, uint8_t* bits,
                     ptrdiff_t pitch, int targetWidth, int targetHeight, int x, int y,
                     const BlitRect& clip, BlitMode mode, const uint8_t* table) {
  if (!data || !bits || width <= 0 || height <= 0) return;
  if (mode != BlitMode::kCopy && !table) return;
  const BlitRect area = DrawArea(width, height, targetWidth, targetHeight, x, y, clip);
  if (area.Empty()) return;
  size_t p = 0;
  // Rows above the area are parsed only to find where the next row begins.
  const int firstRow = area.top - y, endRow = area.bottom - y;
  for (int r = 0; r < firstRow; ++r) {
    for (;;) {
      if (p >= size) return;
      const uint8_t c = data[p++];
      if (c == 0) break;
      if (c >= 0x80) {
        const size_t n = c - 0x7Fu;
        if (n > size - p) return;
        p += n;
      }
    }
  }
  // Area edges in frame coordinates.
  const int cl = area.left - x, cr = area.right - x;
  uint8_t* rowBits = bits + static_cast<ptrdiff_t>(area.top) * pitch + area.left;
  for (int r = firstRow; r < endRow; ++r, rowBits += pitch) {
    int cx = 0;
    for (;;) {
      if (p >= size) return;
      const uint8_t c = data[p++];
      if (c == 0) break;
      if (c < 0x80) {
        cx += c;
        continue;
      }
      const int n = c - 0x7F;
      if (static_cast<size_t>(n) > size - p) return;
      const int s0 = std::max(cx, cl), s1 = std::min(cx + n, cr);
      if (s1 > s0) WriteSpan(rowBits + (s0 - cl), data + p + (s0 - cx), s1 - s0, mode, table);
      p += static_cast<size_t>(n);
      cx += n;
    }
  }
}

bool RemapTrle(uint8_t* data, size_t size, int height, const uint8_t* table) {
  if (!data || !table || height <= 0) return false;
  // Check the whole stream first so that a damaged one is left untouched.
  size_t p = 0;
  for (int pass = 0; pass < 2; ++pass) {
    p = 0;
    for (int r = 0; r < height; ++r) {
      for (;;) {
        if (p >= size) return false;
        const uint8_t c = data[p++];
        if (c == 0) break;
        if (c >= 0x80) {
          const size_t n = c - 0x7Fu;
          if (n > size - p) return false;
          if (pass == 1)
            for (size_t i = 0; i < n; ++i) data[p + i] = table[data[p + i]];
          p += n;
        }
      }
    }
  }
  return true;
}

void BlitRawKeyed(const uint8_t* src, ptrdiff_t spitch, int width, int height, uint8_t* bits,
                  ptrdiff_t pitch, int targetWidth, int targetHeight, int x, int y,
                  const BlitRect& clip, BlitMode mode, const uint8_t* table, uint8_t key) {
  if (!src || !bits || width <= 0 || height <= 0) return;
  if (mode != BlitMode::kCopy && !table) return;
  const BlitRect area = DrawArea(width, height, targetWidth, targetHeight, x, y, clip);
  if (area.Empty()) return;
  const int w = area.right - area.left;
  for (int ty = area.top; ty < area.bottom; ++ty) {
    const uint8_t* s = src + static_cast<ptrdiff_t>(ty - y) * spitch + (area.left - x);
    uint8_t* d = bits + static_cast<ptrdiff_t>(ty) * pitch + area.left;
    switch (mode) {
      case BlitMode::kCopy:
        for (int i = 0; i < w; ++i)
          if (s[i] != key) d[i] = s[i];
        break;
      case BlitMode::kTable:
        for (int i = 0; i < w; ++i)
          if (s[i] != key) d[i] = table[s[i]];
        break;
      case BlitMode::kShadow:
        for (int i = 0; i < w; ++i)
          if (s[i] != key) d[i] = table[d[i]];
        break;
    }
  }
}
