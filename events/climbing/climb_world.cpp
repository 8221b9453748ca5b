#include "events/climbing/climb_world.h"

#include <algorithm>

#include "screen/config.h"
#include "screen/game_screen_services.h"
#include "base/player_records.h"
#include "base/random.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"

using namespace climbrules;
namespace ca = climbassets;

ClimbWorld::ClimbWorld() = default;

ClimbWorld::~ClimbWorld() { Clear(); }

void ClimbWorld::Clear() {
  potCount = 0;
  for (ClimbWindow*& w : windows) {
    delete w;
    w = nullptr;
  }
  for (ClimbFlowerPot*& p : pots) {
    delete p;
    p = nullptr;
  }
  for (ClimbFallingObject*& o : falling) {
    delete o;
    o = nullptr;
  }
  for (ClimbExplosion*& e : explosions) {
    delete e;
    e = nullptr;
  }
  delete helicopter;
  helicopter = nullptr;
  delete smoke;
  smoke = nullptr;
  for (Climber*& c : climbers) {
    delete c;
    c = nullptr;
  }
}

// ---------------------------------------------------------------------------
// Construction

void ClimbWorld::CreateClimbers() {
  persons = 0;
  for (int i = 0; i < 4; ++i) {
    if (g_players[i].human == 1) persons |= static_cast<uint8_t>(1u << i);
    delete climbers[i];
    Climber* c = new Climber(i);
    c->world = this;
    c->sprite = sprites.climbers[i];
    c->weaponSprite = sprites.weapons[i];
    c->climbSpeed = ClimbSpeedOf(g_players[i].speed);
    climbers[i] = c;
  }
}

void ClimbWorld::BuildWindows() {
  int n = 0;
  for (int r = 0; r < 17; ++r)
    for (int c = 0; c < 5; ++c) {
      if (r == 0 && c == 2) continue;  // the doorway
      delete windows[n];
      windows[n] = new ClimbWindow(112 + 90 * c, 102 + 140 * r, sprites.windows);
      windows[n]->world = this;
      ++n;
    }
}

int ClimbWorld::PlaceFlowerPots() {
  int n = 0;
  for (int i = 0; i < kClimbWindows; ++i) {
    if (!(RandomUnit() < 0.1) || !windows[i]) continue;
    ClimbFlowerPot* p = new ClimbFlowerPot(windows[i]->x, windows[i]->y, i, sprites.pots);
    p->world = this;
    delete pots[n];
    pots[n++] = p;
    windows[i]->potFlag = 1;
  }
  potCount = n;
  return n;
}

void ClimbWorld::CreateSmoke() {
  delete smoke;
  smoke = new ClimbChimneySmoke(sprites.chimney);
  smoke->world = this;
}

// ---------------------------------------------------------------------------
// Local views and sounds: they differ between machines and decide nothing.

bool ClimbWorld::Split() const { return g_playMode == 1; }

int ClimbWorld::ViewClimber(int view) const { return g_localPlayers[view == 1 ? 1 : 0] & 3; }

bool ClimbWorld::Audible(int y) const {
  for (int v = 0; v < (Split() ? 2 : 1); ++v) {
    const Climber* c = climbers[ViewClimber(v)];
    if (c && InView(y, c->h)) return true;
  }
  return false;
}

bool ClimbWorld::ObjectAudible(int y) const {
  for (int v = 0; v < (Split() ? 2 : 1); ++v) {
    const Climber* c = climbers[ViewClimber(v)];
    if (c && ObjectInView(y, c->h)) return true;
  }
  return false;
}

bool ClimbWorld::LocalClimberBelow(int height) const {
  for (int v = 0; v < (Split() ? 2 : 1); ++v) {
    const Climber* c = climbers[ViewClimber(v)];
    if (c && c->h < height) return true;
  }
  return false;
}

void ClimbWorld::Play(int sound, bool loop) const {
  if (sounds) sounds->Play(sound, loop);
}

void ClimbWorld::Stop(int sound) const {
  if (sounds) sounds->Stop(sound);
}

bool ClimbWorld::IsPlaying(int sound) const { return sounds && sounds->IsPlaying(sound); }

void ClimbWorld::PlayCry(int player, int cry) const {
  if (lowMemory || !sounds || cry < 1 || cry > ca::kCries) return;
  for (int p = 0; p < 4; ++p)
    for (int k = 0; k < ca::kCries; ++k)
      if (sounds->IsPlaying(ClimberSound(p, kClSndCry1 + k))) return;
  sounds->Play(ClimberSound(player, kClSndCry1 + cry - 1), false);
}

void ClimbWorld::UpdateViews() {
  for (int v = 0; v < (Split() ? 2 : 1); ++v) {
    const Climber* c = climbers[ViewClimber(v)];
    if (!c) continue;
    views[v].camera = CameraHeight(c->h);
    views[v].scroll = HorizontalScroll(c->x, Split());
  }
}

// ---------------------------------------------------------------------------
// A race frame

int ClimbWorld::RaceFrame() {
  // The race is over by the state the last frame left, before anything
  // moves: a machine told by another that it is over then holds the very
  // same state as the one that said so.
  if (RaceOver()) return 1;
  ++frameCounter;
  UpdateFallingObjects();
  UpdateFlowerPots();
  UpdateExplosions();
  CheckFinish();
  if (smoke) smoke->Update();
  UpdateHelicopter();
  clock = ClockAfterFrame(clock, frameCounter);
  return 0;
}

bool ClimbWorld::RaceOver() {
  // Three placed: the fourth is placed too.
  if (placeCounter == 3) {
    for (PlayerRecord& p : g_players)
      if (p.place < 0) {
        p.place = 3;
        break;
      }
    return true;
  }
  // No person left to climb, or the time is up.
  for (int i = 0; i < 4; ++i)
    if (climbers[i] && climbers[i]->h < kPlacedHeight && IsPerson(i)) return clock >= kNotFinished;
  return true;
}

void ClimbWorld::AddExplosion(int x, int y, int kind, int firstSlots, bool audible) {
  for (int e = 0; e < kClimbExplosionSlots; ++e) {
    if (explosions[e]) continue;
    if (e >= firstSlots) return;
    explosions[e] = new ClimbExplosion(x, y, kind, sprites.explosions[kind]);
    explosions[e]->world = this;
    if (audible) {
      static constexpr int kSound[ca::kExplosionKinds] = {ca::kSndBigExplosion, ca::kSndSmallExplosion,
                                                          ca::kSndSnowHit, ca::kSndSnowGround};
      Play(kSound[kind]);
    }
    return;
  }
}

void ClimbWorld::UpdateFallingObjects() {
  if (spawnDelay == 0) spawnDelay = RandomInt(100);
  ++spawnCounter;
  // At or past the delay: a counter that ran past a delay drawn late must
  // not wait for ever.
  if (spawnCounter >= spawnDelay + 5) {
    const int kind = RandomInt(ca::kObjectKinds);
    for (ClimbFallingObject*& slot : falling) {
      if (slot) continue;
      slot = new ClimbFallingObject(kind, sprites.objects[kind]);
      slot->world = this;
      slot->serial = nextSerial++;
      break;
    }
    spawnCounter = 0;
    spawnDelay = 0;
  }
  for (ClimbFallingObject*& o : falling) {
    if (!o) continue;
    o->Update();
    if (o->ended) {
      if (o->fallingSound >= 0 && IsPlaying(o->fallingSound)) Stop(o->fallingSound);
      const int x = o->x, y = o->y, kind = o->kind;
      delete o;
      o = nullptr;
      const int explosion = ExplosionKindOf(kind, y);
      if (explosion >= 0) {
        AddExplosion(x, y, explosion, kClimbExplosionSlots, Audible(y));
      } else if (Audible(y)) {
        Play(ca::kSndClayPot);
      }
      continue;
    }
    if (ObjectAudible(o->y)) {
      o->fallingSound = FallingSoundOf(o->kind);
      if (!IsPlaying(o->fallingSound)) Play(o->fallingSound);
    }
  }
}

void ClimbWorld::UpdateFlowerPots() {
  if (potCount == 0) return;
  for (int i = 0; i < potCount && i < kClimbWindows; ++i) {
    ClimbFlowerPot*& p = pots[i];
    if (!p) continue;
    p->Update();
    if (p->y < 29) {
      const int x = p->x, y = p->y;
      delete p;
      p = nullptr;
      AddExplosion(x, y, 1, kClimbPotExplosionSlots, true);
    } else if (p->state == 1 && ObjectAudible(p->y) && !IsPlaying(ca::kSndFalling)) {
      Play(ca::kSndFalling);
    }
  }
}

void ClimbWorld::UpdateExplosions() {
  for (ClimbExplosion*& e : explosions) {
    if (!e) continue;
    e->Update();
    if (e->Done()) {
      delete e;
      e = nullptr;
    }
  }
}

void ClimbWorld::CheckFinish() {
  for (Climber* c : climbers)
    if (c) c->CheckContact();
  for (Climber* c : climbers)
    if (c) c->Update();
  for (int i = 0; i < 4; ++i) {
    Climber* c = climbers[i];
    PlayerRecord& rec = g_players[i];
    if (!c || c->h < kRoofHeight || rec.place >= 0) continue;
    rec.result = ResultOf(clock);
    if (c->h < kPlacedHeight) {
      if (c->roofStage != kClRoofClimbing) continue;
      if (pendingHelicopterX <= 0) {
        if (!helicopter)
          helicopter = new ClimbHelicopter(c->x, sprites.helicopter, this);
        else
          pendingHelicopterX = c->x;
        c->roofStage = kClRoofWaiting;
      }
      // The crowd cheers each climber once, not every frame it waits.
      if (!cheered[i]) {
        cheered[i] = 1;
        Play(ca::kSndCheer);
      }
    } else {
      rec.place = placeCounter++;
    }
  }
}

void ClimbWorld::UpdateHelicopter() {
  if (helicopter) {
    const Climber* own = climbers[ViewClimber(0)];
    int32_t volume = 0;
    if (own && sounds && HelicopterVolume(helicopter->y, own->h, &volume))
      sounds->SetVolume(ca::kSndHelicopter, volume);
  }
  if (pendingHelicopterX > 0 && !helicopter) {
    helicopter = new ClimbHelicopter(pendingHelicopterX, sprites.helicopter, this);
    pendingHelicopterX = -1;
  }
  if (helicopter) {
    helicopter->Update();
    if (helicopter->state == kHeliGone) {
      Stop(ca::kSndHelicopter);
      delete helicopter;
      helicopter = nullptr;
    }
  }
}

void ClimbWorld::RankByHeight() {
  int32_t heights[4], places[4];
  bool any = false;
  for (int i = 0; i < 4; ++i) {
    heights[i] = climbers[i] ? climbers[i]->h : -1;
    places[i] = g_players[i].place;
    if (places[i] < 0) any = true;
  }
  if (!any) return;
  RankUnplaced(heights, places);
  for (int i = 0; i < 4; ++i) g_players[i].place = places[i];
}

int32_t ClimbWorld::SyncCheck() const {
  // A running mix of everything that moves: a difference anywhere shows.
  uint32_t v = 2166136261u;
  auto mix = [&v](int32_t x) {
    v ^= static_cast<uint32_t>(x);
    v *= 16777619u;
  };
  for (int i = 0; i < 4; ++i) {
    const Climber* c = climbers[i];
    if (c) {
      mix(c->x);
      mix(c->h);
      mix(c->state);
      mix(c->frame);
      mix(c->engagement);
      for (const ClimbWeapon* w : c->weapons)
        if (w) {
          mix(w->x);
          mix(w->y);
        }
    }
    mix(g_players[i].energy);
    mix(g_players[i].weaponUnits);
    mix(g_players[i].powerPills);
    mix(g_players[i].money);
    mix(g_players[i].place);
  }
  mix(persons);
  for (const ClimbFallingObject* o : falling)
    if (o) {
      mix(o->kind);
      mix(o->x);
      mix(o->y);
      mix(o->hitPoints);
    }
  for (int i = 0; i < potCount && i < kClimbWindows; ++i)
    if (pots[i]) mix(pots[i]->y);
  mix(helicopter ? helicopter->y : -1);
  mix(clock);
  mix(static_cast<int32_t>(RandomState()));
  return static_cast<int32_t>(v);
}

// ---------------------------------------------------------------------------
// Drawing

void ClimbWorld::DrawView(int view) {
  const int v = view & 1;
  const int scroll = views[v].scroll - (v == 1 ? viewWidth : 0);
  DrawBuilding(v, views[v].camera - kViewAbove, scroll, &views[v].buildingState, views[v].scroll);
  for (int i = 0; i < potCount && i < kClimbWindows; ++i)
    if (pots[i]) pots[i]->Draw(v);
  if (smoke) smoke->Draw(v);
  if (helicopter) helicopter->Draw(v);
  for (Climber* c : climbers)
    if (c) c->Draw(v);
  for (const ClimbFallingObject* o : falling)
    if (o) o->Draw(v);
  for (const ClimbExplosion* e : explosions)
    if (e) e->Draw(v);
  for (const Climber* c : climbers)
    if (c)
      for (const ClimbWeapon* w : c->weapons)
        if (w) w->Draw(v);
  DrawStreetFront(scroll, views[v].buildingState);
}

void ClimbWorld::DrawBuilding(int view, int base, int scroll, int32_t* state, int horizontalScroll) {
  DDSurface* back = ShellBackSurface();
  Sprite* a = sprites.buildingA;
  Sprite* b = sprites.buildingB;
  if (!back) return;
  // The parallax follows the view's climber, and the building stops moving
  // once the climber is on the roof.
  auto halfDown = [](int v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); };
  const int old = *state;
  *state = std::min(0, base - kRoofHeight);
  if (-halfDown(*state) < 0 || -halfDown(*state) > 1200) *state = old;
  const int st = *state;
  const int far = -halfDown(st);
  const int mid = static_cast<int>(st * 0.385 + 400.0);
  if (a && far < 1000) a->DrawFrame(ca::kASky, back, -scroll, -far);
  if (mid >= -524 && mid <= 400) {
    if (mid < -515 && b) b->DrawFrame(ca::kBSkylineLow, back, -scroll, halfDown(base) + 336);
    if (a) a->DrawFrame(ca::kASkyline, back, -scroll, mid);
    if (b) b->DrawFrame(ca::kBSkylineRight, back, 552 - scroll, mid);
  }
  int y = base + 350;
  if (b && y <= 400) b->DrawFrame(ca::kBWall, back, 60 - scroll, y);
  for (int i = 0; i < 72; ++i) {
    y -= 34;
    if (b && y >= -34 && y <= 400) b->DrawFrame(ca::kBWall, back, 60 - scroll, y);
  }
  if (a && st < -2200) {
    if (DDSurface* street = a->GetFrameSurface(ca::kAStreet))
      back->BltKeyed(-scroll, st + 2601, viewWidth + horizontalScroll, ca::kStreetH, street, 0, 0);
  }
  if (st > -400) {
    if (b) {
      b->DrawFrame(ca::kBRoofEdge, back, 32 - scroll, y - 35);
      b->DrawFrame(ca::kBRoofProp4, back, 500 - scroll, st + 233);
      b->DrawFrame(ca::kBRoofProp4, back, 440 - scroll, st + 209);
      b->DrawFrame(ca::kBRoofProp5, back, 80 - scroll, st + 238);
    }
    if (a) {
      a->DrawFrame(ca::kARoofProp5, back, 335 - scroll, st + 242);
      a->DrawFrame(ca::kARoofProp6, back, 200 - scroll, st + 192);
    }
  }
  for (const ClimbWindow* w : windows)
    if (w) w->Draw(view);
}

void ClimbWorld::DrawStreetFront(int scroll, int state) {
  DDSurface* back = ShellBackSurface();
  Sprite* a = sprites.buildingA;
  if (!back || !a || state >= -2300) return;
  a->DrawFrame(ca::kAStreetProp3, back, -scroll - 10, state + 2717);
  a->DrawFrame(ca::kAStreetProp2, back, 550 - scroll, state + 2739);
  a->DrawFrame(ca::kAStreetProp4, back, 20 - scroll, state + 2686);
  a->DrawFrame(ca::kAStreetProp4, back, 330 - scroll, state + 2686);
}
