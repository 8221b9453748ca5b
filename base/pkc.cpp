#include "base/pkc.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>

#include "base/atomic_file.h"
#include "base/byte_order.h"
#include "base/debug.h"
#include "base/mem_block.h"
#include "base/paths.h"

struct PkcFile {
  uint32_t kind = 0;  // 1 PKC container, 0 plain file
  uint32_t header[7] = {};
  int fd = -1;
  uint64_t fileSize = 0;
  // PKC only:
  uint32_t blockCount = 0;
  uint32_t totalSize = 0;
  uint32_t* table = nullptr;     // blockCount x {offset, length}
  uint8_t* packed = nullptr;     // one block's compressed bytes
  uint8_t* unpacked = nullptr;   // the inflated current block
  uint32_t unpackedLength = 0;
  int64_t loadedBlock = -1;      // block held in unpacked, -1 none
  bool loadedKept = false;       // the block in unpacked is in the kept-block cache
  uint32_t position = 0;         // uncompressed position
};

namespace {

constexpr uint32_t kHandleKindMax = 1;
std::atomic<uint32_t> g_lastError{kPkcOk};

void SetError(uint32_t code) { g_lastError.store(code); }

// Reads exactly n bytes at offset; false on a short read or an error.
bool ReadAt(int fd, uint64_t offset, void* buf, size_t n) {
  uint8_t* p = static_cast<uint8_t*>(buf);
  while (n > 0) {
    ssize_t r = ::pread(fd, p, n, static_cast<off_t>(offset));
    if (r < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (r == 0) return false;
    p += r;
    offset += static_cast<uint64_t>(r);
    n -= static_cast<size_t>(r);
  }
  return true;
}

void ForgetBlocks(const PkcFile* f);

void FreeHandle(PkcFile* f) {
  if (!f) return;
  ForgetBlocks(f);
  if (f->fd >= 0) ::close(f->fd);
  delete[] f->table;
  delete[] f->packed;
  delete[] f->unpacked;
  delete f;
}

bool ValidHandle(const PkcFile* f) { return f && f->kind <= kHandleKindMax && f->fd >= 0; }

uint32_t ZlibErrorCode(int z) {
  switch (z) {
    case Z_BUF_ERROR: return kPkcErrOverflow;
    case Z_MEM_ERROR: return kPkcErrMemory;
    default: return kPkcErrCorrupt;
  }
}

// Bytes block b must inflate to: 32768 for every block but the last, which
// holds the remainder. Anything else would break the position arithmetic.
uint32_t ExpectedBlockLength(const PkcFile* f, uint32_t b) {
  if (b + 1 < f->blockCount) return kPkcBlockSize;
  return f->totalSize - b * kPkcBlockSize;
}

// Inflated blocks kept for the reads that come back to them. A loader reads
// a sprite's directory (a small read in nearly every block) and then its
// frames (every block again): without this every block would be inflated
// twice. A block is kept when a call leaves the handle in it (a seek landed
// there or a read ended inside it), not when a long read only passes
// through it. At most kKeptBlocks blocks of all open files together, the
// least recently used given up first; a file's blocks go when it is closed.
constexpr int kKeptBlocks = 64;  // 2 MB

struct KeptBlock {
  const PkcFile* file = nullptr;
  uint32_t block = 0;
  uint32_t length = 0;
  uint64_t lastUse = 0;
  std::unique_ptr<uint8_t[]> data;
};

std::mutex g_keptMutex;
KeptBlock g_kept[kKeptBlocks];
uint64_t g_keptClock = 0;

bool RecallBlock(PkcFile* f, uint32_t b) {
  std::lock_guard<std::mutex> lock(g_keptMutex);
  for (KeptBlock& k : g_kept) {
    if (k.file != f || k.block != b) continue;
    std::memcpy(f->unpacked, k.data.get(), k.length);
    f->unpackedLength = k.length;
    k.lastUse = ++g_keptClock;
    return true;
  }
  return false;
}

void KeepCurrentBlock(PkcFile* f) {
  if (f->loadedBlock < 0 || f->loadedKept) return;
  std::lock_guard<std::mutex> lock(g_keptMutex);
  KeptBlock* slot = &g_kept[0];
  for (KeptBlock& k : g_kept) {
    if (!k.file) {
      slot = &k;
      break;
    }
    if (k.lastUse < slot->lastUse) slot = &k;
  }
  if (!slot->data) {
    slot->data.reset(new (std::nothrow) uint8_t[kPkcBlockSize]);
    if (!slot->data) return;  // nothing kept: the block is inflated again when needed
  }
  std::memcpy(slot->data.get(), f->unpacked, f->unpackedLength);
  slot->file = f;
  slot->block = static_cast<uint32_t>(f->loadedBlock);
  slot->length = f->unpackedLength;
  slot->lastUse = ++g_keptClock;
  f->loadedKept = true;
}

void ForgetBlocks(const PkcFile* f) {
  std::lock_guard<std::mutex> lock(g_keptMutex);
  for (KeptBlock& k : g_kept)
    if (k.file == f) k.file = nullptr, k.lastUse = 0;
}

// Makes block b current. On failure the handle holds no block and the
// error code is set; the caller reports the failure.
bool LoadBlock(PkcFile* f, uint32_t b) {
  if (f->loadedBlock == static_cast<int64_t>(b)) return true;
  f->loadedBlock = -1;
  f->loadedKept = false;
  f->unpackedLength = 0;
  if (b >= f->blockCount) {
    SetError(kPkcErrHandle);
    return false;
  }
  if (RecallBlock(f, b)) {
    f->loadedBlock = b;
    f->loadedKept = true;
    return true;
  }
  uint32_t offset = f->table[2 * b];
  uint32_t length = f->table[2 * b + 1];  // checked against the file at open
  if (!ReadAt(f->fd, offset, f->packed, length)) {
    SetError(kPkcErrCorrupt);  // the file changed under us
    return false;
  }
  uLongf outLen = kPkcBlockSize;
  int z = ::uncompress(f->unpacked, &outLen, f->packed, length);
  if (z != Z_OK) {
    SetError(ZlibErrorCode(z));
    return false;
  }
  if (outLen != ExpectedBlockLength(f, b)) {
    SetError(kPkcErrCorrupt);
    return false;
  }
  f->unpackedLength = static_cast<uint32_t>(outLen);
  f->loadedBlock = b;
  return true;
}

// Checks the header and table of a PKC file against the file itself and
// allocates the buffers. Sets the code and returns false on failure.
bool OpenContainer(PkcFile* f) {
  uint8_t raw[kPkcHeaderSize];
  if (f->fileSize < kPkcHeaderSize || !ReadAt(f->fd, 0, raw, sizeof raw)) {
    SetError(kPkcErrCorrupt);
    return false;
  }
  for (int i = 0; i < 7; ++i) f->header[i] = GetLe32(raw + 4 * i);
  f->blockCount = f->header[2];
  f->totalSize = f->header[4];
  uint32_t tableOffset = f->header[6];
  // Positions are signed 32-bit, and the block count must be exactly what
  // the size needs: no block 0 of an empty content, no table larger than
  // the content calls for (and so no oversized allocation or count * 8 overflow).
  uint64_t needed = (static_cast<uint64_t>(f->totalSize) + kPkcBlockSize - 1) / kPkcBlockSize;
  if (f->totalSize > static_cast<uint32_t>(INT32_MAX) || f->blockCount != needed) {
    SetError(kPkcErrCorrupt);
    return false;
  }
  uint64_t tableBytes = static_cast<uint64_t>(f->blockCount) * 8;
  if (static_cast<uint64_t>(tableOffset) + tableBytes > f->fileSize ||
      (tableBytes > 0 && tableOffset < kPkcHeaderSize)) {
    SetError(kPkcErrCorrupt);
    return false;
  }
  f->table = new (std::nothrow) uint32_t[f->blockCount ? 2 * f->blockCount : 1];
  f->packed = new (std::nothrow) uint8_t[kPkcBlockSize];
  f->unpacked = new (std::nothrow) uint8_t[kPkcBlockSize];
  if (!f->table || !f->packed || !f->unpacked) {
    SetError(kPkcErrMemory);
    return false;
  }
  if (tableBytes > 0) {
    uint8_t* rawTable = new (std::nothrow) uint8_t[tableBytes];
    if (!rawTable) {
      SetError(kPkcErrMemory);
      return false;
    }
    bool ok = ReadAt(f->fd, tableOffset, rawTable, tableBytes);
    for (uint32_t i = 0; ok && i < 2 * f->blockCount; ++i) f->table[i] = GetLe32(rawTable + 4 * i);
    delete[] rawTable;
    if (!ok) {
      SetError(kPkcErrCorrupt);
      return false;
    }
  }
  for (uint32_t b = 0; b < f->blockCount; ++b) {
    uint64_t offset = f->table[2 * b];
    uint32_t length = f->table[2 * b + 1];
    // A block never needs more than the packed buffer, and must lie in the file.
    if (length == 0 || length > kPkcBlockSize || offset + length > f->fileSize) {
      SetError(kPkcErrCorrupt);
      return false;
    }
  }
  f->position = 0;
  if (f->blockCount > 0 && !LoadBlock(f, 0)) return false;
  KeepCurrentBlock(f);
  return true;
}

int32_t ReadContainer(PkcFile* f, uint8_t* out, int32_t count) {
  uint32_t left = f->totalSize - f->position;
  uint32_t n = static_cast<uint32_t>(count) < left ? static_cast<uint32_t>(count) : left;
  uint32_t start = f->position;
  uint32_t done = 0;
  while (done < n) {
    uint32_t b = f->position / kPkcBlockSize;
    if (!LoadBlock(f, b)) {
      f->position = start;  // nothing is counted, nothing has moved
      return 0;
    }
    uint32_t inBlock = f->position % kPkcBlockSize;
    if (inBlock >= f->unpackedLength) {  // cannot happen with checked block sizes
      SetError(kPkcErrCorrupt);
      f->position = start;
      return 0;
    }
    uint32_t take = f->unpackedLength - inBlock;
    if (take > n - done) take = n - done;
    std::memcpy(out + done, f->unpacked + inBlock, take);
    done += take;
    f->position += take;
  }
  // The next read starts where this one ended: keep that block.
  if (f->position % kPkcBlockSize != 0) KeepCurrentBlock(f);
  return static_cast<int32_t>(done);
}

}  // namespace

uint32_t PkcGetLastError() { return g_lastError.load(); }

const char* PkcErrorText(uint32_t code) {
  switch (code) {
    case kPkcOk: return "no error";
    case kPkcErrOpen: return "cannot open the file";
    case kPkcErrHandle: return "bad handle or position";
    case kPkcErrMemory: return "out of memory";
    case kPkcErrSeek: return "seek failed";
    case kPkcErrCorrupt: return "corrupt header, table or block";
    case kPkcErrOverflow: return "a block inflates to more than 32768 bytes";
    default: return "unknown error";
  }
}

PkcFile* PkcOpen(const char* path) {
  SetError(kPkcOk);
  if (!path) {
    SetError(kPkcErrOpen);
    return nullptr;
  }
  int fd = OpenRegularFile(ResolvePath(path));
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    if (fd >= 0) ::close(fd);
    SetError(kPkcErrOpen);
    return nullptr;
  }
  PkcFile* f = new (std::nothrow) PkcFile;
  if (!f) {
    ::close(fd);
    SetError(kPkcErrMemory);
    return nullptr;
  }
  f->fd = fd;
  f->fileSize = static_cast<uint64_t>(st.st_size);
  // A file shorter than the magic is a plain file: never compare unread bytes.
  uint8_t magic[4];
  if (f->fileSize < 4 || !ReadAt(fd, 0, magic, 4) || GetLe32(magic) != kPkcMagic) {
    f->kind = 0;
    return f;  // plain: the descriptor is still at offset 0
  }
  f->kind = 1;
  if (!OpenContainer(f)) {
    uint32_t code = PkcGetLastError();
    FreeHandle(f);
    SetError(code);
    return nullptr;
  }
  return f;
}

int32_t PkcRead(PkcFile* f, void* buffer, int32_t count) {
  SetError(kPkcOk);
  if (!ValidHandle(f) || count < 0 || (count > 0 && !buffer)) {
    SetError(kPkcErrHandle);
    return 0;
  }
  if (count == 0) return 0;
  if (f->kind == 1) return ReadContainer(f, static_cast<uint8_t*>(buffer), count);
  uint8_t* p = static_cast<uint8_t*>(buffer);
  int32_t done = 0;
  while (done < count) {
    ssize_t r = ::read(f->fd, p + done, static_cast<size_t>(count - done));
    if (r < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (r == 0) break;
    done += static_cast<int32_t>(r);
  }
  return done;
}

int32_t PkcSeek(PkcFile* f, int32_t offset, int origin) {
  SetError(kPkcOk);
  if (!ValidHandle(f) || origin < 0 || origin > 2) {
    SetError(kPkcErrHandle);
    return -1;
  }
  if (f->kind == 0) {
    static const int kWhence[3] = {SEEK_SET, SEEK_CUR, SEEK_END};
    off_t old = ::lseek(f->fd, 0, SEEK_CUR);
    off_t pos = ::lseek(f->fd, offset, kWhence[origin]);
    if (pos < 0 || pos > INT32_MAX) {
      if (pos > INT32_MAX && old >= 0) ::lseek(f->fd, old, SEEK_SET);
      SetError(kPkcErrSeek);
      return -1;
    }
    return static_cast<int32_t>(pos);
  }
  int64_t base = origin == 0 ? 0 : (origin == 1 ? f->position : f->totalSize);
  int64_t pos = base + offset;
  if (pos < 0 || pos > static_cast<int64_t>(f->totalSize)) {
    SetError(kPkcErrHandle);
    return -1;
  }
  // The block is inflated only when a byte of it exists: a seek to the end
  // of a content that fills its last block loads nothing.
  if (pos < static_cast<int64_t>(f->totalSize)) {
    if (!LoadBlock(f, static_cast<uint32_t>(pos / kPkcBlockSize))) return -1;
    KeepCurrentBlock(f);
  }
  f->position = static_cast<uint32_t>(pos);
  return static_cast<int32_t>(pos);
}

int32_t PkcGetSize(PkcFile* f) {
  SetError(kPkcOk);
  if (!ValidHandle(f)) {
    SetError(kPkcErrHandle);
    return -1;
  }
  if (f->kind == 1) return static_cast<int32_t>(f->totalSize);
  struct stat st;
  if (::fstat(f->fd, &st) != 0) {
    SetError(kPkcErrSeek);
    return -1;
  }
  return st.st_size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(st.st_size);
}

PkcWhole PkcReadWhole(const char* path, size_t maxBytes, std::vector<uint8_t>* out) {
  out->clear();
  PkcFile* f = path ? PkcOpen(path) : nullptr;
  if (!f) return PkcWhole::kCannotOpen;
  const int32_t size = PkcGetSize(f);
  PkcWhole result = PkcWhole::kOk;
  if (size < 0) {
    result = PkcWhole::kShort;
  } else if (static_cast<size_t>(size) > maxBytes) {
    result = PkcWhole::kTooLarge;
  } else if (size > 0) {
    out->resize(static_cast<size_t>(size));
    if (PkcRead(f, out->data(), size) != size) {
      out->clear();
      result = PkcWhole::kShort;
    }
  }
  PkcClose(f);
  return result;
}

int PkcGetKind(const PkcFile* f) {
  SetError(kPkcOk);
  if (!ValidHandle(f)) {
    SetError(kPkcErrHandle);
    return -1;
  }
  return static_cast<int>(f->kind);
}

int PkcClose(PkcFile* f) {
  SetError(kPkcOk);
  if (!ValidHandle(f)) {
    SetError(kPkcErrHandle);
    return -1;
  }
  int rc = ::close(f->fd);
  f->fd = -1;
  FreeHandle(f);
  return rc == 0 ? 1 : 0;
}

bool PkcCompressBuffer(const void* data, size_t size, std::vector<uint8_t>* out) {
  out->clear();
  if (size > static_cast<size_t>(INT32_MAX) || (size > 0 && !data)) return false;
  const uint8_t* src = static_cast<const uint8_t*>(data);
  uint32_t total = static_cast<uint32_t>(size);
  uint32_t count = static_cast<uint32_t>((static_cast<uint64_t>(total) + kPkcBlockSize - 1) / kPkcBlockSize);
  out->resize(kPkcHeaderSize);
  std::vector<uint32_t> table(2 * static_cast<size_t>(count));
  std::vector<uint8_t> packed(compressBound(kPkcBlockSize));
  for (uint32_t b = 0; b < count; ++b) {
    uint32_t len = total - b * kPkcBlockSize;
    if (len > kPkcBlockSize) len = kPkcBlockSize;
    uLongf packedLen = packed.size();
    if (::compress2(packed.data(), &packedLen, src + static_cast<size_t>(b) * kPkcBlockSize, len,
                    Z_BEST_COMPRESSION) != Z_OK) {
      out->clear();
      return false;
    }
    // A reader's packed buffer holds one block: data that does not shrink
    // below it (already compressed files) cannot go into a PKC container.
    if (packedLen > kPkcBlockSize) {
      DebugPrintf("PKC: block %u does not compress below %u bytes.\n", b, kPkcBlockSize);
      out->clear();
      return false;
    }
    table[2 * b] = static_cast<uint32_t>(out->size());
    table[2 * b + 1] = static_cast<uint32_t>(packedLen);
    out->insert(out->end(), packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(packedLen));
    if (out->size() > UINT32_MAX - 8ull * count) {
      out->clear();
      return false;
    }
  }
  uint32_t tableOffset = static_cast<uint32_t>(out->size());
  for (uint32_t v : table) {
    uint8_t b4[4];
    PutLe32(b4, v);
    out->insert(out->end(), b4, b4 + 4);
  }
  uint8_t* h = out->data();
  PutLe32(h + 0, kPkcMagic);
  PutLe32(h + 4, 0);
  PutLe32(h + 8, count);
  PutLe32(h + 12, kPkcBlockSize);
  PutLe32(h + 16, total);
  PutLe32(h + 20, kPkcHeaderSize);
  PutLe32(h + 24, tableOffset);
  return true;
}

bool PkcCompressFile(const char* sourcePath, const char* destPath, std::string* why) {
  SetError(kPkcOk);
  auto fail = [why](uint32_t code, const std::string& reason) {
    SetError(code);
    if (why) *why = reason;
    return false;
  };
  if (!sourcePath || !destPath) return fail(kPkcErrOpen, "no file named");
  // The size is checked before anything is mapped or compressed: a container
  // counts its content in a signed 32-bit size.
  int fd = OpenRegularFile(ResolvePath(sourcePath));
  if (fd < 0) return fail(kPkcErrOpen, FileErrorText(errno));
  struct stat st;
  const bool sized = ::fstat(fd, &st) == 0;
  ::close(fd);
  if (!sized) return fail(kPkcErrOpen, FileErrorText(errno));
  if (static_cast<unsigned long long>(st.st_size) > static_cast<unsigned long long>(INT32_MAX)) {
    return fail(kPkcErrCorrupt, std::to_string(st.st_size) +
                                    " bytes, more than a container holds (2147483647 bytes)");
  }
  MappedFileMemBlock src(sourcePath);
  if (!src.IsValid()) return fail(kPkcErrOpen, "cannot be mapped into memory");
  std::vector<uint8_t> image;
  if (!PkcCompressBuffer(src.GetData(), src.GetSize(), &image))
    return fail(kPkcErrCorrupt, "its data does not compress (keep it plain)");
  if (!WriteFileAtomic(destPath, image.data(), image.size()))
    return fail(kPkcErrOpen, std::string("cannot write ") + destPath + ": " + FileErrorText(errno));
  return true;
}

bool PkcDecompressFile(const char* sourcePath, const char* destPath) {
  if (!destPath) {
    SetError(kPkcErrOpen);
    return false;
  }
  PkcFile* f = PkcOpen(sourcePath);
  if (!f) return false;
  if (f->kind != 1) {
    DebugPrintf("Not valid PKC file.\n");
    PkcClose(f);
    SetError(kPkcErrCorrupt);
    return false;
  }
  std::vector<uint8_t> content;
  try {
    content.resize(f->totalSize);
  } catch (const std::bad_alloc&) {
    PkcClose(f);
    SetError(kPkcErrMemory);
    return false;
  }
  int32_t got = PkcRead(f, content.data(), static_cast<int32_t>(content.size()));
  uint32_t code = PkcGetLastError();
  PkcClose(f);
  if (got != static_cast<int32_t>(content.size())) {
    SetError(code != kPkcOk ? code : kPkcErrCorrupt);
    return false;
  }
  if (!WriteFileAtomic(destPath, content.data(), content.size())) {
    SetError(kPkcErrOpen);
    return false;
  }
  SetError(kPkcOk);
  return true;
}
