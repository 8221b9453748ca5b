// COMPUTER THROW run whole through the event harness: computer players to
// the end, a scripted person's throw, skipped throws, four machines in
// lock-step, and a data set without its sounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/player_records.h"
#include "events/computer_throw/computer_throw_data.h"
#include "events/computer_throw/computer_throw_event.h"
#include "events/computer_throw/throw_rules.h"
#include "graphics/surface.h"
#include "screen/config.h"
#include "screen/event_assets.h"
#include "screen/game_screen_services.h"
#include "screen/options_menu.h"
#include "tests/support/event_harness.h"

namespace fs = std::filesystem;
using namespace throwrules;

namespace {

const std::string kGameData = std::string(KEL_BINARY_DIR) + "/gamedata";

// Input-map actions of the harness scripts: fire 1 and fire 2.
constexpr int kFire1 = 4;
constexpr int kFire2 = 5;

// What a run showed at its last frame.
struct Seen {
  std::string texts[4][3];
  int loadedSounds = -1;
  int frames = 0;
  bool titleUpInATurn = false;  // the title card still shown while someone throws
  int recordBoxChecked = 0;      // frames whose record box was compared with the tile
  int recordBoxDiffers = 0;      // ... and showed something else above its text
  std::set<std::string> hints;   // the texts of the hint line above the play
};

// The record box is tiled with the overlay's tile like every event's panels:
// its rows above the first text line are the tile's own pixels.
bool RecordBoxIsTiled(GameScreen* screen) {
  DDSurface* back = ShellBackSurface();
  OptionsMenu* menu = screen->GetOptionsMenu();
  if (!back || !menu) return false;
  DDSurface ref;
  if (ref.Create(640, 480, 4) != kDDOk) return false;
  ref.FillRect(0, 0, 640, 480, 7);
  menu->TileRect(&ref, 445, 335, 180, 60);
  uint8_t *a = nullptr, *b = nullptr;
  int pa = 0, pb = 0;
  if (back->Lock(&a, &pa) != kDDOk) return false;
  if (ref.Lock(&b, &pb) != kDDOk) {
    back->Unlock();
    return false;
  }
  bool same = true;
  for (int y = 335; y < 343 && same; ++y)
    same = std::memcmp(a + y * pa + 445, b + y * pb + 445, 180) == 0;
  ref.Unlock();
  back->Unlock();
  return same;
}

int ParseDistance(const std::string& text) {
  if (text == "FOUL") return 0;
  int metres = 0, cents = 0;
  EXPECT_EQ(std::sscanf(text.c_str(), "%d.%d m", &metres, &cents), 2) << text;
  return metres * 100 + cents;
}

class ThrowEventTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kGameData + "/data/comp/palette.bmp"))
        << "the event's data set is made by the gamedata target";
    UseDataRoot(kGameData);
  }
  void TearDown() override { unsetenv("KELVANTHROP_DATA_ROOT"); }
  static void UseDataRoot(const std::string& root) { setenv("KELVANTHROP_DATA_ROOT", root.c_str(), 1); }

  // The event at its own pace: each frame takes its 65 ms of the clock, so
  // that sounds end as they would.
  HarnessOptions Options(const std::array<PlayerRecord, 4>& players, Seen* seen, bool paced = true) {
    HarnessOptions o;
    o.make = [] { return static_cast<GameScreen*>(new ComputerThrowEvent()); };
    o.players = players;
    o.instanceGlobals = ComputerThrowInstanceGlobals();
    o.maxFrames = 12000;
    o.onFrame = [seen, paced](int machine, int frame, GameScreen* screen) {
      auto* ev = static_cast<ComputerThrowEvent*>(screen);
      if (machine == 0 && seen) {
        for (int c = 0; c < 4; ++c)
          for (int a = 0; a < 3; ++a) seen->texts[c][a] = ev->GetAttemptText(c, a);
        seen->loadedSounds = ev->LoadedSoundCount();
        seen->frames = frame + 1;
        seen->hints.insert(ev->HintText());
        const ThrowActor* icon = g_throwActors[kKindIcon];
        if (ev->GetEventState() >= kEvTurn && icon && icon->state != kStGone) seen->titleUpInATurn = true;
        if (frame % 97 == 40) {
          ++seen->recordBoxChecked;
          if (!RecordBoxIsTiled(screen)) ++seen->recordBoxDiffers;
        }
      }
      if (paced) SleepMs(65);
    };
    return o;
  }

  // Places and results as the rules make them from the attempts' texts.
  static void ExpectStandings(const std::array<PlayerRecord, 4>& records, const Seen& seen) {
    int best[4] = {};
    for (int c = 0; c < 4; ++c)
      for (int a = 0; a < 3; ++a) {
        EXPECT_NE(seen.texts[c][a], "0.00 m") << "contestant " << c << " attempt " << a << " never threw";
        best[c] = std::max(best[c], ParseDistance(seen.texts[c][a]));
      }
    Standing s = RankContestants(best);
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(records[c].result, best[c]) << c;
      EXPECT_EQ(records[c].place, s.placeOf[c]) << c;
    }
  }
};

TEST_F(ThrowEventTest, FourComputerPlayersToTheEnd) {
  auto players = ComputerFixtures();
  players[2].energy = 2;  // less than a turn costs
  Seen seen;
  HarnessRun run = RunEventHarness(Options(players, &seen));
  ASSERT_EQ(run.machines.size(), 1u);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.machines[0].result, 1);
  ExpectStandings(run.machines[0].players, seen);
  // Three turns of 3 energy each, never below none.
  EXPECT_EQ(run.machines[0].players[2].energy, 0);
  EXPECT_EQ(run.machines[0].players[0].energy, players[0].energy - 9);
  std::set<int> places;
  for (const PlayerRecord& p : run.machines[0].players) places.insert(p.place);
  EXPECT_EQ(places, (std::set<int>{0, 1, 2, 3}));
  EXPECT_EQ(seen.loadedSounds, kSoundSetSize);
  EXPECT_GT(seen.recordBoxChecked, 0);
  EXPECT_EQ(seen.recordBoxDiffers, 0);

  // The same seed, the same event.
  Seen again;
  HarnessRun second = RunEventHarness(Options(players, &again));
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(second.machines[0].players[c].result, run.machines[0].players[c].result);
    for (int a = 0; a < 3; ++a) EXPECT_EQ(again.texts[c][a], seen.texts[c][a]);
  }
}

TEST_F(ThrowEventTest, ScriptedPersonLandsWhereTheFlightTableSays) {
  auto players = ComputerFixtures();
  players[0] = FixturePlayer(4, true, "ANNA");  // RADEROZI
  InputScript script;
  // Pushes every frame; the first action held for five frames at a time,
  // every 60 frames (the aim comes round to index 5 each time). While the
  // computers throw, holding it skips their throws.
  for (int f = 0; f < 6000; ++f) script.Press(f, kFire2);
  for (int f = 70; f < 6000; f += 60) script.Hold(f, f + 4, kFire1);

  struct Capture {
    bool released = false;
    FlightStart start;
    int kind = -1, angle = -1;
    int landedAt = -1;
  } cap;
  Seen seen;
  HarnessOptions o = Options(players, &seen);
  o.scripts = {script};
  auto base = o.onFrame;
  o.onFrame = [&](int m, int f, GameScreen* s) {
    ThrowActor* anna = g_throwActors[0];
    ThrowActor* computer = g_throwActors[kKindComputer];
    auto* ev = static_cast<ComputerThrowEvent*>(s);
    if (ev->GetAttempt() == 1 && g_throwCurrent == 0) {
      if (!cap.released && anna && anna->state == kStThrow) {
        cap.released = true;
        cap.kind = anna->var[kVarThrowKind];
        cap.angle = anna->var[kVarAngle];
        cap.start.release.vertical = anna->dbl[kDblVertical];
        cap.start.release.horizontal = anna->dbl[kDblHorizontal];
        cap.start.release.timeStep = anna->dbl[kDblTimeStep];
        cap.start.release.power = anna->power;
        cap.start.runUp = anna->var[kVarRunUp];
        cap.start.x = anna->var[kVarStartX];
        cap.start.y = static_cast<int>(anna->dbl[kDblStartY]);
      }
      if (cap.released && cap.landedAt < 0 && computer && computer->state == kStLanded)
        cap.landedAt = computer->var[kVarRunUp];
    }
    base(m, f, s);
  };
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  ASSERT_TRUE(cap.released);
  EXPECT_EQ(cap.angle, 5);
  EXPECT_EQ(cap.kind, 1);
  EXPECT_NEAR(cap.start.release.vertical, cap.start.release.power * std::sin(40.0 * M_PI / 180.0), 1e-9);
  ASSERT_GT(cap.start.runUp, 0);
  ASSERT_LT(cap.start.runUp, kThrowLine);
  FlightEnd expected = SimulateFlight(cap.start);
  EXPECT_EQ(cap.landedAt, expected.runUp);
  EXPECT_EQ(seen.texts[0][0], FormatDistance(DistanceOf(expected.runUp)));
  EXPECT_GT(DistanceOf(expected.runUp), 0);
  ExpectStandings(run.machines[0].players, seen);
}

TEST_F(ThrowEventTest, ThrowsThatComeDownShortAreFouls) {
  // A person who aims without a run-up: the computer comes down well before
  // the line each time; the board says FOUL and nothing counts. (Holding
  // the action in the others' turns skips their throws.)
  auto players = ComputerFixtures();
  players[0] = FixturePlayer(0, true, "BERT");
  InputScript script;
  for (int f = 0; f < 9000; f += 25) script.Hold(f, f + 1, kFire1);
  Seen seen;
  HarnessOptions o = Options(players, &seen);
  o.scripts = {script};
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  for (int a = 0; a < 3; ++a) EXPECT_EQ(seen.texts[0][a], "FOUL") << a;
  EXPECT_EQ(run.machines[0].players[0].result, 0);
  // The screen says why, and in the computers' turns how to skip them, by
  // the player's own key; nothing else shows on the hint line.
  EXPECT_EQ(seen.hints, (std::set<std::string>{"", "FOUL: SHORT OF THE LINE",
                                                "HOLD CTRL TO SKIP THIS THROW"}));
  ExpectStandings(run.machines[0].players, seen);
}

TEST_F(ThrowEventTest, HoldingTheFirstActionSkipsComputerThrows) {
  // The own player holds the first action all the time: each computer's
  // throw ends at once with 6.01 to 16.99 m or a foul. Held from the first
  // frame it also passes over the title, which goes as it should before
  // the first throw (and no throw is skipped while the title is up).
  InputScript script;
  script.Hold(0, 5000, kFire1);
  Seen seen;
  HarnessOptions o = Options(ComputerFixtures(), &seen);
  o.scripts = {script};
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  for (int c = 0; c < 4; ++c)
    for (int a = 0; a < 3; ++a) {
      int d = ParseDistance(seen.texts[c][a]);
      EXPECT_TRUE(d == 0 || (d >= 601 && d <= 1699)) << seen.texts[c][a];
    }
  ExpectStandings(run.machines[0].players, seen);
  EXPECT_FALSE(seen.titleUpInATurn);
  EXPECT_LT(seen.frames, 1500);
}

TEST_F(ThrowEventTest, FourMachinesInLockStep) {
  // The machines share one sound manager of 100 slots here, so the later
  // ones get few of the event's sounds or none: every machine's sounds end
  // at other frames, and only the ready handshakes keep them in step.
  auto players = ComputerFixtures();
  players[0] = FixturePlayer(5, true, "HOST");
  players[2] = FixturePlayer(2, true, "GUEST");
  InputScript pusher;
  for (int f = 0; f < 8000; ++f) pusher.Press(f, kFire2);
  for (int f = 60; f < 8000; f += 50) pusher.Hold(f, f + 4, kFire1);
  InputScript lazy;
  for (int f = 90; f < 8000; f += 70) lazy.Hold(f, f + 7, kFire1);
  Seen seen;
  HarnessOptions o = Options(players, &seen);
  o.machines = 4;
  o.seed = 4242;
  o.scripts = {pusher, InputScript(), lazy, InputScript()};
  HarnessRun run = RunEventHarness(o);
  ASSERT_EQ(run.machines.size(), 4u);
  ExpectMachinesAgree(run, 100u);
  ExpectStandings(run.machines[0].players, seen);
}

// The title and every turn's calls (the let-go, the announced distance, the
// foul, the closing comment) last their files' frames: a machine that plays
// them, and one left without a sound slot, go through the same states in the
// same frames. Unpaced, the null sound device never ends a sound.
TEST_F(ThrowEventTest, CallsLastTheirFilesFramesWithOrWithoutTheSounds) {
  const throwassets::ThrowFile& opening =
      throwassets::ThrowSoundFile(throwassets::kThrowCharOfCharacter[0], kSoundOpening);
  int openingFrames = -1;
  std::vector<int> states[2];
  std::array<PlayerRecord, 4> records[2];
  for (bool silent : {false, true}) {
    SCOPED_TRACE(silent ? "no sound slot" : "sounds loaded");
    std::vector<int>& seq = states[silent];
    HarnessOptions o = Options(ComputerFixtures(), nullptr, false);
    o.drawEvery = 10;  // the states are the logic's; drawing them all only costs time
    o.make = [silent] {
      if (silent) TakeEverySoundSlot();
      return static_cast<GameScreen*>(new ComputerThrowEvent());
    };
    o.onFrame = [&](int, int, GameScreen* screen) {
      if (openingFrames < 0)
        openingFrames =
            WaveFileFrames(opening.inProgramDir ? ShellProgramPath(opening.path) : ShellDataPath(opening.path), 65);
      seq.push_back(static_cast<ComputerThrowEvent*>(screen)->GetEventState());
    };
    HarnessRun run = RunEventHarness(o);
    EXPECT_EQ(run.machines[0].result, 1);
    ASSERT_GT(openingFrames, 8);  // longer than the fade-in
    records[silent] = run.machines[0].players;
    const int title = static_cast<int>(std::count(seq.begin(), seq.end(), static_cast<int>(kEvTitle)));
    EXPECT_GE(title, openingFrames - 1);
    EXPECT_LE(title, openingFrames + 1);
  }
  EXPECT_EQ(states[0], states[1]);
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(records[0][c].result, records[1][c].result) << c;
    EXPECT_EQ(records[0][c].place, records[1][c].place) << c;
  }
}

TEST_F(ThrowEventTest, MissingSoundsDoNotStall) {
  // The data set without a single sound, and no data set at all; the clock
  // stands still (nothing that waits for a sound could ever end otherwise).
  const fs::path noSounds = fs::path(KEL_BINARY_DIR) / "throw-no-sounds";
  const fs::path nothing = fs::path(KEL_BINARY_DIR) / "throw-no-data";
  fs::remove_all(noSounds);
  fs::remove_all(nothing);
  fs::create_directories(nothing);
  for (const auto& e : fs::recursive_directory_iterator(kGameData)) {
    fs::path rel = fs::relative(e.path(), kGameData);
    if (e.is_directory()) {
      fs::create_directories(noSounds / rel);
    } else if (e.path().extension() != ".wav") {
      fs::create_symlink(e.path(), noSounds / rel);
    }
  }
  for (const fs::path& root : {noSounds, nothing}) {
    SCOPED_TRACE(root.string());
    UseDataRoot(root.string());
    Seen seen;
    HarnessRun run = RunEventHarness(Options(ComputerFixtures(), &seen, false));
    EXPECT_EQ(run.machines[0].result, 1);
    EXPECT_EQ(seen.loadedSounds, 0);
    ExpectStandings(run.machines[0].players, seen);
  }
  fs::remove_all(noSounds);
  fs::remove_all(nothing);
}

TEST_F(ThrowEventTest, LowMemoryLeavesOutTheClosingCalls) {
  // With little memory the three closing comments are not loaded, nothing
  // waits for them, and the title card has one picture.
  OverrideLowMemory(1);
  Seen seen;
  HarnessRun run = RunEventHarness(Options(ComputerFixtures(), &seen));
  OverrideLowMemory(-1);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_EQ(seen.loadedSounds, kSoundSetSizeLowMemory);
  ExpectStandings(run.machines[0].players, seen);
}

}  // namespace
