#include "graphics/bitmap_font.h"

#include <algorithm>
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
