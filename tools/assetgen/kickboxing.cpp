// PLATFORM KICKBOXING: the event palette, the background tiles, the pillars,
// sparks, icons and decorations, the dust clouds, the title animation, the
// thrown weapons, the six fighter sheets drawn with the shared athlete in
// the eight isometric directions, the status band and every sound, to the
// numbers of kickboxing_data.h.
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "events/kickboxing/kickboxing_data.h"
#include "tools/assetgen/audio.h"
#include "tools/assetgen/draw.h"
#include "tools/assetgen/gen.h"
#include "tools/assetgen/scenes.h"

namespace assetgen {

using namespace kickassets;

namespace {

const Rgb kInk{18, 16, 24};

using Sheet = FrameSheet;

void Fill(cairo_t* cr, double x, double y, double w, double h, Rgb c) {
  cairo_rectangle(cr, x, y, w, h);
  SetRgb(cr, c);
  cairo_fill(cr);
}

// ------------------------------------------------------------- the arena
// The whole background (17 x 8 tiles of 100) as one picture: a night sky
// with the moon, the city, the far stands, the pit under the platform.
void DrawArena(cairo_t* cr) {
  Gradient(cr, 0, 0, kSceneW, 200, {10, 12, 40}, {40, 44, 96});
  for (int i = 0; i < 90; ++i) {  // stars
    const double x = std::fmod(i * 137.0, kSceneW), y = std::fmod(i * 53.0, 190.0);
    Ellipse(cr, x, y, 1.2, 1.2);
    FillStroke(cr, {230, 230, 200}, 0);
  }
  // The moon over the platform, in tiles 2, 3, 4 and 5.
  Ellipse(cr, 800, 100, 70, 70);
  FillStroke(cr, {240, 232, 190}, 3, {200, 190, 150});
  for (int i = 0; i < 5; ++i) {
    Ellipse(cr, 770 + i * 17, 80 + (i % 3) * 22, 9 - i % 2 * 3, 7);
    FillStroke(cr, {214, 204, 160}, 0);
  }
  // The city: six different tiles, repeated along the row.
  Gradient(cr, 0, 200, kSceneW, 100, {40, 44, 96}, {60, 50, 90});
  for (int t = 0; t < 6; ++t)
    for (int k = 0; k < 4; ++k) {
      const double bw = 14 + (t * 7 + k * 5) % 12, bh = 30 + (t * 13 + k * 29) % 60;
      const double bx = t * 100 + k * 25 + 2;
      for (int copy = 0; copy < 3; ++copy) {
        const double x = bx + copy * 600;
        if (x > kSceneW) continue;
        Fill(cr, x, 300 - bh, bw, bh, {28, 26, 52});
        for (int wy = 0; wy < int(bh / 10) - 1; ++wy)
          if ((wy + k + t) % 3) Fill(cr, x + 3, 300 - bh + 5 + wy * 10, 3, 3, {240, 210, 90});
      }
    }
  // The far stands with the crowd, then the pit's walls and its floor.
  Gradient(cr, 0, 300, kSceneW, 100, {70, 40, 40}, {50, 30, 36});
  for (int i = 0; i < 170; ++i) {
    const double x = i * 10 + 5, y = 330 + (i * 7) % 3 * 14;
    Ellipse(cr, x, y, 4, 5);
    FillStroke(cr, i % 4 == 0 ? Rgb{220, 170, 130} : (i % 4 == 1 ? Rgb{160, 110, 80} : Rgb{110, 70, 60}), 0);
  }
  Fill(cr, 0, 390, kSceneW, 10, {120, 40, 40});
  Gradient(cr, 0, 400, kSceneW, 200, {34, 26, 34}, {16, 14, 22});
  for (int i = 0; i < 17; ++i) {  // the pit's wall of stone blocks
    for (int r = 0; r < 4; ++r) {
      cairo_rectangle(cr, i * 100 + (r % 2) * 50 + 2, 410 + r * 48, 96, 44);
      SetRgb(cr, {50, 40, 50});
      cairo_set_line_width(cr, 2);
      cairo_stroke(cr);
    }
  }
  Gradient(cr, 0, 600, kSceneW, 200, {16, 14, 22}, {8, 30, 44});
  for (int i = 0; i < 40; ++i) {  // the murky water at the bottom
    const double x = std::fmod(i * 97.0, kSceneW), y = 700 + std::fmod(i * 31.0, 90);
    Ellipse(cr, x, y, 30, 3);
    FillStroke(cr, {30, 70, 90}, 0);
  }
}

// A pillar: its top face (a diamond kPillarW x kPillarTop) and the column
// below it; `b` picks the second look of the floor tiles.
void DrawPillar(cairo_t* cr, bool b) {
  const double cx = kPillarHotX, cy = kPillarHotY, hw = 35, hh = 16, body = kPillarH - kPillarTop;
  // The two visible sides, the left one lit, going dark towards the bottom.
  for (int side : {-1, 1}) {
    cairo_move_to(cr, cx + side * hw, cy);
    cairo_line_to(cr, cx, cy + hh);
    cairo_line_to(cr, cx, cy + hh + body);
    cairo_line_to(cr, cx + side * hw, cy + body);
    cairo_close_path(cr);
    const double light = side < 0 ? 1.0 : 0.7;
    cairo_pattern_t* g = cairo_pattern_create_linear(0, cy, 0, cy + body);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.62 * light, 0.50 * light, 0.36 * light);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.16 * light, 0.12 * light, 0.12 * light);
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    SetRgb(cr, kInk);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
  }
  for (int k = 1; k < 8; ++k) {  // courses of stone down the column
    const double y = cy + k * 20;
    cairo_move_to(cr, cx - hw, y);
    cairo_line_to(cr, cx, y + hh);
    cairo_line_to(cr, cx + hw, y);
    SetRgb(cr, {40, 30, 30});
    cairo_stroke(cr);
  }
  // The top face: the fighting floor.
  cairo_move_to(cr, cx - hw, cy);
  cairo_line_to(cr, cx, cy - hh);
  cairo_line_to(cr, cx + hw, cy);
  cairo_line_to(cr, cx, cy + hh);
  cairo_close_path(cr);
  FillStroke(cr, b ? Rgb{196, 60, 56} : Rgb{220, 86, 70}, 1.5, {110, 30, 30});
  cairo_move_to(cr, cx - hw * 0.5, cy - hh * 0.5);
  cairo_line_to(cr, cx + hw * 0.5, cy + hh * 0.5);
  cairo_move_to(cr, cx + hw * 0.5, cy - hh * 0.5);
  cairo_line_to(cr, cx - hw * 0.5, cy + hh * 0.5);
  SetRgb(cr, b ? Rgb{230, 200, 120} : Rgb{160, 40, 40});
  cairo_set_line_width(cr, b ? 2 : 1);
  cairo_stroke(cr);
}

void DrawSpark(cairo_t* cr, int k) {
  const double c = kSparkSize / 2.0;
  const int points = 7 + k;
  cairo_move_to(cr, c + 19, c);
  for (int i = 0; i < 2 * points; ++i) {
    const double a = i * M_PI / points + k * 0.3, r = (i % 2) ? 7 + k : 19;
    cairo_line_to(cr, c + std::cos(a) * r, c + std::sin(a) * r);
  }
  cairo_close_path(cr);
  FillStroke(cr, k % 2 ? Rgb{255, 230, 80} : Rgb{255, 160, 40}, 1.5, {200, 60, 20});
  Ellipse(cr, c, c, 5, 5);
  FillStroke(cr, {255, 255, 240}, 0);
}

void DrawGlove(cairo_t* cr, double x, double y, double r) {
  Ellipse(cr, x, y, r, r * 0.85);
  FillStroke(cr, {210, 30, 30}, 1.5, kInk);
  Ellipse(cr, x - r * 0.7, y + r * 0.2, r * 0.35, r * 0.45);
  FillStroke(cr, {190, 24, 24}, 1.2, kInk);
  cairo_rectangle(cr, x - r * 0.5, y + r * 0.7, r, r * 0.35);
  FillStroke(cr, {240, 240, 240}, 1, kInk);
}

void DrawPill(cairo_t* cr, double x, double y, double r) {
  RoundRect(cr, x - r, y - r * 0.5, 2 * r, r, r * 0.5);
  FillStroke(cr, {250, 250, 250}, 1.2, kInk);
  RoundRect(cr, x, y - r * 0.5, r, r, r * 0.5);
  FillStroke(cr, {60, 160, 240}, 1.2, kInk);
}

void DrawDecoration(cairo_t* cr, int k, int w, int h) {
  switch (k) {
    case 0:  // a corner post with a lamp
      Fill(cr, w / 2.0 - 4, 20, 8, h - 20, {120, 120, 130});
      Ellipse(cr, w / 2.0, 16, 16, 12);
      FillStroke(cr, {250, 240, 160}, 2, kInk);
      break;
    case 1:  // a floodlight mast
      Fill(cr, w / 2.0 - 3, 40, 6, h - 40, {100, 100, 110});
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 2; ++j) {
          Ellipse(cr, 14 + i * 21, 12 + j * 20, 9, 8);
          FillStroke(cr, {255, 255, 210}, 1.5, kInk);
        }
      break;
    case 2:  // the banner under the platform
      RoundRect(cr, 4, 6, w - 8, h - 12, 8);
      FillStroke(cr, {30, 30, 120}, 3, {250, 220, 60});
      Text(cr, "KICKBOXING", w / 2.0, h / 2.0 + 9, 26, {250, 220, 60}, 1, true);
      break;
    case 3:  // a stand of spectators
      RoundRect(cr, 2, 30, w - 4, h - 32, 6);
      FillStroke(cr, {90, 60, 50}, 2, kInk);
      for (int i = 0; i < 10; ++i) {
        const double x = 12 + i * 16, y = 24 + (i % 2) * 10;
        Ellipse(cr, x, y, 6, 7);
        FillStroke(cr, i % 3 ? Rgb{230, 180, 140} : Rgb{150, 100, 70}, 1, kInk);
        cairo_move_to(cr, x - 4, y + 4);
        cairo_line_to(cr, x - 8, y - 12 + (i % 2) * 4);
        SetRgb(cr, kInk);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
      }
      break;
    case 4:  // a palm in a tub
      Fill(cr, w / 2.0 - 4, 50, 8, h - 70, {130, 90, 50});
      for (int i = 0; i < 5; ++i) {
        const double a = -M_PI / 2 + (i - 2) * 0.6;
        cairo_move_to(cr, w / 2.0, 50);
        cairo_curve_to(cr, w / 2.0 + std::cos(a) * 20, 50 + std::sin(a) * 30, w / 2.0 + std::cos(a) * 35,
                       50 + std::sin(a) * 10, w / 2.0 + std::cos(a) * 38, 60 + std::sin(a) * 5);
        SetRgb(cr, {40, 150, 60});
        cairo_set_line_width(cr, 6);
        cairo_stroke(cr);
      }
      Fill(cr, w / 2.0 - 16, h - 22, 32, 22, {170, 80, 40});
      break;
    default:  // the scoreboard
      RoundRect(cr, 4, 4, w - 8, h - 30, 6);
      FillStroke(cr, {20, 20, 26}, 3, {160, 160, 170});
      Text(cr, "ROUND 1", w / 2.0, 32, 15, {250, 80, 60}, 1);
      Text(cr, "FIGHT!", w / 2.0, 58, 18, {250, 220, 60}, 1);
      Fill(cr, w / 2.0 - 4, h - 26, 8, 26, {100, 100, 110});
      break;
  }
}

void DrawTitle(cairo_t* cr, double phase) {
  RoundRect(cr, 6, 50, kTitleW - 12, 200, 18);
  FillStroke(cr, {120, 26, 26}, 4, {250, 220, 60});
  Text(cr, "PLATFORM", kTitleW / 2.0, 108, 36, {250, 220, 60}, 1, true);
  Text(cr, "KICKBOXING", kTitleW / 2.0, 154, 36, {250, 250, 250}, 1, true);
  // Two gloves meeting with a spark between them.
  const double reach = 30 * std::sin(phase * 2 * M_PI);
  DrawGlove(cr, 100 + reach, 205, 18);
  cairo_save(cr);  // the other glove faces the first
  cairo_translate(cr, 200 - reach, 205);
  cairo_scale(cr, -1, 1);
  DrawGlove(cr, 0, 0, 18);
  cairo_restore(cr);
  if (reach > 20) {
    cairo_save(cr);
    cairo_translate(cr, kTitleW / 2.0 - kSparkSize / 2.0, 185);
    DrawSpark(cr, 1);
    cairo_restore(cr);
  }
}

// ------------------------------------------------------------ the fighters
// The pose of a state at phase t (0..1 over the animation).
Pose FighterPose(int state, double t) {
  Pose p;
  // The guard: fists up before the face.
  auto guard = [&p] {
    p.arm[0] = 0.9;
    p.elbow[0] = 1.7;
    p.arm[1] = 0.5;
    p.elbow[1] = 2.0;
    p.leg[0] = 0.22;
    p.leg[1] = -0.18;
  };
  const double s = std::sin(t * M_PI);
  switch (state) {
    case 0:
      guard();
      break;
    case 1:
      guard();
      p.bounce = 2 * std::sin(t * 2 * M_PI);
      break;
    case 2: {
      guard();
      const double w = std::sin(t * 2 * M_PI);
      p.leg[0] = 0.45 * w;
      p.leg[1] = -0.45 * w;
      p.knee[0] = w < 0 ? -0.5 * w : 0;
      p.knee[1] = w > 0 ? 0.5 * w : 0;
      p.bounce = 1.5 * std::fabs(w);
      break;
    }
    case 3:  // punch: the front fist goes out and back
      guard();
      p.arm[0] = 0.9 + (M_PI / 2 - 0.9) * s;
      p.elbow[0] = 1.7 * (1 - s);
      p.lean = 0.15 * s;
      p.mouth = 0.5;
      break;
    case 4:  // kick: the front leg up and out
      guard();
      p.leg[0] = 1.5 * s;
      p.knee[0] = 0.8 * (1 - s);
      p.lean = -0.3 * s;
      p.mouth = 0.5;
      break;
    case 5:  // special: a leaping kick
      guard();
      p.leg[0] = 1.9 * s;
      p.leg[1] = -0.6 * s;
      p.knee[1] = 0.9 * s;
      p.arm[1] = -1.6 * s;
      p.lean = -0.45 * s;
      p.bounce = 22 * s;
      p.mouth = 1.0;
      break;
    case 6:  // hit
      p.lean = -0.25 * s;
      p.arm[0] = 1.0;
      p.arm[1] = -0.8;
      p.mouth = 0.9;
      break;
    case 7:  // hit hard
      p.lean = -0.45 * s;
      p.arm[0] = 1.6;
      p.arm[1] = -1.4;
      p.leg[0] = 0.4 * s;
      p.mouth = 1.0;
      break;
    case 8:  // knocked flying, then lying (the caller lays the body down)
      p.arm[0] = 2.4;
      p.arm[1] = -2.4;
      p.leg[0] = 0.3;
      p.leg[1] = -0.3;
      p.mouth = 1.0;
      break;
    case 9:  // getting up
      p.arm[0] = 0.6 + 0.3 * t;
      p.arm[1] = -0.6;
      p.knee[0] = 0.6 * (1 - t);
      p.knee[1] = 0.6 * (1 - t);
      break;
    case 10:  // dropping down: arms up
      p.arm[0] = 2.8;
      p.arm[1] = -2.8;
      p.elbow[0] = p.elbow[1] = 0.2;
      p.knee[0] = p.knee[1] = 0.7;
      p.mouth = 1.0;
      break;
    case 11:  // landing: a crouch that straightens
      guard();
      p.knee[0] = p.knee[1] = 0.9 * (1 - t);
      p.bounce = -6 * (1 - t);
      break;
    default:  // throwing: the arm back, then over
      guard();
      p.arm[0] = -2.2 + 4.3 * t;
      p.elbow[0] = 0.3;
      p.lean = -0.2 + 0.35 * t;
      p.mouth = 0.6;
      break;
  }
  return p;
}

// One frame of a sheet: state, direction row (screen up, then clockwise)
// and phase, with the feet on the hot spot.
void DrawFighterFrame(cairo_t* cr, int ch, int state, int row, double t) {
  const double hx = kHotSpotX[ch], hy = kHotSpotY[ch];
  // The shadow on the ground.
  Ellipse(cr, hx, hy, 17, 5);
  FillStroke(cr, {30, 26, 30}, 0);
  // The rows to the left are the right ones mirrored.
  static const double kTurn[8] = {M_PI, 2.3, 1.25, 0.7, 0, 0.7, 1.25, 2.3};
  Pose pose = FighterPose(state, t);
  pose.turn = kTurn[row & 7];
  cairo_save(cr);
  if (row >= 5) {
    cairo_translate(cr, hx, 0);
    cairo_scale(cr, -1, 1);
    cairo_translate(cr, -hx, 0);
  }
  cairo_translate(cr, hx, hy);
  if (state == 8 || state == 9) {
    // Laid down backwards: thrown over in the first half of the flight,
    // getting up straightens the body again.
    const double lie = state == 8 ? std::min(1.0, t * 1.8) : 1.0 - t;
    cairo_translate(cr, 30 * lie, 0);
    cairo_rotate(cr, -lie * M_PI / 2);
    if (state == 8) cairo_translate(cr, 0, -14 * std::sin(std::min(1.0, t * 1.8) * M_PI));
  }
  DrawCharacter(cr, ch, pose, 0, 0, kFigureHeight);
  cairo_restore(cr);
}

void FighterSheet(Sheet& s, int ch) {
  struct Use {
    int state = -1, row = 0;
    double t = 0;
  };
  std::vector<Use> use(kFighterFrames[ch] + 1);
  for (int state = 0; state < kFighterStates; ++state) {
    const AnimEntry& e = kAnimTable[ch][state];
    for (int row = 0; row < 8; ++row)
      for (int k = 0; k < e.length; ++k) {
        const int f = AnimFrame(ch, state, k, row);
        if (f < 1 || f > kFighterFrames[ch]) throw std::runtime_error("a fighter frame past the sheet's end");
        if (use[f].state >= 0) continue;
        const int last = AnimFrame(ch, state, e.length - 1, 0) - AnimFrame(ch, state, 0, 0);
        const int pos = AnimFrame(ch, state, k, 0) - AnimFrame(ch, state, 0, 0);
        use[f] = {state, row, last > 0 ? double(pos) / last : 0.0};
      }
  }
  for (int f = 1; f <= kFighterFrames[ch]; ++f) {
    cairo_t* cr = s.Frame(kFighterW[ch], kFighterH[ch]);
    const Use& u = use[f];
    DrawFighterFrame(cr, ch, u.state < 0 ? 0 : u.state, u.row, u.t);  // frames nothing shows stand
  }
}

}  // namespace

void GenerateKickboxing(Output& out) {
  const Root D = Root::Data, P = Root::Program;

  // ---- Scenery, drawn first so that the palette can be made from it.
  std::vector<std::unique_ptr<Sheet>> scenery;
  auto add = [&](const char* path) -> Sheet& {
    scenery.push_back(std::make_unique<Sheet>());
    scenery.back()->path = path;
    return *scenery.back();
  };
  {
    Canvas arena(kSceneW, kSceneH);
    DrawArena(arena.cr());
    arena.Flush();
    // Tile n is the first place of the tile map that shows it.
    static const int kTileAt[kTileFrames][2] = {{0, 0},  {1, 0},  {0, 7},  {1, 7},  {0, 8},  {1, 8},
                                                {2, 0},  {2, 1},  {2, 2},  {2, 3},  {2, 4},  {2, 5},
                                                {3, 0},  {4, 0},  {5, 0},  {6, 0},  {7, 0}};
    Sheet& s = add(kTilesSprite);
    for (const auto& at : kTileAt) {
      cairo_t* cr = s.Frame(kTileSize, kTileSize);
      cairo_set_source_surface(cr, arena.surface(), -at[1] * kTileSize, -at[0] * kTileSize);
      cairo_paint(cr);
    }
  }
  {
    Sheet& s = add(kMiscSprite);
    {  // 1: a shadow
      cairo_t* cr = s.Frame(40, 14);
      Ellipse(cr, 20, 7, 18, 6);
      FillStroke(cr, {30, 26, 30}, 0);
    }
    for (int c = 0; c < kCharacters; ++c)  // 2..7: the weapons
      DrawCharacterWeapon(s.Frame(kIconSize, kIconSize), c, kIconSize / 2.0, kIconSize / 2.0, 9, 0, kInk);
    DrawGlove(s.Frame(kIconSize, kIconSize), kIconSize / 2.0, kIconSize / 2.0 - 1, 8);  // 8
    DrawPill(s.Frame(kIconSize, kIconSize), kIconSize / 2.0, kIconSize / 2.0, 9);        // 9
    for (int k = 0; k < kMiscSparkFrames; ++k) DrawSpark(s.Frame(kSparkSize, kSparkSize), k);  // 10..13
    for (int k = 0; k < kMiscDecorations; ++k)  // 14..19
      DrawDecoration(s.Frame(kDecorationW[k], kDecorationH[k]), k, kDecorationW[k], kDecorationH[k]);
    DrawPillar(s.Frame(kPillarW, kPillarH), false);  // 20
    DrawPillar(s.Frame(kPillarW, kPillarH), true);   // 21
  }
  {
    Sheet& s = add(kSmokeSprite);
    for (int f = 0; f < kSmokeFrames; ++f) {
      cairo_t* cr = s.Frame(kSmokeW, kSmokeH);
      const double r = 2 + f;
      Ellipse(cr, 5, 5, r, r * 0.8);
      Ellipse(cr, 5 + r * 0.6, 6, r * 0.7, r * 0.6);
      FillStroke(cr, {uint8_t(200 - f * 12), uint8_t(190 - f * 12), uint8_t(170 - f * 10)}, 0);
    }
  }
  {
    Sheet& s = add(kTitleSprite);
    for (int f = 0; f < kTitleFrames; ++f) DrawTitle(s.Frame(kTitleW, kTitleH), f / double(kTitleFrames));
  }
  for (int c = 0; c < kCharacters; ++c) {
    Sheet& s = add(kWeaponSprite[c]);
    for (int row = 0; row < 8; ++row)
      for (int k = 0; k < 5; ++k)
        DrawCharacterWeapon(s.Frame(kWeaponSize, kWeaponSize), c, kWeaponSize / 2.0, kWeaponSize / 2.0, 12,
                   row * M_PI / 4 + k * 2 * M_PI / 5, kInk);
  }
  Canvas status(kStatusW, kStatusH);
  DrawStatusBand(status.cr(), kStatusW, kStatusH, 2, {{60, 24, 28}, {110, 40, 40}, {40, 16, 20}, {24, 10, 14}}, false);

  // ---- The fighters, each sheet with its own 32 colours.
  std::vector<std::unique_ptr<Sheet>> fighters;
  std::vector<std::vector<Rgb>> fighterColours(kCharacters);
  for (int c = 0; c < kCharacters; ++c) {
    fighters.push_back(std::make_unique<Sheet>());
    fighters.back()->path = kFighterSprite[c];
    FighterSheet(*fighters.back(), c);
    ColourHistogram h;
    for (auto& f : fighters.back()->frames) {
      f->Flush();
      h.Add(*f, 2);
    }
    h.AddColour(kInk, 1u << 24);
    fighterColours[c] = h.MedianCut(kFighterColours);
  }

  // ---- The palette: scenery in 6..126; 127..254 hold the first four
  // characters' colours until the event copies the players' in.
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
  for (int i = 0; i < 4; ++i) FillPalette(&pal, kFighterColoursFirst + kFighterColours * i, fighterColours[i]);
  Quantizer sceneryQ(pal, 2, kSceneryLast);
  Image8 swatch{16, 16, std::vector<uint8_t>(256)};
  for (int i = 0; i < 256; ++i) swatch.px[i] = uint8_t(i);
  out.Write(D, kPalettePicture, EncodeBmp8(swatch, pal));
  if (!out.Has(P, kStatusPicture)) out.Write(P, kStatusPicture, EncodeBmp8(sceneryQ.Reduce(status, false), pal));
  for (auto& s : scenery) {
    // The background tiles are copied opaquely.
    const bool key = s->path != kTilesSprite;
    std::vector<MbmFrame> frames;
    for (auto& f : s->frames) frames.push_back({"", sceneryQ.Reduce(*f, key)});
    out.Write(D, s->path, EncodeMbm(frames, pal));
  }
  for (int c = 0; c < kCharacters; ++c) {
    Palette own = BasePalette();
    FillPalette(&own, kSheetColoursFirst, fighterColours[c]);
    Quantizer q(own, kSheetColoursFirst, kSheetColoursFirst + kFighterColours - 1, {});
    std::vector<MbmFrame> frames;
    for (auto& f : fighters[c]->frames) frames.push_back({"", q.Reduce(*f)});
    out.Write(D, kFighterSprite[c], EncodeMbm(frames, own));
  }

  // ---- Sounds.
  auto wav = [&](Root root, const std::string& path, const Samples& s) {
    if (!out.Has(root, path)) out.Write(root, path, EncodeWav(ToPcm(s), kRate, 16));
  };
  // The crowd's boo is COMPUTER THROW's (written with the shared sounds).
  {
    Samples grind = Noise(0.6, 0.3, 12, 0.6);
    MixInto(grind, Tone(55, 0.6, 1, 0.2), 0);
    Envelope(grind, 0.05, 0.1);
    wav(D, "boxing\\pillar.wav", grind);
  }
  {
    Samples beep = Tone(880, 0.15, 1, 0.35);
    Envelope(beep, 0.005, 0.03);
    wav(P, "sounds\\beep.wav", beep);
  }
  {
    Samples pill = Sweep(300, 1200, 0.35, 1, 0.3);
    Envelope(pill, 0.01, 0.1);
    wav(P, "sounds\\powerpil.wav", pill);
  }
  wav(D, "extra\\events\\annboxng.wav", Speak("Platform kickboxing! Stay on the pillars and fight!", 6));
  static const char* const kFallWords[3] = {"Whoa!", "Noooo!", "I'm falling!"};
  static const char* const kKnockOutWords[3] = {"Ouch!", "Oof!", "That hurt!"};
  for (int c = 0; c < kCharacters; ++c) {
    char path[64];
    for (int k = 0; k < kFighterSounds; ++k) {
      std::snprintf(path, sizeof path, kFighterSoundPattern[k], kSoundPrefix[c]);
      Samples s;
      if (k == 0) {  // the special attack's shout
        s = Sweep(300 + 40 * c, 600 + 40 * c, 0.3, 2, 0.35);
        Envelope(s, 0.01, 0.15);
      } else {  // hurt, hurt hard
        s = Hit(k == 2 ? 140 + 20 * c : 240 + 30 * c, 40 + 3 * c + k);
      }
      wav(P, path, s);
    }
    for (int n = 1; n <= kVoiceVariants; ++n) {
      std::snprintf(path, sizeof path, kFallVoicePattern, kVoicePrefix[c], n);
      wav(D, path, Speak(kFallWords[n - 1], c));
      std::snprintf(path, sizeof path, kKnockOutVoicePattern, kVoicePrefix[c], n);
      wav(D, path, Speak(kKnockOutWords[n - 1], c));
    }
  }
}

}  // namespace assetgen
