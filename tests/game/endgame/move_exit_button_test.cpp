// The Exit button's random places: four digits at a time, Top before Left,
// whole draws thrown away until they fit.
#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <set>
#include <vector>

#include "endgame/move_exit_button.h"
#include "support/game_script.h"

namespace script {
namespace {

using game::kExitLeftMax, game::kExitLeftMin, game::kExitTopMax, game::kExitTopMin;

// Rnd values whose whole part of ×10 is each digit.
std::vector<float> Digits(std::initializer_list<int> digits) {
    std::vector<float> values;
    for (int d : digits) values.push_back((static_cast<float>(d) + 0.5f) / 10.0f);
    return values;
}

class MoveExitButtonDraw : public GameScript {
protected:
    void script(const std::vector<float>& values) {
        host.scriptedRandom.insert(host.scriptedRandom.end(), values.begin(), values.end());
    }
};

TEST_F(MoveExitButtonDraw, EachMoveReseedsOnceDrawsTopBeforeLeftAndSetsTopFirst) {
    startGame();
    game::Form1& f = form1();
    struct Case {
        std::vector<float> values;
        float top, left;
    };
    const Case cases[] = {
        {Digits({0, 1, 2, 0, 0, 2, 4, 0}), 120, 240},
        {Digits({1, 5, 0, 0, 2, 5, 0, 0}), 1500, 2500},
        {Digits({9, 9, 9, 9, 8, 8, 8, 8, 2, 5, 0, 0, 1, 5, 0, 0}), 2500, 1500},  // two Top draws thrown away
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.top);
        script(c.values);
        const int reseeds = host.randomizeCalls;
        const std::size_t from = host.events().size();
        const float oldLeft = f.Command1.left();
        game::MoveExitButton(*game);
        EXPECT_EQ(f.Command1.top(), c.top);
        EXPECT_EQ(f.Command1.left(), c.left);
        EXPECT_TRUE(host.scriptedRandom.empty());
        EXPECT_EQ(host.randomizeCalls, reseeds + 1);
        using platform::Property;
        EXPECT_TRUE(EventsAre(host.events(), from,
                              {set(f.Command1, Property::Geometry, headless::Position{oldLeft, c.top}),
                               set(f.Command1, Property::Geometry, headless::Position{c.left, c.top}), refreshed(f)}));
    }
}

TEST_F(MoveExitButtonDraw, ADrawOutsideTheRangeIsThrownAwayWholeAndTheBoundsAreAccepted) {
    struct Case {
        const char* name;
        int32_t low, high;
        std::vector<float> values;
        int32_t expected;
    };
    const Case cases[] = {
        {"9999 then the lowest Top", kExitTopMin, kExitTopMax, Digits({9, 9, 9, 9, 0, 1, 2, 0}), 120},
        {"one below Top, then its highest", kExitTopMin, kExitTopMax, Digits({0, 1, 1, 9, 2, 7, 6, 0}), 2760},
        {"one above Top", kExitTopMin, kExitTopMax, Digits({2, 7, 6, 1, 0, 1, 2, 0}), 120},
        {"one below Left, then its highest", kExitLeftMin, kExitLeftMax, Digits({0, 2, 3, 9, 3, 8, 4, 0}), 3840},
        {"one above Left, then its lowest", kExitLeftMin, kExitLeftMax, Digits({3, 8, 4, 1, 0, 2, 4, 0}), 240},
        {"leading zeros count", kExitTopMin, kExitTopMax, Digits({0, 4, 1, 5}), 415},
        // No digit of a rejected draw is reused: 9100 out, then 0200.
        {"fresh four after a rejection", kExitTopMin, kExitTopMax, Digits({9, 1, 0, 0, 0, 2, 0, 0}), 200},
        // The extremes of [0, 1) give 0 and 9.
        {"extreme random numbers", kExitTopMin, kExitTopMax, {0.0f, 0.99999994f, 0.99999994f, 0.99999994f}, 999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.scriptedRandom.clear();
        script(c.values);
        EXPECT_EQ(game::DrawFourDigitsWithin(host, c.low, c.high), c.expected);
        EXPECT_TRUE(host.scriptedRandom.empty());
    }
}

TEST_F(MoveExitButtonDraw, GeneratedDrawsOfASmallRangeStayInsideAndReachBothBounds) {
    std::multiset<int32_t> seen;
    // Each result takes about a hundred draws of four digits; keep it quick.
    for (int i = 0; i < 1000; ++i) {
        wait(1);
        host.Randomize();
        seen.insert(game::DrawFourDigitsWithin(host, 0, 99));
    }
    EXPECT_EQ(*seen.begin(), 0);
    EXPECT_EQ(*seen.rbegin(), 99);
    // Uniform: the lower half gets about half of them (500, sd 16).
    const auto lowerHalf = static_cast<long>(std::distance(seen.begin(), seen.lower_bound(50)));
    EXPECT_GT(lowerHalf, 400);
    EXPECT_LT(lowerHalf, 600);
}

TEST_F(MoveExitButtonDraw, GeneratedMovesStayWithinTheFullRangesAndSpreadOverThem) {
    startGame();
    const platform::Control& exit = form1().Command1;
    float minTop = kExitTopMax, maxTop = kExitTopMin, minLeft = kExitLeftMax, maxLeft = kExitLeftMin;
    for (int i = 0; i < 5000; ++i) {
        wait(1);
        game::MoveExitButton(*game);
        ASSERT_TRUE(exit.top() >= kExitTopMin && exit.top() <= kExitTopMax) << exit.top();
        ASSERT_TRUE(exit.left() >= kExitLeftMin && exit.left() <= kExitLeftMax) << exit.left();
        minTop = std::min(minTop, exit.top()), maxTop = std::max(maxTop, exit.top());
        minLeft = std::min(minLeft, exit.left()), maxLeft = std::max(maxLeft, exit.left());
    }
    // Within 80 twips of every edge, not stuck in a corner.
    EXPECT_TRUE(minTop < 200 && maxTop > 2680 && minLeft < 320 && maxLeft > 3760)
        << minTop << ".." << maxTop << ", " << minLeft << ".." << maxLeft;
}

}  // namespace
}  // namespace script
