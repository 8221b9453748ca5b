#pragma once
// What every event does to load its sounds and texts, with the failures
// named on the debug output: a missing file never stops an event, the piece
// is left out (pictures: LoadSpriteOrNull of graphics/sprite.h).
#include <cstdint>
#include <string>


// The string table's text `id`, or `fallback` when the table has none.
std::string StringTableText(unsigned id, const char* fallback);
// A sound slot with the wave file at `path` loaded into it in `copies`
// buffers; a failed load leaves the slot reserved and silent ("Cannot load
// the sound <path>."). -1 when there is no sound manager or no free slot.
int32_t LoadEventSound(const std::string& path, int copies);
// How many frames of `periodMs` a loaded sound lasts, from its file (the
// same on every machine, whatever the sound device does); 0 for none.
int32_t SoundLengthFrames(int32_t slot, int periodMs);
// How many frames of `periodMs` the wave file at `path` lasts, read from the
// file itself: the same on every machine whether or not a sound device, a
// sound manager or a free slot lets it play there; 0 for a missing or
// unusable file.
int32_t WaveFileFrames(const std::string& path, int periodMs);
