// Start-up against a settings file swollen with sections the game does not
// know (a file of 100,000 of them still fits the 1 MiB a settings file may
// have): the reads start-up makes (the configuration and the controls), from
// a store read fresh each time, timed for a file of 10,000 and one of 100,000
// sections with the game's own sections last. Counters: us_per_KB of the
// large file, and large_over_small, the large file's time per KB as a share
// of the small one's (about 1 when start-up is linear in the file's size).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/registry.h"
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
    double smallSeconds = 0, largeSeconds = 0;
    int64_t rounds = 0;
    for (auto _ : state) {
      smallSeconds += StartupSeconds(small);
      largeSeconds += StartupSeconds(large);
      ++rounds;
    }
    const double smallPerKb = smallSeconds / (static_cast<double>(small.bytes) / 1024.0);
    const double largePerKb = largeSeconds / (static_cast<double>(large.bytes) / 1024.0);
    state.counters["us_per_KB"] = largePerKb * 1e6 / static_cast<double>(rounds);
    state.counters["large_over_small"] = largePerKb / smallPerKb;
    state.counters["large_KB"] = static_cast<double>(large.bytes) / 1024.0;
  }
  RegSetStorePath("");
  fs::remove_all(root);
}
BENCHMARK(BM_SettingsStartupLinear)->Unit(benchmark::kMillisecond);

}  // namespace
