// Showing a 640x480 8-bit frame in the real window: conversion through the
// palette, upload and the scaled draw, as every frame of the game does. It
// needs an X display, so it exists only when one is there: scripts/bench
// runs it under xvfb-run (counters period_pct_wall and period_pct_cpu, the
// share of a 65 ms frame period). The processor time is the whole
// process's, so that threads of the renderer count too, and the X server's:
// it does a good part of the work of showing a picture. The server's process
// id comes in KEL_XSERVER_PID (bench/xvfb_figures.py finds it); its time is
// read from /proc before and after the frames (counter server_cpu_ms; the
// figures are marked with server_counted 0 when it is not known).
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/presenter.h"

#include <fstream>
#include <sstream>

namespace {

constexpr double kPeriodMs = 65.0;

double ProcessCpuMs() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// User and system time of a process from /proc/<pid>/stat, in ms; negative
// when it cannot be read.
double ProcessCpuMsOf(long pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(text.substr(close + 1));
  std::string field;
  double ticks = 0;
  // Fields 14 and 15 of the line (utime, stime) are the 12th and 13th after
  // the command name.
  for (int i = 1; i <= 13 && fields >> field; ++i)
    if (i >= 12) ticks += std::strtod(field.c_str(), nullptr);
  if (!fields) return -1;
  return ticks * 1e3 / double(sysconf(_SC_CLK_TCK));
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
  const char* serverPid = std::getenv("KEL_XSERVER_PID");
  const long server = serverPid ? std::strtol(serverPid, nullptr, 10) : 0;
  const double server0 = server > 0 ? ProcessCpuMsOf(server) : -1;
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
  // The server's time over all the frames: its clock ticks are too coarse
  // for one.
  const double server1 = server0 >= 0 ? ProcessCpuMsOf(server) : -1;
  const bool counted = server0 >= 0 && server1 >= server0;
  if (counted) cpuMs += server1 - server0;
  state.counters["server_counted"] = counted ? 1 : 0;
  state.counters["server_cpu_ms"] = counted ? (server1 - server0) / frames : 0;
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
