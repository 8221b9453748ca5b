#include "events/maze3d/maze_character.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "base/debug.h"
#include "base/player_records.h"
#include "events/maze3d/maze3d_data.h"
#include "events/maze3d/maze_autopilot.h"
#include "events/maze3d/rc_hud.h"
#include "events/maze3d/rc_loader.h"
#include "events/maze3d/rc_mover.h"
#include "events/maze3d/rc_support.h"
#include "events/maze3d/rc_tables.h"
#include "screen/game_screen_services.h"
#include "sound/sound.h"

namespace ma = mazeassets;

MazeEventSounds g_mazeEventSounds;

namespace {

// By kind: 0 RADEROZI, 1 RIZAZ, 2 RAREZ VUDA, 3 ZARU, 4 RAZIRAZO, 5 ZOVI.
const MazeFamily kFamilies[6] = {
    {4, 28, 10, 7, 5, 2, 5, 1, 40, true, false, false, false, true, {"-AAAAA", "-AABBA"}, 0},
    {0, 22, 12, 9, 3, 3, 4, 1, 30, false, false, true, false, false, {"A-AAAA", "A-ABBA"}, 1},
    {1, 26, 10, 7, 5, 6, 6, 2, 30, false, true, false, false, false, {"AA-AAA", "AA-ABA"}, 0},
    {2, 31, 12, 9, 3, 3, 4, 1, 30, false, false, false, false, false, {"ABA-BA", "ABA-BA"}, 0},
    {3, 31, 12, 9, 4, 4, 4, 1, 30, false, false, false, false, false, {"ABAB-A", "AAAA-A"}, 2},
    {5, 31, 8, 5, 5, 4, 4, 1, 30, false, false, false, true, false, {"AAAAB-", "AAAAA-"}, 0},
};

constexpr int32_t kEnergyFull = 0x640000;     // 100.0
constexpr int32_t kEnergyGone = 0x1AAF4;      // below this a hit leaves nothing
constexpr int32_t kEnergyGetUp = 0xA0000;     // 10.0
constexpr uint32_t kPillFrames = 160;
constexpr int kKeyRight = 0, kKeyBack = 1, kKeyLeft = 2, kKeyForward = 3, kKeyUse = 4, kKeySelect = 5;

int Wrap(int h) {
  if (h >= kMazeTurn) h -= kMazeTurn;
  if (h < 0) h += kMazeTurn;
  return h;
}

const ma::CharacterPoses& PosesOf(const MazeFamily& f) { return ma::kCharacterPoses[f.character]; }

}  // namespace

const MazeFamily& MazeFamilyOfKind(int kind) { return kFamilies[(kind >= 0 && kind < 6) ? kind : 0]; }

int MazeKindOfCharacter(int character) { return ma::kKindOfCharacter[(character >= 0 && character < 6) ? character : 0]; }

int32_t MazeHitDamage(int32_t strength, int32_t endurance) {
  strength = std::clamp(strength, 0, 100);
  endurance = std::clamp(endurance, 0, 100);
  return ((strength * 0x50000) / 50) * (100 - endurance) / 50;
}

int32_t MazeEnergyBar(int32_t energy) { return std::clamp(((energy / 100) * 60) >> 16, 0, 60); }

int32_t MazeEnergyAfterHit(int32_t energy, int32_t damage) {
  const int32_t left = energy - std::max(0, damage);
  return left < kEnergyGone ? 0 : left;
}

void MazePlaySlot(int32_t slot) {
  if (g_soundManager && slot >= 0) g_soundManager->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
}

bool MazeSlotPlaying(int32_t slot) { return g_soundManager && slot >= 0 && g_soundManager->IsPlaying(slot); }

MazeCharacter* MakeMazeCharacter(int character, int index) {
  switch (character) {
    case 0: return new (std::nothrow) RizazMazeCharacter(index);
    case 1: return new (std::nothrow) RarezVudaMazeCharacter(index);
    case 2: return new (std::nothrow) BuffMazeCharacter(index);
    case 3: return new (std::nothrow) RazirazoMazeCharacter(index);
    case 5: return new (std::nothrow) ZoviMazeCharacter(index);
    default: return new (std::nothrow) RaderoziMazeCharacter(index);
  }
}

// ---------------------------------------------------------------------------
// Construction and teardown

MazeCharacter::MazeCharacter(int index, int kind)
    : index_(index & 3),
      family_(&MazeFamilyOfKind(kind)),
      player_(&g_mazePlayers[index & 3]),
      runner_(&g_mazeRunners[index & 3]) {
  const PlayerRecord& rec = g_players[index_];
  MazeHud* hud = g_mazeHud;
  const int32_t units = std::max(0, rec.weaponUnits);
  const int32_t pills = std::clamp(rec.powerPills, 0, 0xFFFF);
  if (hud) {
    hud->weaponUnits[index_] = units;
    hud->powerPills[index_] = uint16_t(pills);
  }
  player_->energy = std::clamp(rec.energy, 0, 100) << 16;
  if (hud) hud->energy[index_] = MazeEnergyBar(player_->energy);
  for (int j = 0; j < 4; ++j) damage_[j] = MazeHitDamage(rec.strength, g_players[j].endurance);
  endurance_ = std::clamp(rec.endurance, 0, 100);
  speedStat_ = std::clamp(rec.speed, 0, 100);
  player_->recovery = 0;
  if (!rec.human) {
    autoPilot_.reset(new (std::nothrow) MazeAutoPilot(index_));
    runner_->human = 0;
  } else {
    runner_->human = 1;
  }
  // The weapon is chosen at the start only when there is something to throw.
  itemMode_ = units > 0 ? 1 : (pills > 0 ? 2 : 0);
  if (hud) hud->itemIcon[index_] = uint8_t(units > 0 ? index_ : (pills > 0 ? kHudIconPill : kHudIconFists));
  LoadSounds();
  const std::string dataDir = ShellDataPath("");
  loaded_ = LoadFaceAndWeapon(dataDir.c_str());
  if (loaded_) loaded_ = LoadColours(dataDir.c_str());
}

MazeCharacter::~MazeCharacter() {
  WriteBack();
  for (int k = 0; k < ma::kCharacterSounds; ++k) {
    int32_t& slot = g_mazePlayerSounds[index_][k];
    if (g_soundManager && slot >= 0) {
      g_soundManager->Stop(slot);
      g_soundManager->FreeSlot(slot);
    }
    if (g_mazeTkoSound == slot) g_mazeTkoSound = -1;
    slot = -1;
  }
  // The pose tables point into the blocks: clear them with the blocks.
  player_->spriteBlock = nullptr;
  std::memset(player_->poses, 0, sizeof player_->poses);
  runner_->pose = nullptr;
  RcFree(spriteBlock_);
  MazeSpriteSet& weapon = g_mazeSpriteSets[kSpriteSetFirstWeapon + index_];
  if (weapon.block == weaponBlock_) std::memset(&weapon, 0, sizeof weapon);
  RcFree(weaponBlock_);
  if (g_mazeHud) g_mazeHud->SetMapIcon(index_, nullptr);
}

void MazeCharacter::WriteBack() const {
  PlayerRecord& rec = g_players[index_];
  if (g_mazeHud) {
    rec.weaponUnits = std::max(0, g_mazeHud->weaponUnits[index_]);
    rec.powerPills = int32_t(g_mazeHud->powerPills[index_]);
  }
  rec.energy = std::clamp(player_->energy >> 16, 0, 100);
}

void MazeCharacter::LoadSounds() {
  const int c = family_->character;
  for (int k = 0; k < ma::kCharacterSounds; ++k) {
    int32_t& slot = g_mazePlayerSounds[index_][k];
    slot = g_soundManager ? g_soundManager->AllocSlot() : -1;
    if (slot < 0) continue;
    const char* name = ma::kCharacterSound[c][k];
    const std::string path = ma::SoundInProgramDir(name) ? ShellProgramPath(name) : ShellDataPath(name);
    if (!g_soundManager->LoadWaveFile(slot, path.c_str(), 0, 1, 0))
      DebugPrintf("Cannot load the sound %s.\n", path.c_str());
  }
}

bool MazeCharacter::LoadFaceAndWeapon(const char* dataDir) {
  const int c = family_->character;
  const ma::CharacterPoses& poses = PosesOf(*family_);
  const std::string dir(dataDir);
  RcLoader loader;
  spriteBlock_ = loader.LoadSpriteRle((dir + ma::kCharacterSprite[c]).c_str());
  weaponBlock_ = loader.LoadSpriteRle((dir + ma::kWeaponSprite[c]).c_str());
  if (!spriteBlock_ || !weaponBlock_) return false;
  // The pose tables in the file's order; every table must be there whole.
  const uint8_t** t = player_->poses;
  struct Table {
    int slot, count;
  };
  Table order[9] = {{kStandPoseSlot, poses.stand}, {kWalkPoseSlot, poses.walk},   {kDownPoseSlot, poses.down},
                    {kGetUpPoseSlot, poses.getUp}, {kHitPoseSlot, poses.hit},     {kHit2PoseSlot, poses.hit2},
                    {kThrowPoseSlot, poses.throwing}, {kAttack1PoseSlot, poses.attack1},
                    {kAttack2PoseSlot, poses.attack2}};
  if (poses.attackBeforeThrow) std::swap(order[6], order[7]);
  int first = 0;
  for (const Table& table : order) {
    if (table.count && !RcWalkPoses(spriteBlock_, first, table.count, ma::kDirections, t + table.slot)) {
      DebugPrintf("Message: %s%s holds too few poses.\n", dataDir, ma::kCharacterSprite[c]);
      return false;
    }
    first += table.count * ma::kDirections;
  }
  MazeSpriteSet& weapon = g_mazeSpriteSets[kSpriteSetFirstWeapon + index_];
  std::memset(&weapon, 0, sizeof weapon);
  if (!RcWalkPoses(weaponBlock_, 0, ma::kWeaponPoses, ma::kDirections, weapon.poses)) {
    DebugPrintf("Message: %s%s holds too few poses.\n", dataDir, ma::kWeaponSprite[c]);
    return false;
  }
  weapon.block = weaponBlock_;
  player_->spriteBlock = spriteBlock_;
  return true;
}

bool MazeCharacter::LoadColours(const char* dataDir) {
  const int c = family_->character;
  const std::string dir(dataDir);
  const int band = ma::kBandFirst + ma::kCharacterColours * index_;
  RcLoader loader;
  uint8_t palette[1024] = {};
  bool ok;
  if (g_mazeRoundState == 1) {
    ok = loader.LoadBmpPalette((dir + ma::kNightPalette[c]).c_str(), palette);
  } else if (g_mazeRoundState == 2) {
    ok = loader.LoadBmpPalette((dir + ma::kSunsetPalette[c]).c_str(), palette);
  } else {
    ok = loader.LoadSecrPalette((dir + ma::kCharacterSprite[c]).c_str(), palette);
  }
  // Without its palette the band keeps a grey ramp: the character still shows.
  if (ok) RcLoader::CopyPaletteRange(palette, g_mazePalette, 1, uint8_t(band), ma::kCharacterColours);
  RcLoader::ShiftSpriteColours(1, uint8_t(band), spriteBlock_, uint32_t(PosesOf(*family_).total() * ma::kDirections));
  uint8_t* face = loader.LoadPicture((dir + ma::kFaceFile[c]).c_str(), kHudFaceW, kHudFaceH);
  uint8_t* icon = loader.LoadPicture((dir + ma::kMapIcon[c]).c_str(), kHudMapIconSize, kHudMapIconSize);
  uint8_t* weapon = loader.LoadPicture((dir + ma::kWeaponIcon[c]).c_str(), kHudIconW, kHudIconH);
  if (face) RcLoader::ShiftColours(1, uint8_t(band), face, kHudFaceBytes);
  if (icon) RcLoader::ShiftColours(1, uint8_t(band), icon, kHudMapIconBytes);
  if (g_mazeHud) {
    g_mazeHud->SetFace(index_, face);
    g_mazeHud->SetMapIcon(index_, icon);
    g_mazeHud->SetWeaponIcon(index_, weapon);
  } else {
    RcFree(face);
    RcFree(icon);
    RcFree(weapon);
  }
  player_->ready = 1;
  player_->frame = 0;
  player_->action = 0;
  player_->kind = uint32_t(family_ - kFamilies);
  player_->hasKey = 0;
  player_->score = 200;
  runner_->pose = player_->poses[kStandPoseSlot];
  runner_->viewValue = g_floorRowTables[65];
  runner_->screenX = index_ == 1 ? 322 : 0;
  runner_->flags = kRunnerStartFlags;
  runner_->moveDistance = 0;
  runner_->player = uint16_t(index_);
  runner_->viewIndex = 65;
  runner_->level = 0;
  runner_->viewOffset = -10;
  runner_->colour = uint8_t(band + family_->colourOffset);
  runner_->radius = uint16_t(g_mazeSingleView ? family_->radiusSingle : family_->radiusSplit);
  return true;
}

void MazeCharacter::SetFrameRate(uint16_t rate) {
  const uint32_t d = std::max<uint32_t>(rate, 1);
  maxSpeed_ = ((uint32_t(speedStat_) + 240) / d) << 16;
  speedStep_ = maxSpeed_ / d;
  fixedTurn_ = int16_t(400 / d);
  maxTurnRate_ = int32_t((1600 / d) << 16);
  turnStep_ = maxTurnRate_ / int32_t(d);
}

void MazeCharacter::TakeOverByComputer() {
  if (runner_->human == 0 && autoPilot_) return;
  if (!autoPilot_) autoPilot_.reset(new (std::nothrow) MazeAutoPilot(index_));
  if (autoPilot_) runner_->human = 0;
}

uint32_t MazeCharacter::SyncWord() const {
  uint32_t h = uint32_t(itemMode_) | uint32_t(comboCount_) << 4 | uint32_t(selectHeld_) << 8;
  h = h * 31u + speed_;
  h = h * 31u + uint32_t(turnRate_);
  h = h * 31u + pillStartFrame_;
  return h;
}

// ---------------------------------------------------------------------------
// Small steps

void MazeCharacter::PlaySound(int which, bool unlessPlaying) const {
  if (!(g_mazeAudibleMask & (1u << index_))) return;
  const int32_t slot = g_mazePlayerSounds[index_][which];
  if (unlessPlaying && MazeSlotPlaying(slot)) return;
  MazePlaySlot(slot);
}

void MazeCharacter::PlayVictimSound(int victim, int which, bool unlessPlaying) const {
  if (!(g_mazeAudibleMask & (1u << victim))) return;
  const int32_t slot = g_mazePlayerSounds[victim][which];
  if (unlessPlaying && MazeSlotPlaying(slot)) return;
  MazePlaySlot(slot);
}

uint32_t MazeCharacter::Move() {
  return g_mazeSingleView ? g_mazeMover.MoveCharacterWide(*runner_) : g_mazeMover.MoveCharacter(*runner_);
}

uint32_t MazeCharacter::MoveBackwards() {
  const uint16_t saved = runner_->moveHeading;
  runner_->moveHeading = uint16_t(Wrap(saved + 900));
  const uint32_t r = Move();
  runner_->moveHeading = saved;
  return r;
}

void MazeCharacter::FixedTurn() {
  const uint8_t* in = g_playerStates[index_];
  if (in[kKeyRight]) {
    runner_->heading = int16_t(Wrap(runner_->heading + fixedTurn_));
  } else if (in[kKeyLeft]) {
    runner_->heading = int16_t(Wrap(runner_->heading - fixedTurn_));
  } else {
    return;
  }
  runner_->moveHeading = uint16_t(runner_->heading);
}

void MazeCharacter::AcceleratedTurn() {
  const uint8_t* in = g_playerStates[index_];
  if (in[kKeyRight]) {
    if (turnRate_ < 0) turnRate_ = 0;
    turnRate_ = std::min(turnRate_ + turnStep_, maxTurnRate_);
  } else if (in[kKeyLeft]) {
    if (turnRate_ > 0) turnRate_ = 0;
    turnRate_ = std::max(turnRate_ - turnStep_, -maxTurnRate_);
  } else {
    turnRate_ = 0;
    return;
  }
  runner_->heading = int16_t(Wrap(runner_->heading + (turnRate_ >> 16)));
  runner_->moveHeading = uint16_t(runner_->heading);
}

void MazeCharacter::GrowSpeed() {
  if (speed_ < maxSpeed_) speed_ += speedStep_;
  runner_->moveDistance = int16_t((speed_ >> 16) + uint32_t(pillSpeedBonus_));
}

void MazeCharacter::GainEnergy(int32_t amount) {
  if (player_->energy > kEnergyFull) return;  // tested before the addition
  player_->energy += amount;
  if (g_mazeHud) g_mazeHud->energy[index_] = MazeEnergyBar(player_->energy);
}

void MazeCharacter::EndAction() {
  player_->action = 0;
  player_->frame = 0;
  player_->ready = 1;
  runner_->pose = player_->poses[kStandPoseSlot];
  runner_->moveDistance = 0;
  turnRate_ = 0;
}

void MazeCharacter::StartAction(int action, int poseSlot) {
  player_->action = uint16_t(action);
  player_->frame = 0;
  player_->ready = 0;
  runner_->moveDistance = 0;
  runner_->pose = player_->poses[poseSlot];
}

void MazeCharacter::StartAttack() {
  if (comboCount_ == 2) {
    StartAction(3, kAttack2PoseSlot);
    comboCount_ = 0;
  } else {
    StartAction(2, kAttack1PoseSlot);
    ++comboCount_;
  }
}

void MazeCharacter::StartThrow() { StartAction(4, kThrowPoseSlot); }

// After the last unit is thrown: the pill when there is one, else fists.
void MazeCharacter::SelectAfterEmpty() {
  if (!g_mazeHud) return;
  if (g_mazeHud->powerPills[index_]) {
    itemMode_ = 2;
    g_mazeHud->itemIcon[index_] = kHudIconPill;
  } else {
    itemMode_ = 0;
    g_mazeHud->itemIcon[index_] = kHudIconFists;
  }
}

// ---------------------------------------------------------------------------
// One update

void MazeCharacter::Update() {
  if (player_->hold || !(runner_->flags & kRunnerInPlay)) return;
  if (!runner_->human && autoPilot_ && g_mazeRoundState == 0) autoPilot_->Think();
  MazeHud* hud = g_mazeHud;
  if (pillStartFrame_ && g_mazeFrameCount - pillStartFrame_ >= kPillFrames) {
    pillSpeedBonus_ = 0;
    pillStartFrame_ = 0;
    if (hud) hud->faceCounter[index_] = 255;
  }
  MazeSelectItem(uint16_t(index_), itemMode_);
  const uint8_t* in = g_playerStates[index_];
  if (!in[kKeySelect] && selectHeld_ == 1) {
    ++itemMode_;
    if (hud) {
      if (itemMode_ == 1) {
        if (hud->weaponUnits[index_] < 1) {
          itemMode_ = hud->powerPills[index_] ? 2 : 0;
          hud->itemIcon[index_] = uint8_t(itemMode_ == 2 ? kHudIconPill : kHudIconFists);
        } else {
          hud->itemIcon[index_] = uint8_t(index_);
        }
      } else if (itemMode_ == 2 && hud->powerPills[index_]) {
        hud->itemIcon[index_] = kHudIconPill;
      } else {
        itemMode_ = 0;
        hud->itemIcon[index_] = kHudIconFists;
      }
    }
    selectHeld_ = 0;
  }
  if (in[kKeySelect]) selectHeld_ = 1;
  if (player_->ready) {
    TakeInput();
  } else {
    RunAction();
  }
}

void MazeCharacter::TakeInput() {
  const uint8_t* in = g_playerStates[index_];
  MazeHud* hud = g_mazeHud;
  if (in[kKeyUse]) {
    if (itemMode_ == 0) {
      StartAttack();
      return;
    }
    if (itemMode_ == 1) {
      // Nothing to throw: the fists instead (units never go below zero).
      if (hud && hud->weaponUnits[index_] < 1) {
        SelectAfterEmpty();
        if (itemMode_ == 0) StartAttack();
        return;
      }
      StartThrow();
      return;
    }
    if (itemMode_ == 2 && pillStartFrame_ == 0 && hud && hud->powerPills[index_] > 0) {
      MazePlaySlot(g_mazeEventSounds.pill);
      pillSpeedBonus_ = int16_t(maxSpeed_ >> 16);
      pillStartFrame_ = std::max<uint32_t>(g_mazeFrameCount, 1);
      hud->faceCounter[index_] = 0;
      if (--hud->powerPills[index_] == 0) {
        itemMode_ = 0;
        hud->itemIcon[index_] = kHudIconFists;
      }
    }
  }
  if (family_->turnBeforeMove) AcceleratedTurn();
  if (in[kKeyForward]) {
    if (player_->recovery > 0) --player_->recovery;
    player_->ready = 0;
    player_->action = 1;
    player_->frame = 0;
    GrowSpeed();
    runner_->pose = player_->poses[kWalkPoseSlot];
    runner_->wallMargin = 0;
    Move();
    FixedTurn();
  } else if (in[kKeyBack]) {
    if (player_->recovery > 0) --player_->recovery;
    const int start = PosesOf(*family_).walk - 1;
    player_->action = 10;
    player_->frame = uint16_t(start);
    player_->ready = 0;
    GrowSpeed();
    runner_->pose = player_->poses[kWalkPoseSlot + start];
    MoveBackwards();
    FixedTurn();
  } else {
    GainEnergy(64 * endurance_);
    if (player_->recovery > 0) --player_->recovery;
    speed_ = 0;
    player_->action = 0;
    player_->frame = 0;
    runner_->pose = player_->poses[kStandPoseSlot];
    runner_->moveDistance = 0;
  }
  if (!family_->turnBeforeMove) AcceleratedTurn();
  comboCount_ = 0;
}

void MazeCharacter::Walk() {
  const uint8_t* in = g_playerStates[index_];
  const int limit = PosesOf(*family_).walk - 2;
  if (player_->frame < limit) {
    GainEnergy(2 * endurance_);
    ++player_->frame;
    if (player_->frame == 1) PlaySound(ma::kSoundRun, true);
    GrowSpeed();
    runner_->pose = player_->poses[kWalkPoseSlot + player_->frame];
    Move();
  } else {
    ++player_->frame;
    GrowSpeed();
    runner_->pose = player_->poses[kWalkPoseSlot + std::min<int>(player_->frame, limit + 1)];
    player_->ready = 1;
    Move();
    turnRate_ = 0;
  }
  FixedTurn();
  if (!in[kKeyForward]) {
    speed_ = 0;
    player_->action = 0;
    player_->frame = 0;
    runner_->pose = player_->poses[kStandPoseSlot];
    runner_->moveDistance = 0;
    player_->ready = 1;
  }
  // A family that strikes out of its stride.
  if (family_->attacksOutOfWalking && in[kKeyUse] && player_->action == 1) {
    if (itemMode_ == 0) {
      StartAttack();
    } else if (itemMode_ == 1 && g_mazeHud && g_mazeHud->weaponUnits[index_] > 0) {
      StartThrow();
    }
  }
}

void MazeCharacter::WalkBackwards() {
  const uint8_t* in = g_playerStates[index_];
  const bool classic = family_->turnBeforeMove;  // RADEROZI counts down to 0 itself
  const int runAt = PosesOf(*family_).walk - 2;
  if (classic ? player_->frame == 0 : player_->frame < 2) {
    player_->frame = 0;
    GrowSpeed();
    runner_->pose = player_->poses[classic ? kStandPoseSlot : kWalkPoseSlot];
    player_->ready = 1;
    MoveBackwards();
    turnRate_ = 0;
  } else {
    GrowSpeed();
    --player_->frame;
    if (player_->frame == runAt) PlaySound(ma::kSoundRun, true);
    runner_->pose = player_->poses[kWalkPoseSlot + player_->frame];
    MoveBackwards();
  }
  FixedTurn();
  if (!in[kKeyBack]) {
    speed_ = 0;
    player_->action = 0;
    player_->frame = 0;
    runner_->pose = player_->poses[kStandPoseSlot];
    runner_->moveDistance = 0;
    player_->ready = 1;
  }
}

void MazeCharacter::RunAction() {
  const ma::CharacterPoses& poses = PosesOf(*family_);
  MazeHud* hud = g_mazeHud;
  uint16_t& frame = player_->frame;
  switch (player_->action) {
    case 1:
      Walk();
      break;
    case 10:
      WalkBackwards();
      break;
    case 2:
      if (frame < poses.attack1 - 1) {
        ++frame;
        runner_->pose = player_->poses[kAttack1PoseSlot + frame];
        if (frame == family_->attack1At) {
          PlaySound(ma::kSoundAttack1);
          HitProbe(0);
        }
      } else {
        EndAction();
      }
      break;
    case 3:
      if (frame < poses.attack2 - 1) {
        ++frame;
        runner_->pose = player_->poses[kAttack2PoseSlot + frame];
        if (frame == family_->attack2At) {
          PlaySound(ma::kSoundAttack2);
          HitProbe(1);
        }
      } else {
        EndAction();
      }
      break;
    case 4:
      if (frame < poses.throwing - 1) {
        ++frame;
        if (frame == poses.throwing - 1) PlaySound(ma::kSoundWeapon);
        runner_->pose = player_->poses[kThrowPoseSlot + frame];
        if (frame == family_->throwAt) {
          PlaySound(ma::kSoundThrow);
          if (hud && hud->weaponUnits[index_] > 0) {
            LaunchShot();
            if (--hud->weaponUnits[index_] == 0) SelectAfterEmpty();
          }
        }
      } else {
        EndAction();
      }
      break;
    case 5:
      if (frame < poses.hit - 1) {
        ++frame;
        runner_->pose = player_->poses[kHitPoseSlot + frame];
        if (frame == 1) PlaySound(ma::kSoundReaction1);
        if (family_->recoversWhileHit) player_->recovery += 3;
      } else {
        if (!family_->recoversWhileHit) player_->recovery += 20;
        EndAction();
      }
      break;
    case 8:
      if (poses.hit2 && frame < poses.hit2 - 1) {
        ++frame;
        runner_->pose = player_->poses[kHit2PoseSlot + frame];
        if (frame == 1) PlaySound(ma::kSoundReaction2);
      } else {
        player_->recovery += 20;
        EndAction();
      }
      break;
    case 6: {
      const int last = poses.down - 1;
      if (frame < last) {
        ++frame;
        if (frame == family_->downSoundAt) PlaySound(ma::kSoundDown);
        if (frame == last && (g_mazeAudibleMask & (1u << index_))) {
          if (!MazeSlotPlaying(g_mazeTkoSound)) MazePlaySlot(g_mazePlayerSounds[index_][ma::kSoundKnockOut]);
          g_mazeTkoSound = g_mazePlayerSounds[index_][ma::kSoundKnockOut];
        }
        runner_->pose = player_->poses[kDownPoseSlot + frame];
        break;
      }
      runner_->wallMargin = 0;
      if (player_->recovery == 0) {
        GainEnergy((endurance_ << 16) / 100);
      } else if (player_->recovery > 0) {
        --player_->recovery;
      } else {
        player_->recovery = 0;
      }
      if (player_->energy >= kEnergyGetUp && player_->recovery == 0) {
        player_->action = 7;
        frame = 0;
        runner_->pose = player_->poses[kGetUpPoseSlot];
      }
      break;
    }
    case 7: {
      const int last = poses.getUp - 1;
      if (frame < last) {
        // RIZAZ steps two frames at a time and shows the odd poses 1, 3,
        // 5, 7: his frame runs one ahead of the pose it shows.
        if (family_->getUpByTwo) {
          frame = uint16_t(frame + 2);
          runner_->pose = player_->poses[kGetUpPoseSlot + std::min(frame - 1, last)];
        } else {
          ++frame;
          runner_->pose = player_->poses[kGetUpPoseSlot + frame];
        }
      } else {
        EndAction();
      }
      break;
    }
    default:
      break;  // an action without a handler does nothing
  }
}

// ---------------------------------------------------------------------------
// Attacks and shots

void MazeCharacter::HitProbe(int attack) {
  const int32_t x = runner_->x, y = runner_->y;
  runner_->moveDistance = 6;
  const uint32_t r = Move();
  runner_->x = x;
  runner_->y = y;
  runner_->moveDistance = 0;
  const uint32_t target = r & 0xFFFF;
  if (target < 4 || (target >= uint32_t(kMazeFirstMonster) && target <= uint32_t(kMazeLastMonster)))
    Hit(int(target), attack);
}

void MazeCharacter::LaunchShot() {
  for (int k = kMazeFirstShot; k < kMazeLastShot; ++k) {
    MazeObjectRecord& o = g_mazeObjects[k];
    if (o.active) continue;
    o.active = 1;
    o.x = runner_->x;
    o.y = runner_->y;
    o.heading = uint16_t(runner_->heading);
    o.range = 800;
    o.step = uint16_t(family_->shotStep);
    o.poseIndex = 0;
    o.state = uint32_t(index_ + kSpriteSetFirstWeapon);
    o.pose = g_mazeSpriteSets[o.state].poses[0];
    o.weapon = player_->kind;
    o.shooter = uint32_t(index_);
    return;
  }
}

void MazeCharacter::HitWithAttack1(int target) { Hit(target, 0); }
void MazeCharacter::HitWithAttack2(int target) { Hit(target, 1); }

namespace {

// The first free explosion record becomes one of `kind` at (x, y).
void Explode(int kind, int32_t x, int32_t y) {
  for (int k = kMazeFirstExplosion; k <= kMazeLastExplosion; ++k) {
    MazeObjectRecord& e = g_mazeObjects[k];
    if (e.active) continue;
    e.active = 1;
    e.x = x;
    e.y = y;
    e.state = uint32_t(kind);
    e.poseIndex = 0;
    e.pose = g_mazeSpriteSets[kind].poses[0];
    return;
  }
}

}  // namespace

void MazeThrowOutKeyMan(int victim);

void MazeCharacter::Hit(int target, int attack) {
  MazeHud* hud = g_mazeHud;
  if (target >= kMazeFirstMonster) {
    MazeObjectRecord& m = g_mazeObjects[target];
    if (m.state != 2) {
      if (++m.range >= 3) {
        m.state = 2;
        m.poseIndex = 9;
        m.pose = g_mazeSpriteSets[kSpriteSetMonster].poses[9];
        player_->score += 20;
        if (hud) hud->weaponUnits[index_] += 2;
      } else {
        player_->score += 10;
      }
    }
    Explode(kSpriteSetFirstExplosion + 3, runner_->x, runner_->y);
    return;
  }
  MazePlayerRecord& v = g_mazePlayers[target];
  MazeRunnerRecord& vr = g_mazeRunners[target];
  if (v.action == 6) return;
  v.score = std::max(0, v.score - 50);
  player_->score += 50;
  const char reaction = family_->victims[attack][std::min<uint32_t>(v.kind, 5)];
  if (reaction != kVictimUntouched) {
    const int32_t damage = pillStartFrame_ ? 2 * damage_[target] : damage_[target];
    v.energy = MazeEnergyAfterHit(v.energy, damage);
    if (hud) hud->energy[target] = MazeEnergyBar(v.energy);
    const bool down = (family_->bothForKnockDown && attack == 0) ? (v.energy == 0 && v.recovery >= 25)
                                                                 : (v.energy == 0 || v.recovery >= 25);
    if (down) {
      if (v.hasKey) MazeThrowOutKeyMan(target);
      v.ready = 0;
      v.action = 6;
      v.frame = 0;
      vr.moveDistance = 0;
      vr.pose = v.poses[kDownPoseSlot];
      PlayVictimSound(target, ma::kSoundDown, false);
    } else {
      const bool second = reaction == kVictimReacts2 && v.poses[kHit2PoseSlot];
      v.ready = 0;
      v.action = uint16_t(second ? 8 : 5);
      v.frame = 0;
      vr.moveDistance = 0;
      vr.pose = v.poses[second ? kHit2PoseSlot : kHitPoseSlot];
      switch (family_->reactionSoundRule) {
        case 1:
          if (attack == 1 && second) PlayVictimSound(target, ma::kSoundReaction2, false);
          else PlayVictimSound(target, ma::kSoundReaction1, true);
          break;
        case 2:
          if (attack == 0) PlayVictimSound(target, ma::kSoundReaction1, true);
          else PlayVictimSound(target, ma::kSoundReaction2, false);
          break;
        default:
          PlayVictimSound(target, attack == 0 ? ma::kSoundReaction1 : ma::kSoundReaction2, false);
          break;
      }
    }
    v.hold = 1;
    vr.heading = int16_t(Wrap(runner_->moveHeading + 900));
    vr.moveHeading = uint16_t(vr.heading);
  }
  Explode(kSpriteSetFirstExplosion + attack, vr.x, vr.y);
}
