#include "events/doggie_jump/doggie_actor.h"

#include <algorithm>

#include "screen/game_screen.h"
#include "net/net_session.h"
#include "sound/sound.h"
#include "base/player_records.h"
#include "base/random.h"
#include "base/stopwatch.h"
#include "events/doggie_jump/doggie_course.h"
#include "events/doggie_jump/doggie_rules.h"
#include "graphics/display.h"
#include "graphics/sprite.h"

using namespace doggierules;

DoggieActor* g_doggieActors[kDoggieActorSlots] = {};
Sprite* g_doggieSprites[kDoggieSpriteSlots] = {};
int32_t g_doggieSounds[kDoggieSoundSlots] = {
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
int32_t g_doggieAnnounceSound = -1;
int32_t g_doggieSoundFrames[kDoggieSoundSlots] = {};
int32_t g_doggieSoundLeft[kDoggieSoundSlots] = {};
int32_t g_doggieJumper = -1;
int32_t g_doggieJumpFrames = 0;
int32_t g_doggieJumpClock = -1;
int32_t g_doggieResults[4] = {0, 0, 0, 0};
DDSurface* g_doggieTitleSurface = nullptr;
int32_t g_doggieSkipFlag = 0;
uint32_t g_doggieHostClockMs = 0;

namespace {

// The deepest a fallen jumper's feet are drawn: 32 under the pit's floor
// (the status band begins 8 under it), so that his head and shoulders stay
// in sight under the stars.
constexpr int kFallenFeetDeepest = doggieassets::kPitFloorY + 32;

int ManagerSlot(int sound) {
  if (sound < 0 || sound >= kDoggieSoundSlots) return -1;
  return g_doggieSounds[sound];
}

// The machine that measures the take-off's time for everyone: the host of
// a network game, or this machine in a game on one machine.
bool MeasuresJumpTime() {
  if (g_playMode != 2) return true;
  return g_netSession && g_netSession->IsHost();
}

}  // namespace

void PlayDoggieSound(int sound, bool loop) {
  if (!loop) CountDoggieCall(sound);
  const int slot = ManagerSlot(sound);
  if (!g_soundManager || slot < 0) return;
  g_soundManager->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, loop ? 1 : 0);
}

void PlayDoggieSoundOnce(int sound) {
  if (!DoggieSoundPlaying(sound)) PlayDoggieSound(sound);
}

void StopDoggieSound(int sound) {
  if (sound >= 0 && sound < kDoggieSoundSlots) g_doggieSoundLeft[sound] = 0;
  const int slot = ManagerSlot(sound);
  if (g_soundManager && slot >= 0) g_soundManager->Stop(slot);
}

bool DoggieSoundPlaying(int sound) {
  const int slot = ManagerSlot(sound);
  return g_soundManager && slot >= 0 && g_soundManager->IsPlaying(slot);
}

void CountDoggieCall(int sound) {
  if (sound >= 0 && sound < kDoggieSoundSlots) g_doggieSoundLeft[sound] = g_doggieSoundFrames[sound];
}

bool DoggieCallGoing(int sound) { return sound >= 0 && sound < kDoggieSoundSlots && g_doggieSoundLeft[sound] > 0; }

void TickDoggieCalls() {
  for (int32_t& left : g_doggieSoundLeft)
    if (left > 0) --left;
}

void PutDoggieActor(DoggieActor* actor) {
  if (!actor) return;
  if (actor->kind < 0 || actor->kind >= kDoggieActorSlots) {
    delete actor;
    return;
  }
  delete g_doggieActors[actor->kind];
  g_doggieActors[actor->kind] = actor;
}

void DeleteDoggieActors() {
  for (DoggieActor*& a : g_doggieActors) {
    delete a;
    a = nullptr;
  }
}

DoggieActor* CurrentJumper() {
  if (g_doggieJumper < 0 || g_doggieJumper > 3) return nullptr;
  return g_doggieActors[kKindJumperFirst + g_doggieJumper];
}

int CourseScroll() {
  const DoggieActor* j = CurrentJumper();
  return j ? j->step : 0;
}

DoggieActor::DoggieActor(int k, int a, int b, int px, int py) : kind(k), linkB(b), linkA(a), x(px), y(py) {}

void DoggieActor::Draw() {
  if (!sprite || !g_backDDSurface) return;
  int drawY = y;
  // A jumper who falls drops on down to y 340 (the stars come at 318), but
  // his pictures stand him on the frame's bottom rows: drawn there he would
  // sink whole under the status band. He sinks no deeper than waist-deep
  // into the pit, under the stars.
  const bool fallen = state == kJumpFall || state == kJumpLying || state == kJumpDone;
  if (fallen && kind >= kKindJumperFirst && kind < kKindJumperFirst + 4)
    drawY = std::min(y, kFallenFeetDeepest - doggieassets::kJumperFootY);
  sprite->DrawFrame(frame, g_backDDSurface, x, drawY);
}

void DoggieActor::SetState(int newState) {
  state = newState;
  frame = JumperFrames(row, newState).first;
}

void DoggieActor::ReadPersonInput(int* presses, bool* takeOff) {
  // The screen has already cut the bytes down: byte 4 is fire 1 held (0 or
  // 1), byte 5 the presses of fire 2 this frame.
  const uint8_t* input = g_playerStates[(kind - kKindJumperFirst) & 3];
  *presses = input[5] & 0x7F;
  const bool fire1 = input[4] != 0;
  if (state == kJumpReleased) {
    *takeOff = true;
    meterShown = 0;
  } else if (!meterShown) {
    if ((state == kJumpRunSlow || state == kJumpRunFast || state == kJumpStand) && fire1) meterShown = 1;
  } else {
    meterPosition = (meterPosition + 1) % 9;
    if (!fire1) {
      state = kJumpReleased;
      // The host's reading of the time since the turn began goes out with
      // its input, so that every machine scales this take-off alike.
      if (MeasuresJumpTime() && g_currentScreen && g_timers)
        g_currentScreen->PutOutDword(4, g_timers->Elapsed(g_doggieJumpClock));
    }
  }
}

void DoggieActor::ReadComputerPlan(int* presses, bool* takeOff) {
  *presses = 1;
  if (state != kJumpRunSlow && state != kJumpRunFast && state != kJumpStand) return;
  if (planStep < 0 || planStep > 2) return;
  const Plan& p = GetPlan(row, plan);
  const int from = p.v[1 + 2 * planStep];
  const int at = p.v[2 + 2 * planStep];
  if (distance <= from) return;
  meterShown = 1;
  meterPosition = (meterPosition + 1) % 9;
  // The last take-off goes as fast as luck has it.
  speed = planStep < 2 ? p.v[0] : static_cast<int>(RandomUnit() * 2.0 * p.v[0]);
  if (meterPosition == at) {
    *takeOff = true;
    ++planStep;
  }
}

void DoggieActor::CheckDogZones() {
  const int z = DogZoneAt(distance);
  if (z < 0) return;
  const DogZone& zone = kDogZones[z];
  if (state == zone.flightState || state == kJumpFall || state == kJumpDone || state == kJumpLying) return;
  if (state == kJumpRunSlow || state == kJumpRunFast) driftWholeFall = 1;
  state = kJumpFall;
  subState = 0;
  meterShown = 0;
  for (int k = zone.firstDog; k <= zone.lastDog; ++k)
    if (g_doggieActors[k]) g_doggieActors[k]->hit = 1;
  if (g_doggieActors[zone.lastDog]) PlayDoggieSoundOnce(kSoundFall);
}

void DoggieActor::TakeOffNow() {
  TakeOffInput in;
  in.row = row;
  in.phase = phase;
  in.speed = speed;
  in.meterPosition = meterPosition;
  in.meterShown = meterShown;
  in.distance = distance;
  in.person = controller == kControllerPerson;
  in.jumpFrames = g_doggieJumpFrames;
  in.hostMs = g_doggieHostClockMs;
  const TakeOff o = ComputeTakeOff(in);
  state = o.state;
  subState = 0;
  phase = o.phase;
  speed = o.speed;
  meterPosition = o.meterPosition;
  angle = o.angle;
  vertical = o.vertical;
  horizontal = o.horizontal;
  flightTime = o.flightTime;
  range = o.range;
  animationLength = o.animationLength;
  extraFrames = o.extraFrames;
  timeStep = o.timeStep;
  startY = y;
  flightClock = 0;
  middleFrame = o.middleFrame;
  beforeMiddle = o.beforeMiddle;
  holdEnd = o.holdEnd;
  flightCounter = 0;
}

void DoggieActor::Run(int runState) {
  const FrameRange& fr = JumperFrames(row, runState);
  step = RunStep(speed);
  ++frame;
  if (speed >= 31) ++frame;
  if (frame > fr.last || frame < fr.first) {
    frame = fr.first;
    speed = std::max(0, speed - 1);
    PlayDoggieSound(kSoundRun);
  }
}

void DoggieActor::Update() {
  // 1. A player taken over by the computer is driven by the plan at once.
  if (kind >= kKindJumperFirst && kind < kKindJumperFirst + 4)
    controller = g_players[kind - kKindJumperFirst].human ? kControllerPerson : kControllerComputer;

  // 2, 3. Input.
  int presses = 0;
  bool takeOff = false;
  if (controller == kControllerPerson) {
    ReadPersonInput(&presses, &takeOff);
  } else if (controller == kControllerComputer) {
    ReadComputerPlan(&presses, &takeOff);
  }

  // 4. Speed: presses raise it, a run without them slows down.
  if (presses > 0) {
    speed = ClampSpeed(static_cast<long long>(speed) + 2LL * presses);
    decay = 0;
  } else if ((state == kJumpRunSlow || state == kJumpRunFast) && speed > 0) {
    if (++decay > 10) {
      speed = std::max(0, speed - 10);
      decay = 0;
    }
  }

  // 5. The dogs. A jumper who falls this frame does not take off as well.
  CheckDogZones();
  if (state == kJumpFall) takeOff = false;

  // 6.
  ++idle;

  // 7. By state.
  int runs = -1;
  const FrameRange& fr = JumperFrames(row, state);
  switch (state) {
    case kJumpRunSlow:
      if (speed == 0) {
        SetState(kJumpStand);
      } else if (speed <= 20) {
        runs = kJumpRunSlow;
      } else {
        SetState(kJumpRunFast);
      }
      break;
    case kJumpRunFast:
      if (speed < 21) {
        state = kJumpRunSlow;
      } else {
        runs = kJumpRunFast;
      }
      break;
    case kJumpTakeOffHop:
    case kJumpTakeOffStep:
    case kJumpTakeOffJump:
      step = 0;
      if (subState == 0) {
        frame = fr.first;
        groundY = y;
        PlayDoggieSoundOnce(kSoundTakeOff1 + (state - kJumpTakeOffHop) / 3);
        subState = 1;
      } else if (++frame > fr.last) {
        state += 1;
        subState = 0;
      }
      break;
    case kJumpFlightHop:
    case kJumpFlightStep:
    case kJumpFlightJump: {
      meterShown = 0;
      step = FlightStep(speed, phase);
      if (subState == 0) {
        frame = fr.first;
        subState = 1;
        break;
      }
      FlightShape shape;
      shape.frames = fr;
      shape.startY = startY;
      shape.groundY = groundY;
      shape.vertical = vertical;
      shape.timeStep = timeStep;
      shape.beforeMiddle = beforeMiddle;
      shape.holdEnd = holdEnd;
      FlightState s;
      s.frame = frame;
      s.counter = flightCounter;
      s.t = flightClock;
      s.y = y;
      const bool down = FlightFrame(shape, &s);
      frame = s.frame;
      flightCounter = s.counter;
      flightClock = s.t;
      flightY = s.y;
      y = s.y;
      if (down) {
        state += 1;
        subState = 0;
      }
      break;
    }
    case kJumpLandHop:
    case kJumpLandStep:
    case kJumpLandJump:
      // The kangaroo bounces on as it lands.
      step = row == 1 ? 2 : 0;
      if (subState == 0) {
        frame = fr.first;
        PlayDoggieSoundOnce(kSoundLand1 + (state - kJumpLandHop) / 3);
        subState = 1;
      } else if (++frame > fr.last) {
        subState = 0;
        if (state == kJumpLandJump) {
          // He stands where the result is taken, so that the judge reads
          // the same distance (the kangaroo would bounce on one more step).
          step = 0;
          const int p = (kind - kKindJumperFirst) & 3;
          g_doggieResults[p] = std::max(g_doggieResults[p], distance - kPitStart);
          SetState(ReactionOfPlace(DoggieStandingLookup(g_doggieResults, p)));
        } else {
          state = kJumpRunSlow;
          meterPosition = 0;
        }
      }
      break;
    case kJumpReactLow:
    case kJumpReactMid:
    case kJumpReactHigh:
      step = 0;
      if (subState == 0) {
        frame = fr.first;
        subState = 1;
      } else if (subState == 1) {
        if (++frame > fr.last) {
          frame = fr.last;
          subState = 2;
        }
      } else if (subState == 2) {
        if (--frame < fr.last - ReactionStepBack(row, state)) {
          ++frame;
          subState = row == 2 ? 1 : 3;  // the alien never pauses
        }
      }
      if (subState == 2 || subState == 3) {
        if (++pause > 60) {
          pause = 0;
          subState = 1;
        }
      }
      break;
    case kJumpStand:
      step = 0;
      if (speed > 0) {
        SetState(kJumpRunSlow);
        runs = kJumpRunSlow;
        break;
      }
      if (idle > 200) {
        frame = fr.first;
        idle = 0;
        PlayDoggieSound(kSoundIdle);
      }
      if (frame < fr.last) {
        ++frame;
      } else {
        ++idle;
      }
      break;
    case kJumpFall:
      step = 0;
      meterShown = 0;
      frame = subState == 0 ? fr.first : fr.last;
      subState ^= 1;
      if (y < 320) {
        y += 10;
        if (driftWholeFall || driftCount < 4) {
          x += 3;
          ++driftCount;
        }
      } else {
        state = kJumpLying;
        if (DoggieActor* stars = NewDoggieStars(RowOffset(row) + x - 50, 318)) PutDoggieActor(stars);
        y += 20;
      }
      break;
    default:  // 16 done, 19 lying, 59 released: nothing
      break;
  }

  // 8, 9, 10.
  if (takeOff) TakeOffNow();
  if (runs >= 0) Run(runs);
  distance += step;
}
