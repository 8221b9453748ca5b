// .mbm files made by other tools: every frame kind the format allows, built
// byte by byte here (not by our writer), and files whose frames the game
// cannot draw, which keep their other frames usable.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "graphics/display.h"
#include "graphics/palette.h"
#include "graphics/pixel_format.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "platform/presenter.h"

namespace {

// Little-endian bytes appended one field at a time.
struct Bytes {
  std::vector<uint8_t> b;
  Bytes& u8(uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    return *this;
  }
  Bytes& u16(uint32_t v) { return u8(v).u8(v >> 8); }
  Bytes& u32(uint32_t v) { return u16(v).u16(v >> 16); }
  Bytes& raw(const std::vector<uint8_t>& v) {
    b.insert(b.end(), v.begin(), v.end());
    return *this;
  }
};

// A palette whose entry i is (blue i, green 255 - i, red i / 2).
std::vector<uint8_t> Quads(int shift = 0) {
  Bytes p;
  for (int i = 0; i < 256; ++i) p.u8(i + shift).u8(255 - i).u8(i / 2).u8(0);
  return p.b;
}

struct FrameBytes {
  std::string name;
  int32_t width, height;
  uint16_t bitCount;
  uint32_t compression;
  std::vector<uint8_t> palette;  // written when not empty
  std::vector<uint8_t> pixels;   // as stored
};

// A whole file: magic, optional shared palette, entry + data per frame, and a
// trailer whose unread words hold what another tool might put there.
std::vector<uint8_t> File(const std::vector<FrameBytes>& frames, const std::vector<uint8_t>* shared,
                          uint32_t extraFlags = 0) {
  Bytes f;
  f.u8('M').u8('B');
  if (shared) f.raw(*shared);
  for (const FrameBytes& fr : frames) {
    Bytes data;
    data.raw(std::vector<uint8_t>(fr.name.begin(), fr.name.end()));
    data.u32(40).u32(static_cast<uint32_t>(fr.width)).u32(static_cast<uint32_t>(fr.height)).u16(1).u16(fr.bitCount);
    data.u32(fr.compression).u32(static_cast<uint32_t>(fr.pixels.size())).u32(2835).u32(2835).u32(0).u32(0);
    data.raw(fr.palette).raw(fr.pixels);
    const uint32_t offset = static_cast<uint32_t>(f.b.size() + 12);
    f.u32(offset).u32(static_cast<uint32_t>(data.b.size())).u8(0x5A).u8(static_cast<uint32_t>(fr.name.size())).u16(0xBEEF);
    f.raw(data.b);
  }
  f.u32(0x12345678).u32(0xCAFEF00D).u16(static_cast<uint32_t>(frames.size())).u16(0x7777);
  f.u32((shared ? 1u : 0u) | extraFlags);
  return f.b;
}

// Rows of a DIB, bottom row first (height > 0), each padded to 4 bytes.
std::vector<uint8_t> Rows(const std::vector<std::vector<uint8_t>>& topDown) {
  std::vector<uint8_t> out;
  for (auto it = topDown.rbegin(); it != topDown.rend(); ++it) {
    out.insert(out.end(), it->begin(), it->end());
    out.resize((out.size() + 3) & ~size_t{3}, 0);
  }
  return out;
}

std::vector<uint8_t> SurfaceRow(DDSurface* s, int y) {
  return std::vector<uint8_t>(s->Row(y), s->Row(y) + s->GetWidth() * s->GetBytesPerPixel());
}

// A display in the game's 8-bit mode with a palette of its own, for the
// true-colour frames.
class MbmKindsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    presenter_ = CreateMemoryPresenter();
    ASSERT_EQ(InitDirectDraw(presenter_.get(), 0), 1);
    ASSERT_EQ(SetVideoMode(640, 480, 8, 2, 0), 1);
    PaletteEntry entries[256];
    for (int i = 0; i < 256; ++i) entries[i] = PaletteEntry{uint8_t(i), uint8_t(i), uint8_t(255 - i), 0};
    g_primaryDDSurface->GetPalette()->SetEntries(0, 256, entries);
  }
  void TearDown() override { ReleaseDirectDraw(); }
  std::unique_ptr<MemoryPresenter> presenter_;
};

TEST_F(MbmKindsTest, EveryFrameKindLoadsFromHandBuiltBytes) {
  // Colours that are exact entries of the display palette: entry i is
  // (red i, green i, blue 255 - i).
  auto bgr = [](int i) { return std::vector<uint8_t>{uint8_t(255 - i), uint8_t(i), uint8_t(i)}; };
  auto x555 = [](int i) {
    const uint32_t v = (uint32_t(i >> 3) << 10) | (uint32_t(i >> 3) << 5) | uint32_t((255 - i) >> 3);
    return std::vector<uint8_t>{uint8_t(v), uint8_t(v >> 8)};
  };
  auto join = [](std::vector<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  };
  struct Case {
    const char* what;
    FrameBytes frame;
    std::vector<std::vector<uint8_t>> want;  // the surface's rows, top first
  } cases[] = {
      {"1-bit, own palette", {"one", 10, 2, 1, 0, Quads(), Rows({{0xA5, 0xC0}, {0x0F, 0x40}})},
       {{1, 0, 1, 0, 0, 1, 0, 1, 1, 1}, {0, 0, 0, 0, 1, 1, 1, 1, 0, 1}}},
      {"4-bit, own palette, top-down", {"four", 3, -2, 4, 0, Quads(), {0x12, 0x30, 0, 0, 0xAB, 0xC0, 0, 0}},
       {{1, 2, 3}, {10, 11, 12}}},
      {"8-bit, own palette", {"eight", 3, 2, 8, 0, Quads(), Rows({{7, 8, 9}, {200, 201, 202}})},
       {{7, 8, 9}, {200, 201, 202}}},
      {"16-bit x-5-5-5, no palette", {"sixteen", 2, 1, 16, 0, {}, Rows({join({x555(0), x555(255)})})}, {{0, 255}}},
      {"24-bit, no palette", {"t24", 3, 2, 24, 0, {}, Rows({join({bgr(5), bgr(6), bgr(7)}), join({bgr(250), bgr(1), bgr(0)})})},
       {{5, 6, 7}, {250, 1, 0}}},
      {"32-bit, no palette, top-down", {"t32", 2, -1, 32, 0, {}, join({bgr(40), {0}, bgr(41), {0}})}, {{40, 41}}},
  };
  for (const Case& c : cases) {
    Sprite s;
    ASSERT_EQ(s.OpenMemory(File({c.frame}, nullptr), 0x28), kSpriteOk) << c.what;
    ASSERT_EQ(s.FrameCount(), 1) << c.what;
    EXPECT_EQ(s.GetFrameName(1), c.frame.name) << c.what;
    DDSurface* surface = s.GetFrameSurface(1);
    ASSERT_NE(surface, nullptr) << c.what << " error " << s.GetError();
    ASSERT_EQ(surface->GetBytesPerPixel(), 1) << c.what;
    for (size_t y = 0; y < c.want.size(); ++y) EXPECT_EQ(SurfaceRow(surface, int(y)), c.want[y]) << c.what << " row " << y;
    // Only frames of 8 bits or fewer have a palette.
    EXPECT_EQ(s.GetFramePalette(1) != nullptr, c.frame.bitCount <= 8) << c.what;
    if (c.frame.bitCount <= 8) {
      EXPECT_EQ(s.GetFramePalette(1)->Entries()[3].blue, 3) << c.what;
    }
    // Drawn like any frame: index 1 left out.
    DDSurface target(16, 4, 4);
    target.FillRect(0, 0, 16, 4, 99);
    s.DrawFrame(1, &target, 2, 1);
    for (size_t y = 0; y < c.want.size(); ++y)
      for (size_t x = 0; x < c.want[y].size(); ++x)
        EXPECT_EQ(target.Row(int(y) + 1)[x + 2], c.want[y][x] == 1 ? 99 : c.want[y][x]) << c.what;
  }
}

TEST_F(MbmKindsTest, SharedPaletteAndRunLengthFramesByHand) {
  const std::vector<uint8_t> shared = Quads(7);
  // 'TRLE' rows: (skip 1, 2 literals 9 10), end | (0, 3: 4 5 6), end.
  const std::vector<uint8_t> trle = {1, 2, 9, 10, 0, 0, 0, 3, 4, 5, 6, 0, 0};
  const std::vector<uint8_t> file = File({{"raw", 3, 1, 8, 0, {}, Rows({{20, 21, 22}})},
                                          {"rle", 3, 2, 8, 0x54524C45, {}, trle},
                                          {"", 2, 1, 8, 0, {}, Rows({{30, 31}})}},
                                         &shared, 0xFFFFFFFE);  // other flag bits are not read
  Sprite s;
  ASSERT_EQ(s.OpenMemory(file, 0x28), kSpriteOk);
  ASSERT_EQ(s.FrameCount(), 3);
  EXPECT_EQ(s.GetFrameName(2), "rle");
  EXPECT_EQ(s.GetFrameName(3), "");
  // One palette object for every frame, made from the shared entries.
  ASSERT_NE(s.GetFramePalette(1), nullptr);
  EXPECT_EQ(s.GetFramePalette(1), s.GetFramePalette(2));
  EXPECT_EQ(s.GetFramePalette(1), s.GetFramePalette(3));
  EXPECT_EQ(s.GetFramePalette(1)->Entries()[0].blue, 7);
  EXPECT_EQ(SurfaceRow(s.GetFrameSurface(1), 0), (std::vector<uint8_t>{20, 21, 22}));
  EXPECT_EQ(SurfaceRow(s.GetFrameSurface(3), 0), (std::vector<uint8_t>{30, 31}));
  DDSurface target(4, 2, 4);
  target.FillRect(0, 0, 4, 2, 50);
  s.DrawFrame(2, &target, 0, 0);
  EXPECT_EQ(SurfaceRow(&target, 0), (std::vector<uint8_t>{50, 9, 10, 50}));
  EXPECT_EQ(SurfaceRow(&target, 1), (std::vector<uint8_t>{4, 5, 6, 50}));
  // The data of a frame as another tool would read it: header, the shared
  // palette copied in, pixels.
  const std::vector<uint8_t> bits = s.ReadFrameBits(1);
  ASSERT_EQ(bits.size(), 40u + 1024u + 4u);
  EXPECT_EQ(bits[40], 7);
  EXPECT_EQ(bits[1064], 20);
  EXPECT_EQ(s.GetFrameDataSize(1), 40u + 1024u + 4u);
}

TEST_F(MbmKindsTest, FramesTheGameCannotDrawLeaveTheOthersUsable) {
  const std::vector<uint8_t> pixels = Rows({{40, 41, 42, 43}});
  const std::vector<uint8_t> packed = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
  struct Case {
    const char* what;
    FrameBytes frame;
  } cases[] = {
      {"'MICR'", {"m", 4, 1, 8, 0x4D494352, Quads(), packed}},
      {"'RECT'", {"r", 4, 1, 8, 0x52454354, Quads(), packed}},
      {"2-bit raw", {"two", 4, 1, 2, 0, Quads(), {0x1B, 0, 0, 0}}},
      {"run-length of 16 bits", {"w", 4, 1, 16, 0x54524C45, {}, {0, 0}}},
      {"another compression code", {"z", 4, 1, 8, 2, Quads(), packed}},
  };
  for (const Case& c : cases) {
    for (uint32_t flags : {0x28u, 0x04u, 0x00u}) {  // loaded at open, surfaces at open, on demand
      Sprite s;
      ASSERT_EQ(s.OpenMemory(File({{"a", 4, 1, 8, 0, Quads(), pixels}, c.frame, {"b", 4, 1, 8, 0, Quads(), pixels}},
                                  nullptr),
                             flags),
                kSpriteOk)
          << c.what << " flags " << flags;
      ASSERT_EQ(s.FrameCount(), 3) << c.what;
      EXPECT_EQ(s.GetFrameName(2), c.frame.name) << c.what;
      ASSERT_NE(s.GetFrameInfo(2), nullptr) << c.what;
      EXPECT_EQ(s.GetFrameInfo(2)->compression, c.frame.compression) << c.what;
      EXPECT_EQ(s.GetFrameSurface(2), nullptr) << c.what;
      EXPECT_EQ(s.GetError(), kSpriteErrUnsupported) << c.what;
      DDSurface target(4, 1, 4);
      target.FillRect(0, 0, 4, 1, 3);
      s.DrawFrame(2, &target, 0, 0);
      EXPECT_EQ(SurfaceRow(&target, 0), (std::vector<uint8_t>{3, 3, 3, 3})) << c.what;
      for (int n : {1, 3}) {
        s.DrawFrame(n, &target, 0, 0);
        EXPECT_EQ(SurfaceRow(&target, 0), (std::vector<uint8_t>{40, 41, 42, 43})) << c.what << " frame " << n;
      }
    }
  }
}

TEST_F(MbmKindsTest, TrueColourInTheSixteenBitModeKeepsItsColours) {
  ASSERT_EQ(SetVideoMode(640, 480, 16, 1, 0), 1);
  // Blue, green, red: (8, 16, 248) and (0, 252, 0).
  Sprite s;
  ASSERT_EQ(s.OpenMemory(File({{"t", 2, 1, 24, 0, {}, Rows({{8, 16, 248, 0, 252, 0}})}}, nullptr), 0x28), kSpriteOk);
  DDSurface* surface = s.GetFrameSurface(1);
  ASSERT_NE(surface, nullptr);
  ASSERT_EQ(surface->GetPixelFormat(), kFormatRgb565);
  const uint16_t want[2] = {uint16_t((31 << 11) | (4 << 5) | 1), uint16_t(63 << 5)};
  DDSurface target(3, 1, kFormatRgb565);
  target.FillRect(0, 0, 3, 1, 0x1234);
  s.DrawFrame(1, &target, 1, 0);
  for (int x = 0; x < 2; ++x) {
    EXPECT_EQ(surface->Row(0)[2 * x] | surface->Row(0)[2 * x + 1] << 8, want[x]) << x;
    EXPECT_EQ(target.Row(0)[2 * x + 2] | target.Row(0)[2 * x + 3] << 8, want[x]) << x;
  }
  EXPECT_EQ(target.Row(0)[0] | target.Row(0)[1] << 8, 0x1234);
}

TEST(MbmKinds, TrueColourWithoutADisplayPaletteIsNotDrawn) {
  // No display started: a true-colour frame has no colours to be shown in,
  // an 8-bit frame beside it is drawn.
  auto bgr = std::vector<uint8_t>{1, 2, 3, 4, 5, 6};
  Sprite s;
  ASSERT_EQ(s.OpenMemory(File({{"t", 2, 1, 24, 0, {}, Rows({bgr})}, {"p", 2, 1, 8, 0, Quads(), Rows({{9, 8}})}},
                              nullptr),
                         0x28),
            kSpriteOk);
  EXPECT_EQ(s.GetFrameSurface(1), nullptr);
  EXPECT_EQ(s.GetError(), kSpriteErrNoPalette);
  ASSERT_NE(s.GetFrameSurface(2), nullptr);
  EXPECT_EQ(SurfaceRow(s.GetFrameSurface(2), 0), (std::vector<uint8_t>{9, 8}));
}

}  // namespace
