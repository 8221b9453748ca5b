#include "events/roller_derby/derby_skater.h"

#include <algorithm>
#include <cmath>

#include "base/player_records.h"
#include "base/random.h"
#include "events/roller_derby/derby_rules.h"
#include "graphics/sprite.h"
#include "scene3d/texture.h"
#include "sound/sound.h"

namespace derby {

namespace da = derbyassets;

namespace {

bool Held(uint8_t v) { return (v & 0x80) != 0; }

}  // namespace

ControlFlags FlagsFromInput(const uint8_t s[10]) {
  ControlFlags f;
  f.accelerate = Held(s[3]);
  f.brake = Held(s[1]);
  f.left = Held(s[2]);
  f.right = Held(s[0]);
  f.use = Held(s[4]);
  f.cycle = (s[5] & 0x7F) != 0;
  f.selectAttack = Held(s[6]);
  f.selectWeapon = Held(s[7]);
  f.selectPill = Held(s[8]);
  f.spare = Held(s[9]);
  return f;
}

DerbySkater::DerbySkater(DerbyWorld* w, float decalWidth, float decalHeight, int pictureSize, int pictureHeight,
                         const PaletteEntry* palette)
    : DerbyObject(w, decalWidth, decalHeight, pictureSize, pictureHeight, palette) {
  halfWidth = width / 2;
  halfHeight = height / 2;
  tired = 1;
  boost = 1;
}

DerbySkater::~DerbySkater() {
  if (!g_soundManager) return;
  for (int32_t* slot : {&voiceAttack1, &voiceAttack2, &voiceReact1, &voiceReact2, &voiceWeapon, &lineVoice,
                        &leadVoices[0], &leadVoices[1]}) {
    if (*slot < 0) continue;
    g_soundManager->Unload(*slot);
    g_soundManager->FreeSlot(*slot);
    *slot = -1;
  }
}

const da::Animation& DerbySkater::AnimationOf(int s) const {
  const int ch = std::clamp(static_cast<int>(character), 0, da::kCharacters - 1);
  return da::kSkaterAnimations[ch][std::clamp(s, 0, da::kAnimationStates - 1)];
}

float DerbySkater::TurnRate() const { return derby::TurnRate(speed); }
float DerbySkater::TrackHeading() const { return TrackHeadingAt(SensePiece(), x, z); }
int DerbySkater::LaneCode() const { return LaneCodeAt(SensePiece(), x, z); }

void DerbySkater::UpdateQuarter() {
  if (pieceIndex < kPieces) quarter = QuarterAt(pieceIndex, x, z);
}

void DerbySkater::StopVoice() {
  if (!g_soundManager) return;
  for (int32_t slot : {voiceAttack1, voiceAttack2, voiceReact1, voiceReact2, voiceWeapon})
    if (slot >= 0) g_soundManager->Stop(slot);
}

bool DerbySkater::CanHit(int j) const {
  const DerbyObject* other = j >= kFirstSkaterSlot && j < kFirstSkaterSlot + 4 ? world->objects[j] : nullptr;
  if (!other || other == this || other->state == da::kFallen) return false;
  return PunchReaches(x, z, heading, other->x, other->z);
}

void DerbySkater::React(int fall, int stars) {
  StopVoice();
  if (g_players[Player()].energy < 1 || fall) {
    PlaySoundAt(voiceReact2);
    state = da::kFallen;
  } else {
    PlaySoundAt(voiceReact1);
    state = da::kHit;
  }
  frameCounter = 0;
  if (stars) {
    starPicture = static_cast<uint8_t>(RandomInt(da::kStarPictures) + 1);
    starFrame = 0;
  }
}

void DerbySkater::LoseEnergy(int32_t amount) {
  PlayerRecord& rec = g_players[Player()];
  energyBeforeHit = rec.energy;
  rec.energy = std::max(0, rec.energy - std::max(0, amount));
}

void DerbySkater::UseItem() {
  PlayerRecord& rec = g_players[Player()];
  switch (item) {
    case 0:
      frameCounter = 0;
      StopVoice();
      if (RandomUnit() < 0.5) {
        state = da::kAttack1;
        PlaySoundAt(voiceAttack1);
      } else {
        state = da::kAttack2;
        PlaySoundAt(voiceAttack2);
      }
      break;
    case 1:
      if (rec.weaponUnits <= 0) {
        item = 0;
      } else {
        frameCounter = 0;
        state = da::kThrowing;
      }
      break;
    default:
      if (rec.powerPills <= 0) {
        item = 0;
      } else if (boost == 1) {
        rec.powerPills -= 1;
        boostCountdown = 200;
        boost = 2;
        if (g_soundManager && world->pillSound >= 0)
          g_soundManager->Play(world->pillSound, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
      }
      break;
  }
}

void DerbySkater::FindObstacle(int* entry, float* low, float* high) const {
  *entry = -1;
  float best = 999999.0f;
  auto test = [&](int k, bool skater) {
    const DerbyObject* o = world->objects[k];
    if (!o || o == this || !(std::fabs(o->x - x) < 60.0f && std::fabs(o->z - z) < 60.0f)) return;
    const float dist = std::sqrt((x - o->x) * (x - o->x) + (z - o->z) * (z - o->z));
    if (!(dist > 6.5f && dist < best)) return;
    const float half = std::asin(6.5f / dist);
    const float rel = WrapPi(heading - std::atan2(o->z - z, o->x - x));
    if (!(std::fabs(rel) < half)) return;
    *entry = k;
    *low = skater ? -half - rel : rel - half;
    *high = rel + half;
    best = dist;
  };
  for (int k = kFirstSkaterSlot; k < kFirstSkaterSlot + 4; ++k) test(k, true);
  for (int k = kFirstMineSlot; k < kFirstExplosionSlot; ++k) test(k, false);
}

void DerbySkater::ComputerControl(ControlFlags* f) {
  if (state == da::kHit || state == da::kFallen || state == da::kGettingUp) return;
  const int piece = SensePiece();
  const uint32_t type = LayoutRow(piece).type;
  const PlayerRecord& rec = g_players[Player()];
  const float trackHeading = TrackHeading();
  float err = heading - trackHeading;
  const int lane = LaneCode();
  const int want = g_racingLine[piece * 4 + std::clamp(static_cast<int>(quarter), 0, 3)];
  int obstacle = -1;
  float low = 0.0f, high = 0.0f;
  bool avoiding = false;
  if (avoidMode == 0) {
    FindObstacle(&obstacle, &low, &high);
    if (lane < want) err += kPi / 8;
    if (lane > want) err -= kPi / 8;
  } else {
    if (--avoidCountdown >= 0) avoidMode = 0;
    err = avoidHeading - heading;
    avoiding = true;
  }
  err = WrapPi(err);
  if (obstacle >= 0 && low < err && err < high) {
    err = std::fabs(low) <= std::fabs(high) ? low : high;
    avoidMode = 1;
    if (speed == 0.0f) {
      // Stopped behind something: turn aside towards the middle of the track.
      avoidCountdown = 8;
      avoidHeading = lane < 0 ? trackHeading - kPi / 2 : trackHeading + kPi / 2;
    } else {
      avoidCountdown = 2;
    }
    avoiding = true;
  }

  const bool straight = da::IsStraight(type);
  if (std::abs(lane - want) >= 2 || lane == -2 || lane == 2) {
    if (speed < 2.5f) f->accelerate = true;
    if (speed > 3.0f) f->brake = true;
  } else {
    if (rec.energy > 15 && (state == da::kSkating || state == da::kStriding) && frameCounter == 0 &&
        ((straight && speed < 12.0f) || speed < 7.0f))
      f->accelerate = true;
    if (!straight && speed > 7.0f && std::fabs(err) > kPi / 12) f->brake = true;
  }
  if (err < -kPi / 24) f->left = true;
  if (err > kPi / 24) f->right = true;
  if (avoiding) return;

  bool punched = false;
  for (int j = kFirstSkaterSlot; j < kFirstSkaterSlot + 4; ++j)
    if (CanHit(j)) {
      f->selectAttack = f->use = true;
      punched = true;
    }
  if (!punched) {
    for (int j = kFirstSkaterSlot; j < kFirstSkaterSlot + 4; ++j) {
      const DerbyObject* o = world->objects[j];
      if (!o || o == this || o->state == da::kFallen) continue;
      if (std::fabs(o->x - x) < 80.0f && std::fabs(o->z - z) < 80.0f && std::fabs(o->y - y) < 2.0f &&
          std::fabs(heading - std::atan2(o->z - z, o->x - x)) < kPi / 24) {
        f->selectWeapon = f->use = true;
        break;
      }
    }
  }
  if (!f->use && speed < 2.0f && rec.powerPills > 0 && boost == 1 && straight && piece != 0)
    f->selectPill = f->use = true;
}

void DerbySkater::Update(DerbyObject** objects) {
  const int p = Player();
  PlayerRecord& rec = g_players[p];
  const float rate = TurnRate();
  // The hit stars show for six frames.
  if (starPicture && ++starFrame > 5) starPicture = 0;
  lastX = x;
  lastZ = z;
  ControlFlags f;
  if (world->computer[p] || laps >= kRaceLaps)
    ComputerControl(&f);
  else
    f = FlagsFromInput(g_playerStates[p]);
  if (boostCountdown > 0) --boostCountdown;
  if (boostCountdown == 0) boost = 1;
  tired = rec.energy < 10 ? 1 : 0;
  energyTick = static_cast<uint8_t>(energyTick + 1 + (state == da::kFallen ? 40 : !f.accelerate ? 15 : 2));
  if (energyTick >= 80) {
    energyTick = 0;
    rec.energy = std::min(100, rec.energy + 1);
  }
  const Point2f start(x, z);

  // The item in hand.
  if (f.selectAttack) {
    item = 0;
  } else if (f.selectWeapon && rec.weaponUnits > 0) {
    item = 1;
  } else if (f.selectPill && rec.powerPills > 0) {
    item = 2;
  } else if (f.cycle) {
    if (item == 0) item = rec.weaponUnits > 0 ? 1 : rec.powerPills > 0 ? 2 : 0;
    else if (item == 1) item = rec.powerPills > 0 ? 2 : 0;
    else item = 0;
  }
  if ((item == 2 && rec.powerPills <= 0) || (item == 1 && rec.weaponUnits <= 0)) item = 0;

  speed *= 0.992f;
  const Point2f ahead(x + std::cos(heading), z + std::sin(heading));
  const int aheadPiece = derby::FindPiece(*world->track, ahead);
  if (aheadPiece != kNoPiece) speed += (y - derby::TrackHeight(aheadPiece, ahead)) * 0.6f;

  const int count = static_cast<int>(AnimationOf(state).frameCount);
  if (++frameCounter >= count && state != da::kFallen) {
    state = da::kSkating;
    frameCounter = 0;
  }

  const bool push = f.accelerate && !tired;
  auto steer = [&] {
    if (f.brake) speed -= 0.5f;
    if (speed < 0.0f) speed = 0.0f;
    if (f.left) heading += rate;
    if (f.right) heading -= rate;
    if (f.use) UseItem();
  };
  switch (state) {
    case da::kSkating:
      if (push || f.left || f.right) {
        state = da::kStriding;
        frameCounter = 0;
      }
      if (push) {
        speed += static_cast<float>(boost) * acceleration;
        rec.energy = std::max(0, rec.energy - 3);
        f.brake = false;  // a push is never a brake in the same frame
      }
      steer();
      break;
    case da::kStriding: {
      const int stride = static_cast<int>(AnimationOf(da::kStriding).frameCount);
      const bool first = p == g_localPlayers[0] && (frameCounter == 1 || frameCounter == stride / 2);
      const bool second =
          g_playMode == 1 && p == g_localPlayers[1] && (frameCounter == 0 || frameCounter == stride / 2);
      if (first || second) PlaySoundAt(world->bladeSound);
      steer();
      break;
    }
    case da::kFallen: {
      speed = 0.0f;
      const int fall = static_cast<int>(AnimationOf(da::kFallen).frameCount);
      if (frameCounter >= fall) {
        frameCounter = fall - 1;
        if (rec.energy >= energyBeforeHit && rec.energy > 10) {
          state = da::kGettingUp;
          frameCounter = 0;
        }
      }
      break;
    }
    case da::kAttack1:
    case da::kAttack2:
      if (frameCounter == count / 2) {
        for (int j = kFirstSkaterSlot; j < kFirstSkaterSlot + 4; ++j) {
          if (!CanHit(j)) continue;
          auto* victim = static_cast<DerbySkater*>(objects[j]);
          const PlayerRecord& v = g_players[victim->Player()];
          victim->LoseEnergy(PunchDamage(rec.strength, boost, victim->boost, v.endurance));
          victim->React(0, 1);
        }
      }
      break;
    case da::kThrowing:
      if (frameCounter == 2) {
        int e = kFirstWeaponSlot;
        while (e < kObjectSlots && objects[e]) ++e;
        Sprite* sheet = world->weaponSprites[p];
        DDPalette* pal = sheet ? sheet->GetFramePalette(1) : nullptr;
        if (e < kObjectSlots && rec.weaponUnits > 0 && pal) {
          const da::WeaponRow& row = da::kWeapons[std::clamp(static_cast<int>(character), 0, da::kCharacters - 1)];
          const int size = static_cast<int>(row.textureSize);
          auto* w = new DerbyWeapon(world, row.decalSize, row.decalSize, size, size, pal->Entries(), sheet,
                                    static_cast<int>(row.frames), objectIndex);
          objects[e] = w;
          PlaySoundAt(voiceWeapon);
          w->x = x;
          w->z = z;
          w->y = y + 8.0f;
          w->height = 0.0f;
          w->heading = heading;
          w->lifetime = -1;
          w->objectIndex = e;
          rec.weaponUnits -= 1;
        }
      }
      break;
    default:  // getting up, hit: they end with their pictures
      break;
  }

  heading = WrapTwoPi(heading);
  Move(objects, start, f.accelerate);

  const int before = pieceIndex;
  FindPiece();
  if (pieceIndex < kPieces) lastPiece = pieceIndex;
  UpdateQuarter();
  if (before == kPieces - 1 && pieceIndex == 0) ++laps;
  if (before == 0 && pieceIndex == kPieces - 1) --laps;
  progress = laps * 96 + SensePiece() * 4 + quarter;
  if (laps >= kRaceLaps) ++finishedFrames;
  y = derby::TrackHeight(SensePiece(), Point2f(x, z));
}

void DerbySkater::Move(DerbyObject** objects, Point2f start, bool accelerating) {
  x += std::cos(heading) * speed;
  z += std::sin(heading) * speed;
  Point2f now(x, z);
  for (int j = kFirstSkaterSlot; j < kFirstSkaterSlot + 4; ++j) {
    const DerbyObject* o = objects[j];
    if (!o || o == this || DistanceSquared(now, Point2f(o->x, o->z)) >= 9.0f) continue;
    now = start;
    x = start.x;
    z = start.y;
    speed = std::max(0.0f, speed - 2.0f);
    if (state != da::kHit && speed > 3.0f) React(0, 1);
  }
  if (now == start) return;
  Point2f a = start, b = now, hit;
  if (!CrossesInnerEdge(&a, &b, &hit)) return;
  x = start.x;
  z = start.y;
  if (!accelerating) {
    if (speed > 3.0f) {
      LoseEnergy(1);
      React(0, 1);
    }
    speed = 0.0f;
    return;
  }
  // Slide along the wall: a and b are the crossed segment's ends, hit the
  // crossing. Where the move met the wall at an end of the segment, came
  // from the wall itself, or the segment has no length, there is no
  // direction to slide in: the skater stops.
  const float d1 = DistanceSquared(a, start), d2 = DistanceSquared(a, hit), d3 = DistanceSquared(hit, start);
  const float wall = std::sqrt(DistanceSquared(a, b));
  if (d2 + d3 == d1 || d2 == 0.0f || d3 == 0.0f || wall == 0.0f) {
    speed = 0.0f;
    return;
  }
  const float t = (d2 + d3 - d1) / (2.0f * std::sqrt(d2 * d3));
  const Point2f slide(start.x + t * (b.x - a.x) / wall, start.y + t * (b.y - a.y) / wall);
  Point2f from = start, to = slide;
  if (!std::isfinite(slide.x) || !std::isfinite(slide.y) || CrossesInnerEdge(&from, &to, &hit)) {
    speed = 0.0f;
    return;
  }
  x = slide.x;
  z = slide.y;
}

void DerbySkater::Place(DerbyObject** objects, int viewer) {
  if (!frame) return;
  const int p = Player();
  Sprite* sheet = p >= 0 && p < 4 ? world->characterImages[p] : nullptr;
  const DerbyObject* v = objects[viewer];
  // Without his sheet there is nothing to show of him.
  if (!sheet || !v || !IsNearPiece(v->pieceIndex)) {
    ShowFrame(frame, false);
    return;
  }
  ShowFrame(frame, true);
  const da::Animation& anim = AnimationOf(state);
  const int shown = std::clamp(static_cast<int>(frameCounter), 0, static_cast<int>(anim.frameCount) - 1);
  const int picture = static_cast<int>(anim.firstFrame[ViewDirection(v->heading, heading)]) + shown;
  // The picture stands on its bottom middle: a frame of another size than
  // the image is placed so.
  int left = 0, top = 0;
  if (const BitmapInfoHeader* info = sheet->GetFrameInfo(picture)) {
    left = (image ? image->width : 0) / 2 - info->width / 2;
    top = (image ? image->height : 0) - std::abs(info->height);
  }
  DrawPicture(sheet, picture, left, top, true);
  if (starPicture) {
    Sprite* stars = world->starsSprite;
    DrawPicture(stars, starPicture, 60 + starFrame, 48 - starFrame, false);
    DrawPicture(stars, ((static_cast<int>(x) + starPicture) % 9 + 9) % 9 + 1, 20 - starFrame, 48 - starFrame, false);
  }
  PictureChanged();
}

}  // namespace derby
