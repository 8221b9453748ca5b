// The shell's state table, driven headless through ShellStartup /
// ShellRunFrame with scripted screens that return the results a test asks
// for, and the order of the quit.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/player_records.h"
#include "base/stopwatch.h"
#include "graphics/display.h"
#include "input/input.h"
#include "net/net_session.h"
#include "platform/keyboard.h"
#include "platform/message_box.h"
#include "platform/quit_request.h"
#include "screen/config.h"
#include "screen/game_screen.h"
#include "screen/game_screen_services.h"
#include "shell/screen_factory.h"
#include "shell/shell.h"
#include "sound/sound.h"

namespace {

std::vector<std::string> g_log;
// The event number each event screen saw while it was being built.
std::vector<int> g_indexAtBuild;
// Results each screen kind gives, in turn; a screen whose list is empty
// returns 0 (runs on) until the test gives it one.
std::map<std::string, std::deque<int>> g_results;
bool g_servicesAliveAtQuit = false;

class ScriptedScreen : public GameScreen {
 public:
  ScriptedScreen(std::string name, int isEvent) : GameScreen(isEvent), name_(std::move(name)) {
    g_log.push_back(name_);
  }
  ~ScriptedScreen() override {
    if (name_ == "menu") g_servicesAliveAtQuit = g_timers && g_soundManager && g_netSession;
  }
  int Run() override {
    GameScreen::Run();
    auto& q = g_results[name_];
    if (q.empty()) return 0;
    int r = q.front();
    q.pop_front();
    return r;
  }

 private:
  std::string name_;
};

class EventScreen : public ScriptedScreen {
 public:
  explicit EventScreen(const std::string& name) : ScriptedScreen(name, 1) { g_indexAtBuild.push_back(g_eventIndex); }
};

void RegisterScripted(const std::vector<int>& events, bool splitMaze) {
  ClearScreenRegistrations();
  RegisterMainMenuScreen([] { return new ScriptedScreen("menu", 0); });
  RegisterNewGameScreen([] { return new ScriptedScreen("newgame", 0); });
  RegisterShopScreen([] { return new ScriptedScreen("shop", 0); });
  RegisterEndingScreen([](int mode) {
    return new ScriptedScreen(mode ? "ceremony" : "halloffame", mode);
  });
  RegisterVideoScreen([](const VideoClip& clip) {
    std::string name = clip.path.substr(clip.path.find_last_of("\\/") + 1);
    return new ScriptedScreen("video:" + name, 0);
  });
  for (int n : events) {
    RegisterEventScreen(n, [n] { return new EventScreen("event" + std::to_string(n)); });
  }
  if (splitMaze) RegisterSplitMazeScreen([] { return new EventScreen("event7split"); });
}

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = SetClock(&clock_);
    g_log.clear();
    g_indexAtBuild.clear();
    g_results.clear();
    g_playMode = 0;
    g_trainingEvent = 0;
    g_eventIndex = 0;
    for (int i = 0; i < 4; ++i) g_players[i].character = i;
  }
  void TearDown() override {
    ShellShutdown();
    ClearScreenRegistrations();
    SetClock(old_);
  }
  void Start() {
    ASSERT_TRUE(ShellStartup());
    ASSERT_EQ(g_shellState, kShellIntro1);
  }
  // Gives the current kind of screen one result and runs one frame.
  int Step(const std::string& screen, int r) {
    g_results[screen].push_back(r);
    return ShellRunFrame();
  }
  // From the first intro to the main menu.
  void ToMenu() {
    Step("video:intro1.avi", 1);
    EXPECT_EQ(g_shellState, kShellIntro2);
    Step("video:intro.avi", 1);
    EXPECT_EQ(g_shellState, kShellMainMenu);
  }

  VirtualClock clock_;
  Clock* old_ = nullptr;
};

TEST_F(ShellTest, IntroCreditsAndHallOfFame) {
  RegisterScripted({1}, false);
  Start();
  ToMenu();
  Step("menu", 2);
  EXPECT_EQ(g_shellState, kShellCredits);
  Step("video:credits.avi", 1);
  EXPECT_EQ(g_shellState, kShellMainMenu);
  Step("menu", 3);
  EXPECT_EQ(g_shellState, kShellEnding);
  Step("halloffame", 1);
  EXPECT_EQ(g_shellState, kShellMainMenu);
  std::vector<std::string> want = {"video:intro1.avi", "video:intro.avi", "menu",
                                   "video:credits.avi", "menu", "halloffame", "menu"};
  EXPECT_EQ(g_log, want);
  // A screen that goes on keeps the state.
  EXPECT_EQ(ShellRunFrame(), 0);
  EXPECT_EQ(g_shellState, kShellMainMenu);
}

TEST_F(ShellTest, ChampionshipPassesOverMissingEventsToTheCeremony) {
  RegisterScripted({1, 2, 10}, false);
  Start();
  ToMenu();
  Step("menu", 1);  // a new game
  EXPECT_EQ(g_shellState, kShellNewGame);
  Step("newgame", 1);
  EXPECT_EQ(g_shellState, kShellCutScene);
  Step("video:chipint.avi", 1);
  EXPECT_EQ(g_shellState, kShellEvent);
  EXPECT_EQ(g_eventIndex, 1);
  Step("event1", 1);
  EXPECT_EQ(g_shellState, kShellShop);
  Step("shop", 1);
  EXPECT_EQ(g_shellState, kShellCutScene);
  Step("video:rizaz1.avi", 1);  // record 0 plays character 0
  EXPECT_EQ(g_eventIndex, 2);
  Step("event2", 1);
  Step("shop", 1);
  // Events 3 to 9 have no screen: the cut-scene is the one before event 10.
  EXPECT_EQ(g_shellState, kShellCutScene);
  EXPECT_EQ(g_eventIndex, 9);
  EXPECT_EQ(g_currentScreen, nullptr);  // none is shown before event 10
  ShellRunFrame();
  EXPECT_EQ(g_shellState, kShellEvent);
  EXPECT_EQ(g_eventIndex, 10);
  Step("event10", 1);
  EXPECT_EQ(g_shellState, kShellShop);
  Step("shop", 1);
  EXPECT_EQ(g_shellState, kShellEnding);
  Step("ceremony", 1);
  EXPECT_EQ(g_shellState, kShellMainMenu);
  std::vector<std::string> want = {
      "video:intro1.avi", "video:intro.avi", "menu",  "newgame",  "video:chipint.avi",
      "event1",           "shop",            "video:rizaz1.avi", "event2", "shop",
      "event10",          "shop",            "ceremony", "menu"};
  EXPECT_EQ(g_log, want);
  // Each event is built with its own number already in place.
  EXPECT_EQ(g_indexAtBuild, (std::vector<int>{1, 2, 10}));
}

TEST_F(ShellTest, TrainingAndLeavingAnEvent) {
  RegisterScripted({1, 3}, false);
  Start();
  ToMenu();
  g_trainingEvent = 3;  // the menu's choice
  Step("menu", 1);
  Step("newgame", 1);
  EXPECT_EQ(g_shellState, kShellEvent);
  EXPECT_EQ(g_eventIndex, 3);
  Step("event3", 1);
  EXPECT_EQ(g_shellState, kShellShop);
  Step("shop", 1);
  EXPECT_EQ(g_shellState, kShellMainMenu);
  // An event left with -1 goes to the menu, not the shop.
  Step("menu", 1);
  Step("newgame", 1);
  Step("event3", -1);
  EXPECT_EQ(g_shellState, kShellMainMenu);
  // New game left with -1, and a training event that does not exist.
  Step("menu", 1);
  Step("newgame", -1);
  EXPECT_EQ(g_shellState, kShellMainMenu);
  g_trainingEvent = 5;
  Step("menu", 1);
  Step("newgame", 1);
  EXPECT_EQ(g_shellState, kShellMainMenu);
}

TEST_F(ShellTest, LoadedGameGoesToTheShopThenOn) {
  RegisterScripted({1, 2, 3}, false);
  Start();
  ToMenu();
  Step("menu", 1);
  g_eventIndex = 2;  // as the loaded save game says
  Step("newgame", 2);
  EXPECT_EQ(g_shellState, kShellShop);
  Step("shop", 1);
  EXPECT_EQ(g_shellState, kShellCutScene);
  Step("video:vuda1.avi", 1);  // before event 3: record 1 plays character 1
  EXPECT_EQ(g_eventIndex, 3);
  EXPECT_EQ(g_shellState, kShellEvent);
  // The shop left with -1 ends the championship.
  Step("event3", 1);
  Step("shop", -1);
  EXPECT_EQ(g_shellState, kShellMainMenu);
}

TEST_F(ShellTest, HiddenCodeEndsTheEventLikeItsOwnEnd) {
  RegisterScripted({1}, false);
  Start();
  ToMenu();
  g_trainingEvent = 1;
  Step("menu", 1);
  Step("newgame", 1);
  ASSERT_EQ(g_shellState, kShellEvent);
  EXPECT_EQ(ShellRunFrame(), 0);
  EXPECT_EQ(g_shellState, kShellEvent);
  // Typed on the command line: "jump ahead" and Enter.
  KeyboardKeyDown(kVkF12, false);
  g_currentScreen->HandleChatInput();
  KeyboardKeyUp(kVkF12);
  for (const char* c = "jump ahead\r"; *c; ++c) KeyboardTypedChar(*c == '\r' ? 13 : *c);
  g_currentScreen->HandleChatInput();
  ASSERT_STREQ(g_currentScreen->GetCommandText(), "JUMP AHEAD");
  ShellRunFrame();
  EXPECT_EQ(g_shellState, kShellShop);
}

// An event that runs on the exchange, as the real ones do: a result of 1
// from it ends the screen, otherwise the frame is played.
int g_framesPlayed = 0;
class ExchangingEvent : public EventScreen {
 public:
  ExchangingEvent() : EventScreen("event1") {}
  int Run() override {
    GameScreen::Run();
    int x = ExchangeInput();
    if (x != 0) return x;
    ++g_framesPlayed;
    ReadLocalInput();
    return 0;
  }
};

TEST_F(ShellTest, OverTheNetworkTheHiddenCodeEndsTheEventAfterTheFrameWhoseInputIsOut) {
  RegisterScripted({}, false);
  RegisterEventScreen(1, [] { return new ExchangingEvent(); });
  g_framesPlayed = 0;
  Start();
  ToMenu();
  g_trainingEvent = 1;
  g_playMode = 2;
  Step("menu", 1);
  Step("newgame", 1);
  ASSERT_EQ(g_shellState, kShellEvent);
  ShellRunFrame();
  ShellRunFrame();
  ASSERT_EQ(g_framesPlayed, 2);
  KeyboardKeyDown(kVkF12, false);
  g_currentScreen->HandleChatInput();
  KeyboardKeyUp(kVkF12);
  for (const char* c = "jump ahead\r"; *c; ++c) KeyboardTypedChar(*c == '\r' ? 13 : *c);
  g_currentScreen->HandleChatInput();
  // Its input for the next frame is out: another machine may play that
  // frame, so this one plays it too, and sends no input after it.
  ShellRunFrame();
  EXPECT_EQ(g_shellState, kShellEvent);
  EXPECT_EQ(g_framesPlayed, 3);
  ShellRunFrame();
  EXPECT_EQ(g_shellState, kShellShop);
  EXPECT_EQ(g_framesPlayed, 3);
  g_playMode = 0;
}

TEST_F(ShellTest, NetworkGameHasNoCutScenes) {
  RegisterScripted({1, 2}, false);
  Start();
  ToMenu();
  Step("menu", 1);
  g_playMode = 2;
  Step("newgame", 1);
  EXPECT_EQ(g_shellState, kShellCutScene);
  EXPECT_EQ(g_currentScreen, nullptr);
  ShellRunFrame();  // state 4 without a screen builds the event
  EXPECT_EQ(g_shellState, kShellEvent);
  EXPECT_EQ(g_eventIndex, 1);
  Step("event1", 1);
  Step("shop", 1);
  EXPECT_EQ(g_currentScreen, nullptr);
  ShellRunFrame();
  EXPECT_EQ(g_eventIndex, 2);
  EXPECT_EQ(g_log.back(), "event2");
  g_playMode = 0;
}

TEST_F(ShellTest, EventSevenVariantByPlayMode) {
  RegisterScripted({7}, true);
  Start();
  ToMenu();
  g_trainingEvent = 7;
  g_playMode = 1;
  Step("menu", 1);
  Step("newgame", 1);
  EXPECT_EQ(g_log.back(), "event7split");
  Step("event7split", 1);
  Step("shop", 1);
  g_playMode = 0;
  Step("menu", 1);
  Step("newgame", 1);
  EXPECT_EQ(g_log.back(), "event7");
  // Without a split variant, event 7 is not available to two players on
  // one machine, whatever the single view offers.
  RegisterScripted({7}, false);
  g_playMode = 1;
  EXPECT_FALSE(IsEventAvailable(7));
  g_playMode = 0;
  EXPECT_TRUE(IsEventAvailable(7));
}

TEST_F(ShellTest, AfterEventTenTheShopLeadsToTheCeremony) {
  RegisterScripted({9, 10}, false);
  Start();
  ToMenu();
  Step("menu", 1);
  g_eventIndex = 9;
  Step("newgame", 2);  // a game saved after event 9
  Step("shop", 1);
  EXPECT_EQ(g_shellState, kShellCutScene);
  EXPECT_EQ(g_currentScreen, nullptr);  // none before event 10
  ShellRunFrame();
  Step("event10", 1);
  Step("shop", 1);
  EXPECT_EQ(g_shellState, kShellEnding);
  EXPECT_EQ(g_log.back(), "ceremony");
}

TEST_F(ShellTest, QuitDeletesTheMenuBeforeTheServices) {
  RegisterScripted({}, false);
  std::vector<std::string> order;
  RegisterShellService([&] { order.push_back(g_soundManager ? "made, sound up" : "made"); },
                       [&] { order.push_back(g_soundManager ? "gone" : "gone after sound"); });
  Start();
  ToMenu();
  g_servicesAliveAtQuit = false;
  EXPECT_EQ(Step("menu", -1), 1);
  EXPECT_TRUE(g_servicesAliveAtQuit);
  EXPECT_EQ(g_currentScreen, nullptr);
  EXPECT_EQ(g_timers, nullptr);
  EXPECT_EQ(g_soundManager, nullptr);
  EXPECT_EQ(g_netSession, nullptr);
  EXPECT_EQ(ShellRunFrame(), 1);  // nothing runs after the quit
  std::vector<std::string> want = {"made, sound up", "gone after sound"};
  EXPECT_EQ(order, want);
}

TEST_F(ShellTest, NoMainMenuEndsTheProgram) {
  ClearScreenRegistrations();
  Start();
  // Without cut-scenes the intro states pass at once; without a menu there
  // is nothing to show and the program ends.
  EXPECT_EQ(ShellRunFrame(), 0);
  EXPECT_EQ(ShellRunFrame(), 0);
  EXPECT_EQ(g_shellState, kShellMainMenu);
  EXPECT_EQ(ShellRunFrame(), 1);
}

TEST_F(ShellTest, ActivationReachesTheScreen) {
  struct ActScreen : GameScreen {
    ActScreen() : GameScreen(0) {}
    int Run() override { return 0; }
    void OnActivate() override { ++on; }
    void OnDeactivate() override { ++off; }
    int on = 0, off = 0;
  };
  ClearScreenRegistrations();
  ActScreen* screen = nullptr;
  RegisterVideoScreen([&](const VideoClip&) { return screen = new ActScreen(); });
  Start();
  ASSERT_NE(screen, nullptr);
  ShellActivate(false);
  ShellActivate(true);
  EXPECT_EQ(screen->off, 1);
  EXPECT_EQ(screen->on, 1);
}

TEST_F(ShellTest, ScreenshotsSkipNumbersThatExist) {
  RegisterScripted({}, false);
  Start();
  ToMenu();
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / "kel_sshot_test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "sshot1.bmp") << "older";
  std::ofstream(dir / "SSHOT3.BMP") << "older";
  String savedData = g_dataPath;
  g_dataPath = (dir.string() + "/").c_str();
  for (int shot = 0; shot < 2; ++shot) {
    KeyboardKeyDown(kVkF11, false);
    KeyboardKeyDown(kVkF12, false);
    ShellRunFrame();
    EXPECT_FALSE(IsKeyDown(kVkF11));  // taken once per press
  }
  EXPECT_TRUE(fs::exists(dir / "sshot2.bmp"));
  EXPECT_TRUE(fs::exists(dir / "sshot4.bmp"));
  EXPECT_EQ(fs::file_size(dir / "sshot1.bmp"), 5u);  // never replaced
  EXPECT_GT(fs::file_size(dir / "sshot2.bmp"), 640u * 480u);
  // One key alone takes no screenshot.
  KeyboardKeyDown(kVkF11, false);
  ShellRunFrame();
  KeyboardKeyUp(kVkF11);
  EXPECT_FALSE(fs::exists(dir / "sshot5.bmp"));
  g_dataPath = savedData;
  fs::remove_all(dir);
}

TEST_F(ShellTest, DisplayFailureEndsStartUpCleanly) {
  RegisterScripted({}, false);
  // A display that cannot be started (here: one is running already).
  ASSERT_TRUE(InitDirectDraw(nullptr));
  ClearRecordedMessageBoxes();
  EXPECT_FALSE(ShellStartup());
  ASSERT_FALSE(RecordedMessageBoxes().empty());
  EXPECT_EQ(RecordedMessageBoxes().back().text, "DirectDraw init failed.");
  EXPECT_TRUE(IsQuitRequested());
  EXPECT_EQ(g_timers, nullptr);
  EXPECT_EQ(g_currentScreen, nullptr);
  ClearQuitRequest();
  ReleaseDirectDraw();
  SetDisplayPresenter(nullptr);
}

}  // namespace
