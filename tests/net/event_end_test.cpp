// The end of an event over a network that loses or reorders the last
// messages of the machine that ends it: every machine plays the same frames
// with the same input and ends after the same one, and the end goes out once.
#include <map>
#include <set>

#include "tests/net/net_test_util.h"

namespace {

constexpr int kEnder = 1;     // a client: the host's place plays no part
constexpr int kLastFrame = 5;  // the ender's logic ends the event in this frame

enum Pattern { kClean, kEndLost, kInputLost, kBothLost, kInputLate };

struct EndCase {
  const char* name;
  int machines;
  Pattern pattern;
  // Only the ender's logic ends the event (as the end-event code does on the
  // machine it was typed on); otherwise every machine's logic ends it in the
  // same frame, as an event's rules do from the exchanged input.
  bool alone;
  // The ender's end is typed after it has sent its input for the last frame
  // (RequestEnd), rather than decided by its logic in that frame.
  bool typed = false;
};

struct EndRun {
  // Per machine: the input and output records of every frame it played.
  std::vector<std::vector<std::vector<uint8_t>>> played;
  std::vector<int32_t> lastPlayed;
  std::vector<bool> ended;
  std::vector<bool> toldFirst;  // it heard of the end before its own logic ended
};

// What went over the wire, counted in the hub.
struct Wire {
  std::map<int, int> endBroadcasts;  // by sender slot: packets of an end sent to all
  std::map<int, int> endReplies;     // by sender slot: ends sent to one asker
  int lastInputs = 0;                // packets of the ender's input of the last frame
  int lastInputRequests = 0;         // requests to the ender for that input
};

std::vector<uint8_t> Snapshot(Machine& m) {
  std::vector<uint8_t> snap;
  for (int s = 0; s < kMaxPlayers; ++s) {
    snap.insert(snap.end(), m.states[s], m.states[s] + kPlayerStateSize);
    snap.insert(snap.end(), m.lockstep->output(s), m.lockstep->output(s) + kOutputRecordSize);
  }
  return snap;
}

// Each machine: wait for players, then frames (exchange, "logic", next
// input) until its event ends; then, its screen gone, only its session is
// read, as the shop does, until all have ended.
EndRun Play(NetGame& g, const EndCase& c) {
  const int n = g.size();
  EndRun run;
  run.played.assign(n, {});
  run.lastPlayed.assign(n, -2);
  run.ended.assign(n, false);
  run.toldFirst.assign(n, false);
  std::vector<TurnPhase> phase(n, TurnPhase::kWaiting);
  for (int i = 0; i < n; ++i) g[i].lockstep->BeginWaitForPlayers();
  auto end = [&](int i) {
    Machine& m = g[i];
    run.toldFirst[i] = m.lockstep->endAt() >= 0 && !(c.typed && i == kEnder);
    run.lastPlayed[i] = m.lockstep->lastPlayed();
    EXPECT_EQ(m.lockstep->BroadcastEventEnd(), 1);
    EXPECT_EQ(m.lockstep->BroadcastEventEnd(), 1);  // the event's call and the shell's
    m.lockstep.reset();
    run.ended[i] = true;
  };
  for (int round = 0; round < 20000; ++round) {
    bool all = true;
    // The ender moves first in every round: it is the first to end.
    for (int k = 0; k < n; ++k) {
      const int i = (kEnder + k) % n;
      Machine& m = g[i];
      if (run.ended[i]) {
        NetMessage msg;
        while (m.session.Receive(&msg)) m.session.OnSystemMessage(msg);
        continue;
      }
      all = false;
      bool waited = false;
      const int r = StepTurn(*m.lockstep, &phase[i], &waited);
      if (r == LockStep::kPending) continue;
      if (waited) {
        EXPECT_EQ(r, 0) << "machine " << i;
        continue;
      }
      if (r == 1) {
        end(i);
        continue;
      }
      EXPECT_EQ(r, 0) << "machine " << i;
      if (r != 0) return run;
      std::vector<uint8_t> snap = Snapshot(m);
      run.played[i].push_back(snap);
      const int32_t frame = m.lockstep->lastPlayed();
      if (frame == kLastFrame && (!c.alone || (i == kEnder && !c.typed))) {
        end(i);
        continue;
      }
      uint32_t check = 17;
      for (uint8_t b : snap) check = check * 31 + b;
      m.lockstep->SetSyncCheck(static_cast<int32_t>(check));
      m.lockstep->PutOutDword(0, static_cast<uint32_t>(frame * 1000 + i));
      m.lockstep->ReadLocalInput();
      if (c.typed && i == kEnder && frame == kLastFrame - 1) EXPECT_TRUE(m.lockstep->RequestEnd());
    }
    g.hub.Tick();
    if (all) return run;
  }
  ADD_FAILURE() << "the machines did not all end";
  return run;
}

class LockStepEventEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(LockStepEventEnd, EveryMachineEndsAfterTheSameFrameWithOneEndMessage) {
  const EndCase& c = GetParam();
  NetGame g(31 + c.machines);
  g.Start(c.machines);
  if (HasFatalFailure()) return;
  for (int i = 0; i < c.machines; ++i) g[i].session.SetTimeoutMs(1u << 30);  // nobody leaves

  Wire wire;
  std::set<int> inputLostTo;
  const bool loseEnd = c.pattern == kEndLost || c.pattern == kBothLost;
  const bool loseInput = c.pattern == kInputLost || c.pattern == kBothLost;
  NetHub::Faults f;
  if (c.pattern == kInputLate) {
    f.delayPercent = 100;
    f.maxDelay = 200;
  } else {
    f.dropPercent = 100;
  }
  f.applies = [&](int, int to, const std::vector<uint8_t>& p) {
    const bool fromEnder = p.size() > static_cast<size_t>(netwire::kAppHeader) && AppFrom(p) == kEnder;
    if (IsAppMessage(p, kMsgEventEnd)) {
      (static_cast<int8_t>(p[2]) == kNetToAll ? wire.endBroadcasts : wire.endReplies)[AppFrom(p)]++;
      return fromEnder && loseEnd && static_cast<int8_t>(p[2]) == kNetToAll;
    }
    if (IsAppMessage(p, kMsgResendRequest) && static_cast<int8_t>(p[2]) == kEnder &&
        AppSyncPoint(p) == kLastFrame)
      ++wire.lastInputRequests;
    if (fromEnder && IsAppMessage(p, kMsgInput) && AppSyncPoint(p) == kLastFrame) {
      ++wire.lastInputs;
      if (c.pattern == kInputLate) return true;
      // The first copy to each machine is lost; what the ender's session
      // answers on request comes through.
      return loseInput && inputLostTo.insert(to).second;
    }
    return false;
  };
  g.hub.SetFaults(f);

  EndRun run = Play(g, c);
  const int peers = c.machines - 1;
  for (int i = 0; i < c.machines; ++i) {
    SCOPED_TRACE(i);
    ASSERT_TRUE(run.ended[i]);
    EXPECT_EQ(run.lastPlayed[i], kLastFrame);
    ASSERT_EQ(run.played[i].size(), static_cast<size_t>(kLastFrame + 1));
    EXPECT_EQ(run.played[i], run.played[kEnder]);
    // Everybody's input of the last frame is what that player read for it.
    for (int s = 0; s < c.machines; ++s) {
      uint8_t want[kPlayerStateSize];
      ExpectedState(s, kLastFrame, want);
      EXPECT_EQ(0, std::memcmp(run.played[i].back().data() + s * (kPlayerStateSize + kOutputRecordSize), want,
                               kPlayerStateSize))
          << "slot " << s;
    }
    // A machine says it once at most, and nothing when it was told.
    EXPECT_LE(wire.endBroadcasts[i], peers);
    if (run.toldFirst[i]) EXPECT_EQ(wire.endBroadcasts[i], 0);
  }
  // The ender's end goes out once, to each machine, and its last input
  // only with its frame and on request, never as a backup.
  EXPECT_FALSE(run.toldFirst[kEnder]);
  EXPECT_EQ(wire.endBroadcasts[kEnder], peers);
  EXPECT_GE(wire.lastInputs, peers);
  EXPECT_LE(wire.lastInputs, peers + wire.lastInputRequests);
  if (c.pattern == kClean || c.pattern == kEndLost) {
    EXPECT_EQ(wire.lastInputRequests, 0);
    EXPECT_EQ(wire.lastInputs, peers);
  }
  if (loseInput) {
    EXPECT_GE(wire.lastInputRequests, peers);
  }
  // Only a machine whose logic never ends the event by itself has to ask
  // for the end it lost, and is answered with it.
  if (c.alone && loseEnd) {
    EXPECT_GE(wire.endReplies[kEnder], 1);
  } else {
    EXPECT_EQ(wire.endReplies[kEnder], 0);
  }
  if (c.alone) {
    for (int i = 0; i < c.machines; ++i)
      if (i != kEnder) EXPECT_EQ(wire.endBroadcasts[i], 0) << i;
  }
  if (c.pattern == kInputLate || loseInput) {
    // The end came while the others still waited for the ender's input.
    for (int i = 0; i < c.machines; ++i)
      if (i != kEnder && !loseEnd) EXPECT_TRUE(run.toldFirst[i]) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Hub, LockStepEventEnd,
    ::testing::Values(EndCase{"clean2", 2, kClean, false}, EndCase{"endLost2", 2, kEndLost, false},
                      EndCase{"inputLost2", 2, kInputLost, false}, EndCase{"bothLost2", 2, kBothLost, false},
                      EndCase{"inputLate2", 2, kInputLate, false}, EndCase{"endLost3", 3, kEndLost, false},
                      EndCase{"bothLost4", 4, kBothLost, false}, EndCase{"inputLate4", 4, kInputLate, false},
                      EndCase{"aloneClean2", 2, kClean, true}, EndCase{"aloneEndLost2", 2, kEndLost, true},
                      EndCase{"aloneInputLost3", 3, kInputLost, true},
                      EndCase{"aloneBothLost3", 3, kBothLost, true},
                      EndCase{"aloneInputLate3", 3, kInputLate, true},
                      EndCase{"typedClean3", 3, kClean, true, true}, EndCase{"typedEndLost3", 3, kEndLost, true, true},
                      EndCase{"typedBothLost2", 2, kBothLost, true, true}),
    [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// The end names the sender's last frame by its low byte; the receiver, in
// the exchange of frame S, plays S when the end names S, ends at once when
// it names S - 1, and takes it for no end of this event when it names a
// frame it has not reached (an end of an event before, held up).
TEST(LockStepEventEnd, TheNamedFrameDecidesWhereTheReceiverEnds) {
  struct Case {
    int named;       // relative to the receiver's frame
    int now, next;   // the results of this exchange and the next
  };
  const Case cases[] = {{-1, 1, 1}, {0, 0, 1}, {1, 0, 0}, {100, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.named);
    NetGame g;
    g.Start(2);
    if (HasFatalFailure()) return;
    ASSERT_EQ(g.WaitAll(), (std::vector<int>{0, 0}));
    for (int f = 0; f < 300; ++f) {  // past 255: the low byte has wrapped
      for (int i = 0; i < 2; ++i) ASSERT_EQ(g[i].lockstep->ExchangeInput(), 0);
      for (int i = 0; i < 2; ++i) g[i].lockstep->ReadLocalInput();
    }
    const int32_t s = g[0].lockstep->syncPoint();
    uint8_t end[kMsgShortSize] = {kMsgEventEnd, 0, kMsgShortSize, 0, 1, static_cast<uint8_t>((s + c.named) & 0xFF)};
    g[0].session.QueueLocal(1, 0, end, sizeof end, false);
    EXPECT_EQ(g[0].lockstep->ExchangeInput(), c.now);
    if (c.now != 0) continue;
    EXPECT_EQ(g[1].lockstep->ExchangeInput(), 0);
    for (int i = 0; i < 2; ++i) g[i].lockstep->ReadLocalInput();
    EXPECT_EQ(g[0].lockstep->ExchangeInput(), c.next);
    EXPECT_EQ(g[0].lockstep->lastPlayed(), s + (c.next == 0 ? 1 : 0));
  }
}

}  // namespace
