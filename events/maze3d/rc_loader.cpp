#include "events/maze3d/rc_loader.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "base/debug.h"
#include "base/pkc.h"
#include "events/maze3d/rc_format.h"
#include "events/maze3d/rc_tables.h"
#include "events/maze3d/rc_world.h"

void* RcAlloc(uint32_t bytes) { return std::calloc(bytes ? bytes : 1, 1); }
void RcFree(void* block) { std::free(block); }

namespace {

// One file being read, from the disk through the PKC reader or from memory:
// every read must deliver the whole count, and the first failure is reported
// with the file's path.
class RcFile {
 public:
  RcFile(const char* path, const uint8_t* memory, size_t memorySize, bool useMemory)
      : path_(path ? path : "") {
    if (useMemory) {
      memory_ = memory;
      memorySize_ = memorySize;
      open_ = true;
    } else {
      file_ = path ? PkcOpen(path) : nullptr;
      open_ = file_ != nullptr;
    }
    if (!open_) Fail("cannot be opened");
  }
  ~RcFile() {
    if (file_) PkcClose(file_);
  }
  RcFile(const RcFile&) = delete;
  RcFile& operator=(const RcFile&) = delete;

  bool ok() const { return open_ && !failed_; }
  int64_t Size() {
    if (!ok()) return -1;
    return file_ ? PkcGetSize(file_) : int64_t(memorySize_);
  }
  bool Read(void* buffer, int64_t count) {
    if (!ok()) return false;
    if (count < 0 || count > INT32_MAX) return Fail("a section is too large");
    if (file_) {
      if (PkcRead(file_, buffer, static_cast<int32_t>(count)) != count) return Fail("the file is short");
      return true;
    }
    if (count > int64_t(memorySize_ - position_)) return Fail("the file is short");
    if (count) std::memcpy(buffer, memory_ + position_, size_t(count));
    position_ += size_t(count);
    return true;
  }
  bool Seek(int64_t offset) {
    if (!ok()) return false;
    if (offset < 0 || offset > INT32_MAX) return Fail("an offset lies outside the file");
    if (file_) {
      if (PkcSeek(file_, static_cast<int32_t>(offset), 0) != offset) return Fail("an offset lies outside the file");
      return true;
    }
    if (offset > int64_t(memorySize_)) return Fail("an offset lies outside the file");
    position_ = size_t(offset);
    return true;
  }
  // Reports the refusal once; always false.
  bool Fail(const char* reason) {
    if (!failed_) DebugPrintf("Maze file %s refused: %s", path_.c_str(), reason);
    failed_ = true;
    return false;
  }

 private:
  std::string path_;
  PkcFile* file_ = nullptr;
  const uint8_t* memory_ = nullptr;
  size_t memorySize_ = 0, position_ = 0;
  bool open_ = false;
  bool failed_ = false;
};

struct LevelHeader {
  uint32_t floorOffset, wallOffset, floorCount, wallCount;
};

bool ReadLevelHeader(RcFile& f, LevelHeader* h) {
  uint8_t b[kRcLevelHeaderSize];
  if (!f.Read(b, sizeof b)) return false;
  if (GetLe32(b) != kRcLevelMagic) return f.Fail("not a level file");
  if (GetLe32(b + kRcLevelMapWidth) != 128 || GetLe32(b + kRcLevelMapHeight) != 128)
    return f.Fail("the map is not 128 x 128");
  if (GetLe16(b + kRcLevelCellWidth) != 32 || GetLe16(b + kRcLevelCellHeight) != 32)
    return f.Fail("the cells are not 32 units");
  h->floorOffset = GetLe32(b + kRcLevelFloorOffset);
  h->wallOffset = GetLe32(b + kRcLevelWallOffset);
  h->floorCount = GetLe32(b + kRcLevelFloorCount);
  h->wallCount = GetLe32(b + kRcLevelWallCount);
  if (h->floorOffset < uint32_t(kRcLevelHeaderSize)) return f.Fail("the floor offset lies in the header");
  return true;
}

// A map of 128 x 128 u16, every entry at most `limit`.
bool ReadMap(RcFile& f, uint16_t* map, uint32_t limit, const char* what) {
  std::vector<uint8_t> b(kRcMapBytes);
  if (!f.Read(b.data(), kRcMapBytes)) return false;
  for (int i = 0; i < kMazeMapEntries; ++i) {
    map[i] = GetLe16(&b[size_t(i) * 2]);
    if (map[i] > limit) return f.Fail(what);
  }
  return true;
}

bool InWorld(int32_t v) { return v >= 0 && v < kMazeWorldSize; }

bool ParseZones(RcFile& f, const uint8_t* gap, MazeLevel* out) {
  // A level without a table of its own (the gap holds anything else) takes
  // the zones and monster places the game keeps for its level number.
  out->zoneTable = GetLe32(gap) == kRcZoneMagic ? 1 : 0;
  if (!out->zoneTable) {
    out->zoneCount = out->monsterCount = 0;
    for (MazeZoneRecord& r : out->zones) r = MazeZoneRecord{0, 0, 0, 0, 0, {-1, -1, -1, -1}};
    for (MazeMonsterPlace& p : out->monsters) p = MazeMonsterPlace{};
    return true;
  }
  const uint32_t zones = GetLe32(gap + 4), monsters = GetLe32(gap + 8);
  if (zones > uint32_t(kRcZoneRecords) || monsters > uint32_t(kRcMonsterRecords))
    return f.Fail("too many zones or monsters");
  out->zoneCount = zones;
  for (int k = 0; k < kRcZoneRecords; ++k) {
    const uint8_t* z = gap + kRcZoneTableOffset + k * kRcZoneRecordSize;
    MazeZoneRecord& r = out->zones[k];
    r = MazeZoneRecord{};
    for (int m = 0; m < 4; ++m) r.objectId[m] = -1;
    if (uint32_t(k) >= zones) continue;
    r.used = 1;
    r.x1 = int32_t(GetLe32(z));
    r.y1 = int32_t(GetLe32(z + 4));
    r.x2 = int32_t(GetLe32(z + 8));
    r.y2 = int32_t(GetLe32(z + 12));
    if (!InWorld(r.x1) || !InWorld(r.y1) || !InWorld(r.x2) || !InWorld(r.y2) || r.x1 > r.x2 ||
        r.y1 > r.y2)
      return f.Fail("a zone lies outside the world");
    bool ended = false;
    for (int m = 0; m < 4; ++m) {
      const int32_t id = int32_t(GetLe32(z + 16 + 4 * m));
      if (id != -1 && (id < kMazeFirstMonster || id > kMazeLastMonster))
        return f.Fail("a zone names an object that is not a monster");
      ended = ended || id == -1;
      r.objectId[m] = ended ? -1 : id;
    }
  }
  out->monsterCount = monsters;
  for (int k = 0; k < kRcMonsterRecords; ++k) {
    const uint8_t* m = gap + kRcMonsterTableOffset + k * kRcMonsterRecordSize;
    MazeMonsterPlace& p = out->monsters[k];
    p = MazeMonsterPlace{};
    if (uint32_t(k) >= monsters) continue;
    p.heading = int32_t(GetLe32(m));
    p.x = int32_t(GetLe32(m + 4));
    p.y = int32_t(GetLe32(m + 8));
    if (p.heading < 0 || p.heading >= kMazeTurn) return f.Fail("a monster's heading is out of range");
    if (p.x < kMazeCellSize || p.x >= kMazeWorldSize - kMazeCellSize || p.y < kMazeCellSize ||
        p.y >= kMazeWorldSize - kMazeCellSize)
      return f.Fail("a monster stands outside the world");
  }
  return true;
}

template <typename T>
struct Freer {
  void operator()(T* p) const { RcFree(p); }
};
using Block = std::unique_ptr<uint8_t, Freer<uint8_t>>;

}  // namespace

bool RcLoader::LoadData(const char* path) {
  RcFile f(path, memory_, memorySize_, useMemory_);
  if (!f.ok()) return false;
  if (f.Size() != kRcEngineFileSize) return f.Fail("the engine file is not 80428 bytes");
  uint8_t h[kRcEngineHeaderSize];
  if (!f.Read(h, sizeof h)) return false;
  if (GetLe32(h) != kRcEngineMagic) return f.Fail("not an engine file");
  if (GetLe32(h + 4) != kRcEngineVersion || GetLe32(h + 8) != kRcEngineColumns)
    return f.Fail("the engine file is of another kind");
  // Everything is read and checked before any table changes, so that a bad
  // file leaves the tables as they were.
  std::vector<uint8_t> raw(size_t(kRcEngineFileSize - kRcEngineHeaderSize));
  if (!f.Read(raw.data(), int64_t(raw.size()))) return false;
  std::vector<int32_t> values(raw.size() / 4);
  for (size_t i = 0; i < values.size(); ++i) values[i] = int32_t(GetLe32(&raw[i * 4]));
  const int32_t* angle[8];
  for (int t = 0; t < kRcAngleTableCount; ++t) angle[t] = values.data() + size_t(t) * kMazeTurn;
  const int32_t* steps = values.data() + size_t(kRcAngleTableCount) * kMazeTurn;
  if (const char* why = CheckEngineTables(angle, steps)) return f.Fail(why);
  for (int t = 0; t < kRcAngleTableCount; ++t)
    std::memcpy(g_rcAngleTables[t], angle[t], sizeof(int32_t) * kMazeTurn);
  std::memcpy(g_wallStepTable, steps, sizeof g_wallStepTable);
  return true;
}

bool RcLoader::LoadTextures(const char* path, MazeLevel* level) {
  RcFree(level->wallTextures);
  level->wallTextures = nullptr;
  level->wallTextureCount = 0;
  RcFile f(path, memory_, memorySize_, useMemory_);
  LevelHeader h{};
  if (!ReadLevelHeader(f, &h)) return false;
  // The exit door's stages take wall textures 0 to 35; a level with fewer
  // shows the missing stages with its first texture.
  if (h.wallCount < 1 || h.wallCount > kRcMaxWallTextures) return f.Fail("the wall texture count is out of range");
  std::vector<uint8_t> gap(kRcLevelGapSize);
  if (!f.Read(gap.data(), kRcLevelGapSize)) return false;
  auto extras = std::make_unique<MazeLevel>();
  if (!ParseZones(f, gap.data(), extras.get())) return false;
  const int64_t wallSection = int64_t(kRcLevelFirstSection) + int64_t(h.wallOffset) - int64_t(h.floorOffset);
  const int64_t textureBytes = int64_t(h.wallCount) * kRcWallTextureBytes;
  if (wallSection < kRcLevelHeaderSize || wallSection + 2 * kRcMapBytes + textureBytes > f.Size())
    return f.Fail("the wall section lies outside the file");
  if (!f.Seek(wallSection)) return false;
  if (!ReadMap(f, extras->xWalls, h.wallCount, "an x-wall names a texture the file lacks") ||
      !ReadMap(f, extras->yWalls, h.wallCount, "a y-wall names a texture the file lacks"))
    return false;
  Block textures(static_cast<uint8_t*>(RcAlloc(uint32_t(textureBytes))));
  if (!textures) return f.Fail("out of memory");
  if (!f.Read(textures.get(), textureBytes)) return false;
  std::memcpy(level->xWalls, extras->xWalls, sizeof level->xWalls);
  std::memcpy(level->yWalls, extras->yWalls, sizeof level->yWalls);
  level->zoneTable = extras->zoneTable;
  level->zoneCount = extras->zoneCount;
  std::memcpy(level->zones, extras->zones, sizeof level->zones);
  level->monsterCount = extras->monsterCount;
  std::memcpy(level->monsters, extras->monsters, sizeof level->monsters);
  level->wallTextures = textures.release();
  level->wallTextureCount = h.wallCount;
  return true;
}

bool RcLoader::LoadFloor(const char* path, MazeLevel* level) {
  RcFree(level->floorTextures);
  level->floorTextures = nullptr;
  level->floorTextureCount = 0;
  RcFile f(path, memory_, memorySize_, useMemory_);
  LevelHeader h{};
  if (!ReadLevelHeader(f, &h)) return false;
  if (h.floorCount > kRcMaxFloorTextures) return f.Fail("the floor texture count is out of range");
  const int64_t textureBytes = int64_t(h.floorCount) * kRcFloorTextureBytes;
  if (int64_t(h.floorOffset) + kRcMapBytes + textureBytes > f.Size())
    return f.Fail("the floor section lies outside the file");
  if (!f.Seek(h.floorOffset)) return false;
  std::vector<uint16_t> map(kMazeMapEntries);
  if (!ReadMap(f, map.data(), h.floorCount, "the floor map names a texture the file lacks")) return false;
  Block textures(static_cast<uint8_t*>(RcAlloc(uint32_t(textureBytes))));
  if (!textures) return f.Fail("out of memory");
  if (!f.Read(textures.get(), textureBytes)) return false;
  std::memcpy(level->floorMap, map.data(), sizeof level->floorMap);
  level->floorTextures = textures.release();
  level->floorTextureCount = h.floorCount;
  return true;
}

bool RcLoader::LoadBmpPalette(const char* path, uint8_t palette[1024]) {
  RcFile f(path, memory_, memorySize_, useMemory_);
  uint8_t fileHeader[14], info[40];
  if (!f.Read(fileHeader, sizeof fileHeader)) return false;
  if (GetLe16(fileHeader) != 19778) return f.Fail("not a .bmp picture");
  if (!f.Read(info, sizeof info)) return false;
  if (GetLe32(info) != 40 || GetLe16(info + 14) != 8) return f.Fail("not an 8-bit picture");
  uint8_t table[1024];
  if (!f.Read(table, sizeof table)) return false;
  std::memcpy(palette, table, sizeof table);
  return true;
}

bool RcLoader::LoadSecrPalette(const char* path, uint8_t palette[1024]) {
  RcFile f(path, memory_, memorySize_, useMemory_);
  uint8_t h[12];
  if (!f.Read(h, sizeof h)) return false;
  if (GetLe32(h) != kRcSecrMagic) return f.Fail("not an engine sprite file");
  uint8_t table[1024];
  if (!f.Seek(kRcSecrHeaderSize) || !f.Read(table, sizeof table)) return false;
  std::memcpy(palette, table, sizeof table);
  return true;
}

uint8_t* RcLoader::LoadSpriteRle(const char* path, uint32_t* recordCount) {
  RcFile f(path, memory_, memorySize_, useMemory_);
  uint8_t h[12];
  if (!f.Read(h, sizeof h)) return nullptr;
  if (GetLe32(h) != kRcSecrMagic) return f.Fail("not an engine sprite file"), nullptr;
  const uint32_t total = GetLe32(h + kRcSecrTotalField);
  if (total < uint32_t(kRcSecrRecordsOffset) + 4 || total > kRcMaxSpriteFileBytes)
    return f.Fail("the total size is out of range"), nullptr;
  if (int64_t(total) > f.Size()) return f.Fail("the file is shorter than its total size"), nullptr;
  const uint32_t bytes = total - kRcSecrRecordsOffset;
  Block block(static_cast<uint8_t*>(RcAlloc(bytes + 4)));
  if (!block) return f.Fail("out of memory"), nullptr;
  if (!f.Seek(kRcSecrRecordsOffset) || !f.Read(block.get(), bytes)) return nullptr;
  uint32_t count = 0;
  for (uint32_t at = 0; at < bytes; ++count) {
    if (bytes - at < 4) return f.Fail("a frame record is cut off"), nullptr;
    const uint32_t n = RcRecordBytes(block.get() + at);
    if (n > bytes - at - 4) return f.Fail("a frame runs past the end of the file"), nullptr;
    if (const char* why = RcCheckFrame(block.get() + at + 4, n)) return f.Fail(why), nullptr;
    at += 4 + n;
  }
  PutLe32(block.get() + bytes, kRcBlockEndMark);
  if (recordCount) *recordCount = count;
  return block.release();
}

uint8_t* RcLoader::LoadBmpPixels(const char* path, int32_t* width, int32_t* height) {
  RcFile f(path, memory_, memorySize_, useMemory_);
  uint8_t fileHeader[14], info[40];
  if (!f.Read(fileHeader, sizeof fileHeader) || !f.Read(info, sizeof info)) return nullptr;
  if (GetLe16(fileHeader) != 19778) return f.Fail("not a .bmp picture"), nullptr;
  const int32_t w = int32_t(GetLe32(info + 4)), hRaw = int32_t(GetLe32(info + 8));
  if (GetLe32(info) != 40 || GetLe16(info + 14) != 8 || GetLe32(info + 16) != 0)
    return f.Fail("not an uncompressed 8-bit picture"), nullptr;
  if (w <= 0 || hRaw == 0 || hRaw == INT32_MIN) return f.Fail("the picture has no size"), nullptr;
  const int32_t h = hRaw < 0 ? -hRaw : hRaw;
  if (int64_t(w) * h > kRcMaxPicturePixels) return f.Fail("the picture is too large"), nullptr;
  // Rows are stored padded to four bytes, as in every .bmp.
  const int64_t stride = (int64_t(w) + 3) & ~int64_t(3);
  if (int64_t(kRcBmpPixelOffset) + stride * h > f.Size()) return f.Fail("the file is short"), nullptr;
  Block pixels(static_cast<uint8_t*>(RcAlloc(uint32_t(w) * uint32_t(h))));
  if (!pixels) return f.Fail("out of memory"), nullptr;
  std::vector<uint8_t> row(static_cast<size_t>(stride));
  if (!f.Seek(kRcBmpPixelOffset)) return nullptr;
  for (int32_t r = 0; r < h; ++r) {
    if (!f.Read(row.data(), stride)) return nullptr;
    // Bottom row first when the height is positive: the block is top row first.
    const int32_t to = hRaw > 0 ? h - 1 - r : r;
    std::memcpy(pixels.get() + size_t(to) * w, row.data(), size_t(w));
  }
  if (width) *width = w;
  if (height) *height = h;
  return pixels.release();
}

uint8_t* RcLoader::LoadPicture(const char* path, int32_t width, int32_t height, bool minHeight) {
  int32_t w = 0, h = 0;
  uint8_t* pixels = LoadBmpPixels(path, &w, &h);
  if (!pixels) return nullptr;
  if (w != width || (minHeight ? h < height : h != height)) {
    DebugPrintf("Maze file %s refused: the picture is %dx%d, not %dx%d", path, w, h, width, height);
    RcFree(pixels);
    return nullptr;
  }
  return pixels;
}

uint8_t* RcLoader::FlipRows(int32_t width, int32_t height, const uint8_t* block) {
  if (height < 0) height = -height;
  if (width <= 0 || int64_t(width) * height > kRcMaxPicturePixels || !block) return nullptr;
  auto* out = static_cast<uint8_t*>(RcAlloc(uint32_t(width) * uint32_t(height)));
  if (!out) return nullptr;
  for (int32_t i = 0; i < height; ++i)
    std::memcpy(out + size_t(i) * width, block + size_t(height - 1 - i) * width, size_t(width));
  return out;
}

void RcLoader::ShiftColours(uint8_t from, uint8_t to, uint8_t* block, uint32_t count) {
  const uint8_t delta = uint8_t(to - from);
  for (uint32_t i = 0; i < count; ++i)
    if (block[i]) block[i] = uint8_t(block[i] + delta);
}

void RcLoader::CopyPaletteRange(const uint8_t* source, uint8_t* destination, uint8_t sourceStart,
                                uint8_t destinationStart, uint8_t count) {
  for (int i = 0; i < count; ++i) {
    const int s = sourceStart + i, d = destinationStart + i;
    if (s > 255 || d > 255) break;
    std::memcpy(destination + d * 4, source + s * 4, 3);
  }
}

void RcLoader::ShiftSpriteColours(uint8_t from, uint8_t to, uint8_t* records, uint32_t recordCount) {
  const uint8_t delta = uint8_t(to - from);
  uint8_t* rec = records;
  for (uint32_t r = 0; r < recordCount && !RcIsBlockEnd(rec); ++r) {
    const uint32_t n = RcRecordBytes(rec);
    uint8_t* frame = rec + 4;
    uint32_t p = 0;
    for (int col = 0; col < kRcSpriteSize && p + 2 <= n; ++col) {
      const uint32_t end = p + 2 + (GetLe16(frame + p) & kRcCodeCountMask);
      p += 2;
      while (p + 2 <= end && end <= n) {
        const uint16_t w = GetLe16(frame + p);
        p += 2;
        if ((w & 0xE000) != kRcCodeLiteral) continue;
        const uint32_t k = w & kRcCodeCountMask;
        for (uint32_t i = 0; i < k && p < end; ++i, ++p) frame[p] = uint8_t(frame[p] + delta);
      }
      p = end;
    }
    rec += 4 + n;
  }
}

const uint8_t* RcNextRecord(const uint8_t* record) {
  if (RcIsBlockEnd(record)) return record;
  const uint8_t* next = record + 4 + RcRecordBytes(record);
  return RcIsBlockEnd(next) ? record : next;
}

const uint8_t* RcRecordAt(const uint8_t* record, int index) {
  for (int i = 0; i < index; ++i) record = RcNextRecord(record);
  return record;
}

uint32_t RcRecordCount(const uint8_t* block) {
  uint32_t count = 0;
  if (!block) return 0;
  for (const uint8_t* r = block; !RcIsBlockEnd(r); r += 4 + RcRecordBytes(r)) ++count;
  return count;
}

bool RcWalkPoses(const uint8_t* block, int first, int count, int recordsPerPose, const uint8_t** poses) {
  if (!block || first < 0 || count < 0 || recordsPerPose < 1) return false;
  if (int64_t(first) + int64_t(count) * recordsPerPose > RcRecordCount(block)) return false;
  const uint8_t* r = RcRecordAt(block, first);
  for (int p = 0; p < count; ++p) {
    poses[p] = r;
    r = RcRecordAt(r, recordsPerPose);
  }
  return true;
}

const char* RcCheckFrame(const uint8_t* frame, uint32_t n) {
  uint32_t p = 0;
  for (int col = 0; col < kRcSpriteSize; ++col) {
    if (n - p < 2) return "a frame has fewer than 128 columns";
    const uint16_t length = GetLe16(frame + p);
    if (length & ~kRcCodeCountMask) return "a column's length word is damaged";
    p += 2;
    if (length > n - p) return "a column runs past its frame";
    const uint32_t end = p + length;
    uint32_t texels = 0;
    while (p < end) {
      if (end - p < 2) return "a column's codes are cut off";
      const uint16_t w = GetLe16(frame + p);
      p += 2;
      const uint32_t k = w & kRcCodeCountMask;
      if ((w & 0xE000) == kRcCodeLiteral) {
        if (k > end - p) return "a column's texels run past its codes";
        p += k;
      } else if ((w & 0xE000) != kRcCodeSkip) {
        return "a column holds an unknown code";
      }
      texels += k;
      if (texels > uint32_t(kRcSpriteSize)) return "a column is taller than 128 texels";
    }
  }
  if (p != n) return "a frame has bytes after its 128 columns";
  return nullptr;
}

bool RcDecodeColumn(const uint8_t* record, int t, uint8_t* texels) {
  std::memset(texels, 0, kRcSpriteSize);
  if (RcIsBlockEnd(record) || t < 0 || t >= kRcSpriteSize) return false;
  const uint32_t n = RcRecordBytes(record);
  const uint8_t* frame = record + 4;
  uint32_t p = 0;
  for (int col = 0; col < t; ++col) {
    if (n - p < 2) return false;
    p += 2 + (GetLe16(frame + p) & kRcCodeCountMask);
    if (p > n) return false;
  }
  if (n - p < 2) return false;
  const uint32_t length = GetLe16(frame + p) & kRcCodeCountMask;
  p += 2;
  if (length == 0 || length > n - p) return false;
  const uint32_t end = p + length;
  int row = 0;
  while (end - p >= 2 && row < kRcSpriteSize) {
    const uint16_t w = GetLe16(frame + p);
    p += 2;
    if (w < kRcCodeSkip) break;
    uint32_t k = w & kRcCodeCountMask;
    if ((w & 0xE000) == kRcCodeSkip) {
      row += int(k);
      continue;
    }
    if (k > end - p) k = end - p;
    for (uint32_t i = 0; i < k; ++i, ++p)
      if (row < kRcSpriteSize) texels[row++] = frame[p];
  }
  return true;
}
