#pragma once
// Builds RIFF WAVE files in memory for the sound tests.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

struct RiffChunk {
  std::string id;  // four characters
  std::vector<uint8_t> body;
  int64_t declaredSize = -1;  // -1: the body's size
};

inline void PutU16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
inline void PutU32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}

inline std::vector<uint8_t> FmtBody(uint16_t channels, uint32_t rate, uint16_t bits,
                                    uint32_t size = 16, uint16_t tag = 1) {
  std::vector<uint8_t> b;
  PutU16(b, tag);
  PutU16(b, channels);
  PutU32(b, rate);
  PutU32(b, rate * channels * (bits / 8u));
  PutU16(b, static_cast<uint16_t>(channels * (bits / 8u)));
  PutU16(b, bits);
  b.resize(size, 0);
  return b;
}

// RIFF/WAVE around the chunks (each padded to an even size).
inline std::vector<uint8_t> BuildRiff(const std::vector<RiffChunk>& chunks,
                                      int64_t riffSize = -1, const char* form = "WAVE") {
  std::vector<uint8_t> body(form, form + 4);
  for (const RiffChunk& c : chunks) {
    body.insert(body.end(), c.id.begin(), c.id.begin() + 4);
    PutU32(body, static_cast<uint32_t>(c.declaredSize >= 0 ? c.declaredSize : c.body.size()));
    body.insert(body.end(), c.body.begin(), c.body.end());
    if (c.body.size() & 1) body.push_back(0);
  }
  std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
  PutU32(out, static_cast<uint32_t>(riffSize >= 0 ? riffSize : body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

inline std::vector<uint8_t> MakeWave(const std::vector<uint8_t>& samples, uint16_t channels,
                                     uint32_t rate, uint16_t bits, uint32_t fmtSize = 16) {
  return BuildRiff({{"fmt ", FmtBody(channels, rate, bits, fmtSize)}, {"data", samples}});
}

inline std::vector<uint8_t> Pcm16(const std::vector<int16_t>& s) {
  std::vector<uint8_t> b(s.size() * 2);
  std::memcpy(b.data(), s.data(), b.size());
  return b;
}

inline void WriteFile(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
