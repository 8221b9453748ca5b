// The run-length codec: encoding round trips, refusal of damaged streams, and
// clipped drawing equal to the keyed raw draw at every edge and corner.
#include <gtest/gtest.h>

#include <vector>

#include "graphics/rle_codec.h"
#include "tests/sprites/fixtures.h"

namespace {

std::vector<uint8_t> Decode(const std::vector<uint8_t>& trle, int w, int h, const uint32_t* rowStarts = nullptr) {
  std::vector<uint8_t> out(static_cast<size_t>(w) * h, kTransparentIndex);
  BlitTrleClipped(trle.data(), trle.size(), w, h, out.data(), w, w, h, 0, 0, BlitRect{0, 0, w, h}, BlitMode::kCopy,
                  nullptr, rowStarts);
  return out;
}

TEST(RleCodec, RoundTripsPicturesWithLongRuns) {
  // 600 wide: literal runs and skips past 255 are split.
  for (auto [w, h] : {std::pair{1, 1}, {13, 9}, {600, 6}, {4, 40}}) {
    std::vector<uint8_t> pic = fixtures::Picture(w, h);
    // A fully transparent row, a row opaque across the width and a row with a
    // long gap.
    if (h > 3) {
      std::fill_n(pic.begin() + w, w, uint8_t{1});
      std::fill_n(pic.begin() + 2 * w, w, uint8_t{9});
      std::fill_n(pic.begin() + 3 * w, w, uint8_t{1});
      pic[3 * w + w - 1] = 4;
    }
    std::vector<uint8_t> trle = EncodeTrle(pic.data(), w, w, h);
    std::vector<uint32_t> rowStarts;
    ASSERT_TRUE(ValidateTrle(trle.data(), trle.size(), w, h, &rowStarts)) << w << "x" << h;
    ASSERT_EQ(rowStarts.size(), static_cast<size_t>(h));
    EXPECT_EQ(Decode(trle, w, h), pic) << w << "x" << h;
    // Drawn from the rows' starts (a stream known to be well-formed).
    EXPECT_EQ(Decode(trle, w, h, rowStarts.data()), pic) << w << "x" << h;
  }
}

TEST(RleCodec, RefusesDamagedStreams) {
  const int w = 13, h = 9;
  std::vector<uint8_t> pic = fixtures::Picture(w, h);
  const std::vector<uint8_t> good = EncodeTrle(pic.data(), w, w, h);
  struct Case {
    const char* what;
    std::vector<uint8_t> data;
    int width, height;
  } cases[] = {
      {"truncated by one byte", {good.begin(), good.end() - 1}, w, h},
      {"trailing byte", [&] { auto d = good; d.push_back(0); return d; }(), w, h},
      {"more rows claimed than stored", good, w, h + 1},
      {"row wider than the frame", good, w - 1, h},
      {"literal run past the end", {0, 5, 2, 3}, 8, 1},
      {"end of row missing its second byte", {0}, 8, 1},
      {"skip past the width", {9, 0, 0, 0}, 8, 1},
      {"literal past the width", {6, 3, 2, 3, 4, 0, 0}, 8, 1},
      {"empty", {}, 8, 1},
      {"zero width", good, 0, h},
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> rowStarts = {7};
    EXPECT_FALSE(ValidateTrle(c.data.data(), c.data.size(), c.width, c.height, &rowStarts)) << c.what;
    EXPECT_TRUE(rowStarts.empty()) << c.what;
    // Drawing a damaged stream stays inside the buffers (the sanitizers check).
    std::vector<uint8_t> target(64 * 64, 0);
    BlitTrleClipped(c.data.data(), c.data.size(), c.width, c.height, target.data(), 64, 64, 64, 3, 3,
                    BlitRect{0, 0, 64, 64});
  }
  std::vector<uint8_t> copy = {good.begin(), good.end() - 1};
  const std::vector<uint8_t> before = copy;
  uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(255 - i);
  EXPECT_FALSE(RemapTrle(copy.data(), copy.size(), h, table));
  EXPECT_EQ(copy, before) << "a damaged stream is left as it was";
}

TEST(RleCodec, RemapRewritesOnlyLiterals) {
  const int w = 13, h = 9;
  std::vector<uint8_t> pic = fixtures::Picture(w, h);
  std::vector<uint8_t> trle = EncodeTrle(pic.data(), w, w, h);
  uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(i ^ 0x80);
  table[1] = 1;
  ASSERT_TRUE(RemapTrle(trle.data(), trle.size(), h, table));
  std::vector<uint8_t> expect = pic;
  for (auto& v : expect) v = table[v];
  EXPECT_EQ(Decode(trle, w, h), expect);
}

// Every position where the frame crosses an edge or a corner of the target or
// of a clip rectangle inside it; the run-length draw (checking the stream as
// it goes, and from the row starts of a stream known to be well-formed) must
// equal the keyed raw draw, and all a per-pixel reference.
TEST(RleCodec, ClippedDrawEqualsRawDrawAtEveryEdgeAndCorner) {
  const int w = 21, h = 11, tw = 40, th = 30;
  const std::vector<uint8_t> pic = fixtures::Picture(w, h, 99);
  const std::vector<uint8_t> trle = EncodeTrle(pic.data(), w, w, h);
  std::vector<uint32_t> rowStarts;
  ASSERT_TRUE(ValidateTrle(trle.data(), trle.size(), w, h, &rowStarts));
  const std::vector<uint8_t> background = fixtures::Picture(tw, th, 5);
  uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>((i * 7 + 3) & 255);

  const BlitRect clips[] = {{0, 0, tw, th}, {5, 4, 33, 22}, {-10, -10, 100, 100}};
  std::vector<int> xs = {-w - 1, -w, -w + 1, -w / 2, -1, 0, 1, tw / 2, tw - w - 1, tw - w, tw - w + 1, tw - 1, tw};
  std::vector<int> ys = {-h - 1, -h, -h + 1, -h / 2, -1, 0, 1, th / 2, th - h - 1, th - h, th - h + 1, th - 1, th};
  for (const BlitRect& clip : clips) {
    // Also the positions that touch the clip rectangle's own edges.
    std::vector<int> cx = xs, cy = ys;
    for (int d : {-w, -w + 1, -1, 0, 1}) cx.push_back(clip.left + d), cx.push_back(clip.right + d);
    for (int d : {-h, -h + 1, -1, 0, 1}) cy.push_back(clip.top + d), cy.push_back(clip.bottom + d);
    for (BlitMode mode : {BlitMode::kCopy, BlitMode::kTable, BlitMode::kShadow}) {
      for (int y : cy) {
        for (int x : cx) {
          std::vector<uint8_t> a = background, b = background, c = background, ref = background;
          BlitTrleClipped(trle.data(), trle.size(), w, h, a.data(), tw, tw, th, x, y, clip, mode, table);
          BlitTrleClipped(trle.data(), trle.size(), w, h, c.data(), tw, tw, th, x, y, clip, mode, table,
                          rowStarts.data());
          BlitRawKeyed(pic.data(), w, w, h, b.data(), tw, tw, th, x, y, clip, mode, table);
          for (int py = 0; py < h; ++py)
            for (int px = 0; px < w; ++px) {
              const int dx = x + px, dy = y + py;
              if (dx < 0 || dy < 0 || dx >= tw || dy >= th) continue;
              if (dx < clip.left || dy < clip.top || dx >= clip.right || dy >= clip.bottom) continue;
              const uint8_t s = pic[static_cast<size_t>(py) * w + px];
              if (s == kTransparentIndex) continue;
              uint8_t& d = ref[static_cast<size_t>(dy) * tw + dx];
              d = mode == BlitMode::kCopy ? s : mode == BlitMode::kTable ? table[s] : table[d];
            }
          ASSERT_EQ(a, ref) << "run-length at " << x << "," << y << " mode " << int(mode);
          ASSERT_EQ(b, ref) << "raw at " << x << "," << y << " mode " << int(mode);
          ASSERT_EQ(c, ref) << "run-length from the row starts at " << x << "," << y << " mode " << int(mode);
        }
      }
    }
  }
}

}  // namespace
