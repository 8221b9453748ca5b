#pragma once
// The main menu as data: the rows of every menu, moving between them, the
// row under the mouse, the key and button assignment of the control sets
// and the training picker's moves. The screen (main_menu_screen.h) draws
// and plays sounds; everything it decides comes from here.
#include <cstdint>
#include <string>

#include "graphics/text_fit.h"
#include "input/control_names.h"

inline constexpr int kMenuRows = 8;
inline constexpr int kMenuRowHeight = 28;
inline constexpr int kMenuPanelX = 50;
inline constexpr int kMenuPanelY = 244;
inline constexpr int kMenuPanelW = 540;
inline constexpr int kMenuPanelH = 224;

// Menu numbers (also the pending states that build them).
enum MenuId : int {
  kMenuMain = 1,
  kMenuPlayerCount = 2,
  kMenuConnections = 3,
  kMenuCreateConnect = 4,
  kMenuSessions = 5,
  kMenuControls = 7,
  kMenuKeys = 8,
  kMenuRedefine = 9,
  kMenuButtons = 10,
  kMenuTraining = 21,  // the training picker
};

struct MenuItem {
  int32_t selectable = 0;  // 0: passed over by the keys and the mouse
  int32_t valueOn = 0;     // a value column is shown
  int32_t xOffset = 0;
  int32_t yOffset = 0;
  char label[64] = {};
  int32_t labelFlags = 0;  // font flags (6 centred)
  char value[100] = {};
  int32_t valueFlags = 0;
  int32_t index = 0;  // provider or session index of a list row
};

struct MenuRows {
  MenuItem items[kMenuRows];
  int count = 0;  // rows in use
  void Clear() { *this = MenuRows(); }
  void Set(int row, const char* text, int flags, int selectable, int valueOn = 0, int x = 0,
           int y = 0);
  void SetValue(int row, const char* text, int flags);
};

// What the menus show that is not in the string table: the network
// providers and the sessions found (a list ends at the first null).
struct MenuSources {
  const char* (*providerName)(int i) = nullptr;
  const char* (*sessionName)(int i) = nullptr;
  // The host address the session search also asks (the settings' NETHOST).
  std::string hostAddress;
};

// The session list's row that lets the player type a host's address, and
// its text ("ADDRESS: " and the address, or NONE).
inline constexpr int kAddressRowIndex = -3;
std::string AddressRowText(const std::string& address);
// A character that may be typed into a host's address.
bool IsAddressCharacter(char c);

// Fills the rows of a menu (1..5, 7..10) and returns the first row to select.
int BuildMenu(int menu, MenuRows* rows, const MenuSources& sources);
// The text of a control-mode row: "PLAYER n - KEY1" etc.
std::string ControlModeText(int player, int32_t mode);
// The row a move of delta (+1 down, -1 up) from `current` selects: wrapping
// over the eight rows, passing over rows that are empty or not selectable.
// `current` when no other row can be selected.
int NextMenuRow(const MenuRows& rows, int current, int delta);
// The row under the mouse (50 < x < 590, 244 < y < 468), -1 when none or
// when that row cannot be selected.
int MenuRowAt(const MenuRows& rows, int x, int y);

// Key assignment.
bool IsReservedKey(int vk);
enum class KeyAssign { kReserved, kOtherSet, kTaken, kSwapped };
// Gives row `row` of key set `set` (0 or 1) the key vk. A reserved key or
// one of the other set's keys is refused (the warning sound); a key of the
// same set changes places with the edited row's old key.
KeyAssign AssignKey(int32_t keySets[2][6], int set, int row, int vk);
// The first key that is down in 0..255 and is not reserved, -1 when none;
// *reservedDown tells whether a reserved key is down.
int FirstAssignableKeyDown(bool (*isDown)(int vk), bool* reservedDown);
// Gives row `row` (0..6) of a joystick set-up the button; another row that
// held it takes the edited row's old button. True when it swapped.
bool AssignButton(int32_t config[7], int row, int button);

// The names shown for keys and buttons: KeyNameText and ButtonNameText of
// input/control_names.h.

// Training picker: event 1..10 after a move (+1 right, -1 left, 0 up or
// down).
enum class PickerMove { kRight, kLeft, kUpDown };
int TrainingPickerMove(int event, PickerMove move);
// The event under the mouse in a grid of cells cellW x cellH from (5, 10);
// 0 when outside.
int TrainingPickerCellAt(int x, int y, int cellW, int cellH);

// Where a menu row's texts are drawn: the label (centred over the panel's
// width, or from its x offset up to the value column) and the value column,
// each within the row's 28 pixels, so that a long name never runs into its
// neighbour or off the panel.
// Left-aligned rows without a value column (the connection list) share the
// left edge `blockLeft` (MenuBlockLeft) so that the list stands in the
// middle of the panel like the centred menus.
TextBox MenuLabelBox(const MenuItem& item, int row, int blockLeft = 0);
int MenuBlockLeft(const MenuRows& rows, const TextMeasure& measure);
// Rows drawn from row 0 (the lists and the key and button screens) would
// sit on the logo's bottom edge: the logo gives up this many of its top
// rows and is drawn that much higher.
int MenuLogoLift(const MenuRows& rows);
inline constexpr int kMenuLogoHeight = 257;
TextBox MenuValueBox(int row);
inline constexpr int kMenuValueX = kMenuPanelX + 330;

// The training picker's text panel (frame 3 of the events sprite at 50, 270,
// 539 x 200): the event's title on one row, and under it the description,
// wrapped to the panel's width in rows of the menu font.
inline constexpr TextBox kPickerTitleBox{66, 312, 507, 30};
inline constexpr TextBox kPickerDescriptionBox{66, 352, 507, 108};
inline constexpr int kMenuTextRowStep = 20;
// An event's description (its three lines of the string table as one
// paragraph) with the keys of player 1's present controls named.
std::string TrainingDescription(int event);
