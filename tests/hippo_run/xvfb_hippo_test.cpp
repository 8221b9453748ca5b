// HIPPO RUN in the real program under a virtual X server, reached from the
// main menu as training: the player skips the intro, picks the third event,
// names an athlete, closes the title, selects the push, walks up behind his
// hippo shoving it, and takes the game's own screenshots (F11 + F12) of the
// course in play. HippoUnderXvfb.* starts this test program again inside
// xvfb-run, where HippoXvfbChild.* drives the game with xdotool.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/support/game_process.h"

namespace {

using namespace game_process;

constexpr const char* kChildVar = "KEL_HIPPO_XVFB_CHILD";
constexpr int kShots = 3;

TEST(HippoUnderXvfb, TrainingFromTheMainMenu) {
  RunEventUnderXvfb(kChildVar, "hippo/back.bbm", "hippo-xvfb", "HippoXvfbChild.Run");
}

// --- Inside the virtual X server --------------------------------------------

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

TEST(HippoXvfbChild, Run) {
  TrainingRun run;
  if (!StartTrainingRun(kChildVar, 3, &run)) return;
  const std::string& root = run.root;
  const std::string& log = run.log;
  const pid_t game = run.game;
  // A cut-scene (if one is shown) gives way to a key, and the event loads.
  const int taken = EnterEventAfterCutScene(root);
  ASSERT_GT(taken, 0) << ReadFile(log);
  // A key closes the title (it closes by itself within four seconds too);
  // then the second action steps from punch through weapon and pill to push.
  XdoGame("key shift");
  Sleep(5000);
  XdoGame("key --repeat 3 --delay 600 shift");
  Sleep(600);
  // Up and right together walk straight up the course; the first action
  // pushes. One chain of key events: the window is focused once only, so
  // the held arrows are never let go in between.
  std::string chain = "keydown Up keydown Right";
  for (int shot = 0; shot < kShots; ++shot)
    chain += " key --repeat 16 --delay 250 ctrl keydown F11 keydown F12 sleep 0.15 keyup F12 keyup F11 sleep 0.3";
  XdoGame(chain + " keyup Up keyup Right");
  Sleep(500);
  // A loaded machine may have missed a press.
  const int got = LastScreenshot(root) - taken;
  if (got < kShots) TakeScreenshots(root, taken + got, kShots - got, 700);
  // The course, the hippos and runners, the map and the status band.
  const int shots = EndGameAndCheckScreenshots(game, root, log, kShots, 60, "hippo-xvfb", taken + 1);
  const std::string out = ReadFile(log);
  EXPECT_EQ(shots, kShots) << out;
  // Every file of the event was there.
  EXPECT_EQ(out.find("Cannot load"), std::string::npos) << out;
}

}  // namespace
