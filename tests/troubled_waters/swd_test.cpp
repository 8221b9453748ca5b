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

TEST(SwimData, DamagedFilesAreRefusedWithAReason) {
  struct Case {
    std::string text;
    const char* what;
  };
  const std::string sample = kSample;
  const Case cases[] = {
      {"", "values"},
      {sample.substr(0, sample.size() / 2), "values"},
      {Replace(sample, 3, "eighty"), "line 3 is not a number"},
      {Replace(sample, 4, ""), "line 4 is not a number"},
      {Replace(sample, 5, "12345678"), "longer"},
      {Replace(sample, 6, "12x"), "line 6"},
      {Replace(sample, 1, "0"), "first frame"},
      {Replace(sample, 12, "-4"), "frame count"},
      {Replace(sample, 28, "0"), "energy cap"},
      {Replace(sample, 26, "9999"), "speed step"},
      {std::string(5000, '1'), "too long"},
      {std::string("1\0\n", 3) + sample, "not a number"},
  };
  for (const Case& c : cases) {
    SwimmerData d;
    std::string why;
    EXPECT_FALSE(Parse(c.text, &d, &why)) << c.what;
    EXPECT_NE(why.find(c.what), std::string::npos) << why;
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
