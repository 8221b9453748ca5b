#pragma once
// Several machines of a network game in one process: each has its own
// session, player records, input states and lock-step exchange, all on one
// in-memory hub and one virtual clock, stepped in turn on one thread.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/player_records.h"
#include "net/lockstep.h"
#include "net/net_hub.h"
#include "net/net_session.h"

// Input of a player for the n-th read of its map: recognisable per slot and frame.
inline uint8_t TestInputByte(int slot, int read, int i) {
  return static_cast<uint8_t>((slot * 53 + read * 7 + i * 13) & 0xFF);
}

class ScriptedUi : public LockStepUi {
 public:
  void ShowWaitBox(const std::string& text) override {
    boxes.push_back(text);
    boxOpen = true;
  }
  void CloseWaitBox() override { boxOpen = false; }
  void PrepareWaitMenu() override { ++menus; }
  int RunWaitFrame() override { return runResult; }
  void PumpEvents(bool defer) override {
    ++pumps;
    if (defer) ++deferredPumps;
  }
  bool TakeKeyPress(char key) override {
    for (auto it = keys.begin(); it != keys.end(); ++it)
      if (*it == key) {
        keys.erase(it);
        return true;
      }
    return false;
  }
  void PollActionMap(int which, uint8_t actions[kPlayerStateSize]) override {
    if (which == 0) {
      for (int i = 0; i < kPlayerStateSize; ++i) actions[i] = TestInputByte(slot, reads, i);
      ++reads;
    } else {
      for (int i = 0; i < kPlayerStateSize; ++i) actions[i] = TestInputByte(slot + 8, reads, i);
    }
  }
  void AddMessage(const std::string& text) override { messages.push_back(text); }
  void BlankScreen() override { ++blanks; }

  int slot = 0;
  int reads = 0;
  int runResult = 0;
  int menus = 0, pumps = 0, deferredPumps = 0, blanks = 0;
  bool boxOpen = false;
  std::deque<char> keys;
  std::vector<std::string> boxes;
  std::vector<std::string> messages;
};

// The packed state a slot sends for its n-th read (map bytes reordered).
inline void ExpectedState(int slot, int read, uint8_t out[kPlayerStateSize]) {
  uint8_t a[kPlayerStateSize];
  for (int i = 0; i < kPlayerStateSize; ++i) a[i] = TestInputByte(slot, read, i);
  out[0] = a[3];
  out[1] = a[1];
  out[2] = a[2];
  out[3] = a[0];
  for (int i = 4; i < kPlayerStateSize; ++i) out[i] = a[i];
}

// One machine's part of a lock-step run stepped by hand: the wait for the
// players (begun here from kWaitBegin), then exchange after exchange.
enum class TurnPhase { kWaitBegin, kWaiting, kExBegin, kExchanging };
// Steps `ls` once: LockStep::kPending while the wait or an exchange goes on;
// else the result of the one that ended (`*waited` says whether that was the
// wait), and the next step begins an exchange.
inline int StepTurn(LockStep& ls, TurnPhase* phase, bool* waited) {
  *waited = false;
  if (*phase == TurnPhase::kWaitBegin) {
    ls.BeginWaitForPlayers();
    *phase = TurnPhase::kWaiting;
  }
  if (*phase == TurnPhase::kWaiting) {
    const int r = ls.StepWaitForPlayers();
    if (r == LockStep::kPending) return r;
    *waited = true;
    *phase = TurnPhase::kExBegin;
    return r;
  }
  if (*phase == TurnPhase::kExBegin) {
    ls.BeginExchange();
    *phase = TurnPhase::kExchanging;
  }
  const int r = ls.StepExchange();
  if (r != LockStep::kPending) *phase = TurnPhase::kExBegin;
  return r;
}

struct Machine {
  Machine(NetHub* hub, Clock* clock)
      : session([hub](int) { return hub->MakeTransport(); }, {"TEST NETWORK"}) {
    session.SetClock(clock);
    std::memset(players, 0, sizeof players);
    std::memset(states, 0, sizeof states);
    LockStepContext c;
    c.session = &session;
    c.players = players;
    c.playerStates = states;
    c.localPlayers = local;
    c.playMode = &mode;
    c.clock = clock;
    lockstep = std::make_unique<LockStep>(c, &ui);
  }
  NetSession session;
  PlayerRecord players[kMaxPlayers];
  uint8_t states[kMaxPlayers][kPlayerStateSize];
  int32_t local[3] = {0, 1, 1234};
  int32_t mode = 2;
  ScriptedUi ui;
  std::unique_ptr<LockStep> lockstep;
  bool frozen = false;     // a machine that stops answering
  bool relayOnly = false;  // its session runs, its game does not
};

class NetGame {
 public:
  explicit NetGame(uint32_t seed = 7) : hub(seed) {}

  // A host and n-1 clients, each with one player in slots 0..n-1.
  void Start(int n) {
    for (int i = 0; i < n; ++i) machines.push_back(std::make_unique<Machine>(&hub, &clock));
    for (auto& m : machines) {
      Machine* self = m.get();
      m->session.SetWaitHook([this, self] {
        clock.Advance(1);
        for (auto& o : machines)
          if (o.get() != self) o->session.Pump();
      });
    }
    Machine& host = *machines[0];
    ASSERT_EQ(host.session.SelectProvider(1, 0), kNetOk);
    ASSERT_EQ(host.session.CreateSession("GAME"), kNetOk);
    ASSERT_EQ(host.session.AddLocalPlayer("PLAYER0"), 0);
    for (int i = 1; i < n; ++i) {
      Machine& c = *machines[i];
      ASSERT_EQ(c.session.SelectProvider(1, 0), kNetOk);
      ASSERT_GE(c.session.EnumSessions(), 1);
      ASSERT_STREQ(c.session.GetSessionName(0), "GAME");
      ASSERT_EQ(c.session.JoinSession(0), kNetOk);
      ASSERT_EQ(c.session.AddLocalPlayer(("PLAYER" + std::to_string(i)).c_str()), i);
    }
    for (int i = 0; i < n; ++i) {
      Machine& m = *machines[i];
      m.session.Pump();
      NetMessage msg;
      while (m.session.Receive(&msg)) {
      }
      m.local[0] = i;
      m.ui.slot = i;
      for (int p = 0; p < kMaxPlayers; ++p) {
        InitPlayerRecord(&m.players[p], p);
        m.players[p].human = p < n;
        SetPlayerName(&m.players[p], ("PLAYER" + std::to_string(p)).c_str());
      }
      ASSERT_EQ(m.session.PlayerCount(), n);
    }
  }

  Machine& operator[](int i) { return *machines[i]; }
  int size() const { return static_cast<int>(machines.size()); }

  // Runs every machine's wait for players to its end, stepping in turn.
  std::vector<int> WaitAll(int maxRounds = 20000) {
    std::vector<int> result(machines.size(), LockStep::kPending);
    for (auto& m : machines)
      if (!m->frozen && !m->relayOnly) m->lockstep->BeginWaitForPlayers();
    for (int round = 0; round < maxRounds; ++round) {
      bool pending = false;
      for (size_t i = 0; i < machines.size(); ++i) {
        if (machines[i]->frozen) continue;
        if (result[i] != LockStep::kPending || machines[i]->relayOnly) {
          machines[i]->session.Pump();  // keeps its links alive
          continue;
        }
        result[i] = machines[i]->lockstep->StepWaitForPlayers();
        pending |= result[i] == LockStep::kPending;
      }
      hub.Tick();
      if (!pending) break;
    }
    return result;
  }

  // Plays frames on the given machines (exchange, then read and send the
  // next input) for `rounds` rounds; the others only pump their sessions.
  struct Runner {
    Machine* m;
    bool inExchange = false;
    int frames = 0;
    int last = 0;
  };
  void Play(std::vector<Runner>& runners, int rounds) {
    for (int r = 0; r < rounds; ++r) {
      for (auto& p : runners) {
        if (p.m->frozen) continue;
        if (!p.inExchange) {
          p.m->lockstep->BeginExchange();
          p.inExchange = true;
        }
        int res = p.m->lockstep->StepExchange();
        if (res == LockStep::kPending) continue;
        p.inExchange = false;
        p.last = res;
        ++p.frames;
        p.m->lockstep->ReadLocalInput();
      }
      for (auto& m : machines)
        if (m->relayOnly) m->session.Pump();
      hub.Tick();
    }
  }

  NetHub hub;
  VirtualClock clock{1000};
  std::vector<std::unique_ptr<Machine>> machines;
};

// The message as it travels inside the session's app packet:
// [kind][from][to][sequence u32][message].
inline bool IsAppMessage(const std::vector<uint8_t>& p, uint8_t type) {
  return p.size() > static_cast<size_t>(netwire::kAppHeader) && p[0] == netwire::kApp &&
         p[netwire::kAppHeader] == type;
}
inline int AppFrom(const std::vector<uint8_t>& p) { return static_cast<int8_t>(p[1]); }
inline int32_t AppSyncPoint(const std::vector<uint8_t>& p) {
  return p.size() >= netwire::kAppHeader + 12u ? NetGetI32(p.data() + netwire::kAppHeader + 8) : -1;
}
