// Cost of a cut-scene picture: decoding one picture of a 320x240 clip (the
// game's intro when the generated data is there, else a Cinepak clip written
// here), converting it into the 640x480 display in each mode the players
// use, and both together. The "period_share" counter is the time per
// picture as a fraction of the clip's own picture period (target: below
// 0.1).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/debug.h"
#include "graphics/surface.h"
#include "video/avi_decoder.h"
#include "video/avi_draw_player.h"
#include "video/clip_writer.h"
#include "video/rgb_convert.h"

namespace {

const std::string& BenchClip() {
  static const std::string path = [] {
    std::string intro = std::string(KEL_BINARY_DIR) + "/gamedata/video/intro1.avi";
    if (std::filesystem::exists(intro)) return intro;
    std::string p = std::string(KEL_BINARY_DIR) + "/bench-clip-320x240.avi";
    if (std::filesystem::exists(p)) return p;
    ClipRecipe recipe;
    recipe.width = 320;
    recipe.height = 240;
    recipe.frames = 16;
    recipe.fps = 8;
    recipe.picture = [](int i, std::vector<uint8_t>* rgb) {
      for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
          uint8_t* px = &(*rgb)[(static_cast<size_t>(y) * 320 + x) * 3];
          px[0] = static_cast<uint8_t>(x + i * 8);
          px[1] = static_cast<uint8_t>(y * 2);
          px[2] = static_cast<uint8_t>((x ^ y) + i);
        }
    };
    std::string error;
    if (!WriteClip(p, recipe, &error)) DebugPrintf("bench clip: %s\n", error.c_str());
    return p;
  }();
  return path;
}

// Times the loop itself, so that the share comes out as a plain number.
class ShareTimer {
 public:
  ShareTimer() : start_(std::chrono::steady_clock::now()) {}
  void Report(benchmark::State& state, int periodMs) const {
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    double perPicture = state.iterations() > 0 ? seconds / static_cast<double>(state.iterations()) : 0;
    state.counters["period_ms"] = periodMs;
    state.counters["period_share"] = periodMs > 0 ? perPicture * 1000.0 / periodMs : 0;
  }

 private:
  std::chrono::steady_clock::time_point start_;
};

// Decodes the next picture, starting over at the clip's end.
bool NextPicture(AviDecoder& decoder, int bits) {
  int64_t ms = 0;
  if (decoder.Next(&ms) == AviDecoder::kFrame) return true;
  std::string error;
  if (!decoder.Open(BenchClip(), &error)) return false;
  decoder.SetOutputBits(bits);
  return decoder.Next(&ms) == AviDecoder::kFrame;
}

void BM_VideoDecode(benchmark::State& state) {
  const int bits = static_cast<int>(state.range(0));
  AviDecoder decoder;
  std::string error;
  if (!decoder.Open(BenchClip(), &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  decoder.SetOutputBits(bits);
  ShareTimer timer;
  for (auto _ : state) {
    if (!NextPicture(decoder, bits)) {
      state.SkipWithError("the clip does not decode");
      return;
    }
    benchmark::DoNotOptimize(decoder.Bits());
  }
  timer.Report(state, decoder.FramePeriodMs());
}
BENCHMARK(BM_VideoDecode)->Arg(16)->Arg(24)->Unit(benchmark::kMicrosecond);

// The converters alone: args are the destination format, the scale mode
// and the source depth.
void BM_VideoConvert(benchmark::State& state) {
  const int format = static_cast<int>(state.range(0));
  const auto mode = static_cast<VideoScaleMode>(state.range(1));
  const int bits = static_cast<int>(state.range(2));
  AviDecoder decoder;
  std::string error;
  if (!decoder.Open(BenchClip(), &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  decoder.SetOutputBits(bits);
  NextPicture(decoder, bits);
  DDSurface target(640, 480, format);
  uint8_t* pixels = nullptr;
  int pitch = 0;
  target.Lock(&pixels, &pitch);
  VideoFrameDest dest{pixels, pitch, 640, 480, format};
  VideoFrameSource src = BottomUpFrame(decoder.Bits(), decoder.Width(), decoder.Height(), bits);
  ShareTimer timer;
  for (auto _ : state) {
    ConvertVideoFrame(src, dest, 0, 0, mode);
    benchmark::DoNotOptimize(pixels);
  }
  timer.Report(state, decoder.FramePeriodMs());
  target.Unlock();
}
BENCHMARK(BM_VideoConvert)
    ->Args({4, kVideoScale1x, 24})
    ->Args({4, kVideoScale2xScanLines, 24})
    ->Args({4, kVideoScale2xDoubled, 16})
    ->Args({9, kVideoScale1x, 16})
    ->Args({9, kVideoScale2xDoubled, 16})
    ->Args({7, kVideoScale2xDoubled, 16})
    ->Unit(benchmark::kMicrosecond);

// A whole picture as the draw player handles it full screen: decoded, then
// drawn at 2x into a 640x480 surface (8-bit through the pair table from
// 24-bit pictures, or 16-bit RGB565 from RGB555 ones). The figure checked
// against the target is the first, the dearer of the two.
void BM_VideoDecodeFrame(benchmark::State& state) {
  const int format = state.range(0) == 8 ? 4 : 9;
  const int bits = format == 4 ? 24 : 16;
  AviDecoder decoder;
  std::string error;
  if (!decoder.Open(BenchClip(), &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  decoder.SetOutputBits(bits);
  DDSurface target(640, 480, format);
  uint8_t* pixels = nullptr;
  int pitch = 0;
  target.Lock(&pixels, &pitch);
  VideoFrameDest dest{pixels, pitch, 640, 480, format};
  ShareTimer timer;
  for (auto _ : state) {
    if (!NextPicture(decoder, bits)) {
      state.SkipWithError("the clip does not decode");
      break;
    }
    ConvertVideoFrame(BottomUpFrame(decoder.Bits(), decoder.Width(), decoder.Height(), bits), dest,
                      0, 0, kVideoScale2xDoubled);
    benchmark::DoNotOptimize(pixels);
  }
  timer.Report(state, decoder.FramePeriodMs());
  target.Unlock();
}
BENCHMARK(BM_VideoDecodeFrame)->ArgName("depth")->Arg(8)->Arg(16)->Unit(benchmark::kMicrosecond);

}  // namespace
