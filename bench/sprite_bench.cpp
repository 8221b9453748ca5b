// Sprite drawing speed: a run-length frame and a raw (keyed) frame of the same
// actor-like picture drawn onto a 640x480 back buffer, against memcpy of the
// same bytes. SpriteDrawRatios reports the two ratios directly (targets: the
// run-length draw within 3x of memcpy, the raw keyed draw within 2x).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "bench/batches.h"
#include "graphics/mbm_writer.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"

namespace {

constexpr int kW = 96, kH = 96;

// An actor-like picture: an opaque ellipse on a transparent ground with a few
// transparent holes inside.
std::vector<uint8_t> ActorPicture() {
  std::vector<uint8_t> p(kW * kH, 1);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const double dx = (x - kW / 2.0) / (kW / 2.0), dy = (y - kH / 2.0) / (kH / 2.0);
      if (dx * dx + dy * dy < 1.0) p[y * kW + x] = static_cast<uint8_t>(2 + (x * 7 + y * 13) % 250);
      if ((x / 8 + y / 8) % 9 == 4) p[y * kW + x] = 1;
    }
  return p;
}

struct Fixture {
  Sprite sprite;
  DDSurface target{640, 480, 4};
  std::vector<uint8_t> source;
  Fixture() {
    const std::vector<uint8_t> pic = ActorPicture();
    std::vector<MbmFrameSpec> frames = {{"raw", kW, kH, pic, false, {}}, {"rle", kW, kH, pic, true, {}}};
    sprite.OpenMemory(BuildMbm(frames, nullptr), 0x28);
    source = pic;
  }
};

Fixture& GetFixture() {
  static Fixture f;
  return f;
}

void DrawRunLength(Fixture& f) { f.sprite.DrawFrame(2, &f.target, 200, 150); }
void DrawRaw(Fixture& f) { f.sprite.DrawFrame(1, &f.target, 200, 150); }
void CopyBytes(Fixture& f) {
  for (int y = 0; y < kH; ++y) std::memcpy(f.target.Row(150 + y) + 200, &f.source[y * kW], kW);
}

void BM_SpriteDrawRunLength(benchmark::State& state) {
  Fixture& f = GetFixture();
  for (auto _ : state) {
    DrawRunLength(f);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_SpriteDrawRunLength);

void BM_SpriteDrawRawKeyed(benchmark::State& state) {
  Fixture& f = GetFixture();
  for (auto _ : state) {
    DrawRaw(f);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_SpriteDrawRawKeyed);

void BM_SpriteMemcpyOfDrawnBytes(benchmark::State& state) {
  Fixture& f = GetFixture();
  for (auto _ : state) {
    CopyBytes(f);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_SpriteMemcpyOfDrawnBytes);

// Short batches of memcpy, the run-length draw and the raw draw in turn,
// round after round: the fastest batch of each makes the ratios (a busy
// machine only ever makes a batch slower), the rounds' own ratios their
// spread (rle_over_memcpy_lo and _hi, raw_over_memcpy_lo and _hi).
void BM_SpriteDrawRatios(benchmark::State& state) {
  Fixture& f = GetFixture();
  InterleavedBatches batches(3);
  for (auto _ : state)
    for (int round = 0; round < 50; ++round) {
      batches.Batch(0, 200, [&] { CopyBytes(f); });
      batches.Batch(1, 200, [&] { DrawRunLength(f); });
      batches.Batch(2, 200, [&] { DrawRaw(f); });
    }
  state.counters["memcpy_ns"] = batches.Best(0) * 1e9;
  batches.ReportRatio(state, "rle_over_memcpy", 1, 0);
  batches.ReportRatio(state, "raw_over_memcpy", 2, 0);
}
BENCHMARK(BM_SpriteDrawRatios)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
