// TROUBLED WATERS run whole through the event harness: four computer
// swimmers to the end, a person who never swims (the time limit) and two
// machines in lock-step.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "base/player_records.h"
#include "events/troubled_waters/swim_event.h"
#include "events/troubled_waters/swim_rules.h"
#include "events/troubled_waters/swimmer.h"
#include "tests/support/event_harness.h"

using namespace swim;
namespace fs = std::filesystem;

namespace {

const std::string kGameData = std::string(KEL_BINARY_DIR) + "/gamedata";

struct Seen {
  int raceFrames = 0;
  int maxPlaces = 0;
  bool finishedAll = true;
  int32_t x[4] = {};
};

class SwimEventTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kGameData + "/data/swim/tiles8.mbm")) << "made by the gamedata target";
    setenv("KELVANTHROP_DATA_ROOT", kGameData.c_str(), 1);
  }
  void TearDown() override { unsetenv("KELVANTHROP_DATA_ROOT"); }

  HarnessOptions Options(const std::array<PlayerRecord, 4>& players, Seen* seen, uint32_t seed = 7) {
    HarnessOptions o;
    o.make = [] { return static_cast<GameScreen*>(new SwimEvent()); };
    o.players = players;
    o.seed = seed;
    o.instanceGlobals = SwimInstanceGlobals();
    o.maxFrames = 12000;
    o.eventIndex = 5;
    o.onFrame = [seen](int machine, int, GameScreen* screen) {
      auto* ev = static_cast<SwimEvent*>(screen);
      if (machine != 0 || !seen) return;
      seen->raceFrames = ev->RaceFrame();
      seen->maxPlaces = ev->PlacesGiven();
      for (int i = 0; i < 4; ++i)
        if (const Swimmer* s = ev->GetSwimmer(i)) seen->x[i] = s->x;
    };
    return o;
  }
};

void ExpectPlausible(const std::array<PlayerRecord, 4>& records) {
  std::set<int> places;
  for (const PlayerRecord& p : records) {
    places.insert(p.place);
    EXPECT_GE(p.result, 1);
    EXPECT_LE(p.result, kNotFinished);
    EXPECT_GE(p.energy, 0);
  }
  EXPECT_EQ(places, (std::set<int>{0, 1, 2, 3}));
  // A faster finisher never ranks behind a slower one.
  for (const PlayerRecord& a : records)
    for (const PlayerRecord& b : records)
      if (a.result < b.result) EXPECT_LT(a.place, b.place) << a.name << " " << b.name;
}

}  // namespace

TEST_F(SwimEventTest, FourComputerSwimmersReachTheExit) {
  Seen seen;
  HarnessRun run = RunEventHarness(Options(ComputerFixtures(), &seen));
  ASSERT_EQ(run.machines.size(), 1u);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.machines[0].result, 1);
  ExpectPlausible(run.machines[0].players);
  // The race ends when three have reached the exit, or at the time limit.
  int finished = 0;
  for (const PlayerRecord& p : run.machines[0].players) finished += p.result < kNotFinished ? 1 : 0;
  EXPECT_EQ(finished, seen.maxPlaces);
  EXPECT_GE(finished, 1);
  EXPECT_TRUE(seen.maxPlaces == 3 || seen.raceFrames == kTimeLimitSeconds * kRaceFramesPerSecond);
  // The same seed swims the same race.
  Seen again;
  HarnessRun second = RunEventHarness(Options(ComputerFixtures(), &again));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(second.machines[0].players[i].result, run.machines[0].players[i].result);
    EXPECT_EQ(again.x[i], seen.x[i]);
  }
}

TEST_F(SwimEventTest, APersonWhoNeverSwimsEndsAtTheTimeLimit) {
  auto players = ComputerFixtures();
  players[0].human = 1;
  players[1].endurance = 0;  // must not divide by zero
  Seen seen;
  HarnessOptions o = Options(players, &seen, 11);
  o.maxFrames = 10000;
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_FALSE(run.timedOut);
  const PlayerRecord& me = run.machines[0].players[0];
  EXPECT_EQ(me.result, kNotFinished);
  EXPECT_EQ(me.place, 3);
  EXPECT_EQ(seen.raceFrames, kTimeLimitSeconds * kRaceFramesPerSecond);
  ExpectPlausible(run.machines[0].players);
}

TEST_F(SwimEventTest, TwoMachinesStayInLockStep) {
  auto players = ComputerFixtures();
  for (int i = 0; i < 4; ++i) players[i].human = i == 0 ? 1 : 0;
  HarnessOptions o = Options(players, nullptr, 23);
  o.machines = 2;
  o.playMode = 2;
  // Machine 0's person swims right and down for a while, then stops.
  InputScript s;
  s.Hold(30, 400, 3);
  s.Hold(60, 90, 1);
  o.scripts = {s};
  o.maxFrames = 10000;
  HarnessRun run = RunEventHarness(o);
  ASSERT_EQ(run.machines.size(), 2u);
  EXPECT_TRUE(run.syncEqual) << "first mismatch at " << run.firstMismatch;
  EXPECT_FALSE(run.timedOut);
  for (const auto& m : run.machines) {
    EXPECT_EQ(m.result, 1);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(m.players[i].place, run.machines[0].players[i].place);
      EXPECT_EQ(m.players[i].result, run.machines[0].players[i].result);
    }
  }
}
