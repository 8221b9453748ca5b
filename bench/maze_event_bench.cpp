// 3D MAZE: what one event frame costs (the exchange, the four characters and
// their auto-pilots, monsters, shots and the key man, the ray-cast view or
// views with their things, the status bar, the automap and the names, and
// the flip) when nothing paces it, headless, against the 62 ms a frame of a
// maze running at its cap of 16 frames a second. Four computer players race
// to the exit; the intro, the race and the walk through the door all count
// at their share. The single view (one person at this machine) and the
// split screen (two views side by side, each 320 columns) are measured apart.
//
// Counters: frame_us and period_pct.
#include <benchmark/benchmark.h>

#include "bench/event_frame_bench.h"
#include "events/maze3d/maze3d_event.h"

namespace {

constexpr double kMazeFramePeriodMs = 62.0;

void BM_MazeEventFrame(benchmark::State& state) {
  BenchEventFrames(state, [] { return static_cast<GameScreen*>(new Maze3DEvent()); }, kMazeFramePeriodMs);
}
BENCHMARK(BM_MazeEventFrame)->Unit(benchmark::kMicrosecond)->Iterations(4000);

void BM_MazeSplitEventFrame(benchmark::State& state) {
  BenchEventFrames(state, [] { return static_cast<GameScreen*>(new Maze3DSplitEvent()); }, kMazeFramePeriodMs);
}
BENCHMARK(BM_MazeSplitEventFrame)->Unit(benchmark::kMicrosecond)->Iterations(4000);

}  // namespace
