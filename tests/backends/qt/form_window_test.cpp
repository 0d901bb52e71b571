// A form's window as Qt builds it: placement in twips, the menu bar above the
// designed client area, the outer size the game reads back, colours, fonts.
#include <QAction>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>
#include <optional>

#include "qt/units.h"
#include "qt_test_forms.h"

namespace qt_test {
namespace {

using qt_backend::toPixels;
using qt_backend::toTwips;

class FormWindowTest : public QtFormTest {};

QLabel* labelOf(qt_backend::QtFormPeer& peer, const platform::Control& control) {
    return dynamic_cast<QLabel*>(peer.widget(control));
}

// ------------------------------------------------------------ geometry

TEST_F(FormWindowTest, ControlsLandOnTheirPixels) {
    OpenedMainForm form(game);
    auto& peer = shown(form);
    // 120, 600, 4815, 615 twips at 15 twips a pixel.
    EXPECT_EQ(peer.widget(form.Label1)->geometry(), QRect(8, 40, 321, 41));
    EXPECT_EQ(peer.widget(form.Command5)->geometry(), QRect(200, 160, 65, 25));
    EXPECT_EQ(peer.clientArea()->width(), 341);

    form.Command5.setLeft(2520);
    form.Command5.setTop(2760);
    EXPECT_EQ(peer.widget(form.Command5)->pos(), QPoint(168, 184));
}

TEST_F(FormWindowTest, LabelsInAFrameAreRelativeToIt) {
    TitleLikeForm form(runtime);
    auto& peer = shown(form);
    QWidget* frame = peer.widget(form.frame1);
    QWidget* label = peer.widget(form.label1);
    EXPECT_EQ(label->parentWidget(), frame);
    EXPECT_EQ(frame->geometry(), QRect(8, 3, 241, 100));
    EXPECT_EQ(label->mapTo(peer.clientArea(), QPoint(0, 0)), QPoint(24, 19));
}

TEST_F(FormWindowTest, FramelessWindowIsAllClientAndTakesTheAskedSize) {
    TitleLikeForm form(runtime);
    form.Hide();
    form.setHeight(1680);
    form.setWidth(3855);
    EXPECT_FLOAT_EQ(form.Height(), 1680);
    EXPECT_FLOAT_EQ(form.Width(), 3855);
    auto& peer = shown(form);
    EXPECT_TRUE(peer.window()->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(peer.window()->size(), QSize(257, 112));
    EXPECT_EQ(peer.window()->frameGeometry().size(), QSize(257, 112));

    form.setWidth(3000);
    EXPECT_EQ(peer.window()->width(), 200);
    EXPECT_FLOAT_EQ(form.Width(), 3000);
}

// The window keeps its outer size as its menu bar comes and goes: the bar
// takes its row from the client area, and the controls move down with it.
TEST_F(FormWindowTest, MenuBarTakesItsRowFromTheClientArea) {
    OpenedMainForm form(game);
    auto& peer = shown(form);
    const QSize window = peer.window()->size();
    // Room for one row of the bar below the designed area, shown or not.
    EXPECT_EQ(window.width(), 341);
    EXPECT_GT(window.height(), 240 + 10);
    const int room = window.height() - 240;
    struct Step {
        const char* what;
        bool file, etc;
        bool barShown;
    };
    const Step steps[] = {
        {"no top menu", false, false, false},
        {"ﾌｧｲﾙ", true, false, true},
        {"ﾌｧｲﾙ and ﾍﾙﾌﾟ", true, true, true},
        {"ﾍﾙﾌﾟ alone", false, true, true},
        {"none again", false, false, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        form.File.setVisible(s.file);
        form.Etc.setVisible(s.etc);
        EXPECT_EQ(peer.menuBar()->isVisible(), s.barShown);
        const int bar = s.barShown ? peer.menuBar()->height() : 0;
        if (s.barShown) {
            EXPECT_EQ(bar, room);
        }
        EXPECT_EQ(peer.window()->size(), window);
        EXPECT_EQ(peer.clientArea()->geometry(), QRect(0, bar, 341, window.height() - bar));
        EXPECT_EQ(peer.widget(form.Label1)->mapTo(peer.window(), QPoint(0, 0)), QPoint(8, 40 + bar));
        EXPECT_EQ(peer.widget(form.Command5)->mapTo(peer.window(), QPoint(0, 0)), QPoint(200, 160 + bar));
    }
}

TEST_F(FormWindowTest, WindowWithoutMenusIsItsDesignedClientArea) {
    // 600 × 600 twips, no menus: no room kept for a bar.
    auto& peer = shown(anchor);
    EXPECT_EQ(peer.window()->size(), QSize(40, 40));
    EXPECT_EQ(peer.clientArea()->geometry(), QRect(0, 0, 40, 40));
    EXPECT_FALSE(peer.menuBar()->isVisible());
}

TEST_F(FormWindowTest, FramedWindowReportsItsRealOuterSizeWhateverItsMenuBar) {
    OpenedMainForm form(game);
    form.Hide();  // loaded, not shown: where the game sizes it
    form.setHeight(4000);
    form.setWidth(5200);
    auto& peer = peerOf(form);
    const int room = peer.window()->height() - 240;
    EXPECT_GT(room, 10);
    // Before the window manager has framed it: the window plus the frame we expect.
    const QMargins expected = peer.frameMargins();
    EXPECT_FLOAT_EQ(form.Width(), toTwips(341 + expected.left() + expected.right()));
    EXPECT_FLOAT_EQ(form.Height(), toTwips(240 + room + expected.top() + expected.bottom()));

    form.Show();
    const QRect frame = peer.window()->frameGeometry();
    EXPECT_FLOAT_EQ(form.Width(), toTwips(frame.width()));
    EXPECT_FLOAT_EQ(form.Height(), toTwips(frame.height()));
    EXPECT_GT(frame.height(), 240 + room);  // the title bar counts

    // The bar takes its height from inside: the outer size stays.
    form.File.setVisible(true);
    EXPECT_EQ(peer.window()->frameGeometry(), frame);
    EXPECT_FLOAT_EQ(form.Width(), toTwips(frame.width()));
    EXPECT_FLOAT_EQ(form.Height(), toTwips(frame.height()));
}

TEST_F(FormWindowTest, CentringFromTheReadBackSizeCentresTheFrame) {
    // A window seen framed once teaches the frame to the next one.
    {
        OpenedMainForm first(game);
        first.Show();
        first.Unload();
    }
    OpenedMainForm form(game);
    // What the game's placement routine does while the window loads: size,
    // read back, centre.
    form.onLoad = [&] {
        form.setHeight(4000);
        form.setWidth(5200);
        form.setTop((services.ScreenHeightTwips() - form.Height()) / 2);
        form.setLeft((services.ScreenWidthTwips() - form.Width()) / 2);
    };
    auto& peer = shown(form);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect frame = peer.window()->frameGeometry();
    EXPECT_LE(std::abs(frame.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(frame.center().y() - screen.center().y()), 1);
}

TEST_F(FormWindowTest, LeftAndTopPlaceTheFrameAndSurviveHideAndShow) {
    CipherLikeForm form(runtime);
    form.Hide();
    form.setTop(1000);
    form.setLeft(1000);
    auto& peer = shown(form);
    EXPECT_EQ(peer.window()->frameGeometry().topLeft(), QPoint(67, 67));
    EXPECT_NEAR(form.Left(), 1000, 7.5);
    EXPECT_NEAR(form.Top(), 1000, 7.5);

    form.Hide();
    EXPECT_FALSE(peer.window()->isVisible());
    form.Show();
    pump();
    EXPECT_TRUE(peer.window()->isVisible());
    EXPECT_EQ(peer.window()->frameGeometry().topLeft(), QPoint(67, 67));
}

TEST_F(FormWindowTest, NewSizeLeavesTheWindowWhereThePlayerPutIt) {
    OpenedMainForm form(game);
    form.Hide();
    form.setTop(1500);
    form.setLeft(1500);
    auto& peer = shown(form);
    EXPECT_EQ(peer.window()->frameGeometry().topLeft(), QPoint(100, 100));
    peer.window()->move(200, 150);  // dragged
    form.setWidth(5200);
    form.setHeight(4000);
    EXPECT_EQ(peer.window()->frameGeometry().topLeft(), QPoint(200, 150));
    EXPECT_FLOAT_EQ(form.Left(), 3000);
    form.setLeft(750);
    EXPECT_EQ(peer.window()->frameGeometry().topLeft(), QPoint(50, 150));
}

TEST_F(FormWindowTest, UnplacedWindowOpensInTheMiddleOfTheScreen) {
    TitleLikeForm form(runtime);
    form.Show();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect frame = peerOf(form).window()->frameGeometry();
    EXPECT_LE(std::abs(frame.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(frame.center().y() - screen.center().y()), 1);
}

// A window centred on a screen smaller than itself used to start above and
// left of the screen, with its title bar, menus and buttons out of reach.
TEST_F(FormWindowTest, CentredWindowKeepsItsCornerOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    enum class Lands { Centred, AtTheEdge };
    struct Case {
        const char* what;
        int width, height;  // pixels
        Lands across, down;
    };
    const Case cases[] = {
        {"fits", 257, 112, Lands::Centred, Lands::Centred},
        {"as big as the screen", screen.width(), screen.height(), Lands::Centred, Lands::Centred},
        {"two pixels too wide", screen.width() + 2, 112, Lands::AtTheEdge, Lands::Centred},
        {"too wide", screen.width() + 300, 112, Lands::AtTheEdge, Lands::Centred},
        {"too tall", 257, screen.height() + 200, Lands::Centred, Lands::AtTheEdge},
        {"too wide and too tall", screen.width() + 300, screen.height() + 200, Lands::AtTheEdge, Lands::AtTheEdge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TitleLikeForm form(runtime);
        // The game's centring: size, read back, centre, in twips.
        form.onLoad = [&] {
            form.setHeight(toTwips(c.height));
            form.setWidth(toTwips(c.width));
            form.setTop((services.ScreenHeightTwips() - form.Height()) / 2);
            form.setLeft((services.ScreenWidthTwips() - form.Width()) / 2);
        };
        const QRect frame = shown(form).window()->frameGeometry();
        ASSERT_EQ(frame.size(), QSize(c.width, c.height));
        if (c.across == Lands::Centred)
            EXPECT_LE(std::abs(frame.center().x() - screen.center().x()), 1) << frame.x();
        else
            EXPECT_EQ(frame.left(), area.left());
        if (c.down == Lands::Centred)
            EXPECT_LE(std::abs(frame.center().y() - screen.center().y()), 1) << frame.y();
        else
            EXPECT_EQ(frame.top(), area.top());
        // What the program reads back is where the window went.
        EXPECT_FLOAT_EQ(form.Left(), toTwips(frame.left() - screen.left()));
        EXPECT_FLOAT_EQ(form.Top(), toTwips(frame.top() - screen.top()));
        form.Unload();
    }
}

TEST_F(FormWindowTest, LeftAndTopPastTheTopLeftEdgeStopAtIt) {
    // Pixels from the screen's corner, where Left and Top count from.
    const QPoint origin = QGuiApplication::primaryScreen()->geometry().topLeft();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry().translated(-origin);
    struct Case {
        const char* what;
        QPoint asked;
        QPoint expected;
    };
    const Case cases[] = {
        {"on the screen", {100, 50}, {100, 50}},
        {"corner just inside, rest past the bottom right", {area.width() - 10, area.height() - 10},
         {area.width() - 10, area.height() - 10}},
        {"past the left", {-200, 50}, {area.left(), 50}},
        {"past the top", {100, -1}, {100, area.top()}},
        {"past both", {-200, -300}, area.topLeft()},
    };
    OpenedMainForm form(game);
    auto& peer = shown(form);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        form.setLeft(toTwips(c.asked.x()));
        form.setTop(toTwips(c.asked.y()));
        EXPECT_EQ(peer.window()->frameGeometry().topLeft(), origin + c.expected);
        EXPECT_FLOAT_EQ(form.Left(), toTwips(c.expected.x()));
        EXPECT_FLOAT_EQ(form.Top(), toTwips(c.expected.y()));
    }
}

// The main window is centred with its menu bar, which its load then hides:
// it stays where it was put, centred as it was, and so does a window held at
// the top edge.
TEST_F(FormWindowTest, PlacedWindowStaysPutWhenItsMenuBarGoes) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
        const char* what;
        int top;  // pixels asked for the frame's top
        int expectedTop;
    };
    const Case cases[] = {
        {"on the screen", 100, 100},
        {"past the top", -300, area.top() - screen.top()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenedMainForm form(game);
        form.Hide();
        form.File.setVisible(true);
        auto& peer = peerOf(form);
        const QSize withBar = peer.window()->size();
        form.setTop(toTwips(c.top));
        form.setLeft(toTwips(50));
        form.File.setVisible(false);
        EXPECT_EQ(peer.window()->size(), withBar);
        form.Show();
        EXPECT_EQ(peer.window()->frameGeometry().top() - screen.top(), c.expectedTop);
        EXPECT_EQ(peer.window()->size(), withBar);
        form.Unload();
    }
}

TEST_F(FormWindowTest, BoxOverAWindowInTheCornerStaysOnTheScreen) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    TitleLikeForm form(runtime);
    form.onLoad = [&] {
        form.setWidth(toTwips(20));
        form.setHeight(toTwips(10));
        form.setLeft(toTwips(1));
        form.setTop(toTwips(1));
    };
    ASSERT_EQ(showExposed(form).window()->frameGeometry(), QRect(1, 1, 20, 10));
    std::optional<QRect> boxClient;
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [&, poll] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        poll->deleteLater();
        poll->stop();
        boxClient = box->geometry();
        box->done(QMessageBox::Ok);
    });
    poll->start(10);
    services.MsgBox({"角の窓の上に出る箱", "箱", platform::MsgButtons::Ok, platform::MsgIcon::None, false});
    ASSERT_TRUE(boxClient.has_value());
    // Centred over the small window in the corner, it would start off the
    // screen. Its frame's corner goes to the screen's: the box itself is no
    // further from it than a border and a title bar.
    EXPECT_GE(boxClient->left(), area.left());
    EXPECT_GE(boxClient->top(), area.top());
    EXPECT_LE(boxClient->left(), area.left() + 10);
    EXPECT_LE(boxClient->top(), area.top() + 40);
}

TEST_F(FormWindowTest, FramedWindowHasATitleAndCloseBoxButNoMaximise) {
    OpenedMainForm form(game);
    form.Show();
    QWidget* window = peerOf(form).window();
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->windowTitle(), "もちたま");
    form.setCaption("降参");
    EXPECT_EQ(window->windowTitle(), "降参");
    EXPECT_FALSE(window->windowIcon().isNull());
}

// ------------------------------------------------------------ menus

TEST_F(FormWindowTest, MenuTreeCaptionsSeparatorsAndBlankEntries) {
    OpenedMainForm form(game);
    auto& peer = shown(form);
    EXPECT_EQ(peer.menu(form.File)->title(), "ﾌｧｲﾙ(&F)");
    EXPECT_EQ(peer.action(form.Exit)->text(), "終了(&X)");
    EXPECT_TRUE(peer.action(form.HR)->isSeparator());
    const QList<QAction*> etcItems = peer.menu(form.Etc)->actions();
    ASSERT_EQ(etcItems.size(), 5);
    EXPECT_EQ(etcItems[0], peer.action(form.Hint));
    EXPECT_EQ(etcItems[1], peer.action(form.Space));
    EXPECT_EQ(etcItems[2], peer.action(form.Kousan));
    EXPECT_EQ(etcItems[3], peer.action(form.HR));
    EXPECT_EQ(etcItems[4], peer.action(form.Version));

    // Blank to the eye, but not empty: Qt would not show an empty title.
    EXPECT_FALSE(peer.menu(form.Space2)->title().isEmpty());
    EXPECT_TRUE(peer.menu(form.Space2)->title().trimmed().isEmpty());
    EXPECT_EQ(peer.menu(form.Space2)->accessibleName(), "空白のメニュー");
    EXPECT_FALSE(peer.action(form.Space)->text().isEmpty());
    EXPECT_TRUE(peer.action(form.Space)->text().trimmed().isEmpty());
    EXPECT_FALSE(peer.action(form.Space)->isSeparator());

    form.Space.setCaption("-");
    EXPECT_TRUE(peer.action(form.Space)->isSeparator());
    form.Space.setCaption("");
    EXPECT_FALSE(peer.action(form.Space)->isSeparator());
}

TEST_F(FormWindowTest, BlankTopMenuIsAClickableGapThatOpensItsMenu) {
    OpenedMainForm form(game);
    auto& peer = showExposed(form);
    form.File.setVisible(true);
    form.Space2.setVisible(true);
    QMenuBar* bar = peer.menuBar();
    const QRect gap = bar->actionGeometry(peer.action(form.Space2));
    EXPECT_GE(gap.width(), 12);
    EXPECT_GT(gap.height(), 0);

    QTest::mouseClick(bar, Qt::LeftButton, {}, gap.center());
    QMenu* popup = peer.menu(form.Space2);
    ASSERT_TRUE(QTest::qWaitFor([popup] { return popup->isVisible(); }, 2000));
    const QRect item = popup->actionGeometry(peer.action(form.Next));
    QTest::mouseClick(popup, Qt::LeftButton, {}, item.center());
    pump();
    EXPECT_EQ(form.nextClicks, 1);
    EXPECT_FALSE(popup->isVisible());
}

// A full empty row under ﾋﾝﾄの表示 would give the blank item away: it is a
// line no taller than a separator, that the mouse and the keys still reach.
TEST_F(FormWindowTest, BlankItemIsANarrowLineThatStillClicks) {
    OpenedMainForm form(game);
    auto& peer = showExposed(form);
    form.Etc.setVisible(true);
    QMenu* etc = peer.menu(form.Etc);
    const auto open = [&] {
        etc->popup(peer.window()->mapToGlobal(QPoint(0, 0)));
        return QTest::qWaitFor([etc] { return etc->isVisible(); }, 2000);
    };
    ASSERT_TRUE(open());
    const QRect hint = etc->actionGeometry(peer.action(form.Hint));
    const QRect blank = etc->actionGeometry(peer.action(form.Space));
    const QRect separator = etc->actionGeometry(peer.action(form.HR));
    EXPECT_EQ(blank.width(), hint.width());
    EXPECT_GT(blank.height(), 0);
    EXPECT_LE(blank.height(), separator.height());
    EXPECT_LE(blank.height() * 2, hint.height());
    // Right below ﾋﾝﾄの表示, nothing drawn between them.
    EXPECT_EQ(blank.top(), hint.bottom() + 1);
    etc->close();

    struct Way {
        const char* what;
        std::function<void()> choose;
    };
    const Way ways[] = {
        {"a click on the line", [&] { QTest::mouseClick(etc, Qt::LeftButton, {}, blank.center()); }},
        {"Down from the first item, Enter",
         [&] {
             QTest::keyClick(etc, Qt::Key_Down);
             QTest::keyClick(etc, Qt::Key_Down);
             QTest::keyClick(etc, Qt::Key_Return);
         }},
    };
    int clicks = 0;
    for (const Way& way : ways) {
        SCOPED_TRACE(way.what);
        ASSERT_TRUE(open());
        way.choose();
        pump();
        EXPECT_EQ(form.spaceClicks, ++clicks);
        EXPECT_EQ(form.hintClicks, 0);
        EXPECT_FALSE(etc->isVisible());
    }
}

TEST_F(FormWindowTest, HiddenAndDisabledMenuEntries) {
    OpenedMainForm form(game);
    auto& peer = shown(form);
    form.File.setVisible(true);
    form.Exit.setEnabled(false);
    EXPECT_FALSE(peer.action(form.Exit)->isEnabled());
    form.Exit.setVisible(false);
    EXPECT_FALSE(peer.action(form.Exit)->isVisible());
    form.File.setEnabled(false);
    EXPECT_FALSE(peer.action(form.File)->isEnabled());
    // A disabled item does not reach the game even when Qt is asked directly.
    form.Exit.setVisible(true);
    peer.action(form.Exit)->trigger();
    pump();
    EXPECT_EQ(form.exitClicks, 0);
}

// ------------------------------------------------------------ colours and fonts

TEST_F(FormWindowTest, TransparentLabelsShowTheWindowColour) {
    OpenedMainForm form(game);
    auto& peer = shown(form);
    QLabel* label = labelOf(peer, form.Label6);
    ASSERT_NE(label, nullptr);
    EXPECT_FALSE(label->autoFillBackground());
    // Above the text of the 255-twip banner: only the background shows there.
    const QImage shot = peer.clientArea()->grab().toImage();
    const QPoint inLabelNoText = label->geometry().topLeft() + QPoint(2, 1);
    EXPECT_EQ(shot.pixelColor(inLabelNoText), QColor(0, 128, 128));

    form.setBackColor(0x00FF0000);
    const QImage blue = peer.clientArea()->grab().toImage();
    EXPECT_EQ(blue.pixelColor(inLabelNoText), QColor(0, 0, 255));
    EXPECT_EQ(blue.pixelColor(QPoint(1, 230)), QColor(0, 0, 255));
}

TEST_F(FormWindowTest, OpaqueLabelsPaintTheirOwnBackground) {
    CipherLikeForm form(runtime);
    form.setBackColor(0x00FFFFFF);
    auto& peer = shown(form);
    QLabel* label = labelOf(peer, form.label1);
    EXPECT_TRUE(label->autoFillBackground());
    const QImage shot = peer.clientArea()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(label->geometry().bottomRight() - QPoint(1, 1)), QColor(0, 0, 0));
    EXPECT_EQ(shot.pixelColor(QPoint(2, 2)), QColor(255, 255, 255));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 255));
}

TEST_F(FormWindowTest, LabelTextFontAlignmentAndColourFollowChanges) {
    OpenedMainForm form(game);
    auto& peer = shown(form);
    QLabel* label = labelOf(peer, form.Label1);
    EXPECT_EQ(label->text(), "やめるなら今のうちよ");
    EXPECT_EQ(QFontInfo(label->font()).family(), "IPAPGothic");
    EXPECT_EQ(QFontInfo(label->font()).pixelSize(), 21);
    EXPECT_TRUE(label->font().bold());
    EXPECT_EQ(label->alignment(), Qt::AlignHCenter | Qt::AlignTop);
    EXPECT_TRUE(label->wordWrap());
    EXPECT_EQ(QFontInfo(labelOf(peer, form.Label6)->font()).family(), "IPAGothic");

    form.Label1.setCaption("降参");
    form.Label1.setForeColor(0x000000FF);
    form.Label1.setFontSize(24);
    form.Label1.setAlignment(Alignment::Right);
    EXPECT_EQ(label->text(), "降参");
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(QFontInfo(label->font()).pixelSize(), 32);
    EXPECT_EQ(label->alignment(), Qt::AlignRight | Qt::AlignTop);

    form.Label1.setVisible(false);
    EXPECT_FALSE(label->isVisible());
}

// The seventh refused close disables the window for two seconds: the player
// must see it as it was, only unable to use it.
TEST_F(FormWindowTest, ADisabledFormKeepsItsLookAndDropsInput) {
    OpenedMainForm form(game);
    auto& peer = shown(form);
    auto* button = qobject_cast<QPushButton*>(peer.widget(form.Command5));
    ASSERT_NE(button, nullptr);
    QSignalSpy clicked(button, &QPushButton::clicked);
    form.setEnabled(false);
    EXPECT_TRUE(peer.window()->isEnabled());
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(peer.menuBar()->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(clicked.count(), 0);
    form.setEnabled(true);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(form.clicks5, 1);
}

TEST_F(FormWindowTest, ADisabledLabelIsGreyed) {
    OpenedMainForm form(game);
    form.Show();
    QLabel* label = labelOf(peerOf(form), form.Label1);
    EXPECT_EQ(label->palette().color(QPalette::Disabled, QPalette::WindowText), QColor(0, 255, 255));
    form.Label1.setEnabled(false);
    EXPECT_NE(label->palette().color(QPalette::Disabled, QPalette::WindowText), QColor(0, 255, 255));
}

TEST_F(FormWindowTest, ButtonsUseTheDefaultUiFont) {
    OpenedMainForm form(game);
    form.Show();
    auto* button = dynamic_cast<QPushButton*>(peerOf(form).widget(form.Command5));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "いいえ");
    EXPECT_EQ(QFontInfo(button->font()).family(), "IPAPGothic");
    EXPECT_DOUBLE_EQ(button->font().pointSizeF(), 9.0);
    form.Command5.setEnabled(false);
    EXPECT_FALSE(button->isEnabled());
}

TEST_F(FormWindowTest, UnloadHidesTheWindowAtOnceAndDeletesItLater) {
    OpenedMainForm form(game);
    form.Show();
    QPointer<QWidget> window = peerOf(form).window();
    form.Unload();
    ASSERT_FALSE(window.isNull());
    EXPECT_FALSE(window->isVisible());
    pump();
    EXPECT_TRUE(window.isNull());
}

}  // namespace
}  // namespace qt_test
