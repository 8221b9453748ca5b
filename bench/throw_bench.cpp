// COMPUTER THROW: what one event frame costs (the exchange, the state step,
// every actor, the whole picture with the status band, and the flip) when
// nothing paces it, headless, against the 65 ms the event gives a frame.
// Whole events are run over and over (four computer players), so turns,
// the judge, the announcements and the title card all count at their share.
//
// Counters: frame_us (mean wall time of a frame) and period_pct (that time
// as a share of the frame period; the target is under 2).
#include <benchmark/benchmark.h>

#include "bench/event_frame_bench.h"
#include "events/computer_throw/computer_throw_event.h"

namespace {

void BM_ThrowEventFrame(benchmark::State& state) {
  BenchEventFrames(state, [] { return static_cast<GameScreen*>(new ComputerThrowEvent()); }, 65.0);
}
BENCHMARK(BM_ThrowEventFrame)->Unit(benchmark::kMicrosecond)->Iterations(6000);

}  // namespace
