#pragma once
// The project-wide random generator: a 15-bit linear congruential generator
// (values 0..32767), one per program, deterministic from its seed. Every draw
// that decides game state goes through here so that all machines of a network
// game draw the same sequence. The C library's rand() is never used.
#include <cstdint>

void SeedRandom(uint32_t seed);
// Next raw value, 0..32767 (the game's stand-in for the runtime's rand()).
int Rand15();
// Rand15() / 32767.0, in [0, 1]; remembers the raw value.
double RandomUnit();
// Integer part of RandomUnit() * n, lowered to n - 1 when it equals n (n <= 0 gives 0).
int RandomInt(int n);
// The raw value of the last draw.
int LastRandomValue();
// The generator's whole state, so that tests and network checks can compare it.
uint32_t RandomState();
void SetRandomState(uint32_t state);
