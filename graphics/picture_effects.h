#pragma once
// Picture effects beside BitmapTransition: an interlaced slide, pushes and
// wipes, a mosaic and a translucent tiling. Each validates its surfaces when
// it is made (the pictures share the destination's pixel format and, where
// they cover the area, its size); a refused object draws nothing. Every draw
// is cut to the area, the destination and the destination's clipper, and
// none changes a palette.
#include <cstdint>

#include "graphics/clipper.h"

class DDSurface;

// Progress of the slide and the push / wipe: 0 shows the start picture,
// kEffectFullProgress the end picture.
inline constexpr int kEffectFullProgress = 10000;

class InterlacedSlide {
 public:
  // direction 1: bands of bandSize rows slide alternately left and right;
  // direction 0: bands of bandSize columns slide alternately up and down.
  InterlacedSlide(DDSurface* destination, const ClipRect* area, DDSurface* startPicture,
                  DDSurface* endPicture, int bandSize, int direction);
  bool IsValid() const { return destination_ != nullptr; }
  // Each band of the start picture is pushed out of the area by the area's
  // size x progress / 10000 and the same band of the end picture follows at
  // its edge. Progress outside 0..10000 draws nothing.
  void Draw(int progress);

 private:
  DDSurface* destination_ = nullptr;
  DDSurface* start_ = nullptr;
  DDSurface* end_ = nullptr;
  ClipRect area_;
  int bandSize_ = 0;
  int direction_ = 0;
};

// The patterns of PushWipe::Draw.
enum PushWipePattern : int {
  kPushLeft = 0, kPushRight, kPushUp, kPushDown,          // the start pushed out, the end following
  kCoverLeft, kCoverRight, kCoverUp, kCoverDown,          // the end slides in over the start
  kUncoverLeft, kUncoverRight, kUncoverUp, kUncoverDown,  // the start slides off the end
  kWipeRight, kWipeLeft, kWipeDown, kWipeUp,              // the end shown from one edge
  kWipeFromTopLeft, kWipeFromTopRight, kWipeFromBottomLeft, kWipeFromBottomRight,
  kBoxOut, kBoxIn,                                        // from the centre / from the edges
  kSplitOutVertical, kSplitOutHorizontal,                 // a strip from the centre line
  kSplitInVertical, kSplitInHorizontal,                   // from both edges to the centre line
  kCoverFromBottomRight,                                  // the end slides in diagonally
  kPushWipePatternCount
};

class PushWipe {
 public:
  PushWipe(DDSurface* destination, const ClipRect* area, DDSurface* startPicture, DDSurface* endPicture);
  bool IsValid() const { return destination_ != nullptr; }
  // Draws the pattern at progress 0..10000 (a move is the area's width or
  // height x progress / 10000); other patterns or progress draw nothing.
  void Draw(int pattern, int progress);

 private:
  DDSurface* destination_ = nullptr;
  DDSurface* start_ = nullptr;
  DDSurface* end_ = nullptr;
  ClipRect area_;
};

class Mosaic {
 public:
  // The picture has the area's size and the destination's pixel format.
  Mosaic(DDSurface* destination, const ClipRect* area, DDSurface* picture);
  bool IsValid() const { return destination_ != nullptr; }
  // The picture in blocks of n x n pixels counted from the area's corner,
  // each filled with the block's top-left pixel. n outside 1..128 draws
  // nothing.
  void Draw(int n);

 private:
  DDSurface* destination_ = nullptr;
  DDSurface* picture_ = nullptr;
  ClipRect area_;
};

class TranslucentTiling {
 public:
  // 8-bit surfaces only; table holds 65,536 bytes (not owned): a destination
  // pixel d under a tile pixel s becomes table[s * 256 + d].
  TranslucentTiling(DDSurface* destination, const ClipRect* area, DDSurface* tile, const uint8_t* table);
  bool IsValid() const { return destination_ != nullptr; }
  // The tile laid edge to edge from the area's corner.
  void Draw();

 private:
  DDSurface* destination_ = nullptr;
  DDSurface* tile_ = nullptr;
  const uint8_t* table_ = nullptr;
  ClipRect area_;
};
