#include "events/maze3d/maze_objects.h"

#include <algorithm>

#include "events/maze3d/maze_character.h"
#include "events/maze3d/rc_hud.h"
#include "events/maze3d/rc_mover.h"
#include "events/maze3d/rc_support.h"
#include "events/maze3d/rc_tables.h"

namespace {

constexpr int kMonsterShotWeapon = 100;
constexpr int kExplodeShotOnPlayer = kSpriteSetFirstExplosion + 2;  // 7
constexpr int kExplodeWall = kSpriteSetFirstExplosion + 3;          // 8

bool Near(const MazeObjectView& view, int object) {
  for (uint16_t v : view.viewers)
    if (v < 4 && MazeObjectNear(v, object)) return true;
  return false;
}

const uint8_t* Pose(int set, int pose) {
  if (set < 0 || set >= kMazeSpriteSetCount || pose < 0 || pose >= kMazeSpriteSetPoses) return nullptr;
  return g_mazeSpriteSets[set].poses[pose];
}

// The first free explosion record becomes one of `kind` at (x, y); false
// when all are busy.
bool Explode(int kind, int32_t x, int32_t y) {
  for (int k = kMazeFirstExplosion; k <= kMazeLastExplosion; ++k) {
    MazeObjectRecord& e = g_mazeObjects[k];
    if (e.active) continue;
    e.active = 1;
    e.x = x;
    e.y = y;
    e.state = uint32_t(kind);
    e.poseIndex = 0;
    e.pose = Pose(kind, 0);
    return true;
  }
  return false;
}

void AnimateMonster(const MazeObjectView& view, int k) {
  MazeObjectRecord& m = g_mazeObjects[k];
  switch (m.state) {
    case 0:  // rising
      if (m.poseIndex == 8) {
        m.poseIndex = 0;
        m.state = 1;
        break;
      }
      if (m.poseIndex == 12 && Near(view, k)) MazePlaySlot(g_mazeEventSounds.regen);
      m.pose = Pose(kSpriteSetMonster, m.poseIndex);
      --m.poseIndex;
      break;
    case 1:  // waiting, then spitting
      if (m.step < 20) {
        ++m.step;
        break;
      }
      if (++m.poseIndex == 9) {
        m.poseIndex = 0;
        m.pose = Pose(kSpriteSetMonster, 0);
        m.step = 0;
        break;
      }
      m.pose = Pose(kSpriteSetMonster, m.poseIndex);
      if (m.poseIndex == 4 && Near(view, k)) MazePlaySlot(g_mazeEventSounds.shoot);
      if (m.poseIndex == 8) {
        for (int s = kMazeFirstShot; s < kMazeLastShot; ++s) {
          MazeObjectRecord& shot = g_mazeObjects[s];
          if (shot.active) continue;
          shot.active = 1;
          shot.x = m.x;
          shot.y = m.y;
          shot.heading = m.heading;
          shot.range = 800;
          shot.step = 40;
          shot.poseIndex = 0;
          shot.state = kSpriteSetMonsterShot;
          shot.pose = Pose(kSpriteSetMonsterShot, 0);
          shot.weapon = kMonsterShotWeapon;
          shot.shooter = uint32_t(k);
          break;
        }
      }
      break;
    case 2:  // melting away
      if (m.poseIndex == 13) {
        m.poseIndex = 12;
        m.state = 0;
        m.range = 0;
        m.active = 0;
        break;
      }
      if (m.poseIndex == 9 && Near(view, k)) MazePlaySlot(g_mazeEventSounds.destroy);
      m.pose = Pose(kSpriteSetMonster, m.poseIndex);
      ++m.poseIndex;
      break;
    default:
      break;
  }
}

void AnimateShot(const MazeObjectView& view, int k) {
  MazeObjectRecord& s = g_mazeObjects[k];
  if (int(s.range) - int(view.shotStep) < 1) {
    s.active = 0;
    return;
  }
  const uint32_t r = g_mazeMover.MoveShot(s);
  const uint32_t what = r & 0xFFFF;
  if (what != 0xFFFF) {
    if (what < 4) {
      if (s.weapon == 0 || s.weapon == 2 || s.weapon == 4) {
        MazeHitPlayerByShot(s, int(what), false);
      } else {
        if (s.weapon > 5 && s.shooter < uint32_t(kMazeObjectCount) && Near(view, int(s.shooter)))
          MazePlaySlot(g_mazeEventSounds.rockHit);
        MazeHitPlayerByShot(s, int(what), true);
      }
    } else if (what >= uint32_t(kMazeFirstMonster) && what <= uint32_t(kMazeLastMonster)) {
      if (Explode(kExplodeWall, g_mazeObjects[what].x, g_mazeObjects[what].y)) s.active = 0;
    }
  }
  if (r < 0x10000) {
    Explode(kExplodeWall, s.x, s.y);
    s.active = 0;
  }
  if (++s.poseIndex == 5) s.poseIndex = 0;
  s.pose = Pose(int(s.state), s.poseIndex);
  s.range = uint16_t(s.range - view.shotStep);
  s.step = view.shotStep;
}

void AnimateExplosion(int k) {
  MazeObjectRecord& e = g_mazeObjects[k];
  if (e.poseIndex < 6) {
    e.pose = Pose(int(e.state), e.poseIndex);
    ++e.poseIndex;
    return;
  }
  e.poseIndex = 0;
  e.pose = Pose(int(e.state), 0);
  e.active = 0;
}

int Wrap(int h) { return h >= kMazeTurn ? h - kMazeTurn : h; }


}  // namespace

void MazeAnimateObjects(const MazeObjectView& view) {
  for (int k = kMazeFirstMonster; k <= kMazeLastMonster; ++k)
    if (g_mazeObjects[k].active) AnimateMonster(view, k);
  for (int k = kMazeFirstShot; k <= kMazeLastShot; ++k)
    if (g_mazeObjects[k].active) AnimateShot(view, k);
  for (int k = kMazeFirstExplosion; k <= kMazeLastExplosion; ++k)
    if (g_mazeObjects[k].active) AnimateExplosion(k);
}

void MazeAnimateKeyMan() {
  MazeObjectRecord& key = g_mazeObjects[kMazeKeyManObject];
  if (!key.active) return;
  if (key.range != 0) {
    g_mazeMover.MoveShot(key);
    key.range = key.step >= key.range ? 0 : uint16_t(key.range - key.step);
    g_mazeKeyManResting = 0;
  } else {
    g_mazeKeyManResting = 1;
  }
  // The spin's frame follows the pose the key man shows.
  key.poseIndex = uint16_t((key.poseIndex + 1) % 20);
  key.pose = Pose(kSpriteSetKeyMan, key.poseIndex);
}

void MazeThrowOutKeyMan(int victim) {
  MazePlayerRecord& v = g_mazePlayers[victim & 3];
  const MazeRunnerRecord& r = g_mazeRunners[victim & 3];
  MazeObjectRecord& key = g_mazeObjects[kMazeKeyManObject];
  key.x = r.x;
  key.y = r.y;
  key.heading = uint16_t(Wrap(r.heading + 550));
  key.active = 1;
  key.range = 50;
  key.step = 10;
  v.hasKey = 0;
  v.score = std::max(0, v.score - 5000);
}

void MazeHitPlayerByShot(MazeObjectRecord& shot, int p, bool second) {
  MazePlayerRecord& v = g_mazePlayers[p & 3];
  MazeRunnerRecord& r = g_mazeRunners[p & 3];
  if (v.action == 6) return;  // lying down: the shot flies over him
  shot.active = 0;
  if (shot.weapon == uint32_t(kMonsterShotWeapon)) {
    v.score -= 10;
  } else {
    v.score -= 20;
    if (shot.shooter < 4) g_mazePlayers[shot.shooter].score += 20;
  }
  v.score = std::max(0, v.score);
  if (v.kind <= 5) {
    v.energy = MazeEnergyAfterHit(v.energy, 0x20000);
    if (g_mazeHud) g_mazeHud->energy[p & 3] = MazeEnergyBar(v.energy);
    if (v.energy == 0 || v.recovery >= 25) {
      if (v.hasKey) MazeThrowOutKeyMan(p);
      v.ready = 0;
      v.action = 6;
      v.frame = 0;
      r.pose = v.poses[kDownPoseSlot];
    } else {
      const bool react2 = second && (v.kind == 1 || v.kind == 3 || v.kind == 4) && v.poses[kHit2PoseSlot];
      v.ready = 0;
      v.action = uint16_t(react2 ? 8 : 5);
      v.frame = 0;
      r.pose = v.poses[react2 ? kHit2PoseSlot : kHitPoseSlot];
    }
    v.hold = 1;
    r.moveDistance = 0;
    r.heading = int16_t(Wrap(shot.heading + 900));
    r.moveHeading = uint16_t(r.heading);
  }
  Explode(kExplodeShotOnPlayer, r.x, r.y);
}

void MazePlaces(int32_t scores[4], int32_t places[4]) {
  for (int i = 0; i < 4; ++i) {
    const int32_t s = scores[i];
    int place = 0;
    for (int j = 0; j < 4; ++j) {
      if (j == i) continue;
      if (scores[j] > s) ++place;
      else if (scores[j] == s) --scores[j];
    }
    places[i] = place;
  }
}

uint32_t MazeWorldSyncValue() {
  uint32_t h = uint32_t(g_mazeRoundState) * 31u + g_mazeFrameCount;
  auto mix = [&h](uint32_t v) { h = (h ^ v) * 16777619u; };
  for (int i = 0; i < 4; ++i) {
    const MazePlayerRecord& p = g_mazePlayers[i];
    const MazeRunnerRecord& r = g_mazeRunners[i];
    for (uint32_t v : {uint32_t(r.x), uint32_t(r.y), uint32_t(uint16_t(r.heading)), uint32_t(r.moveHeading),
                       uint32_t(p.energy), uint32_t(p.score), uint32_t(p.action) << 16 | p.frame, p.hasKey,
                       uint32_t(p.recovery), r.flags & kRunnerInPlay})
      mix(v);
  }
  for (int k = 0; k < kMazeObjectCount; ++k) {
    const MazeObjectRecord& o = g_mazeObjects[k];
    if (!o.active) continue;
    mix(uint32_t(k));
    mix(uint32_t(o.x));
    mix(uint32_t(o.y));
    mix(o.state << 16 | o.poseIndex);
  }
  if (g_mazeHud)
    for (int i = 0; i < 4; ++i) mix(uint32_t(g_mazeHud->weaponUnits[i]) << 16 | g_mazeHud->powerPills[i]);
  return h;
}
