// Start-up against a settings file swollen with sections the game does not
// know (a file of 100,000 of them still fits the 1 MiB a settings file may
// have): the reads start-up makes (the configuration and the controls), from
// a store read fresh each time, timed for files of 10,000, 55,000 and
// 100,000 sections with the game's own sections last, in rounds of one read
// of each. Counters (from the fastest read of each): us_per_KB of the large
// file; large_over_small, its time per KB as a share of the small file's
// (about 1 when start-up is linear in the file's size), with _lo and _hi;
// slope_large_over_small, the time an added KB costs from the middle file
// to the large one against from the small one to the middle one.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/registry.h"
#include "bench/batches.h"
#include "input/input.h"
#include "screen/config.h"

namespace {

namespace fs = std::filesystem;

struct SettingsFile {
  fs::path dir;
  std::string path;
  size_t bytes = 0;
  SettingsFile(const fs::path& root, int sections) {
    dir = root / ("s" + std::to_string(sections));
    fs::create_directories(dir / "saves");
    path = (dir / "settings.ini").string();
    std::string text = "; settings\n";
    for (int i = 0; i < sections; ++i) text += "[S" + std::to_string(i) + "]\n";
    text += "[CONFIG]\nVOLUME=5\nSAVEGAMEPATH=" + (dir / "saves").string() +
            "/\nKEY1U=38\n[HALLOFFAME]\nResult1=87\n";
    std::ofstream(path, std::ios::binary) << text;
    bytes = text.size();
  }
};

// Seconds for the start-up reads, the store read from the file first (on
// the first read). Forgetting what the last file left is not timed: it
// belongs to that file, not to this one's start-up.
double StartupSeconds(const SettingsFile& f) {
  RegSetStorePath(f.path);
  auto start = std::chrono::steady_clock::now();
  LoadConfiguration();
  LoadControls();
  benchmark::DoNotOptimize(RegReadInt(kRegHallOfFame, "Result1", 0));
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_SettingsStartupLinear(benchmark::State& state) {
  std::string tmpl = (fs::temp_directory_path() / "kel_settings_bench_XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) {
    state.SkipWithError("no temporary directory");
    return;
  }
  const fs::path root = tmpl;
  {
    const SettingsFile small(root, 10000);
    const SettingsFile middle(root, 55000);
    const SettingsFile large(root, 100000);
    if (large.bytes > (1u << 20)) {
      state.SkipWithError("the large file is over the 1 MiB a settings file may have");
      return;
    }
    // Rounds of the three files, each read's time per KB of its file; the
    // fastest read of each makes the figures (a busy machine only ever
    // slows a read down).
    const double kb[3] = {small.bytes / 1024.0, middle.bytes / 1024.0, large.bytes / 1024.0};
    InterleavedBatches batches(3);
    for (auto _ : state) {
      batches.Record(0, StartupSeconds(small) / kb[0]);
      batches.Record(1, StartupSeconds(middle) / kb[1]);
      batches.Record(2, StartupSeconds(large) / kb[2]);
    }
    if (!batches.Empty()) {
      state.counters["us_per_KB"] = batches.Best(2) * 1e6;
      batches.ReportRatio(state, "large_over_small", 2, 0);
      // The time each added KB costs, from the small file to the middle one
      // and from the middle one to the large one: what start-up spends
      // whatever the file's size drops out, and a read that grows faster
      // than the file shows as a second slope above the first (about 2.4
      // for a square; memory caches that the larger index outgrows lift it
      // too).
      const double t[3] = {batches.Best(0) * kb[0], batches.Best(1) * kb[1], batches.Best(2) * kb[2]};
      const double first = (t[1] - t[0]) / (kb[1] - kb[0]);
      const double second = (t[2] - t[1]) / (kb[2] - kb[1]);
      state.counters["slope_large_over_small"] = first > 0 ? second / first : 0.0;
      state.counters["large_KB"] = kb[2];
      state.counters["small_ms"] = t[0] * 1e3;
      state.counters["middle_ms"] = t[1] * 1e3;
      state.counters["large_ms"] = t[2] * 1e3;
    }
  }
  RegSetStorePath("");
  fs::remove_all(root);
}
// Enough rounds that some of them run undisturbed on a busy machine.
BENCHMARK(BM_SettingsStartupLinear)->Iterations(15)->Unit(benchmark::kMillisecond);

}  // namespace
