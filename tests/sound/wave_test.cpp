// Reading WAVE files: the headers real tools write, and damaged files that must
// be refused without reading outside the bytes.
#include <gtest/gtest.h>

#include "base/clock.h"
#include "platform/audio.h"
#include "sound/sound.h"
#include "tests/sound/wave_builder.h"

namespace {

std::vector<uint8_t> Frames(size_t n) {
  std::vector<uint8_t> b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 7);
  return b;
}

TEST(WaveParse, AcceptsTheHeadersToolsWrite) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    uint16_t channels, bits;
    uint32_t rate, dataSize;
    int format;
  };
  std::vector<uint8_t> junk = {1, 2, 3};  // odd size: padded
  std::vector<uint8_t> cut = MakeWave(Frames(400), 2, 44100, 16);
  cut.resize(cut.size() - 101);  // file cut short in its data
  Case cases[] = {
      {"16-byte fmt", MakeWave(Frames(100), 1, 22050, 16, 16), 1, 16, 22050, 100, 3},
      {"18-byte fmt", MakeWave(Frames(100), 2, 11025, 8, 18), 2, 8, 11025, 100, 2},
      {"40-byte fmt", MakeWave(Frames(100), 1, 8000, 8, 40), 1, 8, 8000, 100, 1},
      {"chunks before, after and between",
       BuildRiff({{"LIST", junk}, {"fmt ", FmtBody(2, 48000, 16)}, {"fact", {0, 0, 0, 0}},
                  {"data", Frames(64)}, {"id3 ", junk}}),
       2, 16, 48000, 64, 4},
      {"data before fmt", BuildRiff({{"data", Frames(10)}, {"fmt ", FmtBody(1, 22050, 8)}}), 1, 8,
       22050, 10, 1},
      {"RIFF size too large", BuildRiff({{"fmt ", FmtBody(1, 22050, 8)}, {"data", Frames(10)}}, 0xFFFFFFF0),
       1, 8, 22050, 10, 1},
      {"data cut short", cut, 2, 16, 44100, 296, 4},
      {"partial last frame", MakeWave(Frames(7), 1, 22050, 16), 1, 16, 22050, 6, 3},
  };
  for (const Case& c : cases) {
    WaveInfo w;
    ASSERT_TRUE(SoundManager::ParseWave(c.bytes.data(), c.bytes.size(), &w)) << c.name;
    EXPECT_EQ(w.channels, c.channels) << c.name;
    EXPECT_EQ(w.bitsPerSample, c.bits) << c.name;
    EXPECT_EQ(w.samplesPerSec, c.rate) << c.name;
    EXPECT_EQ(w.dataSize, c.dataSize) << c.name;
    EXPECT_EQ(w.formatCode, c.format) << c.name;
    ASSERT_LE(w.dataOffset + w.dataSize, c.bytes.size()) << c.name;
    EXPECT_EQ(c.bytes[w.dataOffset + 1], 7) << c.name;  // the first sample bytes
  }
}

TEST(WaveParse, RefusesDamagedFiles) {
  std::vector<uint8_t> good = MakeWave(Frames(100), 1, 22050, 16);
  auto fmt = [](uint16_t ch, uint32_t rate, uint16_t bits, uint32_t size = 16, uint16_t tag = 1) {
    return BuildRiff({{"fmt ", FmtBody(ch, rate, bits, size, tag)}, {"data", Frames(100)}});
  };
  auto patched = [&](size_t at, uint8_t v) {
    std::vector<uint8_t> b = good;
    b[at] = v;
    return b;
  };
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"RIFF only", {'R', 'I', 'F', 'F'}},
      {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 12)},
      {"not RIFF", patched(0, 'X')},
      {"not WAVE", BuildRiff({{"fmt ", FmtBody(1, 22050, 8)}, {"data", Frames(10)}}, -1, "AVI ")},
      {"RIFF size 0", BuildRiff({{"fmt ", FmtBody(1, 22050, 8)}, {"data", Frames(10)}}, 0)},
      {"RIFF size ends before data", BuildRiff({{"fmt ", FmtBody(1, 22050, 8)}, {"data", Frames(10)}}, 28)},
      {"fmt of 14 bytes", fmt(1, 22050, 16, 14)},
      {"fmt cut by the end of file", std::vector<uint8_t>(good.begin(), good.begin() + 30)},
      {"float samples", fmt(1, 22050, 32, 16, 3)},
      {"ADPCM", fmt(1, 22050, 4, 20, 2)},
      {"extensible tag", fmt(2, 22050, 16, 40, 0xFFFE)},
      {"no channels", fmt(0, 22050, 16)},
      {"three channels", fmt(3, 22050, 16)},
      {"24 bits", fmt(1, 22050, 24)},
      {"0 bits", fmt(1, 22050, 0)},
      {"rate 0", fmt(1, 0, 16)},
      {"rate 99", fmt(1, 99, 16)},
      {"rate 4 GHz", fmt(1, 0xFFFFFFFF, 16)},
      {"no data chunk", BuildRiff({{"fmt ", FmtBody(1, 22050, 8)}})},
      {"no fmt chunk", BuildRiff({{"data", Frames(10)}})},
      {"empty data chunk", BuildRiff({{"fmt ", FmtBody(1, 22050, 16)}, {"data", {}}})},
      {"data shorter than a frame", BuildRiff({{"fmt ", FmtBody(2, 22050, 16)}, {"data", Frames(3)}})},
      {"huge chunk hides the rest",
       BuildRiff({{"LIST", {1, 2}, 0xFFFFFFF0}, {"fmt ", FmtBody(1, 22050, 8)}, {"data", Frames(10)}})},
      {"data claims more than is there",
       [] {
         auto b = BuildRiff({{"fmt ", FmtBody(1, 22050, 8)}, {"data", {}, 5000}});
         return b;
       }()},
  };
  VirtualClock clock;
  Clock* old = SetClock(&clock);
  AudioSetBackend(AudioBackend::kNull);
  {
    SoundManager sm(nullptr);
    sm.Enable(1);
    int slot = sm.AllocSlot();
    for (const Case& c : cases) {
      WaveInfo w;
      EXPECT_FALSE(SoundManager::ParseWave(c.bytes.data(), c.bytes.size(), &w)) << c.name;
      // Through the manager, as memory and streaming: the slot stays empty and quiet.
      for (int streaming : {0, 1}) {
        EXPECT_FALSE(sm.LoadWaveMemory(slot, c.bytes.data(), c.bytes.size(), streaming, 3, 0)) << c.name;
        EXPECT_FALSE(sm.IsLoaded(slot)) << c.name;
        sm.Play(slot, 0, 0, 0, 0, 1);
        sm.FeedAllStreams();
        EXPECT_FALSE(sm.IsPlaying(slot)) << c.name;
        EXPECT_EQ(sm.PeekSample(slot, 3), 0u) << c.name;
        EXPECT_EQ(sm.SampleCount(slot), 0u) << c.name;
      }
    }
    // The slot still works after all that.
    ASSERT_TRUE(sm.LoadWaveMemory(slot, good.data(), good.size(), 0, 1, 0));
    sm.Play(slot, 0, 0, 0, 0, 0);
    EXPECT_TRUE(sm.IsPlaying(slot));
  }
  AudioSetBackend(AudioBackend::kAuto);
  SetClock(old);
}

}  // namespace
