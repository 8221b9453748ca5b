#pragma once
// PKC data files: the one read path for game data, plain or block-compressed
// alike. A PKC container holds the content in 32768-byte blocks, each a zlib
// stream of its own, so that a seek only ever inflates one block:
//
//   offset 0  u32 magic 0x00504B43 ("CKP\0")   offset 16 u32 total size
//   offset 4  u32 reserved 0                   offset 20 u32 header size 28
//   offset 8  u32 block count                  offset 24 u32 table offset
//   offset 12 u32 block size 32768
//   table: block count x {u32 file offset, u32 compressed length}
//
// Any file that does not start with the magic is read unchanged. Every call
// sets the program-wide code read by PkcGetLastError (kPkcOk first).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr uint32_t kPkcMagic = 0x00504B43u;
inline constexpr uint32_t kPkcBlockSize = 32768u;
inline constexpr uint32_t kPkcHeaderSize = 28u;

inline constexpr uint32_t kPkcOk = 0x1100;          // no error
inline constexpr uint32_t kPkcErrOpen = 0x1102;     // the file could not be opened
inline constexpr uint32_t kPkcErrHandle = 0x1103;   // bad handle, origin or position
inline constexpr uint32_t kPkcErrMemory = 0x1105;   // out of memory
inline constexpr uint32_t kPkcErrSeek = 0x1106;     // seek failed on a plain file
inline constexpr uint32_t kPkcErrCorrupt = 0x1108;  // corrupt header, table or block
inline constexpr uint32_t kPkcErrOverflow = 0x1109; // a block inflates to more than 32768 bytes

struct PkcFile;

// Opens a file (through ResolvePath). Null on failure, code set. A PKC file
// whose header or block table is inconsistent with the file, or whose first
// block does not inflate, is refused.
PkcFile* PkcOpen(const char* path);
// Copies up to count bytes from the current position; returns the count
// delivered (short at the end of the content), 0 on error. A corrupt block
// makes the whole read fail with 0 and leaves the position where it was.
int32_t PkcRead(PkcFile* file, void* buffer, int32_t count);
// origin 0 start, 1 current position, 2 end; the new position or -1. A PKC
// position must lie in 0..size; a failed seek leaves the position unchanged.
int32_t PkcSeek(PkcFile* file, int32_t offset, int origin);
// Uncompressed size (a plain file's length, position kept), -1 for a bad handle.
int32_t PkcGetSize(PkcFile* file);
// Reads a whole data file (plain or PKC) of at most maxBytes into *out, for
// the small files an event reads at once. *out is empty unless kOk.
enum class PkcWhole { kOk, kCannotOpen, kTooLarge, kShort };
PkcWhole PkcReadWhole(const char* path, size_t maxBytes, std::vector<uint8_t>* out);
// 1 PKC container, 0 plain file, -1 bad handle.
int PkcGetKind(const PkcFile* file);
// Closes and frees the handle: 1 on success, -1 (code 0x1103) for a null handle.
int PkcClose(PkcFile* file);
uint32_t PkcGetLastError();
// A PKC code in a few words ("corrupt header, table or block"...).
const char* PkcErrorText(uint32_t code);

// Writer: the whole PKC image of a content (header, blocks, table). False only
// when zlib fails.
bool PkcCompressBuffer(const void* data, size_t size, std::vector<uint8_t>* out);
// Packs a file into a PKC file; the destination is written atomically
// (temporary file, then rename). False on any failure, with the reason in a
// few words in *why when given (a source too large for a container, data that
// does not compress, a destination that cannot be written...).
bool PkcCompressFile(const char* sourcePath, const char* destPath, std::string* why = nullptr);
// Unpacks a PKC file into a plain file (atomically). A source without the
// magic is reported as "Not valid PKC file." on the debug output; false on
// any failure.
bool PkcDecompressFile(const char* sourcePath, const char* destPath);
