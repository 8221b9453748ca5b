// COMPUTER THROW: what one event frame costs (the exchange, the state step,
// every actor, the whole picture with the status band, and the flip) when
// nothing paces it, headless, against the 65 ms the event gives a frame.
// Whole events are run over and over (four computer players), so turns,
// the judge, the announcements and the title card all count at their share.
//
// Counters: frame_us (mean wall time of a frame) and period_pct (that time
// as a share of the frame period; the target is under 2).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/game_screen.h"
#include "app/game_screen_services.h"
#include "base/clock.h"
#include "base/player_records.h"
#include "base/stopwatch.h"
#include "events/computer_throw/computer_throw_event.h"
#include "tests/support/event_harness.h"

namespace {

constexpr double kFramePeriodMs = 65.0;

void BM_ThrowEventFrame(benchmark::State& state) {
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
  GameScreen* screen = new ComputerThrowEvent();

  double seconds = 0;
  int64_t frames = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    int r = screen->Run();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    ++frames;
    clock.Advance(static_cast<uint32_t>(kFramePeriodMs));  // the sounds play on at the event's pace
    if (r != 0) {
      state.PauseTiming();
      delete screen;
      reset();
      screen = new ComputerThrowEvent();
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
BENCHMARK(BM_ThrowEventFrame)->Unit(benchmark::kMicrosecond)->Iterations(6000);

}  // namespace
