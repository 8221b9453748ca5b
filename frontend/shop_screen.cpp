#include "frontend/shop_screen.h"

#include <algorithm>
#include <cstdio>

#include "base/player_records.h"
#include "base/random.h"
#include "base/stopwatch.h"
#include "base/string.h"
#include "frontend/hall_of_fame.h"
#include "frontend/screen_kit.h"
#include "graphics/bitmap_font.h"
#include "graphics/display.h"
#include "graphics/palette.h"
#include "graphics/sprite.h"
#include "graphics/transition.h"
#include "input/input.h"
#include "net/net_session.h"
#include "platform/keyboard.h"
#include "screen/game_screen_services.h"
#include "sound/sound.h"

namespace {

struct Rect {
  int x, y, w, h;
};
constexpr Rect kItemRects[kShopItems] = {{8, 5, 208, 178},   {216, 5, 208, 178}, {424, 5, 208, 178},
                                         {8, 183, 208, 178}, {216, 183, 208, 178},
                                         {424, 183, 208, 178}, {547, 424, 85, 51}};
constexpr int kPodiumX[3] = {48, 256, 48};
constexpr int kPodiumY[3] = {100, 202, 308};
constexpr int kPodiumNameY[3] = {113, 253, 403};
constexpr int kStandFaceY[4] = {86, 187, 287, 387};
constexpr int kStandNameY[4] = {126, 226, 326, 426};

std::string Text(unsigned id) {
  const char* t = GetStringText(id);
  return t ? t : "";
}

bool MouseClicked(int button) {
  if (GetKeyPressCount(button) == 0) return false;
  ClearKey(button);
  return true;
}

int Toward(int shown, int real, int step) {
  if (shown < real) return std::min(real, shown + step);
  if (shown > real) return std::max(real, shown - step);
  return shown;
}

bool Training() { return g_trainingEvent > 0; }

}  // namespace

ShopScreen::ShopScreen() : GameScreen(0) {
  // The save holds the game as it came in: before the awards and any purchase.
  snapshot_ = SnapshotGame();
  autoSaved_ = WriteSaveGame(kAutoSaveSlot, snapshot_);
  for (int i = 0; i < kShopItems; ++i) {
    names_[i] = Text(1025 + i);
    prices_[i] = Text(1032 + i);
  }
  labels_[0] = Text(1000);
  labels_[1] = Text(10106);
  labels_[2] = Text(10107);
  labels_[3] = Text(1039);
  if (g_blackPalette) ShowPalette(g_blackPalette, 0);

  GiveAwards(g_players);
  for (int i = 0; i < kMaxPlayers; ++i) {
    int place = g_players[i].place;
    if (place < 0 || place > 2) continue;
    std::string name = MedalSoundName(place, g_players[i].character, RandomUnit());
    if (name.empty()) continue;
    if (medal_[place] < 0) medal_[place] = LoadSoundSlot(ShellDataPath(name.c_str()));
    else if (g_soundManager) g_soundManager->LoadWaveFile(medal_[place], ShellDataPath(name.c_str()).c_str(), 0, 1, 0);
  }
  music_ = LoadSoundSlot(ShellProgramPath("sounds\\menu\\theme.wav"), 1);
  recordHolder_ = UpdateHallOfFame();
  if (recordHolder_ > 0) {
    const char* sound = RecordSoundName(g_players[recordHolder_ - 1].character);
    if (sound) record_ = LoadSoundSlot(ShellProgramPath(sound));
  }
  if (const char* a = EventAnnouncementName(g_eventIndex)) announce_ = LoadSoundSlot(ShellDataPath(a));

  medals_ = LoadProgramSprite("Menu\\med8new.mbm");
  shop1_ = LoadProgramSprite("Menu\\shop1.mbm");
  shop2_ = LoadProgramSprite("Menu\\shop2.mbm");
  cursor_ = LoadProgramSprite("Menu\\cursor.mbm");
  font_ = LoadProgramFont("Menu\\font8s.mbm");
  buyer_ = g_localPlayers[0] >= 0 && g_localPlayers[0] < kMaxPlayers ? g_localPlayers[0] : 0;
  sheets_[0] = LoadProgramSprite(TrainingSheetName(g_players[buyer_].character));
  if (g_playMode == 1 && g_localPlayers[1] >= 0 && g_localPlayers[1] < kMaxPlayers) {
    sheets_[1] = LoadProgramSprite(TrainingSheetName(g_players[g_localPlayers[1]].character));
  }
  sheet_ = sheets_[0].get();
  if (medals_ && medals_->GetFramePalette(25)) {
    palette_ = medals_->GetFramePalette(25);
    palette_->AddRef();
    const PaletteEntry* e = palette_->Entries();
    // The bars' fill: a clear green of this palette.
    barColour_ = FindNearestColour(e, 0, 256, 40, 210, 60);
    outlineColour_ = FindNearestColour(e, 0, 256, 0x04, 0x68, 0x00);
  }
  if (shop1_) background_ = MakeTiledBackground(shop1_->GetFrameSurface(6));
  frameTimer_ = StartScreenTimer();
  ceremonyTimer_ = StartScreenTimer();
  CreateOptionsMenu(palette_);
  if (!autoSaved_) AddMessage(Text(10534).c_str());
  if (music_ >= 0) {
    SetSoundVolume(music_, 0);
    PlaySoundSlot(music_, true);
  }
  PodiumOrder(g_players, podium_);
  DrawCeremony(25);
  ShellFlip();
  DrawCeremony(25);
  ShowPalette(palette_, 16);
  state_ = 1;
}

ShopScreen::~ShopScreen() {
  // The computers spend their money whatever ended the shop.
  for (int i = 0; i < kMaxPlayers; ++i) {
    if (!g_players[i].human) ComputerShopping(&g_players[i], g_eventIndex + 1);
  }
  background_.reset();
  for (int& m : medal_) FreeSoundSlot(&m);
  FreeSoundSlot(&music_);
  FreeSoundSlot(&announce_);
  FreeSoundSlot(&record_);
  ReleaseScreenTimer(frameTimer_);
  ReleaseScreenTimer(ceremonyTimer_);
  if (palette_) palette_->Release();
}

void ShopScreen::OnDeactivate() {
  musicPlaying_ = 0;
  StopSoundSlot(music_);
}

void ShopScreen::OnActivate() {
  musicPlaying_ = 1;
  PlaySoundSlot(music_, true);
}

bool ShopScreen::SaveGameFile(int slot) {
  bool ok = WriteSaveGame(slot, snapshot_);
  AddMessage(Text(ok ? 10560 : 10534).c_str());
  return ok;
}

uint32_t ShopScreen::CeremonyMs() const {
  return g_timers && ceremonyTimer_ >= 0 ? g_timers->Elapsed(ceremonyTimer_) : 0x7FFFFFFF;
}

void ShopScreen::RaiseMusic() {
  int v = GetSoundVolume(music_);
  if (v < 0) SetSoundVolume(music_, std::min(0, v + 100));
}

void ShopScreen::LowerMusic() {
  int v = GetSoundVolume(music_);
  if (v > -1000) SetSoundVolume(music_, std::max(-1000, v - 100));
}

int ShopScreen::Run() {
  if (!PeriodElapsed(frameTimer_, 65)) return 0;
  HandleChatInput();
  int slot = -1;
  if (IsLoadGameCommand()) {
    ClearCommandText();
    AddMessage(Text(10561).c_str());
  } else if (IsSaveGameCommand(&slot)) {
    SaveGameFile(slot);
    ClearCommandText();
  }
  int r = GameScreen::Run();
  if (r == -1) return -1;
  // The frame drawn last time goes up with the base's message lines on it;
  // this frame's picture is drawn for the next call.
  ShellFlip();
  if (r == 2) return 0;
  if (g_playMode == 2 && g_netSession) {
    NetMessage msg;
    while (g_netSession->Receive(&msg)) HandleSystemMessage(msg);
  }
  if (g_soundManager) g_soundManager->FeedAllStreams();

  if ((state_ == 1 || state_ == 4) && !IsChatOpen() &&
      (IsFire1Active(0) || IsEnterActive(0) || IsAnyActionActive(2))) {
    PlayShared(g_selectSound);
    ClearTypedChars();
    ResetInput();
    ++state_;
    if (state_ == 5) sub_ = 0;
  }
  if (state_ == 5 && (Training() || g_eventIndex >= 10)) return 1;
  if (state_ > 7) {
    if (g_playMode == 1 && buyer_ == g_localPlayers[0] && g_localPlayers[1] >= 0 &&
        g_localPlayers[1] < kMaxPlayers && g_players[g_localPlayers[1]].human) {
      buyer_ = g_localPlayers[1];
      sheet_ = sheets_[1] ? sheets_[1].get() : sheets_[0].get();
      state_ = 5;
    } else {
      return 1;
    }
  }
  switch (state_) {
    case 1:
      Medals();
      break;
    case 2:
      FadeOutPalette(8);
      DrawStandings();
      ShellFlip();
      DrawStandings();
      ShowPalette(palette_, 8);
      sub_ = 0;
      state_ = 4;
      break;
    case 4:
      Standings();
      break;
    case 5:
      SetUpShop();
      if (state_ == 5) return 1;  // training or the last event: no shopping
      break;
    case 7:
      Shopping();
      break;
    default:
      break;
  }
  if (state_ == 7) {
    DrawItems(0);
    if (cursor_) cursor_->DrawFrame(cursorLook_, ShellBackSurface(), g_mouseX, g_mouseY);
  }
  ResetInput();
  return 0;
}

void ShopScreen::Medals() {
  if (CeremonyMs() >= 7500) {
    LowerMusic();
    while (medalCounter_ < 3) {
      int slot = medal_[medalCounter_];
      if (!medalStarted_) {
        if (!IsSoundSlotLoaded(slot)) {
          ++medalCounter_;  // nobody on this step, or no sound for it
          continue;
        }
        PlaySoundSlot(slot);
        medalStarted_ = true;
        break;
      }
      if (IsSoundSlotPlaying(slot)) break;
      medalStarted_ = false;
      ++medalCounter_;
    }
    if (medalCounter_ >= 3) {
      mark_ = CeremonyMs();
      state_ = 2;
    }
  }
  DrawCeremony(25);
}

void ShopScreen::Standings() {
  uint32_t since = CeremonyMs() - mark_;
  switch (sub_) {
    case 0:
      for (int m : medal_) {
        if (IsSoundSlotPlaying(m)) {
          StopSoundSlot(m);
          break;
        }
      }
      sub_ = 1;
      break;
    case 1:
      if (since >= 1000) {
        // Music that is not there has nothing to fade.
        if (!IsSoundSlotLoaded(music_) || GetSoundVolume(music_) < -999) {
          PlaySoundSlot(announce_);
          sub_ = 2;
        } else {
          LowerMusic();
        }
      }
      break;
    case 2:
      if (!IsSoundSlotPlaying(announce_)) {
        if (recordHolder_ == 0) {
          RaiseMusic();
          if (since >= 10000) state_ = 5;
        } else {
          sub_ = 3;
        }
      }
      break;
    case 3:
      PlaySoundSlot(record_);
      sub_ = 4;
      break;
    case 4:
      if (!IsSoundSlotPlaying(record_)) {
        RaiseMusic();
        if (since >= 15000) state_ = 5;
      }
      break;
    default:
      break;
  }
  DrawStandings();
}

void ShopScreen::SetUpShop() {
  FadeOutPalette(8);
  selected_ = 0;
  for (int m : medal_) StopSoundSlot(m);
  StopSoundSlot(announce_);
  StopSoundSlot(record_);
  if (Training() || g_eventIndex >= 10) return;
  info_ = 40;
  DrawItems(1);
  ShellFlip();
  DrawItems(0);
  ShowPalette(palette_, 8);
  state_ = 7;
  busy_ = 0;
  lastMouseX_ = -1;
  lastMouseY_ = -1;
}

int ShopScreen::SelectItemAt(int x, int y) const {
  if (x >= 548 && x <= 632 && y >= 425 && y <= 474) return kItemExit;
  if (x >= 9 && x <= 631 && y >= 6 && y <= 360) {
    int column = std::clamp((x - 8) / 208, 0, 2);
    int row = std::clamp((y - 5) / 178, 0, 1);
    return row * 3 + column;
  }
  return -1;
}

void ShopScreen::Shopping() {
  RaiseMusic();
  int before = selected_;
  if (g_mouseX != lastMouseX_ || g_mouseY != lastMouseY_) {
    lastMouseX_ = g_mouseX;
    lastMouseY_ = g_mouseY;
    int item = SelectItemAt(g_mouseX, g_mouseY);
    if (item >= 0) {
      selected_ = item;
      cursorLook_ = 2;
    } else {
      cursorLook_ = 1;
      info_ = 40;
    }
  }
  if (!busy_) {
    // One step per press, also for two taps within one frame.
    for (int n = RightPresses(0); n > 0; --n) {
      if (selected_ < 3) selected_ = (selected_ + 1) % 3;
      else if (selected_ < 6) selected_ = 3 + (selected_ - 2) % 3;
    }
    for (int n = LeftPresses(0); n > 0; --n) {
      if (selected_ < 3) selected_ = (selected_ + 2) % 3;
      else if (selected_ < 6) selected_ = 3 + (selected_ - 1) % 3;
    }
    for (int n = DownPresses(0); n > 0; --n)
      selected_ = selected_ < 3 ? selected_ + 3 : (selected_ < 6 ? 6 : 2);
    for (int n = UpPresses(0); n > 0; --n)
      selected_ = selected_ < 3 ? 6 : (selected_ < 6 ? selected_ - 3 : 5);
  }
  if (selected_ != before) {
    PlayShared(g_naviSound);
    info_ = 0;
  }
  if (!busy_) {
    bool mouse = cursorLook_ == 2 && MouseClicked(kVkLButton);
    if (mouse || IsFire1Active(0) || IsEnterActive(0)) Buy(mouse);
  } else if (++busyFrames_ >= 7) {
    busy_ = 0;
    if (busyMouse_) {
      cursorLook_ = 2;
      lastMouseX_ = -1;  // a new hit test
    }
    if (selected_ == kItemExit) state_ = 8;
  }
}

void ShopScreen::Buy(bool byMouse) {
  busy_ = 1;
  busyFrames_ = 0;
  busyMouse_ = byMouse;
  PlayShared(g_selectSound);
  if (byMouse) cursorLook_ = 3;
  if (selected_ >= 0 && selected_ < kItemExit) {
    info_ = 40;
    if (!BuyItem(&g_players[buyer_], selected_)) PlayShared(g_warningSound);
  }
}

// The medals and the standings have their titles at the top: the message
// lines go under them.
constexpr int kMessagesUnderTitle = 70;

void ShopScreen::DrawCeremony(int frame) {
  DDSurface* back = ShellBackSurface();
  messageTop_ = kMessagesUnderTitle;
  if (!back) return;
  back->FillRect(0, 0, 640, 480, 0);
  if (medals_) medals_->DrawFrame(frame, back, 0, 0);
  for (int p = 0; p < 3; ++p) {
    int i = podium_[p];
    if (i < 0 || g_players[i].place < 0 || g_players[i].place > 3) continue;
    if (medals_) medals_->DrawFrame(g_players[i].character + 1, back, kPodiumX[p], kPodiumY[p]);
    DrawFontText(font_.get(), back, 620, kPodiumNameY[p], g_players[i].name, kFontAlignRight);
  }
}

void ShopScreen::DrawStandings() {
  DDSurface* back = ShellBackSurface();
  messageTop_ = kMessagesUnderTitle;
  if (!back) return;
  back->FillRect(0, 0, 640, 480, 0);
  if (medals_) medals_->DrawFrame(26, back, 0, 0);
  int order[kMaxPlayers];
  StandingsOrder(g_players, order);
  for (int k = 0; k < kMaxPlayers; ++k) {
    const PlayerRecord& p = g_players[order[k]];
    if (medals_) medals_->DrawFrame(p.character + 19, back, 35, kStandFaceY[k]);
    DrawFontText(font_.get(), back, 207, kStandNameY[k], p.name, 0);
    char buf[24];
    std::snprintf(buf, sizeof buf, "$%d", p.money);
    DrawFontText(font_.get(), back, 522, kStandNameY[k], buf, kFontAlignRight);
    std::snprintf(buf, sizeof buf, "%d", p.points);
    DrawFontText(font_.get(), back, 618, kStandNameY[k], buf, kFontAlignRight);
  }
}

void ShopScreen::DrawItems(int init) {
  DDSurface* back = ShellBackSurface();
  messageTop_ = kMessageTop;
  if (!back) return;
  const PlayerRecord& b = g_players[buyer_];
  if (init) {
    shownMoney_ = b.money;
    shownStats_[0] = b.energy;
    shownStats_[1] = b.strength;
    shownStats_[2] = b.speed;
    shownStats_[3] = b.endurance;
    shownWeapons_ = b.weaponUnits;
    shownPills_ = b.powerPills;
  }
  animFrame_ = (animFrame_ + 1) % 15;
  if (shop1_) {
    if (DDSurface* t = shop1_->GetFrameSurface(6)) {
      scroll_ = (scroll_ + 1) % std::max(1, t->GetWidth());
    }
  }
  if (background_) {
    background_->Run(scroll_, scroll_);
  } else {
    back->FillRect(0, 0, 640, 480, 0);
  }
  for (int i = 0; i < kShopItems; ++i) {
    const Rect& r = kItemRects[i];
    bool hl = i == selected_;
    if (shop1_) shop1_->DrawFrame(i == kItemExit ? (hl ? 5 : 4) : (hl ? 2 : 1), back, r.x, r.y);
    if (i < kItemExit && sheet_)
      sheet_->DrawFrame(ShopItemFirstFrame(i, sheet_->FrameCount()) + animFrame_, back, r.x + 17, r.y + 15);
  }
  DrawPanel();
}

TextBox ShopBarLabelBox(int k) {
  static const int kBarY[4] = {386, 404, 422, 440};
  // The bar's outline spans x 307..410; its letters' cell is 19 rows high,
  // their ink in the middle of the bar.
  return TextBox{310, kBarY[std::clamp(k, 0, 3)], 98, 19};
}

void ShopScreen::DrawPanel() {
  DDSurface* back = ShellBackSurface();
  const PlayerRecord& b = g_players[buyer_];
  if (shop1_) shop1_->DrawFrame(3, back, 8, 366);
  if (info_ < 40 && selected_ >= 0 && selected_ < kShopItems) {
    ++info_;
    DrawFontText(font_.get(), back, 278, 396, names_[selected_].c_str(), kFontAlignCentre);
    DrawFontText(font_.get(), back, 278, 426, prices_[selected_].c_str(), kFontAlignCentre);
    return;
  }
  shownMoney_ = Toward(shownMoney_, b.money, 50);
  shownStats_[0] = Toward(shownStats_[0], b.energy, 2);
  shownStats_[1] = Toward(shownStats_[1], b.strength, 1);
  shownStats_[2] = Toward(shownStats_[2], b.speed, 1);
  shownStats_[3] = Toward(shownStats_[3], b.endurance, 1);
  shownWeapons_ = Toward(shownWeapons_, b.weaponUnits, 2);
  shownPills_ = Toward(shownPills_, b.powerPills, 1);
  DrawFontText(font_.get(), back, 261, 396, b.name, kFontAlignRight);
  DrawFontText(font_.get(), back, 71, 426, "$", 0);
  char buf[24];
  std::snprintf(buf, sizeof buf, "%d", shownMoney_);
  DrawFontText(font_.get(), back, 261, 426, buf, kFontAlignRight);
  for (int k = 0; k < 4; ++k) {
    const int y = ShopBarLabelBox(k).y;
    back->FillRect(307, y, 104, 2, static_cast<uint32_t>(outlineColour_));
    back->FillRect(307, y + 12, 104, 2, static_cast<uint32_t>(outlineColour_));
    back->FillRect(307, y, 2, 14, static_cast<uint32_t>(outlineColour_));
    back->FillRect(409, y, 2, 14, static_cast<uint32_t>(outlineColour_));
    int w = std::clamp(shownStats_[k], 0, 100);
    back->FillRect(309, y + 2, w, 10, static_cast<uint32_t>(barColour_));
    if (font_) DrawTextInBox(font_.get(), back, ShopBarLabelBox(k), labels_[k], kFontAlignCentre, false);
  }
  if (shop2_) {
    shop2_->DrawFrame(61, back, 440, 396);
    shop2_->DrawFrame(31, back, 440, 426);
  }
  std::snprintf(buf, sizeof buf, "%d", shownWeapons_);
  DrawFontText(font_.get(), back, 500, 396, buf, kFontAlignRight);
  std::snprintf(buf, sizeof buf, "%d", shownPills_);
  DrawFontText(font_.get(), back, 500, 426, buf, kFontAlignRight);
}
