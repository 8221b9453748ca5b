// Network championships between real processes on 127.0.0.1: two and four
// copies of the game, headless, each driven by a script that plays a person
// at that machine (keys on the menus, names typed, the athlete's actions in
// the event), host and join from the main menu, meet in the lobby, play
// COMPUTER THROW in lock-step and reach the shop with the same four player
// records. The same through a relay that loses and delays datagrams, inside
// a network namespace with netem where the machine allows it, and with a
// machine killed in the middle of the event.
//
// Only loopback addresses are used; every wait is bounded.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "base/player_records.h"
#include "base/registry.h"
#include "graphics/display.h"
#include "net/net_session.h"
#include "platform/cursor_set.h"
#include "platform/keyboard.h"
#include "platform/presenter.h"
#include "platform/window_events.h"
#include "screen/game_screen.h"
#include "screen/game_screen_services.h"
#include "shell/screen_factory.h"
#include "shell/shell.h"
#include "tests/lobby/udp_proxy.h"
#include "tests/net/enet_test_util.h"

#if __has_include("frontend/new_game_screen.h") && __has_include("frontend/main_menu_screen.h") && \
    __has_include("frontend/shop_screen.h") && __has_include("events/computer_throw/computer_throw_event.h")
#define KEL_LOBBY_GAME 1
#include "events/computer_throw/computer_throw_event.h"
#include "frontend/front_end.h"
#include "frontend/main_menu_screen.h"
#include "frontend/new_game_screen.h"
#include "frontend/save_game.h"
#include "frontend/shop_screen.h"
#include "screen/options_menu.h"
#else
#define KEL_LOBBY_GAME 0
#endif

extern char** environ;

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// The machine: this test program run again as one copy of the game.

std::string Env(const char* name, const char* fallback = "") {
  const char* v = std::getenv(name);
  return v ? v : fallback;
}

std::string RecordsHex() {
  std::string out;
  char b[3];
  for (const PlayerRecord& p : g_players) {
    uint8_t raw[kPlayerRecordSize];
    EncodePlayerRecord(p, raw);
    for (uint8_t c : raw) {
      std::snprintf(b, sizeof b, "%02x", c);
      out += b;
    }
  }
  return out;
}

#if KEL_LOBBY_GAME

// The athlete's actions in the event: push (second action) for a while,
// then hold the first action to aim and let go to throw; over and over.
class ThrowScript : public ScriptedInput {
 public:
  bool ActionMap(int which, unsigned char actions[10]) override {
    std::memset(actions, 0, 10);
    if (which != 0) return true;
    int f = frame_++ % 90;
    if (f < 40) {
      if (f % 2 == 0) actions[5] = 0x81;
    } else if (f < 60) {
      actions[4] = static_cast<unsigned char>(0x80 | (f == 40 ? 1 : 0));
    }
    return true;
  }
  bool KeyPress(char) override { return false; }

 private:
  int frame_ = 0;
};

class Driver {
 public:
  Driver(bool host, int index, int players, const std::string& out)
      : host_(host), index_(index), players_(players), out_(out) {
    loadSlot_ = std::atoi(Env("KEL_LOBBY_LOAD", "0").c_str());
    events_ = std::max(1, std::atoi(Env("KEL_LOBBY_EVENTS", "1").c_str()));
    leaveByMenu_ = Env("KEL_LOBBY_LEAVE") == "menu";
    nameLate_ = Env("KEL_LOBBY_NAME_LATE") == "1";
    removeSilent_ = Env("KEL_LOBBY_REMOVE_SILENT") == "1";
    name_ = std::string("PLAYER") + static_cast<char>('A' + index);
    character_ = (index * 2 + 1) % 6;  // 1, 3, 5, 1 ... : the fourth is refused and moves on
  }

  void Report(const std::string& line) {
    std::ofstream f(out_, std::ios::app);
    f << line << " T " << std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now() - start_).count() << "\n";
    f.flush();
    std::printf("[machine %d] %s\n", index_, line.c_str());
    std::fflush(stdout);
  }

  // Before each frame: the keys a person would press now.
  void Step() {
    for (int vk : toRelease_) KeyboardKeyUp(vk);
    toRelease_.clear();
    if (g_shellState != lastState_) {
      if (lastState_ == kShellEvent) ReportSyncs();
      if (lastState_ == kShellShop) shopReported_ = false;  // the next shop is reported again
      lastState_ = g_shellState;
      Report("STATE " + std::to_string(g_shellState) + " MODE " + std::to_string(g_playMode) + " SLOT " +
             std::to_string(g_localPlayers[0]));
      if (g_shellState == kShellEvent) {
        eventFrames_ = 0;
        syncs_.clear();
        ShellSetScriptedInput(&throwScript_);
      } else {
        ShellSetScriptedInput(nullptr);
      }
      if (left_ && g_shellState == kShellMainMenu) Report("LEFT");
    }
    if (left_) return;  // out of the game: this person does nothing more
    auto now = std::chrono::steady_clock::now();
    if (now < next_) return;
    if (g_shellState == kShellEvent && leaveByMenu_ && eventFrames_ >= 300 && g_currentScreen) {
      LeaveByMenu(g_currentScreen->GetOptionsMenu());
    } else if (g_shellState == kShellShop && shopReported_ && shops_ < events_ && g_currentScreen) {
      LeaveShop(static_cast<ShopScreen*>(g_currentScreen));
    } else if (g_shellState == kShellMainMenu && g_currentScreen) {
      MainMenu(static_cast<MainMenuScreen*>(g_currentScreen));
    } else if (g_shellState == kShellNewGame && g_currentScreen) {
      NewGame(static_cast<NewGameScreen*>(g_currentScreen));
    }
  }

  // After each frame.
  void Frame() {
    if (g_shellState == kShellEvent) {
      ++eventFrames_;
      if (eventFrames_ == 300) Report("MIDEVENT");
      if (g_currentScreen && g_playMode == 2) syncs_[g_currentScreen->GetSyncPoint()] = g_currentScreen->GetSyncCheck();
    }
    auto now = std::chrono::steady_clock::now();
    if (now - lastTick_ > std::chrono::seconds(3)) {
      lastTick_ = now;
      Report("TICK state " + std::to_string(g_shellState) + " frames " + std::to_string(eventFrames_) +
             " sync " + std::to_string(g_currentScreen ? g_currentScreen->GetSyncPoint() : -1) +
             " players " + std::to_string(g_netSession ? g_netSession->PlayerCount() : -1) + " mode " +
             std::to_string(g_playMode) +
             (g_shellState == kShellNewGame && g_currentScreen
                  ? " screen " + std::to_string(static_cast<NewGameScreen*>(g_currentScreen)->State())
                  : std::string()));
    }
    if (g_shellState == kShellShop && !shopReported_) {
      shopReported_ = true;
      ++shops_;
      Report((shops_ == 1 ? std::string("SHOP") : "SHOP" + std::to_string(shops_)) + " MODE " +
             std::to_string(g_playMode) + " " + RecordsHex());
    }
  }
  bool AtShop() const { return shopReported_; }

 private:
  // The check values the event sent, every 20th sync point and the last:
  // "SYNCS<n> point:check ...", n counting the events played.
  void ReportSyncs() {
    ++eventsPlayed_;
    std::string line = "SYNCS" + std::to_string(eventsPlayed_);
    for (const auto& [point, check] : syncs_)
      if (point % 20 == 0 || point == syncs_.rbegin()->first)
        line += " " + std::to_string(point) + ":" + std::to_string(check);
    Report(line);
  }

  // Escape opens the options menu; up from its first item wraps to the
  // last, leaving the game; Enter, then yes (right) and Enter again.
  void LeaveByMenu(OptionsMenu* menu) {
    if (!menu) return;
    if (!menu->IsVisible()) {
      Tap(kVkEscape, 300);
    } else if (menu->GetPage() == OptionsMenu::kPageConfirmLeave) {
      if (!confirmed_) {
        confirmed_ = true;
        Tap(kVkRight, 300);
      } else {
        left_ = true;
        Report("LEAVING");
        Tap(kVkReturn, 300);
      }
    } else if (menu->GetPage() == OptionsMenu::kPageItems && menu->GetSelected() != OptionsMenu::kLeave) {
      Tap(kVkUp, 200);
    } else {
      confirmed_ = false;
      Tap(kVkReturn, 300);
    }
  }

  // Past the ceremony and the standings with Enter, then the shop's exit.
  void LeaveShop(ShopScreen* shop) {
    if (shop->State() == 7 && shop->Selected() != 6) {
      Tap(kVkUp, 200);
    } else {
      Tap(kVkReturn, 400);
    }
  }

  void Tap(int vk, int waitMs) {
    KeyboardKeyDown(vk, false);
    toRelease_.push_back(vk);
    next_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  }
  void Wait(int ms) { next_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms); }

  void MainMenu(MainMenuScreen* menu) {
    if (menu->PendingState() != 0) return;
    const MenuRows& rows = menu->Rows();
    int target = -1;
    switch (menu->CurrentMenu()) {
      case kMenuMain: target = 1; break;
      case kMenuPlayerCount: target = 2; break;
      case kMenuConnections:
        for (int r = 0; r < kMenuRows; ++r)
          if (rows.items[r].selectable && rows.items[r].label[0] && rows.items[r].index == 0) target = r;
        break;
      case kMenuCreateConnect: target = host_ ? 1 : 2; break;
      case kMenuSessions:
        for (int r = 0; r < kMenuRows && target < 0; ++r)
          if (rows.items[r].selectable && rows.items[r].label[0] && rows.items[r].index >= 0) target = r;
        if (target < 0) {
          // The host has not opened its session yet: back, and look again.
          Tap(kVkEscape, 300);
          return;
        }
        break;
      default:
        Tap(kVkEscape, 300);
        return;
    }
    if (target < 0) return;
    if (menu->SelectedRow() != target) {
      Tap(kVkDown, 80);
    } else {
      Tap(kVkReturn, 700);
    }
  }

  void NewGame(NewGameScreen* screen) {
    switch (screen->State()) {
      case 0:
        Tap(kVkReturn, 100);
        break;
      case 1:
        if (loadSlot_ > 0 && !screen->Loaded()) {
          // "LOAD GAME n" typed on the command line (F12 opens it).
          if (!screen->IsChatOpen()) {
            Tap(kVkF12, 200);
          } else {
            for (char c : "LOAD GAME " + std::to_string(loadSlot_)) KeyboardTypedChar(c);
            KeyboardTypedChar(13);
            Wait(400);
          }
          break;
        }
        if (nameLate_ && !NameTimeCome()) {
          Wait(100);
          break;
        }
        if (screen->Entry() != name_) {
          if (!screen->Entry().empty()) {
            for (size_t i = 0; i < screen->Entry().size(); ++i) KeyboardTypedChar(8);
          }
          for (char c : name_) KeyboardTypedChar(c);
          Wait(150);
        } else {
          Tap(kVkReturn, 300);
        }
        break;
      case 2:
        for (int n = 0; n < 6 && Taken(character_); ++n) character_ = (character_ + 1) % 6;
        if (screen->Choice() != character_) {
          Tap(kVkRight, 150);
        } else {
          Tap(kVkControl, 400);
          // A refused claim is not answered: try the next athlete later.
          if (++claims_ % 4 == 0) character_ = (character_ + 1) % 6;
        }
        break;
      case 3:
        Tap(kVkControl, 300);
        break;
      case 4:
        if (host_) {
          int ready = 0;
          for (int s = 0; s < kMaxPlayers; ++s)
            if (g_netSession && g_netSession->GetSlotState(s) != kSlotFree && g_players[s].country >= 0) ++ready;
          if (removeSilent_ && RemoveSilentMachine()) break;
          if (ready >= players_) Tap(kVkControl, 1000);
          else Wait(100);
        }
        break;
      default:
        break;
    }
  }

  // A player who types his name only once another machine's player has
  // joined, and a while after (the host's saved game has reached this
  // machine by then).
  bool NameTimeCome() {
    if (!g_netSession || g_netSession->PlayerCount() < 2) return false;
    auto now = std::chrono::steady_clock::now();
    if (othersJoined_ == std::chrono::steady_clock::time_point{}) othersJoined_ = now;
    if (now - othersJoined_ < std::chrono::seconds(3)) return false;
    if (!lateReported_) {
      lateReported_ = true;
      Report("NAME LATE " + std::to_string(g_netSession->PlayerCount()));
    }
    return true;
  }

  // The host's person takes out a machine whose players have been "joining"
  // for a few seconds: the number of the first such player's box.
  bool RemoveSilentMachine() {
    int joining = -1;
    for (int s = 0; s < kMaxPlayers && joining < 0; ++s)
      if (g_netSession && g_netSession->GetSlotState(s) == kSlotRemote && g_players[s].country < 0) joining = s;
    auto now = std::chrono::steady_clock::now();
    if (joining < 0) {
      joiningSince_ = {};
      return false;
    }
    if (joiningSince_ == std::chrono::steady_clock::time_point{}) joiningSince_ = now;
    if (now - joiningSince_ < std::chrono::seconds(3)) return false;
    joiningSince_ = {};
    Report("REMOVE " + std::to_string(joining));
    KeyboardTypedChar(static_cast<char>('1' + joining));
    Wait(500);
    return true;
  }

  // Another record holds the athlete (the carousel turns past it).
  bool Taken(int character) const {
    for (int s = 0; s < kMaxPlayers; ++s)
      if (s != g_localPlayers[0] && g_players[s].character == character && g_players[s].country != -1 &&
          g_players[s].country != -3)
        return true;
    return false;
  }

  bool host_;
  int index_;
  int players_;
  std::string out_;
  std::string name_;
  int character_;
  int claims_ = 0;
  int loadSlot_ = 0;
  int32_t lastState_ = -999;
  int eventFrames_ = 0;
  bool shopReported_ = false;
  int shops_ = 0;
  int events_ = 1;
  int eventsPlayed_ = 0;
  bool leaveByMenu_ = false;
  bool confirmed_ = false;
  bool left_ = false;
  bool nameLate_ = false;
  bool lateReported_ = false;
  bool removeSilent_ = false;
  std::chrono::steady_clock::time_point othersJoined_{};
  std::chrono::steady_clock::time_point joiningSince_{};
  std::map<int32_t, int32_t> syncs_;
  std::vector<int> toRelease_;
  std::chrono::steady_clock::time_point next_{};
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point lastTick_ = start_;
  ThrowScript throwScript_;
};

// A machine that joins with two players and then only keeps its link alive:
// no lobby record for either, ever.
void RunSilentMachine(const std::string& out) {
  auto report = [&](const std::string& line) { std::ofstream(out, std::ios::app) << line << "\n"; };
  NetSession session;
  if (session.SelectProvider(1, 0) != kNetOk) return report("NO PROVIDER");
  const std::string quit = out + ".quit";
  bool joined = false;
  while (!joined && !fs::exists(quit)) {
    joined = session.EnumSessions() > 0 && session.JoinSession(0) == kNetOk;
  }
  if (!joined) return;
  const int a = session.AddLocalPlayer("MUTE");
  const int b = session.AddLocalPlayer("MUTE2");
  report("SILENT " + std::to_string(a) + " " + std::to_string(b));
  bool told = false;
  while (!fs::exists(quit)) {
    session.Pump();
    session.WaitForTraffic(20);
    if (session.WasRemoved() && !told) {
      told = true;
      report("REMOVED");
    }
  }
}

void RegisterGameScreens() {
  RegisterFrontEndScreens();
  RegisterComputerThrowEvent();
  // A championship of two events: COMPUTER THROW a second time after the
  // shop, so that the machines meet again in an event's wait.
  if (std::atoi(Env("KEL_LOBBY_EVENTS", "1").c_str()) >= 2)
    RegisterEventScreen(2, [] { return static_cast<GameScreen*>(new ComputerThrowEvent()); });
}

#endif  // KEL_LOBBY_GAME

TEST(LobbyProcessChild, Machine) {
  if (Env("KEL_LOBBY_ROLE").empty()) GTEST_SKIP() << "runs only as a machine of the LobbyProcess tests";
#if !KEL_LOBBY_GAME
  GTEST_SKIP() << "the front end or COMPUTER THROW is not built yet";
#else
  alarm(static_cast<unsigned>(std::atoi(Env("KEL_LOBBY_LIMIT_S", "420").c_str())));
  const bool host = Env("KEL_LOBBY_ROLE") == "host";
  const int index = std::atoi(Env("KEL_LOBBY_INDEX", "0").c_str());
  const int players = std::atoi(Env("KEL_LOBBY_PLAYERS", "2").c_str());
  const std::string out = Env("KEL_LOBBY_OUT");
  // The network settings of this machine, in its own settings store.
  RegWriteInt(kRegConfig, "NETPORT", std::atoi(Env("KEL_LOBBY_PORT").c_str()));
  RegWriteString(kRegConfig, "NETBIND", "127.0.0.1");
  // Sessions are found at the configured host address, or (KEL_LOBBY_FIND
  // "broadcast") by a search on the loopback network.
  const bool broadcast = Env("KEL_LOBBY_FIND") == "broadcast";
  RegWriteString(kRegConfig, "NETBROADCAST", broadcast ? "127.255.255.255" : "");
  RegWriteString(kRegConfig, "NETHOST", broadcast ? "" : "127.0.0.1");

  if (Env("KEL_LOBBY_ROLE") == "silent") {
    RunSilentMachine(out);
    std::fflush(stdout);
    std::_Exit(0);
  }
  ClearScreenRegistrations();
  RegisterGameScreens();
  ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0);
  std::unique_ptr<Presenter> presenter = CreatePresenter();
  ASSERT_TRUE(presenter);
  SetDisplayPresenter(presenter.get());
  ResetKeyboardState();
  g_cursorSet = new CursorSet;
  g_appActive = 1;
  Driver driver(host, index, players, out);
  ASSERT_TRUE(ShellStartup());
  g_gameSpeed = 5;  // unpaced: the network sets the pace
  driver.Report("UP");
  // Run until the parent says the test is over (or the alarm ends it).
  const std::string quit = out + ".quit";
  while (!fs::exists(quit)) {
    driver.Step();
    auto before = std::chrono::steady_clock::now();
    int32_t stateBefore = g_shellState;
    if (ShellRunFrame()) break;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - before).count();
    if (ms > 400) driver.Report("LONGFRAME " + std::to_string(ms) + " in state " + std::to_string(stateBefore));
    driver.Frame();
    // Menus and the shop only watch the clock between their frames: let the
    // other machines have the processor meanwhile.
    if (g_shellState != kShellEvent) std::this_thread::sleep_for(std::chrono::milliseconds(driver.AtShop() ? 5 : 1));
  }
  driver.Report("BYE");
  // Straight out: the parent has what it needs, and the others may still be
  // talking to this machine.
  std::fflush(stdout);
  std::_Exit(0);
#endif
}

// ---------------------------------------------------------------------------
// The parent: starts the machines and reads what they report.

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

struct Machine {
  pid_t pid = -1;
  std::string dir, out, log;
  bool ended = false;
  int status = 0;
};

struct Game {
  std::string dir;
  std::vector<Machine> machines;

  explicit Game(const std::string& name) {
    dir = std::string(KEL_BINARY_DIR) + "/test-home/lobby-" + name + "-" + std::to_string(getpid());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~Game() {
    for (auto& m : machines) Kill(m);
    if (!::testing::Test::HasFailure() && std::getenv("KEL_LOBBY_KEEP") == nullptr) fs::remove_all(dir);
  }

  bool broadcast = false;  // clients search the loopback network instead of asking the host

  // Extra environment entries of the machines spawned next ("NAME=value").
  std::vector<std::string> extraEnv;

  void Spawn(bool host, int index, int players, int port, int loadSlot = 0) {
    Machine m;
    m.dir = dir + "/m" + std::to_string(index);
    for (const char* sub : {"/config", "/data", "/run"}) fs::create_directories(m.dir + sub);
    m.out = m.dir + "/report.txt";
    m.log = m.dir + "/log.txt";
    std::map<std::string, std::string> env;
    for (char** e = environ; *e; ++e) {
      std::string kv(*e);
      size_t eq = kv.find('=');
      if (eq != std::string::npos) env[kv.substr(0, eq)] = kv.substr(eq + 1);
    }
    env["KELVANTHROP_CONFIG_DIR"] = m.dir + "/config";
    env["XDG_CONFIG_HOME"] = m.dir + "/config";
    env["XDG_DATA_HOME"] = m.dir + "/data";
    env["XDG_RUNTIME_DIR"] = m.dir + "/run";
    env["KELVANTHROP_HEADLESS"] = "1";
    env["SDL_VIDEODRIVER"] = "dummy";
    env["SDL_AUDIODRIVER"] = "dummy";
    env["KELVANTHROP_DATA_ROOT"] = std::string(KEL_BINARY_DIR) + "/gamedata";
    env["ASAN_OPTIONS"] = "detect_leaks=0";
    env["KEL_LOBBY_ROLE"] = host ? "host" : "client";
    env["KEL_LOBBY_INDEX"] = std::to_string(index);
    env["KEL_LOBBY_PLAYERS"] = std::to_string(players);
    env["KEL_LOBBY_PORT"] = std::to_string(port);
    env["KEL_LOBBY_OUT"] = m.out;
    if (loadSlot > 0) env["KEL_LOBBY_LOAD"] = std::to_string(loadSlot);
    if (broadcast) env["KEL_LOBBY_FIND"] = "broadcast";
    for (const std::string& kv : extraEnv) {
      size_t eq = kv.find('=');
      if (eq != std::string::npos) env[kv.substr(0, eq)] = kv.substr(eq + 1);
    }
    std::vector<std::string> strings;
    for (auto& [k, v] : env) strings.push_back(k + "=" + v);
    std::vector<char*> envp;
    for (auto& s : strings) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string self = fs::read_symlink("/proc/self/exe").string();
    std::string filter = "--gtest_filter=LobbyProcessChild.Machine";
    std::vector<char*> argv = {self.data(), filter.data(), nullptr};
    m.pid = fork();
    if (m.pid == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives the test
      int fd = open(m.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (fd >= 0) {
        dup2(fd, 1);
        dup2(fd, 2);
      }
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
    }
    machines.push_back(m);
  }

  static void Kill(Machine& m) {
    if (m.ended || m.pid <= 0) return;
    kill(m.pid, SIGKILL);
    waitpid(m.pid, &m.status, 0);
    m.ended = true;
  }
  static bool Reap(Machine& m) {
    if (!m.ended && m.pid > 0 && waitpid(m.pid, &m.status, WNOHANG) == m.pid) m.ended = true;
    return m.ended;
  }
  // The slot of the machine's player, as it reported it when the event began.
  static int SlotOf(const Machine& m) {
    std::string line = Line(m, "STATE 2 ");
    size_t at = line.find(" SLOT ");
    return at == std::string::npos ? -1 : std::atoi(line.c_str() + at + 6);
  }
  static std::string Line(const Machine& m, const std::string& head) {
    std::istringstream in(ReadFile(m.out));
    std::string line;
    while (std::getline(in, line))
      if (line.rfind(head, 0) == 0) return line;
    return "";
  }

  // Waits until every machine of `which` has reported a line starting with
  // `head`; false when one ended first or the time ran out.
  bool WaitFor(const std::vector<int>& which, const std::string& head, int seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
      bool all = true;
      for (int i : which) {
        if (Line(machines[i], head).empty()) {
          all = false;
          if (Reap(machines[i])) return false;
        }
      }
      if (all) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  void Quit() {
    for (auto& m : machines) std::ofstream(m.out + ".quit") << "\n";
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (auto& m : machines) {
      while (!Reap(m) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      Kill(m);
    }
  }
  std::string Logs() const {
    std::string all;
    for (size_t i = 0; i < machines.size(); ++i) {
      std::string log = ReadFile(machines[i].log);
      if (log.size() > 6000) log = "..." + log.substr(log.size() - 6000);
      all += "---- machine " + std::to_string(i) + " report:\n" + ReadFile(machines[i].out) +
             "---- log:\n" + log + "\n";
    }
    return all;
  }
};

// Copies of the game on one machine share its processors, and a machine
// that gets none for seconds looks gone to the others: at most two such
// tests at a time on this computer, from whichever build tree they run.
class ProcessTestLock {
 public:
  ProcessTestLock() {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(360);
    for (;;) {
      for (int slot = 0; slot < 2; ++slot) {
        std::string path = (fs::temp_directory_path() / ("kelvanthrop-lobby-processes-" + std::to_string(getuid()) +
                                                         "-" + std::to_string(slot) + ".lock"))
                               .string();
        int fd = open(path.c_str(), O_RDWR | O_CREAT, 0600);
        if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0) {
          fd_ = fd;
          return;
        }
        if (fd >= 0) close(fd);
      }
      if (std::chrono::steady_clock::now() >= end) return;  // run anyway
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
  }
  ~ProcessTestLock() {
    if (fd_ >= 0) close(fd_);
  }

 private:
  int fd_ = -1;
};

std::vector<int> Range(int n) {
  std::vector<int> v;
  for (int i = 0; i < n; ++i) v.push_back(i);
  return v;
}

std::vector<PlayerRecord> RecordsOf(const std::string& shopLine) {
  std::vector<PlayerRecord> out;
  std::istringstream words(shopLine);
  std::string shop, mode, number, hex;
  words >> shop >> mode >> number >> hex;
  if (hex.size() != 4 * kPlayerRecordSize * 2) return out;
  for (int p = 0; p < 4; ++p) {
    uint8_t raw[kPlayerRecordSize];
    for (int i = 0; i < kPlayerRecordSize; ++i)
      raw[i] = static_cast<uint8_t>(std::stoi(hex.substr((p * kPlayerRecordSize + i) * 2, 2), nullptr, 16));
    PlayerRecord r;
    DecodePlayerRecord(raw, &r);
    out.push_back(r);
  }
  return out;
}

bool GameBuilt() {
#if KEL_LOBBY_GAME
  return true;
#else
  return false;
#endif
}

// Host and clients meet, play the event and reach the shop; every machine
// holds the same records there, each person's record at his machine's slot.
void PlayThroughLobby(int players, int lossPercent, int maxDelayMs, bool broadcast = false) {
  if (!GameBuilt()) GTEST_SKIP() << "the front end or COMPUTER THROW is not built yet";
  ProcessTestLock lock;
  int hostPort = FreePortPair();
  ASSERT_NE(hostPort, 0);
  std::unique_ptr<UdpFaultProxy> proxy;
  int clientPort = hostPort;
  if (lossPercent > 0 || maxDelayMs > 0) {
    clientPort = FreePortPair();
    ASSERT_NE(clientPort, 0);
    proxy = std::make_unique<UdpFaultProxy>(clientPort, hostPort,
                                            UdpFaultProxy::Faults{lossPercent, maxDelayMs}, 1234);
    ASSERT_TRUE(proxy->Start());
  }
  Game game("play" + std::to_string(players) + "-" + std::to_string(lossPercent));
  game.broadcast = broadcast;
  game.Spawn(true, 0, players, hostPort);
  ASSERT_TRUE(game.WaitFor({0}, "UP", 30)) << game.Logs();
  for (int i = 1; i < players; ++i) game.Spawn(false, i, players, clientPort);
  ASSERT_TRUE(game.WaitFor(Range(players), "STATE 2", 120)) << game.Logs();
  ASSERT_TRUE(game.WaitFor(Range(players), "SHOP", 300)) << game.Logs();
  std::vector<std::vector<PlayerRecord>> records;
  for (int i = 0; i < players; ++i) {
    std::string line = Game::Line(game.machines[i], "SHOP");
    EXPECT_NE(line.find("MODE 2"), std::string::npos) << "machine " << i << ": " << line;
    records.push_back(RecordsOf(line));
    ASSERT_EQ(records.back().size(), 4u) << line;
  }
  for (int i = 1; i < players; ++i)
    EXPECT_EQ(0, std::memcmp(records[0].data(), records[i].data(), 4 * sizeof(PlayerRecord)))
        << "machine " << i << " holds other records than the host";
  // Each person's record at the slot his machine was given, played by him.
  bool slotTaken[4] = {};
  for (int i = 0; i < players; ++i) {
    int slot = Game::SlotOf(game.machines[i]);
    ASSERT_TRUE(slot >= 0 && slot < 4 && !slotTaken[slot]) << "machine " << i << " slot " << slot;
    slotTaken[slot] = true;
    EXPECT_EQ(records[0][slot].human, 1) << "slot " << slot;
    EXPECT_EQ(std::string(records[0][slot].name), std::string("PLAYER") + static_cast<char>('A' + i));
  }
  int places = 0;
  for (int s = 0; s < 4; ++s) places += records[0][s].place >= 0 && records[0][s].place <= 3;
  EXPECT_EQ(places, 4) << "the event gave every athlete a place";
  game.Quit();
  if (proxy) {
    proxy->Stop();
    if (lossPercent > 0) {
      EXPECT_GT(proxy->lost(), 0);
    }
  }
}

// The client finds the session by a search on the (loopback) network.
TEST(LobbyProcess, TwoMachinesPlayThroughTheLobbyToTheShop) { PlayThroughLobby(2, 0, 0, true); }

// Loss and delay between the processes, from a relay in front of the host.
TEST(LobbyProcess, LossAndDelayThroughAFaultyRelay) { PlayThroughLobby(2, 1, 8); }

// Four machines, also through the relay: the same records everywhere.
TEST(LobbyProcess, FourMachinesThroughAFaultyRelay) { PlayThroughLobby(4, 1, 8); }

// The same on a loopback with netem in a network namespace of its own; the
// whole test runs again inside it.
TEST(LobbyProcess, LossAndDelayWithNetem) {
  if (!GameBuilt()) GTEST_SKIP() << "the front end or COMPUTER THROW is not built yet";
  if (!Env("KEL_LOBBY_IN_NETNS").empty()) {
    PlayThroughLobby(2, 0, 0);  // the namespace's loopback loses and delays
    return;
  }
  std::string probe =
      "unshare -n sh -c 'ip link set lo up && tc qdisc add dev lo root netem loss 5% delay 10ms 5ms' "
      ">/dev/null 2>&1";
  if (std::system(probe.c_str()) != 0)
    GTEST_SKIP() << "no network namespace with netem here (unshare, ip and tc with the netem "
                    "queueing discipline are needed); the faulty relay test covers loss and delay";
  std::string self = fs::read_symlink("/proc/self/exe").string();
  std::string cmd = "KEL_LOBBY_IN_NETNS=1 unshare -n sh -c 'ip link set lo up && "
                    "tc qdisc add dev lo root netem loss 5% delay 10ms 5ms && exec " +
                    self + " --gtest_filter=LobbyProcess.LossAndDelayWithNetem' > " +
                    std::string(KEL_BINARY_DIR) + "/test-home/lobby-netem.log 2>&1";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << ReadFile(std::string(KEL_BINARY_DIR) + "/test-home/lobby-netem.log");
}

// The check values of a "SYNCS" line: sync point -> check value.
std::map<int32_t, int32_t> SyncsOf(const std::string& line) {
  std::map<int32_t, int32_t> out;
  std::istringstream words(line);
  std::string w;
  words >> w;
  while (words >> w) {
    size_t colon = w.find(':');
    if (colon == std::string::npos) break;  // the report's time stamp
    out[std::atoi(w.c_str())] = std::atoi(w.c_str() + colon + 1);
  }
  return out;
}

// The machines of `which` reported the same check values at every sync
// point they share (at least `atLeast` of them), and the same last point.
void ExpectSameSyncs(Game& game, const std::vector<int>& which, const std::string& head, size_t atLeast) {
  std::map<int32_t, int32_t> first = SyncsOf(Game::Line(game.machines[which[0]], head));
  EXPECT_GE(first.size(), atLeast) << head;
  for (size_t k = 1; k < which.size(); ++k) {
    std::map<int32_t, int32_t> other = SyncsOf(Game::Line(game.machines[which[k]], head));
    size_t shared = 0;
    for (const auto& [point, check] : first) {
      auto it = other.find(point);
      if (it == other.end()) continue;
      ++shared;
      EXPECT_EQ(it->second, check) << head << ": machine " << which[k] << " at sync point " << point;
    }
    EXPECT_GE(shared, atLeast) << head << ": machine " << which[k];
  }
}

// The records the machines of `which` reported at a shop: the same on all.
std::vector<PlayerRecord> SameRecordsAt(Game& game, const std::vector<int>& which, const std::string& head) {
  std::vector<PlayerRecord> first;
  for (int i : which) {
    std::string line = Game::Line(game.machines[i], head + " ");
    std::vector<PlayerRecord> r = RecordsOf(line);
    EXPECT_EQ(r.size(), 4u) << "machine " << i << ": " << line;
    if (r.size() != 4) return {};
    if (first.empty()) {
      first = r;
    } else {
      EXPECT_EQ(0, std::memcmp(first.data(), r.data(), 4 * sizeof(PlayerRecord)))
          << head << ": machine " << i << " holds other records";
    }
  }
  return first;
}

enum class Departure { kKilled, kMenu };

// A machine leaves in the middle of COMPUTER THROW, killed or through the
// options menu: the others see it leave, the computer takes its athlete
// over, the event ends and the shop follows on every remaining machine with
// the same records; they leave the shop, meet in the next event without it
// and end that one in step as well.
void LoseMachineMidEvent(int players, int leaver, Departure how) {
  if (!GameBuilt()) GTEST_SKIP() << "the front end or COMPUTER THROW is not built yet";
  ProcessTestLock lock;
  int port = FreePortPair();
  ASSERT_NE(port, 0);
  Game game(std::string(how == Departure::kKilled ? "kill" : "quit") + std::to_string(players) + "-" +
            std::to_string(leaver));
  game.extraEnv = {"KEL_LOBBY_EVENTS=2"};
  for (int i = 0; i < players; ++i) {
    game.extraEnv.resize(1);
    if (i == leaver && how == Departure::kMenu) game.extraEnv.push_back("KEL_LOBBY_LEAVE=menu");
    game.Spawn(i == 0, i, players, port);
    if (i == 0) ASSERT_TRUE(game.WaitFor({0}, "UP", 30)) << game.Logs();
  }
  ASSERT_TRUE(game.WaitFor({leaver}, "MIDEVENT", 150)) << game.Logs();
  if (how == Departure::kKilled) {
    Game::Kill(game.machines[leaver]);
  } else {
    ASSERT_TRUE(game.WaitFor({leaver}, "LEFT", 60)) << game.Logs();
  }
  const int victim = Game::SlotOf(game.machines[leaver]);
  ASSERT_GE(victim, 0);
  std::vector<int> rest;
  for (int i = 0; i < players; ++i)
    if (i != leaver) rest.push_back(i);
  ASSERT_TRUE(game.WaitFor(rest, "SHOP2", 300)) << game.Logs();
  ASSERT_TRUE(game.WaitFor(rest, "SYNCS2", 30)) << game.Logs();

  for (const char* shop : {"SHOP", "SHOP2"}) {
    SCOPED_TRACE(shop);
    for (int i : rest)
      EXPECT_NE(Game::Line(game.machines[i], std::string(shop) + " ").find("MODE 2"), std::string::npos)
          << "machine " << i << " is still in the network game";
    std::vector<PlayerRecord> records = SameRecordsAt(game, rest, shop);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[victim].human, 0) << "the computer plays the athlete";
    for (int i : rest) EXPECT_EQ(records[Game::SlotOf(game.machines[i])].human, 1) << "machine " << i;
    for (int s = 0; s < 4; ++s) EXPECT_TRUE(records[s].place >= 0 && records[s].place <= 3) << "slot " << s;
  }
  ExpectSameSyncs(game, rest, "SYNCS1", 10);
  ExpectSameSyncs(game, rest, "SYNCS2", 10);
  game.Quit();
}

// A machine killed in the middle of the event, the host's as well (its
// duties move to the lowest remaining slot), and the host quitting through
// the options menu.
TEST(LobbyProcess, PeerKilledMidEventThreeMachines) { LoseMachineMidEvent(3, 2, Departure::kKilled); }
TEST(LobbyProcess, HostKilledMidEventFourMachines) { LoseMachineMidEvent(4, 0, Departure::kKilled); }
TEST(LobbyProcess, HostQuitsThroughTheMenuThreeMachines) { LoseMachineMidEvent(3, 0, Departure::kMenu); }

// A machine left alone goes on as a game of its own: the computer plays
// the other athlete, and the shop follows.
void KillMidEventOfTwo() {
  if (!GameBuilt()) GTEST_SKIP() << "the front end or COMPUTER THROW is not built yet";
  ProcessTestLock lock;
  int port = FreePortPair();
  ASSERT_NE(port, 0);
  Game game("kill2");
  game.Spawn(true, 0, 2, port);
  ASSERT_TRUE(game.WaitFor({0}, "UP", 30)) << game.Logs();
  game.Spawn(false, 1, 2, port);
  ASSERT_TRUE(game.WaitFor({1}, "MIDEVENT", 150)) << game.Logs();
  Game::Kill(game.machines[1]);
  const int victim = Game::SlotOf(game.machines[1]);
  ASSERT_GE(victim, 0);
  ASSERT_TRUE(game.WaitFor({0}, "SHOP", 240)) << game.Logs();
  std::string line = Game::Line(game.machines[0], "SHOP");
  std::vector<PlayerRecord> records = RecordsOf(line);
  ASSERT_EQ(records.size(), 4u) << line;
  EXPECT_EQ(records[victim].human, 0) << "the computer plays the athlete";
  EXPECT_NE(line.find("MODE 0"), std::string::npos) << line;
  EXPECT_GE(records[victim].place, 0);
  game.Quit();
}

#if KEL_LOBBY_GAME
// Writes a saved network game into save slot 4 of the host's (machine 0's)
// data folder, as the host's first local player saved it.
void WriteHostSave(const Game& game, SaveGameRecord rec) {
  rec.localPlayers[0] = 0;
  rec.localPlayers[1] = -1;
  uint8_t raw[kSaveGameSize];
  EncodeSaveGame(rec, raw);
  std::string saves = game.dir + "/m0/data/kelvanthrop";
  fs::create_directories(saves);
  std::ofstream(saves + "/game4.dat", std::ios::binary).write(reinterpret_cast<const char*>(raw), sizeof raw);
}

// The host takes up a saved network game: the player who comes back under
// his saved name gets his saved record (in the slot the session gives him),
// and both machines go straight to the shop with the same records.
TEST(LobbyProcess, HostTakesUpASavedNetworkGame) {
  ProcessTestLock lock;
  int port = FreePortPair();
  ASSERT_NE(port, 0);
  Game game("load");
  SaveGameRecord rec;
  rec.playMode = 2;
  rec.eventIndex = 1;
  rec.trainingEvent = 0;
  const char* names[4] = {"PLAYERA", "ZARU", "PLAYERB", "ZOVI"};
  for (int s = 0; s < 4; ++s) {
    PlayerRecord& p = rec.players[s];
    std::memset(&p, 0, sizeof p);
    InitPlayerRecord(&p, (s * 2 + 1) % 6);
    SetPlayerName(&p, names[s]);
    p.country = s + 4;
    p.human = (s == 0 || s == 2) ? 1 : 0;
    p.place = 3 - s;
    p.money = 1000 * (s + 1);
    p.points = 7 * s;
  }
  WriteHostSave(game, rec);

  game.Spawn(true, 0, 2, port, 5);
  ASSERT_TRUE(game.WaitFor({0}, "UP", 30)) << game.Logs();
  game.Spawn(false, 1, 2, port);
  ASSERT_TRUE(game.WaitFor({0, 1}, "SHOP", 120)) << game.Logs();
  EXPECT_TRUE(Game::Line(game.machines[0], "STATE 2 ").empty()) << "no event before the shop";
  std::vector<PlayerRecord> host = RecordsOf(Game::Line(game.machines[0], "SHOP"));
  std::vector<PlayerRecord> guest = RecordsOf(Game::Line(game.machines[1], "SHOP"));
  ASSERT_EQ(host.size(), 4u);
  ASSERT_EQ(guest.size(), 4u);
  EXPECT_EQ(0, std::memcmp(host.data(), guest.data(), 4 * sizeof(PlayerRecord)));
  int guestSlot = -1;
  for (int s = 0; s < 4; ++s)
    if (std::string(host[s].name) == "PLAYERB") guestSlot = s;
  ASSERT_EQ(guestSlot, 1) << "the session gave the returning player slot 1";
  EXPECT_EQ(host[1].human, 1);
  EXPECT_EQ(host[1].character, rec.players[2].character);
  EXPECT_GE(host[1].money, rec.players[2].money);
  EXPECT_STREQ(host[0].name, "PLAYERA");
  EXPECT_EQ(host[2].human, 0);  // the computer player that stood in slot 1
  EXPECT_STREQ(host[2].name, "ZARU");
  game.Quit();
}
#endif

TEST(LobbyProcess, PeerKilledMidEventLeavesTheHostAlone) { KillMidEventOfTwo(); }

#if KEL_LOBBY_GAME
// A saved network game of three people: the host takes it up, B comes back
// under his name while C is still at "ENTER YOUR NAME". C is not moved on
// without a place in the game: he types his name, gets his saved record in
// his own slot, and all three reach the shop with the same records.
TEST(LobbyProcess, ALateNameInALoadedGameOfThreeStillGetsItsSlot) {
  ProcessTestLock lock;
  int port = FreePortPair();
  ASSERT_NE(port, 0);
  Game game("loadlate");
  SaveGameRecord rec;
  rec.playMode = 2;
  rec.eventIndex = 1;
  rec.trainingEvent = 0;
  const char* names[4] = {"PLAYERA", "PLAYERB", "PLAYERC", "ZOVI"};
  for (int s = 0; s < 4; ++s) {
    PlayerRecord& p = rec.players[s];
    std::memset(&p, 0, sizeof p);
    InitPlayerRecord(&p, s + 1);
    SetPlayerName(&p, names[s]);
    p.country = s + 2;
    p.human = s < 3 ? 1 : 0;
    p.place = s;
    p.money = 500 * (s + 1);
    p.points = 5 * (3 - s);
  }
  WriteHostSave(game, rec);

  game.Spawn(true, 0, 3, port, 5);
  ASSERT_TRUE(game.WaitFor({0}, "UP", 30)) << game.Logs();
  game.Spawn(false, 1, 3, port);
  game.extraEnv = {"KEL_LOBBY_NAME_LATE=1"};
  game.Spawn(false, 2, 3, port);
  ASSERT_TRUE(game.WaitFor({2}, "NAME LATE", 120)) << game.Logs();
  ASSERT_TRUE(game.WaitFor({0, 1, 2}, "SHOP", 120)) << game.Logs();
  std::vector<PlayerRecord> records = SameRecordsAt(game, {0, 1, 2}, "SHOP");
  ASSERT_EQ(records.size(), 4u);
  bool taken[4] = {};
  for (int i = 0; i < 3; ++i) {
    const std::string line = Game::Line(game.machines[i], "STATE 3 ");
    const size_t at = line.find(" SLOT ");
    ASSERT_NE(at, std::string::npos) << line;
    const int slot = std::atoi(line.c_str() + at + 6);
    ASSERT_TRUE(slot >= 0 && slot < 4 && !taken[slot]) << "machine " << i << ": " << line;
    taken[slot] = true;
    EXPECT_STREQ(records[slot].name, names[i]) << "machine " << i;
    EXPECT_EQ(records[slot].human, 1) << "machine " << i;
    EXPECT_GE(records[slot].money, rec.players[i].money) << "machine " << i << " has his saved record";
  }
  game.Quit();
}

// A machine joins with two players and only keeps its link alive: the start
// is refused while it is "joining". The host's person takes it out with its
// box's number; it hears that it was removed, and the host and the honest
// machine play through to the shop.
TEST(LobbyProcess, TheHostRemovesASilentMachineAndStarts) {
  ProcessTestLock lock;
  int port = FreePortPair();
  ASSERT_NE(port, 0);
  Game game("silent");
  game.extraEnv = {"KEL_LOBBY_REMOVE_SILENT=1"};
  game.Spawn(true, 0, 2, port);
  ASSERT_TRUE(game.WaitFor({0}, "UP", 30)) << game.Logs();
  game.extraEnv = {"KEL_LOBBY_ROLE=silent"};
  game.Spawn(false, 1, 2, port);
  ASSERT_TRUE(game.WaitFor({1}, "SILENT", 60)) << game.Logs();
  game.extraEnv = {};
  game.Spawn(false, 2, 2, port);
  ASSERT_TRUE(game.WaitFor({0}, "REMOVE", 120)) << game.Logs();
  ASSERT_TRUE(game.WaitFor({1}, "REMOVED", 30)) << game.Logs();
  ASSERT_TRUE(game.WaitFor({0, 2}, "SHOP", 240)) << game.Logs();
  std::vector<PlayerRecord> records = SameRecordsAt(game, {0, 2}, "SHOP");
  ASSERT_EQ(records.size(), 4u);
  int humans = 0;
  for (const PlayerRecord& r : records) {
    humans += r.human;
    EXPECT_NE(std::string(r.name).rfind("MUTE", 0), 0u) << "the silent machine's player is in the game";
  }
  EXPECT_EQ(humans, 2);
  game.Quit();
}
#endif

}  // namespace
