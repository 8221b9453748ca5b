// NICE DOGGIE JUMP: the night course, the dogs and the cat, the stars, the
// pits, the judge, the title, the six jumper sheets and the event's sounds,
// to the layouts of doggie_jump_data.h. Every picture of the course shares
// entries 6..125 of dog\palette.bmp; each jumper sheet has 126..254 to
// itself, since the event puts the current jumper's colours there.
#include <array>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/assetgen/audio.h"
#include "tools/assetgen/draw.h"
#include "tools/assetgen/gen.h"

namespace assetgen {

using namespace doggieassets;

namespace {

const Rgb kInk{24, 18, 14};
constexpr int kJudgeVoice = 6;

struct Sheet {
  std::string path;
  bool opaque = false;  // no transparent pixels (tiled or copied opaque)
  std::vector<std::unique_ptr<Canvas>> frames;
  cairo_t* Frame(int w, int h) {
    frames.push_back(std::make_unique<Canvas>(w, h));
    return frames.back()->cr();
  }
};

double Lerp(double a, double b, double t) { return a + (b - a) * t; }
double Smooth(double t) { return t * t * (3 - 2 * t); }
double Clamp01(double t) { return t < 0 ? 0 : (t > 1 ? 1 : t); }

void Fill(cairo_t* cr, Rgb c) {
  SetRgb(cr, c);
  cairo_fill(cr);
}

// ------------------------------------------------------------ the course

void Sky(cairo_t* cr, double w, double h) {
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, 220);
  cairo_pattern_add_color_stop_rgb(g, 0, 8 / 255.0, 10 / 255.0, 40 / 255.0);
  cairo_pattern_add_color_stop_rgb(g, 1, 46 / 255.0, 40 / 255.0, 96 / 255.0);
  cairo_rectangle(cr, 0, 0, w, h);
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
}

void StarDots(cairo_t* cr, double w, double h, int seed) {
  for (int i = 0; i < 40; ++i) {
    double x = std::fmod(i * 73.1 + seed * 17.0, w), y = std::fmod(i * 41.7 + seed * 5.0, h);
    cairo_rectangle(cr, std::floor(x), std::floor(y), (i % 5 == 0) ? 2 : 1, (i % 5 == 0) ? 2 : 1);
    SetRgb(cr, (i % 3) ? Rgb{230, 230, 250} : Rgb{250, 240, 180});
    cairo_fill(cr);
  }
}

void Cloud(cairo_t* cr, double w, double h, int variant) {
  static const double kPuffs[2][5][3] = {
      {{0.22, 0.62, 0.18}, {0.42, 0.45, 0.26}, {0.62, 0.55, 0.22}, {0.8, 0.66, 0.14}, {0.45, 0.72, 0.2}},
      {{0.18, 0.66, 0.14}, {0.36, 0.5, 0.2}, {0.56, 0.42, 0.27}, {0.78, 0.58, 0.19}, {0.5, 0.72, 0.2}}};
  for (auto& p : kPuffs[variant]) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, p[0] * w, p[1] * h, p[2] * w * 0.55, 0, 2 * M_PI);
  }
  FillStroke(cr, {92, 98, 140}, 1.5, {60, 62, 104});
  for (auto& p : kPuffs[variant]) {  // moonlight on the top
    cairo_new_sub_path(cr);
    cairo_arc(cr, p[0] * w, p[1] * h - 3, p[2] * w * 0.4, 0, 2 * M_PI);
  }
  SetRgb(cr, {140, 146, 186});
  cairo_fill(cr);
}

void Bat(cairo_t* cr, double cx, double cy, double span, double flap) {
  double wy = flap * span * 0.3;
  cairo_move_to(cr, cx, cy);
  cairo_curve_to(cr, cx - span * 0.2, cy - wy - 6, cx - span * 0.35, cy - wy, cx - span / 2, cy - wy + 2);
  cairo_line_to(cr, cx - span * 0.36, cy + 2);
  cairo_line_to(cr, cx - span * 0.24, cy - 1);
  cairo_line_to(cr, cx - span * 0.12, cy + 3);
  cairo_close_path(cr);
  cairo_move_to(cr, cx, cy);
  cairo_curve_to(cr, cx + span * 0.2, cy - wy - 6, cx + span * 0.35, cy - wy, cx + span / 2, cy - wy + 2);
  cairo_line_to(cr, cx + span * 0.36, cy + 2);
  cairo_line_to(cr, cx + span * 0.24, cy - 1);
  cairo_line_to(cr, cx + span * 0.12, cy + 3);
  cairo_close_path(cr);
  Fill(cr, {20, 16, 30});
  Ellipse(cr, cx, cy + 1, 3.5, 4.5);
  Fill(cr, {20, 16, 30});
}

void BareTree(cairo_t* cr, double w, double h, int variant) {
  const double baseX = w * (0.45 + 0.05 * variant);
  auto branch = [&](auto&& self, double x, double y, double angle, double len, double width, int depth) -> void {
    if (depth == 0 || len < 6) return;
    double ex = x + std::sin(angle) * len, ey = y - std::cos(angle) * len;
    cairo_move_to(cr, x, y);
    cairo_line_to(cr, ex, ey);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    SetRgb(cr, {34, 26, 34});
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
    double spread = 0.45 + 0.1 * ((depth + variant) % 3);
    self(self, ex, ey, angle - spread, len * 0.72, width * 0.66, depth - 1);
    self(self, ex, ey, angle + spread * 0.8, len * 0.68, width * 0.62, depth - 1);
    if ((depth + variant) % 2 == 0) self(self, ex, ey, angle + 0.1, len * 0.5, width * 0.5, depth - 2);
  };
  // Roots and trunk, then the crooked crown.
  cairo_move_to(cr, baseX - 22, h - 2);
  cairo_curve_to(cr, baseX - 8, h - 20, baseX - 10, h - 60, baseX - 6, h - 110);
  cairo_line_to(cr, baseX + 8, h - 110);
  cairo_curve_to(cr, baseX + 10, h - 60, baseX + 12, h - 20, baseX + 26, h - 2);
  cairo_close_path(cr);
  Fill(cr, {34, 26, 34});
  branch(branch, baseX, h - 105, -0.15 + 0.1 * variant, 70, 12, 6);
  // Two glowing eyes in a hollow.
  Ellipse(cr, baseX, h - 70, 7, 10);
  Fill(cr, {10, 8, 12});
  for (int e = -1; e <= 1; e += 2) {
    Ellipse(cr, baseX + e * 3, h - 72, 1.6, 1.6);
    Fill(cr, {250, 220, 60});
  }
}

void Track(cairo_t* cr, double w, double h) {
  // The grass verge, then the track with its lane lines and the front edge.
  cairo_rectangle(cr, 0, 0, w, 12);
  Fill(cr, {30, 70, 40});
  cairo_rectangle(cr, 0, 12, w, h - 12);
  Fill(cr, {150, 70, 50});
  for (int i = 0; i < 30; ++i) {
    double x = std::fmod(i * 37.3, w), y = 16 + std::fmod(i * 23.9, h - 20);
    Ellipse(cr, x, y, 2.5, 1.0);
    Fill(cr, (i % 2) ? Rgb{130, 58, 42} : Rgb{170, 86, 62});
  }
  for (double y : {30.0, 52.0}) {
    cairo_rectangle(cr, 0, y, w, 2);
    Fill(cr, {232, 226, 214});
  }
  cairo_rectangle(cr, 0, h - 6, w, 6);
  Fill(cr, {90, 44, 34});
  for (int x = 0; x < int(w); x += 40) {  // grass tufts on the verge
    cairo_move_to(cr, x + 4, 12);
    cairo_line_to(cr, x + 7, 4);
    cairo_line_to(cr, x + 10, 12);
    Fill(cr, {46, 100, 54});
  }
}

void Hedge(cairo_t* cr, double w, double h) {
  for (int i = 0; i < 6; ++i) {
    double cx = 14 + i * (w - 28) / 5.0, r = 18 + 6 * ((i * 7) % 3);
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, h - r * 0.8, r, 0, 2 * M_PI);
  }
  cairo_rectangle(cr, 0, h - 24, w, 24);
  FillStroke(cr, {24, 52, 44}, 1.2, {14, 30, 28});
}

void Houses(cairo_t* cr, double w, double h) {
  // A poplar, a house with a lit window, another poplar.
  auto poplar = [&](double x, double top) {
    Ellipse(cr, x, (top + h) / 2 - 10, 14, (h - top) / 2);
    Fill(cr, {20, 40, 40});
    cairo_rectangle(cr, x - 2, h - 20, 4, 20);
    Fill(cr, {30, 24, 24});
  };
  poplar(20, 40);
  cairo_move_to(cr, 50, h);
  cairo_line_to(cr, 50, 110);
  cairo_line_to(cr, 100, 70);
  cairo_line_to(cr, 150, 110);
  cairo_line_to(cr, 150, h);
  cairo_close_path(cr);
  Fill(cr, {36, 34, 62});
  cairo_rectangle(cr, 124, 62, 10, 26);
  Fill(cr, {36, 34, 62});
  for (int i = 0; i < 4; ++i) {
    double x = 62 + (i % 2) * 50, y = 122 + (i / 2) * 36;
    cairo_rectangle(cr, x, y, 18, 16);
    Fill(cr, (i == 1 || i == 2) ? Rgb{250, 210, 90} : Rgb{22, 22, 40});
  }
  poplar(180, 60);
}

void Stand(cairo_t* cr, double w, double h, int seed) {
  // Bleachers with the neighbours watching in their dressing gowns.
  for (int r = 0; r < 3; ++r) {
    cairo_rectangle(cr, 6 + r * 8, 30 + r * 16, w - 12 - r * 16, 6);
    Fill(cr, {110, 100, 90});
  }
  static const Rgb kGowns[] = {{180, 60, 70}, {70, 90, 170}, {200, 170, 80}, {90, 150, 90}, {160, 120, 200}};
  for (int i = 0; i < 9; ++i) {
    double x = 20 + i * (w - 40) / 8.0, y = 28 + (i % 3) * 16;
    RoundRect(cr, x - 6, y - 14, 12, 14, 4);
    FillStroke(cr, kGowns[(i + seed) % 5], 1.0);
    Ellipse(cr, x, y - 19, 5, 5);
    FillStroke(cr, (i % 2) ? Rgb{230, 190, 150} : Rgb{150, 100, 70}, 1.0);
  }
  for (double x : {10.0, w - 14}) {
    cairo_rectangle(cr, x, 20, 4, h - 20);
    Fill(cr, {70, 64, 60});
  }
}

void Signboard(cairo_t* cr, double w, double h, const char* text, Rgb board) {
  cairo_rectangle(cr, 14, h * 0.45, 5, h * 0.55);
  cairo_rectangle(cr, w - 19, h * 0.45, 5, h * 0.55);
  Fill(cr, {80, 60, 40});
  RoundRect(cr, 4, 4, w - 8, h * 0.55, 5);
  FillStroke(cr, board, 2);
  Text(cr, text, w / 2, h * 0.36, 13, kInk, 1);
}

void Moon(cairo_t* cr, double w, double h) {
  Ellipse(cr, w / 2, h / 2, w / 2 - 3, h / 2 - 3);
  FillStroke(cr, {250, 244, 200}, 2, {200, 190, 140});
  for (auto& c : {std::array<double, 3>{0.35, 0.4, 0.1}, {0.6, 0.6, 0.13}, {0.55, 0.3, 0.07}}) {
    Ellipse(cr, w * c[0], h * c[1], w * c[2], h * c[2]);
    Fill(cr, {220, 212, 170});
  }
}

// -------------------------------------------------------------- the dogs

struct DogLook {
  Rgb coat, patch;
  double bodyW, bodyH, legH, headR, earLong;
};
const DogLook kDogLooks[kDogTypes] = {
    {{150, 100, 60}, {230, 210, 180}, 58, 30, 16, 15, 0.3},   // a bulldog
    {{120, 60, 30}, {90, 40, 20}, 62, 18, 8, 11, 1.0},        // a dachshund
    {{130, 130, 136}, {190, 190, 196}, 64, 34, 22, 16, 0.8},  // a shaggy sheepdog
    {{240, 240, 236}, {200, 200, 210}, 44, 26, 22, 12, 0.6},  // a poodle
    {{40, 36, 40}, {240, 240, 240}, 46, 24, 14, 12, 0.4},     // a terrier
};

// A dog seen from the side, facing left (towards the jumpers coming in),
// its paws at (x, floor) when not leaping; lift raises it, stretch opens
// its legs, snap opens its jaws.
void Dog(cairo_t* cr, int type, double x, double floor, double lift, double stretch, double snap, double tilt) {
  const DogLook& d = kDogLooks[type];
  const double bodyY = floor - d.legH - d.bodyH / 2 - lift;
  cairo_save(cr);
  cairo_translate(cr, x, bodyY);
  cairo_rotate(cr, -tilt);
  // Legs.
  for (int i = 0; i < 4; ++i) {
    double lx = (i < 2 ? -1 : 1) * d.bodyW * 0.32 + (i % 2) * 6;
    double swing = (i < 2 ? -1 : 1) * stretch * 0.9;
    cairo_move_to(cr, lx, d.bodyH * 0.2);
    cairo_line_to(cr, lx + std::sin(swing) * d.legH, d.bodyH * 0.2 + std::cos(swing) * d.legH + d.bodyH * 0.3);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    SetRgb(cr, kInk);
    cairo_set_line_width(cr, 9);
    cairo_stroke_preserve(cr);
    SetRgb(cr, i % 2 ? d.coat : d.patch);
    cairo_set_line_width(cr, 6);
    cairo_stroke(cr);
  }
  // Tail up and wagging.
  cairo_move_to(cr, d.bodyW * 0.45, -d.bodyH * 0.1);
  cairo_curve_to(cr, d.bodyW * 0.6, -d.bodyH * 0.6, d.bodyW * 0.7, -d.bodyH * 0.8 - 6 * stretch,
                 d.bodyW * 0.62 + 6 * std::sin(snap * 6), -d.bodyH * 1.1);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 7);
  cairo_stroke_preserve(cr);
  SetRgb(cr, d.coat);
  cairo_set_line_width(cr, 4);
  cairo_stroke(cr);
  // Body.
  Ellipse(cr, 0, 0, d.bodyW / 2, d.bodyH / 2);
  FillStroke(cr, d.coat, 2);
  Ellipse(cr, d.bodyW * 0.12, -d.bodyH * 0.05, d.bodyW * 0.18, d.bodyH * 0.28);
  Fill(cr, d.patch);
  if (type == 3) {  // the poodle's pom-poms
    for (double px : {-d.bodyW * 0.5, d.bodyW * 0.5}) {
      Ellipse(cr, px, -d.bodyH * 0.2, 9, 9);
      FillStroke(cr, d.coat, 1.5);
    }
  }
  // Head with ears, an eye and the jaws.
  const double hx = -d.bodyW * 0.5 - d.headR * 0.4, hy = -d.bodyH * 0.45;
  Ellipse(cr, hx + 6, hy + d.headR * 0.1, d.headR * 0.55 * (1 + d.earLong * 0.2), d.headR * 0.5 + d.earLong * 8);
  FillStroke(cr, Rgb{uint8_t(d.coat.r * 0.7), uint8_t(d.coat.g * 0.7), uint8_t(d.coat.b * 0.7)}, 1.5);  // the ear
  Ellipse(cr, hx, hy, d.headR, d.headR * 0.9);
  FillStroke(cr, d.coat, 2);
  // Muzzle: the upper jaw, and the lower one opened by the snap.
  cairo_save(cr);
  cairo_translate(cr, hx - d.headR * 0.6, hy + d.headR * 0.15);
  cairo_rotate(cr, 0.15 * snap);
  RoundRect(cr, -d.headR * 0.9, -d.headR * 0.35, d.headR * 1.0, d.headR * 0.45, 4);
  FillStroke(cr, d.patch, 1.5);
  cairo_restore(cr);
  cairo_save(cr);
  cairo_translate(cr, hx - d.headR * 0.6, hy + d.headR * 0.3);
  cairo_rotate(cr, -0.6 * snap);
  RoundRect(cr, -d.headR * 0.8, 0, d.headR * 0.9, d.headR * 0.3, 3);
  FillStroke(cr, {200, 60, 70}, 1.5);
  for (int t = 0; t < 3; ++t) {  // teeth
    cairo_move_to(cr, -d.headR * 0.7 + t * 5, 0);
    cairo_line_to(cr, -d.headR * 0.7 + t * 5 + 2, 4);
    cairo_line_to(cr, -d.headR * 0.7 + t * 5 + 4, 0);
    Fill(cr, {250, 250, 250});
  }
  cairo_restore(cr);
  Ellipse(cr, hx - d.headR * 1.45, hy + d.headR * 0.02, 3.5, 3);
  Fill(cr, kInk);
  Ellipse(cr, hx - d.headR * 0.25, hy - d.headR * 0.3, 3.2, 3.6);
  FillStroke(cr, {250, 250, 250}, 1);
  Ellipse(cr, hx - d.headR * 0.32, hy - d.headR * 0.28, 1.6, 2.0);
  Fill(cr, kInk);
  // Angry brow.
  cairo_move_to(cr, hx - d.headR * 0.6, hy - d.headR * 0.7);
  cairo_line_to(cr, hx + d.headR * 0.1, hy - d.headR * 0.45);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  cairo_restore(cr);
}

// A dog's 20-frame leap: a rest with a growl, a crouch, the leap with a
// snap at the top, the fall back.
void DogFrame(cairo_t* cr, int type, int f, double w, double h) {
  const double floor = kPitFloorY - kDogTopY[type];
  const double x = w * 0.5;
  const double maxLift = h - (kDogLooks[type].legH + kDogLooks[type].bodyH + kDogLooks[type].headR * 1.6) - 4;
  if (f < 4) {
    Dog(cr, type, x, floor, 0, 0, (f % 2) * 0.3, 0);
  } else if (f < 7) {
    Dog(cr, type, x, floor + 4 * (f - 3) / 3.0, -3.0 * (f - 3), -0.3, 0.2, -0.1);
  } else {
    double k = (f - 7) / 12.0;  // 0 .. 1 over the leap
    double lift = std::sin(k * M_PI) * maxLift;
    double snap = (k > 0.35 && k < 0.65) ? std::sin((k - 0.35) / 0.3 * M_PI) : 0.1;
    Dog(cr, type, x - 20 * std::sin(k * M_PI), floor, lift, 0.9 * std::sin(k * M_PI), snap, 0.5 * std::cos(k * M_PI));
  }
}

void Cat(cairo_t* cr, int f, double w, double h) {
  // On a crate: the tail swishes, an ear twitches, then a miaow.
  cairo_rectangle(cr, 10, h - 14, w - 20, 14);
  FillStroke(cr, {110, 80, 50}, 1.5);
  const Rgb fur{60, 56, 70};
  Ellipse(cr, w / 2, h - 24, 12, 10);
  FillStroke(cr, fur, 1.5);
  double swish = std::sin(f * 1.3) * 8;
  cairo_move_to(cr, w / 2 + 10, h - 18);
  cairo_curve_to(cr, w / 2 + 22, h - 22, w / 2 + 20 + swish, h - 36, w / 2 + 16 + swish, h - 42);
  SetRgb(cr, fur);
  cairo_set_line_width(cr, 4);
  cairo_stroke(cr);
  Ellipse(cr, w / 2 - 6, h - 36, 8, 7);
  FillStroke(cr, fur, 1.5);
  for (int e = -1; e <= 1; e += 2) {
    cairo_move_to(cr, w / 2 - 6 + e * 6, h - 40);
    cairo_line_to(cr, w / 2 - 6 + e * 4 + (e < 0 && f == 2 ? -3 : 0), h - 48);
    cairo_line_to(cr, w / 2 - 6 + e * 2, h - 41);
    FillStroke(cr, fur, 1);
    Ellipse(cr, w / 2 - 6 + e * 3, h - 37, 1.6, f == 4 ? 0.5 : 1.8);
    Fill(cr, {250, 220, 60});
  }
  if (f == 3) {
    Ellipse(cr, w / 2 - 8, h - 32, 2, 2);
    Fill(cr, {200, 60, 80});
  }
}

void Stars(cairo_t* cr, int f, double w, double h) {
  for (int i = 0; i < 4; ++i) {
    double a = 2 * M_PI * (i / 4.0 + f / 9.0);
    double cx = w / 2 + std::cos(a) * (w / 2 - 9), cy = h / 2 + std::sin(a) * (h / 2 - 8);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, a);
    cairo_move_to(cr, 0, -7);
    for (int k = 1; k < 10; ++k) {
      double r = (k % 2) ? 3 : 7, b = k * M_PI / 5;
      cairo_line_to(cr, std::sin(b) * r, -std::cos(b) * r);
    }
    cairo_close_path(cr);
    FillStroke(cr, {250, 226, 60}, 1.2);
    cairo_restore(cr);
  }
}

void Pit(cairo_t* cr, double w, double h) {
  cairo_rectangle(cr, 0, 0, w, h);
  Fill(cr, {60, 36, 26});
  cairo_rectangle(cr, 0, 0, w, 5);
  Fill(cr, {112, 60, 42});
  for (int i = 0; i < int(w / 14); ++i) {
    Ellipse(cr, 7 + i * 14 + (i % 3), 14 + (i % 4) * 4, 3, 1.5);
    Fill(cr, {82, 52, 36});
  }
  cairo_rectangle(cr, 0, h - 6, w, 6);
  Fill(cr, {40, 24, 18});
}

void PitEdge(cairo_t* cr, double w, double h) {
  cairo_rectangle(cr, 0, 0, w, h);
  Fill(cr, {96, 56, 38});
  for (int y = 2; y < int(h); y += 6) {
    cairo_rectangle(cr, 2 + (y % 4), y, w - 6, 2);
    Fill(cr, {70, 40, 28});
  }
  cairo_rectangle(cr, 0, 0, w, 4);
  Fill(cr, {150, 80, 56});
}

// ------------------------------------------------------ judge and title

Pose WalkPose(double k) {
  Pose p;
  p.turn = 0.5;
  double s = std::sin(k * 2 * M_PI);
  p.leg[0] = 0.5 * s;
  p.leg[1] = -0.5 * s;
  p.knee[0] = std::max(0.0, -s) * 0.7;
  p.knee[1] = std::max(0.0, s) * 0.7;
  p.arm[0] = -0.45 * s;
  p.arm[1] = 0.45 * s;
  p.elbow[0] = p.elbow[1] = 0.5;
  p.lean = 0.08;
  return p;
}

void JudgeFrame(cairo_t* cr, int f, double w, double h) {
  const double height = 120, footX = w / 2;
  Pose p;
  p.turn = 0.5;
  bool mirrored = false;
  if (f <= kJudgeWalkLast) {  // walking in from the right: facing left
    p = WalkPose((f - 1) / double(kJudgeWalkLast));
    mirrored = true;
  } else if (f < 41) {  // down on one knee with the tape
    double k = Clamp01((f - 18) / 6.0);
    p.knee[0] = Lerp(0, 1.6, k);
    p.leg[0] = Lerp(0, 0.9, k);
    p.knee[1] = Lerp(0, 0.6, k);
    p.lean = Lerp(0, 0.5, k);
    p.arm[0] = 1.2;
    p.arm[1] = 0.9;
    p.bounce = -Lerp(0, 22, k);
    p.mouth = 0.2;
  } else if (f < 61) {  // up again, writing on the board
    double k = Clamp01((f - 41) / 5.0);
    p.arm[0] = Lerp(1.2, 1.7, k);
    p.elbow[0] = 0.9;
    p.arm[1] = 1.3 + 0.1 * std::sin(f * 1.7);  // the pen
    p.elbow[1] = 0.8;
    p.mouth = 0.3;
  } else {  // the board goes up
    double k = Smooth(Clamp01((f - 61) / 17.0));
    p.arm[0] = Lerp(1.7, 2.75, k);
    p.arm[1] = -Lerp(1.3, 2.75, k);
    p.elbow[0] = p.elbow[1] = 0.15;
    p.mouth = 0.5;
  }
  if (mirrored) {
    cairo_save(cr);
    cairo_translate(cr, w, 0);
    cairo_scale(cr, -1, 1);
  }
  DrawCharacter(cr, kJudgeBuild, p, footX, kJudgeFootY, height);
  if (f >= 18 && f < 41) {  // the tape along the ground
    cairo_rectangle(cr, 0, kJudgeFootY - 4, footX - 10, 3);
    Fill(cr, {250, 220, 40});
  }
  if (mirrored) cairo_restore(cr);
  if (f >= 41) {
    // The board: held in front while writing, over the head at the end.
    double k = f < 61 ? 0 : Smooth(Clamp01((f - 61) / 17.0));
    double cy = Lerp(110, kJudgeBoardTextY + 6, k);
    RoundRect(cr, kJudgeBoardTextX - 40, cy - 12, 80, 24, 3);
    FillStroke(cr, {250, 250, 250}, 2);
  }
}

void TitleFrame(cairo_t* cr, int f, double w, double h) {
  RoundRect(cr, 3, 3, w - 6, h - 6, 16);
  FillStroke(cr, {30, 30, 80}, 3, {250, 220, 60});
  Text(cr, "NICE DOGGIE", w / 2, 50, 32, {250, 220, 60}, 1, true);
  Text(cr, "JUMP", w / 2, 88, 34, {250, 220, 60}, 1, true);
  // A dog leaps across under the letters, snapping at the top.
  const double k = f / double(kIconFrames);
  const double lift = std::sin(k * M_PI) * 46;
  const double snap = (k > 0.35 && k < 0.65) ? std::sin((k - 0.35) / 0.3 * M_PI) : 0.1;
  Dog(cr, 0, Lerp(w - 70, 80, k), h - 40, lift, 0.9 * std::sin(k * M_PI), snap, 0.5 * std::cos(k * M_PI));
  // Paw prints along the bottom.
  for (int i = 0; i < 6; ++i) {
    double x = 40 + i * 44, y = h - 24 - (i % 2) * 8;
    Ellipse(cr, x, y, 6, 5);
    Fill(cr, i <= int(k * 6) ? Rgb{250, 250, 250} : Rgb{80, 80, 130});
    for (int t = -1; t <= 1; ++t) {
      Ellipse(cr, x + t * 5, y - 7, 2, 2);
      Fill(cr, i <= int(k * 6) ? Rgb{250, 250, 250} : Rgb{80, 80, 130});
    }
  }
}

// --------------------------------------------------------------- jumpers

// The pose of a jumper at frame f of its row: the first state whose frames
// hold f decides, with k its progress through those frames.
Pose JumperPose(int row, int f, int* stateOut) {
  int state = -1;
  double k = 0;
  for (int s = 0; s < kFrameStates && state < 0; ++s) {
    const FrameRange& r = kJumperFrames[row][s];
    if (f >= r.first && f <= r.last) {
      state = s;
      k = r.last > r.first ? double(f - r.first) / (r.last - r.first) : 0.0;
    }
  }
  *stateOut = state;
  Pose p;
  p.turn = 0.55;
  p.mouth = 0.3;
  auto run = [&](double amp, double lean) {
    double s = std::sin(k * 2 * M_PI);
    p.leg[0] = amp * s;
    p.leg[1] = -amp * s;
    p.knee[0] = std::max(0.0, -s) * 1.1 + 0.2;
    p.knee[1] = std::max(0.0, s) * 1.1 + 0.2;
    p.arm[0] = -0.9 * s;
    p.arm[1] = 0.9 * s;
    p.elbow[0] = p.elbow[1] = 1.2;
    p.lean = lean;
    p.bounce = std::fabs(std::cos(k * 2 * M_PI)) * 4;
    p.mouth = 0.45;
  };
  switch (state) {
    case 0:
      run(0.6, 0.15);
      break;
    case 1:
      run(0.95, 0.32);
      break;
    case 2:
    case 5:
    case 8: {  // crouch on the take-off foot, then spring with the arms up
      double c = k < 0.5 ? k * 2 : 1 - (k - 0.5) * 2;
      p.leg[0] = 0.2;
      p.leg[1] = -0.5 + 0.3 * k;
      p.knee[0] = 0.9 * c;
      p.knee[1] = 0.5;
      p.arm[0] = Lerp(-0.8, 2.4, k);
      p.arm[1] = Lerp(-0.6, 2.0, k);
      p.elbow[0] = p.elbow[1] = 0.3;
      p.lean = 0.3 - 0.1 * k;
      p.bounce = -6 * c;
      p.mouth = 0.7;
      break;
    }
    case 3:
    case 6:
    case 9: {  // hop: knee up; step: the splits; jump: both legs forward
      double a = std::sin(k * M_PI);
      if (state == 3) {
        p.leg[0] = 1.2 * a + 0.2;
        p.knee[0] = 1.6 * a;
        p.leg[1] = -0.6;
        p.knee[1] = 0.4;
      } else if (state == 6) {
        p.leg[0] = 0.4 + 0.9 * a;
        p.leg[1] = -0.4 - 0.9 * a;
        p.knee[0] = 0.2;
        p.knee[1] = 0.6;
      } else {
        p.leg[0] = p.leg[1] = Lerp(-0.3, 1.5, Smooth(k));
        p.knee[0] = p.knee[1] = 0.7 * a;
      }
      p.arm[0] = 2.5 - 1.4 * k;
      p.arm[1] = 2.2 - 1.4 * k;
      p.elbow[0] = p.elbow[1] = 0.2;
      p.lean = 0.2 - 0.25 * k;
      p.mouth = 0.8;
      break;
    }
    case 4:
    case 7:
    case 10: {  // feet down, knees give, arms out for balance
      double c = std::sin(std::min(1.0, k * 1.5) * M_PI);
      p.leg[0] = 0.5;
      p.leg[1] = state == 10 ? 0.5 : -0.3;
      p.knee[0] = p.knee[1] = 0.4 + 1.0 * c;
      p.arm[0] = 1.6;
      p.arm[1] = 1.3;
      p.elbow[0] = p.elbow[1] = 0.2;
      p.lean = 0.35 * c;
      p.bounce = -12 * c;
      p.mouth = 0.6;
      break;
    }
    case 11:  // disappointed: shoulders down, head hanging
      p.arm[0] = 0.1;
      p.arm[1] = -0.1;
      p.elbow[0] = p.elbow[1] = 0.1;
      p.lean = -0.12 - 0.06 * std::sin(k * 2 * M_PI);
      p.mouth = 0.0;
      p.bounce = -2;
      break;
    case 12:  // pleased: a wave
      p.arm[0] = 2.6 + 0.35 * std::sin(k * 6 * M_PI);
      p.elbow[0] = 0.5;
      p.arm[1] = -0.3;
      p.mouth = 0.5;
      break;
    case 13:  // delighted: arms up, jumping for joy
      p.cheer = true;
      p.bounce = std::fabs(std::sin(k * 3 * M_PI)) * 14;
      p.leg[0] = 0.2;
      p.leg[1] = -0.2;
      p.mouth = 0.9;
      break;
    case 14:  // standing, breathing, looking round
      p.turn = 0.55 + 0.2 * std::sin(k * 2 * M_PI);
      p.arm[0] = 0.2 + 0.05 * std::sin(k * 4 * M_PI);
      p.arm[1] = -0.2;
      p.mouth = 0.25;
      break;
    case 15:  // flailing into the pit
      p.arm[0] = 2.8;
      p.arm[1] = -2.4;
      p.leg[0] = 0.8;
      p.leg[1] = -0.9;
      p.lean = -0.7;
      p.mouth = 1.0;
      break;
    default:
      break;
  }
  return p;
}

void JumperSheet(Output& out, int row, const Palette& course) {
  const int ch = kCharacterOfRow[row];
  const int w = kJumperW[row], h = kJumperH;
  std::vector<std::unique_ptr<Canvas>> frames;
  for (int f = 1; f <= kJumperSheetFrames[row]; ++f) {
    frames.push_back(std::make_unique<Canvas>(w, h));
    cairo_t* cr = frames.back()->cr();
    int state = -1;
    Pose p = JumperPose(row, f, &state);
    DrawCharacter(cr, ch, p, kRowOffset[row], kJumperFootY, 110);
    if (state == 2 && row == 2 && f > kJumperFrames[row][2].first + 3) {  // the alien bounces off a ball
      Ellipse(cr, kRowOffset[row], kJumperFootY - 6, 12, 8);
      FillStroke(cr, {230, 110, 30}, 1.5);
    }
    if (state == 10 && row == 2) {  // and lands with a bang
      const FrameRange& r = kJumperFrames[row][10];
      double k = double(f - r.first) / (r.last - r.first);
      if (k < 0.6) {
        double rad = 10 + 50 * k;
        for (int i = 0; i < 10; ++i) {
          double a = i * 2 * M_PI / 10;
          cairo_move_to(cr, kRowOffset[row], kJumperFootY - 10);
          cairo_line_to(cr, kRowOffset[row] + std::cos(a) * rad, kJumperFootY - 10 + std::sin(a) * rad * 0.6);
        }
        SetRgb(cr, {250, 180, 40});
        cairo_set_line_width(cr, 4 * (1 - k));
        cairo_stroke(cr);
      }
    }
    if (state == 9 && row == 2) {  // the rocket's flame under the alien
      Ellipse(cr, kRowOffset[row] - 20, kJumperFootY - 10, 14, 6);
      Fill(cr, {250, 120, 30});
    }
    if (state == 10 || state == 4 || state == 7) {  // sand kicked up
      const FrameRange& r = kJumperFrames[row][state];
      double k = r.last > r.first ? double(f - r.first) / (r.last - r.first) : 0.5;
      if (k < 0.7) {
        for (int i = 0; i < 5; ++i) {
          Ellipse(cr, kRowOffset[row] - 24 + i * 12, kJumperFootY - 4 - 10 * k - (i % 2) * 5, 5 - 3 * k, 3);
          Fill(cr, {200, 170, 120});
        }
      }
    }
    frames.back()->Flush();
  }
  // The row's own colours, then the sheet on the course palette with them.
  ColourHistogram hist;
  for (auto& f : frames) hist.Add(*f);
  Palette pal = course;
  FillPalette(&pal, kPaletteJumperFirst, hist.MedianCut(kPaletteJumperLast - kPaletteJumperFirst + 1));
  Quantizer q(pal, kPaletteJumperFirst, kPaletteJumperLast);
  std::vector<MbmFrame> mbm;
  for (auto& f : frames) mbm.push_back({"", q.Reduce(*f)});
  out.Write(Root::Data, kJumperSheet[row], EncodePkc(EncodeMbm(mbm, pal)));
}

// --------------------------------------------------------------- sounds

void Wav(Output& out, Root root, const std::string& path, const Samples& s, int bits = 16) {
  if (out.Has(root, path)) return;  // shared with another event
  out.Write(root, path, EncodeWav(ToPcm(s), kRate, bits));
}

Samples Bark(double pitch, double seconds, uint32_t seed) {
  Samples s = Sweep(pitch * 1.6, pitch, seconds, 2, 0.5);
  Samples n = Noise(seconds, 0.35, seed, 0.3);
  MixInto(s, n, 0);
  Envelope(s, 0.005, seconds * 0.6);
  return s;
}

Samples Barking(int dogs, double seconds, uint32_t seed) {
  Samples s = Silence(seconds);
  for (int i = 0; i < dogs * 3; ++i) {
    double at = std::fmod(i * 0.29 + (i % dogs) * 0.11, seconds - 0.2);
    MixInto(s, Bark(420 + 90 * (i % dogs) + 30 * (i % 3), 0.13 + 0.03 * (i % 2), seed + i), at, 0.8);
  }
  return s;
}

Samples Night(double seconds) {
  Samples s = Noise(seconds, 0.04, 77, 0.9);  // wind in the grass
  for (int i = 0; i < int(seconds * 6); ++i) {  // crickets
    Samples c = Tone(4200 + 300 * (i % 3), 0.03, 3, 0.08);
    Envelope(c, 0.005, 0.02);
    MixInto(s, c, i / 6.0 + 0.05 * (i % 2));
  }
  Samples owl = Sweep(420, 380, 0.35, 0, 0.2);
  Envelope(owl, 0.05, 0.15);
  MixInto(s, owl, seconds * 0.4);
  MixInto(s, owl, seconds * 0.4 + 0.5);
  Envelope(s, 0.05, 0.05);
  return s;
}

void DoggieSounds(Output& out) {
  const Root P = Root::Program, D = Root::Data;
  Wav(out, D, "dog\\d_1dog.wav", Barking(1, 1.2, 11));
  Wav(out, D, "dog\\d_2dogs.wav", Barking(2, 1.4, 21));
  Wav(out, D, "dog\\d_5dogs.wav", Barking(5, 1.8, 51));
  {
    Samples m = Sweep(700, 900, 0.2, 3, 0.35);
    Append(m, Sweep(900, 520, 0.35, 3, 0.35));
    Envelope(m, 0.03, 0.15);
    Wav(out, D, "dog\\d_cat.wav", m);
  }
  {
    Samples p = Tone(1800, 0.08, 0, 0.3);
    Append(p, Tone(2400, 0.08, 0, 0.3));
    Append(p, Tone(1800, 0.08, 0, 0.3));
    Envelope(p, 0.005, 0.05);
    Wav(out, D, "dog\\d_punc.wav", p);
  }
  Wav(out, D, "dog\\d_night.wav", Night(4.0), 8);
  Wav(out, D, kAnnounceSound, Speak("Welcome to the nice doggie jump. Mind the dogs!", kJudgeVoice));
  {
    Samples b = Sweep(180, 520, 0.25, 0, 0.6);  // a ball's boing
    Envelope(b, 0.005, 0.15);
    Wav(out, P, "sounds\\bball.wav", b);
    Samples r = Noise(0.9, 0.5, 91, 0.5);  // a rocket
    MixInto(r, Sweep(120, 600, 0.9, 2, 0.3), 0);
    Envelope(r, 0.1, 0.3);
    Wav(out, P, "sounds\\rocket.wav", r);
    Samples e = Noise(0.8, 0.9, 93, 0.7);  // a bang
    MixInto(e, Sweep(90, 30, 0.6, 0, 0.8), 0);
    Envelope(e, 0.002, 0.6);
    Wav(out, P, "sounds\\n_exp.wav", e);
  }
  static const char* const kPrefix[kRows] = {"mo", "ka", "al", "go", "st", "am"};
  static const char* const kIdle[kRows] = {"Ooh ooh, aah.", "G'day.", "Bleep bloop.", "Is it lunch yet?",
                                           "Look at these muscles.", "I am ready."};
  static const char* const kHup[kRows] = {"Hup!", "Boing!", "Zap!", "Hnngh!", "Hyah!", "Ha!"};
  static const char* const kFoul[kRows][3] = {
      {"Ook! Bad doggie!", "Grr, those dogs!", "Banana break!"},
      {"Crikey!", "Strewth, mate!", "Hop no more."},
      {"Earth dogs are fierce.", "Abort the mission!", "Beam me up."},
      {"My lunch!", "Those mutts!", "I need a nap."},
      {"Not my face!", "Ouch, my muscles!", "I slipped!"},
      {"The jungle is angry!", "Bad dog!", "Next time!"}};
  for (int row = 0; row < kRows; ++row) {
    const int voice = kCharacterOfRow[row];
    Wav(out, P, std::string("sounds\\") + kPrefix[row] + "_idle.wav", Speak(kIdle[row], voice));
    Samples hup = Speak(kHup[row], voice);
    Samples whoosh = Noise(0.25, 0.3, uint32_t(60 + row), 0.6);
    Envelope(whoosh, 0.05, 0.15);
    MixInto(hup, whoosh, 0);
    Wav(out, P, std::string("sounds\\") + kPrefix[row] + "_att1.wav", hup);
    for (int a = 0; a < 3; ++a) {
      const DoggieFile& f = DoggieSoundFile(row, kSoundSlots - 9 + a);  // entries 47..49
      Wav(out, D, f.path, Speak(kFoul[row][a], voice));
    }
  }
}

}  // namespace

void GenerateDoggie(Output& out) {
  std::vector<std::unique_ptr<Sheet>> sheets;
  auto add = [&](const char* path, bool opaque = false) -> Sheet& {
    sheets.push_back(std::make_unique<Sheet>());
    sheets.back()->path = path;
    sheets.back()->opaque = opaque;
    return *sheets.back();
  };

  // The night course (back.mbm).
  {
    Sheet& s = add(kBackSprite);
    for (int i = 0; i < kBackFrames; ++i) {
      const double w = kBackSize[i].w, h = kBackSize[i].h;
      cairo_t* cr = s.Frame(int(w), int(h));
      switch (i + 1) {
        case kBackSky:
          Sky(cr, w, h);
          StarDots(cr, w, h, 1);
          break;
        case kBackHorizon: {
          cairo_translate(cr, 0, -220);
          Sky(cr, w, 320);
          cairo_identity_matrix(cr);
          StarDots(cr, w, 30, 7);
          cairo_move_to(cr, 0, h);
          for (int x = 0; x <= int(w); x += 20)
            cairo_line_to(cr, x, 40 + 14 * std::sin(x * 2 * M_PI / w) + 6 * std::sin(x * 6 * M_PI / w));
          cairo_line_to(cr, w, h);
          cairo_close_path(cr);
          Fill(cr, {26, 36, 60});
          for (int k = 0; k < 8; ++k) {  // far windows
            cairo_rectangle(cr, 20 + k * 37, 70 + (k % 3) * 6, 2, 2);
            Fill(cr, {250, 220, 120});
          }
          break;
        }
        case kBackMoon:
          Moon(cr, w, h);
          break;
        case kBackGround:
          Track(cr, w, h);
          break;
        case kBackHedge:
          Hedge(cr, w, h);
          break;
        case kBackHouses:
          Houses(cr, w, h);
          break;
        case kBackBats:
          Bat(cr, 22, 28, 34, 0.6);
          Bat(cr, 62, 16, 28, -0.4);
          Bat(cr, 98, 32, 24, 0.2);
          break;
        case kBackCloud:
        case kBackCloud + 1:
          Cloud(cr, w, h, i + 1 - kBackCloud);
          break;
        case kBackStand:
          Stand(cr, w, h, 0);
          break;
        case kBackStand + 1:
          Signboard(cr, w, h, "NICE DOGGIE JUMP", {250, 220, 80});
          break;
        default:
          Signboard(cr, w, h, "BEWARE OF DOGS", {240, 240, 230});
          break;
      }
    }
  }
  {
    Sheet& s = add(kTreeSprite);
    for (int i = 0; i < kTreeFrames; ++i) BareTree(s.Frame(kTreeSize.w, kTreeSize.h), kTreeSize.w, kTreeSize.h, i);
  }
  {
    Sheet& s = add(kDogSprite);
    for (int t = 0; t < kDogTypes; ++t)
      for (int f = 0; f < kDogFramesEach; ++f) {
        const int w = kDogW[t], h = kPitFloorY - kDogTopY[t];
        DogFrame(s.Frame(w, h), t, f, w, h);
      }
    for (int f = 0; f <= kCatLast - kCatFirst; ++f) Cat(s.Frame(kCatSize.w, kCatSize.h), f, kCatSize.w, kCatSize.h);
    if (int(s.frames.size()) != kDogSheetFrames) throw std::runtime_error("dog frames");
  }
  {
    Sheet& s = add(kStarsSprite);
    for (int f = 0; f < kStarsFrames; ++f) Stars(s.Frame(kStarsSize.w, kStarsSize.h), f, kStarsSize.w, kStarsSize.h);
  }
  {
    Sheet& s = add(kPitSprite, true);
    for (int i = 0; i < kPitFrames; ++i) {
      cairo_t* cr = s.Frame(kPitSize[i].w, kPitSize[i].h);
      if (i + 1 == kPitEdgeFrame) {
        PitEdge(cr, kPitSize[i].w, kPitSize[i].h);
      } else {
        Pit(cr, kPitSize[i].w, kPitSize[i].h);
      }
    }
  }
  {
    Sheet& s = add(kJudgeSprite);
    for (int f = 1; f <= kJudgeFrames; ++f) JudgeFrame(s.Frame(kJudgeSize.w, kJudgeSize.h), f, kJudgeSize.w, kJudgeSize.h);
  }
  {
    Sheet& icon = add(kIconSprite);
    Sheet& low = add(kIconSpriteLowMemory);
    for (int f = 0; f <= kIconFrames; ++f) {
      cairo_t* cr = f < kIconFrames ? icon.Frame(kIconSize.w, kIconSize.h) : low.Frame(kIconSize.w, kIconSize.h);
      TitleFrame(cr, f % kIconFrames, kIconSize.w, kIconSize.h);
    }
  }

  // The course palette: 6..125 from every course picture; 126..254 of
  // dog\palette.bmp are the RADEROZI row's, as the event starts with that
  // row's sounds (each turn brings its own jumper's).
  Palette pal = BasePalette();
  ColourHistogram hist;
  for (auto& s : sheets)
    for (auto& f : s->frames) {
      f->Flush();
      hist.Add(*f, f->w() * f->h() > 40000 ? 2 : 1);
    }
  for (Rgb c : {Rgb{255, 255, 255}, kInk, Rgb{250, 220, 60}}) hist.AddColour(c, 1u << 22);
  FillPalette(&pal, kPaletteCourseFirst, hist.MedianCut(kPaletteCourseLast - kPaletteCourseFirst + 1));
  for (int i = kPaletteJumperFirst; i <= kPaletteJumperLast; ++i) pal[i] = Rgb{0, 0, 0};
  Quantizer q(pal, kPaletteCourseFirst, kPaletteCourseLast);
  for (auto& s : sheets) {
    std::vector<MbmFrame> frames;
    for (auto& f : s->frames) frames.push_back({"", q.Reduce(*f, !s->opaque)});
    out.Write(Root::Data, s->path, EncodeMbm(frames, pal));
  }
  sheets.clear();

  // The jumpers, one row at a time (their frames are many).
  for (int row = 0; row < kRows; ++row) JumperSheet(out, row, pal);

  // dog\palette.bmp: the course and, in the jumper's range, RADEROZI's sheet colours.
  {
    std::vector<uint8_t> bytes;
    Palette shown = pal;
    Canvas probe(kJumperW[1], kJumperH);
    int state = 0;
    DrawCharacter(probe.cr(), kCharacterOfRow[1], JumperPose(1, 1, &state), kRowOffset[1], kJumperFootY, 110);
    probe.Flush();
    ColourHistogram jh;
    jh.Add(probe);
    FillPalette(&shown, kPaletteJumperFirst, jh.MedianCut(kPaletteJumperLast - kPaletteJumperFirst + 1));
    Image8 swatch{16, 16, std::vector<uint8_t>(256)};
    for (int i = 0; i < 256; ++i) swatch.px[i] = uint8_t(i);
    out.Write(Root::Data, kPalettePicture, EncodeBmp8(swatch, shown));
  }

  DoggieSounds(out);
}

}  // namespace assetgen
