// The real program's intro under a virtual X server: the window shows the
// clip's pictures while it plays (not a black screen), and key presses skip
// the two intro clips to the main menu long before they would have ended.
// IntroUnderXvfb.VisibleAndSkipped starts this test program again inside
// xvfb-run, where IntroXvfbChild.Run starts the game and watches it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "video/clip_writer.h"

// The X headers come last: their macros (None, Bool, Status) clash with others.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>

extern char** environ;

namespace {

constexpr const char* kChildVar = "KEL_VIDEO_XVFB_CHILD";

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

std::string WorkDir(const char* name) {
  std::string d = std::string(KEL_BINARY_DIR) + "/test-home/" + name + "-" + std::to_string(::getpid());
  std::filesystem::remove_all(d);
  std::filesystem::create_directories(d);
  return d;
}

// Starts a program with extra environment entries ("NAME=value"; "NAME="
// alone removes it), its output into `log`.
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

// Waits for the end; false (the process killed) when it outlives `ms`.
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

TEST(IntroUnderXvfb, VisibleAndSkipped) {
  if (std::getenv(kChildVar)) GTEST_SKIP() << "already inside the virtual X server";
  if (!Executable("/usr/bin/xvfb-run") || !Executable("/usr/bin/xdotool"))
    GTEST_SKIP() << "xvfb-run or xdotool is not installed (scripts/deps.sh installs them)";
  const std::string game = std::string(KEL_BINARY_DIR) + "/kelvanthrop";
  if (!Executable(game)) GTEST_SKIP() << "the game is not built: " << game;
  const std::string dir = WorkDir("video-xvfb");
  pid_t pid = Spawn({"/usr/bin/xvfb-run", "-a", "-f", dir + "/xauth", "-s", "-screen 0 1280x1024x24",
                     SelfPath(), "--gtest_filter=IntroXvfbChild.Run"},
                    {std::string(kChildVar) + "=" + dir, "ASAN_OPTIONS=detect_leaks=0"},
                    dir + "/child.log");
  int status = 0;
  bool ended = WaitEnd(pid, 120000, &status);
  std::string log = ReadFile(dir + "/child.log");
  ASSERT_TRUE(ended) << "the run under xvfb-run did not end\n" << log;
  if (log.find("Xvfb failed to start") != std::string::npos ||
      log.find("XVFB-UNAVAILABLE") != std::string::npos)
    GTEST_SKIP() << "the virtual X server did not start: " << log;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << log;
  EXPECT_NE(log.find("[  PASSED  ] 1 test"), std::string::npos) << log;
  if (!::testing::Test::HasFailure()) std::filesystem::remove_all(dir);
}

// The X library, loaded at run time as SDL does it.
struct XLib {
  void* lib = nullptr;
  Display* (*open)(const char*) = nullptr;
  int (*close)(Display*) = nullptr;
  XImage* (*getImage)(Display*, Drawable, int, int, unsigned, unsigned, unsigned long, int) = nullptr;
  Window (*rootWindow)(Display*) = nullptr;
  XErrorHandler (*setErrorHandler)(XErrorHandler) = nullptr;
  XLib() {
    lib = dlopen("libX11.so.6", RTLD_NOW);
    if (!lib) return;
    open = reinterpret_cast<decltype(open)>(dlsym(lib, "XOpenDisplay"));
    close = reinterpret_cast<decltype(close)>(dlsym(lib, "XCloseDisplay"));
    getImage = reinterpret_cast<decltype(getImage)>(dlsym(lib, "XGetImage"));
    rootWindow = reinterpret_cast<decltype(rootWindow)>(dlsym(lib, "XDefaultRootWindow"));
    setErrorHandler = reinterpret_cast<decltype(setErrorHandler)>(dlsym(lib, "XSetErrorHandler"));
    // A failed request must not end this program (the default handler exits).
    if (setErrorHandler) setErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  ~XLib() {
    if (lib) dlclose(lib);
  }
  bool ok() const { return open && close && getImage && rootWindow && setErrorHandler; }
};

// Lit pixels on a grid over the window, read from the screen at its place.
int LitPixels(XLib& x, Display* d, int left, int top, int width, int height) {
  XImage* image = x.getImage(d, x.rootWindow(d), left, top, static_cast<unsigned>(width),
                             static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (!image) return -1;
  int lit = 0;
  for (int y = 2; y < height; y += 8)
    for (int px = 2; px < width; px += 8)
      if ((image->f.get_pixel(image, px, y) & 0xFFFFFF) != 0) ++lit;
  image->f.destroy_image(image);
  return lit;
}

// A value of `xdotool getwindowgeometry --shell` ("X=12").
int GeometryValue(const std::string& text, const char* name) {
  std::string key = std::string("\n") + name + "=";
  size_t at = ("\n" + text).find(key);
  return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + key.size() - 1);
}

TEST(IntroXvfbChild, Run) {
  const char* dirVar = std::getenv(kChildVar);
  if (!dirVar) GTEST_SKIP() << "runs under xvfb-run only";
  const std::string dir = dirVar;
  XLib x;
  Display* display = x.ok() ? x.open(nullptr) : nullptr;
  if (!display) {
    std::printf("XVFB-UNAVAILABLE no X display\n");
    GTEST_SKIP();
  }

  // The generated game data when it is there; else a root of our own with
  // two five-second clips.
  // (Clips are "video\\intro1.avi" under the video directory <root>/video/.)
  std::string root = std::string(KEL_BINARY_DIR) + "/gamedata";
  if (!std::filesystem::exists(root + "/video/video/intro1.avi")) {
    root = dir + "/root";
    std::filesystem::create_directories(root + "/video/video");
    ClipRecipe recipe;
    recipe.width = 64;
    recipe.height = 48;
    recipe.frames = 40;
    recipe.fps = 8;
    std::string error;
    ASSERT_TRUE(WriteClip(root + "/video/video/intro1.avi", recipe, &error)) << error;
    ASSERT_TRUE(WriteClip(root + "/video/video/intro.avi", recipe, &error)) << error;
  }
  std::filesystem::create_directories(dir + "/run");
  const std::string log = dir + "/game.log";
  pid_t game = Spawn({std::string(KEL_BINARY_DIR) + "/kelvanthrop"},
                     {"KELVANTHROP_DATA_ROOT=" + root, "KELVANTHROP_HEADLESS=", "SDL_VIDEODRIVER=x11",
                      "SDL_AUDIODRIVER=dummy", "KELVANTHROP_EXIT_AT_MENU=1",
                      "XDG_RUNTIME_DIR=" + dir + "/run", "XDG_CONFIG_HOME=" + dir + "/config",
                      "XDG_DATA_HOME=" + dir + "/data", "ASAN_OPTIONS=detect_leaks=0"},
                     log);
  std::string geometry = Capture(
      "win=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kelvanthrop$' | head -n 1); "
      "[ -n \"$win\" ] && xdotool getwindowgeometry --shell \"$win\"");
  const int left = GeometryValue(geometry, "X"), top = GeometryValue(geometry, "Y");
  const int width = GeometryValue(geometry, "WIDTH"), height = GeometryValue(geometry, "HEIGHT");
  ASSERT_GT(width, 0) << geometry << ReadFile(log);
  ASSERT_GT(height, 0) << geometry;

  // Mid-clip: the window shows the clip's pictures.
  int lit = 0;
  for (int tries = 0; tries < 60 && lit <= 0; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    lit = LitPixels(x, display, left, top, width, height);
  }
  EXPECT_GT(lit, 0) << "the window stayed black during the intro\n" << ReadFile(log);
  x.close(display);

  // Still in the intro: the menu has not been reached (the game would have
  // left at once) and the game runs on.
  int status = 0;
  ASSERT_EQ(::waitpid(game, &status, WNOHANG), 0) << "the game ended before the intro was over\n"
                                                  << ReadFile(log);
  ASSERT_EQ(ReadFile(log).find("main menu reached"), std::string::npos) << ReadFile(log);

  // Two presses: the first intro, then the second, give way to the menu.
  const auto pressed = std::chrono::steady_clock::now();
  const std::string key = "xdotool search --name '^Kelvanthrop$' windowfocus --sync %1 key Return";
  EXPECT_EQ(std::system(key.c_str()), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  std::system(key.c_str());  // the game may have ended already
  bool ended = WaitEnd(game, 20000, &status);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - pressed).count();
  std::string out = ReadFile(log);
  ASSERT_TRUE(ended) << "the game did not leave the intro\n" << out;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << out;
  // The menu was reached (and left as asked), or there is no menu screen yet.
  EXPECT_TRUE(out.find("main menu reached") != std::string::npos ||
              out.find("The main menu cannot be shown") != std::string::npos)
      << out;
  // Long before the two clips would have played out by themselves.
  EXPECT_LT(seconds, 6.0) << out;
}

}  // namespace
