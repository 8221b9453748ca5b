// Golden frames: fixed scenes rendered to 8-bit frames whose hashes are
// stored here. The same bytes must come out of every build (the sanitized
// debug build of the tests and an optimised one alike) and every machine.
// Each frame is also written as a PNG into <build>/golden/scene3d/ for a
// person to look at; a changed hash prints the new one.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "base/debug.h"
#include "base/paths.h"
#include "graphics/pixel_format.h"
#include "graphics/surface.h"
#include "platform/presenter.h"
#include "scene3d/rm.h"
#include "tests/support/scene_fixtures.h"

namespace {

uint64_t HashFrame(DDSurface& s) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a over the visible bytes of each row
  for (int y = 0; y < s.GetHeight(); ++y)
    for (int x = 0; x < s.GetWidth(); ++x) {
      h ^= s.Row(y)[x];
      h *= 1099511628211ull;
    }
  return h;
}

class SceneGolden : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = (std::filesystem::temp_directory_path() /
               ("kel-scene-golden-" + std::to_string(::getpid())))
                  .string();
    ASSERT_TRUE(WriteSceneFixtures(folder_));
    live_ = RMLiveObjectCount();
    scene_ = RMGetD3DRM()->CreateFrame(nullptr);
  }
  void TearDown() override {
    for (RMFrame* f : held_) f->Release();
    for (RMViewportRecord* v : views_) RMReleaseViewport(v);
    scene_->Release();
    screen_.reset();
    EXPECT_EQ(RMLiveObjectCount(), live_);
    std::filesystem::remove_all(folder_);
  }

  void MakeDevice(int width, int height) {
    screen_ = std::make_unique<FixtureDevice>(width, height);
    screen_->Surface().FillRect(0, 0, width, height, 20);  // grey round the views
    device_ = screen_->Device();
    ASSERT_NE(device_, nullptr);
  }
  RMFrame* AddView(int x, int y, int w, int h) {
    RMViewportRecord* v = RMCreateViewport(device_, scene_, x, y, w, h);
    EXPECT_NE(v, nullptr);
    views_.push_back(v);
    return RMGetCameraHandle(v);
  }
  RMFrame* Load(const char* name) {
    RMFrame* f = RMLoadFrameFromFile(JoinPath(folder_, name).c_str(), folder_.c_str(), scene_, 1,
                                     kRMRenderUnlitFlat, 8, 50.0f);
    EXPECT_NE(f, nullptr) << RMLastErrorText();
    held_.push_back(f);
    return f;
  }
  RMFrame* AddFigure(float x, float y, float z, float size, int tint) {
    RMImage* image = MakeFigureImage(32, tint);
    RMTexture* texture = RMCreateTexture(image);
    RMFrame* f = RMCreateDecalFrame(texture, size, size, scene_, 1, RMColorRGB(0, 255, 0));
    f->SetPosition(scene_, x, y, z);
    texture->Release();  // the frame holds it
    RMFreeImage(image);  // the texture holds it
    held_.push_back(f);
    return f;
  }
  static void Look(RMFrame* camera, RMFrame* scene, RMVector from, RMVector at) {
    camera->SetPosition(scene, from.x, from.y, from.z);
    camera->SetOrientation(scene, at.x - from.x, at.y - from.y, at.z - from.z, 0, 1, 0);
  }

  void ExpectGolden(const char* name, uint64_t expected) {
    for (RMViewportRecord* v : views_) ASSERT_EQ(RMRender(v, nullptr), kRMOk);
    RMUpdateDevice(device_);
    DDSurface& surface = screen_->Surface();
    const std::string dir = std::string(KEL_BINARY_DIR) + "/golden/scene3d";
    MakeDirectories(dir);
    PresentColour colours[256];
    for (int i = 0; i < 256; ++i) {
      const PaletteEntry& e = screen_->Entries()[i];
      colours[i] = {e.red, e.green, e.blue};
    }
    MemoryPresenter presenter;
    presenter.PresentIndexed(surface.Row(0), surface.GetWidth(), surface.GetHeight(),
                             surface.GetPitch(), colours);
    const std::string png = dir + "/" + name + ".png";
    EXPECT_TRUE(presenter.WritePng(png));
    const uint64_t got = HashFrame(surface);
    EXPECT_EQ(got, expected) << name << ": new hash 0x" << std::hex << got << " (see " << png << ")";
  }

  std::string folder_;
  int live_ = 0;
  std::unique_ptr<FixtureDevice> screen_;
  RMDevice* device_ = nullptr;
  RMFrame* scene_ = nullptr;
  std::vector<RMViewportRecord*> views_;
  std::vector<RMFrame*> held_;
};

TEST_F(SceneGolden, TexturedCrate) {
  MakeDevice(320, 200);
  RMFrame* camera = AddView(0, 0, 320, 200);
  RMGetViewportHandle(views_[0])->SetField(0.7f);
  RMFrame* crate = Load("cube.x");
  crate->SetOrientation(scene_, 1, 0, 2, 0, 1, 0);  // turned a little
  Look(camera, scene_, {3.5f, 4, -5}, {0, 1, 0});
  ExpectGolden("crate", 0x8c5c41ae42cc8f4dull);
}

TEST_F(SceneGolden, DecalsStandingInTheScene) {
  MakeDevice(320, 200);
  RMFrame* camera = AddView(0, 0, 320, 200);
  RMGetViewportHandle(views_[0])->SetField(0.7f);
  Load("sl.x");
  RMFrame* crate = Load("cube.x");
  RMMatrix big;
  for (int r = 0; r < 3; ++r) big.SetRow(r, big.Row(r) * 4.0f);  // a crate 8 units wide
  crate->SetTransform(big);
  crate->SetPosition(scene_, 4, 0, 40);
  // One in front, one half behind the crate, one farther off and one lying
  // behind the camera.
  AddFigure(-8, 0, 24, 12, 0);
  AddFigure(7, 0, 50, 12, 1);
  AddFigure(-14, 0, 90, 12, 2);
  AddFigure(0, 0, -30, 12, 3);
  Look(camera, scene_, {0, 10, -8}, {0, 2, 40});
  ExpectGolden("decals", 0x50b69a9950745d6bull);
}

TEST_F(SceneGolden, StartPieceFromTheStartLine) {
  MakeDevice(640, 400);
  RMFrame* camera = AddView(64, 40, 512, 320);  // one view without the big viewport
  RMGetViewportHandle(views_[0])->SetField(0.7f);
  Load("start.x");
  Look(camera, scene_, {0, 10, 2}, {0, 0, 60});
  ExpectGolden("start", 0x6a1d085f7970828dull);
}

TEST_F(SceneGolden, TwoViewsSideBySide) {
  MakeDevice(640, 400);
  RMFrame* left = AddView(32, 40, 256, 320);
  RMFrame* right = AddView(352, 40, 256, 320);
  RMFrame* start = Load("start.x");
  RMFrame* next = Load("sl.x");
  next->SetPosition(scene_, 0, 0, 128);
  (void)start;
  RMFrame* crate = Load("cube.x");
  crate->SetPosition(scene_, -12, 0, 100);
  for (int p = 0; p < 4; ++p) AddFigure(-20.0f + 10.0f * p, 0, 12.0f + 6.0f * p, 16, p);
  // Chase cameras 28 behind and 12.5 above their skaters.
  Look(left, scene_, {-20, 12.5f, -16}, {-20, 0, 12});
  Look(right, scene_, {-10, 12.5f, -10}, {10, 0, 30});
  ExpectGolden("two_views", 0xc50af964e9fb8955ull);
}

}  // namespace
