#pragma once
// What every event does to load its sounds and texts, with the failures
// named on the debug output: a missing file never stops an event, the piece
// is left out (pictures: LoadSpriteOrNull of graphics/sprite.h).
#include <cstdint>
#include <string>

// A file an event reads: under the data directory, or with inProgramDir 1
// under the program's own directory.
struct EventFile {
  const char* path;
  int inProgramDir;
};
// Where an event's file is on this machine.
std::string EventFilePath(const EventFile& f);

// The announcer's spoken numbers, shared by the events measured in metres:
// zero to twenty, the tens to ninety, "point" and "metres" (EventFile
// initialisers, for an event's table of sounds).
#define KEL_SPOKEN_NUMBER_FILES                                                              \
  {"sounds\\n00.wav", 1}, {"sounds\\n01.wav", 1}, {"sounds\\n02.wav", 1},                    \
  {"sounds\\n03.wav", 1}, {"sounds\\n04.wav", 1}, {"sounds\\n05.wav", 1},                    \
  {"sounds\\n06.wav", 1}, {"sounds\\n07.wav", 1}, {"sounds\\n08.wav", 1},                    \
  {"sounds\\n09.wav", 1}, {"sounds\\n10.wav", 1}, {"sounds\\n11.wav", 1},                    \
  {"sounds\\n12.wav", 1}, {"sounds\\n13.wav", 1}, {"sounds\\n14.wav", 1},                    \
  {"sounds\\n15.wav", 1}, {"sounds\\n16.wav", 1}, {"sounds\\n17.wav", 1},                    \
  {"sounds\\n18.wav", 1}, {"sounds\\n19.wav", 1}, {"sounds\\n20.wav", 1},                    \
  {"sounds\\n30.wav", 1}, {"sounds\\n40.wav", 1}, {"sounds\\n50.wav", 1},                    \
  {"sounds\\n60.wav", 1}, {"sounds\\n70.wav", 1}, {"sounds\\n80.wav", 1},                    \
  {"sounds\\n90.wav", 1}, {"sounds\\npoint.wav", 1}, {"sounds\\nmeter.wav", 1}


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
