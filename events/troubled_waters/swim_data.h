#pragma once
// The swimmer data file (.swd), one per character: 29 lines of one decimal
// integer each. Lines 1..10 are the first sprite frames of the swimmer's ten
// animations, 11..20 their frame counts, 21..24 unused, then the air loss,
// the speed step, the refill, the energy cap and the mood limit (stored
// negated). A file is taken only when every line is an integer and every
// animation lies within the sheet; otherwise the event says why and uses the
// layout the data set is drawn to.
#include <cstddef>
#include <cstdint>
#include <string>

namespace swim {

inline constexpr int kSwdValues = 29;
inline constexpr int kSwdLineMax = 7;        // characters before the newline
inline constexpr size_t kSwdFileMax = 4096;  // a longer file is not a swimmer file
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

// Reads the text of a .swd file: 29 lines of an integer (blanks around it
// and a carriage return before the newline allowed; further lines are
// ignored). False with the reason when a line is missing, too long or not a
// number, or a value is out of its range.
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
