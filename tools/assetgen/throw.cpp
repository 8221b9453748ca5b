// COMPUTER THROW: the event palette, status band, scenery, the judge, gulls,
// drums, clouds, signs, meter, the thrown computer and the six contestants'
// sheets, to the frame layouts of computer_throw_data.h.
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/assetgen/draw.h"
#include "tools/assetgen/gen.h"
#include "tools/assetgen/scenes.h"

namespace assetgen {

using namespace throwassets;

namespace {

const Rgb kInk{24, 18, 14};

struct Sheet {
  std::string path;
  bool actor = false;  // contestants may use the whole palette
  bool pkc = false;
  std::vector<std::unique_ptr<Canvas>> frames;
  cairo_t* Frame(int w, int h) {
    frames.push_back(std::make_unique<Canvas>(w, h));
    return frames.back()->cr();
  }
};

double Lerp(double a, double b, double t) { return a + (b - a) * t; }
double Smooth(double t) { return t * t * (3 - 2 * t); }

// Contestant pose at frame f (1-based) of throw character t.
Pose ContestantPose(int t, int f, bool* mirrored) {
  const ThrowSheetLayout& L = kSheetLayout[t];
  Pose p;
  p.turn = 0.45;
  p.holding = true;
  *mirrored = false;
  auto holdOut = [&](Pose& q) {
    q.arm[0] = 1.35;
    q.arm[1] = 1.15;
    q.elbow[0] = 0.35;
    q.elbow[1] = 0.6;
  };
  if (f >= L.spinFirst && f <= L.spinLast) {  // a turn on the spot, ending in the stand
    double k = double(f - L.spinFirst) / (L.spinLast - L.spinFirst);
    p.turn = 0.45 + 2 * M_PI * k;
    p.arm[0] = 1.0;
    p.arm[1] = 0.8;
    p.elbow[0] = 0.9;
    p.elbow[1] = 1.1;
    p.leg[0] = 0.12 + 0.15 * std::sin(k * 4 * M_PI);
    p.leg[1] = -0.12 - 0.15 * std::sin(k * 4 * M_PI);
    p.mouth = 0.2;
    return p;
  }
  if (f >= L.windFirst && f <= L.windLast) {  // spinning round with the computer at arm's length
    double k = double(f - L.windFirst) / (L.windLast - L.windFirst + 1);
    p.turn = 0.45 + 2 * M_PI * k;
    holdOut(p);
    p.lean = -0.12;
    p.leg[0] = 0.3 * std::sin(k * 2 * M_PI);
    p.leg[1] = -0.3 * std::sin(k * 2 * M_PI);
    p.knee[0] = p.knee[1] = 0.3;
    p.mouth = 0.5;
    p.holdAngle = k * 2 * M_PI;
    return p;
  }
  for (int kind = 0; kind < 4; ++kind) {
    int first = L.throwFirst[kind], last = L.throwLast[kind], hand = L.handOverFrame[kind];
    if (f >= first && f <= last) {
      double k = double(f - first) / std::max(1, hand - first);  // 0 .. 1 at the hand-over
      double after = f > hand ? double(f - hand) / std::max(1, last - hand) : 0;
      p.holding = f <= hand;
      p.mouth = f >= hand - 2 ? 0.9 : 0.5;
      switch (kind) {
        case 0: {  // underarm lob
          double a = Lerp(-0.9, 2.3, Smooth(std::min(1.0, k)));
          p.arm[0] = a;
          p.arm[1] = a - 0.2;
          p.elbow[0] = 0.2;
          p.elbow[1] = 0.3;
          p.lean = Lerp(0.35, -0.15, std::min(1.0, k));
          p.knee[0] = p.knee[1] = Lerp(0.6, 0.0, std::min(1.0, k));
          p.leg[0] = 0.35;
          p.leg[1] = -0.3;
          break;
        }
        case 1: {  // chest push
          double a = Lerp(0.9, 1.65, Smooth(std::min(1.0, k)));
          p.arm[0] = a;
          p.arm[1] = a - 0.1;
          p.elbow[0] = Lerp(1.6, 0.05, Smooth(std::min(1.0, k)));
          p.elbow[1] = p.elbow[0] + 0.1;
          p.lean = Lerp(-0.2, 0.3, std::min(1.0, k));
          p.leg[0] = 0.45;
          p.leg[1] = -0.35;
          p.knee[1] = 0.4;
          break;
        }
        case 2: {  // overhead heave
          double a = Lerp(3.5, 2.0, Smooth(std::min(1.0, k)));
          p.arm[0] = a;
          p.arm[1] = a - 0.15;
          p.elbow[0] = Lerp(0.8, 0.1, std::min(1.0, k));
          p.elbow[1] = p.elbow[0];
          p.lean = Lerp(-0.35, 0.25, std::min(1.0, k));
          p.leg[0] = 0.4;
          p.leg[1] = -0.4;
          break;
        }
        default: {  // kind 3: a fast spin, then the character's own finish
          p.turn = 0.45 + 4 * M_PI * std::min(1.0, k);
          holdOut(p);
          p.lean = -0.2;
          p.holdAngle = k * 4 * M_PI;
          p.knee[0] = p.knee[1] = 0.3;
          if (t == 0 && f > hand - 8) {  // the ape smashes it down instead
            double s = double(f - (hand - 8)) / 8.0;
            p.turn = 0.45;
            p.arm[0] = p.arm[1] = Lerp(3.2, 1.0, std::min(1.0, s));
            p.elbow[0] = p.elbow[1] = 0.2;
            p.lean = Lerp(-0.2, 0.4, std::min(1.0, s));
          } else if (t == 1 && f > hand - 8) {  // the kangaroo kicks it
            double s = double(f - (hand - 8)) / 8.0;
            p.turn = 0.45;
            p.leg[0] = Lerp(0.2, 1.7, std::min(1.0, s));
            p.arm[0] = 1.2;
            p.arm[1] = 1.0;
            p.lean = -0.3;
          } else if (t == 2 && f > hand - 8) {  // the alien drops it with a zap
            p.turn = 0.45;
            p.arm[0] = 1.6;
            p.arm[1] = 1.5;
            p.elbow[0] = p.elbow[1] = 0.0;
          }
          break;
        }
      }
      if (after > 0 && !p.holding) {  // follow through
        p.mouth = 0.6;
        p.cheer = after > 0.5;
      }
      return p;
    }
    if (f > last && f <= last + kFollowFrames) {  // walking off to the left
      double k = double(f - last) / kFollowFrames;
      double s = std::sin(k * 2 * M_PI);
      p.holding = false;
      p.turn = 0.45;
      p.leg[0] = 0.5 * s;
      p.leg[1] = -0.5 * s;
      p.knee[0] = std::max(0.0, -s) * 0.7;
      p.knee[1] = std::max(0.0, s) * 0.7;
      p.arm[0] = -0.5 * s;
      p.arm[1] = 0.5 * s;
      p.elbow[0] = p.elbow[1] = 0.6;
      p.lean = 0.15;
      p.mouth = 0.4;
      *mirrored = true;
      return p;
    }
  }
  return p;
}

void Crowd(cairo_t* cr, double w, double h, int frame, int seed) {
  static const Rgb kShirts[] = {{220, 40, 40}, {40, 120, 220}, {250, 200, 40}, {40, 170, 70}, {230, 120, 200}, {250, 250, 250}};
  for (int i = 0; i < 14; ++i) {
    double x = 8 + i * (w - 16) / 13.0;
    int k = (i * 7 + seed) % 6;
    double jump = ((i + frame + seed) % 4 == 0) ? 4 : 0;
    double y = h - 4 - (i % 2) * 10 - jump;
    RoundRect(cr, x - 7, y - 18, 14, 18, 4);
    FillStroke(cr, kShirts[k], 1.2);
    Ellipse(cr, x, y - 24, 6, 6);
    FillStroke(cr, (i % 3) ? Rgb{236, 190, 150} : Rgb{150, 100, 60}, 1.2);
    if ((i + frame) % 3 == 0) {  // an arm up
      cairo_move_to(cr, x + 6, y - 14);
      cairo_line_to(cr, x + 11, y - 30);
      SetRgb(cr, kInk);
      cairo_set_line_width(cr, 2.5);
      cairo_stroke(cr);
    }
  }
}

void Gull(cairo_t* cr, double cx, double cy, double span, double flap) {
  double wy = flap * span * 0.35;
  cairo_move_to(cr, cx - span / 2, cy - wy);
  cairo_curve_to(cr, cx - span / 4, cy - wy * 1.3 - 4, cx - 4, cy - 4, cx, cy);
  cairo_curve_to(cr, cx + 4, cy - 4, cx + span / 4, cy - wy * 1.3 - 4, cx + span / 2, cy - wy);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 4.5);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_stroke_preserve(cr);
  SetRgb(cr, {250, 250, 250});
  cairo_set_line_width(cr, 2.5);
  cairo_stroke(cr);
  Ellipse(cr, cx, cy + 1, 6, 3.5);
  FillStroke(cr, {250, 250, 250}, 1.2);
  cairo_move_to(cr, cx + 5, cy);
  cairo_line_to(cr, cx + 10, cy + 1);
  cairo_line_to(cr, cx + 5, cy + 2);
  cairo_close_path(cr);
  FillStroke(cr, {250, 170, 30}, 0);
}

void Drum(cairo_t* cr, double cx, double cy, double angle, double w, double h) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_rotate(cr, angle);
  RoundRect(cr, -w / 2, -h / 2, w, h, 4);
  FillStroke(cr, {40, 90, 190}, 2);
  for (int i = 1; i <= 2; ++i) {
    cairo_move_to(cr, -w / 2, -h / 2 + i * h / 3);
    cairo_line_to(cr, w / 2, -h / 2 + i * h / 3);
  }
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  Ellipse(cr, 0, -h / 2 + 3, w / 2 - 2, 3);
  FillStroke(cr, {70, 120, 220}, 1);
  cairo_restore(cr);
}

void Cloud(cairo_t* cr, double w, double h, int variant) {
  static const double kPuffs[3][5][3] = {
      {{0.25, 0.6, 0.2}, {0.45, 0.45, 0.28}, {0.65, 0.55, 0.22}, {0.8, 0.65, 0.15}, {0.4, 0.7, 0.2}},
      {{0.2, 0.65, 0.15}, {0.38, 0.5, 0.22}, {0.58, 0.45, 0.26}, {0.78, 0.6, 0.18}, {0.5, 0.7, 0.2}},
      {{0.3, 0.6, 0.22}, {0.5, 0.5, 0.25}, {0.7, 0.6, 0.2}, {0.15, 0.7, 0.12}, {0.85, 0.7, 0.12}}};
  for (auto& p : kPuffs[variant]) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, p[0] * w, p[1] * h, p[2] * w * 0.7, 0, 2 * M_PI);
  }
  FillStroke(cr, {250, 252, 255}, 2, {170, 190, 220});
  for (auto& p : kPuffs[variant]) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, p[0] * w, p[1] * h, p[2] * w * 0.7 - 1.5, 0, 2 * M_PI);
  }
  SetRgb(cr, {250, 252, 255});
  cairo_fill(cr);
}

}  // namespace

void GenerateThrow(Output& out) {
  std::vector<std::unique_ptr<Sheet>> sheets;
  auto add = [&](const char* path, bool actor = false, bool pkc = false) -> Sheet& {
    sheets.push_back(std::make_unique<Sheet>());
    sheets.back()->path = path;
    sheets.back()->actor = actor;
    sheets.back()->pkc = pkc;
    return *sheets.back();
  };

  // Scenery.
  {
    Sheet& s = add(kMiscSprite, false, true);
    DrawBeach(s.Frame(kBackdropW, kBackdropH), kBackdropW, kBackdropH);
    {
      cairo_t* cr = s.Frame(kGroundStripW, kGroundStripH);
      cairo_rectangle(cr, 0, 0, kGroundStripW, kGroundStripH);
      SetRgb(cr, {232, 208, 140});
      cairo_fill(cr);
      for (int i = 0; i < 120; ++i) {  // pebbles and footprints
        double x = std::fmod(i * 53.7, kGroundStripW), y = std::fmod(i * 31.3, kGroundStripH - 8) + 4;
        Ellipse(cr, x, y, 2 + (i % 3), 1.2 + (i % 2));
        SetRgb(cr, (i % 2) ? Rgb{200, 174, 110} : Rgb{246, 226, 170});
        cairo_fill(cr);
      }
      // distance marks every 50 pixels
      for (int x = 0; x < kGroundStripW; x += 50) {
        cairo_rectangle(cr, x, 0, 2, 6);
        SetRgb(cr, {250, 250, 250});
        cairo_fill(cr);
      }
    }
    {  // palm
      cairo_t* cr = s.Frame(96, 160);
      cairo_move_to(cr, 44, 160);
      cairo_curve_to(cr, 40, 110, 56, 60, 50, 30);
      SetRgb(cr, kInk);
      cairo_set_line_width(cr, 12);
      cairo_stroke_preserve(cr);
      SetRgb(cr, {140, 100, 60});
      cairo_set_line_width(cr, 9);
      cairo_stroke(cr);
      for (int i = 0; i < 6; ++i) {
        double a = M_PI + i * M_PI / 5;
        cairo_move_to(cr, 50, 30);
        cairo_curve_to(cr, 50 + 25 * std::cos(a), 30 + 25 * std::sin(a) - 10, 50 + 44 * std::cos(a),
                       30 + 30 * std::sin(a) + 10, 50 + 46 * std::cos(a), 30 + 40 * std::sin(a) + 18);
        SetRgb(cr, {40, 140, 60});
        cairo_set_line_width(cr, 7);
        cairo_stroke(cr);
      }
    }
    {
      cairo_t* cr = s.Frame(64, 40);  // rock
      cairo_move_to(cr, 4, 38);
      cairo_curve_to(cr, 4, 10, 30, 2, 44, 10);
      cairo_curve_to(cr, 60, 16, 62, 30, 60, 38);
      cairo_close_path(cr);
      FillStroke(cr, {130, 130, 140}, 2);
    }
    {
      cairo_t* cr = s.Frame(48, 120);  // flag pole
      cairo_rectangle(cr, 6, 4, 4, 116);
      FillStroke(cr, {200, 200, 210}, 1.5);
      DrawFlag(cr, 0, 10, 6, 34, 24, 1);
    }
    {
      cairo_t* cr = s.Frame(96, 40);  // bench
      cairo_rectangle(cr, 4, 10, 88, 8);
      FillStroke(cr, {170, 110, 60}, 2);
      cairo_rectangle(cr, 10, 18, 6, 20);
      cairo_rectangle(cr, 80, 18, 6, 20);
      FillStroke(cr, {120, 80, 40}, 2);
    }
    {
      cairo_t* cr = s.Frame(16, 40);  // the throwing line
      cairo_rectangle(cr, 4, 0, 8, 40);
      FillStroke(cr, {250, 250, 250}, 1.5);
    }
    {
      cairo_t* cr = s.Frame(40, 64);  // loudspeaker on a post
      cairo_rectangle(cr, 18, 20, 4, 44);
      FillStroke(cr, {120, 120, 130}, 1.5);
      cairo_move_to(cr, 8, 6);
      cairo_line_to(cr, 32, 0);
      cairo_line_to(cr, 32, 26);
      cairo_line_to(cr, 8, 20);
      cairo_close_path(cr);
      FillStroke(cr, {200, 200, 210}, 2);
    }
    for (int b = 0; b < 2; ++b)
      for (int f = 0; f < kMiscCrowdFrames; ++f) {
        cairo_t* cr = s.Frame(200, 60);
        Crowd(cr, 200, 60, f, b * 3);
      }
    if (int(s.frames.size()) != kMiscFrames) throw std::runtime_error("misc frames");
  }
  {
    Sheet& s = add(kPipeSprite);
    for (int f = 0; f < kPipeFrames; ++f) {
      cairo_t* cr = s.Frame(kPipeW, kPipeH);
      RoundRect(cr, 16, 30, 32, kPipeH - 30, 4);
      FillStroke(cr, {120, 130, 140}, 2);
      RoundRect(cr, 10, 24, 44, 14, 4);
      FillStroke(cr, {150, 160, 170}, 2);
      if (f == 1)
        for (int i = 0; i < 3; ++i) {
          Ellipse(cr, 32 + (i - 1) * 8, 16 - i * 6, 9, 7);
          FillStroke(cr, {235, 240, 245}, 1, {190, 200, 210});
        }
    }
  }
  {
    Sheet& s = add(kGullsSprite);
    for (int f = 0; f < kGullFrames; ++f)
      Gull(s.Frame(kGullW, kGullH), kGullW / 2.0, kGullH / 2.0 + 4, 40, std::sin(f * 2 * M_PI / kGullFrames));
  }
  {
    Sheet& s = add(kDrumsSprite);
    for (int f = 0; f < kDrumFrames; ++f)
      Drum(s.Frame(kDrumW, kDrumH), kDrumW / 2.0, kDrumH / 2.0 + (f ? 6 : 0), f * 0.5, 30, f ? 40 : 50);
  }
  {
    Sheet& s = add(kCloudsSprite);
    for (int f = 0; f < kCloudFrames; ++f) Cloud(s.Frame(kCloudW, kCloudH), kCloudW, kCloudH, f);
  }
  {
    Sheet& s = add(kComputerSprite);
    for (int f = 1; f <= kComputerFrames; ++f) {
      cairo_t* cr = s.Frame(kComputerW, kComputerH);
      double cx = kComputerW / 2.0, cy = kComputerH / 2.0;
      if (f <= kComputerFlightLast) {
        DrawComputer(cr, cx, cy, 34, 2 * M_PI * (f - 1) / kComputerFlightLast, 0);
      } else if (f <= kComputerLandLast) {  // bounce, skid and settle with a puff of sand
        double k = double(f - kComputerLandFirst) / (kComputerLandLast - kComputerLandFirst);
        double bounce = std::fabs(std::sin(k * 3 * M_PI)) * (1 - k) * 14;
        double angle = (1 - k) * 0.8 * std::sin(k * 9);
        if (k < 0.5) {
          Ellipse(cr, cx - 10 - k * 10, kComputerH - 6, 8 * (1 - k), 4 * (1 - k));
          FillStroke(cr, {236, 214, 160}, 0);
        }
        DrawComputer(cr, cx, cy + 6 - bounce, 34, angle, k > 0.6 ? 0.6 : 0);
      } else {  // dropped: a fall and a crack with sparks
        double k = double(f - kComputerDropFirst) / (kComputerDropLast - kComputerDropFirst);
        DrawComputer(cr, cx, cy + 4, 34, 0.3 * std::sin(k * 6) * (1 - k), k > 0.3 ? 1.0 : 0);
        if (k > 0.3 && ((f % 3) != 0)) {
          for (int i = 0; i < 4; ++i) {
            double a = i * 1.7 + f;
            cairo_move_to(cr, cx, cy - 6);
            cairo_line_to(cr, cx + std::cos(a) * 18, cy - 6 + std::sin(a) * 14);
          }
          SetRgb(cr, {255, 230, 60});
          cairo_set_line_width(cr, 1.5);
          cairo_stroke(cr);
        }
      }
    }
  }
  {
    Sheet& s = add(kShadowSprite);
    for (int f = 0; f < kShadowFrames; ++f) {
      cairo_t* cr = s.Frame(kShadowW, kShadowH);
      Ellipse(cr, kShadowW / 2.0, kShadowH / 2.0, (kShadowW / 2.0 - 2) * (1 - 0.2 * f), (kShadowH / 2.0 - 1) * (1 - 0.15 * f));
      FillStroke(cr, {150, 130, 90}, 0);
    }
  }
  {
    Sheet& s = add(kMeterSprite);
    for (int i = 0; i < 10; ++i) {  // needles for the angle index 0..9
      cairo_t* cr = s.Frame(kMeterNeedleW, kMeterNeedleH);
      double deg = (5 * i - 5) * 2.0, a = deg * M_PI / 180;
      double ox = kMeterNeedlePivotX, oy = kMeterNeedlePivotY;
      cairo_move_to(cr, ox, oy);
      cairo_line_to(cr, ox + std::cos(a) * 90, oy - std::sin(a) * 50);
      SetRgb(cr, kInk);
      cairo_set_line_width(cr, 5);
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
      cairo_stroke_preserve(cr);
      SetRgb(cr, {230, 30, 30});
      cairo_set_line_width(cr, 3);
      cairo_stroke(cr);
      Ellipse(cr, ox, oy, 4, 4);
      FillStroke(cr, {60, 60, 60}, 1);
    }
    cairo_t* cr = s.Frame(kMeterDialW, kMeterDialH);  // 11: the dial
    RoundRect(cr, 1, 1, kMeterDialW - 2, kMeterDialH - 2, 8);
    FillStroke(cr, {240, 236, 220}, 2);
    // The needle turns about its pivot, which lands on the dial's (16, 66)
    // when the two are drawn at their places (the needle 4 right, 10 down).
    const double px = kMeterNeedlePivotX + 4, py = kMeterNeedlePivotY + 10;
    for (int d = -10; d <= 80; d += 10) {
      double a = d * M_PI / 180;
      cairo_move_to(cr, px + std::cos(a) * 80, py - std::sin(a) * 46);
      cairo_line_to(cr, px + std::cos(a) * 90, py - std::sin(a) * 52);
    }
    SetRgb(cr, kInk);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    Text(cr, "ANGLE", kMeterDialW - 8, 14, 11, kInk, 2);
  }
  {
    Sheet& s = add(kSignSprite);
    for (int n = 1; n <= kSignFrames; ++n) {
      cairo_t* cr = s.Frame(kSignW, kSignH);
      cairo_rectangle(cr, kSignW / 2.0 - 2, 20, 4, kSignH - 20);
      FillStroke(cr, {140, 100, 60}, 1);
      RoundRect(cr, 2, 2, kSignW - 4, 22, 4);
      FillStroke(cr, {250, 250, 250}, 2);
      Text(cr, std::to_string(n * 10) + " m", kSignW / 2.0, 18, 12, kInk, 1);
    }
  }
  {
    Sheet& s = add(kJudgeSprite);
    for (int f = 1; f <= kJudgeFrames; ++f) {
      cairo_t* cr = s.Frame(kJudgeW, kJudgeH);
      Pose p;
      p.turn = 0.5;
      double height = 86;
      if (f <= kJudgeWalkLast) {
        double k = f / 8.0;
        double sn = std::sin(k * 2 * M_PI);
        bool measuring = f >= 72;
        p.leg[0] = measuring ? 0.3 : 0.45 * sn;
        p.leg[1] = measuring ? -0.2 : -0.45 * sn;
        p.knee[0] = measuring ? 0.9 : std::max(0.0, -sn) * 0.6;
        p.knee[1] = measuring ? 0.9 : std::max(0.0, sn) * 0.6;
        p.arm[0] = measuring ? 1.0 : -0.4 * sn;
        p.arm[1] = measuring ? 0.8 : 0.4 * sn;
        p.lean = measuring ? 0.6 : 0.1;
        DrawCharacter(cr, kJudgeBuild, p, kJudgeW / 2.0, kJudgeFootY, height);
        if (measuring) {  // the tape
          cairo_rectangle(cr, kJudgeW / 2.0 + 10, kJudgeFootY - 16, 20, 3);
          SetRgb(cr, {250, 220, 40});
          cairo_fill(cr);
        }
      } else if (f <= kJudgeBoardLast) {  // the board up
        p.arm[0] = 2.9;
        p.arm[1] = -2.9;
        p.mouth = 0.5;
        DrawCharacter(cr, kJudgeBuild, p, kJudgeW / 2.0, kJudgeFootY, height);
        RoundRect(cr, kJudgeBoardX, kJudgeBoardY, kJudgeBoardW, kJudgeBoardH, 3);
        FillStroke(cr, {250, 250, 250}, 1.5);
      } else {  // waving the foul flag
        double k = double(f - kJudgeFoulFirst) / 4.0;
        p.arm[0] = 2.4 + 0.5 * std::sin(k * 2 * M_PI);
        p.mouth = 0.9;
        DrawCharacter(cr, kJudgeBuild, p, kJudgeW / 2.0, kJudgeFootY, height);
        Hold h = HoldPoint(kJudgeBuild, p, kJudgeW / 2.0, kJudgeFootY, height);
        cairo_rectangle(cr, h.x + 4, h.y - 6, 14, 10);
        FillStroke(cr, {230, 30, 30}, 1);
      }
    }
  }
  {
    Sheet& icon = add(kIconSprite, false, true);
    Sheet& low = add(kIconSpriteLowMemory);
    for (int f = 0; f < kIconFrames + 1; ++f) {
      cairo_t* cr = f < kIconFrames ? icon.Frame(kIconW, kIconH) : low.Frame(kIconW, kIconH);
      RoundRect(cr, 2, 2, kIconW - 4, kIconH - 4, 14);
      FillStroke(cr, {40, 60, 130}, 3);
      Text(cr, "COMPUTER", kIconW / 2.0, 50, 34, {250, 200, 40}, 1, true);
      Text(cr, "THROW", kIconW / 2.0, 92, 34, {250, 200, 40}, 1, true);
      double k = (f % kIconFrames) / double(kIconFrames);
      DrawComputer(cr, 40, 64 - 20 * std::sin(k * M_PI), 36, k * 2 * M_PI, 0);
      DrawComputer(cr, kIconW - 40, 64 - 20 * std::cos(k * M_PI), 36, -k * 2 * M_PI, 0);
    }
  }

  // Contestants.
  bool offsetsWrong = false;
  for (int t = 0; t < kCharacters; ++t) {
    Sheet& s = add(kContestantSheet[t], true);
    int ch = kCharacterOfThrowChar[t];
    const double height = 112, footX = 56;
    for (int f = 1; f <= kSheetLayout[t].frameCount; ++f) {
      cairo_t* cr = s.Frame(kContestantW, kContestantH);
      bool mirrored = false;
      Pose p = ContestantPose(t, f, &mirrored);
      if (mirrored) {
        cairo_translate(cr, kContestantW, 0);
        cairo_scale(cr, -1, 1);
        DrawCharacter(cr, ch, p, kContestantW - footX, kContestantFootY, height);
      } else {
        DrawCharacter(cr, ch, p, footX, kContestantFootY, height);
      }
      // The computer must leave the hands where the event places it.
      for (int kind = 0; kind < 4; ++kind) {
        if (f != kSheetLayout[t].handOverFrame[kind]) continue;
        Pose before = ContestantPose(t, f - 1, &mirrored);
        Hold h = HoldPoint(ch, before, footX, kContestantFootY, height);
        int ox = int(std::lround(h.x - kComputerW / 2.0)), oy = int(std::lround(h.y - kComputerH / 2.0));
        const Offset& want = kReleaseOffset[t][kind];
        if (std::abs(ox - want.x) > 6 || std::abs(oy - want.y) > 6) {
          std::fprintf(stderr, "release offset of throw character %d kind %d: drawn %d,%d, table %d,%d\n", t,
                       kind, ox, oy, want.x, want.y);
          offsetsWrong = true;
        }
      }
    }
  }

  if (offsetsWrong) throw std::runtime_error("release offsets out of step with the drawing");

  // Status band: four columns of face box, name line, the energy bar's
  // trough and the attempts panel's box.
  Canvas status(kStatusW, kStatusH);
  DrawAttemptsStatusBand(status.cr(), kStatusW, kStatusH);

  // The event palette: scenery in 6..125, contestants in 126..254.
  Palette pal = BasePalette();
  ColourHistogram scenery, actors;
  status.Flush();
  scenery.Add(status);
  for (auto& s : sheets)
    for (auto& f : s->frames) {
      f->Flush();
      (s->actor ? actors : scenery).Add(*f, f->w() * f->h() > 60000 ? 2 : 1);
    }
  for (Rgb c : {Rgb{255, 255, 255}, kInk}) scenery.AddColour(c, 1u << 24);
  FillPalette(&pal, kPaletteSceneryFirst, scenery.MedianCut(kPaletteSceneryLast - kPaletteSceneryFirst + 1));
  FillPalette(&pal, kPaletteActorFirst, actors.MedianCut(kPaletteActorLast - kPaletteActorFirst + 1));
  Quantizer sceneryQ(pal, 2, kPaletteSceneryLast);
  Quantizer actorQ(pal, 2, 254);

  Image8 swatch{16, 16, std::vector<uint8_t>(256)};
  for (int i = 0; i < 256; ++i) swatch.px[i] = uint8_t(i);
  out.Write(Root::Data, kPalettePicture, EncodeBmp8(swatch, pal));
  out.Write(Root::Data, kStatusPicture, EncodeBmp8(sceneryQ.Reduce(status, false), pal));
  for (auto& s : sheets) {
    std::vector<MbmFrame> frames;
    for (auto& f : s->frames) frames.push_back({"", (s->actor ? actorQ : sceneryQ).Reduce(*f)});
    Bytes b = EncodeMbm(frames, pal);
    out.Write(Root::Data, s->path, s->pkc ? EncodePkc(b) : b);
  }
}

}  // namespace assetgen
