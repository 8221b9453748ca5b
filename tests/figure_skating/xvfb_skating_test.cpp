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

TEST(SkatingXvfbChild, Run) {
  TrainingRun run;
  if (!StartTrainingRun(kChildVar, 6, &run)) return;
  const std::string& root = run.root;
  const std::string& log = run.log;
  const pid_t game = run.game;
  const int taken = EnterEventAfterCutScene(root);
  ASSERT_GT(taken, 0) << ReadFile(log);
  // A key ends the title; then skate right, towards the middle, and take
  // the pictures.
  XdoGame("key shift");
  Sleep(2500);
  XdoGame("keydown Right");
  Sleep(2000);
  XdoGame("keyup Right");
  TakeScreenshots(root, taken, kShots, 700);
  Sleep(500);
  // The ice, the boards, the crowd, the skaters and the status band.
  const int shots = EndGameAndCheckScreenshots(game, root, log, kShots, 60, "skating-xvfb", taken + 1);
  EXPECT_EQ(shots, kShots) << ReadFile(log);
}

}  // namespace
