#pragma once
// The hidden typed codes: texts typed on the command line (F12) that end the
// running event, change the game speed or switch the debug overlay.

// Code of the first table row whose text equals the current screen's
// command text, or -1 (also when there is no current screen). Rows whose
// codes have no effect anywhere are not in the table.
int MatchCheatCode();
// The code for a command text, or -1.
int MatchCheatText(const char* text);
// Applies codes 4 to 9 (speed and debug switches) with a message on the
// current screen and clears its command text; other codes change nothing.
// Code 0 (end the event) is the shell's to apply.
void ApplyCheatCode(int code);

inline constexpr int kCheatEndEvent = 0;
