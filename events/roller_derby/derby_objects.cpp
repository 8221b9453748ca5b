#include "events/roller_derby/derby_objects.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/player_records.h"
#include "events/roller_derby/derby_rules.h"
#include "events/roller_derby/derby_skater.h"
#include "graphics/sprite.h"
#include "scene3d/rm.h"
#include "sound/sound.h"

namespace derby {

DerbySkater* DerbyWorld::Skater(int player) const {
  if (player < 0 || player > 3) return nullptr;
  return static_cast<DerbySkater*>(objects[kFirstSkaterSlot + player]);
}

void DerbyWorld::Clear() {
  for (DerbyObject*& o : objects) {
    delete o;
    o = nullptr;
  }
}

// ---------------------------------------------------------------------------
// DerbyObject

DerbyObject::DerbyObject(DerbyWorld* w) : world(w) {}

DerbyObject::DerbyObject(DerbyWorld* w, float decalWidth, float decalHeight, int imageWidth, int imageHeight,
                         const PaletteEntry* palette)
    : world(w), width(decalWidth), height(decalHeight) {
  image = RMCreateImage(imageWidth, imageHeight, palette);
  if (!image) return;
  std::memset(image->pixels, 1, static_cast<size_t>(image->pitch) * image->height);
  texture = RMCreateTexture(image);
  // The decal leaves out the colour of the key entry, whatever colour the
  // picture's palette gives it.
  const PaletteEntry& key = image->palette[1];
  frame = RMCreateDecalFrame(texture, width, height, nullptr, 1, RMColorRGB(key.red, key.green, key.blue));
}

DerbyObject::~DerbyObject() {
  if (frame) {
    if (RMFrame* parent = frame->GetParent()) parent->DeleteChild(frame);
    frame->Release();
    frame = nullptr;
  }
  if (texture) texture->Release();
  texture = nullptr;
  if (image) RMFreeImage(image);
  image = nullptr;
}

void DerbyObject::Remove(DerbyObject** objects) {
  if (objectIndex >= 0 && objectIndex < kObjectSlots && objects[objectIndex] == this) objects[objectIndex] = nullptr;
  delete this;
}

void DerbyObject::FindPiece() { pieceIndex = derby::FindPiece(*world->track, Point2f(x, z)); }

int DerbyObject::CrossesInnerEdge(Point2f* from, Point2f* to, Point2f* hit) const {
  return CrossesEdge(*world->track, world->track->innerEdges, from, to, hit);
}

int DerbyObject::CrossesOuterEdge(Point2f* from, Point2f* to, Point2f* hit) const {
  return CrossesEdge(*world->track, world->track->outerEdges, from, to, hit);
}

void DerbyObject::PlaySoundAt(int slot) const {
  if (!g_soundManager || slot < 0) return;
  // The listeners are the local players' skaters (the second only with two
  // players on one machine).
  float d = -1.0f;
  const int listeners = g_playMode == 1 ? 2 : 1;
  for (int l = 0; l < listeners; ++l) {
    const DerbySkater* s = world->Skater(g_localPlayers[l]);
    if (!s) continue;
    const float dl = (x - s->x) * (x - s->x) + (z - s->z) * (z - s->z);
    if (d < 0.0f || dl < d) d = dl;
  }
  g_soundManager->Play(slot, 0, kSoundUnchanged, SoundVolumeAt(d < 0.0f ? 0.0f : d), kSoundUnchanged, 0);
}

void DerbyObject::ShowFrame(RMFrame* shown, bool inScene) {
  if (!shown) return;
  RMFrame* parent = shown->GetParent();
  if (!inScene || !world->scene) {
    if (parent) parent->DeleteChild(shown);
    return;
  }
  if (!parent) world->scene->AddChild(shown);
  shown->SetPosition(world->scene, x, y, z);
}

void DerbyObject::DrawPicture(Sprite* sprite, int frameNumber, int left, int top, bool fill) {
  if (!image) return;
  if (fill) std::memset(image->pixels, 1, static_cast<size_t>(image->pitch) * image->height);
  const BitmapInfoHeader* info = sprite ? sprite->GetFrameInfo(frameNumber) : nullptr;
  if (!info) return;
  const int w = info->width, h = std::abs(info->height);
  if (w <= 0 || h <= 0) return;
  // The frame goes through a buffer of its own size first: the image may be
  // smaller than the frame, and the sprite's copy knows no bounds.
  thread_local std::vector<uint8_t> scratch;
  scratch.assign(static_cast<size_t>(w) * h, 1);
  if (!sprite->DrawFrameToBuffer(frameNumber, scratch.data(), w, 1)) return;
  const int x0 = std::max(0, left), y0 = std::max(0, top);
  const int x1 = std::min(image->width, left + w), y1 = std::min(image->height, top + h);
  for (int row = y0; row < y1; ++row) {
    const uint8_t* src = scratch.data() + static_cast<size_t>(row - top) * w + (x0 - left);
    uint8_t* dst = image->pixels + static_cast<size_t>(row) * image->pitch + x0;
    for (int col = x0; col < x1; ++col, ++src, ++dst)
      if (*src != 1) *dst = *src;
  }
}

void DerbyObject::PlaceAnimated(DerbyObject** objects, int viewer, Sprite* sprite) {
  if (!frame || !sprite) return;
  const bool near = IsNearPiece(objects[viewer] ? objects[viewer]->pieceIndex : pieceIndex);
  ShowFrame(frame, near);
  if (!near) return;
  DrawPicture(sprite, std::max(1, static_cast<int>(frameCounter)), 0, 0, true);
  PictureChanged();
}

void DerbyObject::PictureChanged() {
  if (texture) texture->Changed(1, 0);
}

// ---------------------------------------------------------------------------
// DerbyCamera

void DerbyCamera::Place(DerbyObject** objects, int follow) {
  const DerbyObject* s = follow >= 0 && follow < kObjectSlots ? objects[follow] : nullptr;
  if (!s) return;
  const int finished = s->objectIndex >= kFirstSkaterSlot && s->objectIndex < kFirstSkaterSlot + 4
                           ? static_cast<const DerbySkater*>(s)->finishedFrames
                           : 0;
  // Every other skater on the track, whom the camera keeps out of as well.
  Point2f others[4];
  int count = 0;
  for (int j = kFirstSkaterSlot; j < kFirstSkaterSlot + 4; ++j)
    if (objects[j] && objects[j] != s) others[count++] = Point2f(objects[j]->x, objects[j]->z);
  const CameraPlace c = ChaseCamera(*world->track, s->x, s->y, s->z, s->heading, s->height, finished, others, count);
  x = c.x;
  y = c.y;
  z = c.z;
  heading = c.heading;
  FindPiece();
}

// ---------------------------------------------------------------------------
// DerbyWeapon

DerbyWeapon::DerbyWeapon(DerbyWorld* w, float decalWidth, float decalHeight, int imageWidth, int imageHeight,
                         const PaletteEntry* palette, Sprite* s, int frames, int thrownBy)
    : DerbyObject(w, decalWidth, decalHeight, imageWidth, imageHeight, palette),
      sprite(s),
      frameCount(std::max(1, frames)),
      thrower(static_cast<uint8_t>(thrownBy)) {}

void DerbyWeapon::Update(DerbyObject** objects) {
  if (lifetime > 0 && age >= lifetime) return Remove(objects);
  FindPiece();
  if (lifetime > 0) ++age;
  Point2f from(x, z);
  x += std::cos(heading) * flightSpeed;
  z += std::sin(heading) * flightSpeed;
  const Point2f to(x, z);
  Point2f a = from, b = to, hit;
  if (CrossesInnerEdge(&a, &b, &hit)) return Remove(objects);
  FindPiece();
  if (y < TrackHeight(pieceIndex, to)) return Remove(objects);
  for (int j = kFirstSkaterSlot; j < kFirstSkaterSlot + 4; ++j) {
    DerbySkater* victim = static_cast<DerbySkater*>(objects[j]);
    if (!victim || j == thrower || victim->state == derbyassets::kFallen) continue;
    if (!WeaponPathHits(from, to, Point2f(victim->x, victim->z))) continue;
    const int p = j - kFirstSkaterSlot;
    const PlayerRecord& by = g_players[thrower - kFirstSkaterSlot];
    PlayerRecord& hurt = g_players[p];
    hurt.energy = std::max(0, hurt.energy - WeaponDamage(by.weaponPower, victim->boost, hurt.endurance));
    victim->React(0, 1);
    return Remove(objects);
  }
  if (++frameCounter > frameCount) frameCounter = 1;
}

void DerbyWeapon::Place(DerbyObject** objects, int viewer) { PlaceAnimated(objects, viewer, sprite); }

// ---------------------------------------------------------------------------
// DerbyExplosion

DerbyExplosion::DerbyExplosion(DerbyWorld* w, float decalWidth, float decalHeight, int imageWidth,
                               int imageHeight, const PaletteEntry* palette, Sprite* s, int frames)
    : DerbyObject(w, decalWidth, decalHeight, imageWidth, imageHeight, palette),
      sprite(s),
      frameCount(std::max(1, frames)) {}

void DerbyExplosion::Update(DerbyObject** objects) {
  if (lifetime > 0 && age >= lifetime) return Remove(objects);
  FindPiece();
  if (lifetime > 0) ++age;
  if (++frameCounter > frameCount) return Remove(objects);
}

void DerbyExplosion::Place(DerbyObject** objects, int viewer) { PlaceAnimated(objects, viewer, sprite); }

// ---------------------------------------------------------------------------
// DerbyMine

DerbyMine::DerbyMine(DerbyWorld* w) : DerbyObject(w) {
  looks_[0] = DuplicateFrame(w->mineOffMesh);
  looks_[1] = DuplicateFrame(w->mineOnMesh);
  frame = looks_[0];
}

void PlaceMines(DerbyWorld* world) {
  for (int k = 0; k < kMines; ++k) {
    auto* mine = new DerbyMine(world);
    mine->objectIndex = kFirstMineSlot + 2 * k;
    mine->x = g_minePositions[k].x;
    mine->z = g_minePositions[k].y;
    world->objects[mine->objectIndex] = mine;
  }
}

DerbyMine::~DerbyMine() {
  for (RMFrame*& look : looks_) {
    if (!look) continue;
    if (RMFrame* parent = look->GetParent()) parent->DeleteChild(look);
    look->Release();
    look = nullptr;
  }
  frame = nullptr;  // one of the looks, already gone
}

bool RunsOverMine(Point2f m, Point2f p, Point2f q) {
  if (DistanceSquared(p, m) <= 25.0f) return true;
  if (!(std::fabs(p.x - m.x) < 15.0f && std::fabs(p.y - m.y) < 15.0f) || q == p) return false;
  const Point2f c0(m.x - 2, m.y - 2), c1(m.x - 2, m.y + 2), c2(m.x + 2, m.y - 2), c3(m.x + 2, m.y + 2);
  return SegmentsIntersect(q, p, c0, c1) || SegmentsIntersect(q, p, c1, c2) || SegmentsIntersect(q, p, c2, c3) ||
         SegmentsIntersect(q, p, c3, c0);
}

void DerbyMine::Update(DerbyObject** objects) {
  if (lifetime > 0 && age >= lifetime) return Remove(objects);
  if (lifetime > 0) ++age;
  FindPiece();
  y = TrackHeight(pieceIndex, Point2f(x, z));
  ++frameCounter;
  frame = looks_[Lit() ? 1 : 0];
  for (int j = kFirstSkaterSlot; j < kFirstSkaterSlot + 4; ++j) {
    DerbySkater* s = static_cast<DerbySkater*>(objects[j]);
    if (!s || !RunsOverMine(Point2f(x, z), Point2f(s->x, s->z), Point2f(s->lastX, s->lastZ))) continue;
    int e = kFirstExplosionSlot;
    while (e < kObjectSlots && objects[e]) ++e;
    Sprite* boom = world->explosionSprite;
    const BitmapInfoHeader* info = boom ? boom->GetFrameInfo(1) : nullptr;
    DDPalette* pal = boom ? boom->GetFramePalette(1) : nullptr;
    if (e < kObjectSlots && info && pal) {
      auto* ex = new DerbyExplosion(world, 10.0f, 10.0f, info->width, std::abs(info->height), pal->Entries(),
                                    boom, boom->FrameCount());
      objects[e] = ex;
      ex->x = x;
      ex->y = y;
      ex->z = z;
      ex->objectIndex = e;
      ex->lifetime = -1;
      ex->PlaySoundAt(world->bombSound);
    }
    s->LoseEnergy(25);
    s->React(1, 0);
    return Remove(objects);
  }
}

void DerbyMine::Place(DerbyObject** objects, int viewer) {
  if (!frame) return;
  const bool near = IsNearPiece(objects[viewer] ? objects[viewer]->pieceIndex : pieceIndex);
  for (RMFrame* look : looks_)
    if (look != frame) ShowFrame(look, false);
  ShowFrame(frame, near);
}

}  // namespace derby
