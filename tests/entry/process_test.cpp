// The program as a process: one copy per user, headless runs without a
// display, signals ending through the shutdown, and (under a virtual X
// server) the real window with keys typed by xdotool reaching the key state.
#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/keyboard.h"
#include "platform/presenter.h"
#include "platform/single_instance.h"
#include "platform/window_events.h"

extern char** environ;

namespace {

using Env = std::map<std::string, std::string>;  // value "\x01" removes the variable
const std::string kUnset = "\x01";

// A directory of its own for one test; removed when the test passed, kept
// with the programs' logs when it failed.
struct ScopedDir {
  explicit ScopedDir(const std::string& name)
      : path(std::string(KEL_BINARY_DIR) + "/test-home/entry-" + name + "-" +
             std::to_string(::getpid())) {
    std::filesystem::remove_all(path);
    ::mkdir(path.c_str(), 0700);
  }
  ~ScopedDir() {
    if (!::testing::Test::HasFailure()) std::filesystem::remove_all(path);
  }
  const std::string path;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool Executable(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

struct Child {
  pid_t pid = -1;
  std::string log;  // stdout and stderr
  bool ended = false;
  int status = 0;
};

Child Spawn(const std::vector<std::string>& argv, const Env& changes, const std::string& log) {
  Env env;
  for (char** e = environ; *e; ++e) {
    std::string kv(*e);
    size_t eq = kv.find('=');
    if (eq != std::string::npos) env[kv.substr(0, eq)] = kv.substr(eq + 1);
  }
  for (const auto& [k, v] : changes) {
    if (v == kUnset)
      env.erase(k);
    else
      env[k] = v;
  }
  std::vector<std::string> envStrings;
  for (const auto& [k, v] : env) envStrings.push_back(k + "=" + v);
  std::vector<char*> envp, args;
  for (auto& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> argCopy = argv;
  for (auto& s : argCopy) args.push_back(s.data());
  args.push_back(nullptr);

  Child c;
  c.log = log;
  c.pid = ::fork();
  if (c.pid == 0) {
    int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd >= 0) {
      ::dup2(fd, 1);
      ::dup2(fd, 2);
    }
    ::execve(args[0], args.data(), envp.data());
    ::_exit(127);
  }
  return c;
}

// True (with c.status) once the child has ended.
bool Reap(Child& c) {
  if (c.ended) return true;
  if (c.pid <= 0) return false;
  if (::waitpid(c.pid, &c.status, WNOHANG) == c.pid) c.ended = true;
  return c.ended;
}

bool StillRunning(Child& c) { return !Reap(c); }

// Waits for the child's end; false when it is still running after the time.
bool WaitExit(Child& c, int seconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (Reap(c)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

void KillHard(Child& c) {
  if (Reap(c)) return;
  ::kill(c.pid, SIGKILL);
  ::waitpid(c.pid, &c.status, 0);
  c.ended = true;
}

bool ExitedZero(const Child& c) { return c.ended && WIFEXITED(c.status) && WEXITSTATUS(c.status) == 0; }

// True once the process has its own handler for the signal (the "SigCgt" mask
// of /proc/<pid>/status). A signal sent before that, while a loaded machine is
// still starting the sanitized program, would end it with the default action.
bool CatchesSignal(pid_t pid, int sig) {
  std::string status = ReadFile("/proc/" + std::to_string(pid) + "/status");
  size_t at = status.find("SigCgt:");
  if (at == std::string::npos) return false;
  unsigned long long mask = std::strtoull(status.c_str() + at + 7, nullptr, 16);
  return (mask >> (sig - 1)) & 1ull;
}

// Ends a game that is still running with the signal (it must leave through its
// shutdown with code 0); a game that has ended by itself must have ended with 0.
void EndGame(Child& c, int sig) {
  for (int i = 0; i < 1500 && StillRunning(c) && !CatchesSignal(c.pid, sig); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  if (StillRunning(c)) ::kill(c.pid, sig);
  bool ended = WaitExit(c, 30);
  if (!ended) KillHard(c);
  EXPECT_TRUE(ended) << "signal " << sig << " did not end the game";
  EXPECT_TRUE(ExitedZero(c)) << "status " << c.status << "\n" << ReadFile(c.log);
}

std::string GameBinary() { return std::string(KEL_BINARY_DIR) + "/kelvanthrop"; }

// A headless game with its own runtime, config and data homes.
Env HeadlessEnv(const std::string& dir) {
  ::mkdir((dir + "/run").c_str(), 0700);
  return {{"KELVANTHROP_HEADLESS", "1"},
          {"SDL_VIDEODRIVER", "dummy"},
          {"DISPLAY", kUnset},
          {"WAYLAND_DISPLAY", kUnset},
          {"XDG_RUNTIME_DIR", dir + "/run"},
          {"XDG_CONFIG_HOME", dir + "/config"},
          {"XDG_DATA_HOME", dir + "/data"},
          {"ASAN_OPTIONS", "detect_leaks=0"}};
}

class GameProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Executable(GameBinary())) GTEST_SKIP() << "the game binary is not built: " << GameBinary();
  }
};

// Holds the game's lock from this process, as a running copy would.
class LockHolder {
 public:
  explicit LockHolder(const std::string& runtimeDir) {
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    std::string saved = old ? old : "";
    ::setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
    result_ = lock_.Acquire();
    if (old)
      ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else
      ::unsetenv("XDG_RUNTIME_DIR");
  }
  SingleInstanceLock::Result result() const { return result_; }
  void Release() { lock_.Release(); }
  void MarkLeaving() { lock_.MarkLeaving(); }

 private:
  SingleInstanceLock lock_;
  SingleInstanceLock::Result result_;
};

TEST_F(GameProcessTest, SecondCopyShowsTheMessageAndExitsZero) {
  ScopedDir scoped("twice");
  const std::string& dir = scoped.path;
  Env env = HeadlessEnv(dir);
  LockHolder running(dir + "/run");
  ASSERT_EQ(running.result(), SingleInstanceLock::Result::kAcquired);

  Child second = Spawn({GameBinary()}, env, dir + "/second.log");
  bool ended = WaitExit(second, 30);
  if (!ended) KillHard(second);
  ASSERT_TRUE(ended) << "the second copy kept running";
  EXPECT_TRUE(ExitedZero(second)) << second.status;
  EXPECT_NE(ReadFile(second.log).find("Another copy of Kelvanthrop is running."), std::string::npos)
      << ReadFile(second.log);

  // Once the first copy is gone, the game starts.
  running.Release();
  Child next = Spawn({GameBinary()}, env, dir + "/next.log");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EndGame(next, SIGINT);
  EXPECT_EQ(ReadFile(next.log).find("Another copy"), std::string::npos);
}

// A copy started while the last one is on its way out (its player chose
// QUIT) waits for it to go instead of refusing, and then runs.
TEST_F(GameProcessTest, CopyStartedWhileTheLastOneLeavesWaitsForIt) {
  ScopedDir scoped("after-quit");
  const std::string& dir = scoped.path;
  Env env = HeadlessEnv(dir);
  env["KELVANTHROP_EXIT_AT_MENU"] = "1";
  LockHolder leaving(dir + "/run");
  ASSERT_EQ(leaving.result(), SingleInstanceLock::Result::kAcquired);
  leaving.MarkLeaving();

  Child next = Spawn({GameBinary()}, env, dir + "/next.log");
  // Longer than a copy that is not leaving is waited for.
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  EXPECT_TRUE(StillRunning(next)) << "it did not wait: " << ReadFile(next.log);
  leaving.Release();
  bool ended = WaitExit(next, 120);
  if (!ended) KillHard(next);
  const std::string log = ReadFile(next.log);
  ASSERT_TRUE(ended) << log;
  EXPECT_TRUE(ExitedZero(next)) << next.status << "\n" << log;
  EXPECT_EQ(log.find("Another copy"), std::string::npos) << log;
  EXPECT_NE(log.find("main menu reached"), std::string::npos) << log;
}

TEST_F(GameProcessTest, HeadlessRunsWithoutADisplayAndEndsOnSigterm) {
  ScopedDir scoped("headless");
  const std::string& dir = scoped.path;
  Env env = HeadlessEnv(dir);
  env["SDL_VIDEODRIVER"] = kUnset;  // no display and no driver named: still runs
  Child game = Spawn({GameBinary()}, env, dir + "/game.log");
  // Up and holding its lock, or already through its whole run.
  std::string lock = dir + "/run/kelvanthrop.lock";
  for (int i = 0; i < 250 && StillRunning(game) && ::access(lock.c_str(), F_OK) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EndGame(game, SIGTERM);
  std::string log = ReadFile(game.log);
  EXPECT_EQ(log.find("no window"), std::string::npos) << log;
  EXPECT_EQ(::access(lock.c_str(), F_OK), 0) << "the game took its lock";
  // The lock went with the process.
  LockHolder after(dir + "/run");
  EXPECT_EQ(after.result(), SingleInstanceLock::Result::kAcquired);
}

// A FIFO where the settings file should be: the game says so, with the path
// and the reason, and reaches its menu on its defaults instead of waiting in
// open() for a writer that never comes.
TEST_F(GameProcessTest, SettingsFifoIsReportedAndTheGameGoesOn) {
  ScopedDir scoped("fifo-settings");
  const std::string& dir = scoped.path;
  Env env = HeadlessEnv(dir);
  env["KELVANTHROP_EXIT_AT_MENU"] = "1";
  const std::string store = dir + "/config/kelvanthrop/settings.ini";
  std::filesystem::create_directories(dir + "/config/kelvanthrop");
  ASSERT_EQ(::mkfifo(store.c_str(), 0644), 0);
  Child game = Spawn({GameBinary()}, env, dir + "/game.log");
  bool ended = WaitExit(game, 120);
  if (!ended) KillHard(game);
  const std::string log = ReadFile(game.log);
  ASSERT_TRUE(ended) << "the game waited on the FIFO\n" << log;
  EXPECT_TRUE(ExitedZero(game)) << game.status << "\n" << log;
  EXPECT_NE(log.find(store), std::string::npos) << log;
  EXPECT_NE(log.find("not a regular file"), std::string::npos) << log;
}

// A data tree like the default one but for one file, which is empty: the
// rest are links into the default tree.
std::string DataTreeWithEmptyFile(const std::string& dir, const std::string& relative) {
  namespace fs = std::filesystem;
  const fs::path from = fs::path(KEL_BINARY_DIR) / "gamedata";
  const fs::path root = fs::path(dir) / "gamedata";
  fs::path src = from, dst = root;
  fs::create_directories(dst);
  fs::path rest = relative;
  for (auto part = rest.begin(); part != rest.end(); ++part) {
    const bool last = std::next(part) == rest.end();
    for (const auto& e : fs::directory_iterator(src))
      if (e.path().filename() != *part) fs::create_directory_symlink(e.path(), dst / e.path().filename());
    src /= *part;
    dst /= *part;
    if (last) {
      std::ofstream(dst.string(), std::ios::binary);  // empty
    } else {
      fs::create_directories(dst);
    }
  }
  return root.string();
}

// A computer training headless, on a tree whose menu music is an empty
// file: the file is refused with its name, and nothing waits for music that
// is not there (the shop after the event faded it out for ever): the
// program ends by itself when the training is over.
TEST_F(GameProcessTest, ComputerTrainingWithAnEmptyMenuThemeEndsByItself) {
  if (!std::filesystem::exists(std::string(KEL_BINARY_DIR) + "/gamedata/program/sounds/menu/theme.wav"))
    GTEST_SKIP() << "the default data set is not built";
  ScopedDir scoped("notheme");
  const std::string& dir = scoped.path;
  Env env = HeadlessEnv(dir);
  env["KELVANTHROP_DATA_ROOT"] = DataTreeWithEmptyFile(dir, "program/sounds/menu/theme.wav");
  env["KELVANTHROP_COMPUTER_TRAINING"] = "1";
  Child c = Spawn({GameBinary()}, env, dir + "/log.txt");
  const bool ended = WaitExit(c, 240);
  if (!ended) KillHard(c);
  const std::string log = ReadFile(c.log);
  EXPECT_TRUE(ended) << "the training did not end:\n" << log.substr(log.size() > 4000 ? log.size() - 4000 : 0);
  EXPECT_TRUE(ExitedZero(c)) << "status " << c.status;
  EXPECT_NE(log.find("theme.wav is empty"), std::string::npos) << "the refused file is named with its reason";
}

TEST(SingleInstanceLockTest, OneHolderPerRuntimeDirectory) {
  ScopedDir scoped("lock");
  const std::string& dir = scoped.path;
  LockHolder first(dir);
  EXPECT_EQ(first.result(), SingleInstanceLock::Result::kAcquired);
  LockHolder second(dir);
  EXPECT_EQ(second.result(), SingleInstanceLock::Result::kAnotherRunning);
  first.Release();
  LockHolder third(dir);
  EXPECT_EQ(third.result(), SingleInstanceLock::Result::kAcquired);
  // What a holder says of itself: only "leaving" after it said so, and a new
  // holder starts afresh.
  const char* old = std::getenv("XDG_RUNTIME_DIR");
  const std::string saved = old ? old : "";
  ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  EXPECT_FALSE(SingleInstanceLock::HolderIsLeaving());
  third.MarkLeaving();
  EXPECT_TRUE(SingleInstanceLock::HolderIsLeaving());
  {
    SingleInstanceLock waiter;
    std::thread release([&third] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      third.Release();
    });
    // No grace for a copy that stays, time enough for one that leaves.
    EXPECT_EQ(waiter.AcquireWaiting(0, 20000), SingleInstanceLock::Result::kAcquired);
    release.join();
    EXPECT_FALSE(SingleInstanceLock::HolderIsLeaving());
    SingleInstanceLock refused;
    EXPECT_EQ(refused.AcquireWaiting(200, 20000), SingleInstanceLock::Result::kAnotherRunning);
  }
  if (old)
    ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  else
    ::unsetenv("XDG_RUNTIME_DIR");
  // No usable runtime directory: the game runs unguarded rather than not at all.
  LockHolder nowhere(dir + "/missing/dir");
  EXPECT_EQ(nowhere.result(), SingleInstanceLock::Result::kUnavailable);
}

// --- Under a virtual X server ------------------------------------------------

bool HaveXvfb() { return Executable("/usr/bin/xvfb-run") && Executable("/usr/bin/xdotool"); }

Env XvfbEnv(const std::string& dir) {
  Env env = HeadlessEnv(dir);
  env["KELVANTHROP_HEADLESS"] = kUnset;
  env["SDL_VIDEODRIVER"] = "x11";
  return env;
}

std::vector<std::string> XvfbRun(const std::string& dir, std::vector<std::string> command) {
  std::vector<std::string> argv = {"/usr/bin/xvfb-run", "-a", "-f", dir + "/xauth",
                                   "-s", "-screen 0 1280x1024x24"};
  argv.insert(argv.end(), command.begin(), command.end());
  return argv;
}

std::string SelfPath() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "";
  buf[n] = '\0';
  return buf;
}

TEST(XvfbWindowTest, KeysTypedWithXdotoolReachTheKeyState) {
  if (!HaveXvfb()) GTEST_SKIP() << "xvfb-run or xdotool is not installed";
  ScopedDir scoped("xvfb-keys");
  const std::string& dir = scoped.path;
  Env env = XvfbEnv(dir);
  env["KEL_ENTRY_XVFB_CHILD"] = "1";
  Child child = Spawn(XvfbRun(dir, {SelfPath(), "--gtest_filter=XvfbChild.*"}), env,
                      dir + "/child.log");
  bool ended = WaitExit(child, 120);
  if (!ended) KillHard(child);
  std::string log = ReadFile(child.log);
  ASSERT_TRUE(ended) << log;
  if (log.find("Xvfb failed to start") != std::string::npos ||
      log.find("XVFB-UNAVAILABLE") != std::string::npos)
    GTEST_SKIP() << "the virtual X server did not start: " << log;
  EXPECT_TRUE(ExitedZero(child)) << log;
  EXPECT_NE(log.find("[  PASSED  ] 1 test"), std::string::npos) << log;
}

TEST(XvfbWindowTest, TheGameOpensItsWindowAtTheExpectedSize) {
  if (!HaveXvfb()) GTEST_SKIP() << "xvfb-run or xdotool is not installed";
  if (!Executable(GameBinary())) GTEST_SKIP() << "the game binary is not built";
  ScopedDir scoped("xvfb-window");
  const std::string& dir = scoped.path;
  // The game in the background; xdotool waits for its window and reports its
  // size; then the game is told to stop.
  std::string script =
      "\"$0\" & game=$!; "
      "win=$(timeout 30 xdotool search --sync --name '^Kelvanthrop$' | head -n 1); "
      "[ -n \"$win\" ] && xdotool getwindowgeometry --shell \"$win\"; "
      "kill -TERM $game; wait $game; echo \"GAME-EXIT=$?\"";
  Child run = Spawn(XvfbRun(dir, {"/bin/sh", "-c", script, GameBinary()}), XvfbEnv(dir),
                    dir + "/run.log");
  bool ended = WaitExit(run, 120);
  if (!ended) KillHard(run);
  std::string log = ReadFile(run.log);
  ASSERT_TRUE(ended) << log;
  if (log.find("Xvfb failed to start") != std::string::npos)
    GTEST_SKIP() << "the virtual X server did not start: " << log;
  EXPECT_NE(log.find("WIDTH=1024"), std::string::npos) << log;
  EXPECT_NE(log.find("HEIGHT=768"), std::string::npos) << log;
  EXPECT_NE(log.find("GAME-EXIT=0"), std::string::npos) << log;
}

// Runs only inside the virtual X server started above.
TEST(XvfbChild, WindowAndTypedKeys) {
  if (!std::getenv("KEL_ENTRY_XVFB_CHILD")) GTEST_SKIP() << "runs under xvfb-run only";
  std::string error;
  std::unique_ptr<Presenter> presenter = CreateWindowPresenter(&error);
  if (!presenter) {
    std::printf("XVFB-UNAVAILABLE %s\n", error.c_str());
    GTEST_SKIP() << error;
  }
  SDL_Window* window = presenter->GetWindow();
  ASSERT_NE(window, nullptr);
  int w = 0, h = 0;
  SDL_GetWindowSize(window, &w, &h);
  EXPECT_EQ(w, 1024);
  EXPECT_EQ(h, 768);
  ResetKeyboardState();
  WindowEventHandlers handlers;
  auto pump = [&](int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    SDL_Event e;
    while (std::chrono::steady_clock::now() < end) {
      while (SDL_PollEvent(&e)) HandleWindowEvent(e, handlers);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  };
  pump(300);
  // The window by its title; given the focus, then keys and a pointer move.
  ASSERT_EQ(std::system("xdotool search --sync --name '^Kelvanthrop$' windowfocus --sync %1"), 0);
  pump(200);
  ASSERT_EQ(std::system("xdotool keydown a keyup a key Return keydown Left"
                        " search --name '^Kelvanthrop$' mousemove --window %1 512 384"),
            0);
  pump(500);
  EXPECT_EQ(GetKeyPressCount('A'), 1u);
  EXPECT_FALSE(IsKeyDown('A'));
  EXPECT_EQ(GetKeyPressCount(kVkReturn), 1u);
  EXPECT_TRUE(IsKeyDown(kVkLeft));
  std::string typed;
  while (char c = ReadTypedChar()) typed += c;
  EXPECT_EQ(typed, "a\r");
  EXPECT_EQ(g_mouseX, 320);
  EXPECT_EQ(g_mouseY, 240);
  std::system("xdotool keyup Left");
  pump(200);
  EXPECT_FALSE(IsKeyDown(kVkLeft));

  // Once a frame is shown the renderer reports positions in display pixels
  // itself; they must not be scaled twice.
  std::vector<uint8_t> pixels(640 * 480, 0);
  PresentColour palette[256] = {};
  presenter->PresentIndexed(pixels.data(), 640, 480, 640, palette);
  pump(100);
  ASSERT_EQ(std::system("xdotool search --name '^Kelvanthrop$' mousemove --window %1 256 192"), 0);
  pump(300);
  EXPECT_EQ(g_mouseX, 160);
  EXPECT_EQ(g_mouseY, 120);
}

}  // namespace
