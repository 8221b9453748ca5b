#pragma once
// The game's two mixer volumes. They are gains applied to the whole output of
// the game's own mixer (their product scales every mixed sample); the system's
// mixer is never touched. Both start at 1 (full).
#include <cstdint>

inline constexpr int kMixerLineCount = 2;

// gain 0 (silent) .. 1 (full); other lines are ignored, values are clamped.
void MixerSetMasterGain(int line, float gain);
float MixerGetMasterGain(int line);
// A mixer level on a 0..maxLevel scale as a gain (maxLevel 0 counts as silent).
float MixerLevelToGain(int level, int maxLevel);

// Hundredths of a decibel (0 full, -10000 and below silent) as a linear gain.
float MixerDbToGain(int32_t hundredthsDb);
