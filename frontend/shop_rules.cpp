#include "frontend/shop_rules.h"

namespace {

constexpr int kPoints[4] = {10, 6, 3, 1};
constexpr int kMoney[4] = {5000, 3500, 2500, 1500};
constexpr const char* kMedalPlace[3] = {"gold", "slvr", "brnz"};
constexpr const char* kCharacterTag[6] = {"goo", "lar", "buf", "ama", "jac", "fre"};
constexpr const char* kRecordSounds[6] = {"sounds\\goorecrd.wav", "sounds\\larrecrd.wav",
                                          "sounds\\bufrecrd.wav", "sounds\\amarecrd.wav",
                                          "sounds\\jacrecrd.wav", "sounds\\frerecrd.wav"};
constexpr const char* kAnnouncements[10] = {
    "extra\\medal\\cscompu.wav",  "extra\\medal\\cscrazy.wav",  "extra\\medal\\cshippo.wav",
    "extra\\medal\\csnicedo.wav", "extra\\medal\\cstroubl.wav", "extra\\medal\\csfigska.wav",
    "extra\\medal\\cs3dmaze.wav", "extra\\medal\\cskickbo.wav", "extra\\medal\\csjavel.wav",
    "extra\\medal\\csrderb.wav"};
constexpr const char* kTrainingSheets[6] = {"menu\\goochtr8.mbm", "menu\\montr8.mbm",
                                            "menu\\studtr8.mbm",  "menu\\amatr8.mbm",
                                            "menu\\kantr8.mbm",   "menu\\fredtr8.mbm"};

bool TrainStat(PlayerRecord* p, int32_t* stat) {
  int32_t money = p->money;
  p->money -= kTrainingCost;
  if (p->money < 0) {
    p->money = money;
    return false;
  }
  *stat += 10;
  if (*stat > kStatMax) {
    // The step past 100 stops at 100 and costs nothing, with the warning.
    *stat = kStatMax;
    p->money = money;
    return false;
  }
  return true;
}

}  // namespace

int AwardPoints(int place) { return place >= 0 && place < 4 ? kPoints[place] : 0; }
int AwardMoney(int place) { return place >= 0 && place < 4 ? kMoney[place] : 0; }

void GiveAwards(PlayerRecord players[kMaxPlayers]) {
  for (int i = 0; i < kMaxPlayers; ++i) {
    players[i].points += AwardPoints(players[i].place);
    players[i].money += AwardMoney(players[i].place);
  }
}

bool BuyItem(PlayerRecord* p, int item) {
  if (!p) return false;
  switch (item) {
    case kItemStrength:
      return TrainStat(p, &p->strength);
    case kItemSpeed:
      return TrainStat(p, &p->speed);
    case kItemEndurance:
      return TrainStat(p, &p->endurance);
    case kItemWeapons:
    case kItemPills:
    case kItemJuice: {
      int32_t money = p->money;
      if (money - kExtraCost < 0) return false;
      p->money = money - kExtraCost;
      if (item == kItemWeapons) {
        p->weaponUnits += 20;
      } else if (item == kItemPills) {
        p->powerPills += 1;
      } else {
        int32_t before = p->energy;
        p->energy += 10;
        if (p->energy > kStatMax) {
          p->energy = kStatMax;
          int32_t missing = before < kStatMax ? kStatMax - before : 0;
          p->money = money - 50 * missing;
        }
      }
      return true;
    }
    default:
      return true;
  }
}

void ComputerBuyExtra(PlayerRecord* p) {
  if (p->money < kExtraCost) return;
  if (p->energy < 60) {
    p->energy += 10;
  } else if (p->weaponUnits / 20 >= p->powerPills) {
    p->powerPills += 1;
  } else {
    p->weaponUnits += 20;
  }
  p->money -= kExtraCost;
}

void ComputerShopping(PlayerRecord* p, int nextEvent) {
  if (!p) return;
  while (p->energy < 40 && p->money >= kExtraCost) {
    p->money -= kExtraCost;
    p->energy += 10;
  }
  auto train = [p](int32_t* stat) {
    *stat += 10;
    p->money -= kTrainingCost;
  };
  switch (nextEvent) {
    case 2:
      while (p->money >= kTrainingCost) {
        if (p->strength > p->speed && p->speed <= 90) {
          train(&p->speed);
        } else if (p->strength <= 90) {
          train(&p->strength);
        } else {
          ComputerBuyExtra(p);
        }
      }
      if (p->money >= 1000) {
        p->powerPills += 1;
        p->money -= kExtraCost;
      }
      break;
    case 3:
      while (p->money >= kTrainingCost && p->strength <= 90) train(&p->strength);
      while (p->energy < 60 && p->money >= kExtraCost) {
        p->energy += 10;
        p->money -= kExtraCost;
      }
      while (p->money >= 1000) ComputerBuyExtra(p);
      break;
    case 4:
    case 5:
      while (p->money >= kTrainingCost) {
        if (p->speed < p->endurance && p->speed <= 90) {
          train(&p->speed);
        } else if (p->endurance <= 90) {
          train(&p->endurance);
        } else {
          ComputerBuyExtra(p);
        }
      }
      if (nextEvent == 5) {
        while (p->money >= kExtraCost) ComputerBuyExtra(p);
      }
      break;
    default:
      while (p->money >= kTrainingCost) {
        if (p->strength > p->speed && p->speed <= 90) {
          train(&p->speed);
        } else if (p->strength <= 90) {
          train(&p->strength);
        } else if (p->endurance <= 90) {
          train(&p->endurance);
        } else {
          ComputerBuyExtra(p);
        }
      }
      break;
  }
}

void PodiumOrder(const PlayerRecord players[kMaxPlayers], int order[kMaxPlayers]) {
  int sorted[kMaxPlayers];
  // A record without a place (-1) comes after every placed one.
  auto key = [](int place) { return place < 0 ? 1000 : place; };
  for (int i = 0; i < kMaxPlayers; ++i) sorted[i] = key(players[i].place);
  for (int gap : {2, 1}) {  // shell sort, ascending
    for (int i = gap; i < kMaxPlayers; ++i) {
      int v = sorted[i];
      int j = i;
      while (j >= gap && sorted[j - gap] > v) {
        sorted[j] = sorted[j - gap];
        j -= gap;
      }
      sorted[j] = v;
    }
  }
  bool used[kMaxPlayers] = {};
  for (int p = 0; p < kMaxPlayers; ++p) {
    order[p] = -1;
    for (int i = 0; i < kMaxPlayers; ++i) {
      if (!used[i] && key(players[i].place) == sorted[p]) {
        order[p] = i;
        used[i] = true;
        break;
      }
    }
  }
}

void StandingsOrder(const PlayerRecord players[kMaxPlayers], int order[kMaxPlayers]) {
  for (int i = 0; i < kMaxPlayers; ++i) order[i] = i;
  // Exchange sort that only swaps on strictly more points: ties keep order.
  for (int i = 0; i < kMaxPlayers; ++i) {
    for (int j = i + 1; j < kMaxPlayers; ++j) {
      bool before = players[order[j]].points > players[order[i]].points ||
                    (players[order[j]].points == players[order[i]].points && order[j] < order[i]);
      if (before) {
        int t = order[i];
        order[i] = order[j];
        order[j] = t;
      }
    }
  }
}

std::string MedalSoundName(int place, int character, double r) {
  if (place < 0 || place > 2 || character < 0 || character > 5) return "";
  const char* digit = r <= 0.33 ? "1" : (r <= 0.66 ? "2" : "3");
  return std::string("extra\\medal\\") + kMedalPlace[place] + kCharacterTag[character] + digit + ".wav";
}

const char* RecordSoundName(int character) {
  return character >= 0 && character < 6 ? kRecordSounds[character] : nullptr;
}

const char* EventAnnouncementName(int event) {
  return event >= 1 && event <= 10 ? kAnnouncements[event - 1] : nullptr;
}

const char* TrainingSheetName(int character) {
  if (character < 0 || character > 5) character = 0;
  return kTrainingSheets[character];
}

int ShopItemFirstFrame(int item, int sheetFrames) {
  // Each item its own animation; the pills and the juice once borrowed the
  // strength and speed pictures, and a sheet without theirs still does.
  static const int kFirst[6] = {1, 16, 31, 46, 62, 77};
  static const int kShared[6] = {1, 16, 31, 46, 1, 16};
  if (item < 0 || item > 5) return -1;
  return sheetFrames >= kFirst[5] + 14 ? kFirst[item] : kShared[item];
}
