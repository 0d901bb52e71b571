#pragma once
// Numbers as the game shows and stores them, and back.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Plain decimal digits, a minus sign when negative, no leading blank.
std::string CountText(int32_t value);

// Shortest text of at most seven significant digits, no trailing zeros, a
// leading zero before the point: 9999, 83.5, 0.5, 123.46.
std::string SingleText(float value);

// A stored count: blanks around it ignored, a fraction rounded half to even.
// nullopt for anything that is not a number or lies outside 32 bits.
std::optional<int32_t> ParseCount(std::string_view text);

// A stored time: blanks around it ignored; nullopt for anything that is not a
// finite decimal number within single range.
std::optional<float> ParseSingle(std::string_view text);

// A value formatted with two decimals ("#####.00") and read back as a Single.
float RoundToHundredths(float value);

}  // namespace platform
