// Fuzz target for everything a remote machine can send: the message decoder,
// the session's packet handling on a host and on a client, and the lock-step
// exchange fed with what gets through.
//
// Input: byte 0 picks the side (even: the fuzz plays a client against an
// honest host; odd: it plays the host against an honest client); the rest is
// a sequence of packets, each a 16-bit little-endian length followed by that
// many bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/clock.h"
#include "base/player_records.h"
#include "net/lockstep.h"
#include "net/net_hub.h"
#include "net/net_message.h"
#include "net/net_session.h"

namespace {

std::vector<std::vector<uint8_t>> Split(const uint8_t* data, size_t size) {
  std::vector<std::vector<uint8_t>> out;
  size_t i = 0;
  while (i + 2 <= size) {
    size_t n = data[i] | (data[i + 1] << 8);
    i += 2;
    if (n > size - i) n = size - i;
    out.emplace_back(data + i, data + i + n);
    i += n;
  }
  return out;
}

struct Honest {
  explicit Honest(NetHub* hub, Clock* clock)
      : session([hub](int) { return hub->MakeTransport(); }, {"FUZZ"}) {
    session.SetClock(clock);
    session.SetTimeoutMs(1u << 30);
    std::memset(players, 0, sizeof players);
    std::memset(states, 0, sizeof states);
    LockStepContext c{&session, players, states, local, &mode, clock};
    lockstep = std::make_unique<LockStep>(c);
  }
  NetSession session;
  PlayerRecord players[4];
  uint8_t states[4][kPlayerStateSize];
  int32_t local[3] = {0, 1, 0};
  int32_t mode = 2;
  std::unique_ptr<LockStep> lockstep;
};

void RunLockStep(Honest& h) {
  // A few passes of each wait: enough to take every queued message.
  h.lockstep->BeginWaitForPlayers();
  for (int i = 0; i < 3 && h.lockstep->StepWaitForPlayers() == LockStep::kPending; ++i) {
  }
  h.lockstep->BeginExchange();
  for (int i = 0; i < 3 && h.lockstep->StepExchange() == LockStep::kPending; ++i) {
  }
  NetMessage m;
  while (h.session.Receive(&m)) h.lockstep->HandleSystemMessage(m);
  int from;
  std::string text;
  while (h.session.PopChat(&from, &text)) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The decoder on its own, with the sender taken from the input.
  if (size >= 1) {
    DecodedNetMessage d;
    int from = static_cast<int8_t>(data[0]) % 20;
    if (DecodeNetMessage(from, data + 1, size - 1, &d)) {
      if (d.from != from || d.size != static_cast<int>(size - 1)) __builtin_trap();
    }
  }
  if (size < 1) return 0;
  auto packets = Split(data + 1, size - 1);
  NetHub hub(1);
  VirtualClock clock(1000);
  Honest honest(&hub, &clock);

  if ((data[0] & 1) == 0) {
    // The fuzz is a client of an honest host.
    if (honest.session.SelectProvider(1, 0) != kNetOk) return 0;
    honest.session.CreateSession("HOST");
    honest.session.AddLocalPlayer("HOST");
    auto t = hub.MakeTransport();
    std::vector<NetSessionInfo> found;
    t->Discover(&found, 0);
    if (found.empty()) return 0;
    int link = t->Connect(found[0]);
    for (const auto& p : packets) {
      if (!p.empty()) t->Send(link, p.data(), p.size());
      honest.session.Pump();
    }
    RunLockStep(honest);
  } else {
    // The fuzz is the host of an honest client.
    auto t = hub.MakeTransport();
    t->Listen("EVIL");
    int link = -1;
    size_t next = 0;
    honest.session.SetWaitHook([&] {
      NetTransportEvent ev;
      while (t->Poll(&ev))
        if (ev.kind == NetTransportEvent::kConnected) link = ev.link;
      // Answer each wait with the next packet, so that join and add can
      // succeed when the input says so.
      if (next < packets.size() && link >= 0) {
        if (!packets[next].empty()) t->Send(link, packets[next].data(), packets[next].size());
        ++next;
      }
      clock.Advance(500);
    });
    if (honest.session.SelectProvider(1, 0) != kNetOk) return 0;
    if (honest.session.EnumSessions() < 1) return 0;
    if (honest.session.JoinSession(0) != kNetOk) return 0;
    int slot = honest.session.AddLocalPlayer("CLIENT");
    honest.local[0] = slot < 0 ? 0 : slot;
    for (; next < packets.size(); ++next) {
      if (link >= 0 && !packets[next].empty()) t->Send(link, packets[next].data(), packets[next].size());
      honest.session.Pump();
    }
    RunLockStep(honest);
  }
  return 0;
}
