// The desktop's services on Qt and Linux: message boxes, the blocking pause,
// queued keystrokes, random numbers, ending at once, the single-instance lock,
// and the directories.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "qt/instance_lock.h"
#include "qt/message_box.h"
#include "platform/random.h"
#include "qt_test_forms.h"

namespace qt_test {
namespace {

using platform::MsgBoxRequest;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

class ServicesTest : public QtFormTest {};

// Does something to the message box once it is open.
void whenBoxOpens(std::function<void(QMessageBox*)> action) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); box && box->isVisible()) {
            poll->stop();
            poll->deleteLater();
            action(box);
        }
    });
    poll->start(10);
}

void press(QMessageBox* box, Qt::Key key) {
    QTest::keyClick(box->focusWidget() != nullptr ? box->focusWidget() : box, key);
}

// ------------------------------------------------------------ message boxes

TEST_F(ServicesTest, YesNoBoxLooksJapaneseAndDefaultsToNo) {
    MsgBoxRequest request{"やめるなら今のうちよ\r\nやめとく？", "確認", MsgButtons::YesNo, MsgIcon::Question, true};
    std::unique_ptr<QMessageBox> box(qt_backend::buildMessageBox(request, nullptr));
    EXPECT_EQ(box->text(), "やめるなら今のうちよ\nやめとく？");
    EXPECT_EQ(box->windowTitle(), "確認");
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
    ASSERT_EQ(box->buttons().size(), 2);
    EXPECT_EQ(box->defaultButton()->text(), "いいえ(&N)");
    EXPECT_EQ(box->escapeButton()->text(), "いいえ(&N)");
    EXPECT_EQ(box->buttonRole(box->buttons()[0]), QMessageBox::YesRole);
    EXPECT_EQ(box->buttons()[0]->text(), "はい(&Y)");

    request.defaultIsNo = false;
    std::unique_ptr<QMessageBox> yesFirst(qt_backend::buildMessageBox(request, nullptr));
    EXPECT_EQ(yesFirst->defaultButton()->text(), "はい(&Y)");
}

TEST_F(ServicesTest, IconsAndTheOkBox) {
    const std::pair<MsgIcon, QMessageBox::Icon> icons[] = {
        {MsgIcon::None, QMessageBox::NoIcon}, {MsgIcon::Critical, QMessageBox::Critical},
        {MsgIcon::Question, QMessageBox::Question}, {MsgIcon::Exclamation, QMessageBox::Warning},
        {MsgIcon::Information, QMessageBox::Information}};
    for (const auto& [ours, qts] : icons) {
        std::unique_ptr<QMessageBox> box(qt_backend::buildMessageBox({"p", "t", MsgButtons::Ok, ours, false}, nullptr));
        EXPECT_EQ(box->icon(), qts);
        ASSERT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->buttons()[0]->text(), "OK");
        EXPECT_EQ(box->escapeButton(), box->buttons()[0]);
    }
}

TEST_F(ServicesTest, MsgBoxAnswers) {
    const MsgBoxRequest yesNo{"やめとく？", "", MsgButtons::YesNo, MsgIcon::Question, true};
    whenBoxOpens([](QMessageBox* box) { press(box, Qt::Key_Escape); });
    EXPECT_EQ(services.MsgBox(yesNo), MsgResult::No);

    whenBoxOpens([](QMessageBox* box) { press(box, Qt::Key_Return); });
    EXPECT_EQ(services.MsgBox(yesNo), MsgResult::No);  // the default

    whenBoxOpens([](QMessageBox* box) { QTest::mouseClick(box->buttons()[0], Qt::LeftButton); });
    EXPECT_EQ(services.MsgBox(yesNo), MsgResult::Yes);

    whenBoxOpens([](QMessageBox* box) { press(box, Qt::Key_Y); });
    EXPECT_EQ(services.MsgBox(yesNo), MsgResult::Yes);  // the access key

    whenBoxOpens([](QMessageBox* box) { press(box, Qt::Key_Escape); });
    EXPECT_EQ(services.MsgBox({"OK だけ", "", MsgButtons::Ok, MsgIcon::None, false}), MsgResult::Ok);
}

TEST_F(ServicesTest, TimersTickWhileABoxIsOpenAndOtherWindowsWait) {
    OpenedMainForm form(game);
    auto& peer = showExposed(form);
    form.clock.start();
    form.Timer1.setEnabled(true);
    form.Timer1.setInterval(40);
    QWidget* parent = nullptr;
    bool windowBlocked = false;
    whenBoxOpens([&](QMessageBox* box) {
        parent = box->parentWidget();
        windowBlocked = QApplication::activeModalWidget() == box && !peer.window()->isActiveWindow();
        QTimer::singleShot(300, box, [box] { press(box, Qt::Key_Return); });
    });
    services.MsgBox({"待て", "", MsgButtons::Ok, MsgIcon::None, false});
    form.Timer1.setEnabled(false);
    EXPECT_GE(form.tickTimes.size(), 3u);
    EXPECT_EQ(parent, peer.window());
    EXPECT_TRUE(windowBlocked);
}

TEST_F(ServicesTest, BoxWhoseWindowIsUnloadedWhileOpenAnswersAsEscape) {
    CipherLikeForm form(runtime);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(peerOf(form).window()));
    form.timer1.setEnabled(true);
    form.timer1.setInterval(100);  // its tick unloads the window under the box
    std::optional<MsgResult> answer;
    QTimer::singleShot(0, [&] {
        answer = services.MsgBox({"", "", MsgButtons::YesNo, MsgIcon::None, false});
    });
    (void)QTest::qWaitFor([&] { return answer.has_value(); }, 3000);
    if (!answer) {
        // Still open: its window survived the unload; close it for the next test.
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) press(box, Qt::Key_Escape);
        (void)QTest::qWaitFor([&] { return answer.has_value(); }, 1000);
    }
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, MsgResult::No);
    EXPECT_FALSE(form.loaded());
}

// ------------------------------------------------------------ Sleep, SendKeys

TEST_F(ServicesTest, SleepBlocksEverything) {
    OpenedMainForm form(game);
    form.Show();
    form.clock.start();
    form.Timer1.setEnabled(true);
    form.Timer1.setInterval(20);
    QElapsedTimer slept;
    slept.start();
    services.Sleep(200);
    EXPECT_GE(slept.elapsed(), 200);
    EXPECT_TRUE(form.tickTimes.empty());  // the due tick waits until the pause is over
    pump(50);
    EXPECT_FALSE(form.tickTimes.empty());
}

TEST_F(ServicesTest, SendKeysQueuesOneEscapeForTheFocus) {
    TitleLikeForm form(runtime);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(peerOf(form).window()));
    services.SendKeys("{Esc}");
    EXPECT_TRUE(form.keys.empty());  // queued, not sent
    pump();
    const std::vector<TitleLikeForm::Key> escape{{27, 0}};
    EXPECT_EQ(form.keys, escape);

    services.SendKeys("{Home}");
    services.SendKeys("hello");
    pump();
    EXPECT_EQ(form.keys, escape);
}

TEST_F(ServicesTest, SendKeysAnswersAnOpenBoxLikeEscape) {
    const MsgBoxRequest yesNo{"", "", MsgButtons::YesNo, MsgIcon::None, false};
    whenBoxOpens([this](QMessageBox*) { services.SendKeys("{Esc}"); });
    EXPECT_EQ(services.MsgBox(yesNo), MsgResult::No);
}

// ------------------------------------------------------------ numbers and time

TEST(Random, NeverOneNeverNegative) {
    EXPECT_EQ(platform::unitFloat(0), 0.0f);
    EXPECT_LT(platform::unitFloat(0xFFFFFFFFu), 1.0f);
    EXPECT_GT(platform::unitFloat(0xFFFFFFFFu), 0.9999f);
}

TEST_F(ServicesTest, RndIsUniformAndRandomizeReseeds) {
    services.Randomize();
    double sum = 0;
    int low = 0;
    for (int i = 0; i < 100000; ++i) {
        const float r = services.Rnd();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
        sum += r;
        if (r < 0.1f) ++low;
    }
    EXPECT_NEAR(sum / 100000, 0.5, 0.01);
    EXPECT_NEAR(low, 10000, 600);

    services.Randomize();
    const float a = services.Rnd(), b = services.Rnd();
    QTest::qWait(2);
    services.Randomize();
    EXPECT_FALSE(services.Rnd() == a && services.Rnd() == b);
}

TEST_F(ServicesTest, TimeOfDayAndScreen) {
    const float now = services.TimeOfDay();
    EXPECT_GE(now, 0.0f);
    EXPECT_LT(now, 86400.0f);
    // The offscreen screen is 800 × 800 pixels.
    EXPECT_FLOAT_EQ(services.ScreenWidthTwips(), 12000.0f);
    EXPECT_FLOAT_EQ(services.ScreenHeightTwips(), 12000.0f);
}

// ------------------------------------------------------------ End

TEST_F(ServicesTest, EndStopsAtOnceAfterFlushingOutput) {
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        std::atexit([] { std::fputs("[atexit ran]", stdout); });
        std::fputs("written before End", stdout);  // still in stdio's buffer
        qt_backend::QtServices(qt_test::TestIdentity()).End(platform::ExitStatus::CouldNotPlay);
    }
    ::close(pipeFds[1]);
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(out, "written before End");
}

// ------------------------------------------------------------ the one-copy check

TEST_F(ServicesTest, PreviousInstanceGuardsEveryRecordFileItWasAskedAbout) {
    char pattern[] = "/tmp/mochitama-services-test-XXXXXX";
    const std::filesystem::path records = ::mkdtemp(pattern);
    const auto beside = records / "program" / "MT.INI";
    const auto moved = records / "data" / "MT.INI";
    ASSERT_EQ(services.PreviousInstance(beside), platform::InstanceCheck::Alone);
    ASSERT_EQ(services.PreviousInstance(moved), platform::InstanceCheck::Alone);
    // A second copy of the program looks where this one does.
    qt_backend::InstanceLocks another("mochitama", [] {
        return qt_backend::lockDirectories("mochitama", qt_backend::LockPlaces::ofThisProcess());
    });
    EXPECT_EQ(another.check(beside), platform::InstanceCheck::AnotherRuns);
    EXPECT_EQ(another.check(moved), platform::InstanceCheck::AnotherRuns);
    std::filesystem::remove_all(records);
}

// ------------------------------------------------------------ directories

TEST_F(ServicesTest, ProgramAndUserDataDirectories) {
    EXPECT_EQ(services.ProgramDirectory(), QCoreApplication::applicationDirPath().toStdString());

    const char* savedData = std::getenv("XDG_DATA_HOME");
    const std::string keep = savedData != nullptr ? savedData : "";
    ::setenv("XDG_DATA_HOME", "/srv/data", 1);
    EXPECT_EQ(services.UserDataDirectory(), "/srv/data/mochitama");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(services.UserDataDirectory(), std::filesystem::path(std::getenv("HOME")) / ".local/share/mochitama");
    if (savedData != nullptr) ::setenv("XDG_DATA_HOME", keep.c_str(), 1);

    const std::filesystem::path before = std::filesystem::current_path();
    services.SetCurrentDirectory("/");
    EXPECT_EQ(std::filesystem::current_path(), "/");
    services.SetCurrentDirectory("/no/such/directory");
    EXPECT_EQ(std::filesystem::current_path(), "/");
    services.SetCurrentDirectory(before);
}

}  // namespace
}  // namespace qt_test
