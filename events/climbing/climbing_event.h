#pragma once
// CRAZY CLIMBING, event 2 of the championship: four climbers race up the
// front of a skyscraper under falling objects and flower pots, catch
// pickups, punch, kick and throw weapons at each other, and a helicopter
// lifts each one off the roof. A climber is placed on reaching height 2700;
// the result is the race clock in seconds at that moment (600 for one who
// does not finish). The screen loads the event's pictures and sounds, plays
// the intro (the announcer and a picture dissolving in and out, left by
// every machine together), runs the race (ClimbWorld) frame by frame on the
// exchanged input, draws one view of 640 x 400 or, with two players on one
// machine, two views of 320 x 400, the status band, the minimap and the
// clock, and writes the places into the player records.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "screen/event_screen.h"
#include "events/climbing/climb_world.h"

// Intro states; the race runs in kClimbIntroRace.
enum : int32_t { kClimbIntroStart = 0, kClimbIntroIn = 1, kClimbIntroOut = 2, kClimbIntroWait = 3, kClimbIntroRace = 4 };

class ClimbingEvent : public EventScreen, private ClimbSoundSink {
 public:
  ClimbingEvent();
  ~ClimbingEvent() override;

  void OnDeactivate() override;
  void OnActivate() override;
  int IsMusicPlaying() override;

  // The face panel's mood of a player's climber.
  static int GetFaceMood(int player);

  // State, for tests and the debug overlay.
  const ClimbWorld& World() const { return world_; }
  ClimbWorld& World() { return world_; }
  int IntroState() const { return introState_; }
  bool StartFailed() const { return quit_ != 0; }
  int LoadedSoundCount() const;
  const std::string& RecordText() const { return recordText_; }

 private:
  int EventFrame() override;
  // ClimbSoundSink: the race's sounds through this screen's slots.
  void Play(int sound, bool loop) override;
  void Stop(int sound) override;
  bool IsPlaying(int sound) const override;
  void SetVolume(int sound, int32_t volume) override;
  int SlotOf(int sound) const;

  void LoadSounds();
  void LoadClimberSounds(int player);
  void LoadPictures();
  void BuildPalette();
  bool LocalKeyPressed() const;
  void AgreeOnLeavers();
  void IntroFrame();
  void IntroPicture();
  void FreeIntro();
  void DrawRace();
  void DrawStatusBand();
  void DrawMap();
  void DrawClock();

  ClimbWorld world_;
  DDClipper* clippers_[3] = {};  // view 0, view 1, the whole screen
  int32_t viewWidth_ = 640;
  int32_t screenSlots_[climbassets::kScreenSounds];
  int32_t climberSlots_[4][10];
  std::string recordText_;
  std::string recordLabel_, timeLabel_, energyLabel_, distanceLabel_;

  DDSurface* statusPicture_ = nullptr;
  Sprite* icons_ = nullptr;
  Sprite* faceIcons_ = nullptr;
  Sprite* intro_ = nullptr;
  DDSurface* introCopy_ = nullptr;
  DDSurface* introBox_ = nullptr;
  BitmapTransition* introTransition_ = nullptr;
  BitmapFont* clockFont_ = nullptr;
  // Every picture the race draws with, owned here.
  std::vector<Sprite*> owned_;

  int32_t introFrame_ = 1, introLevel_ = 0, introState_ = kClimbIntroStart;
  int32_t introFrames_ = 1;
  // Frames since the announcer began and how many it lasts: a machine says
  // it is ready when its announcer would have ended, whatever its device.
  int32_t introTicks_ = 0, announcerFrames_ = 0;
  // The players this machine has seen leave, told to the others.
};

// Puts CRAZY CLIMBING into the shell's table of event screens as event 2.
void RegisterClimbingEvent();

// The event's globals, kept per machine by a harness that runs several
// machines in one process: (address, size).
std::vector<std::pair<void*, size_t>> ClimbingInstanceGlobals();
