#include "events/troubled_waters/swim_route.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <unordered_map>

namespace swim {

MazeRoom::MazeRoom(int32_t ty, int32_t tlx, int32_t trx, int32_t by, int32_t blx, int32_t brx)
    : topY(ty), topLeftX(tlx), topRightX(trx), bottomY(by), bottomLeftX(blx), bottomRightX(brx) {}

void MazeRoom::GetTopEdge(int32_t* y, int32_t* left, int32_t* right) const {
  *y = topY;
  *left = topLeftX;
  *right = topRightX;
}

void MazeRoom::GetTopEdgeCells(int32_t* row, int32_t* first, int32_t* end) const {
  *row = topY / kCellPixels;
  *first = topLeftX / kCellPixels;
  *end = topRightX / kCellPixels;
}

void MazeRoom::AddNeighbour(MazeRoom* room) { neighbours_.push_back(room); }

void MazeRoom::RemoveNeighbour(MazeRoom* room) {
  auto it = std::find(neighbours_.begin(), neighbours_.end(), room);
  if (it != neighbours_.end()) neighbours_.erase(it);
}

MazeRoom* MazeRoom::NextNeighbour(bool restart) {
  if (restart) cursor_ = static_cast<int>(neighbours_.size());
  if (cursor_ <= 0) return nullptr;
  return neighbours_[static_cast<size_t>(--cursor_)];
}

bool MazeRoom::Contains(int32_t x, int32_t y) const {
  if (y < topY || y > bottomY) return false;
  if (x < std::min(topLeftX, bottomLeftX) || x > std::max(topRightX, bottomRightX)) return false;
  if (x >= std::max(topLeftX, bottomLeftX) && x <= std::min(topRightX, bottomRightX)) return true;
  const int32_t h = bottomY - topY;
  const int32_t left = (topLeftX - bottomLeftX) * y + h * x + bottomLeftX * topY - topLeftX * bottomY;
  const int32_t right = (topRightX - bottomRightX) * y + h * x + topY * bottomRightX - topRightX * bottomY;
  return left >= 0 && right <= 0;
}

int32_t MazeRoom::SharedEdge(const MazeRoom& o, RoutePoint* out) const {
  int32_t left, right, y;
  if (topY == o.bottomY) {
    left = std::max(o.bottomLeftX, topLeftX);
    right = std::min(o.bottomRightX, topRightX);
    y = topY;
  } else if (o.topY == bottomY) {
    left = std::max(bottomLeftX, o.topLeftX);
    right = std::min(bottomRightX, o.topRightX);
    y = bottomY;
  } else {
    return 0;
  }
  if (out) *out = {left, y};
  return right - left - 1;
}

void MazeRoom::LinkIfTouching(MazeRoom& o) {
  const bool above = topY == o.bottomY && topLeftX < o.bottomRightX && o.bottomLeftX < topRightX;
  const bool below = o.topY == bottomY && bottomLeftX < o.topRightX && bottomRightX > o.topLeftX;
  if (above || below) {
    AddNeighbour(&o);
    o.AddNeighbour(this);
  }
}

void MazeRoom::ClampDoorPoint(RoutePoint p, const MazeRoom& n) {
  int32_t low, high;
  if (topY != n.bottomY) {  // the neighbour is below
    door_.y = bottomY;
    low = std::max(bottomLeftX, n.topLeftX);
    high = std::min(bottomRightX, n.topRightX);
  } else {
    door_.y = topY;
    low = std::max(n.bottomLeftX, topLeftX);
    high = std::min(n.bottomRightX, topRightX);
  }
  door_.x = p.x < low ? low : std::min(p.x, high);
}

int32_t RouteDistance(int32_t dx, int32_t dy) {
  dx = std::abs(dx);
  dy = std::abs(dy);
  int32_t n = std::max(dx, dy) + std::min(dx, dy) / 2;
  if (n != 0) n = ((dx * dx + dy * dy) / n + n) / 2;
  return n;
}

void MazeRoom::DistanceFromDoor(RoutePoint p) { distance_ = RouteDistance(door_.x - p.x, door_.y - p.y); }

// ---------------------------------------------------------------------------

RouteFinder::RouteFinder(const std::vector<MazeRoom*>& rooms) : rooms_(rooms) { LinkRooms(); }

void RouteFinder::LinkRooms() {
  // Rooms of one row never touch and only rooms of the next row can: the
  // list is in row order, so the pairs are tried in the list's order without
  // looking at rooms further down.
  for (size_t a = 0; a < rooms_.size(); ++a)
    for (size_t b = a + 1; b < rooms_.size(); ++b) {
      if (rooms_[b]->topY > rooms_[a]->bottomY) break;
      rooms_[a]->LinkIfTouching(*rooms_[b]);
    }
}

MazeRoom* RouteFinder::FindRoomAt(RoutePoint p) const {
  for (MazeRoom* r : rooms_)
    if (r->Contains(p.x, p.y)) return r;
  return nullptr;
}

MazeRoom* RouteFinder::NextFreeNeighbour(bool restart) {
  MazeRoom* n = current_->NextNeighbour(restart);
  while (n && n->onPath) n = current_->NextNeighbour(false);
  return n;
}

void RouteFinder::NextCandidate(bool restart) {
  candidate_ = NextFreeNeighbour(restart);
  while (candidate_) {
    current_->ClampDoorPoint(currentPoint_, *candidate_);
    current_->DistanceFromDoor(currentPoint_);
    if (pathCost_ + current_->Distance() < bestCost_) return;
    candidate_ = NextFreeNeighbour(false);
  }
}

int RouteFinder::FindRoute(RoutePoint from, RoutePoint to, int64_t budget) {
  bestCost_ = INT32_MAX;
  start_ = from;
  end_ = to;
  startRoom_ = FindRoomAt(start_);
  endRoom_ = FindRoomAt(end_);
  best_.clear();
  routeCursor_ = 0;
  expansions_ = 0;
  budgetSpent_ = false;
  for (MazeRoom* r : rooms_) r->onPath = false;
  path_.clear();
  if (!startRoom_ || !endRoom_) return 0;
  if (startRoom_ == endRoom_) {
    startRoom_->SetDoorPoint(end_);
    startRoom_->DistanceFromDoor(start_);
    best_.push_back(startRoom_);
    return 1;
  }

  path_.push_back(startRoom_);
  startRoom_->onPath = true;
  bool restart = true;
  while (!path_.empty() && !budgetSpent_) {
    current_ = path_.back();
    path_.pop_back();
    current_->onPath = false;
    if (path_.empty()) {
      currentPoint_ = start_;
      pathCost_ = 0;
    } else {
      currentPoint_ = path_.back()->DoorPoint();
      pathCost_ -= current_->Distance();
    }
    NextCandidate(restart);
    bool arrived = false;
    while (candidate_) {
      if (++expansions_ > budget) {
        budgetSpent_ = true;
        break;
      }
      pathCost_ += current_->Distance();
      path_.push_back(current_);
      current_->onPath = true;
      if (candidate_ == endRoom_) {
        arrived = true;
        break;
      }
      currentPoint_ = current_->DoorPoint();
      current_ = candidate_;
      NextCandidate(true);
    }
    if (arrived) {
      endRoom_->SetDoorPoint(end_);
      endRoom_->DistanceFromDoor(currentPoint_);
      if (pathCost_ + endRoom_->Distance() < bestCost_) {
        bestCost_ = pathCost_ + endRoom_->Distance();
        best_ = path_;
        best_.push_back(endRoom_);
      }
    }
    restart = false;
  }
  for (MazeRoom* r : path_) r->onPath = false;
  path_.clear();
  if (best_.empty() && budgetSpent_) FewestRooms();
  if (best_.empty()) return 0;
  PlaceDoors();
  return 1;
}

void RouteFinder::FewestRooms() {
  // Breadth first over the links, neighbours in the search's order.
  std::unordered_map<MazeRoom*, MazeRoom*> from;
  std::deque<MazeRoom*> queue{startRoom_};
  from[startRoom_] = nullptr;
  while (!queue.empty()) {
    MazeRoom* r = queue.front();
    queue.pop_front();
    if (r == endRoom_) break;
    const auto& n = r->Neighbours();
    for (auto it = n.rbegin(); it != n.rend(); ++it)
      if (from.emplace(*it, r).second) queue.push_back(*it);
  }
  if (!from.count(endRoom_)) return;
  for (MazeRoom* r = endRoom_; r; r = from[r]) best_.push_back(r);
  std::reverse(best_.begin(), best_.end());
}

void RouteFinder::PlaceDoors() {
  // The cost as the search counts it: the last leg runs from where the
  // route entered the room before the last.
  RoutePoint p = start_, entered = start_;
  int32_t cost = 0;
  for (size_t i = 0; i + 1 < best_.size(); ++i) {
    best_[i]->ClampDoorPoint(p, *best_[i + 1]);
    best_[i]->DistanceFromDoor(p);
    cost += best_[i]->Distance();
    entered = p;
    p = best_[i]->DoorPoint();
  }
  best_.back()->SetDoorPoint(end_);
  best_.back()->DistanceFromDoor(best_.size() > 1 ? entered : start_);
  bestCost_ = cost + best_.back()->Distance();
}

MazeRoom* RouteFinder::NextStep(bool restart) {
  if (restart) routeCursor_ = 0;
  if (routeCursor_ >= best_.size()) return nullptr;
  return best_[routeCursor_++];
}

// ---------------------------------------------------------------------------

namespace {

// Moves c to a water cell beside it when it is not on water itself.
int StepToWater(const MazeGrid& m, int row, int c) {
  if (m.Water(row, c - 1)) return c - 1;
  if (m.Water(row, c + 1)) return c + 1;
  return c;
}

}  // namespace

std::vector<std::unique_ptr<MazeRoom>> CutRooms(const MazeGrid& m) {
  std::vector<std::unique_ptr<MazeRoom>> rooms;
  for (int r = 0; r < m.Rows(); ++r)
    for (int c = 0; c < m.Stride(); ++c) {
      if (m.At(r, c) != kWater) continue;
      int e = c;
      while (e < m.Stride() && m.At(r, e) == kWater) ++e;
      const int32_t x0 = kCellPixels * c, x1 = kCellPixels * e, y = kCellPixels * r;
      rooms.push_back(std::make_unique<MazeRoom>(y, x0, x1, y + kCellPixels, x0, x1));
      c = e;
    }
  return rooms;
}

std::vector<MazeRoom*> RoomPointers(const std::vector<std::unique_ptr<MazeRoom>>& rooms) {
  std::vector<MazeRoom*> out;
  out.reserve(rooms.size());
  for (const auto& r : rooms) out.push_back(r.get());
  return out;
}

void WriteRoute(MazeGrid& m, const std::vector<MazeRoom*>& route) {
  for (const MazeRoom* room : route) {
    int32_t row, first, end;
    room->GetTopEdgeCells(&row, &first, &end);
    for (int c = std::max(first, 0); c < std::min(end, m.Stride()); ++c)
      if (m.Water(row, c)) m.Set(row, c, kRouteCell);
    const RoutePoint door = room->DoorPoint();
    int c = door.x / kCellPixels;
    if (!m.Water(row, c)) c = StepToWater(m, row, c);
    const uint8_t sign = row * kCellPixels + kCellPixels / 2 < door.y ? kRouteDown : kRouteUp;
    if ((sign == kRouteUp && !m.Water(row - 1, c)) || (sign == kRouteDown && !m.Water(row + 1, c)))
      c = StepToWater(m, row, c);
    if (m.Water(row, c)) m.Set(row, c, sign);
  }
}

void CleanUpRouteEnds(MazeGrid& m, int entryRow, int exitRow) {
  const int r = m.At(entryRow, 0) == kRouteCell ? entryRow + 1 : entryRow;
  for (int c = 1; c < m.Stride() && m.Water(r, c); ++c) m.Set(r, c, kWater);
  for (int row : {exitRow, exitRow + 1}) {
    const uint8_t v = m.At(row, kMazeSize - 1);
    if (v == kRouteDown || v == kRouteUp) m.Set(row, kMazeSize - 1, kRouteCell);
  }
}

}  // namespace swim
