#include "net/net_hub.h"

#include <algorithm>
#include <cstdlib>

class HubTransport : public NetTransport {
 public:
  HubTransport(NetHub* hub) : hub_(hub) { ep_ = hub_->AddEndpoint(this); }
  ~HubTransport() override {
    Close();
    hub_->RemoveEndpoint(ep_);
  }

  bool Listen(const std::string& sessionName) override {
    NetHub::Endpoint& e = hub_->endpoints_[ep_];
    if (e.cut) return false;
    e.listening = sessionName.empty() ? std::string("SESSION") : sessionName;
    return true;
  }

  void Discover(std::vector<NetSessionInfo>* out, uint32_t) override {
    for (size_t i = 0; i < hub_->endpoints_.size(); ++i) {
      const NetHub::Endpoint& e = hub_->endpoints_[i];
      if (static_cast<int>(i) == ep_ || e.cut || !e.owner || e.listening.empty()) continue;
      NetSessionInfo s;
      s.name = e.listening;
      s.address = "hub";
      s.port = static_cast<uint16_t>(i);
      out->push_back(s);
    }
  }

  int Connect(const NetSessionInfo& session) override {
    NetHub::Endpoint& me = hub_->endpoints_[ep_];
    int target = session.address == "hub" ? session.port : -1;
    if (me.cut || target < 0 || target >= static_cast<int>(hub_->endpoints_.size()) ||
        target == ep_)
      return -1;
    // Any machine on the hub takes links, as a session's members do; only
    // a host is found by a search.
    NetHub::Endpoint& host = hub_->endpoints_[target];
    int mine = me.nextLink++;
    if (host.cut || !host.owner) {
      me.inbox.push_back({NetTransportEvent::kDisconnected, mine, {}});
      return mine;
    }
    int theirs = host.nextLink++;
    me.links[mine] = {target, theirs, true};
    host.links[theirs] = {ep_, mine, true};
    me.inbox.push_back({NetTransportEvent::kConnected, mine, {}});
    host.inbox.push_back({NetTransportEvent::kConnected, theirs, {}});
    return mine;
  }

  bool Send(int link, const uint8_t* data, size_t size) override {
    NetHub::Endpoint& me = hub_->endpoints_[ep_];
    auto it = me.links.find(link);
    if (me.cut || it == me.links.end() || !it->second.alive) return false;
    hub_->Post(ep_, link, data, size);
    return true;
  }

  bool Poll(NetTransportEvent* event) override {
    NetHub::Endpoint& me = hub_->endpoints_[ep_];
    if (me.inbox.empty()) return false;
    *event = std::move(me.inbox.front());
    me.inbox.pop_front();
    return true;
  }

  void Disconnect(int link) override {
    NetHub::Endpoint& me = hub_->endpoints_[ep_];
    auto it = me.links.find(link);
    if (it == me.links.end()) return;
    NetHub::LinkEnd end = it->second;
    me.links.erase(it);
    if (!end.alive) return;
    NetHub::Endpoint& peer = hub_->endpoints_[end.peerEndpoint];
    auto pit = peer.links.find(end.peerLink);
    if (pit != peer.links.end() && pit->second.alive) {
      pit->second.alive = false;
      peer.inbox.push_back({NetTransportEvent::kDisconnected, end.peerLink, {}});
    }
  }

  void Close() override {
    NetHub::Endpoint& me = hub_->endpoints_[ep_];
    std::vector<int> ids;
    for (auto& [id, end] : me.links) ids.push_back(id);
    for (int id : ids) Disconnect(id);
    me.listening.clear();
    me.inbox.clear();
  }

  uint16_t LocalPort() const override { return static_cast<uint16_t>(ep_); }

  NetSessionInfo RemoteAddress(int link) const override {
    NetSessionInfo info;
    const NetHub::Endpoint& me = hub_->endpoints_[ep_];
    auto it = me.links.find(link);
    if (it == me.links.end()) return info;
    info.address = "hub";
    info.port = static_cast<uint16_t>(it->second.peerEndpoint);
    return info;
  }

  int endpoint() const { return ep_; }

 private:
  NetHub* hub_;
  int ep_;
};

std::unique_ptr<NetTransport> NetHub::MakeTransport() {
  return std::make_unique<HubTransport>(this);
}

int NetHub::AddEndpoint(HubTransport* t) {
  Endpoint e;
  e.owner = t;
  endpoints_.push_back(std::move(e));
  return static_cast<int>(endpoints_.size()) - 1;
}

void NetHub::RemoveEndpoint(int ep) {
  endpoints_[ep].owner = nullptr;
  endpoints_[ep].cut = true;
  endpoints_[ep].links.clear();
  endpoints_[ep].inbox.clear();
}

uint32_t NetHub::Next() {
  // xorshift32: reproducible faults from the hub's seed.
  seed_ ^= seed_ << 13;
  seed_ ^= seed_ >> 17;
  seed_ ^= seed_ << 5;
  return seed_;
}

void NetHub::Post(int fromEndpoint, int link, const uint8_t* data, size_t size) {
  ++sent_;
  const LinkEnd& end = endpoints_[fromEndpoint].links[link];
  Packet p{end.peerEndpoint, end.peerLink, std::vector<uint8_t>(data, data + size), 0};
  bool faulty = !faults_.applies || faults_.applies(fromEndpoint, p.toEndpoint, p.data);
  if (faulty && Roll(faults_.dropPercent)) {
    ++dropped_;
    return;
  }
  int copies = 1;
  if (faulty && Roll(faults_.dupPercent)) {
    ++duplicated_;
    copies = 2;
  }
  for (int c = 0; c < copies; ++c) {
    Packet q = p;
    if (faulty && faults_.maxDelay > 0 && Roll(faults_.delayPercent))
      q.delay = 1 + static_cast<int>(Next() % static_cast<uint32_t>(faults_.maxDelay));
    if (q.delay > 0) {
      inFlight_.push_back(std::move(q));
    } else {
      bool reorder = faulty && Roll(faults_.reorderPercent);
      Endpoint& to = endpoints_[q.toEndpoint];
      Deliver(std::move(q));
      // Overtake: the newest packet moves ahead of the one queued before it.
      if (reorder && to.inbox.size() >= 2) std::swap(to.inbox[to.inbox.size() - 1], to.inbox[to.inbox.size() - 2]);
    }
  }
}

void NetHub::Deliver(Packet&& p) {
  Endpoint& to = endpoints_[p.toEndpoint];
  if (to.cut || !to.owner) return;
  auto it = to.links.find(p.link);
  if (it == to.links.end() || !it->second.alive) return;
  to.inbox.push_back({NetTransportEvent::kReceived, p.link, std::move(p.data)});
}

void NetHub::Tick() {
  std::vector<Packet> due;
  for (auto it = inFlight_.begin(); it != inFlight_.end();) {
    if (--it->delay <= 0) {
      due.push_back(std::move(*it));
      it = inFlight_.erase(it);
    } else {
      ++it;
    }
  }
  for (auto& p : due) Deliver(std::move(p));
}

int NetHub::EndpointOf(const NetTransport* machine) const {
  for (size_t i = 0; i < endpoints_.size(); ++i)
    if (endpoints_[i].owner == machine && machine) return static_cast<int>(i);
  return -1;
}

void NetHub::FlushDelayed() {
  std::vector<Packet> due;
  due.swap(inFlight_);
  for (auto& p : due) Deliver(std::move(p));
}

void NetHub::CutOff(NetTransport* machine) {
  for (size_t i = 0; i < endpoints_.size(); ++i) {
    Endpoint& e = endpoints_[i];
    if (e.owner != machine) continue;
    e.cut = true;
    e.listening.clear();
    for (auto& [id, end] : e.links) {
      if (!end.alive) continue;
      end.alive = false;
      Endpoint& peer = endpoints_[end.peerEndpoint];
      auto pit = peer.links.find(end.peerLink);
      if (pit != peer.links.end() && pit->second.alive) {
        pit->second.alive = false;
        peer.inbox.push_back({NetTransportEvent::kDisconnected, end.peerLink, {}});
      }
    }
    e.inbox.clear();
  }
}
