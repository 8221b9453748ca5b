#include "events/troubled_waters/swimmer.h"

#include <algorithm>
#include <cstdlib>

#include "base/player_records.h"
#include "base/random.h"
#include "events/troubled_waters/swim_actors.h"
#include "events/troubled_waters/swim_rules.h"
#include "events/troubled_waters/troubled_waters_data.h"
#include "graphics/sprite.h"

namespace swim {

namespace {

constexpr int kRight = 0, kDown = 1, kLeft = 2, kUp = 3, kAction4 = 4, kAction5 = 5, kAction7 = 7, kAction8 = 8;
constexpr uint8_t kHeld = 0x80;
int Sign(int32_t v) { return (v > 0) - (v < 0); }
int Col(int32_t v) { return v < 0 ? -1 : v / kCellPixels; }
bool Held(const uint8_t* in, int b) { return (in[b] & kHeld) != 0; }
bool Pressed(const uint8_t* in, int b) { return (in[b] & 0x7F) != 0; }

}  // namespace

Swimmer::Swimmer(int p, SwimWorld* w, Sprite* s, const SwimmerData& d) : world(w), sprite(s), player(p & 3) {
  for (int i = 0; i < 10; ++i) {
    firstFrame[i] = d.firstFrame[i];
    count[i] = d.count[i];
  }
  airLoss = d.airLoss;
  speedStep = d.speedStep;
  refill = d.refill;
  energyCap = d.energyCap;
  moodYLimit = d.moodYLimit;
  animFirst = frame = firstFrame[0];
  animLength = count[0];
  y = 72 * (player + 1);
  width = swimassets::kSwimmerW;
  height = swimassets::kSwimmerH;
  if (s && s->FrameCount() > 0)
    if (const BitmapInfoHeader* info = s->GetFrameInfo(1)) {
      width = std::abs(info->width);
      height = std::abs(info->height);
    }
  halfWidth = width >> 1;
  halfHeight = height >> 1;
  vx = IsHuman() ? 0 : 1;
  PlaceAt(x, y);
}

void Swimmer::PlaceAt(int32_t px, int32_t py) {
  x = px;
  y = py;
  for (auto& t : trail) {
    t[0] = x;
    t[1] = y;
  }
}

bool Swimmer::IsHuman() const { return world->IsPerson(player); }
uint8_t* Swimmer::Input() const { return g_playerStates[player]; }
bool Swimmer::Finished() const { return x + halfWidth >= kFinishX; }

int Swimmer::Mood() const {
  const PlayerRecord& p = g_players[player];
  return SwimmerMood({stun, state, y, moodYLimit, p.place, air, p.energy, energyCap});
}

AirPump* Swimmer::NearPump() const {
  for (AirPump* p : world->pumps)
    if (std::abs(p->x - 6 - x) <= 30 && std::abs(p->y - 16 - y) <= 20) return p;
  return nullptr;
}

void Swimmer::Update() {
  uint8_t* in = Input();
  // A computer player's record holds only what it chooses this frame.
  if (!IsHuman()) std::fill(in, in + kPlayerStateSize, 0);
  if (throwCooldown > 0) --throwCooldown;
  if (pillTime > 0) --pillTime;
  chasers[0] = chasers[1] = chasers[2] = 0;
  if (Finished()) {
    FinishedUpdate();
    return;
  }
  AirPump* pump = NearPump();
  const int32_t frameCounter = world->raceFrame;
  if (!pump) {
    if (air > 0 && state != kFloating && state != kAtPump && pillTime == 0 && (frameCounter & 1)) air -= airLoss;
    if (air > 0 && state == kFloating && pillTime == 0 && (frameCounter & 3)) air -= airLoss;
  }
  if (air > 0 && air < 5000 && state == kSwimming && !world->Playing(world->sound[kSndGargle])) {
    world->PlayEvent(kSndGargle);
    world->PlayIfQuiet(sound[kVoiceAir1 + frameCounter % 3]);
  }
  if (state == kAtPump) {
    if (air < kFullAir) {
      if (world->NearLocalSwimmer(x, y, 200)) world->PlayUnlessPlaying(sound[kSndBreath]);
      air += refill;
    }
    if (air >= kFullAir) state = kFloating;
  } else if (world->Playing(sound[kSndBreath])) {
    world->Stop(sound[kSndBreath]);
  }
  if (stun != 0) {
    StunnedUpdate();
    return;
  }
  if (!IsHuman()) {
    Steer();
  } else if (bumpAnimation) {
    std::fill(in, in + 4, 0);
  }

  previousFacingX = facingX;
  previousFacingY = facingY;
  if (facingX) lastFacingX = facingX;
  if (facingY) lastFacingY = facingY;
  previousState = state;
  if (Held(in, kRight)) {
    ++vx;
    framesSinceH = 0;
  }
  if (Held(in, kLeft)) {
    --vx;
    framesSinceH = 0;
  }
  if (Held(in, kDown)) {
    ++vy;
    framesSinceV = 0;
  }
  if (Held(in, kUp)) {
    --vy;
    framesSinceV = 0;
  }
  if (Pressed(in, kAction5)) fireMode = 1 - fireMode;

  if (air < kFullAir && pump && !IsHuman()) {
    state = kAtPump;
    facingX = Sign(vx);
    facingY = Sign(vy);
    Animate(lastFacingX, lastFacingY, previousState);
    return;
  }
  state = (framesSinceH < 21 || framesSinceV < 21) ? kSwimming : kFloating;
  if (framesSinceH > 5 && framesSinceV > 5 && air < 49000 && pump) {
    state = kAtPump;
    vx = vy = 0;
  }

  PlayerRecord& rec = g_players[player];
  const int character = std::clamp(rec.character, 0, 5);
  if (!IsHuman() && state == kSwimming && RandomUnit() < 0.4) {
    const int d = ThrowDirection(vx, vy, character);
    if (d >= 0) {
      SeaCreature* const* tables[3] = {world->sharks, world->eels, world->jellies};
      for (SeaCreature* const* table : tables)
        for (int i = 0; i < 8; ++i)
          if (table[i] && table[i]->cooldown == 0 && AimAtCreature(d, table[i]->x - x, table[i]->y - y))
            in[kAction4] = kHeld;
    }
  }
  if (((Held(in, kAction4) && fireMode == 1) || Pressed(in, kAction8)) && pillTime == 0 && rec.powerPills > 0) {
    rec.powerPills = std::max(0, rec.powerPills - 1);
    pillTime = 200;
    world->PlayEvent(kSndPill);
  }
  if (((Held(in, kAction4) && fireMode == 0) || Pressed(in, kAction7)) && throwCooldown == 0 && rec.weaponUnits > 0) {
    const int d = ThrowDirection(vx, vy, character);
    const int slot = d >= 0 ? world->FreeWeaponSlot() : -1;
    if (slot >= 0) {
      rec.weaponUnits = std::max(0, rec.weaponUnits - 1);
      state = kSwimming;
      framesSinceH = framesSinceV = 0;
      throwCooldown = 15;
      new SwimWeapon(world, x, y, d, player, slot);  // the slot owns it
      world->PlayUnlessPlaying(sound[kSndThrow]);
    }
  }

  if (!bumpedThisFrame) {
    if (vy != 0 && framesSinceV % 10 == 9) vy -= Sign(vy);
    if (vx != 0 && framesSinceH % 10 == 9) vx -= Sign(vx);
  }
  int32_t limitX = speedStep, limitY = speedStep > 7 ? 6 : 5;
  if (air < 1) limitX = limitY = 2;
  if (rec.energy < 6) {
    limitX = std::min(limitX, 2);
    limitY = std::min(limitY, 1);
  }
  if (pillTime != 0) {
    limitX = 16;
    limitY = 12;
  }
  if (std::abs(vx) > limitX) vx = Sign(vx) * limitX;
  if (std::abs(vy) > limitY) vy = Sign(vy) * limitY;
  bumpedThisFrame = 0;
  facingX = Sign(vx);
  facingY = Sign(vy);

  // Walls.
  const int c = Col(x), r = Col(y);
  const uint8_t k = Maze().At(r, c);
  const bool diagonal = k == 9 || k == 13 || k == 16 || k == 20;
  if (vx != 0 && x < kFinishX && !IsWater(k) && !Water(r, c + facingX) && !diagonal) HitWall(k);
  if (vx < 0 && x < 50) HitWall(-1);
  if (vy != 0 && !IsWater(k) && !Water(r + facingY, c) && !diagonal) HitWall(k);
  const int mx = x % 100, my = y % 100;
  if ((k == 9 && mx > 50 && my > 50 && (vx > 0 || vy > 0)) || (k == 13 && mx < 50 && my > 50 && (vx < 0 || vy > 0)) ||
      (k == 16 && mx > 50 && my < 50 && (vx > 0 || vy < 0)) || (k == 20 && mx < 50 && my < 50 && (vx < 0 || vy < 0)))
    HitWall(-1);

  x += vx;
  if ((framesSinceV & 1) == 0) y += vy;
  for (int i = 3; i > 0; --i) {
    trail[i][0] = trail[i - 1][0];
    trail[i][1] = trail[i - 1][1];
  }
  trail[0][0] = x;
  trail[0][1] = y;
  if (bumpAnimation) state = kBumped;
  facingX = Sign(vx);
  facingY = Sign(vy);
  Animate(lastFacingX, lastFacingY, previousState);

  ++energyCounter;
  if (((state == kFloating || state == kAtPump) && energyCounter > 9) || (state == kSwimming && energyCounter > 19)) {
    if (rec.energy < energyCap) ++rec.energy;
    energyCounter = 0;
  }
  bumpedThisFrame = 0;
  ++framesSinceH;
  ++framesSinceV;
}

void Swimmer::FinishedUpdate() {
  if (state != kFloating) {
    animFirst = frame = firstFrame[6];
    animLength = count[6];
  }
  previousState = state;
  state = kFloating;
  vx = vy = 0;
  previousFacingX = facingX;
  previousFacingY = facingY;
  if (x <= kFinishX + 64 * (2 - g_players[player].place)) x += 10;
  Animate(facingX, facingY, kFloating);
  lastFacingX = facingX;
  lastFacingY = facingY;
  std::fill(Input(), Input() + 4, 0);
}

void Swimmer::StunnedUpdate() {
  if (stun < 0) {
    stun = 20;
    Animate(facingX, facingY, 999);
    previousFacingX = facingX;
    previousFacingY = facingY;
    return;
  }
  --stun;
  Animate(facingX, facingY, state);
  if (stun == 0) {
    vx = Sign(vx);
    vy = Sign(vy);
  }
}

// ---------------------------------------------------------------------------
// The computer's steering

void Swimmer::Steer() {
  uint8_t* in = Input();
  const MazeGrid& m = Maze();
  const int c = Col(x), r = Col(y);
  const uint8_t k = m.At(r, c);
  auto press = [&](int b) { in[b] = kHeld | 1; };

  if (WantsPump(air)) {
    for (AirPump* p : world->pumps) {
      if (!(0 <= p->y + 30 - y && p->y + 30 - y < 200 && std::abs(x - p->x) < 600)) continue;
      const int pc = Col(p->x), step = pc >= c ? 1 : -1;
      bool open = true;
      for (int cc = c;; cc += step) {
        if (!m.Water(r, cc)) {
          open = false;
          break;
        }
        if (cc == pc) break;
      }
      if (!open) continue;
      if (std::abs(p->x - 6 - x) < 21 && std::abs(p->y - 16 - y) < 21) {
        vx = vy = 0;
        state = kAtPump;
      } else {
        const int32_t dy = y - (p->y - 16), dx = x - (p->x - 6);
        if (dy < -20) press(kDown);
        if (dy > 20) press(kUp);
        if (dx < -20) press(kRight);
        if (dx > 20) press(kLeft);
      }
      return;
    }
  }
  const int d = ChooseDetour();
  if (d >= 0) {
    press(d);
    return;
  }
  auto vertical = [&]() {
    if (vy == 0) {
      press(Route(r - 1, c) ? kUp : kDown);
    } else {
      press(vy < 0 ? kUp : kDown);
    }
  };
  if (vx > 0 && x + halfWidth < 10001) {
    if (k == kRouteDown) {
      press(kDown);
      press(kLeft);
    } else if (k == kRouteUp) {
      press(kUp);
      press(kLeft);
    } else if (Route(r, Col(x + halfWidth))) {
      press(kRight);
    } else {
      vertical();
    }
  } else if (vx > 0) {
    press(kRight);
  } else if (vx < 0) {
    if (k == kRouteDown) {
      press(kDown);
      press(kRight);
    } else if (k == kRouteUp) {
      press(kUp);
      press(kRight);
    } else if (Route(r, Col(x - halfWidth))) {
      press(kLeft);
    } else {
      vertical();
    }
  } else if (vy != 0) {
    const int next = vy < 0 ? r - 1 : r + 1;
    if (player > 2 || !m.Water(next, c) || RandomUnit() >= 0.3) {
      if (k == kRouteDown) press(kDown);
      if (k == kRouteUp) press(kUp);
    } else {
      press(vy < 0 ? kUp : kDown);
    }
  } else if (state != kAtPump) {
    if (k == kRouteDown) {
      press(kDown);
    } else if (k == kRouteUp) {
      press(kUp);
    } else if (k == kRouteCell) {
      const double u = RandomUnit();
      if (u < 0.6 && m.Water(r, Col(x + halfWidth)))
        press(kRight);
      else if (m.Water(r, Col(x - halfWidth)))
        press(kLeft);
    } else if (RandomUnit() < 0.6 && m.Water(Col(y + halfHeight), c)) {
      press(kDown);
    } else if (RandomUnit() < 0.6 && m.Water(Col(y - halfHeight), c)) {
      press(kUp);
    } else if (RandomUnit() < 0.4 && m.Water(r, Col(x - halfWidth))) {
      press(kLeft);
    } else {
      press(kRight);
    }
  }
  // Holding the route's row: the rules above steer by the cell under the
  // swimmer and leave its vertical speed alone while it swims along a row,
  // so the speed left from a turn or a shaft carried it out of the row into
  // side water off the route, where it only wanders (most computer swimmers
  // never reached the exit). On the route, drifting towards such water, it
  // presses against the drift; where the route itself goes on up or down,
  // the cells there are route cells and nothing changes.
  if (IsRouteCode(k) && vy != 0 && !Held(in, kUp) && !Held(in, kDown)) {
    const int beyond = r + Sign(vy);
    if (m.Water(beyond, c) && !Route(beyond, c)) press(vy > 0 ? kUp : kDown);
  }
  if (vx < 0 && !m.Water(r, Col(x - halfWidth))) vx = 0;
  if (vy > 0 && !m.Water(Col(y + halfHeight), c)) vy = 0;
  if (vy < 0 && !m.Water(Col(y - halfHeight), c)) vy = 0;
}

int Swimmer::TryUp(int c, int side, int rt) {
  if (Water(rt, c) && Water(rt - 1, c)) return kUp;
  for (int k = rt; k >= 0; --k) {
    if (Water(k, c)) return kUp;
    if (!Water(k, side)) break;
  }
  return -1;
}

int Swimmer::TryDown(int c, int side, int rb) {
  if (Water(rb, c) && Water(rb + 1, c)) return kDown;
  for (int k = rb; k <= 99; ++k) {
    if (Water(k, c)) return kDown;
    if (!Water(k, side)) break;
  }
  return -1;
}

int Swimmer::TryLeft(int r, int cl) {
  if (Water(r, cl) && Water(r, cl - 1)) return kLeft;
  for (int k = cl; k >= 0; --k)
    if (Water(r, k)) return kLeft;
  return -1;
}

int Swimmer::TryRight(int r, int cr) {
  if (Water(r, cr) && Water(r, cr + 1)) return kRight;
  for (int k = std::max(cr, 0); k <= 99; ++k)
    if (Water(r, k)) return kRight;
  return -1;
}

int Swimmer::ChooseDetour() {
  const int c = Col(x), cl = Col(x - halfWidth), cr = Col(x + halfWidth);
  const int r = Col(y), rt = Col(y - halfHeight), rb = Col(y + halfHeight);
  const MazeGrid& m = Maze();
  if (vx >= 1 && !Water(r, cr)) {
    vx = 0;
    if (RandomUnit() < 0.5) {
      const int d = TryUp(c, c - 1, rt);
      if (d >= 0) return d;
    }
    const int d = TryDown(c, c - 1, rb);
    if (d >= 0) return d;
  }
  if (vx < 0 && !Water(r, cl)) {
    if (RandomUnit() < 0.5) {
      const int d = TryUp(c, c + 1, rt);
      if (d >= 0) return d;
    }
    const int d = TryDown(c, c + 1, rb);
    if (d >= 0) return d;
  }
  const uint8_t below = m.At(rb, c);
  if (vy > 0 && !IsWater(below) && below != 9 && below != 13) {
    vy = 0;
    if (RandomUnit() < 0.3) {
      const int d = TryLeft(r, cl);
      if (d >= 0) return d;
    }
    const int d = TryRight(r, cr);
    if (d >= 0) return d;
  }
  if (vy >= 0) return -1;
  const uint8_t above = m.At(rt, c);
  if (IsWater(above) || above == 16 || above == 20) return -1;
  vy = 0;
  if (RandomUnit() < 0.3) {
    const int d = TryLeft(r, cl);
    if (d >= 0) return d;
  }
  return TryRight(r, cr);
}

void Swimmer::HitWall(int k) {
  if (x + vx >= kFinishX || (vx == 0 && vy == 0)) return;
  if (((k == 11 || k == 14) && vx == 0 && vy < 0) || ((k == 10 || k == 17) && vx < 0 && vy == 0) ||
      ((k == 12 || k == 19) && vx > 0 && vy == 0) || ((k == 15 || k == 18) && vx == 0 && vy > 0))
    return;
  const bool slidePiece = !(k == 10 || k == 11 || k == 12 || k == 14 || k == 15 || k == 17 || k == 18 || k == 19);
  if (slidePiece) {
    const int c = Col(x), r = Col(y);
    if (!Water(r, c + facingX) && Water(r, c - facingX)) vx = 0;
    if (!Water(r + facingY, c) && Water(r - facingY, c)) vy = 0;
    if (vx != 0 || vy != 0) return;  // slides along the wall
  }
  bumpedThisFrame = 1;
  state = kBumped;
  bumpAnimation = 1;
  Animate(facingX, facingY, 999);
  framesSinceH = framesSinceV = 0;
  vx = vy = 0;
  if (world->NearLocalSwimmer(x, y, -1)) world->PlayUnlessPlaying(sound[kSndReaction]);
}

// ---------------------------------------------------------------------------
// Animation

void Swimmer::Animate(int fx, int fy, int s) {
  const bool slow = state == kFloating || state == kAtPump || air <= 0;
  if (facingX == previousFacingX && facingY == previousFacingY && state == s) {
    if (!slow || (world->raceFrame & 1)) ++frame;
    if (frame - animFirst < animLength) return;
    if (state == kBumped) bumpAnimation = 0;
    if (!turning) {
      if (state == kFloating) {
        if (animFirst >= firstFrame[7]) {
          animFirst += firstFrame[6] - firstFrame[7];
          animLength = count[6];
        } else {
          animFirst += firstFrame[7] - firstFrame[6];
          animLength = count[7];
        }
      }
      frame = animFirst;
      return;
    }
    turning = 0;
  }
  const int character = std::clamp(g_players[player].character, 0, 5);
  switch (state) {
    case kFloating:
      animFirst = firstFrame[6] + (fx == 1 ? 0 : count[6]);
      animLength = count[6];
      break;
    case kShocked:
      animFirst = firstFrame[4] + (facingX == 1 ? 0 : count[4]);
      animLength = count[4];
      break;
    case kStung:
      animFirst = firstFrame[5] + (facingX == 1 ? 0 : count[5]);
      animLength = count[5];
      break;
    case kAtPump:
      animFirst = firstFrame[2] + (fx == -1 && character != kZovi ? count[2] : 0);
      animLength = count[2];
      break;
    case kBumped:
      animFirst = firstFrame[1] + count[1] * BumpDirection(fx, fy);
      animLength = count[1];
      break;
    case kSwimming: {
      if (turning) return;
      // A turn starts from the facing the caller passes (in a swimming
      // frame the last way he faced on each axis), not from the frame
      // before: a swimmer who came to a stop still turns round from where
      // he was looking, and swims off the same way without a turn.
      const int gOld = DirectionGroup(fx, fy);
      const int g = DirectionGroup(facingX, facingY);
      const bool turn = ((gOld == 0 || gOld == 1 || gOld == 5) && facingX < 0) ||
                        ((gOld == 2 || gOld == 3 || gOld == 4) && facingX > 0);
      if (!turn) {
        if (vx == 0 && vy < 0) {
          animFirst = firstFrame[8];
          animLength = count[8];
        } else if (vx == 0 && vy > 0) {
          animFirst = firstFrame[9];
          animLength = count[9];
        } else {
          animFirst = firstFrame[0] + count[0] * g;
          animLength = count[0];
        }
      } else {
        turning = 1;
        animFirst = firstFrame[3] + count[3] * gOld;
        animLength = count[3];
        if ((gOld == 5 && g == 4) || (gOld == 4 && g == 5) || (gOld == 1 && g == 2) || (gOld == 2 && g == 1))
          animLength /= 2;
      }
      break;
    }
    default:
      break;
  }
  frame = animFirst;
}

void Swimmer::Draw() { world->DrawInViews(sprite, frame, x, y, halfWidth, halfHeight, false); }

}  // namespace swim
