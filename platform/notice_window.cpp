#include "platform/notice_window.h"

#include <SDL.h>

#include <vector>

#include "base/debug.h"
#include "platform/quit_request.h"

namespace {
constexpr uint32_t kPaper = 0xFFE8E4D8;  // ARGB
constexpr uint32_t kInk = 0xFF202020;
// How often the wait looks at the quit request.
constexpr int kWaitStepMs = 100;

bool Closes(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT:
    case SDL_KEYDOWN:
    case SDL_MOUSEBUTTONUP:
      return true;
    case SDL_WINDOWEVENT:
      return e.window.event == SDL_WINDOWEVENT_CLOSE;
    default:
      return false;
  }
}
}  // namespace

bool ShowNoticeWindow(const char* title, const uint8_t* picture, int width, int height) {
  if (!picture || width <= 0 || height <= 0 || width > 4096 || height > 4096) return false;
  const bool videoWasUp = SDL_WasInit(SDL_INIT_VIDEO) != 0;
  if (!videoWasUp && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    DebugPrintf("notice window: %s\n", SDL_GetError());
    return false;
  }
  bool shown = false;
  SDL_Window* window = SDL_CreateWindow(title ? title : "", SDL_WINDOWPOS_CENTERED,
                                        SDL_WINDOWPOS_CENTERED, width, height, 0);
  SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
  SDL_Texture* texture = renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                                      SDL_TEXTUREACCESS_STATIC, width, height)
                                  : nullptr;
  if (texture) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = picture[i] >= 128 ? kInk : kPaper;
    SDL_UpdateTexture(texture, nullptr, pixels.data(), width * 4);
    SDL_RaiseWindow(window);
    shown = true;
    bool open = true;
    while (open && !IsQuitRequested()) {
      SDL_RenderClear(renderer);
      SDL_RenderCopy(renderer, texture, nullptr, nullptr);
      SDL_RenderPresent(renderer);
      SDL_Event e;
      if (SDL_WaitEventTimeout(&e, kWaitStepMs)) {
        do {
          if (Closes(e)) open = false;
        } while (SDL_PollEvent(&e));
      }
    }
  } else {
    DebugPrintf("notice window: %s\n", SDL_GetError());
  }
  if (texture) SDL_DestroyTexture(texture);
  if (renderer) SDL_DestroyRenderer(renderer);
  if (window) SDL_DestroyWindow(window);
  if (!videoWasUp) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return shown;
}
