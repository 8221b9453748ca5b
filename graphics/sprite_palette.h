#pragma once
// Nearest-colour tables between 256-entry RGBQUAD palettes (blue, green, red, 0),
// used by sprite palette matching, fonts and tile pictures.
#include <cstdint>

// table[i] = the entry of `target` among first .. first + count - 1 nearest (by
// squared RGB distance, lowest index on a tie) to source entry i. With
// keepTransparent, index 1 maps to itself and no other colour may map to
// index 1. The range is clamped to 0..255; an empty range gives the identity.
void BuildNearestTable(const uint8_t* sourceQuads, const uint8_t* targetQuads, int first, int count,
                       bool keepTransparent, uint8_t table[256]);

// The entry among first .. first + count - 1 nearest to (red, green, blue).
int NearestQuad(const uint8_t* quads, int first, int count, int red, int green, int blue,
                int excluded = -1);
