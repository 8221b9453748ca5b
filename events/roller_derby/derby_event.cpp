#include "events/roller_derby/derby_event.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "base/debug.h"
#include "base/player_records.h"
#include "base/random.h"
#include "base/stopwatch.h"
#include "base/string.h"
#include "events/roller_derby/derby_skater.h"
#include "graphics/bitmap_font.h"
#include "graphics/clipper.h"
#include "graphics/display.h"
#include "graphics/fade.h"
#include "graphics/palette.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "graphics/transition.h"
#include "scene3d/rm.h"
#include "screen/config.h"
#include "screen/event_assets.h"
#include "screen/event_records.h"
#include "screen/face_panel.h"
#include "screen/game_screen_services.h"
#include "screen/title_handshake.h"
#include "shell/screen_factory.h"
#include "sound/sound.h"

namespace da = derbyassets;

namespace derby {

namespace {

constexpr EventFrameSpec kFrame{.periodMs = 100, .feedStreams = true, .flipFirst = true};
constexpr int kMenuFramePeriodMs = 50;  // while the options overlay is open
constexpr int kFadeSteps = 16;
constexpr int kOutIntroDone = 0;  // output byte: this machine is done with the intro
constexpr int kOutReady = 1;      // output byte: this machine's intro has faded out
constexpr int kOutLeft = 2;       // output byte: the players this machine saw leave
constexpr ClipRect kIntroArea{170, 50, da::kIntroSize, da::kIntroSize};
constexpr int kTextureShades = 8;
constexpr float kSpecularPower = 50.0f;

// The running event, for the face panel's callback.
RollerDerbyEvent* g_derbyEvent = nullptr;

int CharacterOf(int player) { return std::clamp(static_cast<int>(g_players[player & 3].character), 0, 5); }

int FaceOfPlayer(int player) { return g_derbyEvent ? g_derbyEvent->FaceExpression(player) : 5; }

// A palette for a data set without its own: black to white.
DDPalette* GreyPalette() {
  PaletteEntry e[256];
  for (int i = 0; i < 256; ++i) e[i] = PaletteEntry{uint8_t(i), uint8_t(i), uint8_t(i), 0};
  e[1] = PaletteEntry{255, 0, 255, 0};
  return CreateDisplayPalette(kDisplayPaletteCaps, e);
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction

RollerDerbyEvent::RollerDerbyEvent() : EventScreen(kFrame) {
  g_derbyEvent = this;
  recordLabel_ = StringTableText(1003, "WR:");
  timeLabel_ = StringTableText(1004, "TIME:");
  lapLabel_ = StringTableText(1020, "LAP ");
  static const char* const kPlaces[4] = {"1st", "2nd", "3rd", "4th"};
  for (int i = 0; i < 4; ++i) placeNames_[i] = StringTableText(1021 + i, kPlaces[i]);
  energyLabel_ = StringTableText(1000, "ENERGY").substr(0, kStatusLabelSize);
  distanceLabel_ = StringTableText(1006, "DISTANCE").substr(0, kStatusLabelSize);
  highDetail_ = g_highDetail;
  bigViewport_ = g_bigViewport;

  ShellClearDisplay();
  ShowLoadingScreen(0, ShellVideoPath(da::kLoadingPicture).c_str());
  LoadSounds();
  SetLoadingProgress(10, 0);
  LoadPictures();
  SetLoadingProgress(40, 0);

  // The track: the scene, the ten meshes and the 24 pieces, the mines' looks.
  scene_ = RMGetD3DRM()->CreateFrame(nullptr);
  RMSetDefaultTextureColors(256);
  RMSetDefaultTextureShades(1);
  LoadTrack();
  SetLoadingProgress(80, 0);

  if (g_timers) {
    timer_ = g_timers->Allocate();
    g_timers->Restart(timer_);
  }
  recordText_ = GetEventRecordText(10);
  SetLoadingProgress(100, 0);
  EndLoadingScreen();

  quit_ = StartTitleHandshake(*this, kOutIntroDone, kOutReady, kOutLeft);
  if (quit_) return;

  // The records are the same on every machine now: the skaters are made
  // from them, their colours join the palette, and then the views are built
  // (the renderer matches colours to the palette as it stands then).
  MakeSkaters();
  MakeEventPalette();
  CreateOptionsMenu(palette_);
  if (statusPicture_) {
    const int maxima[3] = {100, kPieces * 4 * kRaceLaps, 100};
    const char* labels[3] = {energyLabel_.c_str(), distanceLabel_.c_str(), ""};
    SetupStatusBars(statusPicture_, 3, maxima, labels, da::kSceneryFirst, da::kSceneryLast - da::kSceneryFirst + 1);
    SetStatusItemsShown(true);
  }
  if (g_facePanel) g_facePanel->SetMode(FaceOfPlayer);
  lowDetailSurface_ = new (std::nothrow) DDSurface(320, 200, 4);
  if (lowDetailSurface_ && lowDetailSurface_->HasSurface() && palette_) lowDetailSurface_->SetPalette(palette_);
  SetViewMode(g_highDetail, g_bigViewport);

  for (int p = 0; p < 4; ++p) {
    PlayerRecord& rec = g_players[p];
    humanAtStart_[p] = rec.human != 0;
    world_.computer[p] = !humanAtStart_[p];
    if (DerbySkater* s = world_.Skater(p)) s->acceleration = StrideAcceleration(rec.speed, world_.computer[p]);
    rec.place = -1;
    rec.result = kTimeLimitSeconds;
  }
  world_.objects[0] = new DerbyCamera(&world_);
  world_.objects[1] = new DerbyCamera(&world_);
  world_.objects[1]->objectIndex = 1;
  PlaceMines(&world_);
  started_ = 1;

  DDSurface* back = ShellBackSurface();
  ClipRect screen{0, 0, 640, 480};
  clipper_ = CreateRectClipper(&screen);
  if (back && clipper_) back->SetClipper(clipper_);
  DrawFrame();
  DDSurface* primary = ShellPrimarySurface();
  if (back && primary && primary != back) primary->Blt(0, 0, 640, 480, back, 0, 0);
  if (palette_) FadePalette(palette_, kFadeSteps, 1);
}

void RollerDerbyEvent::LoadSounds() {
  cheerSound_ = LoadEventSound(ShellProgramPath(da::kCheerSound), 3);
  world_.bombSound = LoadEventSound(ShellProgramPath(da::kBombSound), 3);
  world_.pillSound = LoadEventSound(ShellProgramPath(da::kPillSound), 1);
  world_.bladeSound = LoadEventSound(ShellDataPath(da::kBladeSound), 3);
  announcerSound_ = LoadEventSound(ShellDataPath(da::kAnnouncerSound), 1);
  announcerLength_ = WaveFileFrames(ShellDataPath(da::kAnnouncerSound), kFrame.periodMs);
}

int RollerDerbyEvent::LoadedSoundCount() const {
  if (!g_soundManager) return 0;
  int n = 0;
  auto count = [&](int32_t slot) { n += (slot >= 0 && g_soundManager->IsLoaded(slot)) ? 1 : 0; };
  for (int32_t s : {cheerSound_, world_.bombSound, world_.pillSound, world_.bladeSound, announcerSound_}) count(s);
  for (int p = 0; p < 4; ++p)
    if (const DerbySkater* s = world_.Skater(p))
      for (int32_t v : {s->voiceAttack1, s->voiceAttack2, s->voiceReact1, s->voiceReact2, s->voiceWeapon, s->lineVoice,
                        s->leadVoices[0], s->leadVoices[1]})
        count(v);
  return n;
}

void RollerDerbyEvent::LoadPictures() {
  DDSurface* palettePicture = new (std::nothrow) DDSurface(ShellDataPath(da::kPalettePicture).c_str());
  if (palettePicture && palettePicture->HasSurface() && palettePicture->GetPalette()) {
    palette_ = CreateDisplayPalette(kDisplayPaletteCaps, palettePicture->GetPalette()->Entries());
  } else {
    DebugPrintf("Cannot load the palette %s.\n", da::kPalettePicture);
    palette_ = GreyPalette();
  }
  delete palettePicture;
  statusPicture_ = new (std::nothrow) DDSurface(ShellProgramPath(da::kStatusPicture).c_str());
  if (!statusPicture_ || !statusPicture_->HasSurface()) {
    DebugPrintf("Cannot load the picture %s.\n", da::kStatusPicture);
    DeleteAndClear(statusPicture_);
  }
  smallFaces_ = LoadSpriteOrNull(ShellProgramPath(da::kSmallFaces).c_str(), kSpriteLoadAll);
  world_.starsSprite = LoadSpriteOrNull(ShellDataPath(da::kStarsSprite).c_str(), kSpriteLoadAll);
  iconsSprite_ = LoadSpriteOrNull(ShellDataPath(da::kIconsSprite).c_str(), g_spriteLoadFlags);
  world_.explosionSprite = LoadSpriteOrNull(ShellDataPath(da::kExplosionSprite).c_str(), kSpriteLoadAll);
  SetLoadingProgress(20, 0);
  introAnimation_ = LoadSpriteOrNull(ShellDataPath(da::kIntroSprite).c_str(), 1);
  introSurface_ = new (std::nothrow) DDSurface(da::kIntroSize, da::kIntroSize, 4);
  if (introSurface_ && introSurface_->HasSurface()) {
    if (palette_) introSurface_->SetPalette(palette_);
    if (ShellBackSurface())
      introTransition_ = new (std::nothrow)
          BitmapTransition(ShellBackSurface(), &kIntroArea, nullptr, introSurface_, kTransitionSkipKeyed);
  }
  recordFont_ = new (std::nothrow) BitmapFont(32, 96, 20, 0, 700, 0, 0, 0, 1, nullptr);
  if (recordFont_ && !recordFont_->IsValid()) DeleteAndClear(recordFont_);
  if (recordFont_) recordFont_->SetInkColour(0, 248, 0);
}

void RollerDerbyEvent::MakeEventPalette() {
  if (!palette_) return;
  // Each player's skater colours into his band, then everything matched.
  for (int p = 0; p < 4; ++p) {
    Sprite* sheet = world_.characterImages[p];
    if (DDPalette* own = sheet ? sheet->GetFramePalette(1) : nullptr)
      palette_->CopyRange(da::kBandFirst + da::kBandColours * p, da::kBandColours, da::kSheetColoursFirst, own);
  }
  for (int p = 0; p < 4; ++p) {
    if (Sprite* s = world_.characterImages[p]) s->MatchPalette(palette_, 0, 256, 1, 0);
    if (Sprite* s = world_.weaponSprites[p]) s->MatchPalette(palette_, 0, 256, 1, 0);
  }
  if (world_.starsSprite) world_.starsSprite->MatchPalette(palette_, 0, 256, 1, 0);
  if (smallFaces_) smallFaces_->MatchPalette(palette_, 2, 250, 1, 0);
  if (statusPicture_ && statusPicture_->GetPalette()) {
    uint8_t table[256];
    BuildRemapTable(statusPicture_->GetPalette()->Entries(), palette_->Entries(), 0, 256, false, table);
    statusPicture_->RemapWithTable(table);
    statusPicture_->SetPalette(palette_);
    statusPicture_->BackupPixels();
  }
  if (recordFont_) recordFont_->GetSprite()->MatchPalette(palette_, 2, 253, 1, 0);
  // The skaters' pictures carry the palette they are drawn in.
  for (int p = 0; p < 4; ++p)
    if (DerbySkater* s = world_.Skater(p); s && s->image) {
      Sprite* sheet = world_.characterImages[p];
      const DDPalette* pal = sheet && sheet->GetFramePalette(1) ? sheet->GetFramePalette(1) : palette_;
      std::memcpy(s->image->palette, pal->Entries(), sizeof s->image->palette);
      s->texture->Changed(0, 1);
    }
  if (DDSurface* back = ShellBackSurface()) back->SetPalette(palette_);
  if (DDSurface* primary = ShellPrimarySurface()) primary->SetPalette(palette_);
}

void RollerDerbyEvent::LoadTrack() {
  const std::string folder = ShellDataPath(da::kFolder);
  auto load = [&](const char* file) {
    const std::string path = folder + "/" + file;
    return RMLoadFrameFromFile(path.c_str(), folder.c_str(), nullptr, 1, kRMRenderUnlitFlat, kTextureShades,
                               kSpecularPower);
  };
  for (int t = 0; t < da::kPieceTypes; ++t) pieceMeshes_[t] = load(da::kPieceFiles[t]);
  // A piece whose mesh did not load is left out of the scene; the track's
  // logic does not need it.
  for (int row = 0; row < kPieces; ++row) {
    RMFrame* mesh = pieceMeshes_[da::kTrackLayout[row].type];
    if (!mesh) continue;
    pieceFrames_[row] = DuplicateFrame(mesh);
    scene_->AddChild(pieceFrames_[row]);
    PlacePiece(row);
  }
  world_.scene = scene_;
  world_.mineOffMesh = load(da::kMineOffMesh);
  world_.mineOnMesh = load(da::kMineOnMesh);
}

int RollerDerbyEvent::LoadedPieceMeshes() const {
  int n = 0;
  for (RMFrame* m : pieceMeshes_) n += m ? 1 : 0;
  return n;
}

void RollerDerbyEvent::PlacePiece(int row) {
  RMFrame* f = pieceFrames_[row];
  if (!f) return;
  const da::TrackLayoutEntry& r = da::kTrackLayout[row];
  static const float kForward[4][3] = {{0, 0, 1}, {-1, 0, 0}, {0, 0, -1}, {1, 0, 0}};
  const float* d = kForward[r.direction & 3];
  f->SetPosition(scene_, r.x, r.y, r.z);
  f->SetOrientation(scene_, d[0], d[1], d[2], 0, 1, 0);
}

void RollerDerbyEvent::SetVisiblePieces(int centre) {
  bool selected[kPieces];
  SelectNearPieces(centre, selected);
  for (int row = 0; row < kPieces; ++row) {
    RMFrame* f = pieceFrames_[row];
    if (!f) continue;
    if (selected[row] && !f->GetParent()) scene_->AddChild(f);
    if (!selected[row] && f->GetParent()) scene_->DeleteChild(f);
  }
}

void RollerDerbyEvent::MakeSkaters() {
  for (int p = 0; p < 4; ++p) {
    const int ch = CharacterOf(p);
    Sprite* sheet = LoadSpriteOrNull(ShellDataPath(da::kSkaterSheets[ch]).c_str(), kSpriteLoadAll);
    world_.characterImages[p] = sheet;
    world_.weaponSprites[p] = LoadSpriteOrNull(ShellDataPath(da::kWeapons[ch].file).c_str(), kSpriteLoadAll);
    const DDPalette* pal = sheet && sheet->GetFramePalette(1) ? sheet->GetFramePalette(1) : palette_;
    auto* s = new DerbySkater(&world_, 16.0f, 16.0f, da::kSkaterPicture, da::kSkaterPicture,
                              pal ? pal->Entries() : nullptr);
    world_.objects[kFirstSkaterSlot + p] = s;
    s->objectIndex = kFirstSkaterSlot + p;
    s->x = s->lastX = 76.0f + 10.0f * static_cast<float>(p);
    s->z = s->lastZ = 320.0f;
    s->y = 0.0f;
    s->height = 2.5f;  // the chase camera's lift
    s->heading = kPi / 2;
    s->character = ch;
    int32_t* voices[5] = {&s->voiceAttack1, &s->voiceAttack2, &s->voiceReact1, &s->voiceReact2, &s->voiceWeapon};
    for (int v = 0; v < 5; ++v)
      *voices[v] = LoadEventSound(
          ShellProgramPath((std::string("sounds\\") + da::kVoicePrefix[ch] + da::kVoiceSuffix[v]).c_str()), 1);
    if (g_lowMemory) continue;
    int32_t* commentary[3] = {&s->lineVoice, &s->leadVoices[0], &s->leadVoices[1]};
    for (int c = 0; c < 3; ++c)
      *commentary[c] = LoadEventSound(
          ShellDataPath((std::string("extra\\rd\\") + da::kCommentaryPrefix[ch] + da::kCommentarySuffix[c]).c_str()), 1);
  }
}

// ---------------------------------------------------------------------------
// Destruction

RollerDerbyEvent::~RollerDerbyEvent() {
  if (started_) {
    // Whoever has not finished is placed by how far he came; results stay
    // 600. What the race spent is written back within its ranges.
    int32_t places[4], progress[4];
    for (int p = 0; p < 4; ++p) {
      places[p] = g_players[p].place;
      const DerbySkater* s = world_.Skater(p);
      progress[p] = s ? s->progress : 0;
    }
    AssignRemainingPlaces(places, progress, finishCount_);
    for (int p = 0; p < 4; ++p) {
      PlayerRecord& rec = g_players[p];
      rec.place = places[p];
      rec.energy = std::clamp(rec.energy, 0, 100);
      rec.powerPills = std::max(0, rec.powerPills);
      rec.weaponUnits = std::max(0, rec.weaponUnits);
    }
    if (palette_) FadePalette(palette_, kFadeSteps, 0);
  }
  if (g_facePanel && g_derbyEvent == this) g_facePanel->SetMode(nullptr);
  if (g_derbyEvent == this) g_derbyEvent = nullptr;
  if (g_soundManager) {
    g_soundManager->StopAll();
    for (int32_t* slot : {&cheerSound_, &world_.bombSound, &world_.pillSound, &world_.bladeSound, &announcerSound_}) {
      if (*slot >= 0) g_soundManager->FreeSlot(*slot);
      *slot = -1;
    }
  }
  ShellClearDisplay();
  world_.Clear();
  for (RMFrame*& m : pieceMeshes_) {
    if (m) m->Release();
    m = nullptr;
  }
  for (RMFrame** m : {&world_.mineOffMesh, &world_.mineOnMesh}) {
    if (*m) (*m)->Release();
    *m = nullptr;
  }
  for (RMFrame*& f : pieceFrames_) {
    if (f && f->GetParent()) f->GetParent()->DeleteChild(f);
    if (f) f->Release();
    f = nullptr;
  }
  ReleaseViews();
  if (scene_) scene_->Release();
  scene_ = nullptr;
  world_.scene = nullptr;
  DDSurface* back = ShellBackSurface();
  if (back && clipper_ && back->GetClipper() == clipper_) back->SetClipper(nullptr);
  if (clipper_) clipper_->Release();
  clipper_ = nullptr;
  DeleteAndClear(statusPicture_);
  for (int p = 0; p < 4; ++p) {
    DeleteAndClear(world_.characterImages[p]);
    DeleteAndClear(world_.weaponSprites[p]);
  }
  DeleteAndClear(lowDetailSurface_);
  DeleteAndClear(smallFaces_);
  DeleteAndClear(world_.starsSprite);
  DeleteAndClear(iconsSprite_);
  DeleteAndClear(recordFont_);
  DeleteAndClear(world_.explosionSprite);
  DeleteAndClear(introTransition_);
  DeleteAndClear(introSurface_);
  DeleteAndClear(introAnimation_);
  if (palette_) ReleasePalette(palette_);
  palette_ = nullptr;
  if (g_timers && timer_ >= 0) g_timers->Release(timer_);
}

// ---------------------------------------------------------------------------
// A frame: logic on the exchanged input, then the picture.

bool RollerDerbyEvent::FrameDue() {
  return DelayElapsed(timer_, IsMenuOpen() ? kMenuFramePeriodMs : kFrame.periodMs) != 0;
}

void RollerDerbyEvent::BeforeExchange() {
  if (g_highDetail != highDetail_ || g_bigViewport != bigViewport_) SetViewMode(g_highDetail, g_bigViewport);
}

int RollerDerbyEvent::EventFrame() {
  UpdateControllers();
  // The end is decided on the state every machine holds before this frame:
  // a machine that hears of the end from another in this frame's exchange
  // stops with the same state and writes the same records.
  if (RaceIsOver()) return EndEvent();
  // The leader is the one the last frame left in front (the commentator
  // speaks of what was on the screen), found before anything moves, and his
  // line drawn from the random numbers before the skaters draw theirs.
  UpdateLeader();
  if (raceState_ == kRace)
    for (int k = 0; k < kObjectSlots; ++k)
      if (DerbyObject* o = world_.objects[k]) o->Update(world_.objects);
  GiveFinishPlaces();
  // The race clock: a second every ten frames once the intro is over.
  if (clockFrames_ > 1 && clockFrames_ % kFramesPerClockSecond == 0) ++clockSeconds_;
  StepIntro();
  SetSyncCheck(SyncValue());
  if (ReadLocalInput() == 1) return 1;
  if (++clockFrames_ % 4 == 0) blink_ ^= 1;

  DrawFrame();
  DrawIntro();
  if (clockFrames_ > 2) DrawTrackMap();
  return 0;
}

void RollerDerbyEvent::UpdateControllers() {
  uint8_t persons = 0;
  for (int p = 0; p < 4; ++p)
    if (humanAtStart_[p]) persons |= static_cast<uint8_t>(1u << p);
  persons = AgreeOnLeavers(kOutLeft, persons);
  for (int p = 0; p < 4; ++p) world_.computer[p] = (persons & (1u << p)) == 0;
}

void RollerDerbyEvent::UpdateLeader() {
  int32_t progress[4];
  for (int p = 0; p < 4; ++p) progress[p] = world_.Skater(p) ? world_.Skater(p)->progress : 0;
  const int before = leader_;
  const int n = FindLeader(progress);
  if (n != -1) leader_ = n;
  if (leader_ != before && leader_ != -1) {
    const DerbySkater* s = world_.Skater(leader_);
    const int which = RandomInt(2);
    if (s) PlayCommentary(s->leadVoices[which]);
  }
}

void RollerDerbyEvent::GiveFinishPlaces() {
  for (int p = 0; p < 4; ++p) {
    DerbySkater* s = world_.Skater(p);
    PlayerRecord& rec = g_players[p];
    if (!s || s->laps < kRaceLaps || rec.place >= 0 || finishCount_ >= 4) continue;
    rec.result = std::min(clockSeconds_, kTimeLimitSeconds);
    rec.place = finishCount_;
    if (g_soundManager && cheerSound_ >= 0)
      g_soundManager->Play(cheerSound_, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
    PlayCommentary(s->lineVoice);
    finishOrder_[finishCount_++] = p;
  }
}

bool RollerDerbyEvent::RaceIsOver() const {
  EndInput in;
  in.clockSeconds = clockSeconds_;
  for (int p = 0; p < 4; ++p) {
    const DerbySkater* s = world_.Skater(p);
    in.finishedFrames[p] = (s && g_players[p].place >= 0) ? s->finishedFrames : -1;
  }
  if (g_playMode == 2) {
    for (int p = 0; p < 4; ++p) in.waitFor[p] = !world_.computer[p];
  } else {
    in.waitFor[std::clamp(static_cast<int>(g_localPlayers[0]), 0, 3)] = true;
    if (g_playMode == 1 && g_localPlayers[1] >= 0 && g_localPlayers[1] < 4) in.waitFor[g_localPlayers[1]] = true;
  }
  in.thirdFinisher = finishCount_ > 2 ? finishOrder_[2] : -1;
  return RaceOver(in);
}

void RollerDerbyEvent::StepIntro() {
  introShownFrame_ = introFrame_;
  introShownLevel_ = introLevel_;
  switch (raceState_) {
    case kAnnounce:
      if (g_soundManager && announcerSound_ >= 0)
        g_soundManager->Play(announcerSound_, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
      introFrames_ = (g_lowMemory || !introAnimation_) ? 1 : introAnimation_->FrameCount();
      announcerFrames_ = 0;
      raceState_ = kIntroIn;
      [[fallthrough]];
    case kIntroIn: {
      introShownFrame_ = introFrame_;
      introShownLevel_ = introLevel_;
      introLevel_ = std::min(introLevel_ + 8, 64);
      if (++introFrame_ > introFrames_) introFrame_ = 1;
      clockFrames_ = 1;
      if (AnyPlayerByteIs(kOutIntroDone, 1)) {
        if (g_soundManager && announcerSound_ >= 0) g_soundManager->Stop(announcerSound_);
        raceState_ = kIntroOut;
        break;
      }
      // This machine is done with the intro when one of its players presses
      // something or the announcer has had the frames his words last.
      bool pressed = false;
      const int locals = g_playMode == 1 ? 2 : 1;
      for (int l = 0; l < locals; ++l) {
        const int slot = std::clamp(static_cast<int>(g_localPlayers[l]), 0, 3);
        for (int b = 0; b < kPlayerStateSize; ++b) pressed = pressed || g_playerStates[slot][b] != 0;
      }
      if (pressed || ++announcerFrames_ > announcerLength_) {
        PutOutByte(kOutIntroDone, 1);
        ShellResetInput();
      }
      break;
    }
    case kIntroOut:
      introLevel_ = std::max(introLevel_ - 8, 0);
      if (++introFrame_ > introFrames_) introFrame_ = 1;
      clockFrames_ = 1;
      if (introLevel_ == 0) {
        PutOutByte(kOutReady, 1);
        raceState_ = kIntroWait;
      }
      break;
    case kIntroWait:
      if (AllPlayersByteAre(kOutReady, 1)) {
        DeleteAndClear(introTransition_);
        DeleteAndClear(introSurface_);
        DeleteAndClear(introAnimation_);
        if (g_soundManager && announcerSound_ >= 0) g_soundManager->Unload(announcerSound_);
        raceState_ = kRace;
      }
      break;
    default:
      break;
  }
}

int32_t RollerDerbyEvent::SyncValue() const {
  // What moves: the skaters (exact bits of position, speed and heading),
  // their energy, items, laps and states, the places, the clock, the
  // objects in play and the random generator.
  auto bits = [](float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
  };
  uint32_t h = RandomState() ^ static_cast<uint32_t>(clockSeconds_ * 7919 + raceState_);
  for (int p = 0; p < 4; ++p) {
    const DerbySkater* s = world_.Skater(p);
    if (!s) continue;
    for (uint32_t v : {bits(s->x), bits(s->y), bits(s->z), bits(s->speed), bits(s->heading),
                       static_cast<uint32_t>(g_players[p].energy), static_cast<uint32_t>(g_players[p].weaponUnits),
                       static_cast<uint32_t>(g_players[p].powerPills), static_cast<uint32_t>(s->progress),
                       static_cast<uint32_t>(s->state), static_cast<uint32_t>(g_players[p].place)})
      h = h * 31u + v;
  }
  for (int k = kFirstMineSlot; k < kObjectSlots; ++k)
    if (const DerbyObject* o = world_.objects[k]) h = h * 17u + static_cast<uint32_t>(k) + bits(o->x) + bits(o->z);
  return static_cast<int32_t>(h);
}

void RollerDerbyEvent::PlayCommentary(int slot) {
  if (g_lowMemory || !g_soundManager || slot < 0) return;
  for (int p = 0; p < 4; ++p)
    if (const DerbySkater* s = world_.Skater(p))
      for (int32_t v : {s->lineVoice, s->leadVoices[0], s->leadVoices[1]})
        if (v >= 0 && g_soundManager->IsPlaying(v)) return;
  g_soundManager->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
}

int RollerDerbyEvent::FaceExpression(int player) const {
  const DerbySkater* s = world_.Skater(player);
  if (!s) return 5;
  const PlayerRecord& rec = g_players[player & 3];
  return FaceMood(s->state, rec.place >= 0, s->boost, rec.energy);
}

std::vector<std::pair<void*, size_t>> DerbyInstanceGlobals() { return {{&g_derbyEvent, sizeof g_derbyEvent}}; }

}  // namespace derby

void RegisterRollerDerbyEvent() {
  RegisterEventScreen(10, [] { return static_cast<GameScreen*>(new derby::RollerDerbyEvent()); });
}
