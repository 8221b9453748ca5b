// NICE DOGGIE JUMP in the real program under a virtual X server, reached
// from the main menu's training picker: the player skips the intros, picks
// event 4, names an athlete, skips the title with a key, runs up with the
// second fire button, holds the first to run the power meter, lets go and
// takes the game's own screenshots (F11 + F12) with the meter up and in the
// air over the dogs. DoggieUnderXvfb.* starts this test program again inside
// xvfb-run, where DoggieXvfbChild.* drives the game.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/support/game_process.h"

namespace {

using namespace game_process;

constexpr const char* kChildVar = "KEL_DOGGIE_XVFB_CHILD";

TEST(DoggieUnderXvfb, TrainingFromTheMainMenu) {
  RunEventUnderXvfb(kChildVar, "dog/palette.bmp", "doggie-xvfb", "DoggieXvfbChild.Run");
}

// --- Inside the virtual X server --------------------------------------------

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

TEST(DoggieXvfbChild, Run) {
  TrainingRun run;
  if (!StartTrainingRun(kChildVar, 4, &run)) return;
  const std::string& root = run.root;
  const std::string& log = run.log;
  const pid_t game = run.game;
  const int taken = EnterEventAfterCutScene(root);
  ASSERT_GT(taken, 0) << ReadFile(log);
  // A key ends the title. ANNA jumps first: the run-up on the second fire
  // button, then the first held while the meter runs, a picture of it, and
  // let go; then pictures of the flight.
  XdoGame("key shift");
  Sleep(2500);
  XdoGame("key --delay 70 --repeat 70 shift");
  XdoGame("keydown ctrl");
  TakeScreenshots(root, taken, 1, 250);
  XdoGame("keyup ctrl");
  TakeScreenshots(root, taken + 1, 2, 500);
  Sleep(500);
  // The night course, the dogs, the jumper and the status band.
  const int shots = EndGameAndCheckScreenshots(game, root, log, 3, 60, "doggie-xvfb", taken + 1);
  EXPECT_EQ(shots, 3) << ReadFile(log);
}

}  // namespace
