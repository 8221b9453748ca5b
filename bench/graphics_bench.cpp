// Drawing-core speed, each against memcpy of the same bytes (counter
// "vs_memcpy": 1.0 means as fast as memcpy; the fastest of interleaved
// batches of each, with vs_memcpy_lo and vs_memcpy_hi, the range of the
// batches' own ratios). Targets: the full-screen opaque blit within 1.5x of
// memcpy; the present conversion of a changed frame under 1 ms a frame.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "bench/batches.h"
#include "graphics/surface.h"
#include "platform/presenter.h"

namespace {

template <typename F>
double NanosPerCall(F&& f, int calls) {
  f();  // warm up
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; ++i) {
    f();
    benchmark::ClobberMemory();
  }
  auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::nano>(end - start).count() / calls;
}

double MemcpyNanos(size_t bytes, int calls) {
  std::vector<uint8_t> a(bytes, 1), b(bytes);
  return NanosPerCall(
      [&] {
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::DoNotOptimize(b.data());
      },
      calls);
}

void FillPattern(DDSurface& s) {
  for (int y = 0; y < s.GetHeight(); ++y)
    for (int x = 0; x < s.GetWidth(); ++x) s.Row(y)[x] = uint8_t((x * 7 + y * 13) & 0xFF);
}

void BM_KeyedBlit100x100(benchmark::State& state) {
  DDSurface target(640, 480, kFormatIndexed8);
  DDSurface sprite(100, 100, kFormatIndexed8);
  FillPattern(sprite);  // about one pixel in 256... plus a keyed border below
  sprite.FillRect(0, 0, 100, 10, 1);
  auto op = [&] { target.BltKeyed(270, 190, 100, 100, &sprite, 0, 0); };
  for (auto _ : state) {
    op();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 100 * 100);
  state.counters["vs_memcpy"] = NanosPerCall(op, 2000) / MemcpyNanos(100 * 100, 2000);
}
BENCHMARK(BM_KeyedBlit100x100);

// The fastest of interleaved batches of op and of memcpy of `bytes`.
template <typename F>
void ReportVsMemcpy(benchmark::State& state, F&& op, size_t bytes, int calls) {
  std::vector<uint8_t> a(bytes, 1), b(bytes);
  InterleavedBatches batches(2);
  for (int round = 0; round < 30; ++round) {
    batches.Batch(0, calls, op);
    batches.Batch(1, calls, [&] {
      std::memcpy(b.data(), a.data(), bytes);
      benchmark::DoNotOptimize(b.data());
    });
  }
  batches.ReportRatio(state, "vs_memcpy", 0, 1);
  state.counters["ms_per_call"] = batches.Best(0) * 1e3;
}

void BM_FullScreenOpaqueBlit(benchmark::State& state) {
  DDSurface target(640, 480, kFormatIndexed8);
  DDSurface picture(640, 480, kFormatIndexed8);
  FillPattern(picture);
  auto op = [&] { target.Blt(0, 0, 640, 480, &picture, 0, 0); };
  for (auto _ : state) {
    op();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 640 * 480);
  ReportVsMemcpy(state, op, 640 * 480, 20);
}
BENCHMARK(BM_FullScreenOpaqueBlit);

// Every call presents a frame that differs from the one before in every
// row, as an event's moving picture does: a still frame would only be
// compared with the last one.
void BM_PresentConversion640x480x8(benchmark::State& state) {
  DDSurface frames[2] = {DDSurface(640, 480, kFormatIndexed8), DDSurface(640, 480, kFormatIndexed8)};
  FillPattern(frames[0]);
  FillPattern(frames[1]);
  for (int y = 0; y < 480; ++y)
    for (int x = y % 7; x < 640; x += 61) frames[1].Row(y)[x] ^= 0x55;
  PresentColour palette[256];
  for (int i = 0; i < 256; ++i) palette[i] = PresentColour{uint8_t(i), uint8_t(255 - i), 7};
  MemoryPresenter presenter;
  int n = 0;
  auto op = [&] {
    const DDSurface& frame = frames[n++ & 1];
    presenter.PresentIndexed(frame.Row(0), 640, 480, frame.GetPitch(), palette);
  };
  for (auto _ : state) {
    op();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 640 * 480);
  ReportVsMemcpy(state, op, 640 * 480, 10);
  state.counters["ms_per_frame"] = state.counters["ms_per_call"];
}
BENCHMARK(BM_PresentConversion640x480x8);

}  // namespace
