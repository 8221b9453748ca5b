// The network session: players and slots, addressing and order, the chat
// queue, the loopback, and players who leave or stop answering.
#include "tests/net/net_test_util.h"

namespace {

std::vector<uint8_t> Msg(uint8_t type, uint8_t tag) {
  int size = NetMessageSize(type);
  std::vector<uint8_t> m(size > 0 ? size : 8, 0);
  NetPutHeader(m.data(), type, static_cast<uint16_t>(m.size()));
  m[4] = tag;
  return m;
}

// Every message waiting at a machine, as (from, tag) pairs, session messages as (-1, type).
std::vector<std::pair<int, int>> Drain(Machine& m) {
  std::vector<std::pair<int, int>> out;
  NetMessage msg;
  while (m.session.Receive(&msg))
    out.emplace_back(msg.from, msg.from == kNetSystemSender ? msg.data[0] : msg.data[4]);
  return out;
}

TEST(NetSession, AddressesReachTheRightPlayersInOrder) {
  NetGame g;
  g.Start(3);
  if (HasFatalFailure()) return;
  // From a client: to all (self too), to all but self, to one slot.
  auto lobby = Msg(kMsgLobbyPlayer, 0);
  for (uint8_t i = 1; i <= 20; ++i) {
    lobby[4] = i;
    int to = i % 3 == 0 ? kNetToAll : (i % 3 == 1 ? kNetToAllButSelf : 2);
    ASSERT_TRUE(g[1].session.Send(1, to, lobby.data(), lobby.size()));
  }
  std::vector<std::pair<int, int>> want0, want1, want2;
  for (int i = 1; i <= 20; ++i) {
    if (i % 3 != 2) want0.emplace_back(1, i);
    if (i % 3 == 0) want1.emplace_back(1, i);
    want2.emplace_back(1, i);
  }
  EXPECT_EQ(Drain(g[0]), want0);
  EXPECT_EQ(Drain(g[1]), want1);
  EXPECT_EQ(Drain(g[2]), want2);

  // Nobody may speak for another machine's player, nor to an empty slot.
  EXPECT_FALSE(g[1].session.Send(0, kNetToAll, lobby.data(), lobby.size()));
  EXPECT_FALSE(g[1].session.Send(1, 3, lobby.data(), lobby.size()));
  EXPECT_FALSE(g[1].session.Send(1, 17, lobby.data(), lobby.size()));
  EXPECT_FALSE(g[1].session.Send(1, kNetToAll, lobby.data(), 2));
}

TEST(NetSession, SlotsNamesAndHost) {
  NetGame g;
  g.Start(4);
  if (HasFatalFailure()) return;
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(g[i].session.GetField105(), i == 0 ? 1 : 0);
    EXPECT_EQ(g[i].session.GetField107(), 0);
    EXPECT_EQ(g[i].session.GetField108(), 4);
    for (int s = 0; s < 4; ++s) {
      EXPECT_EQ(g[i].session.GetSlotState(s), s == i ? kSlotLocal : kSlotRemote);
      EXPECT_STREQ(g[i].session.GetPlayerName(s), ("PLAYER" + std::to_string(s)).c_str());
    }
    for (int s : {-1, 4, 15, 16, 1000}) {
      EXPECT_EQ(g[i].session.GetSlotState(s), kSlotFree);
      EXPECT_STREQ(g[i].session.GetPlayerName(s), "");
    }
  }
  // A fifth player is refused, and a fifth machine gets no slot.
  EXPECT_EQ(g[0].session.AddLocalPlayer("EXTRA"), -1);
  Machine fifth(&g.hub, &g.clock);
  fifth.session.SetWaitHook([&] {
    g.clock.Advance(1);
    for (int i = 0; i < 4; ++i) g[i].session.Pump();
  });
  ASSERT_EQ(fifth.session.SelectProvider(1, 0), kNetOk);
  ASSERT_EQ(fifth.session.EnumSessions(), 1);
  ASSERT_EQ(fifth.session.JoinSession(0), kNetOk);
  EXPECT_EQ(fifth.session.AddLocalPlayer("FIFTH"), -1);
  EXPECT_EQ(g[0].session.PlayerCount(), 4);
}

TEST(NetSession, NamesAreCutAndTerminated) {
  NetHub hub;
  VirtualClock clock;
  Machine host(&hub, &clock), client(&hub, &clock);
  client.session.SetWaitHook([&] { host.session.Pump(); });
  ASSERT_EQ(host.session.SelectProvider(1, 0), kNetOk);
  ASSERT_EQ(host.session.CreateSession("A SESSION NAME FAR TOO LONG"), kNetOk);
  ASSERT_EQ(host.session.AddLocalPlayer("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), 0);
  ASSERT_EQ(client.session.SelectProvider(1, 0), kNetOk);
  ASSERT_EQ(client.session.EnumSessions(), 1);
  EXPECT_STREQ(client.session.GetSessionName(0), "A SESSION NAME ");
  EXPECT_EQ(client.session.GetSessionName(1), nullptr);
  ASSERT_EQ(client.session.JoinSession(0), kNetOk);
  EXPECT_STREQ(client.session.GetPlayerName(0), "ABCDEFGHIJKLMNO");
  // A name field sent with no zero in it still arrives terminated.
  char raw[40];
  std::memset(raw, 'Q', sizeof raw);
  raw[39] = 0;
  ASSERT_EQ(client.session.AddLocalPlayer(raw), 1);
  host.session.Pump();
  EXPECT_STREQ(host.session.GetPlayerName(1), "QQQQQQQQQQQQQQQ");
  NetMessage m;
  bool joined = false;
  while (host.session.Receive(&m)) {
    if (m.from != kNetSystemSender || m.data[0] != kMsgPlayerJoined) continue;
    joined = true;
    DecodedNetMessage d;
    ASSERT_TRUE(DecodeNetMessage(m.from, m.data.data(), m.data.size(), &d));
    EXPECT_EQ(d.slot, 1);
    EXPECT_EQ(m.data[16 + kNetNameSize - 1], 0);
  }
  EXPECT_TRUE(joined);
}

TEST(NetSession, ChatHasItsOwnQueueAndUrgentMessagesGoFirst) {
  NetGame g;
  g.Start(2);
  if (HasFatalFailure()) return;
  auto m = Msg(kMsgDropVote, 7);
  ASSERT_TRUE(g[0].session.Send(0, kNetToAllButSelf, m.data(), m.size()));
  ASSERT_TRUE(g[0].session.SendChat(0, kNetToAllButSelf, "HELLO THERE, A LINE OF FAR MORE THAN 32 LETTERS"));
  m[4] = 8;
  ASSERT_TRUE(g[0].session.Send(0, kNetToAllButSelf, m.data(), m.size()));
  g[1].session.Pump();
  m[4] = 9;
  g[1].session.QueueLocal(0, 1, m.data(), m.size(), true);
  m[4] = 10;
  g[1].session.QueueLocal(0, 1, m.data(), m.size(), false);
  EXPECT_EQ(Drain(g[1]), (std::vector<std::pair<int, int>>{{0, 9}, {0, 7}, {0, 8}, {0, 10}}));
  int from = -9;
  std::string text;
  ASSERT_TRUE(g[1].session.PopChat(&from, &text));
  EXPECT_EQ(from, 0);
  EXPECT_EQ(text, "HELLO THERE, A LINE OF FAR MORE ");
  EXPECT_FALSE(g[1].session.PopChat(&from, &text));
  EXPECT_FALSE(g[0].session.PopChat(&from, &text));  // -5: not to the sender
}

TEST(NetSession, LoopbackDeliversOnThisMachineOnly) {
  NetSession s([](int) { return nullptr; }, {});
  EXPECT_EQ(s.GetProviderName(0), nullptr);
  EXPECT_EQ(s.SelectProvider(1, 0), kNetErrConnection);
  ASSERT_EQ(s.SelectProvider(0, 0), kNetOk);
  EXPECT_FALSE(s.IsNetwork());
  ASSERT_EQ(s.AddLocalPlayer("ONE", 0), 0);
  EXPECT_EQ(s.AddLocalPlayer("AGAIN", 0), -1);
  ASSERT_EQ(s.AddLocalPlayer("TWO", 1), 1);
  auto m = Msg(kMsgEventEnd, 1);
  ASSERT_TRUE(s.Send(0, kNetToAll, m.data(), m.size()));
  ASSERT_TRUE(s.Send(0, kNetToAllButSelf, m.data(), m.size()));
  ASSERT_TRUE(s.Send(0, 1, m.data(), m.size()));
  EXPECT_EQ(s.PendingMessages(), 3u);
  s.RemoveLocalPlayer(1);
  EXPECT_EQ(s.PlayerCount(), 1);
  NetMessage r;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(s.Receive(&r));
  ASSERT_TRUE(s.Receive(&r));
  EXPECT_EQ(r.from, kNetSystemSender);
  EXPECT_EQ(r.data[0], kMsgPlayerLeft);
  EXPECT_EQ(NetGetI32(r.data.data() + 8), 1);
  // One player alone: -5 reaches nobody.
  ASSERT_TRUE(s.Send(0, kNetToAllButSelf, m.data(), m.size()));
  EXPECT_EQ(s.PendingMessages(), 0u);
  s.Close();
  EXPECT_FALSE(s.Send(0, kNetToAll, m.data(), m.size()));
  EXPECT_EQ(s.PlayerCount(), 0);
}

TEST(NetSession, SilentMachineIsReportedAsLeftAfterTheTimeout) {
  NetGame g;
  g.Start(3);
  if (HasFatalFailure()) return;
  for (int i = 0; i < 3; ++i) g[i].session.SetTimeoutMs(3000);
  // Machine 2 stops answering; the others go on pumping.
  for (int t = 0; t < 280; ++t) {
    g.clock.Advance(10);
    g[0].session.Pump();
    g[1].session.Pump();
  }
  EXPECT_EQ(g[0].session.GetSlotState(2), kSlotRemote);  // 2.8 s: not yet
  for (int t = 0; t < 40; ++t) {
    g.clock.Advance(10);
    g[0].session.Pump();
    g[1].session.Pump();
  }
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(g[i].session.GetSlotState(2), kSlotFree);
    EXPECT_EQ(g[i].session.PlayerCount(), 2);
    auto got = Drain(g[i]);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], std::make_pair(kNetSystemSender, static_cast<int>(kMsgPlayerLeft)));
  }
}

// Every machine links to every other: losing the host takes its player
// only, the lowest remaining slot hosts from then on (on every machine
// alike), and it admits the next machine, which links up to the others.
TEST(NetSession, LosingTheHostRemovesOnlyItsPlayerAndTheLowestSlotHostsNow) {
  NetGame g;
  g.Start(3);
  if (HasFatalFailure()) return;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(g[i].session.LinkedMachines(), 2) << i;
  g.hub.CutOff(g[0].session.transport());
  for (int round = 0; round < 3; ++round)
    for (int i = 1; i < 3; ++i) g[i].session.Pump();
  for (int i = 1; i < 3; ++i) {
    NetMessage m;
    std::vector<std::pair<int, int>> left;  // slot, was-host
    while (g[i].session.Receive(&m)) {
      DecodedNetMessage d;
      ASSERT_TRUE(DecodeNetMessage(m.from, m.data.data(), m.data.size(), &d));
      ASSERT_EQ(d.type, kMsgPlayerLeft);
      left.emplace_back(d.slot, d.flag);
    }
    EXPECT_EQ(left, (std::vector<std::pair<int, int>>{{0, 1}})) << i;
    EXPECT_EQ(g[i].session.PlayerCount(), 2);
    EXPECT_EQ(g[i].session.HostSlot(), 1);
    EXPECT_EQ(g[i].session.IsHost(), i == 1);
  }
  // Machines 1 and 2 still talk, straight to each other.
  auto m = Msg(kMsgLobbyPlayer, 42);
  ASSERT_TRUE(g[2].session.Send(2, kNetToAllButSelf, m.data(), m.size()));
  EXPECT_EQ(Drain(g[1]), (std::vector<std::pair<int, int>>{{2, 42}}));

  // The new host answers a search and admits a newcomer into the freed slot.
  Machine late(&g.hub, &g.clock);
  late.session.SetWaitHook([&] {
    g.clock.Advance(1);
    g[1].session.Pump();
    g[2].session.Pump();
  });
  ASSERT_EQ(late.session.SelectProvider(1, 0), kNetOk);
  ASSERT_EQ(late.session.EnumSessions(), 1);
  ASSERT_EQ(late.session.JoinSession(0), kNetOk);
  EXPECT_EQ(late.session.AddLocalPlayer("LATE"), 0);
  for (int round = 0; round < 3; ++round) {
    g[1].session.Pump();
    g[2].session.Pump();
    late.session.Pump();
  }
  EXPECT_EQ(late.session.HostSlot(), 1);
  EXPECT_EQ(late.session.LinkedMachines(), 2);
  EXPECT_EQ(g[2].session.GetSlotState(0), kSlotRemote);
  EXPECT_STREQ(g[2].session.GetPlayerName(0), "LATE");
  Drain(g[2]);
  Drain(late);
  ASSERT_TRUE(late.session.Send(0, 2, m.data(), m.size()));
  EXPECT_EQ(Drain(g[2]), (std::vector<std::pair<int, int>>{{0, 42}}));
}

// A machine leaves only when every remaining machine has lost it: one that
// cuts it off alone removes nobody; when the last one does, it leaves on
// every machine, and the dropped machine, alone, hears its own player named.
TEST(NetSession, AMachineLeavesOnlyWhenNoRemainingMachineHearsIt) {
  NetGame g;
  g.Start(4);
  if (HasFatalFailure()) return;
  auto pumpAll = [&] {
    for (int round = 0; round < 4; ++round)
      for (int i = 0; i < 4; ++i) g[i].session.Pump();
  };
  // The players of machines 0..2 vote for the drop during a game (a machine
  // takes itself for dropped only after a vote there), then each cuts
  // machine 3 off in turn.
  for (int i = 0; i < 4; ++i) g[i].session.SetGameRunning(true);
  uint8_t vote[kMsgShortSize] = {};
  NetPutHeader(vote, kMsgDropVote, kMsgShortSize);
  vote[4] = 1;
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(g[i].session.Send(i, kNetToAll, vote, sizeof vote));
  pumpAll();
  for (int i = 0; i < 4; ++i) Drain(g[i]);
  g[0].session.RemoveLocalPlayer(3);  // machine 0's players agreed to drop machine 3
  pumpAll();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(g[i].session.GetSlotState(3), i == 3 ? kSlotLocal : kSlotRemote) << i;
  EXPECT_EQ(g[3].session.LinkedMachines(), 2);
  g[1].session.RemoveLocalPlayer(3);
  pumpAll();
  EXPECT_EQ(g[2].session.GetSlotState(3), kSlotRemote);
  for (int i = 0; i < 3; ++i) Drain(g[i]);
  g[2].session.RemoveLocalPlayer(3);
  pumpAll();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(g[i].session.GetSlotState(3), kSlotFree) << i;
    EXPECT_EQ(Drain(g[i]), (std::vector<std::pair<int, int>>{{kNetSystemSender, kMsgPlayerLeft}})) << i;
  }
  NetMessage own;
  ASSERT_TRUE(g[3].session.Receive(&own));
  EXPECT_EQ(own.data[0], kMsgPlayerLeft);
  EXPECT_EQ(NetGetI32(own.data.data() + 8), 3);
  EXPECT_EQ(g[3].session.LinkedMachines(), 0);
}

// The messages of a machine that goes reach every remaining machine before
// its player's "left", also those that the machine's link lost on the way:
// the others hand them on.
TEST(NetSession, TheLastMessagesOfALostMachineReachEveryone) {
  NetGame g;
  g.Start(3);
  if (HasFatalFailure()) return;
  const int from2 = g.hub.EndpointOf(g[2].session.transport());
  const int to1 = g.hub.EndpointOf(g[1].session.transport());
  NetHub::Faults f;
  f.dropPercent = 100;
  f.applies = [&](int from, int to, const std::vector<uint8_t>& p) {
    return from == from2 && to == to1 && IsAppMessage(p, kMsgLobbyPlayer) && p[netwire::kAppHeader + 4] >= 2;
  };
  g.hub.SetFaults(f);
  auto m = Msg(kMsgLobbyPlayer, 1);
  for (uint8_t tag = 1; tag <= 3; ++tag) {
    m[4] = tag;
    ASSERT_TRUE(g[2].session.Send(2, kNetToAllButSelf, m.data(), m.size()));
  }
  g[0].session.Pump();
  g[1].session.Pump();
  g.hub.CutOff(g[2].session.transport());
  for (int round = 0; round < 3; ++round) {
    g[0].session.Pump();
    g[1].session.Pump();
  }
  EXPECT_EQ(g.hub.dropped(), 2);
  const std::vector<std::pair<int, int>> want = {{2, 1}, {2, 2}, {2, 3}, {kNetSystemSender, kMsgPlayerLeft}};
  EXPECT_EQ(Drain(g[0]), want);
  EXPECT_EQ(Drain(g[1]), want);
}

TEST(NetSession, ClosedSessionRefusesNewMachines) {
  NetGame g;
  g.Start(2);
  if (HasFatalFailure()) return;
  g[0].session.EnableNewPlayers(0);
  Machine late(&g.hub, &g.clock);
  late.session.SetWaitHook([&] {
    g.clock.Advance(1);
    g[0].session.Pump();
  });
  ASSERT_EQ(late.session.SelectProvider(1, 0), kNetOk);
  ASSERT_EQ(late.session.EnumSessions(), 1);
  EXPECT_EQ(late.session.JoinSession(0), kNetErrLost);
  EXPECT_EQ(NetErrorTextId(kNetErrLost), 10539);
  EXPECT_EQ(g[0].session.PlayerCount(), 2);
}

TEST(NetSession, LeavingPlayerIsAnnouncedToEveryone) {
  NetGame g;
  g.Start(3);
  if (HasFatalFailure()) return;
  g[2].session.RemoveLocalPlayer(2);
  g[0].session.Pump();
  g[1].session.Pump();
  for (int i = 0; i < 3; ++i) {
    auto got = Drain(g[i]);
    ASSERT_EQ(got.size(), 1u) << i;
    EXPECT_EQ(got[0].second, kMsgPlayerLeft);
    EXPECT_EQ(g[i].session.GetSlotState(2), kSlotFree);
  }
  // The slot is free again for the next machine's player.
  Machine late(&g.hub, &g.clock);
  late.session.SetWaitHook([&] { g[0].session.Pump(); });
  ASSERT_EQ(late.session.SelectProvider(1, 0), kNetOk);
  ASSERT_EQ(late.session.EnumSessions(), 1);
  ASSERT_EQ(late.session.JoinSession(0), kNetOk);
  EXPECT_EQ(late.session.AddLocalPlayer("LATE"), 2);
  // The newcomer hears of the players already there; they hear of it.
  EXPECT_EQ(Drain(late), (std::vector<std::pair<int, int>>{{kNetSystemSender, kMsgPlayerEntry},
                                                           {kNetSystemSender, kMsgPlayerEntry}}));
  g[1].session.Pump();
  for (int i = 0; i < 2; ++i) {
    NetMessage m;
    ASSERT_TRUE(g[i].session.Receive(&m));
    DecodedNetMessage d;
    ASSERT_TRUE(DecodeNetMessage(m.from, m.data.data(), m.data.size(), &d));
    EXPECT_EQ(d.type, kMsgPlayerJoined);
    EXPECT_EQ(d.slot, 2);
    EXPECT_STREQ(reinterpret_cast<const char*>(m.data.data() + 16), "LATE");
    EXPECT_STREQ(g[i].session.GetPlayerName(2), "LATE");
  }
}

}  // namespace

namespace {

TEST(NetSession, TypedHostAddresses) {
  struct Case {
    const char* text;
    bool ok;
    const char* host;
    uint16_t port;
  } cases[] = {
      {"192.168.1.20", true, "192.168.1.20", 0},
      {"game-host.example.org:28000", true, "game-host.example.org", 28000},
      {"my_pc:1", true, "my_pc", 1},
      {"localhost:65534", true, "localhost", 65534},
      {"", false, "", 0},
      {":27815", false, "", 0},
      {"host:", false, "", 0},
      {"host:0", false, "", 0},
      {"host:65535", false, "", 0},  // the search asks the port after it
      {"host:123456", false, "", 0},
      {"host:12a", false, "", 0},
      {"host:-1", false, "", 0},
      {"two words", false, "", 0},
      {"a:1:2", false, "", 0},
      {"fe80::1", false, "", 0},
      {"h\xe9te", false, "", 0},
  };
  for (const Case& c : cases) {
    std::string host = "unchanged";
    uint16_t port = 7;
    EXPECT_EQ(ParseHostAddress(c.text, &host, &port), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(host, c.host) << c.text;
      EXPECT_EQ(port, c.port) << c.text;
    }
  }
  // At most 63 characters of name, as the session's address field holds.
  EXPECT_TRUE(ParseHostAddress(std::string(63, 'a') + ":80", nullptr, nullptr));
  EXPECT_FALSE(ParseHostAddress(std::string(64, 'a'), nullptr, nullptr));
}

}  // namespace
