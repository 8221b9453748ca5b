// Fuzz target for the PKC reader: any bytes as a data file. The reader must
// never crash, never read outside its buffers and never deliver more than the
// size it reports. Compressible inputs are also packed and read back whole.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/pkc.h"

namespace {

// The input as a file, in memory: the reader works on paths.
std::string AsFile(const uint8_t* data, size_t size, int* fdOut) {
  int fd = ::memfd_create("fuzz_pkc", MFD_CLOEXEC);
  if (fd < 0) return {};
  size_t done = 0;
  while (done < size) {
    ssize_t w = ::write(fd, data + done, size - done);
    if (w <= 0) break;
    done += static_cast<size_t>(w);
  }
  *fdOut = fd;
  return "/proc/self/fd/" + std::to_string(fd);
}

void ReadAll(const std::string& path, const uint8_t* data, size_t size) {
  PkcFile* f = PkcOpen(path.c_str());
  if (!f) return;
  int32_t total = PkcGetSize(f);
  bool container = PkcGetKind(f) == 1;  // a plain file may seek past its end
  if (total < 0) std::abort();
  std::vector<uint8_t> buf(4096);
  // A few seeks steered by the input's own bytes, then reads of odd sizes.
  for (size_t i = 0; i < 4 && i < size; ++i) {
    int32_t where = static_cast<int32_t>((static_cast<uint32_t>(data[i]) * 2654435761u) %
                                         (static_cast<uint32_t>(total) + 2));
    int32_t pos = PkcSeek(f, where, static_cast<int>(data[i] % 3 == 1 ? 0 : data[i] % 3));
    if (container && pos > total) std::abort();
    int32_t want = 1 + data[i] * 13;
    int32_t got = PkcRead(f, buf.data(), want);
    if (got < 0 || got > want) std::abort();
  }
  PkcSeek(f, 0, 0);
  int64_t read = 0;
  for (int guard = 0; guard < 70000; ++guard) {
    int32_t got = PkcRead(f, buf.data(), static_cast<int32_t>(buf.size()));
    if (got <= 0) break;
    read += got;
  }
  if (container && read > total) std::abort();
  PkcClose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int fd = -1;
  std::string path = AsFile(data, size, &fd);
  if (path.empty()) return 0;
  ReadAll(path, data, size);
  ::close(fd);

  // Writer round trip.
  std::vector<uint8_t> image;
  if (PkcCompressBuffer(data, size, &image)) {
    std::string packed = AsFile(image.data(), image.size(), &fd);
    if (packed.empty()) return 0;
    PkcFile* f = PkcOpen(packed.c_str());
    if (!f || PkcGetKind(f) != 1 || PkcGetSize(f) != static_cast<int32_t>(size)) std::abort();
    std::vector<uint8_t> back(size + 1);
    int32_t got = PkcRead(f, back.data(), static_cast<int32_t>(size + 1));
    if (got != static_cast<int32_t>(size) || (size && std::memcmp(back.data(), data, size) != 0))
      std::abort();
    PkcClose(f);
    ::close(fd);
  }
  return 0;
}
