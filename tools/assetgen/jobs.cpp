#include "tools/assetgen/jobs.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>
#include <vector>

namespace assetgen {

namespace {
std::atomic<int> g_threads{1};
}  // namespace

int Cores() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
  return std::max(1, int(std::thread::hardware_concurrency()));
}

void SetThreads(int threads) { g_threads = std::max(1, threads); }
int Threads() { return g_threads; }

void ForEach(int n, const std::function<void(int)>& fn) {
  const int threads = std::min(n, Threads());
  if (threads <= 1) {
    for (int i = 0; i < n; ++i) fn(i);
    return;
  }
  std::vector<std::exception_ptr> errors(size_t(std::max(n, 0)));
  std::atomic<int> next{0};
  auto work = [&] {
    for (int i = next++; i < n; i = next++) {
      try {
        fn(i);
      } catch (...) {
        errors[size_t(i)] = std::current_exception();
      }
    }
  };
  std::vector<std::thread> workers;
  for (int t = 1; t < threads; ++t) workers.emplace_back(work);
  work();
  for (std::thread& w : workers) w.join();
  for (auto& e : errors)
    if (e) std::rethrow_exception(e);
}

}  // namespace assetgen
