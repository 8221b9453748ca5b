#pragma once
// Small helpers the front end's screens share: pictures, sprites, fonts and
// sounds loaded by their game names (a missing file gives null or -1 and
// the screen goes on without it), the palette shown, and text drawing.
#include <memory>
#include <string>

#include "graphics/bitmap_font.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "graphics/transition.h"

class DDPalette;

std::unique_ptr<DDSurface> LoadProgramPicture(const char* relative);
std::unique_ptr<Sprite> LoadProgramSprite(const char* relative);
std::unique_ptr<BitmapFont> LoadProgramFont(const char* relative);

// A sound slot of its own loaded from a full path; -1 when no slot is free,
// there is no sound manager or the file does not load (the loader names it
// and why): nothing is to wait on a sound that is not there.
int LoadSoundSlot(const std::string& fullPath, int streaming = 0);
void FreeSoundSlot(int* slot);
void PlaySoundSlot(int slot, bool loop = false);
void StopSoundSlot(int slot);
bool IsSoundSlotPlaying(int slot);
bool IsSoundSlotLoaded(int slot);
int GetSoundVolume(int slot);
void SetSoundVolume(int slot, int volume);
void PlayShared(int slot);  // the menu sounds of the shell (navigation, select, warning)

// Shows a palette on the display, fading in over `steps` (0 at once).
void ShowPalette(DDPalette* palette, int steps);
void FadeOutPalette(int steps);

// Draws text with a font and alignment flags (0 left, 2 right, 6 centred);
// nothing without a font or a back buffer.
void DrawFontText(BitmapFont* font, DDSurface* target, int x, int y, const char* text,
                  uint32_t flags);

// The screen's background: `tile` repeated over the whole 640x480 back
// buffer; null without a tile or a back buffer.
std::unique_ptr<MaskedBlend> MakeTiledBackground(DDSurface* tile);

// A stopwatch of g_timers, started now; -1 when there are no timers.
int StartScreenTimer();
// Gives a stopwatch from StartScreenTimer back (nothing for -1).
void ReleaseScreenTimer(int timer);
