#pragma once
// BitmapFont: a proportional font over a Sprite, one frame per character.
// Loaded from an .mbm file (frame i is character first + i - 1, the glyphs in
// their own colours, index 1 transparent) or rendered at run time from an
// installed font (see font_raster.h) into a sprite of its own. Text is drawn
// left-aligned, right-aligned or centred, scaled, in the glyphs' colours or an
// ink colour, over a transparent or a paper background.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/palette.h"
#include "graphics/sprite.h"

class DDSurface;
class BitmapFont;

// SetFlags bits.
constexpr uint32_t kFontAlignRight = 2;   // x is the right edge of the text
constexpr uint32_t kFontAlignCentre = 6;  // x is the middle of the text
constexpr uint32_t kFontAlignBottom = 8;  // y is the bottom edge of the text

// GetError when no installed font could be found or rendered. A font read
// from a sprite file reports the sprite's codes otherwise (graphics/mbm_format.h).
constexpr uint32_t kFontErrNoSystemFont = 1011;

class BitmapFont {
 public:
  // From an .mbm sprite: characters first .. first + count - 1 (fewer when the
  // sprite has fewer frames).
  explicit BitmapFont(const char* path, int first = 0x20, int count = 0xE0,
                      uint32_t loadFlags = 0x20);
  // From the installed font closest to the request: first character, count,
  // height (> 0 cell height, < 0 character height), average width (0 the
  // face's own), weight (400 normal, 700 bold), italic, underline, strike-out,
  // pitch and family (1 fixed pitch, 2 variable; family in the high nibble),
  // face name (null: by pitch and family). The glyphs are drawn in white unless
  // an ink is set.
  BitmapFont(int first, int count, int height, int width, int weight, int italic, int underline,
             int strikeOut, int pitchAndFamily, const char* faceName);
  ~BitmapFont() = default;
  BitmapFont(const BitmapFont&) = delete;
  BitmapFont& operator=(const BitmapFont&) = delete;

  // False when the file or font could not be loaded (then nothing is drawn).
  bool IsValid() const { return !glyphs_.empty(); }
  uint32_t GetError() const { return error_; }
  Sprite* GetSprite() { return &sprite_; }

  void SetScale(float xScale, float yScale);
  float GetXScale() const { return xScale_; }
  float GetYScale() const { return yScale_; }
  // 0 left; kFontAlignRight; kFontAlignCentre; kFontAlignBottom may be added.
  void SetFlags(uint32_t flags) { flags_ = flags; }
  uint32_t GetFlags() const { return flags_; }
  // Draws every glyph pixel in the entry of the target's palette nearest to the
  // colour (resolved at each DrawText).
  void SetInkColour(const PaletteEntry& colour);
  void SetInkColour(int red, int green, int blue);
  // Draws every glyph pixel in this index; -1 the glyphs' own colours.
  void SetInkIndex(int index);
  // Fills the text's box with this index first; -1 leaves it transparent.
  void SetPaperIndex(int index) { paperIndex_ = index; }

  // Draws text at (x, y) by the flags, clipped to the target and its clipper.
  // Returns the width of the text in pixels.
  int DrawText(DDSurface* target, int x, int y, const char* text);
  // Width of the text at the present scale: the scaled sum of its advances.
  int GetTextWidth(const char* text) const;
  // Height of a line at the present scale.
  int GetHeight() const;
  // Unscaled advance of one character (0 for a character the font lacks).
  int GetCharAdvance(uint8_t c) const;
  int GetFirstChar() const { return first_; }
  int GetCharCount() const { return static_cast<int>(glyphs_.size()); }

 private:
  struct Glyph {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // width x height, index 1 transparent
    // The same rows cut into 8-pixel words for drawing at the glyph's own
    // size: per row `words` pairs of (pixels, mask), the mask's bytes 0xFF
    // where the glyph is opaque and 0 where it is transparent or past its
    // width.
    int words = 0;
    std::vector<uint64_t> wordRows;
  };
  void TakeGlyphsFromSprite(int first, int count);
  const Glyph* Find(uint8_t c) const;
  // Draws output rows oy0..oy1-1, columns ox0..ox1-1 of a glyph scaled to
  // outW x outH; dst is output row oy0, column 0.
  void DrawGlyph(const Glyph& g, int outW, int outH, int ox0, int ox1, int oy0, int oy1, uint8_t* dst,
                 int pitch, int ink);
  // The same at the glyph's own size, a word of 8 pixels at a time: the
  // words from column ox0 / 8 to (ox1 - 1) / 8 are read and written back
  // whole, so the caller makes sure they lie inside the target's row.
  static void DrawGlyphWords(const Glyph& g, int ox0, int ox1, int oy0, int oy1, uint8_t* dst, int pitch,
                             int ink);

  Sprite sprite_;
  std::vector<Glyph> glyphs_;
  int first_ = 0x20;
  int height_ = 0;
  uint32_t error_ = 0;
  float xScale_ = 1.0f;
  float yScale_ = 1.0f;
  uint32_t flags_ = 0;
  int inkIndex_ = -1;
  bool inkByColour_ = false;
  PaletteEntry inkColour_;
  int paperIndex_ = -1;
  std::vector<uint32_t> columns_;  // DrawGlyph's source column of each output column
};

// A font file of the game's: characters 0x20..0xFF, every frame loaded. Null
// (and a line on the debug output with the path and the reason) when the file
// cannot be read or holds fewer characters than that: a font with two frames
// would otherwise draw every text as nothing.
std::unique_ptr<BitmapFont> LoadFontFile(const std::string& path);

// A font's GetError in words with its number: "no installed font" for
// kFontErrNoSystemFont, the sprite reader's words for the rest.
std::string FontErrorText(uint32_t code);
