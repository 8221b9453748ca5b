// 3D MAZE: the engine tables, the maze palette, and the order in which the
// maze's files are made.
#include "tools/assetgen/maze.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <cstdint>
#include <vector>

#include "events/maze3d/rc_tables.h"
#include "events/maze3d/rc_writer.h"

namespace assetgen {

using namespace mazeassets;

namespace {

std::vector<Rgb> g_thingColours;

Rgb Mix(Rgb a, Rgb b, double t) {
  auto m = [t](uint8_t x, uint8_t y) { return uint8_t(std::lround(x + (y - x) * t)); };
  return Rgb{m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

void Ramp(Palette* p, int first, int count, Rgb from, Rgb to) {
  for (int i = 0; i < count; ++i) (*p)[first + i] = Mix(from, to, count > 1 ? double(i) / (count - 1) : 0);
}

}  // namespace

Palette MazeDayPalette() {
  Palette p{};
  p[0] = {0, 0, 0};
  p[kBarGreen] = {40, 210, 70};
  p[kBarRed] = {230, 40, 30};
  p[kBarYellow] = {250, 210, 40};
  // The status bar: navy panels, steel trim, gold rivets.
  const Rgb hud[12] = {{14, 18, 40},   {28, 36, 78},   {44, 58, 118},  {70, 92, 160},
                       {110, 134, 196}, {160, 176, 214}, {60, 60, 66},  {110, 110, 118},
                       {170, 170, 178}, {150, 110, 30},  {220, 180, 60}, {255, 236, 150}};
  for (int i = 0; i < 12; ++i) p[kHudFirst + i] = hud[i];
  // The world: a cool stone ramp, a warm ramp (wood, sand, terracotta; the
  // flat floors 0x27, 0x2A, 0x2C lie in it), greens and a few accents.
  Ramp(&p, 16, 16, {30, 34, 46}, {210, 214, 226});
  Ramp(&p, 32, 16, {46, 28, 16}, {236, 206, 156});
  Ramp(&p, 48, 8, {18, 46, 20}, {150, 214, 104});
  const Rgb accent[8] = {{110, 34, 26}, {168, 58, 40}, {206, 104, 72}, {224, 178, 40},
                         {255, 246, 206}, {40, 220, 96}, {64, 96, 150}, {76, 18, 18}};
  for (int i = 0; i < 8; ++i) p[56 + i] = accent[i];
  // A neutral sky until a sky picture fills it.
  Ramp(&p, kSkyFirst, 32, {40, 90, 190}, {190, 220, 250});
  for (size_t i = 0; i < 31; ++i)
    p[kThingFirst + int(i)] = i < g_thingColours.size() ? g_thingColours[i] : Rgb{128, 128, 128};
  // Players' bands: filled by the characters when the event loads.
  for (int i = 0; i < 128; ++i) p[kBandFirst + i] = Rgb{uint8_t(i * 2), uint8_t(i * 2), uint8_t(i * 2)};
  p[kWhite] = {255, 255, 255};
  return p;
}

void SetMazeThingColours(const std::vector<Rgb>& colours) { g_thingColours = colours; }

Palette MazeSkyPalette(int choice) {
  Palette p = MazeDayPalette();
  // The light of the sky falls on the walls and floors.
  struct Light { double r, g, b; int addR, addG, addB; };
  static const Light kLight[5] = {{0.40, 0.46, 0.70, 0, 2, 14},   // night
                                  {1.00, 0.76, 0.60, 12, 0, 0},   // sunset
                                  {1.00, 0.95, 0.86, 8, 6, 0},    // morning
                                  {1.00, 1.00, 1.00, 0, 0, 0},    // day
                                  {0.40, 0.46, 0.70, 0, 2, 14}};  // night, split screen
  const Light& l = kLight[choice];
  auto tint = [](uint8_t v, double f, int add) { return uint8_t(std::min(255L, std::lround(v * f) + add)); };
  for (int i = kWorldFirst; i <= kWorldLast; ++i)
    p[i] = Rgb{tint(p[i].r, l.r, l.addR), tint(p[i].g, l.g, l.addG), tint(p[i].b, l.b, l.addB)};
  return p;
}

std::vector<uint8_t> ColourTable(const Palette& p) {
  std::vector<uint8_t> t(1024);
  for (int i = 0; i < 256; ++i) {
    t[i * 4] = p[i].b;
    t[i * 4 + 1] = p[i].g;
    t[i * 4 + 2] = p[i].r;
    t[i * 4 + 3] = 0;
  }
  return t;
}

void GenerateMazeTables(Output& out) {
  std::vector<int32_t> t[8], steps(kWallStepEntries);
  int32_t* tables[8];
  for (int i = 0; i < 8; ++i) {
    t[i].resize(kMazeTurn);
    tables[i] = t[i].data();
  }
  RcComputeEngineTables(tables, steps.data());
  const int32_t* check[8];
  for (int i = 0; i < 8; ++i) check[i] = tables[i];
  if (const char* why = CheckEngineTables(check, steps.data()))
    throw std::runtime_error(std::string("maze engine tables: ") + why);
  out.Write(Root::Data, kEngineFile, RcWriteEngineFile(check, steps.data()));
}

void GenerateMaze(Output& out) {
  GenerateMazeTables(out);
  GenerateMazeThings(out);  // fits the thing colours first: the palettes carry them
  GenerateMazeSkies(out);
  GenerateMazeLevels(out);
  GenerateMazeCharacters(out);
  GenerateMazeSounds(out);
}

}  // namespace assetgen
