// 3D MAZE pictures: the five sky panoramas (each carrying the whole maze
// palette of its light) and the characters' maze pictures: their palettes of
// 32 colours (day, night and sunset), faces, map icons and sprite blocks of
// eight-direction poses, all drawn with the shared athlete figure.
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "events/maze3d/rc_writer.h"
#include "tools/assetgen/draw.h"
#include "tools/assetgen/maze.h"

namespace assetgen {

using namespace mazeassets;

namespace {

const Rgb kInk{22, 16, 24};

// ---------------------------------------------------------------- skies

struct SkyLook {
  Rgb top, mid, horizon;
  Rgb hills, hillsFar;
  int stars;       // how many
  bool moon, sun, clouds;
  double sunX;
  Rgb sunColour;
  uint32_t seed;
};

const SkyLook kSkyLook[5] = {
    {{4, 6, 26}, {14, 20, 60}, {40, 50, 104}, {8, 10, 22}, {20, 24, 50}, 420, true, false, false, 300, {240, 236, 200}, 11},
    {{52, 26, 84}, {214, 96, 80}, {255, 196, 110}, {54, 24, 46}, {120, 50, 70}, 0, false, true, true, 1240, {255, 236, 160}, 23},
    {{110, 160, 226}, {190, 206, 236}, {252, 228, 190}, {80, 110, 120}, {150, 170, 190}, 0, false, true, true, 520, {255, 250, 220}, 37},
    {{30, 86, 200}, {90, 150, 230}, {180, 214, 248}, {50, 120, 60}, {110, 160, 170}, 0, false, false, true, 0, {255, 255, 255}, 41},
    {{6, 6, 30}, {16, 22, 66}, {46, 52, 100}, {10, 10, 24}, {24, 26, 56}, 380, true, false, false, 1500, {236, 240, 255}, 53},
};

// A periodic height profile over the 1800 columns of the panorama.
double Profile(double x, uint32_t seed, double scale) {
  double h = 0;
  for (int k = 1; k <= 5; ++k) {
    const double phase = (seed * 37 + k * 101) % 628 / 100.0;
    h += std::sin(x * 2 * M_PI * (k * 3 + seed % 3) / kSkyW + phase) / (k + 1);
  }
  return h * scale;
}

void DrawSky(cairo_t* cr, const SkyLook& s) {
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, kSkyH);
  cairo_pattern_add_color_stop_rgb(g, 0, s.top.r / 255.0, s.top.g / 255.0, s.top.b / 255.0);
  cairo_pattern_add_color_stop_rgb(g, 0.6, s.mid.r / 255.0, s.mid.g / 255.0, s.mid.b / 255.0);
  cairo_pattern_add_color_stop_rgb(g, 1, s.horizon.r / 255.0, s.horizon.g / 255.0, s.horizon.b / 255.0);
  cairo_rectangle(cr, 0, 0, kSkyW, kSkyH);
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  MazeRng rng(s.seed);
  for (int i = 0; i < s.stars; ++i) {
    const double x = rng.Int(kSkyW), y = rng.Int(330), r = 0.6 + rng.Unit() * 1.2;
    Ellipse(cr, x, y, r, r);
    SetRgb(cr, {255, 255, 230}, 0.6 + 0.4 * rng.Unit());
    cairo_fill(cr);
  }
  // Things that may straddle the seam are drawn twice, 1800 apart.
  auto twice = [&](auto draw) {
    draw(0.0);
    draw(-double(kSkyW));
    draw(double(kSkyW));
  };
  if (s.moon)
    twice([&](double off) {
      Ellipse(cr, s.sunX + off, 120, 26, 26);
      SetRgb(cr, s.sunColour);
      cairo_fill(cr);
      Ellipse(cr, s.sunX + off + 10, 112, 22, 22);
      SetRgb(cr, s.top, 0.85);
      cairo_fill(cr);
    });
  if (s.sun)
    twice([&](double off) {
      for (int r = 5; r >= 1; --r) {
        Ellipse(cr, s.sunX + off, 330, 30 + r * 12, 30 + r * 12);
        SetRgb(cr, s.sunColour, 0.08);
        cairo_fill(cr);
      }
      Ellipse(cr, s.sunX + off, 330, 32, 32);
      SetRgb(cr, s.sunColour);
      cairo_fill(cr);
    });
  if (s.clouds)
    for (int i = 0; i < 18; ++i) {
      const double cx = rng.Int(kSkyW), cy = 60 + rng.Int(200), w = 60 + rng.Int(120);
      twice([&](double off) {
        for (int p = 0; p < 5; ++p) {
          Ellipse(cr, cx + off + (p - 2) * w * 0.22, cy + (p % 2) * 6, w * 0.3, w * 0.14);
          SetRgb(cr, {255, 250, 245}, 0.75);
          cairo_fill(cr);
        }
      });
    }
  // Far and near hills along the bottom, which stands on the horizon.
  for (int layer = 0; layer < 2; ++layer) {
    cairo_move_to(cr, 0, kSkyH);
    for (int x = 0; x <= kSkyW; x += 4)
      cairo_line_to(cr, x, kSkyH - (layer ? 26 : 50) - Profile(x, s.seed + layer, layer ? 16 : 26));
    cairo_line_to(cr, kSkyW, kSkyH);
    cairo_close_path(cr);
    SetRgb(cr, layer ? s.hills : s.hillsFar);
    cairo_fill(cr);
  }
}

// ---------------------------------------------------------------- characters

enum Action { kStand, kWalk, kDown, kGetUp, kHit, kHit2, kThrow, kAttack1, kAttack2 };

struct Frame {
  Pose pose;
  double fall = 0;  // the whole figure turned about its feet (lying down)
};

// Pose i of n of an action, with the figure facing right (its front is +x).
Frame ActionPose(Action a, int i, int n) {
  Frame f;
  Pose& p = f.pose;
  const double k = n > 1 ? double(i) / (n - 1) : 0;
  switch (a) {
    case kStand: break;
    case kWalk: {
      const double s = std::sin(2 * M_PI * i / n);
      p.leg[0] = 0.5 * s;
      p.leg[1] = -0.5 * s;
      p.knee[0] = p.knee[1] = 0.2;
      p.arm[0] = -0.45 * s;
      p.arm[1] = 0.45 * s;
      p.bounce = 2 * std::fabs(s);
      break;
    }
    case kDown:
    case kGetUp: {
      const double t = a == kDown ? k : 1 - k;
      f.fall = -1.45 * std::min(1.0, t * 1.3);
      p.arm[0] = 2.0 * t;
      p.arm[1] = 1.6 * t;
      p.knee[0] = p.knee[1] = 0.6 * std::sin(M_PI * t);
      p.mouth = 0.8;
      break;
    }
    case kHit:
    case kHit2: {
      const double t = std::sin(M_PI * (i + 1) / (n + 1));
      p.lean = -0.45 * t;
      p.arm[0] = 1.8 * t;
      p.arm[1] = 2.2 * t;
      p.mouth = 0.9;
      if (a == kHit2) p.turn = 0.9 * t;
      break;
    }
    case kThrow: {
      const double arm = -2.4 + 4.2 * k;
      p.arm[0] = arm;
      p.elbow[0] = 0.6 * (1 - k);
      p.lean = -0.2 + 0.45 * k;
      p.leg[0] = 0.4;
      p.leg[1] = -0.3;
      p.mouth = 0.6;
      break;
    }
    case kAttack1: {
      const double t = std::sin(M_PI * k);
      p.arm[0] = 0.2 + 1.4 * t;
      p.elbow[0] = 1.4 * (1 - t);
      p.lean = 0.25 * t;
      p.mouth = 0.7;
      break;
    }
    case kAttack2: {
      const double t = std::sin(M_PI * k);
      p.leg[0] = 0.1 + 1.4 * t;
      p.knee[0] = 0.8 * (1 - t);
      p.lean = -0.3 * t;
      p.arm[1] = -0.8 * t;
      p.mouth = 0.7;
      break;
    }
  }
  return f;
}

// One direction frame (drawn in the frame's 128 x 256 space, the floor at 256):
// direction d shows the figure turned d eighths of a
// turn from facing the viewer (2 facing screen left, 6 screen right).
void DrawCharacterFrame(cairo_t* cr, int ch, const Frame& f, int d) {
  Pose p = f.pose;
  p.turn += d * M_PI / 4;
  const bool mirror = d >= 1 && d <= 3;  // facing left: the right-facing pose mirrored
  cairo_save(cr);
  cairo_translate(cr, 64, 256);
  if (mirror) cairo_scale(cr, -1, 1);
  cairo_rotate(cr, f.fall);
  DrawCharacter(cr, ch, p, 0, -2, 176);
  cairo_restore(cr);
}

std::vector<Frame> CharacterFrames(int ch) {
  const CharacterPoses& L = kCharacterPoses[ch];
  std::vector<Frame> out;
  auto add = [&](Action a, int n) {
    for (int i = 0; i < n; ++i) out.push_back(ActionPose(a, i, n));
  };
  add(kStand, L.stand);
  add(kWalk, L.walk);
  add(kDown, L.down);
  add(kGetUp, L.getUp);
  add(kHit, L.hit);
  add(kHit2, L.hit2);
  if (L.attackBeforeThrow) {
    add(kAttack1, L.attack1);
    add(kThrow, L.throwing);
  } else {
    add(kThrow, L.throwing);
    add(kAttack1, L.attack1);
  }
  add(kAttack2, L.attack2);
  return out;
}

Palette Tinted(const Palette& day, double r, double g, double b, int addR, int addG, int addB) {
  Palette p = day;
  auto t = [](uint8_t v, double f, int add) { return uint8_t(std::min(255L, std::lround(v * f) + add)); };
  for (int i = 1; i <= kCharacterColours; ++i) p[i] = Rgb{t(p[i].r, r, addR), t(p[i].g, g, addG), t(p[i].b, b, addB)};
  return p;
}

Image8 Swatch(int count) {
  Image8 img;
  img.w = count;
  img.h = 4;
  img.px.resize(size_t(img.w) * img.h);
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x) img.at(x, y) = uint8_t(1 + x);
  return img;
}

}  // namespace

void GenerateMazeSkies(Output& out) {
  for (int choice = 0; choice < 5; ++choice) {
    Canvas c(kSkyW, kSkyH);
    DrawSky(c.cr(), kSkyLook[choice]);
    c.Flush();
    ColourHistogram hist;
    hist.Add(c, 2);
    std::vector<Rgb> colours = hist.MedianCut(kSkyLast - kSkyFirst);  // 31: entry 65 is set apart
    Palette pal = MazeSkyPalette(choice);
    // The flat sky (entry 65) is the panorama's mean colour above the hills.
    uint64_t sum[3] = {0, 0, 0}, n = 0;
    for (int y = 0; y < kSkyH - 80; y += 4)
      for (int x = 0; x < kSkyW; x += 4) {
        Rgb p;
        if (!c.Pixel(x, y, &p)) continue;
        sum[0] += p.r;
        sum[1] += p.g;
        sum[2] += p.b;
        ++n;
      }
    pal[kFlatSky] = Rgb{uint8_t(sum[0] / n), uint8_t(sum[1] / n), uint8_t(sum[2] / n)};
    for (size_t i = 0, e = kSkyFirst; i < colours.size() && e <= kSkyLast; ++e) {
      if (int(e) == kFlatSky) continue;
      pal[e] = colours[i++];
    }
    Quantizer q(pal, kSkyFirst, kSkyLast, {});
    out.Write(Root::Data, choice < 4 ? kSkyFile[choice] : kSplitNightSky, EncodePkc(EncodeBmp8(q.Reduce(c, false), pal)));
  }
}

void GenerateMazeCharacters(Output& out) {
  for (int ch = 0; ch < kCharacters; ++ch) {
    const std::vector<Frame> frames = CharacterFrames(ch);
    std::vector<std::unique_ptr<Canvas>> canvases;
    for (const Frame& f : frames)
      for (int d = 0; d < kDirections; ++d) {
        auto c = std::make_unique<Canvas>(128, 128);
        Clear(c->cr());
        // 128 x 256, as the frame shows on screen: a wall is 256 high.
        cairo_scale(c->cr(), 1.0, 0.5);
        DrawCharacterFrame(c->cr(), ch, f, d);
        canvases.push_back(std::move(c));
      }
    Canvas face(kFaceW, kFaceH), icon(kMapIconSize, kMapIconSize);
    Clear(face.cr());
    Clear(icon.cr());
    DrawFace(face.cr(), ch, 32, 26, 19, 1);
    DrawFace(icon.cr(), ch, 10, 11, 7.5, 0);
    // The character's 32 colours: entry 1 repeats entry 2 (index 1 is never
    // chosen by the reducer), 2..32 fitted to the sprites, face and icon.
    ColourHistogram hist;
    for (size_t i = 0; i < canvases.size(); i += 3) hist.Add(*canvases[i], 2);
    hist.Add(face);
    hist.Add(icon);
    std::vector<Rgb> colours = hist.MedianCut(kCharacterColours - 1);
    Palette day{};
    for (int i = 0; i < 256; ++i) day[i] = Rgb{uint8_t(i), uint8_t(i), uint8_t(i)};
    day[0] = {0, 0, 0};
    for (size_t i = 0; i < colours.size(); ++i) day[2 + i] = colours[i];
    day[1] = day[2];
    Quantizer q(day, 2, kCharacterColours, {});
    std::vector<RcBytes> encoded;
    for (const auto& c : canvases) encoded.push_back(RcEncodeSpriteFrame(q.Reduce(*c, false).px.data()));
    const std::vector<uint8_t> table = ColourTable(day);
    out.Write(Root::Data, kCharacterSprite[ch], EncodePkc(RcWriteSpriteFile(table.data(), encoded)));
    out.Write(Root::Data, kFaceFile[ch], EncodeBmp8(q.Reduce(face, false), day));
    out.Write(Root::Data, kMapIcon[ch], EncodeBmp8(q.Reduce(icon, false), day));
    out.Write(Root::Data, kNightPalette[ch], EncodeBmp8(Swatch(kCharacterColours), Tinted(day, 0.45, 0.5, 0.75, 0, 2, 14)));
    out.Write(Root::Data, kSunsetPalette[ch], EncodeBmp8(Swatch(kCharacterColours), Tinted(day, 1.0, 0.78, 0.62, 12, 0, 0)));
  }
}

}  // namespace assetgen
