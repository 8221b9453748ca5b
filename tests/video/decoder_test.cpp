// The clip reader on its own: picture stream facts, both output depths the
// right way up, sound tracks of several layouts converted to the slot's
// 16-bit format, and the draw player's own palette on a display without one.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/debug.h"
#include "graphics/surface.h"
#include "video/avi_decoder.h"
#include "video/avi_draw_player.h"
#include "video/clip_writer.h"
#include "video/rgb_convert.h"

namespace {

std::string ClipPath(const std::string& name) {
  std::string d = std::string(KEL_BINARY_DIR) + "/test-home/video-dec-" + std::to_string(::getpid());
  std::filesystem::create_directories(d);
  return d + "/" + name;
}

// Raw 4x2 pictures: top row red, bottom row green, for `frames` at `fps`.
std::string TwoRowClip(int frames, int fps) {
  std::string p = ClipPath("rows" + std::to_string(frames) + ".avi");
  ClipRecipe recipe;
  recipe.width = 4;
  recipe.height = 2;
  recipe.frames = frames;
  recipe.fps = fps;
  recipe.cinepak = false;
  recipe.picture = [](int, std::vector<uint8_t>* rgb) {
    for (int x = 0; x < 4; ++x) {
      uint8_t* top = &(*rgb)[x * 3];
      uint8_t* bottom = &(*rgb)[(4 + x) * 3];
      top[0] = 248, top[1] = 0, top[2] = 0;
      bottom[0] = 0, bottom[1] = 248, bottom[2] = 0;
    }
  };
  std::string error;
  EXPECT_TRUE(WriteClip(p, recipe, &error)) << error;
  return p;
}

TEST(AviDecoder, PicturesInBothDepthsAreBottomUp) {
  const std::string path = TwoRowClip(5, 10);
  AviDecoder d;
  std::string error;
  ASSERT_TRUE(d.Open(path, &error)) << error;
  EXPECT_EQ(d.Width(), 4);
  EXPECT_EQ(d.Height(), 2);
  EXPECT_EQ(d.FramePeriodMs(), 100);
  EXPECT_EQ(d.DeclaredFrames(), 5);
  EXPECT_EQ(d.NativeBits(), 24);

  int64_t ms = -1;
  d.SetOutputBits(16);
  ASSERT_EQ(d.Next(&ms), AviDecoder::kFrame);
  EXPECT_EQ(ms, 0);
  EXPECT_EQ(d.Stride(), 8u);
  uint16_t first, last;
  std::memcpy(&first, d.Bits(), 2);              // stored first: the bottom row
  std::memcpy(&last, d.Bits() + d.Stride(), 2);  // the top row
  EXPECT_EQ(first, Rgb24To555(0, 248, 0));
  EXPECT_EQ(last, Rgb24To555(248, 0, 0));

  d.SetOutputBits(24);
  ASSERT_EQ(d.Next(&ms), AviDecoder::kFrame);
  EXPECT_EQ(ms, 100);
  EXPECT_EQ(d.Stride(), 12u);
  const uint8_t* bottom = d.Bits();
  const uint8_t* top = d.Bits() + d.Stride();
  EXPECT_EQ(bottom[0], 0);    // blue
  EXPECT_EQ(bottom[1], 248);  // green
  EXPECT_EQ(top[2], 248);     // red

  int more = 0;
  while (d.Next(&ms) == AviDecoder::kFrame) ++more;
  EXPECT_EQ(more, 3);
  EXPECT_EQ(ms, 400);
  EXPECT_EQ(d.FramesDecoded(), 5);
  EXPECT_EQ(d.Next(&ms), AviDecoder::kEnd);  // and stays at the end

  ClipSound sound;
  EXPECT_FALSE(d.DecodeSound(&sound, &error));  // a silent clip
}

// Every sound layout comes out as 16-bit PCM of 1 or 2 channels at a rate
// the slot takes, as long as it was.
TEST(AviDecoder, SoundIsConvertedForTheSlot) {
  struct Case {
    int rate, channels;
    int outRate, outChannels;
  };
  const Case cases[] = {
      {22050, 1, 22050, 1}, {11025, 2, 11025, 2}, {44100, 2, 44100, 2},
      {96000, 1, 22050, 1},  // beyond what the slots play: resampled
      {16000, 6, 16000, 2},  // six channels mixed down to two
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.channels) + " channels");
    std::string path = ClipPath("sound.avi");
    ClipRecipe recipe;
    recipe.width = 8;
    recipe.height = 8;
    recipe.frames = 4;
    recipe.fps = 4;
    recipe.cinepak = false;
    recipe.sampleRate = c.rate;
    recipe.channels = c.channels;
    recipe.soundSamples = c.rate;  // one second
    std::string error;
    ASSERT_TRUE(WriteClip(path, recipe, &error)) << error;
    AviDecoder d;
    ASSERT_TRUE(d.Open(path, &error)) << error;
    ClipSound sound;
    ASSERT_TRUE(d.DecodeSound(&sound, &error)) << error;
    EXPECT_EQ(sound.samplesPerSec, c.outRate);
    EXPECT_EQ(sound.channels, c.outChannels);
    EXPECT_NEAR(static_cast<double>(sound.LengthMs()), 1000.0, 5.0);
    ASSERT_EQ(sound.wave.size(), 44u + sound.dataBytes);
    EXPECT_EQ(std::memcmp(sound.wave.data(), "RIFF", 4), 0);
    EXPECT_EQ(std::memcmp(sound.wave.data() + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(sound.wave[34], 16);  // bits per sample
    // The tone is there, not silence.
    int16_t peak = 0;
    for (size_t i = 44; i + 1 < sound.wave.size(); i += 2) {
      int16_t v;
      std::memcpy(&v, &sound.wave[i], 2);
      peak = std::max<int16_t>(peak, static_cast<int16_t>(v < 0 ? -v : v));
    }
    EXPECT_GT(peak, 2000);
  }
  // A rate of a few samples a second is damage, not sound: the clip plays
  // silent rather than have it stretched into gigabytes.
  std::string path = ClipPath("slow.avi");
  ClipRecipe recipe;
  recipe.width = 8;
  recipe.height = 8;
  recipe.frames = 2;
  recipe.cinepak = false;
  recipe.sampleRate = 100;
  recipe.soundSamples = 100;
  std::string error;
  ASSERT_TRUE(WriteClip(path, recipe, &error)) << error;
  AviDecoder d;
  ASSERT_TRUE(d.Open(path, &error)) << error;
  ClipSound sound;
  EXPECT_FALSE(d.DecodeSound(&sound, &error));
  EXPECT_TRUE(sound.wave.empty());
}

TEST(AviDecoder, RefusesWhatIsNotAClip) {
  DebugSink old = SetDebugSink([](const std::string&) {});
  AviDecoder d;
  std::string error;
  EXPECT_FALSE(d.Open(ClipPath("missing.avi"), &error));
  EXPECT_FALSE(error.empty());
  const uint8_t wave[] = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'};
  EXPECT_FALSE(d.OpenMemory(wave, sizeof wave, &error));
  EXPECT_FALSE(d.OpenMemory(nullptr, 0, &error));
  EXPECT_FALSE(d.IsOpen());

  // A clip whose pictures claim another codec than the few cut-scenes use
  // is refused before any decoder sees it.
  std::string path = ClipPath("cinepak.avi");
  ClipRecipe recipe;
  recipe.width = 16;
  recipe.height = 16;
  recipe.frames = 1;
  ASSERT_TRUE(WriteClip(path, recipe, &error)) << error;
  ASSERT_TRUE(d.Open(path, &error)) << error;
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  int renamed = 0;
  for (size_t i = 0; i + 4 <= bytes.size(); ++i) {
    if (std::memcmp(&bytes[i], "cvid", 4) == 0 || std::memcmp(&bytes[i], "CVID", 4) == 0) {
      std::memcpy(&bytes[i], "MJPG", 4);
      ++renamed;
    }
  }
  ASSERT_GT(renamed, 0);
  EXPECT_FALSE(d.OpenMemory(bytes.data(), bytes.size(), &error));
  EXPECT_NE(error.find("does not play"), std::string::npos) << error;
  int64_t ms;
  EXPECT_EQ(d.Next(&ms), AviDecoder::kEnd);
  SetDebugSink(old);
}

// An 8-bit display without a palette: the player brings the split palette
// and takes it away again at the end, leaving the display black. With a
// palette of its own the display keeps it, rewritten.
TEST(AviDrawPlayer, OwnPaletteOnlyWhileItPlays) {
  VirtualClock clock(100);
  Clock* oldClock = SetClock(&clock);
  const std::string path = TwoRowClip(3, 10);
  {
    DDSurface target(640, 480, 4);
    ASSERT_EQ(target.GetPalette(), nullptr);
    AviDrawPlayer player;
    ASSERT_EQ(player.Open(path.c_str(), &target), 0);
    ASSERT_EQ(player.Play(0), 0);
    EXPECT_EQ(player.SourceBits(), 24);
    ASSERT_NE(target.GetPalette(), nullptr);
    EXPECT_EQ(player.PaletteShared(), 0);
    EXPECT_EQ(target.GetPalette()->Entries()[255].blue, 240);
    player.Update();
    EXPECT_EQ(player.BackgroundPainted(), 1);
    EXPECT_NE(target.Row(0)[0], 0);  // the red row's pair at 2x
    player.Close();
    EXPECT_EQ(target.GetPalette(), nullptr);
    EXPECT_EQ(target.Row(0)[0], 0);
  }
  {
    DDSurface target(640, 480, 4);
    DDPalette* own = new DDPalette(kDisplayPaletteCaps, nullptr);
    target.SetPalette(own);
    AviDrawPlayer player;
    ASSERT_EQ(player.Open(path.c_str(), &target), 0);
    ASSERT_EQ(player.Play(0), 0);
    EXPECT_EQ(player.PaletteShared(), 1);
    EXPECT_EQ(target.GetPalette(), own);
    player.Close();
    EXPECT_EQ(target.GetPalette(), own);
    EXPECT_EQ(own->Entries()[127].red, 240);  // the split palette stays
    own->Release();
  }
  // Nothing opened: Play fails and the player is not playing.
  AviDrawPlayer none;
  EXPECT_NE(none.Play(0), 0);
  EXPECT_EQ(none.IsPlaying(), 0);
  EXPECT_EQ(none.Update(), -1);
  SetClock(oldClock);
}

}  // namespace
