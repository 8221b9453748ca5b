#include "events/figure_skating/skd_file.h"

#include <vector>

#include "base/number_lines.h"
#include "base/pkc.h"

namespace {

// A real file is a few hundred bytes; anything far larger is not one.
constexpr int32_t kMaxFileSize = 64 * 1024;
// Frame numbers and counts a sprite file can hold.
constexpr int32_t kMaxFrame = 65535;

bool InRange(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

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
  // Only blanks may follow a number on its line, and only blank lines the
  // last value.
  NumberLinesError error;
  int line = 0;
  const int count = ReadNumberLines(data, size, values, kSkdValues, NumberLineRules{false, true}, &error, &line);
  if (error != NumberLinesError::kNone) {
    if (badLine) *badLine = line;
    return error == NumberLinesError::kNotNumber ? kSkdErrNotNumber : kSkdErrLineCount;
  }
  if (count != kSkdValues) return kSkdErrLineCount;
  // Ranges: the animation numbers index tables of eleven; every animation
  // has frames; nothing below divides by the maximum energy or moves at no
  // speed.
  for (int i = 0; i < kSkdValues; ++i) {
    const int32_t v = values[i];
    bool ok = true;
    if (i < 11) ok = InRange(v, 0, kSkdAnimations - 1);
    else if (i < 22) ok = InRange(v, 1, kMaxFrame);
    else if (i < 33) ok = InRange(v, 1, 255) && InRange(values[i - 11] + 8 * v - 1, 1, kMaxFrame);
    else if (i < 35) ok = InRange(v, -1000, 1000);
    else if (i == 35) ok = InRange(v, 1, 10000);
    else ok = InRange(v, 1, 30);
    if (!ok) {
      if (badLine) *badLine = i + 1;
      return kSkdErrRange;
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
    case kSkdErrNotNumber: return "a line is not a whole number";
    case kSkdErrLineCount: return "the file does not hold 37 lines";
    case kSkdErrRange: return "a value is out of its range";
    default: return "unknown error";
  }
}
