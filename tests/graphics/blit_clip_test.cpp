// Clipping of blits and fills, against a per-pixel reference: a destination
// pixel changes only inside the target, inside its clipper and where the
// source pixel it maps to lies inside the source (and is not keyed out).
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "graphics/clipper.h"
#include "graphics/surface.h"

namespace {

enum class Op { kOpaque, kKeyed, kStretch, kStretchKeyed, kFill };

struct ClipCase {
  const char* name;
  Op op;
  int dstX, dstY, w, h;   // destination rectangle (fills use only these)
  int srcX, srcY, srcW, srcH;  // source rectangle (srcW/srcH for stretches)
  bool clipper;           // clip rectangle (5, 4, 20, 14) on the target
  int changed;            // expected number of changed target pixels, -1: don't check
};

constexpr int kDstW = 32, kDstH = 24;
constexpr int kSrcW = 12, kSrcH = 10;
constexpr uint8_t kBackground = 200;
constexpr ClipRect kClip{5, 4, 20, 14};

// Source pixel values 2..121 except a keyed (value 1) diagonal.
uint8_t SourceValue(int x, int y) { return x == y ? 1 : uint8_t(2 + y * kSrcW + x); }

void FillSource(DDSurface& s) {
  for (int y = 0; y < kSrcH; ++y)
    for (int x = 0; x < kSrcW; ++x) s.Row(y)[x] = SourceValue(x, y);
}

void PrintTo(const ClipCase& c, std::ostream* os) { *os << c.name; }

// The reference: what pixel (x, y) of the target must hold after the operation.
int Expected(const ClipCase& c, int x, int y) {
  int left = 0, top = 0, right = kDstW, bottom = kDstH;
  if (c.clipper) {
    left = kClip.x;
    top = kClip.y;
    right = kClip.x + kClip.width;
    bottom = kClip.y + kClip.height;
  }
  if (x < left || y < top || x >= right || y >= bottom) return kBackground;
  if (x < c.dstX || y < c.dstY || x >= int64_t(c.dstX) + c.w || y >= int64_t(c.dstY) + c.h) {
    return kBackground;
  }
  if (c.op == Op::kFill) return 77;
  int sx, sy;
  if (c.op == Op::kStretch || c.op == Op::kStretchKeyed) {
    sx = c.srcX + (x - c.dstX) * c.srcW / c.w;
    sy = c.srcY + (y - c.dstY) * c.srcH / c.h;
  } else {
    sx = c.srcX + (x - c.dstX);
    sy = c.srcY + (y - c.dstY);
  }
  if (sx < 0 || sy < 0 || sx >= kSrcW || sy >= kSrcH) return kBackground;
  uint8_t v = SourceValue(sx, sy);
  if ((c.op == Op::kKeyed || c.op == Op::kStretchKeyed) && v == 1) return kBackground;
  return v;
}

const ClipCase kCases[] = {
    // name                     op               dst x,y,w,h        src x,y,w,h     clip  changed
    {"opaque inside", Op::kOpaque, 3, 2, 12, 10, 0, 0, 0, 0, false, 120},
    {"opaque left edge", Op::kOpaque, -5, 2, 12, 10, 0, 0, 0, 0, false, 70},
    {"opaque right edge", Op::kOpaque, 26, 2, 12, 10, 0, 0, 0, 0, false, 60},
    {"opaque top edge", Op::kOpaque, 3, -4, 12, 10, 0, 0, 0, 0, false, 72},
    {"opaque bottom edge", Op::kOpaque, 3, 20, 12, 10, 0, 0, 0, 0, false, 48},
    {"opaque corner", Op::kOpaque, -3, -3, 12, 10, 0, 0, 0, 0, false, 63},
    {"opaque fully left", Op::kOpaque, -12, 2, 12, 10, 0, 0, 0, 0, false, 0},
    {"opaque fully right", Op::kOpaque, 32, 2, 12, 10, 0, 0, 0, 0, false, 0},
    {"opaque fully above", Op::kOpaque, 3, -10, 12, 10, 0, 0, 0, 0, false, 0},
    {"opaque fully below", Op::kOpaque, 3, 24, 12, 10, 0, 0, 0, 0, false, 0},
    {"opaque zero width", Op::kOpaque, 3, 2, 0, 10, 0, 0, 0, 0, false, 0},
    {"opaque zero height", Op::kOpaque, 3, 2, 12, 0, 0, 0, 0, 0, false, 0},
    {"opaque source overhangs", Op::kOpaque, 3, 2, 12, 10, 4, 3, 0, 0, false, 56},
    {"opaque negative source", Op::kOpaque, 3, 2, 12, 10, -2, -3, 0, 0, false, 70},
    {"opaque larger than both", Op::kOpaque, -100, -100, 1000, 1000, -103, -102, 0, 0, false, 120},
    {"opaque clipped", Op::kOpaque, 0, 0, 12, 10, 0, 0, 0, 0, true, 42},
    {"opaque outside clipper", Op::kOpaque, 25, 18, 6, 5, 0, 0, 0, 0, true, 0},
    {"opaque huge offsets", Op::kOpaque, 2000000000, 2000000000, 2000000000, 5, 0, 0, 0, 0, false, 0},
    {"keyed inside", Op::kKeyed, 3, 2, 12, 10, 0, 0, 0, 0, false, 110},
    {"keyed left edge", Op::kKeyed, -5, 2, 12, 10, 0, 0, 0, 0, false, -1},
    {"keyed right edge", Op::kKeyed, 26, 2, 12, 10, 0, 0, 0, 0, false, -1},
    {"keyed top edge", Op::kKeyed, 3, -4, 12, 10, 0, 0, 0, 0, false, -1},
    {"keyed bottom edge", Op::kKeyed, 3, 20, 12, 10, 0, 0, 0, 0, false, -1},
    {"keyed fully outside", Op::kKeyed, 40, 30, 12, 10, 0, 0, 0, 0, false, 0},
    {"keyed zero size", Op::kKeyed, 3, 2, 0, 0, 0, 0, 0, 0, false, 0},
    {"keyed clipped", Op::kKeyed, 0, 0, 12, 10, 0, 0, 0, 0, true, -1},
    {"stretch x2 inside", Op::kStretch, 2, 1, 24, 20, 0, 0, 12, 10, false, 480},
    {"stretch shrink", Op::kStretch, 2, 1, 6, 5, 0, 0, 12, 10, false, 30},
    {"stretch left edge", Op::kStretch, -7, 1, 24, 20, 0, 0, 12, 10, false, -1},
    {"stretch right edge", Op::kStretch, 20, 1, 24, 20, 0, 0, 12, 10, false, -1},
    {"stretch top edge", Op::kStretch, 2, -9, 24, 20, 0, 0, 12, 10, false, -1},
    {"stretch bottom edge", Op::kStretch, 2, 15, 24, 20, 0, 0, 12, 10, false, -1},
    {"stretch fully outside", Op::kStretch, -30, 1, 24, 20, 0, 0, 12, 10, false, 0},
    {"stretch zero size", Op::kStretch, 2, 1, 0, 20, 0, 0, 12, 10, false, 0},
    {"stretch source overhangs", Op::kStretch, 2, 1, 24, 20, 6, 5, 12, 10, false, 120},
    {"stretch clipped", Op::kStretch, 0, 0, 24, 20, 0, 0, 12, 10, true, -1},
    {"stretch keyed", Op::kStretchKeyed, 2, 1, 24, 20, 0, 0, 12, 10, false, 440},
    {"stretch keyed clipped", Op::kStretchKeyed, -4, -4, 36, 30, 0, 0, 12, 10, true, -1},
    {"fill inside", Op::kFill, 3, 2, 12, 10, 0, 0, 0, 0, false, 120},
    {"fill left edge", Op::kFill, -5, 2, 12, 10, 0, 0, 0, 0, false, 70},
    {"fill right edge", Op::kFill, 26, 2, 12, 10, 0, 0, 0, 0, false, 60},
    {"fill top edge", Op::kFill, 3, -4, 12, 10, 0, 0, 0, 0, false, 72},
    {"fill bottom edge", Op::kFill, 3, 20, 12, 10, 0, 0, 0, 0, false, 48},
    {"fill fully outside", Op::kFill, -20, -20, 12, 10, 0, 0, 0, 0, false, 0},
    {"fill zero size", Op::kFill, 3, 2, 0, 0, 0, 0, 0, 0, false, 0},
    {"fill whole", Op::kFill, 0, 0, kDstW, kDstH, 0, 0, 0, 0, false, kDstW * kDstH},
    {"fill clipped", Op::kFill, 0, 0, kDstW, kDstH, 0, 0, 0, 0, true, 20 * 14},
};

class BlitClipTest : public ::testing::TestWithParam<ClipCase> {};

TEST_P(BlitClipTest, ChangesExactlyTheClippedPixels) {
  const ClipCase& c = GetParam();
  DDSurface target(kDstW, kDstH, kFormatIndexed8);
  DDSurface source(kSrcW, kSrcH, kFormatIndexed8);
  ASSERT_TRUE(target.HasSurface());
  ASSERT_TRUE(source.HasSurface());
  FillSource(source);
  ASSERT_EQ(target.FillRect(0, 0, kDstW, kDstH, kBackground), kDDOk);
  DDClipper* clipper = nullptr;
  if (c.clipper) {
    clipper = new DDClipper(kClip);
    ASSERT_EQ(target.SetClipper(clipper), kDDOk);
  }
  uint16_t status = 0;
  switch (c.op) {
    case Op::kOpaque: status = target.Blt(c.dstX, c.dstY, c.w, c.h, &source, c.srcX, c.srcY); break;
    case Op::kKeyed: status = target.BltKeyed(c.dstX, c.dstY, c.w, c.h, &source, c.srcX, c.srcY); break;
    case Op::kStretch:
      status = BlitSurfaceRect(&target, c.dstX, c.dstY, c.w, c.h, &source, c.srcX, c.srcY, c.srcW,
                               c.srcH, 0, nullptr);
      break;
    case Op::kStretchKeyed:
      status = BlitSurfaceRect(&target, c.dstX, c.dstY, c.w, c.h, &source, c.srcX, c.srcY, c.srcW,
                               c.srcH, kBltKeySrc, nullptr);
      break;
    case Op::kFill: status = target.FillRect(c.dstX, c.dstY, c.w, c.h, 77); break;
  }
  EXPECT_EQ(status, kDDOk);
  int changed = 0;
  for (int y = 0; y < kDstH; ++y) {
    for (int x = 0; x < kDstW; ++x) {
      int want = Expected(c, x, y);
      int got = target.Row(y)[x];
      if (got != kBackground) ++changed;
      ASSERT_EQ(got, want) << "pixel " << x << "," << y;
    }
    // The padding beyond the width is never written.
    for (int x = kDstW; x < target.GetPitch(); ++x) ASSERT_EQ(target.Row(y)[x], 0) << "pad " << x;
  }
  if (c.changed >= 0) EXPECT_EQ(changed, c.changed);
  target.SetClipper(nullptr);
  if (clipper) EXPECT_EQ(clipper->Release(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, BlitClipTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ClipCase>& info) {
                           std::string n = info.param.name;
                           for (char& ch : n)
                             if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

TEST(BlitArguments, RefusesBadCalls) {
  DDSurface target(16, 16, kFormatIndexed8);
  DDSurface source(8, 8, kFormatIndexed8);
  DDSurface wide(8, 8, kFormatRgb565);
  DDSurface empty;
  EXPECT_EQ(target.Blt(0, 0, 8, 8, nullptr, 0, 0), kDDBadArgument);
  EXPECT_EQ(target.Blt(0, 0, -1, 8, &source, 0, 0), kDDBadArgument);
  EXPECT_EQ(target.FillRect(0, 0, 4, -2, 3), kDDBadArgument);
  EXPECT_EQ(target.Blt(0, 0, 8, 8, &wide, 0, 0), kDDCallFailed);
  EXPECT_EQ(target.Blt(0, 0, 8, 8, &empty, 0, 0), kDDNoSurface);
  EXPECT_EQ(empty.Blt(0, 0, 8, 8, &source, 0, 0), kDDNoSurface);
  EXPECT_EQ(empty.FillRect(0, 0, 1, 1, 0), kDDNoSurface);
}

TEST(BlitOverlap, MovesWithinOneSurfaceLikeMemmove) {
  // Scrolling a picture within itself, in every direction.
  const int dirs[][2] = {{3, 0}, {-3, 0}, {0, 2}, {0, -2}, {2, 2}, {-2, -2}};
  for (auto& d : dirs) {
    for (bool keyed : {false, true}) {
      DDSurface s(12, 8, kFormatIndexed8);
      std::vector<uint8_t> before(96);
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) s.Row(y)[x] = before[y * 12 + x] = uint8_t(10 + y * 12 + x);
      if (keyed)
        s.BltKeyed(3 + d[0], 2 + d[1], 5, 4, &s, 3, 2);
      else
        s.Blt(3 + d[0], 2 + d[1], 5, 4, &s, 3, 2);
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
          ASSERT_EQ(s.Row(2 + d[1] + y)[3 + d[0] + x], before[(2 + y) * 12 + 3 + x])
              << d[0] << "," << d[1] << " keyed " << keyed;
    }
  }
}

TEST(BlitOverlap, FullWidthRowsMoveAsOneBlock) {
  for (int shift : {2, -2}) {
    DDSurface s(12, 8, kFormatIndexed8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 12; ++x) s.Row(y)[x] = uint8_t(y * 12 + x);
    const int from = shift > 0 ? 0 : 2;
    s.Blt(0, from + shift, 12, 6, &s, 0, from);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 12; ++x)
        ASSERT_EQ(s.Row(from + shift + y)[x], uint8_t((from + y) * 12 + x)) << shift;
  }
}

TEST(BlitKeyed, FreshSurfaceTreatsIndexOneAsTransparent) {
  DDSurface target(4, 1, kFormatIndexed8);
  DDSurface source(4, 1, kFormatIndexed8);
  target.FillRect(0, 0, 4, 1, 9);
  const uint8_t src[4] = {1, 5, 1, 0};
  for (int i = 0; i < 4; ++i) source.Row(0)[i] = src[i];
  uint32_t lo = 0, hi = 0;
  ASSERT_EQ(source.GetColorKey(kColorKeySrcBlt, &lo, &hi), kDDOk);
  EXPECT_EQ(lo, 1u);
  EXPECT_EQ(hi, 1u);
  ASSERT_EQ(target.BltKeyed(0, 0, 4, 1, &source, 0, 0), kDDOk);
  const uint8_t want[4] = {9, 5, 9, 0};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(target.Row(0)[i], want[i]) << i;
}

TEST(BlitKeyed, EveryByteValueAgainstEveryKindOfKey) {
  for (uint32_t key : {0u, 1u, 0x7Fu, 0x80u, 0xFEu, 0xFFu}) {
    DDSurface target(259, 1, kFormatIndexed8);
    DDSurface source(259, 1, kFormatIndexed8);
    for (int i = 0; i < 259; ++i) source.Row(0)[i] = uint8_t(i);
    ASSERT_EQ(source.SetColorKey(kColorKeySrcBlt, key, key), kDDOk);
    target.FillRect(0, 0, 259, 1, 77);
    ASSERT_EQ(target.BltKeyed(0, 0, 259, 1, &source, 0, 0), kDDOk);
    for (int i = 0; i < 259; ++i) {
      ASSERT_EQ(target.Row(0)[i], uint8_t(i) == key ? 77 : uint8_t(i)) << "key " << key << " at " << i;
    }
  }
  // A key range skips every value inside it.
  DDSurface target(8, 1, kFormatIndexed8);
  DDSurface source(8, 1, kFormatIndexed8);
  for (int i = 0; i < 8; ++i) source.Row(0)[i] = uint8_t(i);
  source.SetColorKey(kColorKeySrcBlt, 2, 4);
  target.BltKeyed(0, 0, 8, 1, &source, 0, 0);
  const uint8_t want[8] = {0, 1, 0, 0, 0, 5, 6, 7};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(target.Row(0)[i], want[i]) << i;
}

TEST(Blit16, KeyedAndFilledInSixteenBits) {
  DDSurface target(4, 2, kFormatRgb565);
  DDSurface source(4, 2, kFormatRgb565);
  ASSERT_EQ(target.FillRect(0, 0, 4, 2, 0xF800), kDDOk);
  ASSERT_EQ(source.FillRect(0, 0, 4, 2, 0x07E0), kDDOk);
  ASSERT_EQ(source.FillRect(1, 0, 1, 2, 1), kDDOk);  // value 1 is the key
  ASSERT_EQ(target.BltKeyed(0, 0, 4, 2, &source, 0, 0), kDDOk);
  auto px = [&](int x, int y) { return target.Row(y)[2 * x] | (target.Row(y)[2 * x + 1] << 8); };
  EXPECT_EQ(px(0, 0), 0x07E0);
  EXPECT_EQ(px(1, 0), 0xF800);
  EXPECT_EQ(px(2, 1), 0x07E0);
}

TEST(BltStretch, MirrorsAndColourFills) {
  DDSurface target(4, 1, kFormatIndexed8);
  DDSurface source(4, 1, kFormatIndexed8);
  for (int i = 0; i < 4; ++i) source.Row(0)[i] = uint8_t(10 + i);
  DDBltFx fx;
  fx.ddfx = kBltFxMirrorLeftRight;
  ASSERT_EQ(target.BltStretch(0, 0, 4, 1, &source, 0, 0, 4, 1, kBltDdfx, &fx), kDDOk);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(target.Row(0)[i], 13 - i);
  fx.fillColor = 42;
  ASSERT_EQ(target.BltStretch(1, 0, 2, 1, nullptr, 0, 0, 0, 0, kBltColorFill, &fx), kDDOk);
  EXPECT_EQ(target.Row(0)[0], 13);
  EXPECT_EQ(target.Row(0)[1], 42);
  EXPECT_EQ(target.Row(0)[2], 42);
  EXPECT_EQ(target.BltStretch(0, 0, 1, 1, nullptr, 0, 0, 0, 0, kBltColorFill, nullptr),
            kDDBadArgument);
}

}  // namespace
