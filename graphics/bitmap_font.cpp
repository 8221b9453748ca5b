#include "graphics/bitmap_font.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "base/debug.h"
#include "graphics/font_raster.h"
#include "graphics/mbm_writer.h"
#include "graphics/rle_codec.h"
#include "graphics/surface.h"

namespace {

// Glyph pixels of a rendered font: ink in index 255, white in the sprite's
// default palette; paper transparent.
constexpr uint8_t kRenderedInk = 255;

// Eight bytes of memory as one word and back (in the machine's byte order,
// the same both ways).
uint64_t LoadWord(const uint8_t* p) {
  uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}
void StoreWord(uint8_t* p, uint64_t w) { std::memcpy(p, &w, sizeof w); }

// Words whose first n bytes are 0xFF and the rest 0, for n = 0..8.
const std::array<uint64_t, 9> kLowBytes = [] {
  std::array<uint64_t, 9> words{};
  for (int n = 0; n <= 8; ++n) {
    uint8_t bytes[8] = {};
    for (int i = 0; i < n; ++i) bytes[i] = 0xFF;
    words[static_cast<size_t>(n)] = LoadWord(bytes);
  }
  return words;
}();

// The pixels of p where m has 0xFF, those of d elsewhere.
uint64_t Blend(uint64_t d, uint64_t p, uint64_t m) { return d ^ ((d ^ p) & m); }

// Blends `rows` rows of n words (pairs of pixels and mask, `stride` words
// from row to row) into out, the first word's mask cut by clipFirst and the
// last one's by clipLast; every pixel in inkWord's colour when kInked. The
// usual widths, one and two words, have loops of their own.
template <bool kInked>
void BlendWordRows(const uint64_t* row, size_t stride, uint8_t* out, int pitch, int rows, int n,
                   uint64_t clipFirst, uint64_t clipLast, uint64_t inkWord) {
  auto pixels = [&](const uint64_t* pair) { return kInked ? inkWord : pair[0]; };
  if (n == 1) {
    const uint64_t clip = clipFirst & clipLast;
    for (int y = 0; y < rows; ++y, row += stride, out += pitch)
      StoreWord(out, Blend(LoadWord(out), pixels(row), row[1] & clip));
    return;
  }
  if (n == 2) {
    for (int y = 0; y < rows; ++y, row += stride, out += pitch) {
      StoreWord(out, Blend(LoadWord(out), pixels(row), row[1] & clipFirst));
      StoreWord(out + 8, Blend(LoadWord(out + 8), pixels(row + 2), row[3] & clipLast));
    }
    return;
  }
  for (int y = 0; y < rows; ++y, row += stride, out += pitch) {
    StoreWord(out, Blend(LoadWord(out), pixels(row), row[1] & clipFirst));
    for (int k = 1; k < n - 1; ++k)
      StoreWord(out + 8 * k, Blend(LoadWord(out + 8 * k), pixels(row + 2 * k), row[2 * k + 1]));
    const uint64_t* last = row + 2 * (n - 1);
    uint8_t* lastOut = out + 8 * (n - 1);
    StoreWord(lastOut, Blend(LoadWord(lastOut), pixels(last), last[1] & clipLast));
  }
}

int Scaled(int64_t v, float scale) {
  if (scale == 1.0f) return static_cast<int>(v);  // the usual case, and exact
  return static_cast<int>(std::lround(static_cast<double>(v) * scale));
}

}  // namespace

BitmapFont::BitmapFont(const char* path, int first, int count, uint32_t loadFlags) {
  first_ = std::clamp(first, 0, 255);
  sprite_.Open(path, loadFlags);
  error_ = sprite_.GetError();
  if (error_ == kSpriteOk) TakeGlyphsFromSprite(first_, count);
}

BitmapFont::BitmapFont(int first, int count, int height, int width, int weight, int italic, int underline,
                       int strikeOut, int pitchAndFamily, const char* faceName) {
  first_ = std::clamp(first, 0, 255);
  count = std::clamp(count, 0, 256 - first_);
  FontRequest request;
  request.height = height;
  request.width = width;
  request.weight = weight;
  request.italic = italic != 0;
  request.underline = underline != 0;
  request.strikeOut = strikeOut != 0;
  request.pitchAndFamily = pitchAndFamily;
  if (faceName) request.faceName = faceName;
  RasterFont raster;
  if (count == 0 || !RasterizeSystemFont(request, first_, count, &raster)) {
    error_ = kFontErrNoSystemFont;
    return;
  }
  // The glyphs become the frames of the font's own sprite.
  std::vector<MbmFrameSpec> frames(raster.glyphs.size());
  for (size_t i = 0; i < frames.size(); ++i) {
    const RasterGlyph& g = raster.glyphs[i];
    MbmFrameSpec& f = frames[i];
    f.width = g.advance;
    f.height = -raster.height;
    f.pixels.resize(g.pixels.size());
    for (size_t p = 0; p < g.pixels.size(); ++p) f.pixels[p] = g.pixels[p] ? kRenderedInk : kTransparentIndex;
    f.runLength = true;
  }
  std::vector<uint8_t> palette(1024, 0);
  palette[255 * 4] = palette[255 * 4 + 1] = palette[255 * 4 + 2] = 255;
  std::vector<uint8_t> file = BuildMbm(frames, &palette);
  if (file.empty() || sprite_.OpenMemory(std::move(file), 0x20) != kSpriteOk) {
    error_ = file.empty() ? kFontErrNoSystemFont : sprite_.GetError();
    return;
  }
  TakeGlyphsFromSprite(first_, count);
  SetInkColour(255, 255, 255);
}

void BitmapFont::TakeGlyphsFromSprite(int first, int count) {
  const int n = std::min({std::max(count, 0), static_cast<int>(sprite_.FrameCount()), 256 - first});
  glyphs_.assign(static_cast<size_t>(n), Glyph{});
  height_ = 0;
  for (int i = 0; i < n; ++i) {
    const BitmapInfoHeader* h = sprite_.GetFrameInfo(i + 1);
    if (!h) continue;
    Glyph& g = glyphs_[static_cast<size_t>(i)];
    g.width = h->width;
    g.height = std::abs(h->height);
    g.pixels.assign(static_cast<size_t>(g.width) * g.height, kTransparentIndex);
    if (!sprite_.DrawFrameToBuffer(i + 1, g.pixels.data(), g.width, 1)) {
      g.pixels.assign(g.pixels.size(), kTransparentIndex);
    }
    height_ = std::max(height_, g.height);
    g.words = (g.width + 7) / 8;
    g.wordRows.assign(static_cast<size_t>(g.words) * 2 * static_cast<size_t>(g.height), 0);
    for (int y = 0; y < g.height; ++y)
      for (int k = 0; k < g.words; ++k) {
        uint8_t pixels[8] = {}, mask[8] = {};
        for (int i = 0; i < 8 && 8 * k + i < g.width; ++i) {
          const uint8_t v = g.pixels[static_cast<size_t>(y) * static_cast<size_t>(g.width) + 8 * k + i];
          pixels[i] = v;
          mask[i] = v != kTransparentIndex ? 0xFF : 0;
        }
        uint64_t* pair = &g.wordRows[(static_cast<size_t>(y) * static_cast<size_t>(g.words) + k) * 2];
        pair[0] = LoadWord(pixels);
        pair[1] = LoadWord(mask);
      }
  }
  if (n == 0 && error_ == 0) error_ = kSpriteErrNoFrames;
}

const BitmapFont::Glyph* BitmapFont::Find(uint8_t c) const {
  const int i = static_cast<int>(c) - first_;
  if (i < 0 || i >= static_cast<int>(glyphs_.size())) return nullptr;
  return &glyphs_[static_cast<size_t>(i)];
}

void BitmapFont::SetScale(float xScale, float yScale) {
  // A scale that is not a positive finite number keeps the glyphs' own size.
  xScale_ = (std::isfinite(xScale) && xScale > 0.0f && xScale <= 64.0f) ? xScale : 1.0f;
  yScale_ = (std::isfinite(yScale) && yScale > 0.0f && yScale <= 64.0f) ? yScale : 1.0f;
}

void BitmapFont::SetInkColour(const PaletteEntry& colour) {
  inkColour_ = colour;
  inkByColour_ = true;
  inkIndex_ = -1;
}

void BitmapFont::SetInkColour(int red, int green, int blue) {
  SetInkColour(PaletteEntry{static_cast<uint8_t>(std::clamp(red, 0, 255)),
                            static_cast<uint8_t>(std::clamp(green, 0, 255)),
                            static_cast<uint8_t>(std::clamp(blue, 0, 255)), 0});
}

void BitmapFont::SetInkIndex(int index) {
  inkIndex_ = (index >= 0 && index <= 255) ? index : -1;
  inkByColour_ = false;
}

int BitmapFont::GetCharAdvance(uint8_t c) const {
  const Glyph* g = Find(c);
  return g ? g->width : 0;
}

int BitmapFont::GetTextWidth(const char* text) const {
  if (!text) return 0;
  int64_t sum = 0;
  for (const char* p = text; *p; ++p) sum += GetCharAdvance(static_cast<uint8_t>(*p));
  return Scaled(sum, xScale_);
}

int BitmapFont::GetHeight() const { return Scaled(height_, yScale_); }

// Output pixel (ox, oy) of a glyph drawn outW x outH shows its pixel
// (ox * width / outW, oy * height / outH), rounded down. The source column
// and row are stepped with a whole part and a remainder instead of divided
// for every pixel; at the glyph's own size the rows are copied straight.
void BitmapFont::DrawGlyph(const Glyph& g, int outW, int outH, int ox0, int ox1, int oy0, int oy1,
                           uint8_t* dst, int pitch, int ink) {
  const int n = ox1 - ox0;
  const bool ownWidth = outW == g.width;
  if (!ownWidth) {
    columns_.resize(static_cast<size_t>(n));
    int64_t sx = int64_t{ox0} * g.width / outW;
    int64_t rest = int64_t{ox0} * g.width - sx * outW;
    for (int i = 0; i < n; ++i) {
      columns_[static_cast<size_t>(i)] = static_cast<uint32_t>(sx);
      rest += g.width;
      while (rest >= outW) {
        rest -= outW;
        ++sx;
      }
    }
  }
  const uint32_t* columns = columns_.data();
  const uint8_t inkByte = static_cast<uint8_t>(ink);
  int64_t sy = int64_t{oy0} * g.height / outH;
  int64_t restY = int64_t{oy0} * g.height - sy * outH;
  for (int oy = oy0; oy < oy1; ++oy, dst += pitch) {
    const uint8_t* row = g.pixels.data() + static_cast<size_t>(sy) * static_cast<size_t>(g.width);
    uint8_t* out = dst + ox0;
    // Every output pixel is stored, the old one where the glyph is
    // transparent: no branch to mispredict, and whole rows in vectors.
    if (ownWidth) {
      const uint8_t* in = row + ox0;
      if (ink >= 0) {
        for (int i = 0; i < n; ++i) out[i] = in[i] != kTransparentIndex ? inkByte : out[i];
      } else {
        for (int i = 0; i < n; ++i) out[i] = in[i] != kTransparentIndex ? in[i] : out[i];
      }
    } else {
      for (int i = 0; i < n; ++i) {
        const uint8_t v = row[columns[i]];
        out[i] = v != kTransparentIndex ? (ink >= 0 ? inkByte : v) : out[i];
      }
    }
    restY += g.height;
    while (restY >= outH) {
      restY -= outH;
      ++sy;
    }
  }
}

void BitmapFont::DrawGlyphWords(const Glyph& g, int ox0, int ox1, int oy0, int oy1, uint8_t* dst, int pitch,
                                int ink) {
  const int k0 = ox0 / 8, k1 = (ox1 - 1) / 8;
  // The clip, once for the glyph: the columns before ox0 drop out of the
  // first word's mask, those from ox1 on out of the last one's.
  const uint64_t clipFirst = ~kLowBytes[static_cast<size_t>(ox0 - 8 * k0)];
  const uint64_t clipLast = kLowBytes[static_cast<size_t>(ox1 - 8 * k1)];
  const size_t stride = static_cast<size_t>(g.words) * 2;
  const uint64_t* row = g.wordRows.data() + static_cast<size_t>(oy0) * stride + static_cast<size_t>(k0) * 2;
  uint8_t* out = dst + 8 * k0;
  if (ink >= 0)
    BlendWordRows<true>(row, stride, out, pitch, oy1 - oy0, k1 - k0 + 1, clipFirst, clipLast,
                        uint64_t{0x0101010101010101} * static_cast<uint8_t>(ink));
  else
    BlendWordRows<false>(row, stride, out, pitch, oy1 - oy0, k1 - k0 + 1, clipFirst, clipLast, 0);
}

int BitmapFont::DrawText(DDSurface* target, int x, int y, const char* text) {
  if (!text || glyphs_.empty()) return 0;
  const int width = GetTextWidth(text), height = GetHeight();
  int64_t left = x, top = y;
  if ((flags_ & kFontAlignCentre) == kFontAlignCentre)
    left -= width / 2;
  else if (flags_ & kFontAlignRight)
    left -= width;
  if (flags_ & kFontAlignBottom) top -= height;
  if (!target || target->GetBytesPerPixel() != 1) return width;

  int cl = 0, ct = 0, cr = 0, cb = 0;
  if (!target->GetClipBounds(&cl, &ct, &cr, &cb)) return width;
  int ink = inkIndex_;
  if (inkByColour_) {
    if (DDPalette* palette = target->GetPalette()) {
      uint8_t usable[256];
      std::fill(std::begin(usable), std::end(usable), uint8_t{1});
      usable[kTransparentIndex] = 0;
      ink = FindNearestUsableColour(palette->Entries(), usable, inkColour_.red, inkColour_.green, inkColour_.blue);
    }
  }
  uint8_t* bits = nullptr;
  int pitch = 0;
  if (target->Lock(&bits, &pitch) != kDDOk) return width;
  if (paperIndex_ >= 0) {
    const int64_t x0 = std::max<int64_t>(left, cl), x1 = std::min<int64_t>(left + width, cr);
    for (int64_t py = std::max<int64_t>(top, ct); x1 > x0 && py < std::min<int64_t>(top + height, cb); ++py)
      std::memset(bits + py * pitch + x0, paperIndex_, static_cast<size_t>(x1 - x0));
  }
  int64_t advanceSum = 0;
  for (const char* p = text; *p; ++p) {
    const Glyph* g = Find(static_cast<uint8_t>(*p));
    if (!g) continue;
    const int64_t penX = left + Scaled(advanceSum, xScale_);
    advanceSum += g->width;
    const int outW = Scaled(advanceSum, xScale_) - static_cast<int>(penX - left);
    const int outH = Scaled(g->height, yScale_);
    if (outW <= 0 || outH <= 0 || g->pixels.empty()) continue;
    if (penX >= cr || penX + outW <= cl || top >= cb || top + outH <= ct) continue;
    // The part of the glyph's box inside the clip, in output pixels.
    const int ox0 = static_cast<int>(std::max<int64_t>(0, cl - penX));
    const int ox1 = static_cast<int>(std::min<int64_t>(outW, cr - penX));
    const int oy0 = static_cast<int>(std::max<int64_t>(0, ct - top));
    const int oy1 = static_cast<int>(std::min<int64_t>(outH, cb - top));
    // At the glyph's own size, a word of 8 pixels at a time where the words
    // stay inside the target's row: the pixels of a word outside the glyph
    // or the clip are written back as they were.
    const int64_t wordsFrom = penX + 8 * (ox0 / 8), wordsTo = penX + 8 * ((ox1 - 1) / 8 + 1);
    if (outW == g->width && outH == g->height && wordsFrom >= 0 && wordsTo <= pitch) {
      DrawGlyphWords(*g, ox0, ox1, oy0, oy1, bits + (top + oy0) * pitch + penX, pitch, ink);
      continue;
    }
    DrawGlyph(*g, outW, outH, ox0, ox1, oy0, oy1, bits + (top + oy0) * pitch + penX, pitch, ink);
  }
  target->Unlock();
  return width;
}

std::string FontErrorText(uint32_t code) {
  if (code == kFontErrNoSystemFont) return "no installed font (error " + std::to_string(code) + ")";
  return SpriteErrorText(code);
}

std::unique_ptr<BitmapFont> LoadFontFile(const std::string& path) {
  constexpr int kFirst = 0x20, kCount = 0xE0;
  auto font = std::make_unique<BitmapFont>(path.c_str(), kFirst, kCount, kSpriteLoadAll);
  if (!font->IsValid()) {
    DebugPrintf("Cannot load the font %s: %s.\n", path.c_str(), FontErrorText(font->GetError()).c_str());
    return nullptr;
  }
  if (font->GetCharCount() < kCount) {
    DebugPrintf("Cannot use the font %s: it holds %d characters, %d needed.\n", path.c_str(),
                font->GetCharCount(), kCount);
    return nullptr;
  }
  return font;
}
