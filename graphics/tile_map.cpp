#include "graphics/tile_map.h"

#include <algorithm>

#include "base/byte_order.h"
#include "graphics/bmp.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"

namespace {

constexpr size_t kFixedBytes = 17;  // four u32 and the name length
constexpr size_t kCellBytes = 12;
constexpr size_t kFrameInCell = 8;
// Far beyond any background: a damaged size must not make us allocate much.
constexpr uint32_t kMaxTileSide = 4096;
constexpr uint64_t kMaxCells = uint64_t{1} << 22;
constexpr size_t kMaxFileBytes = kFixedBytes + 255 + kMaxCells * kCellBytes;

// A cell's position from any number, wrapping round the map.
int Wrap(int64_t v, int n) { return static_cast<int>(((v % n) + n) % n); }

}  // namespace

TileMap::TileMap() = default;
TileMap::~TileMap() = default;

void TileMap::Clear() {
  sprite_.reset();
  frames_.clear();
  spriteName_.clear();
  tileWidth_ = tileHeight_ = rows_ = columns_ = 0;
}

int TileMap::Load(const char* path, uint32_t spriteFlags) {
  Clear();
  std::vector<uint8_t> bytes;
  if (!path || !ReadPictureFile(path, &bytes, kMaxFileBytes)) return 0;
  // The sprite lies beside the map: its name follows the map's folder.
  const std::string p(path);
  const size_t slash = p.find_last_of("\\/");
  return LoadFromMemory(bytes, slash == std::string::npos ? std::string() : p.substr(0, slash + 1), spriteFlags);
}

int TileMap::LoadFromMemory(const std::vector<uint8_t>& bytes, const std::string& folder, uint32_t spriteFlags) {
  Clear();
  if (bytes.size() < kFixedBytes) return 0;
  const uint32_t tileWidth = GetLe32(&bytes[0]), tileHeight = GetLe32(&bytes[4]);
  const uint32_t rows = GetLe32(&bytes[8]), columns = GetLe32(&bytes[12]);
  const size_t nameLength = bytes[16];
  if (tileWidth == 0 || tileHeight == 0 || tileWidth > kMaxTileSide || tileHeight > kMaxTileSide) return 0;
  if (rows == 0 || columns == 0 || uint64_t{rows} * columns > kMaxCells || nameLength == 0) return 0;
  const size_t cells = size_t{rows} * columns;
  if (bytes.size() - kFixedBytes < nameLength || (bytes.size() - kFixedBytes - nameLength) / kCellBytes < cells)
    return 0;
  std::string name(bytes.begin() + kFixedBytes, bytes.begin() + static_cast<ptrdiff_t>(kFixedBytes + nameLength));
  std::vector<int32_t> frames(cells);
  const uint8_t* cell = bytes.data() + kFixedBytes + nameLength;
  for (size_t i = 0; i < cells; ++i, cell += kCellBytes) frames[i] = static_cast<int32_t>(GetLe32(cell + kFrameInCell));
  auto sprite = std::make_unique<Sprite>((folder + name).c_str(), spriteFlags);
  if (sprite->FrameCount() == 0) return 0;
  sprite_ = std::move(sprite);
  frames_ = std::move(frames);
  spriteName_ = std::move(name);
  tileWidth_ = static_cast<int>(tileWidth);
  tileHeight_ = static_cast<int>(tileHeight);
  rows_ = static_cast<int>(rows);
  columns_ = static_cast<int>(columns);
  return 1;
}

int32_t TileMap::FrameIndexAt(int row, int column) const {
  if (row < 0 || column < 0 || row >= rows_ || column >= columns_) return -1;
  return frames_[static_cast<size_t>(row) * columns_ + column];
}

void TileMap::Draw(DDSurface* target, int x, int y, int width, int height, int firstColumn, int firstRow) {
  if (!sprite_ || !target || width <= 0 || height <= 0) return;
  int row = Wrap(firstRow, rows_);
  for (int64_t py = 0; py < height; py += tileHeight_, row = (row + 1) % rows_) {
    const int h = static_cast<int>(std::min<int64_t>(tileHeight_, height - py));
    int column = Wrap(firstColumn, columns_);
    for (int64_t px = 0; px < width; px += tileWidth_, column = (column + 1) % columns_) {
      const int w = static_cast<int>(std::min<int64_t>(tileWidth_, width - px));
      const int32_t frame = frames_[static_cast<size_t>(row) * columns_ + column];
      if (frame < 0 || frame >= sprite_->FrameCount()) continue;
      DDSurface* tile = sprite_->GetFrameSurface(frame + 1);
      if (tile) target->Blt(static_cast<int>(x + px), static_cast<int>(y + py), w, h, tile, 0, 0);
    }
  }
}

int TileMap::MatchPalette(DDPalette* palette) {
  if (!sprite_) return 0;
  return sprite_->MatchPaletteRange(palette, 0, 256, 0, 1, sprite_->FrameCount());
}
