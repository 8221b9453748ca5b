// The display: modes, flips, palette fades on the virtual clock, the memory
// presenter and screenshots.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "graphics/display.h"
#include "graphics/fade.h"
#include "graphics/paint.h"
#include "graphics/surface.h"
#include "platform/presenter.h"

namespace {

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldClock_ = SetClock(&clock_);
    presenter_ = CreateMemoryPresenter();
    ASSERT_EQ(InitDirectDraw(presenter_.get(), 0), 1);
    ASSERT_EQ(SetVideoMode(640, 480, 8, 2, 0), 1);
  }
  void TearDown() override {
    ReleaseDirectDraw();
    EXPECT_EQ(g_primaryDDSurface, nullptr);
    SetClock(oldClock_);
  }

  static PaletteEntry Colour(int r, int g, int b) {
    return PaletteEntry{uint8_t(r), uint8_t(g), uint8_t(b), 0};
  }
  static uint32_t Rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | b; }

  VirtualClock clock_{1000};
  Clock* oldClock_ = nullptr;
  std::unique_ptr<MemoryPresenter> presenter_;
};

TEST_F(DisplayTest, ModeSetGivesEightBitPairWithSharedBlackPalette) {
  ASSERT_NE(g_primaryDDSurface, nullptr);
  ASSERT_NE(g_backDDSurface, nullptr);
  EXPECT_EQ(g_backDDSurface->GetWidth(), 640);
  EXPECT_EQ(g_backDDSurface->GetHeight(), 480);
  EXPECT_EQ(g_backDDSurface->GetPixelFormat(), kFormatIndexed8);
  DDPalette* p = g_primaryDDSurface->GetPalette();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(g_backDDSurface->GetPalette(), p);
  EXPECT_EQ(p->GetRefCount(), 2u);  // one per attachment
  for (int i = 0; i < 256; ++i) ASSERT_EQ(p->Entries()[i].red | p->Entries()[i].green, 0);
  EXPECT_EQ(InitDirectDraw(presenter_.get(), 0), 0);  // already started
  EXPECT_EQ(SetVideoMode(800, 600, 8, 2, 0), 0);
  EXPECT_EQ(SetVideoMode(640, 480, 24, 2, 0), 0);
  EXPECT_EQ(IsDisplayModeAvailable(640, 480, 16), 1);
  EXPECT_EQ(IsDisplayModeAvailable(640, 480, 32), 0);
}

TEST_F(DisplayTest, FlipSwapsContentsAndKeepsTheObjects) {
  DDSurface* primary = g_primaryDDSurface;
  DDSurface* back = g_backDDSurface;
  PaletteEntry entries[256] = {};
  entries[5] = Colour(10, 20, 30);
  entries[6] = Colour(200, 100, 50);
  g_primaryDDSurface->GetPalette()->SetEntries(0, 256, entries);

  back->FillRect(0, 0, 640, 480, 5);
  FlipScreen();
  EXPECT_EQ(g_primaryDDSurface, primary);
  EXPECT_EQ(g_backDDSurface, back);
  EXPECT_EQ(primary->Row(479)[639], 5);
  EXPECT_EQ(back->Row(0)[0], 0);  // the old front
  EXPECT_EQ(presenter_->PixelAt(0, 0), Rgb(10, 20, 30));
  EXPECT_EQ(presenter_->PixelAt(639, 479), Rgb(10, 20, 30));

  back->FillRect(0, 0, 640, 480, 6);
  FlipScreen();
  EXPECT_EQ(primary->Row(0)[0], 6);
  EXPECT_EQ(back->Row(0)[0], 5);
  EXPECT_EQ(presenter_->PixelAt(320, 240), Rgb(200, 100, 50));
  EXPECT_EQ(presenter_->FrameWidth(), 640);
  EXPECT_EQ(presenter_->FrameHeight(), 480);
}

TEST_F(DisplayTest, ModeChangesKeepObjectsAndAttachments) {
  DDSurface* primary = g_primaryDDSurface;
  DDSurface* back = g_backDDSurface;
  ClipRect half{0, 0, 320, 400};
  DDClipper* clipper = CreateRectClipper(&half);
  back->SetClipper(clipper);
  DDPalette* mine = new DDPalette(kDisplayPaletteCaps, nullptr);
  back->SetPalette(mine);

  // Cut-scene mode: one 16-bit buffer, no back buffer, no palette.
  ASSERT_EQ(SetVideoMode(640, 480, 16, 1, 0), 1);
  EXPECT_EQ(g_primaryDDSurface, primary);
  EXPECT_EQ(g_backDDSurface, nullptr);
  EXPECT_EQ(primary->GetPixelFormat(), kFormatRgb565);
  EXPECT_EQ(primary->GetPalette(), nullptr);
  EXPECT_EQ(mine->GetRefCount(), 1u);  // the hidden back buffer let go
  primary->FillRect(0, 0, 640, 480, 0x001F);
  FlipScreen();  // a lone primary only shows itself
  EXPECT_EQ(presenter_->PixelAt(9, 9), Rgb(0, 0, 255));
  // Format 0 is now the display's 16-bit format.
  DDSurface video(8, 8, 0);
  EXPECT_EQ(video.GetPixelFormat(), kFormatRgb565);

  // Back to the game's mode: the same objects, the clipper still attached.
  ASSERT_EQ(SetVideoMode(640, 480, 8, 2, 1), 1);
  EXPECT_EQ(g_primaryDDSurface, primary);
  EXPECT_EQ(g_backDDSurface, back);
  EXPECT_EQ(GetDisplayModeFor3D(), 1);
  EXPECT_EQ(back->GetClipper(), clipper);
  EXPECT_EQ(back->GetPixelFormat(), kFormatIndexed8);
  EXPECT_NE(back->GetPalette(), nullptr);
  EXPECT_EQ(back->GetPalette(), primary->GetPalette());
  back->FillRect(0, 0, 640, 480, 3);
  EXPECT_EQ(back->Row(0)[319], 3);
  EXPECT_EQ(back->Row(0)[320], 0);  // clipped by the kept clipper
  back->SetClipper(nullptr);
  clipper->Release();
  mine->Release();
}

TEST_F(DisplayTest, PaletteChangesShowAtOnce) {
  g_primaryDDSurface->FillRect(0, 0, 640, 480, 9);
  const uint64_t frames = presenter_->FrameCount();
  PaletteEntry e = Colour(255, 128, 0);
  ASSERT_EQ(g_primaryDDSurface->GetPalette()->SetEntries(9, 1, &e), 1);
  EXPECT_GT(presenter_->FrameCount(), frames);
  EXPECT_EQ(presenter_->PixelAt(100, 100), Rgb(255, 128, 0));
  // A palette not on the display shows nothing.
  DDPalette* other = new DDPalette(kDisplayPaletteCaps, nullptr);
  const uint64_t after = presenter_->FrameCount();
  other->SetEntries(0, 1, &e);
  EXPECT_EQ(presenter_->FrameCount(), after);
  other->Release();
}

TEST_F(DisplayTest, FadesRunOnTheVirtualClockAndEndBlackAfterFadeOut) {
  PaletteEntry target[256];
  for (int i = 0; i < 256; ++i) target[i] = Colour(200, 100, 51);
  DDPalette* palette = new DDPalette(kDisplayPaletteCaps, target);
  g_primaryDDSurface->FillRect(0, 0, 640, 480, 4);

  uint32_t start = TimeGetTime();
  FadePalette(palette, 4, 1);
  // Five updates, each at least 10 ms after the one before.
  EXPECT_GE(TimeGetTime() - start, 50u);
  EXPECT_LT(TimeGetTime() - start, 100u);
  EXPECT_EQ(presenter_->PixelAt(5, 5), Rgb(200, 100, 51));
  EXPECT_EQ(g_primaryDDSurface->GetPalette()->Entries()[4].blue, 51);

  FadePalette(palette, 4, 0);
  EXPECT_EQ(g_primaryDDSurface->GetPalette()->Entries()[4].red, 0);
  EXPECT_EQ(g_primaryDDSurface->Row(200)[200], 0);  // filled with colour 0
  EXPECT_EQ(presenter_->PixelAt(5, 5), 0u);

  // Zero (or negative) steps jump to the end without dividing by zero.
  FadePalette(palette, 0, 1);
  EXPECT_EQ(g_primaryDDSurface->GetPalette()->Entries()[7].green, 100);
  FadePalette(palette, -3, 0);
  EXPECT_EQ(g_primaryDDSurface->GetPalette()->Entries()[7].green, 0);
  FadePalette(nullptr, 4, 1);  // nothing to fade to
  palette->Release();
}

TEST_F(DisplayTest, FadeMidwayValuesAreTruncatedFractions) {
  PaletteEntry target[256];
  for (int i = 0; i < 256; ++i) target[i] = Colour(255, 100, 3);
  DDPalette* palette = new DDPalette(kDisplayPaletteCaps, target);
  g_primaryDDSurface->FillRect(0, 0, 640, 480, 1);
  // Record what the display shows at each stage of a 3-step fade in.
  std::vector<uint32_t> shown;
  struct Recorder : MemoryPresenter {
    std::vector<uint32_t>* out;
   protected:
    void Show() override { out->push_back(LastFrame()[0]); }
  } recorder;
  recorder.out = &shown;
  Presenter* old = SetDisplayPresenter(&recorder);
  FadePalette(palette, 3, 1);
  SetDisplayPresenter(old);
  ASSERT_GE(shown.size(), 4u);
  const uint32_t want[4] = {Rgb(0, 0, 0), Rgb(85, 33, 1), Rgb(170, 66, 2), Rgb(255, 100, 3)};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(shown[shown.size() - 4 + i], want[i]) << i;
  palette->Release();
}

TEST_F(DisplayTest, PrimaryWithoutPaletteGetsOneFromTheFade) {
  g_primaryDDSurface->SetPalette(nullptr);
  PaletteEntry target[256];
  for (int i = 0; i < 256; ++i) target[i] = Colour(9, 9, 9);
  DDPalette* palette = new DDPalette(kDisplayPaletteCaps, target);
  FadePalette(palette, 2, 1);
  ASSERT_NE(g_primaryDDSurface->GetPalette(), nullptr);
  EXPECT_NE(g_primaryDDSurface->GetPalette(), palette);
  EXPECT_EQ(g_primaryDDSurface->GetPalette()->Entries()[0].red, 9);
  palette->Release();
}

TEST_F(DisplayTest, ScreenshotsSaveTheBackBufferOrThePrimaryInOneBufferMode) {
  const std::string path = std::string(KEL_BINARY_DIR) + "/test-home/data/sshot1.bmp";
  std::remove(path.c_str());
  g_backDDSurface->FillRect(0, 0, 640, 480, 2);
  ASSERT_EQ(SaveScreenshot(path.c_str()), kDDOk);
  DDSurface shot(path.c_str(), 0, 0);
  EXPECT_EQ(shot.GetWidth(), 640);
  EXPECT_EQ(shot.Row(0)[0], 2);

  ASSERT_EQ(SetVideoMode(640, 480, 16, 1, 0), 1);
  g_primaryDDSurface->FillRect(0, 0, 640, 480, 0xF800);  // pure red
  std::remove(path.c_str());
  ASSERT_EQ(SaveScreenshot(path.c_str()), kDDOk);
  DDSurface wide(path.c_str(), 0, kFormatRgb565);
  ASSERT_EQ(wide.GetWidth(), 640);
  EXPECT_EQ(wide.Row(10)[0] | (wide.Row(10)[1] << 8), 0xF800);
  EXPECT_EQ(presenter_->PixelAt(3, 3), Rgb(255, 0, 0));
}

TEST_F(DisplayTest, PaintBitmapRepaintsThroughTheWindowClipper) {
  DDSurface picture(640, 480, kFormatIndexed8);
  picture.FillRect(0, 0, 640, 480, 12);
  ClipRect tiny{0, 0, 10, 10};
  DDClipper* clipper = CreateRectClipper(&tiny);
  g_primaryDDSurface->SetClipper(clipper);
  SetPaintBitmap(&picture);
  PaintWindow();
  // The whole picture lands, whatever clipper the primary had, and that clipper is back.
  EXPECT_EQ(g_primaryDDSurface->Row(479)[639], 12);
  EXPECT_EQ(g_primaryDDSurface->GetClipper(), clipper);
  EXPECT_EQ(clipper->GetRefCount(), 2u);
  g_primaryDDSurface->SetClipper(nullptr);
  clipper->Release();
  const int clippers = LiveClipperCount();
  PaintWindow();
  EXPECT_EQ(LiveClipperCount(), clippers);
}

TEST(DisplayLifecycle, ReleaseLeavesOtherWrappersToTheirOwners) {
  auto presenter = CreateMemoryPresenter();
  EXPECT_EQ(SetVideoMode(640, 480, 8, 2, 0), 0);  // not started yet
  ASSERT_EQ(InitDirectDraw(presenter.get(), 0), 1);
  ASSERT_EQ(SetVideoMode(640, 480, 8, 2, 0), 1);
  const int surfaces = LiveSurfaceCount();
  DDSurface* mine = new DDSurface(16, 16, kFormatIndexed8);
  mine->SetPalette(g_backDDSurface->GetPalette());
  DDPalette* shared = mine->GetPalette();
  ReleaseDirectDraw();
  EXPECT_EQ(g_primaryDDSurface, nullptr);
  EXPECT_EQ(g_backDDSurface, nullptr);
  // The owner's surface and the palette it holds are still whole.
  EXPECT_EQ(LiveSurfaceCount(), surfaces - 2 + 1);
  EXPECT_EQ(shared->GetRefCount(), 1u);
  EXPECT_EQ(mine->FillRect(0, 0, 16, 16, 3), kDDOk);
  FlipScreen();  // without a display: nothing
  delete mine;
  EXPECT_EQ(LiveSurfaceCount(), surfaces - 2);
  // And the display can start again.
  ASSERT_EQ(InitDirectDraw(presenter.get(), 0), 1);
  ASSERT_EQ(SetVideoMode(640, 480, 8, 2, 0), 1);
  ReleaseDirectDraw();
}

// A program that exits without releasing the display (its window's
// connection broke) destroys the display's surfaces, and any surface it keeps
// in a static made before the display started, after the statics made later:
// each still leaves its list without touching freed memory. The sanitizers
// fail the child otherwise. The child runs alone in a fresh process so its
// statics are made in this order whatever ran before.
TEST(DisplayLifecycle, SurfacesDestroyedAtExitAfterTheDisplay) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        static std::unique_ptr<DDSurface> kept;
        static std::unique_ptr<MemoryPresenter> presenter = CreateMemoryPresenter();
        if (InitDirectDraw(presenter.get(), 0) != 1 || SetVideoMode(640, 480, 8, 2, 0) != 1) std::_Exit(3);
        kept = std::make_unique<DDSurface>(16, 16, kFormatIndexed8);
        kept->SetPalette(g_primaryDDSurface->GetPalette());
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(Presenter, ConvertsBothSixteenBitLayoutsToFullIntensity) {
  MemoryPresenter p;
  const uint16_t px565[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
  p.PresentRgb16(reinterpret_cast<const uint8_t*>(px565), 4, 1, 8, true);
  EXPECT_EQ(p.PixelAt(0, 0), 0xFF0000u);
  EXPECT_EQ(p.PixelAt(1, 0), 0x00FF00u);
  EXPECT_EQ(p.PixelAt(2, 0), 0x0000FFu);
  EXPECT_EQ(p.PixelAt(3, 0), 0xFFFFFFu);
  const uint16_t px555[2] = {0x7C00, 0x03E0};
  p.PresentRgb16(reinterpret_cast<const uint8_t*>(px555), 2, 1, 4, false);
  EXPECT_EQ(p.PixelAt(0, 0), 0xFF0000u);
  EXPECT_EQ(p.PixelAt(1, 0), 0x00FF00u);
  EXPECT_EQ(p.PixelAt(2, 0), 0u);  // outside the frame
  EXPECT_EQ(p.FrameCount(), 2u);
}

TEST(Presenter, WritesThePngOfTheLastFrame) {
  MemoryPresenter p;
  const std::string path = std::string(KEL_BINARY_DIR) + "/test-home/data/frame.png";
  std::remove(path.c_str());
  EXPECT_FALSE(p.WritePng(path));  // no frame yet
  PresentColour pal[256] = {};
  pal[1] = PresentColour{1, 2, 3};
  const uint8_t pixels[6] = {1, 0, 1, 0, 1, 0};
  p.PresentIndexed(pixels, 3, 2, 3, pal);
  ASSERT_TRUE(p.WritePng(path));
  std::ifstream f(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), {});
  ASSERT_GT(bytes.size(), 33u);
  const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  EXPECT_TRUE(std::equal(signature, signature + 8, bytes.begin()));
  EXPECT_EQ(bytes[19], 3);  // width 3 in the header chunk
  EXPECT_EQ(bytes[23], 2);  // height 2
  EXPECT_FALSE(p.WritePng("/nonexistent-dir/frame.png"));
}

}  // namespace
