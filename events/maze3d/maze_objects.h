#pragma once
// The maze's objects that no character owns, animated once a frame of play:
// monsters rise, wait, spit and melt away; shots fly and hit players,
// monsters or walls; explosions play out; the key man flies a short way
// when his carrier drops him and otherwise spins on the spot. And the
// rules the screens share: the places of the end, the sync check value.
#include <cstdint>

#include "events/maze3d/rc_world.h"

struct MazeObjectView {
  // The players whose views are shown here (kMazeNoPlayer for none): an
  // object's sound plays when it is near one of them.
  uint16_t viewers[2] = {0, kMazeNoPlayer};
  // How far a shot flies a frame (800 / the frame rate).
  uint16_t shotStep = 50;
};

// Monsters, then shots, then explosions.
void MazeAnimateObjects(const MazeObjectView& view);
// The key man's flight and spin; g_mazeKeyManResting tells whether he lies still.
void MazeAnimateKeyMan();
// A shot hits player p: a throw of weapon family 0, 2 or 4 (second false),
// or of 1, 3, 5 or a monster's (second true).
void MazeHitPlayerByShot(MazeObjectRecord& shot, int p, bool second);
// A key carrier who falls drops the key man, who flies off from him, and
// loses 5000 points (never below 0).
void MazeThrowOutKeyMan(int victim);

// Places by score, 0 first: of equal scores the lower slot ranks first and
// the others lose a point each, so that every place is taken once. Scores
// are changed as that rule says.
void MazePlaces(int32_t scores[4], int32_t places[4]);

// The check value of a frame: what moves (positions, headings, actions,
// energies, scores, the key, the objects in play, the round).
uint32_t MazeWorldSyncValue();
