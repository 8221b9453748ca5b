// assetgen: writes the game's complete default data set (program, data and
// video directories) in the game's own file formats.
//
//   assetgen [-j N] [--times] <gamedata dir>   write the tree
//   assetgen --contact-sheets <gamedata dir> <png dir> [sheet.png ...]
//       PNG contact sheets of the pictures for a person to look at (the
//       `contact-sheets` target); naming sheets writes only those, after
//       reading every picture all the same
//
// The data set is made in parts (the menus, the shared sounds, each event's
// data, the cut-scenes), run side by side on N threads (the cores the
// process may use when -j is not given); -j 1 makes them one after another
// in the order of Parts(). Every order gives the same bytes (gen.h).
// --times prints how long each part took.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/assetgen/gen.h"
#include "tools/assetgen/jobs.h"

namespace assetgen {

namespace {

// The parts, in the order a run on one thread makes them. A file several
// parts make (the athletes' voices, shared sounds) is the first one's. `after`
// names the parts whose files a part reads from disk: it starts once they
// are there.
struct Part {
  const char* name;
  void (*make)(Output&);
  std::vector<const char*> after;
};

const std::vector<Part>& Parts() {
  static const std::vector<Part> kParts = {
      {"texts", GenerateTexts, {}},
      {"menus", GenerateMenus, {}},
      {"throw", GenerateThrow, {}},
      {"skating", GenerateSkating, {}},
      {"swim", GenerateSwim, {}},
      {"maze", GenerateMaze, {}},
      {"hippo", GenerateHippo, {}},
      {"derby", GenerateDerby, {"menus"}},  // copies a loading picture
      {"sounds", GenerateSounds, {}},
      {"doggie", GenerateDoggie, {}},
      {"kickboxing", GenerateKickboxing, {}},
      {"videos", GenerateVideos, {}},
      {"climbing", GenerateClimbing, {}},
      {"javelin", GenerateJavelin, {"skating"}},  // draws in the skating's event palette
  };
  return kParts;
}

int PartIndex(const char* name) {
  const auto& parts = Parts();
  for (size_t i = 0; i < parts.size(); ++i)
    if (std::strcmp(parts[i].name, name) == 0) return int(i);
  throw std::logic_error(std::string("no part ") + name);
}

// Part i's view: itself and every part it follows, directly or through
// another (those come earlier in the list).
std::vector<bool> Sees(int i) {
  const auto& parts = Parts();
  std::vector<bool> sees(parts.size(), false);
  sees[size_t(i)] = true;
  for (int p = i; p >= 0; --p)
    if (sees[size_t(p)])
      for (const char* a : parts[size_t(p)].after) {
        const int d = PartIndex(a);
        if (d >= p) throw std::logic_error(std::string(parts[size_t(p)].name) + " follows a later part");
        sees[size_t(d)] = true;
      }
  return sees;
}

// Runs every part on up to `threads` threads, each as soon as the parts it
// follows are on disk, in list order among the ready ones; puts each part's
// files on disk in list order. The first failure stops new parts from
// starting; its message is returned ("" when all went well).
std::string RunParts(OutputTree& tree, int threads, bool times) {
  const auto& parts = Parts();
  const size_t n = parts.size();
  std::vector<std::vector<int>> after(n);
  for (size_t i = 0; i < n; ++i) {
    for (const char* a : parts[i].after) after[i].push_back(PartIndex(a));
    Sees(int(i));  // checks the order
  }
  enum State { kWaiting, kRunning, kDone, kOnDisk };
  std::vector<State> state(n, kWaiting);
  std::vector<std::unique_ptr<Output>> outputs(n);
  std::vector<double> seconds(n, 0.0);
  std::mutex mutex;
  std::condition_variable changed;
  std::string failure;
  int running = 0;
  size_t committed = 0;  // parts 0 .. committed-1 are on disk
  std::vector<std::thread> workers;
  const auto start = std::chrono::steady_clock::now();

  std::unique_lock<std::mutex> lock(mutex);
  while (committed < n) {
    for (size_t i = 0; i < n && failure.empty() && running < threads; ++i) {
      if (state[i] != kWaiting) continue;
      bool ready = true;
      for (int d : after[i]) ready = ready && state[size_t(d)] == kOnDisk;
      if (!ready) continue;
      state[i] = kRunning;
      ++running;
      outputs[i] = std::make_unique<Output>(tree, int(i), Sees(int(i)));
      workers.emplace_back([&, i, out = outputs[i].get()] {
        const auto t0 = std::chrono::steady_clock::now();
        std::string error;
        try {
          parts[i].make(*out);
        } catch (const std::exception& ex) {
          error = std::string(parts[i].name) + ": " + ex.what();
        }
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::lock_guard<std::mutex> g(mutex);
        seconds[i] = took;
        state[i] = kDone;
        --running;
        if (!error.empty() && failure.empty()) failure = error;
        changed.notify_all();
      });
    }
    if (failure.empty() && state[committed] == kDone) {
      // Off the lock: the other parts go on meanwhile.
      Output* out = outputs[committed].get();
      lock.unlock();
      std::string error;
      try {
        out->Commit();
      } catch (const std::exception& ex) {
        error = std::string(parts[committed].name) + ": " + ex.what();
      }
      lock.lock();
      if (!error.empty() && failure.empty()) failure = error;
      outputs[committed].reset();
      state[committed++] = kOnDisk;
      continue;
    }
    if (running == 0 && !failure.empty()) break;
    changed.wait(lock);
  }
  lock.unlock();
  for (std::thread& w : workers) w.join();
  if (times) {
    for (size_t i = 0; i < n; ++i)
      if (state[i] >= kDone) std::fprintf(stderr, "assetgen: %-11s %6.2f s\n", parts[i].name, seconds[i]);
    std::fprintf(stderr, "assetgen: all        %7.2f s on %d threads\n",
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), threads);
  }
  return failure;
}

int Usage() {
  std::fprintf(stderr,
               "usage: assetgen [-j N] [--times] <gamedata dir> | --contact-sheets <gamedata dir> <png dir> [sheet.png ...]\n");
  return 2;
}

}  // namespace

}  // namespace assetgen

int main(int argc, char** argv) {
  using namespace assetgen;
  try {
    if (argc >= 4 && std::strcmp(argv[1], "--contact-sheets") == 0) {
      SetThreads(Cores());
      return WriteContactSheets(argv[2], argv[3], std::vector<std::string>(argv + 4, argv + argc));
    }
    int threads = Cores();
    bool times = false;
    std::string dir;
    for (int i = 1; i < argc; ++i) {
      if (std::strcmp(argv[i], "-j") == 0 && i + 1 < argc) {
        char* end = nullptr;
        const long j = std::strtol(argv[++i], &end, 10);
        if (*end || j < 1 || j > 256) return Usage();
        threads = int(j);
      } else if (std::strcmp(argv[i], "--times") == 0) {
        times = true;
      } else if (dir.empty() && argv[i][0] != '-') {
        dir = argv[i];
      } else {
        return Usage();
      }
    }
    if (dir.empty()) return Usage();
    SetThreads(threads);

    OutputTree tree(dir);
    const std::string failure = RunParts(tree, threads, times);
    if (!failure.empty()) {
      std::fprintf(stderr, "assetgen: %s\n", failure.c_str());
      return 1;
    }
    int missing = 0;
    for (const ManifestEntry& e : AssetManifest())
      if (tree.WriterOf(e.root, e.path) < 0) {
        std::fprintf(stderr, "assetgen: not written: %s/%s\n", kRootDirName[int(e.root)], e.path.c_str());
        ++missing;
      }
    if (missing) return 1;
    std::printf("assetgen: %zu files\n", tree.Count());
    return 0;
  } catch (const std::exception& ex) {
    std::fprintf(stderr, "assetgen: %s\n", ex.what());
    return 1;
  }
}
