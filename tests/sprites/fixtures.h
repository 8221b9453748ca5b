#pragma once
// Small generated pictures and files shared by the sprite tests.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace fixtures {

// A deterministic w x h picture (top row first) with transparent (index 1)
// holes, long opaque runs and long transparent runs, so that every run-length
// code is exercised.
inline std::vector<uint8_t> Picture(int w, int h, uint32_t seed = 7) {
  std::vector<uint8_t> p(static_cast<size_t>(w) * h);
  uint32_t s = seed;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      s = s * 1664525u + 1013904223u;
      uint8_t v = static_cast<uint8_t>(2 + (s >> 24) % 250);
      const int band = (x / 5 + y) % 7;
      if (band == 0 || band == 3 || (y % 4 == 2 && x > w / 3)) v = 1;
      if (x == 0 && y % 2) v = 1;
      p[static_cast<size_t>(y) * w + x] = v;
    }
  }
  return p;
}

// A 256-entry RGBQUAD palette (blue, green, red, 0) with distinct colours.
inline std::vector<uint8_t> Palette(uint32_t seed = 3) {
  std::vector<uint8_t> q(1024);
  for (int i = 0; i < 256; ++i) {
    q[i * 4 + 0] = static_cast<uint8_t>((i * 37 + seed) & 255);
    q[i * 4 + 1] = static_cast<uint8_t>((i * 91 + seed * 5) & 255);
    q[i * 4 + 2] = static_cast<uint8_t>((i * 53 + seed * 11) & 255);
    q[i * 4 + 3] = 0;
  }
  return q;
}

inline void Put32(std::vector<uint8_t>* b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A tile-picture file for a picture of w x h (multiples of 4): every 4x4 cell
// becomes a tile, equal cells share one. `pixels` receives the picture.
inline std::vector<uint8_t> TileFile(int w, int h, std::vector<uint8_t>* pixels, uint32_t seed = 11) {
  std::vector<uint8_t> pic(static_cast<size_t>(w) * h);
  uint32_t s = seed;
  for (int cy = 0; cy < h / 4; ++cy)
    for (int cx = 0; cx < w / 4; ++cx) {
      // Every third cell repeats cell (0, 0) so that tiles are shared.
      const bool shared = (cx + cy) % 3 == 0;
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
          s = s * 1664525u + 1013904223u;
          uint8_t v = shared ? static_cast<uint8_t>(y * 4 + x + 100) : static_cast<uint8_t>(s >> 24);
          pic[static_cast<size_t>(cy * 4 + y) * w + cx * 4 + x] = v;
        }
    }
  std::vector<std::vector<uint8_t>> tiles;
  std::vector<uint16_t> map;
  for (int cy = 0; cy < h / 4; ++cy)
    for (int cx = 0; cx < w / 4; ++cx) {
      std::vector<uint8_t> t(16);
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) t[y * 4 + x] = pic[static_cast<size_t>(cy * 4 + y) * w + cx * 4 + x];
      size_t i = 0;
      while (i < tiles.size() && tiles[i] != t) ++i;
      if (i == tiles.size()) tiles.push_back(t);
      map.push_back(static_cast<uint16_t>(i));
    }
  std::vector<uint8_t> f(1072, 0);
  Put32(&f, 0, 40);
  Put32(&f, 4, static_cast<uint32_t>(w));
  Put32(&f, 8, static_cast<uint32_t>(h));
  f[12] = 1;
  f[14] = 8;
  std::vector<uint8_t> pal = Palette(5);
  std::memcpy(&f[40], pal.data(), 1024);
  Put32(&f, 1064, static_cast<uint32_t>(tiles.size()));
  Put32(&f, 1068, static_cast<uint32_t>(tiles.size()));
  for (auto& t : tiles) f.insert(f.end(), t.begin(), t.end());
  for (uint16_t m : map) {
    f.push_back(static_cast<uint8_t>(m));
    f.push_back(static_cast<uint8_t>(m >> 8));
  }
  if (pixels) *pixels = pic;
  return f;
}

inline std::string BuildDir() { return KEL_BINARY_DIR; }

}  // namespace fixtures
