#pragma once
// Sessions over real UDP on this machine: free ports and a settings store
// that keeps the game port, the search and the broadcast on loopback.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "base/registry.h"
#include "net/net_transport.h"

// A free UDP port on 127.0.0.1 whose next port is free too (the search port).
inline int FreePortPair() {
  for (int attempt = 0; attempt < 50; ++attempt) {
    int s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t len = sizeof a;
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
      close(s);
      continue;
    }
    int port = ntohs(a.sin_port);
    close(s);
    if (port >= 65535) continue;
    int s2 = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in b = a;
    b.sin_port = htons(static_cast<uint16_t>(port + 1));
    bool ok = bind(s2, reinterpret_cast<sockaddr*>(&b), sizeof b) == 0;
    close(s2);
    if (ok) return port;
  }
  return 0;
}

inline std::string WriteLoopbackSettings(int port, bool withHostAddress) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("kel_net_" + std::to_string(getpid()));
  fs::create_directories(dir);
  std::string path = (dir / "settings.ini").string();
  RegSetStorePath(path);
  RegWriteInt(kRegConfig, "NETPORT", port);
  RegWriteString(kRegConfig, "NETBIND", "127.0.0.1");
  RegWriteString(kRegConfig, "NETBROADCAST", "127.255.255.255");
  RegWriteString(kRegConfig, "NETHOST", withHostAddress ? "127.0.0.1" : "");
  return path;
}

// A transport kept answering on a thread of its own (its events read and
// let go) until Stop or the end of the scope, so that a failed assertion
// cannot leave the thread running.
class PolledTransport {
 public:
  explicit PolledTransport(NetTransport* transport)
      : thread_([this, transport] {
          NetTransportEvent ev;
          while (!stop_) {
            while (transport->Poll(&ev)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
          }
        }) {}
  PolledTransport(const PolledTransport&) = delete;
  PolledTransport& operator=(const PolledTransport&) = delete;
  ~PolledTransport() { Stop(); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};
