// FULL CONTACT FIGURE SKATING: what one event frame costs (the exchange, the
// skaters and their weapons, the draw order, the rink view with the boards,
// the status band and the clock panel, and the flip) when nothing paces it,
// headless, against the 66 ms the event gives a frame. Whole events are run
// over and over (four computer players), so the intro counts at its share.
//
// Counters: frame_us (mean wall time of a frame) and period_pct (that time
// as a share of the frame period; the target is under 2).
#include <benchmark/benchmark.h>

#include "bench/event_frame_bench.h"
#include "events/figure_skating/figure_skating_event.h"
#include "events/figure_skating/skating_rules.h"

namespace {

void BM_SkatingEventFrame(benchmark::State& state) {
  BenchEventFrames(state, [] { return static_cast<GameScreen*>(new FigureSkatingEvent()); },
                   skaterules::kFramePeriodMs);
}
BENCHMARK(BM_SkatingEventFrame)->Unit(benchmark::kMicrosecond)->Iterations(6000);

}  // namespace
