#pragma once
// A small window of the game's own that shows one message, for when the
// system's message box cannot be shown (no dialog helper installed, no
// fonts for it) and the player would otherwise learn nothing: the second
// copy's "already running" before the game has a window of its own.
//
// The caller draws the message into a picture (one byte a pixel, 0 paper
// and 255 ink); the window shows it dark on light, centred, and stays until
// the player closes it with a key, a click or the close button, or a quit
// signal comes.
#include <cstdint>

// False when no window could be made (no display); true once it was closed.
bool ShowNoticeWindow(const char* title, const uint8_t* picture, int width, int height);
