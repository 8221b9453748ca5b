#pragma once
// Small scenes for the tests and benchmarks of the 3D scene layer: a palette,
// pictures written as 8-bit .bmp files, and track-piece meshes made from the
// two wall lines of a piece the way the game's pieces are laid out (a piece
// starts at its origin, runs along +z, the first wall on its left).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/palette.h"
#include "graphics/surface.h"
#include "scene3d/raster.h"
#include "scene3d/xfile.h"

class RMDevice;
struct RMImage;

// 0 black, 1 pure green (the colour decals leave out, 0x00FF00), then ramps
// of grey (2..63), red (64..127), blue (128..191) and yellow (192..254), 255
// white.
void MakeFixturePalette(PaletteEntry out[256]);

// An 8-bit surface in the fixture palette with a device drawing into it.
class FixtureDevice {
 public:
  FixtureDevice(int width, int height);
  ~FixtureDevice();
  FixtureDevice(const FixtureDevice&) = delete;
  FixtureDevice& operator=(const FixtureDevice&) = delete;

  DDSurface& Surface() { return surface_; }
  RMDevice* Device() const { return device_; }
  DDPalette* Palette() const { return palette_; }
  const PaletteEntry* Entries() const { return entries_; }

 private:
  PaletteEntry entries_[256];
  DDPalette* palette_;
  DDSurface surface_;
  RMDevice* device_;
};

// A rasteriser target over caller's pixel and depth rows of `width` each.
RasterTarget WholeTarget(uint8_t* pixels, float* depth, int width, int height);

// Pictures of the fixtures: 8-bit .bmp bytes, each with a palette of its
// own (so drawing them goes through colour matching).
std::vector<uint8_t> MakeCrateBmp();      // 32 x 32 wooden crate face
// Asphalt: 64 x 64, or 64 x 128 with the start line near its first edge.
std::vector<uint8_t> MakeTrackFloorBmp(bool startLine);
std::vector<uint8_t> MakeWallBmp();       // 32 x 16 red and white blocks

// A skater-like figure for decals: `size` x `size` pixels in the fixture
// palette, the background index 1 (left out), `tint` 0..3 choosing the
// shirt's ramp.
RMImage* MakeFigureImage(int size, int tint);

// Ground points (x, z) of a piece's walls, as the track tables hold them.
using WallLine = std::vector<std::array<float, 2>>;
WallLine StraightLeftWall();
WallLine StraightRightWall();
// A quarter turn (left or right) as five points per wall.
WallLine TurnInnerWall(bool left);
WallLine TurnOuterWall(bool left);

// The mesh of a piece between two walls of equally many points: the floor
// (rising by `rise` from the first points to the last), and walls 8 high
// facing into the track, with their tops. Floor and walls use the two named
// pictures; the floor picture repeats every `floorRepeat` units along.
XFile MakeTrackPieceX(const WallLine& leftWall, const WallLine& rightWall, float rise,
                      const std::string& floorPicture, const std::string& wallPicture,
                      float floorRepeat = 64.0f);

// Writes into `folder` the files the scene tests load: crate.bmp, floor.bmp,
// start.bmp, wall.bmp, cube.x (the hand-written crate of the test
// fixtures), start.x (a level straight with the start line), sl.x, tll.x and
// trl.x (level straight and turns). False when a file cannot be written.
bool WriteSceneFixtures(const std::string& folder);
