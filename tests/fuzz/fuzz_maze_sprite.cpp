// Fuzz target of the maze's engine sprite reader: whatever the bytes, a
// block the loader accepts can be walked record by record, posed, decoded
// column by column and colour-shifted without leaving it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "events/maze3d/rc_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RcLoader loader(data, size);
  uint8_t palette[1024];
  loader.LoadSecrPalette("fuzz.mbm", palette);
  uint32_t count = 0;
  uint8_t* block = loader.LoadSpriteRle("fuzz.mbm", &count);
  if (!block) return 0;
  if (count == 0 || RcRecordCount(block) != count) std::abort();
  RcLoader::ShiftSpriteColours(1, 0x9F, block, count + 3);
  uint8_t column[128];
  const uint8_t* record = block;
  for (uint32_t r = 0; r < count && r < 40; ++r, record = RcNextRecord(record))
    for (int t = -1; t <= 128; t += 7) RcDecodeColumn(record, t, column);
  const uint8_t* poses[20];
  RcWalkPoses(block, 0, 20, 1, poses);
  if (RcWalkPoses(block, 1, 2, 8, poses) && RcRecordAt(poses[1], 7) == nullptr) std::abort();
  RcDecodeColumn(RcRecordAt(block, int(count) + 9), 5, column);  // past the end: the last record
  RcFree(block);
  return 0;
}
