#pragma once
// The fixed table from SDL's physical key positions (scancodes) to the
// Windows virtual-key codes the game numbers its keys by. Bindings stored in
// the settings and the key-name strings (100 + code) depend on these codes,
// so the table never changes with the keyboard layout. Both Shift keys give
// 0x10, both Ctrl keys 0x11 and both Alt keys 0x12, as the game always saw them.
int ScancodeToVirtualKey(int sdlScancode);  // 0 when the key has no code
