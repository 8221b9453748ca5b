// Texts that tell the player what to press, and wrapping them: the names of
// the bound keys and buttons for every control mode, the placeholders of the
// help pages and training descriptions, and the word wrap by real widths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "frontend/menu_rules.h"
#include "graphics/text_fit.h"
#include "input/control_names.h"
#include "input/input.h"

namespace {

// The controls of both players for one test, put back afterwards.
class ControlsScope {
 public:
  ControlsScope() { ResetControlsToDefaults(); }
  ~ControlsScope() { ResetControlsToDefaults(); }
};

TEST(ControlNames, EveryDefaultBinding) {
  ControlsScope scope;
  using A = ControlAction;
  struct Case {
    int32_t mode;
    A action;
    const char* name;
  } cases[] = {
      {kControlKeys1, A::kAction1, "Ctrl"},
      {kControlKeys1, A::kAction2, "Shift"},
      {kControlKeys1, A::kAction3, "NONE"},
      {kControlKeys1, A::kUp, "Up"},
      {kControlKeys1, A::kDown, "Down"},
      {kControlKeys1, A::kLeft, "Left"},
      {kControlKeys1, A::kRight, "Right"},
      {kControlKeys1, A::kDirections, "the arrow keys"},
      {kControlKeys2, A::kAction1, "Space"},
      {kControlKeys2, A::kAction2, "Q"},
      {kControlKeys2, A::kAction3, "NONE"},
      {kControlKeys2, A::kUp, "W"},
      {kControlKeys2, A::kDown, "S"},
      {kControlKeys2, A::kLeft, "A"},
      {kControlKeys2, A::kRight, "D"},
      {kControlKeys2, A::kDirections, "W/A/S/D"},
      {kControlJoy1, A::kAction1, "Joystick button 1"},
      {kControlJoy1, A::kAction2, "Joystick button 2"},
      {kControlJoy1, A::kAction3, "Joystick button 3"},
      {kControlJoy1, A::kUp, "Joystick up"},
      {kControlJoy1, A::kDirections, "the joystick"},
      {kControlJoy2, A::kAction1, "Joystick button 1"},
      {kControlJoy2, A::kAction2, "Joystick button 2"},
      {kControlJoy2, A::kLeft, "Joystick left"},
  };
  for (const Case& c : cases) {
    for (int player = 0; player < 2; ++player) {
      g_controlModes[player] = c.mode;
      g_controlModes[1 - player] = c.mode == kControlKeys1 ? kControlKeys2 : kControlKeys1;
      EXPECT_EQ(ControlName(player, c.action), c.name)
          << "player " << player << " mode " << c.mode << " action " << static_cast<int>(c.action);
    }
  }
}

TEST(ControlNames, FollowRedefinedKeysAndButtons) {
  ControlsScope scope;
  g_keySets[0][kKeyAction1] = 'X';
  g_keySets[0][kKeyLeft] = 'J';
  EXPECT_EQ(ControlName(0, ControlAction::kAction1), "X");
  EXPECT_EQ(ControlName(0, ControlAction::kDirections), "Up/J/Down/Right");
  g_controlModes[1] = kControlJoy2;
  g_joystickConfig2[1] = 20;  // BUTTON 17
  EXPECT_EQ(ControlName(1, ControlAction::kAction2), "Joystick button 17");
  g_joystickConfig2[0] = 99;  // not a button: said so, not a made-up number
  EXPECT_EQ(ControlName(1, ControlAction::kAction1), "NONE");
}

TEST(ControlNames, ExpandPlaceholders) {
  ControlsScope scope;
  struct Case {
    const char* text;
    int players;
    const char* want;
  } cases[] = {
      {"Tap {ACTION 2} to spin, hold {ACTION 1} to aim.", 1, "Tap Shift to spin, hold Ctrl to aim."},
      // Texts in capitals keep the names in capitals.
      {"HOLD {ACTION 1} TO SKIP THIS THROW", 1, "HOLD CTRL TO SKIP THIS THROW"},
      {"CLIMB WITH {DIRECTIONS}.", 1, "CLIMB WITH THE ARROW KEYS."},
      // Two on one keyboard: both players' keys.
      {"Punch with {ACTION 1}.", 2, "Punch with Ctrl or Space."},
      // Unknown or unclosed braces stay as they are.
      {"{ACTION 9} {NOPE} {ACTION 1", 1, "{ACTION 9} {NOPE} {ACTION 1"},
      {"{{ACTION 1}}", 1, "{CTRL}"},
      {"{UP}{DOWN}{LEFT}{RIGHT}", 1, "UPDOWNLEFTRIGHT"},
      {"", 1, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ExpandControlNames(c.text, c.players), c.want) << c.text;
}

TEST(ControlNames, TrainingDescriptionsNameTheKeys) {
  ControlsScope scope;
  for (int e = 1; e <= 10; ++e) {
    std::string d = TrainingDescription(e);
    EXPECT_FALSE(d.empty()) << e;
    EXPECT_EQ(d.find('{'), std::string::npos) << "event " << e << ": " << d;
    EXPECT_EQ(d.find("ACTION"), std::string::npos) << "event " << e << ": " << d;
  }
  EXPECT_NE(TrainingDescription(1).find("HOLD CTRL TO AIM"), std::string::npos)
      << TrainingDescription(1);
  g_controlModes[0] = kControlJoy1;
  EXPECT_NE(TrainingDescription(1).find("HOLD JOYSTICK BUTTON 1 TO AIM"), std::string::npos);
  EXPECT_EQ(TrainingDescription(0), "");
  EXPECT_EQ(TrainingDescription(11), "");
}

// What each description says the keys do, with player 1's default keys, as
// the events' code reads them; and none of the claims they once made that
// the events never kept (a kick on the second key, the push on the first
// from the start, speeding up on the first key...).
TEST(ControlNames, TrainingDescriptionsSayWhatTheKeysDo) {
  ControlsScope scope;
  const struct {
    int event;
    std::vector<const char*> says;
  } cases[] = {
      {1, {"TAP SHIFT TO SPIN UP", "HOLD CTRL TO AIM"}},
      {2, {"CTRL WITH UP OR DOWN AND A SIDE PUNCHES OR KICKS", "SHIFT STEPS TO THE WEAPON AND THE PILL"}},
      {3, {"START WITH THE PUNCH", "PRESS SHIFT TILL THE PUSH SHOWS", "PUSH IT WITH CTRL"}},
      {4, {"TAP SHIFT AGAIN AND AGAIN TO RUN UP", "HOLD CTRL AND LET GO TO TAKE OFF"}},
      {5, {"CTRL THROWS YOUR WEAPON", "SHIFT SWITCHES TO THE POWER PILL"}},
      {6, {"CTRL ATTACKS", "SHIFT STEPS TO THE WEAPON, THE PILL AND THE JUMP"}},
      {7, {"CTRL THROWS YOUR WEAPON", "SHIFT STEPS TO THE PILL AND THE FISTS"}},
      {8, {"CTRL PUNCHES", "PRESSED AGAIN AT ONCE IT KICKS", "SHIFT STEPS TO THE WEAPON AND THE PILL"}},
      {9, {"STAND WHERE A JAVELIN FALLS TO CATCH IT", "CTRL PUNCHES", "SHIFT STEPS TO THE WEAPON"}},
      {10, {"UP PUSHES OFF", "DOWN BRAKES", "CTRL PUNCHES", "SHIFT STEPS TO THE WEAPON AND THE PILL"}},
  };
  for (const auto& c : cases) {
    const std::string d = TrainingDescription(c.event);
    for (const char* phrase : c.says) EXPECT_NE(d.find(phrase), std::string::npos) << c.event << ": " << d;
    for (const char* wrong : {"KICK WITH SHIFT", "PUSH YOUR HIPPO WITH CTRL", "CTRL SPEEDS UP", "SHIFT FIRES",
                              "CTRL SHOOTS", "SHIFT CHOOSES A WEAPON", "CATCH THEM WITH CTRL"})
      EXPECT_EQ(d.find(wrong), std::string::npos) << c.event << ": " << d;
  }
}

// A measure with widths that differ by letter, as a real font's do.
int Width(std::string_view t) {
  int w = 0;
  for (char c : t) w += c == ' ' ? 4 : c == 'i' || c == 'l' ? 3 : c == 'm' || c == 'w' ? 11 : 8;
  return w;
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> w;
  for (std::string s; in >> s;) w.push_back(s);
  return w;
}

// Every word once and in order, no row over the width, no row that could
// still have taken the next row's first word, no row of spaces only.
TEST(TextWrap, WordsWrapOnceByTheirWidths) {
  const std::string help =
      "Tap Shift to spin up and build power. Hold Ctrl to aim: the needle swings through the "
      "angles. Let go to throw. The computer must come down past the line: one that lands short "
      "of it is a foul.";
  struct Case {
    std::string text;
    int width;
  } cases[] = {
      {help, 368}, {help, 200}, {help, 90}, {help, 2000},
      {"and the the judge calls a foul.", 60},
      {"  leading and trailing spaces   ", 50},
      {"a  b   c    d", 12},
      {"mmmmmmmmmmmmmmmm iii", 40},  // a word wider than the row is cut where it must be
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text + " @" + std::to_string(c.width));
    std::vector<std::string> rows = WrapText(c.text, c.width, Width);
    ASSERT_FALSE(rows.empty());
    std::string joined;
    for (size_t i = 0; i < rows.size(); ++i) {
      const std::string& r = rows[i];
      EXPECT_FALSE(r.empty());
      EXPECT_NE(r.front(), ' ');
      EXPECT_NE(r.back(), ' ');
      EXPECT_TRUE(Width(r) <= c.width || r.size() == 1) << r;
      if (i + 1 < rows.size()) {
        std::vector<std::string> next = Words(rows[i + 1]);
        // The next row's first word did not fit here (unless it was cut).
        if (!next.empty() && Words(r).size() > 0 && Width(next[0]) <= c.width)
          EXPECT_GT(Width(r + " " + next[0]), c.width) << "row " << i << " could take " << next[0];
      }
      joined += (joined.empty() ? "" : " ") + r;
    }
    if (Width("mmmmmmmmmmmmmmmm") <= c.width || c.text.find("mmmm") == std::string::npos)
      EXPECT_EQ(Words(joined), Words(c.text));
  }
  // A paragraph per line: blank lines stay, nothing is joined across them.
  std::vector<std::string> rows = WrapText("TITLE\n\nfirst paragraph\nsecond", 1000, Width);
  EXPECT_EQ(rows, (std::vector<std::string>{"TITLE", "", "first paragraph", "second"}));
  // The bound on rows holds.
  EXPECT_EQ(WrapText(help, 40, Width, 3).size(), 3u);
}

const char* OneProvider(int i) { return i == 0 ? "UDP NETWORK" : nullptr; }

// The rows of a menu line up: the connection list stands as one block in
// the middle of the panel (its rows sharing their left edge), and menus
// drawn from row 0 lift the logo so that no row sits on its edge.
TEST(MenuLayout, ListsStandInTheMiddleAndClearTheLogo) {
  ControlsScope scope;
  MenuSources sources;
  sources.providerName = &OneProvider;
  MenuRows rows;
  BuildMenu(kMenuMain, &rows, sources);
  EXPECT_EQ(MenuLogoLift(rows), 0);
  for (int menu : {kMenuConnections, kMenuKeys, kMenuButtons}) {
    rows.Clear();
    BuildMenu(menu, &rows, sources);
    EXPECT_EQ(MenuLogoLift(rows), kMenuLogoHeight - kMenuPanelY) << menu;
    const TextBox first = MenuLabelBox(rows.items[0], 0, MenuBlockLeft(rows, Width));
    EXPECT_GE(first.y, kMenuLogoHeight - MenuLogoLift(rows)) << menu;
  }

  rows.Clear();
  BuildMenu(kMenuConnections, &rows, sources);
  const int left = MenuBlockLeft(rows, Width);
  int widest = 0;
  for (int i = 0; i < rows.count; ++i) {
    const TextBox b = MenuLabelBox(rows.items[i], i, left);
    EXPECT_EQ(b.x, left) << rows.items[i].label;
    widest = std::max(widest, Width(rows.items[i].label));
    EXPECT_LE(b.x + Width(rows.items[i].label), kMenuPanelX + kMenuPanelW) << rows.items[i].label;
  }
  // The block's middle is the panel's.
  EXPECT_LE(std::abs(left + widest / 2 - (kMenuPanelX + kMenuPanelW / 2)), 1);

  // The key screen: label and value columns apart, both inside the panel.
  rows.Clear();
  BuildMenu(kMenuKeys, &rows, sources);
  for (int i = 0; i < 6; ++i) {
    const TextBox label = MenuLabelBox(rows.items[i], i, left), value = MenuValueBox(i);
    EXPECT_LT(label.x + label.width, value.x) << i;
    EXPECT_LE(value.x + value.width, kMenuPanelX + kMenuPanelW) << i;
    EXPECT_EQ(label.y, value.y) << i;
  }
}

}  // namespace
