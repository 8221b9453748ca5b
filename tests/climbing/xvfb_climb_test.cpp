// CRAZY CLIMBING in the real program under a virtual X server: once from
// the main menu's training picker (one player climbing in the one view),
// once inside a championship taken up from a saved game after event 1 with
// two players on one keyboard (two views side by side). The players skip
// the intros, climb, and take the game's own screenshots (F11 + F12)
// mid-climb. ClimbUnderXvfb.* starts this test program again inside
// xvfb-run, where ClimbXvfbChild.* drives the game with xdotool.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "base/player_records.h"
#include "frontend/save_game.h"
#include "tests/support/event_harness.h"
#include "tests/support/game_process.h"

namespace fs = std::filesystem;

namespace {

using namespace game_process;

constexpr const char* kChildVar = "KEL_CLIMB_XVFB_CHILD";
constexpr const char* kModeVar = "KEL_CLIMB_XVFB_MODE";
constexpr int kShots = 3;

void RunUnderXvfb(const char* mode) {
  SkipWithoutXvfbAndGame(kChildVar);
  if (::testing::Test::IsSkipped()) return;
  if (!fs::exists(std::string(KEL_BINARY_DIR) + "/gamedata/data/climb/statnew2.bmp"))
    GTEST_SKIP() << "the game data is not built (target gamedata)";
  const std::string dir = WorkDir(std::string("climb-xvfb-") + mode);
  RunSelfUnderXvfb(dir, "ClimbXvfbChild.Run", {std::string(kChildVar) + "=" + dir, std::string(kModeVar) + "=" + mode},
                   300000);
}

TEST(ClimbUnderXvfb, TrainingFromTheMainMenu) { RunUnderXvfb("training"); }
TEST(ClimbUnderXvfb, TwoPlayersInAChampionship) { RunUnderXvfb("split"); }

// --- Inside the virtual X server --------------------------------------------

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The pixels of an 8-bit screenshot, top row first (empty when unreadable).
std::vector<uint8_t> ShotPixels(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (d.size() < 54 || d[0] != 'B' || d[1] != 'M' || d[28] != 8) return {};
  auto u32 = [&](size_t o) { return d[o] | d[o + 1] << 8 | d[o + 2] << 16 | uint32_t(d[o + 3]) << 24; };
  const uint32_t offset = u32(10);
  const int32_t height = static_cast<int32_t>(u32(22));
  if (u32(18) != 640 || (height != 480 && height != -480) || offset + 640u * 480u > d.size()) return {};
  std::vector<uint8_t> px(640 * 480);
  for (int y = 0; y < 480; ++y) {
    const int row = height > 0 ? 479 - y : y;
    std::copy_n(d.begin() + offset + size_t(row) * 640, 640, px.begin() + size_t(y) * 640);
  }
  return px;
}

// The race on the screen: the clock box's panel and the status band, and
// with two views the black divider over columns 319..321.
bool RaceShown(const std::vector<uint8_t>& px, bool split) {
  if (px.empty()) return false;
  int band = 0;
  for (int x = 0; x < 640; x += 4) band += px[size_t(470) * 640 + x] != 0;
  if (band < 40) return false;
  if (!split) return true;
  int dark = 0, lit = 0;
  for (int y = 0; y < 400; y += 5) {
    for (int x = 319; x <= 321; ++x) dark += px[size_t(y) * 640 + x] == 0;
    lit += px[size_t(y) * 640 + 470] != 0;
  }
  return dark == 3 * 80 && lit > 40;
}

// A saved championship after event 1 with two people on one machine: the
// ape and the kangaroo against two computer players.
void WriteSavedGame(const std::string& dataHome) {
  SaveGameRecord rec;
  rec.playMode = 1;
  rec.eventIndex = 1;
  rec.trainingEvent = 0;
  rec.players[0] = FixturePlayer(1, true, "ANNA", 3);
  rec.players[1] = FixturePlayer(4, true, "BERT", 5);
  rec.players[2] = FixturePlayer(2, false, "CPU3", 1);
  rec.players[3] = FixturePlayer(5, false, "CPU4", 2);
  rec.localPlayers[0] = 0;
  rec.localPlayers[1] = 1;
  uint8_t bytes[kSaveGameSize];
  EncodeSaveGame(rec, bytes);
  fs::create_directories(dataHome + "/kelvanthrop");
  std::ofstream(dataHome + "/kelvanthrop/game0.dat", std::ios::binary).write(reinterpret_cast<char*>(bytes), sizeof bytes);
}

// Climbs (with player 2 on W beside player 1 on the arrows) and takes the
// screenshots mid-climb: one chain of key events, so that the window is
// focused once and the held keys are never let go in between.
void ClimbAndTakeScreenshots(const std::string& root, int taken, bool split) {
  const std::string keys = split ? "Up keydown w" : "Up";
  std::string chain = "keydown " + keys + " sleep 7";
  for (int shot = 0; shot < kShots; ++shot)
    chain += " keydown F11 keydown F12 sleep 0.15 keyup F12 keyup F11 sleep 0.8";
  XdoGame(chain + " keyup Up" + (split ? " keyup w" : ""));
  Sleep(500);
  // A loaded machine may have missed a press.
  const int got = LastScreenshot(root) - taken;
  if (got < kShots) TakeScreenshots(root, taken + got, kShots - got, 700);
}

void CheckRaceShots(const std::string& root, int first, bool split) {
  for (int n = first; n < first + kShots; ++n) {
    const std::string shot = root + "/data/sshot" + std::to_string(n) + ".bmp";
    EXPECT_TRUE(RaceShown(ShotPixels(shot), split)) << shot;
  }
}

TEST(ClimbXvfbChild, Run) {
  const char* modeVar = std::getenv(kModeVar);
  if (!modeVar || std::string(modeVar) != "split") {
    TrainingRun run;
    if (!StartTrainingRun(kChildVar, 2, &run)) return;
    const int taken = EnterEventAfterCutScene(run.root);
    ASSERT_GT(taken, 0) << ReadFile(run.log);
    XdoGame("key ctrl");  // passes over the intro
    Sleep(1500);
    ClimbAndTakeScreenshots(run.root, taken, false);
    CheckRaceShots(run.root, taken + 1, false);
    const int shots = EndGameAndCheckScreenshots(run.game, run.root, run.log, kShots, 60, "climb-xvfb-training", taken + 1);
    const std::string out = ReadFile(run.log);
    EXPECT_EQ(shots, kShots) << out;
    EXPECT_EQ(out.find("Cannot load"), std::string::npos) << out;
    return;
  }
  const char* dirVar = std::getenv(kChildVar);
  if (!dirVar) GTEST_SKIP() << "runs under xvfb-run only";
  if (!std::getenv("DISPLAY")) {
    std::printf("XVFB-UNAVAILABLE no X display\n");
    GTEST_SKIP();
  }
  const std::string dir = dirVar;
  const std::string root = MakeScreenshotRoot(dir);
  const std::string log = dir + "/game.log";
  WriteSavedGame(dir + "/data");
  const pid_t game = StartGameToMainMenu(root, dir, log);
  ASSERT_GT(game, 0);
  // Keys held past a frame, so that the screen sees them.
  auto press = [](const char* key) {
    XdoGame(std::string("keydown ") + key + " sleep 0.15 keyup " + key);
    Sleep(250);
  };
  // CHAMPIONSHIP, SOLO GAME; on the new-game screen the saved game comes
  // back with its two players, and the shop opens.
  press("Return");
  Sleep(1000);
  press("Return");
  Sleep(3000);
  press("F12");
  XdoGame("type --delay 80 'load game 1'");
  press("Return");
  Sleep(1500);
  press("Return");
  Sleep(4000);
  // Out of each player's shop (its exit is one row up from the first item)
  // and past the cut-scene and the intro, until the two views show.
  int taken = 0;
  bool racing = false;
  for (int tries = 0; !racing && tries < 60; ++tries) {
    press("Up");
    press("Return");
    press("ctrl");
    PressScreenshotKeys();
    Sleep(900);
    taken = LastScreenshot(root);
    racing = taken > 0 && RaceShown(ShotPixels(root + "/data/sshot" + std::to_string(taken) + ".bmp"), true);
  }
  ASSERT_TRUE(racing) << ReadFile(log);
  ClimbAndTakeScreenshots(root, taken, true);
  CheckRaceShots(root, taken + 1, true);
  const int shots = EndGameAndCheckScreenshots(game, root, log, kShots, 60, "climb-xvfb-split", taken + 1);
  EXPECT_EQ(shots, kShots) << ReadFile(log);
}

}  // namespace
