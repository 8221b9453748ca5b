#include "tests/support/text_reference.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/bitmap_font.h"
#include "graphics/rle_codec.h"
#include "graphics/surface.h"

namespace {

int Scaled(int64_t v, float scale) { return static_cast<int>(std::lround(static_cast<double>(v) * scale)); }

}  // namespace

void ApplyTextStyle(BitmapFont* font, const TextStyle& style) {
  font->SetScale(style.xScale, style.yScale);
  font->SetFlags(style.flags);
  font->SetInkIndex(style.ink);
  font->SetPaperIndex(style.paper);
}

ReferenceFont::ReferenceFont(BitmapFont* font) : font_(font) {
  glyphs_.resize(static_cast<size_t>(font->GetCharCount()));
  for (int i = 0; i < font->GetCharCount(); ++i) {
    const BitmapInfoHeader* h = font->GetSprite()->GetFrameInfo(i + 1);
    if (!h) continue;
    Glyph& g = glyphs_[static_cast<size_t>(i)];
    g.width = h->width;
    g.height = std::abs(h->height);
    g.pixels.assign(static_cast<size_t>(g.width) * g.height, kTransparentIndex);
    if (!font->GetSprite()->DrawFrameToBuffer(i + 1, g.pixels.data(), g.width, 1))
      g.pixels.assign(g.pixels.size(), kTransparentIndex);
  }
}

int ReferenceFont::Draw(const TextStyle& style, DDSurface* target, int x, int y, const char* text) {
  ApplyTextStyle(font_, style);
  const int width = font_->GetTextWidth(text), height = font_->GetHeight();
  int64_t left = x, top = y;
  if ((style.flags & kFontAlignCentre) == kFontAlignCentre)
    left -= width / 2;
  else if (style.flags & kFontAlignRight)
    left -= width;
  if (style.flags & kFontAlignBottom) top -= height;
  int cl = 0, ct = 0, cr = 0, cb = 0;
  if (!target->GetClipBounds(&cl, &ct, &cr, &cb)) return width;
  uint8_t* bits = nullptr;
  int pitch = 0;
  if (target->Lock(&bits, &pitch) != kDDOk) return width;
  auto put = [&](int64_t px, int64_t py, uint8_t v) {
    if (px >= cl && px < cr && py >= ct && py < cb) bits[py * pitch + px] = v;
  };
  if (style.paper >= 0) {
    for (int64_t py = std::max<int64_t>(top, ct); py < std::min<int64_t>(top + height, cb); ++py)
      for (int64_t px = std::max<int64_t>(left, cl); px < std::min<int64_t>(left + width, cr); ++px)
        bits[py * pitch + px] = static_cast<uint8_t>(style.paper);
  }
  int64_t advanceSum = 0;
  for (const char* p = text; *p; ++p) {
    const int i = static_cast<uint8_t>(*p) - font_->GetFirstChar();
    if (i < 0 || i >= static_cast<int>(glyphs_.size())) continue;
    const Glyph& g = glyphs_[static_cast<size_t>(i)];
    const int64_t penX = left + Scaled(advanceSum, style.xScale);
    advanceSum += g.width;
    const int outW = Scaled(advanceSum, style.xScale) - static_cast<int>(penX - left);
    const int outH = Scaled(g.height, style.yScale);
    if (outW <= 0 || outH <= 0 || g.pixels.empty()) continue;
    if (penX >= cr || penX + outW <= cl || top >= cb || top + outH <= ct) continue;
    for (int oy = 0; oy < outH; ++oy) {
      const int sy = static_cast<int>(int64_t{oy} * g.height / outH);
      const uint8_t* row = &g.pixels[static_cast<size_t>(sy) * g.width];
      for (int ox = 0; ox < outW; ++ox) {
        const uint8_t v = row[int64_t{ox} * g.width / outW];
        if (v == kTransparentIndex) continue;
        put(penX + ox, top + oy, style.ink >= 0 ? static_cast<uint8_t>(style.ink) : v);
      }
    }
  }
  target->Unlock();
  return width;
}
