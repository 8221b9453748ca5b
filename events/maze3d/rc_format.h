#pragma once
// The maze engine's file layouts, shared by the loaders, the writers (the data
// generator and the tests use them) and the fuzz targets. All numbers in the
// files are little-endian; docs/formats.md describes each file in full.
#include <cstdint>

// ---------------------------------------------------------------- engine tables
// "maze\rcengine.dat": a 20-byte header, eight angle tables of 1800 i32 and
// the wall step table of 5702 i32, exactly 80428 bytes.
inline constexpr uint32_t kRcEngineMagic = 0x4E454352u;  // "RCEN"
inline constexpr uint32_t kRcEngineVersion = 64;
inline constexpr uint32_t kRcEngineColumns = 320;
inline constexpr int kRcEngineHeaderSize = 20;
inline constexpr int kRcAngleTableCount = 8;
inline constexpr int kRcEngineFileSize = 80428;

// ---------------------------------------------------------------- level files
// "maze\finalN.rce": a 44-byte header, 1064 bytes (which may hold the
// level's zones and monsters), the floor section (floor map, floor textures)
// and the wall section (x-wall map, y-wall map, wall textures).
inline constexpr uint32_t kRcLevelMagic = 0x54494445u;  // "EDIT"
inline constexpr int kRcLevelHeaderSize = 44;
inline constexpr int kRcLevelGapSize = 1064;       // between the header and offset 1108
inline constexpr int kRcLevelFirstSection = 1108;  // 44 + 1064
inline constexpr int kRcMapBytes = 128 * 128 * 2;
inline constexpr int kRcWallTextureBytes = 4096;   // 32 columns of 128 texels
inline constexpr int kRcFloorTextureBytes = 1024;  // 32 x 32 texels
// Header fields (byte offsets).
inline constexpr int kRcLevelFloorOffset = 4, kRcLevelWallOffset = 12, kRcLevelMapWidth = 20,
                     kRcLevelMapHeight = 24, kRcLevelCellWidth = 28, kRcLevelCellHeight = 30,
                     kRcLevelFloorCount = 32, kRcLevelWallCount = 40;
// Sanity bounds of the texture counts: the counts are u32 in the file, and a
// damaged count must never become a huge allocation.
inline constexpr uint32_t kRcMaxWallTextures = 1024;
inline constexpr uint32_t kRcMaxFloorTextures = 1024;

// The zones and monsters of a level, when it carries them, in the gap after
// the header (a gap without the magic leaves them to the game's own tables):
//   +0  u32 magic "ZONE"   +4 u32 zone count Z (<= 16)   +8 u32 monster count M (<= 28)
//   +12 16 zone records of 32 bytes: i32 x1, y1, x2, y2, objectId[4] (-1 none)
//   +524 28 monster records of 12 bytes: i32 heading, x, y (monster 36 + k)
// the rest of the gap is zero.
inline constexpr uint32_t kRcZoneMagic = 0x454E4F5Au;  // "ZONE"
inline constexpr int kRcZoneRecords = 16;
inline constexpr int kRcZoneRecordSize = 32;
inline constexpr int kRcMonsterRecords = 28;
inline constexpr int kRcMonsterRecordSize = 12;
inline constexpr int kRcZoneTableOffset = 12;
inline constexpr int kRcMonsterTableOffset = kRcZoneTableOffset + kRcZoneRecords * kRcZoneRecordSize;
static_assert(kRcMonsterTableOffset + kRcMonsterRecords * kRcMonsterRecordSize <= kRcLevelGapSize,
              "the zones and monsters fit the level's gap");

// ---------------------------------------------------------------- engine sprites
// The maze's own .mbm files ("SECR"): a 52-byte header, a 1024-byte palette in
// the layout of a .bmp colour table, then frame records {u32 n, n bytes}.
inline constexpr uint32_t kRcSecrMagic = 0x52434553u;  // "SECR"
inline constexpr int kRcSecrHeaderSize = 52;
inline constexpr int kRcSecrRecordsOffset = 1076;
inline constexpr int kRcSecrTotalField = 8;
// A frame is 128 texel columns of 128 texels; each column is a u16 length word
// (bits 0..12 the byte count of its codes) and its codes: 0x2000 | k leaves k
// texels transparent, 0x4000 | k is followed by k literal texels.
inline constexpr int kRcSpriteSize = 128;
inline constexpr uint16_t kRcCodeSkip = 0x2000;
inline constexpr uint16_t kRcCodeLiteral = 0x4000;
inline constexpr uint16_t kRcCodeCountMask = 0x1FFF;
// Sanity bound of a whole sprite file (the largest holds 408 frames).
inline constexpr uint32_t kRcMaxSpriteFileBytes = 16u << 20;
// The loader ends every block it returns with this word where the next
// record's byte count would be, so that a walk over the records always finds
// the end of the block.
inline constexpr uint32_t kRcBlockEndMark = 0xFFFFFFFFu;

// ---------------------------------------------------------------- 8-bit pictures
inline constexpr int kRcBmpPaletteOffset = 54;
inline constexpr int kRcBmpPixelOffset = 1078;
inline constexpr int kRcMaxPicturePixels = 4096 * 4096;

// ---------------------------------------------------------------- navigation
// "maze\gridN.nod": u32 N, 36 points {i32 x, y}, N node records of four i32
// neighbours, the x order {u32 node, i32 x} and the y order {u32, i32 y} of N
// entries each and a u32; when more follows, that u32 is an area count A and
// A area rectangles {i32 x1, y1, x2, y2} follow (area k belongs to node k).
// "maze\gridN.bin": the 256 x 256 next-hop table.
inline constexpr int kRcNavMaxNodes = 256;
inline constexpr int kRcNavMaxAreas = 210;
inline constexpr int kRcNavPoints = 36;
inline constexpr int kRcNavPointsOffset = 4;
inline constexpr int kRcNavNodesOffset = 4 + kRcNavPoints * 8;  // 292
inline constexpr int kRcNavHopBytes = 256 * 256;
inline constexpr int NavNodeFileSize(int nodes, int areas) { return 296 + 32 * nodes + 16 * areas; }
