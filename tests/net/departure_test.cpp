// Machines that leave a network game of the mesh: the drop vote decided by
// who hears whom, a lost machine taken over by the computer at one sync
// point on every remaining machine (the host's as well), and the fall-back
// of a machine left alone.
#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "tests/net/net_test_util.h"

namespace {

// One machine's part in a game stepped by the test: its frames, logged by
// sync point (input states, output records, human flags, the host's slot),
// and how its exchange last ended.
struct Seat {
  Machine* m = nullptr;
  int index = 0;
  enum Phase { kWaitBegin, kWaiting, kExBegin, kExchanging, kOut } phase = kWaitBegin;
  int last = 0;
  std::map<int32_t, std::vector<uint8_t>> frames;
};

std::vector<Seat> Seats(NetGame& g) {
  std::vector<Seat> seats(g.size());
  for (int i = 0; i < g.size(); ++i) {
    seats[i].m = &g[i];
    seats[i].index = i;
  }
  return seats;
}

// One pass of one machine. A frame that went on is logged and its digest is
// the next check value, so that machines that disagree on any of it lose
// their synchronisation (the exchange ends with -1).
void Step(Seat& s) {
  Machine& m = *s.m;
  if (s.phase == Seat::kOut) {
    if (m.mode == 2) m.session.Pump();
    return;
  }
  if (s.phase == Seat::kWaitBegin) {
    m.lockstep->BeginWaitForPlayers();
    s.phase = Seat::kWaiting;
  }
  if (s.phase == Seat::kWaiting) {
    int r = m.lockstep->StepWaitForPlayers();
    if (r == LockStep::kPending) return;
    s.last = r;
    s.phase = r == 0 ? Seat::kExBegin : Seat::kOut;
    return;
  }
  if (s.phase == Seat::kExBegin) {
    m.lockstep->BeginExchange();
    s.phase = Seat::kExchanging;
  }
  int r = m.lockstep->StepExchange();
  if (r == LockStep::kPending) return;
  s.last = r;
  if (r != 0) {
    s.phase = Seat::kOut;
    return;
  }
  std::vector<uint8_t> snap;
  for (int p = 0; p < kMaxPlayers; ++p) {
    snap.insert(snap.end(), m.states[p], m.states[p] + kPlayerStateSize);
    snap.insert(snap.end(), m.lockstep->output(p), m.lockstep->output(p) + kOutputRecordSize);
    snap.push_back(m.players[p].human);
  }
  snap.push_back(static_cast<uint8_t>(m.session.HostSlot()));
  const int32_t point = m.lockstep->syncPoint() - 1;
  s.frames[point] = snap;
  uint32_t check = 17;
  for (uint8_t b : snap) check = check * 31 + b;
  m.lockstep->SetSyncCheck(static_cast<int32_t>(check));
  m.lockstep->PutOutDword(0, static_cast<uint32_t>(point * 10 + s.index));
  m.lockstep->ReadLocalInput();
  // A machine that fell back to a game of its own runs unpaced: it is done.
  s.phase = m.mode == 2 ? Seat::kExBegin : Seat::kOut;
}

void Play(NetGame& g, std::vector<Seat>& seats, int rounds, const std::function<bool()>& until = {}) {
  for (int r = 0; r < rounds; ++r) {
    for (Seat& s : seats) Step(s);
    g.hub.Tick();
    if (until && until()) return;
  }
}

bool AllAt(NetGame& g, int32_t point) {
  for (int i = 0; i < g.size(); ++i)
    if (g[i].lockstep->syncPoint() < point) return false;
  return true;
}

// Every frame that two of the given machines both played is the same on both.
void ExpectSameFrames(const std::vector<Seat>& seats, const std::vector<int>& which) {
  for (size_t a = 0; a < which.size(); ++a)
    for (size_t b = a + 1; b < which.size(); ++b)
      for (const auto& [point, snap] : seats[which[a]].frames) {
        auto it = seats[which[b]].frames.find(point);
        if (it != seats[which[b]].frames.end())
          EXPECT_EQ(snap, it->second) << "machines " << which[a] << " and " << which[b] << ", frame " << point;
      }
}

// The slot's input state bytes as a frame's log holds them.
std::vector<uint8_t> StateIn(const std::vector<uint8_t>& snap, int slot) {
  const size_t at = slot * (kPlayerStateSize + kOutputRecordSize + 1);
  return std::vector<uint8_t>(snap.begin() + at, snap.begin() + at + kPlayerStateSize);
}

// The slot's frame holds the input its machine read for that frame.
void ExpectedStateAt(const std::vector<uint8_t>& snap, int slot, int32_t point) {
  uint8_t want[kPlayerStateSize];
  ExpectedState(slot, point, want);
  EXPECT_EQ(StateIn(snap, slot), std::vector<uint8_t>(want, want + kPlayerStateSize)) << "frame " << point;
}

// The first frame in which the slot's athlete was the computer's.
int32_t TakenOverAt(const Seat& s, int slot) {
  const size_t at = slot * (kPlayerStateSize + kOutputRecordSize + 1) + kPlayerStateSize + kOutputRecordSize;
  for (const auto& [point, snap] : s.frames)
    if (snap[at] == 0) return point;
  return -1;
}

// From now on `listener` gets nothing at all from `speaker`: its link goes
// silent (the session's timeouts are set out of reach, so it is not cut).
void Deafen(NetGame& g, const std::set<std::pair<int, int>>& deaf) {
  std::vector<int> ep(g.size());
  for (int i = 0; i < g.size(); ++i) ep[i] = g.hub.EndpointOf(g[i].session.transport());
  NetHub::Faults f;
  f.dropPercent = 100;
  f.applies = [ep, deaf](int from, int to, const std::vector<uint8_t>&) {
    int speaker = -1, listener = -1;
    for (size_t i = 0; i < ep.size(); ++i) {
      if (ep[i] == from) speaker = static_cast<int>(i);
      if (ep[i] == to) listener = static_cast<int>(i);
    }
    return deaf.count({listener, speaker}) > 0;
  };
  g.hub.SetFaults(f);
}

struct VoteCase {
  const char* name;
  std::set<std::pair<int, int>> deaf;  // (listener, speaker)
  std::vector<int> voters;
  std::vector<int> dropped;
};

// Four machines play; some stop hearing others; the players press 'D'. A
// machine is dropped only when every remaining machine has stopped hearing
// it and they all agreed; the others play on with the computer in its place.
TEST(DropVote, WhoIsDroppedFollowsWhoHearsWhom) {
  const VoteCase cases[] = {
      {"nobody hears 3", {{0, 3}, {1, 3}, {2, 3}}, {0, 1, 2, 3}, {3}},
      {"only 0 misses 3", {{0, 3}}, {0, 1, 2, 3}, {}},
      {"nobody hears 2 and 3", {{0, 2}, {1, 2}, {3, 2}, {0, 3}, {1, 3}, {2, 3}}, {0, 1}, {2, 3}},
      {"0 and 1 miss each other", {{0, 1}, {1, 0}}, {0, 1, 2, 3}, {}},
      {"nobody hears the host", {{1, 0}, {2, 0}, {3, 0}}, {1, 2, 3}, {0}},
      {"3 is silent but 2 does not vote", {{0, 3}, {1, 3}, {2, 3}}, {0, 1}, {}},
  };
  for (const VoteCase& c : cases) {
    SCOPED_TRACE(c.name);
    NetGame g(31);
    g.Start(4);
    if (HasFatalFailure()) return;
    for (int i = 0; i < 4; ++i) g[i].session.SetTimeoutMs(1u << 30);  // silent, never timed out
    std::vector<Seat> seats = Seats(g);
    Play(g, seats, 2000, [&] { return AllAt(g, 10); });
    ASSERT_TRUE(AllAt(g, 10));
    Deafen(g, c.deaf);
    Play(g, seats, 400);
    int32_t stuck[4];
    for (int i = 0; i < 4; ++i) {
      stuck[i] = g[i].lockstep->syncPoint();
      EXPECT_TRUE(g[i].ui.boxOpen) << "machine " << i << " waits and asks what to do";
    }
    for (int v : c.voters) g[v].ui.keys.push_back('D');
    Play(g, seats, 400);

    std::vector<int> remaining;
    for (int i = 0; i < 4; ++i)
      if (std::find(c.dropped.begin(), c.dropped.end(), i) == c.dropped.end()) remaining.push_back(i);
    for (int i : remaining) {
      for (int s = 0; s < 4; ++s) {
        const bool gone = std::find(c.dropped.begin(), c.dropped.end(), s) != c.dropped.end();
        EXPECT_EQ(g[i].session.GetSlotState(s), s == i ? kSlotLocal : (gone ? kSlotFree : kSlotRemote))
            << "machine " << i << " slot " << s;
        EXPECT_EQ(g[i].players[s].human, gone ? 0 : 1) << "machine " << i << " slot " << s;
      }
      EXPECT_EQ(seats[i].last, 0) << "machine " << i;
      if (c.dropped.empty()) {
        EXPECT_LE(g[i].lockstep->syncPoint(), stuck[i] + 1) << "machine " << i << " is still stuck";
      } else {
        EXPECT_GT(g[i].lockstep->syncPoint(), stuck[i] + 20) << "machine " << i << " plays on";
        EXPECT_EQ(g[i].session.HostSlot(), remaining[0]);
        EXPECT_EQ(g[i].mode, 2);
      }
    }
    if (!c.dropped.empty()) ExpectSameFrames(seats, remaining);
  }
}

// A machine that the others cut off after their vote, while it still hears
// them, learns that it was dropped and plays on alone.
TEST(DropVote, TheDroppedMachineHearsItWasDropped) {
  NetGame g(5);
  g.Start(3);
  if (HasFatalFailure()) return;
  for (int i = 0; i < 3; ++i) g[i].session.SetTimeoutMs(1u << 30);
  std::vector<Seat> seats = Seats(g);
  Play(g, seats, 2000, [&] { return AllAt(g, 5); });
  Deafen(g, {{0, 2}, {1, 2}});
  Play(g, seats, 400);
  g[0].ui.keys.push_back('D');
  g[1].ui.keys.push_back('D');
  Play(g, seats, 200);
  EXPECT_EQ(g[2].mode, 0);
  ASSERT_FALSE(g[2].ui.messages.empty());
  EXPECT_EQ(g[2].ui.messages.back(), "YOU ARE DROPPED OUT FROM THE GAME.");
  EXPECT_EQ(g[2].players[0].human, 0);
  EXPECT_EQ(g[2].players[1].human, 0);
  EXPECT_EQ(g[2].session.GetSlotState(2), kSlotLocal);
  EXPECT_EQ(g[0].session.GetSlotState(2), kSlotFree);
}

// The host is lost just after its input for frame 25 reached one machine
// only (its links to the two others went silent first, as a machine that
// dies mid-send leaves them). The machine that has it hands it on; every
// remaining machine plays frames 25 and 26 with the host's own input and
// gives its athlete and its host's part to the computer and to slot 1 from
// frame 27, alike.
TEST(TakeOver, AtOneSyncPointWhenTheLostMachinesLastInputReachedOnlyOne) {
  NetGame g(77);
  g.Start(4);
  if (HasFatalFailure()) return;
  std::vector<Seat> seats = Seats(g);
  Play(g, seats, 4000, [&] { return AllAt(g, 20); });
  ASSERT_TRUE(AllAt(g, 20));
  const int host = g.hub.EndpointOf(g[0].session.transport());
  const int to2 = g.hub.EndpointOf(g[2].session.transport());
  const int to3 = g.hub.EndpointOf(g[3].session.transport());
  bool silent = false;
  NetHub::Faults f;
  f.dropPercent = 100;
  f.applies = [&](int from, int to, const std::vector<uint8_t>& p) {
    if (from != host || (to != to2 && to != to3)) return false;
    if (IsAppMessage(p, kMsgInput) && AppSyncPoint(p) >= 25) silent = true;
    return silent;
  };
  g.hub.SetFaults(f);
  Play(g, seats, 4000, [&] { return g[0].lockstep->syncPoint() >= 26 && g[1].lockstep->syncPoint() >= 26; });
  ASSERT_EQ(g[0].lockstep->syncPoint(), 26);  // it sent its input for frame 26 to machine 1
  ASSERT_EQ(g[2].lockstep->syncPoint(), 25);  // still without its input for frame 25
  g.hub.CutOff(g[0].session.transport());
  seats[0].phase = Seat::kOut;
  Play(g, seats, 600);
  for (int i = 1; i < 4; ++i) {
    EXPECT_EQ(seats[i].last, 0) << i;
    EXPECT_GT(g[i].lockstep->syncPoint(), 60) << i;
    EXPECT_EQ(TakenOverAt(seats[i], 0), 27) << i;
    // The host's own last input, then nothing: no key stays held for the computer.
    ExpectedStateAt(seats[i].frames[26], 0, 26);
    EXPECT_EQ(StateIn(seats[i].frames[27], 0), std::vector<uint8_t>(kPlayerStateSize, 0)) << i;
    EXPECT_EQ(seats[i].frames[26].back(), 0) << i;  // the host's slot, until it left
    EXPECT_EQ(seats[i].frames[27].back(), 1) << i;
    EXPECT_EQ(g[i].session.HostSlot(), 1);
    EXPECT_EQ(g[i].session.IsHost(), i == 1);
    EXPECT_EQ(g[i].mode, 2);
  }
  ExpectSameFrames(seats, {1, 2, 3});
}

// A machine quits in the middle of a game of four on a network that loses,
// holds back, doubles and reorders packets (the session's own among them):
// the three others agree on its departure, give its athlete to the computer
// at one frame and play on in step. A few seeds, since which packets are
// lost decides where it could go wrong.
TEST(TakeOver, OneOfFourQuitsOnALossyNetwork) {
  for (uint32_t seed : {3u, 11u, 29u, 57u, 101u, 202u}) {
    SCOPED_TRACE(seed);
    NetGame g(seed);
    g.Start(4);
    if (HasFatalFailure()) return;
    std::vector<Seat> seats = Seats(g);
    NetHub::Faults f;
    f.dropPercent = 10;
    f.delayPercent = 20;
    f.maxDelay = 3;
    f.dupPercent = 5;
    f.reorderPercent = 5;
    g.hub.SetFaults(f);
    Play(g, seats, 4000, [&] { return AllAt(g, 15); });
    ASSERT_TRUE(AllAt(g, 15));
    g[2].session.Close();
    g[2].mode = 0;
    seats[2].phase = Seat::kOut;
    const int32_t quitAt = g[2].lockstep->syncPoint();
    Play(g, seats, 6000, [&] {
      for (int i : {0, 1, 3})
        if (g[i].lockstep->syncPoint() < quitAt + 60) return false;
      return true;
    });
    const int32_t takenOver = TakenOverAt(seats[0], 2);
    EXPECT_GE(takenOver, quitAt - 1);
    for (int i : {0, 1, 3}) {
      EXPECT_EQ(seats[i].last, 0) << i;
      EXPECT_GE(g[i].lockstep->syncPoint(), quitAt + 60) << "machine " << i << " plays on";
      EXPECT_EQ(g[i].session.GetSlotState(2), kSlotFree) << i;
      EXPECT_EQ(g[i].players[2].human, 0) << i;
      EXPECT_EQ(TakenOverAt(seats[i], 2), takenOver) << i;
      EXPECT_EQ(g[i].mode, 2) << i;
    }
    ExpectSameFrames(seats, {0, 1, 3});
  }
}

// Two of three machines go at once: the one left alone plays on by itself,
// every other athlete the computer's (none stays a person with frozen input).
TEST(FallBack, AMachineLeftAloneGivesEveryOtherAthleteToTheComputer) {
  NetGame g(9);
  g.Start(3);
  if (HasFatalFailure()) return;
  std::vector<Seat> seats = Seats(g);
  Play(g, seats, 2000, [&] { return AllAt(g, 5); });
  g.hub.CutOff(g[0].session.transport());
  g.hub.CutOff(g[1].session.transport());
  seats[0].phase = seats[1].phase = Seat::kOut;
  Play(g, seats, 50);
  EXPECT_EQ(g[2].mode, 0);
  EXPECT_FALSE(g[2].session.IsNetwork());
  EXPECT_EQ(g[2].session.GetSlotState(2), kSlotLocal);
  for (int s = 0; s < 4; ++s) EXPECT_EQ(g[2].players[s].human, s == 2 ? 1 : 0) << s;
  // Their last input is gone with them: none of their keys stays held.
  for (int s : {0, 1})
    EXPECT_EQ(std::vector<uint8_t>(g[2].states[s], g[2].states[s] + kPlayerStateSize),
              std::vector<uint8_t>(kPlayerStateSize, 0))
        << s;
}

}  // namespace
