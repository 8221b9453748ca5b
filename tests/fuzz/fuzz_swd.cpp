// Fuzz target for the swimmer data reader: any bytes are either refused with
// a reason or give frames no animation reaches before the sheet's first; a
// file reads the same when its lines end in CR LF.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "events/troubled_waters/swim_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  swim::SwimmerData d;
  std::string why;
  if (!swim::ParseSwimmerData(data, size, &d, &why)) {
    if (why.empty()) std::abort();
    return 0;
  }
  for (int i = 0; i < swim::kAnimations; ++i)
    if (d.firstFrame[i] < 1 || d.count[i] < 0) std::abort();
  std::string frameWhy;
  if (!swim::CheckSwimmerFrames(d, 188, &frameWhy) && frameWhy.empty()) std::abort();
  std::vector<uint8_t> crlf;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\n' && (i == 0 || data[i - 1] != '\r')) crlf.push_back('\r');
    crlf.push_back(data[i]);
  }
  swim::SwimmerData again;
  if (crlf.size() <= swim::kSwdFileMax) {
    if (!swim::ParseSwimmerData(crlf.data(), crlf.size(), &again, &why)) std::abort();
    for (int i = 0; i < swim::kAnimations; ++i)
      if (again.firstFrame[i] != d.firstFrame[i] || again.count[i] != d.count[i]) std::abort();
    if (again.energyCap != d.energyCap || again.moodYLimit != d.moodYLimit) std::abort();
  }
  return 0;
}
