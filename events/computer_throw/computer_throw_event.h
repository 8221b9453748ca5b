#pragma once
// COMPUTER THROW, event 1 of the championship: the four contestants throw a
// computer in turn, three attempts each, and the longest throw of each
// counts. The screen owns the event's pictures and sounds and the actor
// table, runs the attempts and turns, has the judge measure and announce
// each throw, and when it is deleted writes every player's place and best
// distance (hundredths of a metre) into the player records.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "events/computer_throw/throw_actor.h"
#include "screen/event_screen.h"

// Event states.
enum ThrowEventState : int {
  kEvTitle = -3,       // the title card comes up with the opening call
  kEvTitleOut = -2,    // and goes
  kEvReady = -1,       // every machine ready
  kEvTurn = 0,         // a turn begins
  kEvThrowing = 5,     // until the computer is down
  kEvMeasure = 1,      // the judge walks out and reads the tape
  kEvAnnounce = 2,     // the distance is spoken
  kEvFoulCall = 6,
  kEvClosingCall = 7,
  kEvFoulDone = 61,
  kEvValidDone = 71,
  kEvNext = 3,         // the next contestant or attempt
  kEvOver = 4,
};

class ComputerThrowEvent : public EventScreen {
 public:
  ComputerThrowEvent();
  ~ComputerThrowEvent() override;

  void OnDeactivate() override;
  void OnActivate() override;
  int IsMusicPlaying() override;

  // Puts an actor at its start by its mode.
  void PlaceActor(ThrowActor* actor);
  // The current contestant's sheet, sounds and energy.
  void LoadContestant();
  // The distance signs and the props along the field.
  void LayoutSigns();
  // Fades out, (redraw set) loads the current contestant, redraws, fades in.
  void NextContestant(int redraw);

  // State, for tests and the debug overlay.
  int GetEventState() const { return eventState_; }
  int GetAttempt() const { return attempt_; }
  int GetBest(int contestant) const { return best_[contestant & 3]; }
  int GetEventBest() const { return static_cast<int>(eventBest_); }
  const std::string& GetAttemptText(int contestant, int attempt) const {
    return resultTexts_[contestant & 3][(attempt >= 0 && attempt < 3) ? attempt : 0];
  }
  const std::string& GetCurrentText() const { return currentText_; }
  const std::string& GetEventBestText() const { return eventBestText_; }
  const int* GetQueue() const { return queue_; }
  bool StartFailed() const { return quit_ != 0; }
  // A computer player's throw this machine's player may skip now (holding
  // his first action), and the line that says so; empty when there is none.
  bool ComputerThrowSkippable() const;
  // What the screen tells above the play: the skip hint, or why the last
  // throw was a foul while the judge calls it; empty when nothing.
  std::string HintText() const;
  int LoadedSoundCount() const;

 private:
  int EventFrame() override;
  // A start that failed leaves the display as it is.
  int LeaveFrame() override { return -1; }
  void BeforeExchange() override;
  void LoadSoundSet();
  // load false: only the sound's length is read (a machine short of memory
  // leaves the sound out but waits for it like the others).
  void LoadSound(int sound, int throwChar, bool load = true);
  void StepState();
  void SkipComputerThrow();
  void UpdateActors();
  void DrawScene();
  void DrawTexts();
  void SetAttemptText(int contestant, const std::string& text);
  void KeepBest(int contestant, int distance);
  void CreateActors();
  void DeleteActors();
  void PutActor(int kind, ThrowActor* actor);

  // In the order of the screen's data.
  int32_t soundSetCharacter_ = 0;
  int32_t eventState_ = kEvTitle;
  int32_t attempt_ = 1;
  int32_t queue_[6] = {-1, -1, -1, -1, -1, -1};
  int32_t queueCursor_ = 0;
  int32_t best_[4] = {0, 0, 0, 0};
  int32_t order_[4] = {0, 1, 2, 3};
  int32_t fadeLevel_ = 0;
  std::string resultTexts_[4][3];
  std::string currentText_;
  std::string eventBestText_;
  std::string distanceText_, energyText_, bestLabel_, recordLabel_, foulText_, unitText_;
  std::string skipHint_, foulReason_;  // with the player's keys named
  double eventBest_ = 0.0;
  std::string recordText_;

  DDSurface* palettePicture_ = nullptr;
  DDSurface* statusPicture_ = nullptr;
  DDClipper* clipper_ = nullptr;
  Sprite* misc_ = nullptr;
  Sprite* pipe_ = nullptr;
  Sprite* gulls_ = nullptr;
  Sprite* drums_ = nullptr;
  Sprite* clouds_ = nullptr;
  Sprite* computer_ = nullptr;
  Sprite* meter_ = nullptr;
  Sprite* sign_ = nullptr;
  Sprite* shadow_ = nullptr;
  Sprite* judge_ = nullptr;
  Sprite* icon_ = nullptr;
  Sprite* contestantSheet_ = nullptr;
  DDSurface* workSurface_ = nullptr;
  BitmapTransition* transition_ = nullptr;

  int32_t throwTimer_ = -1;
  int32_t soundCount_ = 0;
  int32_t throwDistance_ = 0;  // the current throw's distance (0 a foul)
  int32_t reenableJoysticks_ = 0;
};

// Puts COMPUTER THROW into the shell's table of event screens.
void RegisterComputerThrowEvent();

// The event's globals, which a test harness running several machines in one
// process keeps per machine: (address, size).
std::vector<std::pair<void*, size_t>> ComputerThrowInstanceGlobals();
