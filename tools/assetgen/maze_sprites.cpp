// 3D MAZE things: the engine sprites (key man, explosions, monster and its
// shot, the six weapons) and the status bar's pictures, which share the
// palette's thing colours: everything is drawn first, the 31 thing colours
// are fitted to all of it, then each picture is reduced to the palette.
//
// Engine sprite frames are 128 x 128 texels, as high as a wall and half as
// wide as high on screen (a texel is twice as tall as wide), row 127 on the
// floor. The things are drawn in a space of 128 units a side whose foot
// point (64, 63.5) stands on the floor in the middle of the frame, shrunk by
// a scale of the thing's own so that 128 units of it would be a wall's
// height.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "events/maze3d/rc_writer.h"
#include "tools/assetgen/draw.h"
#include "tools/assetgen/maze.h"

namespace assetgen {

using namespace mazeassets;

namespace {

const Rgb kInk{22, 16, 24};

struct Picture {
  std::unique_ptr<Canvas> canvas;
  cairo_t* cr() const { return canvas->cr(); }
};

// A frame whose drawing space puts the foot point on the floor and shows
// things `scale` times as high as 64 units of the space would be a wall.
Picture NewSpriteFrame(double scale) {
  Picture p{std::make_unique<Canvas>(128, 128)};
  Clear(p.cr());
  cairo_scale(p.cr(), 4.0, 2.0);  // 32 x 64: a wall is 64 high, the frame 32 wide
  cairo_translate(p.cr(), 16, 64);
  cairo_scale(p.cr(), scale, scale);
  cairo_translate(p.cr(), -64, -63.5);
  return p;
}

// ---------------------------------------------------------------- key man

void DrawKeyMan(cairo_t* cr, double spin) {
  // A little round fellow in a top hat who holds up a big golden key; the
  // key circles him as he spins.
  const double cx = 64, foot = 63.5;
  const double s = std::sin(spin), c = std::cos(spin);
  const double keyX = cx + 22 * c, keyY = foot - 26;
  auto key = [&] {
    cairo_save(cr);
    cairo_translate(cr, keyX, keyY);
    cairo_scale(cr, 0.35 + 0.65 * std::abs(s), 1.0);
    Ellipse(cr, 0, -6, 5, 5);
    FillStroke(cr, {236, 196, 40}, 1.2, kInk);
    Ellipse(cr, 0, -6, 2, 2);
    FillStroke(cr, {120, 80, 20}, 0);
    cairo_rectangle(cr, -1.5, -1, 3, 14);
    FillStroke(cr, {236, 196, 40}, 1.0, kInk);
    cairo_rectangle(cr, 1.5, 8, 4, 2);
    cairo_rectangle(cr, 1.5, 11, 3, 2);
    FillStroke(cr, {236, 196, 40}, 0.8, kInk);
    cairo_restore(cr);
  };
  if (s < 0) key();
  // Legs.
  for (int side = -1; side <= 1; side += 2) {
    cairo_rectangle(cr, cx + side * 4 * c - 1.5, foot - 8, 3, 8);
    FillStroke(cr, {40, 40, 120}, 1.0, kInk);
  }
  // Body.
  Ellipse(cr, cx, foot - 15, 9, 9);
  FillStroke(cr, {200, 40, 40}, 1.2, kInk);
  // Belt buckle turns with him.
  cairo_rectangle(cr, cx + 6 * s - 2, foot - 14, 4, 3);
  FillStroke(cr, {236, 196, 40}, 0.6, kInk);
  // Head.
  Ellipse(cr, cx, foot - 28, 6, 6);
  FillStroke(cr, {244, 200, 160}, 1.2, kInk);
  // Eyes on the side he faces.
  if (c > -0.2) {
    for (int e = -1; e <= 1; e += 2) {
      Ellipse(cr, cx + 3 * s + e * 2.2 * c, foot - 29, 1.0, 1.3);
      SetRgb(cr, kInk);
      cairo_fill(cr);
    }
  }
  // Top hat.
  cairo_rectangle(cr, cx - 7, foot - 34, 14, 2);
  cairo_rectangle(cr, cx - 4.5, foot - 44, 9, 10);
  FillStroke(cr, {30, 30, 40}, 1.0, kInk);
  cairo_rectangle(cr, cx - 4.5, foot - 37, 9, 2);
  FillStroke(cr, {236, 196, 40}, 0);
  // Arm up to the key.
  cairo_move_to(cr, cx + 7 * c, foot - 18);
  cairo_line_to(cr, keyX, keyY + 6);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 2.5);
  cairo_stroke(cr);
  if (s >= 0) key();
}

// ---------------------------------------------------------------- explosions

void DrawBurst(cairo_t* cr, int kind, int pose) {
  // A comic burst at body height that grows and fades in six poses.
  static const char* const kWord[4] = {"POW!", "BAM!", "ZAP!", "BOOM"};
  static const Rgb kFill[4] = {{255, 220, 40}, {255, 140, 30}, {120, 220, 255}, {255, 90, 60}};
  static const Rgb kRim[4] = {{230, 40, 30}, {200, 30, 120}, {40, 80, 220}, {250, 230, 60}};
  const double grow = pose < 3 ? 0.45 + 0.25 * pose : 1.0 - 0.12 * (pose - 3);
  const double cx = 64, cy = 34, r = 26 * grow;
  const int points = 10 + kind * 2;
  for (int layer = 0; layer < 2; ++layer) {
    const double rr = r * (layer ? 0.7 : 1.0);
    for (int i = 0; i <= points * 2; ++i) {
      const double a = i * M_PI / points + pose * 0.2;
      const double d = (i % 2 ? 0.55 : 1.0) * rr;
      const double x = cx + d * std::cos(a), y = cy + 0.75 * d * std::sin(a);
      if (i == 0) cairo_move_to(cr, x, y);
      else cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
    FillStroke(cr, layer ? kFill[kind] : kRim[kind], 1.2, kInk);
  }
  if (pose < 5) Text(cr, kWord[kind], cx, cy + 4 * grow, 13 * grow, {255, 255, 255}, 1, true);
}

// ---------------------------------------------------------------- monster

void DrawMonster(cairo_t* cr, int pose, int dir) {
  // A green slime with horns and one big eye. It rises out of a puddle,
  // spits, and melts back into it.
  const double cx = 64, foot = 63.5;
  double height = 30, width = 17, mouth = 0.15;
  if (pose <= 3) height = 6 + 8 * pose, width = 20 - pose;
  else if (pose <= 8) mouth = 0.2 + 0.8 * std::sin((pose - 4) / 4.0 * M_PI), height = 30 + 2 * mouth;
  else height = 26 - 7 * (pose - 9), width = 17 + 4 * (pose - 9);
  const double yaw = dir * M_PI / 4;  // 0 faces the viewer
  const double facing = std::cos(yaw), side = -std::sin(yaw);
  // Puddle.
  Ellipse(cr, cx, foot - 1.5, width + 6, 2.5);
  FillStroke(cr, {40, 150, 60}, 0.8, kInk);
  if (height > 3) {
    cairo_move_to(cr, cx - width, foot - 1);
    cairo_curve_to(cr, cx - width, foot - height * 0.9, cx - width * 0.5, foot - height, cx, foot - height);
    cairo_curve_to(cr, cx + width * 0.5, foot - height, cx + width, foot - height * 0.9, cx + width, foot - 1);
    cairo_close_path(cr);
    FillStroke(cr, {70, 190, 80}, 1.3, kInk);
    // Horns.
    if (pose >= 2 && pose <= 10)
      for (int h = -1; h <= 1; h += 2) {
        const double hx = cx + h * width * 0.45 + side * 2;
        cairo_move_to(cr, hx - 2, foot - height + 2);
        cairo_line_to(cr, hx + h * 3, foot - height - 6);
        cairo_line_to(cr, hx + 2, foot - height + 1);
        cairo_close_path(cr);
        FillStroke(cr, {230, 220, 200}, 0.8, kInk);
      }
    // The eye and the mouth on the side it faces.
    if (facing > -0.3 && pose <= 10) {
      const double ex = cx + side * width * 0.55, ey = foot - height * 0.62;
      Ellipse(cr, ex, ey, 5 * (0.5 + 0.5 * std::abs(facing)), 5);
      FillStroke(cr, {255, 255, 255}, 1.0, kInk);
      Ellipse(cr, ex + side * 1.5, ey + 0.5, 2, 2.4);
      FillStroke(cr, {150, 30, 150}, 0);
      Ellipse(cr, ex, foot - height * 0.3, 6 * (0.4 + 0.6 * std::abs(facing)), 1 + 4 * mouth);
      FillStroke(cr, {90, 20, 40}, 1.0, kInk);
    }
  }
}

void DrawMonsterShot(cairo_t* cr, int pose) {
  const double cx = 64, cy = 38;
  for (int i = 0; i < 5; ++i) {
    const double a = pose * 0.9 + i * 2 * M_PI / 5;
    Ellipse(cr, cx + 7 * std::cos(a), cy + 5 * std::sin(a), 3, 3);
    FillStroke(cr, {250, 120, 240}, 0);
  }
  Ellipse(cr, cx, cy, 7, 6);
  FillStroke(cr, {180, 40, 200}, 1.0, kInk);
  Ellipse(cr, cx - 1.5, cy - 1.5, 3, 2.5);
  FillStroke(cr, {255, 220, 255}, 0);
}

// ---------------------------------------------------------------- weapons

// The weapon of player-record character ch, spun by `spin`, seen from `yaw`
// (0 its face towards the viewer), centred at (cx, cy) in design units.
void DrawWeapon(cairo_t* cr, int ch, double spin, double yaw, double cx, double cy, double size) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, size * (0.35 + 0.65 * std::abs(std::cos(yaw))), size);
  cairo_rotate(cr, spin);
  const double line = 0.08;
  switch (ch) {
    case 0: {  // pizza slice
      cairo_move_to(cr, 0, -1);
      cairo_line_to(cr, 0.8, 0.7);
      cairo_curve_to(cr, 0.3, 0.95, -0.3, 0.95, -0.8, 0.7);
      cairo_close_path(cr);
      FillStroke(cr, {250, 200, 80}, line, kInk);
      for (int i = 0; i < 3; ++i) {
        Ellipse(cr, -0.25 + 0.25 * i, 0.1 + 0.25 * (i % 2), 0.13, 0.13);
        FillStroke(cr, {200, 40, 30}, 0);
      }
      break;
    }
    case 1: {  // banana
      cairo_move_to(cr, -0.9, -0.5);
      cairo_curve_to(cr, -0.5, 0.6, 0.5, 0.6, 0.9, -0.5);
      cairo_curve_to(cr, 0.5, 0.25, -0.5, 0.25, -0.9, -0.5);
      FillStroke(cr, {250, 224, 60}, line, kInk);
      break;
    }
    case 2: {  // dumbbell
      cairo_rectangle(cr, -0.7, -0.08, 1.4, 0.16);
      FillStroke(cr, {150, 150, 160}, line, kInk);
      for (int s = -1; s <= 1; s += 2) {
        cairo_rectangle(cr, s * 0.75 - 0.15, -0.5, 0.3, 1.0);
        FillStroke(cr, {50, 50, 60}, line, kInk);
      }
      break;
    }
    case 3: {  // dagger
      cairo_move_to(cr, -0.2, 0.1);
      cairo_line_to(cr, 0, -1);
      cairo_line_to(cr, 0.2, 0.1);
      cairo_close_path(cr);
      FillStroke(cr, {220, 226, 236}, line, kInk);
      cairo_rectangle(cr, -0.45, 0.1, 0.9, 0.15);
      FillStroke(cr, {200, 160, 40}, line, kInk);
      cairo_rectangle(cr, -0.1, 0.25, 0.2, 0.6);
      FillStroke(cr, {110, 60, 30}, line, kInk);
      break;
    }
    case 4: {  // boomerang
      cairo_move_to(cr, -0.9, 0.5);
      cairo_line_to(cr, 0, -0.6);
      cairo_line_to(cr, 0.9, 0.5);
      cairo_line_to(cr, 0.7, 0.65);
      cairo_line_to(cr, 0, -0.25);
      cairo_line_to(cr, -0.7, 0.65);
      cairo_close_path(cr);
      FillStroke(cr, {190, 120, 60}, line, kInk);
      break;
    }
    default: {  // flying saucer
      Ellipse(cr, 0, 0.1, 0.95, 0.3);
      FillStroke(cr, {150, 160, 180}, line, kInk);
      Ellipse(cr, 0, -0.15, 0.4, 0.3);
      FillStroke(cr, {120, 230, 140}, line, kInk);
      for (int i = -2; i <= 2; ++i) {
        Ellipse(cr, i * 0.35, 0.15, 0.07, 0.07);
        FillStroke(cr, {255, 230, 80}, 0);
      }
      break;
    }
  }
  cairo_restore(cr);
}

// ---------------------------------------------------------------- status bar

void DrawStatusBar(cairo_t* cr) {
  // Four panels; the faces are drawn under it through the face windows, the
  // energy bars, scores, items and keys over it, the names on its strips.
  const int faceX[4] = {12, 172, 333, 494};
  cairo_rectangle(cr, 0, 0, 640, 80);
  SetRgb(cr, {28, 36, 78});
  cairo_fill(cr);
  for (int p = 0; p < 4; ++p) {
    const double x = faceX[p];
    RoundRect(cr, x - 9, 2, 153, 76, 6);
    FillStroke(cr, {44, 58, 118}, 2, {160, 176, 214});
    RoundRect(cr, x - 3, 4, 70, 54, 4);  // face window frame
    FillStroke(cr, {220, 180, 60}, 1.5, {150, 110, 30});
    RoundRect(cr, x - 4, 60, 72, 16, 3);  // name strip
    FillStroke(cr, {14, 18, 40}, 1, {110, 134, 196});
    RoundRect(cr, x + 74, 4, 66, 14, 3);  // energy bar
    FillStroke(cr, {14, 18, 40}, 1, {70, 92, 160});
    RoundRect(cr, x + 74, 21, 66, 11, 3);  // score
    FillStroke(cr, {14, 18, 40}, 1, {70, 92, 160});
    RoundRect(cr, x + 74, 34, 66, 42, 3);  // key and item
    FillStroke(cr, {14, 18, 40}, 1, {70, 92, 160});
  }
}

void CutFaceWindows(Image8& img) {
  const int faceX[4] = {12, 172, 333, 494};
  for (int p = 0; p < 4; ++p)
    for (int y = 7; y < 7 + 48; ++y)
      for (int x = faceX[p]; x < faceX[p] + 64; ++x) img.at(x, y) = 0;
}

void DrawPill(cairo_t* cr, double x, double y) {
  RoundRect(cr, x - 8, y - 4, 16, 8, 4);
  FillStroke(cr, {240, 60, 60}, 1, kInk);
  cairo_rectangle(cr, x, y - 4, 8, 8);
  SetRgb(cr, {250, 250, 250});
  cairo_fill(cr);
  RoundRect(cr, x - 8, y - 4, 16, 8, 4);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

void DrawFist(cairo_t* cr, double x, double y) {
  RoundRect(cr, x - 8, y - 7, 15, 13, 4);
  FillStroke(cr, {230, 40, 40}, 1, kInk);
  RoundRect(cr, x - 9, y + 2, 10, 6, 2);
  FillStroke(cr, {250, 250, 250}, 1, kInk);
}

void DrawKey(cairo_t* cr, double x, double y) {
  Ellipse(cr, x - 5, y, 4, 4);
  FillStroke(cr, {236, 196, 40}, 1, kInk);
  cairo_rectangle(cr, x - 1, y - 1.5, 12, 3);
  cairo_rectangle(cr, x + 7, y + 1.5, 2, 3);
  cairo_rectangle(cr, x + 4, y + 1.5, 2, 2);
  FillStroke(cr, {236, 196, 40}, 0.8, kInk);
}

void DrawStar(cairo_t* cr, double x, double y) {
  for (int i = 0; i <= 10; ++i) {
    const double a = -M_PI / 2 + i * M_PI / 5, r = i % 2 ? 3.5 : 8.5;
    if (i == 0) cairo_move_to(cr, x + r * std::cos(a), y + r * std::sin(a));
    else cairo_line_to(cr, x + r * std::cos(a), y + r * std::sin(a));
  }
  FillStroke(cr, {250, 230, 60}, 1, kInk);
}

void DrawPowerFrame(cairo_t* cr, int f) {
  // A pulse of light behind a face that has just taken a power pill.
  const double t = f / 10.0;
  for (int ring = 0; ring < 4; ++ring) {
    const double r = 6 + 30 * std::fmod(t + ring * 0.25, 1.0);
    Ellipse(cr, 32, 24, r * 1.2, r);
    SetRgb(cr, ring % 2 ? Rgb{255, 200, 40} : Rgb{255, 120, 30});
    cairo_set_line_width(cr, 5);
    cairo_stroke(cr);
  }
  Ellipse(cr, 32, 24, 10, 9);
  SetRgb(cr, {255, 250, 200});
  cairo_fill(cr);
}

void DrawDoorIcon(cairo_t* cr) {
  cairo_rectangle(cr, 3, 2, 14, 16);
  FillStroke(cr, {40, 220, 96}, 1.5, kInk);
  cairo_rectangle(cr, 6, 5, 8, 13);
  FillStroke(cr, {255, 246, 206}, 1, kInk);
  Ellipse(cr, 12, 12, 1, 1);
  SetRgb(cr, kInk);
  cairo_fill(cr);
}

void DrawIntroFrame(cairo_t* cr, int f) {
  // The event's title card: a maze disc turning behind "3D MAZE".
  cairo_save(cr);
  cairo_translate(cr, 150, 150);
  Ellipse(cr, 0, 0, 140, 140);
  FillStroke(cr, {28, 36, 78}, 6, {220, 180, 60});
  cairo_rotate(cr, f * 2 * M_PI / 16 / 4);
  SetRgb(cr, {110, 134, 196});
  cairo_set_line_width(cr, 7);
  for (int ring = 1; ring <= 5; ++ring) {
    const double r = ring * 24;
    const double gap = 0.5 + ring * 0.9;
    cairo_arc(cr, 0, 0, r, gap, gap + 2 * M_PI - 0.6);
    cairo_stroke(cr);
    cairo_move_to(cr, r * std::cos(gap + 1.7), r * std::sin(gap + 1.7));
    cairo_line_to(cr, (r + 24) * std::cos(gap + 1.7), (r + 24) * std::sin(gap + 1.7));
    cairo_stroke(cr);
  }
  cairo_restore(cr);
  // The key man runs round the rim.
  const double a = f * 2 * M_PI / 16;
  cairo_save(cr);
  cairo_translate(cr, 150 + 118 * std::cos(a) - 64, 150 + 118 * std::sin(a) - 60);
  cairo_scale(cr, 1.0, 1.0);
  DrawKeyMan(cr, a * 2);
  cairo_restore(cr);
  Text(cr, "3D", 150, 135, 70, {250, 230, 60}, 1, true);
  Text(cr, "MAZE", 150, 205, 66, {255, 140, 30}, 1, true);
}

// ---------------------------------------------------------------- assembly

struct SpriteFile {
  const char* path;
  std::vector<Picture> frames;
};

Image8 Reduce(Quantizer& q, const Canvas& c) { return q.Reduce(c, false); }

RcBytes EncodeFrames(Quantizer& q, const SpriteFile& f, const Palette& pal) {
  std::vector<RcBytes> frames;
  for (const Picture& p : f.frames) frames.push_back(RcEncodeSpriteFrame(Reduce(q, *p.canvas).px.data()));
  const std::vector<uint8_t> table = ColourTable(pal);
  return RcWriteSpriteFile(table.data(), frames);
}

// Stacks pictures of one size into one tall picture (frames back to back).
Image8 Stack(Quantizer& q, const std::vector<Picture>& pics) {
  Image8 out;
  out.w = pics[0].canvas->w();
  for (const Picture& p : pics) {
    Image8 one = Reduce(q, *p.canvas);
    out.px.insert(out.px.end(), one.px.begin(), one.px.end());
    out.h += one.h;
  }
  return out;
}

Picture NewPicture(int w, int h) {
  Picture p{std::make_unique<Canvas>(w, h)};
  Clear(p.cr());
  return p;
}

}  // namespace

void GenerateMazeThings(Output& out) {
  std::vector<SpriteFile> sprites;
  // The key man: one spin of twenty poses, then its first seven again.
  SpriteFile keyMan{kKeyManSprite, {}};
  for (int f = 0; f < kKeyManFrames; ++f) {
    Picture p = NewSpriteFrame(0.62);
    DrawKeyMan(p.cr(), (f % kKeyManPoses) * 2 * M_PI / kKeyManPoses);
    keyMan.frames.push_back(std::move(p));
  }
  sprites.push_back(std::move(keyMan));
  // Explosions: four kinds of six poses, each the same from every side.
  SpriteFile pow{kExplosionSprite, {}};
  for (int k = 0; k < kExplosionKinds; ++k)
    for (int pose = 0; pose < kExplosionPoses; ++pose)
      for (int d = 0; d < kDirections; ++d) {
        Picture p = NewSpriteFrame(0.6);
        DrawBurst(p.cr(), k, pose);
        pow.frames.push_back(std::move(p));
      }
  sprites.push_back(std::move(pow));
  // The monster and its shot.
  SpriteFile monster{kMonsterSprite, {}};
  for (int pose = 0; pose < kMonsterPoses; ++pose)
    for (int d = 0; d < kDirections; ++d) {
      Picture p = NewSpriteFrame(0.85);
      DrawMonster(p.cr(), pose, d);
      monster.frames.push_back(std::move(p));
    }
  for (int pose = 0; pose < kMonsterShotPoses; ++pose)
    for (int d = 0; d < kDirections; ++d) {
      Picture p = NewSpriteFrame(0.8);
      DrawMonsterShot(p.cr(), pose + d);
      monster.frames.push_back(std::move(p));
    }
  sprites.push_back(std::move(monster));
  // The weapons in flight: five spin poses seen from eight sides.
  for (int ch = 0; ch < kCharacters; ++ch) {
    SpriteFile w{kWeaponSprite[ch], {}};
    for (int pose = 0; pose < kWeaponPoses; ++pose)
      for (int d = 0; d < kDirections; ++d) {
        Picture p = NewSpriteFrame(0.9);
        DrawWeapon(p.cr(), ch, pose * 2 * M_PI / kWeaponPoses, d * M_PI / 4, 64, 36, 11);
        w.frames.push_back(std::move(p));
      }
    sprites.push_back(std::move(w));
  }
  // The status bar and its pictures.
  Picture status = NewPicture(640, 80);
  DrawStatusBar(status.cr());
  std::vector<Picture> strip;
  for (int i = 0; i < 4; ++i) {
    Picture p = NewPicture(kWeaponIconW, kWeaponIconH);
    if (i == 0) DrawPill(p.cr(), 11, 12.5);
    if (i == 1) DrawFist(p.cr(), 11, 12.5);
    if (i == 2) DrawKey(p.cr(), 11, 12.5);
    if (i == 3) DrawStar(p.cr(), 11, 12.5);
    strip.push_back(std::move(p));
  }
  std::vector<Picture> power;
  for (int f = 0; f < 11; ++f) {
    Picture p = NewPicture(kFaceW, kFaceH);
    DrawPowerFrame(p.cr(), f);
    power.push_back(std::move(p));
  }
  Picture doorIcon = NewPicture(kMapIconSize, kMapIconSize);
  DrawDoorIcon(doorIcon.cr());
  std::vector<Picture> weaponIcons;
  for (int ch = 0; ch < kCharacters; ++ch) {
    Picture p = NewPicture(kWeaponIconW, kWeaponIconH);
    DrawWeapon(p.cr(), ch, -0.4, 0, 11, 12.5, 9);
    weaponIcons.push_back(std::move(p));
  }
  std::vector<Picture> intro;
  for (int f = 0; f < kIntroPictureFrames; ++f) {
    Picture p = NewPicture(kIntroSize, kIntroSize);
    DrawIntroFrame(p.cr(), f);
    intro.push_back(std::move(p));
  }

  // The thing colours, fitted to all of it.
  ColourHistogram hist;
  for (const SpriteFile& f : sprites)
    for (size_t i = 0; i < f.frames.size(); i += f.path == kExplosionSprite ? kDirections : 1)
      hist.Add(*f.frames[i].canvas, 2);
  for (const std::vector<Picture>* group : {&strip, &power, &weaponIcons, &intro})
    for (const Picture& p : *group) hist.Add(*p.canvas, 2);
  hist.Add(*doorIcon.canvas);
  SetMazeThingColours(hist.MedianCut(kThingLast - kThingFirst + 1));
  const Palette pal = MazeDayPalette();
  // Things use their own colours, the status bar's and white; never 0, which
  // is transparent wherever they are drawn.
  std::vector<int> extra;
  for (int i = kHudFirst; i <= kHudLast; ++i) extra.push_back(i);
  extra.push_back(kWhite);
  Quantizer things(pal, kThingFirst, kThingLast, extra);
  for (const SpriteFile& f : sprites) out.Write(Root::Data, f.path, EncodeFrames(things, f, pal));
  Quantizer hud(pal, kHudFirst, kHudLast, {kWhite, kBarGreen, kBarRed, kBarYellow});
  Image8 statusImg = Reduce(hud, *status.canvas);
  CutFaceWindows(statusImg);
  out.Write(Root::Data, kStatusPicture, EncodeBmp8(statusImg, pal));
  out.Write(Root::Data, kIconStrip, EncodeBmp8(Stack(things, strip), pal));
  out.Write(Root::Data, kPowerPicture, EncodeBmp8(Stack(things, power), pal));
  out.Write(Root::Data, kDoorMapIcon, EncodeBmp8(Reduce(things, *doorIcon.canvas), pal));
  for (int ch = 0; ch < kCharacters; ++ch)
    out.Write(Root::Data, kWeaponIcon[ch], EncodeBmp8(Reduce(things, *weaponIcons[ch].canvas), pal));
  out.Write(Root::Data, kIntroPicture, EncodeBmp8(Stack(things, intro), pal));
}

}  // namespace assetgen
