// The settings store against the files players and their machines leave
// behind: marks, comments, links, files too large, full disks, FIFOs.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/atomic_file.h"
#include "base/debug.h"
#include "base/mem_block.h"
#include "base/pkc.h"
#include "base/registry.h"
#include "tests/support/fifo_watch.h"

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Spit(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary | std::ios::trunc) << text;
}

class SettingsFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "kel_settings_XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    path_ = dir_ / "settings.ini";
    RegSetStorePath(path_.string());
    oldSink_ = SetDebugSink([this](const std::string& line) { reports_.push_back(line); });
  }
  void TearDown() override {
    SetDebugSink(oldSink_);
    RegSetStorePath("");
    fs::remove_all(dir_);
  }
  // The reports that name the store's path.
  std::vector<std::string> Reports() const {
    std::vector<std::string> out;
    for (const std::string& r : reports_)
      if (r.find(path_.string()) != std::string::npos) out.push_back(r);
    return out;
  }
  fs::path dir_, path_;
  std::vector<std::string> reports_;
  DebugSink oldSink_;
};

// A rewrite changes the lines of the values it writes and nothing else.
TEST_F(SettingsFiles, RewriteKeepsWhatItDoesNotUnderstandInPlace) {
  const std::string bom = "\xEF\xBB\xBF";
  struct Case {
    const char* what;
    std::string before;
    int volumeRead;  // VOLUME as read from `before` (-1: not there)
    std::string after;  // the file once VOLUME=3 is written
  } cases[] = {
      {"byte-order mark before the first section", bom + "[CONFIG]\nVOLUME=5\nDATAPATH=x/\n", 5,
       bom + "[CONFIG]\nVOLUME=3\nDATAPATH=x/\n"},
      {"comments, unknown lines and sections",
       "; my own notes\n[CONFIG]\n# keep me\nVOLUME = 5 \nwhat is this\n\n[MODS]\nSPEED=11\n", 5,
       "; my own notes\n[CONFIG]\n# keep me\nVOLUME=3\nwhat is this\n\n[MODS]\nSPEED=11\n"},
      {"a new value goes after its section's last value, not at the end",
       "[CONFIG]\nA=1\n; the records\n[HALLOFFAME]\nResult1=12", -1,
       "[CONFIG]\nA=1\nVOLUME=3\n; the records\n[HALLOFFAME]\nResult1=12"},
      {"the last line without a line break",
       "[HALLOFFAME]\nResult1=12\n[CONFIG]\nA=1", -1,
       "[HALLOFFAME]\nResult1=12\n[CONFIG]\nA=1\nVOLUME=3\n"},
      {"Windows line ends and the name's own spelling",
       "[Config]\r\nVolume=5\r\nB=2\r\n", 5, "[Config]\r\nVolume=3\r\nB=2\r\n"},
      {"a damaged header: its values are not ours, they stay",
       "[CONFIG\nVOLUME=9\n", -1, "[CONFIG\nVOLUME=9\n\n[CONFIG]\nVOLUME=3\n"},
      {"the same value twice: the later is read and rewritten",
       "[CONFIG]\nVOLUME=1\nVOLUME=5\n", 5, "[CONFIG]\nVOLUME=1\nVOLUME=3\n"},
      {"a section in parts: the later part's value is read and rewritten, other sections' are not",
       "[CONFIG]\nVOLUME=5\n[MODS]\nVOLUME=8\n[ Config ]\nVOLUME=6\nB=2\n[HALLOFFAME]\nVOLUME=7\n", 6,
       "[CONFIG]\nVOLUME=5\n[MODS]\nVOLUME=8\n[ Config ]\nVOLUME=3\nB=2\n[HALLOFFAME]\nVOLUME=7\n"},
      {"a section in parts: a new value goes after the last part's last value",
       "[CONFIG]\nA=1\n[MODS]\nX=1\n[config]\nB=2\n; end\n[HALLOFFAME]\n", -1,
       "[CONFIG]\nA=1\n[MODS]\nX=1\n[config]\nB=2\nVOLUME=3\n; end\n[HALLOFFAME]\n"},
      {"a damaged line that starts like a header does not end the section",
       std::string("[CONFIG]\n[MODS\0]\nVOLUME=5\n", 26), 5, std::string("[CONFIG]\n[MODS\0]\nVOLUME=3\n", 26)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Spit(path_, c.before);
    RegSetStorePath(path_.string());  // the file was written in place: forget it
    EXPECT_EQ(RegReadInt(kRegConfig, "VOLUME", -1), c.volumeRead);
    ASSERT_TRUE(RegWriteInt(kRegConfig, "VOLUME", 3));
    EXPECT_EQ(Slurp(path_), c.after);
    EXPECT_EQ(RegReadInt(kRegConfig, "volume", -1), 3);
    // Written again unchanged: the file is left alone.
    ASSERT_TRUE(RegWriteInt(kRegConfig, "VOLUME", 3));
    EXPECT_EQ(Slurp(path_), c.after);
  }
  EXPECT_TRUE(Reports().empty());
}

// A file changed behind the game's back is read again; one left alone is not.
TEST_F(SettingsFiles, ReadsFollowTheFileOnDisk) {
  Spit(path_, "[CONFIG]\nVOLUME=5\n");
  EXPECT_EQ(RegReadInt(kRegConfig, "VOLUME", -1), 5);
  Spit(path_, "[CONFIG]\nVOLUME=6\nNEW=1\n");
  EXPECT_EQ(RegReadInt(kRegConfig, "VOLUME", -1), 6);
  fs::remove(path_);
  EXPECT_EQ(RegReadInt(kRegConfig, "VOLUME", -1), -1);
}

// The settings file may be a link into a dotfiles folder: the link stays and
// the file it names gets the new values.
TEST_F(SettingsFiles, SymbolicLinkKeepsPointingAtItsTarget) {
  fs::create_directory(dir_ / "dotfiles");
  Spit(dir_ / "dotfiles" / "kel.ini", "; shared\n[CONFIG]\nVOLUME=5\n");
  fs::create_symlink("dotfiles/kel.ini", path_);
  EXPECT_EQ(RegReadInt(kRegConfig, "VOLUME", -1), 5);
  ASSERT_TRUE(RegWriteInt(kRegConfig, "VOLUME", 2));
  EXPECT_TRUE(fs::is_symlink(path_));
  EXPECT_EQ(Slurp(dir_ / "dotfiles" / "kel.ini"), "; shared\n[CONFIG]\nVOLUME=2\n");
  EXPECT_FALSE(fs::exists(dir_ / "settings.ini.tmp"));
  // A link to a file not made yet: the file is made where the link points.
  fs::remove(path_);
  fs::create_symlink("dotfiles/new.ini", path_);
  ASSERT_TRUE(RegWriteInt(kRegConfig, "VOLUME", 4));
  EXPECT_TRUE(fs::is_symlink(path_));
  EXPECT_EQ(RegReadInt(kRegConfig, "VOLUME", -1), 4);
  EXPECT_NE(Slurp(dir_ / "dotfiles" / "new.ini").find("VOLUME=4"), std::string::npos);
}

// A link into a folder that does not exist (a dotfiles folder not there on
// this machine, a link left from another one) is not a place the game may
// make folders: nothing is made on the way, the link stays as it was, the
// player is told once where and why, and the values the game holds stay.
TEST_F(SettingsFiles, LinkIntoAMissingFolderMakesNothing) {
  const fs::path outside = dir_ / "elsewhere";
  struct Case {
    const char* what;
    fs::path link;  // what settings.ini points at
    fs::path made;  // what must not appear
  } cases[] = {
      {"relative link", "missing/deeper/kel.ini", dir_ / "missing"},
      {"absolute link", outside / "a" / "b" / "kel.ini", outside},
      {"link to a link into a missing folder", "second.ini", dir_ / "gone"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    reports_.clear();
    fs::remove(path_);
    fs::remove(dir_ / "second.ini");
    RegSetStorePath(path_.string());
    fs::create_symlink(c.link, path_);
    if (c.link == "second.ini") fs::create_symlink("gone/kel.ini", dir_ / "second.ini");
    EXPECT_EQ(RegReadInt(kRegConfig, "VOLUME", -1), -1);
    EXPECT_FALSE(RegWriteInt(kRegConfig, "VOLUME", 3));
    EXPECT_FALSE(RegWriteValues(kRegConfig, {RegIntValue("A", 1)}));
    EXPECT_FALSE(fs::exists(c.made)) << c.made;
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_EQ(fs::read_symlink(path_), c.link);
    EXPECT_FALSE(fs::exists(AtomicTempPath(path_.string())));
    EXPECT_EQ(RegReadInt(kRegConfig, "VOLUME", -1), -1);
    const std::vector<std::string> reports = Reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("not saved"), std::string::npos) << reports[0];
    EXPECT_NE(reports[0].find("folder does not exist"), std::string::npos) << reports[0];
  }
  // Mended by the player (the folder made): the same link is written through.
  fs::create_directories(dir_ / "gone");
  ASSERT_TRUE(RegWriteInt(kRegConfig, "VOLUME", 3));
  EXPECT_TRUE(fs::is_symlink(path_));
  EXPECT_EQ(Slurp(dir_ / "gone" / "kel.ini"), "; Kelvanthrop settings, written by the game.\n\n[CONFIG]\nVOLUME=3\n");
  // The store's own folder, not made yet, is the game's to make.
  const fs::path own = dir_ / "config" / "kelvanthrop" / "settings.ini";
  RegSetStorePath(own.string());
  ASSERT_TRUE(RegWriteInt(kRegConfig, "VOLUME", 2));
  EXPECT_EQ(RegReadInt(kRegConfig, "VOLUME", -1), 2);
  EXPECT_TRUE(fs::is_regular_file(own));
}

// A store that cannot be read is never replaced, and the player is told once
// (not at every read or write) where it is and why.
TEST_F(SettingsFiles, RefusalsAreReportedOnceWithPathAndReason) {
  struct Case {
    const char* what;
    const char* reason;
  } cases[] = {{"larger than the 1 MiB a settings file may have", "larger than 1048576 bytes"},
               {"a directory", "a directory"},
               {"a FIFO", "not a regular file"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    reports_.clear();
    fs::remove_all(path_);
    std::unique_ptr<FifoWatch> fifo;
    std::string before;
    if (std::string(c.what) == "a FIFO") {
      fifo = std::make_unique<FifoWatch>(path_.string());
      ASSERT_TRUE(fifo->made());
    } else if (std::string(c.what) == "a directory") {
      fs::create_directory(path_);
    } else {
      before = "[CONFIG]\nVOLUME=5\n" + std::string(2 << 20, ';');
      Spit(path_, before);
    }
    EXPECT_EQ(RegReadInt(kRegConfig, "VOLUME", -1), -1);
    EXPECT_FALSE(RegWriteInt(kRegConfig, "VOLUME", 3));
    EXPECT_FALSE(RegWriteValues(kRegConfig, {RegIntValue("A", 1)}));
    EXPECT_EQ(RegReadInt(kRegConfig, "VOLUME", -1), -1);
    if (!before.empty()) {
      EXPECT_EQ(Slurp(path_), before);
    }
    if (fifo) {
      EXPECT_FALSE(fifo->unblocked()) << "the settings store waited on the FIFO";
    }
    const std::vector<std::string> reports = Reports();
    ASSERT_EQ(reports.size(), 2u);  // the read, then the refused writes
    for (const std::string& r : reports) EXPECT_NE(r.find(c.reason), std::string::npos) << r;
    EXPECT_NE(reports[1].find("not saved"), std::string::npos) << reports[1];
  }
}

// A write that fails on the way (here the file size limit stands in for a
// full disk) keeps the old file whole and says so, once.
TEST_F(SettingsFiles, FailedWriteIsReportedAndKeepsTheOldFile) {
  const std::string before = "[CONFIG]\nVOLUME=5\n";
  Spit(path_, before);
  EXPECT_EQ(RegReadInt(kRegConfig, "VOLUME", -1), 5);
  struct rlimit old;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = 8;
  auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool first = RegWriteString(kRegConfig, "DATAPATH", "a path longer than eight bytes/");
  const bool second = RegWriteInt(kRegConfig, "VOLUME", 1);
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(first);
  EXPECT_FALSE(second);
  EXPECT_EQ(Slurp(path_), before);
  EXPECT_FALSE(fs::exists(AtomicTempPath(path_.string())));
  EXPECT_EQ(RegReadInt(kRegConfig, "VOLUME", -1), 5);
  const std::vector<std::string> reports = Reports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("not saved"), std::string::npos) << reports[0];
  EXPECT_NE(reports[0].find("too large"), std::string::npos) << reports[0];
  // With room again, the next write goes through.
  EXPECT_TRUE(RegWriteInt(kRegConfig, "VOLUME", 1));
  EXPECT_EQ(RegReadInt(kRegConfig, "VOLUME", -1), 1);
}

// Data files and the file reader underneath the settings store: a FIFO or a
// device where a file should be is refused at once.
TEST(FileReads, NonRegularFilesNeverBlock) {
  std::string tmpl = (fs::temp_directory_path() / "kel_fifo_XXXXXX").string();
  ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
  const fs::path dir = tmpl;
  const std::string fifoPath = (dir / "data.pkc").string();
  {
    FifoWatch fifo(fifoPath);
    ASSERT_TRUE(fifo.made());
    EXPECT_EQ(PkcOpen(fifoPath.c_str()), nullptr);
    EXPECT_EQ(PkcGetLastError(), kPkcErrOpen);
    MappedFileMemBlock mapped(fifoPath);
    EXPECT_FALSE(mapped.IsValid());
    std::string text, why;
    EXPECT_FALSE(ReadWholeFile(fifoPath, &text, 100, &why));
    EXPECT_EQ(why, "not a regular file");
    EXPECT_FALSE(fifo.unblocked()) << "a reader waited on the FIFO";
  }
  std::string text, why;
  EXPECT_FALSE(ReadWholeFile("/dev/zero", &text, 100, &why));
  EXPECT_EQ(why, "not a regular file");
  EXPECT_FALSE(ReadWholeFile((dir / "missing").string(), &text, 100, &why));
  EXPECT_EQ(why, "no such file");
  fs::remove_all(dir);
}

}  // namespace
