#pragma once
// TileMap: the older tiled background. A map file names, for every cell of a
// grid, one frame of an .mbm sprite that holds the tile pictures; drawing
// lays whole tiles (and partial ones at the right and bottom edges) into a
// rectangle, starting at any cell and wrapping round the map both ways.
//
// Map file (little-endian): u32 tile width | u32 tile height | u32 rows |
// u32 columns | u8 name length | the sprite's file name (relative to the map
// file's folder) | rows x columns cells of 12 bytes, top row first, whose
// third u32 is a frame index (negative: an empty cell; index + 1 is the
// sprite's frame number).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class DDPalette;
class DDSurface;
class Sprite;

class TileMap {
 public:
  TileMap();
  ~TileMap();
  TileMap(const TileMap&) = delete;
  TileMap& operator=(const TileMap&) = delete;

  // Reads the map file and opens its sprite with spriteFlags. 1 done; 0 when
  // the map cannot be read, is damaged, or its sprite cannot be opened (the
  // map is then empty and draws nothing).
  int Load(const char* path, uint32_t spriteFlags);
  // The same from a map file's bytes; the sprite's name is taken relative to
  // `folder` (which ends in a separator, or is empty).
  int LoadFromMemory(const std::vector<uint8_t>& bytes, const std::string& folder, uint32_t spriteFlags);

  bool IsLoaded() const { return sprite_ != nullptr; }
  int Rows() const { return rows_; }
  int Columns() const { return columns_; }
  int TileWidth() const { return tileWidth_; }
  int TileHeight() const { return tileHeight_; }
  const std::string& SpriteName() const { return spriteName_; }
  // The frame index of a cell (negative: empty), or -1 outside the map.
  int32_t FrameIndexAt(int row, int column) const;

  // Fills (x, y, width, height) of the target with tiles from cell (firstRow
  // mod rows, firstColumn mod columns) on, opaque, cut to the target and its
  // clipper. Empty cells and cells naming no frame of the sprite are left out.
  void Draw(DDSurface* target, int x, int y, int width, int height, int firstColumn, int firstRow);
  // Matches every tile to the palette's entries 0..255. 1 done, 0 failed.
  int MatchPalette(DDPalette* palette);

 private:
  void Clear();

  std::unique_ptr<Sprite> sprite_;
  std::vector<int32_t> frames_;
  std::string spriteName_;
  int tileWidth_ = 0;
  int tileHeight_ = 0;
  int rows_ = 0;
  int columns_ = 0;
};
