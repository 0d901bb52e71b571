#pragma once
// Small text rules shared by the INI service and the number texts.
#include <string_view>

namespace platform {

// Blanks as a line of an INI file has them around names and values.
inline constexpr std::string_view kBlanksAndTabs = " \t";
// Blanks as a number text may have them around it: line ends too.
inline constexpr std::string_view kWhiteSpace = " \t\r\n";

// The text without any of `blanks` at either end.
constexpr std::string_view trimBlanks(std::string_view text, std::string_view blanks = kBlanksAndTabs) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace platform
