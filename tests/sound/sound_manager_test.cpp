// The sound manager on the null device and the virtual clock.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/clock.h"
#include "base/debug.h"
#include "platform/audio.h"
#include "platform/mixer.h"
#include "screen/event_assets.h"
#include "sound/sound.h"
#include "tests/sound/wave_builder.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kRate = 22050;

// `ms` milliseconds of 16-bit mono at 22050 Hz whose every sample is distinct
// enough to show a gap, a repeat or a shift.
std::vector<int16_t> Pattern(uint32_t ms, int seed = 1) {
  std::vector<int16_t> s(kRate * ms / 1000);
  for (size_t k = 0; k < s.size(); ++k)
    s[k] = static_cast<int16_t>(((k * 37 + seed * 1001) % 30001) - 15000);
  return s;
}

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = SetClock(&clock_);
    AudioSetBackend(AudioBackend::kNull);
    MixerSetMasterGain(0, 1.0f);
    MixerSetMasterGain(1, 1.0f);
    // Tests run as parallel processes: each gets its own folder.
    dir_ = fs::path(::testing::TempDir()) /
           ("kel_sound_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
            "_" + std::to_string(getpid()));
    fs::remove_all(dir_);
    sm_ = std::make_unique<SoundManager>(nullptr);
    sm_->SetPrimaryFormat(2, kRate, 16);
    sm_->Enable(1);
    ASSERT_TRUE(sm_->IsEnabled());
  }
  void TearDown() override {
    sm_.reset();
    fs::remove_all(dir_);
    AudioSetBackend(AudioBackend::kAuto);
    SetClock(old_);
  }

  int LoadPcm(const std::vector<int16_t>& s, int streaming = 0, int copies = 1) {
    int slot = sm_->AllocSlot();
    std::vector<uint8_t> w = MakeWave(Pcm16(s), 1, kRate, 16);
    EXPECT_TRUE(sm_->LoadWaveMemory(slot, w.data(), w.size(), streaming, copies, 0));
    return slot;
  }
  uint32_t Cursor(int slot, int i) {
    uint32_t play = 0;
    sm_->Buffer(slot, i)->GetCurrentPosition(&play, nullptr);
    return play;
  }
  // Runs frames of `periodMs` with FeedAllStreams until the slot stops or
  // `limitMs` have passed; returns the elapsed time.
  uint32_t RunFrames(int slot, uint32_t periodMs, uint32_t limitMs) {
    uint32_t t = 0;
    while (t < limitMs && sm_->IsPlaying(slot)) {
      clock_.Advance(periodMs);
      t += periodMs;
      sm_->FeedAllStreams();
    }
    return t;
  }

  VirtualClock clock_{5000};
  Clock* old_ = nullptr;
  fs::path dir_;
  std::unique_ptr<SoundManager> sm_;
};

TEST_F(SoundTest, CopiesGiveBuffersAndPlayCyclesOverThem) {
  struct Case {
    int copies, buffers, cycle;
  } cases[] = {{5, 3, 3}, {3, 3, 3}, {2, 3, 2}, {1, 1, 1}, {0, 1, 1}, {-7, 1, 1}};
  for (const Case& c : cases) {
    int slot = LoadPcm(Pattern(500), 0, c.copies);
    EXPECT_EQ(sm_->BufferCount(slot), c.buffers) << "copies " << c.copies;
    EXPECT_EQ(sm_->Copies(slot), c.cycle) << "copies " << c.copies;
    bool used[3] = {};
    for (int i = 0; i < 6; ++i) {
      sm_->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
      for (int b = 0; b < c.buffers; ++b)
        if (sm_->Buffer(slot, b)->Status() & kAudioStatusPlaying) used[b] = true;
      clock_.Advance(10);
    }
    EXPECT_EQ(used[0] + used[1] + used[2], c.cycle) << "copies " << c.copies;
    if (c.copies == 2) {
      EXPECT_FALSE(used[2]) << "the third buffer of copies 2 never plays";
    }
    sm_->FreeSlot(slot);
  }
}

TEST_F(SoundTest, ThreeQuickPlaysOverlapAndTheFourthRestartsTheFirst) {
  int slot = LoadPcm(Pattern(1000), 0, 3);
  for (int i = 0; i < 3; ++i) {
    sm_->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
    clock_.Advance(100);
  }
  // The counter starts at buffer 1: plays went to 1, 2, 0.
  EXPECT_EQ(Cursor(slot, 1), 3 * 2205u * 2);
  EXPECT_EQ(Cursor(slot, 2), 2 * 2205u * 2);
  EXPECT_EQ(Cursor(slot, 0), 1 * 2205u * 2);
  sm_->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
  EXPECT_EQ(Cursor(slot, 1), 0u);
  EXPECT_EQ(Cursor(slot, 2), 2 * 2205u * 2);
  for (int b = 0; b < 3; ++b) EXPECT_TRUE(sm_->Buffer(slot, b)->Status() & kAudioStatusPlaying);

  sm_->StopAll();
  EXPECT_FALSE(sm_->IsPlaying(slot));
  EXPECT_EQ(Cursor(slot, 2), 2 * 2205u * 2);  // stop keeps the position
}

TEST_F(SoundTest, UnchangedValuesLeaveSettingsAlone) {
  int slot = LoadPcm(Pattern(300));
  sm_->SetPan(slot, 300);
  sm_->SetVolume(slot, -500);
  sm_->SetFrequency(slot, 11025);
  sm_->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
  EXPECT_EQ(sm_->GetPan(slot), 300);
  EXPECT_EQ(sm_->GetVolume(slot), -500);
  EXPECT_EQ(sm_->GetFrequency(slot), 11025u);
  sm_->Play(slot, 0, -1200, -2500, 44100, 0);
  EXPECT_EQ(sm_->GetPan(slot), -1200);
  EXPECT_EQ(sm_->GetVolume(slot), -2500);
  EXPECT_EQ(sm_->GetFrequency(slot), 44100u);
  sm_->Play(slot, 0, 20000, 5, 7, 0);  // out of range: refused, still plays
  EXPECT_EQ(sm_->GetPan(slot), -1200);
  EXPECT_EQ(sm_->GetVolume(slot), -2500);
  EXPECT_TRUE(sm_->IsPlaying(slot));
}

TEST_F(SoundTest, StaticSoundEndsAndContinueResumes) {
  int slot = LoadPcm(Pattern(400));
  sm_->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
  clock_.Advance(100);
  sm_->Stop(slot);
  EXPECT_EQ(sm_->GetPosition(slot), 2205u * 2);
  clock_.Advance(1000);
  sm_->Play(slot, kSoundContinue, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
  clock_.Advance(299);
  EXPECT_TRUE(sm_->IsPlaying(slot));
  clock_.Advance(2);
  EXPECT_FALSE(sm_->IsPlaying(slot));
  // Looping goes on past the end.
  sm_->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 1);
  clock_.Advance(1000);
  EXPECT_TRUE(sm_->IsPlaying(slot));
  EXPECT_EQ(sm_->GetPosition(slot), 2205u * 2 * 2);  // 1000 ms = 2.5 laps
}

// A 2.5 s stream without loop, fed at several frame rates: it plays its data
// sample for sample, then silence, and stops by itself within a section (plus
// a frame) of its end.
TEST_F(SoundTest, NonLoopingStreamStopsByItself) {
  std::vector<int16_t> data = Pattern(2500);
  for (uint32_t period : {16u, 50u, 100u, 150u}) {
    int slot = LoadPcm(data, 1);
    EXPECT_EQ(sm_->BufferCount(slot), 1);
    sm_->Device()->SetCapture(true);
    sm_->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
    uint32_t t = RunFrames(slot, period, 10000);
    EXPECT_GE(t, 2500u) << "period " << period;
    EXPECT_LE(t, 2500u + 167u + period) << "period " << period;
    std::vector<int16_t> out = sm_->Device()->TakeCapture();
    sm_->Device()->SetCapture(false);
    ASSERT_GE(out.size(), data.size() * 2);
    for (size_t k = 0; k < data.size(); ++k) {
      ASSERT_EQ(out[2 * k], data[k]) << "period " << period << " frame " << k;
      ASSERT_EQ(out[2 * k + 1], data[k]);
    }
    for (size_t i = data.size() * 2; i < out.size(); ++i)
      ASSERT_EQ(out[i], 0) << "period " << period << " after the end, sample " << i;
    EXPECT_EQ(sm_->GetPosition(slot), data.size() * 2);
    sm_->FreeSlot(slot);
  }
}

// 8-bit sound is unsigned: the silence after a stream's end is the midpoint,
// which mixes to 0, not a zero byte (a full-scale click).
TEST_F(SoundTest, EightBitStreamEndsInSilence) {
  std::vector<uint8_t> data(kRate / 2 + 300);  // ends between two frames
  for (size_t k = 0; k < data.size(); ++k) data[k] = static_cast<uint8_t>(100 + k % 50);
  int slot = sm_->AllocSlot();
  std::vector<uint8_t> w = MakeWave(data, 1, kRate, 8);
  ASSERT_TRUE(sm_->LoadWaveMemory(slot, w.data(), w.size(), 1, 1, 0));
  sm_->Device()->SetCapture(true);
  sm_->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
  EXPECT_LT(RunFrames(slot, 50, 3000), 3000u);
  std::vector<int16_t> out = sm_->Device()->TakeCapture();
  ASSERT_GT(out.size(), data.size() * 2);
  for (size_t k = 0; k < data.size(); ++k) ASSERT_EQ(out[2 * k], (data[k] - 128) * 256) << k;
  for (size_t i = data.size() * 2; i < out.size(); ++i) ASSERT_EQ(out[i], 0) << i;
}

TEST_F(SoundTest, PrimaryFormatSetsTheMixingRate) {
  EXPECT_EQ(sm_->Device()->OutputRate(), kRate);
  sm_->SetPrimaryFormat(1, 44100, 8);  // used from the next Enable(1)
  EXPECT_EQ(sm_->Device()->OutputRate(), kRate);
  sm_->Enable(0);
  sm_->Enable(1);
  EXPECT_EQ(sm_->Device()->OutputRate(), 44100u);
  sm_->SetPrimaryFormat(1, 0, 8);  // nonsense falls back to the default rate
  sm_->Enable(0);
  sm_->Enable(1);
  EXPECT_EQ(sm_->Device()->OutputRate(), 22050u);
}

TEST_F(SoundTest, LoopingStreamWrapsSampleExact) {
  // 0.7 s (not a whole number of sections) and one shorter than a section.
  for (uint32_t ms : {700u, 100u}) {
    std::vector<int16_t> data = Pattern(ms, 7);
    int slot = LoadPcm(data, 1);
    sm_->Device()->SetCapture(true);
    sm_->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 1);
    uint32_t t = RunFrames(slot, 50, 3000);
    EXPECT_EQ(t, 3000u);
    EXPECT_TRUE(sm_->IsPlaying(slot));
    std::vector<int16_t> out = sm_->Device()->TakeCapture();
    sm_->Device()->SetCapture(false);
    ASSERT_EQ(out.size(), 2u * 66150);
    for (size_t k = 0; k < out.size() / 2; ++k)
      ASSERT_EQ(out[2 * k], data[k % data.size()]) << ms << " ms, frame " << k;
    EXPECT_EQ(sm_->GetPosition(slot), (66150 % data.size()) * 2);
    sm_->FreeSlot(slot);
  }
}

TEST_F(SoundTest, StreamStartsAndRepositionsWithinItsData) {
  std::vector<int16_t> data = Pattern(2000, 3);
  int slot = LoadPcm(data, 1);
  sm_->Device()->SetCapture(true);
  sm_->Play(slot, 1001, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);  // odd: a whole frame
  RunFrames(slot, 40, 200);
  std::vector<int16_t> out = sm_->Device()->TakeCapture();
  for (size_t k = 0; k < 4000; ++k) ASSERT_EQ(out[2 * k], data[500 + k]) << k;
  EXPECT_EQ(sm_->GetPosition(slot), (500 + 4410) * 2u);
  sm_->SetPosition(slot, 20000);
  RunFrames(slot, 40, 80);
  out = sm_->Device()->TakeCapture();
  for (size_t k = 0; k < 1700; ++k) ASSERT_EQ(out[2 * k], data[10000 + k]) << k;
  // A start beyond the end plays the last frame only.
  sm_->Play(slot, 1 << 30, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
  EXPECT_LE(RunFrames(slot, 40, 1000), 400u);
}

TEST_F(SoundTest, DisableThenEnableKeepsEverySlotPlayable) {
  std::vector<int16_t> data = Pattern(300, 5);
  int fileSlot = sm_->AllocSlot();
  WriteFile(dir_ / "Sounds" / "menu" / "navia.wav", MakeWave(Pcm16(data), 1, kRate, 16));
  std::string path = dir_.string() + "/sounds\\Menu\\naviA.wav";  // case and separators as the game writes them
  ASSERT_TRUE(sm_->LoadWaveFile(fileSlot, path.c_str(), 0, 3, 0));
  int memSlot = LoadPcm(data, 0, 2);
  int streamSlot = LoadPcm(Pattern(2000), 1);
  std::vector<uint8_t> w = MakeWave(Pcm16(data), 1, kRate, 16);
  RegisterResource("test_sound", w.data(), w.size());
  int resSlot = sm_->AllocSlot();
  ASSERT_TRUE(sm_->LoadWaveResource(resSlot, "TEST_SOUND", 0, 1, 0));
  const int slots[] = {fileSlot, memSlot, streamSlot, resSlot};

  for (int s : slots) sm_->Play(s, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 1);
  sm_->Enable(0);
  EXPECT_FALSE(sm_->IsEnabled());
  for (int s : slots) {
    EXPECT_FALSE(sm_->IsPlaying(s));
    EXPECT_EQ(sm_->BufferCount(s), 0);
    EXPECT_TRUE(sm_->IsLoaded(s));
    sm_->Play(s, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);  // does nothing
    EXPECT_FALSE(sm_->IsPlaying(s));
  }
  EXPECT_EQ(sm_->PeekSample(fileSlot, 3), static_cast<uint16_t>(data[3]) * 0x10001u);
  sm_->Enable(1);
  for (int s : slots) {
    sm_->Play(s, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
    EXPECT_TRUE(sm_->IsPlaying(s)) << "slot " << s;
  }
  EXPECT_EQ(sm_->BufferCount(fileSlot), 3);
  EXPECT_EQ(sm_->BufferCount(memSlot), 3);

  // The refilled static buffer holds the sound again.
  sm_->StopAll();
  sm_->Device()->SetCapture(true);
  sm_->Play(resSlot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
  clock_.Advance(100);
  std::vector<int16_t> out = sm_->Device()->TakeCapture();
  for (size_t k = 0; k < 2205; ++k) ASSERT_EQ(out[2 * k], data[k]) << k;
  sm_->FreeSlot(resSlot);
  UnregisterResource("test_sound");
}

TEST_F(SoundTest, SlotsRunOutAtOneHundred) {
  std::vector<int> got;
  for (int i = 0; i < 100; ++i) got.push_back(sm_->AllocSlot());
  for (int i = 0; i < 100; ++i) ASSERT_EQ(got[i], i);
  EXPECT_EQ(sm_->AllocSlot(), -1);
  sm_->Unload(42);  // the reservation stays
  EXPECT_EQ(sm_->AllocSlot(), -1);
  sm_->FreeSlot(42);
  EXPECT_EQ(sm_->AllocSlot(), 42);
}

TEST_F(SoundTest, BadIdsAndEmptySlotsAreHarmless) {
  int empty = sm_->AllocSlot();
  for (int slot : {-1, 100, 1000, empty}) {
    std::vector<uint8_t> w = MakeWave(Pcm16(Pattern(10)), 1, kRate, 16);
    if (slot != empty) {
      EXPECT_FALSE(sm_->LoadWaveMemory(slot, w.data(), w.size(), 0, 1, 0));
    }
    sm_->Play(slot, 0, 0, 0, 0, 1);
    sm_->Stop(slot);
    sm_->FeedStream(slot, 1);
    sm_->SetPosition(slot, 10);
    sm_->SetVolume(slot, -100);
    sm_->RestoreLost(slot);
    EXPECT_FALSE(sm_->IsPlaying(slot));
    EXPECT_FALSE(sm_->IsLoaded(slot));
    EXPECT_EQ(sm_->GetPosition(slot), 0u);
    EXPECT_EQ(sm_->GetVolume(slot), 0);
    EXPECT_EQ(sm_->SampleRate(slot), 0u);
    EXPECT_EQ(sm_->SampleCount(slot), 0u);
    EXPECT_EQ(sm_->PeekSample(slot, 5), 0u);
    EXPECT_EQ(sm_->SampleData(slot), nullptr);
    sm_->Unload(slot);
    sm_->FreeSlot(slot);
  }
  EXPECT_FALSE(sm_->LoadWaveFile(sm_->AllocSlot(), (dir_ / "missing.wav").c_str(), 0, 1, 0));
  EXPECT_FALSE(sm_->LoadWaveFile(sm_->AllocSlot(), nullptr, 0, 1, 0));
}

// A sound that cannot be used says which file it is and why: the music is
// loaded by a screen that prints nothing of its own.
TEST_F(SoundTest, LoadFailuresNameTheFileAndTheReason) {
  fs::create_directories(dir_);
  const std::string empty = (dir_ / "theme.wav").string();
  const std::string junk = (dir_ / "junk.wav").string();
  const std::string missing = (dir_ / "missing.wav").string();
  { std::ofstream touch(empty); }
  std::ofstream(junk, std::ios::binary) << "RIFF not a wave at all";
  struct Case {
    std::string path;
    int streaming;
    const char* reason;
  } cases[] = {{empty, 1, "is empty"}, {junk, 0, "not a usable WAVE"}, {missing, 0, "no such file"}};
  for (const Case& c : cases) {
    std::vector<std::string> lines;
    DebugSink old = SetDebugSink([&](const std::string& l) { lines.push_back(l); });
    EXPECT_FALSE(sm_->LoadWaveFile(sm_->AllocSlot(), c.path.c_str(), c.streaming, 1, 0));
    SetDebugSink(old);
    std::string all;
    for (const std::string& l : lines) all += l;
    EXPECT_NE(all.find(c.path), std::string::npos) << all;
    EXPECT_NE(all.find(c.reason), std::string::npos) << all;
  }
}

TEST_F(SoundTest, LengthInFramesFromTheFileWithOrWithoutASlot) {
  // An event waits for a sound by its length in frames: read from the file
  // it is the same whether or not the sound loaded into a slot here, and a
  // loaded slot gives the same.
  fs::create_directories(dir_);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    int periodMs;
    int32_t frames;
  };
  const Case cases[] = {
      {"second.wav", MakeWave(std::vector<uint8_t>(22050), 1, 22050, 8), 66, 1000 / 66 + 1},
      {"stereo.wav", MakeWave(std::vector<uint8_t>(4 * 11025), 2, 22050, 16), 50, 500 / 50 + 1},
      {"short.wav", MakeWave(std::vector<uint8_t>(10), 1, 22050, 8), 66, 1},
      {"junk.wav", {'R', 'I', 'F', 'F', 1, 2, 3}, 66, 0},
      {"empty.wav", {}, 66, 0},
      {"second-no-period.wav", MakeWave(std::vector<uint8_t>(22050), 1, 22050, 8), 0, 0},
  };
  for (const Case& c : cases) {
    const std::string path = (dir_ / c.name).string();
    WriteFile(path, c.bytes);
    EXPECT_EQ(WaveFileFrames(path, c.periodMs), c.frames) << c.name;
  }
  EXPECT_EQ(WaveFileFrames((dir_ / "missing.wav").string(), 66), 0);
  const int slot = sm_->AllocSlot();
  ASSERT_TRUE(sm_->LoadWaveFile(slot, (dir_ / "stereo.wav").string().c_str(), 0, 1, 0));
  SoundManager* was = g_soundManager;
  g_soundManager = sm_.get();
  EXPECT_EQ(SoundLengthFrames(slot, 50), WaveFileFrames((dir_ / "stereo.wav").string(), 50));
  g_soundManager = was;
}

TEST_F(SoundTest, PeekSampleByFormat) {
  struct Case {
    uint16_t channels, bits;
    std::vector<uint8_t> bytes;
    int32_t index;
    uint32_t want;
    int format, bytesPerSample;
  } cases[] = {
      {1, 8, {0x80, 0xFF, 0x00}, 1, 0x7F007F00u, 1, 1},
      {1, 8, {0x80, 0xFF, 0x00}, 5, 0x80008000u, 1, 1},   // modulo the count
      {1, 8, {0x81, 0xFF, 0x00}, -4, 0x01000100u, 1, 1},  // negative is 0
      {2, 8, {0x80, 0x40, 0xC0, 0x00}, 1, 0x8000'4000u, 2, 2},
      {1, 16, {0x34, 0x12, 0xFF, 0xFF}, 1, 0xFFFFFFFFu, 3, 2},
      {1, 16, {0x34, 0x12, 0xFF, 0xFF}, 2, 0x12341234u, 3, 2},
      {2, 16, {0x01, 0x00, 0x02, 0x80, 0x03, 0x00, 0x04, 0x00}, 0, 0x80020001u, 4, 4},
  };
  for (const Case& c : cases) {
    int slot = sm_->AllocSlot();
    std::vector<uint8_t> w = MakeWave(c.bytes, c.channels, kRate, c.bits);
    ASSERT_TRUE(sm_->LoadWaveMemory(slot, w.data(), w.size(), 0, 1, 0));
    EXPECT_EQ(sm_->PeekSample(slot, c.index), c.want) << c.channels << "ch " << c.bits << " bits";
    EXPECT_EQ(sm_->SampleFormat(slot), c.format);
    EXPECT_EQ(sm_->BytesPerSample(slot), c.bytesPerSample);
    EXPECT_EQ(sm_->SampleCount(slot), c.bytes.size() / c.bytesPerSample);
    EXPECT_EQ(sm_->DataSize(slot), c.bytes.size());
    EXPECT_EQ(sm_->Channels(slot), c.channels);
    EXPECT_EQ(sm_->BitsPerSample(slot), c.bits);
    sm_->FreeSlot(slot);
  }
}

// A device that loses its buffers: Play restores and refills them and plays;
// one that keeps losing them gives up after a few tries instead of hanging.
TEST_F(SoundTest, LostBuffersAreRestoredAndRetriesAreBounded) {
  std::vector<int16_t> data = Pattern(200, 9);
  int slot = LoadPcm(data, 0, 3);
  sm_->Device()->SimulateLoss(AudioLossMode::kOnce);
  sm_->Device()->SetCapture(true);
  sm_->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
  EXPECT_TRUE(sm_->IsPlaying(slot));
  clock_.Advance(100);
  std::vector<int16_t> out = sm_->Device()->TakeCapture();
  for (size_t k = 0; k < 2205; ++k) ASSERT_EQ(out[2 * k], data[k]) << k;

  sm_->Device()->SimulateLoss(AudioLossMode::kAlways);
  sm_->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);  // returns
  EXPECT_FALSE(sm_->IsPlaying(slot));
  sm_->Device()->SimulateLoss(AudioLossMode::kNoRestore);
  sm_->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
  sm_->RestoreLost(slot);
  EXPECT_FALSE(sm_->IsPlaying(slot));
  sm_->Device()->SimulateLoss(AudioLossMode::kNone);
  sm_->RestoreLost(slot);
  sm_->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
  EXPECT_TRUE(sm_->IsPlaying(slot));
}

TEST_F(SoundTest, SoundOffWhenNoDeviceOpensAndDevicesListed) {
  EXPECT_GE(sm_->DeviceCount(), 1);
  EXPECT_STREQ(sm_->DeviceName(0).c_str(), "Default sound device");
  EXPECT_STREQ(sm_->DeviceName(sm_->DeviceCount()).c_str(), "");
  EXPECT_STREQ(sm_->DeviceName(-1).c_str(), "");
  sm_->SelectDevice(99);  // ignored

  // A manager made before any Enable stays silent but keeps its sounds.
  SoundManager off(nullptr);
  int slot = off.AllocSlot();
  std::vector<uint8_t> w = MakeWave(Pcm16(Pattern(50)), 1, kRate, 16);
  ASSERT_TRUE(off.LoadWaveMemory(slot, w.data(), w.size(), 0, 1, 0));
  off.Play(slot, 0, 0, 0, 0, 0);
  EXPECT_FALSE(off.IsPlaying(slot));
  EXPECT_EQ(off.BufferCount(slot), 0);
  EXPECT_EQ(off.SampleCount(slot), 1102u);
}

TEST_F(SoundTest, MasterGainsScaleTheWholeMix) {
  std::vector<int16_t> data(2205, 12000);
  int slot = LoadPcm(data);
  MixerSetMasterGain(0, MixerLevelToGain(65535 / 9 * 5, 65535));
  MixerSetMasterGain(1, 0.5f);
  sm_->Device()->SetCapture(true);
  sm_->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
  clock_.Advance(10);
  std::vector<int16_t> out = sm_->Device()->TakeCapture();
  MixerSetMasterGain(0, 1.0f);
  MixerSetMasterGain(1, 1.0f);
  ASSERT_FALSE(out.empty());
  EXPECT_NEAR(out[0], 12000 * (36405.0 / 65535.0) * 0.5, 1.0);
}

}  // namespace
