#include "events/figure_skating/figure_skating_event.h"

#include <algorithm>
#include <new>
#include <string>

#include "base/debug.h"
#include "base/player_records.h"
#include "base/random.h"
#include "base/stopwatch.h"
#include "base/string.h"
#include "events/figure_skating/figure_skating_data.h"
#include "events/figure_skating/skating_rules.h"
#include "graphics/bitmap_font.h"
#include "graphics/clipper.h"
#include "graphics/display.h"
#include "graphics/fade.h"
#include "graphics/palette.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "graphics/tile_picture.h"
#include "graphics/transition.h"
#include "graphics/transition_core.h"
#include "platform/keyboard.h"
#include "screen/config.h"
#include "screen/event_assets.h"
#include "screen/event_records.h"
#include "screen/face_panel.h"
#include "screen/game_screen_services.h"
#include "screen/options_menu.h"
#include "shell/screen_factory.h"
#include "sound/sound.h"

using namespace skaterules;
namespace sa = skateassets;

FigureSkatingEvent* g_skatingEvent = nullptr;
int32_t g_skatingClock = kEventSeconds;
int32_t g_skatingIntroFrames = 1;

namespace {

constexpr int kViewHeight = 400;
// Output record: byte 0 asks every machine to end the intro, byte 1 says
// this machine's intro has gone.
constexpr int kOutEndIntro = 0;
constexpr int kOutIntroGone = 1;
constexpr ClipRect kIntroArea{170, 50, 300, 300};

Sprite* LoadSprite(const std::string& path, uint32_t flags) { return LoadSpriteOrNull(path.c_str(), flags); }

// The face of player i in the status band.
int GetSkaterStatus(int player) {
  FigureSkatingEvent* ev = g_skatingEvent;
  Skater* s = ev ? ev->SkaterOf(player) : nullptr;
  if (!s) return 5;
  MoodInput in;
  in.score = s->score;
  in.shownScore = s->shownScore;
  in.speedMultiplier = s->speedMultiplier;
  in.state = s->state;
  in.energy = s->Energy();
  in.maxEnergy = s->maxEnergy;
  // The face panel's own memory of the score it has smiled about.
  if (s->score > s->shownScore) s->shownScore = s->score;
  return SkaterMood(in);
}

int LocalSlot(int which) { return std::clamp(g_localPlayers[which & 1], 0, 3); }

}  // namespace

// ---------------------------------------------------------------------------
// Construction

FigureSkatingEvent::FigureSkatingEvent() : EventScreen({.periodMs = kFramePeriodMs}) {
  g_skatingEvent = this;
  g_skatingClock = kEventSeconds;
  while (ReadTypedChar() != 0) {
  }
  pointsLabel_ = GetStringTextOr(1002, " POINTS");
  recordLabel_ = GetStringTextOr(1003, "WR:");
  bestLabel_ = GetStringTextOr(1001, "BEST:");
  energyLabel_ = GetStringTextOr(1000, "ENERGY");
  timeLabel_ = "Time:";
  ShowLoadingScreen(0, ShellVideoPath(sa::kLoadingPicture).c_str());
  musicPlaying_ = 0;

  LoadSounds();
  SetLoadingProgress(10, 0);
  LoadPictures();
  PrepareSkaterPictures();
  if (g_timers) {
    timer_ = g_timers->Allocate();
    g_timers->Restart(timer_);
  }
  playFrame_ = 0;
  introFrame_ = 1;
  introLevel_ = 0;
  SetLoadingProgress(90, 0);

  CreateSkaters();
  intro_ = LoadSprite(ShellDataPath(sa::kIntroSprite), 1);
  backdrop_ = new (std::nothrow) DDSurface(640, 480, 0);
  font_ = new (std::nothrow) BitmapFont(32, 96, 20, 0, 700, 0, 0, 0, 1, nullptr);
  if (font_) {
    font_->SetInkColour(0, 248, 0);
    if (palette_) font_->GetSprite()->MatchPalette(palette_, 0, 256, 1, 0);
  }
  recordText_ = GetEventRecordText(6);
  introBox_ = new (std::nothrow) DDSurface(kIntroArea.width, kIntroArea.height, 0);
  if (introBox_ && palette_) introBox_->SetPalette(palette_);
  if (introBox_ && introBox_->HasSurface() && ShellBackSurface())
    transition_ = new (std::nothrow)
        BitmapTransition(ShellBackSurface(), &kIntroArea, nullptr, introBox_, kTransitionSkipKeyed);
  ClipRect view{0, 0, 640, kViewHeight};
  clipper_ = CreateRectClipper(&view);
  for (PlayerRecord& p : g_players) p.result = 0;
  SetLoadingProgress(100, 0);
  EndLoadingScreen();

  quit_ = WaitForPlayers() != 0 ? 1 : 0;
  if (quit_) return;
  // The records are the same on every machine from here on; so are the
  // random numbers, and the skaters' first targets are drawn again from them.
  if (g_playMode == 2) SeedRandom(static_cast<uint32_t>(g_localPlayers[2]));
  for (int i = 0; i < 4; ++i)
    if (Skater* s = SkaterOf(i)) s->NewWanderTarget();

  CreateOptionsMenu(palette_);
  for (int i = 0; i < 4; ++i) {
    g_players[i].result = 0;
    if (Skater* s = SkaterOf(i)) s->topSpeed = TopSpeedFromPlayerSpeed(g_players[i].speed);
  }
  const int maxima[2] = {100, 0};
  const char* labels[2] = {energyLabel_.c_str(), ""};
  SetupStatusBars(statusPicture_, 2, maxima, labels, sa::kPlayerBandFirst, 4 * sa::kPlayerBandSize);
  SetStatusItemsShown(true);
  if (g_facePanel) g_facePanel->SetMode(GetSkaterStatus);
  FirstPicture();
  PlayEventSound(kSkSndCrowd);
  if (palette_) FadePalette(palette_, kEventFadeSteps, 1);
  eventState_ = kSkEvAnnouncer;
}

void FigureSkatingEvent::LoadSounds() {
  const sa::SkateFile* files[kSkSndCount] = {&sa::kSkatingSound, &sa::kCheerSound, &sa::kBooSound,
                                             &sa::kCrowdSound,   &sa::kBeepSound,  &sa::kAnnouncerSound,
                                             &sa::kPillSound};
  // The announcer's length in play frames, from its file: every machine
  // counts the same frames, whether or not it can load or play the sound.
  announcerFrames_ = WaveFileFrames(EventFilePath(sa::kAnnouncerSound), kFramePeriodMs);
  if (!g_soundManager) return;
  for (int i = 0; i < kSkSndCount; ++i) {
    sounds_[i] = g_soundManager->AllocSlot();
    if (sounds_[i] < 0) continue;
    const std::string path = EventFilePath(*files[i]);
    if (!g_soundManager->LoadWaveFile(sounds_[i], path.c_str(), 0, 1, 0))
      DebugPrintf("Cannot load the sound %s.\n", path.c_str());
  }
}

void FigureSkatingEvent::LoadPictures() {
  statusPicture_ = new (std::nothrow) DDSurface(ShellDataPath(sa::kStatusPicture).c_str());
  if (statusPicture_ && statusPicture_->HasSurface() && statusPicture_->GetPalette()) {
    palette_ = CreateDisplayPalette(kDisplayPaletteCaps, statusPicture_->GetPalette()->Entries());
  } else {
    DebugPrintf("Cannot load the picture %s.\n", sa::kStatusPicture);
    // The event still plays on a plain grey ramp.
    PaletteEntry ramp[256];
    for (int i = 0; i < 256; ++i) ramp[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
    palette_ = CreateDisplayPalette(kDisplayPaletteCaps, ramp);
  }
  if (palette_) {
    PaletteEntry green{0, 250, 0, 0};
    palette_->SetEntries(sa::kTextGreen, 1, &green);
    if (statusPicture_ && statusPicture_->HasSurface()) statusPicture_->SetPalette(palette_);
  }
  SetLoadingProgress(20, 0);
  rink_ = new (std::nothrow) TileMapPicture(ShellDataPath(sa::kRinkPicture).c_str());
  if (rink_ && !rink_->IsLoaded()) DebugPrintf("Cannot load the rink %s (%u).\n", sa::kRinkPicture, rink_->GetError());
  if (rink_ && palette_) {
    RgbQuad quads[256];
    PaletteEntriesToRgbQuads(palette_->Entries(), quads, 256);
    rink_->RemapColours(quads, 2, sa::kTextGreen - 1);
  }
  SetLoadingProgress(30, 0);
}

void FigureSkatingEvent::PrepareSkaterPictures() {
  for (int i = 0; i < 4; ++i) {
    const int c = std::clamp(g_players[i].character, 0, sa::kCharacters - 1);
    const int band = sa::kPlayerBandFirst + sa::kPlayerBandSize * i;
    sprites_[i] = LoadSprite(ShellDataPath(sa::kSkaterSprite[c]), kSpriteLoadAll);
    sprites_[4 + i] = LoadSprite(ShellDataPath(sa::kWeaponSprite[c]), kSpriteLoadAll);
    if (palette_ && sprites_[i]) {
      if (DDPalette* own = sprites_[i]->GetFramePalette(1)) palette_->CopyRange(band, sa::kPlayerBandSize, 2, own);
      sprites_[i]->MatchPalette(palette_, band, sa::kPlayerBandSize, 1, 0);
    }
    if (palette_ && sprites_[4 + i]) sprites_[4 + i]->MatchPalette(palette_, band, sa::kPlayerBandSize, 1, 0);
    SetLoadingProgress(40 + 10 * i, 0);
  }
  fence_ = LoadSprite(ShellDataPath(sa::kFenceSprite), kSpriteLoadAll);
  if (fence_ && palette_) fence_->MatchPalette(palette_, 2, 254, 0, 0);
  warning_ = LoadSprite(ShellDataPath(sa::kWarningSprite), kSpriteLoadAll);
  star_ = LoadSprite(ShellDataPath(sa::kStarSprite), kSpriteLoadAll);
  if (warning_ && palette_) warning_->MatchPalette(palette_, 2, 250, 1, 0);
  if (star_ && palette_) star_->MatchPalette(palette_, 2, 250, 1, 0);
  SetLoadingProgress(80, 0);
  icons_ = LoadSprite(ShellDataPath(sa::kIconsSprite), kSpriteLoadAll);
  if (icons_ && palette_) icons_->MatchPalette(palette_, 2, 32, 1, 0);
}

void FigureSkatingEvent::CreateSkaters() {
  // Always the four contestants, one per player record, whatever the
  // session holds.
  for (int i = 0; i < 4; ++i) actors_[i] = new (std::nothrow) Skater(this, i);
}

Skater* FigureSkatingEvent::SkaterOf(int player) const {
  if (player < 0 || player > 3) return nullptr;
  SkatingActor* a = actors_[player];
  return (a && a->IsSkater()) ? static_cast<Skater*>(a) : nullptr;
}

void FigureSkatingEvent::FirstPicture() {
  DDSurface* back = ShellBackSurface();
  // Where the skaters stand before anything moves; no skater takes input
  // before the first exchange.
  for (int i = 0; i < 4; ++i)
    if (Skater* s = SkaterOf(i)) s->UpdateScreenPosition();
  const Skater* own = SkaterOf(LocalSlot(0));
  for (auto& c : camera_) {
    c[0] = own ? own->screenX - 320 : 0;
    c[1] = own ? own->screenY - 200 : 0;
  }
  if (!back) return;
  if (clipper_) back->SetClipper(clipper_);
  if (rink_) rink_->Draw(back, 0, 0, 640, kViewHeight, camera_[0][0], camera_[0][1] - 40);
  if (fence_) fence_->DrawFrame(1, back, 358 - camera_[0][0], 345 - camera_[0][1]);
  back->SetClipper(nullptr);
  if (statusPicture_) back->Blt(0, kStatusBandTop, 640, 480 - kStatusBandTop, statusPicture_, 0, 0);
  int energy[4];
  for (int i = 0; i < 4; ++i) energy[i] = g_players[i].energy;
  DrawStatusBars(statusPicture_, 0, energy, nullptr);
  if (backdrop_ && backdrop_->HasSurface()) backdrop_->Blt(0, 0, 640, 480, back, 0, 0);
  DDSurface* primary = ShellPrimarySurface();
  if (primary && primary != back) primary->Blt(0, 0, 640, 480, back, 0, 0);
}

// ---------------------------------------------------------------------------
// Destruction: the places and points first, then everything loaded.

FigureSkatingEvent::~FigureSkatingEvent() {
  RankSkaters();
  if (g_facePanel) g_facePanel->SetMode(nullptr);
  DeleteAndClear(font_);
  if (g_soundManager) {
    for (int i = 0; i < kSkSndCount; ++i)
      if (sounds_[i] >= 0) g_soundManager->Stop(sounds_[i]);
    for (int32_t& s : sounds_) {
      if (s >= 0) g_soundManager->FreeSlot(s);
      s = -1;
    }
  }
  if (!quit_ && palette_) FadePalette(palette_, kEventFadeSteps, 0);
  DDSurface* back = ShellBackSurface();
  if (back && clipper_ && back->GetClipper() == clipper_) back->SetClipper(nullptr);
  if (clipper_) clipper_->Release();
  clipper_ = nullptr;
  FreeIntro();
  DeleteAndClear(statusPicture_);
  DeleteAndClear(rink_);
  DeleteAndClear(warning_);
  DeleteAndClear(star_);
  DeleteAndClear(fence_);
  DeleteAndClear(icons_);
  for (SkatingActor*& a : actors_) DeleteAndClear(a);
  for (Sprite*& s : sprites_) DeleteAndClear(s);
  if (palette_) ReleasePalette(palette_);
  palette_ = nullptr;
  if (g_timers && timer_ >= 0) g_timers->Release(timer_);
}

void FigureSkatingEvent::FreeIntro() {
  DeleteAndClear(transition_);
  DeleteAndClear(intro_);
  DeleteAndClear(introBox_);
  DeleteAndClear(backdrop_);
}

void FigureSkatingEvent::RankSkaters() {
  int score[4] = {}, percent[4] = {}, place[4] = {0, 1, 2, 3};
  for (int i = 0; i < 4; ++i) {
    const Skater* s = SkaterOf(i);
    score[i] = s ? s->score : 0;
    percent[i] = s ? EnergyPercent(g_players[i].energy, s->maxEnergy) : 0;
    g_players[i].result = score[i];
  }
  RankByScore(score, percent, place);
  for (int i = 0; i < 4; ++i) g_players[i].place = place[i];
}

// ---------------------------------------------------------------------------
// Sounds

void FigureSkatingEvent::PlayEventSound(int sound) const {
  if (sound < 0 || sound >= kSkSndCount || !g_soundManager || sounds_[sound] < 0) return;
  g_soundManager->Play(sounds_[sound], 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, sound == kSkSndCrowd);
}

void FigureSkatingEvent::PlaySoundIfSkatersQuiet(int slot) const {
  if (!g_soundManager || slot < 0) return;
  for (int i = 0; i < 4; ++i)
    if (const Skater* s = SkaterOf(i))
      for (int k = 0; k < sa::kSpecialSounds; ++k)
        if (s->SpecialSlot(k) >= 0 && g_soundManager->IsPlaying(s->SpecialSlot(k))) return;
  g_soundManager->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
}

void FigureSkatingEvent::OnActivate() { PlayEventSound(kSkSndCrowd); }

int FigureSkatingEvent::LoadedSoundCount() const {
  int n = 0;
  for (int s : sounds_)
    if (g_soundManager && s >= 0 && g_soundManager->IsLoaded(s)) ++n;
  return n;
}

// ---------------------------------------------------------------------------
// A frame

int FigureSkatingEvent::EventFrame() {
  switch (eventState_) {
    case kSkEvAnnouncer:
      PlayEventSound(kSkSndAnnouncer);
      g_skatingIntroFrames = (g_lowMemory || !intro_) ? 1 : std::max<int>(1, intro_->FrameCount());
      introFramesRun_ = 0;
      eventState_ = kSkEvIntroIn;
      [[fallthrough]];
    case kSkEvIntroIn:
      IntroFrame();
      introLevel_ = std::min(kEventFadeSteps, introLevel_ + 8);
      if (++introFrame_ > g_skatingIntroFrames) introFrame_ = 1;
      playFrame_ = 1;
      ++introFramesRun_;
      if (AnyPlayerByteIs(kOutEndIntro, 1)) {
        if (g_soundManager && sounds_[kSkSndAnnouncer] >= 0) g_soundManager->Stop(sounds_[kSkSndAnnouncer]);
        eventState_ = kSkEvIntroOut;
      } else if (AnyLocalAction() || (introLevel_ >= kEventFadeSteps && introFramesRun_ >= announcerFrames_)) {
        PutOutByte(kOutEndIntro, 1);
        ShellResetInput();
      }
      ReadLocalInput();
      return 0;
    case kSkEvIntroOut:
      IntroFrame();
      introLevel_ = std::max(0, introLevel_ - 8);
      if (++introFrame_ > g_skatingIntroFrames) introFrame_ = 1;
      playFrame_ = 1;
      if (introLevel_ == 0) {
        PutOutByte(kOutIntroGone, 1);
        eventState_ = kSkEvWait;
      }
      ReadLocalInput();
      return 0;
    case kSkEvWait: {
      ShellFlip();
      DDSurface* back = ShellBackSurface();
      if (back && backdrop_) back->Blt(0, 0, 640, 480, backdrop_, 0, 0);
      if (AllPlayersByteAre(kOutIntroGone, 1)) {
        FreeIntro();
        if (g_soundManager && sounds_[kSkSndAnnouncer] >= 0) g_soundManager->Unload(sounds_[kSkSndAnnouncer]);
        eventState_ = kSkEvPlay;
      }
      ReadLocalInput();
      return 0;
    }
    default:
      return PlayFrameStep();
  }
}

bool FigureSkatingEvent::AnyLocalAction() const {
  // The exchanged records of this machine's players: a key of the intro is
  // a key the other machines have seen too.
  const int n = g_playMode == 1 ? 2 : 1;
  for (int w = 0; w < n; ++w)
    for (int b = 0; b < kPlayerStateSize; ++b)
      if (g_playerStates[LocalSlot(w)][b]) return true;
  return false;
}

void FigureSkatingEvent::IntroFrame() {
  ShellFlip();
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  if (backdrop_) back->Blt(0, 0, 640, 480, backdrop_, 0, 0);
  if (!introBox_ || !transition_) return;
  introBox_->FillRect(0, 0, kIntroArea.width, kIntroArea.height, 1);
  if (intro_) intro_->DrawFrame(introFrame_, introBox_, 0, 0);
  transition_->Step(static_cast<unsigned>(introLevel_));
}

int FigureSkatingEvent::PlayFrameStep() {
  ++playFrame_;
  if (playFrame_ > 2) ShellFlip();
  if (playFrame_ > kPlayFrames) return EndEvent();
  g_skatingClock = SecondsLeft(playFrame_);
  // Sounds of this machine's view only: they decide nothing.
  if (g_soundManager) {
    auto skating = [&](int which) {
      const Skater* s = SkaterOf(LocalSlot(which));
      return s && (s->state == kSkGlide || s->state == kSkJump);
    };
    const int slot = sounds_[kSkSndSkating];
    if ((skating(0) || (g_playMode == 1 && skating(1))) && slot >= 0 && !g_soundManager->IsPlaying(slot))
      PlayEventSound(kSkSndSkating);
    if (BeepAt(playFrame_) && sounds_[kSkSndBeep] >= 0 && !g_soundManager->IsPlaying(sounds_[kSkSndBeep]))
      PlayEventSound(kSkSndBeep);
  }
  UpdateActors();
  SetSyncCheck(SyncValue());
  ReadLocalInput();
  SortActorsForDrawing();
  DrawViews();
  DrawStatus();
  DrawClockPanel();
  return 0;
}

void FigureSkatingEvent::UpdateActors() {
  // Weapons made during a pass are run in it when their slot lies further
  // on; a weapon that is done empties its slot and is deleted here.
  for (int pass = 0; pass < 2; ++pass)
    for (int i = 0; i < kSkatingActorSlots; ++i) {
      SkatingActor* a = actors_[i];
      if (!a) continue;
      if (pass == 0) {
        a->PreUpdate(actors_);
      } else {
        a->Update(actors_);
      }
      if (actors_[i] != a) delete a;
    }
}

int32_t FigureSkatingEvent::SyncValue() const {
  uint32_t v = static_cast<uint32_t>(LastRandomValue());
  for (int i = 0; i < 4; ++i) {
    const Skater* s = SkaterOf(i);
    if (!s) continue;
    for (int32_t f : {s->x, s->y, g_players[i].energy, s->score, s->state})
      v = v * 31u + static_cast<uint32_t>(f);
  }
  return static_cast<int32_t>(v);
}

void FigureSkatingEvent::SortActorsForDrawing() {
  drawList_.clear();
  std::vector<DrawKey> keys;
  for (int i = 0; i < kSkatingActorSlots; ++i) {
    const SkatingActor* a = actors_[i];
    if (!a || !a->positioned) continue;
    DrawKey k;
    k.lying = (a->IsSkater() && static_cast<const Skater*>(a)->IsLying()) ? 1 : 0;
    k.x = a->x;
    k.y = a->y;
    k.index = i;
    keys.push_back(k);
  }
  std::sort(keys.begin(), keys.end(), DrawsBefore);
  for (const DrawKey& k : keys) drawList_.push_back(k.index);
}

// ---------------------------------------------------------------------------
// Drawing: reads the state, changes nothing of the game.

bool FigureSkatingEvent::FrozenCamera(int skater) const {
  const Skater* s = SkaterOf(skater);
  return s && s->Character() == kCharRaderozi && s->jumpKind == 10 && s->step > 1;
}

void FigureSkatingEvent::DrawViews() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  if (g_playMode == 1) {
    DrawView(0, LocalSlot(0), 0, 320);
    DrawView(1, LocalSlot(1), 320, 320);
    back->SetClipper(nullptr);
    back->FillRect(319, 0, 3, kViewHeight, 0);
  } else {
    DrawView(0, LocalSlot(0), 0, 640);
    back->SetClipper(nullptr);
  }
}

void FigureSkatingEvent::DrawView(int view, int skater, int left, int width) {
  DDSurface* back = ShellBackSurface();
  if (clipper_) {
    ClipRect r{left, 0, width, kViewHeight};
    clipper_->SetClipRect(r);
    back->SetClipper(clipper_);
  }
  const Skater* s = SkaterOf(skater);
  if (s && !FrozenCamera(skater)) {
    camera_[view][0] = s->screenX - width / 2;
    camera_[view][1] = s->screenY - 200;
  }
  const int cx = camera_[view][0], cy = camera_[view][1];
  if (rink_) rink_->Draw(back, left, 0, width, kViewHeight, cx, cy - 40);
  for (int i : drawList_)
    if (const SkatingActor* a = actors_[i]) a->Draw(back, cx, cy, left, 0);
  if (fence_) {
    if (DDSurface* post = fence_->GetFrameSurface(2))
      back->Blt(340 - cx + left, 353 - cy, sa::kFencePostW, sa::kFencePostH, post, 0, 0);
    fence_->DrawFrame(1, back, 358 - cx + left, 345 - cy);
  }
}

void FigureSkatingEvent::DrawStatus() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  int energy[4], stars[4], score[4];
  for (int i = 0; i < 4; ++i) {
    const Skater* s = SkaterOf(i);
    energy[i] = g_players[i].energy;
    stars[i] = s ? s->speedMultiplier - 1 : 0;
    score[i] = s ? s->score : 0;
  }
  DrawStatusBars(statusPicture_, 0, energy, stars);
  DrawStatusBars(statusPicture_, 1, score, nullptr);
  for (int i = 0; i < 4; ++i) {
    const Skater* s = SkaterOf(i);
    if (!s) continue;
    const int x = 160 * i + 90, y = 456;
    std::string number;
    if (s->selected == kSelThrow) {
      if (Sprite* w = WeaponSprite(i)) w->DrawFrame(sa::kWeaponIconFrame, back, x, y);
      number = std::to_string(g_players[i].weaponUnits);
    } else if (s->pillSelected) {
      if (icons_) icons_->DrawFrame(1, back, x, y);
      number = std::to_string(g_players[i].powerPills);
    } else if (s->selected == kSelJump) {
      if (icons_) icons_->DrawFrame(3, back, x, y);
    } else {
      if (icons_) icons_->DrawFrame(2, back, x, y);
    }
    DrawStatusText(x + 25, y, number);
  }
}

void FigureSkatingEvent::DrawClockPanel() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  if (OptionsMenu* menu = GetOptionsMenu()) {
    menu->TileRect(back, 445, 335, 180, 60);
  } else {
    back->FillRect(445, 335, 180, 60, 0);
  }
  if (!font_) return;
  const std::string clock = ClockText(g_skatingClock);
  if (!clock.empty()) {
    font_->SetFlags(0);
    font_->DrawText(back, 450, 335, timeLabel_.c_str());
    font_->SetFlags(kFontAlignRight);
    font_->DrawText(back, 620, 335, clock.c_str());
  }
  font_->SetFlags(0);
  font_->DrawText(back, 450, 355, recordLabel_.c_str());
  font_->SetFlags(kFontAlignRight);
  font_->DrawText(back, 620, 355, recordText_.c_str());
  // The best score: the own skater's unless another is strictly higher.
  const Skater* own = SkaterOf(LocalSlot(0));
  int best = own ? own->score : 0;
  for (int i = 0; i < 4; ++i)
    if (const Skater* s = SkaterOf(i); s && s->score > best) best = s->score;
  font_->SetFlags(0);
  font_->DrawText(back, 450, 375, bestLabel_.c_str());
  font_->SetFlags(kFontAlignRight);
  font_->DrawText(back, 620, 375, (std::to_string(best) + pointsLabel_).c_str());
  font_->SetFlags(0);
}

// ---------------------------------------------------------------------------

void RegisterFigureSkatingEvent() {
  RegisterEventScreen(6, [] { return static_cast<GameScreen*>(new FigureSkatingEvent()); });
}

std::vector<std::pair<void*, size_t>> FigureSkatingInstanceGlobals() {
  return {
      {&g_skatingEvent, sizeof g_skatingEvent},
      {&g_skatingClock, sizeof g_skatingClock},
      {&g_skatingIntroFrames, sizeof g_skatingIntroFrames},
  };
}
