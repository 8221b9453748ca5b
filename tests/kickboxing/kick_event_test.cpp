// PLATFORM KICKBOXING run whole through the event harness: four computer
// fighters for the whole 180 seconds, a person who walks off the edge, two
// people on one machine, a data set without sounds, and the network game as
// two and four machines on a lossy, slow network, one of them leaving.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "base/player_records.h"
#include "events/kickboxing/kick_fighter.h"
#include "events/kickboxing/kick_rules.h"
#include "events/kickboxing/kickboxing_event.h"
#include "net/net_session.h"
#include "screen/config.h"
#include "tests/support/event_harness.h"

using namespace kick;
namespace fs = std::filesystem;

namespace {

const std::string kGameData = std::string(KEL_BINARY_DIR) + "/gamedata";

// Input-map actions of the harness scripts.
constexpr int kUp = 0, kDown = 1, kLeft = 2, kRight = 3, kAction = 4;

// What machine 0 saw at its last frame of the fight.
struct Seen {
  int fightFrames = 0;
  int32_t clock = kClockStart;
  int32_t score[4] = {};
  float energy[4] = {};
  float z[4] = {};
  int maxState[4] = {};
  bool stateSeen[4][13] = {};
  int syncValues = 0;
};

class KickEventTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kGameData + "/data/boxing/palette.bmp")) << "made by the gamedata target";
    UseDataRoot(kGameData);
  }
  void TearDown() override { unsetenv("KELVANTHROP_DATA_ROOT"); }
  static void UseDataRoot(const std::string& root) { setenv("KELVANTHROP_DATA_ROOT", root.c_str(), 1); }

  static HarnessOptions Options(const std::array<PlayerRecord, 4>& players, Seen* seen, uint32_t seed = 7) {
    HarnessOptions o;
    o.make = [] { return static_cast<GameScreen*>(new KickboxingEvent()); };
    o.players = players;
    o.seed = seed;
    o.instanceGlobals = KickboxingInstanceGlobals();
    o.maxFrames = 4000;
    o.eventIndex = 8;
    o.onFrame = [seen](int machine, int, GameScreen* screen) {
      auto* ev = static_cast<KickboxingEvent*>(screen);
      if (machine != 0 || !seen || ev->Phase() != kFight) return;
      seen->fightFrames = ev->playFrame - 1;
      seen->clock = ev->Clock();
      for (int i = 0; i < 4; ++i)
        if (const KickboxingFighter* f = ev->Fighter(i)) {
          seen->score[i] = f->score;
          seen->energy[i] = f->energy;
          seen->z[i] = f->z;
          seen->stateSeen[i][f->state] = true;
        }
    };
    return o;
  }
};

// A lossy, slow network: the game's messages are lost, held back and
// reordered; the session's own control packets stand for the transport's
// reliable channel.
NetHub::Faults BadNetwork() {
  NetHub::Faults f;
  f.dropPercent = 8;
  f.delayPercent = 20;
  f.maxDelay = 4;
  f.reorderPercent = 10;
  f.applies = [](int, int, const std::vector<uint8_t>& p) { return !p.empty() && p[0] == netwire::kApp; };
  return f;
}

// A person who walks to the middle from their corner and then fights
// there: arrows held for a while, then the action now and then.
InputScript ToTheMiddleAndFight(int arrow, int walkFrames, int offset) {
  InputScript s;
  s.Hold(30, 30 + walkFrames, arrow);
  for (int f = 60 + walkFrames + offset; f < 3200; f += 37) s.Hold(f, f + 6, kAction);
  return s;
}

// Places as the rules give them from what the fight left.
void ExpectStandings(const std::array<PlayerRecord, 4>& records, const Seen& seen) {
  int32_t place[4];
  RankFighters(seen.score, seen.energy, place);
  ExpectRecordedStandings(records, seen.score, place);
}

}  // namespace

TEST_F(KickEventTest, FourComputerFightersFightTheWholeClock) {
  Seen seen;
  HarnessRun run = RunEventHarness(Options(ComputerFixtures(), &seen));
  ASSERT_EQ(run.machines.size(), 1u);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.machines[0].result, 1);
  // Unless three fell off, the clock ran down: 180 drops of a second every
  // 15 frames, and the end on the frame after the last.
  int down = 0;
  for (float z : seen.z) down += z <= kBottom ? 1 : 0;
  if (down < 3) {
    EXPECT_EQ(seen.clock, 0);
    EXPECT_EQ(seen.fightFrames, kClockStart * kFramesPerClockSecond);
  }
  ExpectStandings(run.machines[0].players, seen);
  // They fought: someone scored, someone was knocked down.
  int32_t best = *std::max_element(seen.score, seen.score + 4);
  EXPECT_GT(best, 0);
  bool knocked = false;
  for (const auto& s : seen.stateSeen) knocked = knocked || s[kKnocked];
  EXPECT_TRUE(knocked);

  // The same seed fights the same fight, whatever is drawn.
  Seen again;
  HarnessOptions o = Options(ComputerFixtures(), &again);
  o.drawEvery = 50;
  HarnessRun second = RunEventHarness(o);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(again.score[i], seen.score[i]);
    EXPECT_EQ(again.energy[i], seen.energy[i]);
    EXPECT_EQ(second.machines[0].players[i].place, run.machines[0].players[i].place);
  }
}

TEST_F(KickEventTest, APersonWhoWalksOffTheEdgeEndsTheGameOfOne) {
  auto players = ComputerFixtures();
  players[0].human = 1;
  InputScript walkOff;
  walkOff.Hold(0, 3000, kLeft).Hold(0, 3000, kUp);  // -x: over the left edge
  Seen seen;
  HarnessOptions o = Options(players, &seen, 19);
  o.scripts = {walkOff};
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_FLOAT_EQ(seen.z[0], kBottom);
  EXPECT_EQ(seen.score[0], -400);
  EXPECT_EQ(run.machines[0].players[0].result, -400);
  // The end waited for the boo and the call, by their frames, and no longer.
  EXPECT_GT(seen.fightFrames, 20);
  EXPECT_LT(seen.fightFrames, 150);
  ExpectStandings(run.machines[0].players, seen);
}

TEST_F(KickEventTest, TwoPeopleOnOneMachineBothDownEndTheEvent) {
  auto players = ComputerFixtures();
  players[0].human = 1;
  players[1].human = 1;
  InputScript both;
  both.Hold(0, 3000, kLeft, 0).Hold(0, 3000, kUp, 0);    // player 0: -x
  both.Hold(0, 3000, kLeft, 1).Hold(0, 3000, kUp, 1);    // player 1 too, side by side
  Seen seen;
  HarnessOptions o = Options(players, &seen, 5);
  o.playMode = 1;
  o.scripts = {both};
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_FLOAT_EQ(seen.z[0], kBottom);
  EXPECT_FLOAT_EQ(seen.z[1], kBottom);
  EXPECT_LT(seen.fightFrames, 150);
  EXPECT_EQ(seen.score[0], -400);
  EXPECT_EQ(seen.score[1], -400);
  ExpectStandings(run.machines[0].players, seen);
}

TEST_F(KickEventTest, TwoMachinesOnALossyNetworkStayInStep) {
  auto players = ComputerFixtures();
  players[0] = FixturePlayer(2, true, "HOST");
  players[1] = FixturePlayer(4, true, "GUEST");
  Seen seen;
  HarnessOptions o = Options(players, &seen, 23);
  o.machines = 2;
  o.faults = BadNetwork();
  o.drawEvery = 30;
  o.scripts = {ToTheMiddleAndFight(kRight, 40, 0), ToTheMiddleAndFight(kDown, 40, 11)};
  HarnessRun run = RunEventHarness(o);
  ASSERT_EQ(run.machines.size(), 2u);
  EXPECT_FALSE(run.timedOut);
  EXPECT_TRUE(run.syncEqual) << "first mismatch at sync point " << run.firstMismatch;
  for (const auto& m : run.machines) {
    EXPECT_EQ(m.result, 1);
    EXPECT_EQ(m.syncChecks, run.machines[0].syncChecks);
  }
  EXPECT_GT(run.machines[0].syncChecks.size(), 300u);
  ExpectSameRecords(run);
  ExpectStandings(run.machines[0].players, seen);
}

TEST_F(KickEventTest, FourMachinesAgreeEveryFrameOfTheWholeFight) {
  auto players = ComputerFixtures();
  players[0] = FixturePlayer(0, true, "ANNA");
  players[2] = FixturePlayer(5, true, "CLEO");
  Seen seen;
  HarnessOptions o = Options(players, &seen, 4242);
  o.machines = 4;
  o.faults = BadNetwork();
  o.drawEvery = 50;
  o.scripts = {ToTheMiddleAndFight(kRight, 45, 0), InputScript(), ToTheMiddleAndFight(kLeft, 45, 17), InputScript()};
  HarnessRun run = RunEventHarness(o);
  ASSERT_EQ(run.machines.size(), 4u);
  EXPECT_FALSE(run.timedOut);
  EXPECT_TRUE(run.syncEqual) << "first mismatch at sync point " << run.firstMismatch;
  for (const auto& m : run.machines) {
    EXPECT_EQ(m.result, 1);
    EXPECT_EQ(m.syncChecks, run.machines[0].syncChecks);
  }
  // The whole 180 seconds, every frame checked on every machine (the one
  // that ends first tells the others, which end before their last frame).
  EXPECT_EQ(seen.clock, 0);
  EXPECT_GE(seen.fightFrames, kClockStart * kFramesPerClockSecond - 1);
  EXPECT_GT(run.machines[0].syncChecks.size(), 2700u);
  ExpectSameRecords(run);
  ExpectStandings(run.machines[0].players, seen);
}

TEST_F(KickEventTest, AMachineThatLeavesIsTakenOverByTheComputer) {
  auto players = ComputerFixtures();
  for (int i = 0; i < 3; ++i) players[i] = FixturePlayer(i + 1, true, ("P" + std::to_string(i)).c_str());
  struct Watch {
    bool humanBefore = false, computerAfter = false, plannedAfter = false;
  } watch;
  Seen seen;
  HarnessOptions o = Options(players, &seen, 77);
  o.machines = 3;
  o.drawEvery = 40;
  o.leaveAfterFrames = {0, 0, 600};
  o.scripts = {ToTheMiddleAndFight(kRight, 40, 0), ToTheMiddleAndFight(kDown, 40, 5), ToTheMiddleAndFight(kLeft, 40, 9)};
  auto base = o.onFrame;
  o.onFrame = [&](int machine, int frame, GameScreen* screen) {
    base(machine, frame, screen);
    if (machine != 0) return;
    const KickboxingFighter* f = static_cast<KickboxingEvent*>(screen)->Fighter(2);
    if (frame < 500) watch.humanBefore = watch.humanBefore || g_players[2].human;
    if (frame > 800 && !g_players[2].human) watch.computerAfter = true;
    if (frame > 800 && f && f->plan >= 0) watch.plannedAfter = true;
  };
  HarnessRun run = RunEventHarness(o);
  ASSERT_EQ(run.machines.size(), 3u);
  EXPECT_TRUE(run.machines[2].left);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_EQ(run.machines[1].result, 1);
  EXPECT_TRUE(run.syncEqual) << "first mismatch at sync point " << run.firstMismatch;
  EXPECT_TRUE(watch.humanBefore);
  EXPECT_TRUE(watch.computerAfter);
  EXPECT_TRUE(watch.plannedAfter) << "the computer steers the fighter of the one who left";
  // The two that stayed end alike; the one who left still got a place.
  for (int p = 0; p < 4; ++p) {
    EXPECT_EQ(run.machines[1].players[p].place, run.machines[0].players[p].place);
    EXPECT_EQ(run.machines[1].players[p].result, run.machines[0].players[p].result);
    EXPECT_GE(run.machines[2].players[p].place, 0);
  }
  ExpectStandings(run.machines[0].players, seen);
}

TEST_F(KickEventTest, SoundsAndMemoryDoNotChangeTheFight) {
  // The same fight with every sound, without a single sound file, and on a
  // machine with little memory (which loads no voices, yet draws the same
  // numbers): the points and places come out the same.
  const fs::path noSounds = fs::path(KEL_BINARY_DIR) / "kick-no-sounds";
  fs::remove_all(noSounds);
  for (const auto& e : fs::recursive_directory_iterator(kGameData)) {
    const fs::path rel = fs::relative(e.path(), kGameData);
    if (e.is_directory())
      fs::create_directories(noSounds / rel);
    else if (e.path().extension() != ".wav")
      fs::create_symlink(e.path(), noSounds / rel);
  }
  auto fight = [&](Seen* seen, int* sounds) {
    HarnessOptions o = Options(ComputerFixtures(), seen, 31);
    o.drawEvery = 60;
    auto base = o.onFrame;
    o.onFrame = [base, sounds](int m, int f, GameScreen* screen) {
      base(m, f, screen);
      *sounds = static_cast<KickboxingEvent*>(screen)->LoadedSoundCount();
    };
    return RunEventHarness(o);
  };
  Seen full, silent, low;
  int fullSounds = 0, silentSounds = 0, lowSounds = 0;
  HarnessRun a = fight(&full, &fullSounds);
  UseDataRoot(noSounds.string());
  HarnessRun b = fight(&silent, &silentSounds);
  UseDataRoot(kGameData);
  OverrideLowMemory(1);
  HarnessRun c = fight(&low, &lowSounds);
  OverrideLowMemory(-1);
  fs::remove_all(noSounds);
  EXPECT_EQ(fullSounds, 5 + 4 * 8 - 1);  // the announcer goes when the fight starts
  EXPECT_EQ(silentSounds, 0);
  EXPECT_EQ(lowSounds, 5 + 4 * 4 - 1);   // no voices
  for (const HarnessRun* r : {&b, &c})
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(r->machines[0].result, 1);
      EXPECT_EQ(r->machines[0].players[i].result, a.machines[0].players[i].result) << i;
      EXPECT_EQ(r->machines[0].players[i].place, a.machines[0].players[i].place) << i;
    }
  EXPECT_EQ(silent.fightFrames, full.fightFrames);
  EXPECT_EQ(low.fightFrames, full.fightFrames);
}

TEST_F(KickEventTest, WithoutItsDataTheEventStillEnds) {
  const fs::path nothing = fs::path(KEL_BINARY_DIR) / "kick-no-data";
  fs::remove_all(nothing);
  fs::create_directories(nothing);
  UseDataRoot(nothing.string());
  Seen seen;
  HarnessOptions o = Options(ComputerFixtures(), &seen, 3);
  o.drawEvery = 100;
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  ExpectStandings(run.machines[0].players, seen);
  fs::remove_all(nothing);
}
