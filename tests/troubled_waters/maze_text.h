#pragma once
// Mazes as text for the stored fixtures and for readable failures: one line a
// row, one character a cell: '#' rock, '.' open water, 'A'..'T' wall pieces
// 1..20, 'r' route, 'v' / '^' the route's turn signs down / up.
#include <string>

#include "events/troubled_waters/swim_maze.h"

namespace swimtest {

inline char CellChar(uint8_t v) {
  if (v == 0) return '#';
  if (v == swim::kWater) return '.';
  if (v == swim::kRouteCell) return 'r';
  if (v == swim::kRouteDown) return 'v';
  if (v == swim::kRouteUp) return '^';
  if (v >= 1 && v <= 20) return static_cast<char>('A' + v - 1);
  return '?';
}

inline uint8_t CharCell(char ch) {
  switch (ch) {
    case '#': return 0;
    case '.': return swim::kWater;
    case 'r': return swim::kRouteCell;
    case 'v': return swim::kRouteDown;
    case '^': return swim::kRouteUp;
    default: return (ch >= 'A' && ch <= 'T') ? static_cast<uint8_t>(ch - 'A' + 1) : 99;
  }
}

inline std::string MazeText(const swim::MazeGrid& m) {
  std::string s;
  for (int r = 0; r < m.Rows(); ++r) {
    for (int c = 0; c < m.Stride(); ++c) s += CellChar(m.At(r, c));
    s += '\n';
  }
  return s;
}

// A grid from lines of equal length.
inline swim::MazeGrid MazeFromText(const std::string& text) {
  int rows = 0, cols = 0;
  for (size_t p = 0; p < text.size();) {
    size_t e = text.find('\n', p);
    if (e == std::string::npos) e = text.size();
    if (e > p) {
      cols = static_cast<int>(e - p);
      ++rows;
    }
    p = e + 1;
  }
  swim::MazeGrid m;
  m.Alloc(rows, cols);
  int r = 0;
  for (size_t p = 0; p < text.size();) {
    size_t e = text.find('\n', p);
    if (e == std::string::npos) e = text.size();
    if (e > p) {
      for (int c = 0; c < cols && p + c < e; ++c) m.Set(r, c, CharCell(text[p + c]));
      ++r;
    }
    p = e + 1;
  }
  return m;
}

}  // namespace swimtest
