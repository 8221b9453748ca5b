#pragma once
// HIPPO RUN, event 3 of the championship: each athlete shoves his own hippo
// up an isometric course past a car and rows of flags, punching rivals,
// throwing his weapon and taking power pills. The first three hippos past the
// line end the race (or every person's, the computers then taking the places
// left); each athlete's result is his finishing time in seconds, 600 when he
// did not finish. The screen owns the pictures, sounds and every actor, runs
// the title, the race and its finish in lock-step, and writes places and
// results into the player records when it is deleted.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "events/hippo_run/hippo_rules.h"
#include "screen/event_screen.h"

class TileMapPicture;

// Intro phases.
enum HippoIntroPhase : int {
  kIntroTitle = 0,     // the title opens and waits for a key or the announcer's end
  kIntroClosing = 1,   // and closes
  kIntroWaiting = -1,  // until every machine has closed it
  kIntroRace = 2,
};

class HippoRunEvent : public EventScreen {
 public:
  HippoRunEvent();
  ~HippoRunEvent() override;

  void OnDeactivate() override;
  void OnActivate() override;
  int IsMusicPlaying() override;

  // Fills the draw list with the visible actors in depth order.
  virtual void SortDrawList();
  // Places finishers; true when the race is over.
  virtual bool CheckFinish();

  // State, for tests and the benchmark.
  int GetIntroPhase() const { return introPhase_; }
  const hipporules::FinishState& GetFinish() const { return finish_; }
  int GetDrawCount() const { return drawCount_; }
  const int* GetDrawList() const { return drawList_; }
  bool StartFailed() const { return quit_ != 0; }
  int LoadedSoundCount() const;
  bool HasCoursePicture() const;
  // The picture point at the top left of view 0 (or 1 in a split view) last drawn.
  hipporules::Pixel GetCamera(int view) const { return camera_[view & 1]; }

 private:
  int EventFrame() override;
  int EndHeard() override { return EndEvent(); }
  void LoadSound(int sound, const std::string& path, int copies);
  void DrawViews();
  void DrawView(int runner, int screenX, int width);
  void DrawPanels();
  void DrawTitle();
  void StepIntro();
  int32_t SyncValue() const;

  DDSurface* palettePicture_ = nullptr;
  DDClipper* clipper_ = nullptr;
  TileMapPicture* course_ = nullptr;
  DDSurface* status_ = nullptr;
  BitmapFont* font_ = nullptr;
  BitmapTransition* transition_ = nullptr;
  DDSurface* iconSurface_ = nullptr;
  std::string recordText_;
  std::string timeLabel_, recordLabel_, energyLabel_, hippoLabel_;
  int32_t elapsedSeconds_ = 0;
  int32_t drawList_[100] = {};
  int32_t drawCount_ = 0;
  hipporules::FinishState finish_;
  int32_t introPhase_ = kIntroTitle;
  int32_t titleFrames_ = 0;
  int32_t transitionStep_ = 0;
  int32_t iconIndex_ = -1;
  int32_t lastLeader_ = -1;
  int32_t titleRedrawn_ = 0;
  hipporules::Pixel camera_[2] = {{0, 0}, {0, 0}};
};

// Puts HIPPO RUN into the shell's table of event screens as event 3.
void RegisterHippoRunEvent();

// The event's globals, which a test harness running several machines in one
// process keeps per machine: (address, size).
std::vector<std::pair<void*, size_t>> HippoRunInstanceGlobals();
