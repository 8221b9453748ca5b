// CRAZY CLIMBING run whole through the event harness: computer players
// alone, a scripted person who climbs to the roof, two players on one
// machine in split views, machines in lock-step (one leaving in the
// middle), and data sets without sounds or without anything.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "base/player_records.h"
#include "base/registry.h"
#include "events/climbing/climbing_data.h"
#include "events/climbing/climbing_event.h"
#include "graphics/surface.h"
#include "screen/config.h"
#include "screen/event_assets.h"
#include "screen/event_records.h"
#include "screen/game_screen_services.h"
#include "tests/support/event_harness.h"

namespace fs = std::filesystem;
using namespace climbrules;

namespace {

const std::string kGameData = std::string(KEL_BINARY_DIR) + "/gamedata";
// Input-map actions of the harness scripts.
constexpr int kUp = 0, kFire1 = 4, kFire2 = 5;

// What a run showed.
struct Seen {
  int raceFrames = 0;
  int clockWhenPlaced[4] = {-1, -1, -1, -1};
  int heightAtEnd[4] = {};
  int loadedSounds = -1;
  bool split = false;
  bool dividerBlack = true;
  bool rightViewDrawn = false;
  bool viewsFollow = true;
  std::string recordText;
};

// A person who climbs all the way with power pills: the second action picks
// the pill (no weapon units), the first takes one every 201 frames.
InputScript PillClimber(int which = 0) {
  InputScript s;
  s.Hold(0, 30000, kUp, which);
  s.Press(40, kFire2, which);
  for (int f = 50; f < 30000; f += 201) s.Hold(f, f, kFire1, which);
  return s;
}

PlayerRecord PillClimberRecord(int character, const char* name) {
  PlayerRecord p = FixturePlayer(character, true, name);
  p.speed = 100;
  p.powerPills = 10;
  p.weaponUnits = 0;
  return p;
}

class ClimbEventTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kGameData + "/data/climb/statnew2.bmp"))
        << "the event's data set is made by the gamedata target";
    UseDataRoot(kGameData);
  }
  void TearDown() override { unsetenv("KELVANTHROP_DATA_ROOT"); }
  static void UseDataRoot(const std::string& root) { setenv("KELVANTHROP_DATA_ROOT", root.c_str(), 1); }

  HarnessOptions Options(const std::array<PlayerRecord, 4>& players, Seen* seen) {
    HarnessOptions o;
    o.make = [] { return static_cast<GameScreen*>(new ClimbingEvent()); };
    o.players = players;
    o.instanceGlobals = ClimbingInstanceGlobals();
    o.maxFrames = 12000;
    o.onFrame = [seen](int machine, int, GameScreen* screen) {
      auto* e = static_cast<ClimbingEvent*>(screen);
      const ClimbWorld& w = e->World();
      if (machine != 0 || !seen) return;
      seen->recordText = e->RecordText();
      seen->loadedSounds = e->LoadedSoundCount();
      if (e->IntroState() != kClimbIntroRace) return;
      ++seen->raceFrames;
      for (int i = 0; i < 4; ++i) {
        if (seen->clockWhenPlaced[i] < 0 && g_players[i].place >= 0) seen->clockWhenPlaced[i] = g_players[i].result;
        if (w.climbers[i]) seen->heightAtEnd[i] = w.climbers[i]->h;
      }
      for (int v = 0; v < (w.Split() ? 2 : 1); ++v) {
        const Climber* c = w.climbers[g_localPlayers[v] & 3];
        if (c && w.views[v].camera != CameraHeight(c->h)) seen->viewsFollow = false;
      }
      // The picture of a split race: a black divider over columns 319..321
      // and a second view beside it.
      DDSurface* back = ShellBackSurface();
      if (w.Split() && back && back->HasSurface()) {
        seen->split = true;
        for (int y = 0; y < 400; y += 7)
          for (int x = 319; x <= 321; ++x)
            if (back->Row(y)[x] != 0) seen->dividerBlack = false;
        for (int x = 330; x < 640 && !seen->rightViewDrawn; x += 3)
          if (back->Row(200)[x] != 0) seen->rightViewDrawn = true;
      }
    };
    return o;
  }

  // Places: the order of reaching 2700, then the others by height (ties to
  // the lower index); results the clock when placed, 600 otherwise.
  static void ExpectStandings(const std::array<PlayerRecord, 4>& records, const Seen& seen) {
    std::set<int> places;
    for (int i = 0; i < 4; ++i) places.insert(records[i].place);
    EXPECT_EQ(places, (std::set<int>{0, 1, 2, 3}));
    for (int i = 0; i < 4; ++i) {
      EXPECT_GE(records[i].result, 0);
      EXPECT_LE(records[i].result, kNotFinished);
      if (seen.clockWhenPlaced[i] >= 0) {
        EXPECT_EQ(records[i].result, seen.clockWhenPlaced[i]) << i;
      }
      for (int j = 0; j < 4; ++j) {
        if (i == j || records[i].place > records[j].place) continue;
        // i ranks before j: i finished first, or neither did and i is higher.
        const bool iPlaced = seen.clockWhenPlaced[i] >= 0, jPlaced = seen.clockWhenPlaced[j] >= 0;
        if (jPlaced) {
          EXPECT_TRUE(iPlaced) << i << " before " << j;
        }
        if (!iPlaced && !jPlaced) {
          EXPECT_TRUE(seen.heightAtEnd[i] > seen.heightAtEnd[j] ||
                      (seen.heightAtEnd[i] == seen.heightAtEnd[j] && i < j))
              << i << " before " << j;
        }
      }
    }
  }
};

TEST_F(ClimbEventTest, ComputerPlayersAloneEndAtOnce) {
  // Nobody to climb for: the race is over in its first frame, nobody has
  // finished, and the places follow the heights (all at the street).
  Seen seen;
  HarnessRun run = RunEventHarness(Options(ComputerFixtures(), &seen));
  ASSERT_EQ(run.machines.size(), 1u);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_LE(seen.raceFrames, 2);  // the frame the intro ends, and the one race frame
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(run.machines[0].players[i].place, i);
    EXPECT_EQ(run.machines[0].players[i].result, kNotFinished);
  }
  EXPECT_EQ(seen.loadedSounds, 20 + 4 * 10);  // the announcer is gone once the race runs
}

TEST_F(ClimbEventTest, ScriptedPersonClimbsToTheRoof) {
  auto players = ComputerFixtures();
  players[0] = PillClimberRecord(5, "ANNA");
  Seen seen;
  HarnessOptions o = Options(players, &seen);
  o.scripts = {PillClimber()};
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  const auto& records = run.machines[0].players;
  // The person reached 2700; the race was over then (no other person).
  ASSERT_GE(seen.clockWhenPlaced[0], 0);
  EXPECT_GT(records[0].result, 30);
  EXPECT_LT(records[0].result, kNotFinished);
  EXPECT_LE(records[0].result, seen.raceFrames / kFramesPerSecond);
  EXPECT_GE(seen.heightAtEnd[0], kPlacedHeight);
  EXPECT_LT(records[0].powerPills, 10);
  ExpectStandings(records, seen);
  EXPECT_TRUE(seen.viewsFollow);

  // The same seed, the same race.
  Seen again;
  HarnessOptions o2 = Options(players, &again);
  o2.scripts = {PillClimber()};
  HarnessRun second = RunEventHarness(o2);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(second.machines[0].players[i].place, records[i].place);
    EXPECT_EQ(second.machines[0].players[i].result, records[i].result);
    EXPECT_EQ(second.machines[0].players[i].energy, records[i].energy);
  }
  EXPECT_EQ(second.machines[0].syncChecks, run.machines[0].syncChecks);
}

TEST_F(ClimbEventTest, TheRecordTextIsTheEventsOwn) {
  const std::string store = std::string(KEL_BINARY_DIR) + "/climb-record-test.ini";
  fs::remove(store);
  RegSetStorePath(store);
  Seen seen;
  RunEventHarness(Options(ComputerFixtures(), &seen));
  EXPECT_EQ(seen.recordText, "NONE");
  RegWriteInt(kRegHallOfFame, "Rec2", 65);
  RunEventHarness(Options(ComputerFixtures(), &seen));
  EXPECT_EQ(seen.recordText, "1 : 05");  // minutes and seconds, as the event counts
  RegSetStorePath("");
  fs::remove(store);
}

TEST_F(ClimbEventTest, TwoPlayersOnOneMachineClimbInSplitViews) {
  auto players = ComputerFixtures();
  players[0] = PillClimberRecord(1, "ANNA");
  players[1] = PillClimberRecord(4, "BERT");
  InputScript both = PillClimber(0);
  both.Hold(0, 30000, kUp, 1);
  both.Press(40, kFire2, 1);
  for (int f = 50; f < 30000; f += 201) both.Hold(f, f, kFire1, 1);
  Seen seen;
  HarnessOptions o = Options(players, &seen);
  o.playMode = 1;
  o.scripts = {both};
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_TRUE(seen.split);
  EXPECT_TRUE(seen.dividerBlack);
  EXPECT_TRUE(seen.rightViewDrawn);
  EXPECT_TRUE(seen.viewsFollow);
  // Both people climbed; the race ended when the last of them was placed.
  EXPECT_GE(seen.clockWhenPlaced[0], 0);
  EXPECT_GE(seen.clockWhenPlaced[1], 0);
  ExpectStandings(run.machines[0].players, seen);
}

TEST_F(ClimbEventTest, MachinesInLockStepOverALossyNetwork) {
  // Two and four machines over a network that loses, delays and reorders
  // packets; then three of which one leaves in the middle of the race (its
  // goodbye arriving): its climber goes on as a computer climber, taken
  // over in the same frame on every machine.
  struct Config {
    int machines;
    bool lossy;
    int leaver;
  } configs[] = {{2, true, -1}, {4, true, -1}, {3, false, 2}};
  for (const Config& c : configs) {
    SCOPED_TRACE(c.machines);
    auto players = ComputerFixtures();
    players[0] = PillClimberRecord(5, "HOST");
    players[1] = PillClimberRecord(2, "GUEST");
    if (c.leaver >= 0) players[c.leaver] = PillClimberRecord(0, "LEAVER");
    Seen seen;
    HarnessOptions o = Options(players, &seen);
    o.machines = c.machines;
    o.seed = 4242;
    o.scripts = {PillClimber(), PillClimber(), PillClimber()};
    if (c.lossy) {
      o.faults.dropPercent = 5;
      o.faults.delayPercent = 10;
      o.faults.maxDelay = 3;
      o.faults.reorderPercent = 5;
    }
    if (c.leaver >= 0) {
      o.leaveAfterFrames.assign(c.machines, 0);
      o.leaveAfterFrames[c.leaver] = 300;
    }
    HarnessRun run = RunEventHarness(o);
    ASSERT_EQ(run.machines.size(), size_t(c.machines));
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(run.syncEqual) << "first mismatch at sync point " << run.firstMismatch;
    for (int m = 0; m < c.machines; ++m) {
      const auto& r = run.machines[m];
      if (m == c.leaver) {
        EXPECT_TRUE(r.left);
        continue;
      }
      EXPECT_EQ(r.result, 1);
      EXPECT_GT(r.syncChecks.size(), 300u);
      EXPECT_EQ(r.syncChecks, run.machines[0].syncChecks);
      for (int p = 0; p < 4; ++p) {
        uint8_t a[kPlayerRecordSize], b[kPlayerRecordSize];
        EncodePlayerRecord(run.machines[0].players[p], a);
        EncodePlayerRecord(r.players[p], b);
        EXPECT_EQ(std::memcmp(a, b, sizeof a), 0) << "machine " << m << " player " << p;
      }
    }
    if (c.leaver >= 0) {
      EXPECT_EQ(run.machines[0].players[c.leaver].human, 0);
    }
    ExpectStandings(run.machines[0].players, seen);
  }
}

TEST_F(ClimbEventTest, MissingSoundsOrDataDoNotStopTheRace) {
  const fs::path noSounds = fs::path(KEL_BINARY_DIR) / "climb-no-sounds";
  const fs::path nothing = fs::path(KEL_BINARY_DIR) / "climb-no-data";
  fs::remove_all(noSounds);
  fs::remove_all(nothing);
  fs::create_directories(nothing);
  for (const auto& e : fs::recursive_directory_iterator(kGameData)) {
    fs::path rel = fs::relative(e.path(), kGameData);
    if (e.is_directory())
      fs::create_directories(noSounds / rel);
    else if (e.path().extension() != ".wav")
      fs::create_symlink(e.path(), noSounds / rel);
  }
  auto players = ComputerFixtures();
  players[0] = PillClimberRecord(3, "ANNA");
  for (const fs::path& root : {noSounds, nothing}) {
    SCOPED_TRACE(root.string());
    UseDataRoot(root.string());
    Seen seen;
    HarnessOptions o = Options(players, &seen);
    o.scripts = {PillClimber()};
    HarnessRun run = RunEventHarness(o);
    EXPECT_EQ(run.machines[0].result, 1);
    EXPECT_EQ(seen.loadedSounds, 0);
    ExpectStandings(run.machines[0].players, seen);
  }
  fs::remove_all(noSounds);
  fs::remove_all(nothing);
}

// The intro lasts the announcer's words as its file counts them in frames,
// on a machine that plays them and on one left without a sound slot alike
// (the null sound device never ends a sound here: the clock stands still).
TEST_F(ClimbEventTest, TheIntroLastsTheAnnouncersFramesWithOrWithoutItsSound) {
  for (bool silent : {false, true}) {
    SCOPED_TRACE(silent ? "no sound slot" : "sounds loaded");
    int introFrames = 0, words = -1;
    HarnessOptions o = Options(ComputerFixtures(), nullptr);
    o.make = [silent] {
      if (silent) TakeEverySoundSlot();
      return static_cast<GameScreen*>(new ClimbingEvent());
    };
    o.onFrame = [&](int, int, GameScreen* screen) {
      if (words < 0)
        words = WaveFileFrames(ShellDataPath(climbassets::kScreenSoundFiles[climbassets::kSndAnnouncer].path), 65);
      if (static_cast<ClimbingEvent*>(screen)->IntroState() == kClimbIntroIn) ++introFrames;
    };
    HarnessRun run = RunEventHarness(o);
    EXPECT_EQ(run.machines[0].result, 1);
    ASSERT_GT(words, 3);
    // Its last frame tells the others; the state follows a frame later.
    EXPECT_GE(introFrames, words);
    EXPECT_LE(introFrames, words + 2);
  }
}

TEST_F(ClimbEventTest, LowMemoryLoadsNoCries) {
  OverrideLowMemory(1);
  Seen seen;
  HarnessRun run = RunEventHarness(Options(ComputerFixtures(), &seen));
  OverrideLowMemory(-1);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_EQ(seen.loadedSounds, 20 + 4 * 5);
}

}  // namespace
