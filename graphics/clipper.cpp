#include "graphics/clipper.h"

#include "graphics/display.h"

DDClipper::DDClipper(const ClipRect& rect) : rect_(rect) {
  if (rect_.width < 0) rect_.width = 0;
  if (rect_.height < 0) rect_.height = 0;
  RegisterClipper(this);
}

DDClipper* DDClipper::CreateForWindow() {
  DDClipper* c = new DDClipper();
  c->window_ = true;
  RegisterClipper(c);
  return c;
}

DDClipper::~DDClipper() { UnregisterClipper(this); }

uint32_t DDClipper::AddRef() { return ++refCount_; }

uint32_t DDClipper::Release() {
  uint32_t left = --refCount_;
  if (left == 0) delete this;
  return left;
}

uint16_t DDClipper::SetClipRect(const ClipRect& rect) {
  if (rect.width < 0 || rect.height < 0) return 1;
  rect_ = rect;
  window_ = false;
  return 0;
}

uint16_t DDClipper::GetClipRect(ClipRect* out) const {
  if (!out) return 1;
  if (window_) {
    *out = ClipRect{0, 0, kDisplayWidth, kDisplayHeight};
  } else {
    *out = rect_;
  }
  return 0;
}
