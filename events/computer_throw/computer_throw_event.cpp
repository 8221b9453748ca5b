#include "events/computer_throw/computer_throw_event.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "base/debug.h"
#include "base/player_records.h"
#include "base/random.h"
#include "base/stopwatch.h"
#include "base/string.h"
#include "events/computer_throw/computer_throw_data.h"
#include "events/computer_throw/throw_rules.h"
#include "events/computer_throw/throw_scenery.h"
#include "graphics/bitmap_font.h"
#include "graphics/clipper.h"
#include "graphics/display.h"
#include "graphics/fade.h"
#include "graphics/palette.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "graphics/text_fit.h"
#include "graphics/transition.h"
#include "input/control_names.h"
#include "screen/config.h"
#include "screen/event_assets.h"
#include "screen/event_records.h"
#include "screen/face_panel.h"
#include "screen/game_screen_services.h"
#include "screen/options_menu.h"
#include "shell/screen_factory.h"
#include "sound/sound.h"

using namespace throwrules;
namespace ta = throwassets;

namespace {

constexpr EventFrameSpec kFrame{.periodMs = 65, .flipFirst = true};
// Output record: byte 0 ready, byte 1 the title was skipped, bytes 4..7 the
// milliseconds since the throw began.
constexpr int kOutReady = 0;
constexpr int kOutSkipped = 1;
constexpr int kOutThrowMs = 4;
// The title card dissolves over this part of the picture.
constexpr ClipRect kTitleArea{170, 40, 300, 300};
constexpr int kTitleCardY = 90;
constexpr int kEnergyMaximum = 100;

Sprite* LoadSprite(const char* relative, uint32_t flags) {
  return LoadSpriteOrNull(ShellDataPath(relative).c_str(), flags);
}

// Faces of the status band: the contestant at work strains, a player who
// leads smiles.
int ThrowMood(int player) {
  ThrowActor* a = g_throwActors[player & 3];
  if (player == g_throwCurrent && a && a->state >= kStSlowWind && a->state <= kStThrowEnd) return 2;
  return 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction

ComputerThrowEvent::ComputerThrowEvent() : EventScreen(kFrame) {
  // 1. The loading picture and the texts.
  ShowLoadingScreen(0, ShellVideoPath("video\\loading1.mbm").c_str());
  distanceText_ = GetStringTextOr(10504, "Distance");
  energyText_ = GetStringTextOr(1000, "ENERGY");
  bestLabel_ = GetStringTextOr(1001, "BEST:");
  recordLabel_ = GetStringTextOr(1003, "WR:");
  foulText_ = GetStringTextOr(10508, "FOUL");
  unitText_ = GetStringTextOr(1005, "m");
  skipHint_ = ExpandControlNames(GetStringTextOr(10600, "HOLD {ACTION 1} TO SKIP THIS THROW"));
  foulReason_ = GetStringTextOr(10601, "FOUL: SHORT OF THE LINE");
  g_throwCurrent = 0;
  g_throwInPlay = 0;
  g_frameCounter = 0;
  g_throwElapsedMs = 0;
  g_throwCamera = 0;
  for (ThrowActor*& a : g_throwActors) a = nullptr;  // the last event's are gone
  for (int32_t& s : g_throwSoundSlots) s = -1;
  for (int32_t& n : g_throwSoundFrames) n = 0;
  for (int32_t& n : g_throwSoundLeft) n = 0;

  // 2. The sound set of player 0's character, then the contestants.
  SetLoadingProgress(10, 0);
  soundSetCharacter_ = ta::kThrowCharOfCharacter[std::clamp(g_players[0].character, 0, 5)];
  LoadSoundSet();
  SetLoadingProgress(20, 0);
  for (int k = 0; k < 4; ++k) {
    ThrowActor* a = new (std::nothrow) ThrowActor(k);
    if (!a) continue;
    a->mode = g_players[k].human ? kModeHuman : kModeComputerPlayer;
    a->character = ta::kThrowCharOfCharacter[std::clamp(g_players[k].character, 0, 5)];
    a->drawOffsetX = kContestantDrawX;
    a->drawOffsetY = kGroundY - ta::kContestantFootY;
    g_throwActors[k] = a;
    PlaceActor(a);
  }

  // 3. The palette, the status band kept to the scenery's colours, the sprites.
  palettePicture_ = new (std::nothrow) DDSurface(ShellDataPath(ta::kPalettePicture).c_str());
  if (palettePicture_ && palettePicture_->GetPalette()) {
    palette_ = CreateDisplayPalette(kDisplayPaletteCaps, palettePicture_->GetPalette()->Entries());
  } else {
    DebugPrintf("Cannot load the palette %s.\n", ta::kPalettePicture);
  }
  statusPicture_ = LoadPictureOrNull(ShellDataPath(ta::kStatusPicture).c_str());
  if (statusPicture_ && statusPicture_->HasSurface() && statusPicture_->GetPalette() && palette_) {
    uint8_t table[256];
    BuildRemapTable(statusPicture_->GetPalette()->Entries(), palette_->Entries(), 0,
                    ta::kPaletteSceneryLast + 1, false, table);
    for (int i = 0; i <= ta::kPaletteSceneryLast; ++i) table[i] = static_cast<uint8_t>(i);
    table[255] = 255;
    statusPicture_->RemapWithTable(table);
    statusPicture_->SetPalette(palette_);
  }
  misc_ = LoadSprite(ta::kMiscSprite, g_spriteLoadFlags);
  SetLoadingProgress(30, 0);
  pipe_ = LoadSprite(ta::kPipeSprite, kSpriteLoadAll);
  gulls_ = LoadSprite(ta::kGullsSprite, kSpriteLoadAll);
  drums_ = LoadSprite(ta::kDrumsSprite, kSpriteLoadAll);
  SetLoadingProgress(40, 0);
  clouds_ = LoadSprite(ta::kCloudsSprite, kSpriteLoadAll);
  computer_ = LoadSprite(ta::kComputerSprite, kSpriteLoadAll);
  meter_ = LoadSprite(ta::kMeterSprite, kSpriteLoadAll);
  SetLoadingProgress(50, 0);
  sign_ = LoadSprite(ta::kSignSprite, kSpriteLoadAll);
  shadow_ = LoadSprite(ta::kShadowSprite, kSpriteLoadAll);
  judge_ = LoadSprite(ta::kJudgeSprite, kSpriteLoadAll);
  SetLoadingProgress(60, 0);
  icon_ = LoadSprite(g_lowMemory ? ta::kIconSpriteLowMemory : ta::kIconSprite, kSpriteLoadAll);
  workSurface_ = new (std::nothrow) DDSurface(kTitleArea.width, kTitleArea.height, 4);
  SetLoadingProgress(70, 0);
  if (workSurface_ && workSurface_->HasSurface() && ShellBackSurface()) {
    transition_ = new (std::nothrow)
        BitmapTransition(ShellBackSurface(), &kTitleArea, nullptr, workSurface_, kTransitionSkipKeyed);
  }
  if (workSurface_ && palette_) workSurface_->SetPalette(palette_);

  quit_ = WaitForPlayers();
  // The records are now the same on every machine; so are the random
  // numbers drawn from here on, whatever was drawn while they differed.
  if (g_playMode == 2) SeedRandom(static_cast<uint32_t>(g_localPlayers[2]));
  LoadContestant();
  SetLoadingProgress(80, 0);
  ClipRect screen{0, 0, 640, 480};
  clipper_ = CreateRectClipper(&screen);
  if (ShellBackSurface() && clipper_) ShellBackSurface()->SetClipper(clipper_);

  // 4. The first turn.
  eventState_ = kEvTitle;
  attempt_ = 1;
  g_throwInPlay = 0;
  fadeLevel_ = 0;
  eventBest_ = 0.0;
  eventBestText_ = FormatDistance(0, unitText_.c_str());
  if (g_timers) {
    timer_ = g_timers->Allocate();
    throwTimer_ = g_timers->Allocate();
    g_timers->Restart(timer_);
    g_timers->Restart(throwTimer_);
  }

  // 5. The rest of the actors.
  CreateActors();
  SetLoadingProgress(90, 0);
  LayoutSigns();
  {
    const int maxima[1] = {kEnergyMaximum};
    const char* labels[1] = {energyText_.c_str()};
    SetupStatusBars(statusPicture_, 1, maxima, labels, 0, 256);
  }
  if (g_facePanel) g_facePanel->SetMode(ThrowMood);
  for (int32_t& q : queue_) q = -1;
  queueCursor_ = 0;
  for (int k = 0; k < 4; ++k) {
    best_[k] = 0;
    order_[k] = k;
    for (auto& t : resultTexts_[k]) t = FormatDistance(0, unitText_.c_str());
  }
  currentText_ = FormatDistance(0, unitText_.c_str());
  recordText_ = GetEventRecordText(1);
  CreateOptionsMenu(palette_);
  SetLoadingProgress(100, 0);
  EndLoadingScreen();

  // 6. The first picture, then the fade-in with the crowd and the opening call.
  DrawScene();
  if (!quit_) {
    DDSurface* primary = ShellPrimarySurface();
    DDSurface* back = ShellBackSurface();
    if (primary && back && primary != back) primary->Blt(0, 0, 640, 480, back, 0, 0);
    if (palette_) FadePalette(palette_, kEventFadeSteps, 1);
    PlayThrowSound(kSoundCrowd, true);
    PlayThrowSound(kSoundOpening);
  }
}

void ComputerThrowEvent::LoadSound(int sound, int throwChar, bool load) {
  if (sound < 0 || sound >= kSoundSetSize) return;
  const ta::ThrowFile& f = ta::ThrowSoundFile(std::clamp(throwChar, 0, 5), sound);
  const std::string path = EventFilePath(f);
  g_throwSoundFrames[sound] = WaveFileFrames(path, kFrame.periodMs);
  if (!load || !g_soundManager) return;
  if (g_throwSoundSlots[sound] < 0) g_throwSoundSlots[sound] = g_soundManager->AllocSlot();
  const int slot = g_throwSoundSlots[sound];
  if (slot < 0) return;
  if (!g_soundManager->LoadWaveFile(slot, path.c_str(), 0, 1, 0)) {
    // The event goes on without it: the phases still wait its frames.
    DebugPrintf("Cannot load the sound %s.\n", path.c_str());
  }
}

void ComputerThrowEvent::LoadSoundSet() {
  soundCount_ = g_lowMemory ? kSoundSetSizeLowMemory : kSoundSetSize;
  for (int s = 0; s < kSoundSetSize; ++s) LoadSound(s, soundSetCharacter_, s < soundCount_);
}

int ComputerThrowEvent::LoadedSoundCount() const {
  int n = 0;
  for (int s = 0; s < kSoundSetSize; ++s)
    if (g_soundManager && g_throwSoundSlots[s] >= 0 && g_soundManager->IsLoaded(g_throwSoundSlots[s])) ++n;
  return n;
}

void ComputerThrowEvent::PutActor(int kind, ThrowActor* actor) {
  if (kind < 0 || kind >= kThrowActorSlots) {
    delete actor;
    return;
  }
  delete g_throwActors[kind];
  g_throwActors[kind] = actor;
}

void ComputerThrowEvent::CreateActors() {
  // The thrown computer and its shadow.
  if (ThrowActor* c = new (std::nothrow) ThrowActor(kKindComputer)) {
    c->sprite = computer_;
    c->mode = kModeAbsent;
    c->drawOffsetY = -ta::kComputerH;
    PutActor(kKindComputer, c);
    PlaceActor(c);
  }
  PutActor(kKindShadow, NewSceneryActor(kKindShadow, kPlaceShadow, shadow_, 0, kGroundY, 1, 1));
  if (g_throwActors[kKindShadow]) g_throwActors[kKindShadow]->drawOffsetY = -ta::kShadowH / 2;
  // Gulls, the pipe, the drums, more gulls, the clouds, the judge.
  const int gullY[4] = {40, 70, 25, 95};
  const int gullX[4] = {520, 160, 700, 380};
  const int gullKinds[4] = {kKindGull1, kKindGull2, kKindGull3, kKindGull4};
  for (int i = 0; i < 4; ++i)
    PutActor(gullKinds[i], NewSceneryActor(gullKinds[i], kPlaceSky, gulls_, gullX[i], gullY[i], 1,
                                           ta::kGullFrames, 2 + (i & 1)));
  PutActor(kKindPipe, NewSceneryActor(kKindPipe, kPlaceWorldProp, pipe_, kThrowLine + 1450,
                                      kGroundY - ta::kPipeH + 20, 1, ta::kPipeFrames, 12));
  PutActor(kKindDrum1, NewSceneryActor(kKindDrum1, kPlaceDrum, drums_, kThrowLine + 1150,
                                       kGroundY - ta::kDrumH + 4));
  PutActor(kKindDrum2, NewSceneryActor(kKindDrum2, kPlaceDrum, drums_, kThrowLine + 2350,
                                       kGroundY - ta::kDrumH + 4));
  const int cloudX[3] = {40, 300, 560};
  const int cloudY[3] = {10, 45, 20};
  for (int i = 0; i < 3; ++i)
    PutActor(kKindCloud1 + i, NewSceneryActor(kKindCloud1 + i, kPlaceCloud, clouds_, cloudX[i],
                                              cloudY[i], 1 + i, 1, 1, 10 + 5 * i));
  PutActor(kKindJudge, NewSceneryActor(kKindJudge, kPlaceJudge, judge_, kJudgeAwayX, kJudgeY));
  // The sky and the sand under everything.
  PutActor(kKindBackdrop, NewSceneryActor(kKindBackdrop, kPlaceBackdrop, misc_, 0, 0, ta::kMiscBackdrop));
  PutActor(kKindGround, NewSceneryActor(kKindGround, kPlaceGround, misc_, 0, kGroundY, ta::kMiscGround));
  // The title card.
  PutActor(kKindIcon, NewSceneryActor(kKindIcon, kPlaceTitle, icon_, 0, 0, 1,
                                      g_lowMemory ? 1 : ta::kIconFrames, 3));
}

void ComputerThrowEvent::LayoutSigns() {
  // A sign every ten metres beyond the line, and the line itself.
  for (int n = 1; n <= ta::kSignFrames; ++n) {
    const int kind = kKindSceneryFirst + n - 1;
    PutActor(kind, NewSceneryActor(kind, kPlaceSign, sign_, kThrowLine + 1000 * n - ta::kSignW / 2,
                                   kGroundY - ta::kSignH - 2, n));
  }
  PutActor(kKindSceneryFirst + ta::kSignFrames,
           NewSceneryActor(kKindSceneryFirst + ta::kSignFrames, kPlaceWorldProp, misc_, kThrowLine - 8,
                           kGroundY - 20, ta::kMiscLine));
  // Props along the field: palms, rocks, the crowd, flags, benches and the
  // loudspeaker by the line.
  struct Prop {
    int kind, worldX, y, firstFrame, frames, every, parallax;
  };
  const Prop props[] = {
      {50, -60, kGroundY - 150, ta::kMiscPalm, 1, 1, 100},
      {51, 700, kGroundY - 150, ta::kMiscPalm, 1, 1, 100},
      {52, 1700, kGroundY - 150, ta::kMiscPalm, 1, 1, 100},
      {53, 3300, kGroundY - 150, ta::kMiscPalm, 1, 1, 100},
      {54, 5200, kGroundY - 150, ta::kMiscPalm, 1, 1, 100},
      {55, 8000, kGroundY - 150, ta::kMiscPalm, 1, 1, 100},
      {56, 260, kGroundY - 30, ta::kMiscRock, 1, 1, 100},
      {57, 2600, kGroundY - 30, ta::kMiscRock, 1, 1, 100},
      {58, 4400, kGroundY - 30, ta::kMiscRock, 1, 1, 100},
      {59, 6300, kGroundY - 30, ta::kMiscRock, 1, 1, 100},
      {60, 9100, kGroundY - 30, ta::kMiscRock, 1, 1, 100},
      {63, 380, kGroundY - 62, ta::kMiscCrowdA, ta::kMiscCrowdFrames, 3, 100},
      {64, 1200, kGroundY - 62, ta::kMiscCrowdB, ta::kMiscCrowdFrames, 2, 100},
      {65, 2300, kGroundY - 62, ta::kMiscCrowdA, ta::kMiscCrowdFrames, 3, 100},
      {66, 3900, kGroundY - 62, ta::kMiscCrowdB, ta::kMiscCrowdFrames, 2, 100},
      {67, 1000, kGroundY - 118, ta::kMiscFlagPole, 1, 1, 100},
      {68, 3000, kGroundY - 118, ta::kMiscFlagPole, 1, 1, 100},
      {69, 6000, kGroundY - 118, ta::kMiscFlagPole, 1, 1, 100},
      {70, 150, kGroundY - 38, ta::kMiscBench, 1, 1, 100},
      {71, 2900, kGroundY - 38, ta::kMiscBench, 1, 1, 100},
      {72, 7000, kGroundY - 38, ta::kMiscBench, 1, 1, 100},
      {kKindSpeaker, kThrowLine + 60, kGroundY - 62, ta::kMiscSpeaker, 1, 1, 100},
  };
  for (const Prop& p : props)
    PutActor(p.kind, NewSceneryActor(p.kind, kPlaceWorldProp, misc_, p.worldX, p.y, p.firstFrame,
                                     p.frames, p.every, p.parallax));
}

void ComputerThrowEvent::PlaceActor(ThrowActor* a) {
  if (!a) return;
  switch (a->mode) {
    case kModeHuman:
    case kModeComputerPlayer:
    case 4:
    case 5:
    case 6:
    case 7: {
      const int throws = a->var[kVarThrows];
      a->Reset();
      a->var[kVarThrows] = throws;
      a->x = 0;
      a->y = 0;
      a->state = kStStand;
      a->frame = ta::kSheetLayout[std::clamp(a->character, 0, 5)].standFrame;
      a->var[kVarRow] = a->mode == kModeHuman ? a->character * 20 : RandomInt(kComputerRows);
      break;
    }
    case kModeAbsent:
      a->Reset();
      a->state = kStGone;
      break;
    default:
      PlaceScenery(a);
      break;
  }
}

void ComputerThrowEvent::LoadContestant() {
  DeleteAndClear(contestantSheet_);
  const int c = g_throwCurrent & 3;
  ThrowActor* a = g_throwActors[c];
  const int throwChar = a ? a->character : ta::kThrowCharOfCharacter[std::clamp(g_players[c].character, 0, 5)];
  soundSetCharacter_ = throwChar;
  contestantSheet_ = LoadSprite(ta::kThrowCharacterFiles[throwChar][0].path, g_spriteLoadFlags);
  for (int k = 0; k < 4; ++k) {
    ThrowActor* other = g_throwActors[k];
    if (!other) continue;
    other->sprite = nullptr;
    if (k != c) other->state = kStGone;
  }
  if (a) {
    a->sprite = contestantSheet_;
    a->mode = g_players[c].human ? kModeHuman : kModeComputerPlayer;
    PlaceActor(a);
  }
  // A turn costs energy, but never below none.
  g_players[c].energy = std::max(0, g_players[c].energy - 3);
  // The contestant's own voice.
  LoadSound(kSoundSpin, throwChar);
  LoadSound(kSoundWindUp, throwChar);
  LoadSound(kSoundHandOver, throwChar);
  for (int s = kSoundClosing1; s < kSoundSetSize; ++s) LoadSound(s, throwChar, !g_lowMemory);
  if (g_throwActors[kKindComputer]) PlaceActor(g_throwActors[kKindComputer]);
  if (g_throwActors[kKindShadow]) g_throwActors[kKindShadow]->state = kStGone;
  g_throwInPlay = c;
}

void ComputerThrowEvent::NextContestant(int redraw) {
  DDPalette* palette = palette_;
  if (palette) FadePalette(palette, kEventFadeSteps, 0);
  ShellClearDisplay();
  if (redraw) LoadContestant();
  // The field as it was: drums up again, the world back at the start.
  for (int k = kKindShadow; k < kThrowActorSlots; ++k) {
    ThrowActor* a = g_throwActors[k];
    if (a && k != kKindIcon && k != kKindJudge) PlaceActor(a);
  }
  if (g_throwActors[kKindShadow]) g_throwActors[kKindShadow]->state = kStGone;
  if (reenableJoysticks_) {
    ShellResumeInput();
    reenableJoysticks_ = 0;
  }
  DrawScene();
  DDSurface* primary = ShellPrimarySurface();
  DDSurface* back = ShellBackSurface();
  if (primary && back && primary != back) primary->Blt(0, 0, 640, 480, back, 0, 0);
  if (palette) FadePalette(palette, kEventFadeSteps, 1);
}

// ---------------------------------------------------------------------------
// Destruction: the places and results, then everything the screen loaded.

ComputerThrowEvent::~ComputerThrowEvent() {
  if (!quit_ && palette_) FadePalette(palette_, kEventFadeSteps, 0);
  StopThrowSound(kSoundCrowd);
  Standing s = RankContestants(best_);
  for (int k = 0; k < 4; ++k) {
    order_[k] = s.order[k];
    g_players[s.order[k]].place = k;
    g_players[s.order[k]].result = s.distance[k];
  }
  if (g_facePanel) g_facePanel->SetMode(nullptr);
  if (ShellBackSurface() && clipper_ && ShellBackSurface()->GetClipper() == clipper_)
    ShellBackSurface()->SetClipper(nullptr);
  if (clipper_) clipper_->Release();
  clipper_ = nullptr;
  DeleteAndClear(transition_);
  DeleteAndClear(workSurface_);
  DeleteAndClear(palettePicture_);
  DeleteAndClear(statusPicture_);
  if (palette_) ReleasePalette(palette_);
  palette_ = nullptr;
  DeleteAndClear(misc_);
  DeleteAndClear(pipe_);
  DeleteAndClear(gulls_);
  DeleteAndClear(drums_);
  DeleteAndClear(clouds_);
  DeleteAndClear(computer_);
  DeleteAndClear(meter_);
  DeleteAndClear(sign_);
  DeleteAndClear(shadow_);
  DeleteAndClear(judge_);
  DeleteAndClear(icon_);
  DeleteAndClear(contestantSheet_);
  for (int32_t& slot : g_throwSoundSlots) {
    if (g_soundManager && slot >= 0) g_soundManager->FreeSlot(slot);
    slot = -1;
  }
  if (g_timers) {
    g_timers->Release(timer_);
    g_timers->Release(throwTimer_);
  }
  DeleteActors();
}

void ComputerThrowEvent::DeleteActors() {
  for (ThrowActor*& a : g_throwActors) DeleteAndClear(a);
}

// ---------------------------------------------------------------------------
// A frame

void ComputerThrowEvent::BeforeExchange() { ++g_frameCounter; }

int ComputerThrowEvent::EventFrame() {
  if (g_playMode != 2) SkipComputerThrow();
  for (int p = 0; p < kMaxPlayers; ++p) {
    g_playerStates[p][kFirstActionByte] &= 0x80;
    g_playerStates[p][kSecondActionByte] &= 0x7F;
  }
  // The throw's time as the contestant's machine measured it.
  const int timeSlot = g_playMode == 2 ? (g_throwCurrent & 3) : (g_localPlayers[0] & 3);
  g_throwElapsedMs = GetPlayerDword(timeSlot, kOutThrowMs);

  TickThrowSounds();
  StepState();
  if (eventState_ == kEvOver) return EndEvent();
  UpdateActors();

  int32_t check = 0;
  for (int k = 0; k < 4; ++k) {
    if (const ThrowActor* a = g_throwActors[k]) check ^= a->x ^ a->y ^ a->var[kVarRunUp];
  }
  SetSyncCheck(check);
  PutOutDword(kOutThrowMs, g_timers ? g_timers->Elapsed(throwTimer_) : 0);

  DrawScene();
  if (ReadLocalInput() == 1) return 1;
  return 0;
}

bool ComputerThrowEvent::ComputerThrowSkippable() const {
  if (g_playMode == 2 || eventState_ != kEvThrowing || g_throwInPlay < 0 || g_throwInPlay > 3) return false;
  const ThrowActor* a = g_throwActors[g_throwInPlay];
  return a && a->mode == kModeComputerPlayer && a->var[kVarRunUp] < 1800;
}

std::string ComputerThrowEvent::HintText() const {
  if (ComputerThrowSkippable()) return skipHint_;
  if (eventState_ == kEvFoulCall || eventState_ == kEvFoulDone) return foulReason_;
  return "";
}

void ComputerThrowEvent::SkipComputerThrow() {
  if (!ComputerThrowSkippable()) return;
  const int own = g_localPlayers[0] & 3;
  if (!(g_playerStates[own][kFirstActionByte] & 0x80)) return;
  const int c = g_throwCurrent & 3;
  const int d = SkippedThrowDistance(RandomInt(1200));
  eventState_ = kEvNext;
  throwDistance_ = d;
  if (d == 0) {
    SetAttemptText(c, foulText_);
  } else {
    KeepBest(c, d);
    SetAttemptText(c, FormatDistance(d, unitText_.c_str()));
  }
  reenableJoysticks_ = 1;
}

void ComputerThrowEvent::SetAttemptText(int contestant, const std::string& text) {
  resultTexts_[contestant & 3][std::clamp(attempt_ - 1, 0, 2)] = text;
  currentText_ = text;
}

void ComputerThrowEvent::KeepBest(int contestant, int distance) {
  if (distance > best_[contestant & 3]) best_[contestant & 3] = distance;
  if (distance > eventBest_) {
    eventBest_ = distance;
    eventBestText_ = FormatDistance(distance, unitText_.c_str());
  }
}

void ComputerThrowEvent::StepState() {
  ThrowActor* judge = g_throwActors[kKindJudge];
  ThrowActor* computer = g_throwActors[kKindComputer];
  const int c = g_throwCurrent & 3;
  const int closing = kSoundClosing1 + std::clamp(attempt_ - 1, 0, 2);
  switch (eventState_) {
    case kEvTitle: {
      fadeLevel_ = std::min(kEventFadeSteps, fadeLevel_ + 8);
      const uint8_t* own = g_playerStates[g_localPlayers[0] & 3];
      bool any = false;
      for (int b = 0; b < kPlayerStateSize; ++b)
        if ((own[b] & 0x7F) || (b == kFirstActionByte && (own[b] & 0x80))) any = true;
      if (any) {
        StopThrowSound(kSoundOpening);
        PutOutByte(kOutSkipped, 1);
        eventState_ = kEvTitleOut;
      } else if (fadeLevel_ >= kEventFadeSteps && !ThrowSoundPlaying(kSoundOpening)) {
        eventState_ = kEvTitleOut;
      }
      break;
    }
    case kEvTitleOut:
      fadeLevel_ = std::max(0, fadeLevel_ - 8);
      if (fadeLevel_ == 0) {
        if (ThrowActor* icon = g_throwActors[kKindIcon]) icon->state = kStGone;
        PutOutByte(kOutReady, 1);
        eventState_ = kEvReady;
      }
      break;
    case kEvReady:
      if (AllPlayersByteAre(kOutReady, 1)) eventState_ = kEvTurn;
      break;
    case kEvTurn:
      PutOutByte(kOutReady, 0);
      PlayThrowSound(kSoundAttempt1 + std::clamp(attempt_ - 1, 0, 2));
      g_frameCounter = 0;
      if (g_timers) g_timers->Restart(throwTimer_);
      eventState_ = kEvThrowing;
      break;
    case kEvThrowing:
      if (computer && computer->state == kStLanded && !ThrowSoundPlaying(kSoundLetGo)) {
        if (judge) {
          judge->state = kJudgeMeasuring;
          judge->frame = 1;  // from the start of the walk, wherever it was
        }
        eventState_ = kEvMeasure;
      }
      break;
    case kEvMeasure: {
      // Without a judge the tape is read at once.
      if (judge && judge->frame < ta::kJudgeMeasureFrame) break;
      const int position = computer ? computer->var[kVarRunUp] : 0;
      throwDistance_ = DistanceOf(position);
      if (throwDistance_ <= 0) {
        throwDistance_ = 0;
        SetAttemptText(c, foulText_);
        PlayThrowSound(kSoundFoul);
        PutOutByte(kOutReady, 0);
        if (judge) judge->state = kJudgeFoul;
        eventState_ = kEvFoulCall;
      } else {
        KeepBest(c, throwDistance_);
        SetAttemptText(c, FormatDistance(throwDistance_, unitText_.c_str()));
        Announcement a = BuildAnnouncement(throwDistance_);
        std::memcpy(queue_, a.slots, sizeof queue_);
        queueCursor_ = 0;
        while (queueCursor_ < 6 && queue_[queueCursor_] < 0) ++queueCursor_;
        if (queueCursor_ < 6) PlayThrowSound(queue_[queueCursor_]);
        if (judge) judge->state = kJudgeBoard;
        eventState_ = kEvAnnounce;
      }
      break;
    }
    case kEvAnnounce:
      if (queueCursor_ < 6 && ThrowSoundPlaying(queue_[queueCursor_])) break;
      ++queueCursor_;
      while (queueCursor_ < 6 && queue_[queueCursor_] < 0) ++queueCursor_;
      if (queueCursor_ < 6) {
        PlayThrowSound(queue_[queueCursor_]);
        break;
      }
      if (judge) judge->state = kJudgeLeaving;
      PlayThrowSound(kSoundAfterValid);
      // Left unloaded on a machine short of memory, but its frames are
      // waited for all the same. Ready only once the closing call has
      // ended: a machine that said so earlier could be left waiting behind
      // the others.
      PlayThrowSound(closing);
      eventState_ = kEvClosingCall;
      break;
    case kEvFoulCall:
      if (!ThrowSoundPlaying(kSoundFoul)) {
        PutOutByte(kOutReady, 1);
        eventState_ = kEvFoulDone;
      }
      break;
    case kEvClosingCall:
      if (!ThrowSoundPlaying(closing)) {
        PutOutByte(kOutReady, 1);
        eventState_ = kEvValidDone;
      }
      break;
    case kEvFoulDone:
      if (AllPlayersByteAre(kOutReady, 1)) {
        PlayThrowSound(kSoundAfterFoul);
        if (judge) judge->state = kJudgeLeaving;
        eventState_ = kEvNext;
      }
      break;
    case kEvValidDone:
      if (AllPlayersByteAre(kOutReady, 1)) eventState_ = kEvNext;
      break;
    case kEvNext: {
      KeepBest(c, throwDistance_);
      throwDistance_ = 0;
      PutOutByte(kOutReady, 0);
      if (ThrowActor* a = g_throwActors[c]) ++a->var[kVarThrows];
      if (c < 3) {
        g_throwCurrent = c + 1;
        NextContestant(1);
        eventState_ = kEvTurn;
      } else if (attempt_ < 3) {
        g_throwCurrent = 0;
        ++attempt_;
        NextContestant(1);
        if (judge) PlaceActor(judge);
        eventState_ = kEvTurn;
      } else {
        eventState_ = kEvOver;
      }
      break;
    }
    default:
      break;
  }
}

void ComputerThrowEvent::UpdateActors() {
  for (int k = 0; k < kThrowActorSlots; ++k) {
    ThrowActor* a = g_throwActors[k];
    if (!a) continue;
    if (k == kKindShadow) {
      const ThrowActor* computer = g_throwActors[kKindComputer];
      a->state = (computer && computer->state == kStFlight) ? 0 : kStGone;
    }
    if (a->state == kStGone) continue;
    if (k <= 3 && eventState_ < kEvMeasure) continue;
    a->Update(g_throwActors);
  }
  g_throwCamera = ThrowCameraX(g_throwActors);
}

// ---------------------------------------------------------------------------
// Drawing

void ComputerThrowEvent::DrawScene() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  back->FillRect(0, 0, 640, kStatusBandTop, 0);
  for (int k = kThrowActorSlots - 1; k >= 0; --k) {
    ThrowActor* a = g_throwActors[k];
    if (a && k != kKindJudge) a->Draw();
  }
  if (ThrowActor* judge = g_throwActors[kKindJudge]) judge->Draw();

  BitmapFont* font = g_screenText;
  if (font) {
    font->SetInkIndex(255);
    font->SetFlags(0);
  }
  const ThrowActor* judge = g_throwActors[kKindJudge];
  if (font && judge && judge->state == kJudgeBoard && judge->x <= kJudgeStandX) {
    // Black on the white board he holds up, inside its border.
    const TextBox board{judge->x + judge->drawOffsetX + ta::kJudgeBoardX + 2,
                        judge->y + judge->drawOffsetY + ta::kJudgeBoardY + 1, ta::kJudgeBoardW - 4,
                        ta::kJudgeBoardH - 2};
    font->SetInkIndex(0);
    DrawTextInBox(font, back, board, currentText_, kFontAlignCentre, false);
    font->SetInkIndex(255);
  }

  // The title card dissolving in and out.
  const ThrowActor* icon = g_throwActors[kKindIcon];
  if (transition_ && workSurface_ && icon && icon->state != kStGone && fadeLevel_ > 0) {
    workSurface_->FillRect(0, 0, kTitleArea.width, kTitleArea.height, 1);
    if (icon_) icon_->DrawFrame(icon->frame, workSurface_, 0, kTitleCardY);
    transition_->Step(static_cast<unsigned>(std::min(fadeLevel_, kEventFadeSteps)));
  }

  // The status band with each player's energy and throws.
  int energy[4];
  int stars[4];
  for (int i = 0; i < 4; ++i) {
    energy[i] = g_players[i].energy;
    stars[i] = (i == (g_throwCurrent & 3)) ? 1 : 0;
  }
  DrawStatusBars(statusPicture_, 0, energy, stars);
  DrawTexts();
  if (font) font->SetInkIndex(-1);
}

void ComputerThrowEvent::DrawTexts() {
  DDSurface* back = ShellBackSurface();
  BitmapFont* font = g_screenText;
  if (!back) return;
  DrawAttemptTexts(distanceText_, resultTexts_);
  if (font) font->SetInkIndex(255);
  // The aim while the actor in play aims.
  const ThrowActor* inPlay = (g_throwInPlay >= 0 && g_throwInPlay <= kKindComputer) ? g_throwActors[g_throwInPlay] : nullptr;
  if (meter_ && inPlay && g_throwInPlay <= 3 && inPlay->state == kStAim) {
    meter_->DrawFrame(ta::kMeterDialFrame, back, 200, 292);
    meter_->DrawFrame(std::clamp(inPlay->var[kVarAngle], 0, 9) + 1, back, 204, 302);
  }
  // What the player can do now, or why the throw was a foul.
  DrawHintLine(HintText());
  // The record and the event's best.
  if (OptionsMenu* menu = GetOptionsMenu()) menu->TileRect(back, 445, 335, 180, 60);
  if (!font) return;
  font->SetFlags(0);
  font->DrawText(back, 450, 345, recordLabel_.c_str());
  font->DrawText(back, 450, 375, bestLabel_.c_str());
  font->SetFlags(kFontAlignRight);
  font->SetInkIndex(2);
  font->DrawText(back, 620, 345, recordText_.c_str());
  font->SetInkIndex(255);
  font->DrawText(back, 620, 375, eventBestText_.c_str());
  font->SetFlags(0);
}

// ---------------------------------------------------------------------------
// The crowd is the event's music.

void ComputerThrowEvent::OnDeactivate() { StopThrowSound(kSoundCrowd); }
void ComputerThrowEvent::OnActivate() { PlayThrowSound(kSoundCrowd, true); }
int ComputerThrowEvent::IsMusicPlaying() { return ThrowSoundAudible(kSoundCrowd) ? 1 : 0; }

// ---------------------------------------------------------------------------

void RegisterComputerThrowEvent() {
  RegisterEventScreen(1, [] { return static_cast<GameScreen*>(new ComputerThrowEvent()); });
}

std::vector<std::pair<void*, size_t>> ComputerThrowInstanceGlobals() {
  return GlobalsOf(g_throwActors, g_throwCurrent, g_throwInPlay, g_frameCounter, g_throwElapsedMs,
                   g_throwSoundSlots, g_throwSoundFrames, g_throwSoundLeft, g_throwCamera);
}
