#include <gtest/gtest.h>

#include <vector>

#include "base/clock.h"
#include "base/stopwatch.h"

namespace {

class StopwatchTest : public ::testing::Test {
 protected:
  void SetUp() override { old_ = SetClock(&clock_); }
  void TearDown() override { SetClock(old_); }
  VirtualClock clock_{1000};
  Clock* old_ = nullptr;
};

TEST_F(StopwatchTest, AllocatesAHundredThenRefusesAndReusesReleasedSlots) {
  StopwatchBank bank;
  for (int i = 0; i < 100; ++i) ASSERT_EQ(bank.Allocate(), i);
  EXPECT_EQ(bank.Allocate(), -1);
  bank.Release(37);
  EXPECT_EQ(bank.Allocate(), 37);
  EXPECT_EQ(bank.Allocate(), -1);
}

TEST_F(StopwatchTest, MeasuresAcrossTheClockWrap) {
  StopwatchBank bank;
  int s = bank.Allocate();
  clock_.Set(0xFFFFFFF0u);
  bank.Restart(s);
  clock_.Set(0x00000010u);
  EXPECT_EQ(bank.Elapsed(s), 0x1Fu);  // one short of the modular 32
  clock_.Set(0xFFFFFFF5u);
  EXPECT_EQ(bank.Elapsed(s), 5u);
}

TEST_F(StopwatchTest, BadAndFreeSlotsReadZeroAndIgnoreChanges) {
  StopwatchBank bank;
  int s = bank.Allocate();
  bank.Restart(s);
  clock_.Advance(50);
  int released = bank.Allocate();
  bank.Release(released);
  for (int bad : {-1, 100, released}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(bank.Elapsed(bad), 0u);
    bank.Restart(bad);
    bank.Release(bad);
  }
  EXPECT_EQ(bank.Elapsed(s), 50u);  // untouched by the bad calls
  EXPECT_EQ(bank.Allocate(), released);
}

// A failed allocation must not make a pacing loop wait for ever.
TEST_F(StopwatchTest, PacingNeverWaitsOnAFailedAllocation) {
  StopwatchBank bank;
  EXPECT_TRUE(bank.PeriodElapsed(-1, 66));
  EXPECT_TRUE(bank.PeriodElapsed(100, 66));
  int s = bank.Allocate();
  bank.Restart(s);
  clock_.Advance(65);
  EXPECT_FALSE(bank.PeriodElapsed(s, 66));
  clock_.Advance(1);
  EXPECT_TRUE(bank.PeriodElapsed(s, 66));
}

}  // namespace
