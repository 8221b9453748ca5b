#include "events/climbing/climb_objects.h"

#include <algorithm>

#include "base/player_records.h"
#include "base/random.h"
#include "events/climbing/climb_world.h"
#include "events/climbing/climber.h"
#include "events/climbing/climbing_data.h"
#include "graphics/sprite.h"
#include "screen/game_screen_services.h"

using namespace climbrules;
namespace ca = climbassets;

namespace {

constexpr int kViewHeight = 400;

// An object's draw row: its top edge, 58 above the climbers' convention.
int ObjectTopRow(const ClimbWorld* w, int view, int y, int halfH) {
  return w->views[view & 1].camera - y - halfH + kObjectLift;
}

}  // namespace

void DrawInClimbView(const ClimbWorld& world, int view, Sprite* sprite, int frame, int left, int top, int frameW,
                int frameH) {
  DDSurface* back = ShellBackSurface();
  if (!sprite || !back) return;
  if (top >= kViewHeight || top + frameH <= 0) return;
  int column = left;
  if (world.Split()) {
    const int w = world.viewWidth;
    column = left - world.views[view & 1].scroll + (view == 1 ? w : 0);
    const int viewLeft = view == 1 ? w : 0;
    if (column >= viewLeft + w || column + frameW <= viewLeft) return;
  }
  sprite->DrawFrame(frame, back, column, top);
}

// ---------------------------------------------------------------------------
// Falling objects

ClimbFallingObject::ClimbFallingObject(int kind_, Sprite* sprite_) : sprite(sprite_) {
  kind = std::clamp(kind_, 0, ca::kObjectKinds - 1);
  const ca::ObjectKind& k = ca::kObjects[kind];
  x = RandomInt(520) + 60;
  y = kObjectStartHeight;
  frameW = k.w;
  frameH = k.h;
  halfW = frameW / 2;
  halfH = frameH / 2;
  frame = 1;
  frameCount = k.frames;
  box = MakeBox(halfW, halfH, k.box);
  hitPoints = k.hitPoints;
}

void ClimbFallingObject::Update() {
  if (++frame > frameCount) frame = 1;
  y -= 10;
  if (kind == ca::kKindSnowman ? y < 36 : y <= 28) ended = 1;
}

Rect ClimbFallingObject::Box() const { return BoxAt(box, x, y - kObjectLift); }

bool ClimbFallingObject::IsPickup() const { return kind >= ca::kFirstPickup; }

void ClimbFallingObject::Draw(int view) const {
  if (!world) return;
  DrawInClimbView(*world, view, sprite, frame, x - halfW, ObjectTopRow(world, view, y, halfH), frameW, frameH);
}

// ---------------------------------------------------------------------------
// Windows and flower pots

ClimbWindow::ClimbWindow(int x_, int y_, Sprite* sprite_) : x(x_), y(y_), sprite(sprite_) {
  frameW = ca::kWindowW;
  frameH = ca::kWindowH;
  halfW = frameW / 2;
  halfH = frameH / 2;
  picture = RandomInt(ca::kWindowFrames) + 1;
}

void ClimbWindow::Draw(int view) const {
  if (!world) return;
  DrawInClimbView(*world, view, sprite, picture, x, world->views[view & 1].camera - y, frameW, frameH);
}

ClimbFlowerPot::ClimbFlowerPot(int windowX, int windowY, int windowIndex_, Sprite* sprite_)
    : sprite(sprite_), windowIndex(windowIndex_) {
  firstFrame = RandomInt(4) * ca::kFramesPerPot + 1;
  x = windowX + 10 * (RandomInt(3) + 1);
  y = windowY + (firstFrame == 1 ? 10 : 14);
  frameW = ca::kPotW;
  frameH = ca::kPotH;
  halfW = frameW / 2;
  halfH = frameH / 2;
  static constexpr int kBigPot[4] = {19, 33, 53, 67};
  static constexpr int kSmallPot[4] = {25, 34, 46, 58};
  box = MakeBox(halfW, halfH, firstFrame == 1 ? kBigPot : kSmallPot);
  state = 0;
  frame = firstFrame;
  framesPerPot = ca::kFramesPerPot;
}

void ClimbFlowerPot::Update() {
  const double chance = RandomUnit();  // drawn in every frame and every state
  if (state == 0) {
    if (chance < 0.0005) {
      state = 1;
      if (world && windowIndex >= 0 && windowIndex < kClimbWindows && world->windows[windowIndex])
        world->windows[windowIndex]->potFlag = 0;
    }
    return;
  }
  y -= 10;
  frame = firstFrame + (frame - firstFrame + 1) % framesPerPot;
}

Rect ClimbFlowerPot::Box() const { return BoxAt(box, x, y - kObjectLift); }

void ClimbFlowerPot::Draw(int view) const {
  if (!world) return;
  DrawInClimbView(*world, view, sprite, frame, x - halfW, ObjectTopRow(world, view, y, halfH), frameW, frameH);
}

// ---------------------------------------------------------------------------
// Explosions, the helicopter, the chimney smoke

ClimbExplosion::ClimbExplosion(int x_, int y_, int kind, Sprite* sprite_) : sprite(sprite_), x(x_), y(y_) {
  const ca::ExplosionKind& k = ca::kExplosions[std::clamp(kind, 0, ca::kExplosionKinds - 1)];
  frameW = k.w;
  frameH = k.h;
  halfW = frameW / 2;
  halfH = frameH / 2;
  frameCount = k.frames;
}

ClimbExplosion::~ClimbExplosion() { sprite = nullptr; }

void ClimbExplosion::Draw(int view) const {
  if (!world) return;
  DrawInClimbView(*world, view, sprite, frame, x - halfW, ObjectTopRow(world, view, y, halfH), frameW, frameH);
}

ClimbHelicopter::ClimbHelicopter(int climberX, Sprite* sprite_, ClimbWorld* world_) : sprite(sprite_), world(world_) {
  frameW = ca::kHelicopterW;
  frameH = ca::kHelicopterH;
  halfW = frameW / 2;
  halfH = frameH / 2;
  frameCount = ca::kHelicopterFrames;
  x = climberX - ca::kLadderOffsetX;
  y = frameH + 2699;
  state = kHeliDescending;
  if (world && world->sounds) {
    // Silent at first: the race sets the loop's volume by distance.
    world->sounds->SetVolume(ca::kSndHelicopter, -10000);
    world->sounds->Play(ca::kSndHelicopter, true);
  }
}

void ClimbHelicopter::Update() {
  switch (state) {
    case kHeliDescending:
      y -= 4;
      if (y < 2551) state = kHeliHovering;
      break;
    case kHeliHovering:
      if (++hoverCounter >= 30) {
        hoverCounter = 0;
        state = kHeliRising;
      }
      break;
    case kHeliRising:
      y += 4;
      if (y >= frameH + 2699) state = kHeliGone;
      break;
    default:
      return;
  }
  if (++frame > firstFrame + frameCount - 1) frame = firstFrame;
}

void ClimbHelicopter::Draw(int view) const {
  if (!world) return;
  DrawInClimbView(*world, view, sprite, frame, x - halfW, ObjectTopRow(world, view, y, halfH), frameW, frameH);
}

ClimbChimneySmoke::ClimbChimneySmoke(Sprite* sprite_) : sprite(sprite_) {
  frameW = ca::kChimneyW;
  frameH = ca::kChimneyH;
  halfW = frameW / 2;
  halfH = frameH / 2;
  frameCount = ca::kChimneyFrames;
}

void ClimbChimneySmoke::Update() {
  if (++frame > firstFrame + frameCount - 1) frame = firstFrame;
}

void ClimbChimneySmoke::Draw(int view) const {
  if (!world) return;
  DrawInClimbView(*world, view, sprite, frame, x - halfW, ObjectTopRow(world, view, y, halfH), frameW, frameH);
}

// ---------------------------------------------------------------------------
// Thrown weapons

ClimbWeapon::ClimbWeapon(int x_, int y_, int direction_, int character_, Sprite* sprite_, int power_, int thrower_)
    : sprite(sprite_), x(x_), y(y_), thrower(thrower_) {
  direction = std::clamp(direction_, 0, ca::kWeaponDirections - 1);
  character = std::clamp(character_, 0, ca::kCharacters - 1);
  power = power_;
  const ca::WeaponShape& s = ca::kWeaponShapes[character];
  frameW = s.w;
  frameH = s.h;
  halfW = frameW / 2;
  halfH = frameH / 2;
  framesPerDirection = ca::kWeaponFramesPerDirection;
  firstFrame = direction * framesPerDirection + 1;
  frame = firstFrame;
  box = MakeBox(halfW, halfH, s.box);
}

bool ClimbWeapon::Update() {
  static constexpr int kStep[7][2] = {{0, 15}, {10, 10}, {15, 0}, {10, -10}, {-10, -10}, {-15, 0}, {-10, 10}};
  x += kStep[direction][0];
  y += kStep[direction][1];
  if (++frame > firstFrame + framesPerDirection - 1) frame = firstFrame;
  if (x < 0 || x > 640 || y < 0 || y > kPlacedHeight) return false;
  if (!world) return true;
  const Rect me = Box();
  // The first climber it meets, never its thrower. A graze (less than 8 by
  // 8 pixels) passes that climber by.
  for (int i = 0; i < 4; ++i) {
    Climber* c = world->climbers[i];
    if (!c || i == thrower || (thrower < 0 && c->character() == character)) continue;
    const Rect overlap = Intersect(me, c->ContactBox());
    if (IsEmpty(overlap)) continue;
    if (overlap.right - overlap.left >= 8 && overlap.bottom - overlap.top >= 8) {
      c->engagement = kClEngStruck;
      c->facing = c->x >= x ? kClFaceRight : kClFaceLeft;
      PlayerRecord& victim = g_players[i];
      victim.energy = EnergyAfter(victim.energy, WeaponDamage(power, c->pillMultiplier, victim.endurance));
      c->weaponStarFrame = static_cast<uint8_t>(RandomInt(10) + 1);
      c->weaponStarStep = 0;
      c->weaponStarX = x;
      c->weaponStarH = y;
      return false;
    }
    break;
  }
  for (ClimbFallingObject* o : world->falling) {
    if (!o || !Meet(me, o->Box())) continue;
    o->hitPoints -= power;
    if (o->hitPoints <= 0) o->ended = 1;
    return false;
  }
  return true;
}

void ClimbWeapon::Draw(int view) const {
  if (!world) return;
  DrawInClimbView(*world, view, sprite, frame, x - halfW, world->views[view & 1].camera - y - halfH, frameW, frameH);
}
