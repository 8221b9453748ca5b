#pragma once
// The closing ceremony after the tenth event and the hall of fame from the
// menu. The ceremony shows the final standings, then the podium with the
// champion's anthem, enters each person's points into the top five and
// ends on the record board; the hall of fame shows only the board (the top
// five and each event's record with its holder). Run returns 1 when done.
#include <memory>
#include <string>

#include "screen/game_screen.h"

class BitmapFont;
class DDSurface;
class MaskedBlend;
class Sprite;

class EndingScreen : public GameScreen {
 public:
  explicit EndingScreen(int afterChampionship);
  ~EndingScreen() override;
  int Run() override;
  void OnDeactivate() override;
  void OnActivate() override;

  enum Stage { kStandings = 1, kPodium = 2, kBoard = 3 };
  int StageNow() const { return stage_; }
  int Champion() const { return order_[0]; }

 private:
  void Enter(int stage);
  void DrawStandings();
  void DrawPodium();
  void DrawBoard();

  int afterChampionship_;
  int stage_ = kBoard;
  int order_[4] = {0, 1, 2, 3};
  std::unique_ptr<Sprite> medals_;
  std::unique_ptr<DDSurface> tile_;
  std::unique_ptr<BitmapFont> font_;
  std::unique_ptr<BitmapFont> bigFont_;
  std::unique_ptr<BitmapFont> highlightFont_;
  std::unique_ptr<MaskedBlend> background_;
  DDPalette* palette_ = nullptr;
  int anthem_ = -1;
  int timer_ = -1;
  int stageTimer_ = -1;
  int frame_ = 0;
};
