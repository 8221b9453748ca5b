#pragma once
// Fitting text to its box: wrapping at spaces by a font's real widths, and
// drawing a text so that no pixel of it leaves the box it is given (wrapped
// over rows, and made smaller when the rows or a single word still do not
// fit). Every screen that shows a text of unknown length (a description, a
// player's name, a label in a panel, a text with a key's name in it) draws
// it through here.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class BitmapFont;
class DDSurface;

// The width of a text in pixels.
using TextMeasure = std::function<int(std::string_view)>;

// Wraps one line of text (no line breaks) into rows at most `width` wide:
// each row the longest run of whole words that fits, cut at a space, the
// spaces at the cut dropped. A word wider than the row on its own is cut
// where the row is full. Appends to *rows, at most maxRows of them; an empty
// line appends one empty row.
void WrapLine(std::string_view line, int width, const TextMeasure& measure,
              std::vector<std::string>* rows, size_t maxRows = SIZE_MAX);

// A text whose line breaks ('\n') end paragraphs, each wrapped by WrapLine.
std::vector<std::string> WrapText(std::string_view text, int width, const TextMeasure& measure,
                                  size_t maxRows = SIZE_MAX);

// The measure of a font at its present scale.
TextMeasure FontMeasure(const BitmapFont* font);

struct TextBox {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// How a text is laid out in a box: its rows and the font scale they take.
struct TextLayout {
  std::vector<std::string> rows;
  float scale = 1.0f;
  int rowHeight = 0;  // at that scale
  bool complete = true;  // false: even at the smallest scale rows were dropped or cut
};

// Lays out a text in a box of width x height: wrapped at the font's own size
// with rows `rowStep` apart (0: the font's height) when they fit; else at
// smaller scales, down to `minScale`, until they do (at minScale it takes the
// rows that fit). `wrap` false keeps the text on one row, only scaled.
TextLayout FitText(const BitmapFont* font, std::string_view text, int width, int height,
                   bool wrap = true, int rowStep = 0, float minScale = 0.5f);

// Draws the rows of a layout in the box, left-aligned (flags 0) or centred
// (kFontAlignCentre), from its top; not clipped to the box.
void DrawTextLayout(BitmapFont* font, DDSurface* target, const TextBox& box, const TextLayout& layout,
                    uint32_t flags = 0);

// Draws a text fitted to the box (FitText), left-aligned (flags 0) or
// centred (kFontAlignCentre) in it, from its top; the rows are drawn through
// a clipper of the box, so nothing lands outside it even at minScale. The
// font's scale and flags are left as they were. Returns the rows drawn.
int DrawTextInBox(BitmapFont* font, DDSurface* target, const TextBox& box, std::string_view text,
                  uint32_t flags = 0, bool wrap = true, int rowStep = 0, float minScale = 0.5f);
