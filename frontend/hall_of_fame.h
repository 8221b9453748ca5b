#pragma once
// The all-time results in the settings store's HALLOFFAME section: the five
// best championship results ("PlayerName1".."PlayerName5", "Result1"..
// "Result5") and the record of each event ("Rec<n>", "Rec<n>Name").
#include <cstdint>

#include "base/player_records.h"

inline constexpr int kTopFiveSize = 5;
inline constexpr int kHallNameSize = 16;  // a name with its terminator

struct HallOfFameEntry {
  char name[kHallNameSize];
  int32_t points;
  uint8_t isNew;  // entered in this run
};

// Best first.
extern HallOfFameEntry g_hallOfFameTopFive[kTopFiveSize];

class HallOfFameTopFive {
 public:
  // Reads the table from the store; every "new" mark is cleared.
  HallOfFameTopFive();
  void Load();
  // Place 1..5 a result would take, 0 when it does not enter. An equal
  // result goes below the ones it ties with.
  int RankOf(int points) const;
  // Enters a result at its place, moving the entries below it down (with
  // their "new" marks) and writing the changed places back. Returns the
  // place, 0 when it did not enter.
  int Insert(const char* name, int points);
};

// The shell's one table (made and destroyed as a shell service).
extern HallOfFameTopFive* g_hallOfFame;

// Events 1, 4, 6, 7, 8, 9: a higher result is better; 2, 3, 5, 10: lower.
bool EventHigherIsBetter(int event);
// The time of a contestant who never finished a timed event (its limit).
inline constexpr int kUnfinishedSeconds = 600;
// The winner of the last event: the record with the smallest place 0..3,
// the lowest index on equal places; -1 when nobody has a place.
int EventWinner(const PlayerRecord players[kMaxPlayers]);
// After event g_eventIndex: when its winner beat the stored record (or no
// record is stored yet and the result is above 0), writes the new one. A
// timed event's winner who never finished (kUnfinishedSeconds) sets none.
// Returns winner + 1, or 0.
uint8_t UpdateHallOfFame();
