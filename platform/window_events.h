#pragma once
// The window procedure's half that lives in the platform layer: one SDL event
// of the game window is turned into the keyboard and mouse state of
// platform/keyboard.h, and the window's own happenings (focus, close request,
// exposure) are handed to the program through WindowEventHandlers.
#include <cstdint>
#include <functional>

union SDL_Event;
struct SDL_Window;

// Nonzero while the game has the focus; frames run only then.
extern int32_t g_appActive;

// The game's window class name and title, used by the window and its boxes.
inline constexpr const char* kWindowTitle = "Kelvanthrop";

// A text of the string table, or the given text when the table has none.
const char* TextOf(unsigned id, const char* fallback);

struct WindowEventHandlers {
  std::function<void(bool active)> activate;  // the window gained or lost the focus
  std::function<void()> close;                // a close request (never ends the game by itself)
  std::function<void()> expose;               // the window must be painted again
};

// Keys: down and up by virtual-key code, repeats set the down flag only.
// Backspace, Enter and Escape also type the characters 8, 13 and 27; other
// characters come from SDL's text input (code page 1252 characters only).
// Mouse: moves in display coordinates (640x480 whatever the window's size),
// left and right buttons at indices 1 and 2.
// Returns true when the event was one the game handles.
bool HandleWindowEvent(const SDL_Event& event, const WindowEventHandlers& handlers);

// Window pixels to display coordinates: the display is shown scaled with its
// 4:3 aspect kept and centred, so the bars around it clamp to the edge.
// Uses the renderer's logical size when one is set (SDL then reports mouse
// positions in it already).
void WindowToDisplay(SDL_Window* window, int wx, int wy, int* dx, int* dy);
// The same on explicit sizes (logicalW/H 0 when the renderer has none).
void WindowToDisplayFor(int windowW, int windowH, int logicalW, int logicalH, int wx, int wy,
                        int* dx, int* dy);

// Decodes SDL's UTF-8 text into the characters the game can type: code
// points 32..255 (code page 1252 letters are Latin-1 there), others dropped.
// Calls sink once per character.
void ForEachTypedChar(const char* utf8, const std::function<void(char)>& sink);

// Fatal start-up failure: tells the player ("DirectDraw init failed." under
// "ERROR") and asks the program to end through its shutdown.
void FatalExit();
