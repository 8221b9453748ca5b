// GameScreen's lock-step kit: thin calls into its LockStep, and what the
// exchange asks of the screen and the player (the wait box, a frame of the
// screen while waiting, the local players' input maps).
#include <cctype>

#include "base/player_records.h"
#include "graphics/sprite.h"
#include "input/input.h"
#include "platform/keyboard.h"
#include "screen/game_screen.h"
#include "screen/game_screen_services.h"
#include "screen/options_menu.h"

class ScreenLockStepUi : public LockStepUi {
 public:
  explicit ScreenLockStepUi(GameScreen* screen) : screen_(screen) {}

  void ShowWaitBox(const std::string& text) override { screen_->ShowWaitBox(text.c_str()); }
  void CloseWaitBox() override { screen_->CloseWaitBox(); }
  void PrepareWaitMenu() override {
    if (!screen_->optionsMenu_) {
      screen_->CreateOptionsMenu(g_dialogSprite ? g_dialogSprite->GetFramePalette(3) : nullptr);
    }
  }
  int RunWaitFrame() override {
    // The screen may still be in its constructor: only the base parts run.
    screen_->GameScreen::HandleChatInput();
    int r = screen_->GameScreen::Run();
    ShellFlip();
    return r;
  }
  void PumpEvents(bool deferActivation) override { ShellPumpEvents(deferActivation); }
  bool TakeKeyPress(char key) override {
    if (ShellScriptedKeyPress(key)) return true;
    int vk = std::toupper(static_cast<unsigned char>(key));
    if (GetKeyPressCount(vk) == 0) return false;
    ClearKey(vk);
    return true;
  }
  void PollActionMap(int which, uint8_t actions[kPlayerStateSize]) override {
    if (ShellScriptedInput(which, actions)) return;
    InputActionMap* map = which == 0 ? g_player1Map : g_player2Map;
    for (int i = 0; i < kPlayerStateSize; ++i) actions[i] = 0;
    if (!map) return;
    map->Poll();
    for (int i = 0; i < kPlayerStateSize; ++i) actions[i] = map->TakeState(i);
  }
  void FinishWait() override {
    ResetInput();
    SetJoysticksEnabled(1);
  }
  void AddMessage(const std::string& text) override { screen_->AddMessage(text.c_str()); }
  void BlankScreen() override { ShellClearDisplay(); }

 private:
  GameScreen* screen_;
};

void GameScreen::InitLockStep() {
  lockStepUi_ = std::make_unique<ScreenLockStepUi>(this);
  lockStep_ = std::make_unique<LockStep>(LockStepContext::Globals(), lockStepUi_.get());
}

int GameScreen::WaitForPlayers() { return lockStep_->WaitForPlayers(); }
int GameScreen::ReadLocalInput() { return lockStep_->ReadLocalInput(); }
int GameScreen::ExchangeInput() { return lockStep_->ExchangeInput(); }
int GameScreen::BroadcastEventEnd() { return lockStep_->BroadcastEventEnd(); }
uint8_t GameScreen::AgreeOnLeavers(int offset, uint8_t persons) {
  uint8_t gone = 0;
  for (int s = 0; s < kMaxPlayers; ++s) gone |= GetPlayerByte(s, offset);
  uint8_t seen = gone;
  for (int p = 0; p < kMaxPlayers; ++p)
    if ((persons & (1u << p)) && g_players[p].human == 0) seen |= static_cast<uint8_t>(1u << p);
  PutOutByte(offset, seen);
  return static_cast<uint8_t>(persons & ~gone);
}
int GameScreen::HandleSystemMessage(const NetMessage& msg) {
  return lockStep_->HandleSystemMessage(msg);
}
