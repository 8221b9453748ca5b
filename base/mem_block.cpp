#include "base/mem_block.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "base/atomic_file.h"
#include "base/paths.h"

BufferMemBlock::BufferMemBlock(void* data, size_t size) {
  kind_ = MemBlockKind::kBuffer;
  data_ = static_cast<uint8_t*>(data);
  size_ = data ? size : 0;
  writable_ = true;
  valid_ = data != nullptr || size == 0;
}

BufferMemBlock::BufferMemBlock(const void* data, size_t size) {
  kind_ = MemBlockKind::kBuffer;
  data_ = static_cast<uint8_t*>(const_cast<void*>(data));
  size_ = data ? size : 0;
  writable_ = false;
  valid_ = data != nullptr || size == 0;
}

GlobalMemBlock::GlobalMemBlock(size_t size) {
  kind_ = MemBlockKind::kGlobal;
  writable_ = true;
  // One byte at least, so that an empty block still has an address.
  data_ = static_cast<uint8_t*>(std::calloc(size ? size : 1, 1));
  if (data_) {
    size_ = size;
    valid_ = true;
  }
}

GlobalMemBlock::~GlobalMemBlock() { std::free(data_); }

bool GlobalMemBlock::Resize(size_t size) {
  uint8_t* p = static_cast<uint8_t*>(std::realloc(data_, size ? size : 1));
  if (!p) return false;
  if (size > size_) std::memset(p + size_, 0, size - size_);
  data_ = p;
  size_ = size;
  valid_ = true;
  return true;
}

MappedFileMemBlock::MappedFileMemBlock(const std::string& path) {
  kind_ = MemBlockKind::kMappedFile;
  int fd = OpenRegularFile(ResolvePath(path));
  if (fd < 0) {
    errno_ = errno;
    return;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    errno_ = errno;
    ::close(fd);
    return;
  }
  if (st.st_size == 0) {
    valid_ = true;  // an empty file maps to nothing, and that is fine
  } else {
    void* m = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (m != MAP_FAILED) {
      map_ = m;
      mapSize_ = static_cast<size_t>(st.st_size);
      data_ = static_cast<uint8_t*>(m);
      size_ = mapSize_;
      valid_ = true;
    } else {
      errno_ = errno;
    }
  }
  ::close(fd);  // the mapping stays valid without the descriptor
}

MappedFileMemBlock::~MappedFileMemBlock() {
  if (map_) ::munmap(map_, mapSize_);
}

namespace {
struct CaseLess {
  bool operator()(const std::string& a, const std::string& b) const {
    return ::strcasecmp(a.c_str(), b.c_str()) < 0;
  }
};
struct Blob {
  const void* data;
  size_t size;
};
std::mutex g_resourceMutex;
std::map<std::string, Blob, CaseLess>& Resources() {
  static std::map<std::string, Blob, CaseLess> resources;
  return resources;
}
}  // namespace

void RegisterResource(const std::string& name, const void* data, size_t size) {
  std::lock_guard<std::mutex> lock(g_resourceMutex);
  Resources()[name] = Blob{data, size};
}

void UnregisterResource(const std::string& name) {
  std::lock_guard<std::mutex> lock(g_resourceMutex);
  Resources().erase(name);
}

bool FindResource(const std::string& name, const void** data, size_t* size) {
  std::lock_guard<std::mutex> lock(g_resourceMutex);
  auto it = Resources().find(name);
  if (it == Resources().end()) return false;
  if (data) *data = it->second.data;
  if (size) *size = it->second.size;
  return true;
}

ResourceMemBlock::ResourceMemBlock(const std::string& name) {
  kind_ = MemBlockKind::kResource;
  const void* data = nullptr;
  size_t size = 0;
  if (FindResource(name, &data, &size)) {
    data_ = static_cast<uint8_t*>(const_cast<void*>(data));
    size_ = size;
    valid_ = true;
  }
}
