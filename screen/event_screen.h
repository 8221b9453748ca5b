#pragma once
// EventScreen: the frame every event runs, so that an event's own file holds
// its rules and its drawing only. Run() leaves when the start hand-shake was
// left, takes the chat line, paces the frame, feeds the streamed sounds,
// gives the options menu its turn (while it is open no input is exchanged,
// so every machine counts the same frames), exchanges the players' input
// and then calls the event's EventFrame. Events whose title is the common
// one (the announcer calls the event while the title dissolves in, any
// machine may end it, all fade it out and start play together) run it with
// TitleFrame.
#include <cstdint>

#include "base/instance_globals.h"
#include "screen/game_screen.h"

class BitmapFont;
class BitmapTransition;
class DDClipper;
class DDPalette;
class DDSurface;
class Sprite;

// The steps of an event's palette fades, in and out.
inline constexpr int kEventFadeSteps = 64;

// How an event's frame is opened.
struct EventFrameSpec {
  int periodMs = 65;         // the frame at normal game speed
  bool feedStreams = false;  // the event streams sounds: feed them once a frame
  // Show the picture drawn in the frame before as soon as the frame begins,
  // before the input exchange (otherwise the event flips in its own step).
  bool flipFirst = false;
};

// The phases of the common title; play begins at kPhasePlay.
enum EventPhase : int32_t {
  kPhaseAnnounce = 0,
  kPhaseTitleIn = 1,
  kPhaseTitleOut = 2,
  kPhaseTitleWait = 3,
  kPhasePlay = 4,
};

// The bytes of a machine's output record that the common title uses: done
// with the title (a key or the announcer's end), and its title faded out.
struct TitleBytes {
  int done;
  int ready;
};

class EventScreen : public GameScreen {
 public:
  int Run() override;

 protected:
  explicit EventScreen(const EventFrameSpec& spec) : GameScreen(1), spec_(spec) {}

  // The event's part of a frame, once every machine's input for it has come:
  // what Run returns (0 go on, 1 the event is over, -1 leave).
  virtual int EventFrame() = 0;
  // The frame after the start hand-shake was left: clear the display, leave.
  virtual int LeaveFrame();
  // Whether this frame is due; an event with a pacer of its own says so here.
  virtual bool FrameDue() { return DelayElapsed(timer_, spec_.periodMs) != 0; }
  // After the frame's flip (spec.flipFirst) and before the input exchange.
  virtual void BeforeExchange() {}
  // The exchange says another machine ended the event: what Run returns.
  virtual int EndHeard() { return 1; }
  // The options menu leaves the event to the main menu.
  virtual void MenuLeft() {}

  // The end of the event, decided in this frame's step: told to the others.
  int EndEvent() {
    BroadcastEventEnd();
    return 1;
  }

  // One frame of the common title; `phase` starts at kPhaseAnnounce and
  // reaches kPhasePlay on every machine at the same frame. `players` are the
  // rows of g_playerStates whose presses end the title on this machine.
  void TitleFrame(int32_t& phase, const TitleBytes& bytes, const int* players, int count);
  // What the common title asks of the event: start the announcer (his
  // slot goes in titleAnnouncer_, his length in frames in announcerLength_);
  // draw one frame of the title dissolving in (+1) or out (-1) and return
  // the fade level; draw a frame while the others fade out; free the
  // title's pictures. The announcer is stopped when the title is left and
  // unloaded with the title.
  virtual void TitleBegin() {}
  virtual int TitleStep(int direction) { return 0; }
  virtual void TitleWaitFrame() {}
  virtual void TitleEnd() {}

  EventFrameSpec spec_;
  int32_t timer_ = -1;  // the frame pacer's stopwatch
  int32_t quit_ = 0;    // the start hand-shake was left: leave at the first frame
  DDPalette* palette_ = nullptr;  // the event's palette
  int32_t announcerFrames_ = 0;
  int32_t announcerLength_ = 0;
  int32_t titleAnnouncer_ = -1;
};

// Helpers of the events' resources.
template <typename T>
void DeleteAndClear(T*& p) {
  delete p;
  p = nullptr;
}
void ReleaseClipper(DDClipper*& c);
// Unloads and frees a sound slot of the sound manager; the slot becomes -1.
void FreeSound(int32_t& slot);
// The player slot (0..3) of this machine's first or second person.
int LocalPlayer(int which);
