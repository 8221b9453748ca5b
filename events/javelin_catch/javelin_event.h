#pragma once
// JAVELIN CATCH, event 9 of the championship: four contestants on an
// isometric field catch the javelins a cannon fires in salvos of three, pick
// up juice, ammunition and money, run from bombs, punch rivals and throw
// weapons at them. 180 seconds of play (2,700 frames of 66 ms), one view or
// two side by side with two players on one machine; the result is the
// javelins caught, the places go by catches, then the energy left as a share
// of the contestant's maximum, then the lower player index.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "events/javelin_catch/jc_world.h"
#include "screen/event_screen.h"

class TileMapPicture;

namespace jc {

enum JavelinPhase : int32_t { kStart = kPhaseAnnounce, kTitleWait = kPhaseTitleWait, kPlay = kPhasePlay };

class JavelinEvent : public EventScreen, public JcSounds {
 public:
  JavelinEvent();
  ~JavelinEvent() override;
  void OnDeactivate() override {}
  void OnActivate() override;

  // For tests, the benchmark and the face panel.
  int32_t Phase() const { return phase_; }
  const JcWorld& World() const { return world_; }
  bool QuitWhileWaiting() const { return quit_ != 0; }
  // A contestant's voice slot (-1: none).
  int32_t VoiceSlot(int player, int voice) const { return voices_[player & 3][voice >= 0 && voice < kVoices ? voice : 0]; }
  // The face shown for a player on the status band.
  int Face(int player);
  // Places and results into g_players (the destructor's last word).
  void ReportResults();

  // Where the field's sounds go.
  void Play(int sound) override;
  void PlayVoice(int player, int voice) override;
  void KeepVoicePlaying(int player, int voice) override;
  void PlayCallIfQuiet(int player, int voice) override;

 private:
  void LoadSounds();
  void LoadPictures();
  void LoadContestantPictures();
  void MakeContestants();
  void LoadVoices();
  int EventFrame() override;
  void TitleBegin() override;
  int TitleStep(int direction) override;
  void TitleWaitFrame() override;
  void TitleEnd() override;
  int PlayStep();
  void UpdateControllers();
  void DrawViews();
  void DrawView(int player, int offsetX, int width);
  void DrawObject(const JcObject& o, int camX, int camY, int offsetX, bool oneView);
  void DrawStatus(bool withHighlights);
  void DrawModeIcons();
  void DrawPanel();
  void DrawFirstPicture();

  JcWorld world_;
  DDSurface* statusPicture_ = nullptr;
  TileMapPicture* field_ = nullptr;
  Sprite* pictures_[kPictures] = {};
  Sprite* fence_ = nullptr;
  Sprite* cannon_ = nullptr;
  Sprite* star1_ = nullptr;
  Sprite* star2_ = nullptr;
  Sprite* icons_ = nullptr;
  Sprite* announcer_ = nullptr;
  BitmapFont* font_ = nullptr;
  DDClipper* viewClip_ = nullptr;
  DDClipper* leftClip_ = nullptr;
  DDClipper* rightClip_ = nullptr;
  DDClipper* screenClip_ = nullptr;
  DDSurface* scratch_ = nullptr;
  DDSurface* titleBox_ = nullptr;
  BitmapTransition* transition_ = nullptr;
  DDSurface* target_ = nullptr;
  std::string pointsText_, recordLabel_, bestLabel_, timeLabel_, energyLabel_, recordText_;

  int32_t sounds_[kEventSounds];
  int32_t voices_[4][kVoices];
  int32_t phase_ = kStart;
  int32_t titleFrame_ = 1, titleFrames_ = 1, fadeLevel_ = 0;
  int32_t started_ = 0;
  uint8_t persons_ = 0;  // the players people steered when the event began
  int32_t reportedScore_[4] = {};  // what the faces last cheered for
};

// The face of player n's contestant in the running event (5 when none runs).
int GetJavelinContestantStatus(int n);

// The event's globals that a harness running several machines in one
// process keeps per machine: (address, size).
std::vector<std::pair<void*, size_t>> JavelinInstanceGlobals();

}  // namespace jc

// Puts JAVELIN CATCH into the shell's table of event screens as event 9.
void RegisterJavelinCatchEvent();
