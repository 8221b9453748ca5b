#include "events/kickboxing/kick_fighter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/debug.h"
#include "base/player_records.h"
#include "base/random.h"
#include "events/kickboxing/kickboxing_data.h"
#include "screen/event_screen.h"
#include "screen/game_screen_services.h"
#include "sound/sound.h"

namespace ka = kickassets;

namespace kick {

namespace {

constexpr uint8_t kHeld = 0x80;
constexpr float kCorner = 18.927f, kFarCorner = 359.623f;

}  // namespace

KickboxingFighter::KickboxingFighter(KickboxingScene* e, int p) : KickboxingActor(e, kFighterSlot + (p & 3)), player(p & 3) {
  const PlayerRecord& rec = g_players[player];
  // A character from a record or a peer is checked before it picks a sheet.
  character = (rec.character >= 0 && rec.character < ka::kCharacters) ? rec.character : 0;
  kind = kKindFighter;
  radius = kFighterRadius;
  energy = static_cast<float>(std::clamp(rec.energy, 0, 100));
  sprite = e ? e->fighterSprite[player] : nullptr;
  hotX = ka::kHotSpotX[character];
  hotY = ka::kHotSpotY[character];
  // The four corners of the platform, each facing the middle.
  static const float kStart[4][2] = {{kCorner, kCorner}, {kCorner, kFarCorner}, {kFarCorner, kFarCorner}, {kFarCorner, kCorner}};
  static const uint8_t kFacing[4] = {1, 7, 5, 3};
  x = kStart[player][0];
  y = kStart[player][1];
  z = 0;
  facing = kFacing[player];
  state = kStanding;
  standingCell = GridIndex(y) * kGrid + GridIndex(x);
  if (g_soundManager) {
    char path[64];
    for (int k = 0; k < kFighterSoundCount; ++k) {
      std::snprintf(path, sizeof path, ka::kFighterSoundPattern[k], ka::kSoundPrefix[character]);
      sounds[k] = g_soundManager->AllocSlot();
      const std::string full = ShellProgramPath(path);
      if (sounds[k] >= 0 && !g_soundManager->LoadWaveFile(sounds[k], full.c_str(), 0, 1, 0))
        DebugPrintf("Cannot load the sound %s.\n", full.c_str());
    }
  }
  frame = AnimFrameNow();
  Project();
}

KickboxingFighter::~KickboxingFighter() {
  g_players[player].energy = EnergyToRecord(energy);
  for (int32_t& s : sounds) FreeSound(s);
  FreeSound(fallVoice);
  for (int32_t& s : knockOutVoice) FreeSound(s);
}

bool KickboxingFighter::IsHuman() const { return g_players[player].human != 0; }

int KickboxingFighter::Length() const { return ka::kAnimTable[character][std::min<int>(state, ka::kFighterStates - 1)].length; }

int KickboxingFighter::AnimFrameNow() const {
  return ka::AnimFrame(character, std::min<int>(state, ka::kFighterStates - 1), step, DirectionToSpriteRow(facing));
}

int KickboxingFighter::WalkStep() const { return kick::WalkStep(g_players[player].speed, powerLevel); }

void KickboxingFighter::FollowGround(float px, float py) {
  const float r = radius;
  const float cx[4] = {px - r, px + r, px - r, px + r};
  const float cy[4] = {py - r, py - r, py + r, py + r};
  int best = 0;
  float top = event->GroundHeightAt(cx[0], cy[0]);
  for (int k = 1; k < 4; ++k) {
    const float h = event->GroundHeightAt(cx[k], cy[k]);
    if (h > top) {
      top = h;
      best = k;
    }
  }
  if (z > top) {
    z -= 12;
    standingCell = -1;
  }
  if (z <= top) {
    standingCell = OnPlatform(cx[best], cy[best]) ? GridIndex(py) * kGrid + GridIndex(px) : -1;
    z = top;
  }
}

int KickboxingFighter::FindMeleeTarget() const {
  float sx = x, sy = y;
  MoveInDirection(&sx, &sy, facing, 2.0 * radius);
  const Rect4f strike(sx - 10, sy - 10, sx + 10, sy + 10);
  for (int i = 0; i < 4; ++i) {
    const KickboxingFighter* o = event->Fighter(i);
    if (!o || o == this || o->state == kKnocked) continue;
    const Rect4f body(o->x - o->radius, o->y - o->radius, o->x + o->radius, o->y + o->radius);
    const float dz = o->z - z;
    if (RectsOverlap(strike, body) && dz >= 0 && dz < 50) return i;
  }
  return -1;
}

void KickboxingFighter::StartAction() {
  PlayerRecord& rec = g_players[player];
  switch (item) {
    case kWeapon:
      if (rec.weaponUnits > 0) {
        state = kThrowing;
        step = 0;
        rec.weaponUnits = std::max(0, rec.weaponUnits - 1);
      }
      break;
    case kPill:
      if (powerLevel == 1 && rec.powerPills > 0) {
        rec.powerPills = std::max(0, rec.powerPills - 1);
        powerTimer = 240;
        powerLevel = 2;
        event->PlayEvent(kSndPill);
      }
      break;
    default: {
      const int attack = AttackAfter(lastAttack, framesSinceAttack);
      if (attack == kSpecial) event->Play(sounds[kSndAttack]);
      state = static_cast<uint8_t>(attack);
      lastAttack = attack;
      framesSinceAttack = 0;
      step = 0;
      break;
    }
  }
}

void KickboxingFighter::MeleeHit(int t) {
  KickboxingFighter* v = event->Fighter(t);
  if (!v) return;
  const PlayerRecord& me = g_players[player];
  const bool special = state == kSpecial;
  v->energy -= MeleeDamage(me.strength, g_players[v->player].endurance, v->powerLevel, special);
  auto knockOut = [&] {
    v->pending.state = kKnocked;
    const int n = ((static_cast<int>(v->x) % 3) + 3) % 3;
    event->PlayIfFightersQuiet(v->knockOutVoice[n], v->knockOutVoiceFrames[n]);
    event->Play(sounds[kSndHurtHard]);
    v->pending.flightDirection = facing;
    v->pending.flightSpeed = 8;
  };
  if (v->energy > 0 && !special) {
    score += state == kPunch ? kPunchPoints : kKickPoints;
    v->pending.state = state == kPunch ? kHit : kHitHard;
    event->Play(sounds[kSndHurt]);
    v->pending.flightDirection = 0;
    v->pending.flightSpeed = 0;
  } else {
    const bool out = v->energy <= 0;
    if (out) v->energy = 0;
    score += out ? kKnockOutPoints : kSpecialPoints;
    knockOut();
  }
  v->lastHitter = slot;
  v->pending.step = 0;
  v->pending.facing = static_cast<uint8_t>((facing + 4) & 7);
  v->pending.x = v->x;
  v->pending.y = v->y;
  v->pending.z = v->z;
  event->SpawnHitSparks(v->x, v->y, v->z + 50);
}

void KickboxingFighter::Update() {
  PlayerRecord& rec = g_players[player];
  // Power and energy.
  if (powerTimer == 0)
    powerLevel = 1;
  else
    --powerTimer;
  energy = std::min(100.0f, energy + EnergyGain(state));
  if (framesSinceAttack < 10000) ++framesSinceAttack;

  // Off the platform: once, the score of a fall.
  if (z < 0 && score >= 0) {
    int down = 0;
    for (int i = 0; i < 4; ++i)
      if (const KickboxingFighter* o = event->Fighter(i); o && o != this && o->z <= kBottom) ++down;
    event->PlayIfFightersQuiet(fallVoice, fallVoiceFrames);
    event->BooFall();
    score = FallScore(down);
  }

  // Direction and buttons: the player's exchanged input, or the computer's.
  Control c;
  computerThisFrame_ = false;
  if (z > kBottom) {
    if (IsHuman()) {
      const uint8_t* in = g_playerStates[player];
      c.direction = HumanDirection(in);
      c.action = in[4];
      item = ChooseItem(item, in, rec.weaponUnits, rec.powerPills);
    } else {
      c = Steer();
      computerThisFrame_ = true;
    }
  } else if (state != kKnocked) {
    state = kIdle;
  }

  // A blow taken since the last update.
  if (pending.state >= 0) {
    x = pending.x;
    y = pending.y;
    z = pending.z;
    state = static_cast<uint8_t>(pending.state);
    facing = pending.facing;
    flightDirection = pending.flightDirection;
    flightSpeed = pending.flightSpeed;
    step = pending.step;
    pending.state = -1;
  }

  RunState(c);
  frame = AnimFrameNow();
  Project();
}

void KickboxingFighter::RunState(const Control& c) {
  const bool held = (c.action & kHeld) != 0;
  switch (state) {
    case kStanding:
    case kIdle: {
      // Idling plays its animation once and stands again; standing long
      // enough starts it.
      const bool idle = state == kIdle;
      ++step;
      if (idle && Ended()) Stand();
      if (c.direction >= 0) {
        facing = static_cast<uint8_t>(c.direction);
        state = kWalking;
        step = 0;
      }
      FollowGround(x, y);
      if (held) StartAction();
      if (!idle && state == kStanding && step >= RandomInt(20) + 40) {
        state = kIdle;
        step = 0;
      }
      break;
    }
    case kWalking: {
      ++step;
      if (c.direction >= 0) facing = static_cast<uint8_t>(c.direction);
      if (Ended()) {
        step = 0;
        if (c.direction < 0) state = kStanding;
      }
      const float ox = x, oy = y, oz = z;
      Move(facing, double(powerLevel) * WalkStep());
      const int obstacle = event->Collide(slot, 3);
      if (obstacle >= 0) {
        x = ox;
        y = oy;
        if (computerThisFrame_) OnObstacle(obstacle);
      }
      FollowGround(x, y);
      if (oz - z > 11) {
        z = oz;
        state = kDropping;
        step = 0;
      }
      if (c.action != 0 && state == kWalking) StartAction();
      break;
    }
    case kPunch:
    case kKick:
    case kSpecial: {
      ++step;
      const int attack = state;
      if (Ended()) Stand();
      if (step == 4 && state == attack) {
        const int t = FindMeleeTarget();
        if (t >= 0) MeleeHit(t);
      }
      FollowGround(x, y);
      break;
    }
    case kHit:
    case kHitHard:
    case kGettingUp:
    case kLanding:
      ++step;
      if (Ended()) Stand();
      FollowGround(x, y);
      break;
    case kKnocked: {
      const float ox = x, oy = y, oz = z;
      ++step;
      if (step > 15) {
        FollowGround(x, y);
        if (!(z < oz) && energy > 10) {
          state = kGettingUp;
          step = 0;
          break;
        }
        z = oz;
        step = 15;
      }
      const float distance = std::max(0.0f, static_cast<float>(flightSpeed * (15 - step)) / 15.0f);
      const float mx = x, my = y;
      MoveInDirection(&x, &y, flightDirection, distance);
      if (event->Collide(slot, 3) >= 0) {
        x = mx;
        y = my;
      }
      FollowGround(x, y);
      // Knocked off the edge: the blow's author scores for every frame of
      // the fall.
      if (z < oz)
        if (KickboxingFighter* h = event->Fighter(lastHitter - kFighterSlot)) h->score += kFallPushPoints;
      if ((x != ox || y != oy) && z == oz && (step & 1)) {
        const int s = event->FindFreeActorSlot();
        if (s >= 0) {
          auto* dust = new KickboxingDustCloud(event, s);
          dust->x = x;
          dust->y = y;
          dust->z = z;
          dust->Project();
        }
      }
      break;
    }
    case kDropping: {
      if (step < Length() - 1) ++step;
      const float oz = z;
      FollowGround(x, y);
      if (!(z < oz)) {
        state = kLanding;
        step = 0;
      }
      break;
    }
    case kThrowing:
      if (step == kReleaseStep[character]) {
        const int s = event->FindFreeActorSlot();
        if (s >= 0) {
          auto* w = new KickboxingWeapon(event, s, player, character);
          w->x = x;
          w->y = y;
          w->z = z + kWeaponStartHeight[character];
          w->facing = facing;
          w->Project();
          event->Play(sounds[kSndThrow]);
        }
      }
      ++step;
      if (Ended()) Stand();
      FollowGround(x, y);
      break;
    default:
      Stand();
      break;
  }
}

// ---------------------------------------------------------------------------
// Computer control

KickboxingFighter::Control KickboxingFighter::Steer() {
  Control c;
  const PlayerRecord& rec = g_players[player];
  if (plan < 0) {
    const float wx = static_cast<float>(RandomUnit() * 340.0 + 10.0);
    const float wy = static_cast<float>(RandomUnit() * 340.0 + 10.0);
    wander = Point2f(wx, wy);
    if (energy < static_cast<float>(rec.energy / 4) || target < 0) {
      goal = wander;
      target = -1;
    } else {
      target = Rand15() % 4;
      const int k = Rand15() % 3 + 1;
      if (target == player) target = (player + k) % 4;
      if (const KickboxingFighter* t = event->Fighter(target); t && t->energy <= 0) target = (target + k) % 4;
      if (const KickboxingFighter* t = event->Fighter(target); t && t->z < 0) target = (target + 1) % 4;
      const KickboxingFighter* t = event->Fighter(target);
      goal = t ? Point2f(t->x, t->y) : wander;
      if (!t || t->state == kKnocked || t == this) {
        goal = wander;
        target = -1;
      }
    }
    plan = DirectionTo(goal.x, goal.y);
    c.direction = plan;
    return c;
  }

  if (const KickboxingFighter* t = event->Fighter(target)) goal = Point2f(t->x, t->y);
  int direction = DirectionTo(goal.x, goal.y);
  for (int i = 0; i < 4; ++i) {
    const KickboxingFighter* o = event->Fighter(i);
    if (!o || o == this || o->state != kWalking) continue;
    if (DirectionTo(o->x, o->y) == direction && RandomUnit() < 0.02) {
      item = kWeapon;
      c.action = 1;
      break;
    }
    item = kFists;
    c.action = 0;
  }
  if (target < 0) {
    // Wandering: no dithering between two neighbouring directions.
    previousFacing = currentFacing;
    currentFacing = facing;
    const int diff = std::abs(currentFacing - direction);
    if (currentFacing != direction && previousFacing == direction && (diff == 1 || diff == 7)) direction = currentFacing;
    if (DistanceSquared(goal, Point2f(x, y)) < 400) {
      plan = -1;
      direction = -1;
      wander = Point2f(-1, -1);
      target = 0;
    }
  } else if (const KickboxingFighter* t = event->Fighter(target); !t || t->state == kKnocked || t->z < 0) {
    plan = -1;
    target = 0;
    direction = -1;
  }
  c.direction = direction;
  return c;
}

void KickboxingFighter::OnObstacle(int obstacle) {
  const KickboxingFighter* o = obstacle >= kFighterSlot ? event->Fighter(obstacle - kFighterSlot) : nullptr;
  if (!o) {  // a pillar in the way
    plan = -1;
    target = 0;
    return;
  }
  if (FindMeleeTarget() == o->player && std::fabs(o->z - z) < 30) StartAction();
  plan = -1;
  target = o->state == kKnocked ? -1 : 0;
}

}  // namespace kick
