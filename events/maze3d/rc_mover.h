#pragma once
// MazeMover: the one place where movement meets the wall maps. It moves a
// runner, a camera or a shot along a direction in fixed sub-steps, keeps
// bodies out of walls, other players and monsters, and finds what a shot
// hits. A scratch probe: nothing of a call survives it but the moved record
// and the results.
//
// Two clamp models keep bodies out of walls: model A (the split screen's
// characters) keeps a body's centre a whole cell from a wall in its way;
// model B (the single view's characters, shots and the flying key man) keeps
// it 22 units inside its cell. The cameras only back off from walls.
//
// Every wall read stays inside the 128 x 128 map (a cell outside it counts
// as walled), every move ends inside the world, and a camera backs off at
// most to where it started.
#include <cstdint>

#include "events/maze3d/rc_world.h"

inline constexpr uint32_t kMoveNothing = 0xFFFFFFFFu;

class MazeMover {
 public:
  // Moves the runner by its moveDistance along its moveHeading (sub-steps of
  // 20, model A). 0xFFFF0000 | the index of what it touched (0..3 a runner,
  // 36..63 a monster), or kMoveNothing. Catching the key man is done here.
  uint32_t MoveCharacter(MazeRunnerRecord& runner);
  // The same with sub-steps of 22 and model B (the single view).
  uint32_t MoveCharacterWide(MazeRunnerRecord& runner);
  // Cameras: moves the view by its moveDistance along its moveHeading in
  // sub-steps of 20 (split screen) or 10 (single view), backing off by 2
  // while a wall is too near; sets g_mazeCameraPulledIn. Always 1.
  uint32_t MoveSlide(MazeViewRecord& view);
  uint32_t MoveShort(MazeViewRecord& view);
  // Moves a shot by its step along its heading (sub-steps of 22, model B).
  // Low 16 bits: what it hit (0..3 a runner, 36..63 a monster) or 0xFFFF;
  // high 16 bits 0xFFFF when no wall stopped it, 0 when one did.
  uint32_t MoveShot(MazeObjectRecord& shot);

 private:
  enum class Model { kA, kB, kShot };
  // One sub-step of s from (x0, y0) to (x1, y1), then the wall test; true
  // when a clamp of model B moved the point.
  bool SubStep(int s, Model model);
  void ClampA();
  bool ClampB(bool shot);
  // The camera's wall tests of a sub-step already taken: true when blocked.
  bool SlideBlocked() const;
  bool ShortBlocked() const;
  // Bodies the character's new point runs into; the key man is caught.
  uint16_t Probe();
  uint16_t ShotHit() const;
  void ExitTest(int cell);
  uint32_t MoveBody(MazeRunnerRecord& runner, int subStep, Model model);
  uint32_t MoveCamera(MazeViewRecord& view, int subStep, bool slide);

  int32_t x0_ = 0, y0_ = 0, x1_ = 0, y1_ = 0;
  uint32_t hit_ = 0xFFFF;
  uint16_t heading_ = 0;
  uint16_t owner_ = 0;
  uint16_t radius_ = 0;
  uint16_t margin_ = 0;
};

extern MazeMover g_mazeMover;
