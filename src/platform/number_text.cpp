#include "platform/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <system_error>

#include "platform/text.h"

#if !defined(__cpp_lib_to_chars)
#include <fast_float/fast_float.h>
#endif

namespace platform {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// std::from_chars for a float written as a plain decimal (digits, point,
// exponent; no sign, no "inf").
std::from_chars_result readFloat(std::string_view text, float& value) {
#if defined(__cpp_lib_to_chars)
    return std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
#else
    // libc++ 13 (the web build's) has no floating-point from_chars. fast_float
    // finds the same nearest float but rounds overflow to infinity and
    // underflow to zero without saying so; both are told here as
    // result_out_of_range, as from_chars tells them.
    float parsed = 0;
    const auto result = fast_float::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result.ec != std::errc()) return {result.ptr, result.ec};
    const std::string_view mantissa = text.substr(0, text.find_first_of("eE"));
    const bool nonZeroDigits = mantissa.find_first_of("123456789") != std::string_view::npos;
    if (std::isinf(parsed) || (parsed == 0 && nonZeroDigits)) return {result.ptr, std::errc::result_out_of_range};
    value = parsed;
    return {result.ptr, std::errc()};
#endif
}

// A decimal number split into its parts: value = ±0.digits × 10^leadingExponent,
// with the leading zeros of `digits` already dropped (empty digits means zero).
struct DecimalNumber {
    bool negative = false;
    std::string digits;
    // Number of digits before the decimal point once the exponent is applied;
    // zero or less for values below 1.
    int64_t pointPosition = 0;
    std::string_view unsignedText;  // the text without its sign, for from_chars
};

// Exponents are clamped far beyond any value a 32-bit or float result can
// reach, so absurd exponents in the file cannot overflow our arithmetic.
constexpr int64_t kExponentClamp = 1'000'000'000'000LL;

// [+|-] digits [. digits] [(e|E) [+|-] digits], with at least one mantissa digit.
std::optional<DecimalNumber> parseDecimal(std::string_view text) {
    text = trimBlanks(text, kWhiteSpace);
    DecimalNumber number;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        number.negative = text[i] == '-';
        ++i;
    }
    number.unsignedText = text.substr(i);

    std::size_t mantissaDigits = 0;
    int64_t integerDigits = 0;  // significant digits before the point
    while (i < text.size() && isDigit(text[i])) {
        if (!number.digits.empty() || text[i] != '0') {
            number.digits.push_back(text[i]);
            ++integerDigits;
        }
        ++mantissaDigits;
        ++i;
    }
    int64_t leadingFractionZeros = 0;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            if (number.digits.empty() && text[i] == '0') {
                ++leadingFractionZeros;
            } else {
                number.digits.push_back(text[i]);
            }
            ++mantissaDigits;
            ++i;
        }
    }
    if (mantissaDigits == 0) return std::nullopt;

    int64_t exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool exponentNegative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            exponentNegative = text[i] == '-';
            ++i;
        }
        std::size_t exponentDigits = 0;
        while (i < text.size() && isDigit(text[i])) {
            if (exponent < kExponentClamp) exponent = exponent * 10 + (text[i] - '0');
            ++exponentDigits;
            ++i;
        }
        if (exponentDigits == 0) return std::nullopt;
        if (exponentNegative) exponent = -exponent;
    }
    if (i != text.size()) return std::nullopt;

    while (!number.digits.empty() && number.digits.back() == '0') number.digits.pop_back();
    number.pointPosition = integerDigits - leadingFractionZeros + exponent;
    return number;
}

}  // namespace

std::string CountText(int32_t value) {
    char buffer[16];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string SingleText(float value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
    if (value == 0) return "0";  // negative zero included

    // %.6e rounds the exact binary value to seven significant digits; the
    // exponent it reports is the one of the rounded value, so 9999999.5
    // correctly turns into 1E+07.
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6e", static_cast<double>(value));
    std::string_view printed(buffer);
    const bool negative = printed.front() == '-';
    if (negative) printed.remove_prefix(1);

    std::string digits;
    std::size_t i = 0;
    for (; i < printed.size() && printed[i] != 'e'; ++i) {
        if (isDigit(printed[i])) digits.push_back(printed[i]);
    }
    int exponent = 0;
    std::string_view exponentText = printed.substr(i + 1);
    if (!exponentText.empty() && exponentText.front() == '+') exponentText.remove_prefix(1);
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string text = negative ? "-" : "";
    if (exponent >= 7 || exponent < -4) {
        text += digits[0];
        if (digits.size() > 1) {
            text += '.';
            text.append(digits, 1);
        }
        char exponentBuffer[16];
        std::snprintf(exponentBuffer, sizeof exponentBuffer, "E%c%02d", exponent < 0 ? '-' : '+',
                      std::abs(exponent));
        text += exponentBuffer;
    } else if (exponent >= 0) {
        const std::size_t integerDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= integerDigits) {
            text += digits;
            text.append(integerDigits - digits.size(), '0');
        } else {
            text.append(digits, 0, integerDigits);
            text += '.';
            text.append(digits, integerDigits);
        }
    } else {
        text += "0.";
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text += digits;
    }
    return text;
}

std::optional<int32_t> ParseCount(std::string_view text) {
    const auto number = parseDecimal(text);
    if (!number) return std::nullopt;
    const std::string& digits = number->digits;
    if (digits.empty() || number->pointPosition < 0) return 0;
    // Eleven integer digits are already beyond 32 bits.
    if (number->pointPosition > 10) return std::nullopt;

    // Exact decimal rounding: no detour through double, so long fractions like
    // 2147483647.4999999999999 still round the right way.
    const auto integerDigits = static_cast<std::size_t>(number->pointPosition);
    int64_t magnitude = 0;
    for (std::size_t k = 0; k < integerDigits; ++k) {
        magnitude = magnitude * 10 + (k < digits.size() ? digits[k] - '0' : 0);
    }
    if (integerDigits < digits.size()) {
        const char firstDropped = digits[integerDigits];
        // Trailing zeros are gone, so anything after the first dropped digit is non-zero.
        const bool moreAfter = digits.size() > integerDigits + 1;
        if (firstDropped > '5' || (firstDropped == '5' && (moreAfter || magnitude % 2 != 0))) {
            ++magnitude;
        }
    }
    const int64_t value = number->negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

std::optional<float> ParseSingle(std::string_view text) {
    const auto number = parseDecimal(text);
    if (!number) return std::nullopt;
    const std::string_view digits = number->unsignedText;
    float magnitude = 0;
    const auto result = readFloat(digits, magnitude);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large is an error; too small is just zero, as for any tiny decimal.
        if (!number->digits.empty() && number->pointPosition > 0) return std::nullopt;
        magnitude = 0;
    } else if (result.ec != std::errc() || result.ptr != digits.data() + digits.size()) {
        return std::nullopt;
    }
    if (!std::isfinite(magnitude)) return std::nullopt;
    return number->negative ? -magnitude : magnitude;
}

float RoundToHundredths(float value) {
    if (!std::isfinite(value)) return value;
    // A float times 100 is exact in double (24 + 7 bits), so std::round sees the
    // exact binary value and rounds halves away from zero, as "#####.00" does.
    const double hundredths = std::round(static_cast<double>(value) * 100.0);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.0f", std::fabs(hundredths));
    std::string text(buffer);
    if (text.size() < 3) text.insert(0, 3 - text.size(), '0');
    text.insert(text.size() - 2, 1, '.');
    // Reading the decimal text back (instead of dividing by 100) gives the float
    // nearest to the formatted number, with no double rounding.
    float magnitude = 0;
    const auto result = readFloat(text, magnitude);
    if (result.ec != std::errc()) return value;
    return hundredths < 0 ? -magnitude : magnitude;
}

}  // namespace platform
