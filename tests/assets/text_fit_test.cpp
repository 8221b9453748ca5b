// Every text the game shows, drawn with the game's own fonts into the box
// the screen shows it in: a pixel outside the box, or a text that had to be
// cut to fit, fails the check. The strings of the string table go by where
// they are shown (menu rows and values, the training picker, the status
// band, the hint line, the wait box); the help pages are wrapped as the
// options overlay wraps them, with every control set's key names put in.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/string.h"
#include "base/string_table.h"
#include "frontend/menu_rules.h"
#include "frontend/new_game_screen.h"
#include "frontend/shop_screen.h"
#include "graphics/bitmap_font.h"
#include "graphics/pixel_format.h"
#include "graphics/surface.h"
#include "graphics/text_fit.h"
#include "input/control_names.h"
#include "input/input.h"
#include "screen/game_screen.h"
#include "screen/options_menu.h"
#include "events/computer_throw/computer_throw_data.h"

namespace {

std::string Program(const std::string& rel) { return std::string(KEL_GAMEDATA_DIR) + "/program/" + rel; }

struct Fonts {
  std::unique_ptr<BitmapFont> menu = LoadFontFile(Program("menu/font8.mbm"));
  std::unique_ptr<BitmapFont> highlight = LoadFontFile(Program("menu/font8_2.mbm"));
  std::unique_ptr<BitmapFont> small = LoadFontFile(Program("menu/font8s.mbm"));  // the overlay's
  std::unique_ptr<BitmapFont> screen = LoadFontFile(Program("menu/char.mbm"));   // the status band's
  bool Loaded() const { return menu && highlight && small && screen; }
};

// The text is drawn onto a surface of its box with a margin all round: a
// text that leaves its box puts its first pixels there.
constexpr int kMargin = 24;

struct Placement {
  BitmapFont* font;
  TextBox box;
  uint32_t flags = 0;
  bool wrap = false;
  int rowStep = 0;
};

// Pixels of the text outside its box (and whether it had to be cut).
struct Outcome {
  int outside = 0;
  bool complete = true;
};

Outcome Draw(const Placement& p, const std::string& text) {
  DDSurface surface(p.box.width + 2 * kMargin, p.box.height + 2 * kMargin, kFormatIndexed8);
  surface.FillRect(0, 0, surface.GetWidth(), surface.GetHeight(), 0);
  const TextBox box{kMargin, kMargin, p.box.width, p.box.height};
  TextLayout layout = FitText(p.font, text, box.width, box.height, p.wrap, p.rowStep);
  p.font->SetInkIndex(200);
  DrawTextLayout(p.font, &surface, box, layout, p.flags);
  p.font->SetInkIndex(-1);
  Outcome out;
  out.complete = layout.complete;
  uint8_t* bits = nullptr;
  int pitch = 0;
  if (surface.Lock(&bits, &pitch) != 0) return out;
  for (int y = 0; y < surface.GetHeight(); ++y)
    for (int x = 0; x < surface.GetWidth(); ++x)
      if (bits[y * pitch + x] != 0 &&
          (x < box.x || x >= box.x + box.width || y < box.y || y >= box.y + box.height))
        ++out.outside;
  surface.Unlock();
  return out;
}

void ExpectFits(const Placement& p, const std::string& text, const std::string& what) {
  Outcome o = Draw(p, text);
  EXPECT_EQ(o.outside, 0) << what << ": \"" << text << "\" leaves its box " << p.box.x << "," << p.box.y
                          << " " << p.box.width << "x" << p.box.height;
  EXPECT_TRUE(o.complete) << what << ": \"" << text << "\" does not fit its box even made smaller";
}

// The control sets whose key names the texts are shown with.
struct ControlSet {
  const char* name;
  int32_t mode1, mode2;
};
constexpr ControlSet kControlSets[] = {
    {"keys 1", kControlKeys1, kControlKeys2},
    {"keys 2", kControlKeys2, kControlKeys1},
    {"joystick 1", kControlJoy1, kControlKeys1},
    {"joystick 2", kControlJoy2, kControlKeys2},
};

class TextFit : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fonts_.Loaded()) << "the generated fonts under " << KEL_GAMEDATA_DIR;
    ResetControlsToDefaults();
  }
  void TearDown() override { ResetControlsToDefaults(); }
  void Use(const ControlSet& c) {
    g_controlModes[0] = c.mode1;
    g_controlModes[1] = c.mode2;
  }
  Fonts fonts_;
};

TEST_F(TextFit, EveryStringOfTheTableInItsBox) {
  MenuItem centred;
  centred.labelFlags = 6;
  MenuItem keyLabel;  // the key and button screens' labels, left of the value column
  keyLabel.valueOn = 1;
  keyLabel.xOffset = 60;
  const Placement menuLabel{fonts_.highlight.get(), MenuLabelBox(centred, 3), kFontAlignCentre};
  const Placement keyScreenLabel{fonts_.highlight.get(), MenuLabelBox(keyLabel, 3)};
  const Placement menuValue{fonts_.highlight.get(), MenuValueBox(3)};
  const Placement pickerTitle{fonts_.highlight.get(), kPickerTitleBox, kFontAlignCentre};
  const Placement barLabel{fonts_.screen.get(), StatusLabelBox(3, 0)};
  const Placement attemptLabel{fonts_.screen.get(), StatusAttemptLabelBox(2)};
  const Placement hint{fonts_.screen.get(), kHintBox, kFontAlignCentre};
  const Placement helpScroll{fonts_.small.get(), OptionsMenu::HelpScrollBox(), kFontAlignCentre};
  const Placement waitBox{fonts_.small.get(), TextBox{50, 40, 540, 400}, 0, true};
  const Placement screenRow{fonts_.menu.get(), TextBox{20, 0, 600, 26}, kFontAlignCentre};

  int checked = 0;
  for (const auto& [id, text] : ProgramStringTable()) {
    const std::string what = "string " + std::to_string(id);
    const Placement* p = &screenRow;
    if ((id >= 100 && id <= 355) || (id >= 500 && id <= 531) || (id >= 10184 && id <= 10188))
      p = &menuValue;
    else if (id >= 10172 && id <= 10182)
      p = &keyScreenLabel;
    else if (id >= 10150 && id <= 10191)
      p = &menuLabel;
    else if (id >= 10300 && id <= 10339)
      p = (id - 10300) % 4 == 0 ? &pickerTitle : nullptr;  // descriptions: below, as one text
    else if (id == 1000 || id == 1004 || id == 1006 || id == 1007 || id == 1039 || id == 1040)
      p = &barLabel;
    else if (id >= 10504 && id <= 10506)
      p = &attemptLabel;
    else if (id == 10605)
      p = &helpScroll;
    else if (id >= 10600)
      p = &hint;
    else if ((id >= 1008 && id <= 1019) || (id >= 1041 && id <= 1044) || id == 10503 ||
             (id >= 10533 && id <= 10549) || id == 10561)
      p = &waitBox;
    if (!p) continue;
    for (const ControlSet& c : kControlSets) {
      Use(c);
      ExpectFits(*p, ExpandControlNames(text), what + " with " + c.name);
      if (text.find('{') == std::string::npos) break;
    }
    ++checked;
  }
  EXPECT_GT(checked, 300);

  const Placement description{fonts_.menu.get(), kPickerDescriptionBox, kFontAlignCentre, true,
                              kMenuTextRowStep};
  for (const ControlSet& c : kControlSets) {
    Use(c);
    for (int e = 1; e <= 10; ++e)
      ExpectFits(description, TrainingDescription(e),
                 "the description of event " + std::to_string(e) + " with " + c.name);
  }
}

TEST_F(TextFit, NamesOfTenCharactersInTheirSlots) {
  for (const char* name : {"WWWWWWWWWW", "MMMMMMMMMM", "@@@@@@@@@@", "Wiiiiiiiii", "AAAAAAAAAA"})
    for (int player = 0; player < 4; ++player) {
      for (bool beforeItem : {false, true})
        ExpectFits(Placement{fonts_.screen.get(), StatusNameBox(player, beforeItem)}, name,
                   "the name of player " + std::to_string(player) + (beforeItem ? " before his item" : ""));
      // In his box on the new-game screen.
      ExpectFits(Placement{fonts_.small.get(), NewGameNameBox(player), kFontAlignCentre}, name,
                 "the new game's name of player " + std::to_string(player));
    }
  // A name that fits its box's width is drawn at the font's own size: drawn
  // smaller, rows are dropped (the middle bar of "BOB" goes, and it reads
  // "DOD").
  for (int player = 0; player < 4; ++player)
    for (bool beforeItem : {false, true}) {
      const TextBox box = StatusNameBox(player, beforeItem);
      EXPECT_EQ(FitText(fonts_.screen.get(), "BOB", box.width, box.height, false).scale, 1.0f)
          << "player " << player << (beforeItem ? " before his item" : "");
    }
  // Each name before the item shown right of it.
  for (int player = 0; player < 4; ++player) {
    const TextBox box = StatusNameBox(player, true);
    EXPECT_LE(box.x + box.width, StatusItemX(player) - 1) << "player " << player;
  }
  // The attempts' results in their panels: the longest a distance gets.
  for (int player = 0; player < 4; ++player)
    for (int k = 0; k < 3; ++k)
      ExpectFits(Placement{fonts_.screen.get(), StatusAttemptBox(player, k)}, "99.99 m",
                 "a result of player " + std::to_string(player));
  // The longest distance on the judge's board in COMPUTER THROW.
  ExpectFits(Placement{fonts_.screen.get(), TextBox{0, 0, throwassets::kJudgeBoardW - 4, throwassets::kJudgeBoardH - 2},
                       kFontAlignCentre},
             "99.99 m", "the judge's board");
  // The labels of the shop's bars.
  const unsigned kShopLabels[4] = {1000, 10106, 10107, 1039};
  for (int k = 0; k < 4; ++k)
    ExpectFits(Placement{fonts_.small.get(), ShopBarLabelBox(k), kFontAlignCentre}, GetStringText(kShopLabels[k]),
               "the shop's bar label " + std::to_string(kShopLabels[k]));
}

// The help pages as the overlay shows them: wrapped once to the page's
// width, each row inside its row's box, and no row that could still have
// taken the next word of its paragraph.
TEST_F(TextFit, HelpPagesWrapOnceInsideTheOverlay) {
  const TextMeasure measure = FontMeasure(fonts_.small.get());
  auto byString = [&measure](const std::string& t) { return measure(t); };
  std::vector<std::string> files = {"menu/txt/genHelp.txt"};
  for (int e = 1; e <= 10; ++e) files.push_back("menu/txt/help" + std::to_string(e) + ".txt");
  for (const std::string& file : files) {
    std::string text;
    ASSERT_TRUE(OptionsMenu::ReadHelpFile(Program(file), &text)) << file;
    // Wrapped once, by the overlay: a paragraph never goes on in the file's
    // next line (a line that begins in the middle of a sentence).
    for (size_t nl = text.find('\n'); nl != std::string::npos && nl + 1 < text.size(); nl = text.find('\n', nl + 1))
      EXPECT_FALSE(std::islower(static_cast<unsigned char>(text[nl + 1])))
          << file << ": a paragraph broken by hand before \"" << text.substr(nl + 1, 20) << "\"";
    for (const ControlSet& c : kControlSets) {
      Use(c);
      for (int players = 1; players <= 2; ++players) {
        const std::string expanded = ExpandControlNames(text, players);
        EXPECT_EQ(expanded.find('{'), std::string::npos) << file;
        // Paragraph by paragraph (a line of the file each), as the overlay
        // wraps them.
        size_t pos = 0, shown = 0;
        while (pos < expanded.size()) {
          size_t eol = expanded.find('\n', pos);
          if (eol == std::string::npos) eol = expanded.size();
          std::vector<std::string> rows;
          OptionsMenu::WrapHelpText(expanded.substr(pos, eol - pos), OptionsMenu::HelpTextWidth(), byString,
                                    &rows);
          pos = eol + 1;
          for (size_t i = 0; i < rows.size(); ++i, ++shown) {
            const std::string what = file + " with " + c.name + ", row " + std::to_string(shown);
            const Placement row{fonts_.small.get(), OptionsMenu::HelpRowBox(static_cast<int>(shown % 10))};
            ExpectFits(row, rows[i], what);
            if (i + 1 < rows.size()) {
              const std::string next = rows[i + 1].substr(0, rows[i + 1].find(' '));
              EXPECT_GT(measure(rows[i] + " " + next), OptionsMenu::HelpTextWidth())
                  << what << ": \"" << rows[i] << "\" could have taken \"" << next << "\"";
            }
          }
        }
        EXPECT_GT(shown, 2u) << file;
      }
    }
  }
}

// Each event's help page says what its keys do, with player 1's default
// keys, as the event's code reads them, and how to reach what is not chosen
// at the start.
TEST_F(TextFit, HelpPagesSayWhatTheKeysDo) {
  const struct {
    int event;
    std::vector<const char*> says;
  } cases[] = {
      {1, {"Tap Shift again and again to spin up", "hold Ctrl to aim and let go to throw"}},
      {2, {"Ctrl with Up or Down and a side punches or kicks", "Shift steps from the fists to the weapon"}},
      {3, {"You start with the punch", "Shift steps to the weapon, the power pill and the push",
           "push it up the course with Ctrl"}},
      {4, {"Tap Shift again and again to run up", "Hold Ctrl to show the power meter and let go to take off"}},
      {5, {"Ctrl throws your weapon the way you swim", "Shift switches to the power pill"}},
      {6, {"Ctrl attacks", "Shift steps from the attack to the weapon, the power pill and the jump"}},
      {7, {"Ctrl throws your weapon", "Shift steps to the power pill and the fists"}},
      {8, {"Ctrl punches; pressed again at once it kicks", "Shift steps from the fists to the weapon"}},
      {9, {"stand where something falls to catch it", "Nothing is caught while Ctrl is held", "Ctrl punches"}},
      {10, {"Up pushes off", "Down brakes", "Ctrl punches", "Shift steps to the weapon and the power pill"}},
  };
  for (const auto& c : cases) {
    std::string text;
    ASSERT_TRUE(OptionsMenu::ReadHelpFile(Program("menu/txt/help" + std::to_string(c.event) + ".txt"), &text));
    const std::string page = ExpandControlNames(text);
    for (const char* phrase : c.says) EXPECT_NE(page.find(phrase), std::string::npos) << c.event << ": " << page;
    for (const char* wrong : {"kick with Shift", "Push your hippo along the course with Ctrl", "Ctrl speeds up",
                              "Shift fires", "Ctrl fires", "catch them with Ctrl"})
      EXPECT_EQ(page.find(wrong), std::string::npos) << c.event << ": " << page;
  }
}

}  // namespace
