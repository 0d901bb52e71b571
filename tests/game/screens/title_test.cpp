// The title window: placement, the two seconds, the time-attack key sequence.
#include "platform/reading_order.h"
#include "screens/place_form.h"
#include "support/game_script.h"

namespace script {
namespace {

using Title = GameScript;
using platform::vk::kDown;
using platform::vk::kLeft;
using platform::vk::kRight;
using platform::vk::kUp;

TEST_F(Title, ShowsTheVersionCentredAndHandsOverAfterExactlyTwoSeconds) {
    start();
    EXPECT_EQ(form0().Label5.caption(), "Ver 1.10");
    EXPECT_EQ(form0().Width(), 3855.0f);
    EXPECT_EQ(form0().Height(), 1680.0f);
    EXPECT_EQ(form0().Left(), (host.screenWidthTwips - 3855) / 2);
    EXPECT_EQ(form0().Top(), (host.screenHeightTwips - 1680) / 2);
    wait(1999);
    EXPECT_TRUE(form0().visible());
    EXPECT_FALSE(form1().loaded());
    expectWelcome();
    wait(1);
    EXPECT_FALSE(form0().loaded());
    EXPECT_TRUE(form1().visible());
    EXPECT_FALSE(state().TimeAttack);
}

TEST_F(Title, ClosingTheTitleWindowEndsTheProgramWithoutTheMainWindow) {
    start();
    host.close(form0());
    EXPECT_TRUE(host.ended());
    EXPECT_FALSE(form1().loaded());
}

// What a screen reader reads, in the order of the places: the letters of the
// name left to right though each sits higher or lower than its neighbour,
// then the version on their line, then the credit line; the question before
// its answer, and はい before いいえ although いいえ comes first in tab order.
TEST_F(Title, ScreenReadersTakeTheControlsInTheOrderOfTheirPlaces) {
    const auto names = [](const std::vector<platform::Control*>& controls) {
        std::vector<std::string> out;
        for (const platform::Control* c : platform::readingOrder(controls)) out.push_back(c->name());
        return out;
    };
    std::vector<platform::Control*> inFrame;
    for (platform::Control* c : form0().controls())
        if (c->container() == &form0().Frame1) inFrame.push_back(c);
    EXPECT_EQ(names(inFrame), (std::vector<std::string>{"Label1", "Label2", "Label3", "Label4", "Label5", "Label6"}));
    const auto main = names(form1().controls());
    const auto at = [&](const char* name) { return std::find(main.begin(), main.end(), name) - main.begin(); };
    EXPECT_LT(at("Label6"), at("Label1"));
    EXPECT_LT(at("Label1"), at("Label2"));
    EXPECT_LT(at("Command4"), at("Command5"));
    EXPECT_LT(at("Command5"), at("Command1"));
    EXPECT_LT(at("Command1"), at("Label7"));
}

struct KeyCase {
    const char* name;
    std::vector<int16_t> keys;
    bool timeAttack;
};

// Names the case in failure messages (and keeps the padding bytes unread).
void PrintTo(const KeyCase& c, std::ostream* out) { *out << c.name; }

class KeySequence : public GameScript, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeySequence, DecidesTheMode) {
    start();
    for (int16_t key : GetParam().keys) host.pressKey(form0(), key);
    EXPECT_EQ(state().TimeAttack, GetParam().timeAttack);
    expectWelcome();
    wait(2000);
    EXPECT_EQ(form1().caption(), GetParam().timeAttack ? "もちたま TimeAttack MODE" : "もちたま");
}

INSTANTIATE_TEST_SUITE_P(
    Title, KeySequence,
    ::testing::Values(
        KeyCase{"none", {}, false},
        KeyCase{"complete", {kLeft, kUp, kRight, kDown, kLeft, kUp, kRight, kDown}, true},
        // The second Left breaks the run and is not taken as a new start.
        KeyCase{"brokenThenNotRetried", {kLeft, kLeft, kUp, kRight, kDown, kLeft, kUp, kRight, kDown}, false},
        KeyCase{"brokenThenRestarted", {kLeft, kUp, 65, kLeft, kUp, kRight, kDown, kLeft, kUp, kRight, kDown}, true},
        KeyCase{"shiftInTheMiddle", {kLeft, kUp, kRight, platform::vk::kShift, kDown, kLeft, kUp, kRight, kDown}, false},
        KeyCase{"autoRepeat", {kLeft, kLeft, kUp, kRight, kDown, kLeft, kUp, kRight, kDown, kDown}, false},
        KeyCase{"keysAfterCompletion", {kLeft, kUp, kRight, kDown, kLeft, kUp, kRight, kDown, 65, kLeft}, true},
        KeyCase{"partial", {kLeft, kUp, kRight, kDown, kLeft, kUp, kRight}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeyStep, FollowsTheStateTable) {
    EXPECT_EQ(game::NextKeyStep(0, kLeft), 1);
    EXPECT_EQ(game::NextKeyStep(0, kUp), 0);
    EXPECT_EQ(game::NextKeyStep(7, kDown), 8);
    EXPECT_EQ(game::NextKeyStep(7, kLeft), 0);
    EXPECT_EQ(game::NextKeyStep(8, 0), 8);
    EXPECT_EQ(game::NextKeyStep(3, kDown), 4);
}

// PlaceForm on a window system of its own.
class Placement : public GameScript {};

TEST_F(Placement, PassesHalfTwipsOnAndDoesNotClampOnASmallScreen) {
    host.screenWidthTwips = 5201;
    host.screenHeightTwips = 3000;
    start();
    game::PlaceForm(form0(), 4000, 5200);
    EXPECT_EQ(form0().Left(), 0.5f);
    EXPECT_EQ(form0().Top(), -500.0f);
}

TEST_F(Placement, CentresByTheSizeTheWindowSystemEnforced) {
    host.smallestOuterSize = {6000, 5000};
    start();
    game::PlaceForm(form0(), 1680, 3855);
    EXPECT_EQ(form0().Left(), (host.screenWidthTwips - 6000) / 2);
    EXPECT_EQ(form0().Top(), (host.screenHeightTwips - 5000) / 2);
}

}  // namespace
}  // namespace script
