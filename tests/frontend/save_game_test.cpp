// Save-game files: the 296-byte layout byte for byte, the damaged files a
// load refuses, and writes that never leave a half-written slot.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/atomic_file.h"
#include "base/paths.h"
#include "frontend/save_game.h"
#include "test_env.h"
#include "tests/support/fifo_watch.h"

namespace {

SaveGameRecord SampleGame() {
  SaveGameRecord rec;
  rec.playMode = 1;
  rec.eventIndex = 3;
  rec.trainingEvent = 0;
  for (int i = 0; i < 4; ++i) {
    PlayerRecord& p = rec.players[i];
    InitPlayerRecord(&p, i + 1);
    p.country = 3 + i;
    SetPlayerName(&p, i == 0 ? "ABCDEFGHIJ" : "CPU");
    p.human = i < 2;
    p.money = 1234 * (i + 1);
    p.points = 7 + i;
    p.place = i == 3 ? -1 : i;
    p.reserved60 = 0x01020304;
    p.result = -5 + i;
  }
  rec.localPlayers[0] = 0;
  rec.localPlayers[1] = 1;
  return rec;
}

std::vector<uint8_t> Bytes(const SaveGameRecord& rec) {
  std::vector<uint8_t> b(kSaveGameSize);
  EncodeSaveGame(rec, b.data());
  return b;
}

uint32_t U32(const std::vector<uint8_t>& b, size_t off) {
  return b[off] | b[off + 1] << 8 | b[off + 2] << 16 | static_cast<uint32_t>(b[off + 3]) << 24;
}

TEST(SaveGameFile, LayoutByteForByte) {
  SaveGameRecord rec = SampleGame();
  std::vector<uint8_t> b = Bytes(rec);
  EXPECT_EQ(U32(b, 0), 296u);
  EXPECT_EQ(U32(b, 4), 1u);
  EXPECT_EQ(U32(b, 8), 3u);
  EXPECT_EQ(U32(b, 12), 0u);
  // Player 0 at 16: country, name, human, character, money ... result.
  EXPECT_EQ(U32(b, 16), 3u);
  EXPECT_EQ(std::memcmp(&b[20], "ABCDEFGHIJ\0", 11), 0);
  EXPECT_EQ(b[31], 1);
  EXPECT_EQ(U32(b, 32), 1u);
  EXPECT_EQ(U32(b, 36), 1234u);
  EXPECT_EQ(U32(b, 44), 0u);  // place of the first
  EXPECT_EQ(U32(b, 16 + 3 * 68 + 28), 0xFFFFFFFFu);  // place -1 of the fourth
  EXPECT_EQ(U32(b, 16 + 60), 0x01020304u);
  EXPECT_EQ(U32(b, 16 + 64), static_cast<uint32_t>(-5));
  EXPECT_EQ(U32(b, 288), 0u);
  EXPECT_EQ(U32(b, 292), 1u);

  SaveGameRecord back;
  std::string why;
  ASSERT_EQ(DecodeSaveGame(b.data(), b.size(), &back, &why), kSaveOk) << why;
  EXPECT_EQ(Bytes(back), b);
}

TEST(SaveGameFile, DamagedFilesAreRefused) {
  std::vector<uint8_t> good = Bytes(SampleGame());
  struct Case {
    const char* what;
    size_t offset;  // SIZE_MAX: cut the file to `value` bytes
    int32_t value;
    SaveGameError error;
  } cases[] = {
      {"empty", SIZE_MAX, 0, kSaveWrongLength},
      {"short", SIZE_MAX, 295, kSaveWrongLength},
      {"long", SIZE_MAX, 297, kSaveWrongLength},
      {"size field", 0, 295, kSaveBadSizeField},
      {"play mode", 4, 3, kSaveBadGameField},
      {"event 0", 8, 0, kSaveBadGameField},
      {"event 11", 8, 11, kSaveBadGameField},
      {"training event", 12, 11, kSaveBadGameField},
      {"first local player", 288, 4, kSaveBadGameField},
      {"second local player", 292, -2, kSaveBadGameField},
      {"same local players in a two-player game", 292, 0, kSaveBadGameField},
      {"country", 16 + 68, 14, kSaveBadPlayer},
      {"negative country", 16 + 68, -3, kSaveBadPlayer},
      {"character", 16 + 2 * 68 + 16, 6, kSaveBadPlayer},
      {"negative character", 16 + 16, -1, kSaveBadPlayer},
      {"money", 16 + 20, -1, kSaveBadPlayer},
      {"place", 16 + 28, 4, kSaveBadPlayer},
      {"energy", 16 + 40, 101, kSaveBadPlayer},
      {"speed", 16 + 3 * 68 + 48, -10, kSaveBadPlayer},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> b = good;
    if (c.offset == SIZE_MAX) {
      b.resize(static_cast<size_t>(c.value));
    } else {
      uint32_t v = static_cast<uint32_t>(c.value);
      for (int k = 0; k < 4; ++k) b[c.offset + k] = static_cast<uint8_t>(v >> (8 * k));
    }
    SaveGameRecord out = SampleGame();
    out.eventIndex = 99;  // must stay untouched
    std::string why;
    EXPECT_EQ(DecodeSaveGame(b.data(), b.size(), &out, &why), c.error) << c.what;
    EXPECT_FALSE(why.empty()) << c.what;
    EXPECT_EQ(out.eventIndex, 99) << c.what;
  }
  // Byte fields: an unterminated name, a strange character, a bad human byte,
  // a local player who is not a person.
  struct ByteCase {
    const char* what;
    size_t offset;
    std::vector<uint8_t> bytes;
  } byteCases[] = {
      {"name without terminator", 16 + 4, std::vector<uint8_t>(11, 'A')},
      {"control character in a name", 16 + 4, {'A', 7, 0}},
      {"human byte 2", 16 + 15, {2}},
      {"the local player is the computer", 16 + 15, {0}},
  };
  for (const ByteCase& c : byteCases) {
    std::vector<uint8_t> b = good;
    std::memcpy(&b[c.offset], c.bytes.data(), c.bytes.size());
    std::string why;
    EXPECT_EQ(DecodeSaveGame(b.data(), b.size(), nullptr, &why), kSaveBadPlayer) << c.what;
  }
}

TEST(SaveGameFile, SlotsRoundTripAndInterruptedWrite) {
  ScopedFrontEndDirs dirs("saves");
  EXPECT_EQ(SaveGamePath(-1), "");
  EXPECT_EQ(SaveGamePath(5), "");
  EXPECT_NE(SaveGamePath(4).find("game4.dat"), std::string::npos);

  SaveGameRecord first = SampleGame();
  ASSERT_TRUE(WriteSaveGame(2, first));
  std::ifstream in(SaveGamePath(2), std::ios::binary);
  std::vector<uint8_t> onDisk((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(onDisk, Bytes(first)) << "the file is exactly the record";

  SaveGameRecord back;
  std::string why;
  ASSERT_EQ(ReadSaveGame(2, &back, &why), kSaveOk) << why;
  EXPECT_EQ(Bytes(back), Bytes(first));
  EXPECT_EQ(ReadSaveGame(0, &back, &why), kSaveMissing);
  EXPECT_NE(why.find("1"), std::string::npos) << why;

  // A write that cannot finish (its temporary file cannot be made) reports
  // failure and leaves the previous save of the slot whole.
  SaveGameRecord second = first;
  second.eventIndex = 7;
  std::string temp = AtomicTempPath(ResolvePath(SaveGamePath(2)));
  std::filesystem::create_directories(temp);
  std::filesystem::create_directories(std::filesystem::path(temp) / "busy");
  EXPECT_FALSE(WriteSaveGame(2, second));
  ASSERT_EQ(ReadSaveGame(2, &back, &why), kSaveOk) << why;
  EXPECT_EQ(back.eventIndex, 3);
  std::filesystem::remove_all(temp);
  ASSERT_TRUE(WriteSaveGame(2, second));
  ASSERT_EQ(ReadSaveGame(2, &back, &why), kSaveOk);
  EXPECT_EQ(back.eventIndex, 7);

  // A directory that cannot be written: failure, not success.
  g_saveGamePath = (dirs.dir() / "no" / "such" / "dir/").string().c_str();
  std::filesystem::create_directories(dirs.dir() / "no");
  std::ofstream(dirs.dir() / "no" / "such") << "a file where the directory should be";
  EXPECT_FALSE(WriteSaveGame(0, first));

  // A truncated file in a slot is refused with its length named.
  g_saveGamePath = (dirs.saves().string() + "/").c_str();
  std::ofstream(SaveGamePath(1), std::ios::binary) << std::string(100, '\0');
  EXPECT_EQ(ReadSaveGame(1, &back, &why), kSaveWrongLength);
  EXPECT_NE(why.find("100"), std::string::npos) << why;

  // A FIFO in a slot is refused at once with the reason, never waited on.
  {
    FifoWatch fifo(ResolvePath(SaveGamePath(3)));
    ASSERT_TRUE(fifo.made());
    EXPECT_EQ(ReadSaveGame(3, &back, &why), kSaveUnreadable);
    EXPECT_NE(why.find("not a regular file"), std::string::npos) << why;
    EXPECT_FALSE(fifo.unblocked()) << "the load waited on the FIFO";
  }
}

}  // namespace
