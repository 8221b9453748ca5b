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

#include "events/troubled_waters/swim_rules.h"
#include "tests/support/game_process.h"

namespace {

using namespace game_process;

constexpr const char* kChildVar = "KEL_SWIM_XVFB_CHILD";
constexpr const char* kModeVar = "KEL_SWIM_XVFB_MODE";
constexpr int kShots = 3;

void RunUnderXvfb(const std::string& mode) {
  RunEventModeUnderXvfb(kChildVar, kModeVar, "swim/statnew2.bmp", "swim-xvfb", "SwimXvfbChild.Run", mode);
}

TEST(SwimUnderXvfb, TrainingFromThePicker) { RunUnderXvfb("training"); }
TEST(SwimUnderXvfb, TwoPlayersInAChampionship) { RunUnderXvfb("two-players"); }

// --- Inside the virtual X server --------------------------------------------

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The race on the screen: the event's palette (the scenery's entries of its
// status picture; the system's first six and the swimmers' entries, which
// the event fills from their sheets, left aside), and with two views the
// black bar over columns 319..321 between them (below the map, which stands
// over the join of the views).
bool SwimShown(const std::string& shot, bool two) {
  if (!SharesColours(shot, std::string(KEL_BINARY_DIR) + "/gamedata/data/swim/statnew2.bmp", 6, 119)) return false;
  if (!two) return true;
  const std::vector<uint8_t> px = ScreenshotPixels(shot);
  if (px.empty()) return false;
  const swim::ScreenBox map = swim::MapArea(2);
  int dark = 0, barRows = 0, lit = 0;
  for (int y = 0; y < 400; y += 5) {
    if (y >= map.y + map.height) {
      ++barRows;
      for (int x = 319; x <= 321; ++x) dark += px[size_t(y) * 640 + x] == 0;
    }
    lit += (px[size_t(y) * 640 + 160] != 0) + (px[size_t(y) * 640 + 400] != 0);
  }
  return barRows > 0 && dark == 3 * barRows && lit > 80;
}

TEST(SwimXvfbChild, Run) {
  const bool two = TwoPlayerMode(kModeVar);
  auto shown = [two](const std::string& shot) { return SwimShown(shot, two); };
  TrainingRun run;
  const int taken = StartEventRun(kChildVar, two, 5, 4, shown, &run);
  if (taken == 0) return;
  // A key passes over the announcer; then swim (the second player on W)
  // and take pictures on the way.
  XdoGame("key Up");
  Sleep(3000);
  HoldUpAndTakeScreenshots(run.root, taken, two, 2, kShots);
  // The maze, the swimmers, the map, the clock and the status band.
  FinishEventRun(run, taken, kShots, shown, std::string("swim-xvfb-") + (two ? "two-players" : "training"));
}

}  // namespace
