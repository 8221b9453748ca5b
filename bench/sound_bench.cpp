// Cost of the game's own mixer: 32 looping voices (the four sample formats, at
// their own rate and resampled, panned and attenuated) mixed for one second of
// output per iteration on the null device. The "cpu_per_sound_s" counter is
// the CPU time spent per second of sound, so 10ms there means 1% of one core
// (target: below 10ms).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "base/clock.h"
#include "platform/audio.h"

namespace {

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
    for (auto _ : state) {
      clock.Advance(1000);  // one second of sound
      std::vector<int16_t> out = device->TakeCapture();
      benchmark::DoNotOptimize(out.data());
    }
    state.counters["cpu_per_sound_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
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
