// The contestant data reader: the built-in layout written out and read back,
// the variants the files have always been read with, and damaged files
// refused with the line at fault.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "events/javelin_catch/jcd_file.h"

using namespace jc;

namespace {

std::string FileText(const JcdData& d, const char* lineEnd = "\n") {
  int32_t v[kJcdValues];
  JcdToValues(d, v);
  std::string s;
  for (int32_t x : v) s += std::to_string(x) + lineEnd;
  return s;
}

uint32_t Parse(const std::string& text, JcdData* out, int* line) {
  return ParseJcd(reinterpret_cast<const uint8_t*>(text.data()), text.size(), out, line);
}

// The text with line n (1-based) replaced.
std::string WithLine(std::string text, int n, const std::string& line) {
  size_t start = 0;
  for (int i = 1; i < n; ++i) start = text.find('\n', start) + 1;
  const size_t end = text.find('\n', start);
  return text.replace(start, end - start, line);
}

// The first n lines of the text.
std::string FirstLines(const std::string& text, int n) {
  size_t end = 0;
  for (int i = 0; i < n; ++i) end = text.find('\n', end) + 1;
  return text.substr(0, end);
}

}  // namespace

TEST(JcdFile, BuiltInLayoutReadsBackInEveryLineEnding) {
  for (int c = 0; c < 6; ++c) {
    const JcdData d = DefaultJcd(c);
    EXPECT_GT(d.maxEnergy, 0);
    for (const char* end : {"\n", "\r\n"}) {
      JcdData back;
      int line = -1;
      ASSERT_EQ(Parse(FileText(d, end), &back, &line), kJcdOk) << "line " << line;
      int32_t a[kJcdValues], b[kJcdValues];
      JcdToValues(d, a);
      JcdToValues(back, b);
      for (int i = 0; i < kJcdValues; ++i) EXPECT_EQ(a[i], b[i]) << i;
    }
  }
}

TEST(JcdFile, VariantsTheFilesHaveAlwaysBeenReadWith) {
  const std::string good = FileText(DefaultJcd(0));
  JcdData d;
  // A last line without its line end.
  ASSERT_EQ(Parse(good.substr(0, good.size() - 1), &d, nullptr), kJcdOk);
  EXPECT_EQ(d.speed, DefaultJcd(0).speed);
  // 36 lines: the step length stays 0 until the event sets it.
  ASSERT_EQ(Parse(FirstLines(good, 36), &d, nullptr), kJcdOk);
  EXPECT_EQ(d.speed, 0);
  EXPECT_EQ(d.maxEnergy, DefaultJcd(0).maxEnergy);
  // More than 37 lines: the rest is ignored, whatever it holds.
  ASSERT_EQ(Parse(good + "99\nnot a number\n", &d, nullptr), kJcdOk);
  EXPECT_EQ(d.speed, DefaultJcd(0).speed);
  // Text after a number, blanks and a sign.
  ASSERT_EQ(Parse(WithLine(WithLine(good, 34, "  +12 anchor x"), 35, "-7\t"), &d, nullptr), kJcdOk);
  EXPECT_EQ(d.anchorX, 12);
  EXPECT_EQ(d.anchorY, -7);
}

TEST(JcdFile, DamagedFilesAreRefusedWithTheLineAtFault) {
  const std::string good = FileText(DefaultJcd(3));
  const struct {
    const char* what;
    std::string text;
    uint32_t error;
    int line;
  } cases[] = {
      {"empty", "", kJcdErrLineCount, 1},
      {"35 lines", FirstLines(good, 35), kJcdErrLineCount, 36},
      {"a word", WithLine(good, 5, "five"), kJcdErrNotNumber, 5},
      {"a lone sign", WithLine(good, 12, "-"), kJcdErrNotNumber, 12},
      {"ten digits", WithLine(good, 20, "1234567890"), kJcdErrNotNumber, 20},
      {"binary", std::string("\x01\x02\x03", 3), kJcdErrNotNumber, 1},
      {"animation 11", WithLine(good, 1, "11"), kJcdErrRange, 1},
      {"negative animation", WithLine(good, 11, "-1"), kJcdErrRange, 11},
      {"first frame 0", WithLine(good, 12, "0"), kJcdErrRange, 12},
      {"no frames", WithLine(good, 23, "0"), kJcdErrRange, 23},
      {"frames past any sheet", WithLine(good, 33, "9000"), kJcdErrRange, 33},
      {"maximum energy 0", WithLine(good, 36, "0"), kJcdErrRange, 36},
      {"negative speed", WithLine(good, 37, "-4"), kJcdErrRange, 37},
      {"anchor far off", WithLine(good, 34, "100000"), kJcdErrRange, 34},
  };
  for (const auto& c : cases) {
    JcdData d = DefaultJcd(1);
    d.speed = 77;  // untouched on failure
    int line = -1;
    EXPECT_EQ(Parse(c.text, &d, &line), c.error) << c.what;
    if (c.line) {
      EXPECT_EQ(line, c.line) << c.what;
    }
    EXPECT_EQ(d.speed, 77) << c.what;
    EXPECT_STRNE(JcdErrorText(c.error), "unknown error");
  }
}

TEST(JcdFile, FilesOnDiskThroughTheDataReader) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "jcd_file_test";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "Stud.jcd").string();
  JcdData d;
  EXPECT_EQ(LoadJcdFile((dir / "missing.jcd").string().c_str(), &d), kJcdErrOpen);
  EXPECT_EQ(LoadJcdFile(nullptr, &d), kJcdErrOpen);
  JcdData want = DefaultJcd(2);
  want.maxEnergy = 120;
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  const std::string text = FileText(want);
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  ASSERT_EQ(LoadJcdFile(path.c_str(), &d), kJcdOk);
  EXPECT_EQ(d.maxEnergy, 120);
  std::filesystem::remove_all(dir);
  EXPECT_STREQ(JcdFileName(5), "data\\alien.jcd");
  EXPECT_STREQ(JcdFileName(9), "data\\Slob.jcd");
}
