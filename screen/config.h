#pragma once
// The game's configuration: directories and options read from the settings
// store's CONFIG section at start, options written back at exit. Every value
// has a default that works on a fresh install, so an empty store starts a
// playable game.
//
// Directories end in a slash; relative game names ("menu\char.mbm") are
// appended and go through ResolvePath.
#include <cstdint>
#include <string>

#include "base/string.h"

extern String g_exePath;       // EXEPATH: the program's own pictures and sounds
extern String g_dataPath;      // DATAPATH: event data, screenshots
extern String g_videoPath;     // VIDEOPATH: cut-scenes and loading pictures
extern String g_saveGamePath;  // SAVEGAMEPATH: the five save-game slots

extern int32_t g_ddEmulation;      // DDEMULATION (0): 1 plays cut-scenes in the window player
extern int32_t g_highColorVideo;   // HIGHCOLORVIDEO (1): cut-scenes at 16 bits
extern int32_t g_fullScreenVideo;  // FULLSCREENVIDEO (1): cut-scenes scaled to the screen
extern int32_t g_interlacedVideo;  // INTERLACEDVIDEO (0): scan lines on scaled 8-bit cut-scenes
extern int32_t g_highDetail;       // HIGHDETAIL (1)
extern int32_t g_bigViewport;      // BIGVIEWPORT (1)
// MAZEFLOOR (0): 1 draws the 3D maze with a flat floor, 0 textured. This is
// the option only; it is never -1.
extern int32_t g_mazeFloor;
// Nonzero when the options overlay has changed g_mazeFloor during a maze
// event and the running maze has not applied it yet. The maze clears it
// once it has switched its floor. Never stored.
extern int32_t g_mazeFloorPending;

// VOLUME: the game's music and effects level, 0 (silent) .. 9 (full).
inline constexpr int kVolumeSteps = 9;
inline constexpr int kDefaultVolume = 7;
extern int32_t g_volume;

// Nonzero on a machine with less than 15 MB of physical memory: the events
// then load fewer optional pictures and sounds.
inline constexpr uint64_t kLowMemoryBytes = 15728640;
extern int32_t g_lowMemory;
// LoadConfiguration also sets g_spriteLoadFlags (graphics/sprite.h): 0x28,
// or 0x20 when DDEMULATION is set.

// Reads every CONFIG value (missing or unusable values take their defaults),
// sets g_lowMemory and g_spriteLoadFlags and makes the save-game directory.
void LoadConfiguration();
// Writes the options the game changes while it runs: HIGHCOLORVIDEO,
// FULLSCREENVIDEO, INTERLACEDVIDEO, HIGHDETAIL, BIGVIEWPORT, MAZEFLOOR.
// False when the store could not be written.
bool SaveConfiguration();

// The new VOLUME from the options overlay: clamped to 0..9, applied to the
// game's mixer and stored.
void SetVolumeOption(int volume);
// The two mixer gains of start-up: line 0 at 5/9, line 1 at VOLUME/9. Only the
// game's own mixer changes; the system's mixer is never touched.
void ApplyConfiguredMixerVolumes();

// Default directories: <root>/program/, <root>/data/, <root>/video/ where
// root is $KELVANTHROP_DATA_ROOT, else "gamedata" beside the executable; saves
// in $XDG_DATA_HOME/kelvanthrop/ (else ~/.local/share/kelvanthrop/).
std::string DefaultDataRoot();
std::string DefaultSaveGamePath();

// g_lowMemory for tests and unattended runs: 0 or 1 forces it, -1 (the
// default) measures the machine. The KELVANTHROP_LOW_MEMORY environment
// variable (0 or 1) does the same for a whole run.
void OverrideLowMemory(int value);
// Whether a machine with this much physical memory counts as low on memory.
bool IsLowMemory(uint64_t physicalBytes);

// Every configuration global back to its default (tests).
void ResetConfigurationDefaults();
