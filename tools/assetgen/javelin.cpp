// JAVELIN CATCH: the field as a tile picture with the stands, the boards and
// the near fence, the cannon's firing pieces, the objects picture (javelin,
// bomb, juice, ammunition, money, blast, fire, smoke, shadow), the
// announcer's card, the six contestant sheets drawn with the shared athlete
// and their .jcd files, the palette swatch and the event's sounds and calls.
// Sizes, frame numbers and the sheet layout come from javelin_catch_data.h.
//
// The event palette is the status picture's, made by FULL CONTACT FIGURE
// SKATING: the scenery here is drawn before that palette is cut, so that
// the field's colours have their share of it (AddJavelinColours), and is
// written afterwards in it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "events/javelin_catch/javelin_catch_data.h"
#include "graphics/bmp.h"
#include "tools/assetgen/audio.h"
#include "tools/assetgen/draw.h"
#include "tools/assetgen/gen.h"

namespace assetgen {

using namespace javelinassets;

namespace {

const Rgb kInk{20, 18, 16};

// Stable pseudo-random numbers for the crowd and the grass (no seed, no clock).
uint32_t Hash(uint32_t a, uint32_t b = 0) {
  uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  return h;
}
double Unit(uint32_t a, uint32_t b = 0) { return (Hash(a, b) & 0xFFFF) / 65535.0; }

struct Pt {
  double x, y;
};
// A world point on the field picture.
Pt W(double x, double y, double z = 0) {
  return {kCos * (x + y) + kPictureX0, kSin * (x - y) + kPictureY0 - z};
}

// Drawing in world units on the ground: (x, y) as the picture shows them.
void GroundMatrix(cairo_t* cr) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, kCos, kSin, kCos, -kSin, kPictureX0, kPictureY0);
  cairo_transform(cr, &m);
}

void Quad(cairo_t* cr, Pt a, Pt b, Pt c, Pt d) {
  cairo_move_to(cr, a.x, a.y);
  cairo_line_to(cr, b.x, b.y);
  cairo_line_to(cr, c.x, c.y);
  cairo_line_to(cr, d.x, d.y);
  cairo_close_path(cr);
}

void GroundRect(cairo_t* cr, double x0, double y0, double x1, double y1, Rgb c) {
  Quad(cr, W(x0, y0), W(x1, y0), W(x1, y1), W(x0, y1));
  SetRgb(cr, c);
  cairo_fill(cr);
}

// ---------------------------------------------------------------- the field
// Where the boards, the stands and the fence stand, in world units.
constexpr double kFarLeftX = -14, kFarRightY = 363;   // the boards behind the field
constexpr double kNearLeftY = -14, kNearRightX = 543;  // the fence in front
constexpr double kBoardHeight = 24, kFenceHeight = 15;
constexpr double kStandsFrom = 46;  // the first row stands this far behind the boards

// The ground: the track round the field, the lawn with its mown stripes, its
// lines and the catching target in the middle.
void DrawGround(cairo_t* cr) {
  cairo_rectangle(cr, 0, 0, kFieldW, kFieldH);
  SetRgb(cr, {58, 92, 50});
  cairo_fill(cr);
  GroundRect(cr, -400, -130, 900, 800, {176, 84, 60});  // the running track
  cairo_save(cr);
  GroundMatrix(cr);
  SetRgb(cr, {232, 214, 200});
  cairo_set_line_width(cr, 1.6);
  for (int lane = 1; lane <= 5; ++lane) {  // lanes beyond the near fence
    const double y = kNearLeftY - 12 * lane, x = kNearRightX + 12 * lane;
    cairo_move_to(cr, -400, y);
    cairo_line_to(cr, x, y);
    cairo_line_to(cr, x, 800);
    cairo_stroke(cr);
  }
  cairo_restore(cr);
  // The lawn up to the boards and the fence, mown in stripes.
  GroundRect(cr, kFarLeftX - 30, kNearLeftY, kNearRightX, kFarRightY + 20, {70, 150, 60});
  for (int i = 0; i < 12; ++i)
    if (i % 2 == 0) GroundRect(cr, i * 48.0 - 12, kNearLeftY, i * 48.0 + 36, kFarRightY, {84, 166, 70});
  // Tufts and specks of darker and lighter grass.
  for (int i = 0; i < 900; ++i) {
    const double x = -10 + Unit(i, 1) * 550, y = -10 + Unit(i, 2) * 370;
    const Pt p = W(x, y);
    Ellipse(cr, p.x, p.y, 1.6, 0.8);
    SetRgb(cr, i % 3 ? Rgb{56, 128, 50} : Rgb{120, 190, 90});
    cairo_fill(cr);
  }
  // The boundary line, the half-way lines and the target.
  cairo_save(cr);
  GroundMatrix(cr);
  SetRgb(cr, {240, 244, 236});
  cairo_set_line_width(cr, 3);
  cairo_rectangle(cr, 0, 0, 529, 349);
  cairo_stroke(cr);
  cairo_set_line_width(cr, 1.8);
  cairo_move_to(cr, 264.5, 0);
  cairo_line_to(cr, 264.5, 349);
  cairo_stroke(cr);
  for (int ring = 0; ring < 3; ++ring) {
    cairo_arc(cr, 264.5, 174.5, 70 - ring * 24, 0, 2 * M_PI);
    SetRgb(cr, ring == 1 ? Rgb{230, 70, 50} : Rgb{240, 244, 236});
    cairo_set_line_width(cr, ring == 1 ? 5 : 3);
    cairo_stroke(cr);
  }
  cairo_arc(cr, 264.5, 174.5, 8, 0, 2 * M_PI);
  SetRgb(cr, {230, 70, 50});
  cairo_fill(cr);
  // The event's name painted on the grass near each end, read from the front.
  for (int end = 0; end < 2; ++end) {
    cairo_save(cr);
    cairo_translate(cr, end ? 430 : 100, 174.5);
    cairo_rotate(cr, end ? M_PI / 2 : -M_PI / 2);
    cairo_scale(cr, 1, -1);
    Text(cr, end ? "CATCH" : "JAVELIN", 0, 12, 34, {104, 182, 88}, 1);
    cairo_restore(cr);
  }
  cairo_restore(cr);
}

// One spectator, his feet at p: a body and a head in his own colours; some
// wave their arms.
void Spectator(cairo_t* cr, Pt p, uint32_t id) {
  static const Rgb kShirt[8] = {{220, 60, 50},  {60, 110, 210}, {250, 210, 60}, {240, 240, 240},
                                {60, 170, 90},  {200, 90, 200}, {250, 140, 40}, {40, 50, 70}};
  static const Rgb kSkin[4] = {{240, 200, 160}, {200, 150, 110}, {140, 96, 64}, {100, 66, 44}};
  const uint32_t h = Hash(id, 77);
  RoundRect(cr, p.x - 4, p.y - 11, 8, 11, 3);
  SetRgb(cr, kShirt[h & 7]);
  cairo_fill(cr);
  if ((h >> 8) % 5 == 0) {  // arms up
    cairo_move_to(cr, p.x - 3, p.y - 9);
    cairo_line_to(cr, p.x - 6, p.y - 17);
    cairo_move_to(cr, p.x + 3, p.y - 9);
    cairo_line_to(cr, p.x + 6, p.y - 17);
    SetRgb(cr, kSkin[(h >> 4) & 3]);
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
  }
  Ellipse(cr, p.x, p.y - 14, 3.2, 3.4);
  SetRgb(cr, kSkin[(h >> 4) & 3]);
  cairo_fill(cr);
  if ((h >> 12) % 3 == 0) {  // a cap or hair
    Ellipse(cr, p.x, p.y - 16.5, 3.4, 1.6);
    SetRgb(cr, kShirt[(h >> 16) & 7]);
    cairo_fill(cr);
  }
}

// The stands behind the far boards: rows of seats rising away from the
// field, filled with the crowd. `alongY` picks the left stand (rows run along
// y, stepping to smaller x) or the right one (rows along x, stepping to
// greater y).
void Stand(cairo_t* cr, bool alongY) {
  constexpr int kRows = 30;
  constexpr double kRowDepth = 14, kRowRise = 12;
  const double from = -260, to = alongY ? 620 : 900;
  for (int r = kRows - 1; r >= 0; --r) {  // the farthest first
    const double depth = kStandsFrom + r * kRowDepth, lift = 10 + r * kRowRise;
    auto at = [&](double u, double d, double z) {
      return alongY ? W(kFarLeftX - d, u, z) : W(u, kFarRightY + d, z);
    };
    // The step: its top, then its front face.
    Quad(cr, at(from, depth, lift), at(to, depth, lift), at(to, depth + kRowDepth, lift),
         at(from, depth + kRowDepth, lift));
    SetRgb(cr, r % 2 ? Rgb{120, 124, 140} : Rgb{132, 136, 152});
    cairo_fill(cr);
    Quad(cr, at(from, depth, lift), at(to, depth, lift), at(to, depth, lift - kRowRise),
         at(from, depth, lift - kRowRise));
    SetRgb(cr, {86, 88, 104});
    cairo_fill(cr);
    for (double u = from + 4 + (r % 2) * 5; u < to; u += 10) {
      const uint32_t id = uint32_t(r * 1000 + int(u + 300)) + (alongY ? 0 : 500000);
      if (Hash(id, 3) % 9 == 0) continue;  // an empty seat
      Spectator(cr, at(u, depth + 6, lift), id);
    }
  }
}

// The advertising boards behind the field (far left along x = kFarLeftX, far
// right along y = kFarRightY), their fronts turned to the field.
void FarBoards(cairo_t* cr) {
  static const char* const kAds[6] = {"ZAP COLA", "CATCH!", "JUICE", "BOOM CO", "GO GO", "CANNON"};
  static const Rgb kBack[6] = {{200, 40, 40}, {40, 90, 200}, {250, 200, 40}, {40, 40, 50}, {60, 170, 80}, {240, 240, 240}};
  static const Rgb kFore[6] = {{250, 250, 250}, {250, 220, 60}, {200, 40, 40}, {250, 140, 40}, {250, 250, 250}, {40, 90, 200}};
  for (int side = 0; side < 2; ++side) {
    const double len = side == 0 ? kFarRightY - kNearLeftY : kNearRightX - kFarLeftX, panel = 84;
    for (int i = 0; i * panel < len; ++i) {
      const double u0 = i * panel, u1 = std::min(len, u0 + panel);
      auto at = [&](double u, double z) {
        return side == 0 ? W(kFarLeftX, kNearLeftY + u, z) : W(kFarLeftX + u, kFarRightY, z);
      };
      const int k = (i + side * 3) % 6;
      Quad(cr, at(u0, 0), at(u1, 0), at(u1, kBoardHeight), at(u0, kBoardHeight));
      FillStroke(cr, kBack[k], 1, kInk);
      // The text on the board's plane.
      cairo_save(cr);
      const Pt o = at(u0, 0);
      cairo_matrix_t m;
      // u along the board, v up.
      if (side == 0)
        cairo_matrix_init(&m, kCos, -kSin, 0, -1, o.x, o.y);
      else
        cairo_matrix_init(&m, kCos, kSin, 0, -1, o.x, o.y);
      cairo_transform(cr, &m);
      cairo_scale(cr, 1, -1);
      if (u1 - u0 > 60) Text(cr, kAds[k], (u1 - u0) / 2, -6, 12, kFore[k], 1);
      cairo_restore(cr);
    }
  }
}

// The low fence in front: posts and two rails along the near edges, drawn
// with (dx, dy) added to picture coordinates.
void NearFence(cairo_t* cr, double dx, double dy) {
  cairo_save(cr);
  cairo_translate(cr, dx, dy);
  auto rail = [&](double z, double width, Rgb c) {
    const Pt a = W(kFarLeftX, kNearLeftY, z), b = W(kNearRightX, kNearLeftY, z), d = W(kNearRightX, kFarRightY, z);
    cairo_move_to(cr, a.x, a.y);
    cairo_line_to(cr, b.x, b.y);
    cairo_line_to(cr, d.x, d.y);
    SetRgb(cr, kInk);
    cairo_set_line_width(cr, width + 2);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    SetRgb(cr, c);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
  };
  auto post = [&](Pt p) {
    cairo_rectangle(cr, p.x - 2, p.y - kFenceHeight - 2, 4, kFenceHeight + 3);
    FillStroke(cr, {236, 236, 228}, 1, kInk);
  };
  rail(kFenceHeight * 0.35, 2.5, {210, 60, 50});
  for (double x = kFarLeftX; x <= kNearRightX + 0.5; x += 31) post(W(x, kNearLeftY));
  for (double y = kNearLeftY + 31; y <= kFarRightY + 0.5; y += 31) post(W(kNearRightX, y));
  rail(kFenceHeight, 3, {250, 250, 244});
  cairo_restore(cr);
}

// The cannon on its carriage, its base at (x, y) of the current drawing;
// `shot` 0 at rest, else the frames since the shot (1 the flash).
void Cannon(cairo_t* cr, double x, double y, int shot) {
  const double recoil = shot > 0 && shot < 6 ? (6 - shot) * 2.0 : 0;
  const double elevation = -0.85;  // the barrel points up and to the right, at the field
  // Drawn a fifth smaller than its measures, so that the flash and the
  // smoke stay inside the piece.
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, 0.8, 0.8);
  cairo_translate(cr, -x, -y);
  // The platform and the carriage's wheels.
  Ellipse(cr, x, y, 52, 16);
  FillStroke(cr, {110, 100, 90}, 1.5, kInk);
  Ellipse(cr, x, y - 4, 46, 13);
  FillStroke(cr, {150, 140, 126}, 1, kInk);
  cairo_save(cr);
  cairo_translate(cr, x - recoil * std::cos(elevation), y - 40 - recoil * std::sin(elevation));
  cairo_rotate(cr, elevation);
  // The barrel: a tapering tube with bands, its mouth at +110.
  cairo_move_to(cr, -30, -17);
  cairo_line_to(cr, 104, -11);
  cairo_line_to(cr, 104, 11);
  cairo_line_to(cr, -30, 17);
  cairo_close_path(cr);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, -17, 0, 17);
  cairo_pattern_add_color_stop_rgb(g, 0, 0.55, 0.58, 0.62);
  cairo_pattern_add_color_stop_rgb(g, 0.35, 0.30, 0.32, 0.36);
  cairo_pattern_add_color_stop_rgb(g, 1, 0.12, 0.13, 0.16);
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  for (double bx : {-10.0, 40.0, 92.0}) {
    cairo_rectangle(cr, bx, -17 + bx * 0.045, 7, 34 - bx * 0.09);
    FillStroke(cr, {200, 160, 60}, 1, kInk);
  }
  Ellipse(cr, 108, 0, 5, 13);
  FillStroke(cr, {30, 30, 34}, 1.5, kInk);
  Ellipse(cr, -34, 0, 9, 9);  // the knob at the back
  FillStroke(cr, {90, 94, 100}, 1.5, kInk);
  if (shot >= 1 && shot <= 3) {  // the muzzle flash
    const double r = 34 - shot * 8;
    cairo_move_to(cr, 112 + r * 1.6, 0);
    for (int i = 1; i < 16; ++i) {
      const double a = i * M_PI / 8, rr = i % 2 ? r * 0.55 : r * (1.3 + 0.3 * ((i / 2) % 2));
      cairo_line_to(cr, 112 + std::cos(a) * rr * 1.2, std::sin(a) * rr);
    }
    cairo_close_path(cr);
    FillStroke(cr, {255, 220, 60}, 1.5, {230, 90, 30});
    Ellipse(cr, 118, 0, r * 0.5, r * 0.35);
    FillStroke(cr, {255, 255, 220}, 0);
  }
  cairo_restore(cr);
  // The carriage: two wheels and the cheeks holding the barrel.
  for (int side = 0; side < 2; ++side) {
    const double wx = x - 18 + side * 30, wy = y - 14 + side * 4;
    Ellipse(cr, wx, wy, 15, 17);
    FillStroke(cr, {130, 80, 40}, 2, kInk);
    Ellipse(cr, wx, wy, 4, 4);
    FillStroke(cr, {60, 40, 24}, 1, kInk);
    for (int s = 0; s < 6; ++s) {
      const double a = s * M_PI / 3;
      cairo_move_to(cr, wx + std::cos(a) * 4, wy + std::sin(a) * 4);
      cairo_line_to(cr, wx + std::cos(a) * 13, wy + std::sin(a) * 15);
    }
    SetRgb(cr, kInk);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
  }
  cairo_move_to(cr, x - 26, y - 26);
  cairo_line_to(cr, x + 2, y - 58);
  cairo_line_to(cr, x + 20, y - 50);
  cairo_line_to(cr, x + 16, y - 18);
  cairo_close_path(cr);
  FillStroke(cr, {150, 90, 44}, 1.5, kInk);
  // Smoke from the mouth, drifting up and thinning out.
  if (shot >= 1 && shot <= 12) {
    const double mx = x + 112 * std::cos(elevation) + 10, my = y - 40 + 112 * std::sin(elevation);
    for (int p = 0; p < 5; ++p) {
      const double t = shot + p * 0.7, r = 5 + t * 2.2 + p * 2;
      const double px = mx + t * 2 + p * 5 - 10, py = my - t * 2.2 - p * 4 + 8;
      const double fade = std::max(0.0, 1.0 - shot / 13.0);
      Ellipse(cr, px, py, r, r * 0.85);
      SetRgb(cr, {uint8_t(200 + 40 * (1 - fade)), uint8_t(200 + 40 * (1 - fade)), uint8_t(196 + 40 * (1 - fade))},
             0.35 + 0.6 * fade);
      cairo_fill(cr);
    }
  }
  cairo_restore(cr);
}

// Where the cannon's platform stands on the picture.
constexpr double kCannonBaseX = kCannonX + 100, kCannonBaseY = kCannonY + 178;

// ------------------------------------------------------------- the objects
void Javelin(cairo_t* cr, double tipX, double tipY, double tailX, double tailY) {
  const double dx = tipX - tailX, dy = tipY - tailY, len = std::hypot(dx, dy), ux = dx / len, uy = dy / len;
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_move_to(cr, tailX, tailY);
  cairo_line_to(cr, tipX - ux * 12, tipY - uy * 12);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 5);
  cairo_stroke_preserve(cr);
  SetRgb(cr, {236, 220, 120});
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  // The grip, a third of the way down.
  const double gx = tailX + dx * 0.42, gy = tailY + dy * 0.42;
  cairo_move_to(cr, gx - ux * 7, gy - uy * 7);
  cairo_line_to(cr, gx + ux * 7, gy + uy * 7);
  SetRgb(cr, {200, 50, 40});
  cairo_set_line_width(cr, 4.5);
  cairo_stroke(cr);
  // The steel point.
  cairo_move_to(cr, tipX, tipY);
  cairo_line_to(cr, tipX - ux * 13 - uy * 2.6, tipY - uy * 13 + ux * 2.6);
  cairo_line_to(cr, tipX - ux * 13 + uy * 2.6, tipY - uy * 13 - ux * 2.6);
  cairo_close_path(cr);
  FillStroke(cr, {190, 196, 210}, 1, kInk);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

// Little glints that turn with the frame, round (cx, cy).
void Glint(cairo_t* cr, double cx, double cy, int f, double r) {
  const double a = f * 2 * M_PI / 5;
  const double gx = cx + std::cos(a) * r, gy = cy + std::sin(a) * r * 0.6;
  cairo_move_to(cr, gx - 3.5, gy);
  cairo_line_to(cr, gx + 3.5, gy);
  cairo_move_to(cr, gx, gy - 3.5);
  cairo_line_to(cr, gx, gy + 3.5);
  SetRgb(cr, {255, 255, 230});
  cairo_set_line_width(cr, 1.4);
  cairo_stroke(cr);
}

void Bomb(cairo_t* cr, int f) {
  const ObjectKind& k = kObjectKinds[1];
  // The streak of the fall.
  for (int i = 0; i < 3; ++i) {
    cairo_move_to(cr, 4 + i * 6, 6 + i * 9);
    cairo_line_to(cr, 4 + i * 6, 50 - i * 4);
    SetRgb(cr, {236, 236, 244}, 0.8);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
  }
  const double cx = k.anchorX + 1, cy = k.anchorY - 8;
  Ellipse(cr, cx, cy, 8.5, 8.5);
  FillStroke(cr, {34, 34, 40}, 1.2, kInk);
  Ellipse(cr, cx - 3, cy - 3, 2.5, 2);
  FillStroke(cr, {150, 150, 170}, 0);
  cairo_rectangle(cr, cx - 3, cy - 11.5, 6, 4);
  FillStroke(cr, {90, 90, 100}, 1, kInk);
  // The fuse and its spark, flickering.
  cairo_move_to(cr, cx, cy - 11.5);
  cairo_curve_to(cr, cx + 2, cy - 16, cx + 6, cy - 15, cx + 6, cy - 19);
  SetRgb(cr, {170, 130, 80});
  cairo_set_line_width(cr, 1.6);
  cairo_stroke(cr);
  const double r = 2.5 + (f % 3) * 1.2;
  cairo_move_to(cr, cx + 6 + r, cy - 19);
  for (int i = 1; i < 10; ++i) {
    const double a = i * M_PI / 5 + f * 0.5, rr = i % 2 ? r * 0.4 : r;
    cairo_line_to(cr, cx + 6 + std::cos(a) * rr, cy - 19 + std::sin(a) * rr);
  }
  cairo_close_path(cr);
  FillStroke(cr, f % 2 ? Rgb{255, 230, 80} : Rgb{255, 150, 40}, 0);
}

void Juice(cairo_t* cr, int f) {
  const double wob = std::sin(f * 2 * M_PI / 5) * 0.12;
  cairo_save(cr);
  cairo_translate(cr, 20, 34);
  cairo_rotate(cr, wob);
  RoundRect(cr, -8, -24, 16, 24, 4);
  FillStroke(cr, {90, 210, 70}, 1.4, kInk);
  cairo_rectangle(cr, -8, -17, 16, 9);
  FillStroke(cr, {250, 240, 200}, 1, kInk);
  cairo_rectangle(cr, -3, -30, 6, 6);
  FillStroke(cr, {220, 50, 40}, 1, kInk);
  cairo_move_to(cr, 2, -30);  // the straw
  cairo_line_to(cr, 6, -35);
  SetRgb(cr, {250, 250, 250});
  cairo_set_line_width(cr, 1.6);
  cairo_stroke(cr);
  Text(cr, "+", 0, -9.5, 9, {40, 150, 40}, 1);
  cairo_restore(cr);
  Glint(cr, 20, 22, f, 14);
}

void Ammo(cairo_t* cr, int f) {
  RoundRect(cr, 5, 13, 30, 18, 2);
  FillStroke(cr, {110, 120, 60}, 1.4, kInk);
  cairo_rectangle(cr, 5, 13, 30, 5);
  FillStroke(cr, {80, 90, 40}, 1, kInk);
  for (int i = 0; i < 4; ++i) {  // cartridges looking out of the box
    const double x = 10 + i * 7;
    RoundRect(cr, x - 2, 4 + (i % 2), 4, 10, 2);
    FillStroke(cr, {220, 170, 60}, 1, kInk);
  }
  Text(cr, "AMMO", 20, 28, 7, {250, 230, 120}, 1);
  Glint(cr, 20, 16, f, 13);
}

void Money(cairo_t* cr, int f) {
  cairo_move_to(cr, 12, 10);
  cairo_curve_to(cr, 2, 16, 2, 33, 19, 33);
  cairo_curve_to(cr, 36, 33, 36, 16, 26, 10);
  cairo_close_path(cr);
  FillStroke(cr, {200, 170, 110}, 1.4, kInk);
  cairo_move_to(cr, 12, 10);
  cairo_line_to(cr, 15, 4);
  cairo_line_to(cr, 23, 4);
  cairo_line_to(cr, 26, 10);
  FillStroke(cr, {180, 150, 96}, 1.2, kInk);
  Text(cr, "$", 19, 28, 15, {40, 140, 50}, 1);
  Glint(cr, 19, 20, f, 13);
}

// A spiky flash of radius r (wider than high) round (cx, cy).
void Burst(cairo_t* cr, double cx, double cy, double r, int spikes, double turn, Rgb fill, Rgb edge) {
  cairo_move_to(cr, cx + r * 1.5 * std::cos(turn), cy + r * std::sin(turn));
  for (int i = 1; i < 2 * spikes; ++i) {
    const double a = turn + i * M_PI / spikes, rr = i % 2 ? r * 0.6 : r;
    cairo_line_to(cr, cx + std::cos(a) * rr * 1.5, cy + std::sin(a) * rr);
  }
  cairo_close_path(cr);
  FillStroke(cr, fill, 1.5, edge);
}

void Blast(cairo_t* cr, int f) {
  const double t = f / double(kBlastFrames - 1), cx = kBlastAnchorX, cy = kBlastAnchorY;
  const double r = 6 + 28 * std::sqrt(t);
  Burst(cr, cx, cy, r, 9, f * 0.4, t < 0.6 ? Rgb{255, 150, 40} : Rgb{220, 70, 30}, {150, 30, 20});
  if (t < 0.85) Burst(cr, cx, cy, r * 0.7, 7, -f * 0.3, {255, 230, 80}, {255, 150, 40});
  if (t < 0.5) {
    Ellipse(cr, cx, cy, r * 0.5, r * 0.35);
    FillStroke(cr, {255, 255, 230}, 0);
  }
  for (int i = 0; i < 6; ++i) {  // flying clods
    const double a = i * M_PI / 3 + 0.3, d = r * (0.8 + 0.5 * t);
    Ellipse(cr, cx + std::cos(a) * d * 1.4, cy + std::sin(a) * d * 0.9 - 10 * t, 2.5, 2);
    FillStroke(cr, {90, 64, 40}, 0);
  }
}

void Scorch(cairo_t* cr, double alpha) {
  Ellipse(cr, kFireAnchorX, kFireAnchorY, 30, 9);
  SetRgb(cr, {40, 34, 28}, alpha);
  cairo_fill(cr);
  Ellipse(cr, kFireAnchorX, kFireAnchorY, 18, 5);
  SetRgb(cr, {20, 16, 14}, alpha);
  cairo_fill(cr);
}

void Fire(cairo_t* cr, int f) {
  Scorch(cr, 1.0);
  for (int i = 0; i < 7; ++i) {
    const double x = kFireAnchorX - 24 + i * 8;
    const double h = 18 + 22 * (0.5 + 0.5 * std::sin(f * 0.9 + i * 1.7)) * (1 - std::fabs(i - 3) / 5.0);
    for (int layer = 0; layer < 2; ++layer) {
      const double w = layer ? 3.5 : 6.5, hh = layer ? h * 0.6 : h;
      cairo_move_to(cr, x - w, kFireAnchorY);
      cairo_curve_to(cr, x - w, kFireAnchorY - hh * 0.6, x + 2 * std::sin(f + i), kFireAnchorY - hh * 0.8,
                     x + 2 * std::sin(f * 1.3 + i), kFireAnchorY - hh);
      cairo_curve_to(cr, x + w * 0.5, kFireAnchorY - hh * 0.6, x + w, kFireAnchorY - hh * 0.3, x + w, kFireAnchorY);
      cairo_close_path(cr);
      SetRgb(cr, layer ? Rgb{255, 220, 70} : (i % 2 ? Rgb{240, 110, 30} : Rgb{220, 60, 30}));
      cairo_fill(cr);
    }
  }
}

void Smoke(cairo_t* cr, int f) {
  const double t = f / double(kSmokeFrames - 1);
  Scorch(cr, 1.0 - 0.7 * t);
  for (int i = 0; i < 6; ++i) {
    const double rise = (t * 30 + i * 7), x = kFireAnchorX - 20 + i * 8 + std::sin(i * 2.1 + t * 3) * 4;
    const double r = 6 + t * 8 + (i % 3) * 2;
    if (rise > 48) continue;
    Ellipse(cr, x, kFireAnchorY - 8 - rise, r, r * 0.8);
    const uint8_t g = uint8_t(90 + 110 * t);
    SetRgb(cr, {g, g, uint8_t(g + 6)}, 0.85 - 0.45 * t);
    cairo_fill(cr);
  }
}

// ------------------------------------------------------------ the announcer
void AnnouncerCard(cairo_t* cr, int f) {
  const double w = kAnnouncerW, h = kAnnouncerH;
  RoundRect(cr, 6, 6, w - 12, h - 12, 18);
  FillStroke(cr, {40, 110, 60}, 3, {250, 200, 40});
  Gradient(cr, 14, 80, w - 28, 120, {120, 180, 240}, {200, 230, 250});
  cairo_rectangle(cr, 14, 200, w - 28, 70);
  SetRgb(cr, {84, 166, 70});
  cairo_fill(cr);
  Text(cr, "JAVELIN", w / 2, 50, 34, {250, 200, 40}, 1, true);
  Text(cr, "CATCH", w / 2, 284, 30, {250, 250, 250}, 1, true);
  // Javelins raining down at an angle, moving with the frame.
  for (int i = 0; i < 3; ++i) {
    const double x = 60 + i * 85 + (i == 1 ? 10 : 0), y = 90 + std::fmod(f * 9.0 + i * 37, 90);
    Javelin(cr, x + 14, y + 40, x - 6, y - 12);
  }
  // The kangaroo with his arms up for the catch, and a bomb coming.
  Pose p;
  p.cheer = true;
  p.bounce = 6 * std::fabs(std::sin(f * M_PI / 6));
  p.mouth = 0.8;
  DrawCharacter(cr, 4, p, w / 2, 250, 110);
  cairo_save(cr);
  cairo_translate(cr, 210, 70 + f * 6);
  Bomb(cr, f % 5);
  cairo_restore(cr);
}

// ------------------------------------------------------------ the contestants
// The pose of animation a at phase t (0..1 through it).
Pose ContestantPose(int a, double t) {
  Pose p;
  const double once = std::sin(t * M_PI);
  switch (a) {
    case 0: {  // walking; the first frame stands
      const double s = std::sin(t * 2 * M_PI);
      p.leg[0] = 0.5 * s;
      p.leg[1] = -0.5 * s;
      p.knee[0] = s < 0 ? -0.5 * s : 0;
      p.knee[1] = s > 0 ? 0.5 * s : 0;
      p.arm[0] = -0.45 * s + 0.1;
      p.arm[1] = 0.45 * s - 0.1;
      p.elbow[0] = p.elbow[1] = 0.4;
      p.bounce = 2 * std::fabs(s);
      break;
    }
    case 1:
      p = ActionPose(Action::kKnockedDown, t);
      break;
    case 2:
      p = ActionPose(Action::kGettingUp, t);
      break;
    case 3:
      p = ActionPose(Action::kHit, t * 0.5);
      break;
    case 4:
      p = ActionPose(Action::kHit, t);
      p.lean *= 1.5;
      break;
    case 5:
      p = ActionPose(Action::kPunch, t);
      break;
    case 6:  // a swinging kick
      p.leg[0] = 1.4 * once;
      p.knee[0] = 0.6 * (1 - once);
      p.arm[0] = -0.6;
      p.arm[1] = 0.9 + 0.6 * once;
      p.elbow[1] = 1.2;
      p.lean = -0.25 * once;
      p.mouth = 0.9;
      break;
    case 7:
      p = ActionPose(Action::kThrow, t);
      break;
    case 8:  // bending down for something on the ground, and up again
      p.lean = 0.75 * once;
      p.arm[0] = 0.3 + 0.6 * once;
      p.arm[1] = 0.1 + 0.4 * once;
      p.knee[0] = p.knee[1] = 0.8 * once;
      p.leg[0] = 0.4 * once;
      p.leg[1] = 0.1 * once;
      p.bounce = -6 * once;
      p.mouth = 0.5;
      break;
    case 9:  // arms up for the catch, then a little jump of joy
      p.arm[0] = 2.2 + 0.6 * std::min(1.0, t * 2);
      p.arm[1] = -2.2 - 0.6 * std::min(1.0, t * 2);
      p.elbow[0] = p.elbow[1] = 0.3;
      p.bounce = 8 * once;
      p.mouth = 1.0;
      p.cheer = t > 0.5;
      break;
    default: {  // idle: shifting the weight, a look round
      const double s = std::sin(t * M_PI);
      p.bounce = 1.5 * s;
      p.arm[0] = 0.15 + 0.5 * s;
      p.elbow[0] = 1.2 * s;
      p.arm[1] = -0.15;
      p.leg[0] = 0.12 + 0.1 * s;
      p.mouth = 0.3 + 0.3 * s;
      break;
    }
  }
  return p;
}

// One contestant sheet in the layout of javelin_catch_data.h. The three
// directions to the left are the right ones mirrored (as the shared figure
// draws them), so they are copied rather than drawn again.
Bytes ContestantSheet(int ch) {
  const ContestantLayout& L = kLayouts[ch];
  std::vector<std::unique_ptr<Canvas>> frames(kContestantFrames);
  const double fx = kContestantAnchorX, fy = kContestantAnchorY, height = 62;
  for (int a = 0; a < 11; ++a) {
    const int n = L.framesPerDirection[a];
    for (int k = 0; k < n; ++k) {
      // The walk is a cycle; the others run from start to end.
      const double t = a == 0 ? double(k) / n : n > 1 ? double(k) / (n - 1) : 0.0;
      const Pose pose = ContestantPose(a, t);
      for (int d = 0; d <= 4; ++d) {
        auto c = std::make_unique<Canvas>(kContestantW, kContestantH);
        cairo_t* cr = c->cr();
        Ellipse(cr, fx, fy, 17, 5);  // the shadow on the grass
        SetRgb(cr, {40, 80, 36});
        cairo_fill(cr);
        Pose dp = pose;
        double turn = 0;
        bool mirrored = false;
        FacingOfDirection(d, &turn, &mirrored);
        // Lying and leaning show fully only from the side.
        if (a != 1 && a != 2) dp.lean *= std::max(0.35, std::fabs(std::sin(turn)));
        DrawCharacterFacing(cr, ch, dp, d, fx, fy, height);
        if (a == 9 && k >= 1) {  // the javelin held high
          const Hold hp = HoldPoint(ch, dp, fx, fy, height);
          Javelin(cr, hp.x + 30, hp.y - 4, hp.x - 30, hp.y + 2);
        }
        if (d >= 1 && d <= 3) {
          auto m = std::make_unique<Canvas>(kContestantW, kContestantH);
          cairo_t* mc = m->cr();
          cairo_translate(mc, 2 * fx, 0);
          cairo_scale(mc, -1, 1);
          cairo_set_source_surface(mc, c->surface(), 0, 0);
          cairo_paint(mc);
          frames[size_t(L.firstFrame[a] - 1 + n * (8 - d) + k)] = std::move(m);
        }
        frames[size_t(L.firstFrame[a] - 1 + n * d + k)] = std::move(c);
      }
    }
  }
  return OwnColourSheet(frames, kPlayerBandSize);
}

std::string JcdText(int ch) {
  const ContestantLayout& L = kLayouts[ch];
  std::string s;
  for (int v : L.animationOfSituation) s += std::to_string(v) + "\r\n";
  for (int v : L.firstFrame) s += std::to_string(v) + "\r\n";
  for (int v : L.framesPerDirection) s += std::to_string(v) + "\r\n";
  for (int v : {L.anchorX, L.anchorY, L.maxEnergy, L.speed}) s += std::to_string(v) + "\r\n";
  return s;
}

// ---------------------------------------------------------- the scenery set
// Everything drawn in the event palette, kept from the palette's making to
// the writing.
struct Scenery {
  Canvas back{kFieldW, kFieldH};   // ground and stands: behind the cannon
  Canvas front{kFieldW, kFieldH};  // the far boards: in front of it
  Canvas fence{kFenceW, kFenceH};
  std::vector<std::unique_ptr<Canvas>> cannon, objects, announcer;
};

std::unique_ptr<Scenery> g_scenery;

Scenery& DrawnScenery() {
  if (g_scenery) return *g_scenery;
  g_scenery = std::make_unique<Scenery>();
  Scenery& s = *g_scenery;
  DrawGround(s.back.cr());
  Stand(s.back.cr(), true);
  Stand(s.back.cr(), false);
  FarBoards(s.front.cr());
  NearFence(s.fence.cr(), -kFenceX, -kFenceY);
  for (int f = 1; f <= kCannonFrames; ++f) {
    auto c = std::make_unique<Canvas>(kCannonW, kCannonH);
    cairo_t* cr = c->cr();
    cairo_set_source_surface(cr, s.back.surface(), -kCannonX, -kCannonY);
    cairo_paint(cr);
    Cannon(cr, kCannonBaseX - kCannonX, kCannonBaseY - kCannonY, f == kCannonIdleFrame ? 0 : f);
    cairo_set_source_surface(cr, s.front.surface(), -kCannonX, -kCannonY);
    cairo_paint(cr);
    s.cannon.push_back(std::move(c));
  }
  auto obj = [&](int w, int h) -> cairo_t* {
    s.objects.push_back(std::make_unique<Canvas>(w, h));
    return s.objects.back()->cr();
  };
  {
    const ObjectKind& k = kObjectKinds[0];
    Javelin(obj(k.w, k.h), k.anchorX, k.anchorY, 30, 8);
  }
  for (int f = 0; f < kBombFrames; ++f) Bomb(obj(kObjectKinds[1].w, kObjectKinds[1].h), f);
  for (int f = 0; f < kJuiceFrames; ++f) Juice(obj(kObjectKinds[2].w, kObjectKinds[2].h), f);
  for (int f = 0; f < kBlastFrames; ++f) Blast(obj(kBlastW, kBlastH), f);
  for (int f = 0; f < kFireFrames; ++f) Fire(obj(kFireW, kFireH), f);
  for (int f = 0; f < kSmokeFrames; ++f) Smoke(obj(kFireW, kFireH), f);
  {
    cairo_t* cr = obj(kShadowW, kShadowH);
    Ellipse(cr, kShadowW / 2.0, kShadowH / 2.0, 9, 4);
    SetRgb(cr, {30, 50, 30});
    cairo_fill(cr);
  }
  for (int f = 0; f < kAmmoFrames; ++f) Ammo(obj(kObjectKinds[3].w, kObjectKinds[3].h), f);
  for (int f = 0; f < kMoneyFrames; ++f) Money(obj(kObjectKinds[4].w, kObjectKinds[4].h), f);
  if (int(s.objects.size()) != kObjectsFrames) throw std::runtime_error("the objects picture's frames");
  for (int f = 0; f < kAnnouncerFrames; ++f) {
    s.announcer.push_back(std::make_unique<Canvas>(kAnnouncerW, kAnnouncerH));
    AnnouncerCard(s.announcer.back()->cr(), f);
  }
  return s;
}

// The event palette as the status picture carries it.
Palette StatusPalette(Output& out) {
  std::vector<uint8_t> bytes;
  BmpImage img;
  const std::string path = out.Dir(Root::Data) + "/" + DiskName(kStatusPicture);
  if (!ReadPictureFile(path, &bytes) || !DecodeBmp(bytes.data(), bytes.size(), &img) || !img.palettised)
    throw std::runtime_error("JAVELIN CATCH needs the status picture written first");
  Palette pal{};
  for (int i = 0; i < 256; ++i) pal[i] = {img.palette[i].red, img.palette[i].green, img.palette[i].blue};
  return pal;
}

// ------------------------------------------------------------------ sounds
void Wav(Output& out, Root root, const std::string& path, const Samples& s, int bits = 16) {
  // A file another event shares is written by the first that makes it.
  if (!out.Has(root, path)) out.Write(root, path, EncodeWav(ToPcm(s), kRate, bits));
}

void JavelinSounds(Output& out) {
  const Root D = Root::Data, P = Root::Program;
  {
    Samples boom = Noise(0.8, 0.9, 191, 0.55);
    Envelope(boom, 0.002, 0.7);
    Samples low = Sweep(120, 40, 0.6, 0, 0.9);
    Envelope(low, 0.002, 0.5);
    MixInto(boom, low, 0);
    Wav(out, D, kEventSoundFiles[0].path, boom, 8);
  }
  {
    Samples whistle = Sweep(1700, 500, 1.1, 0, 0.28);
    Envelope(whistle, 0.05, 0.15);
    Wav(out, D, kEventSoundFiles[1].path, whistle, 8);
  }
  {
    Samples cheer = Noise(1.8, 0.45, 197, 0.75);
    Envelope(cheer, 0.08, 0.7);
    for (int k = 0; k < 6; ++k) {
      Samples whoop = Sweep(500 + 60 * k, 900 + 70 * k, 0.25, 3, 0.12);
      Envelope(whoop, 0.02, 0.1);
      MixInto(cheer, whoop, 0.1 + 0.2 * k);
    }
    Wav(out, P, "sounds\\cheer2.wav", cheer, 8);
  }
  {
    Samples a = Tone(1200, 0.2, 1, 0.2);
    Append(a, Speak("Javelin catch! Catch the javelins, and run from the bombs!", 6));
    Wav(out, D, kEventSoundFiles[11].path, a);
  }
  // The rest of the event's sounds are shared and written by the events
  // before; make any that is still missing.
  for (const JavelinFile& f : kEventSoundFiles) {
    const Root root = f.inProgramDir ? P : D;
    if (out.Has(root, f.path)) continue;
    Samples s = Sweep(600, 900, 0.3, 1, 0.3);
    Envelope(s, 0.01, 0.1);
    Wav(out, root, f.path, s, 8);
  }
  static const char* const kBombCalls[3] = {"Yikes!", "My hair!", "Ow ow ow!"};
  static const char* const kJavelinCalls[3] = {"Got it!", "Mine!", "Too easy!"};
  for (int c = 0; c < kCharacters; ++c) {
    for (int n = 1; n <= kCalls; ++n) {
      Wav(out, D, std::string("extra\\javelin\\") + kCallTag[c] + "bomb" + std::to_string(n) + ".wav",
          Speak(kBombCalls[n - 1], c));
      Wav(out, D, std::string("extra\\javelin\\") + kCallTag[c] + "jav0" + std::to_string(n) + ".wav",
          Speak(kJavelinCalls[n - 1], c));
    }
    for (const char* kind : kVoiceKind) {  // FIGURE SKATING makes these; only if it has not
      const std::string path = std::string("sounds\\") + kVoiceTag[c] + "_" + kind + ".wav";
      Wav(out, D, path, Hit(200 + 30 * c, uint32_t(300 + c)));
    }
  }
}

}  // namespace

void AddJavelinColours(ColourHistogram* hist) {
  Scenery& s = DrawnScenery();
  for (Canvas* c : {&s.back, &s.front}) {
    c->Flush();
    hist->Add(*c, 3);
  }
  s.fence.Flush();
  hist->Add(s.fence, 2);
  for (auto* set : {&s.cannon, &s.objects, &s.announcer})
    for (auto& c : *set) {
      c->Flush();
      hist->Add(*c, set == &s.objects ? 1 : 3);
    }
}

void GenerateJavelin(Output& out) {
  // The contestant sheets take the longest: one thread each, beside the rest.
  std::vector<Bytes> sheets(kCharacters);
  std::vector<std::thread> workers;
  for (int c = 0; c < kCharacters; ++c) workers.emplace_back([c, &sheets] { sheets[c] = ContestantSheet(c); });

  const Root D = Root::Data;
  Scenery& s = DrawnScenery();
  const Palette pal = StatusPalette(out);
  Quantizer q(pal, kFieldFirst, kFieldFirst + kFieldCount - 2);  // 2..118: not the texts' green
  {
    Canvas field(kFieldW, kFieldH);
    cairo_t* cr = field.cr();
    cairo_set_source_surface(cr, s.back.surface(), 0, 0);
    cairo_paint(cr);
    cairo_set_source_surface(cr, s.cannon[kCannonIdleFrame - 1]->surface(), kCannonX, kCannonY);
    cairo_paint(cr);
    cairo_set_source_surface(cr, s.front.surface(), 0, 0);
    cairo_paint(cr);
    cairo_set_source_surface(cr, s.fence.surface(), kFenceX, kFenceY);
    cairo_paint(cr);
    out.Write(D, kFieldPicture, EncodePkc(EncodeTilePicture(q.Reduce(field, false), pal)));
  }
  auto sprite = [&](const char* path, const std::vector<std::unique_ptr<Canvas>>& frames, bool keyed) {
    std::vector<MbmFrame> f;
    for (auto& c : frames) f.push_back({"", q.Reduce(*c, keyed)});
    out.Write(D, path, EncodePkc(EncodeMbm(f, pal)));
  };
  out.Write(D, kFenceSprite, EncodeMbm({{"", q.Reduce(s.fence)}}, pal));
  sprite(kCannonSprite, s.cannon, false);
  {
    // The smoke takes only the palette's plain greys: the nearest colour of
    // any tint turned its puffs purple, green and blue by turns as they
    // thinned.
    std::vector<int> greys;
    for (int i = kFieldFirst; i <= kFieldFirst + kFieldCount - 2; ++i)
      if (IsSmokeGrey(pal[i].r, pal[i].g, pal[i].b)) greys.push_back(i);
    Quantizer smoke(pal, 1, 0, greys);
    std::vector<MbmFrame> f;
    for (size_t i = 0; i < s.objects.size(); ++i) {
      const int frame = int(i) + 1;
      const bool isSmoke = frame >= kSmokeFirst && frame < kSmokeFirst + kSmokeFrames;
      f.push_back({"", (isSmoke ? smoke : q).Reduce(*s.objects[i], true)});
    }
    out.Write(D, kObjectsSprite, EncodePkc(EncodeMbm(f, pal)));
  }
  sprite(kAnnouncerSprite, s.announcer, true);
  Image8 swatch{16, 16, std::vector<uint8_t>(256)};
  for (int i = 0; i < 256; ++i) swatch.px[i] = uint8_t(i);
  out.Write(D, kPalettePicture, EncodeBmp8(swatch, pal));
  g_scenery.reset();

  JavelinSounds(out);
  for (std::thread& w : workers) w.join();
  for (int c = 0; c < kCharacters; ++c) {
    out.Write(D, kContestantSprite[c], sheets[c]);
    const std::string jcd = JcdText(c);
    out.Write(D, kJcdFile[c], Bytes(jcd.begin(), jcd.end()));
  }
}

}  // namespace assetgen
