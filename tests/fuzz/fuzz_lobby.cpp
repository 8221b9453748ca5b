// Fuzz target for the network lobby: the lobby decoders on their own, then a
// host and a client lobby fed with whatever the input says travels between
// them, after each message checking that the records stay sound.
//
// Input: a sequence of messages, each a u8 route, a 16-bit little-endian
// length and that many bytes. Route & 3: 0 the client's player sends it to
// the host, 1 the host's player sends it to the client, 2 and 3 it is put
// straight into the host's / client's queue with the sender (route >> 2) % 6
// - 1 (so also as the session itself).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "base/clock.h"
#include "base/player_records.h"
#include "frontend/lobby.h"
#include "net/net_hub.h"
#include "net/net_message.h"
#include "net/net_session.h"

namespace {

struct Side {
  Side(NetHub* hub, Clock* clock) : session([hub](int) { return hub->MakeTransport(); }, {"FUZZ"}) {
    session.SetClock(clock);
    session.SetTimeoutMs(1u << 30);
    for (auto& p : players) {
      std::memset(&p, 0, sizeof p);
      p.country = kLobbyCodeEmpty;
    }
    LobbyContext c{&session, players, local, &mode, &eventIndex, &training};
    lobby = std::make_unique<NetLobby>(c);
  }
  NetSession session;
  PlayerRecord players[kMaxPlayers];
  int32_t local[3] = {0, 1, 0};
  int32_t mode = 2, eventIndex = 0, training = 0;
  std::unique_ptr<NetLobby> lobby;
};

void Check(const Side& s) {
  for (const auto& r : s.players) {
    if (r.name[10] != 0) __builtin_trap();
    if (r.human > 1) __builtin_trap();
    if (r.character < 0 || r.character > 5) __builtin_trap();
    if (r.country < -3 || r.country > 13) __builtin_trap();
  }
  if (s.eventIndex < 0 || s.eventIndex > 10 || s.training < -1 || s.training > 10) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0) {
    DecodeLobbyPlayer(data, size, nullptr);
    DecodeLobbyStart(data, size, nullptr);
    DecodeLobbySavedGame(data, size, nullptr);
    if (size >= kPlayerRecordSize) LobbyRecordSound(data);
  }
  NetHub hub(1);
  VirtualClock clock(1000);
  Side host(&hub, &clock), client(&hub, &clock);
  client.session.SetWaitHook([&] {
    clock.Advance(1);
    host.session.Pump();
  });
  if (host.session.SelectProvider(1, 0) != kNetOk || host.session.CreateSession("FUZZ") != kNetOk)
    return 0;
  if (client.session.SelectProvider(1, 0) != kNetOk || client.session.EnumSessions() < 1 ||
      client.session.JoinSession(0) != kNetOk)
    return 0;
  host.local[0] = host.session.AddLocalPlayer("HOST");
  client.local[0] = client.session.AddLocalPlayer("CLIENT");
  if (host.local[0] != 0 || client.local[0] != 1) return 0;
  host.lobby->SetOwnSlot(0);
  client.lobby->SetOwnSlot(1);
  SetPlayerName(&host.players[0], "HOST");
  SetPlayerName(&client.players[1], "CLIENT");
  host.players[0].country = client.players[1].country = kLobbyCodeCharacter;
  client.lobby->SendClaim(2);

  size_t i = 0;
  while (i + 3 <= size) {
    uint8_t route = data[i];
    size_t n = data[i + 1] | (data[i + 2] << 8);
    i += 3;
    if (n > size - i) n = size - i;
    const uint8_t* m = data + i;
    i += n;
    int from = static_cast<int>((route >> 2) % 6) - 1;
    switch (route & 3) {
      case 0: client.session.Send(1, 0, m, n); break;
      case 1: host.session.Send(0, 1, m, n); break;
      case 2: host.session.QueueLocal(from, kNetToAll, m, n, false); break;
      case 3: client.session.QueueLocal(from, kNetToAll, m, n, false); break;
    }
    hub.Tick();
    host.lobby->Poll();
    client.lobby->Poll();
    Check(host);
    Check(client);
  }
  host.lobby->JoiningSlot();
  host.lobby->FillAbsentFromSaved();
  host.lobby->SendStart(5);
  hub.Tick();
  client.lobby->Poll();
  Check(client);
  return 0;
}
