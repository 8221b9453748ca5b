#pragma once
// The small actors of CRAZY CLIMBING: the objects falling from the sky (15
// hazards and 3 pickups), the windows of the building and the flower pots
// on their sills, the explosions where things land, the helicopter that
// fetches the climbers from the roof, the chimney smoke and the weapons the
// climbers throw. Each is a plain class with an update and a draw step; the
// race (ClimbWorld) makes, updates, removes and draws them.
//
// Heights grow upward from the street. Every object but the windows and the
// thrown weapons keeps its height 58 above the climbers' convention: an
// object at y has its centre at climber height y - 58. Sizes come from the
// shared data tables (climbing_data.h), never from the loaded pictures, so a
// missing picture changes nothing but what is drawn.
#include <cstdint>

#include "events/climbing/climb_rules.h"

class Sprite;
class ClimbWorld;

class ClimbFallingObject {
 public:
  // Starts at height 2800 at a random x (one draw).
  ClimbFallingObject(int kind, Sprite* sprite);
  // Falls 10 and steps its frame; ends near the street.
  void Update();
  void Draw(int view) const;
  // Its box in climber heights.
  climbrules::Rect Box() const;
  bool IsPickup() const;

  ClimbWorld* world = nullptr;
  Sprite* sprite = nullptr;
  int32_t x = 0, y = 0;
  int32_t frameW = 0, frameH = 0, halfW = 0, halfH = 0;
  int32_t frame = 1, frameCount = 1;
  climbrules::BoxOffsets box;
  int32_t kind = 0;
  uint8_t claimed = 0;  // a pickup a climber is catching
  uint8_t ended = 0;    // the race removes it with its landing effect
  int32_t hitPoints = 0;
  int32_t fallingSound = -1;
  // Told apart from a later object in the same slot.
  uint32_t serial = 0;
};

class ClimbWindow {
 public:
  // The top-left corner; the picture is chosen by one draw.
  ClimbWindow(int x, int y, Sprite* sprite);
  void Draw(int view) const;

  ClimbWorld* world = nullptr;
  int32_t x = 0, y = 0;
  int32_t frameW = 0, frameH = 0, halfW = 0, halfH = 0;
  int32_t picture = 1;
  Sprite* sprite = nullptr;
  uint8_t potFlag = 0;
};

class ClimbFlowerPot {
 public:
  // Two draws: which pot, then how far right on the sill.
  ClimbFlowerPot(int windowX, int windowY, int windowIndex, Sprite* sprite);
  // One draw every frame: a resting pot starts to fall now and then.
  void Update();
  void Draw(int view) const;
  climbrules::Rect Box() const;

  Sprite* sprite = nullptr;
  ClimbWorld* world = nullptr;
  int32_t x = 0, y = 0;
  int32_t frameW = 0, frameH = 0, halfW = 0, halfH = 0;
  int32_t state = 0;  // 0 on the sill, 1 falling
  int32_t frame = 1;
  int32_t framesPerPot = 4;
  int32_t firstFrame = 1;
  climbrules::BoxOffsets box;
  int32_t windowIndex = 0;
};

class ClimbExplosion {
 public:
  ClimbExplosion(int x, int y, int kind, Sprite* sprite);
  ~ClimbExplosion();
  void Update() { ++frame; }
  bool Done() const { return frame - firstFrame >= frameCount; }
  void Draw(int view) const;

  ClimbWorld* world = nullptr;
  Sprite* sprite = nullptr;
  int32_t x = 0, y = 0;
  int32_t frameW = 0, frameH = 0, halfW = 0, halfH = 0;
  int32_t frame = 1, firstFrame = 1, frameCount = 1;
};

// Helicopter states.
enum : int32_t { kHeliHovering = 0, kHeliDescending = 1, kHeliRising = 2, kHeliGone = 3 };

class ClimbHelicopter {
 public:
  // Comes down over the climber at x (its ladder at the climber); starts its
  // loop, silent, through the world.
  ClimbHelicopter(int climberX, Sprite* sprite, ClimbWorld* world);
  void Update();
  void Draw(int view) const;

  Sprite* sprite = nullptr;
  ClimbWorld* world = nullptr;
  int32_t x = 0, y = 0;
  int32_t frameW = 0, frameH = 0, halfW = 0, halfH = 0;
  int32_t state = kHeliDescending;
  int32_t frame = 1, frameCount = 1, firstFrame = 1;
  int32_t hoverCounter = 0;
};

class ClimbChimneySmoke {
 public:
  explicit ClimbChimneySmoke(Sprite* sprite);
  void Update();
  void Draw(int view) const;

  Sprite* sprite = nullptr;
  ClimbWorld* world = nullptr;
  int32_t x = 150, y = 2561;
  int32_t frameW = 0, frameH = 0, halfW = 0, halfH = 0;
  int32_t frame = 1, frameCount = 1, firstFrame = 1;
};

class ClimbWeapon {
 public:
  // Starts at (x, y) in climber heights, flying in direction 0..6 (0 up,
  // then clockwise to 6 up-left). `thrower` is the player index; the
  // thrower's character picks the box.
  ClimbWeapon(int x, int y, int direction, int character, Sprite* sprite, int power, int thrower = -1);
  // False once it has ended (left the field, struck a climber or an object).
  bool Update();
  void Draw(int view) const;
  climbrules::Rect Box() const { return climbrules::BoxAt(box, x, y); }

  Sprite* sprite = nullptr;
  ClimbWorld* world = nullptr;
  int32_t x = 0, y = 0;
  int32_t frameW = 0, frameH = 0, halfW = 0, halfH = 0;
  int32_t direction = 0;
  int32_t character = 0;
  int32_t power = 0;
  int32_t frame = 1, framesPerDirection = 5, firstFrame = 1;
  climbrules::BoxOffsets box;
  int32_t thrower = -1;
};

// Draws frame n of a sprite for something centred at world (x, rowTop) in
// view v: the row is already a screen row; the column is a world x that
// the view's scroll moves. `halfW` and `frameH` cull what lies outside the
// view. Shared by every actor.
void DrawInClimbView(const ClimbWorld& world, int view, Sprite* sprite, int frame, int left, int top, int frameW,
                int frameH);
