#pragma once
// Palette fades of the display.
class DDPalette;

// Fades the display palette from black to `palette` (fadeIn 1) or from
// `palette` to black (fadeIn 0) in steps + 1 stages at least 10 ms apart (on
// the game clock, so instant on a virtual clock). The primary surface's
// palette is used, or one made from `palette` and attached when it has none.
// After a fade out the primary surface is filled with colour 0. steps <= 0
// jumps straight to the end.
void FadePalette(DDPalette* palette, int steps, int fadeIn);
