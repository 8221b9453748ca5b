// BitmapTransition and MaskedBlend on surfaces, and tile pictures drawn onto a
// surface with a clipper.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/display.h"
#include "graphics/surface.h"
#include "graphics/tile_picture.h"
#include "graphics/transition.h"
#include "tests/sprites/fixtures.h"

namespace {

std::vector<uint8_t> Pixels(DDSurface* s) {
  std::vector<uint8_t> out;
  const int rowBytes = s->GetWidth() * s->GetBytesPerPixel();
  for (int y = 0; y < s->GetHeight(); ++y) out.insert(out.end(), s->Row(y), s->Row(y) + rowBytes);
  return out;
}

void Fill(DDSurface* s, uint32_t seed) {
  const int rowBytes = s->GetWidth() * s->GetBytesPerPixel();
  const std::vector<uint8_t> p = fixtures::Picture(rowBytes, s->GetHeight(), seed);
  for (int y = 0; y < s->GetHeight(); ++y) std::memcpy(s->Row(y), &p[y * rowBytes], rowBytes);
}

TEST(BitmapTransition, RefusedSetUpsDrawNothing) {
  DDSurface dest(32, 24, 4), end(16, 12, 4), start(16, 12, 4), wide(16, 12, 9), small(7, 12, 4),
      otherStart(16, 11, 4);
  const ClipRect area{4, 4, 16, 12}, wrongSize{4, 4, 15, 12}, tiny{0, 0, 7, 12};
  struct Case {
    const char* what;
    DDSurface* dest;
    const ClipRect* area;
    DDSurface* start;
    DDSurface* end;
  } cases[] = {
      {"no end picture", &dest, &area, nullptr, nullptr},
      {"no destination", nullptr, &area, nullptr, &end},
      {"no area", &dest, nullptr, nullptr, &end},
      {"end picture of another format", &dest, &area, nullptr, &wide},
      {"start picture of another format", &dest, &area, &wide, &end},
      {"start picture of another size", &dest, &area, &otherStart, &end},
      {"area not the end picture's size", &dest, &wrongSize, nullptr, &end},
      {"area narrower than 8", &dest, &tiny, nullptr, &small},
  };
  for (const Case& c : cases) {
    Fill(&dest, 1);
    Fill(&end, 2);
    const std::vector<uint8_t> before = Pixels(&dest);
    BitmapTransition t(c.dest, c.area, c.start, c.end, 0);
    EXPECT_FALSE(t.IsValid()) << c.what;
    for (unsigned step : {0u, 32u, 64u}) t.Step(step);
    EXPECT_EQ(Pixels(&dest), before) << c.what;
  }
}

TEST(BitmapTransition, StepsWithStartPicture) {
  for (int format : {4, 9}) {
    DDSurface dest(16, 16, format), start(16, 16, format), end(16, 16, format);
    Fill(&start, 3);
    Fill(&end, 4);
    const ClipRect area{0, 0, 16, 16};
    BitmapTransition t(&dest, &area, &start, &end, 0);
    ASSERT_TRUE(t.IsValid());
    Fill(&dest, 5);
    t.Step(0);
    EXPECT_EQ(Pixels(&dest), Pixels(&start)) << "step 0 shows exactly the start picture";
    t.Step(64);
    EXPECT_EQ(Pixels(&dest), Pixels(&end)) << "step 64 shows exactly the end picture";
    Fill(&dest, 5);
    const std::vector<uint8_t> before = Pixels(&dest);
    t.Step(65);
    EXPECT_EQ(Pixels(&dest), before) << "step 65 draws nothing at all";
    // Steps may be drawn in any order: each is complete in itself.
    t.Step(40);
    const std::vector<uint8_t> forty = Pixels(&dest);
    t.Step(10);
    t.Step(40);
    EXPECT_EQ(Pixels(&dest), forty);
  }
}

TEST(BitmapTransition, TransparentPixelsOfTheEndPictureNeverArrive) {
  DDSurface dest(8, 8, 4), end(8, 8, 4);
  dest.FillRect(0, 0, 8, 8, 7);
  end.FillRect(0, 0, 8, 8, 1);  // index 1: the key of every made surface
  end.FillRect(0, 0, 4, 8, 9);
  const ClipRect area{0, 0, 8, 8};
  BitmapTransition t(&dest, &area, nullptr, &end, 1);
  t.Step(64);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(dest.Row(y)[x], x < 4 ? 9 : 7);
}

// A rectangle reaching past the destination (or its clipper) is cut: the
// visible part equals the same step drawn on a destination large enough.
TEST(BitmapTransition, RectangleIsClippedToDestinationAndClipper) {
  DDSurface end(16, 12, 4);
  Fill(&end, 6);
  struct Case {
    ClipRect area;
    bool clipper;
  } cases[] = {{{-5, -3, 16, 12}, false}, {{10, 8, 16, 12}, false}, {{-20, -20, 16, 12}, false},
               {{100, 100, 16, 12}, false}, {{2, 2, 16, 12}, true}, {{-4, 6, 16, 12}, true}};
  for (const Case& c : cases) {
    for (unsigned step : {1u, 23u, 64u}) {
      DDSurface dest(20, 16, 4), big(60, 60, 4);
      dest.FillRect(0, 0, 20, 16, 3);
      big.FillRect(0, 0, 60, 60, 3);
      const ClipRect cr{3, 1, 12, 10};
      DDClipper* clipper = c.clipper ? CreateRectClipper(&cr) : nullptr;
      dest.SetClipper(clipper);
      BitmapTransition t(&dest, &c.area, nullptr, &end, 0);
      ASSERT_TRUE(t.IsValid());
      t.Step(step);
      const ClipRect shifted{c.area.x + 20, c.area.y + 20, 16, 12};
      BitmapTransition reference(&big, &shifted, nullptr, &end, 0);
      reference.Step(step);
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x) {
          const bool inside = !c.clipper || (x >= cr.x && y >= cr.y && x < cr.x + cr.width && y < cr.y + cr.height);
          const uint8_t want = inside ? big.Row(y + 20)[x + 20] : 3;
          ASSERT_EQ(dest.Row(y)[x], want) << "area " << c.area.x << "," << c.area.y << " step " << step;
        }
      dest.SetClipper(nullptr);
      if (clipper) clipper->Release();
    }
  }
}

TEST(MaskedBlend, TilesShiftAndWrap) {
  DDSurface tile(5, 3, 4);
  Fill(&tile, 9);
  const ClipRect area{2, 1, 17, 10};
  auto draw = [&](int ox, int oy) {
    DDSurface dest(24, 16, 4);
    dest.FillRect(0, 0, 24, 16, 0);
    MaskedBlend blend(&dest, &area, &tile, 0);
    EXPECT_TRUE(blend.IsValid());
    blend.Run(ox, oy);
    return Pixels(&dest);
  };
  const std::vector<uint8_t> base = draw(0, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 24; ++x) {
      const bool inside = x >= 2 && y >= 1 && x < 19 && y < 11;
      const uint8_t want = inside ? tile.Row((y - 1) % 3)[(x - 2) % 5] : 0;
      ASSERT_EQ(base[y * 24 + x], want) << x << "," << y;
    }
  EXPECT_EQ(draw(5, 3), base);
  EXPECT_EQ(draw(-5, -3), base);
  EXPECT_EQ(draw(5 * 1000, -3 * 7), base);
  EXPECT_EQ(draw(INT32_MIN + 3, INT32_MAX - 1).size(), base.size()) << "extreme offsets end quickly";
  const std::vector<uint8_t> shifted = draw(1, 0);
  for (int y = 1; y < 11; ++y) EXPECT_EQ(shifted[y * 24 + 2], tile.Row((y - 1) % 3)[4]) << "last column at the left edge";
}

TEST(MaskedBlend, DestinationClipperComesBackWithItsCount) {
  DDSurface dest(24, 16, 4), tile(4, 4, 4), wide(4, 4, 9);
  const ClipRect area{0, 0, 24, 16}, own{1, 1, 5, 5};
  DDClipper* clipper = CreateRectClipper(&own);
  dest.SetClipper(clipper);
  const uint32_t refs = clipper->GetRefCount();
  {
    MaskedBlend blend(&dest, &area, &tile, 0);
    blend.Run(3, 2);
  }
  EXPECT_EQ(dest.GetClipper(), clipper);
  EXPECT_EQ(clipper->GetRefCount(), refs);
  MaskedBlend refused(&dest, &area, &wide, 0);
  EXPECT_FALSE(refused.IsValid());
  dest.SetClipper(nullptr);
  clipper->Release();
}

TEST(TilePicture, DrawOntoSurfaceHonoursItsClipper) {
  std::vector<uint8_t> pic;
  TileMapPicture t;
  ASSERT_TRUE(t.LoadFromMemory(fixtures::TileFile(24, 20, &pic)));
  DDSurface target(20, 16, 4), wide(20, 16, 9);
  target.FillRect(0, 0, 20, 16, 0);
  const ClipRect cr{2, 3, 9, 8};
  DDClipper* clipper = CreateRectClipper(&cr);
  target.SetClipper(clipper);
  t.Draw(&target, -1, 0, 30, 30, 3, 1);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 20; ++x) {
      const bool inside = x >= 2 && y >= 3 && x < 11 && y < 11;
      ASSERT_EQ(target.Row(y)[x], inside ? pic[(y + 1) * 24 + x + 1 + 3] : 0) << x << "," << y;
    }
  target.SetClipper(nullptr);
  clipper->Release();
  const std::vector<uint8_t> before = Pixels(&wide);
  t.Draw(&wide, 0, 0, 8, 8, 0, 0);
  EXPECT_EQ(Pixels(&wide), before) << "only 8-bit targets";
}

}  // namespace
