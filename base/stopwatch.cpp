#include "base/stopwatch.h"

#include "base/clock.h"

StopwatchBank* g_timers = nullptr;

StopwatchBank::StopwatchBank() {
  uint32_t now = TimeGetTime();
  for (int i = 0; i < kCount; ++i) {
    start_[i] = now;
    inUse_[i] = 0;
  }
}

bool StopwatchBank::InUse(int slot) const {
  return slot >= 0 && slot < kCount && inUse_[slot] != 0;
}

int StopwatchBank::Allocate() {
  for (int i = 0; i < kCount; ++i) {
    if (!inUse_[i]) {
      inUse_[i] = 1;
      return i;
    }
  }
  return -1;
}

void StopwatchBank::Release(int slot) {
  if (InUse(slot)) inUse_[slot] = 0;
}

uint32_t StopwatchBank::Elapsed(int slot) const {
  if (!InUse(slot)) return 0;
  uint32_t now = TimeGetTime();
  uint32_t start = start_[slot];
  // Once the clock has wrapped the count is one short of the modular
  // difference: that is how the game has always measured it.
  if (start <= now) return now - start;
  return (0xFFFFFFFFu - start) + now;
}

void StopwatchBank::Restart(int slot) {
  if (InUse(slot)) start_[slot] = TimeGetTime();
}

bool StopwatchBank::PeriodElapsed(int slot, uint32_t periodMs) const {
  if (!InUse(slot)) return true;
  return Elapsed(slot) >= periodMs;
}

uint32_t StopwatchBank::StartOneShot(OneShotProc proc, void* target, uint32_t value,
                                     uint32_t delayMs) {
  if (!proc) return 0;
  uint32_t id = nextOneShotId_++;
  if (nextOneShotId_ == 0) nextOneShotId_ = 1;
  oneShots_.push_back({id, TimeGetTime(), delayMs, proc, target, value});
  return id;
}

int StopwatchBank::PollOneShots() {
  uint32_t now = TimeGetTime();
  // Take the due ones out first: a callback may start a new one-shot.
  std::vector<OneShot> due;
  for (size_t i = 0; i < oneShots_.size();) {
    if (now - oneShots_[i].start >= oneShots_[i].delay) {
      due.push_back(oneShots_[i]);
      oneShots_.erase(oneShots_.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
  for (const OneShot& s : due) s.proc(s.target, s.value);
  return static_cast<int>(due.size());
}
