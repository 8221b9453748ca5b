// ROLLER DERBY: what one event frame costs (the exchange, every object on
// the track, both chase cameras, two 3D views of the track side by side for
// two players on one machine, the status band, the clock and the track map,
// and the flip) when nothing paces it, headless, against the 100 ms the
// event gives a frame. Four computer skaters race; the announcer's
// introduction, the race and its finish all count at their share.
//
// Counters: frame_us and period_pct.
#include <benchmark/benchmark.h>

#include "base/player_records.h"
#include "bench/event_frame_bench.h"
#include "events/roller_derby/derby_event.h"

namespace {

void BM_DerbyEventFrameTwoViews(benchmark::State& state) {
  BenchEventFrames(state,
                   [] {
                     // Two players on one machine: both views are drawn.
                     g_playMode = 1;
                     g_localPlayers[1] = 1;
                     return static_cast<GameScreen*>(new derby::RollerDerbyEvent());
                   },
                   100.0);
}
BENCHMARK(BM_DerbyEventFrameTwoViews)->Unit(benchmark::kMicrosecond)->Iterations(3000);

}  // namespace
