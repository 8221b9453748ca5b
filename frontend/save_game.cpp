#include "frontend/save_game.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/atomic_file.h"
#include "base/paths.h"
#include "screen/config.h"

namespace {

void PutU32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

uint32_t GetU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

int32_t GetI32(const uint8_t* p) { return static_cast<int32_t>(GetU32(p)); }

bool InRange(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

std::string Format(const char* fmt, int a, int b = 0) {
  char buf[160];
  std::snprintf(buf, sizeof buf, fmt, a, b);
  return buf;
}

// The checks of one 68-byte record as stored; "" when it is sound.
std::string CheckPlayer(const uint8_t* p, int index) {
  int n = index + 1;
  // The name: printable characters, terminated within its 11 bytes.
  const uint8_t* name = p + 4;
  int len = 0;
  while (len < 11 && name[len] != 0) {
    if (name[len] < 32 || name[len] > 126) return Format("Player %d's name holds a strange character.", n);
    ++len;
  }
  if (len == 11) return Format("Player %d's name is not terminated.", n);
  if (!InRange(GetI32(p + 0), 0, kCountries - 1)) return Format("Player %d has no country.", n);
  if (p[15] > 1) return Format("Player %d is neither a person nor the computer.", n);
  if (!InRange(GetI32(p + 16), 0, kCharacters - 1)) return Format("Player %d has no athlete.", n);
  if (!InRange(GetI32(p + 20), 0, 100000000)) return Format("Player %d's money is impossible.", n);
  if (!InRange(GetI32(p + 24), 0, 100000)) return Format("Player %d's points are impossible.", n);
  if (!InRange(GetI32(p + 28), -1, 3)) return Format("Player %d's place is impossible.", n);
  if (!InRange(GetI32(p + 32), 0, 1000000)) return Format("Player %d's power pills are impossible.", n);
  if (!InRange(GetI32(p + 36), 0, 100000000)) return Format("Player %d's weapons are impossible.", n);
  for (int off = 40; off <= 52; off += 4) {
    if (!InRange(GetI32(p + off), 0, 100)) return Format("Player %d's training is out of range.", n);
  }
  if (!InRange(GetI32(p + 56), 0, 10000)) return Format("Player %d's athlete values are impossible.", n);
  return "";
}

}  // namespace

void EncodeSaveGame(const SaveGameRecord& rec, uint8_t out[kSaveGameSize]) {
  PutU32(out + 0, rec.size);
  PutU32(out + 4, static_cast<uint32_t>(rec.playMode));
  PutU32(out + 8, static_cast<uint32_t>(rec.eventIndex));
  PutU32(out + 12, static_cast<uint32_t>(rec.trainingEvent));
  for (int i = 0; i < kMaxPlayers; ++i) EncodePlayerRecord(rec.players[i], out + 16 + i * kPlayerRecordSize);
  PutU32(out + 288, static_cast<uint32_t>(rec.localPlayers[0]));
  PutU32(out + 292, static_cast<uint32_t>(rec.localPlayers[1]));
}

SaveGameError DecodeSaveGame(const uint8_t* data, size_t size, SaveGameRecord* out,
                             std::string* why) {
  std::string reason;
  SaveGameError error = kSaveOk;
  if (!data || size != kSaveGameSize) {
    error = kSaveWrongLength;
    reason = Format("The file is %d bytes long instead of %d.", static_cast<int>(size), kSaveGameSize);
  } else if (GetU32(data) != kSaveGameSize) {
    error = kSaveBadSizeField;
    reason = "The file is not a saved game of this version.";
  } else {
    int32_t mode = GetI32(data + 4), event = GetI32(data + 8), training = GetI32(data + 12);
    int32_t first = GetI32(data + 288), second = GetI32(data + 292);
    if (!InRange(mode, 0, 2)) {
      error = kSaveBadGameField;
      reason = "The kind of game is unknown.";
    } else if (!InRange(event, 1, 10)) {
      error = kSaveBadGameField;
      reason = "The number of the event is out of range.";
    } else if (!InRange(training, -1, 10)) {
      error = kSaveBadGameField;
      reason = "The training event is out of range.";
    } else if (!InRange(first, 0, kMaxPlayers - 1) || !InRange(second, -1, kMaxPlayers - 1) ||
               (mode == 1 && (second < 0 || second == first))) {
      error = kSaveBadGameField;
      reason = "The players at this machine are out of range.";
    } else {
      for (int i = 0; i < kMaxPlayers && error == kSaveOk; ++i) {
        reason = CheckPlayer(data + 16 + i * kPlayerRecordSize, i);
        if (!reason.empty()) error = kSaveBadPlayer;
      }
      if (error == kSaveOk && data[16 + first * kPlayerRecordSize + 15] != 1) {
        error = kSaveBadPlayer;
        reason = "The player at this machine is not a person.";
      }
    }
  }
  if (error != kSaveOk) {
    if (why) *why = reason;
    return error;
  }
  SaveGameRecord rec;
  rec.size = GetU32(data);
  rec.playMode = GetI32(data + 4);
  rec.eventIndex = GetI32(data + 8);
  rec.trainingEvent = GetI32(data + 12);
  for (int i = 0; i < kMaxPlayers; ++i) DecodePlayerRecord(data + 16 + i * kPlayerRecordSize, &rec.players[i]);
  rec.localPlayers[0] = GetI32(data + 288);
  rec.localPlayers[1] = GetI32(data + 292);
  if (out) *out = rec;
  if (why) why->clear();
  return kSaveOk;
}

SaveGameRecord SnapshotGame() {
  SaveGameRecord rec;
  rec.size = kSaveGameSize;
  rec.playMode = g_playMode;
  rec.eventIndex = g_eventIndex;
  rec.trainingEvent = g_trainingEvent;
  std::memcpy(rec.players, g_players, sizeof rec.players);
  rec.localPlayers[0] = g_localPlayers[0];
  rec.localPlayers[1] = g_localPlayers[1];
  return rec;
}

std::string SaveGamePath(int slot) {
  if (slot < 0 || slot >= kSaveGameSlots) return "";
  char name[16];
  std::snprintf(name, sizeof name, "game%d.dat", slot);
  return JoinPath(g_saveGamePath.c_str(), name);
}

bool WriteSaveGame(int slot, const SaveGameRecord& rec) {
  std::string path = SaveGamePath(slot);
  if (path.empty()) return false;
  uint8_t bytes[kSaveGameSize];
  EncodeSaveGame(rec, bytes);
  return WriteFileAtomic(path, bytes, sizeof bytes);
}

SaveGameError ReadSaveGame(int slot, SaveGameRecord* out, std::string* why) {
  std::string path = SaveGamePath(slot);
  std::string bytes;
  std::string reason;
  // A longer file is still read (up to a limit), so that its length can be told.
  if (path.empty() || !ReadWholeFile(path, &bytes, 4096, &reason)) {
    if (path.empty() || errno == ENOENT) {
      if (why) *why = Format("There is no saved game number %d.", slot + 1);
      return kSaveMissing;
    }
    if (why) *why = Format("Saved game number %d cannot be read (", slot + 1) + reason + ").";
    return kSaveUnreadable;
  }
  return DecodeSaveGame(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out, why);
}
