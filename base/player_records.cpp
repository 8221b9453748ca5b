#include "base/player_records.h"

#include <cstring>

#include "base/byte_order.h"

PlayerRecord g_players[kMaxPlayers];
int32_t g_localPlayers[3] = {0, 1, 0};
int32_t g_playMode = 0;
int32_t g_eventIndex = 0;
int32_t g_trainingEvent = 0;
uint8_t g_playerStates[kMaxPlayers][kPlayerStateSize];

namespace {

void Put32(uint8_t* p, int32_t v) { PutLe32(p, static_cast<uint32_t>(v)); }
int32_t Get32(const uint8_t* p) { return static_cast<int32_t>(GetLe32(p)); }

// The i32 fields after the human byte, in file order from offset 16.
int32_t PlayerRecord::*const kTail[] = {
    &PlayerRecord::character, &PlayerRecord::money,       &PlayerRecord::points,
    &PlayerRecord::place,     &PlayerRecord::powerPills,  &PlayerRecord::weaponUnits,
    &PlayerRecord::energy,    &PlayerRecord::strength,    &PlayerRecord::speed,
    &PlayerRecord::endurance, &PlayerRecord::weaponPower, &PlayerRecord::reserved60,
    &PlayerRecord::result,
};
static_assert(16 + 4 * (sizeof kTail / sizeof kTail[0]) == kPlayerRecordSize);

// Energy, strength, speed, endurance and weapon power of a new athlete.
struct StartStats {
  int32_t energy, strength, speed, endurance, weaponPower;
};
constexpr StartStats kStartStats[6] = {
    {60, 40, 20, 70, 100},  // RIZAZ
    {50, 35, 65, 40, 50},   // RAREZ VUDA
    {60, 60, 40, 30, 100},  // ZARU
    {55, 35, 50, 50, 100},  // RAZIRAZO
    {50, 40, 50, 50, 100},  // RADEROZI
    {60, 30, 30, 70, 150},  // ZOVI
};

}  // namespace

void EncodePlayerRecord(const PlayerRecord& rec, uint8_t out[kPlayerRecordSize]) {
  Put32(out + 0, rec.country);
  std::memcpy(out + 4, rec.name, sizeof rec.name);
  out[15] = rec.human;
  int offset = 16;
  for (auto field : kTail) {
    Put32(out + offset, rec.*field);
    offset += 4;
  }
}

void DecodePlayerRecord(const uint8_t in[kPlayerRecordSize], PlayerRecord* rec) {
  rec->country = Get32(in + 0);
  std::memcpy(rec->name, in + 4, sizeof rec->name);
  rec->name[sizeof rec->name - 1] = '\0';
  rec->human = in[15];
  int offset = 16;
  for (auto field : kTail) {
    rec->*field = Get32(in + offset);
    offset += 4;
  }
}

void InitPlayerRecord(PlayerRecord* rec, int character) {
  if (character < 0 || character > 5) character = 0;
  const StartStats& s = kStartStats[character];
  rec->character = character;
  rec->money = 0;
  rec->points = 0;
  rec->powerPills = 1;
  rec->weaponUnits = 20;
  rec->energy = s.energy;
  rec->strength = s.strength;
  rec->speed = s.speed;
  rec->endurance = s.endurance;
  rec->weaponPower = s.weaponPower;
}

void SetPlayerName(PlayerRecord* rec, const char* name) {
  std::memset(rec->name, 0, sizeof rec->name);
  if (!name) return;
  size_t n = std::strlen(name);
  if (n > sizeof rec->name - 1) n = sizeof rec->name - 1;
  std::memcpy(rec->name, name, n);
}
