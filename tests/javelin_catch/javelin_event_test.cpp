// JAVELIN CATCH run whole through the event harness: four computer
// contestants for the whole 180 seconds, a person beside them, two people
// on one machine with their two views, the event without its data or with a
// damaged contestant file, and the network game as two and four machines on
// a lossy, slow network, one of them leaving.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "base/player_records.h"
#include "events/javelin_catch/javelin_event.h"
#include "events/javelin_catch/jc_rules.h"
#include "net/net_session.h"
#include "screen/config.h"
#include "screen/event_records.h"
#include "screen/game_screen_services.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "graphics/tile_picture.h"
#include "tests/support/event_harness.h"

using namespace jc;
namespace fs = std::filesystem;

namespace {

const std::string kGameData = std::string(KEL_BINARY_DIR) + "/gamedata";

// Input-map actions of the harness scripts.
constexpr int kUp = 0, kDown = 1, kLeft = 2, kRight = 3, kAction = 4;

// What machine 0 saw at its last frame of play.
struct Seen {
  int32_t lastFrame = 0;
  int32_t score[4] = {};
  int32_t energy[4] = {};
  int32_t maxEnergy[4] = {};
  uint8_t computer = 0;
  int objectsSeen = 0;  // the most objects on the field at once
  bool barDrawn = false;
};

class JavelinEventTest : public testing::Test {
 protected:
  void SetUp() override { UseDataRoot(kGameData); }
  void TearDown() override { unsetenv("KELVANTHROP_DATA_ROOT"); }
  static void UseDataRoot(const std::string& root) { setenv("KELVANTHROP_DATA_ROOT", root.c_str(), 1); }

  static HarnessOptions Options(const std::array<PlayerRecord, 4>& players, Seen* seen, uint32_t seed = 7) {
    HarnessOptions o;
    o.make = [] { return static_cast<GameScreen*>(new JavelinEvent()); };
    o.players = players;
    o.seed = seed;
    o.instanceGlobals = JavelinInstanceGlobals();
    o.maxFrames = 4000;
    o.eventIndex = 9;
    o.drawEvery = 8;
    o.onFrame = [seen](int machine, int, GameScreen* screen) {
      auto* ev = static_cast<JavelinEvent*>(screen);
      if (machine != 0 || !seen || ev->Phase() != kPlay) return;
      const JcWorld& w = ev->World();
      seen->lastFrame = w.frameCounter;
      seen->computer = w.computer;
      int objects = 0;
      for (int s = kFirstWeaponSlot; s < kSlots; ++s) objects += w.objects[s].cls != kEmpty ? 1 : 0;
      seen->objectsSeen = std::max(seen->objectsSeen, objects);
      for (int p = 0; p < 4; ++p) {
        seen->score[p] = w.contestant[p].score;
        seen->energy[p] = g_players[p].energy;
        seen->maxEnergy[p] = w.MaxEnergy(p);
      }
      // Two views: a black bar three pixels wide between them.
      if (g_playMode == 1 && w.frameCounter > 10)
        if (DDSurface* back = ShellBackSurface(); back && back->HasSurface()) {
          bool black = true;
          for (int y = 0; y < 400; y += 7)
            for (int x = 319; x < 322; ++x) black = black && back->Row(y)[x] == 0;
          seen->barDrawn = seen->barDrawn || black;
        }
    };
    return o;
  }
};

NetHub::Faults BadNetwork() {
  NetHub::Faults f;
  f.dropPercent = 8;
  f.delayPercent = 20;
  f.maxDelay = 4;
  f.reorderPercent = 10;
  f.applies = [](int, int, const std::vector<uint8_t>& p) { return !p.empty() && p[0] == netwire::kApp; };
  return f;
}

// A person who runs about the field and presses the action button now and
// then.
InputScript RunAbout(int arrow, int offset) {
  InputScript s;
  for (int f = 20 + offset; f < 3000; f += 90) {
    s.Hold(f, f + 25, arrow);
    s.Hold(f + 40, f + 60, (arrow + 1) % 4);
    s.Hold(f + 70, f + 72, kAction);
  }
  return s;
}

// Places as the rules give them from what play left.
void ExpectStandings(const std::array<PlayerRecord, 4>& records, const Seen& seen) {
  int32_t ratio[4], place[4];
  for (int p = 0; p < 4; ++p) ratio[p] = EnergyRatio(seen.energy[p], seen.maxEnergy[p]);
  PlaceByCatches(seen.score, ratio, place);
  ExpectRecordedStandings(records, seen.score, place);
  for (int p = 0; p < 4; ++p) {
    EXPECT_GE(records[p].weaponUnits, 0) << p;
    EXPECT_GE(records[p].powerPills, 0) << p;
  }
}

}  // namespace

// The cannon's pieces and the near fence are cut from the field picture and
// drawn back over it: where a view puts them, the picture under them shows
// the same pixels (most of the fence's visible ones), else the view shows two
// cannons and two fences and the contestants walk in the stands.
TEST(JavelinPictures, TheCannonAndTheFenceLieOverTheirPlaceOnTheField) {
  const std::string jc = kGameData + "/data/jc/";
  TileMapPicture field((jc + "back.bbm").c_str());
  ASSERT_TRUE(field.IsLoaded());
  const struct {
    const char* file;
    int frame;
    ScreenPos at;
  } pieces[] = {{"canfire8.mbm", kCannonFrames, kCannonAt}, {"fence.mbm", 1, kFenceAt}};
  for (const auto& piece : pieces) {
    SCOPED_TRACE(piece.file);
    Sprite s((jc + piece.file).c_str(), 0, -1);
    ASSERT_EQ(s.GetError(), kSpriteOk);
    ASSERT_EQ(s.LoadFrame(piece.frame, kFrameHeader), 1);
    const BitmapInfoHeader* h = s.GetFrameInfo(piece.frame);
    ASSERT_NE(h, nullptr);
    const int w = h->width, rows = std::abs(h->height);
    std::vector<uint8_t> px(size_t(w) * rows), under(size_t(w) * rows, 0);
    ASSERT_EQ(s.DrawFrameToBuffer(piece.frame, px.data(), w, 1), 1);
    // Screen point p over a camera at (camX, camY) is picture point
    // (p.x, p.y - kFieldPictureLift) whatever the camera.
    field.DrawToBuffer(under.data(), w, w, rows, 0, 0, w, rows, piece.at.x, piece.at.y - kFieldPictureLift);
    int shown = 0, same = 0;
    for (size_t i = 0; i < px.size(); ++i) {
      if (px[i] == 1) continue;
      ++shown;
      same += px[i] == under[i];
    }
    ASSERT_GT(shown, 1000);
    // The fence's smoothed edges were blended with the ground in the
    // picture, so not every pixel agrees; a misplaced piece agrees nowhere.
    EXPECT_GT(same, shown * 2 / 3) << same << " of " << shown << " pixels";
  }
}

TEST_F(JavelinEventTest, FourComputersPlayTheWholeClockAndCatchJavelins) {
  Seen seen;
  HarnessRun run = RunEventHarness(Options(ComputerFixtures(), &seen));
  ASSERT_EQ(run.machines.size(), 1u);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_EQ(seen.lastFrame, kLastPlayFrame + 1);  // the frame that ends it
  EXPECT_EQ(seen.computer, 0xF);
  ExpectStandings(run.machines[0].players, seen);
  int catches = 0;
  for (int32_t s : seen.score) catches += s;
  EXPECT_GT(catches, 0);
  EXPECT_GT(seen.objectsSeen, 3);
  // The record text of the event counts the javelins.
  char text[32];
  FormatEventResult(9, *std::max_element(seen.score, seen.score + 4), text, sizeof text);
  EXPECT_NE(std::string(text).find(std::to_string(*std::max_element(seen.score, seen.score + 4))), std::string::npos);

  // The same seed plays the same event, whatever is drawn.
  Seen again;
  HarnessOptions o = Options(ComputerFixtures(), &again);
  o.drawEvery = 1000;
  HarnessRun second = RunEventHarness(o);
  for (int p = 0; p < 4; ++p) {
    EXPECT_EQ(again.score[p], seen.score[p]);
    EXPECT_EQ(again.energy[p], seen.energy[p]);
    EXPECT_EQ(second.machines[0].players[p].place, run.machines[0].players[p].place);
    EXPECT_EQ(second.machines[0].players[p].money, run.machines[0].players[p].money);
  }
}

TEST_F(JavelinEventTest, APersonAmongComputersAndTwoPeopleWithTwoViews) {
  auto players = ComputerFixtures();
  players[0].human = 1;
  Seen one;
  HarnessOptions o = Options(players, &one, 11);
  o.scripts = {RunAbout(kRight, 0)};
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_EQ(one.computer, 0xE);
  ExpectStandings(run.machines[0].players, one);

  players[1].human = 1;
  InputScript both = RunAbout(kDown, 3);
  for (int f = 30; f < 3000; f += 80) both.Hold(f, f + 30, kLeft, 1).Hold(f + 40, f + 42, kAction, 1);
  Seen two;
  HarnessOptions t = Options(players, &two, 12);
  t.playMode = 1;
  t.drawEvery = 1;
  t.scripts = {both};
  HarnessRun split = RunEventHarness(t);
  EXPECT_EQ(split.machines[0].result, 1);
  EXPECT_EQ(two.computer, 0xC);
  EXPECT_TRUE(two.barDrawn);
  ExpectStandings(split.machines[0].players, two);
}

// A person's arrows walk his contestant: up and right together along the
// field's y, down alone along the diagonal (+x, -y); let go, he stands.
TEST_F(JavelinEventTest, APersonWalksWhereTheArrowsPoint) {
  auto players = ComputerFixtures();
  players[0].human = 1;
  InputScript walk;
  walk.Hold(10, 60, kUp).Hold(10, 60, kRight).Hold(70, 120, kDown);
  std::map<int, Position> at;  // contestant 0 by harness frame, in play
  HarnessOptions o = Options(players, nullptr, 31);
  o.scripts = {walk};
  o.maxFrames = 200;
  o.onFrame = [&at](int machine, int frame, GameScreen* screen) {
    auto* ev = static_cast<JavelinEvent*>(screen);
    if (machine != 0 || ev->Phase() != kPlay) return;
    const JcObject& c = ev->World().objects[0];
    at[frame] = {c.x, c.y};
  };
  RunEventHarness(o);
  // The held keys end the title at once; play begins a few frames later.
  ASSERT_FALSE(at.empty());
  ASSERT_LT(at.begin()->first, 30);
  const Position start = at.begin()->second, along = at[60], across = at[120], still = at[190];
  EXPECT_EQ(start.x, 0);
  EXPECT_EQ(along.x, 0);
  EXPECT_GT(along.y, start.y + 80);
  EXPECT_GT(across.x, along.x + 80);
  EXPECT_LT(across.y, along.y - 80);
  EXPECT_EQ(still.x, at[150].x);
  EXPECT_EQ(still.y, at[150].y);
}

// The contestants' voices belong to the event's play: they are loaded on a
// machine short of memory too.
TEST_F(JavelinEventTest, TheContestantsVoicesAreLoadedInLowMemoryModeToo) {
  for (int32_t lowMemory : {0, 1}) {
    SCOPED_TRACE(lowMemory ? "low memory" : "enough memory");
    int loaded = -1;
    HarnessOptions o = Options(ComputerFixtures(), nullptr);
    o.maxFrames = 1;
    o.make = [lowMemory] {
      g_lowMemory = lowMemory;
      return static_cast<GameScreen*>(new JavelinEvent());
    };
    o.onFrame = [&](int, int, GameScreen* screen) {
      auto* ev = static_cast<JavelinEvent*>(screen);
      loaded = 0;
      for (int p = 0; p < 4; ++p)
        for (int v = 0; v < kVoices; ++v) loaded += ev->VoiceSlot(p, v) >= 0 ? 1 : 0;
    };
    RunEventHarness(o);
    g_lowMemory = 0;
    EXPECT_EQ(loaded, 4 * kVoices);
  }
}

TEST_F(JavelinEventTest, WithoutItsDataOrWithADamagedContestantFileTheEventStillEnds) {
  const fs::path root = fs::path(KEL_BINARY_DIR) / "javelin-damaged-data";
  fs::remove_all(root);
  fs::create_directories(root / "data");
  // RIZAZ's file gives a maximum energy of 0: refused, the built-in values
  // stand in, and nothing divides by it.
  {
    std::ofstream f(root / "data" / "Slob.jcd", std::ios::binary);
    for (int i = 0; i < 37; ++i) f << (i == 35 ? 0 : i < 11 ? i : 1) << "\r\n";
  }
  UseDataRoot(root.string());
  Seen seen;
  HarnessOptions o = Options(ComputerFixtures(), &seen, 3);
  o.drawEvery = 50;
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  for (int p = 0; p < 4; ++p) EXPECT_EQ(seen.maxEnergy[p], 100) << p;
  ExpectStandings(run.machines[0].players, seen);
  fs::remove_all(root);
}

// A character number from a damaged record or a peer indexes none of the
// six characters' tables: the contestant plays as the first character.
TEST_F(JavelinEventTest, CharacterNumbersOutOfRangeStillPlayTheWholeEvent) {
  auto players = ComputerFixtures();
  const int32_t characters[4] = {-1, 6, 100000, 5};
  for (int p = 0; p < 4; ++p) players[p].character = characters[p];
  Seen seen;
  HarnessOptions o = Options(players, &seen, 19);
  o.drawEvery = 25;
  HarnessRun run = RunEventHarness(o);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_EQ(seen.lastFrame, kLastPlayFrame + 1);
  ExpectStandings(run.machines[0].players, seen);
}

TEST_F(JavelinEventTest, TwoAndFourMachinesOnALossyNetworkStayInStep) {
  for (int machines : {2, 4}) {
    auto players = ComputerFixtures();
    players[0] = FixturePlayer(2, true, "HOST");
    players[1] = FixturePlayer(5, true, "GUEST");
    if (machines == 4) players[3] = FixturePlayer(4, true, "DORA");
    Seen seen;
    HarnessOptions o = Options(players, &seen, 23 + machines);
    o.machines = machines;
    o.faults = BadNetwork();
    o.drawEvery = 60;
    o.scripts = {RunAbout(kRight, 0), RunAbout(kDown, 7), InputScript(), RunAbout(kLeft, 13)};
    o.scripts.resize(machines);
    HarnessRun run = RunEventHarness(o);
    ASSERT_EQ(run.machines.size(), size_t(machines));
    EXPECT_TRUE(run.syncEqual) << machines << " machines: first mismatch at sync point " << run.firstMismatch;
    ExpectMachinesAgree(run, 2600);
    ExpectStandings(run.machines[0].players, seen);
  }
}

TEST_F(JavelinEventTest, AMachineThatLeavesIsTakenOverByTheComputer) {
  auto players = ComputerFixtures();
  players[0] = FixturePlayer(1, true, "STAYS");
  players[1] = FixturePlayer(3, true, "GOES");
  bool personBefore = false, computerAfter = false;
  Seen seen;
  HarnessOptions o = Options(players, &seen, 77);
  o.machines = 2;
  o.drawEvery = 40;
  o.leaveAfterFrames = {0, 700};
  o.scripts = {RunAbout(kRight, 0), RunAbout(kUp, 5)};
  auto base = o.onFrame;
  o.onFrame = [&](int machine, int frame, GameScreen* screen) {
    base(machine, frame, screen);
    if (machine != 0) return;
    const JcWorld& w = static_cast<JavelinEvent*>(screen)->World();
    if (frame < 600) personBefore = personBefore || !w.IsComputer(1);
    if (frame > 900) computerAfter = computerAfter || w.IsComputer(1);
  };
  HarnessRun run = RunEventHarness(o);
  ASSERT_EQ(run.machines.size(), 2u);
  EXPECT_TRUE(run.machines[1].left);
  EXPECT_EQ(run.machines[0].result, 1);
  EXPECT_TRUE(personBefore);
  EXPECT_TRUE(computerAfter) << "the computer steers the contestant of the one who left";
  EXPECT_EQ(seen.lastFrame, kLastPlayFrame + 1);  // the frame that ends it
  ExpectStandings(run.machines[0].players, seen);
}
