#include "events/troubled_waters/swim_maze.h"

#include "base/random.h"

namespace swim {

void MazeGrid::Alloc(int rows, int stride) {
  rows_ = rows > 0 ? rows : 0;
  stride_ = stride > 0 ? stride : 0;
  cells_.assign(static_cast<size_t>(rows_) * stride_, 0);
}

void MazeGrid::Free() {
  cells_.clear();
  cells_.shrink_to_fit();
  rows_ = stride_ = 0;
}

void SetWallIfClosed(MazeGrid& m, int r, int c, uint8_t code) {
  if (m.Inside(r, c) && m.At(r, c) != kWater) m.Set(r, c, code);
}

void TurnTable(float table[4], int direction) {
  static const float kTables[4][4] = {
      {0.3f, 0.7f, 0.7f, 1.1f},    // up: never down
      {0.3f, 0.7f, 1.1f, 1.1f},    // right: never left
      {0.0f, 0.4f, 0.7f, 1.1f},    // down: never up (but for a draw of exactly 0)
      {0.35f, 0.35f, 0.7f, 1.1f},  // left: never right
  };
  if (direction < 0 || direction > 3) return;
  for (int i = 0; i < 4; ++i) table[i] = kTables[direction][i];
}

namespace {

constexpr int kUp = 0, kRight = 1, kDown = 2, kLeft = 3;
// A walk that has not reached the exit after this many blocks goes straight
// right: no seed comes near it, but a carving that could loop for ever must
// not freeze the loading picture.
constexpr int kMaxBlocks = 20000;

bool Holds(const MazeGrid& m, int r, int c, uint8_t v) { return m.At(r, c) == v; }

void PlaceBlock(MazeGrid& m, int y, int x, int d) {
  m.Set(y, x, kWater);
  m.Set(y, x + 1, kWater);
  m.Set(y + 1, x, kWater);
  m.Set(y + 1, x + 1, kWater);
  switch (d) {
    case kRight:
      SetWallIfClosed(m, y - 1, x, 5);
      SetWallIfClosed(m, y - 1, x + 1, 5);
      SetWallIfClosed(m, y + 2, x, 1);
      SetWallIfClosed(m, y + 2, x + 1, 1);
      SetWallIfClosed(m, y, x + 2, 7);
      SetWallIfClosed(m, y + 1, x + 2, 7);
      if (Holds(m, y + 2, x - 1, kWater)) SetWallIfClosed(m, y + 2, x, 8);
      if (Holds(m, y - 1, x - 1, kWater)) SetWallIfClosed(m, y - 1, x, 6);
      break;
    case kLeft:
      SetWallIfClosed(m, y - 1, x, 5);
      SetWallIfClosed(m, y - 1, x + 1, 5);
      SetWallIfClosed(m, y + 2, x, 1);
      SetWallIfClosed(m, y + 2, x + 1, 1);
      SetWallIfClosed(m, y, x - 1, 3);
      SetWallIfClosed(m, y + 1, x - 1, 3);
      if (Holds(m, y - 1, x + 2, kWater)) SetWallIfClosed(m, y - 1, x + 1, 4);
      if (Holds(m, y + 2, x + 2, kWater)) SetWallIfClosed(m, y + 2, x + 1, 2);
      break;
    case kUp:
      SetWallIfClosed(m, y, x - 1, 3);
      SetWallIfClosed(m, y + 1, x - 1, 3);
      SetWallIfClosed(m, y, x + 2, 7);
      SetWallIfClosed(m, y + 1, x + 2, 7);
      SetWallIfClosed(m, y - 1, x, 5);
      SetWallIfClosed(m, y - 1, x + 1, 5);
      if (Holds(m, y + 2, x - 1, kWater)) SetWallIfClosed(m, y + 1, x - 1, 4);
      if (Holds(m, y + 2, x + 2, kWater)) SetWallIfClosed(m, y + 1, x + 2, 6);
      break;
    case kDown:
      SetWallIfClosed(m, y, x - 1, 3);
      SetWallIfClosed(m, y + 1, x - 1, 3);
      SetWallIfClosed(m, y, x + 2, 7);
      SetWallIfClosed(m, y + 1, x + 2, 7);
      SetWallIfClosed(m, y + 2, x, 1);
      SetWallIfClosed(m, y + 2, x + 1, 1);
      if (Holds(m, y - 1, x - 1, kWater)) SetWallIfClosed(m, y, x - 1, 2);
      if (Holds(m, y - 1, x + 2, kWater)) SetWallIfClosed(m, y, x + 2, 8);
      break;
    default:
      break;
  }
}

// Phase 2 reads only rows 1..99 and columns 1..99 and writes rows 1..98 and
// columns 1..98, so it works on the cells directly.
void Refine(MazeGrid& m) {
  uint8_t* d = m.Data();
  const int w = m.Stride();
  auto at = [&](int r, int c) -> uint8_t& { return d[r * w + c]; };
  auto low = [&](int r, int c) { return at(r, c) <= 8; };
  auto water = [&](int r, int c) { return at(r, c) == kWater; };
  for (int y = 2; y <= 97; ++y) {
    for (int x = 2; x <= 97; ++x) {
      if (water(y, x)) {
        if (low(y, x + 1) && low(y + 1, x) && low(y + 1, x + 1)) {
          at(y, x) = 9;
          at(y, x + 1) = 10;
          at(y + 1, x) = 11;
        } else if (low(y, x - 1) && low(y + 1, x) && low(y + 1, x - 1)) {
          at(y, x) = 13;
          at(y, x - 1) = 12;
          at(y + 1, x) = 14;
        } else if (low(y - 1, x) && low(y, x + 1) && low(y - 1, x + 1)) {
          at(y, x) = 16;
          at(y - 1, x) = 15;
          at(y, x + 1) = 17;
        } else if (low(y - 1, x) && low(y, x - 1) && low(y - 1, x - 1)) {
          at(y, x) = 20;
          at(y - 1, x) = 18;
          at(y, x - 1) = 19;
        }
        continue;
      }
      const bool n = water(y - 1, x), s = water(y + 1, x), e = water(y, x + 1), wv = water(y, x - 1);
      if (n && wv && water(y + 2, x) && water(y, x + 2) && water(y + 2, x + 1) && water(y + 1, x + 2)) {
        at(y, x) = at(y, x + 1) = at(y + 1, x) = at(y + 1, x + 1) = kWater;  // a small pillar goes
      } else if (n && e && water(y - 1, x + 1)) {
        at(y, x) = 2;
      } else if (s && e && water(y + 1, x + 1)) {
        at(y, x) = 4;
      } else if (s && wv && water(y + 1, x - 1)) {
        at(y, x) = 6;
      } else if (n && wv && water(y - 1, x - 1)) {
        at(y, x) = 8;
      } else if (water(y - 1, x - 1) && n && water(y - 1, x + 1)) {
        at(y, x) = 1;
      } else if (water(y + 1, x - 1) && s && water(y + 1, x + 1)) {
        at(y, x) = 5;
      } else if (water(y - 1, x - 1) && wv && water(y + 1, x - 1)) {
        at(y, x) = 7;
      } else if (water(y - 1, x + 1) && e && water(y + 1, x + 1)) {
        at(y, x) = 3;
      }
    }
  }
}

}  // namespace

void GenerateSwimMaze(MazeGrid& m) {
  if (m.Rows() != kMazeSize || m.Stride() != kMazeSize) m.Alloc(kMazeSize, kMazeSize);
  int y = RandomInt(25) + 4;
  if (y & 1) ++y;
  int x = 0, d = kRight, k = 0, s = 0;
  for (int blocks = 0;; ++blocks) {
    PlaceBlock(m, y, x, d);
    ++k;
    if (x >= 98) break;
    ++s;
    if (s <= 4 || blocks >= kMaxBlocks) {
      x += 2;
      d = kRight;
      continue;
    }
    const bool decide = k >= 2;
    if (decide) {
      float table[4] = {0, 0, 0, 0};
      TurnTable(table, d);
      const float r = static_cast<float>(RandomUnit());
      for (int i = 0; i < 4; ++i)
        if (!(table[i] < r)) {
          d = i;
          break;
        }
    }
    int ny = y, nx = x;
    switch (d) {
      case kUp: ny = y - 2; break;
      case kRight: nx = x + 2; break;
      case kDown: ny = y + 2; break;
      default: nx = x - 2; break;
    }
    if (decide) {
      if (nx < 6) {
        nx = x + 2;
        d = kRight;
      }
      if (ny < 4) {
        ny = y + 2;
        d = kDown;
      }
      if (ny >= 96) {
        ny = y - 2;
        d = kUp;
      }
      k = 0;
    }
    y = ny;
    x = nx;
  }
  if (m.Rows() == kMazeSize && m.Stride() == kMazeSize) Refine(m);
}

}  // namespace swim
