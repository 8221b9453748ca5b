#pragma once
// The bank of 100 millisecond stopwatches every screen paces itself with. A
// stopwatch is a slot index; time is TimeGetTime() (base/clock.h), so tests and
// headless runs drive it with a VirtualClock.
#include <cstdint>

class StopwatchBank {
 public:
  static constexpr int kCount = 100;

  StopwatchBank();  // every slot free, every start time "now"

  // First free slot, now in use (its start time is left as it was: call
  // Restart). -1 when all 100 are in use.
  int Allocate();
  // Frees the slot; a bad index or a free slot is ignored.
  void Release(int slot);
  // Milliseconds since the slot's start, across the 32-bit wrap of the clock
  // ((0xFFFFFFFF - start) + now once wrapped). 0 for a bad index or a free slot.
  uint32_t Elapsed(int slot) const;
  // start = now; a bad index or a free slot is ignored.
  void Restart(int slot);
  bool InUse(int slot) const;

  // For pacing loops: true once periodMs have elapsed on the slot, and also
  // (at once) for a slot that could not be allocated or is not in use, so that
  // a failed Allocate never makes a caller wait for ever.
  bool PeriodElapsed(int slot, uint32_t periodMs) const;

 private:
  uint32_t start_[kCount];
  uint32_t inUse_[kCount];
};

// The one bank of the program, created at shell start-up and deleted at
// shut-down (null before and after).
extern StopwatchBank* g_timers;
