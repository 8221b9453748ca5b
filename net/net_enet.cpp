// The network provider over UDP: ENet carries the session's packets reliably
// and in order on channel 0; a small datagram exchange next to it finds
// sessions, by broadcast on the local network and by asking the host address
// named in the settings.
//
// Settings (CONFIG): NETPORT the game port (default 27815; the search uses
// the next port), NETBIND the address to listen on (default every
// interface), NETHOST a host to ask directly ("name" or "name:port", the
// port being the host's game port; read again at every search, so an
// address the player typed counts at once), NETBROADCAST the broadcast
// address of the search (default 255.255.255.255, empty for none). With
// KELVANTHROP_HEADLESS set the defaults stay on loopback (127.0.0.1 and
// 127.255.255.255).
//
// Anyone on the network can send datagrams to both ports, so neither may be
// held by someone who does not finish what he starts: a handshake left
// unfinished is dropped after a few seconds, no one address holds more than
// a few handshakes or peer slots, and a search is answered only when the
// question is at least as long as the answer, at a bounded rate shared
// fairly among the asking addresses.
#include <enet/enet.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/debug.h"
#include "base/registry.h"
#include "net/net_session.h"

namespace {

constexpr int kDefaultPort = 27815;
constexpr char kQuery[4] = {'K', 'L', 'Q', '1'};
constexpr char kReply[4] = {'K', 'L', 'R', '1'};
// The longest answer: tag, port, name with its zero. A search question is
// padded to this size, and a shorter one is not answered, so that a forged
// sender address never gets more bytes than were sent in its name.
constexpr size_t kAnswerMax = 6 + kNetNameSize;
constexpr size_t kQuerySize = kAnswerMax;
// More sessions than a menu could list are not kept.
constexpr size_t kMaxSessionsFound = 32;

std::mutex g_enetMutex;
int g_enetUsers = 0;

bool EnetUp() {
  std::lock_guard<std::mutex> lock(g_enetMutex);
  if (g_enetUsers == 0 && enet_initialize() != 0) return false;
  ++g_enetUsers;
  return true;
}

void EnetDown() {
  std::lock_guard<std::mutex> lock(g_enetMutex);
  if (--g_enetUsers == 0) enet_deinitialize();
}

std::string ConfigString(const char* name, const char* fallback) {
  char buf[128];
  if (RegReadString(kRegConfig, name, buf, sizeof buf)) return buf;
  return fallback;
}

bool Resolve(const std::string& host, uint16_t port, ENetAddress* out) {
  out->port = port;
  if (host.empty()) {
    out->host = ENET_HOST_ANY;
    return true;
  }
  return enet_address_set_host(out, host.c_str()) == 0;
}

// The session's packets are a few kilobytes at most: ENet's own limits
// (32 MiB a packet and as much waiting) would let any machine on the network
// make this one hold that much memory per peer before the session drops it.
constexpr size_t kMaxPacketBytes = 16 * 1024;
constexpr size_t kMaxWaitingBytes = 256 * 1024;

// Peer slots: a link to every other machine of a session (16 at most) and
// room besides for handshakes under way. One address (one machine, or one
// that forges datagrams from many of its ports) holds a few of them only.
constexpr size_t kEnetPeers = 64;
constexpr size_t kPeersPerAddress = 8;
constexpr int kHandshakesPerAddress = 4;

bool HalfOpen(const ENetPeer& p) {
  return p.state == ENET_PEER_STATE_ACKNOWLEDGING_CONNECT || p.state == ENET_PEER_STATE_CONNECTION_PENDING;
}

// Sees every datagram before ENet does: a connection request (a datagram
// addressed to no peer) from an address that already has its share of
// handshakes under way is dropped before it takes a peer slot.
int ENET_CALLBACK RefuseExcessHandshakes(ENetHost* host, ENetEvent*) {
  if (host->receivedDataLength < 2) return 0;
  uint16_t raw;
  std::memcpy(&raw, host->receivedData, sizeof raw);
  const uint16_t peerId = static_cast<uint16_t>(
      ENET_NET_TO_HOST_16(raw) & ~(ENET_PROTOCOL_HEADER_FLAG_MASK | ENET_PROTOCOL_HEADER_SESSION_MASK));
  if (peerId != ENET_PROTOCOL_MAXIMUM_PEER_ID) return 0;
  int halfOpen = 0;
  for (size_t i = 0; i < host->peerCount; ++i)
    if (HalfOpen(host->peers[i]) && host->peers[i].address.host == host->receivedAddress.host) ++halfOpen;
  return halfOpen >= kHandshakesPerAddress ? 1 : 0;
}

void ConfigureHost(ENetHost* host) {
  host->maximumPacketSize = kMaxPacketBytes;
  host->maximumWaitingData = kMaxWaitingBytes;
  host->duplicatePeers = kPeersPerAddress;
  host->intercept = RefuseExcessHandshakes;
}

// Who is answered, and when. Anyone can ask, from any address he likes, so
// answers are rationed: per asking address a burst of 8 and then 4 a second,
// 32 a second in all (token buckets in thousandths of an answer). Questions
// wait a moment in a short queue, and the answers go round the asking
// addresses, the one answered least lately first: many flooding addresses
// share the rate among themselves, and a searcher who asks now and then is
// answered with the next answer free, whoever else is asking.
class SearchQueue {
 public:
  void Add(const ENetAddress& from, uint32_t now) {
    Expire(now);
    size_t own = 0;
    for (const Waiting& w : waiting_) own += w.from.host == from.host ? 1 : 0;
    if (own >= kAddressBurst) return;  // more than it could be answered at once
    const uint64_t rank = LastAnswer(from.host);
    if (waiting_.size() >= kWaiting) {
      // Full: the latest question of the address answered most lately makes
      // room, unless the newcomer's address ranks no higher.
      size_t victim = 0;
      for (size_t i = 1; i < waiting_.size(); ++i)
        if (waiting_[i].rank >= waiting_[victim].rank) victim = i;
      if (rank >= waiting_[victim].rank) return;
      waiting_.erase(waiting_.begin() + static_cast<long>(victim));
    }
    waiting_.push_back(Waiting{from, now, rank});
  }

  // The next asker to answer now; false when none may be answered.
  bool Next(uint32_t now, ENetAddress* to) {
    Expire(now);
    Refill(&total_, now, kTotalBurst, kTotalPerSecond);
    while (total_.milli >= 1000 && !waiting_.empty()) {
      size_t pick = 0;  // the earliest question of the address answered least lately
      for (size_t i = 1; i < waiting_.size(); ++i)
        if (waiting_[i].rank < waiting_[pick].rank) pick = i;
      const uint32_t address = waiting_[pick].from.host;
      Bucket* b = Find(address, now);
      Refill(b, now, kAddressBurst, kAddressPerSecond);
      if (b->milli < 1000) {  // its own share is spent: none of its questions is answered
        std::erase_if(waiting_, [&](const Waiting& w) { return w.from.host == address; });
        continue;
      }
      *to = waiting_[pick].from;
      waiting_.erase(waiting_.begin() + static_cast<long>(pick));
      total_.milli -= 1000;
      b->milli -= 1000;
      b->answered = ++answers_;
      for (Waiting& w : waiting_)
        if (w.from.host == address) w.rank = b->answered;  // to the back of the round
      return true;
    }
    return false;
  }

  void Clear() { waiting_.clear(); }

 private:
  static constexpr uint32_t kAddressBurst = 8, kAddressPerSecond = 4;
  static constexpr uint32_t kTotalBurst = 32, kTotalPerSecond = 32;
  static constexpr size_t kAddresses = 256;
  // A question waits this long at most (a searcher asks again), and only so
  // many wait.
  static constexpr uint32_t kWaitMs = 500;
  static constexpr size_t kWaiting = 64;
  struct Bucket {
    bool used = false;
    uint32_t address = 0;
    uint32_t milli = 0;
    uint32_t last = 0;
    uint64_t answered = 0;  // the number of its latest answer, 0 for none
  };
  struct Waiting {
    ENetAddress from;
    uint32_t arrived;
    uint64_t rank;  // its address's latest answer (0 for none): the lowest goes first
  };
  static void Refill(Bucket* b, uint32_t now, uint32_t burst, uint32_t perSecond) {
    const uint64_t cap = uint64_t{burst} * 1000;
    const uint64_t elapsed = now - b->last;  // wraps like the clock
    b->milli = static_cast<uint32_t>(std::min<uint64_t>(cap, b->milli + elapsed * perSecond));
    b->last = now;
  }
  void Expire(uint32_t now) {
    std::erase_if(waiting_, [&](const Waiting& w) { return now - w.arrived > kWaitMs; });
  }
  uint64_t LastAnswer(uint32_t address) const {
    for (const Bucket& b : buckets_)
      if (b.used && b.address == address) return b.answered;
    return 0;
  }
  // The address's bucket; a new address takes a free one or the one asked
  // least lately, full (the total bounds what many forged addresses get).
  Bucket* Find(uint32_t address, uint32_t now) {
    Bucket* victim = nullptr;
    for (Bucket& b : buckets_) {
      if (b.used && b.address == address) return &b;
      if (!b.used) {
        if (!victim || victim->used) victim = &b;
      } else if (!victim || (victim->used && now - b.last > now - victim->last)) {
        victim = &b;
      }
    }
    *victim = Bucket{true, address, kAddressBurst * 1000, now, 0};
    return victim;
  }

  Bucket total_{true, 0, kTotalBurst * 1000, 0, 0};
  Bucket buckets_[kAddresses];
  std::vector<Waiting> waiting_;
  uint64_t answers_ = 0;
};

ENetSocket OpenDatagram(const ENetAddress* bindTo, bool broadcast) {
  ENetSocket s = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
  if (s == ENET_SOCKET_NULL) return s;
  enet_socket_set_option(s, ENET_SOCKOPT_NONBLOCK, 1);
  enet_socket_set_option(s, ENET_SOCKOPT_REUSEADDR, 1);
  if (broadcast) enet_socket_set_option(s, ENET_SOCKOPT_BROADCAST, 1);
  if (bindTo && enet_socket_bind(s, bindTo) < 0) {
    enet_socket_destroy(s);
    return ENET_SOCKET_NULL;
  }
  return s;
}

class EnetTransport : public NetTransport {
 public:
  explicit EnetTransport(const EnetTransportOptions& options)
      : clock_(options.clock ? options.clock : &realClock_), handshakeMs_(options.handshakeMs) {
    up_ = EnetUp();
    int port = RegReadInt(kRegConfig, "NETPORT", kDefaultPort);
    port_ = static_cast<uint16_t>(port > 0 && port < 65535 ? port : kDefaultPort);
    // Headless runs (tests, CI) stay on this machine unless told otherwise.
    const bool headless = std::getenv("KELVANTHROP_HEADLESS") != nullptr;
    bind_ = ConfigString("NETBIND", headless ? "127.0.0.1" : "");
    broadcast_ = ConfigString("NETBROADCAST", headless ? "127.255.255.255" : "255.255.255.255");
  }
  ~EnetTransport() override {
    Close();
    if (up_) EnetDown();
  }

  bool ok() const { return up_; }

  bool Listen(const std::string& sessionName) override {
    if (!up_) return false;
    if (!host_) {
      ENetAddress addr;
      if (!Resolve(bind_, port_, &addr)) return false;
      host_ = enet_host_create(&addr, kEnetPeers, 2, 0, 0);
      if (!host_) {
        DebugPrintf("network: cannot listen on port %u\n", port_);
        return false;
      }
      ConfigureHost(host_);
    }
    // A member taking the host's place keeps its own port: the answers to
    // a search name the port the links come to.
    sessionName_ = sessionName;
    // The search socket(s): on the listening address, and when that is a
    // single address also on the broadcast address (broadcasts reach only
    // sockets bound to it or to every interface).
    ENetAddress q;
    if (searchSockets_[0] == ENET_SOCKET_NULL && Resolve(bind_, static_cast<uint16_t>(port_ + 1), &q))
      searchSockets_[0] = OpenDatagram(&q, false);
    if (searchSockets_[1] == ENET_SOCKET_NULL && !bind_.empty() && !broadcast_.empty() &&
        Resolve(broadcast_, static_cast<uint16_t>(port_ + 1), &q))
      searchSockets_[1] = OpenDatagram(&q, false);
    return true;
  }

  void Discover(std::vector<NetSessionInfo>* out, uint32_t waitMs) override {
    if (!up_) return;
    ENetSocket s = OpenDatagram(nullptr, true);
    if (s == ENET_SOCKET_NULL) return;
    uint8_t query[kQuerySize] = {};
    std::memcpy(query, kQuery, sizeof kQuery);
    ENetBuffer buf;
    buf.data = query;
    buf.dataLength = sizeof query;
    ENetAddress to;
    if (!broadcast_.empty() && Resolve(broadcast_, static_cast<uint16_t>(port_ + 1), &to))
      enet_socket_send(s, &to, &buf, 1);
    const std::string typed = ConfigString("NETHOST", "");
    std::string host;
    uint16_t hostPort = 0;
    if (!typed.empty() && !ParseHostAddress(typed, &host, &hostPort)) {
      DebugPrintf("network: the host address \"%s\" is not usable\n", typed.c_str());
    } else if (!host.empty() &&
               Resolve(host, static_cast<uint16_t>((hostPort ? hostPort : port_) + 1), &to)) {
      enet_socket_send(s, &to, &buf, 1);
    }
    // The answers come over a real network, so the search lasts real time
    // whatever the game clock does (a headless run's clock stands still),
    // and every pass checks it: a flood of answers cannot keep it going.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (std::chrono::steady_clock::now() < deadline) {
      uint8_t in[128];
      ENetAddress from;
      ENetBuffer rb;
      rb.data = in;
      rb.dataLength = sizeof in;
      int n = enet_socket_receive(s, &from, &rb, 1);
      if (n >= 7 && std::memcmp(in, kReply, 4) == 0) {
        NetSessionInfo info;
        info.port = static_cast<uint16_t>(in[4] | (in[5] << 8));
        size_t len = static_cast<size_t>(n) - 6;
        if (len > kNetNameSize - 1) len = kNetNameSize - 1;
        info.name.assign(reinterpret_cast<char*>(in + 6), strnlen(reinterpret_cast<char*>(in + 6), len));
        char ip[64];
        if (enet_address_get_host_ip(&from, ip, sizeof ip) == 0) info.address = ip;
        bool dup = false;
        for (const auto& f : *out) dup |= f.address == info.address && f.port == info.port;
        if (!dup && !info.address.empty() && out->size() < kMaxSessionsFound) out->push_back(info);
        continue;
      }
      if (n > 0) continue;  // something else on the socket: read on
      enet_uint32 cond = ENET_SOCKET_WAIT_RECEIVE;
      enet_socket_wait(s, &cond, 20);
    }
    enet_socket_destroy(s);
  }

  int Connect(const NetSessionInfo& session) override {
    if (!up_) return -1;
    // A machine with no link and no session of its own is starting a join.
    // An earlier attempt that timed out may still be answered (a busy host
    // answers its old request late, and goes on sending that answer for a
    // while); on the same socket the old answer would land on the new
    // attempt's peer and kill it. Each attempt starts on a socket of its
    // own, where nothing of an earlier one can come.
    if (host_ && peers_.empty() && sessionName_.empty()) DropHost();
    if (!host_) {
      ENetAddress local;
      ENetAddress* bindTo = nullptr;
      if (!bind_.empty() && Resolve(bind_, 0, &local)) bindTo = &local;
      // Room for a link to every other machine of the session.
      host_ = enet_host_create(bindTo, kEnetPeers, 2, 0, 0);
      if (!host_) return -1;
      ConfigureHost(host_);
    }
    ENetAddress addr;
    if (!Resolve(session.address, session.port, &addr)) return -1;
    ENetPeer* peer = enet_host_connect(host_, &addr, 2, 0);
    if (!peer) return -1;
    return Register(peer);
  }

  uint16_t LocalPort() const override {
    if (!host_) return 0;
    ENetAddress a;
    if (enet_socket_get_address(host_->socket, &a) < 0) return 0;
    return a.port;
  }

  NetSessionInfo RemoteAddress(int link) const override {
    NetSessionInfo info;
    auto it = peers_.find(link);
    if (it == peers_.end()) return info;
    char ip[64];
    if (enet_address_get_host_ip(&it->second->address, ip, sizeof ip) == 0) info.address = ip;
    info.port = it->second->address.port;
    return info;
  }

  bool Send(int link, const uint8_t* data, size_t size) override {
    auto it = peers_.find(link);
    if (it == peers_.end()) return false;
    ENetPacket* p = enet_packet_create(data, size, ENET_PACKET_FLAG_RELIABLE);
    if (!p) return false;
    if (enet_peer_send(it->second, 0, p) != 0) {
      enet_packet_destroy(p);
      return false;
    }
    return true;
  }

  bool Poll(NetTransportEvent* event) override {
    AnswerSearches();
    if (!host_) return false;
    DropStaleHandshakes();
    if (hasPending_) {
      hasPending_ = false;
      if (Translate(pending_, event)) return true;
    }
    ENetEvent e;
    while (host_ && enet_host_service(host_, &e, 0) > 0)
      if (Translate(e, event)) return true;
    return false;
  }

  int WaitForTraffic(uint32_t ms) override {
    if (!host_) return -1;
    if (hasPending_) return 1;
    if (enet_host_service(host_, &pending_, ms) > 0) hasPending_ = true;
    return hasPending_ ? 1 : 0;
  }

  // Turns an ENet event into ours; false for one that is not reported.
  bool Translate(ENetEvent& e, NetTransportEvent* event) {
    switch (e.type) {
      case ENET_EVENT_TYPE_CONNECT: {
        int id = e.peer->data ? LinkOf(e.peer) : Register(e.peer);
        enet_peer_timeout(e.peer, 32, 5000, 10000);  // as the session's own timeout
        event->kind = NetTransportEvent::kConnected;
        event->link = id;
        event->data.clear();
        return true;
      }
      case ENET_EVENT_TYPE_DISCONNECT: {
        int id = LinkOf(e.peer);
        if (id >= 0) peers_.erase(id);
        e.peer->data = nullptr;
        if (id < 0) return false;
        event->kind = NetTransportEvent::kDisconnected;
        event->link = id;
        event->data.clear();
        return true;
      }
      case ENET_EVENT_TYPE_RECEIVE: {
        int id = LinkOf(e.peer);
        event->kind = NetTransportEvent::kReceived;
        event->link = id;
        event->data.assign(e.packet->data, e.packet->data + e.packet->dataLength);
        enet_packet_destroy(e.packet);
        return id >= 0;
      }
      default:
        return false;
    }
  }

  void Disconnect(int link) override {
    auto it = peers_.find(link);
    if (it == peers_.end()) return;
    it->second->data = nullptr;
    enet_peer_disconnect_now(it->second, 0);
    peers_.erase(it);
  }

  void DisconnectAfterSending(int link) override {
    auto it = peers_.find(link);
    if (it == peers_.end()) return;
    it->second->data = nullptr;  // whatever it still sends is not ours any more
    enet_peer_disconnect_later(it->second, 0);
    peers_.erase(it);
  }

  void Flush() override {
    if (host_) enet_host_flush(host_);
  }

  void Close() override {
    for (auto& [id, peer] : peers_) {
      peer->data = nullptr;
      enet_peer_disconnect_now(peer, 0);
    }
    peers_.clear();
    DropHost();
    for (auto& s : searchSockets_) {
      if (s != ENET_SOCKET_NULL) enet_socket_destroy(s);
      s = ENET_SOCKET_NULL;
    }
    queue_.Clear();
    sessionName_.clear();
  }

 private:
  void DropHost() {
    if (hasPending_ && pending_.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(pending_.packet);
    hasPending_ = false;
    handshakes_.clear();
    if (host_) {
      enet_host_flush(host_);
      enet_host_destroy(host_);
      host_ = nullptr;
    }
  }

  int Register(ENetPeer* peer) {
    int id = nextLink_++;
    peers_[id] = peer;
    // The link id travels in the peer's user pointer, offset by one so that
    // null still means "not ours".
    peer->data = reinterpret_cast<void*>(static_cast<intptr_t>(id) + 1);
    return id;
  }
  int LinkOf(ENetPeer* peer) const {
    if (!peer || !peer->data) return -1;
    return static_cast<int>(reinterpret_cast<intptr_t>(peer->data) - 1);
  }

  // A connection request whose handshake is not finished in time (its
  // sender never acknowledged our answer, as one that forges its address
  // cannot) gives its peer slot back at once, without a word.
  void DropStaleHandshakes() {
    const uint32_t now = clock_->NowMs();
    if (handshakes_.size() != host_->peerCount) handshakes_.assign(host_->peerCount, Handshake{});
    for (size_t i = 0; i < host_->peerCount; ++i) {
      ENetPeer* p = &host_->peers[i];
      Handshake& h = handshakes_[i];
      if (p->state != ENET_PEER_STATE_ACKNOWLEDGING_CONNECT) {
        h.seen = false;
      } else if (!h.seen || h.connectId != p->connectID) {
        h = Handshake{true, p->connectID, now};
      } else if (now - h.since >= handshakeMs_) {
        enet_peer_reset(p);
        h.seen = false;
      }
    }
  }

  void AnswerSearches() {
    const uint32_t now = clock_->NowMs();
    const size_t answerSize = 6 + strnlen(sessionName_.c_str(), kNetNameSize - 1) + 1;
    for (ENetSocket s : searchSockets_) {
      if (s == ENET_SOCKET_NULL) continue;
      for (int i = 0; i < 64; ++i) {
        uint8_t in[64];
        ENetAddress from;
        ENetBuffer rb;
        rb.data = in;
        rb.dataLength = sizeof in;
        int n = enet_socket_receive(s, &from, &rb, 1);
        if (n == 0) break;
        if (n < 0) continue;  // too long for a question, or an error: read on
        if (static_cast<size_t>(n) < answerSize || std::memcmp(in, kQuery, sizeof kQuery) != 0) continue;
        queue_.Add(from, now);
      }
    }
    // Answer from the plain address: a socket bound to a broadcast address
    // cannot be the source of a reply.
    const ENetSocket via = searchSockets_[0] != ENET_SOCKET_NULL ? searchSockets_[0] : searchSockets_[1];
    if (via == ENET_SOCKET_NULL) return;
    uint8_t out[kAnswerMax] = {};
    std::memcpy(out, kReply, 4);
    const uint16_t gamePort = LocalPort() ? LocalPort() : port_;
    out[4] = static_cast<uint8_t>(gamePort);
    out[5] = static_cast<uint8_t>(gamePort >> 8);
    NetPutName(out + 6, kNetNameSize, sessionName_.c_str());
    ENetAddress to;
    while (queue_.Next(now, &to)) {
      ENetBuffer wb;
      wb.data = out;
      wb.dataLength = answerSize;
      enet_socket_send(via, &to, &wb, 1);
    }
  }

  struct Handshake {
    bool seen = false;
    uint32_t connectId = 0;
    uint32_t since = 0;
  };

  RealClock realClock_;
  Clock* clock_;
  uint32_t handshakeMs_;
  std::vector<Handshake> handshakes_;
  SearchQueue queue_;
  bool up_ = false;
  uint16_t port_ = kDefaultPort;
  std::string bind_, broadcast_, sessionName_;
  ENetHost* host_ = nullptr;
  ENetEvent pending_{};
  bool hasPending_ = false;
  ENetSocket searchSockets_[2] = {ENET_SOCKET_NULL, ENET_SOCKET_NULL};
  std::map<int, ENetPeer*> peers_;
  int nextLink_ = 0;
};

}  // namespace

std::unique_ptr<NetTransport> MakeEnetTransport(const EnetTransportOptions& options) {
  auto t = std::make_unique<EnetTransport>(options);
  if (!t->ok()) return nullptr;
  return t;
}
