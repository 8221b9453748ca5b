#include "platform/cursor_set.h"

#include <SDL.h>

#include "base/debug.h"
#include "base/paths.h"

CursorSet* g_cursorSet = nullptr;

namespace {
bool HaveVideo() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

SDL_SystemCursor StockShape(int id) {
  switch (id) {
    case kCursorIBeam:
      return SDL_SYSTEM_CURSOR_IBEAM;
    case kCursorWait:
      return SDL_SYSTEM_CURSOR_WAIT;
    case kCursorCross:
      return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case kCursorHand:
      return SDL_SYSTEM_CURSOR_HAND;
    default:
      return SDL_SYSTEM_CURSOR_ARROW;
  }
}
}  // namespace

CursorSet::CursorSet() { LoadStock(0, kCursorArrow); }

CursorSet::~CursorSet() {
  if (HaveVideo() && savedTaken_ && saved_) SDL_SetCursor(saved_);
  for (SDL_Cursor*& c : slots_) {
    if (c && HaveVideo()) SDL_FreeCursor(c);
    c = nullptr;
  }
}

bool CursorSet::LoadFromFile(int slot, const char* path) {
  if (slot < 0 || slot >= kSlots || !path) return false;
  if (!HaveVideo()) return false;
  SDL_Surface* s = SDL_LoadBMP(ResolvePath(path).c_str());
  if (!s) {
    DebugPrintf("cursor %s not loaded: %s\n", path, SDL_GetError());
    return false;
  }
  SDL_Cursor* c = SDL_CreateColorCursor(s, 0, 0);
  SDL_FreeSurface(s);
  if (!c) return false;
  if (slots_[slot]) SDL_FreeCursor(slots_[slot]);
  slots_[slot] = c;
  return true;
}

bool CursorSet::LoadStock(int slot, int id) {
  if (slot < 0 || slot >= kSlots) return false;
  if (!HaveVideo()) return false;
  SDL_Cursor* c = SDL_CreateSystemCursor(StockShape(id));
  if (!c) return false;
  if (slots_[slot]) SDL_FreeCursor(slots_[slot]);
  slots_[slot] = c;
  return true;
}

void CursorSet::Select(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  current_ = slot;
  if (!HaveVideo() || !slots_[slot]) return;
  if (!savedTaken_) {
    saved_ = SDL_GetCursor();
    savedTaken_ = true;
  }
  SDL_SetCursor(slots_[slot]);
}

void CursorSet::Show() {
  while (counter_ < 1) ++counter_;
  Apply();
}

void CursorSet::Hide() {
  while (counter_ >= 1) --counter_;
  Apply();
}

void CursorSet::Apply() const {
  if (HaveVideo()) SDL_ShowCursor(counter_ > 0 ? SDL_ENABLE : SDL_DISABLE);
}
