#pragma once
// The actors of FULL CONTACT FIGURE SKATING: the four skaters (actor slots
// 0..3, slot i the skater of player i) and their thrown weapons (slots
// 4..99). The screen runs every actor in table order twice a frame, first
// PreUpdate (a skater reads its controls, a weapon strikes), then Update, and
// draws them in its own order. Only those two calls change an actor; Draw
// reads it.
#include <cstdint>

#include "events/figure_skating/skating_rules.h"
#include "events/figure_skating/skd_file.h"

class DDSurface;
class FigureSkatingEvent;
class Sprite;

inline constexpr int kSkatingActorSlots = 100;
inline constexpr int kFirstWeaponSlot = 4;

// Skater states and fall statuses.
enum SkaterState : int { kSkSteer = 0, kSkGlide = 1, kSkAttack = 2, kSkDown = 3, kSkJump = 4 };
enum FallStatus : int { kOnFeet = -1, kLying = 1, kRising = 2, kStaggering = 3 };
// Selected actions.
enum SkaterAction : int { kSelAttack = 4, kSelThrow = 6, kSelPill = 7, kSelJump = 8 };
// Sound slots of a skater, in the order of its six files.
enum SkaterSound : int { kSndBlow = 0, kSndFall = 1, kSndThrow = 2, kSndAttack = 3, kSndWeapon = 4, kSndUnused = 5 };

inline constexpr int kCharRaderozi = 4;
inline constexpr int kCharZovi = 5;
// Frames of a power pill.
inline constexpr int kPillFrames = 225;

class SkatingActor {
 public:
  explicit SkatingActor(FigureSkatingEvent* event);
  virtual ~SkatingActor() = default;
  SkatingActor(const SkatingActor&) = delete;
  SkatingActor& operator=(const SkatingActor&) = delete;

  // One straight step with the rink's limits (none for a weapon).
  virtual void Move(int direction, int distance);
  virtual void Update(SkatingActor** table) { UpdateScreenPosition(); }
  virtual void PreUpdate(SkatingActor** table) = 0;
  virtual void Draw(DDSurface* target, int scrollX, int scrollY, int originX, int originY) const;
  virtual bool IsSkater() const { return false; }

  void UpdateScreenPosition();

  FigureSkatingEvent* event;
  int32_t tableSlot = 0;  // a weapon's own slot; 0 for a skater
  int32_t x = 0, y = 0, z = 0;
  int32_t direction = 0;  // the facing
  int32_t screenX = 0, screenY = 0;
  int32_t anchorX = 0, anchorY = 0;
  int32_t frame = 1;
  int32_t positioned = 0;
  Sprite* sprite = nullptr;
  int32_t topSpeed = 0;
  int32_t state = 0;
  int32_t step = 0;
  int32_t player = 0;
  uint8_t edge = 0;
  uint8_t pillSelected = 0;
  uint8_t speedMultiplier = 1;
  uint8_t pillTimer = 0;
};

class Skater : public SkatingActor {
 public:
  // The skater of player 0..3 in its corner, with its character's data.
  Skater(FigureSkatingEvent* event, int player);
  ~Skater() override;

  // The momentum step: one rink step for every direction that has speed.
  void Move(int direction, int distance) override;
  void Update(SkatingActor** table) override;
  void PreUpdate(SkatingActor** table) override { ReadControls(table); }
  void Draw(DDSurface* target, int scrollX, int scrollY, int originX, int originY) const override;
  bool IsSkater() const override { return true; }

  void ReadControls(SkatingActor** table);
  void StartJump();
  int ChooseComputerDirection(SkatingActor** table);
  // Struck by player `attacker` with `strength`.
  void TakeHit(int attacker, int strength, SkatingActor** table);
  int FindTargetInFront(SkatingActor** table) const;
  int FindBlockingSkater(SkatingActor** table) const;
  // A fall at the boards (A) or in a jump or by a ram (B).
  void FallA();
  void FallB();

  // The data the skater plays by (from its .skd file, or its character's
  // built-in values when the file is refused).
  void SetData(const SkaterData& data);
  const SkaterData& Data() const { return data_; }
  int Character() const { return character_; }
  bool IsHuman() const;
  // Whether the skater is down and flat on the ice.
  bool IsLying() const { return fallStatus == kLying; }
  int Energy() const;
  void AddEnergy(int delta);
  int SoundSlot(int i) const { return (i >= 0 && i < 6) ? sounds_[i] : -1; }
  int SpecialSlot(int i) const { return (i >= 0 && i < 5) ? specials_[i] : -1; }
  // Its frame of action k facing d (the first one).
  int FirstFrameOf(int action, int facing) const;
  int CountOf(int action) const;

  int32_t jumpKind = 0;
  int32_t attackPresses = 0;
  int32_t hunted = 0;
  int32_t selected = kSelAttack;
  int32_t animLength = 0;
  int32_t starCounter = 0;
  int32_t throwHold = 0;
  int32_t fallStatus = kOnFeet;
  int32_t holdCount = 0;
  int32_t leadInCount = 0;
  int32_t crouchStep = 0;
  int32_t takeOffX = 0, takeOffY = 0;
  int32_t blocker = 0;
  int32_t maxEnergy = 0;
  int32_t regeneration = 0;
  int32_t previousDirection = skaterules::kNoDirection;
  int32_t idleSense = 1;
  int32_t savedFrame = 0;
  skaterules::Momentum momentum;
  int32_t targetX = 0, targetY = 0;
  int32_t score = 0;
  // The score the face panel last smiled about: display only, never game state.
  int32_t shownScore = 0;
  int32_t starFrame = 0;
  // What a computer skater chose for its action 4 (held or not) for the next
  // frame's controls. Kept here, not in the exchanged input records, which
  // the exchange refills on every machine that plays a slot.
  uint8_t computerAction = 0;

  // A computer skater's next target: two draws of the shared generator, x first.
  void NewWanderTarget();

 private:
  void SteerStep(int d, SkatingActor** table);
  void GlideStep(SkatingActor** table);
  // Returns false when the whole update ends here (a throw that waits for a
  // free slot).
  bool AttackStep(SkatingActor** table);
  void DownStep();
  void JumpStep();
  void Standing();
  void WaysOut(int k, int rememberedX, int rememberedY, int kx, int ky, SkatingActor** table);
  // A person stepping round a skater that lies; true when a way was found.
  bool StepAround(int d, int rememberedX, int rememberedY, SkatingActor** table);
  void LaunchWeapon(int slot, SkatingActor** table);
  Skater* SkaterAt(SkatingActor** table, int k) const;
  void PlaySound(int which) const;
  void AdvanceStarCounter();

  SkaterData data_;
  int character_ = 0;
  int sounds_[6] = {-1, -1, -1, -1, -1, -1};
  int specials_[5] = {-1, -1, -1, -1, -1};
};

class SkatingProjectile : public SkatingActor {
 public:
  SkatingProjectile(FigureSkatingEvent* event, int slot, int thrower, int x, int y, int direction);

  void Update(SkatingActor** table) override;
  void PreUpdate(SkatingActor** table) override { HitTest(table); }
  void HitTest(SkatingActor** table);
  bool Sinking() const { return state == 1; }

  int32_t firstFrame = 1;
  int32_t framesPerDirection = 5;

 private:
  // Empties its slot and frees its thrower; the screen deletes it.
  void Remove(SkatingActor** table);
};
