#pragma once
// Sound synthesis for the generator: effects, a small note sequencer and
// spoken words (espeak-ng when installed, tones otherwise). Mono, 22050 Hz.
#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

inline constexpr int kRate = 22050;
using Samples = std::vector<float>;  // -1..1

Samples Tone(double freq, double seconds, int wave, double volume = 0.5);  // wave 0 sine, 1 square, 2 saw, 3 triangle
Samples Sweep(double from, double to, double seconds, int wave, double volume = 0.5);
Samples Noise(double seconds, double volume, uint32_t seed, double smooth = 0.0);
// Noise that swells and dies away: a throw, a swing, a skate's swish.
Samples Whoosh(double seconds, uint32_t seed, double volume = 0.6, double smooth = 0.6);
void Envelope(Samples& s, double attack, double release);
void MixInto(Samples& dst, const Samples& src, double at, double gain = 1.0);
void Append(Samples& dst, const Samples& src);
Samples Silence(double seconds);

// Notes like "C4/4 E4/8 R/8 G#4/2" (R a rest; /n a 1/n note), at `bpm`
// quarter notes a minute; instrument 0 lead, 1 bass, 2 bell.
Samples Melody(const std::string& notes, double bpm, int instrument, double volume = 0.35);
// A bar-long drum pattern over "x.o." text (x kick, o snare, h hat), repeated.
Samples Drums(const std::string& pattern, double bpm, int bars, double volume = 0.4);

// Speech in one of the game's voices (0..6: the six athletes and the judge).
Samples Speak(const std::string& text, int voice);
bool HaveSpeech();

// A blow: a falling square thump with a crack of noise, at `pitch` Hz.
Samples Hit(double pitch, uint32_t seed);

std::vector<int16_t> ToPcm(const Samples& s);

}  // namespace assetgen
