#include "tests/computer_throw/throw_sim.h"

#include <cstring>

#include "base/player_records.h"
#include "events/computer_throw/computer_throw_data.h"

SimThrow RunActorThrow(int throwChar, bool human, int row, int maxFrames,
                       const std::function<void(int frame, uint8_t* state)>& input) {
  SimThrow out;
  PlayerRecord saved = g_players[0];
  InitPlayerRecord(&g_players[0], throwassets::kCharacterOfThrowChar[throwChar]);
  g_players[0].human = human ? 1 : 0;
  for (auto*& a : g_throwActors) a = nullptr;
  ThrowActor contestant(0);
  ThrowActor computer(kKindComputer);
  contestant.character = throwChar;
  contestant.mode = human ? kModeHuman : kModeComputerPlayer;
  contestant.state = kStStand;
  contestant.frame = throwassets::kSheetLayout[throwChar].standFrame;
  contestant.var[kVarRow] = row;
  computer.state = kStGone;
  g_throwActors[0] = &contestant;
  g_throwActors[kKindComputer] = &computer;
  g_throwInPlay = 0;
  g_frameCounter = 0;
  g_throwElapsedMs = 0;
  for (int f = 0; f < maxFrames; ++f) {
    ++g_frameCounter;
    std::memset(g_playerStates[0], 0, kPlayerStateSize);
    if (input) input(f, g_playerStates[0]);
    g_playerStates[0][kFirstActionByte] &= 0x80;
    g_playerStates[0][kSecondActionByte] &= 0x7F;
    int before = contestant.state;
    contestant.Update(g_throwActors);
    computer.Update(g_throwActors);
    if (before <= kStAim && (contestant.state == kStThrow || contestant.state == kStGone) && out.releaseFrame < 0) {
      out.releaseFrame = f;
      out.angleIndex = contestant.var[kVarAngle];
      out.kind = contestant.var[kVarThrowKind];
      out.power = contestant.power;
      out.dropped = contestant.state == kStGone;
    }
    if (computer.state == kStLanded) {
      out.landedAt = computer.var[kVarRunUp];
      out.frames = f + 1;
      break;
    }
  }
  out.spins = contestant.var[kVarSpins];
  g_throwActors[0] = nullptr;
  g_throwActors[kKindComputer] = nullptr;
  g_players[0] = saved;
  return out;
}
