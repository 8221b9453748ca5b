#pragma once
// 256-colour palettes. A DDPalette is reference counted: whoever makes one
// holds the first reference, every surface it is attached to holds one more,
// and the last Release deletes it.
#include <cstdint>

// One palette colour in the display's layout (red first), with a flag byte
// that is kept as given (0x40 marks an entry read-only for the 3D renderer).
struct PaletteEntry {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t flags = 0;
};

// One colour in the picture-file layout (blue first).
struct RgbQuad {
  uint8_t blue = 0;
  uint8_t green = 0;
  uint8_t red = 0;
  uint8_t reserved = 0;
};

constexpr uint32_t kPaletteCaps8Bit = 0x04;
constexpr uint32_t kPaletteCapsAllow256 = 0x40;
constexpr uint32_t kDisplayPaletteCaps = kPaletteCaps8Bit | kPaletteCapsAllow256;  // 0x44
constexpr uint8_t kPaletteEntryReadOnly = 0x40;

class DDPalette {
 public:
  // A palette of 256 entries; entries may be null (all black). The caller
  // holds the first reference.
  DDPalette(uint32_t caps, const PaletteEntry* entries);
  DDPalette(const DDPalette&) = delete;
  DDPalette& operator=(const DDPalette&) = delete;

  // Returns the new count.
  uint32_t AddRef();
  // Drops one reference and deletes the palette at zero. Returns the new count.
  uint32_t Release();
  uint32_t GetRefCount() const { return refCount_; }

  // Copies `count` entries from `first`. 1 done; 0 for a range outside 0..255
  // or a null buffer (nothing copied).
  int GetEntries(int first, int count, PaletteEntry* out) const;
  // Replaces `count` entries from `first`; a palette shown on the display is
  // shown again at once. 1 done, 0 for a bad range or null buffer.
  int SetEntries(int first, int count, const PaletteEntry* in);
  // Overwrites entries dest .. dest + count - 1 with `source`'s entries from
  // sourceFirst, the count clamped so that neither side passes entry 255, then
  // writes all 256 entries back. 1 done, 0 for a null source or bad start.
  int CopyRange(int dest, int count, int sourceFirst, DDPalette* source);

  uint32_t GetCaps() const { return caps_; }
  // Direct read access to the 256 entries.
  const PaletteEntry* Entries() const { return entries_; }

 private:
  ~DDPalette();

  uint32_t caps_;
  uint32_t refCount_ = 1;
  PaletteEntry entries_[256];
};

// The two colour layouts: each swaps red and blue, the fourth byte is kept.
void RgbQuadsToPaletteEntries(const RgbQuad* in, PaletteEntry* out, int count);
void PaletteEntriesToRgbQuads(const PaletteEntry* in, RgbQuad* out, int count);

// Entries first .. first + count - 1 cut to the 256 of a palette, as the
// half-open range [*lo, *hi) (empty when nothing is left); no argument can
// overflow it.
void ClampPaletteRange(int first, int count, int* lo, int* hi);

// Palette matching by the squared RGB distance; on equal distance the lowest
// index wins. The nearest of entries first .. first + count - 1 (clamped to
// 0..255); -1 when that range is empty.
int FindNearestColour(const PaletteEntry* entries, int first, int count, int red, int green,
                      int blue);
// The nearest among the entries whose `usable` flag is nonzero; -1 when none is.
int FindNearestUsableColour(const PaletteEntry* entries, const uint8_t usable[256], int red,
                            int green, int blue);
// table[i] = nearest entry of `to` (range first .. first + count - 1) to
// from[i]. When keepKey is set, index 1 (the transparent colour) maps to itself
// and no other colour maps to 1 (those take the nearest other entry).
void BuildRemapTable(const PaletteEntry* from, const PaletteEntry* to, int first, int count,
                     bool keepKey, uint8_t table[256]);
