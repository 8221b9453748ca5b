// The 3D MAZE run whole through the event harness: four computer players
// finish every level of the generated set, machines in lock-step over the
// hub with loss and delay, a machine that leaves taken over by the
// auto-pilot, the split screen with two people, and missing data.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "base/pkc.h"
#include "base/player_records.h"
#include "events/maze3d/maze3d_data.h"
#include "events/maze3d/maze3d_event.h"
#include "events/maze3d/maze_character.h"
#include "events/maze3d/rc_format.h"
#include "events/maze3d/rc_hud.h"
#include "events/maze3d/rc_navgraph.h"
#include "events/maze3d/rc_world.h"
#include "events/maze3d/rc_zones.h"
#include "screen/config.h"
#include "screen/event_assets.h"
#include "screen/game_screen_services.h"
#include "shell/screen_factory.h"
#include "tests/support/event_harness.h"

namespace fs = std::filesystem;

namespace {

const std::string kGameData = std::string(KEL_BINARY_DIR) + "/gamedata";
// A race that the computer players end soon, on level 3, with two people
// walking about (the lock-step runs play it to its end).
constexpr uint32_t kShortRaceSeed = 7;

// What a machine saw of the event.
struct Seen {
  int level = -1;
  int playFrames = 0;
  int winner = -1;
  int32_t scores[4] = {};
  uint16_t rate = 0;
  bool split = false;
  std::string loadError;
};

class MazeEventTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kGameData + "/data/maze/final1.rce")) << "the data set is made by the gamedata target";
    setenv("KELVANTHROP_DATA_ROOT", kGameData.c_str(), 1);
  }
  void TearDown() override { unsetenv("KELVANTHROP_DATA_ROOT"); }

  static HarnessOptions Options(Seen* seen, uint32_t seed, bool split = false) {
    HarnessOptions o;
    o.make = [split]() -> GameScreen* {
      if (split) return new Maze3DSplitEvent();
      return new Maze3DEvent();
    };
    o.seed = seed;
    o.eventIndex = 7;
    o.playMode = split ? 1 : 0;
    o.maxFrames = 12000;
    o.instanceGlobals = Maze3DInstanceGlobals();
    o.onFrame = [seen](int machine, int, GameScreen* s) {
      if (machine != 0) return;
      auto* m = static_cast<MazeEventScreen*>(s);
      seen->level = m->level();
      seen->rate = m->frameRate();
      seen->split = m->split();
      seen->loadError = m->loadError();
      if (m->playing()) ++seen->playFrames;
      if (g_mazeRoundState >= 1) seen->winner = g_mazeWinner;
      for (int i = 0; i < 4; ++i) seen->scores[i] = g_mazePlayers[i].score;
    };
    return o;
  }
};

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Places are a permutation and follow the scores (ties to the lower slot);
// the single view gives everybody the top score as his result.
void ExpectPlaces(const std::array<PlayerRecord, 4>& players, const Seen& seen, bool split = false) {
  std::set<int> places;
  for (const PlayerRecord& p : players) places.insert(p.place);
  EXPECT_EQ(places, (std::set<int>{0, 1, 2, 3}));
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (seen.scores[i] > seen.scores[j]) EXPECT_LT(players[i].place, players[j].place) << i << " " << j;
  if (split) return;
  const int32_t top = *std::max_element(seen.scores, seen.scores + 4);
  for (const PlayerRecord& p : players) EXPECT_EQ(p.result, top);
}

TEST_F(MazeEventTest, FourComputerPlayersFinishEveryLevel) {
  // One race on each of the three levels, the key carried out through the
  // door every time.
  std::set<int> levels;
  for (uint32_t seed : {6u, 11u, 14u}) {
    Seen seen;
    HarnessRun run = RunEventHarness(Options(&seen, seed));
    ASSERT_EQ(run.machines.size(), 1u);
    ASSERT_TRUE(seen.loadError.empty()) << seen.loadError;
    EXPECT_EQ(run.machines[0].result, 1) << "seed " << seed << " level " << seen.level << " frames "
                                         << run.machines[0].frames;
    EXPECT_GE(seen.winner, 0) << "a key carrier walked out, seed " << seed;
    EXPECT_LT(seen.playFrames, 3 * 60 * 16) << "within three minutes, seed " << seed;
    EXPECT_EQ(seen.rate, 16);
    ExpectPlaces(run.machines[0].players, seen);
    if (seen.winner >= 0) EXPECT_EQ(run.machines[0].players[seen.winner].place, 0);
    levels.insert(seen.level);
  }
  EXPECT_EQ(levels.size(), 3u);
}

// The generated levels and navigation files rewritten to the plain
// layouts: nothing after a level's header where its zone table would be,
// and a node file that ends with the word after its y order. They load, the
// zones and areas the game keeps for each level number take the place of
// the missing tables, and four computer players carry the key out on each.
TEST_F(MazeEventTest, PlainLayoutLevelsAndGraphsPlayToTheEnd) {
  const fs::path plain = fs::path(KEL_BINARY_DIR) / "maze-plain-data";
  fs::remove_all(plain);
  fs::copy(kGameData, plain, fs::copy_options::recursive);
  for (int n = 0; n < 3; ++n) {
    const std::string levelPath = (plain / "data" / "maze" / ("final" + std::to_string(n + 1) + ".rce")).string();
    std::vector<uint8_t> bytes;
    ASSERT_EQ(PkcReadWhole(levelPath.c_str(), size_t(64) << 20, &bytes), PkcWhole::kOk) << levelPath;
    ASSERT_EQ(GetLe32(bytes.data() + kRcLevelHeaderSize), kRcZoneMagic);
    std::fill(bytes.begin() + kRcLevelHeaderSize, bytes.begin() + kRcLevelFirstSection, 0);
    WriteFileBytes(levelPath, bytes);
    const std::string nodPath = (plain / "data" / "maze" / ("grid" + std::to_string(n + 1) + ".nod")).string();
    ASSERT_EQ(PkcReadWhole(nodPath.c_str(), size_t(1) << 20, &bytes), PkcWhole::kOk);
    const uint32_t nodes = GetLe32(bytes.data());
    bytes.resize(size_t(NavNodeFileSize(int(nodes), 0)));
    PutLe32(bytes.data() + bytes.size() - 4, 0x12345678);  // a word nobody reads
    WriteFileBytes(nodPath, bytes);
  }
  setenv("KELVANTHROP_DATA_ROOT", plain.c_str(), 1);
  std::set<int> levels;
  for (uint32_t seed : {6u, 11u, 14u}) {
    SCOPED_TRACE(seed);
    Seen seen;
    HarnessOptions o = Options(&seen, seed);
    bool keptTables = false;
    o.onFrame = [base = o.onFrame, &keptTables](int m, int f, GameScreen* s) {
      base(m, f, s);
      if (f == 1 && g_mazeNavGraph && g_mazeZoneTable)
        keptTables = g_mazeLevel.zoneTable == 0 && !g_mazeNavGraph->areasInFile() &&
                     g_mazeNavGraph->areaCount() == g_mazeNavGraph->nodeCount() && g_mazeZoneTable->zone(0).used == 1;
    };
    HarnessRun run = RunEventHarness(o);
    ASSERT_EQ(run.machines.size(), 1u);
    ASSERT_TRUE(seen.loadError.empty()) << seen.loadError;
    EXPECT_TRUE(keptTables) << "level " << seen.level;
    EXPECT_EQ(run.machines[0].result, 1) << "level " << seen.level;
    EXPECT_GE(seen.winner, 0) << "a key carrier walked out, level " << seen.level;
    ExpectPlaces(run.machines[0].players, seen);
    levels.insert(seen.level);
  }
  EXPECT_EQ(levels.size(), 3u);
}

}  // namespace

namespace {

TEST_F(MazeEventTest, MachinesStayInStepOverALossyHub) {
  // Two and four machines over a hub that loses, delays and reorders
  // packets; each of the first two has a person who walks now and then, the
  // computer players race to the exit. Every frame carries the same check
  // value everywhere, and every machine ends with the same records.
  auto players = ComputerFixtures();
  players[0].human = 1;
  players[1].human = 1;
  for (int machines : {2, 4}) {
    SCOPED_TRACE(machines);
    Seen seen;
    HarnessOptions o = Options(&seen, kShortRaceSeed);
    o.players = players;
    o.machines = machines;
    o.maxFrames = 4000;
    o.faults.dropPercent = 5;
    o.faults.delayPercent = 10;
    o.faults.maxDelay = 3;
    o.faults.reorderPercent = 5;
    InputScript walk;
    walk.Hold(60, 200, 0);
    o.scripts = std::vector<InputScript>(size_t(machines), walk);
    HarnessRun run = RunEventHarness(o);
    ASSERT_EQ(run.machines.size(), size_t(machines));
    ExpectMachinesAgree(run, 300);
    EXPECT_EQ(seen.rate, 16) << "a network game runs at 16 frames a second everywhere";
    EXPECT_GE(seen.winner, 2) << "a computer player walked out";
    std::set<int32_t> checks;
    for (const auto& [point, value] : run.machines[0].syncChecks) checks.insert(value);
    EXPECT_GT(checks.size(), 200u) << "the check value follows the game";
    ExpectPlaces(run.machines[0].players, seen);
  }
}

TEST_F(MazeEventTest, AMachineThatLeavesIsTakenOverByTheAutoPilot) {
  auto players = ComputerFixtures();
  players[0].human = 1;
  players[1].human = 1;
  Seen seen;
  HarnessOptions o = Options(&seen, 5);
  o.players = players;
  o.machines = 2;
  o.maxFrames = 12000;
  InputScript stays;
  for (int f = 150; f < 400; ++f) stays.Key(f, 'D');
  o.scripts = {stays, InputScript()};
  o.leaveAfterFrames = {0, 150};
  bool personAfterLeaving = false;
  int computerFrames = 0;
  o.onFrame = [base = o.onFrame, &personAfterLeaving, &computerFrames](int m, int f, GameScreen* s) {
    base(m, f, s);
    if (m != 0 || f < 400) return;
    if (g_mazeRunners[1].human) personAfterLeaving = true;
    ++computerFrames;
  };
  HarnessRun run = RunEventHarness(o);
  ASSERT_EQ(run.machines.size(), 2u);
  EXPECT_TRUE(run.machines[1].left);
  EXPECT_EQ(run.machines[0].result, 1) << "the one that stays plays to the end";
  EXPECT_FALSE(personAfterLeaving) << "the auto-pilot steers the one who left";
  EXPECT_GT(computerFrames, 100);
  EXPECT_TRUE(run.syncEqual);
  EXPECT_EQ(run.machines[0].players[1].human, 0);
}

TEST_F(MazeEventTest, TheSplitScreenPlacesEveryoneOnlyWhenTheRaceEnds) {
  // Two people on one keyboard: the left one walks, the right one stands;
  // the computer players race on. Cut short (the screen deleted before the
  // end) the records keep the places they came with; played to its end,
  // every one of the four gets a place, and only the winner's result
  // changes: to his own score.
  auto players = ComputerFixtures();
  players[0].human = 1;
  players[1].human = 1;
  for (PlayerRecord& p : players) {
    p.place = 3;
    p.result = 1234;
  }
  for (bool toTheEnd : {false, true}) {
    SCOPED_TRACE(toTheEnd);
    Seen seen;
    HarnessOptions o = Options(&seen, kShortRaceSeed, true);
    o.players = players;
    o.maxFrames = toTheEnd ? 4000 : 320;
    InputScript keys;
    keys.Press(20, 4, 0);
    keys.Hold(100, 300, 0, 0);
    o.scripts = {keys};
    int32_t leftStart = -1, leftEnd = -1;
    o.onFrame = [base = o.onFrame, &leftStart, &leftEnd](int m, int f, GameScreen* s) {
      base(m, f, s);
      if (f == 90) leftStart = g_mazeRunners[0].x + g_mazeRunners[0].y;
      if (f == 300) leftEnd = g_mazeRunners[0].x + g_mazeRunners[0].y;
    };
    HarnessRun run = RunEventHarness(o);
    ASSERT_EQ(run.machines.size(), 1u);
    EXPECT_TRUE(seen.split);
    EXPECT_GT(seen.playFrames, 250);
    EXPECT_NE(leftStart, leftEnd) << "the left player walked";
    EXPECT_EQ(run.machines[0].result, toTheEnd ? 1 : 0);
    for (const PlayerRecord& p : run.machines[0].players) {
      if (!toTheEnd) EXPECT_EQ(p.place, 3) << "an unfinished event places nobody";
      EXPECT_GE(p.weaponUnits, 0);
      EXPECT_GE(p.energy, 0);
      EXPECT_LE(p.energy, 100);
    }
    if (toTheEnd) {
      ASSERT_GE(seen.winner, 2) << "a computer player walked out";
      ExpectPlaces(run.machines[0].players, seen, true);
      for (int i = 0; i < 4; ++i)
        EXPECT_EQ(run.machines[0].players[i].result, i == seen.winner ? seen.scores[i] : 1234) << i;
    } else {
      for (const PlayerRecord& p : run.machines[0].players) EXPECT_EQ(p.result, 1234);
    }
  }
}

// The title stays up while the announcer speaks, counted in frames from his
// file, on a machine that plays him and on one left without a sound slot
// alike, in the single view and in the split screen.
TEST_F(MazeEventTest, TheTitleLastsTheAnnouncersFramesWithOrWithoutItsSound) {
  for (bool split : {false, true})
    for (bool silent : {false, true}) {
      SCOPED_TRACE(std::string(split ? "split screen" : "single view") + (silent ? ", no sound slot" : ""));
      Seen seen;
      HarnessOptions o = Options(&seen, 3, split);
      if (split) {
        o.players[0].human = 1;
        o.players[1].human = 1;
      }
      o.maxFrames = 120;
      o.make = [split, silent]() -> GameScreen* {
        if (silent) TakeEverySoundSlot();
        if (split) return new Maze3DSplitEvent();
        return new Maze3DEvent();
      };
      int titleFrames = 0, counted = -1, words = -1;
      o.onFrame = [&](int, int, GameScreen* s) {
        auto* m = static_cast<MazeEventScreen*>(s);
        counted = m->announcerFrames();
        words = WaveFileFrames(ShellDataPath(mazeassets::kAnnounceSound), m->frameInterval());
        if (m->introPhase() < 3) ++titleFrames;
      };
      RunEventHarness(o);
      ASSERT_GT(words, 20) << "the generated announcement lasts a few seconds";
      EXPECT_EQ(counted, words);
      // The single view's last title frame tells the others; the fade
      // follows when every machine has said so.
      EXPECT_GE(titleFrames, words);
      EXPECT_LE(titleFrames, words + 3);
    }
}

TEST_F(MazeEventTest, WithoutItsDataTheEventEndsWithAMessage) {
  const std::string empty = std::string(KEL_BINARY_DIR) + "/maze-empty-data";
  fs::create_directories(empty + "/data");
  setenv("KELVANTHROP_DATA_ROOT", empty.c_str(), 1);
  Seen seen;
  HarnessOptions o = Options(&seen, 3);
  for (PlayerRecord& p : o.players) p.place = 2;
  HarnessRun run = RunEventHarness(o);
  ASSERT_EQ(run.machines.size(), 1u);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_NE(seen.loadError.find("cannot start"), std::string::npos) << seen.loadError;
  EXPECT_LT(run.machines[0].frames, 100);
  for (const PlayerRecord& p : run.machines[0].players) EXPECT_EQ(p.place, -1) << "nobody is placed";
}

}  // namespace

namespace {

// Getting up: RIZAZ steps two frames at a time and shows his odd poses 1,
// 3, 5, 7, four updates before he stands; ZARU shows every pose, seven.
TEST(MazeCharacterGettingUp, RizazShowsHisOddPosesAndZaruEveryOne) {
  setenv("KELVANTHROP_DATA_ROOT", kGameData.c_str(), 1);
  ResetConfigurationDefaults();
  struct Case { int character; std::vector<int> poses; };
  const Case cases[] = {{0, {1, 3, 5, 7}}, {2, {1, 2, 3, 4, 5, 6, 7}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.character);
    MazeResetWorld();
    MazeHud hud;
    g_mazeHud = &hud;
    g_players[0] = ComputerFixtures()[0];
    g_players[0].character = c.character;
    g_players[0].human = 1;
    std::unique_ptr<MazeCharacter> ch(MakeMazeCharacter(c.character, 0));
    ASSERT_TRUE(ch && ch->loaded());
    ch->SetFrameRate(16);
    g_mazeRoundState = 0;
    std::memset(g_playerStates[0], 0, sizeof g_playerStates[0]);
    MazePlayerRecord& p = g_mazePlayers[0];
    p.ready = 0;
    p.action = 7;
    p.frame = 0;
    std::vector<int> shown;
    for (int update = 0; update < 12 && p.action == 7; ++update) {
      ch->Update();
      if (p.action != 7) break;
      for (int k = 0; k < 12; ++k)
        if (g_mazeRunners[0].pose == p.poses[kGetUpPoseSlot + k]) shown.push_back(k);
    }
    EXPECT_EQ(shown, c.poses);
    EXPECT_EQ(p.action, 0) << "he stands";
    ch.reset();
    g_mazeHud = nullptr;
    MazeResetWorld();
  }
  unsetenv("KELVANTHROP_DATA_ROOT");
}

TEST(MazeRegistration, EventSevenInEveryPlayMode) {
  // Two on one keyboard get the split screen, which the factory keeps apart.
  RegisterMaze3DEvent();
  const int32_t saved = g_playMode;
  for (int32_t mode : {0, 1, 2}) {
    g_playMode = mode;
    EXPECT_TRUE(IsEventAvailable(7)) << "play mode " << mode;
  }
  g_playMode = saved;
}

}  // namespace
