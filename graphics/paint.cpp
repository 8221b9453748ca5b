#include "graphics/paint.h"

#include "graphics/display.h"
#include "graphics/surface.h"
#include "platform/presenter.h"

namespace {
DDSurface* g_paintBitmap = nullptr;
}

void SetPaintBitmap(DDSurface* surface) { g_paintBitmap = surface; }

DDSurface* GetPaintBitmap() { return g_paintBitmap; }

void PaintWindow() {
  DDSurface* primary = g_primaryDDSurface;
  if (g_paintBitmap && primary && primary->HasSurface()) {
    DDClipper* windowClipper = CreateWindowClipper();
    DDClipper* saved = primary->GetClipper();
    if (saved) saved->AddRef();
    primary->SetClipper(windowClipper);
    primary->Blt(0, 0, kDisplayWidth, kDisplayHeight, g_paintBitmap, 0, 0);
    primary->SetClipper(saved);
    if (saved) saved->Release();
    windowClipper->Release();
    return;  // the blit onto the primary surface has shown it
  }
  if (Presenter* p = GetDisplayPresenter()) p->Refresh();
}
