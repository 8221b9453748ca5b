// The cut-scene colour conversion: lookup tables, split palette, and the
// converters of every source depth, destination format and scale mode,
// checked on small pictures written pixel by pixel.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/display.h"
#include "graphics/surface.h"
#include "video/avi_draw_player.h"
#include "video/rgb_convert.h"

namespace {

constexpr uint8_t kBg8 = 0xEE;        // what the background leaves in 8-bit targets
constexpr uint16_t kBg16 = 0xBEEF;    // ... and in 16-bit targets

// A bottom-up picture built from its rows as shown (top first).
struct Picture {
  int width, height, bits;
  std::vector<uint8_t> data;
  Picture(int w, int h, int b) : width(w), height(h), bits(b), data(DibStride(w, b) * h, 0) {}
  uint8_t* ShownRow(int r) { return data.data() + DibStride(width, bits) * (height - 1 - r); }
  void Set555(int x, int r, uint16_t v) { std::memcpy(ShownRow(r) + 2 * x, &v, 2); }
  void Set24(int x, int r, uint8_t red, uint8_t green, uint8_t blue) {
    uint8_t* p = ShownRow(r) + 3 * x;
    p[0] = blue;
    p[1] = green;
    p[2] = red;
  }
  VideoFrameSource Source() const { return BottomUpFrame(data.data(), width, height, bits); }
};

// A destination of exact size (so that any write outside shows under the
// address sanitizer) filled with the background value.
struct Target {
  int width, height, format, bpp;
  std::vector<uint8_t> pixels;
  Target(int w, int h, int f) : width(w), height(h), format(f), bpp(f == 4 ? 1 : 2) {
    pixels.resize(static_cast<size_t>(w) * h * bpp);
    for (int i = 0; i < w * h; ++i) {
      if (bpp == 1)
        pixels[i] = kBg8;
      else
        std::memcpy(&pixels[2 * i], &kBg16, 2);
    }
  }
  VideoFrameDest Dest() { return VideoFrameDest{pixels.data(), width * bpp, width, height, format}; }
  uint8_t At8(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  uint16_t At16(int x, int y) const {
    uint16_t v;
    std::memcpy(&v, &pixels[(static_cast<size_t>(y) * width + x) * 2], 2);
    return v;
  }
};

uint16_t R555(int r, int g, int b) { return static_cast<uint16_t>((r << 10) | (g << 5) | b); }

TEST(RgbTables, PairTableEntries) {
  struct Case {
    uint16_t rgb555;
    uint8_t low, high;
  };
  const Case cases[] = {
      {0x7fff, 127, 255},                   // white
      {0x0000, 0, 128},                     // black
      {R555(31, 0, 0), 15 * 8, 128},        // red: red index only
      {R555(0, 0, 31), 0, 128 + 15 * 8},    // blue: blue index only
      {R555(0, 1, 0), 0, 128},              // green 1: truncated low, rounded 3>>2 = 0 high
      {R555(0, 2, 0), 0, 129},              // green 2: rounded up by 2 in the high byte
      {R555(0, 30, 0), 7, 128 + 7},         // rounding capped at 31
      {R555(1, 0, 1), 0, 128},              // the lowest red and blue bit are dropped
      {R555(17, 9, 6), 8 * 8 + 2, 128 + 3 * 8 + 2},
  };
  const uint16_t* table = GetRgbLookupTables().PairTable();
  for (const Case& c : cases) {
    uint16_t v = table[c.rgb555];
    EXPECT_EQ(v & 0xff, c.low) << std::hex << c.rgb555;
    EXPECT_EQ(v >> 8, c.high) << std::hex << c.rgb555;
    EXPECT_EQ(PairTableEntry(c.rgb555), v);
  }
}

TEST(RgbTables, Rgb565AndDoubledTables) {
  const uint16_t* t565 = GetRgbLookupTables().Rgb565Table();
  const uint32_t* dbl = GetRgbLookupTables().DoubledRgb565Table();
  struct Case {
    uint16_t in, out;
  };
  // Green's new lowest bit is always 0, whatever blue holds.
  const Case cases[] = {{0x7fff, 0xffdf}, {R555(31, 0, 0), 0xf800}, {R555(0, 31, 0), 0x07c0},
                        {R555(0, 0, 31), 0x001f}, {R555(0, 0, 16), 0x0010}, {0, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(t565[c.in], c.out) << std::hex << c.in;
    EXPECT_EQ(dbl[c.in], uint32_t{c.out} * 0x10001u) << std::hex << c.in;
  }
}

TEST(RgbTables, SplitPalette) {
  PaletteEntry p[256];
  BuildSplitPalette(p);
  struct Case {
    int index, red, green, blue;
  };
  const Case cases[] = {{0, 0, 0, 0},      {7, 0, 112, 0},    {8, 16, 0, 0},   {127, 240, 112, 0},
                        {128, 0, 0, 0},    {128 + 7, 0, 112, 0}, {128 + 8, 0, 0, 16},
                        {255, 0, 112, 240}};
  for (const Case& c : cases) {
    EXPECT_EQ(p[c.index].red, c.red) << c.index;
    EXPECT_EQ(p[c.index].green, c.green) << c.index;
    EXPECT_EQ(p[c.index].blue, c.blue) << c.index;
    EXPECT_EQ(p[c.index].flags, 0) << c.index;
  }
  // White's pair mixes to the palette's brightest red-green and blue-green.
  uint16_t white = PairTableEntry(0x7fff);
  EXPECT_EQ(p[white & 0xff].red, 240);
  EXPECT_EQ(p[white >> 8].blue, 240);
}

TEST(RgbConvert, StrideIsRoundedToFourBytes) {
  EXPECT_EQ(DibStride(3, 24), 12u);
  EXPECT_EQ(DibStride(1, 16), 4u);
  EXPECT_EQ(DibStride(320, 16), 640u);
  EXPECT_EQ(DibStride(5, 16), 12u);
}

// The picture is stored bottom-up: its last stored row shows at the top.
TEST(RgbConvert, BottomUpPictureShowsTheRightWayUp) {
  Picture pic(2, 2, 16);
  pic.Set555(0, 0, R555(31, 0, 0));  // top row red
  pic.Set555(0, 1, R555(0, 0, 31));  // bottom row blue
  uint16_t storedFirst;
  std::memcpy(&storedFirst, pic.data.data(), 2);
  EXPECT_EQ(storedFirst, R555(0, 0, 31));
  Target t(2, 2, 7);
  ASSERT_TRUE(ConvertVideoFrame(pic.Source(), t.Dest(), 0, 0, kVideoScale1x));
  EXPECT_EQ(t.At16(0, 0), R555(31, 0, 0));
  EXPECT_EQ(t.At16(0, 1), R555(0, 0, 31));
}

// 16-bit destinations from both depths at every scale: the values and which
// lines are written.
TEST(RgbConvert, SixteenBitDestinations) {
  struct Case {
    const char* name;
    int bits, format;
    VideoScaleMode mode;
    uint16_t expect;            // the pixel's value in the destination
    bool oddLinesWritten;       // at 2x
  };
  // The one colour: red 200, green 100, blue 50 (RGB555 25, 12, 6).
  const uint16_t v555 = R555(25, 12, 6);
  const uint16_t v565from555 = Rgb565TableEntry(v555);
  const uint16_t v555from24 = static_cast<uint16_t>(((200 >> 3) << 10) | ((100 >> 3) << 5) | (50 >> 3));
  const uint16_t v565from24 = static_cast<uint16_t>(((200 >> 3) << 11) | ((100 >> 2) << 5) | (50 >> 3));
  const Case cases[] = {
      {"555 to 555 1x", 16, 7, kVideoScale1x, v555, false},
      {"555 to 565 1x", 16, 9, kVideoScale1x, v565from555, false},
      {"24 to 555 1x", 24, 7, kVideoScale1x, v555from24, false},
      {"24 to 565 1x", 24, 9, kVideoScale1x, v565from24, false},
      {"555 to 555 doubled", 16, 7, kVideoScale2xDoubled, v555, true},
      {"555 to 565 doubled", 16, 9, kVideoScale2xDoubled, v565from555, true},
      {"555 to 555 scan lines", 16, 7, kVideoScale2xScanLines, v555, false},
      {"555 to 565 scan lines", 16, 9, kVideoScale2xScanLines, v565from555, false},
      {"24 to 565 doubled", 24, 9, kVideoScale2xDoubled, v565from24, true},
      // A 24-bit source has no scan-line form: rows are doubled all the same.
      {"24 to 565 scan lines", 24, 9, kVideoScale2xScanLines, v565from24, true},
      {"24 to 555 scan lines", 24, 7, kVideoScale2xScanLines, v555from24, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int w = 3, h = 3;
    Picture pic(w, h, c.bits);
    for (int r = 0; r < h; ++r)
      for (int x = 0; x < w; ++x) {
        if (c.bits == 16)
          pic.Set555(x, r, v555);
        else
          pic.Set24(x, r, 200, 100, 50);
      }
    const int s = c.mode == kVideoScale1x ? 1 : 2;
    Target t(w * s + 2, h * s + 2, c.format);  // one spare column and row each side
    ASSERT_TRUE(ConvertVideoFrame(pic.Source(), t.Dest(), 1, 1, c.mode));
    for (int y = 0; y < t.height; ++y) {
      for (int x = 0; x < t.width; ++x) {
        bool inside = x >= 1 && x < 1 + w * s && y >= 1 && y < 1 + h * s;
        bool lineWritten = s == 1 || ((y - 1) % 2 == 0) || c.oddLinesWritten;
        uint16_t want = inside && lineWritten ? c.expect : kBg16;
        ASSERT_EQ(t.At16(x, y), want) << "at " << x << "," << y;
      }
    }
  }
}

// 8-bit at 2x: every pixel gives its pair; doubled rows alternate the
// order, scan lines write lines 0, 2, 4... and keep the odd ones.
TEST(RgbConvert, EightBitAtTwiceTheSize) {
  const uint16_t colour = R555(20, 10, 30);
  const uint16_t pair = PairTableEntry(colour);
  const uint8_t lo = pair & 0xff, hi = pair >> 8;
  for (int bits : {16, 24}) {
    for (VideoScaleMode mode : {kVideoScale2xDoubled, kVideoScale2xScanLines}) {
      SCOPED_TRACE(std::to_string(bits) + (mode == kVideoScale2xDoubled ? " doubled" : " scan lines"));
      Picture pic(2, 3, bits);
      for (int r = 0; r < 3; ++r)
        for (int x = 0; x < 2; ++x) {
          if (bits == 16)
            pic.Set555(x, r, colour);
          else
            pic.Set24(x, r, 20 << 3, 10 << 3, 30 << 3);
        }
      Target t(4, 6, 4);
      ASSERT_TRUE(ConvertVideoFrame(pic.Source(), t.Dest(), 0, 0, mode));
      for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 4; ++x) {
          uint8_t want;
          if (y % 2 == 0)
            want = x % 2 == 0 ? lo : hi;
          else if (mode == kVideoScale2xDoubled)
            want = x % 2 == 0 ? hi : lo;
          else
            want = kBg8;
          ASSERT_EQ(t.At8(x, y), want) << "at " << x << "," << y;
        }
      }
    }
  }
}

// 8-bit at 1x: the checkerboard. Rows and pixels in pairs; only the first
// pixel of a pair is looked at; the second row of a pair swaps the order;
// an odd last row (and column) is left as it was.
TEST(RgbConvert, EightBitCheckerboard) {
  const uint16_t a = R555(31, 31, 31), b = R555(0, 16, 8), c = R555(12, 3, 31), d = R555(5, 5, 5);
  Picture pic(5, 3, 16);
  // Row 0: a x b x (the x pixels are ignored), row 1: c x d x, row 2: odd.
  const uint16_t ignored = R555(1, 2, 3);
  for (int x = 0; x < 5; ++x) {
    pic.Set555(x, 0, x == 0 ? a : x == 2 ? b : ignored);
    pic.Set555(x, 1, x == 0 ? c : x == 2 ? d : ignored);
    pic.Set555(x, 2, a);
  }
  Target t(5, 3, 4);
  ASSERT_TRUE(ConvertVideoFrame(pic.Source(), t.Dest(), 0, 0, kVideoScale1x));
  auto lo = [](uint16_t v) { return static_cast<uint8_t>(PairTableEntry(v) & 0xff); };
  auto hi = [](uint16_t v) { return static_cast<uint8_t>(PairTableEntry(v) >> 8); };
  const uint8_t want[3][5] = {
      {lo(a), hi(a), lo(b), hi(b), kBg8},
      {hi(c), lo(c), hi(d), lo(d), kBg8},
      {kBg8, kBg8, kBg8, kBg8, kBg8},
  };
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(t.At8(x, y), want[y][x]) << "at " << x << "," << y;

  // A 24-bit source goes through the RGB555 value of each pixel.
  Picture pic24(2, 2, 24);
  pic24.Set24(0, 0, 255, 255, 255);
  pic24.Set24(0, 1, 0, 130, 70);
  Target t24(2, 2, 4);
  ASSERT_TRUE(ConvertVideoFrame(pic24.Source(), t24.Dest(), 0, 0, kVideoScale1x));
  EXPECT_EQ(t24.At8(0, 0), 127);
  EXPECT_EQ(t24.At8(1, 0), 255);
  uint16_t p = PairTableEntry(Rgb24To555(0, 130, 70));
  EXPECT_EQ(t24.At8(0, 1), p >> 8);
  EXPECT_EQ(t24.At8(1, 1), p & 0xff);
}

// What does not fit is cut off; nothing is written outside the target (the
// target is exactly its size, so the address sanitizer sees any overrun).
TEST(RgbConvert, LargerThanTheTargetIsCut) {
  for (int format : {4, 7, 9}) {
    for (VideoScaleMode mode : {kVideoScale1x, kVideoScale2xDoubled, kVideoScale2xScanLines}) {
      for (int bits : {16, 24}) {
        Picture pic(40, 30, bits);
        Target t(32, 24, format);
        EXPECT_TRUE(ConvertVideoFrame(pic.Source(), t.Dest(), 5, 7, mode));
        Target far(8, 8, format);
        EXPECT_TRUE(ConvertVideoFrame(pic.Source(), far.Dest(), 20, 20, mode));
      }
    }
  }
}

TEST(RgbConvert, CombinationsWithoutAConverterDrawNothing) {
  Picture pic(2, 2, 16);
  Target t(2, 2, 7);
  VideoFrameSource eight = pic.Source();
  eight.bitCount = 8;
  EXPECT_FALSE(ConvertVideoFrame(eight, t.Dest(), 0, 0, kVideoScale1x));
  VideoFrameDest rgb24 = t.Dest();
  rgb24.formatCode = 11;
  EXPECT_FALSE(ConvertVideoFrame(pic.Source(), rgb24, 0, 0, kVideoScale1x));
  EXPECT_EQ(t.At16(0, 0), kBg16);
}

// The top bit of an RGB555 pixel is unused; a picture that sets it must not
// reach outside the tables.
TEST(RgbConvert, UnusedTopBitIsIgnored) {
  Picture pic(2, 2, 16);
  for (int r = 0; r < 2; ++r)
    for (int x = 0; x < 2; ++x) pic.Set555(x, r, 0xffff);
  Target t8(2, 2, 4);
  ConvertVideoFrame(pic.Source(), t8.Dest(), 0, 0, kVideoScale1x);
  EXPECT_EQ(t8.At8(0, 0), 127);
  Target t565(4, 4, 9);
  ConvertVideoFrame(pic.Source(), t565.Dest(), 0, 0, kVideoScale2xDoubled);
  EXPECT_EQ(t565.At16(3, 3), 0xffdf);
}

// --- LoadBmpAs8Bit through the common picture reader -------------------------

void Le16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(x & 0xff);
  v.push_back(x >> 8);
}
void Le32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}

// A 24-bit picture 3 pixels wide (rows padded to 12 bytes), with a gap
// before its pixels, stored top-down or bottom-up.
std::vector<uint8_t> Bmp24(bool topDown, const uint8_t rgb[2][3][3]) {
  const int w = 3, h = 2, gap = 10, stride = 12;
  std::vector<uint8_t> v;
  v.push_back('B');
  v.push_back('M');
  Le32(v, 14 + 40 + gap + stride * h);
  Le32(v, 0);
  Le32(v, 14 + 40 + gap);  // pixel offset
  Le32(v, 40);
  Le32(v, w);
  Le32(v, static_cast<uint32_t>(topDown ? -h : h));
  Le16(v, 1);
  Le16(v, 24);
  Le32(v, 0);
  Le32(v, stride * h);
  Le32(v, 0);
  Le32(v, 0);
  Le32(v, 0);
  Le32(v, 0);
  v.insert(v.end(), gap, 0x55);
  for (int i = 0; i < h; ++i) {
    int shown = topDown ? i : h - 1 - i;
    for (int x = 0; x < w; ++x) {
      v.push_back(rgb[shown][x][2]);
      v.push_back(rgb[shown][x][1]);
      v.push_back(rgb[shown][x][0]);
    }
    v.insert(v.end(), stride - 3 * w, 0xAA);  // padding
  }
  return v;
}

TEST(LoadBmpAs8Bit, HonoursPaddingOffsetAndRowOrder) {
  const uint8_t rgb[2][3][3] = {{{255, 255, 255}, {9, 9, 9}, {0, 0, 255}},
                                {{0, 200, 0}, {9, 9, 9}, {255, 0, 0}}};
  for (bool topDown : {false, true}) {
    SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
    std::string path = std::string(KEL_BINARY_DIR) + "/test-home/video-bmp24.bmp";
    std::vector<uint8_t> file = Bmp24(topDown, rgb);
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
    DDSurface* s = LoadBmpAs8Bit(path.c_str());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetWidth(), 3);
    EXPECT_EQ(s->GetHeight(), 2);
    EXPECT_EQ(s->GetPixelFormat(), 4);
    // Row 0: white's pair; row 1: the green pixel's pair, swapped.
    uint16_t green = PairTableEntry(Rgb24To555(0, 200, 0));
    EXPECT_EQ(s->Row(0)[0], 127);
    EXPECT_EQ(s->Row(0)[1], 255);
    EXPECT_EQ(s->Row(1)[0], green >> 8);
    EXPECT_EQ(s->Row(1)[1], green & 0xff);
    delete s;
    std::remove(path.c_str());
  }
  EXPECT_EQ(LoadBmpAs8Bit("/no/such/picture.bmp"), nullptr);
  EXPECT_EQ(LoadBmpAs8Bit(nullptr), nullptr);
}

}  // namespace
