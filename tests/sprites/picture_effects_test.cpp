// The slide, push / wipe, mosaic and translucent tiling effects: each level
// of a table drawn into a clipped destination and compared, pixel by pixel,
// with what the effect means for that pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "graphics/display.h"
#include "graphics/picture_effects.h"
#include "graphics/surface.h"
#include "tests/sprites/fixtures.h"

namespace {

constexpr int kW = 24, kH = 16;           // the pictures and the area
constexpr int kDestW = 40, kDestH = 30;   // the destination
constexpr uint8_t kBackground = 3;

void Fill(DDSurface* s, uint32_t seed) {
  const int rowBytes = s->GetWidth() * s->GetBytesPerPixel();
  const std::vector<uint8_t> p = fixtures::Picture(rowBytes, s->GetHeight(), seed);
  for (int y = 0; y < s->GetHeight(); ++y) std::memcpy(s->Row(y), &p[y * rowBytes], rowBytes);
}

uint32_t PixelAt(DDSurface* s, int x, int y) {
  const int bpp = s->GetBytesPerPixel();
  uint32_t v = 0;
  for (int i = 0; i < bpp; ++i) v |= uint32_t{s->Row(y)[x * bpp + i]} << (8 * i);
  return v;
}

// Where the effects are drawn: a destination whose clipper cuts the area
// (placed partly off the left edge) on its left, bottom and right.
struct Stage {
  explicit Stage(int format) : dest(kDestW, kDestH, format), start(kW, kH, format), end(kW, kH, format) {
    Fill(&start, 21);
    Fill(&end, 22);
    dest.FillRect(0, 0, kDestW, kDestH, kBackground);
    clipper = CreateRectClipper(&clip);
    dest.SetClipper(clipper);
  }
  ~Stage() {
    dest.SetClipper(nullptr);
    clipper->Release();
  }
  bool Visible(int x, int y) const {
    return x >= clip.x && y >= clip.y && x < clip.x + clip.width && y < clip.y + clip.height && x >= area.x &&
           y >= area.y && x < area.x + area.width && y < area.y + area.height;
  }
  // Every pixel against `want` (area coordinates -> value) where the area
  // shows, the background elsewhere. Returns the first difference.
  std::string Compare(const std::function<uint32_t(int c, int r)>& want) {
    for (int y = 0; y < kDestH; ++y)
      for (int x = 0; x < kDestW; ++x) {
        const uint32_t expect = Visible(x, y) ? want(x - area.x, y - area.y) : kBackground;
        if (PixelAt(&dest, x, y) != expect)
          return "pixel " + std::to_string(x) + "," + std::to_string(y) + ": " +
                 std::to_string(PixelAt(&dest, x, y)) + " instead of " + std::to_string(expect);
      }
    return "";
  }
  DDSurface dest, start, end;
  const ClipRect area{-3, 5, kW, kH};
  const ClipRect clip{0, 2, 17, 16};
  DDClipper* clipper = nullptr;
};

// What a destination pixel shows: picture 0 (start) or 1 (end) at (x, y).
struct Shown {
  int picture, x, y;
};

// A push along one axis: `along` is the pixel's place on it, `size` the
// area's, `d` the move; towards the start of the axis when `back`.
Shown Push(bool back, int along, int size, int d) {
  if (back) return along + d < size ? Shown{0, along + d, 0} : Shown{1, along + d - size, 0};
  return along - d >= 0 ? Shown{0, along - d, 0} : Shown{1, along - d + size, 0};
}

// Pushes, covers and uncovers as the pixel sees them, by pattern.
Shown PushWipeReference(int pattern, int c, int r, int progress) {
  const int dx = kW * progress / kEffectFullProgress, dy = kH * progress / kEffectFullProgress;
  const Shown start{0, c, r}, end{1, c, r};
  const int dir = pattern % 4;  // left, right, up, down for the first three families
  const bool horizontal = dir < 2, back = dir == 0 || dir == 2;
  const int along = horizontal ? c : r, size = horizontal ? kW : kH, d = horizontal ? dx : dy;
  auto onAxis = [&](Shown s, int a) {
    if (horizontal) return Shown{s.picture, a, r};
    return Shown{s.picture, c, a};
  };
  auto in = [](int v, int lo, int hi) { return v >= lo && v < hi; };
  switch (pattern) {
    case kPushLeft: case kPushRight: case kPushUp: case kPushDown: {
      Shown s = Push(back, along, size, d);
      return onAxis(s, s.x);
    }
    case kCoverLeft: case kCoverRight: case kCoverUp: case kCoverDown:
      if (back) return along >= size - d ? onAxis(end, along - (size - d)) : start;
      return along < d ? onAxis(end, along + size - d) : start;
    case kUncoverLeft: case kUncoverRight: case kUncoverUp: case kUncoverDown:
      if (back) return along < size - d ? onAxis(start, along + d) : end;
      return along >= d ? onAxis(start, along - d) : end;
    case kWipeRight: return c < dx ? end : start;
    case kWipeLeft: return c >= kW - dx ? end : start;
    case kWipeDown: return r < dy ? end : start;
    case kWipeUp: return r >= kH - dy ? end : start;
    case kWipeFromTopLeft: return c < dx && r < dy ? end : start;
    case kWipeFromTopRight: return c >= kW - dx && r < dy ? end : start;
    case kWipeFromBottomLeft: return c < dx && r >= kH - dy ? end : start;
    case kWipeFromBottomRight: return c >= kW - dx && r >= kH - dy ? end : start;
    case kBoxOut: return in(c, (kW - dx) / 2, (kW - dx) / 2 + dx) && in(r, (kH - dy) / 2, (kH - dy) / 2 + dy) ? end : start;
    case kBoxIn: return in(c, dx / 2, dx / 2 + kW - dx) && in(r, dy / 2, dy / 2 + kH - dy) ? start : end;
    case kSplitOutVertical: return in(c, (kW - dx) / 2, (kW - dx) / 2 + dx) ? end : start;
    case kSplitOutHorizontal: return in(r, (kH - dy) / 2, (kH - dy) / 2 + dy) ? end : start;
    case kSplitInVertical: return in(c, dx / 2, dx / 2 + kW - dx) ? start : end;
    case kSplitInHorizontal: return in(r, dy / 2, dy / 2 + kH - dy) ? start : end;
    case kCoverFromBottomRight:
      return c >= kW - dx && r >= kH - dy ? Shown{1, c - (kW - dx), r - (kH - dy)} : start;
    default: return start;
  }
}

const int kLevels[] = {0, 1, 700, 3333, 5000, 9999, 10000};

TEST(PushWipe, EveryPatternAtEveryLevelMatchesTheReference) {
  for (int format : {4, 9}) {
    for (int pattern = 0; pattern < kPushWipePatternCount; ++pattern) {
      for (int progress : kLevels) {
        Stage s(format);
        PushWipe effect(&s.dest, &s.area, &s.start, &s.end);
        ASSERT_TRUE(effect.IsValid());
        effect.Draw(pattern, progress);
        const std::string diff = s.Compare([&](int c, int r) {
          const Shown w = PushWipeReference(pattern, c, r, progress);
          return PixelAt(w.picture ? &s.end : &s.start, w.x, w.y);
        });
        ASSERT_EQ(diff, "") << "format " << format << " pattern " << pattern << " progress " << progress;
      }
    }
  }
}

TEST(InterlacedSlide, BandsSlideAlternatelyAtEveryLevel) {
  for (int direction : {0, 1}) {
    for (int band : {1, 3, 5, 40}) {
      for (int progress : kLevels) {
        Stage s(4);
        InterlacedSlide effect(&s.dest, &s.area, &s.start, &s.end, band, direction);
        ASSERT_TRUE(effect.IsValid());
        effect.Draw(progress);
        const std::string diff = s.Compare([&](int c, int r) {
          const bool rows = direction == 1;
          const bool back = ((rows ? r : c) / band) % 2 == 0;  // even bands left or up
          const int size = rows ? kW : kH;
          const Shown w = Push(back, rows ? c : r, size, size * progress / kEffectFullProgress);
          return rows ? PixelAt(w.picture ? &s.end : &s.start, w.x, r)
                      : PixelAt(w.picture ? &s.end : &s.start, c, w.x);
        });
        ASSERT_EQ(diff, "") << "direction " << direction << " band " << band << " progress " << progress;
      }
    }
  }
}

TEST(Mosaic, BlocksTakeTheirTopLeftPixel) {
  for (int format : {4, 9}) {
    for (int n : {1, 2, 5, 7, 16, 128}) {
      Stage s(format);
      Mosaic effect(&s.dest, &s.area, &s.end);
      ASSERT_TRUE(effect.IsValid());
      effect.Draw(n);
      const std::string diff = s.Compare([&](int c, int r) { return PixelAt(&s.end, c - c % n, r - r % n); });
      ASSERT_EQ(diff, "") << "format " << format << " blocks of " << n;
    }
  }
}

TEST(TranslucentTiling, EachPixelIsTheTablesMixOfTileAndDestination) {
  std::vector<uint8_t> table(65536);
  for (int s = 0; s < 256; ++s)
    for (int d = 0; d < 256; ++d) table[s * 256 + d] = static_cast<uint8_t>((s * 7 + d * 3) >> 2);
  DDSurface tile(5, 3, 4);
  Fill(&tile, 9);
  Stage s(4);
  Fill(&s.dest, 30);  // the mix needs a destination of many values
  DDSurface before(kDestW, kDestH, 4);
  before.Blt(0, 0, kDestW, kDestH, &s.dest, 0, 0);
  TranslucentTiling effect(&s.dest, &s.area, &tile, table.data());
  ASSERT_TRUE(effect.IsValid());
  effect.Draw();
  for (int y = 0; y < kDestH; ++y)
    for (int x = 0; x < kDestW; ++x) {
      const uint8_t old = before.Row(y)[x];
      const uint8_t want = s.Visible(x, y)
                               ? table[tile.Row((y - s.area.y) % 3)[(x - s.area.x) % 5] * 256 + old]
                               : old;
      ASSERT_EQ(s.dest.Row(y)[x], want) << x << "," << y;
    }
}

TEST(PictureEffects, RefusedSetUpsAndLevelsDrawNothing) {
  DDSurface dest(kDestW, kDestH, 4), pic(kW, kH, 4), wide(kW, kH, 9), small(kW - 1, kH, 4), tile(4, 4, 4),
      wideDest(kDestW, kDestH, 9);
  const ClipRect area{2, 2, kW, kH}, empty{2, 2, 0, 0};
  std::vector<uint8_t> table(65536, 9);
  Fill(&dest, 1);
  Fill(&pic, 2);
  const std::vector<uint8_t> before(dest.Row(0), dest.Row(0) + dest.GetPitch() * kDestH);
  auto unchanged = [&] { return std::equal(before.begin(), before.end(), dest.Row(0)); };
  // Refused set-ups: the object says so and no level draws anything.
  struct Refused {
    const char* what;
    std::function<bool()> drawAll;  // draws every level, returns IsValid
  } refused[] = {
      {"slide: a picture of another format", [&] {
         InterlacedSlide e(&dest, &area, &pic, &wide, 2, 1);
         for (int p : kLevels) e.Draw(p);
         return e.IsValid();
       }},
      {"slide: a picture of another size", [&] { return InterlacedSlide(&dest, &area, &small, &pic, 2, 1).IsValid(); }},
      {"slide: band size 0", [&] { return InterlacedSlide(&dest, &area, &pic, &pic, 0, 1).IsValid(); }},
      {"slide: direction 2", [&] { return InterlacedSlide(&dest, &area, &pic, &pic, 2, 2).IsValid(); }},
      {"slide: no destination", [&] { return InterlacedSlide(nullptr, &area, &pic, &pic, 2, 1).IsValid(); }},
      {"push: no start picture", [&] {
         PushWipe e(&dest, &area, nullptr, &pic);
         for (int p : kLevels) e.Draw(kPushLeft, p);
         return e.IsValid();
       }},
      {"push: an empty area", [&] { return PushWipe(&dest, &empty, &pic, &pic).IsValid(); }},
      {"mosaic: a picture of another size", [&] {
         Mosaic e(&dest, &area, &small);
         e.Draw(4);
         return e.IsValid();
       }},
      {"tiling: not 8-bit", [&] { return TranslucentTiling(&wideDest, &area, &tile, table.data()).IsValid(); }},
      {"tiling: no table", [&] {
         TranslucentTiling e(&dest, &area, &tile, nullptr);
         e.Draw();
         return e.IsValid();
       }},
  };
  for (const Refused& c : refused) {
    EXPECT_FALSE(c.drawAll()) << c.what;
    EXPECT_TRUE(unchanged()) << c.what;
  }
  // Levels a valid object does not have.
  PushWipe push(&dest, &area, &pic, &pic);
  InterlacedSlide slide(&dest, &area, &pic, &pic, 2, 0);
  Mosaic mosaic(&dest, &area, &pic);
  struct Level {
    const char* what;
    std::function<void()> draw;
  } levels[] = {
      {"push: pattern 27", [&] { push.Draw(kPushWipePatternCount, 5000); }},
      {"push: pattern -1", [&] { push.Draw(-1, 5000); }},
      {"push: progress 10001", [&] { push.Draw(kPushLeft, 10001); }},
      {"slide: progress -1", [&] { slide.Draw(-1); }},
      {"mosaic: blocks of 0", [&] { mosaic.Draw(0); }},
      {"mosaic: blocks of 129", [&] { mosaic.Draw(129); }},
  };
  for (const Level& c : levels) {
    c.draw();
    EXPECT_TRUE(unchanged()) << c.what;
  }
}

}  // namespace
