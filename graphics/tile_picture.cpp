#include "graphics/tile_picture.h"

#include <algorithm>
#include <cstring>

#include "base/byte_order.h"
#include "base/pkc.h"
#include "graphics/bmp.h"
#include "graphics/mbm_format.h"
#include "graphics/palette.h"
#include "graphics/surface.h"

namespace {

constexpr size_t kHeaderBytes = 40;
constexpr size_t kPaletteBytes = 1024;
constexpr size_t kCountsOffset = kHeaderBytes + kPaletteBytes;  // 1064
constexpr size_t kTilesOffset = kCountsOffset + 8;               // 1072
constexpr int kMaxSide = 1 << 16;
// Far beyond any picture of the game (a 4096 x 4096 one of distinct tiles
// takes 18 MiB); a file claiming more is refused before it is read.
constexpr size_t kMaxFileBytes = size_t{64} << 20;

}  // namespace

TileMapPicture::TileMapPicture(const char* path) {
  std::vector<uint8_t> bytes;
  uint32_t code = kPkcErrOpen;
  if (!path || !ReadPictureFile(path, &bytes, kMaxFileBytes, &code)) {
    error_ = code != kPkcOk ? code : kTilePictureErrTruncated;
    return;
  }
  LoadFromMemory(std::move(bytes));
}

bool TileMapPicture::LoadFromMemory(std::vector<uint8_t> bytes) {
  data_.clear();
  map_.clear();
  width_ = height_ = 0;
  tileCount_ = remapCount_ = 0;
  tilesOffset_ = 0;
  const size_t size = bytes.size();
  if (size < kTilesOffset) {
    error_ = kTilePictureErrTruncated;
    return false;
  }
  const mbm::BitmapHeader h = mbm::DecodeHeader(bytes.data());
  if (h.width <= 0 || h.height <= 0 || h.width % 4 || h.height % 4 || h.width > kMaxSide ||
      h.height > kMaxSide) {
    error_ = kTilePictureErrBadHeader;
    return false;
  }
  const uint32_t tileCount = GetLe32(&bytes[kCountsOffset]);
  const uint32_t remapCount = GetLe32(&bytes[kCountsOffset + 4]);
  const uint64_t cells = uint64_t(h.width / 4) * uint64_t(h.height / 4);
  if ((size - kTilesOffset) / 16 < tileCount) {
    error_ = kTilePictureErrTruncated;
    return false;
  }
  if (remapCount > tileCount || tileCount == 0) {
    error_ = kTilePictureErrBadCounts;
    return false;
  }
  const size_t mapOffset = kTilesOffset + size_t{tileCount} * 16;
  if ((size - mapOffset) / 2 < cells) {
    error_ = kTilePictureErrTruncated;
    return false;
  }
  std::vector<uint16_t> map(static_cast<size_t>(cells));
  for (size_t i = 0; i < map.size(); ++i) {
    const uint16_t v = GetLe16(&bytes[mapOffset + 2 * i]);
    if (v >= tileCount) {
      error_ = kTilePictureErrBadMap;
      return false;
    }
    map[i] = v;
  }
  data_ = std::move(bytes);
  map_ = std::move(map);
  width_ = h.width;
  height_ = h.height;
  tileCount_ = tileCount;
  remapCount_ = remapCount;
  tilesOffset_ = kTilesOffset;
  error_ = kTilePictureOk;
  return true;
}

uint8_t TileMapPicture::PixelAt(int px, int py) const {
  if (data_.empty() || px < 0 || py < 0 || px >= width_ || py >= height_) return 0;
  const uint16_t tile = map_[static_cast<size_t>(py / 4) * (width_ / 4) + px / 4];
  return data_[tilesOffset_ + size_t{tile} * 16 + (py % 4) * 4 + (px % 4)];
}

void TileMapPicture::DrawToBuffer(uint8_t* bits, ptrdiff_t pitch, int targetWidth, int targetHeight,
                                  int dstX, int dstY, int width, int height, int srcX, int srcY) const {
  DrawClipped(bits, pitch, ClipBox{0, 0, targetWidth, targetHeight}, dstX, dstY, width, height, srcX, srcY);
}

void TileMapPicture::DrawClipped(uint8_t* bits, ptrdiff_t pitch, ClipBox clip, int dstX, int dstY,
                                 int width, int height, int srcX, int srcY) const {
  if (data_.empty() || !bits || width <= 0 || height <= 0) return;
  // Cut the rectangle to the picture and to the clip box, moving source and
  // destination together (64-bit so that extreme arguments cannot overflow).
  int64_t sx0 = srcX, sy0 = srcY, dx0 = dstX, dy0 = dstY, w = width, h = height;
  const int64_t cutL = std::max<int64_t>({0, -sx0, int64_t{clip.left} - dx0});
  const int64_t cutT = std::max<int64_t>({0, -sy0, int64_t{clip.top} - dy0});
  sx0 += cutL, dx0 += cutL, w -= cutL;
  sy0 += cutT, dy0 += cutT, h -= cutT;
  w = std::min<int64_t>({w, int64_t{width_} - sx0, int64_t{clip.right} - dx0});
  h = std::min<int64_t>({h, int64_t{height_} - sy0, int64_t{clip.bottom} - dy0});
  if (w <= 0 || h <= 0) return;

  const uint8_t* tiles = data_.data() + tilesOffset_;
  const int tilesAcross = width_ / 4;
  const int sx = static_cast<int>(sx0 & 3);
  const int headCols = sx ? std::min<int>(4 - sx, static_cast<int>(w)) : 0;
  const int wholeTiles = static_cast<int>((w - headCols) / 4);
  const int tailCols = static_cast<int>(w - headCols - 4 * wholeTiles);
  uint8_t* row = bits + dy0 * pitch + dx0;
  int line = 0;
  while (line < h) {
    const int py = static_cast<int>(sy0) + line;
    const int ty = py & 3;
    const int bandLines = std::min<int>(4 - ty, static_cast<int>(h) - line);
    const uint16_t* mapRow = map_.data() + static_cast<size_t>(py >> 2) * tilesAcross + (sx0 >> 2);
    for (int l = 0; l < bandLines; ++l, row += pitch) {
      const int tileLine = (ty + l) * 4;
      const uint16_t* m = mapRow;
      uint8_t* d = row;
      if (headCols) {
        std::memcpy(d, tiles + size_t{*m++} * 16 + tileLine + sx, static_cast<size_t>(headCols));
        d += headCols;
      }
      for (int t = 0; t < wholeTiles; ++t, d += 4) std::memcpy(d, tiles + size_t{*m++} * 16 + tileLine, 4);
      if (tailCols) std::memcpy(d, tiles + size_t{*m} * 16 + tileLine, static_cast<size_t>(tailCols));
    }
    line += bandLines;
  }
}

void TileMapPicture::RemapColours(const uint8_t* targetPalette, int first, int count) {
  if (data_.empty() || !targetPalette) return;
  if (first < 0 || first > 255 || count <= 0) return;
  RgbQuad quads[2][256];
  std::memcpy(quads[0], data_.data() + kHeaderBytes, sizeof quads[0]);
  std::memcpy(quads[1], targetPalette, sizeof quads[1]);
  PaletteEntry own[256], target[256];
  RgbQuadsToPaletteEntries(quads[0], own, 256);
  RgbQuadsToPaletteEntries(quads[1], target, 256);
  uint8_t table[256];
  BuildRemapTable(own, target, first, count, false, table);
  uint8_t* tiles = data_.data() + tilesOffset_;
  const size_t bytes = size_t{remapCount_} * 16;
  for (size_t i = 0; i < bytes; ++i) tiles[i] = table[tiles[i]];
}

void TileMapPicture::RemapColours(const RgbQuad* targetPalette, int first, int count) {
  static_assert(sizeof(RgbQuad) == 4, "RGBQUAD is 4 bytes");
  RemapColours(reinterpret_cast<const uint8_t*>(targetPalette), first, count);
}

void TileMapPicture::Draw(DDSurface* target, int dstX, int dstY, int width, int height, int srcX, int srcY) {
  if (data_.empty() || !target || target->GetBytesPerPixel() != 1) return;
  ClipBox clip{};
  if (!target->GetClipBounds(&clip.left, &clip.top, &clip.right, &clip.bottom)) return;
  uint8_t* bits = nullptr;
  int pitch = 0;
  if (target->Lock(&bits, &pitch) != kDDOk) return;
  DrawClipped(bits, pitch, clip, dstX, dstY, width, height, srcX, srcY);
  target->Unlock();
}
