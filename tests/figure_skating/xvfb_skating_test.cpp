// FULL CONTACT FIGURE SKATING in the real program under a virtual X server,
// reached from the main menu's training picker: the player skips the intros,
// picks event 6, names an athlete, skips the title with a key, skates towards
// the middle of the rink and takes the game's own screenshots (F11 + F12)
// while the four skaters are on the ice. SkatingUnderXvfb.* starts this test
// program again inside xvfb-run, where SkatingXvfbChild.* drives the game.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/support/game_process.h"

namespace {

using namespace game_process;

constexpr const char* kChildVar = "KEL_SKATING_XVFB_CHILD";
constexpr int kShots = 3;

TEST(SkatingUnderXvfb, TrainingFromTheMainMenu) {
  RunEventUnderXvfb(kChildVar, "skate/back.bbm", "skating-xvfb", "SkatingXvfbChild.Run");
}

// --- Inside the virtual X server --------------------------------------------

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

int Xdo(const std::string& args) { return XdoGame(args); }

TEST(SkatingXvfbChild, Run) {
  std::string dir;
  if (!XvfbChildReady(kChildVar, &dir)) return;
  const std::string root = MakeScreenshotRoot(dir);
  const std::string log = dir + "/game.log";
  const pid_t game = StartGameToMainMenu(root, dir, log);
  ASSERT_GT(game, 0);
  // SINGLE EVENT, and in the picker one row down from the first event: event 6.
  Xdo("key Down");
  Sleep(300);
  Xdo("key Return");
  Sleep(1500);
  Xdo("key Down");
  Sleep(300);
  Xdo("key Return");
  Sleep(3000);
  // The new game: a name, the athlete, the country.
  Xdo("type --delay 80 ANNA");
  Sleep(300);
  Xdo("key Return");
  Sleep(1200);
  Xdo("key Return");
  Sleep(1200);
  Xdo("key Return");
  Sleep(3000);
  // A cut-scene before the event gives way to a key. Then the game's own
  // screenshots, one a second, until one shows the status band under the
  // picture (the event has loaded; a loaded machine may take a while).
  Xdo("key Return");
  Sleep(3000);
  const int taken = WaitForEventScreen(root, 60);
  ASSERT_GT(taken, 0) << ReadFile(log);
  // A key ends the title; then skate right, towards the middle, and take
  // the pictures.
  Xdo("key shift");
  Sleep(2500);
  Xdo("keydown Right");
  Sleep(2000);
  Xdo("keyup Right");
  TakeScreenshots(root, taken, kShots, 700);
  Sleep(500);
  // The ice, the boards, the crowd, the skaters and the status band.
  const int shots = EndGameAndCheckScreenshots(game, root, log, kShots, 60, "skating-xvfb", taken + 1);
  EXPECT_EQ(shots, kShots) << ReadFile(log);
}

}  // namespace
