// HIPPO RUN run whole through the event harness: four computer players to
// the end, a scripted person, two people on one machine, four machines in
// lock-step, and a data set without its files.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "base/clock.h"
#include "base/player_records.h"
#include "events/hippo_run/hippo_actor.h"
#include "events/hippo_run/hippo_rules.h"
#include "events/hippo_run/hippo_run_data.h"
#include "events/hippo_run/hippo_run_event.h"
#include "graphics/surface.h"
#include "screen/event_assets.h"
#include "screen/game_screen_services.h"
#include "tests/support/event_harness.h"

namespace fs = std::filesystem;
using namespace hipporules;

namespace {

const std::string kGameData = std::string(KEL_BINARY_DIR) + "/gamedata";

// Input-map actions of the harness scripts.
constexpr int kUp = 0, kRight = 3, kFire1 = 4, kFire4 = 7, kFire5 = 8, kFire6 = 9;

struct Seen {
  int frames = 0;
  int raceFramesAtEnd = 0;
  int loadedSounds = -1;
  bool course = false;
  bool raceBeforeIntroEnded = false;  // a runner moved while the title was up
  int splitCamera = -1;               // view 1's camera x, once seen in a split view
  FinishState finish;
  int maxRunnerY[4] = {0, 0, 0, 0};
  int weaponsSeen = 0;
  int runner1PictureX = 0;
  int runner0Pills = -1, runner0Units = -1;
  bool pillTaken = false;
};

class HippoEventTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kGameData + "/data/hippo/palette.bmp")) << "the event's data set is made by the gamedata target";
    UseDataRoot(kGameData);
  }
  void TearDown() override { unsetenv("KELVANTHROP_DATA_ROOT"); }
  static void UseDataRoot(const std::string& root) { setenv("KELVANTHROP_DATA_ROOT", root.c_str(), 1); }

  HarnessOptions Options(const std::array<PlayerRecord, 4>& players, Seen* seen) {
    HarnessOptions o;
    o.make = [] { return static_cast<GameScreen*>(new HippoRunEvent()); };
    o.players = players;
    o.eventIndex = 3;
    o.instanceGlobals = HippoRunInstanceGlobals();
    o.maxFrames = kRaceFrameLimit + 400;
    o.onFrame = [seen](int machine, int frame, GameScreen* screen) {
      auto* ev = static_cast<HippoRunEvent*>(screen);
      if (machine != 0 || !seen) return;
      if (seen->frames >= 0) seen->frames = frame + 1;
      seen->raceFramesAtEnd = g_hippoRaceFrames;
      seen->loadedSounds = ev->LoadedSoundCount();
      seen->course = ev->HasCoursePicture();
      seen->finish = ev->GetFinish();
      for (int i = 0; i < 4; ++i) {
        const HippoActor* r = g_hippoActors[i];
        if (!r) continue;
        if (ev->GetIntroPhase() != kIntroRace && (r->worldY != 200 || r->worldX != 50 + 125 * i))
          seen->raceBeforeIntroEnded = true;
        const HippoActor* h = g_hippoActors[4 + i];
        if (h) seen->maxRunnerY[i] = std::max(seen->maxRunnerY[i], static_cast<int>(h->worldY));
      }
      for (const HippoActor* a : g_hippoActors)
        if (a && a->kind == kKindWeapon) ++seen->weaponsSeen;
      if (g_playMode == 1) seen->splitCamera = ev->GetCamera(1).x;
      if (g_playMode == 1 && g_hippoActors[1]) seen->runner1PictureX = g_hippoActors[1]->pictureX;
      if (g_hippoActors[0]) {
        seen->runner0Pills = g_hippoActors[0]->powerPills;
        seen->runner0Units = g_hippoActors[0]->weaponUnits;
        if (g_hippoActors[0]->pillActive) seen->pillTaken = true;
      }
    };
    return o;
  }

  // Places are a permutation, results as the finish says.
  static void ExpectRecords(const std::array<PlayerRecord, 4>& records, const FinishState& f) {
    std::set<int> places;
    for (const PlayerRecord& p : records) places.insert(p.place);
    EXPECT_EQ(places, (std::set<int>{0, 1, 2, 3}));
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(records[i].result, ResultSeconds(f, i)) << i;
      EXPECT_GE(records[i].energy, 0);
      EXPECT_LE(records[i].energy, 100);
    }
  }
};

// Athletes well into a championship: strong, fast and rested.
std::array<PlayerRecord, 4> Trained(std::array<PlayerRecord, 4> players) {
  for (PlayerRecord& p : players) {
    p.strength = 90;
    p.speed = 75;
    p.energy = 100;
  }
  return players;
}

TEST_F(HippoEventTest, FourComputerPlayersRaceToTheLine) {
  Seen seen;
  HarnessRun run = RunEventHarness(Options(Trained(ComputerFixtures()), &seen));
  ASSERT_EQ(run.machines.size(), 1u);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_TRUE(seen.course);
  EXPECT_FALSE(seen.raceBeforeIntroEnded);
  EXPECT_EQ(seen.loadedSounds, kHippoSoundCount);
  // Three hippos crossed the line, in the order of their places, each with
  // a real time (no one finishes before the race starts).
  int crossed = 0;
  for (int p = 0; p < 3; ++p) {
    const int r = seen.finish.order[p];
    ASSERT_GE(r, 0);
    EXPECT_TRUE(seen.finish.finished[r]);
    EXPECT_GT(seen.finish.finishFrame[r], 0);
    if (seen.maxRunnerY[r] > hippoassets::kFinishLineY) ++crossed;
    if (p > 0) EXPECT_GE(seen.finish.finishFrame[r], seen.finish.finishFrame[seen.finish.order[p - 1]]);
  }
  EXPECT_EQ(crossed, 3);
  EXPECT_LT(seen.raceFramesAtEnd, kRaceFrameLimit) << "the computers never made it";
  ExpectRecords(run.machines[0].players, seen.finish);
  for (int i = 0; i < 4; ++i) {
    const PlayerRecord& rec = run.machines[0].players[i];
    if (rec.place < 3) EXPECT_LT(rec.result, kNotFinishedSeconds);
  }

  // The event draws no random numbers: another seed, the same race.
  Seen again;
  HarnessOptions o = Options(Trained(ComputerFixtures()), &again);
  o.seed = 987654;
  HarnessRun second = RunEventHarness(o);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(second.machines[0].players[i].result, run.machines[0].players[i].result);
    EXPECT_EQ(second.machines[0].players[i].place, run.machines[0].players[i].place);
  }
}

// A person's input: push selected (items change only while no direction is
// held), then up the course (up and right together: straight up it) with a
// push every few frames. With `throwAt`, he stops there, swallows a pill,
// throws his weapon once, selects push again and goes on.
InputScript Pusher(int which, int frames, int throwAt) {
  InputScript s;
  s.Press(75, kFire6, which);
  auto walk = [&](int first, int last) {
    s.Hold(first, last, kUp, which);
    s.Hold(first, last, kRight, which);
    for (int f = first + 6; f < last; f += 12) s.Press(f, kFire1, which);
  };
  if (throwAt > 0) {
    walk(80, throwAt - 1);
    s.Press(throwAt + 16, kFire5, which);
    s.Press(throwAt + 17, kFire1, which);
    s.Press(throwAt + 19, kFire4, which);
    s.Press(throwAt + 20, kFire1, which);
    s.Press(throwAt + 40, kFire6, which);
    walk(throwAt + 42, frames);
  } else {
    walk(80, frames);
  }
  return s;
}

TEST_F(HippoEventTest, APersonPushesHisHippoOverTheLine) {
  auto players = Trained(ComputerFixtures());
  players[0] = FixturePlayer(1, true, "ANNA");  // RAREZ VUDA
  players[0].strength = 90;
  players[0].speed = 75;
  players[0].energy = 100;
  Seen seen;
  HarnessOptions o = Options(players, &seen);
  o.scripts = {Pusher(0, 6000, 200)};
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  const PlayerRecord& anna = run.machines[0].players[0];
  ASSERT_TRUE(seen.finish.finished[0]) << "the person never reached the line";
  EXPECT_EQ(anna.result, seen.finish.finishFrame[0] / kFramesPerSecond);
  EXPECT_LT(anna.result, kNotFinishedSeconds);
  // One pill swallowed and one weapon thrown, written back.
  EXPECT_TRUE(seen.pillTaken);
  EXPECT_GT(seen.weaponsSeen, 0);
  EXPECT_EQ(anna.powerPills, players[0].powerPills - 1);
  EXPECT_EQ(anna.weaponUnits, players[0].weaponUnits - 1);
  ExpectRecords(run.machines[0].players, seen.finish);
}

TEST_F(HippoEventTest, TwoPlayersOnOneMachineGetASplitView) {
  auto players = Trained(ComputerFixtures());
  players[0].human = 1;
  players[1].human = 1;
  InputScript both = Pusher(0, 6000, 0);
  both.Press(75, kFire6, 1).Hold(80, 6000, kUp, 1).Hold(80, 6000, kRight, 1);
  for (int f = 86; f < 6000; f += 12) both.Press(f, kFire1, 1);
  Seen seen;
  HarnessOptions o = Options(players, &seen);
  o.playMode = 1;
  o.scripts = {both};
  o.onFrame = [base = o.onFrame, &seen](int m, int f, GameScreen* s) {
    base(m, f, s);
    if (f == 300) {
      // The black bar between the halves.
      DDSurface* back = ShellBackSurface();
      uint8_t* bits = nullptr;
      int pitch = 0;
      ASSERT_NE(back, nullptr);
      ASSERT_EQ(back->Lock(&bits, &pitch), 0);
      for (int y : {0, 200, 399})
        for (int x = 318; x < 322; ++x) EXPECT_EQ(bits[y * pitch + x], 0) << x << "," << y;
      back->Unlock();
      seen.frames = -seen.frames;  // marks that the bar was looked at
    }
  };
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  // The right half follows the second player's runner.
  EXPECT_LT(seen.frames, 0) << "the bar was never looked at";
  EXPECT_GT(seen.splitCamera, 0);
  EXPECT_EQ(seen.splitCamera, std::clamp(seen.runner1PictureX - 160, 0, hippoassets::kCourseW - 320));
  ExpectRecords(run.machines[0].players, seen.finish);
}

TEST_F(HippoEventTest, FourMachinesInLockStep) {
  auto players = Trained(ComputerFixtures());
  players[0].human = 1;
  players[2].human = 1;
  Seen seen;
  HarnessOptions o = Options(players, &seen);
  o.machines = 4;
  o.seed = 4242;
  o.scripts = {Pusher(0, 6000, 300), InputScript(), Pusher(0, 6000, 0), InputScript()};
  HarnessRun run = RunEventHarness(o);
  ASSERT_EQ(run.machines.size(), 4u);
  EXPECT_FALSE(run.timedOut);
  EXPECT_TRUE(run.syncEqual) << "first mismatch at sync point " << run.firstMismatch;
  for (const auto& m : run.machines) {
    EXPECT_EQ(m.result, 1);
    EXPECT_GT(m.syncChecks.size(), 200u);
  }
  for (int i = 1; i < 4; ++i)
    for (int p = 0; p < 4; ++p) {
      uint8_t a[kPlayerRecordSize], b[kPlayerRecordSize];
      EncodePlayerRecord(run.machines[0].players[p], a);
      EncodePlayerRecord(run.machines[i].players[p], b);
      EXPECT_EQ(std::memcmp(a, b, sizeof a), 0) << "machine " << i << " player " << p;
    }
  ExpectRecords(run.machines[0].players, seen.finish);
}

TEST_F(HippoEventTest, AMachineThatLeavesIsTakenOverByTheComputer) {
  // Machine 1's player quits in the middle of the race; machine 0 drops him
  // when asked and races on to the end with a computer runner in his place.
  auto players = Trained(ComputerFixtures());
  players[0].human = 1;
  players[1].human = 1;
  InputScript stays = Pusher(0, 6000, 0);
  for (int f = 300; f < 600; ++f) stays.Key(f, 'D');
  bool personAfterLeaving = false;
  int computerFrames = 0;
  Seen seen;
  HarnessOptions o = Options(players, &seen);
  o.machines = 2;
  o.seed = 77;
  o.scripts = {stays, Pusher(0, 6000, 0)};
  o.leaveAfterFrames = {0, 300};
  o.onFrame = [base = o.onFrame, &personAfterLeaving, &computerFrames](int m, int f, GameScreen* s) {
    base(m, f, s);
    if (m != 0 || f < 600 || !g_hippoActors[1]) return;
    if (g_hippoActors[1]->controller == kControlPerson) personAfterLeaving = true;
    ++computerFrames;
  };
  HarnessRun run = RunEventHarness(o);
  ASSERT_EQ(run.machines.size(), 2u);
  EXPECT_TRUE(run.machines[1].left);
  EXPECT_EQ(run.machines[0].result, 1) << "the one that stays races to the end";
  EXPECT_FALSE(run.timedOut);
  EXPECT_GT(computerFrames, 100);
  EXPECT_FALSE(personAfterLeaving) << "the computer runs for the one who left";
  EXPECT_EQ(run.machines[0].players[1].human, 0);
  EXPECT_TRUE(run.syncEqual) << "the frames both played agree";
  ExpectRecords(run.machines[0].players, seen.finish);
}

// The title stays up while the announcer speaks, counted in frames (of the
// race's 65 ms) from his file: the same on a machine that plays him and on
// one left without a sound slot for him.
TEST_F(HippoEventTest, TheTitleLastsTheAnnouncersFramesWithOrWithoutItsSound) {
  for (bool silent : {false, true}) {
    SCOPED_TRACE(silent ? "no sound slot" : "with its sound");
    Seen seen;
    HarnessOptions o = Options(Trained(ComputerFixtures()), &seen);
    o.maxFrames = 150;
    o.make = [silent] {
      if (silent) TakeEverySoundSlot();
      return static_cast<GameScreen*>(new HippoRunEvent());
    };
    int titleFrames = 0, words = -1;
    bool raced = false;
    o.onFrame = [base = o.onFrame, &titleFrames, &words, &raced](int m, int f, GameScreen* s) {
      base(m, f, s);
      words = WaveFileFrames(ShellDataPath(hippoassets::kAnnouncerSound), 65);
      const int phase = static_cast<HippoRunEvent*>(s)->GetIntroPhase();
      if (phase == kIntroTitle) ++titleFrames;
      if (phase == kIntroRace) raced = true;
    };
    RunEventHarness(o);
    ASSERT_GT(words, 50) << "the generated announcement lasts a few seconds";
    ASSERT_LT(words, 100);
    EXPECT_EQ(seen.loadedSounds, silent ? 0 : kHippoSoundCount);
    // The last title frame says so in the output record; the title closes
    // when the exchange brings it back.
    EXPECT_GE(titleFrames, words);
    EXPECT_LE(titleFrames, words + 3);
    EXPECT_TRUE(raced);
  }
}

TEST_F(HippoEventTest, WithoutItsDataTheEventStillEnds) {
  // No data set at all: no pictures, no sounds, no course. The race runs on
  // (the clock stands still, nothing may wait for a sound) to its end.
  const fs::path nothing = fs::path(KEL_BINARY_DIR) / "hippo-no-data";
  fs::remove_all(nothing);
  fs::create_directories(nothing);
  UseDataRoot(nothing.string());
  Seen seen;
  HarnessRun run = RunEventHarness(Options(Trained(ComputerFixtures()), &seen));
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_FALSE(seen.course);
  EXPECT_EQ(seen.loadedSounds, 0);
  ExpectRecords(run.machines[0].players, seen.finish);
  fs::remove_all(nothing);
}

}  // namespace
