#include "graphics/transition.h"

#include <algorithm>

#include "graphics/display.h"
#include "graphics/surface.h"

BitmapTransition::BitmapTransition(DDSurface* destination, const ClipRect* area, DDSurface* startPicture,
                                   DDSurface* endPicture, int type) {
  if (!endPicture || !destination || !area) return;
  if (!destination->HasSurface() || !endPicture->HasSurface()) return;
  const int format = destination->GetPixelFormat();
  if (startPicture && startPicture->GetPixelFormat() != format) return;
  if (endPicture->GetPixelFormat() != format) return;
  if (startPicture && (startPicture->GetWidth() != endPicture->GetWidth() ||
                       startPicture->GetHeight() != endPicture->GetHeight()))
    return;
  if (endPicture->GetWidth() != area->width || endPicture->GetHeight() != area->height) return;
  if (area->width < 8 || area->height < 8) return;
  area_ = *area;
  destination_ = destination;
  startPicture_ = startPicture;
  endPicture_ = endPicture;
  bytesPerPixel_ = destination->GetBytesPerPixel();
  type_ = type;
}

void BitmapTransition::Step(unsigned t) {
  if (t > 64 || !destination_) return;
  if (type_ < kTransitionPlain || type_ > kTransitionIntoKeyed) return;
  if (startPicture_) destination_->Blt(area_.x, area_.y, area_.width, area_.height, startPicture_, 0, 0);

  uint32_t key = 0, high = 0;
  int type = type_;
  // An end picture without a colour key has no transparent pixel to leave out.
  if (type == kTransitionSkipKeyed && endPicture_->GetColorKey(kColorKeySrcBlt, &key, &high) != kDDOk)
    type = kTransitionPlain;
  if (type == kTransitionIntoKeyed && destination_->GetColorKey(kColorKeySrcBlt, &key, &high) != kDDOk)
    return;  // no pixel of the destination is transparent

  // The area, cut to the destination and its clipper.
  int cl = 0, ct = 0, cr = 0, cb = 0;
  if (!destination_->GetClipBounds(&cl, &ct, &cr, &cb)) return;
  const int64_t left = std::max<int64_t>(cl, area_.x), top = std::max<int64_t>(ct, area_.y);
  const int64_t right = std::min<int64_t>(cr, int64_t{area_.x} + area_.width);
  const int64_t bottom = std::min<int64_t>(cb, int64_t{area_.y} + area_.height);
  if (right <= left || bottom <= top) return;

  uint8_t *dst = nullptr, *src = nullptr;
  int dstPitch = 0, srcPitch = 0;
  if (destination_->Lock(&dst, &dstPitch) != kDDOk) return;
  if (endPicture_->Lock(&src, &srcPitch) != kDDOk) {
    destination_->Unlock();
    return;
  }
  const int row = static_cast<int>(top - area_.y), column = static_cast<int>(left - area_.x);
  DissolvePixels(dst + top * dstPitch + left * bytesPerPixel_, dstPitch,
                 src + int64_t{row} * srcPitch + int64_t{column} * bytesPerPixel_, srcPitch,
                 static_cast<int>(right - left), static_cast<int>(bottom - top), bytesPerPixel_, type, key, t, row,
                 column);
  destination_->Unlock();
  endPicture_->Unlock();
}

MaskedBlend::MaskedBlend(DDSurface* destination, const ClipRect* area, DDSurface* tile, uint32_t blitFlags) {
  if (!tile || !destination || !area) return;
  if (tile->GetPixelFormat() != destination->GetPixelFormat()) return;
  area_ = *area;
  clipper_ = CreateRectClipper(&area_);
  destination_ = destination;
  tile_ = tile;
  blitFlags_ = blitFlags;
}

MaskedBlend::~MaskedBlend() {
  if (clipper_) clipper_->Release();
}

void MaskedBlend::Run(int offsetX, int offsetY) {
  if (!destination_ || !clipper_) return;
  const int tw = tile_->GetWidth(), th = tile_->GetHeight();
  // A tile without pixels would never advance the loops below.
  if (tw <= 0 || th <= 0) return;
  DDClipper* saved = destination_->GetClipper();
  if (saved) saved->AddRef();
  destination_->SetClipper(clipper_);
  // The first copy starts in -tile+1 .. 0, congruent to the offset.
  int x0 = static_cast<int>(((int64_t{offsetX} % tw) + tw) % tw);
  if (x0 > 0) x0 -= tw;
  int y0 = static_cast<int>(((int64_t{offsetY} % th) + th) % th);
  if (y0 > 0) y0 -= th;
  for (int64_t y = y0; y < area_.height; y += th)
    for (int64_t x = x0; x < area_.width; x += tw)
      BlitSurfaceRect(destination_, static_cast<int>(area_.x + x), static_cast<int>(area_.y + y), tw, th, tile_, 0,
                      0, tw, th, blitFlags_, nullptr);
  destination_->SetClipper(saved);
  if (saved) saved->Release();
}
