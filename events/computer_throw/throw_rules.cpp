#include "events/computer_throw/throw_rules.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "events/computer_throw/computer_throw_data.h"

namespace throwrules {

std::string FormatDistance(int hundredths, const char* unit) {
  // Through a 64-bit value: the most negative int has no positive twin.
  long long v = hundredths;
  const char* sign = v < 0 ? "-" : "";
  v = std::llabs(v);
  char text[48];
  std::snprintf(text, sizeof text, "%s%lld.%02lld %s", sign, v / 100, v % 100, unit ? unit : "");
  return text;
}

namespace {

// The spoken pair of a number 0..99: (tens or skip, number or skip).
void SayPair(int n, bool leadingZero, int* first, int* second) {
  if (n < 10 && leadingZero) {
    *first = kSoundNumber0;
    *second = kSoundNumber0 + n;
  } else if (n < 20) {
    *first = -1;
    *second = kSoundNumber0 + n;
  } else {
    *first = kSoundTens20 + (n / 10 - 2);
    *second = (n % 10) ? kSoundNumber0 + n % 10 : -1;
  }
}

}  // namespace

Announcement BuildAnnouncement(int hundredths) {
  Announcement a{{-1, -1, -1, -1, -1, -1}};
  if (hundredths < 0) hundredths = 0;
  int metres = hundredths / 100;
  int cents = hundredths % 100;
  if (metres < 100) {
    SayPair(metres, false, &a.slots[0], &a.slots[1]);
  }  // else: no number sound says it; the board shows it
  a.slots[2] = kSoundPoint;
  SayPair(cents, true, &a.slots[3], &a.slots[4]);
  a.slots[5] = kSoundUnit;
  return a;
}

int KindOfAngleIndex(int angleIndex) {
  int index = angleIndex < 0 ? 10 : angleIndex;
  if (index < 4) return 0;
  if (index < 6) return 1;
  if (index < 8) return 2;
  return 3;
}

double HumanRateScale(int frames, uint32_t elapsedMs) {
  if (frames <= 0) return 0.0;
  uint32_t ms = std::max<uint32_t>(elapsedMs, 1);
  double fps = static_cast<double>(frames) * 1000.0 / static_cast<double>(ms);
  return std::min(fps, 16.0) / 16.0;
}

ReleaseResult ComputeRelease(const ReleaseInput& in) {
  ReleaseResult r;
  int index = in.angleIndex < 0 ? 10 : in.angleIndex;
  double power = (static_cast<double>(in.strength) + 200.0) * in.power * 0.01;
  if (in.human) power *= HumanRateScale(in.frames, in.elapsedMs);
  int p = static_cast<int>(std::clamp(power, 0.0, static_cast<double>(kMaxReleasePower)));
  static constexpr int kLeastPower[4] = {100, 40, 40, 55};
  r.kind = KindOfAngleIndex(index);
  if (r.kind == 0) index = 1;
  p = std::max(p, kLeastPower[r.kind]);
  r.angleIndex = index;
  r.power = p;
  r.angle = (5.0 * index - 5.0) * 2.0 * M_PI / 180.0;
  r.vertical = p * std::sin(r.angle);
  r.horizontal = p * std::cos(r.angle);
  r.topTime = r.vertical / 9.8;
  r.topHeight = r.topTime * r.vertical - r.topTime * r.topTime * 4.9;
  // A hand below the ground line (never in the game) would take the root of
  // a negative number: it counts as on the ground.
  double height = std::max(0, in.handHeight);
  r.flightTime = (std::sqrt(height * 19.6 + r.vertical * r.vertical) + r.vertical) / 9.8;
  r.reach = r.flightTime * r.horizontal / 3.0;
  double steps = (r.reach + 10.0) / 10.0 + 5.0;
  r.timeStep = steps > 0 ? r.flightTime / steps : r.flightTime;
  return r;
}

Level LevelOf(int power) {
  if (power >= 21) return {{20, 8, 2, 4}, true};
  if (power >= 16) return {{15, 4, 2, 3}, true};
  if (power >= 11) return {{10, 2, 1, 2}, false};
  return {{5, 1, 1, 1}, false};
}

bool FlightStep(const FlightStart& start, FlightState* s) {
  const ReleaseResult& r = start.release;
  double t = s->t;
  double y = start.y - (t * r.vertical - t * t * 4.9);
  double x = start.x + t * r.horizontal;
  // Far off any sensible course (a broken release): it comes down now.
  bool sane = std::isfinite(y) && std::isfinite(x) && std::fabs(x) < 1e8 && std::fabs(y) < 1e8;
  if (!sane) y = kGroundY;
  s->y = static_cast<int>(std::min<double>(y, kGroundY));
  s->x = sane ? static_cast<int>(x) - s->shift : start.x - s->shift;
  // A flight that does not advance in time would never come down.
  if (!(r.timeStep > 0)) s->y = kGroundY;
  s->t = t + r.timeStep;
  s->frame += 2;
  Level level = LevelOf(r.power);
  for (int i = 0; i < 4; ++i) s->inc[i] = level.inc[i];
  if (level.extraFrame) ++s->frame;
  while (s->frame > throwassets::kComputerFlightLast) s->frame -= throwassets::kComputerFlightLast;
  while (s->x > kFlightScrollX) {
    s->x -= 10;
    s->shift += 10;
    s->inc[0] += 10;
    s->inc[1] += 4;
    s->inc[2] += 2;
    s->inc[3] += 3;
  }
  s->runUp += s->inc[0];
  return s->y > kGroundY - 1;
}

FlightEnd SimulateFlight(const FlightStart& start) {
  FlightState s;
  s.runUp = start.runUp;
  s.frame = 1;
  FlightEnd end;
  // The longest flight the release allows is a few thousand steps.
  for (int i = 0; i < 100000; ++i) {
    ++end.frames;
    if (FlightStep(start, &s)) break;
  }
  end.runUp = s.runUp;
  end.x = s.x;
  return end;
}

namespace {

// How each character goes about a throw, as ranges the twenty rows spread
// over: idle frames before the first spin, spins before pushing, the
// run-up position at which it starts to aim, and its release power.
struct Profile {
  int idleMin, idleMax;
  int spinsMin, spinsMax;
  int aimMin, aimMax;
  int powerMin, powerMax;
};
// Throw character order: RAREZ VUDA, RADEROZI, ZOVI, RIZAZ, ZARU, RAZIRAZO.
constexpr Profile kProfiles[6] = {
    // The ape: no patience, starts at once and heaves hard, aims early.
    {2, 12, 0, 0, 1380, 1700, 40, 55},
    // The kangaroo: bounces round a few times first, long run-up, light arm.
    {8, 24, 2, 3, 1700, 1880, 34, 44},
    // The alien: anything can happen.
    {0, 40, 0, 4, 1150, 1960, 22, 66},
    // The slob: takes his time, one lazy spin, stops short and lobs it.
    {30, 60, 1, 1, 1300, 1600, 32, 42},
    // The stud: the same strong, clean throw every time.
    {10, 14, 1, 1, 1760, 1830, 40, 45},
    // The amazon: two spins, runs close to the line, sometimes too close.
    {10, 20, 2, 2, 1790, 1890, 40, 50},
};

constexpr int Spread(int lo, int hi, int step) { return lo + (hi - lo) * step / (kComputerRows - 1); }

// Twenty rows per character: each column takes its range in its own order
// (different strides over 0..19), so no row is best at everything.
constexpr std::array<std::array<ComputerRow, kComputerRows>, 6> MakeRows() {
  std::array<std::array<ComputerRow, kComputerRows>, 6> rows{};
  for (int c = 0; c < 6; ++c) {
    const Profile& p = kProfiles[c];
    for (int r = 0; r < kComputerRows; ++r) {
      rows[c][r].idleLimit = Spread(p.idleMin, p.idleMax, (r * 7 + c) % kComputerRows);
      rows[c][r].spinsBeforePush = Spread(p.spinsMin, p.spinsMax, (r * 13 + 5) % kComputerRows);
      rows[c][r].aimAt = Spread(p.aimMin, p.aimMax, (r * 3 + c * 2) % kComputerRows);
      rows[c][r].releasePower = Spread(p.powerMin, p.powerMax, (r * 11 + 7) % kComputerRows);
    }
  }
  return rows;
}

constexpr auto kRows = MakeRows();

}  // namespace

const ComputerRow& GetComputerRow(int throwChar, int row) {
  int c = (throwChar >= 0 && throwChar < 6) ? throwChar : 0;
  int r = ((row % kComputerRows) + kComputerRows) % kComputerRows;
  return kRows[c][r];
}

Standing RankContestants(const int best[4]) {
  Standing s;
  for (int i = 0; i < 4; ++i) {
    s.order[i] = i;
    s.distance[i] = best[i];
  }
  for (int pass = 0; pass < 3; ++pass) {
    bool swapped = false;
    for (int k = 0; k < 3; ++k) {
      if (s.distance[k] < s.distance[k + 1]) {
        std::swap(s.distance[k], s.distance[k + 1]);
        std::swap(s.order[k], s.order[k + 1]);
        swapped = true;
      }
    }
    if (!swapped) break;
  }
  for (int k = 0; k < 4; ++k) s.placeOf[s.order[k]] = k;
  return s;
}

}  // namespace throwrules
