// The cut-scene screen with both players, headless on the virtual clock and
// the null sound device: clips written by the test itself play from their
// first to their last picture with their whole sound, the display mode and
// scale follow the options, a key ends the screen, deactivation pauses it,
// and damaged files end cleanly.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/debug.h"
#include "graphics/bmp.h"
#include "graphics/display.h"
#include "graphics/surface.h"
#include "input/input.h"
#include "platform/audio.h"
#include "platform/keyboard.h"
#include "platform/presenter.h"
#include "screen/config.h"
#include "screen/game_screen.h"
#include "shell/screen_factory.h"
#include "sound/sound.h"
#include "video/clip_writer.h"
#include "video/rgb_convert.h"
#include "video/video_screen.h"

namespace {

constexpr int kFrames = 8;
constexpr int kFps = 8;
constexpr int kRate = 22050;

std::string TestDir() {
  static const std::string dir = [] {
    std::string d = std::string(KEL_BINARY_DIR) + "/test-home/video-" + std::to_string(::getpid());
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

// One second: 8 Cinepak pictures of 64x48 at 8 a second with a second of sound.
const std::string& CinepakClip() {
  static const std::string path = [] {
    std::string p = TestDir() + "/clip.avi";
    ClipRecipe recipe;
    recipe.width = 64;
    recipe.height = 48;
    recipe.frames = kFrames;
    recipe.fps = kFps;
    recipe.soundSamples = kRate;
    std::string error;
    EXPECT_TRUE(WriteClip(p, recipe, &error)) << error;
    return p;
  }();
  return path;
}

// Raw pictures 16x8: the top half red, the bottom half blue; no sound.
const std::string& RawClip() {
  static const std::string path = [] {
    std::string p = TestDir() + "/raw.avi";
    ClipRecipe recipe;
    recipe.width = 16;
    recipe.height = 8;
    recipe.frames = 4;
    recipe.fps = 4;
    recipe.cinepak = false;
    recipe.picture = [](int, std::vector<uint8_t>* rgb) {
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
          uint8_t* px = &(*rgb)[(y * 16 + x) * 3];
          px[0] = y < 4 ? 255 : 0;
          px[1] = 0;
          px[2] = y < 4 ? 0 : 255;
        }
    };
    std::string error;
    EXPECT_TRUE(WriteClip(p, recipe, &error)) << error;
    return p;
  }();
  return path;
}

// A 24-bit 640x480 picture of one colour.
std::string BackgroundPicture() {
  std::string p = TestDir() + "/bkgrd.bmp";
  if (std::filesystem::exists(p)) return p;
  const int w = 640, h = 480, stride = w * 3;
  std::vector<uint8_t> v(54 + static_cast<size_t>(stride) * h, 0);
  auto le32 = [&](size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
  };
  v[0] = 'B';
  v[1] = 'M';
  le32(2, static_cast<uint32_t>(v.size()));
  le32(10, 54);
  le32(14, 40);
  le32(18, w);
  le32(22, h);
  v[26] = 1;
  v[28] = 24;
  for (size_t i = 54; i + 2 < v.size(); i += 3) {
    v[i] = 0;        // blue
    v[i + 1] = 160;  // green
    v[i + 2] = 80;   // red
  }
  WriteAll(p, v);
  return p;
}

class VideoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldClock_ = SetClock(&clock_);
    ResetConfigurationDefaults();
    ResetKeyboardState();
    presenter_ = CreateMemoryPresenter();
    ASSERT_TRUE(InitDirectDraw(presenter_.get()));
    ASSERT_TRUE(SetVideoMode(640, 480, 8, 2, 0));  // the game's own mode
    AudioSetBackend(AudioBackend::kNull);
    g_soundManager = new SoundManager(nullptr);
    g_soundManager->Enable(1);
    CreateInputMaps();
    oldSink_ = SetDebugSink([this](const std::string& line) { debug_ += line; });
  }
  void TearDown() override {
    SetDebugSink(oldSink_);
    DestroyInputMaps();
    delete g_soundManager;
    g_soundManager = nullptr;
    AudioSetBackend(AudioBackend::kAuto);
    ReleaseDirectDraw();
    SetDisplayPresenter(nullptr);
    g_currentScreen = nullptr;
    ResetConfigurationDefaults();
    ResetKeyboardState();
    SetClock(oldClock_);
  }

  std::unique_ptr<VideoScreen> Make(const std::string& path, int x = 160, int y = 120,
                                    int w = 320, int h = 240, int full = 1,
                                    const char* background = nullptr, int drawPlayer = 1) {
    auto s = std::make_unique<VideoScreen>(path.c_str(), x, y, w, h, full, background, drawPlayer);
    g_currentScreen = nullptr;
    return s;
  }

  static ClipPlayback& PlaybackOf(VideoScreen& s) {
    return s.UsesDrawPlayer() ? s.DrawPlayer().Playback() : s.WindowPlayer()->Playback();
  }

  // Runs the screen until it ends (at most `maxTicks`); the number of ticks.
  static int RunToEnd(VideoScreen& s, int maxTicks = 100) {
    for (int tick = 1; tick <= maxTicks; ++tick)
      if (s.Run() != 0) return tick;
    return -1;
  }

  static uint16_t Primary16(int x, int y) {
    uint16_t v;
    std::memcpy(&v, g_primaryDDSurface->Row(y) + 2 * x, 2);
    return v;
  }

  VirtualClock clock_{5000};
  Clock* oldClock_ = nullptr;
  std::unique_ptr<MemoryPresenter> presenter_;
  DebugSink oldSink_;
  std::string debug_;
};

// Every player and mode plays the whole clip: every picture once, in time,
// with the whole second of sound through a streaming slot, and ends just
// after it.
TEST_F(VideoTest, GeneratedClipPlaysFromFirstToLastPicture) {
  struct Case {
    const char* name;
    int drawPlayer, highColour, interlaced, full;
    int bits;  // the display mode during the clip
  };
  const Case cases[] = {
      {"draw player, 16 bits, full screen", 1, 1, 0, 1, 16},
      {"draw player, 8 bits, scan lines", 1, 0, 1, 1, 8},
      {"draw player, 8 bits, 1x", 1, 0, 0, 0, 8},
      {"window player, full screen", 0, 0, 0, 1, 16},
      {"window player, its rectangle", 0, 1, 0, 0, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_highColorVideo = c.highColour;
    g_interlacedVideo = c.interlaced;
    SetVideoMode(640, 480, 8, 2, 0);
    const uint32_t start = TimeGetTime();
    auto s = Make(CinepakClip(), 160, 120, 320, 240, c.full, nullptr, c.drawPlayer);
    ASSERT_TRUE(s->IsOpened());
    EXPECT_EQ(GetDisplayBitsPerPixel(), c.bits);
    EXPECT_EQ(g_backDDSurface && g_backDDSurface->HasSurface(), false);  // one buffer
    ClipPlayback& p = PlaybackOf(*s);
    const int slot = p.SoundSlot();
    ASSERT_GE(slot, 0);
    EXPECT_EQ(g_soundManager->DataSize(slot), uint32_t{kRate} * 2);
    EXPECT_EQ(g_soundManager->SampleRate(slot), uint32_t{kRate});
    EXPECT_EQ(p.SoundLengthMs(), 1000);

    // A tick in: the sound plays, and the first pictures are on the screen.
    ASSERT_EQ(s->Run(), 0);
    EXPECT_TRUE(g_soundManager->IsPlaying(slot));
    EXPECT_GE(p.FramesShown(), 1);
    EXPECT_LE(p.FramesShown(), 2);
    // A point inside the picture (64x48, at 2x from the corner or
    // stretched when full screen, at 160, 120 otherwise) is painted.
    int cx = c.full ? 60 : 190, cy = c.full ? 40 : 140;
    const uint8_t* row = g_primaryDDSurface->Row(cy);
    bool lit = c.bits == 8 ? row[cx] != 0 : (row[2 * cx] | row[2 * cx + 1]) != 0;
    EXPECT_TRUE(lit);

    int ticks = RunToEnd(*s);
    ASSERT_GT(ticks, 0);
    const uint32_t elapsed = TimeGetTime() - start;
    EXPECT_GE(elapsed, 1000u);
    EXPECT_LE(elapsed, 1000u + 200u);
    EXPECT_EQ(p.FramesShown(), kFrames);
    EXPECT_EQ(p.FramesSkipped(), 0);
    EXPECT_EQ(p.Decoder().FramesDecoded(), kFrames);
    EXPECT_EQ(p.LastFrameMs(), (kFrames - 1) * 1000 / kFps);
    EXPECT_FALSE(g_soundManager->IsPlaying(slot));
    s.reset();
    // The sound slot went with the screen.
    EXPECT_FALSE(g_soundManager->IsLoaded(slot));
  }
}

// The pictures stand the right way up and keep their colours, at 2x on the
// 16-bit display and stretched by the window player.
TEST_F(VideoTest, PicturesAreUprightAndInColour) {
  g_highColorVideo = 1;
  {
    auto s = Make(RawClip());
    ASSERT_EQ(s->Run(), 0);
    EXPECT_EQ(s->DrawPlayer().Scale(), 2);
    EXPECT_EQ(Primary16(0, 0), 0xf800);   // red at the top
    EXPECT_EQ(Primary16(31, 7), 0xf800);
    EXPECT_EQ(Primary16(0, 8), 0x001f);   // blue below
    EXPECT_EQ(Primary16(31, 15), 0x001f);
    EXPECT_EQ(Primary16(32, 0), 0);       // beyond the picture: black
  }
  {
    // The window player stretches the 16x8 picture to its 64x32 window.
    auto s = Make(RawClip(), 100, 50, 64, 32, 0, nullptr, 0);
    ASSERT_EQ(s->Run(), 0);
    EXPECT_EQ(s->WindowPlayer()->Width(), 64);
    EXPECT_EQ(Primary16(100, 50), 0xf800);
    EXPECT_EQ(Primary16(163, 65), 0xf800);
    EXPECT_EQ(Primary16(100, 66), 0x001f);
    EXPECT_EQ(Primary16(163, 81), 0x001f);
    EXPECT_EQ(Primary16(164, 50), 0);
    EXPECT_EQ(Primary16(99, 50), 0);
  }
}

// A character's clip over its background picture, on both displays.
TEST_F(VideoTest, BackgroundIsPaintedBehindTheClip) {
  const std::string bg = BackgroundPicture();
  // 8 bits: the picture is converted for the split palette (checkerboard of
  // its colour's pair), which the player puts on the display.
  g_highColorVideo = 0;
  {
    auto s = Make(CinepakClip(), 148, 65, 420, 280, 0, bg.c_str());
    ASSERT_NE(s->Background(), nullptr);
    ASSERT_EQ(s->Run(), 0);
    EXPECT_EQ(s->DrawPlayer().Scale(), 1);
    EXPECT_EQ(s->DrawPlayer().X(), 148);
    uint16_t pair = PairTableEntry(Rgb24To555(80, 160, 0));
    EXPECT_EQ(g_primaryDDSurface->Row(0)[0], pair & 0xff);
    EXPECT_EQ(g_primaryDDSurface->Row(0)[1], pair >> 8);
    EXPECT_EQ(g_primaryDDSurface->Row(1)[0], pair >> 8);
    PaletteEntry split[256];
    BuildSplitPalette(split);
    const PaletteEntry* shown = g_primaryDDSurface->GetPalette()->Entries();
    EXPECT_EQ(shown[255].blue, split[255].blue);
    EXPECT_EQ(shown[127].red, split[127].red);
    EXPECT_EQ(s->DrawPlayer().PaletteShared(), 1);  // the display's own palette, rewritten
  }
  // 16 bits: the picture in the display's format.
  g_highColorVideo = 1;
  {
    auto s = Make(CinepakClip(), 148, 65, 420, 280, 0, bg.c_str());
    ASSERT_EQ(s->Run(), 0);
    EXPECT_EQ(Primary16(0, 0), Rgb24To565(80, 160, 0));
    EXPECT_EQ(Primary16(639, 479), Rgb24To565(80, 160, 0));
  }
}

TEST_F(VideoTest, MissingClipEndsAtOnceAndLeavesTheDisplay) {
  g_primaryDDSurface->FillRect(0, 0, 640, 480, 9);
  auto s = Make(TestDir() + "/no-such-clip.avi");
  EXPECT_FALSE(s->IsOpened());
  EXPECT_EQ(s->Run(), 1);
  EXPECT_EQ(GetDisplayBitsPerPixel(), 8);
  ASSERT_NE(g_backDDSurface, nullptr);
  EXPECT_TRUE(g_backDDSurface->HasSurface());
  EXPECT_EQ(g_primaryDDSurface->Row(0)[0], 9);
  EXPECT_NE(debug_.find("no-such-clip.avi is missing"), std::string::npos) << debug_;
}

// Without a sound manager (or with sound off) the clip runs on the game
// clock alone, all the same.
TEST_F(VideoTest, WithoutSoundTheClockPacesTheClip) {
  for (bool manager : {false, true}) {
    SCOPED_TRACE(manager ? "sound off" : "no sound manager");
    SoundManager* saved = g_soundManager;
    if (manager) {
      g_soundManager->Enable(0);
    } else {
      g_soundManager = nullptr;
    }
    const uint32_t start = TimeGetTime();
    auto s = Make(CinepakClip());
    ClipPlayback& p = PlaybackOf(*s);
    EXPECT_EQ(p.SoundSlot() >= 0, manager);
    ASSERT_GT(RunToEnd(*s), 0);
    const uint32_t elapsed = TimeGetTime() - start;
    EXPECT_GE(elapsed, 1000u);
    EXPECT_LE(elapsed, 1200u);
    EXPECT_EQ(p.FramesShown(), kFrames);
    s.reset();
    g_soundManager = saved;
    g_soundManager->Enable(1);
  }
}

TEST_F(VideoTest, AnyActionEndsTheScreenAtTheNextTick) {
  for (int vk : {int(kVkReturn), int(kVkEscape), int(kVkLeft)}) {
    auto s = Make(CinepakClip());
    ASSERT_EQ(s->Run(), 0);
    KeyboardKeyDown(vk, false);
    EXPECT_EQ(s->Run(), 1) << vk;
    KeyboardKeyUp(vk);
    ResetKeyboardState();
  }
}

// Mode and scale from the options and the screen's full-screen flag.
TEST_F(VideoTest, ModeAndScaleFollowTheOptions) {
  struct Case {
    const char* name;
    int allowFull, fullOption, highColour, interlaced;
    int bits, scale, scanLines, x, y;
  };
  const Case cases[] = {
      {"full screen, 8 bits", 1, 1, 0, 0, 8, 2, 0, 0, 0},
      {"full screen, 8 bits, interlaced", 1, 1, 0, 1, 8, 2, 1, 0, 0},
      {"high colour and interlaced: no scan lines", 1, 1, 1, 1, 16, 2, 0, 0, 0},
      {"option set but not allowed", 0, 1, 1, 0, 16, 1, -1, 160, 120},
      {"allowed but option off", 1, 0, 0, 0, 8, 1, -1, 160, 120},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_fullScreenVideo = c.fullOption;
    g_highColorVideo = c.highColour;
    g_interlacedVideo = c.interlaced;
    auto s = Make(CinepakClip(), 160, 120, 320, 240, c.allowFull);
    EXPECT_EQ(GetDisplayBitsPerPixel(), c.bits);
    EXPECT_EQ(s->DrawPlayer().Scale(), c.scale);
    if (c.scanLines >= 0) EXPECT_EQ(s->DrawPlayer().ScanLines(), c.scanLines);
    EXPECT_EQ(s->DrawPlayer().X(), c.x);
    EXPECT_EQ(s->DrawPlayer().Y(), c.y);
    ASSERT_EQ(s->Run(), 0);
    if (c.scanLines == 1) {
      // Lines 0, 2, 4... carry the picture, the odd ones stay black.
      int lit0 = 0, lit1 = 0;
      for (int x = 0; x < 128; ++x) {
        lit0 += g_primaryDDSurface->Row(20)[x] != 0;
        lit1 += g_primaryDDSurface->Row(21)[x] != 0;
      }
      EXPECT_GT(lit0, 0);
      EXPECT_EQ(lit1, 0);
    }
  }
}

// Deactivation stops the clip where it stands; activation goes on from
// there, however long the game was away.
TEST_F(VideoTest, DeactivationPausesAndActivationResumes) {
  for (int drawPlayer : {1, 0}) {
    SCOPED_TRACE(drawPlayer ? "draw player" : "window player");
    auto s = Make(CinepakClip(), 160, 120, 320, 240, 1, nullptr, drawPlayer);
    ClipPlayback& p = PlaybackOf(*s);
    ASSERT_EQ(s->Run(), 0);
    ASSERT_EQ(s->Run(), 0);
    const int shown = p.FramesShown();
    s->OnDeactivate();
    const int64_t at = p.PositionMs();
    EXPECT_FALSE(g_soundManager->IsPlaying(p.SoundSlot()));
    clock_.Advance(60000);
    EXPECT_EQ(p.PositionMs(), at);
    s->OnActivate();
    EXPECT_EQ(p.PositionMs(), at);
    EXPECT_TRUE(g_soundManager->IsPlaying(p.SoundSlot()));
    EXPECT_EQ(p.FramesShown(), shown);
    ASSERT_GT(RunToEnd(*s), 0);
    EXPECT_EQ(p.FramesShown(), kFrames);
    EXPECT_EQ(p.FramesSkipped(), 0);
  }
}

// Damaged and foreign files: each ends cleanly, those that cannot be opened
// at the first tick with a line in the debug output.
TEST_F(VideoTest, DamagedFilesEndCleanly) {
  const std::vector<uint8_t> good = ReadAll(CinepakClip());
  ASSERT_GT(good.size(), 1000u);
  auto cut = [&](double part) {
    return std::vector<uint8_t>(good.begin(), good.begin() + static_cast<ptrdiff_t>(good.size() * part));
  };
  std::vector<uint8_t> noise(3000);
  uint32_t seed = 12345;
  for (auto& b : noise) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<uint8_t>(seed >> 16);
  }
  std::vector<uint8_t> riffOnly = {'R', 'I', 'F', 'F', 0xff, 0xff, 0xff, 0x7f, 'A', 'V', 'I', ' '};
  std::vector<uint8_t> scrambled = good;
  for (size_t i = 200; i < scrambled.size(); i += 37) scrambled[i] ^= 0x5a;
  std::vector<uint8_t> headerOnly = cut(0.0);
  headerOnly.assign(good.begin(), good.begin() + 2048);

  struct Case {
    const char* name;
    std::vector<uint8_t> data;
    bool opens;
  };
  const Case cases[] = {
      {"empty", {}, false},
      {"noise", noise, false},
      {"RIFF AVI header only", riffOnly, false},
      {"a WAVE-like prefix", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, false},
      {"headers without pictures", headerOnly, true},
      {"cut at a quarter", cut(0.25), true},
      {"cut at a half", cut(0.5), true},
      {"cut at nine tenths", cut(0.9), true},
      {"bytes changed throughout", scrambled, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int drawPlayer : {1, 0}) {
      debug_.clear();
      const std::string path = TestDir() + "/damaged.avi";
      WriteAll(path, c.data);
      auto s = Make(path, 160, 120, 320, 240, 1, nullptr, drawPlayer);
      int ticks = RunToEnd(*s, 50);
      EXPECT_GT(ticks, 0) << "did not end";
      ClipPlayback& p = PlaybackOf(*s);
      EXPECT_LE(p.FramesShown(), kFrames);
      if (!c.opens) {
        EXPECT_EQ(ticks, 1);
        EXPECT_NE(debug_.find("cannot be played"), std::string::npos) << debug_;
      }
    }
  }
}

// Through the shell's table: the registered maker builds the screen.
TEST_F(VideoTest, RegisteredWithTheShell) {
  ClearScreenRegistrations();
  EXPECT_FALSE(HasVideoScreen());
  RegisterVideoScreens();
  EXPECT_TRUE(HasVideoScreen());
  VideoClip clip;
  clip.path = CinepakClip();
  clip.useDrawPlayer = 0;
  std::unique_ptr<GameScreen> screen(MakeVideoScreen(clip));
  g_currentScreen = nullptr;
  auto* video = dynamic_cast<VideoScreen*>(screen.get());
  ASSERT_NE(video, nullptr);
  EXPECT_TRUE(video->IsOpened());
  EXPECT_EQ(video->UsesDrawPlayer(), 0);
  EXPECT_EQ(video->Background(), nullptr);
  ClearScreenRegistrations();
}

}  // namespace
