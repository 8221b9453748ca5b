#pragma once
// The save-game file: one championship as a fixed 296-byte record, little
// endian, in five slots "game0.dat" .. "game4.dat" of the save-game
// directory. The shop writes it (slot 4 on every arrival, any slot on "SAVE
// GAME n"); the new-game screen reads it on "LOAD GAME n".
//
// Writes go through a temporary file and a rename, so an interrupted save
// leaves the previous one whole; every field of a file read back is checked
// before anything of it reaches the game.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/player_records.h"

inline constexpr int kSaveGameSize = 296;
inline constexpr int kSaveGameSlots = 5;
inline constexpr int kAutoSaveSlot = 4;
inline constexpr int kCountries = 14;
inline constexpr int kCharacters = 6;

struct SaveGameRecord {
  uint32_t size = kSaveGameSize;  // +0
  int32_t playMode = 0;           // +4
  int32_t eventIndex = 0;         // +8 the event just played, 1..10
  int32_t trainingEvent = 0;      // +12 below 1 for a championship
  PlayerRecord players[kMaxPlayers] = {};  // +16, 68 bytes each
  int32_t localPlayers[2] = {0, 1};        // +288, +292
};

// Why a file was refused (kSaveOk when it was taken).
enum SaveGameError {
  kSaveOk = 0,
  kSaveMissing,        // no file in that slot
  kSaveUnreadable,     // it exists but cannot be read
  kSaveWrongLength,    // not 296 bytes long
  kSaveBadSizeField,   // the size field is not 296
  kSaveBadGameField,   // play mode, event, training event or local players out of range
  kSaveBadPlayer,      // a player record holds an impossible value
};

void EncodeSaveGame(const SaveGameRecord& rec, uint8_t out[kSaveGameSize]);
// Checks and decodes a file image. On refusal *why (when given) says what
// is wrong in a sentence the player can read, and *out is left alone.
SaveGameError DecodeSaveGame(const uint8_t* data, size_t size, SaveGameRecord* out,
                             std::string* why);

// The record of the game as it stands now (g_playMode, g_eventIndex,
// g_trainingEvent, g_players, g_localPlayers).
SaveGameRecord SnapshotGame();

// g_saveGamePath + "game" + slot + ".dat"; "" for a slot outside 0..4.
std::string SaveGamePath(int slot);
// False when the slot is bad or the file could not be written whole (the
// previous file of the slot then stays as it was).
bool WriteSaveGame(int slot, const SaveGameRecord& rec);
SaveGameError ReadSaveGame(int slot, SaveGameRecord* out, std::string* why);
