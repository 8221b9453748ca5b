#pragma once
// One of the four contestants of TROUBLED WATERS. It swims through the maze
// with integer velocities built up by its player's direction input (a
// computer player writes that input itself from the route cells), bumps
// against walls, breathes air it refills at the pumps, throws its weapon,
// takes power pills and is stunned by the creatures. From x + half width
// 10000 on it has reached the exit and drifts to a spot by its place.
#include <cstdint>

#include "events/troubled_waters/swim_data.h"
#include "events/troubled_waters/swim_world.h"

class Sprite;

namespace swim {

enum SwimmerState : int32_t { kFloating = 0, kSwimming = 1, kShocked = 2, kStung = 3, kAtPump = 4, kBumped = 5 };
enum SwimmerSound : int {
  kVoiceShark1, kVoiceShark2, kVoiceAir1, kVoiceAir2, kVoiceAir3, kVoiceFinish,  // the voices
  kSndReaction, kSndBreath, kSndThrow, kSndWeapon, kSwimmerSoundCount
};

class Swimmer {
 public:
  // Sizes from the sheet's frame 1 (the data set's size without a sheet).
  Swimmer(int player, SwimWorld* world, Sprite* sprite, const SwimmerData& data);
  virtual ~Swimmer() = default;
  virtual void Update();
  virtual void Draw();

  int32_t BodyX() const { return trail[3][0]; }
  int32_t BodyY() const { return trail[3][1]; }
  bool Finished() const;
  int Mood() const;

  int32_t firstFrame[10];
  int32_t count[10];
  SwimWorld* world;
  int32_t sound[kSwimmerSoundCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  int32_t facingX = 0, facingY = 0;
  int32_t turning = 0;
  int32_t state = kFloating;
  int32_t lastFacingX = 0, lastFacingY = 0;
  int32_t previousState = 0;
  int32_t previousFacingX = 0, previousFacingY = 0;
  int32_t x = 200, y;
  int32_t width, height, halfWidth, halfHeight;
  int32_t frame, animLength, animFirst;
  int32_t throwCooldown = 0;
  int32_t fireMode = 0;
  int32_t pillTime = 0;
  int32_t stun = 0;
  int32_t bumpedThisFrame = 0;
  int32_t vx = 0, vy = 0;
  int32_t framesSinceH = 0, framesSinceV = 0;
  int32_t trail[4][2];
  int32_t chasers[3] = {0, 0, 0};
  Sprite* sprite;
  int32_t player;
  int32_t air = 50000;
  int32_t airLoss, speedStep, energyCap, refill;
  int32_t bumpAnimation = 0;
  int32_t energyCounter = 0;
  int32_t moodYLimit;

  // Puts the swimmer at (x, y) with its trail there.
  void PlaceAt(int32_t px, int32_t py);
  void Animate(int fx, int fy, int s);
  int ChooseDetour();
  void HitWall(int k);

 private:
  void FinishedUpdate();
  void StunnedUpdate();
  void Steer();
  bool IsHuman() const;
  uint8_t* Input() const;
  const MazeGrid& Maze() const { return *world->maze; }
  bool Water(int r, int c) const { return Maze().Water(r, c); }
  bool Route(int r, int c) const { return IsRouteCode(Maze().At(r, c)); }
  int TryUp(int c, int side, int rt);
  int TryDown(int c, int side, int rb);
  int TryLeft(int r, int cl);
  int TryRight(int r, int cr);
  AirPump* NearPump() const;
};

}  // namespace swim
