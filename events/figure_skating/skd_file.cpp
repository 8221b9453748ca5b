#include "events/figure_skating/skd_file.h"

#include <algorithm>
#include <vector>

#include "base/number_lines.h"
#include "base/pkc.h"

namespace {

// A real file is a few hundred bytes; anything far larger is not one.
constexpr int32_t kMaxFileSize = 64 * 1024;
// Frame numbers and counts a sprite file can hold.
constexpr int32_t kMaxFrame = 65535;

bool InRange(int64_t v, int64_t lo, int64_t hi) { return v >= lo && v <= hi; }

}  // namespace

void SkdToValues(const SkaterData& d, int32_t values[kSkdValues]) {
  for (int i = 0; i < kSkdAnimations; ++i) {
    values[i] = d.animationOfAction[i];
    values[11 + i] = d.firstFrame[i];
    values[22 + i] = d.framesPerDirection[i];
  }
  values[33] = d.anchorX;
  values[34] = d.anchorY;
  values[35] = d.maxEnergy;
  values[36] = d.topSpeed;
}

SkaterData SkdFromValues(const int32_t values[kSkdValues]) {
  SkaterData d;
  for (int i = 0; i < kSkdAnimations; ++i) {
    d.animationOfAction[i] = values[i];
    d.firstFrame[i] = values[11 + i];
    d.framesPerDirection[i] = values[22 + i];
  }
  d.anchorX = values[33];
  d.anchorY = values[34];
  d.maxEnergy = values[35];
  d.topSpeed = values[36];
  return d;
}

uint32_t ParseSkd(const uint8_t* data, size_t size, SkaterData* out, int* badLine) {
  if (badLine) *badLine = 0;
  if (!data && size) return kSkdErrOpen;
  int32_t values[kSkdValues] = {};
  ReadLeadingNumberLines(data, size, values, kSkdValues, kSkdLineChars);
  // Only what would break the game is refused: the animation numbers index
  // tables of eleven, every frame of every direction is one a sprite file
  // can hold, and the results divide by the maximum energy. Anchors, counts
  // of 0 (an animation that stands still) and the top speed (replaced when
  // play starts) are taken as they are.
  for (int i = 0; i < kSkdValues; ++i) {
    const int64_t v = values[i];
    uint32_t error = kSkdOk;
    if (i < 11) {
      if (!InRange(v, 0, kSkdAnimations - 1)) error = kSkdErrAnimation;
    } else if (i < 22) {
      if (!InRange(v, 1, kMaxFrame)) error = kSkdErrFrame;
    } else if (i < 33) {
      if (v < 0 || values[i - 11] + 8 * std::max<int64_t>(v, 1) - 1 > kMaxFrame) error = kSkdErrFrame;
    } else if (i == 35) {
      if (v == 0) error = kSkdErrEnergy;
    }
    if (error != kSkdOk) {
      if (badLine) *badLine = i + 1;
      return error;
    }
  }
  *out = SkdFromValues(values);
  return kSkdOk;
}

uint32_t LoadSkdFile(const char* path, SkaterData* out, int* badLine) {
  if (badLine) *badLine = 0;
  std::vector<uint8_t> bytes;
  if (PkcReadWhole(path, kMaxFileSize, &bytes) != PkcWhole::kOk) return kSkdErrOpen;
  return ParseSkd(bytes.data(), bytes.size(), out, badLine);
}

const char* SkdErrorText(uint32_t code) {
  switch (code) {
    case kSkdOk: return "no error";
    case kSkdErrOpen: return "the file cannot be read";
    case kSkdErrAnimation: return "an action names an animation other than 0 to 10";
    case kSkdErrFrame: return "an animation reaches a frame below 1 or past 65535";
    case kSkdErrEnergy: return "the maximum energy is 0";
    default: return "unknown error";
  }
}
