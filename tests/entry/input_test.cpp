// Action maps, default bindings, control modes and joysticks, driven by a
// scripted keyboard and a scripted stick.
#include <gtest/gtest.h>

#include <set>

#include "input/input.h"
#include "input/joystick.h"
#include "platform/keyboard.h"

namespace {

class ScriptedStick : public JoystickReader {
 public:
  bool Read(int id, JoystickSnapshot* out) override {
    *out = state[id];
    return out->connected;
  }
  JoystickSnapshot state[2];
};

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetKeyboardState();
    ResetControlsToDefaults();
    stick_.state[0].connected = true;
    stick_.state[0].buttonCount = 8;
    g_joystick1 = new Joystick(0, &stick_);
    g_joystick2 = new Joystick(1, &stick_);
    g_joystick1->Poll();  // polling from the start
    g_joystick2->Poll();
    CreateInputMaps();
  }
  void TearDown() override {
    DestroyInputMaps();
    delete g_joystick1;
    delete g_joystick2;
    g_joystick1 = g_joystick2 = nullptr;
  }
  static void Press(int vk) { KeyboardKeyDown(vk, false); }
  static void Release(int vk) { KeyboardKeyUp(vk); }
  static void Tap(int vk) {
    Press(vk);
    Release(vk);
  }
  void Button(int realButton, bool down) {
    if (down)
      stick_.state[0].buttons |= 1u << realButton;
    else
      stick_.state[0].buttons &= ~(1u << realButton);
  }
  ScriptedStick stick_;
};

TEST_F(InputTest, QueriesAreEdgesOfOneFrame) {
  Press(kVkControl);  // player 1's fire 1
  PollInput();
  EXPECT_TRUE(IsFire1Active(0));
  EXPECT_TRUE(IsFire1Active(1));
  EXPECT_FALSE(IsFire1Active(2));
  EXPECT_TRUE(IsFire1Active(1));  // asking twice in a frame gives the same answer
  PollInput();                    // still held: no new press
  EXPECT_FALSE(IsFire1Active(0));
  // A tap between two frames is not lost.
  Release(kVkControl);
  Tap(kVkControl);
  PollInput();
  EXPECT_TRUE(IsFire1Active(1));
}

TEST_F(InputTest, EveryTapBetweenTwoPollsIsCounted) {
  Tap(kVkDown);  // player 1, twice
  Tap(kVkDown);
  Tap('S');  // player 2
  PollInput();
  EXPECT_EQ(DownPresses(1), 2);
  EXPECT_EQ(DownPresses(2), 1);
  EXPECT_EQ(DownPresses(0), 3);
  EXPECT_EQ(UpPresses(0), 0);
  PollInput();
  EXPECT_EQ(DownPresses(0), 0) << "counted in one poll only";
  // The menu arrows, bound while no key set holds them, count for either player.
  g_keySets[0][kKeyUp] = 'I';
  g_keySets[0][kKeyDown] = 'K';
  g_keySets[0][kKeyLeft] = 'J';
  g_keySets[0][kKeyRight] = 'L';
  BindDefaultActions();
  Tap(kVkLeft);
  Tap(kVkLeft);
  Tap('J');
  PollInput();
  EXPECT_EQ(LeftPresses(0), 3);
  EXPECT_EQ(LeftPresses(1), 1);
  ResetControlsToDefaults();
  BindDefaultActions();
}

TEST_F(InputTest, ResetInputLetsAHeldKeyCountOnlyAfterRelease) {
  Press(kVkReturn);
  ResetInput();
  PollInput();
  EXPECT_FALSE(IsEnterActive(0));
  for (int i = 0; i < 5; ++i) KeyboardKeyDown(kVkReturn, /*repeat=*/true);
  PollInput();
  EXPECT_FALSE(IsEnterActive(0));
  EXPECT_TRUE(g_inputMap->IsHeld(kSharedEnter));
  Release(kVkReturn);
  PollInput();
  EXPECT_FALSE(IsEnterActive(0));
  Press(kVkReturn);
  PollInput();
  EXPECT_TRUE(IsEnterActive(0));

  // A press made before the reset but not yet polled is dropped too.
  Release(kVkReturn);
  Tap(kVkEscape);
  ResetInput();
  PollInput();
  EXPECT_FALSE(IsEscapeActive(0));
}

TEST_F(InputTest, FlushedPressesNeverReachTheMaps) {
  Tap('W');  // player 2 up
  FlushInput(0);
  PollInput();
  EXPECT_FALSE(IsUpActive(2));
  EXPECT_EQ(g_player2Map->PendingPresses(kActionUp), 0);
  Tap('W');
  PollInput();
  EXPECT_TRUE(IsUpActive(2));
}

TEST_F(InputTest, DefaultBindingsSeparateTwoPlayersOnOneKeyboard) {
  struct Row {
    int vk;
    int playerAction;  // in the player's own map
    int player;        // 1 or 2
    bool (*query)(int);
  } rows[] = {
      {kVkLeft, kActionLeft, 1, IsLeftActive},    {kVkRight, kActionRight, 1, IsRightActive},
      {kVkUp, kActionUp, 1, IsUpActive},          {kVkDown, kActionDown, 1, IsDownActive},
      {kVkControl, kActionFire1, 1, IsFire1Active}, {kVkShift, kActionFire2, 1, IsFire2Active},
      {'A', kActionLeft, 2, IsLeftActive},        {'D', kActionRight, 2, IsRightActive},
      {'W', kActionUp, 2, IsUpActive},            {'S', kActionDown, 2, IsDownActive},
      {kVkSpace, kActionFire1, 2, IsFire1Active}, {'Q', kActionFire2, 2, IsFire2Active},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.vk);
    Tap(r.vk);
    PollInput();
    EXPECT_TRUE(r.query(r.player));
    EXPECT_FALSE(r.query(3 - r.player));
    EXPECT_TRUE(r.query(0));
    InputActionMap* own = r.player == 1 ? g_player1Map : g_player2Map;
    InputActionMap* other = r.player == 1 ? g_player2Map : g_player1Map;
    EXPECT_EQ(own->TakeState(r.playerAction), 1);  // released, pressed once
    for (int a = 0; a < InputActionMap::kActionCount; ++a) EXPECT_EQ(other->TakeState(a), 0);
    EXPECT_TRUE(IsAnyActionActive(r.player));
    EXPECT_FALSE(IsAnyActionActive(3 - r.player));
  }
  // No key serves two players, and none is one the key screen refuses.
  std::set<int> keys;
  for (int s = 0; s < 2; ++s)
    for (int k = 0; k < kKeySetSize; ++k) {
      int vk = kDefaultKeySets[s][k];
      EXPECT_TRUE(keys.insert(vk).second) << vk;
      EXPECT_FALSE(vk == kVkEscape || vk == kVkReturn || (vk >= '0' && vk <= '9') ||
                   (vk >= kVkF1 && vk <= kVkF12) || vk <= 4 || vk == kVkPause || vk == kVkScroll ||
                   vk == kVkPrint)
          << vk;
    }
  Tap(kVkEscape);
  PollInput();
  EXPECT_TRUE(IsEscapeActive(0));
  EXPECT_TRUE(IsAnyActionActive(2));
}

TEST_F(InputTest, LockStepByteIsHeldBitAndPressesSinceLastRead) {
  for (int i = 0; i < 3; ++i) Tap(kVkUp);
  Press(kVkUp);
  PollInput();
  EXPECT_EQ(g_player1Map->TakeState(kActionUp), 0x80 | 4);
  PollInput();
  EXPECT_EQ(g_player1Map->TakeState(kActionUp), 0x80);
  Release(kVkUp);
  for (int i = 0; i < 200; ++i) Tap(kVkUp);
  PollInput();
  EXPECT_EQ(g_player1Map->TakeState(kActionUp), 127);  // capped, never spills into the held bit
}

TEST_F(InputTest, ControlModeCyclingRules) {
  struct Row {
    int32_t current, other;
    bool j1, j2;
    int32_t next;
  } rows[] = {
      {kControlKeys1, kControlKeys2, false, false, kControlKeys1},  // nowhere to go
      {kControlKeys1, kControlJoy1, false, false, kControlKeys2},
      {kControlKeys2, kControlJoy1, false, false, kControlKeys1},   // wraps, joysticks skipped
      {kControlKeys1, kControlKeys2, true, false, kControlJoy1},
      {kControlKeys1, kControlKeys2, false, true, kControlJoy2},
      {kControlJoy1, kControlKeys2, true, true, kControlJoy2},
      {kControlJoy2, kControlKeys2, true, true, kControlKeys1},
      {kControlJoy2, kControlKeys1, true, true, kControlKeys2},
      {kControlKeys2, kControlJoy2, true, true, kControlJoy1},
      {kControlJoy1, kControlJoy2, true, true, kControlKeys1},
      {kControlJoy1, kControlKeys1, false, false, kControlKeys2},   // stick unplugged meanwhile
  };
  for (const Row& r : rows)
    EXPECT_EQ(NextControlMode(r.current, r.other, r.j1, r.j2), r.next)
        << r.current << " other " << r.other << " j1 " << r.j1 << " j2 " << r.j2;
}

TEST_F(InputTest, CyclingToTheJoystickRebindsTheSharedMap) {
  PollInput();  // joystick 1 connected, joystick 2 not
  EXPECT_EQ(CycleControlMode(0), kControlJoy1);
  EXPECT_EQ(g_controlModes[0], kControlJoy1);
  EXPECT_EQ(g_inputMap->GetBinding(kSharedFire1).source, InputSource::kJoystick);
  EXPECT_EQ(CycleControlMode(0), kControlKeys1);  // joystick 2 is skipped, key set 2 is taken
  EXPECT_EQ(g_inputMap->GetBinding(kSharedFire1).source, InputSource::kKey);
  EXPECT_EQ(CycleControlMode(1), kControlJoy1);
}

TEST_F(InputTest, JoystickStickAndButtonsDriveAPlayersMap) {
  g_controlModes[0] = kControlJoy1;
  BindPlayerDefaultKeys(g_player1Map, 0);
  BindDefaultActions();
  SetJoysticksEnabled(1);

  stick_.state[0].axisX = -30000;  // left, beyond the threshold
  Button(0, true);                 // button 4: ACTION1
  PollInput();
  EXPECT_TRUE(IsLeftActive(1));
  EXPECT_TRUE(IsFire1Active(1));
  EXPECT_EQ(g_player1Map->TakeState(kActionLeft), 0x81);
  EXPECT_EQ(g_player1Map->TakeState(kActionFire1), 0x81);

  stick_.state[0].axisX = 5000;  // inside the dead zone: released
  Button(0, false);
  Button(6, true);  // button 10: START
  PollInput();
  EXPECT_EQ(g_player1Map->TakeState(kActionLeft), 0);
  EXPECT_EQ(g_player1Map->TakeState(kActionStart), 0x81);
  EXPECT_EQ(g_joystick1->GetButtonPressCount(10), 1);
  EXPECT_EQ(g_joystick1->GetButtonPressCount(10), 0);  // read and cleared

  // Disabled joysticks are still read (the button set-up screen) but reach no map.
  Button(6, false);
  SetJoysticksEnabled(0);
  PollInput();
  Button(1, true);
  PollInput();
  EXPECT_FALSE(IsFire2Active(0));
  EXPECT_EQ(g_player1Map->PendingPresses(kActionFire2), 0);
  EXPECT_EQ(g_joystick1->GetButtonPressCount(5), 1);
  // Enabling again does not turn the button held meanwhile into a press.
  SetJoysticksEnabled(1);
  PollInput();
  EXPECT_FALSE(IsFire2Active(0));
  EXPECT_TRUE(g_player1Map->IsHeld(kActionFire2));
}

TEST_F(InputTest, JoystickReportsConnectionButtonsAndStopsWhenNotPolled) {
  EXPECT_TRUE(g_joystick1->IsConnected());
  EXPECT_EQ(g_joystick1->IsConfigurable(), 8);
  EXPECT_FALSE(g_joystick2->IsConnected());
  EXPECT_EQ(g_joystick2->IsConfigurable(), 0);

  Button(2, true);
  g_joystick1->Poll();
  EXPECT_TRUE(g_joystick1->IsButtonDown(6));
  g_joystick1->StopPolling();
  EXPECT_FALSE(g_joystick1->IsButtonDown(6));
  g_joystick1->StartPolling();  // still held: no new press
  EXPECT_TRUE(g_joystick1->IsButtonDown(6));
  EXPECT_EQ(g_joystick1->GetButtonPressCount(6), 1);

  // Unplugged: nothing held; plugged in with a button down: no press.
  stick_.state[0].connected = false;
  g_joystick1->Poll();
  EXPECT_FALSE(g_joystick1->IsConnected());
  EXPECT_FALSE(g_joystick1->IsButtonDown(6));
  stick_.state[0].connected = true;
  g_joystick1->Poll();
  EXPECT_TRUE(g_joystick1->IsButtonDown(6));
  EXPECT_EQ(g_joystick1->GetButtonPressCount(6), 0);
  EXPECT_FALSE(g_joystick1->IsButtonDown(99));
  EXPECT_EQ(g_joystick1->GetButtonPressCount(-1), 0);
}

TEST_F(InputTest, ArrowKeysWorkTheMenusWhenNoKeySetHoldsThem) {
  g_controlModes[0] = kControlJoy1;
  BindDefaultActions();
  Tap(kVkDown);
  PollInput();
  EXPECT_TRUE(IsDownActive(0));
  EXPECT_FALSE(IsDownActive(1));  // still nobody's own key

  g_controlModes[0] = kControlKeys1;  // the arrows belong to player 1 again
  BindDefaultActions();
  EXPECT_EQ(g_inputMap->GetBinding(kSharedMenuDown).source, InputSource::kNone);
}

TEST_F(InputTest, QueriesWithoutMapsAreQuietlyFalse) {
  DestroyInputMaps();
  Tap(kVkReturn);
  PollInput();
  ResetInput();
  BindDefaultActions();
  BindPlayerDefaultKeys(nullptr, 0);
  EXPECT_FALSE(IsEnterActive(0));
  EXPECT_FALSE(IsAnyActionActive(0));
  InputActionMap m;
  m.BindKey(-1, kVkReturn);
  m.BindKey(InputActionMap::kActionCount, kVkReturn);
  m.BindKey(0, 300);
  m.BindButton(1, 3, 4);
  EXPECT_EQ(m.GetBinding(0).source, InputSource::kNone);
  EXPECT_EQ(m.GetBinding(1).source, InputSource::kNone);
  EXPECT_EQ(m.TakeState(99), 0);
}

}  // namespace
