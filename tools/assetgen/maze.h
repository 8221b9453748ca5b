#pragma once
// The 3D MAZE part of the generator: engine tables, levels with their
// navigation files, skies, the status bar's pictures, the characters' maze
// pictures and the engine sprites (maze_*.cpp).
#include <cstdint>
#include <string>
#include <vector>

#include "events/maze3d/maze3d_data.h"
#include "tools/assetgen/gen.h"
#include "tools/assetgen/image.h"

namespace assetgen {

// Deterministic generator of the maze data (the same bytes every run).
class MazeRng {
 public:
  explicit MazeRng(uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  uint32_t Next() {
    s_ = s_ * 6364136223846793005ull + 1442695040888963407ull;
    return uint32_t(s_ >> 33);
  }
  int Int(int n) { return n <= 0 ? 0 : int(Next() % uint32_t(n)); }
  double Unit() { return (Next() & 0xFFFFFF) / double(0x1000000); }

 private:
  uint64_t s_;
};

// The maze palette in daylight, with the thing colours and the status bar's
// colours; sky entries are filled by each sky.
Palette MazeDayPalette();
// The palette of sky choice c (0..3; 4 the split screen's night sky): the
// world colours tinted by its light, its own sky colours.
Palette MazeSkyPalette(int choice);
// The same as a .bmp colour table (1024 bytes).
std::vector<uint8_t> ColourTable(const Palette& p);
// The thing colours (96..126), fitted to every thing picture once drawn.
void SetMazeThingColours(const std::vector<Rgb>& colours);

void GenerateMazeTables(Output& out);
void GenerateMazeLevels(Output& out);
void GenerateMazeSkies(Output& out);
// Sprites and status-bar pictures share the thing colours, so they are drawn
// in one pass (maze_sprites.cpp).
void GenerateMazeThings(Output& out);
void GenerateMazeCharacters(Output& out);
// The event's and the characters' sounds (maze_sounds.cpp).
void GenerateMazeSounds(Output& out);

}  // namespace assetgen
