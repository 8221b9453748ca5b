#pragma once
// The JAVELIN CATCH field without a screen: the table of 150 object slots
// (contestants in 0..3, thrown weapons from 4, what the cannon fires and the
// explosions from 8), the cannon, and every object's two steps a frame, its
// Interact and its Update, run over the table in slot order. The objects
// are plain records: one that ends empties its own slot, one that turns
// into another (a bomb into its explosion) is rewritten in place, and a
// pass reads each slot only when it reaches it.
//
// The contestants' energy, weapon units, power pills and money are those of
// g_players, which the field changes as it goes (kept in their ranges);
// people steer through g_playerStates, the computer through its own choices
// (ChooseDirection), and random numbers come from base/random.h only, so
// that every machine of a network game computes the same field. Tests build
// a world, make its contestants and run frames on it without any screen,
// picture or sound.
#include <cstdint>

#include "events/javelin_catch/jc_rules.h"
#include "events/javelin_catch/jcd_file.h"

namespace jc {

enum ObjectClass : int32_t { kEmpty = 0, kContestant = 1, kFalling = 2, kExplosion = 3, kWeapon = 4 };
// What the drawing order and the computer look at.
enum ObjectType : int32_t { kTypePlain = 0, kTypeFalling = 1, kTypeBlast = 2, kTypeFire = 3 };
enum ContestantState : int32_t { kStanding = 0, kWalking = 1, kActing = 2, kReeling = 3, kCatching = 4 };
// What the action button does.
enum Mode : int32_t { kModeHand = 5, kModeSecond = 6, kModeWeapon = 7, kModePill = 10 };
enum Reaction : int32_t { kNoReaction = -1, kKnockedOut = 1, kGettingUp = 2, kLightHit = 3, kHeavyHit = 4 };
// The picture an object draws: a contestant's (0..3), a thrower's weapon
// (4..7) or the objects picture.
enum PictureRef : int32_t { kNoPicture = -1, kPictureContestant = 0, kPictureWeapon = 4, kPictureObjects = 8, kPictures = 9 };
inline constexpr int kZoviCharacter = 5;
inline constexpr int32_t kPillFrames = 225;

struct JcObject {
  int32_t cls = kEmpty;
  int32_t slot = 0;
  int32_t type = kTypePlain;
  int32_t x = 0, y = 0, z = 0;
  int32_t direction = 0;
  int32_t screenX = 0, screenY = 0;
  int32_t anchorX = 0, anchorY = 0;
  int32_t frame = 1;
  int32_t drawable = 0;
  int32_t picture = kNoPicture;
  int32_t speed = 0;
  int32_t holdCount = 0;
  int32_t computerTarget = 0;  // the rival a computer means to throw at, + 1
  int32_t mode = 0;
  int32_t frames = 0;  // of the running animation (a contestant's per direction)
  int32_t state = 0;
  int32_t tick = 0;
  int32_t starCounter = 0;
  int32_t weaponInFlight = 0;
  int32_t reaction = kNoReaction;
  int32_t bombHit = 0;
  int32_t playerOrKind = 0;  // a contestant's or thrower's player, a falling object's kind
  int32_t maxEnergy = 0;
  int32_t regeneration = 0;
  uint8_t flee = 0, bounce = 0, caught = 0;
  int32_t lastInput = kNoDirection;
  uint8_t pillSelected = 0, speedMultiplier = 1, pillTimer = 0;
  int32_t firstFrame = 0;  // of a falling object's, explosion's or weapon's animation
  int32_t phase = 0;       // of an explosion
  int32_t confined = 0;    // kept on the field (contestants)

  // A step of `distance` (times the speed multiplier); a confined object
  // that meets the field's edge stops there with a bounce turn of 4.
  void Step(int direction, int32_t distance);
  void ProjectToScreen();
};

// What a contestant has beyond its object.
struct ContestantData {
  JcdData data;
  int32_t character = 0;
  int32_t score = 0;  // javelins caught
  int32_t starFrame = 0;
  int32_t idleStep = 1;
  uint8_t computerAction = 0;  // the computer's action button, held (0x80) or not
};

enum EventSound : int {
  kSndBomb,
  kSndJuice,
  kSndCannon,
  kSndFall,
  kSndBeep,
  kSndAmmunition,
  kSndMoney,
  kSndPill,
  kSndCheer,
  kSndBoo,
  kSndCrowd,
  kSndAnnouncer,
  kEventSounds
};
enum Voice : int {
  kVoiceReact1,
  kVoiceReact2,
  kVoiceThrow,
  kVoiceAttack,
  kVoiceWeapon,
  kVoiceBomb1,  // .. 3
  kVoiceJavelin1 = kVoiceBomb1 + 3,  // .. 3
  kVoices = kVoiceJavelin1 + 3
};

// Where the field's sounds go (the screen plays them; tests leave them out).
// Sounds never decide anything on the field.
class JcSounds {
 public:
  virtual ~JcSounds() = default;
  virtual void Play(int sound) { (void)sound; }
  virtual void PlayVoice(int player, int voice) { (void)player, (void)voice; }
  // The voice unless it is playing already (ZOVI's ship hums while it flies).
  virtual void KeepVoicePlaying(int player, int voice) { (void)player, (void)voice; }
  // A bomb or javelin call, unless some contestant is calling one already.
  virtual void PlayCallIfQuiet(int player, int voice) { (void)player, (void)voice; }
};

class JcWorld {
 public:
  JcObject objects[kSlots];
  ContestantData contestant[4];
  Cannon cannon;
  int32_t frameCounter = 0;
  uint8_t computer = 0;  // a bit a player: steered by the computer
  JcSounds* sounds = nullptr;

  // Contestant p at its corner, facing 1, with its character's data.
  void MakeContestant(int p, int character, const JcdData& data);
  bool IsComputer(int p) const { return (computer >> p) & 1; }
  JcObject* Contestant(int p) { return (p >= 0 && p < 4 && objects[p].cls == kContestant) ? &objects[p] : nullptr; }
  const JcObject* Contestant(int p) const {
    return (p >= 0 && p < 4 && objects[p].cls == kContestant) ? &objects[p] : nullptr;
  }
  int32_t MaxEnergy(int p) const;

  // One play frame of the field: every object's Interact in slot order,
  // then every Update, then the cannon (which may fire).
  void PlayFrame();
  void StepObjects();
  void StepCannon();
  // The cannon's shot: a random kind at a random place into the first free
  // slot from 8; -1 (and no random numbers drawn) when the table is full.
  int SpawnFallingObject();

  // The slots to draw, back to front.
  int BuildDrawList(int32_t out[kSlots]) const;
  // A digest of what moves: positions, energies, scores, states, the
  // objects, the cannon and the random generator.
  int32_t SyncValue() const;

  // The objects' steps and what they call on each other.
  void Interact(int slot);
  void Update(int slot);
  void ContestantInteract(int p);
  void ContestantUpdate(int p);
  int ChooseDirection(int p);
  void TakeHit(int p, int attacker, int32_t power);
  int TryCatch(int p);
  int FindNearestFallingObject(int p) const;
  int FindOpponentInReach(int p) const;
  int FindBlockingContestant(int p, int direction) const;
  void Move(int p, int direction, bool walking);

  int FreeSlot(int from) const;
  void PutFalling(int slot, int kind, int32_t x, int32_t y);
  void PutExplosion(int slot, int32_t x, int32_t y);
  void PutWeapon(int slot, int player, int32_t x, int32_t y, int direction, int32_t anchorX, int32_t anchorY);
  void Clear(int slot) { objects[slot] = JcObject{}; }

 private:
  void FallingUpdate(int slot);
  void ExplosionUpdate(int slot);
  void WeaponUpdate(int slot);
  void WeaponInteract(int slot);
  void InputOf(int p, uint8_t out[10]) const;
  void Play(int sound) {
    if (sounds) sounds->Play(sound);
  }
  void Voice(int p, int voice) {
    if (sounds) sounds->PlayVoice(p, voice);
  }
  void StandStill(JcObject& c, int p);
};

}  // namespace jc
