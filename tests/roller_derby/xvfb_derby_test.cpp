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
  RunEventModeUnderXvfb(kChildVar, kModeVar, "rd/palette1.bmp", "derby-xvfb", "DerbyXvfbChild.Run", mode);
}

TEST(DerbyUnderXvfb, TrainingFromThePicker) { RunUnderXvfb("training"); }
TEST(DerbyUnderXvfb, TwoPlayersAtTheEndOfAChampionship) { RunUnderXvfb("two-players"); }

// --- Inside the virtual X server --------------------------------------------

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The race on the screen: a screenshot in the event's own colours (the
// track's entries of its palette picture; the system's first six left
// aside).
bool DerbyShown(const std::string& shot) {
  return SharesColours(shot, std::string(KEL_BINARY_DIR) + "/gamedata/data/rd/palette1.bmp", 6, 126);
}

TEST(DerbyXvfbChild, Run) {
  const bool two = TwoPlayerMode(kModeVar);
  TrainingRun run;
  const int taken = StartEventRun(kChildVar, two, 10, 9, DerbyShown, &run);
  if (taken == 0) return;
  // A key passes over the announcer; then push off (the second player on
  // W) and take pictures on the way.
  XdoGame("key Up");
  Sleep(3000);
  HoldUpAndTakeScreenshots(run.root, taken, two, 2, kShots);
  // The track, the skaters, the map and the status band.
  FinishEventRun(run, taken, kShots, DerbyShown, std::string("derby-xvfb-") + (two ? "two-players" : "training"));
}

}  // namespace
