#include "graphics/mbm_format.h"

#include <cstring>

#include "base/byte_order.h"

namespace mbm {
namespace {

constexpr auto Get16 = GetLe16;
constexpr auto Get32 = GetLe32;
constexpr auto Put16 = PutLe16;
constexpr auto Put32 = PutLe32;

}  // namespace

bool MemorySource::ReadAt(uint64_t offset, void* buffer, size_t n) {
  if (offset > size_ || n > size_ - offset) return false;
  if (n) std::memcpy(buffer, data_ + offset, n);
  return true;
}

BitmapHeader DecodeHeader(const uint8_t* p) {
  BitmapHeader h;
  h.size = Get32(p);
  h.width = static_cast<int32_t>(Get32(p + 4));
  h.height = static_cast<int32_t>(Get32(p + 8));
  h.planes = Get16(p + 12);
  h.bitCount = Get16(p + 14);
  h.compression = Get32(p + 16);
  h.sizeImage = Get32(p + 20);
  h.xPelsPerMeter = static_cast<int32_t>(Get32(p + 24));
  h.yPelsPerMeter = static_cast<int32_t>(Get32(p + 28));
  h.clrUsed = Get32(p + 32);
  h.clrImportant = Get32(p + 36);
  return h;
}

void EncodeHeader(const BitmapHeader& h, uint8_t* p) {
  Put32(p, h.size);
  Put32(p + 4, static_cast<uint32_t>(h.width));
  Put32(p + 8, static_cast<uint32_t>(h.height));
  Put16(p + 12, h.planes);
  Put16(p + 14, h.bitCount);
  Put32(p + 16, h.compression);
  Put32(p + 20, h.sizeImage);
  Put32(p + 24, static_cast<uint32_t>(h.xPelsPerMeter));
  Put32(p + 28, static_cast<uint32_t>(h.yPelsPerMeter));
  Put32(p + 32, h.clrUsed);
  Put32(p + 36, h.clrImportant);
}

Trailer DecodeTrailer(const uint8_t* p) {
  Trailer t;
  t.word0 = Get32(p);
  t.word4 = Get32(p + 4);
  t.frameCount = Get16(p + 8);
  t.unused = Get16(p + 10);
  t.flags = Get32(p + 12);
  return t;
}

void EncodeTrailer(const Trailer& t, uint8_t* p) {
  Put32(p, t.word0);
  Put32(p + 4, t.word4);
  Put16(p + 8, t.frameCount);
  Put16(p + 10, t.unused);
  Put32(p + 12, t.flags);
}

DirectoryEntry DecodeEntry(const uint8_t* p) {
  DirectoryEntry e;
  e.offset = Get32(p);
  e.size = Get32(p + 4);
  e.unused = p[8];
  e.nameLength = p[9];
  e.unused2 = Get16(p + 10);
  return e;
}

void EncodeEntry(const DirectoryEntry& e, uint8_t* p) {
  Put32(p, e.offset);
  Put32(p + 4, e.size);
  p[8] = e.unused;
  p[9] = e.nameLength;
  Put16(p + 10, e.unused2);
}

uint32_t CheckHeader(const BitmapHeader& h) {
  if (h.size != kHeaderSize) return kSpriteErrBadHeader;
  if (h.width <= 0 || h.width > kMaxFrameSide) return kSpriteErrBadHeader;
  if (h.height == 0 || h.height < -kMaxFrameSide || h.height > kMaxFrameSide) return kSpriteErrBadHeader;
  if (static_cast<int64_t>(h.width) * AbsHeight(h.height) > kMaxFramePixels) return kSpriteErrBadHeader;
  if (h.compression == kCompressionRaw) {
    switch (h.bitCount) {
      case 1: case 4: case 8: case 16: case 24: case 32: return kSpriteOk;
      default: return kSpriteErrUnsupported;
    }
  }
  if (h.compression == kCompressionTrle && h.bitCount == 8) return kSpriteOk;
  return kSpriteErrUnsupported;
}

uint32_t ReadLayout(Source& src, Layout* out) {
  *out = Layout{};
  const uint64_t size = src.Size();
  uint8_t magic[2];
  if (size < 2) return kSpriteErrBadMagic;
  if (!src.ReadAt(0, magic, 2)) return src.LastError();
  if (magic[0] != 'M' || magic[1] != 'B') return kSpriteErrBadMagic;
  if (size < 2 + kTrailerSize) return kSpriteErrTruncated;

  const uint64_t trailerAt = size - kTrailerSize;
  uint8_t tb[kTrailerSize];
  if (!src.ReadAt(trailerAt, tb, sizeof tb)) return src.LastError();
  Layout layout;
  layout.trailer = DecodeTrailer(tb);
  layout.sharedPalette = (layout.trailer.flags & kFlagSharedPalette) != 0;
  const uint32_t count = layout.trailer.frameCount;
  if (count == 0) return kSpriteErrNoFrames;

  uint64_t pos = 2;
  if (layout.sharedPalette) {
    if (trailerAt - pos < kPaletteSize) return kSpriteErrTruncated;
    layout.palette.resize(kPaletteSize);
    if (!src.ReadAt(pos, layout.palette.data(), kPaletteSize)) return src.LastError();
    pos += kPaletteSize;
  }
  // Every frame needs at least its entry and a header, so a count that cannot
  // fit is refused before anything is allocated for it.
  if ((trailerAt - pos) / (kEntrySize + kHeaderSize) < count) return kSpriteErrTruncated;
  layout.frames.resize(count);

  for (uint32_t i = 0; i < count; ++i) {
    FrameLayout& f = layout.frames[i];
    if (trailerAt - pos < kEntrySize) return kSpriteErrTruncated;
    uint8_t eb[kEntrySize];
    if (!src.ReadAt(pos, eb, sizeof eb)) return src.LastError();
    f.entry = DecodeEntry(eb);
    // The data follows its entry directly; an offset elsewhere would make a
    // sequential reader and a seeking reader see different frames.
    if (f.entry.offset != pos + kEntrySize) return kSpriteErrBadDirectory;
    if (f.entry.size > trailerAt - f.entry.offset) return kSpriteErrBadDirectory;

    if (f.entry.size < uint64_t{f.entry.nameLength} + kHeaderSize) return kSpriteErrBadHeader;
    f.headerOffset = f.entry.offset + f.entry.nameLength;
    uint8_t hb[kHeaderSize];
    if (!src.ReadAt(f.headerOffset, hb, sizeof hb)) return src.LastError();
    f.header = DecodeHeader(hb);
    const uint32_t check = CheckHeader(f.header);
    if (check == kSpriteErrBadHeader) return check;
    f.unsupported = check;
    // Only a palettised frame of a file without a shared palette stores one.
    const bool ownPalette = !layout.sharedPalette && IsPalettised(f.header);
    const uint64_t fixed = uint64_t{f.entry.nameLength} + kHeaderSize + (ownPalette ? kPaletteSize : 0);
    if (f.entry.size < fixed) return kSpriteErrBadHeader;
    f.paletteOffset = ownPalette ? f.headerOffset + kHeaderSize : 0;
    f.pixelOffset = f.headerOffset + kHeaderSize + (ownPalette ? kPaletteSize : 0);
    const uint64_t available = f.entry.size - fixed;
    if (f.header.compression == kCompressionRaw) {
      // Rows of a bit count that cannot be drawn are not read at all.
      const uint64_t need =
          f.unsupported ? 0 : uint64_t{DibRowBytes(f.header.width, f.header.bitCount)} * AbsHeight(f.header.height);
      if (need > available) return kSpriteErrBadHeader;
      f.pixelBytes = static_cast<uint32_t>(need);
    } else if (f.header.compression == kCompressionTrle) {
      // A run-length frame has at least the two end-of-row bytes of each row.
      if (f.header.sizeImage > available || f.header.sizeImage < 2u * static_cast<uint32_t>(AbsHeight(f.header.height)))
        return kSpriteErrBadHeader;
      f.pixelBytes = f.header.sizeImage;
    } else {
      if (f.header.sizeImage > available) return kSpriteErrBadHeader;
      f.pixelBytes = f.header.sizeImage;
    }
    pos = uint64_t{f.entry.offset} + f.entry.size;
  }
  *out = std::move(layout);
  return kSpriteOk;
}

}  // namespace mbm
