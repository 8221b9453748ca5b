// The screen base: chat and command line, message lines, the pacer, the
// constructor's clearing of the input states, a screen without options menu.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/clock.h"
#include "base/player_records.h"
#include "base/random.h"
#include "base/stopwatch.h"
#include "graphics/display.h"
#include "input/input.h"
#include "platform/keyboard.h"
#include "platform/presenter.h"
#include "screen/game_screen.h"
#include "screen/game_screen_services.h"
#include "screen/options_menu.h"
#include "shell/cheat.h"

namespace {

class PlainScreen : public GameScreen {
 public:
  explicit PlainScreen(int isEvent = 0) : GameScreen(isEvent) {}
};

void Type(const char* text) {
  for (const char* c = text; *c; ++c) KeyboardTypedChar(*c);
}

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = SetClock(&clock_);
    ResetKeyboardState();
    g_currentScreen = nullptr;
  }
  void TearDown() override {
    ResetKeyboardState();
    g_currentScreen = nullptr;
    SetClock(old_);
  }
  // Opens the line with F12 as a player would.
  void OpenChat(GameScreen& s) {
    KeyboardKeyDown(kVkF12, false);
    s.HandleChatInput();
    KeyboardKeyUp(kVkF12);
    ASSERT_TRUE(s.IsChatOpen());
  }
  VirtualClock clock_{1000};
  Clock* old_ = nullptr;
};

TEST_F(ScreenTest, ChatLineRules) {
  PlainScreen s;
  EXPECT_EQ(g_currentScreen, &s);  // the first screen becomes the current one
  OpenChat(s);
  // Backspace on an empty line does nothing; 32 characters fit, the 33rd not.
  KeyboardTypedChar(8);
  s.HandleChatInput();
  EXPECT_EQ(s.GetChatLine(), "");
  // (The typed-character ring holds 15, so the line is typed in parts.)
  for (const char* part : {"abcdefghij", "klmnopqrst", "uvwxyz0123", "45", "X"}) {
    Type(part);
    s.HandleChatInput();
  }
  EXPECT_EQ(s.GetChatLine(), "abcdefghijklmnopqrstuvwxyz012345");
  KeyboardTypedChar(8);
  Type("!");
  s.HandleChatInput();
  EXPECT_EQ(s.GetChatLine(), "abcdefghijklmnopqrstuvwxyz01234!");
  // Escape closes the line and keeps the last command.
  KeyboardTypedChar(27);
  s.HandleChatInput();
  EXPECT_FALSE(s.IsChatOpen());
  EXPECT_STREQ(s.GetCommandText(), "");
  // Control characters other than the three are not typed.
  OpenChat(s);
  Type("a\tb\x01");
  s.HandleChatInput();
  EXPECT_EQ(s.GetChatLine(), "ab");
}

TEST_F(ScreenTest, LowerCaseSaveCommandIsAccepted) {
  PlainScreen s;
  OpenChat(s);
  Type("save game 3\r");
  s.HandleChatInput();
  EXPECT_FALSE(s.IsChatOpen());
  EXPECT_STREQ(s.GetCommandText(), "SAVE GAME 3");
  int slot = -1;
  EXPECT_TRUE(s.IsSaveGameCommand(&slot));
  EXPECT_EQ(slot, 2);
  EXPECT_FALSE(s.IsLoadGameCommand());
  // What is typed after Enter in the same frame still belongs to the line:
  // the screen underneath gets none of it.
  OpenChat(s);
  Type("abc\rq");
  s.HandleChatInput();
  EXPECT_FALSE(s.IsChatOpen());
  EXPECT_STREQ(s.GetCommandText(), "ABC");
  EXPECT_EQ(s.GetChatLine(), "abcq");
  EXPECT_EQ(ReadTypedChar(), 0);
  OpenChat(s);
  Type("save game 3\r");
  s.HandleChatInput();
  s.ClearCommandText();
  EXPECT_FALSE(s.IsSaveGameCommand());
  struct Case {
    const char* typed;
    bool load;
    int slot;
  } cases[] = {{"load game 1\r", true, 0}, {"LOAD GAME 5\r", true, 4}, {"load game 6\r", false, -1},
               {"load game\r", false, -1}, {"load  game 1\r", false, -1}};
  for (const Case& c : cases) {
    OpenChat(s);
    Type(c.typed);
    s.HandleChatInput();
    int got = -1;
    EXPECT_EQ(s.IsLoadGameCommand(&got), c.load) << c.typed;
    EXPECT_EQ(got, c.slot) << c.typed;
  }
}

TEST_F(ScreenTest, ChatOpenHidesKeysFromTheGame) {
  PlainScreen s;
  OpenChat(s);
  KeyboardKeyDown(kVkLeft, false);
  Type("x");
  s.HandleChatInput();
  EXPECT_FALSE(IsKeyDown(kVkLeft));
  EXPECT_EQ(GetKeyPressCount(kVkLeft), 0u);
  // With the options menu open the line does not react at all.
}

TEST_F(ScreenTest, FourMessagesOverwriteTheFirstLine) {
  PlainScreen s;
  s.AddMessage("one");
  s.AddMessage("two");
  s.AddMessage("three");
  s.AddMessage("four");
  EXPECT_EQ(s.GetMessageLine(0).text, "four");
  EXPECT_EQ(s.GetMessageLine(1).text, "two");
  EXPECT_EQ(s.GetMessageLine(2).text, "three");
  s.AddMessage(nullptr);
  EXPECT_EQ(s.GetMessageLine(1).text, "");
}

TEST_F(ScreenTest, DelayElapsedAcrossGameSpeeds) {
  StopwatchBank bank;
  StopwatchBank* oldBank = g_timers;
  g_timers = &bank;
  int saved = g_gameSpeed;
  PlainScreen s;
  int t = bank.Allocate();
  struct Case {
    int speed, period;
    uint32_t notYet;   // elapsed ms at which the frame is not due
    uint32_t due;      // elapsed ms at which it is
  } cases[] = {{4, 65, 999, 1000}, {6, 65, 64, 65}, {7, 65, 499, 500}, {6, 200, 199, 200}};
  for (const Case& c : cases) {
    g_gameSpeed = c.speed;
    bank.Restart(t);
    clock_.Advance(c.notYet);
    uint32_t before = TimeGetTime();
    // Not due yet: it sleeps to the end of the period, then the frame is due.
    EXPECT_EQ(s.DelayElapsed(t, c.period), 1) << c.speed << "/" << c.period;
    EXPECT_EQ(TimeGetTime() - before, c.due - c.notYet) << "slept to the deadline";
    EXPECT_EQ(bank.Elapsed(t), 0u) << "restarted";
    bank.Restart(t);
    clock_.Advance(c.due);
    before = TimeGetTime();
    EXPECT_EQ(s.DelayElapsed(t, c.period), 1) << c.speed << "/" << c.period;
    EXPECT_EQ(TimeGetTime(), before) << "a due frame never sleeps";
    EXPECT_EQ(bank.Elapsed(t), 0u) << "restarted";
  }
  // The fixed pacer of the menus is the same without the speed table.
  g_gameSpeed = 4;
  bank.Restart(t);
  uint32_t before = TimeGetTime();
  EXPECT_EQ(s.PeriodElapsed(t, 50), 1);
  EXPECT_EQ(TimeGetTime() - before, 50u);
  EXPECT_EQ(s.PeriodElapsed(t, 0), 1);
  EXPECT_EQ(TimeGetTime() - before, 50u);
  // Unpaced speeds: every call is due at once.
  for (int speed : {5, 0, 3, 8, -1}) {
    g_gameSpeed = speed;
    bank.Restart(t);
    EXPECT_EQ(s.DelayElapsed(t, 65), 1) << speed;
    EXPECT_EQ(s.DelayElapsed(t, 65), 1) << speed;
  }
  // A stopwatch that could not be allocated never holds a screen up.
  g_gameSpeed = 6;
  EXPECT_EQ(s.DelayElapsed(-1, 65), 1);
  EXPECT_EQ(s.DelayElapsed(99, 65), 1);
  g_gameSpeed = saved;
  g_timers = oldBank;
}

// On the real clock the wait sleeps in the window's queue: an event that
// comes first ends it early and the frame is not due yet.
TEST_F(ScreenTest, PacingWaitWakesForAWindowEvent) {
  static uint32_t asked = 0;
  EventWaiter previous = SetEventWaiter([](uint32_t ms) {
    asked = ms;
    return true;  // an event is waiting at once
  });
  SetClock(nullptr);
  StopwatchBank bank;
  StopwatchBank* oldBank = g_timers;
  g_timers = &bank;
  int saved = g_gameSpeed;
  g_gameSpeed = 6;
  PlainScreen s;
  int t = bank.Allocate();
  bank.Restart(t);
  EXPECT_EQ(s.DelayElapsed(t, 1000), 0);
  EXPECT_GT(asked, 900u);
  EXPECT_LE(asked, 1000u);
  g_gameSpeed = saved;
  g_timers = oldBank;
  SetEventWaiter(previous);
  SetClock(&clock_);
}

TEST_F(ScreenTest, GameSpeedTable) {
  EXPECT_EQ(GameSpeedPeriod(4, 65), 1000);
  EXPECT_EQ(GameSpeedPeriod(5, 65), 0);
  EXPECT_EQ(GameSpeedPeriod(6, 65), 65);
  EXPECT_EQ(GameSpeedPeriod(6, 66), 66);
  EXPECT_EQ(GameSpeedPeriod(7, 65), 500);
  EXPECT_EQ(GameSpeedPeriod(9, 65), 0);
}

TEST_F(ScreenTest, EventScreenClearsEveryInputByte) {
  int savedState = g_shellState;
  std::memset(g_playerStates, 0x81, sizeof g_playerStates);
  g_shellState = kShellMainMenu;
  {
    PlainScreen menu(0);
    EXPECT_EQ(g_playerStates[0][0], 0x81);  // menus leave them
  }
  g_shellState = kShellEvent;
  {
    PlainScreen event(1);
    for (int p = 0; p < kMaxPlayers; ++p)
      for (int b = 0; b < kPlayerStateSize; ++b) EXPECT_EQ(g_playerStates[p][b], 0) << p << "," << b;
  }
  g_shellState = savedState;
}

TEST_F(ScreenTest, NetworkScreensShareTheSeed) {
  int32_t savedMode = g_playMode;
  int32_t savedSeed = g_localPlayers[2];
  g_playMode = 2;
  g_localPlayers[2] = 777;
  int a, b;
  {
    PlainScreen s;
    a = Rand15();
  }
  clock_.Advance(12345);
  {
    PlainScreen s;
    b = Rand15();
  }
  EXPECT_EQ(a, b);
  g_playMode = savedMode;
  g_localPlayers[2] = savedSeed;
}

TEST_F(ScreenTest, DebugLines) {
  PlainScreen s;
  s.SetDebugLine(19, "last");
  s.SetDebugLine(20, "ignored");
  s.SetDebugLine(-1, "ignored");
  EXPECT_STREQ(s.GetDebugLine(19), "last");
  EXPECT_STREQ(s.GetDebugLine(20), "");
}

// Drawing: with a display on a memory presenter.
class ScreenDrawTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    presenter_ = CreateMemoryPresenter();
    ASSERT_TRUE(InitDirectDraw(presenter_.get()));
    ASSERT_TRUE(SetVideoMode(640, 480, 8, 2, 0));
  }
  void TearDown() override {
    ReleaseDirectDraw();
    SetDisplayPresenter(nullptr);
    ScreenTest::TearDown();
  }
  static uint64_t Hash(DDSurface* s) {
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < s->GetHeight(); ++y) {
      const uint8_t* row = s->Row(y);
      for (int x = 0; x < s->GetWidth(); ++x) h = (h ^ row[x]) * 1099511628211ull;
    }
    return h;
  }
  std::unique_ptr<MemoryPresenter> presenter_;
};

TEST_F(ScreenDrawTest, WithoutOptionsMenuNothingIsDrawn) {
  int savedDebug = g_debugMode;
  g_debugMode = 8;
  PlainScreen s(1);
  s.AddMessage("hello");
  g_backDDSurface->FillRect(0, 0, 640, 480, 7);
  uint64_t before = Hash(g_backDDSurface);
  EXPECT_EQ(s.Run(), 0);
  EXPECT_EQ(Hash(g_backDDSurface), before);
  EXPECT_EQ(s.GetFrameCounter(), 0);
  EXPECT_STREQ(s.GetDebugLine(0), "");
  g_debugMode = savedDebug;
}

TEST_F(ScreenDrawTest, MessagesExpireAfterEightyFrames) {
  PlainScreen s;
  s.CreateOptionsMenu(nullptr);
  s.AddMessage("hello");
  for (int i = 0; i < 80; ++i) s.DrawOverlay();
  EXPECT_EQ(s.GetMessageLine(0).text, "hello");
  s.DrawOverlay();
  EXPECT_EQ(s.GetMessageLine(0).text, "");
}

// The overlay opened and closed with Escape through the base Run, as the
// player does it: 2 while open (the event holds its game), 1 on the frame it
// closes, -1 when the player leaves.
TEST_F(ScreenDrawTest, OptionsMenuThroughRun) {
  CreateInputMaps();
  BindDefaultActions();
  PlainScreen s(1);
  s.CreateOptionsMenu(nullptr);
  auto press = [&](int vk) {
    KeyboardKeyDown(vk, false);
    int r = s.Run();
    KeyboardKeyUp(vk);
    return r;
  };
  EXPECT_EQ(s.Run(), 0);
  EXPECT_EQ(press(kVkEscape), 2);
  EXPECT_TRUE(s.IsMenuOpen());
  EXPECT_FALSE(s.IsChatOpen());
  EXPECT_EQ(s.Run(), 2);
  EXPECT_EQ(press(kVkEscape), 1);
  EXPECT_FALSE(s.IsMenuOpen());
  EXPECT_EQ(s.Run(), 0);
  // Up from the first item wraps to "leave"; Enter asks, Right picks yes.
  EXPECT_EQ(press(kVkEscape), 2);
  EXPECT_EQ(press(kVkUp), 2);
  EXPECT_EQ(s.GetOptionsMenu()->GetSelected(), OptionsMenu::kLeave);
  EXPECT_EQ(press(kVkReturn), 2);
  EXPECT_EQ(press(kVkRight), 2);
  EXPECT_EQ(press(kVkReturn), -1);
  EXPECT_FALSE(s.IsMenuOpen());
  // While the overlay is open the chat line does not react.
  EXPECT_EQ(press(kVkEscape), 2);
  KeyboardKeyDown(kVkF12, false);
  s.HandleChatInput();
  KeyboardKeyUp(kVkF12);
  EXPECT_FALSE(s.IsChatOpen());
  s.DestroyOptionsMenu();
  DestroyInputMaps();
}

TEST_F(ScreenDrawTest, DebugOverlayLines) {
  int savedDebug = g_debugMode;
  PlayerRecord saved = g_players[1];
  g_players[1].energy = 77;
  g_players[1].strength = 5;
  g_players[1].speed = 12345;
  g_players[1].endurance = -3;
  g_players[1].powerPills = 2;
  g_players[1].weaponUnits = 9;
  PlainScreen s(1);
  s.CreateOptionsMenu(nullptr);
  g_debugMode = 9;
  s.Run();
  EXPECT_STREQ(s.GetDebugLine(0), "");
  g_debugMode = 8;
  s.Run();
  EXPECT_STREQ(s.GetDebugLine(0), "SyncPt: 0");
  EXPECT_EQ(std::string(s.GetDebugLine(1)).rfind("Last rand() value: ", 0), 0u);
  EXPECT_STREQ(s.GetDebugLine(3),
               "Player 2: eng=   77, str=    5, spd=12345, end=   -3, atm=    2, special=    9");
  g_players[1] = saved;
  g_debugMode = savedDebug;
}

TEST_F(ScreenTest, HiddenCodeAnswersOnTheScreen) {
  int savedSpeed = g_gameSpeed, savedDebug = g_debugMode;
  PlainScreen s(1);
  OpenChat(s);
  Type("tempo lazy\r");
  s.HandleChatInput();
  int code = MatchCheatCode();
  EXPECT_EQ(code, 7);
  ApplyCheatCode(code);
  EXPECT_EQ(g_gameSpeed, 7);
  EXPECT_EQ(s.GetMessageLine(0).text, "COMPUTER: Speed changed");
  EXPECT_STREQ(s.GetCommandText(), "");
  OpenChat(s);
  Type("probe data up\r");
  s.HandleChatInput();
  ApplyCheatCode(MatchCheatCode());
  EXPECT_EQ(g_debugMode, 8);
  EXPECT_EQ(s.GetMessageLine(1).text, "COMPUTER: Debug is on now");
  // "JUMP AHEAD" is the shell's to act on: the text stays for it.
  OpenChat(s);
  Type("jump ahead\r");
  s.HandleChatInput();
  ApplyCheatCode(MatchCheatCode());
  EXPECT_STREQ(s.GetCommandText(), "JUMP AHEAD");
  g_gameSpeed = savedSpeed;
  g_debugMode = savedDebug;
}

}  // namespace
