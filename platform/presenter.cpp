#include "platform/presenter.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void PackPalette(const PresentColour palette[256], uint32_t packed[256]) {
  for (int i = 0; i < 256; ++i) {
    packed[i] = (uint32_t(palette[i].r) << 16) | (uint32_t(palette[i].g) << 8) | palette[i].b;
  }
}

void ConvertIndexedFrame(const uint8_t* src, int width, int height, int srcPitch,
                         const uint32_t palette[256], uint32_t* dst, int dstPitch) {
  for (int y = 0; y < height; ++y) {
    const uint8_t* s = src + static_cast<ptrdiff_t>(y) * srcPitch;
    uint32_t* d = dst + static_cast<ptrdiff_t>(y) * dstPitch;
    int x = 0;
    for (; x + 4 <= width; x += 4) {
      d[x] = palette[s[x]];
      d[x + 1] = palette[s[x + 1]];
      d[x + 2] = palette[s[x + 2]];
      d[x + 3] = palette[s[x + 3]];
    }
    for (; x < width; ++x) d[x] = palette[s[x]];
  }
}

void ConvertRgb16Frame(const uint8_t* src, int width, int height, int srcPitch, bool rgb565,
                       uint32_t* dst, int dstPitch) {
  for (int y = 0; y < height; ++y) {
    const uint8_t* s = src + static_cast<ptrdiff_t>(y) * srcPitch;
    uint32_t* d = dst + static_cast<ptrdiff_t>(y) * dstPitch;
    for (int x = 0; x < width; ++x) {
      uint32_t v = uint32_t(s[2 * x]) | (uint32_t(s[2 * x + 1]) << 8);
      uint32_t r, g, b;
      if (rgb565) {
        r = (v >> 11) & 31;
        g = (v >> 5) & 63;
        b = v & 31;
        g = (g << 2) | (g >> 4);
      } else {
        r = (v >> 10) & 31;
        g = (v >> 5) & 31;
        b = v & 31;
        g = (g << 3) | (g >> 2);
      }
      r = (r << 3) | (r >> 2);
      b = (b << 3) | (b >> 2);
      d[x] = (r << 16) | (g << 8) | b;
    }
  }
}

Presenter::~Presenter() = default;

void Presenter::Resize(int width, int height) {
  if (width != width_ || height != height_ || frame_.empty()) {
    width_ = width;
    height_ = height;
    frame_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    kind_ = Pending::kNone;  // every row is new
  }
}

void Presenter::TakeFrame(const uint8_t* pixels, int pitch, size_t rowBytes, Pending kind, bool allChanged) {
  allChanged = allChanged || kind != kind_ || raw_.size() != rowBytes * static_cast<size_t>(height_);
  raw_.resize(rowBytes * static_cast<size_t>(height_));
  int top = height_, bottom = 0;
  for (int y = 0; y < height_; ++y) {
    uint8_t* row = raw_.data() + static_cast<size_t>(y) * rowBytes;
    const uint8_t* in = pixels + static_cast<ptrdiff_t>(y) * pitch;
    if (!allChanged && std::memcmp(row, in, rowBytes) == 0) continue;
    std::memcpy(row, in, rowBytes);
    top = std::min(top, y);
    bottom = y + 1;
  }
  if (allChanged) top = 0, bottom = height_;
  changedTop_ = top < bottom ? top : 0;
  changedBottom_ = top < bottom ? bottom : 0;
  kind_ = kind;
  if (changedTop_ < changedBottom_) {
    if (pending_ == Pending::kNone) {
      pendingTop_ = changedTop_;
      pendingBottom_ = changedBottom_;
    } else {
      pendingTop_ = std::min(pendingTop_, changedTop_);
      pendingBottom_ = std::max(pendingBottom_, changedBottom_);
    }
    pending_ = kind;
  }
  ++frameCount_;
}

void Presenter::PresentIndexed(const uint8_t* pixels, int width, int height, int pitch,
                               const PresentColour palette[256]) {
  if (!pixels || !palette || width <= 0 || height <= 0 || pitch < width) return;
  Resize(width, height);
  uint32_t packed[256];
  PackPalette(palette, packed);
  const bool newPalette = std::memcmp(packed, rawPalette_, sizeof packed) != 0;
  if (newPalette) std::memcpy(rawPalette_, packed, sizeof packed);
  TakeFrame(pixels, pitch, static_cast<size_t>(width), Pending::kIndexed, newPalette);
  Show();
}

void Presenter::PresentRgb16(const uint8_t* pixels, int width, int height, int pitch,
                             bool rgb565) {
  if (!pixels || width <= 0 || height <= 0 || pitch < 2 * width) return;
  Resize(width, height);
  TakeFrame(pixels, pitch, static_cast<size_t>(width) * 2, rgb565 ? Pending::kRgb565 : Pending::kRgb555, false);
  Show();
}

void Presenter::EnsureConverted() const {
  if (pending_ == Pending::kNone) return;
  const int top = pendingTop_, rows = pendingBottom_ - pendingTop_;
  uint32_t* dst = frame_.data() + static_cast<size_t>(top) * width_;
  switch (pending_) {
    case Pending::kNone:
      return;
    case Pending::kIndexed:
      ConvertIndexedFrame(raw_.data() + static_cast<size_t>(top) * width_, width_, rows, width_, rawPalette_, dst,
                          width_);
      break;
    case Pending::kRgb555:
    case Pending::kRgb565:
      ConvertRgb16Frame(raw_.data() + static_cast<size_t>(top) * width_ * 2, width_, rows, width_ * 2,
                        pending_ == Pending::kRgb565, dst, width_);
      break;
  }
  pending_ = Pending::kNone;
}

uint32_t Presenter::PixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  EnsureConverted();
  return frame_[static_cast<size_t>(y) * width_ + x];
}

bool Presenter::WritePng(const std::string& path) const {
  if (frame_.empty() || path.empty()) return false;
  EnsureConverted();
  std::string tmp = path + ".tmp";
  FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    if (png) png_destroy_write_struct(&png, nullptr);
    std::fclose(f);
    std::remove(tmp.c_str());
    return false;
  }
  std::vector<uint8_t> row(static_cast<size_t>(width_) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    std::remove(tmp.c_str());
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, width_, height_, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height_; ++y) {
    const uint32_t* s = frame_.data() + static_cast<size_t>(y) * width_;
    for (int x = 0; x < width_; ++x) {
      row[3 * x] = uint8_t(s[x] >> 16);
      row[3 * x + 1] = uint8_t(s[x] >> 8);
      row[3 * x + 2] = uint8_t(s[x]);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  bool ok = std::fflush(f) == 0;
  ok = (std::fclose(f) == 0) && ok;
  if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

bool IsHeadlessEnvironment() {
  const char* headless = std::getenv("KELVANTHROP_HEADLESS");
  if (headless && std::strcmp(headless, "1") == 0) return true;
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  if (driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0)) {
    return true;
  }
  return false;
}

std::unique_ptr<MemoryPresenter> CreateMemoryPresenter() {
  return std::make_unique<MemoryPresenter>();
}

std::unique_ptr<Presenter> CreatePresenter(std::string* error) {
  if (IsHeadlessEnvironment()) return CreateMemoryPresenter();
  return CreateWindowPresenter(error);
}
