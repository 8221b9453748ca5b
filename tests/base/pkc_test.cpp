#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/debug.h"
#include "base/pkc.h"

#include <zlib.h>

namespace fs = std::filesystem;

namespace {

// Content that compresses but is not trivially regular: every byte position
// is distinct enough that a read from the wrong offset shows.
std::vector<uint8_t> MakeContent(size_t n) {
  std::vector<uint8_t> v(n);
  uint32_t s = 7;
  for (size_t i = 0; i < n; ++i) {
    s = s * 1103515245u + 12345u;
    v[i] = static_cast<uint8_t>((i * 7 + (i >> 9)) ^ ((s >> 24) & 3));
  }
  return v;
}

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
void Put32(std::vector<uint8_t>* b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

class PkcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "kel_pkc_XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string p = (dir_ / name).string();
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<std::streamsize>(bytes.size()));
    return p;
  }
  std::string WritePkc(const std::string& name, const std::vector<uint8_t>& content) {
    std::vector<uint8_t> image;
    EXPECT_TRUE(PkcCompressBuffer(content.data(), content.size(), &image));
    return Write(name, image);
  }
  std::vector<uint8_t> Image(const std::vector<uint8_t>& content) {
    std::vector<uint8_t> image;
    EXPECT_TRUE(PkcCompressBuffer(content.data(), content.size(), &image));
    return image;
  }

  fs::path dir_;
};

TEST_F(PkcTest, ReadsAcrossThreeBlocksAndStopsAtTheEnd) {
  std::vector<uint8_t> content = MakeContent(70000);
  std::vector<uint8_t> image = Image(content);
  EXPECT_EQ(Get32(image, 0), kPkcMagic);
  EXPECT_EQ(Get32(image, 8), 3u);  // 32768 + 32768 + 4464
  EXPECT_EQ(Get32(image, 16), 70000u);
  PkcFile* f = PkcOpen(Write("a.pkc", image).c_str());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(PkcGetKind(f), 1);
  EXPECT_EQ(PkcGetSize(f), 70000);

  EXPECT_EQ(PkcSeek(f, 30000, 0), 30000);
  std::vector<uint8_t> buf(40000);
  EXPECT_EQ(PkcRead(f, buf.data(), 40000), 40000);
  EXPECT_EQ(PkcGetLastError(), kPkcOk);
  EXPECT_EQ(0, std::memcmp(buf.data(), content.data() + 30000, 40000));
  EXPECT_EQ(PkcSeek(f, 0, 1), 70000);
  EXPECT_EQ(PkcRead(f, buf.data(), 10), 0);

  // A read past the end is cut to what is left.
  EXPECT_EQ(PkcSeek(f, -100, 2), 69900);
  EXPECT_EQ(PkcRead(f, buf.data(), 1000), 100);
  EXPECT_EQ(0, std::memcmp(buf.data(), content.data() + 69900, 100));
  EXPECT_EQ(PkcClose(f), 1);
}

// Blocks kept for reads that come back (a sprite's directory, then its
// frames) must always be the right file's: reads in a loader's order over
// two files at once, more blocks than are kept, and a file closed and
// another opened in its place (the handle's memory may well be reused).
TEST_F(PkcTest, KeptBlocksServeOnlyTheirOwnFile) {
  const size_t kSize = 100 * 32768 + 1234;  // more blocks than are ever kept
  std::vector<uint8_t> a = MakeContent(kSize), b(kSize);
  for (size_t i = 0; i < kSize; ++i) b[i] = static_cast<uint8_t>(a[i] ^ 0x5A);
  PkcFile* fa = PkcOpen(WritePkc("a.pkc", a).c_str());
  PkcFile* fb = PkcOpen(WritePkc("b.pkc", b).c_str());
  ASSERT_NE(fa, nullptr);
  ASSERT_NE(fb, nullptr);
  // Small reads spread over the files, then long reads over them again,
  // the two files in turn.
  std::vector<uint8_t> got(70000);
  for (int pass = 0; pass < 2; ++pass) {
    const size_t step = pass == 0 ? 20011 : 61001;
    const size_t len = pass == 0 ? 52 : 70000;
    for (size_t at = 0; at + len <= kSize; at += step) {
      for (auto [f, want] : {std::pair{fa, &a}, std::pair{fb, &b}}) {
        ASSERT_EQ(PkcSeek(f, static_cast<int32_t>(at), 0), static_cast<int32_t>(at));
        ASSERT_EQ(PkcRead(f, got.data(), static_cast<int32_t>(len)), static_cast<int32_t>(len));
        ASSERT_TRUE(std::equal(got.begin(), got.begin() + static_cast<ptrdiff_t>(len), want->begin() + static_cast<ptrdiff_t>(at)))
            << (f == fa ? "a" : "b") << " at " << at << " pass " << pass;
      }
    }
  }
  // Another content in a file opened after a close reads as itself.
  PkcClose(fa);
  std::vector<uint8_t> c(kSize);
  for (size_t i = 0; i < kSize; ++i) c[i] = static_cast<uint8_t>(a[i] + 1);
  PkcFile* fc = PkcOpen(WritePkc("c.pkc", c).c_str());
  ASSERT_NE(fc, nullptr);
  for (size_t at : {size_t{0}, size_t{20011}, size_t{32768 * 7 + 5}}) {
    ASSERT_EQ(PkcSeek(fc, static_cast<int32_t>(at), 0), static_cast<int32_t>(at));
    ASSERT_EQ(PkcRead(fc, got.data(), 100), 100);
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + 100, c.begin() + static_cast<ptrdiff_t>(at))) << at;
  }
  PkcClose(fb);
  PkcClose(fc);
}

TEST_F(PkcTest, SeeksToTheLimitsAndRefusesBeyondThem) {
  std::vector<uint8_t> content = MakeContent(70000);
  PkcFile* f = PkcOpen(WritePkc("a.pkc", content).c_str());
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(PkcSeek(f, 1234, 0), 1234);

  struct Case {
    int32_t offset;
    int origin;
    int32_t want;
  } cases[] = {
      {70001, 0, -1}, {-1, 0, -1}, {1, 2, -1}, {-70001, 2, -1}, {-1235, 1, -1},
      {68767, 1, -1}, {0, 3, -1},  {0, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.offset << " from " << c.origin);
    EXPECT_EQ(PkcSeek(f, c.offset, c.origin), c.want);
    EXPECT_EQ(PkcGetLastError(), kPkcErrHandle);
    EXPECT_EQ(PkcSeek(f, 0, 1), 1234);  // position unchanged
  }
  EXPECT_EQ(PkcSeek(f, 0, 2), 70000);
  EXPECT_EQ(PkcSeek(f, -70000, 2), 0);
  EXPECT_EQ(PkcSeek(f, 32768, 1), 32768);
  uint8_t b = 0;
  EXPECT_EQ(PkcRead(f, &b, 1), 1);
  EXPECT_EQ(b, content[32768]);
  PkcClose(f);
}

TEST_F(PkcTest, BlockBoundariesNeverLoadPastTheTable) {
  // Two full blocks: the end of the content is the end of block 1.
  std::vector<uint8_t> content = MakeContent(65536);
  PkcFile* f = PkcOpen(WritePkc("b.pkc", content).c_str());
  ASSERT_NE(f, nullptr);
  std::vector<uint8_t> buf(65536);
  // A read ending exactly on the block boundary, then one going on from it.
  EXPECT_EQ(PkcRead(f, buf.data(), 32768), 32768);
  EXPECT_EQ(PkcSeek(f, 0, 1), 32768);
  EXPECT_EQ(PkcRead(f, buf.data() + 32768, 32768), 32768);
  EXPECT_EQ(PkcGetLastError(), kPkcOk);
  EXPECT_EQ(buf, content);
  EXPECT_EQ(PkcRead(f, buf.data(), 1), 0);
  EXPECT_EQ(PkcGetLastError(), kPkcOk);
  // Seeking to the exact end is fine and loads nothing.
  EXPECT_EQ(PkcSeek(f, 65536, 0), 65536);
  EXPECT_EQ(PkcGetLastError(), kPkcOk);
  EXPECT_EQ(PkcRead(f, buf.data(), 1), 0);
  PkcClose(f);
}

TEST_F(PkcTest, WriterReaderRoundTrip) {
  for (size_t n : {0u, 1u, 32767u, 32768u, 32769u, 100000u}) {
    SCOPED_TRACE(n);
    std::vector<uint8_t> content = MakeContent(n);
    PkcFile* f = PkcOpen(WritePkc("r.pkc", content).c_str());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(PkcGetKind(f), 1);
    EXPECT_EQ(PkcGetSize(f), static_cast<int32_t>(n));
    std::vector<uint8_t> back(n + 10);
    EXPECT_EQ(PkcRead(f, back.data(), static_cast<int32_t>(n + 10)), static_cast<int32_t>(n));
    back.resize(n);
    EXPECT_EQ(back, content);
    PkcClose(f);
  }
}

TEST_F(PkcTest, CompressAndDecompressFiles) {
  std::vector<uint8_t> content = MakeContent(50000);
  std::string src = Write("plain.bin", content);
  std::string packed = (dir_ / "packed.pkc").string();
  std::string unpacked = (dir_ / "unpacked.bin").string();
  ASSERT_TRUE(PkcCompressFile(src.c_str(), packed.c_str()));
  ASSERT_TRUE(PkcDecompressFile(packed.c_str(), unpacked.c_str()));
  std::ifstream in(unpacked, std::ios::binary);
  std::vector<uint8_t> back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(back, content);
  EXPECT_FALSE(fs::exists(packed + ".tmp"));

  // Unpacking a file that is not a container says so and writes nothing.
  std::vector<std::string> lines;
  DebugSink old = SetDebugSink([&](const std::string& l) { lines.push_back(l); });
  std::string out2 = (dir_ / "out2.bin").string();
  EXPECT_FALSE(PkcDecompressFile(src.c_str(), out2.c_str()));
  SetDebugSink(old);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("Not valid PKC file."), std::string::npos);
  EXPECT_FALSE(fs::exists(out2));
}

TEST_F(PkcTest, IncompressibleBlocksAreRefusedByTheWriter) {
  // Every block must fit the reader's 32768-byte packed buffer.
  std::vector<uint8_t> noise(40000);
  uint32_t s = 99;
  for (auto& b : noise) {
    s = s * 1664525u + 1013904223u;
    b = static_cast<uint8_t>(s >> 24);
  }
  std::vector<uint8_t> image;
  DebugSink old = SetDebugSink([](const std::string&) {});
  EXPECT_FALSE(PkcCompressBuffer(noise.data(), noise.size(), &image));
  SetDebugSink(old);
  EXPECT_TRUE(image.empty());
}

TEST_F(PkcTest, PlainFilesPassStraightThrough) {
  std::string text = "plain data, no magic here";
  std::vector<uint8_t> bytes(text.begin(), text.end());
  PkcFile* f = PkcOpen(Write("Plain.TXT", bytes).c_str());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(PkcGetKind(f), 0);
  char buf[64] = {};
  EXPECT_EQ(PkcRead(f, buf, 5), 5);
  EXPECT_EQ(std::string(buf, 5), "plain");
  EXPECT_EQ(PkcGetSize(f), static_cast<int32_t>(text.size()));
  EXPECT_EQ(PkcSeek(f, 0, 1), 5);  // GetSize kept the position
  EXPECT_EQ(PkcSeek(f, -4, 2), static_cast<int32_t>(text.size() - 4));
  EXPECT_EQ(PkcRead(f, buf, 64), 4);
  EXPECT_EQ(std::string(buf, 4), "here");
  EXPECT_EQ(PkcSeek(f, -1, 0), -1);
  EXPECT_EQ(PkcGetLastError(), kPkcErrSeek);
  PkcClose(f);

  // Through the path resolver: backslashes and any case.
  f = PkcOpen((dir_.string() + "\\plain.txt").c_str());
  ASSERT_NE(f, nullptr);
  PkcClose(f);

  // Files shorter than the magic, and the magic's first bytes alone, are plain.
  for (std::vector<uint8_t> small : {std::vector<uint8_t>{}, std::vector<uint8_t>{0x43, 0x4B},
                                     std::vector<uint8_t>{0x43, 0x4B, 0x50}}) {
    f = PkcOpen(Write("small.bin", small).c_str());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(PkcGetKind(f), 0);
    EXPECT_EQ(PkcGetSize(f), static_cast<int32_t>(small.size()));
    std::vector<uint8_t> back(8);
    EXPECT_EQ(PkcRead(f, back.data(), 8), static_cast<int32_t>(small.size()));
    PkcClose(f);
  }
}

TEST_F(PkcTest, BadHandlesAndMissingFiles) {
  EXPECT_EQ(PkcClose(nullptr), -1);
  EXPECT_EQ(PkcGetLastError(), kPkcErrHandle);
  char b;
  EXPECT_EQ(PkcRead(nullptr, &b, 1), 0);
  EXPECT_EQ(PkcGetLastError(), kPkcErrHandle);
  EXPECT_EQ(PkcSeek(nullptr, 0, 0), -1);
  EXPECT_EQ(PkcGetSize(nullptr), -1);
  EXPECT_EQ(PkcOpen((dir_ / "missing.pkc").c_str()), nullptr);
  EXPECT_EQ(PkcGetLastError(), kPkcErrOpen);
  EXPECT_EQ(PkcOpen(dir_.c_str()), nullptr);  // a directory is no data file
  EXPECT_EQ(PkcGetLastError(), kPkcErrOpen);
  EXPECT_EQ(PkcOpen(nullptr), nullptr);
}

TEST_F(PkcTest, EmptyContainerHasNoBlockToLoad) {
  std::vector<uint8_t> image = Image({});
  EXPECT_EQ(Get32(image, 8), 0u);
  PkcFile* f = PkcOpen(Write("e.pkc", image).c_str());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(PkcGetSize(f), 0);
  char b;
  EXPECT_EQ(PkcRead(f, &b, 1), 0);
  EXPECT_EQ(PkcSeek(f, 0, 2), 0);
  EXPECT_EQ(PkcGetLastError(), kPkcOk);
  PkcClose(f);
}

// Damaged headers and tables are refused at open with the corrupt code;
// nothing is allocated from their numbers before they are checked.
TEST_F(PkcTest, CorruptHeadersAndTablesAreRefused) {
  std::vector<uint8_t> good = Image(MakeContent(70000));
  uint32_t tableOffset = Get32(good, 24);
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
  } cases[] = {
      {"count 0 with content", 8, 0},
      {"count one short", 8, 2},
      {"huge count", 8, 0x20000001u},  // count * 8 overflows 32 bits
      {"count and size huge", 16, 0xFFFFFFFFu},
      {"table past the end", 24, static_cast<uint32_t>(good.size()) - 8},
      {"table offset huge", 24, 0xFFFFFFF0u},
      {"table inside the header", 24, 4},
      {"block length over 32768", tableOffset + 12, 40000},
      {"block length zero", tableOffset + 4, 0},
      {"block past the end", tableOffset + 16, static_cast<uint32_t>(good.size())},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bad = good;
    Put32(&bad, c.at, c.value);
    EXPECT_EQ(PkcOpen(Write("bad.pkc", bad).c_str()), nullptr);
    EXPECT_EQ(PkcGetLastError(), kPkcErrCorrupt);
  }
  // The header cut short.
  std::vector<uint8_t> cut(good.begin(), good.begin() + 12);
  EXPECT_EQ(PkcOpen(Write("cut.pkc", cut).c_str()), nullptr);
  EXPECT_EQ(PkcGetLastError(), kPkcErrCorrupt);
}

// How another tool may lay out a container that keeps to the format.
struct HandLayout {
  const char* what = "";
  size_t contentSize = 70000;
  std::vector<int> order;        // the blocks in the file, by index (empty: in turn)
  bool tableFirst = false;       // the table between the header and the blocks
  size_t gap = 0;                // bytes of noise before every part
  uint32_t reserved = 0;         // header word 1
  uint32_t blockSizeField = 32768;
  uint32_t headerSizeField = 28;
  size_t headerRoom = 28;        // where the first part may start
  int level = Z_DEFAULT_COMPRESSION;
};

// The container written byte by byte (zlib's own compress2 for each block,
// not our writer).
std::vector<uint8_t> HandBuiltPkc(const std::vector<uint8_t>& content, const HandLayout& o) {
  const uint32_t count = static_cast<uint32_t>((content.size() + 32767) / 32768);
  std::vector<std::vector<uint8_t>> blocks(count);
  for (uint32_t b = 0; b < count; ++b) {
    const size_t from = size_t{b} * 32768, n = std::min<size_t>(32768, content.size() - from);
    uLongf len = compressBound(n);
    blocks[b].resize(len);
    EXPECT_EQ(compress2(blocks[b].data(), &len, content.data() + from, n, o.level), Z_OK);
    blocks[b].resize(len);
  }
  std::vector<uint8_t> f(o.headerRoom, 0xA5);
  const uint32_t header[7] = {kPkcMagic, o.reserved, count, o.blockSizeField, static_cast<uint32_t>(content.size()),
                              o.headerSizeField, 0};
  for (int i = 0; i < 7; ++i) Put32(&f, 4 * i, header[i]);
  auto noise = [&] { f.insert(f.end(), o.gap, 0x5A); };
  std::vector<uint32_t> offsets(count);
  size_t tableAt = 0;
  auto table = [&] {
    noise();
    tableAt = f.size();
    f.resize(f.size() + 8 * size_t{count});
  };
  if (o.tableFirst) table();
  std::vector<int> order = o.order;
  for (uint32_t b = 0; order.size() < count; ++b) order.push_back(static_cast<int>(b));
  for (int b : order) {
    noise();
    offsets[b] = static_cast<uint32_t>(f.size());
    f.insert(f.end(), blocks[b].begin(), blocks[b].end());
  }
  if (!o.tableFirst) table();
  noise();  // and some after the last part
  Put32(&f, 24, static_cast<uint32_t>(tableAt));
  for (uint32_t b = 0; b < count; ++b) {
    Put32(&f, tableAt + 8 * b, offsets[b]);
    Put32(&f, tableAt + 8 * b + 4, static_cast<uint32_t>(blocks[b].size()));
  }
  return f;
}

// Containers laid out by other tools to the format: every one reads back
// whole, in odd pieces, and after seeks back and forth over its blocks.
TEST_F(PkcTest, ContainersLaidOutByOtherToolsRead) {
  auto layout = [](const char* what, auto change) {
    HandLayout l;
    l.what = what;
    change(l);
    return l;
  };
  const HandLayout layouts[] = {
      layout("in turn, table last", [](HandLayout&) {}),
      layout("table before the blocks", [](HandLayout& l) { l.tableFirst = true; }),
      layout("blocks in reverse order", [](HandLayout& l) { l.order = {2, 1, 0}; }),
      layout("blocks out of order with gaps, table first", [](HandLayout& l) {
        l.order = {1, 2, 0};
        l.tableFirst = true;
        l.gap = 13;
      }),
      layout("reserved word set", [](HandLayout& l) { l.reserved = 0xFFFFFFFFu; }),
      layout("block size field not 32768 (never consulted)", [](HandLayout& l) { l.blockSizeField = 4096; }),
      layout("header size 64, the room filled", [](HandLayout& l) { l.headerSizeField = l.headerRoom = 64; }),
      layout("best compression", [](HandLayout& l) { l.level = 9; }),
      layout("fastest compression, two full blocks out of order", [](HandLayout& l) {
        l.level = 1;
        l.contentSize = 65536;
        l.order = {1, 0};
      }),
      layout("one short block", [](HandLayout& l) { l.contentSize = 100; }),
  };

  for (const HandLayout& l : layouts) {
    SCOPED_TRACE(l.what);
    const std::vector<uint8_t> content = MakeContent(l.contentSize);
    PkcFile* f = PkcOpen(Write("hand.pkc", HandBuiltPkc(content, l)).c_str());
    ASSERT_NE(f, nullptr) << std::hex << PkcGetLastError();
    EXPECT_EQ(PkcGetKind(f), 1);
    EXPECT_EQ(PkcGetSize(f), static_cast<int32_t>(content.size()));
    std::vector<uint8_t> all(content.size());
    for (size_t at = 0; at < all.size();) {
      const int32_t n = static_cast<int32_t>(std::min<size_t>(5003, all.size() - at));
      ASSERT_EQ(PkcRead(f, all.data() + at, n), n) << "at " << at;
      at += n;
    }
    EXPECT_EQ(all, content);
    for (uint32_t pos : {40000u, 10u, 65535u, 32767u, 0u}) {
      if (pos + 4 > content.size()) continue;
      ASSERT_EQ(PkcSeek(f, static_cast<int32_t>(pos), 0), static_cast<int32_t>(pos));
      uint8_t four[4];
      ASSERT_EQ(PkcRead(f, four, 4), 4);
      EXPECT_EQ(0, std::memcmp(four, content.data() + pos, 4)) << "at " << pos;
    }
    EXPECT_EQ(PkcClose(f), 1);
  }
}

TEST_F(PkcTest, CorruptBlockFailsTheReadAndKeepsThePosition) {
  std::vector<uint8_t> content = MakeContent(70000);
  std::vector<uint8_t> image = Image(content);
  uint32_t tableOffset = Get32(image, 24);
  uint32_t block1 = Get32(image, tableOffset + 8);
  for (int i = 2; i < 40; ++i) image[block1 + i] ^= 0x5A;  // past the zlib header
  PkcFile* f = PkcOpen(Write("c.pkc", image).c_str());
  ASSERT_NE(f, nullptr);  // block 0 is sound
  std::vector<uint8_t> buf(40000);
  ASSERT_EQ(PkcSeek(f, 30000, 0), 30000);
  EXPECT_EQ(PkcRead(f, buf.data(), 40000), 0);
  EXPECT_EQ(PkcGetLastError(), kPkcErrCorrupt);
  EXPECT_EQ(PkcSeek(f, 0, 1), 30000);
  EXPECT_EQ(PkcSeek(f, 40000, 0), -1);
  EXPECT_EQ(PkcGetLastError(), kPkcErrCorrupt);
  // The sound blocks still read.
  EXPECT_EQ(PkcSeek(f, 66000, 0), 66000);
  EXPECT_EQ(PkcRead(f, buf.data(), 4000), 4000);
  EXPECT_EQ(0, std::memcmp(buf.data(), content.data() + 66000, 4000));
  EXPECT_EQ(PkcSeek(f, 10, 0), 10);
  EXPECT_EQ(PkcRead(f, buf.data(), 10), 10);
  EXPECT_EQ(0, std::memcmp(buf.data(), content.data() + 10, 10));
  PkcClose(f);
}

// The events read their small data files whole: each outcome is told apart
// and nothing is handed on from a file that did not read through.
TEST_F(PkcTest, WholeFilesReadWithinTheirLimit) {
  const std::vector<uint8_t> content = MakeContent(70000);
  std::vector<uint8_t> corrupt = Image(content);
  const uint32_t block1 = Get32(corrupt, Get32(corrupt, 24) + 8);
  for (int i = 2; i < 40; ++i) corrupt[block1 + i] ^= 0x5A;
  const std::string packed = WritePkc("whole.pkc", content);
  const std::string plain = Write("whole.txt", content);
  const std::string empty = Write("empty.txt", {});
  const std::string broken = Write("broken.pkc", corrupt);
  const std::string missing = (dir_ / "none.txt").string();
  struct Case {
    const char* what;
    const char* path;
    size_t limit;
    PkcWhole result;
    size_t size;
  } cases[] = {
      {"a container at its limit", packed.c_str(), 70000, PkcWhole::kOk, 70000},
      {"a plain file", plain.c_str(), 100000, PkcWhole::kOk, 70000},
      {"an empty file", empty.c_str(), 16, PkcWhole::kOk, 0},
      {"one byte over the limit", packed.c_str(), 69999, PkcWhole::kTooLarge, 0},
      {"a plain file over the limit", plain.c_str(), 100, PkcWhole::kTooLarge, 0},
      {"a missing file", missing.c_str(), 100, PkcWhole::kCannotOpen, 0},
      {"no path", nullptr, 100, PkcWhole::kCannotOpen, 0},
      {"a block that does not inflate", broken.c_str(), 100000, PkcWhole::kShort, 0},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> out(3, 0xEE);  // stale bytes from an earlier read
    EXPECT_EQ(PkcReadWhole(c.path, c.limit, &out), c.result) << c.what;
    EXPECT_EQ(out.size(), c.size) << c.what;
    if (c.result == PkcWhole::kOk && c.size) EXPECT_TRUE(out == content) << c.what;
  }
}

// Blocks that inflate to the wrong size would shift every later position.
TEST_F(PkcTest, BlocksOfTheWrongSizeAreRefused) {
  std::vector<uint8_t> content = MakeContent(70000);
  // The image with block `index` replaced by the zlib stream of `raw`.
  auto withBlock = [&](uint32_t index, const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> image = Image(content);
    uLongf len = compressBound(raw.size());
    std::vector<uint8_t> stream(len);
    EXPECT_EQ(compress(stream.data(), &len, raw.data(), raw.size()), Z_OK);
    uint32_t tableOffset = Get32(image, 24);
    Put32(&image, tableOffset + 8 * index, static_cast<uint32_t>(image.size()));
    Put32(&image, tableOffset + 8 * index + 4, static_cast<uint32_t>(len));
    image.insert(image.end(), stream.begin(), stream.begin() + len);
    return image;
  };
  struct Case {
    const char* what;
    uint32_t block;
    size_t inflated;
    uint32_t code;
  } cases[] = {
      {"first block short", 0, 100, kPkcErrCorrupt},
      {"middle block short", 1, 32767, kPkcErrCorrupt},
      {"last block long", 2, 5000, kPkcErrCorrupt},
      {"last block short", 2, 4000, kPkcErrCorrupt},
      {"block over 32768", 1, 40000, kPkcErrOverflow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string path = Write("w.pkc", withBlock(c.block, std::vector<uint8_t>(c.inflated, 1)));
    PkcFile* f = PkcOpen(path.c_str());
    if (c.block == 0) {
      EXPECT_EQ(f, nullptr);
      EXPECT_EQ(PkcGetLastError(), c.code);
      continue;
    }
    ASSERT_NE(f, nullptr);
    std::vector<uint8_t> buf(70000);
    EXPECT_EQ(PkcRead(f, buf.data(), 70000), 0);
    EXPECT_EQ(PkcGetLastError(), c.code);
    EXPECT_EQ(PkcSeek(f, 0, 1), 0);
    PkcClose(f);
  }
}

}  // namespace

// The command-line tool lists a container whatever its size: a PKC file with
// more than 2 GiB behind its table (here a hole) is shown from the file
// itself, not from a copy that could not be made.
TEST_F(PkcTest, ToolListsContainersLargerThanItCouldReadWhole) {
  const std::string tool = std::string(KEL_BINARY_DIR) + "/tools/pkctool";
  if (!fs::exists(tool)) GTEST_SKIP() << "pkctool is not built";
  std::string path = WritePkc("big.pkc", MakeContent(70000));
  fs::resize_file(path, (uint64_t{1} << 31) + 4096);
  std::string out = (dir_ / "list.txt").string();
  std::string cmd = tool + " list " + path + " > " + out + " 2>&1";
  int rc = std::system(cmd.c_str());
  std::ifstream in(out);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(rc, 0) << text;
  EXPECT_NE(text.find("70000 bytes in 3 blocks"), std::string::npos) << text;
  EXPECT_NE(text.find("      2 "), std::string::npos) << text;  // the last block's row
}

// Packing tells the real reason it cannot: a source above what a container
// counts (a hole, so nothing is written to disk), data that does not shrink,
// a destination that cannot be written.
TEST_F(PkcTest, ToolSaysWhyItCannotPack) {
  const std::string tool = std::string(KEL_BINARY_DIR) + "/tools/pkctool";
  if (!fs::exists(tool)) GTEST_SKIP() << "pkctool is not built";
  const std::string big = (dir_ / "big.raw").string();
  std::ofstream(big, std::ios::binary) << "x";
  fs::resize_file(big, (uint64_t{1} << 31) + 1);
  std::vector<uint8_t> noise(40000);
  uint32_t state = 7;
  for (auto& b : noise) b = static_cast<uint8_t>((state = state * 1103515245u + 12345u) >> 24);
  const std::string packed = (dir_ / "noise.raw").string();
  std::ofstream(packed, std::ios::binary).write(reinterpret_cast<const char*>(noise.data()),
                                                static_cast<std::streamsize>(noise.size()));
  const std::string plain = (dir_ / "plain.raw").string();
  std::ofstream(plain, std::ios::binary) << std::string(1000, 'a');
  struct Case {
    std::string source, dest, reason;
  } cases[] = {
      {big, (dir_ / "big.pkc").string(), "2147483649 bytes, more than a container holds"},
      {packed, (dir_ / "noise.pkc").string(), "does not compress"},
      {plain, (dir_ / "no" / "such" / "dir.pkc").string(), "cannot write"},
      {(dir_ / "missing.raw").string(), (dir_ / "m.pkc").string(), "no such file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    std::string out = (dir_ / "pack.txt").string();
    std::string cmd = tool + " pack " + c.source + " " + c.dest + " > " + out + " 2>&1";
    int rc = std::system(cmd.c_str());
    std::ifstream in(out);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(rc, 0);
    EXPECT_NE(text.find(c.reason), std::string::npos) << text;
    EXPECT_FALSE(fs::exists(c.dest));
  }
}
