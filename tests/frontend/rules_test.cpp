// The front end's rule tables: awards, purchases, computer shopping, podium
// and standings, the top five, event records, menu navigation, control
// modes, key and button assignment and the training picker.
#include <gtest/gtest.h>

#include <cstring>

#include "base/player_records.h"
#include "base/registry.h"
#include "frontend/hall_of_fame.h"
#include "frontend/menu_rules.h"
#include "frontend/shop_rules.h"
#include "input/input.h"
#include "test_env.h"

namespace {

PlayerRecord Rec(int place, int points = 0, int money = 0) {
  PlayerRecord p{};
  InitPlayerRecord(&p, 0);
  p.place = place;
  p.points = points;
  p.money = money;
  return p;
}

TEST(ShopRules, AwardsByPlaceIncludingTies) {
  struct Case {
    int places[4];
    int points[4];
    int money[4];
  } cases[] = {
      {{0, 1, 2, 3}, {10, 6, 3, 1}, {5000, 3500, 2500, 1500}},
      {{0, 0, 2, 3}, {10, 10, 3, 1}, {5000, 5000, 2500, 1500}},
      {{3, 3, 3, 3}, {1, 1, 1, 1}, {1500, 1500, 1500, 1500}},
      {{-1, 4, 1, 0}, {0, 0, 6, 10}, {0, 0, 3500, 5000}},
  };
  for (const Case& c : cases) {
    PlayerRecord p[4];
    for (int i = 0; i < 4; ++i) p[i] = Rec(c.places[i], 2, 100);
    GiveAwards(p);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(p[i].points, 2 + c.points[i]) << i;
      EXPECT_EQ(p[i].money, 100 + c.money[i]) << i;
      EXPECT_EQ(p[i].place, c.places[i]) << "the place stays";
    }
  }
}

TEST(ShopRules, Purchases) {
  struct Case {
    const char* what;
    int item, money, stat;  // stat: the one the item changes
    bool ok;
    int moneyAfter, statAfter;
  } cases[] = {
      {"strength", kItemStrength, 2000, 50, true, 0, 60},
      {"strength short of money", kItemStrength, 1999, 50, false, 1999, 50},
      {"speed 95 goes to 100 for nothing", kItemSpeed, 5000, 95, false, 5000, 100},
      {"endurance 100 stays", kItemEndurance, 5000, 100, false, 5000, 100},
      {"speed 90 to 100 costs", kItemSpeed, 2000, 90, true, 0, 100},
      {"weapons", kItemWeapons, 500, 20, true, 0, 40},
      {"weapons without money", kItemWeapons, 499, 20, false, 499, 20},
      {"pills have no cap", kItemPills, 600, 150, true, 100, 151},
      {"juice", kItemJuice, 1000, 50, true, 500, 60},
      {"juice pro rata at 95", kItemJuice, 1000, 95, true, 750, 100},
      {"juice at 100 is free", kItemJuice, 1000, 100, true, 1000, 100},
      {"juice without money", kItemJuice, 300, 95, false, 300, 95},
  };
  for (const Case& c : cases) {
    PlayerRecord p = Rec(0, 0, c.money);
    int32_t* stat = c.item == kItemStrength ? &p.strength
                    : c.item == kItemSpeed  ? &p.speed
                    : c.item == kItemEndurance ? &p.endurance
                    : c.item == kItemWeapons   ? &p.weaponUnits
                    : c.item == kItemPills     ? &p.powerPills
                                               : &p.energy;
    *stat = c.stat;
    EXPECT_EQ(BuyItem(&p, c.item), c.ok) << c.what;
    EXPECT_EQ(p.money, c.moneyAfter) << c.what;
    EXPECT_EQ(*stat, c.statAfter) << c.what;
    EXPECT_GE(p.money, 0) << c.what;
  }
}

TEST(ShopRules, ComputerShopping) {
  struct Stats {
    int money, energy, strength, speed, endurance, pills, weapons;
  };
  struct Case {
    const char* what;
    int nextEvent;
    Stats before, after;
  } cases[] = {
      {"low energy first, then speed below strength", 2, {5000, 30, 50, 40, 40, 1, 20},
       {500, 40, 60, 50, 40, 1, 20}},
      {"event 2 buys a pill with 1000 left", 2, {3000, 60, 40, 50, 40, 1, 20},
       {500, 60, 50, 50, 40, 2, 20}},
      {"event 3 strength then energy then extras", 3, {7000, 50, 80, 40, 40, 1, 20},
       {500, 60, 100, 40, 40, 3, 60}},
      {"event 4 with 1999 buys nothing", 4, {1999, 50, 40, 40, 40, 1, 20},
       {1999, 50, 40, 40, 40, 1, 20}},
      {"event 5 with 1999 buys only extras", 5, {1999, 50, 40, 40, 40, 1, 20},
       {499, 60, 40, 40, 40, 2, 40}},
      {"event 4 trains speed below endurance", 4, {4000, 60, 40, 30, 50, 1, 20},
       {0, 60, 40, 50, 50, 1, 20}},
      {"full stats buy extras", 7, {4500, 100, 100, 100, 100, 1, 40},
       {1500, 100, 100, 100, 100, 5, 80}},
  };
  for (const Case& c : cases) {
    PlayerRecord p = Rec(0);
    p.money = c.before.money;
    p.energy = c.before.energy;
    p.strength = c.before.strength;
    p.speed = c.before.speed;
    p.endurance = c.before.endurance;
    p.powerPills = c.before.pills;
    p.weaponUnits = c.before.weapons;
    ComputerShopping(&p, c.nextEvent);
    EXPECT_EQ(p.money, c.after.money) << c.what;
    EXPECT_EQ(p.energy, c.after.energy) << c.what;
    EXPECT_EQ(p.strength, c.after.strength) << c.what;
    EXPECT_EQ(p.speed, c.after.speed) << c.what;
    EXPECT_EQ(p.endurance, c.after.endurance) << c.what;
    EXPECT_EQ(p.powerPills, c.after.pills) << c.what;
    EXPECT_EQ(p.weaponUnits, c.after.weapons) << c.what;
  }
}

TEST(ShopRules, PodiumAndStandingsOrder) {
  struct Case {
    int places[4];
    int podium[4];
  } podium[] = {
      {{0, 1, 2, 3}, {0, 1, 2, 3}},
      {{3, 2, 1, 0}, {3, 2, 1, 0}},
      {{0, 0, 2, 3}, {0, 1, 2, 3}},  // two firsts: both shown, not one twice
      {{2, 0, 2, 0}, {1, 3, 0, 2}},
      {{-1, 0, 1, 2}, {1, 2, 3, 0}},  // no place: last, never on the podium
  };
  for (const Case& c : podium) {
    PlayerRecord p[4];
    for (int i = 0; i < 4; ++i) p[i] = Rec(c.places[i]);
    int order[4];
    PodiumOrder(p, order);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(order[i], c.podium[i]) << i;
  }
  struct Stand {
    int points[4];
    int order[4];
  } standings[] = {
      {{1, 2, 3, 4}, {3, 2, 1, 0}},
      {{5, 9, 5, 9}, {1, 3, 0, 2}},
      {{0, 0, 0, 0}, {0, 1, 2, 3}},
  };
  for (const Stand& c : standings) {
    PlayerRecord p[4];
    for (int i = 0; i < 4; ++i) p[i] = Rec(0, c.points[i]);
    int order[4];
    StandingsOrder(p, order);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(order[i], c.order[i]) << i;
  }
}

// Each of the six items shows its own 15 frames of a training sheet, all
// inside the sheet; a sheet without the pills' and the juice's pictures
// still shows something for them.
TEST(ShopRules, EachItemHasItsOwnPicture) {
  constexpr int kSheetFrames = 91, kOldSheetFrames = 61;
  for (int a = 0; a < 6; ++a) {
    const int first = ShopItemFirstFrame(a, kSheetFrames);
    EXPECT_GE(first, 1);
    EXPECT_LE(first + 14, kSheetFrames);
    EXPECT_TRUE(first + 14 < 61 || first > 61) << "item " << a << " runs into the portrait (61)";
    for (int b = 0; b < a; ++b) {
      const int other = ShopItemFirstFrame(b, kSheetFrames);
      EXPECT_TRUE(first + 14 < other || other + 14 < first) << "items " << b << " and " << a << " share frames";
    }
    EXPECT_GE(ShopItemFirstFrame(a, kOldSheetFrames), 1);
    EXPECT_LE(ShopItemFirstFrame(a, kOldSheetFrames) + 14, 60);
  }
  EXPECT_EQ(ShopItemFirstFrame(6, kSheetFrames), -1);
  EXPECT_EQ(ShopItemFirstFrame(-1, kSheetFrames), -1);
}

TEST(ShopRules, SoundNames) {
  EXPECT_EQ(MedalSoundName(0, 0, 0.33), "extra\\medal\\goldgoo1.wav");
  EXPECT_EQ(MedalSoundName(1, 3, 0.34), "extra\\medal\\slvrama2.wav");
  EXPECT_EQ(MedalSoundName(2, 5, 0.67), "extra\\medal\\brnzfre3.wav");
  EXPECT_EQ(MedalSoundName(3, 0, 0.1), "");
  EXPECT_EQ(MedalSoundName(0, 6, 0.1), "");
  EXPECT_STREQ(EventAnnouncementName(7), "extra\\medal\\cs3dmaze.wav");
  EXPECT_EQ(EventAnnouncementName(11), nullptr);
}

class HallOfFameTest : public ::testing::Test {
 protected:
  HallOfFameTest() : dirs_("hall") {}
  void Fill(const int points[5]) {
    for (int i = 0; i < 5; ++i) {
      char n[16];
      std::snprintf(n, sizeof n, "P%d", i + 1);
      std::snprintf(g_hallOfFameTopFive[i].name, 16, "%s", n);
      g_hallOfFameTopFive[i].points = points[i];
      g_hallOfFameTopFive[i].isNew = 0;
    }
  }
  ScopedFrontEndDirs dirs_;
};

TEST_F(HallOfFameTest, RankAndInsert) {
  HallOfFameTopFive table;
  const int pts[5] = {50, 40, 30, 20, 10};
  struct Case {
    int points, rank;
  } cases[] = {{60, 1}, {50, 2}, {45, 2}, {40, 3}, {11, 5}, {10, 0}, {5, 0}};
  Fill(pts);
  for (const Case& c : cases) EXPECT_EQ(table.RankOf(c.points), c.rank) << c.points;

  // Entering at place 1 moves 1..4 down; the old fifth is gone.
  Fill(pts);
  EXPECT_EQ(table.Insert("NEW", 99), 1);
  const int after[5] = {99, 50, 40, 30, 20};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(g_hallOfFameTopFive[i].points, after[i]);
  EXPECT_STREQ(g_hallOfFameTopFive[1].name, "P1");
  // A second entry below it: the first "new" mark moves with its entry.
  EXPECT_EQ(table.Insert("TWO", 45), 3);
  EXPECT_EQ(g_hallOfFameTopFive[0].isNew, 1);
  EXPECT_EQ(g_hallOfFameTopFive[2].isNew, 1);
  EXPECT_EQ(g_hallOfFameTopFive[1].isNew, 0);
  EXPECT_EQ(table.Insert("TOP", 100), 1);
  int marks[5];
  for (int i = 0; i < 5; ++i) marks[i] = g_hallOfFameTopFive[i].isNew;
  EXPECT_EQ(marks[0], 1);
  EXPECT_EQ(marks[1], 1) << "NEW moved to place 2 with its mark";
  EXPECT_EQ(marks[2], 0);
  EXPECT_EQ(marks[3], 1) << "TWO moved to place 4 with its mark";
  EXPECT_EQ(marks[4], 0);

  // What was written comes back, with the marks cleared.
  HallOfFameTopFive reread;
  const char* names[5] = {"TOP", "NEW", "P1", "TWO", "P2"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_STREQ(g_hallOfFameTopFive[i].name, names[i]);
    EXPECT_EQ(g_hallOfFameTopFive[i].isNew, 0);
  }
}

TEST_F(HallOfFameTest, EmptyTableAndLongNames) {
  HallOfFameTopFive table;
  EXPECT_EQ(table.RankOf(1), 1);
  EXPECT_EQ(table.RankOf(0), 0);
  EXPECT_EQ(table.Insert("ABCDEFGHIJKLMNOPQRSTUVWXYZ", 5), 1);
  EXPECT_EQ(std::strlen(g_hallOfFameTopFive[0].name), 15u);
  RegWriteString(kRegHallOfFame, "PlayerName2", "A NAME FAR LONGER THAN SIXTEEN BYTES");
  table.Load();
  EXPECT_EQ(std::strlen(g_hallOfFameTopFive[1].name), 15u);
}

TEST_F(HallOfFameTest, EventRecordsByDirection) {
  EXPECT_TRUE(EventHigherIsBetter(1));
  EXPECT_FALSE(EventHigherIsBetter(2));
  struct Case {
    int event;
    bool stored;
    int storedValue, result;
    int expected;  // 0 no record, else winner + 1
  } cases[] = {
      {1, false, 0, 1200, 3},  {1, true, 1200, 1200, 0}, {1, true, 1200, 1201, 3},
      {2, false, 0, 95, 3},    {2, true, 95, 95, 0},     {2, true, 95, 94, 3},
      {3, true, 60, 70, 0},    {6, true, 10, 9, 0},      {10, true, 100, 99, 3},
      {1, false, 0, 0, 0},     {5, false, 0, 0, 0},      {6, false, 0, -3, 0},
      // A timed event nobody finished: its limit is no record, stored or not.
      {2, false, 0, 600, 0},   {3, false, 0, 600, 0},    {5, true, 700, 600, 0},
      {10, false, 0, 600, 0},  {2, false, 0, 599, 3},    {6, false, 0, 600, 3},
  };
  for (const Case& c : cases) {
    char value[16];
    std::snprintf(value, sizeof value, "Rec%d", c.event);
    if (c.stored) {
      RegWriteInt(kRegHallOfFame, value, c.storedValue);
    } else {
      std::filesystem::remove(RegStorePath());
    }
    for (int i = 0; i < 4; ++i) g_players[i] = Rec(i == 2 ? 0 : (i == 0 ? 2 : 1));
    SetPlayerName(&g_players[2], "WINNERNAME");
    g_players[2].result = c.result;
    g_eventIndex = c.event;
    EXPECT_EQ(UpdateHallOfFame(), c.expected) << c.event << " " << c.result;
    int now = RegReadInt(kRegHallOfFame, value, -999);
    EXPECT_EQ(now, c.expected ? c.result : (c.stored ? c.storedValue : -999));
    if (c.expected) {
      char holder[32];
      std::snprintf(value, sizeof value, "Rec%dName", c.event);
      ASSERT_TRUE(RegReadString(kRegHallOfFame, value, holder, sizeof holder));
      EXPECT_STREQ(holder, "WINNERNAME");
    }
  }
}

TEST_F(HallOfFameTest, RecordWinnerTiesAndNoPlace) {
  PlayerRecord p[4];
  for (int i = 0; i < 4; ++i) p[i] = Rec(i);
  p[0].place = 1;
  p[2].place = 0;
  p[3].place = 0;
  EXPECT_EQ(EventWinner(p), 2) << "lowest index of the tied first places";
  for (auto& r : p) r.place = -1;
  EXPECT_EQ(EventWinner(p), -1);
  std::memcpy(g_players, p, sizeof p);
  g_eventIndex = 1;
  EXPECT_EQ(UpdateHallOfFame(), 0) << "nobody placed: no record";
  EXPECT_FALSE(RegHasValue(kRegHallOfFame, "Rec1"));
  g_eventIndex = 0;
}

TEST(MenuRules, NavigationWrapsAndSkips) {
  MenuRows rows;
  MenuSources none;
  EXPECT_EQ(BuildMenu(kMenuMain, &rows, none), 1);
  struct Case {
    int from, delta, to;
  } main[] = {{1, 1, 2}, {6, 1, 1}, {1, -1, 6}, {3, -1, 2}};
  for (const Case& c : main) EXPECT_EQ(NextMenuRow(rows, c.from, c.delta), c.to);
  // The session list's title row is passed over.
  BuildMenu(kMenuSessions, &rows, none);
  // Without sessions only the ADDRESS row and PREVIOUS MENU are selectable.
  EXPECT_EQ(rows.items[1].index, kAddressRowIndex);
  EXPECT_EQ(NextMenuRow(rows, 1, 1), 2);
  EXPECT_EQ(NextMenuRow(rows, 1, -1), 2) << "up wraps past the title row";
  EXPECT_EQ(NextMenuRow(rows, 2, 1), 1);
  EXPECT_EQ(MenuRowAt(rows, 100, 244 + 5), -1) << "title row";
  EXPECT_EQ(MenuRowAt(rows, 100, 244 + 28 + 5), 1);
  EXPECT_EQ(MenuRowAt(rows, 50, 244 + 28 + 5), -1) << "x must be above 50";
  EXPECT_EQ(MenuRowAt(rows, 100, 468), -1);
  BuildMenu(kMenuKeys, &rows, none);
  EXPECT_EQ(NextMenuRow(rows, 6, 1), 0);
  EXPECT_EQ(NextMenuRow(rows, 0, -1), 6);
}

TEST(MenuRules, ControlModeCycling) {
  struct Case {
    int32_t current, other;
    bool joy1, joy2;
    int32_t next;
  } cases[] = {
      {kControlKeys1, kControlKeys2, false, false, kControlKeys1},
      {kControlKeys1, kControlJoy1, false, false, kControlKeys2},
      {kControlKeys2, kControlJoy1, false, false, kControlKeys1},
      {kControlKeys1, kControlKeys2, true, false, kControlJoy1},
      {kControlJoy1, kControlKeys2, true, true, kControlJoy2},
      {kControlJoy2, kControlKeys2, true, true, kControlKeys1},
      {kControlJoy2, kControlKeys1, false, false, kControlKeys2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NextControlMode(c.current, c.other, c.joy1, c.joy2), c.next)
        << c.current << " other " << c.other;
  }
  EXPECT_EQ(ControlModeText(2, kControlJoy1), "PLAYER 2 - JOY1");
  EXPECT_EQ(ControlModeText(1, kControlKeys2), "PLAYER 1 - KEY2");
}

TEST(MenuRules, KeyAssignment) {
  int32_t sets[2][6] = {{0x26, 0x28, 0x25, 0x27, 0x11, 0x10}, {'W', 'S', 'A', 'D', ' ', 'Q'}};
  struct Case {
    const char* what;
    int set, row, vk;
    KeyAssign result;
    int32_t after[6];
  } cases[] = {
      {"Escape is reserved", 0, 0, 0x1B, KeyAssign::kReserved, {0x26, 0x28, 0x25, 0x27, 0x11, 0x10}},
      {"F5 is reserved", 0, 0, 0x74, KeyAssign::kReserved, {0x26, 0x28, 0x25, 0x27, 0x11, 0x10}},
      {"a digit is reserved", 0, 0, '7', KeyAssign::kReserved, {0x26, 0x28, 0x25, 0x27, 0x11, 0x10}},
      {"the other set's key", 0, 0, 'W', KeyAssign::kOtherSet, {0x26, 0x28, 0x25, 0x27, 0x11, 0x10}},
      {"a free key", 0, 4, 'K', KeyAssign::kTaken, {0x26, 0x28, 0x25, 0x27, 'K', 0x10}},
      {"swap within the set", 0, 0, 0x28, KeyAssign::kSwapped, {0x28, 0x26, 0x25, 0x27, 'K', 0x10}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AssignKey(sets, c.set, c.row, c.vk), c.result) << c.what;
    for (int i = 0; i < 6; ++i) EXPECT_EQ(sets[c.set][i], c.after[i]) << c.what << " row " << i;
  }
  static bool down[256];
  std::memset(down, 0, sizeof down);
  down[0x1B] = true;
  bool reserved = false;
  auto isDown = [](int vk) { return down[vk]; };
  EXPECT_EQ(FirstAssignableKeyDown(isDown, &reserved), -1);
  EXPECT_TRUE(reserved);
  down['Z'] = true;
  down['B'] = true;
  EXPECT_EQ(FirstAssignableKeyDown(isDown, &reserved), 'B');

  int32_t buttons[7] = {4, 5, 6, 7, 8, 9, 10};
  EXPECT_FALSE(AssignButton(buttons, 0, 20));
  EXPECT_EQ(buttons[0], 20);
  EXPECT_TRUE(AssignButton(buttons, 1, 20));
  EXPECT_EQ(buttons[0], 5);
  EXPECT_EQ(buttons[1], 20);
  EXPECT_EQ(KeyNameText(0x26), "Up");
  EXPECT_EQ(ButtonNameText(4), "BUTTON 1");
  EXPECT_LE(KeyNameText(0xFF).size(), 13u);
}

TEST(MenuRules, TrainingPicker) {
  struct Case {
    int from;
    PickerMove move;
    int to;
  } cases[] = {
      {1, PickerMove::kRight, 2},   {10, PickerMove::kRight, 1}, {1, PickerMove::kLeft, 10},
      {6, PickerMove::kLeft, 5},    {3, PickerMove::kUpDown, 8}, {8, PickerMove::kUpDown, 3},
      {5, PickerMove::kUpDown, 10}, {6, PickerMove::kUpDown, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(TrainingPickerMove(c.from, c.move), c.to) << c.from;
  struct Cell {
    int x, y, event;
  } cells[] = {{5, 10, 1}, {128, 10, 1}, {129, 10, 2}, {5 + 4 * 124, 126, 10},
               {5 + 5 * 124, 10, 0}, {4, 10, 0}, {10, 10 + 2 * 116, 0}};
  for (const Cell& c : cells) EXPECT_EQ(TrainingPickerCellAt(c.x, c.y, 124, 116), c.event);
}

}  // namespace
