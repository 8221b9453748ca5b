#pragma once
// TROUBLED WATERS, event 5 of the championship: four swimmers cross a maze of
// 100 x 100 cells carved from the shared seed, from its left edge to the exit
// in column 99, among sharks, eels and jellyfish, refilling their air at the
// pumps and throwing their weapons at the creatures. The result is the
// finishing time in whole seconds (600 for a swimmer who has not finished
// when the race ends or after ten minutes).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "events/troubled_waters/swim_course.h"
#include "events/troubled_waters/swim_maze.h"
#include "events/troubled_waters/swim_world.h"
#include "screen/event_screen.h"


namespace swim {

class Swimmer;
class SeaCreature;
class AirPump;
class SwimMazeObject;
class SwimFlag;

enum SwimEventState : int32_t { kAnnounce = kPhaseAnnounce, kIntroWait = kPhaseTitleWait, kRace = kPhasePlay };

class SwimEvent : public EventScreen {
 public:
  SwimEvent();
  ~SwimEvent() override;
  void OnDeactivate() override {}
  void OnActivate() override {}
  int IsMusicPlaying() override { return musicPlaying_; }

  // For tests, the benchmark and the face panel.
  int32_t State() const { return state_; }
  int32_t RaceFrame() const { return world_.raceFrame; }
  const SwimCourse& Course() const { return course_; }
  const MazeGrid& Maze() const { return maze_; }
  const SwimWorld& World() const { return world_; }
  Swimmer* GetSwimmer(int i) const { return world_.swimmers[i & 3]; }
  int32_t PlacesGiven() const { return placesGiven_; }
  bool QuitWhileWaiting() const { return quit_ != 0; }
  int LoadedSoundCount() const;

 private:
  void LoadSounds();
  void LoadPictures();
  void MakeSwimmers();
  void MakeCreatures();
  Sprite* LoadSprite(const char* relative, bool programDir = false, uint32_t flags = 0x20);
  int EventFrame() override;
  void TitleBegin() override;
  int TitleStep(int direction) override;
  void TitleEnd() override;
  int RaceStep();
  void UpdateCameras();
  void DrawViews();
  void DrawView(int ox, int32_t cx, int32_t cy);
  void DrawStatus();
  void DrawItems();
  void DrawMap(int player);
  void DrawClock();
  void DrawRace();
  void RankPlayers();

  MazeGrid maze_;
  SwimCourse course_;
  SwimWorld world_;
  std::vector<std::unique_ptr<SeaCreature>> creatures_;
  std::vector<std::unique_ptr<AirPump>> pumps_;
  std::vector<std::unique_ptr<SwimMazeObject>> decorations_;
  std::unique_ptr<SwimFlag> flag_;
  std::unique_ptr<Swimmer> swimmers_[4];

  DDSurface* statusPicture_ = nullptr;
  DDClipper* clipper_ = nullptr;
  Sprite* pumpSprite_ = nullptr;
  Sprite* sharkSprite_ = nullptr;
  Sprite* jellySprite_ = nullptr;
  Sprite* eelSprite_ = nullptr;
  Sprite* fishes_ = nullptr;
  Sprite* decorationSprite_ = nullptr;
  Sprite* weedSprite_ = nullptr;
  Sprite* flagSprite_ = nullptr;
  Sprite* tiles_ = nullptr;
  DDSurface* flagIcon_ = nullptr;
  Sprite* stars_ = nullptr;
  Sprite* icons_ = nullptr;
  Sprite* smallFaces_ = nullptr;
  Sprite* intro_ = nullptr;
  Sprite* swimmerSprites_[4] = {};
  Sprite* weaponSprites_[4] = {};
  DDSurface* map_ = nullptr;
  DDSurface* introBox_ = nullptr;
  DDSurface* strip_ = nullptr;
  BitmapTransition* transition_ = nullptr;
  BitmapFont* clockFont_ = nullptr;

  int32_t introFrames_ = 1;
  int32_t introFrame_ = 1, introLevel_ = 0, fishFrame_ = 1, weedPhase_ = 1;
  // Lengths in frames, from the sound files (the same on every machine).
  int32_t cheerLength_ = 0;
  int32_t finishVoiceLength_[4] = {};
  int32_t placesGiven_ = 0;
  int32_t endFrame_ = 0;  // the race may end from this frame on (the cheer and voices have run)
  int32_t state_ = kAnnounce;
  int32_t started_ = 0;
  std::string recordText_, recordLabel_, timeLabel_, energyLabel_, airLabel_;
};

// The face panel's mood of a player's swimmer in the running event.
int SwimmerFaceMood(int player);

// The event's globals that a harness running several machines in one
// process keeps per machine: (address, size).
std::vector<std::pair<void*, size_t>> SwimInstanceGlobals();

}  // namespace swim

// Puts TROUBLED WATERS into the shell's table of event screens as event 5.
void RegisterTroubledWatersEvent();
