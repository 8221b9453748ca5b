#pragma once
// The objects of the PLATFORM KICKBOXING scene: the common base, the pillars,
// and the short-lived hit sparks, dust clouds and thrown weapons. Each lives
// in a slot of the scene's table; its destructor clears the slot, and an
// effect that is over deletes itself during its own Update.
#include <cstdint>

#include "events/kickboxing/kick_scene.h"

class Sprite;

namespace kick {

class KickboxingActor {
 public:
  KickboxingActor(KickboxingScene* event, int slot);
  virtual ~KickboxingActor();
  KickboxingActor(const KickboxingActor&) = delete;
  KickboxingActor& operator=(const KickboxingActor&) = delete;

  // Base: projects the position to the screen.
  virtual void Update();
  // Base: the current frame at the projected point less the hot spot.
  virtual void Draw(int cameraX, int cameraY) const;
  void Move(int direction, double distance) { MoveInDirection(&x, &y, direction, distance); }
  void Project();

  float x = 0, y = 0, z = 0;
  uint8_t facing = 0;
  uint8_t state = 0;
  uint8_t step = 0;
  uint8_t flightDirection = 0, flightSpeed = 0;
  // A blow changes its victim only through this record, taken over at the
  // start of the victim's next update (state -1: none).
  struct PendingHit {
    float x = 0, y = 0, z = 0;
    uint8_t facing = 0;
    int8_t state = -1;
    uint8_t step = 0;
    uint8_t flightDirection = 0, flightSpeed = 0;
  } pending;
  int32_t slot;
  int32_t lastHitter = -1;
  int32_t screenX = 0, screenY = 0;
  int32_t hotX = 0, hotY = 0;
  float energy = 0;
  float radius = 0;
  Sprite* sprite = nullptr;
  KickboxingScene* event;
  int32_t frame = 0;
  int32_t kind = 0;
};

// One pillar of the platform: 0 up (z 100), 1 rising, 2 sinking, 3 down
// (z 0, the start).
class KickboxingPillar : public KickboxingActor {
 public:
  KickboxingPillar(KickboxingScene* event, int cell);
  void Update() override;
  // The part above the floor, and the front neighbours' top faces again.
  void Draw(int cameraX, int cameraY) const override;
  // Mode 0: the part above the floor alone; 2 the right half of the top
  // face; 3 its left half.
  void DrawPart(int cameraX, int cameraY, int mode) const;
  int Cell() const { return slot; }
};

class KickboxingHitSpark : public KickboxingActor {
 public:
  KickboxingHitSpark(KickboxingScene* event, int slot);
  void Update() override;
  void Draw(int cameraX, int cameraY) const override;
  float vx = 0, vy = 0, vz = 0;
};

class KickboxingDustCloud : public KickboxingActor {
 public:
  KickboxingDustCloud(KickboxingScene* event, int slot);
  void Update() override;
};

// A thrown weapon: flies straight on (ZOVI's ship first comes down from high
// above) and hits the first fighter or raised pillar in its way.
class KickboxingWeapon : public KickboxingActor {
 public:
  KickboxingWeapon(KickboxingScene* event, int slot, int player, int character);
  void Update() override;
  int32_t thrower;
  int32_t character;
};

}  // namespace kick
