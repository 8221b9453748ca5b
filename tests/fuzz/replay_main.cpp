// Replay driver for the fuzz targets in builds without libFuzzer: feeds every
// file of the corpus folder given on the command line, then a fixed number of
// deterministic mutations of them (and of empty and random buffers).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {
uint32_t g_state = 12345u;
uint32_t Next() {
  g_state = g_state * 1103515245u + 12345u;
  return g_state >> 8;
}
void Run(const std::vector<uint8_t>& buf) {
  // Copy into an exact-size heap block so that the sanitizers see overreads.
  std::vector<uint8_t> exact(buf.begin(), buf.end());
  LLVMFuzzerTestOneInput(exact.empty() ? nullptr : exact.data(), exact.size());
}
}  // namespace

int main(int argc, char** argv) {
  std::vector<std::vector<uint8_t>> seeds;
  if (argc > 1 && std::filesystem::is_directory(argv[1])) {
    for (const auto& e : std::filesystem::directory_iterator(argv[1])) {
      if (!e.is_regular_file()) continue;
      std::ifstream f(e.path(), std::ios::binary);
      seeds.emplace_back(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }
  }
  int iterations = 3000;
  if (const char* it = std::getenv("KEL_FUZZ_ITERATIONS")) iterations = std::atoi(it);
  Run({});
  for (const auto& s : seeds) Run(s);
  for (int i = 0; i < iterations; ++i) {
    std::vector<uint8_t> buf;
    if (!seeds.empty() && (Next() % 8) != 0) {
      buf = seeds[Next() % seeds.size()];
    } else {
      buf.resize(Next() % 512);
      for (auto& b : buf) b = static_cast<uint8_t>(Next());
    }
    int edits = 1 + static_cast<int>(Next() % 8);
    for (int e = 0; e < edits && !buf.empty(); ++e) {
      size_t pos = Next() % buf.size();
      switch (Next() % 5) {
        case 0: buf[pos] = static_cast<uint8_t>(Next()); break;
        case 1: buf[pos] ^= static_cast<uint8_t>(1u << (Next() % 8)); break;
        case 2: buf.resize(pos); break;
        case 3: buf.insert(buf.begin() + static_cast<long>(pos), static_cast<uint8_t>(Next())); break;
        case 4: buf[pos] = (Next() & 1) ? 0xFF : 0x00; break;
      }
    }
    Run(buf);
  }
  std::printf("replayed %zu seeds and %d mutations\n", seeds.size(), iterations);
  return 0;
}
