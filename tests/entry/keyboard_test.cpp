// The window procedure's keyboard and mouse half, driven by scripted SDL
// events exactly as the event loop hands them over.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/keyboard.h"
#include "platform/keymap.h"
#include "platform/window_events.h"

namespace {

SDL_Event Key(Uint32 type, SDL_Scancode sc, bool repeat = false) {
  SDL_Event e{};
  e.type = type;
  e.key.keysym.scancode = sc;
  e.key.repeat = repeat ? 1 : 0;
  return e;
}

SDL_Event Text(const char* utf8) {
  SDL_Event e{};
  e.type = SDL_TEXTINPUT;
  SDL_strlcpy(e.text.text, utf8, sizeof e.text.text);
  return e;
}

class KeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetKeyboardState(); }
  void Feed(const SDL_Event& e) { HandleWindowEvent(e, handlers_); }
  void Tap(SDL_Scancode sc) {
    Feed(Key(SDL_KEYDOWN, sc));
    Feed(Key(SDL_KEYUP, sc));
  }
  std::string DrainTyped() {
    std::string s;
    while (char c = ReadTypedChar()) s += c;
    return s;
  }
  WindowEventHandlers handlers_;
};

TEST_F(KeyboardTest, HeldKeyCountsOnePressAndRepeatsOnlyKeepItDown) {
  Feed(Key(SDL_KEYDOWN, SDL_SCANCODE_A));
  for (int i = 0; i < 20; ++i) Feed(Key(SDL_KEYDOWN, SDL_SCANCODE_A, /*repeat=*/true));
  EXPECT_TRUE(IsKeyDown('A'));
  EXPECT_EQ(GetKeyPressCount('A'), 1u);
  Feed(Key(SDL_KEYUP, SDL_SCANCODE_A));
  EXPECT_FALSE(IsKeyDown('A'));
  EXPECT_EQ(GetKeyPressCount('A'), 1u);

  // A repeat arriving after the flags were cleared (a flush while the key
  // is held) marks the key down again without a press.
  Feed(Key(SDL_KEYDOWN, SDL_SCANCODE_A));
  FlushInput(0);
  Feed(Key(SDL_KEYDOWN, SDL_SCANCODE_A, true));
  EXPECT_TRUE(IsKeyDown('A'));
  EXPECT_EQ(GetKeyPressCount('A'), 0u);
}

TEST_F(KeyboardTest, PressCounterWrapsToOneOnThe128thPress) {
  uint32_t serialBefore = KeyPressSerial(kVkSpace);
  for (int i = 0; i < 127; ++i) Tap(SDL_SCANCODE_SPACE);
  EXPECT_EQ(GetKeyPressCount(kVkSpace), 127u);
  Tap(SDL_SCANCODE_SPACE);
  EXPECT_EQ(GetKeyPressCount(kVkSpace), 1u);
  Tap(SDL_SCANCODE_SPACE);
  EXPECT_EQ(GetKeyPressCount(kVkSpace), 2u);
  // The running serial the action maps read is not capped.
  EXPECT_EQ(KeyPressSerial(kVkSpace) - serialBefore, 129u);
}

TEST_F(KeyboardTest, MouseButtonsSitAtOneAndTwoAndAreNotCapped) {
  SDL_Event e{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.button = SDL_BUTTON_LEFT;
  for (int i = 0; i < 130; ++i) Feed(e);
  EXPECT_TRUE(IsKeyDown(kVkLButton));
  EXPECT_EQ(GetKeyPressCount(kVkLButton), 130u);
  e.type = SDL_MOUSEBUTTONUP;
  Feed(e);
  EXPECT_FALSE(IsKeyDown(kVkLButton));

  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.button = SDL_BUTTON_RIGHT;
  Feed(e);
  EXPECT_TRUE(IsKeyDown(kVkRButton));
  e.button.button = SDL_BUTTON_MIDDLE;  // not a game button
  Feed(e);
  EXPECT_EQ(GetKeyPressCount(kVkMButton), 0u);
}

TEST_F(KeyboardTest, TypedRingHoldsFifteenAndDropsTheSixteenth) {
  const std::string text = "ABCDEFGHIJKLMNOP";  // 16 characters
  for (char c : text) Feed(Text(std::string(1, c).c_str()));
  EXPECT_EQ(DrainTyped(), text.substr(0, 15));
  EXPECT_FALSE(HasTypedChar());
  EXPECT_EQ(ReadTypedChar(), 0);

  // Room again after reading; the ring wraps around its end.
  for (int round = 0; round < 3; ++round) {
    Feed(Text("xyz"));
    EXPECT_EQ(DrainTyped(), "xyz");
  }
}

TEST_F(KeyboardTest, BackspaceEnterAndEscapeTypeTheirControlCharacters) {
  Feed(Text("hi"));
  Tap(SDL_SCANCODE_BACKSPACE);
  Tap(SDL_SCANCODE_RETURN);
  Tap(SDL_SCANCODE_KP_ENTER);
  Tap(SDL_SCANCODE_ESCAPE);
  Tap(SDL_SCANCODE_LEFT);  // types nothing
  EXPECT_EQ(DrainTyped(), std::string("hi\x08\x0d\x0d\x1b"));
}

TEST_F(KeyboardTest, TextInputKeepsOnlyCharactersTheGameCanShow) {
  // UTF-8 "Ä", "é", a euro sign (outside 0..255), a control character.
  Feed(Text("\xC3\x84\xC3\xA9\xE2\x82\xAC\x01z"));
  EXPECT_EQ(DrainTyped(), std::string("\xC4\xE9z"));
  // A broken sequence does not swallow what follows.
  Feed(Text("\xC3\x41"));
  EXPECT_EQ(DrainTyped(), "A");
}

TEST_F(KeyboardTest, FlushInputClearsFlagsCountsAndTheRing) {
  Feed(Key(SDL_KEYDOWN, SDL_SCANCODE_Q));
  Feed(Text("q"));
  FlushInput(1);  // SDL is not running here: draining must be harmless
  EXPECT_FALSE(IsKeyDown('Q'));
  EXPECT_EQ(GetKeyPressCount('Q'), 0u);
  EXPECT_FALSE(HasTypedChar());
  // The map-facing serial records the clear.
  EXPECT_EQ(KeyClearSerial('Q'), KeyPressSerial('Q'));
}

TEST_F(KeyboardTest, ScancodesGiveTheFixedVirtualKeyCodes) {
  struct Row {
    SDL_Scancode sc;
    int vk;
  } rows[] = {
      {SDL_SCANCODE_A, 0x41},       {SDL_SCANCODE_Z, 0x5A},      {SDL_SCANCODE_1, 0x31},
      {SDL_SCANCODE_0, 0x30},       {SDL_SCANCODE_F1, 0x70},     {SDL_SCANCODE_F12, 0x7B},
      {SDL_SCANCODE_UP, 0x26},      {SDL_SCANCODE_LEFT, 0x25},   {SDL_SCANCODE_RETURN, 0x0D},
      {SDL_SCANCODE_ESCAPE, 0x1B},  {SDL_SCANCODE_LSHIFT, 0x10}, {SDL_SCANCODE_RSHIFT, 0x10},
      {SDL_SCANCODE_RCTRL, 0x11},   {SDL_SCANCODE_KP_0, 0x60},   {SDL_SCANCODE_KP_9, 0x69},
      {SDL_SCANCODE_PAUSE, 0x13},   {SDL_SCANCODE_SCROLLLOCK, 0x91},
      {SDL_SCANCODE_SEMICOLON, 0xBA}, {SDL_SCANCODE_UNKNOWN, 0},
  };
  for (const Row& r : rows) EXPECT_EQ(ScancodeToVirtualKey(r.sc), r.vk) << SDL_GetScancodeName(r.sc);
  EXPECT_EQ(ScancodeToVirtualKey(-1), 0);
  EXPECT_EQ(ScancodeToVirtualKey(SDL_NUM_SCANCODES), 0);
}

TEST_F(KeyboardTest, MousePositionIsInDisplayCoordinatesWhateverTheWindowSize) {
  struct Row {
    int ww, wh, lw, lh, x, y, ex, ey;
  } rows[] = {
      {1024, 768, 0, 0, 512, 384, 320, 240},    // 4:3 window, scaled 1.6
      {1024, 768, 0, 0, 1023, 767, 639, 479},
      {1280, 768, 0, 0, 128, 0, 0, 0},          // bars left and right clamp
      {1280, 768, 0, 0, 1200, 700, 639, 437},
      {640, 960, 0, 0, 320, 480, 320, 240},     // bars top and bottom
      {640, 960, 0, 0, 10, 50, 10, 0},
      {1024, 768, 640, 480, 100, 200, 100, 200},  // renderer already maps
      {1024, 768, 320, 240, 100, 100, 200, 200},
      {0, 0, 0, 0, 5, 5, 0, 0},                 // no window size known
  };
  for (const Row& r : rows) {
    int x, y;
    WindowToDisplayFor(r.ww, r.wh, r.lw, r.lh, r.x, r.y, &x, &y);
    EXPECT_EQ(x, r.ex) << r.ww << "x" << r.wh << " at " << r.x << "," << r.y;
    EXPECT_EQ(y, r.ey) << r.ww << "x" << r.wh << " at " << r.x << "," << r.y;
  }
}

TEST_F(KeyboardTest, WindowHappeningsReachTheHandlers) {
  int closes = 0, exposes = 0;
  std::string focus;
  handlers_.close = [&] { ++closes; };
  handlers_.expose = [&] { ++exposes; };
  handlers_.activate = [&](bool a) { focus += a ? '+' : '-'; };
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  for (Uint8 ev : {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_FOCUS_GAINED,
                   SDL_WINDOWEVENT_CLOSE, SDL_WINDOWEVENT_EXPOSED}) {
    e.window.event = ev;
    Feed(e);
  }
  e.type = SDL_QUIT;
  Feed(e);
  EXPECT_EQ(focus, "-+");
  EXPECT_EQ(closes, 2);
  EXPECT_EQ(exposes, 1);
}

}  // namespace
