// The real program's intro under a virtual X server: the window shows the
// clip's pictures while it plays (not a black screen), and key presses skip
// the two intro clips to the main menu long before they would have ended.
// IntroUnderXvfb.VisibleAndSkipped starts this test program again inside
// xvfb-run, where IntroXvfbChild.Run starts the game and watches it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/game_process.h"
#include "video/clip_writer.h"

// The X headers come last: their macros (None, Bool, Status) clash with others.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>

namespace {

using namespace game_process;

constexpr const char* kChildVar = "KEL_VIDEO_XVFB_CHILD";

TEST(IntroUnderXvfb, VisibleAndSkipped) {
  SkipWithoutXvfbAndGame(kChildVar);
  if (::testing::Test::IsSkipped()) return;
  const std::string dir = WorkDir("video-xvfb");
  RunSelfUnderXvfb(dir, "IntroXvfbChild.Run", {std::string(kChildVar) + "=" + dir}, 120000);
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
  const std::string log = dir + "/game.log";
  pid_t game = SpawnGameOnDisplay(root, dir, /*exitAtMenu=*/true);
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
