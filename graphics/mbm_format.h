#pragma once
// The .mbm multi-frame sprite file: layout, error codes and a validating reader
// of its directory. Everything here works on an abstract byte source so that the
// same checks serve the game (PKC files), the tools and the fuzz targets.
//
// File (little-endian):
//   "MB" | [1024-byte shared palette when trailer flags bit 0] |
//   per frame: 12-byte directory entry, then the frame data |
//   16-byte trailer (the last 16 bytes of the file).
// Frame data: name (name-length bytes) | 40-byte bitmap header |
//   [1024-byte palette: frames of 8 bits or fewer, unless shared] | pixels.
// Raw frames are 1, 4 or 8-bit palettised or 16 (x-5-5-5), 24 or 32-bit true
// colour; run-length ('TRLE') frames are 8-bit. A frame of another kind
// ('MICR', 'RECT', other bit counts) is kept in the directory but cannot be
// drawn; the other frames of its file stay usable.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/bmp.h"

// Sprite error codes (Sprite::GetError). Codes not listed here are the PKC
// reader's own codes.
enum : uint32_t {
  kSpriteOk = 0,
  kSpriteErrBadFrame = 1002,      // frame number 0 or past the count
  kSpriteErrNoMemory = 1003,      // no memory for a frame buffer
  kSpriteErrBadMagic = 1004,      // the file does not begin with "MB"
  kSpriteErrTruncated = 1005,     // file too short for its trailer, palette or directory
  kSpriteErrBadDirectory = 1006,  // a directory entry's offset or size lies outside the file
  kSpriteErrBadHeader = 1007,     // a frame's name length or bitmap header does not fit / is impossible
  kSpriteErrUnsupported = 1008,   // a frame of a kind this game cannot decode (that frame only)
  kSpriteErrBadRunLength = 1009,  // damaged run-length pixels
  kSpriteErrNoFrames = 1010,      // a file that holds no frame
  // 1011 is the fonts' "no installed font" (kFontErrNoSystemFont): a font
  // reports sprite codes too, so the two ranges never share a number.
  kSpriteErrNoPalette = 1012,     // a true-colour frame with no display palette to be shown in
};

namespace mbm {

constexpr uint32_t kCompressionRaw = 0;
constexpr uint32_t kCompressionTrle = 0x54524C45;  // 'TRLE'
constexpr uint32_t kCompressionMicr = 0x4D494352;  // 'MICR' (no decoder: the frame is not drawn)
constexpr uint32_t kCompressionRect = 0x52454354;  // 'RECT' (no decoder: the frame is not drawn)

constexpr size_t kHeaderSize = 40;
constexpr size_t kPaletteSize = 1024;
constexpr size_t kEntrySize = 12;
constexpr size_t kTrailerSize = 16;
constexpr uint32_t kFlagSharedPalette = 1;

// Frames larger than this are refused: no picture of the game comes close, and a
// damaged header must not make us allocate gigabytes.
constexpr int kMaxFrameSide = 8192;
constexpr int64_t kMaxFramePixels = 16 * 1024 * 1024;

// The 40-byte bitmap header of a frame, as stored (height > 0: raw rows stored
// bottom-up; < 0: top-down).
using BitmapHeader = BitmapInfoHeader;

struct Trailer {
  uint32_t word0 = 0;
  uint32_t word4 = 0;
  uint16_t frameCount = 0;
  uint16_t unused = 0;
  uint32_t flags = 0;
};

struct DirectoryEntry {
  uint32_t offset = 0;  // absolute file offset of the frame's data
  uint32_t size = 0;    // bytes of the frame's data, name included
  uint8_t unused = 0;
  uint8_t nameLength = 0;
  uint16_t unused2 = 0;
};

// Where each part of one frame lies in the file, after validation.
struct FrameLayout {
  DirectoryEntry entry;
  BitmapHeader header;
  uint64_t headerOffset = 0;   // absolute offset of the bitmap header
  uint64_t paletteOffset = 0;  // absolute offset of the own palette; 0 when shared or none
  uint64_t pixelOffset = 0;    // absolute offset of the pixels
  uint32_t pixelBytes = 0;     // bytes of pixels to read (raw: stride x rows; compressed: sizeImage)
  uint32_t unsupported = 0;    // kSpriteErrUnsupported for a frame that cannot be drawn
};

struct Layout {
  Trailer trailer;
  bool sharedPalette = false;
  std::vector<uint8_t> palette;  // 1024 bytes when shared
  std::vector<FrameLayout> frames;
};

// Random access to the bytes of a file.
class Source {
 public:
  virtual ~Source() = default;
  virtual uint64_t Size() = 0;
  // Reads exactly n bytes at offset; false (and LastError set) otherwise.
  virtual bool ReadAt(uint64_t offset, void* buffer, size_t n) = 0;
  // The error code to report after a failed ReadAt.
  virtual uint32_t LastError() { return kSpriteErrTruncated; }
};

class MemorySource : public Source {
 public:
  MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint64_t Size() override { return size_; }
  bool ReadAt(uint64_t offset, void* buffer, size_t n) override;

 private:
  const uint8_t* data_;
  size_t size_;
};

// Bytes of one stored raw row (width rounded up to 4).
inline uint32_t RowStride(int32_t width) { return (static_cast<uint32_t>(width) + 3u) & ~3u; }
inline int32_t AbsHeight(int32_t h) { return h < 0 ? -h : h; }

BitmapHeader DecodeHeader(const uint8_t* p);
void EncodeHeader(const BitmapHeader& h, uint8_t* p);
Trailer DecodeTrailer(const uint8_t* p);
void EncodeTrailer(const Trailer& t, uint8_t* p);
DirectoryEntry DecodeEntry(const uint8_t* p);
void EncodeEntry(const DirectoryEntry& e, uint8_t* p);

// Checks a frame header on its own: kSpriteOk, kSpriteErrBadHeader (an
// impossible header) or kSpriteErrUnsupported (a kind this game cannot draw).
uint32_t CheckHeader(const BitmapHeader& h);
// Frames of 8 bits or fewer have a palette (their own or the shared one).
inline bool IsPalettised(const BitmapHeader& h) { return h.bitCount <= 8; }

// Reads and validates the whole directory: the magic, the trailer, the shared
// palette, every entry and every frame header. Returns kSpriteOk or an error
// code; on error `out` holds nothing usable. A frame of a kind that cannot be
// drawn is no error: it is marked in its FrameLayout.
uint32_t ReadLayout(Source& src, Layout* out);

}  // namespace mbm
