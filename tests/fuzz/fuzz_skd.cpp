// Fuzz target of the skater data reader: any bytes are either refused or give
// values that cannot break the game: animations within the tables, every
// frame a skater can show within a sprite file, a maximum energy to divide by.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "events/figure_skating/skd_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SkaterData d;
  int line = -1;
  if (ParseSkd(data, size, &d, &line) != kSkdOk) {
    if (line < 0 || line > kSkdValues + 1) std::abort();
    return 0;
  }
  if (d.maxEnergy == 0) std::abort();
  for (int action = 0; action < kSkdAnimations; ++action) {
    const int a = d.animationOfAction[action];
    if (a < 0 || a >= kSkdAnimations) std::abort();
    for (int facing = 0; facing < 8; ++facing) {
      const int first = d.firstFrame[a] + d.framesPerDirection[a] * facing;
      if (first < 1 || first > 65535 || first + d.framesPerDirection[a] - 1 > 65535) std::abort();
    }
  }
  int32_t values[kSkdValues];
  SkdToValues(d, values);
  SkaterData back = SkdFromValues(values);
  if (back.topSpeed != d.topSpeed || back.firstFrame[10] != d.firstFrame[10]) std::abort();
  return 0;
}
