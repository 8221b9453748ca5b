// FULL CONTACT FIGURE SKATING run whole through the event harness: four
// computer players to the end of the clock, a scripted person, two on one
// machine, two and four machines in lock-step, and damaged or missing data.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "base/player_records.h"
#include "events/figure_skating/figure_skating_data.h"
#include "events/figure_skating/figure_skating_event.h"
#include "events/figure_skating/skating_rules.h"
#include "screen/event_assets.h"
#include "screen/event_records.h"
#include "screen/game_screen_services.h"
#include "tests/support/event_harness.h"

namespace fs = std::filesystem;
using namespace skaterules;

namespace {

const std::string kGameData = std::string(KEL_BINARY_DIR) + "/gamedata";

// Input-map actions of the harness scripts.
constexpr int kUp = 0, kDown = 1, kRight = 3, kFire1 = 4, kFire2 = 5;

// What a run showed.
struct Seen {
  int frames = 0;
  int playFrames = 0;
  int jumpKinds = 0;  // bit k - 8 for each kind of jump seen
  int weapons = 0;    // most weapons in flight at once
  int falls = 0;      // frames with a skater lying
  int scores[4] = {};
  int energyPercent[4] = {};
  bool energyInRange = true;
  bool drawListSorted = true;
  int loadedSounds = -1;  // the most at any frame
};

class SkatingEventTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kGameData + "/data/skate/back.bbm")) << "the event's data set is made by the gamedata target";
    UseDataRoot(kGameData);
  }
  void TearDown() override { unsetenv("KELVANTHROP_DATA_ROOT"); }
  static void UseDataRoot(const std::string& root) { setenv("KELVANTHROP_DATA_ROOT", root.c_str(), 1); }

  static HarnessOptions Options(const std::array<PlayerRecord, 4>& players, Seen* seen) {
    HarnessOptions o;
    o.make = [] { return static_cast<GameScreen*>(new FigureSkatingEvent()); };
    o.players = players;
    o.eventIndex = 6;
    o.instanceGlobals = FigureSkatingInstanceGlobals();
    o.maxFrames = 4000;
    o.onFrame = [seen](int machine, int frame, GameScreen* screen) {
      auto* ev = static_cast<FigureSkatingEvent*>(screen);
      if (machine != 0 || !seen) return;
      seen->frames = frame + 1;
      seen->loadedSounds = std::max(seen->loadedSounds, ev->LoadedSoundCount());
      if (ev->GetEventState() != kSkEvPlay) return;
      if (ev->PlayFrame() >= 2 && ev->PlayFrame() <= kPlayFrames) ++seen->playFrames;
      int weapons = 0;
      for (int i = kFirstWeaponSlot; i < kSkatingActorSlots; ++i)
        if (ev->Actors()[i]) ++weapons;
      seen->weapons = std::max(seen->weapons, weapons);
      for (int i = 0; i < 4; ++i) {
        const Skater* s = ev->SkaterOf(i);
        if (!s) continue;
        if (s->state == kSkJump) seen->jumpKinds |= 1 << (s->jumpKind - 8);
        if (s->IsLying()) ++seen->falls;
        seen->scores[i] = s->score;
        seen->energyPercent[i] = EnergyPercent(g_players[i].energy, s->maxEnergy);
        if (g_players[i].energy < 0 || g_players[i].energy > 100) seen->energyInRange = false;
      }
      const auto& list = ev->DrawList();
      for (size_t k = 1; k < list.size(); ++k) {
        const SkatingActor* a = ev->Actors()[list[k - 1]];
        const SkatingActor* b = ev->Actors()[list[k]];
        DrawKey ka{a->IsSkater() && static_cast<const Skater*>(a)->IsLying(), a->x, a->y, list[k - 1]};
        DrawKey kb{b->IsSkater() && static_cast<const Skater*>(b)->IsLying(), b->x, b->y, list[k]};
        if (DrawsBefore(kb, ka)) seen->drawListSorted = false;
      }
    };
    return o;
  }

  // Places and results as the rules make them from the last scores.
  static void ExpectStandings(const std::array<PlayerRecord, 4>& records, const Seen& seen) {
    int place[4];
    RankByScore(seen.scores, seen.energyPercent, place);
    std::set<int> places;
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(records[i].result, seen.scores[i]) << i;
      EXPECT_EQ(records[i].place, place[i]) << i;
      places.insert(records[i].place);
    }
    EXPECT_EQ(places, (std::set<int>{0, 1, 2, 3}));
  }
};

TEST_F(SkatingEventTest, FourComputerPlayersSkateTheThreeMinutes) {
  auto players = ComputerFixtures();
  players[3] = FixturePlayer(5, false, "CPU4", 3);  // ZOVI, whose ship sinks before it flies
  players[1].weaponUnits = 40;
  Seen seen;
  HarnessRun run = RunEventHarness(Options(players, &seen));
  ASSERT_EQ(run.machines.size(), 1u);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.machines[0].result, 1);
  // Play runs from frame counter 2 to 2700, whatever the intro took.
  EXPECT_EQ(seen.playFrames, kPlayFrames - 1);
  ExpectStandings(run.machines[0].players, seen);
  int total = 0;
  for (int s : seen.scores) total += s;
  EXPECT_GT(total, 0) << "computer skaters land jumps";
  // On one machine every kind of jump comes round (the play frame is the
  // jump clock), weapons fly and skaters go down.
  EXPECT_EQ(seen.jumpKinds, 7);
  EXPECT_GT(seen.weapons, 0);
  EXPECT_GT(seen.falls, 0);
  EXPECT_TRUE(seen.energyInRange);
  EXPECT_TRUE(seen.drawListSorted);
  EXPECT_EQ(seen.loadedSounds, kSkSndCount) << "the announcer's is unloaded once the play starts";
  EXPECT_LT(run.machines[0].players[1].weaponUnits, 40) << "throws cost weapon units";
  // The hall of fame shows the winner's result as points.
  int best = 0;
  for (const PlayerRecord& p : run.machines[0].players) best = std::max(best, p.result);
  char text[64];
  EXPECT_EQ(std::string(FormatEventResult(6, best, text, sizeof text)), std::to_string(best) + " POINTS");

  // The same seed, the same event.
  Seen again;
  HarnessRun second = RunEventHarness(Options(players, &again));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(second.machines[0].players[i].result, run.machines[0].players[i].result);
    EXPECT_EQ(second.machines[0].players[i].energy, run.machines[0].players[i].energy);
  }
}

TEST_F(SkatingEventTest, AScriptedPersonScoresWithJumps) {
  // Player 0 skates right and down, selects the jump (action 9) and holds
  // the first action from time to time: every landed jump scores.
  auto players = ComputerFixtures();
  players[0] = FixturePlayer(2, true, "ANNA");
  InputScript script;
  for (int f = 0; f < 3000; f += 100) script.Press(f, 9);
  for (int f = 0; f < 3000; f += 200) {
    script.Hold(f, f + 60, kRight);
    script.Hold(f + 60, f + 120, kDown);
    script.Hold(f + 120, f + 180, kUp);
  }
  for (int f = 100; f < 3000; f += 40) script.Hold(f, f + 1, kFire1);
  int jumps = 0, lastScore = 0, pointsFromJumps = 0;
  bool scoredOutsideLanding = false;
  Seen seen;
  HarnessOptions o = Options(players, &seen);
  o.scripts = {script};
  auto base = o.onFrame;
  o.onFrame = [&](int m, int f, GameScreen* screen) {
    base(m, f, screen);
    auto* ev = static_cast<FigureSkatingEvent*>(screen);
    const Skater* s = ev->SkaterOf(0);
    if (!s) return;
    static int lastState = -1;
    if (s->state == kSkJump && lastState != kSkJump) ++jumps;
    if (s->score != lastScore) {
      if (lastState != kSkJump) scoredOutsideLanding = true;
      pointsFromJumps += s->score - lastScore;
      lastScore = s->score;
    }
    lastState = s->state;
  };
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_GE(jumps, 2);
  EXPECT_GT(pointsFromJumps, 0);
  EXPECT_FALSE(scoredOutsideLanding) << "points come only from landed jumps";
  EXPECT_EQ(run.machines[0].players[0].result, pointsFromJumps);
  ExpectStandings(run.machines[0].players, seen);
}

TEST_F(SkatingEventTest, TwoPlayersOnOneMachineEachHaveAView) {
  auto players = ComputerFixtures();
  players[0] = FixturePlayer(4, true, "LEFT");
  players[1] = FixturePlayer(5, true, "RIGHT");
  InputScript script;
  script.Hold(10, 400, kRight, 0);
  script.Hold(10, 400, kDown, 1);
  int camerasApart = 0;
  Seen seen;
  HarnessOptions o = Options(players, &seen);
  o.playMode = 1;
  o.scripts = {script};
  auto base = o.onFrame;
  o.onFrame = [&](int m, int f, GameScreen* screen) {
    base(m, f, screen);
    auto* ev = static_cast<FigureSkatingEvent*>(screen);
    if (ev->GetEventState() == kSkEvPlay && ev->CameraX(0) != ev->CameraX(1)) ++camerasApart;
  };
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_GT(camerasApart, 2000) << "each view follows its own skater";
  ExpectStandings(run.machines[0].players, seen);
}

TEST_F(SkatingEventTest, MachinesInLockStepAgreeEveryFrame) {
  for (int machines : {2, 4}) {
    SCOPED_TRACE(machines);
    auto players = ComputerFixtures();
    players[0] = FixturePlayer(4, true, "HOST");  // RADEROZI's own jumps
    players[1] = FixturePlayer(5, machines == 2, "GUEST");
    InputScript pusher;
    pusher.Press(5, 9);
    for (int f = 0; f < 3000; f += 150) {
      pusher.Hold(f, f + 70, kRight);
      pusher.Hold(f + 70, f + 140, kDown);
    }
    for (int f = 60; f < 3000; f += 45) pusher.Hold(f, f + 1, kFire1);
    InputScript thrower;
    thrower.Press(3, 7);  // the throw
    for (int f = 0; f < 3000; f += 90) thrower.Hold(f, f + 50, kUp);
    for (int f = 40; f < 3000; f += 33) thrower.Hold(f, f, kFire1);
    Seen seen;
    HarnessOptions o = Options(players, &seen);
    o.machines = machines;
    o.seed = 777 + machines;
    o.scripts = {pusher, thrower, InputScript(), InputScript()};
    HarnessRun run = RunEventHarness(o);
    ASSERT_EQ(run.machines.size(), size_t(machines));
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(run.syncEqual) << "first mismatch at sync point " << run.firstMismatch;
    for (const auto& m : run.machines) {
      EXPECT_EQ(m.result, 1);
      EXPECT_GT(m.syncChecks.size(), size_t(kPlayFrames));
      EXPECT_EQ(m.syncChecks, run.machines[0].syncChecks);
    }
    for (int i = 1; i < machines; ++i)
      for (int p = 0; p < 4; ++p) {
        uint8_t a[kPlayerRecordSize], b[kPlayerRecordSize];
        EncodePlayerRecord(run.machines[0].players[p], a);
        EncodePlayerRecord(run.machines[i].players[p], b);
        EXPECT_EQ(std::memcmp(a, b, sizeof a), 0) << "machine " << i << " player " << p;
      }
    EXPECT_EQ(seen.jumpKinds, 7);
    ExpectStandings(run.machines[0].players, seen);
  }
}

TEST_F(SkatingEventTest, AMachineThatLeavesIsTakenOverByTheComputer) {
  // Machine 1's player quits in the middle; machine 0 drops it when asked
  // and plays on to the end with a computer skater in its place.
  auto players = ComputerFixtures();
  players[0] = FixturePlayer(0, true, "STAYS");
  players[1] = FixturePlayer(3, true, "GOES");
  InputScript stays;
  for (int f = 600; f < 900; ++f) stays.Key(f, 'D');
  bool humanAfterLeaving = false;
  int framesAfterLeaving = 0;
  HarnessOptions o = Options(players, nullptr);
  o.machines = 2;
  o.seed = 99;
  o.scripts = {stays, InputScript()};
  o.leaveAfterFrames = {0, 600};
  o.onFrame = [&](int m, int f, GameScreen*) {
    if (m != 0 || f < 900) return;
    ++framesAfterLeaving;
    if (g_players[1].human) humanAfterLeaving = true;
  };
  HarnessRun run = RunEventHarness(o);
  ASSERT_EQ(run.machines.size(), 2u);
  EXPECT_TRUE(run.machines[1].left);
  EXPECT_EQ(run.machines[0].result, 1) << "the one that stays plays to the end";
  EXPECT_FALSE(run.timedOut);
  EXPECT_GT(framesAfterLeaving, 1500);
  EXPECT_FALSE(humanAfterLeaving) << "the computer skates for the one who left";
  EXPECT_EQ(run.machines[0].players[1].human, 0);
  EXPECT_TRUE(run.syncEqual) << "the frames both played agree";
}

TEST_F(SkatingEventTest, AKeyOnOneMachineEndsTheIntroOnAll) {
  // Machine 1 presses a key in the first frames; both leave the intro long
  // before the announcer would have finished, and start to play together.
  auto players = ComputerFixtures();
  InputScript key;
  key.Press(2, kFire2);
  int introFrames[2] = {0, 0};
  HarnessOptions o = Options(players, nullptr);
  o.machines = 2;
  o.scripts = {InputScript(), key};
  o.maxFrames = 40;
  o.onFrame = [&](int m, int, GameScreen* screen) {
    auto* ev = static_cast<FigureSkatingEvent*>(screen);
    if (ev->GetEventState() != kSkEvPlay) ++introFrames[m];
  };
  HarnessRun run = RunEventHarness(o);
  for (int m = 0; m < 2; ++m) {
    EXPECT_GT(introFrames[m], 5) << m;
    EXPECT_LT(introFrames[m], 30) << m;
  }
  EXPECT_TRUE(run.syncEqual);
}

// The intro lasts the announcer's words as its file counts them in frames,
// on a machine that plays them and on one left without a sound slot alike
// (the null sound device never ends a sound here: the clock stands still).
TEST_F(SkatingEventTest, TheIntroLastsTheAnnouncersFramesWithOrWithoutItsSound) {
  for (bool silent : {false, true}) {
    SCOPED_TRACE(silent ? "no sound slot" : "sounds loaded");
    int introFrames = 0, words = -1;
    HarnessOptions o = Options(ComputerFixtures(), nullptr);
    o.maxFrames = 400;  // the intro and a little of the event
    o.make = [silent] {
      if (silent) TakeEverySoundSlot();
      return static_cast<GameScreen*>(new FigureSkatingEvent());
    };
    o.onFrame = [&](int, int, GameScreen* screen) {
      if (words < 0) words = WaveFileFrames(ShellDataPath(skateassets::kAnnouncerSound.path), kFramePeriodMs);
      if (static_cast<FigureSkatingEvent*>(screen)->GetEventState() == kSkEvIntroIn) ++introFrames;
    };
    RunEventHarness(o);
    ASSERT_GT(words, 8);  // longer than the fade-in
    // Its last frame tells the others; the state follows a frame later.
    EXPECT_GE(introFrames, words);
    EXPECT_LE(introFrames, words + 2);
  }
}

TEST_F(SkatingEventTest, DamagedOrMissingDataNeverStopsTheEvent) {
  // A data set with damaged skater files and the rink cut short, and one
  // with nothing at all: the event plays on built-in skater values and
  // leaves every file as it found it.
  const fs::path damaged = fs::path(KEL_BINARY_DIR) / "skate-damaged";
  const fs::path nothing = fs::path(KEL_BINARY_DIR) / "skate-nothing";
  fs::remove_all(damaged);
  fs::remove_all(nothing);
  fs::create_directories(nothing);
  fs::copy(kGameData, damaged, fs::copy_options::recursive);
  std::ofstream(damaged / "data/data/slob.skd", std::ios::binary) << "0\n1\nbanana\n";
  std::ofstream(damaged / "data/data/monkey.skd", std::ios::binary) << std::string(37, '\n');
  fs::resize_file(damaged / "data/skate/back.bbm", 2000);
  fs::remove(damaged / "data/data/stud.skd");
  for (const fs::path& root : {damaged, nothing}) {
    SCOPED_TRACE(root.string());
    UseDataRoot(root.string());
    Seen seen;
    HarnessRun run = RunEventHarness(Options(ComputerFixtures(), &seen));
    EXPECT_EQ(run.machines[0].result, 1);
    EXPECT_EQ(seen.playFrames, kPlayFrames - 1);
    ExpectStandings(run.machines[0].players, seen);
  }
  EXPECT_EQ(fs::file_size(damaged / "data/data/slob.skd"), 11u);
  EXPECT_FALSE(fs::exists(damaged / "data/data/stud.skd")) << "a missing file stays missing";
  EXPECT_FALSE(fs::exists(nothing / "data")) << "nothing is created";
  fs::remove_all(damaged);
  fs::remove_all(nothing);
}

}  // namespace
