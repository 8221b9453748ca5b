// Fuzz target for the cut-scene reader: any bytes opened as a clip from
// memory, its pictures decoded and converted (in both depths, to every
// destination), its sound decoded, and the clip played through the
// playback's clock and a streaming sound slot on the null sound device.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/clock.h"
#include "base/debug.h"
#include "platform/audio.h"
#include "sound/sound.h"
#include "video/avi_decoder.h"
#include "video/clip_playback.h"
#include "video/rgb_convert.h"

namespace {

constexpr int kMaxPictures = 24;

struct Harness {
  VirtualClock clock;
  Harness() {
    SetClock(&clock);
    SetDebugSink([](const std::string&) {});  // refusals are expected here
    AudioSetBackend(AudioBackend::kNull);
    g_soundManager = new SoundManager(nullptr);
    g_soundManager->Enable(1);
  }
};

void Draw(const uint8_t* bits, int width, int height, int bitCount, int variant) {
  static std::vector<uint8_t> target;
  const int formats[3] = {4, 7, 9};
  const int format = formats[variant % 3];
  const int bpp = format == 4 ? 1 : 2;
  const int w = 96, h = 72;
  target.assign(static_cast<size_t>(w) * h * bpp, 0);
  VideoFrameDest dest{target.data(), w * bpp, w, h, format};
  ConvertVideoFrame(BottomUpFrame(bits, width, height, bitCount), dest, variant % 7, variant % 5,
                    static_cast<VideoScaleMode>(variant % 3));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Harness* h = new Harness();  // lives for the whole run
  const int variant = static_cast<int>(size % 97);

  AviDecoder decoder;
  std::string error;
  if (decoder.OpenMemory(data, size, &error)) {
    if (decoder.Width() <= 0 || decoder.Width() > kMaxClipWidth || decoder.Height() <= 0 ||
        decoder.Height() > kMaxClipHeight)
      __builtin_trap();
    decoder.SetOutputBits(variant & 1 ? 24 : 16);
    int64_t last = -1;
    for (int i = 0; i < kMaxPictures; ++i) {
      int64_t ms = 0;
      if (decoder.Next(&ms) != AviDecoder::kFrame) break;
      if (ms < last) __builtin_trap();  // times never go backwards
      last = ms;
      Draw(decoder.Bits(), decoder.Width(), decoder.Height(), decoder.OutputBits(), variant + i);
    }
    ClipSound sound;
    if (decoder.DecodeSound(&sound, &error)) {
      if (sound.wave.size() != 44 + size_t{sound.dataBytes}) __builtin_trap();
      if (sound.channels < 1 || sound.channels > 2) __builtin_trap();
    }
  }

  // The whole playback on the clock: it must end by itself.
  ClipPlayback playback;
  if (playback.OpenMemory(data, size, &error)) {
    playback.SetOutputBits(variant & 2 ? 24 : 16);
    playback.Start();
    for (int step = 0; step < 64 && playback.IsRunning(); ++step) {
      int wait = playback.Update([&](const uint8_t* bits, int w, int ht, int bitCount) {
        Draw(bits, w, ht, bitCount, variant + step);
      });
      h->clock.Advance(wait > 0 ? static_cast<uint32_t>(wait) : 50u);
      if (step == 3) {
        playback.Pause();
        playback.Start();
      }
    }
  }
  playback.Close();
  return 0;
}
