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
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/game_screen.h"
#include "app/game_screen_services.h"
#include "base/clock.h"
#include "base/player_records.h"
#include "base/random.h"
#include "base/stopwatch.h"
#include "events/troubled_waters/swim_course.h"
#include "events/troubled_waters/swim_event.h"
#include "tests/support/event_harness.h"

namespace {

constexpr double kFramePeriodMs = 66.0;

void BM_SwimEventFrame(benchmark::State& state) {
  setenv("KELVANTHROP_HEADLESS", "1", 0);
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("KELVANTHROP_DATA_ROOT", (std::string(KEL_BINARY_DIR) + "/gamedata").c_str(), 0);
  VirtualClock clock(1);
  Clock* saved = SetClock(&clock);
  const bool ownServices = !g_timers && ShellCreateServices();
  const int32_t savedSpeed = g_gameSpeed;
  g_gameSpeed = 5;  // unpaced
  g_playMode = 0;
  g_localPlayers[0] = 0;
  g_localPlayers[1] = 1;
  g_shellState = kShellEvent;
  auto fixtures = ComputerFixtures();
  auto reset = [&] { std::memcpy(g_players, fixtures.data(), sizeof g_players); };
  reset();
  GameScreen* screen = new swim::SwimEvent();

  double seconds = 0;
  int64_t frames = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    int r = screen->Run();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    ++frames;
    clock.Advance(static_cast<uint32_t>(kFramePeriodMs));
    if (r != 0) {
      state.PauseTiming();
      delete screen;
      reset();
      screen = new swim::SwimEvent();
      state.ResumeTiming();
    }
  }
  delete screen;
  g_gameSpeed = savedSpeed;
  if (ownServices) ShellDestroyServices();
  SetClock(saved);
  const double frameMs = frames ? seconds * 1000.0 / frames : 0;
  state.counters["frame_us"] = frameMs * 1000.0;
  state.counters["period_pct"] = 100.0 * frameMs / kFramePeriodMs;
  state.SetLabel("one frame of Run, unpaced, headless");
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
