#pragma once
// ROLLER DERBY, event 10, the last of the championship: the four athletes
// race two laps on roller skates round a closed track of 24 pieces drawn as
// a 3D scene, throwing weapons, taking power pills and running over mines,
// each seen from a chase camera (one view, or two side by side for two
// players on one machine). Each athlete is placed as he crosses the line
// after his second lap, his result the race clock's seconds; whoever has
// not finished when the race ends is placed by how far he came, with the
// result 600 (not finished), and the race ends at the latest after ten
// minutes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "events/roller_derby/derby_objects.h"
#include "events/roller_derby/derby_rules.h"
#include "screen/event_screen.h"

class RMDevice;
class RMFrame;
struct RMViewportRecord;

namespace derby {

class DerbySkater;

enum RaceState : int32_t { kAnnounce = 0, kIntroIn = 1, kIntroOut = 2, kIntroWait = 3, kRace = 4 };

class RollerDerbyEvent : public EventScreen {
 public:
  RollerDerbyEvent();
  ~RollerDerbyEvent() override;
  void OnDeactivate() override {}
  void OnActivate() override {}
  int IsMusicPlaying() override { return 1; }  // the event plays no music

  // The face panel's row for a player.
  int FaceExpression(int player) const;

  // For tests, the benchmark and the face panel.
  int32_t State() const { return raceState_; }
  int32_t ClockSeconds() const { return clockSeconds_; }
  int32_t ClockFrames() const { return clockFrames_; }
  int32_t FinishCount() const { return finishCount_; }
  int32_t Leader() const { return leader_; }
  const int32_t* FinishOrder() const { return finishOrder_; }
  const DerbyWorld& World() const { return world_; }
  DerbySkater* Skater(int player) const { return world_.Skater(player); }
  bool QuitWhileWaiting() const { return quit_ != 0; }
  int LoadedSoundCount() const;
  int LoadedPieceMeshes() const;
  const ViewLayout& Layout() const { return layout_; }
  RMViewportRecord* Viewport(int i) const { return viewports_[i & 1]; }
  bool Rendering() const { return device_ != nullptr; }

 private:
  int EventFrame() override;
  bool FrameDue() override;
  void BeforeExchange() override;
  void LoadSounds();
  void LoadPictures();
  void MakeEventPalette();
  void LoadTrack();
  void MakeSkaters();
  void PlacePiece(int row);
  void SetVisiblePieces(int centre);
  void SetViewMode(int highDetail, int bigViewport);
  void ReleaseViews();
  void UpdateControllers();
  void UpdateLeader();
  void GiveFinishPlaces();
  bool RaceIsOver() const;
  void StepIntro();
  int32_t SyncValue() const;
  void PlayCommentary(int slot);

  void DrawFrame();
  void DrawView(int view, int cameraEntry, int follow);
  void DrawOverlay2D();
  void DrawIntro();
  void DrawTrackMap();

  DerbyWorld world_;
  int32_t finishCount_ = 0;
  int32_t finishOrder_[4] = {-1, -1, -1, -1};
  int32_t leader_ = -1;
  int32_t clockFrames_ = 0;
  int32_t clockSeconds_ = 0;
  uint8_t blink_ = 0;
  int32_t raceState_ = kAnnounce;
  int32_t started_ = 0;
  bool humanAtStart_[4] = {false, false, false, false};

  // Intro: the announcer's animation fading in and out.
  int32_t introFrames_ = 1;
  int32_t introFrame_ = 1, introLevel_ = 0;
  int32_t introShownFrame_ = 1, introShownLevel_ = 0;
  int32_t announcerFrames_ = 0;
  int32_t announcerLength_ = 0;  // the announcer's file in frames, the same on every machine

  // Sounds.
  int32_t cheerSound_ = -1, announcerSound_ = -1;

  // Pictures.
  DDClipper* clipper_ = nullptr;
  DDSurface* statusPicture_ = nullptr;
  DDSurface* lowDetailSurface_ = nullptr;
  DDSurface* introSurface_ = nullptr;
  BitmapTransition* introTransition_ = nullptr;
  Sprite* introAnimation_ = nullptr;
  Sprite* iconsSprite_ = nullptr;
  Sprite* smallFaces_ = nullptr;
  BitmapFont* recordFont_ = nullptr;

  // The scene: the ten piece meshes (never shown themselves), the 24 placed
  // pieces, the device and one or two views.
  RMFrame* scene_ = nullptr;
  RMFrame* pieceMeshes_[derbyassets::kPieceTypes] = {};
  RMFrame* pieceFrames_[kPieces] = {};
  RMDevice* device_ = nullptr;
  RMViewportRecord* viewports_[2] = {nullptr, nullptr};
  int32_t highDetail_ = 1, bigViewport_ = 1;
  ViewLayout layout_;

  std::string recordText_;
  std::string recordLabel_, timeLabel_, lapLabel_, energyLabel_, distanceLabel_;
  std::string placeNames_[4];
};

// The event's globals that a harness running several machines in one
// process keeps per machine: (address, size).
std::vector<std::pair<void*, size_t>> DerbyInstanceGlobals();

}  // namespace derby

// Puts ROLLER DERBY into the shell's table of event screens as event 10.
void RegisterRollerDerbyEvent();
