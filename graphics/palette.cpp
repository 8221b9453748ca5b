#include "graphics/palette.h"

#include <algorithm>
#include <cstring>

#include "graphics/display.h"

DDPalette::DDPalette(uint32_t caps, const PaletteEntry* entries) : caps_(caps) {
  if (entries) std::memcpy(entries_, entries, sizeof(entries_));
  RegisterPalette(this);
}

DDPalette::~DDPalette() { UnregisterPalette(this); }

uint32_t DDPalette::AddRef() { return ++refCount_; }

uint32_t DDPalette::Release() {
  uint32_t left = --refCount_;
  if (left == 0) delete this;
  return left;
}

static bool ValidRange(int first, int count) {
  return first >= 0 && count >= 0 && first <= 256 && count <= 256 - first;
}

int DDPalette::GetEntries(int first, int count, PaletteEntry* out) const {
  if (!out || !ValidRange(first, count)) return 0;
  std::memcpy(out, entries_ + first, sizeof(PaletteEntry) * count);
  return 1;
}

int DDPalette::SetEntries(int first, int count, const PaletteEntry* in) {
  if (!in || !ValidRange(first, count)) return 0;
  std::memmove(entries_ + first, in, sizeof(PaletteEntry) * count);
  NotifyPaletteChanged(this);
  return 1;
}

int DDPalette::CopyRange(int dest, int count, int sourceFirst, DDPalette* source) {
  if (!source || dest < 0 || dest > 255 || sourceFirst < 0 || sourceFirst > 255) return 0;
  // Neither side may run past entry 255.
  count = std::min(count, 256 - sourceFirst);
  count = std::min(count, 256 - dest);
  if (count < 0) count = 0;
  PaletteEntry all[256];
  std::memcpy(all, entries_, sizeof(all));
  std::memmove(all + dest, source->entries_ + sourceFirst, sizeof(PaletteEntry) * count);
  return SetEntries(0, 256, all);
}

void RgbQuadsToPaletteEntries(const RgbQuad* in, PaletteEntry* out, int count) {
  if (!in || !out) return;
  for (int i = 0; i < count; ++i) {
    RgbQuad q = in[i];
    out[i].red = q.red;
    out[i].green = q.green;
    out[i].blue = q.blue;
    out[i].flags = q.reserved;
  }
}

void PaletteEntriesToRgbQuads(const PaletteEntry* in, RgbQuad* out, int count) {
  if (!in || !out) return;
  for (int i = 0; i < count; ++i) {
    PaletteEntry e = in[i];
    out[i].red = e.red;
    out[i].green = e.green;
    out[i].blue = e.blue;
    out[i].reserved = e.flags;
  }
}

void ClampPaletteRange(int first, int count, int* lo, int* hi) {
  const int64_t a = std::clamp<int64_t>(first, 0, 256);
  const int64_t b = std::clamp<int64_t>(int64_t{first} + std::max(count, 0), a, 256);
  *lo = static_cast<int>(a);
  *hi = static_cast<int>(b);
}

static inline int Distance(const PaletteEntry& e, int r, int g, int b) {
  int dr = e.red - r, dg = e.green - g, db = e.blue - b;
  return dr * dr + dg * dg + db * db;
}

int FindNearestColour(const PaletteEntry* entries, int first, int count, int red, int green,
                      int blue) {
  if (!entries) return -1;
  int lo, hi;
  ClampPaletteRange(first, count, &lo, &hi);
  int best = -1, bestDist = 0x7fffffff;
  for (int i = lo; i < hi; ++i) {
    int d = Distance(entries[i], red, green, blue);
    if (d < bestDist) {
      bestDist = d;
      best = i;
      if (d == 0) break;
    }
  }
  return best;
}

int FindNearestUsableColour(const PaletteEntry* entries, const uint8_t usable[256], int red,
                            int green, int blue) {
  if (!entries || !usable) return -1;
  int best = -1, bestDist = 0x7fffffff;
  for (int i = 0; i < 256; ++i) {
    if (!usable[i]) continue;
    int d = Distance(entries[i], red, green, blue);
    if (d < bestDist) {
      bestDist = d;
      best = i;
      if (d == 0) break;
    }
  }
  return best;
}

void BuildRemapTable(const PaletteEntry* from, const PaletteEntry* to, int first, int count,
                     bool keepKey, uint8_t table[256]) {
  uint8_t usable[256] = {};
  int lo, hi;
  ClampPaletteRange(first, count, &lo, &hi);
  for (int i = lo; i < hi; ++i) usable[i] = 1;
  if (keepKey) usable[1] = 0;
  for (int i = 0; i < 256; ++i) {
    if (keepKey && i == 1) {
      table[i] = 1;
      continue;
    }
    int n = FindNearestUsableColour(to, usable, from[i].red, from[i].green, from[i].blue);
    table[i] = static_cast<uint8_t>(n < 0 ? i : n);
  }
}
