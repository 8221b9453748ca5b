#pragma once
// Input action maps: the game asks for actions ("fire 1 of player 2"), not
// for keys. Each map holds 30 actions, each bound to one key (virtual-key
// code) or one joystick button, and is read once a frame by PollInput.
//
// Per-player maps (g_player1Map, g_player2Map) use the player action numbers
// below; the lock-step input packs actions 0..9 of them. The shared map
// (g_inputMap), which the menus and the screen base read, holds both players
// side by side: actions 0..13 are pairs (player 1, player 2) of left, right,
// up, down, fire 1, fire 2 and fire 3; 14 is Escape and 15 Enter.
//
// The queries are edge queries: an action is active in the frame whose poll
// saw a new press of it; holding a key does not make it active again.
#include <cstdint>

// --- Controls (the CONFIG values PLAYER1CONTROL .. JOY2START) -------------

// Control modes of a player.
enum : int32_t {
  kControlKeys1 = 0,   // key set 1
  kControlKeys2 = 1,   // key set 2
  kControlJoy1 = 10,   // joystick 1
  kControlJoy2 = 11,   // joystick 2
};
// Rows of a key set, in the order the key screen shows them.
enum : int { kKeyUp = 0, kKeyDown, kKeyLeft, kKeyRight, kKeyAction1, kKeyAction2, kKeySetSize };
// Rows of a joystick set-up: ACTION1..ACTION6 and START, each a button 4..35.
inline constexpr int kJoyConfigSize = 7;
inline constexpr int kJoyStartRow = 6;

extern int32_t g_controlModes[2];             // player 1, player 2
extern int32_t g_keySets[2][kKeySetSize];      // key set 1, key set 2
extern int32_t g_joystickConfig1[kJoyConfigSize];
extern int32_t g_joystickConfig2[kJoyConfigSize];

// Player 1 on the arrow keys with Ctrl and Shift, player 2 on W, S, A, D
// with Space and Q, so that two can share one keyboard; joystick set-ups use
// the first seven buttons.
extern const int32_t kDefaultKeySets[2][kKeySetSize];
extern const int32_t kDefaultJoystickConfig[kJoyConfigSize];

// Reads the controls from the store. Unusable values (unknown modes, both
// players on one mode, keys out of range or used twice, buttons out of
// range or used twice) fall back to the defaults of the set concerned.
void LoadControls();
// Writes them back. False when the store could not be written.
bool SaveControls();
void ResetControlsToDefaults();

// The mode a player gets when he asks for the next one: the modes in the
// order 0, 1, 10, 11 after his present one, skipping the other player's
// mode and the joysticks that are not connected. His present mode when no
// other is free.
int32_t NextControlMode(int32_t current, int32_t otherPlayersMode, bool joystick1Connected,
                        bool joystick2Connected);
// player 0 or 1: moves him to NextControlMode (with the joysticks' present
// connection) and rebinds the shared map. Returns the new mode.
int32_t CycleControlMode(int player);

// --- Action maps ------------------------------------------------------------

// Actions of a per-player map.
enum : int {
  kActionUp = 0,
  kActionDown = 1,
  kActionLeft = 2,
  kActionRight = 3,
  kActionFire1 = 4,  // .. kActionFire6 = 9
  kActionFire2 = 5,
  kActionFire3 = 6,
  kActionStart = 10,
};
// Actions of the shared map; add the player (0 or 1) to a pair's first action.
enum : int {
  kSharedLeft = 0,
  kSharedRight = 2,
  kSharedUp = 4,
  kSharedDown = 6,
  kSharedFire1 = 8,
  kSharedFire2 = 10,
  kSharedFire3 = 12,
  kSharedEscape = 14,
  kSharedEnter = 15,
  // The arrow keys, bound only while no player's key set holds them (both
  // players on joysticks, or sets redefined away from the arrows), so the
  // menus can always be worked from the keyboard. Count for "either player".
  kSharedMenuUp = 16,
  kSharedMenuDown = 17,
  kSharedMenuLeft = 18,
  kSharedMenuRight = 19,
};

enum class InputSource : uint8_t { kNone, kKey, kJoystick };

struct InputBinding {
  InputSource source = InputSource::kNone;
  uint8_t joystick = 0;  // 1 or 2 for a joystick button
  uint16_t code = 0;     // virtual-key code, or button 0..35
};

class InputActionMap {
 public:
  static constexpr int kActionCount = 30;

  InputActionMap() = default;

  void Clear();  // every action unbound
  void BindKey(int action, int vk);
  void BindButton(int action, int joystick, int button);
  void Unbind(int action);
  InputBinding GetBinding(int action) const;

  // Reads every bound key or button: held state and new presses.
  void Poll();
  // No press counts until it happens after this call: a key held now must be
  // released and pressed again.
  void Reset();

  bool IsHeld(int action) const;
  // The last Poll saw a new press.
  bool IsActive(int action) const;
  // How many new presses the last Poll saw (0..127).
  int NewPresses(int action) const;
  // Presses gathered since the last TakeState (at most 127).
  int PendingPresses(int action) const;
  // The lock-step byte: held << 7 | presses since the last call (0..127).
  uint8_t TakeState(int action);

 private:
  struct Slot {
    InputBinding binding;
    uint32_t lastSerial = 0;
    uint8_t held = 0;
    uint8_t pending = 0;
    uint8_t lastPoll = 0;
  };
  void ReadSource(const InputBinding& b, bool* held, uint32_t* serial, uint32_t* clear) const;
  void Resync(Slot& s);
  Slot slots_[kActionCount];
};

extern InputActionMap* g_inputMap;    // shared map
extern InputActionMap* g_player1Map;  // first local player
extern InputActionMap* g_player2Map;  // second local player

// Makes the three maps (when missing) and binds them; DestroyInputMaps
// deletes them. The shell owns them between the two calls.
void CreateInputMaps();
void DestroyInputMaps();

// Binds the shared map from both players' control modes, key sets and
// joystick set-ups, with Escape and Enter.
void BindDefaultActions();
// Binds a player's map (player 0 or 1) from his control mode: directions on
// actions 0..3, the key set's two actions or the joystick's six on 4..9,
// the joystick's START on 10.
void BindPlayerDefaultKeys(InputActionMap* map, int player);

// which: 0 either player, 1 player 1, 2 player 2. False without a shared map.
bool IsLeftActive(int which);
bool IsRightActive(int which);
bool IsUpActive(int which);
bool IsDownActive(int which);
bool IsFire1Active(int which);
bool IsFire2Active(int which);
bool IsFire3Active(int which);
bool IsEscapeActive(int which);  // Escape is shared: which is accepted for symmetry
bool IsEnterActive(int which);
// How many times the direction was pressed between the last two polls (for
// "either player" the players' and the menu arrows' presses added up): a
// menu moves one step per press, so two quick taps within one frame are two
// steps, not one.
int LeftPresses(int which);
int RightPresses(int which);
int UpPresses(int which);
int DownPresses(int which);
// Any of left, right, up, down, fire 1..3 of that player (or either), Escape
// or Enter.
bool IsAnyActionActive(int which);

// Reads the joysticks, then every map, once a frame.
void PollInput();
// The shared map forgets its presses (see InputActionMap::Reset).
void ResetInput();
// Flushes the keyboard input (FlushInput with the same flag) and lets both
// joysticks reach the maps (1) or not (0).
void SetJoysticksEnabled(int flag);
