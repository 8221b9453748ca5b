// FULL CONTACT FIGURE SKATING: what one event frame costs (the exchange, the
// skaters and their weapons, the draw order, the rink view with the boards,
// the status band and the clock panel, and the flip) when nothing paces it,
// headless, against the 66 ms the event gives a frame. Whole events are run
// over and over (four computer players), so the intro counts at its share.
//
// Counters: frame_us (mean wall time of a frame) and period_pct (that time
// as a share of the frame period; the target is under 2).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "screen/game_screen.h"
#include "screen/game_screen_services.h"
#include "base/clock.h"
#include "base/player_records.h"
#include "base/stopwatch.h"
#include "events/figure_skating/figure_skating_event.h"
#include "events/figure_skating/skating_rules.h"
#include "tests/support/event_harness.h"

namespace {

void BM_SkatingEventFrame(benchmark::State& state) {
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
  fixtures[3] = FixturePlayer(5, false, "CPU4", 3);
  auto reset = [&] { std::memcpy(g_players, fixtures.data(), sizeof g_players); };
  reset();
  GameScreen* screen = new FigureSkatingEvent();

  double seconds = 0;
  int64_t frames = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    int r = screen->Run();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    ++frames;
    clock.Advance(static_cast<uint32_t>(skaterules::kFramePeriodMs));
    if (r != 0) {
      state.PauseTiming();
      delete screen;
      reset();
      screen = new FigureSkatingEvent();
      state.ResumeTiming();
    }
  }
  delete screen;
  g_gameSpeed = savedSpeed;
  if (ownServices) ShellDestroyServices();
  SetClock(saved);
  const double frameMs = frames ? seconds * 1000.0 / frames : 0;
  state.counters["frame_us"] = frameMs * 1000.0;
  state.counters["period_pct"] = 100.0 * frameMs / skaterules::kFramePeriodMs;
  state.SetLabel("one frame of Run, unpaced, headless");
}
BENCHMARK(BM_SkatingEventFrame)->Unit(benchmark::kMicrosecond)->Iterations(6000);

}  // namespace
