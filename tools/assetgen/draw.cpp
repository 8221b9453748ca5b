#include "tools/assetgen/draw.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {

constexpr Rgb kInk{24, 18, 14};

struct Build {
  double legLen, hipW, torsoH, shoulderW, headR, neck, armUpper, armLower, legW, armW;
  Rgb skin, skinShade, top, bottom, hair, extra;
};

// Proportions and colours, in units of a hundredth of the drawn height.
const Build kBuild[7] = {
    // slob: short legs, huge belly, stained singlet, bald with stubble
    {30, 10, 34, 15, 13, 2, 17, 15, 10, 8, {242, 192, 160}, {214, 150, 120}, {236, 234, 220},
     {60, 84, 176}, {120, 96, 80}, {196, 170, 90}},
    // ape: short legs, long arms, dark fur, pale face, red shorts
    {24, 9, 38, 17, 13, 1, 25, 23, 10, 9, {104, 66, 38}, {70, 44, 26}, {104, 66, 38},
     {200, 40, 40}, {60, 38, 22}, {214, 176, 134}},
    // stud: long legs, wedge torso, small head, blond quiff, shades
    {42, 8, 34, 23, 10, 3, 19, 17, 10, 10, {222, 156, 104}, {180, 116, 74}, {222, 156, 104},
     {30, 64, 210}, {252, 222, 70}, {220, 30, 40}},
    // amazon: tall and slim, leopard print, long black hair, green headband
    {46, 8, 30, 13, 10, 3, 18, 16, 7, 5.5, {196, 134, 88}, {160, 100, 60}, {236, 184, 60},
     {236, 184, 60}, {30, 24, 24}, {40, 170, 70}},
    // kangaroo: big feet, tail, long ears, pouch, red boxing gloves
    {30, 10, 34, 11, 10, 2, 14, 12, 11, 6, {206, 124, 60}, {170, 94, 42}, {206, 124, 60},
     {206, 124, 60}, {150, 84, 36}, {220, 30, 30}},
    // alien: slim, huge head, black eyes, antennae, silver suit
    {36, 6, 26, 10, 18, 2, 18, 16, 5.5, 4.5, {120, 214, 96}, {80, 168, 66}, {196, 204, 216},
     {196, 204, 216}, {80, 168, 66}, {250, 60, 200}},
    // judge: striped shirt, black trousers, cap, moustache
    {40, 8, 32, 15, 10, 3, 18, 16, 8, 6, {236, 190, 150}, {200, 150, 110}, {245, 245, 245},
     {30, 30, 36}, {60, 40, 30}, {30, 30, 36}},
};

struct Pt {
  double x, y;
};

Pt Dir(double a) { return {std::sin(a), std::cos(a)}; }
Pt Add(Pt p, Pt d, double k) { return {p.x + d.x * k, p.y + d.y * k}; }

void Limb(cairo_t* cr, Pt a, Pt b, double w, Rgb c, double line) {
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_move_to(cr, a.x, a.y);
  cairo_line_to(cr, b.x, b.y);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, w + 2 * line);
  cairo_stroke_preserve(cr);
  SetRgb(cr, c);
  cairo_set_line_width(cr, w);
  cairo_stroke(cr);
}

void Disc(cairo_t* cr, Pt c, double r, Rgb fill, double line) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, c.x, c.y, r, 0, 2 * M_PI);
  FillStroke(cr, fill, line);
}

}  // namespace

void SetRgb(cairo_t* cr, Rgb c, double alpha) {
  cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, alpha);
}

void FillStroke(cairo_t* cr, Rgb fill, double line, Rgb outline) {
  SetRgb(cr, fill);
  if (line <= 0) {
    cairo_fill(cr);
    return;
  }
  cairo_fill_preserve(cr);
  SetRgb(cr, outline);
  cairo_set_line_width(cr, line);
  cairo_stroke(cr);
}

void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, std::max(rx, 0.01), std::max(ry, 0.01));
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
}

void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void Gradient(cairo_t* cr, double x, double y, double w, double h, Rgb top, Rgb bottom) {
  cairo_pattern_t* g = cairo_pattern_create_linear(0, y, 0, y + h);
  cairo_pattern_add_color_stop_rgb(g, 0, top.r / 255.0, top.g / 255.0, top.b / 255.0);
  cairo_pattern_add_color_stop_rgb(g, 1, bottom.r / 255.0, bottom.g / 255.0, bottom.b / 255.0);
  cairo_rectangle(cr, x, y, w, h);
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
}

void Clear(cairo_t* cr) {
  cairo_save(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_paint(cr);
  cairo_restore(cr);
}

double TextWidth(cairo_t* cr, const std::string& s, double size) {
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, s.c_str(), &e);
  return e.x_advance;
}

void Text(cairo_t* cr, const std::string& s, double x, double y, double size, Rgb colour, int align,
          bool outline) {
  double w = TextWidth(cr, s, size);
  double x0 = align == 1 ? x - w / 2 : align == 2 ? x - w : x;
  cairo_move_to(cr, x0, y);
  cairo_text_path(cr, s.c_str());
  if (outline) {
    SetRgb(cr, kInk);
    cairo_set_line_width(cr, std::max(2.0, size / 8));
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
  }
  SetRgb(cr, colour);
  cairo_fill(cr);
}

void DrawFace(cairo_t* cr, int ch, double x, double y, double r, int moodFlags) {
  const Build& b = kBuild[ch];
  const bool blink = (moodFlags & kFaceBlink) != 0;
  const int mood = moodFlags & 7;
  double line = std::max(1.0, r / 12);
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, r, r);
  line /= r;
  // Behind the head: ears, long hair, antennae.
  if (ch == 4) {  // kangaroo ears
    cairo_save(cr);
    for (int s = -1; s <= 1; s += 2) {
      Ellipse(cr, s * 0.55, -1.05, 0.22, 0.55);
      FillStroke(cr, b.skin, line);
      Ellipse(cr, s * 0.55, -1.0, 0.1, 0.38);
      FillStroke(cr, {236, 170, 150}, 0);
    }
    cairo_restore(cr);
  }
  if (ch == 3) {  // amazon hair falls behind the shoulders
    Ellipse(cr, 0, 0.25, 1.12, 1.2);
    FillStroke(cr, b.hair, line);
  }
  if (ch == 5) {
    for (int s = -1; s <= 1; s += 2) {
      cairo_move_to(cr, s * 0.3, -0.85);
      cairo_curve_to(cr, s * 0.35, -1.3, s * 0.7, -1.35, s * 0.75, -1.55);
      SetRgb(cr, kInk);
      cairo_set_line_width(cr, line * 2);
      cairo_stroke(cr);
      Disc(cr, {s * 0.75, -1.58}, 0.13, b.extra, line);
    }
  }
  if (ch == 1) {  // ape ears
    Disc(cr, {-0.95, -0.05}, 0.25, b.skin, line);
    Disc(cr, {0.95, -0.05}, 0.25, b.skin, line);
  }
  if (ch == 0) {  // slob ears
    Disc(cr, {-0.95, 0.05}, 0.2, b.skin, line);
    Disc(cr, {0.95, 0.05}, 0.2, b.skin, line);
  }
  // Head shape.
  if (ch == 5)
    Ellipse(cr, 0, 0, 0.95, 1.0);
  else if (ch == 4)
    Ellipse(cr, 0, 0, 0.8, 0.95);
  else if (ch == 0)
    Ellipse(cr, 0, 0.05, 0.95, 0.95);
  else
    Ellipse(cr, 0, 0, 0.88, 1.0);
  FillStroke(cr, b.skin, line * 1.2);
  // Muzzles and face plates.
  if (ch == 1) {
    Ellipse(cr, 0, 0.15, 0.7, 0.72);
    FillStroke(cr, b.extra, line);
    Ellipse(cr, 0, 0.5, 0.55, 0.38);
    FillStroke(cr, b.extra, line);
  }
  if (ch == 4) {
    Ellipse(cr, 0, 0.52, 0.42, 0.34);
    FillStroke(cr, {236, 190, 140}, line);
    Ellipse(cr, 0, 0.32, 0.16, 0.1);
    FillStroke(cr, kInk, 0);
  }
  // Hair.
  if (ch == 2) {  // blond quiff
    cairo_move_to(cr, -0.85, -0.35);
    cairo_curve_to(cr, -0.9, -1.2, 0.2, -1.45, 0.95, -0.9);
    cairo_curve_to(cr, 0.6, -0.85, 0.3, -0.65, -0.85, -0.35);
    FillStroke(cr, b.hair, line);
  }
  if (ch == 3) {
    cairo_move_to(cr, -0.88, -0.1);
    cairo_curve_to(cr, -0.9, -1.15, 0.9, -1.15, 0.88, -0.1);
    cairo_curve_to(cr, 0.5, -0.6, -0.5, -0.6, -0.88, -0.1);
    FillStroke(cr, b.hair, line);
    cairo_rectangle(cr, -0.86, -0.6, 1.72, 0.16);
    FillStroke(cr, b.extra, line);
  }
  if (ch == 0) {  // three strands over a bald pate
    SetRgb(cr, b.hair);
    cairo_set_line_width(cr, line * 1.5);
    for (int i = -1; i <= 1; ++i) {
      cairo_move_to(cr, i * 0.2 - 0.1, -0.9);
      cairo_curve_to(cr, i * 0.25, -1.2, i * 0.25 + 0.3, -1.1, i * 0.2 + 0.35, -0.92);
      cairo_stroke(cr);
    }
    // stubble
    SetRgb(cr, {150, 120, 110});
    for (int i = 0; i < 18; ++i) {
      double a = M_PI * (0.15 + 0.7 * i / 17.0);
      Disc(cr, {std::cos(a) * 0.72, std::sin(a) * 0.72 + 0.05}, 0.03, {150, 120, 110}, 0);
    }
  }
  // Eyes.
  if (ch == 5) {
    for (int s = -1; s <= 1; s += 2) {
      cairo_save(cr);
      cairo_translate(cr, s * 0.38, -0.05);
      cairo_rotate(cr, s * -0.5);
      Ellipse(cr, 0, 0, 0.22, 0.36);
      FillStroke(cr, {10, 10, 14}, line);
      Ellipse(cr, -0.06, -0.12, 0.06, 0.09);
      FillStroke(cr, {255, 255, 255}, 0);
      cairo_restore(cr);
    }
  } else if (ch == 2) {  // shades
    RoundRect(cr, -0.75, -0.3, 0.66, 0.32, 0.1);
    FillStroke(cr, {20, 20, 30}, line);
    RoundRect(cr, 0.09, -0.3, 0.66, 0.32, 0.1);
    FillStroke(cr, {20, 20, 30}, line);
    Ellipse(cr, -0.55, -0.22, 0.1, 0.05);
    FillStroke(cr, {200, 220, 255}, 0);
  } else if (blink) {
    double ey = ch == 1 ? -0.1 : ch == 4 ? -0.12 : -0.15;
    double ex = ch == 0 ? 0.33 : 0.32;
    SetRgb(cr, kInk);
    cairo_set_line_width(cr, line * 1.6);
    for (int s = -1; s <= 1; s += 2) {
      cairo_move_to(cr, s * ex - 0.18, ey);
      cairo_curve_to(cr, s * ex - 0.06, ey + 0.08, s * ex + 0.06, ey + 0.08, s * ex + 0.18, ey);
      cairo_stroke(cr);
    }
  } else {
    double ey = ch == 1 ? -0.1 : ch == 4 ? -0.12 : -0.15;
    double ex = ch == 0 ? 0.33 : 0.32;
    for (int s = -1; s <= 1; s += 2) {
      Ellipse(cr, s * ex, ey, 0.2, ch == 0 ? 0.14 : 0.22);
      FillStroke(cr, {255, 255, 255}, line);
      Disc(cr, {s * ex + 0.05, ey + 0.02}, 0.09, kInk, 0);
    }
    if (ch == 0) {  // heavy lids
      for (int s = -1; s <= 1; s += 2) {
        cairo_move_to(cr, s * ex - 0.22, ey - 0.02);
        cairo_line_to(cr, s * ex + 0.22, ey - 0.06);
        SetRgb(cr, kInk);
        cairo_set_line_width(cr, line * 1.5);
        cairo_stroke(cr);
      }
    }
    if (ch == 3) {  // lashes
      SetRgb(cr, kInk);
      cairo_set_line_width(cr, line);
      for (int s = -1; s <= 1; s += 2)
        for (int i = 0; i < 3; ++i) {
          cairo_move_to(cr, s * ex + (i - 1) * 0.1, ey - 0.2);
          cairo_line_to(cr, s * ex + (i - 1) * 0.14, ey - 0.32);
          cairo_stroke(cr);
        }
    }
  }
  if (ch == 6) {  // cap and moustache
    cairo_move_to(cr, -0.9, -0.45);
    cairo_curve_to(cr, -0.9, -1.2, 0.9, -1.2, 0.9, -0.45);
    cairo_close_path(cr);
    FillStroke(cr, {30, 30, 36}, line);
    cairo_rectangle(cr, -0.2, -0.55, 1.3, 0.14);
    FillStroke(cr, {30, 30, 36}, line);
    Ellipse(cr, -0.18, 0.33, 0.2, 0.08);
    FillStroke(cr, b.hair, 0);
    Ellipse(cr, 0.18, 0.33, 0.2, 0.08);
    FillStroke(cr, b.hair, 0);
  }
  // Nose.
  if (ch == 0) {
    Ellipse(cr, 0, 0.18, 0.17, 0.13);
    FillStroke(cr, {236, 130, 120}, line);
  } else if (ch == 1) {
    Disc(cr, {-0.1, 0.3}, 0.05, kInk, 0);
    Disc(cr, {0.1, 0.3}, 0.05, kInk, 0);
  } else if (ch == 2 || ch == 3) {
    cairo_move_to(cr, 0.02, 0.0);
    cairo_line_to(cr, 0.12, 0.25);
    cairo_line_to(cr, -0.02, 0.27);
    SetRgb(cr, b.skinShade);
    cairo_set_line_width(cr, line);
    cairo_stroke(cr);
  }
  // Mouth.
  double my = ch == 1 ? 0.58 : ch == 4 ? 0.68 : ch == 5 ? 0.55 : 0.5;
  double mw = ch == 1 ? 0.4 : ch == 5 ? 0.22 : 0.32;
  if (mood == 3) {  // frown
    cairo_move_to(cr, -mw, my + 0.08);
    cairo_curve_to(cr, -mw / 2, my - 0.08, mw / 2, my - 0.08, mw, my + 0.08);
    SetRgb(cr, kInk);
    cairo_set_line_width(cr, line * 1.5);
    cairo_stroke(cr);
  } else if (mood == 0) {
    cairo_move_to(cr, -mw, my);
    cairo_curve_to(cr, -mw / 2, my + 0.1, mw / 2, my + 0.1, mw, my - 0.03);
    SetRgb(cr, kInk);
    cairo_set_line_width(cr, line * 1.5);
    cairo_stroke(cr);
  } else {
    double open = mood == 2 ? 0.3 : 0.18;
    cairo_move_to(cr, -mw, my - 0.03);
    cairo_curve_to(cr, -mw / 2, my + open * 1.6, mw / 2, my + open * 1.6, mw, my - 0.03);
    cairo_close_path(cr);
    FillStroke(cr, {120, 20, 30}, line);
    if (ch != 5) {
      cairo_rectangle(cr, -mw * 0.7, my - 0.02, mw * 1.4, 0.07);
      FillStroke(cr, {255, 255, 250}, 0);
    }
  }
  if (ch == 3) {  // red lips
    if (mood == 0) {
      Ellipse(cr, 0, my + 0.03, mw * 0.8, 0.06);
      FillStroke(cr, {200, 40, 50}, 0);
    }
  }
  cairo_restore(cr);
}

void DrawComputer(cairo_t* cr, double x, double y, double size, double angle, double damage) {
  double s = size / 2;
  double line = std::max(1.0, size / 24);
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_rotate(cr, angle);
  // Monitor case.
  RoundRect(cr, -s, -s * 0.85, 2 * s, 1.5 * s, s * 0.12);
  FillStroke(cr, {222, 214, 186}, line);
  // Screen.
  RoundRect(cr, -s * 0.78, -s * 0.66, 1.56 * s, 1.05 * s, s * 0.1);
  FillStroke(cr, damage > 0.5 ? Rgb{40, 40, 44} : Rgb{40, 90, 200}, line);
  if (damage <= 0.5) {
    SetRgb(cr, {150, 200, 255});
    cairo_set_line_width(cr, line);
    for (int i = 0; i < 3; ++i) {
      cairo_move_to(cr, -s * 0.6, -s * 0.45 + i * s * 0.25);
      cairo_line_to(cr, s * (0.1 + 0.15 * i), -s * 0.45 + i * s * 0.25);
      cairo_stroke(cr);
    }
  } else {  // cracked screen
    SetRgb(cr, {230, 230, 230});
    cairo_set_line_width(cr, line);
    cairo_move_to(cr, -s * 0.5, -s * 0.5);
    cairo_line_to(cr, 0, -s * 0.1);
    cairo_line_to(cr, -s * 0.2, s * 0.2);
    cairo_move_to(cr, 0, -s * 0.1);
    cairo_line_to(cr, s * 0.5, -s * 0.4);
    cairo_stroke(cr);
  }
  // Stand.
  cairo_rectangle(cr, -s * 0.3, s * 0.65, s * 0.6, s * 0.2);
  FillStroke(cr, {196, 188, 160}, line);
  // Power light.
  Ellipse(cr, s * 0.75, s * 0.5, s * 0.07, s * 0.07);
  FillStroke(cr, damage > 0.5 ? Rgb{90, 30, 20} : Rgb{60, 230, 60}, 0);
  cairo_restore(cr);
}

void DrawCharacterWeapon(cairo_t* cr, int ch, double cx, double cy, double r, double angle, Rgb ink) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_rotate(cr, angle);
  switch (ch) {
    case 0:  // a pizza slice
      cairo_move_to(cr, -r, -r * 0.8);
      cairo_line_to(cr, r, 0);
      cairo_line_to(cr, -r, r * 0.8);
      cairo_close_path(cr);
      FillStroke(cr, {240, 190, 60}, 1.5, ink);
      Ellipse(cr, -r * 0.3, 0, r * 0.18, r * 0.18);
      FillStroke(cr, {200, 40, 30}, 0);
      break;
    case 1:  // a banana
      cairo_arc(cr, 0, -r * 0.6, r, 0.3, M_PI - 0.3);
      cairo_set_line_width(cr, r * 0.5);
      SetRgb(cr, {250, 220, 50});
      cairo_stroke(cr);
      break;
    case 2:  // a dumbbell
      cairo_rectangle(cr, -r * 0.7, -r * 0.12, r * 1.4, r * 0.24);
      FillStroke(cr, {120, 120, 130}, 1, ink);
      Ellipse(cr, -r * 0.75, 0, r * 0.28, r * 0.5);
      Ellipse(cr, r * 0.75, 0, r * 0.28, r * 0.5);
      FillStroke(cr, {60, 60, 70}, 1, ink);
      break;
    case 3:  // a dagger
      cairo_move_to(cr, r, 0);
      cairo_line_to(cr, -r * 0.2, -r * 0.2);
      cairo_line_to(cr, -r * 0.2, r * 0.2);
      cairo_close_path(cr);
      FillStroke(cr, {220, 225, 235}, 1, ink);
      cairo_rectangle(cr, -r, -r * 0.12, r * 0.8, r * 0.24);
      FillStroke(cr, {140, 80, 40}, 1, ink);
      break;
    case 4:  // a boomerang
      cairo_move_to(cr, -r, r * 0.5);
      cairo_line_to(cr, 0, -r * 0.4);
      cairo_line_to(cr, r, r * 0.5);
      cairo_set_line_width(cr, r * 0.4);
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
      SetRgb(cr, {180, 110, 50});
      cairo_stroke(cr);
      break;
    default:  // a little space ship
      Ellipse(cr, 0, r * 0.1, r, r * 0.35);
      FillStroke(cr, {150, 160, 180}, 1, ink);
      Ellipse(cr, 0, -r * 0.15, r * 0.4, r * 0.3);
      FillStroke(cr, {120, 220, 250}, 1, ink);
      break;
  }
  cairo_restore(cr);
}

void FacingOfDirection(int dir, double* turn, bool* mirrored) {
  static const double kTurn[8] = {M_PI, 2.3, 1.35, 0.75, 0.0, 0.75, 1.35, 2.3};
  *turn = kTurn[dir & 7];
  *mirrored = (dir & 7) >= 5;
}

Pose ActionPose(Action action, double t) {
  Pose p;
  const double s = std::sin(t * 2 * M_PI), once = std::sin(t * M_PI);
  switch (action) {
    case Action::kThrow:
      p.arm[0] = 3.0 - 2.0 * t;
      p.elbow[0] = 0.4 * (1 - t);
      p.arm[1] = 0.6;
      p.lean = -0.2 + 0.5 * t;
      p.leg[0] = 0.3;
      p.leg[1] = -0.3;
      p.mouth = 0.8;
      break;
    case Action::kPunch:
      p.arm[0] = 1.55;
      p.elbow[0] = 1.4 * (1 - once);
      p.arm[1] = 0.9;
      p.elbow[1] = 1.5;
      p.lean = 0.2 * once;
      p.leg[0] = 0.35;
      p.leg[1] = -0.25;
      p.mouth = 0.9;
      break;
    case Action::kKnockedDown:
      p.lean = -1.35 * std::min(1.0, t * 1.5);
      p.bounce = -28 * std::min(1.0, t * 1.5);
      p.arm[0] = 2.4;
      p.arm[1] = -2.4;
      p.leg[0] = 0.5;
      p.leg[1] = -0.4;
      p.mouth = 1.0;
      break;
    case Action::kGettingUp:
      p.lean = -1.35 * (1 - t);
      p.bounce = -28 * (1 - t);
      p.arm[0] = 1.0;
      p.arm[1] = -1.0;
      p.mouth = 0.3;
      break;
    case Action::kHit:
      p.lean = -0.45 * once;
      p.arm[0] = 2.2 + 0.4 * s;
      p.arm[1] = -2.2 - 0.4 * s;
      p.mouth = 1.0;
      p.bounce = 4 * once;
      break;
  }
  return p;
}

void DrawCharacterFacing(cairo_t* cr, int ch, Pose pose, int dir, double x, double y, double height) {
  bool mirrored = false;
  FacingOfDirection(dir, &pose.turn, &mirrored);
  cairo_save(cr);
  if (mirrored) {
    cairo_translate(cr, 2 * x, 0);
    cairo_scale(cr, -1, 1);
  }
  DrawCharacter(cr, ch, pose, x, y, height);
  cairo_restore(cr);
}

Hold HoldPoint(int ch, const Pose& p, double x, double y, double height) {
  const Build& b = kBuild[ch];
  double u = height / 100.0;
  double facing = std::cos(p.turn);
  double sx = std::max(0.2, std::fabs(facing));
  if (facing < 0) sx = -sx;
  double hipY = -b.legLen, shoulderY = hipY - b.torsoH;
  Pt h[2];
  for (int i = 0; i < 2; ++i) {
    double side = i == 0 ? 1 : -1;
    Pt sh{side * b.shoulderW * sx, shoulderY + 3};
    Pt el = Add(sh, Dir(p.arm[i]), b.armUpper);
    h[i] = Add(el, Dir(p.arm[i] + p.elbow[i]), b.armLower);
  }
  double cx = (h[0].x + h[1].x) / 2, cy = (h[0].y + h[1].y) / 2 - 6;
  // The lean turns everything about the hip.
  double dy = cy - hipY, c = std::cos(p.lean), s = std::sin(p.lean);
  double rx = cx * c - dy * s, ry = cx * s + dy * c + hipY;
  return {x + rx * u, y - p.bounce * u + ry * u};
}

void DrawCharacter(cairo_t* cr, int ch, const Pose& p, double x, double y, double height) {
  const Build& b = kBuild[ch];
  double u = height / 100.0;
  double line = 1.6 / u;  // about 1.6 pixels whatever the scale
  cairo_save(cr);
  cairo_translate(cr, x, y - p.bounce * u);
  cairo_scale(cr, u, u);
  double facing = std::cos(p.turn);
  bool back = facing < 0;
  // The turn squashes the body sideways around its centre line.
  double sx = std::max(0.2, std::fabs(facing));
  if (back) sx = -sx;
  double hipY = -b.legLen;
  double shoulderY = hipY - b.torsoH;
  double headY = shoulderY - b.neck - b.headR * (ch == 1 ? 0.55 : 0.95);

  auto legs = [&](int i) {
    double side = i == 0 ? 1 : -1;
    Pt hip{side * b.hipW * sx, hipY};
    Pt knee = Add(hip, Dir(p.leg[i]), b.legLen * 0.52);
    Pt foot = Add(knee, Dir(p.leg[i] - p.knee[i]), b.legLen * 0.5);
    Rgb legC = (ch == 2 || ch == 0) ? b.skin : (ch == 5 ? b.top : b.skin);
    if (ch == 1 || ch == 4) legC = b.skin;
    if (ch == 6) legC = b.bottom;
    Limb(cr, hip, knee, b.legW * (ch == 4 ? 1.5 : 1.0), legC, line);
    Limb(cr, knee, foot, b.legW * 0.9, legC, line);
    // Feet.
    double fl = ch == 4 ? 16 : ch == 0 ? 8 : 7;
    Ellipse(cr, foot.x + fl * 0.45, foot.y - 1.5, fl * 0.75, 3.2);
    Rgb shoe = ch == 6 ? Rgb{30, 30, 36} : ch == 4 ? b.skinShade : ch == 1 ? b.skinShade : ch == 5 ? Rgb{120, 120, 140}
               : ch == 3 ? Rgb{150, 100, 50} : Rgb{240, 240, 240};
    FillStroke(cr, shoe, line);
    if (p.skates) {  // a plate under the boot and two wheels
      const double fx = foot.x + fl * 0.45;
      cairo_rectangle(cr, fx - fl * 0.8, foot.y + 0.8, fl * 1.6, 1.8);
      FillStroke(cr, {70, 70, 84}, line * 0.6);
      for (int w = -1; w <= 1; w += 2) Disc(cr, {fx + w * fl * 0.55, foot.y + 3.8}, 2.2, {236, 64, 44}, line * 0.7);
    }
  };
  auto arms = [&](int i) {
    double side = i == 0 ? 1 : -1;
    Pt sh{side * b.shoulderW * sx, shoulderY + 3};
    double a = p.arm[i], e = p.elbow[i];
    if (p.cheer) {
      a = side * 2.6;
      e = side * 0.3;
    }
    Pt el = Add(sh, Dir(a), b.armUpper);
    Pt hand = Add(el, Dir(a + e), b.armLower);
    Rgb armC = (ch == 5) ? b.top : b.skin;
    Limb(cr, sh, el, b.armW * (ch == 2 ? 1.5 : 1.0), armC, line);
    if (ch == 2) {  // biceps bulge
      Pt mid = Add(sh, Dir(a), b.armUpper * 0.5);
      Disc(cr, mid, b.armW * 1.0, b.skin, line);
    }
    Limb(cr, el, hand, b.armW * (ch == 2 ? 1.2 : 0.9), ch == 5 ? b.skin : b.skin, line);
    if (ch == 4)
      Disc(cr, hand, b.armW * 1.4, b.extra, line);  // boxing glove
    else
      Disc(cr, hand, b.armW * 0.75, ch == 1 ? b.skinShade : b.skin, line);
  };
  auto torso = [&]() {
    double w = b.shoulderW * std::fabs(sx);
    if (ch == 4) {  // tail
      cairo_move_to(cr, -b.hipW * sx * 0.5, hipY - 4);
      cairo_curve_to(cr, -b.hipW * sx * 2.2, hipY + 4, -b.hipW * sx * 3, -4, -b.hipW * sx * 3.6, -1);
      SetRgb(cr, kInk);
      cairo_set_line_width(cr, 9 + 2 * line);
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
      cairo_stroke_preserve(cr);
      SetRgb(cr, b.skin);
      cairo_set_line_width(cr, 9);
      cairo_stroke(cr);
    }
    switch (ch) {
      case 0: {  // belly in a singlet, shorts below
        cairo_rectangle(cr, -b.hipW * 1.4 * std::fabs(sx), hipY - 6, b.hipW * 2.8 * std::fabs(sx), 10);
        FillStroke(cr, b.bottom, line);
        Ellipse(cr, 3 * sx, hipY - b.torsoH * 0.42, 22 * std::fabs(sx), b.torsoH * 0.58);
        FillStroke(cr, b.top, line);
        if (!back) {
          Ellipse(cr, 9 * sx, hipY - b.torsoH * 0.35, 5 * std::fabs(sx), 4);
          FillStroke(cr, b.extra, 0);  // gravy stain
          Ellipse(cr, 2 * sx, hipY - 4, 10 * std::fabs(sx), 4);
          FillStroke(cr, b.skin, line);  // belly hanging out
        }
        break;
      }
      case 1: {  // hunched furry body, red shorts
        Ellipse(cr, 0, hipY - b.torsoH * 0.5, w * 1.05, b.torsoH * 0.6);
        FillStroke(cr, b.skin, line);
        if (!back) {
          Ellipse(cr, 2 * sx, hipY - b.torsoH * 0.45, w * 0.6, b.torsoH * 0.38);
          FillStroke(cr, b.extra, 0);
        }
        cairo_rectangle(cr, -b.hipW * 1.3 * std::fabs(sx), hipY - 6, b.hipW * 2.6 * std::fabs(sx), 10);
        FillStroke(cr, b.bottom, line);
        break;
      }
      case 2: {  // wedge of muscle, trunks
        cairo_move_to(cr, -w, shoulderY);
        cairo_line_to(cr, w, shoulderY);
        cairo_curve_to(cr, w * 0.9, shoulderY + b.torsoH * 0.5, b.hipW * std::fabs(sx) * 1.3, hipY - 8,
                       b.hipW * std::fabs(sx) * 1.1, hipY);
        cairo_line_to(cr, -b.hipW * std::fabs(sx) * 1.1, hipY);
        cairo_curve_to(cr, -b.hipW * std::fabs(sx) * 1.3, hipY - 8, -w * 0.9, shoulderY + b.torsoH * 0.5,
                       -w, shoulderY);
        cairo_close_path(cr);
        FillStroke(cr, b.skin, line);
        if (!back) {  // pecs and abs
          SetRgb(cr, b.skinShade);
          cairo_set_line_width(cr, line);
          cairo_move_to(cr, -w * 0.7, shoulderY + 11);
          cairo_curve_to(cr, -w * 0.3, shoulderY + 15, -2, shoulderY + 13, 0, shoulderY + 9);
          cairo_curve_to(cr, 2, shoulderY + 13, w * 0.3, shoulderY + 15, w * 0.7, shoulderY + 11);
          cairo_stroke(cr);
          for (int r = 0; r < 3; ++r) {
            cairo_move_to(cr, -4 * std::fabs(sx), shoulderY + 18 + r * 5);
            cairo_line_to(cr, 4 * std::fabs(sx), shoulderY + 18 + r * 5);
          }
          cairo_move_to(cr, 0, shoulderY + 15);
          cairo_line_to(cr, 0, shoulderY + 31);
          cairo_stroke(cr);
        }
        cairo_rectangle(cr, -b.hipW * 1.3 * std::fabs(sx), hipY - 5, b.hipW * 2.6 * std::fabs(sx), 9);
        FillStroke(cr, b.bottom, line);
        break;
      }
      case 3: {  // leopard one-piece with hips
        cairo_move_to(cr, -w, shoulderY + 2);
        cairo_line_to(cr, w, shoulderY + 2);
        cairo_curve_to(cr, w * 0.6, shoulderY + b.torsoH * 0.55, b.hipW * std::fabs(sx) * 1.8, hipY - 6,
                       b.hipW * std::fabs(sx) * 1.3, hipY + 2);
        cairo_line_to(cr, -b.hipW * std::fabs(sx) * 1.3, hipY + 2);
        cairo_curve_to(cr, -b.hipW * std::fabs(sx) * 1.8, hipY - 6, -w * 0.6, shoulderY + b.torsoH * 0.55,
                       -w, shoulderY + 2);
        cairo_close_path(cr);
        FillStroke(cr, b.top, line);
        static const double kSpots[][2] = {{-5, 6}, {4, 9}, {-2, 15}, {6, 19}, {-6, 22}, {1, 25}, {5, 28}};
        for (auto& s : kSpots) {
          Ellipse(cr, s[0] * std::fabs(sx), shoulderY + s[1], 1.8 * std::fabs(sx) + 0.4, 1.6);
          FillStroke(cr, {70, 40, 20}, 0);
        }
        // long hair down the back
        if (back) {
          RoundRect(cr, -8 * std::fabs(sx), shoulderY - 4, 16 * std::fabs(sx), 20, 6);
          FillStroke(cr, b.hair, line);
        }
        break;
      }
      case 4: {  // pear body with a pouch
        Ellipse(cr, 0, hipY - b.torsoH * 0.45, w * 1.5, b.torsoH * 0.62);
        FillStroke(cr, b.skin, line);
        if (!back) {
          Ellipse(cr, 1 * sx, hipY - b.torsoH * 0.4, w * 0.95, b.torsoH * 0.45);
          FillStroke(cr, {236, 190, 140}, 0);
          cairo_move_to(cr, -w * 0.7 * std::fabs(sx) * 1.0, hipY - b.torsoH * 0.3);
          cairo_curve_to(cr, -w * 0.3, hipY - 2, w * 0.3, hipY - 2, w * 0.7, hipY - b.torsoH * 0.3);
          SetRgb(cr, b.skinShade);
          cairo_set_line_width(cr, line * 1.2);
          cairo_stroke(cr);
        }
        break;
      }
      case 6: {  // referee's stripes
        cairo_save(cr);
        RoundRect(cr, -w, shoulderY, 2 * w, b.torsoH + 2, 4);
        cairo_clip_preserve(cr);
        FillStroke(cr, b.top, 0);
        for (int i = -3; i <= 3; ++i) {
          cairo_rectangle(cr, i * w / 3.5 - w / 14, shoulderY, w / 7, b.torsoH + 2);
          SetRgb(cr, kInk);
          cairo_fill(cr);
        }
        cairo_restore(cr);
        RoundRect(cr, -w, shoulderY, 2 * w, b.torsoH + 2, 4);
        SetRgb(cr, kInk);
        cairo_set_line_width(cr, line);
        cairo_stroke(cr);
        cairo_rectangle(cr, -b.hipW * 1.3 * std::fabs(sx), hipY - 4, b.hipW * 2.6 * std::fabs(sx), 8);
        FillStroke(cr, b.bottom, line);
        break;
      }
      default: {  // alien: slim silver suit with a belt and a badge
        RoundRect(cr, -w, shoulderY, 2 * w, b.torsoH + 2, 5);
        FillStroke(cr, b.top, line);
        cairo_rectangle(cr, -w, hipY - 6, 2 * w, 3);
        FillStroke(cr, {90, 90, 110}, 0);
        if (!back) {
          Disc(cr, {3 * sx, shoulderY + 8}, 3, b.extra, line);
        }
        break;
      }
    }
  };
  auto head = [&]() {
    if (back) {
      cairo_save(cr);
      cairo_translate(cr, 0, headY);
      Ellipse(cr, 0, 0, b.headR * 0.9 * std::fabs(sx) + 2, b.headR);
      Rgb backC = (ch == 3) ? b.hair : (ch == 2 ? b.hair : b.skin);
      FillStroke(cr, backC, line);
      if (ch == 5) {
        cairo_move_to(cr, -4, -b.headR * 0.8);
        cairo_line_to(cr, -6, -b.headR * 1.4);
        cairo_move_to(cr, 4, -b.headR * 0.8);
        cairo_line_to(cr, 6, -b.headR * 1.4);
        SetRgb(cr, kInk);
        cairo_set_line_width(cr, line * 2);
        cairo_stroke(cr);
      }
      if (ch == 4) {
        Ellipse(cr, -4, -b.headR * 1.1, 2.5, 6);
        FillStroke(cr, b.skin, line);
        Ellipse(cr, 4, -b.headR * 1.1, 2.5, 6);
        FillStroke(cr, b.skin, line);
      }
      cairo_restore(cr);
      return;
    }
    int mood = p.cheer ? 1 : (p.mouth > 0.6 ? 2 : (p.mouth > 0.35 ? 1 : 0));
    cairo_save(cr);
    cairo_translate(cr, 1.5 * sx, headY);
    cairo_scale(cr, std::fabs(sx) * 0.35 + 0.65, 1);
    DrawFace(cr, ch, 0, 0, b.headR, mood);
    cairo_restore(cr);
  };

  cairo_save(cr);
  cairo_translate(cr, 0, hipY);
  cairo_rotate(cr, -p.lean);
  cairo_translate(cr, 0, -hipY);
  // Back limbs first (the far side depends on which way the body faces).
  int farArm = back ? 0 : 1;
  cairo_restore(cr);

  legs(back ? 0 : 1);
  cairo_save(cr);
  cairo_translate(cr, 0, hipY);
  cairo_rotate(cr, p.lean);
  cairo_translate(cr, 0, -hipY);
  arms(farArm);
  cairo_restore(cr);
  legs(back ? 1 : 0);
  cairo_save(cr);
  cairo_translate(cr, 0, hipY);
  cairo_rotate(cr, p.lean);
  cairo_translate(cr, 0, -hipY);
  torso();
  head();
  arms(1 - farArm);
  if (p.holding) {
    // The computer sits between the two hands.
    Pt h[2];
    for (int i = 0; i < 2; ++i) {
      double side = i == 0 ? 1 : -1;
      Pt sh{side * b.shoulderW * sx, shoulderY + 3};
      Pt el = Add(sh, Dir(p.arm[i]), b.armUpper);
      h[i] = Add(el, Dir(p.arm[i] + p.elbow[i]), b.armLower);
    }
    double cx = (h[0].x + h[1].x) / 2, cy = (h[0].y + h[1].y) / 2 - 6;
    DrawComputer(cr, cx, cy, 26, p.holdAngle, 0);
  }
  cairo_restore(cr);
  cairo_restore(cr);
}

}  // namespace assetgen
