#include "video/avi_draw_player.h"

#include <vector>

#include "graphics/bmp.h"
#include "graphics/display.h"
#include "graphics/surface.h"

AviDrawPlayer::~AviDrawPlayer() { Close(); }

int AviDrawPlayer::Open(const char* path, DDSurface* target) {
  Close();
  std::string error;
  if (!path || !playback_.Open(path, &error)) return 1;
  target_ = target;
  scanLines_ = 1;
  scale_ = 2;
  x_ = y_ = 0;
  background_ = nullptr;
  backgroundPainted_ = 0;
  playing_ = 0;
  begun_ = 0;
  return 0;
}

void AviDrawPlayer::DrawBegin() {
  // Hardware stretching of 2x pictures needs a work surface in video memory,
  // which this display never has: every picture takes the software path.
  sourceBits_ = 16;
  paletteShared_ = 0;
  if (target_ && target_->HasSurface() && target_->GetPixelFormat() == kFormatIndexed8) {
    // 24-bit pictures keep their depth on the 8-bit display (the
    // checkerboard is made from them directly); others come as RGB555.
    sourceBits_ = playback_.Decoder().NativeBits() == 24 ? 24 : 16;
    GetRgbLookupTables().PairTable();
    PaletteEntry split[256];
    BuildSplitPalette(split);
    if (DDPalette* palette = target_->GetPalette()) {
      paletteShared_ = 1;
      palette->SetEntries(0, 256, split);
    } else {
      DDPalette* own = CreateDisplayPalette(kDisplayPaletteCaps, split);
      target_->SetPalette(own);
      own->Release();  // the surface holds it now
      ownPalette_ = true;
    }
  } else if (target_ && target_->GetPixelFormat() == kFormatRgb565) {
    GetRgbLookupTables().Rgb565Table();
    if (scale_ == 2) GetRgbLookupTables().DoubledRgb565Table();
  }
  playback_.SetOutputBits(sourceBits_);
  begun_ = 1;
}

void AviDrawPlayer::DrawEnd() {
  if (!begun_) return;
  begun_ = 0;
  if (ownPalette_ && target_ && target_->GetPixelFormat() == kFormatIndexed8) {
    target_->FillRect(0, 0, target_->GetWidth(), target_->GetHeight(), 0);
    target_->SetPalette(nullptr);
  }
  ownPalette_ = false;
}

int AviDrawPlayer::Play(int /*flags*/) {
  if (!playback_.IsOpen()) {
    playing_ = 0;
    return 1;
  }
  // The picture depth is chosen once, before the first picture is decoded.
  if (!begun_) DrawBegin();
  playing_ = playback_.Start() ? 1 : 0;
  return playing_ ? 0 : 1;
}

void AviDrawPlayer::Stop() {
  playback_.Pause();
  playing_ = 0;
}

void AviDrawPlayer::Close() {
  Stop();
  DrawEnd();
  playback_.Close();
  target_ = nullptr;
  background_ = nullptr;
}

int AviDrawPlayer::Update() {
  if (!playing_) return -1;
  int wait = playback_.Update(
      [this](const uint8_t* bits, int w, int h, int bitCount) { DrawFrame(bits, w, h, bitCount); });
  if (!playback_.IsRunning()) playing_ = 0;
  return wait;
}

void AviDrawPlayer::DrawFrame(const uint8_t* bits, int width, int height, int bitCount) {
  if (!target_ || !target_->HasSurface()) return;
  if (!backgroundPainted_) {
    // No picture (or one of another depth): black.
    if (!background_ ||
        target_->Blt(0, 0, kDisplayWidth, kDisplayHeight, background_, 0, 0) != kDDOk) {
      target_->FillRect(0, 0, kDisplayWidth, kDisplayHeight, 0);
    }
    backgroundPainted_ = 1;
  }
  uint8_t* pixels = nullptr;
  int pitch = 0;
  if (target_->Lock(&pixels, &pitch) != kDDOk) return;  // this picture is dropped
  VideoFrameDest dest{pixels, pitch, target_->GetWidth(), target_->GetHeight(),
                      target_->GetPixelFormat()};
  VideoScaleMode mode = scale_ == 1 ? kVideoScale1x
                        : scanLines_ ? kVideoScale2xScanLines
                                     : kVideoScale2xDoubled;
  ConvertVideoFrame(BottomUpFrame(bits, width, height, bitCount), dest, x_, y_, mode);
  target_->Unlock();
}

DDSurface* LoadBmpAs8Bit(const char* path) {
  if (!path) return nullptr;
  std::vector<uint8_t> data;
  BmpImage image;
  if (!ReadPictureFile(path, &data) || !DecodeBmp(data.data(), data.size(), &image)) return nullptr;
  if (image.width <= 0 || image.height <= 0) return nullptr;
  // Blue-green-red rows, top-down (palettised pictures through their palette).
  const size_t w = static_cast<size_t>(image.width);
  std::vector<uint8_t> rgb(w * 3 * static_cast<size_t>(image.height));
  for (int y = 0; y < image.height; ++y) {
    for (size_t x = 0; x < w; ++x) {
      uint8_t* d = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      if (image.palettised) {
        const RgbQuad& q = image.palette[image.pixels[static_cast<size_t>(y) * w + x]];
        d[0] = q.blue;
        d[1] = q.green;
        d[2] = q.red;
      } else {
        const uint8_t* s = &image.pixels[(static_cast<size_t>(y) * w + x) * 3];
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
      }
    }
  }
  auto* surface = new DDSurface(image.width, image.height, kFormatIndexed8);
  uint8_t* pixels = nullptr;
  int pitch = 0;
  if (!surface->HasSurface() || surface->Lock(&pixels, &pitch) != kDDOk) {
    delete surface;
    return nullptr;
  }
  VideoFrameSource src;
  src.top = rgb.data();
  src.rowStep = static_cast<ptrdiff_t>(w * 3);
  src.width = image.width;
  src.height = image.height;
  src.bitCount = 24;
  VideoFrameDest dest{pixels, pitch, image.width, image.height, kFormatIndexed8};
  ConvertVideoFrame(src, dest, 0, 0, kVideoScale1x);
  surface->Unlock();
  return surface;
}
