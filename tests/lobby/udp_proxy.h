#pragma once
// A lossy, slow stretch of network between real processes on 127.0.0.1: a
// UDP relay in front of a host's game port and search port that loses and
// delays (and so reorders) datagrams in both directions, reproducibly from
// a seed. Clients are pointed at the relay's port instead of the host's;
// the relay answers session searches with its own port, so that the game
// traffic that follows goes through it too.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <tuple>
#include <vector>

class UdpFaultProxy {
 public:
  struct Faults {
    int lossPercent = 0;
    int maxDelayMs = 0;  // each datagram is held 0..maxDelayMs
  };

  // Relays 127.0.0.1:listenPort(+1) to 127.0.0.1:hostPort(+1).
  UdpFaultProxy(int listenPort, int hostPort, Faults faults, uint32_t seed)
      : listenPort_(listenPort), hostPort_(hostPort), faults_(faults), rng_(seed ? seed : 1) {}
  ~UdpFaultProxy() { Stop(); }

  bool Start() {
    for (int i = 0; i < 2; ++i) {
      front_[i] = Bind(listenPort_ + i);
      if (front_[i] < 0) return false;
    }
    running_ = true;
    thread_ = std::thread([this] { Loop(); });
    return true;
  }
  void Stop() {
    if (!running_.exchange(false)) return;
    thread_.join();
    for (int& s : front_)
      if (s >= 0) close(s), s = -1;
    for (auto& [k, s] : upstream_) close(s);
    upstream_.clear();
  }
  int relayed() const { return relayed_; }
  int lost() const { return lost_; }

 private:
  struct Held {
    std::chrono::steady_clock::time_point due;
    int socket;
    sockaddr_in to;
    std::vector<uint8_t> data;
  };

  static int Bind(int port) {
    int s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s < 0) return -1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
      close(s);
      return -1;
    }
    return s;
  }
  static sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    return a;
  }
  uint32_t Next() {
    rng_ ^= rng_ << 13;
    rng_ ^= rng_ >> 17;
    rng_ ^= rng_ << 5;
    return rng_;
  }

  // A datagram on its way: lost, or held for a while.
  void Pass(int socket, const sockaddr_in& to, const uint8_t* data, size_t n) {
    if (faults_.lossPercent > 0 && static_cast<int>(Next() % 100) < faults_.lossPercent) {
      ++lost_;
      return;
    }
    int delay = faults_.maxDelayMs > 0 ? static_cast<int>(Next() % (faults_.maxDelayMs + 1)) : 0;
    held_.push_back({std::chrono::steady_clock::now() + std::chrono::milliseconds(delay), socket, to,
                     std::vector<uint8_t>(data, data + n)});
  }

  void Loop() {
    std::vector<uint8_t> buf(65536);
    while (running_) {
      std::vector<pollfd> fds;
      std::vector<std::tuple<int, int, uint64_t>> what;  // kind 0 front, 1 upstream; port index; client key
      for (int i = 0; i < 2; ++i) {
        fds.push_back({front_[i], POLLIN, 0});
        what.emplace_back(0, i, 0);
      }
      for (auto& [key, s] : upstream_) {
        fds.push_back({s, POLLIN, 0});
        what.emplace_back(1, static_cast<int>(key >> 48), key);
      }
      poll(fds.data(), fds.size(), 1);
      for (size_t f = 0; f < fds.size(); ++f) {
        if (!(fds[f].revents & POLLIN)) continue;
        auto [kind, port, key] = what[f];
        sockaddr_in from{};
        socklen_t len = sizeof from;
        ssize_t n = recvfrom(fds[f].fd, buf.data(), buf.size(), MSG_DONTWAIT,
                             reinterpret_cast<sockaddr*>(&from), &len);
        if (n <= 0) continue;
        ++relayed_;
        if (kind == 0) {
          // From a client: on through its own upstream socket.
          uint64_t k = (static_cast<uint64_t>(port) << 48) | (static_cast<uint64_t>(from.sin_addr.s_addr) << 16) |
                       from.sin_port;
          auto it = upstream_.find(k);
          if (it == upstream_.end()) {
            int s = socket(AF_INET, SOCK_DGRAM, 0);
            sockaddr_in any = Loopback(0);
            bind(s, reinterpret_cast<sockaddr*>(&any), sizeof any);
            it = upstream_.emplace(k, s).first;
            clients_[k] = from;
          }
          Pass(it->second, Loopback(hostPort_ + port), buf.data(), static_cast<size_t>(n));
        } else {
          // From the host: back to the client; a search answer names the
          // relay's game port instead of the host's.
          if (port == 1 && n >= 6 && std::memcmp(buf.data(), "KLR1", 4) == 0) {
            buf[4] = static_cast<uint8_t>(listenPort_);
            buf[5] = static_cast<uint8_t>(listenPort_ >> 8);
          }
          Pass(front_[port], clients_[key], buf.data(), static_cast<size_t>(n));
        }
      }
      auto now = std::chrono::steady_clock::now();
      for (size_t i = 0; i < held_.size();) {
        if (held_[i].due <= now) {
          sendto(held_[i].socket, held_[i].data.data(), held_[i].data.size(), 0,
                 reinterpret_cast<sockaddr*>(&held_[i].to), sizeof held_[i].to);
          held_.erase(held_.begin() + static_cast<long>(i));
        } else {
          ++i;
        }
      }
    }
  }

  int listenPort_, hostPort_;
  Faults faults_;
  uint32_t rng_;
  int front_[2] = {-1, -1};
  std::map<uint64_t, int> upstream_;
  std::map<uint64_t, sockaddr_in> clients_;
  std::vector<Held> held_;
  std::atomic<bool> running_{false};
  std::thread thread_;
  std::atomic<int> relayed_{0}, lost_{0};
};
