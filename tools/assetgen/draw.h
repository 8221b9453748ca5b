#pragma once
// Cartoon drawing with Cairo: the six athletes, their faces, the thrown
// computer and small helpers shared by every picture of the generator.
#include <cairo.h>

#include <string>

#include "tools/assetgen/image.h"

namespace assetgen {

// Player-record character order: 0 RIZAZ (slob), 1 RAREZ VUDA (ape), 2 ZARU
// (muscle-bound stud), 3 RAZIRAZO (jungle amazon), 4 RADEROZI (kangaroo),
// 5 ZOVI (alien).
inline constexpr int kCharacterCount = 6;
inline constexpr const char* kCharacterName[6] = {"RIZAZ", "RAREZ VUDA", "ZARU",
                                                  "RAZIRAZO", "RADEROZI", "ZOVI"};

struct Pose {
  double turn = 0;         // rotation about the vertical axis, radians (0 faces the viewer)
  double lean = 0;         // body lean, radians, positive forwards (to the right)
  double arm[2] = {0.15, -0.15};    // shoulder angles (0 hangs down, +pi/2 points right)
  double elbow[2] = {0.2, -0.2};    // elbow bend
  double leg[2] = {0.12, -0.12};    // hip angles
  double knee[2] = {0, 0};          // knee bend
  double bounce = 0;       // lift of the whole body, units
  double mouth = 0.3;      // 0 closed .. 1 wide open
  bool holding = false;    // a computer between the hands
  double holdAngle = 0;    // its rotation
  bool cheer = false;      // arms up, big grin
  bool skates = false;     // roller skates under the feet
};

// The athletes' common actions, at t (0..1) through the action: a throw
// overarm, a straight punch, knocked down onto the back, getting up again,
// reeling from a hit.
enum class Action { kThrow, kPunch, kKnockedDown, kGettingUp, kHit };
Pose ActionPose(Action action, double t);

// Draws character `ch` with its feet at (x, y) and `height` pixels tall.
void DrawCharacter(cairo_t* cr, int ch, const Pose& pose, double x, double y, double height);
// Where the held computer's centre lies for that pose (same arguments).
struct Hold {
  double x, y;
};
Hold HoldPoint(int ch, const Pose& pose, double x, double y, double height);
// Character 6 is the judge (referee's shirt and cap).
inline constexpr int kJudgeBuild = 6;
// A face filling a circle of radius r at (x, y); mood 0 neutral, 1 grin,
// 2 shout, 3 frown, plus kFaceBlink for closed eyes.
inline constexpr int kFaceBlink = 8;
void DrawFace(cairo_t* cr, int ch, double x, double y, double r, int mood);
// The thrown computer (a beige monitor) centred at (x, y), `size` wide, turned by angle.
void DrawComputer(cairo_t* cr, double x, double y, double size, double angle, double damage);

// The athlete's thrown weapon (a pizza slice, a banana, a dumbbell, a dagger, a
// boomerang, a little space ship by character) of radius r centred at (cx, cy),
// turned by angle, outlined in ink.
void DrawCharacterWeapon(cairo_t* cr, int ch, double cx, double cy, double r, double angle, Rgb ink = {16, 20, 30});
// A figure seen walking in screen direction `dir` (0 away from the viewer,
// then clockwise in eighths of a turn: 2 to the right, 4 towards the
// viewer, 6 to the left): the turn of its pose, and whether the picture is
// drawn mirrored (the left-facing directions).
void FacingOfDirection(int dir, double* turn, bool* mirrored);
// Character `ch` in `pose` walking in screen direction `dir`, its feet at
// (x, y): the pose's turn is set from the direction and the left-facing
// directions are drawn mirrored about x.
void DrawCharacterFacing(cairo_t* cr, int ch, Pose pose, int dir, double x, double y, double height);

// Helpers.
void SetRgb(cairo_t* cr, Rgb c, double alpha = 1.0);
void FillStroke(cairo_t* cr, Rgb fill, double line = 2.0, Rgb outline = {20, 16, 12});
void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry);
void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r);
// A vertical gradient from `top` to `bottom` filling the rectangle.
void Gradient(cairo_t* cr, double x, double y, double w, double h, Rgb top, Rgb bottom);
void Clear(cairo_t* cr);
// Text in the bundled sans face; align 0 left, 1 centre, 2 right; bold.
void Text(cairo_t* cr, const std::string& s, double x, double y, double size, Rgb colour,
          int align = 0, bool outline = false);
double TextWidth(cairo_t* cr, const std::string& s, double size);

}  // namespace assetgen
