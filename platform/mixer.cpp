#include "platform/mixer.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "base/clock.h"
#include "platform/mixer_core.h"

namespace {
std::atomic<float> g_masterGain[kMixerLineCount] = {1.0f, 1.0f};
constexpr float kFracScale = 1.0f / 4294967296.0f;
}  // namespace

void MixerSetMasterGain(int line, float gain) {
  if (line < 0 || line >= kMixerLineCount) return;
  if (!(gain > 0.0f)) gain = 0.0f;  // also catches NaN
  if (gain > 1.0f) gain = 1.0f;
  g_masterGain[line].store(gain);
}

float MixerGetMasterGain(int line) {
  if (line < 0 || line >= kMixerLineCount) return 0.0f;
  return g_masterGain[line].load();
}

float MixerLevelToGain(int level, int maxLevel) {
  if (maxLevel <= 0 || level <= 0) return 0.0f;
  if (level >= maxLevel) return 1.0f;
  return static_cast<float>(level) / static_cast<float>(maxLevel);
}

float MixerDbToGain(int32_t hundredthsDb) {
  if (hundredthsDb <= kAudioVolumeMin) return 0.0f;
  if (hundredthsDb >= 0) return 1.0f;
  return static_cast<float>(std::pow(10.0, hundredthsDb / 2000.0));
}

void AudioVoice::UpdateGains() {
  float g = MixerDbToGain(volume);
  gainLeft = g * (pan > 0 ? MixerDbToGain(-pan) : 1.0f);
  gainRight = g * (pan < 0 ? MixerDbToGain(pan) : 1.0f);
}

namespace {

template <int Bits, int Channels>
inline void Fetch(const uint8_t* d, uint32_t frame, float& l, float& r) {
  if constexpr (Bits == 8) {
    const uint8_t* p = d + static_cast<size_t>(frame) * Channels;
    l = static_cast<float>((static_cast<int>(p[0]) - 128) * 256);
    r = Channels == 2 ? static_cast<float>((static_cast<int>(p[1]) - 128) * 256) : l;
  } else {
    const uint8_t* p = d + static_cast<size_t>(frame) * Channels * 2;
    int16_t s[2] = {0, 0};
    std::memcpy(s, p, Channels * 2);
    l = static_cast<float>(s[0]);
    r = Channels == 2 ? static_cast<float>(s[1]) : l;
  }
}

template <int Bits, int Channels>
void MixT(AudioVoice& v, uint64_t step, float* acc, uint32_t count) {
  const uint8_t* d = v.data->data();
  const uint32_t frames = v.frames;
  const uint64_t end = static_cast<uint64_t>(frames) << 32;
  const bool loop = v.looping;
  const float gl = v.gainLeft;
  const float gr = v.gainRight;
  uint64_t pos = v.pos;
  for (uint32_t k = 0; k < count; ++k) {
    uint32_t i = static_cast<uint32_t>(pos >> 32);
    uint32_t frac = static_cast<uint32_t>(pos);
    float l0, r0;
    Fetch<Bits, Channels>(d, i, l0, r0);
    if (frac != 0) {
      uint32_t j = i + 1;
      if (j >= frames) j = loop ? 0 : i;
      float l1, r1;
      Fetch<Bits, Channels>(d, j, l1, r1);
      float f = static_cast<float>(frac) * kFracScale;
      l0 += (l1 - l0) * f;
      r0 += (r1 - r0) * f;
    }
    acc[2 * k] += l0 * gl;
    acc[2 * k + 1] += r0 * gr;
    pos += step;
    if (pos >= end) {
      if (loop) {
        pos %= end;
      } else {
        v.playing = false;
        pos = 0;
        break;
      }
    }
  }
  v.pos = pos;
}

uint64_t StepFor(const AudioVoice& v, uint32_t outRate) {
  return (static_cast<uint64_t>(v.Rate()) << 32) / (outRate ? outRate : 1);
}

}  // namespace

void MixVoice(AudioVoice& v, uint32_t outRate, float* acc, uint32_t frames) {
  if (!v.playing || v.frames == 0 || !v.data) return;
  uint64_t step = StepFor(v, outRate);
  if (v.format.bitsPerSample == 8) {
    if (v.format.channels == 2) MixT<8, 2>(v, step, acc, frames);
    else MixT<8, 1>(v, step, acc, frames);
  } else {
    if (v.format.channels == 2) MixT<16, 2>(v, step, acc, frames);
    else MixT<16, 1>(v, step, acc, frames);
  }
}

void AdvanceVoice(AudioVoice& v, uint32_t outRate, uint64_t frames) {
  if (!v.playing || v.frames == 0) return;
  unsigned __int128 step = StepFor(v, outRate);
  unsigned __int128 end = static_cast<unsigned __int128>(v.frames) << 32;
  unsigned __int128 next = static_cast<unsigned __int128>(v.pos) + step * frames;
  if (next < end) {
    v.pos = static_cast<uint64_t>(next);
  } else if (v.looping) {
    v.pos = static_cast<uint64_t>(next % end);
  } else {
    v.playing = false;
    v.pos = 0;
  }
}

void AudioCore::RenderLocked(int16_t* out, uint32_t frames) {
  framesMixed += frames;
  if (!out) {
    for (AudioVoice* v : voices) AdvanceVoice(*v, rate, frames);
    return;
  }
  scratch.assign(static_cast<size_t>(frames) * 2, 0.0f);
  for (AudioVoice* v : voices) {
    if (!v->playing) continue;
    if (v->gainLeft == 0.0f && v->gainRight == 0.0f) {
      AdvanceVoice(*v, rate, frames);
    } else {
      MixVoice(*v, rate, scratch.data(), frames);
    }
  }
  float master = MixerGetMasterGain(0) * MixerGetMasterGain(1);
  for (size_t i = 0; i < scratch.size(); ++i) {
    float s = std::nearbyint(scratch[i] * master);
    out[i] = static_cast<int16_t>(std::clamp(s, -32768.0f, 32767.0f));
  }
}

void AudioCore::CatchUpLocked() {
  if (!isNull) return;
  uint32_t now = TimeGetTime();
  uint32_t delta = now - lastMs;
  lastMs = now;
  if (delta >= 0x80000000u) return;  // the clock was set back: nothing is owed
  elapsedMs += delta;
  uint64_t target = elapsedMs * rate / 1000;
  if (target <= framesMixed) return;
  uint64_t owed = target - framesMixed;
  if (!capture) {
    // Nobody listens: move every voice on in one exact step.
    for (AudioVoice* v : voices) AdvanceVoice(*v, rate, owed);
    framesMixed += owed;
    return;
  }
  // Keep at most ten minutes of captured sound per catch-up.
  uint64_t limit = static_cast<uint64_t>(rate) * 600;
  if (owed > limit) {
    uint64_t skip = owed - limit;
    for (AudioVoice* v : voices) AdvanceVoice(*v, rate, skip);
    framesMixed += skip;
    owed = limit;
  }
  while (owed > 0) {
    uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(owed, chunkFrames));
    size_t at = captured.size();
    captured.resize(at + static_cast<size_t>(n) * 2);
    RenderLocked(captured.data() + at, n);
    owed -= n;
  }
}
