// The lock-step exchange against the bare wire, on loopback only.
//
// BM_EnetRoundTrip: one 36-byte packet to a second thread over ENet on
// 127.0.0.1 and back: the plain round trip.
// BM_LockStepFrameEnet: one lock-step frame (exchange, check value, read and
// send the next input) between two threads, each with its own session over
// ENet on 127.0.0.1, against a plain exchange between the same two threads
// over an ENet pair of their own (both send one input-sized packet and wait
// for the other's, as both machines of a lock-step frame send at once), in
// rounds of a block of each (an iteration is a round). Counters: plain_us,
// frame_us and cpu_us (CPU of the exchange thread per frame), medians over
// the rounds; ratio, the fastest round's frame over the fastest round's
// plain exchange, with ratio_lo and ratio_hi (the range of the rounds' own
// ratios).
// BM_LockStepMeshFourEnet: one lock-step frame of four machines (threads,
// each with its own session over ENet on 127.0.0.1, linked in a mesh), as a
// ratio to a plain exchange over ENet between four endpoints linked the same
// way: each sends one packet of an input's size to every other and waits for
// one from every other (one message each way a frame, as the lock-step
// sends; not a round trip). The same four threads play both, in rounds of a
// block of each, so that both see the same load; an iteration is a round.
// Counters: plain_us and frame_us (medians over the rounds), ratio with
// ratio_lo and ratio_hi as for two machines.
// BM_LockStepExchangeCpu: the same frame between two machines on the
// in-memory hub in one thread: the exchange's own CPU cost, no wire.
#include <benchmark/benchmark.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "base/player_records.h"
#include "base/registry.h"
#include "net/lockstep.h"
#include "net/net_hub.h"
#include "net/net_session.h"

namespace {

int FreeLoopbackPort() {
  for (int attempt = 0; attempt < 50; ++attempt) {
    int s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bool ok = bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
              getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0;
    close(s);
    int port = ok ? ntohs(a.sin_port) : 0;
    if (port == 0 || port >= 65535) continue;
    int s2 = socket(AF_INET, SOCK_DGRAM, 0);
    a.sin_port = htons(static_cast<uint16_t>(port + 1));
    ok = bind(s2, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(s2);
    if (ok) return port;
  }
  return 0;
}

// Loopback-only settings in a private store.
struct LoopbackSettings {
  LoopbackSettings() {
    dir = std::filesystem::temp_directory_path() / ("kel_netbench_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    RegSetStorePath((dir / "settings.ini").string());
    port = FreeLoopbackPort();
    RegWriteInt(kRegConfig, "NETPORT", port);
    RegWriteString(kRegConfig, "NETBIND", "127.0.0.1");
    RegWriteString(kRegConfig, "NETHOST", "127.0.0.1");
    RegWriteString(kRegConfig, "NETBROADCAST", "");
  }
  ~LoopbackSettings() {
    RegSetStorePath("");
    std::filesystem::remove_all(dir);
  }
  std::filesystem::path dir;
  int port = 0;
};

double ThreadCpuUs() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
}

// Waits for the next received packet on a transport (bounded).
bool AwaitPacket(NetTransport& t, int* link) {
  NetTransportEvent ev;
  for (int i = 0; i < 2000; ++i) {
    while (t.Poll(&ev)) {
      if (ev.kind == NetTransportEvent::kConnected && link) *link = ev.link;
      if (ev.kind == NetTransportEvent::kReceived) {
        if (link) *link = ev.link;
        return true;
      }
    }
    t.WaitForTraffic(5);
  }
  return false;
}

// A raw ENet echo pair: RoundTrip() sends one input-sized packet and waits
// for it to come back.
class EchoPair {
 public:
  // A thread of its own echoes every packet until the pair is destroyed.
  bool Start() {
    host_ = MakeEnetTransport();
    client_ = MakeEnetTransport();
    if (!host_ || !client_ || !host_->Listen("ECHO")) return false;
    NetSessionInfo s;
    s.address = "127.0.0.1";
    s.port = static_cast<uint16_t>(RegReadInt(kRegConfig, "NETPORT", 0));
    link_ = client_->Connect(s);
    stop_ = false;
    echo_ = std::thread([this] {
      NetTransportEvent ev;
      while (!stop_) {
        while (host_->Poll(&ev))
          if (ev.kind == NetTransportEvent::kReceived) {
            host_->Send(ev.link, ev.data.data(), ev.data.size());
            host_->Flush();
          }
        host_->WaitForTraffic(2);
      }
    });
    NetTransportEvent ev;
    for (int i = 0; i < 400; ++i) {
      while (client_->Poll(&ev))
        if (ev.kind == NetTransportEvent::kConnected) return true;
      client_->WaitForTraffic(5);
    }
    return false;
  }
  bool RoundTrip() {
    uint8_t msg[kMsgInputSize] = {kMsgInput, 0, kMsgInputSize, 0};
    client_->Send(link_, msg, sizeof msg);
    client_->Flush();
    return AwaitPacket(*client_, nullptr);
  }
  ~EchoPair() {
    stop_ = true;
    if (echo_.joinable()) echo_.join();
  }

 private:
  std::unique_ptr<NetTransport> host_, client_;
  int link_ = -1;
  std::atomic<bool> stop_{false};
  std::thread echo_;
};

class BenchUi : public LockStepUi {
 public:
  void PollActionMap(int which, uint8_t actions[kPlayerStateSize]) override {
    for (int i = 0; i < kPlayerStateSize; ++i) actions[i] = static_cast<uint8_t>(reads_ * 3 + i + which);
    ++reads_;
  }

 private:
  int reads_ = 0;
};

// One machine's game state for a lock-step exchange.
struct Player {
  explicit Player(NetSession* s, int slot, Clock* clock = nullptr) {
    for (int p = 0; p < 4; ++p) InitPlayerRecord(&players[p], p);
    local[0] = slot;
    LockStepContext c{s, players, states, local, &mode, clock};
    ls = std::make_unique<LockStep>(c, &ui);
  }
  // One frame; returns the exchange's result.
  int Frame() {
    int r = ls->ExchangeInput();
    EndFrame();
    return r;
  }
  // After the exchange: the check value of the frame, then the next input.
  void EndFrame() {
    uint32_t check = static_cast<uint32_t>(ls->syncPoint());
    for (int s = 0; s < 4; ++s)
      for (int i = 0; i < kPlayerStateSize; ++i) check = check * 31 + states[s][i];
    ls->SetSyncCheck(static_cast<int32_t>(check));
    ls->ReadLocalInput();
  }
  PlayerRecord players[4];
  uint8_t states[4][kPlayerStateSize] = {};
  int32_t local[3] = {0, 1, 5};
  int32_t mode = 2;
  BenchUi ui;
  std::unique_ptr<LockStep> ls;
};

// n lock-step frames of one machine, in steps, so that a failure elsewhere
// (`abort`) does not leave it waiting for good.
bool PlayFrames(Player& p, int n, const std::atomic<bool>& abort) {
  for (int f = 0; f < n; ++f) {
    p.ls->BeginExchange();
    int r;
    while ((r = p.ls->StepExchange()) == LockStep::kPending && !abort) {
    }
    if (r != 0 || p.mode != 2) return false;
    p.EndFrame();
  }
  return true;
}

// The start of each round for the machines on other threads, and their word
// that they played it.
class RoundGate {
 public:
  // A machine's wait for round r; false once the rounds are over.
  bool Await(int r) {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [&] { return round_ >= r || over_; });
    return !over_;
  }
  void Played() {
    std::lock_guard<std::mutex> lock(m_);
    ++played_;
    cv_.notify_all();
  }
  void Open(int r) {
    std::lock_guard<std::mutex> lock(m_);
    round_ = r;
    played_ = 0;
    cv_.notify_all();
  }
  void AwaitPlayed(int n) {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [&] { return played_ >= n || over_; });
  }
  void End() {
    std::lock_guard<std::mutex> lock(m_);
    over_ = true;
    cv_.notify_all();
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  int round_ = -1;
  int played_ = 0;
  bool over_ = false;
};

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The means of one round of a paired benchmark, in microseconds: of the
// plain block (round trips, or frames of plain packets), of the lock-step
// frame, and of the exchange thread's processor time per frame (left 0 where
// it is not measured).
struct RoundMeans {
  double plainUs = 0, frameUs = 0, cpuUs = 0;
};
struct RoundSamples {
  std::vector<double> plain, frame, cpu, ratio;
};

// Plays `warmUp` rounds unmeasured, then one round per iteration, whose time
// is the mean lock-step frame of it, until the iterations end or a round
// fails (`play` false).
RoundSamples PlayRounds(benchmark::State& state, int warmUp, const std::function<bool(RoundMeans*)>& play) {
  RoundMeans means;
  for (int i = 0; i < warmUp; ++i) play(&means);
  RoundSamples samples;
  for (auto _ : state) {
    if (!play(&means)) break;
    samples.plain.push_back(means.plainUs);
    samples.frame.push_back(means.frameUs);
    samples.cpu.push_back(means.cpuUs);
    samples.ratio.push_back(means.frameUs / means.plainUs);
    state.SetIterationTime(means.frameUs * 1e-6);
  }
  return samples;
}

// Counter ratio: the fastest round's lock-step frame over the fastest
// round's plain block (a busy machine only ever slows a round down), with
// ratio_lo and ratio_hi, the range of the rounds' own ratios.
void ReportRatio(benchmark::State& state, const RoundSamples& rounds) {
  if (rounds.ratio.empty()) return;
  state.counters["ratio"] = *std::min_element(rounds.frame.begin(), rounds.frame.end()) /
                            *std::min_element(rounds.plain.begin(), rounds.plain.end());
  state.counters["ratio_lo"] = *std::min_element(rounds.ratio.begin(), rounds.ratio.end());
  state.counters["ratio_hi"] = *std::max_element(rounds.ratio.begin(), rounds.ratio.end());
}

// The host's session on a port of its own (the plain links keep theirs);
// false when it cannot host on loopback.
bool HostOnOwnPort(NetSession& host, const char* name) {
  RegWriteInt(kRegConfig, "NETPORT", FreeLoopbackPort());
  return host.SelectProvider(1, 0) == kNetOk && host.CreateSession(name) == kNetOk && host.AddLocalPlayer("HOST") == 0;
}

void BM_EnetRoundTrip(benchmark::State& state) {
  LoopbackSettings settings;
  EchoPair pair;
  if (!pair.Start()) {
    state.SkipWithError("no ENet link on loopback");
    return;
  }
  for (auto _ : state)
    if (!pair.RoundTrip()) {
      state.SkipWithError("packet lost");
      return;
    }
}
BENCHMARK(BM_EnetRoundTrip)->UseRealTime();

// N plain ENet endpoints, each linked to every other. Play(me, n) is n
// frames of one of them: it sends one input-sized packet to every other and
// waits for one from every other. It is the plain exchange a lock-step frame
// is measured against: every machine sends at once, as in a lock-step frame.
template <int N>
class PlainMesh {
 public:
  static constexpr int kMachines = N;

  bool Start() {
    for (auto& t : ends_) {
      t = MakeEnetTransport();
      if (!t) return false;
    }
    if (!ends_[0]->Listen("MESH")) return false;
    NetSessionInfo first;
    first.address = "127.0.0.1";
    first.port = static_cast<uint16_t>(RegReadInt(kRegConfig, "NETPORT", 0));
    // Each newcomer links to the first, then to the others before it.
    for (int i = 1; i < kMachines; ++i) {
      if (!Link(i, 0, first)) return false;
      for (int j = 1; j < i; ++j) {
        NetSessionInfo to;
        to.address = "127.0.0.1";
        to.port = ends_[j]->LocalPort();
        if (!Link(i, j, to)) return false;
      }
    }
    return true;
  }

  bool Play(int me, int frames) {
    NetTransport& t = *ends_[me];
    uint8_t msg[kMsgInputSize] = {kMsgInput, 0, kMsgInputSize, 0};
    std::array<int, kMachines> got{};
    for (int f = 0; f < frames; ++f) {
      NetPutI32(msg + 8, f);
      for (int k = 0; k < kMachines; ++k)
        if (k != me) t.Send(links_[me][k], msg, sizeof msg);
      t.Flush();
      for (int wait = 0;; ++wait) {
        bool all = true;
        for (int k = 0; k < kMachines; ++k) all &= k == me || got[k] > f;
        if (all) break;
        if (wait > 4000) return false;
        NetTransportEvent ev;
        while (t.Poll(&ev)) {
          if (ev.kind != NetTransportEvent::kReceived) continue;
          for (int k = 0; k < kMachines; ++k)
            if (k != me && links_[me][k] == ev.link) ++got[k];
        }
        all = true;
        for (int k = 0; k < kMachines; ++k) all &= k == me || got[k] > f;
        if (!all) t.WaitForTraffic(5);
      }
    }
    // Acknowledgements still owed go out before the next block.
    t.Flush();
    return true;
  }

 private:
  // Links i to j; both ends learn which link leads where.
  bool Link(int i, int j, const NetSessionInfo& to) {
    int mine = ends_[i]->Connect(to);
    if (mine < 0) return false;
    bool up = false, accepted = false;
    for (int pass = 0; pass < 400 && !(up && accepted); ++pass) {
      NetTransportEvent ev;
      for (int k = 0; k < kMachines; ++k)
        while (ends_[k]->Poll(&ev)) {
          if (ev.kind != NetTransportEvent::kConnected) continue;
          if (k == i && ev.link == mine) up = true;
          if (k == j) {
            links_[j][i] = ev.link;
            accepted = true;
          }
        }
      ends_[i]->WaitForTraffic(5);
    }
    links_[i][j] = mine;
    return up && accepted;
  }

  std::array<std::unique_ptr<NetTransport>, kMachines> ends_;
  std::array<std::array<int, kMachines>, kMachines> links_{};
};

constexpr int kPairBlock = 500;
constexpr int kPairWarmUpRounds = 2;

void BM_LockStepFrameEnet(benchmark::State& state) {
  LoopbackSettings settings;
  PlainMesh<2> plain;
  if (!plain.Start()) {
    state.SkipWithError("no ENet link on loopback");
    return;
  }
  // The sessions take a port of their own: the plain pair keeps its.
  NetSession host;
  if (!HostOnOwnPort(host, "BENCH")) {
    state.SkipWithError("cannot host on loopback");
    return;
  }
  // A round is a block of plain exchanges and a block of lock-step frames on
  // the same two threads, the plain block first in even rounds and second in
  // odd ones, so that both see the same load of the machine.
  auto plainFirst = [](int round) { return round % 2 == 0; };
  std::atomic<bool> joined{false}, failed{false};
  RoundGate gate;
  std::thread peer([&] {
    NetSession client;
    client.SelectProvider(1, 0);
    int found = 0;
    for (int i = 0; i < 10 && found == 0; ++i) found = client.EnumSessions();
    if (found == 0 || client.JoinSession(0) != kNetOk || client.AddLocalPlayer("PEER") != 1) {
      failed = true;
      return;
    }
    joined = true;
    Player p(&client, 1);
    p.ls->BeginWaitForPlayers();
    int r;
    while ((r = p.ls->StepWaitForPlayers()) == LockStep::kPending && !failed) {
    }
    if (r != 0) {
      failed = true;
      return;
    }
    for (int round = 0; gate.Await(round); ++round) {
      for (int half = 0; half < 2 && !failed; ++half) {
        const bool isPlain = (half == 0) == plainFirst(round);
        if (!(isPlain ? plain.Play(1, kPairBlock) : PlayFrames(p, kPairBlock, failed))) failed = true;
      }
      gate.Played();
    }
  });
  auto finish = [&] {
    gate.End();
    peer.join();
  };
  for (int i = 0; i < 2000 && !joined && !failed; ++i) {
    host.Pump();
    host.WaitForTraffic(5);
  }
  while (host.PlayerCount() < 2 && !failed) {
    host.Pump();
    host.WaitForTraffic(5);
  }
  if (failed) {
    finish();
    state.SkipWithError("peer could not join");
    return;
  }
  NetMessage m;
  while (host.Receive(&m)) {
  }
  Player p(&host, 0);
  if (p.ls->WaitForPlayers() != 0) {
    failed = true;
    finish();
    state.SkipWithError("the wait for players failed");
    return;
  }
  // One round: the mean plain exchange, and the mean lock-step frame with
  // the exchange thread's processor time, in microseconds.
  int round = 0;
  auto play = [&](RoundMeans* means) {
    gate.Open(round);
    for (int half = 0; half < 2 && !failed; ++half) {
      const bool isPlain = (half == 0) == plainFirst(round);
      const double cpu0 = ThreadCpuUs();
      const auto t0 = std::chrono::steady_clock::now();
      if (!(isPlain ? plain.Play(0, kPairBlock) : PlayFrames(p, kPairBlock, failed))) failed = true;
      const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
      if (isPlain) {
        means->plainUs = us / kPairBlock;
      } else {
        means->frameUs = us / kPairBlock;
        means->cpuUs = (ThreadCpuUs() - cpu0) / kPairBlock;
      }
    }
    gate.AwaitPlayed(1);
    ++round;
    return !failed;
  };
  const RoundSamples rounds = PlayRounds(state, kPairWarmUpRounds, play);
  finish();
  if (failed) {
    state.SkipWithError("a frame or a plain exchange failed");
    return;
  }
  state.counters["plain_us"] = Median(rounds.plain);
  state.counters["frame_us"] = Median(rounds.frame);
  ReportRatio(state, rounds);
  state.counters["cpu_us"] = Median(rounds.cpu);
}
// Each iteration is a round; its time is the mean lock-step frame of it.
BENCHMARK(BM_LockStepFrameEnet)->Iterations(30)->UseManualTime()->Unit(benchmark::kMicrosecond);

constexpr int kMeshBlock = 200;
constexpr int kMeshWarmUpRounds = 2;

void BM_LockStepMeshFourEnet(benchmark::State& state) {
  constexpr int kMachines = PlainMesh<4>::kMachines;
  LoopbackSettings settings;
  PlainMesh<4> mesh;
  if (!mesh.Start()) {
    state.SkipWithError("no ENet mesh on loopback");
    return;
  }
  // The sessions take ports of their own: the plain mesh keeps its.
  NetSession host;
  if (!HostOnOwnPort(host, "MESH")) {
    state.SkipWithError("cannot host on loopback");
    return;
  }
  // A round is a block of plain frames and a block of lock-step frames on
  // the same four threads, one right after the other, the plain block first
  // in even rounds and second in odd ones: both halves of a round see the
  // same load of the machine, and neither always follows the other.
  auto plainFirst = [](int round) { return round % 2 == 0; };
  // The others join one after another (each takes the next slot), then keep
  // their sessions going until all four play; then they play the rounds the
  // host opens.
  std::atomic<int> joined{1};
  std::atomic<bool> failed{false};
  RoundGate gate;
  std::vector<std::thread> peers;
  for (int slot = 1; slot < kMachines; ++slot) {
    peers.emplace_back([&, slot] {
      while (joined < slot && !failed) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      if (failed) return;
      NetSession s;
      s.SelectProvider(1, 0);
      int found = 0;
      for (int i = 0; i < 10 && found == 0; ++i) found = s.EnumSessions();
      if (found == 0 || s.JoinSession(0) != kNetOk || s.AddLocalPlayer(("PEER" + std::to_string(slot)).c_str()) != slot) {
        failed = true;
        return;
      }
      ++joined;
      while (s.PlayerCount() < kMachines && !failed) {
        s.Pump();
        s.WaitForTraffic(5);
      }
      NetMessage m;
      while (s.Receive(&m)) {
      }
      Player p(&s, slot);
      p.ls->BeginWaitForPlayers();
      int r;
      while ((r = p.ls->StepWaitForPlayers()) == LockStep::kPending && !failed) {
      }
      if (r != 0) {
        failed = true;
        return;
      }
      for (int round = 0; gate.Await(round); ++round) {
        for (int half = 0; half < 2 && !failed; ++half) {
          const bool ok = half == 0 ? (plainFirst(round) ? mesh.Play(slot, kMeshBlock) : PlayFrames(p, kMeshBlock, failed))
                                    : (plainFirst(round) ? PlayFrames(p, kMeshBlock, failed) : mesh.Play(slot, kMeshBlock));
          if (!ok) failed = true;
        }
        gate.Played();
      }
    });
  }
  auto finish = [&] {
    gate.End();
    for (auto& t : peers) t.join();
  };
  for (int i = 0; i < 6000 && host.PlayerCount() < kMachines && !failed; ++i) {
    host.Pump();
    host.WaitForTraffic(5);
  }
  if (failed || host.PlayerCount() < kMachines) {
    failed = true;
    finish();
    state.SkipWithError("the others could not join");
    return;
  }
  NetMessage m;
  while (host.Receive(&m)) {
  }
  Player p(&host, 0);
  if (p.ls->WaitForPlayers() != 0) {
    failed = true;
    finish();
    state.SkipWithError("the wait for players failed");
    return;
  }
  // One round; the host's mean frame of each half, in microseconds.
  int round = 0;
  auto play = [&](RoundMeans* means) {
    gate.Open(round);
    for (int half = 0; half < 2 && !failed; ++half) {
      const bool plain = (half == 0) == plainFirst(round);
      const auto t0 = std::chrono::steady_clock::now();
      if (!(plain ? mesh.Play(0, kMeshBlock) : PlayFrames(p, kMeshBlock, failed))) failed = true;
      const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
      (plain ? means->plainUs : means->frameUs) = us / kMeshBlock;
    }
    gate.AwaitPlayed(kMachines - 1);
    ++round;
    return !failed;
  };
  const RoundSamples rounds = PlayRounds(state, kMeshWarmUpRounds, play);
  finish();
  if (failed) {
    state.SkipWithError("a frame failed");
    return;
  }
  // Medians over the rounds: a round that the machine's other work slowed
  // down moves them little.
  state.counters["plain_us"] = Median(rounds.plain);
  state.counters["frame_us"] = Median(rounds.frame);
  ReportRatio(state, rounds);
}
// Each iteration is a round; its time is the mean lock-step frame of it.
BENCHMARK(BM_LockStepMeshFourEnet)->Iterations(30)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_LockStepExchangeCpu(benchmark::State& state) {
  NetHub hub;
  VirtualClock clock(1000);
  auto factory = [&hub](int) { return hub.MakeTransport(); };
  NetSession a(factory, {"HUB"}), b(factory, {"HUB"});
  a.SetClock(&clock);
  b.SetClock(&clock);
  // Virtual time runs on with every pass; nobody should time out here.
  a.SetTimeoutMs(0xFFFFFFFFu);
  b.SetTimeoutMs(0xFFFFFFFFu);
  b.SetWaitHook([&] { a.Pump(); });
  a.SelectProvider(1, 0);
  a.CreateSession("CPU");
  a.AddLocalPlayer("A");
  b.SelectProvider(1, 0);
  b.EnumSessions();
  b.JoinSession(0);
  b.AddLocalPlayer("B");
  a.Pump();
  NetMessage m;
  while (a.Receive(&m)) {
  }
  while (b.Receive(&m)) {
  }
  Player pa(&a, 0, &clock), pb(&b, 1, &clock);
  // Each machine runs its own frames; a step of either is one pass.
  struct Runner {
    Player* p;
    bool waiting = true, inExchange = false;
    int Step() {  // 1 when a frame ended
      if (waiting) {
        if (!inExchange) {
          p->ls->BeginWaitForPlayers();
          inExchange = true;
        }
        if (p->ls->StepWaitForPlayers() == LockStep::kPending) return 0;
        waiting = inExchange = false;
        return 0;
      }
      if (!inExchange) {
        p->ls->BeginExchange();
        inExchange = true;
      }
      if (p->ls->StepExchange() == LockStep::kPending) return 0;
      inExchange = false;
      p->ls->ReadLocalInput();
      return 1;
    }
  };
  Runner ra{&pa}, rb{&pb};
  while (ra.waiting || rb.waiting) {
    ra.Step();
    rb.Step();
  }
  for (auto _ : state) {
    // One frame of each machine.
    int fa = 0, fb = 0;
    for (int guard = 0; guard < 1000 && (fa == 0 || fb == 0); ++guard) {
      if (fa == 0) fa = ra.Step();
      if (fb == 0) fb = rb.Step();
    }
  }
  if (pa.mode != 2 || pb.mode != 2 || pa.ls->syncPoint() < 1) state.SkipWithError("the game fell apart");
  state.SetLabel("two machines' frames per iteration");
}
BENCHMARK(BM_LockStepExchangeCpu);

}  // namespace
