#include "graphics/picture_effects.h"

#include <algorithm>
#include <cstring>

#include "graphics/surface.h"

namespace {

// A rectangle by its edges, wide enough for any sum of two coordinates.
struct Box {
  int64_t left = 0, top = 0, right = 0, bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
};

Box Intersect(const Box& a, const Box& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

Box AreaBox(const ClipRect& a) { return {a.x, a.y, int64_t{a.x} + a.width, int64_t{a.y} + a.height}; }

// The area cut to the destination and its clipper; empty when none of it shows.
Box VisibleArea(DDSurface* destination, const ClipRect& area) {
  int l = 0, t = 0, r = 0, b = 0;
  if (!destination->GetClipBounds(&l, &t, &r, &b)) return {};
  return Intersect({l, t, r, b}, AreaBox(area));
}

// Copies the part of `picture`, its corner at (x, y), that lies inside `clip`.
void CopyInside(DDSurface* destination, DDSurface* picture, int64_t x, int64_t y, const Box& clip) {
  const Box r = Intersect({x, y, x + picture->GetWidth(), y + picture->GetHeight()}, clip);
  if (r.Empty()) return;
  destination->Blt(static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right - r.left),
                   static_cast<int>(r.bottom - r.top), picture, static_cast<int>(r.left - x),
                   static_cast<int>(r.top - y));
}

bool UsableArea(const ClipRect* area) { return area && area->width > 0 && area->height > 0; }

// A picture that covers the whole area in the destination's format.
bool FitsArea(DDSurface* destination, const ClipRect& area, DDSurface* picture) {
  return picture && picture->HasSurface() && picture->GetPixelFormat() == destination->GetPixelFormat() &&
         picture->GetWidth() == area.width && picture->GetHeight() == area.height;
}

bool UsableDestination(DDSurface* destination) { return destination && destination->HasSurface(); }

}  // namespace

// ---------------------------------------------------------------------------

InterlacedSlide::InterlacedSlide(DDSurface* destination, const ClipRect* area, DDSurface* startPicture,
                                 DDSurface* endPicture, int bandSize, int direction) {
  if (!UsableDestination(destination) || !UsableArea(area)) return;
  if (!FitsArea(destination, *area, startPicture) || !FitsArea(destination, *area, endPicture)) return;
  if (bandSize < 1 || (direction != 0 && direction != 1)) return;
  destination_ = destination;
  start_ = startPicture;
  end_ = endPicture;
  area_ = *area;
  bandSize_ = bandSize;
  direction_ = direction;
}

void InterlacedSlide::Draw(int progress) {
  if (!destination_ || progress < 0 || progress > kEffectFullProgress) return;
  const Box visible = VisibleArea(destination_, area_);
  if (visible.Empty()) return;
  const bool rows = direction_ == 1;
  const int64_t size = rows ? area_.width : area_.height;      // the way the bands move
  const int64_t extent = rows ? area_.height : area_.width;    // the way they are stacked
  const int64_t move = size * progress / kEffectFullProgress;
  for (int64_t first = 0, band = 0; first < extent; first += bandSize_, ++band) {
    const int64_t last = std::min(extent, first + bandSize_);
    // Even bands go left (or up), odd ones right (or down).
    const int64_t shift = band % 2 == 0 ? -move : move;
    const int64_t follow = band % 2 == 0 ? size : -size;
    if (rows) {
      const Box clip = Intersect(visible, {area_.x, area_.y + first, int64_t{area_.x} + area_.width, area_.y + last});
      CopyInside(destination_, start_, area_.x + shift, area_.y, clip);
      CopyInside(destination_, end_, area_.x + shift + follow, area_.y, clip);
    } else {
      const Box clip = Intersect(visible, {area_.x + first, area_.y, area_.x + last, int64_t{area_.y} + area_.height});
      CopyInside(destination_, start_, area_.x, area_.y + shift, clip);
      CopyInside(destination_, end_, area_.x, area_.y + shift + follow, clip);
    }
  }
}

// ---------------------------------------------------------------------------

PushWipe::PushWipe(DDSurface* destination, const ClipRect* area, DDSurface* startPicture, DDSurface* endPicture) {
  if (!UsableDestination(destination) || !UsableArea(area)) return;
  if (!FitsArea(destination, *area, startPicture) || !FitsArea(destination, *area, endPicture)) return;
  destination_ = destination;
  start_ = startPicture;
  end_ = endPicture;
  area_ = *area;
}

void PushWipe::Draw(int pattern, int progress) {
  if (!destination_ || pattern < 0 || pattern >= kPushWipePatternCount) return;
  if (progress < 0 || progress > kEffectFullProgress) return;
  const Box visible = VisibleArea(destination_, area_);
  if (visible.Empty()) return;
  const int64_t w = area_.width, h = area_.height;
  const int64_t dx = w * progress / kEffectFullProgress, dy = h * progress / kEffectFullProgress;
  // Two pictures drawn in turn, each at an offset from the area's corner and
  // cut to a rectangle of the area (area coordinates).
  struct Piece {
    DDSurface* picture;
    int64_t x, y;
    Box clip;
  };
  const Box all{0, 0, w, h};
  auto below = [&](DDSurface* p) { return Piece{p, 0, 0, all}; };
  auto moved = [&](DDSurface* p, int64_t x, int64_t y) { return Piece{p, x, y, all}; };
  auto shown = [&](DDSurface* p, Box clip) { return Piece{p, 0, 0, clip}; };
  // The rectangle of dx x dy (or the rest of the area) about the centre.
  const Box centre{(w - dx) / 2, (h - dy) / 2, (w - dx) / 2 + dx, (h - dy) / 2 + dy};
  const Box rest{dx / 2, dy / 2, dx / 2 + (w - dx), dy / 2 + (h - dy)};
  Piece first{}, second{};
  switch (pattern) {
    case kPushLeft: first = moved(start_, -dx, 0), second = moved(end_, w - dx, 0); break;
    case kPushRight: first = moved(start_, dx, 0), second = moved(end_, dx - w, 0); break;
    case kPushUp: first = moved(start_, 0, -dy), second = moved(end_, 0, h - dy); break;
    case kPushDown: first = moved(start_, 0, dy), second = moved(end_, 0, dy - h); break;
    case kCoverLeft: first = below(start_), second = moved(end_, w - dx, 0); break;
    case kCoverRight: first = below(start_), second = moved(end_, dx - w, 0); break;
    case kCoverUp: first = below(start_), second = moved(end_, 0, h - dy); break;
    case kCoverDown: first = below(start_), second = moved(end_, 0, dy - h); break;
    case kUncoverLeft: first = below(end_), second = moved(start_, -dx, 0); break;
    case kUncoverRight: first = below(end_), second = moved(start_, dx, 0); break;
    case kUncoverUp: first = below(end_), second = moved(start_, 0, -dy); break;
    case kUncoverDown: first = below(end_), second = moved(start_, 0, dy); break;
    case kWipeRight: first = below(start_), second = shown(end_, {0, 0, dx, h}); break;
    case kWipeLeft: first = below(start_), second = shown(end_, {w - dx, 0, w, h}); break;
    case kWipeDown: first = below(start_), second = shown(end_, {0, 0, w, dy}); break;
    case kWipeUp: first = below(start_), second = shown(end_, {0, h - dy, w, h}); break;
    case kWipeFromTopLeft: first = below(start_), second = shown(end_, {0, 0, dx, dy}); break;
    case kWipeFromTopRight: first = below(start_), second = shown(end_, {w - dx, 0, w, dy}); break;
    case kWipeFromBottomLeft: first = below(start_), second = shown(end_, {0, h - dy, dx, h}); break;
    case kWipeFromBottomRight: first = below(start_), second = shown(end_, {w - dx, h - dy, w, h}); break;
    case kBoxOut: first = below(start_), second = shown(end_, centre); break;
    case kBoxIn: first = below(end_), second = shown(start_, rest); break;
    case kSplitOutVertical: first = below(start_), second = shown(end_, {centre.left, 0, centre.right, h}); break;
    case kSplitOutHorizontal: first = below(start_), second = shown(end_, {0, centre.top, w, centre.bottom}); break;
    case kSplitInVertical: first = below(end_), second = shown(start_, {rest.left, 0, rest.right, h}); break;
    case kSplitInHorizontal: first = below(end_), second = shown(start_, {0, rest.top, w, rest.bottom}); break;
    case kCoverFromBottomRight: first = below(start_), second = moved(end_, w - dx, h - dy); break;
    default: return;
  }
  for (const Piece& p : {first, second}) {
    const Box clip{area_.x + p.clip.left, area_.y + p.clip.top, area_.x + p.clip.right, area_.y + p.clip.bottom};
    CopyInside(destination_, p.picture, area_.x + p.x, area_.y + p.y, Intersect(visible, clip));
  }
}

// ---------------------------------------------------------------------------

Mosaic::Mosaic(DDSurface* destination, const ClipRect* area, DDSurface* picture) {
  if (!UsableDestination(destination) || !UsableArea(area) || !FitsArea(destination, *area, picture)) return;
  destination_ = destination;
  picture_ = picture;
  area_ = *area;
}

void Mosaic::Draw(int n) {
  if (!destination_ || n < 1 || n > 128) return;
  const Box visible = VisibleArea(destination_, area_);
  if (visible.Empty()) return;
  const int bpp = picture_->GetBytesPerPixel();
  for (int64_t by = 0; by < area_.height; by += n) {
    for (int64_t bx = 0; bx < area_.width; bx += n) {
      const Box block = Intersect(visible, {area_.x + bx, area_.y + by, area_.x + bx + n, area_.y + by + n});
      if (block.Empty()) continue;
      uint32_t colour = 0;
      const uint8_t* p = picture_->Row(static_cast<int>(by)) + bx * bpp;
      for (int i = 0; i < bpp; ++i) colour |= uint32_t{p[i]} << (8 * i);
      destination_->FillRect(static_cast<int>(block.left), static_cast<int>(block.top),
                             static_cast<int>(block.right - block.left), static_cast<int>(block.bottom - block.top),
                             colour);
    }
  }
}

// ---------------------------------------------------------------------------

TranslucentTiling::TranslucentTiling(DDSurface* destination, const ClipRect* area, DDSurface* tile,
                                     const uint8_t* table) {
  if (!UsableDestination(destination) || !UsableArea(area) || !table || !tile || !tile->HasSurface()) return;
  if (destination->GetBytesPerPixel() != 1 || tile->GetBytesPerPixel() != 1 || tile == destination) return;
  destination_ = destination;
  tile_ = tile;
  table_ = table;
  area_ = *area;
}

void TranslucentTiling::Draw() {
  if (!destination_) return;
  const Box visible = VisibleArea(destination_, area_);
  if (visible.Empty()) return;
  const int64_t tw = tile_->GetWidth(), th = tile_->GetHeight();
  uint8_t* bits = nullptr;
  int pitch = 0;
  if (destination_->Lock(&bits, &pitch) != kDDOk) return;
  for (int64_t y = visible.top; y < visible.bottom; ++y) {
    uint8_t* d = bits + y * pitch;
    const uint8_t* s = tile_->Row(static_cast<int>((y - area_.y) % th));
    for (int64_t x = visible.left; x < visible.right; ++x) d[x] = table_[s[(x - area_.x) % tw] * 256 + d[x]];
  }
  destination_->Unlock();
}
