#pragma once
// The 3D MAZE world: one set of plain records that the renderer draws from,
// the mover tests and changes, the characters animate and the screens reset.
// There is one world at a time. The records hold no owning C++ objects (the
// loaded blocks they point at are owned by whoever loaded them), so that the
// lock-step harness can keep one copy of the world per machine by copying
// bytes: MazeWorldGlobals lists every global that holds game state.
//
// Coordinates are world units, 32 to a cell, 128 x 128 cells; directions are
// 0..1799 (see rc_tables.h); energies and speeds 16.16 fixed point.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

inline constexpr int kMazeCells = 128;
inline constexpr int kMazeCellSize = 32;
inline constexpr int kMazeWorldSize = kMazeCells * kMazeCellSize;  // 4096
inline constexpr int kMazeMapEntries = kMazeCells * kMazeCells;
inline constexpr int kMazeObjectCount = 64;
inline constexpr int kMazeKeyManObject = 0;
inline constexpr int kMazeFirstShot = 1, kMazeLastShot = 20;
inline constexpr int kMazeFirstExplosion = 21, kMazeLastExplosion = 35;
inline constexpr int kMazeFirstMonster = 36, kMazeLastMonster = 63;
inline constexpr int kMazeMonsterCount = kMazeLastMonster - kMazeFirstMonster + 1;
inline constexpr int kMazeSpriteSetCount = 11;
inline constexpr int kMazeSpriteSetPoses = 20;
inline constexpr int kMazeZoneCount = 16;
// Textures 0..35 of every level are the exit door's twelve stages, three
// cells wide; map values 1..36 name them.
inline constexpr int kMazeDoorTextures = 36;
inline constexpr uint32_t kRunnerInPlay = 0x80000000u;
inline constexpr uint32_t kRunnerSkyPicture = 0x4000u;
inline constexpr uint32_t kRunnerTexturedFloor = 0x2000u;
inline constexpr uint32_t kRunnerStartFlags = 0x80006000u;
inline constexpr uint16_t kMazeNoPlayer = 0xFFFF;

// Cell index of a world point: row * 128 + column.
inline int MazeCellIndex(int32_t x, int32_t y) { return ((x & ~31) >> 5) + (y & ~31) * 4; }
// True when the cell index lies in the map.
inline bool MazeCellInMap(int row, int col) {
  return row >= 0 && row < kMazeCells && col >= 0 && col < kMazeCells;
}

// A zone of monsters: while a runner stands in its rectangle (inclusive
// bounds), its monsters are woken.
struct MazeZoneRecord {
  uint32_t used;
  int32_t x1, y1, x2, y2;
  int32_t objectId[4];  // object indices 36..63, -1 for none (the list ends there)
};

// Where a level puts its monsters: heading, x, y of monster 36 + k.
struct MazeMonsterPlace {
  int32_t heading, x, y;
};

// The level record: wall and floor maps (indexed [row * 128 + column]), the
// textures, the sky panorama, the flat floor colour, and the zones and
// monster places that come with the level file. The blocks are allocated by
// the loaders and released by MazeFreeLevel.
struct MazeLevel {
  uint16_t xWalls[kMazeMapEntries];     // wall on x = 32 col, y 32 row .. +31; texture value - 1
  uint16_t yWalls[kMazeMapEntries];     // wall on y = 32 row, x 32 col .. +31
  uint16_t floorMap[kMazeMapEntries];   // 0 no floor texture, else texture value - 1
  uint8_t* wallTextures;                // wallTextureCount x 4096: column-major 32 x 128
  uint8_t* floorTextures;               // floorTextureCount x 1024: 32 rows of 32
  uint32_t wallTextureCount;
  uint32_t floorTextureCount;
  uint8_t* skyPicture;                  // skyWidth x skyHeight, top row first
  int32_t skyWidth, skyHeight;          // at least 1800 x 400 when set
  uint8_t floorColour;                  // the flat floor
  uint32_t zoneTable;                   // 1: the file carried its zones and monster places
  uint32_t zoneCount;
  MazeZoneRecord zones[kMazeZoneCount];
  uint32_t monsterCount;
  MazeMonsterPlace monsters[kMazeMonsterCount];
};

// One player's state in the event.
struct MazePlayerRecord {
  uint32_t ready;       // 1 no action running
  uint32_t hold;        // non-zero: the character's update does nothing this frame
  uint32_t kind;        // family: 0 RADEROZI, 1 RIZAZ, 2 RAREZ VUDA, 3 ZARU, 4 RAZIRAZO, 5 ZOVI
  uint16_t frame;       // frame of the running action
  uint16_t action;      // 0 standing, 1 walking, 2 attack 1, 3 attack 2, 4 throwing,
                        // 5 hit, 6 knocked down, 7 getting up, 8 hit 2, 10 backwards
  int32_t energy;       // 16.16, at most 100.0
  uint32_t hasKey;
  int32_t score;
  int32_t recovery;
  const uint8_t* spriteBlock;  // the character's loaded sprite block
  // Pose tables, each pose the first of eight direction records in the block.
  const uint8_t* poses[112];
};
// Slots of the pose tables in MazePlayerRecord::poses.
inline constexpr int kStandPoseSlot = 0, kWalkPoseSlot = 4, kDownPoseSlot = 16,
                     kGetUpPoseSlot = 28, kHitPoseSlot = 40, kHit2PoseSlot = 52,
                     kThrowPoseSlot = 64, kAttack1PoseSlot = 76, kAttack2PoseSlot = 88;

// A player's body in the world; also a camera (MazeViewRecord).
struct MazeRunnerRecord {
  uint32_t flags;          // kRunnerInPlay, kRunnerSkyPicture, kRunnerTexturedFloor
  uint16_t player;         // 0..3
  uint16_t viewIndex;      // eye height in wall texels (1..127); index of the floor table
  int32_t x, y;
  int16_t heading;         // facing, 0..1799
  uint16_t radius;         // body radius against other runners
  int16_t moveDistance;    // signed distance of the next move
  uint16_t screenX;        // left edge of this player's split view
  uint16_t level;          // always 0
  uint8_t colour;
  uint8_t wallMargin;      // always 0
  uint32_t human;          // 1 steered by a person, 0 by the auto-pilot
  const int32_t* viewValue;  // the floor row-distance table of viewIndex
  uint32_t reserved[3];
  const uint8_t* pose;     // the pose (eight direction records) drawn for this runner
  uint16_t moveHeading;    // direction of movement 0..1799
  int16_t viewOffset;      // the view's horizon row is 200 + viewOffset
};
using MazeViewRecord = MazeRunnerRecord;

// The key man (0), shots (1..20), explosions (21..35) and monsters (36..63).
struct MazeObjectRecord {
  uint32_t active;
  uint32_t state;
  uint16_t poseIndex;
  uint16_t heading;
  const uint8_t* pose;
  int32_t x, y;
  uint16_t step;
  uint16_t range;
  uint32_t weapon;
  uint32_t shooter;
};

// Poses of one kind of object, pointing into its loaded block.
struct MazeSpriteSet {
  uint32_t unused[2];
  uint32_t zero;
  uint8_t* block;
  const uint8_t* poses[kMazeSpriteSetPoses];
};
// Kinds of g_mazeSpriteSets.
inline constexpr int kSpriteSetKeyMan = 0;          // 20 poses
inline constexpr int kSpriteSetFirstWeapon = 1;     // 1..4: the weapon of player 0..3, 5 poses
inline constexpr int kSpriteSetFirstExplosion = 5;  // 5..8, 6 poses each
inline constexpr int kSpriteSetMonster = 9;         // 13 poses
inline constexpr int kSpriteSetMonsterShot = 10;    // 5 poses

class MazeHud;
class MazeNavGraph;
class MazeZoneTable;

// The world.
extern MazeLevel g_mazeLevel;
extern uint16_t* g_mazeXWalls;  // g_mazeLevel.xWalls
extern uint16_t* g_mazeYWalls;  // g_mazeLevel.yWalls
extern MazePlayerRecord g_mazePlayers[4];
extern MazeRunnerRecord g_mazeRunners[4];
extern MazeViewRecord g_mazeViews[2];
extern MazeObjectRecord g_mazeObjects[kMazeObjectCount];
extern MazeSpriteSet g_mazeSpriteSets[kMazeSpriteSetCount];
extern int32_t g_mazePlayerSounds[4][16];
extern int32_t g_mazeTkoSound;
// -1 after construction, 0 in play, 1 a key carrier reached the exit, 2.. the
// exit sequence (while assets load: the light mode).
extern int32_t g_mazeRoundState;
extern int32_t g_mazeWinner;
extern uint32_t g_mazeSingleView;
extern uint32_t g_mazeCameraPulledIn;
extern int32_t g_mazeCameraDistance;
extern uint16_t g_mazeViewPlayer1;
extern uint16_t g_mazeViewPlayer2;  // kMazeNoPlayer when there is none
extern uint32_t g_mazeKeyManResting;
extern uint32_t g_mazeFrameCount;
extern uint32_t g_mazeAudibleMask;
extern int32_t* g_mazePlayerPoints[4];  // (x, y) points of the navigation graph
extern uint8_t g_mazePalette[1024];     // 256 colour-table entries: blue, green, red, 0
extern MazeHud* g_mazeHud;
extern MazeNavGraph* g_mazeNavGraph;
extern MazeZoneTable* g_mazeZoneTable;

// Clears every world record as at program start (the level's blocks are
// not freed: see MazeFreeLevel).
void MazeResetWorld();
// Releases the level's texture blocks and sky picture and clears the pointers.
void MazeFreeLevel(MazeLevel* level);
// Every global of this file and of the engine's other modules that holds game
// state, as (address, size) for the lock-step harness.
std::vector<std::pair<void*, size_t>> MazeWorldGlobals();
