#pragma once
// NICE DOGGIE JUMP, event 4 of the championship: the four athletes make a
// triple jump (hop, step, jump) in turn over three zones of dogs into a
// pit, three attempts each; a judge measures each jump in metres or calls
// a foul, an announcer reads the distance, and the best of three counts.
// The screen owns the event's pictures, sounds and actors, runs the turns
// and, when it is deleted, writes every player's place and best distance
// (hundredths of a metre) into the player records.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "screen/event_screen.h"
#include "graphics/palette.h"

// States of the event (the turn's phases).
enum DoggieEventState : int {
  kDogTitleIn = -4,     // the title dissolves in with the opening call
  kDogTitleOut = -1,    // and out
  kDogReady = -11,      // every machine has its title gone
  kDogTurn = 0,         // a turn begins
  kDogJumping = 1,      // until the jumper has landed for good or is down
  kDogMeasure = 2,      // the judge walks in and reads the tape
  kDogAnnounce = 3,     // the distance is read out
  kDogFoulCall = 4,
  kDogVoice = 7,        // the jumper's own word after a foul
  kDogTurnDone = 49,    // until every machine is done with the turn
  kDogNext = 5,         // the next jumper or attempt
  kDogOver = 6,
};

class DoggieJumpEvent : public EventScreen {
 public:
  DoggieJumpEvent();
  ~DoggieJumpEvent() override;

  void OnDeactivate() override;
  void OnActivate() override;
  int IsMusicPlaying() override;

  // Makes the next player the jumper.
  virtual void NextTurn();
  // Fills the actor table with a fresh course.
  virtual void CreateActors();
  // Rebuilds the course for the next turn between two fades.
  virtual void RestartCourse();

  // State, for tests and the debug overlay.
  int GetEventState() const { return state_; }
  int GetAttempt() const { return attempt_; }
  const std::string& GetJumpText(int player, int attempt) const {
    return jumpTexts_[player & 3][(attempt >= 0 && attempt < 3) ? attempt : 0];
  }
  const std::string& GetBoardText() const { return boardText_; }
  const std::string& GetBestText() const { return bestText_; }
  const int* GetQueue() const { return queue_; }
  bool StartFailed() const { return quit_ != 0; }
  // A computer player's jump this machine's player may skip now (holding
  // his first action).
  bool ComputerJumpSkippable() const;
  // What the screen tells above the play: the skip hint, or why the jump was
  // a foul while it is called; empty when nothing.
  std::string HintText() const;
  int LoadedSoundCount() const;
  // The value the machines compare each frame.
  static int32_t ComputeSyncCheck();

 private:
  int EventFrame() override;
  void BeforeExchange() override;
  // load false: only the sound's length is read.
  void LoadSound(int sound, int row, bool load = true);
  Sprite* LoadSprite(const char* relative, uint32_t flags);
  void StepState();
  void SkipComputerJump();
  void Measure();
  void KeepBest(int distance);
  void UpdateActors();
  void DrawFrame();
  void DrawActors();
  void DrawBand();
  void RedrawTwice();
  void SetupBand();
  bool AnyLocalAction() const;

  // In the order of the screen's data.
  DDClipper* clipper_ = nullptr;
  DDSurface* statusPicture_ = nullptr;
  BitmapFont* boardFont_ = nullptr;
  BitmapFont* recordFont_ = nullptr;
  BitmapTransition* transition_ = nullptr;
  Sprite* titleSprite_ = nullptr;
  int32_t jumperRow_ = 0;
  int32_t order_[4] = {0, 1, 2, 3};
  int32_t queue_[6] = {-1, -1, -1, -1, -1, -1};
  int32_t queuePos_ = 0;
  int32_t state_ = kDogTitleIn;
  int32_t attempt_ = 0;
  int32_t transitionStep_ = 0;
  std::string jumpTexts_[4][3];
  std::string boardText_;
  std::string distanceLabel_, energyLabel_, bestLabel_, recordLabel_, foulText_, unitText_;
  std::string skipHint_;    // with the player's key named
  std::string foulReason_;  // why the last jump was a foul
  std::string bestText_;
  double bestDistance_ = 0.0;
  std::string recordText_;
  int32_t soundCount_ = 0;
  int32_t announceLeft_ = 0;  // frames left of the announcer's words on the title
  bool bandReady_ = false;
  PaletteEntry bandColours_[126] = {};
};

// Puts NICE DOGGIE JUMP into the shell's table of event screens as event 4.
void RegisterDoggieJumpEvent();

// The event's globals, which a test harness running several machines in one
// process keeps per machine: (address, size).
std::vector<std::pair<void*, size_t>> DoggieJumpInstanceGlobals();
