// The network provider for real: two processes on 127.0.0.1 over ENet. Only
// loopback addresses are used (the game port is bound to 127.0.0.1 and the
// session search broadcasts to 127.255.255.255), and every wait is bounded.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <enet/enet.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "base/registry.h"
#include "tests/net/enet_test_util.h"
#include "tests/net/net_test_util.h"

namespace {

constexpr int kFrames = 1000;

class RealUi : public LockStepUi {
 public:
  explicit RealUi(int slot) : slot_(slot) {}
  void PollActionMap(int which, uint8_t actions[kPlayerStateSize]) override {
    for (int i = 0; i < kPlayerStateSize; ++i) actions[i] = which == 0 ? TestInputByte(slot_, reads_, i) : 0;
    if (which == 0) ++reads_;
  }

 private:
  int slot_;
  int reads_ = 0;
};

// Plays the frames; returns the running hash of every frame's exchanged
// input, or 0 when an exchange failed.
uint32_t PlayFrames(NetSession& session, int ownSlot, const char* name) {
  PlayerRecord players[4] = {};
  for (int p = 0; p < 4; ++p) InitPlayerRecord(&players[p], p);
  SetPlayerName(&players[ownSlot], name);
  players[ownSlot].human = 1;
  uint8_t states[4][kPlayerStateSize] = {};
  int32_t local[3] = {ownSlot, 1, 99};
  int32_t mode = 2;
  RealUi ui(ownSlot);
  LockStepContext c{&session, players, states, local, &mode, nullptr};
  LockStep ls(c, &ui);
  if (ls.WaitForPlayers() != 0) return 0;
  uint32_t hash = 2166136261u;
  for (int f = 0; f < kFrames; ++f) {
    if (ls.ExchangeInput() != 0 || mode != 2) return 0;
    uint32_t check = static_cast<uint32_t>(f);
    for (int s = 0; s < 2; ++s)
      for (int i = 0; i < kPlayerStateSize; ++i) check = check * 16777619u ^ states[s][i];
    hash = (hash ^ check) * 16777619u;
    ls.SetSyncCheck(static_cast<int32_t>(check));
    ls.ReadLocalInput();
  }
  return hash ? hash : 1;
}

TEST(NetEnetChild, Client) {
  const char* store = std::getenv("KEL_NET_CHILD_STORE");
  if (!store) GTEST_SKIP() << "runs only as the second process of NetEnet.TwoProcessesOnLoopback";
  alarm(60);  // never outlives a broken parent
  RegSetStorePath(store);
  NetSession session;
  ASSERT_EQ(session.SelectProvider(1, 0), kNetOk);
  int found = 0;
  for (int i = 0; i < 20 && found == 0; ++i) found = session.EnumSessions();
  ASSERT_GE(found, 1);
  int index = -1;
  for (int i = 0; i < found; ++i)
    if (std::string(session.GetSessionName(i)) == "LOOPTEST") index = i;
  ASSERT_GE(index, 0);
  ASSERT_EQ(session.JoinSession(index), kNetOk);
  int slot = session.AddLocalPlayer("CHILD");
  ASSERT_EQ(slot, 1);
  NetMessage m;
  while (session.Receive(&m)) {
  }
  uint32_t hash = PlayFrames(session, slot, "CHILD");
  std::printf("\nKEL_NET_HASH=%u\n", hash);
  std::fflush(stdout);
  // Stay in the session until the parent kills this process.
  for (;;) {
    session.Pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

TEST(NetEnet, TwoProcessesOnLoopback) {
  int port = FreePortPair();
  ASSERT_NE(port, 0);
  std::string store = WriteLoopbackSettings(port, true);
  NetSession host;
  host.SetTimeoutMs(1500);
  ASSERT_EQ(host.SelectProvider(1, 0), kNetOk);
  ASSERT_STREQ(host.GetProviderName(0), "UDP NETWORK");
  ASSERT_EQ(host.CreateSession("LOOPTEST"), kNetOk);
  ASSERT_EQ(host.AddLocalPlayer("HOST"), 0);

  int out[2];
  ASSERT_EQ(pipe(out), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(out[1], 1);
    close(out[0]);
    setenv("KEL_NET_CHILD_STORE", store.c_str(), 1);
    char filter[] = "--gtest_filter=NetEnetChild.Client";
    char* argv[] = {const_cast<char*>("test_net"), filter, nullptr};
    execv("/proc/self/exe", argv);
    _exit(127);
  }
  close(out[1]);
  auto kill_child = [&] {
    if (child > 0) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
      child = -1;
    }
  };

  // The second process finds the session, joins and takes slot 1.
  auto start = std::chrono::steady_clock::now();
  auto elapsed = [&] { return std::chrono::steady_clock::now() - start; };
  while (host.PlayerCount() < 2 && elapsed() < std::chrono::seconds(20)) {
    host.Pump();
    host.WaitForTraffic(10);
  }
  if (host.PlayerCount() < 2) kill_child();
  ASSERT_EQ(host.PlayerCount(), 2);
  EXPECT_STREQ(host.GetPlayerName(1), "CHILD");
  NetMessage m;
  while (host.Receive(&m)) {
  }

  uint32_t hash = PlayFrames(host, 0, "HOST");
  EXPECT_NE(hash, 0u);

  // The other process reports the same sync values over all frames.
  std::string text;
  char buf[512];
  while (text.find("KEL_NET_HASH=") == std::string::npos || text.back() != '\n') {
    ssize_t n = read(out[0], buf, sizeof buf);
    if (n <= 0) break;
    text.append(buf, static_cast<size_t>(n));
    if (text.find("KEL_NET_HASH=") != std::string::npos && text.find('\n', text.find("KEL_NET_HASH=")) != std::string::npos)
      break;
  }
  size_t at = text.find("KEL_NET_HASH=");
  ASSERT_NE(at, std::string::npos) << text;
  uint32_t childHash = static_cast<uint32_t>(std::strtoul(text.c_str() + at + 13, nullptr, 10));
  EXPECT_EQ(childHash, hash);

  // Killed, the other process is reported as left after the timeout.
  kill_child();
  start = std::chrono::steady_clock::now();
  bool left = false;
  while (!left && elapsed() < std::chrono::seconds(15)) {
    while (host.Receive(&m)) {
      DecodedNetMessage d;
      if (DecodeNetMessage(m.from, m.data.data(), m.data.size(), &d) && d.type == kMsgPlayerLeft && d.slot == 1)
        left = true;
    }
    host.WaitForTraffic(20);
  }
  EXPECT_TRUE(left);
  EXPECT_EQ(host.PlayerCount(), 1);
  close(out[0]);
  host.Close();
  std::filesystem::remove_all(std::filesystem::path(store).parent_path());
  RegSetStorePath("");
}

TEST(NetEnet, BroadcastSearchFindsASessionOnLoopback) {
  int port = FreePortPair();
  ASSERT_NE(port, 0);
  std::string store = WriteLoopbackSettings(port, false);  // no host address: broadcast only
  auto hostT = MakeEnetTransport();
  ASSERT_TRUE(hostT);
  ASSERT_TRUE(hostT->Listen("BCAST"));
  PolledTransport server(hostT.get());
  auto seeker = MakeEnetTransport();
  std::vector<NetSessionInfo> found;
  for (int i = 0; i < 5 && found.empty(); ++i) seeker->Discover(&found, 300);
  server.Stop();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].name, "BCAST");
  EXPECT_EQ(found[0].address, "127.0.0.1");
  EXPECT_EQ(found[0].port, port);
  seeker.reset();
  hostT.reset();
  std::filesystem::remove_all(std::filesystem::path(store).parent_path());
  RegSetStorePath("");
}

// An address the player typed, with the host's own game port: found
// without a broadcast and although this machine's game port is another.
// The address is read at each search, so a new one counts at once.
TEST(NetEnet, TypedAddressWithPortFindsTheHost) {
  int port = FreePortPair();
  ASSERT_NE(port, 0);
  std::string store = WriteLoopbackSettings(port, false);
  auto hostT = MakeEnetTransport();
  ASSERT_TRUE(hostT);
  ASSERT_TRUE(hostT->Listen("BYADDR"));
  PolledTransport server(hostT.get());
  RegWriteString(kRegConfig, "NETBROADCAST", "");
  RegWriteInt(kRegConfig, "NETPORT", port == 27815 ? 27817 : 27815);
  auto seeker = MakeEnetTransport();
  std::vector<NetSessionInfo> found;
  seeker->Discover(&found, 200);
  EXPECT_TRUE(found.empty()) << "no address and no broadcast: nobody is asked";
  for (const std::string typed : {"127.0.0.1:" + std::to_string(port), "localhost:" + std::to_string(port)}) {
    RegWriteString(kRegConfig, "NETHOST", typed.c_str());
    found.clear();
    for (int i = 0; i < 5 && found.empty(); ++i) seeker->Discover(&found, 300);
    ASSERT_EQ(found.size(), 1u) << typed;
    EXPECT_EQ(found[0].name, "BYADDR");
    EXPECT_EQ(found[0].port, port);
  }
  // An address that cannot be used asks nobody and harms nothing.
  RegWriteString(kRegConfig, "NETHOST", "127.0.0.1:99999");
  found.clear();
  seeker->Discover(&found, 200);
  EXPECT_TRUE(found.empty());
  server.Stop();
  seeker.reset();
  hostT.reset();
  std::filesystem::remove_all(std::filesystem::path(store).parent_path());
  RegSetStorePath("");
}

// The search ends on time whatever answers it gets and whatever the game
// clock does: a hostile machine that floods it with answers (each from
// another port, so none is a duplicate) is heard for the given time only,
// and a headless run's game clock, which stands still, does not stop it.
TEST(NetEnet, SearchEndsOnTimeUnderAFloodAndAStoppedClock) {
  int port = FreePortPair();
  ASSERT_NE(port, 0);
  std::string store = WriteLoopbackSettings(port, true);
  int answerer = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(port + 1));
  ASSERT_EQ(bind(answerer, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  timeval tv{0, 20000};
  setsockopt(answerer, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  std::atomic<bool> stop{false};
  std::thread flood([&] {
    sockaddr_in seeker{};
    socklen_t len = sizeof seeker;
    char q[32];
    while (!stop && recvfrom(answerer, q, sizeof q, 0, reinterpret_cast<sockaddr*>(&seeker), &len) < 4) {
      len = sizeof seeker;
    }
    uint8_t reply[22] = {'K', 'L', 'R', '1', 0, 0, 'F', 'L', 'O', 'O', 'D', 0};
    for (uint32_t i = 0; !stop; ++i) {
      reply[4] = static_cast<uint8_t>(i);
      reply[5] = static_cast<uint8_t>(i >> 8);
      sendto(answerer, reply, sizeof reply, 0, reinterpret_cast<sockaddr*>(&seeker), sizeof seeker);
    }
  });
  VirtualClock stopped(5000);
  Clock* saved = SetClock(&stopped);
  // A watchdog: a search that never ends fails the test instead of hanging it.
  std::thread watchdog([&] {
    for (int i = 0; i < 1000 && !stop; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!stop) {
      std::fprintf(stderr, "the session search did not end\n");
      std::_Exit(1);
    }
  });
  auto seeker = MakeEnetTransport();
  ASSERT_TRUE(seeker);
  std::vector<NetSessionInfo> found;
  const auto began = std::chrono::steady_clock::now();
  seeker->Discover(&found, 300);
  const auto took = std::chrono::steady_clock::now() - began;
  stop = true;
  watchdog.join();
  flood.join();
  SetClock(saved);
  close(answerer);
  EXPECT_LT(took, std::chrono::seconds(3));
  EXPECT_GE(took, std::chrono::milliseconds(250));
  EXPECT_FALSE(found.empty());
  EXPECT_LE(found.size(), 32u);  // no more than a menu could list
  seeker.reset();
  std::filesystem::remove_all(std::filesystem::path(store).parent_path());
  RegSetStorePath("");
}

// A headless game runs on a virtual clock that stands still or races ahead of
// real time; the session over the network keeps to the real clock: a join
// waits for the host's real answer, and a jump of the game clock does not
// make a peer that is still there look silent.
TEST(NetEnet, GameClockDoesNotRuleTheNetwork) {
  int port = FreePortPair();
  ASSERT_NE(port, 0);
  std::string store = WriteLoopbackSettings(port, true);
  VirtualClock game(1000);
  Clock* saved = SetClock(&game);
  NetSession host;
  ASSERT_EQ(host.SelectProvider(1, 0), kNetOk);
  ASSERT_EQ(host.CreateSession("CLOCKS"), kNetOk);
  ASSERT_EQ(host.AddLocalPlayer("HOST"), 0);
  std::atomic<bool> stop{false};
  std::thread hostSide([&] {
    while (!stop) {
      host.Pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  NetSession client;
  ASSERT_EQ(client.SelectProvider(1, 0), kNetOk);
  int found = 0;
  for (int i = 0; i < 5 && found == 0; ++i) found = client.EnumSessions();
  ASSERT_GE(found, 1);
  const int joined = client.JoinSession(0);
  const int slot = joined == kNetOk ? client.AddLocalPlayer("GUEST") : -1;
  // Minutes go by on the game clock in an instant.
  game.Advance(10 * 60 * 1000);
  for (int i = 0; i < 20; ++i) {
    client.Pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  stop = true;
  hostSide.join();
  host.Pump();
  SetClock(saved);
  EXPECT_EQ(joined, kNetOk);
  EXPECT_EQ(slot, 1);
  EXPECT_EQ(client.GetSlotState(0), kSlotRemote);
  EXPECT_EQ(host.PlayerCount(), 2);
  client.Close();
  host.Close();
  std::filesystem::remove_all(std::filesystem::path(store).parent_path());
  RegSetStorePath("");
}

// Whatever a machine on the network sends, a packet larger than the session
// ever uses is refused by the transport itself, not taken into memory first.
TEST(NetEnet, OversizedPacketsNeverReachTheSession) {
  int port = FreePortPair();
  ASSERT_NE(port, 0);
  std::string store = WriteLoopbackSettings(port, true);
  auto hostT = MakeEnetTransport();
  ASSERT_TRUE(hostT);
  ASSERT_TRUE(hostT->Listen("BIG"));
  ENetHost* rogue = enet_host_create(nullptr, 1, 2, 0, 0);
  ASSERT_NE(rogue, nullptr);
  ENetAddress to;
  enet_address_set_host(&to, "127.0.0.1");
  to.port = static_cast<uint16_t>(port);
  ENetPeer* peer = enet_host_connect(rogue, &to, 2, 0);
  ASSERT_NE(peer, nullptr);
  bool connected = false, sent = false;
  size_t largest = 0, received = 0;
  NetTransportEvent ev;
  const auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(1500)) {
    ENetEvent e;
    while (enet_host_service(rogue, &e, 0) > 0) {
      if (e.type == ENET_EVENT_TYPE_CONNECT) connected = true;
      if (e.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(e.packet);
    }
    if (connected && !sent) {
      std::vector<uint8_t> big(200 * 1024, 0x41);
      enet_peer_send(peer, 0, enet_packet_create(big.data(), big.size(), ENET_PACKET_FLAG_RELIABLE));
      uint8_t small[8] = {0x42};
      enet_peer_send(peer, 0, enet_packet_create(small, sizeof small, ENET_PACKET_FLAG_RELIABLE));
      enet_host_flush(rogue);
      sent = true;
    }
    while (hostT->Poll(&ev)) {
      if (ev.kind != NetTransportEvent::kReceived) continue;
      ++received;
      largest = std::max(largest, ev.data.size());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  enet_host_destroy(rogue);
  hostT.reset();
  EXPECT_TRUE(sent);
  EXPECT_LE(largest, 16u * 1024u) << received << " packets";
  std::filesystem::remove_all(std::filesystem::path(store).parent_path());
  RegSetStorePath("");
}

}  // namespace
