#pragma once
// The lock-step exchange every event runs on: each frame every machine sends
// its input with a frame number (sync point) and a check value, and no
// machine advances until it holds every player's input for that frame. In a
// game on one machine the same calls only copy the local input.
//
// A LockStep holds all of its state itself and reaches the game's globals
// only through its context, so that several machines can run in one process
// (tests, benchmarks). The screen framework keeps one per screen and makes
// GameScreen's calls thin calls into it; what the exchange must show or ask
// of the player goes through a LockStepUi.
#include <cstdint>
#include <string>

#include "base/player_records.h"
#include "net/net_message.h"

class Clock;
class NetSession;
struct NetMessage;

inline constexpr int kOutputRecordSize = 8;

// The game's own texts the exchange shows.
namespace lockstep_text {
inline constexpr const char* kWaitingFor = "\n\n\nWaiting for the following player(s):\n\n";    // 10542
inline constexpr const char* kAgreeToDrop = "\nPlayer(s) agree to drop the above player(s):\n\n";  // 10543
inline constexpr const char* kNoResponse = "\n\n\nNo response from the following player(s):\n\n";  // 10544
inline constexpr const char* kPressD = "Press 'D' to drop the player(s).\n";                      // 10546
inline constexpr const char* kPressQ = "Press 'Q' to quit current game.\n";                       // 10547
inline constexpr const char* kSyncLost = "Synchronization lost.\nGame terminated.\n";             // 1041
inline constexpr const char* kDroppedOut = "YOU ARE DROPPED OUT FROM THE GAME.";                   // 10549
inline constexpr const char* kPlayerLeft = "Player %s has left the game.";
}  // namespace lockstep_text

// What the exchange asks of the screen and the player. The defaults do
// nothing and see no keys, so the exchange runs headless.
class LockStepUi {
 public:
  virtual ~LockStepUi() = default;
  // The wait box with wrapped text over the current picture; called again
  // whenever the text changes.
  virtual void ShowWaitBox(const std::string& text) {}
  virtual void CloseWaitBox() {}
  // First pass of the wait for players: the options menu made from the
  // dialog palette, so that the player can leave while waiting.
  virtual void PrepareWaitMenu() {}
  // One frame of the screen while waiting: chat input, the base Run, flip.
  // Returns Run's result (-1: the player left for the main menu).
  virtual int RunWaitFrame() { return 0; }
  // Pumps window events. While deferActivation is set, the pump must not
  // call into the screen on activation changes (it is still being built):
  // it queues them until the constructor has returned.
  virtual void PumpEvents(bool deferActivation) {}
  // True once for each press of the key ('D', 'Q') since the last call.
  virtual bool TakeKeyPress(char key) { return false; }
  // Reads and resets one player's input map (0 the first local player's,
  // 1 the second's): actions 0..9, each held << 7 | presses (1..127).
  virtual void PollActionMap(int which, uint8_t actions[kPlayerStateSize]) {
    for (int i = 0; i < kPlayerStateSize; ++i) actions[i] = 0;
  }
  // End of a wait for players: reset the shared input map and enable the
  // joysticks.
  virtual void FinishWait() {}
  // A timed message line ("Player %s has left the game.").
  virtual void AddMessage(const std::string& text) {}
  // The back buffer and the screen filled black.
  virtual void BlankScreen() {}
};

struct LockStepContext {
  NetSession* session = nullptr;
  PlayerRecord* players = nullptr;                   // 4 records
  uint8_t (*playerStates)[kPlayerStateSize] = nullptr;  // 4 states
  int32_t* localPlayers = nullptr;                   // first, second local slot; seed
  int32_t* playMode = nullptr;
  Clock* clock = nullptr;                            // null: the program's clock
  // The game's globals (g_netSession, g_players, ...).
  static LockStepContext Globals();
};

class LockStep {
 public:
  // Results of the stepwise calls while the exchange still waits.
  static constexpr int kPending = 0x7FFF0000;

  explicit LockStep(const LockStepContext& ctx, LockStepUi* ui = nullptr);
  ~LockStep();
  LockStep(const LockStep&) = delete;
  LockStep& operator=(const LockStep&) = delete;

  // --- the calls of the screen ---
  int WaitForPlayers();
  int ReadLocalInput();
  int ExchangeInput();
  // Tells the other machines that this machine's event is over, once:
  // the message names the last frame this machine played, so that each of
  // them plays up to that frame and ends after it. A machine that ended on
  // another's word sends nothing. Either way the session keeps this
  // machine's input of that frame (and the end) to answer the requests of
  // a machine that lost them, until the next event begins.
  int BroadcastEventEnd();
  // Ends the event here as if another machine had ended it, after the
  // frames whose input this machine has already sent (the others may play
  // those): no further input goes out, and the exchange after them
  // returns 1. For an end that the game's state does not decide (the
  // end-event code typed on one machine).
  bool RequestEnd();
  int HandleSystemMessage(const NetMessage& msg);
  void SetSyncCheck(int32_t value) { syncCheck_ = value; }

  void PutOutByte(int offset, uint8_t value);
  void PutOutWord(int offset, uint16_t value);
  void PutOutDword(int offset, uint32_t value);
  uint8_t GetPlayerByte(int player, int offset) const;
  uint16_t GetPlayerWord(int player, int offset) const;
  uint32_t GetPlayerDword(int player, int offset) const;
  bool AnyPlayerByteIs(int offset, uint8_t value) const;
  bool AllPlayersByteAre(int offset, uint8_t value) const;

  // --- the same waits in steps, for machines that share one thread ---
  // Begin...() then Step...() until it returns something else than kPending.
  void BeginWaitForPlayers();
  int StepWaitForPlayers();
  void BeginExchange();
  int StepExchange();

  // --- state, for the screen and for tests ---
  int32_t syncPoint() const { return syncPoint_; }
  // The last frame this machine played (its exchange returned 0); -1 none.
  int32_t lastPlayed() const { return lastPlayed_; }
  // The sync point whose exchange returns 1 at once (-1: no end known yet).
  int32_t endAt() const { return endAt_; }
  int32_t syncCheck() const { return syncCheck_; }
  const uint8_t* ownState() const { return ownState_; }
  const uint8_t* secondState() const { return secondState_; }
  const uint8_t* ownOutput() const { return ownOutput_; }
  const uint8_t* output(int player) const { return outputs_[player & 3]; }
  bool waitBoxShown() const { return boxShown_; }
  const LockStepContext& context() const { return ctx_; }

 private:
  bool Network() const;
  int OwnSlot() const;
  void Sleep(uint32_t ms);
  uint32_t Now() const;
  void SendMessage(int to, const uint8_t* data, int size);
  // Sends this machine's player block (the four records) with its flag.
  void SendBlock(int to, uint8_t flag);
  void MakeBlock(uint8_t flag, uint8_t block[kMsgPlayerBlockSize]) const;
  // Sends a 6-byte message of the given type with `value` at offset 4.
  void SendShort(int to, uint8_t type, uint8_t value);
  std::string NameOf(int slot) const;
  std::string BoxText(const char* head, const bool missing[4], bool noResponse) const;
  void ShowBox(const std::string& text);
  void CloseBox();
  void CastVote();
  void ApplyDropRule(const bool missing[4]);
  void FallBackToLocal();
  // Whether a player takes part in the game, and whether its input comes
  // from another machine, as this exchange sees it.
  bool InGame(int slot) const;
  bool Awaited(int slot) const;
  void ResetAwaited(bool (&arrived)[kMaxPlayers], bool (&voted)[kMaxPlayers], bool (&kept)[kMaxPlayers]);
  // A player who left: the computer plays it from this frame on.
  void ApplyLeft(int slot);
  void KeepEarly(int slot, const uint8_t* msg);
  int FinishWait();
  int FinishExchange();
  void SendResendRequest(int to);
  void CopyInput(int slot, const uint8_t* msg);
  // The exchange of `point` and every later one return 1.
  void EndAt(int32_t point);

  LockStepContext ctx_;
  LockStepUi* ui_;

  uint8_t ownState_[kPlayerStateSize] = {};
  uint8_t secondState_[kPlayerStateSize] = {};
  int32_t syncPoint_ = 0;
  int32_t syncCheck_ = 0;
  uint8_t outputs_[kMaxPlayers][kOutputRecordSize] = {};
  uint8_t ownOutput_[kOutputRecordSize] = {};
  uint8_t lastSent_[kMsgInputSize] = {};
  uint8_t sentBefore_[kMsgInputSize] = {};

  // The players in the game as the exchange sees them. A player who leaves
  // leaves at one sync point on every machine: after the last input of his
  // that any machine received, which may be later than this machine's
  // session learned of it. Until then he stays in the game ("leaving").
  bool viewSet_ = false;
  bool inGame_[kMaxPlayers] = {};
  bool leaving_[kMaxPlayers] = {};
  bool leavingHost_[kMaxPlayers] = {};
  bool inputNow_[kMaxPlayers] = {};  // his input for the current point came
  // The host's slot the game goes by, held in the session while it runs.
  int gameHost_ = -1;
  bool holdsHost_ = false;
  bool marksGame_ = false;  // this lock-step told the session a game runs

  // The wait box.
  bool boxShown_ = false;
  std::string boxText_;

  // Wait for players.
  bool answered_[kMaxPlayers] = {};
  bool voted_[kMaxPlayers] = {};
  bool blockKept_[kMaxPlayers] = {};
  uint8_t blocks_[kMaxPlayers][kMsgPlayerBlockSize] = {};
  // The block this machine sent at the end of its wait: the records every
  // machine starts the event with. A machine that lost it and asks again
  // gets these bytes, not the records as the event has changed them since.
  uint8_t finalBlock_[kMsgPlayerBlockSize] = {};
  bool finalBlockKept_ = false;
  bool ownVoteCast_ = false;
  bool dropDone_ = false;
  int passes_ = 0;
  bool boxOpenedHere_ = false;
  bool waitNetwork_ = false;

  // Exchange.
  bool had_[kMaxPlayers] = {};
  bool earlyKept_[kMaxPlayers] = {};
  uint8_t early_[kMaxPlayers][kMsgInputSize] = {};
  int32_t resentFor_[kMaxPlayers] = {};
  int result_ = 0;
  bool done_ = false;
  int32_t lastPlayed_ = -1;
  // The end as this machine knows it: the exchange of point endAt_ returns
  // 1 before any input of that point is awaited (or sent).
  int32_t endAt_ = -1;
  bool endHeard_ = false;  // another machine said the event is over
  bool endSent_ = false;   // this machine said so (or ended on the word of another)

  bool pumpEvents_ = false;
  uint32_t exchangeStart_ = 0;
  uint32_t lastRequest_ = 0;
};
