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
  std::string dir;
  if (!XvfbChildReady(kChildVar, &dir)) return;
  const std::string root = MakeScreenshotRoot(dir);
  const std::string log = dir + "/game.log";
  const pid_t game = StartGameToMainMenu(root, dir, log);
  ASSERT_GT(game, 0);
  // SINGLE EVENT, and in the picker three to the right of the first: event 4.
  XdoGame("key Down");
  Sleep(300);
  XdoGame("key Return");
  Sleep(1500);
  for (int i = 0; i < 3; ++i) {
    XdoGame("key Right");
    Sleep(300);
  }
  XdoGame("key Return");
  Sleep(3000);
  // The new game: a name, the athlete, the country.
  XdoGame("type --delay 80 ANNA");
  Sleep(300);
  XdoGame("key Return");
  Sleep(1200);
  XdoGame("key Return");
  Sleep(1200);
  XdoGame("key Return");
  Sleep(3000);
  // A cut-scene before the event gives way to a key. Then the game's own
  // screenshots, one a second, until one shows the status band under the
  // picture (the event has loaded; a loaded machine may take a while).
  XdoGame("key Return");
  Sleep(3000);
  int taken = 0;
  bool inEvent = false;
  for (int tries = 0; !inEvent && tries < 60; ++tries) {
    PressScreenshotKeys();
    Sleep(850);
    taken = LastScreenshot(root);
    int w = 0, h = 0, colours = 0;
    inEvent = taken > 0 &&
              ReadScreenshot(root + "/data/sshot" + std::to_string(taken) + ".bmp", &w, &h, &colours, 446) &&
              colours > 12;
  }
  ASSERT_TRUE(inEvent) << ReadFile(log);
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
