#pragma once
// MazeAutoPilot: steers a computer player through the maze by writing the
// keys a person would press into that player's input state (turn, walk,
// punch, throw, choose the weapon), so that the character's update treats
// it like any input. It hunts the key man across the navigation graph,
// carries the key to the exit door, chases a person who carries the key,
// retreats to its start place when its energy is low, and frees itself when
// it is stuck. Every machine runs the same auto-pilots on the same state.
#include <cstdint>

#include "events/maze3d/rc_world.h"

class MazeAutoPilot {
 public:
  explicit MazeAutoPilot(int player);
  // One frame of steering (play only).
  void Think();

  static constexpr int kWaypoints = 256;
  static constexpr int32_t kNoTarget = 0x7FFFFFFF;

  int32_t targetX() const { return targetX_; }
  int32_t targetY() const { return targetY_; }
  uint16_t stuckCount() const { return stuckCount_; }
  uint16_t escapeCount() const { return escapeCount_; }
  int32_t homeX() const { return homeX_; }
  int32_t homeY() const { return homeY_; }
  // The fields that change, for the sync check.
  uint32_t SyncWord() const;

 private:
  // Sets the keys that turn towards direction w; true when it snapped onto it.
  bool TurnTowards(int32_t w);
  bool Chase();
  void PlanRoute();
  void FollowFirstHop(const int32_t* goal);
  void DropTarget() { targetX_ = kNoTarget; }

  MazePlayerRecord* player_;
  MazeRunnerRecord* runner_;
  uint8_t* keys_;
  int32_t targetX_ = kNoTarget, targetY_ = 0;
  int32_t dx_ = 0, dy_ = 0;
  uint16_t index_;
  int32_t wantedHeading_ = 0;
  int32_t lastX_ = 0, lastY_ = 0;
  uint16_t stuckCount_ = 0;
  uint16_t escapeCount_ = 0;
  int32_t waypoints_[kWaypoints + 1][2];
  uint32_t waypointIndex_ = 0;
  int32_t keyManNode_[2] = {-1, -1};
  int32_t homeX_, homeY_;
};

// Shared by all auto-pilots: set while one faces a person who carries the
// key in its own area; the direction of the next unsticking turn.
extern uint32_t g_mazeChaseFlag;
extern uint32_t g_mazeTurnToggle;
