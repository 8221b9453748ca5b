// HIPPO RUN: what one event frame costs (the exchange, the contacts, every
// actor, the course picture with the draw list, the map, the panels and the
// status band, and the flip) when nothing paces it, headless, against the
// 65 ms the event gives a frame. Four computer players race; the title, the
// race and its finish all count at their share.
//
// Counters: frame_us and period_pct (the target is under 2).
#include <benchmark/benchmark.h>

#include "bench/event_frame_bench.h"
#include "events/hippo_run/hippo_run_event.h"

namespace {

void BM_HippoEventFrame(benchmark::State& state) {
  BenchEventFrames(state, [] { return static_cast<GameScreen*>(new HippoRunEvent()); }, 65.0);
}
BENCHMARK(BM_HippoEventFrame)->Unit(benchmark::kMicrosecond)->Iterations(6000);

}  // namespace
