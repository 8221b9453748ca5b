#pragma once
// Pictures shared by several parts of the generator: the event scenes (menu
// picker, loading pictures, cut-scenes), flags, backgrounds.
#include <cairo.h>

#include "tools/assetgen/image.h"

namespace assetgen {

inline constexpr const char* kEventTitle[10] = {
    "COMPUTER THROW", "CRAZY CLIMBING", "HIPPO RUN", "NICE DOGGIE JUMP", "TROUBLED WATERS",
    "FULL CONTACT FIGURE SKATING", "3D MAZE", "PLATFORM KICKBOXING", "JAVELIN CATCH", "ROLLER DERBY"};

// Event e (1..10) as a little scene filling w x h, at animation phase 0..1.
void DrawEventScene(cairo_t* cr, int event, double w, double h, double phase);
// Flag of country 0..13 filling the rectangle, waving by `wave` (0 flat).
void DrawFlag(cairo_t* cr, int country, double x, double y, double w, double h, double wave);
// A sky-to-sea beach backdrop of the COMPUTER THROW arena.
void DrawBeach(cairo_t* cr, double w, double h);
// The status band under an event's picture, w x h: for each player a panel
// with the face box (x 11, 173, 330, 493; 70x56), the name line under it and
// `rows` bar troughs (bars of up to 60 pixels at x 89, 249, 411, 572, rows
// 20 pixels apart from y 6).
void DrawStatusBand(cairo_t* cr, double w, double h, int rows);
// The same in an event's own colours: the band, the panels, the face boxes
// and the troughs; without the name line when the event has none.
struct BandColours {
  Rgb back, panel, faceBox, trough;
};
void DrawStatusBand(cairo_t* cr, double w, double h, int rows, const BandColours& c, bool nameLine);
// The band of the events measured in attempts (and of HIPPO RUN, which
// shares it): the first bar's trough, and under it one box for the attempts
// panel, its label and three results 10 pixels apart from y 18 (a second
// bar, at y 26, stands at its top).
void DrawAttemptsStatusBand(cairo_t* cr, double w, double h);
// The game's logo text.
void DrawLogo(cairo_t* cr, double cx, double cy, double size);

}  // namespace assetgen
