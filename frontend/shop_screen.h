#pragma once
// The shop between events: the awards of the event just played, the medal
// ceremony on the podium, the standings, the automatic save into slot 4
// and the event's all-time record; then each person at this machine in
// turn spends money on training, weapons, power pills and energy juice.
// Closing it, every computer player shops by its own rules. Run returns 1
// when the shop is done, -1 when the players leave the championship.
#include <memory>
#include <string>

#include "frontend/save_game.h"
#include "frontend/shop_rules.h"
#include "screen/game_screen.h"

class BitmapFont;
class DDSurface;
class MaskedBlend;
class Sprite;

// The label of the buyer's k-th bar (energy, strength, speed, endurance) in
// the shop's panel: written over the bar, inside its outline.
TextBox ShopBarLabelBox(int k);

class ShopScreen : public GameScreen {
 public:
  ShopScreen();
  ~ShopScreen() override;
  int Run() override;
  void OnDeactivate() override;
  void OnActivate() override;

  // "SAVE GAME n" on the command line: writes the snapshot of the arrival
  // into slot n-1 and tells the player whether it was written.
  bool SaveGameFile(int slot);

  // For tests.
  int State() const { return state_; }
  int Buyer() const { return buyer_; }
  int Selected() const { return selected_; }
  int RecordHolder() const { return recordHolder_; }
  bool AutoSaved() const { return autoSaved_; }
  const SaveGameRecord& Snapshot() const { return snapshot_; }
  const int* Podium() const { return podium_; }

 private:
  void Medals();
  void Standings();
  void SetUpShop();
  void Shopping();
  void Buy(bool byMouse);
  void DrawCeremony(int frame);
  void DrawStandings();
  void DrawItems(int init);
  void DrawPanel();
  int SelectItemAt(int x, int y) const;
  void LoadBuyerSheet();
  uint32_t CeremonyMs() const;
  void RaiseMusic();
  void LowerMusic();

  SaveGameRecord snapshot_;
  bool autoSaved_ = false;
  std::string names_[kShopItems];
  std::string prices_[kShopItems];
  std::string labels_[4];

  int medal_[4] = {-1, -1, -1, -1};
  int medalCounter_ = 0;
  bool medalStarted_ = false;
  int music_ = -1;
  int announce_ = -1;
  int record_ = -1;

  std::unique_ptr<Sprite> medals_;
  std::unique_ptr<Sprite> shop1_;
  std::unique_ptr<Sprite> shop2_;
  std::unique_ptr<Sprite> sheets_[2];
  Sprite* sheet_ = nullptr;
  std::unique_ptr<Sprite> cursor_;
  std::unique_ptr<BitmapFont> font_;
  std::unique_ptr<MaskedBlend> background_;
  DDPalette* palette_ = nullptr;

  int frameTimer_ = -1;
  int ceremonyTimer_ = -1;
  uint32_t mark_ = 0;
  int buyer_ = 0;
  int state_ = 1;
  int sub_ = 0;
  int selected_ = 0;
  int info_ = 40;
  int busy_ = 0;
  int busyFrames_ = 0;
  int busyNext_ = 7;
  bool busyMouse_ = false;
  int lastMouseX_ = -1;
  int lastMouseY_ = -1;
  int cursorLook_ = 1;
  int recordHolder_ = 0;
  int podium_[4] = {0, 1, 2, 3};
  int animFrame_ = 0;
  int scroll_ = 0;
  int barColour_ = 0;
  int outlineColour_ = 0;
  // The buyer's values as the panel shows them, counting towards the real ones.
  int shownMoney_ = 0;
  int shownStats_[4] = {};  // energy, strength, speed, endurance
  int shownWeapons_ = 0;
  int shownPills_ = 0;
};
