#include "input/control_names.h"

#include <cctype>
#include <cstdio>

#include "base/string.h"
#include "input/input.h"
#include "platform/keyboard.h"

namespace {

std::string Text(unsigned id) {
  const char* t = GetStringText(id);
  return t ? t : "";
}

struct Placeholder {
  std::string_view name;
  ControlAction action;
};
constexpr Placeholder kPlaceholders[] = {
    {"ACTION 1", ControlAction::kAction1}, {"ACTION 2", ControlAction::kAction2},
    {"ACTION 3", ControlAction::kAction3}, {"UP", ControlAction::kUp},
    {"DOWN", ControlAction::kDown},        {"LEFT", ControlAction::kLeft},
    {"RIGHT", ControlAction::kRight},      {"DIRECTIONS", ControlAction::kDirections},
};

const Placeholder* FindPlaceholder(std::string_view name) {
  for (const Placeholder& p : kPlaceholders)
    if (p.name == name) return &p;
  return nullptr;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string JoystickButtonName(int button) {
  if (button < 4 || button > 35) return Text(10188);  // "NONE"
  char buf[32];
  std::snprintf(buf, sizeof buf, "Joystick button %d", button - 3);
  return buf;
}

}  // namespace

std::string KeyNameText(int vk) {
  std::string s;
  if (vk >= 0 && vk <= 255) s = Text(100 + static_cast<unsigned>(vk));
  if (s.empty()) {
    if (vk > 32 && vk < 127) {
      s = std::string(1, static_cast<char>(vk));
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "#%d", vk & 0xFF);
      s = buf;
    }
  }
  if (s.size() > 13) s.resize(13);
  return s;
}

std::string ButtonNameText(int button) {
  std::string s;
  if (button >= 4 && button <= 35) s = Text(496 + static_cast<unsigned>(button));
  if (s.empty()) s = Text(10188);  // "NONE"
  if (s.size() > 13) s.resize(13);
  return s;
}

std::string ControlName(int player, ControlAction action) {
  const int32_t mode = g_controlModes[player == 1 ? 1 : 0];
  if (mode == kControlKeys1 || mode == kControlKeys2) {
    const int32_t* keys = g_keySets[mode == kControlKeys2 ? 1 : 0];
    switch (action) {
      case ControlAction::kUp:
        return KeyNameText(keys[kKeyUp]);
      case ControlAction::kDown:
        return KeyNameText(keys[kKeyDown]);
      case ControlAction::kLeft:
        return KeyNameText(keys[kKeyLeft]);
      case ControlAction::kRight:
        return KeyNameText(keys[kKeyRight]);
      case ControlAction::kAction1:
        return KeyNameText(keys[kKeyAction1]);
      case ControlAction::kAction2:
        return KeyNameText(keys[kKeyAction2]);
      case ControlAction::kAction3:
        return Text(10188);  // a key set has two actions only
      case ControlAction::kDirections:
        if (keys[kKeyUp] == kVkUp && keys[kKeyDown] == kVkDown && keys[kKeyLeft] == kVkLeft &&
            keys[kKeyRight] == kVkRight)
          return "the arrow keys";
        // In the order of the hand on the keyboard: up, left, down, right.
        return KeyNameText(keys[kKeyUp]) + "/" + KeyNameText(keys[kKeyLeft]) + "/" +
               KeyNameText(keys[kKeyDown]) + "/" + KeyNameText(keys[kKeyRight]);
    }
    return "";
  }
  const int32_t* cfg = mode == kControlJoy2 ? g_joystickConfig2 : g_joystickConfig1;
  switch (action) {
    case ControlAction::kUp:
      return "Joystick up";
    case ControlAction::kDown:
      return "Joystick down";
    case ControlAction::kLeft:
      return "Joystick left";
    case ControlAction::kRight:
      return "Joystick right";
    case ControlAction::kAction1:
      return JoystickButtonName(cfg[0]);
    case ControlAction::kAction2:
      return JoystickButtonName(cfg[1]);
    case ControlAction::kAction3:
      return JoystickButtonName(cfg[2]);
    case ControlAction::kDirections:
      return "the joystick";
  }
  return "";
}

std::string ExpandControlNames(std::string_view text, int players) {
  // Capitals when nothing outside the placeholders is a small letter.
  bool capitals = true;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '{') {
      size_t close = text.find('}', i);
      if (close != std::string_view::npos && FindPlaceholder(text.substr(i + 1, close - i - 1))) {
        i = close;
        continue;
      }
    }
    if (std::islower(static_cast<unsigned char>(text[i]))) {
      capitals = false;
      break;
    }
  }
  std::string out;
  out.reserve(text.size() + 16);
  size_t i = 0;
  while (i < text.size()) {
    size_t open = text.find('{', i);
    if (open == std::string_view::npos) break;
    size_t close = text.find('}', open);
    if (close == std::string_view::npos) break;
    const Placeholder* p = FindPlaceholder(text.substr(open + 1, close - open - 1));
    if (!p) {
      // Not one of ours: the brace stays, and a placeholder may begin after it.
      out.append(text.substr(i, open + 1 - i));
      i = open + 1;
      continue;
    }
    out.append(text.substr(i, open - i));
    std::string name = ControlName(0, p->action);
    if (players >= 2) name += " or " + ControlName(1, p->action);
    out += capitals ? Upper(name) : name;
    i = close + 1;
  }
  out.append(text.substr(i));
  return out;
}
