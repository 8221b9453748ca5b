// .bmp pictures: 8-bit round trips byte for byte, 24-bit pictures matched to a
// palette, and malformed files refused without harm.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "base/debug.h"
#include "graphics/bmp.h"
#include "graphics/display.h"
#include "graphics/surface.h"

namespace {

void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}

// A .bmp file written field by field as the published layout has it: 8 bits
// with 256 colours (screenshot layout) or 24 bits without a colour table.
std::vector<uint8_t> MakeBmp(int width, int height, int bits,
                             const std::vector<uint8_t>& topDownPixels,
                             const std::vector<uint8_t>& quads, bool topDown = false) {
  const int bytesPerPixel = bits / 8;
  const size_t rowBytes = (size_t(width) * bytesPerPixel + 3) & ~size_t(3);
  const uint32_t paletteBytes = bits == 8 ? 1024 : 0;
  const uint32_t offBits = 54 + paletteBytes;
  const uint32_t imageBytes = uint32_t(rowBytes * height);
  std::vector<uint8_t> v = {'B', 'M'};
  Put32(v, offBits + imageBytes);
  Put32(v, 0);
  Put32(v, offBits);
  Put32(v, 40);
  Put32(v, uint32_t(width));
  Put32(v, uint32_t(topDown ? -height : height));
  Put16(v, 1);
  Put16(v, uint32_t(bits));
  Put32(v, 0);
  Put32(v, imageBytes);
  Put32(v, 2835);
  Put32(v, 2835);
  Put32(v, bits == 8 ? 256 : 0);
  Put32(v, 0);
  v.insert(v.end(), quads.begin(), quads.end());
  for (int i = 0; i < height; ++i) {
    int y = topDown ? i : height - 1 - i;
    const uint8_t* row = topDownPixels.data() + size_t(y) * width * bytesPerPixel;
    v.insert(v.end(), row, row + size_t(width) * bytesPerPixel);
    v.insert(v.end(), rowBytes - size_t(width) * bytesPerPixel, 0);
  }
  return v;
}

std::vector<uint8_t> TestQuads() {
  std::vector<uint8_t> q;
  for (int i = 0; i < 256; ++i) {
    q.push_back(uint8_t(i * 7));       // blue
    q.push_back(uint8_t(255 - i));     // green
    q.push_back(uint8_t(i * 3 + 1));   // red
    q.push_back(0);
  }
  return q;
}

std::string TempPath(const char* name) {
  return std::string(KEL_BINARY_DIR) + "/test-home/data/" + name;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

TEST(Bmp, EightBitRoundTripIsByteExact) {
  // Odd widths exercise the row padding; 4 is the unpadded case.
  for (int width : {13, 4, 1, 641}) {
    const int height = 7;
    std::vector<uint8_t> pixels(size_t(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 31 + 5);
    std::vector<uint8_t> file = MakeBmp(width, height, 8, pixels, TestQuads());

    DDSurface s;
    ASSERT_EQ(s.LoadBmp(file.data(), file.size()), kDDOk) << width;
    ASSERT_EQ(s.GetWidth(), width);
    ASSERT_EQ(s.GetHeight(), height);
    ASSERT_EQ(s.GetPixelFormat(), kFormatIndexed8);
    ASSERT_NE(s.GetPalette(), nullptr);
    EXPECT_EQ(s.GetPalette()->Entries()[2].red, 7);
    EXPECT_EQ(s.GetPalette()->Entries()[2].blue, 14);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) ASSERT_EQ(s.Row(y)[x], pixels[size_t(y) * width + x]);

    const std::string path = TempPath("roundtrip.bmp");
    ASSERT_EQ(s.SaveBmp(path.c_str()), kDDOk);
    EXPECT_EQ(ReadFile(path), file) << "width " << width;
  }
}

TEST(Bmp, TopDownPictureLoadsTheSameAndSavesBottomUp) {
  const int width = 5, height = 3;
  std::vector<uint8_t> pixels(width * height);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(100 + i);
  std::vector<uint8_t> bottomUp = MakeBmp(width, height, 8, pixels, TestQuads());
  std::vector<uint8_t> topDown = MakeBmp(width, height, 8, pixels, TestQuads(), true);
  DDSurface s;
  ASSERT_EQ(s.LoadBmp(topDown.data(), topDown.size()), kDDOk);
  EXPECT_EQ(s.Row(0)[0], 100);
  EXPECT_EQ(s.Row(2)[4], 114);
  const std::string path = TempPath("topdown.bmp");
  ASSERT_EQ(s.SaveBmp(path.c_str()), kDDOk);
  EXPECT_EQ(ReadFile(path), bottomUp);
}

TEST(Bmp, FileConstructorAndPaletteFile) {
  std::vector<uint8_t> pixels(6 * 2, 9);
  std::vector<uint8_t> file = MakeBmp(6, 2, 8, pixels, TestQuads());
  const std::string path = TempPath("palette.bmp");
  {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
  }
  DDSurface s(path.c_str(), 0, 0);
  EXPECT_EQ(s.GetWidth(), 6);
  EXPECT_EQ(s.Row(1)[5], 9);

  const int palettesBefore = LivePaletteCount();
  DDPalette* p = LoadPaletteFile(path.c_str());
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->GetRefCount(), 1u);  // the caller's reference only
  EXPECT_EQ(p->Entries()[255].green, 0);
  EXPECT_EQ(p->Release(), 0u);
  EXPECT_EQ(LivePaletteCount(), palettesBefore);

  EXPECT_EQ(LoadPaletteFile(TempPath("missing.bmp").c_str()), nullptr);
  DDSurface missing(TempPath("missing.bmp").c_str(), 0, 0);
  EXPECT_FALSE(missing.HasSurface());
}

// Pictures loaded by path (status bands, icons) are never dropped in silence:
// each refused file is named once with its reason, a good one with nothing.
TEST(Bmp, RefusedPictureFileIsNamedWithItsReason) {
  std::vector<uint8_t> pixels(4 * 2, 5);
  std::vector<uint8_t> good = MakeBmp(4, 2, 8, pixels, TestQuads());
  std::vector<uint8_t> damaged = good;
  damaged[0] = 'X';
  auto write = [](const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  };
  const std::string goodPath = TempPath("named-good.bmp"), damagedPath = TempPath("named-damaged.bmp");
  write(goodPath, good);
  write(damagedPath, damaged);
  std::vector<std::string> lines;
  DebugSink old = SetDebugSink([&](const std::string& l) { lines.push_back(l); });
  struct Case {
    std::string path;
    const char* reason;  // null: loads
  } cases[] = {{goodPath, nullptr},
               {damagedPath, "not a picture the game reads, or damaged (error 1)"},
               {TempPath("named-missing.bmp"), "(error 0x1102)"}};
  for (const Case& c : cases) {
    lines.clear();
    DDSurface* s = LoadPictureOrNull(c.path.c_str());
    if (!c.reason) {
      ASSERT_NE(s, nullptr) << c.path;
      EXPECT_EQ(s->GetWidth(), 4);
      EXPECT_TRUE(lines.empty()) << c.path;
      delete s;
      continue;
    }
    EXPECT_EQ(s, nullptr) << c.path;
    ASSERT_EQ(lines.size(), 1u) << c.path;
    EXPECT_NE(lines[0].find(c.path), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(c.reason), std::string::npos) << lines[0];
  }
  SetDebugSink(old);
}

TEST(Bmp, TwentyFourBitPictureTakesTheNearestPaletteColour) {
  // Palette: 0 black, 1 pure red (the key), 2 dark red, 3 green, 4 blue, rest white.
  PaletteEntry entries[256];
  for (auto& e : entries) e = PaletteEntry{255, 255, 255, 0};
  entries[0] = {0, 0, 0, 0};
  entries[1] = {255, 0, 0, 0};
  entries[2] = {120, 0, 0, 0};
  entries[3] = {0, 200, 0, 0};
  entries[4] = {0, 0, 200, 0};
  DDPalette* palette = new DDPalette(kDisplayPaletteCaps, entries);

  struct Case { uint8_t r, g, b; uint8_t want; };
  const Case cases[] = {
      {0, 0, 0, 0},      {250, 5, 5, 1},     {100, 10, 0, 2},  {61, 0, 0, 2},
      {59, 0, 0, 0},     {10, 180, 20, 3},   {0, 0, 255, 4},   {240, 250, 255, 5},
  };
  const int n = int(std::size(cases));
  std::vector<uint8_t> bgr;
  for (const Case& c : cases) {
    bgr.push_back(c.b);
    bgr.push_back(c.g);
    bgr.push_back(c.r);
  }
  std::vector<uint8_t> file = MakeBmp(n, 1, 24, bgr, {});

  DDSurface s(1, 1, kFormatIndexed8);
  ASSERT_EQ(s.SetPalette(palette), kDDOk);
  ASSERT_EQ(s.LoadBmp(file.data(), file.size()), kDDOk);
  ASSERT_EQ(s.GetWidth(), n);
  EXPECT_EQ(s.GetPalette(), palette);
  for (int i = 0; i < n; ++i) EXPECT_EQ(s.Row(0)[i], cases[i].want) << "case " << i;

  // Without any palette to match to, a true-colour picture cannot be loaded in 8 bits.
  DDSurface bare;
  EXPECT_EQ(bare.LoadBmp(file.data(), file.size()), kDDNoPalette);

  // Into 16 bits it needs none.
  DDSurface wide;
  ASSERT_EQ(wide.LoadBmp(file.data(), file.size(), 0, kFormatRgb565), kDDOk);
  EXPECT_EQ(wide.Row(0)[2 * 5] | (wide.Row(0)[2 * 5 + 1] << 8), (1 << 11) | (45 << 5) | 2);

  s.SetPalette(nullptr);
  EXPECT_EQ(palette->Release(), 0u);
}

TEST(Bmp, SaveRefusesWhatIsNotAnEightBitPalettedSurface) {
  DDSurface wide(4, 4, kFormatRgb565);
  DDSurface noPalette(4, 4, kFormatIndexed8);
  DDSurface empty;
  const std::string path = TempPath("refused.bmp");
  EXPECT_EQ(wide.SaveBmp(path.c_str()), kDDNot8Bit);
  EXPECT_EQ(noPalette.SaveBmp(path.c_str()), kDDNoPalette);
  EXPECT_EQ(empty.SaveBmp(path.c_str()), kDDNoSurface);
  DDPalette* p = new DDPalette(kDisplayPaletteCaps, nullptr);
  noPalette.SetPalette(p);
  p->Release();
  EXPECT_EQ(noPalette.SaveBmp("/nonexistent-dir/x.bmp"), kDDCallFailed);
}

TEST(Bmp, MalformedFilesAreRefusedAndLeaveTheSurfaceAlone) {
  std::vector<uint8_t> pixels(8 * 4, 3);
  const std::vector<uint8_t> good = MakeBmp(8, 4, 8, pixels, TestQuads());
  auto mutate = [&](size_t offset, uint32_t value, int bytes) {
    std::vector<uint8_t> v = good;
    for (int i = 0; i < bytes; ++i) v[offset + i] = uint8_t(value >> (8 * i));
    return v;
  };
  struct Bad { const char* what; std::vector<uint8_t> bytes; };
  std::vector<Bad> bad = {
      {"empty", {}},
      {"magic", mutate(0, 'X', 1)},
      {"truncated pixels", std::vector<uint8_t>(good.begin(), good.end() - 1)},
      {"truncated header", std::vector<uint8_t>(good.begin(), good.begin() + 30)},
      {"pixel offset past end", mutate(10, 0xFFFFFFF0u, 4)},
      {"info size huge", mutate(14, 0x7FFFFFFFu, 4)},
      {"zero width", mutate(18, 0, 4)},
      {"negative width", mutate(18, 0xFFFFFFF8u, 4)},
      {"huge width", mutate(18, 0x40000000u, 4)},
      {"zero height", mutate(22, 0, 4)},
      {"minimum height", mutate(22, 0x80000000u, 4)},
      {"huge height", mutate(22, 0x7FFFFFFFu, 4)},
      {"bit count 7", mutate(28, 7, 2)},
      {"bit count 16", mutate(28, 16, 2)},
      {"run-length", mutate(30, 1, 4)},
      {"too many colours", mutate(46, 257, 4)},
  };
  for (const Bad& b : bad) {
    DDSurface s(2, 2, kFormatIndexed8);
    s.FillRect(0, 0, 2, 2, 44);
    EXPECT_EQ(s.LoadBmp(b.bytes.data(), b.bytes.size()), kDDBadArgument) << b.what;
    EXPECT_EQ(s.GetWidth(), 2) << b.what;
    EXPECT_EQ(s.Row(1)[1], 44) << b.what;
  }
  DDSurface s;
  EXPECT_EQ(s.LoadBmp(nullptr, 100), kDDBadArgument);
}

TEST(Bmp, CopyDibToSurfaceTurnsBottomUpRows) {
  DDSurface s(3, 2, kFormatIndexed8);
  BitmapInfoHeader h;
  h.width = 3;
  h.height = 2;
  h.bitCount = 8;
  const uint8_t bits[8] = {1, 2, 3, 0, 4, 5, 6, 0};  // bottom row first, padded to 4
  ASSERT_EQ(CopyDibToSurface(h, bits, sizeof(bits), &s), kDDOk);
  EXPECT_EQ(s.Row(0)[0], 4);
  EXPECT_EQ(s.Row(1)[2], 3);
  EXPECT_EQ(CopyDibToSurface(h, bits, 7, &s), kDDBadArgument);
  h.bitCount = 16;
  EXPECT_EQ(CopyDibToSurface(h, bits, sizeof(bits), &s), kDDCallFailed);
}

}  // namespace

namespace {

TEST(Bmp, FuzzSeedsAreValidPictures) {
  // The fuzz target's seeds must load, or it would only ever test refusals.
  const char* seeds[] = {"eight_bit.bmp", "true_colour.bmp", "top_down_4bit.bmp"};
  PaletteEntry entries[256] = {};
  DDPalette* palette = new DDPalette(kDisplayPaletteCaps, entries);
  for (const char* seed : seeds) {
    std::vector<uint8_t> bytes =
        ReadFile(std::string(KEL_SOURCE_DIR) + "/tests/fuzz/corpus/fuzz_bmp/" + seed);
    ASSERT_FALSE(bytes.empty()) << seed;
    DDSurface s(1, 1, kFormatIndexed8);
    s.SetPalette(palette);
    EXPECT_EQ(s.LoadBmp(bytes.data(), bytes.size()), kDDOk) << seed;
    EXPECT_GT(s.GetWidth(), 4) << seed;
  }
  palette->Release();
}

}  // namespace
