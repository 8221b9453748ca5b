#include "frontend/hall_of_fame.h"

#include <cstdio>
#include <cstring>

#include "base/registry.h"

HallOfFameEntry g_hallOfFameTopFive[kTopFiveSize] = {};
HallOfFameTopFive* g_hallOfFame = nullptr;

namespace {

void CopyName(char dst[kHallNameSize], const char* src) {
  std::memset(dst, 0, kHallNameSize);
  if (!src) return;
  size_t n = strnlen(src, kHallNameSize - 1);
  std::memcpy(dst, src, n);
}

void WritePlace(int place) {
  char name[24], result[24];
  const HallOfFameEntry& e = g_hallOfFameTopFive[place - 1];
  std::snprintf(name, sizeof name, "PlayerName%d", place);
  std::snprintf(result, sizeof result, "Result%d", place);
  // The name and its points are saved together.
  RegWriteValues(kRegHallOfFame, {RegValue{name, e.name}, RegIntValue(result, e.points)});
}

}  // namespace

HallOfFameTopFive::HallOfFameTopFive() { Load(); }

void HallOfFameTopFive::Load() {
  for (int i = 0; i < kTopFiveSize; ++i) {
    HallOfFameEntry& e = g_hallOfFameTopFive[i];
    char name[24];
    std::snprintf(name, sizeof name, "PlayerName%d", i + 1);
    std::memset(e.name, 0, sizeof e.name);
    if (!RegReadString(kRegHallOfFame, name, e.name, sizeof e.name)) e.name[0] = 0;
    std::snprintf(name, sizeof name, "Result%d", i + 1);
    e.points = RegReadInt(kRegHallOfFame, name, 0);
    e.isNew = 0;
  }
}

int HallOfFameTopFive::RankOf(int points) const {
  if (g_hallOfFameTopFive[kTopFiveSize - 1].points >= points) return 0;
  if (g_hallOfFameTopFive[0].points < points) return 1;
  int last = 0;
  for (int i = 0; i < kTopFiveSize; ++i) {
    if (g_hallOfFameTopFive[i].points >= points) last = i + 1;
  }
  return last + 1;
}

int HallOfFameTopFive::Insert(const char* name, int points) {
  int r = RankOf(points);
  if (r < 1 || r > kTopFiveSize) return 0;
  // The entries below move down whole, their "new" marks with them.
  for (int i = kTopFiveSize; i > r; --i) {
    g_hallOfFameTopFive[i - 1] = g_hallOfFameTopFive[i - 2];
    WritePlace(i);
  }
  HallOfFameEntry& e = g_hallOfFameTopFive[r - 1];
  CopyName(e.name, name);
  e.points = points;
  e.isNew = 1;
  WritePlace(r);
  return r;
}

bool EventHigherIsBetter(int event) {
  switch (event) {
    case 2:
    case 3:
    case 5:
    case 10:
      return false;
    default:
      return true;
  }
}

int EventWinner(const PlayerRecord players[kMaxPlayers]) {
  int winner = -1;
  for (int i = 0; i < kMaxPlayers; ++i) {
    int place = players[i].place;
    if (place < 0 || place > 3) continue;  // no place: not a winner
    if (winner < 0 || place < players[winner].place) winner = i;
  }
  return winner;
}

uint8_t UpdateHallOfFame() {
  int n = g_eventIndex;
  if (n < 1 || n > 10) return 0;
  int winner = EventWinner(g_players);
  if (winner < 0) return 0;
  int result = g_players[winner].result;
  char value[24], holder[24];
  std::snprintf(value, sizeof value, "Rec%d", n);
  std::snprintf(holder, sizeof holder, "Rec%dName", n);
  // A missing value is no record: the first real result of an event (above
  // 0; nothing thrown or no time run is none) is its record, whichever way
  // the event counts.
  // Nobody finished a timed event (it can end before anyone could): the
  // time limit is no time run.
  if (!EventHigherIsBetter(n) && result >= kUnfinishedSeconds) return 0;
  if (RegHasValue(kRegHallOfFame, value)) {
    int stored = RegReadInt(kRegHallOfFame, value, 0);
    bool better = EventHigherIsBetter(n) ? result > stored : result < stored;
    if (!better) return 0;
  } else if (result <= 0) {
    return 0;
  }
  char name[sizeof g_players[0].name];
  std::memcpy(name, g_players[winner].name, sizeof name);
  name[sizeof name - 1] = 0;
  RegWriteValues(kRegHallOfFame, {RegIntValue(value, result), RegValue{holder, name}});
  return static_cast<uint8_t>(winner + 1);
}
