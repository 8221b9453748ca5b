// The front end's screens driven by key presses and the mouse, one screen
// at a time: menu moves, control keys, the training picker, the name entry
// and computer players of the new game, and the shop's turns, saves and
// messages.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "base/clock.h"
#include "base/player_records.h"
#include "base/registry.h"
#include "frontend/main_menu_screen.h"
#include "frontend/new_game_screen.h"
#include "frontend/save_game.h"
#include "frontend/shop_screen.h"
#include "input/input.h"
#include "platform/keyboard.h"
#include "platform/keymap.h"
#include "platform/window_events.h"
#include "screen/config.h"
#include "screen/game_screen.h"
#include "screen/game_screen_services.h"
#include "shell/screen_factory.h"
#include "shell/shell.h"
#include "test_env.h"

namespace {

class ScreensTest : public ::testing::Test {
 protected:
  ScreensTest() : dirs_(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
  void SetUp() override {
    old_ = SetClock(&clock_);
    std::string data = std::string(KEL_BINARY_DIR) + "/gamedata";
    if (std::filesystem::exists(data)) ::setenv("KELVANTHROP_DATA_ROOT", data.c_str(), 1);
    RegWriteString(kRegConfig, "SAVEGAMEPATH", (dirs_.saves().string() + "/").c_str());
    ASSERT_TRUE(ShellCreateServices());
    ResetControlsToDefaults();
    BindDefaultActions();
    ResetKeyboardState();
    g_playMode = 0;
    g_trainingEvent = 0;
    g_eventIndex = 0;
  }
  void TearDown() override {
    screen_.reset();
    ShellDestroyServices();
    ClearScreenRegistrations();
    ::unsetenv("KELVANTHROP_DATA_ROOT");
    SetClock(old_);
  }
  int Step() {
    clock_.Advance(70);
    return screen_->Run();
  }
  // Runs frames until the screen returns or n frames passed.
  int Steps(int n) {
    for (int i = 0; i < n; ++i) {
      int r = Step();
      if (r != 0) return r;
    }
    return 0;
  }
  int Tap(int vk) {
    KeyboardKeyDown(vk, false);
    int r = Step();
    KeyboardKeyUp(vk);
    return r != 0 ? r : Step();
  }
  void Type(const char* text) {
    for (const char* p = text; *p; ++p) KeyboardTypedChar(*p);
    Step();
  }
  void Command(const char* text) {
    KeyboardKeyDown(kVkF12, false);
    Step();
    KeyboardKeyUp(kVkF12);
    Type((std::string(text) + "\r").c_str());
  }
  template <typename T>
  T* Make() {
    T* s = new T();
    screen_.reset(s);
    return s;
  }

  ScopedFrontEndDirs dirs_;
  VirtualClock clock_{5000};
  Clock* old_ = nullptr;
  std::unique_ptr<GameScreen> screen_;
};

TEST_F(ScreensTest, MenuMovesAndResults) {
  MainMenuScreen* m = Make<MainMenuScreen>();
  Step();
  ASSERT_EQ(m->CurrentMenu(), kMenuMain);
  EXPECT_EQ(m->SelectedRow(), 1);
  Tap(kVkUp);
  EXPECT_EQ(m->SelectedRow(), 6) << "up from the first row wraps to QUIT";
  Tap(kVkDown);
  EXPECT_EQ(m->SelectedRow(), 1);
  // Escape in the main menu does nothing; in the player count it goes back.
  Tap(kVkEscape);
  EXPECT_EQ(m->CurrentMenu(), kMenuMain);
  Tap(kVkReturn);
  Steps(9);
  ASSERT_EQ(m->CurrentMenu(), kMenuPlayerCount);
  Tap(kVkEscape);
  Step();
  EXPECT_EQ(m->CurrentMenu(), kMenuMain);
  // The mouse over the fourth row selects it; a click there is the hall of fame.
  MouseMoveTo(300, 244 + 4 * 28 + 10);
  Step();
  EXPECT_EQ(m->SelectedRow(), 4);
  MouseButtonDown(1);
  Step();
  MouseButtonUp(1);
  EXPECT_EQ(Steps(10), 3);
}

TEST_F(ScreensTest, TwoPlayersLocalFromTheConnectionList) {
  MainMenuScreen* m = Make<MainMenuScreen>();
  Step();
  Tap(kVkReturn);  // CHAMPIONSHIP
  Steps(9);
  Tap(kVkDown);    // MULTIPLAYER GAME
  Tap(kVkReturn);
  Steps(9);
  ASSERT_EQ(m->CurrentMenu(), kMenuConnections);
  // The rows end with TWO PLAYERS LOCAL and PREVIOUS MENU.
  int local = -1;
  for (int i = 0; i < kMenuRows; ++i) {
    if (std::strcmp(m->Rows().items[i].label, "TWO PLAYERS LOCAL") == 0) local = i;
  }
  ASSERT_GE(local, 0);
  while (m->SelectedRow() != local) Tap(kVkDown);
  Tap(kVkReturn);
  EXPECT_EQ(Steps(10), 1);
  EXPECT_EQ(g_playMode, 1);
}

// Joining by address: the session list has a row where the player types a
// host's address (name or IP, optional port); Enter keeps a usable one in
// the settings and searches again, a malformed one is refused and the
// player types on, Escape leaves the stored one as it was.
TEST_F(ScreensTest, HostAddressTypedInTheSessionList) {
  MainMenuScreen* m = Make<MainMenuScreen>();
  Step();
  Tap(kVkReturn);  // CHAMPIONSHIP
  Steps(9);
  Tap(kVkDown);  // MULTIPLAYER GAME
  Tap(kVkReturn);
  Steps(9);
  ASSERT_EQ(m->CurrentMenu(), kMenuConnections);
  ASSERT_EQ(m->Rows().items[0].index, 0) << "the first row is the network provider";
  Tap(kVkReturn);
  Steps(9);
  ASSERT_EQ(m->CurrentMenu(), kMenuCreateConnect);
  Tap(kVkDown);  // CONNECT
  Tap(kVkReturn);
  Steps(9);
  ASSERT_EQ(m->CurrentMenu(), kMenuSessions);
  // Nothing found on this machine: the address row is selected at once.
  const int row = m->SelectedRow();
  ASSERT_EQ(m->Rows().items[row].index, kAddressRowIndex);
  EXPECT_STREQ(m->Rows().items[row].label, "ADDRESS: NONE");
  Tap(kVkReturn);
  Steps(9);
  ASSERT_TRUE(m->IsEditingAddress());

  Type("127.0.0 .9\r");  // the space is not typed
  Steps(2);
  EXPECT_FALSE(m->IsEditingAddress());
  char stored[128] = {};
  ASSERT_TRUE(RegReadString(kRegConfig, "NETHOST", stored, sizeof stored));
  EXPECT_STREQ(stored, "127.0.0.9");
  ASSERT_EQ(m->CurrentMenu(), kMenuSessions);
  EXPECT_STREQ(m->Rows().items[m->SelectedRow()].label, "ADDRESS: 127.0.0.9");

  Tap(kVkReturn);
  Steps(9);
  ASSERT_TRUE(m->IsEditingAddress());
  for (int i = 0; i < 3; ++i) KeyboardTypedChar(8);  // rubbed out
  Step();
  Type("0.7:70000\r");  // no such port: refused, typing goes on
  EXPECT_TRUE(m->IsEditingAddress());
  for (int i = 0; i < 5; ++i) KeyboardTypedChar(8);
  Step();
  Type("28000\r");
  Steps(2);
  EXPECT_FALSE(m->IsEditingAddress());
  ASSERT_TRUE(RegReadString(kRegConfig, "NETHOST", stored, sizeof stored));
  EXPECT_STREQ(stored, "127.0.0.7:28000");
  EXPECT_EQ(m->CurrentMenu(), kMenuSessions) << "the Enter that ended the typing is no menu key";

  Tap(kVkReturn);
  Steps(9);
  Type("x\x1b");  // Escape: the stored address stays
  Steps(2);
  EXPECT_FALSE(m->IsEditingAddress());
  ASSERT_TRUE(RegReadString(kRegConfig, "NETHOST", stored, sizeof stored));
  EXPECT_STREQ(stored, "127.0.0.7:28000");
  // Back from the list leads to the player count.
  Tap(kVkEscape);
  Steps(2);
  EXPECT_EQ(m->CurrentMenu(), kMenuPlayerCount);
}

// Escape backs out of every sub-menu that has a way back, one level at a
// time; the key screen keeps it (Escape may be the key being awaited) and
// leaves by its PREVIOUS MENU row.
TEST_F(ScreensTest, EscapeBacksOutOfTheSubMenus) {
  struct Case {
    std::vector<int> rows;  // the rows confirmed from the main menu on
    int menu;               // where they lead
    int afterEscape;
  } cases[] = {
      {{1}, kMenuPlayerCount, kMenuMain},
      {{1, 2}, kMenuConnections, kMenuPlayerCount},
      {{1, 2, 0}, kMenuCreateConnect, kMenuConnections},
      {{1, 2, 0, 2}, kMenuSessions, kMenuPlayerCount},
      {{2}, kMenuTraining, kMenuMain},
      {{3}, kMenuControls, kMenuMain},
      {{3, 3}, kMenuRedefine, kMenuControls},
      {{3, 3, 1}, kMenuKeys, kMenuKeys},
  };
  for (const Case& c : cases) {
    MainMenuScreen* m = Make<MainMenuScreen>();
    Step();
    for (int row : c.rows) {
      for (int n = 0; n < kMenuRows && m->SelectedRow() != row; ++n) Tap(kVkDown);
      ASSERT_EQ(m->SelectedRow(), row);
      Tap(kVkReturn);
      Steps(9);
    }
    ASSERT_EQ(m->CurrentMenu(), c.menu) << "menu " << c.menu;
    Tap(kVkEscape);
    Steps(2);
    EXPECT_EQ(m->CurrentMenu(), c.afterEscape) << "menu " << c.menu;
  }
}

TEST_F(ScreensTest, KeyScreenRefusesAndSwaps) {
  MainMenuScreen* m = Make<MainMenuScreen>();
  Step();
  Tap(kVkDown);
  Tap(kVkDown);  // OPTIONS
  Tap(kVkReturn);
  Steps(9);
  ASSERT_EQ(m->CurrentMenu(), kMenuControls);
  // Without joysticks and with player 2 on the second key set, player 1's
  // mode has nowhere to go.
  Tap(kVkReturn);
  Steps(9);
  EXPECT_EQ(g_controlModes[0], kControlKeys1);
  EXPECT_STREQ(m->Rows().items[1].label, "PLAYER 1 - KEY1");
  Tap(kVkDown);
  Tap(kVkDown);  // CONFIGURE CONTROL
  Tap(kVkReturn);
  Steps(9);
  ASSERT_EQ(m->CurrentMenu(), kMenuRedefine);
  Tap(kVkReturn);  // REDEFINE KEY1
  Steps(9);
  ASSERT_EQ(m->CurrentMenu(), kMenuKeys);
  ASSERT_EQ(m->SelectedRow(), 0);
  Tap(kVkReturn);  // UP
  Steps(9);
  ASSERT_TRUE(m->IsAwaitingKey());
  Tap(kVkF1);  // reserved
  EXPECT_TRUE(m->IsAwaitingKey());
  Tap('W');  // player 2's
  EXPECT_TRUE(m->IsAwaitingKey());
  EXPECT_EQ(g_keySets[0][kKeyUp], kDefaultKeySets[0][kKeyUp]);
  Tap(kVkDown);  // the set's own DOWN key: the two change places
  EXPECT_FALSE(m->IsAwaitingKey());
  EXPECT_EQ(g_keySets[0][kKeyUp], kVkDown);
  EXPECT_EQ(g_keySets[0][kKeyDown], kDefaultKeySets[0][kKeyUp]);
  EXPECT_EQ(m->SelectedRow(), 1) << "on to the next row";
  EXPECT_STREQ(m->Rows().items[0].value, "Down");
  ResetControlsToDefaults();
  BindDefaultActions();
}

// A key pressed and let go again before the next frame, its two events
// handed to the window procedure as the event loop would.
void TapBetweenFrames(SDL_Scancode sc) {
  SDL_Event e{};
  e.key.keysym.scancode = sc;
  e.type = SDL_KEYDOWN;
  HandleWindowEvent(e, WindowEventHandlers{});
  e.type = SDL_KEYUP;
  HandleWindowEvent(e, WindowEventHandlers{});
}

TEST_F(ScreensTest, TapsShorterThanAFrameAllCount) {
  MainMenuScreen* m = Make<MainMenuScreen>();
  Step();
  // Two taps of Down within one frame move two rows.
  TapBetweenFrames(SDL_SCANCODE_DOWN);
  TapBetweenFrames(SDL_SCANCODE_DOWN);
  Step();
  EXPECT_EQ(m->SelectedRow(), 3);
  TapBetweenFrames(SDL_SCANCODE_UP);
  TapBetweenFrames(SDL_SCANCODE_DOWN);
  TapBetweenFrames(SDL_SCANCODE_DOWN);
  Step();
  EXPECT_EQ(m->SelectedRow(), 4);
  TapBetweenFrames(SDL_SCANCODE_UP);
  Step();

  // On the key screen a tap already let go is the key taken.
  Tap(kVkReturn);  // OPTIONS
  Steps(9);
  ASSERT_EQ(m->CurrentMenu(), kMenuControls);
  TapBetweenFrames(SDL_SCANCODE_DOWN);
  TapBetweenFrames(SDL_SCANCODE_DOWN);
  Step();  // CONFIGURE CONTROL
  Tap(kVkReturn);
  Steps(9);
  ASSERT_EQ(m->CurrentMenu(), kMenuRedefine);
  Tap(kVkReturn);  // REDEFINE KEY1
  Steps(9);
  ASSERT_EQ(m->CurrentMenu(), kMenuKeys);
  Tap(kVkReturn);  // UP
  Steps(9);
  ASSERT_TRUE(m->IsAwaitingKey());
  TapBetweenFrames(SDL_SCANCODE_K);
  Step();
  EXPECT_FALSE(m->IsAwaitingKey());
  EXPECT_EQ(g_keySets[0][kKeyUp], 'K');
  ResetControlsToDefaults();
  BindDefaultActions();

  // F12 tapped on the new-game screen opens the command line.
  NewGameScreen* n = Make<NewGameScreen>();
  Steps(25);  // past the opening
  ASSERT_FALSE(n->IsChatOpen());
  TapBetweenFrames(SDL_SCANCODE_F12);
  Step();
  EXPECT_TRUE(n->IsChatOpen());
}

TEST_F(ScreensTest, TrainingPickerTakesOnlyEventsThatExist) {
  RegisterEventScreen(1, [] { return static_cast<GameScreen*>(nullptr); });
  MainMenuScreen* m = Make<MainMenuScreen>();
  Step();
  Tap(kVkDown);  // SINGLE EVENT
  Tap(kVkReturn);
  Steps(9);
  ASSERT_EQ(m->CurrentMenu(), kMenuTraining);
  Tap(kVkLeft);  // 1 -> 10, which has no screen yet
  EXPECT_EQ(Tap(kVkReturn), 0);
  EXPECT_EQ(Steps(12), 0) << "refused";
  Tap(kVkRight);
  Tap(kVkDown);  // 1 -> 6
  Tap(kVkUp);    // 6 -> 1
  Tap(kVkReturn);
  EXPECT_EQ(Steps(10), 1);
  EXPECT_EQ(m->TrainingEvent(), 1);
  EXPECT_EQ(g_playMode, 0);
}

TEST(NewGameRules, NamesCountriesAndComputerPlayers) {
  struct {
    char in, out;
  } chars[] = {{'a', 'A'}, {'Z', 'Z'}, {'7', '7'}, {'-', '-'}, {'_', '_'}, {' ', ' '},
               {'!', 0},   {'\r', 0},  {'\x7f', 0}, {'.', 0}};
  for (auto c : chars) EXPECT_EQ(NameCharacter(c.in), c.out) << int(c.in);

  PlayerRecord p[4] = {};
  for (auto& r : p) r.country = kLobbyEmpty;
  p[1].country = 1;
  p[2].country = 13;
  // A move past either end lands on the other end (not a step of 5 round),
  // then passes over held countries in the move's direction.
  struct {
    int from, delta, to;
  } moves[] = {{0, 1, 2}, {2, -1, 0}, {0, -1, 12}, {12, 1, 0}, {10, 5, 0}, {0, -5, 12}, {3, 0, 3}};
  for (auto m : moves) EXPECT_EQ(NextFreeCountry(m.from, m.delta, p, 0), m.to) << m.from << " " << m.delta;

  // Two people; the computers take the first free athletes and countries.
  PlayerRecord q[4] = {};
  for (auto& r : q) r.country = kLobbyEmpty;
  q[0].human = 1;
  q[0].character = 0;
  q[0].country = 0;
  SetPlayerName(&q[0], "ONE");
  q[1].human = 1;
  q[1].character = 2;
  q[1].country = 5;
  FillComputerPlayers(q);
  EXPECT_EQ(q[2].character, 1);
  EXPECT_EQ(q[3].character, 3);
  EXPECT_EQ(q[2].country, 1);
  EXPECT_EQ(q[3].country, 2);
  EXPECT_STREQ(q[2].name, "RAREZ VUDA");
  EXPECT_STREQ(q[0].name, "ONE");
  EXPECT_EQ(q[0].energy, 60) << "start values set for everyone";
  EXPECT_EQ(q[3].place, -1);
}

TEST_F(ScreensTest, NameEntryAndTwoPlayersAtOneMachine) {
  g_playMode = 1;
  NewGameScreen* ng = Make<NewGameScreen>();
  Steps(25);
  ASSERT_EQ(ng->State(), 1);
  Tap(kVkReturn);
  EXPECT_EQ(ng->State(), 1) << "an empty name is refused";
  Type("ab!cdefghijkl");
  EXPECT_EQ(ng->Entry(), "ABCDEFGHIJ") << "ten characters, upper case, others left out";
  KeyboardTypedChar(8);
  Step();
  EXPECT_EQ(ng->Entry(), "ABCDEFGHI");
  Tap(kVkReturn);
  ASSERT_EQ(ng->State(), 2);
  Tap(kVkControl);  // RIZAZ
  ASSERT_TRUE([&] {
    for (int i = 0; i < 200 && ng->State() != 3; ++i) Step();
    return ng->State() == 3;
  }());
  EXPECT_EQ(ng->CountryChoice(), StartCountryOf(0));
  Tap(kVkControl);
  // The second player: RIZAZ is taken, so the carousel turns past him.
  Steps(2);
  ASSERT_EQ(ng->CurrentSlot(), 1);
  ASSERT_EQ(ng->State(), 1);
  Type("two");
  Tap(kVkReturn);
  Steps(2);
  EXPECT_NE(ng->Choice(), 0);
  Tap(kVkLeft);  // back towards RIZAZ: passed over again
  Steps(2);
  EXPECT_NE(ng->Choice(), 0);
  Tap(kVkSpace);  // the second player's own fire key
  for (int i = 0; i < 200 && ng->State() != 3; ++i) Step();
  ASSERT_EQ(ng->State(), 3);
  EXPECT_NE(ng->CountryChoice(), g_players[0].country) << "the first player's country is passed over";
  Tap(kVkControl);
  ASSERT_EQ(ng->State(), 4);
  EXPECT_EQ(g_players[0].human, 1);
  EXPECT_EQ(g_players[1].human, 1);
  EXPECT_EQ(g_players[2].human, 0);
  EXPECT_EQ(g_players[3].human, 0);
  EXPECT_EQ(Tap(kVkControl), 1);
  EXPECT_EQ(g_localPlayers[0], 0);
  EXPECT_EQ(g_localPlayers[1], 1);
}

// Which keys confirm in which state, walked from the opening to the start:
// Enter takes the opening and the name, a fire key (not Enter) the athlete,
// the country and the start.
TEST_F(ScreensTest, NewGameConfirmKeysByState) {
  struct Row {
    int state;
    int key;
    bool confirms;
  };
  // Enter (or the keypad's, the same key to the game) takes every step, as
  // the screen's texts say ("PRESS ENTER TO START THE GAME"); the fire keys
  // every step after the name, whose letters they may be.
  const std::vector<Row> byEnter = {
      {0, kVkControl, false}, {0, kVkReturn, true},                        // the opening
      {1, kVkControl, false}, {1, kVkShift, false}, {1, kVkReturn, true},  // the name
      {2, kVkReturn, true},                                                // the athlete
      {3, kVkReturn, true},                                                // the country
      {4, kVkReturn, true},                                                // the start
  };
  const std::vector<Row> byFire = {
      {0, kVkReturn, true},  {1, kVkReturn, true},  // the opening and the name
      {2, kVkControl, true},                        // the athlete
      {3, kVkShift, true},                          // the country
      {4, kVkControl, true},                        // the start
  };
  for (const std::vector<Row>* road : {&byEnter, &byFire}) {
    NewGameScreen* ng = Make<NewGameScreen>();
    Step();
    for (const Row& row : *road) {
      ASSERT_EQ(ng->State(), row.state) << "key " << row.key;
      if (row.state == 1 && ng->Entry().empty()) Type("ab");
      const int r = Tap(row.key);
      if (!row.confirms) {
        EXPECT_EQ(ng->State(), row.state) << "key " << row.key << " confirmed state " << row.state;
        continue;
      }
      if (row.state == 4) {
        EXPECT_EQ(r, 1) << "the start by key " << row.key;
        continue;
      }
      EXPECT_NE(ng->State(), row.state) << "key " << row.key << " did not confirm state " << row.state;
      // The athlete's cry plays out before the country is chosen.
      for (int i = 0; i < 200 && (ng->State() == 6 || ng->State() == 7); ++i) Step();
    }
  }
}

// Four records as an event leaves them.
void SetUpChampionship(int playMode, int eventIndex, int training) {
  g_playMode = playMode;
  g_eventIndex = eventIndex;
  g_trainingEvent = training;
  for (int i = 0; i < 4; ++i) {
    PlayerRecord& p = g_players[i];
    std::memset(&p, 0, sizeof p);
    InitPlayerRecord(&p, i);
    p.country = i;
    p.human = i < (playMode == 1 ? 2 : 1);
    SetPlayerName(&p, i == 0 ? "FIRST" : (i == 1 ? "SECOND" : "CPU"));
    p.place = i;
    p.result = 100 - i;
  }
  g_localPlayers[0] = 0;
  g_localPlayers[1] = 1;
}

TEST_F(ScreensTest, ShopTurnsOfTwoPlayersAndComputerShopping) {
  SetUpChampionship(1, 3, 0);
  ShopScreen* shop = Make<ShopScreen>();
  EXPECT_TRUE(shop->AutoSaved());
  EXPECT_EQ(shop->Snapshot().players[0].points, 0) << "the save is from before the awards";
  EXPECT_EQ(g_players[0].points, 10);
  EXPECT_EQ(g_players[1].money, 3500);
  for (int i = 0; i < 100 && shop->State() != 7; ++i) {
    if (shop->State() == 1 || shop->State() == 4) Tap(kVkReturn);
    else Step();
  }
  ASSERT_EQ(shop->State(), 7);
  EXPECT_EQ(shop->Buyer(), 0);
  Tap(kVkReturn);  // strength
  Steps(8);
  EXPECT_EQ(g_players[0].money, 3000);
  Tap(kVkUp);  // EXIT
  Tap(kVkReturn);
  Steps(9);
  EXPECT_EQ(shop->Buyer(), 1) << "the second player at this machine shops next";
  EXPECT_EQ(shop->State(), 7);
  Tap(kVkDown);
  Tap(kVkRight);
  Tap(kVkRight);  // energy juice
  EXPECT_EQ(shop->Selected(), kItemJuice);
  Tap(kVkReturn);
  Steps(8);
  EXPECT_EQ(g_players[1].money, 3000);
  Tap(kVkDown);  // EXIT
  Tap(kVkReturn);
  EXPECT_EQ(Steps(10), 1);
  int cpuMoney = g_players[2].money;
  EXPECT_EQ(cpuMoney, 2500);
  screen_.reset();  // the computers shop as the shop closes
  EXPECT_LT(g_players[2].money, 2000);
  EXPECT_EQ(g_players[0].money, 3000) << "people's money is theirs";
}

TEST_F(ScreensTest, ShopSavesAndTellsTheTruth) {
  SetUpChampionship(0, 2, 0);
  ShopScreen* shop = Make<ShopScreen>();
  Command("SAVE GAME 5");
  EXPECT_EQ(shop->GetMessageLine(0).text, "GAME SAVED!");
  SaveGameRecord rec;
  std::string why;
  ASSERT_EQ(ReadSaveGame(4, &rec, &why), kSaveOk) << why;
  EXPECT_EQ(rec.eventIndex, 2);
  Command("LOAD GAME 1");
  EXPECT_EQ(shop->GetMessageLine(1).text, "You cannot load game here!");
  // A save that cannot be written says so.
  std::filesystem::remove_all(dirs_.saves());
  std::ofstream(dirs_.saves()) << "a file where the directory was";
  Command("SAVE GAME 1");
  EXPECT_EQ(shop->GetMessageLine(2).text, "Cannot save this game.");
  screen_.reset();
  // And the automatic save on arrival as well.
  shop = Make<ShopScreen>();
  EXPECT_FALSE(shop->AutoSaved());
  EXPECT_EQ(shop->GetMessageLine(0).text, "Cannot save this game.");
  std::filesystem::remove(dirs_.saves());
}

TEST_F(ScreensTest, TrainingShopEndsAfterTheStandings) {
  SetUpChampionship(0, 5, 5);
  ShopScreen* shop = Make<ShopScreen>();
  int r = 0;
  for (int i = 0; i < 200 && r == 0; ++i) {
    if (shop->State() == 1 || shop->State() == 4) r = Tap(kVkReturn);
    else r = Step();
    ASSERT_NE(shop->State(), 7) << "no shopping after a training event";
  }
  EXPECT_EQ(r, 1);
}

TEST_F(ScreensTest, CeremonyRunsOnByItself) {
  // Nobody presses anything: medals, standings with the announcements and
  // the record's call, then the shop opens; no sound that fails to play
  // holds it up.
  SetUpChampionship(0, 4, 0);
  g_players[3].place = -1;  // one without a place: no medal for him
  ShopScreen* shop = Make<ShopScreen>();
  EXPECT_EQ(shop->RecordHolder(), 1) << "the first result of an event is its record";
  int frames = 0;
  while (shop->State() != 7 && frames < 1000) {
    ASSERT_EQ(Step(), 0);
    ++frames;
  }
  EXPECT_EQ(shop->State(), 7);
  EXPECT_GE(frames * 70, 7500 + 15000) << "the medals wait 7.5 s, the standings with a record 15 s";
}

TEST_F(ScreensTest, PodiumShowsBothOfTiedFirstPlaces) {
  SetUpChampionship(0, 1, 0);
  g_players[0].place = 0;
  g_players[1].place = 0;
  g_players[2].place = 2;
  g_players[3].place = 3;
  ShopScreen* shop = Make<ShopScreen>();
  EXPECT_EQ(shop->Podium()[0], 0);
  EXPECT_EQ(shop->Podium()[1], 1);
  EXPECT_EQ(shop->Podium()[2], 2);
  EXPECT_EQ(g_players[1].points, 10);
}

}  // namespace
