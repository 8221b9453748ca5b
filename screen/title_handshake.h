#pragma once
// The shared steps of the hand-shake that takes every machine from an
// event's title to play at the same frame: each machine says in its output
// record when it is done with the title, all fade it out at the frame the
// first such byte comes in, and play starts when all say they are ready.

#include <cstdint>

#include "base/player_records.h"
#include "screen/game_screen.h"

// Whether one of the given players (rows of g_playerStates) has something
// pressed in this frame's exchanged input; the top bit of an input byte is
// not a press.
inline bool AnyPlayerPressed(const int* players, int count) {
  bool pressed = false;
  for (int v = 0; v < count; ++v) {
    const uint8_t* in = g_playerStates[players[v]];
    for (int b = 0; b < kPlayerStateSize; ++b) pressed = pressed || (in[b] & 0x7F) != 0;
  }
  return pressed;
}

// One frame of the title: true at the frame some machine's `doneOffset` byte
// says it is done (the caller then stops the announcer and fades the title
// out). Until then this machine says so itself when one of its people
// (`players`, `count` of them) presses something or the announcer has had
// the frames his call lasts; `announcerFrames` counts those frames and does
// not move in a frame with a press.
inline bool TitleDone(GameScreen& screen, int doneOffset, const int* players, int count,
                      int32_t& announcerFrames, int32_t announcerLength) {
  if (screen.AnyPlayerByteIs(doneOffset, 1)) return true;
  if (AnyPlayerPressed(players, count) || ++announcerFrames > announcerLength) screen.PutOutByte(doneOffset, 1);
  return false;
}

// The end of an event's construction: this machine's record starts as not
// done with the title, not ready and nobody left (bytes `doneOffset`,
// `readyOffset`, `leftOffset`), then all machines wait for each other.
// Returns what WaitForPlayers says (non-zero: the event is left).
inline int StartTitleHandshake(GameScreen& screen, int doneOffset, int readyOffset, int leftOffset) {
  screen.SetSyncCheck(0);
  screen.PutOutByte(doneOffset, 0);
  screen.PutOutByte(readyOffset, 0);
  screen.PutOutByte(leftOffset, 0);
  return screen.WaitForPlayers();
}
