// HIPPO RUN: the event palette, the isometric course (a tile picture), the
// hippo, the car, puffs, flags, the item icons, the title animation, the
// course map, the six runner sheets with their own small palettes, the six
// thrown weapons, and the event's voices and sounds, to the layouts of
// hippo_run_data.h.
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "events/hippo_run/hippo_run_data.h"
#include "tools/assetgen/audio.h"
#include "tools/assetgen/draw.h"
#include "tools/assetgen/gen.h"

namespace assetgen {

using namespace hippoassets;

namespace {

const Rgb kInk{24, 18, 14};

struct Sheet {
  std::string path;
  Root root = Root::Data;
  std::vector<std::unique_ptr<Canvas>> frames;
  cairo_t* Frame(int w, int h) {
    frames.push_back(std::make_unique<Canvas>(w, h));
    return frames.back()->cr();
  }
};

// --------------------------------------------------------------- the course

struct Pt {
  double x, y;
};
Pt P(double wx, double wy) {
  return {(wx + wy) * kProjectX + kProjectOriginX, (wx - wy) * kProjectY + kProjectOriginY};
}
void Quad(cairo_t* cr, double x0, double y0, double x1, double y1) {
  Pt a = P(x0, y0), b = P(x1, y0), c = P(x1, y1), d = P(x0, y1);
  cairo_move_to(cr, a.x, a.y);
  cairo_line_to(cr, b.x, b.y);
  cairo_line_to(cr, c.x, c.y);
  cairo_line_to(cr, d.x, d.y);
  cairo_close_path(cr);
}
void FillQuad(cairo_t* cr, double x0, double y0, double x1, double y1, Rgb c) {
  Quad(cr, x0, y0, x1, y1);
  SetRgb(cr, c);
  cairo_fill(cr);
}
// A flat two-colour texture with a period of 8 pixels, so that the tile
// picture repeats a handful of tiles over large areas.
cairo_pattern_t* Texture(Rgb a, Rgb b, int kind) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 8, 8);
  cairo_t* cr = cairo_create(s);
  SetRgb(cr, a);
  cairo_paint(cr);
  SetRgb(cr, b);
  static const int kDots[2][4][2] = {{{1, 1}, {5, 2}, {2, 5}, {6, 6}}, {{0, 3}, {4, 7}, {3, 0}, {7, 4}}};
  for (auto& d : kDots[kind & 1]) {
    cairo_rectangle(cr, d[0], d[1], 1, 1);
    if (kind & 2) cairo_rectangle(cr, d[0] + 1 > 7 ? 0 : d[0] + 1, d[1], 1, 1);
  }
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_pattern_t* p = cairo_pattern_create_for_surface(s);
  cairo_surface_destroy(s);
  cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(p, CAIRO_FILTER_NEAREST);
  return p;
}
void FillQuadTextured(cairo_t* cr, double x0, double y0, double x1, double y1, cairo_pattern_t* t) {
  Quad(cr, x0, y0, x1, y1);
  cairo_set_source(cr, t);
  cairo_fill(cr);
}
void WorldLine(cairo_t* cr, double x0, double y0, double x1, double y1, Rgb c, double width) {
  Pt a = P(x0, y0), b = P(x1, y1);
  cairo_move_to(cr, a.x, a.y);
  cairo_line_to(cr, b.x, b.y);
  SetRgb(cr, c);
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
}

void DrawTree(cairo_t* cr, Pt at, double size, int kind) {
  cairo_rectangle(cr, at.x - size * 0.08, at.y - size * 0.5, size * 0.16, size * 0.5);
  SetRgb(cr, {110, 70, 40});
  cairo_fill(cr);
  static const Rgb kLeaves[3] = {{40, 110, 50}, {60, 130, 40}, {30, 90, 60}};
  Ellipse(cr, at.x, at.y - size * 0.75, size * 0.45, size * 0.4);
  SetRgb(cr, kLeaves[kind % 3]);
  cairo_fill_preserve(cr);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
}

void DrawCourse(Canvas& canvas) {
  cairo_t* cr = canvas.cr();
  // Hard edges: the picture is stored as 4x4 tiles, and flat areas with
  // sharp borders repeat few of them.
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_font_options_t* fo = cairo_font_options_create();
  cairo_font_options_set_antialias(fo, CAIRO_ANTIALIAS_NONE);
  cairo_set_font_options(cr, fo);
  cairo_font_options_destroy(fo);

  cairo_pattern_t* grass = Texture({86, 160, 60}, {70, 140, 50}, 0);
  cairo_pattern_t* grassHigh = Texture({100, 175, 70}, {80, 155, 55}, 1);
  cairo_pattern_t* sand = Texture({214, 176, 120}, {196, 156, 104}, 2);
  cairo_pattern_t* sandHigh = Texture({226, 190, 134}, {206, 168, 114}, 3);
  cairo_pattern_t* asphalt = Texture({96, 96, 104}, {84, 84, 92}, 0);
  cairo_set_source(cr, grass);
  cairo_paint(cr);
  // The hill rises up the course: terraces of grass and of the track, each
  // a shade lighter, with a contour line at every step.
  for (int band = 0; band < 16; ++band) {
    const double y0 = -800 + 250.0 * band, y1 = y0 + 250;
    FillQuadTextured(cr, -2400, y0, 2600, y1, (band & 1) ? grassHigh : grass);
  }
  for (int band = 0; band < 16; ++band) {
    const double y0 = -800 + 250.0 * band;
    WorldLine(cr, -2400, y0, -330, y0, {56, 120, 42}, 2);
    WorldLine(cr, 560, y0, 2600, y0, {56, 120, 42}, 2);
  }
  // The road of the car, with its centre line.
  FillQuad(cr, -318, -900, -132, 3500, {60, 60, 66});
  FillQuadTextured(cr, -310, -900, -140, 3500, asphalt);
  for (int y = -900; y < 3500; y += 120) WorldLine(cr, kCarX, y, kCarX, y + 60, {240, 240, 240}, 3);
  // The course: a sand track with its white borders.
  FillQuad(cr, -28, -40, 528, 3040, {150, 120, 80});
  for (int band = 0; band < 13; ++band) {
    const double y0 = -20 + 250.0 * band, y1 = std::min(3020.0, y0 + 250);
    FillQuadTextured(cr, -20, y0, 520, y1, (band & 1) ? sandHigh : sand);
  }
  WorldLine(cr, -10, -20, -10, 3020, {250, 250, 250}, 4);
  WorldLine(cr, 510, -20, 510, 3020, {250, 250, 250}, 4);
  // The flags' holes in three rows along the course.
  for (int c = 0; c < 3; ++c)
    for (int j = 0; j < kFlagRows; ++j) {
      Pt p = P(kFlagColumns[c], kFlagFirstY + kFlagStepY * j);
      Ellipse(cr, p.x, p.y, 7, 3);
      SetRgb(cr, {120, 90, 60});
      cairo_fill(cr);
    }
  // The start line before the hippos, the finishing line with its chequers.
  FillQuad(cr, -10, kStartLineY - 60, 510, kStartLineY - 48, {250, 250, 250});
  for (int i = 0; i < 26; ++i)
    for (int k = 0; k < 2; ++k)
      FillQuad(cr, -10 + 20 * i, kFinishLineY + 20 * k, 10 + 20 * i, kFinishLineY + 20 + 20 * k,
               ((i + k) & 1) ? Rgb{20, 20, 20} : Rgb{250, 250, 250});
  {
    Pt p = P(-40, kStartLineY - 120);
    Text(cr, "START", p.x, p.y, 30, {250, 250, 250}, 2, true);
    Pt f = P(-40, kFinishLineY + 30);
    Text(cr, "FINISH", f.x, f.y, 40, {250, 220, 40}, 2, true);
  }
  // Distance marks beside the track.
  for (int m = 1; m <= 9; ++m) {
    const int y = kStartLineY + 250 * m;
    if (y >= kFinishLineY) break;
    Pt p = P(540, y);
    Text(cr, std::to_string(m * 25) + " m", p.x + 8, p.y + 10, 18, {250, 250, 250}, 0, true);
  }
  // Trees on the grass on both sides, placed by a fixed rule.
  for (int i = 0; i < 90; ++i) {
    const double y = -700 + std::fmod(i * 397.0, 4100.0);
    const bool left = (i % 3) != 0;
    const double x = left ? -420 - std::fmod(i * 233.0, 900.0) : 640 + std::fmod(i * 181.0, 900.0);
    Pt p = P(x, y);
    if (p.x < 20 || p.y < 60 || p.x > kCourseW - 20 || p.y > kCourseH - 4) continue;
    DrawTree(cr, p, 60 + (i % 4) * 10, i);
  }
  cairo_pattern_destroy(grass);
  cairo_pattern_destroy(grassHigh);
  cairo_pattern_destroy(sand);
  cairo_pattern_destroy(sandHigh);
  cairo_pattern_destroy(asphalt);
}

// --------------------------------------------------------------- the actors

// The cloths on the hippos' backs, one colour a player, so that a person
// finds his own hippo among four that look alike.
const Rgb kPlayerCloth[4] = {{230, 40, 40}, {40, 110, 220}, {250, 210, 40}, {60, 170, 70}};

// `number` 1..4 writes the player's number on the cloth in his colour; 0
// leaves it white.
void DrawHippoBody(cairo_t* cr, double cx, double feetY, double legPhase, double lie, double squint,
                   double mouth, int number = 0) {
  // Facing up the course (to the upper right), seen from behind and the side.
  cairo_save(cr);
  cairo_translate(cr, cx, feetY);
  cairo_rotate(cr, -lie * 1.4);
  const Rgb skin{150, 120, 160}, shade{120, 92, 132};
  for (int k = 0; k < 4; ++k) {  // legs
    double lx = -28 + 18 * k, swing = std::sin(legPhase * 2 * M_PI + k * M_PI / 2) * 6;
    RoundRect(cr, lx + swing * 0.5, -26, 14, 26 - std::fabs(swing) * 0.3, 5);
    FillStroke(cr, k % 2 ? shade : skin, 1.6);
  }
  Ellipse(cr, -2, -44, 44, 28);  // body
  FillStroke(cr, skin, 2);
  Ellipse(cr, 34, -62, 22, 18);  // head
  FillStroke(cr, skin, 2);
  Ellipse(cr, 50, -54, 12, 10 + mouth * 5);  // snout
  FillStroke(cr, {170, 140, 180}, 1.6);
  Ellipse(cr, 28, -80, 5, 6);  // ears
  Ellipse(cr, 40, -80, 5, 6);
  FillStroke(cr, shade, 1.4);
  if (squint > 0.5) {
    cairo_move_to(cr, 36, -68);
    cairo_line_to(cr, 44, -66);
    SetRgb(cr, kInk);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
  } else {
    Ellipse(cr, 40, -68, 3.5, 3.5);
    FillStroke(cr, {250, 250, 250}, 1);
    Ellipse(cr, 41, -68, 1.5, 1.5);
    SetRgb(cr, kInk);
    cairo_fill(cr);
  }
  // A number cloth on the back.
  RoundRect(cr, -22, -60, 26, 20, 3);
  FillStroke(cr, number >= 1 && number <= 4 ? kPlayerCloth[number - 1] : Rgb{250, 250, 250}, 1.2);
  if (number >= 1 && number <= 4) Text(cr, std::to_string(number), -9, -43, 18, kInk, 1, true);
  cairo_restore(cr);
}

void DrawWeapon(cairo_t* cr, int row, double cx, double cy, double size, double angle) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_rotate(cr, angle);
  const double s = size;
  switch (row) {
    case 0:  // banana
      cairo_arc(cr, 0, -s * 0.2, s * 0.5, 0.3, M_PI - 0.3);
      cairo_arc_negative(cr, 0, -s * 0.45, s * 0.55, M_PI - 0.4, 0.4);
      cairo_close_path(cr);
      FillStroke(cr, {250, 220, 50}, 1.6);
      break;
    case 1:  // flying saucer
      Ellipse(cr, 0, 0, s * 0.6, s * 0.2);
      FillStroke(cr, {170, 180, 200}, 1.6);
      Ellipse(cr, 0, -s * 0.15, s * 0.25, s * 0.18);
      FillStroke(cr, {120, 220, 240}, 1.4);
      break;
    case 2:  // boomerang
      cairo_move_to(cr, -s * 0.5, s * 0.3);
      cairo_line_to(cr, 0, -s * 0.3);
      cairo_line_to(cr, s * 0.5, s * 0.3);
      cairo_line_to(cr, 0, -s * 0.05);
      cairo_close_path(cr);
      FillStroke(cr, {190, 120, 50}, 1.6);
      break;
    case 3:  // dagger
      cairo_move_to(cr, -s * 0.5, 0);
      cairo_line_to(cr, s * 0.15, -s * 0.08);
      cairo_line_to(cr, s * 0.15, s * 0.08);
      cairo_close_path(cr);
      FillStroke(cr, {220, 225, 235}, 1.4);
      cairo_rectangle(cr, s * 0.15, -s * 0.16, s * 0.06, s * 0.32);
      cairo_rectangle(cr, s * 0.21, -s * 0.05, s * 0.28, s * 0.1);
      FillStroke(cr, {120, 70, 30}, 1.2);
      break;
    case 4:  // pizza
      Ellipse(cr, 0, 0, s * 0.45, s * 0.45);
      FillStroke(cr, {230, 180, 90}, 1.6);
      Ellipse(cr, 0, 0, s * 0.36, s * 0.36);
      FillStroke(cr, {220, 60, 40}, 0);
      for (int k = 0; k < 5; ++k) {
        Ellipse(cr, std::cos(k * 1.3) * s * 0.2, std::sin(k * 1.3) * s * 0.2, s * 0.06, s * 0.06);
        FillStroke(cr, {250, 240, 200}, 0.8);
      }
      break;
    default:  // dumbbell
      cairo_rectangle(cr, -s * 0.4, -s * 0.05, s * 0.8, s * 0.1);
      FillStroke(cr, {150, 150, 160}, 1.2);
      for (int side : {-1, 1}) {
        RoundRect(cr, side * s * 0.4 - s * 0.1, -s * 0.22, s * 0.2, s * 0.44, 3);
        FillStroke(cr, {60, 60, 70}, 1.4);
      }
      break;
  }
  cairo_restore(cr);
}

Pose RunnerPose(int state, double t) {
  Pose p;
  const double s = std::sin(t * 2 * M_PI);
  auto walk = [&](double amount) {
    p.leg[0] = amount * s;
    p.leg[1] = -amount * s;
    p.knee[0] = std::max(0.0, -s) * 0.6;
    p.knee[1] = std::max(0.0, s) * 0.6;
  };
  switch (state) {
    case kStatePush:
      walk(0.45);
      p.lean = 0.5;
      p.arm[0] = 1.35;
      p.arm[1] = 1.15;
      p.elbow[0] = p.elbow[1] = 0.5 + 0.2 * s;
      p.mouth = 0.6;
      break;
    case kStateWindUp:
      p.arm[0] = -0.4 - 1.2 * std::sin(t * M_PI);
      p.elbow[0] = -1.2;
      p.arm[1] = 0.9;
      p.elbow[1] = 1.4;
      p.lean = -0.1;
      p.mouth = 0.5;
      break;
    case kStateThrow:
      return ActionPose(Action::kThrow, t);
    case kStatePunch:
      return ActionPose(Action::kPunch, t);
    case kStateKnockedOut:
      return ActionPose(Action::kKnockedDown, t);
    case kStateGettingUp:
      return ActionPose(Action::kGettingUp, t);
    case kStateHit1:
    case kStateHit2:
      return ActionPose(Action::kHit, t);
    case kStateResting:
      p.lean = 0.35;
      p.arm[0] = 0.3;
      p.arm[1] = -0.3;
      p.elbow[0] = p.elbow[1] = 0.3;
      p.knee[0] = p.knee[1] = 0.3;
      p.mouth = 0.3 + 0.3 * s;
      p.bounce = 1.5 * s;
      break;
    default:  // standing and walking
      walk(0.5);
      p.arm[0] = -0.4 * s;
      p.arm[1] = 0.4 * s;
      p.elbow[0] = p.elbow[1] = 0.4;
      p.bounce = 1.5 * std::fabs(s);
      break;
  }
  return p;
}

// One runner sheet: every frame the tables name, drawn from its state,
// direction and place in the sequence, on a 30-colour palette of its own
// (0 black, 1 the key, 2..29 the character's colours), which the event
// copies into the player's range of its palette.
Bytes RunnerSheet(int row) {
  const int ch = kCharacterOfRow[row];
  const int count = RunnerFrameCount(row);
  struct Use {
    int state = -1, dir = 4;
    double t = 0;
  };
  std::vector<Use> use(count + 1);
  for (int s = 0; s < kAnimStates; ++s)
    for (int d = 0; d < 8; ++d) {
      int most = 1;
      for (int k = 0; k < kSequenceMax && kRunnerSequence[row][s][k] >= 0; ++k)
        most = std::max(most, kRunnerSequence[row][s][k]);
      for (int k = 0; k < kSequenceMax && kRunnerSequence[row][s][k] >= 0; ++k) {
        const int off = kRunnerSequence[row][s][k];
        const int f = kRunnerBase[row][s][d] + off;
        if (f < 1 || f > count || use[f].state >= 0) continue;
        use[f] = {s, d, double(off) / (most + 1)};
      }
    }
  std::vector<std::unique_ptr<Canvas>> frames;
  const Hotspot hs = kRunnerHotspot[row];
  for (int f = 1; f <= count; ++f) {
    const Use u = use[f].state >= 0 ? use[f] : Use{kStateStand, 4, 0};
    frames.push_back(std::make_unique<Canvas>(kRunnerW, kRunnerH));
    cairo_t* cr = frames.back()->cr();
    // A shadow on the ground under the feet.
    Ellipse(cr, hs.x, hs.y - 2, 22, 6);
    SetRgb(cr, {60, 70, 40});
    cairo_fill(cr);
    DrawCharacterFacing(cr, ch, RunnerPose(u.state, u.t), u.dir, hs.x, hs.y - 4, 84);
  }
  return OwnColourSheet(frames, kRunnerPaletteCount - 2);
}

void Puff(cairo_t* cr, double cx, double cy, double r, int look) {
  static const Rgb kFire[4] = {{250, 220, 60}, {250, 140, 40}, {240, 240, 240}, {250, 90, 60}};
  for (int k = 0; k < 8; ++k) {
    double a = k * M_PI / 4 + look * 0.3;
    cairo_line_to(cr, cx + std::cos(a) * r, cy + std::sin(a) * r);
    cairo_line_to(cr, cx + std::cos(a + M_PI / 8) * r * 0.5, cy + std::sin(a + M_PI / 8) * r * 0.5);
  }
  cairo_close_path(cr);
  FillStroke(cr, kFire[look & 3], 2);
  Text(cr, look == 2 ? "POW" : look == 3 ? "BAM" : "", cx, cy + 4, 11, kInk, 1);
}

void DrawCar(cairo_t* cr, int look) {
  static const Rgb kPaint[4] = {{220, 40, 40}, {40, 90, 210}, {250, 200, 40}, {40, 160, 70}};
  // Driving up the road (to the upper right): a side view raised a little.
  cairo_save(cr);
  cairo_translate(cr, 75, 60);
  cairo_rotate(cr, -0.41);
  RoundRect(cr, -60, -18, 120, 30, 8);
  FillStroke(cr, kPaint[look & 3], 2);
  RoundRect(cr, -30, -38, 60, 24, 8);
  FillStroke(cr, kPaint[look & 3], 2);
  cairo_rectangle(cr, -24, -33, 22, 16);
  cairo_rectangle(cr, 4, -33, 22, 16);
  FillStroke(cr, {170, 220, 240}, 1.4);
  for (int side : {-1, 1}) {
    Ellipse(cr, side * 36, 12, 12, 12);
    FillStroke(cr, {30, 30, 30}, 2);
    Ellipse(cr, side * 36, 12, 5, 5);
    FillStroke(cr, {180, 180, 180}, 1);
  }
  cairo_restore(cr);
}

// --------------------------------------------------------------- the sounds

// A file another event shares (the athletes' reactions and finishing-line
// calls, the power pill) is written by the first event that makes it.
void Wav(Output& out, Root root, const std::string& path, const Samples& s, int bits = 16) {
  if (!out.Has(root, path)) out.Write(root, path, EncodeWav(ToPcm(s), kRate, bits));
}

void GenerateHippoSounds(Output& out) {
  const Root D = Root::Data, P = Root::Program;
  static const char* const kWords[5] = {"Hyah!", "Take that!", "Ouch!", "Oof!", "Ha! Down you go!"};
  static const char* const kNames[6] = {"Rarez Vuda", "Zovi", "Raderozi", "Razirazo", "Rizaz", "Zaru"};
  for (int r = 0; r < kRows; ++r) {
    const int voice = kCharacterOfRow[r];
    for (int v = 0; v < 5; ++v) Wav(out, D, kVoiceFiles[r][v], Speak(kWords[v], voice));
    Wav(out, D, kCommentaryFiles[r][0], Speak(std::string(kNames[r]) + " takes the lead!", 6));
    Wav(out, D, kCommentaryFiles[r][1], Speak(std::string(kNames[r]) + " is over the line!", 6));
  }
  {
    Samples engine = Tone(55, 1.4, 2, 0.3);
    MixInto(engine, Tone(82, 1.4, 1, 0.12), 0);
    for (size_t i = 0; i < engine.size(); ++i)
      engine[i] = float(engine[i] * std::sin(M_PI * double(i) / double(engine.size())));
    MixInto(engine, Tone(440, 0.25, 1, 0.25), 0.5);  // a toot of the horn
    MixInto(engine, Tone(554, 0.25, 1, 0.2), 0.5);
    Wav(out, D, kCarSound, engine, 8);
  }
  {
    Samples hit = Sweep(160, 50, 0.3, 0, 0.9);
    Envelope(hit, 0.002, 0.25);
    Samples n = Noise(0.12, 0.5, 31, 0.4);
    Envelope(n, 0.001, 0.1);
    MixInto(hit, n, 0);
    Wav(out, D, kHitSound, hit, 8);
  }
  {
    Samples push = Sweep(90, 70, 0.35, 3, 0.7);
    Envelope(push, 0.01, 0.2);
    MixInto(push, Noise(0.2, 0.25, 37, 0.8), 0.02);
    Wav(out, D, kPushSound, push, 8);
  }
  {
    Samples a = Tone(1800, 0.3, 1, 0.2);
    Append(a, Speak("Welcome to the hippo run! Push your hippo up the hill!", 6));
    Wav(out, D, kAnnouncerSound, a);
  }
  {
    Samples pill = Sweep(300, 1400, 0.5, 1, 0.3);
    Envelope(pill, 0.01, 0.1);
    Wav(out, P, kPillSound, pill, 8);
  }
}

}  // namespace

void GenerateHippo(Output& out) {
  // The runner sheets take the longest: one thread each, beside the rest.
  std::vector<Bytes> runnerFiles(kRows);
  std::vector<std::thread> workers;
  for (int r = 0; r < kRows; ++r) workers.emplace_back([r, &runnerFiles] { runnerFiles[r] = RunnerSheet(r); });

  std::vector<std::unique_ptr<Sheet>> sheets;
  auto add = [&](const char* path) -> Sheet& {
    sheets.push_back(std::make_unique<Sheet>());
    sheets.back()->path = path;
    return *sheets.back();
  };
  {
    // One look of kHippoLookFrames frames for each player, the cloth with
    // his number in his colour. The hippo is drawn at 0.85 of its size, and
    // one that falls over is moved up and right as it turns (by `lie`), so
    // that neither the snout nor the back of a lying hippo leaves the frame.
    Sheet& s = add(kHippoSprite);
    for (int look = 0; look < kHippoLooks; ++look)
      for (int f = 1; f <= kHippoLookFrames; ++f) {
        cairo_t* cr = s.Frame(kHippoW, kHippoH);
        Ellipse(cr, kHippoHotspotX, kHippoHotspotY - 2, 40, 9);
        SetRgb(cr, {60, 70, 40});
        cairo_fill(cr);
        const double cx = kHippoHotspotX - 7, feet = kHippoHotspotY - 4;
        double lift = 0, lie = 0, squint = 0, mouth = 0, legs = 0;
        if (f <= 7) {
          legs = (f - 1) / 7.0;
          mouth = 0.2;
        } else if (f <= 11) {
          lift = 4 * std::sin((f - 8) * M_PI / 3);
          lie = 0.1 * (f - 8);
          squint = mouth = 1;
        } else if (f <= 15) {
          lie = 0.25 * (f - 11);
          squint = 1;
          mouth = 0.5;
        } else {
          squint = (f == 19) ? 1 : 0;
          mouth = (f - 16) / 4.0;
        }
        cairo_save(cr);
        cairo_translate(cr, cx + 48 * lie, feet - lift - 28 * lie);
        cairo_scale(cr, 0.85, 0.85);
        DrawHippoBody(cr, 0, 0, legs, lie, squint, mouth, look + 1);
        cairo_restore(cr);
      }
  }
  {
    Sheet& s = add(kCarSprite);
    for (int f = 0; f < kCarFrames; ++f) DrawCar(s.Frame(kCarW, kCarH), f);
  }
  {
    Sheet& s = add(kExplodeSprite);
    for (int f = 0; f < kExplodeFrames; ++f)
      Puff(s.Frame(kExplodeW, kExplodeH), kExplodeW / 2.0, kExplodeH / 2.0, 26 - 2 * f, f);
  }
  {
    Sheet& s = add(kFlagSprite);
    static const Rgb kCloth[3] = {{230, 40, 40}, {250, 210, 40}, {40, 110, 220}};
    for (int f = 0; f < hippoassets::kFlagFrames; ++f) {
      cairo_t* cr = s.Frame(kFlagW, kFlagH);
      cairo_rectangle(cr, kFlagHotspotX - 1.5, 4, 3, kFlagHotspotY - 4);
      FillStroke(cr, {230, 230, 230}, 1);
      const double wave = std::sin(f * M_PI / 3) * 3;
      cairo_move_to(cr, kFlagHotspotX + 1, 5);
      cairo_curve_to(cr, kFlagHotspotX + 6, 5 + wave, kFlagHotspotX + 10, 9 - wave, kFlagW - 1, 12);
      cairo_line_to(cr, kFlagHotspotX + 1, 22);
      cairo_close_path(cr);
      FillStroke(cr, kCloth[f % 3], 1.2);
    }
  }
  {
    Sheet& s = add(kIconsSprite);
    {  // power pill
      cairo_t* cr = s.Frame(kIconsW, kIconsH);
      RoundRect(cr, 3, 5, 26, 12, 6);
      FillStroke(cr, {250, 250, 250}, 1.4);
      RoundRect(cr, 3, 5, 13, 12, 6);
      FillStroke(cr, {230, 40, 40}, 1.4);
    }
    {  // push: an arrow up the hill
      cairo_t* cr = s.Frame(kIconsW, kIconsH);
      cairo_move_to(cr, 4, 18);
      cairo_line_to(cr, 20, 8);
      cairo_line_to(cr, 16, 4);
      cairo_line_to(cr, 28, 3);
      cairo_line_to(cr, 24, 14);
      cairo_line_to(cr, 22, 10);
      cairo_line_to(cr, 7, 20);
      cairo_close_path(cr);
      FillStroke(cr, {80, 200, 80}, 1.4);
    }
    {  // punch: a fist
      cairo_t* cr = s.Frame(kIconsW, kIconsH);
      RoundRect(cr, 8, 4, 18, 14, 5);
      FillStroke(cr, {230, 60, 60}, 1.4);
      cairo_rectangle(cr, 2, 8, 7, 6);
      FillStroke(cr, {240, 200, 160}, 1.2);
    }
  }
  {
    Sheet& s = add(kTitleSprite);
    for (int f = 0; f < kTitleFrames; ++f) {
      cairo_t* cr = s.Frame(kTitleW, kTitleH);
      RoundRect(cr, 10, 60, kTitleW - 20, 180, 18);
      FillStroke(cr, {60, 110, 50}, 3);
      Text(cr, "HIPPO", kTitleW / 2.0, 118, 50, {250, 200, 40}, 1, true);
      Text(cr, "RUN", kTitleW / 2.0, 170, 50, {250, 200, 40}, 1, true);
      const double k = f / double(kTitleFrames);
      DrawHippoBody(cr, 90 + 120 * k, 232 - 8 * std::fabs(std::sin(k * 4 * M_PI)), k * 2, 0, 0, 0.3);
    }
  }
  {
    Sheet& s = add(kMapSprite);
    cairo_t* cr = s.Frame(kMapW, kMapH);
    RoundRect(cr, 2, 2, kMapW - 4, kMapH - 4, 8);
    FillStroke(cr, {70, 140, 60}, 2);
    // The course from the start (bottom) to the line (top), where the faces
    // of the hippos climb: y 140 at the start, 42 at the line.
    cairo_rectangle(cr, 10, 30, kMapW - 20, 136);
    FillStroke(cr, {214, 176, 120}, 1.5);
    for (int i = 0; i < 8; ++i) {
      cairo_rectangle(cr, 10 + i * 10, 50, 10, 4);
      SetRgb(cr, (i & 1) ? Rgb{20, 20, 20} : Rgb{250, 250, 250});
      cairo_fill(cr);
    }
    Text(cr, "HIPPO RUN", kMapW / 2.0, 20, 12, {250, 250, 250}, 1, true);
  }
  for (int r = 0; r < kRows; ++r) {
    Sheet& s = add(kWeaponSheet[r]);
    for (int d = 0; d < 8; ++d)
      for (int k = 0; k < 5; ++k)
        DrawWeapon(s.Frame(kWeaponW, kWeaponH), r, kWeaponHotspotX, kWeaponHotspotY, 40, k * 2 * M_PI / 5 + d);
    DrawWeapon(s.Frame(kIconsW, kIconsH), r, kIconsW / 2.0, kIconsH / 2.0, 22, 0);  // 41: the item panel
  }

  Canvas course(kCourseW, kCourseH);
  DrawCourse(course);

  // The event palette: the course and the scenery in 6..125; the status band's
  // blues are kept close so that the shared band keeps its look.
  Palette pal = BasePalette();
  ColourHistogram scenery;
  course.Flush();
  scenery.Add(course, 3);
  for (auto& s : sheets)
    for (auto& f : s->frames) {
      f->Flush();
      scenery.Add(*f);
    }
  for (Rgb c : {Rgb{30, 36, 70}, Rgb{50, 64, 120}, Rgb{24, 28, 56}, Rgb{16, 20, 40}, Rgb{255, 255, 255}, kInk})
    scenery.AddColour(c, 1u << 24);
  FillPalette(&pal, kPaletteSceneryFirst, scenery.MedianCut(kPaletteSceneryLast - kPaletteSceneryFirst + 1));
  Quantizer q(pal, 2, kPaletteSceneryLast);

  Image8 swatch{16, 16, std::vector<uint8_t>(256)};
  for (int i = 0; i < 256; ++i) swatch.px[i] = uint8_t(i);
  out.Write(Root::Data, kPalettePicture, EncodeBmp8(swatch, pal));
  out.Write(Root::Data, kCoursePicture, EncodePkc(EncodeTilePicture(q.Reduce(course, false), pal)));
  for (auto& s : sheets) {
    std::vector<MbmFrame> frames;
    for (auto& f : s->frames) frames.push_back({"", q.Reduce(*f)});
    out.Write(s->root, s->path, EncodeMbm(frames, pal));
  }
  for (std::thread& t : workers) t.join();
  for (int r = 0; r < kRows; ++r) out.Write(Root::Data, kRunnerSheet[r], runnerFiles[r]);
  GenerateHippoSounds(out);
}

}  // namespace assetgen
