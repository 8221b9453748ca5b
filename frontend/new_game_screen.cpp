#include "frontend/new_game_screen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

#include "base/player_records.h"
#include "base/stopwatch.h"
#include "base/string.h"
#include "frontend/lobby.h"
#include "frontend/screen_kit.h"
#include "graphics/bitmap_font.h"
#include "graphics/display.h"
#include "graphics/sprite.h"
#include "graphics/transition.h"
#include "input/input.h"
#include "net/net_session.h"
#include "platform/keyboard.h"
#include "platform/message_box.h"
#include "screen/game_screen_services.h"
#include "sound/sound.h"

namespace {

constexpr int kBoxX[4] = {17, 157, 297, 437};
constexpr int kBoxY = 74;
constexpr const char* kCharacterSounds[6] = {"Rizaz1.wav", "Amen1.wav",    "Zovi1.wav",
                                             "Nitemare.wav", "Ohwow.wav", "Makeday.wav"};
// Start values of strength, speed and endurance by athlete (the boxes' bars).
constexpr int kStartBars[6][3] = {{40, 20, 70}, {35, 65, 40}, {60, 40, 30},
                                  {35, 50, 50}, {40, 50, 50}, {30, 30, 70}};
// Each athlete's cry when chosen, as an index into kCharacterSounds.
constexpr int kCharacterCry[6] = {0, 3, 5, 1, 4, 2};
constexpr int kStartCountry[6] = {2, 12, 13, 1, 0, 8};
constexpr const char* kNameAlphabet = "0123456789-_ABCDEFGHIJKLMNOPQRSTUVWXYZ ";

const char* Text(unsigned id) {
  const char* t = GetStringText(id);
  return t ? t : "";
}

bool MouseClicked(int button) {
  if (GetKeyPressCount(button) == 0) return false;
  ClearKey(button);
  return true;
}

}  // namespace

int NextFreeCountry(int current, int delta, const PlayerRecord players[kMaxPlayers], int ownSlot) {
  auto held = [&](int c) {
    for (int i = 0; i < kMaxPlayers; ++i) {
      if (i != ownSlot && players[i].country == c) return true;
    }
    return false;
  };
  auto wrap = [](int c) { return c < 0 ? kCountries - 1 : (c >= kCountries ? 0 : c); };
  int c = current + delta;
  if (c < 0) c = kCountries - 1;
  if (c >= kCountries) c = 0;
  int step = delta < 0 ? -1 : 1;
  for (int n = 0; n < kCountries && held(c); ++n) c = wrap(c + step);
  return held(c) ? current : c;
}

char NameCharacter(char typed) {
  unsigned char u = static_cast<unsigned char>(typed);
  if (u <= 31) return 0;
  char c = (typed >= 'a' && typed <= 'z') ? static_cast<char>(typed - 'a' + 'A') : typed;
  if (!std::strchr(kNameAlphabet, c) || c == 0) return 0;
  return c;
}

int StartCountryOf(int character) {
  return character >= 0 && character < 6 ? kStartCountry[character] : 0;
}

void FillComputerPlayers(PlayerRecord players[kMaxPlayers]) {
  for (int i = 0; i < kMaxPlayers; ++i) {
    PlayerRecord& p = players[i];
    if (p.human) continue;
    bool usedCharacter[kCharacters] = {};
    bool usedCountry[kCountries] = {};
    for (int j = 0; j < kMaxPlayers; ++j) {
      if (j == i || (!players[j].human && j > i)) continue;
      if (players[j].character >= 0 && players[j].character < kCharacters) usedCharacter[players[j].character] = true;
      if (players[j].country >= 0 && players[j].country < kCountries) usedCountry[players[j].country] = true;
    }
    int c = 0;
    while (c < kCharacters - 1 && usedCharacter[c]) ++c;
    int k = 0;
    while (k < kCountries - 1 && usedCountry[k]) ++k;
    p.character = c;
    p.country = k;
    p.human = 0;
    SetPlayerName(&p, Text(10120 + c));
  }
  for (int i = 0; i < kMaxPlayers; ++i) {
    InitPlayerRecord(&players[i], players[i].character);
    players[i].place = -1;
    players[i].result = 0;
    players[i].reserved60 = 0;
  }
}

NewGameScreen::NewGameScreen() : GameScreen(0) {
  for (int i = 0; i < 6; ++i) {
    sounds_[i] = LoadSoundSlot(ShellProgramPath((std::string("sounds\\menu\\") + kCharacterSounds[i]).c_str()));
  }
  static const char* kTiles[3] = {"Menu\\tile1.bmp", "Menu\\tile2.bmp", "Menu\\tile3.bmp"};
  for (int i = 0; i < 3; ++i) tiles_[i] = LoadProgramPicture(kTiles[i]);
  box_ = LoadProgramPicture("Menu\\boxes8.bmp");
  faces_ = LoadProgramSprite("Menu\\faces8n.mbm");
  intro_ = LoadProgramSprite("Menu\\intro.mbm");
  flags_ = LoadProgramSprite("Menu\\flags8.mbm");
  bigFlags_ = LoadProgramSprite("Menu\\flagwin8.mbm");
  cursor_ = LoadProgramSprite("Menu\\cursor.mbm");
  font_ = LoadProgramFont("Menu\\font8s.mbm");
  bigFont_ = LoadProgramFont("Menu\\font8.mbm");
  DDSurface* withPalette = box_ ? box_.get() : tiles_[0].get();
  if (withPalette && withPalette->GetPalette()) {
    palette_ = withPalette->GetPalette();
    palette_->AddRef();
  }
  background_ = MakeTiledBackground(tiles_[0].get());
  timer_ = StartScreenTimer();
  // This machine's people: slot 0, and slot 1 for the second at the same
  // keyboard. The others are filled with computer players at the end.
  if (g_playMode != 2) {
    g_localPlayers[0] = 0;
    g_localPlayers[1] = 1;
    for (PlayerRecord& p : g_players) {
      std::memset(&p, 0, sizeof p);
      p.country = kLobbyEmpty;
      p.place = -1;
    }
  } else {
    StartLobby();
  }
  slot_ = g_localPlayers[0];
  CreateOptionsMenu(palette_);
  Draw();
  ShellFlip();
  Draw();
  ShowPalette(palette_, 16);
  ResetInput();
  FlushInput(0);
}

NewGameScreen::~NewGameScreen() {
  background_.reset();
  for (int& s : sounds_) FreeSoundSlot(&s);
  ReleaseScreenTimer(timer_);
  if (palette_) palette_->Release();
}

void NewGameScreen::OnDeactivate() {
  musicOn_ = 0;
  StopSoundSlot(g_musicSound);
}

void NewGameScreen::OnActivate() {
  musicOn_ = 1;
  PlaySoundSlot(g_musicSound, true);
}

int NewGameScreen::LoadGame(int slot) {
  SaveGameRecord rec;
  std::string why;
  if (ReadSaveGame(slot, &rec, &why) != kSaveOk) {
    PlayShared(g_warningSound);
    std::string text = std::string(Text(10533)) + "\n" + why;
    ShowMessageBox(text.c_str(), Text(1010), kMbIconExclamation);
    return 0;
  }
  // A network game can only be taken up again by the host of a network
  // game; everywhere else it is refused.
  bool host = LobbyHosting();
  if (rec.playMode == 2 && (g_playMode != 2 || !host)) {
    ShowMessageBox(Text(1044), Text(1010), kMbIconExclamation);
    return -1;
  }
  if (rec.playMode == 2) {
    if (LobbyLoadGame(rec) == -1) return -1;
    AddMessage(Text(10532));
    return 0;
  }
  saved_ = rec;
  g_playMode = rec.playMode;
  g_eventIndex = rec.eventIndex;
  g_trainingEvent = rec.trainingEvent;
  std::memcpy(g_players, rec.players, sizeof g_players);
  g_localPlayers[0] = rec.localPlayers[0];
  g_localPlayers[1] = rec.localPlayers[1];
  slot_ = g_localPlayers[0];
  entry_ = g_players[slot_].name;
  loaded_ = 1;
  state_ = 4;
  AddMessage(Text(10532));
  return 0;
}

int NewGameScreen::Run() {
  if (!DelayElapsed(timer_, 65)) return 0;
  ++frame_;
  if (state_ > 0) {
    HandleChatInput();
    int slot = -1;
    if (IsLoadGameCommand(&slot)) {
      ClearCommandText();
      if (LoadGame(slot) == -1) {
        ShellCloseSession();
        return -1;
      }
    }
  }
  int r = GameScreen::Run();
  if (r == -1) {
    ShellCloseSession();
    return -1;
  }
  // Last frame's picture goes up with the base's lines on it; this frame's
  // is drawn for the next call.
  ShellFlip();
  if (r == 2) return 0;
  if (g_mouseX != lastMouseX_ || g_mouseY != lastMouseY_) {
    lastMouseX_ = g_mouseX;
    lastMouseY_ = g_mouseY;
    zone_ = PointerZone(g_mouseX, g_mouseY);
  }
  bool click = zone_ == 2 && MouseClicked(kVkLButton);
  if (click) zone_ = 3;
  // Enter (or the keypad's) takes every step, as the screen's texts say;
  // the fire keys take every step after the name, since a player's fire
  // key may be a letter of the name being typed.
  bool fire = state_ > 1 && (IsFire1Active(0) || IsFire2Active(0));
  bool enter = IsEnterActive(0);
  if (!IsChatOpen() && (fire || enter || click)) Confirm();
  if (leave_) return -1;
  if (lobby_ && LobbyFrame() == -1) return -1;

  switch (state_) {
    case 0:
      if (frame_ > 20) state_ = 1;
      break;
    case 1:
      TypeName();
      break;
    case 2:
      TurnCarousel();
      break;
    case 3:
      ChooseCountry();
      break;
    case 4: {
      int v = GetSoundVolume(g_musicSound);
      if (v < 0) SetSoundVolume(g_musicSound, std::min(0, v + 100));
      if (g_playMode == 1 && !loaded_ && slot_ == g_localPlayers[0]) {
        entry_.clear();
        country_ = 0;
        slot_ = g_localPlayers[1];
        state_ = 1;
      }
      break;
    }
    case 5:
      if (lobby_) return LobbyFinish();
      if (g_netSession) {
        g_netSession->SelectProvider(0, 0);
        g_netSession->AddLocalPlayer(g_players[g_localPlayers[0]].name, g_localPlayers[0]);
        if (g_playMode == 1) {
          g_netSession->AddLocalPlayer(g_players[g_localPlayers[1]].name, g_localPlayers[1]);
        }
      }
      return loaded_ ? 2 : 1;
    case 6: {
      int v = GetSoundVolume(g_musicSound);
      if (v > -1000) SetSoundVolume(g_musicSound, std::max(-1000, v - 100));
      step_ = 4;
      bool playing = false;
      for (int s : sounds_) playing = playing || IsSoundSlotPlaying(s);
      if (!playing) state_ = 3;
      break;
    }
    case 7: {
      int v = GetSoundVolume(g_musicSound);
      if (v > -1000) SetSoundVolume(g_musicSound, std::max(-1000, v - 100));
      PlayShared(g_selectSound);
      PlaySoundSlot(sounds_[kCharacterCry[character_]]);
      country_ = NextFreeCountry(StartCountryOf(character_), 0, g_players, slot_);
      state_ = 6;
      break;
    }
    default:
      break;
  }
  Draw();
  return 0;
}

void NewGameScreen::Confirm() {
  if (lobby_ && LobbyConfirm()) {
    ResetInput();
    return;
  }
  const int before = state_;
  switch (state_) {
    case 0:
      state_ = 1;
      break;
    case 1: {
      if (entry_.empty() || entry_[0] == ' ' || entry_[0] == '\r') {
        entry_.clear();
        PlayShared(g_warningSound);
        break;
      }
      String upper(entry_.c_str());
      upper.MakeUpper();
      entry_ = upper.c_str();
      PlayShared(g_selectSound);
      PlayerRecord& p = g_players[slot_];
      SetPlayerName(&p, entry_.c_str());
      p.human = 1;
      p.country = kLobbyChoosingCharacter;
      state_ = 2;
      if (CharacterTaken(character_)) taken_ = 1;
      break;
    }
    case 2:
      if (slot_ >= 0 && !taken_ && !CharacterTaken(character_)) {
        g_players[slot_].country = kLobbyChoosingCountry;
        g_players[slot_].character = character_;
        state_ = 7;
      } else {
        PlayShared(g_warningSound);
      }
      break;
    case 3:
      g_players[slot_].country = country_;
      state_ = 4;
      if (g_playMode == 0 || (g_playMode == 1 && slot_ == g_localPlayers[1])) {
        FillComputerPlayers(g_players);
      }
      PlayShared(g_selectSound);
      break;
    case 4:
      if (g_playMode == 1 && !loaded_ && slot_ == g_localPlayers[0]) break;  // the second is next
      PlayShared(g_selectSound);
      state_ = 5;
      break;
    default:
      break;
  }
  if (lobby_) LobbyConfirmed(before);
  ResetInput();
}

void NewGameScreen::TypeName() {
  if (IsChatOpen()) return;
  for (char c = ReadTypedChar(); c != 0; c = ReadTypedChar()) {
    if (c == 8) {
      if (!entry_.empty()) {
        entry_.pop_back();
        PlayShared(g_naviSound);
      }
      continue;
    }
    char k = NameCharacter(c);
    if (k && entry_.size() < 10) {
      entry_.push_back(k);
      PlayShared(g_naviSound);
    }
  }
}

bool NewGameScreen::CharacterTaken(int character) const {
  for (int i = 0; i < kMaxPlayers; ++i) {
    if (i == slot_) continue;
    const PlayerRecord& p = g_players[i];
    if (p.country != kLobbyEmpty && p.country != kLobbyChoosingCharacter && p.character == character) {
      return true;
    }
  }
  return false;
}

void NewGameScreen::TurnCarousel() {
  bool clicked = zone_ == 5 || zone_ == 4 ? MouseClicked(kVkLButton) : false;
  int move = 0;
  if (taken_) {
    move = lastMove_;  // a taken athlete is turned past
    taken_ = 0;
  } else if (IsRightActive(0) || (clicked && zone_ == 5)) {
    move = 1;
  } else if (IsLeftActive(0) || (clicked && zone_ == 4)) {
    move = -1;
  }
  if (move != 0) {
    lastMove_ = move;
    angle_ += move > 0 ? 1.05 : -1.05;
    speed_ += move > 0 ? -0.05 : 0.05;
    character_ = (character_ + move + kCharacters) % kCharacters;
    PlayShared(g_naviSound);
    if (CharacterTaken(character_)) taken_ = 1;
  }
  if (speed_ != 0.0) {
    double before = angle_;
    angle_ += speed_;
    if ((before - 0.2) * (angle_ - 0.2) <= 0.0) {
      angle_ = 0.2;
      speed_ = 0.0;
    }
  }
}

void NewGameScreen::ChooseCountry() {
  // One step per press, also for two taps within one frame.
  const int moves[4][2] = {{UpPresses(0), 1}, {DownPresses(0), -1}, {RightPresses(0), 5}, {LeftPresses(0), -5}};
  bool moved = false;
  for (const auto& m : moves) {
    for (int n = m[0]; n > 0; --n) {
      country_ = NextFreeCountry(country_, m[1], g_players, slot_);
      moved = true;
    }
  }
  if (moved) PlayShared(g_naviSound);
}

int NewGameScreen::PointerZone(int x, int y) const {
  if (x < 160 || x > 460 || y < 280 || y > 420) return 1;
  if (x >= 351 && y >= 301) return 5;
  if (x < 275 && y > 300) return 4;
  if (y < 301) return 1;
  return 2;
}

int NewGameParadeX(int athlete) { return 10 + 104 * std::clamp(athlete, 0, 5); }

// The box's picture has its name field at (8, 96), 120 x 24, with a border.
TextBox NewGameNameBox(int slot) { return TextBox{kBoxX[slot & 3] + 25 + 11, kBoxY + 99, 114, 20}; }

void NewGameScreen::Draw() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  if (background_) {
    background_->Run(frame_, frame_ / 2);
  } else {
    back->FillRect(0, 0, 640, 480, 0);
  }
  BitmapFont* big = bigFont_ ? bigFont_.get() : font_.get();
  DrawFontText(big, back, 320, 30, Text(g_trainingEvent >= 1 ? 10501 : 10502), kFontAlignCentre);
  for (int i = 0; i < kMaxPlayers; ++i) DrawBox(i, kBoxX[i] + 25, kBoxY);
  switch (state_) {
    case 0:
      if (intro_) {
        for (int c = 0; c < 6; ++c) intro_->DrawFrame(c + 1, back, NewGameParadeX(c), 250 + ((frame_ + c) % 4));
      }
      break;
    case 1: {
      bool second = g_playMode == 1 && slot_ == g_localPlayers[1];
      DrawFontText(big, back, 320, 330, Text(second ? 10513 : 10510), kFontAlignCentre);
      static const char kSpin[3] = {'\\', '-', '/'};
      std::string shown = entry_ + kSpin[frame_ % 3];
      DrawFontText(big, back, 320, 370, shown.c_str(), kFontAlignCentre);
      break;
    }
    case 2:
    case 6:
    case 7:
      DrawCarousel();
      DrawFontText(big, back, 320, 440, Text(10511), kFontAlignCentre);
      if (state_ == 2 && CharacterTaken(character_)) {
        DrawFontText(font_.get(), back, 320, 464, Text(10517), kFontAlignCentre);
      }
      break;
    case 3:
      if (bigFlags_) bigFlags_->DrawFrame(country_ + 1, back, 320 - 45, 300);
      DrawFontText(big, back, 320, 400, Text(10512), kFontAlignCentre);
      break;
    case 4:
    case 5:
      if (g_playMode == 2 && !LobbyHosting()) {
        // A client waits for the host, named by record 0.
        char line[96];
        std::snprintf(line, sizeof line, Text(10516), g_players[0].name);
        DrawFontText(font_.get(), back, 320, 330, line, kFontAlignCentre);
      } else if (g_playMode == 2) {
        DrawFontText(font_.get(), back, 320, 310, Text(10514), kFontAlignCentre);
        DrawFontText(font_.get(), back, 320, 340, Text(10515), kFontAlignCentre);
        if (state_ == 4 && LobbyCanRemove()) DrawFontText(font_.get(), back, 320, 370, Text(10562), kFontAlignCentre);
      } else {
        DrawFontText(font_.get(), back, 320, 330, Text(10515), kFontAlignCentre);
      }
      break;
    default:
      break;
  }
  if (cursor_) cursor_->DrawFrame(zone_ == 3 ? 3 : (zone_ == 1 ? 1 : 2), back, g_mouseX, g_mouseY);
}

void NewGameScreen::DrawBox(int slot, int x, int y) {
  DDSurface* back = ShellBackSurface();
  if (box_) back->Blt(x, y, box_->GetWidth(), box_->GetHeight(), box_.get(), 0, 0);
  const PlayerRecord& p = g_players[slot];
  bool choosing = slot == slot_ && (state_ == 2 || state_ == 6 || state_ == 7 || state_ == 3);
  int character = choosing && state_ != 3 ? character_ : p.character;
  int country = choosing && state_ == 3 ? country_ : p.country;
  bool shown = p.country != kLobbyEmpty || (slot == slot_ && state_ >= 1 && state_ != 5);
  if (!shown) return;
  if ((p.country != kLobbyEmpty && p.country != kLobbyChoosingCharacter) || choosing) {
    if (faces_ && character >= 0 && character < 6) faces_->DrawFrame(character + 1, back, x + 4, y + 6);
    const int* bars = kStartBars[character >= 0 && character < 6 ? character : 0];
    int values[3] = {bars[0], bars[1], bars[2]};
    if (loaded_) {
      values[0] = p.strength;
      values[1] = p.speed;
      values[2] = p.endurance;
    }
    for (int b = 0; b < 3; ++b) {
      back->FillRect(x + 86, y + 56 + b * 10, 44, 6, 0);
      back->FillRect(x + 86, y + 56 + b * 10, std::clamp(values[b], 0, 100) * 44 / 100, 6, 255);
    }
  }
  if (flags_ && country >= 0 && country < kCountries) {
    DDSurface* flag = flags_->GetFrameSurface(country + 1);
    if (flag) back->BltStretch(x + 86, y + 8, 45, 38, flag, 0, 0, flag->GetWidth(), flag->GetHeight(), 0, nullptr);
  }
  const char* name = slot == slot_ && state_ == 1 ? entry_.c_str() : p.name;
  if (font_) DrawTextInBox(font_.get(), back, NewGameNameBox(slot), name, kFontAlignCentre, false);
}

void NewGameScreen::DrawCarousel() {
  if (!faces_) return;
  DDSurface* back = ShellBackSurface();
  struct Placed {
    double depth;
    int character, x, y;
  } placed[kCharacters];
  for (int k = 0; k < kCharacters; ++k) {
    double theta = (k - character_) * (2.0 * std::numbers::pi / kCharacters) + (angle_ - 0.2);
    placed[k].depth = std::cos(theta);
    placed[k].character = k;
    placed[k].x = 320 + static_cast<int>(std::lround(190.0 * std::sin(theta)));
    placed[k].y = 330 + static_cast<int>(std::lround(36.0 * std::cos(theta)));
  }
  std::sort(placed, placed + kCharacters, [](const Placed& a, const Placed& b) { return a.depth < b.depth; });
  // Farther faces are smaller; the front one is drawn last and largest.
  for (const Placed& p : placed) {
    DDSurface* face = faces_->GetFrameSurface(p.character + 1);
    if (!face) continue;
    int size = static_cast<int>(std::lround(56.0 + 44.0 * (p.depth + 1.0) / 2.0));
    back->BltStretch(p.x - size / 2, p.y - size / 2, size, size, face, 0, 0, face->GetWidth(),
                     face->GetHeight(), kBltKeySrc, nullptr);
  }
  DrawFontText(bigFont_ ? bigFont_.get() : font_.get(), back, 320, 400, Text(10120 + character_),
               kFontAlignCentre);
}
