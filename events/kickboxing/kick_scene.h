#pragma once
// The PLATFORM KICKBOXING scene: the table of 200 actors (pillars in slots
// 0..99 by cell, the fighters of players 0..3 in 100..103, sparks, dust
// clouds and thrown weapons from 108 on), the eight pillar slots that
// CyclePillars raises and lowers, the ground and collision tests, the draw
// lists and the drawing of one view. The event screen is a scene; tests
// build one without a screen to drive the actors directly.
#include <cstdint>

#include "base/ptr_list.h"
#include "events/kickboxing/kick_rules.h"

class DDSurface;
class Sprite;

namespace kick {

class KickboxingActor;
class KickboxingPillar;
class KickboxingFighter;

inline constexpr int kActorSlots = 200;
inline constexpr int kFighterSlot = 100;  // player i's fighter stands in slot 100 + i
inline constexpr int kEffectSlotFirst = 108;
inline constexpr int kPillarSlotCount = 8;
// Draws for a cell to raise in one frame before the slot waits for the next.
inline constexpr int kCellDrawsPerFrame = 64;

enum ActorKind : int32_t { kKindPillar = 1, kKindFighter = 2, kKindWeapon = 4, kKindSpark = 8, kKindDust = 16 };
enum EventSound : int { kSndCrowd, kSndPillar, kSndBeep, kSndPill, kSndAnnouncer, kEventSoundCount };

class KickboxingScene {
 public:
  KickboxingScene();
  virtual ~KickboxingScene();
  KickboxingScene(const KickboxingScene&) = delete;
  KickboxingScene& operator=(const KickboxingScene&) = delete;

  // The 100 pillars, in cell order (each draws its picture, 20 or 21, from
  // the shared generator), and the four fighters from the player records.
  void MakePillars();
  void MakeFighters();
  // Deletes every actor (the fighters write their energy back).
  void DeleteActors();

  float GroundHeightAt(float x, float y) const;
  // Mask bit 0 tests the pillars of the pillar slots, bit 1 the fighters;
  // the slot of the first obstacle of the actor in `slot`, or -1.
  int Collide(int slot, int mask) const;
  // The first empty effect slot, -1 when all 92 are taken.
  int FindFreeActorSlot() const;
  // Once a frame before the actors' updates: frees the slots of sunk pillars,
  // raises a new pillar now and then and lets raised ones sink.
  void CyclePillars();
  // Update of every actor in slot order (an actor may delete itself, and
  // one made on the way runs in the same frame when its slot comes later).
  void UpdateActors();
  // Two sparks flying apart along the screen's horizontal.
  void SpawnHitSparks(float x, float y, float z);

  // Drawing of one view into `target` (nothing without one); the caller has
  // set the view's clipper.
  void BuildDrawLists();
  void DrawBackground(int cameraX, int cameraY) const;
  void DrawScene(int cameraX, int cameraY) const;

  KickboxingPillar* Pillar(int cell) const;
  KickboxingFighter* Fighter(int player) const;
  int FighterCount() const;

  // Sounds: nothing happens without a sound manager or a loaded slot.
  void Play(int slot) const;
  bool IsPlaying(int slot) const;
  void PlayUnlessPlaying(int slot) const {
    if (!IsPlaying(slot)) Play(slot);
  }
  void PlayEvent(EventSound s) const { Play(sound[s]); }
  // A fighter's fall or knock-out voice: only one speaks at a time. The
  // channel is kept by frames (the voice's length from its file), so that
  // every machine agrees when it is quiet whatever its sound device does.
  void PlayIfFightersQuiet(int slot, int32_t frames);
  bool VoicesQuiet() const { return playFrame >= voicesQuietFrame; }
  // The crowd's boo as a fighter falls, kept by frames in the same way.
  void BooFall();
  bool CrowdQuiet() const { return playFrame >= crowdQuietFrame; }

  KickboxingActor* actors[kActorSlots] = {};
  int32_t pillarSlots[kPillarSlotCount];
  PtrList backList, middleList, frontList;

  // Pictures (owned by the screen; null ones are not drawn).
  DDSurface* target = nullptr;
  Sprite* misc = nullptr;
  Sprite* tiles = nullptr;
  Sprite* smoke = nullptr;
  Sprite* fighterSprite[4] = {};
  Sprite* weaponSprite[4] = {};
  // Sound slots of the event and the voices' and the boo's lengths in frames.
  int32_t sound[kEventSoundCount] = {-1, -1, -1, -1, -1};
  int32_t crowdFrames = 0;
  bool lowMemory = false;  // the voices are not loaded
  // Play frames since the fight began (1 during the intro).
  int32_t playFrame = 0;
  int32_t voicesQuietFrame = 0;
  int32_t crowdQuietFrame = 0;

 private:
  void InsertByDepth(PtrList& list, int slot, float key, ListPos before) const;
};

}  // namespace kick
