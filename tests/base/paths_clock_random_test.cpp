#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/clock.h"
#include "base/paths.h"
#include "base/random.h"

namespace fs = std::filesystem;

TEST(Paths, ResolvesMixedCaseAndBackslashes) {
  fs::path root = fs::temp_directory_path() / "kel_paths_test";
  fs::remove_all(root);
  fs::create_directories(root / "menu" / "txt");
  std::ofstream(root / "menu" / "txt" / "genhelp.txt") << "x";

  std::string dir = root.string() + "/";
  std::string want = (root / "menu" / "txt" / "genhelp.txt").string();
  EXPECT_EQ(ResolvePath(dir + "Menu\\TXT\\genHelp.txt"), want);
  EXPECT_TRUE(FileExists(dir + "MENU\\txt\\GENHELP.TXT"));
  EXPECT_FALSE(FileExists(dir + "menu\\txt\\missing.txt"));
  EXPECT_FALSE(FileExists(dir + "menu\\txt"));  // a directory is not a file
  EXPECT_EQ(ResolvePath(dir + "nope\\a.txt"), dir + "nope/a.txt");
  fs::remove_all(root);
}

TEST(Clock, VirtualClockSleepAdvancesAtOnce) {
  VirtualClock vc(0xFFFFFFF0u);
  Clock* old = SetClock(&vc);
  uint32_t t0 = TimeGetTime();
  SleepMs(0x20);
  EXPECT_EQ(TimeGetTime() - t0, 0x20u);
  EXPECT_EQ(TimeGetTime(), 0x10u);  // wrapped
  SetClock(old);
}

TEST(Random, FifteenBitsDeterministicAndBounded) {
  SeedRandom(42);
  int a[5];
  for (int& v : a) v = Rand15();
  SeedRandom(42);
  for (int v : a) EXPECT_EQ(Rand15(), v);
  for (int i = 0; i < 10000; ++i) {
    int v = Rand15();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 32767);
    int r = RandomInt(7);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 7);
    double u = RandomUnit();
    EXPECT_EQ(u, LastRandomValue() / 32767.0);
  }
}
