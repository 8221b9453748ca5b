#include "tools/assetgen/writers.h"

#include <zlib.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>

namespace assetgen {

namespace {

void Put16(Bytes& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
void Set32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
void PutText(Bytes& b, const char* s) {
  while (*s) b.push_back(uint8_t(*s++));
}

void PutInfoHeader(Bytes& b, int w, int h, int bits, uint32_t imageSize, uint32_t colours) {
  Put32(b, 40);
  Put32(b, uint32_t(w));
  Put32(b, uint32_t(h));
  Put16(b, 1);
  Put16(b, uint32_t(bits));
  Put32(b, 0);  // BI_RGB
  Put32(b, imageSize);
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, colours);
  Put32(b, 0);
}

void PutPalette(Bytes& b, const Palette& pal) {
  for (const Rgb& c : pal) {
    b.push_back(c.b);
    b.push_back(c.g);
    b.push_back(c.r);
    b.push_back(0);
  }
}

void PutRows8(Bytes& b, const Image8& img) {
  int stride = (img.w + 3) & ~3;
  for (int y = img.h - 1; y >= 0; --y) {
    for (int x = 0; x < img.w; ++x) b.push_back(img.at(x, y));
    for (int x = img.w; x < stride; ++x) b.push_back(0);
  }
}

}  // namespace

Bytes EncodeBmp8(const Image8& img, const Palette& pal) {
  Bytes b;
  uint32_t stride = uint32_t((img.w + 3) & ~3);
  uint32_t image = stride * uint32_t(img.h);
  PutText(b, "BM");
  Put32(b, 14 + 40 + 1024 + image);
  Put32(b, 0);
  Put32(b, 14 + 40 + 1024);
  PutInfoHeader(b, img.w, img.h, 8, image, 256);
  PutPalette(b, pal);
  PutRows8(b, img);
  return b;
}

Bytes EncodeBmp24(const Canvas& c) {
  c.Flush();
  Bytes b;
  uint32_t stride = uint32_t((c.w() * 3 + 3) & ~3);
  uint32_t image = stride * uint32_t(c.h());
  PutText(b, "BM");
  Put32(b, 14 + 40 + image);
  Put32(b, 0);
  Put32(b, 14 + 40);
  PutInfoHeader(b, c.w(), c.h(), 24, image, 0);
  for (int y = c.h() - 1; y >= 0; --y) {
    for (int x = 0; x < c.w(); ++x) {
      Rgb p{};
      c.Pixel(x, y, &p);
      b.push_back(p.b);
      b.push_back(p.g);
      b.push_back(p.r);
    }
    for (uint32_t x = uint32_t(c.w()) * 3; x < stride; ++x) b.push_back(0);
  }
  return b;
}

Bytes EncodeMbm(const std::vector<MbmFrame>& frames, const Palette& pal) {
  Bytes b;
  PutText(b, "MB");
  PutPalette(b, pal);
  for (const MbmFrame& f : frames) {
    uint32_t stride = uint32_t((f.img.w + 3) & ~3);
    uint32_t image = stride * uint32_t(f.img.h);
    uint32_t size = uint32_t(f.name.size()) + 40 + image;
    size_t entry = b.size();
    Put32(b, 0);  // offset, set below
    Put32(b, size);
    b.push_back(0);
    b.push_back(uint8_t(f.name.size()));
    Put16(b, 0);
    Set32(b, entry, uint32_t(b.size()));
    PutText(b, f.name.c_str());
    PutInfoHeader(b, f.img.w, f.img.h, 8, image, 256);
    PutRows8(b, f.img);
  }
  // Trailer.
  PutText(b, "MB");
  Put16(b, 0);
  Put32(b, 16);
  Put16(b, uint32_t(frames.size()));
  Put16(b, 0);
  Put32(b, 1);  // shared palette
  return b;
}

Bytes EncodeWav(const std::vector<int16_t>& samples, int rate, int bits) {
  Bytes b;
  uint32_t bytesPer = bits == 8 ? 1 : 2;
  uint32_t data = uint32_t(samples.size()) * bytesPer;
  PutText(b, "RIFF");
  Put32(b, 4 + 8 + 18 + 8 + data + (data & 1));
  PutText(b, "WAVE");
  PutText(b, "fmt ");
  Put32(b, 18);
  Put16(b, 1);  // PCM
  Put16(b, 1);  // mono
  Put32(b, uint32_t(rate));
  Put32(b, uint32_t(rate) * bytesPer);
  Put16(b, bytesPer);
  Put16(b, uint32_t(bits));
  Put16(b, 0);  // cbSize: the loader reads the 18-byte form
  PutText(b, "data");
  Put32(b, data);
  for (int16_t s : samples) {
    if (bits == 8)
      b.push_back(uint8_t((s >> 8) + 128));
    else
      Put16(b, uint16_t(s));
  }
  if (data & 1) b.push_back(0);
  return b;
}

Bytes EncodePkc(const Bytes& content) {
  const size_t kBlock = 32768;
  uint32_t blocks = uint32_t((content.size() + kBlock - 1) / kBlock);
  Bytes b;
  Put32(b, 0x00504B43);
  Put32(b, 0);
  Put32(b, blocks);
  Put32(b, uint32_t(kBlock));
  Put32(b, uint32_t(content.size()));
  Put32(b, 28);
  Put32(b, 0);  // table offset, set below
  std::vector<std::pair<uint32_t, uint32_t>> table;
  for (uint32_t i = 0; i < blocks; ++i) {
    size_t len = std::min(kBlock, content.size() - i * kBlock);
    uLongf out = compressBound(uLong(len));
    Bytes packed(out);
    if (compress2(packed.data(), &out, content.data() + i * kBlock, uLong(len), 9) != Z_OK)
      throw std::runtime_error("zlib compress failed");
    // A block must never pack to more than the block size; the reader refuses it.
    if (out > kBlock) throw std::runtime_error("PKC block does not compress");
    table.push_back({uint32_t(b.size()), uint32_t(out)});
    b.insert(b.end(), packed.begin(), packed.begin() + out);
  }
  Set32(b, 24, uint32_t(b.size()));
  for (auto& [off, len] : table) {
    Put32(b, off);
    Put32(b, len);
  }
  return b;
}

Bytes EncodeTilePicture(const Image8& img, const Palette& pal) {
  if (img.w % 4 || img.h % 4) throw std::runtime_error("tile picture size not a multiple of 4");
  std::map<std::vector<uint8_t>, uint16_t> index;
  std::vector<std::vector<uint8_t>> tiles;
  std::vector<uint16_t> map;
  for (int ty = 0; ty < img.h / 4; ++ty)
    for (int tx = 0; tx < img.w / 4; ++tx) {
      std::vector<uint8_t> t(16);
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) t[y * 4 + x] = img.at(tx * 4 + x, ty * 4 + y);
      auto it = index.find(t);
      if (it == index.end()) {
        if (tiles.size() >= 65536) throw std::runtime_error("too many tiles");
        it = index.emplace(t, uint16_t(tiles.size())).first;
        tiles.push_back(t);
      }
      map.push_back(it->second);
    }
  Bytes b;
  PutInfoHeader(b, img.w, img.h, 8, 0, 256);
  PutPalette(b, pal);
  Put32(b, uint32_t(tiles.size()));
  Put32(b, uint32_t(tiles.size()));
  for (auto& t : tiles) b.insert(b.end(), t.begin(), t.end());
  for (uint16_t m : map) Put16(b, m);
  return b;
}

std::string DiskName(const std::string& relPath) {
  std::string s = relPath;
  for (char& c : s) {
    if (c == '\\') c = '/';
    c = char(std::tolower(static_cast<unsigned char>(c)));
  }
  return s;
}

void WriteFile(const std::string& root, const std::string& relPath, const Bytes& data) {
  std::filesystem::path p = std::filesystem::path(root) / DiskName(relPath);
  std::filesystem::create_directories(p.parent_path());
  std::string tmp = p.string() + ".tmp";
  FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot write " + tmp);
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) throw std::runtime_error("short write " + tmp);
  std::filesystem::rename(tmp, p);
}

}  // namespace assetgen
