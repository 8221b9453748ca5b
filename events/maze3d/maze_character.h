#pragma once
// The 3D MAZE characters: one per player slot, built by the athlete's
// championship character. A character turns its player's input bytes (a
// person's exchanged input, or the auto-pilot's simulated keys) into turns,
// walks, attacks, throws and power pills, plays its animations and sounds,
// regains energy and runs the reactions hits cause; it writes the weapon
// units, pills and energy back into the player record when it is deleted.
//
// The six families share this one design and differ only in data (files,
// pose counts, timings, body size, which victims show the second hit
// reaction) and in a few rules, all in MazeFamily. Everything a character
// changes in the game lives in the world records (g_mazePlayers,
// g_mazeRunners, g_mazeObjects, the HUD's counters) and in the character's
// own few fields, which the screens fold into their sync check.
#include <cstdint>
#include <memory>

#include "events/maze3d/rc_world.h"

class MazeAutoPilot;

// What tells one family from another. Indexed by the maze's own family
// number (kind: 0 RADEROZI, 1 RIZAZ, 2 RAREZ VUDA, 3 ZARU, 4 RAZIRAZO, 5 ZOVI).
struct MazeFamily {
  int character;        // the championship character (0 RIZAZ .. 5 ZOVI)
  int colourOffset;     // the runner's automap colour within the band
  int radiusSplit, radiusSingle;
  int attack1At, attack2At;  // frame of the hit probe and the attack sound
  int throwAt;               // frame the weapon leaves the hand
  int downSoundAt;
  int shotStep;              // first flight of the thrown weapon
  bool turnBeforeMove;       // accelerated turning before the walk starts
  bool attacksOutOfWalking;  // may start an attack or throw while walking
  bool getUpByTwo;           // getting up shows every second pose
  bool recoversWhileHit;     // hit reaction adds 3 a frame instead of 20 at its end
  bool bothForKnockDown;     // first attack knocks down only at 0 energy and recovery 25
  // By attack (0 first, 1 second) and victim kind: 'A' hit reaction,
  // 'B' second hit reaction, '-' no damage.
  const char* victims[2];
  // Reaction sounds of the hits: 0 reaction 1 / 2 by attack; 1 RIZAZ (reaction 1
  // only when silent; the second attack's B plays reaction 2); 2 RAZIRAZO
  // (first attack: reaction 1 only when silent).
  int reactionSoundRule;
};
const MazeFamily& MazeFamilyOfKind(int kind);
// The family of a championship character (out-of-range numbers are taken as 0).
int MazeKindOfCharacter(int character);

// Hit reaction kinds of MazeFamily::victims.
inline constexpr char kVictimReacts = 'A', kVictimReacts2 = 'B', kVictimUntouched = '-';

// Energy a hit of a player with `strength` takes from one with `endurance`,
// 16.16; never negative (both are taken within 0..100).
int32_t MazeHitDamage(int32_t strength, int32_t endurance);
// The energy bar's length of a 16.16 energy, 0..60.
int32_t MazeEnergyBar(int32_t energy);
// Energy left after losing `damage`: below about 1.67 it counts as none.
int32_t MazeEnergyAfterHit(int32_t energy, int32_t damage);

class MazeCharacter {
 public:
  // Builds the character of player slot `index` from g_players[index]:
  // loads its pictures, sounds and weapon, and moves its colours into the
  // slot's palette band (light mode from g_mazeRoundState). When a file it
  // needs is missing, loaded() is false and the screen ends the event.
  MazeCharacter(int index, int kind);
  virtual ~MazeCharacter();
  MazeCharacter(const MazeCharacter&) = delete;
  MazeCharacter& operator=(const MazeCharacter&) = delete;

  // One frame (only after SetFrameRate).
  virtual void Update();
  // The per-frame motion constants for a game run at `rate` frames a second.
  virtual void SetFrameRate(uint16_t rate);
  // Hands the character to the auto-pilot when its player's machine left.
  void TakeOverByComputer();

  // The attacks' effects on a player slot 0..3 or a monster's object 36..63.
  void HitWithAttack1(int target);
  void HitWithAttack2(int target);

  bool loaded() const { return loaded_; }
  int index() const { return index_; }
  const MazeFamily& family() const { return *family_; }
  const MazeAutoPilot* autoPilot() const { return autoPilot_.get(); }
  uint16_t itemMode() const { return itemMode_; }
  int32_t maxSpeed() const { return int32_t(maxSpeed_ >> 16); }
  int32_t damageTo(int j) const { return damage_[j & 3]; }
  uint32_t pillStartFrame() const { return pillStartFrame_; }
  // The fields that change in play, for the sync check.
  uint32_t SyncWord() const;

  // Writes the units, pills and energy back into g_players (clamped to
  // their ranges); the destructor does it once more.
  void WriteBack() const;

 protected:
  bool LoadFaceAndWeapon(const char* dataDir);
  bool LoadColours(const char* dataDir);
  void LoadSounds();
  void PlaySound(int which, bool unlessPlaying = false) const;
  void PlayVictimSound(int victim, int which, bool unlessPlaying) const;
  uint32_t Move();
  uint32_t MoveBackwards();
  void FixedTurn();
  void AcceleratedTurn();
  void GrowSpeed();
  void GainEnergy(int32_t amount);
  void EndAction();
  void StartAction(int action, int poseSlot);
  void StartAttack();
  void StartThrow();
  void TakeInput();
  void RunAction();
  void Walk();
  void WalkBackwards();
  void HitProbe(int attack);
  void LaunchShot();
  void Hit(int target, int attack);
  void SelectAfterEmpty();

  int index_;
  const MazeFamily* family_;
  MazePlayerRecord* player_;
  MazeRunnerRecord* runner_;
  bool loaded_ = false;
  uint16_t itemMode_ = 1;
  uint32_t speedStep_ = 0, speed_ = 0, maxSpeed_ = 0;
  int32_t maxTurnRate_ = 0, turnStep_ = 0, turnRate_ = 0;
  int16_t fixedTurn_ = 0;
  int16_t pillSpeedBonus_ = 0;
  int32_t comboCount_ = 0;
  int32_t damage_[4] = {};
  uint32_t pillStartFrame_ = 0;
  int32_t selectHeld_ = 0;
  int32_t endurance_ = 0;
  int32_t speedStat_ = 0;
  std::unique_ptr<MazeAutoPilot> autoPilot_;
  uint8_t* weaponBlock_ = nullptr;
  uint8_t* spriteBlock_ = nullptr;
};

// The six families, one class each as the screens create them by the
// athlete's championship character.
class RizazMazeCharacter : public MazeCharacter {
 public:
  explicit RizazMazeCharacter(int index) : MazeCharacter(index, 1) {}
};
class RarezVudaMazeCharacter : public MazeCharacter {
 public:
  explicit RarezVudaMazeCharacter(int index) : MazeCharacter(index, 2) {}
};
class BuffMazeCharacter : public MazeCharacter {
 public:
  explicit BuffMazeCharacter(int index) : MazeCharacter(index, 3) {}
};
class RazirazoMazeCharacter : public MazeCharacter {
 public:
  explicit RazirazoMazeCharacter(int index) : MazeCharacter(index, 4) {}
};
class RaderoziMazeCharacter : public MazeCharacter {
 public:
  explicit RaderoziMazeCharacter(int index) : MazeCharacter(index, 0) {}
};
class ZoviMazeCharacter : public MazeCharacter {
 public:
  explicit ZoviMazeCharacter(int index) : MazeCharacter(index, 5) {}
};

// The character class of a championship character (0 RIZAZ .. 5 ZOVI) for
// player slot `index`.
MazeCharacter* MakeMazeCharacter(int character, int index);

// Sound slots of the event (-1 for none), for the characters and objects.
struct MazeEventSounds {
  int32_t announce = -1, roar = -1, regen = -1, destroy = -1, shoot = -1, rockHit = -1, pill = -1;
};
extern MazeEventSounds g_mazeEventSounds;
// Plays a slot from its start when it is one (no loop, everything else as it is).
void MazePlaySlot(int32_t slot);
bool MazeSlotPlaying(int32_t slot);
