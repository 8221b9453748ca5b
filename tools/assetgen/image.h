#pragma once
// Pictures of the generator: Cairo canvases (ARGB32) that are drawn on, and
// 8-bit palettised images made from them by nearest colour.
#include <cairo.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace assetgen {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
};
using Palette = std::array<Rgb, 256>;

inline constexpr Rgb kKeyColour{255, 0, 255};  // index 1, never drawn

struct Image8 {
  int w = 0, h = 0;
  std::vector<uint8_t> px;  // top row first
  uint8_t& at(int x, int y) { return px[size_t(y) * w + x]; }
  uint8_t at(int x, int y) const { return px[size_t(y) * w + x]; }
};

// An ARGB32 Cairo surface with its context, freed on destruction.
class Canvas {
 public:
  Canvas(int w, int h);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  cairo_t* cr() const { return cr_; }
  cairo_surface_t* surface() const { return surface_; }
  int w() const { return w_; }
  int h() const { return h_; }
  // Un-premultiplied pixel; alpha below 128 counts as transparent. Call
  // Flush() after drawing and before reading pixels.
  void Flush() const { cairo_surface_flush(surface_); }
  bool Pixel(int x, int y, Rgb* out) const;

 private:
  int w_, h_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

// The frames of one sprite file as they are drawn, before they are reduced
// to its palette.
struct FrameSheet {
  std::string path;
  std::vector<std::unique_ptr<Canvas>> frames;
  // A new frame of w x h: its drawing context.
  cairo_t* Frame(int w, int h) {
    frames.push_back(std::make_unique<Canvas>(w, h));
    return frames.back()->cr();
  }
};

// Colour statistics gathered from canvases, turned into a palette by median cut.
class ColourHistogram {
 public:
  void Add(const Canvas& c, int step = 1);
  void AddColour(Rgb c, uint32_t weight);
  // Up to n colours, deterministic for the same input.
  std::vector<Rgb> MedianCut(int n) const;

 private:
  std::vector<uint32_t> counts_ = std::vector<uint32_t>(1u << 18, 0);  // 6 bits a channel
};

// Nearest-colour mapping onto palette entries [first, last] (inclusive),
// plus entries listed in `extra`. Transparent pixels become index 1.
class Quantizer {
 public:
  Quantizer(const Palette& pal, int first, int last, std::vector<int> extra = {0, 255});
  uint8_t Nearest(Rgb c);
  Image8 Reduce(const Canvas& c, bool transparentKey = true);

 private:
  const Palette& pal_;
  std::vector<int> allowed_;
  std::vector<int16_t> cache_ = std::vector<int16_t>(1u << 18, -1);
};

// A palette with the fixed entries every picture of the game shares:
// 0 black, 1 the transparent key, 2 orange highlight, 3 red, 4 yellow,
// 5 green, 255 white; entries from `colours` fill first.. in order.
Palette BasePalette();
void FillPalette(Palette* p, int first, const std::vector<Rgb>& colours);

}  // namespace assetgen
