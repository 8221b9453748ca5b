// The ray-cast renderer: golden frames of the fixture level from fixed
// cameras (hashes here, the same in every build type; PNGs of them in
// tests/maze3d/golden/ for a person to look at, and of each run in the
// build tree), and the cases its geometry must get right.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "events/maze3d/rc_raycaster.h"
#include "events/maze3d/rc_support.h"
#include "events/maze3d/rc_tables.h"
#include "events/maze3d/rc_world.h"
#include "tests/maze3d/maze_fixture.h"
#include "tests/maze3d/render_fixture.h"

namespace {

// The fixture level: a room x 1280..1919, y 1280..1791 and a corridor north
// of it, x 1536..1631, y 640..1279.
struct Golden {
  const char* name;
  int32_t x, y;
  int heading;
  bool single;
  uint32_t flags;
  uint16_t screenX, viewIndex;
  int16_t viewOffset;
  uint64_t hash;
};

const Golden kGolden[] = {
    {"room_east_single", 1400, 1540, 0, true, kRunnerStartFlags, 0, 65, -10, 0x208b338bbeea7645ull},
    {"corridor_north_single", 1584, 1740, 1350, true, kRunnerStartFlags, 0, 65, -10, 0x51c97cf79302df9full},
    {"room_corner_split_flat", 1420, 1700, 1575, false, kRunnerInPlay, 0, 65, -10, 0xdac70102a68f796bull},
    {"room_west_split_right_close", 1286, 1500, 900, false, kRunnerStartFlags, 322, 20, 60, 0xc3ea428f4f8e79f7ull},
    {"room_corner_single_high", 1850, 1720, 1125, true, kRunnerStartFlags, 0, 110, 120, 0xe7f214d92ae2eeceull},
    {"corridor_south_split_low", 1584, 700, 450, false, kRunnerStartFlags, 0, 12, -150, 0xff6237d27f83cb77ull},
};

TEST(MazeRender, GoldenFrames) {
  RenderFixture fx;
  // Things: posts in the corridor and the room, one right at a camera.
  const int32_t posts[][3] = {{1584, 1000, 0}, {1700, 1540, 450}, {1500, 1500, 900}, {1400, 1540, 1350}};
  for (int i = 0; i < 4; ++i) {
    MazeObjectRecord& o = g_mazeObjects[kMazeFirstMonster + i];
    o.active = 1;
    o.x = posts[i][0];
    o.y = posts[i][1];
    o.heading = uint16_t(posts[i][2]);
    o.pose = fx.postPose();
  }
  const std::string out = std::string(KEL_BINARY_DIR) + "/test-home/maze3d/golden";
  std::filesystem::create_directories(out);
  RayCaster caster;
  for (const Golden& g : kGolden) {
    SCOPED_TRACE(g.name);
    MazeViewRecord v = RenderFixture::View(g.x, g.y, g.heading);
    v.flags = g.flags;
    v.screenX = g.screenX;
    v.viewIndex = g.viewIndex;
    v.viewOffset = g.viewOffset;
    v.viewValue = g_floorRowTables[g.viewIndex];
    v.player = 3;  // nobody's runner: only things are drawn
    fx.Clear();
    fx.Render(caster, v, g.single);
    const uint64_t hash = fx.Hash();
    const std::string png = out + "/" + g.name + ".png";
    EXPECT_TRUE(fx.WritePng(png));
    EXPECT_EQ(hash, g.hash) << "0x" << std::hex << hash << " (" << png << ")";
    // Every view leaves the span tables clear for the next.
    for (int c = 0; c < kRayColumnCount; ++c) {
      ASSERT_EQ(g_wallTopSpan[c], kNoSpan);
      ASSERT_EQ(g_wallBottomSpan[c], kNoSpan);
    }
  }
}

}  // namespace
