#pragma once
// The creatures, pumps, decorations, flag and thrown weapons of TROUBLED
// WATERS.
#include <cstdint>

#include "events/troubled_waters/swim_rules.h"
#include "events/troubled_waters/swim_world.h"

class Sprite;

namespace swim {

// A shark, and the base of the eel and the jellyfish. Headings: 1 right, -1
// left, 0 turning from right to left, -2 from left to right, 2 biting to the
// right, -3 to the left.
class SeaCreature {
 public:
  SeaCreature(int kind, SwimWorld* world, Sprite* sprite, int32_t x, int32_t y);
  virtual ~SeaCreature() = default;
  void Update();
  // The animation and the stars' countdown, once a race frame after Update.
  void Animate();
  void Draw();
  int ProbeWalls();
  int TryBite(int swimmer);

  SwimWorld* world;
  int32_t distance[4] = {10100, 10100, 10100, 10100};
  int32_t target = -1, targetDistance = 0;
  int32_t kind;
  int32_t x, y;
  int32_t heading = -1;
  int32_t cooldown = 0;
  int32_t bobStep = 2, bobCounter = 0;
  int32_t dx = 0, dy = 0;
  int32_t starFrame = 0, starCountdown = 0;
  int32_t width, height, halfWidth, halfHeight;
  int32_t frame;
  // First frames and counts: swimming right, left, turning to the left, to
  // the right, biting right, left.
  int32_t first[6];
  int32_t count[6];
  Sprite* sprite;
  int32_t hit[4];  // left, top, right, bottom from the frame's top-left

 private:
  int32_t MouthX(int reach) const;
};

class AirPump {
 public:
  AirPump(SwimWorld* world, Sprite* sprite, int32_t x, int32_t y, int32_t frame);
  void Animate();
  void Draw();
  SwimWorld* world;
  int32_t x, y, width, height, halfWidth, halfHeight, frame;
  Sprite* sprite;
};

class SwimMazeObject {
 public:
  SwimMazeObject(SwimWorld* world, Sprite* sprite, int32_t x, int32_t y, int32_t kind);
  void Draw();
  bool IsWeed() const { return kind >= 14; }
  SwimWorld* world;
  int32_t kind, x, y, width, height, halfWidth, halfHeight, frame, frameCount, firstFrame;
  Sprite* sprite;
};

class SwimFlag {
 public:
  SwimFlag(SwimWorld* world, Sprite* sprite, int32_t frame);
  void Update();
  void Draw();
  static constexpr int32_t kX = 9900;
  SwimWorld* world;
  int32_t y = 0, bobStep = 2, bobCounter = 5;
  int32_t width, height, halfWidth, halfHeight, frame;
  Sprite* sprite;
};

class SwimWeapon {
 public:
  // Made in a free slot of the world's table; the slot is cleared again when
  // the weapon is deleted.
  SwimWeapon(SwimWorld* world, int32_t x, int32_t y, int direction, int owner, int slot);
  ~SwimWeapon();
  void Draw();
  // Moves and tests; deletes the weapon (this) when it hits or ends.
  void Update();

  SwimWorld* world;
  int32_t owner, slot, x, y, direction, dx, dy;
  int32_t width, height, halfWidth, halfHeight;
  int32_t frame, endFrame, run = 5;
  Sprite* sprite;
};

}  // namespace swim
