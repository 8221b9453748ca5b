#include "graphics/fade.h"

#include <cstring>

#include "base/clock.h"
#include "graphics/display.h"
#include "graphics/palette.h"
#include "graphics/surface.h"

namespace {

constexpr uint32_t kFadeTickMs = 10;

// Waits until a tick has passed since `mark` on the game clock, then moves it.
void WaitTick(uint32_t* mark) {
  for (;;) {
    uint32_t elapsed = TimeGetTime() - *mark;
    if (elapsed >= kFadeTickMs) break;
    SleepMs(kFadeTickMs - elapsed);
  }
  *mark = TimeGetTime();
}

void Scale(const PaletteEntry* from, PaletteEntry* to, int k, int steps) {
  const float factor = static_cast<float>(k) / static_cast<float>(steps);
  for (int i = 0; i < 256; ++i) {
    to[i].red = static_cast<uint8_t>(static_cast<float>(from[i].red) * factor);
    to[i].green = static_cast<uint8_t>(static_cast<float>(from[i].green) * factor);
    to[i].blue = static_cast<uint8_t>(static_cast<float>(from[i].blue) * factor);
    to[i].flags = from[i].flags;
  }
}

}  // namespace

void FadePalette(DDPalette* palette, int steps, int fadeIn) {
  DDSurface* primary = g_primaryDDSurface;
  if (!palette || !primary || primary->GetPixelFormat() != kFormatIndexed8) return;
  PaletteEntry stored[256];
  std::memcpy(stored, palette->Entries(), sizeof(stored));
  DDPalette* display = primary->GetPalette();
  if (!display) {
    display = CreateDisplayPalette(kDisplayPaletteCaps, stored);
    primary->SetPalette(display);
    display->Release();  // the primary surface holds it
  }
  display->AddRef();  // kept alive for the whole fade
  PaletteEntry current[256];
  if (steps <= 0) {
    // Nothing to fade over: straight to the end.
    Scale(stored, current, fadeIn ? 1 : 0, 1);
    display->SetEntries(0, 256, current);
  } else {
    uint32_t mark = TimeGetTime();
    for (int i = 0; i <= steps; ++i) {
      const int k = fadeIn ? i : steps - i;
      WaitTick(&mark);
      Scale(stored, current, k, steps);
      display->SetEntries(0, 256, current);
      primary->SetPalette(display);
    }
  }
  if (!fadeIn) {
    // The whole surface, whatever clipper it has.
    uint8_t* bits = nullptr;
    int pitch = 0;
    if (primary->Lock(&bits, &pitch) == kDDOk) {
      std::memset(bits, 0, static_cast<size_t>(pitch) * primary->GetHeight());
      primary->Unlock();
    }
  }
  display->Release();
}
