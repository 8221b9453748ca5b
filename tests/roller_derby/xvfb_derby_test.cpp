// ROLLER DERBY in the real program under a virtual X server: picked from
// the training picker by one player, and reached as the last event of a
// championship of two players on one machine (a saved game taken up after
// the ninth event, so the road goes through the new game, the shop and the
// cut-scene) with its two views. The players push off and the game's own
// screenshots (F11 + F12) are taken during the race and kept in the build
// folder as derby-xvfb-<mode>-<n>.bmp for a person to look at.
// DerbyUnderXvfb.* starts this test program again inside xvfb-run, where
// DerbyXvfbChild.* drives the game with xdotool.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "base/player_records.h"
#include "frontend/save_game.h"
#include "tests/support/game_process.h"

namespace fs = std::filesystem;

namespace {

using namespace game_process;

constexpr const char* kChildVar = "KEL_DERBY_XVFB_CHILD";
constexpr const char* kModeVar = "KEL_DERBY_XVFB_MODE";
constexpr int kShots = 3;

void RunUnderXvfb(const std::string& mode) {
  RunEventUnderXvfb(kChildVar, "rd/palette1.bmp", "derby-xvfb-" + mode, "DerbyXvfbChild.Run",
                    {std::string(kModeVar) + "=" + mode});
}

TEST(DerbyUnderXvfb, TrainingFromThePicker) { RunUnderXvfb("training"); }
TEST(DerbyUnderXvfb, TwoPlayersAtTheEndOfAChampionship) { RunUnderXvfb("two-players"); }

// --- Inside the virtual X server --------------------------------------------

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// A championship of two people on one machine (ANNA and BORIS) and two
// computer players, saved after its ninth event in save slot 1 of the
// game's save folder under `dir`.
void WriteSavedChampionship(const std::string& dir) {
  SaveGameRecord rec;
  rec.playMode = 1;
  rec.eventIndex = 9;
  rec.trainingEvent = 0;
  static const char* const kNames[4] = {"ANNA", "BORIS", "CPU3", "CPU4"};
  for (int p = 0; p < 4; ++p) {
    PlayerRecord& r = rec.players[p];
    r = PlayerRecord{};
    InitPlayerRecord(&r, (p * 5) % 6);
    SetPlayerName(&r, kNames[p]);
    r.human = p < 2 ? 1 : 0;
    r.country = p;
    r.place = 3 - p;
    r.points = 20 + 5 * p;
  }
  rec.localPlayers[0] = 0;
  rec.localPlayers[1] = 1;
  uint8_t bytes[kSaveGameSize];
  EncodeSaveGame(rec, bytes);
  fs::create_directories(dir + "/data/kelvanthrop");
  std::ofstream(dir + "/data/kelvanthrop/game0.dat", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

// The colour table of an 8-bit .bmp (a screenshot or the event's palette
// picture): 256 entries of blue, green, red, 0; empty when it is not one.
std::vector<uint8_t> BmpColours(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (d.size() < 54 + 1024 || d[0] != 'B' || d[1] != 'M' || d[28] != 8) return {};
  return std::vector<uint8_t>(d.begin() + 54, d.begin() + 54 + 1024);
}

// Takes a screenshot about once a second until one is in the event's own
// colours (the track's entries of its palette), at most `tries` of them;
// the number of that screenshot, 0 when none came. Every few tries Return
// again, in case a loaded machine missed the one that starts the event (the
// event itself has no use for it).
int WaitForDerbyScreen(const std::string& root, int tries) {
  const std::vector<uint8_t> want =
      BmpColours(std::string(KEL_BINARY_DIR) + "/gamedata/data/rd/palette1.bmp");
  for (int t = 0; t < tries && want.size() == 1024; ++t) {
    if (t % 6 == 5) XdoGame("key Return");
    PressScreenshotKeys();
    Sleep(850);
    const int taken = LastScreenshot(root);
    const std::vector<uint8_t> got = BmpColours(root + "/data/sshot" + std::to_string(taken) + ".bmp");
    if (taken > 0 && got.size() == want.size() && std::equal(want.begin() + 6 * 4, want.begin() + 127 * 4, got.begin() + 6 * 4))
      return taken;
  }
  return 0;
}

TEST(DerbyXvfbChild, Run) {
  const char* modeVar = std::getenv(kModeVar);
  const bool two = modeVar && std::string(modeVar) == "two-players";
  TrainingRun run;
  if (two) {
    if (!XvfbChildReady(kChildVar, &run.dir)) return;
    WriteSavedChampionship(run.dir);
    run.root = MakeScreenshotRoot(run.dir);
    run.log = run.dir + "/game.log";
    run.game = StartGameToMainMenu(run.root, run.dir, run.log);
    if (run.game <= 0) return;
    XdoGame("key Return");  // CHAMPIONSHIP
    Sleep(1200);
    XdoGame("key Return");  // the new game, where the saved one is taken up
    // Its command line opens once the screen has settled (a loaded machine
    // may take seconds to show it).
    Sleep(4000);
    XdoGame("keydown F12");
    Sleep(300);
    XdoGame("keyup F12");
    Sleep(300);
    XdoGame("type --delay 80 'LOAD GAME 1'");
    XdoGame("key Return");
    Sleep(1500);
    XdoGame("key Return");  // on with it: the shop after the ninth event
    Sleep(3000);
    // Past the medals, the standings and the shop (Up picks its exit).
    for (int i = 0; i < 8; ++i) XdoGame("key Up sleep 0.3 key Return sleep 1.5");
  } else if (!StartTrainingRun(kChildVar, 10, &run)) {
    return;
  }
  XdoGame("key Return");  // past the cut-scene (if one is shown); the event loads
  const int taken = WaitForDerbyScreen(run.root, 60);
  ASSERT_GT(taken, 0) << ReadFile(run.log);
  // A key passes over the announcer; then push off (the second player on
  // W) and take pictures on the way, in one chain of key events so that the
  // held keys are never let go in between.
  XdoGame("key Up");
  Sleep(3000);
  const std::string push = two ? "keydown Up keydown w" : "keydown Up";
  std::string chain = push + " sleep 2";
  for (int shot = 0; shot < kShots; ++shot)
    chain += " keydown F11 keydown F12 sleep 0.15 keyup F12 keyup F11 sleep 1.2";
  XdoGame(chain + (two ? " keyup Up keyup w" : " keyup Up"));
  Sleep(500);
  const int got = LastScreenshot(run.root) - taken;
  if (got < kShots) TakeScreenshots(run.root, taken + got, kShots - got, 700);
  // The track, the skaters, the map and the status band.
  const int shots = EndGameAndCheckScreenshots(run.game, run.root, run.log, kShots, 40,
                                               std::string("derby-xvfb-") + (two ? "two-players" : "training"),
                                               taken + 1);
  const std::string out = ReadFile(run.log);
  EXPECT_EQ(shots, kShots) << out;
  // Every file of the event was there.
  EXPECT_EQ(out.find("Cannot load"), std::string::npos) << out;
}

}  // namespace
