#include "events/javelin_catch/jcd_file.h"

#include <vector>

#include "base/number_lines.h"
#include "base/pkc.h"

namespace jc {

namespace {

// A real file is a few hundred bytes; anything far larger is not one.
constexpr int32_t kMaxFileSize = 64 * 1024;
// Frame numbers and counts a sprite file can hold.
constexpr int32_t kMaxFrame = 65535;

bool InRange(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

}  // namespace

void JcdToValues(const JcdData& d, int32_t values[kJcdValues]) {
  for (int i = 0; i < kJcdAnimations; ++i) {
    values[i] = d.animationOf[i];
    values[11 + i] = d.firstFrame[i];
    values[22 + i] = d.frames[i];
  }
  values[33] = d.anchorX;
  values[34] = d.anchorY;
  values[35] = d.maxEnergy;
  values[36] = d.speed;
}

JcdData JcdFromValues(const int32_t values[kJcdValues]) {
  JcdData d;
  for (int i = 0; i < kJcdAnimations; ++i) {
    d.animationOf[i] = values[i];
    d.firstFrame[i] = values[11 + i];
    d.frames[i] = values[22 + i];
  }
  d.anchorX = values[33];
  d.anchorY = values[34];
  d.maxEnergy = values[35];
  d.speed = values[36];
  return d;
}

uint32_t ParseJcd(const uint8_t* data, size_t size, JcdData* out, int* badLine) {
  if (badLine) *badLine = 0;
  if (!data && size) return kJcdErrOpen;
  int32_t values[kJcdValues] = {};
  // A line may carry a comment after its number; what follows the last
  // value is not read.
  NumberLinesError error;
  int line = 0;
  const int count = ReadNumberLines(data, size, values, kJcdValues, NumberLineRules{true, false}, &error, &line);
  if (error != NumberLinesError::kNone) {
    if (badLine) *badLine = line;
    return kJcdErrNotNumber;
  }
  if (count < kJcdValues - 1) {
    if (badLine) *badLine = count + 1;
    return kJcdErrLineCount;
  }
  // Ranges: the animation numbers index tables of eleven; every animation
  // has frames in reach of a sprite file in all eight directions; the
  // maximum energy divides the energy ratio of the places and the faces.
  for (int i = 0; i < kJcdValues; ++i) {
    const int32_t v = values[i];
    bool ok = true;
    if (i < 11) ok = InRange(v, 0, kJcdAnimations - 1);
    else if (i < 22) ok = InRange(v, 1, kMaxFrame);
    else if (i < 33) ok = InRange(v, 1, 255) && InRange(values[i - 11] + 8 * v - 1, 1, kMaxFrame);
    else if (i < 35) ok = InRange(v, -1000, 1000);
    else if (i == 35) ok = InRange(v, 1, 10000);
    else ok = InRange(v, 0, 30);
    if (!ok) {
      if (badLine) *badLine = i + 1;
      return kJcdErrRange;
    }
  }
  *out = JcdFromValues(values);
  return kJcdOk;
}

uint32_t LoadJcdFile(const char* path, JcdData* out, int* badLine) {
  if (badLine) *badLine = 0;
  std::vector<uint8_t> bytes;
  if (PkcReadWhole(path, kMaxFileSize, &bytes) != PkcWhole::kOk) return kJcdErrOpen;
  return ParseJcd(bytes.data(), bytes.size(), out, badLine);
}

const char* JcdErrorText(uint32_t code) {
  switch (code) {
    case kJcdOk: return "no error";
    case kJcdErrOpen: return "the file cannot be read";
    case kJcdErrNotNumber: return "a line is not a whole number";
    case kJcdErrLineCount: return "the file holds fewer than 36 lines";
    case kJcdErrRange: return "a value is out of its range";
    default: return "unknown error";
  }
}

JcdData DefaultJcd(int character) {
  (void)character;  // every sheet has the same layout
  // Animations in situation order, each in eight runs of its frames.
  static constexpr int32_t kFrames[kJcdAnimations] = {8, 6, 6, 4, 6, 6, 6, 6, 5, 6, 6};
  JcdData d;
  int32_t first = 1;
  for (int a = 0; a < kJcdAnimations; ++a) {
    d.animationOf[a] = a;
    d.firstFrame[a] = first;
    d.frames[a] = kFrames[a];
    first += 8 * kFrames[a];
  }
  d.anchorX = 48;  // where the feet stand
  d.anchorY = 88;
  d.maxEnergy = 100;
  d.speed = 5;
  return d;
}

const char* JcdFileName(int character) {
  static constexpr const char* kNames[6] = {"data\\Slob.jcd",   "data\\monkey.jcd",   "data\\Stud.jcd",
                                            "data\\Jungle.jcd", "data\\Kangaroo.jcd", "data\\alien.jcd"};
  return kNames[(character >= 0 && character < 6) ? character : 0];
}

}  // namespace jc
