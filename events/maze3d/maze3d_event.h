#pragma once
// 3D MAZE, event 7 of the championship: up to four athletes race through a
// maze level drawn by the ray-cast engine, hunt the key man, carry his key
// to the exit door and fight monsters and each other on the way. The first
// key carrier through the door ends the event; points give the places.
//
// Maze3DEvent shows one view (one person at this machine, or a network
// game); Maze3DSplitEvent shows two side by side for two people on one
// keyboard. Both are one MazeEventScreen: it owns the maze world for the
// event (HUD, renderer, navigation graph, zones, level, sprites, the four
// characters), runs its intro and the play in lock-step and writes places,
// results, weapon units, pills and energy back when it is deleted.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "screen/event_screen.h"

class MazeCharacter;
class MazeHud;
class MazeNavGraph;
class MazeZoneTable;
class RayCaster;

class MazeEventScreen : public EventScreen {
 public:
  ~MazeEventScreen() override;
  int Run() override;
  int IsMusicPlaying() override { return 1; }

  // State, for tests and the benchmark.
  bool split() const { return split_; }
  bool StartFailed() const { return quit_ != 0; }
  const std::string& loadError() const { return loadError_; }
  int introPhase() const { return introPhase_; }
  int32_t announcerFrames() const { return announcerFrames_; }
  bool playing() const { return introPhase_ == playPhase(); }
  uint16_t frameRate() const { return rate_; }
  uint16_t frameInterval() const { return frameInterval_; }
  uint16_t shotStep() const { return shotStep_; }
  int level() const { return level_; }
  int sky() const { return sky_; }
  const MazeCharacter* character(int i) const { return characters_[i & 3]; }
  uint16_t viewPlayer(int view) const { return viewPlayer_[view & 1]; }
  int16_t viewIndex(int view) const { return viewIndex_[view & 1]; }
  int16_t viewOffset(int view) const { return viewOffset_[view & 1]; }
  int16_t cameraDistance(int view) const { return cameraDistance_[view & 1]; }
  // The check value this frame set.
  int32_t SyncValue() const;
  // One frame's drawing, unpaced (the benchmark's).
  void DrawFrame();
  // The camera keys of a view as this machine's keyboard gives them
  // (key: 0..3 the digits of the view, F keys 0..3 of the view's four).
  void CameraKey(int view, int fkey, int digit);

 protected:
  explicit MazeEventScreen(bool split);

 private:
  int playPhase() const { return split_ ? 4 : 5; }
  bool LoadAssets();
  bool Need(bool ok, const char* what);
  void MakeCharacters(int firstProgress);
  void MeasureRate();
  void UseRate(uint16_t rate);
  void SetupView(int view);
  void RenderViews();
  void DrawNames();
  void DrawRecordPanel();
  void StepIntro();
  void FreeIntro();
  bool StepPlay();
  void ReadCameraKeys();
  void TakeOverLeavers();
  void WriteResults();
  int RunFailed();
  int EventFrame() override;
  int LeaveFrame() override;
  bool FrameDue() override;
  int EndHeard() override;
  void MenuLeft() override { FreeIntro(); }

  bool split_;
  int views_;
  MazeCharacter* characters_[4] = {};
  RayCaster* rayCaster_ = nullptr;
  MazeHud* hud_ = nullptr;
  MazeNavGraph* nav_ = nullptr;
  MazeZoneTable* zones_ = nullptr;
  uint8_t* keyManBlock_ = nullptr;
  uint8_t* explosionBlock_ = nullptr;
  uint8_t* monsterBlock_ = nullptr;
  uint8_t* iconFrames_ = nullptr;
  uint16_t viewPlayer_[2] = {0, 1};
  uint16_t showPanel_[2] = {1, 1};
  uint32_t viewPulledIn_[2] = {};
  uint32_t clockLast_ = 0;
  uint16_t rateTextured_ = 16, rateFlat_ = 16, rate_ = 16;
  uint16_t frameInterval_ = 62, shotStep_ = 50;
  int16_t cameraDistance_[2] = {100, 100};
  int16_t viewIndex_[2] = {65, 65};
  int16_t cameraTurn_[2] = {900, 900};
  int16_t viewOffset_[2] = {-10, -10};
  int16_t viewOffsetAccel_[2] = {};
  int16_t distanceAccel_[2] = {};
  int16_t viewIndexAccel_[2] = {};
  int16_t viewOffsetMin_[2] = {-190, -190};
  bool fkeyWasDown_[8] = {};
  int16_t fadeLevel_ = 0;
  BitmapTransition* transition_ = nullptr;
  DDSurface* iconSurface_ = nullptr;
  uint16_t iconFrame_ = 0;
  uint16_t introPhase_ = 1;
  int32_t introFrames_ = 0;
  int32_t announcerFrames_ = 0;  // the announcer's words, in frames of the rate in use
  std::string recordText_;
  BitmapFont* panelFont_ = nullptr;
  std::string loadError_;
  int32_t errorFrames_ = 0;
  bool finished_ = false;
  int level_ = 0, sky_ = 0;
  int32_t syncValue_ = 0;
};

class Maze3DEvent : public MazeEventScreen {
 public:
  Maze3DEvent() : MazeEventScreen(false) {}
};

class Maze3DSplitEvent : public MazeEventScreen {
 public:
  Maze3DSplitEvent() : MazeEventScreen(true) {}
};

// Puts the 3D MAZE into the shell's table of event screens as event 7: the
// split screen when two play on one machine, the single view otherwise.
void RegisterMaze3DEvent();

// The event's globals (the maze world's and the event's own) that a test
// harness running several machines in one process keeps per machine.
std::vector<std::pair<void*, size_t>> Maze3DInstanceGlobals();
