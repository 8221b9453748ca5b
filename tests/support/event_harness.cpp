#include "tests/support/event_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "base/clock.h"
#include "base/random.h"
#include "base/stopwatch.h"
#include "graphics/display.h"
#include "net/net_hub.h"
#include "net/net_session.h"
#include "screen/game_screen.h"
#include "screen/game_screen_services.h"
#include "shell/shell.h"
#include "sound/sound.h"

// --- Fixtures and scripts ------------------------------------------------------

PlayerRecord FixturePlayer(int character, bool human, const char* name, int country) {
  PlayerRecord p{};
  InitPlayerRecord(&p, character);
  SetPlayerName(&p, name);
  p.human = human ? 1 : 0;
  p.country = country;
  p.place = -1;
  return p;
}

std::array<PlayerRecord, 4> ComputerFixtures() {
  return {FixturePlayer(0, false, "CPU1", 0), FixturePlayer(1, false, "CPU2", 1),
          FixturePlayer(2, false, "CPU3", 2), FixturePlayer(3, false, "CPU4", 3)};
}

InputScript& InputScript::Press(int frame, int action, int which) {
  if (action < 0 || action >= kPlayerStateSize) return *this;
  auto& a = actions_[{frame, which}];
  int presses = (a[action] & 0x7F) + 1;
  a[action] = static_cast<uint8_t>((a[action] & 0x80) | (presses > 127 ? 127 : presses));
  return *this;
}

InputScript& InputScript::Hold(int first, int last, int action, int which) {
  if (action < 0 || action >= kPlayerStateSize) return *this;
  for (int f = first; f <= last; ++f) actions_[{f, which}][action] |= 0x80;
  return Press(first, action, which);
}

InputScript& InputScript::Key(int frame, char key) {
  keys_[frame].push_back(key);
  return *this;
}

bool InputScript::Actions(int frame, int which, uint8_t out[kPlayerStateSize]) const {
  auto it = actions_.find({frame, which});
  if (it == actions_.end()) return false;
  std::memcpy(out, it->second.data(), kPlayerStateSize);
  return true;
}

bool InputScript::KeyPressed(int frame, char key) const {
  auto it = keys_.find(frame);
  return it != keys_.end() && it->second.find(key) != std::string::npos;
}

namespace {

// --- Per-machine state -------------------------------------------------------

struct MachineGlobals {
  PlayerRecord players[kMaxPlayers]{};
  uint8_t playerStates[kMaxPlayers][kPlayerStateSize]{};
  int32_t localPlayers[3]{};
  int32_t playMode = 0;
  int32_t eventIndex = 0;
  int32_t trainingEvent = 0;
  int32_t shellState = kShellEvent;
  uint32_t randomState = 1;
  GameScreen* currentScreen = nullptr;
  NetSession* session = nullptr;
  ScriptedInput* script = nullptr;
  std::vector<std::vector<uint8_t>> extra;
};

void SaveGlobals(MachineGlobals& m, const std::vector<std::pair<void*, size_t>>& extra) {
  std::memcpy(m.players, g_players, sizeof g_players);
  std::memcpy(m.playerStates, g_playerStates, sizeof g_playerStates);
  std::memcpy(m.localPlayers, g_localPlayers, sizeof g_localPlayers);
  m.playMode = g_playMode;
  m.eventIndex = g_eventIndex;
  m.trainingEvent = g_trainingEvent;
  m.shellState = g_shellState;
  m.randomState = RandomState();
  m.currentScreen = g_currentScreen;
  m.session = g_netSession;
  m.script = ShellGetScriptedInput();
  m.extra.resize(extra.size());
  for (size_t i = 0; i < extra.size(); ++i) {
    const uint8_t* p = static_cast<const uint8_t*>(extra[i].first);
    m.extra[i].assign(p, p + extra[i].second);
  }
}

void LoadGlobals(const MachineGlobals& m, const std::vector<std::pair<void*, size_t>>& extra) {
  std::memcpy(g_players, m.players, sizeof g_players);
  std::memcpy(g_playerStates, m.playerStates, sizeof g_playerStates);
  std::memcpy(g_localPlayers, m.localPlayers, sizeof g_localPlayers);
  g_playMode = m.playMode;
  g_eventIndex = m.eventIndex;
  g_trainingEvent = m.trainingEvent;
  g_shellState = m.shellState;
  SetRandomState(m.randomState);
  g_currentScreen = m.currentScreen;
  g_netSession = m.session;
  ShellSetScriptedInput(m.script);
  for (size_t i = 0; i < extra.size() && i < m.extra.size(); ++i) {
    if (m.extra[i].size() == extra[i].second) std::memcpy(extra[i].first, m.extra[i].data(), extra[i].second);
  }
}

class Harness;
thread_local int t_machine = -1;
Harness* g_harness = nullptr;

// The virtual clock of a run. On a machine's thread a sleep lets the other
// machines run: the machine wakes when the clock reaches its wake-up time,
// and the clock moves on only when every machine sleeps (to the earliest
// wake-up), so machines sleep side by side as they would on their own
// computers. Elsewhere a sleep moves the clock on at once.
class HarnessClock : public Clock {
 public:
  uint32_t NowMs() override { return now_.load(); }
  void SleepMs(uint32_t ms) override;
  std::atomic<uint32_t> now_{0};
};

class MachineScript : public ScriptedInput {
 public:
  MachineScript(const InputScript* script, const int* frame, const std::atomic<bool>* abort)
      : script_(script), frame_(frame), abort_(abort) {}
  bool ActionMap(int which, unsigned char actions[10]) override {
    std::memset(actions, 0, 10);
    if (script_) script_->Actions(*frame_, which, actions);
    return true;  // a machine of the harness never reads the keyboard
  }
  bool KeyPress(char key) override {
    // A run that has to be ended answers the exchange's questions itself.
    if (abort_->load() && (key == 'Q' || key == 'D')) return true;
    return script_ && script_->KeyPressed(*frame_, key);
  }

 private:
  const InputScript* script_;
  const int* frame_;
  const std::atomic<bool>* abort_;
};

class Harness {
 public:
  explicit Harness(const HarnessOptions& o) : opt_(o) {}

  HarnessRun Run();
  // Lets the other machines run; this one wakes sleepMs later (0: as soon
  // as its turn comes round again).
  void Yield(int me, uint32_t sleepMs = 0);

 private:
  void MachineMain(int me);
  void PassFrom(int me);
  void WaitTurn(int me);
  bool SetUpSessions();
  void RunOne(int me);
  void Linger(int me);

  const HarnessOptions& opt_;
  HarnessRun run_;
  std::vector<MachineGlobals> globals_;
  std::vector<std::unique_ptr<MachineScript>> scripts_;
  std::vector<int> frame_;
  std::vector<std::unique_ptr<NetSession>> sessions_;
  std::unique_ptr<NetHub> hub_;
  HarnessClock clock_;
  std::mutex m_;
  std::condition_variable cv_;
  int turn_ = -1;
  std::vector<bool> alive_;
  std::vector<bool> playing_;  // its screen still runs
  std::vector<uint32_t> wake_;
  std::atomic<bool> abort_{false};
  int n_ = 1;
  DDSurface* backSurface_ = nullptr;  // the display's, while frames go undrawn
};

void HarnessClock::SleepMs(uint32_t ms) {
  if (t_machine >= 0 && g_harness) {
    // Sleep(0) in a loop waits for the clock: it must move.
    g_harness->Yield(t_machine, ms > 0 ? ms : 1);
  } else {
    now_ += ms;
  }
}

void Harness::WaitTurn(int me) {
  std::unique_lock<std::mutex> lock(m_);
  cv_.wait(lock, [&] { return turn_ == me; });
}

// Chooses the machine that runs next: the first awake one after `me` in
// turn; when all sleep, the clock moves on to the earliest wake-up.
void Harness::PassFrom(int me) {
  std::lock_guard<std::mutex> lock(m_);
  int next = -2;
  for (int pass = 0; pass < 2 && next == -2; ++pass) {
    uint32_t now = clock_.now_.load();
    bool any = false;
    uint32_t earliest = 0;
    for (int k = 1; k <= n_; ++k) {
      int c = (me + k) % n_;
      if (!alive_[c]) continue;
      int32_t wait = static_cast<int32_t>(wake_[c] - now);
      if (wait <= 0) {
        next = c;
        break;
      }
      if (!any || static_cast<int32_t>(wake_[c] - earliest) < 0) earliest = wake_[c];
      any = true;
    }
    if (next == -2 && any) clock_.now_ = earliest;
  }
  turn_ = next;
  cv_.notify_all();
}

void Harness::Yield(int me, uint32_t sleepMs) {
  SaveGlobals(globals_[me], opt_.instanceGlobals);
  if (hub_) hub_->Tick();
  {
    std::lock_guard<std::mutex> lock(m_);
    wake_[me] = clock_.now_.load() + sleepMs;
  }
  PassFrom(me);
  WaitTurn(me);
  LoadGlobals(globals_[me], opt_.instanceGlobals);
}

void Harness::RunOne(int me) {
  HarnessRun::Machine& result = run_.machines[me];
  frame_[me] = -1;
  GameScreen* screen = opt_.make ? opt_.make() : nullptr;
  if (!screen) return;
  result.built = true;
  g_currentScreen = screen;
  int r = 0;
  const bool leaves = me < static_cast<int>(opt_.leaveAfterFrames.size()) && opt_.leaveAfterFrames[me] > 0;
  const int frames = leaves ? std::min(opt_.leaveAfterFrames[me], opt_.maxFrames) : opt_.maxFrames;
  for (int f = 0; f < frames; ++f) {
    frame_[me] = f;
    uint32_t before = clock_.now_.load();
    g_backDDSurface = (opt_.drawEvery <= 1 || f % opt_.drawEvery == 0) ? backSurface_ : nullptr;
    r = screen->Run();
    g_backDDSurface = backSurface_;
    // A frame that only watched the clock (its period not yet passed) must
    // still see time go by, as on the program's own virtual clock.
    if (n_ == 1 && clock_.now_.load() == before) clock_.now_ += 1;
    ++result.frames;
    // The check of a frame that went on (a frame that ends the event may
    // have advanced the sync point without a new check).
    if (r == 0) result.syncChecks[screen->GetSyncPoint()] = screen->GetSyncCheck();
    if (opt_.onFrame) opt_.onFrame(me, f, screen);
    if (r != 0) break;
    // A run far past any sensible length ends with the exchange's own quit.
    if (clock_.now_.load() > static_cast<uint32_t>(opt_.maxFrames) * 2000u) abort_ = true;
    if (n_ > 1) Yield(me, 1);
  }
  result.result = r;
  // As the shell does: an event that ended tells the other machines.
  if (r == 1) screen->BroadcastEventEnd();
  if (r == 0 && leaves && me < static_cast<int>(sessions_.size())) {
    sessions_[me]->Close();  // the player quit: the others go on without it
    result.left = true;
  } else if (r == 0) {
    abort_ = true;
  }
  g_currentScreen = nullptr;
  delete screen;
  if (g_currentScreen == screen) g_currentScreen = nullptr;
  std::memcpy(result.players.data(), g_players, sizeof g_players);
}

// After its event a machine goes on reading its session, as the shop does,
// while the others play: a machine that lost its last input or its end asks
// for them, and the session answers for the event that is gone. Not for
// ever: a machine stuck for good then times this one out and goes on alone.
void Harness::Linger(int me) {
  NetSession* session = sessions_[me].get();
  const uint32_t until = clock_.now_.load() + 30000;
  while (!abort_.load() && static_cast<int32_t>(until - clock_.now_.load()) > 0) {
    {
      std::lock_guard<std::mutex> lock(m_);
      bool others = false;
      for (int k = 0; k < n_; ++k) others = others || (k != me && playing_[k]);
      if (!others) return;
    }
    NetMessage msg;
    while (session->Receive(&msg)) session->OnSystemMessage(msg);
    Yield(me, 20);
  }
}

void Harness::MachineMain(int me) {
  t_machine = me;
  WaitTurn(me);
  LoadGlobals(globals_[me], opt_.instanceGlobals);
  RunOne(me);
  {
    std::lock_guard<std::mutex> lock(m_);
    playing_[me] = false;
  }
  if (n_ > 1 && !run_.machines[me].left) Linger(me);
  SaveGlobals(globals_[me], opt_.instanceGlobals);
  {
    std::lock_guard<std::mutex> lock(m_);
    alive_[me] = false;
  }
  PassFrom(me);
  t_machine = -1;
}

bool Harness::SetUpSessions() {
  hub_ = std::make_unique<NetHub>(opt_.seed);
  for (int i = 0; i < n_; ++i) {
    auto s = std::make_unique<NetSession>(
        [this](int) { return hub_->MakeTransport(); }, std::vector<std::string>{"HARNESS"});
    s->SetClock(&clock_);
    sessions_.push_back(std::move(s));
  }
  // While one machine waits for an answer the others must answer it.
  for (int i = 0; i < n_; ++i) {
    sessions_[i]->SetWaitHook([this, i] {
      clock_.now_ += 2;
      for (int k = 0; k < n_; ++k)
        if (k != i) sessions_[k]->Pump();
    });
  }
  NetSession& host = *sessions_[0];
  if (host.SelectProvider(1, 0) != kNetOk || host.CreateSession("HARNESS") != kNetOk) return false;
  if (host.AddLocalPlayer(opt_.players[0].name, 0) != 0) return false;
  for (int i = 1; i < n_; ++i) {
    NetSession& s = *sessions_[i];
    if (s.SelectProvider(1, 0) != kNetOk || s.EnumSessions() < 1 || s.JoinSession(0) != kNetOk) return false;
    if (s.AddLocalPlayer(opt_.players[i].name, i) != i) return false;
  }
  for (int k = 0; k < 4; ++k)
    for (auto& s : sessions_) s->Pump();
  for (auto& s : sessions_) s->SetWaitHook(nullptr);
  hub_->SetFaults(opt_.faults);
  return true;
}

HarnessRun Harness::Run() {
  n_ = opt_.machines < 1 ? 1 : (opt_.machines > 4 ? 4 : opt_.machines);
  run_.machines.resize(n_);
  frame_.assign(n_, -1);
  alive_.assign(n_, true);
  playing_.assign(n_, true);
  wake_.assign(n_, 0);

  int32_t savedSpeed = g_gameSpeed;
  // A screen on one machine seeds the random numbers from the clock, which
  // therefore starts at the seed: a run is the same for the same seed.
  clock_.now_ = opt_.seed;
  Clock* savedClock = SetClock(&clock_);
  g_harness = this;

  bool ownServices = false;
  if (!g_timers) {
    setenv("KELVANTHROP_HEADLESS", "1", 0);
    ownServices = ShellCreateServices();
  }
  // The machines have no window: nothing of the program's is pumped.
  ShellEventPump savedPump = ShellSetEventPump([](bool) {});
  // The caller's globals (with the services just made), put back at the end.
  MachineGlobals outside;
  SaveGlobals(outside, opt_.instanceGlobals);
  g_gameSpeed = opt_.gameSpeed;
  backSurface_ = g_backDDSurface;

  bool network = n_ > 1;
  if (network && !SetUpSessions()) {
    run_.timedOut = true;
    run_.syncEqual = false;
  } else {
    globals_.resize(n_);
    for (int i = 0; i < n_; ++i) {
      const InputScript* script = i < static_cast<int>(opt_.scripts.size()) ? &opt_.scripts[i] : nullptr;
      scripts_.push_back(std::make_unique<MachineScript>(script, &frame_[i], &abort_));
      MachineGlobals& g = globals_[i];
      SaveGlobals(g, opt_.instanceGlobals);
      std::copy(opt_.players.begin(), opt_.players.end(), g.players);
      std::memset(g.playerStates, 0, sizeof g.playerStates);
      g.localPlayers[0] = network ? i : 0;
      g.localPlayers[1] = network ? i : 1;
      g.localPlayers[2] = static_cast<int32_t>(opt_.seed);
      g.playMode = network ? 2 : opt_.playMode;
      g.shellState = kShellEvent;
      g.eventIndex = opt_.eventIndex;
      g.currentScreen = nullptr;
      g.randomState = opt_.seed;
      g.script = scripts_.back().get();
      if (network) g.session = sessions_[i].get();
    }
    if (!network) {
      t_machine = -1;
      LoadGlobals(globals_[0], opt_.instanceGlobals);
      RunOne(0);
    } else {
      std::vector<std::thread> threads;
      for (int i = 0; i < n_; ++i) threads.emplace_back([this, i] { MachineMain(i); });
      {
        std::lock_guard<std::mutex> lock(m_);
        turn_ = 0;
        cv_.notify_all();
      }
      for (std::thread& t : threads) t.join();
    }
  }

  // Every sync point reached by all machines must carry one check value.
  if (n_ > 1 && !run_.timedOut) {
    for (const auto& [point, check] : run_.machines[0].syncChecks) {
      for (int i = 1; i < n_; ++i) {
        auto it = run_.machines[i].syncChecks.find(point);
        if (it != run_.machines[i].syncChecks.end() && it->second != check) {
          if (run_.syncEqual) run_.firstMismatch = point;
          run_.syncEqual = false;
        }
      }
    }
  }
  for (const HarnessRun::Machine& m : run_.machines)
    if (m.result == 0 && !m.left) run_.timedOut = true;
  run_.virtualMs = clock_.now_.load();

  for (auto& s : sessions_) s->Close();
  LoadGlobals(outside, opt_.instanceGlobals);
  sessions_.clear();
  hub_.reset();
  g_gameSpeed = savedSpeed;
  ShellSetEventPump(savedPump);
  if (ownServices) ShellDestroyServices();
  SetClock(savedClock);
  g_harness = nullptr;
  return run_;
}

}  // namespace

HarnessRun RunEventHarness(const HarnessOptions& options) {
  Harness h(options);
  return h.Run();
}

void ExpectMachinesAgree(const HarnessRun& run, size_t minChecks) {
  EXPECT_FALSE(run.timedOut);
  EXPECT_TRUE(run.syncEqual) << "first mismatch at sync point " << run.firstMismatch;
  for (size_t i = 0; i < run.machines.size(); ++i) {
    const HarnessRun::Machine& m = run.machines[i];
    EXPECT_EQ(m.result, 1) << "machine " << i;
    EXPECT_GT(m.syncChecks.size(), minChecks) << "machine " << i;
    EXPECT_EQ(m.syncChecks, run.machines[0].syncChecks) << "machine " << i;
  }
  ExpectSameRecords(run);
}

void ExpectSameRecords(const HarnessRun& run, const std::vector<int>& machines) {
  std::vector<int> listed = machines;
  if (listed.empty())
    for (size_t i = 0; i < run.machines.size(); ++i) listed.push_back(static_cast<int>(i));
  for (int m : listed)
    for (int p = 0; p < kMaxPlayers; ++p) {
      uint8_t a[kPlayerRecordSize], b[kPlayerRecordSize];
      EncodePlayerRecord(run.machines[listed[0]].players[p], a);
      EncodePlayerRecord(run.machines[m].players[p], b);
      EXPECT_EQ(std::memcmp(a, b, sizeof a), 0) << "machine " << m << " player " << p;
    }
}

void ExpectRecordedStandings(const std::array<PlayerRecord, 4>& records, const int32_t result[4],
                             const int32_t place[4]) {
  std::set<int> places;
  for (int p = 0; p < 4; ++p) {
    EXPECT_EQ(records[p].result, result[p]) << p;
    EXPECT_EQ(records[p].place, place[p]) << p;
    EXPECT_GE(records[p].energy, 0) << p;
    EXPECT_LE(records[p].energy, 100) << p;
    places.insert(records[p].place);
  }
  EXPECT_EQ(places, (std::set<int>{0, 1, 2, 3}));
}

void TakeEverySoundSlot() {
  while (g_soundManager && g_soundManager->AllocSlot() >= 0) {
  }
}
