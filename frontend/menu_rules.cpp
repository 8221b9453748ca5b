#include "frontend/menu_rules.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/string.h"
#include "input/input.h"

namespace {

std::string Text(unsigned id) {
  const char* t = GetStringText(id);
  return t ? t : "";
}

void CopyText(char* dst, size_t size, const char* src) {
  std::memset(dst, 0, size);
  if (src) std::strncpy(dst, src, size - 1);
}

constexpr int kCentred = 6;
constexpr unsigned kPrevious = 10156;

}  // namespace

void MenuRows::Set(int row, const char* text, int flags, int selectable, int valueOn, int x,
                   int y) {
  if (row < 0 || row >= kMenuRows) return;
  MenuItem& it = items[row];
  CopyText(it.label, sizeof it.label, text);
  it.labelFlags = flags;
  it.selectable = selectable;
  it.valueOn = valueOn;
  it.xOffset = x;
  it.yOffset = y;
  if (row + 1 > count) count = row + 1;
}

void MenuRows::SetValue(int row, const char* text, int flags) {
  if (row < 0 || row >= kMenuRows) return;
  CopyText(items[row].value, sizeof items[row].value, text);
  items[row].valueFlags = flags;
}

std::string AddressRowText(const std::string& address) {
  return Text(10590) + " " + (address.empty() ? Text(10188) : address);
}

bool IsAddressCharacter(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' ||
         c == '-' || c == '_' || c == ':';
}

std::string ControlModeText(int player, int32_t mode) {
  std::string s = Text(10162);  // "PLAYER 1 - "
  size_t digit = s.find('1');
  if (digit != std::string::npos) s[digit] = static_cast<char>('0' + player);
  unsigned id = 10163;
  switch (mode) {
    case kControlKeys2:
      id = 10164;
      break;
    case kControlJoy1:
      id = 10165;
      break;
    case kControlJoy2:
      id = 10166;
      break;
    default:
      break;
  }
  return s + Text(id);
}

int BuildMenu(int menu, MenuRows* rows, const MenuSources& sources) {
  rows->Clear();
  switch (menu) {
    case kMenuMain:
      for (int i = 0; i < 6; ++i) rows->Set(i + 1, Text(10150 + i).c_str(), kCentred, 1);
      return 1;
    case kMenuPlayerCount:
      rows->Set(1, Text(10157).c_str(), kCentred, 1);
      rows->Set(2, Text(10158).c_str(), kCentred, 1);
      rows->Set(3, Text(kPrevious).c_str(), kCentred, 1);
      return 1;
    case kMenuConnections: {
      int row = 0;
      for (int i = 0; sources.providerName && row < kMenuRows - 2; ++i) {
        const char* name = sources.providerName(i);
        if (!name) break;
        rows->Set(row, name, 0, 1, 0, 20);
        rows->items[row].index = i;
        ++row;
      }
      rows->Set(row, Text(10159).c_str(), 0, 1, 0, 20);
      rows->items[row].index = -1;
      rows->Set(row + 1, Text(kPrevious).c_str(), 0, 1, 0, 20);
      rows->items[row + 1].index = -2;
      return 0;
    }
    case kMenuCreateConnect:
      rows->Set(1, Text(10160).c_str(), kCentred, 1);
      rows->Set(2, Text(10161).c_str(), kCentred, 1);
      rows->Set(3, Text(kPrevious).c_str(), kCentred, 1);
      return 1;
    case kMenuSessions: {
      rows->Set(0, Text(10183).c_str(), kCentred, 0);
      int row = 1;
      // The last two rows are the address to ask and the way back.
      for (int i = 0; sources.sessionName && row < kMenuRows - 2; ++i) {
        const char* name = sources.sessionName(i);
        if (!name) break;
        rows->Set(row, name, kCentred, 1);
        rows->items[row].index = i;
        ++row;
      }
      rows->Set(row, AddressRowText(sources.hostAddress).c_str(), kCentred, 1);
      rows->items[row].index = kAddressRowIndex;
      rows->Set(row + 1, Text(kPrevious).c_str(), kCentred, 1);
      rows->items[row + 1].index = -2;
      return 1;
    }
    case kMenuControls:
      rows->Set(1, ControlModeText(1, g_controlModes[0]).c_str(), kCentred, 1);
      rows->Set(2, ControlModeText(2, g_controlModes[1]).c_str(), kCentred, 1);
      rows->Set(3, Text(10167).c_str(), kCentred, 1);
      rows->Set(4, Text(kPrevious).c_str(), kCentred, 1);
      return 1;
    case kMenuRedefine:
      for (int i = 0; i < 4; ++i) rows->Set(i + 1, Text(10168 + i).c_str(), kCentred, 1);
      rows->Set(5, Text(kPrevious).c_str(), kCentred, 1);
      return 1;
    case kMenuKeys:
      // Filled by the screen with the edited set's keys.
      for (int i = 0; i < 6; ++i) rows->Set(i, Text(10172 + i).c_str(), 0, 1, 1, 60, 60);
      rows->Set(6, Text(kPrevious).c_str(), kCentred, 1);
      return 0;
    case kMenuButtons:
      for (int i = 0; i < 7; ++i) rows->Set(i, Text(10176 + i).c_str(), 0, 1, 1, 60, 60);
      rows->Set(7, Text(kPrevious).c_str(), kCentred, 1);
      return 0;
    default:
      return 0;
  }
}

int NextMenuRow(const MenuRows& rows, int current, int delta) {
  int step = delta < 0 ? -1 : 1;
  int row = current;
  for (int n = 0; n < kMenuRows; ++n) {
    row = (row + step + kMenuRows) % kMenuRows;
    const MenuItem& it = rows.items[row];
    if (it.selectable && it.label[0] != 0) return row;
  }
  return current;
}

int MenuRowAt(const MenuRows& rows, int x, int y) {
  if (!(x > kMenuPanelX && x < kMenuPanelX + kMenuPanelW && y > kMenuPanelY &&
        y < kMenuPanelY + kMenuPanelH)) {
    return -1;
  }
  int row = (y - kMenuPanelY) / kMenuRowHeight;
  if (row < 0 || row >= kMenuRows) return -1;
  const MenuItem& it = rows.items[row];
  return it.selectable && it.label[0] != 0 ? row : -1;
}

bool IsReservedKey(int vk) {
  if (vk >= 1 && vk <= 4) return true;  // mouse buttons and Cancel
  if (vk >= 0x30 && vk <= 0x39) return true;
  if (vk >= 0x70 && vk <= 0x7B) return true;
  switch (vk) {
    case 0x1B:
    case 0x2A:
    case 0x91:
    case 0x13:
    case 0x0D:
      return true;
    default:
      return false;
  }
}

KeyAssign AssignKey(int32_t keySets[2][6], int set, int row, int vk) {
  if (IsReservedKey(vk) || vk <= 0 || vk > 255 || set < 0 || set > 1 || row < 0 || row > 5) {
    return KeyAssign::kReserved;
  }
  int other = 1 - set;
  for (int i = 0; i < 6; ++i) {
    if (keySets[other][i] == vk) return KeyAssign::kOtherSet;
  }
  KeyAssign result = KeyAssign::kTaken;
  for (int i = 0; i < 6; ++i) {
    if (i != row && keySets[set][i] == vk) {
      keySets[set][i] = keySets[set][row];
      result = KeyAssign::kSwapped;
    }
  }
  keySets[set][row] = vk;
  return result;
}

int FirstAssignableKeyDown(bool (*isDown)(int vk), bool* reservedDown) {
  if (reservedDown) *reservedDown = false;
  for (int vk = 0; vk < 256; ++vk) {
    if (!isDown(vk)) continue;
    if (vk == 0 || IsReservedKey(vk)) {
      if (vk != 0 && reservedDown) *reservedDown = true;
      continue;
    }
    return vk;
  }
  return -1;
}

bool AssignButton(int32_t config[7], int row, int button) {
  if (row < 0 || row >= 7) return false;
  bool swapped = false;
  for (int i = 0; i < 7; ++i) {
    if (i != row && config[i] == button) {
      config[i] = config[row];
      swapped = true;
    }
  }
  config[row] = button;
  return swapped;
}

int TrainingPickerMove(int event, PickerMove move) {
  if (event < 1 || event > 10) event = 1;
  switch (move) {
    case PickerMove::kRight:
      return event == 10 ? 1 : event + 1;
    case PickerMove::kLeft:
      return event == 1 ? 10 : event - 1;
    case PickerMove::kUpDown:
    default:
      return event <= 5 ? event + 5 : event - 5;
  }
}

int TrainingPickerCellAt(int x, int y, int cellW, int cellH) {
  if (cellW <= 0 || cellH <= 0) return 0;
  if (x < 5 || y < 10) return 0;
  int column = (x - 5) / cellW;
  int row = (y - 10) / cellH;
  if (column < 0 || column > 4 || row < 0 || row > 1) return 0;
  return row * 5 + column + 1;
}

namespace {
// A row's text stands 2 pixels below the row's top, in the 26 pixels of the
// menu fonts' line.
constexpr int kRowTextTop = 2;
constexpr int kRowTextHeight = 26;
constexpr int kLabelLeft = kMenuPanelX + 20;
constexpr int kPanelRightMargin = 20;
constexpr int kColumnGap = 10;
}  // namespace

TextBox MenuLabelBox(const MenuItem& item, int row, int blockLeft) {
  const int y = kMenuPanelY + kMenuRowHeight * row + kRowTextTop;
  const int right = item.valueOn ? kMenuValueX - kColumnGap : kMenuPanelX + kMenuPanelW - kPanelRightMargin;
  if (item.labelFlags == kCentred) return TextBox{kLabelLeft, y, right - kLabelLeft, kRowTextHeight};
  int x = kLabelLeft + std::max(0, static_cast<int>(item.xOffset));
  if (!item.valueOn) x = std::clamp(blockLeft, x, right - 1);
  return TextBox{x, y, std::max(0, right - x), kRowTextHeight};
}

int MenuBlockLeft(const MenuRows& rows, const TextMeasure& measure) {
  int widest = 0;
  for (const MenuItem& it : rows.items)
    if (it.label[0] && it.labelFlags != kCentred && !it.valueOn && measure)
      widest = std::max(widest, measure(it.label));
  return kMenuPanelX + kMenuPanelW / 2 - widest / 2;
}

int MenuLogoLift(const MenuRows& rows) {
  return rows.items[0].label[0] ? kMenuLogoHeight - kMenuPanelY : 0;
}

TextBox MenuValueBox(int row) {
  return TextBox{kMenuValueX, kMenuPanelY + kMenuRowHeight * row + kRowTextTop,
                 kMenuPanelX + kMenuPanelW - kPanelRightMargin - kMenuValueX, kRowTextHeight};
}

std::string TrainingDescription(int event) {
  if (event < 1 || event > 10) return "";
  std::string text;
  for (unsigned k = 1; k <= 3; ++k) {
    const std::string line = Text(10300 + 4 * (static_cast<unsigned>(event) - 1) + k);
    if (line.empty()) continue;
    if (!text.empty()) text += ' ';
    text += line;
  }
  return ExpandControlNames(text);
}
