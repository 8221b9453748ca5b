// PKC read throughput against plain zlib uncompress of the same blocks. The
// container reader adds a file read per block and the copy out of its block
// buffer. BM_PkcGameFilesVsUncompress reads the generated game's PKC files
// the way their loaders do (a sprite: its directory, then every frame, each
// read a seek and a read; a picture: one read of the whole), against
// uncompress of every block of the same files once; the target is to stay
// within 1.25x (counter "pkc_over_zlib"). BM_PkcReadVsUncompress is one
// read of a 4 MB container, for the record.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <filesystem>

#include "base/atomic_file.h"
#include "base/pkc.h"
#include "bench/batches.h"
#include "graphics/mbm_format.h"

namespace {

constexpr size_t kContentSize = 4 << 20;  // 128 blocks

// Picture-like content: runs and gradients with some noise, compressing
// about as well as the game's sprites.
std::vector<uint8_t> MakeContent() {
  std::vector<uint8_t> v(kContentSize);
  uint32_t s = 1;
  for (size_t i = 0; i < v.size(); ++i) {
    s = s * 1664525u + 1013904223u;
    uint8_t base = static_cast<uint8_t>((i / 64) % 200);
    v[i] = (s >> 28) == 0 ? static_cast<uint8_t>(s >> 20) : base;
  }
  return v;
}

struct Fixture {
  std::vector<uint8_t> content = MakeContent();
  std::vector<std::vector<uint8_t>> blocks;  // the same zlib streams, in memory
  std::string path;

  Fixture() {
    std::vector<uint8_t> image;
    PkcCompressBuffer(content.data(), content.size(), &image);
    uint32_t count = Get(image, 8);
    uint32_t table = Get(image, 24);
    for (uint32_t b = 0; b < count; ++b) {
      uint32_t off = Get(image, table + 8 * b);
      uint32_t len = Get(image, table + 8 * b + 4);
      blocks.emplace_back(image.begin() + off, image.begin() + off + len);
    }
    path = "/tmp/kel_pkc_bench_" + std::to_string(::getpid()) + ".pkc";
    WriteFileAtomic(path, image.data(), image.size());
  }
  ~Fixture() { std::remove(path.c_str()); }
  static uint32_t Get(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
  }
};

Fixture& GetFixture() {
  static Fixture f;
  return f;
}

// Reads the whole content through the container in game-sized reads.
void ReadPkc(const Fixture& fx, std::vector<uint8_t>* out) {
  PkcFile* f = PkcOpen(fx.path.c_str());
  int32_t got = PkcRead(f, out->data(), static_cast<int32_t>(out->size()));
  benchmark::DoNotOptimize(got);
  PkcClose(f);
}

void UncompressAll(const Fixture& fx, std::vector<uint8_t>* out) {
  uint8_t* dst = out->data();
  for (const auto& b : fx.blocks) {
    uLongf len = kPkcBlockSize;
    uncompress(dst, &len, b.data(), b.size());
    dst += len;
  }
  benchmark::DoNotOptimize(out->data());
}

void BM_PkcRead(benchmark::State& state) {
  const Fixture& fx = GetFixture();
  std::vector<uint8_t> out(kContentSize);
  for (auto _ : state) ReadPkc(fx, &out);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kContentSize);
}
BENCHMARK(BM_PkcRead)->Unit(benchmark::kMillisecond);

void BM_ZlibUncompress(benchmark::State& state) {
  const Fixture& fx = GetFixture();
  std::vector<uint8_t> out(kContentSize);
  for (auto _ : state) UncompressAll(fx, &out);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kContentSize);
}
BENCHMARK(BM_ZlibUncompress)->Unit(benchmark::kMillisecond);

// Both in one run, alternating, so that the ratio is measured under the same
// machine load.
void BM_PkcReadVsUncompress(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const Fixture& fx = GetFixture();
  std::vector<uint8_t> out(kContentSize);
  double pkc = 0;
  double zlib = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    ReadPkc(fx, &out);
    auto t1 = Clock::now();
    UncompressAll(fx, &out);
    auto t2 = Clock::now();
    pkc += std::chrono::duration<double>(t1 - t0).count();
    zlib += std::chrono::duration<double>(t2 - t1).count();
  }
  state.counters["pkc_over_zlib"] = zlib > 0 ? pkc / zlib : 0.0;
  state.counters["pkc_MBps"] = pkc > 0 ? state.iterations() * (kContentSize / 1e6) / pkc : 0.0;
}
BENCHMARK(BM_PkcReadVsUncompress)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------------------
// The game's own files, read as the loaders read them.

struct GameFile {
  std::string path;
  bool sprite = false;
  std::vector<std::vector<uint8_t>> blocks;  // the zlib streams, in memory
  size_t contentSize = 0;
};

// A sprite's reads go through this, as Sprite's own source does.
class PkcReadSource : public mbm::Source {
 public:
  explicit PkcReadSource(PkcFile* f) : f_(f), size_(static_cast<uint64_t>(PkcGetSize(f))) {}
  uint64_t Size() override { return size_; }
  bool ReadAt(uint64_t offset, void* buffer, size_t n) override {
    if (PkcSeek(f_, static_cast<int32_t>(offset), 0) != static_cast<int32_t>(offset)) return false;
    return n == 0 || PkcRead(f_, buffer, static_cast<int32_t>(n)) == static_cast<int32_t>(n);
  }
  uint32_t LastError() override { return PkcGetLastError(); }

 private:
  PkcFile* f_;
  uint64_t size_;
};

std::vector<GameFile> FindGameFiles() {
  namespace fs = std::filesystem;
  std::vector<GameFile> files;
  const fs::path root = fs::path(KEL_BINARY_DIR) / "gamedata";
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (!it->is_regular_file()) continue;
    std::string bytes;
    if (!ReadWholeFile(it->path().string(), &bytes, 64u << 20) || bytes.size() < kPkcHeaderSize) continue;
    std::vector<uint8_t> image(bytes.begin(), bytes.end());
    if (Fixture::Get(image, 0) != kPkcMagic) continue;
    GameFile g;
    g.path = it->path().string();
    g.contentSize = Fixture::Get(image, 16);
    const uint32_t count = Fixture::Get(image, 8), table = Fixture::Get(image, 24);
    for (uint32_t b = 0; b < count; ++b) {
      const uint32_t off = Fixture::Get(image, table + 8 * b), len = Fixture::Get(image, table + 8 * b + 4);
      g.blocks.emplace_back(image.begin() + off, image.begin() + off + len);
    }
    // A sprite of the game's .mbm format (other files, the maze's own
    // formats among them, are read from the front to the back).
    if (!g.blocks.empty()) {
      std::vector<uint8_t> first(kPkcBlockSize);
      uLongf len = kPkcBlockSize;
      g.sprite = uncompress(first.data(), &len, g.blocks[0].data(), g.blocks[0].size()) == Z_OK && len >= 2 &&
                 first[0] == 'M' && first[1] == 'B';
    }
    files.push_back(std::move(g));
  }
  std::sort(files.begin(), files.end(), [](const GameFile& a, const GameFile& b) { return a.path < b.path; });
  return files;
}

const std::vector<GameFile>& GameFiles() {
  static const std::vector<GameFile> files = FindGameFiles();
  return files;
}

// One file as its loader reads it; false when something failed.
bool LoadLikeTheGame(const GameFile& g, std::vector<uint8_t>* buffer) {
  PkcFile* f = PkcOpen(g.path.c_str());
  if (!f) return false;
  bool ok = true;
  if (g.sprite) {
    PkcReadSource source(f);
    mbm::Layout layout;
    ok = mbm::ReadLayout(source, &layout) == kSpriteOk;
    for (const mbm::FrameLayout& l : layout.frames) {
      if (!ok) break;
      if (!layout.sharedPalette) {
        buffer->resize(mbm::kPaletteSize);
        ok = source.ReadAt(l.paletteOffset, buffer->data(), mbm::kPaletteSize);
      }
      buffer->resize(l.pixelBytes);
      ok = ok && source.ReadAt(l.pixelOffset, buffer->data(), l.pixelBytes);
    }
  } else {
    const int32_t size = PkcGetSize(f);
    buffer->resize(size > 0 ? static_cast<size_t>(size) : 0);
    ok = size >= 0 && PkcRead(f, buffer->data(), size) == size;
  }
  PkcClose(f);
  return ok;
}

void UncompressEveryBlock(const GameFile& g, std::vector<uint8_t>* out) {
  out->resize(kPkcBlockSize);
  for (const auto& b : g.blocks) {
    uLongf len = kPkcBlockSize;
    uncompress(out->data(), &len, b.data(), b.size());
  }
  benchmark::DoNotOptimize(out->data());
}

// Counters: pkc_over_zlib for every PKC file of the game, and
// sprites_pkc_over_zlib for the sprites alone (read a frame at a time), each
// with its _lo and _hi (the range of the passes' own ratios).
void BM_PkcGameFilesVsUncompress(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const std::vector<GameFile>& files = GameFiles();
  if (files.empty()) {
    state.SkipWithError("no PKC files in the generated data (build the gamedata target)");
    return;
  }
  std::vector<uint8_t> buffer, out;
  size_t content = 0;
  for (const GameFile& g : files) content += g.contentSize;
  // Every iteration is a pass over the files, each read by the game's way
  // and uncompressed right after; the fastest pass of each side makes the
  // ratios (a busy machine only ever slows a pass down). Sides: the reads
  // of every file, their uncompress, the sprites' reads, their uncompress.
  InterleavedBatches passes(4);
  for (auto _ : state) {
    double pkc[2] = {}, zlib[2] = {};  // [0] sprites, [1] the others
    for (const GameFile& g : files) {
      const auto t0 = Clock::now();
      if (!LoadLikeTheGame(g, &buffer)) state.SkipWithError(("cannot read " + g.path).c_str());
      const auto t1 = Clock::now();
      UncompressEveryBlock(g, &out);
      const auto t2 = Clock::now();
      pkc[g.sprite ? 0 : 1] += std::chrono::duration<double>(t1 - t0).count();
      zlib[g.sprite ? 0 : 1] += std::chrono::duration<double>(t2 - t1).count();
    }
    passes.Record(0, pkc[0] + pkc[1]);
    passes.Record(1, zlib[0] + zlib[1]);
    passes.Record(2, pkc[0]);
    passes.Record(3, zlib[0]);
  }
  if (passes.Empty()) return;
  passes.ReportRatio(state, "pkc_over_zlib", 0, 1);
  passes.ReportRatio(state, "sprites_pkc_over_zlib", 2, 3);
  state.counters["files"] = static_cast<double>(files.size());
  state.counters["content_MB"] = content / 1e6;
}
// Enough passes that some of them run undisturbed on a busy machine.
BENCHMARK(BM_PkcGameFilesVsUncompress)->Iterations(7)->Unit(benchmark::kMillisecond);

}  // namespace
