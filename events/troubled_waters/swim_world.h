#pragma once
// What the TROUBLED WATERS actors share: the maze, the swimmers, the
// creatures, pumps and weapons, the race frame counter, the views and the
// sound slots. The event screen owns one and every actor keeps a pointer to
// it; tests build one without a screen to drive the actors directly.
#include <cstdint>
#include <vector>

#include "events/troubled_waters/swim_maze.h"

class DDSurface;
class DDClipper;
class Sprite;

namespace swim {

class Swimmer;
class SeaCreature;
class AirPump;
class SwimWeapon;

inline constexpr int kWeaponSlots = 100;

enum EventSound : int {
  kSndTurn, kSndBite, kSndShock, kSndGargle, kSndSting, kSndCheer, kSndAnnouncer, kSndPill,
  kSndHitShark, kSndHitEel, kSndHitJelly, kEventSoundCount
};

struct SwimWorld {
  MazeGrid* maze = nullptr;
  Swimmer* swimmers[4] = {};
  SeaCreature* sharks[8] = {};
  SeaCreature* jellies[8] = {};
  SeaCreature* eels[8] = {};
  std::vector<AirPump*> pumps;
  SwimWeapon* weapons[kWeaponSlots] = {};
  Sprite* weaponSprite[4] = {};
  Sprite* stars = nullptr;
  int32_t raceFrame = 0;
  // The players a person swims for (a bit a player); the computer swims for
  // the others, and for a person from the frame the machines agree he left.
  uint8_t persons = 0;
  bool IsPerson(int player) const { return (persons >> (player & 3)) & 1; }
  int32_t sound[kEventSoundCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

  // Views: one, or two side by side with two players on one machine.
  int32_t views = 1;
  int32_t viewWidth = 640;
  int32_t halfViewWidth = 320;
  int32_t cameraX[2] = {0, 0};
  int32_t cameraY[2] = {0, 0};
  int32_t localPlayer[2] = {0, 1};
  DDSurface* target = nullptr;  // the back buffer
  DDClipper* clipper = nullptr;

  // Sounds: nothing happens without a sound manager or a loaded slot.
  void Play(int slot) const;
  void PlayEvent(EventSound s) const { Play(sound[s]); }
  bool Playing(int slot) const;
  void PlayUnlessPlaying(int slot) const {
    if (!Playing(slot)) Play(slot);
  }
  void Stop(int slot) const;
  // Plays a slot unless any swimmer's voice plays.
  void PlayIfQuiet(int slot) const;
  // True when a local player's swimmer is within half a view of x (and, when
  // maxDy is not negative, within maxDy vertically of y): sounds far off the
  // screen are not played.
  bool NearLocalSwimmer(int32_t x, int32_t y, int32_t maxDy) const;
  // The free weapon slot with the lowest index, -1 when all are taken.
  int FreeWeaponSlot() const;

  // Draws a sprite frame centred at a world point into every view that
  // shows it (the half sizes give the visible box and the top-left corner).
  void DrawInViews(Sprite* sprite, int frame, int32_t x, int32_t y, int32_t halfW, int32_t halfH,
                   bool testVertical = true) const;
  // Attaches the clip of a view (0 or 1) with two views, or the whole screen.
  void ClipToView(int view) const;
  void ClipToScreen() const;
};

}  // namespace swim
