#include "graphics/font_raster.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <mutex>

namespace {

// Windows Latin-1 codes 0x80..0x9F; 0 where the code is unassigned.
const uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::once_flag g_fcOnce;
bool g_fcReady = false;

struct FtLibrary {
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  ~FtLibrary() {
    if (face) FT_Done_Face(face);
    if (lib) FT_Done_FreeType(lib);
  }
};

int RoundUp26(FT_Pos v) { return static_cast<int>((v + 63) >> 6); }

// Draws a loaded glyph slot into a cell of `advance` x `height` at the pen
// position (bitmap_left, ascent - bitmap_top); pixels outside the cell are dropped.
void BlitGlyph(const FT_GlyphSlot slot, int ascent, int advance, int height, std::vector<uint8_t>* cell) {
  const FT_Bitmap& bm = slot->bitmap;
  for (unsigned r = 0; r < bm.rows; ++r) {
    const int y = ascent - slot->bitmap_top + static_cast<int>(r);
    if (y < 0 || y >= height) continue;
    const unsigned char* src = bm.buffer + static_cast<ptrdiff_t>(r) * bm.pitch;
    for (unsigned c = 0; c < bm.width; ++c) {
      const int x = slot->bitmap_left + static_cast<int>(c);
      if (x < 0 || x >= advance) continue;
      bool on;
      if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
        on = (src[c >> 3] >> (7 - (c & 7))) & 1;
      else
        on = src[c] >= 128;
      if (on) (*cell)[static_cast<size_t>(y) * advance + x] = 255;
    }
  }
}

}  // namespace

uint32_t GameCharToUnicode(uint8_t code) {
  if (code >= 0x80 && code < 0xA0) return kCp1252High[code - 0x80];
  return code;
}

std::string FindSystemFontFile(const FontRequest& request, int* faceIndex) {
  std::call_once(g_fcOnce, [] {
    g_fcReady = FcInit() == FcTrue;
    // The configuration lives until exit; FcFini then hands back everything it holds.
    if (g_fcReady) std::atexit([] { FcFini(); });
  });
  if (!g_fcReady) return {};
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return {};
  const int pitch = request.pitchAndFamily & 3;
  const int family = request.pitchAndFamily & 0xF0;
  if (!request.faceName.empty())
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request.faceName.c_str()));
  const char* generic = "sans-serif";
  if (pitch == 1 || family == 0x30) generic = "monospace";
  else if (family == 0x10) generic = "serif";
  else if (family == 0x40) generic = "cursive";
  else if (family == 0x50) generic = "fantasy";
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(generic));
  const int weight = std::clamp(request.weight <= 0 ? 400 : request.weight, 1, 1000);
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  if (pitch == 1) FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  std::string file;
  if (match) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
      file = reinterpret_cast<const char*>(path);
    int index = 0;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    if (faceIndex) *faceIndex = index;
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return file;
}

bool RasterizeSystemFont(const FontRequest& request, int first, int count, RasterFont* out) {
  *out = RasterFont{};
  if (count <= 0 || first < 0 || first + count > 256) return false;
  int faceIndex = 0;
  const std::string file = FindSystemFontFile(request, &faceIndex);
  if (file.empty()) return false;
  FtLibrary ft;
  if (FT_Init_FreeType(&ft.lib) != 0) return false;
  if (FT_New_Face(ft.lib, file.c_str(), faceIndex, &ft.face) != 0) return false;
  FT_Select_Charmap(ft.face, FT_ENCODING_UNICODE);

  const int height = request.height == 0 ? 16 : std::min(std::abs(request.height), 512);
  FT_Size_RequestRec req{};
  req.type = request.height > 0 ? FT_SIZE_REQUEST_TYPE_CELL : FT_SIZE_REQUEST_TYPE_NOMINAL;
  req.height = static_cast<FT_Long>(height) << 6;
  if (FT_Request_Size(ft.face, &req) != 0) return false;

  FT_Int32 loadFlags = FT_LOAD_RENDER | FT_LOAD_TARGET_MONO;
  // A requested average width squeezes or widens the glyphs horizontally.
  if (request.width > 0) {
    FT_Pos total = 0;
    int n = 0;
    for (char c = 'a'; c <= 'z'; ++c) {
      if (FT_Load_Char(ft.face, static_cast<FT_ULong>(c), FT_LOAD_DEFAULT) == 0) {
        total += ft.face->glyph->advance.x;
        ++n;
      }
    }
    if (n > 0 && total > 0) {
      const double average = static_cast<double>(total) / n / 64.0;
      const double scale = std::clamp(request.width / average, 0.1, 10.0);
      FT_Matrix m{static_cast<FT_Fixed>(std::lround(scale * 65536.0)), 0, 0, 0x10000};
      FT_Set_Transform(ft.face, &m, nullptr);
    }
  }
  const FT_Size_Metrics& metrics = ft.face->size->metrics;
  const int ascent = RoundUp26(metrics.ascender);
  const int descent = RoundUp26(-metrics.descender);
  out->ascent = ascent;
  out->height = std::max(1, ascent + descent);
  out->file = file;
  const int underlineY = std::min(out->height - 1, ascent + 1);
  const int strikeY = std::max(0, ascent - std::max(1, ascent / 3));
  const int lineThickness = std::max(1, out->height / 16);

  out->glyphs.resize(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    RasterGlyph& g = out->glyphs[static_cast<size_t>(i)];
    const uint32_t cp = GameCharToUnicode(static_cast<uint8_t>(first + i));
    const FT_UInt index = cp ? FT_Get_Char_Index(ft.face, cp) : 0;
    if (FT_Load_Glyph(ft.face, index, loadFlags) != 0) {
      g.advance = std::max(1, out->height / 3);
      g.pixels.assign(static_cast<size_t>(g.advance) * out->height, 0);
      continue;
    }
    g.advance = std::max(1, static_cast<int>((ft.face->glyph->advance.x + 32) >> 6));
    g.pixels.assign(static_cast<size_t>(g.advance) * out->height, 0);
    // Code 0x20 and unassigned codes draw no ink of their own.
    if (cp != 0 && cp != 0x20) BlitGlyph(ft.face->glyph, ascent, g.advance, out->height, &g.pixels);
    auto line = [&](int y0) {
      for (int y = y0; y < std::min(out->height, y0 + lineThickness); ++y)
        std::fill_n(g.pixels.begin() + static_cast<ptrdiff_t>(y) * g.advance, g.advance, uint8_t{255});
    };
    if (request.underline) line(underlineY);
    if (request.strikeOut) line(strikeY);
  }
  return true;
}
