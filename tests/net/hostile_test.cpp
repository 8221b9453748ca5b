// Messages from a machine that does not play by the rules: every one of them
// is dropped without a crash and without effect on the game.
#include <climits>

#include "tests/net/net_test_util.h"

namespace {

std::vector<uint8_t> Make(uint8_t type, int size, int declared) {
  std::vector<uint8_t> m(static_cast<size_t>(size), 0);
  if (size >= 1) m[0] = type;
  if (size >= 4) NetPutU16(m.data() + 2, static_cast<uint16_t>(declared));
  return m;
}
std::vector<uint8_t> WithI32(std::vector<uint8_t> m, int offset, int32_t v) {
  if (m.size() >= static_cast<size_t>(offset + 4)) NetPutI32(m.data() + offset, v);
  return m;
}

struct DecodeCase {
  const char* name;
  int from;
  std::vector<uint8_t> msg;
  bool accepted;
};

TEST(NetMessage, DecoderAcceptsOnlyWellFormedMessages) {
  const DecodeCase cases[] = {
      {"input", 1, Make(kMsgInput, 36, 36), true},
      {"block", 3, Make(kMsgPlayerBlock, 280, 280), true},
      {"resend", 0, Make(kMsgResendRequest, 12, 12), true},
      {"end", 2, Make(kMsgEventEnd, 6, 6), true},
      {"vote", 2, Make(kMsgDropVote, 6, 6), true},
      {"lobby start", 2, Make(kMsgLobbyStart, 284, 284), true},
      {"left slot 3", kNetSystemSender, WithI32(Make(kMsgPlayerLeft, 16, 16), 8, 3), true},
      {"empty", 1, {}, false},
      {"three bytes", 1, {kMsgInput, 0, 36}, false},
      {"input short", 1, Make(kMsgInput, 35, 35), false},
      {"input long", 1, Make(kMsgInput, 37, 37), false},
      {"input declares more", 1, Make(kMsgInput, 36, 40), false},
      {"input declares less", 1, Make(kMsgInput, 36, 12), false},
      {"input declares zero", 1, Make(kMsgInput, 36, 0), false},
      {"block one byte short", 1, Make(kMsgPlayerBlock, 279, 279), false},
      {"resend declares 13", 1, Make(kMsgResendRequest, 12, 13), false},
      {"vote long", 1, Make(kMsgDropVote, 8, 8), false},
      {"unknown type", 1, Make(0x99, 36, 36), false},
      {"type 0x3b", 1, Make(0x3b, 6, 6), false},
      {"sender 4", 4, Make(kMsgInput, 36, 36), false},
      {"sender 15", 15, Make(kMsgInput, 36, 36), false},
      {"sender -5", -5, Make(kMsgInput, 36, 36), false},
      {"lock-step from the session", kNetSystemSender, Make(kMsgInput, 36, 36), false},
      {"left from a player", 1, WithI32(Make(kMsgPlayerLeft, 16, 16), 8, 1), false},
      {"left slot 4", kNetSystemSender, WithI32(Make(kMsgPlayerLeft, 16, 16), 8, 4), false},
      {"left slot 15", kNetSystemSender, WithI32(Make(kMsgPlayerLeft, 16, 16), 8, 15), false},
      {"left slot -1", kNetSystemSender, WithI32(Make(kMsgPlayerLeft, 16, 16), 8, -1), false},
      {"left slot INT_MIN", kNetSystemSender, WithI32(Make(kMsgPlayerLeft, 16, 16), 8, INT_MIN), false},
      {"joined slot 9", kNetSystemSender, WithI32(Make(kMsgPlayerJoined, 32, 32), 8, 9), false},
  };
  for (const auto& c : cases) {
    DecodedNetMessage d;
    EXPECT_EQ(DecodeNetMessage(c.from, c.msg.empty() ? nullptr : c.msg.data(), c.msg.size(), &d), c.accepted)
        << c.name;
  }
}

// A machine that speaks the session's wire format by hand.
class Rogue {
 public:
  explicit Rogue(NetHub* hub) : t_(hub->MakeTransport()) {}
  bool Join(NetSession& host) {
    std::vector<NetSessionInfo> found;
    t_->Discover(&found, 0);
    if (found.empty()) return false;
    link_ = t_->Connect(found[0]);
    Raw({netwire::kJoin, 2, 0, 0, 0});
    std::vector<uint8_t> add(2 + kNetNameSize, 0);
    add[0] = netwire::kAdd;
    add[1] = 1;
    std::memcpy(add.data() + 2, "ROGUEROGUEROGUEROGUE", kNetNameSize);  // no zero at all
    Raw(add);
    host.Pump();
    NetTransportEvent ev;
    while (t_->Poll(&ev))
      if (ev.kind == NetTransportEvent::kReceived && ev.data.size() == 3 && ev.data[0] == netwire::kAdded)
        slot_ = static_cast<int8_t>(ev.data[2]);
    return slot_ >= 0;
  }
  void Raw(const std::vector<uint8_t>& p) { t_->Send(link_, p.data(), p.size()); }
  void App(int from, int to, const std::vector<uint8_t>& msg) {
    ++seq_;
    std::vector<uint8_t> p = {netwire::kApp, static_cast<uint8_t>(from), static_cast<uint8_t>(to),
                              static_cast<uint8_t>(seq_), 0, 0, 0};
    p.insert(p.end(), msg.begin(), msg.end());
    Raw(p);
  }
  void Drain() {
    NetTransportEvent ev;
    while (t_->Poll(&ev)) {
    }
  }
  int slot() const { return slot_; }

 private:
  std::unique_ptr<NetTransport> t_;
  int link_ = -1;
  int slot_ = -1;
  uint8_t seq_ = 0;
};

TEST(NetHostile, JunkFromAPlayerIsIgnoredAndTheGameGoesOn) {
  NetHub hub;
  VirtualClock clock(1000);
  Machine host(&hub, &clock);
  ASSERT_EQ(host.session.SelectProvider(1, 0), kNetOk);
  ASSERT_EQ(host.session.CreateSession("GAME"), kNetOk);
  ASSERT_EQ(host.session.AddLocalPlayer("HOST"), 0);
  Rogue rogue(&hub);
  ASSERT_TRUE(rogue.Join(host.session));
  ASSERT_EQ(rogue.slot(), 1);
  EXPECT_STREQ(host.session.GetPlayerName(1), "ROGUEROGUEROGUE");
  NetMessage m;
  while (host.session.Receive(&m)) {
  }
  for (int p = 0; p < 4; ++p) {
    InitPlayerRecord(&host.players[p], p);
    SetPlayerName(&host.players[p], p == 0 ? "HOST" : "CPU");
  }
  host.players[0].human = 1;
  host.local[0] = 0;

  auto junk = [&] {
    const std::vector<std::vector<uint8_t>> table = {
        {},
        {kMsgInput},
        {kMsgInput, 0, 36},
        Make(kMsgInput, 35, 36),
        Make(kMsgInput, 37, 37),
        Make(kMsgInput, 36, 0),
        WithI32(Make(kMsgInput, 36, 36), 8, INT_MIN),
        WithI32(Make(kMsgInput, 36, 36), 8, 1000000000),
        Make(kMsgPlayerBlock, 279, 280),
        Make(kMsgPlayerBlock, 281, 281),
        WithI32(Make(kMsgResendRequest, 12, 13), 8, 0),
        Make(kMsgDropVote, 7, 6),
        Make(kMsgEventEnd, 6, 7),
        Make(0x99, 40, 40),
        Make(0xFF, 4, 4),
        WithI32(Make(kMsgPlayerLeft, 16, 16), 8, 0),  // "the host left", said by a player
        WithI32(Make(kMsgPlayerLeft, 16, 16), 8, 1),
        WithI32(Make(kMsgPlayerJoined, 32, 32), 8, 2),
        WithI32(Make(kMsgPlayerEntry, 32, 32), 8, 3),
        Make(kMsgChat, 47, 48),
        std::vector<uint8_t>(5000, 0x36),
    };
    for (const auto& msg : table) {
      rogue.App(1, kNetToAll, msg);
      rogue.App(1, 0, msg);
    }
    // Speaking for players that are not the rogue's.
    for (int from : {0, 2, 3, 4, 15, -1, -3, -5, 127})
      rogue.App(from, kNetToAll, Make(kMsgEventEnd, 6, 6));
    // Addressed to nobody.
    for (int to : {3, 4, 15, -1, -4, 100}) rogue.App(1, to, Make(kMsgEventEnd, 6, 6));
    // Session packets out of turn or malformed, and claims about players
    // and machines that are not the rogue's.
    rogue.Raw({netwire::kLeft});
    rogue.Raw({netwire::kLeft, 9});
    rogue.Raw({netwire::kLeft, 0});
    rogue.Raw({netwire::kJoin, 2, 0, 0, 0});
    rogue.Raw({netwire::kAdd, 2});
    rogue.Raw({netwire::kWelcome, 0, 1, 0});
    rogue.Raw({netwire::kPlayer, 0, 1, 'X'});
    rogue.Raw({netwire::kHello, 0});
    rogue.Raw({netwire::kMember, 5, 1, 0, 0});
    rogue.Raw({netwire::kGone, 0});
    rogue.Raw({netwire::kGone, 200});
    rogue.Raw({netwire::kRelay, 0, 0, 0xFD, 1, 0, 0, 0, kMsgEventEnd, 0, 6, 0, 1, 0});
    rogue.Raw({netwire::kRelay, 1});
    rogue.Raw({0});
    rogue.Raw({0xEE, 1, 2, 3});
  };

  junk();
  host.lockstep->BeginWaitForPlayers();
  EXPECT_EQ(host.lockstep->StepWaitForPlayers(), LockStep::kPending);
  junk();
  std::vector<uint8_t> block = Make(kMsgPlayerBlock, 280, 280);
  PlayerRecord r;
  InitPlayerRecord(&r, 5);
  SetPlayerName(&r, "ROGUE");
  r.human = 1;
  r.money = 31337;
  EncodePlayerRecord(r, block.data() + 8 + 1 * kPlayerRecordSize);
  std::memset(block.data() + 8 + 1 * kPlayerRecordSize + 4, 'Z', 11);  // name with no zero
  rogue.App(1, kNetToAll, block);
  int w = LockStep::kPending;
  for (int i = 0; i < 20 && w == LockStep::kPending; ++i) w = host.lockstep->StepWaitForPlayers();
  ASSERT_EQ(w, 0);
  EXPECT_EQ(host.players[1].money, 31337);
  EXPECT_EQ(host.players[1].name[10], 0);

  junk();
  std::vector<uint8_t> input = Make(kMsgInput, 36, 36);
  for (int i = 0; i < kPlayerStateSize; ++i) input[16 + i] = static_cast<uint8_t>(0xA0 + i);
  input[26] = 0x5A;
  rogue.App(1, kNetToAllButSelf, input);
  host.lockstep->BeginExchange();
  int r0 = LockStep::kPending;
  for (int i = 0; i < 20 && r0 == LockStep::kPending; ++i) r0 = host.lockstep->StepExchange();
  EXPECT_EQ(r0, 0);
  EXPECT_EQ(host.states[1][0], 0xA0);
  EXPECT_EQ(host.states[1][9], 0xA9);
  EXPECT_EQ(host.lockstep->GetPlayerByte(1, 0), 0x5A);
  EXPECT_EQ(host.mode, 2);
  EXPECT_TRUE(host.ui.messages.empty());
  EXPECT_EQ(host.session.GetSlotState(0), kSlotLocal);
  EXPECT_EQ(host.session.GetSlotState(1), kSlotRemote);
  EXPECT_EQ(host.session.GetSlotState(2), kSlotFree);
  int from;
  std::string text;
  EXPECT_FALSE(host.session.PopChat(&from, &text));
  rogue.Drain();
}

TEST(NetHostile, HostileHostCannotCrashAClient) {
  NetHub hub;
  VirtualClock clock(1000);
  // The rogue plays the host by hand; the client is an honest session.
  auto hostT = hub.MakeTransport();
  ASSERT_TRUE(hostT->Listen("EVIL"));
  Machine client(&hub, &clock);
  int hostLink = -1;
  auto serve = [&] {
    NetTransportEvent ev;
    while (hostT->Poll(&ev)) {
      if (ev.kind == NetTransportEvent::kConnected) hostLink = ev.link;
      if (ev.kind != NetTransportEvent::kReceived) continue;
      if (ev.data[0] == netwire::kJoin) {
        std::vector<uint8_t> w = {netwire::kWelcome, 1, 0, 0};
        hostT->Send(hostLink, w.data(), w.size());
      }
      if (ev.data[0] == netwire::kAdd) {
        std::vector<uint8_t> a = {netwire::kAdded, ev.data[1], 1};
        hostT->Send(hostLink, a.data(), a.size());
      }
    }
  };
  client.session.SetWaitHook(serve);
  ASSERT_EQ(client.session.SelectProvider(1, 0), kNetOk);
  ASSERT_EQ(client.session.EnumSessions(), 1);
  ASSERT_EQ(client.session.JoinSession(0), kNetOk);
  ASSERT_EQ(client.session.AddLocalPlayer("ME"), 1);
  const std::vector<std::vector<uint8_t>> packets = {
      {},
      {netwire::kPlayer, 0, 1},                                  // short
      {netwire::kPlayer, 200, 0, 0, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P'},
      {netwire::kPlayer, 1, 0, 0, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P'},
      {netwire::kPlayer, 2, 0, 9, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P'},
      {netwire::kLeft, 9},
      {netwire::kLeft, 3},                                        // a free slot
      {netwire::kLeft, 1},                                        // our own player
      {netwire::kAdded, 1, 3},                                    // unasked
      {netwire::kWelcome, 2, 0, 0},                               // twice
      {netwire::kMember, 1, 1, 0, 0},                             // short, and about us
      {netwire::kGone, 1},
      {netwire::kApp, 0, 1, 1, 0, 0, 0, kMsgInput, 0, 36},        // from a slot nobody holds
      {netwire::kApp, 1, 1, 2, 0, 0, 0, kMsgEventEnd, 0, 6, 0, 1, 0},  // from our own slot
      {netwire::kApp, 0xF0, 0xFD, 3, 0, 0, 0, kMsgEventEnd, 0, 6, 0, 1, 0},
      {netwire::kApp, 2},
      {netwire::kRelay, 0, 0, 0xFD, 4, 0, 0, 0, kMsgEventEnd, 0, 6, 0, 1, 0},  // of the sender itself
  };
  for (const auto& p : packets)
    if (!p.empty()) hostT->Send(hostLink, p.data(), p.size());
  client.session.Pump();
  EXPECT_EQ(client.session.GetSlotState(1), kSlotLocal);
  EXPECT_EQ(client.session.PlayerCount(), 1);  // nobody was added by the junk
  EXPECT_EQ(client.session.PendingMessages(), 0u);
}

}  // namespace

// A machine speaks for its own players only: no rogue takes the host's or
// another machine's players out of the session, nor makes the host drop a
// machine that the host still hears.
TEST(NetHostile, NoMachineRemovesAnotherMachinesPlayers) {
  NetHub hub;
  VirtualClock clock(1000);
  Machine host(&hub, &clock);
  ASSERT_EQ(host.session.SelectProvider(1, 0), kNetOk);
  ASSERT_EQ(host.session.CreateSession("GAME"), kNetOk);
  ASSERT_EQ(host.session.AddLocalPlayer("HOST"), 0);
  Rogue rogue(&hub);
  ASSERT_TRUE(rogue.Join(host.session));
  Rogue other(&hub);
  ASSERT_TRUE(other.Join(host.session));
  ASSERT_EQ(other.slot(), 2);
  rogue.Raw({netwire::kLeft, 0});
  rogue.Raw({netwire::kLeft, 2});
  rogue.Raw({netwire::kGone, 2});  // "I lost the other one": the host still hears it
  rogue.Raw({netwire::kGone, 0});
  rogue.Raw({netwire::kCut});
  host.session.Pump();
  EXPECT_EQ(host.session.GetSlotState(0), kSlotLocal);
  EXPECT_EQ(host.session.GetSlotState(2), kSlotRemote);
  EXPECT_EQ(host.session.PlayerCount(), 3);
  EXPECT_TRUE(host.session.IsHost());
  // Its own player it may take away.
  rogue.Raw({netwire::kLeft, 1});
  host.session.Pump();
  EXPECT_EQ(host.session.GetSlotState(1), kSlotFree);
  EXPECT_EQ(host.session.GetSlotState(2), kSlotRemote);
}

// A machine hands on copies of another's messages only when it lost that
// machine, and only what that machine sent. A rogue that never linked up to
// a member forges copies of that member's input, in the word that it lost
// it and as relayed copies; when the member then falls silent, the host and
// the other member deliver the same messages of it, none of them forged.
TEST(NetHostile, ForgedCopiesOfAnotherMachinesMessagesAreRefused) {
  NetHub hub;
  VirtualClock clock(1000);
  Machine host(&hub, &clock), a(&hub, &clock), b(&hub, &clock);
  Machine* all[3] = {&host, &a, &b};
  for (Machine* m : all) {
    m->session.SetTimeoutMs(2000);
    m->session.SetWaitHook([&, m] {
      clock.Advance(1);
      for (Machine* o : all)
        if (o != m) o->session.Pump();
    });
  }
  ASSERT_EQ(host.session.SelectProvider(1, 0), kNetOk);
  ASSERT_EQ(host.session.CreateSession("GAME"), kNetOk);
  ASSERT_EQ(host.session.AddLocalPlayer("HOST"), 0);
  for (Machine* m : {&a, &b}) {
    ASSERT_EQ(m->session.SelectProvider(1, 0), kNetOk);
    ASSERT_EQ(m->session.EnumSessions(), 1);
    ASSERT_EQ(m->session.JoinSession(0), kNetOk);
  }
  ASSERT_EQ(a.session.AddLocalPlayer("A"), 1);
  ASSERT_EQ(b.session.AddLocalPlayer("B"), 2);
  Rogue rogue(&hub);
  ASSERT_TRUE(rogue.Join(host.session));
  ASSERT_EQ(rogue.slot(), 3);

  // What reached each of host and B from A's player, in order.
  std::vector<std::vector<uint8_t>> heard[2];
  auto step = [&](bool aRuns) {
    clock.Advance(50);
    for (Machine* m : all) {
      if (m == &a && !aRuns) continue;
      m->session.Pump();
    }
    rogue.Raw({netwire::kPing});
    rogue.Drain();
    for (int i = 0; i < 2; ++i) {
      NetMessage msg;
      while ((i == 0 ? host : b).session.Receive(&msg))
        if (msg.from == 1) heard[i].push_back(msg.data);
    }
  };
  // The rogue never links up to A and B: they lose it, and say so.
  for (int i = 0; i < 100; ++i) step(true);
  auto input = [](int32_t sync, uint8_t fill) {
    std::vector<uint8_t> m = Make(kMsgInput, kMsgInputSize, kMsgInputSize);
    NetPutI32(m.data() + 8, sync);
    for (int i = 16; i < kMsgInputSize; ++i) m[i] = fill;
    return m;
  };
  for (int32_t sync = 1; sync <= 2; ++sync) {
    const std::vector<uint8_t> m = input(sync, 0x11);
    ASSERT_TRUE(a.session.Send(1, kNetToAll, m.data(), m.size()));
    step(true);
  }
  // "I lost A; here is what it sent last", and a relayed copy, both made up.
  const std::vector<uint8_t> forged = input(3, 0xEE);
  std::vector<uint8_t> gone = {netwire::kGone, static_cast<uint8_t>(a.session.MachineId()), 1, 0xFD, 3, 0, 0, 0,
                               static_cast<uint8_t>(forged.size()), 0};
  gone.insert(gone.end(), forged.begin(), forged.end());
  rogue.Raw(gone);
  std::vector<uint8_t> relay = {netwire::kRelay, static_cast<uint8_t>(a.session.MachineId()), 1, 0xFD, 4, 0, 0, 0};
  const std::vector<uint8_t> forged2 = input(4, 0xEF);
  relay.insert(relay.end(), forged2.begin(), forged2.end());
  rogue.Raw(relay);
  step(true);
  // A falls silent and leaves the session everywhere.
  for (int i = 0; i < 200 && (host.session.GetSlotState(1) != kSlotFree || b.session.GetSlotState(1) != kSlotFree);
       ++i)
    step(false);
  ASSERT_EQ(host.session.GetSlotState(1), kSlotFree);
  ASSERT_EQ(b.session.GetSlotState(1), kSlotFree);
  EXPECT_EQ(heard[0], heard[1]) << "host and B delivered other messages of A";
  for (const auto& m : heard[0]) {
    ASSERT_GE(m.size(), 17u);
    EXPECT_NE(m[16], 0xEE) << "a forged copy reached the host";
    EXPECT_NE(m[16], 0xEF) << "a forged relayed copy reached the host";
  }
  EXPECT_EQ(heard[0].size(), 2u);  // A's two inputs
}

// Only the host, which announced a newcomer, can say that the newcomer was
// never reached: another member's word on one that has not linked up here
// yet does not shut it out of the session.
TEST(NetHostile, AMemberCannotShutOutANewcomer) {
  NetHub hub;
  VirtualClock clock(1000);
  Machine host(&hub, &clock);
  Machine member(&hub, &clock);
  ASSERT_EQ(host.session.SelectProvider(1, 0), kNetOk);
  ASSERT_EQ(host.session.CreateSession("GAME"), kNetOk);
  ASSERT_EQ(host.session.AddLocalPlayer("HOST"), 0);
  member.session.SetWaitHook([&] { host.session.Pump(); });
  ASSERT_EQ(member.session.SelectProvider(1, 0), kNetOk);
  ASSERT_EQ(member.session.EnumSessions(), 1);
  ASSERT_EQ(member.session.JoinSession(0), kNetOk);
  ASSERT_EQ(member.session.AddLocalPlayer("MEMBER"), 1);
  const int memberPort = member.session.transport()->LocalPort();

  // Machines that join by hand: each says where it takes links, and the
  // rogue links up to the member as a newcomer should; the newcomer does
  // not (yet).
  struct Raw {
    std::unique_ptr<NetTransport> t;
    int toHost = -1;
    int id = -1;
  };
  auto join = [&](Raw& r) {
    std::vector<NetSessionInfo> found;
    r.t->Discover(&found, 0);
    ASSERT_FALSE(found.empty());
    r.toHost = r.t->Connect(found[0]);
    const uint16_t port = r.t->LocalPort();
    std::vector<uint8_t> j = {netwire::kJoin, 2, 0, static_cast<uint8_t>(port), static_cast<uint8_t>(port >> 8)};
    r.t->Send(r.toHost, j.data(), j.size());
    host.session.Pump();
    NetTransportEvent ev;
    while (r.t->Poll(&ev))
      if (ev.kind == NetTransportEvent::kReceived && ev.data.size() == 4 && ev.data[0] == netwire::kWelcome)
        r.id = ev.data[1];
    ASSERT_GE(r.id, 0);
  };
  Raw rogue{hub.MakeTransport()};
  join(rogue);
  NetSessionInfo memberAt;
  memberAt.address = "hub";
  memberAt.port = static_cast<uint16_t>(memberPort);
  const int rogueToMember = rogue.t->Connect(memberAt);
  std::vector<uint8_t> hello = {netwire::kHello, static_cast<uint8_t>(rogue.id)};
  rogue.t->Send(rogueToMember, hello.data(), hello.size());
  member.session.Pump();
  ASSERT_EQ(member.session.LinkedMachines(), 2);

  Raw newcomer{hub.MakeTransport()};
  join(newcomer);
  member.session.Pump();  // the host's word on the newcomer is in
  std::vector<uint8_t> gone = {netwire::kGone, static_cast<uint8_t>(newcomer.id)};
  rogue.t->Send(rogueToMember, gone.data(), gone.size());
  member.session.Pump();

  // The newcomer links up now and is taken.
  const int newcomerToMember = newcomer.t->Connect(memberAt);
  hello = {netwire::kHello, static_cast<uint8_t>(newcomer.id)};
  newcomer.t->Send(newcomerToMember, hello.data(), hello.size());
  member.session.Pump();
  EXPECT_EQ(member.session.LinkedMachines(), 3);
}
