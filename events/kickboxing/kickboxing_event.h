#pragma once
// PLATFORM KICKBOXING, event 8 of the championship: four fighters on a
// platform of 10 x 10 pillars that rise and sink at random, seen from an
// isometric camera. Punches, kicks, special attacks and thrown weapons score
// points; a fighter who falls off loses them. 180 seconds of fighting, one
// view or two side by side with two players on one machine; the result is
// the points, the places go by points, then energy, then player index.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "events/kickboxing/kick_scene.h"
#include "screen/event_screen.h"

namespace kick {

enum KickPhase : int32_t { kAnnounce = kPhaseAnnounce, kTitleWait = kPhaseTitleWait, kFight = kPhasePlay };

class KickboxingEvent : public EventScreen, public KickboxingScene {
 public:
  KickboxingEvent();
  ~KickboxingEvent() override;
  void OnDeactivate() override {}
  void OnActivate() override {}

  // For tests, the benchmark and the face panel.
  int32_t Phase() const { return phase_; }
  int32_t Clock() const { return clock_; }
  bool QuitWhileWaiting() const { return quit_ != 0; }
  int LoadedSoundCount() const;
  // The places and results as the event leaves them (also when it was left).
  void RankFighters();

 private:
  void LoadSounds();
  void LoadPlayerPictures(int player);
  void LoadVoices();
  void MatchPlayerColours();
  int EventFrame() override;
  void TitleBegin() override;
  int TitleStep(int direction) override;
  void TitleWaitFrame() override;
  void TitleEnd() override;
  int FightStep();
  int Camera(int player, int viewCentre, int* cameraY) const;
  // The view or views; the first picture of a split view has fixed cameras.
  void DrawViews(bool firstPicture = false);
  void DrawFirstPicture();
  void DrawStatus(bool withLevels);
  void DrawItemIcons();
  void DrawInfoBox();
  int32_t SyncValue() const;

  DDSurface* statusPicture_ = nullptr;
  Sprite* title_ = nullptr;
  Sprite* playerSprites_[4] = {};
  Sprite* playerWeapons_[4] = {};
  int32_t spriteCharacter_[4] = {-1, -1, -1, -1};
  DDSurface* scratch_ = nullptr;
  DDSurface* titleBox_ = nullptr;
  BitmapTransition* transition_ = nullptr;
  BitmapFont* font_ = nullptr;
  DDClipper* viewClip_ = nullptr;
  DDClipper* screenClip_ = nullptr;
  DDClipper* leftClip_ = nullptr;
  DDClipper* rightClip_ = nullptr;
  std::string pointsText_, bestText_, energyText_, recordLabel_, timeLabel_, recordText_;

  int32_t phase_ = kAnnounce;
  int32_t clock_ = kClockStart;
  int32_t titleFrame_ = 1, fadeLevel_ = 0, titleFrames_ = 1;
  int32_t started_ = 0;
};

// The face of player n's fighter in the running event (5 when none runs).
int GetKickboxerStatus(int n);

// The event's globals that a harness running several machines in one
// process keeps per machine: (address, size).
std::vector<std::pair<void*, size_t>> KickboxingInstanceGlobals();

}  // namespace kick

// Puts PLATFORM KICKBOXING into the shell's table of event screens as event 8.
void RegisterKickboxingEvent();
