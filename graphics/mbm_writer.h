#pragma once
// Writes .mbm sprite files (the layout is described in graphics/mbm_format.h and
// docs/formats.md). Used by the asset generator and by tests.
#include <cstdint>
#include <string>
#include <vector>

struct MbmFrameSpec {
  std::string name;              // at most 255 bytes are stored
  int width = 0;
  int height = 0;                // < 0: raw rows are stored top-down
  std::vector<uint8_t> pixels;   // width x |height| palette indexes, top row first
  bool runLength = false;        // store as a 'TRLE' frame (index 1 transparent)
  std::vector<uint8_t> palette;  // 1024 bytes (blue, green, red, 0) when the file has no
                                 // shared palette; empty gives all-black entries
};

// The bytes of a complete file; `sharedPalette` (1024 bytes) or null. No
// frames at all, frames whose pixel count does not match their size, or of a
// size the reader would refuse, make the result empty.
std::vector<uint8_t> BuildMbm(const std::vector<MbmFrameSpec>& frames,
                              const std::vector<uint8_t>* sharedPalette);

// Writes bytes to path through a temporary file and a rename, so that a reader
// never sees half a file. False on any failure.
bool WriteMbmFile(const std::string& path, const std::vector<uint8_t>& bytes);
