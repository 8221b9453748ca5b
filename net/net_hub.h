#pragma once
// An in-memory network for tests and benchmarks: several sessions in one
// process talk through a hub that can lose, delay, duplicate and reorder
// packets, and can cut a machine off, all reproducibly from a seed.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "net/net_transport.h"

class NetHub {
 public:
  struct Faults {
    int dropPercent = 0;     // a packet is lost
    int dupPercent = 0;      // a packet arrives twice
    int delayPercent = 0;    // a packet is held back for 1..maxDelay ticks
    int maxDelay = 0;
    int reorderPercent = 0;  // a packet overtakes the one queued before it
    // Which packets the faults above may hit (all when empty). Receives the
    // sending and receiving machine (EndpointOf) and the packet as the
    // session puts it on the wire.
    std::function<bool(int from, int to, const std::vector<uint8_t>&)> applies;
  };

  explicit NetHub(uint32_t seed = 1) : seed_(seed ? seed : 1) {}
  void SetFaults(const Faults& f) { faults_ = f; }
  const Faults& faults() const { return faults_; }

  // A transport for one machine on this hub.
  std::unique_ptr<NetTransport> MakeTransport();

  // Moves time on by one tick: delayed packets come closer to delivery.
  void Tick();
  // Cuts a machine off: its links go dead at once on both sides (as a
  // timeout would do), and it can no longer send or receive.
  void CutOff(NetTransport* machine);
  // The hub's number for a machine, -1 when it is not on this hub.
  int EndpointOf(const NetTransport* machine) const;
  // Delivers every held packet now.
  void FlushDelayed();

  // Number of packets that went through, were lost, were duplicated.
  int sent() const { return sent_; }
  int dropped() const { return dropped_; }
  int duplicated() const { return duplicated_; }

 private:
  friend class HubTransport;
  struct Endpoint;
  struct Packet {
    int toEndpoint;
    int link;  // link id at the receiver
    std::vector<uint8_t> data;
    int delay;
  };
  struct LinkEnd {
    int peerEndpoint;
    int peerLink;
    bool alive;
  };
  struct Endpoint {
    class HubTransport* owner = nullptr;
    bool cut = false;
    std::string listening;  // session name, empty when not a host
    std::map<int, LinkEnd> links;
    int nextLink = 0;
    std::deque<NetTransportEvent> inbox;
  };

  uint32_t Next();
  bool Roll(int percent) { return percent > 0 && static_cast<int>(Next() % 100) < percent; }
  void Post(int fromEndpoint, int link, const uint8_t* data, size_t size);
  void Deliver(Packet&& p);
  int AddEndpoint(class HubTransport* t);
  void RemoveEndpoint(int ep);

  uint32_t seed_;
  Faults faults_;
  std::vector<Endpoint> endpoints_;
  std::vector<Packet> inFlight_;
  int sent_ = 0, dropped_ = 0, duplicated_ = 0;
};
