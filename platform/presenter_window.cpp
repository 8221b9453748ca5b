// The real window: one SDL2 window with a renderer that scales the display to
// the window, keeps its 4:3 aspect (black bars fill the rest) and samples with
// the nearest pixel so the 640x480 picture stays sharp.
#include <SDL.h>

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
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  bool Open(std::string* error) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      if (error) *error = std::string("SDL video: ") + SDL_GetError();
      return false;
    }
    videoStarted_ = true;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    window_ = SDL_CreateWindow("Kelvanthrop", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               kInitialWindowWidth, kInitialWindowHeight,
                               SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN);
    if (!window_) {
      if (error) *error = std::string("SDL window: ") + SDL_GetError();
      return false;
    }
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) {
      if (error) *error = std::string("SDL renderer: ") + SDL_GetError();
      return false;
    }
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderPresent(renderer_);
    previousWaiter_ = SetEventWaiter(WaitForWindowEvent);
    waiterInstalled_ = true;
    return true;
  }

  void Refresh() override { Draw(); }
  bool IsHeadless() const override { return false; }
  SDL_Window* GetWindow() const override { return window_; }

 protected:
  void Show() override {
    if (!renderer_) return;
    if (!texture_ || texWidth_ != width_ || texHeight_ != height_) {
      if (texture_) SDL_DestroyTexture(texture_);
      texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                   width_, height_);
      if (!texture_) return;
      texWidth_ = width_;
      texHeight_ = height_;
      SDL_RenderSetLogicalSize(renderer_, width_, height_);
    }
    EnsureConverted();
    SDL_UpdateTexture(texture_, nullptr, frame_.data(), width_ * 4);
    Draw();
  }

 private:
  void Draw() {
    if (!renderer_) return;
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    if (texture_) SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
  }

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int texWidth_ = 0;
  int texHeight_ = 0;
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
