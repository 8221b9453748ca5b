#include "tests/support/game_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "base/player_records.h"
#include "frontend/save_game.h"
#include "tests/support/event_harness.h"

extern char** environ;

namespace game_process {

bool Executable(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string SelfPath() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "";
  buf[n] = '\0';
  return buf;
}

std::string WorkDir(const std::string& name) {
  std::string d = std::string(KEL_BINARY_DIR) + "/test-home/" + name + "-" + std::to_string(::getpid());
  std::filesystem::remove_all(d);
  std::filesystem::create_directories(d);
  return d;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            const std::string& log) {
  std::vector<std::string> all;
  for (char** e = environ; *e; ++e) {
    std::string kv(*e);
    bool replaced = false;
    for (const std::string& c : env)
      if (kv.compare(0, c.find('=') + 1, c, 0, c.find('=') + 1) == 0) replaced = true;
    if (!replaced) all.push_back(kv);
  }
  for (const std::string& c : env)
    if (c.back() != '=') all.push_back(c);
  std::vector<char*> envp, args;
  for (auto& s : all) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> argCopy = argv;
  for (auto& s : argCopy) args.push_back(s.data());
  args.push_back(nullptr);
  pid_t pid = ::fork();
  if (pid == 0) {
    int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd >= 0) {
      ::dup2(fd, 1);
      ::dup2(fd, 2);
    }
    ::execve(args[0], args.data(), envp.data());
    ::_exit(127);
  }
  return pid;
}

bool WaitEnd(pid_t pid, int ms, int* status) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    if (::waitpid(pid, status, WNOHANG) == pid) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, status, 0);
  return false;
}

std::string Capture(const std::string& command) {
  std::string out;
  FILE* p = ::popen(command.c_str(), "r");
  if (!p) return out;
  char buf[256];
  while (std::fgets(buf, sizeof buf, p)) out += buf;
  ::pclose(p);
  return out;
}

void SkipWithoutXvfbAndGame(const char* childVar) {
  if (std::getenv(childVar)) GTEST_SKIP() << "already inside the virtual X server";
  if (!Executable("/usr/bin/xvfb-run") || !Executable("/usr/bin/xdotool"))
    GTEST_SKIP() << "xvfb-run or xdotool is not installed (scripts/deps.sh installs them)";
  const std::string game = std::string(KEL_BINARY_DIR) + "/kelvanthrop";
  if (!Executable(game)) GTEST_SKIP() << "the game is not built: " << game;
}

void RunSelfUnderXvfb(const std::string& dir, const std::string& filter,
                      const std::vector<std::string>& env, int timeoutMs) {
  std::vector<std::string> childEnv = env;
  childEnv.push_back("ASAN_OPTIONS=detect_leaks=0");
  pid_t pid = Spawn({"/usr/bin/xvfb-run", "-a", "-f", dir + "/xauth", "-s", "-screen 0 1280x1024x24",
                     SelfPath(), "--gtest_filter=" + filter},
                    childEnv, dir + "/child.log");
  int status = 0;
  bool ended = WaitEnd(pid, timeoutMs, &status);
  std::string log = ReadFile(dir + "/child.log");
  ASSERT_TRUE(ended) << "the run under xvfb-run did not end\n" << log;
  if (log.find("Xvfb failed to start") != std::string::npos ||
      log.find("XVFB-UNAVAILABLE") != std::string::npos)
    GTEST_SKIP() << "the virtual X server did not start: " << log;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << log;
  EXPECT_NE(log.find("[  PASSED  ] 1 test"), std::string::npos) << log;
  if (!::testing::Test::HasFailure()) std::filesystem::remove_all(dir);
}

void RunEventUnderXvfb(const char* childVar, const std::string& dataFile, const std::string& name,
                       const std::string& filter, std::vector<std::string> env, int timeoutMs) {
  SkipWithoutXvfbAndGame(childVar);
  if (::testing::Test::IsSkipped()) return;
  if (!std::filesystem::exists(std::string(KEL_BINARY_DIR) + "/gamedata/data/" + dataFile))
    GTEST_SKIP() << "the game data is not built (target gamedata)";
  const std::string dir = WorkDir(name);
  env.push_back(std::string(childVar) + "=" + dir);
  RunSelfUnderXvfb(dir, filter, env, timeoutMs);
}

bool XvfbChildReady(const char* childVar, std::string* dir) {
  const char* value = std::getenv(childVar);
  if (!value) {
    [] { GTEST_SKIP() << "runs under xvfb-run only"; }();
    return false;
  }
  if (!std::getenv("DISPLAY")) {
    std::printf("XVFB-UNAVAILABLE no X display\n");
    [] { GTEST_SKIP(); }();
    return false;
  }
  *dir = value;
  return true;
}

pid_t SpawnGameOnDisplay(const std::string& root, const std::string& dir, bool exitAtMenu) {
  std::filesystem::create_directories(dir + "/run");
  return Spawn({std::string(KEL_BINARY_DIR) + "/kelvanthrop"},
               {"KELVANTHROP_DATA_ROOT=" + root, "KELVANTHROP_HEADLESS=", "SDL_VIDEODRIVER=x11",
                "SDL_AUDIODRIVER=dummy",
                std::string("KELVANTHROP_EXIT_AT_MENU=") + (exitAtMenu ? "1" : ""),
                "XDG_RUNTIME_DIR=" + dir + "/run", "XDG_CONFIG_HOME=" + dir + "/config",
                "XDG_DATA_HOME=" + dir + "/data", "ASAN_OPTIONS=detect_leaks=0"},
               dir + "/game.log");
}

std::string MakeScreenshotRoot(const std::string& dir) {
  namespace fs = std::filesystem;
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

bool ReadScreenshot(const std::string& path, int* width, int* height, int* colours, int firstRow) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (d.size() < 54 || d[0] != 'B' || d[1] != 'M') return false;
  auto u32 = [&](size_t o) { return d[o] | d[o + 1] << 8 | d[o + 2] << 16 | uint32_t(d[o + 3]) << 24; };
  uint32_t offset = u32(10);
  *width = static_cast<int>(u32(18));
  *height = std::abs(static_cast<int32_t>(u32(22)));
  if (d[28] != 8 || offset >= d.size()) return false;
  // Rows are stored bottom up (a positive height) or top down.
  const size_t pitch = (static_cast<size_t>(*width) + 3) & ~size_t(3);
  const size_t rows = static_cast<size_t>(std::max(0, *height - firstRow));
  size_t begin = offset, end = d.size();
  if (static_cast<int32_t>(u32(22)) > 0) {
    end = std::min(d.size(), offset + rows * pitch);
  } else {
    begin = std::min(d.size(), offset + static_cast<size_t>(firstRow) * pitch);
  }
  std::set<uint8_t> seen(d.begin() + begin, d.begin() + end);
  *colours = static_cast<int>(seen.size());
  return true;
}

pid_t StartGameToMainMenu(const std::string& root, const std::string& dir, const std::string& log) {
  pid_t game = SpawnGameOnDisplay(root, dir, /*exitAtMenu=*/false);
  auto fail = [&](const char* what) {
    ADD_FAILURE() << what << "\n" << ReadFile(log);
    ::kill(game, SIGKILL);
    int status = 0;
    WaitEnd(game, 5000, &status);
    return pid_t(-1);
  };
  // A sanitized build on a loaded machine takes its time to open the window.
  if (std::system("timeout 120 xdotool search --sync --onlyvisible --name '^Kelvanthrop$' >/dev/null") != 0)
    return fail("no window came");
  // The pointer off the window, so that it selects nothing in the menus.
  std::system("xdotool mousemove 1279 1023");
  XdoGame("key Return");
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  XdoGame("key Return");
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  // The keys that follow are meant for the menu: a starved game may still
  // show an intro clip, which the Escapes of WaitForMainMenu pass over.
  if (WaitForMainMenu(root, 60) == 0) return fail("the main menu did not show");
  return game;
}

int XdoGame(const std::string& args) {
  const std::string cmd = "xdotool search --name '^Kelvanthrop$' windowfocus --sync %1 " + args;
  return std::system(cmd.c_str());
}

void StartTrainingEvent(int n, const std::string& name) {
  auto sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  XdoGame("key Down");
  sleep(300);
  XdoGame("key Return");
  sleep(1500);
  // The picker has two rows of five events, event 1 at the top left.
  for (int i = 0; i < (n - 1) % 5; ++i) {
    XdoGame("key Right");
    sleep(300);
  }
  if (n > 5) {
    XdoGame("key Down");
    sleep(300);
  }
  XdoGame("key Return");
  sleep(3000);
  XdoGame("type --delay 80 " + name);
  sleep(300);
  // Return takes the name, the fire key the athlete and the country.
  for (const char* key : {"Return", "ctrl", "ctrl"}) {
    XdoGame(std::string("key ") + key);
    sleep(1200);
  }
  sleep(1800);
}

bool StartTrainingRun(const char* childVar, int n, TrainingRun* run) {
  if (!XvfbChildReady(childVar, &run->dir)) return false;
  run->root = MakeScreenshotRoot(run->dir);
  run->log = run->dir + "/game.log";
  run->game = StartGameToMainMenu(run->root, run->dir, run->log);
  if (run->game <= 0) return false;
  StartTrainingEvent(n, "ANNA");
  return true;
}

int EnterEventAfterCutScene(const std::string& root) {
  XdoGame("key Return");
  std::this_thread::sleep_for(std::chrono::milliseconds(3000));
  return WaitForEventScreen(root, 60);
}

int EnterEventUntilShown(const std::string& root, const std::function<bool(const std::string&)>& shown, int tries) {
  auto shot = [&root](int n) { return root + "/data/sshot" + std::to_string(n) + ".bmp"; };
  int taken = EnterEventAfterCutScene(root);
  for (int t = 0; !(taken > 0 && shown(shot(taken))) && t < tries; ++t) {
    XdoGame("keydown Return sleep 0.3 keyup Return");
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    XdoGame("keydown ctrl sleep 0.3 keyup ctrl");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    PressScreenshotKeys();
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    taken = LastScreenshot(root);
  }
  return taken > 0 && shown(shot(taken)) ? taken : 0;
}

void PressScreenshotKeys() {
  XdoGame("keydown F11 keydown F12");
  // Held past a starved frame: the game takes the picture when it sees both
  // keys down, and a tap of F12 shorter than a frame opens the chat line.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  XdoGame("keyup F12 keyup F11");
}

int LastScreenshot(const std::string& root) {
  int n = 0;
  while (std::filesystem::exists(root + "/data/sshot" + std::to_string(n + 1) + ".bmp")) ++n;
  return n;
}

void TakeScreenshots(const std::string& root, int before, int count, int intervalMs) {
  for (int tries = 0; LastScreenshot(root) < before + count && tries < 4 * count; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
    PressScreenshotKeys();
  }
}

std::vector<uint8_t> ScreenshotPixels(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (d.size() < 54 || d[0] != 'B' || d[1] != 'M' || d[28] != 8) return {};
  auto u32 = [&](size_t o) { return d[o] | d[o + 1] << 8 | d[o + 2] << 16 | uint32_t(d[o + 3]) << 24; };
  const uint32_t offset = u32(10);
  const int32_t height = static_cast<int32_t>(u32(22));
  if (u32(18) != 640 || (height != 480 && height != -480) || offset + 640u * 480u > d.size()) return {};
  std::vector<uint8_t> px(640 * 480);
  for (int y = 0; y < 480; ++y) {
    const int row = height > 0 ? 479 - y : y;
    std::copy_n(d.begin() + offset + size_t(row) * 640, 640, px.begin() + size_t(y) * 640);
  }
  return px;
}

std::vector<uint8_t> BmpColourTable(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (d.size() < 54 + 1024 || d[0] != 'B' || d[1] != 'M' || d[28] != 8) return {};
  const size_t table = 14 + size_t(d[14] | d[15] << 8);
  if (table + 1024 > d.size()) return {};
  return std::vector<uint8_t>(d.begin() + std::ptrdiff_t(table), d.begin() + std::ptrdiff_t(table + 1024));
}

int WaitForMainMenu(const std::string& root, int tries) {
  const std::vector<uint8_t> menu = BmpColourTable(root + "/program/menu/logomain.bmp");
  if (menu.empty()) return 0;
  for (int t = 0; t < tries; ++t) {
    if (t > 0) {
      // Not there yet: Escape passes over a cut-scene and does nothing on
      // the main menu itself.
      XdoGame("keydown Escape sleep 0.15 keyup Escape");
      std::this_thread::sleep_for(std::chrono::milliseconds(600));
    }
    const int before = LastScreenshot(root);
    PressScreenshotKeys();
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    const int taken = LastScreenshot(root);
    if (taken == before) continue;
    // The system's first and last ten colours are the display's own.
    const std::vector<uint8_t> shot = BmpColourTable(root + "/data/sshot" + std::to_string(taken) + ".bmp");
    if (!shot.empty() && std::equal(menu.begin() + 40, menu.end() - 40, shot.begin() + 40)) return taken;
  }
  return 0;
}

void HoldUpAndTakeScreenshots(const std::string& root, int taken, bool twoPlayers, int seconds, int count) {
  HoldKeysAndTakeScreenshots(root, taken, twoPlayers ? "Up w" : "Up", seconds, count, 950);
}

void HoldKeysAndTakeScreenshots(const std::string& root, int taken, const std::string& keys, int seconds, int count,
                                int gapMs) {
  std::string down, up;
  std::istringstream words(keys);
  for (std::string k; words >> k;) {
    down += " keydown " + k;
    up += " keyup " + k;
  }
  char gap[32];
  std::snprintf(gap, sizeof gap, " sleep %.2f", std::max(gapMs - 400, 0) / 1000.0);
  std::string chain = down + " sleep " + std::to_string(seconds);
  // Taking a screenshot lets go of every key the game saw held: they are
  // pressed again after each one. The screenshot keys are held long enough
  // for a slow frame to see both (else F12 alone opens the chat line).
  for (int shot = 0; shot < count; ++shot)
    chain += " keydown F11 keydown F12 sleep 0.4 keyup F12 keyup F11" + up + down + gap;
  XdoGame(chain.substr(1) + up);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const int got = LastScreenshot(root) - taken;
  if (got < count) TakeScreenshots(root, taken + got, count - got, 700);
}

void ExpectScreenshots(const std::string& root, int first, int count,
                       const std::function<bool(const std::string&)>& inEvent) {
  for (int n = first; n < first + count; ++n) {
    const std::string shot = root + "/data/sshot" + std::to_string(n) + ".bmp";
    EXPECT_TRUE(inEvent(shot)) << shot;
  }
}

void WriteTwoPlayerSave(const std::string& dataHome, int eventIndex) {
  SaveGameRecord rec;
  rec.playMode = 1;
  rec.eventIndex = eventIndex;
  rec.trainingEvent = 0;
  rec.players[0] = FixturePlayer(1, true, "ANNA", 3);
  rec.players[1] = FixturePlayer(4, true, "BERT", 5);
  rec.players[2] = FixturePlayer(2, false, "CPU3", 1);
  rec.players[3] = FixturePlayer(5, false, "CPU4", 2);
  rec.localPlayers[0] = 0;
  rec.localPlayers[1] = 1;
  uint8_t bytes[kSaveGameSize];
  EncodeSaveGame(rec, bytes);
  std::filesystem::create_directories(dataHome + "/kelvanthrop");
  std::ofstream(dataHome + "/kelvanthrop/game0.dat", std::ios::binary)
      .write(reinterpret_cast<char*>(bytes), sizeof bytes);
}

int EnterSavedChampionshipEvent(const std::string& root, const std::function<bool(const std::string&)>& inEvent,
                                const std::vector<std::string>& keys) {
  auto sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  // Keys held past a frame, so that the screen sees them.
  auto press = [&sleep](const char* key) {
    XdoGame(std::string("keydown ") + key + " sleep 0.15 keyup " + key);
    sleep(250);
  };
  // CHAMPIONSHIP, SOLO GAME; on the new-game screen the saved game comes
  // back with its two players, and the shop opens.
  press("Return");
  sleep(1000);
  press("Return");
  // The new-game screen must be up before F12 opens its line (a loaded
  // machine is slow to get there, and a short press can fall between two
  // frames): else the words go into the athlete's name.
  sleep(6000);
  XdoGame("keydown F12 sleep 0.5 keyup F12");
  sleep(500);
  XdoGame("type --delay 80 'load game 1'");
  press("Return");
  sleep(1500);
  press("ctrl");  // the fire key starts the loaded game
  sleep(4000);
  // Out of each player's shop (its exit is one row up from the first item)
  // and past the cut-scene and the intro.
  for (int tries = 0; tries < 60; ++tries) {
    for (const std::string& key : keys) press(key.c_str());
    PressScreenshotKeys();
    sleep(900);
    const int taken = LastScreenshot(root);
    if (taken > 0 && inEvent(root + "/data/sshot" + std::to_string(taken) + ".bmp")) return taken;
  }
  return 0;
}

bool StartChampionshipRun(const char* childVar, int eventIndex, TrainingRun* run) {
  if (!XvfbChildReady(childVar, &run->dir)) return false;
  run->root = MakeScreenshotRoot(run->dir);
  run->log = run->dir + "/game.log";
  WriteTwoPlayerSave(run->dir + "/data", eventIndex);
  run->game = StartGameToMainMenu(run->root, run->dir, run->log);
  if (run->game <= 0) return false;
  if (WaitForMainMenu(run->root) > 0) return true;
  ADD_FAILURE() << "the main menu did not show\n" << ReadFile(run->log);
  return false;
}

void RunEventModeUnderXvfb(const char* childVar, const char* modeVar, const std::string& dataFile,
                           const std::string& prefix, const std::string& filter, const std::string& mode) {
  RunEventUnderXvfb(childVar, dataFile, prefix + "-" + mode, filter, {std::string(modeVar) + "=" + mode});
}

bool TwoPlayerMode(const char* modeVar) {
  const char* mode = std::getenv(modeVar);
  return mode && std::string(mode) == "two-players";
}

int StartEventRun(const char* childVar, bool twoPlayers, int pickerN, int saveAfter,
                  const std::function<bool(const std::string&)>& shown, TrainingRun* run) {
  if (!XvfbChildReady(childVar, &run->dir)) return 0;
  run->root = MakeScreenshotRoot(run->dir);
  run->log = run->dir + "/game.log";
  if (twoPlayers) WriteTwoPlayerSave(run->dir + "/data", saveAfter);
  // StartGameToMainMenu reports its own failure.
  run->game = StartGameToMainMenu(run->root, run->dir, run->log);
  if (run->game <= 0) return 0;
  if (WaitForMainMenu(run->root) == 0) {
    ADD_FAILURE() << "the main menu did not show\n" << ReadFile(run->log);
    return 0;
  }
  int taken = 0;
  if (twoPlayers) {
    taken = EnterSavedChampionshipEvent(run->root, shown);
  } else {
    StartTrainingEvent(pickerN, "ANNA");
    taken = EnterEventUntilShown(run->root, shown);
  }
  if (taken > 0 && shown(ScreenshotPath(run->root, taken))) return taken;
  ADD_FAILURE() << "the event did not show\n" << ReadFile(run->log);
  return 0;
}

std::string FinishEventRun(const TrainingRun& run, int taken, int count,
                           const std::function<bool(const std::string&)>& shown, const std::string& copyPrefix) {
  ExpectScreenshots(run.root, taken + 1, count, shown);
  const int shots = EndGameAndCheckScreenshots(run.game, run.root, run.log, count, 40, copyPrefix, taken + 1);
  const std::string out = ReadFile(run.log);
  EXPECT_EQ(shots, count) << out;
  EXPECT_EQ(out.find("Cannot load"), std::string::npos) << out;
  return out;
}

std::string ScreenshotPath(const std::string& root, int n) {
  return root + "/data/sshot" + std::to_string(n) + ".bmp";
}

bool SharesColours(const std::string& shot, const std::string& picture, int first, int last) {
  const std::vector<uint8_t> want = BmpColourTable(picture);
  const std::vector<uint8_t> got = BmpColourTable(shot);
  if (want.size() != 1024 || got.size() != 1024 || first < 0 || last > 255 || first > last) return false;
  return std::equal(want.begin() + 4 * first, want.begin() + 4 * (last + 1), got.begin() + 4 * first);
}

double ChangedShare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int x0, int x1, int rows) {
  if (a.size() != 640u * 480u || b.size() != a.size() || x0 < 0 || x1 > 640 || x0 >= x1 || rows <= 0 || rows > 480)
    return 0;
  int changed = 0;
  for (int y = 0; y < rows; ++y)
    for (int x = x0; x < x1; ++x) changed += a[size_t(y) * 640 + x] != b[size_t(y) * 640 + x];
  return double(changed) / (double(x1 - x0) * rows);
}

int PixelsInRange(const std::vector<uint8_t>& px, int x0, int x1, int first, int last) {
  if (px.size() != 640u * 480u || x0 < 0 || x1 > 640) return 0;
  int n = 0;
  for (int y = 0; y < 400; ++y)
    for (int x = x0; x < x1; ++x) n += px[size_t(y) * 640 + x] >= first && px[size_t(y) * 640 + x] <= last;
  return n;
}

bool TwoViewsShown(const std::vector<uint8_t>& px, int first, int last) {
  if (px.size() != 640u * 480u) return false;
  int dark = 0, lit = 0;
  for (int y = 0; y < 400; y += 5) {
    for (int x = first; x <= last; ++x) dark += px[size_t(y) * 640 + x] == 0;
    lit += (px[size_t(y) * 640 + 160] != 0) + (px[size_t(y) * 640 + 480] != 0);
  }
  return dark == (last - first + 1) * 80 && lit > 80;
}

int EndGameAndCheckScreenshots(pid_t game, const std::string& root, const std::string& log, int count,
                               int minColours, const std::string& copyPrefix, int first) {
  ::kill(game, SIGTERM);
  int status = 0;
  const bool ended = WaitEnd(game, 30000, &status);
  EXPECT_TRUE(ended) << ReadFile(log);
  return CheckAndKeepScreenshots(root, count, minColours, copyPrefix, first);
}

int CheckAndKeepScreenshots(const std::string& root, int count, int minColours, const std::string& copyPrefix,
                            int first) {
  namespace fs = std::filesystem;
  int shots = 0;
  for (int n = first; n < first + count; ++n) {
    const std::string shot = root + "/data/sshot" + std::to_string(n) + ".bmp";
    int w = 0, h = 0, colours = 0;
    if (!ReadScreenshot(shot, &w, &h, &colours)) continue;
    ++shots;
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_GT(colours, minColours) << shot;
    fs::copy_file(shot, fs::path(KEL_BINARY_DIR) / (copyPrefix + "-" + std::to_string(n - first + 1) + ".bmp"),
                  fs::copy_options::overwrite_existing);
  }
  return shots;
}

int WaitForScreenshot(const std::string& root, const std::function<bool(const std::string&)>& shown, int tries) {
  for (int t = 0; t < tries; ++t) {
    const int before = LastScreenshot(root);
    PressScreenshotKeys();
    std::this_thread::sleep_for(std::chrono::milliseconds(850));
    const int taken = LastScreenshot(root);
    if (taken > before && shown(ScreenshotPath(root, taken))) return taken;
  }
  return 0;
}

int WaitForEventScreen(const std::string& root, int tries) {
  for (int t = 0; t < tries; ++t) {
    // Only a new picture counts: an older one (the main menu's) is no sign.
    const int before = LastScreenshot(root);
    PressScreenshotKeys();
    std::this_thread::sleep_for(std::chrono::milliseconds(850));
    const int taken = LastScreenshot(root);
    int w = 0, h = 0, colours = 0;
    if (taken > before && ReadScreenshot(root + "/data/sshot" + std::to_string(taken) + ".bmp", &w, &h, &colours, 446) &&
        colours > 12)
      return taken;
  }
  return 0;
}

}  // namespace game_process
