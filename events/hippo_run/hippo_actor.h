#pragma once
// The actors of HIPPO RUN. HippoActor is the base of every one and its own
// update is the runner's: the athlete who walks behind his hippo and shoves
// it up the course, punches rivals, throws his weapon and swallows power
// pills (a person through his exchanged input, the computer through a small
// state machine that presses the same keys). The subclasses are the hippo,
// the thrown weapon, the explosion puffs, the flags, the car and the title
// animation. All live in one table of 100 slots that the screen owns: slots
// 0-3 the runners of players 0-3, 4-7 their hippos, the rest whatever comes
// (flags, the car, weapons in flight, puffs).
#include <cstdint>

class Sprite;
class HippoActor;

inline constexpr int kHippoSlots = 100;
extern HippoActor* g_hippoActors[kHippoSlots];
// Race frames since the start (15 make a second); the same on every machine.
extern int32_t g_hippoRaceFrames;

// The event's sprites: 0-3 the players' runner sheets, 4-7 their weapons,
// then the event's own.
enum HippoSprite : int {
  kSprRunner0 = 0,
  kSprWeapon0 = 4,
  kSprHippo = 8,
  kSprCar,
  kSprExplode,
  kSprFlag,
  kSprIcons,
  kSprTitle,
  kSprMap,
  kSprFaces,
  kHippoSpriteCount,
};
extern Sprite* g_hippoSprites[kHippoSpriteCount];

// Sound slots of the sound manager (-1: none): five voices per player, the
// six event sounds, two commentaries per player.
enum HippoSound : int {
  kSndVoice0 = 0,  // + 5 player + voice
  kSndCar = 20,
  kSndHit,
  kSndPush,
  kSndAmbience,
  kSndAnnouncer,
  kSndPill,
  kSndCommentary0 = 26,  // + 2 player + (0 lead, 1 finishing line)
  kHippoSoundCount = 34,
};
enum HippoVoice : int { kVoiceAttack1 = 0, kVoiceAttack2, kVoiceReaction1, kVoiceReaction2, kVoiceVictory };
extern int32_t g_hippoSoundSlots[kHippoSoundCount];
// Plays a sound once (unless it plays already, when `restart` is false).
void PlayHippoSound(int sound, bool restart = false, bool loop = false);
void StopHippoSound(int sound);
bool HippoSoundPlaying(int sound);

enum HippoKind : int {
  kKindTitle = 0,
  kKindRunner = 7,
  kKindHippo = 8,
  kKindWeapon = 9,
  kKindExplosion = 10,
  kKindFlag = 12,
  kKindCar = 13,
};
inline constexpr int kStateRemove = 20;
// Controllers.
inline constexpr int kControlPerson = 1, kControlComputer = 3;
// Selected items.
enum HippoItem : int { kItemPill = -1, kItemPush = 0, kItemPunch = 1, kItemWeapon = 2 };

// The first empty slot from `first` on, or -1 when the table is full.
int HippoFindFreeSlot(int first = 0);
// Puts an actor into the first free slot; when the table is full the actor
// is dropped (deleted) and -1 returned.
int HippoPlaceActor(HippoActor* actor);
// Runners by their hippos' progress: mode 0 the runner at rank n, mode 1 the
// rank of runner n (0 when n is not a runner).
int HippoRankRunner(int mode, int n);
// The lowest runner other than `runner`, present and standing (not knocked
// out), nearer than `range`; -1 when none.
int HippoFirstRivalWithin(int runner, int range);

class HippoActor {
 public:
  HippoActor(int ownIndex, int linkedIndex, int ownerIndex, int worldX, int worldY, int direction);
  virtual ~HippoActor() = default;
  HippoActor(const HippoActor&) = delete;
  HippoActor& operator=(const HippoActor&) = delete;

  virtual void Update(HippoActor** table);
  virtual void Move(int direction, int distance);
  virtual void Draw(int cameraX, int cameraY, int offsetX, int offsetY);
  virtual void SetFacing();

  // The picture position from the world position, and visible.
  void Place();
  // Moves by `distance` in the own direction, unless the move would go into
  // what this actor touches (only away from it: contact + 3 .. + 5).
  void MoveWithContact(int distance);
  // The frame of the runner's animation table for the current state and step.
  int TableFrame() const;
  // True when the state's sequence has no entry after the current step.
  bool SequenceEnds() const;

  int32_t ownIndex = 0;
  int32_t ownerIndex = 0;
  int32_t linkedIndex = 0;
  int32_t pictureX = 0, pictureY = 0;
  int32_t hotspotX = 0, hotspotY = 0;
  int32_t direction = 0;
  int32_t row = 0;
  int32_t frame = 0;
  int32_t controller = 0;
  int32_t kind = 0;
  int32_t state = 0;
  int32_t phase = 0;
  int32_t counter = 0;
  int32_t speed = 0;
  int32_t savedState = 0;
  int32_t weaponSprite = 0;
  int32_t contact = 0;
  int32_t contactDirection = 0;
  int32_t hitDelay = 0;
  int32_t regeneration = 0;
  int32_t selectedItem = 0;
  int32_t pushStep = 0;
  int32_t computerState = 0, computerStep = 0;
  int32_t animStep = 0;
  int32_t frameWidth = 0, frameHeight = 0;
  int32_t pushPower = 0;
  int32_t energy = 0;
  int32_t strength = 0, speedStat = 0, endurance = 0, weaponPower = 0;
  int32_t weaponUnits = 0;
  int32_t voiceSounds[5] = {-1, -1, -1, -1, -1};  // HippoSound numbers
  int32_t finished = 0;
  int32_t turnStep = 0;
  int32_t powerPills = 0;
  int32_t pillActive = 0, pillTimer = 0;
  int32_t hitDealt = 0;
  int32_t finishFrame = 0;
  int32_t leadCommentary = -1, lineCommentary = -1;  // HippoSound numbers
  int32_t pillsUsed = 0;
  int32_t turnSequence[10] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  int32_t worldX = 0, worldY = 0;
  int32_t visible = 0;
  Sprite* sprite = nullptr;

 protected:
  // The runner's frame: its input, its action and its state's work.
  void UpdateRunner();
  // The computer's choice for this frame: a direction 0..7 or -1, and fire 1.
  void ChooseComputerKeys(int* heading, bool* fire1);
  // The thrown weapon of a throw, in the first free slot.
  void LaunchWeapon();
  void PlayVoice(int voice);
};

// The hippo each athlete pushes (kind 8).
class Hippo : public HippoActor {
 public:
  using HippoActor::HippoActor;
  void Update(HippoActor** table) override;
  void Draw(int cameraX, int cameraY, int offsetX, int offsetY) override;
};

// A thrown weapon in flight (kind 9): 40 updates in a straight line.
class HippoRunnerEffect : public HippoActor {
 public:
  using HippoActor::HippoActor;
  void Update(HippoActor** table) override;
};

// A puff of a hit (kind 10): drifts for 11 updates.
class HippoExplosion : public HippoActor {
 public:
  using HippoActor::HippoActor;
  void Update(HippoActor** table) override;
};

// A flag beside the course (kind 12).
class HippoFlag : public HippoActor {
 public:
  using HippoActor::HippoActor;
  void Update(HippoActor** table) override;
};

// The car that drives past beside the course (kind 13), a new one each pass.
class HippoCar : public HippoActor {
 public:
  using HippoActor::HippoActor;
  void Update(HippoActor** table) override;
  void Draw(int cameraX, int cameraY, int offsetX, int offsetY) override;
};

// The title animation (kind 0): loops its frames; drawn into the title
// picture, never into the draw list.
class HippoIcon : public HippoActor {
 public:
  using HippoActor::HippoActor;
  void Update(HippoActor** table) override;
  // Draws the current frame into the 300 x 300 title picture.
  void DrawInto(class DDSurface* picture) const;
};

// Spawns an explosion puff at a world position (dropped when the table is full).
void SpawnHippoExplosion(int worldX, int worldY, int frame, int drift);
// The hippo's animation: base frame and sequence by state (3, 5, 6, 7, 9).
int HippoTableFrame(int state, int step);
bool HippoSequenceEnds(int state, int step);
// The frame of player `player`'s hippo that shows table frame `frame`: his
// own look (his number and colour on the cloth, frames 20p + 1 ..) when the
// sheet of `sheetFrames` frames has one for each player; else the frame as
// it is, the one look shared by all four.
int HippoLookFrame(int frame, int player, int sheetFrames);
