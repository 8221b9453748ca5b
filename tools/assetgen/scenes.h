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
// The game's logo text.
void DrawLogo(cairo_t* cr, double cx, double cy, double size);

}  // namespace assetgen
