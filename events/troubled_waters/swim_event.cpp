#include "events/troubled_waters/swim_event.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "base/debug.h"
#include "base/player_records.h"
#include "base/random.h"
#include "base/stopwatch.h"
#include "base/string.h"
#include "events/troubled_waters/swim_actors.h"
#include "events/troubled_waters/swim_data.h"
#include "events/troubled_waters/swim_rules.h"
#include "events/troubled_waters/swimmer.h"
#include "events/troubled_waters/troubled_waters_data.h"
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

namespace sa = swimassets;

namespace swim {

namespace {

constexpr EventFrameSpec kFrame{.periodMs = 66, .feedStreams = true};
constexpr int kFadeInSteps = 8;
constexpr int kFadeOutSteps = 64;
// Output record: byte 0 this machine is done with the title, byte 1 its
// title has faded out.
constexpr TitleBytes kTitle{.done = 0, .ready = 1};
constexpr int kOutGone = 2;       // output byte: the players this machine knows to have left
constexpr ClipRect kIntroArea{170, 50, 300, 300};
constexpr int kViewHeight = 400;
constexpr int kWobbleSize = 500;

// The running event, for the face panel's callback; cleared with the screen.
SwimEvent* g_swimEvent = nullptr;
// The background's wobble: its phase and step carry over from one race to
// the next; the amplitude is fixed.
int32_t g_wobblePhase = 0;
int32_t g_wobbleStep = 2;
constexpr int32_t kWobbleAmplitude = 2;
int32_t g_swimWobble[kWobbleSize];

void FillWobble() {
  for (int i = 0; i < kWobbleSize; ++i)
    g_swimWobble[i] = static_cast<int32_t>((std::sin(static_cast<double>(i)) + 1.0) * kWobbleAmplitude + 0.5);
}

}  // namespace

int SwimmerFaceMood(int player) {
  const SwimEvent* ev = g_swimEvent;
  const Swimmer* s = ev ? ev->GetSwimmer(player) : nullptr;
  return s ? s->Mood() : 5;
}

// ---------------------------------------------------------------------------
// Construction

Sprite* SwimEvent::LoadSprite(const char* relative, bool programDir, uint32_t flags) {
  return LoadSpriteOrNull((programDir ? ShellProgramPath(relative) : ShellDataPath(relative)).c_str(), flags);
}

void SwimEvent::LoadSounds() {
  for (int i = 0; i < kEventSoundCount; ++i) {
    const sa::SwimFile& f = sa::kEventSoundFiles[i];
    const std::string path = EventFilePath(f);
    // The waits for the announcer and the cheer come from the files, so that
    // every machine waits as long, with or without a sound device.
    if (i == kSndAnnouncer) announcerLength_ = WaveFileFrames(path, kFrame.periodMs);
    if (i == kSndCheer) cheerLength_ = WaveFileFrames(path, kFrame.periodMs);
    world_.sound[i] = LoadEventSound(path, 1);
  }
}

int SwimEvent::LoadedSoundCount() const {
  int n = 0;
  if (!g_soundManager) return 0;
  for (int s : world_.sound) n += (s >= 0 && g_soundManager->IsLoaded(s)) ? 1 : 0;
  for (const auto& sw : swimmers_)
    if (sw)
      for (int s : sw->sound) n += (s >= 0 && g_soundManager->IsLoaded(s)) ? 1 : 0;
  return n;
}

void SwimEvent::LoadPictures() {
  // A loaded picture always has a palette (its own, or the display's).
  statusPicture_ = LoadPictureOrNull(ShellDataPath(sa::kStatusPicture).c_str());
  if (statusPicture_ && statusPicture_->GetPalette()) {
    palette_ = CreateDisplayPalette(kDisplayPaletteCaps, statusPicture_->GetPalette()->Entries());
    statusPicture_->SetPalette(palette_);
  } else {
    DeleteAndClear(statusPicture_);
  }
  pumpSprite_ = LoadSprite(sa::kPumpSprite);
  sharkSprite_ = LoadSprite(sa::kSharkSprite);
  jellySprite_ = LoadSprite(sa::kJellySprite);
  eelSprite_ = LoadSprite(sa::kEelSprite);
  fishes_ = LoadSprite(sa::kFishesSprite);
  decorationSprite_ = LoadSprite(sa::kDecorationSprite);
  weedSprite_ = LoadSprite(sa::kWeedSprite);
  flagSprite_ = LoadSprite(sa::kFlagSprite);
  tiles_ = LoadSprite(sa::kTileSprite);
  flagIcon_ = LoadPictureOrNull(ShellDataPath(sa::kFlagIcon).c_str());
  // The background strip is read row by row: it must be a whole raw frame.
  if (tiles_ && (tiles_->FrameCount() < sa::kTileBackgroundFrame || !tiles_->GetFrameSurface(sa::kTileBackgroundFrame))) {
    DebugPrintf("The tile picture %s has no background strip.\n", sa::kTileSprite);
  }
}

SwimEvent::SwimEvent() : EventScreen(kFrame) {
  g_swimEvent = this;
  world_.maze = &maze_;
  world_.views = g_playMode == 1 ? 2 : 1;
  world_.viewWidth = g_playMode == 1 ? 320 : 640;
  world_.halfViewWidth = world_.viewWidth / 2;
  world_.localPlayer[0] = g_localPlayers[0] & 3;
  world_.localPlayer[1] = g_localPlayers[1] & 3;
  world_.target = ShellBackSurface();
  recordLabel_ = GetStringTextOr(1003, "WR:");
  timeLabel_ = GetStringTextOr(1004, "TIME:");
  ShowLoadingScreen(0, ShellVideoPath(sa::kLoadingPicture).c_str());
  LoadSounds();
  SetLoadingProgress(10, 0);
  LoadPictures();
  SetLoadingProgress(20, 0);

  // The maze, its objects and the route: every draw in the same order on
  // every machine.
  CourseSprites cs;
  for (int k = 1; k <= kDecorationKinds; ++k) {
    cs.decorationWidth[k] = sa::kDecorationW[k];
    if (decorationSprite_ && k <= decorationSprite_->FrameCount())
      if (const BitmapInfoHeader* info = decorationSprite_->GetFrameInfo(k)) cs.decorationWidth[k] = std::abs(info->width);
  }
  cs.pumpFrames = pumpSprite_ ? pumpSprite_->FrameCount() : 0;
  course_ = LayOutCourse(maze_, cs);
  for (const PumpPlace& p : course_.pumps) {
    pumps_.push_back(std::make_unique<AirPump>(&world_, pumpSprite_, p.x, p.y, p.frame));
    world_.pumps.push_back(pumps_.back().get());
  }
  // Decorations are drawn last placed first.
  for (auto it = course_.decorations.rbegin(); it != course_.decorations.rend(); ++it)
    decorations_.push_back(std::make_unique<SwimMazeObject>(&world_, it->kind >= kWeedFirstKind ? weedSprite_ : decorationSprite_,
                                                            it->x, it->y, it->kind));
  SetLoadingProgress(40, 0);
  MakeCreatures();

  stars_ = LoadSprite(sa::kStarSprite);
  icons_ = LoadSprite(sa::kIconsSprite);
  smallFaces_ = LoadSprite(sa::kSmallFaces, true, 0x28);
  for (Sprite* s : {stars_, icons_, smallFaces_})
    if (s && palette_) s->MatchPalette(palette_, 2, 250, 1, 0);
  world_.stars = stars_;
  map_ = new (std::nothrow) DDSurface(kMapSize, kMapSize, 4);
  if (map_ && map_->HasSurface()) {
    map_->FillRect(0, 0, kMapSize, kMapSize, 1);
    if (palette_) map_->SetPalette(palette_);
    map_->SetColorKey(8, 1, 1);
  }
  SetLoadingProgress(90, 0);
  flag_ = std::make_unique<SwimFlag>(&world_, flagSprite_, RandomStartFrame(flagSprite_ ? flagSprite_->FrameCount() : 0));
  flag_->y = 100 * course_.exitRow + 120;

  intro_ = LoadSprite(sa::kIntroSprite, false, 1);
  introBox_ = new (std::nothrow) DDSurface(kIntroArea.width, kIntroArea.height, 4);
  if (introBox_ && introBox_->HasSurface()) {
    if (palette_) introBox_->SetPalette(palette_);
    if (ShellBackSurface()) transition_ = new (std::nothrow) BitmapTransition(ShellBackSurface(), &kIntroArea, nullptr, introBox_, 1);
  }
  if (g_timers) {
    timer_ = g_timers->Allocate();
    g_timers->Restart(timer_);
  }
  FillWobble();
  strip_ = new (std::nothrow) DDSurface(sa::kBackgroundW, sa::kBackgroundH, 4);

  clockFont_ = new (std::nothrow) BitmapFont(32, 96, 20, 0, 700, 0, 0, 0, 1, nullptr);
  if (clockFont_) {
    clockFont_->SetInkColour(0, 255, 0);
    if (palette_ && clockFont_->IsValid()) clockFont_->GetSprite()->MatchPalette(palette_, 2, 253, 1, 0);
  }
  recordText_ = GetEventRecordText(5);
  energyLabel_ = GetStringTextOr(1000, "ENERGY").substr(0, kStatusLabelSize);
  airLabel_ = GetStringTextOr(1040, "AIR").substr(0, kStatusLabelSize);
  SetLoadingProgress(100, 0);
  EndLoadingScreen();

  quit_ = WaitForPlayers();
  if (quit_) return;
  // The records are now the same on every machine: the swimmers are made
  // from them.
  world_.persons = 0;
  for (int i = 0; i < 4; ++i)
    if (g_players[i].human) world_.persons |= static_cast<uint8_t>(1u << i);
  MakeSwimmers();
  CreateOptionsMenu(palette_);
  for (int i = 0; i < 4; ++i) {
    PlayerRecord& p = g_players[i];
    p.place = -1;
    p.result = kNotFinished;
    if (Swimmer* s = world_.swimmers[i]) {
      s->airLoss = AirLossFor(p.endurance);
      s->refill = 140;
      s->speedStep = SpeedStepFor(p.speed);
    }
  }
  const int maxima[2] = {100, kFullAir};
  const char* labels[2] = {energyLabel_.c_str(), airLabel_.c_str()};
  SetupStatusBars(statusPicture_, 2, maxima, labels, 120, 128);
  SetStatusItemsShown(true);
  if (g_facePanel) g_facePanel->SetMode(SwimmerFaceMood);
  started_ = 1;

  // The first picture, then the fade-in.
  DDSurface* back = ShellBackSurface();
  ClipRect screen{0, 0, 640, 480};
  clipper_ = CreateRectClipper(&screen);
  world_.clipper = clipper_;
  if (back && clipper_) back->SetClipper(clipper_);
  UpdateCameras();
  if (back) {
    back->FillRect(0, 0, 640, 40, 0);
    if (statusPicture_) back->Blt(0, 400, 640, 80, statusPicture_, 0, 0);
    DrawViews();
    flag_->Draw();
    world_.ClipToScreen();
    DrawStatus();
    DrawItems();
    DDSurface* primary = ShellPrimarySurface();
    if (primary && primary != back) primary->Blt(0, 0, 640, 480, back, 0, 0);
  }
  if (palette_) FadePalette(palette_, kFadeInSteps, 1);
  state_ = kAnnounce;
}

void SwimEvent::MakeCreatures() {
  struct Kind {
    int kind;
    Sprite* sprite;
    SeaCreature** table;
  };
  const Kind kinds[3] = {{kShark, sharkSprite_, world_.sharks}, {kJelly, jellySprite_, world_.jellies}, {kEel, eelSprite_, world_.eels}};
  for (const Kind& k : kinds)
    for (int i = 0; i < kCreaturesPerKind; ++i) {
      const CreaturePlace p = PlaceCreature(maze_);
      creatures_.push_back(std::make_unique<SeaCreature>(k.kind, &world_, k.sprite, p.x, p.y));
      k.table[i] = creatures_.back().get();
    }
}

void SwimEvent::MakeSwimmers() {
  for (int i = 0; i < 4; ++i) {
    const int ch = std::clamp(g_players[i].character, 0, sa::kCharacters - 1);
    swimmerSprites_[i] = LoadSprite(sa::kSwimmerSprite[ch]);
    weaponSprites_[i] = LoadSprite(sa::kWeaponSprite[ch]);
    world_.weaponSprite[i] = weaponSprites_[i];
    SwimmerData data;
    std::string why;
    const std::string dataPath = ShellDataPath(sa::kSwimmerData[ch]);
    if (!LoadSwimmerData(dataPath.c_str(), &data, &why)) {
      DebugPrintf("Swimmer data %s: %s; the standard layout is used.\n", dataPath.c_str(), why.c_str());
    } else if (swimmerSprites_[i] && !CheckSwimmerFrames(data, swimmerSprites_[i]->FrameCount(), &why)) {
      DebugPrintf("Swimmer data %s: %s; the standard layout is used.\n", dataPath.c_str(), why.c_str());
      data = DefaultSwimmerData();
    }
    // A sheet too short for the layout is not drawn at all.
    if (swimmerSprites_[i] && !CheckSwimmerFrames(data, swimmerSprites_[i]->FrameCount(), &why)) {
      DebugPrintf("The swimmer sheet %s is too short: %s.\n", sa::kSwimmerSprite[ch], why.c_str());
      DeleteAndClear(swimmerSprites_[i]);
    }
    swimmers_[i] = std::make_unique<Swimmer>(i, &world_, swimmerSprites_[i], data);
    Swimmer* s = swimmers_[i].get();
    world_.swimmers[i] = s;
    s->PlaceAt(s->x, s->y + course_.startOffset);
    char path[64];
    for (int k = 0; k < sa::kSwimmerSounds; ++k) {
      const char* prefix = k < sa::kFirstVoiceSound ? sa::kSoundPrefix[ch] : sa::kVoicePrefix[ch];
      std::snprintf(path, sizeof path, sa::kSwimmerSoundPattern[k], prefix);
      // The table's order: reaction, throw, breath, weapon, air 1..3, shark 1..2, finish.
      static const int kSlotOf[sa::kSwimmerSounds] = {kSndReaction, kSndThrow, kSndBreath, kSndWeapon, kVoiceAir1,
                                                      kVoiceAir2, kVoiceAir3, kVoiceShark1, kVoiceShark2, kVoiceFinish};
      const std::string full = ShellDataPath(path);
      if (kSlotOf[k] == kVoiceFinish) finishVoiceLength_[i] = WaveFileFrames(full, kFrame.periodMs);
      s->sound[kSlotOf[k]] = LoadEventSound(full, 1);
    }
    if (palette_ && swimmerSprites_[i]) {
      const int first = sa::kSwimmerColoursFirst + sa::kSwimmerColours * i;
      if (DDPalette* own = swimmerSprites_[i]->GetFramePalette(1))
        palette_->CopyRange(first, sa::kSwimmerColours, sa::kSwimmerColoursFirst, own);
      swimmerSprites_[i]->MatchPalette(palette_, first, sa::kSwimmerColours, 1, 0);
    }
    if (palette_ && weaponSprites_[i]) weaponSprites_[i]->MatchPalette(palette_, 2, 250, 1, 0);
  }
}

// ---------------------------------------------------------------------------
// Destruction

SwimEvent::~SwimEvent() {
  if (started_) RankPlayers();
  if (g_facePanel && g_swimEvent == this) g_facePanel->SetMode(nullptr);
  if (g_swimEvent == this) g_swimEvent = nullptr;
  if (started_ && palette_) FadePalette(palette_, kFadeOutSteps, 0);
  // Weapons still flying, then the actors.
  for (SwimWeapon*& w : world_.weapons) {
    SwimWeapon* p = w;
    delete p;  // clears its slot
    w = nullptr;
  }
  auto freeSlot = [](int32_t& slot) {
    if (g_soundManager && slot >= 0) {
      g_soundManager->Unload(slot);
      g_soundManager->FreeSlot(slot);
    }
    slot = -1;
  };
  for (auto& s : swimmers_)
    if (s)
      for (int32_t& slot : s->sound) freeSlot(slot);
  for (int32_t& slot : world_.sound) freeSlot(slot);
  for (auto& s : swimmers_) s.reset();
  creatures_.clear();
  pumps_.clear();
  decorations_.clear();
  flag_.reset();
  DDSurface* back = ShellBackSurface();
  if (back && clipper_ && back->GetClipper() == clipper_) back->SetClipper(nullptr);
  if (clipper_) clipper_->Release();
  clipper_ = nullptr;
  DeleteAndClear(transition_);
  DeleteAndClear(clockFont_);
  for (Sprite* s : {pumpSprite_, sharkSprite_, jellySprite_, eelSprite_, fishes_, decorationSprite_, weedSprite_,
                    flagSprite_, tiles_, stars_, icons_, smallFaces_, intro_})
    delete s;
  for (int i = 0; i < 4; ++i) {
    DeleteAndClear(swimmerSprites_[i]);
    DeleteAndClear(weaponSprites_[i]);
  }
  DeleteAndClear(flagIcon_);
  DeleteAndClear(map_);
  DeleteAndClear(introBox_);
  DeleteAndClear(strip_);
  DeleteAndClear(statusPicture_);
  if (palette_) ReleasePalette(palette_);
  palette_ = nullptr;
  if (g_timers && timer_ >= 0) g_timers->Release(timer_);
}

void SwimEvent::RankPlayers() {
  int32_t x[4], air[4], place[4];
  for (int i = 0; i < 4; ++i) {
    const Swimmer* s = world_.swimmers[i];
    x[i] = s ? s->x : 0;
    air[i] = s ? s->air : 0;
  }
  RankSwimmers(x, air, place);
  for (int i = 0; i < 4; ++i) g_players[i].place = place[i];
}

// ---------------------------------------------------------------------------
// A frame

int SwimEvent::EventFrame() {
  // Machines hear of a player leaving at different frames: the computer
  // takes his swimmer over from the frame whose exchanged records first say
  // so, the same frame on every machine.
  if (g_playMode == 2) world_.persons = AgreeOnLeavers(kOutGone, world_.persons);
  if (state_ != kRace) {
    TitleFrame(state_, kTitle, world_.localPlayer, world_.views);
  } else if (RaceStep()) {
    return EndEvent();
  }
  return ReadLocalInput() == 1 ? 1 : 0;
}

void SwimEvent::TitleBegin() {
  titleAnnouncer_ = world_.sound[kSndAnnouncer];
  world_.PlayEvent(kSndAnnouncer);
  introFrames_ = (g_lowMemory || !intro_) ? 1 : intro_->FrameCount();
}

void SwimEvent::TitleEnd() {
  DeleteAndClear(transition_);
  DeleteAndClear(introBox_);
  DeleteAndClear(intro_);
}

int SwimEvent::TitleStep(int direction) {
  ShellFlip();
  UpdateCameras();
  DrawViews();
  DrawStatus();
  if (introBox_ && transition_) {
    introBox_->FillRect(0, 0, kIntroArea.width, kIntroArea.height, 1);
    if (intro_) intro_->DrawFrame(introFrame_, introBox_, 0, 0);
    transition_->Step(static_cast<unsigned>(introLevel_));
  }
  introLevel_ = std::clamp(introLevel_ + 8 * direction, 0, 64);
  if (++introFrame_ > introFrames_) introFrame_ = 1;
  // Play starts at the race's first frame, however long the title ran.
  world_.raceFrame = 1;
  return introLevel_;
}

int SwimEvent::RaceStep() {
  ++world_.raceFrame;
  if (world_.raceFrame > 2) ShellFlip();
  for (Swimmer* s : world_.swimmers)
    if (s) s->Update();

  // Finishers, in player order: their time is the clock of the last frame.
  // Without a person in the race the computer swimmers race for the places
  // (it would otherwise end before anyone swam).
  bool humansDone = true, anyHuman = false;
  for (int i = 0; i < 4; ++i) {
    Swimmer* s = world_.swimmers[i];
    if (!s) continue;
    PlayerRecord& p = g_players[i];
    anyHuman = anyHuman || world_.IsPerson(i);
    if (world_.IsPerson(i) && s->x < kFinishX) humansDone = false;
    if (s->x >= kFinishX && p.place < 0) {
      p.result = std::min(RaceSeconds(world_.raceFrame - 1), kNotFinished);
      world_.PlayEvent(kSndCheer);
      world_.Play(s->sound[kVoiceFinish]);
      p.place = placesGiven_++;
      // The race ends only once the cheer and the voice have had their time
      // (a count of frames, the same on every machine).
      endFrame_ = std::max(endFrame_, world_.raceFrame + std::max(cheerLength_, finishVoiceLength_[i]));
    }
  }
  const bool timeUp = RaceSeconds(world_.raceFrame) >= kTimeLimitSeconds;
  if (((anyHuman && humansDone) || placesGiven_ >= 3 || timeUp) && (world_.raceFrame >= endFrame_ || timeUp)) return 1;

  // The creatures, the weapons, the flag and the animations.
  for (SeaCreature** table : {world_.sharks, world_.jellies, world_.eels})
    for (int i = 0; i < kCreaturesPerKind; ++i)
      if (table[i]) {
        table[i]->Update();
        table[i]->Animate();
      }
  for (int i = 0; i < kWeaponSlots; ++i)
    if (SwimWeapon* w = world_.weapons[i]) w->Update();
  for (AirPump* p : world_.pumps) p->Animate();
  if (flag_) flag_->Update();
  if ((world_.raceFrame & 1) == 0 && ++fishFrame_ > (fishes_ ? fishes_->FrameCount() : 1)) fishFrame_ = 1;
  if (world_.raceFrame % 4 == 0 && ++weedPhase_ > 12) weedPhase_ = 1;
  for (auto& d : decorations_)
    if (d->IsWeed()) d->frame = ((weedPhase_ - 1) + (d->firstFrame - 1) + (d->firstFrame - 1) / 3) % 12 + 1;
  for (int v = 0; v < world_.views; ++v) {
    if ((g_wobblePhase >= 100 && g_wobbleStep > 0) || (g_wobblePhase <= 0 && g_wobbleStep < 0)) g_wobbleStep = -g_wobbleStep;
    g_wobblePhase += g_wobbleStep;
  }

  // What every machine must agree on: the swimmers' places, air and energy,
  // the creatures and the generator.
  uint32_t check = static_cast<uint32_t>(LastRandomValue()) ^ (uint32_t(world_.persons) << 24);
  for (int i = 0; i < 4; ++i)
    if (const Swimmer* s = world_.swimmers[i])
      check ^= (uint32_t(s->x) * 31u + uint32_t(s->y)) ^ (uint32_t(s->air) << 3) ^ (uint32_t(g_players[i].energy) << 20);
  for (const auto& c : creatures_) check = check * 7u + (uint32_t(c->x) ^ (uint32_t(c->y) << 8));
  SetSyncCheck(static_cast<int32_t>(check));

  UpdateCameras();
  DrawRace();
  return 0;
}

void SwimEvent::UpdateCameras() {
  for (int v = 0; v < world_.views; ++v) {
    const Swimmer* s = world_.swimmers[world_.localPlayer[v]];
    if (!s) continue;
    world_.cameraX[v] = s->x - world_.halfViewWidth;
    world_.cameraY[v] = s->y - 200;
  }
}

// ---------------------------------------------------------------------------
// Drawing: reads the state, never changes it

void SwimEvent::DrawRace() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  DrawViews();
  if (flag_) flag_->Draw();
  for (auto& d : decorations_)
    if (!d->IsWeed()) d->Draw();
  for (AirPump* p : world_.pumps) p->Draw();
  for (Swimmer* s : world_.swimmers)
    if (s) s->Draw();
  for (const auto& c : creatures_) c->Draw();
  for (SwimWeapon* w : world_.weapons)
    if (w) w->Draw();
  for (auto& d : decorations_)
    if (d->IsWeed()) d->Draw();
  world_.ClipToScreen();
  // The bar between two views, over whatever swam to a view's edge.
  if (world_.views > 1) back->FillRect(319, 0, 3, kViewHeight, 0);
  DrawStatus();
  DrawItems();
  DrawMap(world_.localPlayer[0]);
  if (world_.views > 1) DrawMap(world_.localPlayer[1]);
  DrawClock();
}

void SwimEvent::DrawViews() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  if (world_.views > 1) world_.ClipToView(0);
  DrawView(0, world_.cameraX[0], world_.cameraY[0]);
  if (world_.views > 1) {
    world_.ClipToView(1);
    DrawView(world_.viewWidth, world_.cameraX[1], world_.cameraY[1]);
    world_.ClipToScreen();
    back->FillRect(319, 0, 3, kViewHeight, 0);
  }
}

void SwimEvent::DrawView(int ox, int32_t cx, int32_t cy) {
  DDSurface* back = ShellBackSurface();
  const int32_t w = world_.viewWidth;
  // The wobbling background strip: each row turned left by the wobble, the
  // rows taken from the 400-row picture around and around as the view sinks.
  DDSurface* bg = tiles_ ? tiles_->GetFrameSurface(sa::kTileBackgroundFrame) : nullptr;
  if (bg && strip_ && strip_->HasSurface() && bg->GetWidth() > 0 && bg->GetHeight() > 0) {
    uint8_t *src = nullptr, *dst = nullptr;
    int srcPitch = 0, dstPitch = 0;
    if (bg->Lock(&src, &srcPitch) == 0) {
      if (strip_->Lock(&dst, &dstPitch) == 0) {
        const int bw = std::min(bg->GetWidth(), sa::kBackgroundW), bh = bg->GetHeight();
        for (int j = 0; j < sa::kBackgroundH; ++j) {
          const int shift = g_swimWobble[std::clamp((g_wobblePhase + j) / (6 - kWobbleAmplitude), 0, kWobbleSize - 1)];
          const int s = std::clamp(shift, 0, bw);
          const uint8_t* in = src + static_cast<ptrdiff_t>(BackgroundRow(cy, j, bh)) * srcPitch;
          uint8_t* out = dst + static_cast<ptrdiff_t>(j) * dstPitch;
          std::memcpy(out, in + s, static_cast<size_t>(bw - s));
          std::memcpy(out + (bw - s), in, static_cast<size_t>(s));
        }
        strip_->Unlock();
      }
      bg->Unlock();
    }
    const int xo = cx < 0 ? 0 : (cx / 10) % 100;
    back->Blt(ox, 0, 100 - xo, kViewHeight, strip_, xo, 0);
    for (int x = ox + 100 - xo; x < ox + w; x += 100) back->Blt(x, 0, 100, kViewHeight, strip_, 0, 0);
  } else {
    back->FillRect(ox, 0, w, kViewHeight, 6);
  }
  if (world_.raceFrame > 1 && fishes_) fishes_->DrawFrame(fishFrame_, back, ox, 0);
  if (!tiles_) return;
  const int firstCol = cx / 100 - (cx < 0 ? 1 : 0), firstRow = cy / 100 - (cy < 0 ? 1 : 0);
  const int lastCol = (cx + w) / 100, lastRow = (cy + kViewHeight) / 100;
  DDSurface* rock = tiles_->GetFrameSurface(1);
  for (int r = std::max(firstRow, 0); r <= std::min(lastRow, kMazeSize - 1); ++r)
    for (int c = firstCol; c <= std::min(lastCol, kMazeSize - 1); ++c) {
      const int sx = ox + 100 * c - cx, sy = 100 * r - cy;
      const uint8_t v = maze_.At(r, c);
      if (c <= 0 || v == kRock) {
        if (rock) back->Blt(sx, sy, 100, 100, rock, 0, 0);
      } else if (v <= 20) {
        tiles_->DrawFrame(v + 1, back, sx, sy);
      }
    }
  if (cx < 320) {
    tiles_->DrawFrame(sa::kTileStartFrame, back, ox - cx, course_.startOffset - cy);
    tiles_->DrawFrame(sa::kTileFootFrame, back, ox - cx, course_.startOffset - cy + 400);
  }
}

void SwimEvent::DrawStatus() {
  int energy[4], air[4], stars[4];
  for (int i = 0; i < 4; ++i) {
    const Swimmer* s = world_.swimmers[i];
    energy[i] = g_players[i].energy;
    air[i] = s ? std::max(0, s->air) : 0;
    stars[i] = (s && s->pillTime > 0) ? 1 : 0;
  }
  DrawStatusBars(statusPicture_, 0, energy, stars);
  DrawStatusBars(statusPicture_, 1, air, nullptr);
}

void SwimEvent::DrawItems() {
  DDSurface* back = ShellBackSurface();
  for (int i = 0; i < 4; ++i) {
    const Swimmer* s = world_.swimmers[i];
    if (!s || !back) continue;
    char n[16];
    if (s->fireMode == 0) {
      if (weaponSprites_[i]) weaponSprites_[i]->DrawFrame(sa::kWeaponIconFrame, back, 90 + 160 * i, 456);
      std::snprintf(n, sizeof n, "%d", g_players[i].weaponUnits);
      DrawStatusText(115 + 160 * i, 461, n);
    } else {
      if (icons_) icons_->DrawFrame(1, back, 90 + 160 * i, 456);
      std::snprintf(n, sizeof n, "%d", g_players[i].powerPills);
      DrawStatusText(115 + 160 * i, 456, n);
    }
  }
}

void SwimEvent::DrawMap(int player) {
  DDSurface* back = ShellBackSurface();
  const Swimmer* me = world_.swimmers[player & 3];
  if (!back || !me || !map_ || !map_->HasSurface()) return;
  const ScreenBox box = MapArea(world_.views);
  if (OptionsMenu* menu = GetOptionsMenu()) menu->TileRect(back, box.x, box.y, box.width, box.height);
  // The cells around the swimmer join the map, which keeps all it has seen.
  const int c0 = std::max(0, (me->x - 320) / 100), r0 = std::max(0, (me->y - 200) / 100);
  for (int c = c0; c < std::min(c0 + 7, 99); ++c)
    for (int r = r0; r < std::min(r0 + 5, 99); ++r) {
      const int x = 2 * c, y = 2 * r;
      auto f = [&](int rx, int ry, int rw, int rh) { map_->FillRect(rx, ry, rw, rh, 255); };
      switch (maze_.At(r, c)) {
        case 1: f(x, y + 1, 2, 1); break;
        case 2: f(x - 2, y + 1, 2, 1); f(x - 1, y + 1, 1, 2); break;
        case 3: f(x - 1, y, 1, 2); break;
        case 4: f(x - 1, y - 2, 1, 2); f(x - 2, y - 1, 2, 1); break;
        case 5: f(x, y - 1, 2, 1); break;
        case 6: f(x + 1, y - 2, 1, 2); f(x + 1, y - 1, 2, 1); break;
        case 7: f(x + 1, y, 1, 2); break;
        case 8: f(x + 1, y + 1, 2, 1); f(x + 1, y + 1, 1, 2); break;
        case 9: f(x, y + 3, 3, 1); f(x + 3, y - 1, 1, 5); break;
        case 13: f(x - 3, y + 3, 5, 1); f(x - 3, y - 1, 1, 5); break;
        case 16: f(x - 1, y - 3, 5, 1); f(x + 3, y - 3, 1, 5); break;
        case 20: f(x - 3, y - 3, 5, 1); f(x - 3, y - 3, 1, 5); break;
        default: break;
      }
    }
  back->BltKeyed(box.x, box.y, box.width, box.height, map_, 0, 0);
  if (smallFaces_)
    for (int i = 0; i < 4; ++i)
      if (const Swimmer* s = world_.swimmers[i])
        smallFaces_->DrawFrame(std::clamp(g_players[i].character, 0, 5) + 1, back, (s->x + 25) / 50 + box.x - 10,
                               (s->y + 25) / 50 + box.y - 10);
  if (flagIcon_ && flag_) back->BltKeyed(box.x + 188, (flag_->y + 25) / 50 + box.y - 10, 20, 15, flagIcon_, 0, 0);
}

void SwimEvent::DrawClock() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  if (OptionsMenu* menu = GetOptionsMenu()) menu->TileRect(back, 445, 355, 180, 40);
  else back->FillRect(445, 355, 180, 40, 0);
  BitmapFont* font = clockFont_ && clockFont_->IsValid() ? clockFont_ : g_screenText;
  if (!font) return;
  const std::string time = ClockText(RaceSeconds(world_.raceFrame));
  font->SetFlags(0);
  font->DrawText(back, 450, 355, recordLabel_.c_str());
  font->SetFlags(kFontAlignRight);
  font->DrawText(back, 620, 355, recordText_.c_str());
  font->SetFlags(0);
  font->DrawText(back, 450, 375, timeLabel_.c_str());
  font->SetFlags(kFontAlignRight);
  font->DrawText(back, 620, 375, time.c_str());
  font->SetFlags(0);
}

std::vector<std::pair<void*, size_t>> SwimInstanceGlobals() {
  return {
      {&g_swimEvent, sizeof g_swimEvent},
      {&g_wobblePhase, sizeof g_wobblePhase},
      {&g_wobbleStep, sizeof g_wobbleStep},
  };
}

}  // namespace swim

void RegisterTroubledWatersEvent() {
  RegisterEventScreen(5, [] { return static_cast<GameScreen*>(new swim::SwimEvent()); });
}
