#include "platform/message_box.h"

#include <SDL.h>

#include <cstdio>

#include "base/debug.h"
#include "platform/presenter.h"

namespace {
SDL_Window* g_parent = nullptr;
std::vector<RecordedMessageBox> g_recorded;

void Record(const char* text, const char* caption, unsigned flags) {
  g_recorded.push_back({text, caption, flags});
  std::fprintf(stderr, "MessageBox [%s]: %s\n", caption, text);
  std::fflush(stderr);
}
}  // namespace

bool ShowSystemMessageBox(const char* text, const char* caption, unsigned flags) {
  if (!text) text = "";
  if (!caption) caption = "";
  if (IsHeadlessEnvironment()) return false;
  Uint32 sdlFlags = SDL_MESSAGEBOX_INFORMATION;
  if ((flags & 0xF0) == kMbIconError) sdlFlags = SDL_MESSAGEBOX_ERROR;
  if ((flags & 0xF0) == kMbIconExclamation) sdlFlags = SDL_MESSAGEBOX_WARNING;
  if (SDL_ShowSimpleMessageBox(sdlFlags, caption, text, g_parent) != 0) {
    DebugPrintf("message box not shown: %s\n", SDL_GetError());
    return false;
  }
  return true;
}

int ShowMessageBox(const char* text, const char* caption, unsigned flags) {
  if (!text) text = "";
  if (!caption) caption = "";
  if (!ShowSystemMessageBox(text, caption, flags)) Record(text, caption, flags);
  return 1;
}

void SetMessageBoxParent(SDL_Window* window) { g_parent = window; }

const std::vector<RecordedMessageBox>& RecordedMessageBoxes() { return g_recorded; }
void ClearRecordedMessageBoxes() { g_recorded.clear(); }
