// Fuzz target of the receive path between machines as it really runs: a
// host session listening through the ENet transport on 127.0.0.1, with the
// lock-step exchange behind it, gets the input from a machine that connected
// properly (as ENet packets) and from anyone at all (as raw datagrams to the
// game port and to the search port).
//
// Input: a sequence of records, each u8 route (0 search port datagram, 1 game
// port datagram, otherwise an ENet packet on channel route & 1), a 16-bit
// little-endian length and that many bytes.
#include <enet/enet.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/debug.h"
#include "base/player_records.h"
#include "base/registry.h"
#include "net/lockstep.h"
#include "net/net_message.h"
#include "net/net_session.h"

namespace {

struct Record {
  uint8_t route;
  std::vector<uint8_t> bytes;
};

std::vector<Record> Split(const uint8_t* data, size_t size) {
  std::vector<Record> out;
  size_t i = 0;
  while (i + 3 <= size && out.size() < 64) {
    Record r;
    r.route = data[i];
    size_t n = data[i + 1] | (data[i + 2] << 8);
    i += 3;
    if (n > size - i) n = size - i;
    r.bytes.assign(data + i, data + i + n);
    i += n;
    out.push_back(std::move(r));
  }
  return out;
}

// A settings store of its own naming a port of this process's own.
uint16_t Port() {
  static const uint16_t port = [] {
    std::string tmpl = "/tmp/kel_fuzz_enet_XXXXXX";
    if (!::mkdtemp(tmpl.data())) std::abort();
    RegSetStorePath(tmpl + "/settings.ini");
    const uint16_t p = static_cast<uint16_t>(30000 + (::getpid() % 15000) * 2);
    RegWriteInt(kRegConfig, "NETPORT", p);
    RegWriteString(kRegConfig, "NETBIND", "127.0.0.1");
    RegWriteString(kRegConfig, "NETBROADCAST", "");
      // (On the heap: the clean-up at exit runs after static strings are gone.)
    static const std::string* dir = new std::string(tmpl);
    std::atexit([] {
      ::unlink((*dir + "/settings.ini").c_str());
      ::rmdir(dir->c_str());
    });
    return p;
  }();
  return port;
}

void SendDatagram(ENetSocket s, uint16_t port, const std::vector<uint8_t>& bytes) {
  ENetAddress to;
  enet_address_set_host(&to, "127.0.0.1");
  to.port = port;
  ENetBuffer b;
  b.data = const_cast<uint8_t*>(bytes.data());
  b.dataLength = bytes.size();
  enet_socket_send(s, &to, &b, 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet = (SetDebugSink([](const std::string&) {}), true);
  (void)quiet;
  const uint16_t port = Port();
  if (enet_initialize() != 0) return 0;
  VirtualClock clock(1000);
  NetSession session;
  session.SetClock(&clock);
  PlayerRecord players[4] = {};
  uint8_t states[4][kPlayerStateSize] = {};
  int32_t local[3] = {0, 1, 0};
  int32_t mode = 2;
  LockStepContext context{&session, players, states, local, &mode, &clock};
  LockStep lockstep(context);
  if (session.SelectProvider(1, 0) != kNetOk || session.CreateSession("HOST") != kNetOk) {
    enet_deinitialize();
    return 0;
  }
  session.AddLocalPlayer("HOST");

  // An honest ENet connection first: what it carries reaches the session.
  ENetHost* client = enet_host_create(nullptr, 1, 2, 0, 0);
  ENetSocket raw = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
  ENetAddress addr;
  enet_address_set_host(&addr, "127.0.0.1");
  addr.port = port;
  ENetPeer* peer = client ? enet_host_connect(client, &addr, 2, 0) : nullptr;
  bool connected = false;
  ENetEvent e;
  for (int i = 0; peer && !connected && i < 100; ++i) {
    while (!connected && enet_host_service(client, &e, 0) > 0) {
      if (e.type == ENET_EVENT_TYPE_CONNECT) connected = true;
      if (e.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(e.packet);
    }
    session.WaitForTraffic(1);
    session.Pump();
  }
  for (const Record& r : Split(data, size)) {
    if (r.route == 0 && raw != ENET_SOCKET_NULL) {
      SendDatagram(raw, static_cast<uint16_t>(port + 1), r.bytes);
    } else if (r.route == 1 && raw != ENET_SOCKET_NULL) {
      SendDatagram(raw, port, r.bytes);
    } else if (connected && !r.bytes.empty()) {
      ENetPacket* p = enet_packet_create(r.bytes.data(), r.bytes.size(), ENET_PACKET_FLAG_RELIABLE);
      if (enet_peer_send(peer, r.route & 1, p) != 0) enet_packet_destroy(p);
      enet_host_flush(client);
    }
    session.Pump();
    while (client && enet_host_service(client, &e, 0) > 0)
      if (e.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(e.packet);
  }
  // Loopback delivers at once: what was sent is in as soon as a short wait
  // finds nothing more.
  for (int i = 0; i < 20 && session.WaitForTraffic(1) > 0; ++i) {
    session.Pump();
    while (client && enet_host_service(client, &e, 0) > 0)
      if (e.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(e.packet);
  }
  // What got through goes on to the lock-step exchange's decoders. (Its
  // waits are left out: they sleep on the wire for the other machines, and
  // the fuzz would spend its time asleep.)
  NetMessage m;
  while (session.Receive(&m)) {
    DecodedNetMessage d;
    DecodeNetMessage(m.from, m.data.data(), m.data.size(), &d);
    lockstep.HandleSystemMessage(m);
  }
  int from;
  std::string text;
  while (session.PopChat(&from, &text)) {
  }
  session.Close();
  if (raw != ENET_SOCKET_NULL) enet_socket_destroy(raw);
  if (client) enet_host_destroy(client);
  enet_deinitialize();
  return 0;
}
