#pragma once
// Machines of a network lobby in one process: each has its own session on
// one in-memory hub, its own four records and its own NetLobby; they are
// stepped in turn on one thread and one virtual clock.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/player_records.h"
#include "frontend/lobby.h"
#include "net/net_hub.h"
#include "net/net_message.h"
#include "net/net_session.h"

struct LobbyMachine {
  LobbyMachine(NetHub* hub, Clock* clock)
      : session([hub](int) { return hub->MakeTransport(); }, {"TEST NETWORK"}) {
    session.SetClock(clock);
    for (auto& p : players) {
      std::memset(&p, 0, sizeof p);
      p.country = kLobbyCodeEmpty;
    }
    LobbyContext c;
    c.session = &session;
    c.players = players;
    c.localPlayers = local;
    c.playMode = &mode;
    c.eventIndex = &eventIndex;
    c.trainingEvent = &trainingEvent;
    lobby = std::make_unique<NetLobby>(c);
  }
  NetSession session;
  PlayerRecord players[kMaxPlayers];
  int32_t local[3] = {-1, -1, 0};
  int32_t mode = 2;
  int32_t eventIndex = 0;
  int32_t trainingEvent = 0;
  std::unique_ptr<NetLobby> lobby;
  LobbyPoll seen;  // every Poll's outcome, or-ed together

  // The name entry confirmed: the session player is made, the record says
  // "name given", and the others hear of it.
  int EnterName(const char* name) {
    int slot = session.AddLocalPlayer(name);
    if (slot < 0) return slot;
    local[0] = slot;
    lobby->SetOwnSlot(slot);
    SetPlayerName(&players[slot], name);
    players[slot].human = 1;
    players[slot].country = kLobbyCodeCharacter;
    lobby->SendOwnRecord();
    return slot;
  }
  // The country confirmed.
  void ChooseCountry(int country) {
    players[local[0]].country = country;
    lobby->SendOwnRecord();
  }
  LobbyPoll Poll() {
    LobbyPoll p = lobby->Poll();
    seen.hostLeft |= p.hostLeft;
    seen.removed |= p.removed;
    seen.shutOut |= p.shutOut;
    seen.claimGranted |= p.claimGranted;
    seen.started |= p.started;
    seen.savedGame |= p.savedGame;
    seen.dropped += p.dropped;
    return p;
  }
};

class LobbyNet {
 public:
  // n machines: machine 0 hosts, the others have joined the session (no
  // player yet: that comes with the name).
  void Open(int n) {
    for (int i = 0; i < n; ++i) machines.push_back(std::make_unique<LobbyMachine>(&hub, &clock));
    for (auto& m : machines) {
      LobbyMachine* self = m.get();
      m->session.SetWaitHook([this, self] {
        clock.Advance(1);
        for (auto& o : machines)
          if (o.get() != self) o->session.Pump();
      });
    }
    ASSERT_EQ(machines[0]->session.SelectProvider(1, 0), kNetOk);
    ASSERT_EQ(machines[0]->session.CreateSession("LOBBY"), kNetOk);
    for (int i = 1; i < n; ++i) {
      NetSession& s = machines[i]->session;
      ASSERT_EQ(s.SelectProvider(1, 0), kNetOk);
      ASSERT_GE(s.EnumSessions(), 1);
      ASSERT_EQ(s.JoinSession(0), kNetOk);
    }
  }
  // Open(names.size()), then machine i enters names[i] and takes slot i.
  // Fatal failures stop here: call it inside ASSERT_NO_FATAL_FAILURE.
  void OpenNamed(const std::vector<const char*>& names) {
    ASSERT_NO_FATAL_FAILURE(Open(static_cast<int>(names.size())));
    for (size_t i = 0; i < names.size(); ++i) ASSERT_EQ(machines[i]->EnterName(names[i]), static_cast<int>(i));
  }
  // Every machine polls, the hub moves on; `rounds` times.
  void Run(int rounds = 20) {
    for (int r = 0; r < rounds; ++r) {
      for (auto& m : machines) {
        m->session.Pump();
        m->Poll();
      }
      hub.Tick();
      clock.Advance(5);
    }
  }
  LobbyMachine& operator[](int i) { return *machines[i]; }

  VirtualClock clock{1000};
  NetHub hub{11};
  std::vector<std::unique_ptr<LobbyMachine>> machines;
};
