// COMPUTER THROW in the real program under a virtual X server, reached from
// the main menu as training and as the first event of a championship: the
// player skips the intro, picks the event, names an athlete, winds up with
// pushes, aims, lets go, and takes the game's own screenshots (F11 + F12)
// while the computer flies. ThrowUnderXvfb.* starts this test program again
// inside xvfb-run, where ThrowXvfbChild.* drives the game with xdotool.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/game_process.h"

namespace fs = std::filesystem;

namespace {

using namespace game_process;

constexpr const char* kChildVar = "KEL_THROW_XVFB_CHILD";
constexpr const char* kModeVar = "KEL_THROW_XVFB_MODE";
constexpr int kShots = 4;

void RunUnderXvfb(const char* mode) {
  SkipWithoutXvfbAndGame(kChildVar);
  if (::testing::Test::IsSkipped()) return;
  if (!fs::exists(std::string(KEL_BINARY_DIR) + "/gamedata/data/comp/palette.bmp"))
    GTEST_SKIP() << "the game data is not built (target gamedata)";
  const std::string dir = WorkDir(std::string("throw-xvfb-") + mode);
  RunSelfUnderXvfb(dir, "ThrowXvfbChild.Run",
                   {std::string(kChildVar) + "=" + dir, std::string(kModeVar) + "=" + mode}, 240000);
}

TEST(ThrowUnderXvfb, TrainingFromTheMainMenu) { RunUnderXvfb("training"); }
TEST(ThrowUnderXvfb, FirstEventOfAChampionship) { RunUnderXvfb("championship"); }

// --- Inside the virtual X server --------------------------------------------

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

int Xdo(const std::string& args) {
  const std::string cmd = "xdotool search --name '^Kelvanthrop$' windowfocus --sync %1 " + args;
  return std::system(cmd.c_str());
}

// A data root of the game's data where the screenshots land in a folder of
// the test's own (they are written to the data directory).
std::string MakeRoot(const std::string& dir) {
  const fs::path data = fs::path(KEL_BINARY_DIR) / "gamedata";
  const fs::path root = fs::path(dir) / "root";
  fs::create_directories(root);
  fs::create_directory_symlink(data / "program", root / "program");
  fs::create_directory_symlink(data / "video", root / "video");
  for (const auto& e : fs::recursive_directory_iterator(data / "data")) {
    fs::path rel = fs::relative(e.path(), data / "data");
    if (e.is_directory())
      fs::create_directories(root / "data" / rel);
    else
      fs::create_symlink(e.path(), root / "data" / rel);
  }
  return root.string();
}

// An 8-bit screenshot: its size and how many different colours it shows.
bool ReadShot(const std::string& path, int* width, int* height, int* colours) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (d.size() < 54 || d[0] != 'B' || d[1] != 'M') return false;
  auto u32 = [&](size_t o) { return d[o] | d[o + 1] << 8 | d[o + 2] << 16 | uint32_t(d[o + 3]) << 24; };
  uint32_t offset = u32(10);
  *width = static_cast<int>(u32(18));
  *height = std::abs(static_cast<int32_t>(u32(22)));
  if (d[28] != 8 || offset >= d.size()) return false;
  std::set<uint8_t> seen(d.begin() + offset, d.end());
  *colours = static_cast<int>(seen.size());
  return true;
}

TEST(ThrowXvfbChild, Run) {
  const char* dirVar = std::getenv(kChildVar);
  const char* modeVar = std::getenv(kModeVar);
  if (!dirVar || !modeVar) GTEST_SKIP() << "runs under xvfb-run only";
  if (!std::getenv("DISPLAY")) {
    std::printf("XVFB-UNAVAILABLE no X display\n");
    GTEST_SKIP();
  }
  const std::string dir = dirVar;
  const bool championship = std::string(modeVar) == "championship";
  const std::string root = MakeRoot(dir);
  const std::string log = dir + "/game.log";
  pid_t game = SpawnGameOnDisplay(root, dir, /*exitAtMenu=*/false);
  ASSERT_EQ(std::system("timeout 30 xdotool search --sync --onlyvisible --name '^Kelvanthrop$' >/dev/null"), 0)
      << ReadFile(log);
  // The pointer off the window, so that it selects nothing in the menus.
  std::system("xdotool mousemove 1279 1023");

  // The two intro clips, then the main menu.
  Xdo("key Return");
  Sleep(700);
  Xdo("key Return");
  Sleep(2500);
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
  Xdo("key Return");
  Sleep(1200);
  Xdo("key Return");
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
  for (int i = 0; i < kShots; ++i) {
    Sleep(250);
    Xdo("keydown F11 keydown F12");
    Sleep(150);
    Xdo("keyup F12 keyup F11");
  }
  Sleep(500);
  ::kill(game, SIGTERM);
  int status = 0;
  bool ended = WaitEnd(game, 30000, &status);
  std::string out = ReadFile(log);
  EXPECT_TRUE(ended) << out;

  int shots = 0;
  for (int n = 1; n <= kShots; ++n) {
    const std::string shot = root + "/data/sshot" + std::to_string(n) + ".bmp";
    int w = 0, h = 0, colours = 0;
    if (!ReadShot(shot, &w, &h, &colours)) continue;
    ++shots;
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    // The beach, the sea, the crowd and the status band: not a black or
    // loading picture.
    EXPECT_GT(colours, 40) << shot;
    fs::copy_file(shot, fs::path(KEL_BINARY_DIR) / ("throw-xvfb-" + std::string(modeVar) + "-" +
                                                    std::to_string(n) + ".bmp"),
                  fs::copy_options::overwrite_existing);
  }
  EXPECT_EQ(shots, kShots) << out;
}

}  // namespace
