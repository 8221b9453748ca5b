#include "events/kickboxing/kickboxing_event.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "base/debug.h"
#include "base/player_records.h"
#include "base/random.h"
#include "base/stopwatch.h"
#include "base/string.h"
#include "events/kickboxing/kick_actors.h"
#include "events/kickboxing/kick_fighter.h"
#include "events/kickboxing/kickboxing_data.h"
#include "graphics/bitmap_font.h"
#include "graphics/clipper.h"
#include "graphics/display.h"
#include "graphics/fade.h"
#include "graphics/palette.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "graphics/transition.h"
#include "screen/config.h"
#include "screen/event_assets.h"
#include "screen/event_records.h"
#include "screen/face_panel.h"
#include "screen/game_screen_services.h"
#include "screen/options_menu.h"
#include "shell/screen_factory.h"
#include "sound/sound.h"

namespace ka = kickassets;

namespace kick {

namespace {

// Output record: byte 0 this machine is done with the title, byte 1 its
// title has faded out.
constexpr TitleBytes kTitle{.done = 0, .ready = 1};
constexpr ClipRect kTitleArea{169, 50, ka::kTitleW, ka::kTitleH};
constexpr int kEventNumber = 8;

// The running event, for the face panel's callback; cleared with the screen.
KickboxingEvent* g_kickEvent = nullptr;

// A sound's length in frames, read from its file: the same on every machine,
// whether or not its sound device (or a free slot) lets it play there.
int32_t WaveFrames(const std::string& path) { return WaveFileFrames(path, kFramePeriodMs); }

std::string VoicePath(const char* pattern, int character, int n) {
  char path[64];
  std::snprintf(path, sizeof path, pattern, ka::kVoicePrefix[character], n);
  return ShellDataPath(path);
}

}  // namespace

int GetKickboxerStatus(int n) {
  const KickboxingEvent* ev = g_kickEvent;
  const KickboxingFighter* f = ev ? ev->Fighter(n) : nullptr;
  return f ? FighterMood(f->state, f->powerLevel, f->z, f->energy) : 5;
}

// ---------------------------------------------------------------------------
// Construction

void KickboxingEvent::LoadSounds() {
  for (int i = 0; i < kEventSoundCount; ++i) {
    const ka::KickFile& f = ka::kEventSoundFiles[i];
    const std::string path = EventFilePath(f);
    if (i == kSndCrowd) crowdFrames = WaveFrames(path);
    if (i == kSndAnnouncer) announcerLength_ = WaveFrames(path);
    if (!g_soundManager) continue;
    sound[i] = g_soundManager->AllocSlot();
    if (sound[i] >= 0 && !g_soundManager->LoadWaveFile(sound[i], path.c_str(), 0, 1, 0))
      DebugPrintf("Cannot load the sound %s.\n", path.c_str());
  }
}

void KickboxingEvent::LoadPlayerPictures(int i) {
  const int32_t c = g_players[i].character;
  const int ch = (c >= 0 && c < ka::kCharacters) ? c : 0;
  if (spriteCharacter_[i] == ch) return;
  DeleteAndClear(playerSprites_[i]);
  DeleteAndClear(playerWeapons_[i]);
  playerSprites_[i] = LoadSpriteOrNull(ShellDataPath(ka::kFighterSprite[ch]).c_str(), 0x20);
  playerWeapons_[i] = LoadSpriteOrNull(ShellDataPath(ka::kWeaponSprite[ch]).c_str(), 0x20);
  fighterSprite[i] = playerSprites_[i];
  weaponSprite[i] = playerWeapons_[i];
  spriteCharacter_[i] = ch;
}

void KickboxingEvent::MatchPlayerColours() {
  if (!palette_) return;
  for (int i = 0; i < 4; ++i) {
    Sprite* s = playerSprites_[i];
    if (!s) continue;
    const int first = ka::kFighterColoursFirst + ka::kFighterColours * i;
    if (DDPalette* own = s->GetFramePalette(1)) palette_->CopyRange(first, ka::kFighterColours, ka::kSheetColoursFirst, own);
    s->MatchPalette(palette_, first, ka::kFighterColours, 1, 0);
  }
}

void KickboxingEvent::LoadVoices() {
  for (int i = 0; i < 4; ++i) {
    KickboxingFighter* f = Fighter(i);
    if (!f) continue;
    // The fall call is drawn on every machine alike, whether or not this one
    // has the memory to load it.
    const int fall = Rand15() % ka::kVoiceVariants + 1;
    const std::string fallPath = VoicePath(ka::kFallVoicePattern, f->Character(), fall);
    f->fallVoiceFrames = WaveFrames(fallPath);
    std::string knockOut[ka::kVoiceVariants];
    for (int n = 0; n < ka::kVoiceVariants; ++n) {
      knockOut[n] = VoicePath(ka::kKnockOutVoicePattern, f->Character(), n + 1);
      f->knockOutVoiceFrames[n] = WaveFrames(knockOut[n]);
    }
    if (lowMemory || !g_soundManager) continue;
    auto load = [](int32_t* slot, const std::string& path) {
      *slot = g_soundManager->AllocSlot();
      if (*slot >= 0 && !g_soundManager->LoadWaveFile(*slot, path.c_str(), 0, 1, 0))
        DebugPrintf("Cannot load the sound %s.\n", path.c_str());
    };
    load(&f->fallVoice, fallPath);
    for (int n = 0; n < ka::kVoiceVariants; ++n) load(&f->knockOutVoice[n], knockOut[n]);
  }
}

KickboxingEvent::KickboxingEvent() : EventScreen({.periodMs = kFramePeriodMs, .feedStreams = true}) {
  g_kickEvent = this;
  lowMemory = g_lowMemory != 0;
  target = ShellBackSurface();
  pointsText_ = GetStringTextOr(1002, " POINTS");
  bestText_ = GetStringTextOr(1001, "BEST:");
  energyText_ = GetStringTextOr(1000, "ENERGY").substr(0, kStatusLabelSize);
  recordLabel_ = GetStringTextOr(1003, "WR:");
  timeLabel_ = GetStringTextOr(1004, "TIME:");
  ShowLoadingScreen(0, ShellVideoPath(ka::kLoadingPicture).c_str());

  LoadSounds();
  SetLoadingProgress(10, 0);

  // The palette, and the status band kept to the scenery's colours.
  palette_ = LoadPaletteFile(ShellDataPath(ka::kPalettePicture).c_str());
  if (!palette_) DebugPrintf("Cannot load the palette %s.\n", ka::kPalettePicture);
  statusPicture_ = new (std::nothrow) DDSurface(ShellProgramPath(ka::kStatusPicture).c_str());
  if (statusPicture_ && statusPicture_->HasSurface() && palette_) {
    uint8_t usable[256] = {};
    for (int i = 0; i <= ka::kSceneryLast; ++i) usable[i] = 1;
    usable[255] = 1;
    statusPicture_->RemapWithTable(palette_, 0, usable);
  } else if (!statusPicture_ || !statusPicture_->HasSurface()) {
    DebugPrintf("Cannot load the picture %s.\n", ka::kStatusPicture);
    DeleteAndClear(statusPicture_);
  }

  misc = LoadSpriteOrNull(ShellDataPath(ka::kMiscSprite).c_str(), 0x28);
  tiles = LoadSpriteOrNull(ShellDataPath(ka::kTilesSprite).c_str(), 0x28);
  SetLoadingProgress(20, 0);
  smoke = LoadSpriteOrNull(ShellDataPath(ka::kSmokeSprite).c_str(), 0x28);
  title_ = LoadSpriteOrNull(ShellDataPath(ka::kTitleSprite).c_str(), 1);
  scratch_ = new (std::nothrow) DDSurface(640, 480, 4);
  titleBox_ = new (std::nothrow) DDSurface(ka::kTitleW, ka::kTitleH, 4);
  if (scratch_ && palette_) scratch_->SetPalette(palette_);
  if (titleBox_ && titleBox_->HasSurface()) {
    if (palette_) titleBox_->SetPalette(palette_);
    if (target) transition_ = new (std::nothrow) BitmapTransition(target, &kTitleArea, nullptr, titleBox_, kTransitionSkipKeyed);
  }

  for (int i = 0; i < 4; ++i) {
    LoadPlayerPictures(i);
    SetLoadingProgress(30 + 10 * i, 0);
  }
  font_ = new (std::nothrow) BitmapFont(32, 96, 20, 0, 700, 0, 0, 0, 1, nullptr);
  if (font_) {
    font_->SetInkColour(0, 248, 0);
    if (palette_ && font_->IsValid()) font_->GetSprite()->MatchPalette(palette_, 2, 253, 1, 0);
  }

  // The pillars draw their pictures in cell order, alike on every machine.
  MakePillars();
  SetLoadingProgress(70, 0);
  if (g_timers) {
    timer_ = g_timers->Allocate();
    g_timers->Restart(timer_);
  }
  const ClipRect view{0, 0, 640, 400}, screen{0, 0, 640, 480}, left{0, 0, 320, 400}, right{320, 0, 320, 400};
  viewClip_ = CreateRectClipper(&view);
  screenClip_ = CreateRectClipper(&screen);
  leftClip_ = CreateRectClipper(&left);
  rightClip_ = CreateRectClipper(&right);
  recordText_ = GetEventRecordText(kEventNumber);
  for (PlayerRecord& p : g_players) {
    p.place = -1;
    p.result = 0;
  }
  SetLoadingProgress(100, 0);
  EndLoadingScreen();

  quit_ = WaitForPlayers();
  if (quit_) return;
  CreateOptionsMenu(palette_);
  for (PlayerRecord& p : g_players) {
    p.place = -1;
    p.result = 0;
  }
  // The records are now the same on every machine: the fighters are made
  // from them (a character that changed on the way gets its pictures).
  for (int i = 0; i < 4; ++i) LoadPlayerPictures(i);
  MatchPlayerColours();
  MakeFighters();
  LoadVoices();
  const int maxima[2] = {100, 0};
  const char* labels[2] = {energyText_.c_str(), ""};
  SetupStatusBars(statusPicture_, 2, maxima, labels, 120, 128);
  SetStatusItemsShown(true);
  if (g_facePanel) g_facePanel->SetMode(GetKickboxerStatus);
  if (statusPicture_) statusPicture_->BackupPixels();
  started_ = 1;

  DrawFirstPicture();
  if (palette_) FadePalette(palette_, kEventFadeSteps, 1);
  playFrame = 0;
  clock_ = kClockStart;
  titleFrame_ = 1;
  fadeLevel_ = 0;
  phase_ = kAnnounce;
}

// ---------------------------------------------------------------------------
// Destruction

KickboxingEvent::~KickboxingEvent() {
  RankFighters();
  if (g_kickEvent == this) {
    if (g_facePanel) g_facePanel->SetMode(nullptr);
    g_kickEvent = nullptr;
  }
  for (int32_t& s : sound) FreeSound(s);
  if (started_ && palette_) FadePalette(palette_, kEventFadeSteps, 0);
  // The fighters write their energy back.
  DeleteActors();
  if (target)
    for (DDClipper* c : {viewClip_, screenClip_, leftClip_, rightClip_})
      if (c && target->GetClipper() == c) target->SetClipper(nullptr);
  ReleaseClipper(viewClip_);
  ReleaseClipper(screenClip_);
  ReleaseClipper(leftClip_);
  ReleaseClipper(rightClip_);
  DeleteAndClear(transition_);
  DeleteAndClear(font_);
  DeleteAndClear(statusPicture_);
  DeleteAndClear(scratch_);
  DeleteAndClear(titleBox_);
  DeleteAndClear(title_);
  DeleteAndClear(misc);
  DeleteAndClear(tiles);
  DeleteAndClear(smoke);
  for (int i = 0; i < 4; ++i) {
    DeleteAndClear(playerSprites_[i]);
    DeleteAndClear(playerWeapons_[i]);
    fighterSprite[i] = weaponSprite[i] = nullptr;
  }
  if (palette_) ReleasePalette(palette_);
  palette_ = nullptr;
  if (g_timers && timer_ >= 0) g_timers->Release(timer_);
}

void KickboxingEvent::RankFighters() {
  bool open = false;
  for (const PlayerRecord& p : g_players) open = open || p.place < 0;
  if (!open) return;
  int32_t score[4], place[4];
  float energy[4];
  for (int i = 0; i < 4; ++i) {
    const KickboxingFighter* f = Fighter(i);
    score[i] = f ? f->score : 0;
    energy[i] = f ? f->energy : static_cast<float>(g_players[i].energy);
  }
  kick::RankFighters(score, energy, place);
  for (int i = 0; i < 4; ++i) {
    g_players[i].result = score[i];
    g_players[i].place = place[i];
  }
}

int KickboxingEvent::LoadedSoundCount() const {
  if (!g_soundManager) return 0;
  int n = 0;
  auto count = [&](int32_t s) { n += (s >= 0 && g_soundManager->IsLoaded(s)) ? 1 : 0; };
  for (int32_t s : sound) count(s);
  for (int i = 0; i < 4; ++i)
    if (const KickboxingFighter* f = Fighter(i)) {
      for (int32_t s : f->sounds) count(s);
      count(f->fallVoice);
      for (int32_t s : f->knockOutVoice) count(s);
    }
  return n;
}

// ---------------------------------------------------------------------------
// A frame

int KickboxingEvent::EventFrame() {
  target = ShellBackSurface();  // none: this frame is not drawn
  if (phase_ != kFight) {
    const int locals[2] = {LocalPlayer(0), LocalPlayer(1)};
    TitleFrame(phase_, kTitle, locals, g_playMode == 1 ? 2 : 1);
    return ReadLocalInput() == 1 ? 1 : 0;
  }
  if (FightStep()) return EndEvent();
  if (ReadLocalInput() == 1) return 1;
  BuildDrawLists();
  DrawViews();
  DrawStatus(true);
  DrawItemIcons();
  DrawInfoBox();
  return 0;
}

void KickboxingEvent::TitleBegin() {
  titleAnnouncer_ = sound[kSndAnnouncer];
  PlayEvent(kSndAnnouncer);
  titleFrames_ = (g_lowMemory || !title_) ? 1 : title_->FrameCount();
}

void KickboxingEvent::TitleWaitFrame() {
  if (target && scratch_) target->Blt(0, 0, 640, 480, scratch_, 0, 0);
}

void KickboxingEvent::TitleEnd() {
  DeleteAndClear(transition_);
  DeleteAndClear(titleBox_);
  DeleteAndClear(title_);
  DeleteAndClear(scratch_);
}

int KickboxingEvent::TitleStep(int direction) {
  ShellFlip();
  if (target && scratch_) target->Blt(0, 0, 640, 480, scratch_, 0, 0);
  if (titleBox_ && transition_) {
    titleBox_->FillRect(0, 0, ka::kTitleW, ka::kTitleH, 1);
    if (title_) title_->DrawFrame(titleFrame_, titleBox_, 0, 0);
    transition_->Step(static_cast<unsigned>(fadeLevel_));
  }
  fadeLevel_ = std::clamp(fadeLevel_ + 8 * direction, 0, 64);
  if (++titleFrame_ > titleFrames_) titleFrame_ = 1;
  playFrame = 1;
  return fadeLevel_;
}

int KickboxingEvent::FightStep() {
  ++playFrame;
  if (playFrame >= 3) ShellFlip();
  CyclePillars();
  UpdateActors();
  // Nothing left of the chosen item: the pill, then the fists.
  for (int i = 0; i < 4; ++i)
    if (KickboxingFighter* f = Fighter(i)) f->item = CheckedItem(f->item, g_players[i].weaponUnits, g_players[i].powerPills);

  // The crowd boos while this machine's own fighter falls.
  const KickboxingFighter* own = Fighter(LocalPlayer(0));
  if (g_playMode == 0 && own && own->z > kBottom && own->z < 0 && !IsPlaying(sound[kSndCrowd])) PlayEvent(kSndCrowd);

  // The end: both players of one machine down, every person down (when a
  // person plays at all), three fighters down, or the clock. The boo and the
  // fighters' calls are let finish, by their length in frames.
  bool end = false;
  if (g_playMode == 1) {
    const KickboxingFighter* a = Fighter(LocalPlayer(0));
    const KickboxingFighter* b = Fighter(LocalPlayer(1));
    end = a && b && a->z <= kBottom && b->z <= kBottom && CrowdQuiet();
  }
  bool anyPerson = false, personUp = false;
  int down = 0;
  for (int i = 0; i < 4; ++i) {
    const KickboxingFighter* f = Fighter(i);
    if (g_players[i].human) {
      anyPerson = true;
      personUp = personUp || (f && f->z > kBottom);
    }
    down += (f && f->z <= kBottom) ? 1 : 0;
  }
  end = end || (anyPerson && !personUp && VoicesQuiet() && CrowdQuiet());
  end = end || (down >= 3 && CrowdQuiet());
  end = end || clock_ < 1;
  if (end) return 1;

  if (playFrame % kFramesPerClockSecond == 0) {
    --clock_;
    if (clock_ < 4) PlayUnlessPlaying(sound[kSndBeep]);
  }
  SetSyncCheck(SyncValue());
  return 0;
}

int32_t KickboxingEvent::SyncValue() const {
  // What every machine must agree on: the fighters (position, state,
  // energy, points, items), the pillars, the effects and the generator.
  uint32_t h = 2166136261u;
  auto mix = [&h](uint32_t v) { h = (h ^ v) * 16777619u; };
  auto bits = [](float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
  };
  for (int i = 0; i < 4; ++i) {
    const KickboxingFighter* f = Fighter(i);
    if (!f) continue;
    for (float v : {f->x, f->y, f->z, f->energy}) mix(bits(v));
    mix(uint32_t(f->state) | uint32_t(f->step) << 8 | uint32_t(f->facing) << 16 | uint32_t(f->powerLevel) << 24);
    mix(uint32_t(f->score));
    mix(uint32_t(f->item) | uint32_t(f->plan + 1) << 8 | uint32_t(f->target + 1) << 16);
    mix(uint32_t(g_players[i].weaponUnits) ^ uint32_t(g_players[i].powerPills) << 16);
  }
  for (int32_t cell : pillarSlots) mix(uint32_t(cell));
  for (int cell = 0; cell < kCells; ++cell)
    if (const KickboxingPillar* p = Pillar(cell); p && p->state != kPillarDown) mix(uint32_t(cell) << 16 ^ bits(p->z));
  for (int s = kEffectSlotFirst; s < kActorSlots; ++s)
    if (const KickboxingActor* a = actors[s]) mix(uint32_t(s) ^ uint32_t(a->kind) << 8 ^ bits(a->x) ^ bits(a->y));
  mix(RandomState());
  mix(uint32_t(clock_));
  return static_cast<int32_t>(h);
}

// ---------------------------------------------------------------------------
// Drawing: reads the state, never changes it

int KickboxingEvent::Camera(int player, int viewCentre, int* cameraY) const {
  const KickboxingFighter* f = Fighter(player);
  const ScreenPoint middle = ProjectToScreen(static_cast<float>(kPlatformSize / 2), static_cast<float>(kPlatformSize / 2), 0);
  const ScreenPoint camera = ViewCamera(f ? ScreenPoint{f->screenX, f->screenY} : middle, viewCentre);
  *cameraY = camera.y;
  return camera.x;
}

void KickboxingEvent::DrawViews(bool firstPicture) {
  if (!target) return;
  int cy = 0;
  if (g_playMode == 1) {
    target->SetClipper(leftClip_);
    int cx = Camera(LocalPlayer(0), 160, &cy);
    if (firstPicture) cx = kFirstPictureCamera[0].x, cy = kFirstPictureCamera[0].y;
    DrawScene(cx, cy);
    target->SetClipper(rightClip_);
    cx = Camera(LocalPlayer(1), 480, &cy);
    if (firstPicture) cx = kFirstPictureCamera[1].x, cy = kFirstPictureCamera[1].y;
    DrawScene(cx, cy);
  } else {
    target->SetClipper(viewClip_);
    const int cx = Camera(LocalPlayer(0), 320, &cy);
    DrawScene(cx, cy);
  }
  target->SetClipper(screenClip_);
  if (g_playMode == 1) target->FillRect(319, 0, 3, 400, 0);
}

void KickboxingEvent::DrawFirstPicture() {
  if (!target) return;
  BuildDrawLists();
  DrawViews(true);
  DrawStatus(false);
  if (scratch_ && scratch_->HasSurface()) scratch_->Blt(0, 0, 640, 480, target, 0, 0);
  DDSurface* primary = ShellPrimarySurface();
  if (primary && primary != target) primary->Blt(0, 0, 640, 480, target, 0, 0);
}

void KickboxingEvent::DrawStatus(bool withLevels) {
  int energy[4], level[4], score[4];
  for (int i = 0; i < 4; ++i) {
    const KickboxingFighter* f = Fighter(i);
    energy[i] = f ? static_cast<int>(f->energy) : g_players[i].energy;
    level[i] = f ? f->powerLevel - 1 : 0;
    score[i] = f ? f->score : 0;
  }
  if (target) target->SetClipper(screenClip_);
  DrawStatusBars(statusPicture_, 0, energy, withLevels ? level : nullptr);
  if (withLevels) DrawStatusBars(statusPicture_, 1, score, nullptr);
}

void KickboxingEvent::DrawItemIcons() {
  if (!target || !misc) return;
  for (int i = 0; i < 4; ++i) {
    const KickboxingFighter* f = Fighter(i);
    if (!f) continue;
    const int x = 90 + 160 * i, y = 456;
    char n[16];
    switch (f->item) {
      case kWeapon:
        misc->DrawFrame(ka::kMiscWeaponIconFirst + f->Character(), target, x, y);
        std::snprintf(n, sizeof n, "%d", g_players[i].weaponUnits);
        break;
      case kPill:
        misc->DrawFrame(ka::kMiscPill, target, x, y);
        std::snprintf(n, sizeof n, "%d", g_players[i].powerPills);
        break;
      default:
        misc->DrawFrame(ka::kMiscFists, target, x, y);
        n[0] = 0;
        break;
    }
    if (n[0]) DrawStatusText(x + 25, y, n);
  }
}

void KickboxingEvent::DrawInfoBox() {
  if (!target) return;
  if (OptionsMenu* menu = GetOptionsMenu())
    menu->TileRect(target, 445, 335, 180, 60);
  else
    target->FillRect(445, 335, 180, 60, 0);
  BitmapFont* font = font_ && font_->IsValid() ? font_ : g_screenText;
  if (!font) return;
  char clock[32];
  FormatEventResult(5, clock_, clock, sizeof clock);  // "m : ss", as the timed events write it
  // The best of the four, starting from this machine's own fighter.
  const KickboxingFighter* own = Fighter(LocalPlayer(0));
  int32_t best = own ? own->score : 0;
  for (int i = 0; i < 4; ++i)
    if (const KickboxingFighter* f = Fighter(i)) best = std::max(best, f->score);
  const std::string bestText = std::to_string(best) + pointsText_;
  const struct {
    const std::string& label;
    const char* value;
    int y;
  } lines[3] = {{timeLabel_, clock, 335}, {recordLabel_, recordText_.c_str(), 355}, {bestText_, bestText.c_str(), 375}};
  for (const auto& l : lines) {
    font->SetFlags(0);
    font->DrawText(target, 450, l.y, l.label.c_str());
    font->SetFlags(kFontAlignRight);
    font->DrawText(target, 620, l.y, l.value);
  }
  font->SetFlags(0);
}

std::vector<std::pair<void*, size_t>> KickboxingInstanceGlobals() { return {{&g_kickEvent, sizeof g_kickEvent}}; }

}  // namespace kick

void RegisterKickboxingEvent() {
  RegisterEventScreen(8, [] { return static_cast<GameScreen*>(new kick::KickboxingEvent()); });
}
