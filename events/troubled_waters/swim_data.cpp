#include "events/troubled_waters/swim_data.h"

#include <string>
#include <vector>

#include "base/pkc.h"
#include "events/troubled_waters/troubled_waters_data.h"

namespace swim {

namespace {

bool Fail(std::string* why, const std::string& text) {
  if (why) *why = text;
  return false;
}

bool ParseLine(const std::string& line, int32_t* value) {
  size_t p = 0, e = line.size();
  while (p < e && (line[p] == ' ' || line[p] == '\t')) ++p;
  while (e > p && (line[e - 1] == ' ' || line[e - 1] == '\t' || line[e - 1] == '\r')) --e;
  bool negative = false;
  if (p < e && (line[p] == '-' || line[p] == '+')) negative = line[p++] == '-';
  if (p == e) return false;
  int64_t v = 0;
  for (; p < e; ++p) {
    if (line[p] < '0' || line[p] > '9') return false;
    v = v * 10 + (line[p] - '0');
  }
  *value = static_cast<int32_t>(negative ? -v : v);  // at most 7 characters: no overflow
  return true;
}

struct Range {
  int32_t low, high;
  const char* name;
};

}  // namespace

bool ParseSwimmerData(const uint8_t* data, size_t size, SwimmerData* out, std::string* why) {
  if (!data && size) return Fail(why, "no data");
  if (size > kSwdFileMax) return Fail(why, "the file is too long for a swimmer file");
  int32_t values[kSwdValues] = {};
  int n = 0;
  size_t p = 0;
  while (n < kSwdValues && p < size) {
    size_t e = p;
    while (e < size && data[e] != '\n') ++e;
    std::string line(reinterpret_cast<const char*>(data) + p, e - p);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > kSwdLineMax)
      return Fail(why, "line " + std::to_string(n + 1) + " is longer than " + std::to_string(kSwdLineMax) +
                           " characters");
    if (!ParseLine(line, &values[n])) return Fail(why, "line " + std::to_string(n + 1) + " is not a number");
    ++n;
    p = e + 1;
  }
  if (n < kSwdValues)
    return Fail(why, "the file has " + std::to_string(n) + " values, not " + std::to_string(kSwdValues));

  static const Range kFrame{1, 9999, "first frame"}, kCount{0, 999, "frame count"};
  SwimmerData d;
  for (int i = 0; i < kAnimations; ++i) {
    d.firstFrame[i] = values[i];
    d.count[i] = values[kAnimations + i];
    if (d.firstFrame[i] < kFrame.low || d.firstFrame[i] > kFrame.high)
      return Fail(why, "line " + std::to_string(i + 1) + ": " + kFrame.name + " out of range");
    if (d.count[i] < kCount.low || d.count[i] > kCount.high)
      return Fail(why, "line " + std::to_string(kAnimations + i + 1) + ": " + kCount.name + " out of range");
  }
  const Range tail[5] = {{0, 50000, "air loss"}, {0, 100, "speed step"}, {0, 50000, "refill"},
                         {1, 1000, "energy cap"}, {-100000, 100000, "mood limit"}};
  for (int i = 0; i < 5; ++i) {
    const int32_t v = values[24 + i];
    if (v < tail[i].low || v > tail[i].high)
      return Fail(why, "line " + std::to_string(25 + i) + ": " + tail[i].name + " out of range");
  }
  d.airLoss = values[24];
  d.speedStep = values[25];
  d.refill = values[26];
  d.energyCap = values[27];
  d.moodYLimit = -values[28];
  if (out) *out = d;
  return true;
}

bool CheckSwimmerFrames(const SwimmerData& d, int frameCount, std::string* why) {
  for (int i = 0; i < kAnimations; ++i) {
    const int copies = swimassets::kAnimationCopies[i];
    const int64_t last = int64_t(d.firstFrame[i]) + int64_t(copies) * (d.count[i] > 0 ? d.count[i] : 1) - 1;
    if (d.firstFrame[i] < 1 || last > frameCount)
      return Fail(why, "animation " + std::to_string(i + 1) + " runs past the sheet's " +
                           std::to_string(frameCount) + " frames");
  }
  return true;
}

SwimmerData DefaultSwimmerData() {
  SwimmerData d;
  const int* v = swimassets::kSwimmerLayout;
  for (int i = 0; i < kAnimations; ++i) {
    d.firstFrame[i] = v[i];
    d.count[i] = v[kAnimations + i];
  }
  d.airLoss = v[24];
  d.speedStep = v[25];
  d.refill = v[26];
  d.energyCap = v[27];
  d.moodYLimit = -v[28];
  return d;
}

bool LoadSwimmerData(const char* path, SwimmerData* out, std::string* why) {
  *out = DefaultSwimmerData();
  std::vector<uint8_t> bytes;
  switch (PkcReadWhole(path, kSwdFileMax, &bytes)) {
    case PkcWhole::kOk: break;
    case PkcWhole::kCannotOpen: return Fail(why, "cannot open the file");
    case PkcWhole::kTooLarge: return Fail(why, "the file is too long for a swimmer file");
    case PkcWhole::kShort: return Fail(why, "cannot read the file");
  }
  SwimmerData d;
  if (!ParseSwimmerData(bytes.data(), bytes.size(), &d, why)) return false;
  *out = d;
  return true;
}

}  // namespace swim
