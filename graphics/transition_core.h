#pragma once
// Pixel work of the bitmap transition: the 8x8 ordered-dither dissolve.
#include <cstddef>
#include <cstdint>

// The 8x8 Bayer matrix with entries 1..64, [row mod 8][column mod 8]; a pixel
// shows the end picture at step t when its entry is <= t.
extern const uint8_t kDissolveMatrix[8][8];

enum TransitionType : int {
  kTransitionPlain = 0,        // every selected pixel becomes the end picture's
  kTransitionSkipKeyed = 1,    // ... unless the end picture's pixel equals the key
  kTransitionIntoKeyed = 2,    // ... only where the destination pixel equals the key
};

// Dissolves step t of an area of width x height pixels. dst and src point at
// the area's first pixel; firstRow and firstColumn are the area's position
// inside the whole transition rectangle (the matrix is counted from its corner,
// which matters when the rectangle was clipped). bytesPerPixel 1, 2 or 4; any
// other width, type or t > 64 does nothing.
void DissolvePixels(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch,
                    int width, int height, int bytesPerPixel, int type, uint32_t key, unsigned t,
                    int firstRow, int firstColumn);
