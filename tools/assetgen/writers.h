#pragma once
// Encoders of the game's file formats: 8- and 24-bit .bmp, .mbm sprites,
// PCM WAVE, PKC containers and tile pictures. Every encoder returns the bytes;
// WriteFile stores them under the output tree.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/assetgen/image.h"

namespace assetgen {

using Bytes = std::vector<uint8_t>;

Bytes EncodeBmp8(const Image8& img, const Palette& pal);
// 24-bit, bottom-up, 3 bytes a pixel in blue-green-red order.
Bytes EncodeBmp24(const Canvas& c);

struct MbmFrame {
  std::string name;
  Image8 img;
};
// Frames share one palette (trailer flag bit 0). Raw 8-bit frames.
Bytes EncodeMbm(const std::vector<MbmFrame>& frames, const Palette& pal);

// A sheet of a character's frames on a small palette of its own: 0 black,
// 1 the key, 2 .. colours + 1 the frames' colours by median cut, the rest
// black; PKC-compressed. An event copies those colours into its palette.
Bytes OwnColourSheet(const std::vector<std::unique_ptr<Canvas>>& frames, int colours);

// PCM WAVE, mono, from 16-bit samples; bits 8 or 16.
Bytes EncodeWav(const std::vector<int16_t>& samples, int rate, int bits);

// PKC container: 28-byte header, zlib blocks of 32768 bytes, block table;
// content that does not compress is returned plain.
Bytes EncodePkc(const Bytes& content);

// Tile picture: 4x4 tiles shared between cells; both counts = tile count.
Bytes EncodeTilePicture(const Image8& img, const Palette& pal);

// Writes the bytes to `root/relPath`, where relPath is the game's name
// (backslashes, any case): stored with slashes, lower case, directories made.
void WriteFile(const std::string& root, const std::string& relPath, const Bytes& data);
std::string DiskName(const std::string& relPath);

}  // namespace assetgen
