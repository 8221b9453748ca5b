#pragma once
// The swimmer data file (.swd), one per character: 29 lines of one decimal
// integer each. Lines 1..10 are the first sprite frames of the swimmer's ten
// animations, 11..20 their frame counts, 21..24 unused, then the air loss,
// the speed step, the refill, the energy cap and the mood limit (stored
// negated). The files are read as they always have been: each line's number
// as atoi reads its first seven characters ("5x" is 5, an empty line 0),
// lines past the 29th not read, values a short file does not reach 0. A file
// is refused only where a value would break the game (a frame outside the
// sheet); the event then says why and uses the layout the data set is drawn
// to.
#include <cstddef>
#include <cstdint>
#include <string>

namespace swim {

inline constexpr int kSwdValues = 29;
inline constexpr size_t kSwdLineMax = 7;         // characters of a line that are read
inline constexpr size_t kSwdFileMax = 64 * 1024;  // a longer file is not a swimmer file
inline constexpr int kAnimations = 10;

struct SwimmerData {
  int32_t firstFrame[kAnimations] = {};
  int32_t count[kAnimations] = {};
  int32_t airLoss = 0;
  int32_t speedStep = 0;
  int32_t refill = 0;
  int32_t energyCap = 0;
  int32_t moodYLimit = 0;  // the file's value negated
};

// Reads the text of a .swd file. False with the reason (and its line) when a
// first frame is below 1 or a frame count below 0.
bool ParseSwimmerData(const uint8_t* data, size_t size, SwimmerData* out, std::string* why);
// Every animation (with its left / direction copies) within frames
// 1..frameCount.
bool CheckSwimmerFrames(const SwimmerData& d, int frameCount, std::string* why);
// The layout the generated sheets are drawn to.
SwimmerData DefaultSwimmerData();
// Reads a file through the data reader; false with the reason when it is
// missing or damaged (out is then the default layout).
bool LoadSwimmerData(const char* path, SwimmerData* out, std::string* why);

}  // namespace swim
