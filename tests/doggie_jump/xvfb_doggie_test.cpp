// NICE DOGGIE JUMP in the real program under a virtual X server, reached
// from the main menu's training picker: the player skips the intros, picks
// event 4, names an athlete, skips the title with a key, runs up with the
// second fire button, holds the first to run the power meter, lets go and
// takes the game's own screenshots (F11 + F12) with the meter up and in the
// air over the dogs. And as the fourth event of a championship taken up from
// a saved game after the third, with two people on one keyboard who jump in
// turn (one view, the jumper's), ANNA on Shift and Ctrl, BERT on Q and
// Space. DoggieUnderXvfb.* starts this test program again inside xvfb-run,
// where DoggieXvfbChild.* drives the game.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/paths.h"
#include "events/doggie_jump/doggie_jump_data.h"
#include "graphics/palette.h"
#include "graphics/sprite.h"
#include "tests/support/game_process.h"

namespace {

using namespace game_process;

constexpr const char* kChildVar = "KEL_DOGGIE_XVFB_CHILD";

TEST(DoggieUnderXvfb, TrainingFromTheMainMenu) {
  RunEventUnderXvfb(kChildVar, "dog/palette.bmp", "doggie-xvfb", "DoggieXvfbChild.Run");
}

TEST(DoggieUnderXvfb, TwoPlayersInAChampionship) {
  RunEventUnderXvfb(kChildVar, "dog/palette.bmp", "doggie-xvfb-two", "DoggieXvfbChild.TwoPlayersInAChampionship", {},
                    420000);
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

namespace da = doggieassets;

// The jumper's entries of the colour table (126..254) as the game shows
// them while a character's sheet is up: they come from its sheet, so a
// screenshot tells whose turn it is. In a screenshot's order (blue, green,
// red, 0); empty when the sheet cannot be read.
std::vector<uint8_t> JumperColours(int character) {
  const std::string path = ResolvePath(JoinPath(std::string(KEL_BINARY_DIR) + "/gamedata/data",
                                                da::kJumperSheet[da::kRowOfCharacter[character]]));
  Sprite sheet(path.c_str(), 0);
  DDPalette* own = sheet.GetError() == 0 ? sheet.GetFramePalette(1) : nullptr;
  if (!own) return {};
  std::vector<uint8_t> quads;
  for (int i = da::kPaletteJumperFirst; i <= da::kPaletteJumperLast; ++i) {
    const PaletteEntry& e = own->Entries()[i];
    quads.insert(quads.end(), {e.blue, e.green, e.red, 0});
  }
  return quads;
}

// The course in the event's colours with the jumper of `jumper`
// (JumperColours) up.
bool TurnShown(const std::string& shot, const std::vector<uint8_t>& jumper) {
  if (!SharesColours(shot, std::string(KEL_BINARY_DIR) + "/gamedata/data/dog/palette.bmp", da::kPaletteCourseFirst,
                     da::kPaletteCourseLast))
    return false;
  const std::vector<uint8_t> table = BmpColourTable(shot);
  return std::equal(jumper.begin(), jumper.end(), table.begin() + 4 * da::kPaletteJumperFirst);
}

// One person's jump: the run-up on `runKey` (his second fire), then
// `meterKey` (his first) held while the meter runs and a picture of it; the
// picture lets go of every key in the game, so he takes off. Then two
// pictures of the flight. The number of the first picture.
int Jump(const std::string& root, const std::string& runKey, const std::string& meterKey) {
  const int before = LastScreenshot(root);
  XdoGame("key --delay 70 --repeat 60 " + runKey + " keydown " + meterKey +
          " sleep 0.3 keydown F11 keydown F12 sleep 0.4 keyup F12 keyup F11 keyup " + meterKey);
  TakeScreenshots(root, before, 1, 250);
  TakeScreenshots(root, before + 1, 2, 500);
  return before + 1;
}

// A jump's three pictures: the course in the event's colours with the
// jumper's sheet up and the jumper in the picture (his colours, which no
// other picture uses), changing from one to the next (the meter, the run,
// the flight).
void ExpectJumpShown(const std::string& root, int first, const std::vector<uint8_t>& jumper, const char* who) {
  std::vector<uint8_t> last;
  for (int n = first; n < first + 3; ++n) {
    const std::string shot = ScreenshotPath(root, n);
    EXPECT_TRUE(TurnShown(shot, jumper)) << who << " " << shot;
    std::vector<uint8_t> px = ScreenshotPixels(shot);
    EXPECT_GT(PixelsInRange(px, 0, 640, da::kPaletteJumperFirst, da::kPaletteJumperLast), 100) << who << " " << shot;
    if (!last.empty()) EXPECT_GT(ChangedShare(last, px, 0, 640), 0.01) << who << " " << shot;
    last = std::move(px);
  }
}

TEST(DoggieXvfbChild, TwoPlayersInAChampionship) {
  TrainingRun run;
  if (!StartChampionshipRun(kChildVar, 3, &run)) return;
  const std::string& root = run.root;
  // WriteTwoPlayerSave: ANNA is character 1, BERT character 4.
  const std::vector<uint8_t> anna = JumperColours(1), bert = JumperColours(4);
  ASSERT_EQ(anna.size(), 4u * (da::kPaletteJumperLast - da::kPaletteJumperFirst + 1));
  ASSERT_EQ(bert.size(), anna.size());
  ASSERT_NE(anna, bert);
  // ANNA jumps first. Ctrl, her fire key, would start her meter if it came
  // after the title: Return passes the shops' exits and the cut-scene.
  const int taken =
      EnterSavedChampionshipEvent(root, [&anna](const std::string& shot) { return TurnShown(shot, anna); }, {"Up", "Return"});
  ASSERT_GT(taken, 0) << ReadFile(run.log);
  // A key ends the title if it is still up (a direction does nothing in
  // the run-up).
  XdoGame("keydown Up sleep 0.3 keyup Up");
  Sleep(1500);
  // Return closes the chat line if a screenshot press opened it (its F12
  // seen alone in a slow frame, such as the one that loads the next
  // jumper); on the course it does nothing else.
  XdoGame("keydown Return sleep 0.2 keyup Return");
  const int annaJump = Jump(root, "shift", "ctrl");
  // The judge measures, the distance is called out; then BERT's turn.
  const int bertTurn =
      WaitForScreenshot(root, [&bert](const std::string& shot) { return TurnShown(shot, bert); }, 120);
  ASSERT_GT(bertTurn, 0) << ReadFile(run.log);
  XdoGame("keydown Return sleep 0.2 keyup Return");
  const int bertJump = Jump(root, "q", "space");
  ExpectJumpShown(root, annaJump, anna, "ANNA");
  ExpectJumpShown(root, bertJump, bert, "BERT");
  // The night course, the dogs, each jumper and the status band.
  EXPECT_EQ(CheckAndKeepScreenshots(root, 3, 60, "doggie-xvfb-anna", annaJump), 3);
  const int shots = EndGameAndCheckScreenshots(run.game, root, run.log, 3, 60, "doggie-xvfb-bert", bertJump);
  const std::string out = ReadFile(run.log);
  EXPECT_EQ(shots, 3) << out;
  EXPECT_EQ(out.find("Cannot load"), std::string::npos) << out;
}

}  // namespace
