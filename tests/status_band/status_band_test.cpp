// The status band of every event, as a player reads it: each event runs
// headless on the generated data into its play, and the band it draws is
// looked at pixel by pixel.
//
// The texts of the band (names, bar labels, numbers) are found by drawing
// the same frame again without the band's font: every pixel that changes is
// a pixel of a text. They must stand out from the panel under them (the
// brightness of the drawn colour against the colour without the text), and a
// player's name of ten wide letters must stay in its box with nothing drawn
// over it. Each frame is written to <build>/status-band/ for a person to
// look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/player_records.h"
#include "base/stopwatch.h"
#include "events/climbing/climbing_event.h"
#include "events/computer_throw/computer_throw_event.h"
#include "events/doggie_jump/doggie_jump_event.h"
#include "events/figure_skating/figure_skating_event.h"
#include "events/hippo_run/hippo_run_event.h"
#include "events/javelin_catch/javelin_event.h"
#include "events/kickboxing/kickboxing_event.h"
#include "events/maze3d/maze3d_event.h"
#include "events/roller_derby/derby_event.h"
#include "events/troubled_waters/swim_event.h"
#include "graphics/bitmap_font.h"
#include "graphics/bmp.h"
#include "graphics/display.h"
#include "graphics/palette.h"
#include "graphics/pixel_format.h"
#include "graphics/surface.h"
#include "graphics/text_fit.h"
#include "screen/face_panel.h"
#include "screen/game_screen.h"
#include "screen/game_screen_services.h"
#include "shell/shell.h"
#include "tests/support/event_harness.h"

namespace {

const std::string kGameData = std::string(KEL_BINARY_DIR) + "/gamedata";

struct EventCase {
  int number;
  const char* name;
  std::function<GameScreen*()> make;
  std::function<std::vector<std::pair<void*, size_t>>()> globals;
  int frame;  // a frame in play, past the title and its fade
};

const std::vector<EventCase>& Events() {
  static const std::vector<EventCase> events = {
      {1, "computer-throw", [] { return new ComputerThrowEvent(); }, ComputerThrowInstanceGlobals, 400},
      {2, "climbing", [] { return new ClimbingEvent(); }, ClimbingInstanceGlobals, 400},
      {3, "hippo-run", [] { return new HippoRunEvent(); }, HippoRunInstanceGlobals, 400},
      {4, "doggie-jump", [] { return new DoggieJumpEvent(); }, DoggieJumpInstanceGlobals, 400},
      {5, "troubled-waters", [] { return new swim::SwimEvent(); }, swim::SwimInstanceGlobals, 400},
      {6, "figure-skating", [] { return new FigureSkatingEvent(); }, FigureSkatingInstanceGlobals, 400},
      {7, "maze", [] { return new Maze3DEvent(); }, Maze3DInstanceGlobals, 400},
      {8, "kickboxing", [] { return new kick::KickboxingEvent(); }, kick::KickboxingInstanceGlobals, 200},
      {9, "javelin-catch", [] { return new jc::JavelinEvent(); }, jc::JavelinInstanceGlobals, 400},
      {10, "roller-derby", [] { return new derby::RollerDerbyEvent(); }, derby::DerbyInstanceGlobals, 400},
  };
  return events;
}

// One drawn frame: its pixels and the colours the display showed them in.
struct Frame {
  std::vector<uint8_t> pixels;  // 640 x 480
  bool itemsShown = false;      // the names end before each player's item
  std::array<PaletteEntry, 256> palette{};
  bool Valid() const { return pixels.size() == 640u * 480u; }
  uint8_t At(int x, int y) const { return pixels[size_t(y) * 640 + size_t(x)]; }
  double Brightness(int x, int y) const {
    const PaletteEntry& c = palette[At(x, y)];
    return 0.299 * c.red + 0.587 * c.green + 0.114 * c.blue;
  }
};

// Runs the event with four players of these names to its frame in
// play and keeps that frame; with `withFont` false the band's font is taken
// away first, so that no text of it is drawn.
Frame RunToFrame(const EventCase& e, const char* name, bool withFont) {
  HarnessOptions o;
  o.make = e.make;
  o.instanceGlobals = e.globals();
  o.eventIndex = e.number;
  o.seed = 11;
  // A person who stands idle (some events end at once when nobody plays)
  // and three computer players.
  for (int i = 0; i < 4; ++i) o.players[i] = FixturePlayer(i, i == 0, name, i);
  o.maxFrames = e.frame + 1;
  o.drawEvery = e.frame;
  Frame out;
  o.onFrame = [&](int, int frame, GameScreen* screen) {
    if (frame != e.frame) return;
    out.itemsShown = screen->StatusItemsShown();
    DDSurface* back = ShellBackSurface();
    DDPalette* palette = g_primaryDDSurface ? g_primaryDDSurface->GetPalette() : nullptr;
    if (!back || !palette) return;
    uint8_t* bits = nullptr;
    int pitch = 0;
    if (back->Lock(&bits, &pitch) != 0) return;
    out.pixels.resize(640u * 480u);
    for (int y = 0; y < 480; ++y) std::copy(bits + size_t(y) * pitch, bits + size_t(y) * pitch + 640, &out.pixels[size_t(y) * 640]);
    back->Unlock();
    std::copy(palette->Entries(), palette->Entries() + 256, out.palette.begin());
  };
  BitmapFont* font = g_screenText;
  if (!withFont) g_screenText = nullptr;
  RunEventHarness(o);
  g_screenText = font;
  return out;
}

void Keep(const Frame& f, const std::string& file) {
  const std::filesystem::path dir = std::filesystem::path(KEL_BINARY_DIR) / "status-band";
  std::filesystem::create_directories(dir);
  const std::vector<uint8_t> bmp = EncodeBmp8(f.pixels.data(), 640, 480, 640, f.palette.data());
  if (FILE* out = std::fopen((dir / file).c_str(), "wb")) {
    std::fwrite(bmp.data(), 1, bmp.size(), out);
    std::fclose(out);
  }
}

// The faces animate on their own; what changes there is no text.
bool InFaceBox(int x, int y) {
  if (y < kStatusBandTop || y >= kStatusBandTop + 62) return false;
  for (int p = 0; p < 4; ++p)
    if (x >= kFaceX[p] - 3 && x < kFaceX[p] + 73) return true;
  return false;
}

class StatusBand : public ::testing::TestWithParam<EventCase> {
 protected:
  static void SetUpTestSuite() {
    setenv("KELVANTHROP_DATA_ROOT", kGameData.c_str(), 1);
    setenv("KELVANTHROP_HEADLESS", "1", 0);
    if (!g_timers) ownServices_ = ShellCreateServices();
  }
  static void TearDownTestSuite() {
    if (ownServices_) ShellDestroyServices();
    ownServices_ = false;
    unsetenv("KELVANTHROP_DATA_ROOT");
  }
  static bool ownServices_;
};
bool StatusBand::ownServices_ = false;

// A text pixel stands out when its brightness differs from the panel's
// under it by this much (of 255): white on the dark panels differs by well
// over 150, black on them by nearly nothing.
constexpr double kStandsOut = 90.0;

TEST_P(StatusBand, TextsStandOutAndNamesStayInTheirBoxes) {
  const EventCase& e = GetParam();
  ASSERT_NE(g_screenText, nullptr) << "the band's font under " << kGameData;
  const char* wide = "WWWWWWWWWW";
  const Frame shown = RunToFrame(e, wide, true);
  const Frame bare = RunToFrame(e, wide, false);
  const Frame unnamed = RunToFrame(e, "", true);
  ASSERT_TRUE(shown.Valid() && bare.Valid() && unnamed.Valid()) << e.name << ": no frame " << e.frame;
  Keep(shown, std::string(e.name) + ".bmp");

  // Every pixel the band's font drew, against the panel without it.
  int drawn = 0, standing = 0;
  for (int y = kStatusBandTop; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      if (InFaceBox(x, y) || shown.At(x, y) == bare.At(x, y)) continue;
      ++drawn;
      if (std::fabs(shown.Brightness(x, y) - bare.Brightness(x, y)) >= kStandsOut) ++standing;
    }
  EXPECT_GT(drawn, 400) << e.name << ": the band's texts are drawn";
  EXPECT_GE(standing, drawn * 3 / 4) << e.name << ": of " << drawn << " text pixels only " << standing
                                     << " stand out from the panel";

  // Each name: its pixels in its box, as many as the name has alone on a
  // blank surface (none hidden under an item or a number), and standing out.
  for (int p = 0; p < 4; ++p) {
    const TextBox box = StatusNameBox(p, shown.itemsShown);
    int inside = 0, outside = 0, bright = 0;
    for (int y = kStatusBandTop; y < 480; ++y)
      for (int x = 160 * p; x < 160 * (p + 1); ++x) {
        if (InFaceBox(x, y) || shown.At(x, y) == unnamed.At(x, y)) continue;
        const bool in = x >= box.x && x < box.x + box.width && y >= box.y && y < box.y + box.height;
        (in ? inside : outside) += 1;
        if (std::fabs(shown.Brightness(x, y) - unnamed.Brightness(x, y)) >= kStandsOut) ++bright;
      }
    DDSurface alone(box.width, box.height, kFormatIndexed8);
    alone.FillRect(0, 0, box.width, box.height, 0);
    g_screenText->SetInkIndex(200);
    DrawTextInBox(g_screenText, &alone, TextBox{0, 0, box.width, box.height}, wide, 0, false);
    g_screenText->SetInkIndex(-1);
    int glyph = 0;
    uint8_t* bits = nullptr;
    int pitch = 0;
    ASSERT_EQ(alone.Lock(&bits, &pitch), 0);
    for (int y = 0; y < box.height; ++y)
      for (int x = 0; x < box.width; ++x) glyph += bits[y * pitch + x] != 0;
    alone.Unlock();
    EXPECT_EQ(outside, 0) << e.name << ": player " << p << "'s name leaves its box";
    EXPECT_GE(inside, glyph * 9 / 10) << e.name << ": player " << p << "'s name shows " << inside << " of its "
                                     << glyph << " pixels (something is drawn over it)";
    EXPECT_GE(bright, inside * 3 / 4) << e.name << ": player " << p << "'s name stands out in " << bright
                                      << " of " << inside << " pixels";
  }

  // The attempts panels: the label and the three results inside the box
  // under the energy bar's trough (rows 421..460 inside its border).
  if (e.number == 1 || e.number == 4) {
    for (int p = 0; p < 4; ++p) {
      const TextBox label = StatusAttemptLabelBox(p);
      int inside = 0, outside = 0;
      for (int y = 419; y < 462; ++y)
        for (int x = label.x; x < label.x + label.width; ++x) {
          if (shown.At(x, y) == bare.At(x, y)) continue;
          (y >= 421 && y <= 460 ? inside : outside) += 1;
        }
      EXPECT_GT(inside, 100) << e.name << ": player " << p << "'s attempts are shown";
      EXPECT_EQ(outside, 0) << e.name << ": player " << p << "'s attempts leave their box";
    }
  }
}

void PrintTo(const EventCase& e, std::ostream* os) { *os << e.name; }

INSTANTIATE_TEST_SUITE_P(EveryEvent, StatusBand, ::testing::ValuesIn(Events()),
                         [](const ::testing::TestParamInfo<EventCase>& info) {
                           std::string n = info.param.name;
                           std::replace(n.begin(), n.end(), '-', '_');
                           return n;
                         });

}  // namespace
