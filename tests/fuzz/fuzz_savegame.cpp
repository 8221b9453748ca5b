// Fuzz target for the save-game loader: any bytes given as a slot's file
// are either refused with a reason or give a record whose every field lies
// in its range and that writes back to the very same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "frontend/save_game.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SaveGameRecord rec;
  std::string why;
  SaveGameError e = DecodeSaveGame(data, size, &rec, &why);
  if (e != kSaveOk) {
    if (why.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  if (size != kSaveGameSize) std::abort();
  if (rec.playMode < 0 || rec.playMode > 2 || rec.eventIndex < 1 || rec.eventIndex > 10) std::abort();
  if (rec.localPlayers[0] < 0 || rec.localPlayers[0] > 3) std::abort();
  for (const PlayerRecord& p : rec.players) {
    if (p.country < 0 || p.country >= kCountries || p.character < 0 || p.character >= kCharacters)
      std::abort();
    if (std::memchr(p.name, 0, sizeof p.name) == nullptr) std::abort();
    if (p.energy < 0 || p.energy > 100 || p.money < 0) std::abort();
  }
  // Written back it is the same file, but for bytes after a name's end.
  uint8_t expected[kSaveGameSize];
  std::memcpy(expected, data, kSaveGameSize);
  for (int i = 0; i < kMaxPlayers; ++i) {
    uint8_t* name = expected + 16 + i * kPlayerRecordSize + 4;
    size_t len = strnlen(reinterpret_cast<const char*>(name), 11);
    std::memset(name + len, 0, 11 - len);
  }
  uint8_t again[kSaveGameSize];
  EncodeSaveGame(rec, again);
  for (int i = 0; i < kMaxPlayers; ++i) {
    uint8_t* name = again + 16 + i * kPlayerRecordSize + 4;
    size_t len = strnlen(reinterpret_cast<const char*>(name), 11);
    std::memset(name + len, 0, 11 - len);
  }
  if (std::memcmp(again, expected, kSaveGameSize) != 0) std::abort();
  return 0;
}
