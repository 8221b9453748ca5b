#include "platform/window_events.h"

#include <SDL.h>

#include <algorithm>

#include "base/string.h"
#include "platform/keyboard.h"
#include "platform/keymap.h"
#include "platform/message_box.h"
#include "platform/quit_request.h"

int32_t g_appActive = 1;

const char* TextOf(unsigned id, const char* fallback) {
  const char* t = GetStringText(id);
  return (t && *t) ? t : fallback;
}

namespace {
// The characters a key press types besides SDL's text input: the game's chat
// and command line read Backspace, Enter and Escape from the typed ring.
char ControlCharFor(int vk) {
  switch (vk) {
    case kVkBack:
      return 8;
    case kVkReturn:
      return 13;
    case kVkEscape:
      return 27;
    default:
      return 0;
  }
}

int Clamp(int v, int lo, int hi) { return std::min(std::max(v, lo), hi); }
}  // namespace

void WindowToDisplayFor(int windowW, int windowH, int logicalW, int logicalH, int wx, int wy,
                        int* dx, int* dy) {
  int x = 0;
  int y = 0;
  if (logicalW > 0 && logicalH > 0) {
    // Already in the renderer's logical pixels.
    x = static_cast<int>(static_cast<long long>(wx) * kPointerAreaWidth / logicalW);
    y = static_cast<int>(static_cast<long long>(wy) * kPointerAreaHeight / logicalH);
  } else if (windowW > 0 && windowH > 0) {
    // The picture fills the window's width or height, whichever limits it.
    double scale = std::min(static_cast<double>(windowW) / kPointerAreaWidth,
                            static_cast<double>(windowH) / kPointerAreaHeight);
    double shownW = kPointerAreaWidth * scale;
    double shownH = kPointerAreaHeight * scale;
    double left = (windowW - shownW) / 2.0;
    double top = (windowH - shownH) / 2.0;
    x = static_cast<int>((wx - left) / scale);
    y = static_cast<int>((wy - top) / scale);
  }
  *dx = Clamp(x, 0, kPointerAreaWidth - 1);
  *dy = Clamp(y, 0, kPointerAreaHeight - 1);
}

void WindowToDisplay(SDL_Window* window, int wx, int wy, int* dx, int* dy) {
  int w = kPointerAreaWidth;
  int h = kPointerAreaHeight;
  int lw = 0;
  int lh = 0;
  if (window) {
    SDL_GetWindowSize(window, &w, &h);
    if (SDL_Renderer* r = SDL_GetRenderer(window)) SDL_RenderGetLogicalSize(r, &lw, &lh);
  } else {
    lw = kPointerAreaWidth;
    lh = kPointerAreaHeight;
  }
  WindowToDisplayFor(w, h, lw, lh, wx, wy, dx, dy);
}

void ForEachTypedChar(const char* utf8, const std::function<void(char)>& sink) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
  while (p && *p) {
    unsigned cp;
    int extra;
    if (*p < 0x80) {
      cp = *p;
      extra = 0;
    } else if ((*p & 0xE0) == 0xC0) {
      cp = *p & 0x1F;
      extra = 1;
    } else if ((*p & 0xF0) == 0xE0) {
      cp = *p & 0x0F;
      extra = 2;
    } else if ((*p & 0xF8) == 0xF0) {
      cp = *p & 0x07;
      extra = 3;
    } else {
      ++p;  // stray continuation byte
      continue;
    }
    ++p;
    bool ok = true;
    for (int i = 0; i < extra; ++i) {
      if ((*p & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (*p & 0x3F);
      ++p;
    }
    if (ok && cp >= 32 && cp <= 255 && cp != 127) sink(static_cast<char>(cp));
  }
}

bool HandleWindowEvent(const SDL_Event& e, const WindowEventHandlers& h) {
  switch (e.type) {
    case SDL_KEYDOWN: {
      int vk = ScancodeToVirtualKey(e.key.keysym.scancode);
      if (vk == 0) return false;
      KeyboardKeyDown(vk, e.key.repeat != 0);
      if (char c = ControlCharFor(vk)) KeyboardTypedChar(c);
      return true;
    }
    case SDL_KEYUP: {
      int vk = ScancodeToVirtualKey(e.key.keysym.scancode);
      if (vk == 0) return false;
      KeyboardKeyUp(vk);
      return true;
    }
    case SDL_TEXTINPUT:
      ForEachTypedChar(e.text.text, [](char c) { KeyboardTypedChar(c); });
      return true;
    case SDL_MOUSEMOTION: {
      int x, y;
      WindowToDisplay(SDL_GetWindowFromID(e.motion.windowID), e.motion.x, e.motion.y, &x, &y);
      MouseMoveTo(x, y);
      return true;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      int index = e.button.button == SDL_BUTTON_LEFT    ? kVkLButton
                  : e.button.button == SDL_BUTTON_RIGHT ? kVkRButton
                                                        : 0;
      if (index == 0) return false;
      if (e.type == SDL_MOUSEBUTTONDOWN)
        MouseButtonDown(index);
      else
        MouseButtonUp(index);
      return true;
    }
    case SDL_QUIT:
      if (h.close) h.close();
      return true;
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          if (h.activate) h.activate(true);
          return true;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          if (h.activate) h.activate(false);
          return true;
        case SDL_WINDOWEVENT_CLOSE:
          if (h.close) h.close();
          return true;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          if (h.expose) h.expose();
          return true;
        default:
          return false;
      }
    default:
      return false;
  }
}

void FatalExit() {
  ShowMessageBox(TextOf(1008, "DirectDraw init failed."), TextOf(1009, "ERROR"), kMbOk);
  RequestQuit();
}
