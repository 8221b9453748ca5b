#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/atomic_file.h"
#include "base/mem_block.h"
#include "base/player_records.h"
#include "base/registry.h"

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

fs::path MakeTempDir(const char* stem) {
  std::string tmpl = (fs::temp_directory_path() / (std::string(stem) + "_XXXXXX")).string();
  EXPECT_NE(::mkdtemp(tmpl.data()), nullptr);
  return tmpl;
}

// ---------------------------------------------------------------- records

TEST(PlayerRecord, EncodesEveryFieldAtItsOffsetLittleEndian) {
  PlayerRecord r{};
  r.country = 13;
  SetPlayerName(&r, "ABCDEFGHIJKLMN");  // cut to 10
  r.human = 1;
  r.character = 5;
  r.money = 0x01020304;
  r.points = 24;
  r.place = -1;
  r.powerPills = 32;
  r.weaponUnits = 36;
  r.energy = 40;
  r.strength = 44;
  r.speed = 48;
  r.endurance = 52;
  r.weaponPower = 56;
  r.reserved60 = 60;
  r.result = -64;
  uint8_t b[kPlayerRecordSize];
  std::memset(b, 0xEE, sizeof b);
  EncodePlayerRecord(r, b);
  auto i32 = [&](int at) {
    return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                static_cast<uint32_t>(b[at + 3]) << 24);
  };
  EXPECT_EQ(i32(0), 13);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b + 4)), "ABCDEFGHIJ");
  EXPECT_EQ(b[14], 0);
  EXPECT_EQ(b[15], 1);
  EXPECT_EQ(b[20], 0x04);  // least significant byte first
  EXPECT_EQ(i32(20), 0x01020304);
  struct Field {
    int offset;
    int32_t value;
  } fields[] = {{16, 5},  {24, 24}, {28, -1}, {32, 32}, {36, 36}, {40, 40}, {44, 44},
                {48, 48}, {52, 52}, {56, 56}, {60, 60}, {64, -64}};
  for (const Field& f : fields) EXPECT_EQ(i32(f.offset), f.value) << f.offset;

  PlayerRecord back{};
  DecodePlayerRecord(b, &back);
  EXPECT_EQ(std::memcmp(&back, &r, sizeof r), 0);
}

TEST(PlayerRecord, DecodeAlwaysTerminatesTheName) {
  uint8_t b[kPlayerRecordSize];
  std::memset(b, 'Z', sizeof b);
  PlayerRecord r{};
  DecodePlayerRecord(b, &r);
  EXPECT_EQ(std::strlen(r.name), 10u);
}

TEST(PlayerRecord, StartValuesByCharacter) {
  struct Row {
    int character;
    int32_t energy, strength, speed, endurance, weaponPower;
  } rows[] = {
      {0, 60, 40, 20, 70, 100}, {1, 50, 35, 65, 40, 50}, {2, 60, 60, 40, 30, 100},
      {3, 55, 35, 50, 50, 100}, {4, 50, 40, 50, 50, 100}, {5, 60, 30, 30, 70, 150},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.character);
    PlayerRecord r{};
    r.money = 999;
    r.points = 7;
    r.human = 0;  // a computer player is filled like any other
    InitPlayerRecord(&r, row.character);
    EXPECT_EQ(r.character, row.character);
    EXPECT_EQ(r.money, 0);
    EXPECT_EQ(r.points, 0);
    EXPECT_EQ(r.powerPills, 1);
    EXPECT_EQ(r.weaponUnits, 20);
    EXPECT_EQ(r.energy, row.energy);
    EXPECT_EQ(r.strength, row.strength);
    EXPECT_EQ(r.speed, row.speed);
    EXPECT_EQ(r.endurance, row.endurance);
    EXPECT_EQ(r.weaponPower, row.weaponPower);
    EXPECT_EQ(r.human, 0);
  }
  PlayerRecord r{};
  InitPlayerRecord(&r, 9);
  EXPECT_EQ(r.character, 0);
  EXPECT_EQ(r.energy, 60);
}

// ---------------------------------------------------------------- registry

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTempDir("kel_reg");
    path_ = dir_ / "sub" / "settings.ini";
    RegSetStorePath(path_.string());
  }
  void TearDown() override {
    RegSetStorePath("");
    fs::remove_all(dir_);
  }
  uint64_t Inode() const {
    struct stat st;
    return ::stat(path_.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_ino) : 0;
  }
  fs::path dir_, path_;
};

TEST_F(RegistryTest, RoundTripWithNamesInAnyCase) {
  EXPECT_FALSE(RegHasValue(kRegConfig, "DATAPATH"));
  EXPECT_EQ(RegReadInt(kRegConfig, "VOLUME", -7), -7);
  ASSERT_TRUE(RegWriteString(kRegConfig, "DATAPATH", "C:\\Games\\Data\\"));
  ASSERT_TRUE(RegWriteInt(kRegConfig, "VOLUME", -1200));
  ASSERT_TRUE(RegWriteString(kRegHallOfFame, "RecName3", "ZOVI"));
  ASSERT_TRUE(RegWriteInt(kRegHallOfFame, "Result1", 87));

  char buf[64];
  EXPECT_TRUE(RegReadString("config", "datapath", buf, sizeof buf));
  EXPECT_STREQ(buf, "C:\\Games\\Data\\");
  EXPECT_EQ(RegReadInt(kRegConfig, "volume", 0), -1200);
  // Written as "Rec...Name", read as "REC...NAME".
  EXPECT_TRUE(RegReadString(kRegHallOfFame, "RECNAME3", buf, sizeof buf));
  EXPECT_STREQ(buf, "ZOVI");
  EXPECT_EQ(RegReadInt(kRegHallOfFame, "RESULT1", 0), 87);
  // Values are kept per key.
  EXPECT_FALSE(RegHasValue(kRegConfig, "Result1"));

  // Rewriting under another case replaces the one value.
  ASSERT_TRUE(RegWriteInt(kRegConfig, "Volume", 0));
  EXPECT_EQ(RegReadInt(kRegConfig, "VOLUME", -1), 0);
  std::string text = Slurp(path_);
  EXPECT_EQ(text.find("Volume"), std::string::npos) << text;  // the first spelling stays
  EXPECT_NE(text.find("[CONFIG]"), std::string::npos);
  EXPECT_NE(text.find("VOLUME=0\n"), std::string::npos);
}

TEST_F(RegistryTest, ReadsAreBoundedByTheCallersBuffer) {
  ASSERT_TRUE(RegWriteString(kRegHallOfFame, "PlayerName1", "A NAME FAR LONGER THAN SIXTEEN"));
  char field[16];
  char guard[8];
  std::memset(guard, 0x5A, sizeof guard);
  EXPECT_TRUE(RegReadString(kRegHallOfFame, "PlayerName1", field, sizeof field));
  EXPECT_STREQ(field, "A NAME FAR LONG");
  for (char g : guard) EXPECT_EQ(g, 0x5A);
  EXPECT_TRUE(RegReadString(kRegHallOfFame, "PlayerName1", field, 1));
  EXPECT_STREQ(field, "");
  EXPECT_FALSE(RegReadString(kRegHallOfFame, "PlayerName2", field, sizeof field));
  EXPECT_STREQ(field, "");
}

TEST_F(RegistryTest, OddValuesSurviveTheFile) {
  const char* values[] = {"", " leading and trailing ", "line\nbreak", "\"quoted\"", "tab\there",
                          "a=b;c#d[e]", "\xE9t\xE9"};
  for (const char* v : values) {
    SCOPED_TRACE(v);
    ASSERT_TRUE(RegWriteString(kRegConfig, "ODD", v));
    char buf[128];
    ASSERT_TRUE(RegReadString(kRegConfig, "odd", buf, sizeof buf));
    EXPECT_STREQ(buf, v);
  }
  // Names that could not be read back are refused.
  EXPECT_FALSE(RegWriteString(kRegConfig, "A=B", "x"));
  EXPECT_FALSE(RegWriteString(kRegConfig, "", "x"));
  EXPECT_FALSE(RegWriteString("BAD]KEY", "X", "x"));
  EXPECT_FALSE(RegWriteString(kRegConfig, nullptr, "x"));
}

TEST_F(RegistryTest, NumbersFallBackToTheDefault) {
  struct Case {
    const char* text;
    int want;
  } cases[] = {{"42", 42}, {" 17 ", 17}, {"-5", -5}, {"12abc", 99}, {"", 99},
               {"abc", 99}, {"99999999999", 99}, {"2147483647", 2147483647}};
  for (const Case& c : cases) {
    ASSERT_TRUE(RegWriteString(kRegConfig, "N", c.text));
    EXPECT_EQ(RegReadInt(kRegConfig, "N", 99), c.want) << c.text;
  }
}

TEST_F(RegistryTest, DamagedFileIsReadAsFarAsItMakesSense) {
  using namespace std::string_literals;  // the junk holds a zero byte
  fs::create_directories(path_.parent_path());
  std::string junk =
      "garbage before any section\n"
      "[CONFIG\n"
      "LOST=1\n"
      "[config]\r\n"
      "VOLUME = -300 \r\n"
      "no equals sign\n"
      "=no name\n"
      "BIN\x01NAME=2\n"
      "EMBEDDED=a\0b\n"
      "VOLUME=-400\n"
      "[HALLOFFAME]\n"
      "Result1=12"s;
  junk.push_back('\xFF');
  std::ofstream(path_, std::ios::binary) << junk;
  EXPECT_EQ(RegReadInt(kRegConfig, "VOLUME", 0), -400);  // the later line wins
  EXPECT_FALSE(RegHasValue(kRegConfig, "LOST"));
  EXPECT_FALSE(RegHasValue(kRegConfig, "EMBEDDED"));
  EXPECT_EQ(RegReadInt(kRegHallOfFame, "Result1", 0), 0);  // "12\xFF" is no number
  // Writing adds the one value and leaves every other byte as it was.
  ASSERT_TRUE(RegWriteInt(kRegHallOfFame, "Result2", 5));
  EXPECT_EQ(RegReadInt(kRegConfig, "VOLUME", 0), -400);
  EXPECT_EQ(Slurp(path_), junk + "\nResult2=5\n");

  // A file far too large for settings is not read at all, and a write does
  // not replace it with its one value: nothing in it is lost.
  std::ofstream(path_, std::ios::binary) << "[CONFIG]\nA=1\n" << std::string(2 << 20, ';');
  EXPECT_FALSE(RegHasValue(kRegConfig, "A"));
  const std::string big = Slurp(path_);
  EXPECT_FALSE(RegWriteInt(kRegConfig, "B", 2));
  EXPECT_EQ(Slurp(path_), big);
}

TEST_F(RegistryTest, FailedWriteLeavesTheOldFileIntact) {
  ASSERT_TRUE(RegWriteString(kRegConfig, "SAVEGAMEPATH", "saves/"));
  std::string before = Slurp(path_);
  // A write that cannot complete (its temporary file cannot be made) fails
  // without touching the store.
  std::string temp = AtomicTempPath(path_.string());
  fs::create_directory(temp);
  EXPECT_FALSE(RegWriteString(kRegConfig, "SAVEGAMEPATH", "elsewhere/"));
  EXPECT_EQ(Slurp(path_), before);
  fs::remove(temp);
  // A half-written temporary file left by a crash is never read, and the next
  // write replaces it.
  std::ofstream(temp, std::ios::binary) << "[CONFIG]\nSAVEGAMEPATH=half";
  char buf[32];
  EXPECT_TRUE(RegReadString(kRegConfig, "SAVEGAMEPATH", buf, sizeof buf));
  EXPECT_STREQ(buf, "saves/");
  EXPECT_TRUE(RegWriteString(kRegConfig, "SAVEGAMEPATH", "new/"));
  EXPECT_TRUE(RegReadString(kRegConfig, "SAVEGAMEPATH", buf, sizeof buf));
  EXPECT_STREQ(buf, "new/");
  EXPECT_FALSE(fs::exists(temp));
}

// Values go to the file together and only when one changed: the file is
// replaced (a new inode, the atomic write's rename) for a change only.
TEST_F(RegistryTest, WritesOnceAndOnlyWhenSomethingChanged) {
  std::vector<RegValue> values;
  for (int i = 0; i < 30; ++i) values.push_back(RegIntValue(("KEY" + std::to_string(i)).c_str(), i));
  ASSERT_TRUE(RegWriteValues(kRegConfig, values));
  const uint64_t first = Inode();
  for (int i = 0; i < 30; ++i) EXPECT_EQ(RegReadInt(kRegConfig, ("key" + std::to_string(i)).c_str(), -1), i);
  // The same values again, one by one or together: the file is left alone.
  ASSERT_TRUE(RegWriteValues(kRegConfig, values));
  ASSERT_TRUE(RegWriteInt(kRegConfig, "Key7", 7));
  EXPECT_EQ(Inode(), first);
  // One changed value among them: one new file with every value.
  values[12] = RegIntValue("KEY12", -12);
  ASSERT_TRUE(RegWriteValues(kRegConfig, values));
  EXPECT_NE(Inode(), first);
  EXPECT_EQ(RegReadInt(kRegConfig, "KEY12", 0), -12);
  EXPECT_EQ(RegReadInt(kRegConfig, "KEY29", 0), 29);
  // One bad name refuses the whole set: nothing of it is written.
  const std::string before = Slurp(path_);
  EXPECT_FALSE(RegWriteValues(kRegConfig, {RegIntValue("NEW", 1), RegIntValue("A=B", 2)}));
  EXPECT_EQ(Slurp(path_), before);
  // A store that cannot be read is never replaced by a set either.
  std::ofstream(path_, std::ios::binary) << "[CONFIG]\nA=1\n" << std::string(2 << 20, ';');
  const std::string big = Slurp(path_);
  EXPECT_FALSE(RegWriteValues(kRegConfig, values));
  EXPECT_EQ(Slurp(path_), big);
}

TEST(RegistryPath, FollowsTheEnvironment) {
  RegSetStorePath("");
  const char* oldOwn = std::getenv("KELVANTHROP_CONFIG_DIR");
  std::string savedOwn = oldOwn ? oldOwn : "";
  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  std::string savedXdg = oldXdg ? oldXdg : "";
  ::setenv("XDG_CONFIG_HOME", "/x/cfg", 1);
  ::unsetenv("KELVANTHROP_CONFIG_DIR");
  EXPECT_EQ(RegStorePath(), "/x/cfg/kelvanthrop/settings.ini");
  ::setenv("KELVANTHROP_CONFIG_DIR", "/y/own", 1);
  EXPECT_EQ(RegStorePath(), "/y/own/settings.ini");
  ::unsetenv("KELVANTHROP_CONFIG_DIR");
  ::unsetenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (home && *home) {
    EXPECT_EQ(RegStorePath(), std::string(home) + "/.config/kelvanthrop/settings.ini");
  }
  if (!savedOwn.empty()) ::setenv("KELVANTHROP_CONFIG_DIR", savedOwn.c_str(), 1);
  if (!savedXdg.empty()) ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
}

// ---------------------------------------------------------------- memory blocks

TEST(MemBlock, KindsSizesAndLocks) {
  uint8_t own[4] = {1, 2, 3, 4};
  BufferMemBlock buffer(own, sizeof own);
  EXPECT_EQ(buffer.GetKind(), MemBlockKind::kBuffer);
  EXPECT_TRUE(buffer.IsValid());
  EXPECT_EQ(buffer.Lock(), own);
  EXPECT_EQ(buffer.Lock(), own);
  EXPECT_EQ(buffer.GetLockCount(), 2);
  EXPECT_EQ(buffer.Unlock(), 1);
  EXPECT_EQ(buffer.Unlock(), 0);
  EXPECT_EQ(buffer.Unlock(), 0);  // never below zero

  GlobalMemBlock heap(100);
  ASSERT_TRUE(heap.IsValid());
  EXPECT_EQ(heap.GetSize(), 100u);
  EXPECT_EQ(heap.GetData()[99], 0);
  heap.GetData()[0] = 9;
  ASSERT_TRUE(heap.Resize(200));
  EXPECT_EQ(heap.GetData()[0], 9);
  EXPECT_EQ(heap.GetData()[199], 0);

  static const uint8_t blob[] = {'R', 'I', 'F', 'F'};
  RegisterResource("sounds\\Click.wav", blob, sizeof blob);
  ResourceMemBlock res("SOUNDS\\click.WAV");
  ASSERT_TRUE(res.IsValid());
  EXPECT_EQ(res.GetKind(), MemBlockKind::kResource);
  EXPECT_EQ(res.GetSize(), 4u);
  EXPECT_EQ(res.GetData(), blob);
  EXPECT_FALSE(res.IsWritable());
  UnregisterResource("sounds\\click.wav");
  EXPECT_FALSE(ResourceMemBlock("sounds\\click.wav").IsValid());
}

TEST(MemBlock, MappedFiles) {
  fs::path dir = MakeTempDir("kel_map");
  std::ofstream(dir / "Data.bin", std::ios::binary) << "mapped bytes";
  std::ofstream(dir / "empty.bin", std::ios::binary);
  {
    MappedFileMemBlock m(dir.string() + "\\DATA.BIN");
    ASSERT_TRUE(m.IsValid());
    EXPECT_EQ(m.GetKind(), MemBlockKind::kMappedFile);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.GetData()), m.GetSize()), "mapped bytes");
    MappedFileMemBlock e((dir / "empty.bin").string());
    EXPECT_TRUE(e.IsValid());
    EXPECT_EQ(e.GetSize(), 0u);
    EXPECT_FALSE(MappedFileMemBlock((dir / "missing.bin").string()).IsValid());
    EXPECT_FALSE(MappedFileMemBlock(dir.string()).IsValid());  // a directory
  }
  fs::remove_all(dir);
}

}  // namespace
