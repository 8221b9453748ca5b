#pragma once
// Inside of the mixer shared by the real and the null device (not for callers:
// use platform/audio.h).
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio.h"

struct AudioVoice {
  std::shared_ptr<std::vector<uint8_t>> data;  // shared with duplicates
  AudioFormat format;
  uint32_t frames = 0;   // data size / block align
  uint32_t flags = 0;
  uint64_t pos = 0;      // play position in frames, 32.32 fixed point
  bool playing = false;
  bool looping = false;
  bool lost = false;
  int32_t volume = 0;
  int32_t pan = 0;
  uint32_t frequency = 0;  // 0 = the format's own rate
  float gainLeft = 1.0f;
  float gainRight = 1.0f;

  uint32_t Rate() const { return frequency ? frequency : format.samplesPerSec; }
  void UpdateGains();
};

struct AudioCore {
  std::mutex mutex;
  std::vector<AudioVoice*> voices;
  uint32_t rate = 22050;
  bool isNull = true;
  uint32_t chunkFrames = 512;  // at most kAudioMaxStepMs of output

  // Null device clock keeping.
  uint32_t lastMs = 0;
  uint64_t elapsedMs = 0;
  uint64_t framesMixed = 0;
  bool capture = false;
  std::vector<int16_t> captured;
  AudioLossMode lossMode = AudioLossMode::kNone;

  std::vector<float> scratch;

  // Null device: mixes up to the clock's now. Call with the mutex held.
  void CatchUpLocked();
  // Mixes `frames` frames of every playing voice into out (interleaved
  // stereo), advancing the voices. out may be null: voices only advance.
  void RenderLocked(int16_t* out, uint32_t frames);
};

// Mixes one voice into a float accumulator (interleaved stereo) and advances
// it; a non-looping voice that reaches its end stops with its cursor at 0.
void MixVoice(AudioVoice& v, uint32_t outRate, float* acc, uint32_t frames);
// Advances a voice exactly as MixVoice would, without mixing.
void AdvanceVoice(AudioVoice& v, uint32_t outRate, uint64_t frames);
