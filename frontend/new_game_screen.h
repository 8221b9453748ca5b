#pragma once
// The new-game screen: each person at this machine types a name, picks an
// athlete on the turning carousel and a country; the other slots become
// computer players. "LOAD GAME 1".."LOAD GAME 5" typed on the command line
// loads a saved championship instead. Run returns -1 (back to the menu),
// 1 (the game starts) or 2 (a game was loaded: on to the shop).
//
// The network lobby works on the same screen with the lobby codes in the
// records' country field (-1 empty slot, -2 choosing a country, -3 choosing
// an athlete); the network's part of the screen is in lobby_screen.cpp.
#include <memory>
#include <string>

#include "base/player_records.h"
#include "frontend/save_game.h"
#include "screen/game_screen.h"

class BitmapFont;
class DDSurface;
class MaskedBlend;
class NetLobby;
class Sprite;

// Lobby codes of a record's country field.
inline constexpr int kLobbyEmpty = -1;
inline constexpr int kLobbyChoosingCountry = -2;
inline constexpr int kLobbyChoosingCharacter = -3;

// The next country from `current` by delta (+1 up, -1 down, +5 right, -5
// left), wrapping over 0..13 and passing over countries other records hold.
int NextFreeCountry(int current, int delta, const PlayerRecord players[kMaxPlayers], int ownSlot);
// A typed character as the name takes it (upper case), or 0 when refused.
char NameCharacter(char typed);
// Gives every slot that no person holds a computer player (the first
// athlete and country nobody has, the athlete's name) and sets the start
// values of all four records.
void FillComputerPlayers(PlayerRecord players[kMaxPlayers]);
// The country the carousel's choice starts at, by athlete.
int StartCountryOf(int character);

// The left edge of athlete c's (0..5) frame in the parade before the name
// is typed: six frames of 100 pixels side by side, 4 apart, in the middle.
int NewGameParadeX(int athlete);

// Where a player's name is written in his box (slot 0..3): the name field
// of the box's picture, inside its border.
TextBox NewGameNameBox(int slot);

class NewGameScreen : public GameScreen {
 public:
  NewGameScreen();
  ~NewGameScreen() override;
  int Run() override;
  void OnDeactivate() override;
  void OnActivate() override;
  int IsMusicPlaying() override { return musicOn_; }

  // For tests.
  int State() const { return state_; }
  int CurrentSlot() const { return slot_; }
  const std::string& Entry() const { return entry_; }
  int Choice() const { return character_; }
  int CountryChoice() const { return country_; }
  bool Loaded() const { return loaded_ != 0; }

 private:
  int LoadGame(int slot);
  void Confirm();
  void TypeName();
  void TurnCarousel();
  void ChooseCountry();
  bool CharacterTaken(int character) const;
  int PointerZone(int x, int y) const;
  void Draw();
  void DrawBox(int slot, int x, int y);
  void DrawCarousel();

  std::unique_ptr<DDSurface> tiles_[3];
  std::unique_ptr<DDSurface> box_;
  std::unique_ptr<Sprite> faces_;
  std::unique_ptr<Sprite> intro_;
  std::unique_ptr<Sprite> flags_;
  std::unique_ptr<Sprite> bigFlags_;
  std::unique_ptr<Sprite> cursor_;
  std::unique_ptr<BitmapFont> font_;
  std::unique_ptr<BitmapFont> bigFont_;  // prompts and titles
  std::unique_ptr<MaskedBlend> background_;
  DDPalette* palette_ = nullptr;
  int sounds_[6] = {-1, -1, -1, -1, -1, -1};

  int timer_ = -1;
  int state_ = 0;
  int zone_ = 1;
  int lastMouseX_ = -1;
  int lastMouseY_ = -1;
  int frame_ = 0;
  int step_ = 0;
  std::string entry_;
  int country_ = 0;
  int character_ = 0;
  double angle_ = 0.2;
  double speed_ = 0.0;
  int lastMove_ = 1;
  int taken_ = 0;
  int slot_ = 0;
  int loaded_ = 0;
  int musicOn_ = 1;
  SaveGameRecord saved_;

  // The network lobby (g_playMode 2), in lobby_screen.cpp.
  void StartLobby();
  bool LobbyHosting() const;
  bool LobbyJoin(const char* name, int wantSlot);
  bool LobbyConfirm();              // true: the network's own way was taken
  void LobbyConfirmed(int before);  // after a confirm: the others are told
  int LobbyFrame();                 // the lobby's messages; -1 leaves
  void LobbyRemoveKeys();           // the host's keys that take a machine out
  bool LobbyCanRemove() const;      // the host holds a remote player's box
  int LobbyFinish();
  int LobbyLoadGame(const SaveGameRecord& rec);
  std::unique_ptr<NetLobby> lobby_;
  bool hosting_ = false;
  int leave_ = 0;
};
