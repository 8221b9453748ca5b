// Showing a 640x480 8-bit frame in the real window: conversion through the
// palette, upload and the scaled draw, as every frame of the game does. It
// needs an X display, so it exists only when one is there: scripts/bench
// runs it under xvfb-run (counters period_pct_wall and period_pct_cpu, the
// share of a 65 ms frame period; the processor time is the whole process's,
// so that threads of the renderer count too).
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/presenter.h"

namespace {

constexpr double kPeriodMs = 65.0;

double ProcessCpuMs() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

void BM_WindowPresent640x480x8(benchmark::State& state) {
  std::string error;
  std::unique_ptr<Presenter> presenter = CreateWindowPresenter(&error);
  if (!presenter) {
    state.SkipWithError(("no window: " + error).c_str());
    return;
  }
  // A picture that moves every frame, as an event's does: a still screen
  // would cost less.
  std::vector<uint8_t> frame(640 * 480);
  PresentColour palette[256];
  for (int i = 0; i < 256; ++i) palette[i] = PresentColour{uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)};
  int n = 0;
  auto draw = [&] {
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) frame[y * 640 + x] = static_cast<uint8_t>((x + y + n) / 3);
    ++n;
  };
  double wallMs = 0, cpuMs = 0;
  int64_t frames = 0;
  for (auto _ : state) {
    state.PauseTiming();
    draw();
    state.ResumeTiming();
    const auto t0 = std::chrono::steady_clock::now();
    const double c0 = ProcessCpuMs();
    presenter->PresentIndexed(frame.data(), 640, 480, 640, palette);
    cpuMs += ProcessCpuMs() - c0;
    wallMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    ++frames;
  }
  if (frames == 0) return;
  state.counters["wall_ms"] = wallMs / frames;
  state.counters["cpu_ms"] = cpuMs / frames;
  state.counters["period_pct_wall"] = 100.0 * wallMs / frames / kPeriodMs;
  state.counters["period_pct_cpu"] = 100.0 * cpuMs / frames / kPeriodMs;
}

// Registered only where a window can be opened.
const bool g_registered = [] {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display || IsHeadlessEnvironment()) return false;
  benchmark::RegisterBenchmark("BM_WindowPresent640x480x8", BM_WindowPresent640x480x8)
      ->Unit(benchmark::kMillisecond)
      ->MinTime(1.0);
  return true;
}();

}  // namespace
