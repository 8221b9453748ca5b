#pragma once
// The network session: every game runs through it, also one on a single
// machine (the local loopback, provider 0). It keeps 16 player slots (free,
// local, remote), of which players take slots 0..3; it carries the game's
// messages to one slot, to all (kNetToAll, the sender too) or to all but the
// sender (kNetToAllButSelf), in order per sender; it keeps a receive queue
// and a separate chat queue, and it tells the game about players who join or
// leave through session messages (types 0..3, sender kNetSystemSender).
//
// Between machines the session is a star: the host accepts the links and
// hands each message on to the machines of its addressees. A machine that
// stops answering is reported as left after a timeout.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "net/net_message.h"
#include "net/net_transport.h"

class Clock;

// Packets between sessions on a link: u8 kind, then the kind's fields. Public
// for tests that play a hostile machine.
namespace netwire {
enum Kind : uint8_t {
  kJoin = 1,     // u16 version
  kWelcome = 2,  // i8 host slot
  kRefuse = 3,   // u8 reason
  kAdd = 4,      // u8 request, name[16]
  kAdded = 5,    // u8 request, i8 slot
  kPlayer = 6,   // i8 slot, u8 flags (1 host player, 2 already there), name[16]
  kLeft = 7,     // i8 slot, u8 was host
  kRemove = 8,   // i8 slot
  kApp = 9,      // i8 from, i8 to, message
  kPing = 10,
  kBye = 11,
};
}  // namespace netwire

inline constexpr int kNetSlots = 16;
inline constexpr int kNetPlayerSlots = 4;  // players only ever take slots 0..3
enum NetSlotState { kSlotFree = 0, kSlotLocal = 1, kSlotRemote = 2 };

// Error codes of the session calls; NetErrorTextId gives the text to show.
enum NetError {
  kNetOk = 0,
  kNetErrCreatePlayer = 1,  // "Cannot create a new player."
  kNetErrConnection = 2,    // "Network connection failed. ..."
  kNetErrLost = 3,          // "The connection to the session has been lost or ..."
  kNetErrUnknown = 4,       // "Unknown network error"
};
int NetErrorTextId(int error);

struct NetMessage {
  int from = kNetSystemSender;  // sender slot, or kNetSystemSender
  int to = kNetToAll;           // addressed slot or kNetToAll / kNetToAllButSelf
  std::vector<uint8_t> data;    // the whole message, header included
};

class NetSession {
 public:
  // Makes the transport of network provider `index`; null when it cannot.
  using TransportFactory = std::function<std::unique_ptr<NetTransport>(int index)>;

  // The game's session: one network provider, UDP through ENet.
  NetSession();
  // A session over other transports (tests): providerNames lists the
  // network providers that `factory` can make.
  NetSession(TransportFactory factory, std::vector<std::string> providerNames);
  ~NetSession();
  NetSession(const NetSession&) = delete;
  NetSession& operator=(const NetSession&) = delete;

  // --- providers and sessions ---
  // Name of network provider i, null past the last.
  const char* GetProviderName(int i) const;
  // network 0: the local loopback (index ignored); 1: network provider
  // `index`. Closes what was open first. Returns kNetOk or an error.
  int SelectProvider(int network, int index);
  bool IsNetwork() const { return mode_ == Mode::kNetwork; }
  // Hosts a named session on the selected network provider.
  int CreateSession(const char* name);
  // Searches for sessions (on the local network and at the configured host
  // address); returns how many were found. The arguments are unused.
  int EnumSessions(int flags = 0, int timeout = 0);
  // Name of found session i, null past the last.
  const char* GetSessionName(int i) const;
  // Joins found session i; kNetOk or an error.
  int JoinSession(int i);
  // Whether the host takes further players.
  void EnableNewPlayers(int enable);
  // Leaves the session: every link dropped, every slot freed, both queues
  // emptied, no provider selected.
  void Close();

  // --- players ---
  // Adds a player of this machine. In the loopback and on the host `slot`
  // may ask for a slot (-1: the lowest free); a client gets its slot from
  // the host. Returns the slot, or -1 (all four taken, refused, no session).
  int AddLocalPlayer(const char* name, int slot = -1);
  // Removes a player: an own one leaves the session; a remote one is
  // dropped from the session (every machine is told, the dropped one too).
  void RemoveLocalPlayer(int slot);
  // The player's name ("" for a free or bad slot), always terminated.
  const char* GetPlayerName(int slot) const;
  int GetSlotState(int slot) const;
  int PlayerCount() const;
  bool IsHost() const;
  int HostSlot() const;
  // The names the game's screens use for the three above.
  int GetField105() const { return IsHost() ? 1 : 0; }
  int GetField107() const { return HostSlot(); }
  int GetField108() const { return PlayerCount(); }

  // --- messages ---
  // Sends a message from a player of this machine. False when `from` is not
  // one, the address names nobody, the message is empty or too long.
  bool Send(int from, int to, const void* data, size_t size);
  // Takes the next received message (pumping the transport first).
  bool Receive(NetMessage* out);
  // Puts a message into the own receive queue, at the front when urgent.
  void QueueLocal(int from, int to, const void* data, size_t size, bool urgent);
  // Sends a chat line (cut to 32 characters) to one slot or all.
  bool SendChat(int from, int to, const char* text);
  // Takes the next chat line; false when none waits.
  bool PopChat(int* from, std::string* text);
  // Default handling of a message nobody else took (a chat line goes to the
  // chat queue; the rest is dropped). Returns 0.
  int OnSystemMessage(const NetMessage& msg);
  // Takes transport events, sends keep-alives, detects timeouts.
  void Pump();
  // Waits up to ms for traffic from other machines: 1 something came, 0 the
  // time ran out, -1 the transport cannot wait (loopback, in-memory hub):
  // sleep instead.
  int WaitForTraffic(uint32_t ms);

  // --- set-up for tests and tools ---
  void SetClock(Clock* clock) { clock_ = clock; }
  void SetTimeoutMs(uint32_t ms) { timeoutMs_ = ms; }
  // Called while a blocking call (join, add player) waits for an answer;
  // by default it sleeps a few milliseconds.
  void SetWaitHook(std::function<void()> hook) { waitHook_ = std::move(hook); }
  size_t PendingMessages() const { return recv_.size(); }
  NetTransport* transport() { return transport_.get(); }

 private:
  enum class Mode { kNone, kLoopback, kNetwork };
  enum class Role { kNone, kHost, kClient };
  struct Slot {
    int state = kSlotFree;
    std::string name;
    int link = -1;  // host: the link of a remote player
  };
  struct Link {
    bool joined = false;
    uint32_t lastHeard = 0;
    uint32_t lastSent = 0;
  };

  uint32_t Now() const;
  void Wait(uint32_t ms);
  bool WaitFor(const std::function<bool()>& done, uint32_t ms);
  void HandleEvent(NetTransportEvent& ev);
  void HandlePacket(int link, const std::vector<uint8_t>& p);
  void HostPacket(int link, const std::vector<uint8_t>& p);
  void ClientPacket(const std::vector<uint8_t>& p);
  void LinkLost(int link);
  void HostRemoveSlot(int slot);
  void SendPacket(int link, const std::vector<uint8_t>& p);
  void SendToJoined(const std::vector<uint8_t>& p, int exceptLink);
  std::vector<uint8_t> PlayerPacket(int slot, bool entry) const;
  void Route(int from, int to, const uint8_t* data, size_t size, int originLink);
  void DeliverLocal(int from, int to, const uint8_t* data, size_t size);
  void QueueSystem(uint8_t type, int slot, uint8_t flag, const std::string& name);
  bool AnyLocalOtherThan(int from) const;

  TransportFactory factory_;
  std::vector<std::string> providers_;
  std::unique_ptr<NetTransport> transport_;
  Mode mode_ = Mode::kNone;
  Role role_ = Role::kNone;
  bool acceptNew_ = true;
  int hostSlot_ = -1;
  int hostLink_ = -1;
  bool hostConnected_ = false;
  bool welcomed_ = false;
  int addReply_ = -2;
  uint8_t addRequest_ = 0;
  Slot slots_[kNetSlots];
  std::map<int, Link> links_;
  std::vector<NetSessionInfo> found_;
  std::deque<NetMessage> recv_;
  std::deque<std::pair<int, std::string>> chat_;
  Clock* clock_ = nullptr;
  // A machine silent this long is gone. Generous: a machine that loads an
  // event or is starved of processor time for a few seconds is still there,
  // and one that truly stops answering is the drop vote's business.
  uint32_t timeoutMs_ = 10000;
  uint32_t keepAliveMs_ = 250;
  std::function<void()> waitHook_;
  bool pumping_ = false;
};

// The one session of the game, made by the shell at start-up.
extern NetSession* g_netSession;

// The network provider over UDP (ENet), reading the CONFIG values NETPORT,
// NETBIND, NETHOST and NETBROADCAST. Declared here so that tools and tests
// can make it directly.
std::unique_ptr<NetTransport> MakeEnetTransport();
