#include "events/maze3d/rc_world.h"

#include <cstring>

#include "base/instance_globals.h"
#include "events/maze3d/rc_loader.h"
#include "events/maze3d/rc_support.h"

MazeLevel g_mazeLevel;
uint16_t* g_mazeXWalls = g_mazeLevel.xWalls;
uint16_t* g_mazeYWalls = g_mazeLevel.yWalls;
MazePlayerRecord g_mazePlayers[4];
MazeRunnerRecord g_mazeRunners[4];
MazeViewRecord g_mazeViews[2];
MazeObjectRecord g_mazeObjects[kMazeObjectCount];
MazeSpriteSet g_mazeSpriteSets[kMazeSpriteSetCount];
int32_t g_mazePlayerSounds[4][16];
int32_t g_mazeTkoSound = -1;
int32_t g_mazeRoundState = -1;
int32_t g_mazeWinner = 0;
uint32_t g_mazeSingleView = 0;
uint32_t g_mazeCameraPulledIn = 0;
int32_t g_mazeCameraDistance = 100;
uint16_t g_mazeViewPlayer1 = 0;
uint16_t g_mazeViewPlayer2 = kMazeNoPlayer;
uint32_t g_mazeKeyManResting = 1;
uint32_t g_mazeFrameCount = 0;
uint32_t g_mazeAudibleMask = 0;
int32_t* g_mazePlayerPoints[4];
uint8_t g_mazePalette[1024];
MazeHud* g_mazeHud = nullptr;
MazeNavGraph* g_mazeNavGraph = nullptr;
MazeZoneTable* g_mazeZoneTable = nullptr;

void MazeResetWorld() {
  uint8_t* wall = g_mazeLevel.wallTextures;
  uint8_t* floor = g_mazeLevel.floorTextures;
  uint8_t* sky = g_mazeLevel.skyPicture;
  const uint32_t wallCount = g_mazeLevel.wallTextureCount, floorCount = g_mazeLevel.floorTextureCount;
  const int32_t skyW = g_mazeLevel.skyWidth, skyH = g_mazeLevel.skyHeight;
  std::memset(&g_mazeLevel, 0, sizeof g_mazeLevel);
  // The blocks stay with the level until MazeFreeLevel.
  g_mazeLevel.wallTextures = wall;
  g_mazeLevel.floorTextures = floor;
  g_mazeLevel.skyPicture = sky;
  g_mazeLevel.wallTextureCount = wallCount;
  g_mazeLevel.floorTextureCount = floorCount;
  g_mazeLevel.skyWidth = skyW;
  g_mazeLevel.skyHeight = skyH;
  g_mazeXWalls = g_mazeLevel.xWalls;
  g_mazeYWalls = g_mazeLevel.yWalls;
  std::memset(g_mazePlayers, 0, sizeof g_mazePlayers);
  std::memset(g_mazeRunners, 0, sizeof g_mazeRunners);
  std::memset(g_mazeViews, 0, sizeof g_mazeViews);
  std::memset(g_mazeObjects, 0, sizeof g_mazeObjects);
  std::memset(g_mazeSpriteSets, 0, sizeof g_mazeSpriteSets);
  for (auto& row : g_mazePlayerSounds)
    for (int32_t& s : row) s = -1;
  g_mazeTkoSound = -1;
  g_mazeRoundState = -1;
  g_mazeWinner = 0;
  g_mazeSingleView = 0;
  g_mazeCameraPulledIn = 0;
  g_mazeCameraDistance = 100;
  g_mazeViewPlayer1 = 0;
  g_mazeViewPlayer2 = kMazeNoPlayer;
  g_mazeKeyManResting = 1;
  g_mazeFrameCount = 0;
  g_mazeAudibleMask = 0;
  for (int32_t*& p : g_mazePlayerPoints) p = nullptr;
  std::memset(g_mazePalette, 0, sizeof g_mazePalette);
  g_mazeHud = nullptr;
  g_mazeNavGraph = nullptr;
  g_mazeZoneTable = nullptr;
}

void MazeFreeLevel(MazeLevel* level) {
  RcFree(level->wallTextures);
  RcFree(level->floorTextures);
  RcFree(level->skyPicture);
  level->wallTextures = level->floorTextures = level->skyPicture = nullptr;
  level->wallTextureCount = level->floorTextureCount = 0;
  level->skyWidth = level->skyHeight = 0;
}

std::vector<std::pair<void*, size_t>> MazeWorldGlobals() {
  return GlobalsOf(g_mazeLevel, g_mazeXWalls, g_mazeYWalls, g_mazePlayers, g_mazeRunners,
                   g_mazeViews, g_mazeObjects, g_mazeSpriteSets, g_mazePlayerSounds, g_mazeTkoSound,
                   g_mazeRoundState, g_mazeWinner, g_mazeSingleView, g_mazeCameraPulledIn,
                   g_mazeCameraDistance, g_mazeViewPlayer1, g_mazeViewPlayer2, g_mazeKeyManResting,
                   g_mazeFrameCount, g_mazeAudibleMask, g_mazePlayerPoints, g_mazePalette,
                   g_mazeHud, g_mazeNavGraph, g_mazeZoneTable, g_floorRowTables);
}
