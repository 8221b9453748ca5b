#include "screen/game_screen.h"

#include <cstdio>
#include <cstring>

#include "base/clock.h"
#include "base/player_records.h"
#include "base/random.h"
#include "base/stopwatch.h"
#include "base/string.h"
#include "platform/keyboard.h"
#include "screen/game_screen_services.h"
#include "screen/options_menu.h"

GameScreen* g_currentScreen = nullptr;
int32_t g_shellState = kShellIntro1;
int32_t g_gameSpeed = 6;
int32_t g_debugMode = 9;

namespace {

std::string TableText(unsigned id) {
  const char* text = GetStringText(id);
  return text ? text : "";
}

// Upper case by the same fixed table String uses, so that every machine
// reads a typed command alike whatever its locale.
std::string UpperCase(const std::string& text) {
  String s(text.c_str());
  s.MakeUpper();
  return s.c_str();
}

}  // namespace

int GameSpeedPeriod(int gameSpeed, int callerPeriodMs) {
  switch (gameSpeed) {
    case 4:
      return 1000;
    case 6:
      return callerPeriodMs > 0 ? callerPeriodMs : 0;
    case 7:
      return 500;
    default:  // 5 and anything unknown: unpaced
      return 0;
  }
}

GameScreen::GameScreen(int isEventScreen) : isEventScreen_(isEventScreen) {
  loadingText_ = TableText(1013);
  for (int i = 0; i < 5; ++i) {
    loadCommands_[i] = TableText(10555 + i);
    saveCommands_[i] = TableText(10550 + i);
  }
  if (!g_currentScreen) g_currentScreen = this;
  if (g_playMode == 2) {
    SeedRandom(static_cast<uint32_t>(g_localPlayers[2]));
  } else {
    SeedRandom(TimeGetTime());
  }
  if (g_shellState == kShellEvent && isEventScreen == 1) {
    FlushInput(0);
    // Every byte of every state: a byte left over from the last event would
    // read as a held key in the first frame of this one.
    std::memset(g_playerStates, 0, sizeof g_playerStates);
  }
  InitLockStep();
}

GameScreen::~GameScreen() {
  if (waitBoxShown_) CloseWaitBox();
  if (fadePalette_) ReleasePalette(fadePalette_);
  fadePalette_ = nullptr;
  DestroyOptionsMenu();
  EndLoadingScreen();
  if (g_currentScreen == this) g_currentScreen = nullptr;
}

int GameScreen::Run() {
  ShellPollInput();
  if (!optionsMenu_) return 0;
  DrawOverlay();
  DrawDebugOverlay();
  if (!menuOpen_ && ShellMenuKeyPressed()) {
    menuOpen_ = 1;
    chatOpen_ = 0;
    optionsMenu_->SetVisible(isEventScreen_);
    ShellResetInput();
  }
  int r = 0;
  if (menuOpen_) {
    r = optionsMenu_->Run();
    if (r == 1 || r == -1) menuOpen_ = 0;
    if (r == -1) ShellCloseSession();
  }
  return r;
}

void GameScreen::HandleChatInput() {
  if (menuOpen_) return;
  if (!chatOpen_) {
    // A new press of F12, also one already let go again before this frame.
    if (GetKeyPressCount(kVkF12) > 0) {
      chatOpen_ = 1;
      chatLine_.clear();
      FlushInput(0);
      return;
    }
  } else {
    // The game sees no keys while the line is open.
    ClearKeysDown();
    ClearKeyPressCounts();
    // Everything typed this frame belongs to the line, also what follows an
    // Enter: the player was typing a message, not playing.
    for (char c = ReadTypedChar(); c != 0; c = ReadTypedChar()) {
      unsigned char u = static_cast<unsigned char>(c);
      if (u == 8) {
        if (!chatLine_.empty()) chatLine_.pop_back();
      } else if (u == 13) {
        commandText_ = UpperCase(chatLine_);
        ShellSendChat(commandText_.c_str());
        chatOpen_ = 0;
      } else if (u == 27) {
        chatOpen_ = 0;
      } else if (u >= 32 && u <= 127) {
        if (static_cast<int>(chatLine_.size()) < kChatLineMax) chatLine_.push_back(c);
      }
    }
  }
  std::string from, text;
  while (ShellPopChat(&from, &text)) {
    std::string line = from + ": " + text;
    AddMessage(line.c_str());
  }
}

const char* GameScreen::GetCommandText() { return commandText_.c_str(); }

void GameScreen::ClearCommandText() { commandText_.clear(); }

bool GameScreen::IsLoadGameCommand(int* slot) const {
  for (int i = 0; i < 5; ++i) {
    if (!loadCommands_[i].empty() && commandText_ == loadCommands_[i]) {
      if (slot) *slot = i;
      return true;
    }
  }
  return false;
}

bool GameScreen::IsSaveGameCommand(int* slot) const {
  for (int i = 0; i < 5; ++i) {
    if (!saveCommands_[i].empty() && commandText_ == saveCommands_[i]) {
      if (slot) *slot = i;
      return true;
    }
  }
  return false;
}

void GameScreen::AddMessage(const char* text) {
  ShellPlayNaviSound();
  if (nextMessage_ < 0 || nextMessage_ >= kMessageLines) nextMessage_ = 0;
  messages_[nextMessage_].text = text ? text : "";
  messages_[nextMessage_].shownFrame = frameCounter_;
  ++nextMessage_;
}

void GameScreen::DrawOverlay() {
  ++frameCounter_;
  if (!optionsMenu_) return;
  for (int i = 0; i < kMessageLines; ++i) {
    GameMessageLine& line = messages_[i];
    if (!line.text.empty() && frameCounter_ - line.shownFrame > kMessageLifeFrames) line.text.clear();
    if (line.text.empty()) continue;
    int h = optionsMenu_->CharHeight();
    int w = optionsMenu_->TextWidth(line.text.c_str());
    optionsMenu_->TileRect(ShellBackSurface(), 8, messageTop_ - 2 + 25 * i, w + 4, h + 4);
    optionsMenu_->DrawText(ShellBackSurface(), 10, messageTop_ + 25 * i, line.text.c_str());
  }
  if (chatOpen_) {
    static const char kSpinner[3] = {'/', '-', '\\'};
    std::string shown = "> " + chatLine_;
    shown.push_back(kSpinner[((frameCounter_ % 3) + 3) % 3]);
    int h = optionsMenu_->CharHeight();
    optionsMenu_->TileRect(ShellBackSurface(), 8, 8, 624, h + 4);
    optionsMenu_->DrawText(ShellBackSurface(), 10, 10, shown.c_str());
  }
}

void GameScreen::SetDebugLine(int index, const char* text) {
  if (index < 0 || index >= kDebugLines) return;
  debugLines_[index] = text ? text : "";
}

const char* GameScreen::GetDebugLine(int index) const {
  if (index < 0 || index >= kDebugLines) return "";
  return debugLines_[index].c_str();
}

void GameScreen::DrawDebugOverlay() {
  if (g_debugMode != 8) return;
  char buf[160];
  std::snprintf(buf, sizeof buf, "SyncPt: %d", static_cast<int>(GetSyncPoint()));
  SetDebugLine(0, buf);
  std::snprintf(buf, sizeof buf, "Last rand() value: %d", LastRandomValue());
  SetDebugLine(1, buf);
  for (int i = 0; i < kMaxPlayers; ++i) {
    const PlayerRecord& p = g_players[i];
    std::snprintf(buf, sizeof buf,
                  "Player %d: eng=%5d, str=%5d, spd=%5d, end=%5d, atm=%5d, special=%5d", i + 1,
                  p.energy, p.strength, p.speed, p.endurance, p.powerPills, p.weaponUnits);
    SetDebugLine(2 + i, buf);
  }
  for (int i = 0; i < kDebugLines; ++i) {
    ShellDrawScreenText(10, 100 + 14 * i, debugLines_[i].c_str());
  }
}

int GameScreen::DelayElapsed(int timer, int periodMs) {
  return PeriodElapsed(timer, GameSpeedPeriod(g_gameSpeed, periodMs));
}

int GameScreen::PeriodElapsed(int timer, int periodMs) {
  if (!g_timers || !g_timers->InUse(timer)) return 1;  // never wait on a missing stopwatch
  if (periodMs > 0) {
    const uint32_t period = static_cast<uint32_t>(periodMs);
    uint32_t elapsed = g_timers->Elapsed(timer);
    if (elapsed < period) {
      WaitForEventMs(period - elapsed);
      // Woken early by the window: its event comes first.
      if (g_timers->Elapsed(timer) < period) return 0;
    }
  }
  g_timers->Restart(timer);
  return 1;
}

void GameScreen::CreateOptionsMenu(DDPalette* palette, int first, int count) {
  DestroyOptionsMenu();
  optionsMenu_ = new OptionsMenu(palette, first, count);
}

void GameScreen::DestroyOptionsMenu() {
  delete optionsMenu_;
  optionsMenu_ = nullptr;
  menuOpen_ = 0;
}
