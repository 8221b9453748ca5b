// CRAZY CLIMBING: the building, its sky and skyline, the street and the
// roof, windows and flower pots, the eighteen falling objects, explosions,
// the helicopter and the chimney, stars, icons, the minimap frame, the intro
// picture, the status band, the six climber sheets and weapons, and the
// event's sounds, to the layouts of climbing_data.h.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tools/assetgen/audio.h"
#include "tools/assetgen/draw.h"
#include "tools/assetgen/gen.h"

namespace assetgen {

using namespace climbassets;

namespace {

const Rgb kInk{24, 18, 14};

Root RootOf(int root) { return root == kProgram ? Root::Program : Root::Data; }

struct Sheet {
  std::string path;
  bool pkc = false;
  std::vector<std::unique_ptr<Canvas>> frames;
  cairo_t* Frame(int w, int h) {
    frames.push_back(std::make_unique<Canvas>(w, h));
    return frames.back()->cr();
  }
};

double Lerp(double a, double b, double t) { return a + (b - a) * t; }

void Rect(cairo_t* cr, double x, double y, double w, double h, Rgb fill, double line = 1.5) {
  cairo_rectangle(cr, x, y, w, h);
  FillStroke(cr, fill, line);
}

void Line(cairo_t* cr, double x0, double y0, double x1, double y1, Rgb c, double width) {
  cairo_move_to(cr, x0, y0);
  cairo_line_to(cr, x1, y1);
  SetRgb(cr, c);
  cairo_set_line_width(cr, width);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_stroke(cr);
}

void Puff(cairo_t* cr, double cx, double cy, double r, Rgb c, double line = 1.5) {
  for (int i = 0; i < 5; ++i) {
    double a = i * 2 * M_PI / 5;
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx + std::cos(a) * r * 0.55, cy + std::sin(a) * r * 0.4, r * 0.55, 0, 2 * M_PI);
  }
  FillStroke(cr, c, line, {150, 150, 160});
}

// --------------------------------------------------------------- scenery

// Sky: deep blue high up, pale towards the horizon, with a few clouds.
void DrawSky(cairo_t* cr) {
  Gradient(cr, 0, 0, kSkyW, kSkyH, {30, 60, 150}, {170, 210, 245});
  static const double kClouds[][3] = {{90, 180, 1.0},  {420, 320, 1.3}, {250, 560, 0.9}, {560, 720, 1.1},
                                      {60, 900, 1.2},  {380, 1050, 0.8}, {600, 1200, 1.0}, {180, 1320, 0.7}};
  for (auto& c : kClouds) {
    Puff(cr, c[0], c[1], 40 * c[2], {245, 248, 255}, 0);
    Puff(cr, c[0] + 50 * c[2], c[1] + 6, 30 * c[2], {235, 240, 252}, 0);
  }
  for (int i = 0; i < 6; ++i) {  // birds
    double x = 100 + i * 83, y = 1120 + (i % 3) * 25;
    cairo_move_to(cr, x - 6, y - 3);
    cairo_curve_to(cr, x - 3, y - 6, x - 1, y - 4, x, y);
    cairo_curve_to(cr, x + 1, y - 4, x + 3, y - 6, x + 6, y - 3);
    SetRgb(cr, {40, 40, 60});
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
  }
  // A small plane high up.
  RoundRect(cr, 300, 90, 40, 8, 4);
  FillStroke(cr, {230, 230, 235}, 1);
  Line(cr, 316, 94, 306, 80, {200, 200, 210}, 4);
}

// The skyline behind the building: 640 wide, the right part cut off into
// sprite B. Below row 360 it is opaque (the sky picture is not drawn low down).
void DrawSkyline(cairo_t* cr, int w, int h) {
  Gradient(cr, 0, 360, w, h - 360, {170, 210, 245}, {200, 220, 240});
  static const int kTowers[][3] = {{0, 70, 260}, {60, 90, 180}, {140, 60, 330}, {190, 80, 220}, {260, 70, 400},
                                   {320, 90, 150}, {400, 60, 300}, {450, 80, 200}, {520, 70, 260}, {580, 60, 160}};
  for (int pass = 0; pass < 2; ++pass)
    for (auto& t : kTowers) {
      double x = t[0] + (pass ? 30 : 0), bw = t[1], top = t[2] + (pass ? 220 : 0);
      Rgb body = pass ? Rgb{110, 120, 150} : Rgb{150, 165, 195};
      cairo_rectangle(cr, x, top, bw, h - top);
      FillStroke(cr, body, 1, {90, 100, 130});
      for (double wy = top + 12; wy < h - 10; wy += 22)
        for (double wx = x + 8; wx < x + bw - 10; wx += 16) {
          cairo_rectangle(cr, wx, wy, 7, 10);
          SetRgb(cr, (int(wx + wy) % 3 == 0) ? Rgb{250, 230, 140} : Rgb{90, 110, 150});
          cairo_fill(cr);
        }
      if (!pass && int(x) % 3 == 0) Line(cr, x + bw / 2, top, x + bw / 2, top - 40, {90, 100, 130}, 2);
    }
}

void DrawSkylineLow(cairo_t* cr) {
  Gradient(cr, 0, 0, kSkylineLowW, kSkylineLowH, {200, 220, 240}, {180, 190, 210});
  for (int i = 0; i < 12; ++i) {
    double x = i * 56, top = 8 + (i * 37) % 30;
    cairo_rectangle(cr, x, top, 50, kSkylineLowH - top);
    FillStroke(cr, (i % 2) ? Rgb{120, 110, 130} : Rgb{140, 130, 120}, 1);
  }
}

void Bricks(cairo_t* cr, double x, double y, double w, double h, Rgb base, Rgb mortar) {
  Rect(cr, x, y, w, h, base, 0);
  SetRgb(cr, mortar);
  cairo_set_line_width(cr, 1);
  for (double r = y; r < y + h; r += 8.5) {
    cairo_move_to(cr, x, r + 0.5);
    cairo_line_to(cr, x + w, r + 0.5);
    int row = int((r - y) / 8.5);
    for (double c = x + (row % 2) * 12; c < x + w; c += 24) {
      cairo_move_to(cr, c + 0.5, r);
      cairo_line_to(cr, c + 0.5, r + 8.5);
    }
  }
  cairo_stroke(cr);
}

void DrawWallTile(cairo_t* cr) {
  Bricks(cr, 0, 0, kWallTileW, kWallTileH, {196, 120, 90}, {160, 96, 74});
  // Stone piers at the edges.
  Rect(cr, 0, 0, 14, kWallTileH, {170, 165, 155}, 0);
  Rect(cr, kWallTileW - 14, 0, 14, kWallTileH, {170, 165, 155}, 0);
  Line(cr, 14, 0, 14, kWallTileH, {120, 110, 100}, 1.5);
  Line(cr, kWallTileW - 14, 0, kWallTileW - 14, kWallTileH, {120, 110, 100}, 1.5);
}

// The ground floor, the pavement and the road (640 x 196, drawn keyed over
// the wall at the street).
void DrawStreet(cairo_t* cr) {
  const double wall0 = 60, wall1 = 580;
  Rect(cr, wall0, 0, wall1 - wall0, 150, {150, 140, 130}, 0);
  Bricks(cr, wall0 + 14, 0, wall1 - wall0 - 28, 150, {170, 150, 135}, {140, 124, 110});
  Rect(cr, wall0, 0, 14, 150, {170, 165, 155}, 0);
  Rect(cr, wall1 - 14, 0, 14, 150, {170, 165, 155}, 0);
  // The entrance with its awning and the name above it.
  Rect(cr, 262, 22, 118, 128, {70, 60, 55}, 2);
  Rect(cr, 272, 40, 46, 110, {150, 200, 230}, 2);
  Rect(cr, 324, 40, 46, 110, {150, 200, 230}, 2);
  Line(cr, 310, 95, 310, 110, kInk, 3);
  Line(cr, 332, 95, 332, 110, kInk, 3);
  cairo_move_to(cr, 250, 22);
  cairo_line_to(cr, 392, 22);
  cairo_line_to(cr, 400, 4);
  cairo_line_to(cr, 242, 4);
  cairo_close_path(cr);
  FillStroke(cr, {200, 40, 40}, 2);
  for (int i = 0; i < 8; ++i) {
    cairo_rectangle(cr, 246 + i * 19, 6, 9, 15);
    SetRgb(cr, {250, 250, 250});
    cairo_fill(cr);
  }
  // Pavement, kerb, road.
  Rect(cr, 0, 150, 640, 34, {190, 190, 185}, 0);
  for (int x = 0; x < 640; x += 40) Line(cr, x, 150, x - 12, 184, {160, 160, 155}, 1);
  Rect(cr, 0, 182, 640, 4, {230, 230, 225}, 0);
  Rect(cr, 0, 186, 640, 10, {70, 70, 76}, 0);
  for (int x = 10; x < 640; x += 80) Rect(cr, x, 190, 36, 3, {240, 220, 80}, 0);
}

void DrawStreetProp(cairo_t* cr, int which) {
  if (which == 2) {  // hydrant and a bin (90 x 60)
    RoundRect(cr, 12, 20, 22, 38, 5);
    FillStroke(cr, {220, 40, 40}, 2);
    Ellipse(cr, 23, 20, 12, 6);
    FillStroke(cr, {240, 60, 60}, 2);
    Rect(cr, 6, 34, 34, 8, {200, 30, 30}, 1.5);
    RoundRect(cr, 50, 14, 34, 44, 3);
    FillStroke(cr, {60, 130, 80}, 2);
    Rect(cr, 46, 10, 42, 6, {40, 100, 60}, 1.5);
  } else if (which == 3) {  // a hedge in a planter (120 x 80)
    for (int i = 0; i < 6; ++i) Puff(cr, 14 + i * 19, 30 + (i % 2) * 6, 20, {60, 150, 60}, 1.5);
    Rect(cr, 4, 48, 112, 30, {160, 120, 80}, 2);
  } else {  // a street lamp (40 x 110)
    Rect(cr, 17, 24, 6, 86, {60, 70, 80}, 1.5);
    Rect(cr, 10, 100, 20, 10, {60, 70, 80}, 1.5);
    RoundRect(cr, 6, 4, 28, 22, 6);
    FillStroke(cr, {255, 240, 160}, 2);
  }
}

enum RoofProp { kAntenna, kAirConditioner, kHatch, kWaterTower };

void DrawRoofProp(cairo_t* cr, RoofProp which) {
  if (which == kAntenna) {  // antenna mast (40 x 64)
    Line(cr, 20, 64, 20, 6, {90, 90, 100}, 3);
    for (int i = 0; i < 4; ++i) Line(cr, 8 + i * 2, 14 + i * 10, 32 - i * 2, 14 + i * 10, {90, 90, 100}, 2);
    Ellipse(cr, 20, 5, 4, 4);
    FillStroke(cr, {240, 40, 40}, 1);
  } else if (which == kAirConditioner) {  // an air conditioner (70 x 32)
    Rect(cr, 2, 4, 66, 26, {180, 185, 190}, 2);
    for (int i = 0; i < 5; ++i) Line(cr, 8 + i * 6, 8, 8 + i * 6, 26, {130, 135, 140}, 1.5);
    Ellipse(cr, 52, 17, 10, 10);
    FillStroke(cr, {120, 125, 130}, 1.5);
  } else if (which == kHatch) {  // a roof hatch (60 x 28)
    Rect(cr, 2, 8, 56, 18, {120, 120, 130}, 2);
    cairo_move_to(cr, 4, 8);
    cairo_line_to(cr, 30, 1);
    cairo_line_to(cr, 56, 8);
    cairo_close_path(cr);
    FillStroke(cr, {150, 200, 230}, 2);
  } else {  // a water tower (80 x 78)
    Line(cr, 16, 78, 22, 40, {110, 80, 50}, 3);
    Line(cr, 64, 78, 58, 40, {110, 80, 50}, 3);
    Line(cr, 20, 60, 60, 60, {110, 80, 50}, 2);
    Rect(cr, 12, 14, 56, 30, {150, 100, 60}, 2);
    for (int i = 0; i < 4; ++i) Line(cr, 12, 20 + i * 7, 68, 20 + i * 7, {120, 80, 45}, 1);
    cairo_move_to(cr, 8, 14);
    cairo_line_to(cr, 40, 1);
    cairo_line_to(cr, 72, 14);
    cairo_close_path(cr);
    FillStroke(cr, {120, 80, 50}, 2);
  }
}

void DrawRoofEdge(cairo_t* cr) {
  Rect(cr, 0, 0, kRoofEdgeW, 12, {200, 195, 185}, 2);
  Rect(cr, 10, 12, kRoofEdgeW - 20, 28, {170, 160, 150}, 2);
  for (int x = 20; x < kRoofEdgeW - 20; x += 30) Rect(cr, x, 16, 20, 20, {150, 140, 130}, 1);
}

void DrawMapFrame(cairo_t* cr) {
  RoundRect(cr, 3, 3, kMapFrameW - 6, kMapFrameH - 6, 10);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 7);
  cairo_stroke_preserve(cr);
  SetRgb(cr, {220, 190, 60});
  cairo_set_line_width(cr, 4);
  cairo_stroke(cr);
  // The building from the street (frame row 149) to the roof (29), the
  // goal at 2700 (row 14).
  cairo_rectangle(cr, 15, 29, 104, 120);
  SetRgb(cr, {196, 120, 90});
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  Line(cr, 10, 14, 124, 14, {240, 40, 40}, 2);
  Text(cr, "GOAL", 67, 12, 9, {250, 250, 250}, 1, true);
}

void DrawWindow(cairo_t* cr, int variant) {
  Rect(cr, 1, 1, kWindowW - 2, kWindowH - 8, {230, 225, 215}, 2);
  Rgb glass = variant == 2 ? Rgb{250, 230, 130} : variant == 3 ? Rgb{50, 60, 90} : Rgb{150, 200, 230};
  Rect(cr, 6, 6, kWindowW - 12, kWindowH - 18, glass, 1.5);
  if (variant == 0) {  // curtains
    cairo_move_to(cr, 6, 6);
    cairo_curve_to(cr, 18, 20, 10, 40, 14, kWindowH - 12);
    cairo_line_to(cr, 6, kWindowH - 12);
    cairo_close_path(cr);
    cairo_move_to(cr, kWindowW - 6, 6);
    cairo_curve_to(cr, kWindowW - 18, 20, kWindowW - 10, 40, kWindowW - 14, kWindowH - 12);
    cairo_line_to(cr, kWindowW - 6, kWindowH - 12);
    cairo_close_path(cr);
    FillStroke(cr, {200, 50, 60}, 1);
  } else if (variant == 1) {  // blinds
    for (int y = 8; y < kWindowH - 14; y += 5) Line(cr, 7, y, kWindowW - 7, y, {220, 220, 210}, 2);
  } else if (variant == 4) {  // someone looking out
    Ellipse(cr, kWindowW / 2.0, 30, 9, 10);
    FillStroke(cr, {236, 190, 150}, 1.5);
    Ellipse(cr, kWindowW / 2.0, 44, 13, 8);
    FillStroke(cr, {80, 120, 200}, 1.5);
  }
  Line(cr, kWindowW / 2.0, 6, kWindowW / 2.0, kWindowH - 12, {230, 225, 215}, 2);
  Rect(cr, 0, kWindowH - 8, kWindowW, 7, {200, 195, 185}, 1.5);  // the sill
}

// Flower pot n (0..3) tumbling by `turn`: the pot body fills the box.
void DrawPot(cairo_t* cr, int n, double turn) {
  const bool big = n == 0;
  const double x0 = big ? 19 : 25, y0 = big ? 33 : 34, x1 = big ? 53 : 46, y1 = big ? 67 : 58;
  const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_rotate(cr, turn);
  cairo_translate(cr, -cx, -cy);
  static const Rgb kPot[4] = {{190, 100, 60}, {60, 110, 190}, {220, 200, 80}, {170, 80, 150}};
  static const Rgb kBloom[4] = {{240, 60, 80}, {250, 250, 250}, {250, 140, 30}, {250, 220, 40}};
  // Leaves and flowers above the pot.
  for (int i = 0; i < 3; ++i) {
    Line(cr, cx, y0, cx - 10 + i * 10, y0 - 16 - (i % 2) * 6, {40, 140, 50}, 3);
    Ellipse(cr, cx - 10 + i * 10, y0 - 18 - (i % 2) * 6, 5, 5);
    FillStroke(cr, kBloom[n], 1);
  }
  cairo_move_to(cr, x0, y0);
  cairo_line_to(cr, x1, y0);
  cairo_line_to(cr, x1 - 4, y1);
  cairo_line_to(cr, x0 + 4, y1);
  cairo_close_path(cr);
  FillStroke(cr, kPot[n], 2);
  Rect(cr, x0 - 2, y0, x1 - x0 + 4, 5, kPot[n], 1.5);
  cairo_restore(cr);
}

// ---------------------------------------------------------------- objects

// Object kind k drawn in its box (a, b, c, d), wobbling by `turn`.
void DrawObject(cairo_t* cr, int k, int frame) {
  const ObjectKind& o = kObjects[k];
  const double a = o.box[0], b = o.box[1], c = o.box[2], d = o.box[3];
  const double w = c - a, h = d - b, cx = (a + c) / 2, cy = (b + d) / 2;
  const double turn = 0.12 * std::sin(frame * 2 * M_PI / o.frames);
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_rotate(cr, turn);
  cairo_translate(cr, -cx, -cy);
  switch (k) {
    case 0:  // twelve-pack
      Rect(cr, a, b, w, h, {230, 200, 60}, 2);
      Text(cr, "12", cx, cy + 6, 14, {200, 30, 30}, 1);
      break;
    case 1:  // phone
      RoundRect(cr, a, b + h * 0.3, w, h * 0.7, 5);
      FillStroke(cr, {40, 40, 44}, 2);
      Ellipse(cr, cx, b + h * 0.6, w * 0.3, w * 0.3);
      FillStroke(cr, {220, 220, 220}, 1.5);
      RoundRect(cr, a - 2, b, w + 4, h * 0.2, 6);
      FillStroke(cr, {40, 40, 44}, 2);
      if (frame % 2) Text(cr, "RING", cx, b + h * 0.27, 8, {250, 220, 40}, 1);
      break;
    case 2:  // horseshoe magnet
      cairo_new_sub_path(cr);
      cairo_arc(cr, cx, cy, w * 0.45, 0, M_PI);
      cairo_arc_negative(cr, cx, cy, w * 0.2, M_PI, 0);
      cairo_close_path(cr);
      FillStroke(cr, {220, 30, 30}, 2);
      Rect(cr, a + w * 0.05, b, w * 0.25, h * 0.5, {220, 30, 30}, 2);
      Rect(cr, c - w * 0.3, b, w * 0.25, h * 0.5, {220, 30, 30}, 2);
      Rect(cr, a + w * 0.05, b, w * 0.25, h * 0.15, {220, 220, 230}, 1.5);
      Rect(cr, c - w * 0.3, b, w * 0.25, h * 0.15, {220, 220, 230}, 1.5);
      break;
    case 3:  // brick
      Rect(cr, a, b, w, h, {180, 70, 50}, 2);
      Line(cr, a + 3, cy, c - 3, cy, {140, 50, 40}, 1);
      break;
    case 4: {  // bomb with a burning fuse
      Ellipse(cr, cx, cy + 3, w / 2, (h - 6) / 2);
      FillStroke(cr, {40, 40, 48}, 2);
      Line(cr, cx + 4, b + 4, cx + 8, b - 4, {150, 110, 60}, 2);
      Ellipse(cr, cx + 8, b - 5, 2 + (frame % 3), 2 + (frame % 3));
      FillStroke(cr, {255, 200, 40}, 0);
      Ellipse(cr, cx - 5, cy - 2, 3, 2);
      FillStroke(cr, {150, 150, 170}, 0);
      break;
    }
    case 5:  // television
      RoundRect(cr, a, b, w, h * 0.85, 5);
      FillStroke(cr, {120, 90, 60}, 2);
      Rect(cr, a + 6, b + 6, w * 0.7, h * 0.6, frame % 2 ? Rgb{180, 190, 200} : Rgb{140, 150, 160}, 1.5);
      Line(cr, cx - 6, b, cx - 14, b - 12, kInk, 1.5);
      Line(cr, cx + 6, b, cx + 14, b - 12, kInk, 1.5);
      Rect(cr, a + 8, d - h * 0.15, 6, h * 0.15, kInk, 1);
      Rect(cr, c - 14, d - h * 0.15, 6, h * 0.15, kInk, 1);
      break;
    case 6: {  // a tailor's dummy
      Ellipse(cr, cx, b - 30, 8, 9);
      FillStroke(cr, {230, 200, 160}, 1.5);
      Ellipse(cr, cx, b - 8, 12, 18);
      FillStroke(cr, {230, 200, 160}, 1.5);
      Line(cr, cx, b + 8, cx, d, {110, 80, 50}, 3);
      Line(cr, a, d, c, d, {110, 80, 50}, 3);
      break;
    }
    case 7:  // toilet
      RoundRect(cr, a + w * 0.55, b, w * 0.4, h * 0.55, 4);
      FillStroke(cr, {245, 245, 250}, 2);
      Ellipse(cr, a + w * 0.4, b + h * 0.6, w * 0.4, h * 0.18);
      FillStroke(cr, {245, 245, 250}, 2);
      Rect(cr, a + w * 0.25, b + h * 0.65, w * 0.3, h * 0.35, {235, 235, 240}, 2);
      break;
    case 8:  // snowman
      Ellipse(cr, cx, d - h * 0.25, w * 0.45, h * 0.25);
      FillStroke(cr, {250, 250, 255}, 2);
      Ellipse(cr, cx, b + h * 0.38, w * 0.33, h * 0.2);
      FillStroke(cr, {250, 250, 255}, 2);
      Ellipse(cr, cx, b + h * 0.12, w * 0.22, h * 0.12);
      FillStroke(cr, {250, 250, 255}, 2);
      Rect(cr, cx - 10, b - 10, 20, 10, kInk, 1);
      cairo_move_to(cr, cx, b + h * 0.12);
      cairo_line_to(cr, cx + 12, b + h * 0.14);
      cairo_line_to(cr, cx, b + h * 0.16);
      FillStroke(cr, {250, 140, 30}, 0);
      break;
    case 9:  // anvil
      cairo_move_to(cr, a, b);
      cairo_line_to(cr, c, b);
      cairo_line_to(cr, c - w * 0.2, b + h * 0.4);
      cairo_line_to(cr, c - w * 0.3, d);
      cairo_line_to(cr, a + w * 0.3, d);
      cairo_line_to(cr, a + w * 0.35, b + h * 0.4);
      cairo_close_path(cr);
      FillStroke(cr, {80, 84, 96}, 2);
      Text(cr, "1T", cx + 4, cy + 6, 12, {220, 220, 230}, 1);
      break;
    case 10:  // safe
      Rect(cr, a, b, w, h, {90, 96, 110}, 2);
      Rect(cr, a + 5, b + 5, w - 10, h - 10, {110, 116, 130}, 1.5);
      Ellipse(cr, cx, cy, 10, 10);
      FillStroke(cr, {200, 200, 210}, 1.5);
      break;
    case 11:  // fridge
      RoundRect(cr, a, b, w, h, 6);
      FillStroke(cr, {235, 240, 245}, 2);
      Line(cr, a, b + h * 0.35, c, b + h * 0.35, kInk, 1.5);
      Line(cr, a + 8, b + 10, a + 8, b + 26, kInk, 3);
      Line(cr, a + 8, b + h * 0.45, a + 8, b + h * 0.6, kInk, 3);
      break;
    case 12:  // piano
      Rect(cr, a, b, w, h * 0.75, {30, 28, 30}, 2);
      Rect(cr, a + 4, b + h * 0.45, w - 8, h * 0.12, {250, 250, 245}, 1);
      for (int i = 0; i < 10; ++i) Rect(cr, a + 8 + i * (w - 16) / 10, b + h * 0.45, 3, h * 0.07, kInk, 0);
      Rect(cr, a + 4, d - h * 0.25, 6, h * 0.25, {30, 28, 30}, 1);
      Rect(cr, c - 10, d - h * 0.25, 6, h * 0.25, {30, 28, 30}, 1);
      break;
    case 13: {  // satellite
      Rect(cr, cx - 12, cy - 10, 24, 20, {200, 170, 60}, 2);
      Rect(cr, a, cy - 8, w * 0.35, 16, {40, 60, 140}, 1.5);
      Rect(cr, c - w * 0.35, cy - 8, w * 0.35, 16, {40, 60, 140}, 1.5);
      Ellipse(cr, cx, cy - 18, 10, 5);
      FillStroke(cr, {220, 220, 230}, 1.5);
      break;
    }
    case 14:  // submarine
      Ellipse(cr, cx, cy + h * 0.1, w * 0.48, h * 0.3);
      FillStroke(cr, {230, 200, 40}, 2);
      Rect(cr, cx - 10, b + h * 0.05, 24, h * 0.25, {230, 200, 40}, 2);
      for (int i = 0; i < 3; ++i) {
        Ellipse(cr, a + w * 0.3 + i * w * 0.18, cy + h * 0.1, 5, 5);
        FillStroke(cr, {150, 200, 230}, 1.5);
      }
      break;
    case 15:  // ammunition
      Rect(cr, a, b + h * 0.2, w, h * 0.8, {90, 110, 60}, 2);
      Text(cr, "AMMO", cx, cy + 6, 9, {250, 230, 100}, 1);
      break;
    case 16:  // money bag
      Ellipse(cr, cx, cy + 4, w * 0.5, h * 0.4);
      FillStroke(cr, {200, 170, 110}, 2);
      Text(cr, "$", cx, cy + 10, 16, {40, 140, 50}, 1);
      break;
    default:  // energy juice
      RoundRect(cr, a, b + 6, w, h - 6, 3);
      FillStroke(cr, {250, 140, 30}, 2);
      Rect(cr, cx - 3, b, 6, 7, {240, 240, 240}, 1);
      Text(cr, "J", cx, cy + 8, 12, {250, 250, 250}, 1);
      break;
  }
  cairo_restore(cr);
}

void DrawExplosion(cairo_t* cr, int kind, int f, int frames, double w, double h) {
  const double t = (f + 1.0) / frames, cx = w / 2, cy = h / 2;
  if (kind <= 1) {
    const double r = (w / 2 - 4) * (0.3 + 0.7 * t);
    for (int i = 0; i < 9; ++i) {
      double a = i * 2 * M_PI / 9 + f * 0.3, rr = r * (0.6 + 0.4 * ((i * 7 + f) % 3) / 2.0);
      cairo_new_sub_path(cr);
      cairo_arc(cr, cx + std::cos(a) * r * 0.4, cy + std::sin(a) * r * 0.4, rr * 0.5, 0, 2 * M_PI);
    }
    FillStroke(cr, t < 0.6 ? Rgb{250, 170, 40} : Rgb{150, 140, 130}, 1.5, {200, 60, 20});
    if (t < 0.7) {
      Ellipse(cr, cx, cy, r * 0.35, r * 0.35);
      FillStroke(cr, {255, 240, 120}, 0);
    }
  } else if (kind == 2) {  // snow bursting in the air
    for (int i = 0; i < 14; ++i) {
      double a = i * 2 * M_PI / 14, r = (w / 2 - 6) * t;
      Ellipse(cr, cx + std::cos(a) * r, cy + std::sin(a) * r, 6 * (1.2 - t), 6 * (1.2 - t));
      FillStroke(cr, {250, 250, 255}, 1, {170, 180, 200});
    }
  } else {  // a snowman squashed on the street
    Ellipse(cr, cx, h - 12, (w / 2 - 4) * (0.4 + 0.6 * t), 10 * (1.2 - 0.5 * t));
    FillStroke(cr, {250, 250, 255}, 1.5, {170, 180, 200});
    Rect(cr, cx - 10 + 20 * t, h - 30 + 10 * t, 18, 8, kInk, 0);
  }
}

void DrawHelicopter(cairo_t* cr, int f) {
  const double cx = kHelicopterW / 2.0, body = 50;
  // Tail and tail rotor.
  Rect(cr, 10, body - 6, cx - 20, 10, {200, 40, 40}, 2);
  Line(cr, 14, body - 20 + 8 * (f % 2), 14, body + 12 - 8 * (f % 2), {60, 60, 60}, 3);
  // Cabin.
  Ellipse(cr, cx + 10, body, 42, 26);
  FillStroke(cr, {220, 40, 40}, 2.5);
  Ellipse(cr, cx + 26, body - 6, 18, 14);
  FillStroke(cr, {150, 210, 240}, 2);
  // Skids.
  Line(cr, cx - 20, body + 24, cx - 20, body + 34, kInk, 2);
  Line(cr, cx + 40, body + 24, cx + 40, body + 34, kInk, 2);
  Line(cr, cx - 34, body + 34, cx + 56, body + 34, kInk, 3);
  // Rotor: its blades in four positions.
  Rect(cr, cx + 6, body - 36, 8, 12, {60, 60, 60}, 1.5);
  const double span = 90 * std::fabs(std::cos(f * M_PI / 4)) + 10;
  Line(cr, cx + 10 - span, body - 38, cx + 10 + span, body - 38, {40, 40, 40}, 4);
  // The rope ladder, 48 right of the centre, swinging a little.
  const double lx = cx + kLadderOffsetX, sway = 3 * std::sin(f * M_PI / 2);
  Line(cr, lx - 8, body + 34, lx - 8 + sway, kHelicopterH - 2, {150, 100, 50}, 2);
  Line(cr, lx + 8, body + 34, lx + 8 + sway, kHelicopterH - 2, {150, 100, 50}, 2);
  for (double y = body + 44; y < kHelicopterH; y += 14) {
    double s = sway * (y - body - 34) / (kHelicopterH - body - 34);
    Line(cr, lx - 8 + s, y, lx + 8 + s, y, {150, 100, 50}, 2);
  }
}

void DrawChimney(cairo_t* cr, int f) {
  Bricks(cr, 12, 36, 24, 28, {170, 80, 60}, {130, 60, 45});
  Rect(cr, 9, 32, 30, 6, {150, 70, 55}, 1.5);
  for (int i = 0; i < 3; ++i) {
    double k = std::fmod(f / 8.0 + i / 3.0, 1.0);
    Puff(cr, 24 + 6 * std::sin(k * 6 + i), 28 - k * 26, 5 + 6 * k, {200, 200, 205}, 0);
  }
}

void DrawStar(cairo_t* cr, int f) {
  static const Rgb kColours[3] = {{255, 230, 40}, {255, 255, 255}, {255, 160, 40}};
  const double cx = kStarSpriteSize / 2.0, r = 7;
  for (int i = 0; i < 10; ++i) {
    double a = -M_PI / 2 + i * M_PI / 5 + f * 0.31;
    double rr = (i % 2) ? r * 0.45 : r;
    if (i == 0)
      cairo_move_to(cr, cx + rr * std::cos(a), cx + rr * std::sin(a));
    else
      cairo_line_to(cr, cx + rr * std::cos(a), cx + rr * std::sin(a));
  }
  cairo_close_path(cr);
  FillStroke(cr, kColours[f % 3], 1);
}

// The weapon of character ch turned by angle (radians), centred in its box.
void DrawWeapon(cairo_t* cr, int ch, double cx, double cy, double scale, double angle) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_rotate(cr, angle);
  cairo_scale(cr, scale, scale);
  switch (ch) {
    case 0:  // a slice of pizza
      cairo_move_to(cr, -9, -8);
      cairo_line_to(cr, 9, -8);
      cairo_line_to(cr, 0, 10);
      cairo_close_path(cr);
      FillStroke(cr, {250, 200, 80}, 1.5);
      for (int i = 0; i < 3; ++i) {
        Ellipse(cr, -4 + i * 4, -3 + (i % 2) * 4, 2, 2);
        FillStroke(cr, {200, 40, 40}, 0);
      }
      Rect(cr, -10, -10, 20, 3, {200, 140, 60}, 1);
      break;
    case 1:  // banana
      cairo_new_sub_path(cr);
      cairo_arc(cr, 0, -6, 11, 0.3, M_PI - 0.3);
      cairo_arc_negative(cr, 0, -9, 9, M_PI - 0.3, 0.3);
      cairo_close_path(cr);
      FillStroke(cr, {250, 220, 40}, 1.5);
      break;
    case 2:  // dumbbell
      Line(cr, -8, 0, 8, 0, {120, 120, 130}, 3);
      Rect(cr, -11, -6, 5, 12, {40, 40, 48}, 1);
      Rect(cr, 6, -6, 5, 12, {40, 40, 48}, 1);
      break;
    case 3:  // dagger
      cairo_move_to(cr, -2, -10);
      cairo_line_to(cr, 2, -10);
      cairo_line_to(cr, 0, 4);
      cairo_close_path(cr);
      FillStroke(cr, {220, 225, 235}, 1);
      Rect(cr, -5, 3, 10, 2, {200, 160, 40}, 1);
      Rect(cr, -1.5, 5, 3, 6, {120, 70, 40}, 1);
      break;
    case 4:  // boomerang
      cairo_move_to(cr, -10, 6);
      cairo_line_to(cr, 0, -6);
      cairo_line_to(cr, 10, 6);
      cairo_line_to(cr, 6, 8);
      cairo_line_to(cr, 0, 0);
      cairo_line_to(cr, -6, 8);
      cairo_close_path(cr);
      FillStroke(cr, {170, 110, 60}, 1.5);
      break;
    default:  // a small flying saucer
      Ellipse(cr, 0, 2, 22, 7);
      FillStroke(cr, {190, 200, 215}, 1.5);
      Ellipse(cr, 0, -3, 9, 7);
      FillStroke(cr, {120, 220, 120}, 1.5);
      for (int i = -2; i <= 2; ++i) {
        Ellipse(cr, i * 8, 3, 1.8, 1.8);
        FillStroke(cr, {250, 220, 60}, 0);
      }
      break;
  }
  cairo_restore(cr);
}

// ---------------------------------------------------------------- climbers

struct ClimbPose {
  Pose pose;
  bool mirror = false;  // a left-facing run: the right run mirrored
  double roll = 0;      // the whole figure turned about its middle (falls, lying down)
  double lift = 0;      // pixels up
  bool lying = false;   // flat on the street
};

// Limbs by the side of the picture they are on. Seen from behind a figure's
// own right arm is on the picture's right, seen from the front on its left;
// angles are the picture's (0 down, pi/2 right, pi up).
void Arms(Pose& p, double left, double leftElbow, double right, double rightElbow) {
  const bool back = std::cos(p.turn) < 0;
  const int l = back ? 0 : 1, r = 1 - l;
  p.arm[l] = left;
  p.elbow[l] = leftElbow;
  p.arm[r] = right;
  p.elbow[r] = rightElbow;
}
void Legs(Pose& p, double left, double leftKnee, double right, double rightKnee) {
  const bool back = std::cos(p.turn) < 0;
  const int l = back ? 0 : 1, r = 1 - l;
  p.leg[l] = left;
  p.knee[l] = leftKnee;
  p.leg[r] = right;
  p.knee[r] = rightKnee;
}

// The hanging pose everything starts from: seen from behind, hands up on
// the wall, knees bent out on a ledge.
Pose Hang(double sway = 0) {
  Pose p;
  p.turn = M_PI;
  Arms(p, -2.6 + sway, 0.45, 2.6 + sway, -0.45);
  Legs(p, -0.45, -0.8, 0.45, 0.8);
  p.mouth = 0.2;
  return p;
}

// Letting go of the wall (t 0) to flailing in the air, turned round (t 1).
Pose Flail(double t, double k) {
  Pose p;
  p.turn = t < 0.3 ? M_PI : 0.0;
  const double s = std::sin(k * 2 * M_PI), u = std::min(1.0, t * 2);
  Arms(p, Lerp(-2.6, -2.1 + 0.7 * s, u), 0.5 * s, Lerp(2.6, 2.1 + 0.7 * s, u), 0.5 * s);
  Legs(p, -0.5 - 0.35 * s * t, -0.6 * t, 0.5 - 0.35 * s * t, 0.6 * t);
  p.mouth = 0.3 + 0.6 * t;
  return p;
}

// Throw (or reach) direction of run k: the arm's angle when it lets go.
double RunAngle(int ch, int k) {
  static const double kUp = M_PI, kRightUp = 3 * M_PI / 4, kRight = M_PI / 2, kRightDown = M_PI / 4;
  if (IsHeavyClimber(ch)) {
    static const double kHeavy[8] = {kRightUp + 0.2, kRightUp, kRight, kRightDown, kUp, -kRightUp, -kRight, -kRightDown};
    return kHeavy[k & 7];
  }
  static const double kOther[7] = {kUp, -kRight, kRight, -kRightUp, kRightUp, -kRightDown, kRightDown};
  return kOther[k % 7];
}

ClimbPose PoseOf(int ch, int frame) {
  const ClimberLayout& L = kLayouts[ch];
  ClimbPose cp;
  cp.pose = Hang();
  int run = 0, i = 0;
  auto in = [&](int row, int runs) {
    const int first = L.first[row], n = L.count[row];
    if (frame < first || frame >= first + runs * n) return false;
    run = (frame - first) / n;
    i = (frame - first) % n;
    return true;
  };
  auto phase = [&](int row) { return double(i) / L.count[row]; };
  Pose& p = cp.pose;
  if (!IsHeavyClimber(ch) && in(kRowCatch, 1)) {  // from flailing back onto the wall
    const double t = 1.0 - phase(kRowCatch);
    p = Flail(t, t);
    cp.roll = 0.3 * t;
  } else if (in(kRowSide, 2)) {  // shuffling right along the wall (left: mirrored)
    const double s = std::sin(phase(kRowSide) * 2 * M_PI);
    Arms(p, -2.75 + 0.25 * s, 0.5, 2.0 + 0.4 * s, -0.3);
    Legs(p, -0.25 + 0.2 * s, -0.6, 0.7 + 0.25 * s, 0.7);
    p.lean = 0.12;
    cp.mirror = run == 0;
  } else if (in(kRowClimb, 1)) {  // one hand high while the other pulls
    const double s = std::sin(phase(kRowClimb) * 2 * M_PI);
    Arms(p, -2.85 - 0.25 * s, 0.2 + 0.9 * std::max(0.0, -s), 2.85 - 0.25 * s, -0.2 - 0.9 * std::max(0.0, s));
    Legs(p, -0.35 - 0.3 * s, -0.4 - 0.7 * std::max(0.0, s), 0.35 - 0.3 * s, 0.4 + 0.7 * std::max(0.0, -s));
    p.bounce = 4 * std::fabs(s);
  } else if (in(kRowFall, 1)) {
    const double t = phase(kRowFall);
    p = Flail(t, t * 3);
    cp.roll = 0.3 * t;
  } else if (in(kRowDown, 1)) {
    const double t = phase(kRowDown);
    if (t < 0.5) {
      p = Flail(1.0, t * 4);
      cp.roll = 0.3 + t * 2;
    } else {  // flat on the pavement
      p = Flail(1.0, 0.25);
      Arms(p, -1.3, 0.3, 1.3, -0.3);
      Legs(p, -0.15, 0, 0.15, 0);
      p.mouth = 0.8;
      cp.roll = M_PI / 2;
      cp.lying = true;
    }
  } else if (in(kRowPullUp, 1)) {  // hands on a ledge above, pulling up
    const double t = phase(kRowPullUp);
    Arms(p, -3.0, 1.7 * t, 3.0, -1.7 * t);
    Legs(p, -0.15, -1.0 * t, 0.15, 1.0 * t);
    cp.lift = -10 + 20 * t;
  } else if (in(kRowHit, 2)) {  // knocked to the right (left: mirrored)
    const double k = std::sin(phase(kRowHit) * M_PI);
    p = Flail(1.0, 0.2);
    Arms(p, -1.2, 0.6, 2.4, -0.4);
    p.lean = 0.45 * k;
    p.mouth = 0.9;
    cp.mirror = run == 0;
  } else if (in(kRowPunch, 2)) {  // a fist up to the right (left: mirrored)
    const double k = std::sin(phase(kRowPunch) * M_PI);
    p.turn = M_PI - 0.5;
    Arms(p, -2.6, 0.45, Lerp(1.7, 2.55, k), Lerp(-1.5, 0.0, k));
    p.lean = 0.15 * k;
    cp.mirror = run == 0;
  } else if (in(kRowKick, 2)) {  // a foot down to the right (left: mirrored)
    const double k = std::sin(phase(kRowKick) * M_PI);
    p.turn = M_PI - 0.5;
    Legs(p, -0.45, -0.8, Lerp(0.4, 1.0, k), Lerp(1.0, 0.0, k));
    p.lean = -0.1 * k;
    cp.mirror = run == 0;
  } else if (in(kRowThrow, L.throwRuns)) {  // swing back, let go at the tenth frame
    const double t = phase(kRowThrow), target = RunAngle(ch, run);
    const bool right = target > 0;
    const double back = target + (right ? 1.3 : -1.3);
    double a = i < 9 ? Lerp(target, back, std::sin(std::min(1.0, t * 1.6) * M_PI)) : target - (right ? 0.3 : -0.3) * t;
    if (i == 9) a = target;
    p.turn = M_PI - 0.4;
    if (right)
      Arms(p, -2.6, 0.45, a, i < 9 ? -0.7 : 0.0);
    else
      Arms(p, a, i < 9 ? 0.7 : 0.0, 2.6, -0.45);
  } else if (in(kRowIdle, 1)) {  // hanging on, catching breath
    const double s = std::sin(phase(kRowIdle) * 2 * M_PI);
    p = Hang(0.06 * s);
    p.bounce = 1.5 * s;
  }
  return cp;  // frames no row uses: hanging on
}

void DrawClimberFrame(cairo_t* cr, int ch, int frame) {
  const ClimberShape& s = kShapes[ch];
  const ClimbPose cp = PoseOf(ch, frame);
  const double cx = (s.box[0] + s.box[2]) / 2.0;
  const double tall = std::max(s.box[3] - s.box[1], 60) * 1.25;
  double feet = std::min<double>(s.h - 4, std::max<double>(s.box[3], s.box[1] + tall * 0.95)) - cp.lift;
  double pivot = feet - tall / 2;
  if (cp.lying) feet += tall / 2 - 10;  // down on the ground line
  cairo_save(cr);
  if (cp.mirror) {
    cairo_translate(cr, 2 * cx, 0);
    cairo_scale(cr, -1, 1);
  }
  if (cp.roll != 0) {
    pivot = feet - tall / 2;
    cairo_translate(cr, cx, pivot);
    cairo_rotate(cr, cp.roll);
    cairo_translate(cr, -cx, -pivot);
  }
  DrawCharacter(cr, ch, cp.pose, cx, feet, tall);
  cairo_restore(cr);
}

// --------------------------------------------------------- status and intro

void DrawStatusBand(cairo_t* cr) {
  Gradient(cr, 0, 0, kStatusW, kStatusH, {60, 50, 40}, {30, 26, 22});
  static const int kFace[4] = {11, 173, 330, 493};
  static const int kBar[4] = {89, 249, 411, 572};
  static const int kPanelX[4] = {2, 164, 321, 484};
  for (int i = 0; i < 4; ++i) {
    RoundRect(cr, kPanelX[i] + 1, 2, 152, kStatusH - 4, 8);
    FillStroke(cr, {110, 80, 60}, 2);
    RoundRect(cr, kFace[i] - 2, 1, 74, 60, 6);
    FillStroke(cr, {50, 40, 32}, 1.5);
    cairo_rectangle(cr, kFace[i] - 2, 62, 76, 15);
    FillStroke(cr, {50, 40, 32}, 1);
    for (int r = 0; r < 2; ++r) {
      cairo_rectangle(cr, kBar[i] - 2, 4 + 20 * r, 64, 14);
      FillStroke(cr, {30, 24, 20}, 1);
    }
    RoundRect(cr, kBar[i] - 1, 53, 64, 26, 4);  // the item and its count
    FillStroke(cr, {70, 56, 44}, 1);
  }
}

void DrawIntro(cairo_t* cr, int f) {
  RoundRect(cr, 4, 4, kIntroW - 8, kIntroH - 8, 18);
  FillStroke(cr, {40, 60, 130}, 3);
  Gradient(cr, 14, 70, kIntroW - 28, kIntroH - 84, {120, 170, 240}, {220, 235, 250});
  // A wall going by as the climber goes up.
  cairo_rectangle(cr, 90, 70, 120, kIntroH - 84);
  SetRgb(cr, {196, 120, 90});
  cairo_fill(cr);
  for (int r = 0; r < 5; ++r) {
    double y = std::fmod(r * 60 + f * 7.5, 300) + 50;
    if (y < 70 || y > kIntroH - 50) continue;
    Rect(cr, 110, y, 30, 36, {150, 200, 230}, 1.5);
    Rect(cr, 160, y, 30, 36, {150, 200, 230}, 1.5);
  }
  Pose p = Hang();
  const double s = std::sin(f * 2 * M_PI / kIntroSpriteFrames);
  Arms(p, -2.85 - 0.3 * s, 0.3, 2.85 - 0.3 * s, -0.3);
  Legs(p, -0.35 - 0.3 * s, -0.6, 0.35 - 0.3 * s, 0.6);
  DrawCharacter(cr, 1, p, 150, 260, 120);
  Text(cr, "CRAZY", kIntroW / 2.0, 40, 30, {250, 200, 40}, 1, true);
  Text(cr, "CLIMBING", kIntroW / 2.0, 64, 26, {250, 200, 40}, 1, true);
}

// ------------------------------------------------------------------ writing

// Writes sprites of the scenery palette.
void WriteScenery(Output& out, std::vector<std::unique_ptr<Sheet>>& sheets, const Palette& pal) {
  std::vector<int> extra = {0, 255};
  for (int i = kSceneryHighFirst; i <= kSceneryHighLast; ++i) extra.push_back(i);
  Quantizer q(pal, kSceneryFirst, kSceneryLast, extra);
  for (auto& s : sheets) {
    std::vector<MbmFrame> frames;
    for (auto& f : s->frames) frames.push_back({"", q.Reduce(*f)});
    Bytes b = EncodeMbm(frames, pal);
    out.Write(Root::Data, s->path, s->pkc ? EncodePkc(b) : b);
  }
}

// One climber sheet, encoded: its own 32 colours in entries 2..33.
Bytes ClimberSheet(int ch) {
  Sheet s;
  for (int f = 1; f <= kLayouts[ch].frames; ++f) DrawClimberFrame(s.Frame(kShapes[ch].w, kShapes[ch].h), ch, f);
  ColourHistogram hist;
  for (auto& f : s.frames) {
    f->Flush();
    hist.Add(*f, 2);
  }
  hist.AddColour(kInk, 1u << 24);
  Palette pal = BasePalette();
  FillPalette(&pal, kSheetColourFirst, hist.MedianCut(kClimberBandSize));
  Quantizer q(pal, kSheetColourFirst, kSheetColourFirst + kClimberBandSize - 1, {});
  std::vector<MbmFrame> frames;
  for (auto& f : s.frames) frames.push_back({"", q.Reduce(*f)});
  return EncodePkc(EncodeMbm(frames, pal));
}

// The six sheets are most of the event's drawing: a few are drawn at once.
void WriteClimberSheets(Output& out) {
  std::vector<Bytes> sheets(kCharacters);
  std::atomic<int> next{0};
  auto work = [&] {
    for (int c = next++; c < kCharacters; c = next++) sheets[c] = ClimberSheet(c);
  };
  std::vector<std::thread> workers;
  const int n = std::clamp<int>(static_cast<int>(std::thread::hardware_concurrency()), 1, 3);
  for (int i = 1; i < n; ++i) workers.emplace_back(work);
  work();
  for (std::thread& t : workers) t.join();
  for (int c = 0; c < kCharacters; ++c) out.Write(Root::Data, kClimberFiles[c].sheet, sheets[c]);
}

// ------------------------------------------------------------------ sounds

void Wav(Output& out, Root root, const std::string& path, const Samples& s, int bits = 8) {
  if (out.Has(root, path)) return;  // shared with another event
  out.Write(root, path, EncodeWav(ToPcm(s), kRate, bits));
}

Samples Boom(double seconds, double pitch, uint32_t seed) {
  Samples s = Noise(seconds, 0.9, seed, 0.9);
  Samples low = Sweep(pitch, pitch * 0.3, seconds, 0, 0.8);
  MixInto(s, low, 0);
  Envelope(s, 0.005, seconds * 0.8);
  return s;
}

Samples Whistle(double from, double to, double seconds) {
  Samples s = Sweep(from, to, seconds, 0, 0.35);
  Envelope(s, 0.05, 0.1);
  return s;
}

void GenerateClimbSounds(Output& out) {
  const Root P = Root::Program, D = Root::Data;
  auto path = [](int sound) { return std::string(kScreenSoundFiles[sound].path); };
  auto root = [](int sound) { return RootOf(kScreenSoundFiles[sound].root); };
  auto put = [&](int sound, const Samples& s, int bits = 8) { Wav(out, root(sound), path(sound), s, bits); };
  {
    Samples s = Noise(0.12, 0.4, 3, 0.95);  // glug glug
    for (int i = 0; i < 3; ++i) MixInto(s, Sweep(180, 320, 0.12, 0, 0.5), 0.02 + i * 0.14);
    Envelope(s, 0.01, 0.08);
    put(kSndJuice, s);
  }
  {
    Samples s = Tone(1320, 0.08, 3, 0.4);  // the till
    Append(s, Tone(1760, 0.35, 3, 0.4));
    Envelope(s, 0.002, 0.3);
    put(kSndMoney, s);
  }
  {
    Samples s = Noise(0.05, 0.6, 5, 0.2);
    Append(s, Silence(0.06));
    Append(s, Noise(0.07, 0.7, 6, 0.3));
    Envelope(s, 0.001, 0.04);
    put(kSndAmmunition, s);
  }
  {
    Samples s = Sweep(300, 1400, 0.6, 1, 0.3);
    MixInto(s, Sweep(450, 2100, 0.6, 3, 0.2), 0);
    Envelope(s, 0.02, 0.15);
    put(kSndPowerPill, s);
  }
  put(kSndBigExplosion, Boom(1.2, 90, 11));
  put(kSndSmallExplosion, Boom(0.6, 140, 12));
  {
    Samples s = Noise(0.08, 0.8, 13, 0.1);  // a pot breaking
    for (int i = 0; i < 5; ++i) MixInto(s, Tone(2000 + 400 * i, 0.05, 3, 0.2), 0.05 + i * 0.04);
    Envelope(s, 0.001, 0.2);
    put(kSndClayPot, s);
  }
  {
    Samples s = Noise(4.0, 0.25, 14, 0.97);  // traffic, now and then a horn
    MixInto(s, Tone(420, 0.25, 1, 0.12), 1.1);
    MixInto(s, Tone(520, 0.2, 1, 0.1), 2.7);
    Envelope(s, 0.05, 0.05);
    put(kSndCity, s);
  }
  {
    Samples s = Noise(0.3, 0.6, 15, 0.85);
    Envelope(s, 0.005, 0.25);
    put(kSndSnowGround, s);
    Samples hit = Noise(0.25, 0.7, 16, 0.6);
    MixInto(hit, Sweep(500, 200, 0.2, 0, 0.4), 0);
    Envelope(hit, 0.002, 0.2);
    put(kSndSnowHit, hit);
  }
  {
    Samples s;  // chopper blades
    for (int i = 0; i < 16; ++i) {
      Samples beat = Noise(0.06, 0.7, uint32_t(20 + i), 0.7);
      MixInto(beat, Tone(70, 0.06, 0, 0.6), 0);
      Envelope(beat, 0.003, 0.05);
      Append(beat, Silence(0.065));
      Append(s, beat);
    }
    put(kSndHelicopter, s);
  }
  put(kSndFalling, Whistle(1800, 500, 1.6));
  {
    Samples s = Whistle(1400, 400, 1.6);
    MixInto(s, Noise(1.6, 0.15, 30, 0.4), 0);  // a rattle of bottles
    put(kSndFridge, s);
  }
  put(kSndPiano, Melody("C6/16 A5/16 F5/16 D5/16 B4/16 G4/16 E4/16 C4/16 A3/16 F3/16 D3/16 B2/8", 200, 2, 0.4));
  {
    Samples s;  // an old telephone ringing
    for (int i = 0; i < 4; ++i) {
      Samples ring = Tone(900, 0.05, 1, 0.25);
      MixInto(ring, Tone(1100, 0.05, 1, 0.2), 0);
      Append(s, ring);
      Append(s, Silence(0.02));
    }
    Append(s, Silence(0.3));
    put(kSndPhone, s);
  }
  put(kSndSatellite, Melody("C6/16 G6/16 C6/16 G6/16 E6/16 R/16 E6/16 R/16", 240, 2, 0.3));
  {
    Samples s = Tone(1200, 0.08, 0, 0.4);  // a ping and bubbles
    Envelope(s, 0.002, 0.07);
    Append(s, Silence(0.4));
    for (int i = 0; i < 5; ++i) MixInto(s, Sweep(300 + 90 * i, 600 + 90 * i, 0.04, 0, 0.2), 0.12 + i * 0.07);
    put(kSndSubmarine, s);
  }
  {
    Samples s = Noise(1.2, 0.5, 31, 0.9);  // a flush going by
    MixInto(s, Whistle(900, 300, 1.2), 0, 0.6);
    Envelope(s, 0.05, 0.4);
    put(kSndToilet, s);
  }
  {
    Samples s = Noise(1.2, 0.35, 32, 0.0);  // static
    MixInto(s, Whistle(1500, 600, 1.2), 0, 0.6);
    put(kSndTelevision, s);
  }
  {
    Samples s = Tone(2400, 0.3, 1, 0.2);
    Append(s, Speak("Crazy climbing! First to the roof wins the race!", 6));
    put(kSndAnnouncer, s, 16);
  }
  // The climbers: attack, reaction, fall, weapon, landing, five cries.
  static const char* const kWords[6][5] = {
      {"Hyah!", "Ouch!", "Whoa!", "Lunch time!", "Oof!"},
      {"Ook!", "Eek!", "Ooo aaa!", "Banana!", "Umph!"},
      {"Hah!", "Argh!", "No way!", "Catch!", "Ugh!"},
      {"Hiyah!", "Ow!", "Aiyee!", "Take this!", "Hmph!"},
      {"Boing!", "Crikey!", "Whoooa!", "Comes back!", "Oof!"},
      {"Zap!", "Ow ow!", "Eeeh!", "Incoming!", "Bump!"}};
  static const char* const kCryWords[5] = {"Aaargh!", "Help!", "My head!", "Watch out!", "Who threw that?"};
  for (int c = 0; c < kCharacters; ++c) {
    const ClimberFiles& f = kClimberFiles[c];
    for (int k = 0; k < 5; ++k) {
      Samples s = Speak(kWords[c][k], c);
      if (k == 4) MixInto(s, Boom(0.25, 120, uint32_t(40 + c)), 0, 0.6);
      Wav(out, RootOf(f.soundRoot), f.sounds[k], s, 16);
    }
    for (int k = 1; k <= kCries; ++k) {
      std::string name = f.cry;
      for (char& ch : name)
        if (ch == '0') ch = char('0' + k);
      Wav(out, D, name, Speak(kCryWords[k - 1], c), 16);
    }
  }
  (void)P;
}

}  // namespace

void GenerateClimbing(Output& out) {
  std::vector<std::unique_ptr<Sheet>> sheets;
  auto add = [&](const char* path, bool pkc = false) -> Sheet& {
    sheets.push_back(std::make_unique<Sheet>());
    sheets.back()->path = path;
    sheets.back()->pkc = pkc;
    return *sheets.back();
  };

  // Building sprite A: street, props, skyline, sky, a cloud, the map frame.
  Canvas skyline(kSkylineW + kSkylineRightW, kSkylineH);
  DrawSkyline(skyline.cr(), kSkylineW + kSkylineRightW, kSkylineH);
  skyline.Flush();
  auto cut = [&](Sheet& s, int x0, int w) {
    cairo_t* cr = s.Frame(w, kSkylineH);
    cairo_set_source_surface(cr, skyline.surface(), -x0, 0);
    cairo_paint(cr);
  };
  {
    Sheet& a = add(kBuildingA, true);
    DrawStreet(a.Frame(kStreetW, kStreetH));
    DrawStreetProp(a.Frame(90, 60), 2);
    DrawStreetProp(a.Frame(120, 80), 3);
    DrawStreetProp(a.Frame(40, 110), 4);
    DrawRoofProp(a.Frame(60, 28), kHatch);
    DrawRoofProp(a.Frame(80, 78), kWaterTower);
    cut(a, 0, kSkylineW);
    DrawSky(a.Frame(kSkyW, kSkyH));
    Puff(a.Frame(160, 64), 80, 32, 40, {245, 248, 255}, 1.5);
    DrawMapFrame(a.Frame(kMapFrameW, kMapFrameH));
    if (int(a.frames.size()) != kAFrames) throw std::runtime_error("building A frames");
  }
  {
    Sheet& b = add(kBuildingB, true);
    DrawWallTile(b.Frame(kWallTileW, kWallTileH));
    cut(b, kSkylineW, kSkylineRightW);
    DrawRoofEdge(b.Frame(kRoofEdgeW, kRoofEdgeH));
    DrawRoofProp(b.Frame(40, 64), kAntenna);
    DrawRoofProp(b.Frame(70, 32), kAirConditioner);
    DrawSkylineLow(b.Frame(kSkylineLowW, kSkylineLowH));
    if (int(b.frames.size()) != kBFrames) throw std::runtime_error("building B frames");
  }
  {
    Sheet& s = add(kIconSprite);
    cairo_t* cr = s.Frame(kIconSize, kIconSize);  // 1 power pill
    RoundRect(cr, 3, 7, 16, 8, 4);
    FillStroke(cr, {240, 60, 60}, 1.5);
    Rect(cr, 11, 7, 8, 8, {250, 250, 250}, 0);
    RoundRect(cr, 3, 7, 16, 8, 4);
    SetRgb(cr, kInk);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    cr = s.Frame(kIconSize, kIconSize);  // 2 no item
    Ellipse(cr, 11, 11, 8, 8);
    SetRgb(cr, {180, 180, 180});
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    Line(cr, 5, 17, 17, 5, {180, 180, 180}, 2);
  }
  {
    Sheet& s = add(kStarSprite);
    for (int f = 0; f < kStarSpriteFrames; ++f) DrawStar(s.Frame(kStarSpriteSize, kStarSpriteSize), f);
  }
  {
    Sheet& s = add(kChimneySprite);
    for (int f = 0; f < kChimneyFrames; ++f) DrawChimney(s.Frame(kChimneyW, kChimneyH), f);
  }
  {
    Sheet& s = add(kPotSprite);
    for (int n = 0; n < 4; ++n)
      for (int f = 0; f < kFramesPerPot; ++f) DrawPot(s.Frame(kPotW, kPotH), n, f * M_PI / 2.5);
  }
  {
    Sheet& s = add(kWindowSprite);
    for (int f = 0; f < kWindowFrames; ++f) DrawWindow(s.Frame(kWindowW, kWindowH), f);
  }
  {
    Sheet& s = add(kHelicopterSprite);
    for (int f = 0; f < kHelicopterFrames; ++f) DrawHelicopter(s.Frame(kHelicopterW, kHelicopterH), f);
  }
  {
    Sheet& s = add(kIntroSprite, true);
    for (int f = 0; f < kIntroSpriteFrames; ++f) DrawIntro(s.Frame(kIntroW, kIntroH), f);
  }
  for (int k = 0; k < kObjectKinds; ++k) {
    Sheet& s = add(kObjects[k].sprite);
    for (int f = 0; f < kObjects[k].frames; ++f) DrawObject(s.Frame(kObjects[k].w, kObjects[k].h), k, f);
  }
  for (int k = 0; k < kExplosionKinds; ++k) {
    const ExplosionKind& e = kExplosions[k];
    Sheet& s = add(e.sprite);
    for (int f = 0; f < e.frames; ++f) DrawExplosion(s.Frame(e.w, e.h), k, f, e.frames, e.w, e.h);
  }
  for (int c = 0; c < kCharacters; ++c) {
    const WeaponShape& w = kWeaponShapes[c];
    Sheet& s = add(kClimberFiles[c].weapon);
    const double cx = (w.box[0] + w.box[2]) / 2.0, cy = (w.box[1] + w.box[3]) / 2.0;
    const double scale = c == 5 ? 2.0 : 1.0;
    for (int d = 0; d < kWeaponDirections; ++d)
      for (int f = 0; f < kWeaponFramesPerDirection; ++f)
        DrawWeapon(s.Frame(w.w, w.h), c, cx, cy, scale, c == 5 ? 0.1 * std::sin(f * 1.3) : f * 2 * M_PI / 5 + d);
    DrawWeapon(s.Frame(kWeaponIconSize, kWeaponIconSize), c, kWeaponIconSize / 2.0, kWeaponIconSize / 2.0,
               c == 5 ? 0.45 : 0.9, 0);
  }

  // The palette: the status band's colours in 0..19, the scenery's in
  // 20..119 and 248..254.
  Canvas status(kStatusW, kStatusH);
  DrawStatusBand(status.cr());
  status.Flush();
  Palette pal = BasePalette();
  {
    ColourHistogram band;
    band.Add(status);
    FillPalette(&pal, 6, band.MedianCut(kStatusColoursLast - 6 + 1));
    ColourHistogram scenery;
    for (auto& s : sheets)
      for (auto& f : s->frames) {
        f->Flush();
        scenery.Add(*f, f->w() * f->h() > 60000 ? 3 : 1);
      }
    scenery.AddColour(kInk, 1u << 24);
    scenery.AddColour({250, 250, 250}, 1u << 24);
    std::vector<Rgb> colours = scenery.MedianCut(kSceneryLast - kSceneryFirst + 1 + kSceneryHighLast - kSceneryHighFirst + 1);
    std::vector<Rgb> low(colours.begin(), colours.begin() + std::min<size_t>(colours.size(), kSceneryLast - kSceneryFirst + 1));
    FillPalette(&pal, kSceneryFirst, low);
    if (colours.size() > low.size())
      FillPalette(&pal, kSceneryHighFirst, std::vector<Rgb>(colours.begin() + low.size(), colours.end()));
  }
  Quantizer bandQ(pal, 0, kStatusColoursLast, {255});
  out.Write(Root::Data, kStatusPicture, EncodeBmp8(bandQ.Reduce(status, false), pal));
  WriteScenery(out, sheets, pal);
  sheets.clear();

  WriteClimberSheets(out);
  GenerateClimbSounds(out);
}

}  // namespace assetgen
