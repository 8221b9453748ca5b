#pragma once
// A climber of CRAZY CLIMBING: one per player record. It climbs the front
// of the building from the street to the roof, dodges what falls, punches
// and kicks the others, throws its character's weapon, takes power pills,
// catches pickups and, on the roof, boards the helicopter that lifts it to
// 2700, where the race places it. People and the computer run the same
// code: a computer climber writes its decisions into its own input record
// of g_playerStates before the common input handling reads it.
//
// The race (ClimbWorld) calls CheckContact for all four climbers, then
// Update for all four, once a race frame in player order.
#include <cstdint>

#include "events/climbing/climb_objects.h"
#include "events/climbing/climb_rules.h"

class Sprite;
class ClimbWorld;

// Climber states.
enum ClimberState : uint8_t {
  kClSide = 0,      // moving sideways
  kClClimb = 1,     // climbing
  kClFall = 2,      // falling
  kClDown = 3,      // dropping to the street and lying there
  kClPullUp = 4,    // the start of the race; boarding the helicopter
  kClHit = 5,       // hit reaction
  kClPunch = 6,     // punching up
  kClKick = 7,      // kicking down
  kClGrab = 8,      // catching a pickup
  kClThrow = 9,     // throwing the weapon
  kClIdle = 10,     // hanging on, on the roof, aboard
  kClCatch = 11,    // catching hold after a fall
  kClGetUp = 12,    // getting up from the street
};
// Engagement in a fight.
enum : uint8_t { kClEngFree = 0, kClEngAttacking = 1, kClEngAttacked = 2, kClEngBlocked = 3, kClEngStruck = 4 };
// Selected item.
enum : uint8_t { kClItemNone = 0, kClItemWeapon = 1, kClItemPill = 2 };
// Roof stage.
enum : uint8_t { kClRoofClimbing = 0, kClRoofWaiting = 1, kClRoofAboard = 2 };
// Facing and aim.
enum : uint8_t { kClFaceNone = 0, kClFaceRight = 1, kClFaceLeft = 2 };
enum : uint8_t { kClAimLevel = 0, kClAimUp = 1, kClAimDown = 2 };

// Bytes of a player's input record.
enum : int {
  kClInRight = 0, kClInDown = 1, kClInLeft = 2, kClInUp = 3, kClInFire = 4,
  kClInCycle = 5, kClInNoItem = 6, kClInWeapon = 7, kClInPill = 8,
};

inline constexpr int kClimberWeaponSlots = 20;

class Climber {
 public:
  // Player index 0..3; the record's character picks the tables.
  explicit Climber(int player);
  ~Climber();
  Climber(const Climber&) = delete;
  Climber& operator=(const Climber&) = delete;

  void Update();
  void Draw(int view);
  // Decides a fight with the climbers whose contact boxes meet this one.
  void CheckContact();
  void Animate(int previousFacing, int previousAim, int previousState);
  // The hit strength of a falling thing that struck this climber, 0 for a
  // pickup claimed or a lighter blow, -1 for none.
  int CheckHits(int previousState);
  int FindContact() const;
  bool HasTargetInDirection(int direction) const;

  climbrules::Rect ContactBox() const { return climbrules::BoxAt(box, x, h); }
  climbrules::Rect HitBox() const { return climbrules::UpperBoxAt(box, x, h); }
  int LastFrameOf(int row) const { return first[row] + count[row] - 1; }
  bool IsComputer() const;
  int character() const { return character_; }

  // Animation rows of the character.
  int32_t first[12] = {};
  int32_t count[12] = {};
  ClimbWorld* world = nullptr;
  uint8_t state = kClPullUp, facing = kClFaceNone, aim = kClAimLevel;
  int32_t x = 0, h = 0;
  int32_t throwX = 0, throwH = 0, fallTarget = 0, throwDirection = 0;
  int32_t frameW = 0, frameH = 0, halfW = 0, halfH = 0;
  int32_t frame = 1, animLength = 1, animBase = 1;
  int32_t knockedOff = 0;
  int32_t hitStarStep = 0, weaponStarStep = 0;
  uint8_t pullUp = 1;
  uint8_t selected = kClItemNone;
  uint8_t engagement = kClEngFree;
  uint8_t roofStage = kClRoofClimbing;
  uint8_t hitStarFrame = 0, weaponStarFrame = 0;
  int32_t weaponStarX = -1, weaponStarH = -1;
  int32_t dx = 0, dy = 0;
  Sprite* sprite = nullptr;        // the race's, not owned
  Sprite* weaponSprite = nullptr;  // the race's, not owned
  ClimbWeapon* weapons[kClimberWeaponSlots] = {};
  int32_t player = 0;
  climbrules::BoxOffsets box;
  int32_t moodThreshold = 60;
  int32_t groundCounter = 0, regenCounter = 0, idleCounter = 0;
  // The pickup being caught: its slot and its serial number (-1 none), so
  // that an object taking over the slot later is never collected instead.
  int32_t grabbed = -1;
  uint32_t grabbedSerial = 0;
  int32_t target = -1;
  uint8_t pillMultiplier = 1, pillTimer = 0;
  int32_t climbCounter = 1;
  float climbSpeed = 2.0f;

 private:
  uint8_t* Input() const;
  bool Visible(int height) const;
  void PlaySound(int which) const;
  Climber* Other(int index) const;
  void StartThrowAt(int direction);
  void FreePlay(int oldX, int oldH, int oldFacing, int oldAim, int oldState, int step);
  void ComputerDecisions(int oldFacing, int oldAim, int oldState, bool* frameEnded);
  void ItemKeys();
  void Blocked();
  void Dodge(int otherX);
  void Blow();
  void Throw();
  void BeingAttacked(int oldX, int oldH, int oldFacing, int oldAim, int oldState);
  void Attacking(int oldFacing, int oldAim, int oldState);
  void Falling(int oldState);
  void Down(int oldState);
  void CatchingPickup(int oldState);
  bool TakePill();
  void DrawStars(int column, int row, int step, int frame) const;

  int character_ = 0;
};

// Sounds of a climber, in the order of climbing_data.h, then the five cries.
enum : int { kClSndAttack = 0, kClSndReaction, kClSndFall, kClSndWeapon, kClSndLanding, kClSndCry1 };
