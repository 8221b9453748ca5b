#pragma once
// Contestant data files (.jcd): one decimal integer a line, 37 lines, that
// give a character's contestant its animation layout, drawing anchor,
// maximum energy and step length (the layout is in docs/formats.md). A line
// reads as its leading number (blanks, an optional sign, digits); whatever
// follows the number on the line is ignored, and lines after the 37th too.
// A file of 36 lines leaves the step length 0 (the event sets it from the
// player's speed anyway). Anything else is refused whole, with the line at
// fault: a missing file, fewer lines, a line without a number, a value out
// of its range (a maximum energy of 0 among them). A contestant whose file
// is refused takes the built-in values of its character instead.
#include <cstddef>
#include <cstdint>

namespace jc {

inline constexpr int kJcdValues = 37;
inline constexpr int kJcdAnimations = 11;

// Contestant situations, the index into the animation map.
enum Situation : int32_t {
  kSitWalk = 0,
  kSitKnockedOut = 1,
  kSitGettingUp = 2,
  kSitLightHit = 3,
  kSitHeavyHit = 4,
  kSitHandAttack = 5,
  kSitSecondAttack = 6,
  kSitThrow = 7,
  kSitPickUp = 8,
  kSitCatch = 9,
  kSitIdle = 10,
};

struct JcdData {
  int32_t animationOf[kJcdAnimations] = {};  // situation -> animation
  int32_t firstFrame[kJcdAnimations] = {};   // of each animation, 1-based
  int32_t frames[kJcdAnimations] = {};       // per direction, of each animation
  int32_t anchorX = 0;
  int32_t anchorY = 0;
  int32_t maxEnergy = 0;
  int32_t speed = 0;

  // The first frame of situation s facing direction d.
  int32_t First(int s, int d) const { return firstFrame[animationOf[s]] + frames[animationOf[s]] * d; }
  int32_t Frames(int s) const { return frames[animationOf[s]]; }
};

enum : uint32_t {
  kJcdOk = 0,
  kJcdErrOpen = 3101,       // missing, unreadable or far larger than a contestant file
  kJcdErrNotNumber = 3102,  // a line that does not start with a whole number (or one too large)
  kJcdErrLineCount = 3103,  // fewer than 36 lines
  kJcdErrRange = 3104,      // a value outside its range
};

// Parses a file image. On kJcdOk *out holds the values; otherwise *out is
// left as it was and *badLine (when given) names the 1-based line at fault
// (0 for the whole file).
uint32_t ParseJcd(const uint8_t* data, size_t size, JcdData* out, int* badLine = nullptr);
// Reads a file through the game's data reader, read-only.
uint32_t LoadJcdFile(const char* path, JcdData* out, int* badLine = nullptr);
const char* JcdErrorText(uint32_t code);
// The values of a file in order, and back.
void JcdToValues(const JcdData& d, int32_t values[kJcdValues]);
JcdData JcdFromValues(const int32_t values[kJcdValues]);
// The built-in values of a character (0..5; others as 0), the layout the
// generated contestant sheets have.
JcdData DefaultJcd(int character);
// The character's file under the data directory.
const char* JcdFileName(int character);

}  // namespace jc
