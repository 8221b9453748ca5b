// Fuzz target for the swimmer data reader: any bytes are either refused with
// a reason or give values that all lie in their ranges; a file the reader
// takes is taken again the same when its lines end in CR LF.
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
    if (d.firstFrame[i] < 1 || d.count[i] < 0 || d.count[i] > 999) std::abort();
  if (d.energyCap < 1 || d.airLoss < 0 || d.speedStep < 0 || d.refill < 0) std::abort();
  std::string frameWhy;
  if (!swim::CheckSwimmerFrames(d, 188, &frameWhy) && frameWhy.empty()) std::abort();
  std::vector<uint8_t> crlf;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\n' && (i == 0 || data[i - 1] != '\r')) crlf.push_back('\r');
    crlf.push_back(data[i]);
  }
  swim::SwimmerData again;
  // A line of seven characters has no room for the carriage return.
  if (swim::ParseSwimmerData(crlf.data(), crlf.size(), &again, &why)) {
    for (int i = 0; i < swim::kAnimations; ++i)
      if (again.firstFrame[i] != d.firstFrame[i] || again.count[i] != d.count[i]) std::abort();
  }
  return 0;
}
