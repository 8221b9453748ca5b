// Sprites: writer -> reader round trips, the load modes, run-length frames
// drawn like raw frames at every edge and corner, variants, palette matching,
// the frame queries and a table of damaged files.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "base/pkc.h"
#include "graphics/clipper.h"
#include "graphics/display.h"
#include "graphics/mbm_writer.h"
#include "graphics/palette.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "tests/sprites/fixtures.h"

namespace {

std::string FixturePath(const std::string& name) {
  const std::string dir = fixtures::BuildDir() + "/sprite-fixtures";
  std::filesystem::create_directories(dir);
  return dir + "/" + name;
}

std::string WriteFixture(const std::string& name, const std::vector<uint8_t>& bytes) {
  const std::string path = FixturePath(name);
  EXPECT_TRUE(WriteMbmFile(path, bytes));
  return path;
}

// Three frames: raw bottom-up, raw top-down (negative height), run-length.
std::vector<MbmFrameSpec> ThreeFrames() {
  std::vector<MbmFrameSpec> frames(3);
  frames[0] = {"first", 13, 9, fixtures::Picture(13, 9, 1), false, fixtures::Palette(1)};
  frames[1] = {"second frame", 7, -5, fixtures::Picture(7, 5, 2), false, fixtures::Palette(2)};
  frames[2] = {"", 300, 6, fixtures::Picture(300, 6, 3), true, fixtures::Palette(3)};
  return frames;
}

std::vector<uint8_t> SurfacePixels(DDSurface* s) {
  std::vector<uint8_t> out;
  for (int y = 0; y < s->GetHeight(); ++y) out.insert(out.end(), s->Row(y), s->Row(y) + s->GetWidth());
  return out;
}

void FillSurface(DDSurface* s, const std::vector<uint8_t>& pixels) {
  for (int y = 0; y < s->GetHeight(); ++y) std::memcpy(s->Row(y), &pixels[y * s->GetWidth()], s->GetWidth());
}

TEST(Sprite, RoundTripsInEveryLoadMode) {
  const auto frames = ThreeFrames();
  const auto shared = fixtures::Palette(9);
  for (bool sharedPalette : {false, true}) {
    const std::string path = WriteFixture(sharedPalette ? "three_shared.mbm" : "three.mbm",
                                          BuildMbm(frames, sharedPalette ? &shared : nullptr));
    for (uint32_t flags : {0x28u, 0x20u, 0x0u, 0x1u, 0x2u, 0x4u, 0x7u}) {
      SCOPED_TRACE(testing::Message() << "shared " << sharedPalette << " flags " << flags);
      Sprite s(path.c_str(), flags, -1);
      ASSERT_EQ(s.GetError(), kSpriteOk);
      ASSERT_EQ(s.FrameCount(), 3);
      for (int n = 1; n <= 3; ++n) {
        const MbmFrameSpec& f = frames[n - 1];
        const BitmapInfoHeader* h = s.GetFrameInfo(n);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(h->width, f.width);
        EXPECT_EQ(h->height, f.height) << "negative heights are kept";
        EXPECT_EQ(s.GetFrameName(n), f.name);
        const int absH = std::abs(f.height);
        std::vector<uint8_t> buffer(static_cast<size_t>(f.width + 3) * absH, 0xEE);
        ASSERT_EQ(s.DrawFrameToBuffer(n, buffer.data(), f.width + 3, 1), 1);
        for (int y = 0; y < absH; ++y)
          ASSERT_EQ(0, std::memcmp(&buffer[y * (f.width + 3)], &f.pixels[y * f.width], f.width)) << "frame " << n;
        DDSurface* surface = s.GetFrameSurface(n);
        ASSERT_NE(surface, nullptr);
        EXPECT_EQ(SurfacePixels(surface), f.pixels) << "frame " << n;
        DDPalette* p = s.GetFramePalette(n);
        ASSERT_NE(p, nullptr);
        const auto& quads = sharedPalette ? shared : f.palette;
        EXPECT_EQ(p->Entries()[77].red, quads[77 * 4 + 2]);
        EXPECT_EQ(p->Entries()[77].blue, quads[77 * 4 + 0]);
        const std::vector<uint8_t> bits = s.ReadFrameBits(n);
        ASSERT_EQ(bits.size(), s.GetFrameDataSize(n));
        EXPECT_EQ(0, std::memcmp(&bits[40], quads.data(), 1024));
      }
    }
  }
}

TEST(Sprite, OpensPkcCompressedFiles) {
  const auto frames = ThreeFrames();
  std::vector<uint8_t> packed;
  ASSERT_TRUE(PkcCompressBuffer(BuildMbm(frames, nullptr).data(), BuildMbm(frames, nullptr).size(), &packed));
  const std::string path = WriteFixture("three_pkc.mbm", packed);
  Sprite s(path.c_str(), 0, -1);
  ASSERT_EQ(s.GetError(), kSpriteOk);
  ASSERT_EQ(s.FrameCount(), 3);
  DDSurface* surface = s.GetFrameSurface(3);
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(SurfacePixels(surface), frames[2].pixels);
}

TEST(Sprite, FrameQueriesOutsideTheCount) {
  Sprite empty;
  EXPECT_EQ(empty.FrameCount(), 0);
  EXPECT_EQ(empty.GetFrameSurface(1), nullptr);
  EXPECT_EQ(empty.GetFrameSurfaceObject(0), nullptr);

  const std::string path = WriteFixture("queries.mbm", BuildMbm(ThreeFrames(), nullptr));
  Sprite s(path.c_str(), 0x28, -1);
  ASSERT_EQ(s.FrameCount(), 3);
  for (int n : {0, 4, -1, 65536}) {
    EXPECT_EQ(s.GetFrameSurface(n), nullptr) << n;
    EXPECT_EQ(s.GetFrameInfo(n), nullptr) << n;
    EXPECT_EQ(s.GetFramePalette(n), nullptr) << n;
    EXPECT_EQ(s.GetError(), kSpriteErrBadFrame) << n;
    EXPECT_EQ(s.GetFrameDataSize(n), 0u);
    EXPECT_EQ(s.LoadFrame(n, 7), 0);
  }
  EXPECT_EQ(s.GetFrameSurfaceObject(3), s.GetFrameSurface(1)) << "past the count gives frame 1's";
  // Opening another file on the object replaces what it held; a failed open
  // leaves it empty.
  Sprite reopened(path.c_str(), 0x28, -1);
  std::vector<MbmFrameSpec> one = {{"x", 2, 2, {2, 3, 4, 5}, false, {}}};
  EXPECT_EQ(reopened.Open(WriteFixture("one.mbm", BuildMbm(one, nullptr)).c_str(), 0), kSpriteOk);
  EXPECT_EQ(reopened.FrameCount(), 1);
  // The writer makes no file the reader would refuse: none without frames.
  EXPECT_TRUE(BuildMbm({}, nullptr).empty());
  EXPECT_NE(reopened.Open(FixturePath("missing.mbm").c_str(), 0), kSpriteOk);
  EXPECT_EQ(reopened.FrameCount(), 0);
  EXPECT_EQ(s.GetFrameSurfaceObject(1), s.GetFrameSurface(2));
  // Drawing a frame that does not exist draws nothing.
  DDSurface target(16, 16, 4);
  target.FillRect(0, 0, 16, 16, 9);
  s.DrawFrame(0, &target, 0, 0);
  s.DrawFrame(4, &target, 0, 0);
  EXPECT_EQ(SurfacePixels(&target), std::vector<uint8_t>(256, 9));
}

// The run-length frame and the raw frame of one picture, drawn at every
// position where they cross an edge or a corner of the target or its clipper,
// give the same target and equal a per-pixel reference.
TEST(Sprite, RunLengthDrawEqualsRawDrawAtEveryEdgeAndCorner) {
  const int w = 17, h = 11, tw = 40, th = 30;
  const std::vector<uint8_t> pic = fixtures::Picture(w, h, 42);
  std::vector<MbmFrameSpec> frames = {{"raw", w, h, pic, false, {}}, {"rle", w, h, pic, true, {}}};
  const std::string path = WriteFixture("rle_vs_raw.mbm", BuildMbm(frames, nullptr));
  Sprite s(path.c_str(), 0x28, -1);
  ASSERT_EQ(s.FrameCount(), 2);
  const std::vector<uint8_t> background = fixtures::Picture(tw, th, 8);
  DDSurface raw(tw, th, 4), rle(tw, th, 4);
  for (bool withClipper : {false, true}) {
    const ClipRect cr{6, 4, 25, 19};
    DDClipper* clipper = withClipper ? CreateRectClipper(&cr) : nullptr;
    raw.SetClipper(clipper);
    rle.SetClipper(clipper);
    const int cl = withClipper ? cr.x : 0, ct = withClipper ? cr.y : 0;
    const int crr = withClipper ? cr.x + cr.width : tw, cb = withClipper ? cr.y + cr.height : th;
    std::vector<int> xs, ys;
    for (int edge : {0, cl, crr, tw})
      for (int d : {-w - 1, -w, -w + 1, -w / 2, -1, 0, 1}) xs.push_back(edge + d);
    for (int edge : {0, ct, cb, th})
      for (int d : {-h - 1, -h, -h + 1, -h / 2, -1, 0, 1}) ys.push_back(edge + d);
    for (int y : ys)
      for (int x : xs) {
        FillSurface(&raw, background);
        FillSurface(&rle, background);
        s.DrawFrame(1, &raw, x, y);
        s.DrawFrame(2, &rle, x, y);
        std::vector<uint8_t> ref = background;
        for (int py = 0; py < h; ++py)
          for (int px = 0; px < w; ++px) {
            const int dx = x + px, dy = y + py;
            if (dx < cl || dy < ct || dx >= crr || dy >= cb) continue;
            if (pic[py * w + px] != 1) ref[dy * tw + dx] = pic[py * w + px];
          }
        ASSERT_EQ(SurfacePixels(&rle), ref) << "run-length at " << x << "," << y << " clipper " << withClipper;
        ASSERT_EQ(SurfacePixels(&raw), ref) << "raw at " << x << "," << y << " clipper " << withClipper;
      }
    raw.SetClipper(nullptr);
    rle.SetClipper(nullptr);
    if (clipper) clipper->Release();
  }
}

TEST(Sprite, TableAndShadowVariants) {
  // A 4x3 frame with transparent corners, raw and run-length.
  const std::vector<uint8_t> pic = {1, 10, 11, 1,  //
                                    12, 13, 14, 15,  //
                                    1, 16, 17, 1};
  std::vector<MbmFrameSpec> frames = {{"raw", 4, 3, pic, false, {}}, {"rle", 4, 3, pic, true, {}}};
  const std::string path = WriteFixture("variants.mbm", BuildMbm(frames, nullptr));
  Sprite s(path.c_str(), 0x28, -1);
  uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(i + 100);
  for (int n : {1, 2}) {
    DDSurface target(6, 4, 4);
    target.FillRect(0, 0, 6, 4, 50);
    s.DrawFrameVariant(n, &target, 1, 1, table, 1);
    const std::vector<uint8_t> recoloured = {50, 50, 50, 50, 50, 50,    //
                                             50, 50, 110, 111, 50, 50,  //
                                             50, 112, 113, 114, 115, 50,  //
                                             50, 50, 116, 117, 50, 50};
    EXPECT_EQ(SurfacePixels(&target), recoloured) << "frame " << n;
    target.FillRect(0, 0, 6, 4, 50);
    target.FillRect(0, 0, 3, 4, 60);
    s.DrawFrameVariant(n, &target, 1, 1, table, 2);
    const std::vector<uint8_t> shadow = {60, 60, 60, 50, 50, 50,      //
                                         60, 60, 160, 150, 50, 50,    //
                                         60, 160, 160, 150, 150, 50,  //
                                         60, 60, 160, 150, 50, 50};
    EXPECT_EQ(SurfacePixels(&target), shadow) << "frame " << n;
    // A variant without a table or of an unknown mode draws nothing.
    target.FillRect(0, 0, 6, 4, 50);
    s.DrawFrameVariant(n, &target, 1, 1, nullptr, 1);
    s.DrawFrameVariant(n, &target, 1, 1, table, 3);
    EXPECT_EQ(SurfacePixels(&target), std::vector<uint8_t>(24, 50));
  }
}

TEST(Sprite, MatchPaletteKeepsTransparentAndRespectsTheRange) {
  // Sprite palette: entry i is grey i. Target palette: entry i is grey 255 - i,
  // except entry 1, which is the sprite's colour 20 exactly.
  std::vector<uint8_t> quads(1024, 0);
  for (int i = 0; i < 256; ++i) quads[i * 4] = quads[i * 4 + 1] = quads[i * 4 + 2] = static_cast<uint8_t>(i);
  PaletteEntry target[256];
  for (int i = 0; i < 256; ++i) target[i] = {uint8_t(255 - i), uint8_t(255 - i), uint8_t(255 - i), 0};
  target[1] = {20, 20, 20, 0};
  target[235] = {90, 90, 90, 0};  // entry 1 is the only exact match of colour 20
  DDPalette* palette = CreateDisplayPalette(kDisplayPaletteCaps, target);
  const std::vector<uint8_t> pic = {1, 20, 30, 200, 1, 20, 30, 200};
  std::vector<MbmFrameSpec> frames = {{"raw", 4, 2, pic, false, quads}, {"rle", 4, 2, pic, true, quads}};
  const std::string path = WriteFixture("match.mbm", BuildMbm(frames, nullptr));
  std::vector<uint8_t> out(8);

  Sprite keep(path.c_str(), 0x28, -1);
  ASSERT_EQ(keep.MatchPalette(palette, 0, 256, 1, 0), 1);
  for (int n : {1, 2}) {
    ASSERT_EQ(keep.DrawFrameToBuffer(n, out.data(), 4, 1), 1);
    EXPECT_EQ(out, (std::vector<uint8_t>{1, 234, 225, 55, 1, 234, 225, 55}))
        << "frame " << n << ": 1 stays, colour 20 avoids entry 1";
    EXPECT_EQ(keep.GetFramePalette(n), palette);
  }
  // The mapping survives the frame surface being released and made again.
  keep.ReleaseFrameSurface(1);
  ASSERT_EQ(keep.DrawFrameToBuffer(1, out.data(), 4, 1), 1);
  EXPECT_EQ(out, (std::vector<uint8_t>{1, 234, 225, 55, 1, 234, 225, 55}));

  // Without the keep flag colour 20 takes entry 1; a raw frame remaps only the
  // pixels inside the range (here 0..99: 200 stays), a run-length frame all.
  Sprite ranged(path.c_str(), 0, -1);
  ASSERT_EQ(ranged.MatchPalette(palette, 0, 100, 0, 1), 1);
  ASSERT_EQ(ranged.MatchPalette(palette, 0, 100, 0, 2), 1);
  ASSERT_EQ(ranged.DrawFrameToBuffer(1, out.data(), 4, 1), 1);
  EXPECT_EQ(out[1], 1);
  EXPECT_EQ(out[3], 200);
  ASSERT_EQ(ranged.DrawFrameToBuffer(2, out.data(), 4, 1), 1);
  EXPECT_EQ(out[3], 55);
  EXPECT_EQ(ranged.MatchPalette(palette, 0, 0, 0, 0), 0);
  EXPECT_EQ(ranged.MatchPalette(nullptr, 0, 256, 0, 0), 0);
  palette->Release();
}

TEST(Sprite, ReplaceColour) {
  const std::vector<uint8_t> pic = {5, 6, 5, 1};
  std::vector<MbmFrameSpec> frames = {{"raw", 2, 2, pic, false, {}}, {"rle", 2, 2, pic, true, {}}};
  const std::string path = WriteFixture("replace.mbm", BuildMbm(frames, nullptr));
  Sprite s(path.c_str(), 0x28, -1);
  std::vector<uint8_t> out(4);
  for (int n : {1, 2}) {
    ASSERT_EQ(s.ReplaceColour(n, 5, 9), 1);
    ASSERT_EQ(s.DrawFrameToBuffer(n, out.data(), 2, 1), 1);
    EXPECT_EQ(out, (std::vector<uint8_t>{9, 6, 9, 1})) << n;
  }
  EXPECT_EQ(s.ReplaceColour(3, 5, 9), 0);
}

// Damaged files: each is refused with its code, leaves 0 frames and draws
// nothing.
TEST(Sprite, RefusesDamagedFiles) {
  std::vector<MbmFrameSpec> frames = {{"a", 5, 4, fixtures::Picture(5, 4), false, {}},
                                      {"b", 6, 3, fixtures::Picture(6, 3), true, {}}};
  const std::vector<uint8_t> good = BuildMbm(frames, nullptr);
  const size_t trailer = good.size() - 16;
  const size_t entry1 = 2, header1 = entry1 + 12 + 1;
  const size_t entry2 = entry1 + 12 + (1 + 40 + 1024 + 8 * 4);
  const size_t header2 = entry2 + 12 + 1;
  auto patch = [&](size_t at, std::vector<uint8_t> bytes) {
    auto f = good;
    std::copy(bytes.begin(), bytes.end(), f.begin() + at);
    return f;
  };
  auto u32 = [](uint32_t v) {
    return std::vector<uint8_t>{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  };
  // The run-length pixels of frame 2 end at the trailer; their first code is
  // a literal run, made to run past the stream here.
  const size_t rlePixels = header2 + 40 + 1024;
  struct Case {
    const char* what;
    std::vector<uint8_t> file;
    uint32_t error;
  } cases[] = {
      {"empty file", {}, kSpriteErrBadMagic},
      {"bad magic", patch(0, {'B', 'M'}), kSpriteErrBadMagic},
      {"only the magic", {'M', 'B'}, kSpriteErrTruncated},
      {"truncated by one byte", {good.begin(), good.end() - 1}, kSpriteErrTruncated},
      {"truncated in the middle", [&] { auto f = std::vector<uint8_t>(good.begin(), good.begin() + 300);
                                        f.insert(f.end(), good.end() - 16, good.end()); return f; }(),
       kSpriteErrBadDirectory},
      {"zero frames", patch(trailer + 8, {0, 0}), kSpriteErrNoFrames},
      {"count past the end", patch(trailer + 8, {3, 0}), kSpriteErrTruncated},
      {"count 65535", patch(trailer + 8, {0xFF, 0xFF}), kSpriteErrTruncated},
      {"shared palette flag without room", patch(trailer + 12, u32(1)), kSpriteErrBadDirectory},
      {"offset before its entry", patch(entry1, u32(2)), kSpriteErrBadDirectory},
      {"offset past the end", patch(entry1, u32(0xFFFFFFF0u)), kSpriteErrBadDirectory},
      {"size past the trailer", patch(entry2 + 4, u32(100000)), kSpriteErrBadDirectory},
      {"size too small for the header", patch(entry1 + 4, u32(20)), kSpriteErrBadHeader},
      {"name length past the data", patch(entry1 + 9, {255}), kSpriteErrBadHeader},
      {"zero width", patch(header1 + 4, u32(0)), kSpriteErrBadHeader},
      {"negative width", patch(header1 + 4, u32(uint32_t(-5))), kSpriteErrBadHeader},
      {"height past the pixels", patch(header1 + 8, u32(400)), kSpriteErrBadHeader},
      {"huge height", patch(header1 + 8, u32(0x80000000u)), kSpriteErrBadHeader},
      {"header size not 40", patch(header1, u32(12)), kSpriteErrBadHeader},
      {"run-length size past the data", patch(header2 + 20, u32(5000)), kSpriteErrBadHeader},
      {"damaged run-length stream", patch(rlePixels, {0xFF}), kSpriteErrBadRunLength},
  };
  for (const Case& c : cases) {
    const std::string path = WriteFixture("damaged.mbm", c.file);
    Sprite s(path.c_str(), 0x28, -1);
    EXPECT_EQ(s.GetError(), c.error) << c.what;
    EXPECT_EQ(s.FrameCount(), 0) << c.what;
    DDSurface target(8, 8, 4);
    target.FillRect(0, 0, 8, 8, 3);
    s.DrawFrame(1, &target, 0, 0);
    EXPECT_EQ(SurfacePixels(&target), std::vector<uint8_t>(64, 3)) << c.what;
    EXPECT_EQ(s.GetFrameSurface(1), nullptr) << c.what;
  }
  // Not damage: a frame of another bit count, or one the game cannot draw,
  // leaves the file and its other frame usable.
  struct Kind {
    const char* what;
    std::vector<uint8_t> file;
    int frame;
    bool drawn;
  } kinds[] = {
      {"4-bit frame", patch(header1 + 14, {4, 0}), 1, true},
      {"'MICR' frame", patch(header2 + 16, u32(0x4D494352)), 2, false},
      {"'RECT' frame", patch(header2 + 16, u32(0x52454354)), 2, false},
  };
  for (const Kind& k : kinds) {
    const std::string path = WriteFixture("other_kind.mbm", k.file);
    Sprite s(path.c_str(), 0x28, -1);
    EXPECT_EQ(s.GetError(), kSpriteOk) << k.what;
    ASSERT_EQ(s.FrameCount(), 2) << k.what;
    EXPECT_EQ(s.GetFrameSurface(k.frame) != nullptr, k.drawn) << k.what;
    if (!k.drawn) {
      EXPECT_EQ(s.GetError(), kSpriteErrUnsupported) << k.what;
    }
    EXPECT_NE(s.GetFrameSurface(3 - k.frame), nullptr) << k.what;
  }
  // Deferred loading finds a damaged stream at the first draw instead.
  const std::string path = WriteFixture("damaged_late.mbm", patch(rlePixels, {0xFF}));
  Sprite late(path.c_str(), 0, -1);
  ASSERT_EQ(late.GetError(), kSpriteOk);
  DDSurface target(8, 8, 4);
  late.DrawFrame(2, &target, 0, 0);
  EXPECT_EQ(late.GetError(), kSpriteErrBadRunLength);
  // A missing file reports the PKC reader's code.
  Sprite missing(FixturePath("no_such_file.mbm").c_str(), 0x28, -1);
  EXPECT_EQ(missing.GetError(), kPkcErrOpen);
  EXPECT_EQ(missing.FrameCount(), 0);
}

}  // namespace
