#pragma once
// Repainting of the window when the system asks for it (exposed, resized):
// the paint bitmap, when one is set, is copied onto the primary surface
// through the window clipper and the display is shown again.
class DDSurface;

// The surface repainted on exposure (null: none). The caller keeps ownership
// and must clear it before deleting the surface.
void SetPaintBitmap(DDSurface* surface);
DDSurface* GetPaintBitmap();
// Handles an expose/resize of the window.
void PaintWindow();
