// 3D MAZE in the real program under a virtual X server: once from the main
// menu's training picker (one player, one view), once inside a championship
// taken up from a saved game after event 6 with two players on one keyboard
// (two views side by side). The players pass over the intro, walk, and take
// the game's own screenshots (F11 + F12) in play. MazeUnderXvfb.* starts this
// test program again inside xvfb-run, where MazeXvfbChild.* drives the game
// with xdotool.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "base/paths.h"
#include "events/maze3d/maze3d_data.h"
#include "events/maze3d/rc_loader.h"
#include "tests/support/game_process.h"

namespace {

using namespace game_process;

constexpr const char* kChildVar = "KEL_MAZE_XVFB_CHILD";
constexpr const char* kModeVar = "KEL_MAZE_XVFB_MODE";
constexpr int kShots = 3;

void RunUnderXvfb(const char* mode) {
  RunEventUnderXvfb(kChildVar, "maze/final1.rce", std::string("maze-xvfb-") + mode, "MazeXvfbChild.Run",
                    {std::string(kModeVar) + "=" + mode});
}

TEST(MazeUnderXvfb, TrainingFromTheMainMenu) { RunUnderXvfb("training"); }
TEST(MazeUnderXvfb, TwoPlayersInAChampionship) { RunUnderXvfb("split"); }

// --- Inside the virtual X server --------------------------------------------

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The maze on the screen: the maze's palette (its first 127 colours come
// from the sky picture of the level; the system's first ten left aside),
// and with two views the black divider over columns 318..321 between them.
bool MazeShown(const std::string& shot, bool split) {
  const std::vector<uint8_t> colours = BmpColourTable(shot);
  const std::vector<uint8_t> px = ScreenshotPixels(shot);
  if (colours.empty() || px.empty()) return false;
  bool skyPalette = false;
  std::vector<const char*> skies(std::begin(mazeassets::kSkyFile), std::end(mazeassets::kSkyFile));
  skies.push_back(mazeassets::kSplitNightSky);
  for (const char* sky : skies) {
    uint8_t want[1024];
    RcLoader loader;
    const std::string path = ResolvePath(JoinPath(std::string(KEL_BINARY_DIR) + "/gamedata/data", sky));
    if (loader.LoadBmpPalette(path.c_str(), want) && std::equal(want + 40, want + 4 * 127, colours.begin() + 40))
      skyPalette = true;
  }
  if (!skyPalette) return false;
  if (!split) return true;
  int dark = 0, lit = 0;
  for (int y = 0; y < 400; y += 5) {
    for (int x = 318; x <= 321; ++x) dark += px[size_t(y) * 640 + x] == 0;
    lit += (px[size_t(y) * 640 + 160] != 0) + (px[size_t(y) * 640 + 480] != 0);
  }
  return dark == 4 * 80 && lit > 80;
}

// Three seconds of walking, then the screenshots on the way.
void WalkAndTakeScreenshots(const std::string& root, int taken, bool split) {
  HoldUpAndTakeScreenshots(root, taken, split, 3, kShots);
}

void CheckMazeShots(const std::string& root, int first, bool split) {
  ExpectScreenshots(root, first, kShots, [split](const std::string& shot) { return MazeShown(shot, split); });
}

TEST(MazeXvfbChild, Run) {
  const char* modeVar = std::getenv(kModeVar);
  if (!modeVar || std::string(modeVar) != "split") {
    TrainingRun run;
    if (!XvfbChildReady(kChildVar, &run.dir)) return;
    run.root = MakeScreenshotRoot(run.dir);
    run.log = run.dir + "/game.log";
    run.game = StartGameToMainMenu(run.root, run.dir, run.log);
    ASSERT_GT(run.game, 0);
    ASSERT_GT(WaitForMainMenu(run.root), 0) << ReadFile(run.log);
    StartTrainingEvent(7, "ANNA");
    auto shot = [&run](int n) { return run.root + "/data/sshot" + std::to_string(n) + ".bmp"; };
    const int taken = EnterEventUntilShown(run.root, [](const std::string& path) { return MazeShown(path, false); });
    ASSERT_TRUE(taken > 0 && MazeShown(shot(taken), false)) << ReadFile(run.log);
    WalkAndTakeScreenshots(run.root, taken, false);
    CheckMazeShots(run.root, taken + 1, false);
    const int shots = EndGameAndCheckScreenshots(run.game, run.root, run.log, kShots, 60, "maze-xvfb-training", taken + 1);
    const std::string out = ReadFile(run.log);
    EXPECT_EQ(shots, kShots) << out;
    EXPECT_EQ(out.find("Cannot load"), std::string::npos) << out;
    EXPECT_EQ(out.find("cannot start"), std::string::npos) << out;
    return;
  }
  std::string dir;
  if (!XvfbChildReady(kChildVar, &dir)) return;
  const std::string root = MakeScreenshotRoot(dir);
  const std::string log = dir + "/game.log";
  WriteTwoPlayerSave(dir + "/data", 6);
  const pid_t game = StartGameToMainMenu(root, dir, log);
  ASSERT_GT(game, 0);
  ASSERT_GT(WaitForMainMenu(root), 0) << ReadFile(log);
  // Into the championship until the two views show.
  const int taken = EnterSavedChampionshipEvent(root, [](const std::string& shot) { return MazeShown(shot, true); });
  ASSERT_GT(taken, 0) << ReadFile(log);
  WalkAndTakeScreenshots(root, taken, true);
  CheckMazeShots(root, taken + 1, true);
  const int shots = EndGameAndCheckScreenshots(game, root, log, kShots, 60, "maze-xvfb-split", taken + 1);
  EXPECT_EQ(shots, kShots) << ReadFile(log);
}

}  // namespace
