// TROUBLED WATERS run whole through the event harness: four computer
// swimmers to the end, a person who never swims (the time limit), two
// players on one machine with two views, a machine without sound slots,
// and machines in lock-step over a lossy network (one of them leaving in
// the middle).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "base/player_records.h"
#include "events/troubled_waters/swim_event.h"
#include "events/troubled_waters/swim_rules.h"
#include "events/troubled_waters/swimmer.h"
#include "graphics/bmp.h"
#include "graphics/palette.h"
#include "graphics/surface.h"
#include "net/net_session.h"
#include "screen/face_panel.h"
#include "screen/game_screen_services.h"
#include "shell/shell.h"
#include "sound/sound.h"
#include "tests/support/event_harness.h"

using namespace swim;
namespace fs = std::filesystem;

namespace {

const std::string kGameData = std::string(KEL_BINARY_DIR) + "/gamedata";

struct Seen {
  int raceFrames = 0;
  int introFrames = 0;
  int maxPlaces = 0;
  int loadedSounds = -1;
  int views = 0;
  int32_t x[4] = {};
  int32_t y2 = 0;
  // The race frame in which the third place was given.
  int thirdPlaceFrame = -1;
  // The frame machine 0 gave player 2's swimmer to the computer, his x then.
  int takeOverFrame = -1;
  int32_t xAtTakeOver = 0;
  int32_t pathAfterTakeOver = 0;  // how far player 2's swimmer swam since
};

// The back buffer as a picture for a person to look at.
void SaveBackBuffer(const std::string& name) {
  DDSurface* back = ShellBackSurface();
  if (!back || !back->GetPalette()) return;
  uint8_t* bits = nullptr;
  int pitch = 0;
  if (back->Lock(&bits, &pitch) != 0) return;
  const std::vector<uint8_t> bmp =
      EncodeBmp8(bits, back->GetWidth(), back->GetHeight(), pitch, back->GetPalette()->Entries());
  back->Unlock();
  const fs::path dir = fs::path(KEL_BINARY_DIR) / "pictures" / "troubled_waters";
  fs::create_directories(dir);
  std::ofstream(dir / (name + ".bmp"), std::ios::binary)
      .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
}

class SwimEventTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kGameData + "/data/swim/tiles8.mbm")) << "made by the gamedata target";
    setenv("KELVANTHROP_DATA_ROOT", kGameData.c_str(), 1);
  }
  void TearDown() override { unsetenv("KELVANTHROP_DATA_ROOT"); }

  // Long races under the sanitizers spend their time drawing: most runs
  // draw every n-th frame only (the logic must not care).
  HarnessOptions Options(const std::array<PlayerRecord, 4>& players, Seen* seen, uint32_t seed = 7) {
    HarnessOptions o;
    o.make = [] { return static_cast<GameScreen*>(new SwimEvent()); };
    o.players = players;
    o.seed = seed;
    o.instanceGlobals = SwimInstanceGlobals();
    o.maxFrames = 12000;
    o.eventIndex = 5;
    o.drawEvery = 25;
    o.onFrame = [seen](int machine, int frame, GameScreen* screen) {
      auto* ev = static_cast<SwimEvent*>(screen);
      if (machine != 0 || !seen) return;
      seen->raceFrames = ev->RaceFrame();
      if (ev->State() != kRace) seen->introFrames = frame + 1;
      seen->maxPlaces = ev->PlacesGiven();
      seen->loadedSounds = ev->LoadedSoundCount();
      const SwimWorld& w = ev->World();
      seen->views = w.views;
      const int32_t x2 = seen->x[2];
      for (int i = 0; i < 4; ++i)
        if (const Swimmer* s = ev->GetSwimmer(i)) seen->x[i] = s->x;
      if (ev->PlacesGiven() >= 3 && seen->thirdPlaceFrame < 0) seen->thirdPlaceFrame = ev->RaceFrame();
      const Swimmer* taken = ev->GetSwimmer(2);
      if (seen->takeOverFrame >= 0 && taken)
        seen->pathAfterTakeOver += std::abs(taken->x - x2) + std::abs(taken->y - seen->y2);
      if (seen->takeOverFrame < 0 && ev->State() == kRace && !w.IsPerson(2) && g_players[2].human == 0 && taken) {
        seen->takeOverFrame = frame;
        seen->xAtTakeOver = taken->x;
      }
      if (taken) seen->y2 = taken->y;
    };
    return o;
  }
};

void ExpectPlausible(const std::array<PlayerRecord, 4>& records) {
  std::set<int> places;
  for (const PlayerRecord& p : records) {
    places.insert(p.place);
    EXPECT_GE(p.result, 1);
    EXPECT_LE(p.result, kNotFinished);
    EXPECT_GE(p.energy, 0);
    EXPECT_LE(p.energy, 100);
    EXPECT_GE(p.weaponUnits, 0);
    EXPECT_GE(p.powerPills, 0);
  }
  EXPECT_EQ(places, (std::set<int>{0, 1, 2, 3}));
  // A faster finisher never ranks behind a slower one.
  for (const PlayerRecord& a : records)
    for (const PlayerRecord& b : records)
      if (a.result < b.result) EXPECT_LT(a.place, b.place) << a.name << " " << b.name;
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

// Script actions of the input maps (up, down, left, right, fire 1..6).
constexpr int kActDown = 1, kActRight = 3;

// A person who swims right and down for a while, then stops.
InputScript Wanderer() {
  InputScript s;
  s.Hold(30, 400, kActRight);
  s.Hold(60, 90, kActDown);
  return s;
}

// A short race: in race frame `raceFrame` the swimmers of `players` are put
// at the exit, on every machine alike (once on each).
void PutAtTheExitIn(HarnessOptions* o, int raceFrame, std::vector<int> players) {
  auto base = o->onFrame;
  auto done = std::make_shared<std::set<int>>();
  o->onFrame = [=](int m, int f, GameScreen* screen) {
    auto* ev = static_cast<SwimEvent*>(screen);
    if (ev->State() == kRace && ev->RaceFrame() == raceFrame && done->insert(m).second)
      for (int p : players)
        if (Swimmer* s = ev->GetSwimmer(p)) s->PlaceAt(kFinishX, 100 * ev->Course().exitRow + 50);
    if (base) base(m, f, screen);
  };
}

}  // namespace

TEST_F(SwimEventTest, FourComputerSwimmersReachTheExit) {
  Seen seen;
  HarnessRun run = RunEventHarness(Options(ComputerFixtures(), &seen));
  ASSERT_EQ(run.machines.size(), 1u);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.machines[0].result, 1);
  ExpectPlausible(run.machines[0].players);
  // The race ends when three have reached the exit, or at the time limit.
  int finished = 0;
  for (const PlayerRecord& p : run.machines[0].players) finished += p.result < kNotFinished ? 1 : 0;
  EXPECT_EQ(finished, seen.maxPlaces);
  EXPECT_GE(finished, 1);
  EXPECT_TRUE(seen.maxPlaces == 3 || seen.raceFrames == kTimeLimitSeconds * kRaceFramesPerSecond);
  // The same seed swims the same race, whatever is drawn.
  Seen again;
  HarnessOptions o = Options(ComputerFixtures(), &again);
  o.drawEvery = 7;
  HarnessRun second = RunEventHarness(o);
  EXPECT_EQ(again.raceFrames, seen.raceFrames);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(second.machines[0].players[i].result, run.machines[0].players[i].result);
    EXPECT_EQ(again.x[i], seen.x[i]);
  }
}

// Computer swimmers reach the exit within the ten minutes, on mazes of many
// seeds: a race of four computers gives three places, and most of them go
// to swimmers who got there. (Computers that lost their route's row to the
// speed left from a turn, and wandered in the side water off the route, took
// 11 of these 18.)
TEST_F(SwimEventTest, ComputerSwimmersMostlyReachTheExitInTime) {
  // Seeds as a clock gives them: the first draws of small seeds are all
  // near 0 and put every maze's entry in the same row.
  const uint32_t seeds[] = {166299, 174218, 182137, 190056, 197975, 205894};
  int places = 0, finished = 0;
  for (uint32_t seed : seeds) {
    Seen seen;
    HarnessOptions o = Options(ComputerFixtures(), &seen, seed);
    o.drawEvery = 1000;
    HarnessRun run = RunEventHarness(o);
    ASSERT_EQ(run.machines[0].result, 1) << seed;
    places += 3;
    int here = 0;
    for (const PlayerRecord& p : run.machines[0].players) here += p.result < kNotFinished ? 1 : 0;
    EXPECT_EQ(here, seen.maxPlaces) << seed;
    finished += here;
  }
  EXPECT_GE(finished * 4, places * 3) << finished << " of " << places << " places went to swimmers at the exit";
}

TEST_F(SwimEventTest, APersonWhoNeverSwimsEndsAtTheTimeLimit) {
  auto players = ComputerFixtures();
  players[0].human = 1;
  players[1].endurance = 0;  // must not divide by zero
  Seen seen;
  HarnessOptions o = Options(players, &seen, 11);
  o.drawEvery = 200;
  o.maxFrames = 10000;
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_FALSE(run.timedOut);
  const PlayerRecord& me = run.machines[0].players[0];
  EXPECT_EQ(me.result, kNotFinished);
  EXPECT_EQ(me.place, 3);
  EXPECT_EQ(seen.raceFrames, kTimeLimitSeconds * kRaceFramesPerSecond);
  ExpectPlausible(run.machines[0].players);
}

// Two players on one machine: two views side by side, each following its
// own player's swimmer, the race drawn into both with a bar between.
TEST_F(SwimEventTest, TwoPlayersOnOneMachineGetTwoViews) {
  Seen seen;
  HarnessOptions o = Options(ComputerFixtures(), &seen, 5);
  o.playMode = 1;
  o.drawEvery = 1;
  o.maxFrames = 400;  // the views are what is looked at here, not the end
  std::vector<uint8_t> shot;
  int32_t camera[2] = {};
  bool cameraOnSwimmer[2] = {};
  // Each person's swimmer as it stands on the screen (x, y, width, height).
  ScreenBox swimmerBox[2] = {};
  auto base = o.onFrame;
  o.onFrame = [&](int m, int f, GameScreen* screen) {
    base(m, f, screen);
    auto* ev = static_cast<SwimEvent*>(screen);
    if (ev->State() != kRace || ev->RaceFrame() != 150) return;
    SaveBackBuffer("two-views");
    const SwimWorld& w = ev->World();
    for (int v = 0; v < 2; ++v) {
      camera[v] = w.cameraX[v] * 100000 + w.cameraY[v];
      const Swimmer* s = ev->GetSwimmer(w.localPlayer[v]);
      cameraOnSwimmer[v] = s && w.localPlayer[v] == v && w.cameraX[v] == s->x - 160 && w.cameraY[v] == s->y - 200;
      if (s)
        swimmerBox[v] = {s->x - w.cameraX[v] - s->halfWidth + v * w.viewWidth, s->y - w.cameraY[v] - s->halfHeight,
                         2 * s->halfWidth, 2 * s->halfHeight};
    }
    DDSurface* back = ShellBackSurface();
    uint8_t* bits = nullptr;
    int pitch = 0;
    if (back && back->Lock(&bits, &pitch) == 0) {
      for (int y = 0; y < 400; ++y) shot.insert(shot.end(), bits + y * pitch, bits + y * pitch + 640);
      back->Unlock();
    }
  };
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(seen.views, 2);
  EXPECT_TRUE(cameraOnSwimmer[0]);
  EXPECT_TRUE(cameraOnSwimmer[1]);
  ASSERT_EQ(shot.size(), 640u * 400u);
  // The swimmers of players 0 and 1 have parted: the views show different
  // water.
  EXPECT_NE(camera[0], camera[1]);
  // Each person sees his own swimmer whole in his own view: not under the
  // map, which stands over the join of the views.
  const ScreenBox map = MapArea(2);
  for (int v = 0; v < 2; ++v) {
    const ScreenBox& b = swimmerBox[v];
    EXPECT_GT(b.width, 0) << "view " << v;
    EXPECT_GE(b.x, v * 320) << "view " << v;
    EXPECT_LE(b.x + b.width, v * 320 + 320) << "view " << v;
    EXPECT_GE(b.y, 0) << "view " << v;
    EXPECT_LE(b.y + b.height, 400) << "view " << v;
    const bool underMap = b.x < map.x + map.width && map.x < b.x + b.width && b.y < map.y + map.height &&
                          map.y < b.y + b.height;
    EXPECT_FALSE(underMap) << "view " << v << ": swimmer at " << b.x << ", " << b.y;
  }
  int differ = 0;
  for (int y = 0; y < 400; ++y) {
    // The bar between the views, but for where the map stands over it.
    if (y >= map.y + map.height) {
      EXPECT_EQ(shot[y * 640 + 320], 0) << "the bar between the views, row " << y;
    }
    for (int x = 0; x < 318; ++x) differ += shot[y * 640 + x] != shot[y * 640 + 322 + x] ? 1 : 0;
  }
  EXPECT_GT(differ, 318 * 400 / 10);
  // Each view has more than a flat colour in it.
  for (int v = 0; v < 2; ++v) {
    std::set<uint8_t> colours;
    for (int y = 0; y < 400; ++y)
      for (int x = 0; x < 318; ++x) colours.insert(shot[y * 640 + v * 322 + x]);
    EXPECT_GT(colours.size(), 8u) << "view " << v;
  }
}

// A machine that cannot play the sounds (every slot taken) waits as long
// for the announcer and the cheer as one that plays them: the waits come
// from the files, and the race comes out the same.
TEST_F(SwimEventTest, WaitsForTheSoundsDoNotDependOnTheSoundDevice) {
  Seen full, silent;
  HarnessOptions withSound = Options(ComputerFixtures(), &full, 3);
  PutAtTheExitIn(&withSound, 100, {0, 2, 3});
  HarnessRun a = RunEventHarness(withSound);
  HarnessOptions o = Options(ComputerFixtures(), &silent, 3);
  PutAtTheExitIn(&o, 100, {0, 2, 3});
  o.make = [] {
    // The harness's sound manager goes with the run, and the slots with it.
    if (g_soundManager)
      while (g_soundManager->AllocSlot() >= 0) {
      }
    return static_cast<GameScreen*>(new SwimEvent());
  };
  HarnessRun b = RunEventHarness(o);
  EXPECT_GT(full.loadedSounds, 40);
  EXPECT_EQ(silent.loadedSounds, 0);
  ASSERT_EQ(a.machines[0].result, 1);
  ASSERT_EQ(b.machines[0].result, 1);
  EXPECT_EQ(silent.introFrames, full.introFrames);
  EXPECT_EQ(silent.raceFrames, full.raceFrames);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(b.machines[0].players[i].result, a.machines[0].players[i].result) << i;
    EXPECT_EQ(b.machines[0].players[i].place, a.machines[0].players[i].place) << i;
  }
  // The race went on after the third finisher for the cheer's and his
  // voice's length.
  EXPECT_EQ(full.thirdPlaceFrame, 101);
  EXPECT_GT(full.raceFrames, full.thirdPlaceFrame + 10);
  EXPECT_EQ(a.machines[0].players[1].place, 3);

}

// Two and four machines over a network that loses, holds back, doubles and
// reorders packets: the same check values every frame, the same records.
TEST_F(SwimEventTest, MachinesOverALossyNetwork) {
  for (int machines : {2, 4}) {
    SCOPED_TRACE(machines);
    // One person: the computers end the race by taking three places.
    auto players = ComputerFixtures();
    players[0].human = 1;
    HarnessOptions o = Options(players, nullptr, 23);
    o.machines = machines;
    o.faults = Lossy();
    o.scripts = {Wanderer(), InputScript(), InputScript(), InputScript()};
    o.scripts.resize(machines);
    PutAtTheExitIn(&o, 500, {1, 2, 3});
    HarnessRun run = RunEventHarness(o);
    ASSERT_EQ(run.machines.size(), size_t(machines));
    ExpectMachinesAgree(run, 500);
    ExpectPlausible(run.machines[0].players);
  }
}

// Four machines; the person on machine 2 leaves in the middle of the race.
// His swimmer goes on under the computer on the three machines left, from
// the same frame on each, and the race ends there as usual.
TEST_F(SwimEventTest, FourMachinesAndOneLeavesInTheMiddle) {
  auto players = ComputerFixtures();
  players[0].human = 1;
  players[2].human = 1;
  Seen seen;
  HarnessOptions o = Options(players, &seen, 31);
  o.machines = 4;
  o.scripts = {Wanderer(), InputScript(), Wanderer(), InputScript()};
  o.leaveAfterFrames = {0, 0, 300, 0};
  o.faults = Lossy();
  o.faults.applies = [](int, int, const std::vector<uint8_t>& p) { return !p.empty() && p[0] == netwire::kApp; };
  PutAtTheExitIn(&o, 1200, {0, 1, 3});
  HarnessRun run = RunEventHarness(o);
  ASSERT_EQ(run.machines.size(), 4u);
  EXPECT_FALSE(run.timedOut);
  EXPECT_TRUE(run.syncEqual) << "first mismatch at sync point " << run.firstMismatch;
  EXPECT_TRUE(run.machines[2].left);
  for (int m : {0, 1, 3}) EXPECT_EQ(run.machines[m].result, 1) << m;
  ExpectSameRecords(run, {0, 1, 3});
  const auto& rec = run.machines[0].players;
  ExpectPlausible(rec);
  EXPECT_EQ(rec[2].human, 0);
  ASSERT_GT(seen.takeOverFrame, 300);
  // The person let go of his keys when he left: his swimmer would drift a
  // few hundred pixels to a stop.
  EXPECT_GT(seen.pathAfterTakeOver, 1500) << "the computer swam on for him";
}

// The face panel outlives the event: once the event is gone it asks no
// callback of it (whose moods would come from a screen that is no more)
// and every face rests at mood 0.
TEST_F(SwimEventTest, TheFacePanelForgetsTheEventWhenItEnds) {
  setenv("KELVANTHROP_HEADLESS", "1", 0);
  ASSERT_TRUE(ShellCreateServices());
  ASSERT_NE(g_facePanel, nullptr);
  Seen seen;
  HarnessOptions o = Options(ComputerFixtures(), &seen, 9);
  o.maxFrames = 150;
  int moodInRace = -1;
  auto base = o.onFrame;
  o.onFrame = [&](int m, int f, GameScreen* screen) {
    base(m, f, screen);
    if (static_cast<SwimEvent*>(screen)->State() == kRace) moodInRace = SwimmerFaceMood(0);
  };
  RunEventHarness(o);
  EXPECT_GE(moodInRace, 0);
  EXPECT_LT(moodInRace, kFaceMoods);
  EXPECT_EQ(SwimmerFaceMood(0), 5);  // no event: the panel's resting answer
  for (int i = 0; i < 2 * kFaceFramesPerMood; ++i) g_facePanel->Step();
  for (int p = 0; p < 4; ++p) EXPECT_EQ(g_facePanel->GetMood(p), 0) << p;
  ShellDestroyServices();
}
