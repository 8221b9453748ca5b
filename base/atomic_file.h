#pragma once
// Whole-file writes that a crash cannot half-finish: the bytes go to a
// temporary file beside the target, are flushed to disk and then renamed over
// the target, so a reader sees either the old file or the new one.
#include <cstddef>
#include <string>

// path goes through ResolvePath. False (and the old file untouched) on failure.
bool WriteFileAtomic(const std::string& path, const void* data, size_t size);
// The temporary name WriteFileAtomic uses for path (for tests).
std::string AtomicTempPath(const std::string& resolvedPath);
// Reads a whole file of at most maxSize bytes. False when it cannot be read
// or is larger.
bool ReadWholeFile(const std::string& path, std::string* out, size_t maxSize);
