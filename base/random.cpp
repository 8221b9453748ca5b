#include "base/random.h"

namespace {
uint32_t g_state = 1;
int g_last = 0;
}  // namespace

void SeedRandom(uint32_t seed) { g_state = seed; }

int Rand15() {
  g_state = g_state * 214013u + 2531011u;
  g_last = static_cast<int>((g_state >> 16) & 0x7FFF);
  return g_last;
}

double RandomUnit() { return Rand15() / 32767.0; }

int RandomInt(int n) {
  if (n <= 0) {
    Rand15();
    return 0;
  }
  int v = static_cast<int>(RandomUnit() * n);
  return v >= n ? n - 1 : v;
}

int LastRandomValue() { return g_last; }
uint32_t RandomState() { return g_state; }
void SetRandomState(uint32_t state) { g_state = state; }
