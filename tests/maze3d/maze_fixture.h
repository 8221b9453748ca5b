#pragma once
// Fixtures of the maze engine's tests: the engine tables by their
// definitions, a small hand-made level, files written into a folder of the
// test's own, and the debug lines a test provokes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/debug.h"
#include "events/maze3d/rc_world.h"
#include "events/maze3d/rc_writer.h"

// Fills the engine's table globals as the generated engine file holds them.
void LoadFixtureTables();

// A level of one room (rows 40..55, columns 40..59) and a corridor three
// cells wide running north from it (rows 20..39, columns 48..50), walls on
// every edge between open and solid cells; 40 wall textures (the door's 36
// and four of its own) and two floor textures, each texel a pattern of its
// texture, column and row; two zones with three monsters.
std::unique_ptr<MazeLevel> FixtureLevel();
// Sets the walls of a level from its open cells (those with a floor map entry).
void WallsFromFloor(MazeLevel* level, uint16_t wallValue);

// A small navigation graph: five nodes, a row along y = 320 (x 320, 640,
// 960), one below the middle (640, 640) and one below that (640, 960),
// areas of 192 units around them (node 4's empty), next hops along the tree.
RcNavData SmallGraph();

// A folder of the running test's own, emptied.
std::string TestFolder();
// Writes the bytes to a file of that folder; returns its path.
std::string WriteTestFile(const std::string& name, const std::vector<uint8_t>& bytes);

// Writes 8-bit pixels (rows `pitch` bytes apart) through a 1024-byte .bmp
// colour table as an RGB PNG.
bool WriteIndexedPng(const std::string& path, const uint8_t* pixels, int width, int height, int pitch,
                     const uint8_t palette[1024]);

// Collects the debug lines written while it lives.
class DebugCapture {
 public:
  DebugCapture();
  ~DebugCapture();
  const std::vector<std::string>& lines() const { return lines_; }
  bool Mentions(const std::string& text) const;

 private:
  std::vector<std::string> lines_;
  DebugSink saved_;
};
