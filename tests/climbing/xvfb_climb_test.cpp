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
#include <string>
#include <thread>
#include <vector>

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

// Seven seconds of climbing, then the screenshots mid-climb.
void ClimbAndTakeScreenshots(const std::string& root, int taken, bool split) {
  HoldUpAndTakeScreenshots(root, taken, split, 7, kShots);
}

void CheckRaceShots(const std::string& root, int first, bool split) {
  ExpectScreenshots(root, first, kShots, [split](const std::string& shot) { return RaceShown(ScreenshotPixels(shot), split); });
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
  WriteTwoPlayerSave(dir + "/data", 1);
  const pid_t game = StartGameToMainMenu(root, dir, log);
  ASSERT_GT(game, 0);
  // Into the championship until the two views show.
  const int taken = EnterSavedChampionshipEvent(root, [](const std::string& shot) { return RaceShown(ScreenshotPixels(shot), true); });
  ASSERT_GT(taken, 0) << ReadFile(log);
  ClimbAndTakeScreenshots(root, taken, true);
  CheckRaceShots(root, taken + 1, true);
  const int shots = EndGameAndCheckScreenshots(game, root, log, kShots, 60, "climb-xvfb-split", taken + 1);
  EXPECT_EQ(shots, kShots) << ReadFile(log);
}

}  // namespace
