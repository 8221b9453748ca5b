#pragma once
// The four player records are the championship's whole state. Their 68-byte
// little-endian layout is a file and wire format (save games, lock-step and
// lobby messages), so the struct is only ever moved to and from bytes through
// EncodePlayerRecord / DecodePlayerRecord.
#include <cstddef>
#include <cstdint>

struct PlayerRecord {
  int32_t country;      // +0  0..13; negative step values in the network lobby
  char name[11];        // +4  up to 10 characters and a zero
  uint8_t human;        // +15 1 a person, 0 the computer
  int32_t character;    // +16 0..5
  int32_t money;        // +20
  int32_t points;       // +24
  int32_t place;        // +28 0 first .. 3 fourth, -1 none
  int32_t powerPills;   // +32
  int32_t weaponUnits;  // +36
  int32_t energy;       // +40 0..100
  int32_t strength;     // +44
  int32_t speed;        // +48
  int32_t endurance;    // +52
  int32_t weaponPower;  // +56 per-character start value (damage factor of the thrown weapon)
  int32_t reserved60;   // +60 carried in saves and messages, read by nobody
  int32_t result;       // +64 the last event's result value
};
static_assert(sizeof(PlayerRecord) == 68);
static_assert(offsetof(PlayerRecord, name) == 4);
static_assert(offsetof(PlayerRecord, human) == 15);
static_assert(offsetof(PlayerRecord, character) == 16);
static_assert(offsetof(PlayerRecord, place) == 28);
static_assert(offsetof(PlayerRecord, weaponPower) == 56);
static_assert(offsetof(PlayerRecord, result) == 64);

inline constexpr int kPlayerRecordSize = 68;
inline constexpr int kMaxPlayers = 4;
inline constexpr int kPlayerStateSize = 10;

void EncodePlayerRecord(const PlayerRecord& rec, uint8_t out[kPlayerRecordSize]);
// Always succeeds on 68 bytes; the name is zero-terminated whatever the bytes say.
void DecodePlayerRecord(const uint8_t in[kPlayerRecordSize], PlayerRecord* rec);
// Sets the start values of a new record for a character 0..5 (others clamp to 0).
void InitPlayerRecord(PlayerRecord* rec, int character);
// Copies a name into the record, cut to 10 characters and terminated.
void SetPlayerName(PlayerRecord* rec, const char* name);

extern PlayerRecord g_players[kMaxPlayers];
// First local player's slot, second local player's slot, shared random seed.
extern int32_t g_localPlayers[3];
extern int32_t g_playMode;       // 0 one player, 1 two on one machine, 2 network
extern int32_t g_eventIndex;     // 0 before the first event, then 1..10
extern int32_t g_trainingEvent;  // below 1 in a championship, else the training event
// Per slot: bytes 0-3 right, down, left, up; 4-9 actions 4-9; each held << 7 | pressed.
extern uint8_t g_playerStates[kMaxPlayers][kPlayerStateSize];
