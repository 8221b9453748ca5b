#include "events/maze3d/maze_autopilot.h"

#include <cstdlib>

#include "base/player_records.h"
#include "events/maze3d/rc_hud.h"
#include "events/maze3d/rc_navgraph.h"
#include "events/maze3d/rc_support.h"
#include "events/maze3d/rc_tables.h"

uint32_t g_mazeChaseFlag = 0;
uint32_t g_mazeTurnToggle = 1;

namespace {

constexpr int32_t kLowEnergy = 0x140000;  // 20.0
constexpr int kRight = 0, kLeft = 2, kForward = 3, kUse = 4, kFists = 6, kWeapon = 7;

int32_t Direction(int32_t dx, int32_t dy) {
  const int32_t a = AngleOf(dx, dy);
  return a >= kMazeTurn ? a - kMazeTurn : a;
}

int32_t Distance(int32_t dx, int32_t dy) {
  const int64_t d2 = int64_t(dx) * dx + int64_t(dy) * dy;
  return IntSqrt(d2 > 0x7FFFFFFF ? 0x7FFFFFFF : int32_t(d2));
}

}  // namespace

MazeAutoPilot::MazeAutoPilot(int player)
    : player_(&g_mazePlayers[player & 3]),
      runner_(&g_mazeRunners[player & 3]),
      keys_(g_playerStates[player & 3]),
      index_(uint16_t(player & 3)),
      homeX_(g_mazeRunners[player & 3].x),
      homeY_(g_mazeRunners[player & 3].y) {
  for (auto& w : waypoints_) w[0] = w[1] = -1;
}

uint32_t MazeAutoPilot::SyncWord() const {
  uint32_t h = uint32_t(targetX_) * 31u + uint32_t(targetY_);
  h = h * 31u + (uint32_t(stuckCount_) | uint32_t(escapeCount_) << 16);
  return h * 31u + waypointIndex_;
}

bool MazeAutoPilot::TurnTowards(int32_t w) {
  wantedHeading_ = w;
  const int32_t heading = runner_->heading;
  if (std::abs(w - heading) <= 125) {
    runner_->heading = int16_t(w);
    runner_->moveHeading = uint16_t(w);
    return true;
  }
  const int32_t diff = heading - w;
  keys_[(diff > 0 && diff < 900) || diff <= -900 ? kLeft : kRight] = 1;
  stuckCount_ = 0;
  return false;
}

void MazeAutoPilot::Think() {
  for (int b = 0; b <= 8; ++b) keys_[b] = 0;
  if (player_->action > 1) return;
  if (std::abs(runner_->x - lastX_) < 3 && std::abs(runner_->y - lastY_) < 3) {
    ++stuckCount_;
  } else {
    lastX_ = runner_->x;
    lastY_ = runner_->y;
  }
  if (stuckCount_ >= 5 && stuckCount_ <= 8) {
    keys_[kUse] = keys_[kFists] = 1;
    return;
  }
  if (stuckCount_ >= 9 && stuckCount_ <= 19) {
    // Walk on while turning one way and the other on alternate frames,
    // through the toggle all auto-pilots share.
    if (g_mazeTurnToggle == 1) {
      keys_[kRight] = 1;
      g_mazeTurnToggle = 0;
    } else {
      keys_[kLeft] = 1;
      g_mazeTurnToggle = 1;
    }
    keys_[kForward] = 1;
    ++stuckCount_;
    return;
  }
  if (stuckCount_ >= 20) {
    if (escapeCount_ == 2) {
      // Stuck a third time: the route starts afresh from the node of the
      // area the runner stands in.
      if (int32_t* point = g_mazePlayerPoints[index_]; point && g_mazeNavGraph) {
        point[0] = runner_->x;
        point[1] = runner_->y;
        g_mazeNavGraph->WaypointInArea(point[0], point[1], point);
      }
      DropTarget();
    } else {
      ++escapeCount_;
    }
    stuckCount_ = 0;
  }
  if (Chase()) {
    DropTarget();
    return;
  }
  if (targetX_ == kNoTarget) {
    PlanRoute();
    stuckCount_ = 0;
    escapeCount_ = 0;
    return;
  }
  dx_ = targetX_ - runner_->x;
  dy_ = targetY_ - runner_->y;
  if (TurnTowards(Direction(dx_, dy_))) {
    if (Distance(dx_, dy_) <= 12) {
      runner_->x = targetX_;
      runner_->y = targetY_;
      DropTarget();
    } else {
      keys_[kForward] = 1;
    }
  }
}

bool MazeAutoPilot::Chase() {
  if (player_->energy <= kLowEnergy) {
    g_mazeChaseFlag = 0;
    return false;
  }
  if (!g_mazeNavGraph) return false;
  for (int j = 0; j < 4; ++j) {
    if (j == index_ || g_mazePlayers[j].hasKey != 1 || g_mazeRunners[j].human != 1) continue;
    const MazeRunnerRecord& other = g_mazeRunners[j];
    if (g_mazeNavGraph->AreaAt(runner_->x, runner_->y) == g_mazeNavGraph->AreaAt(other.x, other.y)) {
      dx_ = other.x - runner_->x;
      dy_ = other.y - runner_->y;
      if (TurnTowards(Direction(dx_, dy_))) {
        g_mazeChaseFlag = 1;
        const int32_t d = Distance(dx_, dy_);
        const bool armed = g_mazeHud && g_mazeHud->weaponUnits[index_] > 0;
        if (d > (armed ? 400 : 10)) {
          keys_[kForward] = 1;
        } else {
          keys_[kUse] = 1;
          keys_[armed ? kWeapon : kFists] = 1;
          stuckCount_ = 0;
        }
      }
      return true;
    }
    if (g_mazeChaseFlag) {
      int32_t node[2];
      g_mazeNavGraph->WaypointInArea(runner_->x, runner_->y, node);
      targetX_ = node[0];
      targetY_ = node[1];
      g_mazeChaseFlag = 0;
      waypointIndex_ = 1;
      return false;
    }
  }
  return false;
}

void MazeAutoPilot::FollowFirstHop(const int32_t* goal) {
  int32_t* point = g_mazePlayerPoints[index_];
  if (!point || !g_mazeNavGraph) return;
  g_mazeNavGraph->NextHopList(&waypoints_[0][0], point, goal);
  point[0] = targetX_ = waypoints_[0][0];
  point[1] = targetY_ = waypoints_[0][1];
  waypointIndex_ = 1;
}

void MazeAutoPilot::PlanRoute() {
  int32_t* point = g_mazePlayerPoints[index_];
  if (!point || !g_mazeNavGraph) return;
  if (waypointIndex_ < uint32_t(kWaypoints) && waypoints_[waypointIndex_][0] != -1) {
    point[0] = targetX_ = waypoints_[waypointIndex_][0];
    point[1] = targetY_ = waypoints_[waypointIndex_][1];
    ++waypointIndex_;
    return;
  }
  const MazeObjectRecord& keyMan = g_mazeObjects[kMazeKeyManObject];
  if (keyMan.active) {
    if (!g_mazeKeyManResting) return;  // he is still flying
    g_mazeNavGraph->WaypointInArea(keyMan.x, keyMan.y, keyManNode_);
    if (point[0] == keyManNode_[0] && point[1] == keyManNode_[1]) {
      targetX_ = keyMan.x;
      targetY_ = keyMan.y;
      waypointIndex_ = 0;
      return;
    }
    FollowFirstHop(keyManNode_);
    return;
  }
  if (player_->hasKey) {
    const int32_t door = g_mazeHud ? g_mazeHud->doorCell : 0;
    const int32_t goal[2] = {(door & 127) * 32, (door & 0xFF80) / 4};
    FollowFirstHop(goal);
    return;
  }
  const int32_t home[2] = {homeX_, homeY_};
  if (player_->energy <= kLowEnergy) {
    FollowFirstHop(home);
    return;
  }
  for (int j = 0; j < 4; ++j) {
    if (!g_mazePlayers[j].hasKey) continue;
    if (g_mazeRunners[j].human) {
      int32_t node[2];
      g_mazeNavGraph->WaypointInArea(g_mazeRunners[j].x, g_mazeRunners[j].y, node);
      FollowFirstHop(node);
    } else {
      FollowFirstHop(home);
    }
    return;
  }
}
