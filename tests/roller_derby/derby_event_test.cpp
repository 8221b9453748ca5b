// ROLLER DERBY run whole through the event harness: four computer skaters
// over two laps, a person on the keyboard, two people on one machine with
// two views, machines in lock-step over a lossy network (one of them
// leaving in the middle), a data set without its files and one with a
// track piece that holds no mesh.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "base/debug.h"
#include "base/player_records.h"
#include "events/roller_derby/derby_event.h"
#include "events/roller_derby/derby_skater.h"
#include "events/roller_derby/roller_derby_data.h"
#include "graphics/bmp.h"
#include "graphics/palette.h"
#include "graphics/surface.h"
#include "scene3d/rm.h"
#include "screen/config.h"
#include "screen/event_assets.h"
#include "screen/game_screen_services.h"
#include "tests/support/event_harness.h"

using namespace derby;
namespace fs = std::filesystem;

namespace {

const std::string kGameData = std::string(KEL_BINARY_DIR) + "/gamedata";

struct Seen {
  int frames = 0;
  int raceFrames = 0;
  int maxLaps[4] = {};
  int finishOrder[4] = {-1, -1, -1, -1};
  int loadedSounds = -1;
  int meshes = -1;
  bool movedBeforeRace = false;
  bool rendering = false;
  int32_t clock = 0;
  int introPictures = 0;
  bool computerDrives[4] = {};
  int takeOverFrame = -1;
  int32_t progressAtTakeOver = -1, progressAtEnd[4] = {};
  int views = 0;
  float cameraGap[2] = {-1, -1};  // a camera's distance from the skater it follows
  // The least of it over the race, and the least distance from a camera to
  // any other skater.
  float nearestGap[2] = {1e9f, 1e9f};
  float nearestOther = 1e9f;
  // Rows of the play area (0..399) whose middle three columns (319..321)
  // are all colour 0, in the 120th race frame.
  int barRows = -1;
};

int BarRows() {
  DDSurface* back = ShellBackSurface();
  uint8_t* bits = nullptr;
  int pitch = 0;
  if (!back || back->Lock(&bits, &pitch) != 0) return -1;
  int rows = 0;
  for (int y = 0; y < 400; ++y) {
    const uint8_t* row = bits + static_cast<ptrdiff_t>(y) * pitch;
    rows += row[kViewBarX] == 0 && row[kViewBarX + 1] == 0 && row[kViewBarX + 2] == 0 ? 1 : 0;
  }
  back->Unlock();
  return rows;
}

// The back buffer as a picture for a person to look at.
void SaveBackBuffer(const std::string& name) {
  DDSurface* back = ShellBackSurface();
  if (!back || !back->GetPalette()) return;
  uint8_t* bits = nullptr;
  int pitch = 0;
  if (back->Lock(&bits, &pitch) != 0) return;
  const std::vector<uint8_t> bmp = EncodeBmp8(bits, back->GetWidth(), back->GetHeight(), pitch,
                                              back->GetPalette()->Entries());
  back->Unlock();
  const fs::path dir = fs::path(KEL_BINARY_DIR) / "pictures" / "roller_derby";
  fs::create_directories(dir);
  std::ofstream(dir / (name + ".bmp"), std::ios::binary)
      .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
}

// The event with the viewport option off (views of 80 % on each side, so
// less to render), the option put back when the event is gone.
struct ViewportOptionOff {
  ViewportOptionOff() { g_bigViewport = 0; }
  ~ViewportOptionOff() { g_bigViewport = 1; }
};
class SmallViewEvent : private ViewportOptionOff, public RollerDerbyEvent {};
GameScreen* SmallViews() { return new SmallViewEvent(); }

class DerbyEventTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kGameData + "/data/rd/palette1.bmp")) << "made by the gamedata target";
    setenv("KELVANTHROP_DATA_ROOT", kGameData.c_str(), 1);
    liveBefore_ = RMLiveObjectCount();
  }
  void TearDown() override {
    unsetenv("KELVANTHROP_DATA_ROOT");
    EXPECT_EQ(RMLiveObjectCount(), liveBefore_) << "the event left scene objects behind";
  }

  HarnessOptions Options(const std::array<PlayerRecord, 4>& players, Seen* seen, const char* picture = nullptr) {
    HarnessOptions o;
    o.make = [] { return static_cast<GameScreen*>(new RollerDerbyEvent()); };
    o.players = players;
    o.eventIndex = 10;
    o.instanceGlobals = DerbyInstanceGlobals();
    o.maxFrames = 7000;
    std::string shot = picture ? picture : "";
    o.onFrame = [seen, shot](int machine, int frame, GameScreen* screen) {
      auto* ev = static_cast<RollerDerbyEvent*>(screen);
      if (machine != 0 || !seen) return;
      seen->frames = frame + 1;
      seen->loadedSounds = ev->LoadedSoundCount();
      seen->meshes = ev->LoadedPieceMeshes();
      seen->rendering = seen->rendering || ev->Rendering();
      seen->clock = ev->ClockSeconds();
      if (ev->State() == kRace) ++seen->raceFrames;
      if (ev->State() == kIntroIn && ++seen->introPictures == 6 && !shot.empty()) SaveBackBuffer(shot + "-intro");
      seen->views = ev->Layout().views;
      const DerbyWorld& w = ev->World();
      for (int c = 0; c < 2; ++c) {
        const DerbyObject* cam = w.objects[c];
        const DerbySkater* s = ev->Skater(c == 0 ? g_localPlayers[0] : g_localPlayers[1]);
        if (cam && s && ev->State() == kRace) {
          seen->cameraGap[c] = std::sqrt((cam->x - s->x) * (cam->x - s->x) + (cam->z - s->z) * (cam->z - s->z));
          seen->nearestGap[c] = std::min(seen->nearestGap[c], seen->cameraGap[c]);
          for (int p = 0; p < 4; ++p) {
            const DerbySkater* o = ev->Skater(p);
            if (o && o != s)
              seen->nearestOther =
                  std::min(seen->nearestOther, std::hypot(cam->x - o->x, cam->z - o->z));
          }
        }
      }
      for (int p = 0; p < 4; ++p) {
        if (w.computer[p] && !seen->computerDrives[p] && p == 2 && seen->takeOverFrame < 0) {
          seen->takeOverFrame = frame;
          seen->progressAtTakeOver = ev->Skater(p) ? ev->Skater(p)->progress : -1;
        }
        seen->computerDrives[p] = w.computer[p];
        if (ev->Skater(p)) seen->progressAtEnd[p] = ev->Skater(p)->progress;
      }
      for (int p = 0; p < 4; ++p) {
        const DerbySkater* s = ev->Skater(p);
        if (!s) continue;
        seen->maxLaps[p] = std::max(seen->maxLaps[p], static_cast<int>(s->laps));
        if (ev->State() != kRace && (s->x != 76.0f + 10.0f * p || s->z != 320.0f)) seen->movedBeforeRace = true;
        seen->finishOrder[p] = ev->FinishOrder()[p];
      }
      if (seen->raceFrames == 120 && seen->barRows < 0) {
        seen->barRows = BarRows();
        if (!shot.empty()) SaveBackBuffer(shot);
      }
    };
    return o;
  }

  static void ExpectPlaces(const std::array<PlayerRecord, 4>& records) {
    std::set<int> places;
    for (const PlayerRecord& p : records) {
      places.insert(p.place);
      EXPECT_GE(p.energy, 0);
      EXPECT_LE(p.energy, 100);
      EXPECT_GE(p.powerPills, 0);
      EXPECT_GE(p.weaponUnits, 0);
      EXPECT_GE(p.result, 0);
      EXPECT_LE(p.result, kTimeLimitSeconds);
    }
    EXPECT_EQ(places, (std::set<int>{0, 1, 2, 3}));
  }

  int liveBefore_ = 0;
};

TEST_F(DerbyEventTest, FourComputerSkatersRaceTwoLaps) {
  Seen seen;
  HarnessOptions o = Options(ComputerFixtures(), &seen, "one-view");
  // The commentary's leader is the one in front when the frame begins, as
  // the last frame left the skaters: found before they move on.
  int32_t lastClock = -1, before[4] = {}, expected = -1;
  int leaderChanges = 0, leaderWrong = 0;
  o.onFrame = [base = o.onFrame, &lastClock, &before, &expected, &leaderChanges, &leaderWrong](int m, int f,
                                                                                              GameScreen* s) {
    base(m, f, s);
    auto* ev = static_cast<RollerDerbyEvent*>(s);
    if (ev->ClockFrames() == lastClock) return;  // no frame ran
    lastClock = ev->ClockFrames();
    const int n = FindLeader(before);
    if (n != -1 && n != expected) {
      expected = n;
      ++leaderChanges;
    }
    if (ev->Leader() != expected) ++leaderWrong;
    for (int p = 0; p < 4; ++p) before[p] = ev->Skater(p) ? ev->Skater(p)->progress : 0;
  };
  HarnessRun run = RunEventHarness(o);
  EXPECT_GE(leaderChanges, 1);
  EXPECT_EQ(leaderWrong, 0);
  ASSERT_EQ(run.machines.size(), 1u);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_EQ(seen.meshes, derbyassets::kPieceTypes);
  EXPECT_TRUE(seen.rendering);
  EXPECT_FALSE(seen.movedBeforeRace) << "a skater moved during the announcer's introduction";
  const auto& rec = run.machines[0].players;
  ExpectPlaces(rec);
  // The local player (a computer here) finished; every finisher has a time
  // in the order of his place, and the others 600.
  ASSERT_GE(seen.finishOrder[0], 0);
  int last = 0;
  for (int k = 0; k < 4; ++k) {
    const int p = seen.finishOrder[k];
    if (p < 0) break;
    EXPECT_EQ(rec[p].place, k);
    EXPECT_GE(rec[p].result, last);
    EXPECT_LT(rec[p].result, kTimeLimitSeconds);
    EXPECT_EQ(seen.maxLaps[p], kRaceLaps);
    last = rec[p].result;
  }
  std::printf("derby: %d frames, %d race frames, clock %d s\n", seen.frames, seen.raceFrames, seen.clock);
}

// Script actions of the input maps (up, down, left, right, fire 1..6).
constexpr int kActUp = 0, kActLeft = 2, kActFire1 = 4, kActFire4 = 7, kActFire5 = 8;

// A person who pushes off, swallows a pill, throws his weapon once and then
// keeps pushing straight on (he never makes the first turn).
InputScript Pusher(int which = 0) {
  InputScript s;
  s.Hold(70, 3000, kActUp, which);
  s.Hold(120, 121, kActFire5, which).Hold(123, 124, kActFire1, which);
  s.Hold(160, 161, kActFire4, which).Hold(163, 164, kActFire1, which);
  return s;
}

TEST_F(DerbyEventTest, APersonPushesTakesAPillAndThrows) {
  auto players = ComputerFixtures();
  players[0] = FixturePlayer(1, true, "ANNA");
  Seen seen;
  HarnessOptions o = Options(players, &seen);
  o.scripts = {Pusher()};
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  const auto& rec = run.machines[0].players;
  ExpectPlaces(rec);
  EXPECT_EQ(rec[0].powerPills, players[0].powerPills - 1);
  EXPECT_EQ(rec[0].weaponUnits, players[0].weaponUnits - 1);
  // He never finished: the three computers ended the race; he is last, not
  // finished.
  EXPECT_EQ(rec[0].place, 3);
  EXPECT_EQ(rec[0].result, kTimeLimitSeconds);
  EXPECT_GT(seen.progressAtEnd[0], 0) << "he pushed off";
  for (int p = 1; p < 4; ++p) EXPECT_LT(rec[p].result, kTimeLimitSeconds);
}

// A person who skates straight into the barrier, turns his back to it and
// stands there: his camera, which the wall would pull in into his head,
// swings round him and keeps its distance for the whole race.
TEST_F(DerbyEventTest, TheCameraKeepsOutOfASkaterWithHisBackToTheBarrier) {
  auto players = ComputerFixtures();
  players[0] = FixturePlayer(1, true, "ANNA");
  Seen seen;
  HarnessOptions o = Options(players, &seen);
  InputScript s;
  s.Hold(70, 260, kActUp);
  s.Hold(280, 320, kActLeft);
  o.scripts = {s};
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_GE(seen.nearestGap[0], kCameraNearest - 0.01f);
  std::printf("camera: nearest %.2f to its skater, %.2f to another\n", seen.nearestGap[0], seen.nearestOther);
}

// Two players on one machine: two views side by side, each chase camera
// behind its own player's skater.
TEST_F(DerbyEventTest, TwoPlayersOnOneMachineGetTwoViews) {
  auto players = ComputerFixtures();
  Seen seen;
  HarnessOptions o = Options(players, &seen, "two-views");
  o.playMode = 1;
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_EQ(seen.views, 2);
  for (int c = 0; c < 2; ++c) {
    EXPECT_GT(seen.cameraGap[c], 0.0f) << c;
    EXPECT_LE(seen.cameraGap[c], 28.01f) << c;
    EXPECT_GE(seen.nearestGap[c], kCameraNearest - 0.01f) << c;
  }
  EXPECT_EQ(seen.barRows, 400) << "the bar between the views";
  ExpectPlaces(run.machines[0].players);
  // Both local players are waited for: both finished.
  for (int p = 0; p < 2; ++p) EXPECT_LT(run.machines[0].players[p].result, kTimeLimitSeconds);
}

NetHub::Faults Lossy() {
  NetHub::Faults f;
  f.dropPercent = 10;
  f.delayPercent = 20;
  f.maxDelay = 3;
  f.dupPercent = 5;
  f.reorderPercent = 5;
  return f;
}

// Two and four machines over a network that loses, holds back, doubles and
// reorders packets: the same check values every frame, the same records.
TEST_F(DerbyEventTest, MachinesOverALossyNetwork) {
  for (int machines : {2, 4}) {
    SCOPED_TRACE(machines);
    auto players = ComputerFixtures();
    players[0] = FixturePlayer(3, true, "ANNA");
    if (machines == 4) players[2] = FixturePlayer(1, true, "BORIS");
    HarnessOptions o = Options(players, nullptr);
    o.machines = machines;
    o.seed = 4242;
    o.faults = Lossy();
    o.make = SmallViews;
    // The machines agree on the logic; drawing every frame of the whole
    // race on every machine only costs time under the sanitizers.
    o.drawEvery = 6;
    o.scripts = {Pusher(), InputScript(), Pusher(), InputScript()};
    o.scripts.resize(machines);
    HarnessRun run = RunEventHarness(o);
    ASSERT_EQ(run.machines.size(), size_t(machines));
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(run.syncEqual) << "first mismatch at sync point " << run.firstMismatch;
    std::vector<int> all;
    for (int m = 0; m < machines; ++m) {
      EXPECT_EQ(run.machines[m].result, 1);
      EXPECT_GT(run.machines[m].syncChecks.size(), 1000u);
      all.push_back(m);
    }
    ExpectSameRecords(run, all);
    ExpectPlaces(run.machines[0].players);
  }
}

// Four machines on a network that loses nothing (the lossy ones are
// above); the person on machine 2 leaves in the middle of the race.
// His skater goes on under the computer on the three machines left, from
// the same frame on each, and the race ends there as usual.
TEST_F(DerbyEventTest, FourMachinesAndOneLeavesInTheMiddle) {
  auto players = ComputerFixtures();
  players[0] = FixturePlayer(0, true, "ANNA");
  players[2] = FixturePlayer(5, true, "BORIS");
  Seen seen;
  HarnessOptions o = Options(players, &seen);
  o.machines = 4;
  o.seed = 77;
  o.scripts = {Pusher(), InputScript(), Pusher(), InputScript()};
  o.leaveAfterFrames = {0, 0, 300, 0};
  o.make = SmallViews;
  HarnessRun run = RunEventHarness(o);
  ASSERT_EQ(run.machines.size(), 4u);
  EXPECT_FALSE(run.timedOut);
  EXPECT_TRUE(run.syncEqual) << "first mismatch at sync point " << run.firstMismatch;
  EXPECT_TRUE(run.machines[2].left);
  for (int m : {0, 1, 3}) EXPECT_EQ(run.machines[m].result, 1) << m;
  ExpectSameRecords(run, {0, 1, 3});
  const auto& rec = run.machines[0].players;
  ExpectPlaces(rec);
  EXPECT_EQ(rec[2].human, 0);
  ASSERT_GT(seen.takeOverFrame, 300);
  EXPECT_GT(seen.progressAtEnd[2], seen.progressAtTakeOver) << "the computer skated on for him";
}

// The intro lasts the announcer's words as its file counts them in frames,
// on a machine that plays them and on one left without a sound slot alike
// (the null sound device never ends a sound here: the clock stands still).
TEST_F(DerbyEventTest, TheIntroLastsTheAnnouncersFramesWithOrWithoutItsSound) {
  for (bool silent : {false, true}) {
    SCOPED_TRACE(silent ? "no sound slot" : "sounds loaded");
    int introFrames = 0, words = -1;
    HarnessOptions o = Options(ComputerFixtures(), nullptr);
    o.maxFrames = 300;  // the intro and a little of the race
    o.drawEvery = 8;
    o.make = [silent] {
      if (silent) TakeEverySoundSlot();
      return SmallViews();
    };
    o.onFrame = [&](int, int, GameScreen* screen) {
      if (words < 0) words = WaveFileFrames(ShellDataPath(derbyassets::kAnnouncerSound), 100);
      if (static_cast<RollerDerbyEvent*>(screen)->State() == kIntroIn) ++introFrames;
    };
    RunEventHarness(o);
    ASSERT_GT(words, 3);
    // Its last frame tells the others; the state follows a frame later.
    EXPECT_GE(introFrames, words);
    EXPECT_LE(introFrames, words + 3);
  }
}

// No data set at all: no pictures, meshes or sounds. Four people who never
// push off: the race runs to its time limit and ends, nobody finished.
TEST_F(DerbyEventTest, WithoutItsDataTheRaceEndsAtTheTimeLimit) {
  const fs::path nothing = fs::path(KEL_BINARY_DIR) / "derby-no-data";
  fs::remove_all(nothing);
  fs::create_directories(nothing);
  setenv("KELVANTHROP_DATA_ROOT", nothing.c_str(), 1);
  std::array<PlayerRecord, 4> players;
  for (int p = 0; p < 4; ++p) players[p] = FixturePlayer(p, true, "IDLE");
  Seen seen;
  HarnessOptions o = Options(players, &seen);
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_EQ(seen.meshes, 0);
  EXPECT_EQ(seen.loadedSounds, 0);
  EXPECT_GE(seen.clock, kTimeLimitSeconds);
  ExpectPlaces(run.machines[0].players);
  for (const PlayerRecord& p : run.machines[0].players) EXPECT_EQ(p.result, kTimeLimitSeconds);
  fs::remove_all(nothing);
}

// The default data set seen through links, but for one file whose text is
// given: each folder on the way to it is made, everything else is a link.
void MirrorWithOneFile(const fs::path& from, const fs::path& to, const fs::path& relative,
                       const std::string& text) {
  fs::create_directories(to);
  const std::string first = relative.begin()->string();
  for (const fs::directory_entry& e : fs::directory_iterator(from)) {
    const std::string name = e.path().filename().string();
    if (name != first) {
      fs::create_symlink(e.path(), to / name);
    } else if (std::next(relative.begin()) == relative.end()) {
      std::ofstream(to / name, std::ios::binary) << text;
    } else {
      MirrorWithOneFile(e.path(), to / name, relative.lexically_relative(first), text);
    }
  }
}

// A straight piece whose file is well formed but holds no mesh: it is
// refused with its name and the reason, left out of the scene, and the
// race runs on the other pieces.
TEST_F(DerbyEventTest, ATrackPieceWithoutAMeshIsNamedAndLeftOut) {
  const fs::path root = fs::path(KEL_BINARY_DIR) / "derby-hollow-piece";
  fs::remove_all(root);
  const fs::path piece = fs::path("data") / derbyassets::kFolder / derbyassets::kPieceFiles[0];
  MirrorWithOneFile(kGameData, root, piece, "xof 0302txt 0032\nFrame Piece {\n}\n");
  setenv("KELVANTHROP_DATA_ROOT", root.c_str(), 1);
  std::vector<std::string> lines;
  DebugSink old = SetDebugSink([&](const std::string& l) { lines.push_back(l); });
  Seen seen;
  HarnessOptions o = Options(ComputerFixtures(), &seen);
  o.make = SmallViews;
  o.maxFrames = 400;  // the intro and the start of the race
  o.drawEvery = 8;
  RunEventHarness(o);
  SetDebugSink(old);
  EXPECT_EQ(seen.meshes, derbyassets::kPieceTypes - 1);
  EXPECT_TRUE(seen.rendering);
  EXPECT_GT(seen.raceFrames, 0);
  int named = 0;
  for (const std::string& l : lines)
    if (l.find(derbyassets::kPieceFiles[0]) != std::string::npos && l.find("holds no mesh") != std::string::npos) ++named;
  EXPECT_EQ(named, 1) << "the hollow piece was not named with its reason";
  fs::remove_all(root);
}

}  // namespace
