#include "tools/assetgen/audio.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <future>
#include <iterator>
#include <map>
#include <mutex>

extern char** environ;

namespace assetgen {

namespace {

double Wave(int wave, double phase) {
  double f = phase - std::floor(phase);
  switch (wave) {
    case 1: return f < 0.5 ? 1.0 : -1.0;
    case 2: return 2.0 * f - 1.0;
    case 3: return f < 0.5 ? 4.0 * f - 1.0 : 3.0 - 4.0 * f;
    default: return std::sin(2 * M_PI * f);
  }
}

double NoteFreq(const std::string& n) {
  static const int kSemis[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (n.empty() || n[0] < 'A' || n[0] > 'G') return 0;
  int semi = kSemis[n[0] - 'A'];
  size_t i = 1;
  if (i < n.size() && n[i] == '#') { ++semi; ++i; }
  if (i < n.size() && n[i] == 'b') { --semi; ++i; }
  int octave = i < n.size() ? n[i] - '0' : 4;
  int midi = 12 * (octave + 1) + semi;
  return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// A file of its own for one utterance: parts speak side by side.
std::string ScratchWave() {
  const char* dir = std::getenv("TMPDIR");
  std::string name = std::string(dir && *dir ? dir : "/tmp") + "/assetgen-say-XXXXXX.wav";
  const int fd = mkstemps(name.data(), 4);
  if (fd < 0) return "";
  close(fd);
  return name;
}

// Reads a 16-bit mono WAVE written by espeak-ng.
Samples ReadWave(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Samples s;
  size_t at = 12;
  int rate = kRate;
  while (at + 8 <= b.size()) {
    uint32_t len = uint32_t(b[at + 4]) | b[at + 5] << 8 | b[at + 6] << 16 | uint32_t(b[at + 7]) << 24;
    if (std::memcmp(&b[at], "fmt ", 4) == 0 && at + 16 <= b.size())
      rate = int(b[at + 12] | b[at + 13] << 8 | b[at + 14] << 16);
    if (std::memcmp(&b[at], "data", 4) == 0) {
      size_t end = std::min(b.size(), at + 8 + size_t(len));
      for (size_t i = at + 8; i + 1 < end; i += 2) s.push_back(int16_t(b[i] | b[i + 1] << 8) / 32768.0f);
      break;
    }
    at += 8 + len + (len & 1);
  }
  if (rate != kRate && rate > 0 && !s.empty()) {  // plain linear resampling
    Samples r(size_t(double(s.size()) * kRate / rate));
    for (size_t i = 0; i < r.size(); ++i) {
      double src = double(i) * rate / kRate;
      size_t j = size_t(src);
      double f = src - double(j);
      float a = s[std::min(j, s.size() - 1)], c = s[std::min(j + 1, s.size() - 1)];
      r[i] = float(a + (c - a) * f);
    }
    s.swap(r);
  }
  return s;
}

}  // namespace

Samples Silence(double seconds) { return Samples(size_t(seconds * kRate), 0.0f); }

Samples Tone(double freq, double seconds, int wave, double volume) {
  Samples s(size_t(seconds * kRate));
  for (size_t i = 0; i < s.size(); ++i) s[i] = float(volume * Wave(wave, freq * double(i) / kRate));
  return s;
}

Samples Sweep(double from, double to, double seconds, int wave, double volume) {
  Samples s(size_t(seconds * kRate));
  double phase = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    double t = double(i) / s.size();
    phase += (from + (to - from) * t) / kRate;
    s[i] = float(volume * Wave(wave, phase));
  }
  return s;
}

Samples Noise(double seconds, double volume, uint32_t seed, double smooth) {
  Samples s(size_t(seconds * kRate));
  uint32_t x = seed * 2654435761u + 12345u;
  float prev = 0;
  for (float& v : s) {
    x = x * 1664525u + 1013904223u;
    float n = float(int32_t(x >> 8) - (1 << 23)) / float(1 << 23);
    prev = float(prev * smooth + n * (1.0 - smooth));
    v = float(prev * volume);
  }
  return s;
}

Samples Whoosh(double seconds, uint32_t seed, double volume, double smooth) {
  Samples s = Noise(seconds, volume, seed, smooth);
  for (size_t i = 0; i < s.size(); ++i) s[i] = float(s[i] * std::sin(M_PI * double(i) / double(s.size())));
  return s;
}

void Envelope(Samples& s, double attack, double release) {
  size_t a = size_t(attack * kRate), r = size_t(release * kRate);
  for (size_t i = 0; i < s.size(); ++i) {
    double g = 1.0;
    if (i < a) g = double(i) / a;
    if (i + r > s.size()) g *= double(s.size() - i) / r;
    s[i] = float(s[i] * g);
  }
}

void MixInto(Samples& dst, const Samples& src, double at, double gain) {
  size_t o = size_t(at * kRate);
  if (dst.size() < o + src.size()) dst.resize(o + src.size(), 0.0f);
  for (size_t i = 0; i < src.size(); ++i) dst[o + i] += float(src[i] * gain);
}

void Append(Samples& dst, const Samples& src) { dst.insert(dst.end(), src.begin(), src.end()); }

Samples Melody(const std::string& notes, double bpm, int instrument, double volume) {
  Samples out;
  double beat = 60.0 / bpm;
  size_t i = 0;
  while (i < notes.size()) {
    while (i < notes.size() && notes[i] == ' ') ++i;
    size_t j = notes.find(' ', i);
    if (j == std::string::npos) j = notes.size();
    std::string tok = notes.substr(i, j - i);
    i = j;
    if (tok.empty()) continue;
    size_t slash = tok.find('/');
    double len = beat * 4.0 / (slash == std::string::npos ? 4.0 : std::atof(tok.c_str() + slash + 1));
    std::string name = tok.substr(0, slash);
    Samples n;
    double f = NoteFreq(name);
    if (name == "R" || f <= 0) {
      n = Silence(len);
    } else if (instrument == 1) {
      n = Tone(f, len, 3, volume);
      Envelope(n, 0.005, len * 0.3);
    } else if (instrument == 2) {
      n = Tone(f, len, 0, volume);
      Samples o = Tone(f * 2.0, len, 0, volume * 0.3);
      MixInto(n, o, 0);
      for (size_t k = 0; k < n.size(); ++k) n[k] = float(n[k] * std::exp(-4.0 * double(k) / kRate));
    } else {
      n = Tone(f, len, 1, volume * 0.6);
      MixInto(n, Tone(f * 1.005, len, 2, volume * 0.3), 0);
      Envelope(n, 0.01, len * 0.25);
    }
    Append(out, n);
  }
  return out;
}

Samples Drums(const std::string& pattern, double bpm, int bars, double volume) {
  double step = 60.0 / bpm / 4.0;  // sixteenth notes
  Samples out = Silence(step * double(pattern.size()) * bars);
  for (int b = 0; b < bars; ++b)
    for (size_t i = 0; i < pattern.size(); ++i) {
      double at = (double(b) * pattern.size() + i) * step;
      Samples hit;
      if (pattern[i] == 'x') {
        hit = Sweep(150, 40, 0.15, 0, volume);
        Envelope(hit, 0.001, 0.12);
      } else if (pattern[i] == 'o') {
        hit = Noise(0.12, volume * 0.7, uint32_t(i + 7 * b), 0.2);
        Envelope(hit, 0.001, 0.1);
      } else if (pattern[i] == 'h') {
        hit = Noise(0.04, volume * 0.3, uint32_t(i + 3 * b + 99), 0.0);
        Envelope(hit, 0.001, 0.03);
      } else {
        continue;
      }
      MixInto(out, hit, at);
    }
  return out;
}

bool HaveSpeech() {
  static const bool have = std::system("command -v espeak-ng >/dev/null 2>&1") == 0;
  return have;
}

namespace {

Samples Synthesise(const std::string& text, int voice) {
  // Voice, pitch and speed of each athlete, then the judge.
  static const struct { const char* voice; int pitch, speed; } kVoices[7] = {
      {"en+m3", 25, 140}, {"en+m7", 10, 150}, {"en+m1", 35, 165}, {"en+f2", 60, 160},
      {"en+m4", 80, 185}, {"en+m5", 99, 135}, {"en+m2", 45, 150}};
  const auto& v = kVoices[std::clamp(voice, 0, 6)];
  if (HaveSpeech()) {
    const std::string file = ScratchWave();
    std::string pitch = std::to_string(v.pitch), speed = std::to_string(v.speed);
    const char* argv[] = {"espeak-ng", "-w", file.c_str(), "-v", v.voice, "-p", pitch.c_str(),
                          "-s", speed.c_str(), "--", text.c_str(), nullptr};
    // posix_spawn, not fork: cheap even from a large process.
    pid_t pid = -1;
    if (file.empty() ||
        posix_spawnp(&pid, "espeak-ng", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0)
      pid = -1;
    int status = 0;
    const bool spoken =
        pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    Samples s = spoken ? ReadWave(file) : Samples{};
    if (!file.empty()) std::remove(file.c_str());
    if (spoken) {
      // The synthesiser pads with silence; the announcer strings words
      // together, so keep only a breath of it.
      size_t first = 0, last = s.size();
      while (first < last && std::fabs(s[first]) < 0.01f) ++first;
      while (last > first && std::fabs(s[last - 1]) < 0.01f) --last;
      const size_t pad = kRate / 50;
      first = first > pad ? first - pad : 0;
      last = std::min(s.size(), last + pad);
      s = Samples(s.begin() + first, s.begin() + last);
      if (!s.empty()) {
        for (float& x : s) x = std::clamp(x * 1.4f, -1.0f, 1.0f);
        return s;
      }
    }
  }
  // Without a speech synthesiser: one chirp per syllable-ish chunk of text.
  Samples out;
  double base = 110 + 30 * voice;
  int n = 0;
  for (char c : text)
    if (c == ' ' || c == '!' || c == '?') ++n;
  n = std::clamp(n + 1, 1, 8);
  for (int i = 0; i < n; ++i) {
    Samples t = Sweep(base * (1.2 + 0.1 * (i % 3)), base, 0.14, 3, 0.45);
    Envelope(t, 0.01, 0.05);
    Append(out, t);
    Append(out, Silence(0.04));
  }
  return out;
}

}  // namespace

Samples Speak(const std::string& text, int voice) {
  // The same words in the same voice come up in several events: each is
  // spoken once, and a part that asks while another part's thread speaks
  // them waits for those.
  static std::mutex mutex;
  static std::map<std::pair<std::string, int>, std::shared_future<Samples>> said;
  std::promise<Samples> promise;
  std::shared_future<Samples> earlier;
  {
    std::lock_guard<std::mutex> lock(mutex);
    auto [it, fresh] = said.insert({{text, voice}, {}});
    if (fresh)
      it->second = promise.get_future().share();
    else
      earlier = it->second;
  }
  if (earlier.valid()) return earlier.get();
  Samples s = Synthesise(text, voice);
  promise.set_value(s);
  return s;
}

Samples Hit(double pitch, uint32_t seed) {
  Samples s = Sweep(pitch, pitch * 0.4, 0.2, 1, 0.5);
  Envelope(s, 0.002, 0.15);
  Samples n = Noise(0.12, 0.4, seed, 0.4);
  Envelope(n, 0.001, 0.1);
  MixInto(s, n, 0);
  return s;
}

std::vector<int16_t> ToPcm(const Samples& s) {
  std::vector<int16_t> p(s.size());
  for (size_t i = 0; i < s.size(); ++i) p[i] = int16_t(std::lround(std::clamp(s[i], -1.0f, 1.0f) * 32767.0f));
  return p;
}

}  // namespace assetgen
