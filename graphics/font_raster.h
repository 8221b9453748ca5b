#pragma once
// Renders the glyphs of an installed font for a bitmap font: fontconfig picks
// the installed font closest to the requested face, weight, slant and pitch,
// FreeType renders each character at the requested height, one bit per pixel
// (the display has 256 colours, so glyph edges are not blended).
#include <cstdint>
#include <string>
#include <vector>

struct FontRequest {
  int height = 16;          // > 0 cell height (ascent + descent); < 0 character height; 0 = 16
  int width = 0;            // average character width in pixels; 0 = the face's own
  int weight = 400;         // 100 (thin) .. 900 (black); 700 bold
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  int pitchAndFamily = 0;   // low bits: 1 fixed pitch, 2 variable; high nibble: 0x10 roman,
                            // 0x20 swiss, 0x30 modern, 0x40 script, 0x50 decorative
  std::string faceName;     // empty: chosen by pitch and family
};

// One character: a cell `advance` pixels wide and the font's height high;
// pixels are 0 (paper) or 255 (ink), top row first.
struct RasterGlyph {
  int advance = 0;
  std::vector<uint8_t> pixels;  // advance x height
};

struct RasterFont {
  int height = 0;   // cell height of every glyph
  int ascent = 0;   // baseline, in pixels from the top of the cell
  std::string file; // the font file that was used
  std::vector<RasterGlyph> glyphs;  // one per character code first .. first + count - 1
};

// The file of the installed font closest to the request; empty when none.
std::string FindSystemFontFile(const FontRequest& request, int* faceIndex = nullptr);

// Renders `count` characters from code `first` (codes 0x80..0x9F read as the
// Windows Latin-1 extras, the rest as Latin-1). False when no font can be
// found or loaded; characters the font lacks get its fallback glyph.
bool RasterizeSystemFont(const FontRequest& request, int first, int count, RasterFont* out);

// The Unicode code point of a character code 0..255 of the game's texts.
uint32_t GameCharToUnicode(uint8_t code);
