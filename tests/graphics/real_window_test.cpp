// The real SDL2 window under a virtual X server: RealWindow.UnderXvfb starts
// this same test program again inside xvfb-run, where
// RealWindowInside.PatternAndFade opens the window, presents a test pattern
// and palette fades, and reads the window's pixels back from the X server.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "base/clock.h"
#include "graphics/display.h"
#include "graphics/fade.h"
#include "graphics/surface.h"
#include "platform/presenter.h"

// The X headers come last: their macros (None, Bool, Status) clash with others.
#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>
#include <unistd.h>

namespace {

constexpr const char* kInsideVar = "KEL_INSIDE_XVFB";

std::string FindOnPath(const char* name) {
  const char* path = std::getenv("PATH");
  std::string all = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find(':', start);
    if (end == std::string::npos) end = all.size();
    std::string candidate = all.substr(start, end - start) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

TEST(RealWindow, UnderXvfb) {
  if (std::getenv(kInsideVar)) GTEST_SKIP() << "already inside the virtual X server";
  const std::string xvfbRun = FindOnPath("xvfb-run");
  if (xvfbRun.empty()) GTEST_SKIP() << "xvfb-run is not installed (scripts/deps.sh installs it)";
  const std::string timeoutTool = FindOnPath("timeout");
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
  ASSERT_GT(n, 0);
  self[n] = 0;
  std::string cmd = (timeoutTool.empty() ? "" : timeoutTool + " 120 ") + xvfbRun +
                    " -a -s '-screen 0 1280x1024x24' env " + kInsideVar +
                    "=1 SDL_VIDEODRIVER=x11 KELVANTHROP_HEADLESS=0 ASAN_OPTIONS=detect_leaks=0 '" +
                    self + "' --gtest_filter=RealWindowInside.PatternAndFade 2>&1";
  FILE* pipe = popen(cmd.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buf[4096];
  size_t got;
  while ((got = std::fread(buf, 1, sizeof(buf), pipe)) > 0) output.append(buf, got);
  int status = pclose(pipe);
  EXPECT_EQ(status, 0) << output;
  EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
  EXPECT_EQ(output.find("SKIPPED"), std::string::npos) << output;
}

// Reads pixels of an X window through the X library SDL itself loaded.
class XReader {
 public:
  XReader(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    display_ = info.info.x11.display;
    window_ = info.info.x11.window;
    lib_ = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    if (!lib_) lib_ = dlopen("libX11.so.6", RTLD_NOW);
    if (!lib_) return;
    getImage_ = reinterpret_cast<GetImageFn>(dlsym(lib_, "XGetImage"));
    sync_ = reinterpret_cast<SyncFn>(dlsym(lib_, "XSync"));
  }
  ~XReader() {
    if (lib_) dlclose(lib_);
  }
  bool ok() const { return display_ && getImage_ && sync_; }

  // 0x00RRGGBB at window coordinates, or ~0 when it cannot be read.
  uint32_t Pixel(int x, int y) {
    sync_(display_, False);
    XImage* image = getImage_(display_, window_, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return ~0u;
    unsigned long v = image->f.get_pixel(image, 0, 0);
    image->f.destroy_image(image);
    return uint32_t(v & 0xFFFFFF);
  }

 private:
  using GetImageFn = XImage* (*)(Display*, Window, int, int, unsigned, unsigned, unsigned long,
                                 int);
  using SyncFn = int (*)(Display*, Bool);
  Display* display_ = nullptr;
  Window window_ = 0;
  void* lib_ = nullptr;
  GetImageFn getImage_ = nullptr;
  SyncFn sync_ = nullptr;
};

TEST(RealWindowInside, PatternAndFade) {
  if (!std::getenv(kInsideVar)) {
    GTEST_SKIP() << "runs only inside the virtual X server started by RealWindow.UnderXvfb";
  }
  VirtualClock clock(0);
  Clock* oldClock = SetClock(&clock);
  std::string error;
  std::unique_ptr<Presenter> presenter = CreateWindowPresenter(&error);
  ASSERT_NE(presenter, nullptr) << error;
  SDL_Window* window = presenter->GetWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_STREQ(SDL_GetWindowTitle(window), "Kelvanthrop");
  EXPECT_NE(presenter->GetWindowId(), 0u);
  EXPECT_FALSE(presenter->IsHeadless());

  ASSERT_EQ(InitDirectDraw(presenter.get(), 0), 1);
  ASSERT_EQ(SetVideoMode(640, 480, 8, 2, 0), 1);

  // Test pattern: four quadrants in colours 1..4.
  auto drawPattern = [] {
    DDSurface* back = g_backDDSurface;
    back->FillRect(0, 0, 320, 240, 1);
    back->FillRect(320, 0, 320, 240, 2);
    back->FillRect(0, 240, 320, 240, 3);
    back->FillRect(320, 240, 320, 240, 4);
  };
  drawPattern();
  PaletteEntry entries[256] = {};
  entries[1] = {255, 0, 0, 0};
  entries[2] = {0, 255, 0, 0};
  entries[3] = {0, 0, 255, 0};
  entries[4] = {255, 255, 255, 0};
  DDPalette* palette = new DDPalette(kDisplayPaletteCaps, entries);
  FlipScreen();

  XReader reader(window);
  ASSERT_TRUE(reader.ok()) << "cannot read the window back from the X server";

  // Points in each quadrant, in window coordinates of the scaled picture.
  int w = 0, h = 0;
  SDL_GetWindowSize(window, &w, &h);
  ASSERT_GT(w, 0);
  // The picture keeps 4:3 inside the window; find its rectangle.
  double scale = std::min(w / 640.0, h / 480.0);
  int offX = int((w - 640 * scale) / 2), offY = int((h - 480 * scale) / 2);
  auto at = [&](int dx, int dy) {
    return std::array<int, 2>{offX + int(dx * scale), offY + int(dy * scale)};
  };
  std::array<std::array<int, 2>, 4> points = {at(160, 120), at(480, 120), at(160, 360),
                                               at(480, 360)};

  // Waits until the window shows the four expected colours (the window may
  // take a moment to be mapped; each try presents again).
  auto expect = [&](const std::array<uint32_t, 4>& want, const char* what) {
    std::array<uint32_t, 4> got{};
    for (int attempt = 0; attempt < 100; ++attempt) {
      SDL_PumpEvents();
      presenter->Refresh();
      for (int i = 0; i < 4; ++i) got[i] = reader.Pixel(points[i][0], points[i][1]);
      if (got == want) return;
      SDL_Delay(30);
    }
    for (int i = 0; i < 4; ++i) {
      ADD_FAILURE() << what << ": quadrant " << i << " shows " << std::hex << got[i]
                    << " instead of " << want[i];
    }
  };

  // Before any fade the display palette is black.
  expect({0, 0, 0, 0}, "black palette");
  FadePalette(palette, 8, 1);
  expect({0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, "after fade in");
  // A fade changes only the palette; the pixels stay and show at once.
  PaletteEntry half[256] = {};
  for (int i = 0; i < 256; ++i) {
    half[i] = {uint8_t(entries[i].red / 2), uint8_t(entries[i].green / 2),
               uint8_t(entries[i].blue / 2), 0};
  }
  g_primaryDDSurface->GetPalette()->SetEntries(0, 256, half);
  expect({0x7F0000, 0x007F00, 0x00007F, 0x7F7F7F}, "half palette");
  FadePalette(palette, 8, 0);
  expect({0, 0, 0, 0}, "after fade out");

  // Outside the picture, the bars (if any) are black as well; a letterboxed
  // window keeps the aspect.
  SDL_SetWindowSize(window, 1200, 600);
  SDL_PumpEvents();
  drawPattern();  // the fade out left the screen filled with colour 0
  FlipScreen();
  FadePalette(palette, 0, 1);
  SDL_GetWindowSize(window, &w, &h);
  EXPECT_EQ(w, 1200);
  EXPECT_EQ(h, 600);
  {
    scale = std::min(w / 640.0, h / 480.0);
    offX = int((w - 640 * scale) / 2);
    offY = int((h - 480 * scale) / 2);
    points = {at(160, 120), at(480, 120), at(160, 360), at(480, 360)};
    expect({0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, "resized window");
    EXPECT_EQ(reader.Pixel(5, h / 2), 0u) << "left bar";
  }

  palette->Release();
  ReleaseDirectDraw();
  presenter.reset();
  SetClock(oldClock);
}

}  // namespace
