#pragma once
// Rnd's numbers, the same on every backend that draws from a 32-bit generator.
#include <cstdint>

namespace platform {

// A number in [0, 1) from one 32-bit draw: 24 bits, so the float is never 1.0.
inline float unitFloat(uint32_t draw) { return static_cast<float>(draw >> 8) * 0x1p-24f; }

}  // namespace platform
