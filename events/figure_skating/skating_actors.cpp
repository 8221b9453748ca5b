#include "events/figure_skating/skating_actors.h"

#include <algorithm>
#include <new>
#include <string>

#include "base/debug.h"
#include "base/player_records.h"
#include "base/random.h"
#include "events/figure_skating/figure_skating_data.h"
#include "events/figure_skating/figure_skating_event.h"
#include "graphics/sprite.h"
#include "screen/config.h"
#include "screen/game_screen_services.h"
#include "sound/sound.h"

using namespace skaterules;
namespace sa = skateassets;

namespace {

// Where each player starts, in its corner facing the middle of the rink.
constexpr int kStartX[4] = {80, 445, 80, 445};
constexpr int kStartY[4] = {80, 80, 265, 265};
constexpr int kStartFacing[4] = {2, 0, 4, 6};
// The middle of the rink, where a computer skater heads from the boards.
constexpr int kMiddleX = 262, kMiddleY = 172;

int ClampCharacter(int c) { return (c >= 0 && c < sa::kCharacters) ? c : 0; }

void PlaySlot(int slot) {
  if (g_soundManager && slot >= 0) g_soundManager->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
}

bool Pressed(uint8_t b) { return (b & 0x7F) != 0; }
bool Held(uint8_t b) { return (b & 0x80) != 0; }

SkaterData BuiltInData(int character) {
  const sa::SkaterLayout& L = sa::LayoutOf(character);
  SkaterData d;
  for (int i = 0; i < kSkdAnimations; ++i) {
    d.animationOfAction[i] = L.animationOfAction[i];
    d.firstFrame[i] = L.firstFrame[i];
    d.framesPerDirection[i] = L.framesPerDirection[i];
  }
  d.anchorX = L.anchorX;
  d.anchorY = L.anchorY;
  d.maxEnergy = L.maxEnergy;
  d.topSpeed = sa::kTopSpeed[character];
  return d;
}

}  // namespace

// ---------------------------------------------------------------------------
// SkatingActor

SkatingActor::SkatingActor(FigureSkatingEvent* ev) : event(ev) {}

void SkatingActor::Move(int d, int distance) {
  Step s = StepOnRink(x, y, d, distance, speedMultiplier, direction, tableSlot == 0);
  x = s.x;
  y = s.y;
  edge = s.edge;
}

void SkatingActor::UpdateScreenPosition() {
  Point p = RinkToScreen(x, y, z);
  screenX = p.x;
  screenY = p.y;
}

void SkatingActor::Draw(DDSurface* target, int scrollX, int scrollY, int originX, int originY) const {
  if (!sprite || !target) return;
  sprite->DrawFrame(frame, target, screenX - scrollX - anchorX + originX, screenY - scrollY - anchorY + originY);
}

// ---------------------------------------------------------------------------
// Skater: construction and data

Skater::Skater(FigureSkatingEvent* ev, int p) : SkatingActor(ev) {
  player = p & 3;
  character_ = ClampCharacter(g_players[player].character);
  state = kSkSteer;
  selected = kSelAttack;
  fallStatus = kOnFeet;
  idleSense = 1;
  previousDirection = kNoDirection;
  frame = 1;
  if (ev) {
    sprite = ev->SkaterSprite(player);
  }
  NewWanderTarget();
  x = kStartX[player];
  y = kStartY[player];
  direction = kStartFacing[player];

  // Its sounds, then its data file: read-only, validated, and replaced by the
  // character's own values when it cannot be used.
  if (g_soundManager) {
    const std::string tag = sa::kSoundTag[character_];
    for (int i = 0; i < 6; ++i) {
      sounds_[i] = g_soundManager->AllocSlot();
      if (sounds_[i] < 0) continue;
      std::string path = ShellDataPath(("sounds\\" + tag + "_" + sa::kSoundKind[i] + ".wav").c_str());
      if (!g_soundManager->LoadWaveFile(sounds_[i], path.c_str(), 0, 1, 0))
        DebugPrintf("Cannot load the sound %s.\n", path.c_str());
    }
    for (int k = 0; k < sa::kSpecialSounds; ++k) {
      specials_[k] = g_soundManager->AllocSlot();
      if (specials_[k] < 0) continue;
      std::string path = ShellDataPath(
          (std::string("extra\\skate\\") + sa::kSpecialTag[character_] + "spec" + std::to_string(k + 1) + ".wav").c_str());
      if (!g_soundManager->LoadWaveFile(specials_[k], path.c_str(), 0, 1, 0))
        DebugPrintf("Cannot load the sound %s.\n", path.c_str());
    }
  }
  SkaterData data;
  int line = 0;
  const std::string skd = ShellDataPath(sa::kSkdFile[character_]);
  const uint32_t err = LoadSkdFile(skd.c_str(), &data, &line);
  if (err != kSkdOk) {
    DebugPrintf("Cannot use the skater data %s (%s, line %d): the built-in values are used.\n", skd.c_str(),
                SkdErrorText(err), line);
    data = BuiltInData(character_);
  }
  SetData(data);
}

Skater::~Skater() {
  if (!g_soundManager) return;
  for (int s : sounds_)
    if (s >= 0) g_soundManager->Unload(s);
  for (int s : sounds_)
    if (s >= 0) g_soundManager->FreeSlot(s);
  for (int s : specials_)
    if (s >= 0) {
      g_soundManager->Unload(s);
      g_soundManager->FreeSlot(s);
    }
}

void Skater::SetData(const SkaterData& d) {
  data_ = d;
  anchorX = d.anchorX;
  anchorY = d.anchorY;
  maxEnergy = d.maxEnergy;
  topSpeed = d.topSpeed;
}

bool Skater::IsHuman() const { return g_players[player].human != 0; }

int Skater::Energy() const { return g_players[player].energy; }

void Skater::AddEnergy(int delta) {
  // Energy stays in 0..100 whatever takes or gives it.
  g_players[player].energy = std::clamp(g_players[player].energy + delta, 0, 100);
}

int Skater::CountOf(int action) const {
  const int a = data_.animationOfAction[std::clamp(action, 0, kSkdAnimations - 1)];
  return data_.framesPerDirection[std::clamp(a, 0, kSkdAnimations - 1)];
}

int Skater::FirstFrameOf(int action, int facing) const {
  const int a = data_.animationOfAction[std::clamp(action, 0, kSkdAnimations - 1)];
  const int n = std::clamp(a, 0, kSkdAnimations - 1);
  return data_.firstFrame[n] + data_.framesPerDirection[n] * (facing & 7);
}

Skater* Skater::SkaterAt(SkatingActor** table, int k) const {
  if (!table || k < 0 || k > 3 || !table[k] || !table[k]->IsSkater()) return nullptr;
  return static_cast<Skater*>(table[k]);
}

void Skater::PlaySound(int which) const { PlaySlot(SoundSlot(which)); }

void Skater::NewWanderTarget() {
  targetX = RandomInt(425) + 50;
  targetY = RandomInt(245) + 50;
}

// ---------------------------------------------------------------------------
// Movement

void Skater::Move(int, int) {
  for (int e = 0; e < 8; ++e)
    if (momentum.speed[e] > 0) SkatingActor::Move(e, momentum.speed[e]);
}

void Skater::FallA() {
  if (event) event->PlayEventSound(kSkSndBoo);
  AddEnergy(-20);
  jumpKind = 0;
  fallStatus = kLying;
  animLength = CountOf(1);
  frame = FirstFrameOf(1, direction) - 1;
  state = kSkDown;
  step = 0;
  starCounter = 1;
}

void Skater::FallB() {
  FallA();
  step = 1;
  frame = FirstFrameOf(1, direction);
}

int Skater::FindTargetInFront(SkatingActor** table) const {
  const Box reach = ReachBox(x, y, direction, topSpeed);
  for (int k = 0; k < 4; ++k) {
    const Skater* o = SkaterAt(table, k);
    if (!o || o == this) continue;
    if (StrikeBox(o->x, o->y, o->IsLying()).Meets(reach)) return k;
  }
  return -1;
}

int Skater::FindBlockingSkater(SkatingActor** table) const {
  const Box own = MoverBox(x, y);
  for (int k = 0; k < 4; ++k) {
    const Skater* o = SkaterAt(table, k);
    if (!o || o == this) continue;
    if (ObstacleBox(o->x, o->y, o->IsLying(), o->direction).Meets(own)) return k;
  }
  return -1;
}

void Skater::WaysOut(int k, int rx, int ry, int kx, int ky, SkatingActor** table) {
  int best = kNoDirection;
  const int before = DistanceSquared(rx, ry, kx, ky);
  for (int e = 0; e < 8; ++e) {
    x = rx;
    y = ry;
    SkatingActor::Move(e, topSpeed);
    if (DistanceSquared(x, y, kx, ky) > before && FindBlockingSkater(table) < 0) {
      // A skater never goes faster than its top speed.
      momentum.speed[e] = std::min(momentum.speed[e] + 1, topSpeed);
      best = e;
    } else {
      momentum.speed[e] = 0;
    }
  }
  x = rx;
  y = ry;
  targetX = rx;
  targetY = ry;
  if (best < kNoDirection) SkatingActor::Move(best, topSpeed);
  (void)k;
}

bool Skater::StepAround(int d, int rx, int ry, SkatingActor** table) {
  static constexpr int kTries[8][2] = {{7, 1}, {-1, -1}, {1, 3}, {-1, -1}, {3, 5}, {-1, -1}, {7, 5}, {-1, -1}};
  x = rx;
  y = ry;
  for (int e : kTries[direction & 7]) {
    if (e < 0) continue;
    SkatingActor::Move(e, topSpeed);
    if (FindBlockingSkater(table) < 0) {
      direction = e;
      frame = FirstFrameOf(0, 0) + animLength * direction;
      blocker = 0;
      return true;
    }
    x = rx;
    y = ry;
  }
  x = rx;
  y = ry;
  SkatingActor::Move(d, topSpeed);
  return false;
}

// ---------------------------------------------------------------------------
// The frame's update

void Skater::Update(SkatingActor** table) {
  const bool human = IsHuman();
  // 1. The direction: a person's held keys, or the computer's choice.
  int d = kNoDirection;
  if (human) {
    d = DirectionFromInput(g_playerStates[player]);
  } else if (state != kSkJump) {
    d = ChooseComputerDirection(table);
    if (d == kNoDirection) NewWanderTarget();
  }
  // 2. Momentum, 3. the facing follows the largest speed.
  Accelerate(&momentum, d, topSpeed);
  int fastest = 0;
  const int m = LargestSpeed(momentum, &fastest);
  if (m > 0) d = fastest;

  // 4. RADEROZI crouches before he skates off from standing.
  if (character_ == kCharRaderozi && state == kSkSteer && ((crouchStep == 1 && d < 8) || crouchStep > 1)) {
    if (crouchStep == 1) savedFrame = frame;
    if (crouchStep < 5) {
      frame = FirstFrameOf(7, direction) + 4 - crouchStep;
      ++crouchStep;
      previousDirection = d;
      positioned = 1;
      UpdateScreenPosition();
      return;
    }
    crouchStep = 0;
    frame = savedFrame;
  }

  // 5. A computer skater at the boards.
  if (!human && edge != kEdgeFree) {
    if (edge == kEdgeCorner) {
      targetX = kMiddleX;
      targetY = kMiddleY;
    } else if (x == 0 || x == kRinkMaxX) {
      targetX = kMiddleX;
      targetY = y;
    } else if (y == 0 || y == kRinkMaxY) {
      targetX = x;
      targetY = kMiddleY;
    }
    edge = kEdgeFree;
    if (m == topSpeed) {
      FallA();
    } else {
      for (int& s : momentum.speed) s = 0;
      AddEnergy(-5);
      jumpKind = 0;
      animLength = CountOf(7);
      state = kSkSteer;
      step = 0;
      frame = FirstFrameOf(7, direction);
    }
  }

  // 6. The state's own work.
  switch (state) {
    case kSkSteer: SteerStep(d, table); break;
    case kSkGlide: GlideStep(table); break;
    case kSkAttack:
      if (!AttackStep(table)) return;
      break;
    case kSkDown: DownStep(); break;
    case kSkJump: JumpStep(); break;
    default: break;
  }
  AdvanceStarCounter();

  // 7. Energy is kept in range by AddEnergy; the position is drawn from here.
  previousDirection = d;
  positioned = 1;
  UpdateScreenPosition();
}

void Skater::AdvanceStarCounter() {
  // The stars of a blow (or the low-energy warning) run for a few frames
  // after the skater went down. Only the update moves them, so that every
  // machine and every view shows the same.
  if (state != kSkDown || starCounter <= 0 || starCounter >= 4) return;
  if (Energy() < 11 || (step > 0 && (step & 1))) ++starCounter;
}

void Skater::SteerStep(int d, SkatingActor** table) {
  if (++regeneration > 21) {
    regeneration = 0;
    AddEnergy(1);
  }
  if (d < 8) {
    direction = d;
    const int rx = x, ry = y;
    Move(0, 0);
    int k;
    if (blocker) {
      k = blocker - 1;
      blocker = 0;
    } else {
      k = FindBlockingSkater(table);
    }
    bool free = k < 0;
    if (Skater* o = SkaterAt(table, k)) {
      momentum.speed[direction] = 0;
      int kx = o->x, ky = o->y;
      if (!IsHuman()) {
        WaysOut(k, rx, ry, kx, ky, table);
      } else if (o->IsLying()) {
        if (StepAround(d, rx, ry, table)) return;
      }
      if (o->IsLying()) {
        kx += 5;
        ky += 15;
      }
      if (DistanceSquared(x, y, kx, ky) > DistanceSquared(rx, ry, kx, ky)) {
        momentum.speed[direction] = std::min(momentum.speed[direction] + 1, topSpeed);
        free = true;
      } else {
        x = rx;
        y = ry;
        if (IsHuman()) {
          if (previousDirection != d) step = 0;
        } else {
          direction = (direction + 2) % 8;
          Move(0, 0);
        }
      }
    }
    if (free) {
      animLength = CountOf(0);
      state = kSkGlide;
      step = 0;
      frame = FirstFrameOf(0, direction);
      blocker = 0;
      return;
    }
  }
  if (character_ == kCharRaderozi) crouchStep = 1;
  Standing();
}

void Skater::Standing() {
  const bool zovi = character_ == kCharZovi;
  if (step == 0) {
    animLength = CountOf(7);
    step = 1;
    idleSense = zovi ? -1 : 1;
    frame = FirstFrameOf(7, direction) + (zovi ? CountOf(7) - 1 : 0);
    return;
  }
  if (zovi) {
    if (event && (event->PlayFrame() & 1)) return;
    step -= idleSense;
  } else {
    step += idleSense;
  }
  if (step == 0) return;
  if ((step & 1) == 0) frame += idleSense;
  if (step / 2 >= animLength) {
    if (character_ == kCharRaderozi) {
      step = 9;
      frame -= 4;
    } else {
      idleSense = -idleSense;
      frame += idleSense;
    }
  }
}

void Skater::GlideStep(SkatingActor** table) {
  if (++regeneration > 30) {
    regeneration = 0;
    AddEnergy(1);
  }
  ++step;
  const int rx = x, ry = y;
  Move(0, 0);
  const int k = FindBlockingSkater(table);
  if (Skater* o = SkaterAt(table, k)) {
    // A ram at full speed knocks a skater that is on its feet flat.
    if (momentum.speed[direction] == topSpeed && o->state != kSkDown) o->FallB();
    momentum.speed[direction] = 0;
    int kx = o->x, ky = o->y;
    if (!IsHuman()) {
      WaysOut(k, rx, ry, kx, ky, table);
    } else if (o->IsLying()) {
      if (StepAround(direction, rx, ry, table)) {
        step = 0;
        return;
      }
    }
    if (o->IsLying()) {
      kx += 5;
      ky += 15;
    }
    if (DistanceSquared(x, y, kx, ky) <= DistanceSquared(rx, ry, kx, ky)) {
      x = rx;
      y = ry;
      state = kSkSteer;
      step = 0;
      frame = FirstFrameOf(7, 0) + animLength * direction;
      blocker = k + 1;
      return;
    }
    blocker = 0;
    momentum.speed[direction] = std::min(momentum.speed[direction] + 1, topSpeed);
  }
  ++frame;
  if (step >= animLength - 1) {
    state = kSkSteer;
    step = 0;
  }
}

void Skater::LaunchWeapon(int slot, SkatingActor** table) {
  auto* w = new (std::nothrow) SkatingProjectile(event, slot, player, x, y, direction);
  if (!w) return;
  table[slot] = w;
  g_players[player].weaponUnits = std::max(0, g_players[player].weaponUnits - 1);
  const bool ship = character_ == kCharZovi;
  w->anchorX = ship ? sa::kShipW / 2 : sa::kWeaponW / 2;
  w->anchorY = ship ? sa::kShipH / 2 : sa::kWeaponH / 2;
}

bool Skater::AttackStep(SkatingActor** table) {
  const bool zovi = character_ == kCharZovi;
  if (zovi && step == 2) {
    // ZOVI waits in his throw until his weapon has come down.
    bool sinking = false;
    for (int i = kFirstWeaponSlot; i < kSkatingActorSlots; ++i) {
      const SkatingActor* a = table[i];
      if (a && a->player == player && a->state == 1) sinking = true;
    }
    throwHold = sinking ? 1 : 0;
    if (sinking) return true;
  }
  if (zovi && step == 5) {
    if (++holdCount < 3) {
      --frame;
      --step;
    }
  }
  ++step;
  if (step > animLength) {
    if (selected == kSelThrow) PlaySound(kSndThrow);
    if (selected == kSelThrow && !zovi) {
      int slot = -1;
      for (int i = kFirstWeaponSlot; i < kSkatingActorSlots && slot < 0; ++i)
        if (!table[i]) slot = i;
      if (slot < 0) return false;  // every slot is taken: the throw waits
      if (g_players[player].weaponUnits > 0) {
        LaunchWeapon(slot, table);
        throwHold = 0;
      }
    }
    if (selected != kSelThrow && !pillSelected) {
      const int k = FindTargetInFront(table);
      if (Skater* o = SkaterAt(table, k)) {
        if (!o->IsLying()) o->Move(0, 0);
        o->TakeHit(player, g_players[player].strength, table);
      }
    }
    if (attackPresses == 2) {
      PlaySound(kSndAttack);
      attackPresses = 3;
      step = 0;
      animLength = CountOf(5);
      frame = FirstFrameOf(5, direction);
    } else {
      if (selected != kSelThrow && !pillSelected) PlaySound(kSndAttack);
      state = kSkSteer;
      step = 0;
      attackPresses = 0;
      frame = FirstFrameOf(0, direction);
    }
  }
  if (step != 0) ++frame;
  return true;
}

void Skater::DownStep() {
  if (regeneration < 10) {
    ++regeneration;
  } else {
    regeneration = 0;
    AddEnergy(1);
  }
  ++step;
  if (step > animLength) {
    starFrame = 0;
    if (fallStatus == kLying) {
      if (Energy() > 9) {
        fallStatus = kRising;
        animLength = CountOf(2);
        step = 1;
        frame = FirstFrameOf(2, direction);
      }
      return;
    }
    state = kSkSteer;
    step = 0;
    fallStatus = kOnFeet;
  }
  if (step != 0) ++frame;
}

void Skater::JumpStep() {
  const int t = std::clamp(jumpKind, 8, 10);
  const int T = topSpeed;
  if (x < T || x > kRinkMaxX - T || y < T || y > kRinkMaxY - T) {
    FallB();
    return;
  }
  AddEnergy(-1);
  if (Energy() < 2) {
    FallB();
    return;
  }
  ++step;
  auto blockedFall = [&](SkatingActor** table) {
    if (FindBlockingSkater(table) < 0) return false;
    FallB();
    --frame;
    return true;
  };
  SkatingActor** table = event ? event->Actors() : nullptr;
  bool fell = false;
  if (character_ == kCharRaderozi && t == 8) {
    Move(0, 0);
    fell = blockedFall(table);
  } else if (character_ == kCharRaderozi && t == 9) {
    if (step == 1) animLength = 12;
    if (step == 3) frame = direction + 592;
    if (direction > 0 && step == 11 - direction) frame = 592;
    if (step == 11) frame = FirstFrameOf(t, 0) + 4 * direction + 1;
  } else if (character_ == kCharRaderozi && t == 10) {
    if (step == 1) {
      animLength = 20;
      takeOffX = x;
      takeOffY = y;
    }
    const Point off = step <= 10 ? LeapOffset(direction, step) : Point{0, 0};
    x = takeOffX + off.x;
    y = takeOffY + off.y;
    if (step < 19 && frame == 600) frame = 592;
    if (step >= 19) frame = 4 * direction + step + 547;
  } else if (character_ == kCharZovi) {
    Move(0, 0);
    fell = blockedFall(table);
    if (!fell) {
      const int first = FirstFrameOf(t, 0);
      if (step == 1) {
        if (++leadInCount < 3) {
          step = 0;
          frame = first + animLength * direction - 17 - 7 * direction + leadInCount;
        } else {
          frame = first + animLength * direction - 1;
        }
      }
      const int h = t == 8 ? 5 : t == 9 ? 0 : 8;
      if (step == h && ++holdCount < 2) {
        --frame;
        --step;
      }
    }
  } else {
    Move(0, 0);
    fell = blockedFall(table);
  }
  if (!fell && step > animLength) {
    // Landed: the points grow with the speed the skater carries.
    if (event) {
      const int special = SpecialSlot(event->PlayFrame() % 5);
      if (special >= 0) event->PlaySoundIfSkatersQuiet(special);
      event->PlayEventSound(kSkSndCheer);
    }
    score += JumpScore(t, LargestSpeed(momentum));
    jumpKind = 0;
    state = kSkSteer;
    step = 0;
    frame = FirstFrameOf(0, direction);
  }
  if (step != 0) ++frame;
}

// ---------------------------------------------------------------------------
// Controls, jumps, the computer's choices and blows

void Skater::ReadControls(SkatingActor** table) {
  if (pillTimer == 0) {
    speedMultiplier = 1;
  } else {
    --pillTimer;
  }
  if (state == kSkDown) return;
  uint8_t input[kPlayerStateSize] = {};
  if (IsHuman()) {
    for (int i = 0; i < kPlayerStateSize; ++i) input[i] = g_playerStates[player][i];
  } else {
    input[4] = computerAction;
  }
  // Selection: the keys of actions 6..9 pick, action 5 steps round.
  if (!Pressed(input[5])) {
    static constexpr int kPick[4] = {kSelAttack, kSelThrow, kSelPill, kSelJump};
    for (int b = 6; b <= 9; ++b)
      if (Pressed(input[b])) {
        selected = kPick[b - 6];
        pillSelected = selected == kSelPill ? 1 : 0;
        break;
      }
  } else {
    switch (selected) {
      case kSelThrow: selected = kSelPill; pillSelected = 1; break;
      case kSelPill: selected = kSelJump; pillSelected = 0; break;
      case kSelJump: selected = kSelAttack; pillSelected = 0; break;
      default: selected = kSelThrow; pillSelected = 0; break;
    }
  }
  if (!Held(input[4]) || throwHold != 0) return;
  if (selected == kSelJump) {
    StartJump();
    return;
  }
  if (selected != kSelThrow && !pillSelected) ++attackPresses;
  if (state == kSkAttack || (selected == kSelThrow && g_players[player].weaponUnits <= 0)) return;
  if (!pillSelected) {
    animLength = CountOf(selected);
    state = kSkAttack;
    step = 0;
    frame = FirstFrameOf(selected, direction) - 1;
    if (selected == kSelThrow && character_ == kCharZovi) {
      // ZOVI's ship is launched at once and comes down before it flies.
      for (int i = kFirstWeaponSlot; i < kSkatingActorSlots; ++i) {
        if (table[i]) continue;
        if (g_players[player].weaponUnits > 0) {
          LaunchWeapon(i, table);
          holdCount = 0;
          throwHold = 0;
        }
        break;
      }
    }
  } else if (g_players[player].powerPills > 0 && speedMultiplier == 1) {
    g_players[player].powerPills -= 1;
    pillTimer = kPillFrames;
    speedMultiplier = 2;
    if (event) event->PlayEventSound(kSkSndPill);
    selected = kSelJump;
    pillSelected = 0;
  }
}

void Skater::StartJump() {
  if (Energy() < 20 || state == kSkJump) return;
  // The play frame counter picks the jump: the same on every machine, and it
  // runs in a game on one machine as well.
  jumpKind = JumpKindAt(event ? event->PlayFrame() : 0);
  animLength = CountOf(jumpKind);
  state = kSkJump;
  step = 0;
  holdCount = 0;
  leadInCount = 0;
  frame = FirstFrameOf(jumpKind, direction) - 1;
}

int Skater::ChooseComputerDirection(SkatingActor** table) {
  const int c = event ? event->PlayFrame() : 0;
  const int T = topSpeed;
  if (DistanceSquared(x, y, targetX, targetY) < 4 * T * T) {
    hunted = 0;
    StartJump();
    return kNoDirection;
  }
  computerAction = 0;
  if (hunted == 0 && g_players[player].weaponUnits > 0) {
    // Look along the facing for a skater to throw at.
    for (int s = 20; s <= 480; s += 20) {
      const Step probe = StepOnRink(x, y, direction, s, speedMultiplier, direction, true);
      for (int k = 0; k < 4; ++k) {
        const Skater* o = SkaterAt(table, k);
        if (!o || o == this) continue;
        const Box a{o->x - 40, o->y - 40, o->x + 41, o->y + 41};
        const Box b{a.left - 30, a.top - 30, a.right + 30, a.bottom + 30};
        if (a.Holds(probe.x, probe.y) && !b.Holds(x, y) && c % 10 < 3) {
          hunted = k + 1;
          computerAction = 0x80;
          selected = kSelThrow;
          pillSelected = 0;
          return kNoDirection;
        }
      }
      if (probe.edge != kEdgeFree) break;
    }
  }
  bool evade = false;
  const int k = FindTargetInFront(table);
  if (const Skater* o = SkaterAt(table, k)) {
    if (o->Energy() > maxEnergy / 4 && (c & 1)) {
      computerAction = 0x80;
      selected = kSelAttack;
      pillSelected = 0;
      return kNoDirection;
    }
    evade = true;
  }
  const int d = DirectionTowards(targetX - x, targetY - y);
  return evade ? (d + 2) % 8 : d;
}

void Skater::TakeHit(int attacker, int strength, SkatingActor** table) {
  const int c = event ? event->PlayFrame() : 0;
  if (fallStatus != kLying) {
    starFrame = (c % 10) + 2;
    int status;
    if (Energy() < 2) {
      PlaySound(kSndFall);
      if (event) event->PlayEventSound(kSkSndBoo);
      status = kLying;
    } else {
      PlaySound(kSndBlow);
      status = kStaggering;
    }
    fallStatus = status;
    jumpKind = 0;  // a blow ends a jump
    animLength = CountOf(status);
    state = kSkDown;
    step = 0;
    starCounter = 1;
    frame = FirstFrameOf(status, direction) - 1;
  }
  AddEnergy(-BlowDamage(speedMultiplier, strength, g_players[player].endurance));
  (void)attacker;
  (void)table;
}

// ---------------------------------------------------------------------------
// Drawing: reads the skater, changes nothing.

void Skater::Draw(DDSurface* target, int scrollX, int scrollY, int originX, int originY) const {
  SkatingActor::Draw(target, scrollX, scrollY, originX, originY);
  if (state != kSkDown || starCounter < 1 || starCounter >= 4) return;
  const int px = screenX - scrollX - anchorX + originX;
  const int py = screenY - scrollY - anchorY + originY;
  if (g_playMode != 1 && player == g_localPlayers[0] && Energy() < 11) {
    if (event && event->WarningSprite()) event->WarningSprite()->DrawFrame(starCounter, target, 110, 30);
    return;
  }
  Sprite* stars = event ? event->StarSprite() : nullptr;
  if (step > 0 && starFrame > 0 && stars) {
    stars->DrawFrame(starFrame, target, px + 4 * step, py + 5 * step);
    if (Energy() <= maxEnergy / 2) stars->DrawFrame(12 - starFrame, target, px + 4 * step, py - 5 * step);
  }
}

// ---------------------------------------------------------------------------
// SkatingProjectile

SkatingProjectile::SkatingProjectile(FigureSkatingEvent* ev, int slot, int thrower, int px, int py, int dir)
    : SkatingActor(ev) {
  if (ev) {
    // A launch clears every skater's note of the boards.
    for (int k = 0; k < 4; ++k)
      if (SkatingActor* a = ev->Actors()[k]) a->edge = kEdgeFree;
    sprite = ev->WeaponSprite(thrower);
  }
  topSpeed = 15;
  state = 0;
  step = 0;
  framesPerDirection = 5;
  direction = dir & 7;
  firstFrame = 5 * direction + 1;
  frame = firstFrame;
  player = thrower & 3;
  x = px;
  y = py;
  tableSlot = slot;
  const Skater* s = ev ? ev->SkaterOf(player) : nullptr;
  if (s) PlaySlot(s->SoundSlot(kSndWeapon));
  if (ClampCharacter(g_players[player].character) == kCharZovi) {
    state = 1;
    z = 140;
  } else {
    z = 40;
  }
  UpdateScreenPosition();
}

void SkatingProjectile::Remove(SkatingActor** table) {
  if (!table) return;
  if (SkatingActor* t = table[player]; t && t->IsSkater()) static_cast<Skater*>(t)->throwHold = 0;
  if (tableSlot >= kFirstWeaponSlot && tableSlot < kSkatingActorSlots && table[tableSlot] == this)
    table[tableSlot] = nullptr;
}

void SkatingProjectile::Update(SkatingActor** table) {
  if (state == 1) {
    z -= 5;
    if (z < 41) {
      z = 40;
      state = 0;
    }
  }
  if (x < 0 || x > kRinkMaxX || y < 0 || y > kRinkMaxY) {
    Remove(table);
    return;
  }
  const SkatingActor* t = table ? table[player] : nullptr;
  const Skater* s = (t && t->IsSkater()) ? static_cast<const Skater*>(t) : nullptr;
  if (s && s->Character() == kCharZovi && g_soundManager) {
    const int slot = s->SoundSlot(kSndWeapon);
    if (slot >= 0 && !g_soundManager->IsPlaying(slot)) PlaySlot(slot);
  }
  if (state != 1) Move(direction, 15);
  ++step;
  if (++frame >= firstFrame + framesPerDirection) frame = firstFrame;
  positioned = 1;
  UpdateScreenPosition();
}

void SkatingProjectile::HitTest(SkatingActor** table) {
  if (state == 1 || !table) return;
  const Box box = WeaponBox(x, y);
  for (int k = 0; k < 4; ++k) {
    SkatingActor* a = table[k];
    if (!a || !a->IsSkater()) continue;
    Skater* o = static_cast<Skater*>(a);
    if (o->player == player || o->IsLying() || !box.Holds(o->x, o->y)) continue;
    o->TakeHit(player, g_players[player].weaponPower, table);
    Remove(table);
    return;
  }
}
