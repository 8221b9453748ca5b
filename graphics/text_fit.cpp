#include "graphics/text_fit.h"

#include <algorithm>
#include <cmath>

#include "graphics/bitmap_font.h"
#include "graphics/clipper.h"
#include "graphics/surface.h"

void WrapLine(std::string_view line, int width, const TextMeasure& measure,
              std::vector<std::string>* rows, size_t maxRows) {
  if (!rows || !measure || rows->size() >= maxRows) return;
  while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
  if (line.empty()) {
    rows->emplace_back();
    return;
  }
  // Each row is the longest head of the rest that fits, cut at its last
  // space when there is one. The head is found by doubling its length and
  // then halving the step, so a row costs about its own length times the
  // log of it: a long line is wrapped in near-linear time.
  const size_t n = line.size();
  size_t start = 0;
  while (start < n && line[start] == ' ') ++start;
  auto fits = [&](size_t len) { return measure(line.substr(start, len)) <= width; };
  while (start < n && rows->size() < maxRows) {
    const size_t rest = n - start;
    size_t lo = 1;         // fits (or is the one character a row always takes)
    size_t hi = rest + 1;  // the first length known not to fit
    while (lo < rest) {
      size_t next = std::min(lo * 2, rest);
      if (!fits(next)) {
        hi = next;
        break;
      }
      lo = next;
    }
    while (hi - lo > 1) {
      size_t mid = lo + (hi - lo) / 2;
      if (fits(mid))
        lo = mid;
      else
        hi = mid;
    }
    if (lo == rest) {
      rows->emplace_back(line.substr(start));
      return;
    }
    // The last space of the row (never a search back past its start: a long
    // run without spaces would be scanned again for every row).
    size_t cut = start + lo;
    while (cut > start && line[cut] != ' ') --cut;
    if (cut == start) cut = start + lo;  // one word wider than the row
    size_t headEnd = cut;
    while (headEnd > start && line[headEnd - 1] == ' ') --headEnd;
    rows->emplace_back(line.substr(start, headEnd - start));
    start = cut;
    while (start < n && line[start] == ' ') ++start;
  }
}

std::vector<std::string> WrapText(std::string_view text, int width, const TextMeasure& measure,
                                  size_t maxRows) {
  std::vector<std::string> rows;
  size_t pos = 0;
  while (pos < text.size() && rows.size() < maxRows) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string_view::npos) eol = text.size();
    WrapLine(text.substr(pos, eol - pos), width, measure, &rows, maxRows);
    pos = eol + 1;
  }
  return rows;
}

TextMeasure FontMeasure(const BitmapFont* font) {
  return [font](std::string_view t) {
    if (!font) return static_cast<int>(t.size()) * 8;
    return font->GetTextWidth(std::string(t).c_str());
  };
}

namespace {

// Cuts characters off the end of a row until it fits the width.
void CutToWidth(std::string* row, int width, const TextMeasure& measure) {
  while (!row->empty() && measure(*row) > width) row->pop_back();
}

}  // namespace

TextLayout FitText(const BitmapFont* constFont, std::string_view text, int width, int height,
                   bool wrap, int rowStep, float minScale) {
  TextLayout out;
  // The scale is the font's state; it is put back before returning.
  BitmapFont* font = const_cast<BitmapFont*>(constFont);
  if (!font || width <= 0 || height <= 0) return out;
  minScale = std::clamp(minScale, 0.125f, 1.0f);
  const float oldX = font->GetXScale(), oldY = font->GetYScale();
  std::string single;
  if (!wrap) {
    single.assign(text);
    std::replace(single.begin(), single.end(), '\n', ' ');
  }
  for (float s = 1.0f;; s = std::max(minScale, s - 0.125f)) {
    const bool last = s <= minScale;
    font->SetScale(s, s);
    const TextMeasure measure = FontMeasure(font);
    const int glyphHeight = font->GetHeight();
    const int step = rowStep > 0 ? std::max(1, static_cast<int>(std::lround(rowStep * s))) : glyphHeight;
    std::vector<std::string> rows;
    if (wrap)
      rows = WrapText(text, width, measure);
    else
      rows.push_back(single);
    bool fits = glyphHeight <= height || rows.empty();
    for (const std::string& r : rows) fits = fits && measure(r) <= width;
    const int need = rows.empty() ? 0 : static_cast<int>(rows.size() - 1) * step + glyphHeight;
    fits = fits && need <= height;
    if (fits || last) {
      if (!fits) {
        // At the smallest scale: the rows that fit, each cut to the width.
        size_t room = glyphHeight > height ? 0 : 1 + static_cast<size_t>((height - glyphHeight) / step);
        if (rows.size() > room) rows.resize(room);
        for (std::string& r : rows) CutToWidth(&r, width, measure);
      }
      out.complete = fits;
      out.rows = std::move(rows);
      out.scale = s;
      out.rowHeight = step;
      break;
    }
  }
  font->SetScale(oldX, oldY);
  return out;
}

void DrawTextLayout(BitmapFont* font, DDSurface* target, const TextBox& box, const TextLayout& layout,
                    uint32_t flags) {
  if (!font || !target) return;
  const float oldX = font->GetXScale(), oldY = font->GetYScale();
  const uint32_t oldFlags = font->GetFlags();
  const bool centred = (flags & kFontAlignCentre) == kFontAlignCentre;
  font->SetScale(layout.scale, layout.scale);
  font->SetFlags(centred ? kFontAlignCentre : 0);
  const int x = centred ? box.x + box.width / 2 : box.x;
  int y = box.y;
  for (const std::string& row : layout.rows) {
    font->DrawText(target, x, y, row.c_str());
    y += layout.rowHeight;
  }
  font->SetScale(oldX, oldY);
  font->SetFlags(oldFlags);
}

int DrawTextInBox(BitmapFont* font, DDSurface* target, const TextBox& box, std::string_view text,
                  uint32_t flags, bool wrap, int rowStep, float minScale) {
  if (!font || !target || !target->HasSurface()) return 0;
  TextLayout layout = FitText(font, text, box.width, box.height, wrap, rowStep, minScale);
  if (layout.rows.empty()) return 0;
  // The box becomes the clip area (within the present one) while the rows
  // are drawn.
  int cl = 0, ct = 0, cr = 0, cb = 0;
  target->GetClipBounds(&cl, &ct, &cr, &cb);
  const int left = std::max(cl, box.x), top = std::max(ct, box.y);
  const int right = std::min(cr, box.x + box.width), bottom = std::min(cb, box.y + box.height);
  if (right <= left || bottom <= top) return 0;
  DDClipper* old = target->GetClipper();
  if (old) old->AddRef();
  DDClipper* clip = new DDClipper(ClipRect{left, top, right - left, bottom - top});
  target->SetClipper(clip);
  clip->Release();

  DrawTextLayout(font, target, box, layout, flags);
  target->SetClipper(old);
  if (old) old->Release();
  return static_cast<int>(layout.rows.size());
}
