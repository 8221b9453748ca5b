// Hidden codes, the cut-scene choice before each event and the record texts.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <unistd.h>

#include "base/player_records.h"
#include "base/registry.h"
#include "screen/event_records.h"
#include "screen/game_screen.h"
#include "shell/cheat.h"
#include "shell/screen_factory.h"

namespace {

TEST(HiddenCodes, TableMatchesExactTextOnly) {
  struct Case {
    const char* text;
    int code;
  } cases[] = {
      {"JUMP AHEAD", 0},      {"PACE GLACIER", 4},    {"TEMPO LAZY", 7},
      {"TEMPO STEADY", 6},    {"TEMPO BLAZES", 5},    {"PROBE DATA UP", 8},
      {"PROBE DATA OUT", 9},  {"jump ahead", -1},     {"JUMP AHEAD ", -1},
      {" JUMP AHEAD", -1},    {"JUMP", -1},           {"", -1},
      {"PROBE DATA", -1},     {"SAVE GAME 1", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchCheatText(c.text), c.code) << c.text;
  EXPECT_EQ(MatchCheatText(nullptr), -1);
}

TEST(HiddenCodes, NoScreenMatchesNothing) {
  ASSERT_EQ(g_currentScreen, nullptr);
  EXPECT_EQ(MatchCheatCode(), -1);
}

TEST(HiddenCodes, ApplyChangesSpeedAndDebugOnly) {
  int speed = g_gameSpeed, debug = g_debugMode;
  struct Case {
    int code, speed, debug;
  } cases[] = {{4, 4, 9}, {5, 5, 9}, {6, 6, 9}, {7, 7, 9}, {8, 7, 8}, {9, 7, 9},
               {0, 7, 9}, {1, 7, 9}, {2, 7, 9}, {3, 7, 9}, {-1, 7, 9}, {10, 7, 9}};
  g_debugMode = 9;
  for (const Case& c : cases) {
    ApplyCheatCode(c.code);
    EXPECT_EQ(g_gameSpeed, c.speed) << c.code;
    EXPECT_EQ(g_debugMode, c.debug) << c.code;
  }
  g_gameSpeed = speed;
  g_debugMode = debug;
}

TEST(CutScenes, TableRowsAsGiven) {
  const CutSceneRow& r0 = GetCutSceneRow(0);
  EXPECT_STREQ(r0.path, "video\\rizaz1.avi");
  EXPECT_EQ(r0.x, 148);
  EXPECT_EQ(r0.y, 65);
  EXPECT_STREQ(r0.background, "menu\\bkgrd.bmp");
  EXPECT_EQ(GetCutSceneRow(8).x, 140);
  EXPECT_EQ(GetCutSceneRow(5).fullScreen, 1);
  EXPECT_EQ(GetCutSceneRow(5).background, nullptr);
  EXPECT_STREQ(GetCutSceneRow(13).path, "video\\upcls2.avi");
}

// Which clip comes before event e + 1: the chip intro, each athlete's first
// clip before events 2-5, his second before events 6-9, none before 10 and
// none at all in a network game.
TEST(CutScenes, ChoiceBeforeEachEvent) {
  PlayerRecord saved[4];
  std::copy(g_players, g_players + 4, saved);
  int characters[4] = {3, 0, 5, 1};
  for (int i = 0; i < 4; ++i) g_players[i].character = characters[i];
  struct Case {
    int eventIndex;
    const char* path;  // null: no clip
  } cases[] = {
      {0, "video\\chipint.avi"},  {1, "video\\amazon1.avi"}, {2, "video\\rizaz1.avi"},
      {3, "video\\alien1.avi"},   {4, "video\\vuda1.avi"},   {5, "video\\amazon2.avi"},
      {6, "video\\rizaz2.avi"},   {7, "video\\alien2.avi"},  {8, "video\\vuda2.avi"},
      {9, nullptr},               {10, nullptr},
  };
  for (const Case& c : cases) {
    VideoClip clip;
    bool shown = ChooseEventIntroClip(c.eventIndex, 0, &clip);
    EXPECT_EQ(shown, c.path != nullptr) << c.eventIndex;
    if (c.path && shown) {
      EXPECT_EQ(clip.path, c.path) << c.eventIndex;
    }
    EXPECT_FALSE(ChooseEventIntroClip(c.eventIndex, 2, &clip)) << c.eventIndex;
  }
  VideoClip clip;
  ASSERT_TRUE(ChooseEventIntroClip(1, 1, &clip));
  EXPECT_EQ(clip.x, 148);
  EXPECT_EQ(clip.y, 66);
  EXPECT_EQ(clip.width, 420);
  EXPECT_EQ(clip.allowFullScreen, 0);
  EXPECT_EQ(clip.background, "menu\\bkgrd.bmp");
  g_players[0].character = 42;  // a damaged record shows no clip rather than a wrong one
  EXPECT_FALSE(ChooseEventIntroClip(1, 0, &clip));
  std::copy(saved, saved + 4, g_players);
}

class RecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("kel_records_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    RegSetStorePath((dir_ / "settings.ini").string());
  }
  void TearDown() override {
    RegSetStorePath("");
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path dir_;
};

TEST_F(RecordsTest, TextByEventUnit) {
  struct Case {
    int event, value;
    const char* text;
  } cases[] = {
      {1, 1234, "12.34 m"},   {4, 5, "0.05 m"},       {1, 0, "0.00 m"},
      {2, 65, "1 : 05"},      {3, 600, "10 : 00"},    {5, 9, "0 : 09"},
      {10, 3599, "59 : 59"},  {6, 120, "120 POINTS"}, {9, 0, "0 POINTS"},
  };
  for (const Case& c : cases) {
    std::string name = "Rec" + std::to_string(c.event);
    ASSERT_TRUE(RegWriteInt(kRegHallOfFame, name.c_str(), c.value));
    EXPECT_STREQ(GetEventRecordText(c.event), c.text) << c.event;
  }
}

TEST_F(RecordsTest, MissingRecordAndBadEvent) {
  // A word, not a dash that the small fonts draw as a speck.
  for (int n : {1, 2, 7, 10}) EXPECT_STREQ(GetEventRecordText(n), "NONE") << n;
  EXPECT_STREQ(GetEventRecordText(0), "NONE");
  EXPECT_STREQ(GetEventRecordText(11), "NONE");
  EXPECT_STREQ(GetEventRecordHolder(3), "");
  EXPECT_STREQ(GetEventRecordHolder(-1), "");
}

TEST_F(RecordsTest, HolderReadWhateverTheCaseAndBounded) {
  ASSERT_TRUE(RegWriteString(kRegHallOfFame, "Rec7Name", "ZARU"));
  EXPECT_STREQ(GetEventRecordHolder(7), "ZARU");
  // A stored name longer than the field is cut, never overrun.
  ASSERT_TRUE(RegWriteString(kRegHallOfFame, "Rec8Name", "ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
  EXPECT_STREQ(GetEventRecordHolder(8), "ABCDEFGHIJKLMNO");
}

}  // namespace
