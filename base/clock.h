#pragma once
// The one millisecond clock of the program. The real clock is monotonic; tests
// and headless runs install a VirtualClock, on which SleepMs advances time at
// once so that whole events run unpaced.
#include <atomic>
#include <cstdint>

class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t NowMs() = 0;          // 32-bit milliseconds, wrapping
  virtual void SleepMs(uint32_t ms) = 0;
};

class RealClock : public Clock {
 public:
  uint32_t NowMs() override;
  void SleepMs(uint32_t ms) override;
};

class VirtualClock : public Clock {
 public:
  explicit VirtualClock(uint32_t start = 0) : now_(start) {}
  uint32_t NowMs() override { return now_.load(); }
  void SleepMs(uint32_t ms) override { now_ += ms; }
  void Advance(uint32_t ms) { now_ += ms; }
  void Set(uint32_t ms) { now_ = ms; }

 private:
  std::atomic<uint32_t> now_;
};

// The clock every caller uses. SetClock(nullptr) restores the real clock.
// Returns the previous clock.
Clock* SetClock(Clock* clock);
Clock& GetClock();

// Shorthands for the two operations the game uses everywhere.
uint32_t TimeGetTime();
void SleepMs(uint32_t ms);

// The wait of a screen that paces itself: sleeps until ms have passed, but
// wakes early when the window has an event waiting (a key, the focus), so
// that the main loop handles it at once and nothing ever spins. With no
// window (or on a clock other than the real one) it is SleepMs. The platform
// installs the window's waiter; it returns whether an event is waiting.
using EventWaiter = bool (*)(uint32_t ms);
EventWaiter SetEventWaiter(EventWaiter waiter);
void WaitForEventMs(uint32_t ms);
