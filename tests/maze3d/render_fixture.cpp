#include "tests/maze3d/render_fixture.h"

#include <cstdio>
#include <cstring>

#include "base/paths.h"
#include "events/maze3d/rc_loader.h"
#include "events/maze3d/rc_support.h"
#include "events/maze3d/rc_writer.h"
#include "tests/maze3d/maze_fixture.h"

RenderFixture::RenderFixture() : frame_(size_t(kPitch) * kFrameHeight, 0) {
  MazeResetWorld();
  LoadFixtureTables();
  MazeBuildTables();
  auto level = FixtureLevel();
  std::memcpy(&g_mazeLevel, level.get(), sizeof(MazeLevel));
  // The sky: bands of the sky's colours by row, a mark every 100 columns.
  g_mazeLevel.skyWidth = 1800;
  g_mazeLevel.skyHeight = 400;
  g_mazeLevel.skyPicture = static_cast<uint8_t*>(RcAlloc(1800 * 400));
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 1800; ++x)
      g_mazeLevel.skyPicture[y * 1800 + x] = uint8_t(x % 100 < 3 ? 95 : 64 + (y * 31) / 400);
  g_mazeLevel.floorColour = 0x2A;
  g_mazeFrame = frame_.data();
  g_mazePitch = kPitch;
  // A post of eight directions.
  std::vector<RcBytes> frames;
  std::vector<uint8_t> px(128 * 128);
  for (int k = 0; k < 8; ++k) {
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 128; ++x) px[y * 128 + x] = (x >= 40 && x < 88 && y >= 20) ? uint8_t(96 + k + (y / 16 % 2) * 8) : 0;
    frames.push_back(RcEncodeSpriteFrame(px.data()));
  }
  uint8_t palette[1024] = {};
  const RcBytes file = RcWriteSpriteFile(palette, frames);
  RcLoader loader(file.data(), file.size());
  postBlock_ = loader.LoadSpriteRle("post.mbm");
  RcClearColumnSpans();
}

RenderFixture::~RenderFixture() {
  RcFree(postBlock_);
  MazeFreeLevel(&g_mazeLevel);
  MazeFreeTables();
  g_mazeFrame = nullptr;
  g_mazePitch = 0;
  MazeResetWorld();
}

MazeViewRecord RenderFixture::View(int32_t x, int32_t y, int heading) {
  MazeViewRecord v{};
  v.flags = kRunnerStartFlags;
  v.player = 0;
  v.viewIndex = 65;
  v.x = x;
  v.y = y;
  v.heading = int16_t(heading);
  v.moveHeading = uint16_t(heading);
  v.viewOffset = -10;
  v.viewValue = g_floorRowTables[65];
  return v;
}

void RenderFixture::Clear(uint8_t colour) { std::memset(frame_.data(), colour, frame_.size()); }

void RenderFixture::Render(RayCaster& caster, const MazeViewRecord& view, bool single) {
  caster.SetCamera(view);
  caster.CastColumns();
  caster.CollectSprites();
  if (single) caster.RenderSingleView();
  else caster.RenderSplitView();
}

uint64_t RenderFixture::Hash() const {
  uint64_t h = 1469598103934665603ull;
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x) {
      h ^= At(x, y);
      h *= 1099511628211ull;
    }
  return h;
}

bool RenderFixture::WritePng(const std::string& path) const {
  uint8_t pal[1024] = {};
  RcLoader loader;
  const std::string sky = ResolvePath(JoinPath(std::string(KEL_GAMEDATA_DIR) + "/data", "maze\\daysky.bmp"));
  if (!loader.LoadBmpPalette(sky.c_str(), pal))
    for (int i = 0; i < 256; ++i) pal[i * 4] = pal[i * 4 + 1] = pal[i * 4 + 2] = uint8_t(i);
  return WriteIndexedPng(path, frame_.data(), kFrameWidth, kFrameHeight, kPitch, pal);
}
