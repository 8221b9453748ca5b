// The program directory's pictures (menus, fonts, dialog, faces, flags, shop,
// medals) and the loading pictures, all on one shared UI palette so that any
// of them can be shown with any other's palette.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "tools/assetgen/draw.h"
#include "tools/assetgen/gen.h"
#include "tools/assetgen/scenes.h"

namespace assetgen {

namespace {

struct Job {
  Root root;
  std::string path;
  bool mbm = true;
  bool pkc = false;
  std::vector<std::unique_ptr<Canvas>> frames;
};

Palette g_ui = BasePalette();

class Jobs {
 public:
  Job& Add(Root root, std::string path, bool mbm = true, bool pkc = false) {
    jobs_.push_back(std::make_unique<Job>());
    Job& j = *jobs_.back();
    j.root = root;
    j.path = std::move(path);
    j.mbm = mbm;
    j.pkc = pkc;
    return j;
  }
  static cairo_t* Frame(Job& j, int w, int h) {
    j.frames.push_back(std::make_unique<Canvas>(w, h));
    return j.frames.back()->cr();
  }
  std::vector<std::unique_ptr<Job>>& all() { return jobs_; }

 private:
  std::vector<std::unique_ptr<Job>> jobs_;
};

const Rgb kInk{24, 18, 14};
const Rgb kPanel{40, 60, 130};
const Rgb kPanelLight{90, 120, 200};
const Rgb kGold{250, 200, 40};

void Panel(cairo_t* cr, double x, double y, double w, double h, Rgb fill, double r = 10) {
  RoundRect(cr, x + 1.5, y + 1.5, w - 3, h - 3, r);
  FillStroke(cr, fill, 3, kInk);
  RoundRect(cr, x + 5, y + 5, w - 10, h - 10, r * 0.7);
  SetRgb(cr, {255, 255, 255}, 0.35);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
}

void Checker(cairo_t* cr, double w, double h, Rgb a, Rgb b, double cell) {
  for (int y = 0; y * cell < h; ++y)
    for (int x = 0; x * cell < w; ++x) {
      cairo_rectangle(cr, x * cell, y * cell, cell, cell);
      SetRgb(cr, ((x + y) & 1) ? a : b);
      cairo_fill(cr);
    }
}

// A font: one frame per character 0x20..0xFF, as wide as the glyph's advance.
void FontJob(Jobs& jobs, const char* path, double size, Rgb ink, bool outline) {
  Job& j = jobs.Add(Root::Program, path);
  Canvas probe(8, 8);
  cairo_t* pc = probe.cr();
  cairo_select_font_face(pc, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(pc, size);
  cairo_font_extents_t fe;
  cairo_font_extents(pc, &fe);
  int lineH = int(std::ceil(fe.ascent + fe.descent)) + 2;
  for (int code = 0x20; code <= 0xFF; ++code) {
    std::string s;
    if (code >= 0x7F && code < 0xA0) {
      s = " ";
    } else if (code < 0x80) {
      s = std::string(1, char(code));
    } else {  // Latin-1 to UTF-8
      s.push_back(char(0xC0 | (code >> 6)));
      s.push_back(char(0x80 | (code & 0x3F)));
    }
    cairo_text_extents_t te;
    cairo_text_extents(pc, s.c_str(), &te);
    int w = std::max(2, int(std::ceil(te.x_advance)) + (outline ? 2 : 1));
    cairo_t* cr = Jobs::Frame(j, w, lineH);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, size);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
    cairo_move_to(cr, 1, 1 + fe.ascent);
    cairo_text_path(cr, s.c_str());
    if (outline) {
      SetRgb(cr, kInk);
      cairo_set_line_width(cr, 2.2);
      cairo_stroke_preserve(cr);
    }
    SetRgb(cr, ink);
    cairo_fill(cr);
  }
}

void TrainingFrame(cairo_t* cr, int ch, int anim, double phase, double w, double h) {
  static const Rgb kBack[6] = {{230, 120, 90},  {110, 190, 240}, {140, 210, 120},
                               {200, 170, 230}, {245, 205, 80},  {110, 215, 200}};
  cairo_rectangle(cr, 0, 0, w, h);
  SetRgb(cr, kBack[anim]);
  cairo_fill(cr);
  double s = std::sin(phase * 2 * M_PI);
  double ground = h * 0.93;
  Pose p;
  switch (anim) {
    case 0: {  // strength: lifting a barbell
      p.arm[0] = 2.9 - (s + 1) * 0.6;
      p.arm[1] = -2.9 + (s + 1) * 0.6;
      p.elbow[0] = (s + 1) * 0.9;
      p.elbow[1] = -(s + 1) * 0.9;
      p.mouth = 0.8;
      p.leg[0] = 0.3;
      p.leg[1] = -0.3;
      DrawCharacter(cr, ch, p, w / 2, ground, h * 0.8);
      double by = HoldPoint(ch, p, w / 2, ground, h * 0.8).y + 4;  // the bar in the hands
      cairo_rectangle(cr, w * 0.1, by, w * 0.8, 5);
      FillStroke(cr, {120, 120, 130}, 1.5);
      for (int sd = -1; sd <= 1; sd += 2) {
        RoundRect(cr, w / 2 + sd * w * 0.36 - 7, by - 16, 14, 37, 3);
        FillStroke(cr, {40, 40, 50}, 1.5);
      }
      break;
    }
    case 1: {  // speed: sprinting on the spot
      double a = s;
      p.leg[0] = 0.7 * a;
      p.leg[1] = -0.7 * a;
      p.knee[0] = std::max(0.0, -a);
      p.knee[1] = std::max(0.0, a);
      p.arm[0] = -0.9 * a;
      p.arm[1] = 0.9 * a;
      p.elbow[0] = 1.2;
      p.elbow[1] = 1.2;
      p.lean = 0.25;
      p.turn = 0.6;
      p.bounce = std::fabs(a) * 4;
      DrawCharacter(cr, ch, p, w / 2, ground, h * 0.8);
      SetRgb(cr, {255, 255, 255});
      cairo_set_line_width(cr, 2);
      for (int i = 0; i < 3; ++i) {
        double yy = h * (0.35 + 0.15 * i);
        cairo_move_to(cr, w * 0.05 + std::fmod(phase * 40 + i * 13, 30), yy);
        cairo_line_to(cr, w * 0.25 + std::fmod(phase * 40 + i * 13, 30), yy);
        cairo_stroke(cr);
      }
      break;
    }
    case 2: {  // endurance: skipping rope
      double a = phase * 2 * M_PI;
      p.arm[0] = 0.6;
      p.arm[1] = -0.6;
      p.elbow[0] = 0.9;
      p.elbow[1] = -0.9;
      p.bounce = std::fabs(std::sin(a)) * 10;
      p.knee[0] = p.knee[1] = 0.3;
      DrawCharacter(cr, ch, p, w / 2, ground, h * 0.8);
      Ellipse(cr, w / 2, ground - h * 0.42 - p.bounce, w * 0.38, h * 0.45 * std::fabs(std::cos(a)) + 2);
      SetRgb(cr, {120, 40, 20});
      cairo_set_line_width(cr, 2);
      cairo_stroke(cr);
      break;
    }
    case 4: {  // power pills: a big capsule tossed up and caught in the mouth
      p.arm[0] = 2.2 + s * 0.4;
      p.elbow[0] = 0.6;
      p.arm[1] = -0.5;
      p.mouth = 0.6 + 0.4 * std::max(0.0, -s);
      p.bounce = std::max(0.0, s) * 5;
      DrawCharacter(cr, ch, p, w * 0.45, ground, h * 0.8);
      const double px = w * 0.45 + w * 0.22 * std::cos(phase * M_PI), py = h * 0.12 + h * 0.16 * std::sin(phase * M_PI);
      cairo_save(cr);
      cairo_translate(cr, px, py);
      cairo_rotate(cr, phase * 2 * M_PI);
      RoundRect(cr, -16, -7, 32, 14, 7);
      FillStroke(cr, {250, 250, 250}, 1.6);
      RoundRect(cr, -16, -7, 16, 14, 7);
      FillStroke(cr, {225, 40, 60}, 1.6);
      cairo_restore(cr);
      for (int i = 0; i < 4; ++i) {  // sparkles round the pill
        const double a = phase * 2 * M_PI + i * M_PI / 2;
        Text(cr, "*", px + std::cos(a) * 24, py + 6 + std::sin(a) * 16, 16, {255, 255, 255}, 1, true);
      }
      break;
    }
    case 5: {  // energy juice: a tall glass of green juice, drunk down
      p.arm[0] = -2.3;
      p.elbow[0] = -0.9;
      p.arm[1] = 0.4;
      p.mouth = 0.5;
      p.lean = -0.08;
      DrawCharacter(cr, ch, p, w * 0.4, ground, h * 0.8);
      const double gx = w * 0.7, gy = h * 0.22, gw = 30, gh = 62;
      const double level = 0.85 - 0.65 * phase;  // drunk down through the loop
      cairo_save(cr);
      cairo_translate(cr, gx, gy);
      cairo_rotate(cr, -0.35);
      cairo_rectangle(cr, -gw / 2 + 2, gh * (1 - level), gw - 4, gh * level);
      SetRgb(cr, {90, 200, 60});
      cairo_fill(cr);
      for (int i = 0; i < 3; ++i) {  // bubbles rising in it
        const double by = gh * (1 - level) + std::fmod(gh * level * (1 - phase) + i * 17, gh * level);
        Ellipse(cr, -6 + i * 6, by, 2.2, 2.2);
        FillStroke(cr, {200, 255, 170}, 0.8);
      }
      cairo_rectangle(cr, -gw / 2, 0, gw, gh);
      SetRgb(cr, kInk);
      cairo_set_line_width(cr, 2.2);
      cairo_stroke(cr);
      cairo_move_to(cr, 4, -2);  // a straw
      cairo_line_to(cr, 10, -22);
      SetRgb(cr, {230, 60, 60});
      cairo_set_line_width(cr, 3);
      cairo_stroke(cr);
      cairo_restore(cr);
      Text(cr, "+", gx + 26, gy + 10, 26, {255, 255, 255}, 1, true);
      break;
    }
    default: {  // weapons: swinging a cartoon bomb
      p.arm[0] = 1.2 + s * 1.2;
      p.elbow[0] = 0.3;
      p.lean = -0.1;
      p.mouth = 0.7;
      DrawCharacter(cr, ch, p, w * 0.42, ground, h * 0.8);
      double bx = w * 0.42 + std::sin(1.2 + s * 1.2) * h * 0.3, by = ground - h * 0.62 + std::cos(1.2 + s * 1.2) * h * 0.3;
      Ellipse(cr, bx, by, 11, 11);
      FillStroke(cr, {30, 30, 34}, 1.5);
      Ellipse(cr, bx + 6, by - 11, 3 + (phase * 6 - std::floor(phase * 6)) * 2, 3);
      FillStroke(cr, {255, 180, 30}, 0);
      break;
    }
  }
}

void Medal(cairo_t* cr, double cx, double cy, double r, int place) {
  static const Rgb kMedal[3] = {{250, 200, 40}, {200, 205, 215}, {200, 120, 60}};
  cairo_move_to(cr, cx - r * 0.6, cy - r * 2.2);
  cairo_line_to(cr, cx, cy - r * 0.6);
  cairo_line_to(cr, cx + r * 0.6, cy - r * 2.2);
  SetRgb(cr, {200, 30, 40});
  cairo_set_line_width(cr, r * 0.4);
  cairo_stroke(cr);
  Ellipse(cr, cx, cy, r, r);
  FillStroke(cr, kMedal[place], 2);
  Text(cr, std::to_string(place + 1), cx, cy + r * 0.35, r, kInk, 1);
}

}  // namespace

const Palette& UiPalette() { return g_ui; }

void GenerateMenus(Output& out) {
  Jobs jobs;
  const Root P = Root::Program;

  // Fonts.
  FontJob(jobs, "menu\\char.mbm", 11, {255, 255, 255}, false);
  FontJob(jobs, "menu\\font8s.mbm", 14, {255, 255, 255}, true);
  FontJob(jobs, "menu\\font8.mbm", 20, {255, 255, 255}, true);
  FontJob(jobs, "menu\\font8_2.mbm", 20, kGold, true);

  // Dialog sprite: 1 box, 2 button, 3 the wait box's tile, 4 title bar, 5 the loading bar's frame.
  {
    Job& j = jobs.Add(P, "menu\\dialog.mbm");
    Panel(Jobs::Frame(j, 540, 400), 0, 0, 540, 400, kPanel, 14);
    Panel(Jobs::Frame(j, 120, 40), 0, 0, 120, 40, kPanelLight, 8);
    {
      // Laid side by side and one under another (the panels of the
      // events), the stripes run on over the joins: 26 apart, five across
      // the tile, and each falls 120 over 130, so that it leaves the
      // bottom where the stripe one to its right enters the top.
      cairo_t* cr = Jobs::Frame(j, 130, 120);
      cairo_rectangle(cr, 0, 0, 130, 120);
      SetRgb(cr, {30, 44, 100});
      cairo_fill(cr);
      SetRgb(cr, {44, 62, 130});
      for (int i = -156; i <= 156; i += 26) {  // past both edges, so no end shows
        cairo_move_to(cr, i - 13, -12);
        cairo_line_to(cr, i + 143, 132);
      }
      cairo_set_line_width(cr, 7);
      cairo_stroke(cr);
    }
    Panel(Jobs::Frame(j, 540, 40), 0, 0, 540, 40, {170, 40, 40}, 8);
    {
      cairo_t* cr = Jobs::Frame(j, 512, 45);
      RoundRect(cr, 2, 2, 508, 41, 8);
      SetRgb(cr, kInk);
      cairo_set_line_width(cr, 4);
      cairo_stroke(cr);
      RoundRect(cr, 5, 5, 502, 35, 6);
      SetRgb(cr, {220, 220, 230});
      cairo_set_line_width(cr, 2);
      cairo_stroke(cr);
    }
  }

  // Credits picture.
  {
    Job& j = jobs.Add(P, "menu\\credits.mbm");
    cairo_t* cr = Jobs::Frame(j, 640, 480);
    DrawBeach(cr, 640, 480);
    DrawLogo(cr, 320, 90, 64);
    for (int c = 0; c < 6; ++c) {
      Pose p;
      p.cheer = true;
      DrawCharacter(cr, c, p, 70 + c * 100, 420, 170);
    }
    Text(cr, "THANKS FOR PLAYING", 320, 160, 26, {255, 255, 255}, 1, true);
  }

  // Main menu: the scrolling tile, the logo, cursor, training picker, icons.
  {
    Job& j = jobs.Add(P, "Menu\\tile.bmp", false);
    cairo_t* cr = Jobs::Frame(j, 64, 64);
    Checker(cr, 64, 64, {50, 80, 170}, {60, 96, 190}, 32);
    DrawComputer(cr, 16, 16, 18, 0.3, 0);
    DrawComputer(cr, 48, 48, 18, -0.3, 0);
  }
  {
    Job& j = jobs.Add(P, "Menu\\logomain.bmp", false);
    cairo_t* cr = Jobs::Frame(j, 640, 257);
    DrawBeach(cr, 640, 257);
    for (int c = 0; c < 6; ++c) {
      Pose p;
      p.arm[0] = 0.4 + 0.3 * c;
      p.arm[1] = -0.5 - 0.2 * c;
      p.turn = (c - 2.5) * 0.15;
      DrawCharacter(cr, c, p, 60 + c * 104, 250, 150);
    }
    DrawLogo(cr, 320, 78, 70);
  }
  {
    Job& j = jobs.Add(P, "Menu\\cursor.mbm");
    for (int f = 0; f < 3; ++f) {
      cairo_t* cr = Jobs::Frame(j, 32, 32);
      if (f == 0) {  // arrow
        cairo_move_to(cr, 2, 2);
        cairo_line_to(cr, 2, 26);
        cairo_line_to(cr, 9, 19);
        cairo_line_to(cr, 14, 29);
        cairo_line_to(cr, 18, 27);
        cairo_line_to(cr, 13, 18);
        cairo_line_to(cr, 22, 18);
        cairo_close_path(cr);
        FillStroke(cr, {255, 255, 255}, 2);
      } else {  // pointing hand, pressed one smaller and darker
        double k = f == 2 ? 0.85 : 1.0;
        cairo_save(cr);
        cairo_scale(cr, k, k);
        RoundRect(cr, 9, 2, 7, 18, 3);
        FillStroke(cr, {250, 220, 190}, 2);
        RoundRect(cr, 5, 14, 22, 16, 6);
        FillStroke(cr, f == 2 ? Rgb{220, 180, 150} : Rgb{250, 220, 190}, 2);
        cairo_restore(cr);
      }
    }
  }
  {
    Job& j = jobs.Add(P, "Menu\\Events.mbm");
    const int cw = 124, chh = 116;
    {
      cairo_t* cr = Jobs::Frame(j, 630, 242);
      Panel(cr, 0, 0, 630, 242, kPanel, 12);
      for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 5; ++c) {
          RoundRect(cr, 8 + c * cw, 8 + r * chh, 112, 112, 6);
          FillStroke(cr, {20, 30, 70}, 2);
        }
    }
    {
      cairo_t* cr = Jobs::Frame(j, 5 * cw, 2 * chh);
      RoundRect(cr, 4, 4, 116, 116, 8);
      SetRgb(cr, kGold);
      cairo_set_line_width(cr, 5);
      cairo_stroke(cr);
    }
    Panel(Jobs::Frame(j, 539, 200), 0, 0, 539, 200, kPanel, 12);
    for (int e = 1; e <= 10; ++e)
      for (int f = 0; f < 16; ++f) {
        cairo_t* cr = Jobs::Frame(j, 100, 100);
        DrawEventScene(cr, e, 100, 100, f / 16.0);
        cairo_rectangle(cr, 0.5, 0.5, 99, 99);
        SetRgb(cr, kInk);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
      }
  }
  {
    Job& j = jobs.Add(P, "Menu\\icons.mbm");
    for (int f = 0; f < 4; ++f) {
      cairo_t* cr = Jobs::Frame(j, 32, 32);
      switch (f) {
        case 0:  // keyboard
          RoundRect(cr, 2, 9, 28, 15, 3);
          FillStroke(cr, {220, 220, 220}, 1.5);
          for (int k = 0; k < 5; ++k) {
            cairo_rectangle(cr, 5 + k * 5, 13, 3, 3);
            cairo_rectangle(cr, 5 + k * 5, 18, 3, 3);
          }
          SetRgb(cr, kInk);
          cairo_fill(cr);
          break;
        case 1:  // joystick
          RoundRect(cr, 5, 20, 22, 9, 3);
          FillStroke(cr, {60, 60, 70}, 1.5);
          cairo_move_to(cr, 16, 21);
          cairo_line_to(cr, 18, 7);
          SetRgb(cr, kInk);
          cairo_set_line_width(cr, 3);
          cairo_stroke(cr);
          Ellipse(cr, 18, 6, 4, 4);
          FillStroke(cr, {220, 30, 30}, 1.5);
          break;
        case 2:  // network
          for (int k = 0; k < 2; ++k) {
            DrawComputer(cr, 9 + k * 14, 14 + k * 6, 14, 0, 0);
          }
          break;
        default:
          DrawFace(cr, 0, 16, 16, 12, 1);
      }
    }
  }

  // New game: tiles, the player box, faces, the carousel, flags.
  static const Rgb kTiles[3][2] = {{{120, 40, 40}, {140, 50, 50}}, {{40, 110, 60}, {50, 130, 70}},
                                   {{60, 60, 120}, {70, 70, 140}}};
  for (int t = 0; t < 3; ++t) {
    Job& j = jobs.Add(P, "Menu\\tile" + std::to_string(t + 1) + ".bmp", false);
    cairo_t* cr = Jobs::Frame(j, 64, 64);
    Checker(cr, 64, 64, kTiles[t][0], kTiles[t][1], 16);
    Ellipse(cr, 32, 32, 10, 10);
    FillStroke(cr, kTiles[t][1], 2, {255, 255, 255});
  }
  {
    Job& j = jobs.Add(P, "Menu\\boxes8.bmp", false);
    cairo_t* cr = Jobs::Frame(j, 136, 130);
    cairo_rectangle(cr, 0, 0, 136, 130);
    SetRgb(cr, {20, 20, 40});
    cairo_fill(cr);
    Panel(cr, 0, 0, 136, 130, kPanel, 8);
    cairo_rectangle(cr, 8, 96, 120, 24);
    FillStroke(cr, {20, 30, 70}, 1.5);
  }
  {
    // The new game screen's carousel: each face whole inside its frame (the
    // screen stretches the frame, and an edge would cut a big head of hair
    // straight): a face that touches an edge is drawn smaller until none.
    Job& j = jobs.Add(P, "Menu\\faces8n.mbm");
    constexpr int kSide = 80;
    for (int c = 0; c < 6; ++c) {
      double r = 30;
      for (; r > 16; r -= 1) {
        Canvas probe(kSide, kSide);
        DrawFace(probe.cr(), c, kSide / 2.0, kSide / 2.0 + 4 * r / 30, r, 1);
        probe.Flush();
        bool clear = true;
        Rgb px;
        for (int a = 0; a < kSide && clear; ++a)
          for (int b : {0, 1, kSide - 2, kSide - 1})
            clear = clear && !probe.Pixel(a, b, &px) && !probe.Pixel(b, a, &px);
        if (clear) break;
      }
      DrawFace(Jobs::Frame(j, kSide, kSide), c, kSide / 2.0, kSide / 2.0 + 4 * r / 30, r, 1);
    }
  }
  {
    // The parade of the new game screen: six frames side by side on the
    // screen (frontend NewGameParadeX), each athlete whole inside his own:
    // a broad one (the bodybuilder's arms) is drawn smaller until nothing of
    // him touches the frame's edge.
    Job& j = jobs.Add(P, "Menu\\intro.mbm");
    constexpr int kW = 100, kH = 180;
    for (int c = 0; c < 6; ++c) {
      Pose p;
      p.arm[0] = 0.5;
      p.arm[1] = -1.2;
      p.elbow[1] = -1.5;
      p.mouth = 0.5;
      double height = 150;
      for (; height > 60; height -= 6) {
        Canvas probe(kW, kH);
        DrawCharacter(probe.cr(), c, p, kW / 2.0, 176, height);
        probe.Flush();
        bool clear = true;
        Rgb px;
        for (int y = 0; y < kH && clear; ++y)
          for (int x : {0, 1, 2, kW - 3, kW - 2, kW - 1}) clear = clear && !probe.Pixel(x, y, &px);
        for (int x = 0; x < kW && clear; ++x)
          for (int y : {0, 1, 2}) clear = clear && !probe.Pixel(x, y, &px);
        if (clear) break;
      }
      DrawCharacter(Jobs::Frame(j, kW, kH), c, p, kW / 2.0, 176, height);
    }
  }
  {
    Job& a = jobs.Add(P, "Menu\\flags8.mbm");
    Job& b = jobs.Add(P, "Menu\\flagwin8.mbm");
    for (int c = 0; c < 14; ++c) {
      DrawFlag(Jobs::Frame(a, 91, 76), c, 0, 0, 91, 76, 0);
      cairo_t* cr = Jobs::Frame(b, 91, 76);
      RoundRect(cr, 1, 1, 89, 74, 6);
      FillStroke(cr, kGold, 2);
      DrawFlag(cr, c, 7, 7, 77, 62, 1);
    }
  }

  // Shop, medals and standings.
  {
    Job& j = jobs.Add(P, "Menu\\med8new.mbm");
    for (int c = 0; c < 6; ++c) {  // 1..6 podium faces
      cairo_t* cr = Jobs::Frame(j, 160, 140);
      Panel(cr, 0, 0, 160, 140, kPanelLight, 10);
      DrawFace(cr, c, 80, 74, 52, 1);
    }
    for (int m = 0; m < 3; ++m) Medal(Jobs::Frame(j, 64, 64), 32, 40, 20, m);  // 7..9
    for (int f = 0; f < 9; ++f) {  // 10..18 confetti
      cairo_t* cr = Jobs::Frame(j, 32, 32);
      static const Rgb kC[3] = {{250, 80, 60}, {80, 200, 90}, {70, 150, 250}};
      cairo_save(cr);
      cairo_translate(cr, 16, 16);
      cairo_rotate(cr, f * 0.7);
      cairo_rectangle(cr, -10, -4, 20, 8);
      FillStroke(cr, kC[f % 3], 1);
      cairo_restore(cr);
    }
    for (int c = 0; c < 6; ++c) {  // 19..24 standings faces
      cairo_t* cr = Jobs::Frame(j, 87, 68);
      Panel(cr, 0, 0, 87, 68, kPanelLight, 6);
      DrawFace(cr, c, 43, 36, 25, 0);
    }
    {  // 25 the medal ceremony
      cairo_t* cr = Jobs::Frame(j, 640, 480);
      DrawBeach(cr, 640, 480);
      // Faces go at (48, 100), (256, 202), (48, 308), 160x140; the names
      // right-aligned at x 620 on the rows y 113, 253, 403.
      static const int kRowY[3] = {100, 202, 308};
      static const int kRowX[3] = {48, 256, 48};
      static const int kNameY[3] = {113, 253, 403};
      for (int m = 0; m < 3; ++m) {
        RoundRect(cr, kRowX[m] - 6, kRowY[m] - 6, 172, 152, 12);
        FillStroke(cr, {40, 60, 130}, 3);
        Medal(cr, kRowX[m] + (m == 1 ? -40 : 196), kRowY[m] + 84, 24, m);
        RoundRect(cr, 420, kNameY[m] - 10, 212, 38, 10);
        FillStroke(cr, {40, 60, 130}, 3);
      }
      Text(cr, "MEDALS", 320, 60, 40, kGold, 1, true);
    }
    {  // 26 the standings
      cairo_t* cr = Jobs::Frame(j, 640, 480);
      Checker(cr, 640, 480, {40, 60, 130}, {46, 68, 146}, 40);
      Text(cr, "STANDINGS", 320, 50, 36, kGold, 1, true);
      Text(cr, "MONEY", 522, 76, 16, {255, 255, 255}, 2, true);
      Text(cr, "POINTS", 618, 76, 16, {255, 255, 255}, 2, true);
      for (int r = 0; r < 4; ++r) Panel(cr, 28, 80 + r * 100, 600, 82, kPanelLight, 10);
    }
  }
  {
    Job& j = jobs.Add(P, "Menu\\shop1.mbm");
    Panel(Jobs::Frame(j, 208, 178), 0, 0, 208, 178, kPanel, 10);
    Panel(Jobs::Frame(j, 208, 178), 0, 0, 208, 178, {170, 120, 30}, 10);
    Panel(Jobs::Frame(j, 539, 109), 0, 0, 539, 109, kPanel, 10);
    {
      cairo_t* cr = Jobs::Frame(j, 85, 51);
      Panel(cr, 0, 0, 85, 51, {150, 40, 40}, 8);
      Text(cr, "EXIT", 42, 33, 18, {255, 255, 255}, 1, true);
    }
    {
      cairo_t* cr = Jobs::Frame(j, 85, 51);
      Panel(cr, 0, 0, 85, 51, {230, 80, 40}, 8);
      Text(cr, "EXIT", 42, 33, 18, kGold, 1, true);
    }
    {
      cairo_t* cr = Jobs::Frame(j, 64, 64);
      Checker(cr, 64, 64, {30, 40, 80}, {36, 48, 96}, 32);
      Text(cr, "$", 16, 24, 18, {60, 80, 140}, 1);
      Text(cr, "$", 48, 56, 18, {60, 80, 140}, 1);
    }
  }
  {
    Job& j = jobs.Add(P, "Menu\\shop2.mbm");
    for (int f = 1; f <= kShop2Frames; ++f) {
      cairo_t* cr = Jobs::Frame(j, 24, 24);
      if (f == 31) {  // power pill
        cairo_save(cr);
        cairo_translate(cr, 12, 12);
        cairo_rotate(cr, -0.6);
        RoundRect(cr, -10, -5, 20, 10, 5);
        FillStroke(cr, {230, 40, 60}, 1.5);
        cairo_rectangle(cr, 0, -4, 9, 8);
        SetRgb(cr, {255, 255, 255});
        cairo_fill(cr);
        cairo_restore(cr);
      } else if (f == 61) {  // weapons: a bomb
        Ellipse(cr, 11, 14, 8, 8);
        FillStroke(cr, {30, 30, 34}, 1.5);
        Ellipse(cr, 18, 5, 3, 3);
        FillStroke(cr, {255, 180, 30}, 0);
      } else {  // coins and stars
        Ellipse(cr, 12, 12, 9, 9);
        FillStroke(cr, (f % 2) ? kGold : Rgb{200, 205, 215}, 1.5);
        Text(cr, "$", 12, 17, 12, kInk, 1);
      }
    }
  }
  for (int c = 0; c < 6; ++c) {
    Job& j = jobs.Add(P, kFaceSheet[c]);
    for (int anim = 0; anim < 4; ++anim)
      for (int f = 0; f < 15; ++f) TrainingFrame(Jobs::Frame(j, 168, 148), c, anim, f / 15.0, 168, 148);
    DrawFace(Jobs::Frame(j, 96, 96), c, 48, 50, 36, 1);  // 61 portrait
    // 62..76 power pills, 77..91 energy juice: each shop item its own picture.
    for (int anim = 4; anim < 6; ++anim)
      for (int f = 0; f < 15; ++f) TrainingFrame(Jobs::Frame(j, 168, 148), c, anim, f / 15.0, 168, 148);
  }
  {
    Job& j = jobs.Add(P, "menu\\sfaces.mbm");
    for (int c = 0; c < 6; ++c) DrawFace(Jobs::Frame(j, 24, 24), c, 12, 13, 9, 0);
  }

  // Status-band faces: moods 0 calm, 1 happy, 2 effort, 3 hurt, 4 shouting,
  // 5 sad; each plays 15 frames (a blink, a bob of the head).
  for (int c = 0; c < 6; ++c) {
    Job& j = jobs.Add(P, kFacePanelFile[c]);
    static const int kBase[6] = {0, 1, 2, 3, 2, 3};
    for (int m = 0; m < kFacePanelMoods; ++m)
      for (int f = 0; f < kFacePanelFramesPerMood; ++f) {
        cairo_t* cr = Jobs::Frame(j, kFacePanelW, kFacePanelH);
        RoundRect(cr, 1, 1, kFacePanelW - 2, kFacePanelH - 2, 6);
        FillStroke(cr, {36, 48, 100}, 1.5);
        double bob = std::sin(f * 2 * M_PI / kFacePanelFramesPerMood) * (m == 4 ? 3 : 1.5);
        double shake = m == 3 ? std::sin(f * 1.7) * 2 : 0;
        int mood = kBase[m] | ((m == 0 || m == 5) && (f == 6 || f == 7) ? kFaceBlink : 0);
        DrawFace(cr, c, kFacePanelW / 2.0 + shake, kFacePanelH / 2.0 + 3 + bob, 20, mood);
        if (m == 2 || m == 3) {  // sweat, or a bump and a bandage
          Ellipse(cr, kFacePanelW / 2.0 + 22, 14 + f % 5 * 2, 2.5, 4);
          FillStroke(cr, {150, 200, 255}, 1);
        }
        if (m == 3) {
          for (int k = 0; k < 3; ++k) {  // little stars round the head
            double a = f * 0.4 + k * 2.1;
            Text(cr, "*", kFacePanelW / 2.0 + std::cos(a) * 24, 14 + std::sin(a) * 6, 12, kGold, 1);
          }
        }
        if (m == 5) {  // a tear
          Ellipse(cr, kFacePanelW / 2.0 - 8, 30 + f % 8 * 2, 2, 3);
          FillStroke(cr, {150, 200, 255}, 0);
        }
      }
  }
  {
    Job& j = jobs.Add(P, "menu\\star.mbm");
    for (int f = 0; f < kStarFrames; ++f) {
      cairo_t* cr = Jobs::Frame(j, kStarSize, kStarSize);
      double r = kStarSize / 2.0 - 1, a0 = f * M_PI / 20;
      double k = 0.75 + 0.25 * std::cos(f * 2 * M_PI / kStarFrames);
      for (int i = 0; i < 10; ++i) {
        double a = a0 - M_PI / 2 + i * M_PI / 5, rr = (i % 2 ? 0.45 : 1.0) * r * k;
        double px = kStarSize / 2.0 + rr * std::cos(a), py = kStarSize / 2.0 + rr * std::sin(a);
        if (i == 0)
          cairo_move_to(cr, px, py);
        else
          cairo_line_to(cr, px, py);
      }
      cairo_close_path(cr);
      FillStroke(cr, kGold, 1);
    }
  }

  // Loading pictures of the ten events (532 x 404), compressed.
  for (int e = 1; e <= 10; ++e) {
    Job& j = jobs.Add(Root::Video, "video\\loading" + std::to_string(e) + ".mbm", true, true);
    cairo_t* cr = Jobs::Frame(j, 532, 404);
    DrawEventScene(cr, e, 532, 404, 0.3);
    RoundRect(cr, 16, 12, 500, 60, 12);
    FillStroke(cr, kPanel, 3);
    Text(cr, kEventTitle[e - 1], 266, 54, e == 6 ? 22 : 30, kGold, 1, true);
  }

  // The UI palette from everything drawn, then every picture reduced to it.
  ColourHistogram hist;
  for (auto& job : jobs.all())
    for (auto& f : job->frames) {
      f->Flush();
      hist.Add(*f, f->w() * f->h() > 100000 ? 3 : 1);
    }
  // Pure colours the fonts and bars rely on.
  for (Rgb c : {Rgb{255, 255, 255}, kGold, kInk}) hist.AddColour(c, 1u << 24);
  FillPalette(&g_ui, 6, hist.MedianCut(249));
  Quantizer q(g_ui, 2, 254);
  for (auto& job : jobs.all()) {
    if (!job->mbm) {
      out.Write(job->root, job->path, EncodeBmp8(q.Reduce(*job->frames[0], false), g_ui));
      continue;
    }
    std::vector<MbmFrame> frames;
    for (auto& f : job->frames) frames.push_back({"", q.Reduce(*f)});
    Bytes b = EncodeMbm(frames, g_ui);
    out.Write(job->root, job->path, job->pkc ? EncodePkc(b) : b);
  }

  // The cut-scene backdrop is a 24-bit picture (the video player converts it).
  {
    Canvas c(640, 480);
    cairo_t* cr = c.cr();
    cairo_rectangle(cr, 0, 0, 640, 480);
    SetRgb(cr, {110, 20, 30});
    cairo_fill(cr);
    for (int i = 0; i < 16; ++i) {  // curtain folds
      cairo_rectangle(cr, i * 40, 0, 20, 480);
      SetRgb(cr, {140, 30, 40});
      cairo_fill(cr);
    }
    RoundRect(cr, 128, 46, 460, 320, 14);
    FillStroke(cr, {20, 20, 24}, 8, kGold);
    DrawLogo(cr, 320, 430, 44);
    out.Write(P, "menu\\bkgrd.bmp", EncodeBmp24(c));
  }
}

}  // namespace assetgen
