#include "video/avi_window.h"

#include "base/debug.h"
#include "graphics/surface.h"
#include "video/rgb_convert.h"

std::unique_ptr<AviWindow> AviWindow::Create(DDSurface* target, const char* path,
                                             int realiseInBackground) {
  std::unique_ptr<AviWindow> window(new AviWindow(target));
  window->OpenClip(path, realiseInBackground);
  return window;
}

AviWindow::~AviWindow() { CloseClip(); }

intptr_t AviWindow::Send(int message, intptr_t wParam, const char* lParam) {
  switch (message) {
    case kOpen:
      OpenClip(lParam, static_cast<int>(wParam));
      return 0;
    case kClose:
    case kStopClose:
      CloseClip();
      return 0;
    case kPlay:
      Play();
      return 0;
    case kQueryMode:
      return (open_ && playback_.IsRunning()) ? 1 : 0;
    case kQueryPalette:
      return 0;
    default:
      return 0;
  }
}

void AviWindow::OpenClip(const char* path, int /*realiseInBackground*/) {
  CloseClip();
  std::string error;
  if (!path || !playback_.Open(path, &error)) return;  // reported by the playback
  // Pictures come as RGB555 and are drawn into the 16-bit display.
  playback_.SetOutputBits(16);
  MoveWindow(0, 0, playback_.Decoder().Width(), playback_.Decoder().Height());
  open_ = 1;
}

void AviWindow::Play() {
  if (!open_) return;
  playback_.Start();
}

void AviWindow::Stop() { playback_.Pause(); }

void AviWindow::CloseClip() {
  Stop();
  playback_.Close();
  work_.reset();
  open_ = 0;
}

void AviWindow::Pause() { Stop(); }

void AviWindow::Resume() { Play(); }

void AviWindow::MoveWindow(int x, int y, int width, int height) {
  x_ = x;
  y_ = y;
  width_ = width > 0 ? width : 0;
  height_ = height > 0 ? height : 0;
}

int AviWindow::Update() {
  if (!open_) return -1;
  return playback_.Update(
      [this](const uint8_t* bits, int w, int h, int bitCount) { DrawFrame(bits, w, h, bitCount); });
}

void AviWindow::DrawFrame(const uint8_t* bits, int width, int height, int bitCount) {
  if (!target_ || !target_->HasSurface() || width_ <= 0 || height_ <= 0) return;
  const int format = target_->GetPixelFormat();
  if (!work_ || work_->GetWidth() != width || work_->GetHeight() != height ||
      work_->GetPixelFormat() != format) {
    work_ = std::make_unique<DDSurface>(width, height, format);
    if (!work_->HasSurface()) {
      work_.reset();
      return;
    }
  }
  uint8_t* pixels = nullptr;
  int pitch = 0;
  if (work_->Lock(&pixels, &pitch) != kDDOk) return;
  VideoFrameDest dest{pixels, pitch, width, height, format};
  ConvertVideoFrame(BottomUpFrame(bits, width, height, bitCount), dest, 0, 0, kVideoScale1x);
  work_->Unlock();
  if (width_ == width && height_ == height) {
    target_->Blt(x_, y_, width, height, work_.get(), 0, 0);
  } else {
    target_->BltStretch(x_, y_, width_, height_, work_.get(), 0, 0, width, height, 0, nullptr);
  }
}
