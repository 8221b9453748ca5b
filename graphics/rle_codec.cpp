#include "graphics/rle_codec.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define KEL_HAVE_AVX2_PATH 1
#endif

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
  out.reserve(static_cast<size_t>(width + 4) * static_cast<size_t>(height));
  for (int r = 0; r < height; ++r) {
    const uint8_t* row = pixels + r * pitch;
    int cx = 0;
    for (;;) {
      int end = cx;
      while (end < width && row[end] == transparent) ++end;
      if (end == width) break;  // the end of the row covers a transparent tail
      int skip = end - cx;
      while (skip > 255) {
        out.push_back(255);
        out.push_back(0);
        skip -= 255;
      }
      cx = end;
      while (end < width && end - cx < 255 && row[end] != transparent) ++end;
      out.push_back(static_cast<uint8_t>(skip));
      out.push_back(static_cast<uint8_t>(end - cx));
      out.insert(out.end(), row + cx, row + end);
      cx = end;
    }
    out.push_back(0);
    out.push_back(0);
  }
  return out;
}

bool ValidateTrle(const uint8_t* data, size_t size, int width, int height, std::vector<uint32_t>* rowStarts) {
  if (rowStarts) rowStarts->clear();
  if (width <= 0 || height <= 0 || (size && !data)) return false;
  std::vector<uint32_t> starts;
  const bool noteStarts = rowStarts && size <= UINT32_MAX;
  if (noteStarts) starts.reserve(static_cast<size_t>(height));
  size_t p = 0;
  for (int r = 0; r < height; ++r) {
    if (noteStarts) starts.push_back(static_cast<uint32_t>(p));
    int cx = 0;
    for (;;) {
      if (size - p < 2) return false;
      const int skip = data[p], n = data[p + 1];
      p += 2;
      if ((skip | n) == 0) break;
      cx += skip;
      if (cx > width || n > width - cx || static_cast<size_t>(n) > size - p) return false;
      p += static_cast<size_t>(n);
      cx += n;
    }
  }
  if (p != size) return false;
  if (noteStarts) *rowStarts = std::move(starts);
  return true;
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

// memcpy for the short literal runs of sprite rows: fixed-size moves that the
// compiler inlines, overlapping at the end instead of a byte loop.
inline void CopyRun(uint8_t* d, const uint8_t* s, size_t n) {
  if (n >= 16) {
    size_t i = 0;
    for (; i + 16 <= n; i += 16) std::memcpy(d + i, s + i, 16);
    if (i < n) std::memcpy(d + n - 16, s + n - 16, 16);
  } else if (n >= 8) {
    uint64_t a, b;
    std::memcpy(&a, s, 8);
    std::memcpy(&b, s + n - 8, 8);
    std::memcpy(d, &a, 8);
    std::memcpy(d + n - 8, &b, 8);
  } else if (n >= 4) {
    uint32_t a, b;
    std::memcpy(&a, s, 4);
    std::memcpy(&b, s + n - 4, 4);
    std::memcpy(d, &a, 4);
    std::memcpy(d + n - 4, &b, 4);
  } else {
    for (size_t i = 0; i < n; ++i) d[i] = s[i];
  }
}

#if defined(KEL_HAVE_AVX2_PATH)
// 32 pixels at a time on processors that have AVX2 (chosen at run time; the
// build itself targets the baseline instruction set). Integer work only, so
// every machine computes the same pixels.
__attribute__((target("avx2"))) inline void KeyedCopyRowAvx2(uint8_t* d, const uint8_t* s, int n, uint8_t key) {
  int i = 0;
  const __m256i k = _mm256_set1_epi8(static_cast<char>(key));
  for (; i + 32 <= n; i += 32) {
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i keyed = _mm256_cmpeq_epi8(sv, k);
    // A picture is mostly whole blocks of ground or of figure: those need
    // neither the target's pixels nor a blend.
    const uint32_t mask = static_cast<uint32_t>(_mm256_movemask_epi8(keyed));
    if (mask == 0xFFFFFFFFu) continue;
    if (mask == 0) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), sv);
      continue;
    }
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_blendv_epi8(sv, dv, keyed));
  }
  for (; i < n; ++i)
    if (s[i] != key) d[i] = s[i];
}

bool HaveAvx2() {
  static const bool have = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return have;
}
#endif

// d[i] = s[i] unless s[i] is the key: 16 pixels at a time where the target
// has SSE2 (every x86-64 does), 8 at a time with exact per-byte masks else.
inline void KeyedCopyRow(uint8_t* d, const uint8_t* s, int n, uint8_t key) {
#if defined(KEL_HAVE_AVX2_PATH)
  if (n >= 32 && HaveAvx2()) {
    KeyedCopyRowAvx2(d, s, n, key);
    return;
  }
#endif
  int i = 0;
#if defined(__SSE2__)
  const __m128i k = _mm_set1_epi8(static_cast<char>(key));
  for (; i + 16 <= n; i += 16) {
    const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i keyed = _mm_cmpeq_epi8(sv, k);
    const int mask = _mm_movemask_epi8(keyed);
    if (mask == 0xFFFF) continue;
    if (mask == 0) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), sv);
      continue;
    }
    const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    const __m128i out = _mm_or_si128(_mm_and_si128(keyed, dv), _mm_andnot_si128(keyed, sv));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), out);
  }
#else
  const uint64_t ones = 0x0101010101010101ull, low7 = 0x7F7F7F7F7F7F7F7Full;
  for (; i + 8 <= n; i += 8) {
    uint64_t sv, dv;
    std::memcpy(&sv, s + i, 8);
    std::memcpy(&dv, d + i, 8);
    const uint64_t x = sv ^ (ones * key);
    const uint64_t nonzero = (((x & low7) + low7) | x) & ~low7;  // high bit set where s != key
    const uint64_t keep = ((~nonzero & ~low7) >> 7) * 0xFF;      // 0xFF where s == key
    const uint64_t out = (dv & keep) | (sv & ~keep);
    std::memcpy(d + i, &out, 8);
  }
#endif
  for (; i < n; ++i)
    if (s[i] != key) d[i] = s[i];
}

// A whole block of rows: the choice of instructions and the call are made
// once, not for every row (a sprite's rows are short).
#if defined(KEL_HAVE_AVX2_PATH)
__attribute__((target("avx2"))) void KeyedCopyRowsAvx2(uint8_t* d, ptrdiff_t pitch, const uint8_t* s,
                                                       ptrdiff_t spitch, int n, int rows, uint8_t key) {
  for (int r = 0; r < rows; ++r, d += pitch, s += spitch) KeyedCopyRowAvx2(d, s, n, key);
}
#endif

void KeyedCopyRows(uint8_t* d, ptrdiff_t pitch, const uint8_t* s, ptrdiff_t spitch, int n, int rows, uint8_t key) {
#if defined(KEL_HAVE_AVX2_PATH)
  if (n >= 32 && HaveAvx2()) {
    KeyedCopyRowsAvx2(d, pitch, s, spitch, n, rows, key);
    return;
  }
#endif
  for (int r = 0; r < rows; ++r, d += pitch, s += spitch) KeyedCopyRow(d, s, n, key);
}

}  // namespace

void BlitTrleClipped(const uint8_t* data, size_t size, int width, int height, uint8_t* bits,
                     ptrdiff_t pitch, int targetWidth, int targetHeight, int x, int y,
                     const BlitRect& clip, BlitMode mode, const uint8_t* table, const uint32_t* rowStarts) {
  if (!data || !bits || width <= 0 || height <= 0) return;
  if (mode != BlitMode::kCopy && !table) return;
  const BlitRect area = DrawArea(width, height, targetWidth, targetHeight, x, y, clip);
  if (area.Empty()) return;
  const int firstRow = area.top - y, endRow = area.bottom - y;
  uint8_t* rowBits = bits + static_cast<ptrdiff_t>(area.top) * pitch + area.left;
  if (rowStarts && mode == BlitMode::kCopy && area.left == x && area.right - x == width) {
    // A well-formed stream in whole rows: every run straight to the target.
    for (int r = firstRow; r < endRow; ++r, rowBits += pitch) {
      const uint8_t* q = data + rowStarts[r];
      uint8_t* out = rowBits;
      for (;;) {
        const int skip = q[0], n = q[1];
        if ((skip | n) == 0) break;
        out += skip;
        CopyRun(out, q + 2, static_cast<size_t>(n));
        q += 2 + n;
        out += n;
      }
    }
    return;
  }
  size_t p = rowStarts ? rowStarts[firstRow] : 0;
  // Rows above the area are parsed only to find where the next row begins.
  for (int r = 0; r < firstRow && !rowStarts; ++r) {
    for (;;) {
      if (size - p < 2) return;
      const uint8_t skip = data[p], n = data[p + 1];
      p += 2;
      if ((skip | n) == 0) break;
      if (n > size - p) return;
      p += n;
    }
  }
  // Area edges in frame coordinates.
  const int cl = area.left - x, cr = area.right - x;
  if (mode == BlitMode::kCopy && cl == 0 && cr == width) {
    // Whole rows: no horizontal clipping. A row that would pass the frame's
    // width stops the drawing, as it does a clipped one.
    for (int r = firstRow; r < endRow; ++r, rowBits += pitch) {
      int cx = 0;
      for (;;) {
        if (size - p < 2) return;
        const int skip = data[p], n = data[p + 1];
        p += 2;
        if ((skip | n) == 0) break;
        cx += skip;
        if (cx > width || n > width - cx || static_cast<size_t>(n) > size - p) return;
        CopyRun(rowBits + cx, data + p, static_cast<size_t>(n));
        p += static_cast<size_t>(n);
        cx += n;
      }
    }
    return;
  }
  for (int r = firstRow; r < endRow; ++r, rowBits += pitch) {
    int cx = 0;
    for (;;) {
      if (size - p < 2) return;
      const int skip = data[p], n = data[p + 1];
      p += 2;
      if ((skip | n) == 0) break;
      cx += skip;
      if (cx > width || n > width - cx || static_cast<size_t>(n) > size - p) return;
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
  for (int pass = 0; pass < 2; ++pass) {
    size_t p = 0;
    for (int r = 0; r < height; ++r) {
      for (;;) {
        if (size - p < 2) return false;
        const uint8_t skip = data[p], n = data[p + 1];
        p += 2;
        if ((skip | n) == 0) break;
        if (n > size - p) return false;
        if (pass == 1)
          for (size_t i = 0; i < n; ++i) data[p + i] = table[data[p + i]];
        p += n;
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
  if (mode == BlitMode::kCopy) {
    KeyedCopyRows(bits + static_cast<ptrdiff_t>(area.top) * pitch + area.left, pitch,
                  src + static_cast<ptrdiff_t>(area.top - y) * spitch + (area.left - x), spitch, w,
                  area.bottom - area.top, key);
    return;
  }
  for (int ty = area.top; ty < area.bottom; ++ty) {
    const uint8_t* s = src + static_cast<ptrdiff_t>(ty - y) * spitch + (area.left - x);
    uint8_t* d = bits + static_cast<ptrdiff_t>(ty) * pitch + area.left;
    switch (mode) {
      case BlitMode::kCopy:
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
