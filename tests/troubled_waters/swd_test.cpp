// The swimmer data file: the data set's files, line endings, and damaged
// files that must be refused with a reason.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "events/troubled_waters/swim_data.h"
#include "events/troubled_waters/troubled_waters_data.h"

using namespace swim;

namespace {

const std::string kGameData = std::string(KEL_BINARY_DIR) + "/gamedata";
const char* const kSample =
    "1\n49\n81\n93\n117\n129\n141\n157\n173\n181\n8\n4\n6\n4\n6\n6\n8\n8\n8\n8\n0\n0\n0\n0\n1428\n7\n140\n100\n0\n";

bool Parse(const std::string& text, SwimmerData* d, std::string* why) {
  return ParseSwimmerData(reinterpret_cast<const uint8_t*>(text.data()), text.size(), d, why);
}

std::string Replace(std::string text, int line, const std::string& value) {
  size_t p = 0;
  for (int i = 1; i < line; ++i) p = text.find('\n', p) + 1;
  const size_t e = text.find('\n', p);
  return text.replace(p, e - p, value);
}

}  // namespace

TEST(SwimData, SampleLayoutAndLineEndings) {
  SwimmerData d;
  std::string why;
  ASSERT_TRUE(Parse(kSample, &d, &why)) << why;
  EXPECT_EQ(d.firstFrame[0], 1);
  EXPECT_EQ(d.firstFrame[9], 181);
  EXPECT_EQ(d.count[1], 4);
  EXPECT_EQ(d.airLoss, 1428);
  EXPECT_EQ(d.speedStep, 7);
  EXPECT_EQ(d.refill, 140);
  EXPECT_EQ(d.energyCap, 100);
  EXPECT_TRUE(CheckSwimmerFrames(d, swimassets::kSwimmerFrames, &why)) << why;
  EXPECT_FALSE(CheckSwimmerFrames(d, swimassets::kSwimmerFrames - 1, &why));
  // CR LF, blanks around a number, a sign, lines after the 29th, no final newline.
  std::string crlf;
  for (char c : std::string(kSample)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  SwimmerData e;
  ASSERT_TRUE(Parse(crlf, &e, &why)) << why;
  EXPECT_EQ(std::memcmp(&d, &e, sizeof d), 0);
  std::string loose = Replace(Replace(kSample, 29, "-25"), 2, " 49 ");
  loose.pop_back();
  ASSERT_TRUE(Parse(loose + "\nmore\n", &e, &why)) << why;
  ASSERT_TRUE(Parse(loose, &e, &why)) << why;
  EXPECT_EQ(e.moodYLimit, 25);
  EXPECT_EQ(e.firstFrame[1], 49);
}

// The files are read as they always have been: what a line holds after its
// number, an empty line, a short file or lines past the 29th play; only a
// frame outside the sheet is refused, with its line.
TEST(SwimData, ReadsLooseFilesAndRefusesOnlyFramesOutsideTheSheet) {
  struct Case {
    std::string text;
    const char* refused;  // the reason's words, or null when the file is taken
    int line;             // taken: the line whose value is checked
    int value;            // taken: the value of that line's field
  };
  const std::string sample = kSample;
  auto upTo = [&](int lines) {
    size_t p = 0;
    for (int i = 0; i < lines; ++i) p = sample.find('\n', p) + 1;
    return sample.substr(0, p);
  };
  const Case cases[] = {
      // Taken.
      {Replace(sample, 2, "49x"), nullptr, 2, 49},
      {Replace(sample, 26, "7 ; spd"), nullptr, 26, 7},
      {Replace(sample, 12, ""), nullptr, 12, 0},             // an empty line: a still animation
      {Replace(sample, 13, "six"), nullptr, 13, 0},
      {Replace(sample, 5, "12345678"), nullptr, 5, 1234567},  // a line's first seven characters
      {Replace(sample, 29, "  -25"), nullptr, 29, -25},
      {Replace(sample, 28, "0"), nullptr, 28, 0},            // a cap only compared with
      {Replace(sample, 26, "9999"), nullptr, 26, 9999},      // the event sets the speed step
      {upTo(24), nullptr, 28, 0},                            // ends early: the event's and the compared values
      {upTo(20), nullptr, 25, 0},
      {sample + "more\n12\n", nullptr, 28, 100},            // lines past the 29th are not read
      {std::string("7\0" "9\n", 4) + sample.substr(2), nullptr, 1, 7},  // a NUL ends the number
      // Refused: a frame before the sheet.
      {"", "line 1: first frame 0", 0, 0},                    // 29 zeros
      {upTo(7), "line 8: first frame 0", 0, 0},              // ends early among the first frames
      {Replace(sample, 3, "eighty"), "line 3: first frame 0", 0, 0},
      {Replace(sample, 1, "-1"), "line 1: first frame -1", 0, 0},
      {Replace(sample, 12, "-4"), "line 12: frame count -4", 0, 0},
      {std::string(70000, '1'), "too long", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    SwimmerData d;
    std::string why;
    if (c.refused) {
      EXPECT_FALSE(Parse(c.text, &d, &why));
      EXPECT_NE(why.find(c.refused), std::string::npos) << why;
      continue;
    }
    ASSERT_TRUE(Parse(c.text, &d, &why)) << why;
    const int32_t fields[kSwdValues] = {
        d.firstFrame[0], d.firstFrame[1], d.firstFrame[2], d.firstFrame[3], d.firstFrame[4], d.firstFrame[5],
        d.firstFrame[6], d.firstFrame[7], d.firstFrame[8], d.firstFrame[9], d.count[0],      d.count[1],
        d.count[2],      d.count[3],      d.count[4],      d.count[5],      d.count[6],      d.count[7],
        d.count[8],      d.count[9],      0,               0,               0,               0,
        d.airLoss,       d.speedStep,     d.refill,        d.energyCap,     -d.moodYLimit};
    EXPECT_EQ(fields[c.line - 1], c.value);
  }
  // Frames past the sheet are found before the sheet is drawn from.
  SwimmerData d;
  std::string why;
  ASSERT_TRUE(Parse(Replace(kSample, 10, "185"), &d, &why));
  EXPECT_FALSE(CheckSwimmerFrames(d, swimassets::kSwimmerFrames, &why));
  EXPECT_NE(why.find("animation 10"), std::string::npos) << why;
}

TEST(SwimData, GeneratedFilesLoadAndAMissingOneGivesTheDefault) {
  const std::string root = kGameData + "/data/";
  ASSERT_TRUE(std::filesystem::exists(root + "data/slob.swd")) << "made by the gamedata target";
  for (const char* f : swimassets::kSwimmerData) {
    SwimmerData d;
    std::string why;
    std::string path = root + f;
    for (char& c : path) c = c == '\\' ? '/' : c;
    EXPECT_TRUE(LoadSwimmerData(path.c_str(), &d, &why)) << f << ": " << why;
    EXPECT_TRUE(CheckSwimmerFrames(d, swimassets::kSwimmerFrames, &why)) << f << ": " << why;
  }
  SwimmerData d;
  std::string why;
  EXPECT_FALSE(LoadSwimmerData((root + "data/nobody.swd").c_str(), &d, &why));
  EXPECT_FALSE(why.empty());
  const SwimmerData def = DefaultSwimmerData();
  EXPECT_EQ(std::memcmp(&d, &def, sizeof d), 0);
}
