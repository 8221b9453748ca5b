#pragma once
// What the network session needs of the wire: links to other machines that
// carry whole packets reliably and in order, connect and disconnect events,
// and a way to find sessions. Every machine takes links (a session is a mesh
// of them), the host also answers searches. Over UDP between machines
// (ENet), and over an in-memory hub in tests.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct NetSessionInfo {
  std::string name;     // the session's name, as the host gave it
  std::string address;  // where to connect (host name or dotted address)
  uint16_t port = 0;
};

struct NetTransportEvent {
  enum Kind { kConnected, kDisconnected, kReceived };
  Kind kind = kReceived;
  int link = -1;
  std::vector<uint8_t> data;  // kReceived only
};

class NetTransport {
 public:
  virtual ~NetTransport() = default;
  // Becomes the host of a session of this name: accepts links and answers
  // session searches. False when it cannot (port in use, no network). A
  // machine that already has links (a member that takes the host's place)
  // keeps them and its port, and answers searches from then on.
  virtual bool Listen(const std::string& sessionName) = 0;
  // Searches for sessions for up to waitMs; appends what answered.
  virtual void Discover(std::vector<NetSessionInfo>* out, uint32_t waitMs) = 0;
  // Starts a link to a host or to another member of the session; the link
  // id (>= 0), or -1. A kConnected or kDisconnected event for it follows.
  // From then on this machine takes links from others too.
  virtual int Connect(const NetSessionInfo& session) = 0;
  // The port this machine takes links on (0 while it has none).
  virtual uint16_t LocalPort() const = 0;
  // Where the other end of a link is (empty address when unknown). Its port
  // is the one the other machine takes links on when it started the link
  // itself.
  virtual NetSessionInfo RemoteAddress(int link) const = 0;
  // Queues one packet on a link (reliable, ordered). False for a dead link.
  virtual bool Send(int link, const uint8_t* data, size_t size) = 0;
  // Takes the next event without waiting; false when there is none.
  virtual bool Poll(NetTransportEvent* event) = 0;
  // Drops a link (a kDisconnected event is not reported for it).
  virtual void Disconnect(int link) = 0;
  // Drops a link as Disconnect does, but only once what was queued on it
  // has reached the other end: the last word to a machine that is cut off
  // (a disconnect at once could overtake it and have it thrown away there).
  virtual void DisconnectAfterSending(int link) { Disconnect(link); }
  // Pushes queued packets onto the wire.
  virtual void Flush() {}
  // Waits up to ms for something to arrive (it is kept for Poll): 1 when
  // something came, 0 when the time ran out, -1 when this transport cannot
  // wait (the caller sleeps on its clock then).
  virtual int WaitForTraffic(uint32_t ms) { return -1; }
  // Drops every link and stops listening.
  virtual void Close() = 0;
};
