#include "net/net_session.h"

#include <algorithm>
#include <cstring>

#include "base/clock.h"
#include "base/debug.h"

NetSession* g_netSession = nullptr;

namespace {

using namespace netwire;
constexpr uint16_t kProtocolVersion = 1;
constexpr size_t kMaxMessage = 4096;
constexpr uint32_t kAnswerWaitMs = 3000;

bool ValidSlot(int s) { return s >= 0 && s < kNetPlayerSlots; }

std::string CutName(const char* name) {
  char buf[kNetNameSize];
  NetPutName(reinterpret_cast<uint8_t*>(buf), sizeof buf, name);
  return std::string(buf);
}

}  // namespace

int NetErrorTextId(int error) {
  switch (error) {
    case kNetErrCreatePlayer: return 10537;
    case kNetErrConnection: return 10538;
    case kNetErrLost: return 10539;
    default: return 10540;
  }
}

NetSession::NetSession()
    : NetSession([](int index) -> std::unique_ptr<NetTransport> {
        return index == 0 ? MakeEnetTransport() : nullptr;
      },
                 {"UDP NETWORK"}) {
  // Packets over a real network take real time: joins, keep-alives and the
  // timeout of a silent peer follow the real clock even when the game runs
  // on a virtual one (headless), on which they would pass at once.
  static RealClock realClock;
  clock_ = &realClock;
}

NetSession::NetSession(TransportFactory factory, std::vector<std::string> providerNames)
    : factory_(std::move(factory)), providers_(std::move(providerNames)) {}

NetSession::~NetSession() { Close(); }

uint32_t NetSession::Now() const { return clock_ ? clock_->NowMs() : TimeGetTime(); }

void NetSession::Wait(uint32_t ms) {
  if (waitHook_) {
    waitHook_();
    return;
  }
  // Over the wire the wait sleeps on the transport until a packet comes or
  // the time is up; only a transport that cannot wait (the in-memory hub)
  // is looked at again in short steps.
  if (transport_ && transport_->WaitForTraffic(ms) >= 0) return;
  const uint32_t step = ms < 2 ? ms : 2;
  if (clock_) {
    clock_->SleepMs(step);
  } else {
    SleepMs(step);
  }
}

bool NetSession::WaitFor(const std::function<bool()>& done, uint32_t ms) {
  uint32_t start = Now();
  for (;;) {
    Pump();
    if (done()) return true;
    const uint32_t passed = Now() - start;
    if (passed >= ms) return false;
    Wait(ms - passed);
  }
}

const char* NetSession::GetProviderName(int i) const {
  if (i < 0 || i >= static_cast<int>(providers_.size())) return nullptr;
  return providers_[i].c_str();
}

int NetSession::SelectProvider(int network, int index) {
  Close();
  if (network == 0) {
    mode_ = Mode::kLoopback;
    role_ = Role::kHost;
    return kNetOk;
  }
  if (index < 0 || index >= static_cast<int>(providers_.size()) || !factory_)
    return kNetErrConnection;
  transport_ = factory_(index);
  if (!transport_) return kNetErrConnection;
  mode_ = Mode::kNetwork;
  return kNetOk;
}

int NetSession::CreateSession(const char* name) {
  if (mode_ != Mode::kNetwork || role_ != Role::kNone) return kNetErrUnknown;
  if (!transport_->Listen(CutName(name && *name ? name : "KELVANTHROP"))) return kNetErrConnection;
  role_ = Role::kHost;
  acceptNew_ = true;
  return kNetOk;
}

int NetSession::EnumSessions(int, int) {
  found_.clear();
  if (mode_ != Mode::kNetwork || !transport_) return 0;
  transport_->Discover(&found_, 500);
  return static_cast<int>(found_.size());
}

const char* NetSession::GetSessionName(int i) const {
  if (i < 0 || i >= static_cast<int>(found_.size())) return nullptr;
  return found_[i].name.c_str();
}

int NetSession::JoinSession(int i) {
  if (mode_ != Mode::kNetwork || role_ != Role::kNone) return kNetErrUnknown;
  if (i < 0 || i >= static_cast<int>(found_.size())) return kNetErrConnection;
  hostConnected_ = false;
  welcomed_ = false;
  hostLink_ = transport_->Connect(found_[i]);
  if (hostLink_ < 0) return kNetErrConnection;
  role_ = Role::kClient;
  links_[hostLink_] = Link{false, Now(), Now()};
  bool lost = false;
  auto failed = [&] { return !lost && links_.find(hostLink_) == links_.end(); };
  if (!WaitFor([&] { return hostConnected_ || failed(); }, kAnswerWaitMs) || !hostConnected_) {
    lost = true;
  } else {
    uint8_t p[3] = {kJoin, 0, 0};
    NetPutU16(p + 1, kProtocolVersion);
    SendPacket(hostLink_, std::vector<uint8_t>(p, p + 3));
    if (!WaitFor([&] { return welcomed_ || failed(); }, kAnswerWaitMs) || !welcomed_) lost = true;
  }
  if (lost) {
    transport_->Disconnect(hostLink_);
    links_.clear();
    hostLink_ = -1;
    role_ = Role::kNone;
    for (auto& s : slots_) s = Slot();
    recv_.clear();
    return kNetErrLost;
  }
  return kNetOk;
}

void NetSession::EnableNewPlayers(int enable) { acceptNew_ = enable != 0; }

void NetSession::Close() {
  if (transport_) {
    // A polite goodbye, so that the others need not wait for a timeout.
    for (auto& [id, link] : links_) transport_->Send(id, std::vector<uint8_t>{kBye}.data(), 1);
    transport_->Flush();
    transport_->Close();
  }
  transport_.reset();
  links_.clear();
  found_.clear();
  recv_.clear();
  chat_.clear();
  for (auto& s : slots_) s = Slot();
  mode_ = Mode::kNone;
  role_ = Role::kNone;
  hostSlot_ = -1;
  hostLink_ = -1;
  hostConnected_ = false;
  welcomed_ = false;
  acceptNew_ = true;
}

int NetSession::AddLocalPlayer(const char* name, int slot) {
  if (mode_ == Mode::kNone) return -1;
  if (slot >= kNetSlots) return -1;
  if (role_ == Role::kClient) {
    if (!welcomed_) return -1;
    addRequest_ = static_cast<uint8_t>(addRequest_ + 1);
    addReply_ = -2;
    std::vector<uint8_t> p(2 + kNetNameSize, 0);
    p[0] = kAdd;
    p[1] = addRequest_;
    NetPutName(p.data() + 2, kNetNameSize, name);
    SendPacket(hostLink_, p);
    bool ok = WaitFor([&] { return addReply_ != -2 || hostLink_ < 0; }, kAnswerWaitMs);
    if (!ok || addReply_ < 0 || !ValidSlot(addReply_)) return -1;
    int s = addReply_;
    slots_[s].state = kSlotLocal;
    slots_[s].name = CutName(name);
    slots_[s].link = -1;
    return s;
  }
  if (role_ != Role::kHost) return -1;  // network chosen but no session made or joined
  if (slot < 0) {
    for (int s = 0; s < kNetPlayerSlots; ++s)
      if (slots_[s].state == kSlotFree) {
        slot = s;
        break;
      }
  }
  if (!ValidSlot(slot) || slots_[slot].state != kSlotFree) return -1;
  slots_[slot].state = kSlotLocal;
  slots_[slot].name = CutName(name);
  slots_[slot].link = -1;
  if (hostSlot_ < 0) hostSlot_ = slot;
  if (mode_ == Mode::kNetwork) SendToJoined(PlayerPacket(slot, false), -1);
  return slot;
}

void NetSession::RemoveLocalPlayer(int slot) {
  if (!ValidSlot(slot) || slots_[slot].state == kSlotFree) return;
  if (mode_ == Mode::kLoopback) {
    slots_[slot] = Slot();
    QueueSystem(kMsgPlayerLeft, slot, slot == hostSlot_, "");
    return;
  }
  if (role_ == Role::kHost) {
    HostRemoveSlot(slot);
    return;
  }
  if (role_ != Role::kClient) return;
  if (slot == hostSlot_ && slots_[slot].state == kSlotRemote) {
    // Dropping the host leaves nothing to talk through: the link goes, and
    // every remote player with it.
    int link = hostLink_;
    transport_->Disconnect(link);
    LinkLost(link);
    return;
  }
  uint8_t p[2] = {kRemove, static_cast<uint8_t>(slot)};
  SendPacket(hostLink_, std::vector<uint8_t>(p, p + 2));
  if (slots_[slot].state == kSlotLocal) {
    slots_[slot] = Slot();
    QueueSystem(kMsgPlayerLeft, slot, 0, "");
  }
}

const char* NetSession::GetPlayerName(int slot) const {
  if (slot < 0 || slot >= kNetSlots || slots_[slot].state == kSlotFree) return "";
  return slots_[slot].name.c_str();
}

int NetSession::GetSlotState(int slot) const {
  if (slot < 0 || slot >= kNetSlots) return kSlotFree;
  return slots_[slot].state;
}

int NetSession::PlayerCount() const {
  int n = 0;
  for (const auto& s : slots_) n += s.state != kSlotFree;
  return n;
}

bool NetSession::IsHost() const { return role_ == Role::kHost; }
int NetSession::HostSlot() const { return hostSlot_; }

bool NetSession::AnyLocalOtherThan(int from) const {
  for (int s = 0; s < kNetSlots; ++s)
    if (s != from && slots_[s].state == kSlotLocal) return true;
  return false;
}

bool NetSession::Send(int from, int to, const void* data, size_t size) {
  if (mode_ == Mode::kNone || !data || size < 4 || size > kMaxMessage) return false;
  if (!ValidSlot(from) || slots_[from].state != kSlotLocal) return false;
  if (to != kNetToAll && to != kNetToAllButSelf) {
    if (!ValidSlot(to) || slots_[to].state == kSlotFree) return false;
  }
  Route(from, to, static_cast<const uint8_t*>(data), size, -1);
  // The lock-step waits on every message: out on the wire at once.
  if (transport_) transport_->Flush();
  return true;
}

int NetSession::WaitForTraffic(uint32_t ms) {
  if (mode_ != Mode::kNetwork || !transport_) return -1;
  return transport_->WaitForTraffic(ms);
}

void NetSession::DeliverLocal(int from, int to, const uint8_t* data, size_t size) {
  if (size >= 1 && data[0] == kMsgChat) {
    if (size != static_cast<size_t>(kMsgChatSize)) return;
    char text[kChatTextMax + 1];
    NetGetName(data + 12, kMsgChatSize - 12, text, sizeof text);
    chat_.emplace_back(from, text);
    return;
  }
  NetMessage m;
  m.from = from;
  m.to = to;
  m.data.assign(data, data + size);
  recv_.push_back(std::move(m));
}

// Hands a message to its addressees: this machine's players through the
// receive queue, the others over the links. originLink is the link it came
// in on at the host (-1 when it was made here).
void NetSession::Route(int from, int to, const uint8_t* data, size_t size, int originLink) {
  bool local = false;
  if (to == kNetToAll) {
    local = AnyLocalOtherThan(-1);
  } else if (to == kNetToAllButSelf) {
    local = AnyLocalOtherThan(from);
  } else {
    local = slots_[to].state == kSlotLocal;
  }
  if (local) DeliverLocal(from, to, data, size);
  if (mode_ != Mode::kNetwork) return;
  bool toAll = to == kNetToAll || to == kNetToAllButSelf;
  if (!toAll && slots_[to].state != kSlotRemote) return;
  std::vector<uint8_t> p(3 + size);
  p[0] = kApp;
  p[1] = static_cast<uint8_t>(from);
  p[2] = static_cast<uint8_t>(static_cast<int8_t>(to));
  std::memcpy(p.data() + 3, data, size);
  if (role_ == Role::kClient) {
    if (originLink < 0) SendPacket(hostLink_, p);
    return;
  }
  if (toAll) {
    SendToJoined(p, originLink);
  } else if (slots_[to].link != originLink) {
    SendPacket(slots_[to].link, p);
  }
}

bool NetSession::Receive(NetMessage* out) {
  Pump();
  if (recv_.empty()) return false;
  *out = std::move(recv_.front());
  recv_.pop_front();
  return true;
}

void NetSession::QueueLocal(int from, int to, const void* data, size_t size, bool urgent) {
  if (!data || size == 0 || size > kMaxMessage) return;
  NetMessage m;
  m.from = from;
  m.to = to;
  m.data.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
  if (urgent) {
    recv_.push_front(std::move(m));
  } else {
    recv_.push_back(std::move(m));
  }
}

bool NetSession::SendChat(int from, int to, const char* text) {
  uint8_t m[kMsgChatSize] = {};
  NetPutHeader(m, kMsgChat, kMsgChatSize);
  NetPutI32(m + 8, from);
  NetPutName(m + 12, kChatTextMax + 1, text);
  return Send(from, to, m, sizeof m);
}

bool NetSession::PopChat(int* from, std::string* text) {
  Pump();
  if (chat_.empty()) return false;
  if (from) *from = chat_.front().first;
  if (text) *text = chat_.front().second;
  chat_.pop_front();
  return true;
}

int NetSession::OnSystemMessage(const NetMessage& msg) {
  if (msg.data.size() == static_cast<size_t>(kMsgChatSize) && msg.data[0] == kMsgChat &&
      ValidSlot(msg.from))
    DeliverLocal(msg.from, msg.to, msg.data.data(), msg.data.size());
  return 0;
}

void NetSession::QueueSystem(uint8_t type, int slot, uint8_t flag, const std::string& name) {
  NetMessage m;
  m.from = kNetSystemSender;
  m.to = kNetToAll;
  int size = type == kMsgPlayerLeft ? kMsgPlayerLeftSize : kMsgPlayerJoinedSize;
  m.data.assign(size, 0);
  NetPutHeader(m.data.data(), type, static_cast<uint16_t>(size));
  NetPutI32(m.data.data() + 8, slot);
  m.data[12] = flag;
  if (type != kMsgPlayerLeft) NetPutName(m.data.data() + 16, kNetNameSize, name.c_str());
  recv_.push_back(std::move(m));
}

void NetSession::SendPacket(int link, const std::vector<uint8_t>& p) {
  if (!transport_ || link < 0) return;
  auto it = links_.find(link);
  if (it != links_.end()) it->second.lastSent = Now();
  transport_->Send(link, p.data(), p.size());
}

void NetSession::SendToJoined(const std::vector<uint8_t>& p, int exceptLink) {
  for (auto& [id, link] : links_)
    if (link.joined && id != exceptLink) SendPacket(id, p);
}

std::vector<uint8_t> NetSession::PlayerPacket(int slot, bool entry) const {
  std::vector<uint8_t> p(3 + kNetNameSize, 0);
  p[0] = kPlayer;
  p[1] = static_cast<uint8_t>(slot);
  p[2] = static_cast<uint8_t>((slot == hostSlot_ ? 1 : 0) | (entry ? 2 : 0));
  NetPutName(p.data() + 3, kNetNameSize, slots_[slot].name.c_str());
  return p;
}

void NetSession::Pump() {
  if (pumping_ || mode_ != Mode::kNetwork || !transport_) return;
  pumping_ = true;
  NetTransportEvent ev;
  while (transport_ && transport_->Poll(&ev)) HandleEvent(ev);
  if (transport_) {
    uint32_t now = Now();
    std::vector<int> dead;
    for (auto& [id, link] : links_) {
      if (now - link.lastHeard > timeoutMs_) {
        dead.push_back(id);
      } else if (now - link.lastSent >= keepAliveMs_) {
        link.lastSent = now;
        transport_->Send(id, std::vector<uint8_t>{kPing}.data(), 1);
      }
    }
    for (int id : dead) {
      DebugPrintf("network: link %d timed out\n", id);
      transport_->Disconnect(id);
      LinkLost(id);
    }
    if (transport_) transport_->Flush();
  }
  pumping_ = false;
}

void NetSession::HandleEvent(NetTransportEvent& ev) {
  switch (ev.kind) {
    case NetTransportEvent::kConnected:
      if (role_ == Role::kHost) {
        if (links_.size() >= kNetSlots) {
          transport_->Disconnect(ev.link);
          return;
        }
        links_[ev.link] = Link{false, Now(), Now()};
      } else if (role_ == Role::kClient && ev.link == hostLink_) {
        hostConnected_ = true;
        links_[ev.link].lastHeard = Now();
      }
      return;
    case NetTransportEvent::kDisconnected:
      LinkLost(ev.link);
      return;
    case NetTransportEvent::kReceived: {
      auto it = links_.find(ev.link);
      if (it == links_.end()) return;
      it->second.lastHeard = Now();
      HandlePacket(ev.link, ev.data);
      return;
    }
  }
}

void NetSession::HandlePacket(int link, const std::vector<uint8_t>& p) {
  if (p.empty()) return;
  if (p[0] == kPing) return;
  if (p[0] == kBye) {
    transport_->Disconnect(link);
    LinkLost(link);
    return;
  }
  if (role_ == Role::kHost) {
    HostPacket(link, p);
  } else if (role_ == Role::kClient && link == hostLink_) {
    ClientPacket(p);
  }
}

void NetSession::HostPacket(int link, const std::vector<uint8_t>& p) {
  Link& l = links_[link];
  switch (p[0]) {
    case kJoin: {
      if (p.size() != 3 || l.joined) return;
      if (!acceptNew_ || NetGetU16(p.data() + 1) != kProtocolVersion) {
        SendPacket(link, {kRefuse, 0});
        return;
      }
      l.joined = true;
      SendPacket(link, {kWelcome, static_cast<uint8_t>(static_cast<int8_t>(hostSlot_))});
      for (int s = 0; s < kNetPlayerSlots; ++s)
        if (slots_[s].state != kSlotFree) SendPacket(link, PlayerPacket(s, true));
      return;
    }
    case kAdd: {
      if (p.size() != 2 + static_cast<size_t>(kNetNameSize) || !l.joined) return;
      int slot = -1;
      if (acceptNew_) {
        for (int s = 0; s < kNetPlayerSlots; ++s)
          if (slots_[s].state == kSlotFree) {
            slot = s;
            break;
          }
      }
      SendPacket(link, {kAdded, p[1], static_cast<uint8_t>(static_cast<int8_t>(slot))});
      if (slot < 0) return;
      char name[kNetNameSize];
      NetGetName(p.data() + 2, kNetNameSize, name, sizeof name);
      slots_[slot].state = kSlotRemote;
      slots_[slot].name = name;
      slots_[slot].link = link;
      SendToJoined(PlayerPacket(slot, false), link);
      QueueSystem(kMsgPlayerJoined, slot, 0, name);
      return;
    }
    case kRemove: {
      if (p.size() != 2 || !l.joined) return;
      int slot = static_cast<int8_t>(p[1]);
      // Another machine may drop its own players or, by the drop vote, the
      // players of a third machine; never this machine's own (a silent host
      // is left by cutting the link to it instead).
      if (ValidSlot(slot) && slots_[slot].state == kSlotRemote) HostRemoveSlot(slot);
      return;
    }
    case kApp: {
      if (p.size() < 3 + 4 || p.size() > 3 + kMaxMessage || !l.joined) return;
      int from = static_cast<int8_t>(p[1]);
      int to = static_cast<int8_t>(p[2]);
      // A machine speaks only for its own players, and never as the session.
      if (!ValidSlot(from) || slots_[from].link != link || slots_[from].state != kSlotRemote) return;
      if (p[3] < kMsgChat) return;
      if (to != kNetToAll && to != kNetToAllButSelf && (!ValidSlot(to) || slots_[to].state == kSlotFree))
        return;
      Route(from, to, p.data() + 3, p.size() - 3, link);
      return;
    }
    default:
      return;
  }
}

void NetSession::ClientPacket(const std::vector<uint8_t>& p) {
  switch (p[0]) {
    case kWelcome: {
      if (p.size() != 2 || welcomed_) return;
      int hs = static_cast<int8_t>(p[1]);
      hostSlot_ = ValidSlot(hs) ? hs : -1;
      welcomed_ = true;
      links_[hostLink_].joined = true;
      return;
    }
    case kRefuse:
      transport_->Disconnect(hostLink_);
      LinkLost(hostLink_);
      return;
    case kAdded: {
      if (p.size() != 3 || p[1] != addRequest_) return;
      int slot = static_cast<int8_t>(p[2]);
      addReply_ = ValidSlot(slot) && slots_[slot].state == kSlotFree ? slot : -1;
      return;
    }
    case kPlayer: {
      if (p.size() != 3 + static_cast<size_t>(kNetNameSize)) return;
      int slot = static_cast<int8_t>(p[1]);
      if (!ValidSlot(slot) || slots_[slot].state == kSlotLocal) return;
      char name[kNetNameSize];
      NetGetName(p.data() + 3, kNetNameSize, name, sizeof name);
      bool was = slots_[slot].state == kSlotRemote;
      slots_[slot].state = kSlotRemote;
      slots_[slot].name = name;
      if (p[2] & 1) hostSlot_ = slot;
      if (!was) QueueSystem((p[2] & 2) ? kMsgPlayerEntry : kMsgPlayerJoined, slot, p[2] & 1, name);
      return;
    }
    case kLeft: {
      if (p.size() != 3) return;
      int slot = static_cast<int8_t>(p[1]);
      if (!ValidSlot(slot) || slots_[slot].state == kSlotFree) return;
      // Our own player named here means the others dropped us.
      slots_[slot] = Slot();
      QueueSystem(kMsgPlayerLeft, slot, p[2] ? 1 : 0, "");
      return;
    }
    case kApp: {
      if (p.size() < 3 + 4 || p.size() > 3 + kMaxMessage) return;
      int from = static_cast<int8_t>(p[1]);
      int to = static_cast<int8_t>(p[2]);
      if (!ValidSlot(from) || slots_[from].state != kSlotRemote) return;
      if (p[3] < kMsgChat) return;
      if (to != kNetToAll && to != kNetToAllButSelf && (!ValidSlot(to) || slots_[to].state != kSlotLocal))
        return;
      DeliverLocal(from, to, p.data() + 3, p.size() - 3);
      return;
    }
    default:
      return;
  }
}

void NetSession::HostRemoveSlot(int slot) {
  if (!ValidSlot(slot) || slots_[slot].state == kSlotFree) return;
  bool wasHost = slot == hostSlot_;
  // Everybody is told, the machine of the removed player too (it falls back
  // to a game of its own when it hears its own slot named).
  std::vector<uint8_t> p = {kLeft, static_cast<uint8_t>(slot), static_cast<uint8_t>(wasHost)};
  SendToJoined(p, -1);
  slots_[slot] = Slot();
  QueueSystem(kMsgPlayerLeft, slot, wasHost, "");
}

void NetSession::LinkLost(int link) {
  auto it = links_.find(link);
  if (it == links_.end()) return;
  links_.erase(it);
  if (role_ == Role::kHost) {
    for (int s = 0; s < kNetSlots; ++s)
      if (slots_[s].state == kSlotRemote && slots_[s].link == link) HostRemoveSlot(s);
    return;
  }
  if (role_ == Role::kClient && link == hostLink_) {
    hostLink_ = -1;
    // Without the host nobody else can be reached: every remote player is
    // gone, the host's first.
    if (ValidSlot(hostSlot_) && slots_[hostSlot_].state == kSlotRemote) {
      slots_[hostSlot_] = Slot();
      QueueSystem(kMsgPlayerLeft, hostSlot_, 1, "");
    }
    for (int s = 0; s < kNetSlots; ++s)
      if (slots_[s].state == kSlotRemote) {
        slots_[s] = Slot();
        QueueSystem(kMsgPlayerLeft, s, 0, "");
      }
  }
}
