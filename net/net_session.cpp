#include "net/net_session.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "base/clock.h"
#include "base/debug.h"

NetSession* g_netSession = nullptr;

namespace {

using namespace netwire;
constexpr uint16_t kProtocolVersion = 2;
constexpr size_t kMaxMessage = 4096;
constexpr uint32_t kAnswerWaitMs = 3000;
// Keep-alives go out every 250 ms: a machine not heard for a second is
// silent as far as the drop vote goes.
constexpr uint32_t kSilentMs = 1000;
// Messages of each machine kept for the others in case it is lost: more
// than one machine can be ahead of another in the lock-step (a frame or two)
// and than the lobby sends at a time.
constexpr size_t kKeptMessages = 8;
constexpr size_t kMaxRelayed = 32;
// Sequence numbers of a machine's messages remembered as delivered, so that
// copies handed on by others are delivered once.
constexpr size_t kDeliveredSeqs = 64;
// A copy of a message inside a kGone packet: from, to, sequence, size.
constexpr size_t kCopyHeader = 8;
// Packets held for a machine whose link is not up yet, or from a link not
// yet confirmed; past this the machine is treated as lost.
constexpr size_t kMaxQueuedPackets = 256;
// Machine numbers fit a 32-bit set; links beyond these are refused.
constexpr int kMaxMachines = 16;
constexpr size_t kMaxLinks = 32;

bool ValidSlot(int s) { return s >= 0 && s < kNetPlayerSlots; }
bool ToAll(int to) { return to == kNetToAll || to == kNetToAllButSelf; }
bool ValidMachine(int id) { return id >= 0 && id < kMaxMachines; }

void PutU32(uint8_t* p, uint32_t v) { NetPutI32(p, static_cast<int32_t>(v)); }
uint32_t GetU32(const uint8_t* p) { return static_cast<uint32_t>(NetGetI32(p)); }

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
    selfId_ = 0;
    hostId_ = 0;
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
  std::string cut = CutName(name && *name ? name : "KELVANTHROP");
  if (!transport_->Listen(cut)) return kNetErrConnection;
  sessionName_ = cut;
  role_ = Role::kHost;
  selfId_ = 0;
  hostId_ = 0;
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
  sessionName_ = found_[i].name;
  Link l;
  l.lastHeard = l.lastSent = Now();
  links_[hostLink_] = l;
  const NetSessionInfo host = found_[i];
  auto failed = [&] { return hostLink_ < 0 || links_.find(hostLink_) == links_.end(); };
  bool lost = false;
  if (!WaitFor([&] { return hostConnected_ || failed(); }, kAnswerWaitMs) || !hostConnected_) {
    lost = true;
  } else {
    // The port this machine takes the other members' links on: the host
    // tells them, and they tell later newcomers.
    uint8_t p[5] = {kJoin};
    NetPutU16(p + 1, kProtocolVersion);
    NetPutU16(p + 3, transport_->LocalPort());
    SendPacket(hostLink_, std::vector<uint8_t>(p, p + 5));
    if (!WaitFor([&] { return welcomed_ || failed(); }, kAnswerWaitMs) || !welcomed_) lost = true;
  }
  if (lost) {
    if (hostLink_ >= 0) transport_->Disconnect(hostLink_);
    ResetSession();
    return kNetErrLost;
  }
  auto it = peers_.find(hostId_);
  if (it != peers_.end()) it->second.address = host;
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
  found_.clear();
  ResetSession();
  mode_ = Mode::kNone;
}

void NetSession::ResetSession() {
  links_.clear();
  peers_.clear();
  recv_.clear();
  chat_.clear();
  ForgetEndedEvent();
  for (auto& s : slots_) s = Slot();
  role_ = Role::kNone;
  sessionName_.clear();
  selfId_ = -1;
  hostId_ = -1;
  hostSlot_ = -1;
  heldHostSlot_ = -1;
  hostLink_ = -1;
  hostConnected_ = false;
  welcomed_ = false;
  removed_ = false;
  gameRunning_ = false;
  acceptNew_ = true;
  appSeq_ = 0;
}

int NetSession::SlotsOf(int machine) const {
  int n = 0;
  for (int s = 0; s < kNetPlayerSlots; ++s)
    n += slots_[s].state != kSlotFree &&
         (slots_[s].state == kSlotLocal ? selfId_ : slots_[s].machine) == machine;
  return n;
}

int NetSession::AddLocalPlayer(const char* name, int slot) {
  if (mode_ == Mode::kNone) return -1;
  if (slot >= kNetSlots) return -1;
  if (role_ == Role::kClient) {
    if (!welcomed_) return -1;
    // Slots are the host's to give.
    const int host = hostId_;
    addRequest_ = static_cast<uint8_t>(addRequest_ + 1);
    addReply_ = -2;
    std::vector<uint8_t> p(2 + kNetNameSize, 0);
    p[0] = kAdd;
    p[1] = addRequest_;
    NetPutName(p.data() + 2, kNetNameSize, name);
    SendToPeer(host, p);
    bool ok = WaitFor([&] { return addReply_ != -2 || hostId_ != host || peers_.count(host) == 0; },
                      kAnswerWaitMs);
    if (!ok || addReply_ < 0 || !ValidSlot(addReply_) || slots_[addReply_].state != kSlotFree) return -1;
    int s = addReply_;
    slots_[s].state = kSlotLocal;
    slots_[s].name = CutName(name);
    slots_[s].machine = selfId_;
    // Everybody hears of it from this machine too, in order with what it
    // says next.
    SendToPeers(PlayerPacket(s, false));
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
  slots_[slot].machine = selfId_;
  if (hostSlot_ < 0) hostSlot_ = slot;
  if (mode_ == Mode::kNetwork) SendToPeers(PlayerPacket(slot, false));
  return slot;
}

bool NetSession::RemoveMachine(int slot) {
  if (mode_ != Mode::kNetwork || role_ != Role::kHost || gameRunning_) return false;
  if (!ValidSlot(slot) || slots_[slot].state != kSlotRemote) return false;
  const int id = slots_[slot].machine;
  auto it = peers_.find(id);
  if (it == peers_.end() || it->second.lost) return false;
  // Everybody hears it from the host before the host's word that it lost
  // that machine; the machine itself hears why.
  const std::vector<uint8_t> word = {kRemoved, static_cast<uint8_t>(id)};
  for (auto& [other, peer] : peers_)
    if (!peer.lost) SendToPeer(other, word);
  if (it->second.ready) CutAfterSending(it->second);
  if (transport_) transport_->Flush();
  LosePeer(id);
  return true;
}

// The link to a machine this one cuts off goes once the last word on it has
// gone out; the machine is lost from here on.
void NetSession::CutAfterSending(Peer& peer) {
  if (peer.link < 0 || !transport_) return;
  transport_->DisconnectAfterSending(peer.link);
  links_.erase(peer.link);
  peer.link = -1;
  peer.ready = false;
}

void NetSession::SetGameRunning(bool running) {
  gameRunning_ = running;
  if (running) return;
  for (auto& [id, peer] : peers_) {
    peer.voted = false;
    peer.cutUs = false;
  }
}

void NetSession::RemoveLocalPlayer(int slot) {
  if (!ValidSlot(slot) || slots_[slot].state == kSlotFree) return;
  const bool wasHost = slot == hostSlot_;
  if (mode_ == Mode::kLoopback) {
    slots_[slot] = Slot();
    QueueSystem(kMsgPlayerLeft, slot, wasHost, "");
    if (wasHost) SetHostSlot();
    return;
  }
  if (mode_ != Mode::kNetwork) return;
  if (slots_[slot].state == kSlotLocal) {
    slots_[slot] = Slot();
    SendToPeers({kLeft, static_cast<uint8_t>(slot)});
    QueueSystem(kMsgPlayerLeft, slot, wasHost, "");
    if (wasHost) SetHostSlot();
    return;
  }
  // A remote player: the players here agreed to drop its machine. It is
  // told, and this machine stops listening to it.
  const int id = slots_[slot].machine;
  auto it = peers_.find(id);
  if (it == peers_.end()) return;
  if (it->second.ready) {
    SendPacket(it->second.link, {kCut});
    CutAfterSending(it->second);
    transport_->Flush();
  }
  LosePeer(id);
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

bool NetSession::IsHost() const {
  if (heldHostSlot_ >= 0) return ValidSlot(heldHostSlot_) && slots_[heldHostSlot_].state == kSlotLocal;
  return role_ == Role::kHost;
}

int NetSession::HostSlot() const { return heldHostSlot_ >= 0 ? heldHostSlot_ : hostSlot_; }

bool NetSession::HearsPlayer(int slot) const {
  if (!ValidSlot(slot)) return false;
  if (slots_[slot].state == kSlotLocal) return true;
  if (slots_[slot].state != kSlotRemote) return false;
  auto it = peers_.find(slots_[slot].machine);
  if (it == peers_.end() || !it->second.ready) return false;
  auto l = links_.find(it->second.link);
  return l != links_.end() && Now() - l->second.lastHeard <= kSilentMs;
}

int NetSession::LinkedMachines() const {
  int n = 0;
  for (const auto& [id, p] : peers_) n += p.ready;
  return n;
}

void NetSession::SetHostSlot() {
  hostSlot_ = -1;
  for (int s = 0; s < kNetPlayerSlots && hostSlot_ < 0; ++s)
    if (slots_[s].state != kSlotFree && slots_[s].machine == hostId_) hostSlot_ = s;
}

bool NetSession::AnyLocalOtherThan(int from) const {
  for (int s = 0; s < kNetSlots; ++s)
    if (s != from && slots_[s].state == kSlotLocal) return true;
  return false;
}

bool NetSession::Send(int from, int to, const void* data, size_t size) {
  if (mode_ == Mode::kNone || !data || size < 4 || size > kMaxMessage) return false;
  if (!ValidSlot(from) || slots_[from].state != kSlotLocal) return false;
  if (!ToAll(to)) {
    if (!ValidSlot(to) || slots_[to].state == kSlotFree) return false;
  }
  Route(from, to, static_cast<const uint8_t*>(data), size);
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
// receive queue, the other machines straight over their links.
void NetSession::Route(int from, int to, const uint8_t* data, size_t size) {
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
  if (!ToAll(to) && slots_[to].state != kSlotRemote) return;
  std::vector<uint8_t> p(kAppHeader + size);
  p[0] = kApp;
  p[1] = static_cast<uint8_t>(from);
  p[2] = static_cast<uint8_t>(static_cast<int8_t>(to));
  PutU32(p.data() + 3, ++appSeq_);
  std::memcpy(p.data() + kAppHeader, data, size);
  if (ToAll(to)) {
    SendToPeers(p);
  } else {
    SendToPeer(slots_[to].machine, p);
  }
}

// A message of another machine (or a copy of one, handed on by a third)
// reaches this machine's players. What it sent to everybody is kept for a
// while, for the others in case it is lost.
void NetSession::Deliver(int machine, int from, int to, uint32_t seq, const uint8_t* data, size_t size,
                         bool keep) {
  auto it = peers_.find(machine);
  if (it == peers_.end()) return;
  Peer& peer = it->second;
  if (size >= 1 && data[0] == kMsgDropVote && gameRunning_) peer.voted = true;
  if (keep) CheckRelayed(peer, seq, data, size);  // straight from the machine itself
  peer.delivered.push_back(seq);
  if (peer.delivered.size() > kDeliveredSeqs) peer.delivered.pop_front();
  if (keep && ToAll(to)) {
    peer.kept.push_back(Kept{from, to, seq, std::vector<uint8_t>(data, data + size)});
    if (peer.kept.size() > kKeptMessages) peer.kept.pop_front();
  }
  DeliverLocal(from, to, data, size);
}

bool NetSession::Receive(NetMessage* out) {
  // What is queued comes before anything still on the wire, so the wire is
  // read once the queue runs dry rather than once per message: a frame of
  // the lock-step drains several messages, and every look at the wire costs
  // system calls. A long queue still lets the pump run now and then.
  if (recv_.empty() || Now() - lastPump_ >= kPumpAtLeastMs) Pump();
  return TakeQueued(out);
}

bool NetSession::TakeQueued(NetMessage* out) {
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
  DecodedNetMessage d;
  if (ended_.slot >= 0 && !msg.data.empty() && msg.data[0] == kMsgResendRequest &&
      DecodeNetMessage(msg.from, msg.data.data(), msg.data.size(), &d) && d.from != ended_.slot) {
    if (!ended_.input.empty() && d.syncPoint == ended_.lastPlayed) {
      Send(ended_.slot, d.from, ended_.input.data(), ended_.input.size());
    } else if (d.syncPoint > ended_.lastPlayed) {
      Send(ended_.slot, d.from, ended_.end.data(), ended_.end.size());
    }
  }
  return 0;
}

void NetSession::KeepEndedEvent(int slot, int32_t lastPlayed, const uint8_t* input, const uint8_t* end) {
  ForgetEndedEvent();
  if (!ValidSlot(slot) || !end) return;
  ended_.slot = slot;
  ended_.lastPlayed = lastPlayed;
  if (input) ended_.input.assign(input, input + kMsgInputSize);
  ended_.end.assign(end, end + kMsgShortSize);
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

// To one machine: over its link, or kept until the link is up.
void NetSession::SendToPeer(int id, const std::vector<uint8_t>& p) {
  auto it = peers_.find(id);
  if (it == peers_.end() || it->second.lost) return;
  Peer& peer = it->second;
  if (peer.ready) {
    SendPacket(peer.link, p);
  } else if (peer.outbox.size() < kMaxQueuedPackets) {
    peer.outbox.push_back(p);
  }
}

void NetSession::SendToPeers(const std::vector<uint8_t>& p, int except) {
  for (auto& [id, peer] : peers_)
    if (id != except) SendToPeer(id, p);
}

std::vector<uint8_t> NetSession::PlayerPacket(int slot, bool entry) const {
  std::vector<uint8_t> p(4 + kNetNameSize, 0);
  p[0] = kPlayer;
  p[1] = static_cast<uint8_t>(slot);
  p[2] = static_cast<uint8_t>((slot == hostSlot_ ? 1 : 0) | (entry ? 2 : 0));
  p[3] = static_cast<uint8_t>(slots_[slot].state == kSlotLocal ? selfId_ : slots_[slot].machine);
  NetPutName(p.data() + 4, kNetNameSize, slots_[slot].name.c_str());
  return p;
}

// Where a machine takes links; with `dial` the receiver links up to it (it
// is new there), else it waits for the machine's own link.
std::vector<uint8_t> NetSession::MemberPacket(int id, bool dial) const {
  std::vector<uint8_t> p(5 + kAddressField, 0);
  p[0] = kMember;
  p[1] = static_cast<uint8_t>(id);
  p[2] = dial ? 1 : 0;
  auto it = peers_.find(id);
  if (it != peers_.end()) {
    NetPutU16(p.data() + 3, it->second.address.port);
    NetPutName(p.data() + 5, kAddressField, it->second.address.address.c_str());
  }
  return p;
}

void NetSession::Pump() {
  if (pumping_ || mode_ != Mode::kNetwork || !transport_) return;
  pumping_ = true;
  lastPump_ = Now();
  NetTransportEvent ev;
  while (transport_ && transport_->Poll(&ev)) HandleEvent(ev);
  if (transport_) {
    uint32_t now = Now();
    std::vector<int> dead;
    for (auto& [id, link] : links_) {
      // Pings keep a link alive, not a place in the session: a machine that
      // opened a link and never joined is dropped all the same.
      if (link.incoming && link.machine < 0 && now - link.opened > joinWindowMs_) {
        dead.push_back(id);
      } else if (now - link.lastHeard > timeoutMs_) {
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
    // A member that never links up is as good as gone.
    std::vector<int> unreached;
    for (auto& [id, peer] : peers_)
      if (!peer.ready && !peer.lost && now - peer.since > timeoutMs_) unreached.push_back(id);
    for (int id : unreached) {
      DebugPrintf("network: machine %d never linked up\n", id);
      LosePeer(id);
    }
    // Machines lost here that have not left yet: the others hear it again.
    for (auto& [id, peer] : peers_) {
      if (!peer.lost || now - peer.goneSent < keepAliveMs_) continue;
      peer.goneSent = now;
      const std::vector<uint8_t> gone = GonePacket(id);
      for (auto& [other, o] : peers_)
        if (other != id && o.ready) SendToPeer(other, gone);
    }
    if (transport_) transport_->Flush();
  }
  pumping_ = false;
}

void NetSession::HandleEvent(NetTransportEvent& ev) {
  switch (ev.kind) {
    case NetTransportEvent::kConnected: {
      const uint32_t now = Now();
      if (role_ == Role::kClient && !welcomed_ && ev.link == hostLink_) {
        hostConnected_ = true;
        links_[ev.link].lastHeard = now;
        return;
      }
      // A link this machine started to a member: say who we are, then what
      // waited for it.
      for (auto& [id, peer] : peers_) {
        if (peer.link != ev.link || peer.ready || peer.lost) continue;
        peer.ready = true;
        Link& l = links_[ev.link];
        l.machine = id;
        l.lastHeard = now;
        SendPacket(ev.link, {kHello, static_cast<uint8_t>(selfId_)});
        std::deque<std::vector<uint8_t>> out;
        out.swap(peer.outbox);
        for (const auto& p : out) SendPacket(ev.link, p);
        return;
      }
      if (links_.count(ev.link)) return;
      // Someone else's link: a joiner (at the host) or a newcomer member.
      if (links_.size() >= kMaxLinks || role_ == Role::kNone) {
        transport_->Disconnect(ev.link);
        return;
      }
      Link l;
      l.incoming = true;
      l.opened = l.lastHeard = l.lastSent = now;
      links_[ev.link] = l;
      return;
    }
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
  const int machine = links_[link].machine;
  if (machine < 0) {
    NewLinkPacket(link, p);
  } else {
    PeerPacket(machine, p);
  }
}

// The first packets of a link whose machine is not known yet.
void NetSession::NewLinkPacket(int link, const std::vector<uint8_t>& p) {
  Link& l = links_[link];
  if (role_ == Role::kClient && !welcomed_ && link == hostLink_) {
    if (p[0] == kWelcome && p.size() == 4) {
      const int self = p[1], host = p[2], hs = static_cast<int8_t>(p[3]);
      if (!ValidMachine(self) || !ValidMachine(host) || self == host) return;
      selfId_ = self;
      hostId_ = host;
      hostSlot_ = ValidSlot(hs) ? hs : -1;
      Peer& h = peers_[host];
      h.link = link;
      h.ready = true;
      h.since = Now();
      l.machine = host;
      hostLink_ = -1;
      welcomed_ = true;
    } else if (p[0] == kRefuse) {
      transport_->Disconnect(link);
      LinkLost(link);
    }
    return;
  }
  if (l.hello >= 0) {
    // A member's link waiting for the host's word on that member.
    if (l.held.size() < kMaxQueuedPackets) l.held.push_back(p);
    return;
  }
  if (p[0] == kJoin) {
    AdmitJoiner(link, p);
  } else if (p[0] == kHello && p.size() == 2 && ValidMachine(p[1])) {
    l.hello = p[1];
    ConfirmHello(link);
  }
}

void NetSession::AdmitJoiner(int link, const std::vector<uint8_t>& p) {
  if (p.size() != 5) return;
  int id = -1;
  for (int m = 0; m < kMaxMachines && id < 0; ++m)
    if (m != selfId_ && peers_.find(m) == peers_.end()) id = m;
  if (role_ != Role::kHost || !acceptNew_ || NetGetU16(p.data() + 1) != kProtocolVersion || id < 0) {
    SendPacket(link, {kRefuse, 0});
    return;
  }
  // Where the others reach it: the address it came from, the port it says
  // it takes links on (it may have come through a relay).
  NetSessionInfo where = transport_->RemoteAddress(link);
  where.port = NetGetU16(p.data() + 3);
  Peer& n = peers_[id];
  n.link = link;
  n.ready = true;
  n.address = where;
  n.since = Now();
  links_[link].machine = id;
  SendPacket(link, {kWelcome, static_cast<uint8_t>(id), static_cast<uint8_t>(selfId_),
                    static_cast<uint8_t>(static_cast<int8_t>(hostSlot_))});
  for (auto& [other, peer] : peers_) {
    if (other == id || peer.lost) continue;
    SendPacket(link, MemberPacket(other, true));
    SendToPeer(other, MemberPacket(id, false));
  }
  for (int s = 0; s < kNetPlayerSlots; ++s)
    if (slots_[s].state != kSlotFree) SendPacket(link, PlayerPacket(s, true));
}

// A member's link said whose it is: taken when the host announced that
// member at the address the link comes from.
void NetSession::ConfirmHello(int link) {
  auto lit = links_.find(link);
  if (lit == links_.end()) return;
  const int id = lit->second.hello;
  auto it = peers_.find(id);
  if (it == peers_.end()) return;  // the host's word on it is still on its way
  Peer& peer = it->second;
  const NetSessionInfo from = transport_->RemoteAddress(link);
  const bool placeOk = peer.address.address.empty() ||
                       (from.address == peer.address.address && from.port == peer.address.port);
  if (peer.ready || peer.lost || !placeOk) {
    DebugPrintf("network: link %d refused as machine %d\n", link, id);
    transport_->Disconnect(link);
    links_.erase(lit);
    return;
  }
  peer.link = link;
  peer.ready = true;
  lit->second.machine = id;
  lit->second.hello = -1;
  std::deque<std::vector<uint8_t>> held;
  held.swap(lit->second.held);
  std::deque<std::vector<uint8_t>> out;
  out.swap(peer.outbox);
  for (const auto& p : out) SendPacket(link, p);
  for (const auto& p : held) {
    auto again = peers_.find(id);
    if (again == peers_.end() || !again->second.ready) break;
    PeerPacket(id, p);
  }
}

// The host's word on a member: a newcomer links up to it; the others wait
// for its link.
void NetSession::Member(int id, bool dial, const NetSessionInfo& address) {
  if (!ValidMachine(id) || id == selfId_) return;
  auto it = peers_.find(id);
  if (it != peers_.end()) {
    if (!it->second.ready && !it->second.lost) it->second.address = address;
  } else {
    Peer& peer = peers_[id];
    peer.address = address;
    peer.since = Now();
    if (dial && transport_) {
      peer.link = transport_->Connect(address);
      if (peer.link >= 0) {
        Link l;
        l.lastHeard = l.lastSent = Now();
        links_[peer.link] = l;
      }
    }
  }
  std::vector<int> waiting;
  for (auto& [link, l] : links_)
    if (l.machine < 0 && l.hello == id) waiting.push_back(link);
  for (int link : waiting) ConfirmHello(link);
}

bool NetSession::AppAcceptable(int machine, int from, int to, const uint8_t* msg, size_t size) const {
  if (size < 4 || size > kMaxMessage) return false;
  // A machine speaks only for its own players, and never as the session.
  if (!ValidSlot(from) || slots_[from].state != kSlotRemote || slots_[from].machine != machine) return false;
  if (msg[0] < kMsgChat) return false;
  return ToAll(to) || (ValidSlot(to) && slots_[to].state == kSlotLocal);
}

void NetSession::PeerPacket(int machine, const std::vector<uint8_t>& p) {
  auto pit = peers_.find(machine);
  if (pit == peers_.end() || pit->second.lost) return;
  switch (p[0]) {
    case kAdd: {
      if (p.size() != 2 + static_cast<size_t>(kNetNameSize) || role_ != Role::kHost) return;
      int slot = -1;
      // No more players than people at one machine's keyboard.
      if (acceptNew_ && SlotsOf(machine) < kNetPlayersPerMachine) {
        for (int s = 0; s < kNetPlayerSlots && slot < 0; ++s)
          if (slots_[s].state == kSlotFree) slot = s;
      }
      SendToPeer(machine, {kAdded, p[1], static_cast<uint8_t>(static_cast<int8_t>(slot))});
      if (slot < 0) return;
      char name[kNetNameSize];
      NetGetName(p.data() + 2, kNetNameSize, name, sizeof name);
      slots_[slot].state = kSlotRemote;
      slots_[slot].name = name;
      slots_[slot].machine = machine;
      SendToPeers(PlayerPacket(slot, false), machine);
      QueueSystem(kMsgPlayerJoined, slot, 0, name);
      return;
    }
    case kAdded: {
      if (p.size() != 3 || machine != hostId_ || p[1] != addRequest_) return;
      int slot = static_cast<int8_t>(p[2]);
      addReply_ = ValidSlot(slot) && slots_[slot].state == kSlotFree ? slot : -1;
      return;
    }
    case kPlayer: {
      if (p.size() != 4 + static_cast<size_t>(kNetNameSize)) return;
      const int slot = static_cast<int8_t>(p[1]);
      const int owner = p[3];
      // The host tells of anybody's players, a machine of its own.
      if (!ValidSlot(slot) || slots_[slot].state == kSlotLocal) return;
      if (owner != machine && machine != hostId_) return;
      auto oit = peers_.find(owner);
      if (oit == peers_.end() || oit->second.lost) return;
      if (slots_[slot].state == kSlotRemote && slots_[slot].machine != owner && machine != hostId_) return;
      // A machine tells of the slot the host gave it (in order with what its
      // player says next, which may come before the host's word); a free
      // slot it takes that way counts against its share all the same, and
      // at the host only while players may join.
      if (slots_[slot].state == kSlotFree && machine != hostId_ &&
          (SlotsOf(owner) >= kNetPlayersPerMachine || (role_ == Role::kHost && !acceptNew_)))
        return;
      char name[kNetNameSize];
      NetGetName(p.data() + 4, kNetNameSize, name, sizeof name);
      const bool was = slots_[slot].state == kSlotRemote;
      slots_[slot].state = kSlotRemote;
      slots_[slot].name = name;
      slots_[slot].machine = owner;
      if ((p[2] & 1) && owner == hostId_) hostSlot_ = slot;
      if (!was) QueueSystem((p[2] & 2) ? kMsgPlayerEntry : kMsgPlayerJoined, slot, p[2] & 1, name);
      return;
    }
    case kLeft: {
      if (p.size() != 2) return;
      const int slot = static_cast<int8_t>(p[1]);
      if (!ValidSlot(slot) || slots_[slot].state != kSlotRemote || slots_[slot].machine != machine) return;
      const bool wasHost = slot == hostSlot_;
      slots_[slot] = Slot();
      QueueSystem(kMsgPlayerLeft, slot, wasHost, "");
      if (wasHost) SetHostSlot();
      return;
    }
    case kMember: {
      if (p.size() != 5 + static_cast<size_t>(kAddressField) || machine != hostId_) return;
      char address[kAddressField];
      NetGetName(p.data() + 5, kAddressField, address, sizeof address);
      NetSessionInfo where;
      where.address = address;
      where.port = NetGetU16(p.data() + 3);
      Member(p[1], p[2] & 1, where);
      return;
    }
    case kApp: {
      if (p.size() < static_cast<size_t>(kAppHeader)) return;
      const int from = static_cast<int8_t>(p[1]);
      const int to = static_cast<int8_t>(p[2]);
      const uint8_t* msg = p.data() + kAppHeader;
      const size_t size = p.size() - kAppHeader;
      if (!AppAcceptable(machine, from, to, msg, size)) return;
      Deliver(machine, from, to, GetU32(p.data() + 3), msg, size, true);
      return;
    }
    case kRelay: {
      if (p.size() < static_cast<size_t>(kRelayHeader)) return;
      const int origin = p[1];
      const int from = static_cast<int8_t>(p[2]);
      const int to = static_cast<int8_t>(p[3]);
      const uint32_t seq = GetU32(p.data() + 4);
      const uint8_t* msg = p.data() + kRelayHeader;
      const size_t size = p.size() - kRelayHeader;
      // A copy is handed on only by a machine that lost the original's
      // sender, and it says so first.
      if (origin == machine || !ValidMachine(origin)) return;
      auto oit = peers_.find(origin);
      if (oit == peers_.end() || !(oit->second.goneFrom & (1u << machine))) return;
      TakeCopy(machine, origin, from, to, seq, msg, size);
      return;
    }
    case kGone: {
      if (p.size() < 2) return;
      const int id = p[1];
      auto git = peers_.find(id);
      if (id == machine || git == peers_.end()) return;
      // The copies come in the same packet as the word that the sender lost
      // the machine: whoever counts the one has the others.
      for (size_t at = 2; at < p.size();) {
        if (p.size() - at < kCopyHeader) return;
        const size_t size = NetGetU16(p.data() + at + 6);
        if (p.size() - at - kCopyHeader < size) return;
        TakeCopy(machine, id, static_cast<int8_t>(p[at]), static_cast<int8_t>(p[at + 1]),
                 GetU32(p.data() + at + 2), p.data() + at + kCopyHeader, size);
        at += kCopyHeader + size;
      }
      git = peers_.find(id);
      if (git == peers_.end()) return;
      git->second.goneFrom |= 1u << machine;
      // One this machine never reached is as lost here as for the host,
      // which announced it. Another machine's word alone does not shut it
      // out (it may simply not have linked up here yet): the host's word or
      // the time limit on linking up does.
      if (!git->second.ready && !git->second.lost && machine == hostId_) {
        LosePeer(id);
      } else {
        CheckDepartures();
      }
      return;
    }
    case kCut:
      // A drop needs the vote: only a machine whose player voted for one
      // during this game can have cut this machine off (one without
      // players, or that never voted, or a vote in the lobby, would
      // otherwise make this machine think itself dropped once it leaves).
      if (pit->second.voted && gameRunning_) pit->second.cutUs = true;
      return;
    case kRemoved: {
      // The host's word alone, and only in the lobby.
      if (p.size() != 2 || machine != hostId_ || gameRunning_) return;
      const int id = p[1];
      if (id == selfId_) {
        removed_ = true;
        std::vector<int> all;
        for (const auto& [other, peer] : peers_) all.push_back(other);
        for (int other : all) {
          auto o = peers_.find(other);
          if (o != peers_.end() && o->second.link >= 0 && transport_) {
            transport_->Disconnect(o->second.link);
            links_.erase(o->second.link);
          }
          Depart(other, true);
        }
        for (int s = 0; s < kNetPlayerSlots; ++s)
          if (slots_[s].state == kSlotLocal) QueueSystem(kMsgPlayerLeft, s, s == hostSlot_, "");
        return;
      }
      if (id != machine && peers_.count(id)) LosePeer(id);
      return;
    }
    default:
      return;
  }
}

// Whether `sender` can have had messages of `origin` to hand on: both are
// members, the sender is linked here, and the origin has not told that it
// never reached the sender (or lost it).
bool NetSession::CouldHaveHeard(int sender, int origin) const {
  if (sender == origin || origin == selfId_) return false;
  auto s = peers_.find(sender);
  auto o = peers_.find(origin);
  if (s == peers_.end() || o == peers_.end() || !s->second.ready) return false;
  return !(s->second.goneFrom & (1u << origin));
}

// A message came straight from its machine: a kept copy of the same number
// is either this message or one that machine never sent (a forgery, which
// its sender's other copies are not trusted after).
void NetSession::CheckRelayed(Peer& peer, uint32_t seq, const uint8_t* data, size_t size) {
  auto& r = peer.relayed;
  std::vector<int> liars;
  for (const Kept& k : r)
    if (k.seq == seq && (k.data.size() != size || std::memcmp(k.data.data(), data, size) != 0)) {
      DebugPrintf("network: machine %d handed on a message %u that its origin never sent\n", k.sender, seq);
      liars.push_back(k.sender);
    }
  r.erase(std::remove_if(r.begin(), r.end(),
                         [&](const Kept& k) {
                           return k.seq == seq ||
                                  std::find(liars.begin(), liars.end(), k.sender) != liars.end();
                         }),
          r.end());
}

// A copy of a message of machine `origin` that machine `sender` handed on.
// Only what the origin itself sent to everybody, from a machine that can
// have heard it.
void NetSession::TakeCopy(int sender, int origin, int from, int to, uint32_t seq, const uint8_t* msg,
                          size_t size) {
  if (origin == selfId_ || !ToAll(to)) return;
  auto oit = peers_.find(origin);
  if (oit == peers_.end() || !AppAcceptable(origin, from, to, msg, size)) return;
  if (!CouldHaveHeard(sender, origin)) {
    DebugPrintf("network: copy of machine %d's message from machine %d refused\n", origin, sender);
    return;
  }
  Peer& o = oit->second;
  if (o.lost) {
    if (std::find(o.delivered.begin(), o.delivered.end(), seq) == o.delivered.end())
      Deliver(origin, from, to, seq, msg, size, false);
    return;
  }
  // Still heard here: kept, in case this machine loses it too.
  for (const Kept& k : o.relayed)
    if (k.seq == seq) return;
  if (o.relayed.size() >= kMaxRelayed) o.relayed.erase(o.relayed.begin());
  o.relayed.push_back(Kept{from, to, seq, std::vector<uint8_t>(msg, msg + size), sender});
}

// The word that this machine lost `id`, with the copies of id's last
// messages it had.
std::vector<uint8_t> NetSession::GonePacket(int id) const {
  std::vector<uint8_t> p = {kGone, static_cast<uint8_t>(id)};
  auto it = peers_.find(id);
  if (it == peers_.end()) return p;
  for (const Kept& k : it->second.kept) {
    const size_t at = p.size();
    p.resize(at + kCopyHeader + k.data.size());
    p[at] = static_cast<uint8_t>(k.from);
    p[at + 1] = static_cast<uint8_t>(static_cast<int8_t>(k.to));
    PutU32(p.data() + at + 2, k.seq);
    NetPutU16(p.data() + at + 6, static_cast<uint16_t>(k.data.size()));
    std::memcpy(p.data() + at + kCopyHeader, k.data.data(), k.data.size());
  }
  return p;
}

void NetSession::LinkLost(int link) {
  auto it = links_.find(link);
  if (it == links_.end()) return;
  const int machine = it->second.machine;
  links_.erase(it);
  if (link == hostLink_) {
    hostLink_ = -1;  // a join that failed
    return;
  }
  auto pit = peers_.find(machine);
  if (machine < 0 || pit == peers_.end() || pit->second.link != link) return;
  pit->second.link = -1;
  pit->second.ready = false;
  LosePeer(machine);
}

// This machine no longer hears another: it hands the others what it had
// of that machine's messages (they may lack the last ones), tells them, and
// the machine leaves once all of them have lost it as well.
void NetSession::LosePeer(int id) {
  auto it = peers_.find(id);
  if (it == peers_.end() || it->second.lost) return;
  Peer& peer = it->second;
  if (peer.link >= 0) {
    if (transport_) transport_->Disconnect(peer.link);
    links_.erase(peer.link);
    peer.link = -1;
  }
  DebugPrintf("network: machine %d lost\n", id);
  peer.ready = false;
  peer.lost = true;
  peer.since = Now();
  peer.outbox.clear();
  // Copies the others handed on while it was still heard here.
  std::vector<Kept> relayed;
  relayed.swap(peer.relayed);
  std::sort(relayed.begin(), relayed.end(), [](const Kept& a, const Kept& b) { return a.seq < b.seq; });
  for (const Kept& k : relayed) {
    // The origin may have told since that it never reached the sender.
    auto s = peers_.find(k.sender);
    if (s != peers_.end() && (s->second.goneFrom & (1u << id))) continue;
    Peer& again = peers_[id];
    if (std::find(again.delivered.begin(), again.delivered.end(), k.seq) == again.delivered.end())
      Deliver(id, k.from, k.to, k.seq, k.data.data(), k.data.size(), false);
  }
  // Said again from Pump until the machine has left: a packet of it lost on
  // the way must not leave another machine waiting for this one's word.
  peers_[id].goneSent = Now();
  const std::vector<uint8_t> gone = GonePacket(id);
  for (auto& [other, o] : peers_)
    if (other != id && !o.lost) SendToPeer(other, gone);
  CheckDepartures();
}

// Lost machines leave once every machine this one still hears has lost them
// too. A machine left with nobody, whom the others told they agreed to drop
// it, hears its own players named instead: it was dropped.
void NetSession::CheckDepartures() {
  for (;;) {
    bool anyHeard = false;
    int cutters = 0;
    for (const auto& [id, peer] : peers_) {
      anyHeard |= !peer.lost;
      cutters += peer.cutUs;
    }
    // The host of the session is dropped by the others' agreement, never by
    // one machine that cut it off: that one has left, as far as it knows.
    if (!anyHeard && cutters > 0 && (role_ != Role::kHost || cutters >= 2)) {
      std::vector<int> all;
      for (const auto& [id, peer] : peers_) all.push_back(id);
      for (int id : all) Depart(id, true);
      for (int s = 0; s < kNetPlayerSlots; ++s)
        if (slots_[s].state == kSlotLocal) QueueSystem(kMsgPlayerLeft, s, s == hostSlot_, "");
      return;
    }
    int leaving = -1;
    for (const auto& [id, peer] : peers_) {
      if (!peer.lost) continue;
      bool agreed = true;
      for (const auto& [other, o] : peers_)
        if (other != id && o.ready && !(peer.goneFrom & (1u << other))) agreed = false;
      if (agreed) {
        leaving = id;
        break;
      }
    }
    if (leaving < 0) return;
    Depart(leaving, false);
  }
}

void NetSession::Depart(int id, bool quiet) {
  const bool wasHostMachine = id == hostId_;
  for (int s = 0; s < kNetPlayerSlots; ++s) {
    if (slots_[s].state != kSlotRemote || slots_[s].machine != id) continue;
    const bool wasHost = wasHostMachine && s == hostSlot_;
    slots_[s] = Slot();
    if (!quiet) QueueSystem(kMsgPlayerLeft, s, wasHost, "");
  }
  peers_.erase(id);
  for (auto& [other, peer] : peers_) peer.goneFrom &= ~(1u << id);
  if (wasHostMachine) ChooseHost();
}

// The host's duties go to the machine with the lowest player slot still in
// the session (this one included), or with no players at all to the lowest
// machine number: every machine knows both, so no vote is needed.
void NetSession::ChooseHost() {
  if (removed_) return;  // out of the session: nobody's host
  int best = -1;
  for (int s = 0; s < kNetPlayerSlots && best < 0; ++s)
    if (slots_[s].state != kSlotFree) best = slots_[s].state == kSlotLocal ? selfId_ : slots_[s].machine;
  if (best < 0) {
    best = selfId_;
    for (const auto& [id, peer] : peers_) best = std::min(best, id);
  }
  hostId_ = best;
  SetHostSlot();
  const bool wasHost = role_ == Role::kHost;
  role_ = best == selfId_ ? Role::kHost : Role::kClient;
  DebugPrintf("network: machine %d hosts the session now\n", best);
  if (role_ == Role::kHost && !wasHost && transport_ && !transport_->Listen(sessionName_))
    DebugPrintf("network: the new host cannot answer searches\n");
}

bool ParseHostAddress(const std::string& text, std::string* host, uint16_t* port) {
  const size_t colon = text.find(':');
  const std::string name = text.substr(0, colon);
  if (name.empty() || name.size() >= static_cast<size_t>(netwire::kAddressField)) return false;
  for (char c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_') return false;
  }
  uint32_t p = 0;
  if (colon != std::string::npos) {
    const std::string digits = text.substr(colon + 1);
    if (digits.empty() || digits.size() > 5) return false;
    for (char c : digits) {
      if (c < '0' || c > '9') return false;
      p = p * 10 + static_cast<uint32_t>(c - '0');
    }
    if (p < 1 || p > 65534) return false;
  }
  if (host) *host = name;
  if (port) *port = static_cast<uint16_t>(p);
  return true;
}
