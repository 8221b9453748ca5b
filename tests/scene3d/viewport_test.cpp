// Devices, viewports and decals through the layer's calls as the game makes
// them: failures with their texts, the field of view, what a viewport
// clears, colours matched once to the device's palette, decals sized by
// distance standing on their origin, pictures redrawn between frames, and
// scene membership.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/debug.h"
#include "graphics/pixel_format.h"
#include "graphics/surface.h"
#include "scene3d/rm.h"
#include "tests/support/scene_fixtures.h"

namespace {

class SceneViewport : public ::testing::Test {
 protected:
  void SetUp() override {
    live_ = RMLiveObjectCount();
    screen_ = std::make_unique<FixtureDevice>(160, 100);
    scene_ = RMGetD3DRM()->CreateFrame(nullptr);
    oldSink_ = SetDebugSink([this](const std::string& line) { debug_.push_back(line); });
  }
  void TearDown() override {
    SetDebugSink(oldSink_);
    for (RMFrame* f : held_) f->Release();
    for (RMImage* i : images_) RMFreeImage(i);
    for (RMViewportRecord* v : views_) RMReleaseViewport(v);
    scene_->Release();
    screen_.reset();
    EXPECT_EQ(RMLiveObjectCount(), live_);
  }
  RMDevice* Device() { return screen_->Device(); }
  DDSurface& Surface() { return screen_->Surface(); }
  RMViewportRecord* View(int x, int y, int w, int h) {
    RMViewportRecord* v = RMCreateViewport(Device(), scene_, x, y, w, h);
    if (v) views_.push_back(v);
    return v;
  }
  // A picture in the fixture palette filled with one index, freed at the end.
  RMImage* Picture(int size, uint8_t index) {
    RMImage* image = RMCreateImage(size, size, screen_->Entries());
    std::memset(image->storage.data(), index, image->storage.size());
    images_.push_back(image);
    return image;
  }
  // A decal of a w x h picture filled with `fill`, standing at (x, y, z).
  RMFrame* Decal(RMImage* image, float size, float x, float y, float z) {
    RMTexture* texture = RMCreateTexture(image);
    RMFrame* f = RMCreateDecalFrame(texture, size, size, scene_, 1, RMColorRGB(0, 255, 0));
    texture->Release();
    f->SetPosition(scene_, x, y, z);
    held_.push_back(f);
    return f;
  }
  // The bounding box of pixels other than `background` in the rectangle.
  struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  };
  Box Extent(uint8_t background) {
    Box b;
    for (int y = 0; y < Surface().GetHeight(); ++y)
      for (int x = 0; x < Surface().GetWidth(); ++x)
        if (Surface().Row(y)[x] != background) {
          b.left = std::min(b.left, x);
          b.top = std::min(b.top, y);
          b.right = std::max(b.right, x + 1);
          b.bottom = std::max(b.bottom, y + 1);
        }
    return b;
  }

  int live_ = 0;
  std::unique_ptr<FixtureDevice> screen_;
  RMFrame* scene_ = nullptr;
  std::vector<RMViewportRecord*> views_;
  std::vector<RMFrame*> held_;
  std::vector<RMImage*> images_;
  DebugSink oldSink_;
  std::vector<std::string> debug_;
};

TEST_F(SceneViewport, DevicesNeedAPalettisedSurface) {
  DDSurface wide(64, 32, kFormatRgb565);
  DDSurface bare(64, 32, kFormatIndexed8);
  DDSurface none;
  struct Case {
    const char* what;
    DDSurface* surface;
    int model;
    const char* reason;
  };
  const Case cases[] = {
      {"no surface", nullptr, kRMColorModelMono, "There is no surface."},
      {"an empty surface", &none, kRMColorModelMono, "There is no surface."},
      {"16 bits", &wide, kRMColorModelMono, "The surface is not 8-bit palettised."},
      {"no palette", &bare, kRMColorModelMono, "The surface has no palette."},
      {"another colour model", &Surface(), 2, "Only the mono colour model is offered."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    debug_.clear();
    EXPECT_EQ(RMCreateDevice(c.surface, c.model, 0), nullptr);
    ASSERT_EQ(debug_.size(), 1u);
    EXPECT_EQ(debug_[0],
              std::string("Message:Failed to create the D3DRM device from surface.\n") + c.reason);
  }
  RMDevice* device = RMCreateDevice(&Surface(), kRMColorModelMono, 1);
  ASSERT_NE(device, nullptr);
  RMSetBufferCount(device, 2);
  EXPECT_EQ(device->GetBufferCount(), 2);
  // Viewports must lie on the surface.
  EXPECT_EQ(RMCreateViewport(device, scene_, 100, 0, 61, 10), nullptr);
  EXPECT_EQ(RMCreateViewport(device, scene_, -1, 0, 10, 10), nullptr);
  EXPECT_EQ(RMCreateViewport(device, scene_, 0, 0, 0, 10), nullptr);
  EXPECT_EQ(RMCreateViewport(device, nullptr, 0, 0, 10, 10), nullptr);
  EXPECT_EQ(scene_->GetChildCount(), 0);  // no camera left behind
  RMViewportRecord* view = RMCreateViewport(device, scene_, 0, 0, 160, 100);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(RMGetCameraHandle(view)->GetParent(), scene_);
  RMReleaseDevice(device);  // the viewport keeps it while it lives
  EXPECT_EQ(RMRender(view, nullptr), kRMOk);
  RMReleaseViewport(view);
  EXPECT_EQ(scene_->GetChildCount(), 0);
}

// At distance 1 a viewport shows `field` units either side of its centre
// along its longer side; a point there lands on the viewport's edge.
TEST_F(SceneViewport, FieldSpansTheLongerSide) {
  struct Case {
    int x, y, w, h;
    float field;  // 0: the default
    RMVector point;
    float sx, sy;
  };
  const Case cases[] = {
      {16, 10, 128, 80, 0.7f, {0.7f * 20, 0, 20}, 144, 50},      // wide: right edge
      {16, 10, 128, 80, 0.7f, {0, 0.7f * 20 * 80 / 128, 20}, 80, 10},  // top edge
      {10, 0, 60, 100, 0, {0, -0.5f * 8, 8}, 40, 100},            // tall, default 0.5: bottom
      {10, 0, 60, 100, 0, {-0.5f * 8 * 60 / 100, 0, 8}, 10, 50},  // left edge
  };
  for (const Case& c : cases) {
    RMViewport* vp = RMGetViewportHandle(View(c.x, c.y, c.w, c.h));
    if (c.field > 0) {
      ASSERT_EQ(vp->SetField(c.field), kRMOk);
    }
    EXPECT_EQ(vp->GetField(), c.field > 0 ? c.field : 0.5f);
    RMVector screen;
    ASSERT_TRUE(vp->ProjectWorldPoint(c.point, &screen));
    EXPECT_NEAR(screen.x, c.sx, 1e-3f);
    EXPECT_NEAR(screen.y, c.sy, 1e-3f);
    EXPECT_FALSE(vp->ProjectWorldPoint({0, 0, 0.5f}, &screen));   // before the front plane
    EXPECT_FALSE(vp->ProjectWorldPoint({0, 0, 5001}, &screen));  // beyond the back plane
    EXPECT_EQ(vp->SetField(0), kRMBadArgument);
  }
}

TEST_F(SceneViewport, TwoViewportsClearOnlyTheirOwnRectangles) {
  RMViewportRecord* left = View(8, 10, 64, 80);
  RMViewportRecord* right = View(88, 10, 64, 80);
  // A wall across both views, near in the left one, far in the right one.
  RMMesh* wall = RMMesh::Create();
  RMMaterial white;
  wall->AddMaterial(white);
  wall->SetGeometry({{-100, -100, 0}, {-100, 100, 0}, {100, 100, 0}, {100, -100, 0}}, {},
                    {RMTriangle{{0, 1, 2}, 0}, RMTriangle{{0, 2, 3}, 0}});
  scene_->AddVisual(wall);
  wall->Release();
  RMGetCameraHandle(left)->SetPosition(scene_, 0, 0, -3);
  RMGetCameraHandle(right)->SetPosition(scene_, 0, 0, -4000);
  Surface().FillRect(0, 0, 160, 100, 77);
  ASSERT_EQ(RMRender(left, nullptr), kRMOk);
  ASSERT_EQ(RMRender(right, nullptr), kRMOk);
  const uint8_t whiteIndex = uint8_t(FindNearestColour(screen_->Entries(), 0, 256, 255, 255, 255));
  EXPECT_EQ(Surface().Row(50)[40], whiteIndex);
  EXPECT_EQ(Surface().Row(50)[120], whiteIndex);
  EXPECT_EQ(Surface().Row(50)[80], 77);  // between the views
  EXPECT_EQ(Surface().Row(5)[40], 77);
  // With the wall out of reach, a view clears to the palette's black.
  RMGetCameraHandle(right)->SetPosition(scene_, 0, 0, -6000);
  ASSERT_EQ(RMRender(right, nullptr), kRMOk);
  EXPECT_EQ(Surface().Row(50)[120], 0);
  EXPECT_EQ(Surface().Row(50)[40], whiteIndex);
}

// The renderer writes the indices matched to the palette the device was
// made with: a fade of that palette later changes nothing it writes.
TEST_F(SceneViewport, ColoursAreMatchedToThePaletteOfTheDevice) {
  RMViewportRecord* view = View(0, 0, 160, 100);
  const PaletteEntry* entries = screen_->Entries();
  // A picture with a palette of its own: pure red, a dark blue, magenta.
  PaletteEntry own[256] = {};
  own[0] = {255, 0, 0, 0};
  own[1] = {0, 0, 110, 0};
  own[2] = {255, 0, 255, 0};
  RMImage* image = RMCreateImage(4, 4, own);
  images_.push_back(image);
  for (int i = 0; i < 16; ++i) image->pixels[(i / 4) * image->pitch + i % 4] = uint8_t(i % 3);
  RMTexture* texture = RMCreateTexture(image);
  const uint8_t* table = texture->ShadeTable(Device());
  EXPECT_EQ(table[0], FindNearestColour(entries, 0, 256, 255, 0, 0));
  EXPECT_EQ(table[1], FindNearestColour(entries, 0, 256, 0, 0, 110));
  // More shades: the last is the colour itself, the first a dark shade.
  texture->SetShades(4);
  table = texture->ShadeTable(Device());
  EXPECT_EQ(table[3 * 256 + 0], FindNearestColour(entries, 0, 256, 255, 0, 0));
  EXPECT_EQ(table[0 * 256 + 0], FindNearestColour(entries, 0, 256, 64, 0, 0));
  texture->SetShades(1);

  RMFrame* decal = RMCreateDecalFrame(texture, 2, 2, scene_, 0, 0);
  held_.push_back(decal);
  texture->Release();  // the decal frame holds it
  decal->SetPosition(scene_, 0, -1, 5);
  ASSERT_EQ(RMRender(view, nullptr), kRMOk);
  const std::vector<uint8_t> before(Surface().Row(0), Surface().Row(0) + Surface().GetPitch() * 100);
  PaletteEntry black[256] = {};
  screen_->Palette()->SetEntries(0, 256, black);
  ASSERT_EQ(RMRender(view, nullptr), kRMOk);
  EXPECT_EQ(std::memcmp(before.data(), Surface().Row(0), before.size()), 0);
  // The picture's own palette changed and said so: matched again.
  image->palette[0] = {0, 0, 255, 0};
  texture->Changed(0, 1);
  EXPECT_EQ(texture->ShadeTable(Device())[0], FindNearestColour(entries, 0, 256, 0, 0, 255));
}

// A decal keeps its world size, so its picture shrinks with distance; it
// stands on its position (the bottom centre of the picture); its key
// colour is left out; what the game draws into its picture shows in the
// next frame.
TEST_F(SceneViewport, DecalsStandOnTheirOriginAndScaleWithDistance) {
  RMViewportRecord* view = View(0, 0, 160, 100);
  RMViewport* vp = RMGetViewportHandle(view);
  RMImage* image = Picture(16, 255);  // all white
  RMFrame* decal = Decal(image, 4, 0, -2, 10);

  struct Case {
    float z;
    int size;  // pixels: 4 units * (80 / 0.5) / z
    int foot;  // where (0, -2, z) projects: 50 + 2 * 160 / z
  };
  for (const Case& c : {Case{10, 64, 82}, Case{20, 32, 66}, Case{40, 16, 58}}) {
    SCOPED_TRACE(c.z);
    decal->SetPosition(scene_, 0, -2, c.z);
    ASSERT_EQ(RMRender(view, nullptr), kRMOk);
    const Box b = Extent(0);
    EXPECT_EQ(b.right - b.left, c.size);
    EXPECT_EQ(b.bottom - b.top, c.size);
    EXPECT_EQ(b.bottom, c.foot);
    EXPECT_EQ(b.left + b.right, 160);
    EXPECT_EQ(vp->GetLastStats().decalsDrawn, 1);
  }
  // Key-coloured pixels (index 1 is pure green) are left out.
  for (int y = 0; y < 16; ++y) std::memset(image->pixels + y * image->pitch, 1, 8);
  decal->SetPosition(scene_, 0, -2, 10);
  ASSERT_EQ(RMRender(view, nullptr), kRMOk);
  const Box b = Extent(0);
  EXPECT_EQ(b.left, 80);
  EXPECT_EQ(b.right, 112);
  // Behind the camera, nothing.
  decal->SetPosition(scene_, 0, 0, -10);
  ASSERT_EQ(RMRender(view, nullptr), kRMOk);
  EXPECT_EQ(vp->GetLastStats().decalsCulled, 1);
  EXPECT_EQ(Extent(0).right, -1);
}

// Pieces join and leave the scene from frame to frame; only members are
// drawn, and a device keeps drawing into a surface whose storage the flip
// exchanges.
TEST_F(SceneViewport, OnlyMembersOfTheSceneAreDrawn) {
  RMViewportRecord* view = View(0, 0, 160, 100);
  RMFrame* decal = Decal(Picture(8, 255), 2, 0, 0, 10);
  ASSERT_EQ(RMRender(view, nullptr), kRMOk);
  EXPECT_NE(Extent(0).right, -1);
  scene_->DeleteChild(decal);
  ASSERT_EQ(RMRender(view, nullptr), kRMOk);
  EXPECT_EQ(Extent(0).right, -1);
  scene_->AddChild(decal);

  DDSurface other(160, 100, kFormatIndexed8);
  Surface().SwapStorage(other);
  ASSERT_EQ(RMRender(view, nullptr), kRMOk);
  EXPECT_NE(Extent(0).right, -1);
}

}  // namespace
