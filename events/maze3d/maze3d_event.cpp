#include "events/maze3d/maze3d_event.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "base/clock.h"
#include "base/debug.h"
#include "base/player_records.h"
#include "base/random.h"
#include "events/maze3d/maze3d_data.h"
#include "events/maze3d/maze_autopilot.h"
#include "events/maze3d/maze_character.h"
#include "events/maze3d/maze_objects.h"
#include "events/maze3d/rc_hud.h"
#include "events/maze3d/rc_level_tables.h"
#include "events/maze3d/rc_loader.h"
#include "events/maze3d/rc_mover.h"
#include "events/maze3d/rc_navgraph.h"
#include "events/maze3d/rc_raycaster.h"
#include "events/maze3d/rc_support.h"
#include "events/maze3d/rc_zones.h"
#include "graphics/bitmap_font.h"
#include "graphics/display.h"
#include "graphics/fade.h"
#include "graphics/palette.h"
#include "graphics/surface.h"
#include "graphics/transition.h"
#include "platform/keyboard.h"
#include "screen/config.h"
#include "screen/event_assets.h"
#include "screen/event_records.h"
#include "screen/game_screen_services.h"
#include "screen/options_menu.h"
#include "shell/screen_factory.h"
#include "sound/sound.h"

namespace ma = mazeassets;

namespace {

constexpr int kEventNumber = 7;
// A race that nobody finishes ends after ten minutes of play at 16 frames a
// second (fewer, larger frames on a slower machine end it no later).
constexpr uint32_t kPlaySecondsLimit = 600;
// A data failure shows its message this many frames (or until a key).
constexpr int kErrorFrames = 64;
constexpr int kOutIntro = 0;
constexpr int kNetworkRate = 16;
constexpr int kSlowRate = 10;  // below it the floor is drawn flat

int Wrap(int h) {
  h %= kMazeTurn;
  return h < 0 ? h + kMazeTurn : h;
}

// A key step: going up a negative step becomes 0 and a step below 20 grows
// by 2; going down the same mirrored; then the step is added.
void StepValue(int16_t& value, int16_t& accel, bool up, int lo, int hi) {
  if (up) {
    if (accel < 0) accel = 0;
    if (accel < 20) accel = int16_t(accel + 2);
  } else {
    if (accel > 0) accel = 0;
    if (accel > -20) accel = int16_t(accel - 2);
  }
  value = int16_t(std::clamp(value + accel, lo, hi));
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction

MazeEventScreen::MazeEventScreen(bool split) : EventScreen({.flipFirst = true}), split_(split), views_(split ? 2 : 1) {
  ShowLoadingScreen(0, ShellVideoPath("video\\loading7.mbm").c_str());
  MazeResetWorld();
  g_mazeChaseFlag = 0;
  g_mazeTurnToggle = 1;
  g_mazeEventSounds = MazeEventSounds{};
  const uint16_t local = uint16_t(std::clamp(static_cast<int>(g_localPlayers[0]), 0, 3));
  if (split_) {
    viewPlayer_[0] = 0;
    viewPlayer_[1] = 1;
    g_mazeViewPlayer1 = 0;
    g_mazeViewPlayer2 = 1;
  } else {
    viewPlayer_[0] = viewPlayer_[1] = local;
    g_mazeViewPlayer1 = local;
    g_mazeViewPlayer2 = kMazeNoPlayer;
  }
  hud_ = new (std::nothrow) MazeHud();
  rayCaster_ = new (std::nothrow) RayCaster();
  nav_ = new (std::nothrow) MazeNavGraph();
  zones_ = new (std::nothrow) MazeZoneTable();
  g_mazeHud = hud_;
  g_mazeNavGraph = nav_;
  g_mazeZoneTable = zones_;
  g_mazeSingleView = split_ ? 0 : 1;
  if (!hud_ || !rayCaster_ || !nav_ || !zones_ || !MazeBuildTables()) Need(false, "memory");
  if (loadError_.empty()) LoadAssets();
  if (split_) {
    quit_ = WaitForPlayers();
    if (quit_) return;
  } else {
    SetLoadingProgress(15, 0);
    quit_ = WaitForPlayers();
    if (quit_) return;
  }
  if (loadError_.empty()) MakeCharacters(split_ ? 15 : 30);

  for (int v = 0; v < 2; ++v) {
    cameraTurn_[v] = 900;
    cameraDistance_[v] = split_ ? 70 : 100;
    viewOffset_[v] = g_mazeRunners[viewPlayer_[v]].viewOffset;
    viewIndex_[v] = int16_t(g_mazeRunners[viewPlayer_[v]].viewIndex);
    viewOffsetMin_[v] = -190;
  }
  g_mazeCameraDistance = cameraDistance_[0];
  if (loadError_.empty()) {
    MeasureRate();
  }
  SetLoadingProgress(90, 0);
  // The player's floor setting, or a machine too slow for the textured one.
  const bool flat = g_mazeFloor == 1 || rateTextured_ < kSlowRate;
  for (MazeRunnerRecord& r : g_mazeRunners) r.flags = flat ? r.flags & ~kRunnerTexturedFloor : r.flags | kRunnerTexturedFloor;
  UseRate(flat ? rateFlat_ : rateTextured_);
  // The title stays up while the announcer speaks, counted in frames from
  // his file: the same count on every machine, whether or not a sound slot
  // or a sound device lets him be heard there.
  announcerFrames_ = WaveFileFrames(
      ma::SoundInProgramDir(ma::kAnnounceSound) ? ShellProgramPath(ma::kAnnounceSound) : ShellDataPath(ma::kAnnounceSound),
      frameInterval_);
  g_mazeFloorPending = 0;
  g_mazeKeyManResting = 1;
  g_mazeRoundState = -1;

  // The palette, the intro picture, the options overlay, sounds and fonts.
  PaletteEntry entries[256];
  RgbQuadsToPaletteEntries(reinterpret_cast<const RgbQuad*>(g_mazePalette), entries, 256);
  palette_ = CreateDisplayPalette(kDisplayPaletteCaps, entries);
  iconSurface_ = new (std::nothrow) DDSurface(ma::kIntroSize, ma::kIntroSize, 4);
  if (iconSurface_ && !iconSurface_->HasSurface()) DeleteAndClear(iconSurface_);
  if (iconSurface_ && palette_) iconSurface_->SetPalette(palette_);
  static constexpr ClipRect kIntroArea{170, 50, ma::kIntroSize, ma::kIntroSize};
  if (iconSurface_ && iconFrames_ && ShellBackSurface())
    transition_ = new (std::nothrow)
        BitmapTransition(ShellBackSurface(), &kIntroArea, nullptr, iconSurface_, kTransitionSkipKeyed);
  CreateOptionsMenu(palette_);
  introPhase_ = 1;
  g_mazeFrameCount = 0;
  iconFrame_ = 0;
  fadeLevel_ = 0;
  if (g_soundManager) {
    auto load = [](int32_t& slot, const char* name) {
      slot = g_soundManager->AllocSlot();
      if (slot < 0) return;
      const std::string path = ma::SoundInProgramDir(name) ? ShellProgramPath(name) : ShellDataPath(name);
      if (!g_soundManager->LoadWaveFile(slot, path.c_str(), 0, 1, 0))
        DebugPrintf("Cannot load the sound %s.\n", path.c_str());
    };
    MazeEventSounds& s = g_mazeEventSounds;
    load(s.announce, ma::kAnnounceSound);
    load(s.roar, ma::kRoarSound);
    load(s.regen, ma::kRegenSound);
    load(s.destroy, ma::kDestroySound);
    load(s.shoot, ma::kShootSound);
    load(s.rockHit, ma::kRockHitSound);
    load(s.pill, ma::kPillSound);
  }
  if (const char* record = GetEventRecordText(kEventNumber)) recordText_ = record;
  panelFont_ = new (std::nothrow) BitmapFont(0x20, 0x60, 20, 0, 700, 0, 0, 0, 1, nullptr);
  if (panelFont_ && !panelFont_->IsValid()) DeleteAndClear(panelFont_);
  if (panelFont_) panelFont_->SetInkColour(0, 248, 0);

  SetLoadingProgress(100, 0);
  EndLoadingScreen();
  PutOutByte(kOutIntro, 0);
  if (!loadError_.empty()) return;
  DrawFrame();
  ShellFlip();
  DrawFrame();
  if (palette_) FadePalette(palette_, kEventFadeSteps, 1);
  if (!MazeSlotPlaying(g_mazeEventSounds.announce)) MazePlaySlot(g_mazeEventSounds.announce);
  clockLast_ = TimeGetTime();
}

bool MazeEventScreen::Need(bool ok, const char* what) {
  if (!ok && loadError_.empty()) {
    loadError_ = std::string("The 3D MAZE cannot start: ") + what + " is missing or damaged.";
    DebugPrintf("%s\n", loadError_.c_str());
  }
  return ok;
}

bool MazeEventScreen::LoadAssets() {
  const std::string dir = ShellDataPath("");
  auto path = [&dir](const char* rel) { return dir + rel; };
  RcLoader loader;
  Need(hud_->LoadPictures(dir.c_str()), "the status bar");
  Need(loader.LoadData(path(ma::kEngineFile).c_str()), ma::kEngineFile);

  // Sky, level, start places and the key man: drawn in this order on every machine.
  sky_ = RandomInt(100) % ma::kSkyChoices;
  const char* skyFile = (split_ && sky_ == 0) ? ma::kSplitNightSky : ma::kSkyFile[sky_];
  Need(loader.LoadBmpPalette(path(skyFile).c_str(), g_mazePalette), skyFile);
  int32_t w = 0, h = 0;
  g_mazeLevel.skyPicture = loader.LoadBmpPixels(path(skyFile).c_str(), &w, &h);
  if (g_mazeLevel.skyPicture && (w < ma::kSkyW || h < ma::kSkyH)) {
    RcFree(g_mazeLevel.skyPicture);
    g_mazeLevel.skyPicture = nullptr;
  }
  Need(g_mazeLevel.skyPicture != nullptr, skyFile);
  g_mazeLevel.skyWidth = g_mazeLevel.skyPicture ? w : 0;
  g_mazeLevel.skyHeight = g_mazeLevel.skyPicture ? h : 0;
  g_mazeLevel.floorColour = uint8_t(ma::kSkyFloorColour[sky_]);
  g_mazeRoundState = ma::kSkyLightMode[sky_];

  level_ = RandomInt(100) % ma::kLevels;
  const std::string levelFile = path(ma::kLevelFile[level_]);
  Need(loader.LoadTextures(levelFile.c_str(), &g_mazeLevel) && loader.LoadFloor(levelFile.c_str(), &g_mazeLevel),
       ma::kLevelFile[level_]);
  g_mazeXWalls = g_mazeLevel.xWalls;
  g_mazeYWalls = g_mazeLevel.yWalls;
  Need(nav_->Load(level_), ma::kNodeFile[level_]);
  if (!g_mazeLevel.zoneTable) MazeKeptZones(level_, &g_mazeLevel);
  zones_->Init(g_mazeLevel);
  for (int i = 0; i < 4; ++i) {
    int32_t* p = nav_->loaded() ? nav_->TakeStartPoint(RandomInt(10000)) : nullptr;
    g_mazePlayerPoints[i] = p;
    g_mazeRunners[i].x = p ? p[0] : 0;
    g_mazeRunners[i].y = p ? p[1] : 0;
    g_mazeRunners[i].heading = 0;
    g_mazeRunners[i].moveHeading = 0;
  }
  hud_->doorCell = kHudDoorStartCell;
  for (int k = 0; k < 3; ++k) hud_->doorSaved[k] = g_mazeYWalls[1 + k];

  // The key man: twenty poses of one frame each.
  keyManBlock_ = loader.LoadSpriteRle(path(ma::kKeyManSprite).c_str());
  MazeSpriteSet& keySet = g_mazeSpriteSets[kSpriteSetKeyMan];
  Need(keyManBlock_ && RcWalkPoses(keyManBlock_, 0, ma::kKeyManPoses, 1, keySet.poses), ma::kKeyManSprite);
  keySet.block = keyManBlock_;
  MazeObjectRecord& key = g_mazeObjects[kMazeKeyManObject];
  const int32_t* keyPlace = nav_->loaded() ? nav_->KeyManPoint(RandomInt(10000)) : nullptr;
  key.x = keyPlace ? keyPlace[0] : 0;
  key.y = keyPlace ? keyPlace[1] : 0;
  key.active = 1;
  key.pose = keySet.poses[0];
  key.heading = key.step = key.range = 0;

  // Explosions: four kinds of six poses back to back.
  explosionBlock_ = loader.LoadSpriteRle(path(ma::kExplosionSprite).c_str());
  bool ok = explosionBlock_ != nullptr;
  for (int k = 0; ok && k < ma::kExplosionKinds; ++k)
    ok = RcWalkPoses(explosionBlock_, k * ma::kExplosionPoses * ma::kDirections, ma::kExplosionPoses, ma::kDirections,
                     g_mazeSpriteSets[kSpriteSetFirstExplosion + k].poses);
  Need(ok, ma::kExplosionSprite);
  g_mazeSpriteSets[kSpriteSetFirstExplosion].block = explosionBlock_;

  // Monsters and their shots.
  monsterBlock_ = loader.LoadSpriteRle(path(ma::kMonsterSprite).c_str());
  Need(monsterBlock_ &&
           RcWalkPoses(monsterBlock_, 0, ma::kMonsterPoses, ma::kDirections, g_mazeSpriteSets[kSpriteSetMonster].poses) &&
           RcWalkPoses(monsterBlock_, ma::kMonsterPoses * ma::kDirections, ma::kMonsterShotPoses, ma::kDirections,
                       g_mazeSpriteSets[kSpriteSetMonsterShot].poses),
       ma::kMonsterSprite);
  g_mazeSpriteSets[kSpriteSetMonster].block = monsterBlock_;
  for (int k = kMazeFirstMonster; k <= kMazeLastMonster; ++k) {
    MazeObjectRecord& m = g_mazeObjects[k];
    m.active = 0;
    m.poseIndex = ma::kMonsterAsleep;
    m.pose = g_mazeSpriteSets[kSpriteSetMonster].poses[ma::kMonsterAsleep];
    m.state = m.step = m.range = 0;
  }
  // The intro's picture is a nicety: without it the intro shows the maze alone.
  iconFrames_ = loader.LoadPicture(path(ma::kIntroPicture).c_str(), ma::kIntroSize,
                                   ma::kIntroSize * ma::kIntroPictureFrames);
  return loadError_.empty();
}

void MazeEventScreen::MakeCharacters(int firstProgress) {
  for (int i = 0; i < 4; ++i) {
    const int character = std::clamp(static_cast<int>(g_players[i].character), 0, ma::kCharacters - 1);
    characters_[i] = MakeMazeCharacter(character, i);
    Need(characters_[i] && characters_[i]->loaded(), ma::kCharacterSprite[character]);
    SetLoadingProgress(firstProgress + 15 * i, 0);
  }
}

void MazeEventScreen::MeasureRate() {
  DDSurface* back = ShellBackSurface();
  if ((!split_ && g_playMode == 2) || !back) {
    rateTextured_ = rateFlat_ = kNetworkRate;
    return;
  }
  for (int v = 0; v < views_; ++v) SetupView(v);
  for (int i = 0; i < 10; ++i) RenderViews();
  uint32_t start = TimeGetTime();
  for (int i = 0; i < 10; ++i) RenderViews();
  rateTextured_ = MazeRenderRate(TimeGetTime() - start);
  if (split_) SetLoadingProgress(50, 0);
  for (int v = 0; v < views_; ++v) g_mazeViews[v].flags &= ~kRunnerTexturedFloor;
  start = TimeGetTime();
  for (int i = 0; i < 10; ++i) RenderViews();
  rateFlat_ = MazeRenderRate(TimeGetTime() - start);
  if (split_) SetLoadingProgress(75, 0);
}

void MazeEventScreen::UseRate(uint16_t rate) {
  rate_ = std::clamp<uint16_t>(rate, 1, 16);
  for (MazeCharacter* c : characters_)
    if (c) c->SetFrameRate(rate_);
  frameInterval_ = uint16_t(1000 / rate_);
  shotStep_ = uint16_t(800 / rate_);
}

// ---------------------------------------------------------------------------
// Teardown

MazeEventScreen::~MazeEventScreen() {
  if (!quit_) BroadcastEventEnd();
  WriteResults();
  if (!quit_ && palette_ && loadError_.empty()) FadePalette(palette_, kEventFadeSteps, 0);
  // The characters use the HUD's counters to the last: they go first.
  for (int i = 3; i >= 0; --i) DeleteAndClear(characters_[i]);
  if (g_soundManager) {
    MazeEventSounds& s = g_mazeEventSounds;
    for (int32_t* slot : {&s.announce, &s.roar, &s.regen, &s.destroy, &s.shoot, &s.rockHit, &s.pill}) {
      if (*slot >= 0) {
        g_soundManager->Stop(*slot);
        g_soundManager->FreeSlot(*slot);
      }
      *slot = -1;
    }
  }
  FreeIntro();
  MazeFreeTables();
  MazeFreeLevel(&g_mazeLevel);
  std::memset(g_mazeSpriteSets, 0, sizeof g_mazeSpriteSets);
  for (MazeObjectRecord& o : g_mazeObjects) o.pose = nullptr;
  RcFree(keyManBlock_);
  RcFree(explosionBlock_);
  RcFree(monsterBlock_);
  keyManBlock_ = explosionBlock_ = monsterBlock_ = nullptr;
  for (int32_t*& p : g_mazePlayerPoints) p = nullptr;
  g_mazeHud = nullptr;
  g_mazeNavGraph = nullptr;
  g_mazeZoneTable = nullptr;
  DeleteAndClear(rayCaster_);
  DeleteAndClear(nav_);
  DeleteAndClear(zones_);
  DeleteAndClear(hud_);
  DeleteAndClear(panelFont_);
  if (palette_) ReleasePalette(palette_);
  palette_ = nullptr;
}

void MazeEventScreen::WriteResults() {
  if (quit_) return;  // never started: the records stay as they came
  if (!loadError_.empty()) {
    // Nobody played: nobody is placed.
    for (PlayerRecord& p : g_players) {
      p.place = -1;
      p.result = 0;
    }
    return;
  }
  if (!finished_) return;
  int32_t scores[4], places[4];
  for (int i = 0; i < 4; ++i) scores[i] = g_mazePlayers[i].score;
  MazePlaces(scores, places);
  int32_t top = scores[0];
  for (int i = 1; i < 4; ++i) top = std::max(top, scores[i]);
  for (int i = 0; i < 4; ++i) {
    g_mazePlayers[i].score = scores[i];
    g_players[i].place = places[i];
    if (!split_) g_players[i].result = top;
  }
}

void MazeEventScreen::FreeIntro() {
  DeleteAndClear(transition_);
  DeleteAndClear(iconSurface_);
  RcFree(iconFrames_);
  iconFrames_ = nullptr;
}

// ---------------------------------------------------------------------------
// A frame

int MazeEventScreen::Run() {
  if (!quit_ && !loadError_.empty()) return RunFailed();
  return EventScreen::Run();
}

int MazeEventScreen::LeaveFrame() {
  if (!split_) ShellClearDisplay();
  return -1;
}

bool MazeEventScreen::FrameDue() {
  // The maze paces itself at its measured rate: sleep out the rest of the frame.
  const uint32_t elapsed = TimeGetTime() - clockLast_;
  if (elapsed <= frameInterval_) {
    WaitForEventMs(frameInterval_ + 1 - elapsed);
    // Woken early by the window: its event comes first, the frame after it.
    if (TimeGetTime() - clockLast_ <= frameInterval_) return false;
  }
  clockLast_ = TimeGetTime();
  return true;
}

int MazeEventScreen::EndHeard() {
  finished_ = true;
  return 1;
}

int MazeEventScreen::EventFrame() {
  TakeOverLeavers();
  if (introPhase_ < playPhase()) {
    StepIntro();
  } else {
    ++g_mazeFrameCount;
    if (g_mazeFloorPending) {
      const bool flat = g_mazeFloor == 1;
      for (MazeRunnerRecord& r : g_mazeRunners)
        r.flags = flat ? r.flags & ~kRunnerTexturedFloor : r.flags | kRunnerTexturedFloor;
      UseRate(flat ? rateFlat_ : rateTextured_);
      g_mazeFloorPending = 0;
    }
    if (StepPlay()) {
      // The split screen gives its winner his own score as his result and
      // leaves everybody else's as it came; the single view gives all four
      // the top score when it is deleted.
      if (split_ && g_mazeRoundState > 20) g_players[g_mazeWinner & 3].result = g_mazePlayers[g_mazeWinner & 3].score;
      BroadcastEventEnd();
      finished_ = true;
      return 1;
    }
  }
  for (MazePlayerRecord& p : g_mazePlayers) p.hold = 0;
  syncValue_ = SyncValue();
  SetSyncCheck(syncValue_);
  ReadCameraKeys();
  if (ReadLocalInput() == 1) {
    finished_ = introPhase_ == playPhase();
    return 1;
  }
  DrawFrame();
  return 0;
}

int MazeEventScreen::RunFailed() {
  // The message stays up a moment; the event then ends with nobody placed.
  const bool first = errorFrames_ == 0;
  if (first) {
    EndLoadingScreen();
    if (DDSurface* back = ShellBackSurface()) {
      back->FillRect(0, 0, 640, 480, 0);
      ShellDrawScreenText(40, 220, loadError_.c_str());
      ShellFlip();
    }
  }
  SleepMs(62);
  ShellPollInput();
  bool key = ShellMenuKeyPressed();
  for (int l = 0; l < (split_ ? 2 : 1); ++l) {
    unsigned char actions[10];
    if (ShellScriptedInput(l, actions))
      for (unsigned char a : actions) key = key || a != 0;
  }
  if (++errorFrames_ < kErrorFrames && !(key && errorFrames_ > 4)) return 0;
  BroadcastEventEnd();
  return 1;
}

void MazeEventScreen::TakeOverLeavers() {
  for (int i = 0; i < 4; ++i)
    if (characters_[i] && !g_players[i].human && g_mazeRunners[i].human) characters_[i]->TakeOverByComputer();
}

void MazeEventScreen::StepIntro() {
  ++introFrames_;
  // A key of a local player (from the exchanged input, so scripted runs press it too).
  bool key = false;
  const int locals = split_ ? 2 : 1;
  for (int l = 0; l < locals; ++l) {
    const int slot = std::clamp(static_cast<int>(g_localPlayers[l]), 0, 3);
    for (int b = 0; b < kPlayerStateSize; ++b) key = key || g_playerStates[slot][b] != 0;
  }
  if (split_) {
    switch (introPhase_) {
      case 1:
        fadeLevel_ = int16_t(fadeLevel_ + 4);
        if (fadeLevel_ > 64) {
          fadeLevel_ = 64;
          introPhase_ = 2;
        }
        if (key) introPhase_ = 3;
        break;
      case 2:
        if (key || introFrames_ > announcerFrames_) introPhase_ = 3;
        break;
      default:
        fadeLevel_ = int16_t(fadeLevel_ - 4);
        if (fadeLevel_ < 0) introPhase_ = 4;
        break;
    }
    if (introPhase_ == 3 && g_soundManager && g_mazeEventSounds.announce >= 0)
      g_soundManager->Stop(g_mazeEventSounds.announce);
  } else {
    switch (introPhase_) {
      case 1:
      case 2:
        if (introPhase_ == 1) {
          fadeLevel_ = int16_t(fadeLevel_ + 4);
          if (fadeLevel_ > 64) {
            fadeLevel_ = 64;
            introPhase_ = 2;
          }
        }
        if (AnyPlayerByteIs(kOutIntro, 1)) {
          if (g_soundManager && g_mazeEventSounds.announce >= 0) g_soundManager->Stop(g_mazeEventSounds.announce);
          PutOutByte(kOutIntro, 1);
          introPhase_ = 3;
        } else if (key || (introPhase_ == 2 && introFrames_ > announcerFrames_)) {
          PutOutByte(kOutIntro, 1);
        }
        break;
      case 3:
        fadeLevel_ = int16_t(fadeLevel_ - 8);
        if (fadeLevel_ < 0) {
          PutOutByte(kOutIntro, 1);
          introPhase_ = 4;
        }
        break;
      default:
        if (AllPlayersByteAre(kOutIntro, 1)) introPhase_ = 5;
        break;
    }
  }
  if (introPhase_ == playPhase()) {
    FreeIntro();
    g_mazeRoundState = 0;
  }
}

bool MazeEventScreen::StepPlay() {
  if (g_mazeRoundState == 0 && g_mazeFrameCount > kPlaySecondsLimit * rate_) return true;
  const int w = std::clamp(g_mazeWinner, 0, 3);
  MazeCharacter* winner = characters_[w];
  uint8_t* winnerKeys = g_playerStates[w];
  switch (g_mazeRoundState) {
    case 0: {
      uint32_t audible = MazePlayersNear(viewPlayer_[0]);
      if (split_) audible |= MazePlayersNear(viewPlayer_[1]);
      g_mazeAudibleMask = audible;
      for (MazeCharacter* c : characters_)
        if (c) c->Update();
      MazeObjectView view;
      view.viewers[0] = viewPlayer_[0];
      view.viewers[1] = split_ ? viewPlayer_[1] : kMazeNoPlayer;
      view.shotStep = shotStep_;
      MazeAnimateObjects(view);
      MazeAnimateKeyMan();
      if (hud_) hud_->AnimateFaces();
      if (zones_) zones_->ActivatePlayerZones();
      break;
    }
    case 1:
      if (!MazeSlotPlaying(g_mazeEventSounds.roar)) MazePlaySlot(g_mazeEventSounds.roar);
      g_mazePlayers[w].score += 300;
      std::memset(winnerKeys, 0, 6);
      MazeDoorRaise();
      if (winner) {
        winner->Update();
        winner->SetFrameRate(10);
      }
      break;
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
      std::memset(winnerKeys, 0, 6);
      winnerKeys[3] = 1;  // the winner walks forward through the door
      ++g_mazeRoundState;
      if (winner) winner->Update();
      break;
    case 7:
      g_mazeRunners[w].flags &= ~kRunnerInPlay;
      MazeDoorLower();
      if (!MazeSlotPlaying(g_mazePlayerSounds[w][ma::kSoundWin])) MazePlaySlot(g_mazePlayerSounds[w][ma::kSoundWin]);
      break;
    default:
      if (g_mazeRoundState >= 8 && g_mazeRoundState <= 20) {
        ++g_mazeRoundState;
        break;
      }
      return true;
  }
  return false;
}

int32_t MazeEventScreen::SyncValue() const {
  uint32_t h = MazeWorldSyncValue();
  for (const MazeCharacter* c : characters_) {
    if (!c) continue;
    h = h * 31u + c->SyncWord();
    if (const MazeAutoPilot* a = c->autoPilot()) h = h * 31u + a->SyncWord();
  }
  h = h * 31u + introPhase_;
  return int32_t(h);
}

// ---------------------------------------------------------------------------
// The cameras and their keys (this machine's view only)

void MazeEventScreen::SetupView(int v) {
  MazeViewRecord& cam = g_mazeViews[v];
  const MazeRunnerRecord& runner = g_mazeRunners[viewPlayer_[v] & 3];
  cam = runner;
  cam.moveHeading = uint16_t(Wrap(cam.moveHeading + cameraTurn_[v]));
  cam.moveDistance = cameraDistance_[v];
  g_mazeCameraDistance = cameraDistance_[v];
  if (split_) {
    g_mazeMover.MoveSlide(cam);
  } else {
    g_mazeMover.MoveShort(cam);
  }
  viewPulledIn_[v] = g_mazeCameraPulledIn;
  cam.heading = int16_t(Wrap(cam.moveHeading + 900));
  cam.moveHeading = uint16_t(cam.heading);
  cam.viewOffset = viewOffset_[v];
  cam.viewIndex = uint16_t(std::clamp<int>(viewIndex_[v], 1, kFloorTableCount - 1));
  cam.viewValue = g_floorRowTables[cam.viewIndex];
  cam.screenX = uint16_t(v == 0 ? 0 : 322);
}

void MazeEventScreen::CameraKey(int v, int fkey, int digit) {
  const int lo = v == 0 || !split_ ? 5 : 10, hi = v == 0 || !split_ ? 125 : 120;
  switch (fkey) {
    case 0:  // camera turn and distance
      if (digit == 1) cameraTurn_[v] = int16_t(Wrap(cameraTurn_[v] - 225));
      else if (digit == 0) cameraTurn_[v] = int16_t(Wrap(cameraTurn_[v] + 225));
      else StepValue(cameraDistance_[v], distanceAccel_[v], digit == 3, 50, 150);
      break;
    case 1:  // eye height and horizon
      if (digit <= 1) {
        StepValue(viewIndex_[v], viewIndexAccel_[v], digit == 0, lo, hi);
        if (viewIndex_[v] < 46) {
          viewOffsetMin_[v] = int16_t(110 - 7 * (viewIndex_[v] - 5));
          viewOffset_[v] = std::max(viewOffset_[v], viewOffsetMin_[v]);
        } else {
          viewOffsetMin_[v] = -190;
        }
      } else {
        StepValue(viewOffset_[v], viewOffsetAccel_[v], digit == 3, viewOffsetMin_[v], 195);
      }
      break;
    case 2:
      viewPlayer_[v] = uint16_t((viewPlayer_[v] + 1) % 4);
      break;
    default:
      showPanel_[v] = uint16_t(!showPanel_[v]);
      break;
  }
}

void MazeEventScreen::ReadCameraKeys() {
  // Left view: F1..F4 with 1..4; right view: F5..F8 with 7, 8, 9, 0.
  static constexpr int kDigits[2][4] = {{'1', '2', '3', '4'}, {'7', '8', '9', '0'}};
  for (int v = 0; v < views_; ++v) {
    for (int f = 0; f < 4; ++f) {
      const int slot = v * 4 + f;
      const bool down = IsKeyDown(kVkF1 + slot);
      const bool pressed = down && !fkeyWasDown_[slot];
      fkeyWasDown_[slot] = down;
      if (!down) continue;
      if (f >= 2) {
        if (pressed) CameraKey(v, f, 0);
        continue;
      }
      const int* d = kDigits[v];
      // The second key of each pair wins over the first, the third over the fourth.
      if (IsKeyDown(d[1])) CameraKey(v, f, 1);
      else if (IsKeyDown(d[0])) CameraKey(v, f, 0);
      if (IsKeyDown(d[2])) CameraKey(v, f, 2);
      else if (IsKeyDown(d[3])) CameraKey(v, f, 3);
    }
  }
}

// ---------------------------------------------------------------------------
// Drawing: reads the world, writes pixels and the cameras only.

void MazeEventScreen::RenderViews() {
  DDSurface* back = ShellBackSurface();
  if (!back || !rayCaster_) return;
  uint8_t* bits = nullptr;
  int pitch = 0;
  if (back->Lock(&bits, &pitch) != 0 || !bits) return;
  g_mazeFrame = bits;
  g_mazePitch = pitch;
  for (int v = views_ - 1; v >= 0; --v) {
    g_mazeCameraDistance = cameraDistance_[v];
    g_mazeCameraPulledIn = viewPulledIn_[v];
    rayCaster_->SetCamera(g_mazeViews[v]);
    rayCaster_->CastColumns();
    rayCaster_->CollectSprites();
    if (split_) rayCaster_->RenderSplitView();
    else rayCaster_->RenderSingleView();
  }
  back->Unlock();
}

void MazeEventScreen::DrawFrame() {
  DDSurface* back = ShellBackSurface();
  if (!back || !hud_) return;
  if (g_mazeRoundState <= 0)
    for (int v = 0; v < views_; ++v) SetupView(v);
  hud_->NoteExplored();
  RenderViews();
  uint8_t* bits = nullptr;
  int pitch = 0;
  if (back->Lock(&bits, &pitch) == 0 && bits) {
    g_mazeFrame = bits;
    g_mazePitch = pitch;
    if (split_) {
      if (showPanel_[0]) hud_->DrawAutomap(g_mazeRunners[g_mazeViewPlayer1]);
      if (showPanel_[1] && g_mazeViewPlayer2 < 4) hud_->DrawAutomap(g_mazeRunners[g_mazeViewPlayer2]);
      hud_->DrawHud();
      hud_->ClearColumn();
    } else {
      hud_->DrawHud();
      if (showPanel_[0]) {
        MazeRunnerRecord shown = g_mazeRunners[g_mazeViewPlayer1 & 3];
        shown.screenX = 320;
        hud_->DrawAutomap(shown);
      }
    }
    back->Unlock();
  }
  DrawNames();
  if (!split_) DrawRecordPanel();
  if (transition_ && iconSurface_ && iconFrames_ && introPhase_ < playPhase()) {
    uint8_t* icon = nullptr;
    int iconPitch = 0;
    if (iconSurface_->Lock(&icon, &iconPitch) == 0 && icon) {
      const uint8_t* frame = iconFrames_ + size_t(iconFrame_) * ma::kIntroSize * ma::kIntroSize;
      for (int y = 0; y < ma::kIntroSize; ++y)
        std::memcpy(icon + size_t(y) * size_t(iconPitch), frame + size_t(y) * ma::kIntroSize, ma::kIntroSize);
      iconSurface_->Unlock();
    }
    iconFrame_ = uint16_t((iconFrame_ + 1) % ma::kIntroPictureFrames);
    transition_->Step(unsigned(std::clamp<int>(fadeLevel_, 0, 64)));
  }
}

void MazeEventScreen::DrawNames() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  // In the band's white, each name left of the player's item.
  PaletteEntry entries[256];
  for (int i = 0; i < 256; ++i)
    entries[i] = PaletteEntry{g_mazePalette[4 * i + 2], g_mazePalette[4 * i + 1], g_mazePalette[4 * i], 0};
  UseStatusPalette(entries);
  SetStatusItemsShown(true);
  DrawStatusNames(back);
}

void MazeEventScreen::DrawRecordPanel() {
  DDSurface* back = ShellBackSurface();
  if (OptionsMenu* menu = GetOptionsMenu()) menu->TileRect(back, 445, 335, 180, 60);
  BitmapFont* font = panelFont_ ? panelFont_ : g_screenText;
  if (!font) return;
  char best[32];
  std::snprintf(best, sizeof best, "%d points", MazeTopScore());
  font->SetFlags(0);
  font->DrawText(back, 450, 355, "WR:");
  font->SetFlags(kFontAlignRight);
  font->DrawText(back, 620, 355, recordText_.c_str());
  font->SetFlags(0);
  font->DrawText(back, 450, 375, "BEST:");
  font->SetFlags(kFontAlignRight);
  font->DrawText(back, 620, 375, best);
  font->SetFlags(0);
}

// ---------------------------------------------------------------------------

void RegisterMaze3DEvent() {
  // The factory picks the split screen itself when two play on one machine.
  RegisterEventScreen(kEventNumber, []() -> GameScreen* { return new Maze3DEvent(); });
  RegisterSplitMazeScreen([]() -> GameScreen* { return new Maze3DSplitEvent(); });
}

std::vector<std::pair<void*, size_t>> Maze3DInstanceGlobals() {
  std::vector<std::pair<void*, size_t>> g = MazeWorldGlobals();
  g.push_back({&g_mazeChaseFlag, sizeof g_mazeChaseFlag});
  g.push_back({&g_mazeTurnToggle, sizeof g_mazeTurnToggle});
  g.push_back({&g_mazeEventSounds, sizeof g_mazeEventSounds});
  return g;
}
