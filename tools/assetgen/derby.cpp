// ROLLER DERBY: the event palette, the ten track meshes and the two mine
// meshes (text .x files, the pieces built from the very wall lines and
// heights the event's collision and track following use), their textures,
// the status band, the item icons and the track map, the announcer's
// animation, hit stars, explosions, the six skater sheets drawn with the
// shared athlete figure on skates, the six thrown weapons, and the event's
// sounds and voices, to the layouts of roller_derby_data.h.
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "events/roller_derby/derby_track.h"
#include "events/roller_derby/roller_derby_data.h"
#include "scene3d/track_piece.h"
#include "scene3d/xfile.h"
#include "tools/assetgen/audio.h"
#include "tools/assetgen/draw.h"
#include "tools/assetgen/gen.h"
#include "tools/assetgen/scenes.h"

namespace assetgen {

namespace da = derbyassets;

namespace {

const Rgb kInk{24, 18, 14};
const Rgb kFloor{58, 74, 104};
const Rgb kFloorLight{78, 96, 130};
const Rgb kLine{236, 236, 228};
const Rgb kWallRed{206, 40, 44};
const Rgb kWallWhite{240, 236, 226};
const Rgb kHazard{250, 204, 40};
const Rgb kRecordGreen{0, 248, 0};


std::string InFolder(const std::string& name) { return std::string(da::kFolder) + "\\" + name; }

// ------------------------------------------------------------- the pictures

struct Picture : FrameSheet {
  Root root = Root::Data;
  bool sprite = true;  // an .mbm (else a .bmp without a key)
};

// The floor: a painted rink, blue with a lighter grain, white lines at the
// edges and dashes down the middle; the start piece has the checkered line
// across its entry.
void DrawFloor(cairo_t* cr, int w, int h, bool start) {
  cairo_rectangle(cr, 0, 0, w, h);
  SetRgb(cr, kFloor);
  cairo_fill(cr);
  std::minstd_rand grain(7);  // the same grain every run
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (grain() % 7 == 0) {
        cairo_rectangle(cr, x, y, 1, 1);
        SetRgb(cr, kFloorLight);
        cairo_fill(cr);
      }
  SetRgb(cr, kLine);
  cairo_rectangle(cr, 2, 0, 2, h);
  cairo_rectangle(cr, w - 4, 0, 2, h);
  for (int y = 0; y < h; y += 32) cairo_rectangle(cr, w / 2 - 1, y + 4, 2, 16);
  cairo_fill(cr);
  if (start)
    for (int r = 0; r < 2; ++r)
      for (int c = 0; c < 8; ++c) {
        cairo_rectangle(cr, c * 8, 2 + r * 8, 8, 8);
        SetRgb(cr, (r + c) % 2 ? Rgb{20, 20, 24} : kLine);
        cairo_fill(cr);
      }
}

// The barrier: red and white blocks under a dark rail.
void DrawWall(cairo_t* cr, int w, int h) {
  for (int x = 0; x < w; x += 16) {
    cairo_rectangle(cr, x, 0, 16, h);
    SetRgb(cr, (x / 16) % 2 ? kWallWhite : kWallRed);
    cairo_fill(cr);
  }
  cairo_rectangle(cr, 0, 0, w, 3);
  SetRgb(cr, {50, 50, 60});
  cairo_fill(cr);
  cairo_rectangle(cr, 0, h - 2, w, 2);
  SetRgb(cr, {30, 30, 36});
  cairo_fill(cr);
}

// A mine's top: a hazard ring round a dark plate.
void DrawMineTop(cairo_t* cr, int s) {
  cairo_rectangle(cr, 0, 0, s, s);
  SetRgb(cr, {60, 60, 68});
  cairo_fill(cr);
  for (int k = 0; k < 8; ++k) {
    cairo_move_to(cr, s / 2.0, s / 2.0);
    cairo_arc(cr, s / 2.0, s / 2.0, s / 2.0, k * M_PI / 4, (k + 0.5) * M_PI / 4);
    cairo_close_path(cr);
    SetRgb(cr, kHazard);
    cairo_fill(cr);
  }
  Ellipse(cr, s / 2.0, s / 2.0, s * 0.3, s * 0.3);
  FillStroke(cr, {40, 40, 46}, 1, kInk);
}

// The map: the track's middle line, world (x, z) at (x / 10, da::kMapH - 10 - z / 10).
void DrawTrackMapPicture(cairo_t* cr) {
  auto to = [](double x, double z) { return std::pair<double, double>(x / 10.0, da::kMapH - 10 - z / 10.0); };
  for (int pass = 0; pass < 2; ++pass) {
    bool first = true;
    for (int r = 0; r <= da::kPieces; ++r) {
      const da::TrackLayoutEntry& row = da::kTrackLayout[r % da::kPieces];
      const int steps = da::IsStraight(row.type) ? 1 : 6;
      for (int i = 0; i <= steps; ++i) {
        double lx, lz;  // the middle line in the piece's own plane
        if (da::IsStraight(row.type)) {
          lx = 0;
          lz = 128.0 * i / steps;
        } else {
          const double a = M_PI / 2 * i / steps, side = da::IsLeftTurn(row.type) ? -1 : 1;
          lx = side * (128 - 128 * std::cos(a));
          lz = 128 * std::sin(a);
        }
        Point2f p{static_cast<float>(lx), static_cast<float>(lz)};
        p.RotateQuarterTurns(int(row.direction));
        auto [mx, my] = to(row.x + p.x, row.z + p.y);
        if (first) cairo_move_to(cr, mx, my);
        else cairo_line_to(cr, mx, my);
        first = false;
      }
    }
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, pass == 0 ? 9 : 5);
    SetRgb(cr, pass == 0 ? Rgb{20, 20, 30} : Rgb{150, 170, 200});
    cairo_stroke(cr);
  }
  // The start line across the start piece.
  auto [sx, sy] = to(da::kTrackLayout[0].x, da::kTrackLayout[0].z);
  cairo_rectangle(cr, sx - 5, sy - 1.5, 10, 3);
  SetRgb(cr, kLine);
  cairo_fill(cr);
}

void DrawPill(cairo_t* cr, double cx, double cy, double r) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_rotate(cr, -0.6);
  RoundRect(cr, -r, -r * 0.45, r, r * 0.9, r * 0.45);
  FillStroke(cr, {230, 50, 60}, 1.2, kInk);
  RoundRect(cr, 0, -r * 0.45, r, r * 0.9, r * 0.45);
  FillStroke(cr, {245, 245, 240}, 1.2, kInk);
  cairo_restore(cr);
}

void DrawFist(cairo_t* cr, double cx, double cy, double r) {
  RoundRect(cr, cx - r * 0.8, cy - r * 0.6, r * 1.5, r * 1.2, r * 0.4);
  FillStroke(cr, {236, 186, 140}, 1.2, kInk);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 1);
  for (int k = 1; k < 4; ++k) {
    cairo_move_to(cr, cx - r * 0.8 + k * r * 0.37, cy - r * 0.6);
    cairo_line_to(cr, cx - r * 0.8 + k * r * 0.37, cy - r * 0.1);
  }
  cairo_stroke(cr);
  // Speed lines behind it.
  for (int k = 0; k < 3; ++k) {
    cairo_move_to(cr, cx + r * 0.9, cy - r * 0.4 + k * r * 0.4);
    cairo_line_to(cr, cx + r * 1.2, cy - r * 0.4 + k * r * 0.4);
  }
  cairo_stroke(cr);
}

void DrawStar(cairo_t* cr, double cx, double cy, double r, int points, Rgb colour, double turn) {
  for (int i = 0; i < points * 2; ++i) {
    const double a = turn - M_PI / 2 + i * M_PI / points, rr = (i % 2 ? 0.45 : 1.0) * r;
    const double px = cx + rr * std::cos(a), py = cy + rr * std::sin(a);
    if (i == 0) cairo_move_to(cr, px, py);
    else cairo_line_to(cr, px, py);
  }
  cairo_close_path(cr);
  FillStroke(cr, colour, 1.2, kInk);
}

// One burst of the mine: a ball of fire rising and turning to smoke; the
// picture stands on its bottom middle.
void DrawBurst(cairo_t* cr, int s, int frame, int frames) {
  const double t = (frame + 0.5) / frames;
  const double r = s * (0.12 + 0.3 * std::sqrt(t));
  const double cy = s - r - 2 - t * s * 0.15;
  static const Rgb kFire[4] = {{255, 250, 200}, {255, 210, 60}, {245, 120, 30}, {110, 100, 96}};
  for (int k = 0; k < 9; ++k) {
    const double a = k * 2 * M_PI / 9 + frame * 0.4;
    const double pr = r * (0.45 + 0.15 * ((k + frame) % 3));
    Ellipse(cr, s / 2.0 + std::cos(a) * r * 0.55, cy + std::sin(a) * r * 0.45, pr, pr);
    FillStroke(cr, t < 0.6 ? kFire[2] : kFire[3], 0);
  }
  Ellipse(cr, s / 2.0, cy, r * 0.7, r * 0.65);
  FillStroke(cr, t < 0.7 ? kFire[1] : kFire[3], 0);
  if (t < 0.5) {
    Ellipse(cr, s / 2.0, cy, r * 0.35, r * 0.32);
    FillStroke(cr, kFire[0], 0);
  }
}

// The announcer's animation: a badge with the event's name round a skater
// gliding past the speed lines.
void DrawIntroFrame(cairo_t* cr, int frame) {
  const double c = da::kIntroSize / 2.0, phase = frame / double(da::kIntroFrames);
  Ellipse(cr, c, c, 146, 146);
  FillStroke(cr, {28, 34, 70}, 6, {250, 204, 40});
  cairo_save(cr);
  Ellipse(cr, c, c, 140, 140);
  cairo_clip(cr);
  for (int k = 0; k < 7; ++k) {  // speed lines running past
    const double y = 110 + k * 18, x = std::fmod(300 - phase * 300 + k * 97, 300.0);
    cairo_rectangle(cr, x - 40, y, 80, 4);
    SetRgb(cr, {90, 110, 170});
    cairo_fill(cr);
  }
  cairo_rectangle(cr, 0, 232, da::kIntroSize, 10);
  SetRgb(cr, kLine);
  cairo_fill(cr);
  Pose p;
  p.skates = true;
  p.turn = 1.35;
  p.lean = 0.35;
  const double s = std::sin(phase * 2 * M_PI);
  p.leg[0] = 0.35 * s;
  p.leg[1] = -0.35 * s;
  p.knee[0] = p.knee[1] = 0.35;
  p.arm[0] = -0.6 * s - 0.2;
  p.arm[1] = 0.6 * s + 0.2;
  p.mouth = 0.7;
  DrawCharacter(cr, frame % da::kCharacters, p, c, 226, 120);
  cairo_restore(cr);
  Text(cr, "ROLLER", c, 62, 40, {250, 204, 40}, 1, true);
  Text(cr, "DERBY", c, 272, 40, {250, 204, 40}, 1, true);
}

// ------------------------------------------------------------ the skaters

// The pose of a skater in a state, t running 0..1 through its animation.
Pose SkaterPose(int state, double t) {
  Pose p;
  switch (state) {
    case da::kFallen:
      p = ActionPose(Action::kKnockedDown, t);
      break;
    case da::kGettingUp:
      p = ActionPose(Action::kGettingUp, t);
      break;
    case da::kHit:
      p = ActionPose(Action::kHit, t);
      break;
    case da::kAttack1:
      p = ActionPose(Action::kPunch, t);
      break;
    case da::kAttack2:  // a swinging hook with a kick
      p.arm[1] = 0.4 + 1.4 * std::sin(t * M_PI);
      p.elbow[1] = 0.6;
      p.arm[0] = -0.5;
      p.leg[0] = 1.1 * std::sin(t * M_PI);
      p.leg[1] = -0.2;
      p.lean = -0.15 * std::sin(t * M_PI);
      p.mouth = 0.9;
      break;
    case da::kThrowing:
      p = ActionPose(Action::kThrow, t);
      break;
    default: {  // gliding and pushing: legs push out by turns, arms swing
      const double s = std::sin(t * 2 * M_PI);
      p.lean = 0.35;
      p.leg[0] = 0.4 * s;
      p.leg[1] = -0.4 * s;
      p.knee[0] = 0.3 + 0.25 * std::max(0.0, s);
      p.knee[1] = 0.3 + 0.25 * std::max(0.0, -s);
      p.arm[0] = -0.7 * s - 0.2;
      p.arm[1] = 0.7 * s + 0.2;
      p.elbow[0] = p.elbow[1] = 0.5;
      p.mouth = 0.35;
      break;
    }
  }
  p.skates = true;
  return p;
}

// One skater sheet: every frame the animation table names, drawn from its
// state, viewing direction and place in the animation (a frame two rows
// share shows the first); frames no row names show the skater gliding. Its
// own palette keeps the character's 32 colours in entries 2..33.
Bytes SkaterSheet(int ch) {
  const int count = da::SheetFrameCount(ch);
  struct Use {
    int state = -1, dir = 4;
    double t = 0;
  };
  std::vector<Use> use(size_t(count) + 1);
  for (int s = 0; s < da::kAnimationStates; ++s)
    for (int d = 0; d < 8; ++d) {
      const da::Animation& a = da::kSkaterAnimations[ch][s];
      for (uint32_t k = 0; k < a.frameCount; ++k) {
        const int f = int(a.firstFrame[d] + k);
        if (f < 1 || f > count || use[f].state >= 0) continue;
        use[f] = {s, d, a.frameCount > 1 ? double(k) / (s == da::kStriding ? a.frameCount : a.frameCount - 1) : 0.0};
      }
    }
  std::vector<std::unique_ptr<Canvas>> frames;
  const double mid = da::kSkaterPicture / 2.0, feet = da::kSkaterPicture - 7.0;
  for (int f = 1; f <= count; ++f) {
    const Use u = use[f].state >= 0 ? use[f] : Use{da::kSkating, 4, 0};
    frames.push_back(std::make_unique<Canvas>(da::kSkaterPicture, da::kSkaterPicture));
    cairo_t* cr = frames.back()->cr();
    Ellipse(cr, mid, da::kSkaterPicture - 3.0, 22, 3);
    SetRgb(cr, {34, 40, 60});
    cairo_fill(cr);
    Pose p = SkaterPose(u.state, u.t);
    // Leaning into the stride shows from the side only.
    double turn = 0;
    bool mirrored = false;
    FacingOfDirection(u.dir, &turn, &mirrored);
    if (u.state != da::kFallen && u.state != da::kGettingUp) p.lean *= std::fabs(std::sin(turn));
    DrawCharacterFacing(cr, ch, p, u.dir, mid, feet, 96);
  }
  static_assert(da::kSheetColoursFirst == 2, "the sheet's colours start after black and the key");
  return OwnColourSheet(frames, da::kBandColours);
}

// ------------------------------------------------------------ the meshes

// A piece of the track from its wall lines in roller_derby_data.h, each point at
// the height the event's track following gives it there.
XFile PieceMesh(uint32_t type) {
  const bool straight = da::IsStraight(type), right = da::IsRightTurn(type);
  const da::WallPoint* points = straight ? da::kStraightWall : da::kLeftTurnWall;
  const int half = straight ? 2 : 5;
  std::vector<RMVector> first, second;
  for (int i = 0; i < half; ++i)
    for (int wall = 0; wall < 2; ++wall) {
      const da::WallPoint& w = points[wall * half + i];
      const float x = right ? -w.x : w.x;
      (wall ? second : first).emplace_back(x, derby::PieceRiseAt(type, Point2f(x, w.z)), w.z);
    }
  TrackPieceLook look;
  look.floorPicture = type == 2 ? da::kStartTexture : da::kFloorTexture;
  look.floorRepeat = type == 2 ? 128.0f : 64.0f;
  look.wallPicture = da::kWallTexture;
  look.wallHeight = da::kWallHeight;
  // A straight's first wall is its left; a turn's first wall is its inside,
  // which is on the right of a right turn.
  return right ? BuildTrackPieceX(second, first, look) : BuildTrackPieceX(first, second, look);
}

// A mine: an octagonal plate with the hazard ring on top and a light in
// the middle, off (dark) or on (bright red).
XFile MineMesh(bool lit) {
  constexpr int kSides = 8;
  constexpr float kRadius = 3.0f, kHeight = 1.0f, kLightRadius = 0.9f, kLightHeight = 1.8f;
  XMesh m;
  m.name = lit ? "MineOn" : "MineOff";
  XMaterial top, side, light;
  top.name = "MineTop";
  top.texture = da::kMineTexture;
  side.name = "MineSide";
  side.face[0] = 0.24f, side.face[1] = 0.24f, side.face[2] = 0.28f;
  light.name = lit ? "LightOn" : "LightOff";
  light.face[0] = lit ? 1.0f : 0.32f, light.face[1] = lit ? 0.2f : 0.06f, light.face[2] = lit ? 0.12f : 0.06f;
  m.materials = {top, side, light};
  auto prism = [&](float r, float y0, float y1, uint32_t topMaterial, uint32_t sideMaterial, bool textured) {
    const uint32_t base = uint32_t(m.positions.size());
    for (int k = 0; k < kSides; ++k) {
      const float a = float(k * 2 * M_PI / kSides), c = std::cos(a), s = std::sin(a);
      m.positions.push_back({r * c, y0, r * s});
      m.positions.push_back({r * c, y1, r * s});
      m.texCoords.push_back({textured ? 0.5f + 0.5f * c : 0.0f, textured ? 0.5f - 0.5f * s : 0.0f});
      m.texCoords.push_back({textured ? 0.5f + 0.5f * c : 0.0f, textured ? 0.5f - 0.5f * s : 0.0f});
    }
    // Sides seen from outside, the top from above (corners clockwise).
    for (int k = 0; k < kSides; ++k) {
      const uint32_t a = base + 2 * k, b = base + 2 * ((k + 1) % kSides);
      m.faces.push_back({a, a + 1, b + 1, b});
      m.faceMaterials.push_back(sideMaterial);
    }
    std::vector<uint32_t> lid;
    for (int k = kSides - 1; k >= 0; --k) lid.push_back(base + 2 * k + 1);
    m.faces.push_back(lid);
    m.faceMaterials.push_back(topMaterial);
  };
  prism(kRadius, 0.0f, kHeight, 0, 1, true);
  prism(kLightRadius, kHeight, kLightHeight, 2, 2, false);
  XFile f;
  f.meshes.push_back(std::move(m));
  return f;
}

Bytes TextBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// --------------------------------------------------------------- the sounds

void Wav(Output& out, Root root, const std::string& path, const Samples& s, int bits = 16) {
  // A file another event shares is written by the first that makes it.
  if (!out.Has(root, path)) out.Write(root, path, EncodeWav(ToPcm(s), kRate, bits));
}

void GenerateDerbySounds(Output& out) {
  const Root D = Root::Data, P = Root::Program;
  {
    Samples boom = Noise(1.1, 0.9, 71, 0.7);
    Envelope(boom, 0.003, 0.9);
    Samples low = Sweep(90, 30, 0.9, 0, 0.8);
    Envelope(low, 0.003, 0.6);
    MixInto(boom, low, 0);
    Wav(out, P, da::kBombSound, boom, 8);
  }
  {
    Samples roll = Noise(0.35, 0.35, 73, 0.9);
    for (size_t i = 0; i < roll.size(); ++i)
      roll[i] = float(roll[i] * std::sin(M_PI * double(i) / double(roll.size())));
    MixInto(roll, Tone(140, 0.35, 3, 0.06), 0);
    Wav(out, D, da::kBladeSound, roll, 8);
  }
  {
    Samples a = Tone(1500, 0.25, 1, 0.2);
    Append(a, Speak("Welcome to the roller derby! Two laps, and anything goes!", 6));
    Wav(out, D, da::kAnnouncerSound, a);
  }
  {
    Samples pill = Sweep(300, 1400, 0.5, 1, 0.3);
    Envelope(pill, 0.01, 0.1);
    Wav(out, P, da::kPillSound, pill, 8);
  }
  {
    Samples cheer = Noise(1.5, 0.4, 9, 0.8);
    Envelope(cheer, 0.05, 0.5);
    Wav(out, P, da::kCheerSound, cheer, 8);
  }
  static const char* const kWords[5] = {"Hyah!", "Take that!", "Ouch!", "Whoa!", "Catch!"};
  static const char* const kNames[6] = {"Rizaz", "Rarez Vuda", "Zaru", "Razirazo", "Raderozi", "Zovi"};
  static const char* const kCommentary[3] = {" is over the line!", " takes the lead!", " is out in front!"};
  for (int c = 0; c < da::kCharacters; ++c) {
    for (int v = 0; v < 5; ++v)
      Wav(out, P, std::string("sounds\\") + da::kVoicePrefix[c] + da::kVoiceSuffix[v], Speak(kWords[v], c));
    for (int k = 0; k < 3; ++k)
      Wav(out, D, std::string("extra\\rd\\") + da::kCommentaryPrefix[c] + da::kCommentarySuffix[k],
          Speak(std::string(kNames[c]) + kCommentary[k], 6));
  }
}

}  // namespace

void GenerateDerby(Output& out) {
  // The skater sheets take the longest: one thread each, beside the rest.
  std::vector<Bytes> sheetFiles(da::kCharacters);
  std::vector<std::thread> workers;
  for (int c = 0; c < da::kCharacters; ++c) workers.emplace_back([c, &sheetFiles] { sheetFiles[c] = SkaterSheet(c); });

  std::vector<std::unique_ptr<Picture>> pictures;
  auto add = [&](const std::string& path, bool sprite, Root root = Root::Data) -> Picture& {
    pictures.push_back(std::make_unique<Picture>());
    pictures.back()->path = path;
    pictures.back()->sprite = sprite;
    pictures.back()->root = root;
    return *pictures.back();
  };
  DrawFloor(add(InFolder(da::kFloorTexture), false).Frame(64, 64), 64, 64, false);
  DrawFloor(add(InFolder(da::kStartTexture), false).Frame(64, 128), 64, 128, true);
  DrawWall(add(InFolder(da::kWallTexture), false).Frame(64, 16), 64, 16);
  DrawMineTop(add(InFolder(da::kMineTexture), false).Frame(32, 32), 32);
  // The status band: faces, names, the energy and distance bars, and under
  // them the lap (and the place once finished) and the item in hand.
  DrawStatusBand(add(da::kStatusPicture, false, Root::Program).Frame(da::kStatusW, da::kStatusH), da::kStatusW,
                 da::kStatusH, 2);
  {
    Picture& icons = add(da::kIconsSprite, true);
    DrawPill(icons.Frame(da::kIconSize, da::kIconSize), da::kIconSize / 2.0, da::kIconSize / 2.0, 9);
    DrawFist(icons.Frame(da::kIconSize, da::kIconSize), da::kIconSize / 2.0 - 1, da::kIconSize / 2.0, 8);
    DrawTrackMapPicture(icons.Frame(da::kMapW, da::kMapH));
  }
  {
    Picture& stars = add(da::kStarsSprite, true);
    static const Rgb kStarColour[3] = {{255, 230, 60}, {120, 220, 255}, {255, 140, 200}};
    for (int k = 0; k < da::kStarPictures; ++k)
      DrawStar(stars.Frame(da::kStarSize, da::kStarSize), da::kStarSize / 2.0, da::kStarSize / 2.0, da::kStarSize / 2.0 - 1.5,
               4 + k % 3, kStarColour[k / 3], k * 0.3);
  }
  {
    Picture& burst = add(da::kExplosionSprite, true);
    for (int f = 0; f < da::kExplosionFrames; ++f)
      DrawBurst(burst.Frame(da::kExplosionSize, da::kExplosionSize), da::kExplosionSize, f, da::kExplosionFrames);
  }
  {
    Picture& intro = add(da::kIntroSprite, true);
    for (int f = 0; f < da::kIntroFrames; ++f) DrawIntroFrame(intro.Frame(da::kIntroSize, da::kIntroSize), f);
  }
  for (int c = 0; c < da::kCharacters; ++c) {
    const da::WeaponRow& w = da::kWeapons[c];
    Picture& sheet = add(w.file, true);
    const double size = w.textureSize, r = size * 0.4;
    for (uint32_t f = 0; f < w.frames; ++f)
      DrawCharacterWeapon(sheet.Frame(int(size), int(size)), c, size / 2, size / 2, r, f * 2 * M_PI / w.frames, kInk);
    DrawCharacterWeapon(sheet.Frame(da::kWeaponIconSize, da::kWeaponIconSize), c, da::kWeaponIconSize / 2.0,
                    da::kWeaponIconSize / 2.0, 9, 0, kInk);
  }

  // The palette: 6..126 from everything drawn onto the screen or shown in
  // the scene; the players' bands (127..254) are filled by the event.
  ColourHistogram hist;
  for (auto& p : pictures)
    for (auto& f : p->frames) {
      f->Flush();
      hist.Add(*f, f->w() * f->h() > 60000 ? 3 : 1);
    }
  for (Rgb c : {kInk, kRecordGreen, kLine, Rgb{140, 140, 153}}) hist.AddColour(c, 1u << 20);
  Palette pal = BasePalette();
  FillPalette(&pal, da::kSceneryFirst, hist.MedianCut(da::kSceneryLast - da::kSceneryFirst + 1));
  Quantizer q(pal, 2, da::kSceneryLast, {0, 255});
  Image8 swatch{16, 16, std::vector<uint8_t>(256)};
  for (int i = 0; i < 256; ++i) swatch.px[i] = uint8_t(i);
  out.Write(Root::Data, da::kPalettePicture, EncodeBmp8(swatch, pal));
  for (auto& p : pictures) {
    if (!p->sprite) {
      out.Write(p->root, p->path, EncodeBmp8(q.Reduce(*p->frames[0], false), pal));
      continue;
    }
    std::vector<MbmFrame> frames;
    for (auto& f : p->frames) frames.push_back({"", q.Reduce(*f)});
    out.Write(p->root, p->path, EncodeMbm(frames, pal));
  }

  // The meshes.
  for (int t = 0; t < da::kPieceTypes; ++t)
    out.Write(Root::Data, InFolder(da::kPieceFiles[t]), TextBytes(WriteXFile(PieceMesh(uint32_t(t)))));
  out.Write(Root::Data, InFolder(da::kMineOffMesh), TextBytes(WriteXFile(MineMesh(false))));
  out.Write(Root::Data, InFolder(da::kMineOnMesh), TextBytes(WriteXFile(MineMesh(true))));

  // The loading picture is the tenth event's.
  {
    std::vector<uint8_t> bytes;
    const std::string from = out.Dir(Root::Video) + "/" + DiskName("video\\loading10.mbm");
    FILE* f = std::fopen(from.c_str(), "rb");
    if (!f) throw std::runtime_error("the loading pictures must be written before ROLLER DERBY's");
    for (int ch; (ch = std::fgetc(f)) != EOF;) bytes.push_back(uint8_t(ch));
    std::fclose(f);
    out.Write(Root::Video, da::kLoadingPicture, bytes);
  }

  GenerateDerbySounds(out);
  for (std::thread& w : workers) w.join();
  for (int c = 0; c < da::kCharacters; ++c) out.Write(Root::Data, da::kSkaterSheets[c], sheetFiles[c]);
}

}  // namespace assetgen
