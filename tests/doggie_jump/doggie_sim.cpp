#include "tests/doggie_jump/doggie_sim.h"

#include <cstring>

#include "base/player_records.h"
#include "base/random.h"
#include "events/doggie_jump/doggie_actor.h"
#include "events/doggie_jump/doggie_course.h"
#include "events/doggie_jump/doggie_jump_data.h"
#include "events/doggie_jump/doggie_rules.h"

using namespace doggierules;

SimJump RunActorJump(int row, bool person, int plan, uint32_t seed, int maxFrames,
                     const std::function<void(int frame, uint8_t* state)>& input,
                     const std::function<void(int frame)>& watch) {
  SimJump out;
  const PlayerRecord saved = g_players[0];
  InitPlayerRecord(&g_players[0], doggieassets::kCharacterOfRow[row]);
  g_players[0].human = person ? 1 : 0;
  SeedRandom(seed);
  DeleteDoggieActors();
  for (int32_t& r : g_doggieResults) r = 0;
  CreateDoggieCourse(nullptr, false);
  g_doggieJumper = 0;
  g_doggieJumpFrames = 0;
  g_doggieHostClockMs = 0;
  DoggieActor* j = g_doggieActors[kKindJumperFirst];
  j->row = row;
  j->state = kJumpStand;
  j->frame = JumperFrames(row, kJumpStand).first;
  j->height = doggieassets::kJumperH;
  j->x = 200 - RowOffset(row);
  j->y = 400 - j->height;
  j->plan = plan;
  j->controller = person ? kControllerPerson : kControllerComputer;
  int lastState = j->state;
  for (int f = 0; f < maxFrames; ++f) {
    ++g_doggieJumpFrames;
    std::memset(g_playerStates[0], 0, kPlayerStateSize);
    if (input) input(f, g_playerStates[0]);
    g_playerStates[0][4] = (g_playerStates[0][4] & 0x80) ? 1 : 0;
    g_playerStates[0][5] &= 0x7F;
    for (int k = kDoggieActorSlots - 1; k >= 0; --k) {
      DoggieActor* a = g_doggieActors[k];
      if (!a || a->state == kActorHidden) continue;
      if (a->state == kActorFinished) {
        delete a;
        g_doggieActors[k] = nullptr;
        continue;
      }
      a->Update();
    }
    const int s = j->state;
    if (s != lastState) {
      if (s == kJumpTakeOffHop || s == kJumpTakeOffStep || s == kJumpTakeOffJump) out.takeOffAt.push_back(j->distance);
      if (s == kJumpLandHop || s == kJumpLandStep || s == kJumpLandJump) out.landedAt.push_back(j->distance);
      if (s == kJumpFall) out.fellInZone = DogZoneAt(j->distance);
      lastState = s;
    }
    if (watch) watch(f);
    if (s == kJumpDone || s == kJumpReactLow || s == kJumpReactMid || s == kJumpReactHigh) {
      out.frames = f + 1;
      break;
    }
  }
  out.distance = j->distance;
  out.finalState = j->state;
  out.result = (j->state != kJumpDone && j->distance > kPitStart) ? j->distance - kPitStart : -1;
  DeleteDoggieActors();
  g_doggieJumper = -1;
  g_players[0] = saved;
  return out;
}
