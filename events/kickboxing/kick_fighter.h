#pragma once
// The athlete of one player in PLATFORM KICKBOXING: walks over the pillars,
// climbs low steps and drops down high ones, punches, kicks and throws its
// weapon, takes power pills, is knocked flying and falls off the edge. A
// person's fighter follows its player's exchanged input; a computer player's
// steers itself. It keeps the player's points of the event and its energy,
// which goes back into the record when the fighter is deleted.
#include <cstdint>

#include "base/geometry.h"
#include "events/kickboxing/kick_actors.h"

namespace kick {

// Per character: where the thrown weapon leaves the hand (the throw's step)
// and how high above the fighter it starts.
inline constexpr int kReleaseStep[6] = {3, 6, 4, 4, 6, 0};
inline constexpr float kWeaponStartHeight[6] = {60, 42, 64, 47, 28, 298};

enum FighterSound : int { kSndAttack, kSndHurt, kSndHurtHard, kSndThrow, kFighterSoundCount };

class KickboxingFighter : public KickboxingActor {
 public:
  // Player 0..3 in slot 100 + player, at its corner of the platform facing
  // the middle, with the record's energy; loads its four sounds.
  KickboxingFighter(KickboxingScene* event, int player);
  ~KickboxingFighter() override;
  void Update() override;

  // What the action button does with the current item.
  void StartAction();
  // The first other fighter (in player order) not lying that the strike
  // point 20 ahead reaches, at the same height or up to 50 above; -1.
  int FindMeleeTarget() const;
  int DirectionTo(float px, float py) const { return kick::DirectionTo(px - x, py - y); }
  int WalkStep() const;
  // Stands on the highest ground under the fighter's four corners (steps up
  // at once) or falls 12 a frame towards it.
  void FollowGround(float px, float py);
  // The picture of the state's step in the facing's row.
  int AnimFrameNow() const;
  bool IsHuman() const;
  int Character() const { return character; }

  int32_t score = 0;
  uint8_t powerLevel = 1;
  uint8_t powerTimer = 0;
  int32_t knockOutVoice[3] = {-1, -1, -1};
  int32_t fallVoice = -1;
  int32_t knockOutVoiceFrames[3] = {0, 0, 0};
  int32_t fallVoiceFrames = 0;
  int32_t player;
  int32_t item = kFists;
  Point2f wander{-1, -1};
  int32_t plan = -1;
  int32_t target = 0;
  Point2f goal{0, 0};
  int32_t currentFacing = -1, previousFacing = -1;
  int32_t lastAttack = 0;
  int32_t framesSinceAttack = 30;
  int32_t standingCell = -1;
  int32_t sounds[kFighterSoundCount] = {-1, -1, -1, -1};
  int32_t character = 0;

 private:
  struct Control {
    int direction = -1;
    uint8_t action = 0;  // the action byte: held << 7 | presses
  };
  Control Steer();
  void OnObstacle(int obstacle);
  void RunState(const Control& c);
  void MeleeHit(int victim);
  void Stand() {
    state = kStanding;
    step = 0;
  }
  int Length() const;
  bool Ended() const { return step >= Length(); }
  bool computerThisFrame_ = false;
};

}  // namespace kick
