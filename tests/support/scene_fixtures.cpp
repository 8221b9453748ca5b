#include "tests/support/scene_fixtures.h"

#include <cmath>
#include <fstream>
#include <iterator>

#include "base/paths.h"
#include "graphics/bmp.h"
#include "graphics/pixel_format.h"
#include "scene3d/rm.h"
#include "scene3d/track_piece.h"

namespace {

PaletteEntry Rgb(int r, int g, int b) {
  return PaletteEntry{uint8_t(r), uint8_t(g), uint8_t(b), 0};
}

// A tiny deterministic noise for picture texture.
uint32_t Hash(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352du;
  x ^= x >> 15;
  x *= 0x846ca68bu;
  x ^= x >> 16;
  return x;
}

std::vector<uint8_t> Encode(const std::vector<uint8_t>& pixels, int w, int h,
                            const PaletteEntry palette[256]) {
  return EncodeBmp8(pixels.data(), w, h, w, palette);
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  return WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

std::array<float, 2> Arc(float cx, float r, float angle, bool left) {
  // Left turns bend round (-128, 0), right turns are their mirror image.
  const float x = cx + r * std::cos(angle);
  const float z = r * std::sin(angle);
  return {left ? x : -x, z};
}

WallLine TurnWall(bool left, float radius) {
  WallLine line;
  const float quarter = 3.14159265358979f / 2.0f;
  for (int i = 0; i < 5; ++i) line.push_back(Arc(-128.0f, radius, quarter * float(i) / 4.0f, left));
  return line;
}

}  // namespace

void MakeFixturePalette(PaletteEntry out[256]) {
  out[0] = Rgb(0, 0, 0);
  out[1] = Rgb(0, 255, 0);
  for (int i = 2; i < 64; ++i) {
    const int v = (i - 2) * 255 / 61;
    out[i] = Rgb(v, v, v);
  }
  for (int i = 64; i < 128; ++i) {
    const int k = i - 64;
    out[i] = Rgb(40 + k * 215 / 63, k * 40 / 63, k * 40 / 63);
  }
  for (int i = 128; i < 192; ++i) {
    const int k = i - 128;
    out[i] = Rgb(k * 40 / 63, k * 60 / 63, 40 + k * 215 / 63);
  }
  for (int i = 192; i < 255; ++i) {
    const int k = i - 192;
    out[i] = Rgb(40 + k * 215 / 62, 30 + k * 190 / 62, k * 30 / 62);
  }
  out[255] = Rgb(255, 255, 255);
}

FixtureDevice::FixtureDevice(int width, int height) : surface_(width, height, kFormatIndexed8) {
  MakeFixturePalette(entries_);
  palette_ = new DDPalette(kDisplayPaletteCaps, entries_);
  surface_.SetPalette(palette_);
  device_ = RMCreateDevice(&surface_, kRMColorModelMono, 0);
}

FixtureDevice::~FixtureDevice() {
  RMReleaseDevice(device_);
  palette_->Release();
}

RasterTarget WholeTarget(uint8_t* pixels, float* depth, int width, int height) {
  RasterTarget t;
  t.pixels = pixels;
  t.pitch = width;
  t.depth = depth;
  t.depthPitch = width;
  t.right = width;
  t.bottom = height;
  return t;
}

std::vector<uint8_t> MakeCrateBmp() {
  PaletteEntry pal[256] = {};
  for (int i = 0; i < 200; ++i) pal[i] = Rgb(60 + i * 3 / 4, 35 + i / 2, 10 + i / 6);
  std::vector<uint8_t> px(32 * 32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      int v = 90 + int(Hash(uint32_t(y / 4 * 977 + x)) % 40);  // planks with grain
      if (y % 8 == 0) v = 30;                                    // gaps between planks
      const bool border = x < 3 || x > 28 || y < 3 || y > 28;
      const bool brace = std::abs(x - y) < 2 || std::abs(x + y - 31) < 2;
      if (border || brace) v = 170 + int(Hash(uint32_t(x * 31 + y)) % 25);
      px[size_t(y) * 32 + x] = uint8_t(v);
    }
  }
  return Encode(px, 32, 32, pal);
}

std::vector<uint8_t> MakeTrackFloorBmp(bool startLine) {
  PaletteEntry pal[256] = {};
  for (int i = 0; i < 128; ++i) pal[i] = Rgb(50 + i / 2, 50 + i / 2, 58 + i / 2);
  pal[200] = Rgb(250, 250, 250);
  pal[201] = Rgb(10, 10, 10);
  pal[202] = Rgb(230, 200, 40);
  const int h = startLine ? 128 : 64;
  std::vector<uint8_t> px(size_t(64) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < 64; ++x) {
      uint8_t v = uint8_t(40 + Hash(uint32_t(y * 64 + x)) % 50);
      if (x < 2 || x > 61) v = 202;  // edge lines
      if (startLine && y >= 4 && y < 20) v = ((x / 8 + (y - 4) / 8) % 2) ? 200 : 201;
      px[size_t(y) * 64 + x] = v;
    }
  }
  return Encode(px, 64, h, pal);
}

std::vector<uint8_t> MakeWallBmp() {
  PaletteEntry pal[256] = {};
  pal[10] = Rgb(200, 30, 30);
  pal[11] = Rgb(235, 235, 235);
  pal[12] = Rgb(60, 10, 10);
  std::vector<uint8_t> px(32 * 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) px[size_t(y) * 32 + x] = (y == 0 || y == 15) ? 12 : (x < 16 ? 10 : 11);
  return Encode(px, 32, 16, pal);
}

RMImage* MakeFigureImage(int size, int tint) {
  PaletteEntry pal[256];
  MakeFixturePalette(pal);
  RMImage* image = RMCreateImage(size, size, pal);
  if (!image) return nullptr;
  const int shirt = 64 + 64 * (tint & 3) + 40;  // a bright entry of a ramp
  for (int y = 0; y < size; ++y) {
    uint8_t* row = image->pixels + size_t(y) * image->pitch;
    for (int x = 0; x < size; ++x) {
      // Coordinates in 1/32 of the picture: head, body, legs.
      const int u = x * 32 / size, v = y * 32 / size;
      uint8_t c = 1;
      const int hx = u - 16, hy = v - 6;
      if (hx * hx + hy * hy <= 16) c = 230;                    // head
      else if (v >= 10 && v < 22 && u >= 10 && u < 22) c = uint8_t(shirt);  // body
      else if (v >= 22 && (u == 12 || u == 13 || u == 18 || u == 19)) c = 20;  // legs
      if (v == 31 && u >= 10 && u < 22) c = 0;                 // skates
      row[x] = c;
    }
  }
  return image;
}

WallLine StraightLeftWall() { return {{-32, 0}, {-32, 128}}; }
WallLine StraightRightWall() { return {{32, 0}, {32, 128}}; }
WallLine TurnInnerWall(bool left) { return TurnWall(left, 96.0f); }
WallLine TurnOuterWall(bool left) { return TurnWall(left, 160.0f); }

XFile MakeTrackPieceX(const WallLine& leftWall, const WallLine& rightWall, float rise,
                      const std::string& floorPicture, const std::string& wallPicture,
                      float floorRepeat) {
  const size_t n = std::min(leftWall.size(), rightWall.size());
  auto height = [&](size_t i) { return n > 1 ? rise * float(i) / float(n - 1) : 0.0f; };
  std::vector<RMVector> left, right;
  for (size_t i = 0; i < n; ++i) {
    left.emplace_back(leftWall[i][0], height(i), leftWall[i][1]);
    right.emplace_back(rightWall[i][0], height(i), rightWall[i][1]);
  }
  TrackPieceLook look;
  look.floorPicture = floorPicture;
  look.wallPicture = wallPicture;
  look.floorRepeat = floorRepeat;
  return BuildTrackPieceX(left, right, look);
}

bool WriteSceneFixtures(const std::string& folder) {
  if (!MakeDirectories(folder)) return false;
  std::ifstream cube(std::string(KEL_SOURCE_DIR) + "/tests/fixtures/scene3d/cube.x", std::ios::binary);
  const std::string cubeText((std::istreambuf_iterator<char>(cube)), std::istreambuf_iterator<char>());
  bool ok = !cubeText.empty() && WriteFile(JoinPath(folder, "cube.x"), cubeText);
  ok = ok && WriteFile(JoinPath(folder, "crate.bmp"), MakeCrateBmp());
  ok = ok && WriteFile(JoinPath(folder, "floor.bmp"), MakeTrackFloorBmp(false));
  ok = ok && WriteFile(JoinPath(folder, "start.bmp"), MakeTrackFloorBmp(true));
  ok = ok && WriteFile(JoinPath(folder, "wall.bmp"), MakeWallBmp());
  ok = ok && WriteFile(JoinPath(folder, "start.x"),
                       WriteXFile(MakeTrackPieceX(StraightLeftWall(), StraightRightWall(), 0,
                                                  "start.bmp", "wall.bmp", 128.0f)));
  ok = ok && WriteFile(JoinPath(folder, "sl.x"),
                       WriteXFile(MakeTrackPieceX(StraightLeftWall(), StraightRightWall(), 0,
                                                  "floor.bmp", "wall.bmp")));
  for (bool left : {true, false}) {
    const XFile turn = left ? MakeTrackPieceX(TurnInnerWall(true), TurnOuterWall(true), 0,
                                              "floor.bmp", "wall.bmp")
                            : MakeTrackPieceX(TurnOuterWall(false), TurnInnerWall(false), 0,
                                              "floor.bmp", "wall.bmp");
    ok = ok && WriteFile(JoinPath(folder, left ? "tll.x" : "trl.x"), WriteXFile(turn));
  }
  return ok;
}
