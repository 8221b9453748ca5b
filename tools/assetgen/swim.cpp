// TROUBLED WATERS: the status band and its palette, the maze tiles and the
// background strip, sharks, eels and jellyfish, air pumps, decorations and
// weeds, the finish flag, stars and icons, the intro, the six swimmer sheets
// and thrown weapons, the swimmer data files and every sound, to the numbers
// of troubled_waters_data.h.
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "events/troubled_waters/troubled_waters_data.h"
#include "tools/assetgen/audio.h"
#include "tools/assetgen/draw.h"
#include "tools/assetgen/gen.h"
#include "tools/assetgen/scenes.h"

namespace assetgen {

using namespace swimassets;

namespace {

const Rgb kInk{16, 20, 30};

using Sheet = FrameSheet;

// A creature of one kind facing right, drawn into a w x h frame; phase
// 0..1 wiggles the tail, open opens the mouth, squash (-1..1) the turn.
void DrawCreature(cairo_t* cr, int kind, int w, int h, double phase, double open, double squash) {
  cairo_save(cr);
  cairo_translate(cr, w / 2.0, h / 2.0);
  cairo_scale(cr, squash, 1);
  const double wig = std::sin(phase * 2 * M_PI);
  if (kind == 0) {  // shark: a grey torpedo with a fin and a mouth at the right
    cairo_move_to(cr, -w * 0.42, wig * 10);
    cairo_line_to(cr, -w * 0.5 + 2, -h * 0.35 + wig * 8);
    cairo_line_to(cr, -w * 0.5 + 2, h * 0.35 + wig * 8);
    cairo_close_path(cr);
    FillStroke(cr, {110, 120, 140}, 2, kInk);
    Ellipse(cr, 0, 0, w * 0.42, h * 0.22);
    FillStroke(cr, {130, 140, 160}, 2, kInk);
    cairo_move_to(cr, -w * 0.05, -h * 0.2);
    cairo_line_to(cr, -w * 0.15, -h * 0.45);
    cairo_line_to(cr, w * 0.08, -h * 0.2);
    FillStroke(cr, {110, 120, 140}, 2, kInk);
    Ellipse(cr, w * 0.2, h * 0.02, w * 0.2, h * 0.1);
    FillStroke(cr, {235, 235, 240}, 0);
    Ellipse(cr, w * 0.3, -h * 0.07, 5, 5);
    FillStroke(cr, {250, 250, 250}, 1.5, kInk);
    cairo_move_to(cr, w * 0.42, h * 0.02);
    cairo_line_to(cr, w * 0.25, h * (0.05 + 0.12 * open));
    cairo_line_to(cr, w * 0.38, h * (0.02 + 0.15 * open));
    FillStroke(cr, {160, 20, 30}, 1.5, kInk);
  } else if (kind == 1) {  // eel: a green wave with a yellow belly
    cairo_move_to(cr, -w * 0.45, 0);
    for (int i = 0; i <= 20; ++i) {
      double t = i / 20.0, x = -w * 0.45 + t * w * 0.85;
      cairo_line_to(cr, x, std::sin(t * 3 * M_PI + phase * 2 * M_PI) * h * 0.12 * (1 - t));
    }
    cairo_set_line_width(cr, h * 0.22);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    SetRgb(cr, kInk);
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, h * 0.17);
    SetRgb(cr, {60, 150, 70});
    cairo_stroke(cr);
    Ellipse(cr, w * 0.38, 0, w * 0.09, h * 0.13);
    FillStroke(cr, {80, 170, 80}, 2, kInk);
    Ellipse(cr, w * 0.4, -h * 0.04, 4, 4);
    FillStroke(cr, {250, 230, 60}, 1, kInk);
    if (open > 0) {
      for (int i = 0; i < 4; ++i) {  // sparks
        cairo_move_to(cr, w * (0.1 * i - 0.2), -h * 0.25);
        cairo_line_to(cr, w * (0.1 * i - 0.17), -h * 0.38);
        cairo_line_to(cr, w * (0.1 * i - 0.22), -h * 0.42);
      }
      SetRgb(cr, {250, 240, 80});
      cairo_set_line_width(cr, 2.5);
      cairo_stroke(cr);
    }
  } else {  // jellyfish: a pink bell with trailing tentacles
    Ellipse(cr, 0, -h * 0.2, w * 0.42 * (1 + 0.08 * wig), h * 0.22);
    FillStroke(cr, {230, 130, 200}, 2, kInk);
    for (int i = 0; i < 5; ++i) {
      double x = -w * 0.3 + i * w * 0.15;
      cairo_move_to(cr, x, -h * 0.05);
      cairo_curve_to(cr, x + 6 * wig, h * 0.1, x - 6 * wig, h * 0.25, x + 3 * wig, h * 0.45);
    }
    SetRgb(cr, open > 0 ? Rgb{250, 240, 120} : Rgb{200, 90, 170});
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    Ellipse(cr, -w * 0.12, -h * 0.24, 3, 3);
    Ellipse(cr, w * 0.12, -h * 0.24, 3, 3);
    FillStroke(cr, kInk, 0);
  }
  cairo_restore(cr);
}

// 120 frames from the kind's runs: swimming right and left, turning to the
// left and to the right, biting right and left (first frames, 1-based).
void CreatureSheet(Sheet& s, int kind, int w, int h, const int first[6], const int count[6]) {
  std::vector<int> runOf(kCreatureFrames + 1, 0), posOf(kCreatureFrames + 1, 0);
  for (int r = 0; r < 6; ++r)
    for (int i = 0; i < count[r]; ++i) {
      runOf[first[r] + i] = r;
      posOf[first[r] + i] = i;
    }
  for (int f = 1; f <= kCreatureFrames; ++f) {
    cairo_t* cr = s.Frame(w, h);
    const int r = runOf[f];
    const double t = double(posOf[f]) / count[r];
    double squash = 1, open = 0;
    switch (r) {
      case 0: break;
      case 1: squash = -1; break;
      case 2: squash = std::cos(t * M_PI); break;   // right to left
      case 3: squash = -std::cos(t * M_PI); break;  // left to right
      case 4: open = std::sin(t * M_PI); break;
      default: squash = -1; open = std::sin(t * M_PI); break;
    }
    if (std::fabs(squash) < 0.15) squash = squash < 0 ? -0.15 : 0.15;
    DrawCreature(cr, kind, w, h, t, open, squash);
  }
}

// A swimmer pose: the athlete lying along a direction with his arms in a
// stroke (phase 0..1).
void DrawSwimmer(cairo_t* cr, int ch, double angle, bool left, double phase, int mood, double spin = 0) {
  cairo_save(cr);
  cairo_translate(cr, kSwimmerW / 2.0, kSwimmerH / 2.0);
  if (left) cairo_scale(cr, -1, 1);
  cairo_rotate(cr, angle + spin);
  Pose p;
  const double s = std::sin(phase * 2 * M_PI);
  p.turn = 0.2;
  p.arm[0] = 2.6 + 0.9 * s;
  p.arm[1] = 2.6 - 0.9 * s;
  p.elbow[0] = p.elbow[1] = 0.25;
  p.leg[0] = 0.25 * s;
  p.leg[1] = -0.25 * s;
  p.mouth = mood == 2 ? 0.9 : 0.3;
  if (mood == 1) {  // floating at ease
    p.arm[0] = 1.2 + 0.3 * s;
    p.arm[1] = -1.2 - 0.3 * s;
  }
  if (mood == 3) {  // hurt: limbs out
    p.arm[0] = 2.0;
    p.arm[1] = -2.0;
    p.leg[0] = 0.6;
    p.leg[1] = -0.6;
    p.mouth = 1.0;
  }
  DrawCharacter(cr, ch, p, 0, 28, 56);
  cairo_restore(cr);
}

void SwimmerSheet(Sheet& s, int ch) {
  const int* L = kSwimmerLayout;  // first frames 0..9, counts 10..19
  // Direction groups: 0 right, 1 up-right, 2 up-left, 3 left, 4 down-left, 5 down-right.
  const double groupAngle[6] = {M_PI / 2, M_PI / 4, M_PI / 4, M_PI / 2, 3 * M_PI / 4, 3 * M_PI / 4};
  const bool groupLeft[6] = {false, false, true, true, true, false};
  const double bumpAngle[8] = {M_PI / 2, M_PI / 4, 0, M_PI / 4, M_PI / 2, 3 * M_PI / 4, M_PI, 3 * M_PI / 4};
  const bool bumpLeft[8] = {false, false, false, true, true, true, false, false};
  for (int f = 1; f <= kSwimmerFrames; ++f) {
    cairo_t* cr = s.Frame(kSwimmerW, kSwimmerH);
    int a = 0;
    for (int k = 0; k < 10; ++k)
      if (f >= L[k]) a = k;
    const int n = L[10 + a], off = f - L[a], copy = off / n, i = off % n;
    const double t = double(i) / n;
    switch (a) {
      case 0: DrawSwimmer(cr, ch, groupAngle[copy], groupLeft[copy], t, 0); break;
      case 1: DrawSwimmer(cr, ch, bumpAngle[copy], bumpLeft[copy], t, 3, 0.15 * std::sin(t * M_PI)); break;
      case 2: DrawSwimmer(cr, ch, 0, copy == 1, t, 1); break;
      case 3: DrawSwimmer(cr, ch, groupAngle[copy], groupLeft[copy], t, 0, -M_PI * t); break;
      case 4:
      case 5: DrawSwimmer(cr, ch, M_PI / 2, copy == 1, t, 3, 0.2 * std::sin(t * 4 * M_PI)); break;
      case 6:
      case 7: DrawSwimmer(cr, ch, 0.15 * (a == 6 ? 1 : -1), copy == 1, t, 1); break;
      case 8: DrawSwimmer(cr, ch, 0, false, t, 0); break;
      default: DrawSwimmer(cr, ch, M_PI, false, t, 0); break;
    }
  }
}

Samples Bubbles(double seconds, uint32_t seed) {
  Samples s = Silence(seconds);
  for (int i = 0; i < int(seconds * 12); ++i) {
    Samples b = Sweep(300 + (seed * 37 + i * 91) % 500, 900 + (i * 53) % 400, 0.05, 0, 0.25);
    Envelope(b, 0.005, 0.03);
    MixInto(s, b, std::fmod(i * 0.083 + seed * 0.01, seconds - 0.06));
  }
  return s;
}

}  // namespace

void GenerateSwim(Output& out) {
  const Root D = Root::Data, P = Root::Program;
  std::vector<std::unique_ptr<Sheet>> scenery;
  auto add = [&](const char* path) -> Sheet& {
    scenery.push_back(std::make_unique<Sheet>());
    scenery.back()->path = path;
    return *scenery.back();
  };

  // The maze tiles: rock, the wall pieces by where the water lies, the start
  // area, the background strip and the start area's foot.
  const Rgb rockA{92, 74, 60}, rockB{120, 98, 78}, sand{196, 170, 110}, waterDeep{20, 60, 110};
  {
    Sheet& s = add(kTileSprite);
    auto rock = [&](cairo_t* cr, double x, double y, double w, double h) {
      cairo_rectangle(cr, x, y, w, h);
      SetRgb(cr, rockA);
      cairo_fill(cr);
      for (int i = 0; i < 9; ++i) {
        Ellipse(cr, x + std::fmod(i * 37.0, w), y + std::fmod(i * 23.0 + 11, h), 9 + i % 4, 6 + i % 3);
        FillStroke(cr, rockB, 1, {70, 56, 46});
      }
    };
    rock(s.Frame(kTileSize, kTileSize), 0, 0, kTileSize, kTileSize);
    // Codes 1..8: the water to the N, NE, E, SE, S, SW, W, NW; 9..20 the corners.
    const double dirs[8][2] = {{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}};
    for (int code = 1; code <= 20; ++code) {
      cairo_t* cr = s.Frame(kTileSize, kTileSize);
      cairo_save(cr);
      if (code <= 8) {
        const double dx = dirs[code - 1][0], dy = dirs[code - 1][1];
        // Rock away from the water, a sandy edge towards it, the rest keyed.
        cairo_translate(cr, 50, 50);
        cairo_rotate(cr, std::atan2(dy, dx) + M_PI / 2);
        const double reach = (dx != 0 && dy != 0) ? 20 : 30;
        cairo_rectangle(cr, -80, -reach, 160, 130);
        SetRgb(cr, rockA);
        cairo_fill(cr);
        cairo_rectangle(cr, -80, -reach, 160, 8);
        SetRgb(cr, code == 1 ? sand : rockB);
        cairo_fill(cr);
      } else {
        // Rounded corners: rock filling the cell's far triangle.
        const int group = (code - 9) / 3, part = (code - 9) % 3;
        static const double kCorner[4][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
        const double cx = kCorner[group][0], cy = kCorner[group][1];
        cairo_translate(cr, 50, 50);
        cairo_scale(cr, cx, cy);
        if (part == 0 && (group == 0 || group == 3)) {
          cairo_move_to(cr, 50, -50);
          cairo_line_to(cr, 50, 50);
          cairo_line_to(cr, -50, 50);
        } else {
          cairo_move_to(cr, -50, -50);
          cairo_line_to(cr, 50, -50);
          cairo_line_to(cr, 50, 50);
          cairo_line_to(cr, -50, 50);
        }
        cairo_close_path(cr);
        SetRgb(cr, rockA);
        cairo_fill(cr);
      }
      cairo_restore(cr);
    }
    {
      cairo_t* cr = s.Frame(kTileStartW, kTileStartH);  // 22: the start pool's frame
      rock(cr, 0, 0, 60, kTileStartH);
      cairo_rectangle(cr, 60, 0, 10, kTileStartH);
      SetRgb(cr, {200, 200, 60});
      cairo_fill(cr);
      Text(cr, "START", 35, 60, 16, {250, 250, 250}, 1, true);
    }
    {
      cairo_t* cr = s.Frame(kBackgroundW, kBackgroundH);  // 23: raw background
      cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, kBackgroundH);
      cairo_pattern_add_color_stop_rgb(g, 0, 40 / 255.0, 110 / 255.0, 170 / 255.0);
      cairo_pattern_add_color_stop_rgb(g, 1, waterDeep.r / 255.0, waterDeep.g / 255.0, waterDeep.b / 255.0);
      cairo_rectangle(cr, 0, 0, kBackgroundW, kBackgroundH);
      cairo_set_source(cr, g);
      cairo_fill(cr);
      cairo_pattern_destroy(g);
      for (int i = 0; i < 5; ++i) {  // light rays and a few bubbles
        cairo_move_to(cr, 10 + i * 20, 0);
        cairo_line_to(cr, 20 + i * 20, kBackgroundH);
        SetRgb(cr, {90, 150, 200});
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        Ellipse(cr, 15 + i * 17, 40 + i * 70, 3, 3);
        FillStroke(cr, {150, 200, 230}, 1, {90, 150, 200});
      }
    }
    rock(s.Frame(kTileSize, kTileSize), 0, 0, kTileSize, kTileSize);  // 24: the foot
  }
  {
    Sheet& s = add(kSharkSprite);
    const int first[6] = {1, 61, 41, 101, 31, 91}, count[6] = {30, 30, 20, 20, 10, 10};
    CreatureSheet(s, 0, kSharkW, kSharkH, first, count);
  }
  {
    Sheet& s = add(kEelSprite);
    const int first[6] = {1, 61, 41, 101, 21, 81}, count[6] = {20, 20, 20, 20, 20, 20};
    CreatureSheet(s, 1, kEelW, kEelH, first, count);
  }
  {
    Sheet& s = add(kJellySprite);
    const int first[6] = {61, 1, 101, 41, 81, 21}, count[6] = {20, 20, 20, 20, 20, 20};
    CreatureSheet(s, 2, kJellyW, kJellyH, first, count);
  }
  {
    Sheet& s = add(kPumpSprite);
    for (int f = 0; f < kPumpFrames; ++f) {
      cairo_t* cr = s.Frame(kPumpW, kPumpH);
      cairo_rectangle(cr, 18, 30, 24, kPumpH - 30);
      FillStroke(cr, {200, 60, 40}, 2, kInk);
      Ellipse(cr, 30, 30, 14, 10);
      FillStroke(cr, {230, 230, 230}, 2, kInk);
      for (int b = 0; b < 3; ++b) {  // rising bubbles
        const double y = 24 - std::fmod(f * 3.0 + b * 8, 24);
        Ellipse(cr, 26 + b * 4, y, 3, 3);
        FillStroke(cr, {180, 220, 250}, 1, {90, 150, 200});
      }
    }
  }
  {
    Sheet& s = add(kFishesSprite);
    for (int f = 0; f < kFishesFrames; ++f) {
      cairo_t* cr = s.Frame(kFishesW, kFishesH);
      for (int i = 0; i < 4; ++i) {
        const double x = std::fmod(20 + i * 38 + f * 5, kFishesW - 20), y = 14 + (i % 2) * 24;
        Ellipse(cr, x, y, 10, 5);
        FillStroke(cr, i % 2 ? Rgb{250, 160, 40} : Rgb{250, 230, 80}, 1, kInk);
        cairo_move_to(cr, x - 10, y);
        cairo_line_to(cr, x - 16, y - 4 - (f % 2) * 2);
        cairo_line_to(cr, x - 16, y + 4 + (f % 2) * 2);
        FillStroke(cr, {250, 160, 40}, 1, kInk);
      }
    }
  }
  {
    Sheet& s = add(kDecorationSprite);
    for (int k = 1; k <= kDecorationFrames; ++k) {
      const int w = kDecorationW[k], h = kDecorationH[k];
      cairo_t* cr = s.Frame(w, h);
      switch (k % 5) {
        case 0:  // shells
          Ellipse(cr, w / 2.0, h * 0.6, w * 0.4, h * 0.35);
          FillStroke(cr, {240, 200, 190}, 1.5, kInk);
          break;
        case 1:  // a stone
          Ellipse(cr, w / 2.0, h * 0.6, w * 0.45, h * 0.38);
          FillStroke(cr, {140, 130, 120}, 1.5, kInk);
          break;
        case 2:  // coral
          for (int i = 0; i < 4; ++i) {
            cairo_move_to(cr, w / 2.0, h);
            cairo_line_to(cr, w * (0.2 + 0.2 * i), h * 0.15);
          }
          SetRgb(cr, {240, 110, 90});
          cairo_set_line_width(cr, 5);
          cairo_stroke(cr);
          break;
        case 3:  // a chest or a wreck plank
          cairo_rectangle(cr, 3, h * 0.35, w - 6, h * 0.6);
          FillStroke(cr, {140, 90, 40}, 2, kInk);
          break;
        default:  // a starfish
          for (int i = 0; i < 5; ++i) {
            const double a = i * 2 * M_PI / 5 - M_PI / 2;
            cairo_line_to(cr, w / 2.0 + std::cos(a) * w * 0.45, h / 2.0 + std::sin(a) * h * 0.45);
            cairo_line_to(cr, w / 2.0 + std::cos(a + 0.6) * w * 0.18, h / 2.0 + std::sin(a + 0.6) * h * 0.18);
          }
          cairo_close_path(cr);
          FillStroke(cr, {250, 150, 60}, 1.5, kInk);
          break;
      }
    }
  }
  {
    Sheet& s = add(kWeedSprite);
    for (int kind = 0; kind < 3; ++kind)
      for (int f = 0; f < 12; ++f) {
        cairo_t* cr = s.Frame(kWeedW, kWeedH);
        const double sway = std::sin(f * 2 * M_PI / 12) * 8;
        cairo_move_to(cr, kWeedW / 2.0, kWeedH);
        cairo_curve_to(cr, kWeedW / 2.0 + sway, kWeedH * 0.6, kWeedW / 2.0 - sway, kWeedH * 0.3,
                       kWeedW / 2.0 + sway, 4 + kind * 10);
        SetRgb(cr, {40, 130 + kind * 30, 60});
        cairo_set_line_width(cr, 7);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_stroke(cr);
      }
  }
  {
    Sheet& s = add(kFlagSprite);
    for (int f = 0; f < kFlagFrames; ++f) {
      cairo_t* cr = s.Frame(kFlagW, kFlagH);
      cairo_rectangle(cr, 6, 4, 5, kFlagH - 4);
      FillStroke(cr, {200, 200, 200}, 1, kInk);
      cairo_move_to(cr, 11, 8);
      for (int i = 0; i <= 10; ++i)
        cairo_line_to(cr, 11 + i * 5.5, 8 + std::sin(i * 0.6 + f * M_PI / 4) * 4);
      for (int i = 10; i >= 0; --i)
        cairo_line_to(cr, 11 + i * 5.5, 48 + std::sin(i * 0.6 + f * M_PI / 4) * 4);
      cairo_close_path(cr);
      FillStroke(cr, {250, 250, 250}, 1.5, kInk);
      for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c)
          if ((r + c) % 2) {
            cairo_rectangle(cr, 13 + c * 11, 11 + r * 9 + std::sin(c + f * M_PI / 4) * 3, 10, 9);
            SetRgb(cr, kInk);
            cairo_fill(cr);
          }
    }
  }
  {
    Sheet& s = add(kIntroSprite);
    for (int f = 0; f < kIntroFrames; ++f) {
      cairo_t* cr = s.Frame(kIntroW, kIntroH);
      RoundRect(cr, 4, 60, kIntroW - 8, 180, 16);
      FillStroke(cr, {20, 70, 130}, 3);
      Text(cr, "TROUBLED", kIntroW / 2.0, 120, 38, {250, 220, 60}, 1, true);
      Text(cr, "WATERS", kIntroW / 2.0, 170, 38, {250, 220, 60}, 1, true);
      const double k = f / double(kIntroFrames);
      DrawCreature(cr, 0, 120, 60, k, 0.3, 1);
      for (int b = 0; b < 6; ++b) {
        Ellipse(cr, 40 + b * 45, 230 - std::fmod(b * 17 + f * 6, 40.0), 4, 4);
        FillStroke(cr, {150, 200, 240}, 1, {250, 250, 250});
      }
      cairo_save(cr);
      cairo_translate(cr, 150 + 40 * std::sin(k * 2 * M_PI), 190);
      DrawCreature(cr, 0, 120, 60, k, 0.3, 1);
      cairo_restore(cr);
    }
  }

  // The status band.
  Canvas status(kStatusW, kStatusH);
  DrawStatusBand(status.cr(), kStatusW, kStatusH, 2, {{16, 44, 80}, {30, 80, 130}, {12, 30, 60}, {8, 20, 40}}, false);

  // The palette: scenery in 6..119 and 248..254; 120..247 hold the first
  // four characters' swimmer colours until the event copies the players' in.
  Palette pal = BasePalette();
  ColourHistogram hist;
  status.Flush();
  hist.Add(status);
  for (auto& s : scenery)
    for (auto& f : s->frames) {
      f->Flush();
      hist.Add(*f, f->w() * f->h() > 60000 ? 3 : 1);
    }
  hist.AddColour(kInk, 1u << 24);
  FillPalette(&pal, kSceneryFirst, hist.MedianCut(kSceneryLast - kSceneryFirst + 1));
  std::vector<int> high;
  for (int i = kSceneryHighFirst; i <= kSceneryHighLast; ++i) high.push_back(i);

  // Swimmer sheets: each with its own 32 colours at 120..151.
  std::vector<std::vector<Rgb>> swimmerColours(kCharacters);
  std::vector<std::unique_ptr<Sheet>> swimmers;
  for (int c = 0; c < kCharacters; ++c) {
    swimmers.push_back(std::make_unique<Sheet>());
    swimmers.back()->path = kSwimmerSprite[c];
    SwimmerSheet(*swimmers.back(), c);
    ColourHistogram h;
    for (auto& f : swimmers.back()->frames) {
      f->Flush();
      h.Add(*f);
    }
    swimmerColours[c] = h.MedianCut(kSwimmerColours);
  }
  for (int i = 0; i < 4; ++i) FillPalette(&pal, kSwimmerColoursFirst + kSwimmerColours * i, swimmerColours[i]);
  std::vector<int> extra{0, 255};
  extra.insert(extra.end(), high.begin(), high.end());
  Quantizer sceneryQ(pal, 2, kSceneryLast, extra);
  out.Write(D, kStatusPicture, EncodeBmp8(sceneryQ.Reduce(status, false), pal));
  for (auto& s : scenery) {
    std::vector<MbmFrame> frames;
    const bool opaque = s->path == kTileSprite;
    int n = 0;
    for (auto& f : s->frames) {
      ++n;
      // The rock and the background strip are copied opaquely.
      const bool key = !(opaque && (n == 1 || n == kTileBackgroundFrame || n == kTileFootFrame));
      frames.push_back({"", sceneryQ.Reduce(*f, key)});
    }
    out.Write(D, s->path, EncodeMbm(frames, pal));
  }
  for (int c = 0; c < kCharacters; ++c) {
    Palette own = BasePalette();
    FillPalette(&own, kSwimmerColoursFirst, swimmerColours[c]);
    Quantizer q(own, kSwimmerColoursFirst, kSwimmerColoursFirst + kSwimmerColours - 1);
    std::vector<MbmFrame> frames;
    for (auto& f : swimmers[c]->frames) frames.push_back({"", q.Reduce(*f)});
    out.Write(D, kSwimmerSprite[c], EncodeMbm(frames, own));
  }

  // Pictures with palettes of their own, matched to the event's at loading:
  // weapons, stars, icons; and the flag icon on the map.
  auto ownPalette = [&](const char* path, std::vector<std::unique_ptr<Canvas>>& frames) {
    ColourHistogram h;
    for (auto& f : frames) {
      f->Flush();
      h.Add(*f);
    }
    h.AddColour(kInk, 1u << 20);
    Palette p = BasePalette();
    FillPalette(&p, 6, h.MedianCut(64));
    Quantizer q(p, 2, 69);
    std::vector<MbmFrame> mf;
    for (auto& f : frames) mf.push_back({"", q.Reduce(*f)});
    out.Write(D, path, EncodeMbm(mf, p));
  };
  for (int c = 0; c < kCharacters; ++c) {
    Sheet s;
    for (int d = 0; d < 6; ++d)
      for (int i = 0; i < 5; ++i)
        DrawCharacterWeapon(s.Frame(kWeaponW, kWeaponH), c, kWeaponW / 2.0, kWeaponH / 2.0, 12, i * 2 * M_PI / 5 + d);
    DrawCharacterWeapon(s.Frame(kWeaponW, kWeaponH), c, kWeaponW / 2.0, kWeaponH / 2.0, 12, 0);  // 31: the icon
    ownPalette(kWeaponSprite[c], s.frames);
  }
  {
    Sheet s;
    for (int f = 0; f < kStarFrames; ++f) {
      cairo_t* cr = s.Frame(kStarW, kStarH);
      for (int i = 0; i < 5; ++i) {
        const double a = i * 2 * M_PI / 5 + f * 0.3;
        cairo_line_to(cr, 10 + std::cos(a) * 9, 10 + std::sin(a) * 9);
        cairo_line_to(cr, 10 + std::cos(a + 0.63) * 4, 10 + std::sin(a + 0.63) * 4);
      }
      cairo_close_path(cr);
      FillStroke(cr, {250, 230, 60}, 1, kInk);
    }
    if (!out.Has(D, kStarSprite)) ownPalette(kStarSprite, s.frames);  // FULL CONTACT FIGURE SKATING's when written
  }
  {
    Sheet s;
    for (int f = 0; f < kIconsFrames; ++f) {
      cairo_t* cr = s.Frame(kIconW, kIconH);
      Ellipse(cr, 11, 11, 9, 9);
      FillStroke(cr, f == 0 ? Rgb{240, 60, 60} : (f == 1 ? Rgb{250, 160, 40} : Rgb{80, 160, 250}), 1.5, kInk);
      Text(cr, f == 0 ? "P" : (f == 1 ? "A" : "J"), 11, 16, 11, {250, 250, 250}, 1);
    }
    if (!out.Has(D, kIconsSprite)) ownPalette(kIconsSprite, s.frames);
  }
  {
    Canvas icon(kFlagIconW, kFlagIconH);
    cairo_t* cr = icon.cr();
    cairo_rectangle(cr, 0, 0, kFlagIconW, kFlagIconH);
    SetRgb(cr, {250, 250, 250});
    cairo_fill(cr);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 4; ++c)
        if ((r + c) % 2) {
          cairo_rectangle(cr, c * 5, r * 5, 5, 5);
          SetRgb(cr, kInk);
          cairo_fill(cr);
        }
    icon.Flush();
    out.Write(D, kFlagIcon, EncodeBmp8(sceneryQ.Reduce(icon, false), pal));
  }

  // The swimmer data files, in the layout the sheets are drawn to.
  for (int c = 0; c < kCharacters; ++c) {
    std::string text;
    for (int v : kSwimmerLayout) text += std::to_string(v) + "\n";
    out.Write(D, kSwimmerData[c], Bytes(text.begin(), text.end()));
  }

  // Sounds.
  auto wav = [&](Root root, const std::string& path, const Samples& s) {
    out.Write(root, path, EncodeWav(ToPcm(s), kRate, 16));
  };
  wav(D, "swim\\turn.wav", Bubbles(0.4, 1));
  {
    Samples bite = Hit(180, 2);
    MixInto(bite, Hit(140, 3), 0.12);
    wav(D, "swim\\bite.wav", bite);
  }
  {
    Samples zap = Noise(0.5, 0.5, 4, 0.1);
    MixInto(zap, Tone(60, 0.5, 1, 0.3), 0);
    Envelope(zap, 0.01, 0.2);
    wav(D, "swim\\shock.wav", zap);
  }
  wav(D, "swim\\Mgargle.wav", Bubbles(0.8, 5));
  {
    Samples sting = Sweep(1200, 500, 0.35, 3, 0.4);
    Envelope(sting, 0.01, 0.2);
    wav(D, "swim\\noAir2.wav", sting);
  }
  wav(D, "swim\\wpnhit01.wav", Hit(220, 6));
  wav(D, "swim\\wpnhit02.wav", Hit(320, 7));
  wav(D, "swim\\wpnhit03.wav", Hit(420, 8));
  wav(D, "extra\\events\\annswimm.wav", Speak("Troubled waters! Swim for your lives!", 6));
  {
    Samples pill = Sweep(300, 1200, 0.35, 1, 0.3);
    Envelope(pill, 0.01, 0.1);
    wav(P, "sounds\\powerpil.wav", pill);
  }
  if (!out.Has(P, "sounds\\cheer.wav")) {
    Samples cheer = Noise(1.5, 0.4, 9, 0.8);
    Envelope(cheer, 0.05, 0.5);
    wav(P, "sounds\\cheer.wav", cheer);
  }
  static const char* const kAirWords[3] = {"I need air!", "Air! Air!", "Running out of air!"};
  for (int c = 0; c < kCharacters; ++c) {
    char path[64];
    for (int k = 0; k < kSwimmerSounds; ++k) {
      std::snprintf(path, sizeof path, kSwimmerSoundPattern[k], k < kFirstVoiceSound ? kSoundPrefix[c] : kVoicePrefix[c]);
      Samples s;
      switch (k) {
        case 0: s = Sweep(500 + 40 * c, 250, 0.25, 2, 0.35); Envelope(s, 0.01, 0.1); break;   // reaction
        case 1: s = Noise(0.25, 0.5, 10 + c, 0.6); Envelope(s, 0.01, 0.15); break;           // throw
        case 2: s = Bubbles(0.5, 20 + c); break;                                              // breath
        case 3: s = Hit(260 + 30 * c, 30 + c); break;                                         // weapon
        case 4: case 5: case 6: s = Speak(kAirWords[k - 4], c); break;
        case 7: s = Speak("Shark!", c); break;
        case 8: s = Speak("Get away!", c); break;
        default: s = Speak("Made it!", c); break;
      }
      wav(D, path, s);
    }
  }
}

}  // namespace assetgen
