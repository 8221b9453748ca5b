#pragma once
// Clippers: one clip rectangle that every blit and fill onto the surface they
// are attached to is cut to. Reference counted like palettes.
#include <cstdint>

// A rectangle as the game gives it: corner and size (right = x + width).
struct ClipRect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

class DDClipper {
 public:
  // A clipper with one rectangle; the caller holds the first reference.
  explicit DDClipper(const ClipRect& rect);
  DDClipper(const DDClipper&) = delete;
  DDClipper& operator=(const DDClipper&) = delete;

  // A clipper bound to the game's window: it clips to the display area.
  static DDClipper* CreateForWindow();

  uint32_t AddRef();
  // Drops one reference and deletes the clipper at zero. Returns the new count.
  uint32_t Release();
  uint32_t GetRefCount() const { return refCount_; }

  // Replaces the rectangle (a window clipper becomes a rectangle clipper).
  // 0 done, 1 for a negative size.
  uint16_t SetClipRect(const ClipRect& rect);
  // x, y, width, height of the clip area; 0 done, 1 for a null pointer.
  uint16_t GetClipRect(ClipRect* out) const;
  bool IsWindowClipper() const { return window_; }

 private:
  DDClipper() = default;
  ~DDClipper();

  ClipRect rect_;
  bool window_ = false;
  uint32_t refCount_ = 1;
};
