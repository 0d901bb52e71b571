#pragma once
// The game's main window with counters for handlers, small forms shaped like
// its other windows, and a fixture that loads them on the real Qt backend
// (offscreen).
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "app/window_icon.h"
#include "qt/qt_form_peer.h"
#include "qt/qt_services.h"
#include "platform/form.h"
#include "platform/runtime.h"
#include "hub/game.h"
#include "screens/main/form1.h"

namespace qt_test {

using platform::Alignment;
using platform::BorderStyle;
using platform::FontSpec;
using platform::Geometry;

// The real services, except that ending the program would end the test run
// with a false success: fail loudly instead.
// The program as the tests present it to the backend: the game's own name and icon.
inline qt_backend::Identity TestIdentity() { return {"mochitama", app::windowIcon}; }

class TestServices : public qt_backend::QtServices {
public:
    TestServices() : QtServices(TestIdentity()) {}
    [[noreturn]] void End(platform::ExitStatus) override {
        std::fputs("unexpected End() in a Qt backend test\n", stderr);
        std::abort();
    }
};

// Keeps the program alive: the runtime ends it when no form is loaded.
class AnchorForm : public platform::Form {
public:
    explicit AnchorForm(platform::Runtime& runtime) : Form(runtime, "Anchor") {
        designClientSize(600, 600);
        endDesign();
    }
};

// The game's main window as designed, its handlers replaced by counters:
// the tests click, type and close without running the game.
class MainForm : public game::Form1 {
public:
    explicit MainForm(game::Game& game) : Form1(game) {
        Command5.onClick = [this] { ++clicks5; };
        Command4.onClick = [this] { ++clicks4; };
        Label1.onClick = [this] { ++labelClicks; };
        Space.onClick = [this] { ++spaceClicks; };
        Hint.onClick = [this] { ++hintClicks; };
        Next.onClick = [this] { ++nextClicks; };
        Exit.onClick = [this] { ++exitClicks; };
        Timer1.onTick = [this] { tickTimes.push_back(clock.elapsed()); };
        for (platform::CommandButton* button : {&Command3, &Command2, &Command1}) button->onClick = nullptr;
        for (platform::Menu* menu : {&Kousan, &Version, &Pray, &Dance, &Sleep}) menu->onClick = nullptr;
        for (platform::Timer* timer : {&Timer2, &Timer3, &Timer4}) timer->onTick = nullptr;
    }

    int clicks4 = 0, clicks5 = 0, labelClicks = 0, spaceClicks = 0, hintClicks = 0, nextClicks = 0, exitClicks = 0;
    int mouseDowns = 0;
    std::vector<qint64> tickTimes;
    QElapsedTimer clock;

    bool refuseClose = false;
    std::vector<int16_t> unloadModes;
    std::function<void()> onLoad;  // what the game does while the window loads
    std::vector<int16_t> keyCodes;

protected:
    void Form_Load() override {
        if (onLoad) onLoad();
    }
    void Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode) override {
        unloadModes.push_back(UnloadMode);
        if (refuseClose) Cancel = platform::kTrue;
    }
    void Form_MouseDown() override { ++mouseDowns; }
    void Form_KeyDown(int16_t KeyCode, int16_t) override { keyCodes.push_back(KeyCode); }
};

// The main window as the opening question leaves it: no menu in the bar, the
// warning on Label1, the puzzle buttons not there yet.
class OpenedMainForm : public MainForm {
public:
    using MainForm::MainForm;

protected:
    void Form_Load() override {
        for (platform::Menu* menu : {&File, &Etc, &Nazocom, &Space2}) menu->setVisible(false);
        for (platform::CommandButton* button : {&Command3, &Command2}) button->setVisible(false);
        Label1.setForeColor(game::bgr::kCyan);
        Label1.setCaption("やめるなら今のうちよ");
        MainForm::Form_Load();
    }
};

// Shaped like the title window: no border, a frame holding the labels, and
// a key handler since nothing on it takes the focus.
class TitleLikeForm : public platform::Form {
public:
    explicit TitleLikeForm(platform::Runtime& runtime) : Form(runtime, "TitleLike") {
        designBorder(BorderStyle::None);
        designClientSize(3855, 1680);
        setBackColor(0x00C0E0FF);
        frame1.setGeometry({120, 50, 3615, 1500});
        frame1.setBackColor(0x00C0E0FF);
        label1.setCaption("も");
        label1.setGeometry({240, 240, 375, 375});
        label1.setForeColor(0x000000FF);
        label1.setTransparent(true);
        label1.setFont({"ＭＳ Ｐゴシック", 15.75f, true});
        label1.setAlignment(Alignment::Center);
        endDesign();
    }

    platform::Frame frame1{*this, "Frame1"};
    platform::Label label1{*this, "Label1", &frame1};

    struct Key {
        int16_t code, shift;
        bool operator==(const Key&) const = default;
    };
    std::vector<Key> keys;
    int mouseDowns = 0;
    std::function<void()> onLoad;  // what the game does while the window loads

protected:
    void Form_Load() override {
        if (onLoad) onLoad();
    }
    void Form_KeyDown(int16_t KeyCode, int16_t Shift) override { keys.push_back({KeyCode, Shift}); }
    void Form_MouseDown() override { ++mouseDowns; }
};

// Shaped like the cipher window: black, no border, an opaque label whose
// click unloads the window it sits on.
class CipherLikeForm : public platform::Form {
public:
    explicit CipherLikeForm(platform::Runtime& runtime) : Form(runtime, "CipherLike") {
        designBorder(BorderStyle::None);
        designClientSize(3960, 1290);
        setBackColor(0x00000000);
        label1.setCaption("家");
        label1.setGeometry({240, 240, 735, 735});
        label1.setForeColor(0x00FF00FF);
        label1.setBackColor(0x00000000);
        label1.setFont({"ＭＳ ゴシック", 36, true});
        label1.onClick = [this] { Unload(); };
        timer1.onTick = [this] {
            ++ticks;
            Unload();
        };
        endDesign();
    }

    platform::Label label1{*this, "Label1"};
    platform::Timer timer1{*this, "Timer1"};
    int ticks = 0;
};

// One runtime with the real Qt services per test; an anchor form keeps the
// program from ending when a test unloads its forms.
class QtFormTest : public ::testing::Test {
protected:
    QtFormTest() { anchor.Hide(); }
    ~QtFormTest() override {
        // Leave no window of this test behind: the test's own forms are gone
        // by now, their windows wait to be deleted by the event loop.
        anchor.Unload();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static qt_backend::QtFormPeer& peerOf(const platform::Form& form) {
        auto* peer = dynamic_cast<qt_backend::QtFormPeer*>(form.peer());
        EXPECT_NE(peer, nullptr) << form.name() << " is not loaded on the Qt backend";
        return *peer;
    }

    // Shows the form and gives its peer.
    static qt_backend::QtFormPeer& shown(platform::Form& form) {
        form.Show();
        return peerOf(form);
    }
    // Shows the form and waits until its window is active (keys go to it) or
    // only exposed (painted, clickable).
    static qt_backend::QtFormPeer& showActive(platform::Form& form) {
        form.Show();
        qt_backend::QtFormPeer& peer = peerOf(form);
        EXPECT_TRUE(QTest::qWaitForWindowActive(peer.window())) << form.name() << " did not become active";
        return peer;
    }
    static qt_backend::QtFormPeer& showExposed(platform::Form& form) {
        form.Show();
        qt_backend::QtFormPeer& peer = peerOf(form);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(peer.window())) << form.name() << " was not exposed";
        return peer;
    }

    // Runs the event loop for a while (timers, queued calls, deferred deletes).
    static void pump(int milliseconds = 0) {
        QTest::qWait(milliseconds);
        QCoreApplication::processEvents();
    }

    TestServices services;
    // A game without its windows: its runtime holds the test's forms.
    game::Game game{services};
    platform::Runtime& runtime = game.runtime();
    AnchorForm anchor{runtime};
};

}  // namespace qt_test
