// NICE DOGGIE JUMP: what one event frame costs (the exchange, the turn's
// state, every actor of the course and the jumper, the whole picture with
// the judge's board, the meter, the record panel and the status band, and
// the flip) when nothing paces it, headless, against the 65 ms the event
// gives a frame. Four computer players jump; the title, the run-ups, the
// flights, the judge, the announcements and the new course of each turn
// all count at their share.
//
// Counters: frame_us and period_pct (the target is under 2).
#include <benchmark/benchmark.h>

#include "bench/event_frame_bench.h"
#include "events/doggie_jump/doggie_jump_event.h"

namespace {

void BM_DoggieEventFrame(benchmark::State& state) {
  BenchEventFrames(state, [] { return static_cast<GameScreen*>(new DoggieJumpEvent()); }, 65.0);
}
BENCHMARK(BM_DoggieEventFrame)->Unit(benchmark::kMicrosecond)->Iterations(6000);

}  // namespace
