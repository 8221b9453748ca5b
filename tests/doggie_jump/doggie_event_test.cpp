// NICE DOGGIE JUMP run whole through the event harness: four computer
// players to the end, a person's jumps landing where the flight table
// says, skipped computer jumps, machines in lock-step with the host's
// stopwatch scaling the persons' take-offs, a machine that leaves, and data
// sets without sounds, without data and with little memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/player_records.h"
#include "events/doggie_jump/doggie_actor.h"
#include "events/doggie_jump/doggie_jump_data.h"
#include "events/doggie_jump/doggie_jump_event.h"
#include "events/doggie_jump/doggie_rules.h"
#include "graphics/bmp.h"
#include "graphics/display.h"
#include "graphics/palette.h"
#include "graphics/surface.h"
#include "net/net_session.h"
#include "screen/config.h"
#include "screen/event_assets.h"
#include "screen/face_panel.h"
#include "screen/game_screen_services.h"
#include "tests/doggie_jump/doggie_robot.h"
#include "tests/support/event_harness.h"

namespace fs = std::filesystem;
using namespace doggierules;
namespace da = doggieassets;

namespace {

const std::string kGameData = std::string(KEL_BINARY_DIR) + "/gamedata";
constexpr int kFire1 = 4;
constexpr int kFire2 = 5;

// What machine 0 showed at its last frame.
struct Seen {
  std::string texts[4][3];
  std::string best;
  int frames = 0;
  int loadedSounds = -1;
  bool textBeforeTheTurns = false;  // a jump text set while the title was up
  std::set<std::string> hints;      // the texts of the hint line above the play
};

// A take-off of a person as the machines saw it, and where it came down.
struct TakeOffSeen {
  int attempt = 0;
  int phase = 0, speed = 0, distance = 0, y = 0;
  int jumpFrames = 0;
  uint32_t hostMs = 0;
  FlightShape shape;
  int landedAt = -1;
};

int ParseDistance(const std::string& text) {
  if (text == "FOUL") return 0;
  int metres = 0, cents = 0;
  EXPECT_EQ(std::sscanf(text.c_str(), "%d.%d m", &metres, &cents), 2) << text;
  return metres * 100 + cents;
}

bool IsTakeOff(int s) { return s == kJumpTakeOffHop || s == kJumpTakeOffStep || s == kJumpTakeOffJump; }
bool IsLanding(int s) { return s == kJumpLandHop || s == kJumpLandStep || s == kJumpLandJump; }

// A frame as the display showed it: its pixels and colours.
struct Shown {
  std::vector<uint8_t> pixels;  // 640 x 480
  std::array<PaletteEntry, 256> palette{};
  bool Valid() const { return pixels.size() == 640u * 480u; }
  uint8_t At(int x, int y) const { return pixels[size_t(y) * 640 + size_t(x)]; }
};

Shown TakeShown() {
  Shown out;
  DDSurface* back = ShellBackSurface();
  DDPalette* palette = g_primaryDDSurface ? g_primaryDDSurface->GetPalette() : nullptr;
  uint8_t* bits = nullptr;
  int pitch = 0;
  if (!back || !palette || back->Lock(&bits, &pitch) != 0) return out;
  out.pixels.resize(640u * 480u);
  for (int y = 0; y < 480; ++y)
    std::copy(bits + size_t(y) * pitch, bits + size_t(y) * pitch + 640, &out.pixels[size_t(y) * 640]);
  back->Unlock();
  std::copy(palette->Entries(), palette->Entries() + 256, out.palette.begin());
  return out;
}

// Writes the frame to <build>/doggie-frames/<file> for a person to look at.
void Keep(const Shown& f, const std::string& file) {
  const fs::path dir = fs::path(KEL_BINARY_DIR) / "doggie-frames";
  fs::create_directories(dir);
  const std::vector<uint8_t> bmp = EncodeBmp8(f.pixels.data(), 640, 480, 640, f.palette.data());
  if (FILE* out = std::fopen((dir / file).c_str(), "wb")) {
    std::fwrite(bmp.data(), 1, bmp.size(), out);
    std::fclose(out);
  }
}

bool SameColour(const PaletteEntry& a, const PaletteEntry& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

class DoggieEventTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kGameData + "/data/dog/palette.bmp")) << "the event's data set is made by the gamedata target";
    UseDataRoot(kGameData);
  }
  void TearDown() override { unsetenv("KELVANTHROP_DATA_ROOT"); }
  static void UseDataRoot(const std::string& root) { setenv("KELVANTHROP_DATA_ROOT", root.c_str(), 1); }

  // The event at its own pace (65 ms a frame of the clock, so that sounds
  // end as they would), with people at the keys where the records say so:
  // each machine's own person is played by a robot that sees the picture
  // two frames before its keys act. With `skipOthers` the person holds
  // fire 1 through the computers' jumps.
  HarnessOptions Options(const std::array<PlayerRecord, 4>& players, Seen* seen, int machines = 1,
                         bool skipOthers = false, bool paced = true) {
    HarnessOptions o;
    o.make = [] { return static_cast<GameScreen*>(new DoggieJumpEvent()); };
    o.players = players;
    o.machines = machines;
    o.instanceGlobals = DoggieJumpInstanceGlobals();
    o.maxFrames = 20000;
    robots_.assign(4, DoggieRobot());
    for (DoggieRobot& r : robots_) r.lag = 2;
    o.onFrame = [this, seen, paced, skipOthers, machines](int machine, int frame, GameScreen* screen) {
      auto* ev = static_cast<DoggieJumpEvent*>(screen);
      // The players at this machine's keys: its own, and with two on one
      // machine the second local player too (which = 1).
      const int own = machines > 1 ? machine : 0;
      const int which = (machines == 1 && g_playMode == 1 && g_doggieJumper == 1) ? 1 : 0;
      DoggieActor* j = CurrentJumper();
      InputScript& script = (*live_)[machine];
      const bool playing = ev->GetEventState() >= kDogTurn;
      if ((g_doggieJumper == own || which == 1) && g_players[g_doggieJumper & 3].human) {
        uint8_t keys[kPlayerStateSize] = {};
        if (j && playing) robots_[which ? 3 : machine].Input(*j, keys);
        if (keys[4]) script.Hold(frame + 1, frame + 1, kFire1, which);
        for (int p = 0; p < keys[5]; ++p) script.Press(frame + 1, kFire2, which);
      } else if (skipOthers && playing && frame % 2 == 0) {
        // Every other frame, so that no press of it is still on its way
        // when the person's own turn begins.
        script.Hold(frame + 1, frame + 1, kFire1);
      }
      if (machine == 0 && seen) {
        for (int c = 0; c < 4; ++c)
          for (int a = 0; a < 3; ++a) {
            seen->texts[c][a] = ev->GetJumpText(c, a);
            if (ev->GetEventState() < kDogTurn && seen->texts[c][a] != "-") seen->textBeforeTheTurns = true;
          }
        seen->best = ev->GetBestText();
        seen->frames = frame + 1;
        seen->hints.insert(ev->HintText());
        seen->loadedSounds = ev->LoadedSoundCount();
      }
      if (onFrame_) onFrame_(machine, frame, ev);
      if (paced) SleepMs(65);
    };
    return o;
  }
  // The robots write into the scripts the harness reads as it goes.
  HarnessRun Run(HarnessOptions& o) {
    o.scripts.assign(std::max(1, o.machines), InputScript());
    live_ = &o.scripts;
    return RunEventHarness(o);
  }

  // A network that loses, holds back and reorders some of the game's
  // messages; the session's own packets stand for the transport's reliable
  // channel.
  static NetHub::Faults LossyNetwork() {
    NetHub::Faults f;
    f.dropPercent = 3;
    f.delayPercent = 20;
    f.maxDelay = 3;
    f.reorderPercent = 5;
    f.applies = [](int, int, const std::vector<uint8_t>& p) { return !p.empty() && p[0] == netwire::kApp; };
    return f;
  }

  // Places and results from the jump texts, and the texts themselves.
  static void ExpectStandings(const std::array<PlayerRecord, 4>& records, const Seen& seen) {
    int best[4] = {};
    for (int c = 0; c < 4; ++c)
      for (int a = 0; a < 3; ++a) {
        EXPECT_NE(seen.texts[c][a], "-") << "player " << c << " attempt " << a << " never jumped";
        best[c] = std::max(best[c], ParseDistance(seen.texts[c][a]));
      }
    const Standing s = RankResults(best);
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(records[c].result, best[c]) << c;
      EXPECT_EQ(records[c].place, s.placeOf[c]) << c;
    }
    EXPECT_EQ(seen.best, FormatDistance(std::max({best[0], best[1], best[2], best[3]})));
    EXPECT_FALSE(seen.textBeforeTheTurns);
  }

  std::vector<InputScript>* live_ = nullptr;
  std::vector<DoggieRobot> robots_;
  std::function<void(int machine, int frame, DoggieJumpEvent* ev)> onFrame_;
};

TEST_F(DoggieEventTest, FourComputerPlayersToTheEnd) {
  auto players = ComputerFixtures();
  players[2].energy = 20;  // less than three turns cost
  Seen seen;
  HarnessOptions o = Options(players, &seen);
  HarnessRun run = Run(o);
  ASSERT_EQ(run.machines.size(), 1u);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.machines[0].result, 1);
  ExpectStandings(run.machines[0].players, seen);
  // A turn costs 3 and a measured jump 5, never below none.
  EXPECT_EQ(run.machines[0].players[2].energy, 0);
  EXPECT_EQ(run.machines[0].players[0].energy, players[0].energy - 24);
  std::set<int> places;
  for (const PlayerRecord& p : run.machines[0].players) places.insert(p.place);
  EXPECT_EQ(places, (std::set<int>{0, 1, 2, 3}));
  EXPECT_EQ(seen.loadedSounds, kDoggieSoundSlots);

  // The same seed, the same event (and the screen's tables are whole again
  // for a second run in the same program).
  Seen again;
  HarnessOptions o2 = Options(players, &again);
  HarnessRun second = Run(o2);
  EXPECT_EQ(second.machines[0].result, 1);
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(second.machines[0].players[c].result, run.machines[0].players[c].result);
    for (int a = 0; a < 3; ++a) EXPECT_EQ(again.texts[c][a], seen.texts[c][a]);
  }
}

TEST_F(DoggieEventTest, APersonsJumpsLandWhereTheFlightTableSays) {
  // RIZAZ at the keys; the computers' jumps are skipped with fire 1, which
  // the person also holds in his own run-up, well before the skip distance:
  // his jumps must never be cut short by it.
  auto players = ComputerFixtures();
  players[0] = FixturePlayer(0, true, "ANNA");
  Seen seen;
  std::vector<TakeOffSeen> takeOffs;
  int lastState = -1;
  HarnessOptions o = Options(players, &seen, 1, /*skipOthers=*/true);
  onFrame_ = [&](int, int, DoggieJumpEvent* ev) {
    const DoggieActor* j = CurrentJumper();
    if (!j || g_doggieJumper != 0) {
      lastState = -1;
      return;
    }
    if (j->state != lastState && IsTakeOff(j->state)) {
      TakeOffSeen t;
      t.attempt = ev->GetAttempt();
      t.phase = j->phase;
      t.speed = j->speed;
      t.distance = j->distance;
      t.y = j->y;
      t.jumpFrames = g_doggieJumpFrames;
      t.hostMs = g_doggieHostClockMs;
      t.shape.frames = JumperFrames(j->row, j->state + 1);
      t.shape.startY = t.shape.groundY = j->startY;
      t.shape.vertical = j->vertical;
      t.shape.timeStep = j->timeStep;
      t.shape.beforeMiddle = j->beforeMiddle;
      t.shape.holdEnd = j->holdEnd;
      takeOffs.push_back(t);
    }
    if (j->state != lastState && IsLanding(j->state) && !takeOffs.empty()) takeOffs.back().landedAt = j->distance;
    lastState = j->state;
  };
  HarnessRun run = Run(o);
  EXPECT_EQ(run.machines[0].result, 1);
  ASSERT_EQ(takeOffs.size(), 9u) << "three attempts of hop, step and jump";
  for (const TakeOffSeen& t : takeOffs) {
    SCOPED_TRACE("attempt " + std::to_string(t.attempt) + " phase " + std::to_string(t.phase));
    EXPECT_GT(t.hostMs, 0u) << "the host's stopwatch reading reached the take-off";
    EXPECT_GT(t.jumpFrames, 0);
    const int frames = FlightFrames(t.shape);
    EXPECT_EQ(t.landedAt, t.distance + (1 + frames) * FlightStep(t.speed, t.phase));
  }
  for (int a = 0; a < 3; ++a) {
    const TakeOffSeen& jump = takeOffs[3 * a + 2];
    EXPECT_EQ(jump.phase, 3);
    EXPECT_GT(jump.landedAt, kPitStart);
    EXPECT_EQ(seen.texts[0][a], FormatDistance(jump.landedAt - kPitStart)) << "attempt " << a;
  }
  // The skipped computers: a foul about one time in eleven, else 3.01 to
  // 12.99 m.
  for (int c = 1; c < 4; ++c)
    for (int a = 0; a < 3; ++a) {
      const int d = ParseDistance(seen.texts[c][a]);
      EXPECT_TRUE(d == 0 || (d >= 301 && d <= 1299)) << seen.texts[c][a];
    }
  ExpectStandings(run.machines[0].players, seen);
  EXPECT_LT(seen.frames, 3000) << "the skipped jumps went quickly";
  // The computers' turns said how to skip them, by the player's own key.
  EXPECT_EQ(seen.hints.count("HOLD CTRL TO SKIP THIS JUMP"), 1u);
  for (const std::string& h : seen.hints)
    EXPECT_TRUE(h.empty() || h == "HOLD CTRL TO SKIP THIS JUMP" || h.rfind("FOUL: ", 0) == 0) << h;
}

// The faces of the status band, the panels and everything else but the
// jumper keep their colours when the next jumper's sheet puts its colours
// into the display's table: every pixel of the four face boxes shows the
// same colour in the first jumper's turn and in the second's (a face pixel
// left on a jumper's entry changed colour each turn), and no pixel outside
// the jumper's own picture uses one of his entries.
TEST_F(DoggieEventTest, TheBandsFacesKeepTheirColoursFromTurnToTurn) {
  HarnessOptions o = Options(ComputerFixtures(), nullptr, 1, false, /*paced=*/false);
  o.maxFrames = 4000;
  Shown turn[2];
  int jumperBox[2][4] = {};  // x, y, width, height
  onFrame_ = [&](int, int, DoggieJumpEvent* ev) {
    const DoggieActor* j = CurrentJumper();
    if (!j || g_doggieJumper > 1 || ev->GetEventState() != kDogJumping || turn[g_doggieJumper].Valid()) return;
    if (j->state != kJumpRunSlow && j->state != kJumpRunFast) return;
    turn[g_doggieJumper] = TakeShown();
    int* box = jumperBox[g_doggieJumper];
    box[0] = j->x, box[1] = j->y, box[2] = j->width, box[3] = j->height;
  };
  Run(o);
  ASSERT_TRUE(turn[0].Valid() && turn[1].Valid()) << "both jumpers ran up";
  Keep(turn[0], "first-turn.bmp");
  Keep(turn[1], "second-turn.bmp");
  int differing = 0;
  for (int i = da::kPaletteJumperFirst; i <= da::kPaletteJumperLast; ++i)
    differing += !SameColour(turn[0].palette[i], turn[1].palette[i]);
  ASSERT_GT(differing, 50) << "the two jumpers' colours differ";
  for (int a = 0; a < 2; ++a) {
    const Shown& shot = turn[a];
    const Shown& other = turn[1 - a];
    int changed = 0;
    for (int f = 0; f < 4; ++f)
      for (int y = kStatusBandTop + 2; y < kStatusBandTop + 2 + kFaceHeight; ++y)
        for (int x = kFaceX[f]; x < kFaceX[f] + kFaceWidth; ++x) {
          const uint8_t v = shot.At(x, y);
          changed += !SameColour(shot.palette[v], other.palette[v]);
        }
    EXPECT_EQ(changed, 0) << "pixels of the faces in jumper " << a << "'s turn that the other turn shows otherwise";
    const int* box = jumperBox[a];
    int strays = 0;
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) {
        if (x >= box[0] && x < box[0] + box[2] && y >= box[1] && y < box[1] + box[3]) continue;
        const uint8_t v = shot.At(x, y);
        if (v >= da::kPaletteJumperFirst && v <= da::kPaletteJumperLast) {
          if (strays < 5) ADD_FAILURE() << "jumper " << a << "'s turn: a pixel of entry " << int(v) << " at " << x << ", " << y;
          ++strays;
        }
      }
    EXPECT_EQ(strays, 0) << "pixels outside the jumper on his entries in jumper " << a << "'s turn";
  }
}

// A jumper who runs into the dogs without taking off falls into the pit and
// lies there under the stars: he stays in sight above the band, in his own
// colours, as he falls and while he lies.
TEST_F(DoggieEventTest, AFallenJumperStaysInSight) {
  auto players = ComputerFixtures();
  players[0] = FixturePlayer(0, true, "ANNA");
  HarnessOptions o;
  o.make = [] { return static_cast<GameScreen*>(new DoggieJumpEvent()); };
  o.players = players;
  o.instanceGlobals = DoggieJumpInstanceGlobals();
  o.maxFrames = 700;
  // The second fire again and again: she runs, and never takes off.
  InputScript script;
  for (int f = 0; f < 700; f += 2) script.Press(f, kFire2);
  o.scripts = {script};
  std::map<int, int> leastSeen;  // state: the fewest of her pixels above the band
  o.onFrame = [&](int, int, GameScreen*) {
    const DoggieActor* j = CurrentJumper();
    if (!j || g_doggieJumper != 0 || (j->state != kJumpFall && j->state != kJumpLying)) return;
    const Shown shot = TakeShown();
    if (!shot.Valid()) return;
    int own = 0;
    for (int y = 0; y < kStatusBandTop; ++y)
      for (int x = 0; x < 640; ++x) {
        const uint8_t v = shot.At(x, y);
        own += v >= da::kPaletteJumperFirst && v <= da::kPaletteJumperLast;
      }
    auto [it, added] = leastSeen.emplace(j->state, own);
    if (!added) it->second = std::min(it->second, own);
    if (added) Keep(shot, j->state == kJumpFall ? "falling.bmp" : "lying.bmp");
  };
  RunEventHarness(o);
  ASSERT_EQ(leastSeen.count(kJumpFall), 1u) << "she fell";
  ASSERT_EQ(leastSeen.count(kJumpLying), 1u) << "and lay in the pit";
  EXPECT_GT(leastSeen[kJumpFall], 600) << "her pixels above the band while she fell";
  EXPECT_GT(leastSeen[kJumpLying], 600) << "her pixels above the band while she lay";
}

TEST_F(DoggieEventTest, TwoPeopleOnOneMachine) {
  // Two people share the keyboard: each jumps on his own keys, and both
  // jumps are measured where they ended (the kangaroo bounces on a little
  // as he lands).
  auto players = ComputerFixtures();
  players[0] = FixturePlayer(4, true, "ANNA");
  players[1] = FixturePlayer(5, true, "BORIS");
  Seen seen;
  HarnessOptions o = Options(players, &seen);
  o.playMode = 1;
  std::map<int, int> landedAt[2];
  onFrame_ = [&](int, int, DoggieJumpEvent* ev) {
    const DoggieActor* j = CurrentJumper();
    if (j && g_doggieJumper < 2 && j->state >= kJumpReactLow && j->state <= kJumpReactHigh)
      landedAt[g_doggieJumper][ev->GetAttempt()] = j->distance;
  };
  HarnessRun run = Run(o);
  EXPECT_EQ(run.machines[0].result, 1);
  for (int p = 0; p < 2; ++p) {
    ASSERT_EQ(landedAt[p].size(), 3u) << "player " << p << " jumped all three attempts";
    for (const auto& [attempt, distance] : landedAt[p])
      EXPECT_EQ(seen.texts[p][attempt], FormatDistance(distance - kPitStart)) << p << " " << attempt;
  }
  ExpectStandings(run.machines[0].players, seen);
}

TEST_F(DoggieEventTest, FourMachinesInLockStepWithTheHostsStopwatch) {
  // Two people on their own machines, one of them the host; the other's
  // take-offs are scaled by the host's reading, which every machine uses
  // alike. The machines' sounds end at other frames (they share one sound
  // manager here, so the later ones have few of the event's sounds): only
  // the barriers keep them in step. The network loses and holds back
  // packets now and then.
  auto players = ComputerFixtures();
  players[0] = FixturePlayer(5, true, "HOST");
  players[2] = FixturePlayer(2, true, "GUEST");
  Seen seen;
  HarnessOptions o = Options(players, &seen, 4);
  o.seed = 4242;
  o.faults = LossyNetwork();
  // Per machine: the host's reading and the speed at each of the guest's
  // take-offs.
  std::map<int, std::vector<std::pair<uint32_t, int>>> guestTakeOffs;
  std::map<int, int> lastState;
  onFrame_ = [&](int machine, int, DoggieJumpEvent*) {
    const DoggieActor* j = CurrentJumper();
    const int s = j ? j->state : -1;
    if (j && g_doggieJumper == 2 && s != lastState[machine] && IsTakeOff(s))
      guestTakeOffs[machine].push_back({g_doggieHostClockMs, j->speed});
    lastState[machine] = s;
  };
  HarnessRun run = Run(o);
  ASSERT_EQ(run.machines.size(), 4u);
  ExpectMachinesAgree(run, 500u);
  ASSERT_EQ(guestTakeOffs[0].size(), 9u);
  for (int i = 1; i < 4; ++i) EXPECT_EQ(guestTakeOffs[i], guestTakeOffs[0]) << "machine " << i;
  for (const auto& [ms, speed] : guestTakeOffs[0]) EXPECT_GT(ms, 0u);
  ExpectStandings(run.machines[0].players, seen);
}

TEST_F(DoggieEventTest, AMachineThatLeavesIsTakenOverByTheComputer) {
  // Two machines; the second one's person quits in the second attempt. The
  // host plays on to the end, his jumps now the computer's.
  auto players = ComputerFixtures();
  players[1] = FixturePlayer(3, true, "LEAVER");
  Seen seen;
  HarnessOptions o = Options(players, &seen, 2);
  o.seed = 77;
  o.faults = LossyNetwork();
  o.leaveAfterFrames = {0, 1800};
  int attemptWhenLeft = -1;
  bool humanAfterLeaving = false;
  onFrame_ = [&](int machine, int frame, DoggieJumpEvent* ev) {
    if (machine != 0) return;
    if (frame == 1800) attemptWhenLeft = ev->GetAttempt();
    if (frame > 1900 && g_players[1].human) humanAfterLeaving = true;
  };
  HarnessRun run = Run(o);
  ASSERT_EQ(run.machines.size(), 2u);
  EXPECT_TRUE(run.machines[1].left);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.machines[0].result, 1) << "the one that stays plays to the end";
  EXPECT_EQ(attemptWhenLeft, 1);
  EXPECT_FALSE(humanAfterLeaving) << "the computer jumps for the one who left";
  EXPECT_EQ(run.machines[0].players[1].human, 0);
  EXPECT_TRUE(run.syncEqual) << "the frames both played agree";
  for (int a = 0; a < 3; ++a) EXPECT_NE(seen.texts[1][a], "-") << "attempt " << a;
  ExpectStandings(run.machines[0].players, seen);
}

TEST_F(DoggieEventTest, MissingSoundsAndPicturesDoNotStall) {
  // The data set without a single sound, and no data set at all; the clock
  // stands still, so nothing that waits for a sound could end otherwise.
  const fs::path noSounds = fs::path(KEL_BINARY_DIR) / "doggie-no-sounds";
  const fs::path nothing = fs::path(KEL_BINARY_DIR) / "doggie-no-data";
  fs::remove_all(noSounds);
  fs::remove_all(nothing);
  fs::create_directories(nothing);
  for (const auto& e : fs::recursive_directory_iterator(kGameData)) {
    const fs::path rel = fs::relative(e.path(), kGameData);
    if (e.is_directory()) {
      fs::create_directories(noSounds / rel);
    } else if (e.path().extension() != ".wav") {
      fs::create_symlink(e.path(), noSounds / rel);
    }
  }
  for (const fs::path& root : {noSounds, nothing}) {
    SCOPED_TRACE(root.string());
    UseDataRoot(root.string());
    Seen seen;
    HarnessOptions o = Options(ComputerFixtures(), &seen, 1, false, /*paced=*/false);
    HarnessRun run = Run(o);
    EXPECT_EQ(run.machines[0].result, 1);
    EXPECT_EQ(seen.loadedSounds, 0);
    ExpectStandings(run.machines[0].players, seen);
  }
  fs::remove_all(noSounds);
  fs::remove_all(nothing);
}

// The title and every turn's calls (the announced distance, the foul, the
// jumper's voice) last their files' frames: a machine that plays them, and
// one left without a sound slot, go through the same states in the same
// frames. Unpaced, the null sound device never ends a sound.
TEST_F(DoggieEventTest, CallsLastTheirFilesFramesWithOrWithoutTheSounds) {
  int words = -1;
  std::vector<int> states[2];
  std::array<PlayerRecord, 4> records[2];
  for (bool silent : {false, true}) {
    SCOPED_TRACE(silent ? "no sound slot" : "sounds loaded");
    std::vector<int>& seq = states[silent];
    HarnessOptions o = Options(ComputerFixtures(), nullptr, 1, false, /*paced=*/false);
    o.drawEvery = 10;  // the states are the logic's; drawing them all only costs time
    o.make = [silent] {
      if (silent) TakeEverySoundSlot();
      return static_cast<GameScreen*>(new DoggieJumpEvent());
    };
    onFrame_ = [&](int, int, DoggieJumpEvent* ev) {
      if (words < 0) words = WaveFileFrames(ShellDataPath(doggieassets::kAnnounceSound), 65);
      seq.push_back(ev->GetEventState());
    };
    HarnessRun run = Run(o);
    EXPECT_EQ(run.machines[0].result, 1);
    ASSERT_GT(words, 8);  // longer than the fade-in
    records[silent] = run.machines[0].players;
    const int title = static_cast<int>(std::count(seq.begin(), seq.end(), static_cast<int>(kDogTitleIn)));
    EXPECT_GE(title, words - 1);
    EXPECT_LE(title, words + 2);
  }
  onFrame_ = nullptr;
  EXPECT_EQ(states[0], states[1]);
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(records[0][c].result, records[1][c].result) << c;
    EXPECT_EQ(records[0][c].place, records[1][c].place) << c;
  }
}

TEST_F(DoggieEventTest, LowMemoryLeavesTheLastSoundSlotsEmpty) {
  // With little memory the landings have no sound slots and the voices
  // after a foul are neither loaded again nor heard (their frames pass as on
  // any machine); nothing else is touched (a slot left unset once took over
  // another's).
  OverrideLowMemory(1);
  Seen seen;
  HarnessOptions o = Options(ComputerFixtures(), &seen);
  std::set<int32_t> slots;
  onFrame_ = [&](int, int frame, DoggieJumpEvent*) {
    if (frame != 10) return;
    for (int s = 0; s < kDoggieSoundSlots; ++s) slots.insert(g_doggieSounds[s]);
    EXPECT_EQ(g_doggieSounds[kSoundLand1], -1);
    EXPECT_EQ(g_doggieSounds[kSoundLand1 + 2], -1);
    EXPECT_NE(g_doggieSounds[kSoundTakeOff1 + 2], -1);
  };
  HarnessRun run = Run(o);
  OverrideLowMemory(-1);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_EQ(seen.loadedSounds, doggieassets::kSoundSlotsLowMemory);
  EXPECT_EQ(slots.size(), size_t(doggieassets::kSoundSlotsLowMemory + 1)) << "52 slots of their own, and -1";
  ExpectStandings(run.machines[0].players, seen);
}

}  // namespace
