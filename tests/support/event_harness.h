#pragma once
// The event harness: runs one screen (an event, usually) headless and
// unpaced from its constructor until its Run returns, on the virtual clock,
// with player-record fixtures, a shared seed and a script of per-frame input;
// or runs 2 to 4 copies of it as the machines of a network game in lock-step
// over the in-memory hub, comparing their sync values every frame.
//
// The machines share one process: each runs on a thread of its own, but only
// one runs at a time and control passes on whenever a machine sleeps (the
// waits of the lock-step exchange) or ends a frame. The game's globals (player
// records and input states, the seed, the random generator, the session, the
// current screen...) are kept per machine and put in place before it runs.
// Globals of an event's own module are kept per machine when listed in
// HarnessOptions::instanceGlobals.
//
// In an event's tests:
//   HarnessOptions o;
//   o.players = ComputerFixtures();           // or FixturePlayer(...) each
//   o.make = [] { return new ComputerThrowEvent(); };
//   o.machines = 4;                           // lock-step over the hub
//   o.instanceGlobals = {{&g_throwCurrent, sizeof g_throwCurrent}};
//   HarnessRun run = RunEventHarness(o);
//   EXPECT_TRUE(run.syncEqual);
//   EXPECT_EQ(run.machines[0].players[0].place, ...);
// The input of frame f of a script is read at the end of frame f and acted
// on by every machine in frame f + 1 (frame -1 is the constructor's read).
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/player_records.h"
#include "net/net_hub.h"

class GameScreen;

// A player record as a new game makes it, with a name and who plays it.
PlayerRecord FixturePlayer(int character, bool human, const char* name, int country = 0);
// Four computer players of characters 0..3 (names "CPU1".."CPU4").
std::array<PlayerRecord, 4> ComputerFixtures();

// Per-frame input of the local players of one machine: for each frame the
// ten action bytes of a player's map (actions 0..9: up, down, left, right,
// fire 1..6), each held << 7 | presses, as the input maps would give them.
class InputScript {
 public:
  // One press of `action` by local player `which` (0 or 1) in `frame`.
  InputScript& Press(int frame, int action, int which = 0);
  // `action` held from `first` to `last` frame (pressed once in `first`).
  InputScript& Hold(int first, int last, int action, int which = 0);
  // A key of the wait boxes ('D' drop, 'Q' quit) pressed in `frame`.
  InputScript& Key(int frame, char key);

  // The bytes of a frame (false: no input at all that frame).
  bool Actions(int frame, int which, uint8_t out[kPlayerStateSize]) const;
  bool KeyPressed(int frame, char key) const;

 private:
  std::map<std::pair<int, int>, std::array<uint8_t, kPlayerStateSize>> actions_;
  std::map<int, std::string> keys_;
};

struct HarnessOptions {
  // Builds the screen, as the shell's event factory would (its constructor
  // runs on the machine's own thread and may wait for the other machines).
  std::function<GameScreen*()> make;
  std::array<PlayerRecord, 4> players = ComputerFixtures();
  // The shared seed of a network game; on one machine the virtual clock
  // starts at it (screens seed themselves from the clock there).
  uint32_t seed = 1;
  // 1: a game on one machine (playMode 0 or 1); 2..4: a network game of that
  // many machines, machine i playing slot i (players i with human set are
  // played by machine i, the others by the computer).
  int machines = 1;
  int playMode = 0;
  // Input per machine; missing scripts give no input.
  std::vector<InputScript> scripts;
  // g_eventIndex while the screen runs (the shell sets it to the event's
  // number once the event is built).
  int eventIndex = 0;
  int maxFrames = 20000;
  // Per machine (network games): after this many frames the machine leaves
  // the game as a player who quits does (its screen is deleted and its
  // session closed); 0 or missing: it plays to the end.
  std::vector<int> leaveAfterFrames;
  int gameSpeed = 5;  // unpaced
  // The event's module globals, kept per machine: (address, size in bytes).
  std::vector<std::pair<void*, size_t>> instanceGlobals;
  // Draw every n-th frame only (1: every frame): on the other frames the
  // display has no back buffer, as in its one-buffer mode, and screens that
  // draw into ShellBackSurface() skip their drawing. Long runs under the
  // sanitizers spend most of their time drawing; the logic must come out the
  // same whatever is drawn.
  int drawEvery = 1;
  // Called after every frame of every machine, on that machine's globals.
  std::function<void(int machine, int frame, GameScreen* screen)> onFrame;
  // Faults of the in-memory network between the machines once they have
  // joined the session (loss, delay, duplicates, reordering).
  NetHub::Faults faults;
};

struct HarnessRun {
  struct Machine {
    int result = 0;   // Run's non-zero result, 0 when maxFrames ran out or it left
    int frames = 0;   // Run calls
    bool built = false;
    bool left = false;  // it left the game (leaveAfterFrames)
    // Sync check value after each frame, by sync point.
    std::map<int32_t, int32_t> syncChecks;
    std::array<PlayerRecord, 4> players{};  // after the screen was deleted
  };
  std::vector<Machine> machines;
  // Every sync point all machines reached carries one check value on all.
  bool syncEqual = true;
  int32_t firstMismatch = -1;
  bool timedOut = false;  // some machine never ended
  uint32_t virtualMs = 0;
};

// Runs the screen as the options say. Headless services (display on a
// memory presenter, stopwatches, null sound device, input maps) are made
// for the run when the program's are not up, and removed afterwards.
HarnessRun RunEventHarness(const HarnessOptions& options);

// Takes every free slot of the sound manager (call it in HarnessOptions::make
// before building the screen): the screen then loads none of its sounds, as
// on a machine whose sound device, memory or slots leave it silent.
void TakeEverySoundSlot();

// The checks of a network run that played to its end on every machine: none
// timed out, every one ended the event (result 1) with at least `minChecks`
// sync points whose values are all machine 0's, and every one holds the
// same player records afterwards (places, results, energies...).
void ExpectMachinesAgree(const HarnessRun& run, size_t minChecks);

// Every listed machine holds the player records of the first listed one,
// byte for byte as they are sent; no list: every machine those of machine 0.
void ExpectSameRecords(const HarnessRun& run, const std::vector<int>& machines = {});

// The records of an event's end carry the results and places play left
// (`result`, `place`: a player each), energies from 0 to 100 and the four
// places 0..3 once each.
void ExpectRecordedStandings(const std::array<PlayerRecord, 4>& records, const int32_t result[4],
                             const int32_t place[4]);
