#include "screen/event_assets.h"

#include "base/debug.h"
#include "base/string.h"
#include "sound/sound.h"

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
