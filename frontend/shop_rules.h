#pragma once
// The rules of the shop between events, apart from its screen: the awards
// by place, the purchases, the computer players' shopping, and the order of
// the podium and of the standings.
#include <string>

#include "base/player_records.h"

enum ShopItem : int {
  kItemStrength = 0,
  kItemSpeed = 1,
  kItemEndurance = 2,
  kItemWeapons = 3,
  kItemPills = 4,
  kItemJuice = 5,
  kItemExit = 6,
  kShopItems = 7,
};

inline constexpr int kTrainingCost = 2000;
inline constexpr int kExtraCost = 500;
inline constexpr int kStatMax = 100;

// Points and money for each place of the last event: 0 first (10, 5000),
// 1 (6, 3500), 2 (3, 2500), 3 (1, 1500); others nothing. Every record is
// awarded by its own place, so tied places share the award.
int AwardPoints(int place);
int AwardMoney(int place);
void GiveAwards(PlayerRecord players[kMaxPlayers]);

// A purchase of item 0..5 by the buyer. Returns false when the warning
// sound is due: not enough money (nothing changes) or a training that
// passes 100 (it stops at 100 and costs nothing). Juice that passes 100
// costs 50 per point still missing.
bool BuyItem(PlayerRecord* buyer, int item);

// A computer player's shopping before event nextEvent.
void ComputerShopping(PlayerRecord* p, int nextEvent);
void ComputerBuyExtra(PlayerRecord* p);

// Podium: positions 0..3 hold record indices ordered by place (lowest
// first). Of tied places each position takes the next record with that
// place, never the same one twice.
void PodiumOrder(const PlayerRecord players[kMaxPlayers], int order[kMaxPlayers]);
// Standings: record indices by points, highest first; equal points keep
// record order.
void StandingsOrder(const PlayerRecord players[kMaxPlayers], int order[kMaxPlayers]);

// The medal announcement of a place 0..2 for a character 0..5, with the
// digit drawn from r (RandomUnit): r <= 0.33 "1", <= 0.66 "2", else "3".
// Relative to the data directory ("extra\medal\goldgoo1.wav"); "" for a
// place or character outside the tables.
std::string MedalSoundName(int place, int character, double r);
// Relative to the program directory.
const char* RecordSoundName(int character);
// Relative to the data directory; null outside 1..10.
const char* EventAnnouncementName(int event);
// Face sheet of the shop's training tiles, relative to the program directory.
const char* TrainingSheetName(int character);
// The first of the 15 frames of item 0..5's animation in a training sheet of
// `sheetFrames` frames: strength 1, speed 16, endurance 31, weapons 46,
// power pills 62 and energy juice 77 (after the portrait, 61). A sheet
// without the last two (61 frames or fewer) shows the strength and speed
// pictures for them; -1 for an item without one.
int ShopItemFirstFrame(int item, int sheetFrames);
