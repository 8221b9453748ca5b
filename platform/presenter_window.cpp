// The real window: one SDL2 window whose own surface receives the display,
// scaled to the window with its 4:3 aspect kept (black bars fill the rest)
// and the nearest pixel sampled so the 640x480 picture stays sharp. The
// conversion through the palette and the scaling are one pass over the rows
// that changed, and only those rows are sent to the window system: a still
// screen costs next to nothing, and no renderer or texture upload is needed.
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/clock.h"
#include "platform/presenter.h"

namespace {

// The pacing waits sleep in the window's event queue: a key press wakes the
// program at once, and nothing else does until the deadline.
bool WaitForWindowEvent(uint32_t ms) {
  return SDL_WaitEventTimeout(nullptr, static_cast<int>(ms > 0x7FFFFFFFu ? 0x7FFFFFFFu : ms)) == 1;
}

constexpr int kInitialWindowWidth = 1024;
constexpr int kInitialWindowHeight = 768;

class WindowPresenter : public Presenter {
 public:
  ~WindowPresenter() override {
    if (waiterInstalled_) SetEventWaiter(previousWaiter_);
    if (window_) SDL_DestroyWindow(window_);
    if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  bool Open(std::string* error) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      if (error) *error = std::string("SDL video: ") + SDL_GetError();
      return false;
    }
    videoStarted_ = true;
    // The window system's own surface (shared memory on X11): the picture
    // is made here already, so a 3D renderer under it would only add a copy
    // and, without a graphics card, a software rasteriser's threads.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    window_ = SDL_CreateWindow("Kelvanthrop", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               kInitialWindowWidth, kInitialWindowHeight,
                               SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN);
    if (!window_) {
      if (error) *error = std::string("SDL window: ") + SDL_GetError();
      return false;
    }
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (!surface) {
      if (error) *error = std::string("SDL window surface: ") + SDL_GetError();
      return false;
    }
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    SDL_UpdateWindowSurface(window_);
    previousWaiter_ = SetEventWaiter(WaitForWindowEvent);
    waiterInstalled_ = true;
    return true;
  }

  void Refresh() override { Draw(true); }
  bool IsHeadless() const override { return false; }
  SDL_Window* GetWindow() const override { return window_; }

 protected:
  void Show() override { Draw(false); }

 private:
  // Where the picture goes in a surface of w x h, and which source column
  // each of its columns shows.
  void Layout(int w, int h) {
    if (static_cast<int64_t>(w) * height_ > static_cast<int64_t>(h) * width_) {
      pictureH_ = h;
      pictureW_ = static_cast<int>(static_cast<int64_t>(h) * width_ / height_);
    } else {
      pictureW_ = w;
      pictureH_ = static_cast<int>(static_cast<int64_t>(w) * height_ / width_);
    }
    pictureX_ = (w - pictureW_) / 2;
    pictureY_ = (h - pictureH_) / 2;
    columns_.resize(static_cast<size_t>(std::max(pictureW_, 0)));
    for (int x = 0; x < pictureW_; ++x) columns_[static_cast<size_t>(x)] = static_cast<int>(static_cast<int64_t>(x) * width_ / pictureW_);
  }

  // One row of the picture, scaled, as 0x00RRGGBB.
  void ScaleRow(int sourceRow, uint32_t* out) const {
    const uint32_t* in = frame_.data() + static_cast<size_t>(sourceRow) * width_;
    for (int x = 0; x < pictureW_; ++x) out[x] = in[columns_[static_cast<size_t>(x)]];
  }

  void Draw(bool whole) {
    if (!window_ || width_ <= 0 || height_ <= 0) return;
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (!surface || surface->w <= 0 || surface->h <= 0) return;
    if (surface != surface_ || surface->w != surfaceW_ || surface->h != surfaceH_ || width_ != layoutW_ ||
        height_ != layoutH_) {
      surface_ = surface;
      surfaceW_ = surface->w;
      surfaceH_ = surface->h;
      layoutW_ = width_;
      layoutH_ = height_;
      Layout(surface->w, surface->h);
      whole = true;
    }
    const int top = whole ? 0 : ChangedTop();
    const int bottom = whole ? height_ : ChangedBottom();
    EnsureConverted();
    if (top >= bottom || pictureW_ <= 0 || pictureH_ <= 0) return;  // the same picture: nothing to show

    // The surface of a 24-bit X display holds 0x00RRGGBB already; any other
    // layout goes through SDL's conversion a row at a time.
    const uint32_t format = surface->format->format;
    const bool direct = format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888;
    const uint32_t alpha = format == SDL_PIXELFORMAT_ARGB8888 ? 0xFF000000u : 0u;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
    if (whole) SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    scratch_.resize(static_cast<size_t>(pictureW_));
    auto* pixels = static_cast<uint8_t*>(surface->pixels);
    const int bytes = surface->format->BytesPerPixel;
    int firstY = -1, lastY = -1, shownRow = -1;
    for (int y = 0; y < pictureH_; ++y) {
      const int sourceRow = static_cast<int>(static_cast<int64_t>(y) * height_ / pictureH_);
      if (sourceRow < top) continue;
      if (sourceRow >= bottom) break;
      uint8_t* dst = pixels + static_cast<ptrdiff_t>(pictureY_ + y) * surface->pitch + static_cast<ptrdiff_t>(pictureX_) * bytes;
      if (sourceRow == shownRow) {
        // The same source row as the line above: a copy of it.
        std::memcpy(dst, dst - surface->pitch, static_cast<size_t>(pictureW_) * bytes);
      } else if (direct) {
        auto* out = reinterpret_cast<uint32_t*>(dst);
        ScaleRow(sourceRow, out);
        if (alpha)
          for (int x = 0; x < pictureW_; ++x) out[x] |= alpha;
      } else {
        ScaleRow(sourceRow, scratch_.data());
        SDL_ConvertPixels(pictureW_, 1, SDL_PIXELFORMAT_RGB888, scratch_.data(), pictureW_ * 4, format, dst,
                          surface->pitch);
      }
      shownRow = sourceRow;
      if (firstY < 0) firstY = y;
      lastY = y;
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    if (whole) {
      SDL_UpdateWindowSurface(window_);
    } else if (firstY >= 0) {
      SDL_Rect rect{pictureX_, pictureY_ + firstY, pictureW_, lastY - firstY + 1};
      SDL_UpdateWindowSurfaceRects(window_, &rect, 1);
    }
  }

  SDL_Window* window_ = nullptr;
  SDL_Surface* surface_ = nullptr;  // the window's surface the layout was made for
  int surfaceW_ = 0, surfaceH_ = 0, layoutW_ = 0, layoutH_ = 0;
  int pictureX_ = 0, pictureY_ = 0, pictureW_ = 0, pictureH_ = 0;
  std::vector<int> columns_;
  std::vector<uint32_t> scratch_;
  bool videoStarted_ = false;
  bool waiterInstalled_ = false;
  EventWaiter previousWaiter_ = nullptr;
};

}  // namespace

uint32_t Presenter::GetWindowId() const {
  SDL_Window* w = GetWindow();
  return w ? SDL_GetWindowID(w) : 0;
}

std::unique_ptr<Presenter> CreateWindowPresenter(std::string* error) {
  auto p = std::make_unique<WindowPresenter>();
  if (!p->Open(error)) return nullptr;
  return p;
}
