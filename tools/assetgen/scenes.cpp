#include "tools/assetgen/scenes.h"

#include <cmath>

#include "tools/assetgen/draw.h"

namespace assetgen {

namespace {

Pose RunPose(double phase, double amp) {
  Pose p;
  double s = std::sin(phase * 2 * M_PI);
  p.leg[0] = amp * s;
  p.leg[1] = -amp * s;
  p.knee[0] = std::max(0.0, -s) * 0.8;
  p.knee[1] = std::max(0.0, s) * 0.8;
  p.arm[0] = -amp * s;
  p.arm[1] = amp * s;
  p.elbow[0] = 0.9;
  p.elbow[1] = 0.9;
  p.lean = 0.15;
  p.bounce = std::fabs(s) * 3;
  p.turn = 0.5;
  return p;
}

}  // namespace

void DrawBeach(cairo_t* cr, double w, double h) {
  Gradient(cr, 0, 0, w, h * 0.62, {90, 160, 235}, {190, 225, 250});
  Gradient(cr, 0, h * 0.62, w, h * 0.38, {40, 110, 180}, {70, 160, 200});
  // Sun.
  Ellipse(cr, w * 0.85, h * 0.18, h * 0.09, h * 0.09);
  FillStroke(cr, {255, 230, 90}, 0);
  // Far island.
  cairo_move_to(cr, w * 0.1, h * 0.62);
  cairo_curve_to(cr, w * 0.15, h * 0.5, w * 0.25, h * 0.5, w * 0.32, h * 0.62);
  cairo_close_path(cr);
  FillStroke(cr, {90, 140, 110}, 0);
  // Wave lines.
  SetRgb(cr, {200, 230, 250});
  cairo_set_line_width(cr, 2);
  for (int i = 0; i < 8; ++i) {
    double yy = h * 0.68 + i * h * 0.04;
    double xx = std::fmod(i * 137.0, w * 0.8);
    cairo_move_to(cr, xx, yy);
    cairo_curve_to(cr, xx + 10, yy - 3, xx + 20, yy - 3, xx + 30, yy);
    cairo_stroke(cr);
  }
}

void DrawLogo(cairo_t* cr, double cx, double cy, double size) {
  const char* t = "KELVANTHROP";
  double w = TextWidth(cr, t, size);
  double x = cx - w / 2;
  for (int i = 0; t[i]; ++i) {
    char s[2] = {t[i], 0};
    double cw = TextWidth(cr, s, size);
    double yy = cy + std::sin(i * 0.9) * size * 0.08;
    static const Rgb kCols[] = {{250, 80, 60}, {255, 200, 40}, {80, 200, 90}, {70, 150, 250}, {230, 90, 220}};
    cairo_save(cr);
    cairo_translate(cr, x + cw / 2, yy);
    cairo_rotate(cr, std::sin(i * 1.7) * 0.12);
    Text(cr, s, 0, 0, size, kCols[i % 5], 1, true);
    cairo_restore(cr);
    x += cw;
  }
}

void DrawFlag(cairo_t* cr, int country, double x, double y, double w, double h, double wave) {
  // Fourteen invented flags: stripes, crosses, discs and stars.
  static const Rgb C[] = {{200, 30, 40},  {250, 250, 250}, {30, 60, 170}, {250, 200, 30},
                          {30, 140, 60},  {20, 20, 20},    {250, 120, 20}, {120, 200, 250},
                          {140, 30, 140}};
  struct Design { int kind; int a, b, c; };
  static const Design kDesigns[14] = {
      {0, 0, 1, 2}, {1, 4, 1, 0}, {2, 2, 3, 3}, {3, 0, 1, 1}, {0, 5, 0, 3}, {1, 2, 1, 6},
      {4, 4, 3, 3}, {2, 0, 1, 1}, {0, 7, 1, 7}, {3, 2, 3, 3}, {1, 8, 3, 1}, {4, 6, 1, 1},
      {0, 4, 3, 0}, {2, 5, 6, 6}};
  const Design& d = kDesigns[country % 14];
  cairo_save(cr);
  cairo_rectangle(cr, x, y, w, h);
  cairo_clip(cr);
  switch (d.kind) {
    case 0:  // vertical tricolour
      for (int i = 0; i < 3; ++i) {
        cairo_rectangle(cr, x + w * i / 3, y, w / 3 + 1, h);
        SetRgb(cr, C[i == 0 ? d.a : i == 1 ? d.b : d.c]);
        cairo_fill(cr);
      }
      break;
    case 1:  // horizontal tricolour
      for (int i = 0; i < 3; ++i) {
        cairo_rectangle(cr, x, y + h * i / 3, w, h / 3 + 1);
        SetRgb(cr, C[i == 0 ? d.a : i == 1 ? d.b : d.c]);
        cairo_fill(cr);
      }
      break;
    case 2:  // cross
      cairo_rectangle(cr, x, y, w, h);
      SetRgb(cr, C[d.a]);
      cairo_fill(cr);
      cairo_rectangle(cr, x + w * 0.3, y, w * 0.14, h);
      cairo_rectangle(cr, x, y + h * 0.43, w, h * 0.14);
      SetRgb(cr, C[d.b]);
      cairo_fill(cr);
      break;
    case 3:  // disc
      cairo_rectangle(cr, x, y, w, h);
      SetRgb(cr, C[d.b]);
      cairo_fill(cr);
      Ellipse(cr, x + w / 2, y + h / 2, h * 0.28, h * 0.28);
      SetRgb(cr, C[d.a]);
      cairo_fill(cr);
      break;
    default: {  // star on a field
      cairo_rectangle(cr, x, y, w, h);
      SetRgb(cr, C[d.a]);
      cairo_fill(cr);
      double cx = x + w / 2, cy = y + h / 2, r = h * 0.32;
      for (int i = 0; i < 10; ++i) {
        double a = -M_PI / 2 + i * M_PI / 5;
        double rr = (i % 2) ? r * 0.4 : r;
        if (i == 0)
          cairo_move_to(cr, cx + rr * std::cos(a), cy + rr * std::sin(a));
        else
          cairo_line_to(cr, cx + rr * std::cos(a), cy + rr * std::sin(a));
      }
      cairo_close_path(cr);
      SetRgb(cr, C[d.b]);
      cairo_fill(cr);
    }
  }
  if (wave > 0) {  // soft light and shade across the cloth make it ripple
    cairo_pattern_t* g = cairo_pattern_create_linear(x, y, x + w, y);
    for (int i = 0; i <= 8; ++i) {
      double k = std::sin((i / 8.0 + 0.25 * wave) * 2 * M_PI);
      cairo_pattern_add_color_stop_rgba(g, i / 8.0, k > 0 ? 1 : 0, k > 0 ? 1 : 0, k > 0 ? 1 : 0,
                                        std::fabs(k) * 0.12);
    }
    cairo_rectangle(cr, x, y, w, h);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
  }
  cairo_restore(cr);
  cairo_rectangle(cr, x + 0.5, y + 0.5, w - 1, h - 1);
  SetRgb(cr, {20, 16, 12});
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
}

void DrawEventScene(cairo_t* cr, int event, double w, double h, double phase) {
  double s = std::sin(phase * 2 * M_PI);
  double ground = h * 0.86;
  double tall = h * 0.62;
  switch (event) {
    case 1: {  // COMPUTER THROW: a slob flings a computer over the beach
      DrawBeach(cr, w, ground);
      Gradient(cr, 0, ground, w, h - ground, {236, 214, 150}, {210, 180, 110});
      Pose p;
      p.arm[0] = 2.2 + s * 0.6;
      p.arm[1] = 2.0 + s * 0.6;
      p.elbow[0] = 0.2;
      p.elbow[1] = 0.3;
      p.lean = -0.15;
      p.mouth = 0.9;
      p.turn = 0.4;
      DrawCharacter(cr, 0, p, w * 0.3, ground, tall);
      DrawComputer(cr, w * (0.55 + 0.25 * phase), h * (0.45 - 0.25 * std::sin(phase * M_PI)), h * 0.18,
                   phase * 2 * M_PI, 0);
      break;
    }
    case 2: {  // CRAZY CLIMBING: an ape up a skyscraper wall
      Gradient(cr, 0, 0, w, h, {120, 170, 240}, {220, 235, 250});
      cairo_rectangle(cr, w * 0.35, 0, w * 0.4, h);
      FillStroke(cr, {150, 150, 165}, 2);
      for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 3; ++c) {
          cairo_rectangle(cr, w * (0.38 + c * 0.12), std::fmod(r * h * 0.2 + phase * h * 0.2, h * 1.2) - h * 0.1,
                          w * 0.08, h * 0.1);
          FillStroke(cr, {250, 240, 140}, 1);
        }
      Pose p;
      p.arm[0] = 2.8 + s * 0.3;
      p.arm[1] = -2.8 + s * 0.3;
      p.leg[0] = 0.5 - s * 0.3;
      p.leg[1] = -0.5 - s * 0.3;
      p.knee[0] = 0.8;
      p.knee[1] = -0.8;
      DrawCharacter(cr, 1, p, w * 0.55, h * 0.92, tall);
      break;
    }
    case 3: {  // HIPPO RUN: the stud pushes a hippo
      Gradient(cr, 0, 0, w, ground, {130, 190, 240}, {210, 235, 250});
      Gradient(cr, 0, ground, w, h - ground, {120, 180, 80}, {90, 150, 60});
      Ellipse(cr, w * 0.66 + s * 2, ground - h * 0.2, w * 0.26, h * 0.18);
      FillStroke(cr, {150, 140, 170}, 2);
      Ellipse(cr, w * 0.9 + s * 2, ground - h * 0.24, w * 0.1, h * 0.1);
      FillStroke(cr, {150, 140, 170}, 2);
      Ellipse(cr, w * 0.93, ground - h * 0.27, w * 0.02, h * 0.02);
      FillStroke(cr, {20, 20, 20}, 0);
      Pose p = RunPose(phase, 0.5);
      p.arm[0] = 1.5;
      p.arm[1] = 1.4;
      p.lean = 0.45;
      DrawCharacter(cr, 2, p, w * 0.3, ground, tall);
      break;
    }
    case 4: {  // NICE DOGGIE JUMP: the kangaroo leaps over a dog
      Gradient(cr, 0, 0, w, ground, {40, 40, 110}, {110, 90, 160});
      Gradient(cr, 0, ground, w, h - ground, {90, 140, 70}, {60, 110, 50});
      Ellipse(cr, w * 0.5, ground - h * 0.07, w * 0.14, h * 0.07);
      FillStroke(cr, {160, 110, 60}, 2);
      Ellipse(cr, w * 0.62, ground - h * 0.13, w * 0.06, h * 0.06);
      FillStroke(cr, {160, 110, 60}, 2);
      Pose p;
      p.leg[0] = 0.8;
      p.leg[1] = 0.6;
      p.knee[0] = 1.2;
      p.knee[1] = 1.0;
      p.arm[0] = 1.0;
      p.arm[1] = 0.8;
      p.turn = 0.6;
      double jx = w * (0.15 + 0.7 * phase), jy = ground - std::sin(phase * M_PI) * h * 0.35;
      DrawCharacter(cr, 4, p, jx, jy, tall * 0.9);
      break;
    }
    case 5: {  // TROUBLED WATERS: the amazon swims past a shark
      Gradient(cr, 0, 0, w, h, {30, 120, 180}, {10, 40, 90});
      cairo_move_to(cr, w * (0.9 - phase * 0.5), h * 0.7);
      cairo_line_to(cr, w * (1.0 - phase * 0.5), h * 0.55);
      cairo_line_to(cr, w * (1.05 - phase * 0.5), h * 0.7);
      cairo_close_path(cr);
      FillStroke(cr, {120, 130, 140}, 2);
      Pose p;
      p.arm[0] = 1.5 + s * 1.4;
      p.arm[1] = 1.5 - s * 1.4;
      p.leg[0] = -0.3 + s * 0.2;
      p.leg[1] = -0.3 - s * 0.2;
      cairo_save(cr);
      cairo_translate(cr, w * 0.45, h * 0.4);
      cairo_rotate(cr, -M_PI / 2);
      DrawCharacter(cr, 3, p, 0, 0, tall * 0.9);
      cairo_restore(cr);
      break;
    }
    case 6: {  // FULL CONTACT FIGURE SKATING: the alien kicks on the ice
      Gradient(cr, 0, 0, w, ground, {200, 220, 250}, {160, 190, 240});
      Gradient(cr, 0, ground, w, h - ground, {240, 250, 255}, {200, 220, 240});
      Pose p;
      p.leg[0] = 1.6 + s * 0.2;
      p.arm[0] = 2.0;
      p.arm[1] = -1.8;
      p.turn = 0.6 * std::sin(phase * 2 * M_PI);  // a pirouette that never shows the back
      DrawCharacter(cr, 5, p, w * 0.5, ground, tall);
      break;
    }
    case 7: {  // 3D MAZE: walls in perspective
      Gradient(cr, 0, 0, w, h * 0.5, {40, 40, 60}, {80, 80, 110});
      Gradient(cr, 0, h * 0.5, w, h * 0.5, {90, 70, 50}, {50, 40, 30});
      for (int i = 0; i < 4; ++i) {
        double d = (i + phase) / 4.0;
        double inset = d * w * 0.4;
        cairo_rectangle(cr, inset, inset * h / w, w - 2 * inset, h - 2 * inset * h / w);
        SetRgb(cr, {200, 170, 90});
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
      }
      Pose p = RunPose(phase, 0.4);
      DrawCharacter(cr, 1, p, w * 0.5, h * 0.8, tall * 0.5);
      break;
    }
    case 8: {  // PLATFORM KICKBOXING: two fighters on a floating platform
      Gradient(cr, 0, 0, w, h, {250, 150, 70}, {120, 40, 90});
      cairo_rectangle(cr, w * 0.08, ground, w * 0.84, h * 0.06);
      FillStroke(cr, {110, 110, 120}, 2);
      Pose a;
      a.leg[0] = 1.4 + s * 0.3;
      a.arm[0] = 1.3;
      a.lean = -0.3;
      DrawCharacter(cr, 2, a, w * 0.33, ground, tall * 0.8);
      Pose b;
      b.arm[0] = -1.4;
      b.arm[1] = 1.0;
      b.lean = 0.3 + s * 0.1;
      b.turn = M_PI * 0.3;
      DrawCharacter(cr, 0, b, w * 0.7, ground, tall * 0.8);
      break;
    }
    case 9: {  // JAVELIN CATCH: javelins rain on the kangaroo
      Gradient(cr, 0, 0, w, ground, {150, 200, 250}, {220, 240, 250});
      Gradient(cr, 0, ground, w, h - ground, {200, 170, 110}, {170, 140, 90});
      for (int i = 0; i < 3; ++i) {
        double jx = w * (0.2 + 0.3 * i), jy = std::fmod(phase * h + i * h * 0.3, h * 0.7);
        cairo_move_to(cr, jx, jy);
        cairo_line_to(cr, jx + w * 0.08, jy + h * 0.2);
        SetRgb(cr, {80, 60, 40});
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
      }
      Pose p;
      p.cheer = true;
      p.bounce = std::fabs(s) * 6;
      DrawCharacter(cr, 4, p, w * 0.5, ground, tall * 0.8);
      break;
    }
    default: {  // ROLLER DERBY: the amazon rolls round a banked track
      Gradient(cr, 0, 0, w, h, {60, 60, 70}, {30, 30, 40});
      Ellipse(cr, w * 0.5, h * 0.65, w * 0.48, h * 0.3);
      FillStroke(cr, {170, 120, 70}, 3);
      Ellipse(cr, w * 0.5, h * 0.65, w * 0.3, h * 0.16);
      FillStroke(cr, {60, 60, 70}, 3);
      Pose p = RunPose(phase, 0.5);
      p.lean = 0.4;
      DrawCharacter(cr, 3, p, w * (0.3 + 0.4 * phase), h * 0.88, tall * 0.7);
      break;
    }
  }
}

void DrawStatusBand(cairo_t* cr, double w, double h, int rows) {
  DrawStatusBand(cr, w, h, rows, {{30, 36, 70}, {50, 64, 120}, {24, 28, 56}, {16, 20, 40}}, true);
}

void DrawAttemptsStatusBand(cairo_t* cr, double w, double h) {
  const BandColours c{{30, 36, 70}, {50, 64, 120}, {24, 28, 56}, {16, 20, 40}};
  DrawStatusBand(cr, w, h, 1, c, true);
  static const int kBar[4] = {89, 249, 411, 572};
  for (int i = 0; i < 4; ++i) {
    cairo_rectangle(cr, kBar[i] - 2, 20, 64, 41);
    FillStroke(cr, c.trough, 1);
  }
}

void DrawStatusBand(cairo_t* cr, double w, double h, int rows, const BandColours& c, bool nameLine) {
  cairo_rectangle(cr, 0, 0, w, h);
  SetRgb(cr, c.back);
  cairo_fill(cr);
  static const int kFace[4] = {11, 173, 330, 493};
  static const int kBar[4] = {89, 249, 411, 572};
  static const int kPanelX[4] = {2, 164, 321, 484};
  for (int i = 0; i < 4; ++i) {
    RoundRect(cr, kPanelX[i] + 1, 2, 152, h - 4, 8);
    FillStroke(cr, c.panel, 2);
    RoundRect(cr, kFace[i] - 2, 1, 74, 60, 6);
    FillStroke(cr, c.faceBox, 1.5);
    if (nameLine) {
      cairo_rectangle(cr, kFace[i] - 2, 62, 140, 15);
      FillStroke(cr, c.faceBox, 1);
    }
    for (int r = 0; r < rows; ++r) {
      cairo_rectangle(cr, kBar[i] - 2, 4 + 20 * r, 64, 14);
      FillStroke(cr, c.trough, 1);
    }
  }
}

}  // namespace assetgen
