#pragma once
// FULL CONTACT FIGURE SKATING, event 6 of the championship: four skaters
// share an isometric rink for three minutes; landed jumps score points by
// the skater's speed, while attacks, rams and thrown weapons cost the others
// energy and knock them down. The screen owns the pictures, sounds and the
// table of 100 actors (the skaters in slots 0..3), runs the intro hand-shake
// and the play, follows the local skater with its camera (two views with two
// players on one machine) and, when it is deleted, writes every player's
// place and points into the player records.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "screen/event_screen.h"
#include "events/figure_skating/skating_actors.h"

class TileMapPicture;

// The running screen (the actors and the face callback reach it through
// this) and the seconds left on the clock.
extern FigureSkatingEvent* g_skatingEvent;
extern int32_t g_skatingClock;
extern int32_t g_skatingIntroFrames;

// The event's sounds.
enum SkatingSound : int {
  kSkSndSkating = 0,
  kSkSndCheer,
  kSkSndBoo,
  kSkSndCrowd,
  kSkSndBeep,
  kSkSndAnnouncer,
  kSkSndPill,
  kSkSndCount,
};

// Event states: the announcer, the intro dissolving in and out, the wait for
// every machine, the play.
enum SkatingEventState : int { kSkEvAnnouncer = 0, kSkEvIntroIn = 1, kSkEvIntroOut = 2, kSkEvWait = 3, kSkEvPlay = 4 };

class FigureSkatingEvent : public EventScreen {
 public:
  FigureSkatingEvent();
  ~FigureSkatingEvent() override;

  void OnDeactivate() override {}
  void OnActivate() override;
  int IsMusicPlaying() override { return musicPlaying_; }

  // Plays an event sound (nothing when it is not loaded).
  void PlayEventSound(int sound) const;
  // Plays a sound slot unless one of the skaters' special voices plays.
  void PlaySoundIfSkatersQuiet(int slot) const;
  // The play frame counter: 1 through the intro, then up by one a play
  // frame. The skaters' shared clock, the same on every machine in every
  // mode of play.
  int32_t PlayFrame() const { return playFrame_; }

  Sprite* SkaterSprite(int player) const { return sprites_[player & 3]; }
  Sprite* WeaponSprite(int player) const { return sprites_[4 + (player & 3)]; }
  Sprite* WarningSprite() const { return warning_; }
  Sprite* StarSprite() const { return star_; }
  SkatingActor** Actors() { return actors_; }
  Skater* SkaterOf(int player) const;

  // For tests, the benchmark and the debug overlay.
  int GetEventState() const { return eventState_; }
  bool StartFailed() const { return quit_ != 0; }
  const std::vector<int>& DrawList() const { return drawList_; }
  int CameraX(int view) const { return camera_[view & 1][0]; }
  int CameraY(int view) const { return camera_[view & 1][1]; }
  int LoadedSoundCount() const;
  // Builds the draw list: every positioned actor, in draw order.
  void SortActorsForDrawing();
  // Places and points into g_players from the skaters' scores.
  void RankSkaters();
  // The frame's check value: the last random draw and every skater's
  // position, energy, score and state.
  int32_t SyncValue() const;

 private:
  int EventFrame() override;
  void LoadSounds();
  void LoadPictures();
  void PrepareSkaterPictures();
  void CreateSkaters();
  void FirstPicture();
  void IntroFrame();
  int PlayFrameStep();
  void UpdateActors();
  void DrawViews();
  void DrawView(int view, int skater, int left, int width);
  void DrawStatus();
  void DrawClockPanel();
  void FreeIntro();
  bool FrozenCamera(int skater) const;
  bool AnyLocalAction() const;

  Sprite* sprites_[20] = {};
  SkatingActor* actors_[kSkatingActorSlots] = {};
  int32_t playFrame_ = 0;
  int32_t sounds_[10] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  int32_t camera_[2][2] = {};
  TileMapPicture* rink_ = nullptr;
  Sprite* warning_ = nullptr;
  Sprite* star_ = nullptr;
  Sprite* icons_ = nullptr;
  Sprite* fence_ = nullptr;
  Sprite* intro_ = nullptr;
  DDSurface* statusPicture_ = nullptr;
  BitmapFont* font_ = nullptr;
  DDClipper* clipper_ = nullptr;
  DDSurface* backdrop_ = nullptr;
  DDSurface* introBox_ = nullptr;
  BitmapTransition* transition_ = nullptr;
  int32_t introFrame_ = 1;
  int32_t introLevel_ = 0;
  // Frames the announcer speaks, from its file: the intro may end once they
  // have passed (the same count on every machine that has the file).
  int32_t announcerFrames_ = 0;
  int32_t introFramesRun_ = 0;
  std::vector<int> drawList_;
  std::string recordText_;
  int32_t eventState_ = kSkEvAnnouncer;
  std::string bestLabel_, recordLabel_, pointsLabel_, timeLabel_, energyLabel_;
};

// Puts FULL CONTACT FIGURE SKATING into the shell's table as event 6.
void RegisterFigureSkatingEvent();

// The event's globals, which a test harness running several machines in one
// process keeps per machine: (address, size).
std::vector<std::pair<void*, size_t>> FigureSkatingInstanceGlobals();
