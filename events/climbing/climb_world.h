#pragma once
// The race of CRAZY CLIMBING: everything every machine of a game computes
// the same, frame by frame, from the exchanged input and the shared random
// numbers. The screen (ClimbingEvent) owns one race, feeds it the frames and
// draws it; the race owns the climbers, windows, flower pots, falling
// objects, explosions, the helicopter and the chimney smoke. It reads and
// writes the player records (g_players) and the input records
// (g_playerStates), and draws nothing but through the pictures it is given,
// so that tests can run it without a display.
//
// A race frame, in this order: the end checks; the falling objects
// (spawned on a random schedule), the flower pots, the explosions, the
// climbers (all contacts, then all updates) and the finish, the chimney
// smoke, the helicopter, the clock.
#include <cstdint>

#include "events/climbing/climb_objects.h"
#include "events/climbing/climber.h"
#include "events/climbing/climbing_data.h"

class Sprite;

// What the race asks of the sound device. Sounds never decide anything:
// which are heard depends on this machine's views only.
class ClimbSoundSink {
 public:
  virtual ~ClimbSoundSink() = default;
  // `sound`: a screen sound (climbassets::ScreenSound) or ClimberSound().
  virtual void Play(int sound, bool loop) = 0;
  virtual void Stop(int sound) = 0;
  virtual bool IsPlaying(int sound) const = 0;
  virtual void SetVolume(int sound, int32_t volume) = 0;
};
inline constexpr int kClimberSoundBase = 32;
inline int ClimberSound(int player, int which) { return kClimberSoundBase + (player & 3) * 10 + which; }

// The pictures the race draws with (the screen's, none owned here; any may
// be null).
struct ClimbSprites {
  Sprite* buildingA = nullptr;
  Sprite* buildingB = nullptr;
  Sprite* star = nullptr;
  Sprite* objects[climbassets::kObjectKinds] = {};
  Sprite* explosions[climbassets::kExplosionKinds] = {};
  Sprite* helicopter = nullptr;
  Sprite* chimney = nullptr;
  Sprite* pots = nullptr;
  Sprite* windows = nullptr;
  Sprite* climbers[4] = {};
  Sprite* weapons[4] = {};
};

struct ClimbView {
  int32_t camera = climbrules::kViewAbove;  // height at the view's top row
  int32_t scroll = 0;                       // world column at its left edge
  int32_t buildingState = -2400;            // the building's parallax state
};

inline constexpr int kClimbFallingSlots = 10;
inline constexpr int kClimbExplosionSlots = 10;
inline constexpr int kClimbWindows = 84;
// Flower pots landing use the first explosion slots only.
inline constexpr int kClimbPotExplosionSlots = 5;

class ClimbWorld {
 public:
  ClimbWorld();
  ~ClimbWorld();
  // Deletes every actor of the race.
  void Clear();
  ClimbWorld(const ClimbWorld&) = delete;
  ClimbWorld& operator=(const ClimbWorld&) = delete;

  // --- construction, in this order (the draws of the windows, then of the
  // flower pots; the climbers draw none) ---
  // The four climbers of the player records, with their climb speeds.
  void CreateClimbers();
  void BuildWindows();
  // Pots on about one sill in ten; returns their number.
  int PlaceFlowerPots();
  void CreateSmoke();

  // --- one race frame ---
  // 0 the race goes on, 1 it is over (places and results stand in
  // g_players as far as the race gave them).
  int RaceFrame();
  // The end checks on the state of the last frame: three placed (the
  // fourth then gets place 3), no person left climbing, or the time up.
  bool RaceOver();
  void UpdateFallingObjects();
  void UpdateFlowerPots();
  void UpdateExplosions();
  void CheckFinish();
  void UpdateHelicopter();
  // The check value the machines compare: the state that moves.
  int32_t SyncCheck() const;
  // Places of the climbers the race did not place, by height after those
  // it did (the screen calls this when the event ends).
  void RankByHeight();

  // --- views (this machine's only) ---
  bool Split() const;
  int ViewClimber(int view) const;
  void UpdateViews();
  // Sound decisions from the local climbers' heights.
  bool Audible(int y) const;
  bool ObjectAudible(int y) const;
  bool LocalClimberBelow(int height) const;
  void Play(int sound, bool loop = false) const;
  void Stop(int sound) const;
  bool IsPlaying(int sound) const;
  // A cry of a climber, only when no cry of any climber is playing.
  void PlayCry(int player, int cry) const;

  // --- drawing into the back buffer ---
  void DrawView(int view);
  void DrawBuilding(int view, int base, int scroll, int32_t* state, int horizontalScroll);
  void DrawStreetFront(int scroll, int state);

  // --- state ---
  Climber* climbers[4] = {};
  uint32_t frameCounter = 0;
  int32_t viewWidth = 640;
  ClimbView views[2];
  int32_t spawnCounter = 0, spawnDelay = 0;
  ClimbFallingObject* falling[kClimbFallingSlots] = {};
  ClimbWindow* windows[kClimbWindows] = {};
  ClimbFlowerPot* pots[kClimbWindows] = {};
  int32_t potCount = 0;
  ClimbHelicopter* helicopter = nullptr;
  ClimbChimneySmoke* smoke = nullptr;
  ClimbExplosion* explosions[kClimbExplosionSlots] = {};
  uint8_t placeCounter = 0;
  int32_t pendingHelicopterX = -1;
  int32_t clock = 0;
  uint32_t nextSerial = 1;
  // The cheer of a climber reaching the roof band plays once.
  uint8_t cheered[4] = {};
  // The players people play, one bit each. A player who leaves a network
  // game is taken over by the computer from the frame every machine agrees
  // on (the screen clears the bit); the records' flags change whenever a
  // machine happens to hear of it.
  uint8_t persons = 0;
  bool IsPerson(int player) const { return (persons >> (player & 3)) & 1; }
  bool lowMemory = false;

  ClimbSprites sprites;
  ClimbSoundSink* sounds = nullptr;

 private:
  void AddExplosion(int x, int y, int kind, int firstSlots, bool audible);
};
