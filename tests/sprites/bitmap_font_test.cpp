// Bitmap fonts: from an .mbm and rendered from the installed fonts at the sizes
// the game uses; widths, alignment, scale, ink and paper. Also writes a PNG of
// sample text for a person to look at.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/debug.h"
#include "base/pkc.h"
#include "graphics/bitmap_font.h"
#include "graphics/clipper.h"
#include "graphics/display.h"
#include "graphics/font_raster.h"
#include "graphics/mbm_writer.h"
#include "graphics/rle_codec.h"
#include "graphics/surface.h"
#include "tests/sprites/fixtures.h"
#include "tests/support/text_reference.h"

namespace {

// Columns and rows of the pixels that differ from the background.
struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  bool Empty() const { return right < 0; }
};

Box InkBox(DDSurface* s, uint8_t background) {
  Box b;
  for (int y = 0; y < s->GetHeight(); ++y)
    for (int x = 0; x < s->GetWidth(); ++x)
      if (s->Row(y)[x] != background) {
        b.left = std::min(b.left, x), b.right = std::max(b.right, x + 1);
        b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y + 1);
      }
  return b;
}

std::vector<uint8_t> Pixels(DDSurface* s) {
  std::vector<uint8_t> out;
  for (int y = 0; y < s->GetHeight(); ++y) out.insert(out.end(), s->Row(y), s->Row(y) + s->GetWidth());
  return out;
}

TEST(BitmapFont, SystemFontAtTheSizesInUse) {
  // The events' status font: 96 characters from 32, 20 high, bold, fixed pitch.
  BitmapFont status(32, 96, 20, 0, 700, 0, 0, 0, 1, nullptr);
  ASSERT_TRUE(status.IsValid()) << status.GetError();
  EXPECT_EQ(status.GetCharCount(), 96);
  EXPECT_NEAR(status.GetHeight(), 20, 2);
  // Fixed pitch: every character has the same advance.
  for (int c = 33; c < 128; ++c) EXPECT_EQ(status.GetCharAdvance(uint8_t(c)), status.GetCharAdvance('M')) << c;

  // The long-jump font: 224 characters from 32, 12 high and 6 wide on average.
  BitmapFont small(32, 224, 12, 6, 700, 0, 0, 0, 0, nullptr);
  ASSERT_TRUE(small.IsValid());
  EXPECT_EQ(small.GetCharCount(), 224);
  EXPECT_NEAR(small.GetHeight(), 12, 2);
  int sum = 0;
  for (char c = 'a'; c <= 'z'; ++c) sum += small.GetCharAdvance(uint8_t(c));
  EXPECT_NEAR(sum / 26.0, 6.0, 1.0);
  EXPECT_GT(small.GetCharAdvance(0xE9), 0) << "accented Latin-1 letters exist";

  // A face that is not installed falls back to the closest installed one.
  BitmapFont named(32, 96, 16, 0, 400, 1, 0, 0, 2, "Times New Roman");
  EXPECT_TRUE(named.IsValid());
  EXPECT_FALSE(FindSystemFontFile(FontRequest{}).empty());
}

TEST(BitmapFont, TextWidthIsTheSumOfAdvances) {
  BitmapFont font(32, 96, 20, 0, 400, 0, 0, 0, 2, nullptr);
  ASSERT_TRUE(font.IsValid());
  const char* text = "Distance 12.34 m";
  int sum = 0;
  for (const char* p = text; *p; ++p) sum += font.GetCharAdvance(uint8_t(*p));
  EXPECT_EQ(font.GetTextWidth(text), sum);
  EXPECT_EQ(font.GetTextWidth(""), 0);
  DDSurface target(300, 40, 4);
  target.FillRect(0, 0, 300, 40, 0);
  font.SetInkIndex(7);
  EXPECT_EQ(font.DrawText(&target, 10, 5, text), sum);
  const Box b = InkBox(&target, 0);
  ASSERT_FALSE(b.Empty());
  EXPECT_GE(b.left, 10);
  EXPECT_LE(b.right, 10 + sum);
  EXPECT_GE(b.top, 5);
  EXPECT_LE(b.bottom, 5 + font.GetHeight());
  for (uint8_t v : Pixels(&target)) ASSERT_TRUE(v == 0 || v == 7) << "only the ink index is drawn";

  font.SetScale(0.5f, 0.5f);
  EXPECT_EQ(font.GetTextWidth(text), (sum + 1) / 2);
  target.FillRect(0, 0, 300, 40, 0);
  font.DrawText(&target, 10, 5, text);
  const Box half = InkBox(&target, 0);
  EXPECT_LE(half.right, 10 + (sum + 1) / 2);
  EXPECT_LE(half.bottom, 5 + font.GetHeight());
}

// Right and centred text land where left-aligned text moved by the width (or
// half of it) lands; bottom alignment moves it up by the height.
TEST(BitmapFont, AlignmentFlags) {
  BitmapFont font(32, 96, 20, 0, 700, 0, 0, 0, 1, nullptr);
  ASSERT_TRUE(font.IsValid());
  font.SetInkIndex(9);
  const char* text = "RIGHT 99";
  const int w = font.GetTextWidth(text), h = font.GetHeight();
  struct Case {
    uint32_t flags;
    int dx, dy;
  } cases[] = {{kFontAlignRight, -w, 0}, {kFontAlignCentre, -(w / 2), 0}, {kFontAlignBottom, 0, -h},
               {kFontAlignCentre | kFontAlignBottom, -(w / 2), -h}, {0, 0, 0}};
  for (const Case& c : cases) {
    DDSurface aligned(400, 80, 4), moved(400, 80, 4);
    aligned.FillRect(0, 0, 400, 80, 0);
    moved.FillRect(0, 0, 400, 80, 0);
    font.SetFlags(c.flags);
    font.DrawText(&aligned, 200, 50, text);
    font.SetFlags(0);
    font.DrawText(&moved, 200 + c.dx, 50 + c.dy, text);
    EXPECT_EQ(Pixels(&aligned), Pixels(&moved)) << "flags " << c.flags;
    EXPECT_FALSE(InkBox(&aligned, 0).Empty());
  }
  // Right-aligned text ends at x; centred text is balanced around it.
  DDSurface s(400, 80, 4);
  s.FillRect(0, 0, 400, 80, 0);
  font.SetFlags(kFontAlignRight);
  font.DrawText(&s, 300, 10, "MMMM");
  Box b = InkBox(&s, 0);
  EXPECT_LE(b.right, 300);
  EXPECT_GE(b.right, 300 - font.GetCharAdvance('M') / 2);
  s.FillRect(0, 0, 400, 80, 0);
  font.SetFlags(kFontAlignCentre);
  font.DrawText(&s, 200, 10, "MMMM");
  b = InkBox(&s, 0);
  EXPECT_NEAR((b.left + b.right) / 2.0, 200, 2.0);
}

TEST(BitmapFont, PaperInkColourAndClipping) {
  BitmapFont font(32, 96, 16, 0, 400, 0, 0, 0, 2, nullptr);
  ASSERT_TRUE(font.IsValid());
  PaletteEntry entries[256];
  for (int i = 0; i < 256; ++i) entries[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
  entries[40] = {250, 10, 10, 0};
  DDPalette* palette = CreateDisplayPalette(kDisplayPaletteCaps, entries);
  DDSurface target(200, 30, 4);
  target.SetPalette(palette);
  target.FillRect(0, 0, 200, 30, 0);
  font.SetInkColour(255, 0, 0);
  font.SetPaperIndex(3);
  const int w = font.DrawText(&target, 5, 4, "Ink");
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 200; ++x) {
      const uint8_t v = target.Row(y)[x];
      const bool inBox = x >= 5 && x < 5 + w && y >= 4 && y < 4 + font.GetHeight();
      if (inBox)
        ASSERT_TRUE(v == 3 || v == 40) << x << "," << y << " paper or the nearest red";
      else
        ASSERT_EQ(v, 0) << x << "," << y;
    }
  // Text drawn across the target's edges and its clipper stays inside them.
  const ClipRect cr{20, 5, 60, 10};
  DDClipper* clipper = CreateRectClipper(&cr);
  target.FillRect(0, 0, 200, 30, 0);
  target.SetClipper(clipper);
  font.DrawText(&target, 10, 0, "Clipped text here");
  font.DrawText(&target, -30, -8, "Clipped text here");
  target.SetClipper(nullptr);
  const Box b = InkBox(&target, 0);
  EXPECT_GE(b.left, 20);
  EXPECT_LE(b.right, 80);
  EXPECT_GE(b.top, 5);
  EXPECT_LE(b.bottom, 15);
  clipper->Release();
  target.SetPalette(nullptr);
  palette->Release();
}

TEST(BitmapFont, FromMbmKeepsTheGlyphColours) {
  // Characters 0x20..0x23 of widths 3, 4, 5, 6, each filled with its own
  // colour and one transparent pixel.
  std::vector<MbmFrameSpec> frames;
  for (int i = 0; i < 4; ++i) {
    MbmFrameSpec f;
    f.width = 3 + i;
    f.height = 5;
    f.pixels.assign(f.width * 5, uint8_t(20 + i));
    f.pixels[0] = 1;
    f.runLength = i % 2 == 1;
    frames.push_back(f);
  }
  const std::string dir = fixtures::BuildDir() + "/sprite-fixtures";
  std::filesystem::create_directories(dir);
  ASSERT_TRUE(WriteMbmFile(dir + "/font.mbm", BuildMbm(frames, nullptr)));
  BitmapFont font((dir + "/font.mbm").c_str(), 0x20, 0xE0);
  ASSERT_TRUE(font.IsValid());
  EXPECT_EQ(font.GetCharCount(), 4) << "no more characters than frames";
  EXPECT_EQ(font.GetCharAdvance(' '), 3);
  EXPECT_EQ(font.GetCharAdvance('#'), 6);
  EXPECT_EQ(font.GetCharAdvance('A'), 0);
  EXPECT_EQ(font.GetTextWidth("! #A"), 4 + 3 + 6);
  DDSurface target(30, 8, 4);
  target.FillRect(0, 0, 30, 8, 0);
  font.DrawText(&target, 1, 1, "!#");
  EXPECT_EQ(target.Row(1)[1], 0) << "transparent pixel";
  EXPECT_EQ(target.Row(1)[2], 21);
  EXPECT_EQ(target.Row(5)[4], 21);
  EXPECT_EQ(target.Row(1)[5], 0);
  EXPECT_EQ(target.Row(2)[5], 23);
  EXPECT_EQ(target.Row(2)[10], 23);
  EXPECT_EQ(target.Row(2)[11], 0);

  BitmapFont missing("no/such/font.mbm");
  EXPECT_FALSE(missing.IsValid());
  EXPECT_NE(missing.GetError(), 0u);
  EXPECT_EQ(missing.DrawText(&target, 0, 0, "x"), 0);
}

// The game's fonts and pictures are refused by name with the reason: a
// font file of two frames would otherwise draw every text as nothing.
TEST(BitmapFont, GameFontsAndPicturesRefusedWithTheReason) {
  std::vector<MbmFrameSpec> frames(2);
  for (MbmFrameSpec& f : frames) {
    f.width = 4;
    f.height = 5;
    f.pixels.assign(20, 7);
  }
  const std::string dir = fixtures::BuildDir() + "/sprite-fixtures";
  std::filesystem::create_directories(dir);
  const std::string twoFrames = dir + "/two-frames.mbm";
  ASSERT_TRUE(WriteMbmFile(twoFrames, BuildMbm(frames, nullptr)));
  std::vector<uint8_t> cut = BuildMbm(frames, nullptr);
  cut.resize(cut.size() - 20);
  const std::string truncated = dir + "/truncated.mbm";
  ASSERT_TRUE(WriteMbmFile(truncated, cut));
  const std::string missing = dir + "/missing.mbm";

  std::vector<std::string> lines;
  DebugSink old = SetDebugSink([&](const std::string& l) { lines.push_back(l); });
  struct Case {
    std::string path;
    bool font;
    const char* reason;
  } cases[] = {{twoFrames, true, "2 characters, 224 needed"},
               {truncated, true, "(error 100"},
               {missing, true, "cannot open the file (error 0x1102)"},
               {truncated, false, "(error 100"},
               {twoFrames, false, "2 frames, 3 needed"}};
  for (const Case& c : cases) {
    lines.clear();
    if (c.font) {
      EXPECT_EQ(LoadFontFile(c.path), nullptr) << c.path;
    } else {
      EXPECT_EQ(LoadSpriteOrNull(c.path.c_str(), kSpriteLoadAll, 3), nullptr) << c.path;
    }
    ASSERT_EQ(lines.size(), 1u) << c.path;
    EXPECT_NE(lines[0].find(c.path), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(c.reason), std::string::npos) << lines[0];
  }
  SetDebugSink(old);
  Sprite* two = LoadSpriteOrNull(twoFrames.c_str(), kSpriteLoadAll);
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(two->FrameCount(), 2);
  delete two;
}

// A font reports the sprite reader's codes as well as its own, so no sprite
// code may be the font's "no installed font": each code reads as its reason.
TEST(BitmapFont, ErrorCodesNameOneReasonEach) {
  const uint32_t spriteCodes[] = {kSpriteErrBadFrame,    kSpriteErrNoMemory,     kSpriteErrBadMagic,
                                  kSpriteErrTruncated,   kSpriteErrBadDirectory, kSpriteErrBadHeader,
                                  kSpriteErrUnsupported, kSpriteErrBadRunLength, kSpriteErrNoFrames,
                                  kSpriteErrNoPalette};
  for (uint32_t c : spriteCodes) {
    EXPECT_NE(c, kFontErrNoSystemFont) << c;
    EXPECT_EQ(FontErrorText(c), SpriteErrorText(c)) << c;
  }
  struct Case {
    uint32_t code;
    const char* words;
  } cases[] = {{kFontErrNoSystemFont, "no installed font (error 1011)"},
               {kSpriteErrNoPalette, "a true-colour frame with no palette to show it in (error 1012)"},
               {kPkcErrOpen, "(error 0x1102)"}};
  for (const Case& c : cases) EXPECT_NE(FontErrorText(c.code).find(c.words), std::string::npos) << FontErrorText(c.code);
}

// The drawing steps through the glyphs without dividing and copies rows at
// the glyphs' own size: the same bytes as the per-pixel way, at every scale,
// alignment, ink and paper, across the target's edges and a clipper.
TEST(BitmapFont, SameBytesAsThePerPixelWay) {
  // Glyphs of many colours with holes, so that a wrong source pixel shows.
  std::vector<MbmFrameSpec> frames;
  for (int i = 0; i < 40; ++i) {
    MbmFrameSpec f;
    f.width = 3 + i % 7;
    f.height = 9 + i % 3;
    f.pixels.resize(static_cast<size_t>(f.width) * f.height);
    for (size_t p = 0; p < f.pixels.size(); ++p)
      f.pixels[p] = (p * 7 + i) % 5 == 0 ? kTransparentIndex : uint8_t(10 + (p * 13 + i * 3) % 200);
    f.runLength = i % 2 == 0;
    frames.push_back(f);
  }
  const std::string dir = fixtures::BuildDir() + "/sprite-fixtures";
  std::filesystem::create_directories(dir);
  ASSERT_TRUE(WriteMbmFile(dir + "/colour-font.mbm", BuildMbm(frames, nullptr)));
  BitmapFont coloured((dir + "/colour-font.mbm").c_str(), 0x30, 40);
  BitmapFont system(32, 96, 20, 0, 700, 0, 0, 0, 1, nullptr);
  ASSERT_TRUE(coloured.IsValid());
  ASSERT_TRUE(system.IsValid());

  const TextStyle styles[] = {
      {1.0f, 1.0f, 0, -1, -1},           {1.0f, 1.0f, kFontAlignCentre, 77, 5},
      {2.0f, 2.0f, kFontAlignRight, -1, -1}, {1.5f, 0.75f, kFontAlignBottom, -1, 9},
      {0.6f, 1.3f, 0, 200, -1},          {3.3f, 2.7f, kFontAlignCentre | kFontAlignBottom, -1, -1},
      {0.25f, 0.2f, 0, -1, 4},
  };
  const struct {
    int x, y;
  } places[] = {{4, 3}, {-13, -5}, {150, 40}, {95, 25}, {181, 57}};
  const ClipRect clip{17, 6, 140, 50};
  DDClipper* clipper = CreateRectClipper(&clip);
  for (BitmapFont* font : {&coloured, &system}) {
    ReferenceFont reference(font);
    const char* text = font == &coloured ? "0123456789:;<=>?@ABCDEFGHIJ0W" : "Score 12,345 Wg|";
    for (const TextStyle& style : styles)
      for (const auto& at : places)
        for (bool clipped : {false, true}) {
          DDSurface want(190, 64, 4), got(190, 64, 4);
          want.FillRect(0, 0, 190, 64, 2);
          got.FillRect(0, 0, 190, 64, 2);
          want.SetClipper(clipped ? clipper : nullptr);
          got.SetClipper(clipped ? clipper : nullptr);
          const int w = reference.Draw(style, &want, at.x, at.y, text);
          ApplyTextStyle(font, style);
          EXPECT_EQ(font->DrawText(&got, at.x, at.y, text), w);
          ASSERT_EQ(Pixels(&got), Pixels(&want))
              << "scale " << style.xScale << "x" << style.yScale << " flags " << style.flags << " ink "
              << style.ink << " at " << at.x << "," << at.y << (clipped ? " clipped" : "");
          want.SetClipper(nullptr);
          got.SetClipper(nullptr);
        }
  }
  clipper->Release();
}

// At the glyphs' own size the drawing blends whole words of 8 pixels and
// cuts them to the clip once a glyph: glyphs one to four words wide, drawn
// at every column offset across the left and right edges of the target and
// of clippers that start and end at every offset within a word, give the
// same bytes as the per-pixel way (the pixels past a glyph or the clip are
// written back unchanged, and near the target's right edge the drawing
// falls back to single pixels).
TEST(BitmapFont, SameBytesAsThePerPixelWayAtEveryColumn) {
  // Widths 1..29 (one to four words), holes at varying places, the first
  // and last columns opaque in some glyphs and transparent in others.
  std::vector<MbmFrameSpec> frames;
  for (int i = 0; i < 29; ++i) {
    MbmFrameSpec f;
    f.width = 1 + (i * 11) % 29;
    f.height = 5 + i % 4;
    f.pixels.resize(static_cast<size_t>(f.width) * f.height);
    for (size_t p = 0; p < f.pixels.size(); ++p)
      f.pixels[p] = (p * 5 + i) % 3 == 0 ? kTransparentIndex : uint8_t(20 + (p * 17 + i) % 230);
    f.runLength = i % 3 == 0;
    frames.push_back(f);
  }
  const std::string dir = fixtures::BuildDir() + "/sprite-fixtures";
  std::filesystem::create_directories(dir);
  ASSERT_TRUE(WriteMbmFile(dir + "/wide-font.mbm", BuildMbm(frames, nullptr)));
  BitmapFont wide((dir + "/wide-font.mbm").c_str(), 0x41, 29);
  BitmapFont system(32, 96, 14, 0, 700, 0, 0, 0, 2, nullptr);
  ASSERT_TRUE(wide.IsValid());
  ASSERT_TRUE(system.IsValid());

  const TextStyle styles[] = {{1.0f, 1.0f, 0, -1, -1}, {1.0f, 1.0f, 0, 77, -1}, {1.0f, 1.0f, kFontAlignRight, -1, 6}};
  // No clipper, and clippers whose edges fall at each offset within a word.
  const ClipRect clips[] = {{0, 0, 0, 0}, {3, 2, 50, 9}, {9, 1, 61, 7}, {14, 4, 83, 20}, {21, 0, 100, 6}};
  const int kW = 101, kH = 22;  // a width that is no multiple of a word
  DDSurface want(kW, kH, 4), got(kW, kH, 4);
  for (BitmapFont* font : {&wide, &system}) {
    ReferenceFont reference(font);
    const std::vector<std::string> texts =
        font == &wide ? std::vector<std::string>{"ABCDEFGHIJKLMN", "OPQRSTUVWXYZ[\\]"}
                      : std::vector<std::string>{"ANNA 1234", "Wg|i"};
    for (const ClipRect& clip : clips) {
      DDClipper* clipper = clip.width > 0 ? CreateRectClipper(&clip) : nullptr;
      for (const TextStyle& style : styles)
        for (const std::string& text : texts)
          for (int y : {-3, 16})
            for (int x = -40; x <= kW + 8; ++x) {
              want.FillRect(0, 0, kW, kH, 2);
              got.FillRect(0, 0, kW, kH, 2);
              want.SetClipper(clipper);
              got.SetClipper(clipper);
              const int w = reference.Draw(style, &want, x, y, text.c_str());
              ApplyTextStyle(font, style);
              EXPECT_EQ(font->DrawText(&got, x, y, text.c_str()), w);
              bool same = true;
              for (int row = 0; row < kH; ++row) same = same && std::memcmp(got.Row(row), want.Row(row), kW) == 0;
              ASSERT_TRUE(same) << "\"" << text << "\" at " << x << "," << y << " ink " << style.ink << " flags " << style.flags
                  << " clip " << clip.x << "," << clip.y << " " << clip.width << "x" << clip.height;
              want.SetClipper(nullptr);
              got.SetClipper(nullptr);
            }
      if (clipper) clipper->Release();
    }
  }
}

// Sample text at the sizes in use, written as a PNG into the build folder.
TEST(BitmapFont, WritesSampleTextPicture) {
  const int w = 400, h = 120;
  DDSurface target(w, h, 4);
  PaletteEntry entries[256] = {};
  entries[0] = {16, 24, 64, 0};
  entries[200] = {255, 255, 255, 0};
  entries[201] = {255, 210, 0, 0};
  entries[202] = {90, 90, 140, 0};
  DDPalette* palette = CreateDisplayPalette(kDisplayPaletteCaps, entries);
  target.SetPalette(palette);
  target.FillRect(0, 0, w, h, 0);
  BitmapFont status(32, 96, 20, 0, 700, 0, 0, 0, 1, nullptr);
  BitmapFont small(32, 224, 12, 6, 700, 0, 0, 0, 0, nullptr);
  BitmapFont plain(32, 224, 16, 0, 400, 0, 0, 0, 2, nullptr);
  status.SetInkColour(255, 255, 255);
  status.DrawText(&target, 8, 6, "DISTANCE 12.34 m");
  small.SetInkIndex(201);
  small.SetFlags(kFontAlignRight);
  small.DrawText(&target, w - 8, 34, "BEST: 7.20 m  WR: 9.81 m");
  plain.SetInkIndex(200);
  plain.SetPaperIndex(202);
  plain.SetFlags(kFontAlignCentre);
  plain.DrawText(&target, w / 2, 56, "Caf\xe9 na\xefve \xc5ngstr\xf6m \xa9 1997");
  plain.SetScale(0.5f, 0.5f);
  plain.SetPaperIndex(-1);
  plain.DrawText(&target, w / 2, 84, "Half-size centred text");
  status.SetFlags(kFontAlignCentre | kFontAlignBottom);
  status.DrawText(&target, w / 2, h - 2, "Centred, bottom");

  const std::string path = fixtures::BuildDir() + "/sprites-font-sample.png";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  ASSERT_EQ(setjmp(png_jmpbuf(png)), 0);
  png_init_io(png, f);
  png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> row(w * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const PaletteEntry& e = entries[target.Row(y)[x]];
      row[x * 3] = e.red, row[x * 3 + 1] = e.green, row[x * 3 + 2] = e.blue;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
  EXPECT_TRUE(std::filesystem::file_size(path) > 100);
  target.SetPalette(nullptr);
  palette->Release();
}

}  // namespace
