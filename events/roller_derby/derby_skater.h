#pragma once
// One athlete on skates: pushes along in strides that cost energy, steers,
// slows, runs up and down the slopes, bumps into the other skaters and slides
// along the walls, counts laps, punches, throws his weapon, takes power
// pills, is hit and falls. A person steers through his exchanged input; the
// computer (and everyone once he has finished) through ComputerControl,
// which follows a racing line, slows in the turns, steers past what is
// ahead and attacks. Shown as a 16 x 16 decal redrawn each view from the
// character's eight-direction sheet.
#include <cstdint>

#include "events/roller_derby/derby_objects.h"

namespace derby {

// The ten control flags of a frame.
struct ControlFlags {
  bool accelerate = false, brake = false, left = false, right = false, use = false, cycle = false;
  bool selectAttack = false, selectWeapon = false, selectPill = false, spare = false;
};
// A person's flags from his input state (held << 7 | presses per action):
// up accelerates, down brakes, left and right steer, fire 1 uses the item,
// a press of fire 2 cycles it, fires 3..5 pick attack, weapon or pill.
ControlFlags FlagsFromInput(const uint8_t state[10]);

class DerbySkater : public DerbyObject {
 public:
  // A skater of the given decal size, drawn from a square picture of
  // `pictureSize` pixels in `palette`.
  DerbySkater(DerbyWorld* world, float decalWidth, float decalHeight, int pictureSize, int pictureHeight,
              const PaletteEntry* palette);
  ~DerbySkater() override;

  void Update(DerbyObject** objects) override;
  void Place(DerbyObject** objects, int viewer) override;

  void ComputerControl(ControlFlags* flags);
  void UseItem();
  void StopVoice();
  // Skater in objects[j] is within reach of a punch and standing.
  bool CanHit(int j) const;
  void React(int fall, int stars);
  void LoseEnergy(int32_t amount);
  float TurnRate() const;
  float TrackHeading() const;
  int LaneCode() const;
  void UpdateQuarter();
  // The nearest thing ahead (-1 none) and the window of heading error it blocks.
  void FindObstacle(int* entry, float* low, float* high) const;

  int Player() const { return objectIndex - kFirstSkaterSlot; }
  // The piece the track sense works on: the current one, or the last one
  // the skater was on while he is on none.
  int SensePiece() const { return pieceIndex < kPieces ? pieceIndex : lastPiece; }

  float speed = 0.0f;
  int32_t character = 0;
  int32_t energyBeforeHit = 0;
  int32_t voiceAttack1 = -1, voiceAttack2 = -1, voiceReact1 = -1, voiceReact2 = -1, voiceWeapon = -1;
  float lastX = 0.0f, lastZ = 0.0f;
  int32_t lineVoice = -1;
  int32_t leadVoices[2] = {-1, -1};
  int32_t quarter = 0;
  int32_t progress = 0;
  int32_t avoidMode = 0, avoidCountdown = 0;
  float avoidHeading = 0.0f;
  int32_t finishedFrames = 0;
  int32_t lastPiece = 0;

 private:
  const derbyassets::Animation& AnimationOf(int s) const;
  void Move(DerbyObject** objects, Point2f start, bool accelerating);
};

}  // namespace derby
