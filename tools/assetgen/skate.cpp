// FULL CONTACT FIGURE SKATING: the event palette and status band, the rink
// as a tile picture, the near boards, the title card, stars, icons, the six
// thrown weapons, the six skater sheets with their .skd files, and the
// event's sounds. Sizes and layouts come from figure_skating_data.h.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "graphics/mbm_writer.h"
#include "tools/assetgen/audio.h"
#include "tools/assetgen/draw.h"
#include "tools/assetgen/gen.h"
#include "tools/assetgen/scenes.h"

namespace assetgen {

using namespace skateassets;

namespace {

const Rgb kInk{24, 18, 14};
// The rink's projection (rink units to picture pixels).
constexpr double kCos = 0.917060, kSin = 0.398749;
constexpr double kWallHeight = 22;

struct Pt {
  double x, y;
};
Pt Pic(double x, double y) { return {kCos * (x + y) + 345, kSin * (x - y) + 390}; }

// Draws in rink coordinates from here on (until cairo_restore).
void RinkMatrix(cairo_t* cr, double dx = 0, double dy = 0) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, kCos, kSin, kCos, -kSin, 345 - dx, 390 - dy);
  cairo_transform(cr, &m);
}

// The rink's outline in rink units, counter-clockwise from the middle of the
// y = 0 side, with the outward normal at each point.
struct Edge {
  double x, y, nx, ny;
};
std::vector<Edge> Outline() {
  std::vector<Edge> e;
  const double r = 80;
  auto side = [&](double x0, double y0, double x1, double y1, double nx, double ny) {
    for (int i = 0; i < 16; ++i) {
      double k = i / 16.0;
      e.push_back({x0 + (x1 - x0) * k, y0 + (y1 - y0) * k, nx, ny});
    }
  };
  auto arc = [&](double cx, double cy, double a0) {
    for (int i = 0; i < 12; ++i) {
      double a = a0 + (M_PI / 2) * i / 12.0;
      e.push_back({cx + r * std::cos(a), cy + r * std::sin(a), std::cos(a), std::sin(a)});
    }
  };
  side(80, 0, 445, 0, 0, -1);
  arc(445, 80, -M_PI / 2);
  side(525, 80, 525, 265, 1, 0);
  arc(445, 265, 0);
  side(445, 345, 80, 345, 0, 1);
  arc(80, 265, M_PI / 2);
  side(0, 265, 0, 80, -1, 0);
  arc(80, 80, M_PI);
  return e;
}

void RoundedRink(cairo_t* cr, double inset) {
  const double r = 80 - inset;
  cairo_new_sub_path(cr);
  cairo_arc(cr, 445, 80, r, -M_PI / 2, 0);
  cairo_arc(cr, 445, 265, r, 0, M_PI / 2);
  cairo_arc(cr, 80, 265, r, M_PI / 2, M_PI);
  cairo_arc(cr, 80, 80, r, M_PI, 1.5 * M_PI);
  cairo_close_path(cr);
}

// The boards along the outline: the near ones (whose outward side faces the
// viewer) or the far ones, `dx`, `dy` the picture position of the canvas.
void Boards(cairo_t* cr, bool nearSide, double dx, double dy) {
  std::vector<Edge> e = Outline();
  for (size_t i = 0; i < e.size(); ++i) {
    const Edge& a = e[i];
    const Edge& b = e[(i + 1) % e.size()];
    const double facing = (a.nx + b.nx) - (a.ny + b.ny);  // > 0: towards the viewer
    if ((facing > 0) != nearSide) continue;
    Pt p = Pic(a.x, a.y), q = Pic(b.x, b.y);
    p.x -= dx, p.y -= dy, q.x -= dx, q.y -= dy;
    cairo_move_to(cr, p.x, p.y);
    cairo_line_to(cr, q.x, q.y);
    cairo_line_to(cr, q.x, q.y - kWallHeight);
    cairo_line_to(cr, p.x, p.y - kWallHeight);
    cairo_close_path(cr);
    // Advertising panels in turn along the boards.
    const int panel = int(i / 4) % 4;
    static const Rgb kPanels[4] = {{250, 250, 250}, {220, 40, 40}, {250, 250, 250}, {40, 90, 200}};
    SetRgb(cr, nearSide ? kPanels[panel] : Rgb{236, 240, 248});
    cairo_fill_preserve(cr);
    SetRgb(cr, {150, 160, 180});
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    // The yellow top rail.
    cairo_move_to(cr, p.x, p.y - kWallHeight);
    cairo_line_to(cr, q.x, q.y - kWallHeight);
    SetRgb(cr, {250, 200, 40});
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
  }
}

// The corner post in front of the left end of the rink.
void Post(cairo_t* cr, double x, double y) {
  cairo_rectangle(cr, x + 10, y + 20, 8, 80);
  FillStroke(cr, {200, 200, 210}, 1.2);
  cairo_move_to(cr, x + 18, y + 22);
  cairo_line_to(cr, x + 27, y + 28);
  cairo_line_to(cr, x + 18, y + 34);
  cairo_close_path(cr);
  FillStroke(cr, {220, 40, 40}, 1);
  Ellipse(cr, x + 14, y + 18, 5, 5);
  FillStroke(cr, {250, 200, 40}, 1);
}

void Arena(cairo_t* cr, double w, double h) {
  cairo_rectangle(cr, 0, 0, w, h);
  SetRgb(cr, {34, 30, 64});
  cairo_fill(cr);
  // Rows of spectators all round: a repeating pattern of heads and shirts.
  static const Rgb kShirts[6] = {{200, 50, 50}, {50, 110, 200}, {230, 190, 50}, {60, 160, 80}, {200, 100, 180}, {220, 220, 220}};
  for (int row = 0; row < int(h / 24); ++row) {
    double y = 12 + row * 24;
    SetRgb(cr, row % 2 ? Rgb{46, 40, 84} : Rgb{52, 46, 94});
    cairo_rectangle(cr, 0, y + 8, w, 12);
    cairo_fill(cr);
    for (int i = 0; i < int(w / 16); ++i) {
      double x = 8 + i * 16 + (row % 2) * 8;
      int k = (i + row * 2) % 6;
      cairo_rectangle(cr, x - 5, y + 4, 10, 10);
      SetRgb(cr, kShirts[k]);
      cairo_fill(cr);
      Ellipse(cr, x, y, 4, 4);
      SetRgb(cr, (i + row) % 3 ? Rgb{236, 190, 150} : Rgb{150, 100, 60});
      cairo_fill(cr);
    }
  }
}

void Ice(cairo_t* cr) {
  cairo_save(cr);
  RinkMatrix(cr);
  RoundedRink(cr, 0);
  SetRgb(cr, {226, 238, 250});
  cairo_fill(cr);
  RoundedRink(cr, 4);
  SetRgb(cr, {206, 224, 244});
  cairo_set_line_width(cr, 6);
  cairo_stroke(cr);
  // Lines and circles.
  cairo_set_line_width(cr, 4);
  for (double x : {175.0, 350.0}) {
    cairo_move_to(cr, x, 0);
    cairo_line_to(cr, x, 345);
    SetRgb(cr, {60, 100, 210});
    cairo_stroke(cr);
  }
  cairo_move_to(cr, 262.5, 0);
  cairo_line_to(cr, 262.5, 345);
  SetRgb(cr, {210, 50, 50});
  cairo_stroke(cr);
  cairo_arc(cr, 262.5, 172.5, 46, 0, 2 * M_PI);
  SetRgb(cr, {60, 100, 210});
  cairo_stroke(cr);
  for (double cx : {100.0, 425.0})
    for (double cy : {95.0, 250.0}) {
      cairo_new_sub_path(cr);
      cairo_arc(cr, cx, cy, 30, 0, 2 * M_PI);
      SetRgb(cr, {210, 50, 50});
      cairo_stroke(cr);
    }
  // Skate marks.
  cairo_set_line_width(cr, 1.5);
  for (int i = 0; i < 14; ++i) {
    double x = 60 + std::fmod(i * 97.0, 400), y = 40 + std::fmod(i * 61.0, 260);
    cairo_move_to(cr, x, y);
    cairo_curve_to(cr, x + 30, y + 10, x + 50, y - 20, x + 80, y + 5);
    SetRgb(cr, {196, 214, 236});
    cairo_stroke(cr);
  }
  cairo_restore(cr);
  // The event's name painted on the ice.
  cairo_save(cr);
  RinkMatrix(cr);
  cairo_translate(cr, 262.5, 172.5);
  cairo_scale(cr, 1, -1);
  Text(cr, "FULL CONTACT", 0, -8, 26, {120, 150, 210}, 1);
  cairo_restore(cr);
}

// ---------------------------------------------------------------- skaters

// The pose of animation n at phase k (0 .. 1) of one direction.
Pose SkaterPose(int n, double k, bool* lying, double* fall) {
  Pose p;
  *lying = false;
  *fall = 0;
  const double s = std::sin(k * 2 * M_PI);
  switch (n) {
    case 0:  // glide: push off from one foot, then the other
      p.lean = 0.3;
      p.leg[0] = 0.15 + 0.5 * std::max(0.0, s);
      p.leg[1] = -0.15 - 0.5 * std::max(0.0, -s);
      p.knee[0] = p.knee[1] = 0.35;
      p.arm[0] = -0.5 * s + 0.3;
      p.arm[1] = 0.5 * s - 0.3;
      p.mouth = 0.3;
      break;
    case 1:  // falling flat and lying there
      *lying = true;
      *fall = std::min(1.0, k * 2.0);
      p.arm[0] = 2.2;
      p.arm[1] = -2.2;
      p.leg[0] = 0.5;
      p.leg[1] = -0.4;
      p.mouth = 0.9;
      break;
    case 2:  // getting up
      *lying = true;
      *fall = 1.0 - k;
      p.arm[0] = 1.2;
      p.arm[1] = -1.2;
      p.knee[0] = p.knee[1] = 0.8 * (1 - k);
      p.mouth = 0.4;
      break;
    case 3:  // staggering after a blow
      p.lean = -0.35 + 0.25 * s;
      p.arm[0] = 2.3 + 0.5 * s;
      p.arm[1] = -2.3 + 0.5 * s;
      p.leg[0] = 0.4;
      p.leg[1] = -0.1;
      p.mouth = 1.0;
      break;
    case 4:  // a punch
      p.lean = 0.25;
      p.arm[0] = 0.3 + 1.35 * std::sin(k * M_PI);
      p.elbow[0] = 0.9 * (1 - std::sin(k * M_PI));
      p.arm[1] = -0.6;
      p.leg[0] = 0.3;
      p.leg[1] = -0.3;
      p.mouth = 0.8;
      break;
    case 5:  // the kick that follows
      p.lean = -0.2;
      p.leg[0] = 0.2 + 1.4 * std::sin(k * M_PI);
      p.arm[0] = 1.6;
      p.arm[1] = -1.4;
      p.mouth = 0.9;
      break;
    case 6:  // the throw: wind back, then let go
      p.lean = 0.2 * (k - 0.5);
      p.arm[0] = k < 0.5 ? -0.4 - 1.6 * k : -1.2 + 4.2 * (k - 0.5);
      p.elbow[0] = 0.4;
      p.arm[1] = -0.5;
      p.leg[0] = 0.35;
      p.leg[1] = -0.25;
      p.mouth = k > 0.5 ? 0.9 : 0.4;
      break;
    case 7:  // standing: a little sway
      p.arm[0] = 0.35 + 0.1 * s;
      p.arm[1] = -0.35 - 0.1 * s;
      p.bounce = 1.5 * std::max(0.0, s);
      p.mouth = 0.2;
      break;
    default: {  // the three jumps: higher and with more turns each
      const int j = n - 8;
      const double lift = std::sin(k * M_PI);
      p.bounce = (28 + 12 * j) * lift;
      p.turn = 1.2 * std::sin(2 * M_PI * (j + 1) * k);  // a spin that never shows the back
      p.arm[0] = j == 2 ? 2.8 : 1.0 - 0.6 * lift;
      p.arm[1] = j == 2 ? -2.8 : -1.0 + 0.6 * lift;
      p.elbow[0] = p.elbow[1] = j == 2 ? 0.2 : 1.2;
      p.leg[0] = 0.2 * lift;
      p.leg[1] = -0.2 * lift;
      p.knee[0] = p.knee[1] = 0.9 * lift;
      p.cheer = j == 2 && k > 0.8;
      p.mouth = 0.6;
      break;
    }
  }
  return p;
}

// The facing of rink direction d as the body's turn, and whether the frame
// is drawn mirrored (the directions to the screen's left).
double TurnOf(int d, bool* mirrored) {
  // The figure is drawn from the front only: skating away from the viewer
  // shows a turned-away profile rather than the back.
  static const double kTurn[8] = {1.25, 1.4, M_PI / 2, 0.8, 0, 0.8, M_PI / 2, 1.4};
  *mirrored = d >= 5;
  return kTurn[d & 7];
}

void DrawSkaterFrame(cairo_t* cr, int ch, int n, int d, double k) {
  const double footX = kSkaterW / 2.0, footY = 78, height = 44;
  bool lying = false, mirrored = false;
  double fall = 0;
  Pose p = SkaterPose(n, k, &lying, &fall);
  const double baseTurn = TurnOf(d, &mirrored);
  p.turn = std::clamp(p.turn + baseTurn, -M_PI / 2, M_PI / 2);
  if (lying) p.turn = d == 0 || d == 4 ? 0.4 : M_PI / 2;  // flat on the ice, seen from the side
  // The shadow stays on the ice whatever the skater does.
  Ellipse(cr, footX, footY - 1, lying ? 24 : 14, 4);
  SetRgb(cr, {150, 170, 200});
  cairo_fill(cr);
  cairo_save(cr);
  if (mirrored) {
    cairo_translate(cr, kSkaterW, 0);
    cairo_scale(cr, -1, 1);
  }
  if (lying) {
    cairo_translate(cr, footX, footY - (height / 2) * (1 - fall) - 6 * fall);
    cairo_rotate(cr, -M_PI / 2 * fall);
    DrawCharacter(cr, ch, p, 0, height / 2, height);
  } else {
    DrawCharacter(cr, ch, p, footX, footY, height);
    // The blades under the feet.
    const double lift = p.bounce * height / 100.0;
    cairo_move_to(cr, footX - 9, footY + 1 - lift);
    cairo_line_to(cr, footX + 11, footY + 1 - lift);
    SetRgb(cr, {90, 96, 110});
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
  }
  cairo_restore(cr);
}

struct SkaterSheet {
  std::vector<MbmFrameSpec> frames;
  std::vector<uint8_t> palette;  // 1024 bytes
};

// One character's sheet, frame by frame from its layout.
SkaterSheet MakeSkaterSheet(int ch) {
  const SkaterLayout& L = LayoutOf(ch);
  std::vector<std::unique_ptr<Canvas>> canvases;
  for (int f = 1; f <= kSkaterFrames; ++f) {
    canvases.push_back(std::make_unique<Canvas>(kSkaterW, kSkaterH));
    cairo_t* cr = canvases.back()->cr();
    int anim = 7, dir = 4;
    double k = 0;
    bool found = false;
    for (int n = 0; n < 11 && !found; ++n) {
      const int first = L.firstFrame[n], count = L.framesPerDirection[n];
      if (f >= first && f < first + 8 * count) {
        anim = n;
        dir = (f - first) / count;
        k = double((f - first) % count) / count;
        found = true;
      }
    }
    for (int j = 0; j < 3 && !found; ++j)
      if (L.leadIn[j] && f >= L.leadIn[j] && f < L.leadIn[j] + 17) {
        // ZOVI gathers himself for the jump.
        Pose p;
        p.knee[0] = p.knee[1] = 0.9;
        p.lean = 0.3;
        p.arm[0] = -0.8;
        p.arm[1] = 0.8;
        p.bounce = -6;
        bool mirrored = false;
        p.turn = TurnOf((f - L.leadIn[j]) % 8, &mirrored);
        Ellipse(cr, kSkaterW / 2.0, 77, 14, 4);
        SetRgb(cr, {150, 170, 200});
        cairo_fill(cr);
        DrawCharacter(cr, ch, p, kSkaterW / 2.0, 78, 44);
        found = true;
        anim = -1;
      }
    if (anim >= 0) DrawSkaterFrame(cr, ch, anim, dir, k);
  }
  // The character's 32 colours, in entries 2..33 of the sheet's palette.
  ColourHistogram hist;
  for (auto& c : canvases) {
    c->Flush();
    hist.Add(*c, 2);
  }
  hist.AddColour(kInk, 1u << 22);
  Palette pal{};
  pal[1] = kKeyColour;
  FillPalette(&pal, kGeneralFirst, hist.MedianCut(32));
  Quantizer q(pal, kGeneralFirst, kGeneralLast, {});
  SkaterSheet sheet;
  for (auto& c : canvases) {
    Image8 img = q.Reduce(*c);
    MbmFrameSpec spec;
    spec.width = img.w;
    spec.height = img.h;
    spec.pixels = std::move(img.px);
    spec.runLength = true;
    sheet.frames.push_back(std::move(spec));
  }
  sheet.palette.resize(1024);
  for (int i = 0; i < 256; ++i) {
    sheet.palette[4 * i] = pal[i].b;
    sheet.palette[4 * i + 1] = pal[i].g;
    sheet.palette[4 * i + 2] = pal[i].r;
  }
  return sheet;
}

std::string SkdText(int ch) {
  const SkaterLayout& L = LayoutOf(ch);
  std::string s;
  for (int v : L.animationOfAction) s += std::to_string(v) + "\r\n";
  for (int v : L.firstFrame) s += std::to_string(v) + "\r\n";
  for (int v : L.framesPerDirection) s += std::to_string(v) + "\r\n";
  for (int v : {L.anchorX, L.anchorY, L.maxEnergy, kTopSpeed[ch]}) s += std::to_string(v) + "\r\n";
  return s;
}

// ---------------------------------------------------------------- weapons

// The screen angle of rink direction d.
double ScreenAngle(int d) {
  static const int kDx[8] = {-1, 0, 1, 1, 1, 0, -1, -1}, kDy[8] = {1, 1, 1, 0, -1, -1, -1, 0};
  return std::atan2(kSin * (kDx[d] - kDy[d]), kCos * (kDx[d] + kDy[d]));
}

void Weapon(cairo_t* cr, int ch, double cx, double cy, double size, double spin, int d, int f) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  const double u = size / 40.0;
  cairo_scale(cr, u, u);
  switch (ch) {
    case 0:  // a slice of pizza
      cairo_rotate(cr, spin);
      cairo_move_to(cr, -14, -10);
      cairo_line_to(cr, 14, -10);
      cairo_line_to(cr, 0, 15);
      cairo_close_path(cr);
      FillStroke(cr, {250, 200, 60}, 1.5);
      cairo_rectangle(cr, -15, -13, 30, 5);
      FillStroke(cr, {190, 120, 50}, 1.2);
      for (int i = 0; i < 3; ++i) {
        Ellipse(cr, -5 + 5 * i, -3 + 5 * (i % 2), 2.6, 2.6);
        FillStroke(cr, {200, 40, 40}, 0);
      }
      break;
    case 1:  // a banana
      cairo_rotate(cr, spin);
      cairo_arc(cr, 0, -6, 16, 0.3, M_PI - 0.3);
      cairo_arc_negative(cr, 0, -12, 17, M_PI - 0.4, 0.4);
      cairo_close_path(cr);
      FillStroke(cr, {250, 220, 50}, 1.5);
      break;
    case 2:  // a dumbbell
      cairo_rotate(cr, spin);
      cairo_rectangle(cr, -12, -2, 24, 4);
      FillStroke(cr, {150, 150, 160}, 1);
      for (double x : {-13.0, 9.0}) {
        RoundRect(cr, x, -9, 5, 18, 1.5);
        FillStroke(cr, {60, 60, 70}, 1.2);
      }
      break;
    case 3:  // a dagger, point first, turning about its length
      cairo_rotate(cr, ScreenAngle(d));
      cairo_scale(cr, 1, 0.4 + 0.6 * std::fabs(std::cos(spin)));
      cairo_move_to(cr, -2, -3);
      cairo_line_to(cr, 15, 0);
      cairo_line_to(cr, -2, 3);
      cairo_close_path(cr);
      FillStroke(cr, {220, 224, 236}, 1);
      cairo_rectangle(cr, -12, -2, 10, 4);
      FillStroke(cr, {130, 80, 40}, 1);
      cairo_rectangle(cr, -3, -6, 2, 12);
      FillStroke(cr, {240, 200, 60}, 0.8);
      break;
    case 4:  // a boomerang
      cairo_rotate(cr, spin);
      cairo_move_to(cr, -15, 8);
      cairo_line_to(cr, 0, -8);
      cairo_line_to(cr, 15, 8);
      cairo_line_to(cr, 10, 10);
      cairo_line_to(cr, 0, -1);
      cairo_line_to(cr, -10, 10);
      cairo_close_path(cr);
      FillStroke(cr, {170, 100, 40}, 1.5);
      break;
    default: {  // ZOVI's flying saucer, tilted the way it flies, lights running round
      cairo_rotate(cr, 0.25 * std::cos(ScreenAngle(d)));
      Ellipse(cr, 0, 0, 17, 6);
      FillStroke(cr, {180, 190, 210}, 1.2);
      Ellipse(cr, 0, -5, 7, 5);
      FillStroke(cr, {120, 220, 120}, 1);
      for (int i = 0; i < 5; ++i) {
        Ellipse(cr, -12 + 6 * i, 1.5, 1.4, 1.4);
        SetRgb(cr, (i == f % 5) ? Rgb{250, 240, 80} : Rgb{220, 60, 60});
        cairo_fill(cr);
      }
      break;
    }
  }
  cairo_restore(cr);
}

// ---------------------------------------------------------------- sounds

void Wav(Output& out, Root root, const std::string& path, const Samples& s, int bits = 16) {
  out.Write(root, path, EncodeWav(ToPcm(s), kRate, bits));
}

Samples Thump(double pitch) {
  Samples s = Sweep(pitch, pitch * 0.4, 0.22, 0, 0.9);
  Envelope(s, 0.002, 0.18);
  return s;
}

void SkatingSounds(Output& out) {
  const Root P = Root::Program, D = Root::Data;
  auto root = [&](const SkateFile& f) { return f.inProgramDir ? P : D; };
  Samples skate = Whoosh(0.5, 71, 0.5, 0.3);
  Wav(out, root(kSkatingSound), kSkatingSound.path, skate, 8);
  Samples crowd = Noise(4.0, 0.3, 72, 0.85);
  Envelope(crowd, 0.3, 0.3);
  Wav(out, root(kCrowdSound), kCrowdSound.path, crowd, 8);
  Wav(out, root(kBeepSound), kBeepSound.path, Tone(1200, 0.15, 1, 0.3));
  // The power pill, the cheer and the boo are the other events' own.
  Samples ann = Tone(2400, 0.3, 1, 0.2);
  Append(ann, Speak("Full contact figure skating! Skaters, take the ice!", 6));
  Wav(out, root(kAnnouncerSound), kAnnouncerSound.path, ann);
  static const char* const kSpecial[6][5] = {
      {"Look at me glide!", "Belly flop!", "Ta-da!", "Hot dog!", "Twirl!"},
      {"Ook ook!", "Monkey spin!", "Banana split!", "Ape-tastic!", "Whee!"},
      {"Perfect form!", "Admire me!", "Ten points!", "Flawless!", "Pure muscle!"},
      {"Jungle grace!", "Like a panther!", "Hai-yah!", "Too easy!", "Watch this!"},
      {"Boing boing!", "Kanga-leap!", "G'day, ice!", "Hop to it!", "Bonzer!"},
      {"Zero gravity!", "Earthlings, watch!", "Beam me up!", "Orbit!", "Warp speed!"}};
  for (int c = 0; c < kCharacters; ++c) {
    const std::string tag = kSoundTag[c];
    for (int i = 0; i < 6; ++i) {
      Samples s;
      switch (i) {
        case 0: s = Sweep(420 - 30 * c, 200, 0.25, 3, 0.5); break;    // a grunt of pain
        case 1: s = Sweep(700 - 40 * c, 120, 0.6, 3, 0.5); MixInto(s, Thump(90), 0.45); break;
        case 2: s = Whoosh(0.3, uint32_t(80 + c), 0.5, 0.3); break;
        case 3: s = Sweep(260 + 40 * c, 520 + 30 * c, 0.18, 1, 0.35); Envelope(s, 0.01, 0.08); break;
        case 4: s = c == 5 ? Tone(180, 0.6, 3, 0.3) : Whoosh(0.25, uint32_t(90 + c), 0.5, 0.3); break;
        default: s = Thump(70 + 8 * c); break;
      }
      // The characters' voices are shared with other events: the first made stands.
      const std::string voice = "sounds\\" + tag + "_" + kSoundKind[i] + ".wav";
      if (!out.Has(D, voice)) Wav(out, D, voice, s);
    }
    for (int k = 0; k < kSpecialSounds; ++k)
      Wav(out, D, std::string("extra\\skate\\") + kSpecialTag[c] + "spec" + std::to_string(k + 1) + ".wav",
          Speak(kSpecial[c][k], c));
  }
}

Bytes RawMbm(const std::vector<std::unique_ptr<Canvas>>& frames, Quantizer& q, const Palette& pal, bool keyed) {
  std::vector<MbmFrame> out;
  for (auto& f : frames) out.push_back({"", q.Reduce(*f, keyed)});
  return EncodeMbm(out, pal);
}

}  // namespace

void GenerateSkating(Output& out) {
  // The six skater sheets take the longest: one thread each.
  std::vector<SkaterSheet> skaters(kCharacters);
  std::vector<std::thread> workers;
  for (int c = 0; c < kCharacters; ++c) workers.emplace_back([c, &skaters] { skaters[c] = MakeSkaterSheet(c); });

  // Pictures in the event palette.
  Canvas rink(kRinkPictureW, kRinkPictureH);
  Canvas front(kFenceFrontW, kFenceFrontH);
  Canvas status(kStatusW, kStatusH);
  {
    cairo_t* cr = rink.cr();
    Arena(cr, kRinkPictureW, kRinkPictureH);
    Ice(cr);
    Boards(cr, false, 0, 0);
    Boards(cr, true, 0, 0);
    Post(cr, kFencePostX, kFencePostY);
    Boards(front.cr(), true, kFenceFrontX, kFenceFrontY);
    DrawStatusBand(status.cr(), kStatusW, kStatusH, 2);
  }
  std::vector<std::unique_ptr<Canvas>> warning, stars, icons, intro, numbers;
  // jc\star1.mbm: the warning's three frames are JAVELIN CATCH's first three
  // hit stars too, so they are bursts with a "!"; that event's other eight
  // follow them.
  for (int f = 0; f < kWarningSpriteFrames; ++f) {
    if (f < kWarningFrames) {
      warning.push_back(std::make_unique<Canvas>(kWarningW, kWarningH));
      cairo_t* cr = warning.back()->cr();
      const double cx = kWarningW / 2.0, cy = kWarningH / 2.0, r = 17 + 2 * f;
      cairo_move_to(cr, cx + r * 1.6, cy);
      for (int i = 1; i < 22; ++i) {
        const double a = i * M_PI / 11 + f * 0.2, rr = i % 2 ? r * 0.62 : r;
        cairo_line_to(cr, cx + std::cos(a) * rr * 1.6, cy + std::sin(a) * rr);
      }
      cairo_close_path(cr);
      FillStroke(cr, f == 1 ? Rgb{250, 220, 40} : Rgb{220, 40, 40}, 2);
      Text(cr, "!", cx, cy + 8, 22, {250, 250, 250}, 1, true);
      continue;
    }
    warning.push_back(std::make_unique<Canvas>(kStarW, kStarH));
    cairo_t* cr = warning.back()->cr();
    const double a0 = -f * 0.4, r = 5 + 4 * ((f * 5) % 7) / 6.0;
    for (int i = 0; i < 8; ++i) {
      double a = a0 + i * M_PI / 4, rr = i % 2 ? r * 0.5 : r;
      double x = kStarW / 2.0 + rr * std::cos(a), y = kStarH / 2.0 + rr * std::sin(a);
      i ? cairo_line_to(cr, x, y) : cairo_move_to(cr, x, y);
    }
    cairo_close_path(cr);
    FillStroke(cr, f % 2 ? Rgb{150, 220, 250} : Rgb{250, 250, 250}, 1);
  }
  for (int f = 0; f < kStarFrames; ++f) {
    stars.push_back(std::make_unique<Canvas>(kStarW, kStarH));
    cairo_t* cr = stars.back()->cr();
    const double a0 = f * 0.35, r = 4 + 5 * (1 - std::fabs(f - 5) / 6.0);
    for (int i = 0; i < 10; ++i) {
      double a = a0 + i * M_PI / 5, rr = i % 2 ? r * 0.45 : r;
      double x = kStarW / 2.0 + rr * std::cos(a), y = kStarH / 2.0 + rr * std::sin(a);
      i ? cairo_line_to(cr, x, y) : cairo_move_to(cr, x, y);
    }
    cairo_close_path(cr);
    FillStroke(cr, {250, 230, 60}, 1);
  }
  for (int f = 0; f < kIconsFrames; ++f) {
    icons.push_back(std::make_unique<Canvas>(kIconW, kIconH));
    cairo_t* cr = icons.back()->cr();
    if (f == 0) {  // the power pill
      RoundRect(cr, 3, 7, 16, 8, 4);
      FillStroke(cr, {220, 40, 40}, 1.2);
      cairo_rectangle(cr, 11, 7, 8, 8);
      SetRgb(cr, {250, 250, 250});
      cairo_fill(cr);
    } else if (f == 1) {  // the attack: a fist
      Ellipse(cr, 11, 11, 7, 6);
      FillStroke(cr, {236, 190, 150}, 1.2);
      for (int i = 0; i < 3; ++i) {
        cairo_move_to(cr, 8 + 3 * i, 6);
        cairo_line_to(cr, 8 + 3 * i, 10);
      }
      SetRgb(cr, kInk);
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
    } else {  // the jump: an arrow up over the ice
      cairo_move_to(cr, 11, 2);
      cairo_line_to(cr, 18, 10);
      cairo_line_to(cr, 14, 10);
      cairo_line_to(cr, 14, 17);
      cairo_line_to(cr, 8, 17);
      cairo_line_to(cr, 8, 10);
      cairo_line_to(cr, 4, 10);
      cairo_close_path(cr);
      FillStroke(cr, {60, 160, 230}, 1.2);
    }
  }
  for (int f = 0; f < kIntroFrames; ++f) {
    intro.push_back(std::make_unique<Canvas>(kIntroW, kIntroH));
    cairo_t* cr = intro.back()->cr();
    RoundRect(cr, 6, 6, kIntroW - 12, kIntroH - 12, 18);
    FillStroke(cr, {40, 60, 140}, 3);
    Ellipse(cr, kIntroW / 2.0, 200, 120, 40);
    FillStroke(cr, {226, 238, 250}, 2);
    Text(cr, "FULL CONTACT", kIntroW / 2.0, 54, 30, {250, 200, 40}, 1, true);
    Text(cr, "FIGURE SKATING", kIntroW / 2.0, 92, 30, {250, 200, 40}, 1, true);
    bool lying = false;
    double fall = 0;
    Pose spin = SkaterPose(10, double(f) / kIntroFrames, &lying, &fall);
    spin.bounce *= 0.6;
    DrawCharacter(cr, f % 6, spin, kIntroW / 2.0, 210, 100);
  }
  // The weapons: raw frames in the event palette.
  std::vector<std::vector<std::unique_ptr<Canvas>>> weapons(kCharacters);
  for (int c = 0; c < kCharacters; ++c) {
    const bool ship = c == 5;
    const int w = ship ? kShipW : kWeaponW, h = ship ? kShipH : kWeaponH;
    for (int d = 0; d < 8; ++d)
      for (int f = 0; f < 5; ++f) {
        weapons[c].push_back(std::make_unique<Canvas>(w, h));
        Weapon(weapons[c].back()->cr(), c, w / 2.0, h / 2.0, ship ? 100 : 36, f * 2 * M_PI / 5, d, f);
      }
    weapons[c].push_back(std::make_unique<Canvas>(kIconW, kIconH));
    Weapon(weapons[c].back()->cr(), c, kIconW / 2.0, kIconH / 2.0, ship ? 30 : 22, 0.4, 2, 0);
  }
  Canvas numberStrip(200, 24), shadow(32, 12);
  for (int i = 0; i < 10; ++i) Text(numberStrip.cr(), std::to_string(i), 10 + 20 * i, 19, 18, {250, 250, 250}, 1);
  Ellipse(shadow.cr(), 16, 6, 15, 5);
  FillStroke(shadow.cr(), {120, 130, 150}, 0);

  // The event palette: 2..33 a fixed general set, 34..118 the pictures, 119
  // the texts' green, 120..247 filled by the skaters at run time.
  Palette pal{};
  pal[1] = kKeyColour;
  static const Rgb kGeneral[32] = {
      {24, 18, 14},   {60, 60, 70},    {110, 110, 120}, {160, 160, 170}, {210, 210, 220}, {250, 250, 250},
      {120, 20, 20},  {200, 40, 40},   {240, 90, 70},   {250, 150, 130}, {190, 100, 30},  {250, 150, 40},
      {250, 200, 60}, {250, 240, 120}, {130, 80, 40},   {180, 130, 80},  {236, 190, 150}, {30, 100, 40},
      {60, 160, 80},  {140, 220, 120}, {20, 40, 110},   {40, 90, 200},   {60, 160, 230},  {150, 200, 250},
      {100, 40, 140}, {180, 80, 200},  {240, 150, 220}, {40, 140, 140},  {120, 220, 220}, {30, 36, 70},
      {50, 64, 120},  {16, 20, 40}};
  for (int i = 0; i < 32; ++i) pal[kGeneralFirst + i] = kGeneral[i];
  ColourHistogram hist;
  for (Canvas* c : {&rink, &front, &status, &numberStrip, &shadow}) {
    c->Flush();
    hist.Add(*c, c->w() * c->h() > 100000 ? 3 : 1);
  }
  for (auto* set : {&warning, &stars, &intro})
    for (auto& c : *set) {
      c->Flush();
      hist.Add(*c, 2);
    }
  for (auto& set : weapons)
    for (auto& c : set) {
      c->Flush();
      hist.Add(*c, 1);
    }
  AddJavelinColours(&hist);  // JAVELIN CATCH draws in this palette too
  FillPalette(&pal, kSceneryFirst, hist.MedianCut(kSceneryLast - kSceneryFirst + 1));
  pal[kTextGreen] = {0, 250, 0};
  for (int i = 0; i < 4 * kPlayerBandSize; ++i) {
    const uint8_t g = uint8_t(64 + i);
    pal[kPlayerBandFirst + i] = {g, g, g};
  }
  pal[255] = {255, 255, 255};
  Quantizer scenery(pal, kGeneralFirst, kSceneryLast);
  Quantizer general(pal, kGeneralFirst, kGeneralLast, {});

  Image8 swatch{16, 16, std::vector<uint8_t>(256)};
  for (int i = 0; i < 256; ++i) swatch.px[i] = uint8_t(i);
  out.Write(Root::Data, kPalettePicture, EncodeBmp8(swatch, pal));
  out.Write(Root::Data, kStatusPicture, EncodeBmp8(scenery.Reduce(status, false), pal));
  out.Write(Root::Data, kNumberPicture, EncodeBmp8(scenery.Reduce(numberStrip, false), pal));
  out.Write(Root::Data, kShadowPicture, EncodeBmp8(scenery.Reduce(shadow, false), pal));
  Image8 rinkImage = scenery.Reduce(rink, false);
  out.Write(Root::Data, kRinkPicture, EncodePkc(EncodeTilePicture(rinkImage, pal)));
  {
    // The post: an opaque piece of the picture itself.
    Image8 post{kFencePostW, kFencePostH, std::vector<uint8_t>(size_t(kFencePostW) * kFencePostH)};
    for (int y = 0; y < kFencePostH; ++y)
      for (int x = 0; x < kFencePostW; ++x) post.at(x, y) = rinkImage.at(kFencePostX + x, kFencePostY + y);
    out.Write(Root::Data, kFenceSprite, EncodeMbm({{"", scenery.Reduce(front)}, {"", post}}, pal));
  }
  out.Write(Root::Data, kWarningSprite, RawMbm(warning, scenery, pal, true));
  out.Write(Root::Data, kStarSprite, RawMbm(stars, scenery, pal, true));
  out.Write(Root::Data, kIconsSprite, RawMbm(icons, general, pal, true));
  out.Write(Root::Data, kIntroSprite, EncodePkc(RawMbm(intro, scenery, pal, true)));
  for (int c = 0; c < kCharacters; ++c) out.Write(Root::Data, kWeaponSprite[c], RawMbm(weapons[c], scenery, pal, true));

  for (std::thread& t : workers) t.join();
  for (int c = 0; c < kCharacters; ++c) {
    Bytes b = BuildMbm(skaters[c].frames, &skaters[c].palette);
    if (b.empty()) throw std::runtime_error("skater sheet");
    out.Write(Root::Data, kSkaterSprite[c], EncodePkc(b));
    const std::string skd = SkdText(c);
    out.Write(Root::Data, kSkdFile[c], Bytes(skd.begin(), skd.end()));
  }
  SkatingSounds(out);
}

}  // namespace assetgen
