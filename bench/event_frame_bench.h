#pragma once
// What one frame of an event costs when nothing paces it, headless: the
// screen is built from four computer players and run frame after frame (a
// new one whenever it ends, so every phase counts at its share), the virtual
// clock moving one frame period a frame so that sounds end as they would.
//
// Counters: frame_us (mean wall time of a frame) and period_pct (that time
// as a share of the frame period).
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "base/clock.h"
#include "base/player_records.h"
#include "base/stopwatch.h"
#include "screen/game_screen.h"
#include "screen/game_screen_services.h"
#include "shell/shell.h"
#include "tests/support/event_harness.h"

// `players`: the records each new screen starts from (four computer players
// unless an event needs someone else to run at all).
inline void BenchEventFrames(benchmark::State& state, const std::function<GameScreen*()>& make,
                             double framePeriodMs,
                             const std::array<PlayerRecord, 4>& players = ComputerFixtures()) {
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
  const std::array<PlayerRecord, 4> fixtures = players;
  auto reset = [&] { std::memcpy(g_players, fixtures.data(), sizeof g_players); };
  reset();
  GameScreen* screen = make();

  double seconds = 0;
  int64_t frames = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    int r = screen->Run();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    ++frames;
    clock.Advance(static_cast<uint32_t>(framePeriodMs));
    if (r != 0) {
      state.PauseTiming();
      delete screen;
      reset();
      screen = make();
      state.ResumeTiming();
    }
  }
  delete screen;
  g_gameSpeed = savedSpeed;
  if (ownServices) ShellDestroyServices();
  SetClock(saved);
  const double frameMs = frames ? seconds * 1000.0 / frames : 0;
  state.counters["frame_us"] = frameMs * 1000.0;
  state.counters["period_pct"] = 100.0 * frameMs / framePeriodMs;
  state.SetLabel("one frame of Run, unpaced, headless");
}
