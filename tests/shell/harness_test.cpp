// The event harness on a small test event: one machine with scripted input,
// and four machines in lock-step over the in-memory hub.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/player_records.h"
#include "base/random.h"
#include "base/stopwatch.h"
#include "screen/game_screen.h"
#include "screen/game_screen_services.h"
#include "tests/support/event_harness.h"

namespace {

// Module globals of the event, which the harness keeps per machine: a frame
// count, and a bias that makes a machine compute differently from frame 10.
int32_t g_testEventFrames = 0;
int32_t g_machineBias = 0;

// An event in the shape every event has: chat, pacing, the base Run, the
// exchange, an update on the exchanged input only (and the shared random
// numbers), the sync check, the local input for the next frame.
class TestEvent : public GameScreen {
 public:
  explicit TestEvent(int length) : GameScreen(1), length_(length) {
    timer_ = g_timers ? g_timers->Allocate() : -1;
    if (g_timers) g_timers->Restart(timer_);
    quit_ = WaitForPlayers();
  }
  ~TestEvent() override {
    if (g_timers) g_timers->Release(timer_);
  }
  int Run() override {
    HandleChatInput();
    if (quit_) return -1;
    if (!DelayElapsed(timer_, 65)) return 0;
    int r = GameScreen::Run();
    if (r == -1) return -1;
    ShellFlip();
    if (r == 2) return 0;
    int x = ExchangeInput();
    if (x != 0) return x;
    ++g_testEventFrames;
    for (int p = 0; p < kMaxPlayers; ++p) {
      for (int b = 0; b < kPlayerStateSize; ++b) {
        state_ = state_ * 31 + g_playerStates[p][b];
        if (g_playerStates[p][b] & 0x7F) presses_[p] += g_playerStates[p][b] & 0x7F;
      }
    }
    state_ = state_ * 31 + static_cast<uint32_t>(RandomInt(1000));
    if (frame_ == 10) state_ += static_cast<uint32_t>(g_machineBias);
    inputs_.push_back(g_playerStates[0][5]);
    SetSyncCheck(static_cast<int32_t>(state_));
    ReadLocalInput();
    if (++frame_ >= length_) {
      for (int p = 0; p < kMaxPlayers; ++p) {
        g_players[p].result = presses_[p];
        g_players[p].place = p;
      }
      return 1;
    }
    return 0;
  }
  const std::vector<uint8_t>& inputs() const { return inputs_; }

 private:
  int length_;
  int timer_ = -1;
  int quit_ = 0;
  int frame_ = 0;
  uint32_t state_ = 17;
  int presses_[kMaxPlayers] = {};
  std::vector<uint8_t> inputs_;
};

TEST(Harness, OneMachineWithScriptedInput) {
  HarnessOptions o;
  o.players[0] = FixturePlayer(4, true, "ANNA");
  o.make = [] { return new TestEvent(12); };
  InputScript script;
  script.Press(2, 5).Press(2, 5).Hold(5, 7, 5);
  o.scripts.push_back(script);
  std::vector<uint8_t> seen;
  o.onFrame = [&](int, int, GameScreen* s) { seen = static_cast<TestEvent*>(s)->inputs(); };
  HarnessRun run = RunEventHarness(o);
  ASSERT_EQ(run.machines.size(), 1u);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_EQ(run.machines[0].frames, 12);
  EXPECT_FALSE(run.timedOut);
  // The input of frame f is acted on in frame f + 1.
  std::vector<uint8_t> want(12, 0);
  want[3] = 2;
  want[6] = 0x81;
  want[7] = 0x80;
  want[8] = 0x80;
  EXPECT_EQ(seen, want);
  EXPECT_EQ(run.machines[0].players[0].result, 3);
  EXPECT_STREQ(run.machines[0].players[0].name, "ANNA");
  EXPECT_EQ(run.machines[0].players[3].place, 3);
}

TEST(Harness, OneMachineRunsAlikeForOneSeed) {
  auto checks = [](uint32_t seed) {
    HarnessOptions o;
    o.seed = seed;
    o.make = [] { return new TestEvent(20); };
    return RunEventHarness(o).machines[0].syncChecks;
  };
  EXPECT_EQ(checks(99), checks(99));
  EXPECT_NE(checks(99), checks(100));
}

// Paced at the events' own period, the machines wait for their frames on
// the virtual clock and still run in step.
TEST(Harness, PacedMachinesRunInStep) {
  HarnessOptions o;
  o.machines = 2;
  o.gameSpeed = 6;
  o.players[0] = FixturePlayer(0, true, "ANNA");
  o.players[1] = FixturePlayer(1, true, "BEN");
  o.make = [] { return new TestEvent(15); };
  HarnessRun run = RunEventHarness(o);
  EXPECT_TRUE(run.syncEqual);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.machines[0].result, 1);
  // 15 frames of 65 ms.
  EXPECT_GE(run.virtualMs, 14u * 65u);
  EXPECT_LT(run.virtualMs, 40u * 65u);
  o.machines = 1;
  run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_GE(run.virtualMs - o.seed, 14u * 65u);
}

TEST(Harness, FourMachinesInLockStep) {
  HarnessOptions o;
  o.machines = 4;
  o.seed = 4242;
  for (int i = 0; i < 4; ++i) {
    const char* names[4] = {"ANNA", "BEN", "CARL", "DORA"};
    o.players[i] = FixturePlayer(i, true, names[i], i);
  }
  o.make = [] { return new TestEvent(40); };
  o.instanceGlobals.push_back({&g_testEventFrames, sizeof g_testEventFrames});
  for (int i = 0; i < 4; ++i) {
    InputScript s;
    for (int f = i; f < 40; f += 3 + i) s.Press(f, 4 + i);
    s.Hold(10 + i, 20 + i, i);
    o.scripts.push_back(s);
  }
  std::vector<int32_t> framesSeen(4, 0);
  o.onFrame = [&](int machine, int, GameScreen*) { framesSeen[machine] = g_testEventFrames; };
  g_testEventFrames = 0;
  HarnessRun run = RunEventHarness(o);
  ASSERT_EQ(run.machines.size(), 4u);
  EXPECT_TRUE(run.syncEqual) << "first mismatch at sync point " << run.firstMismatch;
  EXPECT_FALSE(run.timedOut);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(run.machines[i].result, 1) << i;
    EXPECT_GE(run.machines[i].syncChecks.size(), 39u) << i;
    // Each machine counted its own frames in its own copy of the global.
    EXPECT_GE(framesSeen[i], 39) << i;
    EXPECT_LE(framesSeen[i], 40) << i;
  }
  // Every machine's presses reached the machine that ended the event.
  for (int p = 0; p < 4; ++p) EXPECT_GT(run.machines[0].players[p].result, 0) << p;
  EXPECT_EQ(g_testEventFrames, 0);  // the caller's copy is untouched
}

TEST(Harness, TwoMachinesDisagreeingEndTheGame) {
  HarnessOptions o;
  o.machines = 2;
  o.players[0] = FixturePlayer(0, true, "ANNA");
  o.players[1] = FixturePlayer(1, true, "BEN");
  o.make = [] { return new TestEvent(30); };
  o.instanceGlobals.push_back({&g_machineBias, sizeof g_machineBias});
  // Machine 1 drifts: its own copy of the global says so from its first frame.
  o.onFrame = [](int machine, int, GameScreen*) { g_machineBias = machine; };
  HarnessRun run = RunEventHarness(o);
  EXPECT_FALSE(run.syncEqual);
  EXPECT_EQ(run.firstMismatch, 11);
  EXPECT_EQ(run.machines[0].result, -1);
  EXPECT_EQ(run.machines[1].result, -1);
  EXPECT_EQ(g_machineBias, 0);
}

}  // namespace
