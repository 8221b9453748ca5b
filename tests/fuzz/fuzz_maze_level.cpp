// Fuzz target of the maze level reader: whatever the bytes, both level
// loaders either refuse the file or give maps whose every entry names a
// texture the level holds, and zones and monsters inside the world.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "events/maze3d/rc_loader.h"
#include "events/maze3d/rc_world.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto level = std::make_unique<MazeLevel>();
  std::memset(level.get(), 0, sizeof(MazeLevel));
  RcLoader loader(data, size);
  if (loader.LoadTextures("fuzz.rce", level.get())) {
    if (!level->wallTextures || level->wallTextureCount < uint32_t(kMazeDoorTextures)) std::abort();
    for (int i = 0; i < kMazeMapEntries; ++i)
      if (level->xWalls[i] > level->wallTextureCount || level->yWalls[i] > level->wallTextureCount) std::abort();
    // Every texel of every texture can be read.
    volatile uint8_t sum = 0;
    for (uint32_t i = 0; i < level->wallTextureCount * 4096; i += 997) sum = uint8_t(sum + level->wallTextures[i]);
    for (uint32_t z = 0; z < level->zoneCount; ++z)
      if (level->zones[z].x1 > level->zones[z].x2 || level->zones[z].x2 >= kMazeWorldSize) std::abort();
    for (uint32_t m = 0; m < level->monsterCount; ++m)
      if (level->monsters[m].x < 0 || level->monsters[m].x >= kMazeWorldSize) std::abort();
  }
  if (loader.LoadFloor("fuzz.rce", level.get())) {
    for (int i = 0; i < kMazeMapEntries; ++i)
      if (level->floorMap[i] > level->floorTextureCount) std::abort();
    volatile uint8_t sum = 0;
    for (uint32_t i = 0; i < level->floorTextureCount * 1024; i += 97) sum = uint8_t(sum + level->floorTextures[i]);
  }
  MazeFreeLevel(level.get());
  return 0;
}
