// PLATFORM KICKBOXING: what one frame costs (the exchange, the pillars and
// the four fighters with their sparks and weapons, the depth-sorted scene
// with its 100 pillars, the status band and the clock) when nothing paces
// it, headless, against the 65 ms the event gives a frame.
//
// Counters: frame_us and period_pct (the frame as a share of its period;
// target under 2).
#include <benchmark/benchmark.h>

#include "bench/event_frame_bench.h"
#include "events/kickboxing/kick_rules.h"
#include "events/kickboxing/kickboxing_event.h"

namespace {

void BM_KickboxingEventFrame(benchmark::State& state) {
  BenchEventFrames(state, [] { return static_cast<GameScreen*>(new kick::KickboxingEvent()); }, kick::kFramePeriodMs);
}
BENCHMARK(BM_KickboxingEventFrame)->Unit(benchmark::kMicrosecond)->Iterations(6000);

}  // namespace
