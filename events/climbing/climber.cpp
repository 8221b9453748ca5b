#include "events/climbing/climber.h"

#include <algorithm>
#include <cstdlib>

#include "base/player_records.h"
#include "base/random.h"
#include "events/climbing/climb_world.h"
#include "events/climbing/climbing_data.h"
#include "graphics/sprite.h"
#include "screen/game_screen_services.h"

using namespace climbrules;
namespace ca = climbassets;

namespace {

constexpr uint8_t kHeld = 0x80;
inline bool Held(const uint8_t* s, int b) { return (s[b] & 0x80) != 0; }
inline bool Pressed(const uint8_t* s, int b) { return (s[b] & 0x7F) != 0; }
inline void ClearMoves(uint8_t* s) { s[kClInRight] = s[kClInDown] = s[kClInLeft] = s[kClInUp] = 0; }
inline bool OffTheWall(const Rect& r) { return r.left < kWallLeft - 1 || r.right > kWallRight + 1; }

// Where a throw starts and how the climber turns, by direction 0..6; the
// computer's down-right throw starts 2 pixels nearer.
struct ThrowStart {
  uint8_t facing, aim;
  int dx, dy;
};
constexpr ThrowStart kComputerThrow[7] = {
    {kClFaceNone, kClAimUp, 0, 42},  {kClFaceRight, kClAimUp, 30, 30},  {kClFaceRight, kClAimLevel, 40, 0},
    {kClFaceRight, kClAimDown, 15, -6}, {kClFaceLeft, kClAimDown, -17, -6}, {kClFaceLeft, kClAimLevel, -40, 0},
    {kClFaceLeft, kClAimUp, -30, 30},
};

}  // namespace

Climber::Climber(int player_) : player(player_ & 3) {
  character_ = std::clamp(g_players[player].character, 0, ca::kCharacters - 1);
  const ca::ClimberLayout& L = ca::kLayouts[character_];
  for (int r = 0; r < ca::kRows; ++r) {
    first[r] = L.first[r];
    count[r] = L.count[r];
  }
  const ca::ClimberShape& shape = ca::kShapes[character_];
  moodThreshold = shape.moodThreshold;
  frame = animBase = first[ca::kRowPullUp];
  animLength = count[ca::kRowPullUp];
  facing = kClFaceNone;
  aim = kClAimLevel;
  state = kClPullUp;
  pullUp = 1;
  frameW = shape.w;
  frameH = shape.h;
  halfW = frameW / 2;
  halfH = frameH / 2;
  box = MakeBox(halfW, halfH, shape.box);
  x = (player + 1) * 128 + (player == 1 ? -40 : player == 2 ? 40 : 0);
  h = 0;
}

Climber::~Climber() {
  for (ClimbWeapon*& w : weapons) {
    delete w;
    w = nullptr;
  }
}

uint8_t* Climber::Input() const { return g_playerStates[player]; }

bool Climber::IsComputer() const { return !world || !world->IsPerson(player); }

bool Climber::Visible(int height) const { return world && world->Audible(height); }

void Climber::PlaySound(int which) const {
  if (world) world->Play(ClimberSound(player, which));
}

Climber* Climber::Other(int index) const {
  if (!world || index < 0 || index > 3 || index == player) return nullptr;
  return world->climbers[index];
}

bool Climber::TakePill() {
  PlayerRecord& rec = g_players[player];
  if (rec.powerPills <= 0 || pillMultiplier != 1) return false;
  rec.powerPills -= 1;
  pillTimer = 200;
  pillMultiplier = 2;
  if (world) world->Play(ca::kSndPowerPill);
  return true;
}

// ---------------------------------------------------------------------------
// One frame

void Climber::Update() {
  if (!world) return;
  const int oldX = x, oldH = h, oldFacing = facing, oldAim = aim, oldState = state;
  PlayerRecord& rec = g_players[player];
  uint8_t* s = Input();

  // 1. The stars of a hit fade out.
  if (hitStarFrame && ++hitStarStep > 5) hitStarFrame = 0;
  if (weaponStarFrame && ++weaponStarStep > 5) {
    weaponStarFrame = 0;
    weaponStarX = weaponStarH = -1;
  }
  // 2. An item that is used up cannot stay selected.
  if ((selected == kClItemPill && rec.powerPills <= 0) || (selected == kClItemWeapon && rec.weaponUnits <= 0))
    selected = kClItemNone;
  // 3. A computer that falls behind takes a pill.
  if (IsComputer() && rec.powerPills > 0 && state < kClFall && pillMultiplier == 1) {
    bool behind = false;
    for (int i = 0; i < 4; ++i) {
      const Climber* o = Other(i);
      if (o && (o->h - h > 600 || (h >= 2001 && o->h - h > 300))) behind = true;
    }
    if (behind && TakePill()) selected = kClItemPill;
  }
  // 4. The pill wears off.
  if (pillTimer == 0) {
    pillMultiplier = 1;
  } else {
    --pillTimer;
    if (IsComputer() && pillTimer < 190) selected = kClItemNone;
  }
  // 5. A reaction that nobody keeps up ends.
  if (engagement == kClEngFree && state == kClHit) state = kClIdle;
  // 6. The weapon leaves the hand at the tenth frame of the throw; with all
  // twenty in the air no unit is spent.
  if (rec.weaponUnits > 0 && state == kClThrow && frame == animBase + 9) {
    for (ClimbWeapon*& slot : weapons) {
      if (slot) continue;
      slot = new ClimbWeapon(throwX, throwH, throwDirection, character_, weaponSprite, rec.weaponPower, player);
      slot->world = world;
      rec.weaponUnits -= 1;
      if (Visible(throwH)) PlaySound(kClSndWeapon);
      break;
    }
  }
  // 7. The weapons in flight.
  for (ClimbWeapon*& w : weapons) {
    if (w && !w->Update()) {
      delete w;
      w = nullptr;
    }
  }
  // 8. Aboard the helicopter: rise with it.
  if (state == kClIdle && roofStage == kClRoofAboard) {
    Animate(facing, aim, oldState);
    if (world->helicopter && world->helicopter->state == kHeliRising) h += 4;
    return;
  }
  if (state == kClIdle && ++idleCounter > 19) {
    rec.energy = AddEnergy(rec.energy, 1);
    idleCounter = 0;
  }
  // 9. On the roof: wait for the helicopter's ladder.
  if (h > kRoofHeight - 1) {
    dx = dy = 0;
    const ClimbHelicopter* heli = world->helicopter;
    if (roofStage == kClRoofWaiting && heli) {
      if (heli->state == kHeliHovering && heli->x == x - ca::kLadderOffsetX)
        pullUp = 1;
      else
        state = kClIdle;
    } else {
      state = kClIdle;
    }
    if (!pullUp) {
      if (roofStage != kClRoofAboard) h = kRoofHeight + 2 - std::clamp(rec.place, -1, 3);
      Animate(facing, aim, oldState);
      ClearMoves(s);
      return;
    }
  }
  // 10. Hanging on restores a little energy.
  if (++regenCounter > 29) {
    rec.energy = AddEnergy(rec.energy, 1);
    regenCounter = 0;
  }
  // 11. Pulling up: onto the wall at the start, into the helicopter.
  if (pullUp) {
    state = kClPullUp;
    ClearMoves(s);
    if (roofStage == kClRoofWaiting && frame == LastFrameOf(ca::kRowPullUp)) {
      state = kClIdle;
      roofStage = kClRoofAboard;
    }
    Animate(facing, aim, oldState);
    return;
  }
  // 12. The climb step of this frame.
  const int step = ClimbStep(&climbCounter, climbSpeed, oldState == kClClimb);
  // 13. Struck by something falling.
  if (state != kClFall && state != kClDown) {
    const int r = CheckHits(oldState);
    if (r >= 0) {
      engagement = kClEngFree;
      rec.energy = std::max(0, rec.energy - 3 * r);
    }
  }
  // 14. Reasons to fall.
  if (rec.energy <= 0 && h > 0) state = kClFall;
  if (state != kClCatch && state != kClDown && state != kClFall && h > 10 && OffTheWall(ContactBox())) {
    state = kClFall;
    fallTarget = h - 200;
  }
  if (state != kClDown && state != kClCatch && knockedOff) state = kClFall;
  // 15. What this frame is about.
  if (state == kClFall) {
    Falling(oldState);
  } else if (state == kClDown) {
    Down(oldState);
  } else if (engagement == kClEngAttacked) {
    BeingAttacked(oldX, oldH, oldFacing, oldAim, oldState);
  } else if (engagement == kClEngStruck) {
    state = kClHit;
    Animate(oldFacing, oldAim, oldState);
  } else if (engagement == kClEngAttacking) {
    Attacking(oldFacing, oldAim, oldState);
  } else if (grabbed < 0) {
    FreePlay(oldX, oldH, oldFacing, oldAim, oldState, step);
  } else {
    CatchingPickup(oldState);
  }
}

// ---------------------------------------------------------------------------
// Free play: catching hold, the computer's choices, items, moves and blows

void Climber::FreePlay(int oldX, int oldH, int oldFacing, int oldAim, int oldState, int step) {
  PlayerRecord& rec = g_players[player];
  uint8_t* s = Input();
  if (state == kClCatch || state == kClGetUp) {
    if (CheckHits(oldState) >= 0) {
      state = kClFall;
    } else {
      const bool heavy = ca::IsHeavyClimber(character_);
      const bool done = (state == kClGetUp && frame == first[ca::kRowFall]) ||
                        (state == kClCatch && heavy && frame == first[ca::kRowFall]) ||
                        (state == kClCatch && !heavy && frame == LastFrameOf(ca::kRowCatch));
      if (done) {
        state = kClIdle;
        knockedOff = 0;
        fallTarget = 0;
      }
    }
    Animate(facing, aim, oldState);
    return;
  }
  if (IsComputer()) {
    bool ended = false;
    ComputerDecisions(oldFacing, oldAim, oldState, &ended);
    if (ended) return;
  }
  ItemKeys();
  if (engagement == kClEngBlocked) Blocked();

  const int multiplier = pillMultiplier;
  if (!Held(s, kClInFire)) {
    engagement = kClEngFree;
    if (Held(s, kClInRight)) {
      dx = 3 * multiplier;
      dy = 0;
      state = kClSide;
    } else if (Held(s, kClInLeft)) {
      dx = -3 * multiplier;
      dy = 0;
      state = kClSide;
    } else if (Held(s, kClInUp)) {
      dx = 0;
      dy = step * multiplier;
      state = kClClimb;
    } else {
      state = kClIdle;
      dx = dy = 0;
    }
  }
  x += dx;
  h = std::clamp(h + dy, 0, kRoofHeight);
  if (!IsComputer()) {
    // People stay on the wall near the street and cannot climb the doorway.
    Rect cb = ContactBox();
    if (h < 11 && cb.left < kWallLeft - 1) {
      if (state == kClClimb) h = oldH;
      if (x < oldX) {
        x = oldX;
        state = kClIdle;
      }
    }
    cb = ContactBox();
    if (h < 11 && cb.right > kWallRight + 1) {
      if (state == kClClimb) h = oldH;
      if (x > oldX) {
        x = oldX;
        state = kClIdle;
      }
    }
    if (h >= 0 && h < kDoorTop && OverDoorway(ContactBox())) {
      h = oldH;
      if (h != 0) x = oldX;
    }
  } else if (h == 0) {
    // The computer walks round the doorway on the street.
    const Rect cb = ContactBox();
    if ((dx > 0 && cb.right > kDoorLeft && cb.left < 300) || (dx < 0 && cb.right > 340 && cb.left < kDoorRight))
      x = oldX;
  }
  if (dx < 0) facing = kClFaceLeft;
  if (dx > 0) facing = kClFaceRight;
  if (Held(s, kClInFire)) {
    if (state == kClHit) {
      for (int b = 0; b <= kClInCycle; ++b) s[b] = 0;
    } else if (selected == kClItemNone) {
      Blow();
    } else if (selected == kClItemWeapon) {
      Throw();
    } else if (rec.powerPills > 0 && pillMultiplier == 1) {
      TakePill();
    }
  }
  Animate(oldFacing, oldAim, oldState);
}

void Climber::ItemKeys() {
  const PlayerRecord& rec = g_players[player];
  const uint8_t* s = Input();
  const bool units = rec.weaponUnits > 0, pills = rec.powerPills > 0;
  if (Pressed(s, kClInNoItem)) {
    selected = kClItemNone;
  } else if (Pressed(s, kClInWeapon) && units) {
    selected = kClItemWeapon;
  } else if (Pressed(s, kClInPill) && pills) {
    selected = kClItemPill;
  } else if (Pressed(s, kClInCycle)) {
    if (selected == kClItemNone)
      selected = units ? kClItemWeapon : (pills ? kClItemPill : kClItemNone);
    else if (selected == kClItemWeapon)
      selected = pills ? kClItemPill : kClItemNone;
    else
      selected = kClItemNone;
  }
  if (Held(s, kClInNoItem))
    selected = kClItemNone;
  else if (Held(s, kClInWeapon) && units)
    selected = kClItemWeapon;
  else if (Held(s, kClInPill) && pills)
    selected = kClItemPill;
}

void Climber::Blow() {
  const uint8_t* s = Input();
  dx = dy = 0;
  const bool right = Held(s, kClInRight), left = Held(s, kClInLeft), up = Held(s, kClInUp), down = Held(s, kClInDown);
  engagement = kClEngAttacking;
  if (right && down) {
    state = kClKick;
    facing = kClFaceRight;
  } else if (left && down) {
    state = kClKick;
    facing = kClFaceLeft;
  } else if (right && up) {
    state = kClPunch;
    facing = kClFaceRight;
  } else if (left && up) {
    state = kClPunch;
    facing = kClFaceLeft;
  } else {
    state = kClIdle;
    engagement = kClEngFree;
  }
  // The one struck learns of it through its own contact check next frame.
  if (engagement == kClEngAttacking) target = FindContact();
}

void Climber::Throw() {
  const uint8_t* s = Input();
  dx = dy = 0;
  state = kClThrow;
  engagement = kClEngAttacking;
  auto set = [&](uint8_t f, uint8_t a, int sx, int sy, int direction) {
    facing = f;
    aim = a;
    throwX = x + sx;
    throwH = h + sy;
    throwDirection = direction;
  };
  if (Held(s, kClInRight)) {
    if (Held(s, kClInDown))
      set(kClFaceRight, kClAimDown, 17, -6, 3);
    else if (Held(s, kClInUp))
      set(kClFaceRight, kClAimUp, 30, 30, 1);
    else
      set(kClFaceRight, kClAimLevel, 40, 0, 2);
  } else if (Held(s, kClInLeft)) {
    if (Held(s, kClInDown))
      set(kClFaceLeft, kClAimDown, -17, -6, 4);
    else if (Held(s, kClInUp))
      set(kClFaceLeft, kClAimUp, -30, 30, 6);
    else
      set(kClFaceLeft, kClAimLevel, -40, 0, 5);
  } else if (Held(s, kClInUp)) {
    set(kClFaceNone, kClAimUp, 0, 42, 0);
  } else {
    state = kClIdle;
    engagement = kClEngFree;
  }
}

void Climber::StartThrowAt(int direction) {
  const ThrowStart& t = kComputerThrow[std::clamp(direction, 0, 6)];
  facing = t.facing;
  aim = t.aim;
  throwX = x + t.dx;
  throwH = h + t.dy;
}

void Climber::Dodge(int otherX) {
  uint8_t* s = Input();
  const Rect cb = ContactBox();
  s[kClInUp] = 0;
  if (otherX < x) {
    if (cb.right < kWallRight) {
      s[kClInRight] = kHeld;
    } else {
      s[kClInUp] = kHeld;
      s[kClInRight] = 0;
    }
    s[kClInLeft] = 0;
  } else {
    if (cb.left > kWallLeft) {
      s[kClInLeft] = kHeld;
    } else {
      s[kClInUp] = kHeld;
      s[kClInLeft] = 0;
    }
    s[kClInRight] = 0;
  }
}

void Climber::ComputerDecisions(int oldFacing, int oldAim, int oldState, bool* frameEnded) {
  const PlayerRecord& rec = g_players[player];
  uint8_t* s = Input();
  s[kClInRight] = s[kClInDown] = s[kClInLeft] = 0;
  s[kClInUp] = h < kRoofHeight ? kHeld : 0;
  int nearest = kRoofHeight;
  auto above = [&](int otherX, int otherHalfW, int otherH) {
    const int d = otherH - h;
    return std::abs(x - otherX) <= otherHalfW + halfW && d >= 0 && d <= 340;
  };
  // A climber falling from above.
  for (int i = 0; i < 4; ++i) {
    const Climber* o = Other(i);
    if (!o || (o->state != kClFall && o->state != kClDown) || !above(o->x, o->halfW, o->h)) continue;
    if (o->h - h < nearest) {
      Dodge(o->x);
      nearest = o->h - h;
    }
    break;
  }
  // A falling flower pot.
  for (int i = 0; i < world->potCount && i < kClimbWindows; ++i) {
    const ClimbFlowerPot* p = world->pots[i];
    if (!p || p->state != 1 || !above(p->x, p->halfW, p->y)) continue;
    if (p->y - h < nearest) {
      Dodge(p->x);
      nearest = p->y - h;
    }
    break;
  }
  // Something falling: a hazard is dodged, a pickup met.
  for (const ClimbFallingObject* o : world->falling) {
    if (!o || !above(o->x, o->halfW, o->y)) continue;
    if (o->y - h < nearest) {
      s[kClInUp] = 0;
      if (!o->IsPickup()) {
        Dodge(o->x);
      } else {
        const Rect cb = ContactBox();
        if (x < o->x - 1) {
          if (cb.right < kWallRight)
            s[kClInRight] = kHeld;
          else
            s[kClInUp] = kHeld;
          s[kClInLeft] = 0;
        } else if (x > o->x + 1) {
          if (cb.left > kWallLeft)
            s[kClInLeft] = kHeld;
          else
            s[kClInUp] = kHeld;
          s[kClInRight] = 0;
        } else {
          s[kClInUp] = kHeld;
        }
      }
    }
    break;
  }
  // The street: onto the wall, round the doorway.
  const Rect cb = ContactBox();
  if (h < 10 && (state == kClSide || state == kClClimb || state == kClIdle)) {
    if (x < halfW + kWallLeft) {
      s[kClInRight] = kHeld;
      s[kClInLeft] = 0;
    }
    if (x > kWallRight - halfW) {
      s[kClInLeft] = kHeld;
      s[kClInRight] = 0;
    }
  }
  if (h == 0) {
    if (cb.right > kDoorLeft && x < 318) {
      s[kClInLeft] = kHeld;
      s[kClInRight] = 0;
    } else if (x > 319 && cb.left < kDoorRight) {
      s[kClInRight] = kHeld;
      s[kClInLeft] = 0;
    }
  }
  if (h > 0 && h < kDoorTop && OverDoorway(cb)) {
    s[kClInLeft] = s[kClInRight] = 0;
    s[kClInUp] = kHeld;
  }
  // A throw at someone in line, now and then.
  throwDirection = RandomInt(7);
  if (HasTargetInDirection(throwDirection) && state != kClHit && rec.weaponUnits > 0 && RandomUnit() < 0.1) {
    state = kClThrow;
    engagement = kClEngAttacking;
    selected = kClItemWeapon;
    StartThrowAt(throwDirection);
    Animate(oldFacing, oldAim, oldState);
    *frameEnded = true;
  }
}

bool Climber::HasTargetInDirection(int direction) const {
  static constexpr int kStep[7][2] = {{0, 10}, {7, 7}, {7, 0}, {7, -7}, {-7, -7}, {-7, 0}, {-7, 7}};
  // Only a climber free to throw looks; the point then runs to the edge.
  if (state != kClSide && state != kClClimb && state != kClIdle) return false;
  const int d = std::clamp(direction, 0, 6);
  int px = x, py = h;
  while (px >= 0 && px <= 640 && py >= 0 && py <= kRoofHeight) {
    px += kStep[d][0];
    py += kStep[d][1];
    for (int i = 0; i < 4; ++i) {
      const Climber* o = Other(i);
      if (!o || (o->state != kClSide && o->state != kClClimb && o->state != kClIdle)) continue;
      if (Contains(o->ContactBox(), px, py)) return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------
// Fights

int Climber::FindContact() const {
  const Rect me = ContactBox();
  for (int i = 0; i < 4; ++i) {
    const Climber* o = Other(i);
    if (o && Meet(me, o->ContactBox())) return i;
  }
  return -1;
}

void Climber::CheckContact() {
  if (!world || engagement != kClEngFree) return;
  if (state == kClIdle && h >= kRoofHeight) return;
  if (state == kClFall || state == kClDown || state == kClCatch || state == kClGetUp) return;
  int list[3];
  int n = 0;
  const Rect me = ContactBox();
  for (int i = 0; i < 4; ++i) {
    const Climber* o = Other(i);
    if (o && n < 3 && Meet(me, o->ContactBox())) list[n++] = i;
  }
  if (n == 0) return;
  int chosen = list[0];
  if (n > 1) {
    chosen = -1;
    for (int k = 0; k < n; ++k)
      if (world->climbers[list[k]]->target == player) {
        chosen = list[k];
        break;
      }
    if (chosen < 0) {
      const int drawn = RandomInt(n);
      chosen = list[drawn];
      if (world->climbers[chosen]->engagement != kClEngFree) {
        for (int k = drawn; k + 1 < n; ++k) list[k] = list[k + 1];
        --n;
        chosen = n == 1 ? list[0] : list[1];
      }
    }
  }
  target = chosen;
  Climber* t = world->climbers[chosen];
  if (t->state == kClFall || t->state == kClDown) return;
  if (t->state == kClIdle && t->h >= kRoofHeight) {
    engagement = kClEngBlocked;
    return;
  }
  switch (t->engagement) {
    case kClEngFree:
    case kClEngBlocked:
      if (IsComputer() && RandomUnit() < 0.5) {
        engagement = kClEngAttacking;
        t->engagement = kClEngAttacked;
        // The one attacked reacts to this climber, whatever it was after.
        t->target = player;
      } else {
        engagement = kClEngBlocked;
      }
      break;
    case kClEngAttacking:
      engagement = t->target == player ? kClEngAttacked : kClEngBlocked;
      break;
    case kClEngAttacked:
      engagement = t->target == player ? kClEngAttacking : kClEngBlocked;
      break;
    default:
      break;
  }
}

void Climber::Attacking(int oldFacing, int oldAim, int oldState) {
  const Climber* t = Other(target);
  if (IsComputer() && state != kClThrow && t) {
    state = h < t->h ? kClPunch : kClKick;
    facing = t->x < x ? kClFaceLeft : kClFaceRight;
  }
  Animate(oldFacing, oldAim, oldState);
}

void Climber::BeingAttacked(int oldX, int oldH, int oldFacing, int oldAim, int oldState) {
  const Climber* a = Other(target);
  if (!a) {
    // Nobody to react to: the fight is over.
    engagement = kClEngFree;
    Animate(oldFacing, oldAim, oldState);
    return;
  }
  PlayerRecord& rec = g_players[player];
  if (a->frame < (a->animLength >> 1)) {
    state = kClIdle;
  } else {
    state = kClHit;
    facing = a->x < x ? kClFaceRight : kClFaceLeft;
    // The blow lands as the reaction starts: once, on its first frame (the
    // frame of whatever the climber did before does not count).
    if (oldState == kClHit && frame == animBase) {
      x += facing == kClFaceRight ? 10 : -10;
      if (h > 0 && h < kDoorTop && OverDoorway(ContactBox())) x = oldX;
      rec.energy = EnergyAfter(
          rec.energy, BlowDamage(a->pillMultiplier, g_players[a->player].strength, pillMultiplier, rec.endurance));
      if (a->state == kClKick && h > 0) {
        const int before = h;
        h = std::max(0, h - 10);
        if (h < kDoorTop && OverDoorway(ContactBox())) h = before;
      }
    }
  }
  if (h > 0 && h < kDoorTop && StraddlesDoorway(ContactBox())) {
    x = oldX;
    h = oldH;
  }
  Animate(oldFacing, oldAim, oldState);
}

void Climber::Blocked() {
  const Climber* t = Other(target);
  if (!t) return;
  uint8_t* s = Input();
  if (!IsComputer()) {
    if (h > 0 && h <= t->h) s[kClInUp] = 0;
    if (t->x < x)
      s[kClInLeft] = 0;
    else
      s[kClInRight] = 0;
    state = kClIdle;
    return;
  }
  if (h < t->h) {
    // Step aside, away from the one above.
    s[kClInUp] = 0;
    bool right = t->x < x ? x < kWallRight - halfW : x <= halfW + kWallLeft;
    s[right ? kClInRight : kClInLeft] = kHeld;
    s[right ? kClInLeft : kClInRight] = 0;
  } else {
    s[kClInUp] = kHeld;
  }
}

// ---------------------------------------------------------------------------
// Hits, falls, the street, pickups

int Climber::CheckHits(int previousState) {
  PlayerRecord& rec = g_players[player];
  const Rect hb = HitBox();
  for (int slot = 0; slot < kClimbFallingSlots; ++slot) {
    ClimbFallingObject* o = world->falling[slot];
    if (!o) continue;
    if (!o->IsPickup()) {
      if (!Meet(o->Box(), hb)) continue;
      knockedOff = 1;
      if (!world->lowMemory && o->kind >= 9) world->PlayCry(player, ((x % 5) + 5) % 5 + 1);
      const int r = HazardLevel(o->kind);
      if (rec.energy < 1) {
        rec.energy = 0;
        fallTarget = 0;
      } else {
        fallTarget = h - 100 * r;
      }
      if (o->kind == ca::kKindBomb) o->ended = 1;
      hitStarFrame = static_cast<uint8_t>(RandomInt(10) + 1);
      hitStarStep = 0;
      return r;
    }
    if (o->claimed) continue;
    const Rect pb = o->Box();
    const Rect catchArea{pb.left, pb.top - 90, pb.right, o->y - kObjectLift};
    if (Meet(catchArea, hb) && h + halfH < pb.bottom) {
      grabbed = slot;
      grabbedSerial = o->serial;
      o->claimed = 1;
      return 0;
    }
  }
  for (int i = 0; i < world->potCount && i < kClimbWindows; ++i) {
    const ClimbFlowerPot* p = world->pots[i];
    if (!p || p->state != 1 || !Meet(p->Box(), hb)) continue;
    knockedOff = 1;
    rec.energy = std::max(0, rec.energy - 5);
    fallTarget = h - 140;
    if (rec.energy < 1) {
      rec.energy = 0;
      fallTarget = 0;
    }
    Animate(facing, aim, previousState);
    hitStarFrame = static_cast<uint8_t>(RandomInt(10) + 1);
    hitStarStep = 0;
    return 0;
  }
  if (state != kClCatch && state != kClGetUp) {
    for (int i = 0; i < 4; ++i) {
      const Climber* o = Other(i);
      if (!o || (o->state != kClFall && o->state != kClDown) || o->h == 0 || !Meet(o->ContactBox(), hb)) continue;
      knockedOff = 1;
      rec.energy = std::max(0, rec.energy - 3);
      fallTarget = h - 100;
      if (rec.energy < 1) {
        rec.energy = 0;
        fallTarget = 0;
      }
      Animate(facing, aim, previousState);
      return 0;
    }
  }
  return -1;
}

void Climber::Falling(int oldState) {
  if (oldState != kClFall && h > 180 && Visible(h)) PlaySound(kClSndFall);
  grabbed = -1;
  engagement = kClEngFree;
  if (h > 0) h = std::max(0, h - 6);
  if (knockedOff && fallTarget != 0 && h <= fallTarget) {
    state = kClCatch;
    fallTarget = 0;
    knockedOff = 0;
  }
  Rect cb = ContactBox();
  if (fallTarget != 0 && h <= fallTarget && OffTheWall(cb)) {
    // Caught the corner of the wall: back onto it.
    state = kClCatch;
    fallTarget = 0;
    if (cb.left < kWallLeft - 1)
      x += kWallLeft - cb.left;
    else
      x -= cb.right - kWallRight;
  }
  if (state != kClCatch) {
    cb = ContactBox();
    if ((h < kDoorTop && OverDoorway(cb)) || h < 120) state = kClDown;
  }
  Animate(facing, aim, oldState);
}

void Climber::Down(int oldState) {
  PlayerRecord& rec = g_players[player];
  if (h != 0) {
    h = std::max(0, h - 6);
    if (h == 0 && world->LocalClimberBelow(200)) PlaySound(kClSndLanding);
  }
  if (x < halfW + kWallLeft)
    x += 1;
  else if (x > kWallRight - halfW)
    x -= 1;
  if (h == 0) {
    ++groundCounter;
    ++regenCounter;
    knockedOff = 0;
    if (regenCounter >= 20) {
      rec.energy = AddEnergy(rec.energy, 2);
      regenCounter = 0;
    }
    if (groundCounter >= 80) {
      groundCounter = 0;
      state = kClGetUp;
    }
  }
  Animate(facing, aim, oldState);
}

void Climber::CatchingPickup(int oldState) {
  PlayerRecord& rec = g_players[player];
  state = kClGrab;
  ClimbFallingObject* p = (grabbed >= 0 && grabbed < kClimbFallingSlots) ? world->falling[grabbed] : nullptr;
  // Only the object that was claimed: another one may have taken its slot.
  if (p && p->serial == grabbedSerial) {
    facing = p->x < x ? kClFaceLeft : kClFaceRight;
    if (p->Box().top <= ContactBox().bottom) {
      if (p->kind == ca::kKindJuice) {
        rec.energy = AddEnergy(rec.energy, 10);
        if (Visible(h)) world->Play(ca::kSndJuice);
      } else if (p->kind == ca::kKindMoney) {
        rec.money = SaturatingAdd(rec.money, 1000);
        if (Visible(h)) world->Play(ca::kSndMoney);
      } else {
        rec.weaponUnits = SaturatingAdd(rec.weaponUnits, 10);
        if (Visible(h)) world->Play(ca::kSndAmmunition);
      }
      delete p;
      world->falling[grabbed] = nullptr;
    }
  }
  Animate(facing, aim, oldState);
}

// ---------------------------------------------------------------------------
// Animation

void Climber::Animate(int previousFacing, int previousAim, int previousState) {
  const bool heavy = ca::IsHeavyClimber(character_);
  if (facing == previousFacing && aim == previousAim && state == previousState) {
    const uint32_t fc = world ? world->frameCounter : 0;
    const bool quick = character_ == 1 || character_ == 4;
    const bool hold = (!quick && (state == kClIdle || state == kClClimb) && (fc & 1)) ||
                      (heavy && state == kClIdle && (fc & 2));
    if (hold) return;
    const int step = (state == kClGetUp || (state == kClCatch && heavy)) ? -1 : 1;
    frame += step;
    if (std::abs(frame - animBase) < animLength) return;
    // The run has ended.
    switch (state) {
      case kClPullUp:
        pullUp = 0;
        if (roofStage == kClRoofClimbing)
          h += 10;
        else if (roofStage == kClRoofWaiting)
          roofStage = kClRoofAboard;
        frame = animBase;
        break;
      case kClIdle:
        engagement = kClEngFree;
        frame = animBase;
        break;
      case kClHit:
      case kClPunch:
      case kClKick:
      case kClThrow:
        engagement = kClEngFree;
        target = -1;
        if (IsComputer()) selected = kClItemNone;
        frame = animBase;
        break;
      case kClSide:
      case kClClimb:
        if (engagement == kClEngBlocked) {
          engagement = kClEngFree;
          target = -1;
          if (IsComputer()) selected = kClItemNone;
        }
        frame = animBase;
        break;
      case kClGrab:
        grabbed = -1;
        frame = animBase;
        break;
      case kClFall:
      case kClDown:
        frame = LastFrameOf(state);
        break;
      case kClCatch:
      case kClGetUp:
        engagement = kClEngFree;
        frame = first[ca::kRowIdle];
        break;
      default:
        frame = animBase;
        break;
    }
    return;
  }
  // Something changed: the new state's run from its start.
  regenCounter = 0;
  idleCounter = 0;
  const bool right = facing == kClFaceRight;
  const int group = heavy ? 0 : 1;
  switch (state) {
    case kClSide:
    case kClHit:
    case kClPunch:
    case kClKick:
      animBase = first[state] + (right ? count[state] : 0);
      animLength = count[state];
      if (Visible(h)) {
        if (state == kClPunch || state == kClKick) PlaySound(kClSndAttack);
        if (state == kClHit) PlaySound(kClSndReaction);
      }
      break;
    case kClThrow: {
      int k = ca::kThrowRun[group][std::min<int>(facing, 2)][std::min<int>(aim, 2)];
      if (k < 0) k = 0;
      animBase = first[ca::kRowThrow] + k * count[ca::kRowThrow];
      animLength = count[ca::kRowThrow];
      break;
    }
    case kClCatch:
      if (heavy) {
        animBase = LastFrameOf(ca::kRowFall);
        animLength = count[ca::kRowFall];
      } else {
        animBase = first[ca::kRowCatch];
        animLength = count[ca::kRowCatch];
      }
      break;
    case kClGetUp:
      animBase = LastFrameOf(ca::kRowDown);
      animLength = count[ca::kRowDown] + count[ca::kRowFall];
      break;
    case kClGrab: {
      const int k = heavy ? (right ? 0 : 4) : (right ? 4 : 3);
      animBase = first[ca::kRowThrow] + k * count[ca::kRowThrow];
      animLength = count[ca::kRowGrab];
      break;
    }
    default:  // idle, climbing, falling, down, pulling up
      animBase = first[std::min<int>(state, ca::kRows - 1)];
      animLength = count[std::min<int>(state, ca::kRows - 1)];
      break;
  }
  frame = animBase;
}

// ---------------------------------------------------------------------------
// Drawing

void Climber::DrawStars(int column, int row, int step, int starFrame) const {
  DDSurface* back = ShellBackSurface();
  Sprite* star = world ? world->sprites.star : nullptr;
  if (!back || !star || starFrame <= 0) return;
  star->DrawFrame(starFrame, back, column - 7 * step, row - 3 * step);
  star->DrawFrame(((starFrame + x) % 10 + 10) % 10 + 1, back, column + 7 * step, row - 3 * step);
}

void Climber::Draw(int view) {
  if (!world) return;
  const bool split = world->Split();
  if (!split && view != 0) return;
  // Aboard, a climber is drawn on its own helicopter's ladder only: once
  // that has flown off, so has the climber.
  if (roofStage == kClRoofAboard &&
      (!world->helicopter || world->helicopter->x != x - ca::kLadderOffsetX))
    return;
  const ClimbView& v = world->views[view & 1];
  const int top = v.camera - h - halfH;
  DrawInClimbView(*world, view, sprite, frame, x - halfW, top, frameW, frameH);
  const int shift = split ? (view == 1 ? world->viewWidth : 0) - v.scroll : 0;
  if (hitStarFrame) DrawStars(x + shift - 22, top, hitStarStep, hitStarFrame);
  if (weaponStarFrame && !split && weaponStarX >= 0)
    DrawStars(weaponStarX - 22, v.camera - weaponStarH, weaponStarStep, weaponStarFrame);
}
