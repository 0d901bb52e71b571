#include "platform/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace {

using namespace std::string_literals;
using platform::CountText;
using platform::ParseCount;
using platform::ParseSingle;
using platform::RoundToHundredths;
using platform::SingleText;

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

TEST(NumberText, CountTextIsPlainDecimal) {
    struct Case {
        int32_t value;
        const char* text;
    };
    const Case cases[] = {
        {0, "0"},       {7, "7"},           {-5, "-5"},          {1000, "1000"},
        {-1000, "-1000"}, {kMax, "2147483647"}, {kMin, "-2147483648"},
    };
    for (const auto& c : cases) EXPECT_EQ(CountText(c.value), c.text) << c.value;
}

TEST(NumberText, SingleTextShortestSevenDigits) {
    struct Case {
        float value;
        const char* text;
    };
    const Case cases[] = {
        // Values the game stores and shows.
        {9999.0f, "9999"},
        {83.5f, "83.5"},
        {41.5f, "41.5"},
        {0.5f, "0.5"},
        {123.456f, "123.456"},
        {3600.01f, "3600.01"},
        {1234567.0f, "1234567"},
        {0.1f, "0.1"},
        {-5.0f, "-5"},
        {-0.25f, "-0.25"},
        {0.0f, "0"},
        {-0.0f, "0"},
        {100.0f, "100"},
        {1000000.0f, "1000000"},
        // Rounded to seven significant digits.
        {1.0f / 3.0f, "0.3333333"},
        {2.0f / 3.0f, "0.6666667"},
        {9999999.0f, "9999999"},
        // The float nearest 0.0001 lies just below it; the rounded value decides.
        {0.0001f, "0.0001"},
        {0.00012345f, "0.00012345"},
        // Exponent form at 1E+07 and above, below 1E-04.
        {1e7f, "1E+07"},
        {12345678.0f, "1.234568E+07"},
        {16777216.0f, "1.677722E+07"},
        {-1e7f, "-1E+07"},
        {0.00001f, "1E-05"},
        {0.000012f, "1.2E-05"},
        {std::numeric_limits<float>::max(), "3.402823E+38"},
        {std::numeric_limits<float>::denorm_min(), "1.401298E-45"},
        // Never produced by the game, but must print something sane.
        {std::numeric_limits<float>::quiet_NaN(), "NaN"},
        {std::numeric_limits<float>::infinity(), "Infinity"},
        {-std::numeric_limits<float>::infinity(), "-Infinity"},
    };
    for (const auto& c : cases) EXPECT_EQ(SingleText(c.value), c.text) << c.text;
}

TEST(NumberText, ParseCountAcceptsNumbersAndRoundsHalfToEven) {
    struct Case {
        const char* text;
        std::optional<int32_t> value;
    };
    const std::string manyZeros = "1" + std::string(100, '0') + "e-100";
    const std::string longTail = "2147483647.4" + std::string(60, '9');
    const Case cases[] = {
        {"12", 12},
        {" 12 ", 12},
        {"\t12\r\n", 12},
        {"-3", -3},
        {"+7", 7},
        {"0", 0},
        {"-0", 0},
        {"007", 7},
        {"12.5", 12},
        {"13.5", 14},
        {"12.51", 13},
        {"12.4999", 12},
        {"0.5", 0},
        {"1.5", 2},
        {"2.5", 2},
        {"-2.5", -2},
        {"-3.5", -4},
        {"-0.5", 0},
        {"0.05", 0},
        {".5", 0},
        {".51", 1},
        {"5.", 5},
        {"1e3", 1000},
        {"1E3", 1000},
        {"1e+3", 1000},
        {"1.5e1", 15},
        {"25e-1", 2},
        {"35e-1", 4},
        {"1e-400", 0},
        {"0e999999999999999999999", 0},
        {manyZeros.c_str(), 1},
        // Exact decimal rounding, even with digits beyond double precision.
        {longTail.c_str(), kMax},
        // The 32-bit boundaries.
        {"2147483647", kMax},
        {"2147483648", std::nullopt},
        {"2147483647.4", kMax},
        {"2147483647.5", std::nullopt},
        {"2147483646.5", 2147483646},
        {"-2147483648", kMin},
        {"-2147483649", std::nullopt},
        {"-2147483648.5", kMin},
        {"-2147483649.5", std::nullopt},
        {"21474836470", std::nullopt},
        {"1e10", std::nullopt},
        {"1e400", std::nullopt},
        {"1e999999999999999999999", std::nullopt},
        // Not numbers.
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"-", std::nullopt},
        {"+", std::nullopt},
        {".", std::nullopt},
        {"e3", std::nullopt},
        {"1e", std::nullopt},
        {"1e+", std::nullopt},
        {"12abc", std::nullopt},
        {"abc", std::nullopt},
        {"0x10", std::nullopt},
        {"nan", std::nullopt},
        {"inf", std::nullopt},
        {"1 2", std::nullopt},
        {"- 1", std::nullopt},
        {"--1", std::nullopt},
        {"+-1", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1,5", std::nullopt},
        {"\"12\"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseCount(c.text), c.value) << '"' << c.text << '"';
}

TEST(NumberText, ParseCountSurvivesEmbeddedNul) {
    EXPECT_EQ(ParseCount("12\0"s), std::nullopt);
    EXPECT_EQ(ParseCount("\0" "12"s), std::nullopt);
}

TEST(NumberText, ParseSingleAcceptsFiniteSingles) {
    struct Case {
        const char* text;
        std::optional<float> value;
    };
    const float kFloatMax = std::numeric_limits<float>::max();
    const Case cases[] = {
        {"9999", 9999.0f},
        {"83.5", 83.5f},
        {"-5", -5.0f},
        {"+7", 7.0f},
        {"  41.5\r\n", 41.5f},
        {"3600.01", 3600.01f},
        {"0.1", 0.1f},
        {".5", 0.5f},
        {"1e3", 1000.0f},
        {"1E-2", 0.01f},
        // Rounded straight to float: 16777217 lies halfway, the even one wins.
        {"16777217", 16777216.0f},
        {"3.4028235e38", kFloatMax},
        {"-3.4028235e38", -kFloatMax},
        {"3.4028236e38", std::nullopt},
        {"1e39", std::nullopt},
        {"-1e39", std::nullopt},
        {"1e99999999999999999999", std::nullopt},
        // Too small for a single is zero, not an error.
        {"1e-50", 0.0f},
        {"1e-99999999999999999999", 0.0f},
        // Subnormals are kept; below half the smallest one is zero.
        {"1e-40", 1e-40f},
        {"7.1e-46", std::numeric_limits<float>::denorm_min()},
        {"7e-46", 0.0f},
        // Not numbers.
        {"NaN", std::nullopt},
        {"nan", std::nullopt},
        {"inf", std::nullopt},
        {"Infinity", std::nullopt},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"1,5", std::nullopt},
        {"12abc", std::nullopt},
        {"0x10", std::nullopt},
        {"+", std::nullopt},
        {"1e", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseSingle(c.text), c.value) << '"' << c.text << '"';
}

TEST(NumberText, SingleTextReadsBackForStoredTimes) {
    // What the ending stores must come back unchanged on the next start.
    const float times[] = {9999.0f, 83.5f, 3600.0f, 3600.01f, 0.01f, 12.34f, 99999.99f};
    for (float t : times) {
        const auto back = ParseSingle(SingleText(t));
        ASSERT_TRUE(back.has_value()) << t;
        EXPECT_EQ(*back, t) << SingleText(t);
    }
}

TEST(NumberText, RoundToHundredths) {
    struct Case {
        float value;
        float rounded;
    };
    const Case cases[] = {
        {3600.004f, 3600.0f},
        {3600.006f, 3600.01f},
        {83.5f, 83.5f},
        {41.499f, 41.5f},
        {0.0f, 0.0f},
        {0.004f, 0.0f},
        {9999.994f, 9999.99f},
        {9999.996f, 10000.0f},
        // Exact binary ties round away from zero, as the "#####.00" format does.
        {0.125f, 0.13f},
        {-0.125f, -0.13f},
        {0.375f, 0.38f},
        // Decimal-looking ties that are really below the half in binary.
        {1.005f, 1.0f},
        {2.675f, 2.67f},
        {-3600.006f, -3600.01f},
        {1e10f, 1e10f},
    };
    for (const auto& c : cases) EXPECT_EQ(RoundToHundredths(c.value), c.rounded) << c.value;
    EXPECT_TRUE(std::isnan(RoundToHundredths(std::numeric_limits<float>::quiet_NaN())));
    EXPECT_EQ(RoundToHundredths(std::numeric_limits<float>::infinity()),
              std::numeric_limits<float>::infinity());
}

}  // namespace
