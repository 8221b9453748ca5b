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

