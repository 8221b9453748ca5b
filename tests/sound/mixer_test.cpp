// The mixer and its buffers, on the null device and the virtual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/clock.h"
#include "platform/audio.h"
#include "platform/mixer.h"

namespace {

constexpr uint32_t kRate = 22050;

AudioFormat Fmt(uint16_t channels, uint32_t rate, uint16_t bits) {
  AudioFormat f;
  f.channels = channels;
  f.samplesPerSec = rate;
  f.bitsPerSample = bits;
  return f;
}

void Write(AudioBuffer& b, const void* bytes, uint32_t n) {
  void *p1, *p2;
  uint32_t n1, n2;
  ASSERT_EQ(b.Lock(0, n, &p1, &n1, &p2, &n2, 0), kAudioOk);
  ASSERT_EQ(n1, n);
  std::memcpy(p1, bytes, n);
  ASSERT_EQ(b.Unlock(p1, n1, p2, n2), kAudioOk);
}

uint32_t Cursor(const AudioBuffer& b) {
  uint32_t play = 0;
  b.GetCurrentPosition(&play, nullptr);
  return play;
}

class MixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = SetClock(&clock_);
    AudioSetBackend(AudioBackend::kNull);
    MixerSetMasterGain(0, 1.0f);
    MixerSetMasterGain(1, 1.0f);
    device_ = AudioDevice::Open("", Fmt(1, kRate, 8));
    ASSERT_TRUE(device_);
    ASSERT_TRUE(device_->IsNull());
  }
  void TearDown() override {
    device_.reset();
    MixerSetMasterGain(0, 1.0f);
    MixerSetMasterGain(1, 1.0f);
    AudioSetBackend(AudioBackend::kAuto);
    SetClock(old_);
  }
  // A buffer of `frames` frames of 16-bit mono holding a constant value.
  std::unique_ptr<AudioBuffer> Dc(int16_t value, uint32_t frames) {
    auto b = device_->CreateBuffer(Fmt(1, kRate, 16), frames * 2, 0);
    std::vector<int16_t> s(frames, value);
    Write(*b, s.data(), frames * 2);
    return b;
  }

  VirtualClock clock_{1000};
  Clock* old_ = nullptr;
  std::unique_ptr<AudioDevice> device_;
};

// Two tones (16-bit mono panned, 8-bit stereo at -6 dB) and a master gain:
// every output sample is the gain-weighted sum, within rounding.
TEST_F(MixerTest, MixOfTwoTonesWithPanVolumeAndMasterGain) {
  constexpr uint32_t kFrames = 2205;  // 100 ms
  std::vector<int16_t> a(kFrames);
  std::vector<uint8_t> b(kFrames * 2);
  for (uint32_t k = 0; k < kFrames; ++k) {
    a[k] = static_cast<int16_t>(std::lround(9000.0 * std::sin(2 * M_PI * 440.0 * k / kRate)));
    b[2 * k] = static_cast<uint8_t>(128 + (k % 20) * 5);
    b[2 * k + 1] = static_cast<uint8_t>(128 - (k % 20) * 5);
  }
  auto bufA = device_->CreateBuffer(Fmt(1, kRate, 16), kFrames * 2, 0);
  auto bufB = device_->CreateBuffer(Fmt(2, kRate, 8), kFrames * 2, 0);
  Write(*bufA, a.data(), kFrames * 2);
  Write(*bufB, b.data(), kFrames * 2);
  ASSERT_EQ(bufA->SetPan(-3000), kAudioOk);  // right side down 30 dB
  ASSERT_EQ(bufB->SetVolume(-600), kAudioOk);
  MixerSetMasterGain(1, 0.5f);

  device_->SetCapture(true);
  ASSERT_EQ(bufA->Play(0), kAudioOk);
  ASSERT_EQ(bufB->Play(0), kAudioOk);
  clock_.Advance(150);
  std::vector<int16_t> out = device_->TakeCapture();
  ASSERT_EQ(out.size(), 2u * 3307);  // 150 ms at 22050 Hz

  const double gRight = std::pow(10.0, -3000 / 2000.0);
  const double gB = std::pow(10.0, -600 / 2000.0);
  for (uint32_t k = 0; k < kFrames; ++k) {
    double bl = (b[2 * k] - 128) * 256.0;
    double br = (b[2 * k + 1] - 128) * 256.0;
    double l = 0.5 * (a[k] + bl * gB);
    double r = 0.5 * (a[k] * gRight + br * gB);
    ASSERT_NEAR(out[2 * k], l, 1.0) << "frame " << k;
    ASSERT_NEAR(out[2 * k + 1], r, 1.0) << "frame " << k;
  }
  for (size_t i = 2 * kFrames; i < out.size(); ++i) ASSERT_EQ(out[i], 0) << "after the end";
  EXPECT_EQ(bufA->Status(), 0u);
}

TEST_F(MixerTest, VolumeAndPanTable) {
  struct Case {
    int32_t volume, pan;
    int left, right;
  } cases[] = {
      {0, 0, 10000, 10000},       {-10000, 0, 0, 0},        {0, 10000, 0, 10000},
      {0, -10000, 10000, 0},      {-2000, 0, 1000, 1000},   {0, 2000, 1000, 10000},
      {0, -2000, 10000, 1000},    {-2000, 2000, 100, 1000}, {-600, 0, 5012, 5012},
  };
  for (const Case& c : cases) {
    auto b = Dc(10000, 2205);
    ASSERT_EQ(b->SetVolume(c.volume), kAudioOk);
    ASSERT_EQ(b->SetPan(c.pan), kAudioOk);
    device_->SetCapture(true);
    b->Play(0);
    clock_.Advance(10);
    std::vector<int16_t> out = device_->TakeCapture();
    device_->SetCapture(false);
    ASSERT_FALSE(out.empty());
    EXPECT_NEAR(out[0], c.left, 1) << c.volume << "/" << c.pan;
    EXPECT_NEAR(out[1], c.right, 1) << c.volume << "/" << c.pan;
  }
}

TEST_F(MixerTest, LoudSumsClipInsteadOfWrapping) {
  auto a = Dc(30000, 2205);
  auto b = Dc(30000, 2205);
  auto c = Dc(-32768, 2205);
  device_->SetCapture(true);
  a->Play(0);
  b->Play(0);
  clock_.Advance(5);
  std::vector<int16_t> out = device_->TakeCapture();
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out[0], 32767);
  a->Stop();
  b->Stop();
  c->Play(0);
  auto d = Dc(-32768, 2205);
  d->Play(0);
  clock_.Advance(5);
  out = device_->TakeCapture();
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out[0], -32768);
}

// Play cursor, stop and loop on the virtual clock: one second of 16-bit mono.
TEST_F(MixerTest, CursorFollowsTheClockExactly) {
  auto b = Dc(1, kRate);
  const uint32_t size = kRate * 2;
  ASSERT_EQ(b->Size(), size);
  EXPECT_EQ(Cursor(*b), 0u);
  ASSERT_EQ(b->Play(0), kAudioOk);
  EXPECT_EQ(b->Status(), kAudioStatusPlaying);
  clock_.Advance(100);
  EXPECT_EQ(Cursor(*b), 2205u * 2);
  b->Stop();  // stop keeps the position
  clock_.Advance(500);
  EXPECT_EQ(Cursor(*b), 2205u * 2);
  EXPECT_EQ(b->Status(), 0u);
  b->Play(0);  // and play goes on from there
  clock_.Advance(899);
  EXPECT_TRUE(b->Status() & kAudioStatusPlaying);
  clock_.Advance(2);  // past the end: stops by itself, cursor back at 0
  EXPECT_EQ(b->Status(), 0u);
  EXPECT_EQ(Cursor(*b), 0u);

  ASSERT_EQ(b->Play(kAudioPlayLooping), kAudioOk);
  EXPECT_EQ(b->Status(), kAudioStatusPlaying | kAudioStatusLooping);
  clock_.Advance(2250);
  EXPECT_EQ(Cursor(*b), 5512u * 2);  // 0.25 s into the third lap
  ASSERT_EQ(b->SetCurrentPosition(101), kAudioOk);  // rounded down to a whole frame
  EXPECT_EQ(Cursor(*b), 100u);
  EXPECT_EQ(b->SetCurrentPosition(size), kAudioErrInvalid);
  EXPECT_EQ(Cursor(*b), 100u);
}

TEST_F(MixerTest, DuplicatesShareDataButNotCursorsOrSettings) {
  auto master = Dc(1000, kRate);
  auto dup = device_->DuplicateBuffer(*master);
  ASSERT_TRUE(dup);
  EXPECT_EQ(dup->Size(), master->Size());
  master->Play(0);
  clock_.Advance(200);
  dup->Play(0);
  clock_.Advance(100);
  EXPECT_EQ(Cursor(*master), 6615u * 2);
  EXPECT_EQ(Cursor(*dup), 2205u * 2);
  master->Stop();
  dup->Stop();

  // Data written through the master plays from the duplicate.
  std::vector<int16_t> s(kRate, -2000);
  Write(*master, s.data(), kRate * 2);
  dup->SetVolume(-10000);
  EXPECT_EQ(master->Volume(), 0);
  dup->SetVolume(0);
  dup->SetCurrentPosition(0);
  device_->SetCapture(true);
  dup->Play(0);
  clock_.Advance(10);
  std::vector<int16_t> out = device_->TakeCapture();
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out[0], -2000);
  EXPECT_EQ(out[1], -2000);
}

// The frequency is a resampling ratio: a sound at half the output rate has
// every other output sample interpolated, and a higher frequency plays faster.
TEST_F(MixerTest, FrequencyResamples) {
  std::vector<int16_t> ramp(1103);
  for (size_t k = 0; k < ramp.size(); ++k) ramp[k] = static_cast<int16_t>(k * 20);
  auto b = device_->CreateBuffer(Fmt(1, 11025, 16), static_cast<uint32_t>(ramp.size() * 2), 0);
  Write(*b, ramp.data(), static_cast<uint32_t>(ramp.size() * 2));
  EXPECT_EQ(b->Frequency(), 11025u);
  device_->SetCapture(true);
  b->Play(0);
  clock_.Advance(90);
  EXPECT_TRUE(b->Status() & kAudioStatusPlaying);  // 100 ms of sound
  std::vector<int16_t> out = device_->TakeCapture();
  ASSERT_EQ(out.size(), 2u * 1984);
  for (size_t k = 0; k < 990; ++k) {
    ASSERT_EQ(out[4 * k], ramp[k]);
    ASSERT_EQ(out[4 * k + 2], ramp[k] + 10);
  }
  clock_.Advance(11);
  EXPECT_EQ(b->Status(), 0u);

  ASSERT_EQ(b->SetFrequency(44100), kAudioOk);  // now four times as fast: 25 ms
  EXPECT_EQ(b->Frequency(), 44100u);
  b->Play(0);
  clock_.Advance(24);
  EXPECT_TRUE(b->Status() & kAudioStatusPlaying);
  clock_.Advance(2);
  EXPECT_EQ(b->Status(), 0u);
  ASSERT_EQ(b->SetFrequency(0), kAudioOk);  // back to its own rate
  EXPECT_EQ(b->Frequency(), 11025u);
}

TEST_F(MixerTest, LockWrapsAndRefusesBadRequests) {
  auto b = device_->CreateBuffer(Fmt(1, kRate, 8), 100, 0);
  ASSERT_TRUE(b);
  void *p1, *p2;
  uint32_t n1, n2;
  ASSERT_EQ(b->Lock(90, 20, &p1, &n1, &p2, &n2, 0), kAudioOk);
  EXPECT_EQ(n1, 10u);
  EXPECT_EQ(n2, 10u);
  EXPECT_EQ(static_cast<uint8_t*>(p1)[0], 0x80);  // a new 8-bit buffer is silent
  void *q1, *q2;
  uint32_t m1, m2;
  EXPECT_EQ(b->Lock(0, 10, &q1, &m1, &q2, &m2, 0), kAudioErrInvalid);  // one lock at a time
  std::memset(p1, 1, n1);
  std::memset(p2, 2, n2);
  ASSERT_EQ(b->Unlock(p1, n1, p2, n2), kAudioOk);
  ASSERT_EQ(b->Lock(0, 0, &p1, &n1, &p2, &n2, kAudioLockEntireBuffer), kAudioOk);
  ASSERT_EQ(n1, 100u);
  auto* all = static_cast<uint8_t*>(p1);
  EXPECT_EQ(all[0], 2);
  EXPECT_EQ(all[9], 2);
  EXPECT_EQ(all[10], 0x80);
  EXPECT_EQ(all[90], 1);
  EXPECT_EQ(all[99], 1);
  ASSERT_EQ(b->Unlock(p1, n1, p2, n2), kAudioOk);

  EXPECT_EQ(b->Lock(100, 1, &p1, &n1, &p2, &n2, 0), kAudioErrInvalid);
  EXPECT_EQ(b->Lock(0, 101, &p1, &n1, &p2, &n2, 0), kAudioErrInvalid);
  EXPECT_EQ(b->Lock(0, 0, &p1, &n1, &p2, &n2, 0), kAudioErrInvalid);
  EXPECT_EQ(b->Unlock(p1, 1, nullptr, 0), kAudioErrInvalid);  // not locked
}

TEST_F(MixerTest, BadSettingsAndFormatsAreRefused) {
  auto b = Dc(0, 100);
  EXPECT_EQ(b->SetVolume(1), kAudioErrInvalid);
  EXPECT_EQ(b->SetVolume(-10001), kAudioErrInvalid);
  EXPECT_EQ(b->SetPan(10001), kAudioErrInvalid);
  EXPECT_EQ(b->SetFrequency(99), kAudioErrInvalid);
  EXPECT_EQ(b->SetFrequency(200001), kAudioErrInvalid);
  EXPECT_EQ(b->Volume(), 0);
  EXPECT_EQ(b->Pan(), 0);

  EXPECT_FALSE(device_->CreateBuffer(Fmt(3, kRate, 16), 600, 0));
  EXPECT_FALSE(device_->CreateBuffer(Fmt(1, kRate, 24), 600, 0));
  EXPECT_FALSE(device_->CreateBuffer(Fmt(1, 0, 16), 600, 0));
  EXPECT_FALSE(device_->CreateBuffer(Fmt(2, kRate, 16), 3, 0));  // less than a frame
  auto odd = device_->CreateBuffer(Fmt(2, kRate, 16), 10, 0);    // cut to whole frames
  ASSERT_TRUE(odd);
  EXPECT_EQ(odd->Size(), 8u);
}

TEST_F(MixerTest, LostBuffersReportLossUntilRestored) {
  auto b = Dc(500, 2205);
  b->Play(kAudioPlayLooping);
  device_->SimulateLoss(AudioLossMode::kOnce);
  EXPECT_EQ(b->Status(), kAudioStatusBufferLost);
  EXPECT_EQ(b->Play(0), kAudioErrBufferLost);
  void *p1, *p2;
  uint32_t n1, n2;
  EXPECT_EQ(b->Lock(0, 2, &p1, &n1, &p2, &n2, 0), kAudioErrBufferLost);
  EXPECT_EQ(b->Restore(), kAudioOk);
  EXPECT_EQ(b->Play(0), kAudioOk);

  device_->SimulateLoss(AudioLossMode::kNoRestore);
  EXPECT_EQ(b->Restore(), kAudioErrFailed);
  device_->SimulateLoss(AudioLossMode::kAlways);
  EXPECT_EQ(b->Restore(), kAudioOk);
  EXPECT_EQ(b->Play(0), kAudioErrBufferLost);
  device_->SimulateLoss(AudioLossMode::kNone);
  EXPECT_EQ(b->Play(0), kAudioOk);
}

TEST_F(MixerTest, BufferOutlivingItsDeviceIsHarmless) {
  auto b = Dc(500, 2205);
  b->Play(0);
  device_.reset();
  clock_.Advance(50);
  EXPECT_EQ(b->Status(), kAudioStatusPlaying);  // frozen, not advanced
  b->Stop();
  b.reset();
}

TEST_F(MixerTest, ClockSetBackOwesNothing) {
  auto b = Dc(500, kRate);
  b->Play(0);
  clock_.Advance(100);
  EXPECT_EQ(Cursor(*b), 4410u);
  clock_.Set(500);  // earlier than now
  EXPECT_EQ(Cursor(*b), 4410u);
  clock_.Advance(100);
  EXPECT_EQ(Cursor(*b), 8820u);
}

TEST(MixerGain, LevelsAndDecibels) {
  EXPECT_EQ(MixerDbToGain(0), 1.0f);
  EXPECT_EQ(MixerDbToGain(-10000), 0.0f);
  EXPECT_EQ(MixerDbToGain(-20000), 0.0f);
  EXPECT_NEAR(MixerDbToGain(-2000), 0.1f, 1e-6);
  EXPECT_EQ(MixerLevelToGain(0, 65535), 0.0f);
  EXPECT_EQ(MixerLevelToGain(65535, 65535), 1.0f);
  EXPECT_EQ(MixerLevelToGain(5, 0), 0.0f);
  EXPECT_NEAR(MixerLevelToGain(65535 / 9 * 5, 65535), 0.5555, 1e-3);
  MixerSetMasterGain(0, 2.0f);
  EXPECT_EQ(MixerGetMasterGain(0), 1.0f);
  MixerSetMasterGain(0, std::nanf(""));
  EXPECT_EQ(MixerGetMasterGain(0), 0.0f);
  MixerSetMasterGain(5, 0.5f);  // no such line
  EXPECT_EQ(MixerGetMasterGain(5), 0.0f);
  MixerSetMasterGain(0, 1.0f);
}

}  // namespace

// The real device path through SDL's callback (the dummy driver in tests): the
// cursor moves on in real time in steps of at most kAudioMaxStepMs and a short
// sound ends by itself.
TEST(MixerSdl, PlaysThroughTheCallback) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);  // a test never sounds on the machine
  AudioSetBackend(AudioBackend::kSdl);
  AudioFormat primary;
  auto device = AudioDevice::Open("", primary);
  AudioSetBackend(AudioBackend::kAuto);
  if (!device) GTEST_SKIP() << "no SDL audio driver here";
  EXPECT_FALSE(device->IsNull());
  AudioFormat f;
  f.channels = 1;
  f.bitsPerSample = 16;
  f.samplesPerSec = 22050;
  auto b = device->CreateBuffer(f, 22050 * 2 / 5, 0);  // 200 ms
  ASSERT_TRUE(b);
  ASSERT_EQ(b->Play(0), kAudioOk);
  const uint32_t maxStep = 22050 * kAudioMaxStepMs / 1000 * 2;
  uint32_t last = 0, smallest = ~0u;
  bool moved = false;
  RealClock real;
  uint32_t start = real.NowMs();
  while ((b->Status() & kAudioStatusPlaying) && real.NowMs() - start < 10000) {
    uint32_t play = 0;
    b->GetCurrentPosition(&play, nullptr);
    if (play > last) {
      smallest = std::min(smallest, play - last);
      moved = true;
    }
    last = play;
    real.SleepMs(1);
  }
  EXPECT_TRUE(moved);
  EXPECT_LE(smallest, maxStep);
  EXPECT_EQ(b->Status(), 0u) << "the sound should have ended within 10 s";
  b.reset();
  device.reset();
}
