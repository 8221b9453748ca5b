// Pictures of the framework checked by sampled pixels: the loading band, the
// status bars at their colour thresholds, TileRect's clipping; and the
// options overlay's items, the face panel's moods and the wait box's fade.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include <unistd.h>

#include "base/clock.h"
#include "graphics/display.h"
#include "graphics/mbm_writer.h"
#include "graphics/sprite.h"
#include "platform/presenter.h"
#include "screen/config.h"
#include "screen/face_panel.h"
#include "screen/game_screen.h"
#include "screen/game_screen_services.h"
#include "screen/options_menu.h"

namespace {

class PanelScreen : public GameScreen {
 public:
  PanelScreen() : GameScreen(1) {}
};

class PanelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = SetClock(&clock_);
    g_currentScreen = nullptr;
    presenter_ = CreateMemoryPresenter();
    ASSERT_TRUE(InitDirectDraw(presenter_.get()));
    ASSERT_TRUE(SetVideoMode(640, 480, 8, 2, 0));
  }
  void TearDown() override {
    if (g_dialogSprite == dialog_.get()) g_dialogSprite = nullptr;
    dialog_.reset();
    ReleaseDirectDraw();
    SetDisplayPresenter(nullptr);
    g_currentScreen = nullptr;
    SetClock(old_);
  }
  // A dialog sprite whose frame 3 is a 130x120 tile with a distinct colour
  // on its last column and row, so that clipping shows.
  void InstallDialogTile() {
    std::vector<MbmFrameSpec> frames(5);
    for (int i = 0; i < 5; ++i) {
      frames[i].name = "f" + std::to_string(i + 1);
      frames[i].width = 8;
      frames[i].height = 8;
      frames[i].pixels.assign(64, 0);
    }
    MbmFrameSpec& tile = frames[2];
    tile.width = 130;
    tile.height = 120;
    tile.pixels.assign(130 * 120, 40);
    for (int y = 0; y < 120; ++y) tile.pixels[y * 130 + 129] = 41;
    for (int x = 0; x < 130; ++x) tile.pixels[119 * 130 + x] = 42;
    std::vector<uint8_t> palette(1024, 0);
    for (int i = 0; i < 256; ++i) palette[i * 4 + 1] = static_cast<uint8_t>(i);
    std::vector<uint8_t> bytes = BuildMbm(frames, &palette);
    ASSERT_FALSE(bytes.empty());
    dialog_ = std::make_unique<Sprite>();
    ASSERT_EQ(dialog_->OpenMemory(bytes, 0x20), 0u);
    g_dialogSprite = dialog_.get();
  }
  VirtualClock clock_;
  Clock* old_ = nullptr;
  std::unique_ptr<MemoryPresenter> presenter_;
  std::unique_ptr<Sprite> dialog_;
};

uint8_t At(DDSurface* s, int x, int y) { return s->Row(y)[x]; }

TEST_F(PanelsTest, LoadingBandAtHalf) {
  PanelScreen s;
  g_backDDSurface->FillRect(0, 0, 640, 480, 9);
  s.ShowLoadingScreen(50, nullptr);
  ASSERT_TRUE(s.IsLoadingScreenUp());
  // 50 % of 496 pixels from x 72: 248 pixels of colour 2, rows 433..459.
  DDSurface* b = g_backDDSurface;
  for (int x : {72, 150, 250, 319}) {
    EXPECT_EQ(At(b, x, 433), 2) << x;
    EXPECT_EQ(At(b, x, 459), 2) << x;
  }
  EXPECT_NE(At(b, 320, 433), 2);
  EXPECT_NE(At(b, 71, 433), 2);
  EXPECT_NE(At(b, 100, 432), 2);
  EXPECT_NE(At(b, 100, 460), 2);
  // The screen shows the same picture.
  EXPECT_EQ(At(g_primaryDDSurface, 300, 433), 2);
  // Progress only grows the band; values outside 0..100 are clamped.
  s.ShowLoadingScreen(150, nullptr);
  EXPECT_EQ(At(b, 567, 433), 2);
  EXPECT_NE(At(b, 568, 433), 2);
  s.EndLoadingScreen();
  EXPECT_FALSE(s.IsLoadingScreenUp());
  EXPECT_EQ(At(g_primaryDDSurface, 300, 433), 0);
}

TEST_F(PanelsTest, LoadingPictureOfOneFrameIsShown) {
  // An event's loading picture is a file of one frame; it is drawn at its
  // place above the band (a picture once asked for two frames and was
  // refused every time).
  MbmFrameSpec frame;
  frame.name = "loading";
  frame.width = 20;
  frame.height = 10;
  frame.pixels.assign(200, 77);
  std::vector<uint8_t> palette(1024, 0);
  for (int i = 0; i < 256; ++i) palette[i * 4 + 2] = static_cast<uint8_t>(i);
  std::vector<uint8_t> bytes = BuildMbm({frame}, &palette);
  ASSERT_FALSE(bytes.empty());
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("loading_one_frame_" + std::to_string(::getpid()) + ".mbm");
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  PanelScreen s;
  g_backDDSurface->FillRect(0, 0, 640, 480, 9);
  s.ShowLoadingScreen(0, path.string().c_str());
  std::filesystem::remove(path);
  DDSurface* b = g_backDDSurface;
  EXPECT_EQ(At(b, 64, 15), 77);
  EXPECT_EQ(At(b, 83, 24), 77);
  EXPECT_NE(At(b, 84, 24), 77);
  s.EndLoadingScreen();
}

TEST_F(PanelsTest, StatusBarsAtTheColourThresholds) {
  // A band picture whose palette has pure red, yellow and green at 10, 20, 30.
  PaletteEntry entries[256];
  for (int i = 0; i < 256; ++i) entries[i] = {128, 128, 128, 0};
  entries[0] = {0, 0, 0, 0};
  entries[10] = {255, 0, 0, 0};
  entries[20] = {255, 255, 0, 0};
  entries[30] = {0, 255, 0, 0};
  DDPalette* palette = new DDPalette(kDisplayPaletteCaps, entries);
  DDSurface band(640, 80, 4);
  band.SetPalette(palette);
  palette->Release();
  band.FillRect(0, 0, 640, 80, 5);

  PanelScreen s;
  const int maxima[2] = {100, 0};
  const char* labels[2] = {"", ""};
  s.SetupStatusBars(&band, 2, maxima, labels, 120, 128);
  struct Case {
    int value;
    int length;
    uint8_t colour;
  } cases[] = {{9, 5, 10}, {10, 6, 20}, {39, 23, 20}, {40, 24, 30}};
  int values[4] = {cases[0].value, cases[1].value, cases[2].value, cases[3].value};
  s.DrawStatusBars(&band, 0, values, nullptr);
  const int columns[4] = {89, 249, 411, 572};
  for (int i = 0; i < 4; ++i) {
    int x = columns[i];
    EXPECT_EQ(At(g_backDDSurface, x, 415), cases[i].colour) << cases[i].value;
    EXPECT_EQ(At(g_backDDSurface, x + cases[i].length - 1, 415), cases[i].colour) << cases[i].value;
    EXPECT_EQ(At(g_backDDSurface, x + cases[i].length, 415), 5) << cases[i].value;
    EXPECT_EQ(At(g_backDDSurface, x, 416), 5) << "bars are 10 high";
  }
  // Clamped: below 0 no bar, above the maximum the full 60 in green.
  int extremes[4] = {-20, 0, 100, 1000000};
  s.DrawStatusBars(&band, 0, extremes, nullptr);
  EXPECT_EQ(At(g_backDDSurface, 89, 410), 5);
  EXPECT_EQ(At(g_backDDSurface, 249, 410), 5);
  EXPECT_EQ(At(g_backDDSurface, 411 + 59, 410), 30);
  EXPECT_EQ(At(g_backDDSurface, 411 + 60, 410), 5);
  EXPECT_EQ(At(g_backDDSurface, 572 + 59, 410), 30);
  // A row without a maximum prints numbers and draws no bar (no division).
  int scores[4] = {100, 200, 300, 400};
  s.DrawStatusBars(&band, 1, scores, nullptr);
  EXPECT_NE(At(g_backDDSurface, 89 + 50, 431), 30);
  // Rows that were not set up are ignored.
  s.DrawStatusBars(&band, 2, scores, nullptr);
  s.DrawStatusBars(&band, -1, scores, nullptr);
}

TEST(StatusBarRules, LengthAndColourTable) {
  struct Case {
    int value, maximum, length, colour;
  } cases[] = {{0, 100, 0, 0},     {9, 100, 5, 0},     {10, 100, 6, 1},   {39, 100, 23, 1},
               {40, 100, 24, 2},   {100, 100, 60, 2},  {101, 100, 60, 2}, {-5, 100, 0, 0},
               {5, 0, 0, 0},       {5, -10, 0, 0},     {1200, 2400, 30, 2},
               {2147483647, 2147483647, 60, 2}, {-2400, 2400, 0, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(StatusBarLength(c.value, c.maximum), c.length) << c.value << "/" << c.maximum;
    EXPECT_EQ(StatusBarColourIndex(c.value, c.maximum), c.colour) << c.value << "/" << c.maximum;
  }
}

TEST_F(PanelsTest, TileRectClipsRemaindersAndTheSurface) {
  InstallDialogTile();
  OptionsMenu menu(nullptr);
  DDSurface target(300, 200, 4);
  target.FillRect(0, 0, 300, 200, 0);
  // 180 x 60: one whole tile column and a 50-wide remainder, cut at 60 rows.
  menu.TileRect(&target, 10, 20, 180, 60);
  EXPECT_EQ(target.Row(20)[10], 40);
  EXPECT_EQ(target.Row(20)[139], 41);   // last column of the first tile
  EXPECT_EQ(target.Row(20)[140], 40);   // the second copy starts again
  EXPECT_EQ(target.Row(20)[189], 40);   // cut before its own last column
  EXPECT_EQ(target.Row(20)[190], 0);
  EXPECT_EQ(target.Row(79)[10], 40);    // cut before the tile's last row
  EXPECT_EQ(target.Row(80)[10], 0);
  EXPECT_EQ(target.Row(19)[10], 0);
  EXPECT_EQ(target.Row(20)[9], 0);
  // Across the surface's edges nothing is written outside it.
  menu.TileRect(&target, 250, 150, 500, 500);
  EXPECT_EQ(target.Row(199)[299], 40);
  menu.TileRect(&target, -100, -100, 150, 150);
  EXPECT_EQ(target.Row(0)[0], 40);
  EXPECT_EQ(target.Row(49)[49], 40);
  menu.TileRect(&target, 0, 0, 0, 10);
  menu.TileRect(&target, 0, 0, -5, 10);
  menu.TileRect(nullptr, 0, 0, 10, 10);
}

TEST_F(PanelsTest, OptionsOverlayResultsAndSettings) {
  ResetConfigurationDefaults();
  int savedMode = g_playMode;
  OptionsMenu menu(nullptr);
  menu.SetVisible(1);
  EXPECT_TRUE(menu.IsVisible());
  EXPECT_EQ(menu.Run(), 2);  // holds the game while open
  // Continue closes it.
  EXPECT_EQ(menu.Choose(), 1);
  EXPECT_FALSE(menu.IsVisible());
  // Volume steps clamp to 0..9.
  menu.SetVisible(0);
  menu.MoveSelection(OptionsMenu::kVolume);
  ASSERT_EQ(menu.GetSelected(), OptionsMenu::kVolume);
  for (int i = 0; i < 20; ++i) menu.ChangeValue(1);
  EXPECT_EQ(g_volume, 9);
  for (int i = 0; i < 20; ++i) menu.ChangeValue(-1);
  EXPECT_EQ(g_volume, 0);
  // Detail options switch.
  int detail = g_highDetail;
  menu.MoveSelection(OptionsMenu::kHighDetail - OptionsMenu::kVolume);
  menu.ChangeValue(1);
  EXPECT_EQ(g_highDetail, !detail);
  // The maze floor change waits for the maze to apply it.
  menu.MoveSelection(OptionsMenu::kMazeFloor - OptionsMenu::kHighDetail);
  g_mazeFloorPending = 0;
  menu.ChangeValue(1);
  EXPECT_EQ(g_mazeFloorPending, 1);
  // Leaving needs a yes.
  menu.MoveSelection(OptionsMenu::kLeave - OptionsMenu::kMazeFloor);
  EXPECT_EQ(menu.Choose(), 2);
  EXPECT_EQ(menu.GetPage(), OptionsMenu::kPageConfirmLeave);
  EXPECT_EQ(menu.Choose(), 2);  // "NO"
  EXPECT_EQ(menu.GetPage(), OptionsMenu::kPageItems);
  menu.Choose();
  menu.ChangeValue(1);  // "YES"
  EXPECT_EQ(menu.Choose(), -1);
  // In a network game an event's overlay does not hold the game.
  g_playMode = 2;
  menu.SetVisible(1);
  EXPECT_EQ(menu.Run(), 0);
  menu.SetVisible(0);
  EXPECT_EQ(menu.Run(), 2);
  // Selection wraps.
  menu.MoveSelection(-1);
  EXPECT_EQ(menu.GetSelected(), OptionsMenu::kLeave);
  g_playMode = savedMode;
  ResetConfigurationDefaults();
}

TEST(OptionsHelp, WrapsAndSurvivesBadFiles) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "kel_help_test";
  std::filesystem::create_directories(dir);
  std::filesystem::path file = dir / "help3.txt";
  {
    std::ofstream out(file, std::ios::binary);
    out << "THE QUICK BROWN FOX JUMPS\r\n\r\nOVER\tTHE LAZY DOG\x01\n"
        << std::string(30, 'X') << "\n";
  }
  std::vector<std::string> lines;
  ASSERT_TRUE(OptionsMenu::LoadHelpFile(file.string(), 10, &lines));
  std::vector<std::string> want = {"THE QUICK", "BROWN FOX", "JUMPS", "", "OVER THE",
                                   "LAZY DOG", "XXXXXXXXXX", "XXXXXXXXXX", "XXXXXXXXXX"};
  EXPECT_EQ(lines, want);
  std::vector<std::string> none;
  EXPECT_FALSE(OptionsMenu::LoadHelpFile((dir / "missing.txt").string(), 10, &none));
  EXPECT_TRUE(none.empty());
  std::filesystem::remove_all(dir);
}

// A help file with one enormous line: wrapped with work in proportion to
// its length (every row used to measure the whole rest of the line again),
// and only the head of a file far larger than any help text is read.
TEST(OptionsHelp, LongLinesWrapInLinearWorkAndFilesAreBounded) {
  size_t measured = 0;
  auto measure = [&measured](const std::string& t) {
    measured += t.size();
    return static_cast<int>(t.size()) * 8;  // 8 pixels a character
  };
  std::string text;
  while (text.size() < 40000) text += "WORD" + std::to_string(text.size() % 97) + " ";
  std::vector<std::string> rows;
  OptionsMenu::WrapHelpText(text, 368, measure, &rows);
  EXPECT_LT(measured, 20 * text.size());
  std::string joined;
  for (const std::string& r : rows) {
    EXPECT_LE(r.size() * 8, 368u) << r;
    EXPECT_FALSE(r.empty());
    joined += r + " ";
  }
  EXPECT_EQ(joined, text);

  std::filesystem::path dir = std::filesystem::temp_directory_path() / "kel_help_bound_test";
  std::filesystem::create_directories(dir);
  std::filesystem::path file = dir / "genHelp.txt";
  std::ofstream(file, std::ios::binary) << std::string(4 << 20, 'X') << "\nTAIL\n";
  rows.clear();
  measured = 0;
  ASSERT_TRUE(OptionsMenu::LoadHelpFile(file.string(), 368, measure, &rows));
  EXPECT_LE(rows.size(), 2000u);
  EXPECT_EQ(rows.front(), std::string(46, 'X'));
  EXPECT_NE(rows.back(), "TAIL");
  EXPECT_LT(measured, 20u * (64u << 10));
  std::filesystem::remove_all(dir);
}

int g_moods[4] = {0, 0, 0, 0};
int MoodOf(int player) { return g_moods[player]; }

TEST(FacePanelMoods, AnimationThenCallback) {
  FacePanel panel;
  g_moods[0] = 2;
  g_moods[1] = 0;
  g_moods[2] = 9;   // out of range: clamped
  g_moods[3] = -3;
  panel.SetMode(&MoodOf);
  EXPECT_EQ(panel.GetFrame(0), 1);
  for (int i = 0; i < 14; ++i) panel.Step();
  EXPECT_EQ(panel.GetFrame(0), 15);  // mood 0 ran frames 1..15
  EXPECT_EQ(panel.GetMood(0), 0);
  panel.Step();  // now the callback is asked
  EXPECT_EQ(panel.GetMood(0), 2);
  EXPECT_EQ(panel.GetFrame(0), 31);
  EXPECT_EQ(panel.GetFrame(1), 15);  // same mood: holds the last frame
  EXPECT_EQ(panel.GetMood(2), 5);
  EXPECT_EQ(panel.GetFrame(2), 76);
  EXPECT_EQ(panel.GetMood(3), 0);
  for (int i = 0; i < 14; ++i) panel.Step();
  EXPECT_EQ(panel.GetFrame(0), 45);
  panel.Step();
  EXPECT_EQ(panel.GetFrame(0), 45);  // still mood 2: held
  g_moods[0] = 1;
  panel.Step();
  EXPECT_EQ(panel.GetFrame(0), 16);
  panel.SetMode(nullptr);  // no callback: mood 0
  for (int i = 0; i < 15; ++i) panel.Step();
  EXPECT_EQ(panel.GetMood(0), 0);
}

TEST_F(PanelsTest, WaitBoxFadesOnlyWhenItOpens) {
  InstallDialogTile();
  PanelScreen s;
  uint32_t t0 = TimeGetTime();
  s.ShowWaitBox("Waiting for the following player(s):");
  uint32_t opening = TimeGetTime() - t0;
  EXPECT_GE(opening, 2u * 16u * 10u);  // out and in, 17 stages of 10 ms each
  EXPECT_TRUE(s.IsWaitBoxShown());
  EXPECT_EQ(At(g_backDDSurface, 5, 5), 40);  // the dialog tile fills the screen
  // The wait loops redraw the box on every pass: no fade then.
  for (int pass = 0; pass < 5; ++pass) {
    t0 = TimeGetTime();
    s.ShowWaitBox("Waiting for the following player(s):\n    ANNA\n");
    EXPECT_EQ(TimeGetTime() - t0, 0u) << pass;
  }
  s.CloseWaitBox();
  EXPECT_FALSE(s.IsWaitBoxShown());
  t0 = TimeGetTime();
  s.ShowWaitBox("again");
  EXPECT_GE(TimeGetTime() - t0, 2u * 16u * 10u);
}

}  // namespace
