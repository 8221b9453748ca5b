#include "events/hippo_run/hippo_run_event.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <new>
#include <string>

#include "base/debug.h"
#include "base/player_records.h"
#include "base/stopwatch.h"
#include "base/string.h"
#include "events/hippo_run/hippo_actor.h"
#include "events/hippo_run/hippo_contacts.h"
#include "events/hippo_run/hippo_run_data.h"
#include "graphics/bitmap_font.h"
#include "graphics/clipper.h"
#include "graphics/display.h"
#include "graphics/fade.h"
#include "graphics/palette.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "graphics/tile_picture.h"
#include "graphics/transition.h"
#include "screen/event_assets.h"
#include "screen/event_records.h"
#include "screen/face_panel.h"
#include "screen/game_screen_services.h"
#include "screen/options_menu.h"
#include "shell/screen_factory.h"
#include "sound/sound.h"

using namespace hipporules;
namespace ha = hippoassets;

namespace {

constexpr EventFrameSpec kFrame{.periodMs = 65, .flipFirst = true};
constexpr int kTransitionTop = 64, kTransitionStep = 8;
// Lead commentary only once the field has spread out.
constexpr int kLeadCommentaryAfter = 350;
// Output record: byte 0 the title may close, byte 1 the title has closed.
constexpr int kOutTitleDone = 0, kOutReady = 1;
constexpr ClipRect kTitleArea{170, 50, ha::kTitleW, ha::kTitleH};
constexpr int kViewH = 400, kFollowY = 290;
constexpr int kEnergyMaximum = 100;

HippoActor* Runner(int i) { return (i >= 0 && i < 4) ? g_hippoActors[i] : nullptr; }
HippoActor* HippoOf(int i) { return (i >= 0 && i < 4) ? g_hippoActors[4 + i] : nullptr; }

// The face of a player on the status band.
int HippoFaceExpression(int player) {
  const HippoActor* r = Runner(player);
  if (!r) return 1;
  if (r->state == ha::kStateKnockedOut) return 0;
  if (r->state == ha::kStateHit1 || r->state == ha::kStateHit2) return 3;
  if (r->state == ha::kStateWindUp || r->state == ha::kStatePunch || r->pillActive) return 2;
  return r->energy >= 10 ? 5 : 1;
}

void FrameSizeOf(Sprite* s, int32_t* w, int32_t* h) {
  const BitmapInfoHeader* info = s ? s->GetFrameInfo(1) : nullptr;
  *w = info ? info->width : 0;
  *h = info ? std::abs(info->height) : 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction

HippoRunEvent::HippoRunEvent() : EventScreen(kFrame) {
  ShowLoadingScreen(0, ShellVideoPath(ha::kLoadingPicture).c_str());
  timeLabel_ = GetStringTextOr(1004, "TIME:");
  recordLabel_ = GetStringTextOr(1003, "WR:");
  energyLabel_ = GetStringTextOr(1000, "ENERGY");
  hippoLabel_ = GetStringTextOr(10509, "Hippo");
  for (HippoActor*& a : g_hippoActors) a = nullptr;  // the last event's are gone
  for (Sprite*& s : g_hippoSprites) s = nullptr;
  for (int32_t& s : g_hippoSoundSlots) s = -1;
  g_hippoRaceFrames = 0;

  // The palette, the status band kept to the scenery's colours, the course.
  palettePicture_ = new (std::nothrow) DDSurface(ShellDataPath(ha::kPalettePicture).c_str());
  if (palettePicture_ && palettePicture_->GetPalette()) {
    palette_ = CreateDisplayPalette(kDisplayPaletteCaps, palettePicture_->GetPalette()->Entries());
  } else {
    DebugPrintf("Cannot load the palette %s.\n", ha::kPalettePicture);
  }
  status_ = new (std::nothrow) DDSurface(ShellDataPath(ha::kStatusPicture).c_str());
  if (status_ && status_->HasSurface() && status_->GetPalette() && palette_) {
    uint8_t table[256];
    BuildRemapTable(status_->GetPalette()->Entries(), palette_->Entries(), 0, ha::kPaletteSceneryLast + 1,
                    false, table);
    status_->RemapWithTable(table);
    status_->SetPalette(palette_);
  }
  course_ = new (std::nothrow) TileMapPicture(ShellDataPath(ha::kCoursePicture).c_str());
  if (course_ && !course_->IsLoaded()) {
    DebugPrintf("Cannot load the course %s (error %u).\n", ha::kCoursePicture, course_->GetError());
  } else if (course_ && palette_) {
    RgbQuad quads[256];
    PaletteEntriesToRgbQuads(palette_->Entries(), quads, 256);
    course_->RemapColours(quads, 0, 256);
  }
  SetLoadingProgress(10, 0);

  // The event's own sprites, matched to the palette (the title keeps its own).
  const struct {
    int index;
    const char* path;
    bool program;
    bool configured;
  } kOwn[] = {{kSprHippo, ha::kHippoSprite, false, true},   {kSprCar, ha::kCarSprite, false, true},
              {kSprExplode, ha::kExplodeSprite, false, true}, {kSprFlag, ha::kFlagSprite, false, false},
              {kSprIcons, ha::kIconsSprite, false, false},   {kSprTitle, ha::kTitleSprite, false, false},
              {kSprMap, ha::kMapSprite, false, false},       {kSprFaces, ha::kFacesSprite, true, false}};
  for (const auto& o : kOwn) {
    Sprite* s = LoadSpriteOrNull((o.program ? ShellProgramPath(o.path) : ShellDataPath(o.path)).c_str(),
                           o.configured ? g_spriteLoadFlags : kSpriteLoadAll);
    if (s && palette_ && o.index != kSprTitle) s->MatchPalette(palette_, 0, 256, 1, 0);
    g_hippoSprites[o.index] = s;
  }
  iconSurface_ = new (std::nothrow) DDSurface(ha::kTitleW, ha::kTitleH, 4);
  if (iconSurface_ && iconSurface_->HasSurface() && palette_) iconSurface_->SetPalette(palette_);
  if (iconSurface_ && iconSurface_->HasSurface() && ShellBackSurface())
    transition_ = new (std::nothrow)
        BitmapTransition(ShellBackSurface(), &kTitleArea, nullptr, iconSurface_, kTransitionSkipKeyed);
  SetLoadingProgress(20, 0);

  // The four runners and their hippos.
  for (int i = 0; i < 4; ++i) {
    const int row = ha::RowOfCharacter(g_players[i].character);
    Sprite* sheet = LoadSpriteOrNull(ShellDataPath(ha::kRunnerSheet[row]).c_str(), g_spriteLoadFlags);
    Sprite* weapon = LoadSpriteOrNull(ShellDataPath(ha::kWeaponSheet[row]).c_str(), kSpriteLoadAll);
    const int first = ha::kRunnerPaletteFirst + ha::kRunnerPaletteCount * i;
    if (sheet && palette_ && sheet->GetFramePalette(1)) {
      palette_->CopyRange(first, ha::kRunnerPaletteCount, 0, sheet->GetFramePalette(1));
      sheet->MatchPalette(palette_, first, ha::kRunnerPaletteCount, 1, 0);
    }
    if (weapon && palette_) weapon->MatchPalette(palette_, 0, 256, 1, 0);
    g_hippoSprites[kSprRunner0 + i] = sheet;
    g_hippoSprites[kSprWeapon0 + i] = weapon;

    if (auto* r = new (std::nothrow) HippoActor(i, 4 + i, 0, 50 + 125 * i, 200, 1)) {
      r->sprite = sheet;
      r->row = row;
      r->hotspotX = ha::kRunnerHotspot[row].x;
      r->hotspotY = ha::kRunnerHotspot[row].y;
      r->kind = kKindRunner;
      r->state = ha::kStateStand;
      r->selectedItem = kItemPunch;
      r->controller = g_players[i].human ? kControlPerson : kControlComputer;
      r->weaponSprite = kSprWeapon0 + i;
      r->frame = r->TableFrame();
      FrameSizeOf(sheet, &r->frameWidth, &r->frameHeight);
      for (int v = 0; v < 5; ++v) {
        r->voiceSounds[v] = kSndVoice0 + 5 * i + v;
        LoadSound(r->voiceSounds[v], ShellDataPath(ha::kVoiceFiles[row][v]), 1);
      }
      r->leadCommentary = kSndCommentary0 + 2 * i;
      r->lineCommentary = kSndCommentary0 + 2 * i + 1;
      LoadSound(r->leadCommentary, ShellDataPath(ha::kCommentaryFiles[row][0]), 1);
      LoadSound(r->lineCommentary, ShellDataPath(ha::kCommentaryFiles[row][1]), 1);
      g_hippoActors[i] = r;
    }
    if (auto* h = new (std::nothrow) Hippo(4 + i, 0, i, 30 + 125 * i, 300, 1)) {
      h->sprite = g_hippoSprites[kSprHippo];
      h->kind = kKindHippo;
      h->speed = 6;
      h->hotspotX = ha::kHippoHotspotX;
      h->hotspotY = ha::kHippoHotspotY;
      h->row = row;
      h->energy = 60;
      h->controller = kControlPerson;
      h->state = 9;
      h->frame = HippoTableFrame(9, 0);
      FrameSizeOf(h->sprite, &h->frameWidth, &h->frameHeight);
      g_hippoActors[4 + i] = h;
    }
    SetLoadingProgress(30 + 15 * i, 0);
  }

  // The event's sounds.
  LoadSound(kSndCar, ShellDataPath(ha::kCarSound), 1);
  LoadSound(kSndHit, ShellDataPath(ha::kHitSound), 1);
  LoadSound(kSndPush, ShellDataPath(ha::kPushSound), 3);
  LoadSound(kSndAmbience, ShellDataPath(ha::kAmbienceSound), 1);
  LoadSound(kSndAnnouncer, ShellDataPath(ha::kAnnouncerSound), 1);
  // The title waits for a key while the announcer speaks, counted in frames
  // from his file: the same count on every machine, whether or not a sound
  // slot or a sound device lets him be heard there.
  announcerLength_ = WaveFileFrames(ShellDataPath(ha::kAnnouncerSound), kFrame.periodMs);
  LoadSound(kSndPill, ShellProgramPath(ha::kPillSound), 1);
  SetLoadingProgress(85, 0);

  // Flags along the course, the car beside it, the title.
  for (int c = 0; c < 3; ++c)
    for (int j = 0; j < ha::kFlagRows; ++j) {
      auto* f = new (std::nothrow)
          HippoFlag(0, 0, 0, ha::kFlagColumns[c], ha::kFlagFirstY + ha::kFlagStepY * j, 0);
      if (!f) continue;
      f->sprite = g_hippoSprites[kSprFlag];
      f->frame = ha::kFlagStandFrame;
      f->hotspotX = ha::kFlagHotspotX;
      f->hotspotY = ha::kFlagHotspotY;
      f->kind = kKindFlag;
      f->speed = 10;
      HippoPlaceActor(f);
    }
  if (auto* car = new (std::nothrow) HippoCar(0, 0, 0, ha::kCarX, -500, 0)) {
    car->sprite = g_hippoSprites[kSprCar];
    car->frame = 1;
    car->kind = kKindCar;
    car->speed = 10;
    HippoPlaceActor(car);
  }
  if (auto* icon = new (std::nothrow) HippoIcon(0, 0, 0, -225, 0, 0)) {
    icon->sprite = g_hippoSprites[kSprTitle];
    icon->frame = 1;
    icon->kind = kKindTitle;
    icon->counter = icon->sprite ? icon->sprite->FrameCount() : 1;
    iconIndex_ = HippoPlaceActor(icon);
  }

  // The status band: the runners' energy, the hippos' energy.
  {
    const int maxima[2] = {kEnergyMaximum, kEnergyMaximum};
    const char* labels[2] = {energyLabel_.c_str(), hippoLabel_.c_str()};
    SetupStatusBars(status_, 2, maxima, labels, ha::kFacePaletteFirst, ha::kFacePaletteCount);
    SetStatusItemsShown(true);
  }
  if (g_facePanel) g_facePanel->SetMode(HippoFaceExpression);
  SetLoadingProgress(100, 0);

  ClipRect screen{0, 0, 640, 480};
  clipper_ = CreateRectClipper(&screen);
  if (ShellBackSurface() && clipper_) ShellBackSurface()->SetClipper(clipper_);
  recordText_ = GetEventRecordText(3);
  font_ = new (std::nothrow) BitmapFont(32, 96, 20, 0, 700, 0, 0, 0, 1, nullptr);
  if (font_ && !font_->IsValid()) DeleteAndClear(font_);
  if (font_) font_->SetInkColour(0, 248, 0);
  if (g_timers) {
    timer_ = g_timers->Allocate();
    g_timers->Restart(timer_);
  }

  EndLoadingScreen();
  SetSyncCheck(0);
  PutOutByte(kOutTitleDone, 0);
  PutOutByte(kOutReady, 0);
  quit_ = WaitForPlayers();
  if (quit_) return;
  CreateOptionsMenu(palette_);

  // The records are the same on every machine now.
  for (int i = 0; i < 4; ++i) {
    HippoActor* r = Runner(i);
    if (!r) continue;
    const PlayerRecord& p = g_players[i];
    r->controller = p.human ? kControlPerson : kControlComputer;
    r->pushPower = p.strength / 10;
    r->speed = TopSpeedOf(p.speed);
    r->energy = std::clamp(p.energy, 0, 100);
    r->strength = p.strength;
    r->speedStat = p.speed;
    r->endurance = p.endurance;
    r->weaponPower = p.weaponPower;
    r->weaponUnits = std::max(0, p.weaponUnits);
    r->powerPills = std::max(0, p.powerPills);
  }
  for (HippoActor* a : g_hippoActors)
    if (a) a->Update(g_hippoActors);

  // The first picture: the course alone, then the fade-in.
  DDSurface* back = ShellBackSurface();
  if (back) {
    back->FillRect(0, 0, 640, 480, 0);
    if (g_playMode == 1) {
      DrawView(-1, 0, 320);
      DrawView(-2, 320, 320);
    } else {
      DrawView(-1 - std::clamp(static_cast<int>(g_localPlayers[0]), 0, 3), 0, 640);
    }
    back->SetClipper(nullptr);
    if (status_ && status_->HasSurface()) back->Blt(0, kViewH, 640, 80, status_, 0, 0);
    DDSurface* primary = ShellPrimarySurface();
    if (primary && primary != back) primary->Blt(0, 0, 640, 480, back, 0, 0);
  }
  if (palette_) FadePalette(palette_, kEventFadeSteps, 1);
  PlayHippoSound(kSndAmbience, true, true);
  PlayHippoSound(kSndAnnouncer, true);
  for (PlayerRecord& p : g_players) p.result = kNotFinishedSeconds;
}

void HippoRunEvent::LoadSound(int sound, const std::string& path, int copies) {
  if (!g_soundManager || sound < 0 || sound >= kHippoSoundCount) return;
  const int slot = g_soundManager->AllocSlot();
  if (slot < 0) return;  // every slot is taken: this one stays silent
  g_hippoSoundSlots[sound] = slot;
  if (!g_soundManager->LoadWaveFile(slot, path.c_str(), 0, copies, 0))
    DebugPrintf("Cannot load the sound %s.\n", path.c_str());
}

int HippoRunEvent::LoadedSoundCount() const {
  int n = 0;
  for (int32_t slot : g_hippoSoundSlots)
    if (g_soundManager && slot >= 0 && g_soundManager->IsLoaded(slot)) ++n;
  return n;
}

bool HippoRunEvent::HasCoursePicture() const { return course_ && course_->IsLoaded(); }

// ---------------------------------------------------------------------------
// Destruction: places and results, then everything the screen loaded.

HippoRunEvent::~HippoRunEvent() {
  if (!quit_ && palette_) FadePalette(palette_, kEventFadeSteps, 0);
  // An event that never started (a player left while it waited for the
  // others) leaves the records as they were.
  if (!quit_) {
    int hippoY[4];
    for (int i = 0; i < 4; ++i) hippoY[i] = HippoOf(i) ? HippoOf(i)->worldY : 0;
    FillFreePlaces(&finish_, hippoY);
    for (int p = 0; p < 4; ++p)
      if (finish_.order[p] >= 0) g_players[finish_.order[p]].place = p;
    for (int i = 0; i < 4; ++i) {
      const HippoActor* r = Runner(i);
      PlayerRecord& rec = g_players[i];
      if (r) {
        rec.energy = std::clamp(static_cast<int>(r->energy), 0, 100);
        rec.weaponPower = r->weaponPower;
        rec.powerPills = std::max(0, static_cast<int>(r->powerPills));
        rec.weaponUnits = std::max(0, static_cast<int>(r->weaponUnits));
      }
      rec.result = ResultSeconds(finish_, i);
    }
  }
  if (g_facePanel) g_facePanel->SetMode(nullptr);
  DDSurface* back = ShellBackSurface();
  if (back && clipper_ && back->GetClipper() == clipper_) back->SetClipper(nullptr);
  if (clipper_) clipper_->Release();
  clipper_ = nullptr;
  DeleteAndClear(course_);
  DeleteAndClear(status_);
  DeleteAndClear(transition_);
  DeleteAndClear(iconSurface_);
  DeleteAndClear(font_);
  DeleteAndClear(palettePicture_);
  if (g_timers && timer_ >= 0) g_timers->Release(timer_);
  if (g_soundManager) g_soundManager->StopAll();
  for (int32_t& slot : g_hippoSoundSlots) {
    if (g_soundManager && slot >= 0) g_soundManager->FreeSlot(slot);
    slot = -1;
  }
  for (Sprite*& s : g_hippoSprites) DeleteAndClear(s);
  for (HippoActor*& a : g_hippoActors) DeleteAndClear(a);
  if (palette_) ReleasePalette(palette_);
  palette_ = nullptr;
}

// ---------------------------------------------------------------------------
// A frame

int HippoRunEvent::EventFrame() {
  StepIntro();
  if (introPhase_ == kIntroRace) ++g_hippoRaceFrames;
  elapsedSeconds_ = g_hippoRaceFrames / kFramesPerSecond;
  // Directions count while held, the first four actions by their presses.
  for (auto& s : g_playerStates) {
    for (int b = 0; b < 4; ++b) s[b] = (s[b] & 0x80) ? 1 : 0;
    for (int b = 4; b < 8; ++b) s[b] &= 0x7F;
  }
  if (introPhase_ == kIntroRace && CheckFinish()) return EndEvent();
  HippoResolveContacts(g_hippoActors, kHippoSlots, 0);
  HippoResolveContacts(g_hippoActors, kHippoSlots, 1);
  for (int k = 0; k < kHippoSlots; ++k) {
    HippoActor* a = g_hippoActors[k];
    if (!a) continue;
    if (a->state == kStateRemove) {
      delete a;
      g_hippoActors[k] = nullptr;
      if (k == iconIndex_) iconIndex_ = -1;
      continue;
    }
    if (k < 8 && introPhase_ != kIntroRace) continue;
    a->Update(g_hippoActors);
  }
  // The lead commentary when the lead changes hands.
  const int leader = HippoRankRunner(0, 0);
  if (g_hippoRaceFrames > kLeadCommentaryAfter && leader != lastLeader_) {
    lastLeader_ = leader;
    bool talking = false;
    for (int i = 0; i < 4; ++i)
      if (Runner(i) && HippoSoundPlaying(Runner(i)->leadCommentary)) talking = true;
    if (!talking && Runner(leader) && Runner(leader)->phase == 0) PlayHippoSound(Runner(leader)->leadCommentary);
  }
  SetSyncCheck(SyncValue());
  if (ReadLocalInput() == 1) return 1;

  SortDrawList();
  DrawViews();
  return 0;
}

void HippoRunEvent::StepIntro() {
  titleRedrawn_ = 0;
  switch (introPhase_) {
    case kIntroTitle: {
      titleRedrawn_ = 1;
      if (transitionStep_ < kTransitionTop) {
        transitionStep_ += kTransitionStep;
      } else if (AnyPlayerByteIs(kOutTitleDone, 1)) {
        StopHippoSound(kSndAnnouncer);
        introPhase_ = kIntroClosing;
        break;
      }
      ++titleFrames_;
      // A key of a local player, or the announcer's end, lets it close.
      bool key = false;
      const int locals = g_playMode == 1 ? 2 : 1;
      for (int l = 0; l < locals; ++l) {
        const int slot = std::clamp(static_cast<int>(g_localPlayers[l]), 0, 3);
        for (int b = 0; b < kPlayerStateSize; ++b) key = key || g_playerStates[slot][b] != 0;
      }
      if (key || titleFrames_ > announcerLength_) {
        ShellResetInput();
        PutOutByte(kOutTitleDone, 1);
      }
      break;
    }
    case kIntroClosing:
      if (transitionStep_ > 0) {
        titleRedrawn_ = 1;
        transitionStep_ -= kTransitionStep;
      } else {
        if (iconIndex_ >= 0 && g_hippoActors[iconIndex_]) g_hippoActors[iconIndex_]->state = kStateRemove;
        PutOutByte(kOutReady, 1);
        introPhase_ = kIntroWaiting;
      }
      break;
    case kIntroWaiting:
      if (AllPlayersByteAre(kOutReady, 1)) introPhase_ = kIntroRace;
      break;
    default:
      break;
  }
}

bool HippoRunEvent::CheckFinish() {
  FinishInput in;
  for (int i = 0; i < 4; ++i) {
    in.hippoY[i] = HippoOf(i) ? HippoOf(i)->worldY : 0;
    in.human[i] = Runner(i) && Runner(i)->controller == kControlPerson;
  }
  in.raceFrames = g_hippoRaceFrames;
  const FinishStep step = hipporules::CheckFinish(&finish_, in);
  for (int i = 0; i < 4; ++i) {
    if (HippoActor* r = Runner(i)) {
      r->finished = finish_.finished[i];
      r->finishFrame = finish_.finishFrame[i];
    }
  }
  if (step.commentary >= 0 && Runner(step.commentary)) PlayHippoSound(Runner(step.commentary)->lineCommentary);
  return step.over;
}

int32_t HippoRunEvent::SyncValue() const {
  // Everything that moves: the runners and hippos, their energy and state,
  // the clock and the places.
  uint32_t h = static_cast<uint32_t>(g_hippoRaceFrames);
  for (int k = 0; k < 8; ++k) {
    const HippoActor* a = g_hippoActors[k];
    if (!a) continue;
    for (int32_t v : {a->worldX, a->worldY, a->energy, a->state, a->direction})
      h = h * 31u + static_cast<uint32_t>(v);
  }
  for (int p = 0; p < 4; ++p) h = h * 31u + static_cast<uint32_t>(finish_.order[p]);
  return static_cast<int32_t>(h);
}

void HippoRunEvent::SortDrawList() {
  drawCount_ = 0;
  for (int k = 0; k < kHippoSlots; ++k) {
    const HippoActor* a = g_hippoActors[k];
    if (a && a->visible) drawList_[drawCount_++] = k;
  }
  std::sort(drawList_, drawList_ + drawCount_, [](int a, int b) {
    const HippoActor* x = g_hippoActors[a];
    const HippoActor* y = g_hippoActors[b];
    return DrawsBefore({x->worldY - x->hotspotY, x->worldX - x->hotspotX, a},
                       {y->worldY - y->hotspotY, y->worldX - y->hotspotX, b});
  });
}

// ---------------------------------------------------------------------------
// Drawing: it reads the state and never changes it.

void HippoRunEvent::DrawView(int runner, int screenX, int width) {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  // A runner below 0 is -1 - the runner to follow, for the first picture
  // (the course alone).
  const bool actors = runner >= 0;
  const int follow = actors ? runner : -1 - runner;
  ClipRect view{screenX, 0, width, kViewH};
  if (clipper_) {
    clipper_->SetClipRect(view);
    back->SetClipper(clipper_);
  }
  Pixel target{0, 0};
  if (const HippoActor* r = Runner(follow)) target = Pixel{r->pictureX, r->pictureY};
  const int courseW = HasCoursePicture() ? course_->GetWidth() : ha::kCourseW;
  const int courseH = HasCoursePicture() ? course_->GetHeight() : ha::kCourseH;
  const Pixel cam = CameraFor(target, width / 2, kFollowY, width, kViewH, courseW, courseH);
  camera_[screenX > 0 ? 1 : 0] = cam;
  back->FillRect(screenX, 0, width, kViewH, 0);
  if (HasCoursePicture()) course_->Draw(back, screenX, 0, width, kViewH, cam.x, cam.y);
  if (!actors) return;
  // Weapons and puffs over everything else.
  for (int pass = 0; pass < 2; ++pass)
    for (int n = 0; n < drawCount_; ++n) {
      HippoActor* a = g_hippoActors[drawList_[n]];
      if (!a) continue;
      const bool top = a->kind == kKindWeapon || a->kind == kKindExplosion;
      if (top == (pass == 1)) a->Draw(cam.x, cam.y, screenX, 0);
    }
}

void HippoRunEvent::DrawViews() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  if (g_playMode == 1) {
    DrawView(0, 0, 320);
    DrawView(1, 320, 320);
    if (clipper_) clipper_->SetClipRect(ClipRect{0, 0, 640, 480});
    back->FillRect(318, 0, 4, kViewH, 0);
  } else {
    DrawView(std::clamp(static_cast<int>(g_localPlayers[0]), 0, 3), 0, 640);
  }
  if (titleRedrawn_) DrawTitle();
  back->SetClipper(nullptr);
  DrawPanels();
}

void HippoRunEvent::DrawTitle() {
  if (!transition_ || !iconSurface_) return;
  const HippoActor* icon = iconIndex_ >= 0 ? g_hippoActors[iconIndex_] : nullptr;
  if (!icon) return;
  static_cast<const HippoIcon*>(icon)->DrawInto(iconSurface_);
  transition_->Step(static_cast<unsigned>(std::clamp(static_cast<int>(transitionStep_), 0, kTransitionTop)));
}

void HippoRunEvent::DrawPanels() {
  DDSurface* back = ShellBackSurface();
  int energy[4], hippo[4], stars[4];
  for (int i = 0; i < 4; ++i) {
    energy[i] = Runner(i) ? static_cast<int>(Runner(i)->energy) : 0;
    stars[i] = Runner(i) ? static_cast<int>(Runner(i)->pillActive) : 0;
    hippo[i] = (Runner(i) && HippoOf(i)) ? static_cast<int>(HippoOf(i)->energy) : 0;
  }
  DrawStatusBars(status_, 0, energy, stars);
  DrawStatusBars(status_, 1, hippo, nullptr);

  // The course map with every hippo's progress.
  OptionsMenu* menu = GetOptionsMenu();
  if (menu) menu->TileRect(back, 540, 0, ha::kMapW, ha::kMapH);
  if (Sprite* map = g_hippoSprites[kSprMap]) map->DrawFrame(1, back, 540, 0);
  if (Sprite* faces = g_hippoSprites[kSprFaces])
    for (int i = 0; i < 4; ++i)
      if (const HippoActor* h = HippoOf(i))
        faces->DrawFrame(ha::kMapFaceFrame[std::clamp(static_cast<int>(h->row), 0, 5)], back, 545 + 23 * i,
                         MapFaceY(h->worldY));

  // The item each runner holds ready.
  for (int i = 0; i < 4; ++i) {
    const HippoActor* r = Runner(i);
    if (!r) continue;
    const int x = 90 + 160 * i, y = 455;
    Sprite* icons = g_hippoSprites[kSprIcons];
    std::string count;
    switch (r->selectedItem) {
      case kItemPill:
        if (icons) icons->DrawFrame(1, back, x, y);
        count = std::to_string(r->powerPills);
        break;
      case kItemPush:
        if (icons) icons->DrawFrame(2, back, x, y);
        break;
      case kItemPunch:
        if (icons) icons->DrawFrame(3, back, x, y);
        break;
      default:
        if (Sprite* w = g_hippoSprites[kSprWeapon0 + i]) w->DrawFrame(ha::kWeaponPanelFrame, back, x, y);
        count = std::to_string(r->weaponUnits);
        break;
    }
    DrawStatusText(x + 40, y, count);
  }

  // The time and the record.
  if (menu) menu->TileRect(back, 445, 335, 180, 60);
  BitmapFont* font = font_ ? font_ : g_screenText;
  if (!font) return;
  if (elapsedSeconds_ <= kTimeShownSeconds) {
    font->SetFlags(0);
    font->DrawText(back, 450, 340, timeLabel_.c_str());
    font->SetFlags(kFontAlignRight);
    char time[32];
    font->DrawText(back, 620, 340, FormatEventResult(3, elapsedSeconds_, time, sizeof time));
  }
  font->SetFlags(0);
  font->DrawText(back, 450, 370, recordLabel_.c_str());
  font->SetFlags(kFontAlignRight);
  font->DrawText(back, 620, 370, recordText_.c_str());
  font->SetFlags(0);
}

// ---------------------------------------------------------------------------
// The ambience is the event's music.

void HippoRunEvent::OnDeactivate() { StopHippoSound(kSndAmbience); }
void HippoRunEvent::OnActivate() { PlayHippoSound(kSndAmbience, true, true); }
int HippoRunEvent::IsMusicPlaying() { return HippoSoundPlaying(kSndAmbience) ? 1 : 0; }

// ---------------------------------------------------------------------------

void RegisterHippoRunEvent() {
  RegisterEventScreen(3, [] { return static_cast<GameScreen*>(new HippoRunEvent()); });
}

std::vector<std::pair<void*, size_t>> HippoRunInstanceGlobals() {
  return {
      {g_hippoActors, sizeof g_hippoActors},
      {&g_hippoRaceFrames, sizeof g_hippoRaceFrames},
      {g_hippoSprites, sizeof g_hippoSprites},
      {g_hippoSoundSlots, sizeof g_hippoSoundSlots},
  };
}
