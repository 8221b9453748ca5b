// The generator's parts run side by side and write through views of one
// tree: whichever part finishes first, the files reach disk as a run of one
// part after another leaves them.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/assetgen/gen.h"
#include "tools/assetgen/jobs.h"

namespace {

using namespace assetgen;
namespace fs = std::filesystem;

std::string FreshDir(const std::string& name) {
  const std::string dir = std::string(KEL_BINARY_DIR) + "/asset-fixtures/" + name;
  fs::remove_all(dir);
  return dir;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Two parts make the same file; the later one (1) runs beside the earlier
// (0), or after it, and finishes first. Its file either follows a Has that
// found it missing (a file shared between events: the first one's stands)
// or is written outright (which replaces the earlier one's, as it would one
// after the other).
TEST(AssetOutput, ASharedFileIsTheOneARunInOrderLeaves) {
  struct Case {
    const char* name;
    bool sees;          // part 1 runs after part 0
    bool asksFirst;     // part 1 writes only when Has says it is missing
    const char* stays;  // the file at the end
  };
  const Case cases[] = {
      {"beside_shared", false, true, "earlier"},
      {"beside_outright", false, false, "later"},
      {"after_shared", true, true, "earlier"},
      {"after_outright", true, false, "later"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string dir = FreshDir(std::string("output-") + c.name);
    OutputTree tree(dir);
    Output earlier(tree, 0, {true, false});
    Output later(tree, 1, {c.sees, true});
    earlier.Write(Root::Data, "Sounds\\Shared.wav", B("earlier"));
    earlier.Write(Root::Data, "sounds\\mine.wav", B("0"));
    if (!c.sees) {
      // Beside it: part 1 finishes first and sees nothing of part 0, not
      // even once part 0's files are on disk.
      if (!c.asksFirst || !later.Has(Root::Data, "sounds\\shared.wav"))
        later.Write(Root::Data, "sounds\\shared.wav", B("later"));
      later.Write(Root::Data, "sounds\\theirs.wav", B("1"));
      EXPECT_FALSE(fs::exists(dir + "/data/sounds/theirs.wav")) << "on disk before its turn";
      earlier.Commit();
      EXPECT_FALSE(later.Has(Root::Data, "sounds\\mine.wav"));
      later.Commit();
    } else {
      earlier.Commit();
      EXPECT_TRUE(later.Has(Root::Data, "sounds\\mine.wav"));
      if (!c.asksFirst || !later.Has(Root::Data, "sounds\\shared.wav"))
        later.Write(Root::Data, "sounds\\shared.wav", B("later"));
      later.Write(Root::Data, "sounds\\theirs.wav", B("1"));
      later.Commit();
    }
    EXPECT_EQ(Read(dir + "/data/sounds/shared.wav"), c.stays);
    EXPECT_EQ(Read(dir + "/data/sounds/mine.wav"), "0");
    EXPECT_EQ(Read(dir + "/data/sounds/theirs.wav"), "1");
    EXPECT_EQ(tree.Count(), 3u);
    EXPECT_EQ(tree.WriterOf(Root::Data, "sounds\\shared.wav"), std::string(c.stays) == "earlier" ? 0 : 1);
    EXPECT_FALSE(fs::exists(dir + "/data/sounds/shared.wav.tmp"));
  }
}

// A part sees its own files at once and may replace them; a file a library
// wrote straight to disk is its alone, and one an earlier part also made
// cannot be put in order, so the run fails.
TEST(AssetOutput, OwnFilesAndFilesOnDisk) {
  const std::string dir = FreshDir("output-own");
  OutputTree tree(dir);
  Output a(tree, 0, {true, false});
  EXPECT_FALSE(a.Has(Root::Program, "x.txt"));
  a.Write(Root::Program, "x.txt", B("one"));
  EXPECT_TRUE(a.Has(Root::Program, "X.TXT"));
  a.Write(Root::Program, "x.txt", B("two"));
  const std::string clip = a.Prepare(Root::Video, "video\\clip.avi");
  std::ofstream(clip) << "clip";
  a.Adopt(Root::Video, "video\\clip.avi");
  EXPECT_THROW(a.Write(Root::Video, "video\\clip.avi", B("again")), std::runtime_error);
  a.Commit();
  EXPECT_EQ(Read(dir + "/program/x.txt"), "two");
  EXPECT_EQ(Read(dir + "/video/video/clip.avi"), "clip");

  Output b(tree, 1, {false, true});
  b.Prepare(Root::Program, "x.txt");
  b.Adopt(Root::Program, "x.txt");
  EXPECT_THROW(b.Commit(), std::runtime_error);

  std::string scratch;
  {
    Output c(tree, 1, {false, true});
    scratch = c.Scratch();
    EXPECT_TRUE(fs::is_directory(scratch));
    EXPECT_EQ(c.Scratch(), scratch);
  }
  EXPECT_FALSE(fs::exists(scratch)) << "the scratch folder outlives its part";
}

TEST(AssetJobs, ForEachRunsEveryIndexOnceAndPassesOnTheFirstFailure) {
  for (int threads : {1, 4}) {
    SCOPED_TRACE(threads);
    SetThreads(threads);
    std::vector<std::atomic<int>> runs(50);
    ForEach(50, [&](int i) { ++runs[size_t(i)]; });
    for (auto& r : runs) EXPECT_EQ(r.load(), 1);
    std::vector<int> order;
    if (threads == 1) {
      ForEach(5, [&](int i) { order.push_back(i); });
      EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    }
    try {
      ForEach(20, [](int i) {
        if (i == 7 || i == 13) throw std::runtime_error("failed " + std::to_string(i));
      });
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "failed 7");
    }
  }
  SetThreads(1);
}

}  // namespace
