// The rule book between actors, run every frame before the updates: punches
// between runners, shoves of the hippos, and thrown weapons striking runners
// and hippos.
#include "events/hippo_run/hippo_contacts.h"

#include <initializer_list>

#include "events/hippo_run/hippo_actor.h"
#include "events/hippo_run/hippo_rules.h"
#include "events/hippo_run/hippo_run_data.h"

using namespace hipporules;
namespace ha = hippoassets;

namespace {

constexpr int kRunnerBox = 25;      // runner against runner, around the world position
constexpr int kRunnerHitBox = 14;   // a runner against a hippo or a weapon
constexpr int kWeaponBox = 14, kWideWeaponBox = 30;
constexpr int kWideWeaponRow = 1;   // the alien's saucer is wider than the others
constexpr int kShoveEnergy = 5;     // a shove needs more than this

// Whether `p` faces `v` within one direction step.
bool Faces(const HippoActor& p, const HippoActor& v) {
  const int d = DirectionTo(p.worldX, p.worldY, v.worldX, v.worldY);
  return d == p.direction || d == (p.direction + 1) % 8 || d == (p.direction + 7) % 8;
}

int FrameCentreX(const HippoActor& a) { return a.worldX + a.frameWidth / 2; }
int FrameCentreY(const HippoActor& a) { return a.worldY + a.frameHeight / 2; }

void VictoryVoice(HippoActor* winner) {
  if (winner) PlayHippoSound(winner->voiceSounds[kVoiceVictory]);
}

// A punch that lands: the victim reacts (state 7 or 8), loses energy, and
// is knocked out below 0.
void Punch(HippoActor** table, HippoActor* p, HippoActor* v, int reaction, int frame1, int drift1,
           int frame2, int drift2) {
  p->hitDealt = 1;
  v->state = reaction;
  v->direction = (p->direction + 4) % 8;
  v->phase = 0;
  v->hitDelay = 3;
  v->energy -= HitDamage(p->strength, v->endurance);
  v->Update(table);
  SpawnHippoExplosion(v->worldX - 50, v->worldY + 50, frame1, drift1);
  SpawnHippoExplosion(v->worldX - 50, v->worldY + 50, frame2, drift2);
  if (v->energy < 0) {
    v->state = ha::kStateKnockedOut;
    v->phase = 0;
    VictoryVoice(p);
  }
}

void RunnerMeetsRunner(HippoActor** table, HippoActor* a, HippoActor* b) {
  if (!Overlap(BoxAround(a->worldX, a->worldY, kRunnerBox), BoxAround(b->worldX, b->worldY, kRunnerBox))) return;
  auto canPunch = [](const HippoActor* p, const HippoActor* v, int punchState, int guardState) {
    return p->state == punchState && !p->hitDealt && v->state != guardState &&
           v->state != ha::kStateKnockedOut && Faces(*p, *v);
  };
  if (canPunch(a, b, ha::kStateWindUp, ha::kStateHit2)) {
    Punch(table, a, b, ha::kStateHit2, 1, -4, 2, 4);
  } else if (canPunch(a, b, ha::kStatePunch, ha::kStateHit1)) {
    Punch(table, a, b, ha::kStateHit1, 2, 4, 3, -4);
  } else if (canPunch(b, a, ha::kStateWindUp, ha::kStateHit2)) {
    Punch(table, b, a, ha::kStateHit2, 3, -4, 2, 4);
  } else if (canPunch(b, a, ha::kStatePunch, ha::kStateHit1)) {
    Punch(table, b, a, ha::kStateHit1, 4, 4, 1, -4);
  } else {
    // They block each other's way for this frame. One lying knocked out
    // blocks nobody: a computer runner who kept bumping into him would
    // stand over him (and knock him down again) for the rest of the race.
    if (a->state == ha::kStateKnockedOut || b->state == ha::kStateKnockedOut) return;
    for (HippoActor* s : {a, b}) {
      const HippoActor* o = s == a ? b : a;
      s->contact = 3;
      s->contactDirection = DirectionTo(s->worldX, s->worldY, o->worldX, o->worldY);
      s->hitDelay = 0;
    }
  }
}

void RunnerMeetsHippo(HippoActor* r, HippoActor* h) {
  const Box rb = BoxAround(FrameCentreX(*r), FrameCentreY(*r), kRunnerHitBox);
  const int cx = FrameCentreX(*h), cy = FrameCentreY(*h);
  const Box body{cx - 27, cy - 40, cx + 25, cy + 19};
  const Box head{cx - 45, cy - 22, cx + 7, cy + 37};
  if (!Overlap(rb, body) && !Overlap(rb, head)) return;
  if (r->state == ha::kStatePush && h->state != 3 && h->state != 5 && r->energy > kShoveEnergy &&
      IsBehind(h->direction, h->worldX, h->worldY, r->worldX, r->worldY)) {
    h->state = 3;
    h->phase = 0;
    h->animStep = 0;
    h->frame = HippoTableFrame(3, 0);
    h->speed = r->pushPower;
    r->energy -= 1;
    PlayHippoSound(kSndPush, true);
  } else if (r->state != ha::kStateHit2) {
    r->contact = 3;
    h->contact = 3;
    r->hitDelay = 0;
    h->hitDelay = 0;
    r->contactDirection = DirectionTo(r->worldX, r->worldY, h->worldX, h->worldY);
  }
}

// A weapon that struck: puffs at the weapon, the victim's energy, its
// reaction. Returns true when it struck (the weapon is then gone).
bool WeaponStrikes(HippoActor** table, int w, HippoActor* v) {
  HippoActor* weapon = table[w];
  HippoActor* thrower = (weapon->ownerIndex >= 0 && weapon->ownerIndex < 4) ? table[weapon->ownerIndex] : nullptr;
  const int power = thrower ? thrower->weaponPower : 0;
  const int half = weapon->row == kWideWeaponRow ? kWideWeaponBox : kWeaponBox;
  const Box wb = BoxAround(weapon->worldX, weapon->worldY, half);
  if (v->state == ha::kStateKnockedOut) return false;
  if (v->kind == kKindRunner) {
    if (!Overlap(wb, BoxAround(v->worldX, v->worldY, kRunnerHitBox))) return false;
    SpawnHippoExplosion(weapon->worldX - 50, weapon->worldY + 50, 2, 4);
    SpawnHippoExplosion(weapon->worldX - 50, weapon->worldY + 50, 4, -4);
    v->energy -= HitDamage(power, v->endurance);
    v->state = ha::kStateHit1;
    if (v->energy <= 0) {
      v->state = ha::kStateKnockedOut;
      v->phase = 0;
      VictoryVoice(thrower);
    }
  } else {
    const int cx = FrameCentreX(*v), cy = FrameCentreY(*v);
    if (!Overlap(wb, Box{cx - 72, cy - 108, cx - 8, cy + 8})) return false;
    SpawnHippoExplosion(weapon->worldX - 50, weapon->worldY + 50, 3, 4);
    SpawnHippoExplosion(weapon->worldX - 50, weapon->worldY + 50, 1, -4);
    v->energy -= HitDamage(power, 0);
    v->state = 7;
    if (v->energy <= 0) {
      v->state = 5;
      v->phase = 0;
    }
  }
  delete weapon;
  table[w] = nullptr;
  return true;
}

}  // namespace

void HippoResolveContacts(HippoActor** table, int count, int pass) {
  if (pass == 0) {
    for (int i = 0; i < count; ++i) {
      HippoActor* a = table[i];
      if (!a || a->kind != kKindRunner) continue;
      for (int j = i + 1; j < count; ++j) {
        HippoActor* b = table[j];
        if (!b) continue;
        if (b->kind == kKindRunner) RunnerMeetsRunner(table, a, b);
        else if (b->kind == kKindHippo) RunnerMeetsHippo(a, b);
      }
    }
    return;
  }
  for (int i = 0; i < count; ++i) {
    HippoActor* w = table[i];
    if (!w || w->kind != kKindWeapon) continue;
    for (int j = 0; j < count; ++j) {
      HippoActor* v = table[j];
      if (j == i || !v || v->ownIndex == w->ownerIndex) continue;
      if (v->kind != kKindRunner && v->kind != kKindHippo) continue;
      if (WeaponStrikes(table, i, v)) break;
    }
  }
}
