#include "events/computer_throw/throw_actor.h"

#include <algorithm>
#include <cstring>

#include "base/player_records.h"
#include "events/computer_throw/computer_throw_data.h"
#include "events/computer_throw/throw_rules.h"
#include "graphics/display.h"
#include "graphics/sprite.h"
#include "screen/game_screen_services.h"
#include "sound/sound.h"

using namespace throwrules;
using throwassets::kSheetLayout;

ThrowActor* g_throwActors[kThrowActorSlots] = {};
int32_t g_throwCurrent = 0;
int32_t g_throwInPlay = 0;
int32_t g_frameCounter = 0;
uint32_t g_throwElapsedMs = 0;
int32_t g_throwSoundSlots[47] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                 -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                 -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
int32_t g_throwSoundFrames[47] = {};
int32_t g_throwSoundLeft[47] = {};
int32_t g_throwCamera = 0;

namespace {

int ManagerSlot(int sound) {
  if (sound < 0 || sound >= kSoundSetSize) return -1;
  return g_throwSoundSlots[sound];
}

const throwassets::ThrowSheetLayout& LayoutOf(int throwChar) {
  return kSheetLayout[(throwChar >= 0 && throwChar < 6) ? throwChar : 0];
}

// RAREZ VUDA, RADEROZI and ZOVI do not let go in a high throw: the ape
// smashes the computer down, the kangaroo kicks it over, the alien zaps it.
bool KeepsComputerInKind3(int throwChar) { return throwChar >= 0 && throwChar <= 2; }

}  // namespace

void PlayThrowSound(int sound, bool loop) {
  if (sound >= 0 && sound < kSoundSetSize && !loop) g_throwSoundLeft[sound] = g_throwSoundFrames[sound];
  int slot = ManagerSlot(sound);
  if (!g_soundManager || slot < 0) return;
  g_soundManager->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, loop ? 1 : 0);
}

void StopThrowSound(int sound) {
  if (sound >= 0 && sound < kSoundSetSize) g_throwSoundLeft[sound] = 0;
  int slot = ManagerSlot(sound);
  if (g_soundManager && slot >= 0) g_soundManager->Stop(slot);
}

bool ThrowSoundPlaying(int sound) { return sound >= 0 && sound < kSoundSetSize && g_throwSoundLeft[sound] > 0; }

void TickThrowSounds() {
  for (int32_t& left : g_throwSoundLeft)
    if (left > 0) --left;
}

bool ThrowSoundAudible(int sound) {
  int slot = ManagerSlot(sound);
  return g_soundManager && slot >= 0 && g_soundManager->IsPlaying(slot);
}

ThrowActor::ThrowActor(int k) : kind(k) {}

void ThrowActor::Reset() {
  frame = 1;
  x = 0;
  y = 0;
  power = 0;
  std::memset(var, 0, sizeof var);
  for (double& d : dbl) d = 0.0;
}

void ThrowActor::Draw() {
  if (state == kStGone || !sprite) return;
  DDSurface* back = g_backDDSurface;
  if (!back) return;
  sprite->DrawFrame(frame, back, x + drawOffsetX, y + drawOffsetY);
}

void ThrowActor::Update(ThrowActor** table) {
  if (kind >= 0 && kind <= 3) {
    UpdateContestant(table);
  } else if (kind == kKindComputer) {
    UpdateComputer(table);
  }
}

void ThrowActor::SetLevel(int p) {
  Level level = LevelOf(p);
  for (int i = 0; i < 4; ++i) var[kVarInc0 + i] = level.inc[i];
  if (level.extraFrame) ++frame;
}

void ThrowActor::Move() {
  var[kVarRunUp] += var[kVarInc0];
  var[kVarRunUp2] += var[kVarInc0 + 1];
  var[kVarRunUp4] += var[kVarInc0 + 2];
}

int ThrowActor::Release(int limit) {
  if (var[kVarRunUp] < limit) return 0;
  ThrowActor* computer = g_throwActors[kKindComputer];
  state = kStGone;
  PlayThrowSound(kSoundLetGo);
  if (!computer) return 1;
  g_throwInPlay = kKindComputer;
  std::memcpy(computer->var, var, sizeof var);
  std::memcpy(computer->dbl, dbl, sizeof dbl);
  computer->power = power;
  computer->state = kStLanding;
  const throwassets::Offset& off = throwassets::kReleaseOffset[character % 6][4];
  computer->x = x + kContestantDrawX + off.x;
  computer->y = y + (kGroundY - throwassets::kContestantFootY) + off.y + throwassets::kComputerH;
  computer->y = std::min(computer->y, kGroundY);
  computer->frame = throwassets::kComputerDropFirst;
  computer->var[kVarLandingKind] = 1;
  computer->var[kVarStartX] = computer->x;
  for (int i = 0; i < 4; ++i) computer->var[kVarInc0 + i] = 0;
  computer->dbl[kDblTime] = 0.0;
  return 1;
}

void ThrowActor::ReadInput(int* pushes, bool* aimHeld) {
  const uint8_t* input = g_playerStates[PlayerOfContestant(kind)];
  *pushes = input[kSecondActionByte] & 0x7F;
  *aimHeld = (input[kFirstActionByte] & 0x80) != 0;
}

// One step of the wind-up cycle: the next frame, the power's increments and
// the run-up; at the end of the cycle the contestant tires a little and,
// past the line with the computer still in the hands, drops it.
void ThrowActor::Animate() {
  const auto& L = LayoutOf(character);
  if (frame < L.windFirst || frame > L.windLast) frame = L.windFirst - 1;
  ++frame;
  SetLevel(power);
  Move();
  if (frame > L.windLast) {
    power = std::max(0, power - 1);
    PlayThrowSound(kSoundWindUp);
    if (Release(kThrowLine)) return;
    frame = L.windFirst + (frame - L.windLast - 1);
  }
}

void ThrowActor::UpdateContestant(ThrowActor** table) {
  if (state == kStGone) return;
  const int slot = PlayerOfContestant(kind);
  const PlayerRecord& rec = g_players[slot];
  // 1. Who plays it can change during the event (a player who leaves).
  mode = rec.human ? kModeHuman : kModeComputerPlayer;
  const auto& L = LayoutOf(character);

  // 2. Input.
  int pushes = 0;
  bool release = false;
  if (state >= kStStand && state <= kStAim) {
    if (mode == kModeHuman) {
      bool aimHeld = false;
      ReadInput(&pushes, &aimHeld);
      if (state <= kStFastWind && aimHeld) {
        state = kStAim;
      } else if (state == kStAim && !aimHeld) {
        release = true;
      }
    } else {
      const ComputerRow& row = GetComputerRow(character, var[kVarRow]);
      if (state == kStStand) {
        if (var[kVarSpins] >= row.spinsBeforePush) pushes = 1;
      } else if (state <= kStFastWind) {
        pushes = 1;
        if (var[kVarRunUp] > row.aimAt) state = kStAim;
      } else if (var[kVarAngle] == 5) {
        power = row.releasePower;
        release = true;
      }
    }
    // 3. Power.
    if (pushes > 0) {
      power += pushes;
      var[kVarDecay] = 0;
    } else if (state == kStSlowWind || state == kStFastWind) {
      if (++var[kVarDecay] % 11 == 0) power = std::max(0, power - 10);
    }
  }
  if (release) {
    ThrowNow(table);
    return;
  }

  // 4. By state.
  for (int i = 0; i < 4; ++i) var[kVarInc0 + i] = 0;
  switch (state) {
    case kStStand:
      if (power <= 0) {
        if (frame > L.spinLast || frame < L.spinFirst) {
          frame = L.standFrame;
        } else if (frame < L.standFrame) {
          ++frame;
        } else {
          ++var[kVarIdle];
          const int limit = mode == kModeComputerPlayer
                                ? GetComputerRow(character, var[kVarRow]).idleLimit
                                : 100;
          if (var[kVarIdle] > limit || var[kVarIdle] > 100) {
            frame = L.spinFirst;
            ++var[kVarSpins];
            var[kVarIdle] = 0;
            PlayThrowSound(kSoundSpin);
          }
        }
      } else {
        state = kStSlowWind;
        frame = L.windFirst;
      }
      break;
    case kStSlowWind:
    case kStFastWind:
      if (power <= 0) {
        state = kStStand;
        frame = L.standFrame;
        break;
      }
      state = power >= 11 ? kStFastWind : kStSlowWind;
      Animate();
      break;
    case kStAim:
      var[kVarAngle] = (var[kVarAngle] + 1) % 10;
      if (power > 0) Animate();
      break;
    case kStThrow:
    case kStThrowEnd: {
      const int k = var[kVarThrowKind] & 3;
      const bool keeps = k == 3 && KeepsComputerInKind3(character);
      if (frame < L.handOverFrame[k]) {
        ++frame;
        if (frame == L.handOverFrame[k]) {
          state = kStThrowEnd;
          HandOver(table);
        }
      } else if (keeps && frame < L.throwLast[k]) {
        ++frame;
      }
      if (keeps && frame >= L.throwLast[k]) state = kStLanded;
      break;
    }
    case kStWalkOff: {
      const int k = var[kVarThrowKind] & 3;
      if (frame < L.throwLast[k] + throwassets::kFollowFrames) ++frame;
      // Left behind as the world follows the computer.
      ThrowActor* computer = table ? table[kKindComputer] : nullptr;
      if (computer) x = std::max(-1000, x - computer->var[kVarInc0]);
      break;
    }
    default:
      break;
  }
}

void ThrowActor::ThrowNow(ThrowActor** table) {
  const PlayerRecord& rec = g_players[PlayerOfContestant(kind)];
  const auto& L = LayoutOf(character);
  ReleaseInput in;
  in.angleIndex = var[kVarAngle];
  in.power = power;
  in.strength = rec.strength;
  in.human = mode == kModeHuman;
  in.frames = g_frameCounter;
  in.elapsedMs = g_throwElapsedMs;
  const throwassets::Offset& off = throwassets::kReleaseOffset[character % 6][KindOfAngleIndex(in.angleIndex)];
  const int handY = y + (kGroundY - throwassets::kContestantFootY) + off.y + throwassets::kComputerH;
  var[kVarHandHeight] = kGroundY - handY;
  in.handHeight = var[kVarHandHeight];
  ReleaseResult r = ComputeRelease(in);
  power = r.power;
  var[kVarAngle] = r.angleIndex;
  var[kVarThrowKind] = r.kind;
  var[kVarLastFrame] = L.throwLast[r.kind];
  dbl[kDblAngle] = r.angle;
  dbl[kDblVertical] = r.vertical;
  dbl[kDblHorizontal] = r.horizontal;
  dbl[kDblTopTime] = r.topTime;
  dbl[kDblTopHeight] = r.topHeight;
  dbl[kDblFlightTime] = r.flightTime;
  dbl[kDblReach] = r.reach;
  dbl[kDblReachCopy] = r.reach;
  dbl[kDblStartHeight] = var[kVarHandHeight];
  dbl[kDblTimeStep] = r.timeStep;
  dbl[kDblStartY] = handY;
  dbl[kDblTime] = 0.0;
  var[kVarStartX] = x + kContestantDrawX + off.x;
  // The computer waits at the hands, out of sight, until it is let go.
  ThrowActor* computer = table ? table[kKindComputer] : nullptr;
  if (computer) {
    computer->x = var[kVarStartX];
    computer->y = handY;
  }
  state = kStThrow;
  frame = L.throwFirst[r.kind];
}

void ThrowActor::HandOver(ThrowActor** table) {
  ThrowActor* computer = table ? table[kKindComputer] : nullptr;
  const int k = var[kVarThrowKind] & 3;
  PlayThrowSound(kSoundHandOver);
  if (!computer) return;
  std::memcpy(computer->var, var, sizeof var);
  std::memcpy(computer->dbl, dbl, sizeof dbl);
  computer->power = power;
  computer->character = character;
  computer->dbl[kDblTime] = 0.0;
  computer->var[kVarFlightShift] = 0;
  g_throwInPlay = kKindComputer;
  if (k == 3 && KeepsComputerInKind3(character)) {
    // Smashed, kicked or zapped at the feet: it breaks where it is.
    const throwassets::Offset& off = throwassets::kReleaseOffset[character % 6][4];
    computer->x = x + kContestantDrawX + off.x;
    computer->y = std::min(kGroundY, y + (kGroundY - throwassets::kContestantFootY) + off.y +
                                         throwassets::kComputerH);
    computer->var[kVarStartX] = computer->x;
    computer->state = kStLanding;
    computer->frame = throwassets::kComputerDropFirst;
    computer->var[kVarLandingKind] = 1;
    for (int i = 0; i < 4; ++i) computer->var[kVarInc0 + i] = 0;
    return;
  }
  computer->x = var[kVarStartX];
  computer->y = static_cast<int>(dbl[kDblStartY]);
  computer->state = kStFlight;
  computer->frame = 1;
  computer->var[kVarLandingKind] = 0;
  state = kStWalkOff;
}

void ThrowActor::UpdateComputer(ThrowActor** table) {
  switch (state) {
    case kStFlight: {
      FlightStart start;
      start.release.vertical = dbl[kDblVertical];
      start.release.horizontal = dbl[kDblHorizontal];
      start.release.timeStep = dbl[kDblTimeStep];
      start.release.power = power;
      start.x = var[kVarStartX];
      start.y = static_cast<int>(dbl[kDblStartY]);
      FlightState s;
      s.t = dbl[kDblTime];
      s.shift = var[kVarFlightShift];
      s.runUp = var[kVarRunUp];
      s.frame = frame;
      bool down = FlightStep(start, &s);
      dbl[kDblTime] = s.t;
      var[kVarFlightShift] = s.shift;
      var[kVarFlightY] = s.y;
      x = s.x;
      y = s.y;
      frame = s.frame;
      for (int i = 0; i < 4; ++i) var[kVarInc0 + i] = s.inc[i];
      // The step has moved the run-up position already; the other two follow.
      var[kVarRunUp] = s.runUp;
      var[kVarRunUp2] += var[kVarInc0 + 1];
      var[kVarRunUp4] += var[kVarInc0 + 2];
      var[kVarFlightOnce] = 1;
      if (down) {
        frame = throwassets::kComputerLandFirst;
        state = kStLanding;
        PlayThrowSound(kSoundLetGo);
      }
      break;
    }
    case kStLanding: {
      // The world stops when it is down.
      for (int i = 0; i < 4; ++i) var[kVarInc0 + i] = 0;
      const int last = var[kVarLandingKind] ? throwassets::kComputerDropLast : throwassets::kComputerLandLast;
      if (frame < last) ++frame;
      if (frame >= last) state = kStLanded;
      break;
    }
    default:
      break;
  }
  (void)table;
}
