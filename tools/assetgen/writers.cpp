#include "tools/assetgen/writers.h"

#include "base/pkc.h"
#include "graphics/bmp.h"
#include "graphics/mbm_writer.h"

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

}  // namespace

Bytes EncodeBmp8(const Image8& img, const Palette& pal) {
  PaletteEntry entries[256];
  for (int i = 0; i < 256; ++i) entries[i] = PaletteEntry{pal[i].r, pal[i].g, pal[i].b, 0};
  Bytes b = ::EncodeBmp8(img.px.data(), img.w, img.h, img.w, entries);
  if (b.empty()) throw std::runtime_error("8-bit picture did not encode");
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
  // Frames with transparent pixels are stored run-length ('TRLE'), the others raw.
  std::vector<MbmFrameSpec> specs;
  specs.reserve(frames.size());
  for (const MbmFrame& f : frames) {
    MbmFrameSpec s;
    s.name = f.name;
    s.width = f.img.w;
    s.height = f.img.h;
    s.pixels = f.img.px;
    for (uint8_t v : f.img.px)
      if (v == 1) {
        s.runLength = true;
        break;
      }
    specs.push_back(std::move(s));
  }
  Bytes shared(1024);
  for (int i = 0; i < 256; ++i) {
    shared[i * 4] = pal[i].b;
    shared[i * 4 + 1] = pal[i].g;
    shared[i * 4 + 2] = pal[i].r;
  }
  Bytes b = BuildMbm(specs, &shared);
  if (b.empty()) throw std::runtime_error("sprite did not encode");
  return b;
}

Bytes OwnColourSheet(const std::vector<std::unique_ptr<Canvas>>& frames, int colours) {
  ColourHistogram hist;
  for (auto& c : frames) {
    c->Flush();
    hist.Add(*c, 2);
  }
  Palette pal = BasePalette();
  for (int i = 2; i < 256; ++i) pal[i] = Rgb{0, 0, 0};
  FillPalette(&pal, 2, hist.MedianCut(colours));
  Quantizer q(pal, 2, colours + 1, {0});
  std::vector<MbmFrame> out;
  out.reserve(frames.size());
  for (auto& c : frames) out.push_back({"", q.Reduce(*c)});
  return EncodePkc(EncodeMbm(out, pal));
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
  // A block that does not pack below the block size cannot be read back
  // through the reader's one-block buffer; such content stays plain, which
  // the reader takes just as well.
  Bytes out;
  if (!PkcCompressBuffer(content.data(), content.size(), &out)) return content;
  return out;
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
