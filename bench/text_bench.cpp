// Text drawing: a status band of texts (four names, numbers and labels in
// the status font, as DrawStatusBars draws each frame) against memcpy of the
// same pixels, and against the first, per-pixel way of drawing them
// (tests/support/text_reference.h), measured in the same run. Counters:
// text_over_memcpy, and new_over_old (the new way's time as a share of the
// old way's: 0.25 or less is at least 4x faster).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/batches.h"
#include "graphics/bitmap_font.h"
#include "graphics/surface.h"
#include "tests/support/text_reference.h"

namespace {

struct Placed {
  int x, y;
  std::string text;
};

struct Fixture {
  std::unique_ptr<BitmapFont> font;
  std::unique_ptr<ReferenceFont> reference;
  DDSurface target{640, 480, 4};
  std::vector<Placed> texts;
  std::vector<uint8_t> source = std::vector<uint8_t>(640 * 480, 7);
  std::string label;

  Fixture() {
    // The status font of the generated data, else an installed font of the
    // same size.
    font = std::make_unique<BitmapFont>((std::string(KEL_BINARY_DIR) + "/gamedata/program/menu/char.mbm").c_str());
    label = "menu/char.mbm";
    if (!font->IsValid()) {
      font = std::make_unique<BitmapFont>(32, 96, 14, 0, 700, 0, 0, 0, 1, nullptr);
      label = "installed font, 14 px";
    }
    reference = std::make_unique<ReferenceFont>(font.get());
    const int faceX[4] = {84, 224, 364, 504};
    const char* names[4] = {"ANNA", "BORIS K", "CHLOE", "DMITRI"};
    const char* labels[2] = {"POWER", "SPEED"};
    for (int i = 0; i < 4; ++i) {
      texts.push_back({faceX[i], 402, names[i]});
      texts.push_back({faceX[i] + 2, 420, labels[0]});
      texts.push_back({faceX[i] + 2, 436, labels[1]});
      texts.push_back({faceX[i], 452, std::to_string(1234 + 1111 * i)});
    }
  }
  void DrawNew() {
    font->SetScale(1.0f, 1.0f);
    font->SetFlags(0);
    font->SetInkIndex(-1);
    font->SetPaperIndex(-1);
    for (const Placed& p : texts) font->DrawText(&target, p.x, p.y, p.text.c_str());
  }
  void DrawOld() {
    const TextStyle plain;
    for (const Placed& p : texts) reference->Draw(plain, &target, p.x, p.y, p.text.c_str());
  }
  // The same boxes of pixels, copied row by row.
  void Copy() {
    const int h = font->GetHeight();
    for (const Placed& p : texts) {
      const int w = font->GetTextWidth(p.text.c_str());
      for (int y = 0; y < h; ++y) std::memcpy(target.Row(p.y + y) + p.x, &source[(p.y + y) * 640 + p.x], w);
    }
  }
};

Fixture& GetFixture() {
  static Fixture f;
  return f;
}

void BM_StatusBandText(benchmark::State& state) {
  Fixture& f = GetFixture();
  for (auto _ : state) {
    f.DrawNew();
    benchmark::ClobberMemory();
  }
  state.SetLabel(f.label);
}
BENCHMARK(BM_StatusBandText);

// The three side by side: short batches of each in turn, round after
// round; the fastest batch of each makes the ratios, the rounds' own ratios
// their spread (text_over_memcpy_lo and _hi, new_over_old_lo and _hi).
void BM_StatusBandTextRatios(benchmark::State& state) {
  Fixture& f = GetFixture();
  InterleavedBatches batches(3);
  for (auto _ : state)
    for (int round = 0; round < 200; ++round) {
      batches.Batch(0, 20, [&] { f.Copy(); });
      batches.Batch(1, 20, [&] { f.DrawNew(); });
      batches.Batch(2, 2, [&] { f.DrawOld(); });
    }
  state.counters["new_us"] = batches.Best(1) * 1e6;
  state.counters["old_us"] = batches.Best(2) * 1e6;
  batches.ReportRatio(state, "text_over_memcpy", 1, 0);
  batches.ReportRatio(state, "new_over_old", 1, 2);
  state.SetLabel(f.label);
}
BENCHMARK(BM_StatusBandTextRatios)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
