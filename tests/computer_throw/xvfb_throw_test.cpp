// COMPUTER THROW in the real program under a virtual X server, reached from
// the main menu as training and as the first event of a championship: the
// player skips the intro, picks the event, names an athlete, winds up with
// pushes, aims, lets go, and takes the game's own screenshots (F11 + F12)
// while the computer flies. ThrowUnderXvfb.* starts this test program again
// inside xvfb-run, where ThrowXvfbChild.* drives the game with xdotool.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/game_process.h"

namespace {

using namespace game_process;

constexpr const char* kChildVar = "KEL_THROW_XVFB_CHILD";
constexpr const char* kModeVar = "KEL_THROW_XVFB_MODE";
constexpr int kShots = 4;

void RunUnderXvfb(const char* mode) {
  RunEventUnderXvfb(kChildVar, "comp/palette.bmp", std::string("throw-xvfb-") + mode, "ThrowXvfbChild.Run",
                    {std::string(kModeVar) + "=" + mode});
}

TEST(ThrowUnderXvfb, TrainingFromTheMainMenu) { RunUnderXvfb("training"); }
TEST(ThrowUnderXvfb, FirstEventOfAChampionship) { RunUnderXvfb("championship"); }

// --- Inside the virtual X server --------------------------------------------

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

int Xdo(const std::string& args) { return XdoGame(args); }

TEST(ThrowXvfbChild, Run) {
  std::string dir;
  if (!XvfbChildReady(kChildVar, &dir)) return;
  const char* modeVar = std::getenv(kModeVar);
  if (!modeVar) GTEST_SKIP() << "runs under xvfb-run only";
  const bool championship = std::string(modeVar) == "championship";
  const std::string root = MakeScreenshotRoot(dir);
  const std::string log = dir + "/game.log";
  const pid_t game = StartGameToMainMenu(root, dir, log);
  ASSERT_GT(game, 0);
  if (championship) {
    Xdo("key Return");  // CHAMPIONSHIP
    Sleep(1200);
    Xdo("key Return");  // SOLO GAME
  } else {
    Xdo("key Down");    // SINGLE EVENT
    Sleep(300);
    Xdo("key Return");
    Sleep(1500);
    Xdo("key Return");  // the first event in the picker
  }
  Sleep(3000);
  // The new game: a name, the athlete, the country.
  Xdo("type --delay 80 ANNA");
  Sleep(300);
  Xdo("key Return");
  Sleep(1200);
  Xdo("key ctrl");  // the fire key takes the athlete and the country
  Sleep(1200);
  Xdo("key ctrl");
  Sleep(3000);
  // A cut-scene before the event (if one is shown) gives way to a key; the
  // same key passes over the event's title.
  Xdo("key Return");
  Sleep(5000);
  Xdo("key shift");
  Sleep(2500);

  // ANNA throws first: pushes, then the aim held for five frames, let go.
  Xdo("key --delay 60 --repeat 50 shift");
  Xdo("keydown ctrl");
  Sleep(5 * 65 + 20);
  Xdo("keyup ctrl");
  // Screenshots while the computer flies: the throw's swing takes about a
  // second, the flight two to three.
  Sleep(800);
  // The menu was seen in screenshots of its own: these come after them.
  const int before = LastScreenshot(root);
  TakeScreenshots(root, before, kShots, 250);
  Sleep(500);
  // The beach, the sea, the crowd and the status band.
  const int shots =
      EndGameAndCheckScreenshots(game, root, log, kShots, 40, "throw-xvfb-" + std::string(modeVar), before + 1);
  EXPECT_EQ(shots, kShots) << ReadFile(log);
}

}  // namespace
