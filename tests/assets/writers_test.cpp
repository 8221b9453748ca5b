// The generator's encoders against the game's readers: WAVE, sprites, 8- and
// 24-bit pictures, PKC and tile pictures round-trip; the colour reduction
// keeps the reserved palette entries out of the pictures.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/pkc.h"
#include "graphics/bmp.h"
#include "graphics/sprite.h"
#include "graphics/tile_picture.h"
#include "sound/sound.h"
#include "tools/assetgen/writers.h"

namespace {

using namespace assetgen;

std::string Scratch(const std::string& name, const Bytes& bytes) {
  const std::string dir = std::string(KEL_BINARY_DIR) + "/asset-fixtures";
  std::filesystem::create_directories(dir);
  const std::string path = dir + "/" + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path;
}

Palette TestPalette() {
  Palette p = BasePalette();
  for (int i = 6; i < 255; ++i) p[i] = Rgb{uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 3)};
  return p;
}

Image8 TestImage(int w, int h, bool keyed) {
  Image8 img{w, h, std::vector<uint8_t>(size_t(w) * h)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.at(x, y) = uint8_t(keyed && (x + y) % 5 == 0 ? 1 : 2 + (x * 3 + y * 7) % 250);
  return img;
}

TEST(AssetWriters, WaveRoundTripsAtBothDepths) {
  std::vector<int16_t> samples;
  for (int i = 0; i < 1001; ++i) samples.push_back(int16_t((i * 977) % 65536 - 32768));
  SoundManager sound(nullptr);
  int slot = sound.AllocSlot();
  for (int bits : {8, 16}) {
    SCOPED_TRACE(bits);
    Bytes wav = EncodeWav(samples, 22050, bits);
    ASSERT_TRUE(sound.LoadWaveMemory(slot, wav.data(), wav.size(), 0, 1, 0));
    EXPECT_EQ(sound.SampleRate(slot), 22050u);
    EXPECT_EQ(sound.BitsPerSample(slot), uint32_t(bits));
    ASSERT_EQ(sound.SampleCount(slot), samples.size()) << "an odd data size keeps every sample";
    for (size_t i = 0; i < samples.size(); i += 97) {
      int16_t want = bits == 16 ? samples[i] : int16_t((samples[i] >> 8) * 256);
      EXPECT_EQ(int16_t(sound.PeekSample(slot, int32_t(i)) & 0xFFFF), want) << i;
    }
  }
  sound.FreeSlot(slot);
}

TEST(AssetWriters, SpritesRoundTripRawAndRunLength) {
  Palette pal = TestPalette();
  std::vector<MbmFrame> frames = {{"opaque", TestImage(37, 11, false)}, {"", TestImage(300, 7, true)},
                                  {"x", TestImage(1, 1, false)}};
  for (bool packed : {false, true}) {
    Bytes b = EncodeMbm(frames, pal);
    const std::string path = Scratch(packed ? "frames_pkc.mbm" : "frames.mbm", packed ? EncodePkc(b) : b);
    Sprite s(path.c_str(), 0, -1);
    ASSERT_EQ(s.GetError(), kSpriteOk);
    ASSERT_EQ(s.FrameCount(), frames.size());
    for (size_t n = 1; n <= frames.size(); ++n) {
      const Image8& img = frames[n - 1].img;
      const BitmapInfoHeader* h = s.GetFrameInfo(int(n));
      ASSERT_NE(h, nullptr);
      EXPECT_EQ(h->compression == 0, n != 2) << "keyed frames are stored run-length";
      std::vector<uint8_t> buf(img.px.size());
      ASSERT_EQ(s.DrawFrameToBuffer(int(n), buf.data(), img.w, 1), 1);
      EXPECT_EQ(buf, img.px) << "frame " << n;
      EXPECT_EQ(s.GetFrameName(int(n)), frames[n - 1].name);
    }
    EXPECT_EQ(s.GetFramePalette(1)->Entries()[77].red, pal[77].r);
  }
}

TEST(AssetWriters, PicturesRoundTrip) {
  Palette pal = TestPalette();
  Image8 img = TestImage(13, 5, false);  // a width that needs row padding
  Bytes b8 = EncodeBmp8(img, pal);
  BmpImage got;
  ASSERT_TRUE(DecodeBmp(b8.data(), b8.size(), &got));
  EXPECT_EQ(got.pixels, img.px);
  EXPECT_EQ(got.palette[200].green, pal[200].g);

  Canvas c(640, 2);
  cairo_set_source_rgb(c.cr(), 1.0, 0.5, 0.0);
  cairo_paint(c.cr());
  Bytes b24 = EncodeBmp24(c);
  ASSERT_TRUE(DecodeBmp(b24.data(), b24.size(), &got));
  EXPECT_EQ(got.bitCount, 24);
  EXPECT_EQ(got.pixels[2], 255) << "blue, green, red order";
  EXPECT_EQ(got.pixels[0], 0);
  // The cut-scene player reads 24-bit rows straight after the header with no padding.
  EXPECT_EQ(b24.size(), 54u + 640u * 2u * 3u);
}

TEST(AssetWriters, PkcSpansBlocks) {
  Bytes content(70000);
  for (size_t i = 0; i < content.size(); ++i) content[i] = uint8_t((i * 31) ^ (i >> 7));
  const std::string path = Scratch("content.pkc", EncodePkc(content));
  PkcFile* f = PkcOpen(path.c_str());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(PkcGetKind(f), 1);
  Bytes back(content.size());
  EXPECT_EQ(PkcRead(f, back.data(), int32_t(back.size())), int32_t(content.size()));
  EXPECT_EQ(back, content);
  PkcClose(f);

  // Noise does not pack: it is kept plain and still reads back.
  Bytes noise(40000);
  uint32_t x = 1;
  for (uint8_t& b : noise) b = uint8_t((x = x * 1664525u + 1013904223u) >> 24);
  const std::string plain = Scratch("noise.pkc", EncodePkc(noise));
  f = PkcOpen(plain.c_str());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(PkcGetKind(f), 0);
  back.assign(noise.size(), 0);
  EXPECT_EQ(PkcRead(f, back.data(), int32_t(back.size())), int32_t(noise.size()));
  EXPECT_EQ(back, noise);
  PkcClose(f);
}

TEST(AssetWriters, TilePicturesShareTilesAndRoundTrip) {
  Palette pal = TestPalette();
  Image8 img{16, 8, std::vector<uint8_t>(128, 9)};
  for (int x = 0; x < 4; ++x) img.at(x + 4, 2) = 200;  // one distinct tile
  Bytes b = EncodeTilePicture(img, pal);
  TileMapPicture pic;
  ASSERT_TRUE(pic.LoadFromMemory(b));
  EXPECT_EQ(pic.GetTileCount(), 2u);
  std::vector<uint8_t> buf(128, 0);
  pic.DrawToBuffer(buf.data(), 16, 16, 8, 0, 0, 16, 8, 0, 0);
  EXPECT_EQ(buf, img.px);
}

TEST(AssetWriters, ColourReductionHonoursReservedEntries) {
  Palette pal = BasePalette();
  pal[1] = Rgb{250, 10, 10};  // the key's colour must never be chosen, however close
  for (int i = 6; i < 255; ++i) pal[i] = Rgb{uint8_t(i), uint8_t(i), 40};
  Canvas c(32, 8);
  cairo_set_source_rgb(c.cr(), 250 / 255.0, 10 / 255.0, 10 / 255.0);
  cairo_rectangle(c.cr(), 0, 0, 16, 8);
  cairo_fill(c.cr());  // the right half stays transparent
  Quantizer q(pal, 6, 125);
  Image8 img = q.Reduce(c);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 32; ++x) {
      uint8_t v = img.at(x, y);
      if (x < 16)
        EXPECT_TRUE((v >= 6 && v <= 125) || v == 0 || v == 255) << int(v);
      else
        EXPECT_EQ(v, 1) << "transparent pixels become the key";
    }
  ColourHistogram h;
  h.Add(c);
  h.AddColour(Rgb{0, 200, 0}, 5);
  std::vector<Rgb> cut = h.MedianCut(8);
  EXPECT_LE(cut.size(), 8u);
  EXPECT_EQ(cut.size(), 2u) << "two distinct colours give two entries";
}

}  // namespace
