// TROUBLED WATERS in the real program under a virtual X server: picked from
// the training picker by one player, and reached as the fifth event of a
// championship of two players on one machine (a saved game taken up after
// the fourth event, so the road goes through the new game, the shop and the
// cut-scene) with its two views. The players swim and the game's own
// screenshots (F11 + F12) are taken in the race and kept in the build folder
// as swim-xvfb-<mode>-<n>.bmp for a person to look at.
// SwimUnderXvfb.* starts this test program again inside xvfb-run, where
// SwimXvfbChild.* drives the game with xdotool.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/game_process.h"

namespace {

using namespace game_process;

constexpr const char* kChildVar = "KEL_SWIM_XVFB_CHILD";
constexpr const char* kModeVar = "KEL_SWIM_XVFB_MODE";
constexpr int kShots = 3;

void RunUnderXvfb(const std::string& mode) {
  RunEventUnderXvfb(kChildVar, "swim/statnew2.bmp", "swim-xvfb-" + mode, "SwimXvfbChild.Run",
                    {std::string(kModeVar) + "=" + mode});
}

TEST(SwimUnderXvfb, TrainingFromThePicker) { RunUnderXvfb("training"); }
TEST(SwimUnderXvfb, TwoPlayersInAChampionship) { RunUnderXvfb("two-players"); }

// --- Inside the virtual X server --------------------------------------------

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The race on the screen: the event's palette (the scenery's entries of its
// status picture; the system's first six and the swimmers' entries, which
// the event fills from their sheets, left aside), and with two views the
// black bar over columns 319..321 between them.
bool SwimShown(const std::string& shot, bool two) {
  static const std::vector<uint8_t> want =
      BmpColourTable(std::string(KEL_BINARY_DIR) + "/gamedata/data/swim/statnew2.bmp");
  const std::vector<uint8_t> got = BmpColourTable(shot);
  if (want.size() != 1024 || got.size() != want.size() ||
      !std::equal(want.begin() + 6 * 4, want.begin() + 120 * 4, got.begin() + 6 * 4))
    return false;
  if (!two) return true;
  const std::vector<uint8_t> px = ScreenshotPixels(shot);
  if (px.empty()) return false;
  int dark = 0, lit = 0;
  for (int y = 0; y < 400; y += 5) {
    for (int x = 319; x <= 321; ++x) dark += px[size_t(y) * 640 + x] == 0;
    lit += (px[size_t(y) * 640 + 160] != 0) + (px[size_t(y) * 640 + 400] != 0);
  }
  return dark == 3 * 80 && lit > 80;
}

std::string Shot(const std::string& root, int n) { return root + "/data/sshot" + std::to_string(n) + ".bmp"; }

TEST(SwimXvfbChild, Run) {
  const char* modeVar = std::getenv(kModeVar);
  const bool two = modeVar && std::string(modeVar) == "two-players";
  auto shown = [two](const std::string& shot) { return SwimShown(shot, two); };
  TrainingRun run;
  if (!XvfbChildReady(kChildVar, &run.dir)) return;
  run.root = MakeScreenshotRoot(run.dir);
  run.log = run.dir + "/game.log";
  if (two) WriteTwoPlayerSave(run.dir + "/data", 4);
  run.game = StartGameToMainMenu(run.root, run.dir, run.log);
  ASSERT_GT(run.game, 0);
  ASSERT_GT(WaitForMainMenu(run.root), 0) << ReadFile(run.log);
  int taken = 0;
  if (two) {
    taken = EnterSavedChampionshipEvent(run.root, shown);
  } else {
    StartTrainingEvent(5, "ANNA");
    taken = EnterEventAfterCutScene(run.root);
    // A loaded machine may have missed a key on the way, and the screenshot
    // keys open the message line on a screen of the front end: Return
    // closes the line, Ctrl takes the athlete and the country and passes
    // over the cut-scene.
    for (int tries = 0; !(taken > 0 && shown(Shot(run.root, taken))) && tries < 40; ++tries) {
      XdoGame("keydown Return sleep 0.3 keyup Return");
      Sleep(1500);
      XdoGame("keydown ctrl sleep 0.3 keyup ctrl");
      Sleep(500);
      PressScreenshotKeys();
      Sleep(900);
      taken = LastScreenshot(run.root);
    }
  }
  ASSERT_TRUE(taken > 0 && shown(Shot(run.root, taken))) << ReadFile(run.log);
  // A key passes over the announcer; then swim (the second player on W)
  // and take pictures on the way.
  XdoGame("key Up");
  Sleep(3000);
  HoldUpAndTakeScreenshots(run.root, taken, two, 2, kShots);
  ExpectScreenshots(run.root, taken + 1, kShots, shown);
  // The maze, the swimmers, the map, the clock and the status band.
  const int shots = EndGameAndCheckScreenshots(run.game, run.root, run.log, kShots, 40,
                                               std::string("swim-xvfb-") + (two ? "two-players" : "training"),
                                               taken + 1);
  const std::string out = ReadFile(run.log);
  EXPECT_EQ(shots, kShots) << out;
  // Every file of the event was there.
  EXPECT_EQ(out.find("Cannot load"), std::string::npos) << out;
}

}  // namespace
