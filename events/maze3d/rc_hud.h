#pragma once
// MazeHud: everything of the maze screen that is not the 3D view, drawn
// straight into the locked back buffer (g_mazeFrame, g_mazePitch): the
// 640 x 80 status bar with the four players' faces, energy bars, scores,
// items and keys, and on request the automap of the cells a viewed player
// has explored. It also keeps the players' item counters, which the
// characters update, and the exit door's state (rc_support.h).
//
// The HUD owns every picture put into it (each a block from RcLoader, freed
// by FreePictures and by the destructor). Palette index 0 is transparent
// wherever a picture is drawn with transparency; 255 is white, 0 black.
#include <cstdint>

#include "events/maze3d/rc_world.h"

inline constexpr int kHudIconPill = 4, kHudIconFists = 5, kHudIconKey = 6, kHudIconFourth = 7;
inline constexpr uint16_t kHudDoorStartCell = 2;
inline constexpr int kHudFaceW = 64, kHudFaceH = 48, kHudFaceBytes = kHudFaceW * kHudFaceH;
inline constexpr int kHudMapIconSize = 20, kHudMapIconBytes = 400;
inline constexpr int kHudIconW = 52, kHudIconH = 25, kHudIconBytes = kHudIconW * kHudIconH;  // 1300
inline constexpr int kHudStatusW = 640, kHudStatusH = 80, kHudTop = 400;
inline constexpr int kHudPowerFrames = 11;
inline constexpr int kHudEnergyBarW = 60, kHudEnergyBarH = 10;
inline constexpr int kHudDoorIcon = 4;  // map icon slot of the exit door

class MazeHud {
 public:
  MazeHud();
  ~MazeHud();
  MazeHud(const MazeHud&) = delete;
  MazeHud& operator=(const MazeHud&) = delete;

  // Loads the pictures of the status bar that every maze screen uses (paths
  // under dataDir): "maze\status.bmp", "maze\actsbar.bmp", "maze\power.bmp"
  // and "maze\sfmon.bmp". False when one is missing or damaged (each is
  // reported by name); what loaded stays.
  bool LoadPictures(const char* dataDir);
  // Takes over a picture block (the old one of that place is freed); null
  // clears the place.
  void SetStatus(uint8_t* pixels);           // 640 x 80
  void SetIconStrip(uint8_t* pixels);        // four 52 x 25 icons back to back
  void SetPower(uint8_t* pixels);            // eleven 64 x 48 frames back to back
  void SetFace(int slot, uint8_t* pixels);   // 64 x 48
  void SetMapIcon(int slot, uint8_t* pixels);  // 20 x 20; slot 4 the exit door
  void SetWeaponIcon(int slot, uint8_t* pixels);  // 52 x 25
  void FreePictures();

  // The status bar as the screens draw it after their views: faces, the bar
  // over them (its face windows transparent), energy bars and scores, then
  // items and keys.
  void DrawHud();
  void DrawBottomBar();
  void DrawFaces();
  void DrawFace(int slot);
  void DrawScores();
  void DrawEnergyBar(int32_t length);  // at the drawing position
  void DrawStatus();
  void DrawIcon(int icon);             // at the drawing position
  void DrawNumber(int x, int y, int32_t value);
  void DrawAutomap(const MazeRunnerRecord& runner);
  void DrawMapIcon(int icon);          // around the automap position
  void NoteExplored();
  void ClearColumn();
  // Advances every running power animation of the faces a frame (after its
  // eleventh frame it starts again); the logic step calls it, drawing only
  // reads the counters.
  void AnimateFaces();

  // Per player slot: energy bar length 0..60, weapon units, power pills, the
  // selected item's icon (slot's weapon, 4 pill, 5 fists, 6 key).
  int32_t energy[4] = {};
  int32_t weaponUnits[4] = {};
  uint16_t powerPills[4] = {};
  uint8_t itemIcon[4] = {};
  // Power animation frame of each face (255 none).
  uint8_t faceCounter[4] = {255, 255, 255, 255};
  // The exit door: middle cell of its three y-wall cells and what they held.
  uint16_t doorCell = kHudDoorStartCell;
  uint16_t doorSaved[3] = {};
  // Explored cells (1) of the first and second viewed player.
  uint8_t explored[2][kMazeMapEntries] = {};

  const uint8_t* face(int slot) const { return faces_[slot & 3]; }
  const uint8_t* mapIcon(int slot) const { return mapIcons_[slot % 5]; }
  const uint8_t* weaponIcon(int slot) const { return weaponIcons_[slot & 3]; }

 private:
  uint8_t* status_ = nullptr;
  uint8_t* faces_[4] = {};
  uint8_t* mapIcons_[5] = {};
  uint8_t* weaponIcons_[4] = {};
  uint8_t* iconStrip_ = nullptr;
  uint8_t* power_ = nullptr;
  int drawX_ = 0, drawY_ = 0;        // the drawing position
  int mapX_ = 0, mapY_ = 0;          // the automap position
};
