// Cost of the game's own mixer: 32 looping voices (the four sample formats, at
// their own rate and resampled, panned and attenuated) mixed for one second of
// output per iteration on the null device. The "cpu_per_sound_s" counter is
// the least processor time one second of sound took, in seconds, so 0.01
// there means 1% of one core (target: below 0.01).
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "base/clock.h"
#include "platform/audio.h"

namespace {

double ProcessCpuSeconds() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

void BM_Mix32Voices(benchmark::State& state) {
  const uint32_t outRate = static_cast<uint32_t>(state.range(0));
  const bool allResampled = state.range(1) != 0;
  VirtualClock clock;
  Clock* old = SetClock(&clock);
  AudioSetBackend(AudioBackend::kNull);
  {
    AudioFormat primary;
    primary.samplesPerSec = outRate;
    auto device = AudioDevice::Open("", primary);
    std::vector<std::unique_ptr<AudioBuffer>> voices;
    const uint32_t rates[] = {22050, 11025, 44100, 22050};
    for (int i = 0; i < 32; ++i) {
      AudioFormat f;
      f.channels = static_cast<uint16_t>(1 + (i & 1));
      f.bitsPerSample = static_cast<uint16_t>((i & 2) ? 16 : 8);
      f.samplesPerSec = rates[(i / 4) % 4];
      uint32_t bytes = f.BlockAlign() * f.samplesPerSec * (1 + i % 3) / 2;  // 0.5 to 1.5 s
      auto b = device->CreateBuffer(f, bytes, 0);
      void *p1, *p2;
      uint32_t n1, n2;
      b->Lock(0, 0, &p1, &n1, &p2, &n2, kAudioLockEntireBuffer);
      auto* d = static_cast<uint8_t*>(p1);
      for (uint32_t k = 0; k < n1; ++k) d[k] = static_cast<uint8_t>(k * (i + 3));
      b->Unlock(p1, n1, p2, n2);
      b->SetVolume(-(i * 97) % 3000);
      b->SetPan((i * 613) % 20001 - 10000);
      if (allResampled || i % 3 == 0) b->SetFrequency(f.samplesPerSec + 37 * (i + 1));
      b->Play(kAudioPlayLooping);
      voices.push_back(std::move(b));
    }
    device->SetCapture(true);
    // The processor time of each second of sound; the least of them is the
    // figure (a busy machine only ever adds to it).
    double best = 1e30;
    for (auto _ : state) {
      const double c0 = ProcessCpuSeconds();
      clock.Advance(1000);  // one second of sound
      std::vector<int16_t> out = device->TakeCapture();
      benchmark::DoNotOptimize(out.data());
      best = std::min(best, ProcessCpuSeconds() - c0);
    }
    if (state.iterations() > 0) state.counters["cpu_per_sound_s"] = best;
    voices.clear();
  }
  AudioSetBackend(AudioBackend::kAuto);
  SetClock(old);
}
BENCHMARK(BM_Mix32Voices)
    ->ArgNames({"rate", "resampled"})
    ->Args({22050, 0})
    ->Args({44100, 0})
    ->Args({22050, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
