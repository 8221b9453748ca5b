#include "screen/event_assets.h"

#include <vector>

#include "base/debug.h"
#include "base/pkc.h"
#include "base/string.h"
#include "screen/game_screen_services.h"
#include "sound/sound.h"

std::string EventFilePath(const EventFile& f) {
  return f.inProgramDir ? ShellProgramPath(f.path) : ShellDataPath(f.path);
}

std::string StringTableText(unsigned id, const char* fallback) {
  const char* t = GetStringText(id);
  return (t && *t) ? t : fallback;
}

int32_t LoadEventSound(const std::string& path, int copies) {
  if (!g_soundManager) return -1;
  const int32_t slot = g_soundManager->AllocSlot();
  if (slot >= 0 && !g_soundManager->LoadWaveFile(slot, path.c_str(), 0, copies, 0))
    DebugPrintf("Cannot load the sound %s.\n", path.c_str());
  return slot;
}

int32_t SoundLengthFrames(int32_t slot, int periodMs) {
  if (!g_soundManager || slot < 0 || periodMs <= 0 || !g_soundManager->IsLoaded(slot)) return 0;
  const uint32_t rate = g_soundManager->SampleRate(slot);
  if (rate == 0) return 0;
  const uint64_t ms = uint64_t(g_soundManager->SampleCount(slot)) * 1000u / rate;
  return static_cast<int32_t>(ms / static_cast<uint64_t>(periodMs) + 1);
}

int32_t WaveFileFrames(const std::string& path, int periodMs) {
  // Sounds of an event are a few seconds long; a file larger than this is
  // not read at all.
  constexpr int32_t kLargestWave = 16 << 20;
  if (periodMs <= 0) return 0;
  std::vector<uint8_t> bytes;
  const bool read = PkcReadWhole(path.c_str(), kLargestWave, &bytes) == PkcWhole::kOk;
  WaveInfo info;
  if (!read || !SoundManager::ParseWave(bytes.data(), bytes.size(), &info) || info.samplesPerSec == 0 ||
      info.BlockAlign() == 0)
    return 0;
  const uint64_t ms = uint64_t(info.dataSize / info.BlockAlign()) * 1000u / info.samplesPerSec;
  return static_cast<int32_t>(ms / static_cast<uint64_t>(periodMs) + 1);
}
