#include "base/clock.h"

#include <chrono>
#include <thread>

uint32_t RealClock::NowMs() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void RealClock::SleepMs(uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

namespace {
RealClock g_realClock;
std::atomic<Clock*> g_clock{&g_realClock};
std::atomic<EventWaiter> g_eventWaiter{nullptr};
}  // namespace

Clock* SetClock(Clock* clock) {
  return g_clock.exchange(clock ? clock : &g_realClock);
}

Clock& GetClock() { return *g_clock.load(); }

uint32_t TimeGetTime() { return GetClock().NowMs(); }
void SleepMs(uint32_t ms) { GetClock().SleepMs(ms); }

EventWaiter SetEventWaiter(EventWaiter waiter) { return g_eventWaiter.exchange(waiter); }

void WaitForEventMs(uint32_t ms) {
  Clock& clock = GetClock();
  EventWaiter waiter = g_eventWaiter.load();
  // Test clocks move their own time: only the real clock waits on the window.
  if (waiter && &clock == &g_realClock) {
    waiter(ms);
  } else {
    clock.SleepMs(ms);
  }
}
