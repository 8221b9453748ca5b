#include "events/javelin_catch/javelin_event.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "base/debug.h"
#include "base/player_records.h"
#include "base/string.h"
#include "base/stopwatch.h"
#include "graphics/bitmap_font.h"
#include "graphics/clipper.h"
#include "graphics/display.h"
#include "graphics/fade.h"
#include "graphics/palette.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "graphics/tile_picture.h"
#include "graphics/transition.h"
#include "platform/keyboard.h"
#include "screen/config.h"
#include "screen/event_assets.h"
#include "screen/event_records.h"
#include "screen/face_panel.h"
#include "screen/game_screen_services.h"
#include "screen/options_menu.h"
#include "screen/title_handshake.h"
#include "shell/screen_factory.h"
#include "sound/sound.h"

namespace jc {

namespace {

constexpr int kEventNumber = 9;
// Output record: byte 0 this machine is done with the title, byte 1 its
// title has faded out.
constexpr TitleBytes kTitle{.done = 0, .ready = 1};
constexpr int kOutLeft = 2;       // output byte: the players this machine saw leave
constexpr ClipRect kTitleArea{170, 50, 300, 300};

// Palette: the field in entries 2..119, player p's contestant and weapon in
// the band of 32 from 120 + 32p; the contestant sheets keep their colours
// from entry 2 of their own palette.
constexpr int kFieldFirst = 2, kFieldColours = 118;
constexpr int kBandFirst = 120, kBandColours = 32, kSheetFirst = 2;

constexpr const char* kLoadingPicture = "video\\loading9.mbm";
constexpr const char* kStatusPicture = "jc\\statnew.bmp";
constexpr const char* kFieldPicture = "jc\\back.bbm";
constexpr const char* kObjectsPicture = "jc\\objects.mbm";
constexpr const char* kFencePicture = "jc\\fence.mbm";
constexpr const char* kCannonPicture = "jc\\Canfire8.mbm";
constexpr const char* kStar1Picture = "jc\\star1.mbm";
constexpr const char* kStar2Picture = "jc\\star2.mbm";
constexpr const char* kIconsPicture = "jc\\icons.mbm";
constexpr const char* kAnnouncerPicture = "jc\\jcc.mbm";
constexpr const char* kContestantPicture[6] = {"jc\\gcjav8.mbm",  "jc\\Apejav8.mbm", "jc\\studjav8.mbm",
                                               "jc\\amjav8.mbm",  "jc\\roojav8.mbm", "jc\\J8alien.mbm"};
constexpr const char* kWeaponPicture[6] = {"jc\\pizza2.mbm",  "jc\\banana2.mbm",  "jc\\dumbell2.mbm",
                                           "jc\\dagger2.mbm", "jc\\boomran2.mbm", "jc\\sship2.mbm"};
constexpr int kWeaponIconFrame = 41;
// The event's sounds, by EventSound; true: under the program directory.
constexpr struct {
  const char* path;
  bool program;
} kSoundFiles[kEventSounds] = {
    {"sounds\\bomb2.wav", true},    {"sounds\\juice3.wav", true},   {"jc\\cannon.wav", false},
    {"jc\\fallobj3.wav", false},    {"sounds\\beep.wav", true},     {"sounds\\GrabAmmo.wav", true},
    {"sounds\\Grab$.wav", true},    {"sounds\\powerpil.wav", true}, {"sounds\\cheer2.wav", true},
    {"sounds\\crowdboA.wav", true}, {"sounds\\crowdamb.wav", true}, {"extra\\events\\annjavln.wav", false},
};
// Voices by character: sounds\<pp>_rea1.wav ..., extra\javelin\<ccc>bomb1.wav
// and <ccc>jav01.wav ...
constexpr const char* kVoicePrefix[6] = {"go", "mo", "st", "am", "ka", "al"};
constexpr const char* kCallPrefix[6] = {"goo", "lar", "buf", "ama", "jac", "fre"};
constexpr const char* kVoiceSuffix[5] = {"_rea1.wav", "_rea2.wav", "_thrw.wav", "_att1.wav", "_weap.wav"};

// The running event, for the face panel's callback; cleared with the screen.
JavelinEvent* g_jcEvent = nullptr;

int CharacterOf(int p) {
  const int32_t c = g_players[p].character;
  return (c >= 0 && c < 6) ? c : 0;
}

bool IsPlayingSlot(int32_t slot) { return g_soundManager && slot >= 0 && g_soundManager->IsPlaying(slot); }

void PlaySlotOnce(int32_t slot) {
  if (g_soundManager && slot >= 0) g_soundManager->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
}

}  // namespace

int GetJavelinContestantStatus(int n) {
  JavelinEvent* ev = g_jcEvent;
  return ev ? ev->Face(n) : 5;
}

// ---------------------------------------------------------------------------
// Construction

void JavelinEvent::LoadSounds() {
  for (int i = 0; i < kEventSounds; ++i) {
    const std::string path = kSoundFiles[i].program ? ShellProgramPath(kSoundFiles[i].path) : ShellDataPath(kSoundFiles[i].path);
    sounds_[i] = LoadEventSound(path, 1);
    // Read from the file, not the loaded slot: a machine without a sound
    // device or a free slot must wait as long as every other.
    if (i == kSndAnnouncer) announcerLength_ = WaveFileFrames(path, kFramePeriodMs);
  }
}

void JavelinEvent::LoadPictures() {
  // The event palette is the status picture's.
  palette_ = LoadPaletteFile(ShellDataPath(kStatusPicture).c_str());
  statusPicture_ = new (std::nothrow) DDSurface(ShellDataPath(kStatusPicture).c_str());
  if (!statusPicture_ || !statusPicture_->HasSurface()) {
    DebugPrintf("Cannot load the picture %s.\n", kStatusPicture);
    DeleteAndClear(statusPicture_);
  }
  if (!palette_) {
    // The event still plays on a plain grey ramp.
    PaletteEntry ramp[256];
    for (int i = 0; i < 256; ++i) ramp[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
    palette_ = CreateDisplayPalette(kDisplayPaletteCaps, ramp);
  }
  if (statusPicture_ && palette_) statusPicture_->SetPalette(palette_);
  field_ = new (std::nothrow) TileMapPicture(ShellDataPath(kFieldPicture).c_str());
  if (field_ && !field_->IsLoaded()) DebugPrintf("Cannot load the field %s (%u).\n", kFieldPicture, field_->GetError());
  if (field_ && palette_) {
    RgbQuad quads[256];
    PaletteEntriesToRgbQuads(palette_->Entries(), quads, 256);
    field_->RemapColours(quads, kFieldFirst, kFieldColours);
  }
  SetLoadingProgress(20, 0);

  auto load = [this](const char* path, uint32_t flags, int first, int count, int keep) {
    Sprite* s = LoadSpriteOrNull(ShellDataPath(path).c_str(), flags);
    if (s && palette_) s->MatchPalette(palette_, first, count, keep, 0);
    return s;
  };
  pictures_[kPictureObjects] = load(kObjectsPicture, 0x20, 2, 254, 1);
  fence_ = load(kFencePicture, 0x20, 2, 254, 0);
  SetLoadingProgress(70, 0);
  cannon_ = load(kCannonPicture, 4, 2, 254, 0);
  SetLoadingProgress(80, 0);
  star1_ = load(kStar1Picture, 0x20, 2, 250, 1);
  star2_ = load(kStar2Picture, 0x20, 2, 250, 1);
  icons_ = load(kIconsPicture, 0x20, 2, 32, 1);
}

void JavelinEvent::LoadContestantPictures() {
  for (int p = 0; p < 4; ++p) {
    DeleteAndClear(pictures_[kPictureContestant + p]);
    DeleteAndClear(pictures_[kPictureWeapon + p]);
    const int c = CharacterOf(p);
    Sprite* body = LoadSpriteOrNull(ShellDataPath(kContestantPicture[c]).c_str(), 0x20);
    Sprite* weapon = LoadSpriteOrNull(ShellDataPath(kWeaponPicture[c]).c_str(), 0x20);
    const int first = kBandFirst + kBandColours * p;
    if (palette_ && body)
      if (DDPalette* own = body->GetFramePalette(1)) palette_->CopyRange(first, kBandColours, kSheetFirst, own);
    if (palette_) {
      if (body) body->MatchPalette(palette_, first, kBandColours, 1, 0);
      if (weapon) weapon->MatchPalette(palette_, first, kBandColours, 1, 0);
    }
    pictures_[kPictureContestant + p] = body;
    pictures_[kPictureWeapon + p] = weapon;
    SetLoadingProgress(30 + 10 * p, 0);
  }
}

void JavelinEvent::MakeContestants() {
  // The four contestants of the four player slots: a session may seat more
  // players than that, but the field has four.
  for (int p = 0; p < 4; ++p) {
    const int c = CharacterOf(p);
    JcdData data;
    int line = 0;
    const uint32_t err = LoadJcdFile(ShellDataPath(JcdFileName(c)).c_str(), &data, &line);
    if (err != kJcdOk) {
      DebugPrintf("Cannot use the contestant data %s (line %d: %s); the built-in values stand in.\n", JcdFileName(c),
                  line, JcdErrorText(err));
      data = DefaultJcd(c);
    }
    world_.MakeContestant(p, c, data);
    world_.objects[p].speed = WalkingSpeed(g_players[p].speed);
    g_players[p].result = 0;
  }
}

void JavelinEvent::LoadVoices() {
  for (auto& row : voices_)
    for (int32_t& v : row) v = -1;
  for (int p = 0; p < 4; ++p) {
    const int c = CharacterOf(p);
    char path[64];
    for (int v = 0; v < 5; ++v) {
      std::snprintf(path, sizeof path, "sounds\\%s%s", kVoicePrefix[c], kVoiceSuffix[v]);
      voices_[p][kVoiceReact1 + v] = LoadEventSound(ShellDataPath(path), 1);
    }
    for (int n = 0; n < 3; ++n) {
      std::snprintf(path, sizeof path, "extra\\javelin\\%sbomb%d.wav", kCallPrefix[c], n + 1);
      voices_[p][kVoiceBomb1 + n] = LoadEventSound(ShellDataPath(path), 1);
      std::snprintf(path, sizeof path, "extra\\javelin\\%sjav0%d.wav", kCallPrefix[c], n + 1);
      voices_[p][kVoiceJavelin1 + n] = LoadEventSound(ShellDataPath(path), 1);
    }
  }
}

JavelinEvent::JavelinEvent() : EventScreen({.periodMs = kFramePeriodMs, .feedStreams = true}) {
  g_jcEvent = this;
  for (int32_t& s : sounds_) s = -1;
  for (auto& row : voices_)
    for (int32_t& v : row) v = -1;
  world_.sounds = this;
  target_ = ShellBackSurface();
  while (ReadTypedChar() != 0) {
  }
  ShowLoadingScreen(0, ShellVideoPath(kLoadingPicture).c_str());
  pointsText_ = GetStringTextOr(1002, " POINTS");
  recordLabel_ = GetStringTextOr(1003, "WR:");
  bestLabel_ = GetStringTextOr(1001, "BEST:");
  timeLabel_ = GetStringTextOr(1004, "TIME:");
  energyLabel_ = GetStringTextOr(1000, "ENERGY").substr(0, kStatusLabelSize);
  LoadSounds();
  SetLoadingProgress(10, 0);
  LoadPictures();
  LoadContestantPictures();
  if (g_timers) {
    timer_ = g_timers->Allocate();
    g_timers->Restart(timer_);
  }
  SetLoadingProgress(90, 0);

  font_ = new (std::nothrow) BitmapFont(32, 96, 20, 0, 700, 0, 0, 0, 1, nullptr);
  if (font_) {
    font_->SetInkColour(0, 248, 0);
    if (palette_ && font_->IsValid()) font_->GetSprite()->MatchPalette(palette_, 0, 256, 1, 0);
  }
  recordText_ = GetEventRecordText(kEventNumber);
  announcer_ = LoadSpriteOrNull(ShellDataPath(kAnnouncerPicture).c_str(), 1);
  scratch_ = new (std::nothrow) DDSurface(640, 480, 4);
  if (scratch_ && palette_) scratch_->SetPalette(palette_);
  SetLoadingProgress(95, 0);
  titleBox_ = new (std::nothrow) DDSurface(300, 300, 4);
  if (titleBox_ && titleBox_->HasSurface()) {
    if (palette_) titleBox_->SetPalette(palette_);
    if (target_) transition_ = new (std::nothrow) BitmapTransition(target_, &kTitleArea, nullptr, titleBox_, kTransitionSkipKeyed);
  }
  const ClipRect view{0, 0, 640, 400}, screen{0, 0, 640, 480}, left{0, 0, 320, 400}, right{320, 0, 320, 400};
  viewClip_ = CreateRectClipper(&view);
  leftClip_ = CreateRectClipper(&left);
  rightClip_ = CreateRectClipper(&right);
  screenClip_ = CreateRectClipper(&screen);
  for (PlayerRecord& p : g_players) {
    p.place = -1;
    p.result = 0;
  }
  SetLoadingProgress(100, 0);
  EndLoadingScreen();

  quit_ = StartTitleHandshake(*this, kTitle.done, kTitle.ready, kOutLeft);
  if (quit_) return;

  // The records are now the same on every machine: the contestants are
  // made from them (a character that changed on the way gets its pictures).
  CreateOptionsMenu(palette_);
  LoadContestantPictures();
  MakeContestants();
  LoadVoices();
  persons_ = 0;
  for (int p = 0; p < 4; ++p)
    if (g_players[p].human == 1) persons_ |= static_cast<uint8_t>(1u << p);
  world_.computer = static_cast<uint8_t>(~persons_ & 0xF);
  const int maxima[2] = {100, 0};
  const char* labels[2] = {energyLabel_.c_str(), ""};
  SetupStatusBars(statusPicture_, 2, maxima, labels, 120, 128);
  SetStatusItemsShown(true);
  if (g_facePanel) g_facePanel->SetMode(GetJavelinContestantStatus);
  if (statusPicture_) statusPicture_->BackupPixels();
  started_ = 1;

  DrawFirstPicture();
  if (sounds_[kSndCrowd] >= 0 && g_soundManager)
    g_soundManager->Play(sounds_[kSndCrowd], 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 1);
  if (palette_) FadePalette(palette_, kEventFadeSteps, 1);
  phase_ = kStart;
}

// ---------------------------------------------------------------------------
// Destruction

JavelinEvent::~JavelinEvent() {
  if (started_) ReportResults();
  if (g_jcEvent == this) {
    if (g_facePanel) g_facePanel->SetMode(nullptr);
    g_jcEvent = nullptr;
  }
  for (int32_t& s : sounds_) FreeSound(s);
  for (auto& row : voices_)
    for (int32_t& v : row) FreeSound(v);
  if (started_ && palette_) FadePalette(palette_, kEventFadeSteps, 0);
  if (target_)
    for (DDClipper* c : {viewClip_, leftClip_, rightClip_, screenClip_})
      if (c && target_->GetClipper() == c) target_->SetClipper(nullptr);
  if (DDSurface* back = ShellBackSurface())
    for (DDClipper* c : {viewClip_, leftClip_, rightClip_, screenClip_})
      if (c && back->GetClipper() == c) back->SetClipper(nullptr);
  ReleaseClipper(viewClip_);
  ReleaseClipper(leftClip_);
  ReleaseClipper(rightClip_);
  ReleaseClipper(screenClip_);
  DeleteAndClear(transition_);
  DeleteAndClear(titleBox_);
  DeleteAndClear(scratch_);
  DeleteAndClear(announcer_);
  DeleteAndClear(font_);
  DeleteAndClear(statusPicture_);
  DeleteAndClear(field_);
  DeleteAndClear(fence_);
  DeleteAndClear(cannon_);
  DeleteAndClear(star1_);
  DeleteAndClear(star2_);
  DeleteAndClear(icons_);
  for (Sprite*& s : pictures_) DeleteAndClear(s);
  if (palette_) ReleasePalette(palette_);
  palette_ = nullptr;
  if (g_timers && timer_ >= 0) g_timers->Release(timer_);
}

void JavelinEvent::ReportResults() {
  int32_t score[4], ratio[4], place[4];
  for (int p = 0; p < 4; ++p) {
    score[p] = world_.contestant[p].score;
    g_players[p].energy = std::clamp(g_players[p].energy, 0, 100);
    ratio[p] = EnergyRatio(g_players[p].energy, world_.MaxEnergy(p));
  }
  PlaceByCatches(score, ratio, place);
  for (int p = 0; p < 4; ++p) {
    g_players[p].result = score[p];
    g_players[p].place = place[p];
  }
}

void JavelinEvent::OnActivate() {
  if (g_soundManager && sounds_[kSndCrowd] >= 0)
    g_soundManager->Play(sounds_[kSndCrowd], 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 1);
}

// ---------------------------------------------------------------------------
// Sounds of the field: played here, never deciding anything there.

void JavelinEvent::Play(int sound) {
  if (sound >= 0 && sound < kEventSounds) PlaySlotOnce(sounds_[sound]);
}

void JavelinEvent::PlayVoice(int player, int voice) {
  if (player >= 0 && player < 4 && voice >= 0 && voice < kVoices) PlaySlotOnce(voices_[player][voice]);
}

void JavelinEvent::KeepVoicePlaying(int player, int voice) {
  if (player < 0 || player >= 4 || voice < 0 || voice >= kVoices) return;
  if (!IsPlayingSlot(voices_[player][voice])) PlaySlotOnce(voices_[player][voice]);
}

void JavelinEvent::PlayCallIfQuiet(int player, int voice) {
  if (player < 0 || player >= 4 || voice < 0 || voice >= kVoices) return;
  for (const auto& row : voices_)
    for (int v = kVoiceBomb1; v < kVoices; ++v)
      if (IsPlayingSlot(row[v])) return;
  PlaySlotOnce(voices_[player][voice]);
}

int JavelinEvent::Face(int player) {
  const JcObject* c = world_.Contestant(player);
  if (!c) return 5;
  // The cheer for a catch is shown once; the counter only moves the faces.
  const int32_t score = world_.contestant[player].score;
  const bool scored = score > reportedScore_[player];
  if (scored) reportedScore_[player] = score;
  return ContestantFace(scored, c->speedMultiplier == 2, c->state == kReeling, g_players[player].energy,
                        world_.MaxEnergy(player));
}

// ---------------------------------------------------------------------------
// A frame

int JavelinEvent::EventFrame() {
  target_ = ShellBackSurface();  // none: this frame is not drawn
  UpdateControllers();
  if (phase_ != kPlay) {
    const int locals[2] = {LocalPlayer(0), LocalPlayer(1)};
    TitleFrame(phase_, kTitle, locals, g_playMode == 1 ? 2 : 1);
    return ReadLocalInput() == 1 ? 1 : 0;
  }
  if (PlayStep()) return EndEvent();
  if (ReadLocalInput() == 1) return 1;
  DrawViews();
  DrawStatus(true);
  DrawModeIcons();
  DrawPanel();
  return 0;
}

void JavelinEvent::TitleBegin() {
  titleAnnouncer_ = sounds_[kSndAnnouncer];
  Play(kSndAnnouncer);
  titleFrames_ = (g_lowMemory || !announcer_) ? 1 : std::max<int>(announcer_->FrameCount(), 1);
}

void JavelinEvent::TitleWaitFrame() {
  if (target_ && scratch_) target_->Blt(0, 0, 640, 480, scratch_, 0, 0);
}

void JavelinEvent::TitleEnd() {
  DeleteAndClear(transition_);
  DeleteAndClear(titleBox_);
  DeleteAndClear(announcer_);
  DeleteAndClear(scratch_);
}

void JavelinEvent::UpdateControllers() {
  // A person whose machine left is steered by the computer from the frame in
  // which any machine's output record first says so: the same frame on all.
  const uint8_t persons = AgreeOnLeavers(kOutLeft, persons_);
  world_.computer = static_cast<uint8_t>(~persons & 0xF);
}

int JavelinEvent::TitleStep(int direction) {
  ShellFlip();
  if (target_ && scratch_) target_->Blt(0, 0, 640, 480, scratch_, 0, 0);
  if (titleBox_ && transition_) {
    titleBox_->FillRect(0, 0, 300, 300, 1);
    if (announcer_) announcer_->DrawFrame(titleFrame_, titleBox_, 0, 0);
    transition_->Step(static_cast<unsigned>(fadeLevel_));
  }
  fadeLevel_ = std::clamp(fadeLevel_ + 8 * direction, 0, 64);
  if (++titleFrame_ > titleFrames_) titleFrame_ = 1;
  world_.frameCounter = 1;
  return fadeLevel_;
}

int JavelinEvent::PlayStep() {
  ++world_.frameCounter;
  if (world_.frameCounter > 2) ShellFlip();
  if (world_.frameCounter > kLastPlayFrame) return 1;
  world_.PlayFrame();
  if (BeepsAt(world_.frameCounter) && !IsPlayingSlot(sounds_[kSndBeep])) Play(kSndBeep);
  SetSyncCheck(world_.SyncValue());
  return 0;
}

// ---------------------------------------------------------------------------
// Drawing: reads the state, never changes it

void JavelinEvent::DrawObject(const JcObject& o, int camX, int camY, int ox, bool oneView) {
  Sprite* s = (o.picture >= 0 && o.picture < kPictures) ? pictures_[o.picture] : nullptr;
  if (o.cls == kFalling && o.z > 6 && pictures_[kPictureObjects]) {
    // The shadow on the ground under it, darkening the field's colours.
    static const uint8_t* shade = [] {
      static uint8_t t[256];
      for (int i = 0; i < 256; ++i) t[i] = static_cast<uint8_t>(i);
      const int from[] = {32, 39, 41, 44, 49, 60, 64, 79, 80, 83, 100, 114};
      const int to[] = {75, 16, 64, 75, 70, 16, 23, 16, 16, 16, 16, 16};
      for (size_t i = 0; i < sizeof from / sizeof from[0]; ++i) t[from[i]] = static_cast<uint8_t>(to[i]);
      return t;
    }();
    pictures_[kPictureObjects]->DrawFrameVariant(kShadowFrame, target_, o.screenX - camX - 10 + ox,
                                                 o.screenY - camY - 8 + o.z, shade, 2);
  }
  if (s) s->DrawFrame(o.frame, target_, o.screenX - camX - o.anchorX + ox, o.screenY - camY - o.anchorY);
  if (o.cls != kContestant || o.state != kReeling || o.starCounter >= 4) return;
  const int p = o.slot;
  const PlayerRecord& rec = g_players[p];
  const int32_t starFrame = world_.contestant[p].starFrame;
  if (oneView && p == LocalPlayer(0) && rec.energy <= 10 && !o.bombHit) {
    if (star2_) star2_->DrawFrame(o.starCounter, target_, 110, 30);
    return;
  }
  if (o.tick > 0 && !o.bombHit && starFrame > 0) {
    const int x = o.screenX - camX - o.anchorX + 4 * o.tick + ox;
    if (star1_) star1_->DrawFrame(starFrame, target_, x, o.screenY - camY - o.anchorY + 5 * o.tick);
    if (star2_ && rec.energy <= (world_.MaxEnergy(p) >> 1))
      star2_->DrawFrame(12 - starFrame, target_, x, o.screenY - camY - o.anchorY - 5 * o.tick);
  }
}

void JavelinEvent::DrawView(int player, int ox, int width) {
  const JcObject* c = world_.Contestant(player);
  const ScreenPos middle = Project(kFieldMaxX / 2, kFieldMaxY / 2, 0);
  const int32_t sx = c ? c->screenX : middle.x, sy = c ? c->screenY : middle.y;
  const int camX = sx - width / 2, camY = sy - 200;
  if (field_) field_->Draw(target_, ox, 0, width, 400, camX, camY - kFieldPictureLift);
  if (cannon_) cannon_->DrawFrame(world_.cannon.frame, target_, kCannonAt.x + ox - camX, kCannonAt.y - camY);
  int32_t list[kSlots];
  const int n = world_.BuildDrawList(list);
  for (int i = 0; i < n; ++i) DrawObject(world_.objects[list[i]], camX, camY, ox, width == 640);
  if (fence_) fence_->DrawFrame(1, target_, kFenceAt.x + ox - camX, kFenceAt.y - camY);
}

void JavelinEvent::DrawViews() {
  if (!target_) return;
  if (g_playMode == 1) {
    target_->SetClipper(leftClip_);
    DrawView(LocalPlayer(0), 0, 320);
    target_->SetClipper(rightClip_);
    DrawView(LocalPlayer(1), 320, 320);
    target_->SetClipper(screenClip_);
    target_->FillRect(319, 0, 3, 400, 0);
  } else {
    target_->SetClipper(viewClip_);
    DrawView(LocalPlayer(0), 0, 640);
    target_->SetClipper(screenClip_);
  }
}

void JavelinEvent::DrawStatus(bool withHighlights) {
  if (!target_) return;
  int energy[4], highlight[4], score[4];
  for (int p = 0; p < 4; ++p) {
    const JcObject* c = world_.Contestant(p);
    energy[p] = g_players[p].energy;
    highlight[p] = c ? c->speedMultiplier - 1 : 0;
    score[p] = world_.contestant[p].score;
  }
  target_->SetClipper(screenClip_);
  DrawStatusBars(statusPicture_, 0, energy, withHighlights ? highlight : nullptr);
  DrawStatusBars(statusPicture_, 1, score, nullptr);
}

void JavelinEvent::DrawModeIcons() {
  if (!target_) return;
  for (int p = 0; p < 4; ++p) {
    const JcObject* c = world_.Contestant(p);
    if (!c) continue;
    const int x = 90 + 160 * p, y = 456;
    char n[16] = {};
    if (c->mode == kModeWeapon) {
      if (Sprite* w = pictures_[kPictureWeapon + p]) w->DrawFrame(kWeaponIconFrame, target_, x, y);
      std::snprintf(n, sizeof n, "%d", g_players[p].weaponUnits);
    } else if (c->pillSelected) {
      if (icons_) icons_->DrawFrame(1, target_, x, y);
      std::snprintf(n, sizeof n, "%d", g_players[p].powerPills);
    } else if (icons_) {
      icons_->DrawFrame(2, target_, x, y);
    }
    if (n[0]) DrawStatusText(x + 25, y, n);
  }
}

void JavelinEvent::DrawPanel() {
  if (!target_) return;
  if (OptionsMenu* menu = GetOptionsMenu())
    menu->TileRect(target_, 445, 335, 180, 60);
  else
    target_->FillRect(445, 335, 180, 60, 0);
  BitmapFont* font = font_ && font_->IsValid() ? font_ : g_screenText;
  if (!font) return;
  const std::string clock = ClockText(SecondsLeft(world_.frameCounter));
  int32_t best = 0;
  for (int p = 0; p < 4; ++p) best = std::max(best, world_.contestant[p].score);
  const std::string bestText = std::to_string(best) + pointsText_;
  const struct {
    const std::string& label;
    const std::string& value;
    int y;
  } lines[3] = {{timeLabel_, clock, 335}, {recordLabel_, recordText_, 355}, {bestLabel_, bestText, 375}};
  for (const auto& l : lines) {
    font->SetFlags(0);
    font->DrawText(target_, 450, l.y, l.label.c_str());
    font->SetFlags(kFontAlignRight);
    font->DrawText(target_, 620, l.y, l.value.c_str());
  }
  font->SetFlags(0);
}

void JavelinEvent::DrawFirstPicture() {
  for (int p = 0; p < 4; ++p)
    if (JcObject* c = world_.Contestant(p)) c->ProjectToScreen();
  if (!target_) return;
  // The field, the cannon at rest and the fence, no objects yet.
  const JcObject* own = world_.Contestant(LocalPlayer(0));
  target_->SetClipper(viewClip_);
  if (own) {
    const int camX = own->screenX - 320, camY = own->screenY - 200;
    if (field_) field_->Draw(target_, 0, 0, 640, 400, camX, camY - kFieldPictureLift);
    if (cannon_) cannon_->DrawFrame(kCannonFrames, target_, kCannonAt.x - camX, kCannonAt.y - camY);
    if (fence_) fence_->DrawFrame(1, target_, kFenceAt.x - camX, kFenceAt.y - camY);
  }
  target_->SetClipper(screenClip_);
  DrawStatus(false);
  if (scratch_ && scratch_->HasSurface()) scratch_->Blt(0, 0, 640, 480, target_, 0, 0);
  DDSurface* primary = ShellPrimarySurface();
  if (primary && primary != target_) primary->Blt(0, 0, 640, 480, target_, 0, 0);
}

std::vector<std::pair<void*, size_t>> JavelinInstanceGlobals() { return {{&g_jcEvent, sizeof g_jcEvent}}; }

}  // namespace jc

void RegisterJavelinCatchEvent() {
  RegisterEventScreen(9, [] { return static_cast<GameScreen*>(new jc::JavelinEvent()); });
}
