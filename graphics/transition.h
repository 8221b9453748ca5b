#pragma once
// Two effect objects that draw straight into a surface (usually the back
// buffer):
// - BitmapTransition dissolves a picture into a rectangle of the destination in
//   65 steps, pixel by pixel in the order of an 8x8 ordered-dither matrix;
// - MaskedBlend covers a rectangle with copies of one small picture laid edge to
//   edge, shifted by a scroll offset (the scrolling tiled backgrounds).
// Both work on surfaces of any pixel format as long as all their surfaces
// share it, and never change a palette.
#include <cstdint>

#include "graphics/clipper.h"
#include "graphics/transition_core.h"

class DDSurface;

class BitmapTransition {
 public:
  // area: x, y, width, height of the destination to cover; its size must equal
  // the end picture's and be at least 8 x 8, and every surface must share the
  // destination's pixel format. Otherwise the object is refused and does
  // nothing. A startPicture (optional, same size) is copied over the area at
  // the start of every step. The area may reach outside the destination: each
  // step is cut to the destination and its clipper.
  BitmapTransition(DDSurface* destination, const ClipRect* area, DDSurface* startPicture,
                   DDSurface* endPicture, int type);
  ~BitmapTransition() = default;
  BitmapTransition(const BitmapTransition&) = delete;
  BitmapTransition& operator=(const BitmapTransition&) = delete;

  bool IsValid() const { return destination_ != nullptr; }
  // Draws the state after step t (0 shows nothing of the end picture, 64 all of
  // it, within what the type allows); t > 64 draws nothing at all.
  void Step(unsigned t);

 private:
  DDSurface* destination_ = nullptr;
  DDSurface* startPicture_ = nullptr;
  DDSurface* endPicture_ = nullptr;
  ClipRect area_;
  int bytesPerPixel_ = 0;
  int type_ = 0;
};

class MaskedBlend {
 public:
  // Refused (does nothing) when tile or destination is null or their pixel
  // formats differ. blitFlags go to every copy unchanged (0: opaque copies).
  MaskedBlend(DDSurface* destination, const ClipRect* area, DDSurface* tile, uint32_t blitFlags);
  ~MaskedBlend();
  MaskedBlend(const MaskedBlend&) = delete;
  MaskedBlend& operator=(const MaskedBlend&) = delete;

  bool IsValid() const { return destination_ != nullptr && clipper_ != nullptr; }
  // Draws the tiled area once, the tiling shifted right by offsetX and down by
  // offsetY (any integers; the pattern repeats every tile width and height).
  void Run(int offsetX, int offsetY);

 private:
  DDSurface* destination_ = nullptr;
  DDSurface* tile_ = nullptr;
  DDClipper* clipper_ = nullptr;
  ClipRect area_;
  uint32_t blitFlags_ = 0;
};
