#include "video/video_screen.h"

#include <algorithm>

#include "base/clock.h"
#include "base/debug.h"
#include "base/paths.h"
#include "graphics/display.h"
#include "graphics/surface.h"
#include "input/input.h"
#include "screen/config.h"
#include "shell/screen_factory.h"
#include "sound/sound.h"

namespace {

constexpr int kTickMs = 100;

void FillPrimaryBlack() {
  if (g_primaryDDSurface) g_primaryDDSurface->FillRect(0, 0, kDisplayWidth, kDisplayHeight, 0);
}

// The game's own sound falls silent while a cut-scene plays; the clip's
// sound plays through a slot of its own.
void SilenceGameSound() {
  if (g_soundManager) g_soundManager->StopAll();
}

}  // namespace

VideoScreen::VideoScreen(const char* path, int x, int y, int width, int height,
                         int allowFullScreen, const char* backgroundPath, int useDrawPlayer)
    : GameScreen(0), useDrawPlayer_(useDrawPlayer) {
  ResetInput();
  if (!path || !FileExists(path)) {
    // The first Run ends the screen; display and sound stay as they are.
    DebugPrintf("Cut-scene %s is missing\n", path ? path : "(none)");
    return;
  }
  opened_ = 1;
  FillPrimaryBlack();
  if (g_backDDSurface) g_backDDSurface->FillRect(0, 0, kDisplayWidth, kDisplayHeight, 0);
  SilenceGameSound();
  const bool hasBackground = backgroundPath && backgroundPath[0];
  const bool fullScreen = allowFullScreen && g_fullScreenVideo;

  if (!useDrawPlayer_) {
    SetVideoMode(640, 480, 16, 1, 0);
    if (hasBackground) background_ = new DDSurface(backgroundPath, 0, kFormatRgb565);
    PaintBackground();
    windowPlayer_ = AviWindow::Create(g_primaryDDSurface, path, 0);
    if (fullScreen) {
      windowPlayer_->MoveWindow(0, 0, kDisplayWidth, kDisplayHeight);
    } else {
      windowPlayer_->MoveWindow(x, y, width, height);
    }
    windowPlayer_->Send(AviWindow::kPlay);
  } else {
    SetVideoMode(640, 480, g_highColorVideo ? 16 : 8, 1, 0);
    if (hasBackground) {
      background_ = g_highColorVideo ? new DDSurface(backgroundPath, 0, kFormatRgb565)
                                     : LoadBmpAs8Bit(backgroundPath);
    }
    drawPlayer_.Open(path, g_primaryDDSurface);
    drawPlayer_.SetBackground(background_);
    if (fullScreen) {
      drawPlayer_.SetScale(2);
      drawPlayer_.SetPosition(0, 0);
      drawPlayer_.SetScanLines(!g_highColorVideo && g_interlacedVideo ? 1 : 0);
    } else {
      drawPlayer_.SetScale(1);
      drawPlayer_.SetPosition(x, y);
    }
    PaintBackground();
    drawPlayer_.Play(0);
  }
  SetJoysticksEnabled(0);
}

VideoScreen::~VideoScreen() {
  // The players first: they must not draw from the picture once it is gone.
  if (windowPlayer_) {
    windowPlayer_->Send(AviWindow::kStopClose);
    windowPlayer_->Send(AviWindow::kClose);
  }
  drawPlayer_.Stop();
  drawPlayer_.Close();
  delete background_;
  background_ = nullptr;
  if (opened_) FillPrimaryBlack();
  windowPlayer_.reset();
}

void VideoScreen::PaintBackground() {
  DDSurface* primary = g_primaryDDSurface;
  if (!primary || !primary->HasSurface()) return;
  if (!background_ || !background_->HasSurface() ||
      primary->Blt(0, 0, kDisplayWidth, kDisplayHeight, background_, 0, 0) != kDDOk) {
    primary->FillRect(0, 0, kDisplayWidth, kDisplayHeight, 0);
  }
}

void VideoScreen::Tick(int ms) {
  const uint32_t start = TimeGetTime();
  for (;;) {
    int wait = -1;
    if (opened_) wait = useDrawPlayer_ ? drawPlayer_.Update() : (windowPlayer_ ? windowPlayer_->Update() : -1);
    int32_t left = ms - static_cast<int32_t>(TimeGetTime() - start);
    if (left <= 0) return;
    SleepMs(static_cast<uint32_t>(wait > 0 ? std::min<int32_t>(wait, left) : left));
  }
}

int VideoScreen::Run() {
  Tick(kTickMs);
  PollInput();
  if (!opened_) return 1;
  if (IsAnyActionActive(0)) return 1;
  if (useDrawPlayer_) return drawPlayer_.IsPlaying() ? 0 : 1;
  return (windowPlayer_ && windowPlayer_->Send(AviWindow::kQueryMode)) ? 0 : 1;
}

void VideoScreen::OnDeactivate() {
  if (!opened_) return;
  if (useDrawPlayer_) {
    drawPlayer_.Stop();
  } else if (windowPlayer_) {
    // Stopped, not closed, so that it can go on from there.
    windowPlayer_->Pause();
  }
}

void VideoScreen::OnActivate() {
  if (!opened_) return;
  SilenceGameSound();
  PaintBackground();
  if (useDrawPlayer_) {
    drawPlayer_.Play(0);
  } else if (windowPlayer_) {
    windowPlayer_->Resume();
  }
}

void RegisterVideoScreens() {
  RegisterVideoScreen([](const VideoClip& clip) -> GameScreen* {
    return new VideoScreen(clip.path.c_str(), clip.x, clip.y, clip.width, clip.height,
                           clip.allowFullScreen, clip.background.c_str(), clip.useDrawPlayer);
  });
}
