#include "graphics/mbm_writer.h"

#include <algorithm>
#include <cstring>

#include "base/atomic_file.h"
#include "graphics/mbm_format.h"
#include "graphics/rle_codec.h"

std::vector<uint8_t> BuildMbm(const std::vector<MbmFrameSpec>& frames,
                              const std::vector<uint8_t>* sharedPalette) {
  std::vector<uint8_t> out;
  // The reader refuses a file without frames: the writer never makes one.
  if (frames.empty() || frames.size() > 0xFFFF) return {};
  if (sharedPalette && sharedPalette->size() != mbm::kPaletteSize) return {};
  out.push_back('M');
  out.push_back('B');
  if (sharedPalette) out.insert(out.end(), sharedPalette->begin(), sharedPalette->end());

  for (const MbmFrameSpec& f : frames) {
    const int absH = mbm::AbsHeight(f.height);
    if (f.width <= 0 || absH <= 0 || f.pixels.size() != static_cast<size_t>(f.width) * absH) return {};
    mbm::BitmapHeader h;
    h.width = f.width;
    h.height = f.height;
    h.planes = 1;
    h.bitCount = 8;
    std::vector<uint8_t> pixels;
    if (f.runLength) {
      pixels = EncodeTrle(f.pixels.data(), f.width, f.width, absH);
      h.compression = mbm::kCompressionTrle;
      h.sizeImage = static_cast<uint32_t>(pixels.size());
    } else {
      const uint32_t stride = mbm::RowStride(f.width);
      pixels.assign(static_cast<size_t>(stride) * absH, 0);
      for (int r = 0; r < absH; ++r) {
        // Positive heights keep the bitmap convention: bottom row stored first.
        const int stored = f.height > 0 ? absH - 1 - r : r;
        std::memcpy(&pixels[static_cast<size_t>(stored) * stride], &f.pixels[static_cast<size_t>(r) * f.width],
                    static_cast<size_t>(f.width));
      }
      h.compression = mbm::kCompressionRaw;
      h.sizeImage = static_cast<uint32_t>(pixels.size());
    }
    if (mbm::CheckHeader(h) != kSpriteOk) return {};

    const size_t nameLength = std::min<size_t>(f.name.size(), 255);
    const size_t dataSize = nameLength + mbm::kHeaderSize + (sharedPalette ? 0 : mbm::kPaletteSize) + pixels.size();
    if (out.size() + mbm::kEntrySize + dataSize > 0xFFFFFFF0u) return {};
    mbm::DirectoryEntry e;
    e.offset = static_cast<uint32_t>(out.size() + mbm::kEntrySize);
    e.size = static_cast<uint32_t>(dataSize);
    e.nameLength = static_cast<uint8_t>(nameLength);
    uint8_t eb[mbm::kEntrySize];
    mbm::EncodeEntry(e, eb);
    out.insert(out.end(), eb, eb + sizeof eb);
    out.insert(out.end(), f.name.begin(), f.name.begin() + static_cast<long>(nameLength));
    uint8_t hb[mbm::kHeaderSize];
    mbm::EncodeHeader(h, hb);
    out.insert(out.end(), hb, hb + sizeof hb);
    if (!sharedPalette) {
      if (f.palette.size() == mbm::kPaletteSize)
        out.insert(out.end(), f.palette.begin(), f.palette.end());
      else
        out.insert(out.end(), mbm::kPaletteSize, 0);
    }
    out.insert(out.end(), pixels.begin(), pixels.end());
  }

  mbm::Trailer t;
  t.word0 = 0x424D;  // "MB", as the game's own files hold it
  t.word4 = static_cast<uint32_t>(mbm::kTrailerSize);
  t.frameCount = static_cast<uint16_t>(frames.size());
  t.flags = sharedPalette ? mbm::kFlagSharedPalette : 0;
  uint8_t tb[mbm::kTrailerSize];
  mbm::EncodeTrailer(t, tb);
  out.insert(out.end(), tb, tb + sizeof tb);
  return out;
}

bool WriteMbmFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  return WriteFileAtomic(path, bytes.data(), bytes.size());
}
