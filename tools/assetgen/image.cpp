#include "tools/assetgen/image.h"

#include <algorithm>
#include <cstring>
#include <tuple>

namespace assetgen {

Canvas::Canvas(int w, int h) : w_(w), h_(h) {
  surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cr_ = cairo_create(surface_);
}

Canvas::~Canvas() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

bool Canvas::Pixel(int x, int y, Rgb* out) const {
  const unsigned char* data = cairo_image_surface_get_data(surface_);
  int stride = cairo_image_surface_get_stride(surface_);
  uint32_t v;
  std::memcpy(&v, data + size_t(y) * stride + size_t(x) * 4, 4);
  uint32_t a = v >> 24;
  if (a < 128) return false;
  auto un = [a](uint32_t c) { return uint8_t(std::min<uint32_t>(255, (c * 255 + a / 2) / a)); };
  out->r = un((v >> 16) & 255);
  out->g = un((v >> 8) & 255);
  out->b = un(v & 255);
  return true;
}

static uint32_t Key18(Rgb c) { return (uint32_t(c.r >> 2) << 12) | (uint32_t(c.g >> 2) << 6) | (c.b >> 2); }
static Rgb FromKey18(uint32_t k) {
  auto ex = [](uint32_t v) { return uint8_t((v << 2) | (v >> 4)); };
  return Rgb{ex((k >> 12) & 63), ex((k >> 6) & 63), ex(k & 63)};
}

void ColourHistogram::Add(const Canvas& c, int step) {
  cairo_surface_flush(c.surface());
  for (int y = 0; y < c.h(); y += step)
    for (int x = 0; x < c.w(); x += step) {
      Rgb p;
      if (c.Pixel(x, y, &p)) counts_[Key18(p)]++;
    }
}

void ColourHistogram::AddColour(Rgb c, uint32_t weight) { counts_[Key18(c)] += weight; }

std::vector<Rgb> ColourHistogram::MedianCut(int n) const {
  struct Entry { uint32_t key; uint32_t count; };
  std::vector<Entry> all;
  for (uint32_t k = 0; k < counts_.size(); ++k)
    if (counts_[k]) all.push_back({k, counts_[k]});
  std::vector<Rgb> out;
  if (all.empty() || n <= 0) return out;
  struct Box { size_t begin, end; };
  auto chan = [](uint32_t key, int c) { return int((key >> (12 - 6 * c)) & 63); };
  std::vector<Box> boxes{{0, all.size()}};
  auto range = [&](const Box& b, int* axis) {
    int best = -1;
    for (int c = 0; c < 3; ++c) {
      int lo = 64, hi = -1;
      for (size_t i = b.begin; i < b.end; ++i) {
        int v = chan(all[i].key, c);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
      }
      // Green counts a little more: the eye is most sensitive to it.
      int r = (hi - lo) * (c == 1 ? 4 : 3);
      if (r > best) { best = r; *axis = c; }
    }
    return best;
  };
  while (int(boxes.size()) < n) {
    // Split the box with the largest (range x population) score.
    int pick = -1, axis = 0;
    double bestScore = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i].end - boxes[i].begin < 2) continue;
      int ax;
      int r = range(boxes[i], &ax);
      uint64_t pop = 0;
      for (size_t j = boxes[i].begin; j < boxes[i].end; ++j) pop += all[j].count;
      double score = double(r) * double(r) * double(pop);
      if (pick < 0 || score > bestScore) { bestScore = score; pick = int(i); axis = ax; }
    }
    if (pick < 0 || bestScore <= 0) break;
    Box b = boxes[pick];
    std::stable_sort(all.begin() + b.begin, all.begin() + b.end, [&](const Entry& x, const Entry& y) {
      return chan(x.key, axis) < chan(y.key, axis);
    });
    uint64_t total = 0;
    for (size_t j = b.begin; j < b.end; ++j) total += all[j].count;
    uint64_t acc = 0;
    size_t mid = b.begin + 1;
    for (size_t j = b.begin; j < b.end - 1; ++j) {
      acc += all[j].count;
      mid = j + 1;
      if (acc * 2 >= total) break;
    }
    boxes[pick] = {b.begin, mid};
    boxes.push_back({mid, b.end});
  }
  for (const Box& b : boxes) {
    uint64_t r = 0, g = 0, bl = 0, cnt = 0;
    for (size_t j = b.begin; j < b.end; ++j) {
      Rgb c = FromKey18(all[j].key);
      r += uint64_t(c.r) * all[j].count;
      g += uint64_t(c.g) * all[j].count;
      bl += uint64_t(c.b) * all[j].count;
      cnt += all[j].count;
    }
    out.push_back(Rgb{uint8_t((r + cnt / 2) / cnt), uint8_t((g + cnt / 2) / cnt), uint8_t((bl + cnt / 2) / cnt)});
  }
  std::sort(out.begin(), out.end(), [](Rgb a, Rgb b) {
    int la = a.r * 3 + a.g * 6 + a.b, lb = b.r * 3 + b.g * 6 + b.b;
    if (la != lb) return la < lb;
    return std::tie(a.r, a.g, a.b) < std::tie(b.r, b.g, b.b);
  });
  return out;
}

Quantizer::Quantizer(const Palette& pal, int first, int last, std::vector<int> extra) : pal_(pal) {
  for (int i = first; i <= last; ++i)
    if (i != 1) allowed_.push_back(i);
  for (int e : extra)
    if (e != 1 && std::find(allowed_.begin(), allowed_.end(), e) == allowed_.end()) allowed_.push_back(e);
}

uint8_t Quantizer::Nearest(Rgb c) {
  uint32_t k = Key18(c);
  if (cache_[k] >= 0) return uint8_t(cache_[k]);
  Rgb q = FromKey18(k);
  int best = allowed_.empty() ? 0 : allowed_[0];
  long bestD = -1;
  for (int i : allowed_) {
    long dr = long(q.r) - pal_[i].r, dg = long(q.g) - pal_[i].g, db = long(q.b) - pal_[i].b;
    long d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
    if (bestD < 0 || d < bestD) { bestD = d; best = i; }
  }
  cache_[k] = int16_t(best);
  return uint8_t(best);
}

Image8 Quantizer::Reduce(const Canvas& c, bool transparentKey) {
  Image8 img;
  img.w = c.w();
  img.h = c.h();
  img.px.assign(size_t(img.w) * img.h, transparentKey ? 1 : 0);
  cairo_surface_flush(c.surface());
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x) {
      Rgb p;
      if (c.Pixel(x, y, &p)) img.at(x, y) = Nearest(p);
    }
  return img;
}

Palette BasePalette() {
  Palette p{};
  for (int i = 0; i < 256; ++i) p[i] = Rgb{uint8_t(i), uint8_t(i), uint8_t(i)};
  p[0] = {0, 0, 0};
  p[1] = kKeyColour;
  p[2] = {255, 168, 0};
  p[3] = {220, 24, 24};
  p[4] = {250, 224, 40};
  p[5] = {40, 200, 60};
  p[255] = {255, 255, 255};
  return p;
}

void FillPalette(Palette* p, int first, const std::vector<Rgb>& colours) {
  for (size_t i = 0; i < colours.size() && first + int(i) < 255; ++i) (*p)[first + i] = colours[i];
}

}  // namespace assetgen
