#include "events/kickboxing/kick_actors.h"

#include <algorithm>
#include <cstdlib>

#include "base/player_records.h"
#include "base/random.h"
#include "events/kickboxing/kick_fighter.h"
#include "events/kickboxing/kickboxing_data.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"

namespace ka = kickassets;

namespace kick {

// ---------------------------------------------------------------------------
// The base

KickboxingActor::KickboxingActor(KickboxingScene* e, int s) : slot(s), event(e) {
  if (event && slot >= 0 && slot < kActorSlots) event->actors[slot] = this;
}

KickboxingActor::~KickboxingActor() {
  if (event && slot >= 0 && slot < kActorSlots && event->actors[slot] == this) event->actors[slot] = nullptr;
}

void KickboxingActor::Project() {
  const ScreenPoint p = ProjectToScreen(x, y, z);
  screenX = p.x;
  screenY = p.y;
}

void KickboxingActor::Update() { Project(); }

void KickboxingActor::Draw(int cameraX, int cameraY) const {
  if (sprite && event && event->target)
    sprite->DrawFrame(frame, event->target, screenX - cameraX - hotX, screenY - cameraY - hotY);
}

// ---------------------------------------------------------------------------
// Pillars

KickboxingPillar::KickboxingPillar(KickboxingScene* e, int cell) : KickboxingActor(e, cell) {
  sprite = e ? e->misc : nullptr;
  frame = ka::kMiscPillarA + (Rand15() & 1);
  kind = kKindPillar;
  radius = kPillarRadius;
  hotX = ka::kPillarHotX;
  hotY = ka::kPillarHotY;
  x = CellCentreX(cell);
  y = CellCentreY(cell);
  z = 0;
  state = kPillarDown;
  Project();
}

void KickboxingPillar::Update() {
  if (state == kPillarRising) {
    z += 2;
    if (z < kPillarUp) event->PlayUnlessPlaying(event->sound[kSndPillar]);
    if (z >= kPillarUp) {
      z = kPillarUp;
      state = kPillarStanding;
    }
  } else if (state == kPillarSinking) {
    z -= 2;
    if (z > 0) event->PlayUnlessPlaying(event->sound[kSndPillar]);
    if (z <= 0) {
      z = 0;
      state = kPillarDown;
    }
  }
  Project();
}

void KickboxingPillar::Draw(int cameraX, int cameraY) const {
  DrawPart(cameraX, cameraY, 0);
  const int row = Cell() / kGrid, column = Cell() % kGrid;
  // The two cells in front: their top faces go back over what this one
  // covered of them.
  if (row > 0)
    if (const KickboxingPillar* p = event->Pillar(Cell() - kGrid)) p->DrawPart(cameraX, cameraY, 2);
  if (column < kGrid - 1)
    if (const KickboxingPillar* p = event->Pillar(Cell() + 1)) p->DrawPart(cameraX, cameraY, 3);
}

void KickboxingPillar::DrawPart(int cameraX, int cameraY, int mode) const {
  DDSurface* target = event ? event->target : nullptr;
  if (!sprite || !target) return;
  const int px = screenX - cameraX - ka::kPillarHotX, py = screenY - cameraY - ka::kPillarHotY;
  const int row = Cell() / kGrid, column = Cell() % kGrid;
  if (mode == 0 && (row == 0 || column == kGrid - 1)) {
    sprite->DrawFrame(frame, target, px, py);
    return;
  }
  DDSurface* s = sprite->GetFrameSurface(frame);
  if (!s) return;
  const int w = std::min(ka::kPillarW, s->GetWidth()), h = s->GetHeight();
  switch (mode) {
    case 0: target->BltKeyed(px, py, w, std::min(static_cast<int>(z) + ka::kPillarTop, h), s, 0, 0); break;
    case 2: target->BltKeyed(px + 34, py, std::max(0, std::min(41, w - 34)), std::min(17, h), s, 34, 0); break;
    case 3: target->BltKeyed(px, py, std::min(41, w), std::min(17, h), s, 0, 0); break;
    default: break;
  }
}

// ---------------------------------------------------------------------------
// Hit sparks and dust clouds

KickboxingHitSpark::KickboxingHitSpark(KickboxingScene* e, int s) : KickboxingActor(e, s) {
  kind = kKindSpark;
  sprite = e ? e->misc : nullptr;
  hotX = hotY = ka::kSparkSize / 2;
}

void KickboxingHitSpark::Update() {
  ++step;
  if (step >= 6) {
    delete this;  // clears the slot
    return;
  }
  x += vx;
  y += vy;
  z += vz;
  Project();
}

void KickboxingHitSpark::Draw(int cameraX, int cameraY) const {
  DDSurface* target = event ? event->target : nullptr;
  DDSurface* s = sprite ? sprite->GetFrameSurface(frame) : nullptr;
  if (!target || !s) return;
  // It grows from 8 to 40 pixels over its life.
  const int size = step * ka::kSparkSize / 5;
  BlitSurfaceRect(target, screenX - cameraX - size / 2, screenY - cameraY - size / 2, size, size, s, 0, 0,
                  std::min(ka::kSparkSize, s->GetWidth()), std::min(ka::kSparkSize, s->GetHeight()), kBltKeySrc, nullptr);
}

KickboxingDustCloud::KickboxingDustCloud(KickboxingScene* e, int s) : KickboxingActor(e, s) {
  kind = kKindDust;
  sprite = e ? e->smoke : nullptr;
  hotX = hotY = 5;
  frame = 1;
}

void KickboxingDustCloud::Update() {
  ++step;
  if (step >= 6) {
    delete this;
    return;
  }
  frame = std::clamp<int>(step, 1, ka::kSmokeFrames);
  Project();
}

// ---------------------------------------------------------------------------
// Thrown weapons

KickboxingWeapon::KickboxingWeapon(KickboxingScene* e, int s, int player, int ch)
    : KickboxingActor(e, s), thrower(kFighterSlot + (player & 3)), character(std::clamp(ch, 0, 5)) {
  kind = kKindWeapon;
  sprite = e ? e->weaponSprite[player & 3] : nullptr;
  frame = 1;
  radius = kWeaponRadius;
  hotX = hotY = ka::kWeaponSize / 2;
  if (sprite && sprite->FrameCount() > 0)
    if (const BitmapInfoHeader* info = sprite->GetFrameInfo(1)) {
      hotX = std::abs(info->width) / 2;
      hotY = std::abs(info->height) / 2;
    }
}

void KickboxingWeapon::Update() {
  ++step;
  if (step > 40) {
    delete this;
    return;
  }
  const int hit = event->Collide(slot, 3);
  if (hit >= 0 && hit != thrower) {
    KickboxingFighter* victim = hit >= kFighterSlot ? event->Fighter(hit - kFighterSlot) : nullptr;
    if (!victim) {  // a raised pillar
      delete this;
      return;
    }
    if (victim->state != kKnocked) {
      KickboxingFighter* from = event->Fighter(thrower - kFighterSlot);
      event->SpawnHitSparks(x, y, z);
      victim->energy -= WeaponDamage(g_players[thrower - kFighterSlot].weaponPower, g_players[victim->player].endurance,
                                     victim->powerLevel);
      victim->lastHitter = thrower;
      if (victim->energy > 0) {
        if (from) from->score += kWeaponPoints;
        victim->pending.state = kHitHard;
        event->Play(victim->sounds[kSndHurt]);
        victim->pending.flightDirection = 0;
        victim->pending.flightSpeed = 0;
      } else {
        if (from) from->score += kWeaponKnockOutPoints;
        victim->pending.state = kKnocked;
        const int v = ((static_cast<int>(x) % 3) + 3) % 3;
        event->PlayIfFightersQuiet(victim->knockOutVoice[v], victim->knockOutVoiceFrames[v]);
        event->Play(victim->sounds[kSndHurtHard]);
        victim->pending.flightDirection = facing;
        victim->pending.flightSpeed = 8;
      }
      victim->pending.step = 0;
      victim->pending.facing = static_cast<uint8_t>((facing + 4) & 7);
      victim->pending.x = victim->x;
      victim->pending.y = victim->y;
      victim->pending.z = victim->z;
      delete this;
      return;
    }
    // A fighter lying on the ground lets the weapon fly over him.
  }
  if (character == ka::kZovi && step < 7)
    z -= 40;  // the ship comes down from high above, then flies on
  else
    Move(facing, 15);
  frame = DirectionToSpriteRow(facing) * 5 + step % 5 + 1;
  Project();
}

}  // namespace kick
