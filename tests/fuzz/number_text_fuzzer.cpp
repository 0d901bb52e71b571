// Fuzz target: the number texts of platform/number_text.h.
//
// The whole input is parsed as a stored value:
// - ParseCount and ParseSingle never crash;
// - they accept exactly the decimal numbers "[+-] digits [. digits]
//   [(e|E) [+-] digits]" (at least one mantissa digit) with blanks (space,
//   tab, CR, LF) around them, judged by a separate grammar check;
// - for an accepted text, ParseSingle lies within half a float step of what
//   strtod reads, and ParseCount within one half (the rounding) of it; a count
//   well inside 32 bits and a single well inside float range are never
//   refused, and numbers beyond them always are; for texts of at most 15
//   significant digits the count is exactly the value rounded half to even.
// The first four bytes, read as an int32 and as a float bit pattern (and the
// last four as another float):
// - CountText is plain decimal (no leading zero, no blank, "-" only when
//   negative) and ParseCount reads it back exactly, with or without blanks;
// - SingleText of a finite float: no leading blank, at most seven significant
//   digits, no trailing zeros after a point, a digit on both sides of a point,
//   "E+dd"/"E-dd" exponents; its value is exactly the float rounded to seven
//   significant digits (as printf's %.7g rounds it), and ParseSingle reads it
//   back within that rounding (relative error at most 5e-7, plus the float
//   step);
// - RoundToHundredths stays within 0.005 (plus a float step) of its argument,
//   keeps NaN and infinities, and is idempotent on its own output.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/number_text.h"

namespace {

using fuzz::escaped;
using platform::CountText;
using platform::ParseCount;
using platform::ParseSingle;
using platform::RoundToHundredths;
using platform::SingleText;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::size_t skipDigits(std::string_view s, std::size_t i) {
    while (i < s.size() && isDigit(s[i])) ++i;
    return i;
}

// The decimal grammar, checked on its own.
bool isDecimal(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t integerEnd = skipDigits(s, i);
    std::size_t mantissaDigits = integerEnd - i;
    i = integerEnd;
    if (i < s.size() && s[i] == '.') {
        const std::size_t fractionEnd = skipDigits(s, i + 1);
        mantissaDigits += fractionEnd - (i + 1);
        i = fractionEnd;
    }
    if (mantissaDigits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        const std::size_t exponentEnd = skipDigits(s, i);
        if (exponentEnd == i) return false;
        i = exponentEnd;
    }
    return i == s.size();
}

// Digits of the mantissa without leading and trailing zeros.
std::size_t significantDigits(std::string_view s) {
    std::string digits;
    for (const char c : s) {
        if (c == 'e' || c == 'E') break;
        if (isDigit(c) && !(digits.empty() && c == '0')) digits.push_back(c);
    }
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    return digits.size();
}

std::string show(std::optional<float> v) {
    if (!v) return "(none)";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(*v));
    return buffer;
}

std::string show(std::optional<std::int32_t> v) { return v ? std::to_string(*v) : "(none)"; }

std::string show(double d) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", d);
    return buffer;
}

void checkParsing(std::string_view text) {
    const std::optional<std::int32_t> count = ParseCount(text);
    const std::optional<float> single = ParseSingle(text);
    const std::string_view core = trimmed(text);
    const std::string about = "  text " + escaped(text) + "\n  ParseCount " + show(count) +
                              "\n  ParseSingle " + show(single);

    if (!isDecimal(core)) {
        FUZZ_CHECK(!count && !single, about + "\n  not a decimal number, yet accepted");
        return;
    }
    const std::string copy(core);  // NUL-terminated for strtod
    const double d = std::strtod(copy.c_str(), nullptr);
    const std::string aboutD = about + "\n  strtod " + show(d);

    // Single.
    constexpr double kFloatRoundsToInfinity = 3.4028235677973366e38;  // FLT_MAX + half a step
    if (std::fabs(d) < 3.4028234e38) {
        FUZZ_CHECK(single.has_value(), aboutD + "\n  a number in float range was refused");
    } else if (std::fabs(d) > kFloatRoundsToInfinity) {
        FUZZ_CHECK(!single.has_value(), aboutD + "\n  a number beyond float range was accepted");
    }
    if (single) {
        FUZZ_CHECK(std::isfinite(*single), aboutD + "\n  not finite");
        const double error = std::fabs(static_cast<double>(*single) - d);
        FUZZ_CHECK(error <= 6.0e-8 * std::fabs(d) + 1.0e-45,
                   aboutD + "\n  ParseSingle is off by " + show(error));
    }

    // Count.
    if (std::fabs(d) < 2147483646.0) {
        FUZZ_CHECK(count.has_value(), aboutD + "\n  a number well inside 32 bits was refused");
    } else if (std::fabs(d) >= 2147483649.0) {
        FUZZ_CHECK(!count.has_value(), aboutD + "\n  a number beyond 32 bits was accepted");
    }
    if (count) {
        const double error = std::fabs(static_cast<double>(*count) - d);
        FUZZ_CHECK(error <= 0.5 + 1.0e-6, aboutD + "\n  ParseCount is off by " + show(error));
    }
    // With at most 15 significant digits, distinct decimals read as distinct
    // doubles, so strtod's value sits on the same side of every half as the
    // text: the count is exactly the double rounded half to even.
    if (significantDigits(core) <= 15 && std::fabs(d) < 2147483646.0) {
        const double expected = std::nearbyint(d);  // the default mode rounds half to even
        FUZZ_CHECK(count && static_cast<double>(*count) == expected,
                   aboutD + "\n  expected the count " + show(expected));
    }
}

void checkCount(std::int32_t value) {
    const std::string text = CountText(value);
    const std::string about = "  value " + std::to_string(value) + "\n  CountText " + escaped(text);
    std::size_t i = 0;
    if (value < 0) {
        FUZZ_CHECK(!text.empty() && text[0] == '-', about + "\n  no minus sign");
        i = 1;
    }
    FUZZ_CHECK(i < text.size(), about + "\n  no digits");
    for (std::size_t k = i; k < text.size(); ++k) {
        FUZZ_CHECK(isDigit(text[k]), about + "\n  not a digit");
    }
    FUZZ_CHECK(text[i] != '0' || text.size() == i + 1, about + "\n  leading zero");
    FUZZ_CHECK(ParseCount(text) == std::optional<std::int32_t>(value), about + "\n  reads back as " +
                                                                           show(ParseCount(text)));
    const std::string padded = " \t" + text + "\r\n";
    FUZZ_CHECK(ParseCount(padded) == std::optional<std::int32_t>(value),
               about + "\n  with blanks reads back as " + show(ParseCount(padded)));
}

void checkSingleText(float value) {
    if (!std::isfinite(value)) {
        const std::string text = SingleText(value);
        FUZZ_CHECK(!ParseSingle(text).has_value(),
                   "  SingleText " + escaped(text) + " of a non-finite value reads back");
        return;
    }
    const std::string text = SingleText(value);
    char exact[64];
    std::snprintf(exact, sizeof exact, "%.9g", static_cast<double>(value));
    const std::string about = std::string("  value ") + exact + "\n  SingleText " + escaped(text);

    FUZZ_CHECK(!text.empty() && !isBlank(text.front()) && text.front() != '+',
               about + "\n  bad start");
    const bool negative = text.front() == '-';
    FUZZ_CHECK(negative == (value < 0), about + "\n  wrong sign");

    std::string_view mantissa = std::string_view(text).substr(negative ? 1 : 0);
    std::string_view exponent;
    if (const std::size_t e = mantissa.find('E'); e != std::string_view::npos) {
        exponent = mantissa.substr(e);
        mantissa = mantissa.substr(0, e);
        FUZZ_CHECK(exponent.size() >= 4 && (exponent[1] == '+' || exponent[1] == '-'),
                   about + "\n  bad exponent");
        for (std::size_t k = 2; k < exponent.size(); ++k) {
            FUZZ_CHECK(isDigit(exponent[k]), about + "\n  bad exponent");
        }
        FUZZ_CHECK(!mantissa.empty() && mantissa[0] != '0', about + "\n  mantissa starts with 0");
        FUZZ_CHECK(mantissa.size() == 1 || mantissa[1] == '.',
                   about + "\n  more than one digit before the point");
    }
    const std::size_t point = mantissa.find('.');
    std::size_t significant = 0;
    bool leading = true;
    for (std::size_t k = 0; k < mantissa.size(); ++k) {
        if (k == point) continue;
        FUZZ_CHECK(isDigit(mantissa[k]), about + "\n  stray character");
        if (leading && mantissa[k] == '0') continue;
        leading = false;
        ++significant;
    }
    FUZZ_CHECK(significant <= 7, about + "\n  more than seven significant digits");
    if (point != std::string_view::npos) {
        FUZZ_CHECK(point > 0 && point + 1 < mantissa.size(), about + "\n  no digit beside the point");
        FUZZ_CHECK(mantissa.back() != '0', about + "\n  trailing zero after the point");
        FUZZ_CHECK(mantissa.find('.', point + 1) == std::string_view::npos, about + "\n  two points");
    }
    FUZZ_CHECK(mantissa.size() == 1 || mantissa[0] != '0' || point == 1,
               about + "\n  leading zero");

    // Exactly the seven-digit rounding.
    char sevenDigits[64];
    std::snprintf(sevenDigits, sizeof sevenDigits, "%.7g", static_cast<double>(value));
    FUZZ_CHECK(std::strtod(text.c_str(), nullptr) == std::strtod(sevenDigits, nullptr),
               about + "\n  is not the seven-digit rounding " + sevenDigits);

    const std::optional<float> back = ParseSingle(text);
    FUZZ_CHECK(back.has_value(), about + "\n  does not read back");
    const double error = std::fabs(static_cast<double>(*back) - static_cast<double>(value));
    FUZZ_CHECK(error <= 5.6e-7 * std::fabs(static_cast<double>(value)) + 1.0e-45,
               about + "\n  reads back as " + show(back) + ", off by " + show(error));
}

void checkRounding(float value) {
    const float rounded = RoundToHundredths(value);
    char exact[64];
    std::snprintf(exact, sizeof exact, "%.9g", static_cast<double>(value));
    const std::string about = std::string("  value ") + exact + "\n  RoundToHundredths " +
                              show(std::optional<float>(rounded));
    if (std::isnan(value)) {
        FUZZ_CHECK(std::isnan(rounded), about + "\n  NaN lost");
        return;
    }
    if (std::isinf(value)) {
        FUZZ_CHECK(rounded == value, about + "\n  infinity lost");
        return;
    }
    FUZZ_CHECK(std::isfinite(rounded), about + "\n  not finite");
    const double v = value;
    const double r = rounded;
    const double step = std::ldexp(std::fmax(std::fabs(v), std::fabs(r)), -23);
    FUZZ_CHECK(std::fabs(r - v) <= 0.005 + step, about + "\n  moved too far");
    FUZZ_CHECK(!(r < 0 && v > 0) && !(r > 0 && v < 0), about + "\n  sign flipped");
    const float again = RoundToHundredths(rounded);
    FUZZ_CHECK(again == rounded, about + "\n  rounds again to " + show(std::optional<float>(again)));
}

float floatFrom(const std::uint8_t* bytes) {
    float f = 0;
    std::memcpy(&f, bytes, sizeof f);
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    checkParsing(std::string_view(reinterpret_cast<const char*>(data), size));
    if (size >= 4) {
        std::int32_t count = 0;
        std::memcpy(&count, data, sizeof count);
        checkCount(count);
        for (const float f : {floatFrom(data), floatFrom(data + size - 4)}) {
            checkSingleText(f);
            checkRounding(f);
        }
    }
    return 0;
}
