// Soak: whole championships of four computer players, one after another in
// one process, through the real shell with the real cut-scenes, events, shop
// and closing ceremony, headless on the virtual clock. Only the main menu and
// the new-game screen are stand-ins (a person is needed to go through the
// real ones; their own tests and the end-to-end tests cover them): the menu
// starts the next championship or quits, the new game seats four computer
// players, other athletes each time, with a seed of their own.
//
// KEL_SOAK_RUNS sets the number of championships (default 3; as many as you
// like by hand). The sanitizers check every step; at the end the hall of
// fame must hold what the results say: the top five untouched (computer
// players never enter it) and each event's record the best winning result.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/debug.h"
#include "base/player_records.h"
#include "base/random.h"
#include "base/registry.h"
#include "base/string.h"
#include "events/climbing/climbing_event.h"
#include "events/computer_throw/computer_throw_event.h"
#include "events/doggie_jump/doggie_jump_event.h"
#include "events/javelin_catch/javelin_event.h"
#include "events/kickboxing/kickboxing_event.h"
#include "events/troubled_waters/swim_event.h"
#include "events/hippo_run/hippo_run_event.h"
#include "events/figure_skating/figure_skating_event.h"
#include "events/maze3d/maze3d_event.h"
#include "events/roller_derby/derby_event.h"
#include "frontend/front_end.h"
#include "frontend/hall_of_fame.h"
#include "graphics/surface.h"
#include "net/net_session.h"
#include "platform/audio.h"
#include "platform/keyboard.h"
#include "platform/message_box.h"
#include "screen/game_screen.h"
#include "shell/screen_factory.h"
#include "shell/shell.h"
#include "video/video_screen.h"

namespace {

int g_runs = 3;     // championships to play
int g_started = 0;  // championships begun

uint32_t SeedOf(int run) { return 1000u + 7919u * static_cast<uint32_t>(run); }

// Starts the next championship while some are left, else quits.
class StandInMainMenu : public GameScreen {
 public:
  StandInMainMenu() : GameScreen(0) {
    if (g_netSession) g_netSession->Close();
  }
  int Run() override { return g_started < g_runs ? 1 : -1; }
};

// Seats four computer players: four of the six athletes, picked by the seed.
class StandInNewGame : public GameScreen {
 public:
  StandInNewGame() : GameScreen(0) {
    const uint32_t seed = SeedOf(g_started);
    SeedRandom(seed);
    int characters[6] = {0, 1, 2, 3, 4, 5};
    for (int i = 5; i > 0; --i) std::swap(characters[i], characters[RandomInt(i + 1)]);
    for (int i = 0; i < kMaxPlayers; ++i) {
      PlayerRecord& p = g_players[i];
      p = PlayerRecord{};
      p.country = (i * 3 + static_cast<int>(seed)) % 14;
      p.human = 0;
      InitPlayerRecord(&p, characters[i]);
      String name;
      name.LoadString(10120 + characters[i]);
      SetPlayerName(&p, name.c_str());
      p.place = -1;
      p.result = 0;
    }
    g_playMode = 0;
    g_localPlayers[0] = 0;
    g_localPlayers[1] = 1;
    g_localPlayers[2] = static_cast<int32_t>(seed);
    if (g_netSession) {
      g_netSession->SelectProvider(0, 0);
      g_netSession->AddLocalPlayer(g_players[0].name, 0);
    }
    ++g_started;
  }
  int Run() override { return 1; }
};

// One key press: down in one frame, up in the next.
void Press(int frame, int at, int vk) {
  if (frame == at) KeyboardKeyDown(vk, false);
  if (frame == at + 1) KeyboardKeyUp(vk);
}

struct EventBest {
  bool any = false;
  int result = 0;
  std::string holder;
};

class Soak : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* n = std::getenv("KEL_SOAK_RUNS"); n && std::atoi(n) > 0) g_runs = std::atoi(n);
    dir_ = std::filesystem::path(KEL_BINARY_DIR) / "test-home" / "soak";
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "config");
    std::filesystem::create_directories(dir_ / "data");
    setenv("KELVANTHROP_CONFIG_DIR", (dir_ / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
    setenv("KELVANTHROP_DATA_ROOT", (std::string(KEL_BINARY_DIR) + "/gamedata").c_str(), 0);
    RegSetStorePath((dir_ / "config" / "settings.ini").string());
    // The championships run on a virtual clock far faster than real time; a
    // sound card (even SDL's dummy one under Xvfb) plays in real time, so
    // every wait for a voice to end would stretch over thousands of frames.
    // The silent mixer follows the virtual clock.
    AudioSetBackend(AudioBackend::kNull);
    oldClock_ = SetClock(&clock_);
    oldSink_ = SetDebugSink([this](const std::string& line) { debugLines_.push_back(line); });
    ClearRecordedMessageBoxes();
  }
  void TearDown() override {
    ShellShutdown();
    ClearScreenRegistrations();
    SetDebugSink(oldSink_);
    SetClock(oldClock_);
    RegSetStorePath("");
    AudioSetBackend(AudioBackend::kAuto);
    if (!HasFailure()) std::filesystem::remove_all(dir_);
  }

  std::filesystem::path dir_;
  VirtualClock clock_{1};
  Clock* oldClock_ = nullptr;
  DebugSink oldSink_;
  std::vector<std::string> debugLines_;
};

TEST_F(Soak, Championships) {
  const bool haveData = std::filesystem::exists(std::string(KEL_BINARY_DIR) + "/gamedata");
  ASSERT_TRUE(haveData) << "the generated data set is missing: build the gamedata target";

  // A top five from earlier games, which computer players must leave alone.
  const std::vector<std::pair<std::string, int>> earlier = {{"ANNA", 57}, {"BORIS", 31}, {"CLEO", 12}};
  for (size_t i = 0; i < earlier.size(); ++i) {
    RegWriteString(kRegHallOfFame, ("PlayerName" + std::to_string(i + 1)).c_str(), earlier[i].first.c_str());
    RegWriteInt(kRegHallOfFame, ("Result" + std::to_string(i + 1)).c_str(), earlier[i].second);
  }

  ClearScreenRegistrations();
  RegisterVideoScreens();
  RegisterFrontEndScreens();
  RegisterComputerThrowEvent();
  RegisterDoggieJumpEvent();
  RegisterTroubledWatersEvent();
  RegisterHippoRunEvent();
  RegisterFigureSkatingEvent();
  RegisterClimbingEvent();
  RegisterMaze3DEvent();
  RegisterKickboxingEvent();
  RegisterJavelinCatchEvent();
  RegisterRollerDerbyEvent();
  RegisterMainMenuScreen([] { return new StandInMainMenu(); });
  RegisterNewGameScreen([] { return new StandInNewGame(); });
  RegisterTrainingChoice([] { return 0; });
  g_started = 0;

  std::vector<int> available;
  for (int n = 1; n <= 10; ++n)
    if (IsEventAvailable(n)) available.push_back(n);
  ASSERT_FALSE(available.empty()) << "no event has a screen yet";

  ASSERT_TRUE(ShellStartup());
  std::map<int, EventBest> best;  // by event
  std::set<std::string> names;
  int ceremonies = 0, eventsPlayed = 0, shopVisits = 0;
  int32_t lastState = g_shellState;
  const int frameLimit = 400000 * g_runs;
  int frame = 0, quit = 0, stateFrame = 0;
  for (; frame < frameLimit && !quit; ++frame) {
    // A person at the keyboard in the shop and the ceremony (and one who
    // skips the cut-scenes): Up, then Return, every few frames. The shop
    // opens on its first item; Up selects the exit.
    if (g_shellState == kShellShop || g_shellState == kShellEnding || g_shellState == kShellCutScene ||
        g_shellState == kShellIntro1 || g_shellState == kShellIntro2) {
      const int f = (frame - stateFrame) % 12;
      Press(f, 2, kVkUp);
      Press(f, 7, kVkReturn);
    }
    const uint32_t before = TimeGetTime();
    quit = ShellRunFrame();
    // As the program's own loop does: a screen that only watches the clock
    // still sees time pass.
    if (TimeGetTime() == before) clock_.Advance(10);
    if (quit) break;

    if (g_shellState != lastState) {
      stateFrame = frame + 1;
      if (lastState == kShellEvent && g_shellState == kShellShop) {
        // The event is over and its screen gone: places and results stand
        // in the records, and the shop has awarded the points.
        ++eventsPlayed;
        ++shopVisits;
        std::set<int> places;
        for (const PlayerRecord& p : g_players) {
          EXPECT_GE(p.place, 0) << "event " << g_eventIndex << " left a player without a place";
          EXPECT_LE(p.place, 3);
          EXPECT_GE(p.money, 0);
          // PLATFORM KICKBOXING's points fall to -400 for a fall off the platform.
          EXPECT_GE(p.result, g_eventIndex == 8 ? -400 : 0);
          names.insert(p.name);
        }
        const int winner = EventWinner(g_players);
        ASSERT_GE(winner, 0);
        EventBest& b = best[g_eventIndex];
        const int r = g_players[winner].result;
        // A timed event nobody finished sets no record.
        const bool unfinished = !EventHigherIsBetter(g_eventIndex) && r >= kUnfinishedSeconds;
        const bool better =
            !unfinished && (!b.any ? r > 0 : (EventHigherIsBetter(g_eventIndex) ? r > b.result : r < b.result));
        if (better) b = {true, r, g_players[winner].name};
      }
      if (g_shellState == kShellEnding) {
        ++ceremonies;
        int total = 0;
        for (const PlayerRecord& p : g_players) total += p.points;
        // 10 + 6 + 3 + 1 an event, less when places are shared.
        EXPECT_GT(total, 0);
        EXPECT_LE(total, 20 * static_cast<int>(available.size()));
      }
      lastState = g_shellState;
    }
  }

  EXPECT_TRUE(quit) << "the championships did not end within " << frameLimit
                    << " frames (state " << g_shellState << ")";
  EXPECT_EQ(g_started, g_runs);
  EXPECT_EQ(ceremonies, g_runs) << "every championship ends with its ceremony";
  EXPECT_EQ(eventsPlayed, g_runs * static_cast<int>(available.size()));
  EXPECT_EQ(shopVisits, eventsPlayed);
  EXPECT_TRUE(RecordedMessageBoxes().empty())
      << "a message box came up: " << RecordedMessageBoxes().front().text;

  // The hall of fame as the store holds it after the program's shutdown.
  for (size_t i = 0; i < kTopFiveSize; ++i) {
    char name[kHallNameSize] = {};
    const std::string nameKey = "PlayerName" + std::to_string(i + 1);
    const std::string resultKey = "Result" + std::to_string(i + 1);
    if (i < earlier.size()) {
      ASSERT_TRUE(RegReadString(kRegHallOfFame, nameKey.c_str(), name, sizeof name));
      EXPECT_EQ(std::string(name), earlier[i].first);
      EXPECT_EQ(RegReadInt(kRegHallOfFame, resultKey.c_str(), -1), earlier[i].second);
    } else {
      EXPECT_FALSE(RegHasValue(kRegHallOfFame, nameKey.c_str())) << "a computer player entered the top five";
    }
  }
  for (int n = 1; n <= 10; ++n) {
    const std::string value = "Rec" + std::to_string(n), holder = value + "Name";
    auto it = best.find(n);
    if (it == best.end() || !it->second.any) {
      EXPECT_FALSE(RegHasValue(kRegHallOfFame, value.c_str())) << "event " << n << " has a record nobody set";
      continue;
    }
    EXPECT_EQ(RegReadInt(kRegHallOfFame, value.c_str(), -1), it->second.result) << "record of event " << n;
    char name[32] = {};
    ASSERT_TRUE(RegReadString(kRegHallOfFame, holder.c_str(), name, sizeof name));
    EXPECT_EQ(std::string(name), it->second.holder) << "holder of event " << n;
    EXPECT_TRUE(names.count(name)) << "the record holder " << name << " never played";
  }

  // No error on the way: the debug output names every failure it meets.
  for (const std::string& line : debugLines_) {
    std::string lower = line;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(lower.find("fail") == std::string::npos && lower.find("cannot") == std::string::npos &&
                lower.find("error") == std::string::npos)
        << "debug output: " << line;
  }

  std::printf("soak: %d championships, %d events, %d frames, %u virtual ms, %zu debug lines\n", g_runs,
              eventsPlayed, frame, TimeGetTime(), debugLines_.size());
}

}  // namespace
