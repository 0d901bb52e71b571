// What the player does to a window reaches the game, once, and never after
// the window is gone: close requests, keys, clicks, mouse presses, timers.
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "qt_test_forms.h"

namespace qt_test {
namespace {

class InputTest : public QtFormTest {};

// ------------------------------------------------------------ closing

TEST_F(InputTest, RefusedUserCloseLeavesTheWindow) {
    OpenedMainForm form(game);
    form.refuseClose = true;
    form.Show();
    QWidget* window = peerOf(form).window();
    window->close();
    pump();
    ASSERT_EQ(form.unloadModes.size(), 1u);
    EXPECT_EQ(form.unloadModes[0], platform::unload_mode::kUserClose);
    EXPECT_TRUE(form.loaded());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(peerOf(form).window(), window);

    form.refuseClose = false;
    window->close();
    pump();
    EXPECT_EQ(form.unloadModes.size(), 2u);
    EXPECT_FALSE(form.loaded());
}

TEST_F(InputTest, CloseOfADisabledWindowIsIgnored) {
    OpenedMainForm form(game);
    form.Show();
    form.setEnabled(false);
    peerOf(form).window()->close();
    pump();
    EXPECT_TRUE(form.unloadModes.empty());
    EXPECT_TRUE(form.loaded());
}

TEST_F(InputTest, CloseQueuedForAnUnloadedWindowDoesNotReachItsNextLoad) {
    OpenedMainForm form(game);
    form.Show();
    peerOf(form).window()->close();  // queued, not yet handled
    form.Unload();
    form.unloadModes.clear();
    form.Show();  // loaded afresh
    pump();
    EXPECT_TRUE(form.unloadModes.empty());
    EXPECT_TRUE(form.loaded());
}

// ------------------------------------------------------------ keys

TEST_F(InputTest, KeysReachAWindowWithoutFocusableControls) {
    TitleLikeForm form(runtime);
    QWidget* window = showActive(form).window();
    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : window;
    QTest::keyClick(target, Qt::Key_Left);
    QTest::keyClick(target, Qt::Key_Up);
    // QTest presses Shift first, as a player does: Shift is a key-down of its own.
    QTest::keyClick(target, Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClick(target, Qt::Key_Tab);
    QTest::keyClick(target, Qt::Key_Escape);
    const std::vector<TitleLikeForm::Key> expected{{37, 0}, {38, 0}, {16, 1}, {36, 1}, {9, 0}, {27, 0}};
    EXPECT_EQ(form.keys, expected);
}

TEST_F(InputTest, AutoRepeatedKeysAreKeyDownsToo) {
    TitleLikeForm form(runtime);
    QWidget* window = showActive(form).window();
    QKeyEvent first(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(window, &first);
    QApplication::sendEvent(window, &repeat);
    EXPECT_EQ(form.keys.size(), 2u);
}

TEST_F(InputTest, KeysOnAFocusedButtonAreNotTheWindows) {
    OpenedMainForm form(game);
    auto& peer = showActive(form);
    // Focus starts on the button with the lowest tab index.
    EXPECT_EQ(QApplication::focusWidget(), peer.widget(form.Command5));
    // The button leaves A unused; Qt passes it up to the window, which must
    // not take it for its own.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
    EXPECT_TRUE(form.keyCodes.empty());
    EXPECT_EQ(form.clicks5, 0);
}

TEST_F(InputTest, FocusedButtonIsClickedByEnterAndSpace) {
    OpenedMainForm form(game);
    auto& peer = showActive(form);
    QWidget* button = peer.widget(form.Command5);
    ASSERT_EQ(QApplication::focusWidget(), button);
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(form.clicks5, 1);
    QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(form.clicks5, 2);
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(form.clicks5, 3);
    EXPECT_EQ(form.clicks4, 0);
}

TEST_F(InputTest, TabFollowsTabIndex) {
    OpenedMainForm form(game);
    auto& peer = showActive(form);
    ASSERT_EQ(QApplication::focusWidget(), peer.widget(form.Command5));  // 0
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), peer.widget(form.Command1));  // 1
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), peer.widget(form.Command4));  // 9
}

TEST_F(InputTest, ShowingAgainKeepsTheFocusOrStartsItAfresh) {
    OpenedMainForm form(game);
    auto& peer = showActive(form);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(peer.window()->focusWidget(), peer.widget(form.Command1));

    // The window's own focus widget: the one that has the focus whenever
    // the window is active.
    form.Hide();
    form.Show();
    EXPECT_EQ(peer.window()->focusWidget(), peer.widget(form.Command1));  // where it was

    form.Hide();
    form.Command1.setVisible(false);
    form.Show();
    EXPECT_EQ(peer.window()->focusWidget(), peer.widget(form.Command5));  // the first in tab order
}

// ------------------------------------------------------------ mouse

TEST_F(InputTest, ClicksOnButtonsAndLabelsAndPressesOnTheBackground) {
    OpenedMainForm form(game);
    auto& peer = showExposed(form);
    QTest::mouseClick(peer.widget(form.Command4), Qt::LeftButton);
    EXPECT_EQ(form.clicks4, 1);

    QTest::mouseClick(peer.widget(form.Label1), Qt::LeftButton);
    EXPECT_EQ(form.labelClicks, 1);
    EXPECT_EQ(form.mouseDowns, 0);  // the label's press is not the window's

    QTest::mousePress(peer.clientArea(), Qt::LeftButton, {}, QPoint(5, 230));
    QTest::mouseRelease(peer.clientArea(), Qt::LeftButton, {}, QPoint(5, 230));
    EXPECT_EQ(form.mouseDowns, 1);
    QTest::mousePress(peer.clientArea(), Qt::RightButton, {}, QPoint(300, 5));
    EXPECT_EQ(form.mouseDowns, 2);
    EXPECT_EQ(form.labelClicks, 1);
}

TEST_F(InputTest, ALabelReleasedElsewhereIsNoClick) {
    OpenedMainForm form(game);
    auto& peer = showExposed(form);
    QWidget* label = peer.widget(form.Label1);
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent away(QEvent::MouseButtonRelease, QPointF(-20, -20), label->mapToGlobal(QPointF(-20, -20)),
                     Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(label, &away);
    EXPECT_EQ(form.labelClicks, 0);
}

TEST_F(InputTest, PressOnAFrameIsNotAPressOnTheWindow) {
    TitleLikeForm form(runtime);
    auto& peer = showExposed(form);
    QTest::mousePress(peer.widget(form.frame1), Qt::LeftButton, {}, QPoint(100, 80));
    EXPECT_EQ(form.mouseDowns, 0);
    QTest::mousePress(peer.clientArea(), Qt::LeftButton, {}, QPoint(2, 108));
    EXPECT_EQ(form.mouseDowns, 1);
}

TEST_F(InputTest, LabelClickThatUnloadsItsOwnWindow) {
    CipherLikeForm form(runtime);
    auto& peer = showExposed(form);
    QPointer<QWidget> window = peer.window();
    QPointer<QWidget> label = peer.widget(form.label1);
    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_FALSE(form.loaded());
    ASSERT_FALSE(window.isNull());  // still on the stack when the handler ran
    EXPECT_FALSE(window->isVisible());
    pump();
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(label.isNull());
}

// ------------------------------------------------------------ timers

TEST_F(InputTest, TimerTicksAtItsIntervalAndRestartsOnEveryChange) {
    OpenedMainForm form(game);
    form.Show();
    form.clock.start();
    form.Timer1.setInterval(300);
    form.Timer1.setEnabled(true);
    pump(150);
    // Halfway through the countdown the same interval is set again: a new
    // countdown of the whole interval, not the rest of the old one.
    const size_t before = form.tickTimes.size();  // 0 unless this machine stalled
    form.Timer1.setInterval(300);
    const qint64 restarted = form.clock.elapsed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.tickTimes.size() > before; }, 2000));
    EXPECT_GE(form.tickTimes[before], restarted + 295);

    form.Timer1.setEnabled(false);
    const size_t ticks = form.tickTimes.size();
    pump(400);
    EXPECT_EQ(form.tickTimes.size(), ticks);
    EXPECT_FALSE(peerOf(form).timer(form.Timer1)->isActive());
    EXPECT_EQ(peerOf(form).timer(form.Timer1)->timerType(), Qt::PreciseTimer);
}

TEST_F(InputTest, IntervalZeroStopsTheTimer) {
    OpenedMainForm form(game);
    form.Show();
    form.Timer1.setEnabled(true);
    form.Timer1.setInterval(50);
    EXPECT_TRUE(peerOf(form).timer(form.Timer1)->isActive());
    form.Timer1.setInterval(0);
    EXPECT_FALSE(peerOf(form).timer(form.Timer1)->isActive());
    pump(150);
    EXPECT_TRUE(form.tickTimes.empty());
}

TEST_F(InputTest, TimerThatUnloadsItsOwnFormTicksOnce) {
    CipherLikeForm form(runtime);
    form.Show();
    QPointer<QTimer> timer = peerOf(form).timer(form.timer1);
    form.timer1.setEnabled(true);
    form.timer1.setInterval(20);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.ticks > 0; }, 1000));
    pump(100);
    EXPECT_EQ(form.ticks, 1);
    EXPECT_FALSE(form.loaded());
    EXPECT_TRUE(timer.isNull());
}

}  // namespace
}  // namespace qt_test
