// Pixel formats, reference counting of palettes and clippers, palette range
// copies, palette matching and the remap family.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "graphics/display.h"
#include "graphics/palette.h"
#include "graphics/pixel_format.h"
#include "graphics/surface.h"

namespace {

TEST(PixelFormat, TableOfCodes) {
  struct Row { int code; uint32_t flags; int bits; uint32_t r, g, b; bool surface; };
  const Row rows[] = {
      {1, 0x840, 1, 0, 0, 0, false},
      {2, 0x1040, 2, 0, 0, 0, false},
      {3, 0x48, 4, 0, 0, 0, false},
      {4, 0x60, 8, 0, 0, 0, true},
      {5, 0, 0, 0, 0, 0, false},
      {6, 0x40, 8, 0xE0, 0x1C, 0x03, false},
      {7, 0x40, 16, 0x7C00, 0x03E0, 0x001F, true},
      {8, 0x40, 16, 0x001F, 0x03E0, 0x7C00, false},
      {9, 0x40, 16, 0xF800, 0x07E0, 0x001F, true},
      {10, 0x40, 16, 0x001F, 0x07E0, 0xF800, false},
      {11, 0x40, 24, 0xFF0000, 0xFF00, 0xFF, false},
      {12, 0x40, 24, 0xFF, 0xFF00, 0xFF0000, false},
      {13, 0x40, 32, 0xFF0000, 0xFF00, 0xFF, false},
      {14, 0x40, 32, 0xFF, 0xFF00, 0xFF0000, false},
      {0, 0, 0, 0, 0, 0, false},
      {15, 0, 0, 0, 0, 0, false},
      {-1, 0, 0, 0, 0, 0, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.code);
    PixelFormat f = MakePixelFormat(r.code);
    EXPECT_EQ(f.size, 32u);
    EXPECT_EQ(f.flags, r.flags);
    EXPECT_EQ(int(f.rgbBitCount), r.bits);
    EXPECT_EQ(f.redMask, r.r);
    EXPECT_EQ(f.greenMask, r.g);
    EXPECT_EQ(f.blueMask, r.b);
    EXPECT_EQ(PixelFormatBits(r.code), r.bits);
    // Every real code maps back to itself; empty records to 0.
    if (r.code >= 1 && r.code <= 14 && r.code != 5) {
      EXPECT_EQ(PixelFormatCode(f), r.code);
    } else {
      EXPECT_EQ(PixelFormatCode(f), 0);
    }
    // Surfaces exist in three of the formats; the rest fail with 2.
    if (r.code != 0) {
      DDSurface s;
      EXPECT_EQ(s.Create(8, 8, r.code), r.surface ? kDDOk : kDDCreateFailed);
      EXPECT_EQ(s.HasSurface(), r.surface);
      if (r.surface) {
        EXPECT_EQ(s.GetPixelFormat(), r.code);
        EXPECT_EQ(s.GetBytesPerPixel(), r.bits / 8);
        EXPECT_GE(s.GetPitch(), 8 * r.bits / 8);
        EXPECT_EQ(s.GetPitch() % 4, 0);
      }
    }
  }
  // 8 bits without the palette flag is the 3-3-2 format.
  PixelFormat f;
  f.rgbBitCount = 8;
  EXPECT_EQ(PixelFormatCode(f), 6);
}

TEST(SurfaceCreate, RefusesEitherSizeNotPositive) {
  const int sizes[][2] = {{0, 0}, {0, 10}, {10, 0}, {-1, 10}, {10, -5}};
  for (auto& sz : sizes) {
    DDSurface s;
    EXPECT_EQ(s.Create(sz[0], sz[1], kFormatIndexed8), kDDBadArgument) << sz[0] << "x" << sz[1];
    EXPECT_FALSE(s.HasSurface());
    EXPECT_EQ(s.GetWidth(), 0);
    EXPECT_EQ(s.GetPalette(), nullptr);
  }
  DDSurface huge;
  EXPECT_EQ(huge.Create(100000, 100000, kFormatIndexed8), kDDCreateFailed);
  // Without a display mode, format 0 is the 8-bit palettised format.
  DDSurface display(4, 4, 0);
  EXPECT_EQ(display.GetPixelFormat(), kFormatIndexed8);
#ifdef KEL_DEBUG
  // Debug builds pad the rows so that pitch bugs show.
  DDSurface padded(640, 480, kFormatIndexed8);
  EXPECT_GT(padded.GetPitch(), 640);
#endif
}

TEST(SurfaceCreate, OperationsWithoutASurfaceReportIt) {
  DDSurface s;
  uint8_t* bits = nullptr;
  int pitch = 0;
  uint8_t table[256] = {};
  EXPECT_EQ(s.Lock(&bits, &pitch), kDDNoSurface);
  EXPECT_EQ(s.Unlock(), kDDNoSurface);
  EXPECT_EQ(s.SetColorKey(kColorKeySrcBlt, 1, 1), kDDNoSurface);
  EXPECT_EQ(s.RemapWithTable(table), kDDNoSurface);
  EXPECT_EQ(s.Restore(), kDDNoSurface);
  EXPECT_EQ(s.SaveBmp("x.bmp"), kDDNoSurface);
  DDPalette* p = new DDPalette(kDisplayPaletteCaps, nullptr);
  EXPECT_EQ(s.SetPalette(p), kDDNoSurface);
  EXPECT_EQ(p->GetRefCount(), 1u);
  p->Release();
}

TEST(PaletteRefs, AttachDetachAndDestroy) {
  const int before = LivePaletteCount();
  DDPalette* p = new DDPalette(kDisplayPaletteCaps, nullptr);
  EXPECT_EQ(LivePaletteCount(), before + 1);
  {
    DDSurface a(4, 4, kFormatIndexed8);
    DDSurface b(4, 4, kFormatIndexed8);
    ASSERT_EQ(a.SetPalette(p), kDDOk);
    EXPECT_EQ(p->GetRefCount(), 2u);
    // Attaching the held palette again changes nothing.
    ASSERT_EQ(a.SetPalette(p), kDDOk);
    EXPECT_EQ(p->GetRefCount(), 2u);
    ASSERT_EQ(b.SetPalette(p), kDDOk);
    EXPECT_EQ(p->GetRefCount(), 3u);
    // The creator lets go; the surfaces keep it alive.
    EXPECT_EQ(p->Release(), 2u);
    EXPECT_EQ(a.SetPalette(nullptr), kDDOk);
    EXPECT_EQ(a.GetPalette(), nullptr);
    EXPECT_EQ(p->GetRefCount(), 1u);
    EXPECT_EQ(a.SetPalette(nullptr), kDDOk);  // detaching twice is harmless
    // Replacing releases the old one: p dies here.
    DDPalette* q = new DDPalette(kDisplayPaletteCaps, nullptr);
    EXPECT_EQ(LivePaletteCount(), before + 2);
    ASSERT_EQ(b.SetPalette(q), kDDOk);
    EXPECT_EQ(LivePaletteCount(), before + 1);
    EXPECT_EQ(q->Release(), 1u);
    // 16-bit surfaces take no palette.
    DDSurface wide(4, 4, kFormatRgb565);
    EXPECT_EQ(wide.SetPalette(b.GetPalette()), kDDCallFailed);
    EXPECT_EQ(b.GetPalette()->GetRefCount(), 1u);
    // Remaking a surface in 16 bits lets its palette go; in 8 bits keeps it.
    DDPalette* kept = b.GetPalette();
    kept->AddRef();
    ASSERT_EQ(b.Create(8, 8, kFormatIndexed8), kDDOk);
    EXPECT_EQ(b.GetPalette(), kept);
    ASSERT_EQ(b.Create(8, 8, kFormatRgb555), kDDOk);
    EXPECT_EQ(b.GetPalette(), nullptr);
    EXPECT_EQ(kept->Release(), 0u);
  }
  // Destroying the surface released the last reference.
  EXPECT_EQ(LivePaletteCount(), before);
}

TEST(ClipperRefs, SwapAndRelease) {
  const int before = LiveClipperCount();
  ClipRect r{1, 2, 3, 4};
  DDClipper* full = CreateRectClipper(&r);
  DDClipper* half = CreateRectClipper(&r);
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(CreateRectClipper(nullptr), nullptr);
  {
    DDSurface s(8, 8, kFormatIndexed8);
    ASSERT_EQ(s.SetClipper(full), kDDOk);
    ASSERT_EQ(s.SetClipper(full), kDDOk);
    EXPECT_EQ(full->GetRefCount(), 2u);
    ASSERT_EQ(s.SetClipper(half), kDDOk);
    EXPECT_EQ(full->GetRefCount(), 1u);
    EXPECT_EQ(half->GetRefCount(), 2u);
    EXPECT_EQ(half->Release(), 1u);  // the surface still holds it
    ClipRect got;
    ASSERT_EQ(s.GetClipper()->GetClipRect(&got), kDDOk);
    EXPECT_EQ(got.height, 4);
    EXPECT_EQ(s.GetClipper()->SetClipRect(ClipRect{0, 0, -1, 3}), kDDBadArgument);
  }
  EXPECT_EQ(LiveClipperCount(), before + 1);
  EXPECT_EQ(full->Release(), 0u);
  EXPECT_EQ(LiveClipperCount(), before);
}

PaletteEntry Grey(int v) { return PaletteEntry{uint8_t(v), uint8_t(v), uint8_t(v), 0}; }

TEST(PaletteEntries, CopyRangeClampsBothSides) {
  PaletteEntry a[256], b[256];
  for (int i = 0; i < 256; ++i) {
    a[i] = Grey(0);
    a[i].flags = kPaletteEntryReadOnly;  // the flag byte travels with the entry
    b[i] = PaletteEntry{uint8_t(i), uint8_t(255 - i), 7, 0};
  }
  struct Case { int dest, count, srcFirst; int result; int firstChanged, lastChanged; };
  const Case cases[] = {
      {10, 5, 20, 1, 10, 14},     // plain
      {0, 256, 0, 1, 0, 255},     // whole palette
      {250, 20, 0, 1, 250, 255},  // destination side clamped to 6
      {0, 20, 250, 1, 0, 5},      // source side clamped to 6
      {240, 30, 245, 1, 240, 250},  // both: source leaves 11
      {5, 0, 0, 1, -1, -1},       // nothing
      {5, -3, 0, 1, -1, -1},      // negative count copies nothing
      {256, 1, 0, 0, -1, -1},     // start past the end
      {-1, 4, 0, 0, -1, -1},
      {0, 4, 256, 0, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.dest << " " << c.count << " " << c.srcFirst);
    DDPalette* dst = new DDPalette(kDisplayPaletteCaps, a);
    DDPalette* src = new DDPalette(kDisplayPaletteCaps, b);
    EXPECT_EQ(dst->CopyRange(c.dest, c.count, c.srcFirst, src), c.result);
    for (int i = 0; i < 256; ++i) {
      const PaletteEntry& e = dst->Entries()[i];
      if (c.firstChanged >= 0 && i >= c.firstChanged && i <= c.lastChanged) {
        int s = c.srcFirst + (i - c.dest);
        ASSERT_EQ(e.red, s) << i;
        ASSERT_EQ(e.flags, 0) << i;
      } else {
        ASSERT_EQ(e.red, 0) << i;
        ASSERT_EQ(e.blue, 0) << i;
        ASSERT_EQ(e.flags, kPaletteEntryReadOnly) << i;
      }
    }
    EXPECT_EQ(dst->CopyRange(0, 4, 0, nullptr), 0);
    dst->Release();
    src->Release();
  }
}

TEST(PaletteEntries, GetSetRangesAndLayouts) {
  DDPalette* p = new DDPalette(kDisplayPaletteCaps, nullptr);
  PaletteEntry in[3] = {{1, 2, 3, 0x40}, {4, 5, 6, 0}, {7, 8, 9, 0}};
  PaletteEntry out[3];
  EXPECT_EQ(p->SetEntries(254, 2, in), 1);
  EXPECT_EQ(p->SetEntries(254, 3, in), 0);  // would pass entry 255
  EXPECT_EQ(p->SetEntries(-1, 1, in), 0);
  EXPECT_EQ(p->GetEntries(254, 2, out), 1);
  EXPECT_EQ(out[0].flags, 0x40);
  EXPECT_EQ(out[1].blue, 6);
  EXPECT_EQ(p->GetEntries(0, 257, out), 0);
  EXPECT_EQ(p->GetEntries(0, 1, nullptr), 0);
  p->Release();

  RgbQuad quads[2];
  PaletteEntriesToRgbQuads(in, quads, 2);
  EXPECT_EQ(quads[0].blue, 3);
  EXPECT_EQ(quads[0].red, 1);
  PaletteEntry back[2];
  RgbQuadsToPaletteEntries(quads, back, 2);
  EXPECT_EQ(back[1].red, 4);
  EXPECT_EQ(back[1].blue, 6);
  EXPECT_EQ(back[0].flags, 0x40);
}

TEST(PaletteMatching, NearestBySquaredDistanceLowestIndexOnTies) {
  PaletteEntry e[256];
  for (int i = 0; i < 256; ++i) e[i] = Grey(255);
  e[10] = Grey(100);
  e[20] = Grey(100);  // same colour: 10 wins
  e[30] = PaletteEntry{200, 0, 0, 0};
  EXPECT_EQ(FindNearestColour(e, 0, 256, 90, 100, 110), 10);
  EXPECT_EQ(FindNearestColour(e, 15, 10, 90, 100, 110), 20);
  EXPECT_EQ(FindNearestColour(e, 0, 256, 180, 30, 0), 30);
  EXPECT_EQ(FindNearestColour(e, 40, 0, 0, 0, 0), -1);
  EXPECT_EQ(FindNearestColour(e, 250, 100, 0, 0, 0), 250);  // range clamped to 255
  // Counts up to INT_MAX are cut to the palette, never overflowed.
  EXPECT_EQ(FindNearestColour(e, 15, INT_MAX, 90, 100, 110), 20);
  EXPECT_EQ(FindNearestColour(e, INT_MIN, INT_MAX, 90, 100, 110), -1);

  // keepKey: 1 stays 1 and nothing else lands on 1.
  PaletteEntry from[256], to[256];
  for (int i = 0; i < 256; ++i) from[i] = to[i] = Grey(i);
  uint8_t table[256];
  BuildRemapTable(from, to, 0, 256, true, table);
  EXPECT_EQ(table[1], 1);
  EXPECT_EQ(table[0], 0);
  EXPECT_EQ(table[2], 2);
  to[1] = Grey(50);
  BuildRemapTable(from, to, 0, 256, true, table);
  EXPECT_EQ(table[50], 50);
  EXPECT_EQ(table[1], 1);
  BuildRemapTable(from, to, 100, 10, false, table);
  EXPECT_EQ(table[0], 100);
  EXPECT_EQ(table[255], 109);
}

TEST(Remap, ToPaletteRangeAndTables) {
  PaletteEntry own[256], target[256];
  for (int i = 0; i < 256; ++i) {
    own[i] = Grey(i);
    target[i] = Grey(255 - i);  // reversed
  }
  DDPalette* ownPal = new DDPalette(kDisplayPaletteCaps, own);
  DDPalette* targetPal = new DDPalette(kDisplayPaletteCaps, target);
  DDSurface s(4, 1, kFormatIndexed8);
  s.SetPalette(ownPal);
  for (int i = 0; i < 4; ++i) s.Row(0)[i] = uint8_t(i * 80);  // 0, 80, 160, 240

  ASSERT_EQ(s.RemapToPalette(targetPal), kDDOk);
  EXPECT_EQ(s.GetPalette(), targetPal);
  EXPECT_EQ(s.Row(0)[0], 255);
  EXPECT_EQ(s.Row(0)[1], 175);
  EXPECT_EQ(s.Row(0)[3], 15);
  EXPECT_EQ(ownPal->GetRefCount(), 1u);  // the surface let go of it

  // Back to the own palette, only entries 0..99 allowed.
  ASSERT_EQ(s.RemapToPaletteRange(ownPal, 0, 100), kDDOk);
  EXPECT_EQ(s.Row(0)[0], 0);
  EXPECT_EQ(s.Row(0)[1], 80);
  EXPECT_EQ(s.Row(0)[2], 99);
  EXPECT_EQ(s.Row(0)[3], 99);

  uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = uint8_t(i + 1);
  ASSERT_EQ(s.RemapWithTable(table), kDDOk);
  EXPECT_EQ(s.Row(0)[1], 81);
  EXPECT_EQ(s.GetPalette(), ownPal);

  // Usable flags: only 7 and 200; key kept.
  uint8_t usable[256] = {};
  usable[7] = usable[200] = usable[1] = 1;
  s.Row(0)[0] = 1;
  ASSERT_EQ(s.RemapWithTable(targetPal, 1, usable), kDDOk);
  EXPECT_EQ(s.Row(0)[0], 1);      // transparent stays
  EXPECT_EQ(s.Row(0)[1], 200);    // grey 81 -> target 200 is grey 55, nearer than grey 248
  EXPECT_EQ(s.Row(0)[2], 200);
  EXPECT_EQ(s.GetPalette(), targetPal);
  uint8_t none[256] = {};
  EXPECT_EQ(s.RemapWithTable(targetPal, 0, none), kDDBadArgument);

  DDSurface wide(2, 2, kFormatRgb565);
  EXPECT_EQ(wide.RemapWithTable(table), kDDNot8Bit);
  DDSurface bare(2, 2, kFormatIndexed8);
  EXPECT_EQ(bare.RemapToPalette(targetPal), kDDNoPalette);
  EXPECT_EQ(s.RemapToPalette(nullptr), kDDBadArgument);

  s.SetPalette(nullptr);
  ownPal->Release();
  targetPal->Release();
}

}  // namespace
