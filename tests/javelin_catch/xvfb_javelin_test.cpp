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
  RunEventModeUnderXvfb(kChildVar, kModeVar, "jc/statnew.bmp", "javelin-xvfb", "JavelinXvfbChild.Run", mode);
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
  if (!SharesColours(shot, std::string(KEL_BINARY_DIR) + "/gamedata/data/jc/statnew.bmp", 6, 119)) return false;
  const std::vector<uint8_t> px = ScreenshotPixels(shot);
  if (px.empty()) return false;
  int band = 0;
  for (int x = 0; x < 640; x += 4) band += px[size_t(430) * 640 + x] != 0;
  if (band < 80) return false;
  return !two || TwoViewsShown(px, 319, 321);
}

TEST(JavelinXvfbChild, Run) {
  const bool two = TwoPlayerMode(kModeVar);
  auto shown = [two](const std::string& shot) { return JavelinShown(shot, two); };
  TrainingRun run;
  const int taken = StartEventRun(kChildVar, two, 9, 8, shown, &run);
  if (taken == 0) return;
  // A key passes over the announcer (on a loaded machine the keys that
  // brought the event up may have done so already). Then both walk along
  // the field (up and right together: one axis, so no one is stuck at his
  // corner) while the pictures are taken.
  XdoGame("key Up");
  Sleep(2000);
  HoldKeysAndTakeScreenshots(run.root, taken, two ? "Up Right w d" : "Up Right", 3, kShots, kShotGapMs);
  // The field, the cannon and what it fired, the contestants, the clock
  // panel and the status band; every contestant file was read.
  const std::string out =
      FinishEventRun(run, taken, kShots, shown, std::string("javelin-xvfb-") + (two ? "two-players" : "training"));
  EXPECT_EQ(out.find("Cannot use the contestant data"), std::string::npos) << out;
}

}  // namespace
