#pragma once
// Interleaved batches for the benchmarks that compare two pieces of work.
//
// A busy machine only ever makes a batch slower, and it slows memory-bound
// and compute-bound work by different amounts, so a ratio of two totals
// measured one after the other moves with the load. Instead every side runs
// a short batch in turn, round after round; a side's figure is its fastest
// batch (the least disturbed), a ratio is the quotient of two such figures,
// and the spread of the ratio over the rounds (the lowest and the highest of
// the rounds' own ratios) goes beside it so that a reader sees how steady it
// was.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

class InterleavedBatches {
 public:
  explicit InterleavedBatches(int sides) : best_(size_t(sides), 1e300), rounds_(size_t(sides)) {}

  // Times one batch of side `side`: `calls` calls of fn. Returns its seconds
  // per call.
  template <typename Fn>
  double Batch(int side, int calls, Fn&& fn) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i) {
      fn();
      benchmark::ClobberMemory();
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / calls;
    Record(side, s);
    return s;
  }

  // Records a batch timed elsewhere (seconds per call).
  void Record(int side, double seconds) {
    best_[size_t(side)] = std::min(best_[size_t(side)], seconds);
    rounds_[size_t(side)].push_back(seconds);
  }

  // The fastest batch of a side, seconds per call.
  double Best(int side) const { return best_[size_t(side)]; }
  bool Empty() const { return rounds_[0].empty(); }

  // Counters `name` (Best(a) / Best(b)) and `name`_lo, `name`_hi (the
  // lowest and highest ratio of the rounds, batch for batch).
  void ReportRatio(benchmark::State& state, const std::string& name, int a, int b) const {
    const std::vector<double>& x = rounds_[size_t(a)];
    const std::vector<double>& y = rounds_[size_t(b)];
    double lo = 1e300, hi = 0;
    for (size_t i = 0; i < std::min(x.size(), y.size()); ++i) {
      const double r = x[i] / y[i];
      lo = std::min(lo, r);
      hi = std::max(hi, r);
    }
    state.counters[name] = Best(a) / Best(b);
    state.counters[name + "_lo"] = lo;
    state.counters[name + "_hi"] = hi;
  }

 private:
  std::vector<double> best_;
  std::vector<std::vector<double>> rounds_;
};
