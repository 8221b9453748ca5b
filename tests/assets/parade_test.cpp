// The athletes of the new game screen's parade stand whole in their frames:
// no figure touches its frame's edge (where it would be cut off), and the
// six frames, as the screen places them, stay on the screen.
#include <gtest/gtest.h>

#include <string>

#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "frontend/new_game_screen.h"

namespace {

TEST(Parade, EveryAthleteWholeInsideHisFrame) {
  Sprite intro;
  ASSERT_EQ(intro.Open((std::string(KEL_GAMEDATA_DIR) + "/program/menu/intro.mbm").c_str(), 0x20), kSpriteOk);
  ASSERT_GE(intro.FrameCount(), 6);
  for (int c = 0; c < 6; ++c) {
    DDSurface* f = intro.GetFrameSurface(c + 1);
    ASSERT_NE(f, nullptr);
    uint8_t* bits = nullptr;
    int pitch = 0;
    ASSERT_EQ(f->Lock(&bits, &pitch), 0);
    const int w = f->GetWidth(), h = f->GetHeight();
    int edge = 0;
    for (int y = 0; y < h; ++y)
      for (int x : {0, 1, w - 2, w - 1}) edge += bits[y * pitch + x] != 1;
    for (int x = 0; x < w; ++x)
      for (int y : {0, 1}) edge += bits[y * pitch + x] != 1;
    f->Unlock();
    EXPECT_EQ(edge, 0) << "athlete " << c << " touches the edge of his " << w << "x" << h << " frame";
    const int left = NewGameParadeX(c);
    EXPECT_GE(left, 0) << c;
    EXPECT_LE(left + w, 640) << c;
    if (c > 0) EXPECT_GE(left, NewGameParadeX(c - 1) + w) << "athlete " << c << " covers the one before";
  }
}

}  // namespace
