// Who gets into a session over real UDP on this machine: forged connection
// requests, connections that never join, a machine grabbing players' slots
// or taking other machines' players away, and questions to the search port
// that would make it a reflector. Only loopback addresses are used; the
// hostile machines speak from 127.0.0.2 and up, so that the honest ones'
// address (127.0.0.1) stays apart from theirs.
#include <enet/enet.h>
#include <fcntl.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "frontend/lobby.h"
#include "tests/net/enet_test_util.h"
#include "tests/net/net_test_util.h"

namespace {

using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

sockaddr_in Address(const char* ip, int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  inet_pton(AF_INET, ip, &a.sin_addr);
  a.sin_port = htons(static_cast<uint16_t>(port));
  return a;
}

// A UDP socket on ip, any port, that never blocks.
int UdpSocket(const char* ip) {
  int s = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a = Address(ip, 0);
  if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    if (s >= 0) close(s);
    return -1;
  }
  fcntl(s, F_SETFL, O_NONBLOCK);
  return s;
}

void SendTo(int s, int port, const Bytes& d) {
  sockaddr_in to = Address("127.0.0.1", port);
  sendto(s, d.data(), d.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
}

// Every datagram that reached the socket so far.
std::vector<Bytes> Drain(int s) {
  std::vector<Bytes> out;
  uint8_t buf[2048];
  for (;;) {
    ssize_t n = recv(s, buf, sizeof buf, 0);
    if (n < 0) break;
    out.emplace_back(buf, buf + n);
  }
  return out;
}

// The first datagram of an ENet handshake, as anyone can forge it from any
// port: the host answers it and waits for an acknowledgement that never comes.
Bytes ConnectRequest(uint32_t connectId) {
  ENetProtocolHeader h{};
  h.peerID = ENET_HOST_TO_NET_16(static_cast<uint16_t>(int{ENET_PROTOCOL_MAXIMUM_PEER_ID} | int{ENET_PROTOCOL_HEADER_FLAG_SENT_TIME}));
  h.sentTime = ENET_HOST_TO_NET_16(1);
  ENetProtocolConnect c{};
  c.header.command = static_cast<uint8_t>(int{ENET_PROTOCOL_COMMAND_CONNECT} | int{ENET_PROTOCOL_COMMAND_FLAG_ACKNOWLEDGE});
  c.header.channelID = 0xFF;
  c.header.reliableSequenceNumber = ENET_HOST_TO_NET_16(1);
  c.outgoingPeerID = ENET_HOST_TO_NET_16(0);
  c.incomingSessionID = 0xFF;
  c.outgoingSessionID = 0xFF;
  c.mtu = ENET_HOST_TO_NET_32(1392);
  c.windowSize = ENET_HOST_TO_NET_32(ENET_PROTOCOL_MAXIMUM_WINDOW_SIZE);
  c.channelCount = ENET_HOST_TO_NET_32(2);
  c.packetThrottleInterval = ENET_HOST_TO_NET_32(ENET_PEER_PACKET_THROTTLE_INTERVAL);
  c.packetThrottleAcceleration = ENET_HOST_TO_NET_32(2);
  c.packetThrottleDeceleration = ENET_HOST_TO_NET_32(2);
  c.connectID = connectId;
  Bytes d(sizeof h + sizeof c);
  std::memcpy(d.data(), &h, sizeof h);
  std::memcpy(d.data() + sizeof h, &c, sizeof c);
  return d;
}

// A hosting session over ENet whose admission limits run on a clock of the
// test's own, with its player in slot 0.
struct LoopbackHost {
  LoopbackHost() : port(FreePortPair()), store(WriteLoopbackSettings(port, true)) {
    session.SetClock(&clock);
  }
  ~LoopbackHost() {
    session.Close();
    std::filesystem::remove_all(std::filesystem::path(store).parent_path());
    RegSetStorePath("");
  }
  bool Start() {
    return port != 0 && session.SelectProvider(1, 0) == kNetOk && session.CreateSession("ADMISSION") == kNetOk &&
           session.AddLocalPlayer("HOST") == 0;
  }
  void Pump(int times = 1) {
    for (int i = 0; i < times; ++i) {
      session.Pump();
      session.WaitForTraffic(1);
    }
  }

  int port;
  std::string store;
  VirtualClock clock{1000};
  NetSession session{[this](int) {
                       EnetTransportOptions o;
                       o.clock = &clock;
                       return MakeEnetTransport(o);
                     },
                     {"UDP NETWORK"}};
};

// Runs the host's session on a thread of its own while an honest machine
// waits for its answers.
class PumpThread {
 public:
  explicit PumpThread(NetSession* s) : thread_([this, s] {
      while (!stop_) {
        s->Pump();
        s->WaitForTraffic(2);
      }
    }) {}
  ~PumpThread() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// An honest machine's session finds the host, joins and adds its player:
// the slot, or -1 when any step fails.
int JoinHonestly(NetSession& client, const char* name) {
  if (client.SelectProvider(1, 0) != kNetOk) return -1;
  int found = 0;
  for (int i = 0; i < 5 && found == 0; ++i) found = client.EnumSessions();
  if (found == 0 || client.JoinSession(0) != kNetOk) return -1;
  return client.AddLocalPlayer(name);
}

// A machine that speaks the session's packets by hand over its own ENet host.
class RawMachine {
 public:
  explicit RawMachine(const char* ip) {
    ENetAddress a;
    enet_address_set_host(&a, ip);
    a.port = 0;
    host_ = enet_host_create(&a, 1, 2, 0, 0);
  }
  ~RawMachine() {
    if (host_) enet_host_destroy(host_);
  }
  bool ok() const { return host_ != nullptr; }
  void Connect(int port) {
    ENetAddress to;
    enet_address_set_host(&to, "127.0.0.1");
    to.port = static_cast<uint16_t>(port);
    peer_ = enet_host_connect(host_, &to, 2, 0);
  }
  void Send(const Bytes& p) {
    if (!peer_ || !connected) return;
    enet_peer_send(peer_, 0, enet_packet_create(p.data(), p.size(), ENET_PACKET_FLAG_RELIABLE));
    enet_host_flush(host_);
  }
  void Leave() {
    if (peer_ && connected) enet_peer_disconnect(peer_, 0);
    enet_host_flush(host_);
  }
  // Takes what came without waiting.
  void Service() {
    ENetEvent e;
    while (host_ && enet_host_service(host_, &e, 0) > 0) {
      if (e.type == ENET_EVENT_TYPE_CONNECT) connected = true;
      if (e.type == ENET_EVENT_TYPE_DISCONNECT) {
        disconnected = connected;
        connected = false;
      }
      if (e.type == ENET_EVENT_TYPE_RECEIVE) {
        received.emplace_back(e.packet->data, e.packet->data + e.packet->dataLength);
        enet_packet_destroy(e.packet);
      }
    }
  }
  // Services this machine and runs `other` until `done` or the time is up.
  bool Until(const std::function<bool()>& done, const std::function<void()>& other,
             std::chrono::milliseconds limit = 3000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      other();
      Service();
      if (done()) return true;
      std::this_thread::sleep_for(1ms);
    }
    return done();
  }
  // The packet of this kind that came last (empty when none).
  Bytes Last(uint8_t kind) const {
    for (auto it = received.rbegin(); it != received.rend(); ++it)
      if (!it->empty() && (*it)[0] == kind) return *it;
    return {};
  }

  // Joins the session as a machine (the welcome's machine id, -1 refused).
  int Join(LoopbackHost& host) {
    Connect(host.port);
    if (!Until([&] { return connected; }, [&] { host.Pump(); })) return -1;
    Send({netwire::kJoin, 2, 0, 0, 0});
    if (!Until([&] { return !Last(netwire::kWelcome).empty(); }, [&] { host.Pump(); })) return -1;
    return Last(netwire::kWelcome)[1];
  }
  // Asks the host for a player's slot (-1 refused, -2 no answer).
  int Add(LoopbackHost& host, const char* name) {
    Bytes p(2 + kNetNameSize, 0);
    p[0] = netwire::kAdd;
    p[1] = ++request_;
    NetPutName(p.data() + 2, kNetNameSize, name);
    Send(p);
    auto answered = [&] {
      Bytes a = Last(netwire::kAdded);
      return a.size() == 3 && a[1] == request_;
    };
    if (!Until(answered, [&] { host.Pump(); })) return -2;
    return static_cast<int8_t>(Last(netwire::kAdded)[2]);
  }
  void App(int from, int to, const Bytes& msg) {
    Bytes p = {netwire::kApp, static_cast<uint8_t>(from), static_cast<uint8_t>(to), ++seq_, 0, 0, 0};
    p.insert(p.end(), msg.begin(), msg.end());
    Send(p);
  }

  bool connected = false;
  bool disconnected = false;
  std::vector<Bytes> received;

 private:
  ENetHost* host_ = nullptr;
  ENetPeer* peer_ = nullptr;
  uint8_t request_ = 0;
  uint8_t seq_ = 0;
};

class NetAdmission : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(enet_initialize(), 0); }
  void TearDown() override { enet_deinitialize(); }
};

// Forged requests (each from another port, never acknowledged) hold a few
// handshakes per address, for a few seconds; a machine elsewhere joins
// while the flood goes on.
TEST_F(NetAdmission, ForgedConnectionRequestsDoNotKeepAMachineOut) {
  LoopbackHost host;
  ASSERT_TRUE(host.Start());
  // How many of n new forged senders get the handshake's answer.
  auto forge = [&](int n) {
    std::vector<int> senders;
    for (int i = 0; i < n; ++i) {
      senders.push_back(UdpSocket("127.0.0.2"));
      SendTo(senders.back(), host.port, ConnectRequest(0x1000u + static_cast<uint32_t>(i)));
    }
    host.Pump(3);
    std::this_thread::sleep_for(20ms);
    int answered = 0;
    for (int s : senders) {
      answered += !Drain(s).empty();
      close(s);
    }
    return answered;
  };
  EXPECT_EQ(forge(16), 4);
  EXPECT_EQ(forge(8), 0) << "the address has its share of handshakes under way";
  host.clock.Advance(3000);
  host.Pump();
  EXPECT_EQ(forge(8), 4) << "unfinished handshakes give their slots back in time";

  // Now a flood from eight addresses, new ports all the time, while an
  // honest machine joins.
  std::atomic<bool> stop{false};
  std::thread flood([&] {
    uint32_t id = 0x2000;
    while (!stop) {
      for (int a = 2; a <= 9 && !stop; ++a) {
        const std::string ip = "127.0.0." + std::to_string(a);
        for (int i = 0; i < 4; ++i) {
          int s = UdpSocket(ip.c_str());
          SendTo(s, host.port, ConnectRequest(id++));
          close(s);
        }
      }
      std::this_thread::sleep_for(20ms);
    }
  });
  int slot = -1;
  {
    PumpThread pump(&host.session);
    std::this_thread::sleep_for(50ms);  // the flood is in
    NetSession client;
    slot = JoinHonestly(client, "HONEST");
    client.Close();
  }
  stop = true;
  flood.join();
  EXPECT_EQ(slot, 1);
}

// Connections that never join are dropped after the join window, however
// busily they ping; one address holds no more than its share of peer slots
// meanwhile, and a joined machine is not touched by the window.
TEST_F(NetAdmission, ConnectionsThatNeverJoinAreDroppedWhateverTheySend) {
  LoopbackHost host;
  ASSERT_TRUE(host.Start());
  RawMachine member("127.0.0.1");
  ASSERT_GE(member.Join(host), 0);
  std::vector<std::unique_ptr<RawMachine>> idle;
  for (int i = 0; i < 12; ++i) {
    idle.push_back(std::make_unique<RawMachine>("127.0.0.2"));
    ASSERT_TRUE(idle.back()->ok());
    idle.back()->Connect(host.port);
  }
  auto connected = [&] {
    int n = 0;
    for (auto& m : idle) n += m->connected;
    return n;
  };
  auto serviceAll = [&] {
    host.Pump();
    member.Service();
    for (auto& m : idle) {
      m->Service();
      m->Send({netwire::kPing});
    }
  };
  idle[0]->Until([&] { return connected() >= 8; }, serviceAll, 4000ms);
  // More time for any that the limit should not have let in.
  idle[0]->Until([] { return false; }, serviceAll, 300ms);
  EXPECT_EQ(connected(), 8);
  // The ones kept out stop trying (they would take the freed slots later).
  std::erase_if(idle, [](const std::unique_ptr<RawMachine>& m) { return !m->connected; });
  ASSERT_FALSE(idle.empty());

  host.clock.Advance(4900);
  idle[0]->Until([] { return false; }, serviceAll, 100ms);
  EXPECT_EQ(connected(), 8) << "still within the join window";
  host.clock.Advance(200);
  auto allDropped = [&] {
    for (auto& m : idle)
      if (m->connected) return false;
    return true;
  };
  EXPECT_TRUE(idle[0]->Until(allDropped, serviceAll, 2000ms));
  EXPECT_TRUE(member.connected);
  EXPECT_FALSE(member.disconnected);
}

// A joined machine gets two players at most, however it asks, and the rest
// of the slots stay for the others.
TEST_F(NetAdmission, AMachineTakesNoMoreThanItsTwoPlayers) {
  LoopbackHost host;
  ASSERT_TRUE(host.Start());
  RawMachine grabber("127.0.0.1");
  const int id = grabber.Join(host);
  ASSERT_GE(id, 0);
  EXPECT_EQ(grabber.Add(host, "GRAB1"), 1);
  EXPECT_EQ(grabber.Add(host, "GRAB2"), 2);
  EXPECT_EQ(grabber.Add(host, "GRAB3"), -1);
  EXPECT_EQ(grabber.Add(host, "GRAB4"), -1);
  // Nor by telling of a player of its own that nobody gave a slot.
  Bytes claim(4 + kNetNameSize, 0);
  claim[0] = netwire::kPlayer;
  claim[1] = 3;
  claim[3] = static_cast<uint8_t>(id);
  NetPutName(claim.data() + 4, kNetNameSize, "GRAB5");
  grabber.Send(claim);
  grabber.Until([] { return false; }, [&] { host.Pump(); }, 100ms);
  EXPECT_EQ(host.session.GetSlotState(3), kSlotFree);
  EXPECT_EQ(host.session.PlayerCount(), 3);

  int slot = -1;
  {
    PumpThread pump(&host.session);
    std::thread keep([&] {
      for (int i = 0; i < 200; ++i) {
        grabber.Service();
        std::this_thread::sleep_for(5ms);
      }
    });
    NetSession client;
    slot = JoinHonestly(client, "HONEST");
    client.Close();
    keep.join();
  }
  EXPECT_EQ(slot, 3);
}

// A machine speaks for its own players only. One without players takes no
// one away, nor makes the host believe itself dropped when it leaves; one
// with a player whose players never voted cannot either. A drop vote counts
// only during a game: in the lobby a vote and a cut leave the host's lobby
// open. And the host is dropped by the others' agreement, never by one
// machine's vote: during a game it takes such a machine for gone.
TEST_F(NetAdmission, NoMachineRemovesAnothersPlayersOrShutsTheLobby) {
  struct Case {
    const char* name;
    bool withPlayer;
    bool voted;
    bool inGame;
    bool hostDropped;
  };
  const Case cases[] = {
      {"no players", false, false, false, false},
      {"a player who never voted", true, false, false, false},
      {"a player who voted in the lobby", true, true, false, false},
      {"a vote of one during a game", true, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackHost host;
    ASSERT_TRUE(host.Start());
    host.session.SetGameRunning(c.inGame);
    PlayerRecord players[kMaxPlayers] = {};
    int32_t local[3] = {0, -1, 0};
    int32_t mode = 2, event = 1, training = 0;
    LobbyContext ctx{&host.session, players, local, &mode, &event, &training};
    NetLobby lobby(ctx);
    lobby.SetOwnSlot(0);

    RawMachine rogue("127.0.0.1");
    const int id = rogue.Join(host);
    ASSERT_GE(id, 0);
    int own = -1;
    if (c.withPlayer) {
      own = rogue.Add(host, "ROGUE");
      ASSERT_EQ(own, 1);
    }
    rogue.Send({netwire::kLeft, 0});
    rogue.Send({netwire::kLeft, 2});
    rogue.Send({netwire::kGone, 0});
    if (c.voted) {
      Bytes vote(kMsgShortSize, 0);
      NetPutHeader(vote.data(), kMsgDropVote, kMsgShortSize);
      vote[4] = 1;
      rogue.App(own, kNetToAll, vote);
    }
    rogue.Send({netwire::kCut});
    rogue.Until([] { return false; }, [&] { host.Pump(); }, 100ms);
    EXPECT_EQ(host.session.GetSlotState(0), kSlotLocal);
    EXPECT_FALSE(lobby.Poll().hostLeft);

    rogue.Leave();
    bool hostLeft = false;
    rogue.Until([&] { return host.session.GetSlotState(1) == kSlotFree && host.session.LinkedMachines() == 0; },
                [&] {
                  host.Pump();
                  hostLeft |= lobby.Poll().hostLeft;
                });
    hostLeft |= lobby.Poll().hostLeft;
    EXPECT_EQ(hostLeft, c.hostDropped);
    if (!c.hostDropped) {
      EXPECT_EQ(host.session.GetSlotState(0), kSlotLocal);
      EXPECT_EQ(host.session.PlayerCount(), 1);
    }
  }
}

// A join that ran out of time (the host was busy) spoils no later one: the
// host's late answers to the old attempt must not reach the new one, and
// the same copy joins at once when it tries again.
TEST_F(NetAdmission, AJoinAfterAFailedJoinSucceeds) {
  LoopbackHost host;
  ASSERT_TRUE(host.Start());
  NetSession client;  // the game's own: ENet on the real clock
  ASSERT_EQ(client.SelectProvider(1, 0), kNetOk);
  {
    PumpThread answering(&host.session);
    int found = 0;
    for (int i = 0; i < 5 && found == 0; ++i) found = client.EnumSessions();
    ASSERT_GE(found, 1);
  }
  // The host looks at nothing while the first attempt waits for it.
  EXPECT_NE(client.JoinSession(0), kNetOk);
  EXPECT_EQ(client.MachineId(), -1);
  PumpThread answering(&host.session);
  ASSERT_EQ(client.JoinSession(0), kNetOk);
  EXPECT_EQ(client.AddLocalPlayer("LATE"), 1);
  client.Close();
}

// The search port answers only a question at least as long as its answer,
// so that a forged sender gets no more than it sent, and at a bounded rate
// per address and in all.
TEST_F(NetAdmission, SearchPortIsNoReflector) {
  const int port = FreePortPair();
  ASSERT_NE(port, 0);
  const std::string store = WriteLoopbackSettings(port, true);
  VirtualClock clock(1000);
  EnetTransportOptions options;
  options.clock = &clock;
  auto host = MakeEnetTransport(options);
  ASSERT_TRUE(host);
  ASSERT_TRUE(host->Listen("FIFTEEN CHARS!!"));  // the longest answer: 22 bytes
  auto poll = [&] {
    NetTransportEvent ev;
    for (int i = 0; i < 8; ++i) {
      while (host->Poll(&ev)) {
      }
    }
    std::this_thread::sleep_for(10ms);
  };
  auto question = [](size_t size, const char* tag = "KLQ1") {
    Bytes q(size, 0);
    std::memcpy(q.data(), tag, std::min<size_t>(4, size));
    return q;
  };
  int asker = UdpSocket("127.0.0.1");
  ASSERT_GE(asker, 0);
  struct Case {
    Bytes query;
    bool answered;
  };
  const Case cases[] = {
      {question(4), false},  {question(21), false}, {question(22), true},  {question(40), true},
      {question(22, "KLQ2"), false}, {Bytes(22, 0), false}, {question(1000), false},
      {question(2), false},
  };
  for (const Case& c : cases) {
    SendTo(asker, port + 1, c.query);
    poll();
    std::vector<Bytes> answers = Drain(asker);
    EXPECT_EQ(answers.size(), c.answered ? 1u : 0u) << c.query.size() << " bytes";
    for (const Bytes& a : answers) EXPECT_LE(a.size(), c.query.size());
  }

  // The rate: a burst of eight per address, then four a second.
  auto ask = [&](int s, int n) {
    for (int i = 0; i < n; ++i) SendTo(s, port + 1, question(22));
    poll();
    return static_cast<int>(Drain(s).size());
  };
  clock.Advance(10000);
  EXPECT_EQ(ask(asker, 40), 8);
  EXPECT_EQ(ask(asker, 40), 0);
  clock.Advance(1000);
  EXPECT_EQ(ask(asker, 40), 4);
  // In all: 32 at once, from however many addresses.
  clock.Advance(10000);
  int total = 0;
  std::vector<int> others;
  for (int a = 2; a <= 9; ++a) {
    others.push_back(UdpSocket(("127.0.0." + std::to_string(a)).c_str()));
    total += ask(others.back(), 8);
  }
  EXPECT_EQ(total, 32);
  EXPECT_EQ(ask(asker, 8), 0);
  for (int s : others) close(s);
  close(asker);

  // An honest search still finds the session.
  clock.Advance(10000);
  std::atomic<bool> stop{false};
  std::thread serve([&] {
    while (!stop) poll();
  });
  auto seeker = MakeEnetTransport();
  std::vector<NetSessionInfo> found;
  for (int i = 0; i < 5 && found.empty(); ++i) seeker->Discover(&found, 300);
  stop = true;
  serve.join();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].name, "FIFTEEN CHARS!!");
  seeker.reset();
  host.reset();
  std::filesystem::remove_all(std::filesystem::path(store).parent_path());
  RegSetStorePath("");
}

// Many addresses asking far beyond their share, all the time, share the
// rate among themselves in turn; a searcher who asks as the session list
// does (one question, and another a second later), after them, is answered
// at once every time. Nobody gets more than the budgets allow, and no
// answer is longer than its question.
TEST_F(NetAdmission, ASearchFloodFromManyAddressesStarvesNoSearcher) {
  const int port = FreePortPair();
  ASSERT_NE(port, 0);
  const std::string store = WriteLoopbackSettings(port, true);
  VirtualClock clock(1000);
  EnetTransportOptions options;
  options.clock = &clock;
  auto host = MakeEnetTransport(options);
  ASSERT_TRUE(host);
  ASSERT_TRUE(host->Listen("FIFTEEN CHARS!!"));
  const Bytes question = [] {
    Bytes q(22, 0);
    std::memcpy(q.data(), "KLQ1", 4);
    return q;
  }();
  constexpr int kFlooders = 16, kSteps = 100, kStepMs = 50, kEvery = 20;
  std::vector<int> flooders;
  for (int a = 0; a < kFlooders; ++a) {
    flooders.push_back(UdpSocket(("127.0.0." + std::to_string(a + 2)).c_str()));
    ASSERT_GE(flooders.back(), 0);
  }
  const int honest = UdpSocket("127.0.0.1");
  ASSERT_GE(honest, 0);
  std::vector<int> floodAnswers(kFlooders, 0);
  int asked = 0, answered = 0, total = 0, askedAt = 0, longestWait = 0;
  for (int step = 0; step < kSteps; ++step) {
    clock.Advance(kStepMs);
    for (int f : flooders)
      for (int k = 0; k < 4; ++k) SendTo(f, port + 1, question);  // 80 a second each
    if (step % kEvery == 0) {
      SendTo(honest, port + 1, question);
      ++asked;
      askedAt = step;
    }
    std::this_thread::sleep_for(2ms);  // every datagram in before the host looks
    NetTransportEvent ev;
    for (int i = 0; i < 8; ++i) {
      while (host->Poll(&ev)) {
      }
    }
    std::this_thread::sleep_for(2ms);
    for (int a = 0; a < kFlooders; ++a) {
      for (const Bytes& b : Drain(flooders[a])) {
        EXPECT_LE(b.size(), question.size());
        ++floodAnswers[a];
      }
    }
    for (const Bytes& b : Drain(honest)) {
      EXPECT_LE(b.size(), question.size());
      ++answered;
      longestWait = std::max(longestWait, step - askedAt);
    }
  }
  EXPECT_EQ(answered, asked) << "the honest searcher was starved";
  EXPECT_LE(longestWait, 1) << "steps of " << kStepMs << " ms";
  const double seconds = kSteps * kStepMs / 1000.0;
  for (int n : floodAnswers) {
    total += n;
    EXPECT_LE(n, 8 + 4 * seconds);  // an address's burst and rate
  }
  total += answered;
  EXPECT_LE(total, 32 + 32 * seconds);  // the rate in all
  EXPECT_GE(total, 32 * seconds);        // and the flood had it spent
  // Round the addresses: each flooder had as many answers as another, give or take one.
  const auto [least, most] = std::minmax_element(floodAnswers.begin(), floodAnswers.end());
  EXPECT_LE(*most - *least, 1) << "the flooding addresses were not answered in turn";
  for (int f : flooders) close(f);
  close(honest);
  host.reset();
  std::filesystem::remove_all(std::filesystem::path(store).parent_path());
  RegSetStorePath("");
}

}  // namespace
