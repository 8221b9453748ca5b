#pragma once
// The display: the primary surface and its back buffer, the display palette,
// the presenter that shows the primary surface, and the live lists of every
// surface, palette and clipper. All drawing goes to g_backDDSurface and
// becomes visible through FlipScreen.
//
// The two display surface objects are made once, by the first SetVideoMode,
// and live until ReleaseDirectDraw: a mode change or a flip changes their
// storage, never the objects, so pointers to them and their attachments stay
// good. In the one-buffer mode (16-bit cut-scenes) g_backDDSurface is null.
#include <cstdint>

#include "graphics/clipper.h"
#include "graphics/palette.h"
#include "graphics/surface.h"

class Presenter;

extern DDSurface* g_primaryDDSurface;
extern DDSurface* g_backDDSurface;

constexpr int kDisplayWidth = 640;
constexpr int kDisplayHeight = 480;

// Starts the display on a presenter (may be null: nothing is shown). 0 when
// already started. `emulationOnly` is accepted and has no effect.
int InitDirectDraw(Presenter* presenter, int emulationOnly = 0);
// Whether InitDirectDraw ran (and ReleaseDirectDraw did not since).
bool IsDirectDrawReady();
// Replaces the presenter (null: none). Returns the previous one.
Presenter* SetDisplayPresenter(Presenter* presenter);
Presenter* GetDisplayPresenter();

// 640x480 at 8 bits (a primary surface, a back buffer with `buffers` >= 2 and
// an all-black display palette on both) or at 16 bits RGB565 (one buffer
// means a lone primary). `for3D` is kept as a marker. 1 done, 0 when the mode
// is not offered (nothing changes) or DirectDraw was not started.
int SetVideoMode(uint16_t width, uint16_t height, uint16_t bitsPerPixel, uint16_t buffers,
                 int for3D);
// 1 for the modes offered: 640x480 at 8 and at 16 bits.
int IsDisplayModeAvailable(uint16_t width, uint16_t height, uint16_t bitsPerPixel);
// The 3D marker of the current mode.
int GetDisplayModeFor3D();
// Bits per pixel of the current mode (0 without one).
int GetDisplayBitsPerPixel();

// Swaps the pixel storage of the back and primary surfaces and shows the
// primary. With a lone primary it only shows it.
void FlipScreen();
// Nothing to do here (no system windows cover the display); kept for callers.
void FlipToGDISurface();
// Shows the primary surface through its palette now. The surfaces call this
// on writes to the primary and the palettes on changes of its palette.
void PresentDisplay();

DDPalette* CreateDisplayPalette(uint32_t caps, const PaletteEntry* entries);
// The palette of a .bmp picture; the caller owns one reference. Null when the
// file cannot be read or holds no palette.
DDPalette* LoadPaletteFile(const char* path);
DDClipper* CreateRectClipper(const ClipRect* rect);
DDClipper* CreateWindowClipper();

void RestoreAllSurfaces();
// No video memory here: 0.
int GetAvailableVideoMemory(uint32_t surfaceCaps, uint32_t* total, uint32_t* free);
// Deletes the display surfaces (their palette and clipper references go with
// them) and stops the display. Other surfaces, palettes and clippers belong to
// their owners and stay valid; they are reported as still alive.
void ReleaseDirectDraw();

// Saves the screen as an 8-bit .bmp: the back buffer, or the primary surface
// when there is no back buffer. Status as DDSurface::SaveBmp (4 no display).
uint16_t SaveScreenshot(const char* path);

// Live lists: how many wrappers exist right now.
int LiveSurfaceCount();
int LivePaletteCount();
int LiveClipperCount();

// Registration of the wrappers in the live lists (called by their constructors
// and destructors).
void RegisterSurface(DDSurface* s);
void UnregisterSurface(DDSurface* s);
void RegisterPalette(DDPalette* p);
void UnregisterPalette(DDPalette* p);
void RegisterClipper(DDClipper* c);
void UnregisterClipper(DDClipper* c);
// Called by DDPalette::SetEntries: shows the display again when `p` is its palette.
void NotifyPaletteChanged(DDPalette* p);
