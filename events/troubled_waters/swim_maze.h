#pragma once
// The TROUBLED WATERS maze: a grid of 100 x 100 byte cells carved at random
// from the shared generator, so every machine of a network game carves the
// same maze from the same seed. A cell of row r and column c covers the world
// pixels x 100c .. 100c + 99 and y 100r .. 100r + 99.
//
// Cell codes: 0 rock, 1..8 wall pieces (the water lies to the N, NE, E, SE,
// S, SW, W, NW of them), 9..20 the three cells of each rounded corner, and
// every byte from 128 up is water: 255 open water, 253 the computer swimmers'
// route, 254 / 252 a turn sign where the route goes on down / up.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace swim {

inline constexpr int kMazeSize = 100;
inline constexpr int kCellPixels = 100;
inline constexpr int kFinishX = kMazeSize * kCellPixels;  // 10000

inline constexpr uint8_t kRock = 0;
inline constexpr uint8_t kFloor = 1;  // wall with water to the north: objects stand on it
inline constexpr uint8_t kWater = 255;
inline constexpr uint8_t kRouteCell = 253;
inline constexpr uint8_t kRouteDown = 254;
inline constexpr uint8_t kRouteUp = 252;

// Water is any byte read as a negative signed byte.
inline bool IsWater(uint8_t code) { return code >= 128; }
// The route's codes: water other than open water.
inline bool IsRouteCode(uint8_t code) { return code >= 128 && code != kWater; }

// A rectangular byte grid. Reads outside it give rock and writes outside it
// are dropped, so no rule that looks one cell past the edge can read or
// write another row's cells.
class MazeGrid {
 public:
  MazeGrid() = default;
  void Alloc(int rows, int stride);  // cells cleared to 0
  void Free();
  bool Empty() const { return cells_.empty(); }
  int Rows() const { return rows_; }
  int Stride() const { return stride_; }
  int Size() const { return static_cast<int>(cells_.size()); }
  bool Inside(int r, int c) const { return r >= 0 && r < rows_ && c >= 0 && c < stride_; }
  uint8_t At(int r, int c) const { return Inside(r, c) ? cells_[static_cast<size_t>(r) * stride_ + c] : kRock; }
  void Set(int r, int c, uint8_t v) {
    if (Inside(r, c)) cells_[static_cast<size_t>(r) * stride_ + c] = v;
  }
  bool Water(int r, int c) const { return IsWater(At(r, c)); }
  // The cell under a world point (pixels; negative coordinates are outside).
  uint8_t AtPoint(int x, int y) const {
    if (x < 0 || y < 0) return kRock;
    return At(y / kCellPixels, x / kCellPixels);
  }
  uint8_t* Data() { return cells_.data(); }
  const uint8_t* Row(int r) const { return cells_.data() + static_cast<size_t>(r) * stride_; }
  const std::vector<uint8_t>& Cells() const { return cells_; }

 private:
  std::vector<uint8_t> cells_;
  int rows_ = 0;
  int stride_ = 0;
};

// Writes code into a cell unless it holds open water.
void SetWallIfClosed(MazeGrid& m, int r, int c, uint8_t code);
// Cumulative chances of the next direction (0 up, 1 right, 2 down, 3 left)
// after direction d; another d leaves the table as it is.
void TurnTable(float table[4], int direction);

// Carves the maze into m (allocated as 100 x 100 and cleared), drawing one
// RandomInt(25) and then one RandomUnit per direction decision.
void GenerateSwimMaze(MazeGrid& m);

}  // namespace swim
