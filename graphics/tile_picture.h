#pragma once
// Tile pictures: a large 8-bit background stored as distinct 4x4-pixel tiles
// and a map naming one tile for every 4x4 cell (the .bbm backgrounds of the
// scrolling events). The whole file is read once; drawing copies any window of
// the picture at any pixel alignment into a locked 8-bit surface.
//
// File (little-endian): 40-byte bitmap header (width and height, multiples of
// 4) | 1024-byte palette | u32 tile count | u32 tiles rewritten by RemapColours |
// tiles (16 bytes each, 4 rows of 4) | map (u16 tile numbers, width/4 per row,
// top row first).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class DDSurface;
struct RgbQuad;

enum : uint32_t {
  kTilePictureOk = 0,
  kTilePictureErrTruncated = 2001,   // shorter than its header, tiles or map
  kTilePictureErrBadHeader = 2002,   // width or height not positive multiples of 4, or too large
  kTilePictureErrBadCounts = 2003,   // remap count above the tile count, or no tile for a map
  kTilePictureErrBadMap = 2004,      // a map entry names a tile that does not exist
  kTilePictureErrEmpty = 2005,       // no picture loaded
};

class TileMapPicture {
 public:
  TileMapPicture() = default;
  // Reads the file through the PKC reader. A missing or damaged file leaves an
  // empty picture (GetError tells why) whose Draw and RemapColours do nothing.
  explicit TileMapPicture(const char* path);
  ~TileMapPicture() = default;
  TileMapPicture(const TileMapPicture&) = delete;
  TileMapPicture& operator=(const TileMapPicture&) = delete;

  // Validates and takes a whole file image; false (and the picture empty) when damaged.
  bool LoadFromMemory(std::vector<uint8_t> bytes);

  bool IsLoaded() const { return !data_.empty(); }
  uint32_t GetError() const { return error_; }
  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  uint32_t GetTileCount() const { return tileCount_; }
  // The picture's 256 RGBQUAD entries (blue, green, red, 0), or null without data.
  const uint8_t* GetPalette() const { return data_.empty() ? nullptr : data_.data() + 40; }

  // Copies the picture's rectangle (srcX, srcY, width x height) to (dstX, dstY)
  // of an 8-bit target. Everything outside the picture, the target or the
  // target's clipper is left out.
  void Draw(DDSurface* target, int dstX, int dstY, int width, int height, int srcX, int srcY);
  // The same into a caller's 8-bit buffer of targetWidth x targetHeight.
  void DrawToBuffer(uint8_t* bits, ptrdiff_t pitch, int targetWidth, int targetHeight, int dstX,
                    int dstY, int width, int height, int srcX, int srcY) const;
  // Rewrites the remapped tiles so that each pixel shows the nearest colour
  // among entries first .. first + count - 1 of targetPalette (256 RGBQUAD).
  void RemapColours(const uint8_t* targetPalette, int first, int count);
  void RemapColours(const RgbQuad* targetPalette, int first, int count);

  // The picture's pixel (px, py), for checks; 0 outside or without data.
  uint8_t PixelAt(int px, int py) const;

 private:
  struct ClipBox {
    int left, top, right, bottom;
  };
  void DrawClipped(uint8_t* bits, ptrdiff_t pitch, ClipBox clip, int dstX, int dstY, int width,
                   int height, int srcX, int srcY) const;

  std::vector<uint8_t> data_;
  std::vector<uint16_t> map_;  // decoded once: aligned and host-endian
  uint32_t error_ = kTilePictureErrEmpty;
  int width_ = 0;
  int height_ = 0;
  uint32_t tileCount_ = 0;
  uint32_t remapCount_ = 0;
  size_t tilesOffset_ = 0;
};
