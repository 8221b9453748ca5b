#pragma once
// Message boxes for the errors the player must see. With a display they are
// SDL's modal boxes; headless (or when no box can be shown) the box is
// recorded instead and its text written to stderr, so that tests and
// unattended runs see what the player would have seen.
#include <string>
#include <vector>

struct SDL_Window;

// The kinds of box the game asks for.
enum : unsigned {
  kMbOk = 0x00,
  kMbIconError = 0x10,
  kMbIconExclamation = 0x30,
  kMbIconInformation = 0x40,
};

// Shows the box and waits until it is closed. Returns 1 (OK) always: every
// box of the game has the one OK button.
int ShowMessageBox(const char* text, const char* caption, unsigned flags);

// The system's box only: false when it could not be shown (headless, or no
// way to show one on this desktop), and nothing is recorded then.
bool ShowSystemMessageBox(const char* text, const char* caption, unsigned flags);

// The window the boxes belong to (null: none).
void SetMessageBoxParent(SDL_Window* window);

struct RecordedMessageBox {
  std::string text;
  std::string caption;
  unsigned flags = 0;
};
// Boxes recorded instead of shown, oldest first.
const std::vector<RecordedMessageBox>& RecordedMessageBoxes();
void ClearRecordedMessageBoxes();
