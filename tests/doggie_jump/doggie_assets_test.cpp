// The NICE DOGGIE JUMP data the generator writes: every picture of the
// course on the course's colours of dog\palette.bmp, each jumper sheet with
// those and its own colours only where the event puts a jumper's, the frame
// sizes and counts the event positions things by, and complete sound rows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "base/paths.h"
#include "events/doggie_jump/doggie_jump_data.h"
#include "graphics/bmp.h"
#include "graphics/palette.h"
#include "graphics/sprite.h"

using namespace doggieassets;

namespace {

const std::string kData = std::string(KEL_BINARY_DIR) + "/gamedata/data";
const std::string kProgram = std::string(KEL_BINARY_DIR) + "/gamedata/program";

std::string DataPath(const char* relative) { return ResolvePath(JoinPath(kData, relative)); }

struct Frame {
  int w = 0, h = 0;
  std::vector<uint8_t> px;
};

Frame Pixels(Sprite& s, int n) {
  Frame f;
  const BitmapInfoHeader* h = s.GetFrameInfo(n);
  if (!h) return f;
  f.w = h->width;
  f.h = std::abs(h->height);
  f.px.assign(size_t(f.w) * f.h, 0);
  EXPECT_EQ(s.DrawFrameToBuffer(n, f.px.data(), f.w, 1), 1) << "frame " << n;
  return f;
}

class DoggieAssets : public testing::Test {
 protected:
  void SetUp() override {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadPictureFile(DataPath(kPalettePicture), &bytes)) << "the gamedata target makes the data";
    ASSERT_TRUE(DecodeBmp(bytes.data(), bytes.size(), &palette_));
    ASSERT_EQ(palette_.bitCount, 8);
  }
  // The sprite's palette agrees with dog\palette.bmp on the entries given.
  void ExpectPalette(Sprite& s, int first, int last) {
    s.LoadFrame(1, 1);
    DDPalette* p = s.GetFramePalette(1);
    ASSERT_NE(p, nullptr);
    for (int i = first; i <= last; ++i) {
      ASSERT_EQ(p->Entries()[i].red, palette_.palette[i].red) << i;
      ASSERT_EQ(p->Entries()[i].green, palette_.palette[i].green) << i;
      ASSERT_EQ(p->Entries()[i].blue, palette_.palette[i].blue) << i;
    }
  }
  BmpImage palette_;
};

TEST_F(DoggieAssets, TheCourseUsesOnlyTheCoursesColours) {
  EXPECT_EQ(palette_.width, 16);
  EXPECT_EQ(palette_.height, 16);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(palette_.pixels[i], i) << "the swatch shows each entry";
  for (const char* name : {kTreeSprite, kBackSprite, kDogSprite, kStarsSprite, kPitSprite, kJudgeSprite, kIconSprite,
                           kIconSpriteLowMemory}) {
    SCOPED_TRACE(name);
    Sprite s(DataPath(name).c_str(), 0, -1);
    ASSERT_EQ(s.GetError(), kSpriteOk);
    ExpectPalette(s, 0, kPaletteCourseLast);
    for (int n = 1; n <= s.FrameCount(); ++n) {
      const Frame f = Pixels(s, n);
      for (uint8_t v : f.px)
        ASSERT_TRUE(v <= kPaletteCourseLast || v == 255) << "frame " << n << " uses " << int(v);
    }
  }
  // The pit edges are copied opaque: nothing of them is transparent.
  Sprite pit(DataPath(kPitSprite).c_str(), 0, -1);
  for (uint8_t v : Pixels(pit, kPitEdgeFrame).px) ASSERT_NE(v, 1);
}

TEST_F(DoggieAssets, EachJumperSheetHasTheJumpersRangeToItself) {
  std::set<std::vector<uint8_t>> ranges;
  for (int row = 0; row < kRows; ++row) {
    SCOPED_TRACE(kJumperSheet[row]);
    Sprite s(DataPath(kJumperSheet[row]).c_str(), 0, -1);
    ASSERT_EQ(s.GetError(), kSpriteOk);
    ASSERT_EQ(s.FrameCount(), kJumperSheetFrames[row]);
    ExpectPalette(s, 0, kPaletteCourseLast);
    ExpectPalette(s, 255, 255);
    std::vector<uint8_t> own;
    for (int i = kPaletteJumperFirst; i <= kPaletteJumperLast; ++i) {
      const PaletteEntry& e = s.GetFramePalette(1)->Entries()[i];
      own.insert(own.end(), {e.red, e.green, e.blue});
    }
    ranges.insert(own);
    for (int n : {1, kJumperFrames[row][1].first, kJumperFrames[row][9].last, kJumperSheetFrames[row]}) {
      const Frame f = Pixels(s, n);
      EXPECT_EQ(f.w, kJumperW[row]);
      EXPECT_EQ(f.h, kJumperH);
      int figure = 0;
      for (uint8_t v : f.px) {
        ASSERT_TRUE(v == 0 || v == 1 || v == 255 || v >= kPaletteJumperFirst) << "frame " << n << " uses " << int(v);
        figure += v != 1;
      }
      EXPECT_GT(figure, 1500) << "frame " << n << " shows the athlete";
    }
    // The feet stand where the event puts them: on the foot row, about the
    // row's column.
    const Frame stand = Pixels(s, kJumperFrames[row][14].first);
    int lowest = -1, feetX = 0, feet = 0;
    for (int y = 0; y < stand.h; ++y)
      for (int x = 0; x < stand.w; ++x)
        if (stand.px[size_t(y) * stand.w + x] != 1) lowest = y;
    for (int x = 0; x < stand.w; ++x)
      if (lowest >= 0 && stand.px[size_t(lowest) * stand.w + x] != 1) feetX += x, ++feet;
    EXPECT_GE(lowest, kJumperFootY - 2);
    EXPECT_LE(lowest, kJumperFootY + 8) << "the soles, a little below the ankles";
    ASSERT_GT(feet, 0);
    EXPECT_NEAR(feetX / feet, kRowOffset[row], 25);
  }
  EXPECT_EQ(ranges.size(), size_t(kRows)) << "every jumper brings colours of its own";
}

TEST_F(DoggieAssets, FrameSizesAndCountsTheEventDrawsBy) {
  struct Want { const char* path; int frames, frame, w, h; };
  std::vector<Want> wants = {
      {kBackSprite, kBackFrames, kBackSky, kBackSize[0].w, kBackSize[0].h},
      {kBackSprite, kBackFrames, kBackGround, 160, 80},
      {kBackSprite, kBackFrames, kBackHedge, 160, 80},
      {kTreeSprite, kTreeFrames, 3, kTreeSize.w, kTreeSize.h},
      {kDogSprite, kDogSheetFrames, kCatFirst, kCatSize.w, kCatSize.h},
      {kStarsSprite, kStarsFrames, 9, kStarsSize.w, kStarsSize.h},
      {kPitSprite, kPitFrames, 1, 220, 32},
      {kPitSprite, kPitFrames, 3, 544, 32},
      {kPitSprite, kPitFrames, kPitEdgeFrame, 18, 32},
      {kJudgeSprite, kJudgeFrames, kJudgeBoardFrame, kJudgeSize.w, kJudgeSize.h},
      {kIconSprite, kIconFrames, kIconFrames, kIconSize.w, kIconSize.h},
      {kIconSpriteLowMemory, 1, 1, kIconSize.w, kIconSize.h},
      {kMeterSprite, 11, 11, 120, 80},
  };
  for (int t = 0; t < kDogTypes; ++t)
    wants.push_back({kDogSprite, kDogSheetFrames, 1 + kDogFramesEach * t + 7, kDogW[t], kPitFloorY - kDogTopY[t]});
  for (const Want& w : wants) {
    SCOPED_TRACE(std::string(w.path) + " frame " + std::to_string(w.frame));
    Sprite s(DataPath(w.path).c_str(), 0, -1);
    ASSERT_EQ(s.FrameCount(), w.frames);
    const BitmapInfoHeader* h = s.GetFrameInfo(w.frame);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->width, w.w);
    EXPECT_EQ(std::abs(h->height), w.h);
  }
  // The ground tiles fill 640 pixels from y 320, the sky layers tile across.
  EXPECT_EQ(640 % kBackSize[kBackSky - 1].w, 0);
  EXPECT_EQ(640 % kBackSize[kBackHorizon - 1].w, 0);
  // Every jumper frame the table names exists in its sheet.
  for (int row = 0; row < kRows; ++row)
    for (int st = 0; st < kFrameStates; ++st) {
      EXPECT_GE(kJumperFrames[row][st].first, 1);
      EXPECT_LE(kJumperFrames[row][st].first, kJumperFrames[row][st].last);
      EXPECT_LE(kJumperFrames[row][st].last, kJumperSheetFrames[row]);
    }
}

TEST_F(DoggieAssets, SoundRowsAreCompleteAndShareTheAnnouncer) {
  for (int row = 0; row < kRows; ++row) {
    EXPECT_STREQ(DoggieCharacterFiles[row][0].path, kJumperSheet[row]);
    for (int slot = 0; slot < kSoundSlots; ++slot) {
      const DoggieFile& f = DoggieSoundFile(row, slot);
      ASSERT_NE(f.path, nullptr) << "row " << row << " slot " << slot;
      const std::string path = ResolvePath(JoinPath(f.inProgramDir ? kProgram : kData, f.path));
      EXPECT_TRUE(FileExists(path)) << f.path;
    }
    // The numbers, the point and the unit are the one announcer's.
    for (int slot = 11; slot <= 40; ++slot) EXPECT_STREQ(DoggieSoundFile(row, slot).path, DoggieSoundFile(1, slot).path);
    EXPECT_STRNE(DoggieSoundFile(row, 46).path, DoggieSoundFile((row + 1) % kRows, 46).path)
        << "each jumper has a voice of his own";
  }
  EXPECT_STREQ(DoggieSoundFile(0, 4).path, "sounds\\mo_land.wav");
  EXPECT_STREQ(DoggieSoundFile(2, 49).path, "sounds\\bball.wav");
  EXPECT_STREQ(DoggieSoundFile(4, 48).path, "extra\\dog\\dogjump5.wav");
  EXPECT_TRUE(FileExists(DataPath(kAnnounceSound)));
  for (int c = 0; c < 6; ++c) EXPECT_EQ(kRowOfCharacter[kCharacterOfRow[c]], c);
}

}  // namespace
