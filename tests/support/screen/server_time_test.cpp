// The X server's times on the recorder's clock: 32-bit milliseconds that wrap
// every 49.7 days of uptime, never later than the event's receipt.
#include <gtest/gtest.h>

#include <cstdint>

#include "screen/x_screen.h"

namespace {

constexpr double kWrap = 4294967296.0;  // 2^32 ms

TEST(ServerTime, IsTheServersMillisecondAndNeverAfterTheReceipt) {
    EXPECT_EQ(xscreen::serverTimeMs(81230, 81234.567), 81230.0);
    EXPECT_EQ(xscreen::serverTimeMs(81234, 81234.567), 81234.0);
}

TEST(ServerTime, UnwrapsAcrossTheThirtyTwoBits) {
    EXPECT_EQ(xscreen::serverTimeMs(0xFFFFFFFEu, kWrap + 5.5), kWrap - 2);
    EXPECT_EQ(xscreen::serverTimeMs(3, kWrap + 5.5), kWrap + 3);
    EXPECT_EQ(xscreen::serverTimeMs(7, 3 * kWrap + 1000.25), 3 * kWrap + 7);
}

TEST(ServerTime, ATimeNotOnThisClockGivesTheReceipt) {
    // Ahead of the receipt, a minute and more before it, before the clock began.
    EXPECT_EQ(xscreen::serverTimeMs(81240, 81234.567), 81234.567);
    EXPECT_EQ(xscreen::serverTimeMs(10000, 81234.567), 81234.567);
    EXPECT_EQ(xscreen::serverTimeMs(0xFFFFFF00u, 500.5), 500.5);
    EXPECT_EQ(xscreen::serverTimeMs(static_cast<uint32_t>(1700000000123ULL), 81234.567), 81234.567);
}

}  // namespace
