#pragma once
// RcLoader: the maze engine's readers of its five kinds of file (engine
// tables, levels, engine sprites, 8-bit pictures and faces), all through the
// PKC read path, and the palette moves that put a character's colours into
// its band of the maze palette.
//
// Every size, offset and count of a file is checked before it is used; a file
// that fails any check is refused whole, with its path (and the reason) on the
// debug output, and the loader returns false or null. Blocks a loader returns
// are zero-filled heap blocks that belong to the caller, who releases them
// with RcFree.
#include <cstddef>
#include <cstdint>

struct MazeLevel;

void* RcAlloc(uint32_t bytes);  // zero-filled; null when out of memory
void RcFree(void* block);

class RcLoader {
 public:
  RcLoader() = default;
  // A loader that reads the bytes given instead of any file it is asked for
  // (the path still names the file in its messages): fuzzing and tests.
  RcLoader(const uint8_t* data, size_t size) : memory_(data), memorySize_(size), useMemory_(true) {}

  // Engine tables: all nine tables are replaced, or none.
  bool LoadData(const char* path);
  // Level: the two wall maps, the wall textures and, when the file carries
  // them, the zones and monster places into the level (zoneTable tells
  // which); refused when a map names a texture the file does not hold. The
  // level's old wall block is released first (the level keeps none on
  // failure).
  bool LoadTextures(const char* path, MazeLevel* level);
  // Level: the floor map and floor textures.
  bool LoadFloor(const char* path, MazeLevel* level);
  // The colour table of an 8-bit .bmp, 1024 bytes.
  bool LoadBmpPalette(const char* path, uint8_t palette[1024]);
  // The palette of an engine sprite file, 1024 bytes.
  bool LoadSecrPalette(const char* path, uint8_t palette[1024]);
  // The frame records of an engine sprite file, every frame checked, followed
  // by kRcBlockEndMark. *recordCount (when given) gets the number of records.
  uint8_t* LoadSpriteRle(const char* path, uint32_t* recordCount = nullptr);
  // An 8-bit .bmp's pixels, top row first, width x abs(height) bytes.
  uint8_t* LoadBmpPixels(const char* path, int32_t* width = nullptr, int32_t* height = nullptr);
  // LoadBmpPixels of a picture that must be exactly width x height (or, with
  // minHeight, at least that high): refused by name otherwise.
  uint8_t* LoadPicture(const char* path, int32_t width, int32_t height, bool minHeight = false);

  // A copy of the block with the rows in reverse order; null when out of memory.
  static uint8_t* FlipRows(int32_t width, int32_t height, const uint8_t* block);
  // Adds (to - from) to every non-zero byte (8-bit wrap).
  static void ShiftColours(uint8_t from, uint8_t to, uint8_t* block, uint32_t count);
  // Copies the colour bytes of count entries from source[sourceStart] to
  // destination[destinationStart]; byte 3 of each destination entry stays.
  // Entries past 255 are not written.
  static void CopyPaletteRange(const uint8_t* source, uint8_t* destination, uint8_t sourceStart,
                               uint8_t destinationStart, uint8_t count);
  // Adds (to - from) to every literal texel of the first recordCount frame
  // records of a block LoadSpriteRle returned (never to length or skip
  // words); stops at the block's end.
  static void ShiftSpriteColours(uint8_t from, uint8_t to, uint8_t* records, uint32_t recordCount);

 private:
  const uint8_t* memory_ = nullptr;
  size_t memorySize_ = 0;
  bool useMemory_ = false;
};

// Records of a block LoadSpriteRle returned. Each record is {u32 n, n bytes}.
inline uint32_t RcRecordBytes(const uint8_t* record) {
  return uint32_t(record[0]) | uint32_t(record[1]) << 8 | uint32_t(record[2]) << 16 |
         uint32_t(record[3]) << 24;
}
inline bool RcIsBlockEnd(const uint8_t* record) { return RcRecordBytes(record) == 0xFFFFFFFFu; }
// The record after this one, or this one when it is the last of its block.
const uint8_t* RcNextRecord(const uint8_t* record);
// The record `index` records after `record`, stopping at the block's last one.
const uint8_t* RcRecordAt(const uint8_t* record, int index);
// Fills `poses` with `count` poses of `recordsPerPose` records each, starting
// at record `first` of the block. False (nothing written) when the block does
// not hold them all.
bool RcWalkPoses(const uint8_t* block, int first, int count, int recordsPerPose,
                 const uint8_t** poses);
// Number of records of a block LoadSpriteRle returned.
uint32_t RcRecordCount(const uint8_t* block);
// Decodes texel column t (0..127) of the frame in `record` into 128 texels
// (0 transparent); false for an empty column. Never reads past the record.
bool RcDecodeColumn(const uint8_t* record, int t, uint8_t* texels);
// Checks one frame (n bytes): 128 columns whose codes fill their length words
// exactly and at most 128 texels each. Null when it passes, else a reason.
const char* RcCheckFrame(const uint8_t* frame, uint32_t n);
