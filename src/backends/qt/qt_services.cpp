#include "qt/qt_services.h"

#include <pwd.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTime>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>
#include <vector>

#include "qt/accessibility.h"
#include "qt/fit_check.h"
#include "qt/instance_lock.h"
#include "qt/message_box.h"
#include "qt/qt_form_peer.h"
#include "qt/units.h"
#include "qt/x11.h"
#include "platform/random.h"
#include "platform/send_keys.h"

namespace qt_backend {

QtServices::QtServices(Identity identity)
    : identity_(std::move(identity)),
      instanceLocks_(std::make_unique<InstanceLocks>(identity_.name, [name = identity_.name] {
          return lockDirectories(name, LockPlaces::ofThisProcess());
      })) {
    QApplication::setQuitOnLastWindowClosed(false);
    installAccessibleFactory();
    installFitCheckWhenAsked();
}

QtServices::~QtServices() = default;

std::unique_ptr<platform::FormPeer> QtServices::createPeer(platform::Form& form) {
    return std::make_unique<QtFormPeer>(form, SharedByPeers{identity_, coreCalls_, shownWindows_, frames_, inputBlocker_});
}

platform::MsgResult QtServices::MsgBox(const platform::MsgBoxRequest& request) {
    // Heap and guarded: the box's parent window may be unloaded by a timer
    // while the box is open, taking the box with it.
    QWidget* owner = shownWindows_.dialogParent();
    QPointer<QMessageBox> box = buildMessageBox(request, owner, frames_.expected(owner), language());
    // The frame is noted while the box is still up: once the box is answered
    // the window manager takes the frame away in its own time.
    unsigned long frame = 0;
    QObject::connect(box.data(), &QMessageBox::buttonClicked, box.data(),
                     [&frame, b = box.data()] { frame = frameOf(b->winId()); });
    box->exec();
    // What the box covered is painted again before the program goes on: a
    // scene may block right after it, with nothing repainted meanwhile.
    if (frame != 0) waitUntilOffScreen(frame, 200);
    shownWindows_.repaintAll();
    const platform::MsgResult answer = answerOf(box.data(), request.buttons);
    delete box.data();
    return answer;
}

void QtServices::Sleep(uint32_t milliseconds) {
    // The windows stand painted during the pause (a box closed just before
    // it leaves no hole); nothing else happens until it is over.
    shownWindows_.repaintAll();
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void QtServices::DoEvents() {
    QCoreApplication::processEvents();
    // Input of this pass that reaches the core through a queued call (a close
    // request, a menu command) is part of the pass too.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

float QtServices::TimeOfDay() { return static_cast<float>(QTime::currentTime().msecsSinceStartOfDay()) / 1000.0f; }

void QtServices::Randomize() {
    random_.seed(static_cast<std::mt19937::result_type>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

float QtServices::Rnd() { return platform::unitFloat(static_cast<uint32_t>(random_())); }

void QtServices::SendKeys(const std::string& keys) {
    // Esc is the one key the game sends.
    if (platform::sentKey(keys) != platform::vk::kEscape) return;
    // Queued: the key goes to whatever has the focus when it is delivered,
    // after the handler that sent it has finished.
    QMetaObject::invokeMethod(qApp, [] {
        QWidget* target = QApplication::focusWidget();
        if (target == nullptr) target = QApplication::activeWindow();
        if (target == nullptr) return;
        QPointer<QWidget> guard(target);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &press);
        if (!guard) return;
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &release);
    }, Qt::QueuedConnection);
}

void QtServices::End(platform::ExitStatus status) {
    // At once: no Qt shutdown, no close handler, no timer. The records were
    // written and closed by the game before it got here.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    ::_exit(static_cast<int>(status));
}

float QtServices::ScreenWidthTwips() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? toTwips(screen->geometry().width()) : 0.0f;
}

float QtServices::ScreenHeightTwips() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? toTwips(screen->geometry().height()) : 0.0f;
}

platform::InstanceCheck QtServices::PreviousInstance(const std::filesystem::path& recordFile) {
    return instanceLocks_->check(recordFile);
}

std::filesystem::path QtServices::ProgramDirectory() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && !exe.empty()) return exe.parent_path();
    return QCoreApplication::applicationDirPath().toStdString();
}

std::optional<std::filesystem::path> QtServices::UserDataDirectory() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/')
        return std::filesystem::path(data) / identity_.name;
    const std::optional<std::filesystem::path> home = homeDirectory();
    if (!home) return std::nullopt;
    return *home / ".local" / "share" / identity_.name;
}

std::optional<std::filesystem::path> homeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') return home;
    // Cron, env -i and some service managers start programs without HOME:
    // the password database still knows it, as GLib finds it too.
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr)
        return std::nullopt;
    const std::filesystem::path home = found->pw_dir != nullptr ? found->pw_dir : "";
    std::error_code ec;
    // "/nonexistent" and the like: no home to keep records in.
    if (!home.is_absolute() || !std::filesystem::is_directory(home, ec)) return std::nullopt;
    return home;
}

void QtServices::SetCurrentDirectory(const std::filesystem::path& directory) {
    std::error_code ec;
    std::filesystem::current_path(directory, ec);
}

}  // namespace qt_backend
