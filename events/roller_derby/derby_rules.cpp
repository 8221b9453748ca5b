#include "events/roller_derby/derby_rules.h"

#include <algorithm>
#include <cmath>

namespace derby {

int32_t SoundVolumeAt(float d) {
  const float v = -d / 200.0f;
  if (!(v > -10000.0f)) return -10000;  // also for a distance that is not a number
  return v > 0.0f ? 0 : static_cast<int32_t>(v);
}

int32_t PunchDamage(int32_t strength, int32_t boost, int32_t victimBoost, int32_t victimEndurance) {
  const double d = strength * boost * 5.0 / 50.0 * (100.0 - victimBoost * victimEndurance) / 50.0 + 0.5;
  return d > 0.0 ? static_cast<int32_t>(d) : 0;
}

int32_t WeaponDamage(int32_t weaponPower, int32_t victimBoost, int32_t victimEndurance) {
  // The victim keeps trunc(energy - d): that is energy less d rounded up.
  const double d = weaponPower * 5.0 / 50.0 * (100.0 - victimBoost * victimEndurance) / 50.0 + 0.5;
  return d > 0.0 ? static_cast<int32_t>(std::ceil(d)) : 0;
}

bool PunchReaches(float x, float z, float heading, float xj, float zj) {
  if (!(std::fabs(x - xj) <= 4.5f && std::fabs(z - zj) <= 4.5f)) return false;
  const float cx = x + 1.8f * std::cos(heading), cz = z + 1.8f * std::sin(heading);
  return RectsOverlap(Rect4f(cx - 1.2f, cz - 1.2f, cx + 1.2f, cz + 1.2f),
                      Rect4f(xj - 1.5f, zj - 1.5f, xj + 1.5f, zj + 1.5f));
}

bool WeaponPathHits(Point2f from, Point2f to, Point2f target) {
  const Rect4f victim(target.x - 1.5f, target.y - 1.5f, target.x + 1.5f, target.y + 1.5f);
  for (int i = 0; i < 5; ++i) {
    const float px = from.x + static_cast<float>(i) * (to.x - from.x) / 5.0f;
    const float pz = from.y + static_cast<float>(i) * (to.y - from.y) / 5.0f;
    if (RectsOverlap(Rect4f(px - 2.0f, pz - 2.0f, px + 2.0f, pz + 2.0f), victim)) return true;
  }
  return false;
}

float TurnRate(float speed) { return kPi / (5.0f * speed + 24.0f); }

float StrideAcceleration(int32_t speedStat, bool computer) {
  const float a = static_cast<float>(speedStat - 20) * 0.01f + 1.4f;
  return computer ? a * 2.0f : a;
}

int ViewDirection(float cameraHeading, float heading) {
  const float a = WrapTwoPi(cameraHeading + kPi / 8 - heading);
  return std::clamp(static_cast<int>(a * 4.0f / kPi), 0, 7);
}

namespace {

// How far behind a skater at (sx, sz) a camera looking along `heading` can
// stand: 28, or pulled in to just inside the wall the line crosses.
float ChaseReach(const TrackShape& track, float sx, float sz, float heading) {
  Point2f from(sx, sz), to(sx - std::cos(heading) * kChaseDistance, sz - std::sin(heading) * kChaseDistance), hit;
  if (!CrossesEdge(track, track.outerEdges, &from, &to, &hit)) return kChaseDistance;
  return std::sqrt(DistanceSquared(Point2f(sx, sz), hit)) - 0.1f;
}

}  // namespace

CameraPlace ChaseCamera(const TrackShape& track, float sx, float sy, float sz, float sheading, float sheight,
                        int32_t finishedFrames, const Point2f* others, int otherCount) {
  CameraPlace c;
  c.heading = sheading + static_cast<float>(std::clamp(finishedFrames, 0, 24)) * kPi / 24.0f;
  c.y = sy + sheight;
  // How well a place behind the skater suits the camera: 1 or more where
  // it keeps kCameraNearest from him and from every other skater (nearer,
  // the one it is close to fills the view; inside him, half the screen is
  // one disc of his picture), less the nearer it comes to one of them.
  auto score = [&](float heading, float reach) {
    float s = reach / kCameraNearest;
    const float x = sx - std::cos(heading) * reach, z = sz - std::sin(heading) * reach;
    for (int i = 0; i < otherCount; ++i)
      s = std::min(s, std::sqrt(DistanceSquared(Point2f(x, z), others[i])) / kCameraNearest);
    return s;
  };
  // The places tried, in order: straight behind him as far as the walls
  // let it (a skater with his back to the barrier would have the camera
  // pulled into his own head), then nearer him in steps of 2 while it stays
  // kCameraNearest away (another skater may stand in the way), then the
  // same swung round him an eighth of a turn more each way at a time. The
  // first that suits wins, else the one that suits best.
  const float straight = c.heading;
  float bestReach = -1.0f, bestScore = -1.0f;
  for (int k = 0; k <= 8 && bestScore < 1.0f; ++k)
    for (int side = 1; side >= -1 && bestScore < 1.0f; side -= 2) {
      if (k == 0 && side < 0) continue;
      const float h = straight + static_cast<float>(side * k) * kPi / 8.0f;
      const float most = ChaseReach(track, sx, sz, h);
      for (float r = most; bestScore < 1.0f; r -= 2.0f) {
        if (r < most && r < kCameraNearest) break;
        const float s = score(h, r);
        if (s > bestScore) {
          bestScore = s;
          bestReach = r;
          c.heading = h;
        }
      }
    }
  c.x = sx - std::cos(c.heading) * bestReach;
  c.z = sz - std::sin(c.heading) * bestReach;
  return c;
}

int FindLeader(const int32_t progress[4]) {
  int32_t best = 0;
  int leader = -1;
  for (int p = 0; p < 4; ++p) {
    if (progress[p] > best) {
      best = progress[p];
      leader = p;
    } else if (progress[p] == best) {
      leader = -1;
    }
  }
  return leader;
}

void AssignRemainingPlaces(int32_t places[4], const int32_t progress[4], int given) {
  for (int place = std::max(given, 0); place < 4; ++place) {
    int best = -1;
    for (int p = 0; p < 4; ++p)
      if (places[p] < 0 && (best < 0 || progress[p] > progress[best])) best = p;
    if (best < 0) return;
    places[best] = place;
  }
}

bool RaceOver(const EndInput& in) {
  if (in.clockSeconds >= kTimeLimitSeconds) return true;
  bool any = false, all = true;
  for (int p = 0; p < 4; ++p) {
    if (!in.waitFor[p]) continue;
    any = true;
    if (in.finishedFrames[p] < kFinishedFrames) all = false;
  }
  if (any && all) return true;
  return in.thirdFinisher >= 0 && in.thirdFinisher < 4 && in.finishedFrames[in.thirdFinisher] >= kFinishedFrames;
}

int FaceMood(int32_t state, bool placed, int32_t boost, int32_t energy) {
  if (state == derbyassets::kHit) return 3;
  if (placed || boost == 2) return 2;
  if (energy < 2) return 0;
  if (energy < 20) return 1;
  if (state == derbyassets::kFallen) return 4;
  return 5;
}

std::string ClockText(int32_t seconds) {
  seconds = std::max(seconds, 0);
  const int32_t s = seconds % 60;
  return std::to_string(seconds / 60) + " : " + (s < 10 ? "0" : "") + std::to_string(s);
}

ViewLayout LayOutViews(int width, int height, bool twoViews, bool bigViewport) {
  ViewLayout l;
  auto shrink = [&](ViewRect r) {
    if (bigViewport) return r;
    const int dx = static_cast<int>(r.width * 0.1), dy = static_cast<int>(r.height * 0.1);
    return ViewRect{r.x + dx, r.y + dy, r.width - static_cast<int>(r.width * 0.2),
                    r.height - static_cast<int>(r.height * 0.2)};
  };
  if (twoViews) {
    l.views = 2;
    l.view[0] = shrink({0, 0, width / 2, height});
    l.view[1] = shrink({width / 2, 0, width - width / 2, height});
  } else {
    l.view[0] = shrink({0, 0, width, height});
  }
  if (bigViewport) return l;
  const ViewRect& a = l.view[0];
  l.border[l.borders++] = {0, 0, width, a.y};
  l.border[l.borders++] = {0, a.y + a.height, width, a.y};
  l.border[l.borders++] = {0, a.y, a.x, a.height};
  if (twoViews) {
    const ViewRect& b = l.view[1];
    l.border[l.borders++] = {a.x + a.width, a.y, b.x - (a.x + a.width), a.height};
    l.border[l.borders++] = {b.x + b.width, a.y, width - (b.x + b.width), a.height};
  } else {
    l.border[l.borders++] = {a.x + a.width, a.y, width - (a.x + a.width), a.height};
  }
  return l;
}

MapPoint MapFacePosition(float x, float z) {
  return {440 + static_cast<int>(x / 10.0f), 100 - static_cast<int>(z / 10.0f)};
}

}  // namespace derby
