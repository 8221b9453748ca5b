// Fuzz target of the contestant data reader: any bytes are either refused
// with a line in the file's reach, or give values in their ranges, from
// which every frame a contestant can show is computed without overflow.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "events/javelin_catch/jcd_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  jc::JcdData d;
  int line = -1;
  if (jc::ParseJcd(data, size, &d, &line) != jc::kJcdOk) {
    if (line < 0 || line > jc::kJcdValues) std::abort();
    return 0;
  }
  if (d.maxEnergy <= 0 || d.speed < 0) std::abort();
  for (int s = 0; s < jc::kJcdAnimations; ++s) {
    const int a = d.animationOf[s];
    if (a < 0 || a >= jc::kJcdAnimations) std::abort();
    for (int facing = 0; facing < 8; ++facing) {
      const int first = d.First(s, facing);
      if (first < 1 || first + d.Frames(s) - 1 > 65535) std::abort();
    }
  }
  int32_t values[jc::kJcdValues];
  jc::JcdToValues(d, values);
  const jc::JcdData back = jc::JcdFromValues(values);
  if (back.maxEnergy != d.maxEnergy || back.firstFrame[10] != d.firstFrame[10]) std::abort();
  return 0;
}
