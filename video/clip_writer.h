#pragma once
// Writes small AVI clips (Cinepak or raw pictures, PCM sound) of known
// content: for the tests, the fuzz seeds and the benchmark, which must not
// depend on the generated game data.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct ClipRecipe {
  int width = 64;   // Cinepak needs multiples of 4
  int height = 48;
  int frames = 8;
  int fps = 8;
  bool cinepak = true;  // else raw 24-bit pictures
  // Sound: 16-bit PCM of `soundSamples` samples (0: no sound stream).
  int sampleRate = 22050;
  int channels = 1;
  int soundSamples = 0;
  // Picture i as top-down red-green-blue rows (width * 3 bytes each); by
  // default a colour bar that moves with i.
  std::function<void(int frame, std::vector<uint8_t>* rgb)> picture;
};

// False (with the reason) when the clip cannot be written.
bool WriteClip(const std::string& path, const ClipRecipe& recipe, std::string* error);
