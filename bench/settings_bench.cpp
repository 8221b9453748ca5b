// Start-up against a settings file swollen with sections the game does not
// know (a file of 100,000 of them still fits the 1 MiB a settings file may
// have): the reads start-up makes (the configuration and the controls), from
// a store read fresh each time, timed for a file of 10,000 and one of 100,000
// sections with the game's own sections last, in rounds of one read of
// each. Counters: us_per_KB of the large file (its fastest read), and
// large_over_small, the large file's time per KB as a share of the small
// one's (fastest reads; about 1 when start-up is linear in the file's size),
// with large_over_small_lo and _hi, the range of the rounds' own ratios.
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

// Seconds for the start-up reads, the store read from the file first.
double StartupSeconds(const SettingsFile& f) {
  auto start = std::chrono::steady_clock::now();
  RegSetStorePath(f.path);  // forgets what was read before
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
    const SettingsFile large(root, 100000);
    if (large.bytes > (1u << 20)) {
      state.SkipWithError("the large file is over the 1 MiB a settings file may have");
      return;
    }
    // Rounds of the small file then the large one, each time per KB; the
    // fastest of each makes the figures (a busy machine only ever slows a
    // read down).
    const double smallKb = static_cast<double>(small.bytes) / 1024.0;
    const double largeKb = static_cast<double>(large.bytes) / 1024.0;
    InterleavedBatches batches(2);
    for (auto _ : state) {
      batches.Record(0, StartupSeconds(small) / smallKb);
      batches.Record(1, StartupSeconds(large) / largeKb);
    }
    if (!batches.Empty()) {
      state.counters["us_per_KB"] = batches.Best(1) * 1e6;
      batches.ReportRatio(state, "large_over_small", 1, 0);
      state.counters["large_KB"] = largeKb;
    }
  }
  RegSetStorePath("");
  fs::remove_all(root);
}
// Enough rounds that some of them run undisturbed on a busy machine.
BENCHMARK(BM_SettingsStartupLinear)->Iterations(15)->Unit(benchmark::kMillisecond);

}  // namespace
