#pragma once
// The network session: every game runs through it, also one on a single
// machine (the local loopback, provider 0). It keeps 16 player slots (free,
// local, remote), of which players take slots 0..3; it carries the game's
// messages to one slot, to all (kNetToAll, the sender too) or to all but the
// sender (kNetToAllButSelf), in order per sender; it keeps a receive queue
// and a separate chat queue, and it tells the game about players who join or
// leave through session messages (types 0..3, sender kNetSystemSender).
//
// Between machines the session is a mesh: every machine holds a link to
// every other, so that a machine's loss removes that machine's players only.
// The host (the machine that made the session, later the one with the lowest
// remaining player slot) admits new machines and tells everybody where they
// take links; the newcomer links up to each of them.
//
// A machine the others stop hearing (its links cut, closed, or silent past
// the timeout) leaves the session only once every remaining machine has lost
// it: each machine that loses it hands the others the last messages it had
// from it and says so. So every remaining machine delivers the same messages
// of the departed machine, then its players' "left" message; one machine's
// view never removes a machine that the others still hear.
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
  kJoin = 1,     // u16 version, u16 port this machine takes links on
  kWelcome = 2,  // u8 the joiner's machine id, u8 the host's machine id, i8 host slot
  kRefuse = 3,   // u8 reason
  kAdd = 4,      // u8 request, name[16]
  kAdded = 5,    // u8 request, i8 slot
  kPlayer = 6,   // i8 slot, u8 flags (1 host player, 2 already there), u8 machine id, name[16]
  kLeft = 7,     // i8 slot: the sender's own player left
  kMember = 8,   // u8 machine id, u8 flags (1 link up to it), u16 port, address[64]
  kApp = 9,      // i8 from, i8 to, u32 sequence number of the sender's messages, message
  kPing = 10,
  kBye = 11,
  kHello = 12,   // u8 the sender's machine id: the first packet on a link between members
  kRelay = 13,   // u8 origin machine id, i8 from, i8 to, u32 sequence, message: a copy of a
                 // message of a machine the sender lost
  kGone = 14,    // u8 machine id, then the sender's copies of that machine's last messages,
                 // each u8 from, i8 to, u32 sequence, u16 size, message: the sender no
                 // longer hears that machine (said again until that machine has left)
  kCut = 15,     // the players agreed to drop the receiver; the sender cuts its link
  kRemoved = 16,  // u8 machine id: the host took that machine out of the lobby (from the host only)
};
inline constexpr int kAppHeader = 7;     // kind, from, to, sequence
inline constexpr int kRelayHeader = 8;   // kind, origin, from, to, sequence
inline constexpr int kAddressField = 64;
}  // namespace netwire

inline constexpr int kNetSlots = 16;
inline constexpr int kNetPlayerSlots = 4;  // players only ever take slots 0..3
inline constexpr int kNetPlayersPerMachine = 2;  // two people share a keyboard at most
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
  // The host takes the machine that plays `slot` out of the lobby (one that
  // never finishes joining would keep the game from starting): every machine
  // cuts it, and it is told. Only on the host, only before a game runs.
  bool RemoveMachine(int slot);
  // Whether the host took this machine out of the lobby (its players have
  // been reported as left).
  bool WasRemoved() const { return removed_; }
  // Removes a player. An own one leaves the session (every machine is told).
  // A remote one is dropped from here: this machine cuts its link to that
  // player's machine (telling it so); the machine leaves the session once
  // no remaining machine hears it.
  void RemoveLocalPlayer(int slot);
  // The player's name ("" for a free or bad slot), always terminated.
  const char* GetPlayerName(int slot) const;
  int GetSlotState(int slot) const;
  int PlayerCount() const;
  // Whether this machine holds the host's player slot, and that slot. The
  // host is the machine that made the session; when it leaves, the machine
  // with the lowest remaining player slot (every machine reaches the same
  // answer from what it knows). While the lock-step holds the host's slot
  // (HoldHostSlot), both follow that instead.
  bool IsHost() const;
  int HostSlot() const;
  // The names the game's screens use for the three above.
  int GetField105() const { return IsHost() ? 1 : 0; }
  int GetField107() const { return HostSlot(); }
  int GetField108() const { return PlayerCount(); }
  // Whether this machine hears the player: an own one, or a remote one whose
  // machine's link is up and spoke within the last second.
  bool HearsPlayer(int slot) const;
  // The lock-step's view of the host's slot while an event runs (-1: none).
  // A departure takes effect at one sync point on every machine, later than
  // the session learns of it; the host's slot that events read must change
  // at that point too, not when each machine's session happens to agree.
  void HoldHostSlot(int slot) { heldHostSlot_ = slot; }
  // Whether an event's lock-step runs on this machine. A drop vote counts
  // only then: in the lobby nobody waits for anybody's input, and a vote
  // there is no reason to cut a machine off. The votes end with the event.
  void SetGameRunning(bool running);
  bool GameRunning() const { return gameRunning_; }

  // --- messages ---
  // Sends a message from a player of this machine. False when `from` is not
  // one, the address names nobody, the message is empty or too long.
  bool Send(int from, int to, const void* data, size_t size);
  // Takes the next received message, pumping the transport first when the
  // receive queue is empty (and now and then while it is not).
  bool Receive(NetMessage* out);
  // Takes the next message already in the receive queue, without a look at
  // the wire: one Pump and then these drains the queue at the cost of one
  // look, where a loop of Receive looks again once the queue is empty.
  bool TakeQueued(NetMessage* out);
  // Puts a message into the own receive queue, at the front when urgent.
  void QueueLocal(int from, int to, const void* data, size_t size, bool urgent);
  // Sends a chat line (cut to 32 characters) to one slot or all.
  bool SendChat(int from, int to, const char* text);
  // Takes the next chat line; false when none waits.
  bool PopChat(int* from, std::string* text);
  // Default handling of a message nobody else took (a chat line goes to the
  // chat queue, a request for input of an event this machine ended is
  // answered as KeepEndedEvent says; the rest is dropped). Returns 0.
  int OnSystemMessage(const NetMessage& msg);
  // After this machine's player `slot` ended an event whose last frame he
  // played was `lastPlayed`: the input message he sent for that frame (null
  // when none) and his event-end message. Until ForgetEndedEvent, a request
  // for that input is answered with it, and a request for a later frame
  // with the end: whichever the asker lost, it plays the same frames as
  // this machine did and ends after them, although this machine's event,
  // which would have answered, is gone.
  void KeepEndedEvent(int slot, int32_t lastPlayed, const uint8_t* input, const uint8_t* end);
  void ForgetEndedEvent() { ended_ = EndedEvent(); }
  // Takes transport events, sends keep-alives, detects timeouts.
  void Pump();
  // Waits up to ms for traffic from other machines: 1 something came, 0 the
  // time ran out, -1 the transport cannot wait (loopback, in-memory hub):
  // sleep instead.
  int WaitForTraffic(uint32_t ms);

  // --- set-up for tests and tools ---
  void SetClock(Clock* clock) { clock_ = clock; }
  // The session's clock (the real one unless a test set another).
  uint32_t NowMs() const { return Now(); }
  void SetTimeoutMs(uint32_t ms) { timeoutMs_ = ms; }
  // How long a link another machine opened may take to join the session
  // (or, from a member, to be confirmed) before it is dropped.
  void SetJoinWindowMs(uint32_t ms) { joinWindowMs_ = ms; }
  // Called while a blocking call (join, add player) waits for an answer;
  // by default it sleeps a few milliseconds.
  void SetWaitHook(std::function<void()> hook) { waitHook_ = std::move(hook); }
  size_t PendingMessages() const { return recv_.size(); }
  NetTransport* transport() { return transport_.get(); }
  // This machine's number in the session (-1 before it has one) and the
  // number of other machines it holds links to.
  int MachineId() const { return selfId_; }
  int LinkedMachines() const;

 private:
  enum class Mode { kNone, kLoopback, kNetwork };
  enum class Role { kNone, kHost, kClient };
  struct Slot {
    int state = kSlotFree;
    std::string name;
    int machine = -1;  // the machine that plays it
  };
  struct EndedEvent {
    int slot = -1;  // -1: nothing kept
    int32_t lastPlayed = -1;
    std::vector<uint8_t> input;  // empty when there is none
    std::vector<uint8_t> end;
  };
  // An application message as it travelled, kept for handing on.
  struct Kept {
    int from = 0;
    int to = 0;
    uint32_t seq = 0;
    std::vector<uint8_t> data;
    int sender = -1;  // a copy: the machine that handed it on
  };
  // Another machine of the session.
  struct Peer {
    int link = -1;            // the link to it once it is up
    bool ready = false;       // the link is up and known to lead to it
    bool lost = false;        // this machine lost it; the others have to agree
    NetSessionInfo address;   // where it takes links
    uint32_t since = 0;       // when it was announced or lost
    uint32_t goneFrom = 0;    // the machines (bits) that said they lost it
    bool cutUs = false;       // it said the players agreed to drop this machine
    bool voted = false;       // one of its players voted for a drop during a game
    std::deque<Kept> kept;    // its last messages to everyone, for the others
    std::vector<Kept> relayed;  // copies from the others while it was still heard
    std::deque<uint32_t> delivered;  // the sequence numbers of its last messages delivered here
    uint32_t goneSent = 0;    // when this machine last told the others it lost it
    std::deque<std::vector<uint8_t>> outbox;  // packets for it until its link is up
  };
  struct Link {
    int machine = -1;  // -1 until the first packet says whose it is
    bool incoming = false;  // another machine opened it
    uint32_t opened = 0;
    uint32_t lastHeard = 0;
    uint32_t lastSent = 0;
    int hello = -1;    // the machine id a member's link said it leads to, unconfirmed
    std::deque<std::vector<uint8_t>> held;  // what came before it was confirmed
  };

  uint32_t Now() const;
  void Wait(uint32_t ms);
  bool WaitFor(const std::function<bool()>& done, uint32_t ms);
  void HandleEvent(NetTransportEvent& ev);
  void HandlePacket(int link, const std::vector<uint8_t>& p);
  void NewLinkPacket(int link, const std::vector<uint8_t>& p);
  void PeerPacket(int machine, const std::vector<uint8_t>& p);
  void AdmitJoiner(int link, const std::vector<uint8_t>& p);
  void ConfirmHello(int link);
  void Member(int id, bool dial, const NetSessionInfo& address);
  void LinkLost(int link);
  void LosePeer(int id);
  void CutAfterSending(Peer& peer);
  std::vector<uint8_t> GonePacket(int id) const;
  void TakeCopy(int sender, int origin, int from, int to, uint32_t seq, const uint8_t* msg, size_t size);
  bool CouldHaveHeard(int sender, int origin) const;
  void CheckRelayed(Peer& peer, uint32_t seq, const uint8_t* data, size_t size);
  void CheckDepartures();
  void Depart(int id, bool quiet);
  void ChooseHost();
  void Deliver(int machine, int from, int to, uint32_t seq, const uint8_t* data, size_t size, bool keep);
  bool AppAcceptable(int machine, int from, int to, const uint8_t* msg, size_t size) const;
  void SendPacket(int link, const std::vector<uint8_t>& p);
  void SendToPeer(int id, const std::vector<uint8_t>& p);
  void SendToPeers(const std::vector<uint8_t>& p, int except = -1);
  std::vector<uint8_t> PlayerPacket(int slot, bool entry) const;
  std::vector<uint8_t> MemberPacket(int id, bool dial) const;
  void Route(int from, int to, const uint8_t* data, size_t size);
  void DeliverLocal(int from, int to, const uint8_t* data, size_t size);
  void QueueSystem(uint8_t type, int slot, uint8_t flag, const std::string& name);
  bool AnyLocalOtherThan(int from) const;
  int SlotsOf(int machine) const;
  void SetHostSlot();
  void ResetSession();

  TransportFactory factory_;
  std::vector<std::string> providers_;
  std::unique_ptr<NetTransport> transport_;
  Mode mode_ = Mode::kNone;
  Role role_ = Role::kNone;
  bool acceptNew_ = true;
  std::string sessionName_;
  int selfId_ = -1;
  int hostId_ = -1;
  int hostSlot_ = -1;
  int heldHostSlot_ = -1;
  int hostLink_ = -1;  // a joining machine's link to the host, until welcomed
  bool hostConnected_ = false;
  bool welcomed_ = false;
  bool removed_ = false;
  bool gameRunning_ = false;
  int addReply_ = -2;
  uint8_t addRequest_ = 0;
  uint32_t appSeq_ = 0;
  Slot slots_[kNetSlots];
  std::map<int, Link> links_;
  std::map<int, Peer> peers_;
  std::vector<NetSessionInfo> found_;
  std::deque<NetMessage> recv_;
  std::deque<std::pair<int, std::string>> chat_;
  EndedEvent ended_;
  Clock* clock_ = nullptr;
  // A machine silent this long is gone. Generous: a machine that loads an
  // event or is starved of processor time for a few seconds is still there,
  // and one that truly stops answering is the drop vote's business.
  uint32_t timeoutMs_ = 10000;
  uint32_t keepAliveMs_ = 250;
  // A machine joins within a second on any network; one that has not after
  // a few is not going to, whatever it keeps sending.
  uint32_t joinWindowMs_ = 5000;
  std::function<void()> waitHook_;
  bool pumping_ = false;
  uint32_t lastPump_ = 0;
  static constexpr uint32_t kPumpAtLeastMs = 10;
};

// The one session of the game, made by the shell at start-up.
extern NetSession* g_netSession;

// A host's address as the player types it: a host name or dotted address,
// optionally followed by ':' and the host's game port (1..65534; the search
// asks the port after it). False for anything else: an empty name, other
// characters than letters, digits, '.', '-' and '_', a name of more than 63
// characters, a bad port. *port is 0 when none was given.
bool ParseHostAddress(const std::string& text, std::string* host, uint16_t* port);

// The network provider over UDP (ENet), reading the CONFIG values NETPORT,
// NETBIND, NETHOST and NETBROADCAST (NETHOST again at every search, as
// ParseHostAddress reads it). Declared here so that tools and tests
// can make it directly.
struct EnetTransportOptions {
  // A connection request whose handshake is not finished this long after
  // it came (one from a forged address never is) gives its slot back.
  uint32_t handshakeMs = 3000;
  // The clock of that limit and of the search answers' rate; the real one
  // when null.
  Clock* clock = nullptr;
};
std::unique_ptr<NetTransport> MakeEnetTransport(const EnetTransportOptions& options = {});
