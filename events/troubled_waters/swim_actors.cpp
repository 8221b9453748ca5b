#include "events/troubled_waters/swim_actors.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/player_records.h"
#include "base/random.h"
#include "events/troubled_waters/swimmer.h"
#include "events/troubled_waters/troubled_waters_data.h"
#include "graphics/clipper.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "sound/sound.h"

namespace swim {

namespace sa = swimassets;

// ---------------------------------------------------------------------------
// The world's services

void SwimWorld::Play(int slot) const {
  if (g_soundManager && slot >= 0) g_soundManager->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
}

bool SwimWorld::Playing(int slot) const { return g_soundManager && slot >= 0 && g_soundManager->IsPlaying(slot); }

void SwimWorld::Stop(int slot) const {
  if (g_soundManager && slot >= 0) g_soundManager->Stop(slot);
}

void SwimWorld::PlayIfQuiet(int slot) const {
  for (const Swimmer* s : swimmers)
    if (s)
      for (int v = kVoiceShark1; v <= kVoiceFinish; ++v)
        if (Playing(s->sound[v])) return;
  Play(slot);
}

bool SwimWorld::NearLocalSwimmer(int32_t x, int32_t y, int32_t maxDy) const {
  for (int v = 0; v < views; ++v) {
    const Swimmer* s = swimmers[localPlayer[v] & 3];
    if (!s) continue;
    if (std::abs(s->x - x) <= halfViewWidth && (maxDy < 0 || std::abs(s->y - y) <= maxDy)) return true;
  }
  return false;
}

int SwimWorld::FreeWeaponSlot() const {
  for (int i = 0; i < kWeaponSlots; ++i)
    if (!weapons[i]) return i;
  return -1;
}

void SwimWorld::ClipToView(int view) const {
  if (!clipper || !target) return;
  const ClipRect r{view * viewWidth, 0, viewWidth, 400};
  clipper->SetClipRect(r);
  target->SetClipper(clipper);
}

void SwimWorld::ClipToScreen() const {
  if (!clipper || !target) return;
  const ClipRect r{0, 0, 640, 480};
  clipper->SetClipRect(r);
  target->SetClipper(clipper);
}

void SwimWorld::DrawInViews(Sprite* s, int frame, int32_t x, int32_t y, int32_t hw, int32_t hh,
                            bool testVertical) const {
  if (!s || !target || frame < 1 || frame > s->FrameCount()) return;
  for (int v = 0; v < views; ++v) {
    const int32_t cx = cameraX[v], cy = cameraY[v];
    if (!(cx < x + hw && x - hw < cx + viewWidth)) continue;
    if (testVertical && !(cy < y + hh && y - hh < cy + 400)) continue;
    if (views > 1) ClipToView(v);
    s->DrawFrame(frame, target, x - cx - hw + v * viewWidth, y - cy - hh);
  }
}

namespace {

void FrameSize(Sprite* s, int frame, int32_t fallbackW, int32_t fallbackH, int32_t* w, int32_t* h) {
  *w = fallbackW;
  *h = fallbackH;
  if (!s || frame < 1 || frame > s->FrameCount()) return;
  if (const BitmapInfoHeader* info = s->GetFrameInfo(frame)) {
    *w = std::abs(info->width);
    *h = std::abs(info->height);
  }
}

int Col(int32_t v) { return v < 0 ? -1 : v / kCellPixels; }

struct KindTable {
  int32_t first[6], count[6], speed, hit[4], contactDy, contactRange, w, h;
  EventSound sound;
};
// Sharks, eels, jellyfish. A hit rectangle's left and right of -1 stand for
// the creature's half width.
const KindTable kKinds[3] = {
    {{1, 61, 41, 101, 31, 91}, {30, 30, 20, 20, 10, 10}, 6, {20, 40, 220, 105}, 15, 35, sa::kSharkW, sa::kSharkH, kSndBite},
    {{1, 61, 41, 101, 21, 81}, {20, 20, 20, 20, 20, 20}, 4, {-1, 35, -1, 65}, 10, 50, sa::kEelW, sa::kEelH, kSndShock},
    {{61, 1, 101, 41, 81, 21}, {20, 20, 20, 20, 20, 20}, 2, {-1, 0, -1, 40}, 30, 30, sa::kJellyW, sa::kJellyH, kSndSting},
};
enum { kRunRight, kRunLeft, kRunTurnLeft, kRunTurnRight, kRunBiteRight, kRunBiteLeft };

int Sign(int32_t v) { return (v > 0) - (v < 0); }

}  // namespace

// ---------------------------------------------------------------------------
// Sea creatures

SeaCreature::SeaCreature(int k, SwimWorld* w, Sprite* s, int32_t px, int32_t py)
    : world(w), kind(k), x(px), y(py), sprite(s) {
  const KindTable& t = kKinds[std::clamp(k, 1, 3) - 1];
  FrameSize(s, 1, t.w, t.h, &width, &height);
  halfWidth = width / 2;
  halfHeight = height / 2;
  for (int i = 0; i < 6; ++i) {
    first[i] = t.first[i];
    count[i] = t.count[i];
  }
  for (int i = 0; i < 4; ++i) hit[i] = t.hit[i] < 0 ? halfWidth : t.hit[i];
  heading = (x & 1) ? 1 : -1;
  frame = heading > 0 ? first[kRunRight] : first[kRunLeft];
  dx = heading * t.speed;
}

int32_t SeaCreature::MouthX(int reach) const {
  return heading < 0 ? x + reach - halfWidth + hit[0] : x - reach - halfWidth + hit[2];
}

int SeaCreature::TryBite(int i) {
  const KindTable& t = kKinds[kind - 1];
  Swimmer* s = world->swimmers[i & 3];
  if (!s) return -1;
  if (!(std::abs(s->y - y) < t.contactDy && std::abs(heading) == 1 && s->stun == 0 && distance[i] < t.contactRange))
    return -1;
  if (world->NearLocalSwimmer(s->x, s->y, -1)) {
    world->PlayUnlessPlaying(world->sound[t.sound]);
    if (kind == kShark) world->PlayIfQuiet(s->sound[(world->raceFrame & 1) ? kVoiceShark2 : kVoiceShark1]);
  }
  cooldown = 100;
  PlayerRecord& p = g_players[i & 3];
  p.energy = std::max(0, p.energy - CreatureDamage(kind, p.endurance));
  s->framesSinceH = s->framesSinceV = 25;
  if (kind == kShark) {
    s->stun = 3;
  } else {
    s->stun = kind == kEel ? -1 : -2;
    s->state = kind == kEel ? kShocked : kStung;
  }
  if (heading == 1) {
    heading = 2;
    frame = first[kRunBiteRight];
  } else {
    heading = -3;
    frame = first[kRunBiteLeft];
  }
  dx = dy = 0;
  return i;
}

int SeaCreature::ProbeWalls() {
  const MazeGrid& m = *world->maze;
  const int c = Col(x), cl = Col(x - halfWidth), cr = Col(x + halfWidth);
  const int r = Col(y), rt = Col(y - halfHeight), rb = Col(y + halfHeight);
  auto vertical = [&](int side) {
    if (RandomUnit() < 0.5) {
      for (int k = rt; k >= 0; --k) {
        if (m.Water(k, c)) return 3;
        if (!m.Water(k, side)) break;
      }
    }
    for (int k = rb; k <= 99; ++k) {
      if (m.Water(k, c)) return 1;
      if (!m.Water(k, side)) break;
    }
    return -1;
  };
  auto horizontal = [&]() {
    if (RandomUnit() < 0.3) {
      for (int k = cl; k >= 0; --k)
        if (m.Water(r, k)) return 2;
    }
    for (int k = std::max(cr, 0); k <= 99; ++k)
      if (m.Water(r, k)) return 0;
    return -1;
  };
  if (dx > 0 && !m.Water(r, cr)) {
    const int p = vertical(c - 1);
    if (p >= 0) return p;
  }
  if (dx < 0 && !m.Water(r, cl)) {
    const int p = vertical(c + 1);
    if (p >= 0) return p;
  }
  if (dy > 0 && !m.Water(rb + 1, c)) {
    const int p = horizontal();
    if (p >= 0) return p;
  }
  if (dy < 0 && !m.Water(rt - 1, c)) {
    const int p = horizontal();
    if (p >= 0) return p;
  }
  return -1;
}

void SeaCreature::Update() {
  const MazeGrid& m = *world->maze;
  if (cooldown > 0) --cooldown;
  if (heading != 1 && heading != -1) return;
  int wanted = heading;
  int drift = Sign(dy);

  // The nearest swimmer within reach.
  target = -1;
  int32_t best = 10100;
  for (int i = 0; i < 4; ++i) {
    distance[i] = 10100;
    const Swimmer* s = world->swimmers[i];
    if (!s || cooldown >= 1 || s->state == kAtPump) continue;
    const int64_t ddx = s->BodyX() - MouthX(10), ddy = s->BodyY() - y;
    const int32_t d = static_cast<int32_t>(std::sqrt(static_cast<double>(ddx * ddx + ddy * ddy)));
    if (d < 300) {
      distance[i] = d;
      if (d < best) {
        best = d;
        target = i;
      }
    }
  }
  // Crowding: a swimmer already chased by others may be left for the next.
  int n = 0;
  for (int32_t d : distance) n += d < 10000 ? 1 : 0;
  while (n > 0 && target >= 0) {
    const Swimmer* s = world->swimmers[target];
    const int sum = s->chasers[0] + s->chasers[1] + s->chasers[2];
    if (RandomUnit() > sum / 5 && s->chasers[kind - 1] < 2) break;
    distance[target] = 10100;
    target = -1;
    int32_t nearest = 10100;
    for (int i = 0; i < 4; ++i)
      if (distance[i] < nearest) {
        nearest = distance[i];
        target = i;
      }
    --n;
  }
  targetDistance = target >= 0 ? distance[target] : 0;

  if (target >= 0) {
    Swimmer* s = world->swimmers[target];
    ++s->chasers[kind - 1];
    dy += y < s->BodyY() ? 1 : -1;
    const int32_t mx = s->BodyX() - MouthX(30);
    if (std::abs(dx) >= std::abs(mx)) dx = 0;
    if (-300 < mx && mx < -100 && heading > 0) {
      dx = -1;
      wanted = -1;
    }
    if (100 < mx && mx < 300 && heading < 0) {
      dx = 1;
      wanted = 1;
    }
    if (TryBite(target) == target) return;
  }

  auto wallStops = [&](bool right) {
    if (right && dx > 0 && x + halfWidth < kFinishX && !m.Water(Col(y), Col(x + halfWidth))) dx = 0;
    if (dx < 0 && !m.Water(Col(y), Col(x - halfWidth))) dx = 0;
    if (dy > 0 && !m.Water(Col(y + halfHeight), Col(x))) dy = 0;
    if (dy < 0 && !m.Water(Col(y - halfHeight), Col(x))) dy = 0;
  };

  const int p = ProbeWalls();
  if (p == -1) {
    if (drift == 1 || drift == -1) wanted = 0;
    if (wanted == 1) {
      if (x + halfWidth < 10001) {
        if (!m.Water(Col(y), Col(x + halfWidth))) {
          drift = RandomUnit() >= 0.5 ? 1 : -1;
          wanted = 0;
        }
      } else {
        wanted = -1;
      }
    }
    if (wanted == -1) {
      if (x - halfWidth <= 0) {
        wanted = 1;
      } else if (!m.Water(Col(y), Col(x - halfWidth))) {
        drift = RandomUnit() <= 0.5 ? 1 : -1;
        wanted = 0;
      }
    }
    wallStops(false);
  } else if (target < 0) {
    switch (p) {
      case 0: wanted = 1; break;
      case 1: dx = 0; wanted = 0; dy = 2; break;
      case 2: wanted = -1; break;
      default: dx = 0; wanted = 0; dy = -2; break;
    }
  }

  if (wanted == heading || wanted == 0) {
    dx += 2 * wanted;
  } else {
    dx = dy = 0;
    drift = 0;
    heading -= 1;
    if (world->NearLocalSwimmer(x, y, -1)) world->PlayUnlessPlaying(world->sound[kSndTurn]);
    frame = heading == 0 ? first[kRunTurnLeft] : first[kRunTurnRight];
  }
  if (target < 0) dy += drift;

  wallStops(true);
  dy = std::clamp(dy, -5, 5);
  if (std::abs(dx) > 6) dx = Sign(heading) * 6;
  for (int k = 0; k < (cooldown > 0 ? 2 : 1); ++k) {
    x += dx;
    y += dy;
  }
  if (++bobCounter > 4) bobCounter = -5;
  y += bobStep;
  bobStep = bobCounter >= 0 ? 2 : -2;
}

void SeaCreature::Animate() {
  if (starFrame > 0) {
    --starCountdown;
    if (starCountdown <= 0) starFrame = 0;
  }
  ++frame;
  auto past = [&](int run) { return frame >= first[run] + count[run]; };
  switch (heading) {
    case 1:
      if (past(kRunRight)) frame = first[kRunRight];
      break;
    case -1:
      if (past(kRunLeft)) frame = first[kRunLeft];
      break;
    case 0:
      if (past(kRunTurnLeft)) {
        frame = first[kRunLeft];
        heading = -1;
      }
      break;
    case -2:
      if (past(kRunTurnRight)) {
        frame = first[kRunRight];
        heading = 1;
      }
      break;
    case -3:
      if (past(kRunBiteLeft)) {
        frame = first[kRunLeft];
        heading = -1;
      }
      break;
    case 2:
      if (past(kRunBiteRight)) {
        frame = first[kRunRight];
        heading = 1;
      }
      break;
    default:
      break;
  }
}

void SeaCreature::Draw() {
  world->DrawInViews(sprite, frame, x, y, halfWidth, halfHeight);
  // The stars of a weapon hit, in the one-view layout only.
  if (world->views != 1 || starFrame <= 0 || !world->stars || !world->target) return;
  const int32_t t = starCountdown;
  const int32_t left = x - halfWidth - world->cameraX[0], top = y - halfHeight - world->cameraY[0];
  world->stars->DrawFrame(starFrame, world->target, left + (8 - t) * 4, top + (8 - t) * -3);
  world->stars->DrawFrame(12 - starFrame, world->target, left + (8 - t) * -4, top + (8 - t) * -3);
}

// ---------------------------------------------------------------------------
// Still objects

AirPump::AirPump(SwimWorld* w, Sprite* s, int32_t px, int32_t py, int32_t f)
    : world(w), x(px), y(py), frame(f), sprite(s) {
  FrameSize(s, 1, sa::kPumpW, sa::kPumpH, &width, &height);
  halfWidth = width / 2;
  halfHeight = height / 2;
}

void AirPump::Animate() {
  if (!(world->raceFrame & 1)) return;
  const int frames = sprite ? sprite->FrameCount() : sa::kPumpFrames;
  if (++frame > frames - 1) frame = 1;
}

void AirPump::Draw() { world->DrawInViews(sprite, frame, x, y, halfWidth, halfHeight); }

SwimMazeObject::SwimMazeObject(SwimWorld* w, Sprite* s, int32_t px, int32_t py, int32_t k)
    : world(w), kind(k), x(px), y(py), sprite(s) {
  if (IsWeed()) {
    frameCount = 12;
    firstFrame = 1 + 12 * (k - 14);
  } else {
    frameCount = 1;
    firstFrame = k;
  }
  frame = firstFrame;
  FrameSize(s, firstFrame, IsWeed() ? sa::kWeedW : sa::kDecorationW[std::clamp(k, 1, 13)],
            IsWeed() ? sa::kWeedH : sa::kDecorationH[std::clamp(k, 1, 13)], &width, &height);
  halfWidth = width / 2;
  halfHeight = height / 2;
}

void SwimMazeObject::Draw() { world->DrawInViews(sprite, frame, x, y, halfWidth, halfHeight); }

SwimFlag::SwimFlag(SwimWorld* w, Sprite* s, int32_t f) : world(w), frame(f), sprite(s) {
  FrameSize(s, 1, sa::kFlagW, sa::kFlagH, &width, &height);
  halfWidth = width / 2;
  halfHeight = height / 2;
}

void SwimFlag::Update() {
  const int frames = sprite ? sprite->FrameCount() : sa::kFlagFrames;
  if (++frame > frames - 1) frame = 1;
  if (++bobCounter > 4) bobCounter = -5;
  y += bobStep;
  bobStep = bobCounter >= 0 ? 2 : -2;
}

void SwimFlag::Draw() {
  if (!sprite || !world->target) return;
  for (int v = 0; v < world->views; ++v) {
    const int32_t cx = world->cameraX[v], cy = world->cameraY[v];
    if (!(cx < kX + halfWidth && kX - halfWidth < cx + world->viewWidth && cy < y + halfHeight &&
          y - halfHeight < cy + 400))
      continue;
    // One view hangs the flag by its whole height, the split views by half.
    const int32_t top = world->views == 1 ? y - cy - height : y - cy - halfHeight;
    if (world->views > 1) world->ClipToView(v);
    sprite->DrawFrame(frame, world->target, kX - cx - halfWidth + v * world->viewWidth, top);
  }
}

// ---------------------------------------------------------------------------
// Thrown weapons

namespace {
struct Throw {
  int32_t dx, dy;
};
const Throw kThrows[8] = {{15, -15}, {21, 0}, {15, 15}, {-15, 15}, {-21, 0}, {-15, -15}, {0, 21}, {0, -21}};
}  // namespace

SwimWeapon::SwimWeapon(SwimWorld* w, int32_t px, int32_t py, int d, int o, int s)
    : world(w), owner(o & 3), slot(s), x(px), y(py), direction(std::clamp(d, 0, 7)) {
  dx = kThrows[direction].dx;
  dy = kThrows[direction].dy;
  sprite = world->weaponSprite[owner];
  FrameSize(sprite, 1, sa::kWeaponW, sa::kWeaponH, &width, &height);
  halfWidth = width / 2;
  halfHeight = height / 2;
  frame = (direction < 6 ? direction : 0) * 5 + 1;
  endFrame = frame + 5;
  if (slot >= 0 && slot < kWeaponSlots) world->weapons[slot] = this;
}

SwimWeapon::~SwimWeapon() {
  if (slot >= 0 && slot < kWeaponSlots && world->weapons[slot] == this) world->weapons[slot] = nullptr;
}

void SwimWeapon::Draw() { world->DrawInViews(sprite, frame, x, y, halfWidth, halfHeight, false); }

void SwimWeapon::Update() {
  x += dx;
  y += dy;
  SeaCreature* const* tables[3] = {world->sharks, world->eels, world->jellies};
  for (int t = 0; t < 3; ++t)
    for (int i = 0; i < 8; ++i) {
      SeaCreature* c = tables[t][i];
      if (!c) continue;
      int32_t left = c->hit[0], right = c->hit[2];
      if (right <= left) {
        const int32_t inset = c->kind == kShark ? 5 : 10;
        left = inset;
        right = c->width - inset;
      }
      const int32_t ox = c->x - c->halfWidth, oy = c->y - c->halfHeight;
      if (x >= ox + left && x < ox + right && y >= oy + c->hit[1] && y < oy + c->hit[3]) {
        c->cooldown = c->kind == kShark ? 150 : 100;
        c->dx = c->dy = 0;
        c->starFrame = std::min(11, static_cast<int32_t>(RandomUnit() * 10 + 0.5) + 1);
        c->starCountdown = 8;
        world->PlayEvent(c->kind == kShark ? kSndHitShark : (c->kind == kEel ? kSndHitEel : kSndHitJelly));
        delete this;
        return;
      }
    }
  if (++frame >= endFrame) frame = endFrame - 5;
  // Rock, a wall piece or the world's edge ends the flight.
  if (!world->maze || !IsWater(world->maze->AtPoint(x, y))) delete this;
}

}  // namespace swim
