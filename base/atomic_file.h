#pragma once
// Whole-file reads and writes of the game's own files.
//
// Writes cannot be half-finished by a crash: the bytes go to a temporary file
// beside the target, are flushed to disk and then renamed over the target, so
// a reader sees either the old file or the new one.
//
// Reads never block: a FIFO, a device or a directory put where a file is
// expected is refused at once instead of holding the game in open() or read().
#include <cstddef>
#include <string>

// path goes through ResolvePath. False (and the old file untouched) on
// failure, with errno set to the reason. When the target is a symbolic link,
// the file it points at is replaced and the link stays.
bool WriteFileAtomic(const std::string& path, const void* data, size_t size);
// The temporary name WriteFileAtomic uses for path (for tests).
std::string AtomicTempPath(const std::string& resolvedPath);
// The file a write of path replaces: path itself, or the end of its chain of
// symbolic links (a relative link is taken from the link's directory).
std::string WriteTargetPath(const std::string& resolvedPath);

// Opens an existing file for reading, only when it is a regular file, in a
// way that cannot wait on a writer or a device. Returns the descriptor
// (blocking reads from then on, close-on-exec), or -1 with errno set
// (EINVAL for a file that is not a regular file). path is used as given:
// callers resolve it first.
int OpenRegularFile(const std::string& path);
// Reads a whole file of at most maxSize bytes. False when it cannot be read
// or is larger; *why (when given) then says why in a few words ("no such
// file", "not a regular file", "larger than 1048576 bytes"...), and errno is
// ENOENT when the file is simply not there.
bool ReadWholeFile(const std::string& path, std::string* out, size_t maxSize,
                   std::string* why = nullptr);
// A reason in a few words for an errno from the calls above.
std::string FileErrorText(int err);
