#pragma once
// The main menu between championships: championship or single event, the
// kind of game (solo, two at one machine, network), the control modes and
// the key and button set-ups, the hall of fame, the credits and quit.
// Run returns -1 quit, 1 new game, 2 credits, 3 hall of fame.
#include <memory>
#include <string>

#include "frontend/menu_rules.h"
#include "graphics/transition.h"
#include "screen/game_screen.h"

class BitmapFont;
class DDSurface;
class Sprite;

class MainMenuScreen : public GameScreen {
 public:
  MainMenuScreen();
  ~MainMenuScreen() override;
  int Run() override;
  void OnDeactivate() override;
  void OnActivate() override;
  int IsMusicPlaying() override { return musicOn_; }

  // The event chosen in the training picker (0 for a championship).
  int TrainingEvent() const { return trainingEvent_; }
  // For tests.
  int CurrentMenu() const { return currentMenu_; }
  int SelectedRow() const { return selected_; }
  int PendingState() const { return pending_; }
  const MenuRows& Rows() const { return rows_; }
  bool IsAwaitingKey() const { return awaitingKey_; }
  bool IsAwaitingButton() const { return awaitingButton_; }
  bool IsEditingAddress() const { return editingAddress_; }

 private:
  void BuildPending();
  void HandleInput();
  void HandlePicker();
  void Confirm();
  void Act();
  void Back();
  void AwaitKey();
  void AwaitButton();
  void EditAddress();
  void FinishAddress(bool keep);
  void ShowKeyRows();
  void ShowButtonRows();
  void Draw();
  void DrawRows();
  void DrawPicker();

  std::unique_ptr<DDSurface> tile_;
  std::unique_ptr<DDSurface> logo_;
  std::unique_ptr<BitmapFont> font_;
  std::unique_ptr<BitmapFont> fontHighlight_;
  std::unique_ptr<BitmapFont> fontSmall_;
  std::unique_ptr<Sprite> cursor_;
  std::unique_ptr<Sprite> events_;
  std::unique_ptr<MaskedBlend> background_;
  DDPalette* palette_ = nullptr;  // one reference

  int timer_ = -1;
  uint32_t frame_ = 0;
  int scrollX_ = 0;
  int scrollY_ = 0;
  int lastMouseX_ = -1;
  int lastMouseY_ = -1;
  int pointerFrame_ = 1;
  int pending_ = kMenuMain;
  int currentMenu_ = 0;
  int selected_ = 0;
  int editedSet_ = 1;  // key set 1/2, or joystick 1/2 on the button screen
  bool awaitingKey_ = false;
  bool awaitingButton_ = false;
  bool editingAddress_ = false;
  std::string address_;  // the host address being typed
  bool reservedWasDown_ = false;
  bool confirming_ = false;
  uint32_t confirmFrames_ = 0;
  int result_ = 0;
  int trainingEvent_ = 0;
  int pickerEvent_ = 1;
  int musicOn_ = 1;
  MenuRows rows_;
};

// The training event of the last main menu that started a new game (the
// shell reads it after the menu is gone).
int LastMenuTrainingChoice();
