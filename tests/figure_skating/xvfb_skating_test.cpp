// FULL CONTACT FIGURE SKATING in the real program under a virtual X server,
// reached from the main menu's training picker: the player skips the intros,
// picks event 6, names an athlete, skips the title with a key, skates towards
// the middle of the rink and takes the game's own screenshots (F11 + F12)
// while the four skaters are on the ice. And as the sixth event of a
// championship taken up from a saved game after the fifth, with two people
// on one keyboard skating on their own keys, each followed by his own view
// (the two side by side). SkatingUnderXvfb.* starts this test program again
// inside xvfb-run, where SkatingXvfbChild.* drives the game.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "events/figure_skating/figure_skating_data.h"
#include "tests/support/game_process.h"

namespace {

using namespace game_process;
namespace sa = skateassets;

constexpr const char* kChildVar = "KEL_SKATING_XVFB_CHILD";
constexpr int kShots = 3;
// The road through the new game, the shops and the cut-scene is long on a
// loaded machine.
constexpr int kChampionshipMs = 420000;
// The least share of a view that changes between two shots while its camera
// follows a gliding skater.
constexpr double kFollowedShare = 0.2;

TEST(SkatingUnderXvfb, TrainingFromTheMainMenu) {
  RunEventUnderXvfb(kChildVar, "skate/back.bbm", "skating-xvfb", "SkatingXvfbChild.Run");
}

TEST(SkatingUnderXvfb, TwoPlayersInAChampionship) {
  RunEventUnderXvfb(kChildVar, "skate/back.bbm", "skating-xvfb-split", "SkatingXvfbChild.TwoPlayersInAChampionship",
                    {}, kChampionshipMs);
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

// The rink in play with two views: the event's colours (the rink's and the
// pictures' entries of the status picture's palette), the black divider
// over columns 319..321 (the intro shows one picture without it) and both
// views lit.
bool TwoViewsOnTheIce(const std::string& shot) {
  return SharesColours(shot, std::string(KEL_BINARY_DIR) + "/gamedata/data/jc/statnew.bmp", sa::kSceneryFirst,
                       sa::kSceneryLast) &&
         TwoViewsShown(ScreenshotPixels(shot), 319, 321);
}

// Player i's skater in columns x0..x1-1: his band of the palette, which
// only his sheets use.
bool SkaterIn(const std::vector<uint8_t>& px, int player, int x0, int x1) {
  const int first = sa::kPlayerBandFirst + sa::kPlayerBandSize * player;
  return PixelsInRange(px, x0, x1, first, first + sa::kPlayerBandSize - 1) > 50;
}

// Screenshots first..first+count-1 show both views in play, ANNA's skater in
// the left one and BERT's in the right, each view moving from one shot to
// the next as its skater glides and its camera follows: most of a view
// changes then (the crowd and the rink's lines move), while skaters moving
// under a still camera change a few hundredths of it.
bool BothViewsFollow(const std::string& root, int first, int count) {
  std::vector<uint8_t> last;
  for (int n = first; n < first + count; ++n) {
    const std::string shot = ScreenshotPath(root, n);
    if (!TwoViewsOnTheIce(shot)) return false;
    std::vector<uint8_t> px = ScreenshotPixels(shot);
    if (!SkaterIn(px, 0, 0, 319) || !SkaterIn(px, 1, 322, 640)) return false;
    if (!last.empty() && (ChangedShare(last, px, 0, 319) < kFollowedShare || ChangedShare(last, px, 322, 640) < kFollowedShare))
      return false;
    last = std::move(px);
  }
  return true;
}

TEST(SkatingXvfbChild, TwoPlayersInAChampionship) {
  TrainingRun run;
  if (!StartChampionshipRun(kChildVar, 5, &run)) return;
  const std::string& root = run.root;
  const int taken = EnterSavedChampionshipEvent(root, TwoViewsOnTheIce);
  ASSERT_GT(taken, 0) << ReadFile(run.log);
  // ANNA skates on the arrows, BERT on W/A/S/D, both the same way, turning
  // round every round so that neither ends against the boards; pictures
  // are taken until both views follow their skaters between them.
  const char* const ways[] = {"Right d", "Down s", "Left a", "Up w"};
  int first = 0;
  for (int round = 0; round < 8 && first == 0; ++round) {
    const int before = LastScreenshot(root);
    // Return closes the chat line if a screenshot press opened it (its F12
    // seen alone in a slow frame); on the ice it does nothing else.
    XdoGame("keydown Return sleep 0.2 keyup Return");
    HoldKeysAndTakeScreenshots(root, before, ways[round % 4], 1, kShots, 1000);
    if (LastScreenshot(root) >= before + kShots && BothViewsFollow(root, before + 1, kShots)) first = before + 1;
  }
  EXPECT_GT(first, 0) << "the two views never followed the people's skaters";
  if (first == 0) first = LastScreenshot(root) - kShots + 1;
  // The ice, the boards, the skaters in both views and the status band.
  const int shots = EndGameAndCheckScreenshots(run.game, root, run.log, kShots, 60, "skating-xvfb-split", first);
  const std::string out = ReadFile(run.log);
  EXPECT_EQ(shots, kShots) << out;
  EXPECT_EQ(out.find("Cannot load"), std::string::npos) << out;
}

}  // namespace
