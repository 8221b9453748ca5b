#include "events/troubled_waters/swim_data.h"

#include <string>
#include <vector>

#include "base/number_lines.h"
#include "base/pkc.h"
#include "events/troubled_waters/troubled_waters_data.h"

namespace swim {

namespace {

bool Fail(std::string* why, const std::string& text) {
  if (why) *why = text;
  return false;
}

}  // namespace

bool ParseSwimmerData(const uint8_t* data, size_t size, SwimmerData* out, std::string* why) {
  if (!data && size) return Fail(why, "no data");
  if (size > kSwdFileMax) return Fail(why, "the file is too long for a swimmer file");
  int32_t values[kSwdValues] = {};
  ReadLeadingNumberLines(data, size, values, kSwdValues, kSwdLineMax);
  // Only what would break the game is refused: frames before the sheet's
  // first. Whether an animation ends within the sheet is for
  // CheckSwimmerFrames, which knows the sheet; the air loss, speed step and
  // refill are replaced by the event, and the energy cap and mood limit are
  // only compared with.
  SwimmerData d;
  for (int i = 0; i < kAnimations; ++i) {
    d.firstFrame[i] = values[i];
    d.count[i] = values[kAnimations + i];
    if (d.firstFrame[i] < 1)
      return Fail(why, "line " + std::to_string(i + 1) + ": first frame " + std::to_string(d.firstFrame[i]) +
                           " is before the sheet's first frame");
    if (d.count[i] < 0)
      return Fail(why, "line " + std::to_string(kAnimations + i + 1) + ": frame count " +
                           std::to_string(d.count[i]) + " reaches before the animation's first frame");
  }
  d.airLoss = values[24];
  d.speedStep = values[25];
  d.refill = values[26];
  d.energyCap = values[27];
  d.moodYLimit = -values[28];
  if (out) *out = d;
  return true;
}

bool CheckSwimmerFrames(const SwimmerData& d, int frameCount, std::string* why) {
  for (int i = 0; i < kAnimations; ++i) {
    const int copies = swimassets::kAnimationCopies[i];
    const int64_t last = int64_t(d.firstFrame[i]) + int64_t(copies) * (d.count[i] > 0 ? d.count[i] : 1) - 1;
    if (d.firstFrame[i] < 1 || last > frameCount)
      return Fail(why, "animation " + std::to_string(i + 1) + " runs past the sheet's " +
                           std::to_string(frameCount) + " frames");
  }
  return true;
}

SwimmerData DefaultSwimmerData() {
  SwimmerData d;
  const int* v = swimassets::kSwimmerLayout;
  for (int i = 0; i < kAnimations; ++i) {
    d.firstFrame[i] = v[i];
    d.count[i] = v[kAnimations + i];
  }
  d.airLoss = v[24];
  d.speedStep = v[25];
  d.refill = v[26];
  d.energyCap = v[27];
  d.moodYLimit = -v[28];
  return d;
}

bool LoadSwimmerData(const char* path, SwimmerData* out, std::string* why) {
  *out = DefaultSwimmerData();
  std::vector<uint8_t> bytes;
  switch (PkcReadWhole(path, kSwdFileMax, &bytes)) {
    case PkcWhole::kOk: break;
    case PkcWhole::kCannotOpen: return Fail(why, "cannot open the file");
    case PkcWhole::kTooLarge: return Fail(why, "the file is too long for a swimmer file");
    case PkcWhole::kShort: return Fail(why, "cannot read the file");
  }
  SwimmerData d;
  if (!ParseSwimmerData(bytes.data(), bytes.size(), &d, why)) return false;
  *out = d;
  return true;
}

}  // namespace swim
