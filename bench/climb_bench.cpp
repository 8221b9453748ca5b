// CRAZY CLIMBING: what one event frame costs (the exchange, the hazard
// schedule, the four climbers with their contacts, hits and thrown weapons,
// the whole view of the building with the status band, the map and the
// clock, and the flip) when nothing paces it, headless, against the 65 ms
// the event gives a frame. With computer players alone the race would be
// over at once, so player 1 is a person who stays at the street while the
// view follows the computer climber of player 0 up the building; the intro,
// the race and the helicopters all count at their share.
//
// Counters: frame_us and period_pct (the target is under 2).
#include <benchmark/benchmark.h>

#include "bench/event_frame_bench.h"
#include "events/climbing/climbing_event.h"

namespace {

void BM_ClimbEventFrame(benchmark::State& state) {
  auto players = ComputerFixtures();
  players[1] = FixturePlayer(1, true, "STREET");
  BenchEventFrames(state, [] { return static_cast<GameScreen*>(new ClimbingEvent()); }, 65.0, players);
}
BENCHMARK(BM_ClimbEventFrame)->Unit(benchmark::kMicrosecond)->Iterations(6000);

}  // namespace
