#include "graphics/display.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "base/debug.h"
#include "graphics/bmp.h"
#include "platform/presenter.h"

DDSurface* g_primaryDDSurface = nullptr;
DDSurface* g_backDDSurface = nullptr;

namespace {

struct DisplayState {
  bool ready = false;
  Presenter* presenter = nullptr;
  // The two display surfaces, made by the first SetVideoMode and kept until
  // ReleaseDirectDraw whatever the mode, so that every pointer to them stays good.
  std::unique_ptr<DDSurface> primary;
  std::unique_ptr<DDSurface> back;
  int bits = 0;
  int for3D = 0;
};

DisplayState& State() {
  static DisplayState s;
  return s;
}

// Live lists, made on first use and never destroyed: a wrapper held by a
// static (the display's own two surfaces when the program exits without
// releasing the display, as it does when its window's connection breaks, or
// a program's own) is destroyed at exit after statics made later than it, and
// must still find its list then.
std::vector<DDSurface*>& Surfaces() {
  static auto* v = new std::vector<DDSurface*>;
  return *v;
}
std::vector<DDPalette*>& Palettes() {
  static auto* v = new std::vector<DDPalette*>;
  return *v;
}
std::vector<DDClipper*>& Clippers() {
  static auto* v = new std::vector<DDClipper*>;
  return *v;
}

template <typename T>
void Remove(std::vector<T*>& v, T* p) {
  auto it = std::find(v.rbegin(), v.rend(), p);
  if (it != v.rend()) v.erase(std::next(it).base());
}

}  // namespace

void RegisterSurface(DDSurface* s) { Surfaces().push_back(s); }
void UnregisterSurface(DDSurface* s) { Remove(Surfaces(), s); }
void RegisterPalette(DDPalette* p) { Palettes().push_back(p); }
void UnregisterPalette(DDPalette* p) { Remove(Palettes(), p); }
void RegisterClipper(DDClipper* c) { Clippers().push_back(c); }
void UnregisterClipper(DDClipper* c) { Remove(Clippers(), c); }
int LiveSurfaceCount() { return static_cast<int>(Surfaces().size()); }
int LivePaletteCount() { return static_cast<int>(Palettes().size()); }
int LiveClipperCount() { return static_cast<int>(Clippers().size()); }

int InitDirectDraw(Presenter* presenter, int emulationOnly) {
  DisplayState& s = State();
  if (s.ready) return 0;
  s.ready = true;
  s.presenter = presenter;
  return 1;
}

bool IsDirectDrawReady() { return State().ready; }

Presenter* SetDisplayPresenter(Presenter* presenter) {
  Presenter* old = State().presenter;
  State().presenter = presenter;
  return old;
}

Presenter* GetDisplayPresenter() { return State().presenter; }

int IsDisplayModeAvailable(uint16_t width, uint16_t height, uint16_t bitsPerPixel) {
  return width == kDisplayWidth && height == kDisplayHeight &&
                 (bitsPerPixel == 8 || bitsPerPixel == 16)
             ? 1
             : 0;
}

int SetVideoMode(uint16_t width, uint16_t height, uint16_t bits, uint16_t buffers, int for3D) {
  DisplayState& s = State();
  if (!s.ready) return 0;
  if (!IsDisplayModeAvailable(width, height, bits)) return 0;
  if (!s.primary) s.primary = std::make_unique<DDSurface>();
  if (!s.back) s.back = std::make_unique<DDSurface>();
  const int format = bits == 8 ? kFormatIndexed8 : kFormatRgb565;
  if (s.primary->AllocateDisplayStorage(width, height, format) != kDDOk) return 0;
  g_primaryDDSurface = s.primary.get();
  if (buffers == 1) {
    s.back->SetPalette(nullptr);
    s.back->AllocateDisplayStorage(0, 0, 0);
    g_backDDSurface = nullptr;
  } else {
    if (s.back->AllocateDisplayStorage(width, height, format) != kDDOk) return 0;
    g_backDDSurface = s.back.get();
  }
  s.bits = bits;
  s.for3D = for3D;
  if (bits == 8) {
    PaletteEntry black[256] = {};
    DDPalette* palette = CreateDisplayPalette(kDisplayPaletteCaps, black);
    if (palette) {
      s.primary->SetPalette(palette);
      if (g_backDDSurface) g_backDDSurface->SetPalette(palette);
      palette->Release();  // the surfaces hold it now
    }
  } else {
    s.primary->SetPalette(nullptr);
    if (g_backDDSurface) g_backDDSurface->SetPalette(nullptr);
  }
  PresentDisplay();
  return 1;
}

int GetDisplayModeFor3D() { return State().for3D; }
int GetDisplayBitsPerPixel() { return State().bits; }

void PresentDisplay() {
  DisplayState& s = State();
  DDSurface* p = g_primaryDDSurface;
  if (!s.presenter || !p || !p->HasSurface()) return;
  if (p->GetPixelFormat() == kFormatIndexed8) {
    PresentColour colours[256] = {};
    if (DDPalette* pal = p->GetPalette()) {
      const PaletteEntry* e = pal->Entries();
      for (int i = 0; i < 256; ++i) colours[i] = PresentColour{e[i].red, e[i].green, e[i].blue};
    }
    s.presenter->PresentIndexed(p->Row(0), p->GetWidth(), p->GetHeight(), p->GetPitch(), colours);
  } else {
    s.presenter->PresentRgb16(p->Row(0), p->GetWidth(), p->GetHeight(), p->GetPitch(),
                              p->GetPixelFormat() == kFormatRgb565);
  }
}

void NotifyPaletteChanged(DDPalette* p) {
  if (p && g_primaryDDSurface && g_primaryDDSurface->GetPalette() == p) PresentDisplay();
}

void FlipScreen() {
  DDSurface* p = g_primaryDDSurface;
  if (!p || !p->HasSurface()) return;
  if (g_backDDSurface && g_backDDSurface->HasSurface()) p->SwapStorage(*g_backDDSurface);
  PresentDisplay();
}

void FlipToGDISurface() {}

DDPalette* CreateDisplayPalette(uint32_t caps, const PaletteEntry* entries) {
  return new DDPalette(caps, entries);
}

DDPalette* LoadPaletteFile(const char* path) {
  if (!path) return nullptr;
  DDSurface picture(path, 0, 0);
  DDPalette* palette = picture.GetPalette();
  if (palette) palette->AddRef();
  return palette;
}

DDClipper* CreateRectClipper(const ClipRect* rect) {
  if (!rect || rect->width < 0 || rect->height < 0) return nullptr;
  return new DDClipper(*rect);
}

DDClipper* CreateWindowClipper() { return DDClipper::CreateForWindow(); }

void RestoreAllSurfaces() {
  for (DDSurface* s : std::vector<DDSurface*>(Surfaces())) s->Restore();
}

int GetAvailableVideoMemory(uint32_t, uint32_t* total, uint32_t* free) {
  if (total) *total = 0;
  if (free) *free = 0;
  return 0;
}

void ReleaseDirectDraw() {
  DisplayState& s = State();
  g_primaryDDSurface = nullptr;
  g_backDDSurface = nullptr;
  s.back.reset();
  s.primary.reset();
  s.ready = false;
  s.bits = 0;
  s.for3D = 0;
  if (!Surfaces().empty() || !Palettes().empty() || !Clippers().empty()) {
    DebugPrintf("Display released with %d surfaces, %d palettes, %d clippers still held.\n",
                LiveSurfaceCount(), LivePaletteCount(), LiveClipperCount());
  }
}

uint16_t SaveScreenshot(const char* path) {
  DDSurface* target = g_backDDSurface ? g_backDDSurface : g_primaryDDSurface;
  if (!target || !target->HasSurface()) return kDDNoSurface;
  if (target->GetPixelFormat() == kFormatIndexed8) return target->SaveBmp(path);
  return SaveBmp24(*target, path);
}
