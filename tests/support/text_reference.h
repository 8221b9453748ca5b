#pragma once
// The first way BitmapFont::DrawText was written: every output pixel finds
// its glyph pixel with two divisions and is checked against the clip. Kept
// as the reference that the fast drawing must match byte for byte (tests)
// and as the anchor its speed is measured against (benchmarks).
#include <cstdint>
#include <vector>

class BitmapFont;
class DDSurface;

struct TextStyle {
  float xScale = 1.0f;
  float yScale = 1.0f;
  uint32_t flags = 0;
  int ink = -1;    // a palette index, -1 the glyphs' own colours
  int paper = -1;  // a palette index, -1 transparent
};

// Applies the style to the font (scale, flags, ink index, paper).
void ApplyTextStyle(BitmapFont* font, const TextStyle& style);

// The glyphs of a font, taken once, drawn the first way.
class ReferenceFont {
 public:
  explicit ReferenceFont(BitmapFont* font);
  // Draws as DrawText did at first; returns the width of the text.
  int Draw(const TextStyle& style, DDSurface* target, int x, int y, const char* text);

 private:
  struct Glyph {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
  };
  BitmapFont* font_;
  std::vector<Glyph> glyphs_;
};
