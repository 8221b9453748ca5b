#include "shell/cheat.h"

#include <cstring>

#include "screen/game_screen.h"

namespace {

struct CheatRow {
  const char* text;
  int code;
};

// The texts are compared exactly with the upper-cased command line.
constexpr CheatRow kCheats[] = {
    {"JUMP AHEAD", 0},     {"PACE GLACIER", 4},  {"TEMPO LAZY", 7},
    {"TEMPO STEADY", 6},   {"TEMPO BLAZES", 5},  {"PROBE DATA UP", 8},
    {"PROBE DATA OUT", 9},
};

}  // namespace

int MatchCheatText(const char* text) {
  if (!text) return -1;
  for (const CheatRow& row : kCheats) {
    if (std::strcmp(row.text, text) == 0) return row.code;
  }
  return -1;
}

int MatchCheatCode() {
  if (!g_currentScreen) return -1;
  return MatchCheatText(g_currentScreen->GetCommandText());
}

void ApplyCheatCode(int code) {
  const char* message = nullptr;
  if (code >= 4 && code <= 7) {
    g_gameSpeed = code;
    message = "COMPUTER: Speed changed";
  } else if (code == 8) {
    g_debugMode = 8;
    message = "COMPUTER: Debug is on now";
  } else if (code == 9) {
    g_debugMode = 9;
    message = "COMPUTER: Debug is off now";
  }
  if (!message || !g_currentScreen) return;
  g_currentScreen->AddMessage(message);
  g_currentScreen->ClearCommandText();
}
