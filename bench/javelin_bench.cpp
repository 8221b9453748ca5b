// JAVELIN CATCH: what one frame costs (the exchange, the four contestants,
// the cannon and everything it fired, the depth-sorted field over its tile
// picture, the status band, the mode icons and the clock) when nothing paces
// it, headless, against the 66 ms the event gives a frame.
//
// Counters: frame_us and period_pct (the frame as a share of its period;
// target under 2).
#include <benchmark/benchmark.h>

#include "bench/event_frame_bench.h"
#include "events/javelin_catch/javelin_event.h"
#include "events/javelin_catch/jc_rules.h"

namespace {

void BM_JavelinEventFrame(benchmark::State& state) {
  BenchEventFrames(state, [] { return static_cast<GameScreen*>(new jc::JavelinEvent()); }, jc::kFramePeriodMs);
}
BENCHMARK(BM_JavelinEventFrame)->Unit(benchmark::kMicrosecond)->Iterations(6000);

}  // namespace
