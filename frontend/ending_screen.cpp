#include "frontend/ending_screen.h"

#include <cstdio>

#include "base/player_records.h"
#include "base/stopwatch.h"
#include "base/string.h"
#include "frontend/hall_of_fame.h"
#include "frontend/screen_kit.h"
#include "frontend/shop_rules.h"
#include "graphics/bitmap_font.h"
#include "graphics/display.h"
#include "graphics/palette.h"
#include "graphics/sprite.h"
#include "graphics/transition.h"
#include "input/input.h"
#include "screen/event_records.h"
#include "screen/game_screen_services.h"
#include "sound/sound.h"

namespace {

constexpr uint32_t kStandingsMs = 8000;
constexpr uint32_t kPodiumMaxMs = 20000;
constexpr uint32_t kPodiumMinMs = 4000;
constexpr uint32_t kBoardMs = 60000;
constexpr int kPodiumX[3] = {48, 256, 48};
constexpr int kPodiumY[3] = {100, 202, 308};
constexpr int kPodiumNameY[3] = {113, 253, 403};
constexpr int kStandFaceY[4] = {86, 187, 287, 387};
constexpr int kStandNameY[4] = {126, 226, 326, 426};

const char* Text(unsigned id) {
  const char* t = GetStringText(id);
  return t ? t : "";
}

}  // namespace

EndingScreen::EndingScreen(int afterChampionship)
    : GameScreen(1), afterChampionship_(afterChampionship) {
  medals_ = LoadProgramSprite("Menu\\med8new.mbm");
  tile_ = LoadProgramPicture("Menu\\tile.bmp");
  font_ = LoadProgramFont("Menu\\font8s.mbm");
  bigFont_ = LoadProgramFont("Menu\\font8.mbm");
  highlightFont_ = LoadProgramFont("Menu\\font8_2.mbm");
  if (medals_ && medals_->GetFramePalette(25)) {
    palette_ = medals_->GetFramePalette(25);
    palette_->AddRef();
  }
  background_ = MakeTiledBackground(tile_.get());
  timer_ = StartScreenTimer();
  stageTimer_ = StartScreenTimer();
  if (afterChampionship_) {
    StandingsOrder(g_players, order_);
    // The people's results enter the top five, best first, so that equal
    // results keep the order of the standings.
    for (int k = 0; k < kMaxPlayers; ++k) {
      const PlayerRecord& p = g_players[order_[k]];
      if (p.human && g_hallOfFame) g_hallOfFame->Insert(p.name, p.points);
    }
    int c = g_players[order_[0]].character;
    if (c >= 0 && c < 6) {
      char name[40];
      std::snprintf(name, sizeof name, "sounds\\menu\\anthem%d.wav", c);
      anthem_ = LoadSoundSlot(ShellProgramPath(name), 1);
    }
    stage_ = kStandings;
  }
  ShellStopMusic();
  if (g_blackPalette) ShowPalette(g_blackPalette, 0);
  Enter(stage_);
}

EndingScreen::~EndingScreen() {
  background_.reset();
  FreeSoundSlot(&anthem_);
  ReleaseScreenTimer(timer_);
  ReleaseScreenTimer(stageTimer_);
  if (palette_) palette_->Release();
}

void EndingScreen::OnDeactivate() {
  musicPlaying_ = 0;
  StopSoundSlot(anthem_);
}

void EndingScreen::OnActivate() {
  musicPlaying_ = 1;
  if (stage_ == kPodium) PlaySoundSlot(anthem_, false);
}

void EndingScreen::Enter(int stage) {
  FadeOutPalette(8);
  stage_ = stage;
  if (g_timers && stageTimer_ >= 0) g_timers->Restart(stageTimer_);
  if (stage == kPodium) PlaySoundSlot(anthem_, false);
  if (stage == kBoard) StopSoundSlot(anthem_);
  for (int i = 0; i < 2; ++i) {
    if (stage == kStandings) DrawStandings();
    if (stage == kPodium) DrawPodium();
    if (stage == kBoard) DrawBoard();
    if (i == 0) ShellFlip();
  }
  ShowPalette(palette_, 8);
  ResetInput();
}

int EndingScreen::Run() {
  if (!PeriodElapsed(timer_, 65)) return 0;
  PollInput();
  if (g_soundManager) g_soundManager->FeedAllStreams();
  ++frame_;
  uint32_t inStage = g_timers && stageTimer_ >= 0 ? g_timers->Elapsed(stageTimer_) : kBoardMs;
  bool skip = IsFire1Active(0) || IsEnterActive(0) || IsEscapeActive(0) || IsFire2Active(0);
  switch (stage_) {
    case kStandings:
      if (skip || inStage >= kStandingsMs) {
        Enter(kPodium);
        return 0;
      }
      DrawStandings();
      break;
    case kPodium: {
      bool anthemDone = !IsSoundSlotPlaying(anthem_) && inStage >= kPodiumMinMs;
      if (skip || anthemDone || inStage >= kPodiumMaxMs) {
        Enter(kBoard);
        return 0;
      }
      DrawPodium();
      break;
    }
    default:
      if (skip || inStage >= kBoardMs) {
        StopSoundSlot(anthem_);
        FadeOutPalette(8);
        return 1;
      }
      DrawBoard();
      break;
  }
  ShellFlip();
  return 0;
}

void EndingScreen::DrawStandings() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  back->FillRect(0, 0, 640, 480, 0);
  if (medals_) medals_->DrawFrame(26, back, 0, 0);
  DrawFontText(font_.get(), back, 320, 4, Text(10531), kFontAlignCentre);
  for (int k = 0; k < kMaxPlayers; ++k) {
    const PlayerRecord& p = g_players[order_[k]];
    if (medals_) medals_->DrawFrame(p.character + 19, back, 35, kStandFaceY[k]);
    char place[8];
    std::snprintf(place, sizeof place, "%d.", k + 1);
    DrawFontText(font_.get(), back, 140, kStandNameY[k], place, 0);
    DrawFontText(font_.get(), back, 207, kStandNameY[k], p.name, 0);
    char buf[24];
    std::snprintf(buf, sizeof buf, "$%d", p.money);
    DrawFontText(font_.get(), back, 522, kStandNameY[k], buf, kFontAlignRight);
    std::snprintf(buf, sizeof buf, "%d", p.points);
    DrawFontText(font_.get(), back, 618, kStandNameY[k], buf, kFontAlignRight);
  }
}

void EndingScreen::DrawPodium() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  back->FillRect(0, 0, 640, 480, 0);
  if (medals_) medals_->DrawFrame(25, back, 0, 0);
  for (int p = 0; p < 3; ++p) {
    const PlayerRecord& r = g_players[order_[p]];
    if (medals_) medals_->DrawFrame(r.character + 1, back, kPodiumX[p], kPodiumY[p]);
    DrawFontText(font_.get(), back, 620, kPodiumNameY[p], r.name, kFontAlignRight);
  }
  // Confetti over the champion.
  if (medals_) {
    for (int k = 0; k < 6; ++k) {
      int x = 40 + (k * 97 + frame_ * 7) % 560;
      int y = 60 + (k * 53 + frame_ * 11) % 380;
      medals_->DrawFrame(10 + (frame_ + k) % 9, back, x, y);
    }
  }
  DrawFontText(bigFont_ ? bigFont_.get() : font_.get(), back, 526, 165, Text(10523), kFontAlignCentre);
  DrawFontText(font_.get(), back, 526, 195, g_players[order_[0]].name, kFontAlignCentre);
}

void EndingScreen::DrawBoard() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  if (background_) {
    background_->Run(frame_, frame_);
  } else {
    back->FillRect(0, 0, 640, 480, 0);
  }
  // Dark panels under the tables keep the small letters readable.
  int dark = 0;
  if (palette_) dark = FindNearestColour(palette_->Entries(), 0, 256, 16, 20, 48);
  back->FillRect(110, 44, 420, 116, static_cast<uint32_t>(dark));
  back->FillRect(10, 198, 620, 266, static_cast<uint32_t>(dark));
  BitmapFont* title = bigFont_ ? bigFont_.get() : font_.get();
  DrawFontText(title, back, 320, 12, Text(10519), kFontAlignCentre);
  for (int i = 0; i < kTopFiveSize; ++i) {
    const HallOfFameEntry& e = g_hallOfFameTopFive[i];
    BitmapFont* f = e.isNew && highlightFont_ && (frame_ & 4) ? highlightFont_.get() : font_.get();
    int y = 50 + 22 * i;
    char buf[24];
    std::snprintf(buf, sizeof buf, "%d.", i + 1);
    DrawFontText(f, back, 150, y, buf, kFontAlignRight);
    // An empty place says so in a word, as an event without a record does.
    DrawFontText(f, back, 170, y, e.name[0] ? e.name : kNoRecordText, 0);
    std::snprintf(buf, sizeof buf, "%d", e.points);
    DrawFontText(f, back, 490, y, buf, kFontAlignRight);
  }
  DrawFontText(title, back, 320, 170, Text(10520), kFontAlignCentre);
  for (int n = 1; n <= 10; ++n) {
    int y = 205 + 26 * (n - 1);
    DrawFontText(font_.get(), back, 20, y, Text(10300 + 4 * (n - 1)), 0);
    DrawFontText(font_.get(), back, 470, y, GetEventRecordText(n), kFontAlignRight);
    DrawFontText(font_.get(), back, 490, y, GetEventRecordHolder(n), 0);
  }
}
