// The lock-step exchange between 2 to 4 machines on an in-memory network that
// loses, delays, duplicates and reorders packets.
#include <algorithm>

#include "platform/quit_request.h"
#include "tests/net/net_test_util.h"

namespace {

// Runs `frames` frames on every machine: exchange, check what came, set the
// check value from the exchanged input, read and send the next input.
// Returns false when a machine's exchange ended otherwise than with 0.
struct FrameLog {
  std::vector<std::vector<uint8_t>> perFrame;  // states + outputs of all four slots
};

// Runs every machine from its wait for players through `frames` logged
// frames: exchange, log what came, set the check value from it, read and send
// the next input. With keepGoing a machine that has logged its frames plays
// on (as a real one would, answering requests) until all have. Returns false
// when an exchange ended otherwise than with 0.
bool RunGame(NetGame& g, int frames, std::vector<FrameLog>* logs, bool wait = true,
             bool keepGoing = true, int maxRounds = 400000) {
  const int n = g.size();
  logs->assign(n, {});
  std::vector<int> done(n, 0);
  std::vector<TurnPhase> phase(n, wait ? TurnPhase::kWaitBegin : TurnPhase::kExBegin);
  std::vector<bool> stopped(n, false);
  for (int round = 0; round < maxRounds; ++round) {
    bool all = true;
    for (int i = 0; i < n; ++i) {
      Machine& m = g[i];
      if (m.frozen) continue;
      if (done[i] < frames) all = false;
      if (stopped[i]) {
        m.session.Pump();
        continue;
      }
      bool waited = false;
      const int r = StepTurn(*m.lockstep, &phase[i], &waited);
      if (r == LockStep::kPending) continue;
      if (waited) {
        if (r != 0) {
          ADD_FAILURE() << "machine " << i << " wait ended with " << r;
          return false;
        }
        continue;
      }
      if (r != 0) {
        ADD_FAILURE() << "machine " << i << " exchange ended with " << r << " at frame " << done[i];
        return false;
      }
      std::vector<uint8_t> snap;
      uint32_t check = 17;
      for (int s = 0; s < kMaxPlayers; ++s) {
        snap.insert(snap.end(), m.states[s], m.states[s] + kPlayerStateSize);
        snap.insert(snap.end(), m.lockstep->output(s), m.lockstep->output(s) + kOutputRecordSize);
      }
      for (uint8_t b : snap) check = check * 31 + b;
      if (done[i] < frames) (*logs)[i].perFrame.push_back(snap);
      ++done[i];
      if (!keepGoing && done[i] >= frames) {
        stopped[i] = true;  // the caller reads the next input
        continue;
      }
      m.lockstep->SetSyncCheck(static_cast<int32_t>(check));
      m.lockstep->PutOutDword(0, static_cast<uint32_t>(done[i] * 1000 + i));
      m.lockstep->ReadLocalInput();
    }
    g.hub.Tick();
    if (all) return true;
  }
  ADD_FAILURE() << "frames did not finish";
  return false;
}

void ExpectSameFrames(NetGame& g, const std::vector<FrameLog>& logs, int frames) {
  const int n = g.size();
  for (int f = 0; f < frames; ++f) {
    for (int i = 1; i < n; ++i) {
      if (g[i].frozen) continue;
      ASSERT_EQ(logs[i].perFrame[f], logs[0].perFrame[f]) << "machine " << i << " frame " << f;
    }
    // Every player's input for frame f is what that player read for it.
    for (int s = 0; s < n; ++s) {
      uint8_t want[kPlayerStateSize];
      ExpectedState(s, f, want);
      ASSERT_EQ(0, std::memcmp(logs[0].perFrame[f].data() + s * (kPlayerStateSize + kOutputRecordSize),
                               want, kPlayerStateSize))
          << "slot " << s << " frame " << f;
    }
  }
}

struct FaultCase {
  const char* name;
  int peers;
  int drop, dup, delay, maxDelay, reorder;
};

class LockStepFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(LockStepFaults, EveryMachineSeesTheSameInputEveryFrame) {
  const FaultCase& fc = GetParam();
  NetGame g(101 + fc.peers);
  g.Start(fc.peers);
  if (HasFatalFailure()) return;
  NetHub::Faults f;
  f.dropPercent = fc.drop;
  f.dupPercent = fc.dup;
  f.delayPercent = fc.delay;
  f.maxDelay = fc.maxDelay;
  f.reorderPercent = fc.reorder;
  // The game's messages suffer; the session's own control packets stand for
  // the transport's reliable channel.
  f.applies = [](int, int, const std::vector<uint8_t>& p) { return !p.empty() && p[0] == netwire::kApp; };
  g.hub.SetFaults(f);

  const int frames = 150;
  std::vector<FrameLog> logs;
  ASSERT_TRUE(RunGame(g, frames, &logs));
  ExpectSameFrames(g, logs, frames);
  for (int i = 0; i < g.size(); ++i) {
    EXPECT_GE(g[i].lockstep->syncPoint(), frames);
    EXPECT_EQ(g[i].mode, 2);
    // Everyone's player records arrived: the remote ones carry their names.
    for (int s = 0; s < g.size(); ++s)
      EXPECT_STREQ(g[i].players[s].name, ("PLAYER" + std::to_string(s)).c_str());
  }
  if (fc.drop) {
    EXPECT_GT(g.hub.dropped(), 0);
  }
  if (fc.dup) {
    EXPECT_GT(g.hub.duplicated(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Hub, LockStepFaults,
    ::testing::Values(FaultCase{"clean2", 2, 0, 0, 0, 0, 0}, FaultCase{"clean4", 4, 0, 0, 0, 0, 0},
                      FaultCase{"loss2", 2, 15, 0, 0, 0, 0}, FaultCase{"loss3", 3, 10, 0, 0, 0, 0},
                      FaultCase{"dup3", 3, 0, 20, 0, 0, 0}, FaultCase{"delay2", 2, 0, 0, 30, 6, 0},
                      FaultCase{"reorder4", 4, 0, 0, 0, 0, 30},
                      FaultCase{"everything4", 4, 10, 10, 20, 5, 20}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST(LockStep, MissingInputIsAskedForAndResent) {
  NetGame g;
  g.Start(2);
  if (HasFatalFailure()) return;
  int requests = 0, copies = 0;
  bool droppedOnce = false;
  NetHub::Faults f;
  f.dropPercent = 100;
  // Lose the first input of frame 3 from slot 1; watch what follows.
  f.applies = [&](int, int, const std::vector<uint8_t>& p) {
    if (IsAppMessage(p, kMsgResendRequest) && AppFrom(p) == 0 && AppSyncPoint(p) == 3) ++requests;
    if (IsAppMessage(p, kMsgInput) && AppFrom(p) == 1 && AppSyncPoint(p) == 3) {
      ++copies;
      if (!droppedOnce) return droppedOnce = true;
    }
    return false;
  };
  g.hub.SetFaults(f);
  std::vector<FrameLog> logs;
  ASSERT_TRUE(RunGame(g, 6, &logs));
  ExpectSameFrames(g, logs, 6);
  EXPECT_TRUE(droppedOnce);
  EXPECT_GE(requests, 1);
  EXPECT_GE(copies, 2);  // the lost one and at least one resent copy
}

TEST(LockStep, EarlyInputIsReplayedFirstInTheNextFrame) {
  NetGame g;
  g.Start(2);
  if (HasFatalFailure()) return;
  Machine& a = g[0];
  Machine& b = g[1];
  // B's frame 0 input is lost until B has sent its frame 1 input, so that
  // frame 1 reaches A while A still waits for frame 0.
  bool sentFrame1 = false;
  int lost = 0;
  NetHub::Faults f;
  f.dropPercent = 100;
  f.applies = [&](int, int, const std::vector<uint8_t>& p) {
    if (!IsAppMessage(p, kMsgInput) || AppFrom(p) != 1) return false;
    if (AppSyncPoint(p) == 1) sentFrame1 = true;
    if (AppSyncPoint(p) == 0 && !sentFrame1) return ++lost > 0;
    return false;
  };
  g.hub.SetFaults(f);
  ASSERT_EQ(g.WaitAll(), (std::vector<int>{0, 0}));

  a.lockstep->BeginExchange();
  b.lockstep->BeginExchange();
  int ra = LockStep::kPending, rb = LockStep::kPending;
  bool bInFrame1 = false;
  for (int i = 0; i < 200 && ra == LockStep::kPending; ++i) {
    ra = a.lockstep->StepExchange();
    if (!bInFrame1) {
      rb = b.lockstep->StepExchange();
      if (rb != LockStep::kPending) {
        ASSERT_EQ(rb, 0);
        b.lockstep->ReadLocalInput();
        b.lockstep->BeginExchange();
        bInFrame1 = true;
      }
    } else {
      ASSERT_EQ(b.lockstep->StepExchange(), LockStep::kPending);  // needs A's frame 1
    }
    g.hub.Tick();
  }
  ASSERT_EQ(ra, 0);
  ASSERT_TRUE(sentFrame1);
  EXPECT_GT(lost, 0);
  uint8_t want[kPlayerStateSize];
  ExpectedState(1, 0, want);
  EXPECT_EQ(0, std::memcmp(a.states[1], want, kPlayerStateSize));

  // A's frame 1 completes from the kept copy alone: B is not stepped again,
  // and nothing new is on the way.
  g.hub.FlushDelayed();
  a.lockstep->ReadLocalInput();
  a.lockstep->BeginExchange();
  EXPECT_EQ(a.lockstep->StepExchange(), 0);
  ExpectedState(1, 1, want);
  EXPECT_EQ(0, std::memcmp(a.states[1], want, kPlayerStateSize));
  EXPECT_EQ(a.lockstep->syncPoint(), 2);
}

TEST(LockStep, CheckMismatchEndsTheEventWithMinusOneAndKeepsTheSession) {
  NetGame g;
  g.Start(2);
  if (HasFatalFailure()) return;
  std::vector<FrameLog> logs;
  ASSERT_TRUE(RunGame(g, 3, &logs, true, false));
  g[0].lockstep->SetSyncCheck(5);
  g[1].lockstep->SetSyncCheck(6);
  g[0].lockstep->ReadLocalInput();
  g[1].lockstep->ReadLocalInput();
  uint32_t t0 = g.clock.NowMs();
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(g[i].lockstep->ExchangeInput(), -1);
    ASSERT_FALSE(g[i].ui.boxes.empty());
    EXPECT_EQ(g[i].ui.boxes.back(), "Synchronization lost.\nGame terminated.\n");
    EXPECT_FALSE(g[i].ui.boxOpen);
    EXPECT_EQ(g[i].ui.blanks, 1);
    EXPECT_EQ(g[i].session.PlayerCount(), 2);
    EXPECT_TRUE(g[i].session.IsNetwork());
  }
  EXPECT_GE(g.clock.NowMs() - t0, 8000u);  // four seconds on each machine
}

// A machine whose event ended tells the others: a machine a frame behind
// plays the frame the ender played (so that both end with the same records)
// and its next exchange ends with 1.
TEST(LockStep, EventEndEndsTheOthersAfterTheFrameTheEnderPlayed) {
  NetGame g;
  g.Start(3);
  if (HasFatalFailure()) return;
  ASSERT_EQ(g.WaitAll(), (std::vector<int>{0, 0, 0}));
  ASSERT_EQ(g[1].lockstep->ExchangeInput(), 0);
  EXPECT_EQ(g[1].lockstep->BroadcastEventEnd(), 1);
  for (int i : {0, 2}) {
    EXPECT_EQ(g[i].lockstep->ExchangeInput(), 0) << i;
    EXPECT_EQ(g[i].lockstep->syncPoint(), 1);
    uint8_t want[kPlayerStateSize];
    ExpectedState(1, 0, want);
    EXPECT_EQ(0, std::memcmp(g[i].states[1], want, kPlayerStateSize));
    g[i].lockstep->ReadLocalInput();
    EXPECT_EQ(g[i].lockstep->ExchangeInput(), 1) << i;
  }
}

TEST(LockStep, OneVoteAloneDropsNobodyAndAllVotesDropTheSilentPlayer) {
  NetGame g;
  g.Start(3);
  if (HasFatalFailure()) return;
  for (int i = 0; i < 3; ++i) g[i].session.SetTimeoutMs(1u << 30);  // silent, not gone
  ASSERT_EQ(g.WaitAll(), (std::vector<int>{0, 0, 0}));
  Machine& a = g[0];
  Machine& b = g[1];
  Machine& c = g[2];
  c.frozen = true;
  std::vector<NetGame::Runner> ab = {{&a}, {&b}};
  g.Play(ab, 300);
  ASSERT_TRUE(ab[0].inExchange);
  ASSERT_TRUE(ab[1].inExchange);
  ASSERT_LE(ab[0].frames, 1);  // stuck at C's first or second input
  ASSERT_TRUE(a.ui.boxOpen);
  EXPECT_EQ(a.ui.boxes.back(),
            "\n\n\nNo response from the following player(s):\n\n    PLAYER2\n"
            "\nPlayer(s) agree to drop the above player(s):\n\n\n\n"
            "Press 'D' to drop the player(s).\nPress 'Q' to quit current game.\n");

  const int stuckAt = ab[0].frames;
  a.ui.keys.push_back('D');
  g.Play(ab, 100);
  EXPECT_EQ(ab[0].frames, stuckAt);  // B has not agreed: nobody is dropped
  EXPECT_EQ(a.session.GetSlotState(2), kSlotRemote);
  EXPECT_NE(b.ui.boxes.back().find("agree to drop the above player(s):\n\n    PLAYER0\n"), std::string::npos);

  b.ui.keys.push_back('D');
  g.Play(ab, 20);
  EXPECT_GT(ab[0].frames, stuckAt + 5);  // A and B play on without C
  EXPECT_GT(ab[1].frames, stuckAt + 5);
  EXPECT_EQ(ab[0].last, 0);
  EXPECT_FALSE(a.ui.boxOpen);
  for (Machine* m : {&a, &b}) {
    EXPECT_EQ(m->session.GetSlotState(2), kSlotFree);
    EXPECT_EQ(m->players[2].human, 0);
    ASSERT_FALSE(m->ui.messages.empty());
    EXPECT_EQ(m->ui.messages.back(), "Player PLAYER2 has left the game.");
    EXPECT_EQ(m->mode, 2);
  }

  // The dropped machine hears its own slot named and plays on alone, under
  // its own player's name, in its own slot.
  c.frozen = false;
  c.lockstep->BeginExchange();
  int rc = LockStep::kPending;
  for (int i = 0; i < 10 && rc == LockStep::kPending; ++i) rc = c.lockstep->StepExchange();
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(c.mode, 0);
  ASSERT_FALSE(c.ui.messages.empty());
  EXPECT_EQ(c.ui.messages.back(), "YOU ARE DROPPED OUT FROM THE GAME.");
  EXPECT_FALSE(c.session.IsNetwork());
  EXPECT_EQ(c.session.GetSlotState(2), kSlotLocal);
  EXPECT_STREQ(c.session.GetPlayerName(2), "PLAYER2");
  EXPECT_EQ(c.players[0].human, 0);
  EXPECT_EQ(c.players[1].human, 0);
  c.lockstep->ReadLocalInput();
  EXPECT_EQ(c.lockstep->ExchangeInput(), 0);  // a local game now
}

TEST(LockStep, LastOtherPlayerLeavingFallsBackToALocalGame) {
  NetGame g;
  g.Start(2);
  if (HasFatalFailure()) return;
  ASSERT_EQ(g.WaitAll(), (std::vector<int>{0, 0}));
  g.hub.CutOff(g[0].session.transport());
  EXPECT_EQ(g[1].lockstep->ExchangeInput(), 0);
  EXPECT_EQ(g[1].mode, 0);
  EXPECT_EQ(g[1].ui.messages.back(), "Player PLAYER0 has left the game.");
  EXPECT_EQ(g[1].session.GetSlotState(1), kSlotLocal);
  EXPECT_STREQ(g[1].session.GetPlayerName(1), "PLAYER1");
}

TEST(LockStep, WaitForPlayersCopiesRemoteAndComputerRecords) {
  NetGame g;
  g.Start(2);
  if (HasFatalFailure()) return;
  // The host's computer players (slots 2, 3) differ from the client's.
  g[0].players[2].money = 777;
  g[0].players[3].money = 888;
  g[0].players[3].human = 1;
  g[1].players[1].money = 555;
  g[1].players[2].money = 1;
  g[0].players[1].money = 2;
  ASSERT_EQ(g.WaitAll(), (std::vector<int>{0, 0}));
  EXPECT_EQ(g[1].players[2].money, 777);
  EXPECT_EQ(g[1].players[3].money, 888);
  EXPECT_EQ(g[1].players[3].human, 0);
  EXPECT_EQ(g[0].players[1].money, 555);  // the host takes the remote player's record
  EXPECT_EQ(g[0].players[2].money, 777);  // and keeps its own computer players
  EXPECT_EQ(g[1].ui.menus + g[0].ui.menus, 0);  // nobody had to wait a pass
}

TEST(LockStep, ABlockAskedForAfterTheWaitCarriesTheRecordsOfTheWait) {
  // The client loses the host's blocks; the host ends its wait, starts the
  // event (which changes a record, as a turn's cost does) and only then
  // hears the client ask again. The client must start from the records the
  // host started from.
  NetGame g;
  g.Start(2);
  if (HasFatalFailure()) return;
  g[0].players[2].money = 777;
  NetHub::Faults lose;
  lose.dropPercent = 100;
  lose.applies = [](int, int, const std::vector<uint8_t>& p) {
    return IsAppMessage(p, kMsgPlayerBlock) && AppFrom(p) == 0;
  };
  g.hub.SetFaults(lose);
  g[0].lockstep->BeginWaitForPlayers();
  g[1].lockstep->BeginWaitForPlayers();
  int host = LockStep::kPending, client = LockStep::kPending;
  for (int r = 0; r < 2000 && host == LockStep::kPending; ++r) {
    host = g[0].lockstep->StepWaitForPlayers();
    client = g[1].lockstep->StepWaitForPlayers();
    g.hub.Tick();
  }
  ASSERT_EQ(host, 0);
  ASSERT_EQ(client, LockStep::kPending);
  g[0].players[2].money = 999;  // the event has begun on the host
  g.hub.SetFaults(NetHub::Faults());
  std::vector<NetGame::Runner> hostRunner = {{&g[0]}};
  for (int r = 0; r < 20000 && client == LockStep::kPending; ++r) {
    g.Play(hostRunner, 1);
    client = g[1].lockstep->StepWaitForPlayers();
  }
  ASSERT_EQ(client, 0);
  EXPECT_EQ(g[1].players[2].money, 777);
}

TEST(LockStep, ComputerRecordsStayWhenTheHostBlockNeverCame) {
  NetGame g;
  g.Start(3);
  if (HasFatalFailure()) return;
  // The host's own player leaves; its machine still carries the others.
  g[0].session.RemoveLocalPlayer(0);
  for (int i = 1; i < 3; ++i) {
    g[i].session.Pump();
    NetMessage m;
    while (g[i].session.Receive(&m)) {
    }
    ASSERT_EQ(g[i].session.GetSlotState(0), kSlotFree);
    g[i].players[3].money = 4242;
  }
  g[0].relayOnly = true;
  std::vector<int> w = g.WaitAll();
  EXPECT_EQ(w[1], 0);
  EXPECT_EQ(w[2], 0);
  EXPECT_EQ(g[1].players[3].money, 4242);
  EXPECT_EQ(g[2].players[3].money, 4242);
  EXPECT_STREQ(g[1].players[2].name, "PLAYER2");
}

TEST(LockStep, WaitShowsTheMissingPlayersAndCanBeLeft) {
  NetGame g;
  g.Start(2);
  if (HasFatalFailure()) return;
  g[1].frozen = true;
  Machine& a = g[0];
  a.lockstep->BeginWaitForPlayers();
  for (int i = 0; i < 3; ++i) ASSERT_EQ(a.lockstep->StepWaitForPlayers(), LockStep::kPending);
  EXPECT_EQ(a.ui.menus, 1);
  EXPECT_EQ(a.ui.deferredPumps, 3);  // inside a constructor: activation changes wait
  EXPECT_EQ(a.ui.boxes.back(),
            "\n\n\nWaiting for the following player(s):\n\n    PLAYER1\n"
            "\nPlayer(s) agree to drop the above player(s):\n\n\n\nPress 'D' to drop the player(s).\n");
  a.ui.runResult = -1;
  EXPECT_EQ(a.lockstep->StepWaitForPlayers(), -1);
}

TEST(LockStep, LocalGamesCopyInputAndKeepTheSyncPoint) {
  VirtualClock clock;
  NetSession session([](int) { return nullptr; }, {});
  ASSERT_EQ(session.SelectProvider(0, 0), kNetOk);
  ASSERT_EQ(session.AddLocalPlayer("ONE", 2), 2);
  ASSERT_EQ(session.AddLocalPlayer("TWO", 0), 0);
  EXPECT_EQ(session.GetField105(), 1);
  EXPECT_EQ(session.GetField107(), 2);
  EXPECT_EQ(session.GetField108(), 2);
  PlayerRecord players[4] = {};
  uint8_t states[4][kPlayerStateSize] = {};
  int32_t local[3] = {2, 0, 0};
  int32_t mode = 1;
  ScriptedUi ui;
  ui.slot = 2;
  LockStepContext c{&session, players, states, local, &mode, &clock};
  LockStep ls(c, &ui);
  ls.PutOutByte(3, 9);
  EXPECT_EQ(ls.WaitForPlayers(), 0);
  EXPECT_EQ(ls.GetPlayerByte(2, 3), 0);  // the wait clears the output records
  ls.PutOutByte(3, 9);
  EXPECT_TRUE(ls.AnyPlayerByteIs(3, 9));
  EXPECT_TRUE(ls.AllPlayersByteAre(3, 9));
  EXPECT_FALSE(ls.AllPlayersByteAre(3, 8));
  EXPECT_EQ(ls.ExchangeInput(), 0);
  uint8_t want[kPlayerStateSize];
  ExpectedState(2, 0, want);
  EXPECT_EQ(0, std::memcmp(states[2], want, kPlayerStateSize));
  ExpectedState(10, 1, want);  // the second map, polled after the first
  EXPECT_EQ(0, std::memcmp(states[0], want, kPlayerStateSize));
  EXPECT_EQ(ls.GetPlayerByte(2, 3), 9);
  EXPECT_EQ(ls.syncPoint(), 0);
  EXPECT_EQ(session.PendingMessages(), 0u);  // nothing sent in a local game
  EXPECT_EQ(ls.BroadcastEventEnd(), 1);
  EXPECT_EQ(session.PendingMessages(), 0u);
  // Out-of-range record access is harmless.
  ls.PutOutDword(6, 1);
  EXPECT_EQ(ls.GetPlayerDword(2, 5), 0u);
  EXPECT_EQ(ls.GetPlayerByte(7, 0), 0);
  ls.PutOutDword(4, 0xA1B2C3D4u);
  EXPECT_EQ(ls.ExchangeInput(), 0);
  EXPECT_EQ(ls.GetPlayerDword(2, 4), 0xA1B2C3D4u);
  EXPECT_EQ(ls.GetPlayerWord(2, 4), 0xC3D4);
}

}  // namespace

// A machine that stays connected but never answers must not keep the program
// from ending: a quit request (SIGINT, SIGTERM) leaves the wait at the start
// and the exchange with -1, as the player's own 'Q' would.
TEST(LockStep, QuitRequestLeavesWaitsForASilentMachine) {
  ClearQuitRequest();
  NetGame g;
  g.Start(2);
  if (HasFatalFailure()) return;
  for (int i = 0; i < 2; ++i) g[i].session.SetTimeoutMs(1u << 30);  // silent, not gone
  Machine& a = g[0];
  a.lockstep->BeginWaitForPlayers();
  for (int i = 0; i < 50; ++i) ASSERT_EQ(a.lockstep->StepWaitForPlayers(), LockStep::kPending);
  RequestQuit();
  EXPECT_EQ(a.lockstep->StepWaitForPlayers(), -1);
  ClearQuitRequest();

  ASSERT_EQ(g.WaitAll(), (std::vector<int>{0, 0}));
  g[1].frozen = true;
  std::vector<NetGame::Runner> justA = {{&a}};
  g.Play(justA, 300);
  ASSERT_TRUE(justA[0].inExchange);
  const int stuckAt = justA[0].frames;
  RequestQuit();
  g.Play(justA, 1);
  ClearQuitRequest();
  EXPECT_EQ(justA[0].frames, stuckAt + 1);
  EXPECT_EQ(justA[0].last, -1);
}
