#include "events/doggie_jump/doggie_jump_event.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "base/debug.h"
#include "base/player_records.h"
#include "base/random.h"
#include "base/stopwatch.h"
#include "base/string.h"
#include "events/doggie_jump/doggie_actor.h"
#include "events/doggie_jump/doggie_course.h"
#include "events/doggie_jump/doggie_jump_data.h"
#include "events/doggie_jump/doggie_rules.h"
#include "graphics/bitmap_font.h"
#include "graphics/clipper.h"
#include "graphics/display.h"
#include "graphics/fade.h"
#include "graphics/palette.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "graphics/transition.h"
#include "input/control_names.h"
#include "input/input.h"
#include "net/net_session.h"
#include "screen/config.h"
#include "screen/event_assets.h"
#include "screen/event_records.h"
#include "screen/face_panel.h"
#include "screen/game_screen_services.h"
#include "screen/options_menu.h"
#include "shell/screen_factory.h"
#include "sound/sound.h"

using namespace doggierules;
namespace da = doggieassets;

namespace {

constexpr EventFrameSpec kFrame{.periodMs = 65, .flipFirst = true};
// Output record: byte 0 the title may go, byte 1 the title has gone, byte
// 2 the turn is done here; bytes 4..7 the host's stopwatch at a release.
constexpr TitleBytes kTitle{.done = 0, .ready = 1};
constexpr int kOutTurnDone = 2;
constexpr int kOutJumpClock = 4;
constexpr ClipRect kScreenRect{0, 0, 640, 480};
constexpr ClipRect kTitleArea{170, 50, 300, 300};
constexpr int kEnergyMaximum = 100;
// The sounds this screen loads once for every jumper: the RADEROZI row's,
// whose attempt calls every jumper hears.
constexpr int kSoundSetRow = 1;
// What each turn loads again from the jumper's own row.
constexpr int kTurnSounds[] = {kSoundFall, kSoundRun, kSoundIdle, kSoundTakeOff1, kSoundTakeOff1 + 1,
                               kSoundTakeOff1 + 2, kSoundLand1, kSoundLand1 + 1, kSoundLand1 + 2};

std::string TextOf(unsigned id, const char* fallback) {
  const char* t = GetStringText(id);
  return (t && *t) ? t : fallback;
}

// The player slot whose output record carries the take-off time: the host
// of a network game, this machine in a game on one machine.
int JumpClockSlot() {
  if (g_playMode == 2 && g_netSession) return g_netSession->HostSlot();
  return g_localPlayers[0];
}

uint32_t Mix(uint32_t h, int32_t v) {
  h ^= static_cast<uint32_t>(v);
  h *= 16777619u;
  return h;
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction

// A picture that cannot be loaded is not drawn; the event goes on.
Sprite* DoggieJumpEvent::LoadSprite(const char* relative, uint32_t flags) {
  return LoadSpriteOrNull(ShellDataPath(relative).c_str(), flags);
}

DoggieJumpEvent::DoggieJumpEvent() : EventScreen(kFrame) {
  // 1, 2. The loading picture and the texts.
  ShowLoadingScreen(0, ShellVideoPath(da::kLoadingPicture).c_str());
  distanceLabel_ = TextOf(10504, "Distance");
  energyLabel_ = TextOf(1000, "ENERGY");
  bestLabel_ = TextOf(1001, "BEST:");
  recordLabel_ = TextOf(1003, "WR:");
  foulText_ = TextOf(10508, "FOUL");
  skipHint_ = ExpandControlNames(TextOf(10602, "HOLD {ACTION 1} TO SKIP THIS JUMP"));
  unitText_ = TextOf(1005, "m");
  if (unitText_.empty()) unitText_ = "m";

  // What a previous run of the event left in the tables was freed with it;
  // the entries are only cleared here.
  for (DoggieActor*& a : g_doggieActors) a = nullptr;
  for (Sprite*& s : g_doggieSprites) s = nullptr;
  for (int32_t& s : g_doggieSounds) s = -1;
  for (int32_t& n : g_doggieSoundFrames) n = 0;
  for (int32_t& n : g_doggieSoundLeft) n = 0;
  g_doggieAnnounceSound = -1;
  g_doggieTitleSurface = nullptr;
  g_doggieSkipFlag = 0;
  g_doggieHostClockMs = 0;

  // 3. The palette, and the status band kept to the course's colours.
  palette_ = LoadPaletteFile(ShellDataPath(da::kPalettePicture).c_str());
  if (!palette_) {
    DebugPrintf("Cannot load the palette %s.\n", da::kPalettePicture);
    palette_ = CreateDisplayPalette(kDisplayPaletteCaps, nullptr);  // the jumpers fill it
  }
  statusPicture_ = new (std::nothrow) DDSurface(ShellDataPath(da::kStatusPicture).c_str());
  if (statusPicture_ && statusPicture_->HasSurface() && statusPicture_->GetPalette() && palette_) {
    uint8_t usable[256] = {};
    for (int i = 0; i <= da::kPaletteCourseLast; ++i) usable[i] = 1;
    usable[255] = 1;
    usable[1] = 0;
    const PaletteEntry* from = statusPicture_->GetPalette()->Entries();
    uint8_t table[256];
    for (int i = 0; i < 256; ++i) {
      const int n = FindNearestUsableColour(palette_->Entries(), usable, from[i].red, from[i].green, from[i].blue);
      table[i] = static_cast<uint8_t>(n < 0 ? 0 : n);
    }
    statusPicture_->RemapWithTable(table);
    statusPicture_->SetPalette(palette_);
    statusPicture_->BackupPixels();
  } else if (statusPicture_ && !statusPicture_->HasSurface()) {
    DebugPrintf("Cannot load the picture %s.\n", da::kStatusPicture);
  }

  // 4.
  g_doggieJumper = -1;
  state_ = kDogTitleIn;
  attempt_ = 0;
  transitionStep_ = 0;
  bestDistance_ = 0.0;
  g_doggieJumpFrames = 0;
  bestText_ = FormatDistance(0, unitText_[0]);
  SetLoadingProgress(10, 0);

  // 5. Sounds: every slot is allocated and loaded, or stays empty.
  soundCount_ = g_lowMemory ? da::kSoundSlotsLowMemory : da::kSoundSlots;
  for (int s = 0; s < kDoggieSoundSlots; ++s) {
    if (s < soundCount_) g_doggieSounds[s] = g_soundManager ? g_soundManager->AllocSlot() : -1;
    LoadSound(s, kSoundSetRow);
  }
  // The title waits for the announcer's words on every machine alike.
  announceLeft_ = WaveFileFrames(ShellDataPath(da::kAnnounceSound), kFrame.periodMs);
  if (g_soundManager) {
    g_doggieAnnounceSound = g_soundManager->AllocSlot();
    const std::string path = ShellDataPath(da::kAnnounceSound);
    if (g_doggieAnnounceSound >= 0 && !g_soundManager->LoadWaveFile(g_doggieAnnounceSound, path.c_str(), 0, 1, 0))
      DebugPrintf("Cannot load the sound %s.\n", path.c_str());
  }
  SetLoadingProgress(20, 0);

  // 6. Sprites.
  g_doggieSprites[kSpriteTrees] = LoadSprite(da::kTreeSprite, 0x20);
  g_doggieSprites[kSpriteBack] = LoadSprite(da::kBackSprite, 0x28);
  SetLoadingProgress(30, 0);
  g_doggieSprites[kSpriteDogs] = LoadSprite(da::kDogSprite, 0x20);
  g_doggieSprites[kSpriteStars] = LoadSprite(da::kStarsSprite, 0x20);
  g_doggieSprites[kSpritePit] = LoadSprite(da::kPitSprite, 0x28);
  SetLoadingProgress(40, 0);
  g_doggieSprites[kSpriteJudge] = LoadSprite(da::kJudgeSprite, 0x20);
  g_doggieSprites[kSpriteMeter] = LoadSprite(da::kMeterSprite, 0x20);
  // The meter comes from another palette: onto the course's colours.
  if (g_doggieSprites[kSpriteMeter] && palette_)
    g_doggieSprites[kSpriteMeter]->MatchPalette(palette_, 0, da::kPaletteCourseLast + 1, 1, 0);
  SetLoadingProgress(55, 0);

  // 7. The title and the judge's board font.
  titleSprite_ = LoadSprite(g_lowMemory ? da::kIconSpriteLowMemory : da::kIconSprite, 0x20);
  boardFont_ = new (std::nothrow) BitmapFont(32, 224, 12, 6, 700, 0, 0, 0, 1, nullptr);
  if (boardFont_) {
    boardFont_->SetFlags(kFontAlignCentre);
    if (palette_) boardFont_->GetSprite()->MatchPalette(palette_, 0, 256, 1, 0);
    boardFont_->SetInkIndex(3);
    // The judge's board is white in his picture; index 1 is our key colour.
    boardFont_->SetPaperIndex(-1);
  }
  SetLoadingProgress(70, 0);

  // 8. The title picture and its dissolve.
  g_doggieTitleSurface = new (std::nothrow) DDSurface(300, 300, 4);
  if (g_doggieTitleSurface && g_doggieTitleSurface->HasSurface()) {
    if (palette_) g_doggieTitleSurface->SetPalette(palette_);
    if (ShellBackSurface())
      transition_ = new (std::nothrow)
          BitmapTransition(ShellBackSurface(), &kTitleArea, nullptr, g_doggieTitleSurface, kTransitionSkipKeyed);
  }
  SetLoadingProgress(80, 0);

  // 9.
  for (int k = 0; k < 4; ++k) {
    g_doggieResults[k] = 0;
    order_[k] = k;
    for (std::string& t : jumpTexts_[k]) t = "-";
  }

  // 10. The players, then the first turn.
  quit_ = WaitForPlayers();
  // The records are the same on every machine now; so are the random
  // numbers drawn from here on.
  if (g_playMode == 2) SeedRandom(static_cast<uint32_t>(g_localPlayers[2]));
  if (!quit_) {
    CreateActors();
    NextTurn();
    SetLoadingProgress(90, 0);
    // The jumpers take turns in entries past the course's.
    CreateOptionsMenu(palette_, 0, da::kPaletteCourseLast + 1);
    SetupBand();
    SetLoadingProgress(100, 0);
  }
  EndLoadingScreen();
  if (quit_) return;

  // 11. The clipper, the stopwatches, the record panel.
  clipper_ = CreateRectClipper(&kScreenRect);
  if (ShellBackSurface() && clipper_) ShellBackSurface()->SetClipper(clipper_);
  if (g_timers) {
    timer_ = g_timers->Allocate();
    g_doggieJumpClock = g_timers->Allocate();
    g_timers->Restart(timer_);
    g_timers->Restart(g_doggieJumpClock);
  }
  recordText_ = GetEventRecordText(4);
  recordFont_ = new (std::nothrow) BitmapFont(32, 96, 20, 0, 700, 0, 0, 0, 1, nullptr);
  if (recordFont_) {
    if (palette_) recordFont_->GetSprite()->MatchPalette(palette_, 0, 256, 1, 0);
    recordFont_->SetInkColour(0, 248, 0);
    recordFont_->SetFlags(0);
  }

  // 12. The first picture, the fade-in, the night and the opening call.
  DrawActors();
  DDSurface* back = ShellBackSurface();
  DDSurface* primary = ShellPrimarySurface();
  if (back) {
    back->SetClipper(nullptr);
    if (statusPicture_ && statusPicture_->HasSurface()) back->Blt(0, kStatusBandTop, 640, 80, statusPicture_, 0, 0);
    if (primary && primary != back) primary->Blt(0, 0, 640, 480, back, 0, 0);
  }
  SetJoysticksEnabled(1);  // keys pressed while loading are forgotten
  if (palette_) FadePalette(palette_, kEventFadeSteps, 1);
  PlayDoggieSound(kSoundNight, true);
  if (g_soundManager && g_doggieAnnounceSound >= 0)
    g_soundManager->Play(g_doggieAnnounceSound, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
}

void DoggieJumpEvent::LoadSound(int sound, int row, bool load) {
  if (sound < 0 || sound >= kDoggieSoundSlots) return;
  const da::DoggieFile& f = da::DoggieSoundFile(std::clamp(row, 0, da::kRows - 1), sound);
  const std::string path = EventFilePath(f);
  // Its length counts on every machine, also where it has no slot.
  g_doggieSoundFrames[sound] = WaveFileFrames(path, kFrame.periodMs);
  const int slot = g_doggieSounds[sound];
  if (!load || !g_soundManager || slot < 0) return;
  // The event goes on without it: its frames are waited for all the same.
  if (!g_soundManager->LoadWaveFile(slot, path.c_str(), 0, 1, 0))
    DebugPrintf("Cannot load the sound %s.\n", path.c_str());
}

int DoggieJumpEvent::LoadedSoundCount() const {
  int n = 0;
  for (int32_t slot : g_doggieSounds)
    if (g_soundManager && slot >= 0 && g_soundManager->IsLoaded(slot)) ++n;
  return n;
}

void DoggieJumpEvent::CreateActors() { CreateDoggieCourse(titleSprite_, g_lowMemory != 0); }

void DoggieJumpEvent::NextTurn() {
  // 1, 2. The next jumper, without the last one's sheet.
  DeleteAndClear(g_doggieSprites[kSpriteJumper]);
  g_doggieJumper = (g_doggieJumper + 1) % 4;
  if (g_doggieJumper < 0) g_doggieJumper = 0;
  const int p = g_doggieJumper;
  // 3. The jumper's sheet, whose colours the display takes.
  jumperRow_ = RowOfCharacter(g_players[p].character);
  Sprite* sheet = LoadSprite(da::kJumperSheet[jumperRow_], 0x20);
  g_doggieSprites[kSpriteJumper] = sheet;
  if (sheet && palette_) {
    if (DDPalette* own = sheet->GetFramePalette(1)) palette_->CopyRange(0, 255, 0, own);
  }
  // 4. The jumper at the start of the run-up.
  if (DoggieActor* j = g_doggieActors[kKindJumperFirst + p]) {
    j->sprite = sheet;
    j->row = jumperRow_;
    j->state = kJumpStand;
    j->frame = JumperFrames(jumperRow_, kJumpStand).first;
    const BitmapInfoHeader* h = sheet ? sheet->GetFrameInfo(1) : nullptr;
    j->height = h ? std::abs(h->height) : da::kJumperH;
    j->width = h ? h->width : da::kJumperW[jumperRow_];
    j->plan = RandomInt(kPlans);
    j->x = 200 - RowOffset(jumperRow_);
    j->y = 400 - j->height;
    j->controller = g_players[p].human ? kControllerPerson : kControllerComputer;
  }
  // 5. A turn costs energy, but never below none.
  g_players[p].energy = std::max(0, g_players[p].energy - 3);
  // 6. The jumper's own sounds.
  for (int s : kTurnSounds) {
    if (g_soundManager && g_doggieSounds[s] >= 0) g_soundManager->Unload(g_doggieSounds[s]);
    LoadSound(s, jumperRow_);
  }
  // With little memory the jumper's voice is not heard, but its frames are
  // waited for as on every other machine.
  for (int s = kSoundVoice1; s < kSoundVoice1 + 3; ++s) {
    if (!g_lowMemory && g_soundManager && g_doggieSounds[s] >= 0) g_soundManager->Unload(g_doggieSounds[s]);
    LoadSound(s, jumperRow_, !g_lowMemory);
  }
  // 7. Only the current jumper shows.
  for (int k = 0; k < 4; ++k) {
    DoggieActor* j = g_doggieActors[kKindJumperFirst + k];
    if (!j || k == p) continue;
    j->state = kActorHidden;
    j->sprite = nullptr;
  }
  boardText_.clear();
}

void DoggieJumpEvent::RestartCourse() {
  if (palette_) FadePalette(palette_, kEventFadeSteps, 0);
  DeleteDoggieActors();
  CreateActors();
  NextTurn();
  ShellResumeInput();
  SetupBand();
  RedrawTwice();
  if (palette_) FadePalette(palette_, kEventFadeSteps, 1);
}

void DoggieJumpEvent::SetupBand() {
  // The faces are matched to the course's colours, which every jumper's
  // palette keeps: matching them again is needed only when those changed.
  PaletteEntry now[da::kPaletteCourseLast + 1] = {};
  if (palette_) palette_->GetEntries(0, da::kPaletteCourseLast + 1, now);
  if (bandReady_ && std::memcmp(now, bandColours_, sizeof now) == 0) return;
  std::memcpy(bandColours_, now, sizeof now);
  bandReady_ = true;
  const int maxima[1] = {kEnergyMaximum};
  const char* labels[1] = {energyLabel_.c_str()};
  SetupStatusBars(statusPicture_, 1, maxima, labels, 0, da::kPaletteCourseLast + 1);
}

void DoggieJumpEvent::RedrawTwice() {
  // Once for each buffer of the flip chain.
  for (int i = 0; i < 2; ++i) {
    DDSurface* back = ShellBackSurface();
    if (back && clipper_) {
      clipper_->SetClipRect(kScreenRect);
      back->SetClipper(clipper_);
    }
    DrawActors();
    if (back) back->SetClipper(nullptr);
    DrawBand();
    ShellFlip();
  }
}

// ---------------------------------------------------------------------------
// Destruction: the places and results, then everything the screen loaded.

DoggieJumpEvent::~DoggieJumpEvent() {
  if (!quit_ && palette_) FadePalette(palette_, kEventFadeSteps, 0);
  SetJoysticksEnabled(1);
  for (int k = 0; k < 4; ++k) g_players[k].result = g_doggieResults[k];
  const Standing s = RankResults(g_doggieResults);
  for (int k = 0; k < 4; ++k) {
    order_[k] = s.order[k];
    g_players[s.order[k]].place = k;
  }
  if (ShellBackSurface() && clipper_ && ShellBackSurface()->GetClipper() == clipper_)
    ShellBackSurface()->SetClipper(nullptr);
  if (clipper_) clipper_->Release();
  clipper_ = nullptr;
  DeleteAndClear(transition_);
  DeleteAndClear(g_doggieTitleSurface);
  DeleteAndClear(statusPicture_);
  DeleteAndClear(boardFont_);
  DeleteAndClear(recordFont_);
  DeleteAndClear(titleSprite_);
  if (g_timers) {
    g_timers->Release(timer_);
    g_timers->Release(g_doggieJumpClock);
  }
  timer_ = -1;
  g_doggieJumpClock = -1;
  for (int32_t& slot : g_doggieSounds) {
    if (g_soundManager && slot >= 0) g_soundManager->FreeSlot(slot);
    slot = -1;
  }
  if (g_soundManager && g_doggieAnnounceSound >= 0) g_soundManager->FreeSlot(g_doggieAnnounceSound);
  g_doggieAnnounceSound = -1;
  // The actors first: they point at the sprites.
  DeleteDoggieActors();
  for (Sprite*& sp : g_doggieSprites) DeleteAndClear(sp);
  if (palette_) ReleasePalette(palette_);
  palette_ = nullptr;
}

// ---------------------------------------------------------------------------
// A frame

void DoggieJumpEvent::BeforeExchange() { ++g_doggieJumpFrames; }

int DoggieJumpEvent::EventFrame() {
  g_doggieHostClockMs = GetPlayerDword(JumpClockSlot(), kOutJumpClock);

  if (g_playMode != 2) SkipComputerJump();
  // The jumpers read fire 1 as held (1 or 0) and fire 2 as its presses.
  for (int p = 0; p < kMaxPlayers; ++p) {
    g_playerStates[p][4] = (g_playerStates[p][4] & 0x80) ? 1 : 0;
    g_playerStates[p][5] &= 0x7F;
  }
  DDSurface* back = ShellBackSurface();
  if (back && clipper_) {
    clipper_->SetClipRect(kScreenRect);
    back->SetClipper(clipper_);
  }

  TickDoggieCalls();
  StepState();
  if (state_ == kDogOver) return EndEvent();
  UpdateActors();
  if (g_doggieSkipFlag) {
    ShellResumeInput();
    g_doggieSkipFlag = 0;
  }
  SetSyncCheck(ComputeSyncCheck());
  if (ReadLocalInput() == 1) return 1;
  DrawFrame();
  return 0;
}

bool DoggieJumpEvent::AnyLocalAction() const {
  // Any direction or fire of a player at this machine, as exchanged.
  auto any = [](const uint8_t* s) {
    for (int b = 0; b < kPlayerStateSize; ++b)
      if (s[b] & 0xFF) return true;
    return false;
  };
  if (any(g_playerStates[g_localPlayers[0] & 3])) return true;
  return g_playMode == 1 && any(g_playerStates[g_localPlayers[1] & 3]);
}

bool DoggieJumpEvent::ComputerJumpSkippable() const {
  // Only a computer's run-up can be skipped, and only while it runs up: the
  // title, a person's own jump and the judge's work go on as they are.
  if (g_playMode == 2 || state_ != kDogJumping) return false;
  const int p = g_doggieJumper;
  const DoggieActor* j = CurrentJumper();
  return j && p >= 0 && p <= 3 && !g_players[p].human && j->distance < kSkipBefore;
}

std::string DoggieJumpEvent::HintText() const {
  if (ComputerJumpSkippable()) return skipHint_;
  if (state_ == kDogFoulCall || state_ == kDogVoice) return foulReason_;
  return "";
}

void DoggieJumpEvent::SkipComputerJump() {
  if (!ComputerJumpSkippable()) return;
  const int p = g_doggieJumper;
  if (!g_playerStates[g_localPlayers[0] & 3][4]) return;
  const int d = SkippedJumpDistance(RandomInt(1100));
  state_ = kDogNext;
  if (d == 0) {
    jumpTexts_[p][attempt_] = foulText_;
  } else {
    g_doggieResults[p] = std::max(g_doggieResults[p], d);
    KeepBest(d);
    jumpTexts_[p][attempt_] = FormatDistance(d, unitText_[0]);
  }
  g_doggieSkipFlag = 1;
}

void DoggieJumpEvent::KeepBest(int distance) {
  if (distance > bestDistance_) {
    bestDistance_ = distance;
    bestText_ = FormatDistance(distance, unitText_[0]);
  }
}

void DoggieJumpEvent::Measure() {
  const int p = g_doggieJumper & 3;
  // A turn costs a jump's worth of energy, never below none.
  g_players[p].energy = std::max(0, g_players[p].energy - 5);
  const DoggieActor* j = CurrentJumper();
  const bool fell = j && (j->state == kJumpLying || j->state == kJumpDone);
  if (!j || fell || j->distance <= kPitStart) {
    foulReason_ = fell ? TextOf(10603, "FOUL: FELL OVER THE DOGS") : TextOf(10604, "FOUL: SHORT OF THE PIT");
    jumpTexts_[p][attempt_] = foulText_;
    boardText_ = foulText_;
    PlayDoggieSound(kSoundFoul);
    state_ = kDogFoulCall;
    return;
  }
  const int d = j->distance - kPitStart;
  boardText_.clear();
  KeepBest(d);
  boardText_ = FormatDistance(d, unitText_[0]);
  jumpTexts_[p][attempt_] = boardText_;
  const Announcement a = BuildAnnouncement(d);
  std::memcpy(queue_, a.slots, sizeof queue_);
  queuePos_ = queue_[0] >= 0 ? 0 : 1;
  if (queue_[queuePos_] >= 0) PlayDoggieSound(queue_[queuePos_]);
  state_ = kDogAnnounce;
}

void DoggieJumpEvent::StepState() {
  DoggieActor* judgeActor = g_doggieActors[kKindJudge];
  DoggieJudge* judge = static_cast<DoggieJudge*>(judgeActor);
  DoggieActor* title = g_doggieActors[kKindTitle];
  switch (state_) {
    case kDogTitleIn: {
      transitionStep_ = std::min(kEventFadeSteps, transitionStep_ + 8);
      if (announceLeft_ > 0) --announceLeft_;
      const bool announced = announceLeft_ == 0;
      if (AnyLocalAction() || (transitionStep_ >= kEventFadeSteps && announced)) PutOutByte(kTitle.done, 1);
      if (AnyPlayerByteIs(kTitle.done, 1)) {
        if (g_soundManager && g_doggieAnnounceSound >= 0) g_soundManager->Stop(g_doggieAnnounceSound);
        ShellResetInput();
        state_ = kDogTitleOut;
      }
      break;
    }
    case kDogTitleOut:
      if (transitionStep_ > 0) {
        transitionStep_ = std::max(0, transitionStep_ - 8);
      } else {
        if (title) title->state = kActorPassive;
        PutOutByte(kTitle.ready, 1);
        state_ = kDogReady;
      }
      break;
    case kDogReady:
      if (AllPlayersByteAre(kTitle.ready, 1)) state_ = kDogTurn;
      break;
    case kDogTurn:
      PlayDoggieSound(kSoundAttempt1 + std::clamp(attempt_, 0, 2));
      if (g_timers) g_timers->Restart(g_doggieJumpClock);
      g_doggieJumpFrames = 0;
      state_ = kDogJumping;
      break;
    case kDogJumping: {
      const DoggieActor* j = CurrentJumper();
      const int s = j ? j->state : kJumpDone;
      if (s == kJumpDone || s == kJumpReactLow || s == kJumpReactMid || s == kJumpReactHigh) {
        if (judge) judge->state = kJudgeWalking;
        state_ = kDogMeasure;
      }
      break;
    }
    case kDogMeasure:
      // Without a judge the tape is read at once.
      if (!judge || (judge->state == kJudgeMeasuring && judge->frame >= da::kJudgeBoardFrame)) Measure();
      break;
    case kDogAnnounce:
      if (queuePos_ < 6 && queue_[queuePos_] >= 0 && DoggieCallGoing(queue_[queuePos_])) break;
      if (++queuePos_ < 6) {
        if (queue_[queuePos_] >= 0) PlayDoggieSound(queue_[queuePos_]);
        break;
      }
      PlayDoggieSoundOnce(kSoundCheer);
      PutOutByte(kOutTurnDone, 1);
      state_ = kDogTurnDone;
      break;
    case kDogFoulCall:
      if (DoggieCallGoing(kSoundFoul)) break;
      PlayDoggieSoundOnce(kSoundBoos);
      if (g_lowMemory)
        CountDoggieCall(kSoundVoice1 + std::clamp(attempt_, 0, 2));
      else
        PlayDoggieSound(kSoundVoice1 + std::clamp(attempt_, 0, 2));
      state_ = kDogVoice;
      break;
    case kDogVoice:
      if (DoggieCallGoing(kSoundVoice1 + std::clamp(attempt_, 0, 2))) break;
      PutOutByte(kOutTurnDone, 1);
      state_ = kDogTurnDone;
      break;
    case kDogTurnDone:
      if (AllPlayersByteAre(kOutTurnDone, 1)) state_ = kDogNext;
      break;
    default:
      break;
  }
  // The next turn begins in the frame the last one ended, also when a
  // skipped jump ended it.
  if (state_ == kDogNext) {
    PutOutByte(kOutTurnDone, 0);
    if (judge) judge->x = kJudgeAwayX;
    if (g_doggieJumper == 3 && attempt_ >= 2) {
      state_ = kDogOver;
    } else {
      if (g_doggieJumper == 3) ++attempt_;
      RestartCourse();
      state_ = kDogTurn;
    }
  }
}

void DoggieJumpEvent::UpdateActors() {
  for (int k = kDoggieActorSlots - 1; k >= 0; --k) {
    DoggieActor* a = g_doggieActors[k];
    if (!a || a->state == kActorHidden) continue;
    if (a->state == kActorFinished) {
      delete a;
      g_doggieActors[k] = nullptr;
      continue;
    }
    // The jumpers stand still until the title has gone everywhere.
    if (state_ <= kDogTurn && k >= kKindJumperFirst && k <= kKindJumperFirst + 4) continue;
    a->Update();
  }
}

int32_t DoggieJumpEvent::ComputeSyncCheck() {
  // What moves: the jumper, the dogs, the judge, the results and energies.
  uint32_t h = 2166136261u;
  h = Mix(h, g_doggieJumper);
  if (const DoggieActor* j = CurrentJumper()) {
    for (int v : {j->distance, j->x, j->y, j->speed, j->state, j->frame, j->meterPosition, j->phase})
      h = Mix(h, v);
  }
  for (int k = kKindDogFirst; k <= kKindDogLast; ++k) {
    const DoggieActor* d = g_doggieActors[k];
    h = Mix(h, d ? d->frame * 4 + d->hit : -1);
  }
  if (const DoggieActor* judge = g_doggieActors[kKindJudge]) {
    h = Mix(h, judge->x);
    h = Mix(h, judge->frame);
  }
  for (int p = 0; p < 4; ++p) {
    h = Mix(h, g_doggieResults[p]);
    h = Mix(h, g_players[p].energy);
  }
  return static_cast<int32_t>(h);
}

// ---------------------------------------------------------------------------
// Drawing

void DoggieJumpEvent::DrawActors() {
  for (int k = 0; k < kDoggieActorSlots; ++k) {
    DoggieActor* a = g_doggieActors[k];
    if (a && a->state != kActorHidden) a->Draw();
  }
}

void DoggieJumpEvent::DrawBand() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  int energy[4];
  for (int i = 0; i < 4; ++i) energy[i] = g_players[i].energy;
  DrawStatusBars(statusPicture_, 0, energy, nullptr);
  DrawAttemptTexts(distanceLabel_, jumpTexts_);
}

void DoggieJumpEvent::DrawFrame() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  DrawActors();
  const DoggieActor* title = g_doggieActors[kKindTitle];
  if (transition_ && title && title->state != kActorPassive && transitionStep_ > 0)
    transition_->Step(static_cast<unsigned>(transitionStep_));
  const auto* judge = static_cast<const DoggieJudge*>(g_doggieActors[kKindJudge]);
  if (judge && judge->BoardUp() && boardFont_)
    boardFont_->DrawText(back, judge->x + da::kJudgeBoardTextX, judge->y + da::kJudgeBoardTextY, boardText_.c_str());
  back->SetClipper(nullptr);
  DrawBand();
  DrawHintLine(HintText());
  const DoggieActor* j = CurrentJumper();
  Sprite* meter = g_doggieSprites[kSpriteMeter];
  if (meter && j && j->meterShown) {
    meter->DrawFrame(11, back, 200, 292);
    meter->DrawFrame(std::clamp(j->meterPosition, 0, 8) + 1, back, 204, 302);
  }
  if (OptionsMenu* menu = GetOptionsMenu()) menu->TileRect(back, 445, 335, 180, 60);
  if (recordFont_) {
    recordFont_->SetFlags(0);
    recordFont_->DrawText(back, 450, 345, recordLabel_.c_str());
    recordFont_->DrawText(back, 450, 375, bestLabel_.c_str());
    recordFont_->SetFlags(kFontAlignRight);
    recordFont_->DrawText(back, 620, 345, recordText_.c_str());
    recordFont_->DrawText(back, 620, 375, bestText_.c_str());
    recordFont_->SetFlags(0);
  }
}

// ---------------------------------------------------------------------------
// The night is the event's music.

void DoggieJumpEvent::OnDeactivate() { StopDoggieSound(kSoundNight); }
void DoggieJumpEvent::OnActivate() { PlayDoggieSound(kSoundNight, true); }
int DoggieJumpEvent::IsMusicPlaying() { return DoggieSoundPlaying(kSoundNight) ? 1 : 0; }

// ---------------------------------------------------------------------------

void RegisterDoggieJumpEvent() {
  RegisterEventScreen(4, [] { return static_cast<GameScreen*>(new DoggieJumpEvent()); });
}

std::vector<std::pair<void*, size_t>> DoggieJumpInstanceGlobals() {
  return GlobalsOf(g_doggieActors, g_doggieSprites, g_doggieSounds, g_doggieAnnounceSound,
                   g_doggieSoundFrames, g_doggieSoundLeft, g_doggieJumper, g_doggieJumpFrames,
                   g_doggieJumpClock, g_doggieResults, g_doggieTitleSurface, g_doggieSkipFlag,
                   g_doggieHostClockMs);
}
