#include "events/climbing/climbing_event.h"

#include <algorithm>
#include <new>
#include <string>

#include "screen/config.h"
#include "screen/event_assets.h"
#include "screen/event_records.h"
#include "screen/face_panel.h"
#include "screen/game_screen_services.h"
#include "screen/options_menu.h"
#include "shell/screen_factory.h"
#include "sound/sound.h"
#include "base/debug.h"
#include "base/player_records.h"
#include "base/random.h"
#include "base/stopwatch.h"
#include "base/string.h"
#include "graphics/bitmap_font.h"
#include "graphics/clipper.h"
#include "graphics/display.h"
#include "graphics/fade.h"
#include "graphics/palette.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "graphics/transition.h"

using namespace climbrules;
namespace ca = climbassets;

namespace {

constexpr EventFrameSpec kFrame{.periodMs = 65, .feedStreams = true};
constexpr int kViewHeight = 400;
// Output record: byte 0 a key was pressed or the announcer ended, byte 1
// the intro has dissolved out on this machine.
constexpr TitleBytes kTitle{.done = 0, .ready = 1};
// Byte 2: the players this machine has seen leave (one bit each).
constexpr int kOutGone = 2;
constexpr ClipRect kIntroArea{170, 50, 300, 300};

// The screen whose climbers the face panel asks about.
ClimbingEvent* g_climbingScreen = nullptr;

std::string TextOf(unsigned id, const char* fallback) {
  const char* t = GetStringText(id);
  return (t && *t) ? t : fallback;
}

std::string PathOf(int root, const char* relative) {
  return root == ca::kProgram ? ShellProgramPath(relative) : ShellDataPath(relative);
}

// A picture that cannot be loaded is not drawn; the race goes on.
Sprite* LoadSprite(const std::string& path, uint32_t flags) { return LoadSpriteOrNull(path.c_str(), flags); }

// A picture whose frames are not the size the race counts with was not
// made for this game: it is drawn all the same, and the reason is told.
void CheckFrameSize(Sprite* s, const char* name, int w, int h) {
  const BitmapInfoHeader* info = s ? s->GetFrameInfo(1) : nullptr;
  if (!info) return;
  const int fh = info->height < 0 ? -info->height : info->height;
  if (info->width != w || fh != h)
    DebugPrintf("The picture %s is %dx%d, not %dx%d: it will not match the race.\n", name,
                static_cast<int>(info->width), fh, w, h);
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction

ClimbingEvent::ClimbingEvent() : EventScreen(kFrame) {
  g_climbingScreen = this;
  for (int32_t& s : screenSlots_) s = -1;
  for (auto& row : climberSlots_)
    for (int32_t& s : row) s = -1;
  viewWidth_ = g_playMode == 1 ? 320 : 640;
  world_.viewWidth = viewWidth_;
  world_.sounds = this;
  world_.lowMemory = g_lowMemory != 0;

  ShowLoadingScreen(0, ShellVideoPath(ca::kLoadingPicture).c_str());
  recordLabel_ = TextOf(1003, "WR:");
  timeLabel_ = TextOf(1004, "TIME:");
  energyLabel_ = TextOf(1000, "ENERGY");
  distanceLabel_ = TextOf(1006, "DISTANCE");

  LoadSounds();
  SetLoadingProgress(10, 0);
  LoadPictures();  // progress 20 .. 40
  world_.CreateSmoke();

  // The climbers, each with its 32 colours of the display palette.
  world_.CreateClimbers();
  BuildPalette();
  for (int i = 0; i < 4; ++i) {
    LoadClimberSounds(i);
    SetLoadingProgress(50 + 10 * i, 0);
  }
  world_.frameCounter = 0;

  {
    const int maxima[2] = {100, kRoofHeight};
    const char* labels[2] = {energyLabel_.c_str(), distanceLabel_.c_str()};
    SetupStatusBars(statusPicture_, 2, maxima, labels, ca::kClimberBandFirst, 4 * ca::kClimberBandSize);
    SetStatusItemsShown(true);
  }
  if (g_facePanel) g_facePanel->SetMode(GetFaceMood);
  SetLoadingProgress(90, 0);

  const ClipRect rects[3] = {{0, 0, viewWidth_, kViewHeight}, {viewWidth_, 0, viewWidth_, kViewHeight}, {0, 0, 640, 480}};
  for (int i = 0; i < 3; ++i) clippers_[i] = CreateRectClipper(&rects[i]);
  if (ShellBackSurface() && clippers_[0]) ShellBackSurface()->SetClipper(clippers_[0]);
  for (ClimbView& v : world_.views) v.buildingState = -2400;

  clockFont_ = new (std::nothrow) BitmapFont(32, 96, 20, 0, 700, 0, 0, 0, 1, nullptr);
  if (clockFont_) clockFont_->SetInkColour(0, 248, 0);
  SetLoadingProgress(100, 0);

  quit_ = WaitForPlayers();
  EndLoadingScreen();
  recordText_ = GetEventRecordText(2);
  // The records are now the same on every machine, and so are the random
  // numbers drawn from here on, whatever was drawn while they differed.
  if (g_playMode == 2) SeedRandom(static_cast<uint32_t>(g_localPlayers[2]));
  // Who plays whom, as every machine now knows it.
  world_.persons = 0;
  for (int i = 0; i < 4; ++i)
    if (g_players[i].human == 1) world_.persons |= static_cast<uint8_t>(1u << i);
  world_.BuildWindows();
  world_.PlaceFlowerPots();
  world_.clock = 0;
  if (g_timers) {
    timer_ = g_timers->Allocate();
    g_timers->Restart(timer_);
  }
  introState_ = kClimbIntroStart;
  introFrame_ = 1;
  introLevel_ = 0;
  if (quit_) return;

  CreateOptionsMenu(palette_);
  for (int i = 0; i < 4; ++i) {
    g_players[i].place = -1;
    g_players[i].result = kNotFinished;
    if (world_.climbers[i]) world_.climbers[i]->climbSpeed = ClimbSpeedOf(g_players[i].speed);
  }
  world_.UpdateViews();
  DrawRace();
  DDSurface* back = ShellBackSurface();
  DDSurface* primary = ShellPrimarySurface();
  if (back && introCopy_) introCopy_->Blt(0, 0, 640, 480, back, 0, 0);
  if (back && primary && primary != back) primary->Blt(0, 0, 640, 480, back, 0, 0);
  if (palette_) FadePalette(palette_, kEventFadeSteps, 1);
  Play(ca::kSndCity, true);
}

void ClimbingEvent::LoadSounds() {
  // The intro lasts the announcer's words on every machine alike, counted
  // from the file whether or not this one can play it.
  announcerFrames_ =
      WaveFileFrames(PathOf(ca::kScreenSoundFiles[ca::kSndAnnouncer].root, ca::kScreenSoundFiles[ca::kSndAnnouncer].path),
                        kFrame.periodMs);
  for (int s = 0; s < ca::kScreenSounds; ++s) {
    if (!g_soundManager) return;
    const int slot = g_soundManager->AllocSlot();
    screenSlots_[s] = slot;
    if (slot < 0) continue;
    const std::string path = PathOf(ca::kScreenSoundFiles[s].root, ca::kScreenSoundFiles[s].path);
    if (!g_soundManager->LoadWaveFile(slot, path.c_str(), 0, 1, 0))
      DebugPrintf("Cannot load the sound %s.\n", path.c_str());
  }
}

void ClimbingEvent::LoadClimberSounds(int player) {
  if (!g_soundManager) return;
  const ca::ClimberFiles& f = ca::kClimberFiles[std::clamp(g_players[player].character, 0, ca::kCharacters - 1)];
  const int count = g_lowMemory ? kClSndCry1 : kClSndCry1 + ca::kCries;
  for (int k = 0; k < count; ++k) {
    std::string path;
    if (k < kClSndCry1) {
      path = PathOf(f.soundRoot, f.sounds[k]);
    } else {
      std::string name = f.cry;
      std::replace(name.begin(), name.end(), '0', static_cast<char>('1' + k - kClSndCry1));
      path = PathOf(ca::kData, name.c_str());
    }
    const int slot = g_soundManager->AllocSlot();
    climberSlots_[player & 3][k] = slot;
    if (slot >= 0 && !g_soundManager->LoadWaveFile(slot, path.c_str(), 0, 1, 0))
      DebugPrintf("Cannot load the sound %s.\n", path.c_str());
  }
}

void ClimbingEvent::LoadPictures() {
  ClimbSprites& sp = world_.sprites;
  auto data = [this](const char* relative, uint32_t flags) {
    Sprite* s = LoadSprite(ShellDataPath(relative), flags);
    if (s) owned_.push_back(s);
    return s;
  };
  statusPicture_ = new (std::nothrow) DDSurface(ShellDataPath(ca::kStatusPicture).c_str());
  if (!statusPicture_ || !statusPicture_->HasSurface() || !statusPicture_->GetPalette())
    DebugPrintf("Cannot load the picture %s.\n", ca::kStatusPicture);
  sp.buildingA = data(ca::kBuildingA, 0x22);
  sp.buildingB = data(ca::kBuildingB, 0x28);
  icons_ = data(ca::kIconSprite, 0x22);
  sp.star = data(ca::kStarSprite, 0x22);
  SetLoadingProgress(20, 0);
  for (int k = 0; k < ca::kObjectKinds; ++k) sp.objects[k] = data(ca::kObjects[k].sprite, 0x22);
  sp.chimney = data(ca::kChimneySprite, 0x22);
  sp.pots = data(ca::kPotSprite, 0x22);
  sp.windows = data(ca::kWindowSprite, 0x28);
  SetLoadingProgress(30, 0);
  for (int k = 0; k < ca::kExplosionKinds; ++k) sp.explosions[k] = data(ca::kExplosions[k].sprite, 0x22);
  sp.helicopter = data(ca::kHelicopterSprite, 0x22);
  intro_ = LoadSprite(ShellDataPath(ca::kIntroSprite), 1);
  introCopy_ = new (std::nothrow) DDSurface(640, 480, 4);
  faceIcons_ = LoadSprite(ShellProgramPath(ca::kFaceIcons), 0x22);
  introBox_ = new (std::nothrow) DDSurface(kIntroArea.width, kIntroArea.height, 4);
  if (introBox_ && introBox_->HasSurface() && ShellBackSurface())
    introTransition_ =
        new (std::nothrow) BitmapTransition(ShellBackSurface(), &kIntroArea, nullptr, introBox_, kTransitionSkipKeyed);
  for (int i = 0; i < 4; ++i) {
    const int c = std::clamp(g_players[i].character, 0, ca::kCharacters - 1);
    sp.climbers[i] = data(ca::kClimberFiles[c].sheet, 0x22);
    sp.weapons[i] = data(ca::kClimberFiles[c].weapon, 0x22);
    CheckFrameSize(sp.climbers[i], ca::kClimberFiles[c].sheet, ca::kShapes[c].w, ca::kShapes[c].h);
  }
  for (int k = 0; k < ca::kObjectKinds; ++k)
    CheckFrameSize(sp.objects[k], ca::kObjects[k].sprite, ca::kObjects[k].w, ca::kObjects[k].h);
  CheckFrameSize(sp.helicopter, ca::kHelicopterSprite, ca::kHelicopterW, ca::kHelicopterH);
  SetLoadingProgress(40, 0);
}

void ClimbingEvent::BuildPalette() {
  if (statusPicture_ && statusPicture_->GetPalette())
    palette_ = CreateDisplayPalette(kDisplayPaletteCaps, statusPicture_->GetPalette()->Entries());
  if (!palette_) return;
  ClimbSprites& sp = world_.sprites;
  if (sp.buildingA)
    if (DDPalette* a = sp.buildingA->GetFramePalette(1)) palette_->CopyRange(ca::kSceneryFirst, 235, ca::kSceneryFirst, a);
  for (int i = 0; i < 4; ++i) {
    Sprite* s = sp.climbers[i];
    DDPalette* own = s ? s->GetFramePalette(1) : nullptr;
    if (!own) continue;
    const int first = ca::kClimberBandFirst + ca::kClimberBandSize * i;
    palette_->CopyRange(first, ca::kClimberBandSize, ca::kSheetColourFirst, own);
    s->MatchPalette(palette_, first, ca::kClimberBandSize, 1, 0);
  }
  if (faceIcons_) faceIcons_->MatchPalette(palette_, ca::kFaceIconFirst, ca::kFaceIconCount, 1, 0);
  // Every picture drawn straight into the back buffer shares these entries.
  if (statusPicture_) statusPicture_->SetPalette(palette_);
  if (introCopy_ && introCopy_->HasSurface()) introCopy_->SetPalette(palette_);
  if (introBox_ && introBox_->HasSurface()) introBox_->SetPalette(palette_);
}

// ---------------------------------------------------------------------------
// Destruction: the places, then everything the screen loaded.

ClimbingEvent::~ClimbingEvent() {
  if (!quit_) world_.RankByHeight();
  if (g_soundManager) {
    for (int32_t& slot : screenSlots_) {
      if (slot >= 0) g_soundManager->FreeSlot(slot);
      slot = -1;
    }
    for (auto& row : climberSlots_)
      for (int32_t& slot : row) {
        if (slot >= 0) g_soundManager->FreeSlot(slot);
        slot = -1;
      }
  }
  world_.sounds = nullptr;
  if (!quit_ && palette_) FadePalette(palette_, kEventFadeSteps, 0);
  if (g_facePanel) g_facePanel->SetMode(nullptr);
  FreeIntro();
  DeleteAndClear(clockFont_);
  DeleteAndClear(faceIcons_);
  DeleteAndClear(statusPicture_);
  DDSurface* back = ShellBackSurface();
  for (DDClipper*& c : clippers_) {
    if (back && c && back->GetClipper() == c) back->SetClipper(nullptr);
    if (c) c->Release();
    c = nullptr;
  }
  if (palette_) ReleasePalette(palette_);
  palette_ = nullptr;
  if (g_timers && timer_ >= 0) g_timers->Release(timer_);
  // The race's actors go before the pictures they point to.
  world_.Clear();
  icons_ = nullptr;
  world_.sprites = ClimbSprites();
  for (Sprite* s : owned_) delete s;
  owned_.clear();
  if (g_climbingScreen == this) g_climbingScreen = nullptr;
}

void ClimbingEvent::FreeIntro() {
  DeleteAndClear(introTransition_);
  DeleteAndClear(intro_);
  DeleteAndClear(introBox_);
  DeleteAndClear(introCopy_);
}

// ---------------------------------------------------------------------------
// Sounds

int ClimbingEvent::SlotOf(int sound) const {
  if (sound >= 0 && sound < ca::kScreenSounds) return screenSlots_[sound];
  const int k = sound - kClimberSoundBase;
  if (k >= 0 && k < 40) return climberSlots_[k / 10][k % 10];
  return -1;
}

void ClimbingEvent::Play(int sound, bool loop) {
  const int slot = SlotOf(sound);
  if (g_soundManager && slot >= 0)
    g_soundManager->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, loop ? 1 : 0);
}

void ClimbingEvent::Stop(int sound) {
  const int slot = SlotOf(sound);
  if (g_soundManager && slot >= 0) g_soundManager->Stop(slot);
}

bool ClimbingEvent::IsPlaying(int sound) const {
  const int slot = SlotOf(sound);
  return g_soundManager && slot >= 0 && g_soundManager->IsPlaying(slot);
}

void ClimbingEvent::SetVolume(int sound, int32_t volume) {
  const int slot = SlotOf(sound);
  if (g_soundManager && slot >= 0) g_soundManager->SetVolume(slot, volume);
}

int ClimbingEvent::LoadedSoundCount() const {
  int n = 0;
  if (!g_soundManager) return 0;
  for (int32_t s : screenSlots_)
    if (s >= 0 && g_soundManager->IsLoaded(s)) ++n;
  for (const auto& row : climberSlots_)
    for (int32_t s : row)
      if (s >= 0 && g_soundManager->IsLoaded(s)) ++n;
  return n;
}

void ClimbingEvent::OnDeactivate() {}
void ClimbingEvent::OnActivate() { Play(ca::kSndCity, true); }
int ClimbingEvent::IsMusicPlaying() { return 1; }

int ClimbingEvent::GetFaceMood(int player) {
  const ClimbingEvent* e = g_climbingScreen;
  const Climber* c = e ? e->world_.climbers[player & 3] : nullptr;
  if (!c) return 0;
  const PlayerRecord& rec = g_players[player & 3];
  MoodInput in;
  in.knockedOff = c->knockedOff != 0;
  in.state = c->state;
  in.placed = rec.place >= 0;
  in.energy = rec.energy;
  in.pill = c->pillMultiplier > 1;
  in.height = c->h;
  in.moodThreshold = c->moodThreshold;
  return FaceMood(in);
}

// ---------------------------------------------------------------------------
// A frame

int ClimbingEvent::EventFrame() {
  AgreeOnLeavers();
  if (introState_ != kClimbIntroRace) {
    IntroFrame();
    ReadLocalInput();
    return 0;
  }
  ShellFlip();
  if (world_.RaceFrame()) return EndEvent();
  SetSyncCheck(world_.SyncCheck());
  ReadLocalInput();
  world_.UpdateViews();
  DrawRace();
  return 0;
}

void ClimbingEvent::AgreeOnLeavers() {
  if (g_playMode != 2) return;
  // Machines hear of a player leaving at different frames; the computer
  // takes the climber over in the frame whose exchanged records first say
  // so, which is the same frame everywhere.
  world_.persons = GameScreen::AgreeOnLeavers(kOutGone, world_.persons);
}

bool ClimbingEvent::LocalKeyPressed() const {
  // A new press of a direction or of the first three actions by a player
  // of this machine, as the exchange brought it.
  const int players = g_playMode == 1 ? 2 : 1;
  for (int p = 0; p < players; ++p) {
    const uint8_t* s = g_playerStates[g_localPlayers[p] & 3];
    for (int b = 0; b <= kClInNoItem; ++b)
      if (s[b] & 0x7F) return true;
  }
  return false;
}

void ClimbingEvent::IntroPicture() {
  ShellFlip();
  DDSurface* back = ShellBackSurface();
  if (back && introCopy_ && introCopy_->HasSurface()) back->Blt(0, 0, 640, 480, introCopy_, 0, 0);
  if (introBox_ && introBox_->HasSurface()) {
    introBox_->FillRect(0, 0, kIntroArea.width, kIntroArea.height, 1);
    if (intro_) intro_->DrawFrame(introFrame_, introBox_, 0, 0);
  }
  if (introTransition_) introTransition_->Step(static_cast<unsigned>(introLevel_));
}

void ClimbingEvent::IntroFrame() {
  switch (introState_) {
    case kClimbIntroStart:
      Play(ca::kSndAnnouncer, false);
      introFrames_ = (g_lowMemory || !intro_) ? 1 : std::max<int>(1, intro_->FrameCount());
      introTicks_ = 0;
      introState_ = kClimbIntroIn;
      [[fallthrough]];
    case kClimbIntroIn:
      IntroPicture();
      introLevel_ = std::min(64, introLevel_ + 8);
      if (++introFrame_ > introFrames_) introFrame_ = 1;
      world_.frameCounter = 1;
      ++introTicks_;
      if (AnyPlayerByteIs(kTitle.done, 1)) {
        Stop(ca::kSndAnnouncer);
        introState_ = kClimbIntroOut;
      } else if (LocalKeyPressed() || introTicks_ >= announcerFrames_) {
        PutOutByte(kTitle.done, 1);
        ShellResetInput();
      }
      break;
    case kClimbIntroOut:
      IntroPicture();
      introLevel_ = std::max(0, introLevel_ - 8);
      if (++introFrame_ > introFrames_) introFrame_ = 1;
      world_.frameCounter = 1;
      if (introLevel_ == 0) {
        PutOutByte(kTitle.ready, 1);
        introState_ = kClimbIntroWait;
      }
      break;
    case kClimbIntroWait: {
      ShellFlip();
      DDSurface* back = ShellBackSurface();
      if (back && introCopy_ && introCopy_->HasSurface()) back->Blt(0, 0, 640, 480, introCopy_, 0, 0);
      if (AllPlayersByteAre(kTitle.ready, 1)) {
        FreeIntro();
        if (g_soundManager && screenSlots_[ca::kSndAnnouncer] >= 0)
          g_soundManager->Unload(screenSlots_[ca::kSndAnnouncer]);
        introState_ = kClimbIntroRace;
      }
      break;
    }
    default:
      break;
  }
}

// ---------------------------------------------------------------------------
// Drawing

void ClimbingEvent::DrawRace() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  if (clippers_[0]) back->SetClipper(clippers_[0]);
  world_.DrawView(0);
  if (world_.Split()) {
    if (clippers_[1]) back->SetClipper(clippers_[1]);
    world_.DrawView(1);
  }
  if (clippers_[2]) back->SetClipper(clippers_[2]);
  DrawStatusBand();
  if (world_.Split()) back->FillRect(viewWidth_ - 1, 0, 3, kViewHeight, 0);
  DrawMap();
  DrawClock();
}

void ClimbingEvent::DrawStatusBand() {
  DDSurface* back = ShellBackSurface();
  int energy[4], stars[4], distance[4];
  for (int i = 0; i < 4; ++i) {
    const Climber* c = world_.climbers[i];
    energy[i] = g_players[i].energy;
    stars[i] = c ? c->pillMultiplier - 1 : 0;
    // Above the roof the distance left is none, not a negative bar.
    distance[i] = c ? std::max(0, kRoofHeight - c->h) : kRoofHeight;
  }
  DrawStatusBars(statusPicture_, 0, energy, stars);
  DrawStatusBars(statusPicture_, 1, distance, nullptr);
  if (!back) return;
  for (int i = 0; i < 4; ++i) {
    const Climber* c = world_.climbers[i];
    const int item = c ? static_cast<int>(c->selected) : 0;
    const int x = 160 * i + 90;
    if (item == kClItemWeapon && world_.sprites.weapons[i]) {
      world_.sprites.weapons[i]->DrawFrame(ca::kWeaponIconFrame, back, x, 456);
    } else if (icons_) {
      icons_->DrawFrame(item == kClItemPill ? ca::kIconPill : ca::kIconNone, back, x, 456);
    }
    if (item != kClItemNone) {
      const int n = item == kClItemWeapon ? g_players[i].weaponUnits : g_players[i].powerPills;
      DrawStatusText(160 * i + 115, 456, std::to_string(n));
    }
  }
}

void ClimbingEvent::DrawMap() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  if (OptionsMenu* menu = GetOptionsMenu())
    menu->TileRect(back, 495, 25, 128, 154);
  else
    back->FillRect(495, 25, 128, 154, 0);
  if (world_.sprites.buildingA) world_.sprites.buildingA->DrawFrame(ca::kAMapFrame, back, 485, 10);
  if (!faceIcons_) return;
  for (int i = 0; i < 4; ++i) {
    const Climber* c = world_.climbers[i];
    if (!c || g_players[i].place >= 0) continue;  // a placed climber leaves the map
    faceIcons_->DrawFrame(std::clamp(g_players[i].character, 0, 5) + 1, back, c->x / 5 + 488, 159 - c->h / 20);
  }
}

void ClimbingEvent::DrawClock() {
  DDSurface* back = ShellBackSurface();
  if (!back || world_.frameCounter <= 1) return;
  if (OptionsMenu* menu = GetOptionsMenu())
    menu->TileRect(back, 445, 355, 180, 40);
  else
    back->FillRect(445, 355, 180, 40, 0);
  if (!clockFont_) return;
  const std::string text = ClockText(world_.clock);
  clockFont_->SetFlags(0);
  clockFont_->DrawText(back, 450, 355, recordLabel_.c_str());
  clockFont_->SetFlags(kFontAlignRight);
  clockFont_->DrawText(back, 620, 355, recordText_.c_str());
  clockFont_->SetFlags(0);
  clockFont_->DrawText(back, 450, 375, timeLabel_.c_str());
  clockFont_->SetFlags(kFontAlignRight);
  clockFont_->DrawText(back, 620, 375, text.c_str());
  clockFont_->SetFlags(0);
}

// ---------------------------------------------------------------------------

void RegisterClimbingEvent() {
  RegisterEventScreen(2, [] { return static_cast<GameScreen*>(new ClimbingEvent()); });
}

std::vector<std::pair<void*, size_t>> ClimbingInstanceGlobals() {
  return {{&g_climbingScreen, sizeof g_climbingScreen}};
}
