// JAVELIN CATCH in the real program under a virtual X server: picked from
// the training picker by one player, and reached as the ninth event of a
// championship of two players on one machine (a saved game taken up after
// the eighth event, so the road goes through the new game, the shop and the
// cut-scene) with its two views. The players pass over the announcer, walk
// onto the field (the first player on the arrows, the second on W A S D) and
// the game's own screenshots (F11 + F12) are taken while the cannon's first
// salvos fall; they are kept in the build folder as
// javelin-xvfb-<mode>-<n>.bmp for a person to look at.
// JavelinUnderXvfb.* starts this test program again inside xvfb-run, where
// JavelinXvfbChild.* drives the game with xdotool.
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

constexpr const char* kChildVar = "KEL_JAVELIN_XVFB_CHILD";
constexpr const char* kModeVar = "KEL_JAVELIN_XVFB_MODE";
// Spread over the first salvos: the cannon fires its first three objects
// four seconds into play, and they fall for about four seconds more.
constexpr int kShots = 5;
constexpr int kShotGapMs = 1400;

void RunUnderXvfb(const std::string& mode) {
  RunEventUnderXvfb(kChildVar, "jc/statnew.bmp", "javelin-xvfb-" + mode, "JavelinXvfbChild.Run",
                    {std::string(kModeVar) + "=" + mode});
}

TEST(JavelinUnderXvfb, TrainingFromThePicker) { RunUnderXvfb("training"); }
TEST(JavelinUnderXvfb, TwoPlayersInAChampionship) { RunUnderXvfb("two-players"); }

// --- Inside the virtual X server --------------------------------------------

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The event on the screen: the event's palette (the field's entries of its
// status picture; the system's first six and the contestants' bands, which
// the event fills from their sheets, left aside), the status band lit under
// the field, and with two views the black bar over columns 319..321 with
// the field lit on both sides of it.
bool JavelinShown(const std::string& shot, bool two) {
  static const std::vector<uint8_t> want =
      BmpColourTable(std::string(KEL_BINARY_DIR) + "/gamedata/data/jc/statnew.bmp");
  const std::vector<uint8_t> got = BmpColourTable(shot);
  if (want.size() != 1024 || got.size() != want.size() ||
      !std::equal(want.begin() + 6 * 4, want.begin() + 120 * 4, got.begin() + 6 * 4))
    return false;
  const std::vector<uint8_t> px = ScreenshotPixels(shot);
  if (px.empty()) return false;
  int band = 0;
  for (int x = 0; x < 640; x += 4) band += px[size_t(430) * 640 + x] != 0;
  if (band < 80) return false;
  if (!two) return true;
  int dark = 0, lit = 0;
  for (int y = 0; y < 400; y += 5) {
    for (int x = 319; x <= 321; ++x) dark += px[size_t(y) * 640 + x] == 0;
    lit += (px[size_t(y) * 640 + 160] != 0) + (px[size_t(y) * 640 + 480] != 0);
  }
  return dark == 3 * 80 && lit > 80;
}

std::string Shot(const std::string& root, int n) { return root + "/data/sshot" + std::to_string(n) + ".bmp"; }

TEST(JavelinXvfbChild, Run) {
  const char* modeVar = std::getenv(kModeVar);
  const bool two = modeVar && std::string(modeVar) == "two-players";
  auto shown = [two](const std::string& shot) { return JavelinShown(shot, two); };
  TrainingRun run;
  if (!XvfbChildReady(kChildVar, &run.dir)) return;
  run.root = MakeScreenshotRoot(run.dir);
  run.log = run.dir + "/game.log";
  if (two) WriteTwoPlayerSave(run.dir + "/data", 8);
  run.game = StartGameToMainMenu(run.root, run.dir, run.log);
  ASSERT_GT(run.game, 0);
  ASSERT_GT(WaitForMainMenu(run.root), 0) << ReadFile(run.log);
  int taken = 0;
  if (two) {
    taken = EnterSavedChampionshipEvent(run.root, shown);
  } else {
    StartTrainingEvent(9, "ANNA");
    taken = EnterEventUntilShown(run.root, shown);
  }
  ASSERT_TRUE(taken > 0 && shown(Shot(run.root, taken))) << ReadFile(run.log);
  // A key passes over the announcer (on a loaded machine the keys that
  // brought the event up may have done so already). Then both walk along
  // the field (up and right together: one axis, so no one is stuck at his
  // corner) while the pictures are taken.
  XdoGame("key Up");
  Sleep(2000);
  HoldKeysAndTakeScreenshots(run.root, taken, two ? "Up Right w d" : "Up Right", 3, kShots, kShotGapMs);
  ExpectScreenshots(run.root, taken + 1, kShots, shown);
  // The field, the cannon and what it fired, the contestants, the clock
  // panel and the status band.
  const int shots = EndGameAndCheckScreenshots(run.game, run.root, run.log, kShots, 40,
                                               std::string("javelin-xvfb-") + (two ? "two-players" : "training"),
                                               taken + 1);
  const std::string out = ReadFile(run.log);
  EXPECT_EQ(shots, kShots) << out;
  // Every file of the event was there, and every contestant file was read.
  EXPECT_EQ(out.find("Cannot load"), std::string::npos) << out;
  EXPECT_EQ(out.find("Cannot use the contestant data"), std::string::npos) << out;
}

}  // namespace
