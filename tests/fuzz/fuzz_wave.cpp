// Fuzz target for the WAVE reader: any bytes, parsed directly and loaded into a
// sound slot (static and streaming) that is then played, fed and peeked.
#include <cstddef>
#include <cstdint>

#include "base/clock.h"
#include "base/debug.h"
#include "platform/audio.h"
#include "sound/sound.h"

namespace {
struct Harness {
  VirtualClock clock;
  SoundManager* sm = nullptr;
  int slot = -1;
  Harness() {
    SetClock(&clock);
    SetDebugSink([](const std::string&) {});  // refusals are expected here
    AudioSetBackend(AudioBackend::kNull);
    sm = new SoundManager(nullptr);
    sm->Enable(1);
    slot = sm->AllocSlot();
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Harness* h = new Harness();  // lives for the whole run
  WaveInfo info;
  if (SoundManager::ParseWave(data, size, &info)) {
    // What the reader accepts lies inside the bytes and is whole frames.
    if (static_cast<uint64_t>(info.dataOffset) + info.dataSize > size) __builtin_trap();
    if (info.dataSize == 0 || info.dataSize % info.BlockAlign() != 0) __builtin_trap();
  }
  SoundManager& sm = *h->sm;
  int streaming = size & 1;
  if (sm.LoadWaveMemory(h->slot, data, size, streaming, 3, 0)) {
    sm.Play(h->slot, static_cast<int32_t>(size * 13), -300, -200, size & 2 ? 11025 : 999999, 1);
    for (int i = 0; i < 4; ++i) {
      h->clock.Advance(40);
      sm.FeedAllStreams();
    }
    sm.PeekSample(h->slot, static_cast<int32_t>(size * 7));
    sm.PeekSample(h->slot, -5);
    sm.GetPosition(h->slot);
    sm.Stop(h->slot);
  }
  sm.Unload(h->slot);
  return 0;
}
