#include "events/figure_skating/skd_file.h"

#include <vector>

#include "base/pkc.h"

namespace {

// A real file is a few hundred bytes; anything far larger is not one.
constexpr int32_t kMaxFileSize = 64 * 1024;
// Frame numbers and counts a sprite file can hold.
constexpr int32_t kMaxFrame = 65535;

bool IsBlank(uint8_t c) { return c == ' ' || c == '\t' || c == '\r'; }

// One line: blanks, an optional sign, 1..9 digits, blanks. An empty (or
// blank) line reads as 0, as the files always have been read.
bool ParseLine(const uint8_t* p, size_t n, int32_t* value) {
  size_t i = 0;
  while (i < n && IsBlank(p[i])) ++i;
  if (i == n) {
    *value = 0;
    return true;
  }
  bool negative = false;
  if (p[i] == '+' || p[i] == '-') negative = p[i++] == '-';
  int64_t v = 0;
  size_t digits = 0;
  while (i < n && p[i] >= '0' && p[i] <= '9') {
    if (++digits > 9) return false;
    v = v * 10 + (p[i++] - '0');
  }
  if (digits == 0) return false;
  while (i < n && IsBlank(p[i])) ++i;
  if (i != n) return false;
  *value = static_cast<int32_t>(negative ? -v : v);
  return true;
}

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
  int count = 0;
  size_t start = 0;
  while (start < size) {
    size_t end = start;
    while (end < size && data[end] != '\n') ++end;
    if (count == kSkdValues) {
      // Only blank lines may follow the last value.
      for (size_t i = start; i < end; ++i)
        if (!IsBlank(data[i])) {
          if (badLine) *badLine = count + 1;
          return kSkdErrLineCount;
        }
    } else {
      int32_t v = 0;
      if (!ParseLine(data + start, end - start, &v)) {
        if (badLine) *badLine = count + 1;
        return kSkdErrNotNumber;
      }
      values[count++] = v;
    }
    start = end + 1;
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
  PkcFile* f = path ? PkcOpen(path) : nullptr;
  if (!f) return kSkdErrOpen;
  const int32_t size = PkcGetSize(f);
  std::vector<uint8_t> bytes;
  bool ok = size >= 0 && size <= kMaxFileSize;
  if (ok && size > 0) {
    bytes.resize(static_cast<size_t>(size));
    ok = PkcRead(f, bytes.data(), size) == size;
  }
  PkcClose(f);
  if (!ok) return kSkdErrOpen;
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
