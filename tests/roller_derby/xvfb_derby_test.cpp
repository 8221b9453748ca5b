// ROLLER DERBY in the real program under a virtual X server: picked from
// the training picker by one player, and reached as the last event of a
// championship of two players on one machine (a saved game taken up after
// the ninth event, so the road goes through the new game, the shop and the
// cut-scene) with its two views. The players push off and the game's own
// screenshots (F11 + F12) are taken during the race and kept in the build
// folder as derby-xvfb-<mode>-<n>.bmp for a person to look at.
// DerbyUnderXvfb.* starts this test program again inside xvfb-run, where
// DerbyXvfbChild.* drives the game with xdotool.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/game_process.h"

namespace {

using namespace game_process;

constexpr const char* kChildVar = "KEL_DERBY_XVFB_CHILD";
constexpr const char* kModeVar = "KEL_DERBY_XVFB_MODE";
constexpr int kShots = 3;

void RunUnderXvfb(const std::string& mode) {
  RunEventUnderXvfb(kChildVar, "rd/palette1.bmp", "derby-xvfb-" + mode, "DerbyXvfbChild.Run",
                    {std::string(kModeVar) + "=" + mode});
}

TEST(DerbyUnderXvfb, TrainingFromThePicker) { RunUnderXvfb("training"); }
TEST(DerbyUnderXvfb, TwoPlayersAtTheEndOfAChampionship) { RunUnderXvfb("two-players"); }

// --- Inside the virtual X server --------------------------------------------

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The race on the screen: a screenshot in the event's own colours (the
// track's entries of its palette picture; the system's first six left
// aside).
bool DerbyShown(const std::string& shot) {
  static const std::vector<uint8_t> want =
      BmpColourTable(std::string(KEL_BINARY_DIR) + "/gamedata/data/rd/palette1.bmp");
  const std::vector<uint8_t> got = BmpColourTable(shot);
  return want.size() == 1024 && got.size() == want.size() &&
         std::equal(want.begin() + 6 * 4, want.begin() + 127 * 4, got.begin() + 6 * 4);
}

std::string Shot(const std::string& root, int n) { return root + "/data/sshot" + std::to_string(n) + ".bmp"; }

TEST(DerbyXvfbChild, Run) {
  const char* modeVar = std::getenv(kModeVar);
  const bool two = modeVar && std::string(modeVar) == "two-players";
  TrainingRun run;
  if (!XvfbChildReady(kChildVar, &run.dir)) return;
  run.root = MakeScreenshotRoot(run.dir);
  run.log = run.dir + "/game.log";
  if (two) WriteTwoPlayerSave(run.dir + "/data", 9);
  run.game = StartGameToMainMenu(run.root, run.dir, run.log);
  ASSERT_GT(run.game, 0);
  ASSERT_GT(WaitForMainMenu(run.root), 0) << ReadFile(run.log);
  int taken = 0;
  if (two) {
    taken = EnterSavedChampionshipEvent(run.root, DerbyShown);
  } else {
    StartTrainingEvent(10, "ANNA");
    taken = EnterEventUntilShown(run.root, DerbyShown);
  }
  ASSERT_TRUE(taken > 0 && DerbyShown(Shot(run.root, taken))) << ReadFile(run.log);
  // A key passes over the announcer; then push off (the second player on
  // W) and take pictures on the way.
  XdoGame("key Up");
  Sleep(3000);
  HoldUpAndTakeScreenshots(run.root, taken, two, 2, kShots);
  ExpectScreenshots(run.root, taken + 1, kShots, DerbyShown);
  // The track, the skaters, the map and the status band.
  const int shots = EndGameAndCheckScreenshots(run.game, run.root, run.log, kShots, 40,
                                               std::string("derby-xvfb-") + (two ? "two-players" : "training"),
                                               taken + 1);
  const std::string out = ReadFile(run.log);
  EXPECT_EQ(shots, kShots) << out;
  // Every file of the event was there.
  EXPECT_EQ(out.find("Cannot load"), std::string::npos) << out;
}

}  // namespace
