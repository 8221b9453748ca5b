#pragma once
// The run-length ('TRLE') frame codec of .mbm sprites and the 8-bit blitters
// that draw sprite pixels straight into a locked target.
//
// Layout of a 'TRLE' frame's pixels (biSizeImage bytes): |height| rows, top row
// first whatever the sign of the height; each row is a series of runs
//   u8 skip   transparent pixels to pass over (0..255)
//   u8 count  literal pixels that follow (0..255), then `count` bytes
// and a run of skip 0 and count 0 ends the row (the rest of the row is
// transparent). Longer gaps and literal stretches take several runs. A row
// never covers more than the frame's width, and the stream ends exactly after
// the last row's end. Colour index 1 is the transparent colour.
#include <cstddef>
#include <cstdint>
#include <vector>

// A rectangle by its edges: left and top inside, right and bottom outside.
struct BlitRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
};

BlitRect IntersectRect(const BlitRect& a, const BlitRect& b);

// How a blitter writes a visible source pixel s over a target pixel d.
enum class BlitMode {
  kCopy = 0,    // d = s
  kTable = 1,   // d = table[s]  (recoloured frame)
  kShadow = 2,  // d = table[d]  (shadow: darkens what lies under the frame)
};

constexpr uint8_t kTransparentIndex = 1;

// Encodes top-down 8-bit rows (pitch bytes apart); pixels equal to
// `transparent` become skips.
std::vector<uint8_t> EncodeTrle(const uint8_t* pixels, ptrdiff_t pitch, int width, int height,
                                uint8_t transparent = kTransparentIndex);

// True when the stream is exactly `height` well-formed rows no wider than `width`.
// Then rowStarts (when given) receives where each row begins in the stream,
// for BlitTrleClipped; it is left empty otherwise.
bool ValidateTrle(const uint8_t* data, size_t size, int width, int height,
                  std::vector<uint32_t>* rowStarts = nullptr);

// Draws a 'TRLE' frame of width x height with its top-left corner at (x, y) into
// an 8-bit target of targetWidth x targetHeight. Only pixels inside `clip`, the
// target and the frame's own rectangle are written; damaged data stops the
// drawing but never reads or writes outside the buffers. `table` is needed by
// the table and shadow modes. rowStarts, when given, must be what ValidateTrle
// gave for this very stream: the stream is then known to be well-formed, its
// rows are drawn without checking every run (each row from its own start, so
// that the rows' work can overlap) and the rows above the clip are not read.
void BlitTrleClipped(const uint8_t* data, size_t size, int width, int height, uint8_t* bits,
                     ptrdiff_t pitch, int targetWidth, int targetHeight, int x, int y,
                     const BlitRect& clip, BlitMode mode = BlitMode::kCopy,
                     const uint8_t* table = nullptr, const uint32_t* rowStarts = nullptr);

// Rewrites the literal bytes of a well-formed stream through a 256-entry table.
// Returns false (and changes nothing) for a damaged stream.
bool RemapTrle(uint8_t* data, size_t size, int height, const uint8_t* table);

// Keyed draw of top-down raw 8-bit pixels (src rows spitch bytes apart): like
// BlitTrleClipped, pixels equal to `key` are left out.
void BlitRawKeyed(const uint8_t* src, ptrdiff_t spitch, int width, int height, uint8_t* bits,
                  ptrdiff_t pitch, int targetWidth, int targetHeight, int x, int y,
                  const BlitRect& clip, BlitMode mode = BlitMode::kCopy,
                  const uint8_t* table = nullptr, uint8_t key = kTransparentIndex);
