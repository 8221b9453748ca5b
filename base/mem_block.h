#pragma once
// Memory blocks: one interface over a caller's buffer, a heap block, a
// read-only mapped file and a named resource blob. Loaders (pictures, sounds)
// take a MemBlock and do not care where the bytes live. Lock returns the data
// and counts the locks; Unlock undoes one.
#include <cstddef>
#include <cstdint>
#include <string>

enum class MemBlockKind : int {
  kNone = 0,
  kBuffer = 1,      // caller's memory, not owned
  kGlobal = 2,      // heap block, owned
  kMappedFile = 3,  // read-only file mapping
  kResource = 4,    // named blob registered by the program, not owned
};

class MemBlock {
 public:
  virtual ~MemBlock() = default;
  MemBlock(const MemBlock&) = delete;
  MemBlock& operator=(const MemBlock&) = delete;

  MemBlockKind GetKind() const { return kind_; }
  size_t GetSize() const { return size_; }
  // Null when the block holds nothing (failed allocation, missing file).
  uint8_t* GetData() const { return data_; }
  bool IsValid() const { return valid_; }
  // Read-only blocks (mapped files, resources) must not be written through.
  bool IsWritable() const { return writable_; }

  uint8_t* Lock() {
    ++lockCount_;
    return data_;
  }
  // Returns the remaining lock count (never below 0).
  int Unlock() {
    if (lockCount_ > 0) --lockCount_;
    return lockCount_;
  }
  int GetLockCount() const { return lockCount_; }

 protected:
  MemBlock() = default;
  MemBlockKind kind_ = MemBlockKind::kNone;
  size_t size_ = 0;
  uint8_t* data_ = nullptr;
  bool writable_ = false;
  bool valid_ = false;
  int lockCount_ = 0;
};

// A caller's buffer; the caller keeps it alive longer than the block.
class BufferMemBlock : public MemBlock {
 public:
  BufferMemBlock(void* data, size_t size);
  BufferMemBlock(const void* data, size_t size);  // read-only view
};

// A zero-filled heap block of the given size (invalid when allocation fails).
class GlobalMemBlock : public MemBlock {
 public:
  explicit GlobalMemBlock(size_t size);
  ~GlobalMemBlock() override;
  // Changes the size, keeping the bytes that fit; new bytes are zero.
  bool Resize(size_t size);
};

// A whole file mapped read-only (path through ResolvePath). Invalid when the
// file cannot be opened or mapped; an empty file is a valid empty block.
class MappedFileMemBlock : public MemBlock {
 public:
  explicit MappedFileMemBlock(const std::string& path);
  ~MappedFileMemBlock() override;
  // Why the file could not be mapped (an errno value; 0 when it was).
  int GetErrno() const { return errno_; }

 private:
  void* map_ = nullptr;
  size_t mapSize_ = 0;
  int errno_ = 0;
};

// A named blob of the program's own resources (embedded data registered at
// start-up with RegisterResource). Invalid when no such name is registered.
// Names compare case-insensitively, like the game's file names.
class ResourceMemBlock : public MemBlock {
 public:
  explicit ResourceMemBlock(const std::string& name);
};

// Registers (or replaces) a resource blob; the bytes must outlive every use.
void RegisterResource(const std::string& name, const void* data, size_t size);
void UnregisterResource(const std::string& name);
bool FindResource(const std::string& name, const void** data, size_t* size);
