#pragma once
// The network lobby: while a network game is being set up, the new-game
// screen of every machine exchanges lobby messages through the session so
// that all machines hold the same four player records and the same random
// seed before the first event.
//
//   0x30 player      32  +4 u8 0; +5 name field (15 bytes); +0x14 i32 character;
//                        +0x18 i16 country field (lobby codes below, or 0..13)
//   0x31 claim       32  as 0x30 with country -2: "I want this character"
//   0x32 answer      32  the claim sent back by the host: granted
//   0x33 start      284  +4 u32 0; +8 four player records; +0x118 u32 seed
//   0x39 saved game 288  +4 u32 1; +8 i32 event; +0xC i32 training event;
//                        +0x10 four saved player records
//
// Nothing a remote machine sends is trusted: a name must end within the 10
// characters and the zero of a player record (the wire field is wider),
// characters, countries and lobby codes must be in range, whole records must
// be sound, and start, answer and saved-game messages are taken from the
// host only. Anything else is dropped.
//
// NetLobby holds the lobby's state and reaches the game's globals only
// through its context, so that several machines can run in one process.
#include <cstddef>
#include <cstdint>

#include "base/player_records.h"

class NetSession;
struct NetMessage;

inline constexpr int kLobbyPlayerSize = 32;
inline constexpr int kLobbyStartSize = 284;
inline constexpr int kLobbySavedGameSize = 288;
inline constexpr int kLobbyNameField = 15;  // on the wire; a record holds 10 + zero

// Lobby codes in a record's country field while the lobby runs.
inline constexpr int32_t kLobbyCodeEmpty = -1;
inline constexpr int32_t kLobbyCodeCountry = -2;    // character chosen
inline constexpr int32_t kLobbyCodeCharacter = -3;  // name given

inline constexpr int kLobbyCountries = 14;
inline constexpr int kLobbyCharacters = 6;

// The game's texts the lobby needs shown.
namespace lobby_text {
inline constexpr const char* kHostLeft = "Host has left the game";           // 10503
inline constexpr const char* kPlayerJoining = "Player %s is joining the game.";  // 1042
}  // namespace lobby_text

struct LobbyPlayerMessage {
  uint8_t type = 0x30;   // 0x30, 0x31 or 0x32
  char name[11] = {};    // at most 10 characters
  int32_t character = 0;
  int32_t country = 0;
};

struct LobbyStartMessage {
  PlayerRecord players[kMaxPlayers] = {};
  uint32_t seed = 0;
};

struct LobbySavedGameMessage {
  int32_t eventIndex = 1;
  int32_t trainingEvent = 0;
  PlayerRecord players[kMaxPlayers] = {};
};

// Encoders write the whole message, header included. Decoders check every
// byte they read and return false for a message to drop.
void EncodeLobbyPlayer(const LobbyPlayerMessage& m, uint8_t out[kLobbyPlayerSize]);
bool DecodeLobbyPlayer(const uint8_t* data, size_t size, LobbyPlayerMessage* out);
void EncodeLobbyStart(const LobbyStartMessage& m, uint8_t out[kLobbyStartSize]);
bool DecodeLobbyStart(const uint8_t* data, size_t size, LobbyStartMessage* out);
void EncodeLobbySavedGame(const LobbySavedGameMessage& m, uint8_t out[kLobbySavedGameSize]);
bool DecodeLobbySavedGame(const uint8_t* data, size_t size, LobbySavedGameMessage* out);
// A 68-byte record as it travels: printable name ended within 11 bytes,
// country 0..13, human 0 or 1, character 0..5, money, points, place, pills,
// weapons and the four trained values in their ranges.
bool LobbyRecordSound(const uint8_t record[kPlayerRecordSize]);

struct LobbyContext {
  NetSession* session = nullptr;
  PlayerRecord* players = nullptr;  // 4 records
  int32_t* localPlayers = nullptr;  // first, second local slot; seed
  int32_t* playMode = nullptr;
  int32_t* eventIndex = nullptr;
  int32_t* trainingEvent = nullptr;
  // The game's globals (g_netSession, g_players, ...).
  static LobbyContext Globals();
};

// What one Poll brought, for the screen to act on.
struct LobbyPoll {
  // "Host has left the game": close, back to the menu. Only when nobody else
  // is left (or this machine was dropped): otherwise another machine of the
  // session takes the host's place.
  bool hostLeft = false;
  bool removed = false;       // with hostLeft: the host took this machine out of the lobby
  bool shutOut = false;       // the host started without a player of this machine
  bool claimGranted = false;  // the own character is ours: on to the country
  bool started = false;       // the host started: records and seed are set
  bool savedGame = false;     // the host's saved game: records set, go to "ready" (with a slot)
  int dropped = 0;            // messages refused by the checks
};

class NetLobby {
 public:
  explicit NetLobby(const LobbyContext& ctx);

  // The slot of this machine's player (-1 until the session gave one).
  void SetOwnSlot(int slot) { ownSlot_ = slot; }
  int OwnSlot() const { return ownSlot_; }
  bool IsHost() const;

  // A saved network game hosted here: its records are handed to the players
  // who join under their saved names.
  void SetHostedSavedGame(int32_t eventIndex, int32_t trainingEvent,
                          const PlayerRecord saved[kMaxPlayers]);
  // The saved game loaded after others joined: each of them whose name is
  // in it gets his record as if he had just joined.
  void HandOutSavedGame();
  bool Loaded() const { return loaded_; }
  const PlayerRecord* SavedRecords() const { return saved_; }

  // --- sending ---
  // 0x30 with the own record's name, country and character, to all others.
  bool SendOwnRecord();
  // A client's wish for a character (0x31 to all others; the host answers).
  bool SendClaim(int character);
  int PendingClaim() const { return pendingClaim_; }
  // Whether a record other than exceptSlot holds the character (its country
  // neither "empty" nor "name given").
  bool CharacterTaken(int character, int exceptSlot) const;
  // The host's own choice, by the rule it applies to every claim: false when
  // the character is taken; else the own record gets it (country -2).
  bool HostTakeCharacter(int character);

  // --- receiving ---
  // Handles every waiting message; stops after one that ends the lobby
  // (host left, start), leaving later traffic for the next screen.
  LobbyPoll Poll();
  int droppedTotal() const { return droppedTotal_; }

  // --- admission (host) ---
  // A machine whose player has not sent his record this long after he
  // joined is not going to: it is taken out of the lobby, where it would
  // keep the game from starting.
  static constexpr uint32_t kJoinLimitMs = 15000;
  // Takes the machine of a remote player out of the lobby (the host's
  // choice, or the join limit). False when that cannot be done here.
  bool RemoveMachine(int slot);

  // --- start (host) ---
  // The first used session slot whose record is still choosing, or -1.
  int JoiningSlot() const;
  // Loaded game: every slot without a player takes its saved record, played
  // by the computer.
  void FillAbsentFromSaved();
  // Sends 0x33 with the four records and the seed (kept in localPlayers[2]).
  bool SendStart(uint32_t seed);
  // After the start, on the host: one left alone closes the session and goes
  // on as a game on this machine; then no one else may join. Called on every
  // machine: whichever takes the host's place later admits nobody either.
  void FinishStart();

 private:
  bool Send(const uint8_t* data, size_t size, int to);
  bool FromHost(int from) const;
  bool UsedSlot(int slot) const;
  bool FillFromPlayerMessage(int slot, const LobbyPlayerMessage& m);
  void DropSilentJoiners();
  void HandleJoined(int slot, const char* name, bool entry);
  bool HandleSavedGame(const LobbySavedGameMessage& m);

  LobbyContext ctx_;
  int ownSlot_ = -1;
  int pendingClaim_ = -1;
  bool loaded_ = false;
  PlayerRecord saved_[kMaxPlayers] = {};
  int droppedTotal_ = 0;
  // Per slot: when its player joined as this machine saw it, and whether
  // his machine has sent a lobby record for him since.
  bool joinSeen_[kMaxPlayers] = {};
  uint32_t joinedAt_[kMaxPlayers] = {};
  bool recordHeard_[kMaxPlayers] = {};
};
