#pragma once
// Skater data files (.skd): one decimal integer a line, 37 lines, that give a
// character's skater its animation layout, drawing anchor, maximum energy and
// first top speed (the layout is in docs/formats.md). The files are read as
// they always have been: each line's number as atoi reads it ("5x" is 5, an
// empty line 0), lines past the 37th not read, values a short file does not
// reach 0. The reader never creates or changes a file, and refuses only a
// file whose values would break the game: a skater whose file is refused
// takes the built-in values of its character instead.
#include <cstddef>
#include <cstdint>

inline constexpr int kSkdValues = 37;
inline constexpr int kSkdAnimations = 11;
// Characters of a line that are read (the rest of a longer line is not).
inline constexpr size_t kSkdLineChars = 7;

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
  kSkdErrOpen = 3001,       // missing, unreadable or larger than any skater file
  kSkdErrAnimation = 3002,  // an action's animation is not one of the eleven
  kSkdErrFrame = 3003,      // a frame a sprite file cannot hold (below 1 or past 65535)
  kSkdErrEnergy = 3004,     // a maximum energy of 0, which the results divide by
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
