// pkctool: packs files into the game's PKC container, unpacks them and lists
// their blocks.
//
//   pkctool pack <source> <dest.pkc>
//   pkctool unpack <source.pkc> <dest>
//   pkctool list <file>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "base/debug.h"
#include "base/mem_block.h"
#include "base/pkc.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: pkctool pack <source> <dest.pkc>\n"
               "       pkctool unpack <source.pkc> <dest>\n"
               "       pkctool list <file>\n");
  return 2;
}

int Fail(const char* what, const char* path) {
  uint32_t code = PkcGetLastError();
  std::fprintf(stderr, "pkctool: %s %s: %s (0x%04X)\n", what, path, PkcErrorText(code), code);
  return 1;
}

int List(const char* path) {
  PkcFile* f = PkcOpen(path);
  if (!f) return Fail("cannot read", path);
  int kind = PkcGetKind(f);
  int32_t size = PkcGetSize(f);
  // Reading everything proves every block inflates.
  std::vector<char> buf(1 << 16);
  int64_t total = 0;
  int32_t got;
  while ((got = PkcRead(f, buf.data(), static_cast<int32_t>(buf.size()))) > 0) total += got;
  uint32_t code = PkcGetLastError();
  PkcClose(f);
  if (kind == 0) {
    std::printf("%s: plain file, %d bytes\n", path, size);
    return 0;
  }
  // The reader accepted the header and table: show them, from the file as it
  // is now (it may have changed since, or be too large to read whole).
  MappedFileMemBlock raw(path);
  const uint8_t* bytes = raw.GetData();
  const uint64_t rawSize = raw.GetSize();
  const uint32_t count = rawSize >= kPkcHeaderSize ? GetLe32(bytes + 8) : 0;
  const uint32_t tableOffset = rawSize >= kPkcHeaderSize ? GetLe32(bytes + 24) : 0;
  if (!raw.IsValid() || rawSize < kPkcHeaderSize || uint64_t{tableOffset} + 8ull * count > rawSize) {
    std::fprintf(stderr, "pkctool: %s changed while it was read\n", path);
    return 1;
  }
  std::printf("%s: PKC container, %d bytes in %u blocks, %llu bytes packed (%.1f%%)\n", path, size,
              count, static_cast<unsigned long long>(rawSize),
              size ? 100.0 * static_cast<double>(rawSize) / size : 0.0);
  std::printf("  block    offset    packed  unpacked\n");
  for (uint32_t b = 0; b < count; ++b) {
    uint32_t unpacked = b + 1 < count ? kPkcBlockSize : static_cast<uint32_t>(size) - b * kPkcBlockSize;
    const uint8_t* entry = bytes + tableOffset + 8ull * b;
    std::printf("  %5u %9u %9u %9u\n", b, GetLe32(entry), GetLe32(entry + 4), unpacked);
  }
  if (total != size) {
    std::fprintf(stderr, "pkctool: %s: read %lld of %d bytes: %s (0x%04X)\n", path,
                 static_cast<long long>(total), size, PkcErrorText(code), code);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::string cmd = argv[1];
  // Library messages (such as "Not valid PKC file.") go to stderr as they are.
  SetDebugSink([](const std::string& line) { std::fprintf(stderr, "%s", line.c_str()); });
  if (cmd == "pack" && argc == 4) {
    std::string why;
    if (PkcCompressFile(argv[2], argv[3], &why)) return 0;
    std::fprintf(stderr, "pkctool: cannot pack %s: %s\n", argv[2], why.c_str());
    return 1;
  }
  if (cmd == "unpack" && argc == 4) {
    if (PkcFile* f = PkcOpen(argv[2])) {
      bool plain = PkcGetKind(f) == 0;
      PkcClose(f);
      if (plain) {
        std::fprintf(stderr, "pkctool: %s: Not valid PKC file.\n", argv[2]);
        return 1;
      }
    }
    if (!PkcDecompressFile(argv[2], argv[3])) return Fail("cannot unpack", argv[2]);
    return 0;
  }
  if (cmd == "list" && argc == 3) return List(argv[2]);
  return Usage();
}
