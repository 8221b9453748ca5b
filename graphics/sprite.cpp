#include "graphics/sprite.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <unordered_map>

#include "base/debug.h"
#include "base/pkc.h"
#include "graphics/display.h"
#include "graphics/palette.h"
#include "graphics/pixel_format.h"
#include "graphics/rle_codec.h"
#include "graphics/surface.h"

uint32_t g_spriteLoadFlags = 0x28;

namespace {

// The .mbm file through the PKC reader, kept open for frames loaded later.
class PkcSource : public mbm::Source {
 public:
  explicit PkcSource(PkcFile* file) : file_(file) {
    const int32_t size = PkcGetSize(file_);
    size_ = size > 0 ? static_cast<uint64_t>(size) : 0;
  }
  ~PkcSource() override { PkcClose(file_); }
  uint64_t Size() override { return size_; }
  bool ReadAt(uint64_t offset, void* buffer, size_t n) override {
    error_ = kSpriteErrTruncated;
    if (offset > size_ || n > size_ - offset) return false;
    if (PkcSeek(file_, static_cast<int32_t>(offset), 0) != static_cast<int32_t>(offset)) {
      error_ = PkcGetLastError();
      return false;
    }
    if (n == 0) return true;
    if (PkcRead(file_, buffer, static_cast<int32_t>(n)) != static_cast<int32_t>(n)) {
      const uint32_t e = PkcGetLastError();
      if (e != kPkcOk) error_ = e;
      return false;
    }
    return true;
  }
  uint32_t LastError() override { return error_; }

 private:
  PkcFile* file_;
  uint64_t size_ = 0;
  uint32_t error_ = kSpriteErrTruncated;
};

// A file image owned by the sprite.
class OwnedMemorySource : public mbm::Source {
 public:
  explicit OwnedMemorySource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)), view_(bytes_.data(), bytes_.size()) {}
  uint64_t Size() override { return view_.Size(); }
  bool ReadAt(uint64_t offset, void* buffer, size_t n) override { return view_.ReadAt(offset, buffer, n); }

 private:
  std::vector<uint8_t> bytes_;
  mbm::MemorySource view_;
};

std::vector<uint8_t> DefaultSharedPalette() {
  std::vector<uint8_t> q(mbm::kPaletteSize, 0);
  q[255 * 4 + 0] = q[255 * 4 + 1] = q[255 * 4 + 2] = 255;
  return q;
}

// Errors of a frame this game cannot show: the rest of its file is sound.
bool CannotBeShown(uint32_t error) { return error == kSpriteErrUnsupported || error == kSpriteErrNoPalette; }

DDPalette* PaletteFromQuads(const uint8_t* quads) {
  RgbQuad in[256];
  PaletteEntry entries[256];
  std::memcpy(in, quads, sizeof in);
  RgbQuadsToPaletteEntries(in, entries, 256);
  for (auto& e : entries) e.flags = 0;
  return CreateDisplayPalette(kDisplayPaletteCaps, entries);
}

}  // namespace

struct Sprite::Frame {
  size_t index = 0;  // into layout_.frames
  BitmapInfoHeader header;
  DDPalette* palette = nullptr;  // one reference held
  std::unique_ptr<DDSurface> surface;
  std::vector<uint8_t> packed;
  std::vector<uint32_t> rowStarts;  // where each row of `packed` begins (it was found well-formed)
  uint32_t state = 0;
  bool runLength = false;
  bool trueColour = false;   // more than 8 bits: no palette, shown in the display's colours
  uint32_t unsupported = 0;  // kSpriteErrUnsupported: a kind that cannot be drawn
  // Maps a pixel as stored in the file to its present value: palette matching
  // and colour replacement survive a frame being released and loaded again.
  uint8_t remap[256];
  bool remapped = false;
};

namespace {

// The row starts of a frame's run-length pixels, for BlitTrleClipped (null
// when there are none: the stream is then checked as it is drawn).
const uint32_t* RowStarts(const std::vector<uint32_t>& starts) { return starts.empty() ? nullptr : starts.data(); }

}  // namespace

Sprite::Sprite() {
  layout_.sharedPalette = true;
  layout_.palette = DefaultSharedPalette();
}

Sprite::Sprite(const char* path, uint32_t flags, int) { Open(path, flags); }

uint16_t Sprite::FrameCount() const { return static_cast<uint16_t>(frames_.size()); }

Sprite::~Sprite() { Free(); }

void Sprite::Free() {
  for (Frame& f : frames_) {
    if (f.surface) f.surface->SetPalette(nullptr);
    f.surface.reset();
    if (f.palette) f.palette->Release();
    f.palette = nullptr;
  }
  frames_.clear();
  if (sharedPalette_) sharedPalette_->Release();
  sharedPalette_ = nullptr;
  layout_ = mbm::Layout{};
  source_.reset();
}

uint32_t Sprite::Open(const char* path, uint32_t flags) {
  Free();
  loadFlags_ = flags;
  PkcFile* file = path ? PkcOpen(path) : nullptr;
  if (!file) {
    error_ = path ? PkcGetLastError() : static_cast<uint32_t>(kPkcErrOpen);
    return error_;
  }
  return OpenSource(std::make_unique<PkcSource>(file), flags);
}

uint32_t Sprite::OpenMemory(std::vector<uint8_t> bytes, uint32_t flags) {
  Free();
  loadFlags_ = flags;
  return OpenSource(std::make_unique<OwnedMemorySource>(std::move(bytes)), flags);
}

uint32_t Sprite::OpenSource(std::unique_ptr<mbm::Source> source, uint32_t flags) {
  error_ = mbm::ReadLayout(*source, &layout_);
  if (error_ != kSpriteOk) {
    Free();
    return error_;
  }
  source_ = std::move(source);
  frames_.resize(layout_.frames.size());
  for (size_t i = 0; i < frames_.size(); ++i) {
    Frame& f = frames_[i];
    f.index = i;
    f.header = layout_.frames[i].header;
    f.runLength = f.header.compression == mbm::kCompressionTrle;
    f.trueColour = !mbm::IsPalettised(f.header);
    f.unsupported = layout_.frames[i].unsupported;
    f.state = kFrameHeader;
    for (int v = 0; v < 256; ++v) f.remap[v] = static_cast<uint8_t>(v);
  }
  for (size_t i = 0; i < frames_.size(); ++i) {
    const int n = static_cast<int>(i) + 1;
    error_ = kSpriteOk;
    int ok;
    if (flags & kSpriteLoadAll)
      ok = LoadFrame(n, frames_[i].runLength ? (kFrameHeader | kFramePacked) : (kFrameHeader | kFrameSurface),
                     flags & 0x18);
    else
      ok = (flags & kSpriteLoadModeMask) ? LoadFrame(n, flags & kSpriteLoadModeMask, flags & 0x18) : 1;
    if (!ok && error_ != kSpriteOk && !CannotBeShown(error_)) {
      // A frame that cannot be loaded at open means a damaged file (a mode
      // that asks nothing of a frame is no failure, and a frame this game
      // cannot show leaves the others usable).
      const uint32_t e = error_;
      Free();
      error_ = e;
      return error_;
    }
  }
  error_ = kSpriteOk;
  return error_;
}

Sprite::Frame* Sprite::GetFrame(int n) {
  if (n < 1 || n > static_cast<int>(frames_.size())) {
    error_ = kSpriteErrBadFrame;
    return nullptr;
  }
  return &frames_[static_cast<size_t>(n) - 1];
}

uint32_t Sprite::GetFrameDataSize(int n) {
  Frame* f = GetFrame(n);
  if (!f) return 0;
  const mbm::FrameLayout& l = layout_.frames[f->index];
  return l.entry.size - l.entry.nameLength + (layout_.sharedPalette && !f->trueColour ? mbm::kPaletteSize : 0);
}

std::string Sprite::GetFrameName(int n) {
  Frame* f = GetFrame(n);
  if (!f || !source_) return {};
  const mbm::FrameLayout& l = layout_.frames[f->index];
  std::string name(l.entry.nameLength, '\0');
  if (!name.empty() && !source_->ReadAt(l.entry.offset, name.data(), name.size())) {
    error_ = source_->LastError();
    return {};
  }
  return name;
}

std::vector<uint8_t> Sprite::ReadFrameBits(int n) {
  Frame* f = GetFrame(n);
  if (!f || !source_) return {};
  const mbm::FrameLayout& l = layout_.frames[f->index];
  // A true-colour frame has no palette between its header and pixels.
  const size_t palette = f->trueColour ? 0 : mbm::kPaletteSize;
  std::vector<uint8_t> out;
  try {
    out.resize(mbm::kHeaderSize + palette + l.pixelBytes);
  } catch (const std::bad_alloc&) {
    error_ = kSpriteErrNoMemory;
    return {};
  }
  bool ok = source_->ReadAt(l.headerOffset, out.data(), mbm::kHeaderSize);
  if (ok && palette && layout_.sharedPalette)
    std::memcpy(out.data() + mbm::kHeaderSize, layout_.palette.data(), mbm::kPaletteSize);
  else if (ok && palette)
    ok = source_->ReadAt(l.paletteOffset, out.data() + mbm::kHeaderSize, mbm::kPaletteSize);
  if (ok) ok = source_->ReadAt(l.pixelOffset, out.data() + mbm::kHeaderSize + palette, l.pixelBytes);
  if (!ok) {
    error_ = source_->LastError();
    return {};
  }
  return out;
}

DDPalette* Sprite::FramePalette(Frame& f) {
  if (f.palette || f.trueColour) return f.palette;
  if (layout_.sharedPalette) {
    if (!sharedPalette_) sharedPalette_ = PaletteFromQuads(layout_.palette.data());
    f.palette = sharedPalette_;
    if (f.palette) f.palette->AddRef();
    return f.palette;
  }
  if (!source_) return nullptr;
  uint8_t quads[mbm::kPaletteSize];
  if (!source_->ReadAt(layout_.frames[f.index].paletteOffset, quads, sizeof quads)) {
    error_ = source_->LastError();
    return nullptr;
  }
  f.palette = PaletteFromQuads(quads);
  return f.palette;
}

bool Sprite::ReadPixels(const Frame& f, std::vector<uint8_t>* out) {
  const mbm::FrameLayout& l = layout_.frames[f.index];
  if (!source_) return false;
  try {
    out->resize(l.pixelBytes);
  } catch (const std::bad_alloc&) {
    error_ = kSpriteErrNoMemory;
    return false;
  }
  if (!source_->ReadAt(l.pixelOffset, out->data(), out->size())) {
    error_ = source_->LastError();
    return false;
  }
  return true;
}

bool Sprite::CopyRawRows(const BitmapInfoHeader& h, const std::vector<uint8_t>& pixels, DDSurface* surface) {
  const int width = h.width, rows = mbm::AbsHeight(h.height);
  const size_t stride = DibRowBytes(width, h.bitCount);
  if (stride == 0 || pixels.size() / stride < static_cast<size_t>(rows) || surface->GetWidth() < width ||
      surface->GetHeight() < rows) {
    error_ = kSpriteErrBadHeader;
    return false;
  }
  const bool indexed = mbm::IsPalettised(h);
  // True colour in an 8-bit display: each colour becomes the nearest entry
  // of the display's palette.
  const PaletteEntry* match = nullptr;
  if (!indexed && surface->GetBytesPerPixel() == 1) {
    DDPalette* display = g_primaryDDSurface ? g_primaryDDSurface->GetPalette() : nullptr;
    if (!display) {
      error_ = kSpriteErrNoPalette;
      return false;
    }
    match = display->Entries();
  }
  std::vector<uint8_t> rgb(indexed ? 0 : static_cast<size_t>(width) * 3);
  std::unordered_map<uint32_t, uint8_t> nearest;
  const int format = surface->GetPixelFormat();
  for (int y = 0; y < rows; ++y) {
    const uint8_t* src = pixels.data() + static_cast<size_t>(h.height < 0 ? y : rows - 1 - y) * stride;
    uint8_t* dst = surface->Row(y);
    if (indexed) {
      UnpackDibRow(src, width, h.bitCount, dst);
      continue;
    }
    UnpackDibRow(src, width, h.bitCount, rgb.data());
    for (int x = 0; x < width; ++x) {
      const uint32_t b = rgb[3 * x], g = rgb[3 * x + 1], r = rgb[3 * x + 2];
      if (match) {
        auto it = nearest.find(b | g << 8 | r << 16);
        if (it == nearest.end())
          it = nearest.emplace(b | g << 8 | r << 16, static_cast<uint8_t>(FindNearestColour(match, 0, 256, r, g, b))).first;
        dst[x] = it->second;
      } else {
        const uint16_t v = PackRgb16(format, r, g, b);
        dst[2 * x] = static_cast<uint8_t>(v);
        dst[2 * x + 1] = static_cast<uint8_t>(v >> 8);
      }
    }
  }
  return true;
}

int Sprite::LoadFrame(int n, uint32_t mode, uint32_t) {
  Frame* fp = GetFrame(n);
  if (!fp) return 0;
  Frame& f = *fp;
  mode &= 7;
  if (!f.runLength) mode &= ~kFramePacked;  // raw frames keep no packed pixels
  if (mode == 0) return 0;
  if ((f.state & mode) == mode) return 1;
  if (f.unsupported) {
    error_ = f.unsupported;
    return 0;
  }
  if (!f.trueColour && !FramePalette(f)) return 0;
  f.state |= kFrameHeader;
  const int width = f.header.width, height = mbm::AbsHeight(f.header.height);

  if (f.runLength && (mode & (kFramePacked | kFrameSurface)) && !(f.state & kFramePacked)) {
    std::vector<uint8_t> packed;
    std::vector<uint32_t> rowStarts;
    if (!ReadPixels(f, &packed)) return 0;
    if (!ValidateTrle(packed.data(), packed.size(), width, height, &rowStarts)) {
      error_ = kSpriteErrBadRunLength;
      return 0;
    }
    if (f.remapped) RemapTrle(packed.data(), packed.size(), height, f.remap);
    f.packed = std::move(packed);
    f.rowStarts = std::move(rowStarts);
    f.state |= kFramePacked;
  }
  if ((mode & kFrameSurface) && !(f.state & kFrameSurface)) {
    // A true-colour frame is made in the display's format (code 0).
    auto surface = std::make_unique<DDSurface>();
    if (surface->Create(width, height, f.trueColour ? 0 : 4) != kDDOk) {
      error_ = kSpriteErrNoMemory;
      return 0;
    }
    if (f.runLength) {
      surface->FillRect(0, 0, width, height, kTransparentIndex);
      uint8_t* bits = nullptr;
      int pitch = 0;
      if (surface->Lock(&bits, &pitch) != kDDOk) return 0;
      BlitTrleClipped(f.packed.data(), f.packed.size(), width, height, bits, pitch, width, height, 0, 0,
                      BlitRect{0, 0, width, height}, BlitMode::kCopy, nullptr, RowStarts(f.rowStarts));
      surface->Unlock();
    } else {
      std::vector<uint8_t> pixels;
      if (!ReadPixels(f, &pixels)) return 0;
      if (!CopyRawRows(f.header, pixels, surface.get())) return 0;
      if (f.remapped && surface->GetBytesPerPixel() == 1) surface->RemapWithTable(f.remap);
    }
    if (f.palette) surface->SetPalette(f.palette);
    f.surface = std::move(surface);
    f.state |= kFrameSurface;
  }
  return 1;
}

DDSurface* Sprite::GetFrameSurface(int n, int, int) {
  if (n < 1 || n > static_cast<int>(frames_.size())) return nullptr;
  if (!LoadFrame(n, kFramePacked | kFrameSurface, loadFlags_ & 0x18)) return nullptr;
  return frames_[static_cast<size_t>(n) - 1].surface.get();
}

const BitmapInfoHeader* Sprite::GetFrameInfo(int n) {
  Frame* f = GetFrame(n);
  if (!f) return nullptr;
  return &f->header;
}

DDPalette* Sprite::GetFramePalette(int n) {
  Frame* f = GetFrame(n);
  if (!f) return nullptr;
  return FramePalette(*f);
}

DDSurface* Sprite::GetFrameSurfaceObject(int i) {
  if (frames_.empty()) return nullptr;
  if (i < 0 || i >= static_cast<int>(frames_.size())) i = 0;
  return frames_[static_cast<size_t>(i)].surface.get();
}

void Sprite::ReleaseFrameSurface(int n) {
  Frame* f = GetFrame(n);
  if (!f || !f->surface) return;
  f->surface->SetPalette(nullptr);
  f->surface.reset();
  f->state &= ~kFrameSurface;
}

void Sprite::ApplyTable(Frame& f, const uint8_t table[256], bool) {
  for (int v = 0; v < 256; ++v) f.remap[v] = table[f.remap[v]];
  f.remapped = true;
  if (f.state & kFramePacked) RemapTrle(f.packed.data(), f.packed.size(), mbm::AbsHeight(f.header.height), table);
  if (f.surface) f.surface->RemapWithTable(table);
}

int Sprite::ReplaceColour(int n, uint8_t from, uint8_t to) {
  Frame* f = GetFrame(n);
  if (!f) return 0;
  uint8_t table[256];
  for (int v = 0; v < 256; ++v) table[v] = static_cast<uint8_t>(v);
  table[from] = to;
  ApplyTable(*f, table, !f->runLength);
  return 1;
}

bool Sprite::BlitVariant(int n, DDSurface* target, int x, int y, const uint8_t* table, int mode) {
  Frame* f = GetFrame(n);
  if (!f || !target) return false;
  if (f->trueColour && target->GetBytesPerPixel() != 1) {
    // A true-colour frame made for a 16-bit display: a plain keyed blit.
    if (mode != 0 || !LoadFrame(n, kFrameSurface) || f->surface.get() == target) return false;
    return target->BltKeyed(x, y, f->header.width, mbm::AbsHeight(f->header.height), f->surface.get(), 0, 0) == kDDOk;
  }
  if (target->GetBytesPerPixel() != 1) return false;
  if (mode != 0 && !table) return false;
  const BlitMode blitMode = mode == 1 ? BlitMode::kTable : mode == 2 ? BlitMode::kShadow : BlitMode::kCopy;
  const int width = f->header.width, height = mbm::AbsHeight(f->header.height);
  BlitRect clip;
  if (!target->GetClipBounds(&clip.left, &clip.top, &clip.right, &clip.bottom)) return true;
  if (f->runLength) {
    if (!LoadFrame(n, kFramePacked)) return false;
    uint8_t* bits = nullptr;
    int pitch = 0;
    if (target->Lock(&bits, &pitch) != kDDOk) return false;
    BlitTrleClipped(f->packed.data(), f->packed.size(), width, height, bits, pitch, target->GetWidth(),
                    target->GetHeight(), x, y, clip, blitMode, table, RowStarts(f->rowStarts));
    target->Unlock();
    return true;
  }
  if (!LoadFrame(n, kFrameSurface)) return false;
  if (f->surface.get() == target || f->surface->GetBytesPerPixel() != 1) return false;
  // Raw frames are drawn by the same clipped 8-bit blitter as run-length ones
  // (index 1 transparent, like a keyed blit of the frame surface).
  uint8_t *src = nullptr, *bits = nullptr;
  int spitch = 0, pitch = 0;
  if (f->surface->Lock(&src, &spitch) != kDDOk) return false;
  if (target->Lock(&bits, &pitch) != kDDOk) {
    f->surface->Unlock();
    return false;
  }
  BlitRawKeyed(src, spitch, width, height, bits, pitch, target->GetWidth(), target->GetHeight(), x, y, clip,
               blitMode, table, kTransparentIndex);
  target->Unlock();
  f->surface->Unlock();
  return true;
}

void Sprite::DrawFrame(int n, DDSurface* target, int x, int y) { BlitVariant(n, target, x, y, nullptr, 0); }

void Sprite::DrawFrameVariant(int n, DDSurface* target, int x, int y, const uint8_t* table, int mode) {
  if (mode < 0 || mode > 2) return;
  BlitVariant(n, target, x, y, table, mode);
}

int Sprite::DrawFrameToBuffer(int n, uint8_t* buffer, int pitch, int fill) {
  Frame* f = GetFrame(n);
  if (!f || !buffer) return 0;
  const int width = f->header.width, height = mbm::AbsHeight(f->header.height);
  if (pitch < width) return 0;
  if (f->runLength) {
    if (!LoadFrame(n, kFramePacked)) return 0;
    if (fill)
      for (int r = 0; r < height; ++r) std::memset(buffer + static_cast<ptrdiff_t>(r) * pitch, kTransparentIndex, width);
    BlitTrleClipped(f->packed.data(), f->packed.size(), width, height, buffer, pitch, width, height, 0, 0,
                    BlitRect{0, 0, width, height}, BlitMode::kCopy, nullptr, RowStarts(f->rowStarts));
    return 1;
  }
  if (!LoadFrame(n, kFrameSurface) || f->surface->GetBytesPerPixel() != 1) return 0;
  uint8_t* src = nullptr;
  int spitch = 0;
  if (f->surface->Lock(&src, &spitch) != kDDOk) return 0;
  for (int r = 0; r < height; ++r)
    std::memcpy(buffer + static_cast<ptrdiff_t>(r) * pitch, src + static_cast<ptrdiff_t>(r) * spitch, width);
  f->surface->Unlock();
  return 1;
}

int Sprite::MatchPalette(DDPalette* target, int first, int count, int keepTransparent, int frame) {
  if (frame == 0) return MatchPaletteRange(target, first, count, keepTransparent, 1, FrameCount());
  return MatchPaletteRange(target, first, count, keepTransparent, frame, frame);
}

int Sprite::MatchPaletteRange(DDPalette* target, int first, int count, int keepTransparent, int firstFrame,
                              int lastFrame) {
  return MatchFrames(target, first, count, keepTransparent, firstFrame, lastFrame, false);
}

int Sprite::MatchPaletteWhole(DDPalette* target, int first, int count, int keepTransparent) {
  return MatchFrames(target, first, count, keepTransparent, 1, FrameCount(), true);
}

int Sprite::MatchFrames(DDPalette* target, int first, int count, int keepTransparent, int firstFrame,
                        int lastFrame, bool whole) {
  if (!target || frames_.empty()) return 0;
  int last;
  ClampPaletteRange(first, count, &first, &last);
  if (last <= first) return 0;
  if (firstFrame == 0 && lastFrame == 0) firstFrame = 1, lastFrame = FrameCount();
  if (!GetFrame(firstFrame) || !GetFrame(lastFrame) || lastFrame < firstFrame) return 0;
  const PaletteEntry* to = target->Entries();
  int ok = 1;
  // Frames of one sheet mostly share their palette: a table is worked out
  // once for each palette and kind of frame, not once a frame.
  PaletteEntry cachedFrom[2][256];
  uint8_t cachedTable[2][256];
  bool cached[2] = {false, false};
  for (int n = firstFrame; n <= lastFrame; ++n) {
    Frame& f = frames_[static_cast<size_t>(n) - 1];
    if (f.trueColour) continue;  // already in the display's colours
    DDPalette* from = FramePalette(f);
    if (!from) {
      ok = 0;
      continue;
    }
    const int kind = f.runLength ? 1 : 0;
    uint8_t* table = cachedTable[kind];
    if (!cached[kind] || std::memcmp(cachedFrom[kind], from->Entries(), sizeof cachedFrom[kind]) != 0) {
      if (whole) {
        BuildRemapTable(from->Entries(), to, first, last - first, keepTransparent != 0, table);
      } else if (f.runLength) {
        BuildRemapTable(from->Entries(), to, 0, 256, keepTransparent != 0, table);
      } else {
        BuildRemapTable(from->Entries(), to, first, last - first, keepTransparent != 0, table);
        for (int v = 0; v < 256; ++v)
          if (v < first || v >= last) table[v] = static_cast<uint8_t>(v);
      }
      std::memcpy(cachedFrom[kind], from->Entries(), sizeof cachedFrom[kind]);
      cached[kind] = true;
    }
    ApplyTable(f, table, !f.runLength);
    target->AddRef();
    f.palette->Release();
    f.palette = target;
    if (f.surface) f.surface->SetPalette(target);
  }
  return ok;
}

std::string SpriteErrorText(uint32_t code) {
  const char* words = nullptr;
  switch (code) {
    case kSpriteOk: words = "no error"; break;
    case kSpriteErrBadFrame: words = "no such frame"; break;
    case kSpriteErrNoMemory: words = "out of memory"; break;
    case kSpriteErrBadMagic: words = "not a sprite file"; break;
    case kSpriteErrTruncated: words = "cut short"; break;
    case kSpriteErrBadDirectory: words = "a frame lies outside the file"; break;
    case kSpriteErrBadHeader: words = "a damaged frame header"; break;
    case kSpriteErrUnsupported: words = "a frame format the game cannot draw"; break;
    case kSpriteErrBadRunLength: words = "damaged run-length pixels"; break;
    case kSpriteErrNoFrames: words = "no frame in it"; break;
    case kSpriteErrNoPalette: words = "a true-colour frame with no palette to show it in"; break;
    default: words = PkcErrorText(code); break;
  }
  char buf[160];
  std::snprintf(buf, sizeof buf, code >= 0x1000 ? "%s (error 0x%04X)" : "%s (error %u)", words,
                static_cast<unsigned>(code));
  return buf;
}

Sprite* LoadSpriteOrNull(const char* path, uint32_t flags, int minFrames) {
  Sprite* s = new (std::nothrow) Sprite(path, flags, -1);
  if (s && s->FrameCount() == 0) {
    DebugPrintf("Cannot load the picture %s: %s.\n", path ? path : "(none)",
                SpriteErrorText(s->GetError()).c_str());
    delete s;
    s = nullptr;
  } else if (s && s->FrameCount() < minFrames) {
    DebugPrintf("Cannot use the picture %s: it holds %d frames, %d needed.\n", path ? path : "(none)",
                s->FrameCount(), minFrames);
    delete s;
    s = nullptr;
  }
  return s;
}
