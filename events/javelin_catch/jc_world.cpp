#include "events/javelin_catch/jc_world.h"

#include <algorithm>
#include <cstring>

#include "base/player_records.h"
#include "base/random.h"

namespace jc {

namespace {

constexpr uint8_t kHeld = 0x80;
bool Pressed(const uint8_t* in, int b) { return (in[b] & 0x7F) != 0; }

// Corners of the field, by player.
constexpr Position kCorner[4] = {{0, 0}, {kFieldMaxX, 0}, {0, kFieldMaxY}, {kFieldMaxX, kFieldMaxY}};

// A rival is found from slightly farther than the nearest falling object
// anyone could care about.
constexpr int32_t kFarAway = 360000;

void ClampRecord(PlayerRecord& rec) {
  rec.energy = std::clamp(rec.energy, 0, 100);
  rec.weaponUnits = std::max(rec.weaponUnits, 0);
  rec.powerPills = std::max(rec.powerPills, 0);
}

}  // namespace

// ---------------------------------------------------------------------------
// The common object

void JcObject::Step(int dir, int32_t distance) {
  if (bounce) flee = 0;
  bounce = 0;
  const int32_t d = speedMultiplier * distance;
  if (confined) {
    bool bounced = false;
    const Position p = ConfinedStep(x, y, dir, d, &bounced);
    x = p.x;
    y = p.y;
    if (bounced) bounce = 4;
  } else {
    const Position p = StepFrom(x, y, dir, d);
    x = p.x;
    y = p.y;
  }
}

void JcObject::ProjectToScreen() {
  const ScreenPos s = Project(x, y, z);
  screenX = s.x;
  screenY = s.y;
}

// ---------------------------------------------------------------------------
// The table

void JcWorld::MakeContestant(int p, int character, const JcdData& data) {
  JcObject& c = objects[p];
  c = JcObject{};
  c.cls = kContestant;
  c.slot = p;
  c.confined = 1;
  c.mode = kModeHand;
  c.state = kStanding;
  c.reaction = kNoReaction;
  c.lastInput = kNoDirection;
  c.frame = 1;
  c.picture = kPictureContestant + p;
  c.playerOrKind = p;
  c.x = kCorner[p].x;
  c.y = kCorner[p].y;
  c.direction = 1;
  c.anchorX = data.anchorX;
  c.anchorY = data.anchorY;
  c.maxEnergy = data.maxEnergy;
  c.speed = data.speed;
  ContestantData& cd = contestant[p];
  cd = ContestantData{};
  cd.data = data;
  cd.character = (character >= 0 && character < 6) ? character : 0;
  c.ProjectToScreen();
}

int32_t JcWorld::MaxEnergy(int p) const {
  const int32_t m = (p >= 0 && p < 4) ? objects[p].maxEnergy : 0;
  return m > 0 ? m : 100;
}

int JcWorld::FreeSlot(int from) const {
  for (int s = std::max(from, kFirstWeaponSlot); s < kSlots; ++s)
    if (objects[s].cls == kEmpty) return s;
  return -1;
}

void JcWorld::PlayFrame() {
  StepObjects();
  StepCannon();
}

void JcWorld::StepObjects() {
  for (int s = 0; s < kSlots; ++s)
    if (objects[s].cls != kEmpty) Interact(s);
  for (int s = 0; s < kSlots; ++s)
    if (objects[s].cls != kEmpty) Update(s);
}

void JcWorld::StepCannon() {
  if (CannonStep(&cannon)) SpawnFallingObject();
}

int JcWorld::SpawnFallingObject() {
  const int slot = FreeSlot(kFirstFallingSlot);
  if (slot < 0) return -1;
  Play(kSndCannon);
  const int32_t kind = KindFromDraw(RandomUnit());
  const int32_t y = RandomInt(330);
  const int32_t x = RandomInt(530);
  PutFalling(slot, kind, x, y);
  return slot;
}

void JcWorld::Interact(int slot) {
  switch (objects[slot].cls) {
    case kContestant: ContestantInteract(slot); break;
    case kWeapon: WeaponInteract(slot); break;
    default: break;
  }
}

void JcWorld::Update(int slot) {
  switch (objects[slot].cls) {
    case kContestant: ContestantUpdate(slot); break;
    case kFalling: FallingUpdate(slot); break;
    case kExplosion: ExplosionUpdate(slot); break;
    case kWeapon: WeaponUpdate(slot); break;
    default: break;
  }
}

int JcWorld::BuildDrawList(int32_t out[kSlots]) const {
  DrawKey keys[kSlots];
  int n = 0;
  for (int s = 0; s < kSlots; ++s) {
    const JcObject& o = objects[s];
    if (o.cls == kEmpty || !o.drawable) continue;
    keys[n++] = {s, o.cls == kContestant && o.reaction == kKnockedOut, o.type == kTypeBlast ? o.y - 40 : o.y, o.x};
  }
  std::sort(keys, keys + n, DrawsBefore);
  for (int i = 0; i < n; ++i) out[i] = keys[i].slot;
  return n;
}

int32_t JcWorld::SyncValue() const {
  uint32_t h = 2166136261u;
  auto mix = [&h](uint32_t v) { h = (h ^ v) * 16777619u; };
  for (int p = 0; p < 4; ++p) {
    const JcObject& c = objects[p];
    mix(uint32_t(c.x) | uint32_t(c.y) << 16);
    mix(uint32_t(c.state) | uint32_t(c.direction) << 8 | uint32_t(c.mode) << 16 | uint32_t(c.reaction + 1) << 24);
    mix(uint32_t(c.tick) ^ uint32_t(c.frame) << 12 ^ uint32_t(c.speedMultiplier) << 28);
    mix(uint32_t(contestant[p].score));
    mix(uint32_t(g_players[p].energy) | uint32_t(g_players[p].weaponUnits) << 8 | uint32_t(g_players[p].powerPills) << 24);
    mix(uint32_t(g_players[p].money));
  }
  for (int s = kFirstWeaponSlot; s < kSlots; ++s) {
    const JcObject& o = objects[s];
    if (o.cls == kEmpty) continue;
    mix(uint32_t(s) | uint32_t(o.cls) << 8 | uint32_t(o.playerOrKind) << 16);
    mix(uint32_t(o.x) ^ uint32_t(o.y) << 10 ^ uint32_t(o.z) << 20);
  }
  mix(uint32_t(cannon.tick) | uint32_t(cannon.shots) << 8);
  mix(uint32_t(frameCounter));
  mix(RandomState());
  return static_cast<int32_t>(h);
}

// ---------------------------------------------------------------------------
// Contestants

void JcWorld::InputOf(int p, uint8_t out[10]) const {
  if (IsComputer(p)) {
    std::memset(out, 0, 10);
    out[4] = contestant[p].computerAction;
  } else {
    std::memcpy(out, g_playerStates[p], 10);
  }
}

void JcWorld::StandStill(JcObject& c, int p) {
  c.state = kStanding;
  c.tick = 0;
  c.frame = contestant[p].data.First(kSitWalk, c.direction);
}

void JcWorld::ContestantInteract(int p) {
  JcObject& c = objects[p];
  ContestantData& cd = contestant[p];
  PlayerRecord& rec = g_players[p];
  uint8_t in[10];
  InputOf(p, in);

  if (c.pillTimer == 0)
    c.speedMultiplier = 1;
  else
    --c.pillTimer;
  if (c.state == kReeling) return;

  // The mode: a direct choice, or the mode button's next step.
  if (!Pressed(in, 5)) {
    if (Pressed(in, 6)) {
      c.mode = kModeHand;
      c.pillSelected = 0;
    } else if (Pressed(in, 7)) {
      c.mode = kModeWeapon;
      c.pillSelected = 0;
    } else if (Pressed(in, 8)) {
      c.mode = kModePill;
      c.pillSelected = 1;
    }
  } else if (c.mode == kModeWeapon) {
    c.mode = kModePill;
    c.pillSelected = 1;
  } else if (c.pillSelected) {
    c.mode = kModeHand;
    c.pillSelected = 0;
  } else if (rec.weaponUnits <= 0) {
    c.mode = kModePill;
    c.pillSelected = 1;
  } else {
    c.mode = kModeWeapon;
  }

  if ((in[4] & kHeld) && !c.weaponInFlight) {
    const bool weaponMode = c.mode == kModeWeapon;
    if (!weaponMode && !c.pillSelected) ++c.holdCount;
    // Busy, or nothing to throw: the button does nothing, nor is anything
    // caught while it is held.
    if (c.state == kActing || (weaponMode && rec.weaponUnits <= 0)) return;
    if (!c.pillSelected) {
      const int s = std::clamp(c.mode, 0, kJcdAnimations - 1);
      c.frames = cd.data.Frames(s);
      c.state = kActing;
      c.tick = 0;
      c.frame = cd.data.First(s, c.direction) - 1;
      if (cd.character == kZoviCharacter && weaponMode) {
        // ZOVI's ship leaves at the press.
        const int slot = FreeSlot(kFirstWeaponSlot);
        if (slot >= 0 && rec.weaponUnits > 0) {
          PutWeapon(slot, p, c.x, c.y, c.direction, 60, 50);
          c.weaponInFlight = 0;
          if (--rec.weaponUnits <= 0) {
            rec.weaponUnits = 0;
            c.mode = kModeHand;
            c.pillSelected = 0;
          }
        }
        return;
      }
    } else if (rec.powerPills > 0 && c.speedMultiplier == 1) {
      --rec.powerPills;
      c.pillTimer = kPillFrames;
      c.speedMultiplier = 2;
      Play(kSndPill);
    }
  }
  TryCatch(p);
}

void JcWorld::ContestantUpdate(int p) {
  JcObject& c = objects[p];
  ContestantData& cd = contestant[p];
  PlayerRecord& rec = g_players[p];
  const JcdData& d = cd.data;
  const bool computerSteers = IsComputer(p);
  const int dir = computerSteers ? ChooseDirection(p) : HumanDirection(g_playerStates[p]);

  if (computerSteers) {
    c.direction = Turn(c.direction, c.bounce);
    if (c.bounce && c.state == kWalking) {
      c.frame = d.First(kSitWalk, c.direction);
      c.tick = 0;
      c.bounce = 0;
    }
  }

  switch (c.state) {
    case kStanding:
      if (c.regeneration >= 30) {
        c.regeneration = 0;
        ++rec.energy;
      } else {
        ++c.regeneration;
      }
      if (dir < kNoDirection) {
        c.direction = dir;
        c.frames = d.Frames(kSitWalk);
        c.state = kWalking;
        c.tick = 0;
        Move(p, dir, false);
        c.frame = d.First(kSitWalk, c.direction);
      } else if (c.tick == 0) {
        c.frames = d.Frames(kSitIdle);
        c.tick = 1;
        cd.idleStep = 1;
        c.frame = d.First(kSitIdle, c.direction);
      } else if (!(cd.character == kZoviCharacter && (frameCounter & 1))) {
        // Forward at half rate, then back again.
        c.tick += cd.idleStep;
        if (c.tick != 0) {
          if (c.tick % 2 == 0) c.frame += cd.idleStep;
          if (c.frames <= c.tick / 2) {
            cd.idleStep = -1;
            c.frame -= 1;
          }
        }
      }
      break;

    case kWalking:
      if (c.regeneration >= 60) {
        c.regeneration = 0;
        ++rec.energy;
      } else {
        ++c.regeneration;
      }
      if (!computerSteers && dir != c.lastInput) {
        StandStill(c, p);
        break;
      }
      ++c.tick;
      Move(p, c.direction, true);
      if (c.state != kWalking) break;
      if (c.caught) {
        c.state = kStanding;
        c.tick = 0;
        break;
      }
      ++c.frame;
      if (c.tick >= c.frames - 1) {
        c.state = kStanding;
        c.tick = 0;
      }
      break;

    case kActing: {
      if (cd.character == kZoviCharacter && c.tick == 3) {
        bool sinking = false;
        for (int s = kFirstWeaponSlot; s < kSlots; ++s) {
          const JcObject& w = objects[s];
          sinking = sinking || (w.cls == kWeapon && w.playerOrKind == p && w.state == 1);
        }
        c.weaponInFlight = sinking ? 1 : 0;
        if (sinking) break;  // the animation waits for the ship
      }
      ++c.tick;
      if (c.tick > c.frames) {
        const bool weaponMode = c.mode == kModeWeapon;
        const bool throws = weaponMode && cd.character != kZoviCharacter;
        int slot = -1;
        if (throws) {
          slot = FreeSlot(kFirstWeaponSlot);
          if (slot < 0) break;  // thrown on a later frame, when a slot is free
        }
        if (weaponMode) Voice(p, kVoiceThrow);
        if (throws) {
          if (rec.weaponUnits > 0) {
            PutWeapon(slot, p, c.x, c.y, c.direction, 20, 20);
            --rec.weaponUnits;
          }
          c.weaponInFlight = 0;
        }
        if (!weaponMode && !c.pillSelected) {
          const int q = FindOpponentInReach(p);
          if (q >= 0) {
            objects[q].Step(c.direction, 20);
            TakeHit(q, p, rec.strength);
          }
        }
        if (c.holdCount == 2) {
          Voice(p, kVoiceAttack);
          c.holdCount = 3;
          c.tick = 0;
          c.frames = d.Frames(kSitSecondAttack);
          c.frame = d.First(kSitSecondAttack, c.direction);
        } else {
          if (!weaponMode && !c.pillSelected) Voice(p, kVoiceAttack);
          c.state = kStanding;
          c.tick = 0;
          c.holdCount = 0;
          c.frame = d.First(kSitWalk, c.direction);
        }
        if (throws && rec.weaponUnits <= 0) {
          rec.weaponUnits = 0;
          c.mode = kModeHand;
          c.pillSelected = 0;
        }
      }
      if (c.tick != 0) ++c.frame;
      break;
    }

    case kReeling: {
      if (c.regeneration >= 15) {
        c.regeneration = 0;
        ++rec.energy;
      } else {
        ++c.regeneration;
      }
      ++c.tick;
      bool lyingDecided = false;
      if (c.tick > c.frames) {
        cd.starFrame = 0;
        if (c.reaction == kKnockedOut) {
          lyingDecided = true;
          if (rec.energy > 9) {
            c.reaction = kGettingUp;
            c.frames = d.Frames(kSitGettingUp);
            c.tick = 1;
            c.frame = d.First(kSitGettingUp, c.direction);
          }
        } else {
          c.state = kStanding;
          c.tick = 0;
          c.reaction = kNoReaction;
        }
      }
      if (c.tick != 0 && !lyingDecided) ++c.frame;
      // The stars of a blow turn on every other frame (drawing only shows them).
      if (c.state == kReeling && c.starCounter < 4 && c.tick > 0 && !c.bombHit && (c.tick & 1)) ++c.starCounter;
      break;
    }

    case kCatching:
      ++c.tick;
      if (c.tick > c.frames) StandStill(c, p);
      if (c.tick != 0) ++c.frame;
      break;

    default:
      StandStill(c, p);
      break;
  }

  ClampRecord(rec);
  c.lastInput = dir;
  c.drawable = 1;
  c.ProjectToScreen();
}

void JcWorld::Move(int p, int d, bool walking) {
  JcObject& c = objects[p];
  const bool person = !IsComputer(p);
  const int32_t ox = c.x, oy = c.y;
  c.Step(d, c.speed);
  int q = FindBlockingContestant(p, d);
  if (q < 0) return;

  if (objects[q].reaction == kKnockedOut && person) {
    // A person slides past a rival lying in the way.
    static constexpr int kTries[8][5] = {{7, 1, 3, 5, -1}, {-1}, {1, 3, 5, -1}, {-1},
                                         {3, 5, -1},       {-1}, {7, 5, 1, 3, -1}, {-1}};
    for (const int* t = kTries[d & 7]; *t >= 0; ++t) {
      c.x = ox;
      c.y = oy;
      c.Step(*t, c.speed);
      if (FindBlockingContestant(p, *t) < 0) {
        c.direction = *t;
        c.frame = contestant[p].data.First(kSitWalk, c.direction);
        if (walking) c.tick = 0;
        return;
      }
    }
    c.x = ox;
    c.y = oy;
    c.Step(d, c.speed);
  }

  // Stepping not away from the rival is stepping into him.
  const JcObject& r = objects[q];
  const int32_t qx = r.x + (r.reaction == kKnockedOut ? 5 : 0), qy = r.y + (r.reaction == kKnockedOut ? 10 : 0);
  if (DistanceSquared(qx, qy, c.x, c.y) > DistanceSquared(qx, qy, ox, oy)) return;
  c.x = ox;
  c.y = oy;
  if (!walking && !person) {
    c.direction = Turn(c.direction, 2);
    c.Step(d, c.speed);
    return;
  }
  StandStill(c, p);
}

void JcWorld::TakeHit(int p, int attacker, int32_t power) {
  JcObject* cp = Contestant(p);
  if (!cp) return;
  JcObject& c = *cp;
  ContestantData& cd = contestant[p];
  PlayerRecord& rec = g_players[p];
  if (c.reaction != kKnockedOut) {
    cd.starFrame = std::min(static_cast<int32_t>(RandomUnit() * 10 + 0.5) + 1, 11);
    if (rec.energy <= 1) {
      Voice(p, kVoiceReact2);
      Play(kSndBoo);
      c.reaction = kKnockedOut;
    } else {
      Voice(p, kVoiceReact1);
      c.reaction = rec.energy > (MaxEnergy(p) >> 1) ? kLightHit : kHeavyHit;
    }
    c.frames = cd.data.Frames(c.reaction);
    c.state = kReeling;
    c.tick = 0;
    c.starCounter = 1;
    c.frame = cd.data.First(c.reaction, c.direction) - 1;
  }
  if (attacker < 0) {
    c.bombHit = 1;  // the explosion has taken its energy already
  } else {
    c.bombHit = 0;
    rec.energy = EnergyAfterBlow(rec.energy, c.speedMultiplier, power, rec.endurance);
  }
  if (rec.energy < 0) rec.energy = 0;
}

int JcWorld::TryCatch(int p) {
  JcObject& c = objects[p];
  ContestantData& cd = contestant[p];
  PlayerRecord& rec = g_players[p];
  c.caught = 0;
  if (c.reaction != kNoReaction) return 0;
  const int t = FindNearestFallingObject(p);
  if (t < 0) return 0;
  const JcObject o = objects[t];
  if (!AroundBox(c.x, c.y, 20).Contains(o.x, o.y) || o.z > kCatchHeight) return 0;
  c.caught = 1;
  const int code = o.playerOrKind + 1;
  int s = kSitPickUp;
  if (o.playerOrKind == kJavelin) {
    Play(kSndCheer);
    if (sounds) sounds->PlayCallIfQuiet(p, kVoiceJavelin1 + frameCounter % 3);
    ++cd.score;
    s = (cd.character == kZoviCharacter && o.z < 7) ? kSitPickUp : kSitCatch;
  }
  c.frames = cd.data.Frames(s);
  c.frame = cd.data.First(s, c.direction) - 1;
  c.state = kCatching;
  c.tick = 0;
  switch (o.playerOrKind) {
    case kJuice:
      Play(kSndJuice);
      rec.energy = std::min(rec.energy + 10, 100);
      break;
    case kAmmunition:
      Play(kSndAmmunition);
      rec.weaponUnits += 10;
      break;
    case kMoney:
      Play(kSndMoney);
      rec.money += 1000;
      break;
    default:
      break;
  }
  if (o.playerOrKind == kBomb)
    PutExplosion(t, o.x, o.y);  // in the catcher's hands: he is hurt most
  else
    Clear(t);
  return code;
}

int JcWorld::FindNearestFallingObject(int p) const {
  const JcObject& c = objects[p];
  int best = -1;
  int32_t bestD2 = kFarAway;
  for (int s = kFirstFallingSlot; s < kSlots; ++s) {
    const JcObject& o = objects[s];
    if (o.cls == kEmpty || o.type != kTypeFalling) continue;
    const int32_t d2 = DistanceSquared(o.x, o.y, c.x, c.y);
    if (d2 < bestD2) {
      bestD2 = d2;
      best = s;
    }
  }
  return best;
}

int JcWorld::FindOpponentInReach(int p) const {
  const JcObject& c = objects[p];
  const Box reach = ReachBox(c.x, c.y, c.direction, c.speed);
  for (int q = 0; q < 4; ++q) {
    const JcObject* r = Contestant(q);
    if (q == p || !r) continue;
    Box b = AroundBox(r->x, r->y, 6);
    if (r->reaction == kKnockedOut) b = b.Grown(5);
    if (reach.Meets(b)) return q;
  }
  return -1;
}

int JcWorld::FindBlockingContestant(int p, int direction) const {
  const JcObject& c = objects[p];
  const Box move = MovementBox(c.x, c.y, direction, c.speed);
  for (int q = 0; q < 4; ++q) {
    const JcObject* r = Contestant(q);
    if (q == p || !r) continue;
    const Box b{r->x - 3, r->y - 3, r->x + 3, r->y + 3};
    Box m = move;
    if (r->reaction == kKnockedOut) {
      m = m.Grown(7);
      m.top -= 5;
      m.bottom -= 5;
    }
    if (m.Meets(b)) return q;
  }
  return -1;
}

// ---------------------------------------------------------------------------
// The computer's choices

int JcWorld::ChooseDirection(int p) {
  JcObject& c = objects[p];
  ContestantData& cd = contestant[p];
  int f = -1;
  for (int s = kFirstWeaponSlot; s < kSlots && f < 0; ++s)
    if (objects[s].cls != kEmpty && objects[s].type == kTypeFalling) f = s;
  if (f < 0) {
    c.computerTarget = 0;
    return kNoDirection;
  }
  const JcObject& fo = objects[f];
  cd.computerAction = 0;

  // A throw at a rival who stands by the falling object, from afar.
  if (c.computerTarget == 0) {
    for (int q = 0; q < 4; ++q) {
      const JcObject* r = Contestant(q);
      if (q == p || !r) continue;
      const Box near = AroundBox(r->x, r->y, 40);
      if (near.Contains(fo.x, fo.y) && !near.Grown(30).Contains(c.x, c.y) && RandomUnit() < 0.5) {
        c.computerTarget = q + 1;
        cd.computerAction = kHeld;
        c.mode = kModeWeapon;
        return kNoDirection;
      }
    }
  }

  // A punch at a rival in reach who still has some energy.
  const int q = FindOpponentInReach(p);
  bool rivalNear = false;
  if (q >= 0) {
    if (g_players[q].energy > (MaxEnergy(p) >> 2) && RandomUnit() < 0.5) {
      cd.computerAction = kHeld;
      c.mode = RandomUnit() <= 0.5 ? kModeHand : kModeSecond;
      return kNoDirection;
    }
    rivalNear = true;
  }

  const int t = FindNearestFallingObject(p);
  if (t < 0) return kNoDirection;
  const JcObject& to = objects[t];
  if (to.playerOrKind != kBomb && AroundBox(c.x, c.y, 20).Contains(fo.x, fo.y)) return kNoDirection;
  int dir = DirectionTowards(to.x - c.x, to.y - c.y);
  if ((to.playerOrKind == kBomb && DistanceSquared(to.x, to.y, c.x, c.y) < 1600) || c.flee) {
    c.flee = 1;
    dir = Turn(dir, 4);
  } else if (rivalNear) {
    dir = Turn(dir, 2);
  }
  return dir;
}

// ---------------------------------------------------------------------------
// What the cannon fires, explosions and thrown weapons

void JcWorld::PutFalling(int slot, int kind, int32_t x, int32_t y) {
  JcObject& o = objects[slot];
  o = JcObject{};
  o.cls = kFalling;
  o.slot = slot;
  o.type = kTypeFalling;
  o.picture = kPictureObjects;
  o.playerOrKind = std::clamp(kind, 0, kKinds - 1);
  const KindLook& look = kKindLook[o.playerOrKind];
  o.anchorX = look.anchorX;
  o.anchorY = look.anchorY;
  o.firstFrame = o.frame = look.firstFrame;
  o.frames = look.frameCount;
  o.x = x;
  o.y = y;
  o.z = kFallStart;
  Play(kSndFall);
}

void JcWorld::FallingUpdate(int slot) {
  JcObject& o = objects[slot];
  o.z -= kFallStep;
  if (o.z < 1) {
    if (o.playerOrKind == kBomb) {
      PutExplosion(slot, o.x, o.y);
      return;
    }
    o.z += kFallStep;  // it lies where it fell until someone picks it up
    return;
  }
  ++o.tick;
  if (++o.frame >= o.firstFrame + o.frames) o.frame = o.firstFrame;
  o.drawable = 1;
  o.ProjectToScreen();
}

void JcWorld::PutExplosion(int slot, int32_t x, int32_t y) {
  JcObject& o = objects[slot];
  o = JcObject{};
  o.cls = kExplosion;
  o.slot = slot;
  o.picture = kPictureObjects;
  o.playerOrKind = 1;
  o.type = kTypeBlast;
  o.anchorX = 56;
  o.anchorY = 35;
  o.frames = kBlastFrames;
  o.firstFrame = o.frame = kBlastFirst;
  o.x = x;
  o.y = y;
  Play(kSndBomb);
  for (int p = 0; p < 4; ++p) {
    JcObject* c = Contestant(p);
    if (!c) continue;
    c->flee = 0;
    PlayerRecord& rec = g_players[p];
    const int32_t before = rec.energy;
    const int32_t d2 = DistanceSquared(c->x, c->y, x, y);
    if (d2 < 50 && sounds) sounds->PlayCallIfQuiet(p, kVoiceBomb1 + frameCounter % 3);
    rec.energy = std::max(rec.energy - ExplosionEnergyLoss(d2), 0);
    if (rec.energy < before) TakeHit(p, -1, 0);
  }
}

void JcWorld::ExplosionUpdate(int slot) {
  JcObject& o = objects[slot];
  if (++o.frame >= o.firstFrame + o.frames) {
    if (o.phase == 4) {
      Clear(slot);
      return;
    }
    // The blast, three rounds of fire, then the smoke.
    o.type = kTypeFire;
    o.anchorX = 53;
    o.anchorY = 50;
    ++o.phase;
    o.frames = kFireFrames;
    o.firstFrame = o.phase == 4 ? kSmokeFirst : kFireFirst;
    o.frame = o.firstFrame;
  }
  o.drawable = 1;
  o.ProjectToScreen();
}

void JcWorld::PutWeapon(int slot, int player, int32_t x, int32_t y, int direction, int32_t anchorX,
                        int32_t anchorY) {
  for (int p = 0; p < 4; ++p)
    if (JcObject* c = Contestant(p)) c->bounce = c->flee = 0;
  JcObject& o = objects[slot];
  o = JcObject{};
  o.cls = kWeapon;
  o.slot = slot;
  o.type = kTypePlain;
  o.speed = 15;
  o.frames = 5;
  o.direction = direction & 7;
  o.firstFrame = o.frame = 5 * o.direction + 1;
  o.picture = kPictureWeapon + player;
  o.playerOrKind = player;
  o.x = x;
  o.y = y;
  o.anchorX = anchorX;
  o.anchorY = anchorY;
  Voice(player, kVoiceWeapon);
  if (contestant[player].character == kZoviCharacter) {
    o.state = 1;  // the ship comes down to its flying height first
    o.z = 140;
  } else {
    o.z = 40;
  }
}

void JcWorld::WeaponUpdate(int slot) {
  JcObject& o = objects[slot];
  const int player = o.playerOrKind;
  const bool ship = contestant[player].character == kZoviCharacter;
  if (ship && o.state == 1) {
    o.z -= 5;
    if (o.z < 41) {
      o.z = 40;
      o.state = 0;
    }
  }
  if (o.x < 0 || o.x > kFieldMaxX || o.y < 0 || o.y > kFlightMaxY) {
    objects[player].weaponInFlight = 0;
    Clear(slot);
    return;
  }
  if (ship && sounds) sounds->KeepVoicePlaying(player, kVoiceWeapon);
  if (o.state == 0) o.Step(o.direction, 15);
  ++o.tick;
  if (++o.frame >= o.firstFrame + o.frames) o.frame = o.firstFrame;
  o.drawable = 1;
  o.ProjectToScreen();
}

void JcWorld::WeaponInteract(int slot) {
  JcObject& o = objects[slot];
  if (o.state != 0) return;
  const int thrower = o.playerOrKind;
  const Box area = AroundBox(o.x, o.y, 20);
  for (int q = 0; q < 4; ++q) {
    const JcObject* c = Contestant(q);
    if (q == thrower || !c || c->reaction == kKnockedOut || !area.Contains(c->x, c->y)) continue;
    TakeHit(q, thrower, g_players[thrower].weaponPower);
    objects[thrower].weaponInFlight = 0;
    Clear(slot);
    return;
  }
}

}  // namespace jc
