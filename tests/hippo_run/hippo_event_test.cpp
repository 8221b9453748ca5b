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
#include "events/hippo_run/hippo_run_event.h"
#include "tests/support/event_harness.h"
#include "tools/assetgen/hippo_assets.h"

namespace fs = std::filesystem;
using namespace hipporules;

namespace {

const std::string kGameData = std::string(KEL_BINARY_DIR) + "/gamedata";

// Input-map actions of the harness scripts.
constexpr int kUp = 0, kRight = 3, kFire1 = 4;

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
      seen->frames = frame + 1;
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
  const int last = run.machines[0].players[0].place == 3 ? 0 : -1;
  (void)last;
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

}  // namespace
