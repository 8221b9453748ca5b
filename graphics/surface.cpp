#include "graphics/surface.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_map>

#include "base/atomic_file.h"
#include "base/debug.h"
#include "base/pkc.h"
#include "graphics/bmp.h"
#include "graphics/display.h"
#include "graphics/paint.h"
#include "graphics/pixel_format.h"

namespace {

constexpr int kMaxSurfaceDimension = 16384;
constexpr size_t kMaxSurfaceBytes = size_t(256) << 20;

int PitchFor(int width, int bytesPerPixel) {
  int pitch = (width * bytesPerPixel + 3) & ~3;
#ifdef KEL_DEBUG
  // Debug builds pad every row so that code assuming pitch == width shows up.
  pitch += 12;
#endif
  return pitch;
}

int DisplayFormatCode() {
  return GetDisplayBitsPerPixel() == 16 ? kFormatRgb565 : kFormatIndexed8;
}

// A rectangle in half-open edges, 64-bit so that no argument can overflow.
struct Edges {
  int64_t left, top, right, bottom;
};

Edges Intersect(Edges a, Edges b) {
  return Edges{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
}

}  // namespace

DDSurface::DDSurface() { RegisterSurface(this); }

DDSurface::DDSurface(const char* path, int videoMemory, int formatCode) {
  RegisterSurface(this);
  std::vector<uint8_t> data;
  if (path && ReadPictureFile(path, &data)) LoadBmp(data.data(), data.size(), videoMemory, formatCode);
}

DDSurface* LoadPictureOrNull(const char* path, int formatCode) {
  const char* shown = path ? path : "(none)";
  std::vector<uint8_t> data;
  uint32_t code = kPkcErrOpen;
  if (!path || !ReadPictureFile(path, &data, 64u << 20, &code)) {
    DebugPrintf("Cannot load the picture %s: %s (error 0x%04X).\n", shown, PkcErrorText(code),
                static_cast<unsigned>(code));
    return nullptr;
  }
  DDSurface* s = new (std::nothrow) DDSurface();
  const uint16_t st = s ? s->LoadBmp(data.data(), data.size(), 0, formatCode) : kDDCreateFailed;
  if (st == kDDOk) return s;
  const char* words = st == kDDBadArgument ? "not a picture the game reads, or damaged"
                      : st == kDDNoPalette  ? "a true-colour picture with no palette to show it in"
                                            : "too large to make";
  DebugPrintf("Cannot load the picture %s: %s (error %u).\n", shown, words, static_cast<unsigned>(st));
  delete s;
  return nullptr;
}

DDSurface::DDSurface(int width, int height, int formatCode, int videoMemory, int for3D) {
  RegisterSurface(this);
  Create(width, height, formatCode, videoMemory, for3D);
}

DDSurface::~DDSurface() {
  if (GetPaintBitmap() == this) SetPaintBitmap(nullptr);
  if (palette_) palette_->Release();
  if (clipper_) clipper_->Release();
  palette_ = nullptr;
  clipper_ = nullptr;
  UnregisterSurface(this);
}

uint16_t DDSurface::Allocate(int width, int height, int formatCode) {
  const int bpp = SurfaceBytesPerPixel(formatCode);
  if (bpp == 0 || width > kMaxSurfaceDimension || height > kMaxSurfaceDimension) {
    return kDDCreateFailed;
  }
  const int pitch = PitchFor(width, bpp);
  const size_t bytes = static_cast<size_t>(pitch) * static_cast<size_t>(height);
  if (bytes > kMaxSurfaceBytes) return kDDCreateFailed;
  pixels_.assign(bytes, 0);
  width_ = width;
  height_ = height;
  pitch_ = pitch;
  bytesPerPixel_ = bpp;
  formatCode_ = formatCode;
  flags_ = 0;
  lockCount_ = 0;
  return kDDOk;
}

uint16_t DDSurface::Create(int width, int height, int formatCode, int videoMemory, int for3D) {
  // Either size not positive is refused (not only both).
  if (width <= 0 || height <= 0) return kDDBadArgument;
  std::vector<uint8_t>().swap(pixels_);
  hasKey_ = false;
  const int code = formatCode ? formatCode : DisplayFormatCode();
  uint16_t st = Allocate(width, height, code);
  if (st != kDDOk) {
    std::vector<uint8_t>().swap(pixels_);
    width_ = height_ = pitch_ = bytesPerPixel_ = formatCode_ = 0;
    return st;
  }
  for3D_ = for3D != 0;
  if (palette_ && formatCode_ != kFormatIndexed8) {
    palette_->Release();  // only palettised surfaces hold a palette
    palette_ = nullptr;
  }
  SetColorKey(kColorKeySrcBlt, 1, 1);
  return kDDOk;
}

uint16_t DDSurface::AllocateDisplayStorage(int width, int height, int formatCode) {
  hasKey_ = false;
  if (width <= 0 || height <= 0) {
    std::vector<uint8_t>().swap(pixels_);
    width_ = height_ = pitch_ = bytesPerPixel_ = formatCode_ = 0;
    return kDDOk;
  }
  return Allocate(width, height, formatCode);
}

void DDSurface::SwapStorage(DDSurface& other) {
  pixels_.swap(other.pixels_);
  std::swap(width_, other.width_);
  std::swap(height_, other.height_);
  std::swap(pitch_, other.pitch_);
  std::swap(bytesPerPixel_, other.bytesPerPixel_);
  std::swap(formatCode_, other.formatCode_);
}

uint16_t DDSurface::SetColorKey(uint32_t flags, uint32_t low, uint32_t high) {
  if (!HasSurface()) return kDDNoSurface;
  if (!(flags & kColorKeySrcBlt)) return kDDBadArgument;
  hasKey_ = true;
  keyLow_ = low;
  keyHigh_ = high;
  return kDDOk;
}

uint16_t DDSurface::GetColorKey(uint32_t flags, uint32_t* low, uint32_t* high) const {
  if (!HasSurface()) return kDDNoSurface;
  if (!(flags & kColorKeySrcBlt) || !hasKey_) return kDDCallFailed;
  if (low) *low = keyLow_;
  if (high) *high = keyHigh_;
  return kDDOk;
}

namespace {

// Holds `object` in `slot`, counting references, by the rules palettes and
// clippers share: letting go works even without storage (a one-buffer
// display surface), taking a new one needs storage; the new one is held
// before the old one is released.
template <typename T>
uint16_t Attach(bool hasSurface, T*& slot, T* object) {
  if (!object) {
    if (!slot) return hasSurface ? kDDOk : kDDNoSurface;
    slot->Release();
    slot = nullptr;
    return kDDOk;
  }
  if (!hasSurface) return kDDNoSurface;
  if (object == slot) return kDDOk;
  object->AddRef();
  T* old = slot;
  slot = object;
  if (old) old->Release();
  return kDDOk;
}

}  // namespace

uint16_t DDSurface::SetPalette(DDPalette* palette) {
  const bool changes = palette && palette != palette_ && HasSurface();
  if (changes && formatCode_ != kFormatIndexed8) return kDDCallFailed;
  const uint16_t st = Attach(HasSurface(), palette_, palette);
  if (changes && this == g_primaryDDSurface) PresentDisplay();
  return st;
}

uint16_t DDSurface::SetClipper(DDClipper* clipper) { return Attach(HasSurface(), clipper_, clipper); }

uint16_t DDSurface::Lock(uint8_t** bits, int* pitch) {
  if (!HasSurface()) return kDDNoSurface;
  if (!bits || !pitch) return kDDBadArgument;
  *bits = pixels_.data();
  *pitch = pitch_;
  ++lockCount_;
  return kDDOk;
}

uint16_t DDSurface::Unlock() {
  if (!HasSurface()) return kDDNoSurface;
  if (lockCount_ > 0) --lockCount_;
  Changed();
  return kDDOk;
}

void DDSurface::Changed() {
  if (this == g_primaryDDSurface) PresentDisplay();
}

bool DDSurface::GetClipBounds(int* left, int* top, int* right, int* bottom) const {
  Edges e{0, 0, width_, height_};
  if (!HasSurface()) e = Edges{0, 0, 0, 0};
  if (clipper_) {
    ClipRect r;
    clipper_->GetClipRect(&r);
    e = Intersect(e, Edges{r.x, r.y, int64_t(r.x) + r.width, int64_t(r.y) + r.height});
  }
  if (e.right < e.left) e.right = e.left;
  if (e.bottom < e.top) e.bottom = e.top;
  if (left) *left = int(e.left);
  if (top) *top = int(e.top);
  if (right) *right = int(e.right);
  if (bottom) *bottom = int(e.bottom);
  return e.right > e.left && e.bottom > e.top;
}

uint16_t DDSurface::Blt(int dstX, int dstY, int width, int height, DDSurface* src, int srcX,
                        int srcY) {
  return BlitCommon(dstX, dstY, width, height, src, srcX, srcY, false);
}

uint16_t DDSurface::BltKeyed(int dstX, int dstY, int width, int height, DDSurface* src, int srcX,
                             int srcY) {
  return BlitCommon(dstX, dstY, width, height, src, srcX, srcY, true);
}

uint16_t DDSurface::BlitCommon(int dstX, int dstY, int width, int height, DDSurface* src,
                               int srcX, int srcY, bool keyed) {
  if (!HasSurface()) return kDDNoSurface;
  if (!src || width < 0 || height < 0) return kDDBadArgument;
  if (!src->HasSurface()) return kDDNoSurface;
  if (src->bytesPerPixel_ != bytesPerPixel_) return kDDCallFailed;
  if (keyed && !src->hasKey_) return kDDCallFailed;

  // Source rectangle cut to the source surface, moving the destination along.
  int64_t dx = dstX, dy = dstY, sx = srcX, sy = srcY, w = width, h = height;
  if (sx < 0) { dx -= sx; w += sx; sx = 0; }
  if (sy < 0) { dy -= sy; h += sy; sy = 0; }
  w = std::min<int64_t>(w, src->width_ - sx);
  h = std::min<int64_t>(h, src->height_ - sy);
  // Destination cut to this surface and its clipper, moving the source along.
  int cl, ct, cr, cb;
  if (!GetClipBounds(&cl, &ct, &cr, &cb)) return kDDOk;
  if (dx < cl) { sx += cl - dx; w -= cl - dx; dx = cl; }
  if (dy < ct) { sy += ct - dy; h -= ct - dy; dy = ct; }
  w = std::min<int64_t>(w, cr - dx);
  h = std::min<int64_t>(h, cb - dy);
  if (w <= 0 || h <= 0) return kDDOk;

  const int bpp = bytesPerPixel_;
  const size_t rowBytes = static_cast<size_t>(w) * bpp;
  const bool self = src == this;
  // Rows are walked against the direction of an overlapping move.
  const bool upward = self && sy < dy;
  if (!keyed && dx == 0 && sx == 0 && w == width_ && w == src->width_ && src->pitch_ == pitch_) {
    // Whole rows of equal layout: one block (row padding comes along, unused).
    std::memmove(Row(int(dy)), src->Row(int(sy)),
                 static_cast<size_t>(h - 1) * pitch_ + rowBytes);
    Changed();
    return kDDOk;
  }
  std::vector<uint8_t> temp;
  if (self && keyed) temp.resize(rowBytes);
  for (int64_t i = 0; i < h; ++i) {
    int64_t row = upward ? h - 1 - i : i;
    const uint8_t* s = src->Row(int(sy + row)) + sx * bpp;
    uint8_t* d = Row(int(dy + row)) + dx * bpp;
    if (!keyed) {
      std::memmove(d, s, rowBytes);
      continue;
    }
    if (self) {
      std::memcpy(temp.data(), s, rowBytes);
      s = temp.data();
    }
    if (bpp == 1) {
      const uint8_t lo = uint8_t(std::min<uint32_t>(src->keyLow_, 255));
      const uint8_t hi = uint8_t(std::min<uint32_t>(src->keyHigh_, 255));
      if (src->keyLow_ > 255) {
        std::memcpy(d, s, rowBytes);
      } else if (lo == hi) {
        // Eight pixels at a time: a byte mask of the pixels that are not the key.
        constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
        constexpr uint64_t kHigh = 0x8080808080808080ull;
        const uint64_t keyBytes = 0x0101010101010101ull * lo;
        int64_t x = 0;
        for (; x + 8 <= w; x += 8) {
          uint64_t sv, dv;
          std::memcpy(&sv, s + x, 8);
          std::memcpy(&dv, d + x, 8);
          const uint64_t diff = sv ^ keyBytes;
          const uint64_t nonzero = (((diff & kLow7) + kLow7) | diff) & kHigh;
          const uint64_t keep = (nonzero >> 7) * 0xFF;
          dv = (sv & keep) | (dv & ~keep);
          std::memcpy(d + x, &dv, 8);
        }
        for (; x < w; ++x) {
          uint8_t v = s[x];
          if (v != lo) d[x] = v;
        }
      } else {
        for (int64_t x = 0; x < w; ++x) {
          uint8_t v = s[x];
          if (v < lo || v > hi) d[x] = v;
        }
      }
    } else {
      for (int64_t x = 0; x < w; ++x) {
        uint32_t v = uint32_t(s[2 * x]) | (uint32_t(s[2 * x + 1]) << 8);
        if (v < src->keyLow_ || v > src->keyHigh_) {
          d[2 * x] = s[2 * x];
          d[2 * x + 1] = s[2 * x + 1];
        }
      }
    }
  }
  Changed();
  return kDDOk;
}

uint16_t DDSurface::BltStretch(int dstX, int dstY, int dstW, int dstH, DDSurface* src, int srcX,
                               int srcY, int srcW, int srcH, uint32_t flags, const DDBltFx* fx) {
  if (!HasSurface()) return kDDNoSurface;
  if (flags & kBltColorFill) {
    if (!fx) return kDDBadArgument;
    return FillRect(dstX, dstY, dstW, dstH, fx->fillColor);
  }
  if (!src || dstW < 0 || dstH < 0 || srcW < 0 || srcH < 0) return kDDBadArgument;
  if (!src->HasSurface()) return kDDNoSurface;
  const bool keyed = (flags & kBltKeySrc) != 0;
  const bool mirrorX = (flags & kBltDdfx) && fx && (fx->ddfx & kBltFxMirrorLeftRight);
  const bool mirrorY = (flags & kBltDdfx) && fx && (fx->ddfx & kBltFxMirrorUpDown);
  if (dstW == srcW && dstH == srcH && !mirrorX && !mirrorY) {
    return BlitCommon(dstX, dstY, dstW, dstH, src, srcX, srcY, keyed);
  }
  if (src->bytesPerPixel_ != bytesPerPixel_) return kDDCallFailed;
  if (keyed && !src->hasKey_) return kDDCallFailed;
  if (dstW == 0 || dstH == 0 || srcW == 0 || srcH == 0) return kDDOk;

  int cl, ct, cr, cb;
  if (!GetClipBounds(&cl, &ct, &cr, &cb)) return kDDOk;
  const int64_t x0 = std::max<int64_t>(dstX, cl), x1 = std::min<int64_t>(int64_t(dstX) + dstW, cr);
  const int64_t y0 = std::max<int64_t>(dstY, ct), y1 = std::min<int64_t>(int64_t(dstY) + dstH, cb);
  if (x1 <= x0 || y1 <= y0) return kDDOk;

  // Nearest sampling: destination pixel i of the rectangle reads source pixel
  // i * srcSize / dstSize. Samples that fall outside the source are skipped.
  std::vector<int> cols(static_cast<size_t>(x1 - x0));
  for (int64_t x = x0; x < x1; ++x) {
    int64_t rel = x - dstX;
    if (mirrorX) rel = dstW - 1 - rel;
    int64_t s = srcX + rel * srcW / dstW;
    cols[size_t(x - x0)] = (s >= 0 && s < src->width_) ? int(s) : -1;
  }
  // A stretch within one surface reads from a snapshot of it.
  std::vector<uint8_t> snapshot;
  const uint8_t* srcBase = src->pixels_.data();
  if (src == this) {
    snapshot = pixels_;
    srcBase = snapshot.data();
  }
  const int bpp = bytesPerPixel_;
  for (int64_t y = y0; y < y1; ++y) {
    int64_t rel = y - dstY;
    if (mirrorY) rel = dstH - 1 - rel;
    int64_t sy = srcY + rel * srcH / dstH;
    if (sy < 0 || sy >= src->height_) continue;
    const uint8_t* s = srcBase + static_cast<size_t>(sy) * src->pitch_;
    uint8_t* d = Row(int(y));
    for (int64_t x = x0; x < x1; ++x) {
      int c = cols[size_t(x - x0)];
      if (c < 0) continue;
      if (bpp == 1) {
        uint8_t v = s[c];
        if (keyed && v >= src->keyLow_ && v <= src->keyHigh_) continue;
        d[x] = v;
      } else {
        uint32_t v = uint32_t(s[2 * c]) | (uint32_t(s[2 * c + 1]) << 8);
        if (keyed && v >= src->keyLow_ && v <= src->keyHigh_) continue;
        d[2 * x] = s[2 * c];
        d[2 * x + 1] = s[2 * c + 1];
      }
    }
  }
  Changed();
  return kDDOk;
}

uint16_t DDSurface::FillRect(int x, int y, int width, int height, uint32_t colour) {
  if (!HasSurface()) return kDDNoSurface;
  if (width < 0 || height < 0) return kDDBadArgument;
  int cl, ct, cr, cb;
  if (!GetClipBounds(&cl, &ct, &cr, &cb)) return kDDOk;
  const int64_t x0 = std::max<int64_t>(x, cl), x1 = std::min<int64_t>(int64_t(x) + width, cr);
  const int64_t y0 = std::max<int64_t>(y, ct), y1 = std::min<int64_t>(int64_t(y) + height, cb);
  if (x1 <= x0 || y1 <= y0) return kDDOk;
  for (int64_t row = y0; row < y1; ++row) {
    uint8_t* d = Row(int(row));
    if (bytesPerPixel_ == 1) {
      std::memset(d + x0, int(colour & 0xFF), size_t(x1 - x0));
    } else {
      for (int64_t c = x0; c < x1; ++c) {
        d[2 * c] = uint8_t(colour);
        d[2 * c + 1] = uint8_t(colour >> 8);
      }
    }
  }
  Changed();
  return kDDOk;
}

uint16_t DDSurface::LoadBmp(const uint8_t* data, size_t size, int videoMemory, int formatCode) {
  BmpImage img;
  if (!DecodeBmp(data, size, &img)) return kDDBadArgument;
  const int code = formatCode ? formatCode : kFormatIndexed8;
  if (code != kFormatIndexed8 && code != kFormatRgb555 && code != kFormatRgb565) {
    return kDDBadArgument;
  }
  // A true-colour picture in 8 bits is matched to the palette this surface
  // already has, or else to the display's.
  DDPalette* matchTo = nullptr;
  if (code == kFormatIndexed8 && !img.palettised) {
    matchTo = palette_;
    if (!matchTo && g_primaryDDSurface) matchTo = g_primaryDDSurface->GetPalette();
    if (!matchTo) return kDDNoPalette;
    matchTo->AddRef();  // survives the Create below whatever happens to it
  }
  uint16_t st = Create(img.width, img.height, code, videoMemory, 0);
  if (st != kDDOk) {
    if (matchTo) matchTo->Release();
    return st;
  }
  const int w = img.width;
  if (code == kFormatIndexed8) {
    if (img.palettised) {
      for (int y = 0; y < img.height; ++y) {
        std::memcpy(Row(y), img.pixels.data() + static_cast<size_t>(y) * w, w);
      }
      PaletteEntry entries[256];
      RgbQuadsToPaletteEntries(img.palette, entries, 256);
      for (PaletteEntry& e : entries) e.flags = 0;
      DDPalette* own = CreateDisplayPalette(kDisplayPaletteCaps, entries);
      SetPalette(own);
      own->Release();
    } else {
      const PaletteEntry* e = matchTo->Entries();
      std::unordered_map<uint32_t, uint8_t> cache;
      for (int y = 0; y < img.height; ++y) {
        const uint8_t* s = img.pixels.data() + static_cast<size_t>(y) * w * 3;
        uint8_t* d = Row(y);
        for (int x = 0; x < w; ++x) {
          const uint32_t key = uint32_t(s[3 * x]) | (uint32_t(s[3 * x + 1]) << 8) |
                               (uint32_t(s[3 * x + 2]) << 16);
          auto it = cache.find(key);
          if (it == cache.end()) {
            int n = FindNearestColour(e, 0, 256, s[3 * x + 2], s[3 * x + 1], s[3 * x]);
            it = cache.emplace(key, uint8_t(n)).first;
          }
          d[x] = it->second;
        }
      }
      SetPalette(matchTo);
      matchTo->Release();
    }
  } else {
    for (int y = 0; y < img.height; ++y) {
      uint8_t* d = Row(y);
      for (int x = 0; x < w; ++x) {
        uint32_t r, g, b;
        if (img.palettised) {
          const RgbQuad& q = img.palette[img.pixels[static_cast<size_t>(y) * w + x]];
          r = q.red; g = q.green; b = q.blue;
        } else {
          const uint8_t* s = img.pixels.data() + (static_cast<size_t>(y) * w + x) * 3;
          b = s[0]; g = s[1]; r = s[2];
        }
        const uint16_t v = PackRgb16(code, r, g, b);
        d[2 * x] = uint8_t(v);
        d[2 * x + 1] = uint8_t(v >> 8);
      }
    }
  }
  Changed();
  return kDDOk;
}

uint16_t DDSurface::SaveBmp(const char* path) const {
  if (!HasSurface()) return kDDNoSurface;
  if (formatCode_ != kFormatIndexed8) return kDDNot8Bit;
  if (!palette_) return kDDNoPalette;
  if (!path || !*path) return kDDBadArgument;
  std::vector<uint8_t> bytes = EncodeBmp8(pixels_.data(), width_, height_, pitch_,
                                          palette_->Entries());
  return WriteFileAtomic(path, bytes.data(), bytes.size()) ? kDDOk : kDDCallFailed;
}

uint16_t DDSurface::Restore() { return HasSurface() ? kDDOk : kDDNoSurface; }
uint16_t DDSurface::BackupPixels() { return HasSurface() ? kDDOk : kDDNoSurface; }

uint16_t DDSurface::RemapToPalette(DDPalette* palette) {
  return RemapToPaletteRange(palette, 0, 256);
}

uint16_t DDSurface::RemapToPaletteRange(DDPalette* palette, int first, int count) {
  if (!HasSurface()) return kDDNoSurface;
  if (!palette) return kDDBadArgument;
  if (formatCode_ != kFormatIndexed8) return kDDNot8Bit;
  if (!palette_) return kDDNoPalette;
  if (first < 0 || count <= 0 || first > 255) return kDDBadArgument;
  uint8_t table[256];
  BuildRemapTable(palette_->Entries(), palette->Entries(), first, count, false, table);
  RemapWithTable(table);
  return SetPalette(palette);
}

uint16_t DDSurface::RemapWithTable(const uint8_t table[256]) {
  if (!HasSurface()) return kDDNoSurface;
  if (!table) return kDDBadArgument;
  if (formatCode_ != kFormatIndexed8) return kDDNot8Bit;
  for (int y = 0; y < height_; ++y) {
    uint8_t* d = Row(y);
    for (int x = 0; x < width_; ++x) d[x] = table[d[x]];
  }
  Changed();
  return kDDOk;
}

uint16_t DDSurface::RemapWithTable(DDPalette* palette, int keepKey, const uint8_t usable[256]) {
  if (!HasSurface()) return kDDNoSurface;
  if (!palette || !usable) return kDDBadArgument;
  if (formatCode_ != kFormatIndexed8) return kDDNot8Bit;
  if (!palette_) return kDDNoPalette;
  uint8_t allowed[256];
  std::memcpy(allowed, usable, 256);
  if (keepKey) allowed[1] = 0;
  uint8_t table[256];
  const PaletteEntry* own = palette_->Entries();
  for (int i = 0; i < 256; ++i) {
    if (keepKey && i == 1) {
      table[i] = 1;
      continue;
    }
    int n = FindNearestUsableColour(palette->Entries(), allowed, own[i].red, own[i].green,
                                    own[i].blue);
    if (n < 0) return kDDBadArgument;  // no usable entry at all
    table[i] = uint8_t(n);
  }
  RemapWithTable(table);
  return SetPalette(palette);
}

uint16_t BlitSurfaceRect(DDSurface* dest, int x, int y, int width, int height, DDSurface* src,
                         int srcX, int srcY, int srcWidth, int srcHeight, uint32_t flags,
                         const DDBltFx* fx) {
  if (!dest) return kDDBadArgument;
  return dest->BltStretch(x, y, width, height, src, srcX, srcY, srcWidth, srcHeight, flags, fx);
}
