// HIPPO RUN in the real program under a virtual X server, reached from the
// main menu as training: the player skips the intro, picks the third event,
// names an athlete, closes the title, selects the push, walks up behind his
// hippo shoving it, and takes the game's own screenshots (F11 + F12) of the
// course in play. And as the third event of a championship taken up from a
// saved game after the second, with two people on one keyboard, each
// walking his runner up the course on his own keys in his own view (the two
// views side by side). HippoUnderXvfb.* starts this test program again
// inside xvfb-run, where HippoXvfbChild.* drives the game with xdotool.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "events/hippo_run/hippo_run_data.h"
#include "tests/support/game_process.h"

namespace {

using namespace game_process;
namespace ha = hippoassets;

constexpr const char* kChildVar = "KEL_HIPPO_XVFB_CHILD";
constexpr int kShots = 3;
// The road through the new game, the shops and the cut-scene is long on a
// loaded machine.
constexpr int kChampionshipMs = 420000;
// The least share of a view's pixels that changes between two shots of a
// view in play.
constexpr double kMovedShare = 0.05;

TEST(HippoUnderXvfb, TrainingFromTheMainMenu) {
  RunEventUnderXvfb(kChildVar, "hippo/back.bbm", "hippo-xvfb", "HippoXvfbChild.Run");
}

TEST(HippoUnderXvfb, TwoPlayersInAChampionship) {
  RunEventUnderXvfb(kChildVar, "hippo/back.bbm", "hippo-xvfb-split", "HippoXvfbChild.TwoPlayersInAChampionship", {},
                    kChampionshipMs);
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

// The course on the screen in the event's own colours (its scenery's
// entries of the palette picture), with two views: the black divider over
// columns 318..321 and both views lit.
bool CourseShown(const std::string& shot, bool split) {
  if (!SharesColours(shot, std::string(KEL_BINARY_DIR) + "/gamedata/data/hippo/palette.bmp", 6, 125)) return false;
  return !split || TwoViewsShown(ScreenshotPixels(shot), 318, 321);
}

// The item a person has selected shows as an icon in his panel of the
// status band (at 90 + 160 i, 455); the push is a green arrow, and no other
// item's icon is green. Player i pushes when his icon shows green.
bool PushSelected(const std::string& shot, int player) {
  const std::vector<uint8_t> px = ScreenshotPixels(shot);
  const std::vector<uint8_t> colours = BmpColourTable(shot);
  if (px.empty() || colours.empty()) return false;
  int green = 0;
  for (int y = 455; y < 478; ++y)
    for (int x = 90 + 160 * player; x < 126 + 160 * player; ++x) {
      const uint8_t* c = &colours[4 * px[size_t(y) * 640 + x]];  // blue, green, red
      green += c[1] > c[0] + 40 && c[1] > c[2] + 40;
    }
  return green > 20;
}

// Player i's runner in columns x0..x1-1: his sheet's colours, which no
// other picture uses.
bool RunnerIn(const std::vector<uint8_t>& px, int player, int x0, int x1) {
  const int first = ha::kRunnerPaletteFirst + ha::kRunnerPaletteCount * player;
  return PixelsInRange(px, x0, x1, first, first + ha::kRunnerPaletteCount - 1) > 100;
}

// Screenshots first..first+count-1 show the two views in play: ANNA and BERT
// with the push selected, ANNA's runner in the left view and BERT's in the
// right, each view changing from one shot to the next, and ANNA's and
// BERT's faces on the course map (their hippos' progress, columns
// 545 + 23 i) moved from the first shot to the last.
bool BothPeoplePlay(const std::string& root, int first, int count) {
  std::vector<uint8_t> firstPx, last;
  for (int n = first; n < first + count; ++n) {
    const std::string shot = ScreenshotPath(root, n);
    if (!CourseShown(shot, true) || !PushSelected(shot, 0) || !PushSelected(shot, 1)) return false;
    std::vector<uint8_t> px = ScreenshotPixels(shot);
    if (!RunnerIn(px, 0, 0, 318) || !RunnerIn(px, 1, 322, 640)) return false;
    if (!last.empty() && (ChangedShare(last, px, 0, 318) < kMovedShare || ChangedShare(last, px, 322, 540) < kMovedShare))
      return false;
    if (firstPx.empty()) firstPx = px;
    last = std::move(px);
  }
  for (int player = 0; player < 2; ++player) {
    const int x = 545 + 23 * player;
    if (ChangedShare(firstPx, last, x, x + 22, ha::kMapH) == 0) return false;
  }
  return true;
}

TEST(HippoXvfbChild, TwoPlayersInAChampionship) {
  TrainingRun run;
  if (!StartChampionshipRun(kChildVar, 2, &run)) return;
  const std::string& root = run.root;
  const int taken = EnterSavedChampionshipEvent(root, [](const std::string& shot) { return CourseShown(shot, true); });
  ASSERT_GT(taken, 0) << ReadFile(run.log);
  // Each person's second action (Shift for ANNA, Q for BERT) steps his
  // selection round to the push; a key before the race closes the title
  // and is not counted, so step and look until both panels show the push.
  // Return first closes the chat line if a screenshot press opened it (its
  // F12 seen alone in a slow frame); in the race it does nothing else.
  bool selected = false;
  for (int tries = 0; tries < 40 && !selected; ++tries) {
    const std::string shot = ScreenshotPath(root, LastScreenshot(root));
    const bool anna = PushSelected(shot, 0), bert = PushSelected(shot, 1);
    if (anna && bert) {
      selected = true;
      break;
    }
    XdoGame("keydown Return sleep 0.2 keyup Return");
    if (!anna) XdoGame("keydown shift sleep 0.2 keyup shift");
    if (!bert) XdoGame("keydown q sleep 0.2 keyup q");
    Sleep(1000);
    TakeScreenshots(root, LastScreenshot(root), 1, 300);
  }
  ASSERT_TRUE(selected) << "the push never showed in both people's panels";
  // Up and right walk straight up the course for ANNA, W and D for BERT;
  // their first actions (Ctrl, Space) push. Push and take pictures until
  // both show play.
  int first = 0;
  for (int round = 0; round < 5 && first == 0; ++round) {
    const int before = LastScreenshot(root);
    // A screenshot lets go of every key in the game: the arrows and W, D
    // are pressed again after each.
    const std::string down = " keydown Up keydown Right keydown w keydown d";
    const std::string up = " keyup Up keyup Right keyup w keyup d";
    std::string chain = "keydown Return sleep 0.2 keyup Return" + down;
    for (int shot = 0; shot < kShots; ++shot)
      chain += " key --repeat 12 --delay 200 ctrl space keydown F11 keydown F12 sleep 0.4 keyup F12 keyup F11" + up + down;
    XdoGame(chain + up);
    Sleep(500);
    const int got = LastScreenshot(root) - before;
    if (got < kShots) TakeScreenshots(root, before + got, kShots - got, 700);
    if (LastScreenshot(root) >= before + kShots && BothPeoplePlay(root, before + 1, kShots)) first = before + 1;
  }
  EXPECT_GT(first, 0) << "the two views never followed the people's runners";
  if (first == 0) first = LastScreenshot(root) - kShots + 1;
  // The course, the hippos and runners in both views, the map and the
  // status band.
  const int shots = EndGameAndCheckScreenshots(run.game, root, run.log, kShots, 60, "hippo-xvfb-split", first);
  const std::string out = ReadFile(run.log);
  EXPECT_EQ(shots, kShots) << out;
  EXPECT_EQ(out.find("Cannot load"), std::string::npos) << out;
}

}  // namespace
