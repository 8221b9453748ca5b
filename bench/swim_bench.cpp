// TROUBLED WATERS: what one race frame costs (the exchange, the swimmers,
// creatures and weapons, both maze views, the map and the status band, and
// the flip) when nothing paces it, headless, against the 66 ms the event
// gives a frame; and what laying out a course costs (carving the maze,
// scanning it, finding and writing the route) over a thousand seeds, the
// share of the loading picture's time that a slow maze could take.
//
// Counters: frame_us and period_pct (the frame as a share of its period;
// target under 2); course_p99_ms and course_max_ms over seeds 1..1000
// (targets 5 and 50).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "base/random.h"
#include "bench/event_frame_bench.h"
#include "events/troubled_waters/swim_course.h"
#include "events/troubled_waters/swim_event.h"

namespace {

void BM_SwimEventFrame(benchmark::State& state) {
  BenchEventFrames(state, [] { return static_cast<GameScreen*>(new swim::SwimEvent()); }, 66.0);
}
BENCHMARK(BM_SwimEventFrame)->Unit(benchmark::kMicrosecond)->Iterations(4000);

void BM_SwimCourseOverSeeds(benchmark::State& state) {
  swim::CourseSprites sprites;
  sprites.pumpFrames = 8;
  std::vector<double> ms;
  for (auto _ : state) {
    ms.clear();
    for (uint32_t seed = 1; seed <= 1000; ++seed) {
      SeedRandom(seed);
      swim::MazeGrid maze;
      auto t0 = std::chrono::steady_clock::now();
      swim::SwimCourse c = swim::LayOutCourse(maze, sprites);
      ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
      benchmark::DoNotOptimize(c.routeRooms);
    }
  }
  std::sort(ms.begin(), ms.end());
  state.counters["course_median_ms"] = ms[ms.size() / 2];
  state.counters["course_p99_ms"] = ms[ms.size() * 99 / 100];
  state.counters["course_max_ms"] = ms.back();
  state.SetLabel("maze carving, scan and route, seeds 1..1000");
}
BENCHMARK(BM_SwimCourseOverSeeds)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
