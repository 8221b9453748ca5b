// The whole road of a championship, headless and driven by key presses as
// a person would: intro, main menu, new game with one person and three
// computer players, COMPUTER THROW, the shop (with a save), the events not
// built yet passed over, the closing ceremony, the hall of fame and quit;
// then a restart that still knows the top five and the records, and the
// saved game loaded again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <functional>
#include <string>

#include "base/clock.h"
#include "base/player_records.h"
#include "base/registry.h"
#include "events/computer_throw/computer_throw_event.h"
#include "frontend/front_end.h"
#include "frontend/hall_of_fame.h"
#include "frontend/main_menu_screen.h"
#include "frontend/new_game_screen.h"
#include "frontend/save_game.h"
#include "frontend/shop_screen.h"
#include "graphics/surface.h"  // video_screen.h needs it complete
#include "platform/keyboard.h"
#include "platform/message_box.h"
#include "screen/config.h"
#include "screen/event_records.h"
#include "screen/game_screen.h"
#include "screen/game_screen_services.h"
#include "shell/screen_factory.h"
#include "shell/shell.h"
#include "video/video_screen.h"

namespace {

// A person who keeps working the controls: pushes the second action key
// for a while with the first held, then lets go of both.
class Fidget : public ScriptedInput {
 public:
  bool ActionMap(int which, unsigned char actions[10]) override {
    std::memset(actions, 0, 10);
    if (which != 0) return true;
    ++frame_;
    if (frame_ % 100 < 70) {
      actions[5] = 1;
      actions[4] = 0x80;
    }
    return true;
  }
  bool KeyPress(char) override { return false; }

 private:
  int frame_ = 0;
};

class RoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = SetClock(&clock_);
    dir_ = std::filesystem::path(KEL_BINARY_DIR) / "test-home" / "frontend" /
           ("road-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "saves");
    RegSetStorePath((dir_ / "settings.ini").string());
    RegWriteString(kRegConfig, "SAVEGAMEPATH", ((dir_ / "saves").string() + "/").c_str());
    std::string data = std::string(KEL_BINARY_DIR) + "/gamedata";
    if (std::filesystem::exists(data)) ::setenv("KELVANTHROP_DATA_ROOT", data.c_str(), 1);
    ClearScreenRegistrations();
    RegisterVideoScreens();
    RegisterFrontEndScreens();
    RegisterComputerThrowEvent();
    ResetKeyboardState();
    ClearRecordedMessageBoxes();
  }
  void TearDown() override {
    ShellSetScriptedInput(nullptr);
    ShellShutdown();
    ClearScreenRegistrations();
    RegSetStorePath("");
    ::unsetenv("KELVANTHROP_DATA_ROOT");
    SetClock(old_);
    if (!HasFailure()) std::filesystem::remove_all(dir_);
  }

  // One frame of the program, with time going by as it would.
  void Frame() {
    clock_.Advance(70);
    ShellRunFrame();
    ++frames_;
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) Frame();
  }
  void Tap(int vk) {
    KeyboardKeyDown(vk, false);
    Frame();
    KeyboardKeyUp(vk);
    Frame();
  }
  // Runs until the condition holds; false after maxFrames.
  bool Until(const std::function<bool()>& done, int maxFrames) {
    for (int i = 0; i < maxFrames; ++i) {
      if (done()) return true;
      Frame();
    }
    return done();
  }
  void Type(const char* text) {
    for (const char* p = text; *p; ++p) KeyboardTypedChar(*p);
    Frame();
  }
  // The command line: F12 opens it, the text and Enter send it.
  void Command(const char* text) {
    KeyboardKeyDown(kVkF12, false);
    Frame();
    KeyboardKeyUp(kVkF12);
    std::string line = std::string(text) + "\r";
    Type(line.c_str());
    Frame();
  }
  bool ToMenu() {
    return Until([this] {
      MainMenuScreen* m = Current<MainMenuScreen>();
      return g_shellState == kShellMainMenu && m && m->CurrentMenu() == kMenuMain;
    }, 400);
  }
  template <typename T>
  T* Current() {
    return dynamic_cast<T*>(g_currentScreen);
  }
  // From the main menu through a solo new game up to the ready state.
  void NewSoloGame() {
    MainMenuScreen* menu = Current<MainMenuScreen>();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->SelectedRow(), 1);  // CHAMPIONSHIP
    Tap(kVkReturn);
    ASSERT_TRUE(Until([&] { return menu->CurrentMenu() == kMenuPlayerCount; }, 30));
    Tap(kVkReturn);  // SOLO GAME
    ASSERT_TRUE(Until([] { return g_shellState == kShellNewGame && g_currentScreen; }, 30));
    ASSERT_EQ(g_playMode, 0);
    ASSERT_TRUE(Until([this] { return Current<NewGameScreen>()->State() == 1; }, 60));
  }

  VirtualClock clock_{1000};
  Clock* old_ = nullptr;
  std::filesystem::path dir_;
  int frames_ = 0;
};

TEST_F(RoadTest, ChampionshipToHallOfFameAndBack) {
  ASSERT_TRUE(ShellStartup());
  ASSERT_TRUE(ToMenu()) << "intro cut-scenes lead to the menu";
  NewSoloGame();
  NewGameScreen* ng = Current<NewGameScreen>();
  Type("tester");
  EXPECT_EQ(ng->Entry(), "TESTER");
  Tap(kVkReturn);
  ASSERT_EQ(ng->State(), 2);
  Tap(kVkRight);  // the carousel turns to RAREZ VUDA
  EXPECT_EQ(ng->Choice(), 1);
  Frames(25);
  Tap(kVkControl);
  ASSERT_TRUE(Until([&] { return ng->State() == 3; }, 200)) << "after the athlete's cry";
  Tap(kVkUp);
  int country = ng->CountryChoice();
  Tap(kVkControl);
  ASSERT_EQ(ng->State(), 4);
  // One person and three computer players, all different athletes and countries.
  EXPECT_EQ(g_players[0].human, 1);
  EXPECT_STREQ(g_players[0].name, "TESTER");
  EXPECT_EQ(g_players[0].character, 1);
  EXPECT_EQ(g_players[0].country, country);
  for (int i = 1; i < 4; ++i) {
    EXPECT_EQ(g_players[i].human, 0);
    for (int j = 0; j < i; ++j) {
      EXPECT_NE(g_players[i].character, g_players[j].character);
      EXPECT_NE(g_players[i].country, g_players[j].country);
    }
  }
  Tap(kVkControl);
  // The cut-scene, then COMPUTER THROW.
  ASSERT_TRUE(Until([] { return g_shellState == kShellEvent && g_currentScreen; }, 300));
  EXPECT_EQ(g_eventIndex, 1);
  Fidget person;
  ShellSetScriptedInput(&person);
  bool endedByItself = Until([] { return g_shellState == kShellShop; }, 6000);
  RecordProperty("throw_ended_by_itself", endedByItself ? 1 : 0);
  RecordProperty("frames_to_shop", frames_);
  if (!endedByItself) {
    Command("JUMP AHEAD");
    ASSERT_TRUE(Until([] { return g_shellState == kShellShop; }, 50));
  }
  ShellSetScriptedInput(nullptr);
  ShopScreen* shop = Current<ShopScreen>();
  ASSERT_NE(shop, nullptr);
  EXPECT_TRUE(shop->AutoSaved());
  EXPECT_TRUE(std::filesystem::exists(dir_ / "saves" / "game4.dat"));
  // Somebody won the event; its record stands now.
  ASSERT_TRUE(RegHasValue(kRegHallOfFame, "Rec1"));
  std::string recordText = GetEventRecordText(1);
  std::string recordHolder = GetEventRecordHolder(1);
  EXPECT_FALSE(recordHolder.empty());

  Command("SAVE GAME 2");
  EXPECT_TRUE(std::filesystem::exists(dir_ / "saves" / "game1.dat"));
  SaveGameRecord saved;
  std::string why;
  ASSERT_EQ(ReadSaveGame(1, &saved, &why), kSaveOk) << why;
  uint8_t a[kSaveGameSize], b[kSaveGameSize];
  EncodeSaveGame(saved, a);
  EncodeSaveGame(shop->Snapshot(), b);
  EXPECT_EQ(std::memcmp(a, b, kSaveGameSize), 0) << "the save is the game as it came in";
  int pointsAfterAwards = g_players[0].points;

  // Medals and standings skipped, then one purchase and EXIT.
  ASSERT_TRUE(Until([&] {
    if (shop->State() == 1 || shop->State() == 4) Tap(kVkReturn);
    return shop->State() == 7;
  }, 200));
  int money = g_players[0].money, strength = g_players[0].strength;
  Tap(kVkReturn);  // TRAINING (STRENGTH)
  if (money >= 2000 && strength <= 90) {
    EXPECT_EQ(g_players[0].money, money - 2000);
    EXPECT_EQ(g_players[0].strength, strength + 10);
  }
  Frames(8);
  Tap(kVkUp);  // to EXIT
  EXPECT_EQ(shop->Selected(), kItemExit);
  Tap(kVkReturn);
  // Events 2 to 10 have no screens yet: on to the closing ceremony.
  ASSERT_TRUE(Until([] { return g_shellState == kShellEnding && g_currentScreen; }, 60));
  for (int i = 0; i < 3; ++i) {
    Frames(3);
    Tap(kVkReturn);
  }
  ASSERT_TRUE(ToMenu());
  bool entered = false;
  for (const HallOfFameEntry& e : g_hallOfFameTopFive) {
    if (std::strcmp(e.name, "TESTER") == 0 && e.points == pointsAfterAwards) entered = e.isNew == 1;
  }
  EXPECT_TRUE(entered) << "the person's points entered the top five";

  // The hall of fame from the menu, and back.
  MainMenuScreen* menu = Current<MainMenuScreen>();
  for (int i = 0; i < 3; ++i) Tap(kVkDown);
  ASSERT_EQ(menu->SelectedRow(), 4);
  Tap(kVkReturn);
  ASSERT_TRUE(Until([] { return g_shellState == kShellEnding && g_currentScreen; }, 30));
  Frames(3);
  Tap(kVkEscape);
  ASSERT_TRUE(ToMenu());
  // QUIT.
  menu = Current<MainMenuScreen>();
  Tap(kVkUp);  // a new menu starts on row 1; up wraps to QUIT
  ASSERT_EQ(menu->SelectedRow(), 6);
  Tap(kVkReturn);
  ASSERT_TRUE(Until([] { return g_currentScreen == nullptr; }, 30));
  EXPECT_EQ(ShellRunFrame(), 1) << "the program has ended";

  // A restart: the table and the record are still there.
  ASSERT_TRUE(ShellStartup());
  ASSERT_TRUE(ToMenu());
  bool found = false;
  for (const HallOfFameEntry& e : g_hallOfFameTopFive) {
    found = found || (std::strcmp(e.name, "TESTER") == 0 && e.points == pointsAfterAwards);
  }
  EXPECT_TRUE(found);
  EXPECT_EQ(GetEventRecordText(1), recordText);
  EXPECT_EQ(GetEventRecordHolder(1), recordHolder);

  // The saved game loaded: it goes straight to the shop, which gives the
  // same awards again and leaves the record as it was.
  NewSoloGame();
  Command("LOAD GAME 2");
  ng = Current<NewGameScreen>();
  ASSERT_TRUE(ng->Loaded()) << (RecordedMessageBoxes().empty() ? "" : RecordedMessageBoxes().back().text);
  EXPECT_EQ(ng->State(), 4);
  EXPECT_STREQ(g_players[0].name, "TESTER");
  Tap(kVkControl);
  ASSERT_TRUE(Until([] { return g_shellState == kShellShop && g_currentScreen; }, 30));
  EXPECT_EQ(g_eventIndex, 1);
  EXPECT_EQ(g_players[0].points, pointsAfterAwards);
  EXPECT_EQ(Current<ShopScreen>()->RecordHolder(), 0) << "an equal result is no new record";
  EXPECT_EQ(GetEventRecordText(1), recordText);
  EXPECT_EQ(GetEventRecordHolder(1), recordHolder);
}

// The new-game screen says "PRESS ENTER TO START THE GAME": Enter takes
// the name, the athlete, the country and the start, as the fire key does
// after the name.
TEST_F(RoadTest, EnterTakesEveryStepOfTheNewGame) {
  ASSERT_TRUE(ShellStartup());
  ASSERT_TRUE(ToMenu());
  NewSoloGame();
  NewGameScreen* ng = Current<NewGameScreen>();
  Type("wwwwwwwwww");
  EXPECT_EQ(ng->Entry(), "WWWWWWWWWW");
  Tap(kVkReturn);
  ASSERT_EQ(ng->State(), 2);
  Tap(kVkRight);
  Frames(25);
  Tap(kVkReturn);
  ASSERT_TRUE(Until([&] { return ng->State() == 3; }, 200)) << "after the athlete's cry";
  EXPECT_EQ(g_players[0].character, 1);
  Tap(kVkReturn);
  ASSERT_EQ(ng->State(), 4);
  EXPECT_STREQ(g_players[0].name, "WWWWWWWWWW");
  Tap(kVkReturn);
  ASSERT_TRUE(Until([] { return g_shellState == kShellEvent && g_currentScreen; }, 300));
  EXPECT_EQ(g_eventIndex, 1);
}

TEST_F(RoadTest, RefusedLoadsAreTold) {
  ASSERT_TRUE(ShellStartup());
  ASSERT_TRUE(ToMenu());
  // A damaged file in slot 1 and a network game in slot 3.
  std::filesystem::path saves = dir_ / "saves";
  { std::FILE* f = std::fopen((saves / "game0.dat").c_str(), "wb"); std::fputs("short", f); std::fclose(f); }
  SaveGameRecord net;
  net.playMode = 2;
  net.eventIndex = 2;
  for (int i = 0; i < 4; ++i) {
    InitPlayerRecord(&net.players[i], i);
    net.players[i].country = i;
    net.players[i].human = i == 0;
    SetPlayerName(&net.players[i], "NET");
  }
  ASSERT_TRUE(WriteSaveGame(2, net));

  NewSoloGame();
  Command("LOAD GAME 1");
  NewGameScreen* ng = Current<NewGameScreen>();
  ASSERT_NE(ng, nullptr);
  EXPECT_FALSE(ng->Loaded());
  ASSERT_FALSE(RecordedMessageBoxes().empty());
  EXPECT_NE(RecordedMessageBoxes().back().text.find("5 bytes"), std::string::npos)
      << RecordedMessageBoxes().back().text;
  Command("LOAD GAME 4");
  EXPECT_NE(RecordedMessageBoxes().back().text.find("no saved game"), std::string::npos);
  EXPECT_EQ(g_shellState, kShellNewGame);
  // A network game in a game on one machine: refused, back to the menu.
  Command("LOAD GAME 3");
  EXPECT_EQ(RecordedMessageBoxes().back().text,
            "Please create a multiplayer game before loading a network game.");
  ASSERT_TRUE(ToMenu());
}

}  // namespace
