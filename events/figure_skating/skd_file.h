#pragma once
// Skater data files (.skd): one decimal integer a line, 37 lines, that give a
// character's skater its animation layout, drawing anchor, maximum energy and
// first top speed (the layout is in docs/formats.md). The reader never
// creates or changes a file, reads lines of any length, and refuses a file
// that is not exactly 37 whole numbers in their ranges: a skater whose file
// is refused takes the built-in values of its character instead.
#include <cstddef>
#include <cstdint>

inline constexpr int kSkdValues = 37;
inline constexpr int kSkdAnimations = 11;

struct SkaterData {
  int32_t animationOfAction[kSkdAnimations] = {};
  int32_t firstFrame[kSkdAnimations] = {};
  int32_t framesPerDirection[kSkdAnimations] = {};
  int32_t anchorX = 0;
  int32_t anchorY = 0;
  int32_t maxEnergy = 0;
  int32_t topSpeed = 0;
};

enum : uint32_t {
  kSkdOk = 0,
  kSkdErrOpen = 3001,        // missing, unreadable or larger than any skater file
  kSkdErrNotNumber = 3002,   // a line that is not a whole number (or one too large)
  kSkdErrLineCount = 3003,   // fewer or more than 37 lines
  kSkdErrRange = 3004,       // a value outside its range
};

// Parses a file image. On kSkdOk *out holds the values; otherwise *out is
// left as it was and *badLine (when given) names the 1-based line at fault
// (0 for the whole file).
uint32_t ParseSkd(const uint8_t* data, size_t size, SkaterData* out, int* badLine = nullptr);
// Reads a file through the game's data reader, read-only.
uint32_t LoadSkdFile(const char* path, SkaterData* out, int* badLine = nullptr);
// The reason as the debug output gives it.
const char* SkdErrorText(uint32_t code);
// The values of a file in order (37 entries), and back.
void SkdToValues(const SkaterData& d, int32_t values[kSkdValues]);
SkaterData SkdFromValues(const int32_t values[kSkdValues]);
