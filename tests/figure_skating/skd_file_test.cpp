// The skater data reader: good files of either line ending, the loose lines
// the files have always been read with, the values that would break the game
// refused (never read past, never created), and the six generated files
// describing the sheets drawn for them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/paths.h"
#include "events/figure_skating/figure_skating_data.h"
#include "events/figure_skating/skd_file.h"
#include "graphics/sprite.h"

namespace fs = std::filesystem;

namespace {

const std::string kGameData = std::string(KEL_BINARY_DIR) + "/gamedata";

std::vector<int> GoodValues() {
  std::vector<int> v = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  for (int i = 0; i < 11; ++i) v.push_back(1 + 64 * i);
  for (int i = 0; i < 11; ++i) v.push_back(8);
  for (int x : {36, 78, 100, 5}) v.push_back(x);
  return v;
}

std::string Lines(const std::vector<int>& v, const char* eol = "\n") {
  std::string s;
  for (int x : v) s += std::to_string(x) + eol;
  return s;
}

uint32_t Parse(const std::string& s, SkaterData* d, int* line = nullptr) {
  return ParseSkd(reinterpret_cast<const uint8_t*>(s.data()), s.size(), d, line);
}

TEST(SkdFile, ReadsTheValuesIntoTheirFields) {
  for (const char* eol : {"\n", "\r\n"}) {
    SkaterData d;
    ASSERT_EQ(Parse(Lines(GoodValues(), eol), &d), kSkdOk) << "line end " << (eol[0] == '\r' ? "CRLF" : "LF");
    EXPECT_EQ(d.animationOfAction[7], 7);
    EXPECT_EQ(d.firstFrame[10], 641);
    EXPECT_EQ(d.framesPerDirection[3], 8);
    EXPECT_EQ(d.anchorX, 36);
    EXPECT_EQ(d.anchorY, 78);
    EXPECT_EQ(d.maxEnergy, 100);
    EXPECT_EQ(d.topSpeed, 5);
    int32_t back[kSkdValues];
    SkdToValues(d, back);
    EXPECT_EQ(std::vector<int>(back, back + kSkdValues), GoodValues());
  }
  // The odd lines the files have always been read with: a blank before the
  // digits, a sign, an empty line for 0 (an anchor may be 0), no line end
  // after the last value, blank lines after it; two actions may share one
  // animation.
  std::vector<int> v = GoodValues();
  v[4] = 0;
  SkaterData d;
  const std::string s = Lines(std::vector<int>(v.begin(), v.begin() + 33)) + "\n  -3 \r\n 7\n+5";
  ASSERT_EQ(Parse(s, &d), kSkdOk);
  EXPECT_EQ(d.anchorX, 0);
  EXPECT_EQ(d.anchorY, -3);
  EXPECT_EQ(d.maxEnergy, 7);
  EXPECT_EQ(d.topSpeed, 5);
  EXPECT_EQ(d.animationOfAction[4], 0);
  ASSERT_EQ(Parse(s + "\n\n  \r\n", &d), kSkdOk) << "blank lines after the last value";
}

// The files are read as they always have been: what a line holds after its
// number, an empty line, a short file or lines past the 37th play; only a
// value that would break the game is refused, with its line.
TEST(SkdFile, ReadsLooseFilesAndRefusesOnlyValuesThatBreakTheGame) {
  const std::vector<int> good = GoodValues();
  auto with = [&](int line, const std::string& text) {
    std::string s;
    for (int i = 0; i < kSkdValues; ++i) s += (i == line ? text : std::to_string(good[i])) + "\n";
    return s;
  };
  auto first = [&](int n) { return Lines(std::vector<int>(good.begin(), good.begin() + n)); };
  struct Case {
    std::string file;
    uint32_t error;
    int line;   // refused: the line at fault; taken: the line whose value is checked (1-based)
    int value;  // taken: the value that line reads as
  } cases[] = {
      // Taken.
      {with(36, "5x"), kSkdOk, 37, 5},
      {with(36, "7 ; speed"), kSkdOk, 37, 7},
      {with(33, "12abc"), kSkdOk, 34, 12},
      {with(33, "abc"), kSkdOk, 34, 0},              // no digits: 0
      {with(33, "-"), kSkdOk, 34, 0},
      {with(33, "1 2"), kSkdOk, 34, 1},
      {with(33, ""), kSkdOk, 34, 0},                 // an empty line
      {with(33, "\t-3\r"), kSkdOk, 34, -3},
      {with(33, "12345678"), kSkdOk, 34, 1234567},   // a line's first seven characters
      {with(33, std::string(5000, '7')), kSkdOk, 34, 7777777},
      {with(22, "0"), kSkdOk, 23, 0},                // an animation that stands still
      {with(33, "5000"), kSkdOk, 34, 5000},          // an anchor far off: drawn off the screen
      {with(35, "-40"), kSkdOk, 36, -40},
      {first(36), kSkdOk, 37, 0},                    // ends early: the top speed, set when play starts
      {with(36, "0"), kSkdOk, 37, 0},
      {with(0, "1x1"), kSkdOk, 1, 1},
      {Lines(good) + "12\nwhatever\n", kSkdOk, 37, 5},  // lines past the 37th are not read
      // Refused: the value would break the game.
      {"", kSkdErrFrame, 12, 0},                     // 37 zeros: frame 0 is in no sprite
      {first(11), kSkdErrFrame, 12, 0},              // ends early: animations from frame 0
      {first(35), kSkdErrEnergy, 36, 0},             // ends early: no maximum energy
      {with(35, "0"), kSkdErrEnergy, 36, 0},         // the results divide by it
      {with(35, "none"), kSkdErrEnergy, 36, 0},
      {with(2, "11"), kSkdErrAnimation, 3, 0},       // the animation tables hold 11
      {with(0, "-1"), kSkdErrAnimation, 1, 0},
      {with(11, "0"), kSkdErrFrame, 12, 0},          // frames count from 1
      {with(22, "-1"), kSkdErrFrame, 23, 0},         // directions before the first frame
      {with(12, "65530"), kSkdErrFrame, 24, 0},      // runs past the last frame a sheet can hold
      {with(11, "65536"), kSkdErrFrame, 12, 0},
      {std::string("\0\0\0\0", 4), kSkdErrFrame, 12, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file.substr(0, 40));
    SkaterData d;
    d.maxEnergy = 77;
    int line = -1;
    ASSERT_EQ(Parse(c.file, &d, &line), c.error) << SkdErrorText(c.error);
    if (c.error != kSkdOk) {
      EXPECT_EQ(line, c.line);
      EXPECT_EQ(d.maxEnergy, 77) << "a refused file changes nothing";
      continue;
    }
    EXPECT_EQ(line, 0);
    int32_t values[kSkdValues];
    SkdToValues(d, values);
    EXPECT_EQ(values[c.line - 1], c.value);
  }
}

TEST(SkdFile, AMissingFileIsNotCreated) {
  const fs::path dir = fs::path(KEL_BINARY_DIR) / "skd-missing";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string path = (dir / "Slob.skd").string();
  SkaterData d;
  EXPECT_EQ(LoadSkdFile(path.c_str(), &d), kSkdErrOpen);
  EXPECT_FALSE(fs::exists(path)) << "reading never makes a data file";
  EXPECT_EQ(LoadSkdFile(nullptr, &d), kSkdErrOpen);
  // A good file is read and left as it was.
  const std::string text = Lines(GoodValues(), "\r\n");
  std::ofstream(path, std::ios::binary) << text;
  const auto stamp = fs::last_write_time(path);
  ASSERT_EQ(LoadSkdFile(path.c_str(), &d), kSkdOk);
  EXPECT_EQ(d.topSpeed, 5);
  EXPECT_EQ(fs::file_size(path), text.size());
  EXPECT_EQ(fs::last_write_time(path), stamp);
  fs::remove_all(dir);
}

TEST(SkdFile, GeneratedFilesDescribeTheGeneratedSheets) {
  ASSERT_TRUE(fs::exists(kGameData + "/data/data/slob.skd")) << "made by the gamedata target";
  using namespace skateassets;
  for (int c = 0; c < kCharacters; ++c) {
    SCOPED_TRACE(kSkdFile[c]);
    SkaterData d;
    const std::string path = ResolvePath(JoinPath(kGameData + "/data", kSkdFile[c]));
    ASSERT_EQ(LoadSkdFile(path.c_str(), &d), kSkdOk);
    const SkaterLayout& L = LayoutOf(c);
    Sprite sheet(ResolvePath(JoinPath(kGameData + "/data", kSkaterSprite[c])).c_str(), 0, -1);
    ASSERT_EQ(sheet.FrameCount(), kSkaterFrames);
    for (int a = 0; a < kSkdAnimations; ++a) {
      EXPECT_EQ(d.animationOfAction[a], L.animationOfAction[a]);
      EXPECT_EQ(d.firstFrame[a], L.firstFrame[a]);
      EXPECT_EQ(d.framesPerDirection[a], L.framesPerDirection[a]);
      // Every direction's frames are in the sheet.
      EXPECT_LE(d.firstFrame[a] + 8 * d.framesPerDirection[a] - 1, sheet.FrameCount()) << "animation " << a;
    }
    EXPECT_EQ(d.anchorX, kSkaterW / 2);
    EXPECT_GT(d.maxEnergy, 0);
    EXPECT_EQ(d.topSpeed, kTopSpeed[c]);
    // No two animations share a frame.
    std::vector<int> owner(kSkaterFrames + 1, -1);
    for (int a = 0; a < kSkdAnimations; ++a)
      for (int f = d.firstFrame[a]; f < d.firstFrame[a] + 8 * d.framesPerDirection[a]; ++f) {
        EXPECT_EQ(owner[f], -1) << "frame " << f;
        owner[f] = a;
      }
    if (c == 4) {
      // The frames RADEROZI's jumps name directly are airborne frames.
      for (int f = 547; f <= 600; ++f) EXPECT_TRUE(owner[f] == 8 || owner[f] == 10) << f;
    }
    if (c == 5) {
      // ZOVI's lead-in frames come before each jump.
      for (int a = 8; a <= 10; ++a) {
        EXPECT_GE(d.firstFrame[a], 18);
        EXPECT_EQ(owner[d.firstFrame[a] - 16], -1);
        EXPECT_EQ(owner[d.firstFrame[a] - 15], -1);
      }
    }
  }
}

}  // namespace
