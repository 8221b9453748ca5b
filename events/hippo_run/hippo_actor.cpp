#include "events/hippo_run/hippo_actor.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <new>

#include "base/player_records.h"
#include "events/hippo_run/hippo_rules.h"
#include "events/hippo_run/hippo_run_data.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "screen/game_screen_services.h"
#include "sound/sound.h"

using namespace hipporules;
namespace ha = hippoassets;

HippoActor* g_hippoActors[kHippoSlots] = {};
int32_t g_hippoRaceFrames = 0;
Sprite* g_hippoSprites[kHippoSpriteCount] = {};
int32_t g_hippoSoundSlots[kHippoSoundCount] = {};

namespace {

// Frames between two energy points coming back, by what the athlete does.
constexpr int kRegainStanding = 30, kRegainKnockedOut = 15, kRegainResting = 20, kRegainHippo = 20;
constexpr int kPillFrames = 225;
constexpr int kIdleBeforeRest = 100;
constexpr int kWeaponLifetime = 40, kWeaponSpeed = 20;
constexpr int kExplosionLifetime = 11;
constexpr int kCarWrapY = 3100, kCarStartY = -500, kCarStep = 20;

// The hippo's animation by state: base frame and offsets (-1 ends).
struct HippoAnim {
  int state, base;
  int seq[11];
};
constexpr HippoAnim kHippoAnim[] = {
    {3, 1, {0, 1, 2, 3, 4, 5, 6, -1}},
    {5, 12, {0, 0, 1, 1, 2, 2, 3, 3, -1}},
    {6, 12, {3, 3, 2, 2, 1, 1, 0, 0, -1}},
    {7, 8, {0, 1, 2, 2, 3, -1}},
    {9, 16, {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, -1}},
};
const HippoAnim* HippoAnimOf(int state) {
  for (const HippoAnim& a : kHippoAnim)
    if (a.state == state) return &a;
  return nullptr;
}

int SequenceLength(const int* seq, int max) {
  int n = 0;
  while (n < max && seq[n] >= 0) ++n;
  return n;
}

bool ValidRunnerState(int state) { return state >= 0 && state < ha::kAnimStates; }

// Regains one energy point once `counter` has passed `limit` frames.
void Regain(int32_t* counter, int32_t* energy, int limit) {
  if (*energy >= 100) return;
  if (++*counter > limit) {
    *counter = 0;
    ++*energy;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Sounds

void PlayHippoSound(int sound, bool restart, bool loop) {
  if (sound < 0 || sound >= kHippoSoundCount || !g_soundManager) return;
  const int slot = g_hippoSoundSlots[sound];
  if (slot < 0) return;
  if (!restart && g_soundManager->IsPlaying(slot)) return;
  g_soundManager->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, loop ? 1 : 0);
}

void StopHippoSound(int sound) {
  if (sound < 0 || sound >= kHippoSoundCount || !g_soundManager) return;
  if (g_hippoSoundSlots[sound] >= 0) g_soundManager->Stop(g_hippoSoundSlots[sound]);
}

bool HippoSoundPlaying(int sound) {
  if (sound < 0 || sound >= kHippoSoundCount || !g_soundManager) return false;
  return g_hippoSoundSlots[sound] >= 0 && g_soundManager->IsPlaying(g_hippoSoundSlots[sound]);
}

// ---------------------------------------------------------------------------
// The table

int HippoFindFreeSlot(int first) {
  for (int i = std::max(0, first); i < kHippoSlots; ++i)
    if (!g_hippoActors[i]) return i;
  return -1;
}

int HippoPlaceActor(HippoActor* actor) {
  if (!actor) return -1;
  const int slot = HippoFindFreeSlot();
  if (slot < 0) {
    delete actor;  // a full table has no room for it: it never appears
    return -1;
  }
  actor->ownIndex = slot;
  g_hippoActors[slot] = actor;
  return slot;
}

int HippoRankRunner(int mode, int n) {
  int hippoY[4];
  for (int i = 0; i < 4; ++i) {
    const HippoActor* h = g_hippoActors[4 + i];
    hippoY[i] = h ? h->worldY : 0;
  }
  int order[4];
  RankByHippo(hippoY, order);
  if (mode == 0) return order[std::clamp(n, 0, 3)];
  for (int r = 0; r < 4; ++r)
    if (order[r] == n) return r;
  return 0;
}

int HippoFirstRivalWithin(int runner, int range) {
  const HippoActor* me = (runner >= 0 && runner < 4) ? g_hippoActors[runner] : nullptr;
  if (!me) return -1;
  for (int k = 0; k < 4; ++k) {
    const HippoActor* r = g_hippoActors[k];
    if (k == runner || !r || r->kind != kKindRunner || r->state == ha::kStateKnockedOut) continue;
    if (Distance(me->worldX, me->worldY, r->worldX, r->worldY) < range) return k;
  }
  return -1;
}

void SpawnHippoExplosion(int worldX, int worldY, int frame, int drift) {
  auto* e = new (std::nothrow) HippoExplosion(0, 0, 0, worldX, worldY, 0);
  if (!e) return;
  e->sprite = g_hippoSprites[kSprExplode];
  e->kind = kKindExplosion;
  e->state = 9;
  e->phase = kExplosionLifetime;
  e->frame = frame;
  e->counter = drift;
  e->speed = 10;
  HippoPlaceActor(e);
}

int HippoTableFrame(int state, int step) {
  const HippoAnim* a = HippoAnimOf(state);
  if (!a) return 1;
  const int n = SequenceLength(a->seq, 11);
  return a->base + a->seq[std::clamp(step, 0, std::max(0, n - 1))];
}

int HippoLookFrame(int frame, int player, int sheetFrames) {
  if (sheetFrames < ha::kHippoFrames || frame < 1 || frame > ha::kHippoLookFrames) return frame;
  return frame + ha::kHippoLookFrames * std::clamp(player, 0, ha::kHippoLooks - 1);
}

bool HippoSequenceEnds(int state, int step) {
  const HippoAnim* a = HippoAnimOf(state);
  return !a || step + 1 >= SequenceLength(a->seq, 11);
}

// ---------------------------------------------------------------------------
// The base

HippoActor::HippoActor(int own, int linked, int owner, int x, int y, int dir)
    : ownIndex(own), ownerIndex(owner), linkedIndex(linked), direction(dir), worldX(x), worldY(y) {}

void HippoActor::Move(int dir, int distance) { hipporules::Move(dir, distance, &worldX, &worldY); }

void HippoActor::MoveWithContact(int distance) {
  const int d = direction;
  if (!contact || d == (contactDirection + 3) % 8 || d == (contactDirection + 4) % 8 ||
      d == (contactDirection + 5) % 8)
    Move(d, distance);
}

void HippoActor::Place() {
  const Pixel p = Project(worldX, worldY);
  pictureX = p.x;
  pictureY = p.y;
  visible = 1;
}

void HippoActor::Draw(int cameraX, int cameraY, int offsetX, int offsetY) {
  DDSurface* back = ShellBackSurface();
  if (!sprite || !back) return;
  sprite->DrawFrame(frame, back, pictureX - cameraX - hotspotX + offsetX, pictureY - cameraY - hotspotY + offsetY);
}

void HippoActor::SetFacing() { TurnSequence(direction, turnSequence); }

int HippoActor::TableFrame() const {
  if (!ValidRunnerState(state)) return frame;
  const int r = std::clamp(static_cast<int>(row), 0, ha::kRows - 1);
  const int* seq = ha::kRunnerSequence[r][state];
  const int n = SequenceLength(seq, ha::kSequenceMax);
  const int step = std::clamp(static_cast<int>(animStep), 0, std::max(0, n - 1));
  return ha::kRunnerBase[r][state][direction & 7] + seq[step];
}

bool HippoActor::SequenceEnds() const {
  if (!ValidRunnerState(state)) return true;
  const int r = std::clamp(static_cast<int>(row), 0, ha::kRows - 1);
  return animStep + 1 >= SequenceLength(ha::kRunnerSequence[r][state], ha::kSequenceMax);
}

void HippoActor::PlayVoice(int voice) {
  if (voice >= 0 && voice < 5) PlayHippoSound(voiceSounds[voice]);
}

void HippoActor::Update(HippoActor** /*table*/) { UpdateRunner(); }

// ---------------------------------------------------------------------------
// The runner

void HippoActor::UpdateRunner() {
  // 1. Who steers: a person who leaves is taken over by the computer at once.
  if (ownIndex >= 0 && ownIndex < 4) controller = g_players[ownIndex].human ? kControlPerson : kControlComputer;

  // 2-3. The keys of this frame.
  bool right = false, down = false, left = false, up = false;
  bool fire[7] = {false, false, false, false, false, false, false};  // 1..6
  if (controller == kControlPerson && ownIndex >= 0 && ownIndex < 4) {
    const uint8_t* s = g_playerStates[ownIndex];
    right = s[0] != 0;
    down = s[1] != 0;
    left = s[2] != 0;
    up = s[3] != 0;
    for (int k = 1; k <= 6; ++k) fire[k] = s[3 + k] != 0;
  } else if (controller == kControlComputer && phase == 0) {
    int heading = -1;
    bool fire1 = false;
    ChooseComputerKeys(&heading, &fire1);
    fire[1] = fire1;
    switch (heading) {
      case 0: up = true; break;
      case 1: right = up = true; break;
      case 2: right = true; break;
      case 3: right = down = true; break;
      case 4: down = true; break;
      case 5: left = down = true; break;
      case 6: left = true; break;
      case 7: up = left = true; break;
      default: break;
    }
  }
  const bool anyDirection = right || down || left || up;

  // 4. Actions, unless knocked about.
  if (state != ha::kStateKnockedOut && state != ha::kStateGettingUp && state != ha::kStateHit1 &&
      state != ha::kStateHit2) {
    const bool free = phase == 0 || state == ha::kStateStand || state == ha::kStateResting;
    if (fire[2] && free) {
      selectedItem = selectedItem >= kItemWeapon ? kItemPill : selectedItem + 1;
      if (selectedItem == kItemWeapon && weaponUnits <= 0) selectedItem = kItemPill;
    } else if (fire[1] && free) {
      savedState = state;
      state = selectedItem;
      animStep = 0;
      frame = TableFrame();
      phase = 1;
    } else if (anyDirection && free) {
      const int d = DirectionFromKeys(left, right, up, down);
      if (d == 8) {
        direction = 0;
        return;
      }
      direction = d;
      phase = 1;
      frame = TableFrame();
    } else if (free) {
      if (fire[3]) selectedItem = kItemPunch;
      else if (fire[4]) selectedItem = kItemWeapon;
      else if (fire[5]) selectedItem = kItemPill;
      else if (fire[6]) selectedItem = kItemPush;
    }
  }

  // 5. The pill wears off.
  if (pillTimer > 0 && --pillTimer == 0) {
    pillActive = 0;
    speed /= 2;
    pushPower /= 2;
    strength /= 2;
    speedStat /= 2;
  }

  // 6. The state's work. A step moves on along the sequence; `ends` tells
  // that it had no entry left (the frame then stays).
  auto step = [&]() {
    if (SequenceEnds()) return true;
    ++animStep;
    frame = TableFrame();
    return false;
  };
  switch (state) {
    case ha::kStatePill:
      if (powerPills > 0 && !pillActive) {
        --powerPills;
        ++pillsUsed;
        pillActive = 1;
        pillTimer = kPillFrames;
        speed *= 2;
        pushPower *= 2;
        strength *= 2;
        speedStat *= 2;
        PlayHippoSound(kSndPill);
      }
      state = ha::kStateStand;
      phase = 0;
      animStep = 0;
      frame = TableFrame();
      break;
    case ha::kStatePush:
      if (phase == 0) {
        phase = fire[1] ? 1 : 0;
        animStep = 0;
      } else if (phase == 1) {
        counter = 0;
        if (step()) {
          state = ha::kStateStand;
          phase = 0;
          animStep = 0;
          frame = TableFrame();
          counter = frame;
        } else {
          MoveWithContact(static_cast<int>(speed / 3.0));
        }
      }
      break;
    case ha::kStateWindUp:
      if (phase == 0) {
        phase = 2;
      } else if (phase == 1) {
        PlayVoice(kVoiceAttack1);
        phase = 2;
      } else if (step()) {
        phase = 0;
        hitDealt = 0;
        state = ha::kStatePunch;
      }
      break;
    case ha::kStateThrow:
      if (phase == 0) {
        phase = fire[1] ? 1 : 0;
        animStep = 0;
      } else if (phase == 1) {
        if (step()) phase = 2;
      } else if (phase == 2) {
        if (weaponUnits > 0) LaunchWeapon();
        phase = 3;
      } else if (step()) {
        phase = 0;
        animStep = 0;
        if (weaponUnits > 0) --weaponUnits;
        state = savedState;
      }
      break;
    case ha::kStateStand:
      Regain(&regeneration, &energy, kRegainStanding);
      if (phase == 0) {
        if (++counter > kIdleBeforeRest) {
          counter = 0;
          savedState = ha::kStateStand;
          if (energy < 100) ++energy;
          state = ha::kStateResting;
          animStep = 0;
        }
        frame = TableFrame();
      } else {
        counter = 0;
        if (step()) {
          phase = anyDirection ? 1 : 0;
          if (anyDirection && !contact) Move(direction, speed);
          animStep = 0;
          frame = TableFrame();
        } else {
          MoveWithContact(speed);
        }
      }
      break;
    case ha::kStatePunch:
      if (phase == 0) {
        animStep = 0;
        phase = 1;
        PlayVoice(kVoiceAttack2);
      } else if (step()) {
        frame = std::max(1, frame - 1);
        state = ha::kStateStand;
        phase = 0;
        hitDealt = 0;
      }
      break;
    case ha::kStateKnockedOut:
      Regain(&regeneration, &energy, kRegainKnockedOut);
      if (phase == 0) {
        animStep = 0;
        frame = TableFrame();
        phase = 1;
      } else if (phase == 1) {
        if (step()) phase = 2;
      } else if (energy > 10) {
        state = ha::kStateGettingUp;
        phase = 0;
      }
      break;
    case ha::kStateGettingUp:
      if (phase == 0) {
        animStep = 0;
        frame = TableFrame();
        phase = 1;
      } else if (phase == 1) {
        if (step()) phase = 2;
      } else {
        phase = 0;
        state = ha::kStateStand;
      }
      break;
    case ha::kStateHit1:
    case ha::kStateHit2:
      if (--hitDelay < 0) {
        if (phase == 0) {
          animStep = 0;
          frame = TableFrame();
          phase = 1;
        } else if (phase == 1) {
          PlayVoice(state == ha::kStateHit1 ? kVoiceReaction1 : kVoiceReaction2);
          phase = 2;
        } else if (step()) {
          phase = 0;
          animStep = 0;
          state = ha::kStateStand;
        }
      }
      break;
    case ha::kStateResting:
      Regain(&regeneration, &energy, kRegainResting);
      if (step()) {
        animStep = 0;
        state = ha::kStateStand;
        frame = TableFrame();
      }
      break;
    default:
      break;
  }

  // 7. Kept on the course.
  contact = 0;
  worldX = std::clamp(static_cast<int>(worldX), kRunnerMinX, kRunnerMaxX);
  worldY = std::clamp(static_cast<int>(worldY), kRunnerMinY, kRunnerMaxY);
  Place();
}

void HippoActor::LaunchWeapon() {
  const ha::Offset& off = ha::kWeaponStart[std::clamp(static_cast<int>(row), 0, 5)][direction & 7];
  auto* w = new (std::nothrow)
      HippoRunnerEffect(0, 0, ownIndex, worldX + off.x, worldY + off.y, direction);
  if (!w) return;
  w->frame = 1 + 5 * (direction & 7);
  w->sprite = (weaponSprite >= 0 && weaponSprite < kHippoSpriteCount) ? g_hippoSprites[weaponSprite] : nullptr;
  w->hotspotX = ha::kWeaponHotspotX;
  w->hotspotY = ha::kWeaponHotspotY;
  w->row = row;
  w->kind = kKindWeapon;
  w->state = 9;
  w->phase = kWeaponLifetime;
  w->speed = kWeaponSpeed;
  // With every slot taken the weapon is not thrown, but the unit is used
  // as for any throw.
  HippoPlaceActor(w);
}

void HippoActor::ChooseComputerKeys(int* heading, bool* fire1) {
  const HippoActor* hippo = (linkedIndex >= 0 && linkedIndex < kHippoSlots) ? g_hippoActors[linkedIndex] : nullptr;
  if (!hippo) return;
  const int d = Distance(worldX, worldY, hippo->worldX, hippo->worldY);
  const int h = DirectionTo(worldX, worldY, hippo->worldX, hippo->worldY);
  const bool towards = h == 0 || h == 1 || h == 2;
  const bool behind = IsBehind(hippo->direction, hippo->worldX, hippo->worldY, worldX, worldY);
  switch (computerState) {
    case 0:
      switch (computerStep) {
        case 0:
          if (energy < 16) {
            computerStep = 2;
          } else {
            const bool last = HippoRankRunner(0, 3) == ownIndex;
            computerState = (g_hippoRaceFrames > 500 && last && powerPills > 0) ? 4 : 5;
            computerStep = 1;
          }
          break;
        case 1:
          if (HippoFirstRivalWithin(ownIndex, 50) >= 0) computerState = 3;
          computerStep = 0;
          break;
        default:
          if (!contact) {
            const int r = HippoFirstRivalWithin(ownIndex, 200);
            if (r < 0) {
              pushStep = 0;
              computerState = 5;
              computerStep = 0;
            } else {
              const HippoActor* rival = g_hippoActors[r];
              *heading = DirectionTo(worldX, worldY, rival->worldX, rival->worldY);
              if (rival->state == ha::kStateKnockedOut) computerStep = 0;
              else if (Distance(worldX, worldY, rival->worldX, rival->worldY) < 50) computerState = 3;
            }
          } else if (HippoFirstRivalWithin(ownIndex, 50) >= 0) {
            // A rival within reach is punched: touching him would otherwise
            // always turn him about before he ever came near enough, and two
            // computer runners could circle each other for the whole race.
            computerState = 3;
          } else {
            // The turn about starts away from what he touches: turned from
            // his own facing, a runner touching his hippo from the side
            // would only ever face back into it and stand there for good.
            computerState = 1;
            turnStep = 0;
            TurnSequence(contactDirection, turnSequence);
          }
          break;
      }
      break;
    case 1:
      if (turnStep < 10) {
        *heading = turnSequence[turnStep] & 7;
        ++turnStep;
        if (contact) {
          computerState = 0;
          computerStep = 2;
        }
      } else {
        computerState = 0;
        computerStep = 0;
        turnStep = 0;
      }
      break;
    case 3: {
      selectedItem = kItemPunch;
      const int r = HippoFirstRivalWithin(ownIndex, 50);
      if (r >= 0) direction = DirectionTo(worldX, worldY, g_hippoActors[r]->worldX, g_hippoActors[r]->worldY);
      *fire1 = true;
      computerState = 0;
      computerStep = 0;
      break;
    }
    case 4:
      selectedItem = kItemPill;
      state = ha::kStatePill;
      *fire1 = true;
      computerState = 0;
      computerStep = 0;
      break;
    case 5:
      if (contact && !(direction == 1 && d < 60)) {
        computerState = 0;
        computerStep = 2;
        break;
      }
      if (hippo->worldY >= 2700) break;
      switch (pushStep) {
        case 0:
          pushStep = (towards && behind) ? 2 : 1;
          break;
        case 1:
          if (hippo->worldY - 200 < worldY) {
            if (towards && d > 250) pushStep = 2;
            else *heading = 5;
          } else {
            pushStep = 2;
          }
          break;
        case 2:
          if (!behind) pushStep = 0;
          else if (worldX < hippo->worldX) *heading = 3;
          else if (worldX > hippo->worldX + 40) *heading = 7;
          else pushStep = 3;
          break;
        case 3:
          if (!contact) *heading = 1;
          else pushStep = 4;
          break;
        default:
          selectedItem = kItemPush;
          direction = 1;
          *fire1 = true;
          pushStep = 0;
          computerState = 0;
          break;
      }
      break;
    default:
      computerState = 0;
      computerStep = 0;
      break;
  }
}

// ---------------------------------------------------------------------------
// The hippo

void Hippo::Draw(int cameraX, int cameraY, int offsetX, int offsetY) {
  DDSurface* back = ShellBackSurface();
  if (!sprite || !back) return;
  sprite->DrawFrame(HippoLookFrame(frame, ownerIndex, sprite->FrameCount()), back,
                    pictureX - cameraX - hotspotX + offsetX, pictureY - cameraY - hotspotY + offsetY);
}

void Hippo::Update(HippoActor** /*table*/) {
  auto step = [&]() {
    if (HippoSequenceEnds(state, animStep)) return true;
    ++animStep;
    frame = HippoTableFrame(state, animStep);
    return false;
  };
  switch (state) {
    case 3:
      if (step()) {
        phase = 0;
        state = 9;
        animStep = 0;
      } else {
        MoveWithContact(speed);
      }
      break;
    case 5:
      if (phase == 0) {
        animStep = 0;
        frame = HippoTableFrame(state, 0);
        phase = 1;
      } else if (phase == 1) {
        if (step()) phase = 2;
      } else if (energy > 10) {
        state = 6;
        phase = 0;
      }
      break;
    case 6:
    case 7:
      if (phase == 0) {
        animStep = 0;
        frame = HippoTableFrame(state, 0);
        if (state == 7) PlayHippoSound(kSndHit);
        phase = 1;
      } else if (step()) {
        phase = 0;
        state = 9;
        animStep = 0;
      }
      break;
    case 9:
      ++counter;
      if (phase == 0) {
        if (counter > 50) phase = 1;
        animStep = 0;
        frame = HippoTableFrame(9, 0);
      } else if (step()) {
        phase = 0;
        counter = 0;
      }
      break;
    default:
      break;
  }
  Regain(&regeneration, &energy, kRegainHippo);
  contact = 0;
  worldX = std::clamp(static_cast<int>(worldX), kHippoMinX, kHippoMaxX);
  worldY = std::clamp(static_cast<int>(worldY), kHippoMinY, kHippoMaxY);
  Place();
}

// ---------------------------------------------------------------------------
// Thrown weapons, puffs, flags, the car and the title

void HippoRunnerEffect::Update(HippoActor** /*table*/) {
  if (phase < 1) {
    state = kStateRemove;
  } else {
    const int d = direction & 7;
    if (++frame >= 1 + 5 * (d + 1)) frame = 1 + 5 * d;
    Move(d, kWeaponSpeed);
    --phase;
    Place();
  }
  visible = 1;
}

void HippoExplosion::Update(HippoActor** /*table*/) {
  if (phase < 1) state = kStateRemove;
  else --phase;
  worldY += std::abs(counter);
  worldX += counter;
  Place();
}

void HippoFlag::Update(HippoActor** /*table*/) { Place(); }

void HippoCar::Update(HippoActor** /*table*/) {
  worldY += kCarStep;
  if (worldY > kCarWrapY) {
    frame = (frame % ha::kCarFrames) + 1;
    worldY = kCarStartY;
  }
  Place();
}

void HippoCar::Draw(int cameraX, int cameraY, int offsetX, int offsetY) {
  DDSurface* back = ShellBackSurface();
  if (!sprite || !back) return;
  const int x = pictureX - cameraX - hotspotX + offsetX, y = pictureY - cameraY - hotspotY + offsetY;
  sprite->DrawFrame(frame, back, x, y);
  // The engine is heard while the car is near the view.
  if (x > -100 && x < 540 && y > -100 && y < 280) PlayHippoSound(kSndCar);
}

void HippoIcon::Update(HippoActor** /*table*/) { frame = frame < counter ? frame + 1 : 1; }

void HippoIcon::DrawInto(DDSurface* picture) const {
  if (!picture || state == kStateRemove) return;
  picture->FillRect(0, 0, ha::kTitleW, ha::kTitleH, 1);
  if (sprite) sprite->DrawFrame(frame, picture, 0, 0);
}
