#include "graphics/bmp.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "base/atomic_file.h"
#include "base/byte_order.h"
#include "base/pkc.h"
#include "graphics/pixel_format.h"
#include "graphics/surface.h"
#include "platform/presenter.h"

namespace {

constexpr auto Get16 = GetLe16;
constexpr auto Get32 = GetLe32;
void Put16(std::vector<uint8_t>& v, uint16_t x) {
  v.resize(v.size() + 2);
  PutLe16(v.data() + v.size() - 2, x);
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  v.resize(v.size() + 4);
  PutLe32(v.data() + v.size() - 4, x);
}

constexpr int kMaxDimension = 16384;

std::vector<uint8_t> Headers(int width, int height, int bitCount, uint32_t paletteBytes,
                             size_t imageBytes) {
  std::vector<uint8_t> v;
  uint32_t offBits = 14 + 40 + paletteBytes;
  v.push_back('B');
  v.push_back('M');
  Put32(v, uint32_t(offBits + imageBytes));
  Put16(v, 0);
  Put16(v, 0);
  Put32(v, offBits);
  Put32(v, 40);
  Put32(v, uint32_t(width));
  Put32(v, uint32_t(height));  // positive: bottom-up rows
  Put16(v, 1);
  Put16(v, uint16_t(bitCount));
  Put32(v, 0);  // uncompressed
  Put32(v, uint32_t(imageBytes));
  Put32(v, 2835);  // 72 dpi
  Put32(v, 2835);
  Put32(v, bitCount == 8 ? 256 : 0);
  Put32(v, 0);
  return v;
}

}  // namespace

BitmapInfoHeader ReadBitmapInfoHeader(const uint8_t* b) {
  BitmapInfoHeader h;
  h.size = Get32(b);
  h.width = int32_t(Get32(b + 4));
  h.height = int32_t(Get32(b + 8));
  h.planes = Get16(b + 12);
  h.bitCount = Get16(b + 14);
  h.compression = Get32(b + 16);
  h.sizeImage = Get32(b + 20);
  h.xPelsPerMeter = int32_t(Get32(b + 24));
  h.yPelsPerMeter = int32_t(Get32(b + 28));
  h.clrUsed = Get32(b + 32);
  h.clrImportant = Get32(b + 36);
  return h;
}

size_t DibRowBytes(int width, int bitCount) {
  if (width <= 0 || bitCount <= 0) return 0;
  return ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
}

uint16_t CopyDibToSurface(const BitmapInfoHeader& h, const uint8_t* bits, size_t bitsSize,
                          DDSurface* surface) {
  if (!surface || !surface->HasSurface()) return kDDNoSurface;
  if (!bits || h.compression != kBiRgb || h.width <= 0 || h.height == 0 ||
      h.height == INT32_MIN || h.width > kMaxDimension) {
    return kDDBadArgument;
  }
  const int bpp = surface->GetBytesPerPixel();
  if (h.bitCount != bpp * 8) return kDDCallFailed;
  const int rows = h.height < 0 ? -h.height : h.height;
  if (rows > kMaxDimension) return kDDBadArgument;
  const size_t rowBytes = DibRowBytes(h.width, h.bitCount);
  if (bitsSize / rowBytes < static_cast<size_t>(rows)) return kDDBadArgument;
  const int copyRows = std::min(rows, surface->GetHeight());
  const size_t copyBytes = static_cast<size_t>(std::min(h.width, surface->GetWidth())) * bpp;
  for (int y = 0; y < copyRows; ++y) {
    int srcRow = h.height < 0 ? y : rows - 1 - y;
    std::memcpy(surface->Row(y), bits + static_cast<size_t>(srcRow) * rowBytes, copyBytes);
  }
  return kDDOk;
}

bool UnpackDibRow(const uint8_t* src, int width, int bitCount, uint8_t* dst) {
  switch (bitCount) {
    case 1:
      for (int x = 0; x < width; ++x) dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
      return true;
    case 4:
      for (int x = 0; x < width; ++x) dst[x] = (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
      return true;
    case 8:
      std::memcpy(dst, src, static_cast<size_t>(width));
      return true;
    case 16:
      // x-5-5-5, each part widened to 8 bits with its top bits repeated.
      for (int x = 0; x < width; ++x) {
        const unsigned v = src[2 * x] | (src[2 * x + 1] << 8);
        const unsigned b = v & 31, g = (v >> 5) & 31, r = (v >> 10) & 31;
        dst[3 * x] = static_cast<uint8_t>(b << 3 | b >> 2);
        dst[3 * x + 1] = static_cast<uint8_t>(g << 3 | g >> 2);
        dst[3 * x + 2] = static_cast<uint8_t>(r << 3 | r >> 2);
      }
      return true;
    case 24:
      std::memcpy(dst, src, static_cast<size_t>(width) * 3);
      return true;
    case 32:
      for (int x = 0; x < width; ++x) std::memcpy(dst + 3 * x, src + 4 * x, 3);
      return true;
    default:
      return false;
  }
}

bool DecodeBmp(const uint8_t* data, size_t size, BmpImage* out) {
  if (!data || !out || size < 14 + 40) return false;
  if (data[0] != 'B' || data[1] != 'M') return false;
  const uint32_t offBits = Get32(data + 10);
  const uint32_t infoSize = Get32(data + 14);
  if (infoSize < 40 || infoSize > size - 14) return false;
  BitmapInfoHeader h = ReadBitmapInfoHeader(data + 14);
  if (h.compression != kBiRgb || h.planes != 1) return false;
  if (h.width <= 0 || h.width > kMaxDimension || h.height == 0 || h.height == INT32_MIN) {
    return false;
  }
  const int rows = h.height < 0 ? -h.height : h.height;
  if (rows > kMaxDimension) return false;
  const int bc = h.bitCount;
  if (bc != 1 && bc != 4 && bc != 8 && bc != 24 && bc != 32) return false;

  BmpImage img;
  img.width = h.width;
  img.height = rows;
  img.bitCount = bc;
  img.palettised = bc <= 8;
  if (img.palettised) {
    uint32_t colours = h.clrUsed ? h.clrUsed : (1u << bc);
    if (colours > (1u << bc)) return false;
    size_t palOff = 14 + size_t(infoSize);
    if (palOff > size || (size - palOff) / 4 < colours) return false;
    std::memcpy(img.palette, data + palOff, colours * 4);
  }
  const size_t rowBytes = DibRowBytes(h.width, bc);
  if (offBits > size || (size - offBits) / rowBytes < static_cast<size_t>(rows)) return false;
  const uint8_t* bits = data + offBits;
  const int outBpp = img.palettised ? 1 : 3;
  img.pixels.resize(static_cast<size_t>(img.width) * rows * outBpp);
  for (int y = 0; y < rows; ++y) {
    const uint8_t* src = bits + static_cast<size_t>(h.height < 0 ? y : rows - 1 - y) * rowBytes;
    uint8_t* dst = img.pixels.data() + static_cast<size_t>(y) * img.width * outBpp;
    UnpackDibRow(src, img.width, bc, dst);
  }
  *out = std::move(img);
  return true;
}

std::vector<uint8_t> EncodeBmp8(const uint8_t* pixels, int width, int height, int pitch,
                                const PaletteEntry palette[256]) {
  const size_t rowBytes = DibRowBytes(width, 8);
  std::vector<uint8_t> v = Headers(width, height, 8, 1024, rowBytes * height);
  for (int i = 0; i < 256; ++i) {
    v.push_back(palette[i].blue);
    v.push_back(palette[i].green);
    v.push_back(palette[i].red);
    v.push_back(0);
  }
  for (int y = height - 1; y >= 0; --y) {
    const uint8_t* row = pixels + static_cast<size_t>(y) * pitch;
    v.insert(v.end(), row, row + width);
    v.insert(v.end(), rowBytes - width, 0);
  }
  return v;
}

uint16_t SaveBmp24(const DDSurface& s, const char* path) {
  if (!path) return kDDBadArgument;
  if (!s.HasSurface()) return kDDNoSurface;
  const int fmt = s.GetPixelFormat();
  if (fmt != kFormatRgb555 && fmt != kFormatRgb565) return kDDBadArgument;
  const int w = s.GetWidth(), h = s.GetHeight();
  const size_t rowBytes = DibRowBytes(w, 24);
  std::vector<uint8_t> v = Headers(w, h, 24, 0, rowBytes * h);
  // The same widening to full intensity as the window shows.
  std::vector<uint32_t> rgb(static_cast<size_t>(w));
  for (int y = h - 1; y >= 0; --y) {
    ConvertRgb16Frame(s.Row(y), w, 1, s.GetPitch(), fmt == kFormatRgb565, rgb.data(), w);
    for (uint32_t c : rgb) {
      v.push_back(uint8_t(c));
      v.push_back(uint8_t(c >> 8));
      v.push_back(uint8_t(c >> 16));
    }
    v.insert(v.end(), rowBytes - static_cast<size_t>(w) * 3, 0);
  }
  return WriteFileAtomic(path, v.data(), v.size()) ? kDDOk : kDDCallFailed;
}

bool ReadPictureFile(const std::string& path, std::vector<uint8_t>* out, size_t maxBytes,
                     uint32_t* error) {
  uint32_t code = kPkcOk;
  bool ok = false;
  if (PkcFile* f = out ? PkcOpen(path.c_str()) : nullptr) {
    // The size a PKC header claims is checked before anything is allocated
    // or inflated for it.
    const int32_t size = PkcGetSize(f);
    code = PkcGetLastError();
    ok = size >= 0 && static_cast<size_t>(size) <= maxBytes;
    if (size >= 0 && !ok) code = kPkcErrMemory;
    std::vector<uint8_t> data;
    if (ok) {
      data.resize(static_cast<size_t>(size));
      ok = size == 0 || PkcRead(f, data.data(), size) == size;
      code = PkcGetLastError();
    }
    PkcClose(f);
    if (ok) *out = std::move(data);
  } else {
    code = out ? PkcGetLastError() : kPkcErrHandle;
  }
  if (error) *error = ok ? kPkcOk : code;
  return ok;
}
